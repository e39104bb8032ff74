// The phase of a printed binary from published data the model does not
// use: the solids that deposit from it (their sublimation curves) and the
// solubility of a heavy solute in its solvent-rich fluid, beside the
// Raoult-Henry dew and bubble pressures of a light one (dilutePhaseAt).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/BinaryCriticalCurves.h"
#include "fluid/ErrorFlagScope.h"
#include "fluid/FluidPhase.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"

namespace {

// The solid's fugacity may lie this far (relative) below the fluid's before
// the solid is said to deposit: the sublimation vapour is taken as ideal
// (its fugacity coefficient lies within 3 % of 1 up to CO2's 5 bar near its
// triple point), and the sublimation equations hold their data within 1 %.
constexpr double kFrostTolerance = 0.05;
// The phase tolerance of a vapour pressure (as in FluidPhaseValidity.cpp).
constexpr double kPressureTolerance = 0.005;

// The pure solid's fugacity (Pa) at T (K) and P (Pa) from its sublimation
// pressure psub (Pa) and molar volume Vs (m3/mol): psub exp(Vs (P - psub)/(R T)).
double solidFugacity(double psub, double Vs, double T, double P) {
    const double poynting = Vs > 0.0 ? std::exp(Vs * (P - psub) / (FluidPhase::R * T)) : 1.0;
    return psub * poynting;
}

}  // namespace

bool FluidPhase::stableRootFugacities(double T_, double P_bar, std::vector<double>& f) {
    const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);
    const platform::ThreadLogCapture quiet;  // no root: no fugacity, said by the caller's rule
    double Gbest = HUGE_VAL;
    for (int kind : {1, 2}) {
        double V_ = 0.0, G_ = 0.0;
        if (!pressureRootFromTP(kind, T_, P_bar, V_, G_) || !(G_ < Gbest)) continue;
        bool finite = fugacity.size() >= static_cast<std::size_t>(component_count);
        for (int i = 0; finite && i < component_count; ++i)
            finite = std::isfinite(fugacity[static_cast<std::size_t>(i)]) && fugacity[static_cast<std::size_t>(i)] >= 0.0;
        if (!finite) continue;
        Gbest = G_;
        f.assign(fugacity.begin(), fugacity.begin() + component_count);
    }
    errorflag = kept.saved();
    return Gbest < HUGE_VAL;
}

FluidPhase::FrostPoint FluidPhase::frostPointAt(double T_, double P_bar) {
    FrostPoint frost;
    if (!sublimationOf || component_count < 2 || atPureComposition() || x.size() < component_names.size())
        return frost;
    std::vector<double> f;
    bool rooted = false;
    const double P = P_bar * 1e5;
    for (std::size_t i = 0; i < component_names.size(); ++i) {
        const char* name = component_names[i].c_str();
        double Vs = std::nan("");
        const double psub = sublimationOf(name, T_, Vs);
        if (!(x[i] > 0.0) || !(psub > 0.0)) continue;
        if (!rooted && !(rooted = stableRootFugacities(T_, P_bar, f))) return frost;
        const double fs = solidFugacity(psub, Vs, T_, P);
        if (!(f[i] > fs * (1.0 + kFrostTolerance))) continue;
        frost.component = name;
        frost.f = f[i] * 1e-5;
        frost.fSolid = fs * 1e-5;
        const SolidField solid = solidOf ? solidOf(name, T_, f[i] * 1e-5) : SolidField{};
        frost.solid = solid.solid ? solid.solid : "its solid";
        // The frost point at P: the temperature where the solid's fugacity
        // rises to the fluid's, its fugacity coefficient f/(x P) taken from
        // the model at each estimate (it changes slowly with T in a gas).
        const double Tt = triplePointTemperature(name);
        double phi = f[i] / (x[i] * P), Tf = T_;
        for (int it = 0; it < 8; ++it) {
            const double target = x[i] * phi * P;
            double unused = 0.0;
            if (!(solidFugacity(sublimationOf(name, Tt * (1.0 - 1e-9), unused), Vs, Tt, P) > target)) {
                Tf = HUGE_VAL;  // the solid's fugacity stays below up to the triple point
                break;
            }
            double lo = T_, hi = Tt * (1.0 - 1e-9);
            for (int k = 0; k < 60 && hi - lo > 1e-6; ++k) {
                const double mid = 0.5 * (lo + hi);
                (solidFugacity(sublimationOf(name, mid, unused), Vs, mid, P) < target ? lo : hi) = mid;
            }
            const double next = 0.5 * (lo + hi);
            std::vector<double> fn;
            const bool converged = std::fabs(next - Tf) < 1e-3;
            Tf = next;
            if (converged || !stableRootFugacities(Tf, P_bar, fn) || !(fn[i] > 0.0)) break;
            phi = fn[i] / (x[i] * P);
        }
        frost.T = Tf;
        return frost;
    }
    return frost;
}

