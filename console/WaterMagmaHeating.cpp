// Peak temperature T3 of water heated by magma: the heat given off by the
// magma cooling from Tm (and crystallising between liquidus and solidus)
// equals the heat taken up by the water and by the sediment around it.  Each
// heating law is one energy residual per kg of magma, solved for T by the
// damped secant.
#include <cmath>
#include <cstdio>
#include <string>

#include "console/WaterMagmaModel.h"
#include "numerics/Secant.h"
#include "platform/OutputFiles.h"

namespace {

struct SedimentTerms {
    double cs;  // sediment heat capacity per kg of water, J/(kg K)
    double Tc;  // temperature the sediment starts from, K
};

struct WohletzTerms {
    double cw;  // J/(mol K)
    double T0;
    double cs;
    double Tc;
};

void setUpSecant(Secant& s, Equation* obj, ScalarEquationFn fn, void* data, double x0, double x1, bool monotone) {
    s.obj = obj;
    s.fn = fn;
    s.data = data;
    s.tol = 1e-10;
    s.x0 = x0;
    s.x1 = x1;
    s.monotone = monotone ? 1 : 0;
}

// The peak of a residual that rises with T from below zero at the water's
// start T0 to above zero at the magma temperature Tm (the magma cannot heat
// the water above its own temperature): a bisection between them, for where
// the secant fails (a latent heat released over a narrow interval makes the
// residual all but a step).  False when the ends do not bracket a root, a
// point cannot be evaluated or the residual ends above `tol` (a step across
// zero: a latent heat released at one temperature); the model is left at the
// root found.
template <class Residual>
bool bisectPeak(Equation& e, Residual residual, double T0, double Tm, double tol) {
    auto at = [&](double t, double& f) {
        e.error = 0;
        f = residual(t);
        return e.error == 0 && std::isfinite(f);
    };
    double lo = T0, hi = Tm, f = 0.0;
    if (!at(lo, f) || !(f < 0.0) || !at(hi, f) || !(f > 0.0)) return false;
    for (int i = 0; i < 200 && hi - lo > 1e-12 * hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (!at(mid, f)) return false;
        (f < 0.0 ? lo : hi) = mid;
    }
    return at(0.5 * (lo + hi), f) && std::fabs(f) <= tol;
}

}  // namespace

double WaterMagmaModel::calculateLatentHeatTerm(double a, double b) const {
    const double L = latentHeat;
    if (L == 0.0) return 0.0;
    const double Ts = solidusTemperature, Tl = liquidusTemperature;
    if (Ts == Tl) {
        if (a < Ts && b > Tl) return L;
        if (a >= Tl && b <= Ts) return -L;
        return 0.0;
    }
    auto F = [&](double t) {
        if (t <= Ts) return 0.0;
        if (t >= Tl) return 1.0;
        return (t - Ts) / (Tl - Ts);
    };
    return L * (F(b) - F(a));
}

// ---------------------------------------------------------------- isochoric

void WaterMagmaModel::calculateIsochoricPeakTemperature(double T0, double V0, double P0, double cs, double Tc,
                                                        std::FILE* file) {
    const double M = molarMass();
    const double m = magmaWaterRatio, Tm = magmaTemperature, cpm = magmaHeatCapacity;
    temperature(T0);
    if (V0 == 0.0) {
        set_the_phase_as(2);
        Vl0 = 1.8e-5;
        pressure(P0);
        calculate_molar_volume();
    } else {
        volume(V0);
        calculate_state_functions();
    }
    initialEnergy = m * U / M;
    SedimentTerms data{cs, Tc};
    errorflag = 0;
    Secant s;
    setUpSecant(s, this, toEquationFn<ScalarEquationFn>(&WaterMagmaModel::equationForIsochorHeating), &data, Tm,
                0.99 * Tm, false);
    s.solve();
    if (s.status != 0) {
        errorflag = 0;
        if (!bisectPeak(*this, [&](double t) { return equationForIsochorHeating(t, &data); }, T0, Tm,
                        1e-9 * (cpm * (Tm - T0) + latentHeat)))
            errorflag = 1;
    }
    if (file != nullptr && errorflag == 0) {
        // Constant-heat-capacity estimate (4200 J/(kg K) for the water) for comparison.
        const double N = Tm * cpm + T0 * m * 4200.0, D = m * 4200.0 + cpm;
        double Tprev = N / D, Lh = calculateLatentHeatTerm(Tm, T0), Tnew = Tprev;
        for (int i = 0; i < 1000; ++i) {
            Tnew = (N - Lh) / D;
            Lh = calculateLatentHeatTerm(Tm, Tnew);
            if (std::fabs(Tnew - Tprev) <= 0.1) break;
            Tprev = Tnew;
        }
        std::fprintf(file, "%12f %12.4lf %12.4lf\n", m, T, Tnew);
    }
}

