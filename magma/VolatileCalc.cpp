#include "magma/VolatileCalc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/CurveOutput.h"
#include "fluid/ValidityRange.h"
#include "magma/HollowayEOS.h"
#include "numerics/Newton.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

namespace {

// Binds a Newton to a system of this object with its numerical-Jacobian
// increments h and per-unknown step limits.
void bindSystem(Newton& s, VolatileCalc* obj, SysEquationFn f, std::initializer_list<double> h,
                std::initializer_list<double> limits) {
    s._setSysEquationToSolve(obj, f, static_cast<int>(h.size()));
    int i = 0;
    for (double v : h) s.h[i++] = v;
    i = 0;
    for (double v : limits) s.scale[i++] = v;
}

void startAt(Newton& s, std::initializer_list<double> x0) {
    int i = 0;
    for (double v : x0) {
        s.x[i] = v;
        s.xold[i] = v;
        ++i;
    }
}

// Output modes of the tabulations: Igor text or the caller's array.
int tabulationMode(char mode) { return mode == kIgorTextFile || mode == kArrayOfValues ? mode : 0; }

// "%5s%s %11s%s ..." wave line of the tabulations, every name followed by the suffix.
std::string waveLine(std::initializer_list<const char*> names, const char* suffix,
                     std::initializer_list<const char*> separators, const char* end) {
    std::string s = "IGOR\nWAVES ";
    const std::string sfx = suffix ? suffix : "";
    auto sep = separators.begin();
    bool first = true;
    char cell[64];
    for (const char* n : names) {
        if (!first) s += *sep++;
        std::snprintf(cell, sizeof cell, first ? "%5s" : "%11s", n);
        s += cell;
        s += sfx;
        first = false;
    }
    s += end;
    s += "BEGIN\n";
    return s;
}

CurveLayout tabulationLayout() {
    CurveLayout l;
    l.writeHeader = false;
    l.value = CurveValueFormat{12, 6, 'f'};
    return l;
}

}  // namespace

VolatileCalc::VolatileCalc()
    : gas(std::make_unique<HollowayEOS>(1)),
      speciationSolver(std::make_unique<Secant>()),
      pressureSolver(std::make_unique<Secant>()),
      pointSolver(std::make_unique<Secant>()),
      pressureSystem(std::make_unique<Newton>()),
      pointSystem(std::make_unique<Newton>()),
      flashSystem(std::make_unique<Newton>()),
      flashSystem1(std::make_unique<Newton>()) {
    speciationSolver->obj = this;
    speciationSolver->fn = toEquationFn<ScalarEquationFn>(&VolatileCalc::equationForMoleFractions);
    pressureSolver->obj = this;
    pressureSolver->fn = toEquationFn<ScalarEquationFn>(&VolatileCalc::equationForSaturationPressure);
    pointSolver->obj = this;
    pointSolver->fn = toEquationFn<ScalarEquationFn>(&VolatileCalc::equationForSaturationPoint);

    bindSystem(*pressureSystem, this, toEquationFn<SysEquationFn>(&VolatileCalc::calculate_vector_function),
               {0.01, 1e-7}, {1e8, 0.5});
    bindSystem(*pointSystem, this, toEquationFn<SysEquationFn>(&VolatileCalc::calculate_vector_function1),
               {1e-8, 1e-8}, {100.0, 0.5});
    bindSystem(*flashSystem, this, toEquationFn<SysEquationFn>(&VolatileCalc::calculate_vector_function2),
               {1e-8, 1e-8, 1e-8, 1e-8}, {100.0, 1000.0, 1.0, 100.0});
    flashSystem->numericalJacobian = 1;
    flashSystem->itermax = 30;
    bindSystem(*flashSystem1, this, toEquationFn<SysEquationFn>(&VolatileCalc::calculate_vector_function3),
               {1e-8, 1e-8}, {1e5, 0.5});
    flashSystem1->numericalJacobian = 1;

    fugacityRule = 0;
    system = kVolatilesH2O;
    setMagmaType(kBasaltMelt);
    failed = 0;
}

VolatileCalc::~VolatileCalc() = default;

// ---------------------------------------------------------------- parameters

