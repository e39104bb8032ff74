#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/Newton.h"
#include "numerics/tests/BurdenFairesSystem.h"

namespace {

struct Tag {
    virtual ~Tag() = default;
    int id = 7;
};

// Model systems; Equation sits after the virtual-table pointer of Tag, and the
// systems are virtual.
class Systems : public Tag, public Equation {
public:
    std::vector<std::vector<double>> seen;  // points of order-1 evaluations
    int calls = 0;
    bool failAll = false;
    bool wrongJacobian = false;

    // x^2 + y^2 = 4, x y = 1.
    virtual void circle(double* x, double* G, double** J, int& err, int order, void*) {
        ++calls;
        if (failAll) {
            err = 1;
            return;
        }
        G[0] = x[0] * x[0] + x[1] * x[1] - 4;
        G[1] = x[0] * x[1] - 1;
        if (order >= 1) {
            J[0][0] = 2 * x[0];
            J[0][1] = 2 * x[1];
            J[1][0] = x[1];
            J[1][1] = wrongJacobian ? 2 * x[0] : x[0];
        }
    }
    // Burden and Faires' system with the solution (0.5, 0, -pi/6).
    virtual void trig(double* x, double* G, double** J, int&, int order, void*) {
        ++calls;
        burdenFairesSystem(x, G, J, order);
    }
    // g_i = x_i - target_i, recording each point.
    std::vector<double> target{10.0, 10.0};
    void linear(double* x, double* G, double** J, int&, int order, void*) {
        ++calls;
        int n = static_cast<int>(target.size());
        if (order >= 1) seen.emplace_back(x, x + n);
        for (int i = 0; i < n; ++i) {
            G[i] = x[i] - target[i];
            if (order >= 1)
                for (int j = 0; j < n; ++j) J[i][j] = i == j ? 1.0 : 0.0;
        }
    }
    // x^3: a triple root, approached linearly (x -> 2x/3 per step).
    void cube(double* x, double* G, double** J, int&, int order, void*) {
        G[0] = x[0] * x[0] * x[0];
        if (order >= 1) J[0][0] = 3 * x[0] * x[0];
    }
    // atan x: the full Newton step from x = 2 overshoots to where the scaled
    // residual is larger.
    void arctan(double* x, double* G, double** J, int&, int order, void*) {
        if (order >= 1) seen.emplace_back(x, x + 1);
        G[0] = std::atan(x[0]);
        if (order >= 1) J[0][0] = 1.0 / (1.0 + x[0] * x[0]);
    }
    // Two identical equations: a singular Jacobian.
    void twin(double* x, double* G, double** J, int&, int order, void*) {
        G[0] = x[0] - x[1] - 1;
        G[1] = 2 * (x[0] - x[1] - 1) + 0.5;
        if (order >= 1) {
            J[0][0] = 1;
            J[0][1] = -1;
            J[1][0] = 2;
            J[1][1] = -2;
        }
    }
};

const SysEquationFn kCircle = toEquationFn<SysEquationFn>(&Systems::circle);
const SysEquationFn kTrig = toEquationFn<SysEquationFn>(&Systems::trig);
const SysEquationFn kLinear = toEquationFn<SysEquationFn>(&Systems::linear);

TEST(Newton, SolvesTwoUnknownsWithTheAnalyticJacobian) {
    Systems s;
    Newton nw;
    nw._setSysEquationToSolve(&s, kCircle, 2);
    nw.x[0] = 2.0;
    nw.x[1] = 0.3;
    EXPECT_NE(nw.solve(), 0);
    EXPECT_EQ(nw.status, 0);
    // x + y = sqrt 6, x - y = sqrt 2.
    EXPECT_NEAR(nw.x[0], (std::sqrt(6.0) + std::sqrt(2.0)) / 2, 1e-12);
    EXPECT_NEAR(nw.x[1], (std::sqrt(6.0) - std::sqrt(2.0)) / 2, 1e-12);
}

TEST(Newton, SolvesThreeUnknownsAnalyticallyAndNumerically) {
    for (int numerical : {0, 1}) {
        Systems s;
        Newton nw;
        nw._setSysEquationToSolve(&s, kTrig, 3);
        nw.numericalJacobian = static_cast<std::int8_t>(numerical);
        for (int i = 0; i < 3; ++i) nw.h[i] = 1e-7;
        nw.x[0] = 0.1;
        nw.x[1] = 0.1;
        nw.x[2] = -0.1;
        nw.solve();
        EXPECT_EQ(nw.status, 0) << numerical;
        EXPECT_NEAR(nw.x[0], 0.5, 1e-10);
        EXPECT_NEAR(nw.x[1], 0.0, 1e-10);
        EXPECT_NEAR(nw.x[2], -M_PI / 6, 1e-10);
        EXPECT_LT(nw.iter, 15);
    }
}

TEST(Newton, DampingHalvesAStepThatRaisesTheScaledResidual) {
    Systems s;
    Newton nw;
    nw._setSysEquationToSolve(&s, toEquationFn<SysEquationFn>(&Systems::arctan), 1);
    nw.x[0] = 2.0;
    nw.solve();
    EXPECT_EQ(nw.status, 0);
    EXPECT_NEAR(nw.x[0], 0.0, 1e-12);
    ASSERT_GE(s.seen.size(), 3u);
    const double full = 2.0 - std::atan(2.0) * 5.0;  // rejected: |atan| / (|atan| + 1/(1+x^2)) grows
    EXPECT_DOUBLE_EQ(s.seen[1][0], full);
    EXPECT_DOUBLE_EQ(s.seen[2][0], 2.0 + 0.5 * (full - 2.0));
}

TEST(Newton, StartAlreadySolvedConvergesInTheFirstTest) {
    Systems s;
    Newton nw;
    nw._setSysEquationToSolve(&s, kLinear, 2);
    nw.x[0] = nw.x[1] = 10.0;
    nw.solve();
    EXPECT_EQ(nw.status, 0);
    EXPECT_EQ(nw.iter, 1);
    EXPECT_EQ(s.calls, 1);
}

TEST(Newton, FailedStartEndsAfterOneEvaluation) {
    Systems s;
    s.failAll = true;
    Newton nw;
    nw._setSysEquationToSolve(&s, kCircle, 2);
    nw.x[0] = nw.x[1] = 1.0;
    nw.solve();
    EXPECT_EQ(nw.status, 1);
    EXPECT_EQ(s.calls, 1);
}

TEST(Newton, StepScaleShrinksTheWholeStep) {
    Systems s;
    s.target = {3.0, 1.5};
    Newton nw;
    nw._setSysEquationToSolve(&s, kLinear, 2);
    nw.scale[0] = 1.0;  // |dx_0| = 3 scale_0: the step shrinks by 3
    nw.solve();
    EXPECT_EQ(nw.status, 0);
    ASSERT_GE(s.seen.size(), 2u);
    EXPECT_DOUBLE_EQ(s.seen[1][0], 1.0);
    EXPECT_DOUBLE_EQ(s.seen[1][1], 0.5);
    EXPECT_DOUBLE_EQ(nw.x[0], 3.0);
}

TEST(Newton, BoundedVariableNeverReachesItsBound) {
    Systems s;
    s.target = {10.0, 1.0};
    Newton nw;
    nw._setSysEquationToSolve(&s, kLinear, 2);
    nw.bounded[0] = 1;
    nw.lo[0] = -1.0;
    nw.hi[0] = 5.0;
    nw.solve();
    EXPECT_NE(nw.status, 0);
    ASSERT_GE(s.seen.size(), 2u);
    EXPECT_DOUBLE_EQ(s.seen[1][0], 4.5);  // 90 % of the way to the bound
    EXPECT_DOUBLE_EQ(s.seen[2][0], 4.95);
    // The gap shrinks tenfold per step until it is below the rounding of 5.
    for (const auto& p : s.seen) EXPECT_LE(p[0], 5.0);
    for (std::size_t i = 1; i < s.seen.size() && i < 12; ++i) EXPECT_LT(s.seen[i][0], 5.0);
}

TEST(Newton, FailureStatuses) {
    Systems s;
    // Residual below tol but step above stepTol: status 3.
    s.target = {1.0};
    Newton three;
    three._setSysEquationToSolve(&s, kLinear, 1);
    three.tol = 1e-10;
    three.scale[0] = 1e-6;
    three.x[0] = 1.0 + 1e-11;
    three.solve();
    EXPECT_EQ(three.status, 3);
    EXPECT_EQ(three.iter, 1);

    // A triple root is approached too slowly for 25 iterations: status 1 at
    // the 26th test.
    Newton slow;
    slow._setSysEquationToSolve(&s, toEquationFn<SysEquationFn>(&Systems::cube), 1);
    slow.x[0] = 1.0;
    slow.solve();
    EXPECT_EQ(slow.status, 1);
    EXPECT_EQ(slow.iter, 26);

    // A singular Jacobian: status 1.
    Newton twin;
    twin._setSysEquationToSolve(&s, toEquationFn<SysEquationFn>(&Systems::twin), 2);
    twin.solve();
    EXPECT_EQ(twin.status, 1);
}

TEST(Newton, RebindingTakesTheNewObjectAndSize) {
    Systems a, b;
    Newton nw;
    nw._setSysEquationToSolve(&a, kCircle, 2);
    nw.tol = 1e-12;
    nw.itermax = 50;
    nw.bounded[1] = 1;
    nw.hi[1] = 3.0;
    nw._setSysEquationToSolve(&a, kCircle, 2);  // nothing changed: overrides survive
    EXPECT_EQ(nw.tol, 1e-12);
    EXPECT_EQ(nw.itermax, 50);

    nw._setSysEquationToSolve(&b, kCircle, 2);  // another object: taken, defaults back
    EXPECT_EQ(nw.obj, static_cast<Equation*>(&b));
    EXPECT_EQ(nw.tol, 1e-11);
    EXPECT_EQ(nw.itermax, 25);
    EXPECT_EQ(nw.bounded[1], 1);  // same n: the bounds stay
    nw.x[0] = 2.0;
    nw.x[1] = 0.3;
    nw.solve();
    EXPECT_EQ(nw.status, 0);
    EXPECT_GT(b.calls, 0);

    b.target = {1, 2, 3};
    nw._setSysEquationToSolve(&b, kLinear, 3);  // new size: arrays resized, bounds cleared
    EXPECT_EQ(nw.n, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(nw.bounded[i], 0);
        EXPECT_EQ(nw.scale[i], 1e4);
        EXPECT_EQ(nw.h[i], 1e-9);
    }
    nw.solve();
    EXPECT_EQ(nw.status, 0);
    EXPECT_DOUBLE_EQ(nw.x[2], 3.0);

    nw._setSysEquationToSolve(&b, kLinear, 3);
    nw.purge();
    EXPECT_EQ(nw.x, nullptr);
    EXPECT_EQ(nw.lo, nullptr);
    nw.solve();  // an unbound solver reports, never crashes
    EXPECT_EQ(nw.status, 1);
}

TEST(Newton, DerivativeCheckAgreesWithTheAnalyticJacobian) {
    Systems s;
    Newton nw;
    nw._setSysEquationToSolve(&s, kTrig, 3);
    double x[3] = {0.3, -0.2, 0.7}, h[3] = {1e-6, 1e-6, 1e-6};
    std::FILE* out = std::tmpfile();
    double worst = nw.check_derivatives(out, x, h);
    EXPECT_LT(worst, 1e-7);
    EXPECT_GE(worst, 0.0);
    EXPECT_EQ(x[0], 0.3);  // restored
    std::rewind(out);
    char line[256];
    ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    EXPECT_STREQ(line, "Analytical \n");
    std::fclose(out);

    Newton bad;
    s.wrongJacobian = true;
    bad._setSysEquationToSolve(&s, kCircle, 2);
    double y[2] = {1.0, 2.0};
    out = std::tmpfile();
    EXPECT_GT(bad.check_derivatives(out, y, nullptr), 0.1);
    std::fclose(out);
}

std::vector<std::vector<std::string>> readBlocks(const std::string& file) {
    std::ifstream in(file);
    std::vector<std::vector<std::string>> blocks(1);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) {
            if (!blocks.back().empty()) blocks.emplace_back();
        } else {
            blocks.back().push_back(line);
        }
    }
    if (blocks.back().empty()) blocks.pop_back();
    return blocks;
}

