// The derivative kit against closed forms: powers (integer, half-integer,
// negative and real exponents, and their limits at zero), compositions,
// products and exp, to the fourth order, in double and long double.
#include "numerics/Jet.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using univariate::Jet;

// d^k/dx^k of c x^p, written out.
double powerDerivative(double c, double x, double p, int k)
{
    double coef = c;
    for (int i = 0; i < k; ++i)
        coef *= p - i;
    return coef * std::pow(x, p - k);
}

}  // namespace

TEST(DerivativeKit, PowersAgainstTheirDerivativesAndLimitsAtZero)
{
    for (double p : {0.0, 1.0, 2.0, 7.0, 15.0, 0.5, 2.5, -0.5, -1.0, -3.0, 0.375, 10.0 / 3.0})
        for (double x : {0.03, 0.9, 1.0, 2.7}) {
            const Jet<4> j = univariate::power<4>(1.7, x, p);
            for (int k = 0; k <= 4; ++k) {
                const double e = powerDerivative(1.7, x, p, k);
                EXPECT_NEAR(j.f[k], e, 1e-14 * std::fabs(e) + 1e-300) << p << " " << x << " " << k;
            }
        }
    // At zero each order is its limit: zero below the power, the power's
    // factorial at it, infinite above it (|x|^(10/3): finite to the third order).
    const Jet<4> cube = univariate::power<4>(2.0, 0.0, 3.0);
    EXPECT_EQ(cube.f[0], 0.0);
    EXPECT_EQ(cube.f[2], 0.0);
    EXPECT_EQ(cube.f[3], 12.0);
    EXPECT_EQ(cube.f[4], 0.0);
    const Jet<4> q = univariate::power<4>(1.0, 0.0, 10.0 / 3.0);
    EXPECT_EQ(q.f[3], 0.0);
    EXPECT_TRUE(std::isinf(q.f[4]));
    // Negative x with an integer exponent.
    const Jet<4> n = univariate::power<4>(1.0, -2.0, 3.0);
    EXPECT_EQ(n.f[0], -8.0);
    EXPECT_EQ(n.f[1], 12.0);
    EXPECT_EQ(n.f[2], -12.0);
    EXPECT_EQ(n.f[3], 6.0);
}

// f(x) = x^2.5 exp(-x^3) and g(x) = ln(1 + x^2) composed with u(x) = 1/x:
// the kit's product, exp and compose against the derivatives written out.
TEST(DerivativeKit, ProductsCompositionsAndExpAgainstClosedForms)
{
    for (double x : {0.4, 1.0, 1.9}) {
        const Jet<4> p = univariate::power<4>(1.0, x, 2.5);
        Jet<4> u = univariate::power<4>(-1.0, x, 3.0);
        const Jet<4> f = univariate::product(p, univariate::exponential(u));
        // f' = f (2.5/x - 3x^2), f'' = f [(2.5/x - 3x^2)^2 - 2.5/x^2 - 6x].
        const double F = std::pow(x, 2.5) * std::exp(-x * x * x);
        const double a = 2.5 / x - 3 * x * x, a1 = -2.5 / (x * x) - 6 * x, a2 = 5 / (x * x * x) - 6;
        const double a3 = -15 / (x * x * x * x);
        const double d1 = F * a, d2 = F * (a * a + a1), d3 = F * (a * a * a + 3 * a * a1 + a2);
        const double d4 = F * (a * a * a * a + 6 * a * a * a1 + 3 * a1 * a1 + 4 * a * a2 + a3);
        const double e[5] = {F, d1, d2, d3, d4};
        for (int k = 0; k <= 4; ++k)
            EXPECT_NEAR(f.f[k], e[k], 1e-13 * (std::fabs(e[k]) + F)) << x << " " << k;

        // g(u(x)) = ln(1 + 1/x^2), g(u) = ln(1 + u^2) with its derivatives at u = 1/x.
        const double v = 1 / x, w = 1 + v * v;
        Jet<4> g;
        g.f[0] = std::log(w);
        g.f[1] = 2 * v / w;
        g.f[2] = 2 * (1 - v * v) / (w * w);
        g.f[3] = 4 * v * (v * v - 3) / (w * w * w);
        g.f[4] = -12 * (v * v * v * v - 6 * v * v + 1) / (w * w * w * w);
        const Jet<4> h = univariate::compose(g, univariate::power<4>(1.0, x, -1.0));
        // h(x) = ln(1 + x^2) - 2 ln x.
        const double y = 1 + x * x;
        const double hx[5] = {std::log(y) - 2 * std::log(x), 2 * x / y - 2 / x,
                              2 * (1 - x * x) / (y * y) + 2 / (x * x),
                              4 * x * (x * x - 3) / (y * y * y) - 4 / (x * x * x),
                              -12 * (x * x * x * x - 6 * x * x + 1) / (y * y * y * y) + 12 / (x * x * x * x)};
        for (int k = 0; k <= 4; ++k)
            EXPECT_NEAR(h.f[k], hx[k], 1e-13 * (std::fabs(hx[k]) + 1)) << x << " " << k;
    }
    // The same arithmetic in long double, third order: (x - 1)^2 exp(x) at x = 2.
    using L = univariate::Jet<3, long double>;
    const L x = L::variable(2.0L);
    const L r = (x - 1.0L) * (x - 1.0L) * exp(x);
    const long double e2 = std::exp(2.0L);
    EXPECT_NEAR(static_cast<double>(r.f[0] / e2), 1.0, 1e-17);
    EXPECT_NEAR(static_cast<double>(r.f[1] / e2), 3.0, 1e-17);  // (x^2 - 1) e^x
    EXPECT_NEAR(static_cast<double>(r.f[2] / e2), 7.0, 1e-17);  // (x^2 + 2x - 1) e^x
    EXPECT_NEAR(static_cast<double>(r.f[3] / e2), 13.0, 1e-17);  // (x^2 + 4x + 1) e^x
}
