#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "numerics/Integrator.h"

namespace {

struct Tag {
    virtual ~Tag() = default;
    int id = 3;
};

// Integrands; Equation sits after the virtual-table pointer of Tag.
class Integrands : public Tag, public Equation {
public:
    int power = 0;
    int calls = 0;
    double failAbove = 1e300;  // points above this fail
    void* seenData = nullptr;

    double monomial(double x, void*) {
        ++calls;
        return std::pow(x, power);
    }
    virtual double exponential(double x, void* data) {
        ++calls;
        seenData = data;
        if (x > failAbove) {
            error = 1;
            return 1e300;  // ignored by the rule
        }
        return std::exp(x);
    }
};

// A derived model overriding the virtual integrand: the binding dispatches on
// the dynamic type.
class Doubled : public Integrands {
public:
    double exponential(double x, void* data) override { return 2.0 * Integrands::exponential(x, data); }
};

double monomialIntegral(int k, double a, double b) {
    return (std::pow(b, k + 1) - std::pow(a, k + 1)) / (k + 1);
}

template <class Rule>
double integrate(Integrands& f, ScalarEquationFn fn, double a, double b, void* data = nullptr) {
    std::unique_ptr<Integrator> rule = std::make_unique<Rule>();
    rule->obj = &f;
    rule->fn = fn;
    rule->data = data;
    rule->a = a;
    rule->b = b;
    return rule->calculate();
}

const ScalarEquationFn kMonomial = toEquationFn<ScalarEquationFn>(&Integrands::monomial);
const ScalarEquationFn kExponential = toEquationFn<ScalarEquationFn>(&Integrands::exponential);

}  // namespace

TEST(Quadrature, GaussRulesArePolynomialExactToTheirDegree) {
    Integrands f;
    const double a = -0.4, b = 1.3;
    for (int k = 0; k <= 19; ++k) {
        f.power = k;
        const double exact = monomialIntegral(k, a, b);
        // Nodes and weights to double precision: exact to rounding.
        EXPECT_NEAR(integrate<Gauss10>(f, kMonomial, a, b), exact, 1e-14 * std::max(1.0, std::fabs(exact)))
            << "Gauss10, degree " << k;
    }
    for (int k = 0; k <= 39; ++k) {
        f.power = k;
        const double exact = monomialIntegral(k, a, b);
        EXPECT_NEAR(integrate<Gauss20>(f, kMonomial, a, b), exact, 1e-14 * std::max(1.0, std::fabs(exact)))
            << "Gauss20, degree " << k;
    }
    // Degree 20 is beyond the 10-point rule: its error on [-1, 1] is
    // 2^21 (10!)^4 / (21 (20!)^2) = 2.925e-6 (too small).
    f.power = 20;
    EXPECT_NEAR(2.0 / 21.0 - integrate<Gauss10>(f, kMonomial, -1.0, 1.0), 2.92559033073759e-6, 1e-15);
    EXPECT_NEAR(integrate<Gauss20>(f, kMonomial, -1.0, 1.0), 2.0 / 21.0, 1e-15);
    // x^2 - 2 on [0, 1]: -5/3 to the last digits.
    f.power = 2;
    const double square = integrate<Gauss10>(f, kMonomial, 0.0, 1.0);
    f.power = 0;
    EXPECT_NEAR(square - 2.0 * integrate<Gauss10>(f, kMonomial, 0.0, 1.0), -5.0 / 3.0, 1e-15);
}

TEST(Quadrature, ConstantsAndPointCounts) {
    Integrands f;
    f.power = 0;
    // f = 1 on [0, 2] gives twice the sum of the five weights.
    EXPECT_NEAR(integrate<Gauss10>(f, kMonomial, 0.0, 2.0), 2.0, 1e-15);
    EXPECT_EQ(f.calls, 10);
    f.calls = 0;
    EXPECT_NEAR(integrate<Gauss20>(f, kMonomial, 0.0, 2.0), 2.0, 1e-15);
    EXPECT_EQ(f.calls, 20);
    f.calls = 0;
    EXPECT_NEAR(integrate<Trapezoidal>(f, kMonomial, 0.0, 2.0), 2.0, 1e-14);
    EXPECT_EQ(f.calls, 51);
    // Reversed bounds change the sign.
    f.power = 3;
    EXPECT_NEAR(integrate<Gauss10>(f, kMonomial, 2.0, -1.0), -monomialIntegral(3, -1.0, 2.0), 1e-9);
    EXPECT_NEAR(integrate<Trapezoidal>(f, kMonomial, 1.5, 1.5), 0.0, 0.0);
}

