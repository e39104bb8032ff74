// The liquid of the H2O-NaCl diagram.
//
// Up to 1000 °C, the top of its range, the fluid's density is the
// volumetric correlation of Driesner (2007) (DriesnerVolume.h): the molar
// volume of the solution is that of water from the reference model
// (IAPWS-95) at the same pressure and a scaled temperature T_V(T, P, x).
// It is continuous in T, P and X, compressible at every pressure (water's
// own compressibility at T_V), and equal to water's volume at X = 0; the
// correlation reproduces the NaCl brine densities of Spivey, McCain & North
// (2004) within 0.1 % from 10 to 250 °C and 0.5 % at 275 °C up to 2 kbar and
// 6 mol/kg, and the density of halite-saturated brine at 25 °C (1198 kg/m3).
// The correlation holds where water at (T_V, P) is a liquid or a
// supercritical fluid, or a liquid superheated by at most 100 K at T_V up to
// 300 °C; at lower
// pressures Driesner extrapolates the volume in temperature.  Beyond that
// (molten-salt-rich liquids at low pressure above 700 °C) the diagram's
// liquid-vapour law gives the liquid: its saturated liquid rising linearly
// with pressure towards an estimate at 1000 bar.  Above 1000 °C, the top of
// the correlation, there is no liquid (NaN): the state lies beyond it.
#include <cmath>

#include "brines/DriesnerVolume.h"
#include "brines/PalliserModel.h"
#include "fluid/CriticalPoints.h"
#include "platform/LogSink.h"
#include "water/WagnerPruss.h"

namespace {
constexpr double kPcWater = kWaterCritical.Pbar();     // bar, critical pressure of water (IAPWS-95)
constexpr double kTcWater = kWaterCritical.TCelsius();  // °C
constexpr double kSuperheatedTop = 300.0;   // °C, top of the superheated water the correlation may use
// Largest superheat (K) of the water whose volume the correlation takes: the
// halite-saturated brines of the three-phase curve near 0 °C need 50 K (water
// at 48 °C and 0.0045 bar).  Far beyond, near water's liquid spinodal, the
// metastable liquid's volume means nothing for the solution: molten NaCl at
// its boiling pressure above 830 °C maps to water at 295-300 °C and 0.01 to
// 0.1 bar, 250 K superheated, and would come out at 2240-2290 kg/m3, denser
// than halite, instead of the melt's 1470-1530.
constexpr double kMaxSuperheat = 100.0;

// The law's liquid at or above its saturation pressure: linear in P from the
// saturated liquid (Plg, rs) to the density at 1000 bar, constant above; a
// saturated liquid denser than the 1000-bar estimate, or saturated above
// 1000 bar, keeps its density at every pressure.
double lawLiquid(double r1000, double rs, double P, double Plg) {
    // (A liquid saturated above 1000 bar has no rise to follow.)
    if (!(r1000 > rs) || !(Plg < 1000.0)) return rs;
    if (P > 1000.0) return r1000;
    return rs + (P - Plg) / (1000.0 - Plg) * (r1000 - rs);
}
}  // namespace

double PalliserModel::driesnerLiquidDensity(double T_, double P_, double X_) {
    if (!(T_ <= driesner::kTopTemperature) || !(P_ > 0.0) || !(X_ >= 0.0 && X_ <= 1.0)) return std::nan("");
    const double x = driesner::moleFraction(X_);
    const double Tv = driesner::scaledTemperature(T_, P_, x);
    if (!std::isfinite(Tv) || Tv < -30.0) return std::nan("");
    // Water at (T_V, P) must be on its liquid side: compressed liquid,
    // supercritical, or superheated at moderate temperature.
    if (P_ < kPcWater && Tv > kSuperheatedTop) {
        if (Tv > kTcWater) return std::nan("");
        if (P_ < 1e-5 * WaterEOS::saturationPressureWagnerPruss(Tv + 273.15)) return std::nan("");
    }
    if (P_ < kPcWater && Tv - kMaxSuperheat > 0.0 &&
        P_ < 1e-5 * WaterEOS::saturationPressureWagnerPruss(Tv - kMaxSuperheat + 273.15))
        return std::nan("");
    water->set_the_phase_as(2);
    water->temperature(Tv + 273.15);
    water->pressure(P_);
    water->calculate_molar_volume();
    if (water->errorflag || !(water->V > 0.0) || (P_ < kPcWater && water->V > WaterEOS::kCriticalVolume)) {
        water->errorflag = 0;
        return std::nan("");
    }
    return driesner::solutionMolarMass(x) / water->V;
}

