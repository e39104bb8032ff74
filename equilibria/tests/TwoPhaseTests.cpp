// Bubble, dew and flash points and the isotherm of a binary van der Waals
// mixture: equal fugacities and pressures from closed forms written
// independently of the framework, round trips between the four problems, the
// pure components' exact coexistence at the ends of the isotherm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "equilibria/tests/TestBinary.h"
#include "fluid/tests/TextRows.h"
#include "fluid/tests/VdWFluid.h"
#include "numerics/Newton.h"

namespace {

constexpr double kT = 250.0;  // below both critical temperatures (304 K, 392 K)

// Equal fugacities of both components and equal pressures by the closed forms.
void expectEquilibrium(double T, double Vl, double Vv, double x, double y, double tol = 1e-10) {
    EXPECT_LT(rel(mix.P(T, Vl, x), mix.P(T, Vv, y)), tol) << x;
    for (int i = 0; i < 2; i++) {
        const double fl = mix.fugacity(i, T, Vl, x), fv = mix.fugacity(i, T, Vv, y);
        if (fl == 0.0 && fv == 0.0) continue;
        EXPECT_LT(rel(fl, fv), tol) << "component " << i << " x " << x;
    }
}

// A bubble point at x reached from pure component 0 by small steps along
// the tangent (start values for the other problems).
void bubbleAt(FluidPhase& f, double x) {
    const PureCoexistence c = pureCoexistence(kA0, kB0, kT);
    f.calculate_bubble_point(kT, c.Vl, c.Vv, 0.0, 0.0);
    ASSERT_EQ(f.errorflag, 0);
    const int n = 20;
    for (int k = 1; k <= n; k++) {
        double dVl, dVv, dy, dP;
        f.next_bubble_point(dVl, dVv, dy, dP);
        const double h = x / n;
        f.calculate_bubble_point(kT, f.Vl0 + h * dVl, f.Vv0 + h * dVv, k * h, f.x_vapour[1] + h * dy);
        ASSERT_EQ(f.errorflag, 0) << k;
    }
}

}  // namespace

TEST(BubbleDew, BubblePointOfPureComponent0IsItsExactCoexistence) {
    auto f = makeMixture();
    const PureCoexistence c = pureCoexistence(kA0, kB0, kT);
    f->calculate_bubble_point(kT, 0.98 * c.Vl, 1.05 * c.Vv, 0.0, 0.0);
    ASSERT_EQ(f->errorflag, 0);
    EXPECT_LT(rel(f->Vl0, c.Vl), 1e-9);
    EXPECT_LT(rel(f->Vv0, c.Vv), 1e-9);
    EXPECT_LT(rel(f->P, c.P), 1e-9);
    EXPECT_EQ(f->x_vapour[1], 0.0);
    EXPECT_EQ(f->x_liquid[0], 1.0);
}

