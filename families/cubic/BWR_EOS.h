#pragma once
// A fluid obeying the modified Benedict-Webb-Rubin equation of Lee and Kesler
// in reduced variables, evaluated in closed form: temperature Tr = T/Tc,
// pressure Pr = P/Pc and the ideal reduced volume Vr = Pc V/(R Tc) are held
// in the Phase fields T, P and V.  Two instances are the simple and the
// reference fluid of the Lee-Kesler model.
//
//     Z = 1 + B/Vr + C/Vr^2 + D/Vr^5 + (c4/Tr^3)/Vr^2 (beta + gamma/Vr^2) exp(-gamma/Vr^2)
//
// with B, C, D as in lee_kesler (LeeKeslerConstants.h).  The departure
// functions follow Lee and Kesler: g = Tr ln(f/P), h = (H - H0)/(R Tc),
// s = (S - S0)/R + ln(P/P0), cv and cp over R.
#include "fluid/FluidPhase.h"

class BWR_EOS : public FluidPhase {
public:
    // constants: b1, b2, b3, b4, c1, c2, c3, c4, d1, d2, beta, gamma.
    explicit BWR_EOS(const double* constants);
    ~BWR_EOS() override = default;

    // Reduced setters: nothing happens when the value is the current one;
    // otherwise the state is marked not valid and the derived quantities refreshed.
    void temperature(double Tr) override;
    void pressure(double Pr) override;
    void volume(double Vr) override;
    // The state at (Tr, Pr) when it is not valid.
    void describe() override;
    // The fluid's own fugacities and state functions are not given (NaN):
    // it has no terms and no ideal gas, and its departure functions g, h, s,
    // cv, cp (gd, hd, sd, cd) are in reduced units.  The state is left alone.
    void calculate_fugacities() override;
    void calculate_state_functions() override;

    // Z at the current (Tr, Vr), after printing its four contributions.
    double calculateZ();
    double dzdV();
    void equation2(double Vr, double& f, double& dfdV);
    void search_molar_volume(double Vstart, double stepFactor);
    double dpdV();
    double dpdT();
    double gd();
    double hd();
    double sd();
    double cd();
    // 0 supercritical (Tr > 1 or Pr > 1), 2 liquid, 1 vapour.
    int diagnose_the_phase();
    void initialize();

    double constants[12] = {};
    double B = 0, C = 0, D = 0, c4T3 = 0, beta = 0, gamma = 0;  // derived at each temperature
    double Vr2 = 0, Vr3 = 0;                                    // derived at each volume
    bool valid = false;
    double h = 0, s = 0, g = 0, cv = 0, cp = 0;  // departure functions
    double dZdVr = 0, dPrdTr = 0, dPrdVr = 0, q = 0, E = 0;

private:
    // Z without the printout (the volume search evaluates it at every step).
    double zValue() const;
};