TEST(Newton, MapWritesTheGridColumns) {
    Systems s;
    Newton nw;
    nw._setSysEquationToSolve(&s, kCircle, 2);
    nw.x[0] = 9.0;
    nw.x[1] = 8.0;
    ASSERT_EQ(nw.map(0, 1, 0.0, 1.0, 0.0, 2.0, 4, 3, 0, "A"), 0);
    auto blocks = readBlocks("mapcrit" + std::string("A"));
    ASSERT_EQ(blocks.size(), 6u);  // nx = 4 is raised to 5: columns at k dx0, k = 0..5, dx0 = 1/4
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        ASSERT_EQ(blocks[k].size(), 3u);
        for (int j = 0; j < 3; ++j) {
            double a, b, res, g;
            std::istringstream(blocks[k][j]) >> a >> b >> res >> g;
            EXPECT_NEAR(a, 0.25 * k, 1e-12);
            EXPECT_NEAR(b, 1.0 * j, 1e-12);  // rising x1 in every column
            double g0 = a * a + b * b - 4, g1 = a * b - 1;
            EXPECT_NEAR(res, std::fabs(g0 + g1), 1e-6);
            EXPECT_NEAR(g, k % 2 ? std::fabs(g0) : g0, 1e-6);
        }
    }
    EXPECT_EQ(nw.x[0], 9.0);  // the other values are given back
    EXPECT_EQ(nw.x[1], 8.0);

    ASSERT_EQ(nw.map(0, 1, 0.0, 1.0, 0.0, 2.0, 3, 2, 1, "B"), 0);
    std::ifstream igor("mapcritB");
    std::string first, waves;
    std::getline(igor, first);
    std::getline(igor, waves);
    EXPECT_EQ(first, "IGOR");
    EXPECT_EQ(waves, "WAVES x0B x1B resB fB");
    auto ib = readBlocks("mapcritB");
    ASSERT_EQ(ib.size(), 5u);  // nx = 3: dx0 = 1/2, 4 columns, then "END"
    EXPECT_EQ(ib.back(), std::vector<std::string>{"END"});
    EXPECT_EQ(ib[3].front().substr(0, 8), "1.500000");
    EXPECT_EQ(nw.map(0, 1, 0, 1, 0, 1, 1, 5, 0, "C"), -1);  // nothing below 2 x 2
    EXPECT_EQ(nw.map(0, 1, 0, 1, 0, 1, 2, 2, 2, ""), 0);
    std::ifstream gp("g60.gp");
    EXPECT_TRUE(gp.good());
}

}  // namespace