void VolatileCalc::setMagmaType(MagmaType t) {
    if (t == kBasaltMelt) {
        T0H2O = T0CO2 = 1473.15;
        P0H2O = 1e5;
        VH2O = 1.2e-05;
        dHH2O = 0.0;
        x0H2O = 3.28e-05;
        P0CO2 = 1e5;
        VCO2 = 2.3e-05;
        dHCO2 = 0.0;
        x0CO2 = 3.8e-07;
        // Anhydrous MORB glass per oxygen (Dixon, Stolper & Holloway 1995; Dixon 1997):
        // 36.594 g/mol (35.594 is no basalt's: MORB analyses give 36.3-36.6).
        Mox = 36.594;
        lowWaterA = -5.827;
        lowWaterB = 1.855;
        const double c[4] = {9.143, -3.295, -12.038, -1.144};
        for (int i = 0; i < 4; ++i) speciation[i] = c[i];
    } else if (t == kRhyoliteMelt) {
        T0H2O = T0CO2 = 1123.15;
        P0H2O = 7.99e7;
        VH2O = 5e-06;
        dHH2O = -18499.91;
        x0H2O = 0.0323;
        P0CO2 = 7.5e7;
        VCO2 = 2.8e-05;
        dHCO2 = -20345.7155;
        x0CO2 = 0.000397;
        Mox = 32.5;
        lowWaterA = -5.526;
        lowWaterB = 1.977;
        const double c[4] = {9.345, -4.304, -12.554, -4.656};
        for (int i = 0; i < 4; ++i) speciation[i] = c[i];
    } else {
        return;
    }
    magmaType = t;
    if (!pureFugacity(0, T0H2O, P0H2O, f0H2O) || !pureFugacity(1, T0CO2, P0CO2, f0CO2))
        platform::diagf("VolatileCalc: the reference fugacities could not be calculated\n");
}

bool VolatileCalc::pureFugacity(int i, double TK, double PPa, double& f) {
    gas->temperature(TK);
    gas->pressure(PPa * 1e-5);
    if (i == 0)
        gas->composition(1.0, 0.0);
    else
        gas->composition(0.0, 1.0);
    gas->calculate_molar_volume();
    if (gas->errorflag) return false;
    gas->calculate_fugacities();
    if (gas->errorflag || !std::isfinite(gas->fugacity[i])) return false;
    f = gas->fugacity[i];
    return true;
}

bool VolatileCalc::mixtureFugacities(double y1, double y2, double& f1, double& f2) {
    gas->temperature(T);
    gas->pressure(P * 1e-5);
    gas->composition(y1, y2);
    gas->calculate_molar_volume();
    if (gas->errorflag) return false;
    gas->calculate_fugacities();
    if (gas->errorflag || !std::isfinite(gas->fugacity[0]) || !std::isfinite(gas->fugacity[1])) return false;
    f1 = gas->fugacity[0];
    f2 = gas->fugacity[1];
    return true;
}

bool VolatileCalc::inRange(double p) {
    // The vapour's fugacities hold only where its equation of state was
    // measured (HollowayEOS's declared range, up to 5000 bar: the Henry's-law
    // parameters too were fitted below 5 kbar); beyond it the solubilities
    // run away (40 wt % water in rhyolite at 10 kbar and 600 C).
    const ValidityRange& r = gas->validity;
    // (A saturation pressure found at the top end may pass it by the search's tolerance.)
    if (T >= r.Tmin && T <= r.Tmax && p >= 0.0 && 1e-5 * p <= r.Pmax * (1.0 + 1e-6)) return true;
    platform::diagf("VolatileCalc: %g K and %g bar lie outside the range of its vapour model (%g to %g K, up to %g "
                    "bar); no solubility is given\n",
                    T, 1e-5 * p, r.Tmin, r.Tmax, r.Pmax);
    return false;
}

void VolatileCalc::calculateHenryConstants() {
    if (system == kVolatilesH2O || system == kVolatilesH2OCO2)
        KH2O = f0H2O / x0H2O * std::exp((P - P0H2O) * VH2O / (R * T)) *
               std::exp((1.0 / T - 1.0 / T0H2O) * dHH2O / R);
    if (system == kVolatilesCO2 || system == kVolatilesH2OCO2)
        KCO2 = f0CO2 / x0CO2 * std::exp((P - P0CO2) * VCO2 / (R * T)) *
               std::exp((1.0 / T - 1.0 / T0CO2) * dHCO2 / R);
}

