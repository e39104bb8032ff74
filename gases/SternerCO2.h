#pragma once
// Residual term of the Sterner & Pitzer (1994) equation of state of carbon
// dioxide (Contrib. Mineral. Petrol. 117, 362-374), as an expression tree over
// rho = 1e-6/V (mol/cm3 for V in m3/mol):
//   A/(RT) = -ln V + c1 rho + 1/(c2 + c3 rho + c4 rho^2 + c5 rho^3 + c6 rho^4) - 1/c2
//            - (c7/c8)(exp(-c8 rho) - 1) - (c9/c10)(exp(-c10 rho) - 1),
// c6 constant, the other coefficients functions of T.  Everything but -ln V
// vanishes at zero density, so the term needs no ideal-gas correction.
#include "expressions/Division.h"
#include "expressions/Exponential.h"
#include "expressions/Inverse.h"
#include "expressions/Leaf.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "fluid/MultiParInteraction.h"

class SternerCO2 : public MultiParInteraction {
public:
    SternerCO2();
    ~SternerCO2() override;

    // One component only: any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    // The nine temperature coefficients with their T derivatives to the fourth order.
    void calculate_fixed_parameters() override;
    // -ln V and the powers of rho, all four derivative orders at once.
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override {}
    // The tree is the same in the fugacity pass.
    bool changesInFugacityPass() const override { return false; }

    static constexpr double c6 = 0.75522299;

    Leaf mlogV;
    Leaf rho, rho2, rho3, rho4;
    Leaf a1, a2, a3, a4, a5, a7, a8, a9, a0;  // c1 .. c5, c7 .. c10
    Product a3r, a4r2, a5r3;
    Product a8r, a0r;
    Sum B1;       // c2 + c3 rho + c4 rho^2 + c5 rho^3 + c6 rho^4
    Product A1;   // c1 rho
    Inverse A2;   // 1/B1
    Inverse A3;   // 1/c2
    Division a78, a90;
    Exponential e8, e0;  // exp(-c8 rho) - 1, exp(-c10 rho) - 1
    Product A4, A5;
};
