// Curves of the H2O-NaCl phase diagram, each appended to the caller's array
// as rows of numbers (compositions in weight per cent, densities in kg/m3,
// specific volumes in cm3/g, T in °C, P in bar).  A row whose point search
// fails is left out where the curve says so.
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "brines/Palliser.h"
#include "fluid/CriticalPoints.h"

namespace {
void row(std::vector<double>& a, std::initializer_list<double> values) { a.insert(a.end(), values); }
}  // namespace

Palliser::CurveScope::~CurveScope() {
    if (array.size() > start) {
        owner.pointFailed = 0;
        return;
    }
    owner.pointFailed = 1;
    owner.refuse("H2O-NaCl %s: no point of the curve lies in the diagram %s\n", name, what.c_str());
}

std::string Palliser::sweepText(std::initializer_list<std::pair<const char*, double>> parts, const char* unit) {
    std::string s;
    char buf[96];
    for (const auto& [name, v] : parts) {
        std::snprintf(buf, sizeof buf, "%s%s = %g%s%s", s.empty() ? "at " : ", ", name, v, unit[0] ? " " : "", unit);
        s += buf;
    }
    return s;
}

void Palliser::calculateHaliteGasIsopleth(std::vector<double>& array, double X_) {
    if (!argumentsHold("calculateHaliteGasIsopleth", {salinityArg(X_)})) return;
    CurveScope curve(*this, "calculateHaliteGasIsopleth", array, sweepText({{"X", X_}}, "(NaCl mass fraction)"));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    for (double t = 100.0; t <= Ttriple; t += 1.0) {
        double p, r;
        calculateHaliteGasSat(t, X_, p, r);
        if (pointFailed) continue;
        row(array, {t, p});
    }
}

void Palliser::calculateGasIsopleth(std::vector<double>& array, double Xwt, double T0, double, double, double) {
    if (!argumentsHold("calculateGasIsopleth", {salinityPercentArg(Xwt), finiteArg("temperature T0", T0, "°C")})) return;
    CurveScope curve(*this, "calculateGasIsopleth", array, sweepText({{"Xwt", Xwt}, {"T0", T0}}, ""));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    const double X_ = 0.01 * Xwt;
    if (!sweepable(T0, PcNaCl, 1.0)) return;
    double p = 0.0, a = 0.0, b = 0.0, rv = 0.0;
    for (double t = T0; t <= PcNaCl && t > 250.0; t += 1.0) {
        calculateDewPoint(t, X_, p, a, b, rv);
        if (pointFailed) continue;
        row(array, {t, p, rv});
    }
}

void Palliser::calculateLiquidIsopleth(std::vector<double>& array, double Xwt, double Tend, double T0) {
    if (!argumentsHold("calculateLiquidIsopleth", {salinityPercentArg(Xwt), finiteArg("temperature Tend", Tend, "°C"),
                                                   finiteArg("temperature T0", T0, "°C")}))
        return;
    CurveScope curve(*this, "calculateLiquidIsopleth", array, sweepText({{"T0", T0}, {"Tend", Tend}}, "°C"));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    const double X_ = 0.01 * Xwt;
    if (!sweepable(T0, Tend, 1.0)) return;
    double p = 0.0, Xv, rl, rv;
    for (double t = T0; t <= Tend; t += 1.0) {
        calculateBubblePoint(t, X_, p, Xv, rl, rv);
        if (pointFailed) continue;
        row(array, {t, p, rl});
    }
    double pc = 0.0, xc = 0.0, rc = 0.0;
    calculateCriticalPoint(Tend, pc, xc, rc);
    if (!pointFailed) row(array, {Tend, pc, rc});
}

void Palliser::calculateIsobaricHaliteLiquidCurve(std::vector<double>& array, double P_, double T0, double T1) {
    if (!argumentsHold("calculateIsobaricHaliteLiquidCurve", {pressureArg(P_), finiteArg("temperature T0", T0, "°C"),
                                 finiteArg("temperature T1", T1, "°C")}))
        return;
    CurveScope curve(*this, "calculateIsobaricHaliteLiquidCurve", array, sweepText({{"P", P_}, {"T0", T0}, {"T1", T1}}, ""));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    if (!sweepable(T0, T1, 1.0)) return;
    for (double t = T0; t <= T1; t += 1.0) {
        double Xs = 1.0;
        if (t <= Ttriple) {
            double ps, xv, rl, rv;
            calculateSLVPoint(t, ps, Xs, xv, rl, rv);
        }
        double x, r;
        calculateHaliteLiquidPoint(t, P_, x, Xs, r);
        if (pointFailed) continue;
        row(array, {t, 100.0 * x, r});
    }
}

