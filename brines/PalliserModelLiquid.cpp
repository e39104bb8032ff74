// The liquid of the H2O-NaCl diagram below the critical point of water.
//
// The liquid-vapour law of the diagram runs the saturated-liquid density from
// water's to the three-phase liquid's as a power of the reduced pressure
// (exponent 1/2.2 on s, s = (X/Xl0)^(1/a) with a = ln 10 * 0.5/1.4), so that
// rho - rho_water grows as X^0.55: a liquid of 10 wt % NaCl is 4.6 % too dense
// at 25 °C and 7 % at 300 °C, and the one-phase liquid above it inherits
// the error.  Where a brine density model is given, the liquid takes its
// density from it:
// - up to 275 °C the NaCl brine correlation of Spivey, McCain & North (2004),
//   0-275 °C, 0.1-200 MPa, 0-6 mol/kg, within 0.1 % of handbook densities;
// - from 275 to 300 °C linearly in temperature towards the volumetric model of
//   Mao & Duan (2008), 273-573 K, to 100 MPa, 0-6 mol/kg, which agrees with
//   Spivey's within 0.4 % at 275 °C and stays in its range up to 300 °C,
//   where Spivey's correlation falls up to 9 % below it at 5-6 mol/kg;
// - above 6 mol/kg, linearly in the mass fraction to the three-phase liquid
//   of the diagram, whose density rises 0.03 kg/m3 per bar above the three-
//   phase pressure as the halite liquidus does;
// - above 2000 bar, the top of the brine models' range, the density is held.
// From 300 °C to the critical point of water (374.15 °C) nothing else is
// given: the liquid-vapour law takes over, corrected by the ratio of the
// brine models to the law at 300 °C for the same reduced composition X/Xl0
// and the same pressure above the liquid-saturation pressure, a ratio that
// fades to 1 at 374.15 °C.  Above it the law alone holds.
#include <cmath>

#include "brines/MaoDuanSalinityModel.h"
#include "brines/PalliserModel.h"
#include "brines/SpiveyDensityModel.h"
#include "platform/LogSink.h"

namespace {
constexpr double kTcw = 374.15;          // °C, high end of the law below the critical curve
constexpr double kSpiveyTop = 275.0;     // °C
constexpr double kGivenTop = 300.0;      // °C, top of the Mao-Duan range
constexpr double kBrineTopP = 2000.0;    // bar, top of the brine models' pressure range
constexpr double kBrineTopM = 6.0;       // mol/kg
constexpr double kMNaCl = 0.058443;      // kg/mol
constexpr double kLiquidusSlopeRho = 0.03;  // kg/m3 per bar above the three-phase pressure
const double kA = std::log(10.0) * 0.5 / 1.4;

double molality(double X) { return X / (kMNaCl * (1.0 - X)); }
// Mass fraction of NaCl at the top molality of the brine models.
const double kX6 = kBrineTopM * kMNaCl / (1.0 + kBrineTopM * kMNaCl);

// The law's liquid at or above its saturation pressure: linear in P from the
// saturated liquid (Plg, rs) to the density at 1000 bar, constant above; a
// saturated liquid denser than the 1000-bar estimate keeps its density at
// every pressure (it does not drop to the estimate at 1000 bar).
double lawLiquid(double r1000, double rs, double P, double Plg) {
    if (!(r1000 > rs)) return rs;
    if (P > 1000.0) return r1000;
    return rs + (P - Plg) / (1000.0 - Plg) * (r1000 - rs);
}
}  // namespace

double PalliserModel::brineModelDensity(double T_, double P_, double m) {
    const double Pb = std::fmin(P_, kBrineTopP);
    auto at = [&](DensityModel& d) {
        d.temperature(T_ + 273.15);
        d.pressure(Pb);
        d.molality(m);
        return d.calculate_density();
    };
    if (T_ <= kSpiveyTop) return at(*spivey);
    const double w = std::fmin((T_ - kSpiveyTop) / (kGivenTop - kSpiveyTop), 1.0);
    return (1.0 - w) * at(*spivey) + w * at(*maoDuan);
}