double WaterMagmaModel::equationForIsochorHeating(double T_, void* data) {
    if (!(T_ >= validity.Tmin) || !std::isfinite(T_)) {  // below the model's lowest temperature
        error = 1;
        return 0.0;
    }
    const SedimentTerms& d = *static_cast<const SedimentTerms*>(data);
    const double M = molarMass();
    const double m = magmaWaterRatio;
    temperature(T_);
    calculate_state_functions();
    if (errorflag) {
        errorflag = 0;
        error = 1;
        return 0.0;
    }
    return m * U / M + (T_ - magmaTemperature) * magmaHeatCapacity + m * d.cs * (T_ - d.Tc) +
           calculateLatentHeatTerm(magmaTemperature, T_) - initialEnergy;
}

// ---------------------------------------------------------------- Wohletz

void WaterMagmaModel::calculateWohletzPeakTemperature(double T0, double V0, double P0, double cw, double cs,
                                                      double Tc) {
    const double M = molarMass();
    const double Tm = magmaTemperature;
    temperature(T0);
    if (V0 == 0.0) {
        set_the_phase_as(2);
        Vl0 = 1.8e-5;
        pressure(P0);
        calculate_molar_volume();
    } else {
        volume(V0);
        calculate_state_functions();
    }
    initialEnergy = magmaWaterRatio * U / M;
    WohletzTerms data{cw, T0, cs, Tc};
    errorflag = 0;
    Secant s;
    setUpSecant(s, this, toEquationFn<ScalarEquationFn>(&WaterMagmaModel::equationForWohletzHeating), &data, Tm,
                0.99 * Tm, false);
    s.solve();
    if (s.status != 0) {
        errorflag = 0;
        if (!bisectPeak(*this, [&](double t) { return equationForWohletzHeating(t, &data); }, T0, Tm,
                        1e-9 * (magmaHeatCapacity * (Tm - T0) + latentHeat)))
            errorflag = 1;
    }
}

double WaterMagmaModel::equationForWohletzHeating(double T_, void* data) {
    if (!(T_ >= validity.Tmin) || !std::isfinite(T_)) {  // below the model's lowest temperature
        error = 1;
        return 0.0;
    }
    const WohletzTerms& d = *static_cast<const WohletzTerms*>(data);
    const double M = molarMass();
    const double m = magmaWaterRatio;
    temperature(T_);
    calculate_state_functions();
    errorflag = 0;  // the residual uses T alone
    return m * d.cw * (T_ - d.T0) / M + m * d.cs * (T_ - d.Tc) + (T_ - magmaTemperature) * magmaHeatCapacity +
           calculateLatentHeatTerm(magmaTemperature, T_);
}

// ---------------------------------------------------------------- isobaric