FluidPhase::DiluteVerdict FluidPhase::publishedSolubility(double T_, double P_bar, double* share) {
    if (share) *share = std::nan("");
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!solubilityOf || !binarySolvent(solvent, solute, xs)) return DiluteVerdict::kUncertain;
    const char* a = component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = component_names[static_cast<std::size_t>(solute)].c_str();
    if (!(ancillaryCriticalTemperature(b) >= ancillaryCriticalTemperature(a))) return DiluteVerdict::kUncertain;
    const double c = solubilityOf(a, b, T_, P_bar);
    if (share) *share = c;
    if (!(c > 0.0)) return DiluteVerdict::kUncertain;
    if (xs > kSolubilityUncertainty * c) return DiluteVerdict::kSplits;
    return xs < c / kSolubilityUncertainty ? DiluteVerdict::kOnePhase : DiluteVerdict::kUncertain;
}

FluidPhase::DiluteVerdict FluidPhase::publishedBinaryVerdict(double T_, double P_bar, const StableState& s,
                                                              std::string& why) {
    why.clear();
    int solvent = 0, solute = 0;
    double xs = 0.0;
    if (!binarySolvent(solvent, solute, xs)) return DiluteVerdict::kUncertain;
    const char* a = component_names[static_cast<std::size_t>(solvent)].c_str();
    const char* b = component_names[static_cast<std::size_t>(solute)].c_str();
    char buf[400];
    if (oneFluidAt(T_)) {
        std::snprintf(buf, sizeof buf,
                      "above the critical temperatures of both components %s and %s are one fluid at every "
                      "composition (their published critical curve)",
                      a, b);
        why = buf;
        return DiluteVerdict::kOnePhase;
    }
    if (criticalcurve::oneFluidAboveCriticalCurve(a, b, T_, P_bar, &why)) return DiluteVerdict::kOnePhase;
    const DiluteSplit& d = s.dilute;
    // Raoult's and Henry's laws decided (not near the dew or bubble pressure).
    const bool laws = d.known && s.verdict != DiluteVerdict::kUncertain && s.verdict != DiluteVerdict::kWrong;
    auto byLaws = [&] {
        std::snprintf(buf, sizeof buf,
                      "Raoult's and Henry's laws put its dew and bubble pressures at %.5g and %.5g bar, from the "
                      "vapour pressure of %s, %.5g bar, and %s Henry constant of %s",
                      d.dew, d.bubble, a, d.psat, d.published ? "the published" : "the model's", b);
        why = buf;
        return s.verdict;
    };
    const bool light = ancillaryCriticalTemperature(b) < ancillaryCriticalTemperature(a);
    if (light) return laws ? byLaws() : DiluteVerdict::kUncertain;
    // A heavy solute: its own liquid bounds the solvent-rich fluid (its
    // solid is frostPointAt's; below its triple point a liquid rich in it
    // may still form, the solvent lowering its freezing point).
    double c = 0.0;
    const DiluteVerdict bySolubility = publishedSolubility(T_, P_bar, &c);
    bool fits = bySolubility == DiluteVerdict::kOnePhase;
    if (c > 0.0) {
        if (bySolubility == DiluteVerdict::kSplits || fits) {
            const std::string separates = fits ? "" : std::string("a liquid rich in ") + b + " separates: ";
            std::snprintf(buf, sizeof buf,
                          "%sthe %s-rich fluid holds about %.3g %% %s at %g K and %g bar (its published solubility), "
                          "the mixture %.3g %%",
                          separates.c_str(), a, 100.0 * c, b, T_, P_bar, 100.0 * xs);
            why = buf;
        }
        if (bySolubility == DiluteVerdict::kSplits) return bySolubility;
    } else if (henryOf && T_ >= triplePointTemperature(b)) {
        // The solute's liquid, holding the solvent at x = P/H (its published
        // Henry constant), condenses only where the solute's partial
        // pressure reaches (1 - P/H) of its vapour pressure; below that
        // the compressed solvent holds more of it than the ideal gas does.
        const double H = henryOf(b, a, T_) * 1e-5, psat = ancillaryVapourPressure(b, T_) * 1e-5;
        const double limit = psat * (1.0 - P_bar / H) * (1.0 - kPressureTolerance);
        fits = H > 0.0 && std::isfinite(psat) && xs * P_bar < limit;
        if (fits) {
            std::snprintf(buf, sizeof buf,
                          "the partial pressure of %s, %.4g bar, lies below its vapour pressure %.4g bar: no "
                          "%s-rich liquid forms",
                          b, xs * P_bar, psat, b);
            why = buf;
        }
    }
    if (!fits) return DiluteVerdict::kUncertain;
    // The solvent-rich fluid's own liquid and vapour.
    if (laws) {
        const std::string holds = why;
        const DiluteVerdict v = byLaws();
        why = holds + "; " + why;
        return v;
    }
    return d.known ? DiluteVerdict::kUncertain : DiluteVerdict::kOnePhase;
}
