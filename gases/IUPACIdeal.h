#pragma once
// Base of the ideal-gas terms of the IUPAC models of methane and carbon
// dioxide. Each subtracts the residual term's zero-density limit, six
// temperature nodes over one reduced-temperature leaf weighted -w_k, and
// outside the fugacity pass adds the fluid's Planck-Einstein ideal gas
// g(T) (root slot kIdealSlot). The root's constant is that ideal gas's
// -ln rhoc plus an offset, or the fugacity-pass constant. One component only:
// any other count is refused (refusedComponents).
#include "expressions/Leaf.h"
#include "expressions/Sum.h"
#include "fluid/Ideal.h"
#include "gases/PlanckEinstein.h"

class IUPACIdeal : public Ideal {
public:
    void number_of_components(int n) override;

    // Root slots: the six temperature nodes, then the ideal gas's function
    // of T, then the constant.
    static constexpr int kIdealSlot = 6, kConstantSlot = 7;

    IdealGasFunction ideal;

    // The fugacity pass's sum of the six temperature nodes and its constant,
    // from the nodes' values at the state last evaluated.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override;

protected:
    // The leaf is loaded with Tc/T + offset; the derived term owns it.
    IUPACIdeal(const IdealGasForm& form, Leaf& leaf, double Tc, double offset);
    // The root "A" over the six nodes and the ideal gas (created with new).
    Sum* makeRoot(Expression* const (&nodes)[6]);
    // The root's weights -w_k, the ideal gas on or off by pass, the constant
    // (offset - ln rhoc, or fugacityConstant in the fugacity pass),
    // and the leaves at T.
    void loadPass(const double (&w)[6], double offset, double fugacityConstant);

private:
    Leaf& reduced;
    double reducingT, reducedOffset;
    const Expression* nodes_[6] = {};
    double weights_[6] = {}, fugacityConstant_ = 0.0;  // of the last loadPass
};