void Palliser::calculateIsobaricHaliteGasCurve(std::vector<double>& array, double P_, double T0, double T1) {
    if (!argumentsHold("calculateIsobaricHaliteGasCurve", {pressureArg(P_), finiteArg("temperature T0", T0, "°C"),
                                 finiteArg("temperature T1", T1, "°C")}))
        return;
    CurveScope curve(*this, "calculateIsobaricHaliteGasCurve", array, sweepText({{"P", P_}, {"T0", T0}, {"T1", T1}}, ""));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    if (!sweepable(T0, T1, 1.0)) return;
    for (double t = T0; t <= T1; t += 1.0) {
        double x, r;
        pointFailed = 0;
        calculateHaliteGasBubble(t, P_, x, r);
        // (None above the three-phase pressure or the melting point of halite.)
        if (pointFailed) continue;
        row(array, {t, 100.0 * x, r});
    }
}

void Palliser::calculateIsobaricLiquidGas1(std::vector<double>& array, double P_, double Tend, double T0) {
    if (!argumentsHold("calculateIsobaricLiquidGas1", {pressureArg(P_), finiteArg("temperature Tend", Tend, "°C"),
                                                       finiteArg("temperature T0", T0, "°C")}))
        return;
    CurveScope curve(*this, "calculateIsobaricLiquidGas1", array, sweepText({{"P", P_}, {"T0", T0}, {"Tend", Tend}}, ""));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    if (!sweepable(T0, Tend, 1.0) || !std::isfinite(P_)) return;
    double start = T0;
    if (P_ < Pcw) {
        double rl, rv;
        pointFailed = 0;
        const double ts = getWaterSaturationTemperature(P_, rl, rv);
        // Between the critical pressure of water and 221 bar there is no
        // saturation temperature: the sweep starts at T0 without a first row.
        if (!pointFailed) {
            row(array, {ts, 0.0, 0.0, rl, rv});
            start = ts;
        }
    } else if (T0 >= Tcw && T0 <= TmixTop) {
        double pc = P_, xc = 0.0, rc = 0.0;
        calculateCriticalPoint(T0, pc, xc, rc);
        P_ = pc;
        row(array, {T0, 100.0 * xc, 100.0 * xc, rc, rc});
    }
    // (Below the critical point of water, or above NaCl's, T0 has no
    // critical point: the isobar at P starts at T0 without a first row.)
    double xl, xv, rl, rv;
    for (double t = start; t <= Tend; t += 1.0) {
        calculateLGPoint(t, P_, xl, xv, rl, rv);
        if (pointFailed) continue;
        row(array, {t, 100.0 * xl, 100.0 * xv, rl, rv});
    }
    calculateLGPoint(Tend, P_, xl, xv, rl, rv);
    if (!pointFailed) row(array, {Tend, 100.0 * xl, 100.0 * xv, rl, rv});
}

void Palliser::calculateIsobaricLiquidGas2(std::vector<double>& array, double P_, double T0, double T1) {
    if (!argumentsHold("calculateIsobaricLiquidGas2", {pressureArg(P_), finiteArg("temperature T0", T0, "°C"),
                                 finiteArg("temperature T1", T1, "°C")}))
        return;
    CurveScope curve(*this, "calculateIsobaricLiquidGas2", array, sweepText({{"P", P_}, {"T0", T0}, {"T1", T1}}, ""));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    double xl, xv, rl, rv;
    if (P_ <= PcNaCl) {
        const double Tend = calculateNaClSatTemperature(P_);
        if (!sweepable(T0, Tend, 10.0)) return;
        for (double t = T0; t <= Tend; t += 10.0) {
            calculateLGPoint(t, P_, xl, xv, rl, rv);
            if (pointFailed) continue;
            row(array, {t, 100.0 * xl, 100.0 * xv, rl, rv});
        }
        calculateLGPoint(Tend, P_, xl, xv, rl, rv);
        if (!pointFailed) row(array, {Tend, 100.0, 100.0, rl, rv});
        return;
    }
    if (!sweepable(T0, T1, 10.0)) return;
    for (double t = T0; t < T1; t += 10.0) {
        calculateLGPoint(t, P_, xl, xv, rl, rv);
        if (pointFailed) continue;
        row(array, {t, 100.0 * xl, 100.0 * xv, rl, rv});
    }
    double pc, xc = 0.0, rc = 0.0;
    calculateCriticalPoint(T1, pc, xc, rc);
    if (!pointFailed) row(array, {T1, 100.0 * xc, 100.0 * xc, rc, rc});
}

