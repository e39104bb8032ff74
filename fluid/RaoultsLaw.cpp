// Raoult's law for a pair of non-polar fluids and what it says of a state.
#include "fluid/RaoultsLaw.h"

#include <cmath>
#include <cstdio>

#include "fluid/PhaseRules.h"
#include "fluid/ReferenceFluids.h"

double RaoultsLaw::liquidFugacity(const ReferenceFluid& row, double T) {
    if (T < row.Tc) return row.saturationPressure(T);
    const double pc = row.vapourPressure.reducing;
    return pc * std::pow(10.0, 7.0 / 3.0 * (1.0 + row.acentricFactor()) * (1.0 - row.Tc / T));
}

RaoultsLaw RaoultsLaw::at(const ReferenceFluid& a, const char* an, const ReferenceFluid& b, const char* bn, double xs,
                          double T, double P_bar, bool dilute) {
    RaoultsLaw r;
    r.phase = FluidPhase::kPhaseNone;
    const double u = PhaseRules::kVapourPressureUncertainty, f = PhaseRules::kIdealSolubilityFactor;
    const double pb = liquidFugacity(b, T) * 1e-5;
    const char* bHow = T < b.Tc ? "vapour pressure" : "vapour pressure extrapolated beyond its critical point,";
    char buf[640];
    if (T < a.Tt) {
        const double psub = a.sublimationPressure(T) * 1e-5, us = PhaseRules::kSublimationUncertainty;
        const double dewLow = dew(xs, psub * (1.0 - us), pb / f);
        if (!(P_bar < dewLow)) return r;
        r.phase = FluidPhase::kPhaseVapour;
        r.word = FluidPhase::phaseName(r.phase);
        std::snprintf(buf, sizeof buf,
                      "(the sublimation pressure of %s, %.6g bar within %g %%, and the ideal solubility of %s, its "
                      "liquid's %s %.4g bar within a factor %g: below %.5g bar neither its solid nor a liquid forms",
                      an, psub, 100.0 * us, bn, bHow, pb, f, dewLow);
        r.text = buf;
        return r;
    }
    const bool below = T < a.Tc;
    const double pa = liquidFugacity(a, T) * 1e-5, aLow = below ? 1.0 - u : 1.0 / f, aHigh = below ? 1.0 + u : f;
    const double dewP = dew(xs, pa, pb), bubbleP = bubble(xs, pa, pb);
    const double dewLow = dew(xs, pa * aLow, pb / f), dewHigh = dew(xs, pa * aHigh, pb * f);
    const double bubbleLow = bubble(xs, pa * aLow, pb / f), bubbleHigh = bubble(xs, pa * aHigh, pb * f);
    const bool supercritical = !dilute && !(T < (1.0 - xs) * a.Tc + xs * b.Tc);
    if (P_bar < dewLow || P_bar > bubbleHigh) {
        r.phase = supercritical     ? FluidPhase::kPhaseSupercritical
                  : P_bar < dewLow ? FluidPhase::kPhaseVapour
                                   : FluidPhase::kPhaseLiquid;
        r.word = FluidPhase::phaseName(r.phase);
    } else if (P_bar > dewHigh && P_bar < bubbleLow) {
        // (Above the pseudo-critical temperature the mixture may lie beyond
        // its own critical point, where the law no longer holds.)
        r.word = supercritical ? "uncertain (supercritical fluid or splits)" : "splits";
    } else {
        // Within the bands: beside the pure end's vapour pressure both
        // one-phase words, else a one-phase word or the split.
        // (Beyond a dilute share, above the pseudo-critical temperature,
        // either one phase is a supercritical fluid.)
        const std::string one = supercritical ? "supercritical fluid" : P_bar <= dewHigh ? "vapour" : "liquid";
        r.word = "uncertain (" +
                 (P_bar <= dewHigh && P_bar >= bubbleLow && !supercritical ? std::string("liquid or vapour")
                                                                           : one + " or splits") +
                 ")";
    }
    char aText[160];
    if (below)
        std::snprintf(aText, sizeof aText, "the vapour pressure of %s, %.6g bar within %g %%,", an, pa, 100.0 * u);
    else
        std::snprintf(aText, sizeof aText,
                      "the ideal solubility of %s, its liquid's vapour pressure extrapolated beyond its critical "
                      "point, %.4g bar within a factor %g,", an, pa, f);
    std::snprintf(buf, sizeof buf,
                  "(Raoult's law with %s and the ideal solubility of %s, its liquid's %s %.4g bar within a factor %g: "
                  "the dew pressure %.5g bar (%.5g to %.5g), the bubble pressure %.5g bar (%.5g to %.5g)",
                  aText, bn, bHow, pb, f, dewP, dewLow, dewHigh, bubbleP, bubbleLow, bubbleHigh);
    r.text = buf;
    return r;
}
