#pragma once
// Residual function of the Haar-Gallagher-Kell water formulation (NBS/NRC
// Steam Tables, 1984): 36 terms g_i/k_i (T0/T)^l_i (1 - exp(-rho))^k_i and
// four Gaussian terms in (rho/rho_i - 1) and (T/T_i - 1), in J/g, turned into
// J/mol with 18.015268 g/mol (as the base function) and divided by R T:
//   A_res/RT = (1/(R T)) [ sum_i w_i (T0/T)^l_i e^k_i + sum_{i=37..40} w_i F_i ],
//   e = 1 - exp(-rho), rho = 1.8015268e-5 / V g/cm3 (V in m3/mol), T0 = 647.073 K.
//
// The powers of e are computed once from e by products, and the temperature
// powers are shared leaves, so that no power function is evaluated.
// One component only: any other count is refused (refusedComponents).
#include "expressions/Cube.h"
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum2.h"
#include "fluid/MultiParInteraction.h"
#include "water/WaterTerm.h"

class HGKres : public WaterResidualTerm<MultiParInteraction> {
public:
    HGKres();
    ~HGKres() override { releaseTree(); }

    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;

    static const double _GG[40];  // g_1 .. g_40, J/g
    static const int _kk[40];     // density exponents k_1 .. k_36 (the last four unused)
    static const int _ll[36];     // exponents l_1 .. l_36 of T0/T

    // Leaves.
    Leaf A0;  // 1/(R T)
    Leaf kro;  // rho, g/cm3
    Leaf L1, L2, L3, L4, L6;  // (T0/T)^n
    Leaf tau37, tau39, tau40;
    Leaf delta37, delta40;

private:
    // Powers of e = 1 - exp(-rho).
    Exponential K1;
    Square K2;
    Cube K3;
    Product K4, K5, K6, K7, K9;
    // Power terms (index 32, term 33, is K3 itself and stays unlinked).
    Product Bp[36];
    // Gaussian terms.
    Square tau237, tau239, tau240;
    Square delta237, delta240;
    Square delta440;
    Sum2 u37, u38, u39, u40;
    Exponential B37, e38, B39, B40;
    Product B38;
    Sum A1;

    Expression* densityPower(int k);
    Leaf* temperaturePower(int l);
};
