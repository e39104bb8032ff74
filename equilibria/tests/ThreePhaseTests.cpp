// Three-phase equilibria of a symmetric van der Waals mixture (a0 = a1,
// b0 = b1, k12 > 0): two liquids of compositions xi and 1 - xi and a vapour
// of composition 1/2, with three equal fugacities per component by the
// closed forms; its upper critical endpoint, where the liquids merge at
// x = 1/2 on the liquid side of the coexistence of the fluid a(1/2), at the
// volume where 4RT = a''(1/2)/V; and n-component flashes with their mass
// balance, the bubble point and the ternary tie-line scan.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "equilibria/tests/MixtureModels.h"

namespace {

constexpr double kA = 0.3658, kB = 4.286e-5, kK = 0.3;
const VdWN sym{{kA, kA}, {kB, kB}, kK};

std::vector<double> fr(double x1) { return {1.0 - x1, x1}; }

// Three equal fugacities per component and three equal pressures.
void expectThreePhases(double T, double Vp, double Vl, double Vv, double xp, double xl, double xv, double tol) {
    const double Pv = sym.P(T, Vv, fr(xv));
    EXPECT_LT(relDiff(sym.P(T, Vp, fr(xp)), Pv), tol);
    EXPECT_LT(relDiff(sym.P(T, Vl, fr(xl)), Pv), tol);
    for (int i = 0; i < 2; i++) {
        const double fv = sym.fugacity(i, T, Vv, fr(xv));
        EXPECT_LT(relDiff(sym.fugacity(i, T, Vp, fr(xp)), fv), tol) << "component " << i;
        EXPECT_LT(relDiff(sym.fugacity(i, T, Vl, fr(xl)), fv), tol) << "component " << i;
    }
}

double aHalf() { return kA * (1.0 - kK / 2.0); }

// The three-phase point at T solved from the pure-fluid coexistence: the
// liquids from the pure liquid, the vapour from the coexistence of the
// equimolar mixture's a.
void solveLLGFromPureCoexistence(TunableVdW& f, double T) {
    const PureCoexistence liquid = pureCoexistence(kA, kB, T), vapour = pureCoexistence(aHalf(), kB, T);
    f.calculate_LLG_point(T, liquid.Vl, liquid.Vl * 1.01, vapour.Vv, 0.03, 0.96, 0.48);
}

}  // namespace

TEST(ThreePhase, LiquidLiquidGasPointOfASymmetricMixture) {
    TunableVdW f({kA, kA}, {kB, kB}, kK);
    const double T = 150.0;
    solveLLGFromPureCoexistence(f, T);
    ASSERT_EQ(f.errorflag, 0);
    const double Vp = f.Vp0, Vl = f.Vl0, Vv = f.Vv0, xp = f.x_liquid2[1], xl = f.x_liquid[1], xv = f.x_vapour[1];
    expectThreePhases(T, Vp, Vl, Vv, xp, xl, xv, 1e-8);
    // The symmetry of the mixture: mirrored liquids, the vapour at 1/2.
    EXPECT_NEAR(xp + xl, 1.0, 1e-8);
    EXPECT_LT(relDiff(Vp, Vl), 1e-7);
    EXPECT_NEAR(xv, 0.5, 1e-8);
    EXPECT_LT(xl, 0.2);

    // The temperature tangent against two neighbouring three-phase points.
    double d[6];
    f.next_LLG_point(d[0], d[1], d[2], d[3], d[4], d[5]);
    ASSERT_EQ(f.errorflag, 0);
    const double h = 0.01;
    f.calculate_LLG_point(T + h, Vl + h * d[1], Vp + h * d[0], Vv + h * d[2], xl + h * d[4], xp + h * d[3],
                          xv + h * d[5]);
    ASSERT_EQ(f.errorflag, 0);
    const double xlp = f.x_liquid[1], Vvp = f.Vv0;
    f.calculate_LLG_point(T - h, Vl, Vp, Vv, xl, xp, xv);
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_NEAR((xlp - f.x_liquid[1]) / (2 * h), d[4], 1e-5 * std::fabs(d[4]) + 1e-9);
    EXPECT_LT(relDiff((Vvp - f.Vv0) / (2 * h), d[2]), 1e-5);
}

TEST(ThreePhase, CurveRowsAreThreePhasePointsAndEndNearTheCriticalEndpoint) {
    TunableVdW f({kA, kA}, {kB, kB}, kK);
    const double T = 150.0;
    solveLLGFromPureCoexistence(f, T);
    ASSERT_EQ(f.errorflag, 0);
    f.calculate_the_LLG_curve("llg.txt", 2.0, T, f.Vl0, f.Vp0, f.Vv0, f.x_liquid[1], f.x_liquid2[1],
                              f.x_vapour[1]);
    const auto rows = readRows("llg.txt");
    ASSERT_GE(rows.size(), 5u);
    for (const auto& r : rows) {
        ASSERT_EQ(r.size(), 11u);
        expectThreePhases(r[0], r[8] * 1e-6, r[9] * 1e-6, r[10] * 1e-6, r[3], r[5], r[7], 1e-4);
    }
    // The liquids approach each other towards the upper critical endpoint.
    EXPECT_LT(rows.back()[3] - rows.back()[5], rows.front()[3] - rows.front()[5]);
}

