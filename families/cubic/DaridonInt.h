#pragma once
// Attraction term of the Daridon equation of state for water (always
// component 0) with hydrocarbons and CO2 (Daridon, Lagourette, Saint-Guirons
// and Xans, Int. J. Thermophys. 14 (1993) 1187): the Peng-Robinson attraction
// on the Schmidt tree (u = 2, w = -1),
//     A/(RT) = (a/(b R T sqrt 8)) ln[(2V + (2 - sqrt 8) b)/(2V + (2 + sqrt 8) b)],
// with b = sum_i x_i b_i, a = sum_i sum_j x_i x_j a_ij,
//     a_ii = a_i(T) = ac_i exp(m_i (1 - T/Tc_i)),
//     a_i0 = (1 - k_i0) sqrt(a_i a_0),
//     k_i0 = p1_i + (p2_i + p3_i Trw + p4_i Trw^2) exp(-10^p5_i (x_i/(x_i + x_w))^4),
// Trw = T/Tc_0 and x_w = x_0: the water-hydrocarbon parameter moves with the
// composition from its value in the aqueous phase (x_i/(x_i + x_w) -> 0) to
// p1_i in the hydrocarbon-rich phase.  Two components other than water
// attract with a_ij = (1 - k_ij) sqrt(a_i a_j), k_ij constant (set_kij, 0 by
// default).
//
// T, V and the mole fractions reach the tree through its variable nodes; the
// term has no parameter stage of its own.  Every node is created with new and
// goes with the root.
#include "expressions/Division.h"
#include "expressions/Exponential.h"
#include "expressions/ExpressionArrays.h"
#include "expressions/FVar.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "families/cubic/Schmidt.h"

class DaridonInt : public Schmidt {
public:
    DaridonInt();
    ~DaridonInt() override;

    // Builds the tree for n components (once; water is component 0).
    void number_of_components(int n) override;
    // Mixture co-volume at the current composition (m3/mol).
    double getVolumeMinimum() override;

    // Component i: ac (Pa m6/mol2), slope m of the exponential temperature
    // function, Tc (K) and co-volume b (m3/mol).
    void set_parametersx(int i, double ac, double m, double Tc, double b);
    // The pair (component i, water), i >= 1: the five parameters of k_i0.
    void set_binary_parameters(int i, double p1, double p2, double p3, double p4, double p5);
    // A constant interaction k of the pair (i, j), j < i: sqrt(a_i a_j)
    // becomes (1 - k) sqrt(a_i a_j).
    void set_kij(int i, int j, double k);

    // Component nodes (element i named "<array>(i)"); the pair nodes with
    // water (kiw .. kw) exist for i >= 1 only.
    Expr1 ai, aie, aim, Tri;
    Expr2 aijp, aijr, aijr0, mkij;
    Expr1 kiw, betai;
    Square* Trw2 = nullptr;  // (T/Tc_0)^2
    FVar* xw = nullptr;      // x_0
    Expr1 xi, xiw, xpi, mxw, mxw4, kw;

private:
    bool validComponent(int i, const char* what) const;
};
