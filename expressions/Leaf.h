#pragma once
// Leaf: a node whose value and derivatives its owner writes directly (a
// parameter the model computes with its own formula).  After sizing, the owner
// clears flags[i] for every variable i on which the leaf does not depend and
// then runs analyze_dependencies() on the root; at each evaluation, after
// initialize_the_graph() and set_variable_values(), it writes `value` and the
// entries of the variables the leaf depends on.
#include "expressions/Operator.h"

class Leaf : public Operator {
public:
    ~Leaf() override;
    const char* getType() const override;
    int hasLeaves() override;
    bool writtenByOwner() const override { return true; }
    void set_variable_values(double* x) override;
    void printFormula(std::FILE* f) override;
};
