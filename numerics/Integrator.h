#pragma once
// Integrator: fixed-rule quadrature of a member function of a model over [a, b].
//
// The caller creates a rule (Gauss10, Gauss20 or Trapezoidal), binds the
// integrand as for the single-variable solvers (obj, fn, data; see
// numerics/Equation.h), sets both bounds and calls calculate() once.
//
// A failed point is reported by the integrand through the object's `error`
// flag.  The rule clears it when it starts (a flag left by an earlier call
// is no failure of this integral) and not after: once a point has failed
// every later point counts as 0, the rest of the integral is lost, and the
// caller finds the flag still set after calculate().
#include "numerics/Equation.h"

class Integrator {
public:
    Equation* obj = nullptr;        // object of the integrand
    ScalarEquationFn fn = nullptr;  // integrand f(x, data)
    void* data = nullptr;           // opaque argument passed to every call
    double a = -1e15;               // lower bound (placeholder: callers set it)
    double b = 1e15;                // upper bound (placeholder: callers set it)

    Integrator() = default;
    virtual ~Integrator() = default;

    // The integral of f over [a, b].  NaN when no integrand is bound.
    virtual double calculate() = 0;

protected:
    // f(x), or 0 while the object's error flag is set.
    double point(double x);
    // True when an integrand is bound (its error flag then cleared for this
    // integral); otherwise said.
    bool bound() const;
};

// 10-point Gauss-Legendre rule: exact for polynomials up to degree 19.
class Gauss10 : public Integrator {
public:
    double calculate() override;
};

// 20-point Gauss-Legendre rule: exact for polynomials up to degree 39.
class Gauss20 : public Integrator {
public:
    double calculate() override;
};

// Composite trapezoidal rule with 50 equal intervals.
class Trapezoidal : public Integrator {
public:
    double calculate() override;
};