void Palliser::calculateIsobaricLiquidGas3(std::vector<double>& array, double P_, double T0, double T1) {
    if (!argumentsHold("calculateIsobaricLiquidGas3", {pressureArg(P_), finiteArg("temperature T0", T0, "°C"),
                                 finiteArg("temperature T1", T1, "°C")}))
        return;
    CurveScope curve(*this, "calculateIsobaricLiquidGas3", array, sweepText({{"P", P_}, {"T0", T0}, {"T1", T1}}, ""));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    double pc, xc = 0.0, rc = 0.0;
    calculateCriticalPoint(T0, pc, xc, rc);
    if (!pointFailed) row(array, {T0, 100.0 * xc, 100.0 * xc, rc, rc});
    if (P_ < Pcw) return;
    if (!sweepable(T0, T1, 10.0)) return;
    double xl = 0.0, xv = 0.0, rl = 0.0, rv = 0.0;
    bool found = false;
    for (double t = T0 + 1.0; t <= T1; t += 10.0) {
        double a, b, c, d;
        calculateLGPoint(t, P_, a, b, c, d);
        if (pointFailed) continue;
        xl = a;
        xv = b;
        rl = c;
        rv = d;
        found = true;
        row(array, {t, 100.0 * xl, 100.0 * xv, rl, rv});
    }
    if (P_ >= PcNaCl) {
        calculateCriticalPoint(T1, pc, xc, rc);
        if (!pointFailed) row(array, {T1, 100.0 * xc, 100.0 * xc, rc, rc});
    } else if (found) {
        row(array, {T1, 100.0, 100.0, rl, rv});
    }
}

void Palliser::calculateHaliteLiquidIsotherm(std::vector<double>& array, double T_) {
    if (!argumentsHold("calculateHaliteLiquidIsotherm", {{"temperature T", T_, 0.0, getHaliteMeltingTemperature(kTopPressure), "°C"}}))
        return;
    CurveScope curve(*this, "calculateHaliteLiquidIsotherm", array, sweepText({{"T", T_}}, "°C"));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    double P0, Xs = 1.0;
    if (T_ <= Ttriple) {
        double xv, rl, rv;
        calculateSLVPoint(T_, P0, Xs, xv, rl, rv);
    } else {
        P0 = getHaliteMeltingPressure(T_);
    }
    // Up to the top of the diagram (the halite liquidus's correlations hold
    // to 5000 bar), whatever state was placed before.
    if (!sweepable(P0, kTopPressure, 10.0)) return;
    for (double p = P0; p <= kTopPressure; p += 10.0) {
        double x, r;
        calculateHaliteLiquidPoint(T_, p, x, Xs, r);
        if (pointFailed) continue;
        row(array, {p, 100.0 * x, r});
    }
}

void Palliser::calculateHaliteGasIsotherm(std::vector<double>& array, double T_) {
    if (!argumentsHold("calculateHaliteGasIsotherm", {{"temperature T", T_, 0.1, Ttriple, "°C"}})) return;
    CurveScope curve(*this, "calculateHaliteGasIsotherm", array, sweepText({{"T", T_}}, "°C"));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    if (!(T_ <= Ttriple)) return;
    preCalculateHaliteGasBubble(T_);
    if (!sweepable(1e-5, Pslv, 1.0)) return;
    for (double p = 1e-5; p <= Pslv; p += 1.0) {
        double x, r;
        doCalculateHaliteGasBubble(p, x, r);
        if (pointFailed) continue;
        row(array, {p, 100.0 * x, r, 1000.0 / r});
    }
    row(array, {Pslv, 100.0 * Xvslv, rhovslv, 1000.0 / rhovslv});
}

