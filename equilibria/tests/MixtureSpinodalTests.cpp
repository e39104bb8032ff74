// Diffusion spinodal of a binary van der Waals mixture against the closed
// form of A_VV A_xx - A_xV^2 = 0 (a quadratic in T at fixed V and x), the
// equal-fugacity partner states, the Gibbs-energy transect, bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "equilibria/tests/MixtureModels.h"
#include "equilibria/tests/TestBinary.h"

namespace {

// The composition whose critical temperature is T, by bisection on the
// closed form.
double criticalComposition(double T) {
    double lo = 0.01, hi = 0.99;
    for (int i = 0; i < 60; i++) {
        const double mid = 0.5 * (lo + hi);
        (mix.critical(mid).T < T ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

}  // namespace

TEST(MixtureSpinodal, PointsInVolumeAndInCompositionMeetTheClosedForm) {
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    for (double x1 : {0.2, 0.4, 0.7}) {
        for (double V : {7.5e-5, 2.5e-4}) {  // liquid and vapour branches
            const double Ts = mix.spinodalT(V, x1);
            ASSERT_TRUE(std::isfinite(Ts));
            f.calculateSpinodalPointInMixtureIterateV(Ts, 1.03 * V, x1);
            ASSERT_EQ(f.errorflag, 0) << x1 << " " << V;
            EXPECT_LT(relDiff(f.V, V), 1e-8);
            EXPECT_LT(relDiff(f.P, mix.P(Ts, V, x1)), 1e-8);

            f.calculateSpinodalPointInMixtureIterateX(Ts, V, x1 + 0.01);
            ASSERT_EQ(f.errorflag, 0) << x1 << " " << V;
            EXPECT_NEAR(f.x[1], x1, 1e-8);
        }
    }
    // A negative start volume fails at once.
    f.calculateSpinodalPointInMixtureIterateV(300.0, -1e-4, 0.5);
    EXPECT_EQ(f.errorflag, 1);
}

TEST(MixtureSpinodal, CurveAlongTemperatureFromTheCriticalPoint) {
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    const double x1 = 0.3;
    const VdWMixture::Critical c = mix.critical(x1);
    f.composition(1.0 - x1, x1);
    f.calculateSpinodalCurveInMixture(c.T + 3.0, 1.05 * c.V, 0, c.T - 20.0, -1.0, kIgorTextFile, "_s", 1);
    const auto rows = readRows("spinot_s");
    ASSERT_GE(rows.size(), 20u);
    EXPECT_NEAR(rows[0][0], c.T, 0.006);
    EXPECT_LT(relDiff(rows[0][1] * 1e5, c.P), 1e-5);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const double T = rows[k][0], V = rows[k][2] * 1e-6;
        EXPECT_NEAR(mix.spinodalT(V, x1), T, 0.01) << k;
        EXPECT_LT(relDiff(rows[k][1] * 1e5, mix.P(T, V, x1)), 1e-4) << k;
        if (k > 0) {
            EXPECT_NEAR(rows[k - 1][0] - T, 1.0, 0.006);
        }
        EXPECT_GE(T, c.T - 21.0);
    }
    // The "#" layout in the other modes.
    f.calculateSpinodalCurveInMixture(c.T + 3.0, 1.05 * c.V, 0, c.T - 3.0, -1.0, kColumnTextFile, "_h", 1);
    std::ifstream in("spinot_h");
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header.rfind("#         T(1)          P(2)", 0), 0u) << header;
}

TEST(MixtureSpinodal, IsothermalSpinodalFromTheCriticalPoint) {
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    const double T = 330.0;
    const double xc = criticalComposition(T);
    const VdWMixture::Critical c = mix.critical(xc);
    f.calculateIsothermalSpinodalCurveInMixture("_i", T, c.V, xc + 0.001, 0, 1);
    const auto rows = readRows("spinox_i");
    ASSERT_GE(rows.size(), 5u);
    EXPECT_NEAR(rows[0][3], xc, 1e-5);
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 10u);
        EXPECT_NEAR(row[0], T, 1e-6);
        EXPECT_NEAR(mix.spinodalT(row[4], row[3]), T, 0.05);
    }
}

TEST(MixtureSpinodal, IsothermalSpinodalWalkingInVolumeWithLiquidPartners) {
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    const double T = 330.0;
    const double xc = criticalComposition(T);
    const VdWMixture::Critical c = mix.critical(xc);
    f.calculateIsothermalSpinodalCurveInMixture("_l", T, c.V, xc, 1, 1);
    const auto rows = readRows("spinox_l");
    ASSERT_GE(rows.size(), 5u);
    std::size_t partners = 0;
    // Near the critical point, where six printed digits still fix the
    // states well enough for their fugacities.
    for (std::size_t k = 0; k < rows.size() && k < 30; ++k) {
        const auto& row = rows[k];
        ASSERT_EQ(row.size(), 10u);
        EXPECT_NEAR(mix.spinodalT(row[4], row[3]), T, 0.05);
        if (k == 0 || std::isnan(row[6])) continue;
        ++partners;
        // The partner has the spinodal state's fugacities (to the printed digits).
        for (int i = 0; i < 2; i++)
            EXPECT_LT(relDiff(mix.fugacity(i, T, row[7], row[9]), mix.fugacity(i, T, row[4], row[3])), 5e-3);
        EXPECT_LT(row[7], row[4]);  // a liquid: the smaller volume
    }
    EXPECT_GT(partners, 0u);
}

