#pragma once
// Base of the one-component residual terms written over tau = Tc/T and
// delta = Vc/V: it holds the two leaves, loads them with their derivatives in
// T and V, and sizes the tree so that tau depends on T alone and delta on V
// alone. The tree is the same in the fugacity pass. The derived term builds
// the tree on the leaves and deletes its root in its own destructor.
#include "expressions/Leaf.h"
#include "fluid/MultiParInteraction.h"
#include "fluid/ReducedVariable.h"

class TauDeltaResidual : public MultiParInteraction {
public:
    // One component only: any other count is refused (refusedComponents).
    void number_of_components(int n) override
    {
        sizeForComponents(n, 1, [this] {
            tau.flags[1] = 0;
            tau.flags[2] = 0;
            delta.flags[0] = 0;
            delta.flags[2] = 0;
        });
    }
    void calculate_fixed_parameters() override { setReducedVariable(tau, reducingT, T, 0); }
    // delta with all four derivative orders at once.
    void calculate_volume_dependent_parameters() override { setReducedVariable(delta, reducingV, V, 1); }
    void calculate_high_order_parameters() override {}
    bool changesInFugacityPass() const override { return false; }

    Leaf tau, delta;

protected:
    TauDeltaResidual(double Tc, double Vc) : reducingT(Tc), reducingV(Vc)
    {
        tau.setName("tau");
        delta.setName("delta");
    }

private:
    double reducingT;  // K
    double reducingV;  // m3/mol
};
