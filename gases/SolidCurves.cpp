// Melting and sublimation curves of CO2, CH4 and N2 from their reference
// equations' publications (see SolidCurves.h).
#include "gases/SolidCurves.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace gases {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct TriplePoint {
    double T, p;  // K, Pa
};
constexpr TriplePoint kCO2{216.592, 0.51795e6}, kCH4{90.6941, 11.696e3}, kN2{63.151, 12.523e3};

}  // namespace

double co2MeltingPressure(double T) {
    if (!(T >= kCO2.T)) return kNaN;
    const double d = T / kCO2.T - 1.0;
    return kCO2.p * (1.0 + 1955.5390 * d + 2055.4593 * d * d);
}

double co2SublimationPressure(double T) {
    if (!(T > 0.0 && T <= kCO2.T)) return kNaN;
    const double d = 1.0 - T / kCO2.T;
    return kCO2.p *
           std::exp(kCO2.T / T * (-14.740846 * d + 2.4327015 * std::pow(d, 1.9) - 5.3061778 * std::pow(d, 2.9)));
}

double ch4MeltingPressure(double T) {
    if (!(T >= kCH4.T)) return kNaN;
    const double r = T / kCH4.T;
    return kCH4.p * (1.0 + 0.247568e5 * (std::pow(r, 1.85) - 1.0) - 0.736602e4 * (std::pow(r, 2.1) - 1.0));
}

double n2MeltingPressure(double T) {
    if (!(T >= kN2.T)) return kNaN;
    return kN2.p * (1.0 + 12798.61 * (std::pow(T / kN2.T, 1.78963) - 1.0));
}

const char* gasSolidAt(const char* component, double T, double P) {
    if (!component || !(T > 0.0) || !(P > 0.0)) return nullptr;
    if (std::strcmp(component, "CO2") == 0) {
        const bool solid = T < kCO2.T ? P > co2SublimationPressure(T) : P > co2MeltingPressure(T);
        return solid ? "solid CO2" : nullptr;
    }
    if (std::strcmp(component, "CH4") == 0 || std::strcmp(component, "C1") == 0) {
        const bool solid = T < kCH4.T ? P > kCH4.p : P > ch4MeltingPressure(T);
        return solid ? "solid CH4" : nullptr;
    }
    if (std::strcmp(component, "N2") == 0) {
        const bool solid = T < kN2.T ? P > kN2.p : P > n2MeltingPressure(T);
        return solid ? "solid N2" : nullptr;
    }
    return nullptr;
}

}  // namespace gases
