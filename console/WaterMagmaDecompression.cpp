// End states of expansions to a fixed pressure and heating-decompression
// paths.
//
// Irreversible adiabatic expansion against a constant external pressure P:
// U - U1 = -P (V - V1), optionally with a magma of heat capacity cM (per mole
// of water) and its latent heat following the water.  Reversible expansion:
// the state of the start entropy at the end pressure.  Heating decompression:
// small isentropic expansions of the water alternating with isochoric
// reheating by magma fragments to a common temperature.
#include <cmath>
#include <cstdio>

#include "console/WaterMagmaModel.h"
#include "fluid/CriticalPoints.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"
#include "water/WaterCorrelations.h"
#include "platform/OutputFiles.h"

namespace {

// The molar entropy of water at its critical point, J/(mol K): IAPWS-95
// (Wagner and Pruss 2002) gives 4.40695 kJ/(kg K) at 647.096 K and 322 kg/m3,
// times 18.015268 g/mol 79.392 J/(mol K), which this value rounds 0.002 high.
// A state beside the saturation curve with less entropy lies on its liquid
// side, one with more on its vapour side.
constexpr double kCriticalMolarEntropy = 79.3939;

struct IrreversibleData {
    double P;   // Pa
    double V1;  // m3/mol
    double U1;  // J/mol
    double cM;  // J/(K mol of water)
    double T1;  // K
};

struct EquilibriumData {
    double Tmag, Tw, Cw;
};

// The columns of the curve "isoh" of a heating-decompression path.
CurveLayout heatingDecompressionLayout() {
    CurveLayout layout;
    layout.firstNameWidth = 5;
    layout.nameWidth = 12;
    layout.nameSeparator = "\t";
    layout.valueSeparator = "\t";
    layout.columnFormats = {{12, 4, 'f'}, {12, 4, 'f'}, {12, 4, 'f'}, {12, 6, 'f'}, {12, 6, 'f'},
                            {12, 6, 'f'}, {12, 6, 'f'}, {12, 6, 'f'}, {12, 6, 'f'}, {12, 6, 'f'},
                            {12, 2, 'f'}, {12, 4, 'f'}, {12, 4, 'f'}};
    layout.firstNumberedWidth = 12;
    layout.numberedSeparator = "\t";
    return layout;
}

}  // namespace

void WaterMagmaModel::calculate_irreversible_decompression_point_at_fixed_p(double T1, double V1, double P_Pa,
                                                                            double cM, double T0) {
    temperature(T1);
    volume(V1);
    calculate_state_functions();
    calculateIrreversibleDecompressionFrom(T1, V, U, P_Pa, cM, T0);
}

void WaterMagmaModel::calculateIrreversibleDecompressionFrom(double T1, double V1, double U1, double P_Pa, double cM,
                                                             double T0) {
    IrreversibleData data{P_Pa, V1, U1, cM, T1};
    errorflag = 0;
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&WaterMagmaModel::equationForIrreversibleDecompression);
    s.data = &data;
    s.itermax = 50;
    s.tol = 1e-13;
    s.monotone = 1;
    s.bounded = 1;
    s.xmin = 270.0;
    s.xmax = 5000.0;
    s.x0 = T0;
    s.x1 = T0 + 1e-4;
    s.solve();
    if (s.status != 0) errorflag = 1;
    if (s.status == 0 && errorflag == 0) return;
    // Retry from near the critical temperature (above the critical pressure)
    // or from a hot liquid, with steps of at most 10 K.
    errorflag = 0;
    if (P_Pa > 2.2e7) {
        s.x0 = 640.0;
        s.x1 = 640.0001;
    } else {
        s.x0 = 590.0;
        s.x1 = 590.0001;
        Vl0 = 0.00026;
    }
    s.limitStep = 1;
    s.maxStep = 10.0;
    s.solve();
    errorflag = s.status != 0 ? 1 : 0;
}

