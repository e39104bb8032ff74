// The liquid-vapour surface of H2O-NaCl after Driesner & Heinrich (2007, GCA
// 71, 4880-4901).  At a fixed temperature the coexisting liquid and vapour
// run between a low-pressure end (the three-phase point, or boiling molten
// NaCl above the triple point) and a high-pressure end (water's saturation
// pressure below water's critical temperature, the critical point above).
// The liquid is eq. 11 (sub-critical form, x = 0 at water's saturation
// pressure, below 373.946 °C; super-critical form above), the vapour eq.
// 13-17; both are written here in the reduced pressure
// s = (Phigh - P)/(Phigh - Plow), 1 at the low end and 0 at the high end.
// The liquid's density is the one-phase liquid density of the model
// (PalliserModelLiquid.cpp) at the point's composition and pressure, and the
// critical density is that liquid's at the critical point; the vapour's is
// the same correlation on water's vapour side, and where that does not hold
// water vapour's plus the excess of a power law in s between the three-phase
// (or molten-NaCl) vapour and the critical density (this model's own law,
// Palliser & McKibbin 1998's exponents).
#include <cmath>

#include "brines/DriesnerHeinrich.h"
#include "brines/DriesnerVolume.h"
#include "brines/PalliserLever.h"
#include "brines/PalliserModel.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

namespace {
constexpr double kTcw = 374.15;  // °C, where the density laws change exponents
constexpr double kNearCriticalTop = 384.0;
// °C above 374.15 °C over which the vapour-density law under the critical
// curve takes over from the one under water's saturation pressure.
constexpr double kLawBlend = kNearCriticalTop - kTcw;
// Points of the scan for the dew point (quadratic in s, dense near the
// critical point where the vapour branch is steep).
constexpr int kDewScan = 400;

double vapourDensityExponentBelowCritical(double T) { return 0.787001 + 0.00102499 * T - 13.6227 / (T - 380.0); }
double clip01(double s) { return s < 0.0 ? 0.0 : (s > 1.0 ? 1.0 : s); }

// Weight of the density law under the critical curve at T (critical
// composition Xc): 0 up to 374.15 °C, 1 from 384 °C, a smoothstep between.
double lawBlendWeight(double T, double Xc) {
    if (!(T > kTcw) || !(Xc > 0.0)) return 0.0;
    const double u = std::fmin((T - kTcw) / kLawBlend, 1.0);
    return u * u * (3.0 - 2.0 * u);
}

// Density law from the high end rHigh to the low end r0: rHigh + (r0 - rHigh)
// s^(1/e), with the exponent eB under water's saturation pressure and eA
// under the critical curve, blended linearly with the weight w.
double densityLaw(double rHigh, double r0, double eB, double eA, double w, double s) {
    const double b = w < 1.0 ? rHigh + (r0 - rHigh) * std::pow(s, 1.0 / eB) : 0.0;
    const double a = w > 0.0 ? rHigh + (r0 - rHigh) * std::pow(s, 1.0 / eA) : 0.0;
    return (1.0 - w) * b + w * a;
}
}  // namespace

double PalliserModel::SurfaceLaw::liquidMoleFraction(double s) const {
    const double x = dh07::liquidBranch(T, pressure(clip01(s)), Plow, xlow, PsatW);
    return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
}

double PalliserModel::SurfaceLaw::liquidComposition(double s) const {
    return dh07::massFraction(liquidMoleFraction(s));
}

double PalliserModel::SurfaceLaw::vapourComposition(double s) const {
    const double xl = liquidMoleFraction(s);
    if (!(xl > 0.0)) return 0.0;
    const double xv = dh07::vapourBranch(T, pressure(clip01(s)), xl);
    return dh07::massFraction(std::fmin(xv, xl));
}

double PalliserModel::SurfaceLaw::liquidLaw(double s) const { return densityLaw(rHighL, rl0, elB, elA, w, s); }

