// Molar volume from a specific volume in imperial units: 1 ft3/lb is
// 0.3048^3 m3 per 0.45359237 kg (the international foot and pound), so that
// V = M v 0.3048^3/0.45359237 for a mixture of mean molar mass M.
#include <gtest/gtest.h>

#include <cmath>

#include "fluid/Phase.h"

TEST(SpecificVolume, CubicFeetPerPoundAgainstTheDefinitionsOfFootAndPound) {
    constexpr double kFt3PerLbInM3PerKg = 0.3048 * 0.3048 * 0.3048 / 0.45359237;
    Phase p;
    p.number_of_components(2);
    p.molar_mass = {0.018015268, 0.0440098};
    p.composition(0.7, 0.3);
    const double M = 0.7 * 0.018015268 + 0.3 * 0.0440098;
    // Saturated steam at 1 atm (26.80 ft3/lb), liquid water (0.01602 ft3/lb)
    // and a dense gas.
    for (double v : {26.80, 0.01602, 0.5, 1e-3}) {
        p.ft3lb(v);
        EXPECT_NEAR(p.V / (M * v * kFt3PerLbInM3PerKg), 1.0, 1e-6) << v;
        // The same volume given in cm3/g (1 ft3/lb = 62.428 cm3/g).
        const double V = p.V;
        p.cm3g(v * kFt3PerLbInM3PerKg * 1000.0);
        EXPECT_NEAR(p.V / V, 1.0, 1e-6) << v;
    }
    // Pure water: 0.01602 ft3/lb is 1000.1 kg/m3, i.e. 18.01 cm3/mol.
    Phase w;
    w.number_of_components(1);
    w.molar_mass = {0.018015268};
    w.ft3lb(0.01602);
    EXPECT_NEAR(w.V * 1e6, 18.0153 * 0.01602 * 62.42796, 1e-4);
    EXPECT_NEAR(0.018015268 / w.V, 999.9, 0.1);
}
