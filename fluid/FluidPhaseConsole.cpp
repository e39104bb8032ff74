// The console entry points of a fluid model that the command interpreter
// (console/FluidCommands.cpp) runs: the stability of a binary at T and P,
// the states from (T, P) and (T, V) printed, and the ranges and row limits of
// the interpreter's isotherms and isochores.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fluid/BinaryCriticalCurves.h"
#include "fluid/ErrorFlagScope.h"
#include "fluid/FluidPhase.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

// The tangent-plane test of Michelsen (1982): a fluid of composition z at T
// and P is stable when tpd(w) = sum_i w_i [ln f_i(w) - ln f_i(z)] >= 0 for
// every trial composition w (both roots of each), f_i(z) taken from the root
// of z of lowest Gibbs energy.  For a binary a grid of trial compositions
// finds the negative region of any split the isotherm shows.
bool FluidPhase::binarySplitsAt(double T_, double P_bar, bool* tested) {
    if (tested) *tested = false;
    if (component_count != 2 || x.size() != 2 || !(x[0] > 0.0 && x[1] > 0.0)) return false;
    const std::vector<double> z = x;
    const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);
    const platform::ThreadLogCapture quiet;  // a trial without a root is no failure of the state
    // ln f of both components at the root of each kind (the root's search
    // leaves its fugacities), false where none.
    auto lnFugacities = [&](int kind, double& G_, double (&lnf)[2]) {
        double V_ = 0.0;
        if (!pressureRootFromTP(kind, T_, P_bar, V_, G_)) return false;
        if (!(fugacity[0] > 0.0) || !(fugacity[1] > 0.0)) return false;
        lnf[0] = std::log(fugacity[0]);
        lnf[1] = std::log(fugacity[1]);
        return std::isfinite(lnf[0]) && std::isfinite(lnf[1]);
    };
    double ref[2] = {0.0, 0.0}, Gref = HUGE_VAL;
    bool found = false;
    for (int kind : {1, 2}) {
        double G_ = 0.0, lnf[2];
        if (lnFugacities(kind, G_, lnf) && G_ < Gref) {
            Gref = G_;
            ref[0] = lnf[0];
            ref[1] = lnf[1];
            found = true;
        }
    }
    composition(z.data());
    errorflag = kept.saved();
    if (tested) *tested = found;
    return found && binarySplitsAgainst(T_, P_bar, ref);
}

bool FluidPhase::binarySplitsAgainst(double T_, double P_bar, const double (&ref)[2]) {
    if (component_count != 2 || x.size() != 2) return false;
    const std::vector<double> z = x;
    const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);
    const platform::ThreadLogCapture quiet;  // a trial without a root is no failure of the state
    const bool found = std::isfinite(ref[0]) && std::isfinite(ref[1]);
    // A grid of 1/40 steps, and trial compositions down to 1e-8 at both
    // ends, where a trace mixture's split lies (the vapour of a liquid with
    // a trace of a volatile component holds it at a few times its share);
    // each minimum of the distance on the grid is then narrowed down
    // (golden section between its neighbours), so that a split narrower
    // than the grid's step is found too.
    std::vector<double> trials;
    for (int k = 1; k < 40; ++k) trials.push_back(k / 40.0);
    for (double e = 1e-8; e < 5e-3; e *= std::sqrt(10.0)) {
        trials.push_back(e);
        trials.push_back(1.0 - e);
    }
    // (and the state's own composition, whose other root may lie lower)
    if (z[1] > 0.0 && z[1] < 1.0) trials.push_back(z[1]);
    std::sort(trials.begin(), trials.end());
    // The tangent-plane distance of the trial w1 on the root found from the
    // liquid (kind 2) or the gas (kind 1) start (+inf where there is none).
    auto distance = [&](int kind, double w1) {
        const double w[2] = {1.0 - w1, w1};
        composition(w);
        // (trialRootFromTP gives a closed-form cubic's own root of that kind
        // where its volume search from a start does not reach it.)
        if (!trialRootFromTP(kind == 2, T_, P_bar) || !(fugacity[0] > 0.0) || !(fugacity[1] > 0.0))
            return HUGE_VAL;
        const double d = w[0] * (std::log(fugacity[0]) - ref[0]) + w[1] * (std::log(fugacity[1]) - ref[1]);
        return std::isfinite(d) ? d : HUGE_VAL;
    };
    constexpr double kSplit = -1e-9;
    bool splits = false;
    for (int kind = 1; found && !splits && kind <= 2; ++kind) {
        std::vector<double> d(trials.size());
        for (std::size_t k = 0; k < trials.size() && !splits; ++k) splits = (d[k] = distance(kind, trials[k])) < kSplit;
        for (std::size_t k = 1; !splits && k + 1 < trials.size(); ++k) {
            if (!(d[k] <= d[k - 1] && d[k] <= d[k + 1]) || !std::isfinite(d[k])) continue;
            double a = trials[k - 1], b = trials[k + 1];
            const double g = 0.5 * (std::sqrt(5.0) - 1.0);
            double c = b - g * (b - a), e = a + g * (b - a), dc = distance(kind, c), de = distance(kind, e);
            for (int it = 0; it < 12 && !splits; ++it) {
                splits = std::min(dc, de) < kSplit;
                if (dc < de) {
                    b = e;
                    e = c;
                    de = dc;
                    c = b - g * (b - a);
                    dc = distance(kind, c);
                } else {
                    a = c;
                    c = e;
                    dc = de;
                    e = a + g * (b - a);
                    de = distance(kind, e);
                }
            }
            splits = splits || std::min(dc, de) < kSplit;
        }
    }
    composition(z.data());
    return splits;
}