double PalliserModel::SurfaceLaw::vapourLaw(double s) const { return densityLaw(rHighV, rv0, evB, evA, w, s); }

bool PalliserModel::SurfaceLaw::liquidReducedPressure(double X, double& s) const {
    // The liquid's salt content falls monotonically with the pressure, from
    // the low end's to the critical composition (0 below water's critical
    // temperature): bisection in s.
    const double x = dh07::moleFraction(X);
    if (!(x >= liquidMoleFraction(0.0) && x <= liquidMoleFraction(1.0))) return false;
    double lo = 0.0, hi = 1.0;
    for (int k = 0; k < 200 && hi - lo > 1e-16; ++k) {
        const double m = 0.5 * (lo + hi);
        (liquidMoleFraction(m) < x ? lo : hi) = m;
    }
    s = 0.5 * (lo + hi);
    return inUnit(s);
}

void PalliserModel::surfaceCoefficients(double T_, double Xc, double& a0_, double& bl_, double& zg_, double& zl_,
                                        double& el_, double& ev_) const {
    if (T_ <= kTcw) {
        a0_ = 0.0;
        bl_ = 0.0;
        zg_ = zl_ = std::log(10.0) * 0.5 / 1.4;
        ev_ = vapourDensityExponentBelowCritical(T_);
        el_ = 2.2;
        return;
    }
    a0_ = (T_ / 800.0) * (T_ / 800.0) - 0.21873159765624997;
    bl_ = T_ <= 900.0 ? 0.00380337 * T_ - 0.923029 : 2.5;
    zg_ = T_ <= 900.0 ? -1.20121 + 0.00572558 * T_ - 3.15039e-6 * T_ * T_ : 1.4;
    zl_ = bl_ / (1.0 - 1.4 * std::log10(std::fmax(Xc, 1e-12)) / (80.0 * a0_ + 1.0) + 6.0 * a0_);
    ev_ = T_ <= 850.0 ? 4.75804 - 0.0033624 * T_ : 1.9;
    el_ = T_ <= 850.0 ? 3.33107 - 0.00379871 * T_ + 2.07312e-6 * T_ * T_ : 1.6;
}

double PalliserModel::patchForXgsat(double T_, double P_, double Plow, double x) {
    // (The former vapour end's correction near the melting point of halite;
    // the vapour branch of Driesner & Heinrich needs none.)
    if (T_ >= 800.0) return std::fabs(P_ - Plow) < 1e-5 ? x : 0.01;
    if (T_ > 790.0) {
        const double w = (800.0 - T_) / 10.0;
        if (P_ > Plow * (2.0 - w)) return 0.01 + 0.04 * w;
    }
    return x;
}

// ---------------------------------------------------------------- the surface at one temperature

bool PalliserModel::surfaceLawAt(double T_, SurfaceLaw& L) {
    // From the eutectic (liquids below 0.1 °C still boil) to 1000 °C.
    if (!std::isfinite(T_) || T_ > TmixTop || T_ < -21.2) return false;
    L.T = T_;
    if (T_ < Ttriple) {
        threePhaseState(T_, L.Plow, L.Xl0, L.Xv0, L.rl0, L.rv0);
        L.rv0 = threePhaseVapourLaw(T_, L.Plow);
        L.xlow = dh07::moleFraction(L.Xl0);
    } else {
        calculateNaClSaturationPoint(T_, L.Plow, L.rl0, L.rv0);
        L.Xl0 = L.Xv0 = 1.0;
        L.xlow = 1.0;
    }
    if (T_ < Tcw) {
        calculateWaterSaturationPoint(T_, L.Phigh, L.rHighL, L.rHighV);
        L.PsatW = L.Phigh;
        L.Xc = 0.0;
    } else {
        double rc = 0.0;
        if (!criticalPointAt(T_, L.Phigh, L.Xc, rc)) return false;
        L.PsatW = std::nan("");
        L.rHighL = L.rHighV = rc;
    }
    if (!(L.Phigh > L.Plow)) return false;
    surfaceExponents(L);
    return true;
}