double PalliserModel::driesnerVapourDensity(double T_, double P_, double X_) {
    if (!(T_ <= driesner::kTopTemperature) || !(P_ > 0.0) || !(X_ >= 0.0 && X_ <= 1.0)) return std::nan("");
    // At and above water's critical pressure water has one fluid root: the
    // liquid's form.
    if (P_ >= kPcWater) return driesnerLiquidDensity(T_, P_, X_);
    const double x = driesner::moleFraction(X_);
    const double Tv = driesner::scaledTemperature(T_, P_, x);
    if (!std::isfinite(Tv)) return std::nan("");
    // Water at (T_V, P) must be a vapour: above its boiling point at P.
    if (Tv < kTcWater && P_ > 1e-5 * WaterEOS::saturationPressureWagnerPruss(Tv + 273.15)) return std::nan("");
    water->set_the_phase_as(1);
    water->temperature(Tv + 273.15);
    water->pressure(P_);
    water->calculate_molar_volume();
    if (water->errorflag || !(water->V > 0.0) || water->V < WaterEOS::kCriticalVolume) {
        water->errorflag = 0;
        return std::nan("");
    }
    return driesner::solutionMolarMass(x) / water->V;
}

double PalliserModel::vapourDensity(double T_, double P_, double X_, double lawDensity) {
    if (!argumentsHold("vapourDensity", {temperatureArg(T_), {"pressure P", P_, 0.0, kTopPressure * kTopPressureTolerance, "bar", true},
                                         salinityArg(X_)}))
        return std::nan("");
    const double d = driesnerVapourDensity(T_, P_, X_);
    if (std::isfinite(d)) return d;
    if (std::isfinite(lawDensity)) return lawDensity;
    pointFailed = 1;
    refuse("H2O-NaCl: no vapour of %g wt %% NaCl at %g °C and %g bar in the diagram\n", 100.0 * X_, T_, P_);
    return std::nan("");
}

void PalliserModel::lawSaturatedLiquid(double T_, double X_, double& P_, double& rho_) {
    SurfaceLaw L;
    double s;
    if (!surfaceLawAt(T_, L) || !L.liquidReducedPressure(X_, s)) {
        P_ = rho_ = std::nan("");
        return;
    }
    P_ = L.pressure(std::pow(s, 1.0 / L.power));
    rho_ = L.liquidLaw(s);
}

double PalliserModel::lawLiquidDensity(double T_, double P_, double X_) {
    double Plaw = 0.0, rsLaw = 0.0;
    lawSaturatedLiquid(T_, X_, Plaw, rsLaw);
    if (!(P_ > Plaw)) return rsLaw;
    double r1000;
    {
        QuietScope q(*this);  // (NaN, and the law with it, where water has no liquid)
        const int failed = pointFailed;
        r1000 = getWaterLiquidDensity(T_, 1000.0);
        pointFailed = failed;
    }
    return lawLiquid(r1000 + (1695.0 - r1000) * X_, rsLaw, P_, Plaw);
}

double PalliserModel::liquidDensity(double T_, double P_, double X_) {
    if (!argumentsHold("liquidDensity", {temperatureArg(T_), {"pressure P", P_, 0.0, kTopPressure * kTopPressureTolerance, "bar", true},
                                         salinityArg(X_)}))
        return std::nan("");
    // Below its bubble pressure the liquid boils: no one-phase liquid there.
    double Pb = std::nan(""), Xv, rl, rv;
    {
        QuietScope q(*this);
        const int failed = pointFailed;
        calculateBubblePoint(T_, X_, Pb, Xv, rl, rv);
        pointFailed = failed;
    }
    if (P_ < Pb * (1.0 - 1e-9)) {
        pointFailed = 1;
        refuse("H2O-NaCl liquidDensity: %g wt %% NaCl at %g °C boils below %g bar, its bubble pressure: no one-phase "
               "liquid at %g bar\n",
               100.0 * X_, T_, Pb, P_);
        return std::nan("");
    }
    const double d = oneLiquidDensity(T_, P_, X_);
    if (std::isfinite(d)) return d;
    pointFailed = 1;
    refuse("H2O-NaCl liquidDensity: no liquid of %g wt %% NaCl at %g °C and %g bar in the diagram\n", 100.0 * X_, T_,
           P_);
    return d;
}

double PalliserModel::oneLiquidDensity(double T_, double P_, double X_) {
    if (!(T_ <= driesner::kTopTemperature)) return std::nan("");
    const double d = driesnerLiquidDensity(T_, P_, X_);
    return std::isfinite(d) ? d : lawLiquidDensity(T_, P_, X_);
}

double PalliserModel::liquidLikeDensity(const char* regionName) {
    const double d = oneLiquidDensity(T, P, X);
    if (platform::traceShown()) platform::tracef("region %s rho %f\n", regionName, d);
    return d;
}
