#pragma once
// An ideal-gas part that is one closed function of temperature: its tree is a
// single leaf "A", which the term loads by hand with its T-derivatives in
// calculate_fixed_parameters. Any component count is accepted.
#include "expressions/Leaf.h"
#include "fluid/Ideal.h"
#include "water/WaterTerm.h"

class LeafIdeal : public WaterTerm<Ideal> {
public:
    // The leaf is the only node: it goes with the root.
    ~LeafIdeal() override { releaseTree(); }

protected:
    explicit LeafIdeal(const char* modelName)
    {
        setModelName(modelName);
        A_ = new Leaf;
        A_->setName("A");
        leavesDependOnlyOn({{A_, 0}});
        root = A_;
        setDebugLink();
    }

    Leaf* A_ = nullptr;  // the root
};
