// H2O-NaCl correlations: pure water on the reference model, NaCl melting,
// sublimation and boiling, the three-phase halite-liquid-vapour curve, the
// critical curve, the halite-saturated vapour, the halite liquidus and the
// ice liquidus of NaCl-KCl solutions.
#include "brines/PalliserModel.h"

#include <cmath>

#include "brines/DriesnerVolume.h"
#include "families/anderko/Anderko.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"
#include "water/WagnerPruss.h"

namespace {
// Liquidus temperature rises 0.024726 °C per bar above the three-phase point
// of the same composition; the law's liquid there 0.03 kg/m3 per bar (the
// liquid where the volumetric correlation does not hold, and the start of the
// search for the pressure of a liquidus density).
constexpr double kLiquidusSlopeT = 0.024726;
constexpr double kLiquidusSlopeRho = 0.03;
constexpr double kHaliteDensity = 2163.3340736627797;
constexpr double kMNaCl = 0.058443;  // kg/mol
constexpr double kMH2O = 0.018015268;  // kg/mol
constexpr double kR = 8.314462618;     // J/(mol K)
// Below this temperature (°C) the vapour of boiling NaCl is bounded by the
// ideal gas of Na2Cl2.
constexpr double kNaClVapourIdealTop = 2000.0;

// NaCl's boiling pressure (bar) of the correlation at T (°C), and the span
// (°C) above the melting point of halite over which it is lifted to the
// triple point.
double naclBoilingPressure(double T) { return 0.00687956 * std::exp(0.0034703 * T) - 0.110476; }
constexpr double kNaClBoilingJoin = 10.0;

// Density (kg/m3) of an ideal gas of molar mass M (kg/mol) at T (°C), P (bar).
double idealGasDensity(double M, double T, double P) { return 1e5 * P * M / (kR * (T + 273.15)); }

// Three-phase pressure of the polynomial in T/800 °C.
double slvPolynomialPressure(double T) {
    const double t = T / 800.0;
    const double t2 = t * t, t4 = t2 * t2, t6 = t4 * t2, t8 = t4 * t4, t10 = t8 * t2;
    return 13.2729 * t2 + 3189.09 * t4 - 724.296 * t6 - 8156.4 * t8 + 5678.34 * t10;
}

double slvPolynomialLiquidDensity(double T) {
    const double t = T / 800.0;
    return 1220.04 + t * (-609.462 + t * (3173.9 + t * (-17554.1 + t * (40800.0 + t * (-37348.8 + t * 11878.4)))));
}

double criticalPolynomialDensity(double T) {
    return -15830.2 / (T - 320.0) - 8.80332e-5 * T * T + 1091.19 * std::pow(T, 0.1) - 1353.69;
}

// Vapour pressure (bar) of an NaCl solution of molality m at T (°C) after
// Haas (1976), USGS Bull. 1421-A: the brine boils where pure water does at
// T0, ln T0 = ln T / (A + B T) (kelvins), A and B polynomials in m; fitted
// from 80 to 325 °C up to halite saturation.  Water's vapour pressure from
// the auxiliary equation of IAPWS-95.
double haasVapourPressure(double T, double m) {
    const double Tx = T + 273.15;
    const double m2 = m * m, m3 = m2 * m;
    const double A = 1.0 + 5.93582e-6 * m - 5.19386e-5 * m2 + 1.23156e-5 * m3;
    const double B = 1.1542e-6 * m + 1.41254e-7 * m2 - 1.92476e-8 * m3 - 1.70717e-9 * m2 * m2 + 1.0539e-10 * m3 * m2;
    const double T0 = std::exp(std::log(Tx) / (A + B * Tx));
    return 1e-5 * WaterEOS::saturationPressureWagnerPruss(T0);
}

// Searches may reach the end of the three-phase curve a little above 800 °C.
constexpr double kSlvEndTolerance = 0.01;
// Slope of the three-phase liquid's composition at 0 °C, per kelvin.
constexpr double kSlvLiquidSlopeAt0 = 7.48368e-6;
// Where the three-phase pressure and vapour pass from the halite-saturated
// solution's vapour (below) to the polynomials (above), °C.
constexpr double kSlvJoinLow = 300.0;
constexpr double kSlvJoinHigh = 350.0;

// Weight of the polynomials in the three-phase pressure and vapour: 0 up to
// 300 °C, 1 from 350 °C, a smooth step between.
double slvPolynomialWeight(double T) {
    const double u = std::fmin(std::fmax((T - kSlvJoinLow) / (kSlvJoinHigh - kSlvJoinLow), 0.0), 1.0);
    return u * u * (3.0 - 2.0 * u);
}
// Three-phase pressure (bar) at T (°C) whose liquid holds the mass fraction
// Xl: the vapour pressure of the halite-saturated solution (Haas 1976) up to
// 300 °C, the polynomial from 350 °C, geometric weights between.  (The
// polynomial alone falls to 0.016 bar at 25 °C and 0 at 0 °C; the water
// activity of saturated NaCl, 0.75, gives 0.024 bar.)
double slvPressure(double T, double Xl) {
    const double w = slvPolynomialWeight(T);
    if (w >= 1.0) return slvPolynomialPressure(T);
    const double P = haasVapourPressure(T, Xl / (kMNaCl * (1.0 - Xl)));
    if (w > 0.0) return std::exp((1.0 - w) * std::log(P) + w * std::log(slvPolynomialPressure(T)));
    return P;
}
// The three-phase liquid follows the volumetric correlation up to 700 °C
// and the polynomial, shifted by the difference there, to 800 °C.
constexpr double kSlvDensityJoin = 700.0;
// Salt content (mass fraction) below which a vapour's excess density over
// water vapour fades out.
constexpr double kDiluteVapourX = 1e-2;
// Widening of the ideal-gas bound of the laws' vapours with water vapour's
// departure from the ideal gas.
constexpr double kIdealDeparture = 10.0;
// The critical density follows the volumetric correlation to the top of its
// range (1000 °C) and the polynomial above, shifted by the difference there
// (topDifferenceWeight).
constexpr double kCriticalDensityJoin = driesner::kTopTemperature;

}  // namespace