void Palliser::calculateLiquidGasIsotherm(std::vector<double>& array, double T_) {
    if (!argumentsHold("calculateLiquidGasIsotherm", {temperatureArg(T_)})) return;
    CurveScope curve(*this, "calculateLiquidGasIsotherm", array, sweepText({{"T", T_}}, "°C"));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    if (!std::isfinite(T_) || T_ > TmixTop) return;
    preCalculate_Fixed_T_Parameters(T_);
    const double step = T_ < 400.0 ? 0.5 : 1.0;
    double Plow, Phigh;
    getLiquidGasPressureBounds(T_, Plow, Phigh);
    if (!sweepable(Plow, Phigh, step)) return;
    double xl, xv, rl, rv;
    for (double p = Plow; p <= Phigh; p += step) {
        calculateForLiquidGasIsotherm(T_, p, xl, xv, rl, rv);
        if (pointFailed) continue;
        row(array, {p, 100.0 * xl, 100.0 * xv, rl, rv, 1000.0 / rl, 1000.0 / rv});
    }
    calculateForLiquidGasIsotherm(T_, Phigh, xl, xv, rl, rv);
    if (!pointFailed) row(array, {Phigh, 100.0 * xl, 100.0 * xv, rl, rv, 1000.0 / rl, 1000.0 / rv});
}

void Palliser::calculateNaClSublimationCurve(std::vector<double>& array) {
    for (double t = 100.0; t < Ttriple; t += 1.0) row(array, {t, getHaliteSublimationPressure(t)});
    row(array, {Ttriple, Ptriple});
}

void Palliser::calculateCriticalCurve(std::vector<double>& array) {
    QuietScope quietRows(*this);  // (rows without a point are left out)
    // From water's critical point to the top of the mixture's correlations.
    double p = 0.0, x = 0.0, r = 0.0;
    for (double t = Tcw; t < TmixTop; t += 1.0) {
        calculateCriticalPoint(t, p, x, r);
        row(array, {t, p, 100.0 * x, r, 1000.0 / r});
    }
    calculateCriticalPoint(TmixTop, p, x, r);
    row(array, {TmixTop, p, 100.0 * x, r, 1000.0 / r});
}

void Palliser::calculateNaClSatCurve(std::vector<double>& array) {
    QuietScope quietRows(*this);  // (rows without a point are left out)
    double p, rl, rv;
    for (double t = Ttriple; t < TcNaCl; t += 1.0) {
        calculateNaClSaturationPoint(t, p, rl, rv);
        row(array, {t, p, rl, rv});
    }
    calculateNaClSaturationPoint(TcNaCl, p, rl, rv);
    PcNaCl = p;
    rhocNaCl = 0.5 * (rl + rv);
    row(array, {TcNaCl, p, rl, rv});
}

void Palliser::calculateSLVCurve(std::vector<double>& array) {
    QuietScope quietRows(*this);  // (rows without a point are left out)
    double p, xl, xv, rl, rv;
    for (double t = 50.0; t < Ttriple; t += 1.0) {
        calculateSLVPoint(t, p, xl, xv, rl, rv);
        row(array, {t, p, 100.0 * xv, 100.0 * xl, rl, rv, 1000.0 / rl, 1000.0 / rv});
    }
    calculateSLVPoint(Ttriple, p, xl, xv, rl, rv);
    row(array, {Ttriple, p, 100.0, 100.0, 1.0, 1.0, 1000.0 / rl, 1000.0 / rv});
}

void Palliser::calculateIceMeltingCurve(std::vector<double>& array, double c) {
    if (!argumentsHold("calculateIceMeltingCurve", {fractionArg("NaCl share c of the salt", c)})) return;
    // Up to the eutectic, where ice stops melting last.
    QuietScope q(*this);
    for (int k = 0; k <= 100; ++k) {
        const double w = 0.4 * k;
        double t;
        calculateFreezingTemperature(0.01 * w, c, t);
        if (pointFailed) break;
        row(array, {w, t});
    }
    pointFailed = 0;
}

