// The Haar-Gallagher-Kell water model: its trees at closed-form points,
// derivative checks, its instability band, and its states, fugacities and
// saturation against the reference formulation (IAPWS-95), which HGK
// reproduces to about 0.1 % in density away from the critical region (part of
// the difference is the older temperature scale of HGK, which shifts its
// vapour pressure by up to 0.1 %).
#include <gtest/gtest.h>

#include <cmath>

#include "fluid/tests/RefusedCount.h"
#include "water/HGK.h"
#include "water/HGKbase.h"
#include "water/HGKid.h"
#include "water/HGKres.h"
#include "water/tests/AltWaterChecks.h"

using namespace altwater;

TEST(HGK, ConstructionPresets)
{
    HGK h(2);
    altwater::expectPureWaterPresets(h, "HaarGallagherKell", 1.7e-05, 0.0002);
    EXPECT_EQ(h.phase_kind, 2);
    EXPECT_EQ(h.critical_T, 650.0);
    EXPECT_EQ(h.Tmin, 230.0);
    ASSERT_EQ(h.nInteractions, 2);
    EXPECT_NE(dynamic_cast<HGKbase*>(h.interactions[0]), nullptr);
    EXPECT_NE(dynamic_cast<HGKres*>(h.interactions[1]), nullptr);
    EXPECT_NE(dynamic_cast<HGKid*>(h.ideal), nullptr);
    EXPECT_STREQ(h.interactions[0]->root->displayName(), "A");
    EXPECT_STREQ(h.interactions[1]->root->displayName(), "A");
}

// b and B at T0, and the base function in closed form at one state.
TEST(HGK, BaseTermClosedForm)
{
    HGK h(2);
    auto* base = static_cast<HGKbase*>(h.interactions[0]);
    h.temperature(HGKbase::T0);
    h.volume(3e-5);
    base->calculate();
    EXPECT_NEAR(base->bv2.value, 0.7478629 + 0.007159876 - 0.003528426, 1e-15);
    EXPECT_NEAR(base->Bv2.value, 1.1278334 - 0.5944001 - 5.010996 + 0.63684256, 1e-14);

    const double T = 450.0, V = 2.2e-5, t = HGKbase::T0 / T;
    const double b = 0.7478629 - 0.3540782 * std::log(T / HGKbase::T0) + 0.007159876 * t * t * t -
                     0.003528426 * std::pow(t, 5);
    const double B = 1.1278334 - 0.5944001 * t - 5.010996 * t * t + 0.63684256 * std::pow(t, 4);
    const double y = b * 1.8015268e-5 / V / 4.0;
    const double expected = -std::log(1 - y) - (130.0 / 3) / (1 - y) + (169.0 / 6) / ((1 - y) * (1 - y)) +
                            4 * y * (B / b - 3.5) + std::log(0.4615 * T * 18.015268 / 0.101325 / (1e6 * V)) +
                            91.0 / 6;
    h.temperature(T);
    h.volume(V);
    base->calculate();
    EXPECT_NEAR(base->A, expected, 1e-12 * std::fabs(expected));
    // In the dilute gas only ln(R T / (p0 V)) is left.
    h.volume(1e7);
    base->calculate();
    EXPECT_NEAR(base->A, std::log(0.4615 * T * 18.015268 / 0.101325 / 1e13), 1e-9);
}

// The Gaussian terms where they are exactly known, and the dilute limit.
TEST(HGK, ResidualTermClosedForm)
{
    HGK h(2);
    auto* res = static_cast<HGKres*>(h.interactions[1]);
    h.temperature(640.0);
    h.volume(1.80152e-5 / 0.319);
    res->calculate();
    EXPECT_NEAR(res->root->findByName("B37")->value, 1.0, 1e-12);
    EXPECT_NEAR(res->root->findByName("B38")->value, 0.0, 1e-20);
    // rho -> 0: the power terms vanish, the Gaussian terms tend to their delta = -1 values.
    const double T = 600.0;
    h.temperature(T);
    h.volume(1e8);
    res->calculate();
    const double t37 = T / 640 - 1, t39 = T / 641.6 - 1;
    EXPECT_NEAR(res->root->findByName("B37")->value, std::exp(-34 - 20000 * t37 * t37), 1e-8 * std::exp(-34 - 20000 * t37 * t37));
    EXPECT_NEAR(res->root->findByName("B38")->value, std::exp(-40 - 20000 * t37 * t37), 1e-8 * std::exp(-40 - 20000 * t37 * t37));
    EXPECT_NEAR(res->root->findByName("B39")->value, std::exp(-30 - 40000 * t39 * t39), 1e-8 * std::exp(-30 - 40000 * t39 * t39));
    EXPECT_LT(std::fabs(res->A), 1e-11);
}

