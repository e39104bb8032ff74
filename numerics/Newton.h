#pragma once
// Newton: damped Newton iteration for the system of an NLESolver, with row
// scaling, per-variable step scales and optional per-variable bounds.
//
// Status after solve: 0 converged; 1 no convergence (an evaluation failed and
// the damping was exhausted, the residual kept growing, the linear system was
// singular, or the iteration limit was passed); 2 the system has no unknowns;
// 3 the residual is below tol but the last step is still larger than stepTol.
#include <cstdint>
#include <vector>

#include "numerics/NLESolver.h"

class Newton : public NLESolver {
public:
    double* rowModule = nullptr;  // row norms of the last evaluation
    double stepTol = 0.0;         // limit on the sum of scaled step components (1e-8)
    double lambdaMin = 0.0;       // smallest damping factor (0.01)
    double* lo = nullptr;         // lower bounds, set by the caller
    double* hi = nullptr;         // upper bounds, set by the caller
    char* bounded = nullptr;      // nonzero: variable i stays inside [lo_i, hi_i]

    Newton() = default;
    ~Newton() override = default;

    void _setSysEquationToSolve(Equation* obj, SysEquationFn f, int n);
    // Runs the iteration from x; returns nonzero when the search has ended (it
    // always does).  The outcome is in status, the result in x.
    int solve();
    void purge() override;

    // Steps of the iteration, public for the models that drive it themselves.
    void calculate_the_next_vector();
    void calculate_module();
    int convergence();

private:
    std::vector<double> bounds_;  // rowModule, lo, hi
    std::vector<char> flags_;
};