void Palliser::calculateTheIsochor(std::vector<double>& array, double X_, double T0, double P0, double T1,
                                   double rho_) {
    if (!argumentsHold("calculateTheIsochor", {salinityArg(X_), finiteArg("temperature T0", T0, "°C"),
                                               anyPressureArg(P0), finiteArg("temperature T1", T1, "°C"),
                                               densityArg(rho_)}))
        return;
    CurveScope curve(*this, "calculateTheIsochor", array, sweepText({{"T0", T0}, {"P0", P0}, {"T1", T1}, {"rho", rho_}}, ""));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    if (!sweepable(T0, T1, 1.0) || !std::isfinite(P0)) return;
    double p = P0;
    for (double t = T0; t >= T1; t -= 1.0) {
        calculateFluidDensity(t, p, X_, rho_);
        if (region != 6) break;
        if (X_ < 1e-8) {
            p = getIsochoricWaterPressure(t, rho_);
            if (!std::isfinite(p)) break;
            region = 60;
        } else if (X_ <= 0.9999) {
            p = getIsochoricFluidPressure(t, p, rho_, 100.0 * X_);
            if (p == 0.0) break;
            region = 60;
        }
        row(array, {t, p});
    }
}

void Palliser::calculateBoilingCurveWithGasVolume(std::vector<double>& array, double Xwt, double phiPct, double Tend,
                                                  double T0) {
    if (!argumentsHold("calculateBoilingCurveWithGasVolume",
                       {salinityPercentArg(Xwt), {"vapour volume fraction phiPct", phiPct, 0.0, 100.0, "%"},
                        finiteArg("temperature Tend", Tend, "°C"), finiteArg("temperature T0", T0, "°C")}))
        return;
    CurveScope curve(*this, "calculateBoilingCurveWithGasVolume", array, sweepText({{"T0", T0}, {"Tend", Tend}}, "°C"));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    const double X_ = 0.01 * Xwt, phi = 0.01 * phiPct;
    if (!sweepable(T0, Tend, 1.0)) return;
    double p = 0.0, xl, xv, rl, rv, r = 0.0;
    for (double t = T0; t <= Tend; t += 1.0) {
        calculateBoilingPointWithGasVolume(t, X_, phi, p, xl, xv, rl, rv, r);
        if (pointFailed || !(p > 0.0)) continue;
        row(array, {t, p, r});
    }
    double pc = 0.0, xc = 0.0, rc = 0.0;
    calculateCriticalPoint(Tend, pc, xc, rc);
    if (!pointFailed) row(array, {Tend, pc, rc});
}

void Palliser::calculateSpinodalCurve(std::vector<double>& array, double X_) {
    if (!argumentsHold("calculateSpinodalCurve", {salinityArg(X_)})) return;
    double Tc, Pc, rc;
    calculateCriticalPointFromX(X_, Tc, Pc, rc);
    if (pointFailed) return;
    for (int k = 0; k < 190; ++k) {
        const double t = 0.001 * k;
        row(array, {Tc - kWaterCritical.T * t, Pc * (1.0 - 9.2817 * t - 33.391 * t * t)});
    }
}

void Palliser::calculateHaliteLiquidIsopleth(std::vector<double>& array, double X_, double Tstart) {
    if (!argumentsHold("calculateHaliteLiquidIsopleth", {salinityArg(X_)})) return;
    CurveScope curve(*this, "calculateHaliteLiquidIsopleth", array, sweepText({{"X", X_}, {"Tstart", Tstart}}, ""));
    QuietScope quietRows(*this);  // (rows without a point are left out)
    double t, p0, xv, rl, rv;
    calculateSLVPointFromX(X_, t, p0, xv, rl, rv, Tstart);
    // Up to the top of the diagram, whatever state was placed before.
    if (pointFailed || !sweepable(p0, kTopPressure, 20.0)) return;
    double r;
    for (double p = p0; p < kTopPressure; p += 20.0) {
        double tn;
        calculateHaliteLiquidTemperature(X_, p, tn, r, t);
        if (pointFailed) continue;
        t = tn;
        row(array, {t, p, r});
    }
    double tn;
    calculateHaliteLiquidTemperature(X_, kTopPressure, tn, r, t);
    if (!pointFailed) row(array, {tn, kTopPressure, r});
}
