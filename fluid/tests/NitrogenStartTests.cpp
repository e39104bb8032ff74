// Start volumes of the nitrogen saturation solvers against the published
// saturation densities of nitrogen (Span et al., J. Phys. Chem. Ref. Data 29
// (2000) 1361, Table of saturation properties).
#include <gtest/gtest.h>

#include "fluid/tests/VdWFluid.h"

TEST(NitrogenStartValues, PublishedSaturationDensities) {
    VdWFluid f({0.137}, {3.87e-5}, false);
    constexpr double M = 0.0280134;
    // Normal boiling point.
    f.initializeSaturationVolumesFromT("N2", 77.355);
    EXPECT_NEAR(M / f.Vl0, 806.08, 1e-4 * 806.08);
    EXPECT_NEAR(M / f.Vv0, 4.6139, 1e-3 * 4.6139);
    // From the triple point to Tc the liquid thins and the vapour thickens.
    double rl = 1e9, rv = 0.0;
    for (double T = 63.151; T < 126.0; T += 0.5) {
        f.initializeSaturationVolumesFromT("N2", T);
        EXPECT_LT(M / f.Vl0, rl) << T;
        EXPECT_GT(M / f.Vv0, rv) << T;
        EXPECT_LT(f.Vl0, f.Vv0) << T;
        rl = M / f.Vl0;
        rv = M / f.Vv0;
    }
    // Both branches meet at the critical density 313.3 kg/m3.
    f.initializeSaturationVolumesFromT("N2", 126.19);
    EXPECT_NEAR(M / f.Vl0, 313.3, 20.0);
    EXPECT_NEAR(M / f.Vv0, 313.3, 20.0);
    // At and above Tc, and for no temperature at all, the estimates stay.
    f.Vl0 = 1.0;
    f.Vv0 = 2.0;
    for (double T : {126.192, 150.0, 0.0, -5.0}) {
        f.initializeSaturationVolumesFromT("N2", T);
        EXPECT_EQ(f.Vl0, 1.0) << T;
        EXPECT_EQ(f.Vv0, 2.0) << T;
    }
}
