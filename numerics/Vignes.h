#pragma once
// Vignes: least-squares minimiser of a bound system of m residuals in n
// variables, Phi = sum_i G_i^2, for systems that Newton cannot solve exactly or
// that have more equations than unknowns.
//
// Each iteration tries a damped Gauss-Newton step (normal equations J^T J dx =
// -J^T G) and then a line search along the normalised steepest-descent
// direction, keeping whichever point lowers Phi most; the lengths of both
// steps carry over from one iteration to the next.
//
// Binding and use as for Newton (numerics/Newton.h):
//   Vignes v;
//   v._setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&M::residuals), n, m);
//   (set tol, itermax, scale, numericalJacobian, data ...)
//   write the start values into v.x; v.solve(); read v.status, v.x, v.modG.
// The system fills G[0..m-1] and, with order 1, J[i][j] for i < m, j < n.
//
// status after solve: 0 converged; 1 a failed evaluation at the start or after
// an accepted iteration, 50 failed descent trials, the iteration limit, or a
// singular normal matrix in the last Gauss-Newton step; 2 no unknowns.
// modG holds Phi at x.
#include <vector>

#include "numerics/NLESolver.h"

class Vignes : public NLESolver {
public:
    double* b = nullptr;          // right-hand side -J^T G (n)
    double** A = nullptr;         // normal matrix J^T J (n x n)
    double* d = nullptr;          // descent direction (n)
    double* dCopy = nullptr;      // copy of the unblended direction (n)
    double* dPrev = nullptr;      // direction of the previous iteration (n)
    double* xBest = nullptr;      // best point found (n)
    double* Gbase = nullptr;      // residuals at the start of the iteration (m)
    double tGN = 1.0;             // Gauss-Newton step length, kept between iterations
    double tSD = 1.0;             // descent step length, kept between iterations

    Vignes() = default;
    ~Vignes() override = default;

    // Binds a system of m residuals in n unknowns (m = n with the three-argument
    // form) and allocates its arrays.  Binding the same function again keeps the
    // caller's overrides; a changed m only resizes the residual arrays.
    void _setSysEquationToSolve(Equation* obj, SysEquationFn f, int n, int m);
    void _setSysEquationToSolve(Equation* obj, SysEquationFn f, int n) {
        _setSysEquationToSolve(obj, f, n, n);
    }

    // Minimises Phi from x.  Returns 1 (the search has ended); the outcome is in
    // status, the result in x, Phi at x in modG.
    int solve();
    void purge() override;

private:
    std::vector<double> gstore_, jstore_, astore_, work_, scratch_;
    std::vector<double*> jrows_, arows_;
    int rows_ = -1, cols_ = -1;

    // Outcome of a line search along the descent direction.
    struct LineSearch {
        bool improved = false;   // a point better than the best was found
        bool gaveUp = false;     // the failure limit was reached without improvement
        double sBest = 0.0;      // length of the best point along the direction
        double sLast = 0.0;      // last length tried
        double phiLast = 0.0;    // Phi at the last rejected point (inf if it failed)
    };

    void shape(int mm);
    // The checks of the binding and the first evaluation; false (with status
    // set) when the search cannot start.
    bool startSolve(double& phi);
    bool gaussNewtonStep();
    void descentDirection();
    LineSearch descend(double s, int maxFailures);
    void descendAfterGaussNewton(double phi0);
    bool stalled() const;
    // Evaluates G (and with order 1 J) at x; Phi into phi.  False on failure or
    // a value that is not a number.
    bool evaluate(double* at, int order, double& phi);
    bool numericalJacobian_(double* at);
    double phiOf() const;
};
