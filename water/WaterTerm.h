#pragma once
// Base of the water terms written as one expression tree whose leaves each
// depend on temperature (0), volume (1) or both, never on the composition. A term lists those
// leaves once in its constructor; sizing it for n components then clears
// every other dependency of each leaf over the n + 2 variables (T, V, x).
// The term owns its tree: its destructor calls releaseTree() first, since
// deleting the root unlinks the member nodes, which go with the object.
// WaterResidualTerm is the same for a residual term, whose tree and stages do
// not change in the fugacity pass.
#include <initializer_list>
#include <vector>

#include "expressions/Leaf.h"
#include "water/LeafDerivatives.h"

template <class Base>
class WaterTerm : public Base {
public:
    void number_of_components(int n) override
    {
        this->sizeForComponents(n, expectedComponents, [this, n] {
            for (const LeafVariable& l : oneVariableLeaves)
                waterleaf::dependsOnlyOn(*l.leaf, l.variable, n + 2);
        });
    }

protected:
    struct LeafVariable {
        Leaf* leaf;
        int variable;  // 0: T, 1: V, waterleaf::kTemperatureAndVolume: both
    };

    // expected: the only component count the term takes (0: any).
    explicit WaterTerm(int expected = 0) : expectedComponents(expected) {}

    void leavesDependOnlyOn(std::initializer_list<LeafVariable> leaves)
    {
        oneVariableLeaves.insert(oneVariableLeaves.end(), leaves);
    }

    void releaseTree()
    {
        delete this->root;
        this->root = nullptr;
    }

private:
    int expectedComponents;
    std::vector<LeafVariable> oneVariableLeaves;
};

template <class Base>
class WaterResidualTerm : public WaterTerm<Base> {
public:
    bool changesInFugacityPass() const override { return false; }

protected:
    explicit WaterResidualTerm(int expected = 0) : WaterTerm<Base>(expected) {}
};
