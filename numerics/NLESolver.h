#pragma once
// NLESolver: a system of n non-linear equations in n variables, bound to a
// member function of a model (SysEquationFn, numerics/Equation.h), with its
// work vectors and Jacobian.  Newton (numerics/Newton.h) solves it.
//
// A model owns one solver per system, binds it once with _setSysEquationToSolve,
// sets verbose, numericalJacobian, data, bounds and any of tol / stepTol /
// itermax / lambdaMin after the binding, and for each solve writes the start
// values into x (and usually xold), calls solve and reads status, then x.
//
// Rebinding: binding the same function on the same object with the same n
// changes nothing (overrides survive).  Any change takes the new object, size
// and function, puts the defaults back, and gives fresh zeroed vectors (the
// bounds of a Newton survive when n is unchanged).
#include <cstdint>
#include <cstdio>
#include <vector>

#include "numerics/Equation.h"

class NLESolver {
public:
    Equation* obj = nullptr;
    SysEquationFn fn = nullptr;
    std::int32_t n = 0;          // number of variables
    std::int32_t m = 0;          // number of equations (= n)
    std::int32_t iter = 0;
    std::int32_t itermax = 0;    // 25 after binding
    double* G = nullptr;         // residuals, m values
    double* x = nullptr;         // variables, n values (the start vector goes here)
    double** J = nullptr;        // Jacobian rows, n x n
    double* xold = nullptr;      // variables before the current step
    double* dx = nullptr;        // Newton step
    double* scale = nullptr;     // largest sensible step of each variable (1e4)
    double tol = 0.0;            // tolerance on the scaled residual modulus (1e-11)
    double modG = 0.0;           // scaled residual modulus at the current point
    double modG0 = 0.0;          // modulus of the last accepted point
    std::int16_t verbose = 0;    // nonzero prints iterations; above 2 also the Jacobian
    std::int32_t status = 0;
    void* data = nullptr;        // opaque argument passed to the system
    std::int8_t numericalJacobian = 0;  // nonzero: Jacobian by central differences
    double* h = nullptr;         // difference increments (1e-9)

    NLESolver() = default;
    NLESolver(const NLESolver&) = delete;
    NLESolver& operator=(const NLESolver&) = delete;
    virtual ~NLESolver() = default;

    // Binds the system f of object obj with n unknowns and allocates the arrays.
    void _setSysEquationToSolve(Equation* obj, SysEquationFn f, int n);

    // err := 0, then the bound system at x (Jacobian with order >= 1).
    void calculate(double* x, double* G, double** J, int& err, int order);
    // Residuals at x and a central-difference Jacobian with the increments h.
    // x is restored exactly; err is nonzero when any evaluation failed.
    void calculate_numerical(double* x, double* G, double** J, int& err);
    // Prints the analytical and the numerical Jacobian at x (increments h, or the
    // solver's own when h is null) for checking a model.  Returns the largest
    // relative difference between the two, or -1 when an evaluation failed.
    double check_derivatives(std::FILE* stream, double* x, double* h);
    // Residual map over variables ix and iy, written to "mapcrit<suffix>" (kind 1:
    // Igor text; kind 2: also the gnuplot script "g60.gp", handed to gnuplot).
    // Returns 0, or -1 when nothing was written or a file failed.
    int map(int ix, int iy, double x0min, double x0max, double x1min, double x1max, int nx, int ny,
            char kind, const char* suffix);
    void display_the_vector();
    void display_the_Jacobian_matrix();

    // Releases all arrays (the pointers become null).
    virtual void purge();

protected:
    // The central-difference Jacobian of calculate_numerical, with s (m values)
    // for the residuals at the displaced points.
    void centralDifferenceJacobian(double* x, double* G, double** J, int& err, double* s);
    bool sameBinding(Equation* o, SysEquationFn f, int nn) const {
        return x != nullptr && f == fn && o == obj && nn == n;
    }

private:
    std::vector<double> block_;     // G, x, xold, dx, scale, h
    std::vector<double> jstore_;    // Jacobian entries, row after row
    std::vector<double*> jrows_;
    std::vector<double> scratch_;   // residuals at displaced points
};
