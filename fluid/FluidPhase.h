#pragma once
// A fluid model: a Phase whose reduced Helmholtz energy a = A/(RT) is the sum
// of an array of Interaction terms and an optional ideal-gas part.  The
// framework turns the sum into the state (molar volume from T and P,
// temperature from V and P, pressure from T and V), the fugacities with their
// derivatives, the state functions and the pure-fluid critical point.
//
// A model's constructor calls FluidPhase(nInteractions, phaseKind, withVenturi),
// creates its terms into `interactions` and its ideal part into `ideal`, then
// calls number_of_components and names its components.
//
// Units: T in K, P in Pa (the `pressure` setter, calculateFromTP and
// calculateFromVP take bar), V in m3/mol, energies in J/mol.  R = 8.31434.
//
// Failures: `errorflag` reports a failed state (volume or temperature search,
// a domain error in a term, a volume at or below the co-volume); the Equation
// `error` flag reports a failed evaluation to the solver that called it.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "fluid/CurveRowLimits.h"
#include "fluid/Ideal.h"
#include "fluid/FluidPhaseFlags.h"
#include "fluid/FluidPhaseKeptState.h"
#include "fluid/Interaction.h"
#include "fluid/Phase.h"
#include "fluid/SystemTypeCode.h"
#include "fluid/ValidityRange.h"

class NewtonRaphson;
class Newton;
class SaturationExpansion;

struct IsothermWalks;
class FluidPhase : public Phase {
public:
    static constexpr double R = 8.31434;

    FluidPhase(int nInteractions, int phaseKind, char withVenturi);
    ~FluidPhase() override;

    // ---- construction and components
    // Allocates the term array (one more slot, a VenturiInteraction, with withVenturi).
    void createInteractions(int n);
    // Releases everything the model owns; safe to call twice.
    void purge();
    void number_of_components(int n) override;
    // Maps a system name to its code and calls setSystemCode; an unknown name
    // is reported and changes nothing (false).
    bool setSystemType(const char* name);
    virtual void setSystemCode(char code);
    void print_parameters(std::FILE* f);
    void print_parse_tree(std::FILE* f);
    // i = -1: the ideal part; 0 <= i < nInteractions: term i.
    void checkInteraction(int i, const char* label);

    // ---- state (setters push T, V and x into every term)
    void temperature(double T_) override;
    void volume(double V_) override;
    void composition_of_component(int i, double xi) override;
    void describe() override;
    // The molar volume at T and P on the branch of the isotherm the phase kind asks for (FluidPhaseState.cpp).
    void calculate_molar_volume() override;
    // The model's liquid volume at the current temperature and composition,
    // the first start of a liquid search: the saturated liquid of the major
    // component from its published ancillary equation (its critical volume
    // above its critical temperature), as usableLiquidStart takes it.
    virtual double estimate_Vl0();
    // V when it can start a liquid search of this model (finite and above
    // 1.05 times the co-volume); otherwise 1.1 times the co-volume; for a
    // model with neither (no ancillary equation for its major component, no
    // co-volume), kGenericLiquidStart.  Never a volume an earlier call left.
    double usableLiquidStart(double V_);
    // The molar volume of a small molecule's liquid (m3/mol), about water's
    // and CO2's near their triple points: a liquid start where the model
    // offers none of its own.
    static constexpr double kGenericLiquidStart = 2e-5;
    virtual bool isInstable(double, double) { return false; }
    virtual void calculate_pressure();
    void calculate_fixed_parameters();
    void calculate_temperature();
    // The molar volume at T and P searched from `start` (no retries), with the
    // pressure check of calculate_molar_volume.
    void calculateMolarVolumeFrom(double start);
    // A root found in closed form taken as the state at T and P as it
    // stands, without Newton's steps (which creep at a critical point, where
    // the isotherm is flat to rounding): true where it is mechanically stable
    // and gives the pressure, else false with errorflag set and no volume.
    bool takeRootAsItStands(double root);
    // Whether the state the model is in (T, P and the root V found) lies on
    // the branch of the isotherm that its phase kind (1 or 2) asks for, as
    // calculate_molar_volume accepts a root; true for other kinds.
    bool stateOnKindBranch();
    // Whether the root V found at the model's T and P answers the phase
    // kind (1 or 2) of a pure fluid, from the closed-form count of its
    // isotherm's stable roots (stablePressureRootCount): 1 where it lies on
    // the kind's branch or is the isotherm's only stable root (a search of
    // either kind ends on it or on none), 0 where it is the other branch's
    // of two, -1 where the count does not tell.  The model is left in the
    // state found.
    int kindRootFromCount();
    // Whether a state found by a search gives the pressure asked for: within a
    // relative 1e-9, or, in a stiff state, within the pressure change of a
    // relative 1e-12 of the variable searched (stiffness: V |dP/dV| or T |dP/dT|).
    static bool reproducesPressure(double found, double asked, double stiffness);
    void equationForCalculating_V_FromTP(double V_, double& f, double& dfdV);
    void equationForCalculating_T_FromVP(double T_, double& f, double& dfdT);
    void calculateFromTP(double T_, double P_bar, char print);
    // The full state at (T, V): the state functions, then the fugacities with
    // their derivatives (calculate_fugacities, which also forms Z, P and their
    // derivatives again from the fugacity pass's sums).  These three calls
    // refuse as completeStateOfCall says: nothing of an earlier state stays.
    void calculateFromTV(double T_, double V_, char print);
    // The state functions at (T, V) alone, without the fugacities (FluidPhaseState.cpp).
    void calculateStateFunctionsFromTV(double T_, double V_);
    void calculateFromVP(double V_, double P_bar, char print);

