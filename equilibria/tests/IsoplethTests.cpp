// Isopleths of a binary van der Waals mixture: every point of the bubble
// branch is a bubble point of the fixed liquid and every point of the dew
// branch a dew point of the fixed vapour, by closed-form fugacities and
// pressures; output modes and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "equilibria/tests/MixtureModels.h"
#include "equilibria/tests/TestBinary.h"

namespace {

constexpr double kT = 250.0;

void expectEquilibrium(double T, double Vl, double Vv, double x, double y, double tol) {
    EXPECT_LT(relDiff(mix.P(T, Vl, x), mix.P(T, Vv, y)), tol) << T;
    for (int i = 0; i < 2; i++)
        EXPECT_LT(relDiff(mix.fugacity(i, T, Vl, x), mix.fugacity(i, T, Vv, y)), tol) << "component " << i << " T " << T;
}

}  // namespace

TEST(Isopleth, BubbleBranchPointsAreBubblePointsOfTheFixedLiquid) {
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    ASSERT_TRUE(bubbleFromComponent0(f, kA0, kB0, kT, 0.3));
    std::vector<double> rows;
    f.calculate_an_isopleth(kT, f.Vl0, f.Vv0, 0.3, f.x_vapour[1], 200e5, 2.0, 1e5, 2, kArrayOfValues, "", &rows);
    const auto r = splitRows(rows, 8);
    ASSERT_GT(r.size(), 10u);
    double Tprev = 0.0;
    for (const auto& row : r) {
        EXPECT_NEAR(row[3], 0.3, 1e-12);
        EXPECT_NEAR(row[2] + row[3], 1.0, 1e-12);
        EXPECT_NEAR(row[4] + row[5], 1.0, 1e-12);
        EXPECT_GT(row[0], Tprev);  // the bubble branch runs up in temperature
        Tprev = row[0];
        expectEquilibrium(row[0], row[6], row[7], row[3], row[5], 1e-8);
        EXPECT_LT(relDiff(row[1] * 1e5, mix.P(row[0], row[6], row[3])), 1e-8);
    }
    // The branch ends on the mixture's critical point at x1 = 0.3, where the
    // two phases merge: its last row is that point, the rows before it two
    // distinct phases.
    const VdWMixture::Critical c = mix.critical(0.3);
    EXPECT_LT(relDiff(r.back()[0], c.T), 1e-8);
    EXPECT_LT(relDiff(r.back()[1] * 1e5, c.P), 1e-7);
    EXPECT_LT(relDiff(r.back()[6], c.V), 1e-6);
    EXPECT_EQ(r.back()[5], 0.3);
    EXPECT_EQ(r.back()[7], r.back()[6]);
    for (std::size_t k = 0; k + 1 < r.size(); ++k) EXPECT_GT(r[k][7], r[k][6] * (1.0 + 1e-4)) << k;
}

TEST(Isopleth, DewBranchPointsAreDewPointsOfTheFixedVapour) {
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    ASSERT_TRUE(bubbleFromComponent0(f, kA0, kB0, kT, 0.3));
    // A dew point of the vapour y = 0.3: from the bubble point's volumes, with
    // the liquid richer in the heavier component 1.
    const double y = 0.3;
    f.calculate_dew_point(kT, f.Vl0, f.Vv0, 0.6, y);
    ASSERT_EQ(f.errorflag, 0);
    std::vector<double> rows;
    f.calculate_an_isopleth(kT, f.Vl0, f.Vv0, f.x_liquid[1], y, 300e5, 2.0, 2e5, 1, kArrayOfValues, "", &rows);
    const auto r = splitRows(rows, 8);
    ASSERT_GT(r.size(), 10u);
    // Up to its temperature maximum the branch runs up in T: in temperature
    // steps at first, in pressure steps (smaller temperature steps) where
    // it is steep near the mixture's critical point.
    const VdWMixture::Critical c = mix.critical(y);
    std::size_t k = 0;
    bool pressureSteps = false;
    for (; k < r.size(); ++k) {
        const auto& row = r[k];
        if (k > 0 && row[0] < r[k - 1][0]) break;
        if (k > 0 && row[0] - r[k - 1][0] < 1.99) pressureSteps = true;
        EXPECT_NEAR(row[5], y, 1e-12);
        expectEquilibrium(row[0], row[6], row[7], row[3], row[5], 1e-8);
    }
    EXPECT_TRUE(pressureSteps);
    ASSERT_GT(k, 10u);
    // The cricondentherm lies at or above the critical temperature.
    EXPECT_GT(r[k - 1][0], c.T - 0.5);
    EXPECT_LT(r[k - 1][0], c.T + 5.0);
    // Past its temperature maximum the branch ends on the mixture's critical
    // point, where it meets the bubble branch.
    EXPECT_LT(relDiff(r.back()[0], c.T), 1e-8);
    EXPECT_LT(relDiff(r.back()[1] * 1e5, c.P), 1e-7);
    EXPECT_EQ(r.back()[3], y);
    EXPECT_EQ(r.back()[7], r.back()[6]);
    // The slopes at the temperature maximum are those of the branch.
    const auto& top = r[k - 1];
    f.calculate_dew_point(top[0], top[6], top[7], top[3], y);
    ASSERT_EQ(f.errorflag, 0);
    double dVl, dVv, dx, dPdT;
    f.next_dew_point_for_isopleth(dVl, dVv, dx, dPdT, 0);
    EXPECT_EQ(f.errorflag, 0);
}