double PalliserModel::givenLiquidDensity(double T_, double P_, double X_) {
    if (X_ <= kX6) return brineModelDensity(T_, P_, molality(X_));
    double Ps, Xl0, Xv0, rl0, rv0;
    calculateSLVPoint(T_, Ps, Xl0, Xv0, rl0, rv0);
    const double r6 = brineModelDensity(T_, P_, kBrineTopM);
    const double rEnd = rl0 + kLiquidusSlopeRho * (std::fmin(P_, kBrineTopP) - Ps);
    return r6 + (X_ - kX6) / (Xl0 - kX6) * (rEnd - r6);
}

void PalliserModel::lawSaturatedLiquid(double T_, double X_, double& P_, double& rho_) {
    if (T_ < kTcw) {
        const double s = std::pow(X_ / Xlslv, 1.0 / kA);
        P_ = Psatw - (Psatw - Pslv) * s;
        rho_ = rholw + (rholslv - rholw) * std::pow(s, 0.45454545454545453);
        return;
    }
    double a0_, bl_, zg_, zl_, el_, ev_;
    surfaceCoefficients(T_, Xcrit, a0_, bl_, zg_, zl_, el_, ev_);
    if (T_ <= 800.0) {
        const double q = std::log(X_ / Xcrit) / std::log(Xlslv / Xcrit);
        const double s = std::pow(q, 1.0 / zl_);
        P_ = Pcrit - (Pcrit - Pslv) * std::pow(s, 1.0 / nearCriticalPower(T_));
        rho_ = rhocrit + (rholslv - rhocrit) * std::pow(s, 1.0 / el_);
        return;
    }
    const double q = std::log(X_ / Xcrit) / std::log(1.0 / Xcrit);
    const double s = std::pow(q, 1.0 / zl_);
    P_ = Pcrit - (Pcrit - PsatNaCl) * s;
    rho_ = rhocrit + (rholNaCl - rhocrit) * std::pow(s, 1.0 / el_);
}

double PalliserModel::liquidDensity(double T_, double P_, double X_, double Plg_, double rsLaw, double r1000) {
    if (T_ <= kGivenTop) return givenLiquidDensity(T_, P_, X_);
    auto law = [](double P, double Plg, double rs, double rw1000, double X) {
        return P > Plg ? lawLiquid(rw1000 + (1695.0 - rw1000) * X, rs, P, Plg) : rs;
    };
    if (!std::isfinite(r1000) && (P_ > Plg_ || T_ >= kTcw)) r1000 = getWaterLiquidDensity(T_, 1000.0);
    if (T_ >= kTcw) return lawLiquid(r1000 + (1695.0 - r1000) * X_, rsLaw, P_, Plg_);
    const double here = law(P_, Plg_, rsLaw, r1000, X_);
    // The law at 300 °C for the same reduced composition and the same
    // pressure above the liquid-saturation pressure.
    double Ps1, Xl1, Xv1, rl1, rv1, Pw1, rw1, rvw1, Ps, Xl0, Xv0, rl0, rv0;
    calculateSLVPoint(kGivenTop, Ps1, Xl1, Xv1, rl1, rv1);
    calculateWaterSaturationPoint(kGivenTop, Pw1, rw1, rvw1);
    calculateSLVPoint(T_, Ps, Xl0, Xv0, rl0, rv0);
    const double X1 = X_ * Xl1 / Xl0;
    const double s1 = std::pow(X1 / Xl1, 1.0 / kA);
    const double Plg1 = Pw1 - (Pw1 - Ps1) * s1;
    const double rs1 = rw1 + (rl1 - rw1) * std::pow(s1, 0.45454545454545453);
    const double P1 = Plg1 + (P_ - Plg_);
    const double ratio = givenLiquidDensity(kGivenTop, P1, X1) / law(P1, Plg1, rs1, waterAt300And1000, X1);
    return here * std::pow(ratio, (kTcw - T_) / (kTcw - kGivenTop));
}

double PalliserModel::liquidLikeDensity(const char* regionName) {
    double rsLaw = 0.0;
    lawSaturatedLiquid(T, X, Plg, rsLaw);
    const bool traced = platform::traceShown();
    double r1000 = std::nan("");
    if (T > kGivenTop || traced) r1000 = getWaterLiquidDensity(T, 1000.0);
    const double d = liquidDensity(T, P, X, Plg, rsLaw, r1000);
    if (traced) {
        platform::tracef("region %s rho %f rholg %f p_lg %f rho1000 %f\n", regionName, d,
                         liquidDensity(T, Plg, X, Plg, rsLaw, r1000), Plg, r1000 + (1695.0 - r1000) * X);
    }
    return d;
}
