#pragma once
// Solver: the plain record shared by the single-variable root finders (Secant,
// Muller, Bolzano, SecDic, SecMul).
//
// The caller constructs the record (the constructor puts in the defaults), sets
// obj, fn and data (see numerics/Equation.h for the binding), the start values
// x0 and x1 and any options, calls solve(), then tests `status` before using the
// result.  A record held by a model is reused: set new start values before each
// solve.
#include <cstdint>

#include "numerics/Equation.h"

// Outcome of a single-variable search (the `status` field).
using SolverStatus = std::int16_t;
enum : SolverStatus {
    kSolverConverged = 0,       // converged
    kSolverIterationLimit = 1,  // iteration limit (Bolzano, SecDic: also no sign change)
    kSolverBelowMin = 2,        // an evaluation point was below xmin (bounds active)
    kSolverAboveMax = 3,        // an evaluation point was above xmax (bounds active)
    kSolverEvaluationFailed = 4,  // the model reported failure (Muller, SecMul: also no sign change)
    kSolverResidualGrew = 5,    // |f| grew under the monotone check
};

class Solver {
public:
    Equation* obj = nullptr;      // Equation part of the model
    ScalarEquationFn fn = nullptr;  // f(x, data)
    void* data = nullptr;         // opaque argument of every call
    double x0 = 0.0;              // first start value; the older iterate
    double x1 = 0.0;              // second start value; the newer iterate
    std::int32_t iter = 0;        // iterations done
    std::int32_t itermax = 15;    // iteration limit
    SolverStatus status = kSolverConverged;
    double tol = 1e-9;            // relative step tolerance
    std::int16_t verbose = 0;     // nonzero prints the iterations
    std::int16_t bounded = 0;     // nonzero makes xmin/xmax active
    double xmin = -1e15;
    double xmax = 1e15;
    std::int16_t limitStep = 0;   // nonzero limits each step to maxStep
    double maxStep = 0.0;         // largest move away from x1 when limitStep is set
    double lambda = 1.0;          // damping factor at the start of every step
    double lambdaMin = 0.01;      // damping below which a failing step is given up

    // f(x) through the bound callback.  Points outside active bounds are not
    // evaluated (status 2 or 3); a model failure gives status 4 and clears the
    // model's error flag.  The result is 0 whenever status is nonzero.
    double calcFunction(double x);

    // Check plot of f between a and b in n steps (geometric steps with logScale):
    // writes "solver.txt" and the gnuplot script "solver.gp" in the current
    // directory and hands the script to gnuplot.  Returns gnuplot's exit status,
    // 0 when external programs are switched off, -1 when a file cannot be
    // written, the range is unusable or gnuplot cannot be started.
    int plot(double a, double b, int n, char logScale);
};
