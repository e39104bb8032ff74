// The volume search of a phase kind finds the root on its own branch of the
// isotherm, or fails: never the other phase where both exist, never a root
// on a loop of the equation inside the two-phase region, and never a state
// that depends on a saturation the model computed before.
#include <gtest/gtest.h>

#include <cmath>

#include "water/Hill.h"
#include "water/WagnerPruss.h"

namespace {

// The saturated vapour and liquid densities (kg/m3) of a model at T.
template <class Model>
bool saturatedDensities(double T, double& rhol, double& rhov) {
    Model m(2);
    if (m.calculateTheSaturationPressure(T, false) != 0) return false;
    rhol = m.bulk_molar_weight / m.Vl_sat;
    rhov = m.bulk_molar_weight / m.Vv_sat;
    return true;
}

}  // namespace

TEST(WaterBranches, AVapourSearchJustBelowTheSaturationPressureFindsTheSteam) {
    // 640.25 K, 1.8 % below the saturation pressure (203.26 bar): steam of
    // 157.008 kg/m3, lighter than the saturated vapour, and a superheated
    // liquid of 448.69 kg/m3, which the vapour search returned.
    double rhol = 0.0, rhov = 0.0;
    ASSERT_TRUE(saturatedDensities<WagnerPruss>(640.25, rhol, rhov));
    WagnerPruss w(1);
    w.calculateFromTP(640.25, 199.612, 0);
    ASSERT_EQ(w.errorflag, 0);
    const double rho = w.bulk_molar_weight / w.V;
    EXPECT_LT(rho, rhov);
    EXPECT_NEAR(rho, 157.008, 0.01);
    EXPECT_NEAR(w.P * 1e-5, 199.612, 1e-6);

    WagnerPruss l(2);
    l.calculateFromTP(640.25, 199.612, 0);
    ASSERT_EQ(l.errorflag, 0);
    EXPECT_GT(l.bulk_molar_weight / l.V, rhol * 0.9);
    EXPECT_LT(l.bulk_molar_weight / l.V, rhol);
}

TEST(WaterBranches, NoRootOnALoopOfTheIsotherm) {
    // 545.644 K and 100 bar, twice the saturation pressure (about 50 bar):
    // only the compressed liquid exists (769.53 kg/m3, denser than the
    // saturated liquid), and the vapour search, which found 344.0 kg/m3 on a
    // loop of the equation inside the two-phase region, has no root.
    double rhol = 0.0, rhov = 0.0;
    ASSERT_TRUE(saturatedDensities<WagnerPruss>(545.644, rhol, rhov));
    WagnerPruss w(1);
    w.calculateFromTP(545.644, 100.0, 0);
    EXPECT_NE(w.errorflag, 0) << "V " << w.V;
    WagnerPruss l(2);
    l.calculateFromTP(545.644, 100.0, 0);
    ASSERT_EQ(l.errorflag, 0);
    EXPECT_GT(l.bulk_molar_weight / l.V, rhol);
    EXPECT_NEAR(l.bulk_molar_weight / l.V, 769.53, 0.01);
}

TEST(WaterBranches, ASaturationBeforeLeavesNoTraceInTheNextState) {
    // Hill's equation at 650 K and 10 kbar: a new model finds the dense fluid;
    // after a saturation at 646.5 K the search failed with V = -3.9e-5.
    Hill fresh(1);
    fresh.calculateFromTP(650.0, 1e4, 0);
    ASSERT_EQ(fresh.errorflag, 0);
    EXPECT_NEAR(fresh.V, 1.67351732109e-5, 1e-14);
    Hill used(1);
    ASSERT_EQ(used.calculateTheSaturationPressure(646.5), 0);
    used.calculateFromTP(650.0, 1e4, 0);
    ASSERT_EQ(used.errorflag, 0);
    EXPECT_NEAR(used.V / fresh.V, 1.0, 1e-12);
}