    // ---- stable state of a pure fluid (FluidPhaseStableState.cpp)
    enum PhaseCode { kPhaseNone = 0, kPhaseVapour = 1, kPhaseLiquid = 2, kPhaseSupercritical = 3, kPhaseFluid = 4 };
    struct PhaseRoot {
        bool found = false;
        double V = 0.0, G = 0.0;  // m3/mol; J/mol, as rootGibbsEnergy ranks the roots
    };
    struct PhaseRoots {
        PhaseRoot liquid, vapour;  // vapour.found is false when there is one root only
    };
    struct StableState {
        int phase = kPhaseNone;       // of the state the model is left in
        bool metastable = false;      // the other root has the lower Gibbs energy
        int otherPhase = kPhaseNone;  // the other root at the same T and P, if any
        double otherV = 0.0;          // its volume, m3/mol
    };
    // The root the volume search of phase kind `kind` (1 vapour, 2 liquid)
    // finds at T (K) and P (bar), with its Gibbs energy; false when the search
    // fails or ends on a state that is mechanically unstable or does not give
    // P back.  The model's phase kind is kept.
    bool pressureRootFromTP(int kind, double T_, double P_bar, double& V_, double& G_);
    // A trial phase of the tangent-plane test: a mechanically stable root at T and P (FluidPhaseStableState.cpp).
    bool trialRootFromTP(bool liquidStart, double T_, double P_bar);
    // Whether the composition's isotherm at T (K), kept through the curve
    // held or counted in closed form by the last trialRootFromTP, has one
    // mechanically stable root at P (bar), the one root both starts of
    // trialRootFromTP can end on; false where it was not checked.
    bool trialHasOneStableRoot(double T_, double P_bar) const;
    // Whether the last trial searched (trialRootFromTP), at T (K), P (bar)
    // and the phase's composition, had one stable root counted in closed
    // form and no root kept from a curve's row before: both starts then
    // begin on that root and end on it alike.
    bool trialCountedOneRoot(double T_, double P_bar) const;
    // A model whose volume search from a start finds no root (the classical
    // SRK and Montel's cubic solve for V in their own search of a state from
    // T and P): its trial phases are the roots of that search.
    virtual bool trialsFromStateSearch() const { return false; }
    // The number of mechanically stable roots of P(V) = P at T (K), P (bar)
    // and the phase's composition, 1 or 2, where the model knows it in
    // closed form (the cubic of a cubic's isotherm); 0 where it does not or
    // cannot tell.  Their volumes in closed form (m3/mol, ascending) into
    // roots[0 .. count - 1] if given.  It may evaluate the model's terms at
    // T: the model's state is no longer one it was left in.
    virtual int stablePressureRootCount(double T_, double P_bar, double* roots = nullptr) {
        (void)T_, (void)P_bar, (void)roots;
        return 0;
    }
    // The root between the volumes Va < Vb where P(V) - P changes sign.
    bool pressureRootInBracket(double T_, double P_bar, double Va, double Vb, double& V_, double& G_);
    // The liquid (smallest volume) and the vapour (largest volume) roots; a
    // root on neither branch of the isotherm (a loop of a multiparameter
    // equation inside the two-phase region) is none.
    PhaseRoots pressureRootsFromTP(double T_, double P_bar);
    // The root of lowest Gibbs energy at (T, P), the model left in it (FluidPhaseStableState.cpp).
    StableState calculateStableStateFromTP(double T_, double P_bar, bool withOtherRoot = false);
    // A mixture model at one of its pure ends where its equation is that
    // fluid's own: the model of that fluid alone (one component, with the
    // pure fluid's searches), kept by the mixture model; null elsewhere.
    // The stable state at such an end is that model's root, named as the
    // mixture's roots are.
    virtual FluidPhase* pureEndFluid() { return nullptr; }
    // A root of a pure fluid's isotherm given in closed form: its volume
    // (m3/mol) and the logarithm of its fugacity coefficient at the pressure
    // asked for (the roots' Gibbs energies differ by R T times the
    // difference of the latter).
    struct ClosedFormRoot {
        double V = 0.0, lnPhi = 0.0;
    };
    // A cubic's stable roots of its one component in closed form (FluidPhaseStableState.cpp).
    virtual int closedFormRoots(double T_, double P_bar, ClosedFormRoot roots[2]);
    // The same for a mixture of the mole fractions x (ClosedFormMixture.h).
    virtual int closedFormMixtureRoots(double T_, double P_bar, const double* x_, ClosedFormRoot roots[2],
                                       double* lnPhi = nullptr, bool sameT = false);
    // Its pressure (Pa) at T (K), V (m3/mol) and x in closed form; NaN where none.
    virtual double closedFormMixturePressure(double T_, double V_, const double* x_);
    // A term of a = A/(RT) and its derivatives in T (K) and V (m3/mol).
    struct TermInClosedForm {
        double a = 0.0, aT = 0.0, aTT = 0.0, aV = 0.0, aVV = 0.0, aTV = 0.0;
    };
    // A pure fluid's residual terms at T and V in closed form, in the order of
    // its terms: their number, 0 where it has none (FluidPhaseStableState.cpp).
    virtual int closedFormResidualTerms(double T_, double V_, TermInClosedForm terms[2]);
    // A mixture's residual terms at T, V and its composition in closed form,
    // written into the terms: false where none (FluidPhaseClosedFormMixture.cpp).
    virtual bool closedFormMixtureTerms(double T_, double V_, bool sameT = false);
    // Whether the stable state of a pure fluid takes its shortcuts: the
    // closed-form roots where the model gives them, the saturation state by
    // the approach to the critical point close below it, the saturation
    // state kept for its temperature (else each state solves what it needs,
    // as for any model).
    bool usePureFluidShortcuts = true;
    // Saturation pressure (Pa) and saturated liquid and vapour volumes at T_
    // of a pure fluid, for the choice of its stable phase; false where the
    // model has none.  Whatever the evaluation changes in the model (its
    // start volumes, the last saturation volumes, its phase kind and state)
    // is put back.  The default is the model's saturation solve; a model with
    // an evaluation as exact and cheaper may override it.
    virtual bool saturationForStablePhase(double T_, double& psat_Pa, double& Vl, double& Vv);
    // The state the model is in at (T, P) (a root found by the volume search
    // of a given phase kind) set against the other root: its phase and
    // whether it is metastable.  The model is left in that state.
    StableState assessStateAtTP(double T_, double P_bar);
    // The phase of the root V among the roots r: liquid, vapour, supercritical fluid.
    int namePhase(const PhaseRoots& r, double V_, double P_bar);
    // The phase of the one root V_ of an isotherm at P_bar and the model's
    // temperature: by its volume below the model's own critical temperature,
    // else supercritical at or above its critical pressure, vapour below
    // (the critical-point search's start and the pressure there stand in for
    // a model whose critical point is not found).
    int singleRootPhase(double V_, double P_bar);
    static const char* phaseName(int phase);
    void setStateFromTPV(double T_, double P_bar, double V_);
    // The same from closedFormResidualTerms; false, nothing set, where none.
    bool setStateFromClosedFormTerms(double T_, double P_bar, double V_);
    // The same for a mixture from closedFormMixtureTerms; false where none.
    bool setStateFromClosedFormMixture(double T_, double P_bar, double V_, bool sameT = false);
    // True at a critical point, where (dP/dV)T vanishes and cp, the expansivity and the compressibility diverge.
    bool compressibilityDiverges() const;
    // The state (T, P, V, Z) is finite, with a positive volume.
    bool stateIsFinite() const;
    // The Gibbs energy that ranks the roots at one T, P and composition,
    // R T sum x_i ln phi_i (J/mol; the ideal gas, the same for every root, is
    // left out, for it may lack its data), taken to the pressure P_Pa asked
    // for when it is given (above 0); NaN when the fugacities fail.
    double rootGibbsEnergy(double P_Pa = 0.0);

    // ---- fugacities and state functions
    virtual void calculate_fugacities();
    // A, U, H, S, G, Cv, Cp, the sound speed, the Joule-Thomson coefficient and
    // the first and second derivatives of A, P, Z and V: the terms evaluated to
    // the second order.
    virtual void calculate_state_functions();
    // While one lives, the parts of the terms free of the volume keep what
    // the first evaluation computed (FluidPhaseProperties.cpp).
    class SameTemperature {
    public:
        explicit SameTemperature(FluidPhase& p, bool on = true);
        ~SameTemperature();
        SameTemperature(const SameTemperature&) = delete;
        SameTemperature& operator=(const SameTemperature&) = delete;

    private:
        FluidPhase& phase_;
        bool on_;
    };
    // Ends the terms' hold if the temperature or the composition has changed since it was taken.
    void keepHoldValid() { if (heldT_ == heldT_ && (T != heldT_ || x != heldX_)) releaseHeldTerms(); }
    // d3AdV3, d3AdTdV2 and d3AdT2dV: every term evaluated to the third order
    // with its high-order stage.
    void calculate_third_order_state_derivatives();
    // Marks as not given (NaN) the state functions a model cannot give: A, U,
    // H, G, S, the heat capacities, the sound speed, the Joule-Thomson
    // coefficient and the temperature derivatives of A; with `derivatives`
    // the pressure derivatives too.  The state (T, V, P, Z) is left alone.
    void withholdStateFunctions(bool derivatives);
    // A state not found (a refused search of V from T and P): V, Z, the state functions, the
    // fugacities and their derivatives are NaN, never a state before's; T, P and x are kept.
    void withholdState();
    // A refused call from two of T, P and V: nothing of the state but those
    // two arguments and the composition is given (the third NaN too).
    enum class StateArguments { TP, TV, VP };
    void withholdStateOfCall(StateArguments given);
    // The fugacities, their coefficients, Lambda and every derivative of
    // theirs NaN (a state whose fugacities fail, such as a liquid under
    // tension, Z < 0).
    void withholdFugacities();
    // The state functions, then the fugacities, at the state the model is
    // in after the search (or the setting) of a call from `given`: a state
    // the terms refuse, or whose fugacities fail, leaves nothing but the
    // arguments (withholdStateOfCall), errorflag set.
    void completeStateOfCall(StateArguments given);
    // The sentence of a state whose fugacities fail (once in a call): the
    // component whose coefficient is no number, with its ln phi where that is one.
    void sayFugacitiesFail();
    void calculate_expansivity_derivative();
    virtual void calculateParachor(double, double) { parachor = 0.0; }
    virtual void calculateSigma(double V1, double V2);
    int getMajorComponentIndex() const;
    void dump();
    // The ideal entropy of mixing -R sum x_i ln x_i (J/(mol K)), which S, A
    // and G leave out (their ideal part is the sum of the components' ideal
    // gases at the mixture's T and V); 0 for a pure fluid.
    double idealMixingEntropy() const;
    // Where state functions are shown and the ideal-gas part has no data
    // for a component present: says why they are shown as "--", once for
    // each reason.
    void sayWithheldStateFunctions();
    std::string withheldStateFunctionsSaid;
    void check_expansivity_parameters();
    void check_fugacities();

    // ---- critical point
    // A model that is not made of terms gives these derivatives itself.
    virtual void calculate_critical_parameters_of_pure_fluid();
    // The binary set to the fourth order (and the third-order one); a model
    // without terms (a closed-form cubic) gives them itself.
    virtual void calculate_critical_parameters();
    virtual void calculate_third_order_critical_parameters();
    void check_critical_parameters();
    void equationForCalculatingCriticalPoint1(double* xv, double* G, double** J, int& err, int order, void*);
    // The critical point (A_VV = 0, A_VVV = 0) from the current T and V; errorflag where none (FluidPhaseCritical.cpp).
    void search_the_critical_point_of_the_pure_component();
    // The model's own start of the critical-point search, the phase left at it (FluidPhaseCritical.cpp).
    bool estimateTheCriticalPoint(double& Tc, double& Vc);
    // The estimate by the scan of isotherms itself, whatever the model keeps.
    bool scanForTheCriticalPoint(double& Tc, double& Vc);
    // The scan's estimate (Tc K, Vc m3/mol) for the model's composition,
    // kept with the model's data (one pure end of a mixture model with its
    // published parameters, say, computed once and checked by a test that
    // scans again); false where the model keeps none.
    virtual bool keptCriticalEstimate(double& Tc, double& Vc) {
        (void)Tc, (void)Vc;
        return false;
    }
    // The co-volume of the model's first term (m3/mol), 0 when it has none.
    virtual double coVolume();
    // The critical point searched from the model's stored start
    // (critical_T, critical_V) as above; false, errorflag set, when none.
    bool findTheCriticalPoint();
    virtual void calculateTheCriticalPoint(char mode, const char* suffix);
    virtual void calculate_the_pseudo_critical_point(double& Tpc, double& Ppc, double& Vpc) { Tpc = Ppc = Vpc = 0.0; }
    void equationForCalculating_Spinodal(double T_, double& f, double& dfdT);
    double equationForG3xFromV(double V_, void*);

