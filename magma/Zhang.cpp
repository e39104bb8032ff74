#include "magma/Zhang.h"

#include <cmath>
#include <cstdio>

#include "numerics/Secant.h"

Zhang::Zhang() : phi(std::exp(-0.13469092403214056)) {}

void Zhang::calculateParameters() {
    const double a = R * T1 / (P1 * Vw);
    x1 = phi / a;
    nd = x1 * nW / (1.0 - x1);
    ne = nCO2 - nd;
    VL = (nW + nd) * 1.8e-5;
    VG = R * ne * T1 / P1;
    dH = (T1 - T0) * nW * cpW + nW * Vw * (1.0 - T1 * alphaW) * (P1 - P0) + ne * dHs;
    // Both expansions are adiabatic: the work is -dU = -(dH - (P1 (VL + VG) - P0 V0)).
    // Against the constant final pressure it is P1 (VL + VG - V0), which is
    // -dU where dH = (P1 - P0) V0; at the isentropic T1, -dU is the reversible work.
    Wrev = P1 * (VL + VG) - P0 * V0 - dH;
    Wirr = P1 * (VL + VG - V0);
    // Entropy of the final state minus that of the initial solution.  The CO2
    // exsolves in equilibrium: a mole of gas has the entropy of a dissolved mole
    // at x1, s - R ln x1, plus dHs/T1.  So every mole of CO2, dissolved or
    // exsolved, carries -R ln x1, and the exsolved ones dHs/T1 besides; water
    // carries -R ln(1 - x1) (ideal dilute solution, Zhang 2000).
    dS = nW * cpW * std::log(T1 / T0) + ne * dHs / T1 - R * (nCO2 * std::log(x1) + nW * std::log(1.0 - x1)) +
         R * (nCO2 * std::log(x0CO2) + nW * std::log(x0H2O)) + nW * Vw * alphaW * (P0 - P1);
}

double Zhang::equationForReversibility(double T, void*) {
    // Temperatures at which the dissolved fraction leaves (0, 1) have no state.
    if (!(T > 0.0) || !(phi * P1 * Vw / (R * T) < 1.0)) {
        error = 1;
        return 0.0;
    }
    T1 = T;
    calculateParameters();
    return dS;
}

double Zhang::equationForIrreversibility(double T, void*) {
    if (!(T > 0.0) || !(phi * P1 * Vw / (R * T) < 1.0)) {
        error = 1;
        return 0.0;
    }
    T1 = T;
    calculateParameters();
    return dH - (P1 - P0) * V0;
}

int Zhang::solve(char reversible) {
    Secant s;
    s.obj = this;
    s.fn = reversible ? toEquationFn<ScalarEquationFn>(&Zhang::equationForReversibility)
                      : toEquationFn<ScalarEquationFn>(&Zhang::equationForIrreversibility);
    s.x0 = T0;
    s.x1 = 0.999 * T0;
    s.solve();
    error = 0;
    calculateParameters();
    print();
    return s.status;
}

void Zhang::print() {
    std::printf("T0     %lf K\n", T0);
    std::printf("T1     %lf K\n", T1);
    std::printf("Wrev   %lf J/g H2O\n", Wrev / 1000.0);
    std::printf("Wirr   %lf J/g H2O\n", Wirr / 1000.0);
    std::printf("Wrev   %lf J/g CO2\n", Wrev / (44.0 * ne));
    std::printf("Wirr   %lf J/g CO2\n", Wirr / (44.0 * ne));
    std::printf("deltaS %lf J/g\n", dS / 1000.0);
    std::printf("deltaH %lf J/g\n\n", dH / 1000.0);
}

void Zhang::setExample(double P0_, double T0_, double phi_, double P1_, double T1_, double K1, double K2) {
    nCO2 = 0.8;
    P0 = P0_;
    T0 = T0_;
    phi = phi_;
    dHs = 19300.0;
    cpW = 75.312;
    alphaW = 0.00023;
    Vw = 1.8e-05;
    P1 = P1_;
    T1 = T1_;
    nCO2 = result = (K1 - phi * P0 * P1 * Vw + phi * Vw * P1 * P1) * phi * Vw * nW /
                    (-phi * Vw * P0 * R * T0 + K2 + P0 * phi * phi * Vw * Vw * P1 - phi * phi * Vw * Vw * P1 * P1);
    // The initial solution is this CO2 in the water: its mole fractions and
    // volume follow (the constructor's values are those of 0.8 mol).
    x0CO2 = nCO2 / (nW + nCO2);
    x0H2O = nW / (nW + nCO2);
    V0 = (nW + nCO2) * Vw;
}

void Zhang::example1() {
    setExample(2.13e6, 296.0, std::exp(-0.13469092403214056), 90000.0, 291.7, 5242025083.2, 6056740.7200727295);
}

void Zhang::example2() {
    setExample(496000.0, 295.35, std::exp(-0.11891373223053314), 111000.0, 291.7, 1217997598.224,
               6030169.376298422);
}