TEST(BubbleDew, BubbleDewAndFlashAreOneEquilibrium) {
    auto f = makeMixture();
    bubbleAt(*f, 0.4);
    const double x = f->x_liquid[1], y = f->x_vapour[1], Vl = f->Vl0, Vv = f->Vv0, P = f->P;
    EXPECT_DOUBLE_EQ(x, 0.4);
    EXPECT_LT(y, x);  // component 1 is the less volatile
    expectEquilibrium(kT, Vl, Vv, x, y);
    EXPECT_LT(rel(P, mix.P(kT, Vv, y)), 1e-9);

    // Dew point of the vapour y: back to the liquid x at the same pressure.
    f->calculate_dew_point(kT, 1.01 * Vl, 0.98 * Vv, x + 0.02, y);
    ASSERT_EQ(f->errorflag, 0);
    EXPECT_NEAR(f->x_liquid[1], x, 1e-9);
    EXPECT_LT(rel(f->P, P), 1e-9);
    EXPECT_DOUBLE_EQ(f->x_vapour[1], y);

    // Dew point of y at P: the temperature and the liquid.
    f->calculate_dew_point_for_given_P(P, kT + 3.0, Vl, Vv, x - 0.02, y);
    ASSERT_EQ(f->errorflag, 0);
    EXPECT_NEAR(f->T, kT, 1e-7);
    EXPECT_NEAR(f->x_liquid[1], x, 1e-9);
    EXPECT_LT(rel(f->Vv0, Vv), 1e-9);

    // Flash at T and P: both compositions.
    f->calculate_flash_point(kT, P, 0.99 * Vl, 1.02 * Vv, x + 0.03, y - 0.03);
    ASSERT_EQ(f->errorflag, 0);
    EXPECT_NEAR(f->x_liquid[1], x, 1e-9);
    EXPECT_NEAR(f->x_vapour[1], y, 1e-9);
    EXPECT_EQ(f->P_flash, P);
    expectEquilibrium(kT, f->Vl0, f->Vv0, f->x_liquid[1], f->x_vapour[1]);

    // A feed between the two phases splits with the lever rule, and the
    // split has the lower Gibbs energy: sum z_i ln f_i is below that of
    // every homogeneous state of the feed at T and P.
    const double z = 0.5 * (x + y), beta = (z - x) / (y - x);
    EXPECT_NEAR((1 - beta) * x + beta * y, z, 1e-15);
    const double split = (1 - z) * std::log(mix.fugacity(0, kT, f->Vl0, x)) + z * std::log(mix.fugacity(1, kT, f->Vl0, x));
    const VdWPure feed{mix.a(z), mix.b(z)};
    const auto roots = feed.roots(kT, P);
    ASSERT_FALSE(roots.empty());
    for (double V : roots) {
        const double hom = (1 - z) * std::log(mix.fugacity(0, kT, V, z)) + z * std::log(mix.fugacity(1, kT, V, z));
        EXPECT_GT(hom, split) << V;
    }
}

TEST(BubbleDew, AnalyticJacobiansAgreeWithDifferences) {
    auto f = makeMixture();
    bubbleAt(*f, 0.3);
    const double x = f->x_liquid[1], y = f->x_vapour[1], Vl = f->Vl0, Vv = f->Vv0;
    Newton& s = *f->criticalSolver;
    std::FILE* sink = std::fopen("/dev/null", "w");
    s._setSysEquationToSolve(f.get(), toEquationFn<SysEquationFn>(&FluidPhase::equationForBubblePoint), 3);
    double b[3] = {1.01 * Vl, 0.97 * Vv, 1.1 * y}, hb[3] = {1e-12, 1e-10, 1e-7};
    EXPECT_LT(s.check_derivatives(sink, b, hb), 1e-5);
    s._setSysEquationToSolve(f.get(), toEquationFn<SysEquationFn>(&FluidPhase::equationForDewPoint), 3);
    double d[3] = {1.01 * Vl, 0.97 * Vv, 0.9 * x};
    EXPECT_LT(s.check_derivatives(sink, d, hb), 1e-5);
    s._setSysEquationToSolve(f.get(), toEquationFn<SysEquationFn>(&FluidPhase::equationForDewPointFromGivenP), 4);
    double P = 8e5;
    s.data = &P;
    double g[4] = {1.01 * Vl, 0.97 * Vv, 0.9 * x, kT + 2.0}, hg[4] = {1e-12, 1e-10, 1e-7, 1e-5};
    EXPECT_LT(s.check_derivatives(sink, g, hg), 1e-5);
    s.data = nullptr;
    f->P_flash = 8e5;
    s._setSysEquationToSolve(f.get(), toEquationFn<SysEquationFn>(&FluidPhase::equationForFlash), 4);
    double fl[4] = {1.01 * Vl, 0.97 * Vv, 0.9 * x, 1.1 * y}, hf[4] = {1e-12, 1e-10, 1e-7, 1e-7};
    EXPECT_LT(s.check_derivatives(sink, fl, hf), 1e-5);
    std::fclose(sink);
}

