#pragma once
// Equation: the base through which the toolkit's solvers, the regression and
// the quadrature call back into a model.
//
// The function whose root, system, fit or integral is sought is an ordinary
// member function of the model.  A solver record stores a pointer to the
// model's Equation part (`obj`) and the member function converted to one of the
// callback types below (`fn`), and calls (obj->*fn)(...).  A failed evaluation
// is reported through `error`, never by an exception.
//
// Binding, from inside a model class M that derives from Equation:
//
//     secant.obj = this;                                   // the Equation part
//     secant.fn  = toEquationFn<ScalarEquationFn>(&M::pressureResidual);
//
// The conversion of a pointer to a member of M into a pointer to a member of
// Equation (a static_cast, which toEquationFn does with compile-time checks)
// keeps the adjustment from the Equation part back to the whole M object.  It
// therefore works when Equation is not the first base of M (for instance after
// the virtual-table pointer of a polymorphic model), and a virtual member
// function bound this way is dispatched on the object's dynamic type.  Equation
// must be an unambiguous, non-virtual, accessible base of M.
#include <concepts>
#include <cstdint>
#include <cstdio>

class Equation;

// Residual (or integrand) f(x, data) of the single-variable solvers, Solver::plot
// and the quadrature.  `data` is the record's opaque pointer, passed unchanged.
using ScalarEquationFn = double (Equation::*)(double x, void* data);

// System of m equations in n variables for NLESolver::calculate: fills G[0..m-1]
// at x[0..n-1] and, when order >= 1, J[i][j] = dG_i/dx_j (J may be null with
// order 0).  The solver sets err to 0 before the call; the model sets it
// nonzero on failure.
using SysEquationFn = void (Equation::*)(double* x, double* G, double** J, int& err, int order,
                                         void* data);

// f and df/dx at x, for NewtonRaphson.  Failure through Equation::error.
using DerivEquationFn = void (Equation::*)(double x, double& f, double& dfdx);

// One observation of a fit: the model's two dependent values F and G at the
// estimated true independent values x, parameters p and the observation's extra
// values; err nonzero on failure.
using FitEquationFn = void (Equation::*)(double* x, double* p, double& F, double& G, double* extra,
                                         std::int16_t& err);

// The caller's action for one value typed at the console (_askCalculate).
using ValueActionFn = void (Equation::*)(double value);

class Equation {
public:
    // 0: the last evaluation succeeded; nonzero: it failed.  The single-variable
    // solvers clear it and turn it into a status; a model that calls its own
    // functions between solver calls must leave it at 0 when they succeed.
    std::int16_t error = 0;

    // Console loop on this object: prints `prompt` (no newline added), reads one
    // number and calls `f` with it, until the number read is 0.  The loop also
    // ends at the end of the input or on text that is not a number.  The input
    // and output streams default to the console.
    void _askCalculate(const char* prompt, ValueActionFn f, std::FILE* in = stdin,
                       std::FILE* out = stdout);
};

// Converts a member function of a model class derived from Equation to the
// callback type Fn (one of the five above), e.g.
//     toEquationFn<SysEquationFn>(&Chamber::volatileSystem)
template <class Fn, class M, class R, class... Args>
    requires std::derived_from<M, Equation>
Fn toEquationFn(R (M::*f)(Args...)) {
    return static_cast<Fn>(f);
}