bool FluidPhase::oneFluidAt(double T_) const {
    if (!onePhaseAboveCriticalTemperatures()) return false;
    for (const std::string& name : component_names)
        if (!(T_ >= ancillaryCriticalTemperature(name.c_str()))) return false;
    return true;
}

bool FluidPhase::inSolventCriticalBand(double T_) {
    const char* fluid = solventFluid();
    double tScale = 1.0, pScale = 1.0, Tc0 = 0.0, Pc0 = 0.0;
    if (!fluid || !criticalScaling(tScale, pScale) || !solventCriticalPoint(Tc0, Pc0)) return false;
    // The band of the solvent itself, and its band at the mixture's
    // corresponding state (the mixture's two-phase region reaches past its
    // critical point, up to its cricondentherm).
    const double Tcf = ancillaryCriticalTemperature(fluid), Ts = T_ * tScale;
    return (T_ >= Tcf && T_ < Tc0) || (Ts >= Tcf && Ts < Tc0);
}

bool FluidPhase::printStateFromTP(double T_, double P_bar) {
    StableState s;
    if (!reportedStateFromTP(T_, P_bar, s)) return false;
    int solvent = 0, solute = 0;
    double xs = 0.0;
    const bool binary = binarySolvent(solvent, solute, xs);
    // A mixture's phase: the model's own stability test always runs, and
    // published data overrule it only where their physics holds
    // (publishedBinaryVerdict): Raoult's and Henry's laws for a light
    // solute, the solute's own liquid and its published solubility for a
    // heavy one, the critical curve above both critical temperatures.  A
    // solid deposits where a component's fugacity passes the pure solid's
    // (frostPointAt).  Where neither decides, the phase is uncertain.
    bool splits = false, uncertain = false;
    std::string note;
    const FrostPoint frost = frostPointAt(T_, P_bar);
    bool probed = frost.component != nullptr || (sublimationOf && component_count > 1 && !atPureComposition());
    if (component_count == 2 && x[0] > 0.0 && x[1] > 0.0) {
        probed = true;
        bool tested = false;
        // The trials with the interaction rows the state itself was found
        // with (an untraced row the interpreter admits, its change said),
        // except between the solvent's critical temperature and the model's
        // own at the corresponding state, where the model splits a solvent
        // that is one fluid and its trials decide nothing.
        const bool admit = !inSolventCriticalBand(T_);
        admitUntracedInteraction(admit);
        const bool modelSplits = binarySplitsAt(T_, P_bar, &tested);
        admitUntracedInteraction(false);
        std::string why;
        const DiluteVerdict v = binary ? publishedBinaryVerdict(T_, P_bar, s, why) : DiluteVerdict::kUncertain;
        if (v == DiluteVerdict::kSplits) {
            splits = true;
            note = tested && !modelSplits ? "; the model's own stability test finds it stable, but " + why : "; " + why;
        } else if (v == DiluteVerdict::kOnePhase) {
            if (tested && modelSplits) note = "the model's own stability test splits it, but " + why;
        } else if (tested) {
            splits = modelSplits;
        } else {
            uncertain = !s.phaseUncertain;
        }
    }
    if (probed) {
        // The tests leave the model at a trial: the state printed, the
        // homogeneous fluid of the composition given, is found again.  Its
        // messages were said by the first search of the same state: said
        // again only if this one fails.
        std::vector<platform::ThreadLogCapture::Entry> said;
        bool found = false;
        {
            platform::ThreadLogCapture again;
            found = reportedStateFromTP(T_, P_bar, s);
            if (!found) said = again.take();
        }
        if (!found) {
            platform::ThreadLogCapture::replay(said);
            return false;
        }
    }
    // Above a published critical curve no liquid and vapour are told apart.
    if (binary && criticalcurve::oneFluidAboveCriticalCurve(component_names[0].c_str(), component_names[1].c_str(),
                                                            T_, P_bar)) {
        s.phase = kPhaseSupercritical;
        s.phaseUncertain = false;
    }
    if (frost.solid) {
        printFrostPoint(frost, P_bar);
        dump();
        return true;
    }
    if (uncertain) {
        std::printf("** Phase: %s (uncertain: neither published data nor the model's own stability test decide "
                    "whether the mixture splits here)\n",
                    phaseName(s.phase));
        dump();
        return true;
    }
    const bool mixture = binary && s.dilute.known;
    if (splits)
        std::printf("** Phase: not stable; at this temperature and pressure the mixture splits into two phases "
                    "of other compositions (the state below is the single fluid%s)\n",
                    note.c_str());
    else if (!note.empty())
        std::printf("** Phase: %s (%s)\n", phaseName(s.phase), note.c_str());
    else if (s.supercooledUnder)
        std::printf("** Phase: supercooled liquid, metastable: %s is stable\n", s.supercooledUnder);
    else if (s.vapourOnlyRoot && mixture)
        std::printf("** Phase: vapour (the mixture's phase below its dew pressure, %.6g bar%s; the model's own "
                    "saturation would take its liquid root at %.6g cm3/mol)\n",
                    s.dilute.dew, s.phaseUncertain ? ", near which the phase is uncertain" : "", s.otherV * 1e6);
    else if (s.vapourOnlyRoot)
        std::printf("** Phase: vapour (the fluid's phase below its vapour pressure%s; the model's own saturation "
                    "would take its liquid root at %.6g cm3/mol)\n",
                    s.phaseUncertain ? "; within 0.5 % of the vapour pressure, the phase is uncertain" : "",
                    s.otherV * 1e6);
    else if (s.phaseUncertain && mixture)
        std::printf("** Phase: %s (near the mixture's dew and bubble pressures, %.6g and %.6g bar, the phase is "
                    "uncertain)\n",
                    phaseName(s.phase), s.dilute.dew, s.dilute.bubble);
    else if (s.phaseUncertain)
        std::printf("** Phase: %s (within 0.5 %% of the vapour pressure, the phase is uncertain)\n",
                    phaseName(s.phase));
    else if (s.otherPhase != kPhaseNone && (component_count == 1 || atPureComposition() || binary))
        std::printf("** Phase: %s (stable; the %s root at %.6g cm3/mol is metastable)\n", phaseName(s.phase),
                    phaseName(s.otherPhase), s.otherV * 1e6);
    else
        std::printf("** Phase: %s\n", phaseName(s.phase));
    dump();
    return true;
}