TEST(BubbleDew, TangentOfTheBubbleCurveMatchesDifferences) {
    auto f = makeMixture();
    bubbleAt(*f, 0.5);
    const double Vl = f->Vl0, Vv = f->Vv0, y = f->x_vapour[1], P = f->P;
    double dVl, dVv, dy, dP;
    f->next_bubble_point(dVl, dVv, dy, dP);
    const double h = 1e-5;
    f->calculate_bubble_point(kT, Vl + h * dVl, Vv + h * dVv, 0.5 + h, y + h * dy);
    ASSERT_EQ(f->errorflag, 0);
    const double Vlp = f->Vl0, Vvp = f->Vv0, yp = f->x_vapour[1], Pp = f->P;
    f->calculate_bubble_point(kT, Vl - h * dVl, Vv - h * dVv, 0.5 - h, y - h * dy);
    ASSERT_EQ(f->errorflag, 0);
    EXPECT_LT(rel(dVl, (Vlp - f->Vl0) / (2 * h)), 1e-5);
    EXPECT_LT(rel(dVv, (Vvp - f->Vv0) / (2 * h)), 1e-5);
    EXPECT_LT(rel(dy, (yp - f->x_vapour[1]) / (2 * h)), 1e-5);
    EXPECT_LT(rel(dP, (Pp - f->P) / (2 * h)), 1e-5);
    EXPECT_LT(dP, 0.0);  // component 1 is the less volatile
    (void)P;
}

TEST(BubbleDew, PressureOffsetBetweenThePhases) {
    auto f = makeMixture();
    bubbleAt(*f, 0.3);
    const double x = 0.3, Vl = f->Vl0, Vv = f->Vv0, y = f->x_vapour[1];
    // Pl - Pv + d = 0; the model's pressure is the liquid one for d > 0.
    f->P_shift = 2e4;
    f->calculate_bubble_point(kT, Vl, Vv, x, y);
    ASSERT_EQ(f->errorflag, 0);
    EXPECT_LT(rel(mix.P(kT, f->Vv0, f->x_vapour[1]) - mix.P(kT, f->Vl0, x), 2e4), 1e-6);
    EXPECT_LT(rel(f->P, mix.P(kT, f->Vl0, x)), 1e-9);
    // d < 0 and the vapour pressure.
    f->P_shift = -2e4;
    f->calculate_bubble_point(kT, Vl, Vv, x, y);
    ASSERT_EQ(f->errorflag, 0);
    EXPECT_LT(rel(mix.P(kT, f->Vl0, x) - mix.P(kT, f->Vv0, f->x_vapour[1]), 2e4), 1e-6);
    EXPECT_LT(rel(f->P, mix.P(kT, f->Vv0, f->x_vapour[1])), 1e-9);
}

TEST(BubbleDew, TrivialAndBadStartsFail) {
    auto f = makeMixture();
    bubbleAt(*f, 0.3);
    const double Vl = f->Vl0, Vv = f->Vv0, y = f->x_vapour[1];
    // The liquid never takes the larger volume.
    f->calculate_bubble_point(kT, Vv, Vl, 0.3, y);
    EXPECT_EQ(f->errorflag, 1);
    // Volumes within 1e-4 (the flash: 1 %) are the trivial solution.
    f->calculate_dew_point(kT, Vl, Vl * (1 + 5e-5), 0.3, y);
    EXPECT_EQ(f->errorflag, 1);
    f->calculate_flash_point(kT, 5e5, Vl, Vl * 1.005, 0.3, y);
    EXPECT_EQ(f->errorflag, 1);
    // A volume of zero.
    f->calculate_bubble_point(kT, 0.0, Vv, 0.3, y);
    EXPECT_EQ(f->errorflag, 1);
    // One component is not a binary.
    VdWFluid pure({kA0}, {kB0}, false);
    testing::internal::CaptureStderr();
    pure.calculate_bubble_point(kT, Vl, Vv, 0.0, 0.0);
    pure.calculate_flash_point(kT, 5e5, Vl, Vv, 0.0, 0.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Works only for binary fluids\nWorks only for binary fluids\n");
    EXPECT_EQ(pure.errorflag, 1);
}

TEST(BinaryIsotherm, RunsBetweenThePureSaturationPressures) {
    auto f = makeMixture();
    const PureCoexistence c0 = pureCoexistence(kA0, kB0, kT), c1 = pureCoexistence(kA1, kB1, kT);
    // The framework's saturation pressure of pure component 1 as a second reference.
    VdWFluid pure1({kA1}, {kB1}, false);
    pure1.temperature(kT);
    pure1.Vl0 = 0.98 * c1.Vl;
    pure1.Vv0 = 1.05 * c1.Vv;
    pure1.calculate_saturation_pressure();
    ASSERT_EQ(pure1.errorflag, 0);
    EXPECT_LT(rel(pure1.P, c1.P), 1e-8);

    // From pure component 0 through the console entry ("bino" + suffix).
    f->Vl0 = c0.Vl;
    f->Vv0 = c0.Vv;
    f->calculateTheBinaryIsotherm(kT, "_t");
    std::ifstream in("bino_t");
    std::string l;
    std::getline(in, l);
    EXPECT_EQ(l, "IGOR");
    std::getline(in, l);
    EXPECT_EQ(l.rfind("WAVES     T_t           P_t         xl0_t         xl1_t", 0), 0u) << l;
    EXPECT_EQ(l.substr(l.size() - 26), "       hvm_t           i_t");
    const auto rows = readTextRows("bino_t");
    // |dP/dx| > 1e6 Pa: steps of 1 bar.
    ASSERT_GT(rows.size(), 15u);
    EXPECT_EQ(rows.front().size(), 19u);
    EXPECT_EQ(rows.front()[3], 0.0);
    EXPECT_LT(rel(rows.front()[1], c0.P * 1e-5), 1e-6);  // 6 digits in the file
    EXPECT_EQ(rows.back()[3], 1.0);
    EXPECT_EQ(rows.back()[5], 1.0);
    EXPECT_LT(rel(rows.back()[1], c1.P * 1e-5), 1e-6);
    EXPECT_LT(rel(rows.back()[1], pure1.P * 1e-5), 1e-6);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_EQ(rows[k][18], static_cast<double>(k));
        EXPECT_EQ(rows[k][0], kT);
        EXPECT_NEAR(rows[k][2] + rows[k][3], 1.0, 1e-6);
        if (k > 0) {
            EXPECT_GT(rows[k][3], rows[k - 1][3]);
            EXPECT_LT(rows[k][1], rows[k - 1][1]);  // the bubble pressure falls toward component 1
        }
    }
}