TEST(Quadrature, ExponentialThroughAVirtualMemberFunction) {
    Integrands f;
    int token = 0;
    const double exact = std::exp(1.0) - 1.0;
    // (The rules' own error on e^x is far below rounding here.)
    EXPECT_NEAR(integrate<Gauss10>(f, kExponential, 0.0, 1.0, &token), exact, 4e-16 * exact);
    EXPECT_EQ(f.seenData, &token);
    EXPECT_NEAR(integrate<Gauss20>(f, kExponential, 0.0, 1.0), exact, 4e-16 * exact);
    const double wide = std::exp(2.0) - std::exp(-3.0);
    EXPECT_NEAR(integrate<Gauss20>(f, kExponential, -3.0, 2.0), wide, 4e-16 * wide);
    // Trapezoidal with 50 intervals: the Euler-Maclaurin error
    // h^2/12 (f'(b) - f'(a)) with h = 1/50, plus a term of order h^4.
    const double h = 1.0 / 50.0;
    EXPECT_NEAR(integrate<Trapezoidal>(f, kExponential, 0.0, 1.0) - exact, h * h / 12.0 * (std::exp(1.0) - 1.0),
                1e-9);
    EXPECT_EQ(f.error, 0);

    Doubled g;
    EXPECT_NEAR(integrate<Gauss10>(g, kExponential, 0.0, 1.0), 2.0 * exact, 4e-16 * exact);
}

TEST(Quadrature, FailedPointsCountAsZeroAndLeaveTheFlagForTheCallerOnly) {
    Integrands f;
    f.failAbove = -1.0;  // every point fails
    EXPECT_EQ(integrate<Gauss10>(f, kExponential, 0.0, 1.0), 0.0);
    EXPECT_NE(f.error, 0);

    // Trapezoidal evaluates a, then b, then the interior: a failure at b makes
    // every later point count as 0, leaving f(a)/2 times the step.
    Integrands g;
    g.failAbove = 0.5;
    EXPECT_NEAR(integrate<Trapezoidal>(g, kExponential, 0.0, 1.0), 0.5 * 1.0 / 50.0, 1e-15);
    EXPECT_NE(g.error, 0);

    // A flag left set by an earlier failure on the object is no failure of
    // the next integral: after the failed one, each rule gives e - 1.
    const double exact = std::exp(1.0) - 1.0;
    for (Integrator* rule : {static_cast<Integrator*>(new Gauss10), static_cast<Integrator*>(new Gauss20),
                             static_cast<Integrator*>(new Trapezoidal)}) {
        std::unique_ptr<Integrator> owned(rule);
        Integrands k;
        k.failAbove = -1.0;
        EXPECT_EQ(integrate<Gauss10>(k, kExponential, 0.0, 1.0), 0.0);
        ASSERT_NE(k.error, 0);
        k.failAbove = 1e300;
        rule->obj = &k;
        rule->fn = kExponential;
        rule->a = 0.0;
        rule->b = 1.0;
        EXPECT_NEAR(rule->calculate(), exact, 2e-4 * exact);
        EXPECT_EQ(k.error, 0);
    }
}

TEST(Quadrature, UnboundIntegrandIsNotANumber) {
    Gauss10 g;
    g.a = 0.0;
    g.b = 1.0;
    EXPECT_TRUE(std::isnan(g.calculate()));
    Trapezoidal t;
    EXPECT_EQ(t.a, -1e15);
    EXPECT_EQ(t.b, 1e15);
    EXPECT_TRUE(std::isnan(t.calculate()));
}
