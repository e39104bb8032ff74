#pragma once
// Residual part of the 58-term water equation of Saul and Wagner (J. Phys.
// Chem. Ref. Data 18, 1537 (1989)) over delta = Vc/V and tau = Tc/T, together
// with the density part -ln V of the ideal gas:
//   A/RT = -ln V + sum_0 n delta^d tau^t + exp(-delta) sum_1 + exp(-delta^2) sum_2
//          + exp(-delta^3) sum_3 + (exp(-0.4 delta^6) - exp(-2 delta^6)) sum_4.
// The damping of the last sum is evaluated as exp(-0.4 delta^6) (1 -
// exp(-1.6 delta^6)), the bracket from expm1: in the dilute gas the two
// exponentials differ by 1.6 delta^6, below the rounding of numbers near 1
// (delta^6 = 2e-16 at 23 000 cm3/mol), and their difference, multiplied by
// the tau^50 of sum_4, made the pressure jump along an isotherm.
// Every power of delta and tau is one node shared by the terms that use it,
// and a product delta^d tau^t that occurs in two sums is one node
// (delta^4 tau^5 and delta^11 tau in the first two damped sums, delta^4 tau^26
// in the last two).
#include "expressions/Cube.h"
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "fluid/MultiParInteraction.h"
#include "water/WaterTerm.h"

class Saul58 : public WaterResidualTerm<MultiParInteraction> {
public:
    Saul58();
    ~Saul58() override { releaseTree(); }

    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;

    // The reducing point of Saul & Wagner, the critical point of IAPS (1985) on
    // IPTS-68: 647.14 K and 322 kg/m3 (Vc for 18.01534 g/mol); T is taken on
    // that scale.
    double Tc = 647.14;                  // K
    double Vc = 5.594826086956522e-05;   // m3/mol

    // Leaves.
    Leaf mlnV;   // -ln V
    Leaf delta;
    Leaf tau;

private:
    Square delta2;
    Cube delta3;
    Power deltaP[9];   // delta^4 .. delta^11, delta^13
    Square tau2;
    Cube tau3;
    Power tauP[19];    // tau^4 .. tau^16, tau^23, tau^25, tau^26, tau^32, tau^40, tau^50
    Product prod[46];  // delta^d tau^t, d >= 1 and t >= 1
    Sum S1, S2, S3, S4;
    Exponential e1, e2, e3, e6a, e6b;  // e6b = 1 - exp(-1.6 delta^6)
    Product g;
    Product eS1, eS2, eS3, gS4;

    Expression* deltaPower(int d);
    Expression* tauPower(int t);
};