double WaterMagmaModel::equationForIsobaricHeating(double T_, void* data) {
    WaterMagmaCalculationResult& r = *static_cast<WaterMagmaCalculationResult*>(data);
    const double M = molarMass();
    const double m = magmaWaterRatio;
    if (!std::isfinite(T_)) {
        error = 1;
        return 0.0;
    }
    const double Qm = (magmaTemperature - T_) * magmaHeatCapacity - calculateLatentHeatTerm(magmaTemperature, T_);
    const double Qs = m * r.sedimentHeatCapacity * (T_ - r.Tcoupled);
    auto fail = [this]() {
        errorflag = 0;
        error = 1;
        return 0.0;
    };
    if (r.phaseState == 4) {
        temperature(T_);
        pressure(r.P2);
        set_the_phase_as(T_ >= 647.0 ? 1 : 2);
        calculate_molar_volume();
        if (errorflag) return fail();
        calculate_state_functions();
        if (errorflag) return fail();
        return Qm - m * (H - r.H2) / M - Qs;
    }
    if (T_ > r.Tboil) {
        if (r.phaseState == 1) return fail();
        temperature(T_);
        pressure(r.Pboil);
        set_the_phase_as(1);
        calculate_molar_volume();
        if (errorflag) return fail();
        calculate_state_functions();
        if (errorflag) return fail();
        return Qm - m * r.heatToVaporize / M - m * (H - r.HvBoil) / M - Qs;
    }
    if (T_ > r.T2) {
        if (r.phaseState == 3 || (r.phaseState == 1 && T_ > r.Tspinodal)) return fail();
        initializeSaturationVolumesFromT("H2O", T_);
        set_the_phase_as(2);
        Vl0 -= 1e-8;
        temperature(T_);
        pressure(r.P2);
        calculate_molar_volume();
        if (V > r.Vspinodal) errorflag = 1;
        if (errorflag) {
            errorflag = 0;
            Vl0 = 1.8e-5;
            temperature(T_);
            pressure(r.P2);
            calculate_molar_volume();
            if (errorflag) return fail();
        }
        calculate_state_functions();
        if (errorflag) return fail();
        return Qm - m * (H - r.H2) / M - Qs;
    }
    return fail();
}

void WaterMagmaModel::calculateIsobaricPeakTemperature(WaterMagmaCalculationResult& r) {
    const double M = molarMass();
    const double m = magmaWaterRatio, Tm = magmaTemperature, cpm = magmaHeatCapacity;
    const ScalarEquationFn fn = toEquationFn<ScalarEquationFn>(&WaterMagmaModel::equationForIsobaricHeating);
    auto takeState3 = [&]() {
        r.T3 = T;
        r.P3 = P * 1e-5;
        r.U3 = U;
        r.H3 = H;
        r.S3 = S;
        r.A3 = A;
        r.V3 = V * 1e6;
    };
    auto search = [&](double x0, double x1) {
        errorflag = 0;
        Secant s;
        setUpSecant(s, this, fn, &r, x0, x1, true);
        s.solve();
        return s.status;
    };
    peakHeldBelowSuperheatLimit = false;
    if (r.phaseState == 4) {
        if (search(r.T2 + 1.0, r.T2 + 1.001) != 0) errorflag = 1;
        takeState3();
        r.liquidFraction3 = 0.0;
        return;
    }
    const double Lh = calculateLatentHeatTerm(Tm, r.Tboil);
    const double Qm = (Tm - r.Tboil) * cpm - Lh;
    const double Qs = m * r.sedimentHeatCapacity * (r.Tboil - r.Tcoupled);
    const double Espin = Qm - m * (r.Hspinodal - r.H2) / M - Qs;
    const double Evap = Qm - m * r.heatToVaporize / M - Qs;
    if (Espin >= 0.0 && Evap <= 0.0) {
        const double x = Evap * M / (m * (r.HlBoil - r.HvBoil));
        r.liquidFraction3 = x;
        r.T3 = r.T4 = r.Tboil;
        r.P3 = r.P4 = r.Pboil;
        r.S3 = (1 - x) * r.SvBoil + x * r.SlBoil;
        r.U3 = (1 - x) * r.UvBoil + x * r.UlBoil;
        r.H3 = (1 - x) * r.HvBoil + x * r.HlBoil;
        r.A3 = (1 - x) * r.AvBoil + x * r.AlBoil;
        r.V3 = ((1 - x) * r.VvBoil + x * r.VlBoil) * 1e6;
        r.S4 = r.S3;
        r.U4 = r.U3;
        r.phaseState = 2;
        return;
    }
    if (Espin > 0.0 && Evap > 0.0) {
        r.liquidFraction3 = 0.0;
        r.phaseState = 3;
        // The steam's balance changes sign between Tboil (Evap > 0) and Tm:
        // a magma within 1 % of Tboil puts the second start below Tboil,
        // where no steam is, so the search starts again inside that bracket.
        if (search(Tm, 0.99 * Tm) != 0 && search(Tm, 0.5 * (Tm + r.Tboil)) != 0) errorflag = 1;
        takeState3();
        return;
    }
    if (Espin < 0.0 && Evap < 0.0) {
        r.liquidFraction3 = -2.0;
        r.phaseState = 1;
        const double Te = (cpm * Tm + m * (4000.0 * r.T2 + r.H2 / M)) / (cpm + 4000.0 * m);
        const double Tguess = Te <= r.Tspinodal ? Te : r.Tspinodal - 1.0;
        const double x0 = r.T2 > Tguess ? r.T2 : Tguess;
        if (search(x0, x0 - 1.0) != 0 && search(r.Tspinodal - 1.0, r.Tspinodal - 1.001) != 0 &&
            search(r.T2 + 1.0, r.T2 + 1.001) != 0) {
            // Half a kelvin below the superheat limit, without an error.
            errorflag = 0;
            peakHeldBelowSuperheatLimit = true;
            temperature(r.Tspinodal - 0.5);
            pressure(r.P2);
            calculate_molar_volume();
            if (errorflag == 0) calculate_state_functions();
        }
        takeState3();
        return;
    }
    // Only a not-a-number energy comes here: no state 3 is found, and the
    // one a previous cycle left is not taken for it.
    errorflag = 1;
}

