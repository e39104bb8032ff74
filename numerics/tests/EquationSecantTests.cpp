#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "numerics/Secant.h"
#include "numerics/tests/ScalarSolverSetup.h"

namespace {

// A polymorphic model whose Equation base is not its first base: the bound
// member functions must be called on the whole object, not on the Equation part.
struct Header {
    virtual ~Header() = default;
    double padding[3] = {1, 2, 3};
};

class Model : public Header, public Equation {
public:
    double target = 2.0;
    int calls = 0;
    std::vector<double> seen;
    double failAbove = 1e300;

    virtual double residual(double x, void* data) {
        ++calls;
        seen.push_back(x);
        if (!std::isfinite(x) || x > failAbove) {
            error = 1;
            return 12345.0;
        }
        double shift = data ? *static_cast<double*>(data) : 0.0;
        return x * x - target + shift;
    }
    double constant(double x, void*) {
        ++calls;
        seen.push_back(x);
        return 3.0;
    }
    std::vector<double> typed;
    void record(double v) { typed.push_back(v); }
};

class CubeModel : public Model {
public:
    double residual(double x, void*) override {
        ++calls;
        return x * x * x - target;
    }
};

Secant makeSecant(Model& m, double x0, double x1) { return solverOn<Secant>(m, &Model::residual, x0, x1); }

TEST(Equation, BindsThroughABaseThatIsNotFirstAndDispatchesVirtually) {
    Model m;
    Equation* e = &m;
    ASSERT_NE(static_cast<void*>(e), static_cast<void*>(&m));  // Equation sits after the vtable
    auto fn = toEquationFn<ScalarEquationFn>(&Model::residual);
    double shift = 1.0;
    EXPECT_DOUBLE_EQ((e->*fn)(3.0, &shift), 8.0);
    EXPECT_EQ(m.calls, 1);

    CubeModel c;
    Equation* ec = &c;
    EXPECT_DOUBLE_EQ((ec->*fn)(3.0, nullptr), 25.0);  // the override is called

    Secant s;
    s.obj = &c;
    s.fn = fn;
    s.x0 = 1.0;
    s.x1 = 1.00001;
    EXPECT_NEAR(s.solve(), std::cbrt(2.0), 1e-9);
    EXPECT_EQ(s.status, kSolverConverged);
}

std::FILE* input(const char* text) {
    std::FILE* f = std::tmpfile();
    std::fputs(text, f);
    std::rewind(f);
    return f;
}

TEST(Equation, AskCalculateStopsAtZeroEndOfInputOrBadText) {
    struct Case {
        const char* in;
        std::vector<double> expected;
    } cases[] = {
        {"3\n-2.5\n0\n7\n", {3, -2.5}},
        {"4 1e3", {4, 1000}},       // end of input
        {"4\nabc\n7\n", {4}},        // not a number
        {"4\n5x\n7\n", {4}},         // trailing garbage
        {"", {}},
    };
    for (const auto& c : cases) {
        Model m;
        std::FILE* in = input(c.in);
        std::FILE* out = std::tmpfile();
        m._askCalculate("T ? ", toEquationFn<ValueActionFn>(&Model::record), in, out);
        EXPECT_EQ(m.typed, c.expected) << c.in;
        std::fclose(in);
        std::fclose(out);
    }
    // A token longer than the read buffer ends the loop without overrunning it.
    std::string lng = "1\n" + std::string(5000, '7') + "\n2\n";
    Model m;
    std::FILE* in = input(lng.c_str());
    std::FILE* out = std::tmpfile();
    m._askCalculate("? ", toEquationFn<ValueActionFn>(&Model::record), in, out);
    EXPECT_EQ(m.typed, std::vector<double>{1});
    std::rewind(out);
    char buf[16] = {};
    ASSERT_NE(std::fgets(buf, sizeof buf, out), nullptr);
    EXPECT_STREQ(buf, "? ? ");
    std::fclose(in);
    std::fclose(out);
}

TEST(Secant, ConvergesAndPassesTheDataPointer) {
    Model m;
    Secant s = makeSecant(m, 1.0, 1.00001);
    double shift = -2.0;  // x^2 - 4
    s.data = &shift;
    double root = s.solve();
    EXPECT_EQ(s.status, kSolverConverged);
    EXPECT_NEAR(root, 2.0, 1e-9);
    EXPECT_NEAR(s.f1, 0.0, 1e-9);
    EXPECT_LE(s.iter, 15);
}

TEST(Secant, StartValueAtTheRootIsOneEvaluation) {
    Model m;
    m.target = 4.0;
    Secant s = makeSecant(m, 2.0, 3.0);
    EXPECT_EQ(s.solve(), 2.0);
    EXPECT_EQ(s.status, kSolverConverged);
    EXPECT_EQ(m.calls, 1);
}

TEST(Secant, BoundsStopTheCallback) {
    Model m;
    Secant below = makeSecant(m, -5.0, 1.0);
    below.bounded = 1;
    below.xmin = 0.0;
    below.xmax = 10.0;
    EXPECT_EQ(below.solve(), 0.0);
    EXPECT_EQ(below.status, kSolverBelowMin);
    Secant above = makeSecant(m, 11.0, 1.0);
    above.bounded = 1;
    above.xmin = 0.0;
    above.xmax = 10.0;
    EXPECT_EQ(above.solve(), 0.0);
    EXPECT_EQ(above.status, kSolverAboveMax);
    EXPECT_EQ(m.calls, 0);
    // The bounds themselves are allowed.
    Secant edge = makeSecant(m, 0.0, 10.0);
    edge.bounded = 1;
    edge.xmin = 0.0;
    edge.xmax = 10.0;
    EXPECT_NEAR(edge.solve(), std::sqrt(2.0), 1e-9);
    EXPECT_EQ(edge.status, kSolverConverged);
}

TEST(Secant, FailedCallbackGivesStatusFourAndClearsTheFlag) {
    Model m;
    m.failAbove = 1.5;
    Secant s = makeSecant(m, 1.0, 2.0);
    EXPECT_EQ(s.solve(), 0.0);
    EXPECT_EQ(s.status, kSolverEvaluationFailed);
    EXPECT_EQ(m.error, 0);
    EXPECT_EQ(m.calls, 2);
}

TEST(Secant, IterationLimit) {
    Model m;
    m.target = -1.0;  // x^2 + 1 has no real root
    Secant s = makeSecant(m, 0.5, 0.6);
    s.solve();
    EXPECT_EQ(s.status, kSolverIterationLimit);
    EXPECT_EQ(s.iter, 16);  // itermax 15 allows 16 iterations
}

TEST(Secant, MonotoneRejectsGrowthAfterSevenTries) {
    // f = x^2 + 1 from x0 = -1, x1 = 0.1: the secant points uphill beyond x1,
    // so each of the 7 damped steps (lambda = 1 .. 1/64) increases |f|.
    Model m;
    m.target = -1.0;
    Secant s = makeSecant(m, -1.0, 0.1);
    s.monotone = 1;
    s.solve();
    EXPECT_EQ(s.status, kSolverResidualGrew);
    EXPECT_EQ(m.calls, 2 + 7);
    EXPECT_EQ(s.iter, 1);
}

TEST(Secant, FlatSecantNeverHandsANonFiniteValueToTheModel) {
    Model m;
    Secant s = makeSecant(m, 1.0, 1.0);  // equal start values: f1 = f0
    double r = s.solve();
    EXPECT_EQ(s.status, kSolverEvaluationFailed);
    EXPECT_EQ(r, 1.0);
    for (double x : m.seen) EXPECT_TRUE(std::isfinite(x));

    Model c;
    Secant t;
    t.obj = &c;
    t.fn = toEquationFn<ScalarEquationFn>(&Model::constant);
    t.x0 = 1.0;
    t.x1 = 2.0;
    t.solve();
    EXPECT_EQ(t.status, kSolverEvaluationFailed);
    EXPECT_EQ(c.calls, 2);
    // With a step limit a flat secant (f(-1) = f(1)) still moves by the limit.
    Model d;
    Secant u = makeSecant(d, -1.0, 1.0);
    u.limitStep = 1;
    u.maxStep = 0.25;
    u.itermax = 50;
    EXPECT_NEAR(u.solve(), std::sqrt(2.0), 1e-9);
    EXPECT_EQ(u.status, kSolverConverged);
}

TEST(Secant, StepLimitHoldsEveryIterate) {
    Model m;
    m.target = 100.0;
    Secant s = makeSecant(m, 1.0, 1.1);
    s.limitStep = 1;
    s.maxStep = 0.5;
    s.itermax = 100;
    double root = s.solve();
    EXPECT_EQ(s.status, kSolverConverged);
    EXPECT_NEAR(root, 10.0, 1e-9);
    for (std::size_t i = 2; i < m.seen.size(); ++i)
        EXPECT_LE(std::fabs(m.seen[i] - m.seen[i - 1]), 0.5 + 1e-12);
}

TEST(Solver, PlotWritesDataAndScript) {
    Model m;
    Secant s = makeSecant(m, 1.0, 2.0);
    EXPECT_EQ(s.plot(1.0, 3.0, 4, 0), 0);  // gnuplot is switched off in tests
    std::FILE* f = std::fopen("solver.txt", "r");
    ASSERT_NE(f, nullptr);
    double x, y;
    int lines = 0;
    while (std::fscanf(f, "%lf %lf", &x, &y) == 2) {
        EXPECT_DOUBLE_EQ(x, 1.0 + 0.5 * lines);
        EXPECT_NEAR(y, x * x - 2.0, 1e-4);
        ++lines;
    }
    std::fclose(f);
    EXPECT_EQ(lines, 5);
    EXPECT_EQ(s.plot(1.0, 100.0, 2, 1), 0);
    f = std::fopen("solver.txt", "r");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fscanf(f, "%lf %lf %lf", &x, &y, &x), 3);
    EXPECT_NEAR(x, 10.0, 1e-9);
    std::fclose(f);
    EXPECT_EQ(s.plot(-1.0, 100.0, 2, 1), -1);
}

}  // namespace