TEST(BinaryIsotherm, PointsAreEquilibriaInEveryMode) {
    auto f = makeMixture();
    const PureCoexistence c0 = pureCoexistence(kA0, kB0, kT);
    std::vector<double> flat;
    f->calculate_an_isotherm_of_the_binary_system(nullptr, 1, 0.05, 1.0, 10000.0, kT, c0.Vl, c0.Vv, 0.0, 0.0, 6,
                                                  nullptr, &flat);
    ASSERT_EQ(flat.size() % 19, 0u);
    ASSERT_GE(flat.size() / 19, 21u);
    for (std::size_t k = 0; k < flat.size(); k += 19) {
        const double* r = &flat[k];
        expectEquilibrium(kT, r[6] * 1e-6, r[7] * 1e-6, r[3], r[5]);
        EXPECT_LT(rel(r[1] * 1e5, mix.P(kT, r[7] * 1e-6, r[5])), 1e-9);
        const double Ml = (1 - r[3]) * 0.044 + r[3] * 0.058;
        EXPECT_LT(rel(r[8], Ml / (r[6] * 1e-6)), 1e-12);
        EXPECT_LT(rel(r[16], r[12] / Ml), 1e-12);
    }
    // From pure component 1 toward component 0 the pressure rises; the trace
    // stops before the first point above the limit.
    const PureCoexistence c1 = pureCoexistence(kA1, kB1, kT);
    const double Pmax = 0.5 * (c0.P + c1.P) * 1e-5;
    std::vector<double> limited;
    f->calculate_an_isotherm_of_the_binary_system(nullptr, 1, -0.05, -1.0, Pmax, kT, c1.Vl, c1.Vv, 1.0, 1.0, 6,
                                                  nullptr, &limited);
    ASSERT_GE(limited.size(), 3 * 19u);
    EXPECT_EQ(limited[3], 1.0);
    EXPECT_LT(rel(limited[1], c1.P * 1e-5), 1e-8);
    EXPECT_LE(limited[limited.size() - 19 + 1], Pmax);  // no point above the limit is written
    EXPECT_LT(limited[limited.size() - 2 * 19 + 1], Pmax);
}

