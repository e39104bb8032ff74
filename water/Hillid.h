#pragma once
// Ideal-gas part of Hill's water equation: the temperature part of the
// ideal-gas Helmholtz energy over RT, with tau = theta/T and u = T/theta,
//   A0 = 7.07501275112 tau - 8.34240569963 - 0.36460138 u - 0.036897043 u^2
//        + 0.003033815 u^3 + 0.000390109 u^4 + (2.4131785 - 0.11359287 tau) ln tau,
// one Leaf loaded by hand.  In the fugacity pass it is the constant -ln omega,
// which with the ln delta of HillRes leaves -ln V for the ideal gas.
#include "water/LeafIdeal.h"

class Hillid : public LeafIdeal {
public:
    Hillid() : LeafIdeal("Hillid") {}

    void calculate_fixed_parameters() override;
    // The fugacity pass's constant -ln omega.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override;
};
