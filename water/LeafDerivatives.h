#pragma once
// Small helpers of the water terms that load Leaf nodes by hand: a value and
// its first to fourth derivatives in one variable (0: T, 1: V) from a jet of
// the derivative kit (numerics/Jet.h), and the naming and linking of nodes.
#include "expressions/Leaf.h"
#include "numerics/Jet.h"

namespace waterleaf {

// The jets of numerics/Jet.h: a value and its derivatives to the order K.
template <int K>
using JetOf = univariate::Jet<K>;
using Jet = JetOf<4>;

// c x^p for any real p, and c x^p ln x, c ln x, with their derivatives to the fourth order.
inline Jet power(double c, double x, double p) { return univariate::power<4>(c, x, p); }
inline Jet powerLog(double c, double x, double p) { return univariate::powerLog<4>(c, x, p); }
inline Jet logarithm(double c, double x) { return univariate::logarithm<4>(c, x); }

using univariate::compose;
using univariate::product;
using univariate::scaled;

// Writes the jet into the leaf as its value and pure derivatives in variable v.
using leafjet::load;

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
