#pragma once
// Ideal-gas part of the Saul-Wagner water model: the temperature part of the
// ideal-gas Helmholtz energy over RT in tau = Tc/T,
//   A/RT = n1 tau + n2 ln tau + sum_i w_i ln(1 - exp(-gamma_i tau)) + ln Vc + c,
// whose constant ln Vc completes, with the -ln V of Saul58, the density part
// ln delta.  In the fugacity pass the term is zero (the weights are set to 0).
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Logarithm.h"
#include "expressions/Sum.h"
#include "fluid/Ideal.h"
#include "water/WaterTerm.h"

class Saulid : public WaterTerm<Ideal> {
public:
    Saulid();
    ~Saulid() override { releaseTree(); }

    // The root's weights for the pass at hand, and tau with its T-derivatives.
    void calculate_fixed_parameters() override;
    // Nothing in the fugacity pass.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override
    {
        return constantFugacityPass(0.0, 0.0, f, fT, fTT, m);
    }

    // Saul & Wagner's reducing temperature: the gamma_i are their
    // characteristic temperatures over 647.14 K.
    static constexpr double Tc = 647.14;  // K

    Leaf tau;

private:
    Logarithm lntau;
    Exponential E[5];  // 1 - exp(-gamma_i tau)
    Logarithm lnE[5];

    void setWeights(bool zero);
};
