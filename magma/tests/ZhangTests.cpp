// Expansion work of CO2-charged water: the final temperatures solve their
// energy and entropy balances, entropy and enthalpy obey the Gibbs relation,
// the two expansions compare as the second law demands, and the report is
// printed whatever happens.
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

TEST(Zhang, SecondLawOrdersTheTwoExpansions) {
    // Both expansions are adiabatic and end at P1.  The one against the
    // constant final pressure creates entropy, so it ends warmer than the
    // isentropic one and gives up less work.
    for (int example = 0; example < 3; ++example) {
        SCOPED_TRACE(example);
        Zhang rev, irr;
        if (example == 1) {
            rev.example1();
            irr.example1();
        } else if (example == 2) {
            rev.example2();
            irr.example2();
        }
        testing::internal::CaptureStdout();
        ASSERT_EQ(rev.solve(1), 0);
        ASSERT_EQ(irr.solve(0), 0);
        testing::internal::GetCapturedStdout();
        EXPECT_LT(rev.T1, irr.T1);
        EXPECT_GT(irr.dS, 0.0);
        EXPECT_GT(rev.Wrev, irr.Wirr);
        EXPECT_GT(irr.Wirr, 0.0);
        // Against the final pressure the work is -dU as well.
        EXPECT_NEAR(irr.Wrev, irr.Wirr, 1e-9 * irr.Wirr);
        // And -dU of the isentropic expansion, from its own final state.
        const double dU = rev.dH - (rev.P1 * (rev.VL + rev.VG) - rev.P0 * rev.V0);
        EXPECT_NEAR(rev.Wrev, -dU, 1e-9 * rev.Wrev);
    }
}

TEST(Zhang, EntropyAndEnthalpyObeyTheGibbsRelation) {
    // For final states in exsolution equilibrium dH = T dS + V dP: at fixed T1,
    // d(dH)/dP1 - T1 d(dS)/dP1 is the final volume VL + VG, up to the volume
    // VL gives the dissolved CO2 and the enthalpy leaves out.
    for (int example = 1; example <= 2; ++example) {
        Zhang z;
        if (example == 1) {
            z.example1();
        } else {
            z.example2();
        }
        for (double T : {285.0, 291.7, 300.0}) {
            for (double P : {5e4, 9e4, 2e5, 5e5}) {
                SCOPED_TRACE(testing::Message() << "example " << example << ", " << T << " K, " << P << " Pa");
                auto at = [&](double p, double& H, double& S) {
                    z.P1 = p;
                    z.T1 = T;
                    z.calculateParameters();
                    H = z.dH;
                    S = z.dS;
                };
                const double h = 1e-4 * P;
                double Hp, Sp, Hm, Sm, H, S;
                at(P + h, Hp, Sp);
                at(P - h, Hm, Sm);
                at(P, H, S);
                const double V = z.VL + z.VG;
                EXPECT_NEAR((Hp - Hm) / (2 * h) - T * (Sp - Sm) / (2 * h), V, 1.01 * z.nd * 1.8e-5);
            }
        }
    }
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
    EXPECT_NEAR(z.x0CO2, z.nCO2 / (z.nW + z.nCO2), 1e-15);
    EXPECT_NEAR(z.V0, (z.nW + z.nCO2) * 1.8e-5, 1e-15);
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
