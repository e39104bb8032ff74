// H2O-NaCl correlations: pure water on the reference model, NaCl melting,
// sublimation and boiling, the three-phase halite-liquid-vapour curve, the
// critical curve, the halite-saturated vapour, the halite liquidus and the
// ice liquidus of NaCl-KCl solutions.  The boundaries of the mixture are
// those of Driesner & Heinrich (2007, GCA 71, 4880-4901; DriesnerHeinrich.h)
// from 0.1 to 1000 °C and up to 5000 bar, the liquid's volume that of
// Driesner (2007, GCA 71, 4902-4919; DriesnerVolume.h).
#include "brines/PalliserModel.h"

#include <cmath>
#include <limits>

#include "brines/DriesnerHeinrich.h"
#include "brines/DriesnerVolume.h"
#include "brines/PalliserLever.h"
#include "families/anderko/Anderko.h"
#include "fluid/CriticalPoints.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"
#include "water/WagnerPruss.h"

namespace {
constexpr double kMNaCl = 0.058443;  // kg/mol
constexpr double kMH2O = 0.018015268;  // kg/mol
constexpr double kR = 8.314462618;     // J/(mol K)
// Below this temperature (°C) the vapour of boiling NaCl is bounded by the
// ideal gas of Na2Cl2.
constexpr double kNaClVapourIdealTop = 2000.0;

// NaCl's boiling pressure above 1000 °C, where Driesner & Heinrich's eq. 3
// ends: log P linear in 1/T (K) from eq. 3 at 1000 °C to the end of the
// molten-salt correlation at NaCl's critical point (3127 °C), where the
// former boiling law of this model gives 353.4 bar (a bridge of this
// model's own for pure NaCl, continuous at 1000 °C).
double naclBoilingLawAtCriticalPoint() { return 0.00687956 * std::exp(0.0034703 * 3127.0) - 0.110476; }

// Density (kg/m3) of an ideal gas of molar mass M (kg/mol) at T (°C), P (bar).
double idealGasDensity(double M, double T, double P) { return 1e5 * P * M / (kR * (T + 273.15)); }

double slvPolynomialLiquidDensity(double T) {
    const double t = T / 800.0;
    return 1220.04 + t * (-609.462 + t * (3173.9 + t * (-17554.1 + t * (40800.0 + t * (-37348.8 + t * 11878.4)))));
}

// Where the three-phase vapour's density passes from water vapour's (below)
// to its polynomial (above), °C: a smooth step of weight 0 up to 300 °C and 1
// from 350 °C (below 350 °C the vapour holds less than 1e-5 NaCl).
double vapourPolynomialWeight(double T) {
    const double u = std::fmin(std::fmax((T - 300.0) / 50.0, 0.0), 1.0);
    return u * u * (3.0 - 2.0 * u);
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

// Hydrohalite (NaCl.2H2O) is stable below its peritectic, 0.1 °C: the
// three-phase curve halite + liquid + vapour starts there.
constexpr double kPeritectic = 0.1;
// Where the three-phase pressure passes from the vapour pressure of the
// halite-saturated solution (below) to eq. 10 of Driesner & Heinrich (above),
// °C.  Below about 100 °C eq. 10 runs under the measured vapour pressure of
// saturated brine (21 % at 25 °C against Greenspan 1977's humidity over
// saturated NaCl, 75.29 %); Haas (1976) agrees with it within 2 % there.
constexpr double kSlvJoinLow = 80.0;
// Relative rounding of a pressure taken as the three-phase pressure (the
// searches that start from it).
constexpr double kSlvPressureRounding = 1e-9;
constexpr double kSlvJoinHigh = 100.0;

// Weight of eq. 10 in the three-phase pressure: 0 up to 80 °C, 1 from
// 100 °C, a smooth step between.
double slvCorrelationWeight(double T) {
    const double u = std::fmin(std::fmax((T - kSlvJoinLow) / (kSlvJoinHigh - kSlvJoinLow), 0.0), 1.0);
    return u * u * (3.0 - 2.0 * u);
}
// Three-phase pressure (bar) at T (°C): the vapour pressure of the
// halite-saturated solution (Haas 1976, at the liquid of eq. 8 there) up to
// 80 °C, eq. 10 from 100 °C, geometric weights between.
double slvPressure(double T) {
    const double w = slvCorrelationWeight(T);
    const double Pdh = dh07::vlhPressure(T);
    if (w >= 1.0) return Pdh;
    const double Xl = dh07::massFraction(dh07::liquidusMoleFraction(T, Pdh));
    const double P = haasVapourPressure(T, Xl / (kMNaCl * (1.0 - Xl)));
    if (w > 0.0) return std::exp((1.0 - w) * std::log(P) + w * std::log(Pdh));
    return P;
}
// Liquid of the three-phase point at T whose pressure is P (eq. 8), mass
// fraction, at most 1.
double slvLiquid(double T, double P) { return std::fmin(dh07::massFraction(dh07::liquidusMoleFraction(T, P)), 1.0); }
// The three-phase liquid follows the volumetric correlation up to 700 °C
// and the polynomial, shifted by the difference there, to 800 °C.
constexpr double kSlvDensityJoin = 700.0;
// Salt content (mass fraction) below which a vapour's excess density over
// water vapour fades out.
constexpr double kDiluteVapourX = 1e-2;
// Widening of the ideal-gas bound of the laws' vapours with water vapour's
// departure from the ideal gas.
constexpr double kIdealDeparture = 10.0;

}  // namespace

PalliserModel::PalliserModel()
    : water(std::make_unique<WagnerPruss>(2)),
      anderko(std::make_unique<Anderko>(2)) {
    anderko->setSystemCode(10);
    usePatches = 1;
    gasExp1 = 1.5;
    gasExp2 = 0.5;
    isothermLaw.T = std::nan("");
    gasLaw.T = std::nan("");
    // The diagram's constants of Driesner & Heinrich (2007): the NaCl triple
    // point and water's critical point (IAPWS-95), where the critical curve
    // of the mixture starts.
    Ttriple = dh07::kTriplePointT;
    Ptriple = dh07::kTriplePointP;
    Tcw = dh07::kWaterCriticalT;
    Pcw = dh07::kWaterCriticalP;
    double P_, Xl, Xv, rl, rv;
    threePhaseState(kSlvDensityJoin, P_, Xl, Xv, rl, rv);
    slvLiquidOffset700 = rl - slvPolynomialLiquidDensity(kSlvDensityJoin);
}

PalliserModel::~PalliserModel() = default;

// ---------------------------------------------------------------- water

double PalliserModel::getWaterLiquidDensity(double T_, double P_) {
    return waterDensity("getWaterLiquidDensity", 2, T_, P_);
}

double PalliserModel::quietWaterVapourDensity(double T_, double P_) {
    QuietScope q(*this);
    const int failed = pointFailed;
    const double d = getWaterVapourDensity(T_, P_);
    pointFailed = failed;
    return d;
}

double PalliserModel::getWaterVapourDensity(double T_, double P_) {
    return waterDensity("getWaterVapourDensity", 1, T_, P_);
}

double PalliserModel::waterDensity(const char* caller, int kind, double T_, double P_) {
    if (!argumentsHold(caller, {waterTemperatureArg(T_), waterPressureArg(P_)})) return std::nan("");
    water->set_the_phase_as(kind);
    water->temperature(T_ + 273.15);
    water->pressure(P_);
    water->calculate_molar_volume();
    if (water->errorflag) {
        // No volume of that phase at this state: no density rather than a
        // wrong one.
        water->errorflag = 0;
        pointFailed = 1;
        refuse("H2O-NaCl %s: water has no %s state at %g °C and %g bar\n", caller, kind == 2 ? "liquid" : "vapour",
               T_, P_);
        return std::nan("");
    }
    return WaterEOS::kMolarMass / water->V;
}

void PalliserModel::calculateWaterSaturationPoint(double T_, double& P_, double& rhol, double& rhov) {
    pointFailed = 0;
    if (!argumentsHold("calculateWaterSaturationPoint", {waterTemperatureArg(T_)})) {
        P_ = rhol = rhov = std::nan("");
        return;
    }
    if (T_ <= kWaterCritical.TCelsius()) {
        const double TK = T_ + 273.15;
        P_ = 1e-5 * WaterEOS::saturationPressureWagnerPruss(TK);
        rhol = WaterEOS::saturatedLiquidDensityWagnerPruss(TK);
        rhov = WaterEOS::saturatedVapourDensityWagnerPruss(TK);
        return;
    }
    // No saturation above water's critical point: its critical point.
    P_ = kWaterCritical.Pbar();
    rhol = rhov = kWaterCritical.rho;
}

double PalliserModel::getWaterSaturationTemperature(double P_, double& rhol, double& rhov) {
    rhol = rhov = std::nan("");
    // Water boils from its triple point (0.00611655 bar) to its critical
    // point (IAPWS-95).
    if (!argumentsHold("getWaterSaturationTemperature", {{"pressure P", P_, 0.00611655, PcwIAPWS, "bar"}}))
        return std::nan("");
    water->errorflag = 0;
    water->calculateTheSaturationTemperature(P_, 0);
    if (water->errorflag || !(water->Vl_sat > 0.0) || !(water->Vv_sat > 0.0)) {
        water->errorflag = 0;
        pointFailed = 1;
        refuse("H2O-NaCl getWaterSaturationTemperature: no saturation temperature of water found at %g bar\n", P_);
        return std::nan("");
    }
    rhol = WaterEOS::kMolarMass / water->Vl_sat;
    rhov = WaterEOS::kMolarMass / water->Vv_sat;
    return water->T - 273.15;
}

double PalliserModel::getIsochoricWaterPressure(double T_, double rho_) {
    if (!argumentsHold("getIsochoricWaterPressure", {waterTemperatureArg(T_), densityArg(rho_)})) return std::nan("");
    if (T_ < TcwIAPWS) {
        // Inside the liquid-vapour dome water of that density is liquid and
        // vapour at their saturation pressure (below the triple point, the
        // metastable continuation of the saturation curve).
        double Ps, rl, rv;
        calculateWaterSaturationPoint(T_, Ps, rl, rv);
        if (rho_ > rv && rho_ < rl) return Ps;
    }
    water->temperature(T_ + 273.15);
    water->volume(WaterEOS::kMolarMass / rho_);
    // (The flag tells of this evaluation, not of an earlier one.)
    water->errorflag = 0;
    water->calculate_pressure();
    if (water->errorflag || !std::isfinite(water->P)) {
        water->errorflag = 0;
        pointFailed = 1;
        refuse("H2O-NaCl getIsochoricWaterPressure: water has no state at %g °C and %g kg/m3\n", T_, rho_);
        return std::nan("");
    }
    if (!(water->P > 0.0) || 1e-5 * water->P > kWaterPmax) {
        pointFailed = 1;
        refuse("H2O-NaCl getIsochoricWaterPressure: water at %g °C and %g kg/m3 lies beyond IAPWS-95's range (above "
               "0 and up to %g bar; its equation gives %g bar)\n",
               T_, rho_, kWaterPmax, 1e-5 * water->P);
        return std::nan("");
    }
    return 1e-5 * water->P;
}

// ---------------------------------------------------------------- NaCl and halite

double PalliserModel::getNaClLiquidDensity(double T_, double P_) {
    if (!argumentsHold("getNaClLiquidDensity", {naclTemperatureArg(T_), anyPressureArg(P_)})) return std::nan("");
    if (T_ < Ttriple) return kHaliteDensity;
    if (T_ > 3127.0) return 0.0;
    double Ps, rl, rv;
    calculateNaClSaturationPoint(T_, Ps, rl, rv);
    return P_ >= Ps ? rl : P_ * rv / Ps;
}

double PalliserModel::getNaClVapourDensity(double T_, double P_) {
    // (Above NaCl's critical point too: the vapour of the pure salt.)
    if (!argumentsHold("getNaClVapourDensity", {{"temperature T", T_, kWaterTmin, kInf, "°C"}, anyPressureArg(P_)}))
        return std::nan("");
    return 1e5 * P_ * 0.058443 / ((T_ + 273.15) * 8.314);
}

// Melting (eq. 1), sublimation (eq. 2) and boiling (eq. 3) of NaCl after
// Driesner & Heinrich (2007).
// The melting curve starts at the triple point; eq. 1 is continued up to
// NaCl's critical temperature, where the bulk density compares pressures
// with it.
double PalliserModel::getHaliteMeltingPressure(double T_) {
    if (!argumentsHold("getHaliteMeltingPressure", {{"temperature T", T_, Ttriple, TcNaCl, "°C"}})) return std::nan("");
    // (Eq. 1 continued linearly above 5000 bar.)
    return dh07::kTriplePointP + (T_ - Ttriple) / dh07::kMeltingSlope;
}

double PalliserModel::getHaliteMeltingTemperature(double P_) {
    if (!argumentsHold("getHaliteMeltingTemperature", {{"pressure P", P_, 0.0, kTopPressureTolerance * dh07::kTopPressure, "bar"}}))
        return std::nan("");
    return dh07::haliteMeltingTemperature(P_);
}

double PalliserModel::getHaliteMeltingTemperatureOffset(double P_, double T0) {
    if (!argumentsHold("getHaliteMeltingTemperatureOffset",
                       {{"pressure P", P_, 0.0, kTopPressureTolerance * dh07::kTopPressure, "bar"},
                        finiteArg("temperature T0", T0, "°C")}))
        return std::nan("");
    return dh07::haliteMeltingTemperature(P_) - Ttriple + T0;
}

double PalliserModel::getHaliteSublimationPressure(double T_) {
    if (!argumentsHold("getHaliteSublimationPressure", {{"temperature T", T_, -273.15, Ttriple, "°C", true}}))
        return std::nan("");
    return dh07::naclVapourPressure(std::fmin(T_, std::nextafter(Ttriple, 0.0)));
}

double PalliserModel::calculateNaClSatPressure(double T_) {
    if (!argumentsHold("calculateNaClSatPressure", {{"temperature T", T_, Ttriple, TcNaCl, "°C"}}))
        return std::nan("");
    // Eq. 3 up to 1000 °C; above, the bridge to NaCl's critical point.
    const double top = dh07::kTopTemperature;
    if (T_ <= top) return dh07::naclVapourPressure(std::fmax(T_, Ttriple));
    const double u = (1.0 / (top + 273.15) - 1.0 / (T_ + 273.15)) / (1.0 / (top + 273.15) - 1.0 / (3127.0 + 273.15));
    const double l0 = std::log(dh07::naclVapourPressure(top)), l1 = std::log(naclBoilingLawAtCriticalPoint());
    return std::exp(l0 + u * (l1 - l0));
}

double PalliserModel::calculateNaClSatTemperature(double P_) {
    // The boiling curve rises monotonically from the triple point to NaCl's
    // critical point: bisection (NaN outside it).
    if (!argumentsHold("calculateNaClSatTemperature",
                       {{"pressure P", P_, Ptriple, calculateNaClSatPressure(TcNaCl), "bar"}}))
        return std::nan("");
    double lo = Ttriple, hi = 3127.0;
    for (int k = 0; k < 200 && hi - lo > 1e-12; ++k) {
        const double mid = 0.5 * (lo + hi);
        (calculateNaClSatPressure(mid) < P_ ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

void PalliserModel::calculateNaClSaturationPoint(double T_, double& P_, double& rhol, double& rhov) {
    pointFailed = 0;
    if (!argumentsHold("calculateNaClSaturationPoint", {{"temperature T", T_, Ttriple, TcNaCl, "°C"}})) {
        P_ = rhol = rhov = std::nan("");
        return;
    }
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
    if (!argumentsHold("slvLiquidComposition", {{"temperature T", T_, kPeritectic, Ttriple, "°C"}}))
        return std::nan("");
    return slvLiquid(T_, slvPressure(T_));
}

double PalliserModel::criticalComposition(double T_) {
    // Eq. 7 of Driesner & Heinrich (2007) as a mass fraction: 0 up to water's
    // critical point, none above 1000 °C where the correlation ends.
    if (!argumentsHold("criticalComposition", {temperatureArg(T_)})) return std::nan("");
    return dh07::massFraction(dh07::criticalMoleFraction(T_));
}

void PalliserModel::threePhaseState(double T_, double& P_, double& Xl, double& Xv, double& rhol, double& rhov) {
    // Pressure: the vapour pressure of halite-saturated brine below 100 °C,
    // eq. 10 above; liquid: the halite liquidus (eq. 8) at that pressure;
    // vapour: the vapour branch (eq. 13-17) with that liquid.
    P_ = slvPressure(T_);
    const double xl = std::fmin(dh07::liquidusMoleFraction(T_, P_), 1.0);
    Xl = dh07::massFraction(xl);
    Xv = std::fmin(dh07::massFraction(dh07::vapourBranch(T_, P_, xl)), Xl);
    // Liquid: the volumetric correlation at the three-phase point, the
    // polynomial shifted to it above 700 °C (where the correlation would need
    // water far beyond its boiling point).
    if (T_ <= kSlvDensityJoin) {
        rhol = driesnerLiquidDensity(T_, P_, Xl);
    } else {
        rhol = slvPolynomialLiquidDensity(T_) +
               slvLiquidOffset700 * std::fmax(Ttriple - T_, 0.0) / (Ttriple - kSlvDensityJoin);
    }
    rhov = vapourDensity(T_, P_, Xv, diluteVapourDensity(T_, P_, Xv, 1.0, threePhaseVapourLaw(T_, P_)));
}

void PalliserModel::calculateSLVPoint(double T_, double& P_, double& Xl, double& Xv, double& rhol, double& rhov) {
    pointFailed = 0;
    if (!(T_ <= Ttriple) || !(T_ >= kPeritectic)) {
        // The three-phase curve runs from the peritectic of hydrohalite to
        // NaCl's triple point (800.7 °C, 5e-4 bar), where the liquid is
        // molten NaCl; above it eq. 10 gives negative pressures.
        P_ = Xl = Xv = rhol = rhov = std::nan("");
        pointFailed = 1;
        refuse("H2O-NaCl: no halite + liquid + vapour curve at %g °C (it runs from %g °C, below which hydrohalite "
               "is stable, to NaCl's triple point, %g °C and %g bar)\n",
               T_, kPeritectic, Ttriple, Ptriple);
        return;
    }
    threePhaseState(T_, P_, Xl, Xv, rhol, rhov);
}

double PalliserModel::threePhaseVapourLaw(double T_, double P_) {
    const double t = T_ / 800.0;
    double rhov = -78.118 + t * (1325.9 + t * (-7978.1 + t * (21146.0 + t * (-22561.0 + t * 8146.6))));
    if (rhov < 1.0) rhov = 0.018 * P_ * 1e5 / ((T_ + 273.15) * 8.31);
    // Below 350 °C the vapour holds less than 1e-5 NaCl: water vapour at the
    // three-phase pressure (IAPWS-95), joined to the polynomial as the
    // pressure is.
    const double w = vapourPolynomialWeight(T_);
    if (w < 1.0) {
        const double rw = quietWaterVapourDensity(T_, P_);
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
    const double rw = quietWaterVapourDensity(T_, P_);
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

bool PalliserModel::criticalPointAt(double T_, double& P_, double& X_, double& rho_) {
    if (!(T_ >= Tcw && T_ <= dh07::kTopTemperature)) {
        P_ = X_ = rho_ = std::nan("");
        return false;
    }
    // Eq. 5 and 7 of Driesner & Heinrich (2007); the critical density is the
    // volumetric correlation's liquid there, so that the liquid and the
    // vapour of the surface meet at it.
    P_ = dh07::criticalPressure(T_);
    X_ = dh07::massFraction(dh07::criticalMoleFraction(T_));
    // (At water's own critical point, IAPWS-95's critical density.)
    rho_ = X_ > 0.0 ? driesnerLiquidDensity(T_, P_, X_) : kWaterCritical.rho;
    return std::isfinite(rho_);
}

void PalliserModel::calculateCriticalPoint(double T_, double& P_, double& X_, double& rho_) {
    pointFailed = 0;
    if (criticalPointAt(T_, P_, X_, rho_)) {
        pointFailed = 0;
        return;
    }
    pointFailed = 1;
    refuse("H2O-NaCl: no critical point at %g °C (the critical curve of Driesner & Heinrich 2007 runs from water's "
           "critical point, %g °C, to %g °C)\n",
           T_, Tcw, dh07::kTopTemperature);
}

// ---------------------------------------------------------------- halite-saturated vapour

double PalliserModel::haliteSaturatedVapourDensity(double T_, double P_, double Ps, double rv, double n) {
    // Water vapour at (T, P) (IAPWS-95) with the three-phase vapour's excess
    // over water vapour at Ps, fading as its salt content does, (P/Ps)^n:
    // the vapour is water's where it holds next to no salt.
    // The excess is taken relative to water vapour's density, so that a
    // trace of salt changes the density by a like fraction at every pressure
    // (an absolute excess would outgrow water vapour's density as P -> 0).
    const double wP = quietWaterVapourDensity(T_, P_), wPs = quietWaterVapourDensity(T_, Ps);
    if (!std::isfinite(wP) || !std::isfinite(wPs) || !(Ps > 0.0)) return P_ / Ps * rv;
    return wP * (1.0 + (rv / wPs - 1.0) * std::pow(P_ / Ps, n));
}

double PalliserModel::haliteGasExponent(double T_) const { return T_ <= 350.0 ? 6.5 : 6.0 + (T_ - 400.0) / -100.0; }

void PalliserModel::calculateHaliteGasBubble(double T_, double P_, double& X_, double& rho_) {
    pointFailed = 0;
    X_ = rho_ = std::nan("");
    if (!argumentsHold("calculateHaliteGasBubble",
                       {{"temperature T", T_, kPeritectic, Ttriple, "°C"}, anyPressureArg(P_)}))
        return;
    const double n = haliteGasExponent(T_);
    double Ps, Xl, Xv, rl, rv;
    calculateSLVPoint(T_, Ps, Xl, Xv, rl, rv);
    // Vapour saturated with halite exists from 0 up to the three-phase
    // pressure; above it the fluid beside halite is a liquid (the power law
    // gave vapours of 1e26 wt % and denser than halite there).
    if (!(P_ <= Ps)) {
        pointFailed = 1;
        refuse("H2O-NaCl: no vapour saturated with halite at %g °C and %g bar: above the three-phase pressure, "
               "%g bar, halite lies beside a liquid\n",
               T_, P_, Ps);
        return;
    }
    X_ = std::pow(P_ / Ps, n) * Xv;
    rho_ = vapourDensity(T_, P_, X_, haliteSaturatedVapourDensity(T_, P_, Ps, rv, n));
}

void PalliserModel::calculateHaliteGasSat(double T_, double X_, double& P_, double& rho_) {
    pointFailed = 0;
    P_ = rho_ = std::nan("");
    // (A vapour without salt is saturated with halite at no pressure.)
    if (!argumentsHold("calculateHaliteGasSat", {{"temperature T", T_, kPeritectic, Ttriple, "°C"},
                                                 {"salinity X", X_, 0.0, 1.0, "(NaCl mass fraction)", true}}))
        return;
    const double n = haliteGasExponent(T_);
    double Ps, Xl, Xv, rl, rv;
    calculateSLVPoint(T_, Ps, Xl, Xv, rl, rv);
    P_ = std::pow(X_ / Xv, 1.0 / n) * Ps;
    if (P_ > Ps) P_ = Ps;
    rho_ = vapourDensity(T_, P_, X_, haliteSaturatedVapourDensity(T_, P_, Ps, rv, n));
}

void PalliserModel::preCalculateHaliteGasBubble(double T_) {
    pointFailed = 0;
    if (!argumentsHold("preCalculateHaliteGasBubble", {{"temperature T", T_, kPeritectic, Ttriple, "°C"}})) {
        hgTemperature = Pslv = Xvslv = rhovslv = std::nan("");
        return;
    }
    hgExponent = haliteGasExponent(T_);
    hgTemperature = T_;
    calculateSLVPoint(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
}

void PalliserModel::doCalculateHaliteGasBubble(double P_, double& X_, double& rho_) {
    // The vapour of the temperature of preCalculateHaliteGasBubble, from 0 to
    // its three-phase pressure.
    pointFailed = 0;
    X_ = rho_ = std::nan("");
    if (!std::isfinite(hgTemperature)) {
        pointFailed = 1;
        refuse("H2O-NaCl doCalculateHaliteGasBubble: no temperature was set by preCalculateHaliteGasBubble\n");
        return;
    }
    if (!argumentsHold("doCalculateHaliteGasBubble", {{"pressure P", P_, 0.0, Pslv, "bar", true}})) return;
    X_ = std::pow(P_ / Pslv, hgExponent) * Xvslv;
    rho_ = vapourDensity(hgTemperature, P_, X_,
                         haliteSaturatedVapourDensity(hgTemperature, P_, Pslv, rhovslv, hgExponent));
}

// ---------------------------------------------------------------- halite liquidus

// The halite liquidus is eq. 8 of Driesner & Heinrich (2007), x_L(T, P), from
// the peritectic of hydrohalite (0.1 °C; searches reach 0 °C) to the melting
// temperature of halite at P, up to 5000 bar.  At fixed P it rises
// monotonically with T, so a liquidus temperature is bisected.

double PalliserModel::liquidusTemperatureAt(double X_, double P_) {
    const double x = dh07::moleFraction(X_);
    const double Thm = dh07::haliteMeltingTemperature(P_);
    if (!(x >= dh07::liquidusMoleFraction(0.0, P_)) || !(x <= 1.0)) return std::nan("");
    double lo = 0.0, hi = Thm;
    for (int k = 0; k < 200 && hi - lo > 1e-12; ++k) {
        const double mid = 0.5 * (lo + hi);
        (dh07::liquidusMoleFraction(mid, P_) < x ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

void PalliserModel::calculateHaliteLiquidTemperature(double X_, double P_, double& T_, double& rho_, double) {
    pointFailed = 0;
    rho_ = std::nan("");
    if (!argumentsHold("calculateHaliteLiquidTemperature",
                       {salinityArg(X_), pressureArg(P_)})) {
        T_ = -1.0;
        rho_ = std::nan("");
        return;
    }
    const double T = liquidusTemperatureAt(X_, P_);
    if (!std::isfinite(T)) {
        pointFailed = 1;
        T_ = -1.0;
        refuse("H2O-NaCl: no halite liquidus temperature for %g wt %% NaCl at %g bar (the liquidus holds from "
               "%g wt %% at 0 °C to pure NaCl, at 0-%g bar)\n",
               100.0 * X_, P_, 100.0 * dh07::massFraction(dh07::liquidusMoleFraction(0.0, P_)), dh07::kTopPressure);
        return;
    }
    // Below the three-phase pressure at that temperature there is no
    // liquid: halite lies beside vapour.
    const double Ps = T <= Ttriple ? slvPressure(std::fmax(T, kPeritectic)) : 0.0;
    if (!(P_ >= Ps * (1.0 - kSlvPressureRounding))) {
        pointFailed = 1;
        T_ = -1.0;
        rho_ = std::nan("");
        refuse("H2O-NaCl: no halite liquidus of %g wt %% NaCl at %g bar: at its liquidus temperature, %g °C, the "
               "liquid exists from the three-phase pressure, %g bar (below it halite lies beside vapour)\n",
               100.0 * X_, P_, T, Ps);
        return;
    }
    rho_ = haliteLiquidusDensity(T, P_, X_, std::nan(""));
    if (std::isfinite(rho_)) {
        T_ = T;
        return;
    }
    pointFailed = 1;
    T_ = -1.0;
    refuse("H2O-NaCl: the halite liquidus of %g wt %% NaCl at %g bar (%g °C) has no liquid density in the diagram\n",
           100.0 * X_, P_, T);
}

// Parameters: X, rho; then the liquidus temperature of the last evaluation.
double PalliserModel::equationForHaliteLiquidFromRhoX(double P_, void* data) {
    double* p = static_cast<double*>(data);
    const double T_ = liquidusTemperatureAt(p[0], P_);
    const double d = std::isfinite(T_) ? haliteLiquidusDensity(T_, P_, p[0], std::nan("")) : std::nan("");
    if (!std::isfinite(d)) return noValue();
    p[2] = T_;
    return d - p[1];
}

void PalliserModel::calculateHaliteLiquidTemperatureFromRhoX(double X_, double rho_, double& T_, double& P_,
                                                             double) {
    // The liquid of composition X on its halite liquidus, from its
    // three-phase point to 5000 bar: the pressure at which that liquid has
    // the density rho (an inclusion homogenising by halite dissolution),
    // bracketed on a scan of the pressure and bisected.
    T_ = P_ = -1.0;
    pointFailed = 0;
    if (!argumentsHold("calculateHaliteLiquidTemperatureFromRhoX", {salinityArg(X_), densityArg(rho_)})) return;
    double Tm0 = std::nan(""), rl0 = 0.0, Ps = 0.0;
    {
        QuietScope q(*this);
        Tm0 = calculateTm0(X_, rl0, Ps);
    }
    pointFailed = 1;
    if (!std::isfinite(Tm0)) {
        refuse("H2O-NaCl: no halite dissolution for %g wt %% NaCl (the three-phase liquid holds %g to 100 wt %%)\n",
               100.0 * X_, 100.0 * slvLiquidComposition(kPeritectic));
        return;
    }
    double par[3] = {X_, rho_, 0.0};
    // (A pressure without a liquid density is a gap in the scan.)
    auto f = [&](double p) {
        const double v = equationForHaliteLiquidFromRhoX(p, par);
        const bool bad = error != 0;
        error = 0;
        return bad ? std::nan("") : v;
    };
    constexpr int kScan = 200;
    double a = Ps, fa = f(a);
    for (int k = 1; k <= kScan; ++k) {
        const double b = Ps + (dh07::kTopPressure - Ps) * k / kScan, fb = f(b);
        if (std::isfinite(fa) && std::isfinite(fb) && (fa == 0.0 || (fa < 0.0) != (fb < 0.0))) {
            double lo = a, hi = b, flo = fa;
            bool ok = true;
            for (int i = 0; i < 200 && hi - lo > 1e-10 * hi; ++i) {
                const double mid = 0.5 * (lo + hi), fm = f(mid);
                if (!std::isfinite(fm)) {
                    ok = false;
                    break;
                }
                if ((fm < 0.0) == (flo < 0.0)) {
                    lo = mid;
                    flo = fm;
                } else {
                    hi = mid;
                }
            }
            // (A bracket across a step of the liquid's density, where the
            // correlation hands over to the law, holds no root.)
            const double Pr = 0.5 * (lo + hi);
            if (ok && std::fabs(f(Pr)) <= 1e-6 * rho_) {
                P_ = Pr;
                T_ = par[2];
                pointFailed = 0;
                return;
            }
        }
        a = b;
        fa = fb;
    }
    // Where the liquidus liquid passes through a density maximum the density
    // of the maximum itself is a double root, without a change of sign: the
    // grid point nearest to it is refined by golden sections on |f|.
    {
        double best = std::numeric_limits<double>::infinity(), Pbest = Ps;
        for (int k = 0; k <= kScan; ++k) {
            const double p = Ps + (dh07::kTopPressure - Ps) * k / kScan, v = std::fabs(f(p));
            if (v < best) {
                best = v;
                Pbest = p;
            }
        }
        const double h = (dh07::kTopPressure - Ps) / kScan, g = 0.5 * (std::sqrt(5.0) - 1.0);
        double lo = std::fmax(Ps, Pbest - h), hi = std::fmin(dh07::kTopPressure, Pbest + h);
        double c = hi - g * (hi - lo), d = lo + g * (hi - lo), fc = std::fabs(f(c)), fd = std::fabs(f(d));
        for (int i = 0; i < 200 && hi - lo > 1e-10 * hi; ++i) {
            if (!(fc >= fd)) {
                hi = d;
                d = c;
                fd = fc;
                c = hi - g * (hi - lo);
                fc = std::fabs(f(c));
            } else {
                lo = c;
                c = d;
                fc = fd;
                d = lo + g * (hi - lo);
                fd = std::fabs(f(d));
            }
        }
        const double Pr = 0.5 * (lo + hi);
        if (std::fabs(f(Pr)) <= 1e-6 * rho_) {
            P_ = Pr;
            T_ = par[2];
            pointFailed = 0;
            return;
        }
    }
    error = 0;
    pointFailed = 1;
    refuse("H2O-NaCl: no halite liquidus of %g wt %% NaCl has the density %g kg/m3 between its three-phase point "
           "(%g bar) and %g bar\n",
           100.0 * X_, rho_, Ps, dh07::kTopPressure);
}

void PalliserModel::calculateHaliteLiquidPoint(double T_, double P_, double& X_, double, double& rho_) {
    pointFailed = 0;
    X_ = rho_ = std::nan("");
    if (!argumentsHold("calculateHaliteLiquidPoint", {finiteArg("temperature T", T_, "°C"), pressureArg(P_)})) return;
    const double Thm = dh07::haliteMeltingTemperature(P_);
    if (!(T_ >= 0.0) || !(T_ <= Thm)) {
        // No liquidus at this state: no composition that could be taken for one.
        pointFailed = 1;
        X_ = rho_ = std::nan("");
        refuse("H2O-NaCl: no halite liquidus at %g °C and %g bar (it holds from 0 °C to the melting point of halite, "
               "up to %g bar)\n",
               T_, P_, dh07::kTopPressure);
        return;
    }
    // The liquid exists from the three-phase pressure up (halite + vapour
    // below it: Driesner & Heinrich's eq. 8 holds from there to 5000 bar).
    const double Ps = T_ <= Ttriple ? slvPressure(std::fmax(T_, kPeritectic)) : 0.0;
    if (!(P_ >= Ps * (1.0 - kSlvPressureRounding))) {
        pointFailed = 1;
        refuse("H2O-NaCl: no halite liquidus at %g °C and %g bar: the liquid exists from the three-phase pressure, "
               "%g bar (below it halite lies beside vapour)\n",
               T_, P_, Ps);
        return;
    }
    X_ = std::fmin(dh07::massFraction(dh07::liquidusMoleFraction(T_, P_)), 1.0);
    rho_ = haliteLiquidusDensity(T_, P_, X_, std::nan(""));
    if (std::isfinite(rho_)) return;
    pointFailed = 1;
    X_ = std::nan("");
    refuse("H2O-NaCl: the halite liquidus at %g °C and %g bar has no liquid density in the diagram\n", T_, P_);
}

double PalliserModel::haliteLiquidusDensity(double T_, double P_, double X_, double lawDensity) {
    // The liquid of the one-phase region at the same state, so that the
    // halite-bearing and the halite-free liquid agree on the liquidus.
    const double d = oneLiquidDensity(T_, P_, X_);
    if (std::isfinite(d)) return d;
    // On halite's melting curve the liquidus liquid is molten NaCl itself,
    // which the correlation of the solution does not reach at low pressure:
    // the pure salt's liquid.
    if (X_ > 0.9999 && T_ >= Ttriple) {
        QuietScope q(*this);
        const int failed = pointFailed;
        const double melt = getNaClLiquidDensity(T_, P_);
        pointFailed = failed;
        if (std::isfinite(melt)) return melt;
    }
    return lawDensity;
}

// ---------------------------------------------------------------- ice liquidus

namespace {
// Eutectic of the ice liquidus: -21.2 °C for H2O-NaCl, -10.7 °C for H2O-KCl,
// -22.9 °C (the ternary eutectic) for a mixture of the two salts.
double iceEutectic(double c) { return c >= 1.0 ? -21.2 : (c <= 0.0 ? PalliserModel::kKClEutecticT : -22.9); }
// The law of NaCl-KCl solutions in wt % salt w and the NaCl share c.
double iceLiquidusLaw(double w, double c) {
    return -((0.4597 + 0.144 * c) * w +
             (0.0002227 + 0.0001999 * c + 4.633e-5 * c * c + 0.0001123 * c * c * c) * w * w * w);
}
// Ice melting temperature of H2O-NaCl after Bodnar (1993), GCA 57, 683-684:
// w = 1.78 θ - 0.0442 θ² + 0.000557 θ³ (θ the depression, °C), rising
// monotonically in θ; solved for θ by Newton steps.
double bodnarIceMelting(double w) {
    double theta = w / 1.78;
    for (int k = 0; k < 50; ++k) {
        const double f = 1.78 * theta - 0.0442 * theta * theta + 0.000557 * theta * theta * theta - w;
        const double d = 1.78 - 0.0884 * theta + 0.001671 * theta * theta;
        const double step = f / d;
        theta -= step;
        if (std::fabs(step) < 1e-14 * (1.0 + std::fabs(theta))) break;
    }
    return -theta;
}
// The law, its H2O-NaCl end replaced by Bodnar's equation: the difference
// between the two is added in proportion to the NaCl share c (the law's end
// was up to 0.11 wt % off Bodnar's at 1.5-2.5 °C of depression).
double iceLiquidus(double X, double c) {
    const double w = 100.0 * X;
    const double law = iceLiquidusLaw(w, c);
    if (!(c > 0.0)) return law;
    return law + std::fmin(c, 1.0) * (bodnarIceMelting(w) - iceLiquidusLaw(w, 1.0));
}
}  // namespace

void PalliserModel::calculateFreezingTemperature(double X_, double c, double& T_) {
    pointFailed = 0;
    T_ = std::nan("");
    if (!argumentsHold("calculateFreezingTemperature", {salinityArg(X_, "salt content X"), fractionArg("NaCl share c of the salt", c)}))
        return;
    T_ = iceLiquidus(X_, c);
    // Ice melts from the liquid only from 0 wt % up to the eutectic (0.1 °C
    // allowed for the fit's -21.26 °C at 23.2 wt %); beyond, hydrohalite or
    // the salt melts last.
    if (!(X_ >= 0.0) || !(T_ >= iceEutectic(c) - 0.1)) {
        pointFailed = 1;
        refuse("H2O-NaCl: no ice melting for %g wt %% salt (ice melts last only up to the eutectic, %g °C)\n",
               100.0 * X_, iceEutectic(c));
        T_ = std::nan("");
    }
}

// Parameters: T, c.
double PalliserModel::equationForFreezing(double X_, void* data) {
    const double* p = static_cast<const double*>(data);
    if (X_ < 0.0) return noValue();
    return iceLiquidus(X_, p[1]) - p[0];
}

void PalliserModel::calculateIceMeltingSalinity(double T_, double c, double& X_) {
    // Ice melts from the liquid only above the eutectic.
    pointFailed = 0;
    X_ = std::nan("");
    if (!argumentsHold("calculateIceMeltingSalinity",
                       {finiteArg("temperature T", T_, "°C"), fractionArg("NaCl share c of the salt", c)}))
        return;
    const double eutectic = iceEutectic(c);
    if (!(T_ >= eutectic) || !(T_ <= 0.0)) {
        X_ = std::nan("");
        pointFailed = 1;
        refuse("H2O-NaCl: ice melting at %g °C lies outside the ice liquidus (%g to 0 °C)\n", T_,
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
    if (pointFailed) {
        X_ = std::nan("");
        refuse("H2O-NaCl: the salinity of ice melting at %g °C was not found\n", T_);
    }
}

// ---------------------------------------------------------------- one-phase densities

double PalliserModel::calculateFluidDensityRegion2a() {
    // Supercritical fluid poorer than the critical composition: the
    // volumetric correlation of Driesner (2007), as on the salt-rich side.
    return liquidLikeDensity("2a");
}

// The one-phase vapours: Driesner's (2007) correlation on water's vapour
// side; where it does not hold, water vapour blended in X towards the
// boundary's vapour (this model's own law).
double PalliserModel::calculateFluidDensityRegion4() {
    const double rv = quietWaterVapourDensity(T, P);
    return vapourDensity(T, P, X, rv + (X / Xvlg) * (rhovlg - rv));
}

double PalliserModel::calculateFluidDensityRegion8() {
    const double rv = quietWaterVapourDensity(T, P);
    return vapourDensity(T, P, X, rv + (X / Xhg) * (rhohg - rv));
}

double PalliserModel::calculateFluidDensityRegion7() {
    // Below NaCl's boiling pressure: between water vapour and NaCl vapour at
    // the same (T, P) where the correlation does not hold.
    const double rv = quietWaterVapourDensity(T, P);
    return vapourDensity(T, P, X, rv + X * (getNaClVapourDensity(T, P) - rv));
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
