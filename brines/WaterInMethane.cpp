#include "brines/WaterInMethane.h"

#include <cmath>

#include "fluid/SaturationAncillaries.h"

namespace solubility {

namespace {

// Moles of gas in a million standard cubic feet, an ideal gas at 60 F
// (288.7056 K) and 14.696 psia (101325 Pa): about 1.1953e6 mol (2635 lb-mol);
// moles of water in a pound (453.59237 g at 18.015268 g/mol).
constexpr double kCubicFoot = 0.3048 * 0.3048 * 0.3048;  // m3
constexpr double kStandardT = (60.0 + 459.67) / 1.8;      // K
constexpr double kMolesPerMMscf = 101325.0 * 1e6 * kCubicFoot / (8.314462618 * kStandardT);
constexpr double kWaterMolesPerPound = 453.59237 / 18.015268;

}  // namespace

double waterInMethane(double T, double P_bar) {
    if (!(T >= 288.15 && T <= 511.15) || !(P_bar >= 1.0 && P_bar <= 690.0)) return std::nan("");
    const double Pv = ancillaryVapourPressure("H2O", T) * 1e-5;
    if (!(Pv < P_bar)) return std::nan("");
    const double tF = 1.8 * T - 459.67;
    const double B = std::pow(10.0, -3083.87 / (tF + 459.6) + 6.69449);
    const double W = 47484.0 * Pv / P_bar + B;  // lb per MMscf (Pv/P alike in bar and psia)
    // (W per MMscf of the gas that holds it: its first term is then y = Pv/P
    // to within the 0.02 % of the constant's rounding.)
    return W * kWaterMolesPerPound / kMolesPerMMscf;
}

}  // namespace solubility