double WaterMagmaModel::equationForIrreversibleDecompression(double T_, void* p) {
    const IrreversibleData& d = *static_cast<const IrreversibleData*>(p);
    if (T_ < 0.0 || !std::isfinite(T_)) {
        error = 1;
        return 0.0;
    }
    temperature(T_);
    pressure(d.P * 1e-5);
    set_the_phase_as(2);
    // The secant's trials follow one branch: each search goes on from the
    // volume of the previous trial (liquid or steam).
    calculateMolarVolumeFrom(Vl0);
    if (errorflag) calculate_molar_volume();
    if (!errorflag) calculate_state_functions();
    if (!errorflag) {
        bool rejected = U < 0.0;
        if (T_ < 647.1) {
            if (V < kCriticalVolume) rejected = rejected || V > getLiquidSpinodalVolume(T_);
            else rejected = rejected || V < getVapourSpinodalVolume(T_);
        }
        if (rejected) errorflag = 1;
    }
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    Vl0 = V;
    const double M = molarMass();
    if (d.cM == 0.0) return (U - d.U1) + d.P * (V - d.V1);
    return (U - d.U1) + d.cM * (T_ - d.T1) + (M / magmaWaterRatio) * calculateLatentHeatTerm(d.T1, T_) +
           d.P * (V - d.V1);
}

void WaterMagmaModel::calculateAtmosphericDecompressionPoint(double S_, double P_bar) {
    double T0, V0;
    const double s = S_;
    if (s < 80.0) {
        T0 = 273.659806462177 + s * (3.67342651147889 + s * (0.00874583949770701 + s * (0.000819847818261005 +
             s * -9.83392297672252e-06)));
        V0 = 1e-6 * (17.9544407528188 + s * (-0.0200811804440964 + s * (0.00475808652754809 +
             s * (-0.000134674798574998 + s * 1.68220654519188e-06))));
    } else if (s < 120.0) {
        T0 = 5452.38245114357 + s * (-233.76137800964 + s * (4.13209783808221 + s * (-0.0313405540910668 +
             s * 8.53479043859908e-05)));
        V0 = 1e-6 * 1.5 * std::exp(-4.34574556245161 + s * (-0.0429686162063548 + s * (0.00233307262688447 +
             s * (-1.14421092321056e-05 + s * 1.95004167959864e-08))));
    } else {
        // S >= 120, and a NaN entropy.
        T0 = 373.15;
        V0 = 1e-6 * 31024.95971;
    }
    const double starts[9][2] = {{T0, V0},          {T0 + 50, V0},  {T0 + 100, V0},
                                 {T0 + 150, V0},    {T0 + 200, V0}, {T0 + 250, V0},
                                 {T0 + 300, V0},    {T0 - 5.0, V0 + 1e-5}, {650.0, 5.6e-05}};
    for (const auto& st : starts) {
        calculate_isentropic_point_at_fixed_P(P_bar, S_, st[0], st[1]);
        if (!errorflag) return;
    }
    platform::logDiagnostic("Failed to find decompression point " + std::to_string(magmaWaterRatio) + "\n");
    errorflag = 1;
}

// ---------------------------------------------------------------- heating decompression

