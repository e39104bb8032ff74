// Isentropic states, isentropes and isochores of water, and the saturation
// and spinodal starters that the energetics need: the states are solved on
// the reference model by Newton steps in (T, ln V) with the analytic
// derivatives of the state functions, (dS/dV)_T = (dP/dT)_V and
// (dS/dT)_V = Cv / T.
#include <cmath>
#include <cstdio>

#include "console/WaterMagmaModel.h"
#include "water/WaterCorrelations.h"

namespace {

bool isFinite(double v) { return std::isfinite(v); }

}  // namespace

void WaterMagmaModel::calculate_isentropic_point_at_fixed_T(double T_, double S_, double V0) {
    errorflag = 0;
    isentropicTarget = S_;
    temperature(T_);
    double v = V0 > 0.0 && isFinite(V0) ? V0 : (V > 0.0 ? V : 1.8e-5);
    for (int it = 0; it < 60; ++it) {
        volume(v);
        errorflag = 0;
        calculate_state_functions();
        if (errorflag || !isFinite(S) || !isFinite(dSdVt) || dSdVt == 0.0) {
            errorflag = 1;
            return;
        }
        const double f = S - S_;
        double dv = -f / dSdVt;
        // Steps of at most half the volume keep it positive.
        if (dv > 0.5 * v) dv = 0.5 * v;
        if (dv < -0.5 * v) dv = -0.5 * v;
        if (std::fabs(f) < 1e-11 * (1.0 + std::fabs(S_)) || std::fabs(dv) < 1e-13 * v) {
            if (std::fabs(dv) > 1e-13 * v) {
                volume(v + dv);
                calculate_state_functions();
            }
            if (errorflag || !stateIsMechanicallyStable()) errorflag = 1;
            return;
        }
        v += dv;
    }
    errorflag = 1;
}

void WaterMagmaModel::calculateFromTS(double T_, double S_, char print) {
    calculate_isentropic_point_at_fixed_T(T_, S_, V);
    if (errorflag) return;
    calculate_fugacities();
    if (print) dump();
}

void WaterMagmaModel::calculate_isentropic_point_at_fixed_P(double P_bar, double S_, double T0, double V0) {
    errorflag = 0;
    isentropicTarget = S_;
    const double Pt = P_bar * 1e5;
    double t = T0, lv = std::log(V0 > 0.0 && isFinite(V0) ? V0 : 1.8e-5);
    if (!isFinite(t) || t <= 0.0 || !isFinite(lv) || Pt <= 0.0 || !isFinite(S_)) {
        errorflag = 1;
        return;
    }
    for (int it = 0; it < 80; ++it) {
        temperature(t);
        volume(std::exp(lv));
        errorflag = 0;
        calculate_state_functions();
        if (errorflag || !isFinite(P) || !isFinite(S)) {
            errorflag = 1;
            return;
        }
        const double v = V;
        const double r1 = (P - Pt) / Pt, r2 = (S - S_) / R;
        const double a11 = dPdT / Pt, a12 = v * dPdV / Pt;
        const double a21 = dSdTv / R, a22 = v * dSdVt / R;
        const double det = a11 * a22 - a12 * a21;
        if (!isFinite(det) || det == 0.0) {
            errorflag = 1;
            return;
        }
        double dt = -(r1 * a22 - a12 * r2) / det;
        double dl = -(a11 * r2 - a21 * r1) / det;
        // Damped steps: at most a fifth of T and a factor e in V.
        const double sT = std::fabs(dt) > 0.2 * t ? 0.2 * t / std::fabs(dt) : 1.0;
        const double sV = std::fabs(dl) > 1.0 ? 1.0 / std::fabs(dl) : 1.0;
        const double s = sT < sV ? sT : sV;
        dt *= s;
        dl *= s;
        if (std::fabs(r1) < 1e-11 && std::fabs(r2) < 1e-11) {
            if (!stateIsMechanicallyStable()) errorflag = 1;
            return;
        }
        t += dt;
        lv += dl;
        if (t <= 1.0) t = 1.0;
        if (std::fabs(dt) < 1e-12 * t && std::fabs(dl) < 1e-12) {
            temperature(t);
            volume(std::exp(lv));
            calculate_state_functions();
            if (errorflag || !stateIsMechanicallyStable() || std::fabs(P - Pt) > 1e-6 * Pt) errorflag = 1;
            return;
        }
    }
    errorflag = 1;
}