TEST(BinaryIsotherm, ACriticalPointAboveTheHighestPressureDoesNotEndTheTrace) {
    // At 320 K, between the components' critical temperatures, the isotherm
    // from pure component 1 rises to its critical point, where the mixture
    // of the closed form's critical temperature 320 K is critical.  With the
    // highest pressure just below it, the trace ends at that pressure: no
    // row above it, and no critical row (the critical point lies outside
    // the trace's window).  Without a limit it ends on the critical point.
    constexpr double T = 320.0;
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 60; i++) {
        const double mid = 0.5 * (lo + hi);
        (mix.critical(mid).T < T ? lo : hi) = mid;
    }
    const VdWMixture::Critical c = mix.critical(0.5 * (lo + hi));
    ASSERT_LT(std::fabs(c.T - T), 1e-6);
    const PureCoexistence c1 = pureCoexistence(kA1, kB1, T);
    for (double limit : {0.999 * c.P * 1e-5, 10000.0}) {
        auto f = makeMixture();
        std::vector<double> rows;
        f->calculate_an_isotherm_of_the_binary_system(nullptr, 1, -0.02, -1.0, limit, T, c1.Vl, c1.Vv, 1.0, 1.0, 6,
                                                      nullptr, &rows);
        ASSERT_GE(rows.size(), 10 * 19u) << limit;
        const double* last = &rows[rows.size() - 19];
        // (The last row lies on the limit, to the rounding of its vapour's pressure.)
        for (std::size_t k = 0; k < rows.size(); k += 19) EXPECT_LE(rows[k + 1], limit * (1.0 + 1e-12)) << limit;
        if (limit < 1000.0) {
            EXPECT_NEAR(last[1], limit, 1e-9 * limit);  // the last step lands on the limit
            EXPECT_GT(last[7], last[6] * (1.0 + 1e-4));  // two distinct phases
        } else {
            EXPECT_LT(rel(last[1] * 1e5, c.P), 1e-6);
            EXPECT_EQ(last[3], last[5]);
        }
    }
}

TEST(BinaryIsotherm, FromAPressureJoinsBothHalves) {
    auto f = makeMixture();
    bubbleAt(*f, 0.5);
    const double P = f->P;
    // The start of the flash: the stored volumes and compositions.
    f->calculateTheBinaryIsothermFromP(kT, P * 1e-5, "_p");
    std::ifstream in("binop_p");
    std::string l;
    std::getline(in, l);
    EXPECT_EQ(l, "IGOR");
    std::getline(in, l);
    EXPECT_EQ(l.rfind("WAVES     T_p            P_p         xl0_p", 0), 0u) << l;
    std::getline(in, l);
    EXPECT_EQ(l, "BEGIN");
    const auto rows = readTextRows("binop_p");
    ASSERT_GT(rows.size(), 15u);
    EXPECT_EQ(rows.front()[3], 0.0);
    EXPECT_EQ(rows.back()[3], 1.0);
    int starts = 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (rows[k][18] == 0.0) {
            ++starts;
            EXPECT_NEAR(rows[k][3], 0.5, 1e-6);
        }
        if (k > 0) {
            EXPECT_GE(rows[k][3], rows[k - 1][3]);
        }
    }
    EXPECT_EQ(starts, 1);  // the start point ends one half and begins the other: written once
}

TEST(BinaryIsotherm, FailedStartAndNonBinaryModels) {
    auto f = makeMixture();
    testing::internal::CaptureStderr();
    f->calculate_an_isotherm_of_the_binary_system("binofail", 1, 0.01, 1.0, 10000.0, kT, 5e-5, 4.9e-5, 0.0, 0.0, 1,
                                                  nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't find a starting point for the isotherm\n");
    const auto rows = readTextRows("binofail");
    EXPECT_TRUE(rows.empty());
    VdWFluid pure({kA0}, {kB0}, false);
    pure.calculate_an_isotherm_of_the_binary_system("binopure", 1, 0.01, 1.0, 10000.0, kT, 5e-5, 1e-3, 0.0, 0.0, 1,
                                                    nullptr);
    EXPECT_FALSE(std::ifstream("binopure").good());
}

TEST(BinaryIsotherm, AboveTheLighterComponentsCriticalPointEndsNearTheMixtureCriticalPoint) {
    // At 330 K component 0 is supercritical (304 K): from pure component 1
    // the bubble and dew branches close at the mixture's critical point.
    const double T = 330.0;
    auto f = makeMixture();
    const PureCoexistence c1 = pureCoexistence(kA1, kB1, T);
    std::vector<double> flat;
    testing::internal::CaptureStdout();
    f->calculate_an_isotherm_of_the_binary_system(nullptr, 1, -0.01, -1.0, 10000.0, T, c1.Vl, c1.Vv, 1.0, 1.0, 6,
                                                  nullptr, &flat);
    testing::internal::GetCapturedStdout();
    ASSERT_GT(flat.size() / 19, 10u);
    const double* last = &flat[flat.size() - 19];
    // The critical composition at 330 K from the closed form (bisection in x).
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 60; i++) {
        const double mid = 0.5 * (lo + hi);
        (mix.critical(mid).T < T ? lo : hi) = mid;
    }
    const VdWMixture::Critical c = mix.critical(0.5 * (lo + hi));
    EXPECT_NEAR(last[3], 0.5 * (lo + hi), 0.02);
    EXPECT_NEAR(last[5], last[3], 0.03);           // the two phases nearly alike
    EXPECT_NEAR(last[1], c.P * 1e-5, 0.02 * c.P * 1e-5);
    for (std::size_t k = 0; k < flat.size(); k += 19) {
        const double* r = &flat[k];
        expectEquilibrium(T, r[6] * 1e-6, r[7] * 1e-6, r[3], r[5], 1e-8);
    }
}