bool WaterMagmaModel::continueIsentrope(double target, bool atPressure, double Tfrom, double Vfrom) {
    // The state the step starts from, on the isentrope S_target.
    const double T1 = T, V1 = V, Cv1 = Cv, Ss = S_target;
    // Within a few kelvins of the critical point, where the steps end on
    // the spinodal, the search keeps to its plain start and full Newton
    // steps, so that the path meets the saturation curve where it always has.
    const bool nearCritical = std::fabs(T1 - kWaterCritical.T) < 5.0 && V1 > 0.6 * kCriticalVolume && V1 < 1.8 * kCriticalVolume;
    // A Newton step of at most a relative 1e-6 lands on the solution to second
    // order (1e-12, below the tolerances), and the state there follows from
    // the evaluated one at (t, v) to first order at rounding: (dU/dT)_V = Cv,
    // (dU/dV)_T = T (dP/dT)_V - P, (dS/dV)_T = (dP/dT)_V.  Cv and dP/dV move
    // by their temperature derivatives only: their volume derivatives are of
    // third order in A, which the evaluation of the state functions does not
    // give (and members left by another call must not stand in for them), and
    // over a step of at most 1e-6 in V they change Cv by parts in 1e6 at
    // most, until the reheating evaluates the whole state again.  (dCv/dT)_V
    // is estimated by a difference with the state the step started from (a
    // tenth of a kelvin to a few kelvins away, good to about a percent away
    // from the critical point), and the step is taken so only when that term
    // changes Cv by less than 1e-7, so that its error stays near 1e-9.  The
    // path reads only T, V, U and Cv before its reheating evaluates the whole
    // state again.
    auto land = [&](double t, double v, double dt, double dv) {
        if (nearCritical || std::fabs(dt) > 1e-6 * t || std::fabs(dv) > 1e-6 * v) return false;
        double CvT = 0.0;
        if (dt != 0.0) {
            if (!(std::fabs(t - T1) > 1e-3)) return false;
            CvT = (Cv - Cv1) / (t - T1);
            if (!std::isfinite(CvT) || std::fabs(CvT * dt) > 1e-7 * std::fabs(Cv)) return false;
        }
        if (!(dPdV < 0.0)) return false;
        U += Cv * dt + (t * dPdT - P) * dv;
        S += dSdTv * dt + dSdVt * dv;
        P += dPdT * dt + dPdV * dv;
        Cv += CvT * dt;
        temperature(t + dt);
        volume(v + dv);
        return true;
    };
    // Newton steps on the state functions from (t, v): in V at fixed T, in
    // (T, ln V) at fixed P, to the tolerances of the isentropic searches
    // (1e-11 on the scaled residuals), each step at most half the volume (a
    // factor e in ln V) and a fifth of the temperature.
    auto newton = [&](double t, double v) {
        for (int it = 0; it < 60; ++it) {
            temperature(t);
            volume(v);
            errorflag = 0;
            calculate_state_functions();
            if (errorflag || !std::isfinite(S) || !std::isfinite(P) || !std::isfinite(dSdVt) || dSdVt == 0.0)
                return false;
            if (atPressure) {
                const double r1 = (P - target) / target, r2 = (S - Ss) / R;
                if (std::fabs(r1) < 1e-11 && std::fabs(r2) < 1e-11) return dPdV < 0.0;  // not the unstable branch
                const double a11 = dPdT / target, a12 = v * dPdV / target, a21 = dSdTv / R, a22 = v * dSdVt / R;
                const double det = a11 * a22 - a12 * a21;
                if (!std::isfinite(det) || det == 0.0) return false;
                const double dt = -(r1 * a22 - a12 * r2) / det, dl = -(a11 * r2 - a21 * r1) / det;
                if (std::fabs(dt) < 1e-12 * t && std::fabs(dl) < 1e-12)
                    // Steps at rounding: the residuals are as small as the
                    // model computes them (a compressed liquid's pressure).
                    return std::fabs(r1) < 1e-6 && std::fabs(r2) < 1e-6 && dPdV < 0.0;
                if (land(t, v, dt, v * std::expm1(dl))) return true;
                const double sT = std::fabs(dt) > 0.2 * t ? 0.2 * t / std::fabs(dt) : 1.0;
                const double sV = std::fabs(dl) > 1.0 ? 1.0 / std::fabs(dl) : 1.0;
                const double sc = sT < sV ? sT : sV;
                t += sc * dt;
                v *= std::exp(sc * dl);
            } else {
                const double f = S - Ss;
                if (std::fabs(f) < 1e-11 * (1.0 + std::fabs(Ss))) return dPdV < 0.0;
                double dv = -f / dSdVt;
                if (std::fabs(dv) < 1e-13 * v) return dPdV < 0.0;  // a step at rounding
                if (land(t, v, 0.0, dv)) return true;
                if (dv > 0.5 * v) dv = 0.5 * v;
                if (dv < -0.5 * v) dv = -0.5 * v;
                v += dv;
            }
        }
        return false;
    };
    // The tangent of the isentrope at the start: dS = S_T dT + S_V dV = 0 and
    // dP = P_T dT + P_V dV.
    double t = atPressure ? T1 : target, v = V1, tangentT = std::nan(""), tangentV = std::nan("");
    const double h = atPressure ? target - P : target - T1;
    if (atPressure) {
        const double det = dSdTv * dPdV - dSdVt * dPdT;
        if (std::isfinite(det) && det != 0.0) {
            t = tangentT = T1 - dSdVt * h / det;
            v = tangentV = V1 + dSdTv * h / det;
        }
    } else if (std::isfinite(dSdVt) && dSdVt != 0.0) {
        v = tangentV = V1 - dSdTv / dSdVt * h;
    }
    // With the curvature of the step before in the same variable (not beside
    // the critical point, where the steps end on the spinodal).
    IsentropeCurvature& c = isentropeCurvature;
    if (!nearCritical && c.atPressure == atPressure && std::isfinite(tangentV) && std::isfinite(c.V)) {
        v += c.V * h * h * V1;
        if (atPressure && std::isfinite(c.T)) t += c.T * h * h * T1;
    }
    if (!(v > 0.0) || !std::isfinite(v) || !(t > 0.0) || !std::isfinite(t)) {
        t = atPressure ? T1 : target;
        v = V1;
    }
    // Where the tangent leads past the stable branch the search starts again
    // from the plain start.
    if ((!nearCritical && newton(t, v)) || newton(Tfrom, Vfrom)) {
        const double nan = std::nan("");
        c.atPressure = atPressure;
        c.V = h != 0.0 ? (V - tangentV) / (h * h * V1) : nan;
        c.T = h != 0.0 && atPressure ? (T - tangentT) / (h * h * T1) : nan;
        return true;
    }
    isentropeCurvature = IsentropeCurvature();
    errorflag = 1;
    return false;
}

