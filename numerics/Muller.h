#pragma once
// Muller: bracketing root finder that combines bisection with inverse quadratic
// interpolation through the two ends and the midpoint.  x0 and x1 must bracket a
// root (f(x0) f(x1) <= 0); otherwise status 4.  Used by the ideal mixtures.
#include "numerics/Solver.h"

class Muller : public Solver {
public:
    // Returns the final point; the outcome is in `status`.
    double solve();
};
