// Kreglewski dispersion terms against the closed form of the double series,
// the binary mixing rules, their derivatives and bad input.
#include <gtest/gtest.h>

#include <cmath>

#include "families/kreglewski/Kreglewski1.h"
#include "families/kreglewski/Kreglewski2.h"
#include "families/kreglewski/tests/TermChecks.h"
#include "fluid/tests/RefusedCount.h"

using namespace kreg_tests;

namespace {

// Chen and Kreglewski's D(n, m), rows n = 1..4, columns m = 1..9 (0: no term).
const double kD[4][9] = {
    {-8.8043, 4.164627, -48.203555, 140.4362, -195.23339, 113.515, 0, 0, 0},
    {2.9396, -6.0865383, 40.137956, -76.230797, -133.7005, 860.25349, -1535.3224, 1221.4261, -409.10539},
    {-2.8225, 4.7600148, 11.257177, -66.382743, 69.248785, 0, 0, 0, 0},
    {0.34, -3.1875014, 12.231796, -12.110681, 0, 0, 0, 0, 0},
};

double series(double uT, double w) {
    double s = 0.0;
    for (int n = 0; n < 4; n++)
        for (int m = 0; m < 9; m++) s += kD[n][m] * std::pow(uT, n + 1) * std::pow(w, m + 1);
    return s;
}

double core(double V00, double u0, double C, double T) { return V00 * std::pow(1.0 - C * std::exp(-3.0 * u0 / T), 3); }

struct Comp {
    double V00, u0, eta;
};

// The binary closed form.
double binary(const Comp& c1, const Comp& c2, double kv, double a12, double b12, double xi12, double C, double T,
              double V, double x1, double x2) {
    const double r = std::cbrt(c2.V00 / c1.V00), r2 = r * r;
    const double g = x1 + r2 * x2, p1 = x1 / g, p2 = r2 * x2 / g;
    const double u11 = c1.u0 * (1 + c1.eta / T), u22 = c2.u0 / r2 * (1 + c2.eta / T);
    const double ub = 2 * xi12 / (1 / c1.u0 + r2 / c2.u0);
    const double u12 = ub * (1 + a12 / T + b12 * b12 / (T * T));
    const double u = g * (p1 * p1 * u11 + 2 * p1 * p2 * u12 + p2 * p2 * u22);
    const double V01 = core(c1.V00, c1.u0, C, T), V02 = core(c2.V00, c2.u0, C, T);
    const double V0 = x1 * x1 * V01 + 2 * x1 * x2 * kv * 0.5 * (V01 + V02) + x2 * x2 * V02;
    return series(u / T, V0 / V);
}

const Comp kCO2{1.9703e-05, 284.28, 40.0};
const Comp kCH4{2.1576e-05, 190.29, 1.0};

}  // namespace

TEST(KreglewskiAttraction, PureTermIsTheSeries) {
    Kreglewski1 t;
    t.number_of_components(1);
    t.set_parameters(kCO2.V00, kCO2.u0, kCO2.eta, 0.12);
    EXPECT_DOUBLE_EQ(t.parameters[1], 0.12);  // record order V00, C, u0, eta
    for (double T : {220.0, 304.0, 800.0})
        for (double V : {2e-3, 1e-4, 5e-5}) {
            const double uT = kCO2.u0 * (1 + kCO2.eta / T) / T;
            const double expect = series(uT, core(kCO2.V00, kCO2.u0, 0.12, T) / V);
            EXPECT_NEAR(value(t, {T, V, 1.0}), expect, 1e-11 * (1 + std::fabs(expect))) << T << " " << V;
        }
    // No constant term: nothing left at infinite volume; eta = 0 and infinite T: nothing either.
    EXPECT_NEAR(value(t, {300.0, 1e6, 1.0}), 0.0, 1e-9);
    t.set_parameters(kCO2.V00, kCO2.u0, 0.0, 0.12);
    EXPECT_NEAR(value(t, {1e9, 1e-4, 1.0}), 0.0, 1e-6);
}

TEST(KreglewskiAttraction, BinaryFollowsItsMixingRules) {
    Kreglewski2 t;
    t.number_of_components(2);
    t.set_parameters(kCO2.V00, kCO2.u0, kCO2.eta, kCH4.V00, kCH4.u0, kCH4.eta, 1.05, 20.5, 3.0, 0.94, 0.12);
    EXPECT_NEAR(t.r, std::cbrt(kCH4.V00 / kCO2.V00), 1e-15);
    for (double x1 : {0.0, 0.25, 0.7, 1.0}) {
        const double expect = binary(kCO2, kCH4, 1.05, 20.5, 3.0, 0.94, 0.12, 260.0, 9e-5, x1, 1 - x1);
        EXPECT_NEAR(value(t, {260.0, 9e-5, x1, 1 - x1}), expect, 1e-11 * (1 + std::fabs(expect))) << x1;
    }
}

TEST(KreglewskiAttraction, IdenticalComponentsGiveThePureFluid) {
    Kreglewski1 pure;
    pure.number_of_components(1);
    pure.set_parameters(kCH4.V00, kCH4.u0, 0.0, 0.12);
    Kreglewski2 mix;
    mix.number_of_components(2);
    mix.set_parameters(kCH4.V00, kCH4.u0, 0.0, kCH4.V00, kCH4.u0, 0.0, 1.0, 0.0, 0.0, 1.0, 0.12);
    for (double x1 : {0.1, 0.5, 0.9})
        EXPECT_NEAR(value(mix, {200.0, 8e-5, x1, 1 - x1}), value(pure, {200.0, 8e-5, 1.0}), 1e-12);
    // With eta the cross energy lacks the eta term: the mixture differs.
    pure.set_parameters(kCH4.V00, kCH4.u0, 30.0, 0.12);
    mix.set_parameters(kCH4.V00, kCH4.u0, 30.0, kCH4.V00, kCH4.u0, 30.0, 1.0, 0.0, 0.0, 1.0, 0.12);
    EXPECT_GT(std::fabs(value(mix, {200.0, 8e-5, 0.5, 0.5}) - value(pure, {200.0, 8e-5, 1.0})), 1e-3);
}

TEST(KreglewskiAttraction, DerivativesToFourthOrder) {
    Kreglewski1 t1;
    t1.number_of_components(1);
    t1.set_parameters(kCO2.V00, kCO2.u0, kCO2.eta, 0.12);
    checkDerivatives(t1, {300.0, 8e-5, 1.0});
    Kreglewski2 t2;
    t2.number_of_components(2);
    t2.set_parameters(kCO2.V00, kCO2.u0, kCO2.eta, kCH4.V00, kCH4.u0, kCH4.eta, 1.2, 21.5, 44.9, 1.02, 0.12);
    checkDerivatives(t2, {250.0, 9e-5, 0.4, 0.6});
}

TEST(KreglewskiAttraction, BinaryTermRefusesOtherCounts) {
    Kreglewski2 t;
    fluid_tests::expectCountRefused(t, 3, 2);
}
