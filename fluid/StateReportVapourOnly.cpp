// The rule of a binary whose solvent the model describes as a vapour only
// (StateReport.h): refused only where the mixture is that solvent's liquid,
// at every composition alike.
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/BinaryCriticalCurves.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"

bool StateReport::binaryOfVapourOnlySolvent(double T) const {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    return rules_.binarySolvent(solvent, solute, xs) && T < rules_.solventVapourOnlyBelow() &&
           !rules_.solventLiquidVolume();
}

bool StateReport::admitsVapourOnlyPressure(double T, double P_bar, const std::string& pText) {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!rules_.binarySolvent(solvent, solute, xs)) return true;
    const char* a = m_.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m_.component_names[static_cast<std::size_t>(solute)].c_str();
    const double psat = ancillaryVapourPressure(a, T) * 1e-5;
    if (!std::isfinite(psat)) return true;
    const bool light = ancillaryCriticalTemperature(b) < ancillaryCriticalTemperature(a);
    char why[480];
    double limit = HUGE_VAL;
    if (light) {
        // Above a published critical curve the mixture is one fluid at every
        // composition, the fluid whose volumes the mixture's rules were
        // fitted to (H2O-CO2: Todheide & Franck 1963), not a liquid.
        if (criticalcurve::oneFluidAboveCriticalCurve(a, b, T, P_bar)) return true;
        // The bubble pressure at the Henry constant's upper bound: at x = 0
        // the solvent's vapour pressure, where its pure liquid is refused.
        const DiluteSplit d = dilutePhaseAt(T);
        if (!d.known || !(d.H > 0.0)) return true;
        limit = d.bubbleHigh / (1.0 + PhaseRules::kPhaseTolerance);
        char henry[128];
        std::snprintf(henry, sizeof henry, "%s Henry constant of %s, %.4g bar, uncertain within a factor %.3g",
                      d.published ? "the published" : "the model's", b, d.H, d.henryHigh);
        std::snprintf(why, sizeof why,
                      "the mixture of %.3g %s in %s is the liquid of %s alone above its bubble pressure, at most "
                      "%.5g bar (Raoult's and Henry's laws: the vapour pressure of %s, %.5g bar, and %s)",
                      xs, b, a, a, limit, a, psat, henry);
    } else {
        // Beyond its published solubility the solute's own liquid separates
        // at every pressure: the split is said where the state is printed.
        double c = std::nan("");
        // (Beyond the published solubility itself the physics says it
        // splits, within its uncertainty too: so no refusal lies between
        // split states.)
        if (rules_.publishedSolubility(T, P_bar, &c) == DiluteVerdict::kSplits || xs > c) return true;
        limit = psat;
        // The solute stays dissolved up to its published solubility; without
        // one, its own liquid separates where its partial pressure passes its
        // vapour pressure.
        const double psatSolute = ancillaryVapourPressure(b, T) * 1e-5;
        char held[280] = "";
        if (c > 0.0 && xs > c)
            // Beyond the published content but within its uncertainty: the
            // solute's own liquid may or may not separate from the solvent's.
            std::snprintf(held, sizeof held,
                          " (or that liquid and one rich in %s: the mixture holds more %s than its published "
                          "solubility, about %.3g %% at %g K and %g bar, within the factor %g that figure is "
                          "uncertain by)",
                          b, b, 100.0 * c, T, P_bar, PhaseRules::kSolubilityUncertainty);
        else if (c > 0.0)
            std::snprintf(held, sizeof held,
                          " (%s, less volatile, stays dissolved in it up to about %.3g %%, its published solubility "
                          "at %g K and %g bar)",
                          b, 100.0 * c, T, P_bar);
        else if (std::isfinite(psatSolute))
            std::snprintf(held, sizeof held,
                          " (%s, less volatile, separates as its own liquid where its partial pressure, %.4g bar, "
                          "passes its vapour pressure, %.4g bar)",
                          b, xs * P_bar, psatSolute);
        std::snprintf(why, sizeof why,
                      "above the vapour pressure of %s, %.5g bar, the mixture of %.3g %s in %s is the liquid of %s%s",
                      a, psat, xs, b, a, a, held);
    }
    if (P_bar < limit) return true;
    platform::diagf("The model %s holds %s: at %s K it describes the vapour only, not the liquid of %s, which the "
                    "mixture is at %s bar: %s.\n",
                    m_.modelName(), rules_.stateRange().describe().c_str(), givenDigits(T).c_str(), a, pText.c_str(), why);
    m_.errorflag = 1;
    return false;
}
