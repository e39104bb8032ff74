#pragma once
// The states the command interpreter prints, held to the rules (PhaseRules):
// the report evaluates the model it is given, refuses what the published
// model cannot give, withholds what it gives wrongly, names the phase, and
// leaves the model in the state printed.  Each refusal or withholding is
// said once on the log, naming the model, with the model's error flag set.
// The searches the rules ask for (the model's own critical points, the band
// where it splits a supercritical fluid, the stability of a binary) are run
// on the model and put back as they were found; what they find is kept here
// for the model's parameters, so one report serves a run of commands.
// T in K, P in bar.
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/PhaseRules.h"

// A state as reported: the stable state and the verdicts of the rules.
struct ReportedState : FluidPhase::StableState {
    // The root of the fluid's phase taken below a model's vapour-only limit
    // where the model's own saturation prefers the other (otherV); the
    // solid stable where the
    // state is a supercooled liquid (metastable).
    bool vapourOnlyRoot = false;
    const char* supercooledUnder = nullptr;
    // Within the phase tolerance of the fluid's vapour pressure (a pure
    // fluid) or of a dilute binary's dew and bubble pressures: the phase
    // cannot be told from them.
    bool phaseUncertain = false;
    // A dilute binary's dew and bubble pressures (dilutePhaseAt) and what
    // they say of the state.
    PhaseRules::DiluteSplit dilute;
    PhaseRules::DiluteVerdict verdict = PhaseRules::DiluteVerdict::kOnePhase;
};

class StateReport {
public:
    using DiluteVerdict = PhaseRules::DiluteVerdict;
    using DiluteSplit = PhaseRules::DiluteSplit;

    // The report of `model` with the published data of `lookups` (by
    // default those the program that built the model handed it).
    explicit StateReport(FluidPhase& model) : StateReport(model, model.lookups) {}
    StateReport(FluidPhase& model, const PhaseLookups& lookups) : m_(model), rules_(model, lookups) {}
    StateReport(const StateReport&) = delete;
    StateReport& operator=(const StateReport&) = delete;

    const PhaseRules& rules() const { return rules_; }

    // ---- the states the interpreter prints
    // From T and P: refused outside the range (a dilute binary's: its
    // solvent's) or in a solid; from the fluid's critical temperature up,
    // refused on the model's split and where it lies further than its
    // accuracy from the fluid's density; the stable root (for a mixture, of
    // its liquid and vapour roots at its composition); below a vapour-only
    // limit the model's vapour root or a refusal (a dilute binary's from its
    // dew pressure up); above the fluid's critical temperature, a state
    // where the model has two roots is refused and the phase named as the
    // fluid's; a phase the fluid (phaseRuleFluid), or the dilute mixture
    // (dilutePhaseAt), does not have there is withheld, and the verdict kept
    // (s.verdict, s.phaseUncertain); a supercooled liquid is named
    // (supercooledUnder); then the quantities no fluid has.  False, said
    // once, when there is no state to print.
    bool reportedStateFromTP(double T_, double P_bar, ReportedState& s);
    // From T and V: the same rules at the pressure found.  Where `notes` is
    // given, what the state carries beside its numbers: its density's
    // departure from the fluid's reference equation where it lies beyond the
    // model's accuracy (noteOffReference; NaN within it), and the sentence
    // that withholds its heat capacities (withholdUnphysicalQuantities;
    // empty where none are).
    struct StateNotes {
        double departure = std::numeric_limits<double>::quiet_NaN();
        std::string withheld;
    };
    bool reportedStateFromTV(double T_, double V_, StateNotes* notes = nullptr);
    // The state from T (K) and P (bar), printed: for a pure fluid the stable
    // root, named; for a mixture its root of lower Gibbs energy, and its
    // phase: the model's own stability test always runs, and published data
    // overrule it only where their physics holds.  A state that is not found
    // or has no finite properties is reported, not printed.
    bool printStateFromTP(double T_, double P_bar);
    // Its "Phase:" line alone, the model left at the state printed; false
    // where the state is refused (said on standard error).
    bool printPhaseLineFromTP(double T_, double P_bar);
    // The state from T (K) and V (m3/mol), printed, or reported when it has
    // no finite properties.
    bool printStateFromTV(double T_, double V_);
    // The saturation pressure at T (calculateTheSaturationPressure), refused
    // outside the range's temperatures, below its vapour-only limit or at or
    // above the fluid's critical temperature, and withheld when it lies more
    // than 5 % from the fluid's published vapour pressure; below the fluid's
    // triple point said to be the supercooled liquid's; 0 on success.
    short reportedSaturationPressure(double T_);