TEST(HGK, IdealGasTerm)
{
    HGK h(2);
    Interaction* id = h.ideal;
    // At 100 K, tau = 1 and ln tau = 0.
    const double C[16] = {-0.483429455355,  6.05743189245,     22.56023885,      -9.87532442,
                          -4.3135538513,    0.458155781,       -0.047754901883,  0.0041238460633,
                          -0.00027929052852, 1.4481695261e-5,  -5.6473658748e-7, 1.6200446e-8,
                          -3.303822796e-10, 4.51916067368e-12, -3.70734122708e-14, 1.37546068238e-16};
    double phi0 = 1.0;
    for (double c : C)
        phi0 += c;
    h.temperature(100.0);
    h.volume(1e-3);
    id->calculate();
    EXPECT_NEAR(id->A, -1.0000532256309838 * (phi0 - 7.6180802 - 43.28455039), 1e-12);
    // Fugacity pass: the constant that, with the base's ln(R T/(p0 V)) + 91/6,
    // leaves -ln V for the ideal gas.
    const double T = 500.0, V = 1e-3;
    h.temperature(T);
    h.volume(V);
    h.calculate_fugacities();
    EXPECT_NEAR(id->A, -std::log(0.4615 * T * 18.015268 / 0.101325) + std::log(1e6), 1e-12);
    Interaction* base = h.interactions[0];
    h.volume(1e9);
    base->calculate();
    EXPECT_NEAR(base->A + id->A, -std::log(1e9), 1e-9);
    // Ideal-gas isobaric heat capacity against IAPWS-95's ideal part
    // (HGK's gas constant and ideal-gas function differ by some 1e-4).
    expectIdealGasHeatCapacityNearReference(h, 5e-4);
}

TEST(HGK, InstabilityBand)
{
    HGK h(2);
    EXPECT_TRUE(h.isInstable(229.99, 1.8e-5));
    EXPECT_TRUE(h.isInstable(229.99, 1.0));
    EXPECT_FALSE(h.isInstable(647.13, 3e-5));
    EXPECT_FALSE(h.isInstable(700.0, 3e-5));
    EXPECT_FALSE(h.isInstable(std::nan(""), 3e-5));
    EXPECT_TRUE(h.isInstable(400.0, 2.5e-5));
    EXPECT_FALSE(h.isInstable(400.0, 1.8e-5));
    EXPECT_FALSE(h.isInstable(400.0, 0.1));
    // The liquid-side fit is negative at 640 K: everything below the gas side is unstable.
    EXPECT_TRUE(h.isInstable(640.0, 1e-6));
    // A volume on the liquid-side limit is not unstable.
    const double T = 400.0;
    const double Vl = -694.15 + 12.993 * T - 0.10047 * T * T + 0.00042658 * std::pow(T, 3) -
                      1.0726e-6 * std::pow(T, 4) + 1.5972e-9 * std::pow(T, 5) - 1.3045e-12 * std::pow(T, 6) +
                      4.512e-16 * std::pow(T, 7);
    EXPECT_FALSE(h.isInstable(T, 1e-6 * Vl * (1 - 1e-12)));
    EXPECT_TRUE(h.isInstable(T, 1e-6 * Vl * (1 + 1e-9)));
    // 636.48 K belongs to the polynomial range, 636.49 K to the next.
    const double t = 636.48;
    const double poly = -694.15 + 12.993 * t - 0.10047 * t * t + 0.00042658 * std::pow(t, 3) -
                        1.0726e-6 * std::pow(t, 4) + 1.5972e-9 * std::pow(t, 5) - 1.3045e-12 * std::pow(t, 6) +
                        4.512e-16 * std::pow(t, 7);
    EXPECT_FALSE(h.isInstable(t, 1e-6 * poly * (1 - 1e-9)));
    EXPECT_TRUE(h.isInstable(t, 1e-6 * poly * (1 + 1e-9)));
}

TEST(HGK, DensitiesAgainstTheReferenceFormulation)
{
    HGK h(2);
    expectDensitiesNearReference(h, 1e-3, 2e-3);
}

TEST(HGK, SaturationAgainstTheReferenceFormulation)
{
    HGK h(2);
    expectSaturationNearReference(h, {300.0, 400.0, 500.0, 600.0}, 1.5e-3, 5e-4, 1.5e-3);
    expectSaturationNearReference(h, {640.0}, 2e-3, 5e-3, 5e-3);
}

TEST(HGK, OneComponentOnly)
{
    // The one-component terms refuse two components with a message and stay
    // unusable: an evaluation fails instead of ending the process.
    HGKbase b;
    fluid_tests::expectCountRefused(b, 2, 1, 500.0, 1e-4);
    HGKres r;
    fluid_tests::expectCountRefused(r, 2, 1, 500.0, 1e-4);
    HGKid id;
    id.number_of_components(2);
    ASSERT_EQ(id.component_count, 2);
    id.T = 400.0;
    id.V = 1e-3;
    id.calculate();
    const Operator* leaf = static_cast<const Operator*>(id.root);
    EXPECT_EQ(leaf->flags[1], 0);
    EXPECT_EQ(leaf->flags[2], 0);
    EXPECT_EQ(leaf->flags[3], 0);
}

// The framework's critical-point search on the model lands on the HGK
// critical point, 647.126 K and 22.055 MPa (NBS/NRC Steam Tables, 1984).
TEST(HGK, CriticalPoint)
{
    HGK h(2);
    testing::internal::CaptureStdout();
    h.temperature(h.critical_T);
    h.volume(h.critical_V);
    h.search_the_critical_point_of_the_pure_component();
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(h.errorflag, 0);
    EXPECT_NEAR(h.T, 647.126, 0.01);
    EXPECT_LT(rel(h.P, 22.055e6), 5e-4);
}
