#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "numerics/Arrays.h"
#include "numerics/LinearAlgebra.h"

namespace {

// Row table owned by the test.
struct Matrix {
    int n;
    double** a;
    explicit Matrix(int size) : n(size), a(allocate2(size, size)) {}
    Matrix(std::initializer_list<std::initializer_list<double>> rows) : Matrix(int(rows.size())) {
        int i = 0;
        for (auto& r : rows) {
            int j = 0;
            for (double v : r) a[i][j++] = v;
            ++i;
        }
    }
    Matrix(const Matrix& o) : Matrix(o.n) {
        for (int i = 0; i < n; ++i) std::copy(o.a[i], o.a[i] + n, a[i]);
    }
    ~Matrix() { dispose(a, n); }
    double* operator[](int i) const { return a[i]; }
};

Matrix hilbert(int n) {
    Matrix h(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) h[i][j] = 1.0 / (i + j + 1);
    return h;
}

TEST(LinearSystem, SolvesWithPivotingAndReportsSingularAndEmpty) {
    Matrix a{{0, 1}, {3, 2}};  // first column (0, 3): pivots on the second row
    double b[2] = {2, 7}, x[2] = {0, 0};
    int status = -1;
    solve_the_linear_system(a.a, b, x, 2, status);
    EXPECT_EQ(status, 0);
    EXPECT_DOUBLE_EQ(x[0], 1.0);
    EXPECT_DOUBLE_EQ(x[1], 2.0);

    Matrix s{{1, 2}, {2, 4}};
    double bs[2] = {1, 1}, xs[2] = {9, 9};
    solve_the_linear_system(s.a, bs, xs, 2, status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(xs[0], 9.0);  // untouched
    solve_the_linear_system(nullptr, nullptr, nullptr, 0, status);
    EXPECT_EQ(status, 2);
}

TEST(LinearSystem, IllConditionedButRegularHilbertSystem) {
    // Hilbert matrix of order 8 (condition number about 1.5e10) with the exact
    // solution all ones; the right-hand side is the row sums.
    const int n = 8;
    Matrix h = hilbert(n);
    std::vector<double> b(n), x(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) b[i] += h[i][j];
    int status = -1;
    solve_the_linear_system(h.a, b.data(), x.data(), n, status);
    EXPECT_EQ(status, 0);
    for (double v : x) EXPECT_NEAR(v, 1.0, 1e-5);
}

TEST(Inverse, TimesTheMatrixIsTheIdentity) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int n : {1, 3, 6}) {
        Matrix a(n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) a[i][j] = u(gen);
        if (n > 1) a[0][0] = 0.0;  // forces a row exchange
        Matrix inv(a);
        ASSERT_EQ(inverse(inv.a, n), 0);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                double s = 0;
                for (int k = 0; k < n; ++k) s += inv[i][k] * a[k][j];
                EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-12) << n;
            }
    }
    Matrix h = hilbert(5), hi(h);
    ASSERT_EQ(inverse(hi.a, 5), 0);
    EXPECT_NEAR(hi[0][0], 25.0, 1e-6);        // exact inverse entries of H5
    EXPECT_NEAR(hi[4][4], 44100.0, 1e-3);
    EXPECT_NEAR(hi[2][3], -117600.0, 1e-3);

    Matrix swapm{{0, 1}, {1, 0}};
    ASSERT_EQ(inverse(swapm.a, 2), 0);
    EXPECT_EQ(swapm[0][0], 0.0);
    EXPECT_EQ(swapm[0][1], 1.0);
    EXPECT_EQ(swapm[1][0], 1.0);
    EXPECT_EQ(swapm[1][1], 0.0);

    Matrix singular{{1, 1}, {1, 1}};  // the singular pivot is the last one
    EXPECT_EQ(inverse(singular.a, 2), 1);
}

