#pragma once
// Ideal-gas part phi0(delta, tau) of the IAPWS-95 formulation for ordinary
// water (Wagner & Pruss 2002) as an expression tree:
//   phi0 = ln delta + n1 + n2 tau + n3 ln tau + sum_k n_k ln(1 - exp(-gamma_k tau)).
//
// During the framework's fugacity pass the root keeps only ln delta and the
// constant -ln Vc, so that the ideal part is -ln V (V in m3/mol); the next
// ordinary evaluation restores the full phi0.
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Logarithm.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "fluid/Ideal.h"
#include "water/WaterTerm.h"

class Wagnerid : public WaterTerm<Ideal> {
public:
    Wagnerid();
    ~Wagnerid() override { releaseTree(); }

    // Sets the root's weights for the current pass and loads tau.
    void calculate_fixed_parameters() override;
    // Loads ln delta.
    void calculate_volume_dependent_parameters() override;
    // The fugacity pass's -ln V.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override
    {
        f = fT = fTT = 0.0;
        m = 1.0;
        return true;
    }

    Leaf tau;

private:
    Leaf a0;  // ln delta
    Sum1 a1;
    Logarithm a2;
    Exponential e[5];  // e3 .. e7: -exp(-gamma_k tau)
    Logarithm ak[5];   // a3 .. a7: n_k ln(1 + e_k)
};