TEST(Isopleth, TangentPredictsTheNextBubblePoint) {
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    ASSERT_TRUE(bubbleFromComponent0(f, kA0, kB0, kT, 0.4));
    const double P0 = f.P, Vl = f.Vl0, Vv = f.Vv0, y = f.x_vapour[1];
    double dVl, dVv, dy, dPdT;
    f.next_bubble_point_for_isopleth(dVl, dVv, dy, dPdT, 0);
    ASSERT_EQ(f.errorflag, 0);
    const double h = 0.01;
    f.calculate_bubble_point(kT + h, Vl + h * dVl, Vv + h * dVv, 0.4, y + h * dy);
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_NEAR((f.P - P0) / h, dPdT, 1e-4 * std::fabs(dPdT));
    EXPECT_NEAR((f.x_vapour[1] - y) / h, dy, 1e-4 * std::fabs(dy) + 1e-9);
    // Only the temperature parametrisation exists.
    f.next_bubble_point_for_isopleth(dVl, dVv, dy, dPdT, 1);
    EXPECT_EQ(f.errorflag, 1);
    EXPECT_EQ(dPdT, 0.0);
}

TEST(Isopleth, OutputModesAndBadInput) {
    namespace fs = std::filesystem;
    TunableVdW f({kA0, kA1}, {kB0, kB1});
    ASSERT_TRUE(bubbleFromComponent0(f, kA0, kB0, kT, 0.3));
    const double Vl = f.Vl0, Vv = f.Vv0, y = f.x_vapour[1];
    f.calculate_an_isopleth(kT, Vl, Vv, 0.3, y, 60e5, 5.0, 1e5, 2, kIgorTextFile, "_t", nullptr);
    const auto igor = readRows("isop_t");
    ASSERT_GT(igor.size(), 2u);
    EXPECT_EQ(igor.front().size(), 8u);
    std::ifstream in("isop_t");
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "IGOR");
    EXPECT_EQ(second, "WAVES     T_t           P_t          x0_t          x1_t          y0_t          y1_t          "
                      "Vl_t          Vv_t");
    // Every row stops at the pressure limit.
    for (std::size_t k = 0; k + 1 < igor.size(); ++k) EXPECT_LE(igor[k][1], 60.0);

    fs::remove("isop_n");
    f.calculate_an_isopleth(kT, Vl, Vv, 0.3, y, 60e5, 5.0, 1e5, 2, 3, "_n", nullptr);
    EXPECT_FALSE(fs::exists("isop_n"));

    // An unknown branch computes nothing; the file is opened and closed.
    f.calculate_an_isopleth(kT, Vl, Vv, 0.3, y, 60e5, 5.0, 1e5, 7, kColumnTextFile, "_b", nullptr);
    EXPECT_EQ(f.errorflag, 1);
    EXPECT_TRUE(readRows("isop_b").empty());

    // A start that is no two-phase state: no row.
    std::vector<double> rows;
    f.calculate_an_isopleth(kT, Vl, Vl, 0.3, y, 60e5, 5.0, 1e5, 2, kArrayOfValues, "", &rows);
    EXPECT_EQ(f.errorflag, 1);
    EXPECT_TRUE(rows.empty());

    // A ternary model is refused.
    TunableVdW t({kA0, kA1, 0.4}, {kB0, kB1, 4.5e-5});
    t.calculate_an_isopleth(kT, Vl, Vv, 0.3, y, 60e5, 5.0, 1e5, 2, kArrayOfValues, "", &rows);
    EXPECT_EQ(t.errorflag, 1);
    EXPECT_TRUE(rows.empty());
    double a, b, c, d;
    t.next_dew_point_for_isopleth(a, b, c, d, 0);
    EXPECT_EQ(t.errorflag, 1);
}
