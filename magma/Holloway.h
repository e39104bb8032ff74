#pragma once
// Holloway: the modified Redlich-Kwong equation of state of H2O-CO2 fluids
// (Holloway 1977, in Thermodynamics in Geology, 161-181; Flowers 1979, Contrib.
// Mineral. Petrol. 69, 315-318) as one Helmholtz-energy term over the variable
// vector x[0] = T (K), x[1] = V (m3/mol), x[2] = x(H2O), x[3] = x(CO2):
//
//     A/(RT) = -ln(V - b) + a / (b R T^1.5) ln(V / (V + b))
//
// with b = 1.46e-5 x1 + 2.97e-5 x2 (m3/mol) and the quadratic mixing rule
// a = x1^2 a1 + 2 x1 x2 a12 + x2^2 a2 (Pa m6 K^0.5 / mol^2).  a1 (H2O) is
// Holloway's quartic in t = T - 273.15 (t in degrees C) below 600 C and his
// cubic from 600 C up (the two fits meet there); a2 (CO2) is quadratic in t;
// the cross parameter a12 carries the hydration equilibrium constant K of
// de Santis et al. (1974):
//     a12 = 4.065544035 + 1.01325 * 3.3665918122297107e-6 * T^2.5 * K,
//     ln K = -11.071 + 5953/T - 2746000/T^2 + 464600000/T^3.
//
// Below 400 C (673.15 K) no a1 describes water with this equation: the quartic
// puts the liquid 10 to 40 % too dense against IAPWS-95 (at 400 C it agrees
// within 0.5 % from 500 to 2000 bar).  A state holding water (x1 > 0) below
// 673.15 K is therefore refused: the evaluation fails and a diagnostic names
// the temperature.  CO2 alone (x1 = 0) does not depend on a1 and stays valid.
//
// The term carries the ideal-gas volume dependence itself (the -ln(V - b)
// part), so the model built on it (HollowayEOS) has no ideal-gas term; the
// pressure is RT/(V - b) - a/(T^0.5 V (V + b)).  A volume at or below b leaves
// the logarithm undefined and fails the evaluation.
//
// The tree reads T, V and the mole fractions directly from the variable
// vector, so the term has no temperature or volume stage.
#include "expressions/Cube.h"
#include "expressions/Division.h"
#include "expressions/Exponential.h"
#include "expressions/FVar.h"
#include "expressions/Inverse.h"
#include "expressions/Logarithm.h"
#include "expressions/Powo.h"
#include "expressions/Product.h"
#include "expressions/Selector.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "fluid/Interaction.h"

class Holloway : public Interaction {
public:
    Holloway();
    ~Holloway() override;

    // The term is the same in the fugacity pass.
    bool changesInFugacityPass() const override { return false; }
    // Refuse a state holding water below 673.15 K (see above).
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;
    // b of the current composition: no state exists at or below it.
    double getVolumeMinimum() override;

    // Sizes the term for two components (H2O, CO2); with check == 1 also runs
    // the tree's link check and numeric derivative checks at 1073 K,
    // 0.000123 m3/mol, pure H2O, printed on standard output.
    void test(int check);

    // a1 (H2O) at T (K): Holloway's quartic in t = T - 273.15 below 600 C,
    // his cubic from 600 C up.  d[0..3] receive its T derivatives when
    // non-null.
    static double waterAttraction(double T, double* d = nullptr);
    // Lowest temperature (K) of a state holding water.
    static constexpr double kMinimumWaterTemperature = 673.15;
    // Upper end (K) of the quartic a1, where the cubic takes over (600 C).
    static constexpr double kQuarticUpperTemperature = 873.15;
    // a2 (CO2) and a12 (H2O-CO2) at T, for checks and reports.
    static double carbonDioxideAttraction(double T);
    static double crossAttraction(double T);

    static constexpr double kbH2O = 1.46e-05;  // m3/mol
    static constexpr double kbCO2 = 2.97e-05;  // m3/mol

    // ---- the tree, children before their parents
    FVar _T, _V, _x1, _x2;
    Sum2 b;
    Sum2 A1;
    Logarithm lA1;
    Sum2 vb;
    Division vvb;
    Logarithm lvvb;
    Sum1 Tc1;
    Square Tc2;
    Cube Tc3;
    Square Tc4;
    Sum1 T600;
    Sum a1_600;
    Sum a1_600_1200;
    Selector a1;
    Sum2 a2;
    Inverse inT;
    Square inT2;
    Cube inT3;
    Sum sa12;
    Exponential ea12;
    Powo T25;
    Product ad12;
    Sum1 a12;
    Square x1sq, x2sq;
    Product x1x2;
    Product a1x1sq, a2x2sq, a12x1x2;
    Sum a;
    Division ab;
    Powo Ts;
    Division abTs;
    Product A2;

private:
    // True (after one diagnostic per temperature) when the state holds water
    // below 673.15 K; the engine's error flag is then raised so that the
    // evaluation fails.
    bool refuseColdWater();
    double refusedTemperature = 0.0;  // last temperature reported as refused
};
