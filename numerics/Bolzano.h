#pragma once
// Bolzano: plain bisection on the bracket [x0, x1] (f(x0) f(x1) <= 0; otherwise
// status 1).  Each iteration halves the bracket, so a relative tolerance of 1e-9
// on a bracket of width 1 needs about 30 iterations: raise itermax accordingly.
#include "numerics/Solver.h"

class Bolzano : public Solver {
public:
    // Returns the last midpoint; the outcome is in `status`.
    double solve();
};
