#pragma once
// Operator: a node computed from child nodes, with one dependency flag per
// variable.  flags[i] is 1 when the node depends on variable i; the derivative
// loops visit only flagged variables, so entries of the others stay 0.  The
// flags start at 1 when the node is sized and are fixed from the leaves
// upwards, once, by analyze_dependencies().
#include <vector>

#include "expressions/Expression.h"

class Operator : public Expression {
public:
    std::vector<int> flags;  // empty until sized
    bool analysed = false;

    ~Operator() override;
    void number_of_variables(int n) override;
    const char* getType() const override;
    int isDependent(int i) override;
    // The flagged variables in ascending order and their count, for the
    // compiled kernels.
    int activeCount() { return activeVariables(); }
    const int* activeList() const { return act_.data(); }

protected:
    // The flagged variables in ascending order (act_), and their count.  The
    // list is gathered again after sizing and after the flags are analysed;
    // an operator's flags are written by analyze_dependencies() only (owners
    // write the flags of Leaf nodes, which never use the list).
    int activeVariables() {
        if (!actValid_ || actAnalysed_ != analysed) gatherActive();
        return nact_;
    }
    std::vector<int> act_;

private:
    void gatherActive();
    int nact_ = 0;
    bool actValid_ = false;
    bool actAnalysed_ = false;
};
