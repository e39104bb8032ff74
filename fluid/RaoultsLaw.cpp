// Raoult's law for a pair of non-polar fluids and what it says of a state.
#include "fluid/RaoultsLaw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "fluid/PhaseRules.h"
#include "fluid/ReferenceFluids.h"

double RaoultsLaw::liquidFugacity(const ReferenceFluid& row, double T) {
    if (T < row.Tc) return row.saturationPressure(T);
    const double pc = row.vapourPressure.reducing;
    return pc * std::pow(10.0, 7.0 / 3.0 * (1.0 + row.acentricFactor()) * (1.0 - row.Tc / T));
}

double RaoultsLaw::liquidFugacityFactor(const ReferenceFluid& row, double T, double s) {
    const double f = PhaseRules::kIdealSolubilityFactor;
    if (!(s < 0.5)) return f;
    const double own = T < row.Tc ? 1.0 + PhaseRules::kVapourPressureUncertainty : f;
    return std::max(own, std::pow(f, s * s / ((1.0 - s) * (1.0 - s))));
}

RaoultsLaw RaoultsLaw::at(const ReferenceFluid& a, const char* an, const ReferenceFluid& b, const char* bn, double xs,
                          double T, double P_bar, bool dilute) {
    RaoultsLaw r;
    r.phase = FluidPhase::kPhaseNone;
    const double u = PhaseRules::kVapourPressureUncertainty, f = liquidFugacityFactor(b, T, 1.0 - xs);
    const double pb = liquidFugacity(b, T) * 1e-5;
    const char* bHow = T < b.Tc ? "vapour pressure" : "vapour pressure extrapolated beyond its critical point,";
    char buf[1024];
    const double fa = liquidFugacityFactor(a, T, xs);
    const bool byVapourPressure = !(fa > 1.0 + u);
    const double pa = liquidFugacity(a, T) * 1e-5, aLow = byVapourPressure ? 1.0 - u : 1.0 / fa, aHigh = fa;
    // Below a component's triple point its solid takes it at its
    // sublimation pressure, below its supercooled liquid's vapour pressure:
    // the least fugacity either condensate of it takes, where lower than its
    // liquid's band allows.
    const double us = PhaseRules::kSublimationUncertainty;
    auto least = [&](const ReferenceFluid& row, double liquid) {
        const double solid = T < row.Tt ? row.sublimationPressure(T) * 1e-5 * (1.0 - us) : liquid;
        return std::min(solid, liquid);
    };
    const double aLeast = least(a, pa * aLow), bLeast = least(b, pb / f);
    const double dewP = dew(xs, pa, pb), bubbleP = bubble(xs, pa, pb);
    const double dewLow = dew(xs, aLeast, bLeast), dewHigh = dew(xs, pa * aHigh, pb * f);
    const double bubbleLow = bubble(xs, aLeast, bLeast), bubbleHigh = bubble(xs, pa * aHigh, pb * f);
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
    char aText[320], solidA[160] = "", solidB[96] = "";
    const char* supercooled = T < a.Tt ? " (its liquid's, supercooled below its triple point)" : "";
    if (T < a.Tc && byVapourPressure)
        std::snprintf(aText, sizeof aText, "the vapour pressure of %s, %.6g bar%s within %g %%,", an, pa, supercooled,
                      100.0 * u);
    else if (T < a.Tc)
        std::snprintf(aText, sizeof aText,
                      "the vapour pressure of %s, %.6g bar%s, with its activity coefficient at this share within a "
                      "factor %.3g,", an, pa, supercooled, fa);
    else
        std::snprintf(aText, sizeof aText,
                      "the ideal solubility of %s, its liquid's vapour pressure extrapolated beyond its critical "
                      "point, %.4g bar within a factor %g,", an, pa, fa);
    if (aLeast < pa * aLow)
        std::snprintf(solidA, sizeof solidA, "the sublimation pressure of %s, %.6g bar within %g %%, the least its "
                      "solid or liquid takes, ", an, aLeast / (1.0 - us), 100.0 * us);
    if (bLeast < pb / f)
        std::snprintf(solidB, sizeof solidB, " (its solid's sublimation pressure %.4g bar the least)",
                      bLeast / (1.0 - us));
    std::snprintf(buf, sizeof buf,
                  "(Raoult's law with %s%s and the ideal solubility of %s, its liquid's %s %.4g bar within a factor "
                  "%g%s: the dew pressure %.5g bar (%.5g to %.5g), the bubble pressure %.5g bar (%.5g to %.5g)",
                  solidA, aText, bn, bHow, pb, f, solidB, dewP, dewLow, dewHigh, bubbleP, bubbleLow, bubbleHigh);
    r.text = buf;
    return r;
}