TEST(LinearSystem, TwoByTwo) {
    double x, y;
    solve_linear_system2(2, 1, 5, 1, -1, 1, x, y);  // 2x + y = 5, x - y = 1
    EXPECT_DOUBLE_EQ(x, 2.0);
    EXPECT_DOUBLE_EQ(y, 1.0);
    solve_linear_system2(1, 2, 3, 2, 4, 6, x, y);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
}

TEST(BandedSystems, AgreeWithTheDenseSolver) {
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int n : {1, 2, 3, 7}) {
        // Diagonally dominant bands, so that elimination without pivoting is sound.
        std::vector<double> d(n), l1(n), u1(n), l2(std::max(n - 2, 0)), u2(std::max(n - 2, 0)), rhs(n);
        for (int i = 0; i < n; ++i) {
            d[i] = 5 + u(gen);
            l1[i] = u(gen);
            u1[i] = u(gen);
            rhs[i] = u(gen);
        }
        for (auto& v : l2) v = u(gen);
        for (auto& v : u2) v = u(gen);

        // Tridiagonal: lower[i] multiplies x[i-1] in row i.
        Matrix a(n);
        std::vector<double> b(rhs), xd(n), xt(n, -7);
        for (int i = 0; i < n; ++i) {
            a[i][i] = d[i];
            if (i > 0) a[i][i - 1] = l1[i];
            if (i < n - 1) a[i][i + 1] = u1[i];
        }
        int status;
        solve_the_linear_system(a.a, b.data(), xd.data(), n, status);
        ASSERT_EQ(status, 0);
        std::vector<double> dcopy(d);
        solve_tridiagonal_system(n, d.data(), u1.data(), l1.data(), rhs.data(), xt.data());
        EXPECT_EQ(d, dcopy);
        for (int i = 0; i < n; ++i) EXPECT_NEAR(xt[i], xd[i], 1e-13) << n;

        // Pentadiagonal: bands as their own arrays.
        Matrix p(n);
        std::vector<double> lo1(l1.begin() + (n > 1 ? 1 : 0), l1.end());  // n - 1 entries
        std::vector<double> up1(u1.begin(), u1.end() - (n > 1 ? 1 : 0));
        for (int i = 0; i < n; ++i) {
            p[i][i] = d[i];
            if (i + 1 < n) {
                p[i + 1][i] = lo1[i];
                p[i][i + 1] = up1[i];
            }
            if (i + 2 < n) {
                p[i + 2][i] = l2[i];
                p[i][i + 2] = u2[i];
            }
        }
        b = rhs;
        solve_the_linear_system(p.a, b.data(), xd.data(), n, status);
        ASSERT_EQ(status, 0);
        std::vector<double> xp(n);
        ASSERT_EQ(solve_pentadiagonal_system(n, l2.data(), lo1.data(), d.data(), up1.data(), u2.data(),
                                             rhs.data(), xp.data()),
                  0);
        for (int i = 0; i < n; ++i) EXPECT_NEAR(xp[i], xd[i], 1e-13) << n;
    }
    double zero[3] = {0, 1, 1}, one[3] = {1, 1, 1}, x[3];
    EXPECT_EQ(solve_pentadiagonal_system(3, one, one, zero, one, one, one, x), 1);
}

std::vector<double> cubicRoots(std::array<double, 4> c, int expected) {
    int n = 0;
    double r[3] = {NAN, NAN, NAN};
    degree3(c.data(), &n, r);
    EXPECT_EQ(n, expected);
    std::vector<double> v(r, r + n);
    std::sort(v.begin(), v.end());
    return v;
}

// c(z) = k (z - r1)(z - r2)(z - r3)
std::array<double, 4> fromRoots(double k, double r1, double r2, double r3) {
    return {-k * r1 * r2 * r3, k * (r1 * r2 + r1 * r3 + r2 * r3), -k * (r1 + r2 + r3), k};
}

void expectRoots(const std::vector<double>& got, std::vector<double> want, double tol) {
    std::sort(want.begin(), want.end());
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], tol * std::max(1.0, std::fabs(want[i]))) << i;
}