double WaterMagmaModel::equationForHeatingDecompressionEquilibriumTemperature(double T_, void* p) {
    const EquilibriumData& d = *static_cast<const EquilibriumData*>(p);
    return (T_ - d.Tw) * d.Cw + (T_ - d.Tmag) * magmaHeatCapacity + calculateLatentHeatTerm(d.Tmag, T_);
}

// The running state of a heating-decompression path: the work and heat taken
// up so far, the water's and the fragments' temperatures after the last
// reheating, the next step, and the last points on each side of the end
// pressure and of the saturation curve (between which states 5 and 4 are
// interpolated).
struct WaterMagmaModel::HeatingDecompressionPath {
    double Uprev = 0.0, Tmag = 0.0, dP = -1.0, W = 0.0, Q = 0.0;
    bool byPressure = false;
    double Tw = 0.0, Vw = 0.0, Tnext = 0.0;
    double P4s = 0, T4s = 0, V4s = 0, W4s = 0, Q4s = 0;
    double P5s = 0, T5s = 0, V5s = 0, W5s = 0, Q5s = 0;
    // The last point of the path (a failed step leaves the model elsewhere).
    double lastT = 0.0, lastP = 0.0, lastV = 0.0, lastW = 0.0, lastQ = 0.0;
    bool failed = false;
};

void WaterMagmaModel::setDecompressionState4(double t, double p, double v, double w, double q) {
    decompressionT4 = t;
    decompressionP4 = p;
    decompressionV4 = v;
    decompressionWork4 = w;
    decompressionHeat4 = q;
}

// One isentropic step of the path, from the state the last reheating left;
// false (errorflag set) when it finds no stable state.  A step that fails on
// the unstable side before the path has crossed the saturation curve below
// the critical temperature takes the saturation state there as state 4.
bool WaterMagmaModel::stepHeatingDecompressionIsentrope(HeatingDecompressionPath& path) {
    if (path.byPressure)
        continueIsentrope(P + path.dP * 1e5, true, path.Tw, path.Vw);
    else
        continueIsentrope(path.Tnext, false, path.Tnext, V);
    if (!errorflag) return true;
    path.failed = true;
    if (dPdV > 0.0 && T < kWaterCritical.T && decompressionSaturationFlag == 0) {
        const double Vkeep = V;
        const double Ts = Vkeep > kCriticalVolume ? T + 1.0 : T;
        // A probe: without a saturation state here the path goes on
        // to the tests after the loop, so a miss is no failure.
        const short st = calculateTheSaturationPressure(Ts, false);
        if (st == 0) {
            decompressionT4 = T;
            decompressionP4 = P;
            decompressionV4 = Vv_sat;
            decompressionWork4 = path.W;
            decompressionHeat4 = path.Q;
            decompressionSaturationFlag = 1;
        }
        errorflag = 1;
    }
    return false;
}

