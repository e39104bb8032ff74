#pragma once
// Ideal-gas part of the reference nitrogen model (Span et al. 2000):
//   a0 = ln delta + 2.5 ln tau - 0.00784163 tau - 0.0001934819/tau
//        - 1.247742e-05/tau^2 + 6.678326e-08/tau^3
//        + 1.012941 ln(1 - exp(-26.657 tau)) - 12.76953,
// tau = 126.192/T, delta = 1/(11183.9 V) with V in m3/mol.
// In the fugacity pass it is ln delta + ln 11183.9, that is exactly -ln V
// (V in m3/mol): the framework's fugacities take the ideal gas from it, and
// any other constant would scale every fugacity coefficient (a rounded
// 9.32223 made them 5.2e-7 low).
#include <cmath>

#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Logarithm.h"
#include "expressions/Sum.h"
#include "fluid/Ideal.h"

class JacobsenId : public Ideal {
public:
    JacobsenId();
    ~JacobsenId() override;

    // Any component count: the tree depends on T and V only.
    void number_of_components(int n) override;
    // Sets the root's weights for the current pass and loads the temperature leaves.
    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;
    // The fugacity pass's ln delta + ln rho_c = -ln V.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override
    {
        f = fT = fTT = 0.0;
        m = 1.0;
        return true;
    }

    static constexpr double kTc = 126.192;  // K
    static constexpr double kRhoc = 11183.9;  // mol/m3
    // Weights of lndelta, lntau, tau, 1/tau, 1/tau^2, 1/tau^3, ln(1 - exp(-26.657 tau)), then the constant.
    static constexpr double kWeights[8] = {1.0, 2.5, -0.00784163, -0.0001934819, -1.247742e-05, 6.678326e-08,
                                           1.012941, -12.76953};

    Leaf lndelta, lntau, tau, mtau, mtau2, mtau3;
    Exponential E;
    Logarithm lnE;

private:
    double lnRhoc_ = std::log(kRhoc);
};
