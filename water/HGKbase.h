#pragma once
// Base function of the Haar-Gallagher-Kell water formulation (NBS/NRC Steam
// Tables, 1984): a hard-body contribution in the reduced density y = b rho / 4
// with the temperature functions b(T) and B(T) (cm3/g), plus the ideal-gas
// density term ln(rho R T / p0):
//   A_base/RT = -ln(1 - y) - (130/3)/(1 - y) + (169/6)/(1 - y)^2
//               + 4 y (B/b - 7/2) + ln(R T / (p0 V)) + 91/6.
// rho in g/cm3, V in cm3/mol inside the logarithm, p0 = 0.101325 MPa.
//
// One component only: any other count is refused (refusedComponents).
#include "expressions/Division.h"
#include "expressions/Inverse.h"
#include "expressions/Inverse2.h"
#include "expressions/Leaf.h"
#include "expressions/Logarithm.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "fluid/MultiParInteraction.h"
#include "water/WaterTerm.h"

class HGKbase : public WaterResidualTerm<MultiParInteraction> {
public:
    HGKbase();
    ~HGKbase() override { releaseTree(); }

    // b(T), B(T) and ln(R T / p0) with their T-derivatives.
    void calculate_fixed_parameters() override;
    // rho/4 and ln V with their V-derivatives.
    void calculate_volume_dependent_parameters() override;

    static constexpr double T0 = 647.073;  // K

    // Leaves.
    Leaf bv2;      // b(T), cm3/g
    Leaf Bv2;      // B(T), cm3/g
    Leaf r;        // rho/4, g/cm3
    Leaf logV;     // ln(1e6 V)
    Leaf logRTP0;  // ln(R T / p0), ln(cm3/mol)

private:
    Product y;
    Sum1 my;
    Logarithm lmy;
    Inverse imy;
    Inverse2 imy2;
    Division Bv2bv2;
    Sum1 B;
    Product By;
    Sum2 logRTV;
};
