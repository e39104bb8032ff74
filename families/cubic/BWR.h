#pragma once
// Benedict-Webb-Rubin term of the Lee-Kesler form, written in the leaf values
// T and V themselves (a fluid in reduced variables):
//     A/(RT) = -ln V + B/V + C/(2 V^2) + D/(5 V^5) + E,
//     B = b1 - b2/T - b3/T^2 - b4/T^3,  C = c1 - c2/T + c3/T^3,  D = d1 + d2/T,
//     E = c4/(2 gamma T^3) [beta + 1 - (beta + 1 + gamma/V^2) exp(-gamma/V^2)],
// whose compressibility factor is the Lee-Kesler equation (BWR_EOS).  The
// term carries the ideal gas's -ln V.
//
// Ownership: every node but the root "A" is a member, children first.
#include "expressions/Cube.h"
#include "expressions/Exponential.h"
#include "expressions/FVar.h"
#include "expressions/Inverse.h"
#include "expressions/Logarithm.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "fluid/Interaction.h"

class BWR : public Interaction {
public:
    BWR();
    ~BWR() override;

    void number_of_components(int n) override;
    // p: b1, b2, b3, b4, c1, c2, c3, c4, d1, d2, beta, gamma.
    void set_parameters(const double* p);

    double constants[12] = {};
    double beta = 0.0, gamma = 0.0;

    FVar T_, V_;
    Inverse Ti;
    Square Ti2;
    Cube Ti3;
    Logarithm mlogV;  // -ln V
    Inverse mV;
    Square mV2;
    Power mV5;
    Sum B;            // -b4 Ti3 - b3 Ti2 - b2 Ti + b1
    Sum2 C;           // c3 Ti3 - c2 Ti + c1
    Sum1 D;           // d2 Ti + d1
    Product Bv, Cv2, Dv5;
    Sum1 alpha;       // c4 Ti3
    Sum1 ag;          // alpha/(2 gamma)
    Sum1 gamav2;      // gamma mV2
    Sum1 beta1gv2;    // gamav2 + beta + 1
    Exponential expgv2;  // exp(-gamav2)
    Product be;       // beta1gv2 expgv2
    Sum1 bme;         // beta + 1 - be
    Product E;        // ag bme
};