TEST(ThreePhase, UpperCriticalEndpointOfTheSymmetricMixture) {
    // Closed form: the liquid of the coexistence of a(1/2) at the volume
    // V = a''(1/2)/(4RT) = a k/(RT), where A_xx = 0.
    auto gap = [](double T) { return pureCoexistence(aHalf(), kB, T).Vl - kA * kK / (VdWMixture::R * T); };
    double lo = 120.0, hi = 250.0;
    ASSERT_LT(gap(lo) * gap(hi), 0.0);
    for (int i = 0; i < 80; i++) {
        const double mid = 0.5 * (lo + hi);
        ((gap(mid) < 0) == (gap(lo) < 0) ? lo : hi) = mid;
    }
    const double Tu = 0.5 * (lo + hi);
    const PureCoexistence c = pureCoexistence(aHalf(), kB, Tu);
    TunableVdW f({kA, kA}, {kB, kB}, kK);
    f.calculate_critical_endpoint1(Tu + 0.5, c.Vl * 1.005, c.Vv * 1.05, 0.5, 0.5);
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_LT(relDiff(f.critical_T_stored, Tu), 1e-7);
    EXPECT_LT(relDiff(f.Vl0, c.Vl), 1e-7);
    EXPECT_LT(relDiff(f.Vv0, c.Vv), 1e-7);
    EXPECT_NEAR(f.x_vapour[1], 0.5, 1e-8);
}

TEST(ThreePhase, BadInputIsRefused) {
    TunableVdW f({kA, kA}, {kB, kB}, kK);
    // Liquids of one composition: the guard rejects the trivial solution.
    f.calculate_LLG_point(150.0, 6e-5, 6e-5, 1e-2, 0.3, 0.3, 0.5);
    EXPECT_EQ(f.errorflag, 1);
    f.calculate_the_LLG_curve("llg_bad.txt", 1.0, 150.0, 6e-5, 6e-5, 1e-2, 0.3, 0.3, 0.5);
    EXPECT_TRUE(readRows("llg_bad.txt").empty());
    TunableVdW t({kA, kA, kA}, {kB, kB, kB});
    t.calculate_the_LLG_curve("llg_ter.txt", 1.0, 150.0, 6e-5, 6e-5, 1e-2, 0.1, 0.9, 0.5);
    EXPECT_FALSE(std::filesystem::exists("llg_ter.txt"));
    t.calculate_critical_endpoint1(150.0, 6e-5, 1e-2, 0.5, 0.5);
    EXPECT_EQ(t.errorflag, 1);
    t.errorflag = 0;
    t.search_a_double_critical_endpoint(0, 0.1, 150.0, 6e-5, 1e-2, 0.5, 0.5);
    EXPECT_EQ(t.errorflag, 1);
}

// ---------------------------------------------------------------- n components

namespace {

const VdWN ter{{0.3658, 0.55, 0.45}, {4.286e-5, 5.0e-5, 4.6e-5}, 0.0};

void expectTieLine(double T, double P, double Vl, double Vv, const std::vector<double>& x,
                   const std::vector<double>& y, const std::vector<double>& z, double tol) {
    EXPECT_LT(relDiff(ter.P(T, Vl, x), P), tol);
    EXPECT_LT(relDiff(ter.P(T, Vv, y), P), tol);
    for (std::size_t i = 0; i < x.size(); i++)
        EXPECT_LT(relDiff(ter.fugacity(i, T, Vl, x), ter.fugacity(i, T, Vv, y)), tol) << i;
    // The feed on the tie line: one vapour fraction beta for every component.
    const double beta = (z[1] - x[1]) / (y[1] - x[1]);
    EXPECT_GT(beta, 0.0);
    EXPECT_LT(beta, 1.0);
    for (std::size_t i = 0; i < x.size(); i++) EXPECT_NEAR((1.0 - beta) * x[i] + beta * y[i], z[i], 1e-9) << i;
}

}  // namespace

