#pragma once
// Base of the ideal-gas terms of the IUPAC models of methane and carbon
// dioxide. Each subtracts the residual term's zero-density limit, a
// polynomial in y = Tc/T + offset (one leaf of T, root slot
// kZeroDensitySlot), and outside the fugacity pass adds the fluid's
// Planck-Einstein ideal gas g(T) (root slot kIdealSlot). The root's constant
// is that ideal gas's -ln rhoc plus a constant, or the fugacity-pass
// constant. One component only: any other count is refused
// (refusedComponents).
#include "expressions/Leaf.h"
#include "fluid/Ideal.h"
#include "gases/PlanckEinstein.h"

class IUPACIdeal : public Ideal {
public:
    ~IUPACIdeal() override;
    void number_of_components(int n) override;
    // The root's weights for the pass, the leaves at T.
    void calculate_fixed_parameters() override;
    // The third and fourth orders of the leaves.
    void calculate_high_order_parameters() override;

    static constexpr int kZeroDensitySlot = 0, kIdealSlot = 1, kConstantSlot = 2;

    IdealGasFunction ideal;
    Leaf zeroDensity;  // minus the residual term's zero-density limit

    // The fugacity pass's constant plus the zero-density leaf, from the
    // leaf at the state last evaluated.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override;

protected:
    // minusLimit[j]: the coefficient of y^j (j = 1 .. 6) of minus the
    // residual's zero-density limit, y = Tc/T + offset; `constant` is added
    // with the ideal gas, fugacityConstant in the fugacity pass.
    IUPACIdeal(const IdealGasForm& form, const double (&minusLimit)[7], double Tc, double offset, double constant,
               double fugacityConstant);

private:
    double polynomial_[7];
    double reducingT, reducedOffset;
    double idealConstant_;  // the root's constant with the ideal gas: constant - ln rhoc
    double fugacityConstant_;
    double atT_ = -1.0;
    int order_ = 0;            // the order of zero_ at atT_
    univariate::Jet<4> zero_;  // the zero-density leaf's jet in T at atT_
    // zero_ at T to the order asked (2 or 4).
    void zeroDensityAt(int order);
};
