#pragma once
// Operator: a node computed from child nodes, with one dependency flag per
// variable.  flags[i] is 1 when the node depends on variable i; the derivative
// loops visit only flagged variables, so entries of the others stay 0.  The
// flags start at 1 when the node is sized and are fixed from the leaves
// upwards, once, by analyze_dependencies().
#include <cstddef>
#include <memory>
#include <vector>

#include "expressions/Expression.h"

// The list of an operator's flagged variables: inside the node up to four
// variables (every pure fluid, most mixtures), so that a pass that reads it
// reaches no other block of memory; on the heap beyond.
class ActiveVariables {
public:
    ActiveVariables() = default;
    ActiveVariables(const ActiveVariables&) = delete;
    ActiveVariables& operator=(const ActiveVariables&) = delete;
    void resize(std::size_t n) {
        heap_.reset(n > kInline ? new int[n]() : nullptr);
        data_ = heap_ ? heap_.get() : inline_;
    }
    int* data() { return data_; }
    const int* data() const { return data_; }
    int& operator[](std::size_t i) { return data_[i]; }
    int operator[](std::size_t i) const { return data_[i]; }

private:
    static constexpr std::size_t kInline = 4;
    int inline_[kInline] = {};
    std::unique_ptr<int[]> heap_;
    int* data_ = inline_;
};

class Operator : public Expression {
private:
    // What the passes read first (see activeVariables): beside the node's
    // own fields, before the flags.
    int nact_ = 0;
    bool actValid_ = false;
    bool actAnalysed_ = false;

public:
    bool analysed = false;

protected:
    ActiveVariables act_;

public:
    std::vector<int> flags;  // empty until sized

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

private:
    void gatherActive();
};