TEST(BinaryIsotherm, SameCurveWhateverTheOrderOfTheComponentsAndNoRepeatedRows) {
    // At 330 K component "0" (Tc 304 K) is supercritical: the isotherm starts
    // from the other component's saturation in either order and closes near
    // the mixture's critical point without repeating a row.
    const double T = 330.0;
    const PureCoexistence c1 = pureCoexistence(kA1, kB1, T);
    auto direct = makeMixture();
    auto swapped = std::make_unique<VdWFluid>(std::vector<double>{kA1, kA0}, std::vector<double>{kB1, kB0}, false);
    swapped->molar_mass = {0.058, 0.044};
    const VdWMixture mirror{kA1, kA0, kB1, kB0};
    std::vector<std::vector<double>> curves[2];
    for (int order : {0, 1}) {
        FluidPhase& f = order == 0 ? static_cast<FluidPhase&>(*direct) : *swapped;
        const std::string sfx = order == 0 ? "_od" : "_os";
        // The model has no saturation estimate of its own: the start volumes
        // are those of the subcritical component, as a caller gives them.
        f.component_names = order == 0 ? std::vector<std::string>{"A", "B"} : std::vector<std::string>{"B", "A"};
        f.Vl0 = c1.Vl;
        f.Vv0 = c1.Vv;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        f.calculateTheBinaryIsotherm(T, sfx.c_str());
        testing::internal::GetCapturedStdout();
        // Its two ends said, and nothing else: the saturation of the
        // heavier component and the critical point.
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.rfind("Isotherm at 330 K: a branch of the isotherm ends at the saturation of pure B", 0), 0u)
            << order << said;
        EXPECT_NE(said.find("\nIsotherm at 330 K: a branch of the isotherm ends at its critical point"),
                  std::string::npos)
            << order << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << order << said;
        curves[order] = readTextRows("bino" + sfx);
        const auto& rows = curves[order];
        ASSERT_GT(rows.size(), 10u) << order;
        // The heavier component's end: its exact coexistence.
        EXPECT_EQ(rows.front()[order == 0 ? 3 : 2], 1.0);
        EXPECT_LT(rel(rows.front()[1], c1.P * 1e-5), 1e-6);
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const auto& r = rows[k];
            for (int c = 2; c <= 5; ++c) EXPECT_TRUE(r[c] >= 0.0 && r[c] <= 1.0) << k;
            EXPECT_NEAR(r[2] + r[3], 1.0, 2e-6);
            EXPECT_NEAR(r[4] + r[5], 1.0, 2e-6);
            // Equal pressures and fugacities by the closed forms, to the file's six digits.
            const VdWMixture& m = order == 0 ? mix : mirror;
            const double Vl = r[6] * 1e-6, Vv = r[7] * 1e-6, P = r[1] * 1e5;
            EXPECT_LT(rel(m.P(T, Vl, r[3]), P), 1e-4) << k;
            EXPECT_LT(rel(m.P(T, Vv, r[5]), P), 1e-4) << k;
            if (k > 0) {
                const auto& q = rows[k - 1];
                EXPECT_FALSE(q[1] == r[1] && q[3] == r[3] && q[5] == r[5]) << "row " << k << " repeats";
            }
        }
    }
    // The same bubble pressure at the same mole fraction of the lighter
    // component, interpolated along the other order's curve.
    const auto& a = curves[0];
    const auto& b = curves[1];
    int compared = 0;
    for (const auto& r : a) {
        const double z = r[3];  // heavier component's fraction (column xl1 here, xl0 there)
        for (std::size_t k = 1; k < b.size(); ++k) {
            const double z0 = b[k - 1][2], z1 = b[k][2];
            if (!((z0 - z) * (z1 - z) <= 0.0) || z0 == z1 || z < 0.3) continue;
            const double Pb = b[k - 1][1] + (z - z0) / (z1 - z0) * (b[k][1] - b[k - 1][1]);
            EXPECT_LT(rel(Pb, r[1]), 2e-3) << z;
            ++compared;
            break;
        }
    }
    EXPECT_GT(compared, 5);
    // Both close near the closed-form critical point at 330 K.
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 60; i++) {
        const double mid = 0.5 * (lo + hi);
        (mix.critical(mid).T < T ? lo : hi) = mid;
    }
    const VdWMixture::Critical c = mix.critical(0.5 * (lo + hi));
    EXPECT_NEAR(a.back()[1], c.P * 1e-5, 0.01 * c.P * 1e-5);
    EXPECT_NEAR(b.back()[1], c.P * 1e-5, 0.01 * c.P * 1e-5);
}

