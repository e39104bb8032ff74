#pragma once
// TauCachedSum: the root sum of a water model's tree whose only inputs are
// the two Leaf nodes delta = Vc/V and tau = Tc/T, which the term loads itself.
// Handing the variable vector down the graph would change nothing, and the
// walk (which revisits every shared power of delta and tau once per term using
// it) costs about a tenth of an evaluation; it is left out.
//
// The root also knows every node of the tree (all are members of the term),
// which saves the volume search two costs of the generic walks:
//  - the marks are cleared by one flat loop instead of a recursive walk;
//  - the nodes of tau alone keep their values through the steps of a search
//    in V at a fixed temperature.  In a pass in V such a node contributes its
//    value only (its entries in V are zero), and that value is a function of
//    tau alone: when tau is the one at which the last pass from the root
//    computed every node without error, the pass takes those values as they
//    are, which are the very numbers it would compute.
// The term reports each tau it loads (loadingTau) before writing it.
#include <utility>
#include <vector>

#include "expressions/Leaf.h"
#include "expressions/Sum.h"

class TauCachedSum : public Sum {
public:
    static constexpr int kVolumeVariable = 1;

    void set_variable_values(double*) override {}

    // The nodes below the root, once the tree is sized and its dependencies
    // analysed; the tau-only ones are those that do not depend on V.
    void setNodes(std::vector<Expression*> all, const Leaf* tau) {
        nodes_ = std::move(all);
        tauOnly_.clear();
        for (Expression* e : nodes_)
            if (!e->isDependent(kVolumeVariable)) tauOnly_.push_back(e);
        tau_ = tau;
        cacheValid_ = false;
    }

    // Another tau makes the kept values stale.
    void loadingTau(double tau) {
        if (tau != cachedTau_) cacheValid_ = false;
    }

    void initialize_the_graph() override {
        if (nodes_.empty()) return Sum::initialize_the_graph();
        calculated = false;
        for (Expression* e : nodes_) e->calculated = false;
    }

    void calculate(int order) override {
        const bool fresh = !calculated;
        Sum::calculate(order);
        record(fresh);
    }

    void calculate(int order, int var) override {
        const bool fresh = !calculated;
        if (fresh && var == kVolumeVariable && cacheValid_ && tau_ && tau_->value == cachedTau_)
            for (Expression* e : tauOnly_) e->calculated = true;
        Sum::calculate(order, var);
        record(fresh);
    }

private:
    // After a pass that computed the whole tree, its tau-only values belong to
    // the present tau (unless a node failed on the way).
    void record(bool fresh) {
        if (!fresh || !tau_) return;
        cacheValid_ = Expression::sError == 0;
        cachedTau_ = tau_->value;
    }

    std::vector<Expression*> nodes_;
    std::vector<Expression*> tauOnly_;
    const Leaf* tau_ = nullptr;
    double cachedTau_ = 0.0;
    bool cacheValid_ = false;
};