    // ---- the interpreter's curves
    // PhaseRules::criticalPointInRange, errorflag set where it is not.
    bool criticalPointInRange();
    // PhaseRules::curveTemperaturesInRange, errorflag set where they are
    // not; a curve is then run with the range's pressures as its row limits
    // (withCurveRowLimits).
    bool curveTemperaturesInRange(double T0, double T1, const char* what);
    // Runs `curve` with the model's row limits (FluidPhase::CurveRowLimits):
    // each row is the state printed from its T and V (printStateFromTV), a
    // state refused there, or one from which a solid deposits, written as
    // NaN; once the curve is written, the rows beyond the range's pressures,
    // those refused, those where a solid deposits, those with their heat
    // capacities withheld and those whose density lies beyond the model's
    // accuracy from the fluid's reference equation are counted in one
    // warning each.  splitPmin..splitPmax (bar): the pressures at which an
    // isotherm of a supercritical fluid has three roots in the model (its
    // loop), whose states it leaves out; none by default.
    void withCurveRowLimits(const std::function<void()>& curve, double splitPmin = 0.0, double splitPmax = -1.0);
    // The pressures (bar) between the local minimum and maximum of P(V) on
    // the isotherm at T of a pure fluid above its fluid's critical
    // temperature, where the model splits it; false where there is no loop.
    bool supercriticalLoopPressures(double T_, double& Pmin_bar, double& Pmax_bar);
    // Between the critical temperature of the solvent's fluid and the
    // model's own (found at the solvent's pure composition; a binary's at
    // its corresponding temperature, criticalScaling): the pressures (bar)
    // of the model's saturation curve there, from its vapour pressure at the
    // fluid's critical temperature to its critical pressure, with the
    // model's critical point; false at any other temperature or where the
    // model has no such point.  The model's state and composition are kept.
    bool splitBandPressures(double T_, double& Plo_bar, double& Phi_bar, double& Tcm, double& Pcm_bar);