void FluidPhase::printFrostPoint(const FrostPoint& frost, double P_bar) const {
    char at[96];
    if (std::isfinite(frost.T))
        std::snprintf(at, sizeof at, "its frost point at %g bar is %.5g K", P_bar, frost.T);
    else
        std::snprintf(at, sizeof at, "its frost point at %g bar lies above its triple point, %.6g K", P_bar,
                      triplePointTemperature(frost.component));
    std::printf("** Phase: not stable; %s deposits: the fugacity of %s in the fluid, %.4g bar, exceeds that of %s, "
                "%.4g bar (from its published sublimation pressure); %s (the state below is the single fluid)\n",
                frost.solid, frost.component, frost.f, frost.solid, frost.fSolid, at);
}

bool FluidPhase::printStateFromTV(double T_, double V_) {
    if (!reportedStateFromTV(T_, V_)) return false;
    if (sublimationOf && component_count > 1 && !atPureComposition()) {
        // The frost test leaves the model at a trial: the state is found again.
        const double P_bar = P * 1e-5;
        const FrostPoint frost = frostPointAt(T_, P_bar);
        if (!reportedStateFromTV(T_, V_)) return false;
        if (frost.solid) {
            printFrostPoint(frost, P_bar);
            dump();
            return true;
        }
    }
    if (const SolidField solid = solidAt(T_, P * 1e-5); solid.solid)
        std::printf("** Phase: supercooled liquid, metastable: %s is stable\n", solid.solid);
    if (!(dPdV < 0.0) && !compressibilityDiverges())
        std::printf("** Mechanically unstable: (dP/dV)T > 0, no single phase exists at this volume\n");
    dump();
    return true;
}