bool VolatileCalc::calculateVapourFugacities(double& fH2O, double& fCO2) {
    switch (system) {
    case kVolatilesH2O:
        yH2O = 1.0;
        yCO2 = 0.0;
        fCO2 = 0.0;
        return pureFugacity(0, T, P, fH2O);
    case kVolatilesCO2:
        yH2O = 0.0;
        yCO2 = 1.0;
        fH2O = 0.0;
        return pureFugacity(1, T, P, fCO2);
    default:
        if (fugacityRule == 0) {
            double f1 = 0.0, f2 = 0.0;
            if (!pureFugacity(0, T, P, f1) || !pureFugacity(1, T, P, f2)) return false;
            fH2O = yH2O * f1;
            fCO2 = yCO2 * f2;
            return true;
        }
        return mixtureFugacities(yH2O, yCO2, fH2O, fCO2);
    }
}

// ---------------------------------------------------------------- melt

double VolatileCalc::equationForMoleFractions(double xOH, void* data) {
    const double X = *static_cast<const double*>(data);
    const double molecular = X - 0.5 * xOH;
    const double oxygens = 1.0 - X - 0.5 * xOH;
    if (!(xOH > 0.0) || !(molecular > 0.0) || !(oxygens > 0.0)) {
        error = 1;
        return 0.0;
    }
    const double* c = speciation;
    return c[0] + c[1] * (xOH - 1.0) + c[2] * (1.0 - X - xOH) + c[3] * (X - xOH) +
           std::log(xOH * xOH / (molecular * oxygens));
}

void VolatileCalc::calculateMoleFractions(double w, double p, double* xH, double* xC, double* xOH) {
    if (!(w >= 0.0) || !(p >= 0.0) || !(w + 1e-4 * p < 100.0)) {
        // Negative contents, or volatiles leaving no melt: no mole fractions.
        platform::diagf("VolatileCalc: %g wt %% H2O and %g ppm CO2 is no melt\n", w, p);
        failed = 1;
        for (double* out : {xH, xC, xOH})
            if (out) *out = std::nan("");
        return;
    }
    const double nCO2 = p * 1e-4 / 44.009;
    const double nH2O = w / 18.015;
    const double nmelt = (100.0 - w - 1e-4 * p) / Mox;
    const double n = nmelt + nH2O + nCO2;
    if (xC) *xC = nCO2 / n;
    if (w < 0.6) {
        if (xH) *xH = std::exp(lowWaterA) * std::pow(w, lowWaterB);
        return;
    }
    double X = nH2O / (nmelt + nH2O);
    failed = 0;
    Secant& s = *speciationSolver;
    s.data = &X;
    s.x0 = 0.3 * X;
    s.x1 = 0.99 * 0.3 * X;
    double oh = s.solve();
    s.data = nullptr;
    if (s.status != kSolverConverged) {
        failed = 1;
        platform::diagf("Failed to calculate water speciation in the melt\n");
        oh = 0.3 * X;
    }
    if (xH) *xH = nH2O / n - 0.5 * oh;
    if (xOH) *xOH = oh;
}

// ---------------------------------------------------------------- saturation

double VolatileCalc::equationForSaturationPressure(double p, void*) {
    if (!(p >= 0.0)) {
        error = 1;
        return 0.0;
    }
    P = p;
    double fH = 0.0, fC = 0.0;
    if (!calculateVapourFugacities(fH, fC)) {
        error = 1;
        return 0.0;
    }
    calculateHenryConstants();
    return system == kVolatilesH2O ? xH2O * KH2O - fH : xCO2 * KCO2 - fC;
}

bool VolatileCalc::henryResiduals(double* G) {
    double fH = 0.0, fC = 0.0;
    if (!calculateVapourFugacities(fH, fC)) return false;
    calculateHenryConstants();
    G[0] = xH2O * KH2O - fH;
    G[1] = xCO2 * KCO2 - fC;
    return true;
}

void VolatileCalc::calculate_vector_function(double* x, double* G, double**, int& err, int, void*) {
    if (!(x[0] >= 0.0) || !(x[1] >= 0.0) || !(x[1] <= 1.0)) {
        err = 1;
        return;
    }
    P = x[0];
    yCO2 = x[1];
    yH2O = 1.0 - yCO2;
    if (!henryResiduals(G)) err = 1;
}