TEST(BinaryIsotherm, CommandIsothermsStayInsideTheModelsRange) {
    // A declared range from 200 to 400 K and up to Pr, halfway between the
    // pure components' saturation pressures at 250 K: below 200 K, above
    // 400 K and above Pr nothing is printed; inside, the rows end below Pr.
    auto f = makeMixture();
    const PureCoexistence c0 = pureCoexistence(kA0, kB0, kT), c1 = pureCoexistence(kA1, kB1, kT);
    const double Pr = 0.5e-5 * (c0.P + c1.P);
    f->validity = {.Tmin = 200.0, .Tmax = 400.0, .Pmax = Pr, .source = "a test range"};
    struct Refused {
        double T, P;  // P 0: the isotherm from pure component 0
        const char* file;
    };
    for (const Refused& r : {Refused{150.0, 0.0, "bino_r1"}, Refused{450.0, 0.0, "bino_r2"},
                             Refused{150.0, 20.0, "binop_r3"}, Refused{kT, 1.1 * Pr, "binop_r4"}}) {
        std::remove(r.file);
        f->Vl0 = c0.Vl;
        f->Vv0 = c0.Vv;
        testing::internal::CaptureStderr();
        const std::string sfx = std::string(r.file).substr(std::string(r.file).find('_'));
        if (r.P == 0.0)
            f->calculateTheBinaryIsotherm(r.T, sfx.c_str());
        else
            f->calculateTheBinaryIsothermFromP(r.T, r.P, sfx.c_str());
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("The model"), std::string::npos) << r.file << err;
        EXPECT_NE(err.find("a test range"), std::string::npos) << r.file << err;
        EXPECT_TRUE(readTextRows(r.file).empty()) << r.file;
    }
    // Inside: from pure component 1 (the isotherm from component 0 starts
    // above the range) to the highest pressure of the range.
    f->Vl0 = c0.Vl;
    f->Vv0 = c0.Vv;
    const double Pin = 0.5 * (c1.P * 1e-5 + Pr);
    testing::internal::CaptureStderr();
    f->calculateTheBinaryIsothermFromP(kT, Pin, "_r5");
    // Where it ends is said: on the highest pressure of the range.
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("the two-phase region goes on above " + std::to_string(Pr).substr(0, 5)), std::string::npos)
        << said;
    const auto rows = readTextRows("binop_r5");
    ASSERT_GT(rows.size(), 5u);
    for (const auto& q : rows) {
        EXPECT_LE(q[1], Pr);
        // The vapour's pressure by the closed form, to the file's six digits.
        EXPECT_LT(rel(mix.P(kT, q[7] * 1e-6, q[5]), q[1] * 1e5), 1e-4);
    }
    EXPECT_LT(rel(rows.back()[1], c1.P * 1e-5), 1e-6);  // the pure end of component 1
}
