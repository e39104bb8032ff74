#pragma once
// A reduced variable c/x of the one state variable x it depends on (tau =
// Tc/T on variable 0, delta = Vc/V on variable 1), written into a leaf of an
// expression tree with its derivatives of order 1 to 4 in that variable k:
//   d^n(c/x)/dx^n = (-1)^n n! c / x^(n+1).
// `offset` is added to the value only (a variable such as Tc/T - 1).
// setLogReducedVariable writes ln(c/x) the same way:
//   d(ln(c/x))/dx = -1/x,  d^n/dx^n = (-1)^n (n-1)! / x^n.
#include <cmath>

#include "expressions/Expression.h"

// The entries are written through the flat views (the same storage as
// d2[k][k] .. d4[k][k][k][k], without the row pointers).
// c/x and its first four derivatives, f[n] = d^n(c/x)/dx^n.
template <int K = 4>
inline void reducedVariable(double c, double x, double* f) {
    const double x2 = x * x;
    f[0] = c / x;
    f[1] = -c / x2;
    f[2] = 2.0 * c / (x2 * x);
    if constexpr (K >= 3) f[3] = -6.0 * c / (x2 * x2);
    if constexpr (K >= 4) f[4] = 24.0 * c / (x2 * x2 * x);
}

inline void setReducedVariable(Expression& e, double c, double x, int k, double offset = 0.0) {
    double f[5];
    reducedVariable(c, x, f);
    e.value = f[0] + offset;
    e.d1[k] = f[1];
    e.D2[Expression::off2(k, k)] = f[2];
    e.D3[Expression::off3(k, k, k)] = f[3];
    e.D4[Expression::off4(k, k, k, k)] = f[4];
}

inline void setLogReducedVariable(Expression& e, double c, double x, int k) {
    const double x2 = x * x;
    e.value = std::log(c / x);
    e.d1[k] = -1.0 / x;
    e.D2[Expression::off2(k, k)] = 1.0 / x2;
    e.D3[Expression::off3(k, k, k)] = -2.0 / (x2 * x);
    e.D4[Expression::off4(k, k, k, k)] = 6.0 / (x2 * x2);
}