bool VolatileCalc::solveSingleSaturationPressure(double p0, double p1) {
    Secant& s = *pressureSolver;
    s.x0 = p0;
    s.x1 = p1;
    const double p = s.solve();
    error = 0;
    if (s.status != kSolverConverged) return false;
    equationForSaturationPressure(p, nullptr);  // the members at the root
    error = 0;
    return true;
}

bool VolatileCalc::bracketSingleSaturationPressure(double& lo, double& hi) {
    // x K - f is positive at low pressure and turns negative at saturation.
    double prev = 0.0;
    bool havePrev = false;
    for (double p = 1e5; p <= 2e9; p *= 1.25) {
        const double r = equationForSaturationPressure(p, nullptr);
        if (error) {
            error = 0;
            havePrev = false;
            continue;
        }
        if (havePrev && r <= 0.0 && prev > 0.0) {
            hi = p;
            return true;
        }
        lo = p;
        prev = r;
        havePrev = true;
    }
    return false;
}

bool VolatileCalc::solveSaturationPressureSystem(double p0, double y0) {
    Newton& s = *pressureSystem;
    startAt(s, {p0, y0});
    s.numericalJacobian = 1;
    s.solve();
    if (s.status != 0) return false;
    int err = 0;
    double G[2];
    calculate_vector_function(s.x, G, nullptr, err, 0, nullptr);
    return true;
}

void VolatileCalc::calculateSaturationPressure() {
    failed = 0;
    if (!inRange(0.0)) {
        failed = 1;
        return;
    }
    bool ok;
    if (system == kVolatilesH2O || system == kVolatilesCO2) {
        ok = solveSingleSaturationPressure(1e7, 1.01e7);
        // Far above 100 bar the secant from 100 bar may run away (CO2-rich
        // melts at several kbar): retry from a bracket of the root.
        double lo = 0.0, hi = 0.0;
        if (!ok && bracketSingleSaturationPressure(lo, hi)) ok = solveSingleSaturationPressure(lo, hi);
    } else {
        ok = solveSaturationPressureSystem(1e7, 0.999);
        if (!ok) {
            // Retry from the ideal-mixture estimate: each volatile alone gives a
            // partial pressure; their sum and ratio start the search.
            const double xH = xH2O, xC = xCO2;
            double partial[2] = {0.0, 0.0};
            bool each = true;
            for (int i = 0; i < 2; ++i) {
                system = i == 0 ? kVolatilesH2O : kVolatilesCO2;
                if ((i == 0 ? xH : xC) <= 0.0) continue;
                double lo = 0.0, hi = 0.0;
                bool one = solveSingleSaturationPressure(1e7, 1.01e7);
                if (!one && bracketSingleSaturationPressure(lo, hi)) one = solveSingleSaturationPressure(lo, hi);
                if (one)
                    partial[i] = P;
                else
                    each = false;
            }
            system = kVolatilesH2OCO2;
            xH2O = xH;
            xCO2 = xC;
            const double sum = partial[0] + partial[1];
            if (each && sum > 0.0) {
                const double y = std::clamp(partial[1] / sum, 1e-6, 1.0 - 1e-6);
                ok = solveSaturationPressureSystem(sum, y);
            }
        }
    }
    error = 0;
    if (!ok) {
        platform::diagf("Failed to calculate the saturation point.");
        failed = 1;
    } else if (!inRange(P)) {
        failed = 1;  // saturated only above the range
    }
}

double VolatileCalc::equationForSaturationPoint(double c, void* data) {
    const double f = *static_cast<const double*>(data);
    if (system == kVolatilesH2O) {
        if (!(c >= 0.0 && c <= 100.0)) {
            error = 1;
            return 0.0;
        }
        wt = c;
        calculateMoleFractions(wt, ppm, &xH2O, nullptr, nullptr);
        return xH2O * KH2O - f;
    }
    if (!(c >= 0.0 && c <= 1e6)) {
        error = 1;
        return 0.0;
    }
    ppm = c;
    calculateMoleFractions(wt, ppm, nullptr, &xCO2, nullptr);
    return xCO2 * KCO2 - f;
}