    // ---- hooks of the mixture models (empty here)
    virtual void correct_BIP(double) {}
    virtual void calculate_corrected_BIP(double) {}
    // Start values (Vl0, Vv0, x_liquid, x_vapour) of a binary flash at T (K)
    // and P (bar); the base traces the bubble curve of the isotherm
    // (FluidPhaseBinaryIsotherm.cpp).
    virtual void initializeFlash2(double T_, double P_bar);
    virtual void initializeBubblePoint2(double, double) {}
    // The mixture models that trace these curves override them; here they
    // compute nothing and say so (a failure of the command that asked).
    virtual void calculateTheTernaryDiagram(double, double, const char*) { reportNoCurve("ternary diagram"); }
    virtual void calculateTheCriticalCurve(const char*) { reportNoCurve("critical curve"); }
    virtual void calculateTheIsopleth2(const char*, double, double, double) { reportNoCurve("binary isopleth"); }
    virtual void calculateTheIsopleth3(const char*, double, double, double, double) {
        reportNoCurve("ternary isopleth");
    }
    virtual void calculateTheLiquidLiquidIsopleth3(const char*, double, double, double, double) {
        reportNoCurve("liquid-liquid isopleth");
    }
    virtual int doCommandEx(int /*argc*/, char* const* /*argv*/) { return 0; }
    // Whether `word` is one of the model's own command words (those
    // doCommandEx runs), asked without running it.
    virtual bool takesCommandWord(const char* /*word*/) const { return false; }
    void reportNoCurve(const char* what) const;

    // ---- the stability of a binary (FluidPhaseConsole.cpp)
    // Whether a binary of the phase's composition splits into two phases at T (K) and P (bar) (FluidPhaseConsole.cpp).
    bool binarySplitsAt(double T_, double P_bar, bool* tested = nullptr, double* trial = nullptr);
    // The same test against a given tangent plane: ln f0 and ln f1 (Pa) of
    // the state tested (a critical point at its own volume, say); true where
    // a trial phase at T and P lies below it.  The composition is put back.
    bool binarySplitsAgainst(double T_, double P_bar, const double (&lnfRef)[2], double* trial = nullptr);
    // The two phases of a binary's split at T (K) and P (bar) from a trial
    // phase w1 below its tangent plane (FluidPhaseConsole.cpp); index 0 the
    // denser phase.
    struct BinaryTieLine {
        bool found = false;
        double x1[2] = {0.0, 0.0};  // component 1's fraction in each phase
        double V[2] = {0.0, 0.0};   // molar volumes, m3/mol
        double lighter = 0.0;       // the lighter phase's share of the moles
    };
    BinaryTieLine binaryTieLineAt(double T_, double P_bar, double w1);
    // One search of it from the trial w1; `below` takes a trial phase below
    // the tangent plane of a tie line found (NaN where none is).
    BinaryTieLine binaryTieLineFrom(double T_, double P_bar, double w1, double& below);

    // ---- range of validity (T in K, P in bar): the states the model holds
    // in, declared by the model beside its coefficients (ModelRange).
    ValidityRange validity;
    // The range of each component alone, for a mixture model whose range
    // is where all its components hold (empty: the mixture's range holds at
    // its pure ends too).
    std::vector<ValidityRange> componentValidity;
    // The fluids' published data the program building the model hands it
    // (said beside its states, PhaseRules::fluidAt); none by default.
    PhaseLookups lookups;
    // Interaction parameters that could not be traced to their source: at
    // (T, P) of the model's composition, says by how much they change the
    // stable state's density from the plain combining rule; false with a
    // message (errorflag set) where the model cannot give the state with
    // them, true elsewhere and for a model without such parameters.
    // admitUntracedInteraction(true) lets the model evaluate its mixtures
    // with them (they are refused otherwise), for a state the rule has
    // judged.
    virtual bool untracedInteractionHolds(double /*T_*/, double /*P_bar*/) { return true; }
    virtual void admitUntracedInteraction(bool admit) { (void)admit; }
    // A mixing rule whose temperature derivatives diverge at the model's
    // temperature and composition (Duan, Moller & Weare's cube roots of the
    // components' virial coefficients, where one passes through zero): true,
    // with the reason, where its heat capacities, sound speed and
    // Joule-Thomson coefficient are not the fluid's.  None by default.
    virtual bool mixingRuleDiverges(std::string& /*why*/) { return false; }
    // The model of the short name `name`, owned by the caller, or null.  The
    // models live above the fluid framework, so the layer that knows them
    // installs the factory here; without one every name gives null.
    using EOSFactory = FluidPhase* (*)(const char* name);
    static inline EOSFactory eosFactory = nullptr;
    static FluidPhase* getEOS(const char* name) { return eosFactory && name ? eosFactory(name) : nullptr; }

    // ---- data
    short calculated = 0;
    int nInteractions = 0;
    std::vector<Interaction*> interactions;  // owned
    Interaction* ideal = nullptr;            // owned; null when the model has none
    char systemCode = 0;
    double Z = 0, A = 0, U = 0, H = 0, S = 0, G = 0, Cv = 0, Cp = 0;
    std::vector<double> rcp;  // Lambda_i = ln V - 1 + sum of the terms' rcp_i; ln phi_i = Lambda_i - ln Z
    std::vector<double> dfugcoefdT, dfugcoefdP, dfugcoefdV;
    std::vector<std::vector<double>> dfugcoefdx;
    std::vector<double> drcpdT, drcpdV, drcpdP;
    std::vector<std::vector<double>> drcpdx;
    double Vl0 = 0.0;  // liquid-volume estimate
    double Vv0 = 0.0;  // vapour-volume estimate (phase kind 5 and the vapour retry)
    double dZdV = 0, dZdP = 0, dPdT = 0, dPdV = 0, dZdT = 0, dVdT = 0;
    double dHdTv = 0, dHdVt = 0, dSdTv = 0, dSdVt = 0;
    std::vector<double> dVdx, dZdx, dPdx;
    double d2ZdT2 = 0, d2ZdTdV = 0, d2ZdV2 = 0, d2PdT2 = 0, d2PdV2 = 0, d2PdTdV = 0, d2VdT2 = 0;
    double dAdV = 0, d2AdV2 = 0, d3AdV3 = 0, dAdT = 0, d2AdT2 = 0, d2AdTdV = 0, d3AdTdV2 = 0, d3AdT2dV = 0;
    double jouleThomson = 0, soundSpeed = 0;
    NewtonRaphson* volumeSolver = nullptr;  // owned
    Newton* criticalSolver = nullptr;       // owned
    char withVenturi = 0;
    double sigma = 0, parachor = 0;
    double critical_T = 0, critical_V = 0;  // start of the pure-fluid critical-point search
    // The lowest temperature (K) from which the model's isotherms, the pure
    // fluid's, are mechanically stable (dP/dV < 0) from the dilute gas to
    // pressures far beyond its range, as a scan of them shows: a root there
    // at a pressure in its range is the isotherm's only one, on both
    // branches without a walk.  0: none shown (isotherms above 1.1
    // critical_T count as such in every model).
    double oneRootFromT = 0;
    double Tmin = 80.0;
    // Highest temperature (K) of a mixture critical point the model describes:
    // the critical-curve tracer ends before a point above it (none by default).
    double criticalCurveTmax = std::numeric_limits<double>::infinity();
    double Vc_bound = -1.0;
    // The temperature (K) of the last point the saturation curve traced down
    // from the critical point wrote (NaN when none): where it ended.
    double lastSaturationRowT = std::numeric_limits<double>::quiet_NaN();
    double T_spinodal_start = 0.0;

    // Helmholtz derivatives of the phase (J/mol; T, V and x = x_1 of a binary).
    double dAdx = 0;
    double d2AdVdx = 0, d2Adx2 = 0, d2AdTdx = 0;
    double d3AdV2dx = 0, d3AdVdx2 = 0, d3Adx3 = 0, d3AdTdVdx = 0, d3AdTdx2 = 0;
    double d4AdV4 = 0, d4AdV3dx = 0, d4AdV2dx2 = 0, d4AdVdx3 = 0, d4Adx4 = 0, d4AdTdV3 = 0, d4AdTdV2dx = 0,
           d4AdTdVdx2 = 0, d4AdTdx3 = 0, d4AdT2dVdx = 0, d4AdT2dV2 = 0, d4AdT2dx2 = 0;

    // Iterations of the last molar-volume search (all retries included).
    int volumeIterations = 0;

    // ================================================================
    // Pure-fluid saturation, the saturation curve and the spinodals
    // (FluidPhaseSaturation.cpp, FluidPhaseSaturationCurve.cpp,
    // FluidPhaseSpinodal.cpp).  Liquid and vapour are two evaluations of the
    // same model at two molar volumes; the systems are solved by
    // criticalSolver.  A failure sets errorflag.