// The common temperature of the water at Tw, of heat capacity Cw per kg of
// magma, and the fragments at Tmag after the isochoric reheating, with the
// latent heat of crystallisation between solidus and liquidus; false when
// the search for it fails.
bool WaterMagmaModel::fragmentsEquilibriumTemperature(double Tw, double Tmag, double Cw, double& Teq) {
    const double cpm = magmaHeatCapacity;
    Teq = (Tw * Cw + Tmag * cpm) / (Cw + cpm);
    const double lo = Tmag < Tw ? Tmag : Tw, hi = Tmag < Tw ? Tw : Tmag;
    if (latentHeat != 0.0 && !(hi < solidusTemperature) && !(lo > liquidusTemperature)) {
        EquilibriumData d{Tmag, Tw, Cw};
        Secant s;
        s.obj = this;
        s.fn = toEquationFn<ScalarEquationFn>(&WaterMagmaModel::equationForHeatingDecompressionEquilibriumTemperature);
        s.data = &d;
        s.x0 = Teq;
        s.x1 = Teq + 1e-4;
        s.monotone = 1;
        Teq = s.solve();
        if (s.status != 0) return false;
    }
    return true;
}

// State 5: the last point above the end pressure Pend, and the end
// interpolated between it and the first point below.
void WaterMagmaModel::trackHeatingDecompressionEnd(HeatingDecompressionPath& path, double Pend) {
    if (P > Pend) {
        decompressionEndFlag = 0;
        path.P5s = P;
        path.T5s = T;
        path.V5s = V;
        path.W5s = path.W;
        path.Q5s = path.Q;
    } else if (P < Pend && decompressionEndFlag == 0) {
        const double f = (Pend - path.P5s) / (P - path.P5s);
        decompressionP5 = f * P + (1 - f) * path.P5s;
        decompressionT5 = f * T + (1 - f) * path.T5s;
        decompressionV5 = f * V + (1 - f) * path.V5s;
        decompressionHeat5 = f * path.Q + (1 - f) * path.Q5s;
        decompressionWork5 = f * path.W + (1 - f) * path.W5s;
        decompressionEndFlag = 1;
    }
}

// State 4: below the critical temperature, the last point before the
// saturation curve (Wagner and Pruss's saturation pressure) on the path's
// side of it, and the crossing interpolated between it and the first point
// beyond; true when the path has crossed.
bool WaterMagmaModel::crossHeatingDecompressionSaturation(HeatingDecompressionPath& path) {
    if (!(T < kWaterCritical.T)) return false;
    const double Psat = WaterEOS::saturationPressureWagnerPruss(T);
    const bool liquidSide = S < kCriticalMolarEntropy;
    const bool before = liquidSide ? P > Psat : P < Psat;
    if (before) {
        decompressionSaturationFlag = 0;
        path.P4s = P;
        path.T4s = T;
        path.V4s = V;
        path.W4s = path.W;
        path.Q4s = path.Q;
        setDecompressionState4(T, P, V, path.W, path.Q);
    } else if (decompressionSaturationFlag == 0) {
        double w;
        if (liquidSide) {
            const double f = (Psat - path.P4s) / (P - path.P4s);
            w = f;
        } else {
            w = 1.0 / (1.0 + std::fabs((Psat - P) / (Psat - path.P4s)));
        }
        setDecompressionState4(w * T + (1 - w) * path.T4s, w * P + (1 - w) * path.P4s, w * V + (1 - w) * path.V4s,
                               w * path.W + (1 - w) * path.W4s, w * path.Q + (1 - w) * path.Q4s);
        decompressionSaturationFlag = 1;
        return true;
    }
    return false;
}

// The next step: in pressure where the isotherms are flat in pressure,
// else in temperature, both smaller at lower temperatures and pressures.
void WaterMagmaModel::chooseNextHeatingDecompressionStep(HeatingDecompressionPath& path) {
    const double a = d2AdTdV, b = d2AdV2, c = d2AdT2;
    const double r = (c - a * a / b) / (a / b);
    path.byPressure = r > 1e6;
    const double dT = T > 2000.0 ? -5.0 : (T > 1000.0 ? -2.0 : (T > 650.0 ? -1.0 : -0.1));
    path.dP = P > 1e9 ? -10.0 : (P > 1e8 ? -5.0 : (P > 2e7 ? -2.0 : (P > 1e7 ? -1.0 : -0.5)));
    path.Tnext = T + dT;
}