    // ---- rules that run on the model
    // False, with one message naming the model and its range, and errorflag
    // set, when (T, P) lies outside the range (stateRange), below its
    // vapour-only limit at or above the fluid's vapour pressure
    // (ancillaryVapourPressure), or where phaseRuleFluid() is solid (solidAt;
    // not in the ice Ih field for a model of the supercooled liquid).  A
    // pressure the model computed (pressureGiven false) is said to six
    // digits; one given is said as it was typed.  That the model answers
    // beyond its source's pressures or temperatures is said once.
    bool refuseOutsideRange(double T_, double P_bar, bool pressureGiven = true);

private:
    // ---- a binary whose solvent (its larger share) the model describes as
    // a vapour only below a temperature (Duan, Moller & Weare's water below
    // 647.096 K, their CO2 below 304.128 K; StateReportVapourOnly.cpp): the
    // mixture's own vapour, and its split into a vapour and a liquid, are
    // given at every composition; where the mixture is the solvent's liquid,
    // which the model does not describe, the state is refused.  Where that
    // liquid forms follows from the solute's physics, the same at every share:
    //  - a solute more volatile than its solvent (CO2 in water) dissolves in
    //    the liquid, which the mixture is alone above its bubble pressure,
    //    (1 - x) psat + x H by Raoult's and Henry's laws (H at the upper end
    //    of its uncertainty, PhaseRules::henryUncertaintyAt(x); the solvent's
    //    vapour pressure as x goes to 0), except above the pair's published
    //    critical curve, where the mixture is one fluid;
    //  - a solute less volatile than its solvent (water in CO2) condenses as
    //    its own liquid where its partial pressure passes its vapour
    //    pressure, and the solvent-rich fluid holds it up to its published
    //    solubility; the solvent itself liquefies at its own vapour pressure.
    //    Beyond that solubility the mixture splits into the solvent's fluid
    //    and the solute's liquid at every pressure, which is said, not refused.
    // A binary of two fluids, both present, at T (K) below its solvent's
    // vapour-only limit.
    bool binaryOfVapourOnlySolvent(double T_) const;
    // For such a binary at T (K) and P (bar): true where P lies below the
    // pressure from which the mixture is its solvent's liquid; else the
    // refusal is said, naming that pressure and the physics it comes from,
    // with P written as pText, errorflag is set and false returned.
    bool admitsVapourOnlyPressure(double T_, double P_bar, const std::string& pText);
    // The dew and bubble pressures of a dilute binary at T
    // (PhaseRules::diluteSplitFrom), the solute's Henry constant from
    // soluteHenryConstant.  The model's state and composition are kept.
    DiluteSplit dilutePhaseAt(double T_);
    // The solute's Henry constant (bar) in the liquid solvent at T and the
    // solvent's vapour pressure psat (bar): the published one, else f/x of
    // the solute in the model's liquid of the solvent with a trace of it;
    // NaN where neither gives one.  The model's state and composition are
    // kept.
    double soluteHenryConstant(int solvent, int solute, double T_, double psat_bar, bool& published);
    // Whether T lies, at the solvent's corresponding state, between the
    // solvent fluid's critical temperature and the model's own.
    bool inSolventCriticalBand(double T_);
    // A binary of two fluids beyond a trace, taken to its solvent by
    // corresponding states at the model's own critical points (the
    // mixture's at its fixed composition, mixtureCriticalPoint): the
    // mixture's (T, P) is the solvent's (T tScale, P pScale), with tScale =
    // Tc(solvent) / Tc(mixture) and pScale = Pc(solvent) / Pc(mixture); 1
    // and 1 for a pure fluid or a trace.  False where the mixture or its
    // solvent has no critical point in the model.
    bool criticalScaling(double& tScale, double& pScale, double* Tcx = nullptr, double* Pcx_bar = nullptr);
    // The model's own critical point at its solvent's pure composition (K,
    // bar), kept for the solvent and the model's parameters.
    bool solventCriticalPoint(double& Tcm, double& Pcm_bar);
    // The model's critical point of a binary at its fixed composition,
    // where its isotherm has a horizontal inflection (a pseudo-critical
    // point: the mixture's one-fluid critical point, on which corresponding
    // states rest), continued from its solvent's (x1 the solute's share;
    // K, bar, m3/mol), kept for every composition asked for (at most 512)
    // and the model's parameters.
    struct MixtureCritical {
        double x1;
        bool found;
        double Tc, Pc, Vc;
    };
    const MixtureCritical* mixtureCriticalPoint();
    // Withholds (NaN) cv, cp, the sound speed and the Joule-Thomson
    // coefficient of a state where they describe no fluid: cv below the 3R/2
    // of the molecules' translation, cp <= 0, cp < cv, a negative squared
    // sound speed or one above 10 km/s; says why once (a warning).  In the
    // model's liquid of a component it describes as a vapour only
    // (PhaseRules::liquidOfVapourOnlyComponent) the fugacities and fugacity
    // coefficients too.  True when it withheld them (`why`: the sentence
    // said, where given).
    bool withholdUnphysicalQuantities(std::string* why = nullptr);
    // A component's solid deposits from the fluid where its fugacity there
    // exceeds the pure solid's, that of the vapour over the solid at its
    // published sublimation pressure psub, psub phi(psub) exp(Vs (P -
    // psub)/(R T)): the solid, the component, both fugacities (bar) and the
    // temperature at P where the solid first appears on cooling (NaN where
    // the model gives no state on the way, inf above the component's triple
    // point), with the fluid's phase there: its freezing point where the
    // fluid is a liquid, its frost point otherwise.  `uncertain`: the
    // fluid's fugacity lies within the tolerance of the solid's, and whether
    // the solid deposits is uncertain (no temperature is sought).
    struct FrostPoint {
        const char* solid = nullptr;
        const char* component = nullptr;
        double f = 0.0, fSolid = 0.0, T = 0.0;
        // The solid's sublimation pressure (bar) where the fluid's own
        // supercooled liquid is judged by the published lines; NaN otherwise.
        double psub = std::nan("");
        // The solvent's mole fraction where its solid is judged by Raoult's
        // law on the published lines below 1 - 1e-6; 1 otherwise.
        double share = 1.0;
        // The solvent held by Raoult's law in a liquid (not by its partial
        // pressure in a vapour).
        bool raoult = false;
        // Judged so above its triple point, beyond its melting line (a trace
        // share included).
        bool beyondMelting = false;
        bool liquid = false, uncertain = false;
        // A solute's fugacity from the published estimate in a gas (its
        // second virial coefficients, PhaseRules::publishedGasFugacity), not
        // the model's fluid.
        bool virial = false;
        // A second component's solid that deposits too (null: none).
        const char* alsoSolid = nullptr;
        // A solid judged in a liquid-like fluid by the component's activity
        // (liquidActivity) against its ideal solubility: both; NaN otherwise.
        double activity = std::nan(""), idealSolubility = std::nan("");
    };
    // For a mixture at T (K) and P (bar), from the root of the fluid of
    // lower Gibbs energy: the first component whose solid deposits, else the
    // first whose deposit is uncertain, none (solid null) where neither is.
    // A component the model describes as a vapour only, where the mixture
    // holds it as densely as its liquid, is not judged.  The state is left
    // at a trial; the composition is put back.
    // Without seekTemperature, the temperature where the solid first
    // appears is not sought (T is left NaN).
    FrostPoint frostPointAt(double T_, double P_bar, bool seekTemperature = true);
    // Solid CO2 (any solid but ice, whose rules are water's own) in a
    // liquid-like fluid, judged by one law at every share, whichever
    // component is the solvent: the component's activity, its fugacity f_i
    // in the model's fluid over that of the model's own pure liquid at T and
    // P, against its ideal solubility on the published lines,
    // exp(-(dH_fus/R)(1/T - 1/Tm(P))) (Schroeder-van Laar, Tm(P) from the
    // published melting line).  The pure fluid is its limit (the activity
    // 1: the published melting line); in a dilute solution the model's
    // activity coefficient carries the solution's departure from Raoult's
    // law (CO2 in liquid CH4 dissolves about a third of its ideal share at
    // 150 K: Davis, Rodewald & Kurata 1962).  Liquid-like: denser than the
    // components' mean critical volume (Kay's rule), a measure that does
    // not turn on which component is the solvent.  False where it does not
    // apply (a vapour-like fluid, above the triple point, no pure liquid
    // root); `fluid` the model's fugacities and molar volume at T and P.
    bool liquidActivity(std::size_t i, double T_, double P_bar, const std::vector<double>& fluid, double V_,
                        FrostPoint& found);
    // The temperature between T_ and the triple point of component i where
    // its fugacity in the fluid (of the composition given, at P) falls to
    // that of its solid of molar volume Vs; g0 = ln(f/f_solid) > 0 at T_.
    // Inf where it stays above up to the triple point, NaN where the model
    // gives no state on the way; `liquid`: the fluid there is a liquid.
    double solidEquilibriumTemperature(std::size_t i, double T_, double P_bar, double Vs, double g0, bool& liquid);
    // The phase rules of reportedStateFromTP (StateReport.cpp).
    bool phaseAgreesWithFluid(double T_, double P_bar);
    // Below the vapour-only limit: the model's root of the fluid's phase
    // (the liquid's where `liquid`), whatever its own saturation prefers;
    // false, said once and errorflag set, where it has none.
    bool keepRootOfFluidsPhase(double T_, double P_bar, bool liquid, ReportedState& s);
    bool refuseInCriticalBand(double T_, double P_bar, const FluidPhase::StableState& s);
    // The model's near-critical band that the fluid does not have: where
    // its own critical temperature lies above the fluid's, the states (a
    // binary's corresponding states, criticalScaling) between the two
    // critical temperatures and between the model's vapour pressure at the
    // fluid's critical temperature and its own critical pressure.  False,
    // said once and errorflag set, inside it.
    bool refuseInModelCriticalBand(double T_, double P_bar);
    // The rule above for a binary beyond a trace: refused where its solvent
    // has both roots at the corresponding state.
    bool refuseCorrespondingSplit(double T_, double P_bar);
    // For a dilute binary: the verdict of dilutePhaseAt on the model's state
    // (its V, a liquid when denser than the geometric mean of the solvent's
    // saturated volumes); kWrong is said once, with errorflag set.
    DiluteVerdict judgeDiluteState(double T_, double P_bar, const DiluteSplit& d);
    bool refuseOrNameSupercooled(double T_, double P_bar, bool liquid, const char** solid);
    // Says, as a number, how far the model's density lies from the fluid's
    // reference equation at (T, P) (a binary's solvent's at its
    // corresponding state) where it lies further than the range's
    // densityAccuracy; the state is given all the same.
    // The departure of the density said (a fraction), NaN where none is.
    double noteOffReference(double T_, double P_bar);
    // A binary's dew and bubble pressures (dilutePhaseAt) within the phase
    // tolerance of each other: one saturation pressure; false, said once and
    // errorflag set, for any other binary.  True for any other fluid.
    bool saturationOfOnePressure(double T_);
    // A dilute binary set to its solvent's pure end (its split, critical
    // point and reference state are the solvent's); any other composition
    // is left as it is.
    void toSolventEnd();
    // The fugacities (Pa) of the fluid's root of lower Gibbs energy at T and
    // P, with its volume (m3/mol) where V_stable is given; false where it has
    // none.
    bool stableRootFugacities(double T_, double P_bar, std::vector<double>& f, double* V_stable = nullptr);
    // The two phases of the model's own split of a binary at T (K) and P
    // (bar), from its trial phase of component 1's fraction `trial`
    // (FluidPhase::binaryTieLineAt), each named, with the fraction of its
    // minor component and its density: "a liquid of x(CO2) 0.0123 (998
    // kg/m3) and a vapour of x(H2O) 0.0061 (...)"; empty where the tie line
    // is not found.  The model is put back.
    std::string namedSplit(double T_, double P_bar, double trial, FluidPhase::BinaryTieLine* found = nullptr);
    // A liquid phase of the model's split (its tie line) rich in a binary's
    // solute with a published solid, at T (K) below the solute's freezing
    // point at its share there and P (bar) by Raoult's law on the published
    // pure liquid (the ideal freezing-point depression from its published
    // melting line, as for a solvent): no liquid of it is stable there, the
    // phase is the solid.  Solid null where there is none.
    struct SplitSolid {
        const char* solid = nullptr;
        const char* component = nullptr;
        double share = 1.0, T = 0.0;
    };
    SplitSolid solidOfSplit(const FluidPhase::BinaryTieLine& line, double T_, double P_bar) const;
    // The "Phase:" line of a split whose phase `solid` is a solid.
    static void printSplitSolid(const SplitSolid& solid, const std::string& split, const std::string& note,
                                double P_bar);
        // The molar volume (m3/mol) of the model's root at T (K) and P (bar) of
    // component 1's fraction w1 nearest Vnear (a named phase at a published
    // composition); NaN where it has none.  The model is put back.
    double phaseVolumeAt(double T_, double P_bar, double w1, double Vnear);
    // The "Phase:" line of a mixture that splits: its phases named where the
    // model's own split was sought (`split` given) and found (not empty),
    // said not found where sought in vain, else (a split the published data
    // say) its two phases unnamed; `note` closes the line's parenthesis.
    static void printSplit(const std::optional<std::string>& split, const std::string& note);
    // Component i's fugacity (bar) in that root; NaN where it has none.
    double stableRootFugacityBar(int i, double T_, double P_bar);
    // Its "Phase:" line, at the state's pressure P (bar).
    void printFrostPoint(const FrostPoint& frost, double P_bar) const;
    // Whether a binary's state s at T (K) and P (bar) splits: the model's
    // own stability test (binarySplitsAt), overruled by published data only
    // where their physics holds (publishedBinaryVerdict); with the note its
    // "Phase:" line closes with and, where the model's split is named, its
    // phases (namedSplit).  Only where `nameSplit` are the model's own test
    // run where published data decide and its split named (both dear).
    // For a binary with both components present; the test leaves the model
    // at a trial.
    struct MixtureVerdict {
        bool splits = false, uncertain = false, modelDecides = false;
        std::string note;
        std::optional<std::string> split;  // the phases of the model's split, empty where not found
        FluidPhase::BinaryTieLine line;     // the model's tie line where found
    };
    MixtureVerdict mixtureVerdictAt(double T_, double P_bar, const ReportedState& s, bool nameSplit = true);
    // The "Phase:" line of a state whose solid's deposit lies within the
    // frost tolerance, the fluid's phase named.
    void printUncertainFrost(const FrostPoint& frost, const char* phase) const;
    // The state of T (K) and P (bar) found again into `s` after the phase
    // tests left the model at a trial; a refusal said only where it fails.
    bool findStateAgain(double T_, double P_bar, ReportedState& s);
    // The rows of a curve (withCurveRowLimits) counted by what the state
    // printer says of their states (StateReportCurves.cpp).
    struct CurveTally;
    // Whether a binary's row at T (K) and P (bar) splits, as the state
    // printed there from T and P says (mixtureVerdictAt); the first such row
    // of the curve, with its phases where `name`, kept in `t`.  The test
    // leaves the model at a trial.
    bool mixtureSplitsAt(double T_, double P_bar, bool name, CurveTally& t);
    // The state printed from T (K) and V (m3/mol) at the row's pressure
    // P (bar), counted; false where the row is written as NaN.  Nothing is
    // said: the curve's warnings (sayCurveTally) count its rows.
    bool curveRowState(double T_, double P_bar, double V_, CurveTally& tally);
    void sayCurveTally(const CurveTally& tally) const;

    FluidPhase& m_;
    PhaseRules rules_;
    // Said once: the model answers beyond its source's pressures
    // (ValidityRange::extrapolatedAbove), or below its temperatures
    // (ValidityRange::extrapolatedBelow).
    bool extrapolationSaid_ = false;
    bool lowExtrapolationSaid_ = false;
    // What the searches found, for the solvent and the model's parameters
    // they were found with.
    struct KeptSolventCritical {
        bool searched = false, found = false;
        std::string fluid;
        unsigned long revision = 0;
        double Tcm = 0.0, Pcm = 0.0, Vcm = 0.0;
        double PsatAtFluidTc = 0.0;  // the model's vapour pressure at the fluid's critical temperature (bar)
    };
    KeptSolventCritical keptSolventCritical_;
    std::vector<MixtureCritical> keptMixtureCritical_;
    unsigned long keptMixtureRevision_ = 0;
    std::string keptMixtureSolvent_;
};
