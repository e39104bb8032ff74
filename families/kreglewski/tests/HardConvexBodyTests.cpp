// Hard-convex-body repulsion terms against Boublik's closed form, which for
// spheres is the Carnahan-Starling equation; their derivatives and bad input.
#include <gtest/gtest.h>

#include <cmath>

#include "families/kreglewski/HCB1.h"
#include "families/kreglewski/HCB2.h"
#include "families/kreglewski/tests/TermChecks.h"
#include "fluid/tests/RefusedCount.h"

using namespace kreg_tests;

namespace {

double coreVolume(double V00, double u0, double C, double T) {
    const double s = 1.0 - C * std::exp(-3.0 * u0 / T);
    return V00 * s * s * s;
}

// Boublik (1975): Z of hard convex bodies of non-sphericity alpha at packing xi.
double boublikZ(double alpha, double xi) {
    const double a2 = alpha * alpha;
    return (1.0 + (3.0 * alpha - 2.0) * xi + (3.0 * a2 - 3.0 * alpha + 1.0) * xi * xi - a2 * xi * xi * xi) /
           std::pow(1.0 - xi, 3);
}

double boublikA(double alpha, double xi, double V) {
    const double a2 = alpha * alpha;
    return -std::log(V) + (a2 - 1.0) * std::log(1.0 - xi) +
           ((a2 + 3.0 * alpha) * xi - 3.0 * alpha * xi * xi) / ((1.0 - xi) * (1.0 - xi));
}

}  // namespace

TEST(HardConvexBodies, SpheresFollowCarnahanStarling) {
    HCB1 t;
    t.number_of_components(1);
    const double V00 = 2.1576e-05, u0 = 190.29, C = 0.12, T = 250.0;
    t.set_parameters(1.0, V00, u0, C);
    for (double V : {1e-3, 1e-4, 6e-5, 4e-5}) {
        const double xi = kHCBPacking * coreVolume(V00, u0, C, T) / V;
        const double cs = (1.0 + xi + xi * xi - xi * xi * xi) / std::pow(1.0 - xi, 3);
        EXPECT_NEAR(termZ(t, {T, V, 1.0}), cs, 1e-12 * cs) << V;
        const double a = -std::log(V) + (4.0 * xi - 3.0 * xi * xi) / ((1.0 - xi) * (1.0 - xi));
        EXPECT_NEAR(value(t, {T, V, 1.0}), a, 1e-12 * std::fabs(a));
        EXPECT_DOUBLE_EQ(t.A0.value, 0.0);
    }
}

TEST(HardConvexBodies, ConvexBodiesFollowBoublik) {
    HCB1 t;
    t.number_of_components(1);
    const double V00 = 1.9703e-05, u0 = 284.28, C = 0.12;
    t.set_parameters(1.0571, V00, u0, C);
    EXPECT_DOUBLE_EQ(t.parameters[0], 1.0571);  // record order alpha, V00, C, u0
    EXPECT_DOUBLE_EQ(t.parameters[2], C);
    EXPECT_DOUBLE_EQ(t.parameters[3], u0);
    for (double T : {200.0, 400.0, 1000.0})
        for (double V : {5e-4, 8e-5, 3.5e-5}) {
            const double xi = kHCBPacking * coreVolume(V00, u0, C, T) / V;
            EXPECT_NEAR(termZ(t, {T, V, 1.0}), boublikZ(1.0571, xi), 1e-11 * boublikZ(1.0571, xi));
            EXPECT_NEAR(value(t, {T, V, 1.0}), boublikA(1.0571, xi, V), 1e-11);
        }
    // Low density: the ideal gas.
    EXPECT_NEAR(termZ(t, {300.0, 10.0, 1.0}), 1.0, 1e-5);
}

TEST(HardConvexBodies, RigidCoreWithoutSoftness) {
    HCB1 t;
    t.number_of_components(1);
    t.set_parameters(1.05, 3e-5, 300.0, 0.0);
    for (double T : {100.0, 500.0, 5000.0}) {
        value(t, {T, 1e-4, 1.0});
        EXPECT_DOUBLE_EQ(t.V0.value, 3e-5);
        EXPECT_DOUBLE_EQ(t.V0.d1[0], 0.0);
    }
}

