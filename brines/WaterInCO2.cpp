#include "brines/WaterInCO2.h"

#include <algorithm>
#include <cmath>

#include "fluid/SaturationAncillaries.h"
#include "numerics/LinearAlgebra.h"

namespace solubility {

double waterInCO2(double T, double P_bar) {
    if (!(T >= 273.15 && T <= 373.15) || !(P_bar >= 1.0 && P_bar <= 600.0)) return std::nan("");
    constexpr double R = 83.1447;  // bar cm3/(mol K)
    const double a = 7.54e7 - 4.13e4 * T, b = 27.80, aHC = 7.89e7, bH = 18.18;
    const double sT = std::sqrt(T), P = P_bar;
    // V^3 - (RT/P) V^2 - (RT b/P - a/(P sqrt T) + b^2) V - a b/(P sqrt T) = 0
    const double c[4] = {-a * b / (P * sT), -(R * T * b / P - a / (P * sT) + b * b), -R * T / P, 1.0};
    int n = 0;
    double roots[3] = {0.0, 0.0, 0.0};
    degree3(c, &n, roots);
    double Vgas = 0.0, Vliquid = HUGE_VAL;
    for (int k = 0; k < n; ++k)
        if (roots[k] > b) Vgas = std::max(Vgas, roots[k]), Vliquid = std::min(Vliquid, roots[k]);
    if (!(Vgas > b)) return std::nan("");
    const double psat = ancillaryVapourPressure("CO2", T) * 1e-5;
    const bool liquidCO2 = std::isfinite(psat) && P > psat;
    const double V = liquidCO2 ? Vliquid : Vgas;
    const double L = std::log((V + b) / V), lnZ = std::log(P * V / (R * T));
    // ln phi of component k at infinite dilution in CO2 (their eq. A-2 with
    // y(CO2) = 1): b_k and a_k,CO2 its own, a and b CO2's.
    auto lnPhi = [&](double bk, double akC) {
        return std::log(V / (V - b)) + bk / (V - b) - 2.0 * akC / (R * T * sT * b) * L +
               a * bk / (R * T * sT * b * b) * (L - b / (V + b)) - lnZ;
    };
    const double t = T - 273.15;
    const double K0H = std::pow(10.0, -2.209 + 3.097e-2 * t - 1.098e-4 * t * t + 2.048e-7 * t * t * t);
    const double K0C = std::pow(10.0, liquidCO2 ? 1.169 + 1.368e-2 * t - 5.380e-5 * t * t
                                                : 1.189 + 1.304e-2 * t - 5.446e-5 * t * t);
    const double A = K0H / (std::exp(lnPhi(bH, aHC)) * P) * std::exp((P - 1.0) * 18.1 / (R * T));
    const double B = std::exp(lnPhi(b, a)) * P / (55.508 * K0C) * std::exp(-(P - 1.0) * 32.6 / (R * T));
    // y(H2O) = A x(H2O) and x(CO2) = B y(CO2), with x(H2O) = 1 - x(CO2) and
    // y(CO2) = 1 - y(H2O) (their eq. 11).
    return (1.0 - B) / (1.0 / A - B);
}

}  // namespace solubility
