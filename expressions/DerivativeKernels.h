#pragma once
// The derivative loops shared by the node classes: chain rule of a function of
// one child, Leibniz rule of a product of two, and weighted copies and sums.
//
// Every loop visits the entries (i, j, k, l), l <= k <= j <= i, whose indices
// all belong to `act`, the ascending list of the m variables flagged in the
// node that writes, up to the requested order (orders above 4 count as 4).
// All views belong to nodes sized to the same number of variables, so an entry
// has the same offset in each of them (Expression::off2 .. off4).  The one-
// variable forms (suffix Diag) write only the pure entries of variable `var`.
#include <cstddef>

#include "expressions/Expression.h"

namespace exprk {

// Fills `act` with the indices i < n for which flags[i] is nonzero; returns
// their count.  A null `flags` flags every variable.
inline int activeList(const int* flags, int n, int* act) {
    int m = 0;
    for (int i = 0; i < n; ++i)
        if (!flags || flags[i]) act[m++] = i;
    return m;
}

// out = derivatives of f(u), with f1..f4 the derivatives of f at u's value.
void chainRule(const int* act, int m, int order, const DerivView& u, const DerivView& out, double f1,
               double f2, double f3, double f4);
void chainRuleDiag(int var, int order, const DerivView& u, const DerivView& out, double f1, double f2,
                   double f3, double f4);

// out = derivatives of a*u*v (u0, v0 the values of u and v).
void leibniz(const int* act, int m, int order, double a, double u0, const DerivView& u, double v0,
             const DerivView& v, const DerivView& out);
void leibnizDiag(int var, int order, double a, double u0, const DerivView& u, double v0, const DerivView& v,
                 const DerivView& out);
// out += derivatives of a*u*v, over the entries of `act` only.
void leibnizAdd(const int* act, int m, int order, double a, double u0, const DerivView& u, double v0,
                const DerivView& v, const DerivView& out);

// out = a*u; out = a*u + b*v; out += c*u.  `n` is the variable count of the
// nodes: when m == n the entries are one contiguous run and are done as such.
void scaleSet(const int* act, int m, int n, int order, double a, const DerivView& u, const DerivView& out);
void combineSet(const int* act, int m, int n, int order, double a, const DerivView& u, double b,
                const DerivView& v, const DerivView& out);
void accumulate(const int* act, int m, int n, int order, double c, const DerivView& u, const DerivView& out);

// Offsets of the pure entries of variable v.
inline int diag2(int v) { return Expression::off2(v, v); }
inline int diag3(int v) { return Expression::off3(v, v, v); }
inline int diag4(int v) { return Expression::off4(v, v, v, v); }

}  // namespace exprk
