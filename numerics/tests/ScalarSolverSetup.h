#pragma once
// A one-variable solver of type S bound to the residual f of the model m and
// started from x0 and x1.
#include "numerics/Equation.h"

template <class S, class M>
S solverOn(M& m, double (M::*f)(double, void*), double x0, double x1) {
    S s;
    s.obj = &m;
    s.fn = toEquationFn<ScalarEquationFn>(f);
    s.x0 = x0;
    s.x1 = x1;
    return s;
}
