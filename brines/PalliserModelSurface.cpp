// The liquid-vapour surface of H2O-NaCl.  At a fixed temperature the
// coexisting liquid and vapour run between a low-pressure end (the three-
// phase point, or boiling molten NaCl above 800 °C) and a high-pressure end
// (water saturation up to 374.15 °C, the critical curve above); their
// compositions and densities are power laws of the reduced pressure
// s = (Phigh - P)/(Phigh - Plow), s = 1 at the low end and 0 at the high end.
// Between 374.15 and 384 °C (with patches) the laws take s to a power below 1.
// The two composition laws (X = X0 s^k under water's saturation pressure,
// log(X/Xc) = log(X0/Xc) s^z under the critical curve) do not meet at
// 374.15 °C: the second is blended in, in log X, over the same band up to
// 384 °C, the first written from the critical composition (Xc + (X0 - Xc) s^k,
// identical below 374.15 °C where Xc = 0), so the surface still closes at
// the critical point (the blend is this model's own construction, not a
// published form; the laws are those of Palliser & McKibbin 1998).  The
// critical curve starts at 374.15 °C where water's
// saturation curve, continued past water's critical point, ends; so the
// surface's pressures, compositions and densities are continuous in T.
// The liquid's density is the one-phase liquid density of the model
// (PalliserModelLiquid.cpp) at the point's composition and pressure, and the
// critical density is that liquid's at the critical point; the power law of
// the liquid density holds above 1000 °C and, above 800 °C, near the
// molten-salt end.
#include <cmath>

#include "brines/DriesnerVolume.h"
#include "brines/PalliserModel.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

