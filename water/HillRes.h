#pragma once
// Residual part of Hill's unified fundamental equation for water (J. Phys.
// Chem. Ref. Data 19, 1233 (1990)) in delta = omega/V and t = -theta/T,
// together with the density part ln delta of the ideal gas:
//   A/RT = ln delta + W1 + exp(-delta^2) W2 + exp(G0) W3 + exp(-4 (t + 3)) W4,
// W1 .. W4 sums of products of powers of t with powers of delta and with the
// damped functions of mE = 1 - exp(-delta^2).  Every power and every product
// is one node, shared by the sums that use it.
#include <deque>

#include "expressions/Cube.h"
#include "expressions/Division.h"
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Logarithm.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "fluid/MultiParInteraction.h"
#include "water/WaterTerm.h"

class HillRes : public WaterResidualTerm<MultiParInteraction> {
public:
    HillRes();
    ~HillRes() override { releaseTree(); }

    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;

    double theta = 647.067;               // K
    double omega = 0.018015268 / 322.778;  // m3/mol

    // Leaves.
    Leaf T1;      // t = -theta/T
    Leaf rho;     // delta = omega/V
    Leaf Ldelta;  // ln delta

private:
    // Powers of t.
    Square T2;
    Cube T3;
    Square T4;
    Product T5;
    Square T6;
    Product T7;
    Square T8;
    Product T9, T11;
    // Powers and logarithm of delta.
    Square delta2;
    Cube delta3;
    Square delta4;
    Power delta5, delta6, delta7;
    Logarithm lndelta;
    // Damped functions.
    Exponential E;
    Sum1 mE;
    Division Ra1;
    Product Ra3, Ra4, Ra5, Ra6, Ra7;
    Product mElndelta, delta2lndelta;
    Sum Ra2;
    // Exponential factors.
    Sum G0;
    Exponential G;
    Sum1 H0;
    Exponential H;
    // Products of the sums, one per pair of factors (a deque: its nodes never move).
    std::deque<Product> prod;
    Sum W1, W2, W3, W4;
    Product EW2, GW3, HW4;

    Expression* product(Expression& a, Expression& b);
};
