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
    const double V = std::isfinite(psat) && P > psat ? Vliquid : Vgas;
    const double L = std::log((V + b) / V);
    const double lnPhi = std::log(V / (V - b)) + bH / (V - b) - 2.0 * aHC / (R * T * sT * b) * L +
                         a * bH / (R * T * sT * b * b) * (L - b / (V + b)) - std::log(P * V / (R * T));
    const double t = T - 273.15;
    const double K0 = std::pow(10.0, -2.209 + 3.097e-2 * t - 1.098e-4 * t * t + 2.048e-7 * t * t * t);
    return K0 / (std::exp(lnPhi) * P) * std::exp((P - 1.0) * 18.1 / (R * T));
}

}  // namespace solubility
