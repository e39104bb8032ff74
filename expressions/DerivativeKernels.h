#pragma once
// The derivative loops shared by the node classes: chain rule of a function of
// one child, Leibniz rule of a product of two, and weighted copies and sums.
// The loops walk the symmetric storage; each entry's formula (Faa di Bruno's,
// Leibniz's, over one variable or a multi-index) is the derivative kit's
// (numerics/Jet.h).
//
// Every loop visits the entries (i, j, k, l), l <= k <= j <= i, whose indices
// all belong to `act`, the ascending list of the m variables flagged in the
// node that writes, up to the requested order (orders above 4 count as 4).
// All views belong to nodes sized to the same number of variables, so an entry
// has the same offset in each of them (Expression::off2 .. off4).  The one-
// variable forms (suffix Diag) write only the pure entries of variable `var`.
#include <cstddef>

#include "expressions/Expression.h"
#include "numerics/Jet.h"

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

// out = derivatives of a*u*v (u0, v0 the values of u and v).
void leibniz(const int* act, int m, int order, double a, double u0, const DerivView& u, double v0,
             const DerivView& v, const DerivView& out);
// out += derivatives of a*u*v, over the entries of `act` only.
void leibnizAdd(const int* act, int m, int order, double a, double u0, const DerivView& u, double v0,
                const DerivView& v, const DerivView& out);

// out = a*u; out = a*u + b*v; out += c*u.  `n` is the variable count of the
// nodes: when m == n the entries are one contiguous run and are done as such.
void scaleSetEntries(const int* act, int m, int order, double a, const DerivView& u, const DerivView& out);
// Pairs of doubles for the contiguous runs: the same operations entry by
// entry, two at a time (the runs' lengths are known only at run time, and the
// compiler leaves such loops scalar at -O2).
typedef double Pair __attribute__((vector_size(16), aligned(8)));
inline Pair loadPair(const double* p) {
    Pair x;
    __builtin_memcpy(&x, p, sizeof x);
    return x;
}
inline void storePair(double* p, Pair x) { __builtin_memcpy(p, &x, sizeof x); }

inline void scaleSet(const int* act, int m, int n, int order, double a, const DerivView& u, const DerivView& out) {
    if (order < 1) return;
    if (m != n) return scaleSetEntries(act, m, order, a, u, out);
    const std::size_t cnt = Expression::storedEntries(n, order);
    const double* __restrict__ s = u.d1;
    double* __restrict__ d = out.d1;
    std::size_t e = 0;
    for (; e + 2 <= cnt; e += 2) storePair(d + e, a * loadPair(s + e));
    if (e < cnt) d[e] = a * s[e];
}
void combineSet(const int* act, int m, int n, int order, double a, const DerivView& u, double b,
                const DerivView& v, const DerivView& out);
void accumulate(const int* act, int m, int n, int order, double c, const DerivView& u, const DerivView& out);

// Offsets of the pure entries of variable v.
inline int diag2(int v) { return Expression::off2(v, v); }
inline int diag3(int v) { return Expression::off3(v, v, v); }
inline int diag4(int v) { return Expression::off4(v, v, v, v); }

// Offset, within its level, of the entry of the descending indices idx[0..K-1]
// (K = 0: the value, alone in its level).
constexpr int offsetOf(const int* idx, int K) {
    switch (K) {
        case 0: return 0;
        case 1: return idx[0];
        case 2: return Expression::off2(idx[0], idx[1]);
        case 3: return Expression::off3(idx[0], idx[1], idx[2]);
        default: return Expression::off4(idx[0], idx[1], idx[2], idx[3]);
    }
}

// The one-variable forms, inline: the volume search runs them once per node
// and step, each on the handful of pure entries of one variable.  The pure
// entries of `var`, gathered, go through the derivative kit's Faa di Bruno
// and Leibniz formulas (numerics/Jet.h).
inline void gatherPure(int var, int order, const DerivView& u, double* s) {
    s[1] = u.d1[var];
    if (order >= 2) s[2] = u.d2[diag2(var)];
    if (order >= 3) s[3] = u.d3[diag3(var)];
    if (order >= 4) s[4] = u.d4[diag4(var)];
}
inline void scatterPure(int var, int order, const double* s, const DerivView& out) {
    out.d1[var] = s[1];
    if (order >= 2) out.d2[diag2(var)] = s[2];
    if (order >= 3) out.d3[diag3(var)] = s[3];
    if (order >= 4) out.d4[diag4(var)] = s[4];
}

inline void chainRuleDiag(int var, int order, const DerivView& u, const DerivView& out, double f1, double f2,
                          double f3, double f4) {
    if (order < 1) return;
    const double g[5] = {0.0, f1, f2, f3, f4};
    double us[5] = {}, s[5] = {};
    gatherPure(var, order, u, us);
    switch (order) {
    case 1: univariate::composeEntries<1>(g, us, s); break;
    case 2: univariate::composeEntries<2>(g, us, s); break;
    case 3: univariate::composeEntries<3>(g, us, s); break;
    default: univariate::composeEntries<4>(g, us, s); break;
    }
    scatterPure(var, order, s, out);
}

