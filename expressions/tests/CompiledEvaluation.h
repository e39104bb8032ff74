#pragma once
// Switches the compiled evaluation plan on or off on this thread for the
// guard's lifetime, and restores the previous setting on leaving the scope —
// also when a failed assertion or an exception leaves it early, so one test
// cannot leave the next ones evaluating node by node.
#include "expressions/Expression.h"

class CompiledEvaluation {
public:
    explicit CompiledEvaluation(bool on) : was_(Expression::sCompiled) { Expression::sCompiled = on; }
    ~CompiledEvaluation() { Expression::sCompiled = was_; }
    CompiledEvaluation(const CompiledEvaluation&) = delete;
    CompiledEvaluation& operator=(const CompiledEvaluation&) = delete;

private:
    bool was_;
};
