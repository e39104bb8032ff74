#pragma once
// Ideal-gas part of the Haar-Gallagher-Kell water formulation (NBS/NRC Steam
// Tables, 1984): the ideal-gas Helmholtz energy of water over RT as a closed
// function of temperature, one Leaf loaded by hand with its T-derivatives.
// The density part ln(rho R T / p0) of the ideal gas sits in HGKbase.
//
// During the framework's fugacity pass the leaf holds the constant part that,
// with the base term's ln(R T / (p0 V)), leaves -ln V for the ideal gas.
//
// Any component count is accepted and the value is the same for every
// composition, so that other models can use it as their ideal part.
#include "water/LeafIdeal.h"

class HGKid : public LeafIdeal {
public:
    HGKid() : LeafIdeal("HGKid") {}

    void calculate_fixed_parameters() override;
    // The fugacity pass's 91/6 - ln(R T/p0) - its constant, a function of T.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override;
};

// HGK's ideal gas of water for a model whose own term carries the ideal
// gas's -ln V (V in m3/mol), as the Duan and hard-sphere terms do.  HGKid
// alone is the temperature part phi0(T); its density part ln(R T/(p0 V))
// sits in HGK's base term, and its fugacity-pass constant only cancels
// against that term.  This part adds ln(R T/p0) - ln 1e6 (R T/p0 in
// cm3/mol, so that with -ln V the density part is HGK's) and nothing in the
// fugacity pass, where the model's term alone gives the fugacity
// coefficients.  The model's ideal-gas limit is then HGK's ideal gas.
class HGKIdealGas : public HGKid {
public:
    HGKIdealGas() = default;
    void calculate_fixed_parameters() override;
    // Nothing in the fugacity pass.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override
    {
        return constantFugacityPass(0.0, 0.0, f, fT, fTT, m);
    }
};
