#pragma once
// Raoult's law for a pair of non-polar fluids (CO2, CH4, N2) at any share:
// each component's liquid fugacity its vapour pressure, beyond its critical
// point the straight line of ln p in 1/T through it with the slope of its
// acentric factor, log10(p/pc) = 7/3 (1 + omega) (1 - Tc/T) (its ideal
// solubility); the mixture's dew and bubble pressures from them, and what
// they say of a state with their bands.  T in K, P in bar.
#include <string>

struct ReferenceFluid;

struct RaoultsLaw {
    int phase = -1;          // FluidPhase::PhaseCode of the one phase said, else kPhaseNone
    std::string word, text;  // the verdict and its source with its numbers ("(..." without the closing parenthesis)

    // The fugacity (Pa) of the pure liquid of `row` at T.
    static double liquidFugacity(const ReferenceFluid& row, double T);
    // The dew and bubble pressures at share xs of b from the liquid
    // fugacities pa of a and pb of b.
    static double dew(double xs, double pa, double pb) { return 1.0 / ((1.0 - xs) / pa + xs / pb); }
    static double bubble(double xs, double pa, double pb) { return (1.0 - xs) * pa + xs * pb; }

    // The statement of `a` (named `an`) holding the share xs <= 1/2 of `b`
    // (named `bn`) at T below the heavier one's critical temperature:
    // the major component's vapour pressure within its ancillary's
    // uncertainty, a liquid fugacity beyond a critical point and the minor
    // component's (its activity coefficient) within the ideal solubility's
    // factor.  Below a's triple point its vapour meets its solid: a vapour
    // below the dew pressure with its sublimation pressure (within that
    // line's uncertainty) in place of the vapour pressure, else nothing said.
    // `dilute`: beside a's pure end, whose phase names the one phase; beyond
    // it the phase is named as the state's is, a supercritical fluid above
    // the pseudo-critical temperature (Kay 1936), where the split is only
    // possible (the mixture may lie beyond its own critical point).
    static RaoultsLaw at(const ReferenceFluid& a, const char* an, const ReferenceFluid& b, const char* bn, double xs,
                         double T, double P_bar, bool dilute);
};