bool PalliserModel::surfaceForPoint(double T_, double v, SurfaceLaw& L) {
    pointFailed = 0;
    if (std::isfinite(v) && surfaceLawAt(T_, L)) return true;
    pointFailed = 1;
    refuse("H2O-NaCl: no liquid-vapour surface at %g °C (the diagram's surface runs from %g to %g °C)\n", T_,
           kEutecticT, TmixTop);
    return false;
}

void PalliserModel::surfaceExponents(SurfaceLaw& L) const {
    double a0_, bl_;
    surfaceCoefficients(L.T, L.Xc, a0_, bl_, L.zg, L.zl, L.elA, L.evA);
    // Under water's saturation pressure the exponents of 374.15 °C go on
    // through the blend (the vapour's has a pole at 380 °C).
    L.elB = 2.2;
    L.evB = vapourDensityExponentBelowCritical(std::fmin(L.T, kTcw));
    L.w = lawBlendWeight(L.T, L.Xc);
    L.power = 1.0;
    L.g1 = gasExp1;
    L.g2 = gasExp2;
}

void PalliserModel::surfacePhases(const SurfaceLaw& L, double s, double Xl, double& P_, double& Xv, double& rhol,
                                  double& rhov) {
    P_ = L.pressure(s);
    Xv = L.vapourComposition(s);
    rhol = surfaceLiquidDensity(L.T, P_, Xl, L.liquidLaw(s));
    rhov = vapourDensity(L.T, P_, Xv, diluteVapourDensity(L.T, P_, Xv, s, L.vapourLaw(s)));
}

void PalliserModel::surfaceDewPoint(const SurfaceLaw& L, double s, double X_, double& P_, double& rhov) {
    P_ = L.pressure(s);
    rhov = vapourDensity(L.T, P_, X_, diluteVapourDensity(L.T, P_, X_, s, L.vapourLaw(s)));
}

// ---------------------------------------------------------------- liquid-vapour point

void PalliserModel::calculateLGPoint(double T_, double P_, double& Xl, double& Xv, double& rhol, double& rhov) {
    pointFailed = 0;
    if (!argumentsHold("calculateLGPoint", {temperatureArg(T_), pressureArg(P_)})) {
        Xl = Xv = rhol = rhov = std::nan("");
        return;
    }
    Xl = Xv = rhol = rhov = std::nan("");
    SurfaceLaw L;
    if (!surfaceForPoint(T_, P_, L)) return;
    // (Above water's critical temperature a pressure within 0.1 bar below
    // the low end is taken as the low end.)
    const bool atLowEnd = T_ >= Tcw && std::fabs(L.Plow - P_) < 0.1;
    if ((P_ < L.Plow || P_ > L.Phigh) && !atLowEnd) {
        pointFailed = 1;
        refuse("H2O-NaCl: no liquid-vapour point at %g °C and %g bar (liquid and vapour coexist from %g to %g bar at "
               "that temperature)\n",
               T_, P_, L.Plow, L.Phigh);
        return;
    }
    const double s = clip01((L.Phigh - P_) / (L.Phigh - L.Plow));
    Xl = L.liquidComposition(s);
    double P;
    surfacePhases(L, s, Xl, P, Xv, rhol, rhov);
}

double PalliserModel::surfaceLiquidDensity(double T_, double P_, double X_, double lawDensity) {
    // The liquid of the surface is the one-phase liquid at its own pressure
    // and composition; above the melting point of halite, where the
    // correlation does not hold (the molten-salt end at low pressure), the
    // power law.
    if (T_ <= Ttriple) return oneLiquidDensity(T_, P_, X_);
    const double d = driesnerLiquidDensity(T_, P_, X_);
    return std::isfinite(d) ? d : lawDensity;
}

