#include "numerics/Newton.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "numerics/LinearAlgebra.h"
#include "platform/LogSink.h"

void Newton::_setSysEquationToSolve(Equation* o, SysEquationFn f, int nn) {
    if (sameBinding(o, f, nn)) return;
    NLESolver::_setSysEquationToSolve(o, f, nn);  // purges this Newton too when n changes
    stepTol = 1e-8;
    lambdaMin = 0.01;
    if (!rowModule || bounds_.size() != 3 * static_cast<std::size_t>(n)) {
        bounds_.assign(3 * static_cast<std::size_t>(n), 0.0);
        flags_.assign(n, 0);
        rowModule = bounds_.data();
        lo = rowModule + n;
        hi = lo + n;
        bounded = flags_.data();
    }
}

void Newton::purge() {
    bounds_.clear();
    bounds_.shrink_to_fit();
    flags_.clear();
    flags_.shrink_to_fit();
    rowModule = lo = hi = nullptr;
    bounded = nullptr;
    NLESolver::purge();
}

int Newton::solve() {
    if (!x || !rowModule || !fn) {
        platform::diagf("Newton: no system is bound\n");
        status = 1;
        return 1;
    }
    modG = modG0 = 1e15;
    std::fill(dx, dx + n, 0.0);
    iter = 0;
    do {
        display_the_Jacobian_matrix();
        display_the_vector();
        calculate_the_next_vector();
        if (status == 0) {
            for (int i = 0; i < m; ++i) G[i] = -G[i];
            int st = 0;
            solve_the_linear_system(J, G, dx, n, st);
            status = st;
            if (status) platform::tracef("The system is degenerated.\n");  // (status tells the caller)
        }
    } while (!convergence());
    return 1;
}

void Newton::calculate_the_next_vector() {
    status = 0;
    std::copy(x, x + n, xold);
    // The whole step shrinks so that no component exceeds its scale.
    double r = 1.0;
    for (int i = 0; i < n; ++i) r = std::max(r, std::fabs(dx[i]) / scale[i]);
    for (int i = 0; i < n; ++i) dx[i] /= r;

    double lambda = 1.0;
    for (;;) {
        for (int i = 0; i < n; ++i) {
            x[i] = xold[i] + lambda * dx[i];
            // A bounded variable moves at most 90 % of the way to its bound.
            if (bounded[i] && x[i] > hi[i])
                x[i] = xold[i] + 0.9 * lambda * (hi[i] - xold[i]);
            else if (bounded[i] && x[i] < lo[i])
                x[i] = xold[i] + 0.9 * lambda * (lo[i] - xold[i]);
        }
        int err = 0;
        if (numericalJacobian)
            calculate_numerical(x, G, J, err);
        else
            calculate(x, G, J, err, 1);
        if (!err) {
            calculate_module();
            // A non-finite residual counts as a failed evaluation, never as progress.
            if (std::isfinite(modG) && modG <= modG0) {
                modG0 = modG;
                return;
            }
        }
        // In the first iteration dx is zero and a smaller step cannot help.
        if (iter == 0) lambda = lambdaMin;
        lambda /= 2.0;
        if (lambda < lambdaMin) {
            status = 1;
            return;
        }
    }
}

void Newton::calculate_module() {
    for (int i = 0; i < m; ++i) {
        double s = std::fabs(G[i]);
        for (int j = 0; j < n; ++j) s += std::fabs(J[i][j]);
        rowModule[i] = s;
    }
    modG = 0.0;
    for (int i = 0; i < m; ++i) {
        const double s = rowModule[i] > 0.0 ? 1.0 / rowModule[i] : 1.0;
        for (int j = 0; j < n; ++j) J[i][j] *= s;
        G[i] *= s;
        modG += std::fabs(G[i]);
    }
}

int Newton::convergence() {
    ++iter;
    if (status) {
        if (verbose)
            platform::tracef("No convergence : calculation failure. modG %12lg  modG0 %12lg\n", modG, modG0);
        return 1;
    }
    if (iter <= itermax) {
        if (modG0 > tol) return 0;
        double s = 0.0;
        for (int i = 0; i < n; ++i) s += std::fabs(dx[i] / scale[i]);
        if (!(s <= stepTol)) {
            status = 3;
            if (verbose) platform::tracef("Sum of residues too large\n");
        } else {
            display_the_vector();
        }
        return 1;
    }
    status = 1;
    if (verbose) platform::tracef("No convergence, itermax = %d", itermax);
    return 1;
}