TEST(MulticomponentFlash, TernaryFlashMeetsMassBalanceAndEqualFugacities) {
    TunableVdW f({0.3658, 0.55, 0.45}, {4.286e-5, 5.0e-5, 4.6e-5});
    const double T = 250.0, P = 15e5;
    const double x[3] = {0.3, 0.35, 0.35}, y[3] = {0.8, 0.1, 0.1}, z[3] = {0.5, 0.3, 0.2};
    f.calculate_flash_pointX(T, P, 6.5e-5, 1.0e-3, x, y, z);
    ASSERT_EQ(f.errorflag, 0);
    // A feed half-way between the two phases found lies on the same tie
    // line: the flash of that feed gives the same phases, half vaporised.
    const std::vector<double> x0 = f.x_liquid, y0 = f.x_vapour;
    double zm[3];
    for (int i = 0; i < 3; i++) zm[i] = 0.5 * (x0[i] + y0[i]);
    const double xs[3] = {x0[0] + 0.01, x0[1] - 0.01, x0[2]};
    f.calculate_flash_pointX(T, P, 1.02 * f.Vl0, 0.97 * f.Vv0, xs, y0.data(), zm);
    ASSERT_EQ(f.errorflag, 0);
    expectTieLine(T, P, f.Vl0, f.Vv0, f.x_liquid, f.x_vapour, {zm[0], zm[1], zm[2]}, 1e-8);
    for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(f.x_liquid[i], x0[i], 1e-8);
        EXPECT_NEAR(f.x_vapour[i], y0[i], 1e-8);
    }
    EXPECT_NEAR((zm[1] - f.x_liquid[1]) / (f.x_vapour[1] - f.x_liquid[1]), 0.5, 1e-7);

    // The bubble point of that liquid is the same vapour at the same pressure.
    const std::vector<double> xl = f.x_liquid, yv = f.x_vapour;
    const double Vl = f.Vl0, Vv = f.Vv0;
    const double ys[3] = {yv[0] + 0.02, yv[1] - 0.01, yv[2] - 0.01};
    f.calculate_bubble_pointX(T, Vl * 1.01, Vv * 0.95, xl.data(), ys);
    ASSERT_EQ(f.errorflag, 0);
    for (int i = 0; i < 3; i++) EXPECT_NEAR(f.x_vapour[i], yv[i], 1e-8);
    EXPECT_LT(relDiff(f.Vv0, Vv), 1e-7);
}

TEST(MulticomponentFlash, BinaryReducesToTheBinaryFlash) {
    TunableVdW f({0.3658, 0.55}, {4.286e-5, 5.0e-5});
    const double T = 250.0, P = 15e5;
    const double x[2] = {0.6, 0.4}, y[2] = {0.9, 0.1}, z[2] = {0.7, 0.3};
    f.calculate_flash_pointX(T, P, 6.5e-5, 1.0e-3, x, y, z);
    ASSERT_EQ(f.errorflag, 0);
    const double xn = f.x_liquid[1], yn = f.x_vapour[1], Vl = f.Vl0, Vv = f.Vv0;
    f.calculate_flash_point(T, P, 6.5e-5, 1.0e-3, 0.4, 0.1);
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_NEAR(f.x_liquid[1], xn, 1e-9);
    EXPECT_NEAR(f.x_vapour[1], yn, 1e-9);
    EXPECT_LT(relDiff(f.Vl0, Vl), 1e-8);
    EXPECT_LT(relDiff(f.Vv0, Vv), 1e-8);
}

TEST(MulticomponentFlash, TernaryScanKeepsTheFeedRatioAndTheMassBalance) {
    TunableVdW f({0.3658, 0.55, 0.45}, {4.286e-5, 5.0e-5, 4.6e-5});
    const double T = 250.0, P = 15e5;
    const double x[3] = {0.3, 0.35, 0.35}, y[3] = {0.8, 0.1, 0.1};
    f.calculateTernary(T, P, 0.3, 0.2, 0.01, "_t", 6.5e-5, 1.0e-3, x, y);
    const auto rows = readRows("ter_t");
    ASSERT_GE(rows.size(), 5u);
    for (const auto& r : rows) {
        ASSERT_EQ(r.size(), 13u);
        EXPECT_NEAR(r[11] / r[12], 1.5, 1e-5);
        EXPECT_NEAR(r[10] + r[11] + r[12], 1.0, 2e-6);
        const double beta = (r[11] - r[5]) / (r[8] - r[5]);
        for (int i = 0; i < 3; i++) EXPECT_NEAR((1 - beta) * r[4 + i] + beta * r[7 + i], r[10 + i], 2e-5);
        EXPECT_NEAR(r[1], 15.0, 1e-9);
    }
    // Each step moves the feed towards component 0 (dz > 0 takes from it).
    EXPECT_LT(rows[1][10], rows[0][10]);
}

TEST(MulticomponentFlash, BadInputIsRefused) {
    TunableVdW b({0.3658, 0.55}, {4.286e-5, 5.0e-5});
    const double x[3] = {0.3, 0.35, 0.35}, y[3] = {0.8, 0.1, 0.1};
    b.calculateTernary(250.0, 15e5, 0.3, 0.2, 0.01, "_b", 6.5e-5, 1e-3, x, y);
    EXPECT_EQ(b.errorflag, 1);
    EXPECT_FALSE(std::filesystem::exists("ter_b"));
    TunableVdW t({0.3658, 0.55, 0.45}, {4.286e-5, 5.0e-5, 4.6e-5});
    t.calculate_flash_pointX(250.0, 15e5, 6.5e-5, 1e-3, x, y, nullptr);
    EXPECT_EQ(t.errorflag, 1);
    // Equal volumes: the trivial solution is refused.
    const double z[3] = {0.5, 0.25, 0.25};
    t.calculate_flash_pointX(250.0, 15e5, 1e-4, 1e-4, x, y, z);
    EXPECT_EQ(t.errorflag, 1);
    t.calculateTernary(250.0, 15e5, 0.0, 0.0, 0.01, "_z", 6.5e-5, 1e-3, x, y);
    EXPECT_EQ(t.errorflag, 1);
}
