// Closed-form water correlations against published values, and the
// independent IAPWS-95 oracle against the formulation's verification tables.
#include "water/WaterCorrelations.h"
#include "water/tests/Iapws95Direct.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kRmass = iapws95test::kReleaseGasConstant;  // J/(kg K), the formulation's

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

}  // namespace

// IAPWS-95 Release, Table 6: reduced Helmholtz energy and derivatives at
// 500 K and 838.025 kg/m3.
TEST(Iapws95Oracle, ReproducesTheDerivativeCheckTable)
{
    const double delta = 838.025 / 322.0, tau = 647.096 / 500.0;
    const auto o = iapws95test::ideal(delta, tau);
    const auto r = iapws95test::residual(delta, tau);
    EXPECT_NEAR(o.f, 2.04797733, 1e-8);
    EXPECT_NEAR(o.d, 0.384236747, 1e-9);
    EXPECT_NEAR(o.dd, -0.147637878, 1e-9);
    EXPECT_NEAR(o.t, 9.04611106, 1e-8);
    EXPECT_NEAR(o.tt, -1.93249185, 1e-8);
    EXPECT_NEAR(r.f, -3.42693206, 1e-8);
    EXPECT_NEAR(r.d, -0.364366650, 1e-9);
    EXPECT_NEAR(r.dd, 0.856063701, 1e-9);
    EXPECT_NEAR(r.t, -5.81403435, 1e-8);
    EXPECT_NEAR(r.tt, -2.23440737, 1e-8);
    EXPECT_NEAR(r.dt, -1.12176915, 1e-8);
}

// IAPWS-95 Release, Table 7: single-phase states (T K, rho kg/m3, p MPa,
// cv kJ/(kg K), w m/s, s kJ/(kg K)).
TEST(Iapws95Oracle, ReproducesTheSinglePhaseTable)
{
    for (const auto& row : iapws95test::kTable7) {
        SCOPED_TRACE(testing::Message() << row.T << " K, " << row.rho << " kg/m3");
        const auto p = iapws95test::properties(row.T, row.rho);
        EXPECT_LT(rel(p.pOverRhoRT * row.rho * kRmass * row.T * 1e-6, row.p), 1e-8);
        EXPECT_LT(rel(p.cvOverR * kRmass * 1e-3, row.cv), 1e-8);
        EXPECT_LT(rel(std::sqrt(p.w2OverRT * kRmass * row.T), row.w), 1e-8);
        EXPECT_LT(rel(p.sOverR * kRmass * 1e-3, row.s), 2e-8);
    }
}

TEST(WaterAuxiliaryEquations, MatchPublishedValues)
{
    EXPECT_NEAR(waterAuxiliarySaturationPressure(373.15), 101418.0, 1.0);
    EXPECT_NEAR(waterAuxiliarySaturatedLiquidDensity(373.15), 958.35, 0.005);
    EXPECT_NEAR(waterAuxiliarySaturatedVapourDensity(373.15), 0.5981, 0.00005);
    EXPECT_NEAR(waterAuxiliarySaturatedLiquidDensity(273.16), 999.79, 0.005);
    // Triple point pressure 611.657 Pa; the auxiliary equations meet the critical point.
    EXPECT_NEAR(waterAuxiliarySaturationPressure(273.16), 611.657, 0.01);
    EXPECT_DOUBLE_EQ(waterAuxiliarySaturationPressure(647.096), 2.2064e7);
    EXPECT_DOUBLE_EQ(waterAuxiliarySaturatedLiquidDensity(647.096), 322.0);
    EXPECT_DOUBLE_EQ(waterAuxiliarySaturatedVapourDensity(647.096), 322.0);
    // Within their stated accuracy of the reference equation's saturation states
    // (IAPWS-95 Release, Table 8).
    struct Row { double T, p, rhoL, rhoV; };
    const Row rows[] = {{275, 698.451167, 999.887406, 0.00550664919},
                        {450, 932203.564, 890.341250, 4.81200360},
                        {625, 16908269.3, 567.090385, 118.290280}};
    for (const Row& row : rows) {
        EXPECT_LT(rel(waterAuxiliarySaturationPressure(row.T), row.p), 5e-5) << row.T;
        EXPECT_LT(rel(waterAuxiliarySaturatedLiquidDensity(row.T), row.rhoL), 5e-4) << row.T;
        EXPECT_LT(rel(waterAuxiliarySaturatedVapourDensity(row.T), row.rhoV), 5e-4) << row.T;
    }
}

