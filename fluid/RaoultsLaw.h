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

    // The fugacity (Pa) of the pure liquid of `row` at T (below its triple
    // point its supercooled liquid's).
    static double liquidFugacity(const ReferenceFluid& row, double T);
    // The factor within which a component's liquid fugacity, with its
    // activity coefficient, holds in a liquid where the other's share is s:
    // the minor one's (s >= 1/2) within the ideal solubility's factor f; the
    // major one's within its vapour pressure's uncertainty beside its pure
    // end (beyond its critical point within f) and its activity coefficient
    // by the regular-solution form, ln g_major / ln g_minor = s^2/(1 - s)^2
    // with the minor's within f: f^(s/(1 - s))^2, reaching the minor's at
    // half.  So the law is the same whichever component is the larger share.
    static double liquidFugacityFactor(const ReferenceFluid& row, double T, double s);
    // The dew and bubble pressures at share xs of b from the liquid
    // fugacities pa of a and pb of b.
    static double dew(double xs, double pa, double pb) { return 1.0 / ((1.0 - xs) / pa + xs / pb); }
    static double bubble(double xs, double pa, double pb) { return (1.0 - xs) * pa + xs * pb; }

    // The statement of `a` (named `an`) holding the share xs <= 1/2 of `b`
    // (named `bn`) at T below the heavier one's critical temperature: each
    // component's liquid fugacity within liquidFugacityFactor.  Below a
    // component's triple point its liquid is the supercooled one, and its
    // sublimation pressure, where lower than that liquid's band allows, the
    // least fugacity a condensate of it takes (the solid itself is judged by
    // its own fugacity, PhaseRules).
    // `dilute`: beside a's pure end, whose phase names the one phase; beyond
    // it the phase is named as the state's is, a supercritical fluid above
    // the pseudo-critical temperature (Kay 1936), where the split is only
    // possible (the mixture may lie beyond its own critical point).
    static RaoultsLaw at(const ReferenceFluid& a, const char* an, const ReferenceFluid& b, const char* bn, double xs,
                         double T, double P_bar, bool dilute);
};