namespace {
const double kA = std::log(10.0) * 0.5 / 1.4;  // exponent below the critical point of water
constexpr double kTcw = 374.15;
constexpr double kTriple = 800.0;  // °C, melting point of halite
constexpr double kNearCriticalFade = 4.0;  // °C over which the near-critical patch comes in
constexpr double kNearCriticalTop = 384.0;  // °C, top of the near-critical patch
// °C above 374.15 °C over which the law under the critical curve takes over
// from the law under water's saturation pressure: the band of the
// near-critical patch.  Over a shorter blend (4 °C) the patch's power, rising
// from 0.7 at 374.15 °C to 1 at 384 °C, outran the law under the critical
// curve, and the bubble pressure of 25 wt % fell by 0.2 bar from 378.2 to
// 380.7 °C; blended over the whole band it rises with T.
constexpr double kLawBlend = kNearCriticalTop - kTcw;

double vapourDensityExponentBelowCritical(double T) { return 0.787001 + 0.00102499 * T - 13.6227 / (T - 380.0); }
bool inUnit(double s) { return s >= 0.0 && s <= 1.0; }
double clip01(double s) { return s < 0.0 ? 0.0 : (s > 1.0 ? 1.0 : s); }

// Weight of the law under the critical curve at T (critical composition Xc):
// 0 up to 374.15 °C, 1 from 374.15 + kLawBlend, a smoothstep between.
double lawBlendWeight(double T, double Xc) {
    if (!(T > kTcw) || !(Xc > 0.0)) return 0.0;
    const double u = std::fmin((T - kTcw) / kLawBlend, 1.0);
    return u * u * (3.0 - 2.0 * u);
}

// Geometric blend exp((1 - w) log b + w log a) of two positive compositions.
double blendLog(double b, double a, double w) {
    if (!(w > 0.0)) return b;
    if (!(w < 1.0)) return a;
    return std::exp((1.0 - w) * std::log(b) + w * std::log(a));
}

// Composition of the vapour at the reduced pressure s: Xc + (Xv0 - Xc) s^kA
// under water's saturation pressure, Xc 10^(s^g1 - s^g2) (Xv0/Xc)^(s^zg)
// under the critical curve, w the weight of the latter.
double vapourLawComposition(double Xc, double Xv0, double zg, double g1, double g2, double w, double s) {
    const double b = w < 1.0 ? Xc + (Xv0 - Xc) * std::pow(s, kA) : 0.0;
    const double a = w > 0.0 ? Xc * std::pow(10.0, std::pow(s, g1) - std::pow(s, g2)) * std::pow(Xv0 / Xc, std::pow(s, zg))
                             : 0.0;
    return blendLog(b, a, w);
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

double PalliserModel::SurfaceLaw::liquidComposition(double s) const {
    const double b = w < 1.0 ? Xc + (Xl0 - Xc) * std::pow(s, kA) : 0.0;
    const double a = w > 0.0 ? Xc * std::pow(Xl0 / Xc, std::pow(s, zl)) : 0.0;
    return blendLog(b, a, w);
}

double PalliserModel::SurfaceLaw::vapourComposition(double s) const {
    return vapourLawComposition(Xc, Xv0, zg, g1, g2, w, s);
}

double PalliserModel::SurfaceLaw::liquidLaw(double s) const { return densityLaw(rHighL, rl0, elB, elA, w, s); }

double PalliserModel::SurfaceLaw::vapourLaw(double s) const { return densityLaw(rHighV, rv0, evB, evA, w, s); }

bool PalliserModel::SurfaceLaw::liquidReducedPressure(double X, double& s) const {
    if (!(w > 0.0)) {
        s = std::pow((X - Xc) / (Xl0 - Xc), 1.0 / kA);
    } else if (!(w < 1.0)) {
        s = std::pow(std::log(X / Xc) / std::log(Xl0 / Xc), 1.0 / zl);
    } else {
        // Blended: the composition rises monotonically from Xc at s = 0 to
        // Xl0 at s = 1; bisection.
        if (!(X >= Xc && X <= Xl0)) return false;
        double lo = 0.0, hi = 1.0;
        for (int k = 0; k < 200 && hi - lo > 1e-16; ++k) {
            const double mid = 0.5 * (lo + hi);
            (liquidComposition(mid) < X ? lo : hi) = mid;
        }
        s = 0.5 * (lo + hi);
    }
    return inUnit(s);
}

double PalliserModel::nearCriticalPower(double T_) const {
    // The near-critical patch takes the reduced pressure of the laws above
    // the critical point of water to a power rising from 0.7 to 1 by 384 °C.
    // Below 374.15 °C the laws use the power 1, so the patch is faded in
    // over its first kNearCriticalFade °C (smoothstep weight): the bubble
    // pressure of a given liquid is continuous across 374.15 °C instead of
    // stepping up by several bar.
    if (!(usePatches && T_ > kTcw && T_ < kNearCriticalTop)) return 1.0;
    const double patched = 0.7 + 0.3 * (T_ - kTcw) / (kNearCriticalTop - kTcw);
    const double u = std::fmin((T_ - kTcw) / kNearCriticalFade, 1.0);
    const double w = u * u * (3.0 - 2.0 * u);
    return 1.0 + w * (patched - 1.0);
}

void PalliserModel::surfaceCoefficients(double T_, double Xc, double& a0_, double& bl_, double& zg_, double& zl_,
                                        double& el_, double& ev_) const {
    if (T_ <= kTcw) {
        a0_ = 0.0;
        bl_ = 0.0;
        zg_ = zl_ = kA;
        ev_ = vapourDensityExponentBelowCritical(T_);
        el_ = 2.2;
        return;
    }
    a0_ = (T_ / 800.0) * (T_ / 800.0) - 0.21873159765624997;
    bl_ = T_ <= 900.0 ? 0.00380337 * T_ - 0.923029 : 2.5;
    zg_ = T_ <= 900.0 ? -1.20121 + 0.00572558 * T_ - 3.15039e-6 * T_ * T_ : 1.4;
    zl_ = bl_ / (1.0 - 1.4 * std::log10(Xc) / (80.0 * a0_ + 1.0) + 6.0 * a0_);
    ev_ = T_ <= 850.0 ? 4.75804 - 0.0033624 * T_ : 1.9;
    el_ = T_ <= 850.0 ? 3.33107 - 0.00379871 * T_ + 2.07312e-6 * T_ * T_ : 1.6;
}

double PalliserModel::patchForXgsat(double T_, double P_, double Plow, double x) {
    if (T_ >= 800.0) return std::fabs(P_ - Plow) < 1e-5 ? x : 0.01;
    if (T_ > 790.0) {
        const double w = (800.0 - T_) / 10.0;
        if (P_ > Plow * (2.0 - w)) return 0.01 + 0.04 * w;
    }
    return x;
}

// ---------------------------------------------------------------- the surface at one temperature

bool PalliserModel::surfaceLawAt(double T_, SurfaceLaw& L) {
    if (!std::isfinite(T_) || T_ > TcNaCl) return false;
    L.T = T_;
    if (T_ < kTriple) {
        calculateSLVPoint(T_, L.Plow, L.Xl0, L.Xv0, L.rl0, L.rv0);
        L.rv0 = threePhaseVapourLaw(T_, L.Plow);
    } else {
        calculateNaClSaturationPoint(T_, L.Plow, L.rl0, L.rv0);
        L.Xl0 = L.Xv0 = 1.0;
    }
    if (T_ <= kTcw) {
        calculateWaterSaturationPoint(T_, L.Phigh, L.rHighL, L.rHighV);
        L.Xc = 0.0;
    } else {
        double Xc = 0.0, rc = 0.0;
        calculateCriticalPoint(T_, L.Phigh, Xc, rc);
        // (The critical composition is slightly negative up to 374.1508 °C.)
        L.Xc = std::fmax(Xc, 0.0);
        L.rHighL = L.rHighV = rc;
    }
    surfaceExponents(L);
    return true;
}

bool PalliserModel::surfaceForPoint(double T_, double v, SurfaceLaw& L) {
    pointFailed = 0;
    if (std::isfinite(v) && surfaceLawAt(T_, L)) return true;
    pointFailed = 1;
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
    L.power = nearCriticalPower(L.T);
    L.g1 = gasExp1;
    L.g2 = gasExp2;
}

void PalliserModel::surfacePhases(const SurfaceLaw& L, double s0, double Xl, double& P_, double& Xv, double& rhol,
                                  double& rhov) {
    const double s = std::pow(s0, L.power);
    P_ = L.pressure(s0);
    Xv = L.vapourComposition(s);
    rhol = surfaceLiquidDensity(L.T, P_, Xl, L.liquidLaw(s));
    rhov = diluteVapourDensity(L.T, P_, Xv, s0, L.vapourLaw(s));
}

void PalliserModel::surfaceDewPoint(const SurfaceLaw& L, double s, double X_, double& P_, double& rhov) {
    const double s0 = std::pow(s, 1.0 / L.power);
    P_ = L.pressure(s0);
    rhov = diluteVapourDensity(L.T, P_, X_, s0, L.vapourLaw(s));
}

void PalliserModel::patchVapourEnd(SurfaceLaw& L, double P_) {
    if (usePatches) L.Xv0 = patchForXgsat(L.T, P_, L.Plow, L.Xv0);
}

// ---------------------------------------------------------------- liquid-vapour point

void PalliserModel::calculateLGPoint(double T_, double P_, double& Xl, double& Xv, double& rhol, double& rhov) {
    SurfaceLaw L;
    if (!surfaceForPoint(T_, P_, L)) return;
    patchVapourEnd(L, P_);
    if (P_ < L.Plow || P_ > L.Phigh) pointFailed = 1;
    if (T_ > kTcw && std::fabs(L.Plow - P_) < 0.1) pointFailed = 0;
    const double s0 = clip01((L.Phigh - P_) / (L.Phigh - L.Plow));
    Xl = L.liquidComposition(std::pow(s0, L.power));
    double P;
    surfacePhases(L, s0, Xl, P, Xv, rhol, rhov);
}

double PalliserModel::surfaceLiquidDensity(double T_, double P_, double X_, double lawDensity) {
    // The liquid of the surface is the one-phase liquid at its own pressure
    // and composition; above the melting point of halite, where the
    // correlation does not hold (the molten-salt end at low pressure), the
    // power law.
    if (T_ <= kTriple) return liquidDensity(T_, P_, X_);
    const double d = driesnerLiquidDensity(T_, P_, X_);
    if (std::isfinite(d)) return d;
    // Above 1000 °C the law carries the correlation's difference from it at
    // 1000 °C for the saturated liquid of X there.
    if (!(T_ > driesner::kTopTemperature)) return lawDensity;
    double Ps = 0.0, rs = 0.0;
    lawSaturatedLiquid(driesner::kTopTemperature, X_, Ps, rs);
    return lawDensity + lawOffsetAboveTop(T_, Ps, X_);
}

void PalliserModel::preCalculate_Fixed_T_Parameters(double T_) {
    if (T_ <= kTcw) {
        calculateWaterSaturationPoint(T_, Psatw, rholw, rhovw);
    } else if (T_ <= 3127.0) {
        calculateCriticalPoint(T_, Pcrit, Xcrit, rhocrit);
    }
    if (T_ >= 800.0)
        calculateNaClSaturationPoint(T_, PsatNaCl, rholNaCl, rhovNaCl);
    else
        calculateSLVPoint(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
    surfaceCoefficients(T_, Xcrit, a0, bl, zg, zl, el, ev);
    elInv = 1.0 / el;
    evInv = 1.0 / ev;
    if (T_ > kTcw) platform::tracef("t %f zl %f zg %f\n", T_, zl, zg);
    if (!surfaceLawAt(T_, isothermLaw)) isothermLaw.T = std::nan("");
}

void PalliserModel::getLiquidGasPressureBounds(double T_, double& Plow, double& Phigh) {
    if (T_ <= kTcw) {
        Plow = Pslv;
        Phigh = Psatw;
    } else if (T_ <= 800.0) {
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
    SurfaceLaw L = isothermLaw;
    if (!(L.T == T_) && !surfaceLawAt(T_, L)) {
        Xl = Xv = rhol = rhov = std::nan("");
        return;
    }
    patchVapourEnd(L, P_);
    const double s0 = clip01((L.Phigh - P_) / (L.Phigh - L.Plow));
    Xl = L.liquidComposition(std::pow(s0, L.power));
    double P;
    surfacePhases(L, s0, Xl, P, Xv, rhol, rhov);
}

// ---------------------------------------------------------------- bubble, liquid-saturation and dew points

void PalliserModel::calculateBubblePoint(double T_, double X_, double& P_, double& Xv, double& rhol, double& rhov) {
    SurfaceLaw L;
    if (!surfaceForPoint(T_, X_, L)) return;
    // The vapour end is corrected against the caller's previous pressure.
    patchVapourEnd(L, P_);
    double s;
    if (!L.liquidReducedPressure(X_, s)) {
        pointFailed = 1;
        return;
    }
    // Pressure from the reduced pressure before the near-critical power,
    // so that the bubble point inverts the liquid branch exactly.
    surfacePhases(L, std::pow(s, 1.0 / L.power), X_, P_, Xv, rhol, rhov);
}

void PalliserModel::calculateLiquidSaturationPoint(double T_, double X_, double& P_, double& rho_) {
    lawSaturatedLiquid(T_, X_, P_, rho_);
    rho_ = surfaceLiquidDensity(T_, P_, X_, rho_);
}

double PalliserModel::equationForGas(double s, void* data) {
    const double* p = static_cast<const double*>(data);
    if (!(s >= 0.0 && s <= 1.0)) {
        error = 1;
        return 0.0;
    }
    return p[3] - vapourLawComposition(p[0], p[1], p[2], gasExp1, gasExp2, p[5], s);
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

bool PalliserModel::solveDewReducedPressure(const SurfaceLaw& L, double X_, double start, double& s) {
    if (!(L.w > 0.0)) {
        // A vapour saltier than the three-phase vapour has no dew point.
        s = std::pow((X_ - L.Xc) / (L.Xv0 - L.Xc), 1.0 / kA);
        return inUnit(s);
    }
    double par[6] = {L.Xc, L.Xv0, L.zg, X_, start, L.w};
    Secant sec;
    sec.obj = this;
    sec.fn = toEquationFn<ScalarEquationFn>(&PalliserModel::equationForGas);
    sec.data = par;
    if (!(start > 0.0 && start < 1.0)) start = 0.5;
    if (start >= 0.99998) {
        sec.x0 = start - 1e-5;
        sec.x1 = start - 1.2e-5;
    } else {
        sec.x0 = start;
        sec.x1 = start + 1e-5;
    }
    sec.itermax = 15;
    sec.tol = 1e-9;
    sec.lambda = 1.0;
    sec.lambdaMin = 1e-8;
    s = sec.solve();
    return sec.status == 0 && inUnit(s);
}

void PalliserModel::calculateDewPoint(double T_, double X_, double& P_, double& /*a*/, double& /*b*/, double& rhov) {
    platform::tracef("calculate dew point\n");
    SurfaceLaw L;
    if (!surfaceForPoint(T_, X_, L)) return;
    double s = 0.0;
    if (!(L.w > 0.0)) {
        // Under water's saturation pressure: the closed form.
        if (!solveDewReducedPressure(L, X_, 0.5, s)) {
            pointFailed = 1;
            return;
        }
        surfaceDewPoint(L, s, X_, P_, rhov);
        return;
    }
    // The vapour end corrected at the dew point's own pressure, as in the
    // liquid-vapour point and the rows of the gas isopleth: the dew point is
    // the vapour of the liquid-vapour point at its (T, P) and depends on
    // (T, X) only.  Of several dew points at T the one of highest pressure
    // (smallest reduced pressure) is taken: the branch that leaves the
    // critical curve, which the isopleth follows.
    SurfaceLaw Lhigh = L;
    patchVapourEnd(Lhigh, L.Phigh);
    patchVapourEnd(L, L.Plow);
    if (!vapourEndRow(L, Lhigh, X_, 0.0, s)) {
        pointFailed = 1;
        return;
    }
    surfaceDewPoint(rowLaw(L, Lhigh, s), s, X_, P_, rhov);
}
