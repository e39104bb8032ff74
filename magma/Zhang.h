#pragma once
// Zhang: the expansion work of one kilogram of water charged with CO2 that
// decompresses from (P0, T0) to P1 and exsolves part of its CO2 as gas, after
// Zhang (2000, J. Volcanol. Geotherm. Res. 97, 215-231) on the energetics of
// gas-driven lake eruptions.
//
// The CO2 left in solution follows a Henry-type law with a constant factor
// phi: x1 = phi P1 Vw / (R T1); the gas is ideal; the water has constant heat
// capacity, expansivity and molar volume.  The final temperature T1 follows
// either from a reversible (isentropic, dS = 0) expansion or from an
// irreversible one against the constant final pressure (dH = (P1 - P0) V0).
// Both works are the energy the expansion gives up, -dU: Wrev at the
// isentropic final temperature, Wirr = P1 (Vfinal - V0) against the final
// pressure.  Results are printed per gram of water and per gram of exsolved CO2.
//
// Units: Pa, K, m3, mol, J.
#include "numerics/Equation.h"

class Zhang : public Equation {
public:
    static constexpr double R = 8.31434;

    Zhang();

    // Derived quantities and results at the current T1.
    void calculateParameters();
    // dS at T1 (the reversible expansion's residual).
    double equationForReversibility(double T1, void*);
    // dH - (P1 - P0) V0 at T1 (the irreversible expansion's residual).
    double equationForIrreversibility(double T1, void*);
    // Solves for T1 (reversible when `reversible` is non-zero), then prints the
    // report whatever the solver's outcome.  Returns the solver's status.
    int solve(char reversible);
    void print();
    // Two cases of the paper: set the state and nCO2 from its closed form.
    void example1();
    void example2();

    double nCO2 = 0.8;      // total CO2, mol
    double P0 = 2.13e6;     // Pa
    double T0 = 296.0;      // K
    double phi;             // factor of the solubility law
    double dHs = 19300.0;   // enthalpy of CO2 exsolution, J/mol
    double cpW = 75.312;    // J/(mol K)
    double alphaW = 0.00023;  // 1/K
    double Vw = 1.8e-05;    // m3/mol
    double result = 0.0;
    double P1 = 90000.0;    // Pa
    double T1 = 291.7;      // K
    double nW = 55.55555555555556;  // mol
    double x1 = 0, nd = 0, ne = 0, VL = 0, VG = 0;
    double V0 = 0.0010144;  // m3
    double x0CO2 = 0.014195583596214513;
    double x0H2O = 0.9858044164037855;
    double Wrev = 0, Wirr = 0, dS = 0, dH = 0;

private:
    void setExample(double P0_, double T0_, double phi_, double P1_, double T1_, double K1, double K2);
};