void VolatileCalc::calculate_vector_function1(double* x, double* G, double**, int& err, int, void*) {
    // A negative CO2 content has no meaning: without this the solver may settle
    // on a negative ppm past the pure-H2O solubility.
    if (!(x[0] >= 0.0 && x[0] <= 1e6)) {
        err = 1;
        return;
    }
    ppm = x[0];
    yCO2 = x[1];
    yH2O = 1.0 - yCO2;
    calculateMoleFractions(wt, ppm, &xH2O, &xCO2, nullptr);
    if (!henryResiduals(G)) err = 1;
}

bool VolatileCalc::solveSaturationPointSystem(double ppm0, double y0) {
    Newton& s = *pointSystem;
    startAt(s, {ppm0, y0});
    s.numericalJacobian = 1;
    s.solve();
    if (s.status != 0) return false;
    int err = 0;
    double G[2];
    calculate_vector_function1(s.x, G, nullptr, err, 0, nullptr);
    return true;
}

bool VolatileCalc::estimateSaturationPoint(double& ppm0, double& y0) {
    // With each fugacity the vapour fraction times the pure volatile's, the H2O
    // law gives yH2O from the melt's water alone; the CO2 law then gives xCO2.
    double f1 = 0.0, f2 = 0.0;
    if (!pureFugacity(0, T, P, f1) || !pureFugacity(1, T, P, f2)) return false;
    calculateHenryConstants();
    double xh = 0.0;
    calculateMoleFractions(wt, 0.0, &xh, nullptr, nullptr);
    const double yH = xh * KH2O / f1;
    if (!(yH < 1.0)) return false;  // more water than the vapour of pure H2O allows
    y0 = std::clamp(1.0 - yH, 1e-6, 1.0 - 1e-6);
    const double xc = y0 * f2 / KCO2;
    const double n = wt / 18.015 + (100.0 - wt) / Mox;
    ppm0 = xc * n / (1.0 - xc) * 44.009e4;
    return std::isfinite(ppm0) && ppm0 >= 0.0;
}

void VolatileCalc::calculateSaturationPoint(double p) {
    P = p;
    failed = 0;
    if (!inRange(p)) {
        failed = 1;
        return;
    }
    bool ok;
    if (system == kVolatilesH2OCO2) {
        ok = solveSaturationPointSystem(10.0, 0.95);
        // At several kbar the search from (10 ppm, 0.95) may fail: retry from
        // the estimate of the separate Henry's laws of the two volatiles.
        double ppm0 = 0.0, y0 = 0.0;
        if (!ok && estimateSaturationPoint(ppm0, y0)) ok = solveSaturationPointSystem(ppm0, y0);
    } else {
        double fH = 0.0, fC = 0.0;
        ok = calculateVapourFugacities(fH, fC);
        calculateHenryConstants();
        if (ok) {
            double f = system == kVolatilesH2O ? fH : fC;
            Secant& s = *pointSolver;
            s.data = &f;
            s.x0 = 1.0;
            s.x1 = 1.0001;
            const double c = s.solve();
            ok = s.status == kSolverConverged;
            if (ok) equationForSaturationPoint(c, &f);
            s.data = nullptr;
        }
    }
    error = 0;
    if (!ok) {
        platform::diagf("Failed to calculated saturation point.\n");
        failed = 1;
    }
}

// ---------------------------------------------------------------- flash

void VolatileCalc::calculate_vector_function2(double* x, double* G, double**, int& err, int, void* data) {
    const double* totals = static_cast<const double*>(data);
    if (!(x[0] >= 0.0 && x[0] <= 100.0) || !(x[1] >= 0.0 && x[1] <= 1e6)) {
        err = 1;
        return;
    }
    wt = x[0];
    ppm = x[1];
    yCO2 = x[2];
    yH2O = 1.0 - yCO2;
    const double F = x[3];
    calculateMoleFractions(wt, ppm, &xH2O, &xCO2, nullptr);
    double fH = 0.0, fC = 0.0;
    if (!calculateVapourFugacities(fH, fC)) {
        err = 1;
        return;
    }
    const double mv = 18.0 * yH2O + 44.0 * yCO2;
    G[0] = xH2O * KH2O - fH;
    G[1] = xCO2 * KCO2 - fC;
    G[2] = 0.01 * totals[0] - 0.01 * (1.0 - F) * wt - 18.0 * yH2O * F / mv;
    G[3] = 1e-6 * totals[1] - 1e-6 * (1.0 - F) * ppm - 44.0 * yCO2 * F / mv;
}