// A path that ended near the saturation curve without crossing it: its last
// state stands for state 4.
void WaterMagmaModel::closeHeatingDecompressionPath(const HeatingDecompressionPath& path) {
    // A path that never met the saturation curve but ends within 4 bar of it
    // below the critical temperature: its last state is state 4.
    if (decompressionSaturationFlag == -1 && T < kWaterCritical.T &&
        std::fabs(P - WaterEOS::saturationPressureWagnerPruss(T)) < 400000.0) {
        setDecompressionState4(T, P, V, path.W, path.Q);
        decompressionSaturationFlag = 1;
    }
    // A path that came down on one side of the curve and failed within a
    // kelvin below the critical point, within 4 bar of the curve, before its
    // step could cross it: its last point is state 4.
    if (decompressionSaturationFlag == 0 && path.failed && path.lastT > kWaterCritical.T - 1.0 && path.lastT < kWaterCritical.T &&
        std::fabs(path.lastP - WaterEOS::saturationPressureWagnerPruss(path.lastT)) < 400000.0) {
        setDecompressionState4(path.lastT, path.lastP, path.lastV, path.lastW, path.lastQ);
        decompressionSaturationFlag = 1;
    }
}

void WaterMagmaModel::calculateHeatingDecompression(double V0, double T0, double Tmin_, double Tmax_, double Pend,
                                                    char mode, const char* suffix, std::vector<double>* array) {
    const double M = molarMass();
    const double m = magmaWaterRatio;
    const int outMode = (mode == 1 || mode == 2 || mode == 6) ? mode : 0;
    CurveOutput out(outMode, CurveOutput::fileName("isoh", suffix), suffix,
                    {"T", "V", "P", "A", "H", "U", "S", "G", "Cv", "Cp", "Tm", "W2", "Q"}, array,
                    heatingDecompressionLayout());

    decompressionSaturationFlag = -1;
    decompressionEndFlag = -1;
    // States 4 and 5 are this path's own: none is left from a path before
    // (of an earlier batch or cycle), whatever this one reaches.
    const double nan = std::nan("");
    setDecompressionState4(nan, nan, nan, nan, nan);
    decompressionT5 = decompressionP5 = decompressionV5 = decompressionWork5 = decompressionHeat5 = nan;
    errorflag = 0;
    temperature(T0);
    volume(V0);
    calculate_pressure();
    calculate_state_functions();
    S_target = S;
    isentropeCurvature = IsentropeCurvature();  // the path's own steps only
    HeatingDecompressionPath path;
    path.Uprev = U;
    path.Tmag = T0;
    path.Tw = path.Tnext = path.lastT = T;
    path.Vw = path.lastV = V;
    path.lastP = P;
    // Every step lowers the temperature by at least 0.1 K or the pressure by
    // at least 0.5 bar; the count is a guard against a path that stalls.
    for (long step = 0; T > Tmin_ && T < Tmax_ && step < 1000000; ++step) {
        if (!stepHeatingDecompressionIsentrope(path)) break;
        path.Tw = T;
        path.Vw = V;
        const double Uafter = U;
        // The reheating is isochoric: the water takes up Cv dT, so its heat
        // capacity in the balance with the fragments is Cv.
        double Teq = 0.0;
        if (!fragmentsEquilibriumTemperature(path.Tw, path.Tmag, m * Cv / M, Teq)) {
            errorflag = 1;
            path.failed = true;
            break;
        }
        temperature(Teq);
        calculate_state_functions();
        S_target = S;
        const double Unew = U;
        path.W += Uafter - path.Uprev;
        path.Q += Unew - Uafter;
        out.writeValues(T, V * 1e6, P * 1e-5, A * 0.001, H * 0.001, U * 0.001, S, G * 0.001, Cv, Cp, Teq, path.W,
                        path.Q);
        path.lastT = T;
        path.lastP = P;
        path.lastV = V;
        path.lastW = path.W;
        path.lastQ = path.Q;
        trackHeatingDecompressionEnd(path, Pend);
        if (crossHeatingDecompressionSaturation(path)) break;
        if (P < Pend) break;
        chooseNextHeatingDecompressionStep(path);
        path.Uprev = Unew;
        path.Tmag = Teq;
    }
    closeHeatingDecompressionPath(path);
}

void WaterMagmaModel::calculateHeatingDecompressionPath1(const char*, double T0, double V0, double m_,
                                                         bool writeCurve) {
    magmaWaterRatio = m_;
    magmaTemperature = T0;
    calculateHeatingDecompression(V0, T0, 273.15, 1573.15, 1e5, writeCurve ? 1 : 0, "3", nullptr);
}