TEST(WaterSaturationFits, PressureFitAndStartVolumes)
{
    EXPECT_NEAR(waterSaturationPressureFit(373.15), 101374.0, 1.0);
    // Each branch of the fit stays within 1 % of the auxiliary equation.
    for (double T : {300.0, 450.0, 499.9, 500.0, 550.0, 599.9, 600.0, 640.0})
        EXPECT_LT(rel(waterSaturationPressureFit(T), waterAuxiliarySaturationPressure(T)), 0.01) << T;

    double Vl = -1, Vv = -1;
    ASSERT_TRUE(waterSaturationStartVolumesFromT(300.0, Vl, Vv));
    EXPECT_NEAR(Vl * 1e6, 18.04, 0.005);
    EXPECT_NEAR(Vv * 1e6, 701829.0, 1.0);
    ASSERT_TRUE(waterSaturationStartVolumesFromT(373.15, Vl, Vv));
    EXPECT_NEAR(Vl * 1e6, 18.81, 0.005);
    EXPECT_NEAR(Vv * 1e6, 30170.0, 1.0);
    ASSERT_TRUE(waterSaturationStartVolumesFromT(600.0, Vl, Vv));
    EXPECT_NEAR(Vl * 1e6, 27.52, 0.005);
    EXPECT_NEAR(Vv * 1e6, 245.9, 0.05);
    ASSERT_TRUE(waterSaturationStartVolumesFromT(646.75, Vl, Vv));
    EXPECT_NEAR(Vl * 1e6, 49.94, 0.01);
    EXPECT_NEAR(Vv * 1e6, 73.78, 0.01);
    ASSERT_TRUE(waterSaturationStartVolumesFromT(646.76, Vl, Vv));
    EXPECT_EQ(Vl, 4.5e-05);
    EXPECT_EQ(Vv, 7e-05);

    Vl = Vv = -1;
    EXPECT_FALSE(waterSaturationStartVolumesFromT(647.096, Vl, Vv));
    EXPECT_FALSE(waterSaturationStartVolumesFromT(std::nan(""), Vl, Vv));
    EXPECT_EQ(Vl, -1);
    EXPECT_EQ(Vv, -1);
}

TEST(WaterSaturationFits, StartValuesFromPressure)
{
    double T, Vl, Vv;
    waterSaturationStartFromP(1.01325, T, Vl, Vv);
    EXPECT_NEAR(T, 373.15, 0.1);
    EXPECT_NEAR(Vl * 1e6, 18.59, 0.01);

    // Up to 8 bar the vapour start is the ideal-gas volume at the start
    // temperature, just above it the reciprocal fit.
    waterSaturationStartFromP(8.0, T, Vl, Vv);
    EXPECT_NEAR(Vv, 8.31434 * T / 8e5, 1e-12);
    // Close enough to the saturated vapour for the solvers, down to the triple point.
    for (double P : {0.007, 0.035, 0.1, 1.01325, 8.0, 20.0, 100.0}) {
        waterSaturationStartFromP(P, T, Vl, Vv);
        const double Vsat = 0.018015268 / waterAuxiliarySaturatedVapourDensity(T);
        EXPECT_LT(rel(Vv, Vsat), 0.1) << P;
    }
    waterSaturationStartFromP(8.0001, T, Vl, Vv);
    EXPECT_NEAR(Vv * 1e6, 4049.5, 0.1);

    waterSaturationStartFromP(50.0, T, Vl, Vv);
    EXPECT_NEAR(T, 537.09, 0.2);  // saturation temperature at 5 MPa: 537.09 K
    EXPECT_NEAR(Vl * 1e6, 23.20, 0.01);
    EXPECT_NEAR(Vv * 1e6, 726.3, 0.1);

    // The window around 0.022 bar and the near-critical pair.
    waterSaturationStartFromP(0.022, T, Vl, Vv);
    EXPECT_EQ(T, 291.0);
    EXPECT_EQ(Vl, 1.804e-05);
    EXPECT_EQ(Vv, 1.8);
    for (double P : {0.02, 0.024}) {
        waterSaturationStartFromP(P, T, Vl, Vv);
        EXPECT_NE(T, 291.0) << P;
        EXPECT_NE(Vv, 1.8) << P;
    }
    waterSaturationStartFromP(220.57, T, Vl, Vv);
    EXPECT_EQ(Vl, 4.5e-05);
    EXPECT_EQ(Vv, 7e-05);
    EXPECT_NEAR(T, 647.6, 0.1);
    waterSaturationStartFromP(220.56, T, Vl, Vv);
    EXPECT_NEAR(Vl * 1e6, 53.61, 0.01);
    EXPECT_NEAR(Vv * 1e6, 58.64, 0.01);
}

TEST(WaterSurfaceTension, Iapws1994)
{
    EXPECT_NEAR(waterSurfaceTension(298.15), 0.07198, 0.00001);
    EXPECT_NEAR(waterSurfaceTension(373.15), 0.05891, 0.00001);
    EXPECT_NEAR(waterSurfaceTension(273.16), 0.07565, 0.00001);  // IAPWS table: 75.65 mN/m at 0.01 C
    EXPECT_EQ(waterSurfaceTension(647.096), 0.0);
    EXPECT_EQ(waterSurfaceTension(700.0), 0.0);
    EXPECT_GT(waterSurfaceTension(647.0), 0.0);
}