void VolatileCalc::calculate_vector_function3(double* x, double* G, double**, int& err, int, void* data) {
    const double total = *static_cast<const double*>(data);
    const double F = x[1];
    double fH = 0.0, fC = 0.0;
    if (system == kVolatilesH2O) {
        if (!(x[0] >= 0.0 && x[0] <= 100.0)) {
            err = 1;
            return;
        }
        wt = x[0];
        calculateMoleFractions(wt, ppm, &xH2O, nullptr, nullptr);
        if (!calculateVapourFugacities(fH, fC)) {
            err = 1;
            return;
        }
        G[0] = xH2O * KH2O - fH;
        G[1] = 0.01 * total - 0.01 * (1.0 - F) * wt - F;
    } else {
        if (!(x[0] >= 0.0 && x[0] <= 1e6)) {
            err = 1;
            return;
        }
        ppm = x[0];
        calculateMoleFractions(wt, ppm, nullptr, &xCO2, nullptr);
        if (!calculateVapourFugacities(fH, fC)) {
            err = 1;
            return;
        }
        G[0] = xCO2 * KCO2 - fC;
        G[1] = 1e-6 * total - 1e-6 * (1.0 - F) * ppm - F;
    }
}

void VolatileCalc::calculate_flash_point(double p, double wtTotal, double ppmTotal, double yStart, double Fstart,
                                         double& wtOut, double& ppmOut, double& yCO2out, double& Fout) {
    failed = 0;
    P = p;
    if (!inRange(p)) {
        failed = 1;
        return;
    }
    calculateHenryConstants();
    flashTotals_[0] = wtTotal;
    flashTotals_[1] = ppmTotal;
    bool ok;
    double r[4] = {0, 0, 0, 0};
    if (system == kVolatilesH2OCO2) {
        Newton& s = *flashSystem;
        s.data = flashTotals_;
        startAt(s, {wtTotal, ppmTotal, yStart, Fstart});
        s.solve();
        ok = s.status == 0;
        for (int i = 0; i < 4; ++i) r[i] = s.x[i];
        if (ok) {
            int err = 0;
            double G[4];
            calculate_vector_function2(r, G, nullptr, err, 0, flashTotals_);
        }
    } else {
        Newton& s = *flashSystem1;
        const bool water = system == kVolatilesH2O;
        double total = water ? wtTotal : ppmTotal;
        s.data = &total;
        if (water)
            ppm = 0.0;
        else
            wt = 0.0;
        startAt(s, {total, Fstart});
        s.solve();
        ok = s.status == 0;
        r[0] = s.x[0];
        r[3] = s.x[1];
        if (ok) {
            int err = 0;
            double G[2];
            double xs[2] = {r[0], r[3]};
            calculate_vector_function3(xs, G, nullptr, err, 0, &total);
        }
        s.data = nullptr;
        r[1] = water ? 0.0 : r[0];
        r[0] = water ? r[0] : 0.0;
        r[2] = water ? 0.0 : 1.0;
    }
    error = 0;
    if (!ok) {
        platform::diagf("Failed to calculate flash point !\n");
        failed = 1;
        return;
    }
    wtOut = r[0];
    ppmOut = r[1];
    yCO2out = r[2];
    Fout = r[3];
}

// ---------------------------------------------------------------- tabulations

void VolatileCalc::calculateSaturationIsobar(double p, const char* path, char mode, const char* suffix,
                                             std::vector<double>* array) {
    const int m = tabulationMode(mode);
    CurveOutput out(m, path ? path : "", suffix, {"T", "wt", "ppm", "P", "yH2O", "yCO2"}, array,
                    tabulationLayout());
    out.writeText(waveLine({"T", "wt", "ppm", "P", "yH2O", "yCO2"}, suffix, {" ", " ", " ", " ", " "}, " \n"));
    auto row = [&] { out.writeRow({T, wt, ppm, P * 1e-5, yH2O, yCO2}); };

    // A point whose search failed (said there) is neither printed nor
    // written: the members then hold an earlier point's values.  Without the
    // pure-H2O solubility the isobar has no start.
    P = p;
    system = kVolatilesH2O;
    calculateSaturationPoint(p);
    if (failed) {
        system = kVolatilesCO2;
        return;
    }
    std::printf("%12lf %12lf\n", wt, ppm);
    system = kVolatilesH2OCO2;
    wt -= 0.02;
    while (wt > 0.0) {
        const double w = wt;
        calculateSaturationPoint(p);
        wt = w;
        if (!failed) {
            std::printf("%12lf %12lf\n", wt, ppm);
            row();
        }
        wt -= 0.02;
    }
    system = kVolatilesCO2;
    wt = 0.0;
    calculateSaturationPoint(p);
    if (failed) return;
    std::printf("%12lf %12lf\n", wt, ppm);
    row();
}