TEST(Degree3, ThreeDistinctRealRoots) {
    expectRoots(cubicRoots({-6, 11, -6, 1}, 3), {1, 2, 3}, 1e-12);
    expectRoots(cubicRoots(fromRoots(2.5, -4, 0.5, 7), 3), {-4, 0.5, 7}, 1e-12);
    expectRoots(cubicRoots(fromRoots(-1, 1e-4, 1, 1e3), 3), {1e-4, 1, 1e3}, 1e-10);
    // Molar-volume-like cubic: a small liquid root, a middle one and a large vapour root.
    expectRoots(cubicRoots(fromRoots(1, 3.2e-5, 1.1e-4, 2.4e-3), 3), {3.2e-5, 1.1e-4, 2.4e-3}, 1e-9);
    // A root at zero: z^3 - z and z(z - 1)(z - 2).
    expectRoots(cubicRoots({0, -1, 0, 1}, 3), {-1, 0, 1}, 1e-14);
    expectRoots(cubicRoots(fromRoots(1, 0, 1, 2), 3), {0, 1, 2}, 1e-14);
    expectRoots(cubicRoots({0, 0, 0, 1}, 3), {0, 0, 0}, 0);
    // Random cubics against their constructed roots.
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> u(-10, 10);
    for (int t = 0; t < 200; ++t) {
        std::vector<double> r{u(gen), u(gen), u(gen)};
        std::sort(r.begin(), r.end());
        if (r[1] - r[0] < 0.1 || r[2] - r[1] < 0.1) continue;
        expectRoots(cubicRoots(fromRoots(1.0, r[0], r[1], r[2]), 3), r, 1e-8);
    }
}

TEST(Degree3, DoubleRoots) {
    for (auto [d, single] : {std::pair{1.0, 2.0}, {2.0, 1.0}, {-1.0, 3.0}, {3.0, -1.0}, {-2.0, -5.0},
                             {0.5, 0.0}, {0.0, 2.0}}) {
        // (z - d)^2 (z - single): three roots with the double one twice.  A double
        // root is sensitive to rounding as sqrt(eps).
        auto got = cubicRoots(fromRoots(1.0, d, d, single), 3);
        expectRoots(got, {d, d, single}, 1e-7);
    }
}

TEST(Degree3, OneRealRoot) {
    expectRoots(cubicRoots({-1, 0, 0, 1}, 1), {1}, 1e-15);  // z^3 - 1
    // (z - r)(z^2 + b z + c) with b^2 < 4c.
    for (auto [r, b, c] : {std::array{2.0, 1.0, 1.0}, {-3.0, -2.0, 5.0}, {1e-3, 0.0, 4.0}, {5.0, 10.0, 30.0}}) {
        std::array<double, 4> k = {-r * c, c - r * b, b - r, 1};
        expectRoots(cubicRoots(k, 1), {r}, 1e-12);
    }
}

}  // namespace

