#pragma once
// Solver set-ups shared by the phase's searches: a quiet Newton-Raphson on one
// of its single-variable equations, and its Newton solver bound to one of its
// systems of equations with a start point.
#include <cmath>
#include <initializer_list>

#include "fluid/FluidPhase.h"
#include "numerics/Newton.h"
#include "numerics/NewtonRaphson.h"

namespace phase_solvers {

// A monotone, unbounded Newton-Raphson of at most 15 steps on `fn` from
// `start`; ok tells whether it converged to a finite value.
inline double solveEquation(FluidPhase& p, DerivEquationFn fn, double start, double tol, bool& ok) {
    NewtonRaphson nr;
    nr.obj = &p;
    nr.fn = fn;
    nr.itermax = 15;
    nr.tol = tol;
    nr.r = 1.0;
    nr.xmin = -1e15;
    nr.xmax = 1e15;
    nr.bounded = 0;
    nr.verbose = 0;
    nr.monotone = 1;
    nr.x0 = start;
    const double r = nr.solve();
    ok = nr.status == 0 && std::isfinite(r);
    return r;
}

// Binds the phase's Newton solver to `fn` with n unknowns and writes the start.
inline Newton& bindSystem(FluidPhase& p, SysEquationFn fn, int n, std::initializer_list<double> start) {
    Newton& s = *p.criticalSolver;
    s._setSysEquationToSolve(&p, fn, n);
    int i = 0;
    for (double v : start) {
        s.x[i] = s.xold[i] = v;
        ++i;
    }
    return s;
}

}  // namespace phase_solvers
