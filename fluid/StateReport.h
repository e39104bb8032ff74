#pragma once
// The states the command interpreter prints.  Each is the model's own answer:
// its stable root, its own stability test (the tangent plane of a mixture),
// its own split with its own compositions and densities.  Beside it, where
// the fluids' published data cover the state, one statement of what they
// give (PhaseRules::fluidAt).  A state is refused only outside the model's
// published range or where the model has no root; a quantity is withheld
// only where no fluid has it (cv at or below 3R/2, cp below cv, a negative
// compressibility) or where the model's equation leaves it undefined (a pole
// of its mixing rule).  Each refusal or withholding is said once on the log,
// naming the model, with the model's error flag set.  T in K, P in bar.
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/PhaseRules.h"

// A state as found: the model's stable root (of its liquid and vapour roots
// the one of lower Gibbs energy) and its phase named.
struct ReportedState : FluidPhase::StableState {};

class StateReport {
public:
    // The report of `model` with the published data of `lookups` (by
    // default those the program that built the model handed it).
    explicit StateReport(FluidPhase& model) : StateReport(model, model.lookups) {}
    StateReport(FluidPhase& model, const PhaseLookups& lookups) : m_(model), rules_(model, lookups) {}
    StateReport(const StateReport&) = delete;
    StateReport& operator=(const StateReport&) = delete;

    const PhaseRules& rules() const { return rules_; }
    // The reference fluids its rules read.
    const ReferenceFluids& fluids() const { return rules_.lookups().fluids(); }

    // ---- the verdict: one value, built in one place (verdictAt), printed by
    // one printer (printVerdict)
    struct Verdict {
        ReportedState state;
        // The model's own stability test ran (a binary with both components
        // present) and splits the mixture; its tie line where found.
        bool tested = false, splits = false;
        FluidPhase::BinaryTieLine line;
        PhaseRules::ModelAnswer model;
        PhaseRules::FluidStatement fluid;
    };
    // The state from T (K) and P (bar) and its verdict; false, said once,
    // where it is refused.  The model is left at the state.
    bool verdictAt(double T_, double P_bar, Verdict& v);

    // ---- the states the interpreter prints
    // From T and P: refused outside the range (refuseOutsideRange) or where
    // the model has no finite root; the stable root, its phase named; the
    // quantities no fluid has withheld.
    bool reportedStateFromTP(double T_, double P_bar, ReportedState& s);
    // From T and V: the same at the pressure found; `withheld` (where
    // given) the sentence that withholds its heat capacities, empty where
    // none are.
    bool reportedStateFromTV(double T_, double V_, std::string* withheld = nullptr);
    // The state printed, with its "Phase:" line and the fluid's statement.
    bool printStateFromTP(double T_, double P_bar);
    // Its "Phase:" line and the fluid's statement alone, the model left at
    // the state; false where the state is refused.
    bool printPhaseLineFromTP(double T_, double P_bar);
    bool printStateFromTV(double T_, double V_);
    // The saturation pressure at T (calculateTheSaturationPressure), refused
    // outside the range's temperatures, below its vapour-only limit, for a
    // mixture of two components present (a dew and a bubble pressure, not
    // one); 0 on success.
    short reportedSaturationPressure(double T_);
    // The fluid's statement of the saturation point the model is at.
    void printSaturationFluidLine() const;

    // ---- the interpreter's curves
    // ModelRange::criticalPointInRange, errorflag set where it is not.
    bool criticalPointInRange();
    // ModelRange::curveTemperaturesInRange, errorflag set where they are not.
    bool curveTemperaturesInRange(double T0, double T1, const char* what);
    // Runs `curve` with the model's row limits (FluidPhase::CurveRowLimits):
    // each row is the state printed from its T and V, or NaN where that state
    // is refused or the model's own test splits the mixture there; once the
    // curve is written, the rows outside the range, refused, split and
    // withheld are counted in one warning each, and the rows where the
    // fluid's data put the fluid in another phase or a solid's field in one
    // statement.  splitPmin..splitPmax (bar): the pressures of the model's
    // loop on a supercritical isotherm, whose states it leaves out.
    void withCurveRowLimits(const std::function<void()>& curve, double splitPmin = 0.0, double splitPmax = -1.0);
    // The pressures (bar) between the local minimum and maximum of P(V) on
    // the isotherm at T of a pure fluid above its fluid's critical
    // temperature, where the model splits it; false where there is no loop.
    bool supercriticalLoopPressures(double T_, double& Pmin_bar, double& Pmax_bar);

    // False, with one message naming the model and its range, and errorflag
    // set, when (T, P) lies outside the range (stateRange), below a pure
    // fluid's vapour-only limit at or above its vapour pressure (a mixture
    // beside such a fluid's pure end at or above its dew pressure), or in a
    // pure fluid's solid field where its range ends at its solid lines (not
    // in the ice Ih field for a model of the supercooled liquid).  A pressure
    // the model computed (pressureGiven false) is said to six digits.  That
    // the model answers beyond its source's pressures or temperatures is
    // said once.
    bool refuseOutsideRange(double T_, double P_bar, bool pressureGiven = true);

private:
    // The component of a mixture beside its pure end, or of a non-polar
    // pair at any share (PhaseRules::diluteEnd), whose own range describes
    // it as a vapour only at T, without its liquid's volume; its index in
    // `restricted` and the other's share in `xs`.  Null elsewhere.
    const char* vapourOnlyEnd(double T_, int& restricted, double& xs) const;
    // The gas of a water-gas pair (PhaseRules::polarPair) whose own range
    // describes it as a vapour only at T, at any share; its index in
    // `restricted` and water's share in `xs`.  Null elsewhere.
    const char* vapourOnlyGasBesideWater(double T_, int& restricted, double& xs) const;
    // The model's own verdict at the state found: its stability test and
    // split (a binary), the answer the fluid's statement measures.
    void modelVerdict(double T_, double P_bar, Verdict& v);
    // The two phases of the model's split, both named with the fraction of
    // the more volatile component, and their densities.
    std::string splitText(const Verdict& v, double T_) const;
    void printVerdict(const Verdict& v, double T_) const;
    // Withholds (NaN) cv, cp, the sound speed and the Joule-Thomson
    // coefficient where no fluid has them or the model's mixing rule has a
    // pole; says why once.  True when it withheld them.
    bool withholdUnphysicalQuantities(std::string* why = nullptr);
    struct CurveTally;
    bool curveRowState(double T_, double P_bar, double V_, CurveTally& tally);
    // The sentences said of the curve's rows (on standard error), returned
    // for its file's note.
    std::vector<std::string> sayCurveTally(const CurveTally& tally) const;

    FluidPhase& m_;
    PhaseRules rules_;
    // Said once: the model answers beyond its source's pressures or below
    // its temperatures.
    bool extrapolationSaid_ = false;
    bool lowExtrapolationSaid_ = false;
};
