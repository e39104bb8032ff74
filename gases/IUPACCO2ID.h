#pragma once
// Ideal-gas term of the IUPAC carbon-dioxide model.  In the normal evaluation
// it is zero (the residual term carries -ln V).  In the fugacity pass it is the
// polynomial -(c0 + c1 Y + ... + c6 Y^6), Y = Tc/T - 1, minus the residual sum
// at zero density, so that the residual part vanishes in the ideal-gas limit.
#include "expressions/Leaf.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "fluid/Ideal.h"

class IUPACCO2ID : public Ideal {
public:
    IUPACCO2ID();
    ~IUPACCO2ID() override;

    // One component only: any other count ends the process with status 1.
    void number_of_components(int n) override;
    // Sets the root's weights for the current pass and loads Y.
    void calculate_fixed_parameters() override;

    // Zero-density values of the residual sum by power of Y (c_j = -sum_i (-1)^i a_ij/(i+1)).
    double c0 = 0.9843435175390475, c1 = 2.376171905648889, c2 = 1.5856701819301589, c3 = 3.0762428269047617,
           c4 = 4.481669451666668, c5 = 2.465416821666667, c6 = 0.149156928;

    Leaf Y1;
    Square Y2;
    Product Yk[4];  // Y3 .. Y6
};
