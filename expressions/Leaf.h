#pragma once
// Leaf: a node whose value and derivatives its owner writes directly (a
// parameter the model computes with its own formula).  After sizing, the owner
// clears flags[i] for every variable i on which the leaf does not depend and
// then runs analyze_dependencies() on the root; at each evaluation, after
// initialize_the_graph() and set_variable_values(), it writes `value` and the
// entries of the variables the leaf depends on.
#include "expressions/Operator.h"
#include "numerics/Jet.h"

class Leaf : public Operator {
public:
    ~Leaf() override;
    const char* getType() const override;
    int hasLeaves() override;
    bool writtenByOwner() const override { return true; }
    void set_variable_values(double* x) override;
    void printFormula(std::FILE* f) override;
};

// Writing the entries of a leaf of T (variable 0) and V (variable 1) from
// jets: the one writer of the models' leaves.
namespace leafjet {

// The entry with nT derivatives in T and nV in V (nT + nV <= 4); the value
// for none.
inline void setEntry(Expression& e, int nT, int nV, double value) {
    const int i = nV > 0 ? 1 : 0, j = nV > 1 ? 1 : 0, k = nV > 2 ? 1 : 0, l = nV > 3 ? 1 : 0;
    switch (nT + nV) {
    case 0: e.value = value; break;
    case 1: e.d1[i] = value; break;
    case 2: e.D2[Expression::off2(i, j)] = value; break;
    case 3: e.D3[Expression::off3(i, j, k)] = value; break;
    default: e.D4[Expression::off4(i, j, k, l)] = value; break;
    }
}

// The entries of orders from .. K of a function of variable v alone (0: T,
// 1: V), from its jet in v.
template <int K>
void load(Expression& e, int v, const univariate::Jet<K>& f, int from = 0) {
    if (from <= 0) e.value = f.f[0];
    if constexpr (K >= 1)
        if (from <= 1) e.d1[v] = f.f[1];
    if constexpr (K >= 2)
        if (from <= 2) e.D2[Expression::off2(v, v)] = f.f[2];
    if constexpr (K >= 3)
        if (from <= 3) e.D3[Expression::off3(v, v, v)] = f.f[3];
    if constexpr (K >= 4) e.D4[Expression::off4(v, v, v, v)] = f.f[4];
}

}  // namespace leafjet
