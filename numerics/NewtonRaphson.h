#pragma once
// NewtonRaphson: one-dimensional Newton method on a model function that gives
// its own derivative, with a bisection fallback.
//
// The record keeps the best bracket seen (the smallest positive and the largest
// negative f); when the Newton iteration fails and both signs have been seen,
// the search finishes by bisection.  This is the solver of the molar volume at
// given temperature and pressure, so a record owned by a model is configured
// once (itermax, bounds, monotone) and reused for every state.
#include <cstdint>
#include <cstdio>

#include "numerics/Equation.h"

class NewtonRaphson {
public:
    Equation* obj = nullptr;
    DerivEquationFn fn = nullptr;   // f and df/dx at x
    double x0 = 0.0;                // start value; then the previous iterate
    double x1 = 0.0;                // current iterate (the result)
    double f0 = 0.0, f1 = 0.0;      // f at x0 and x1
    double df0 = 0.0, df1 = 0.0;    // df/dx at x0 and x1
    double xpos = 0.0, fpos = 1e100;   // bracket end with the smallest positive f
    double xneg = 0.0, fneg = -1e100;  // bracket end with the largest negative f
    std::int32_t iter = 0;
    std::int32_t itermax = 15;
    // 0 converged, 1 iteration limit, 2 below xmin, 3 above xmax, 4 evaluation
    // failed, 5 |f| grew (monotone), 6 df/dx changed sign (monotone).
    std::int16_t status = 0;
    double tol = 1e-9;              // relative step tolerance
    std::int16_t verbose = 0;
    std::int16_t bounded = 0;       // xmin/xmax active
    double xmin = -1e15, xmax = 1e15;
    double r = 1.0;                 // step factor at the start of every step
    std::int16_t monotone = 0;      // reject growth of |f| and a sign change of df/dx

    // Runs the search from x0.  Returns x1, or NaN when the start evaluation
    // fails; after a failure without a usable bracket the last iterate comes back
    // with the failure status.
    double solve();
    // One evaluation at x1 (f1, df1, status).
    void calculate();
    // Counts the iteration; nonzero when the search has finished.
    int convergence();
    // Writes n + 1 lines "x f(x)" for x from a to b into the file "nr".  Returns
    // 0, or -1 when the file cannot be written.
    int plot(double a, double b, int n);
    // Prints the model's derivative at x beside a central difference with step h.
    void check_derivatives(double x, double h, std::FILE* out = stdout);

    // Whether a positive and a negative bracket end have been seen (an end may lie
    // at x = 0).
    bool hasPositiveEnd() const { return hasPos; }
    bool hasNegativeEnd() const { return hasNeg; }

private:
    bool hasPos = false;
    bool hasNeg = false;
    bool bisecting = false;
    bool evaluated = false;  // the model was called at x1 and did not fail
};
