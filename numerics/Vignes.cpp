#include "numerics/Vignes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "numerics/LinearAlgebra.h"
#include "platform/LogSink.h"

void Vignes::_setSysEquationToSolve(Equation* o, SysEquationFn f, int nn, int mm) {
    NLESolver::_setSysEquationToSolve(o, f, nn);  // purges this solver too when n changes
    if (mm < 0) {
        platform::diagf("Vignes: a system cannot have %d residuals\n", mm);
        mm = 0;
    }
    shape(mm);
}

void Vignes::shape(int mm) {
    // The base record sizes G and J for as many residuals as unknowns; this
    // solver keeps its own, sized for m residuals.
    if (rows_ != mm || cols_ != n) {
        const std::size_t M = mm, N = n;
        gstore_.assign(M, 0.0);
        jstore_.assign(M * N, 0.0);
        jrows_.resize(M);
        for (std::size_t i = 0; i < M; ++i) jrows_[i] = jstore_.data() + i * N;
        astore_.assign(N * N, 0.0);
        arows_.resize(N);
        for (std::size_t i = 0; i < N; ++i) arows_[i] = astore_.data() + i * N;
        work_.assign(5 * N + M, 0.0);
        scratch_.assign(M, 0.0);
        rows_ = mm;
        cols_ = n;
    }
    m = mm;
    G = gstore_.data();
    J = jrows_.data();
    A = arows_.data();
    b = work_.data();
    d = b + n;
    dCopy = d + n;
    dPrev = dCopy + n;
    xBest = dPrev + n;
    Gbase = xBest + n;
}

void Vignes::purge() {
    gstore_.clear();
    jstore_.clear();
    jrows_.clear();
    astore_.clear();
    arows_.clear();
    work_.clear();
    scratch_.clear();
    rows_ = cols_ = -1;
    b = d = dCopy = dPrev = xBest = Gbase = nullptr;
    A = nullptr;
    NLESolver::purge();
}

double Vignes::phiOf() const {
    double phi = 0.0;
    for (int i = 0; i < m; ++i) phi += G[i] * G[i];
    return phi;
}

bool Vignes::numericalJacobian_(double* at) {
    int err = 0;
    centralDifferenceJacobian(at, G, J, err, scratch_.data());
    return err == 0;
}

bool Vignes::evaluate(double* at, int order, double& phi) {
    bool ok;
    if (order >= 1 && numericalJacobian) {
        ok = numericalJacobian_(at);
    } else {
        int err = 0;
        calculate(at, G, order >= 1 ? J : nullptr, err, order);
        ok = err == 0;
    }
    phi = ok ? phiOf() : std::numeric_limits<double>::infinity();
    // A residual that is not a number is a failed evaluation, never progress.
    if (!std::isfinite(phi)) {
        phi = std::numeric_limits<double>::infinity();
        return false;
    }
    return true;
}

bool Vignes::startSolve(double& phi) {
    if (!fn || !obj) {
        platform::diagf("Vignes: no system is bound\n");
        status = 1;
        return false;
    }
    if (n < 1 || m < 1) {
        status = 2;
        return false;
    }
    if (!x || cols_ != n) {
        platform::diagf("Vignes: the system was bound with %d unknowns, not %d\n", cols_, n);
        status = 1;
        return false;
    }
    if (m != rows_) shape(m);
    status = 0;
    tGN = tSD = 1.0;
    std::fill(dPrev, dPrev + n, 0.0);
    if (!evaluate(x, 1, phi)) {
        status = 1;
        return false;
    }
    modG = modG0 = phi;
    std::copy(x, x + n, xold);
    std::copy(x, x + n, xBest);
    std::copy(G, G + m, Gbase);
    iter = 0;
    return true;
}

// Trials x = xold + s d, doubling s while they improve and halving it while
// they fail.  The first failure after an improvement, or the first improvement
// after a failure, ends the search.
Vignes::LineSearch Vignes::descend(double s, int maxFailures) {
    LineSearch r;
    bool zero = true;
    for (int j = 0; j < n; ++j) zero = zero && d[j] == 0.0;
    if (zero) {  // no descent direction: every trial would be the start point
        r.gaveUp = true;
        r.sLast = s;
        return r;
    }
    int failures = 0;
    for (;;) {
        r.sLast = s;
        for (int j = 0; j < n; ++j) x[j] = xold[j] + s * d[j];
        double ph;
        const bool ok = evaluate(x, 0, ph);
        if (ok && ph < modG0) {
            modG0 = ph;
            std::copy(x, x + n, xBest);
            const bool afterFailure = failures > 0;
            r.improved = true;
            r.sBest = s;
            if (afterFailure) return r;
            s *= 2.0;
            continue;
        }
        r.phiLast = ph;
        if (r.improved) return r;
        if (++failures >= maxFailures) {
            r.gaveUp = true;
            return r;
        }
        s /= 2.0;
    }
}

