#include "numerics/LinearAlgebra.h"
#include "platform/LogSink.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// Partial pivoting: the row from k down whose entry in column k is largest in
// magnitude; that magnitude in big.
int pivotRow(double** A, int k, int n, double& big) {
    int p = k;
    big = std::fabs(A[k][k]);
    for (int i = k + 1; i < n; ++i)
        if (std::fabs(A[i][k]) > big) {
            big = std::fabs(A[i][k]);
            p = i;
        }
    return p;
}

}  // namespace

void solve_the_linear_system(double** A, double* b, double* x, int n, int& status) {
    if (n < 1) {
        status = 2;
        return;
    }
    status = 1;
    for (int k = 0; k < n; ++k) {
        double big;
        const int p = pivotRow(A, k, n, big);
        // The negated test also refuses a NaN pivot.
        if (!(big > 1.02e-25)) {
            platform::tracef("Singular matrix\n");  // (status 1 tells the caller)
            return;
        }
        if (p != k) {
            for (int j = k; j < n; ++j) std::swap(A[p][j], A[k][j]);
            std::swap(b[p], b[k]);
        }
        const double pivot = A[k][k];
        for (int j = k + 1; j < n; ++j) A[k][j] /= pivot;
        b[k] /= pivot;
        for (int i = k + 1; i < n; ++i) {
            const double f = A[i][k];
            if (f == 0.0) continue;
            for (int j = k + 1; j < n; ++j) A[i][j] -= f * A[k][j];
            b[i] -= f * b[k];
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        double s = b[i];
        for (int j = i + 1; j < n; ++j) s -= A[i][j] * b[j];
        b[i] = s;
    }
    status = 0;
    for (int i = 0; i < n; ++i) x[i] = b[i];
}

int inverse(double** A, int n) {
    std::vector<int> order(n > 0 ? n : 0);
    for (int i = 0; i < n; ++i) order[i] = i;
    for (int k = 0; k < n; ++k) {
        double big;
        const int p = pivotRow(A, k, n, big);
        // The last pivot is tested too: a singular matrix must not come back
        // as an "inverse" full of infinities.
        if (!(big > 1.2e-20)) return 1;
        if (p != k) {
            std::swap_ranges(A[p], A[p] + n, A[k]);
            std::swap(order[p], order[k]);
        }
        const double v = A[k][k];
        for (int j = 0; j < n; ++j) A[k][j] /= v;
        for (int i = 0; i < n; ++i) {
            if (i == k) continue;
            for (int j = 0; j < n; ++j)
                if (j != k) A[i][j] -= A[i][k] * A[k][j];
        }
        for (int i = 0; i < n; ++i) A[i][k] = -A[i][k] / v;
        A[k][k] = 1.0 / v;
    }
    // Row exchanges of A become column exchanges of its inverse.
    for (int j = 0; j < n; ++j) {
        int q = j;
        while (q < n && order[q] != j) ++q;
        if (q != j && q < n) {
            std::swap(order[q], order[j]);
            for (int i = 0; i < n; ++i) std::swap(A[i][q], A[i][j]);
        }
    }
    return 0;
}

void solve_linear_system2(double a, double b, double c, double d, double e, double f, double& x,
                          double& y) {
    const double D = b * d - a * e;
    if (std::fabs(D) < 1e-20) {
        x = y = 0.0;
        return;
    }
    x = (b * f - c * e) / D;
    y = (d * c - a * f) / D;
}

void solve_tridiagonal_system(int n, const double* diag, const double* upper, const double* lower,
                              const double* rhs, double* x) {
    if (n < 1) return;
    std::vector<double> gamma(n), rho(n);
    gamma[0] = upper[0] / diag[0];
    rho[0] = rhs[0] / diag[0];
    for (int i = 1; i < n; ++i) {
        const double m = diag[i] - lower[i] * gamma[i - 1];
        gamma[i] = i < n - 1 ? upper[i] / m : 0.0;
        rho[i] = (rhs[i] - lower[i] * rho[i - 1]) / m;
    }
    x[n - 1] = rho[n - 1];
    for (int i = n - 2; i >= 0; --i) x[i] = rho[i] - gamma[i] * x[i + 1];
}

int solve_pentadiagonal_system(int n, const double* lower2, const double* lower1, const double* diag,
                               const double* upper1, const double* upper2, const double* rhs,
                               double* x) {
    if (n < 1) return 0;
    // Working copies: row i holds l2[i] (column i-2), l1[i] (i-1), d[i], u1[i]
    // (i+1), u2[i] (i+2).  Elimination below the diagonal fills nothing outside
    // the band, since row k has no entries beyond column k + 2.
    std::vector<double> l2(n, 0.0), l1(n, 0.0), d(diag, diag + n), u1(n, 0.0), u2(n, 0.0),
        r(rhs, rhs + n);
    for (int i = 0; i + 1 < n; ++i) {
        l1[i + 1] = lower1[i];
        u1[i] = upper1[i];
    }
    for (int i = 0; i + 2 < n; ++i) {
        l2[i + 2] = lower2[i];
        u2[i] = upper2[i];
    }
    for (int k = 0; k < n; ++k) {
        if (d[k] == 0.0 || !std::isfinite(d[k])) return 1;
        if (k + 1 < n) {
            const double f = l1[k + 1] / d[k];
            d[k + 1] -= f * u1[k];
            if (k + 2 < n) u1[k + 1] -= f * u2[k];
            r[k + 1] -= f * r[k];
        }
        if (k + 2 < n) {
            const double f = l2[k + 2] / d[k];
            l1[k + 2] -= f * u1[k];
            d[k + 2] -= f * u2[k];
            r[k + 2] -= f * r[k];
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        double s = r[i];
        if (i + 1 < n) s -= u1[i] * x[i + 1];
        if (i + 2 < n) s -= u2[i] * x[i + 2];
        x[i] = s / d[i];
    }
    return 0;
}

namespace {

// Closed-form roots of the monic cubic z^3 + a2 z^2 + a1 z + a0 (Cardano and
// the trigonometric form), with the cancellation guards on p, q and the
// discriminant.  Near a multiple root these guards can merge roots that are
// distinct; degree3 polishes the result.
void cubicClosedForm(double a2, double a1, double a0, int* n, double* roots) {
    const double s = a2 / 3.0;

    // Depressed cubic y^3 + p y + q, z = y - s; p and q are set to 0 when they
    // are below the rounding of the terms they are made of.
    double p = a1 - a2 * a2 / 3.0;
    const double epsp = 1e-15 * ((a2 * a2 / 3.0) * (a2 * a2 / 3.0) + a1 * a1);
    if (p * p < epsp) p = 0.0;
    const double s3 = s * s * s;
    double q = a0 - a1 * s + 2.0 * s3;
    const double epsq = 1e-15 * (a0 * a0 + (a1 * s) * (a1 * s) + (2.0 * s3) * (2.0 * s3));
    if (q * q < epsq) q = 0.0;
    double delta = q * q / 4.0 + p * p * p / 27.0;

    if (p < 0.0) {
        // Rounding error of delta, from those of p and q; when it is larger than
        // the error of delta expanded in the monic coefficients, use that form.
        double E = std::exp(std::min(87.0, 4.0 * std::log(std::fabs(p)) + std::log(epsp) - std::log(81.0))) +
                   std::exp(std::min(87.0, 2.0 * std::log(std::fabs(q)) + std::log(epsq) - std::log(4.0)));
        const double T1 = -a2 * a1 * a0 / 6.0;
        const double T2 = a0 * s3;
        const double T3 = -a2 * a2 * a1 * a1 / 108.0;
        const double T4 = a1 * a1 * a1 / 27.0;
        const double T5 = a0 * a0 / 4.0;
        const double S = 1e-15 * (T1 * T1 + T2 * T2 + T3 * T3 + T4 * T4 + T5 * T5);
        if (E >= S) {
            delta = T4 + T3 + T5 + T1 + T2;
            E = S;
        }
        // Within its rounding error delta is 0: a double root.
        if (E > delta * delta) delta = 0.0;
    }

    if (delta > 0.0) {
        // One real root.  t is chosen so that y = -q/t without cancellation.
        const double u = std::pow(std::sqrt(delta) + std::fabs(q / 2.0), 1.0 / 3.0);
        const double t = p >= 0.0 ? u * u + p / 3.0 + p * p / (9.0 * u * u)
                                  : std::fabs(q) * u / (u * u - p / 3.0);
        if (a2 * q >= 0.0)
            roots[0] = -s - q / t;
        else
            roots[0] = -a0 / (s * s + t - q * s / t);  // product form, free of cancellation
        *n = 1;
        return;
    }

    // Three real roots (trigonometric form).
    const double r = std::sqrt(-p / 3.0);
    const double theta = std::fabs(q) + std::fabs(delta) == 0.0 ? 0.0 : std::atan2(q, 2.0 * std::sqrt(-delta));
    double sigma;
    if (a2 > 0.0)
        sigma = 1.0;
    else if (a2 < 0.0)
        sigma = -1.0;
    else
        sigma = q >= 0.0 ? 1.0 : -1.0;
    const double y1 = -2.0 * sigma * r * std::cos(0.5235987755982988 - sigma * theta / 3.0);
    roots[0] = y1 - s;

    if (a2 * q > 0.0) {
        const double h = (a2 * a1 - a0) / 2.0;
        const double w = std::copysign(std::fabs(std::sqrt(-27.0 * delta) / (2.0 * y1 * y1 - q / y1)), h);
        roots[1] = h / (q / y1 + 2.0 * y1 * s - 4.0 * s * s) - w;
    } else {
        roots[1] = 2.0 * r * std::sin(theta / 3.0) - s;
    }

    if (delta != 0.0) {
        roots[2] = roots[0];
        if (roots[1] != 0.0)
            roots[2] = -a0 / (roots[0] * roots[1]);
        else
            roots[2] = -a2 - roots[0];  // a0 = 0: the other two roots sum to -a2
    } else if (a2 * q < 0.0) {
        roots[2] = -a0 / (roots[0] * roots[0]);
        roots[1] = roots[0];
    } else {
        roots[2] = roots[0];
        roots[0] = roots[1];
    }
    *n = 3;
}

// The monic cubic f(z) = z^3 + a2 z^2 + a1 z + a0 and its derivatives.
struct MonicCubic {
    double a2, a1, a0;
    double f(double z) const { return ((z + a2) * z + a1) * z + a0; }
    double df(double z) const { return (3.0 * z + 2.0 * a2) * z + a1; }
    double d2f(double z) const { return 6.0 * z + 2.0 * a2; }
    // Bound of the rounding of f(z): the sum of the magnitudes of its terms.
    double size(double z) const {
        const double az = std::fabs(z);
        return ((az + std::fabs(a2)) * az + std::fabs(a1)) * az + std::fabs(a0);
    }
    // A real root, by Newton steps from z0 kept inside a bracket that shrinks
    // with every evaluation (bisection when a step leaves it).  The bracket
    // starts from Fujiwara's bound on the roots' magnitude, where the monic
    // cubic is negative on the left and positive on the right.
    double realRoot(double z0) const {
        double hi = 2.0 * std::max({std::fabs(a2), std::sqrt(std::fabs(a1)), std::cbrt(std::fabs(a0) / 2.0)});
        double lo = -hi;
        double z = std::isfinite(z0) ? std::clamp(z0, lo, hi) : 0.0;
        for (int it = 0; it < 200; ++it) {
            const double g = f(z);
            if (g == 0.0) break;
            (g < 0.0 ? lo : hi) = z;
            const double dg = df(z);
            double zn = z - g / dg;
            if (!(zn > lo && zn < hi)) zn = 0.5 * (lo + hi);
            if (!(zn > lo && zn < hi) || std::fabs(zn - z) <= DBL_EPSILON * std::fabs(z)) {
                z = zn > lo && zn < hi ? zn : z;
                break;
            }
            z = zn;
        }
        return z;
    }
};

// Newton steps on g from z, each one kept only while it lowers |g|: a step
// into rounding noise is refused, so the result is never worse than the
// start.  valueAndSlope(z) returns {g(z), g'(z)}.
template <class G>
double newtonPolish(double z, G valueAndSlope) {
    auto [g, dg] = valueAndSlope(z);
    for (int it = 0; it < 60 && g != 0.0 && dg != 0.0; ++it) {
        const double zn = z - g / dg;
        const auto [gn, dgn] = valueAndSlope(zn);
        if (!(std::fabs(gn) < std::fabs(g))) break;
        z = zn;
        g = gn;
        dg = dgn;
    }
    return z;
}

}  // namespace

// The closed form gives start values; each root is then polished on the
// cubic itself.  With three roots, the one farthest from the other two is
// polished first (inside a bracket, so it is a root whatever the start) and
// divided out, forward or backward, whichever is stable for its magnitude;
// the remaining quadratic gives the other two, which are polished by Newton
// steps.  When its discriminant is negative, the pair is a double root if the
// cubic vanishes at its extremum within the rounding of its terms; otherwise
// the pair is complex and only the first root is real.
void degree3(const double* c, int* n, double* roots) {
    const MonicCubic cu{c[2] / c[3], c[1] / c[3], c[0] / c[3]};
    cubicClosedForm(cu.a2, cu.a1, cu.a0, n, roots);
    if (*n == 1) {
        roots[0] = cu.realRoot(roots[0]);
        return;
    }
    int k = 0;
    double far = -1.0;
    for (int i = 0; i < 3; ++i) {
        const double d = std::min(std::fabs(roots[i] - roots[(i + 1) % 3]), std::fabs(roots[i] - roots[(i + 2) % 3]));
        if (d > far) {
            far = d;
            k = i;
        }
    }
    const int j1 = (k + 1) % 3, j2 = (k + 2) % 3;
    const double r = cu.realRoot(roots[k]);
    // z^3 + a2 z^2 + a1 z + a0 = (z - r)(z^2 + b z + q0): forward division is
    // stable when r is the smaller root, backward division when it is larger.
    double b, q0;
    if (r != 0.0 && std::fabs(r) > std::max(std::fabs(roots[j1]), std::fabs(roots[j2]))) {
        q0 = -cu.a0 / r;
        b = (q0 - cu.a1) / r;
    } else {
        b = cu.a2 + r;
        q0 = cu.a1 + r * b;
    }
    const double D = b * b - 4.0 * q0;
    double z1, z2;
    if (D >= 0.0) {
        const auto onF = [&cu](double z) { return std::pair{cu.f(z), cu.df(z)}; };
        const double h = -0.5 * (b + std::copysign(std::sqrt(D), b));
        z1 = newtonPolish(h, onF);
        z2 = h != 0.0 ? newtonPolish(q0 / h, onF) : z1;
    } else {
        const double m = newtonPolish(-0.5 * b, [&cu](double z) { return std::pair{cu.df(z), cu.d2f(z)}; });
        if (!(std::fabs(cu.f(m)) <= 8.0 * DBL_EPSILON * cu.size(m))) {
            roots[0] = r;
            *n = 1;
            return;
        }
        z1 = z2 = m;
    }
    // The pair keeps the order of the slots it replaces.
    if ((z1 < z2) != (roots[j1] < roots[j2])) std::swap(z1, z2);
    roots[k] = r;
    roots[j1] = z1;
    roots[j2] = z2;
}
