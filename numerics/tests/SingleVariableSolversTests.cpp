#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "numerics/Bolzano.h"
#include "numerics/Muller.h"
#include "numerics/NewtonRaphson.h"
#include "numerics/SecDic.h"
#include "numerics/SecMul.h"
#include "numerics/Secant.h"
#include "numerics/tests/ScalarSolverSetup.h"

namespace {

// Root of x^3 - 2x - 5 (Wallis' example), to 17 digits.
constexpr double kWallis = 2.0945514815423265;

class Curve : public Equation {
public:
    enum Kind { Wallis, Sqrt2, SignedSqrt, Noisy, Flat } kind = Wallis;
    double root = 2.5;
    double failLo = 1e300, failHi = -1e300;  // evaluations in (failLo, failHi) fail
    std::vector<double> seen;

    void fdf(double x, double& f, double& df) {
        seen.push_back(x);
        if (!std::isfinite(x) || (x > failLo && x < failHi)) {
            error = 1;
            f = 0.0;  // what a failing model leaves behind
            df = 1.0;
            return;
        }
        switch (kind) {
        case Wallis:
            f = x * x * x - 2 * x - 5;
            df = 3 * x * x - 2;
            break;
        case Sqrt2:
            f = x * x - 2;
            df = 2 * x;
            break;
        case SignedSqrt: {
            // f = sign(root - x) sqrt|x - root|: the Newton step from x lands on
            // 2 root - x, so the iteration cycles between two points of opposite sign.
            double d = x - root;
            f = d > 0 ? -std::sqrt(d) : std::sqrt(-d);
            df = d == 0 ? -1e300 : -0.5 / std::sqrt(std::fabs(d));
            break;
        }
        case Noisy:
            f = x + 1e9 + 1e-7 * std::sin(x * 1e3);
            df = 1.0;
            break;
        case Flat:
            f = (x - 1) * (x - 1) - 1;
            df = 2 * (x - 1);
            break;
        }
    }
    double value(double x, void*) {
        double f = 0.0, df = 0.0;
        fdf(x, f, df);
        return f;
    }
};

NewtonRaphson makeNR(Curve& c, double x0) {
    NewtonRaphson nr;
    nr.obj = &c;
    nr.fn = toEquationFn<DerivEquationFn>(&Curve::fdf);
    nr.x0 = x0;
    return nr;
}

template <class S>
S makeBracket(Curve& c, double x0, double x1) {
    return solverOn<S>(c, &Curve::value, x0, x1);
}

TEST(NewtonRaphson, ConvergesWithTheModelsDerivative) {
    Curve c;
    NewtonRaphson nr = makeNR(c, 3.0);
    EXPECT_NEAR(nr.solve(), kWallis, 1e-14);
    EXPECT_EQ(nr.status, 0);
    EXPECT_LT(nr.iter, 10);

    // The step test scales by |x0|: a root near -1e9 whose residual carries
    // noise of 1e-7 converges to the relative tolerance.
    Curve n;
    n.kind = Curve::Noisy;
    NewtonRaphson big = makeNR(n, -2e9);
    EXPECT_NEAR(big.solve(), -1e9, 1e-6);
    EXPECT_EQ(big.status, 0);
}

TEST(NewtonRaphson, FailedStartGivesNaN) {
    Curve c;
    c.failLo = 0;
    c.failHi = 10;
    NewtonRaphson nr = makeNR(c, 3.0);
    EXPECT_TRUE(std::isnan(nr.solve()));
    EXPECT_EQ(nr.status, 4);
    EXPECT_EQ(c.error, 0);
    NewtonRaphson out = makeNR(c, 30.0);
    out.bounded = 1;
    out.xmax = 20;
    EXPECT_TRUE(std::isnan(out.solve()));
    EXPECT_EQ(out.status, 3);
}

TEST(NewtonRaphson, FinishesByBisectionBetweenTwoAndThree) {
    Curve c;
    c.kind = Curve::SignedSqrt;
    NewtonRaphson nr = makeNR(c, 2.0);  // f(2) > 0, f(3) < 0, Newton cycles 2 <-> 3
    nr.itermax = 50;
    EXPECT_NEAR(nr.solve(), 2.5, 1e-8);
    EXPECT_EQ(nr.status, 0);
    for (double x : c.seen) EXPECT_TRUE(x > 2.0 - 1e-12 && x < 3.0 + 1e-12) << x;
}

TEST(NewtonRaphson, BracketEndAtZeroIsARealEnd) {
    Curve c;
    c.kind = Curve::SignedSqrt;
    c.root = 0.5;
    NewtonRaphson nr = makeNR(c, 0.0);  // cycles 0 <-> 1; the positive end is x = 0
    nr.itermax = 50;
    EXPECT_NEAR(nr.solve(), 0.5, 1e-8);
    EXPECT_EQ(nr.status, 0);
    EXPECT_TRUE(nr.hasPositiveEnd());
    EXPECT_TRUE(nr.hasNegativeEnd());
}

TEST(NewtonRaphson, FailedEvaluationNeverMovesTheBisectionBracket) {
    Curve c;
    c.kind = Curve::SignedSqrt;
    c.failLo = 2.45;  // the first midpoint, 2.5, fails
    c.failHi = 2.55;
    NewtonRaphson nr = makeNR(c, 2.0);
    nr.itermax = 50;
    nr.solve();
    EXPECT_EQ(nr.status, 4);
    EXPECT_EQ(nr.xpos, 2.0);
    EXPECT_EQ(nr.xneg, 3.0);
    EXPECT_EQ(c.error, 0);
}

TEST(NewtonRaphson, ASmallStepToAFailedEvaluationIsNoConvergence) {
    // From 1.5 every trial of the step towards sqrt 2, down to the 512th part
    // of it (1.49984), fails; that last trial lies within tol of 1.5 but is no
    // root: the search ends with the failure.
    Curve c;
    c.kind = Curve::Sqrt2;
    c.failLo = 1.0;
    c.failHi = 1.49999;
    NewtonRaphson nr = makeNR(c, 1.5);
    nr.tol = 1e-3;
    nr.solve();
    EXPECT_EQ(nr.status, 4);
    EXPECT_EQ(c.error, 0);
}

TEST(NewtonRaphson, VanishingDerivative) {
    // f = (x - 1)^2 - 1 has df/dx = 0 at x = 1: the Newton step is infinite.
    Curve c;
    c.kind = Curve::Flat;
    NewtonRaphson nr = makeNR(c, 1.0);
    nr.bounded = 1;
    nr.xmin = -10;
    nr.xmax = 10;
    nr.solve();
    EXPECT_EQ(nr.status, 3);         // +inf is above xmax, for every halved factor
    EXPECT_EQ(c.seen.size(), 1u);    // the model is never called outside its bounds
    Curve u;
    u.kind = Curve::Flat;
    NewtonRaphson free = makeNR(u, 1.0);
    free.solve();
    EXPECT_EQ(free.status, 4);       // without bounds: no non-finite value reaches the model
    for (double x : u.seen) EXPECT_TRUE(std::isfinite(x));
}

TEST(NewtonRaphson, MonotoneRejectsGrowth) {
    // From x = 0.5 the full Newton step of x^2 - 2 overshoots to 2.25 where |f|
    // is larger; the halved steps are accepted and the search converges.
    Curve c;
    c.kind = Curve::Sqrt2;
    NewtonRaphson nr = makeNR(c, 0.5);
    nr.monotone = 1;
    EXPECT_NEAR(nr.solve(), std::sqrt(2.0), 1e-12);
    EXPECT_EQ(nr.status, 0);
    ASSERT_GE(c.seen.size(), 3u);
    EXPECT_DOUBLE_EQ(c.seen[1], 2.25);
    EXPECT_DOUBLE_EQ(c.seen[2], 1.375);
}

TEST(NewtonRaphson, PlotAndDerivativeCheck) {
    Curve c;
    NewtonRaphson nr = makeNR(c, 1.0);
    ASSERT_EQ(nr.plot(0.0, 2.0, 4), 0);
    std::FILE* f = std::fopen("nr", "r");
    ASSERT_NE(f, nullptr);
    double x, y;
    int lines = 0;
    while (std::fscanf(f, "%lf %lf", &x, &y) == 2) ++lines;
    std::fclose(f);
    EXPECT_EQ(lines, 5);
    std::FILE* out = std::tmpfile();
    nr.check_derivatives(2.0, 1e-5, out);
    std::rewind(out);
    char line[128];
    ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    EXPECT_STREQ(line, "Check derivatives at 2.000000\n");
    ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    EXPECT_STREQ(line, "\tAnal. : 10  Num. : 10\n");
    std::fclose(out);
}

TEST(Muller, ConvergesOnABracket) {
    Curve c;
    // The interpolated point reaches the root within a few steps, but the
    // bracket's far end moves by halves, and the width is what is tested.
    Muller m = makeBracket<Muller>(c, 2.0, 3.0);
    EXPECT_NEAR(m.solve(), kWallis, 1e-14);
    EXPECT_EQ(m.status, kSolverIterationLimit);
    Muller more = makeBracket<Muller>(c, 2.0, 3.0);
    more.itermax = 40;
    EXPECT_NEAR(more.solve(), kWallis, 1e-14);
    EXPECT_EQ(more.status, kSolverConverged);

    Curve z;
    z.kind = Curve::Flat;  // (x - 1)^2 - 1 is exactly 0 at x = 2
    Muller onRoot = makeBracket<Muller>(z, 2.0, 3.0);
    onRoot.itermax = 40;
    EXPECT_NEAR(onRoot.solve(), 2.0, 1e-9);
    EXPECT_EQ(onRoot.status, kSolverConverged);

    Muller none = makeBracket<Muller>(c, 3.0, 4.0);
    EXPECT_EQ(none.solve(), 0.0);
    EXPECT_EQ(none.status, kSolverEvaluationFailed);

    Curve f;
    f.failLo = 3.5;
    f.failHi = 5;
    Muller failing = makeBracket<Muller>(f, 2.0, 4.0);  // f(x1) fails: no zero is assumed
    EXPECT_EQ(failing.solve(), 0.0);
    EXPECT_EQ(failing.status, kSolverEvaluationFailed);
}

TEST(Bolzano, HalvesTheBracket) {
    Curve c;
    c.kind = Curve::Sqrt2;
    Bolzano b = makeBracket<Bolzano>(c, 1.0, 2.0);
    b.solve();
    EXPECT_EQ(b.status, kSolverIterationLimit);  // about 30 halvings needed, 15 allowed
    EXPECT_EQ(b.iter, 16);

    Bolzano enough = makeBracket<Bolzano>(c, 1.0, 2.0);
    enough.itermax = 50;
    EXPECT_NEAR(enough.solve(), std::sqrt(2.0), 2e-9);
    EXPECT_EQ(enough.status, kSolverConverged);
    EXPECT_GE(enough.iter, 28);
    EXPECT_LE(enough.iter, 31);

    Bolzano none = makeBracket<Bolzano>(c, 2.0, 3.0);
    EXPECT_EQ(none.solve(), 0.0);
    EXPECT_EQ(none.status, kSolverIterationLimit);
}

template <class S>
void secantThenBracket() {
    // Both start values below the root: secant steps until a sign change, then
    // the bracket phase.
    Curve c;
    S s = makeBracket<S>(c, 1.0, 1.1);
    s.itermax = 60;
    EXPECT_NEAR(s.solve(), kWallis, 1e-8);
    EXPECT_EQ(s.status, kSolverConverged);
    EXPECT_GT(s.xpos, kWallis);
    EXPECT_LT(s.xneg, kWallis);

    // From 1.0 and 1.05 the first secant point of x^2 - 2 (1.4878) fails; the
    // halved step is taken and the failed point is never a bracket end.
    Curve e;
    e.kind = Curve::Sqrt2;
    e.failLo = 1.45;
    e.failHi = 1.6;
    S f = makeBracket<S>(e, 1.0, 1.05);
    f.itermax = 60;
    EXPECT_NEAR(f.solve(), std::sqrt(2.0), 1e-8);
    EXPECT_EQ(f.status, kSolverConverged);
    EXPECT_LT(f.xneg, std::sqrt(2.0));
    EXPECT_GT(f.xpos, std::sqrt(2.0));
    EXPECT_LT(f.xpos, 1.45);
    EXPECT_EQ(e.error, 0);
}

TEST(SecDic, SecantThenBisection) { secantThenBracket<SecDic>(); }
TEST(SecMul, SecantThenInterpolation) { secantThenBracket<SecMul>(); }
TEST(SecDic, FlatSecantEndsAsAFailure) {
    Curve c;
    c.kind = Curve::Flat;  // f(0) = f(2)
    SecDic s = makeBracket<SecDic>(c, 0.0, 2.0);
    s.solve();
    EXPECT_EQ(s.status, kSolverEvaluationFailed);
    for (double x : c.seen) EXPECT_TRUE(std::isfinite(x));
}

}  // namespace

// A flag left set on the model by an earlier failure (a call outside the
// solver) is no failure of the solver's next evaluation: every solver of one
// variable converges to Wallis' root from it.
TEST(SingleVariableSolvers, AFlagLeftByAnEarlierFailureIsNoFailureOfTheNextSolve) {
    Curve c;
    c.failLo = 0.0;
    c.failHi = 10.0;
    c.value(3.0, nullptr);  // fails, leaving the flag set
    ASSERT_EQ(c.error, 1);
    c.failLo = 1e300;
    c.failHi = -1e300;
    NewtonRaphson nr = makeNR(c, 3.0);
    EXPECT_NEAR(nr.solve(), kWallis, 1e-12);
    EXPECT_EQ(nr.status, 0);
    c.error = 1;
    Secant s = makeBracket<Secant>(c, 3.0, 3.01);
    EXPECT_NEAR(s.solve(), kWallis, 1e-9);
    EXPECT_EQ(s.status, 0);
    c.error = 1;
    Bolzano b = makeBracket<Bolzano>(c, 2.0, 3.0);
    b.itermax = 50;
    EXPECT_NEAR(b.solve(), kWallis, 2e-9);
    EXPECT_EQ(b.status, 0);
    EXPECT_EQ(c.error, 0);
}