namespace {

// Distance within which rounding of the coefficients (relative 2.2e-16) moves
// the root z of c(z): for a root of multiplicity m the perturbation
// eps S(z) (S the sum of the magnitudes of the terms) moves it by
// (m! eps S / |c^(m)(z)|)^(1/m); the smallest of these holds near a cluster.
double conditioningLimit(const std::array<double, 4>& c, double z, double d1, double d2, double d3) {
    const double az = std::fabs(z);
    const double S = std::fabs(c[0]) + std::fabs(c[1]) * az + std::fabs(c[2]) * az * az + std::fabs(c[3]) * az * az * az;
    const double e = DBL_EPSILON * S;
    double L = INFINITY;
    if (d1 != 0.0) L = std::min(L, e / std::fabs(d1));
    if (d2 != 0.0) L = std::min(L, std::sqrt(2.0 * e / std::fabs(d2)));
    return std::min(L, std::cbrt(6.0 * e / std::fabs(d3)));
}

// Three real roots, nominal r, of k (z - r0)(z - r1)(z - r2): each returned root
// lies within 4 conditioning limits of its nominal value.  A single returned
// root is accepted only when two nominal roots cannot be told apart (within
// their limits, the rounded cubic may have a complex pair there).
void expectRootsToConditioning(double k, std::array<double, 3> r) {
    std::sort(r.begin(), r.end());
    const auto c = fromRoots(k, r[0], r[1], r[2]);
    std::array<double, 3> L;
    for (int i = 0; i < 3; ++i) {
        const double a = r[i] - r[(i + 1) % 3], b = r[i] - r[(i + 2) % 3];
        L[i] = conditioningLimit(c, r[i], k * a * b, 2.0 * k * (a + b), 6.0 * k);
    }
    int n = 0;
    double got[3] = {NAN, NAN, NAN};
    degree3(c.data(), &n, got);
    const std::string where = "roots " + std::to_string(r[0]) + " " + std::to_string(r[1]) + " " + std::to_string(r[2]);
    if (n == 1) {
        const bool unresolved = std::fabs(r[1] - r[0]) <= 4.0 * (L[0] + L[1]) || std::fabs(r[2] - r[1]) <= 4.0 * (L[1] + L[2]);
        EXPECT_TRUE(unresolved) << where;
        bool near = false;
        for (int i = 0; i < 3; ++i) near = near || std::fabs(got[0] - r[i]) <= 4.0 * L[i];
        EXPECT_TRUE(near) << where << " got " << got[0];
        return;
    }
    ASSERT_EQ(n, 3) << where;
    std::sort(got, got + 3);
    for (int i = 0; i < 3; ++i) EXPECT_LE(std::fabs(got[i] - r[i]), 4.0 * L[i]) << where << " root " << i << " got " << got[i];
}

TEST(Degree3, NearMultipleRootsToTheConditioningLimit) {
    for (double k : {1.0, -7.0})
        for (double r0 : {1.0, -2.5, 3.7e-3, 60.0}) {
            for (double h : {1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-9}) {
                const double r1 = r0 * (1.0 + h);
                expectRootsToConditioning(k, {r0, r0, r1});                      // double root, close single
                expectRootsToConditioning(k, {r0, r1, r1});
                expectRootsToConditioning(k, {r0, r1, -1.7 * r0});               // close pair, far third
                expectRootsToConditioning(k, {r0, r1, r0 * (1.0 + 2.0 * h)});   // near-triple, even spacing
                expectRootsToConditioning(k, {r0, r1, r0 * (1.0 + 3.0 * h)});
            }
            expectRootsToConditioning(k, {r0, r0, r0});  // triple root
            expectRootsToConditioning(k, {r0, r0, -r0});
        }
    // The case that the cancellation rule used to merge: (z - 1)^2 (z - 1.001).
    expectRootsToConditioning(1.0, {1.0, 1.0, 1.001});
    // A real root next to a complex pair r (1 + h) +- i r h / 2, close enough for
    // the closed form to see a double root, far enough to be resolved: one root.
    for (double r0 : {1.0, -2.5, 60.0})
        for (double h : {1e-1, 1e-2, 1e-3}) {
            const double m = r0 * (1.0 + h), w = 0.5 * r0 * h;
            const std::array<double, 4> c = {-r0 * (m * m + w * w), m * m + w * w + 2.0 * m * r0, -2.0 * m - r0, 1.0};
            int n = 0;
            double got[3];
            degree3(c.data(), &n, got);
            ASSERT_EQ(n, 1) << r0 << " " << h;
            const double d1 = (r0 - m) * (r0 - m) + w * w;
            EXPECT_LE(std::fabs(got[0] - r0), 4.0 * conditioningLimit(c, r0, d1, 4.0 * (r0 - m), 6.0))
                << r0 << " " << h;
        }
}

}  // namespace