TEST(WaterSpinodal, VolumeFunctions)
{
    // At 500 K the reference equation's spinodals lie at 25.35 and 632.4 cm3/mol;
    // the fits give 25.34 and 635.8.
    EXPECT_NEAR(getLiquidSpinodalVolume(500.0), 2.534e-5, 0.001e-5);
    EXPECT_NEAR(getVapourSpinodalVolume(500.0), 6.358e-4, 0.001e-4);
    // One value on each branch of the vapour fit and at its ends.
    EXPECT_NEAR(getVapourSpinodalVolume(298.0), 0.05510949113986557, 1e-12);
    EXPECT_NEAR(getVapourSpinodalVolume(299.0), 0.02267337605699000, 1e-12);
    EXPECT_NEAR(getVapourSpinodalVolume(547.0), 3.112944347298335e-4, 1e-15);
    EXPECT_NEAR(getVapourSpinodalVolume(548.0), 3.2193312690960684e-4, 1e-15);
    EXPECT_NEAR(getVapourSpinodalVolume(640.0), 8.506027234038308e-5, 1e-15);
    EXPECT_NEAR(getLiquidSpinodalVolume(298.0), 2.0119164612956616e-5, 1e-16);
    EXPECT_NEAR(getLiquidSpinodalVolume(640.0), 4.0464596200118765e-5, 1e-16);
    // Both approach the critical volume near Tc and bracket it below.
    for (double T : {300.0, 400.0, 600.0, 640.0, 647.0}) {
        EXPECT_LT(getLiquidSpinodalVolume(T), 5.5948e-5) << T;
        EXPECT_GT(getVapourSpinodalVolume(T), 5.5948e-5) << T;
    }
    EXPECT_NEAR(getLiquidSpinodalVolume(647.09) * 1e6, 55.9, 2.5);
    EXPECT_NEAR(getVapourSpinodalVolume(647.09) * 1e6, 55.9, 2.5);
}

TEST(WaterSpinodal, StabilityBand)
{
    double vL, vV;
    waterSpinodalBand(300.0, vL, vV);
    EXPECT_NEAR(vL, 20.19, 0.005);
    EXPECT_NEAR(vV, 53752.0, 5.0);
    waterSpinodalBand(500.0, vL, vV);
    EXPECT_NEAR(vL, 25.35, 0.005);
    EXPECT_NEAR(vV, 632.4, 0.05);

    for (double V : {1e-6, 1e-5, 1e-4, 1.0})
        EXPECT_TRUE(waterStateIsUnstable(229.9, V)) << V;
    for (double V : {1e-6, 1e-5, 1e-4, 1.0})
        EXPECT_FALSE(waterStateIsUnstable(230.0, V)) << V;
    EXPECT_TRUE(waterStateIsUnstable(500.0, 1e-4));
    EXPECT_FALSE(waterStateIsUnstable(500.0, 1e-5));
    EXPECT_FALSE(waterStateIsUnstable(500.0, 1e-3));
    for (double V : {1.81e-5, 5e-5, 1e-3, 0.0099})
        EXPECT_TRUE(waterStateIsUnstable(647.129, V)) << V;
    for (double V : {1.81e-5, 5e-5, 1e-3, 0.0099})
        EXPECT_FALSE(waterStateIsUnstable(647.13, V)) << V;
    EXPECT_FALSE(waterStateIsUnstable(std::nan(""), 5e-5));

    // Near the critical point the band follows the reference equation's
    // spinodals (40.7 and 85.0 cm3/mol at 640 K, 47.3 and 68.0 at 646 K).
    EXPECT_TRUE(waterStateIsUnstable(640.0, 6e-5));
    EXPECT_FALSE(waterStateIsUnstable(640.0, 3.9e-5));
    EXPECT_FALSE(waterStateIsUnstable(640.0, 8.7e-5));
    EXPECT_TRUE(waterStateIsUnstable(646.0, 5.5e-5));
    EXPECT_FALSE(waterStateIsUnstable(646.0, 4.6e-5));
    EXPECT_FALSE(waterStateIsUnstable(646.0, 7e-5));
    // The band is continuous where the fits change.
    for (double T : {633.6, 646.6}) {
        double l1, v1, l2, v2;
        waterSpinodalBand(T - 1e-9, l1, v1);
        waterSpinodalBand(T + 1e-9, l2, v2);
        EXPECT_LT(rel(l1, l2), 0.03) << T;
        EXPECT_LT(rel(v1, v2), 0.03) << T;
    }
}