inline void leibnizDiag(int var, int order, double a, double u0, const DerivView& u, double v0,
                        const DerivView& v, const DerivView& out) {
    if (order < 1) return;
    double us[5] = {u0}, vs[5] = {v0}, s[5] = {};
    gatherPure(var, order, u, us);
    gatherPure(var, order, v, vs);
    switch (order) {
    case 1: univariate::productEntries<1>(a, us, vs, s); break;
    case 2: univariate::productEntries<2>(a, us, vs, s); break;
    case 3: univariate::productEntries<3>(a, us, vs, s); break;
    default: univariate::productEntries<4>(a, us, vs, s); break;
    }
    scatterPure(var, order, s, out);
}

// ---- the first and second orders over one or two flagged variables, inline
// (the state functions and fugacities of a pure fluid, variables T and V),
// with the operations of the loops of chainRule, scaleSet and combineSet.  Each returns false, having done nothing, outside that case.

// The chain rule over the M flagged variables act[0..M-1] to the order K
// (each 1 or 2): f1 u' and f1 u'' + f2 u'^2, the derivative kit's formulas.
template <int M, int K>
[[gnu::always_inline]] inline void chainRuleFew(const int* act, const Expression& u, Expression& out, double f1,
                                                double f2) {
    using Chain = multivariate::ChainI<double>;
    using Chain2 = multivariate::ChainIJ<double>;
    const double *U1 = u.d1, *U2 = u.D2;
    const int i = act[0];
    const double ui = U1[i];
    const Chain ci(f1, f2, 0.0, 0.0, ui);
    out.d1[i] = ci.first();
    const int j = M == 2 ? act[1] : -1;
    const double uj = M == 2 ? U1[j] : 0.0;
    const Chain cj(f1, f2, 0.0, 0.0, uj);
    if constexpr (M == 2) out.d1[j] = cj.first();
    if constexpr (K >= 2) {
        const int ii = diag2(i);
        out.D2[ii] = Chain2(ci, ui, U2[ii]).second();
        if constexpr (M == 2) {
            const int ji = Expression::off2(j, i), jj = diag2(j);
            out.D2[ji] = Chain2(cj, ui, U2[ji]).second();
            out.D2[jj] = Chain2(cj, uj, U2[jj]).second();
        }
    }
}

inline bool chainRuleSmall(const int* act, int m, int order, const Expression& u, Expression& out, double f1,
                           double f2) {
    if (order > 2 || m < 1 || m > 2) return false;
    if (m == 1)
        order < 2 ? chainRuleFew<1, 1>(act, u, out, f1, f2) : chainRuleFew<1, 2>(act, u, out, f1, f2);
    else
        order < 2 ? chainRuleFew<2, 1>(act, u, out, f1, f2) : chainRuleFew<2, 2>(act, u, out, f1, f2);
    return true;
}

// out = a u + b v entry by entry over the M flagged variables to the order K
// (each 1 or 2); a u alone (a scaling) unless TWO.
template <int M, int K, bool TWO>
[[gnu::always_inline]] inline void combineFew(const int* act, double a, const Expression& u, double b,
                                              const Expression& v, Expression& out) {
    auto at = [&](const double* U, const double* V, double* O, int k) {
        if constexpr (TWO)
            O[k] = a * U[k] + b * V[k];
        else
            O[k] = a * U[k];
    };
    const int i = act[0];
    at(u.d1, v.d1, out.d1, i);
    const int j = M == 2 ? act[1] : -1;
    if constexpr (M == 2) at(u.d1, v.d1, out.d1, j);
    if constexpr (K >= 2) {
        at(u.D2, v.D2, out.D2, diag2(i));
        if constexpr (M == 2) {
            at(u.D2, v.D2, out.D2, Expression::off2(j, i));
            at(u.D2, v.D2, out.D2, diag2(j));
        }
    }
}

// out = a u + b v entry by entry; a u alone (a scaling) unless TWO.
template <bool TWO>
inline bool combineSmall(const int* act, int m, int order, double a, const Expression& u, double b,
                          const Expression& v, Expression& out) {
    if (order > 2 || m < 1 || m > 2) return false;
    if (m == 1)
        order < 2 ? combineFew<1, 1, TWO>(act, a, u, b, v, out) : combineFew<1, 2, TWO>(act, a, u, b, v, out);
    else
        order < 2 ? combineFew<2, 1, TWO>(act, a, u, b, v, out) : combineFew<2, 2, TWO>(act, a, u, b, v, out);
    return true;
}

// ---- slots of a compiled one-variable pass (VarPass): s[0] the value,
// s[k] the pure derivative of order k in the pass's variable.

