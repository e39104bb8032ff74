#pragma once
// Bracket phases shared by Muller, Bolzano, SecDic and SecMul (internal).
#include "numerics/Solver.h"

namespace bracket_steps {

// Bisection of [s.x0, s.x1] with f values fa, fb of opposite signs; iterations
// continue from s.iter.  traceF adds f at the midpoint to the trace line.
double bisect(Solver& s, double fa, double fb, bool traceF);

// Bracketing interpolation (inverse quadratic through the ends and the
// midpoint, bisection otherwise) on [s.x0, s.x1] with f values f0, f1 of
// opposite signs; iterations continue from s.iter.
double interpolate(Solver& s, double f0, double f1, bool traceF);

}  // namespace bracket_steps
