// Expansion work of CO2-charged water: the final temperatures solve their
// energy and entropy balances, the works compare as reversible and
// irreversible expansions must, and the report is printed whatever happens.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "magma/Zhang.h"

namespace {

TEST(Zhang, ReversibleExpansionConservesEntropy) {
    Zhang z;
    testing::internal::CaptureStdout();
    const int status = z.solve(1);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(status, 0);
    // dS = 0 against the size of its terms.
    EXPECT_LT(std::fabs(z.dS), 1e-8 * z.nW * z.cpW);
    // Exsolution and expansion cool the water.
    EXPECT_LT(z.T1, z.T0);
    EXPECT_GT(z.T1, z.T0 - 20.0);
    EXPECT_GT(z.ne, 0.0);
    EXPECT_NEAR(z.ne + z.nd, z.nCO2, 1e-12);
    EXPECT_NEAR(z.x1, std::exp(-0.13469092403214056) * z.P1 * z.Vw / (8.31434 * z.T1), 1e-15);
    // A reversible expansion does more work than one against the final pressure.
    EXPECT_GT(z.Wrev, z.Wirr);
    EXPECT_GT(z.Wirr, 0.0);
    char line[80];
    std::snprintf(line, sizeof line, "Wrev   %lf J/g CO2\n", z.Wrev / (44.0 * z.ne));
    EXPECT_NE(out.find(line), std::string::npos) << out;
    std::snprintf(line, sizeof line, "T1     %lf K\n", z.T1);
    EXPECT_NE(out.find(line), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 2), "\n\n");
}

TEST(Zhang, IrreversibleExpansionBalancesEnthalpy) {
    Zhang z;
    testing::internal::CaptureStdout();
    ASSERT_EQ(z.solve(0), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_NEAR(z.dH, (z.P1 - z.P0) * z.V0, 1e-6 * z.nW * z.cpW);
    EXPECT_LT(z.T1, z.T0);
    EXPECT_GT(z.ne, 0.0);
}

TEST(Zhang, ExamplesAndAFailedSolveStillReport) {
    Zhang z;
    z.example1();
    EXPECT_EQ(z.nCO2, z.result);
    EXPECT_TRUE(std::isfinite(z.nCO2));
    EXPECT_GT(z.nCO2, 0.0);
    EXPECT_EQ(z.P0, 2.13e6);
    z.example2();
    EXPECT_EQ(z.P0, 496000.0);
    EXPECT_EQ(z.T0, 295.35);
    EXPECT_DOUBLE_EQ(z.phi, std::exp(-0.11891373223053314));
    EXPECT_GT(z.nCO2, 0.0);

    // No temperature leaves a dissolved fraction below one: the secant fails,
    // the report is printed all the same.
    Zhang bad;
    bad.phi = 1e9;
    testing::internal::CaptureStdout();
    EXPECT_NE(bad.solve(1), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("T0     296.000000 K\n"), std::string::npos);
    EXPECT_NE(out.find("deltaH "), std::string::npos);
    EXPECT_EQ(bad.error, 0);
}

}  // namespace