void VolatileCalc::calculateSaturationIsotherm(const char* path, char mode, const char* suffix,
                                               std::vector<double>* array) {
    const int m = tabulationMode(mode);
    CurveOutput out(m, path ? path : "", suffix, {"T", "wt", "ppm", "P", "yH2O", "yCO2"}, array,
                    tabulationLayout());
    out.writeText(waveLine({"T", "wt", "ppm", "P", "yH2O", "yCO2"}, suffix, {" ", " ", " ", " ", " "}, " \n"));
    if (system == kVolatilesH2O) {
        wt = 0.01;
        ppm = 0.0;
    } else if (system == kVolatilesCO2) {
        wt = 0.0;
        ppm = 0.01;
    }
    calculateMoleFractions(wt, ppm, &xH2O, &xCO2, nullptr);
    for (int i = 0; i < 400; ++i) {
        const double p = 1e7 + i * 1e6;
        calculateSaturationPoint(p);
        if (!failed) out.writeRow({T, wt, ppm, P * 1e-5, yH2O, yCO2});  // no row of stale values
    }
}

void VolatileCalc::calculateDegassingPath(int open, double wt0, double ppm0, const char* path, char mode,
                                          const char* suffix, std::vector<double>* array) {
    const int m = tabulationMode(mode);
    CurveOutput out(m, path ? path : "", suffix, {"T", "wt", "ppm", "P", "yH2O", "yCO2", "F"}, array,
                    tabulationLayout());
    out.writeText(waveLine({"T", "wt", "ppm", "P", "yH2O", "yCO2", "F"}, suffix, {" ", " ", " ", " ", " ", "  "},
                           "\n"));
    failed = 0;
    calculateMoleFractions(wt0, ppm0, nullptr, nullptr, nullptr);  // refuses contents that are no melt
    if (failed || (wt0 <= 0.0 && ppm0 <= 0.0)) {
        if (!failed) platform::diagf("VolatileCalc: a melt without volatiles has no degassing path\n");
        failed = 1;
        return;
    }
    if (wt0 < 1e-8)
        system = kVolatilesCO2;
    else if (ppm0 >= 1e-8)
        system = kVolatilesH2OCO2;
    else
        system = kVolatilesH2O;
    wt = wt0;
    ppm = ppm0;
    calculateMoleFractions(wt0, ppm0, &xH2O, &xCO2, nullptr);
    calculateSaturationPressure();
    if (failed) return;
    double p = P;
    double totals[2] = {wt0, ppm0};
    double Fstart = 0.001;
    while (p > 1e6) {
        if (open) {
            totals[0] = wt;
            totals[1] = ppm;
            if (system == kVolatilesH2OCO2 && ppm < 1e-6) {
                system = kVolatilesH2O;
                totals[1] = 0.0;
            }
        }
        double w = wt, c = ppm, y = yCO2, F = Fstart;
        calculate_flash_point(p, totals[0], totals[1], yCO2, Fstart, w, c, y, F);
        if (failed) break;
        wt = w;
        ppm = c;
        yCO2 = y;
        yH2O = 1.0 - y;
        std::printf("%12.2f %12.2f %12.2f%12.2f\n", p * 1e-5, wt, ppm, F);
        out.writeRow({T, wt, ppm, p * 1e-5, 1.0 - yCO2, yCO2, F});
        Fstart = F;
        p -= 1e6;
    }
}

void VolatileCalc::test(int) {
    setMagmaType(kBasaltMelt);
    T = 1500.0;
    calculateSaturationIsobar(1e8, "isobar.txt", 1, "4", nullptr);
}