TEST(MixtureSpinodal, EqualFugacityPartnerIsTheOtherPhaseOfABubblePoint) {
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    const double T = 250.0;
    ASSERT_TRUE(bubbleFromComponent0(f, kA0, kB0, T, 0.3));
    const double Vl = f.Vl0, Vv = f.Vv0, y = f.x_vapour[1];
    const double f0 = mix.fugacity(0, T, Vl, 0.3), f1 = mix.fugacity(1, T, Vl, 0.3);
    f.calculate_gas_equilibrium_point(T, Vl, 0.3, f0, f1, 1.02 * y, 1.05 * Vv);
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_LT(relDiff(f.Vv0, Vv), 1e-8);
    EXPECT_NEAR(f.x_vapour[1], y, 1e-9);
    // And back: the liquid of the vapour's fugacities.
    const double g0 = mix.fugacity(0, T, Vv, y), g1 = mix.fugacity(1, T, Vv, y);
    f.calculate_liquid_equilibrium_point(T, Vv, y, g0, g1, 0.31, 1.01 * Vl);
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_LT(relDiff(f.Vl0, Vl), 1e-8);
    EXPECT_NEAR(f.x_liquid[1], 0.3, 1e-9);
}

TEST(MixtureSpinodal, GibbsTransectOfAHomogeneousMixture) {
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    const double T = 450.0, Pbar = 50.0;
    f.Vl0 = 7e-4;
    f.calculateGibbsTransect2(T, Pbar, "_g");
    const auto rows = readRows("gibbs_g");
    ASSERT_EQ(rows.size(), 1001u);
    EXPECT_EQ(rows.back()[1], 1.0);
    EXPECT_EQ(rows.front()[1], 0.0);
    EXPECT_NEAR(rows.front()[6], 0.0, 1e-6);  // Gex at the pure components
    EXPECT_NEAR(rows.back()[6], 0.0, 1e-6);
    EXPECT_NEAR(rows.front()[9], 1.0, 1e-6);  // a0 of pure component 0
    EXPECT_NEAR(rows.back()[10], 1.0, 1e-6);  // a1 of pure component 1
    for (std::size_t k = 1; k + 1 < rows.size(); k += 37) {
        const auto& r = rows[k];
        const double x1 = r[1], V = r[2] * 1e-6;
        EXPECT_EQ(r[14], 0.0);
        EXPECT_LT(relDiff(mix.P(T, V, x1), Pbar * 1e5), 1e-5);
        EXPECT_LT(relDiff(r[7] * 1e5, mix.fugacity(0, T, V, x1)), 1e-5);
        EXPECT_LT(relDiff(r[13], VdWMixture::spinodal(mix.derivatives(T, V, x1))), 1e-4);
        EXPECT_GT(r[13], 0.0);  // stable everywhere above both critical temperatures
    }
}

TEST(MixtureSpinodal, NonBinaryModelsAreRefusedWithoutEndingTheProcess) {
    TunableVdW t({kA0, kA1, 0.45}, {kB0, kB1, 4.6e-5});
    t.calculateSpinodalPointInMixtureIterateV(300.0, 1e-4, 0.5);
    EXPECT_EQ(t.errorflag, 1);
    t.errorflag = 0;
    t.calculateTheSpinodals2(300.0, 1e-4, 0.5, "_a", "_b");
    EXPECT_EQ(t.errorflag, 1);
    EXPECT_FALSE(std::filesystem::exists("spinot_a"));
    t.errorflag = 0;
    t.calculateGibbsTransect2(300.0, 10.0, "_t");
    EXPECT_EQ(t.errorflag, 1);
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    f.calculateTheSpinodals2(300.0, 1e-4, 1.5, "_a", "_b");
    EXPECT_EQ(f.errorflag, 1);
}

TEST(MixtureSpinodal, LiquidAndVapourSpinodalsAreTheTwoBranchesInsideTheRange) {
    // The two files of the "spinox" word: the liquid branch below the
    // critical volume, the vapour branch above it, every row on the closed
    // form; a declared range ends both at its lowest temperature and refuses
    // a start outside it.
    const double x1 = 0.3;
    const VdWMixture::Critical c = mix.critical(x1);
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    f.validity = {.Tmin = c.T - 15.0, .Tmax = 1000.0, .source = "a test range"};
    testing::internal::CaptureStdout();
    f.calculateTheSpinodals2(c.T + 3.0, 1.05 * c.V, x1, "_bl", "_bv");
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(f.errorflag, 0);
    const auto liquid = readRows("spinot_bl"), vapour = readRows("spinot_bv");
    ASSERT_GE(liquid.size(), 10u);
    ASSERT_GE(vapour.size(), 10u);
    for (const auto* rows : {&liquid, &vapour}) {
        const bool isVapour = rows == &vapour;
        for (std::size_t k = 1; k < rows->size(); ++k) {
            const double T = (*rows)[k][0], V = (*rows)[k][2] * 1e-6;
            EXPECT_NEAR(mix.spinodalT(V, x1), T, 0.01) << k;
            EXPECT_TRUE(isVapour ? V > c.V : V < c.V) << (isVapour ? "vapour " : "liquid ") << k << " V " << V;
            EXPECT_GE(T, c.T - 15.0 - 1e-6);  // as printed, to six decimals
        }
    }
    EXPECT_NEAR(liquid.back()[0], c.T - 15.0, 1.0);
    EXPECT_NEAR(vapour.back()[0], c.T - 15.0, 1.0);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    f.calculateTheSpinodals2(c.T - 30.0, 1.05 * c.V, x1, "_bl2", "_bv2");
    testing::internal::GetCapturedStdout();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("a test range"), std::string::npos);
    EXPECT_EQ(f.errorflag, 1);
}