void WaterMagmaModel::calculateHeatingDecompressionPath2(const char* path, double T0, double S0, double Tmin_,
                                                         WaterMagmaCalculationResult& r) {
    const double M = molarMass();
    const double cM = M * magmaHeatCapacity / magmaWaterRatio;
    // A path that cannot follow the saturation curve down to Tmin (at the
    // critical point, where the saturation states merge) leaves no work.
    r.pathWork = r.pathHeat = NAN;
    temperature(T0);
    if (calculateTheSaturationPressure(T0) != 0) return;
    double Vl = Vl_sat, Vv = Vv_sat;
    volume(Vl);
    calculate_state_functions();
    double Sl = S;
    volume(Vv);
    calculate_state_functions();
    double Sv = S;
    double x = (S0 - Sv) / (Sl - Sv);
    double Vprev = x * Vl + (1 - x) * Vv, Vvprev = Vv;
    std::FILE* f = nullptr;
    if (path != nullptr) {
        f = platform::openOutput(path, "w");
    }
    if (f)
        std::fprintf(f, "# %12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\n", "T(1)",
                     "V(2)", "P(3)", "A(4)", "H(5)", "U(6)", "S(7)", "G(8)", "Cv(9)", "Cp(10)", "W(11)", "Q(12)",
                     "fl(13)");
    double W = 0.0, Q = 0.0, Sc = S0, t = T0;
    bool complete = true;
    while (t >= Tmin_) {
        temperature(t);
        if (calculateTheSaturationPressure(t) != 0) {
            complete = false;
            break;
        }
        Sc += cM * std::log(1.0 + 1.0 / t);
        Vl = Vl_sat;
        Vv = Vv_sat;
        volume(Vl);
        calculate_state_functions();
        Sl = S;
        const double Hl = H, Ul = U;
        volume(Vv);
        calculate_state_functions();
        Sv = S;
        const double Hv = H, Uv = U;
        const double Psat = P;
        double fl;
        if (Sc > Sv) {
            calculate_isentropic_point_at_fixed_T(t, Sc, Vv);
            W -= (V - Vvprev) * Psat;
            fl = 0.0;
            Vvprev = V;
        } else {
            fl = (Sc - Sv) / (Sl - Sv);
            V = fl * Vl + (1 - fl) * Vv;
            H = fl * Hl + (1 - fl) * Hv;
            U = fl * Ul + (1 - fl) * Uv;
            S = Sc;
            W -= (V - Vprev) * Psat;
            Vvprev = Vv;
            Vprev = V;
        }
        Q += cM;
        if (f)
            std::fprintf(f,
                         "%12.2f\t%12.3lf\t%12.2f\t%12.6lf\t%12.6lf\t%12.6lf\t%12.6lf\t%12.6lf\t%12.6lf\t%12.6lf\t"
                         "%12.2f\t%12.4lf\t%12.4lf\n",
                         t, V * 1e6, Psat * 1e-5, A * 0.001, H * 0.001, U * 0.001, S, G * 0.001, Cv, Cp, W, Q, fl);
        t -= 1.0;
    }
    if (f) platform::closeOutput(f, path);
    if (!complete) return;
    r.pathWork = 0.001 * W / M;
    r.pathHeat = 0.001 * Q / M;
}

double WaterMagmaModel::calculateIsentropicMixtureState(double S0, double T0, double T_) {
    const double M = molarMass();
    const double cM = M * magmaHeatCapacity / magmaWaterRatio;
    const double Sx = S0 + cM * std::log(T0 / T_);
    if (calculateTheSaturationPressure(T_) != 0) {
        platform::diagf("Error calculation %lf\n\n", T);
        return 1.0;
    }
    const double Vl = Vl_sat, Vv = Vv_sat;
    volume(Vl);
    calculate_state_functions();
    const double Sl = S, Hl = H, Ul = U;
    volume(Vv);
    calculate_state_functions();
    const double Sv = S, Hv = H, Uv = U;
    if (Sx > Sv) {
        calculate_isentropic_point_at_fixed_T(T_, Sx, Vv);
        return 0.0;
    }
    const double x = (Sx - Sv) / (Sl - Sv);
    V = x * Vl + (1 - x) * Vv;
    H = x * Hl + (1 - x) * Hv;
    U = x * Ul + (1 - x) * Uv;
    S = Sx;
    return x;
}
