// The liquid-vapour surface of H2O-NaCl.  At a fixed temperature the
// coexisting liquid and vapour run between a low-pressure end (the three-
// phase point, or boiling molten NaCl above 800 °C) and a high-pressure end
// (water saturation up to 374.15 °C, the critical curve above); their
// compositions and densities are power laws of the reduced pressure
// s = (Phigh - P)/(Phigh - Plow), s = 1 at the low end and 0 at the high end.
// Between 374.15 and 384 °C (with patches) the laws take s to a power below 1.
// The liquid's density is the one-phase liquid density of the model
// (PalliserModelLiquid.cpp) at the point's composition and pressure, and the
// critical density is that liquid's at the critical point; the power law of
// the liquid density holds above 1000 °C and, above 800 °C, near the
// molten-salt end.
#include <cmath>

#include "brines/PalliserModel.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

namespace {
const double kA = std::log(10.0) * 0.5 / 1.4;  // exponent below the critical point of water
constexpr double kTcw = 374.15;
constexpr double kTriple = 800.0;  // °C, melting point of halite
constexpr double kNearCriticalFade = 4.0;  // °C over which the near-critical patch comes in

double vapourDensityExponentBelowCritical(double T) { return 0.787001 + 0.00102499 * T - 13.6227 / (T - 380.0); }
bool inUnit(double s) { return s >= 0.0 && s <= 1.0; }
double clip01(double s) { return s < 0.0 ? 0.0 : (s > 1.0 ? 1.0 : s); }
}  // namespace

