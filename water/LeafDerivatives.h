#pragma once
// Small helpers of the water terms that load Leaf nodes by hand: a value and
// its first to fourth derivatives in one variable (0: T, 1: V), and the
// derivatives of the elementary functions the leaves are made of.
#include <cmath>

#include "expressions/Leaf.h"

namespace waterleaf {

// Value f[0] and derivatives f[1] .. f[K] of one function of one variable.
template <int K>
struct JetOf {
    double f[K + 1] = {};

    JetOf& operator+=(const JetOf& o) {
        for (int k = 0; k <= K; ++k) f[k] += o.f[k];
        return *this;
    }
    JetOf& operator*=(double c) {
        for (int k = 0; k <= K; ++k) f[k] *= c;
        return *this;
    }
};
using Jet = JetOf<4>;

// c x^p for any real p.
inline Jet power(double c, double x, double p) {
    Jet j;
    double coef = c;
    for (int k = 0; k < 5; ++k) {
        j.f[k] = coef == 0.0 ? 0.0 : coef * std::pow(x, p - k);
        coef *= (p - k);
    }
    return j;
}

// c x^p ln x (p real): d^k = x^(p-k) (a_k ln x + b_k) with
// a_{k+1} = (p - k) a_k and b_{k+1} = (p - k) b_k + a_k.
inline Jet powerLog(double c, double x, double p) {
    Jet j;
    const double lx = std::log(x);
    double a = 1.0, b = 0.0;
    for (int k = 0; k < 5; ++k) {
        j.f[k] = c * std::pow(x, p - k) * (a * lx + b);
        const double an = (p - k) * a;
        b = (p - k) * b + a;
        a = an;
    }
    return j;
}

// c ln x.
inline Jet logarithm(double c, double x) {
    Jet j;
    j.f[0] = c * std::log(x);
    j.f[1] = c / x;
    j.f[2] = -c / (x * x);
    j.f[3] = 2.0 * c / (x * x * x);
    j.f[4] = -6.0 * c / (x * x * x * x);
    return j;
}

// Derivatives in x of g(s x) from those in s (chain rule for a linear scale).
inline Jet scaled(Jet j, double s) {
    double sk = 1.0;
    for (int k = 0; k < 5; ++k) {
        j.f[k] *= sk;
        sk *= s;
    }
    return j;
}

// Derivatives in x of g(u(x)) from those of g in u (at u(x)) and u[0 .. K]
// of u in x (Faa di Bruno's formula), to the order K <= 4.
template <int K>
JetOf<K> compose(const JetOf<K>& g, const double* u) {
    JetOf<K> j;
    j.f[0] = g.f[0];
    if constexpr (K >= 1) j.f[1] = g.f[1] * u[1];
    if constexpr (K >= 2) j.f[2] = g.f[2] * u[1] * u[1] + g.f[1] * u[2];
    if constexpr (K >= 3) j.f[3] = g.f[3] * u[1] * u[1] * u[1] + 3.0 * g.f[2] * u[1] * u[2] + g.f[1] * u[3];
    if constexpr (K >= 4) {
        const double u1 = u[1], u2 = u[2], u3 = u[3], u4 = u[4];
        j.f[4] = g.f[4] * u1 * u1 * u1 * u1 + 6.0 * g.f[3] * u1 * u1 * u2 + 3.0 * g.f[2] * u2 * u2 +
                 4.0 * g.f[2] * u1 * u3 + g.f[1] * u4;
    }
    return j;
}

inline Jet compose(const Jet& g, const Jet& u) { return compose(g, u.f); }

// Derivatives of the product of two functions of x (Leibniz's rule), to the order K <= 4.
template <int K>
JetOf<K> product(const JetOf<K>& p, const JetOf<K>& q) {
    const double *a = p.f, *b = q.f;
    JetOf<K> j;
    j.f[0] = a[0] * b[0];
    if constexpr (K >= 1) j.f[1] = a[1] * b[0] + a[0] * b[1];
    if constexpr (K >= 2) j.f[2] = a[2] * b[0] + 2.0 * a[1] * b[1] + a[0] * b[2];
    if constexpr (K >= 3) j.f[3] = a[3] * b[0] + 3.0 * (a[2] * b[1] + a[1] * b[2]) + a[0] * b[3];
    if constexpr (K >= 4)
        j.f[4] = a[4] * b[0] + 4.0 * (a[3] * b[1] + a[1] * b[3]) + 6.0 * a[2] * b[2] + a[0] * b[4];
    return j;
}

// Derivatives in x of exp(u(x)) from those of u, to the order K <= 4.
template <int K>
JetOf<K> exponential(const JetOf<K>& u) {
    const double e = std::exp(u.f[0]);
    JetOf<K> g;
#pragma GCC unroll 5
    for (double& gk : g.f) gk = e;
    return compose(g, u.f);
}

// Writes the jet into the leaf as its value and pure derivatives in variable v.
inline void load(Leaf& leaf, int v, const Jet& j) {
    leaf.value = j.f[0];
    leaf.d1[v] = j.f[1];
    leaf.D2[Expression::off2(v, v)] = j.f[2];
    leaf.D3[Expression::off3(v, v, v)] = j.f[3];
    leaf.D4[Expression::off4(v, v, v, v)] = j.f[4];
}

// Names a node and ties it to its operand(s).
inline void link(Expression& node, const char* name, Expression& u) {
    node.setName(name);
    node.tie1(u);
}

inline void link(Expression& node, const char* name, Expression& u, Expression& v) {
    node.setName(name);
    node.tie2(u, v);
}

// Clears the leaf's dependency on every variable but `keep` (kTemperatureAndVolume:
// on the composition).
inline constexpr int kTemperatureAndVolume = -1;
inline void dependsOnlyOn(Leaf& leaf, int keep, int nvars) {
    for (int i = 0; i < nvars; ++i)
        if (keep == kTemperatureAndVolume ? i > 1 : i != keep) leaf.flags[i] = 0;
}

}  // namespace waterleaf