PalliserModel::PalliserModel()
    : water(std::make_unique<WagnerPruss>(2)),
      anderko(std::make_unique<Anderko>(2)) {
    anderko->setSystemCode(10);
    usePatches = 1;
    gasExp1 = 1.5;
    gasExp2 = 0.5;
    isothermLaw.T = std::nan("");
    double Xw = 0.0;
    calculateCriticalPoint(374.15, pcAtWaterEnd, Xw, rcAtWaterEnd);
    double P_, Xl, Xv, rl, rv;
    calculateSLVPoint(kSlvDensityJoin, P_, Xl, Xv, rl, rv);
    slvLiquidOffset700 = rl - slvPolynomialLiquidDensity(kSlvDensityJoin);
    double Xc = 0.0, rc = 0.0;
    calculateCriticalPoint(kCriticalDensityJoin, P_, Xc, rc);
    criticalDensityOffsetTop = rc - criticalPolynomialDensity(kCriticalDensityJoin);
}

PalliserModel::~PalliserModel() = default;

// ---------------------------------------------------------------- water

double PalliserModel::getWaterLiquidDensity(double T_, double P_) {
    water->set_the_phase_as(2);
    water->temperature(T_ + 273.15);
    water->pressure(P_);
    water->calculate_molar_volume();
    if (water->errorflag) {
        // No liquid volume at this state: no density rather than a wrong one.
        water->errorflag = 0;
        pointFailed = 1;
        return std::nan("");
    }
    return WaterEOS::kMolarMass / water->V;
}

double PalliserModel::getWaterVapourDensity(double T_, double P_) {
    water->set_the_phase_as(1);
    water->temperature(T_ + 273.15);
    water->pressure(P_);
    water->calculate_molar_volume();
    if (water->errorflag) {
        water->errorflag = 0;
        pointFailed = 1;
        return std::nan("");
    }
    return WaterEOS::kMolarMass / water->V;
}