void WaterMagmaModel::writeIsoRow(CurveOutput& out) {
    const double M = molarMass();
    out.writeValues(P * 1e-5, T, V * 1e6, U, H, S, U * 0.001 / M);
}

void WaterMagmaModel::calculateTheIsochor(double V_, double Tmin_, double Tmax_, int /*option*/, char mode,
                                          const char* suffix, std::vector<double>* array) {
    CurveOutput out(mode, CurveOutput::fileName("isoc", suffix), suffix, {"P", "T", "V", "U", "H", "S", "Um"},
                    array);
    if (!(Tmax_ >= Tmin_) || !(V_ > 0.0)) return;
    const int n = 100;
    for (int i = 0; i <= n; ++i) {
        const double t = Tmin_ + (Tmax_ - Tmin_) * i / n;
        errorflag = 0;
        temperature(t);
        volume(V_);
        calculate_state_functions();
        if (errorflag) continue;
        writeIsoRow(out);
    }
    errorflag = 0;
}

void WaterMagmaModel::calculateTheIsentropicCurve(double T0, double P0_bar, double V0, double /*unused*/,
                                                  double Tmin_, double Tmax_, double Pmin, double Pmax, char mode,
                                                  const char* suffix, std::vector<double>* array) {
    CurveOutput out(mode, CurveOutput::fileName("isos", suffix), suffix, {"P", "T", "V", "U", "H", "S", "Um"},
                    array);
    errorflag = 0;
    if (V0 > 0.0) {
        temperature(T0);
        volume(V0);
        calculate_state_functions();
    } else {
        calculateFromTP(T0, P0_bar, 0);
    }
    if (errorflag) {
        errorflag = 0;
        return;
    }
    const double S0 = S;
    double t = T;
    // Down in temperature by 1 K (0.1 K near the critical point).
    for (int i = 0; i < 20000; ++i) {
        if (!(t > Tmin_ && t < Tmax_ + 1e-9) || !(P > Pmin && P < Pmax)) break;
        writeIsoRow(out);
        t -= std::fabs(t - kCriticalTemperature) < 5.0 ? 0.1 : 1.0;
        calculate_isentropic_point_at_fixed_T(t, S0, V);
        if (errorflag) break;
    }
    errorflag = 0;
}

// ---------------------------------------------------------------- starters
// Start values from fits of the reference model's saturation and spinodal
// states in P (bar) or S (J/(mol K)); the states themselves are solved by the
// framework's liquid-vapour and spinodal systems.

void WaterMagmaModel::calculateTheSaturationTemperature(double P_bar, char print) {
    initializeSaturationVolumesFromP("H2O", P_bar);
    calculate_saturation_temperature(P_bar * 1e5, T);
    if (errorflag) return;
    const double Vl = Vl_sat, Vv = Vv_sat;
    if (print) std::printf("Saturation for P : %12.2f at T : %12.2f\n", P_bar, T);
    set_the_phase_as(2);
    volume(Vl);
    calculate_state_functions();
    const double Hl = H;
    if (print) {
        std::printf("Liquid\n");
        dump();
    }
    set_the_phase_as(1);
    volume(Vv);
    calculate_state_functions();
    Hvap = H - Hl;
    if (print) {
        std::printf("\nVapour\n");
        dump();
    }
}

