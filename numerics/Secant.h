#pragma once
// Secant: the damped secant root finder that the models use almost everywhere
// (molar-volume and temperature searches, inversion curves, chamber equations).
//
//     Secant s;                    // defaults
//     s.obj = this;  s.fn = toEquationFn<ScalarEquationFn>(&Model::residual);
//     s.x0 = v;  s.x1 = v * 1.00001;
//     double root = s.solve();
//     if (s.status) ... the search failed ...
#include "numerics/Solver.h"

class Secant : public Solver {
public:
    double f1 = 0.0;              // f at x1, kept between iterations
    std::int16_t monotone = 0;    // nonzero rejects a step that increases |f|

    // Returns the last iterate; the outcome is in `status` (always test it), the
    // iteration count in `iter` and f at the returned point in `f1`.
    double solve();
};
