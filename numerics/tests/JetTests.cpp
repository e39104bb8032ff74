// The derivative kit against closed forms: powers (integer, half-integer,
// negative and real exponents, and their limits at zero), compositions,
// products and exp, to the fourth order, in double and long double.
#include "numerics/Jet.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        const Jet<4> f = univariate::product(p, univariate::exp(u));
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
    // b exp(c x): the k-th derivative is b c^k exp(c x).
    for (double c : {-2.5, 0.3, 1.0})
        for (double x : {-1.2, 0.0, 0.8}) {
            const Jet<4> j = univariate::exponential<4>(-1.7, c, x);
            for (int k = 0; k <= 4; ++k) {
                const double want = -1.7 * std::pow(c, k) * std::exp(c * x);
                EXPECT_NEAR(j.f[k], want, 1e-14 * std::fabs(want)) << c << " " << x << " " << k;
            }
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

namespace {

double binomial(int n, int k)
{
    double r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * (n - k + i) / i;
    return r;
}

// d^a/dx^a d^b/dy^b of exp(x y) = exp(x y) sum_k k! C(a,k) C(b,k) x^(b-k) y^(a-k).
double expOfProduct(int a, int b, double x, double y)
{
    double s = 0, fact = 1;
    for (int k = 0; k <= std::min(a, b); ++k) {
        if (k > 0)
            fact *= k;
        s += fact * binomial(a, k) * binomial(b, k) * std::pow(x, b - k) * std::pow(y, a - k);
    }
    return std::exp(x * y) * s;
}

// d^c/dz^c of exp(z^2): exp(z^2) times 1, 2z, 4z^2 + 2, 8z^3 + 12z, 16z^4 + 48z^2 + 12.
double expOfSquare(int c, double z)
{
    const double z2 = z * z;
    const double h[5] = {1, 2 * z, 4 * z2 + 2, 8 * z2 * z + 12 * z, 16 * z2 * z2 + 48 * z2 + 12};
    return std::exp(z2) * h[c];
}

}  // namespace

// Faa di Bruno's formula and Leibniz's rule at every multi-index to the fourth
// order over three variables (x, y, z), against closed forms:
// exp(u) with u = x y + z^2, and exp(x y) exp(x z) = exp(x (y + z)).
TEST(DerivativeKit, SeveralVariablesAgainstClosedForms)
{
    const double points[2][3] = {{0.7, -1.3, 0.4}, {1.6, 0.9, -1.1}};
    const int none[3] = {0, 0, 0};
    for (const auto& p : points) {
        const double x = p[0], y = p[1], z = p[2];
        // Entries by multiplicities of (x, y, z).
        auto u = [&](const int* n) {  // x y + z^2
            const int L = n[0] + n[1] + n[2];
            if (L == 0) return x * y + z * z;
            if (n[2] == 0 && n[0] <= 1 && n[1] <= 1)
                return n[0] == 1 && n[1] == 1 ? 1.0 : (n[0] == 1 ? y : x);
            if (n[0] == 0 && n[1] == 0)
                return n[2] == 1 ? 2 * z : (n[2] == 2 ? 2.0 : 0.0);
            return 0.0;
        };
        auto f = [&](const int* n) { return expOfProduct(n[0], n[1], x, y) * expOfSquare(n[2], z); };
        auto a = [&](const int* n) { return n[2] ? 0.0 : expOfProduct(n[0], n[1], x, y); };  // exp(x y)
        auto b = [&](const int* n) { return n[1] ? 0.0 : expOfProduct(n[0], n[2], x, z); };  // exp(x z)
        auto ab = [&](const int* n) { return expOfProduct(n[0], n[1] + n[2], x, y + z); };
        const double e = std::exp(u(none));
        const double A0 = a(none), B0 = b(none);
        auto close = [](double got, double want, const char* what, int i, int j, int k, int l) {
            EXPECT_NEAR(got, want, 1e-13 * (std::fabs(want) + 1)) << what << " " << i << j << k << l;
        };
        for (int i = 0; i < 3; ++i) {
            // The multiplicities of a subset of the positions (i, j, k, l) given by a bit mask.
            int idx[4] = {i, 0, 0, 0};
            auto counts = [&](int mask, int* n) {
                n[0] = n[1] = n[2] = 0;
                for (int q = 0; q < 4; ++q)
                    if (mask >> q & 1)
                        ++n[idx[q]];
            };
            auto at = [&](auto g, int mask) {
                int n[3];
                counts(mask, n);
                return g(n);
            };
            const multivariate::ChainI<double> ci(e, e, e, e, at(u, 1));
            close(ci.first(), at(f, 1), "chain", i, -1, -1, -1);
            close(multivariate::productEntry(1.0, A0, B0, at(a, 1), at(b, 1)), at(ab, 1), "product", i, -1, -1, -1);
            for (int j = 0; j <= i; ++j) {
                idx[1] = j;
                const multivariate::ChainIJ<double> cij(ci, at(u, 2), at(u, 3));
                close(cij.second(), at(f, 3), "chain", i, j, -1, -1);
                close(multivariate::productEntry(2.0, A0, B0, at(a, 1), at(b, 1), at(a, 2), at(b, 2), at(a, 3),
                                                 at(b, 3)),
                      2 * at(ab, 3), "product", i, j, -1, -1);
                for (int k = 0; k <= j; ++k) {
                    idx[2] = k;
                    const multivariate::ChainIJK<double> cijk(cij, at(u, 4), at(u, 5), at(u, 6), at(u, 7));
                    close(cijk.third, at(f, 7), "chain", i, j, k, -1);
                    close(multivariate::productEntry(1.0, A0, B0, at(a, 1), at(b, 1), at(a, 2), at(b, 2), at(a, 4),
                                                     at(b, 4), at(a, 3), at(b, 3), at(a, 5), at(b, 5), at(a, 6),
                                                     at(b, 6), at(a, 7), at(b, 7)),
                          at(ab, 7), "product", i, j, k, -1);
                    for (int l = 0; l <= k; ++l) {
                        idx[3] = l;
                        close(cijk.fourth(at(u, 8), at(u, 9), at(u, 10), at(u, 12), at(u, 11), at(u, 13), at(u, 14),
                                          at(u, 15)),
                              at(f, 15), "chain", i, j, k, l);
                        double as[16], bs[16];
                        for (int mask = 0; mask < 16; ++mask) {
                            as[mask] = at(a, mask);
                            bs[mask] = at(b, mask);
                        }
                        close(multivariate::productEntry4(1.0, as, bs), at(ab, 15), "product", i, j, k, l);
                        // The splittings of the multi-index with their weights.
                        int n[3];
                        counts(15, n);
                        double s = 0;
                        int terms = 0;
                        multivariate::forEachSplitting<3>(n, [&](const int* beta, const int* rest, double w) {
                            s += w * a(beta) * b(rest);
                            ++terms;
                        });
                        close(s, at(ab, 15), "splittings", i, j, k, l);
                        EXPECT_EQ(terms, (n[0] + 1) * (n[1] + 1) * (n[2] + 1));
                    }
                }
            }
        }
    }
}
