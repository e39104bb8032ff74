// Isentropic states, isentropes and isochores of water: the states are
// solved on the reference model by Newton steps in V or in (T, ln V) with the
// analytic derivatives of the state functions, (dS/dV)_T = (dP/dT)_V and
// (dS/dT)_V = Cv / T.
#include <cmath>
#include <cstdio>

#include "console/WaterMagmaModel.h"

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