    // Liquid-vapour equilibrium systems (x, G, J, err, order, data).
    void equationForCalculatingPsatFromVlVv(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForCalculatingTsatFromVlVv(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForLiquidTh(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForGasTh(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForLiquidSaturationFromS(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForGasSaturationFromS(double* xv, double* G, double** J, int& err, int order, void*);
    // Saturation pressure at the current T from Vl0, Vv0 (or first from the
    // model's own saturation start, when it has one and neither a shift nor a
    // capillary term changes the system).
    void calculate_saturation_pressure();
    // Newton steps from a close pair Vl_sat, Vv_sat of the saturation-
    // pressure system until the steps stop shrinking: the pair to rounding;
    // true when a step fell below 1e-9 (relative), that is, it converged.
    bool polishSaturationVolumes();
    // Liquid and vapour volumes closer to the model's own saturated ones at T
    // than the start Vl0, Vv0 (the auxiliary equations published with a
    // reference equation, where Vl0, Vv0 come from rougher fits), from which
    // the saturation pressure converges in fewer steps; false when the model
    // has none.  A cubic's pure fluid takes its closed-form roots: the
    // pressure at which they have equal fugacities (closedFormSaturation).
    virtual bool ownSaturationStart(double T_, double& Vl, double& Vv) { return closedFormSaturation(T_, Vl, Vv); }
    // The saturated volumes of a pure fluid whose roots come in closed form
    // (closedFormRoots) at the pressure of their equal fugacities; false for
    // any other model or where none is found near the start.
    bool closedFormSaturation(double T_, double& Vl, double& Vv);
    // The data file of piecewise Chebyshev expansions of the model's own
    // saturation curve (written by the program saturation_fit), nullptr for
    // a model without one.
    virtual const char* saturationExpansionFile() const { return nullptr; }
    // The expansions, read at the first call; nullptr when the model has none
    // or its file cannot be read.
    const SaturationExpansion* saturationExpansion();
    // psat (Pa) and the saturated volumes at T_ from the expansions, no search (FluidPhaseSaturation.cpp).
    bool saturationFromExpansion(double T_, double& P_Pa, double& Vl, double& Vv);
    // Whether the saturation searches start from the expansions (switched off
    // while they are fitted, and to check them against the search).
    bool useSaturationExpansion = true;
    // Saturation temperature at P (Pa) from T0, Vl0, Vv0.
    void calculate_saturation_temperature(double P_Pa, double T0);
    // Homogenisation temperature of a liquid of molar volume V (start: T, Vv0).
    void calculateLiquidTh(double V_);
    // Homogenisation temperature of a vapour of molar volume V (start: T, Vl0).
    void calculateGasTh(double V_);
    // Saturated liquid / vapour of molar entropy S (start: T, Vl0, Vv0).
    void calculateLiquidSaturationFromEntropy(double S_);
    void calculateGasSaturationFromEntropy(double S_);
    // dVl/dT and dVv/dT along the saturation curve at T, Vl_sat, Vv_sat; 0 on
    // success, nonzero (slopes 0) when a side or the linear system fails.
    int next_saturation_point(double& dVl, double& dVv);
    virtual void initializeSaturationVolumesFromT(const char* name, double T_);
    virtual void initializeSaturationVolumesFromP(const char* name, double P_bar);
    // Vl0, Vv0 from the published fit of the component `name`; false for a
    // name without a fit or a temperature where the fit gives no density.
    bool saturationVolumesFromFit(const char* name, double T_);
    // Whether Vl0 and Vv0 can start a saturation search: finite and above the
    // model's co-volume (so positive).
    bool saturationStartUsable();
    // The model's own estimates of Vl0 and Vv0 at T_ (the phase is left at
    // T_), from the loop of its isotherm; false when it has none to offer.
    bool estimateSaturationVolumes(double T_);
    // Replaces start values that cannot be used by the model's own estimates
    // at T_ (the saturation drivers call it before their search).
    void useUsableSaturationStart(double T_);
    // The saturation state at T_ into Vl_sat, Vv_sat, Pl_sat, Pv_sat (FluidPhaseSaturation.cpp).
    bool saturationStateAt(double T_);
    // Console entries; calculateTheSaturationPressure returns errorflag and,
    // with `report`, says in the log where no saturation state was found (a
    // caller that only probes for one, and carries on without, passes false).
    short calculateTheSaturationPressure(double T_, bool report = true);
    void calculateTheDensityFromTh(double Th);
    // Tie lines: rows into an open file, or a whole file "cono"/"conop" + suffix.
    void calculateConodeFromT(double T_, std::FILE* file);
    void calculateConodeFromP(double P_bar, double T0, std::FILE* file);
    void calculateTheConodeFromT(double T_, char mode, const char* suffix);
    void calculateTheConodeFromP(double P_bar, double T0, char mode, const char* suffix);

    // Saturation curve (28 columns) and the two-phase iso-lines (14 columns).
    // start: 0 upward from (T0, Vl_start, Vv_start) closed by the critical
    // point, 1 downward, 2 downward from the critical point.
    void calculate_saturation_curve(const char* path, short start, double T0, double dT, double Vl_start,
                                    double Vv_start, double Tlow, char mode, const char* suffix,
                                    std::vector<double>* array);
    void calculateIsoBiphasic(int flag, double value, short start, double T0, double dT, double Vl_start,
                              double Vv_start, double Tlow, char mode, const char* suffix);
    // The saturation curve (file "satu" + suffix) and the two spinodals from
    // the critical point down to ModelRange::lowestReportedCurveTemperature; refused,
    // with no file, when the critical point lies outside the model's range.
    void calculateTheSaturationCurve(const char* suffix, char mode);
    void calculateTheSaturationCurveFromT(double T_, const char* suffix);
    // Lowest temperature of the saturation and spinodal curves that the
    // console commands trace: Tmin, and never below the triple point of the
    // major component where that is known.
    double lowestCurveTemperature() const;
    // A model with a term (or an ideal part) that refused its component count
    // has no state: errorflag is set and the refusal reported, once per state.
    bool termRefusesState();
    // Whether a term refuses every state at T (K) and the model's
    // composition, whatever the volume (Interaction::fixedStageRefusesState,
    // or a term that refused its component count, said): the cost of one
    // stage per term, where the search of the isotherm's roots would meet
    // the refusal at every volume it tries.
    bool termsRefuseEveryVolume(double T_);
    // errorflag set and `message` logged, unless this state (T, V, P) is the
    // one last refused, so that a search repeating a state adds no message.
    void refuseState(const char* message);

    // Spinodals: one-variable equations (value and derivative) ...
    void equationForCalculatingSpinodal0(double V_, double& f, double& dfdV);
    void equationForCalculatingSpinodal1(double T_, double& f, double& dfdT);
    void equationForCalculatingMechanicalSpinodal(double V_, double& f, double& dfdV);
    void equationForCalculatingLiquidSpinodalFromV(double V_, double& f, double& dfdV);
    // ... the systems in (T, V) at given P or S ...
    void equationForSpinodalPoint(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForSpinodalPointFixedS(double* xv, double* G, double** J, int& err, int order, void*);
    // ... their drivers ...
    void calculateSpinodalPoint(double T_, double V0);
    void calculateSpinodalPoint1(double V_, double T0);
    void calculateMechanicalSpinodalPoint(double T_, double V0);
    void calculateLiquidSpinodalPointInMixtureIterateV(double T_, double V0, double x1);
    void calculateSpinodalPoint2(double P_bar, double V0, double T0);
    void calculateSpinodalPointFixedS(double S_, double V0, double T0);
    // ... and the curves (side 0 liquid branch, 1 vapour branch).
    void calculateSpinodalCurve(const char* path, double T0, double V0, char side, double Tlow, char mode,
                                const char* suffix, std::vector<double>* array);
    void calculateTheSpinodals(const char* suffixL, const char* suffixV);
    void calculateIsothermalMechanicalSpinodal(double T_, double V0, const char* suffix);

    short major_component = 0;      // component whose fugacity is matched
    double Vl_sat = 0, Vv_sat = 0;  // liquid and vapour molar volumes of the last evaluation
    double P_target = 0;            // Pa, saturation-temperature system
    double S_target = 0;            // J/mol/K, entropy systems
    double T_shift = 0;             // K added to one side (0 = none)
    unsigned char T_shift_on_vapour = 0;  // saturation-pressure system: 0 liquid side, else vapour side
    double P_shift = 0;             // Pa, pressure offset between the phases
    int capillary_mode = 0;         // 0 none, 2 on the vapour pressure, other nonzero on the liquid pressure
    double capillary_radius = 0;    // m
    double Pl_sat = 0, Pv_sat = 0;  // Pa, both sides of the last saturation-pressure evaluation
    double Hvap = 0;                // J/mol, of the last calculateTheSaturationPressure
    // ================================================================

    // ================================================================
    // Iso-lines, property surfaces, characteristic curves, isentropes,
    // isenthalps, decompression, diagrams and model checks
    // (FluidPhaseIsolines.cpp, FluidPhaseCharacteristic.cpp,
    // FluidPhaseIsentropes.cpp, FluidPhaseDiagrams.cpp).  T in K, V in
    // m3/mol; pressures in bar where an argument says P_bar, else Pa.  Rows
    // go through the output modes of CurveOutput (mode 6 into `out`).

    // Isotherms over V (direction 0 from Vmin up, 1 from Vmax down; the walk
    // ends where P stops being monotonic), 13 columns V P A H U S G Cv Cp dPdV
    // Hm Um rho.  The row writer takes an open file (modes 1, 2) or `out`.
    void calculate_isotherm(std::FILE* f, double T_, double Vmin, double Vmax, int n, int direction, char mode,
                            std::vector<double>* out);
    void calculateTheIsotherm(double T_, double Vmin, double Vmax, int direction, char mode, const char* suffix,
                              std::vector<double>* out);
    // Isochores over T (geometric steps, n + 1 points): full rows of 13
    // columns T P A H U S G Cv Cp dPdV V Um Hm (stable states only), or the
    // simplified rows T P.  "isoc" + suffix, and in mode 2 the script "g105.gp".
    // The sentences said of the temperatures not written are kept in `notes`
    // (where given) for the file's notes.
    void calculate_isochor(std::FILE* f, double V_, double Tmin, double Tmax, int n, char mode,
                           std::vector<double>* out, std::vector<std::string>* notes = nullptr);
    void calculate_simplified_isochor(std::FILE* f, double V_, double Tmin, double Tmax, int n, char mode,
                                      std::vector<double>* out);
    void calculateTheIsochor(double V_, double Tmin, double Tmax, int simplified, char mode, const char* suffix,
                             std::vector<double>* out);
    // The row limits of the interpreter's isotherms and isochores
    // (CurveRowLimits.h); by default every state is written.
    using CurveRowLimits = ::CurveRowLimits;
    CurveRowLimits curveRowLimits;
    // Plain P-T isochores ("pt" + suffix) and P-V isotherms ("pvt" + suffix +
    // ".txt"), and their families drawn by gnuplot ("g6.gp", "g5.gp").
    void calculate_PT_isochor(double V_, double Tmin, double Tmax, int n, char mode, const char* suffix);
    void calculate_PV_isotherm(double T_, double Vmin, double Vmax, int n, char mode, const char* suffix);
    void build_PT_isochor_diagram(const double* volumes, int count, double Tmin, double Tmax, int n, char mode,
                                  const char* suffix);
    void build_PV_isotherm_diagram(const double* temperatures, int count, double Vmin, double Vmax, int n,
                                   char mode, const char* suffix);
    // Contour maps over T (arithmetic) and V (geometric): "psurf.txt" with
    // "g8.gp", and "parsurf.txt" with "g52.gp" for the property `property`.
    void calculate_P_surface(const double* levels, int nlevels, double Tmin, double Tmax, double Vmin, double Vmax,
                             int nT, int nV);
    void calculate_iso_surface(const double* levels, int nlevels, double Tmin, double Tmax, double Vmin,
                               double Vmax, int nT, int nV, ThermoCalcFlag property);
    // Isobar at P (bar) traced in the T-V plane from (T0, V0) by temperature
    // steps dT or volume steps dV, whichever the slope dV/dT favours; "isob" +
    // suffix or `out` (13 columns).
    void calculate_TV_isobar(double P_bar, double T0, double V0, double Tmin, double Tmax, double Vmin,
                             double Vmax, double dT, double dV, char stopAtInstability, char mode, const char* suffix,
                             std::vector<double>* out);

    // Characteristic curves: the volume at T where the Joule-Thomson
    // coefficient, dZ/dV (Boyle), Z - 1 (ideal) or dZ/dT (Joule) vanishes,
    // searched by secant from V0; errorflag 1 when the search fails.
    double equationForJouleThomsonInversionTemperature(double V_, void*);
    double equationForBoylePoint(double V_, void*);
    double equationForIdealPoint(double V_, void*);
    double equationForJoulePoint(double V_, void*);
    void calculateJouleThomsonInversionTemperature(double T_, double V0);
    void calculateBoylePoint(double T_, double V0);
    void calculateIdealPoint(double T_, double V0);
    void calculateJoulePoint(double T_, double V0);
    // Curves over T from (T0, V0) in steps dT inside [Tmin, Tmax]: rows T,
    // V cm3/mol, P bar into `path` (mode 1 Igor text, any other the "# " text).
    void calculateJouleThomsonInversionCurve(const char* path, double T0, double V0, double dT, double Tmin,
                                             double Tmax, char mode, const char* suffix);
    void calculateBoyleCurve(const char* path, double T0, double V0, double dT, double Tmin, double Tmax,
                             char mode, const char* suffix);
    void calculateIdealCurve(const char* path, double T0, double V0, double dT, double Tmin, double Tmax,
                             char mode, const char* suffix);
    void calculateJouleCurve(const char* path, double T0, double V0, double dT, double Tmin, double Tmax,
                             char mode, const char* suffix);

    // Isentropic and isenthalpic states: at fixed T (secant in V) or at fixed
    // P (Newton in T, V); errorflag 1 on failure, the state left at the last
    // evaluation.
    double equationForIsentropic(double V_, void*);
    double equationForIsenthalpic(double V_, void*);
    double equationForBubbleNucleus(double V_, void*);
    // data: Pf (Pa), V0, U0, c (J/(mol K)), T0.
    double equationForIrreversibleDecompression(double T_, void* data);
    // data: Ul1, Uv1.
    double equationForSallaSpinodal(double T_, void* data);
    void equationForCalculatingTVFromPS(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForCalculatingTVFromPH(double* xv, double* G, double** J, int& err, int order, void*);
    void calculate_isentropic_point_at_fixed_T(double T_, double S_, double V0);
    void calculate_isenthalpic_point_at_fixed_T(double T_, double H_, double V0);
    void calculate_isentropic_point_at_fixed_P(double P_bar, double S_, double T0, double V0);
    void calculate_isenthalpic_point_at_fixed_P(double P_bar, double H_, double T0, double V0);
    // Temperature at which the liquid-kind state at Pf (Pa) satisfies
    // U - U0 = -Pf (V - V0) - c (T - T0) from the state (T0, V0).
    void calculate_irreversible_decompression_point_at_fixed_p(double T0, double V0, double Pf, double c,
                                                               double Tstart);
    // Vapour-like volume whose molar Gibbs energy equals that of the liquid
    // (T, Vl); the state (and P) is left there.
    void searchBubbleNucleusPressure(double T_, double Vl, double Vstart);
    void calculateTheSallaSpinodalTemperature();
    void calculateFromTS(double T_, double S_, char print);
    // Isentrope (isenthalp) of entropy S (enthalpy H) from T0 in steps dT,
    // switching to pressure steps where it is steep; "isos" ("isoh") + suffix
    // or `out`, 13 columns T V P A H U S G Cv Cp Um Hm rho.  Pmin, Pmax in Pa.
    void calculateTheIsentropicCurve(double S_, double T0, double dT, double Tlow, double Thigh, double Pmin,
                                     double Pmax, char mode, const char* suffix, std::vector<double>* out);
    void calculateTheIsenthalpicCurve(double H_, double T0, double dT, double Tlow, double Thigh, double Pmin,
                                      double Pmax, char mode, const char* suffix, std::vector<double>* out);
    // The same through the state (T0, V0), or (T0, P0_bar) when V0 <= 0.
    void calculateTheIsentropicCurve(double T0, double P0_bar, double V0, double dT, double Tlow, double Thigh,
                                     double Pmin, double Pmax, char mode, const char* suffix,
                                     std::vector<double>* out);
    void calculateTheIsenthalpicCurve(double T0, double P0_bar, double V0, double dT, double Tlow, double Thigh,
                                      double Pmin, double Pmax, char mode, const char* suffix,
                                      std::vector<double>* out);
    // Saturation curves "emuls<i>" with the capillary pressure of each radius
    // (m; > 0 on the liquid, < 0 on the vapour, 0 none) and the script "g58.gp".
    void plot_emulsion_stability_curves(const double* radii, int n, double T0, double dT, double V0, double Tlow,
                                        double parachor_);
    double H_target = 0;  // J/mol, isenthalpic searches
    double G_target = 0;  // J/mol, bubble-nucleus search

    // Enthalpy diagrams from a saturation file ("# " text of the saturation
    // tracer), a points file and the isotherm / isobar files "isot%.0f",
    // "isob%.0f" (100 x T or P): "g61.gp" (H-P), "g63.gp" (H-S), "g62.gp" (T-H).
    void draw_enthalpic_diagram_HP(const char* satFile, const char* pointsFile, char perMass,
                                   const double* temperatures, int n);
    void draw_enthalpic_diagram_HS(const char* satFile, const char* pointsFile, char perMass,
                                   const double* temperatures, int nT, const double* pressures, int nP);
    void draw_enthalpic_diagram_HT(const char* satFile, const char* pointsFile, char perMass,
                                   const double* pressures, int n);
    // Igor file "prop" + suffix: T P V rho Cv Cp alpha beta dalpha over T (5 K
    // steps) and V (adaptive), "nan" rows between unstable runs.
    void calculatePropertiesGrid(double Tmin, double Tmax, double Vmin, double Vmax, const char* suffix);
    // Second virial coefficient from Z at 100.1 and 100 m3/mol, the third
    // from Z at 1/10, 1/9 and 1/8 m3/mol.
    void plotVirialCoefficients(double Tmin, double Tmax, char mode, const char* suffix);
    void calculateVirialCoefficients(double T_);
    double virialB0 = 0, virialB = 0, virialC = 0;  // m3/mol, m3/mol, m6/mol2 of the last estimate
    // "inf" + suffix: Z and A/RT + ln V + Z - 1 at volume V from Tstart to Tend.
    void checkInfiniteVolumes(double V_, double Tstart, double Tend, char mode, const char* suffix);
    // Cp as the derivative of H at (T, P_bar) against the analytic Cp (J/(kg K)).
    void checkCpAt(double T_, double P_bar);
    double checkedCpNumeric = 0, checkedCpAnalytic = 0;  // J/(kg K), of the last checkCpAt
    // "par" + suffix: one node of a term (-1 the ideal part) and its
    // derivative in `variable` (0 T, 1 V, k >= 2 x_(k-2)) over [from, to].
    void plotParameterVariation(int term, const char* nodeName, int variable, double from, double to, double step,
                                const char* suffix);
    // A liquid whose Gibbs energy lies 17000 J/mol above that of the vapour
    // at (T, 1 + dP_bar).
    void calculateDisequilibratedLiquid(double T_, double dP_bar);
    void equationForDisequilibratedLiquid(double* xv, double* G, double** J, int& err, int order, void* data);
    // ================================================================

    // ================================================================
    // Binary mixtures on one model (FluidPhaseMixtureCritical.cpp,
    // FluidPhaseCriticalCurve.cpp, FluidPhaseBubbleDew.cpp,
    // FluidPhaseBinaryIsotherm.cpp).  x1 is the mole fraction of component 1.
    // A failure sets errorflag; the systems report a failed evaluation
    // through err.  Component counts other than 2 are refused.

    // Critical point: A_VV A_xx - A_xV^2 = 0 and the third derivative of A
    // along the null direction (1, -A_xV/A_VV) = 0 (Heidemann and Khalil 1980,
    // in the Helmholtz energy of T, V and x1).
    void equationForCalculatingCriticalPoint2TV(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForCalculatingCriticalPoint2xV(double* xv, double* G, double** J, int& err, int order, void*);
    // From the current state: T and V at fixed x1 (flag 0) or x1 and V at fixed T (flag 1).
    void search_a_critical_point(CriticalPointFlag flag);
    // The vapour-liquid critical point of the binary at mole fraction x1 of
    // component 1 from the pseudo-critical point (Tpc, Vpc); the others found
    // in `others` (FluidPhaseMixtureCritical.cpp).
    struct MixtureCriticalPoint {
        double T, V, P;  // K, m3/mol, Pa
    };
    bool searchTheMixtureCriticalPoint(double x1, double Tpc, double Vpc,
                                       std::vector<MixtureCriticalPoint>* others = nullptr);
    // The other stable critical points of the mixture that the last
    // calculateTheCriticalPoint named (highest first; none for a pure fluid).
    std::vector<MixtureCriticalPoint> otherMixtureCriticalPoints;
    // dT/dx1 and dV/dx1 along the critical curve at the point just found.
    void next_critical_point(double& dTdx, double& dVdx);
    // Critical point at the current T in V alone (start Vc_last).
    void search_a_critical_point1();
    // Fourth derivative of A along the critical direction with the volume
    // relaxed at the last critical point searched (negative: unstable).
    double stabilityTerm() const { return critical_stability; }

    // Critical curve from a pure component or the caller's state; one row of
    // 16 values per point (P bar, V cm3/mol, T, x0, x1, u, h, s, a, g, um, hm,
    // stabi, rho, dTdx, dvdx).  Pmax in Pa (<= 0: none).
    void calculate_the_critical_curve(const char* path, CriticalCurveFlag flag, short stopIfUnstable, double dT,
                                      double dx, double dx0, double Pmax, char mode, const char* suffix,
                                      std::vector<double>* array);
    // Every branch of the critical curve that starts at a pure component's
    // critical point, in one output, the branches parted by a row of NaN:
    // from the component of the higher critical temperature (its start
    // (Tstart[k], Vstart[k]) for component k), and where that branch does not
    // close at the other component's critical point (a broken curve, type
    // III), from the other one to its critical end point.
    void traceTheCriticalCurveBranches(const char* path, const double (&Tstart)[2], const double (&Vstart)[2],
                                       char mode, const char* suffix, std::vector<double>* array);

    // Two-phase equilibrium of a binary: the model as liquid (kind 2) at Vl
    // and x, and as vapour (kind 1) at Vv and y; equal fugacities and equal
    // (or given) pressures, with the offset P_shift between the phases.
    void equationForBubblePoint(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForDewPoint(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForDewPointFromGivenP(double* xv, double* G, double** J, int& err, int order, void* data);
    void equationForFlash(double* xv, double* G, double** J, int& err, int order, void*);
    // Drivers: T in K, P in Pa, volumes in m3/mol; the arguments not fixed are
    // start values.  Results in Vl0, Vv0, x_liquid, x_vapour (and T, P).
    void calculate_bubble_point(double T_, double Vl, double Vv, double xl, double yv);
    void calculate_dew_point(double T_, double Vl, double Vv, double xl, double yv);
    void calculate_dew_point_for_given_P(double P_Pa, double T_, double Vl, double Vv, double xl, double yv);
    void calculate_flash_point(double T_, double P_Pa, double Vl, double Vv, double xl, double yv);
    // Slope of the bubble curve at fixed T with respect to the liquid x1 at
    // the stored point: dVl/dx, dVv/dx, dy/dx, dP/dx (Pa).
    void next_bubble_point(double& dVl, double& dVv, double& dy, double& dP);

    // Pressure-composition isotherm (19 columns).  start nonzero: from a
    // bubble point at x, else from a flash at the model's P.
    void calculate_an_isotherm_of_the_binary_system(const char* path, short start, double dx, double dP_bar,
                                                    double Pmax_bar, double T_, double Vl, double Vv, double xl,
                                                    double yv, char mode, const char* suffix,
                                                    std::vector<double>* array = nullptr);
    // "bino" + suffix from pure component 0; "binop" + suffix from a flash at P (bar).
    void calculateTheBinaryIsotherm(double T_, const char* suffix);
    void calculateTheBinaryIsothermFromP(double T_, double P_bar, const char* suffix);

    double critical_stability = 0;      // stability term of the last critical-point search
    double Vc_last = 0;                 // m3/mol, last critical (or tricritical) volume
    std::vector<double> x_liquid;       // liquid composition of the two-phase operations
    std::vector<double> x_vapour;       // vapour composition of the two-phase operations
    double P_flash = 0;                 // Pa, fixed pressure of the flash
    // ================================================================

    // ================================================================
    // Further phase equilibria of a binary (or ternary) mixture on one model
    // (FluidPhaseIsopleth.cpp, FluidPhaseMixtureSpinodal.cpp,
    // FluidPhaseAzeotrope.cpp, FluidPhaseThreePhase.cpp,
    // FluidPhaseMulticomponentFlash.cpp, FluidPhaseTricritical.cpp,
    // FluidPhaseDoublePoint.cpp).  Same conventions as the block above.

    // Isopleth: type 2 the bubble branch (x fixed), 1 the dew branch (y
    // fixed), traced in T (dT, K) with pressure steps (dP, Pa) where the dew
    // branch is steep; up to Pmax (Pa).  File "isop" + suffix (modes 1, 2) or
    // the array (mode 6): T, P bar, x0, x1, y0, y1, Vl, Vv (m3/mol).
    void calculate_an_isopleth(double T_, double Vl, double Vv, double xl, double yv, double Pmax, double dT,
                               double dP, int type, char mode, const char* suffix, std::vector<double>* array);
    // Temperature slopes of the bubble (x fixed) or dew (y fixed) curve at the
    // stored point; mode 0 only.
    void next_bubble_point_for_isopleth(double& dVl, double& dVv, double& dy, double& dPdT, int mode);
    void next_dew_point_for_isopleth(double& dVl, double& dVv, double& dx, double& dPdT, int mode);

    // Diffusion spinodal A_VV A_xx - A_xV^2 = 0: residuals in V (fixed T, x)
    // and in x1 (fixed T, V), the points, and the equal-fugacity partners.
    void equationForCalculatingSpinodalFromV(double V_, double& f, double& df);
    void equationForCalculatingSpinodalFromX(double x1, double& f, double& df);
    void calculateSpinodalPointInMixtureIterateV(double T_, double V_, double x1);
    void calculateSpinodalPointInMixtureIterateX(double T_, double V_, double x1);
    void equationForLiquidEquilibriumPoint(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForGasEquilibriumPoint(double* xv, double* G, double** J, int& err, int order, void*);
    void calculate_liquid_equilibrium_point(double T_, double Vo, double xo, double f0, double f1, double xs,
                                            double Vs);
    void calculate_gas_equilibrium_point(double T_, double Vo, double xo, double f0, double f1, double xs,
                                         double Vs);
    // "spinox" + suffix: side 1 walks in V (liquid partners), 0 in x1 (gas partners).
    void calculateIsothermalSpinodalCurveInMixture(const char* suffix, double T_, double V_, double x1, char side,
                                                  char fromCritical);
    // "spinot" + suffix: the spinodal at the model's composition along T.
    void calculateSpinodalCurveInMixture(double T_, double V_, char c, double Tend, double dT, char mode,
                                         const char* suffix, char fromCritical);
    // "gibbs" + suffix: V, G, excess quantities, activities across x1 at T, P (bar).
    void calculateGibbsTransect2(double T_, double P_bar, const char* suffix);
    void calculateTheSpinodals2(double T_, double V_, double x1, const char* suffix1, const char* suffix2);
    double f_target[2] = {0, 0};         // Pa, fugacities of the equal-fugacity searches
    std::vector<double> activity_coefficients;  // of the last transect point

    // Azeotrope at T: unknowns (Vl, Vv, x1), equal ln phi_i and pressures.
    void equationForAzeotrope(double* xv, double* G, double** J, int& err, int order, void*);
    void calculate_azeotropic_point(double T_, double Vl, double Vv, double x1);
    void next_azeotropic_point(double& dVl, double& dVv, double& dx);
    // Plain rows T, P bar, x0, x1, Vl cm3/mol.
    void calculate_the_azeotropic_curve(const char* path, double dT, double T_, double Vl, double Vv, double x1);
    // Residual map of the pure-fluid critical system around (critical_T, critical_V).
    void mapTheCriticalField();
    // Fit of two model parameters to measured critical points (path: T Pr x1 Vest stdP stdx).
    void testModelParametersForCriticalCurve(double* X, double* par, double& Y, double& Z, double* extra,
                                             short& err);
    void fit_the_critical_curve(const char* path, double p0, double p1);

    // Liquid-liquid-gas equilibrium: unknowns (Vp, Vl, Vv, xp, xl, xv).
    void equationForLLG(double* xv, double* G, double** J, int& err, int order, void*);
    // The point solved from the start given, kept in (Vp0, Vl0, Vv0, x_liquid2,
    // x_liquid, x_vapour) and P; false (errorflag set) where it fails.  tol
    // bounds the solver's row-scaled residual: beside a critical end point,
    // where two of the phases all but meet, a start 1e-4 off in x lies within
    // 1e-9 of it.
    bool solve_LLG_point(double T_, double Vl, double Vp, double Vv, double xl, double xp, double xv,
                         double tol = 1e-9);
    void calculate_LLG_point(double T_, double Vl, double Vp, double Vv, double xl, double xp, double xv);
    void next_LLG_point(double& dVp, double& dVl, double& dVv, double& dxp, double& dxl, double& dxv);
    void calculate_the_LLG_curve(const char* path, double dT, double T_, double Vl, double Vp, double Vv, double xl,
                                 double xp, double xv);
    // Critical endpoint: a critical phase and a vapour; unknowns (Vv, xv, T).
    void equationForEndPoint(double* xv, double* G, double** J, int& err, int order, void*);
    void calculate_critical_endpoint1(double T_, double Vl, double Vv, double xl, double xv);
    void search_a_double_critical_endpoint(int index, double p, double T_, double Vl, double Vv, double xl,
                                           double xv);
    double Vp0 = 0;                  // m3/mol, second-liquid volume
    std::vector<double> x_liquid2;   // second-liquid composition
    double critical_T_stored = 0;    // K, temperature of the last critical endpoint

    // n-component flash with the feed on the tie line, and bubble point.
    void equationForFlashX(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForBubblePointX(double* xv, double* G, double** J, int& err, int order, void*);
    void calculate_flash_pointX(double T_, double P_Pa, double Vl, double Vv, const double* xl, const double* yv,
                                const double* z);
    void calculate_bubble_pointX(double T_, double Vl, double Vv, const double* xl, const double* yv);
    // "ter" + suffix: tie lines of a ternary as the feed moves at fixed z1 : z2.
    void calculateTernary(double T_, double P_Pa, double z1, double z2, double dz, const char* suffix, double Vl,
                          double Vv, const double* xl, const double* yv);
    std::vector<double> x_feed;      // feed composition of the flash

    // Tricritical points, mathematical double points and critical-pressure-
    // step points, found by adjusting model parameters (set_model_parameter).
    void calculate_residual_critical_parameters();
    void calculate_second_order_critical_parameters();
    void calculate_tricritical_parameters(double& g2r, double& g3r, double& g4r, double& g5r, double& g2i,
                                          double& g3i, double& g4i, double& g5i);
    void calculate_tricritical_parameters(double& g2r, double& g3r, double& g4r, double& g5r, double& g6r,
                                          double& g2i, double& g3i, double& g4i, double& g5i, double& g6i,
                                          double& Pr, double& AVV);
    void check_tricritical_parameters();
    void search_G4_point(double T_, double V_, double x1, double p, int i);
    double equationForG4x(double p, void*);
    double equationForG5xFromX(double x1, void*);
    void search_the_tricritical_point(int i, double p, CriticalCurveFlag flag);
    void calculate_the_tricritical_curve(const char* path, int i1, int i2, double p1, double p2, double dp2);
    double equationForG5xFromPar(double p2, void*);
    void calculate_the_tricritical_curve1(const char* path, int i1, int i2, double p1, double p2, double dx);
    void test_stability_of_the_tricritical_curve(const char* inPath, const char* outPath, int i1, int i2);
    double equationForG2x(double p, void*);
    double equationForG3x(double T_, void*);
    double equationForMDP2(double V_, void*);
    double equationForMDP1(double x1, void*);
    void search_a_mathematical_double_point(int i, double p);
    void calculate_the_MDP_curve(const char* path, int i1, int i2, double p1, double p2, double dp2);
    double equationForGxxT(double p, void*);
    double equationForCPSP(double y, void*);
    void search_a_critical_pressure_step_point(int i, double p, CriticalPointFlag mode);
    void calculate_the_CPSP_curve(const char* path, int i1, int i2, double p1, double p2, double dp2);
    // The stored special point: T*, V*, x1*, parameter indices and values.
    double tri_T = 0, tri_V = 0, tri_x = 0;
    int tri_i1 = 0, tri_i2 = 0;
    double tri_p1 = 0, tri_p1_start = 0, tri_p2 = 0;
    int cpsp_mode = 1;  // 1: CPSP search in x1 at fixed T; 0: in T at fixed x1
    // ================================================================

private:
    // The temperature and composition of the SameTemperature hold on (NaN: none).
    double heldT_ = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> heldX_;
    void releaseHeldTerms();
    // calculate_fugacities after its checks (N = 1: one component).
    template <int N>
    void fugacitiesFromTerms(bool termsAnswered = false);
    void fugacitiesFromSums();
    void pureFugacitiesFromSums(double e, double rT, double rV);
    bool pureFugacitiesFromState();
    static constexpr std::size_t kMaxPassTerms = 8;
    void pureFugacitiesFromPasses(const Interaction::PassDerivatives* passes, std::size_t terms,
                                  const Interaction::PassDerivatives& id, bool termsHeld);
    void stateFunctionsFromSums(const TermInClosedForm& sums, bool idealGas);
    // P, Z and the fugacity coefficients taken to the pressure asked for (setStateFromTPV).
    void takeStateToPressure(double P_bar);
    // The saturation expansions once read (saturationExpansion()).
    std::shared_ptr<const SaturationExpansion> satExpansion_;
    bool satExpansionRead_ = false;
    // Their last answer, at T (the searches at one temperature ask again).
    struct ExpansionAnswer {
        double T = std::numeric_limits<double>::quiet_NaN(), P = 0.0, Vl = 0.0, Vv = 0.0;
        bool found = false;
    } lastExpansion_;
    // The Newton search of the critical point from (T0, V0) and the check of
    // its answer; false when it finds none.
    bool criticalPointFrom(double T0, double V0, bool traced = true);
    // Whether the isotherm at T has no mechanically unstable stretch from
    // the nearly ideal gas to the compressed fluid (walked as the volume
    // searches walk their branches).
    bool isothermStableThroughout(double T_, double Vc);
    // The model's own critical point from its stored start, kept (as
    // modelCriticalPoint keeps it); false when it has none.
    bool keptModelCriticalPoint();
    void bindVolumeEquation();
    void bindTemperatureEquation();
    double solveVolumeFrom(double start);
    void beginVolumeSearch();
    bool volumeSearchFrom(double start);
    // Set by calculateFromTP around its search, whose state functions follow.
    bool stateFollowsSearch_ = false;
    // calculateMolarVolumeFrom(start) for a root whose state functions are
    // evaluated next: its terms are not evaluated once more at the end of
    // the search.
    void rootBeforeItsState(double start);

public:
    bool stateFollowsSearch() const { return stateFollowsSearch_; }
    // Z, dZ/dV, dP/dV and dZ/dP from the terms' last evaluations at V (a
    // volume search's closing evaluation).
    void takeTermsAtVolume();
    // The Newton search alone: a point where both conditions hold on their
    // scales, above the co-volume, with a positive pressure; the phase is
    // left in it.
    bool criticalConditionsFrom(double T0, double V0, bool traced);
    // The model's own critical point (K, Pa; its volume, m3/mol, in Vc if
    // given), searched from its start and kept as keptCritical_ keeps it.
    bool modelCriticalPoint(double& Tc, double& Pc, double* Vc = nullptr);
    bool belowCoVolume();

private:
    // The branch of the isotherm on which a root found from a start may lie.
    enum class RootBranch : char { Any, LiquidOrVapour, Liquid, Vapour };
    bool volumeStateFrom(double start, double liquid, RootBranch branch);
    // A start of the volume search of the phase kind (1 or 2) at the T and
    // P the model holds, from an explicit formulation of the fluid close to
    // the model (water's IAPWS-IF97 for IAPWS-95); NaN where it has none.
    virtual double explicitVolumeStart() { return std::numeric_limits<double>::quiet_NaN(); }
    // The vapour's start below the saturation pressure of a pure fluid's
    // expansions (vapourOnChord at its T and P; NaN where there is none).
    double vapourStartBelowSaturation();
    // The vapour at T and P (Pa, at most psat) with Z on the chord from the
    // ideal gas to the saturated vapour (psat, Vv): a second virial
    // coefficient's law.
    static double vapourOnChord(double T_, double P_Pa, double psat, double Vv);
    // The root of an isotherm that has one (oneRootShown), of either
    // kind, at T and P; false where none is found.
    bool oneRootOfTheIsotherm();
    // The volume of the virial equation truncated after its second
    // coefficient at the model's T and P, R T / P + B(T), no smaller than
    // Vfloor (NaN where the model gives no B).
    double secondVirialVolume(double Vfloor);
    bool onBranch(RootBranch branch, double liquid);
    // Whether the isotherm at T has one root at the pressure P asked for:
    // above 1.1 critical_T, or from oneRootFromT up in the plain pure fluid
    // within the pressure range of the model.
    bool isothermHasOneRoot() const;
    // The second: from oneRootFromT up.
    bool oneRootShown() const;
    bool rootOnABranch(double T_, double P_bar, double V_);
    // Whether a volume search whose kind's branch has no root takes the other branch's (FluidPhaseState.cpp).
    bool otherBranchAnswers();
    // Walks along the isotherm at the current T (FluidPhaseState.cpp): one
    // sample at u = ln V, with f = P(V) - P and g = V dP/dV.
    struct BranchSample {
        enum State : char { kStable, kUnstable, kFailed };
        double u = 0.0, f = 0.0, g = 0.0;
        State state = kFailed;
    };
    enum class WalkEnd : char { Reached, Crossed, Unstable, Failed, NoVerdict };
    BranchSample branchSample(double u);
    // Whether two stable samples are joined by a stretch resolved as
    // monotone (slopes within a factor of two, and the Hermite cubic through
    // them keeping at least half the shallower slope).
    static bool resolvedStretch(const BranchSample& a, const BranchSample& b);
    // Whether the isotherm is stable between two stable samples: a stretch
    // not resolved is halved until it is.
    bool stableStretch(const BranchSample& a, const BranchSample& b, int depth);
    // Walks from the stable sample a towards uEnd along stable stretches (FluidPhaseState.cpp).
    WalkEnd walkIsotherm(BranchSample& a, double direction, double uEnd, bool untilCrossing, BranchSample& b,
                         double fStop = std::numeric_limits<double>::infinity(), double uStop = 0.0,
                         bool subcritical = false);
    // Whether the model is a pure fluid below 0.98 times the critical
    // temperature of its fluid's published vapour-pressure equation (H2O,
    // CO2, CH4, N2): its isotherm's branches are the fluid's two phases, and
    // walks along them are subcritical.
    bool subcriticalPureFluid() const;
    // Whether the isotherm is stable from Vfound to the end of the vapour
    // branch (the nearly ideal gas) or of the liquid branch (the smallest
    // volume: the model's end, or ten times the pressure at a volume below
    // the liquid start `liquid`).
    bool stableToBranchEnd(bool vapour, double Vfound, double liquid);
    bool walkToBranchEnd(bool vapour, double Vfound, double liquid);  // (the walk itself)
    // A stretch walked stable to the vapour branch's end (FluidPhaseState.cpp, stretchHolds).
    struct StableStretch {
        double T = std::numeric_limits<double>::quiet_NaN();
        std::vector<double> x;
        unsigned long revision = 0;
        bool criticalSet = false;
        double uLow = 0.0, uHigh = 0.0;
    };
    bool stretchHolds(const StableStretch& s) const;
    StableStretch vapourStretch_;
    int walkSamples_ = 0;  // samples of the current walk, bounded by the walk
    IsothermWalks* isothermWalks_ = nullptr;  // through one search of every root (fluid/IsothermWalks.h)
    bool walkOnCriticalSet_ = false;  // samples from calculate_critical_parameters_of_pure_fluid
    // A volume of the nearly ideal gas at the current T, at least ten times
    // the ideal-gas volume at P; 0 when none is found.
    double nearlyIdealGasVolume();
    // A volume of the liquid branch at the current T, at or below `liquid`
    // (the isotherm stable from it to the dense end, stableToBranchEnd),
    // from which the isotherm falls; 0 when none is found.
    double denseStableVolume(double liquid);
    // The root of the branch walked from its far end (the dilute gas for
    // the vapour, denseStableVolume for the liquid) until the pressure
    // crosses the one asked for or the isotherm turns unstable; the phase
    // is left at the root, false when the branch has none.
    bool branchRootByWalk(RootBranch branch, double liquid);
    // Whether the branch of the kind (vapour or liquid) of a pure fluid near
    // its critical temperature, on the side of psat where it is metastable,
    // ends at its spinodal short of the pressure asked for: true only where
    // that is shown (false where a root may lie on it, or nothing is shown).
    bool branchEndsShortOfPressure(bool vapour);
    // The start of the liquid-like search of a pure fluid compressed to
    // twice its saturation pressure or more within 2 % below its critical
    // temperature (NaN elsewhere).
    double compressedLiquidStartNearCritical();
    // The root between volumes Va and Vb where P(V) is monotone, fa = P(Va)
    // - P, by bisection; the state left at it and accepted.
    bool rootInMonotoneBracket(double Va, double fa, double Vb);
    // P(v) - P and its volume derivative at the model's T, the state left
    // at v; false where the model gives none (the error flag cleared).
    bool residualAt(double v, double& f, double& dfdV);
    // Kept between calls of the stable state from (T, P) (FluidPhaseKeptState.h).
    KeptCriticalPoint keptCritical_;
    TrialRootCount lastTrialRootCount_;
    KeptSaturation keptSaturation_;
    // psat and the saturated volumes close below the critical temperature (FluidPhaseStableState.cpp).
    bool saturationApproachingCritical(double T_, double& psat_Pa, double& Vl, double& Vv, double reach);
    // The saturation state at T_ (Pv_sat, Vl_sat, Vv_sat) solved from the
    // saturated volumes of the approach to the critical point, within 2e-2
    // below it; false elsewhere or where that search fails.
    bool saturationFromCriticalApproach(double T_);
    // Whether P (Pa) lies beyond the loop just below the critical temperature (FluidPhaseStableState.cpp).
    bool beyondCriticalLoop(double T_, double P_Pa);
    bool saturationByExpansion(double T_, double& psat_Pa, double& Vl, double& Vv);
    // Between the top of the saturation expansions and the model's own
    // critical temperature: psat and the saturated volumes from the top of
    // the expansions and the critical point (false elsewhere).
    bool saturationNearCritical(double T_, double& psat_Pa, double& Vl, double& Vv);
    // Either of the two: the saturation state of the plain fluid from its
    // expansions, up to its own critical temperature.
    bool saturationOfThePlainFluid(double T_, double& psat_Pa, double& Vl, double& Vv);
    // The root of the liquid or the vapour side of psat at (T_, P_bar) (FluidPhaseStableState.cpp).
    bool rootFromSaturatedVolume(double T_, double P_bar, bool liquid, double Vl, double Vv, double psat,
                                 bool nearSaturation);
    bool sideRoot(double T_, double P_bar, bool liquid, double Vl, double Vv, double psat, bool nearSaturation);
    // The root of the liquid or the vapour side beyond its saturated volume
    // bracketed from it outwards and bisected, the model left in it; false
    // when there is none.
    bool sideRootInBracket(double T_, double P_bar, bool liquid, double Vl, double Vv);
    // The root above the model's critical temperature and pressure from a
    // start of the second virial coefficient, the model left in it; false
    // when that search does not end in a root.
    bool denseRootAboveCritical(double T_, double P_bar);
    bool stableStateBelowCritical(double T_, double P_bar, bool withOtherRoot, double psat, double Vl, double Vv,
                                  StableState& s);
    bool stableStateAboveCritical(double T_, double P_bar, double Pc, StableState& s);
    // The stable state from the model's closed-form roots (closedFormRoots);
    // false where it gives none.
    bool stableStateFromClosedForm(double T_, double P_bar, bool withOtherRoot, StableState& s);
    bool metastableRoot(double T_, double P_bar, double start, bool vapour, double Vl, double Vv, double& V_);
    // The walk of metastableRoot along the branch from the saturated volume
    // a: true where it crosses the pressure asked for, between a and b.
    bool crossingOnBranch(double T_, double P_bar, bool vapour, double& a, double& b);
    // (`offBranch`, where given, takes the mechanically stable roots the two branches do not join.)
    void keepPressureRoot(std::vector<PhaseRoot>& found, double T_, double P_bar, double V_, double G_,
                          std::vector<PhaseRoot>* offBranch = nullptr);
    void scanPressureRoots(double T_, double P_bar, int steps, std::vector<PhaseRoot>& found,
                           std::vector<PhaseRoot>* offBranch = nullptr);
    StableState stableStateFromRoots(PhaseRoots r, double T_, double P_bar);
    bool stableStateAtPureEnd(double T_, double P_bar, bool withOtherRoot, StableState& s);
    // The roots r with the nearly ideal gas at R T / P where the searches
    // missed it below a root of higher Gibbs energy; false (r as it was)
    // where that vapour is not found (FluidPhaseStableState.cpp).
    bool withDiluteGasRoot(double T_, double P_bar, PhaseRoots& r);
    void refreshVolumeDerivatives();
    void acceptVolumeFromPressure();
    double temperatureFromIsochore();
    void clearCriticalFields();
    void addCriticalSet(const Interaction* t, int order, bool withComposition);
    void addMixingTerms(bool fourth);
};
