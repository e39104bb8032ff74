// A program of one's own on the VARNOK library: water from its reference
// equation of state (IAPWS-95, Wagner & Pruss 2002), its state at 300 °C and
// 100 bar and its vapour pressure at 100 °C.
#include <cstdio>

#include "water/WagnerPruss.h"

int main() {
    WagnerPruss water(2);                     // the volume search starts on the liquid side
    water.calculateFromTP(573.15, 100.0, 0);  // T in K, P in bar; 0: print nothing
    if (water.errorflag != 0) {
        std::fprintf(stderr, "water_state: no state of water found at 573.15 K and 100 bar\n");
        return 1;
    }
    const double M = water.compositionMolarMass();  // kg/mol
    std::printf("Water at %.2f K and %.1f bar: density %.3f kg/m3, cp %.4f kJ/(kg K)\n", water.T, water.P * 1e-5,
                M / water.V, water.Cp / M * 1e-3);

    if (water.calculateTheSaturationPressure(373.15) != 0) {
        std::fprintf(stderr, "water_state: no saturation state of water found at 373.15 K\n");
        return 1;
    }
    std::printf("Vapour pressure at 373.15 K: %.5f bar\n", water.P * 1e-5);
    return 0;
}