void PalliserModel::calculateWaterSaturationPoint(double T_, double& P_, double& rhol, double& rhov) {
    if (T_ <= 373.946) {
        const double TK = T_ + 273.15;
        P_ = 1e-5 * WaterEOS::saturationPressureWagnerPruss(TK);
        rhol = WaterEOS::saturatedLiquidDensityWagnerPruss(TK);
        rhov = WaterEOS::saturatedVapourDensityWagnerPruss(TK);
        return;
    }
    if (!usePatches) {
        rhol = rhov = 322.0;
        P_ = 221.0;
        return;
    }
    // Continued past water's critical point (IAPWS-95: 373.946 °C, 220.64 bar,
    // 322 kg/m3) to 374.15 °C, where the critical curve of the mixture starts:
    // pressure and density linear in T to the critical point of the curve
    // there, so that the liquid-vapour surface's high end is continuous.
    const double f = std::fmin((T_ - 373.946) / (374.15 - 373.946), 1.0);
    P_ = 220.64 + f * (pcAtWaterEnd - 220.64);
    rhol = rhov = 322.0 + f * (rcAtWaterEnd - 322.0);
}

double PalliserModel::getWaterSaturationTemperature(double P_, double& rhol, double& rhov) {
    water->calculateTheSaturationTemperature(P_, 0);
    if (water->errorflag || !(water->Vl_sat > 0.0) || !(water->Vv_sat > 0.0)) {
        water->errorflag = 0;
        pointFailed = 1;
        return std::nan("");
    }
    rhol = WaterEOS::kMolarMass / water->Vl_sat;
    rhov = WaterEOS::kMolarMass / water->Vv_sat;
    return water->T - 273.15;
}

double PalliserModel::getIsochoricWaterPressure(double T_, double rho_) {
    water->temperature(T_ + 273.15);
    water->volume(WaterEOS::kMolarMass / rho_);
    water->calculate_pressure();
    return 1e-5 * water->P;
}

// ---------------------------------------------------------------- NaCl and halite

double PalliserModel::getNaClLiquidDensity(double T_, double P_) {
    if (T_ < 800.0) return kHaliteDensity;
    if (T_ > 3127.0) return 0.0;
    double Ps, rl, rv;
    calculateNaClSaturationPoint(T_, Ps, rl, rv);
    return P_ >= Ps ? rl : P_ * rv / Ps;
}

double PalliserModel::getNaClVapourDensity(double T_, double P_) {
    return 1e5 * P_ * 0.058443 / ((T_ + 273.15) * 8.314);
}

double PalliserModel::getHaliteMeltingPressure(double T_) { return (T_ - 800.0) / kLiquidusSlopeT + 0.0005; }

double PalliserModel::getHaliteMeltingTemperature(double P_) { return (P_ - 0.0005) * kLiquidusSlopeT + 800.0; }

double PalliserModel::getHaliteMeltingTemperatureOffset(double P_, double T0) {
    return (P_ - 0.0005) * kLiquidusSlopeT + T0;
}

double PalliserModel::getHaliteSublimationPressure(double T_) {
    return 0.0005 * std::pow(10.0, 11806.1 * (0.0009318361831989935 - 1.0 / (T_ + 273.15)));
}

double PalliserModel::calculateNaClSatPressure(double T_) {
    // The correlation gives -4e-7 bar at the melting point of halite, where
    // the boiling curve starts from the triple point (0.0005 bar, the
    // sublimation curve's end): the difference is added there and faded out
    // linearly over kNaClBoilingJoin °C (the curve still rises: its slope is
    // 4e-4 bar/°C there, the fade's -5e-5).
    const double u = std::fmin(std::fmax((T_ - Ttriple) / kNaClBoilingJoin, 0.0), 1.0);
    return naclBoilingPressure(T_) + (1.0 - u) * (Ptriple - naclBoilingPressure(Ttriple));
}