// A node's value and, when it depends on the variable, its pure entries.
inline void loadPure(const Expression& e, const VarPass& p, bool dep, double* out) {
    out[0] = e.value;
    if (!dep) return;
    out[1] = e.d1[p.var];
    if (p.order < 2) return;
    out[2] = e.D2[p.o2];
    if (p.order < 3) return;
    out[3] = e.D3[p.o3];
    if (p.order < 4) return;
    out[4] = e.D4[p.o4];
}

// The pure entries of a slot into the node's storage.
inline void storePure(Expression& e, const VarPass& p, const double* s) {
    e.d1[p.var] = s[1];
    if (p.order < 2) return;
    e.D2[p.o2] = s[2];
    if (p.order < 3) return;
    e.D3[p.o3] = s[3];
    if (p.order < 4) return;
    e.D4[p.o4] = s[4];
}

// The same for a pass of order K known at compile time.
template <int K>
inline void storePureK(Expression& e, const VarPass& p, const double* s) {
    e.d1[p.var] = s[1];
    if constexpr (K >= 2) e.D2[p.o2] = s[2];
    if constexpr (K >= 3) e.D3[p.o3] = s[3];
    if constexpr (K >= 4) e.D4[p.o4] = s[4];
}

// chainRuleDiag and leibnizDiag on slots, to order K, with the same operations
// (those of the derivative kit, numerics/Jet.h).
template <int K>
inline void chainRuleSlot(const double* u, double* out, double f1, double f2, double f3, double f4) {
    const double g[5] = {0.0, f1, f2, f3, f4};
    univariate::composeEntries<K>(g, u, out);
}

template <int K>
inline void leibnizSlot(double a, const double* u, const double* v, double* out) {
    univariate::productEntries<K>(a, u, v, out);
}

// The entries 1..K of a*u*v when one factor is free of the variable, its
// entries exact zeros (`constant` 1: v, 2: u): the one nonzero term of
// Leibniz's rule, as the products' kernels of one-variable passes compute it;
// `constant` 0: the whole rule (leibnizSlot).
template <int K>
inline void productSlot(unsigned char constant, double a, const double* u, const double* v, double* out) {
    if (constant == 1) {
        const double v0 = v[0];
        out[1] = a * (u[1] * v0);
        if constexpr (K >= 2) out[2] = a * (u[2] * v0);
        if constexpr (K >= 3) out[3] = a * (u[3] * v0);
        if constexpr (K >= 4) out[4] = a * (u[4] * v0);
    } else if (constant == 2) {
        const double u0 = u[0];
        out[1] = a * (u0 * v[1]);
        if constexpr (K >= 2) out[2] = a * (u0 * v[2]);
        if constexpr (K >= 3) out[3] = a * (u0 * v[3]);
        if constexpr (K >= 4) out[4] = a * (u0 * v[4]);
    } else {
        leibnizSlot<K>(a, u, v, out);
    }
}

// The kernel of a pass of the given order (1 to 4) over a batch of nodes,
// each computed by S::one<K, ST>(pass, item), ST telling whether the pass
// writes the nodes.
// The kernel of a full pass of order K over a batch of nodes of class T.
template <class T, int K>
void fullBatch(Expression* const* nodes, int count) {
    for (int i = 0; i < count; ++i) {
        Expression* e = nodes[i];
        if (!e->calculated) static_cast<T*>(e)->T::evaluateNode(K);
    }
}

template <class T>
FullKernel fullByOrder(int order) {
    switch (order) {
        case 0: return &fullBatch<T, 0>;
        case 1: return &fullBatch<T, 1>;
        case 2: return &fullBatch<T, 2>;
        case 3: return &fullBatch<T, 3>;
        default: return &fullBatch<T, 4>;
    }
}

// In a pass that writes the nodes, a node already computed (marked) is only
// read into its slot.
template <class S>
struct Batch {
    template <int K>
    static void run(const VarPass& p, VarItem* items, int count) {
        if (p.snap) {
            for (int i = 0; i < count; ++i) S::snap(items[i]);
            return;
        }
        if (!p.store) {
            if (p.fresh)
                for (int i = 0; i < count; ++i) S::snap(items[i]);
            for (int i = 0; i < count; ++i) S::template one<K, false>(p, items[i]);
            return;
        }
        for (int i = 0; i < count; ++i) {
            const VarItem& it = items[i];
            if (it.e->calculated)
                loadPure(*it.e, p, it.dep, it.out);
            else
                S::template one<K, true>(p, it);
        }
    }
};

template <class S>
VarKernel byOrder(int order) {
    switch (order) {
        case 1: return &Batch<S>::template run<1>;
        case 2: return &Batch<S>::template run<2>;
        case 3: return &Batch<S>::template run<3>;
        default: return &Batch<S>::template run<4>;
    }
}

}  // namespace exprk