double PalliserModel::nearCriticalPower(double T_) const {
    // The near-critical patch takes the reduced pressure of the laws above
    // the critical point of water to a power rising from 0.7 to 1 by 384 °C.
    // Below 374.15 °C the laws use the power 1, so the patch is faded in
    // over its first kNearCriticalFade °C (smoothstep weight): the bubble
    // pressure of a given liquid is continuous across 374.15 °C instead of
    // stepping up by several bar.
    if (!(usePatches && T_ > kTcw && T_ < 384.0)) return 1.0;
    const double patched = 0.7 + 0.3 * (T_ - kTcw) / 9.850000000000023;
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

// ---------------------------------------------------------------- liquid-vapour point

void PalliserModel::calculateLGPoint(double T_, double P_, double& Xl, double& Xv, double& rhol, double& rhov) {
    pointFailed = 0;
    if (!std::isfinite(T_) || !std::isfinite(P_) || T_ > TcNaCl) {
        pointFailed = 1;
        return;
    }
    double Plow, Xl0, Xv0, rl0, rv0;
    if (T_ < 800.0) {
        calculateSLVPoint(T_, Plow, Xl0, Xv0, rl0, rv0);
        rv0 = threePhaseVapourLaw(T_, Plow);
    } else {
        calculateNaClSaturationPoint(T_, Plow, rl0, rv0);
        Xl0 = Xv0 = 1.0;
    }
    if (usePatches) Xv0 = patchForXgsat(T_, P_, Plow, Xv0);
    if (T_ <= kTcw) {
        double Ps, rw, rvw;
        calculateWaterSaturationPoint(T_, Ps, rw, rvw);
        if (P_ > Ps || P_ < Plow) pointFailed = 1;
        const double s = clip01((Ps - P_) / (Ps - Plow));
        const double sa = std::pow(s, kA);
        Xl = Xl0 * sa;
        Xv = Xv0 * sa;
        const double Pl = Ps - (Ps - Plow) * s;
        rhol = liquidDensity(T_, Pl, Xl);
        rhov = diluteVapourDensity(T_, Pl, Xv, s, rvw + (rv0 - rvw) * std::pow(s, 1.0 / vapourDensityExponentBelowCritical(T_)));
        return;
    }
    double Pc, Xc, rc;
    calculateCriticalPoint(T_, Pc, Xc, rc);
    if (P_ < Plow || P_ > Pc) pointFailed = 1;
    if (std::fabs(Plow - P_) < 0.1) pointFailed = 0;
    const double s0 = clip01((Pc - P_) / (Pc - Plow));
    const double s = std::pow(s0, nearCriticalPower(T_));
    double a0_, bl_, zg_, zl_, el_, ev_;
    surfaceCoefficients(T_, Xc, a0_, bl_, zg_, zl_, el_, ev_);
    Xl = Xc * std::pow(Xl0 / Xc, std::pow(s, zl_));
    Xv = Xc * std::pow(10.0, std::pow(s, gasExp1) - std::pow(s, gasExp2)) * std::pow(Xv0 / Xc, std::pow(s, zg_));
    rhol = surfaceLiquidDensity(T_, Pc - (Pc - Plow) * s0, Xl, rc + (rl0 - rc) * std::pow(s, 1.0 / el_));
    rhov = diluteVapourDensity(T_, Pc - (Pc - Plow) * s0, Xv, s0, rc + (rv0 - rc) * std::pow(s, 1.0 / ev_));
}

double PalliserModel::surfaceLiquidDensity(double T_, double P_, double X_, double lawDensity) {
    // The liquid of the surface is the one-phase liquid at its own pressure
    // and composition; above the melting point of halite, where the
    // correlation does not hold (the molten-salt end at low pressure), the
    // power law.
    if (T_ <= kTriple) return liquidDensity(T_, P_, X_);
    const double d = driesnerLiquidDensity(T_, P_, X_);
    return std::isfinite(d) ? d : lawDensity;
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
    double Plow, Xl0, Xv0, rl0, rv0;
    if (T_ >= 800.0) {
        Plow = PsatNaCl;
        Xl0 = Xv0 = 1.0;
        rl0 = rholNaCl;
        rv0 = rhovNaCl;
    } else {
        Plow = Pslv;
        Xl0 = Xlslv;
        Xv0 = Xvslv;
        rl0 = rholslv;
        rv0 = threePhaseVapourLaw(T_, Plow);
    }
    if (usePatches) Xv0 = patchForXgsat(T_, P_, Plow, Xv0);
    if (T_ <= kTcw) {
        const double s = clip01((Psatw - P_) / (Psatw - Plow));
        const double sa = std::pow(s, kA);
        Xl = Xl0 * sa;
        Xv = Xv0 * sa;
        const double Pl = Psatw - (Psatw - Plow) * s;
        rhol = liquidDensity(T_, Pl, Xl);
        rhov = diluteVapourDensity(T_, Pl, Xv, s, rhovw + (rv0 - rhovw) * std::pow(s, evInv));
        return;
    }
    const double s0 = clip01((Pcrit - P_) / (Pcrit - Plow));
    const double s = std::pow(s0, nearCriticalPower(T_));
    Xl = Xcrit * std::pow(Xl0 / Xcrit, std::pow(s, zl));
    Xv = Xcrit * std::pow(10.0, std::pow(s, gasExp1) - std::pow(s, gasExp2)) * std::pow(Xv0 / Xcrit, std::pow(s, zg));
    rhol = surfaceLiquidDensity(T_, Pcrit - (Pcrit - Plow) * s0, Xl, rhocrit + (rl0 - rhocrit) * std::pow(s, elInv));
    rhov = diluteVapourDensity(T_, Pcrit - (Pcrit - Plow) * s0, Xv, s0, rhocrit + (rv0 - rhocrit) * std::pow(s, evInv));
}

// ---------------------------------------------------------------- bubble, liquid-saturation and dew points

void PalliserModel::calculateBubblePoint(double T_, double X_, double& P_, double& Xv, double& rhol, double& rhov) {
    pointFailed = 0;
    if (!std::isfinite(T_) || !std::isfinite(X_) || T_ > TcNaCl) {
        pointFailed = 1;
        return;
    }
    double Plow, Xl0, Xv0, rl0, rv0;
    if (T_ <= 800.0) {
        calculateSLVPoint(T_, Plow, Xl0, Xv0, rl0, rv0);
        rv0 = threePhaseVapourLaw(T_, Plow);
    } else {
        calculateNaClSaturationPoint(T_, Plow, rl0, rv0);
        Xl0 = Xv0 = 1.0;
    }
    // The vapour end is corrected against the caller's previous pressure.
    if (usePatches) Xv0 = patchForXgsat(T_, P_, Plow, Xv0);
    if (T_ <= kTcw) {
        double Ps, rw, rvw;
        calculateWaterSaturationPoint(T_, Ps, rw, rvw);
        const double s = std::pow(X_ / Xl0, 1.0 / kA);
        if (!inUnit(s)) {
            pointFailed = 1;
            return;
        }
        P_ = Ps - (Ps - Plow) * s;
        Xv = Xv0 * std::pow(s, kA);
        rhol = liquidDensity(T_, P_, X_);
        rhov = diluteVapourDensity(T_, P_, Xv, s, rvw + (rv0 - rvw) * std::pow(s, 1.0 / vapourDensityExponentBelowCritical(T_)));
        return;
    }
    double Pc, Xc, rc;
    calculateCriticalPoint(T_, Pc, Xc, rc);
    double a0_, bl_, zg_, zl_, el_, ev_;
    surfaceCoefficients(T_, Xc, a0_, bl_, zg_, zl_, el_, ev_);
    const double q = std::log(X_ / Xc) / std::log(Xl0 / Xc);
    const double s = std::pow(q, 1.0 / zl_);  // the reduced pressure of the laws
    if (!inUnit(s)) {
        pointFailed = 1;
        return;
    }
    // Pressure from the reduced pressure before the near-critical power,
    // so that the bubble point inverts the liquid branch exactly.
    P_ = Pc - (Pc - Plow) * std::pow(s, 1.0 / nearCriticalPower(T_));
    Xv = Xc * std::pow(10.0, std::pow(s, gasExp1) - std::pow(s, gasExp2)) * std::pow(Xv0 / Xc, std::pow(s, zg_));
    rhol = surfaceLiquidDensity(T_, P_, X_, rc + (rl0 - rc) * std::pow(s, 1.0 / el_));
    rhov = diluteVapourDensity(T_, P_, Xv, std::pow(q, 1.0 / zl_ / nearCriticalPower(T_)), rc + (rv0 - rc) * std::pow(s, 1.0 / ev_));
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
    const double Xc = p[0], Xv0 = p[1], z = p[2], Xt = p[3];
    return Xt - Xc * std::pow(10.0, std::pow(s, gasExp1) - std::pow(s, gasExp2)) * std::pow(Xv0 / Xc, std::pow(s, z));
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

void PalliserModel::calculateDewPoint(double T_, double X_, double& P_, double& /*a*/, double& /*b*/, double& rhov) {
    platform::tracef("calculate dew point\n");
    pointFailed = 0;
    if (!std::isfinite(T_) || !std::isfinite(X_) || T_ > TcNaCl) {
        pointFailed = 1;
        return;
    }
    if (T_ < 800.0) calculateSLVPoint(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
    if (T_ <= kTcw) {
        double Ps, rw, rvw;
        calculateWaterSaturationPoint(T_, Ps, rw, rvw);
        const double s = std::exp(std::log(X_ / Xvslv) / kA);
        // A vapour saltier than the three-phase vapour has no dew point.
        if (!inUnit(s)) {
            pointFailed = 1;
            return;
        }
        sDew = s;
        P_ = Ps - (Ps - Pslv) * s;
        const double law = rvw + (threePhaseVapourLaw(T_, Pslv) - rvw) * std::pow(s, 1.0 / vapourDensityExponentBelowCritical(T_));
        rhov = diluteVapourDensity(T_, P_, X_, s, law);
        return;
    }
    double Pc, Xc, rc;
    calculateCriticalPoint(T_, Pc, Xc, rc);
    double Plow, Xv0, rv0;
    if (T_ > 800.0) {
        double rl0;
        calculateNaClSaturationPoint(T_, Plow, rl0, rv0);
        Xv0 = 1.0;
        const double w = (3127.0 - T_) / 2327.0;
        if (usePatches && P_ > (1.0 + w) * Plow) Xv0 = w * w * w * w;
    } else {
        Xv0 = Xvslv;
        rv0 = threePhaseVapourLaw(T_, Pslv);
        Plow = Pslv;
    }
    double a0_, bl_, zg_, zl_, el_, ev_;
    surfaceCoefficients(T_, Xc, a0_, bl_, zg_, zl_, el_, ev_);
    double par[5] = {Xc, Xv0, zg_, X_, sDew};
    Secant sec;
    sec.obj = this;
    sec.fn = toEquationFn<ScalarEquationFn>(&PalliserModel::equationForGas);
    sec.data = par;
    if (!(sDew > 0.0 && sDew < 1.0)) sDew = 0.5;
    if (sDew >= 0.99998) {
        sec.x0 = sDew - 1e-5;
        sec.x1 = sDew - 1.2e-5;
    } else {
        sec.x0 = sDew;
        sec.x1 = sDew + 1e-5;
    }
    sec.itermax = 15;
    sec.tol = 1e-9;
    sec.lambda = 1.0;
    sec.lambdaMin = 1e-8;
    const double s = sec.solve();
    if (sec.status != 0 || !inUnit(s)) {
        pointFailed = 1;
        return;
    }
    sDew = s;
    P_ = Pc - (Pc - Plow) * std::pow(s, 1.0 / nearCriticalPower(T_));
    rhov = diluteVapourDensity(T_, P_, X_, std::pow(s, 1.0 / nearCriticalPower(T_)), rc + (rv0 - rc) * std::pow(s, 1.0 / ev_));
}
