#pragma once
// Residual part phi_r(delta, tau) of the IAPWS-95 formulation for ordinary
// water (Wagner & Pruss 2002) as an expression tree over the reduced density
// delta = Vc/V and the inverse reduced temperature tau = Tc/T.
//
// Every integer power of delta and tau, every damping factor exp(-delta^c) and
// every damped power delta^d exp(-delta^c) is one node shared by all the terms
// that use it, so that each is computed once per evaluation.
#include "expressions/Cube.h"
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "fluid/Interaction.h"
#include "water/WaterTerm.h"

class Wagner : public WaterResidualTerm<Interaction> {
public:
    Wagner();
    ~Wagner() override { releaseTree(); }

    // Loads tau = Tc/T, and delta = Vc/V, with their derivatives.
    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;

    Leaf delta;
    Leaf tau;

private:
    // Integer powers of delta.
    Square delta2;
    Cube delta3;
    Square delta4;
    Product delta5;
    Square delta6;
    Product delta7, delta9, delta10, delta11;
    Square delta12;
    Product delta13;
    Square delta14;
    Product delta15;
    // Fractional powers of tau.
    Power taui1, taui2, taui4, taui5, taui6;
    // Integer powers of tau.
    Square tau2;
    Cube tau3;
    Square tau4;
    Product tau5;
    Square tau6;
    Product tau7;
    Square tau8;
    Product tau9;
    Square tau10;
    Product tau11;
    Square tau12;
    Product tau13;
    Square tau16, tau22;
    Product tau23;
    Square tau44, tau46;
    Product tau50;
    // Damping factors exp(-delta^c), c = 1, 2, 3, 4, 6.
    Exponential e1, e2, e3, e4, e6;
    // Damped powers delta^d exp(-delta^c).
    Product e1delta[11];
    Product e2delta[10];
    Product e3delta[3];
    Product e4delta[1];
    Product e6delta[2];
    // Gaussian terms 52 to 54.
    Sum1 deltai52, taui52, taui54;
    Square deltai52sq, taui52sq, taui54sq;
    Sum2 expo52, expo53, expo54;
    Exponential e52, e53, e54;
    Product delta3tau, delta3tau4;
    // Non-analytic terms 55 and 56.  The powers of (delta - 1)^2, deltat and
    // deltad, are leaves written with their analytic derivatives: on the
    // critical isochore delta = 1 a power node over (delta - 1)^2 would multiply
    // an infinite outer derivative by a zero inner one.
    Sum1 deltam1, taum1;
    Square deltam1sq, taum1sq;
    Sum2 expophi55, expophi56;
    Exponential phi55, phi56;
    Leaf deltat;
    Sum2 theta;
    Square theta2;
    Leaf deltad;
    Sum2 bigDelta;
    Power pdelta55, pdelta56;
    Product deltaphi55, deltaphi56;
    // The 56 terms.
    Product a[56];

    Expression* deltaPower(int d);
    Expression* tauPower(int t);
    Expression* dampedPower(int c, int d);
};
