#include "brines/SpiveySolubility.h"

#include <cmath>
#include <limits>

#include "brines/DMGWwater.h"
#include "water/WaterEOS.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {
constexpr double kWaterPerKg = 55.50847203605297;  // mol of water per kg
}

SpiveySolubility::SpiveySolubility() {
    henryScale = 0;
    vapourVolumeFlag = 1;
    setModelName("Spivey model");
    bubbleSolver.fn = toEquationFn<ScalarEquationFn>(&SpiveySolubility::equation_for_bubble_pressure);
    bubbleSolver.data = nullptr;
    setSystemType(SM_H2O_CH4_NaCl, 0);
    setGasModelType(SM_GasClassicalSRK);
    // Spivey, McCain & North (2004): 0 to 275 C, to 200 MPa, to 25 wt % NaCl.
    fit = {"Spivey, McCain & North (2004) methane solubility", 273.15, 548.15, 2e8, 5.704};
}

double SpiveySolubility::partialVolume(double PM) const {
    return 8.31434 * T *
           (0.0131961 * std::log(T) - 0.085658 + 7.338 / T + 0.0905 / (680.0 - T) +
            2.0 * mg * (0.226 / T - 0.002454 * PM / T)) *
           1e-6;
}

void SpiveySolubility::calculate_gas_solubility0() {
    fugacityError = 0;
    errorflag = 0;
    if (!inRangeOfFit()) return refuseSolubility(nullptr);  // said
    Psat = WaterEOS::saturationPressureWagnerPruss(T);
    if (!(Psat < P)) {
        // At or below water's vapour pressure no gas phase: no solubility
        // (the correlation takes the logarithm of P - Psat).
        return refuseSolubility("at or below the vapour pressure of water no gas phase exists over the liquid");
    }
    const double t = T - 273.15, t2 = t * t;
    const double L = std::log((P - Psat) * 1e-6);
    const double lnmw = (-0.0781 + 0.00013624 * t - 7.751e-7 * t2) * L * L +
                        (1.02766 + 0.000851 * t + 1.193e-6 * t2) * L +
                        (-3.6231 - 0.078119 * t + 0.00018316 * t2) / (1.0 + 0.0109192 * t - 1.0733e-5 * t2);
    const double mw = std::exp(lnmw);
    const double PM = P * 1e-6;
    const double lambda = 0.07015 + 0.0001074 * T + 0.226 * PM / T - 0.001227 * PM * PM / T;
    mg = mw * std::exp(-2.0 * lambda * ms + 0.00628 * ms * ms);
    Vg = partialVolume(PM);
    const double xg = mg / (mg + kWaterPerKg + ms);
    const double xs = ms / (kWaterPerKg + mg + ms);
    if (ig >= 0) x[ig] = xg;
    if (is >= 0) x[is] = xs;
    if (iw >= 0) x[iw] = 1.0 - xg - xs;
    // The correlation gives the molality itself: no Henry constant, activity
    // coefficient or vapour fugacity of its own (nothing of an earlier state
    // stands for them).
    fv = std::numeric_limits<double>::quiet_NaN();
    if (ig >= 0) henryConstant[ig] = activity[ig] = fugacity[ig] = fv;
    // Nor a vapour: its volume is the bubble point's or an isopleth's row's
    // to compute.
    if (gasModel) gasModel->withholdState();
}

double SpiveySolubility::equation_for_bubble_pressure(double P_bar, void* data) {
    pressure(P_bar);
    calculate_gas_solubility0();
    // Without data (the base's bubble-point solve) the target is the liquid's molality.
    return mg - (data ? *static_cast<double*>(data) : bubbleTargetMg);
}

