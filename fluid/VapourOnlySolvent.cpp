#include "fluid/VapourOnlySolvent.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/FluidPhase.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"

namespace vapouronly {

namespace {

// A vapour pressure is known within this share (as the phase rules take it).
constexpr double kPressureTolerance = 0.005;

}  // namespace

bool holdsFor(FluidPhase& m, double T) {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    return m.binarySolvent(solvent, solute, xs) && T < m.solventVapourOnlyBelow();
}

bool admitsPressure(FluidPhase& m, double T, double P_bar, const std::string& pText) {
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!m.binarySolvent(solvent, solute, xs)) return true;
    const char* a = m.component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = m.component_names[static_cast<std::size_t>(solute)].c_str();
    const double psat = ancillaryVapourPressure(a, T) * 1e-5;
    if (!std::isfinite(psat)) return true;
    const bool light = ancillaryCriticalTemperature(b) < ancillaryCriticalTemperature(a);
    char why[480];
    double limit = HUGE_VAL;
    if (light) {
        // At or above the mixture's critical temperature (the model's, at
        // its composition; its solvent's own at a trace) no liquid is told
        // from its vapour: the mixture is one fluid or splits, both given.
        double tScale = 1.0, pScale = 1.0, Tcx = 0.0, Pcx = 0.0;
        const bool scaled = m.criticalScaling(tScale, pScale, &Tcx, &Pcx);
        if (scaled && !(T < Tcx)) return true;
        char below[96] = "";
        if (scaled) std::snprintf(below, sizeof below, "below its critical temperature (%.5g K in the model) ", Tcx);
        const FluidPhase::DiluteSplit d = m.dilutePhaseAt(T);
        if (!d.known) return true;
        limit = d.bubbleHigh;
        char henry[96];
        if (d.H > 0.0)
            std::snprintf(henry, sizeof henry, "%s Henry constant of %s, %.4g bar, uncertain within a factor %g",
                          d.published ? "the published" : "the model's", b, d.H,
                          FluidPhase::henryUncertaintyAt(xs));
        else
            std::snprintf(henry, sizeof henry, "no Henry constant of %s", b);
        std::snprintf(why, sizeof why,
                      "%sthe mixture of %.3g %s in %s is the liquid of %s alone above its bubble pressure, at most "
                      "%.5g bar (Raoult's and Henry's laws: the vapour pressure of %s, %.5g bar, and %s)",
                      below, xs, b, a, a, limit, a, psat, henry);
    } else {
        // Beyond its published solubility the solute's own liquid separates
        // at every pressure: the split is said where the state is printed.
        double c = std::nan("");
        if (m.publishedSolubility(T, P_bar, &c) == FluidPhase::DiluteVerdict::kSplits) return true;
        limit = psat * (1.0 + kPressureTolerance);
        // The solute stays dissolved up to its published solubility; without
        // one, its own liquid separates where its partial pressure passes its
        // vapour pressure.
        const double psatSolute = ancillaryVapourPressure(b, T) * 1e-5;
        char held[200] = "";
        if (c > 0.0)
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
                    m.modelName(), m.stateRange().describe().c_str(), givenDigits(T).c_str(), a, pText.c_str(), why);
    m.errorflag = 1;
    return false;
}

}  // namespace vapouronly
