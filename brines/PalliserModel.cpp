// H2O-NaCl correlations: pure water on the reference model, NaCl melting,
// sublimation and boiling, the three-phase halite-liquid-vapour curve, the
// critical curve, the halite-saturated vapour, the halite liquidus and the
// ice liquidus of NaCl-KCl solutions.
#include "brines/PalliserModel.h"

#include <cmath>

#include "brines/MaoDuanSalinityModel.h"
#include "brines/SpiveyDensityModel.h"
#include "families/anderko/Anderko.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"
#include "water/WagnerPruss.h"

namespace {
// Liquidus temperature rises 0.024726 °C and the saturated liquid density
// 0.03 kg/m3 per bar above the three-phase point of the same composition.
constexpr double kLiquidusSlopeT = 0.024726;
constexpr double kLiquidusSlopeRho = 0.03;
constexpr double kHaliteDensity = 2163.3340736627797;

}  // namespace

PalliserModel::PalliserModel()
    : water(std::make_unique<WagnerPruss>(2)),
      anderko(std::make_unique<Anderko>(2)),
      spivey(std::make_unique<SpiveyDensityModel>()),
      maoDuan(std::make_unique<MaoDuanSalinityModel>(1)) {
    anderko->setSystemCode(10);
    // The phase diagram's liquid law blends the brine models beyond their fits.
    spivey->beyondFit = maoDuan->beyondFit = true;
    usePatches = 1;
    gasExp1 = 1.5;
    gasExp2 = 0.5;
    waterAt300And1000 = getWaterLiquidDensity(300.0, 1000.0);
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
    rhol = rhov = 322.0;
    // Continued up to 374.15 °C, where the surface's critical curve starts.
    P_ = usePatches ? 220.064 + (T_ - 373.946) * 1.1359999999999957 / 1.103999999999985 : 221.0;
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

double PalliserModel::calculateNaClSatPressure(double T_) { return 0.00687956 * std::exp(0.0034703 * T_) - 0.110476; }

double PalliserModel::calculateNaClSatTemperature(double P_) {
    if (P_ < -0.110476) return 0.0;
    return std::log((P_ + 0.110476) / 0.00687956) / 0.0034703;
}

void PalliserModel::calculateNaClSaturationPoint(double T_, double& P_, double& rhol, double& rhov) {
    P_ = calculateNaClSatPressure(T_);
    const double T2 = T_ * T_, T3 = T2 * T_, T4 = T3 * T_;
    rhol = 1744.12 + 0.114967 * T_ - 0.000621 * T2 + 2.71397e-7 * T3 - 4.29832e-11 * T4;
    rhov = 22.9444 - 0.102287 * T_ + 0.000154158 * T2 - 9.19469e-8 * T3 + 1.90449e-11 * T4;
}

// ---------------------------------------------------------------- three-phase curve

void PalliserModel::calculateSLVPoint(double T_, double& P_, double& Xl, double& Xv, double& rhol, double& rhov) {
    const double t = T_ / 800.0;
    const double t2 = t * t, t4 = t2 * t2, t6 = t4 * t2, t8 = t4 * t4, t10 = t8 * t2;
    P_ = 13.2729 * t2 + 3189.09 * t4 - 724.296 * t6 - 8156.4 * t8 + 5678.34 * t10;
    Xl = 0.2635 + 7.48368e-6 * T_ + 1.44611e-6 * T_ * T_ - 3.8086e-10 * T_ * T_ * T_;
    Xv = std::pow(10.0, -(147.519 / (T_ - 825.0) + 3.4434 + 3.9318e-5 * (T_ - 550.0) * (T_ - 550.0)));
    rhol = 1220.04 + t * (-609.462 + t * (3173.9 + t * (-17554.1 + t * (40800.0 + t * (-37348.8 + t * 11878.4)))));
    rhov = -78.118 + t * (1325.9 + t * (-7978.1 + t * (21146.0 + t * (-22561.0 + t * 8146.6))));
    if (rhov < 1.0) rhov = 0.018 * P_ * 1e5 / ((T_ + 273.15) * 8.31);
}

void PalliserModel::calculateCriticalPoint(double T_, double& P_, double& X_, double& rho_) {
    if (!(T_ >= 374.15)) return;
    if (T_ <= 3127.0) {
        P_ = T_ <= 850.0 ? 256.326 - 3.28926 * T_ + 0.0105024 * T_ * T_ - 5.2439e-6 * T_ * T_ * T_
                         : -3282.54 + 9.20086 * T_ - 0.00419191 * T_ * T_ + 5.18556e-7 * T_ * T_ * T_;
        X_ = -0.428737 + 0.00138295 * T_ - 6.79448e-7 * T_ * T_ + 1.22578e-10 * T_ * T_ * T_;
    }
    rho_ = -15830.2 / (T_ - 320.0) - 8.80332e-5 * T_ * T_ + 1091.19 * std::pow(T_, 0.1) - 1353.69;
}

// ---------------------------------------------------------------- halite-saturated vapour

double PalliserModel::haliteGasExponent(double T_) const { return T_ <= 350.0 ? 6.5 : 6.0 + (T_ - 400.0) / -100.0; }

void PalliserModel::calculateHaliteGasBubble(double T_, double P_, double& X_, double& rho_) {
    const double n = haliteGasExponent(T_);
    double Ps, Xl, Xv, rl, rv;
    calculateSLVPoint(T_, Ps, Xl, Xv, rl, rv);
    X_ = std::pow(P_ / Ps, n) * Xv;
    rho_ = P_ / Ps * rv;
}

void PalliserModel::calculateHaliteGasSat(double T_, double X_, double& P_, double& rho_) {
    const double n = haliteGasExponent(T_);
    double Ps, Xl, Xv, rl, rv;
    calculateSLVPoint(T_, Ps, Xl, Xv, rl, rv);
    P_ = std::pow(X_ / Xv, 1.0 / n) * Ps;
    if (P_ > Ps) P_ = Ps;
    rho_ = P_ / Ps * rv;
}

void PalliserModel::preCalculateHaliteGasBubble(double T_) {
    hgExponent = haliteGasExponent(T_);
    calculateSLVPoint(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
}

void PalliserModel::doCalculateHaliteGasBubble(double P_, double& X_, double& rho_) {
    X_ = std::pow(P_ / Pslv, hgExponent) * Xvslv;
    rho_ = P_ / Pslv * rhovslv;
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
    rho_ = rl + kLiquidusSlopeRho * (P_ - Ps);
}

void PalliserModel::calculateHaliteLiquidTemperatureFromRhoX(double X_, double rho_, double& T_, double& P_,
                                                             double Tstart) {
    double Ts, Ps, Xv, rl, rv;
    calculateSLVPointFromX(X_, Ts, Ps, Xv, rl, rv, Tstart);
    if (pointFailed) {
        T_ = P_ = -1.0;
        return;
    }
    P_ = (rho_ - rl) / kLiquidusSlopeRho + Ps;
    T_ = (P_ - Ps) * kLiquidusSlopeT + Ts;
}

// Parameters: T, P, then the SLV temperature of the last trial (the start of
// the next SLV search).
double PalliserModel::equationForHaliteLiquidPoint(double X_, void* data) {
    double* p = static_cast<double*>(data);
    if (!(X_ >= 0.0 && X_ <= 1.0)) {
        error = 1;
        return 0.0;
    }
    double Ts, Ps, Xv, rl, rv;
    calculateSLVPointFromX(X_, Ts, Ps, Xv, rl, rv, p[2]);
    if (pointFailed) {
        error = 1;
        return 0.0;
    }
    p[2] = Ts;
    return Ts + kLiquidusSlopeT * (p[1] - Ps) - p[0];
}

void PalliserModel::calculateHaliteLiquidPoint(double T_, double P_, double& X_, double Xstart, double& rho_) {
    double par[3] = {T_, P_, T_};
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&PalliserModel::equationForHaliteLiquidPoint);
    s.data = par;
    s.x0 = Xstart;
    s.x1 = 0.999 * Xstart;
    s.itermax = 15;
    s.tol = 1e-9;
    s.lambda = 1.0;
    s.lambdaMin = 0.01;
    X_ = s.solve();
    pointFailed = s.status != 0;
    if (pointFailed) {
        // No liquidus at this state: no composition that could be taken for one.
        X_ = rho_ = std::nan("");
        return;
    }
    double Ps, Xl, Xv, rl, rv;
    calculateSLVPoint(par[2], Ps, Xl, Xv, rl, rv);
    rho_ = rl + kLiquidusSlopeRho * (P_ - Ps);
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
    const double r1 = getWaterLiquidDensity(T, 1000.0);
    const double r1000 = r1 + (1695.0 - r1) * Xcrit;
    const double rv = getWaterVapourDensity(T, P);
    if (P < 1000.0) return rv + (X / Xcrit) * (rhocrit + (P - Pcrit) / (1000.0 - Pcrit) * (r1000 - rhocrit) - rv);
    return rv + (X / Xcrit) * (r1000 - rv);
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
    const double rv = getWaterVapourDensity(T, P);
    return rv + X * (rhovNaCl - rv);
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