void SpiveySolubility::calculate_bubble_pressure(double T_, double P_bar, double /*ms_*/, double mg_) {
    temperature(T_);
    // The search starts from the caller's pressure, never from the state an
    // earlier call left (one that is no pressure goes to the bracket).
    pressure(P_bar);
    errorflag = 0;
    double target = mg_;
    bool found = false;
    {
        // The trials' own refusals (below the vapour pressure) are no failure
        // of the search: only its outcome is reported.
        platform::ThreadLogCapture trials;
        bubbleSolver.data = &target;
        bubbleSolver.x0 = P * 1e-5;
        bubbleSolver.x1 = P * 1.0001e-5;
        const double p = bubbleSolver.solve();
        bubbleSolver.data = nullptr;
        bubbleTargetMg = target;
        if (bubbleSolver.status == 0 && changesSignAround(p)) {
            equation_for_bubble_pressure(p, nullptr);  // leave the state at the root
            found = errorflag == 0;
        } else {
            // From a start below water's vapour pressure or near the top of
            // the range the secant fails: the bracket from the vapour pressure up.
            Psat = WaterEOS::saturationPressureWagnerPruss(T);
            found = bracketBubblePressure();
        }
    }
    errorflag = found ? 0 : 1;
    if (found) {
        // The correlation has no vapour of its own: the methane over the
        // liquid at the bubble point is its gas model's, as an isopleth's
        // rows take it (no volume of an earlier state stands for it).
        calculateVapourMolarVolume();
        if (gasModel && gasModel->errorflag) gasModel->withholdState();
        return;
    }
    platform::diagf("%s: no bubble point of a liquid of %g mol/kg of methane at %g K between water's vapour pressure "
                    "and %g bar\n",
                    fit.source, target, T, fit.Pmax * 1e-5);
    withholdBubblePoint();
}

void SpiveySolubility::calculate_gas_partial_volume_() { Vg = partialVolume(P * 1e-6); }

double SpiveySolubility::calculate_gas_partial_volume(double T_, double P_bar, double /*ms_*/, double mg_) {
    temperature(T_);
    pressure(P_bar);
    mg = mg_;
    Vg = partialVolume(P_bar / 10.0);
    return Vg;
}

void SpiveySolubility::calculate_isopleth(double mg_, double ms_, char /*mode*/, const char* /*suffix*/,
                                          std::vector<double>* out) {
    // The salt molality of the liquid is the caller's (molality() is no setter here).
    ms = is >= 0 ? ms_ : 0.0;
    pressure(1.0);
    for (int i = 0; i < 301; ++i) {
        const double t = 273.15 + i;
        temperature(t);
        calculate_bubble_pressure(t, P / 1e5, ms_, mg_);
        if (errorflag) break;  // no bubble point (outside the correlation's range): the curve ends
        if (out) {
            out->push_back(t);
            out->push_back(P / 1e5);
        }
    }
}

void SpiveySolubility::compare_with_Duan_model() {
    DMGWwater duan(SM_H2O_CH4_NaCl, 0);
    std::FILE* f = platform::openOutput("res5.txt", "wt");
    if (!f) return;
    std::fprintf(f, "%12s %12s %12s %12s %12s %12s %12s %12s\n\n", "T", "P", "mNaCl", "mCH4 (Duan)", "mCH4 (Spi)", "dev",
                 "vCH4 (Duan)", "vCH4 (Spi)");
    for (int im = 0; im <= 12; ++im) {
        const double mss = 0.5 * im;
        std::fprintf(f, "\n");
        duan.ms = mss;
        ms = mss;
        molality(mss);
        for (int it = 0; it <= 55; ++it) {
            const double t = 5.0 * it;
            temperature(t + 273.15);
            duan.T = t + 273.15;
            for (int ip = 0; ip <= 200; ++ip) {
                const double p = 10.0 * ip;
                pressure(p);
                duan.P = p * 1e5;
                duan.mg = 0.0;
                duan.compositionCode = 11;
                duan.SolubilityModel::calculate_gas_solubility0();
                calculate_gas_solubility0();
                // A state the Duan model refuses has no molality (not the 0 it
                // was given to start from) and no deviation.
                const double mgD = duan.errorflag ? std::nan("") : duan.mg;
                std::fprintf(f, "%12f %12f %12f %12f %12f %12f %12f %12f\n", t, p, mss, mgD, mg,
                             100.0 * (mg - mgD) / mgD, duan.errorflag ? std::nan("") : duan.Vg * 1e6, Vg);
            }
        }
    }
    platform::closeOutput(f, "res5.txt");
}