// ---------------------------------------------------------------- test driver

void WaterMagmaModel::calculateEquilibriumCurve(double Tm_, double, double, double, double, char mode,
                                                const char* suffix) {
    temperature(293.15);
    pressure(1.0);
    set_the_phase_as(2);
    calculate_molar_volume();
    const double V0 = V;
    const std::string sfx = suffix ? suffix : "";
    std::FILE* f = platform::openOutput("heat" + sfx + ".txt", "w");
    if (f == nullptr) {
        return;
    }
    if (mode == 1) {
        std::fprintf(f, "IGOR\nWAVES %11s%s %11s%s %11s%s\nBEGIN\n", "m", sfx.c_str(), "T", sfx.c_str(), "Ta",
                     sfx.c_str());
    } else {
        std::fprintf(f, "# Magma temperature : %lf\n", Tm_);
        std::fprintf(f, "# T0                : %lf\n", 293.15);
        std::fprintf(f, "# P0                : %lf\n", 1.0);
        std::fprintf(f, "#%11s %12s %12s\n", "water(1)", "Te(2)", "Tapprox(3)");
    }
    // The ratio follows the counters: 0.001 to 0.018 by 0.001, then 0.1 to
    // 10.1 by 0.01.
    const double keep = magmaWaterRatio;
    for (int i = 1; i <= 18; ++i) {
        magmaWaterRatio = 0.001 * i;
        calculateIsochoricPeakTemperature(293.15, V0, 0.0, 0.0, 0.0, f);
    }
    for (int i = 0; 0.1 + 0.01 * i < 10.1; ++i) {
        magmaWaterRatio = 0.1 + 0.01 * i;
        calculateIsochoricPeakTemperature(293.15, V0, 0.0, 0.0, 0.0, f);
    }
    magmaWaterRatio = keep;
    if (mode == 1) std::fprintf(f, "END\n");
    platform::closeOutput(f, "heat" + sfx + ".txt");
}
