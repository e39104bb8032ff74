#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "families/anderko/Anderko.h"
#include "families/anderko/AnderkoPure.h"
#include "families/anderko/Dispersion1.h"
#include "TermChecks.h"

using anderko_test::checkDerivatives;
using anderko_test::evalTerm;

TEST(AnderkoPure, WaterModelEqualsTheMixtureModelForWater) {
    AnderkoH2O p(2);
    EXPECT_EQ(p.component_count, 1);
    EXPECT_EQ(p.component_names[0], "H2O");
    EXPECT_EQ(p.model_name, "Anderko H2O");
    // The ideal gas of water's standard-state data completes the state functions.
    ASSERT_NE(p.ideal, nullptr);
    EXPECT_TRUE(static_cast<Ideal*>(p.ideal)->hasData());
    EXPECT_DOUBLE_EQ(p.critical_T, 648.6);
    Anderko m(2);
    m.setSystemCode(1);
    for (double V : {2.2e-5, 5e-5, 3e-4}) {
        p.temperature(700.0);
        p.volume(V);
        p.calculate_pressure();
        m.temperature(700.0);
        m.volume(V);
        m.calculate_pressure();
        EXPECT_NEAR(p.P, m.P, 1e-9 * std::fabs(m.P) + 1e-3) << V;
    }
}

TEST(AnderkoPure, CarbonDioxideModelEqualsTheMixtureModelForCO2) {
    AnderkoCO2 p(1);
    EXPECT_DOUBLE_EQ(p.Tmin, 80.0);
    EXPECT_EQ(p.model_name, "Anderko CO2");
    Anderko m(1);
    m.setSystemCode(2);
    for (double V : {6.6616e-05, 3e-4}) {
        p.temperature(473.15);
        p.volume(V);
        p.calculate_pressure();
        m.temperature(473.15);
        m.volume(V);
        m.calculate_pressure();
        EXPECT_NEAR(p.P, m.P, 1e-9 * std::fabs(m.P)) << V;
    }
    double xv[1] = {6.6616e-05}, par[4] = {0.37, -0.39, 1.6, -3.0}, F = 0, G = 0;
    std::int16_t err = 0;
    p.equationToFit(xv, par, F, G, nullptr, err);
    EXPECT_DOUBLE_EQ(F, p.P);
    EXPECT_GT(F, 0.0);
}

TEST(AnderkoPure, WaterDispersionClosedFormAndDerivatives) {
    H2ODisp t;
    t.number_of_components(1);
    evalTerm(t, 647.067, 5e-5, {1.0});
    const double a = 0.182838483 + 0.15466527 + 0.010718969 + 0.171825354;
    const double c = -8.87482349 + 3.17933413 - 0.16869781 + 2.95354801;
    const double d = 9.44220297 - 3.1440167 + 0.14953913 + 2.13933917;
    const double V = 5e-5;  // no covolume: factors 1
    const double expect = -(a / (8.31434 * 647.067)) * (1 / V + c / (4 * V * V) + d / (16 * V * V * V) - 9.0 / (64 * std::pow(V, 4)));
    EXPECT_NEAR(t.root->value, expect, 1e-12 * std::fabs(expect));
    t.set_covolume(2.84959143e-05);
    checkDerivatives(t, 700.0, 4e-5, {1.0}, {0, 1});
    CO2Disp u;
    testing::internal::CaptureStderr();
    u.number_of_components(2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("the term is written for 1 component; it cannot take 2"),
              std::string::npos);
    EXPECT_EQ(u.refusedComponents, 2);
    u.number_of_components(1);
    u.set_covolume(4.952e-05);
    checkDerivatives(u, 400.0, 1e-4, {1.0}, {0, 1});
}