double PalliserModel::calculateNaClSatTemperature(double P_) {
    if (P_ < -0.110476) return 0.0;
    const double T0 = std::log((P_ + 0.110476) / 0.00687956) / 0.0034703;
    if (!(P_ > Ptriple) || T0 >= Ttriple + kNaClBoilingJoin) return T0;
    // Where the correction is faded out: bisection.
    double lo = Ttriple, hi = Ttriple + kNaClBoilingJoin;
    for (int k = 0; k < 200 && hi - lo > 1e-12; ++k) {
        const double mid = 0.5 * (lo + hi);
        (calculateNaClSatPressure(mid) < P_ ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

void PalliserModel::calculateNaClSaturationPoint(double T_, double& P_, double& rhol, double& rhov) {
    P_ = calculateNaClSatPressure(T_);
    const double T2 = T_ * T_, T3 = T2 * T_, T4 = T3 * T_;
    rhol = 1744.12 + 0.114967 * T_ - 0.000621 * T2 + 2.71397e-7 * T3 - 4.29832e-11 * T4;
    rhov = 22.9444 - 0.102287 * T_ + 0.000154158 * T2 - 9.19469e-8 * T3 + 1.90449e-11 * T4;
    // At the low boiling pressures below 2000 °C the vapour is an ideal gas of
    // NaCl monomers and Na2Cl2 dimers, no denser than the ideal gas of dimers
    // (the polynomial gives 65 times the monomers' density at 850 °C, where the
    // boiling pressure is 0.02 bar).  From about 1700 °C the polynomial lies
    // below that bound and holds on to the critical point.
    if (T_ < kNaClVapourIdealTop) rhov = std::fmin(rhov, 2.0 * idealGasDensity(kMNaCl, T_, std::fmax(P_, 0.0)));
}

// ---------------------------------------------------------------- three-phase curve

double PalliserModel::slvLiquidComposition(double T_) {
    return std::fmin(0.2635 + 7.48368e-6 * T_ + 1.44611e-6 * T_ * T_ - 3.8086e-10 * T_ * T_ * T_, 1.0);
}

double PalliserModel::criticalComposition(double T_) {
    return -0.428737 + 0.00138295 * T_ - 6.79448e-7 * T_ * T_ + 1.22578e-10 * T_ * T_ * T_;
}

void PalliserModel::calculateSLVPoint(double T_, double& P_, double& Xl, double& Xv, double& rhol, double& rhov) {
    if (!(T_ <= Ttriple + kSlvEndTolerance)) {
        // The three-phase curve ends at the melting point of halite.
        P_ = Xl = Xv = rhol = rhov = std::nan("");
        pointFailed = 1;
        platform::diagf("H2O-NaCl: no halite + liquid + vapour curve at %g °C (it ends at the melting point of "
                        "halite, %g °C)\n",
                        T_, Ttriple);
        return;
    }
    // (The liquid's composition reaches 1 at 800.002 °C.)
    Xl = slvLiquidComposition(T_);
    Xv = std::pow(10.0, -(147.519 / (T_ - 825.0) + 3.4434 + 3.9318e-5 * (T_ - 550.0) * (T_ - 550.0)));
    P_ = slvPressure(T_, Xl);
    // Liquid: the volumetric correlation at the three-phase point, the
    // polynomial shifted to it above 700 °C (where the correlation would need
    // water far beyond its boiling point).
    if (T_ <= kSlvDensityJoin) {
        rhol = driesnerLiquidDensity(T_, P_, Xl);
    } else {
        rhol = slvPolynomialLiquidDensity(T_) + slvLiquidOffset700 * (Ttriple - T_) / (Ttriple - kSlvDensityJoin);
    }
    rhov = diluteVapourDensity(T_, P_, Xv, 1.0, threePhaseVapourLaw(T_, P_));
}

double PalliserModel::threePhaseVapourLaw(double T_, double P_) {
    const double t = T_ / 800.0;
    double rhov = -78.118 + t * (1325.9 + t * (-7978.1 + t * (21146.0 + t * (-22561.0 + t * 8146.6))));
    if (rhov < 1.0) rhov = 0.018 * P_ * 1e5 / ((T_ + 273.15) * 8.31);
    // Below 350 °C the vapour holds less than 1e-5 NaCl: water vapour at the
    // three-phase pressure (IAPWS-95), joined to the polynomial as the
    // pressure is.
    const double w = slvPolynomialWeight(T_);
    if (w < 1.0) {
        const int failed = pointFailed;
        const double rw = getWaterVapourDensity(T_, P_);
        pointFailed = failed;
        if (std::isfinite(rw)) rhov = (1.0 - w) * rw + w * rhov;
    }
    return rhov;
}

double PalliserModel::diluteVapourDensity(double T_, double P_, double Xv, double s, double lawDensity) {
    // A vapour holding next to no salt is water vapour: the law's density is
    // taken as water vapour at (T, P) (IAPWS-95) plus an excess, and the
    // excess is weighted by Xv / (Xv + X0 s).  The weight is 1 at the
    // critical curve (s = 0) and where the vapour holds much more than X0
    // NaCl, and vanishes with Xv, so the vapour tends to water as its salt
    // content goes to 0 (the laws' vapour densities differ from water's by
    // up to tens of per cent where they hold only 1e-5 to 1e-4 NaCl).
    const double g = Xv / (Xv + kDiluteVapourX * s);
    if (!(g < 1.0)) return lawDensity;
    const int failed = pointFailed;
    const double rw = getWaterVapourDensity(T_, P_);
    pointFailed = failed;
    if (!std::isfinite(rw)) return lawDensity;
    // Where water vapour is nearly an ideal gas, so is the vapour: it is no
    // denser than water vapour with as many moles per volume and its salt as
    // Na2Cl2 dimers.  Without the bound the laws give, at low pressure near
    // the melting point of halite, vapours many times denser than any gas of
    // their composition (the three-phase vapour 7 times water vapour's
    // density at 790 °C and 5.5 bar; the surface's vapour of 1 % NaCl 160
    // times at 820 °C and 0.01 bar).  The bound widens with water vapour's
    // departure from the ideal gas, d = rho_w R T / (P M_w) - 1, as
    // (1 + 10 d), so that it leaves the laws' dense vapours alone (near the
    // critical curve, and the three-phase vapour up to 700 °C).  The factor
    // 10 is this model's choice, not a published form.
    const double ideal = idealGasDensity(kMH2O, T_, P_);
    const double d = std::fmax(rw / ideal - 1.0, 0.0);
    const double molarMassRatio = 1.0 / ((1.0 - Xv) + Xv * kMH2O / (2.0 * kMNaCl));
    const double law = std::fmin(lawDensity, rw * molarMassRatio * (1.0 + kIdealDeparture * d));
    return rw + g * (law - rw);
}

void PalliserModel::calculateCriticalPoint(double T_, double& P_, double& X_, double& rho_) {
    if (!(T_ >= 374.15)) return;
    if (T_ <= 3127.0) {
        P_ = T_ <= 850.0 ? 256.326 - 3.28926 * T_ + 0.0105024 * T_ * T_ - 5.2439e-6 * T_ * T_ * T_
                         : -3282.54 + 9.20086 * T_ - 0.00419191 * T_ * T_ + 5.18556e-7 * T_ * T_ * T_;
        // (The composition's polynomial is 0 at 374.1508 °C, -8e-7 at
        // 374.15 °C.)
        X_ = std::fmax(criticalComposition(T_), 0.0);
    }
    // Critical density: the volumetric correlation at the critical point, so
    // that the liquid and the vapour of the surface meet there; above 1000 °C
    // the polynomial, shifted to it and the shift faded out by 1200 °C.
    if (T_ <= kCriticalDensityJoin) {
        const double d = driesnerLiquidDensity(T_, P_, X_);
        if (std::isfinite(d)) {
            rho_ = d;
            return;
        }
    }
    rho_ = criticalPolynomialDensity(T_);
    rho_ += criticalDensityOffsetTop * topDifferenceWeight(T_);
}

// ---------------------------------------------------------------- halite-saturated vapour

double PalliserModel::haliteSaturatedVapourDensity(double T_, double P_, double Ps, double rv, double n) {
    // Water vapour at (T, P) (IAPWS-95) with the three-phase vapour's excess
    // over water vapour at Ps, fading as its salt content does, (P/Ps)^n:
    // the vapour is water's where it holds next to no salt.
    // The excess is taken relative to water vapour's density, so that a
    // trace of salt changes the density by a like fraction at every pressure
    // (an absolute excess would outgrow water vapour's density as P -> 0).
    const double wP = getWaterVapourDensity(T_, P_), wPs = getWaterVapourDensity(T_, Ps);
    if (!std::isfinite(wP) || !std::isfinite(wPs) || !(Ps > 0.0)) return P_ / Ps * rv;
    return wP * (1.0 + (rv / wPs - 1.0) * std::pow(P_ / Ps, n));
}

double PalliserModel::haliteGasExponent(double T_) const { return T_ <= 350.0 ? 6.5 : 6.0 + (T_ - 400.0) / -100.0; }

void PalliserModel::calculateHaliteGasBubble(double T_, double P_, double& X_, double& rho_) {
    const double n = haliteGasExponent(T_);
    double Ps, Xl, Xv, rl, rv;
    calculateSLVPoint(T_, Ps, Xl, Xv, rl, rv);
    // Vapour saturated with halite exists from 0 up to the three-phase
    // pressure; above it the fluid beside halite is a liquid (the power law
    // gave vapours of 1e26 wt % and denser than halite there).
    if (!(P_ > 0.0 && P_ <= Ps)) {
        X_ = rho_ = std::nan("");
        pointFailed = 1;
        return;
    }
    X_ = std::pow(P_ / Ps, n) * Xv;
    rho_ = haliteSaturatedVapourDensity(T_, P_, Ps, rv, n);
}

void PalliserModel::calculateHaliteGasSat(double T_, double X_, double& P_, double& rho_) {
    const double n = haliteGasExponent(T_);
    double Ps, Xl, Xv, rl, rv;
    calculateSLVPoint(T_, Ps, Xl, Xv, rl, rv);
    P_ = std::pow(X_ / Xv, 1.0 / n) * Ps;
    if (P_ > Ps) P_ = Ps;
    rho_ = haliteSaturatedVapourDensity(T_, P_, Ps, rv, n);
}

void PalliserModel::preCalculateHaliteGasBubble(double T_) {
    hgExponent = haliteGasExponent(T_);
    hgTemperature = T_;
    calculateSLVPoint(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
}

void PalliserModel::doCalculateHaliteGasBubble(double P_, double& X_, double& rho_) {
    X_ = std::pow(P_ / Pslv, hgExponent) * Xvslv;
    rho_ = haliteSaturatedVapourDensity(hgTemperature, P_, Pslv, rhovslv, hgExponent);
}

// ---------------------------------------------------------------- halite liquidus

void PalliserModel::calculateHaliteLiquidTemperature(double X_, double P_, double& T_, double& rho_, double Tstart) {
    double Ts, Ps, Xv, rl, rv;
    calculateSLVPointFromX(X_, Ts, Ps, Xv, rl, rv, Tstart);
    if (pointFailed) {
        T_ = -1.0;
        return;
    }
    T_ = Ts + kLiquidusSlopeT * (P_ - Ps);
    rho_ = haliteLiquidusDensity(T_, P_, X_, rl + kLiquidusSlopeRho * (P_ - Ps));
}

// Parameters: X, rho, Ts and Ps of the three-phase point of X.
double PalliserModel::equationForHaliteLiquidFromRhoX(double P_, void* data) {
    const double* p = static_cast<const double*>(data);
    const double T_ = p[2] + kLiquidusSlopeT * (P_ - p[3]);
    const double d = haliteLiquidusDensity(T_, P_, p[0], std::nan(""));
    if (!std::isfinite(d)) {
        error = 1;
        return 0.0;
    }
    return d - p[1];
}

void PalliserModel::calculateHaliteLiquidTemperatureFromRhoX(double X_, double rho_, double& T_, double& P_,
                                                             double Tstart) {
    double Ts, Ps, Xv, rl, rv;
    calculateSLVPointFromX(X_, Ts, Ps, Xv, rl, rv, Tstart);
    if (pointFailed) {
        T_ = P_ = -1.0;
        return;
    }
    // The liquidus rises 0.0247 °C per bar from the three-phase point; the
    // pressure is the one at which the liquid there has the density rho
    // (started from a compressibility of 0.03 kg/m3 per bar).
    P_ = (rho_ - rl) / kLiquidusSlopeRho + Ps;
    if (Ts + kLiquidusSlopeT * (P_ - Ps) <= Ttriple) {
        double par[4] = {X_, rho_, Ts, Ps};
        Secant s;
        s.obj = this;
        s.fn = toEquationFn<ScalarEquationFn>(&PalliserModel::equationForHaliteLiquidFromRhoX);
        s.data = par;
        s.x0 = std::fmax(P_, Ps);
        s.x1 = s.x0 + 1.0;
        s.itermax = 30;
        s.tol = 1e-9;
        s.lambda = 1.0;
        s.lambdaMin = 0.01;
        const double Pr = s.solve();
        if (s.status != 0 || !(Pr >= Ps)) {
            pointFailed = 1;
            T_ = P_ = -1.0;
            return;
        }
        P_ = Pr;
    }
    T_ = (P_ - Ps) * kLiquidusSlopeT + Ts;
}

void PalliserModel::calculateHaliteLiquidPoint(double T_, double P_, double& X_, double, double& rho_) {
    // The liquidus of composition X lies 0.024726 °C per bar above the
    // three-phase point of X, so the liquid saturated with halite at (T, P)
    // is the three-phase liquid at the temperature Ts that solves
    // Ts + 0.024726 (P - Ps(Ts)) = T.  The search is on Ts, by fixed-point
    // steps (the three-phase pressure moves by at most a few bar per kelvin,
    // so each step gains a factor of ten or more).  Where the pressure
    // carries Ts below 0 °C, the end of the three-phase curve (at 20 °C from
    // 810 bar on, at any temperature below 124 °C at 5 kbar), the three-phase
    // liquid's composition is continued along its tangent at 0 °C, 7.5e-6
    // per kelvin, and its pressure held at its value at 0 °C: the liquid
    // saturated with halite there is a solution of 26.3 wt %, not a failure.
    pointFailed = 0;
    double Ts = T_ - kLiquidusSlopeT * P_;
    bool converged = false;
    for (int it = 0; it < 100 && std::isfinite(Ts); ++it) {
        const double Tc = std::fmax(Ts, 0.0);
        const double next = T_ - kLiquidusSlopeT * (P_ - slvPressure(Tc, slvLiquidComposition(Tc)));
        converged = std::fabs(next - Ts) < 1e-10;
        Ts = next;
        if (converged) break;
    }
    if (!converged || !(P_ > 0.0) || !(T_ >= 0.0) || !(Ts <= Ttriple + kSlvEndTolerance)) {
        // No liquidus at this state: no composition that could be taken for one.
        pointFailed = 1;
        X_ = rho_ = std::nan("");
        return;
    }
    X_ = Ts >= 0.0 ? slvLiquidComposition(Ts) : slvLiquidComposition(0.0) + kSlvLiquidSlopeAt0 * Ts;
    double Ps, Xl, Xv, rl, rv;
    calculateSLVPoint(std::fmax(Ts, 0.0), Ps, Xl, Xv, rl, rv);
    rho_ = haliteLiquidusDensity(T_, P_, X_, rl + kLiquidusSlopeRho * (P_ - Ps));
}

double PalliserModel::haliteLiquidusDensity(double T_, double P_, double X_, double lawDensity) {
    // The liquid of the one-phase region at the same state, so that the
    // halite-bearing and the halite-free liquid agree on the liquidus.
    const double d = driesnerLiquidDensity(T_, P_, X_);
    return std::isfinite(d) ? d : lawDensity;
}

// ---------------------------------------------------------------- ice liquidus

void PalliserModel::calculateFreezingTemperature(double X_, double c, double& T_) {
    const double w = 100.0 * X_;
    T_ = -((0.4597 + 0.144 * c) * w + (0.0002227 + 0.0001999 * c + 4.633e-5 * c * c + 0.0001123 * c * c * c) * w * w * w);
}

// Parameters: T, c.
double PalliserModel::equationForFreezing(double X_, void* data) {
    const double* p = static_cast<const double*>(data);
    if (X_ < 0.0) {
        error = 1;
        return 0.0;
    }
    double Tf;
    calculateFreezingTemperature(X_, p[1], Tf);
    return Tf - p[0];
}

void PalliserModel::calculateIceMeltingSalinity(double T_, double c, double& X_) {
    // Ice melts from the liquid only above the eutectic: -21.2 °C for
    // H2O-NaCl, -10.7 °C for H2O-KCl, -22.9 °C (the ternary eutectic) for a
    // mixture of the two salts.
    const double eutectic = c >= 1.0 ? -21.2 : (c <= 0.0 ? -10.7 : -22.9);
    if (!(T_ >= eutectic) || !(T_ <= 0.0)) {
        X_ = std::nan("");
        pointFailed = 1;
        platform::diagf("H2O-NaCl: ice melting at %g °C lies outside the ice liquidus (%g to 0 °C)\n", T_,
                        eutectic);
        return;
    }
    double par[2] = {T_, c};
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&PalliserModel::equationForFreezing);
    s.data = par;
    s.x0 = 0.0005;
    s.x1 = 0.0011;
    s.itermax = 15;
    s.tol = 1e-9;
    s.lambdaMin = 0.01;
    X_ = s.solve();
    pointFailed = s.status != 0;
}

// ---------------------------------------------------------------- one-phase densities

double PalliserModel::calculateFluidDensityRegion2a() {
    const double d = region2aDensity(T, P, X, Pcrit, Xcrit, rhocrit);
    const double w = topDifferenceWeight(T);
    if (w == 0.0) return d;
    // Above the top of the volumetric correlation the law carries the
    // difference between the two at 1000 °C (as the critical density and the
    // liquid do), so the fluid is continuous there.
    double Pc = 0.0, Xc = 0.0, rc = 0.0;
    calculateCriticalPoint(kCriticalDensityJoin, Pc, Xc, rc);
    const double top = region2aDensity(kCriticalDensityJoin, P, X, Pc, Xc, rc);
    const double law = region2aLaw(kCriticalDensityJoin, P, X, Pc, Xc, rc);
    if (!std::isfinite(top) || !std::isfinite(law)) return d;
    return d + (top - law) * w;
}

double PalliserModel::region2aDensity(double T_, double P_, double X_, double Pc, double Xc, double rc) {
    // Supercritical fluid poorer in NaCl than the critical composition: the
    // volumetric correlation, water's density at X = 0 and continuous with
    // the liquid-like side at the critical composition.  At the critical
    // pressure it takes the vapour side's density (water vapour blended
    // linearly in X to the critical density), the difference fading out
    // linearly by twice the critical pressure; the difference is zero at
    // X = 0 and at the critical composition.
    const double d = driesnerLiquidDensity(T_, P_, X_);
    if (!std::isfinite(d)) return region2aLaw(T_, P_, X_, Pc, Xc, rc);
    if (!(P_ < 2.0 * Pc) || !(Xc > 0.0)) return d;
    const double rvc = getWaterVapourDensity(T_, Pc), dc = driesnerLiquidDensity(T_, Pc, X_);
    if (!std::isfinite(rvc) || !std::isfinite(dc)) return d;
    const double vapourSide = rvc + (X_ / Xc) * (rc - rvc);
    return d + (vapourSide - dc) * (2.0 * Pc - P_) / Pc;
}

double PalliserModel::region2aLaw(double T_, double P_, double X_, double Pc, double Xc, double rc) {
    const double r1 = getWaterLiquidDensity(T_, 1000.0);
    const double r1000 = r1 + (1695.0 - r1) * Xc;
    const double rv = getWaterVapourDensity(T_, P_);
    if (P_ < 1000.0) return rv + (X_ / Xc) * (rc + (P_ - Pc) / (1000.0 - Pc) * (r1000 - rc) - rv);
    return rv + (X_ / Xc) * (r1000 - rv);
}

double PalliserModel::calculateFluidDensityRegion4() {
    const double rv = getWaterVapourDensity(T, P);
    return rv + (X / Xvlg) * (rhovlg - rv);
}

double PalliserModel::calculateFluidDensityRegion8() {
    const double rv = getWaterVapourDensity(T, P);
    return rv + (X / Xhg) * (rhohg - rv);
}

double PalliserModel::calculateFluidDensityRegion7() {
    // Below NaCl's boiling pressure: between water vapour and NaCl vapour at
    // the same (T, P).
    const double rv = getWaterVapourDensity(T, P);
    return rv + X * (getNaClVapourDensity(T, P) - rv);
}

// Liquid-like one-phase states (identical formulas, traced under their names).
double PalliserModel::calculateFluidDensityRegion6() { return liquidLikeDensity("6"); }

double PalliserModel::calculateFluidDensityRegion2b() { return liquidLikeDensity("2b"); }

void PalliserModel::calculateAnderkoFluid() {
    const double x = (X / 0.058443) / ((1.0 - X) / 0.018015 + X / 0.058443);
    anderko->composition(1.0 - x, x);
    anderko->temperature(T + 273.15);
    anderko->pressure(P);
    anderko->calculate_molar_volume();
    if (anderko->errorflag) {
        anderko->errorflag = 0;
        platform::tracef("Anderko: no molar volume\n");
        return;
    }
    const double Vm = anderko->V;
    platform::tracef("V %f rho %f\n", 1e6 * Vm, anderko->bulk_molar_weight / Vm);
}