void PalliserModel::preCalculate_Fixed_T_Parameters(double T_) {
    pointFailed = 0;
    if (!argumentsHold("preCalculate_Fixed_T_Parameters", {temperatureArg(T_)})) {
        isothermLaw.T = std::nan("");
        return;
    }
    if (T_ < Tcw) {
        calculateWaterSaturationPoint(T_, Psatw, rholw, rhovw);
    } else {
        criticalPointAt(T_, Pcrit, Xcrit, rhocrit);
    }
    if (T_ >= Ttriple)
        calculateNaClSaturationPoint(T_, PsatNaCl, rholNaCl, rhovNaCl);
    else
        threePhaseState(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
    surfaceCoefficients(T_, Xcrit, a0, bl, zg, zl, el, ev);
    elInv = 1.0 / el;
    evInv = 1.0 / ev;
    if (T_ > Tcw) platform::tracef("t %f zl %f zg %f\n", T_, zl, zg);
    if (!surfaceLawAt(T_, isothermLaw)) isothermLaw.T = std::nan("");
}

void PalliserModel::getLiquidGasPressureBounds(double T_, double& Plow, double& Phigh) {
    // The bounds of the surface of preCalculate_Fixed_T_Parameters(T).
    pointFailed = 0;
    if (!argumentsHold("getLiquidGasPressureBounds", {temperatureArg(T_)})) {
        Plow = Phigh = std::nan("");
        return;
    }
    if (T_ < Tcw) {
        Plow = Pslv;
        Phigh = Psatw;
    } else if (T_ < Ttriple) {
        Plow = Pslv;
        Phigh = Pcrit;
    } else {
        Plow = PsatNaCl;
        Phigh = Pcrit;
    }
}

void PalliserModel::calculateForLiquidGasIsotherm(double T_, double P_, double& Xl, double& Xv, double& rhol,
                                                  double& rhov) {
    // The surface of preCalculate_Fixed_T_Parameters(T).
    pointFailed = 0;
    Xl = Xv = rhol = rhov = std::nan("");
    if (!argumentsHold("calculateForLiquidGasIsotherm", {temperatureArg(T_), pressureArg(P_)})) return;
    SurfaceLaw L = isothermLaw;
    if (!(L.T == T_) && !surfaceLawAt(T_, L)) {
        pointFailed = 1;
        refuse("H2O-NaCl: no liquid-vapour surface at %g °C (the diagram's surface runs from %g to %g °C)\n", T_,
               kEutecticT, TmixTop);
        return;
    }
    const double s = clip01((L.Phigh - P_) / (L.Phigh - L.Plow));
    Xl = L.liquidComposition(s);
    double P;
    surfacePhases(L, s, Xl, P, Xv, rhol, rhov);
}

// ---------------------------------------------------------------- bubble, liquid-saturation and dew points

void PalliserModel::calculateBubblePoint(double T_, double X_, double& P_, double& Xv, double& rhol, double& rhov) {
    pointFailed = 0;
    P_ = Xv = rhol = rhov = std::nan("");
    if (!argumentsHold("calculateBubblePoint", {temperatureArg(T_), salinityArg(X_)})) return;
    SurfaceLaw L;
    if (!surfaceForPoint(T_, X_, L)) return;
    double s;
    if (!L.liquidReducedPressure(X_, s)) {
        pointFailed = 1;
        if (T_ >= Tcw && X_ >= 0.0 && X_ < L.Xc)
            refuse("H2O-NaCl: no bubble point of %g wt %% NaCl at %g °C: above its critical temperature (%g °C) the "
                   "fluid is supercritical\n",
                   100.0 * X_, T_, dh07::criticalTemperature(dh07::moleFraction(X_)));
        else
            refuse("H2O-NaCl: no bubble point of %g wt %% NaCl at %g °C (the liquid-vapour surface's liquid holds "
                   "%g to %g wt %% there)\n",
                   100.0 * X_, T_, 100.0 * L.Xc, 100.0 * L.Xl0);
        return;
    }
    surfacePhases(L, s, X_, P_, Xv, rhol, rhov);
}

void PalliserModel::calculateLiquidSaturationPoint(double T_, double X_, double& P_, double& rho_) {
    pointFailed = 0;
    P_ = rho_ = std::nan("");
    if (!argumentsHold("calculateLiquidSaturationPoint", {temperatureArg(T_), salinityArg(X_)})) return;
    lawSaturatedLiquid(T_, X_, P_, rho_);
    if (std::isfinite(P_)) rho_ = surfaceLiquidDensity(T_, P_, X_, rho_);
    if (!std::isfinite(P_) || !std::isfinite(rho_)) {
        P_ = rho_ = std::nan("");
        pointFailed = 1;
        refuse("H2O-NaCl: no saturated liquid of %g wt %% NaCl at %g °C (outside the liquid-vapour surface)\n",
               100.0 * X_, T_);
    }
}

// Parameters: T (°C), then unused entries, X at p[3].
double PalliserModel::equationForGas(double s, void* data) {
    const double* p = static_cast<const double*>(data);
    if (!inUnit(s) || (!(gasLaw.T == p[0]) && !surfaceLawAt(p[0], gasLaw))) return noValue();
    return p[3] - gasLaw.vapourComposition(s);
}

void PalliserModel::analyzeGasEquation(double* data, int& state, double& s1, double& s2) {
    state = 0;
    for (int k = 0; k <= 10; ++k) {
        const double s = 0.1 * k;
        const double f = equationForGas(s, data);
        error = 0;
        if (state == 0 && f > 0.0) {
            s1 = s;
            state = 1;
        } else if (state == 1 && f < 0.0) {
            s2 = s;
            state = 2;
            return;
        }
    }
}

bool PalliserModel::solveDewReducedPressure(const SurfaceLaw& L, double X_, double, double& s) {
    // The vapour's salt content X - x_v(s) is scanned from the high end
    // (s = 0, the critical point or water's saturation) towards the low end;
    // its first change of sign is bisected: of several dew points at T the
    // one of highest pressure, on the branch that leaves the critical curve.
    if (!(X_ >= 0.0 && X_ < 1.0)) return false;
    auto f = [&](double t) { return X_ - L.vapourComposition(t); };
    double a = 0.0, fa = f(a);
    for (int k = 1; k <= kDewScan; ++k) {
        const double u = double(k) / kDewScan, b = u * u, fb = f(b);
        if (fa == 0.0) {
            s = a;
            return true;
        }
        if ((fa < 0.0) != (fb < 0.0)) {
            double lo = a, hi = b, flo = fa;
            for (int i = 0; i < 200 && hi - lo > 1e-16; ++i) {
                const double m = 0.5 * (lo + hi), fm = f(m);
                if ((fm < 0.0) == (flo < 0.0)) {
                    lo = m;
                    flo = fm;
                } else {
                    hi = m;
                }
            }
            s = 0.5 * (lo + hi);
            return inUnit(s);
        }
        a = b;
        fa = fb;
    }
    return false;
}

void PalliserModel::calculateDewPoint(double T_, double X_, double& P_, double& /*a*/, double& /*b*/, double& rhov) {
    pointFailed = 0;
    P_ = rhov = std::nan("");
    if (!argumentsHold("calculateDewPoint", {temperatureArg(T_), salinityArg(X_)})) return;
    SurfaceLaw L;
    if (!surfaceForPoint(T_, X_, L)) return;
    double s = 0.0;
    if (!solveDewReducedPressure(L, X_, 0.0, s)) {
        pointFailed = 1;
        refuse("H2O-NaCl: no dew point of %g wt %% NaCl at %g °C\n", 100.0 * X_, T_);
        return;
    }
    surfaceDewPoint(L, s, X_, P_, rhov);
}