// Damped Gauss-Newton step on the normal equations J^T J dx = -J^T G, halved
// until Phi does not grow.  True when a step was accepted.
bool Vignes::gaussNewtonStep() {
    for (int j = 0; j < n; ++j) {
        double bj = 0.0;
        for (int i = 0; i < m; ++i) bj -= J[i][j] * Gbase[i];
        b[j] = bj;
        for (int k = 0; k < n; ++k) {
            double a = 0.0;
            for (int i = 0; i < m; ++i) a += J[i][j] * J[i][k];
            A[j][k] = a;
        }
    }
    int st = 0;
    solve_the_linear_system(A, b, dx, n, st);
    status = st;
    if (st != 0) return false;
    double t = 2.0 * tGN;
    for (int j = 0; j < n; ++j) t = std::min(t, 1.0 / std::max(1.0, std::fabs(dx[j] / scale[j])));
    for (int trial = 0; trial < 50; ++trial) {
        for (int j = 0; j < n; ++j) x[j] = xold[j] + t * dx[j];
        double ph;
        if (evaluate(x, 0, ph) && ph <= modG0) {
            modG0 = ph;
            std::copy(x, x + n, xBest);
            tGN = t;
            return true;
        }
        t /= 2.0;
    }
    return false;
}

// Normalised steepest-descent direction -grad Phi, blended with the previous
// one when the two point against each other.
void Vignes::descentDirection() {
    double norm = 0.0;
    for (int j = 0; j < n; ++j) {
        double g = 0.0;
        for (int i = 0; i < m; ++i) g += 2.0 * Gbase[i] * J[i][j];
        d[j] = g;
        norm += g * g;
    }
    norm = std::sqrt(norm);
    for (int j = 0; j < n; ++j) d[j] = norm > 0.0 ? -d[j] / norm : 0.0;
    std::copy(d, d + n, dCopy);
    if (iter < 2) return;
    double dot = 0.0;
    for (int j = 0; j < n; ++j) dot += d[j] * dPrev[j];
    if (dot > 0.0) return;
    double nb = 0.0;
    for (int j = 0; j < n; ++j) nb += (d[j] + dPrev[j]) * (d[j] + dPrev[j]);
    nb = std::sqrt(nb);
    // Two unit vectors nearly opposite leave a sum of rounding errors, no
    // direction: the new one is kept then.
    if (nb > 1e-6)
        for (int j = 0; j < n; ++j) d[j] = (d[j] + dPrev[j]) / nb;
}

// After an accepted Gauss-Newton step, a short descent from the start point,
// then the vertex of the parabola through Phi at lengths 0, h and 2h (the
// start, the best point and the last rejected one).
void Vignes::descendAfterGaussNewton(double phi0) {
    double len = 0.0;
    for (int j = 0; j < n; ++j) len += (xBest[j] - xold[j]) * (xBest[j] - xold[j]);
    const double s = std::min(tSD, std::sqrt(len));
    if (s <= 0.0) return;
    const LineSearch r = descend(s, 15);
    tSD = r.improved ? r.sBest : r.sLast;
    if (!r.improved || !std::isfinite(r.phiLast)) return;
    const double hh = r.sBest, pb = modG0, pl = r.phiLast;
    const double den = 2.0 * (phi0 - 2.0 * pb + pl);
    if (den <= 0.0) return;
    const double sv = hh * (3.0 * phi0 - 4.0 * pb + pl) / den;
    for (int j = 0; j < n; ++j) x[j] = xold[j] + sv * d[j];
    double ph;
    if (evaluate(x, 0, ph) && ph < modG0) {
        modG0 = ph;
        std::copy(x, x + n, xBest);
    }
}

// No variable moved by more than 1e-9 relatively (a variable 0 at both points
// has not moved).
bool Vignes::stalled() const {
    for (int j = 0; j < n; ++j) {
        const double big = std::max(std::fabs(x[j]), std::fabs(xold[j]));
        if (big == 0.0) continue;
        if (std::fabs(x[j] - xold[j]) / big > 1e-9) return false;
    }
    return true;
}

int Vignes::solve() {
    double phi = 0.0;
    if (!startSolve(phi)) return 1;
    for (;;) {
        ++iter;
        const double phi0 = modG0;  // Phi at xold, the best point so far
        modG = phi0;
        display_the_Jacobian_matrix();
        display_the_vector();
        if (iter > itermax) {
            status = 1;
            return 1;
        }
        const bool gnOk = gaussNewtonStep();
        descentDirection();
        if (!gnOk) {
            std::copy(dCopy, dCopy + n, dPrev);
            const LineSearch r = descend(std::min(2.0 * tSD, 1.0), 50);
            tSD = r.improved ? r.sBest : r.sLast;
            if (r.gaveUp) {
                std::copy(xBest, xBest + n, x);
                status = 1;
                modG = modG0;
                evaluate(x, 1, phi);
                return 1;
            }
        } else {
            descendAfterGaussNewton(phi0);
        }
        std::copy(xBest, xBest + n, x);

        // Convergence: a small enough sum of squares, or no variable moved.
        if (tol > modG0 || stalled()) break;
        std::copy(x, x + n, xold);
        if (!evaluate(x, 1, phi)) {
            status = 1;
            return 1;
        }
        modG0 = phi;
        std::copy(G, G + m, Gbase);
    }
    ++iter;
    modG = modG0;
    display_the_Jacobian_matrix();
    display_the_vector();
    evaluate(x, 1, phi);
    return 1;
}