void WaterMagmaModel::calculateCondensationPointFromS(double S_) {
    S = S_;
    double T0, Vl, Vv;
    if (S_ > 100.0) {
        const double s = S_;
        T0 = 67050.9607499825 + s * (-3930.6319119258 + s * (96.9607424595208 + s * (-1.29242031505048 +
             s * (0.0100716278986271 + s * (-4.60319681514262e-5 + s * (1.14586979094807e-7 +
             s * -1.2013985726709e-10))))));
        Vl = 6067.81008947628 + s * (-298.939842886778 + s * (6.39347559402213 + s * (-0.0762721969385503 +
             s * (0.000545847609681267 + s * (-2.33656985229852e-6 + s * (5.52826958659407e-9 +
             s * -5.56931827412391e-12))))));
        Vv = std::exp(-583.455663841018 + s * (32.1835495154806 + s * (-0.739677756230716 +
             s * (0.00922636561450297 + s * (-6.74919800944211e-5 + s * (2.90664747041139e-7 +
             s * (-6.84406316491518e-10 + s * 6.812170821675e-13)))))));
    } else {
        const double s = S_;
        T0 = 8616.70768919304 + s * (-366.754736361379 + s * (6.22155669998808 + s * (-0.0458878624662881 +
             s * 0.000123227303791319)));
        Vl = 9810.34936892436 + s * (-406.879187074155 + s * (6.39912405979372 + s * (-0.0450014030740732 +
             s * 0.000119146538621841)));
        Vv = 47399.2744549282 + s * (-2250.43030208195 + s * (40.1641427914553 + s * (-0.319576845383153 +
             s * 0.000958647753314745)));
    }
    temperature(T0);
    Vl0 = Vl * 1e-6;
    Vv0 = Vv * 1e-6;
    calculateGasSaturationFromEntropy(S_);
    if (errorflag) return;
    // The model is left at the saturated vapour.
    set_the_phase_as(1);
    volume(Vv_sat);
    calculate_state_functions();
    if (!isFinite(T) || !isFinite(P)) errorflag = 1;
}

void WaterMagmaModel::calculateBoilingPointFromS(double S_) {
    S = S_;
    double T0, Vl, Vv;
    const double s = S_;
    if (S_ >= 75.0) {
        T0 = -8162.16910307568 + s * (327.931167518129 + s * (-4.06728487448141 + s * 0.0168072835108196));
        Vl = 5923.04953720138 + s * (-221.898890199353 + s * (2.74960362345052 + s * -0.0111529653048284));
        Vv = -11646.5800860348 + s * (498.890537425223 + s * (-6.95143730640958 + s * 0.031793914208601));
    } else {
        T0 = 272.809435639882 + s * (3.61657409435044 + s * (0.0358798509493856 + s * (-0.000716369397836898 +
             s * (1.96926029311812e-5 + s * -1.77614513495698e-7))));
        Vl = 17.9500519187534 + s * (-0.0116717867408128 + s * (0.00420681665257632 + s * (-6.46664628501754e-5 +
             s * (-6.0741575953088e-6 + s * (3.19751238017353e-7 + s * (-5.32504485402132e-9 +
             s * 3.07047531925185e-11))))));
        Vv = std::exp(15.0632965977561 + s * (-0.241334038378774 + s * (0.0019215671889041 +
             s * -7.82407081410107e-6)));
    }
    temperature(T0);
    Vl0 = Vl * 1e-6;
    Vv0 = Vv * 1e-6;
    calculateLiquidSaturationFromEntropy(S_);
    if (!errorflag && (!isFinite(T) || !isFinite(P))) errorflag = 1;
}

void WaterMagmaModel::calculateTheLiquidSpinodalTemperatureFromP(double P_bar) {
    const double p = P_bar;
    const double V0 = std::exp(3.42835800103092 + p * (0.000351604353245499 + p * (1.8681435845805e-7 +
                               p * 5.19641923005496e-11)) + (0.986062100268068 - 0.0561169935810898 * p) /
                               (p - 250.0)) * 1e-6;
    const double T0 = 593.430725940414 + p * (0.197994253532845 + p * (0.000135111712276064 +
                      p * (1.51385087233026e-7 + p * (9.58442736346636e-11 + p * 2.41842250038811e-14))));
    calculateSpinodalPoint2(P_bar, V0, T0);
    if (errorflag) return;
    const short kept = errorflag;
    calculate_state_functions();
    if (kept == 0 && errorflag == 0 && !isFinite(S)) errorflag = 1;
}
