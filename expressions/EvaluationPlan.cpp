#include "expressions/EvaluationPlan.h"

#include <algorithm>
#include <unordered_set>

#include "expressions/Expression.h"
#include "expressions/Leaf.h"

unsigned long long EvaluationPlan::sBuilds = 0;

EvaluationPlan::EvaluationPlan(Expression* root) : root_(root), stamp_(Expression::sStructure) {
    ++sBuilds;
    // Depth-first, children in their order, each node at its first visit and
    // listed after its children: the order of the recursive pass.
    struct Frame {
        Expression* node;
        std::vector<Expression*> children;
        std::size_t next = 0;
        bool op = false;
    };
    std::unordered_set<const Expression*> seen;
    std::vector<Frame> stack;
    auto open = [&](Expression* e) {
        seen.insert(e);
        Frame f;
        f.node = e;
        f.op = e->planChildren(f.children);
        stack.push_back(std::move(f));
    };
    open(root);
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.op && f.next < f.children.size()) {
            Expression* c = f.children[f.next++];
            if (!seen.count(c)) open(c);
            continue;
        }
        Expression* e = f.node;
        const bool op = f.op;
        stack.pop_back();
        if (op) {
            steps_.push_back({e, true});
            cleared_.push_back(e);
        } else if (dynamic_cast<Leaf*>(e)) {
            cleared_.push_back(e);  // written by its owner, computed by nobody
        } else {
            steps_.push_back({e, false});
            others_.push_back(e);
        }
    }
}

bool EvaluationPlan::current() const { return stamp_ == Expression::sStructure; }

void EvaluationPlan::clearMarks() {
    for (Expression* e : cleared_) e->calculated = false;
    for (Expression* e : others_) e->initialize_the_graph();
}

void EvaluationPlan::setVariables(double* x) {
    Expression::VariablePass pass;
    for (Expression* e : others_)
        if (!e->variablesTaken()) e->set_variable_values(x);
}

void EvaluationPlan::run(int order) {
    keepFree(std::min(order, 4));
    ++Expression::sNesting;
    for (const Step& s : steps_) {
        Expression* e = s.node;
        if (e->calculated) continue;
        if (s.op)
            e->evaluateNode(order);
        else
            e->calculate(order);
    }
    --Expression::sNesting;
    record(std::min(order, 4));
}

void EvaluationPlan::run(int order, int var) {
    // A pass in the held variable needs only the values of the nodes free of
    // it; a pass in another variable needs their entries in that variable.
    keepFree(var == holdVar_ ? -1 : std::min(order, 4));
    ++Expression::sNesting;
    for (const Step& s : steps_) {
        Expression* e = s.node;
        if (e->calculated) continue;
        if (s.op)
            e->evaluateNode(order, var);
        else
            e->calculate(order, var);
    }
    --Expression::sNesting;
    record(-1);
}

void EvaluationPlan::hold(int var) {
    holdVar_ = var;
    level_ = -2;
    freeValid_ = false;
}

void EvaluationPlan::endHold() {
    holdVar_ = -1;
    level_ = -2;
}

void EvaluationPlan::gatherFree() {
    free_.clear();
    freeOthers_.clear();
    for (Expression* e : cleared_)
        if (!e->isDependent(holdVar_)) free_.push_back(e);
    for (Expression* e : others_)
        if (!e->isDependent(holdVar_)) freeOthers_.push_back(e);
    freeValid_ = true;
}

void EvaluationPlan::keepFree(int need) {
    if (holdVar_ < 0 || level_ < need || level_ < -1) return;
    if (!freeValid_) gatherFree();
    for (Expression* e : free_) e->calculated = true;
    for (Expression* e : freeOthers_) e->calculated = true;
}

void EvaluationPlan::record(int provided) {
    if (holdVar_ < 0) return;
    level_ = Expression::sError ? -2 : std::max(level_, provided);
}
