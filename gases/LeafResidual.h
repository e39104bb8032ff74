#pragma once
// Base of the one-component residual terms written as one leaf of T and V
// (a separable sum of functions of tau = Tc/T and of delta = Vc/V, see
// fluid/SeparableResidual.h): the tree is a root Sum "A" over that leaf,
// sized so that the leaf depends on T and V alone.  The derived term loads
// the leaf in its volume stage (entries to the second order) and its
// high-order stage (third and fourth).  The derived term owns the leaf: its
// destructor calls releaseTree() first, since deleting the root unlinks the
// leaf, which goes with the derived object.
#include <cmath>

#include "expressions/Leaf.h"
#include "expressions/Sum.h"
#include "fluid/MultiParInteraction.h"

class LeafResidual : public MultiParInteraction {
public:
    ~LeafResidual() override { releaseTree(); }

    // One component only: any other count is refused (refusedComponents).
    void number_of_components(int n) override
    {
        sizeForComponents(n, 1, [this] { leaf_->flags[2] = 0; });
    }
    bool changesInFugacityPass() const override { return false; }
    bool heldLogVolume(double atV, double& lnV) const override
    {
        if (logVAt_ != atV) return false;
        lnV = logV_;
        return true;
    }

protected:
    LeafResidual() = default;

    // Builds the root "A" over the leaf.
    void makeRoot(Leaf& leaf, const char* leafName)
    {
        leaf_ = &leaf;
        leaf.setName(leafName);
        Sum* A = new Sum;
        A->number_of_terms(1);
        A->tiei(0, leaf);
        A->set_scalar(0, 1.0);
        A->set_scalar(1, 0.0);
        A->setName("A");
        root = A;
    }
    void releaseTree()
    {
        delete root;
        root = nullptr;
    }
    // The -ln V of the term's functions of delta at V, its logarithm kept.
    double minusLogVolume()
    {
        logVAt_ = V;
        logV_ = std::log(V);
        return -logV_;
    }

private:
    Leaf* leaf_ = nullptr;
    double logVAt_ = -1.0, logV_ = 0.0;
};
