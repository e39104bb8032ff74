#pragma once
// Residual part of the water equation of Keenan, Keyes, Hill and Moore
// (Steam Tables, Wiley 1969), with the density part ln rho of the ideal gas:
//   F = ln rho + rho Q(rho, tau),   rho in g/cm3, tau = 1000 K / T,
//   Q = (tau - tau_c) sum_j P_j S_j,  P_1 = 1/(tau - tau_c), P_2 = 1,
//   P_j = (tau - tau_a)^(j-2),  S_j = A_1j + sum_i A_ij (rho - rho_j)^(i-1)
//                                     + exp(-E rho) (A_9j + A_10j rho).
// The j = 1 term is built as S_1 itself, Q = S_1 + (tau - tau_c) sum_{j>=2} P_j S_j,
// which is the same function without the pole of P_1 at tau = tau_c.
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "fluid/MultiParInteraction.h"
#include "water/WaterTerm.h"

class KeenanRes : public WaterResidualTerm<MultiParInteraction> {
public:
    KeenanRes();
    ~KeenanRes() override { releaseTree(); }

    // tau = 1000/T with its T-derivatives.
    void calculate_fixed_parameters() override;
    // rho and ln rho with their V-derivatives.
    void calculate_volume_dependent_parameters() override;

    static constexpr double tauc = 1.544912;
    static constexpr double taua = 2.5;
    static constexpr double rho0 = 1.8015268e-5;  // rho (g/cm3) = rho0 / V (m3/mol)
    static const double coefficients[10][7];       // A_ij, i = 1..10, j = 1..7

    // Leaves.
    Leaf lnrho;
    Leaf rho;
    Leaf tau;

private:
    Sum1 tmc, tma;              // tau - tau_c, tau - tau_a
    Square tma2;
    Product tma3;
    Square tma4;
    Product tma5;
    Sum1 r1, r2;                // rho - 0.634, rho - 1
    Square r1p2, r2p2;
    Product r1p3, r2p3;
    Square r1p4, r2p4;
    Product r1p5, r2p5;
    Square r1p6, r2p6;
    Product r1p7, r2p7;
    Exponential ex;             // exp(-4.8 rho)
    Sum1 lin[7];                // A_10j rho + A_9j
    Product exlin[7];
    Sum S[7];
    Product PS[5];              // (tau - tau_a)^(j-2) S_j, j = 3..7
    Sum sigma;                  // sum_{j>=2} P_j S_j
    Product tmcSigma;
    Sum2 Q;
    Product rhoQ;
};