TEST(HardConvexBodies, DerivativesToFourthOrder) {
    HCB1 t1;
    t1.number_of_components(1);
    t1.set_parameters(1.0571, 1.9703e-05, 284.28, 0.12);
    checkDerivatives(t1, {280.0, 6e-5, 1.0});
    HCB2 t2;
    t2.number_of_components(2);
    t2.set_parameters(1.0571, 1.9703e-05, 284.28, 1.0, 2.1576e-05, 190.29, 0.12, 1.05);
    checkDerivatives(t2, {250.0, 7e-5, 0.3, 0.7});
}

TEST(HardConvexBodies, BinaryReducesToPureAndMixesCoreVolumes) {
    HCB1 pure;
    pure.number_of_components(1);
    pure.set_parameters(1.0571, 1.9703e-05, 284.28, 0.12);
    HCB2 mix;
    mix.number_of_components(2);
    mix.set_parameters(1.0571, 1.9703e-05, 284.28, 1.0, 2.1576e-05, 190.29, 0.12, 1.3);
    for (double V : {1e-3, 6e-5}) {
        EXPECT_NEAR(value(mix, {300.0, V, 1.0, 0.0}), value(pure, {300.0, V, 1.0}), 1e-13);
        EXPECT_NEAR(termZ(mix, {300.0, V, 1.0, 0.0}), termZ(pure, {300.0, V, 1.0}), 1e-12);
    }
    // Equimolar: the closed form with the cross core volume k12 (V01 + V02)/2.
    const double T = 300.0, V = 8e-5;
    const double V01 = coreVolume(1.9703e-05, 284.28, 0.12, T), V02 = coreVolume(2.1576e-05, 190.29, 0.12, T);
    const double V0 = 0.25 * V01 + 0.5 * 1.3 * 0.5 * (V01 + V02) + 0.25 * V02;
    const double alpha = 0.5 * (1.0571 + 1.0), xi = kHCBPacking * V0 / V;
    EXPECT_NEAR(value(mix, {T, V, 0.5, 0.5}), boublikA(alpha, xi, V), 1e-12);
    EXPECT_NEAR(termZ(mix, {T, V, 0.5, 0.5}), boublikZ(alpha, xi), 1e-11);
}

TEST(HardConvexBodies, ComponentSettersWaitForFinalize) {
    HCB2 t;
    t.number_of_components(2);
    t.set_parameters(1.0, 2e-5, 200.0, 1.0, 2e-5, 200.0, 0.12, 1.0);
    const double before = value(t, {300.0, 1e-4, 0.4, 0.6});
    t.set_parameters_of_component(1, 1.2, 5e-5, 400.0, 0.0);
    EXPECT_DOUBLE_EQ(value(t, {300.0, 1e-4, 0.4, 0.6}), before);
    EXPECT_DOUBLE_EQ(t.parameters[3], 1.2);
    EXPECT_DOUBLE_EQ(t.parameters[6], 0.0);  // C is stored whatever the index
    t.finalize_parameters();
    EXPECT_NE(value(t, {300.0, 1e-4, 0.4, 0.6}), before);
}

TEST(HardConvexBodies, OverPackedStateIsAnEvaluationError) {
    HCB1 t;
    t.number_of_components(1);
    t.set_parameters(1.0, 2e-5, 200.0, 0.0);
    t.T = 300.0;
    t.V = 1.4e-5;  // xi = 1.06
    t.calculate_Z();
    EXPECT_EQ(t.termError, 1);
    t.V = 1e-4;
    t.calculate_Z();
    EXPECT_EQ(t.termError, 0);
}

TEST(HardConvexBodies, WrongComponentCountsAreRefused) {
    HCB1 pure;
    fluid_tests::expectCountRefused(pure, 2, 1);
    HCB2 binary;
    fluid_tests::expectCountRefused(binary, 1, 2);
}
