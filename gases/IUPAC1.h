#pragma once
// Residual term of the IUPAC equation of state of methane (Angus, Armstrong
// & de Reuck, International Thermodynamic Tables of the Fluid State: Methane,
// 1978), as an expression tree over W = Vc/V and tau = Tc/T:
//   A/(RT) = -ln V + sum_k C_k(tau) W^k / k                      (k = 1 .. 8)
//            + sum_k D_2k(tau) I_k(W)                            (k = 0 .. 5)
// where I_k = -(1/(2 gamma)) exp(-gamma W^2) Y_2k(W) is the integral of
// W^(2k+1) exp(-gamma W^2) up to a constant, with Y_0 = 1 and
// Y_2k = W^2k + (k/gamma) Y_2(k-1), gamma = 0.98113911.  The Gaussian part
// does not vanish at zero density; the model's ideal term removes its
// zero-density value in the fugacity pass.  During that pass the root's
// constant is -5.92995, which the ideal term's +5.92995 cancels.
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "fluid/MultiParInteraction.h"
#include "gases/ReducedDensityPowers.h"

// The six temperature polynomials D_0 .. D_10 of the Gaussian terms over the
// powers t3, t4, t5 of tau; shared by the residual and the ideal-gas term.
struct IUPACMethaneD {
    Sum2 D0, D2, D4, D6, D8;
    Sum D10;
    // Links the polynomials to t3, t4, t5, sets their coefficients and names.
    void build(Expression& t3, Expression& t4, Expression& t5);
};

class IUPAC1 : public MultiParInteraction {
public:
    IUPAC1();
    ~IUPAC1() override;

    // One component only: any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;

    static constexpr double kGamma = 0.98113911;
    // Constant of the root in the fugacity pass (cancelled by the ideal term).
    static constexpr double kFugacityConstant = -5.92995;

    double Vc = 9.891686037885158e-05;  // m3/mol, 1/10109.5 mol/m3
    double Tc = 190.555;                // K

    ReducedDensityPowers density;  // W^1 .. W^10 and -ln V
    Leaf t1;
    Square t2;
    Product t3, t4, t5;
    Power t12;
    Sum C1, C2;
    Sum2 C3, C5, C7;
    Product A1, A2, A3, A4, A5, A6, A7, A8;
    Exponential Y0;
    Sum1 Y2;
    Sum2 Y4, Y6, Y8, Y10;
    Product S2, S4, S6, S8, S10;
    IUPACMethaneD D;
    Product B0, B2, B4, B6, B8, B10;
};
