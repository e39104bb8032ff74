#pragma once
// Residual term of the reference equation of state of nitrogen (Span, Lemmon,
// Jacobsen, Wagner & Yokozeki, J. Phys. Chem. Ref. Data 29, 1361, 2000), as an
// expression tree over tau = Tc/T and delta = Vc/V (Tc = 126.192 K,
// Vc = 1/11183.9 m3/mol):
//   a_r = sum_{k=1..6}   N_k delta^d_k tau^t_k
//       + sum_{k=7..32}  N_k delta^d_k tau^t_k exp(-delta^l_k)
//       + sum_{k=33..36} N_k delta^d_k tau^t_k exp(-alpha_k (delta - 1)^2 - beta_k (tau - gamma_k)^2).
// The coefficients live in the multipliers of the "dt" nodes; the root sums
// them with weight 1.
#include "expressions/Cube.h"
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "gases/TauDeltaResidual.h"

class JacobsenRes1 : public TauDeltaResidual {
public:
    JacobsenRes1();
    ~JacobsenRes1() override;

    static constexpr double kTc = 126.192;                 // K
    static constexpr double kVc = 8.941424726615939e-05;   // m3/mol, 1/11183.9

    struct Row {
        double N;
        int d;       // power of delta
        double t;    // power of tau
        int factor;  // 0 none; 1..4 exp(-delta^l); 33..36 the Gaussian of that row
    };
    static const Row kRows[36];
    // The Gaussians of rows 33 .. 36: exp(-alpha (delta - 1)^2 - beta (tau - gamma)^2).
    struct Gaussian {
        double alpha, beta, gamma;
    };
    static constexpr Gaussian kGaussians[4] = {{20.0, 325.0, 1.16}, {20.0, 325.0, 1.16}, {15.0, 300.0, 1.13}, {25.0, 275.0, 1.25}};

    Square delta2;
    Cube delta3;
    Square delta4;
    Product delta5;
    Square delta6;
    Product delta7;
    Square delta8;
    Product delta9;
    Square tau2;
    Cube tau3;
    Square tau4;
    Product tau5;
    Square tau6;
    Product tau7;
    Square tau8;
    Product tau11, tau12, tau15;
    Square tau16;
    Power tauFractional[9];  // tau^0.25, 0.375, 0.5, 0.75, 0.875, 1.25, 2.5, 2.75, 3.5
    Product dtProducts[34];
    Sum1 dtLinear[2];        // rows 15 and 33 (tau^0)
    Expression* dt[36] = {};  // "dt1" .. "dt36" in row order
    Exponential e1, e2, e3, e4;
    Sum1 deltam;
    Square deltamsq;
    Sum1 taum33, taum35, taum36;
    Square taum33sq, taum35sq, taum36sq;
    Sum2 n33, n34, n35, n36;
    Exponential e33, e34, e35, e36;
    Product de[30];  // "de7" .. "de36"

    Expression* deltaPower(int d);
    Expression* tauPower(double t);  // null for t = 0
};