bool FluidPhase::curveTemperaturesInRange(double T0, double T1, const char* what) {
    const ValidityRange validity = stateRange();
    if (validity.holdsTemperature(T0) && validity.holdsTemperature(T1)) return true;
    const std::string at =
        T0 == T1 ? "at " + givenDigits(T0) + " K" : "from " + givenDigits(T0) + " to " + givenDigits(T1) + " K";
    platform::diagf("The model %s holds %s: the %s %s lies outside it.\n", modelName(), validity.describe().c_str(),
                    what, at.c_str());
    errorflag = 1;
    return false;
}

bool FluidPhase::supercriticalLoopPressures(double T_, double& Pmin_bar, double& Pmax_bar) {
    const char* fluid = atPureComposition() ? phaseRuleFluid() : nullptr;
    const double Tcf = ancillaryCriticalTemperature(fluid);
    if (!(T_ >= Tcf)) return false;
    // P(V) from the liquid's density well above the saturated liquid's at
    // 0.6 Tc out to 50 critical volumes, in small geometric steps: a local
    // minimum followed by a local maximum is the loop.
    const double V0 = 0.8 * ancillarySaturatedLiquidVolume(fluid, 0.6 * Tcf), V1 = 50.0 * ancillarySaturatedLiquidVolume(fluid, Tcf);
    if (!(V0 > 0.0) || !(V1 > V0)) return false;
    const double keptT = T, keptV = V, keptP = P;
    const ErrorFlagScope keptFlag(*this, ErrorFlagScope::kAsItIs);
    constexpr int kSteps = 600;
    const double r = std::pow(V1 / V0, 1.0 / kSteps);
    double prev = std::nan(""), low = std::nan(""), high = std::nan("");
    bool rising = false;
    temperature(T_);
    for (int k = 0; k <= kSteps; ++k) {
        errorflag = 0;
        volume(V0 * std::pow(r, k));
        calculate_pressure();
        if (errorflag || !std::isfinite(P)) {
            prev = std::nan("");
            continue;
        }
        if (std::isfinite(prev)) {
            if (P > prev && !rising) {
                rising = true;
                low = std::isfinite(low) ? std::min(low, prev) : prev;
            } else if (P < prev && rising) {
                rising = false;
                high = std::isfinite(high) ? std::max(high, prev) : prev;
            }
        }
        prev = P;
    }
    temperature(keptT);
    volume(keptV);
    P = keptP;
    if (!std::isfinite(low) || !std::isfinite(high) || !(high > low)) return false;
    Pmin_bar = low * 1e-5;
    Pmax_bar = high * 1e-5;
    return true;
}

void FluidPhase::withCurveRowLimits(const std::function<void()>& curve, double splitPmin, double splitPmax) {
    const ValidityRange validity = stateRange();
    curveRowLimits = CurveRowLimits{};
    curveRowLimits.splitPmin = splitPmin;
    curveRowLimits.splitPmax = splitPmax;
    if (validity.declared()) {
        if (validity.Pmin > 0.0) curveRowLimits.Pmin = validity.Pmin;
        curveRowLimits.Pmax = validity.Pmax;
        curveRowLimits.vapourOnlyBelow = validity.vapourOnlyBelow;
    }
    curveRowLimits.fluid = phaseRuleFluid();
    curveRowLimits.vapourFluid = solventFluid();
    curveRowLimits.solidOf = solidOf;
    curveRowLimits.supercooled = describesSupercooledLiquid();
    curveRowLimits.model = this;
    curve();
    if (curveRowLimits.withheld > 0)
        platform::warnf("The model %s holds %s: %ld states of the curve lie outside it and are written as nan.\n",
                        modelName(), validity.describe().c_str(), curveRowLimits.withheld);
    if (curveRowLimits.offReference > 0)
        platform::warnf("The model %s: %ld states of the curve, near its critical point, lie more than %g %% from the "
                        "density of %s (its reference equation) and are written as nan.\n",
                        modelName(), curveRowLimits.offReference, 100.0 * validity.densityAccuracy,
                        phaseRuleFluid());
    curveRowLimits = CurveRowLimits{};
}

void FluidPhase::reportNoCurve(const char* what) const {
    platform::diagf("The model %s computes no %s.\n", modelName(), what);
}
