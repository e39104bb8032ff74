#pragma once
// What a fluid model's state may be said to be: the rules the command
// interpreter holds a model's states against, read from the model alone (its
// declared range, its components and composition) and from the published
// data of the fluids it describes (solid lines, reference densities, Henry
// constants, sublimation curves, solubilities).  The rules compute nothing
// on the model; the searches they ask for (a stable state, a stability test,
// the model's own critical points) are StateReport's.  T in K, P in bar.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "fluid/FluidPhase.h"
#include "fluid/ValidityRange.h"

class PhaseRules {
public:
    // The rules of `model` with the published data of `lookups` (by default
    // those the program that built the model handed it).
    explicit PhaseRules(const FluidPhase& model) : PhaseRules(model, model.lookups) {}
    PhaseRules(const FluidPhase& model, const PhaseLookups& lookups) : m_(model), lookups_(lookups) {}

    const PhaseLookups& lookups() const { return lookups_; }

    // ---- the fluid whose rules a composition follows
    // The component whose phase rules (range ends, vapour-only limit, split
    // band, vapour pressure, solids) a state of the model's composition
    // follows: the single component of a pure model, the component present
    // alone in a mixture at a pure end, or the solvent of a dilute binary
    // (the other component at most kDiluteFraction, where Raoult's law holds
    // for the solvent within the phase tolerance and Henry's law for the
    // solute within the uncertainty given to its constant); null for any
    // other mixture.
    static constexpr double kDiluteFraction = 0.02;
    // A solute's share xs counts as dilute up to kDiluteFraction, the
    // rounding of a share computed as 1 - x included (1 - 0.98 is
    // 0.020000000000000018).
    static bool isDiluteShare(double xs) { return xs <= kDiluteFraction * (1.0 + 1e-9); }
    // A component at most this share of a mixture freezes none of it out
    // (effectiveRange): its mixture holds from the major component's triple
    // point.
    static constexpr double kTraceFraction = 1e-3;
    const char* phaseRuleFluid() const;
    // The name of the single component, null for a mixture.
    const char* pureFluidName() const;
    // The component of the larger share of a binary; of equal shares, the
    // same whichever is named first (the one of the higher critical
    // temperature, else the first by name).
    int binaryMajorComponent() const;
    // The vapour-only limit (K) of a binary's solvent alone
    // (componentValidity); 0 where none is declared.
    double solventVapourOnlyBelow() const;
    // The solvent's range describes its liquid's volume below that limit
    // (ValidityRange::liquidVolume): a pure fluid's, a dilute solution's
    // and, with both components present, the solvent alone's.
    bool solventLiquidVolume() const;
    // Other components at most this share are traces: a solid's verdict is
    // worded as the pure fluid's.  Their share lowers the freezing point by
    // x R Tt^2 / (fusion enthalpy), 1e-4 K at 1e-6 (water).
    static constexpr double kPureTraceFraction = 1e-6;
    // True for a pure model and for a mixture with one component present.
    bool atPureComposition() const;
    // Both components of a binary present: the solvent (the larger share),
    // the solute and its share.
    bool binaryShares(int& solvent, int& solute, double& xs) const;
    // A binary of two fluids with saturation ancillaries, both present, at
    // any composition: its solvent (the larger share), its solute and the
    // solute's mole fraction.  Its phase is judged from the solvent's vapour
    // pressure and the solute's Henry constant (dilutePhaseAt) wherever the
    // solvent is below its critical temperature.
    bool binarySolvent(int& solvent, int& solute, double& xs) const;
    // The fluid whose vapour pressure and saturated volumes name a state's
    // phase: phaseRuleFluid(), else the solvent of binarySolvent(); null for
    // any other mixture.
    const char* solventFluid() const;
    // The pressure (bar) up to which a binary of fluids is one phase at
    // every composition above the higher of its components' critical
    // temperatures, 0 for none (the critical curve of CO2-CH4, CO2-N2 and
    // CH4-N2 runs between the two critical points; that of H2O-CO2 falls
    // from water's critical point to 539 K near 2.4 kbar, Todheide & Franck
    // 1963; that of H2O-CH4 falls from it to a temperature minimum near
    // 626 K and comes back above water's critical temperature only at
    // kilobar pressures, Welsch 1973, so up to 1 kbar, the pressures of
    // Duan, Moller & Weare's mixtures): a split the model finds there is its own.
    double onePhaseAboveCriticalTemperaturesBelow() const;
    // T (K) at or above both components' critical temperatures, and P (bar)
    // below onePhaseAboveCriticalTemperaturesBelow().
    bool aboveCriticalTemperatures(double T_) const;
    bool oneFluidAt(double T_, double P_bar) const;

    // ---- ranges
    // The lowest temperature at which no component present above a trace
    // freezes out of the mixture (mixtureFreezingTemperature; at a pure end
    // the triple point); 0 for a model whose range does not end at its
    // components' triple points.
    double freezeOutTemperature() const;
    // A mixture of which two components are present, in a model held from
    // its components' triple points, with the solids' sublimation lines at
    // hand: below a component's triple point its vapour, or its liquid,
    // stays one fluid until that component's fugacity reaches its solid's,
    // which the solid test judges at each state (StateReport::frostPointAt),
    // vapour and liquid alike; neither the triple points nor the solvent's
    // own solid lines at the mixture's pressure bound its printed states
    // nor those of its curves and critical points (stateRange).
    // A pure fluid of such a model (or a mixture at a pure end) is judged so
    // too, as the limit of its mixtures, where its solid has a sublimation
    // line.
    bool solidsJudgedByFugacity() const;
    // The states of the model's composition whose phase the solid test
    // judges (StateReport::frostPointAt): a mixture of which two components
    // are present, in any model with the solids' sublimation lines at hand,
    // and a pure fluid whose solids are judged by fugacity.
    bool solidsProbedByFugacity() const;
    // Below the triple point of a fluid whose solids are judged by
    // fugacity (its solvent at any share: solventSolid), above its solid's
    // sublimation pressure beyond the frost tolerance: the fluid is solid
    // (StateReport::frostPointAt says so), and which of its metastable fluid
    // phases the model's root is decides nothing.
    bool solidBeyondSublimation(double T_, double P_bar) const;
    // The solid of the solvent (the component of more than half the
    // moles, or a pure fluid) at T (K) and P (bar) by the published lines,
    // whatever the model's own supercooled liquid: within its solid field
    // (below the melting line), a vapour-like fluid holds the solvent at
    // its partial pressure against the sublimation pressure; a liquid (the
    // solvent's partial pressure above its liquid's, psub exp(dH_fus/R
    // (1/T - 1/Tm(P)))) holds it by Raoult's law at its share in the liquid
    // (liquidSoluteShare: a light gas's bounded by its published Henry
    // constant) against the published pure liquid, the ideal freezing-point
    // depression (Schroeder-van Laar): it deposits where x > exp(-(dH_fus/R)
    // (1/T - 1/Tm(P))), uncertain within 1 % of the depression.  Above the
    // triple point a mixture's liquid within the solid's field, beyond a
    // melting line rising from it (CO2's), is judged so too.  A pure fluid is
    // its limit.  False where no such solvent's solid is at hand.
    struct SolventSolid {
        int index = -1;
        double share = 1.0, psub = 0.0, fFluid = 0.0;  // mole fraction, Pa, Pa
        double T = 0.0;  // its freezing (frost) point at P, NaN where not found
        bool liquid = false, deposits = false, uncertain = false;
    };
    bool solventSolid(double T_, double P_bar, SolventSolid& s, bool seekTemperature = false) const;
    // The solute's mole fraction in the liquid of a binary's solvent at T (K)
    // and P (bar) whose own vapour pressure over it is solventPressure_bar:
    // its overall share `others`, at most its partial pressure over its
    // published Henry constant (a light gas: the rest stays in the vapour).
    double liquidSoluteShare(int solvent, double others, double T_, double P_bar, double solventPressure_bar) const;
    // The solid a printed state of the model's composition at T (K) and P
    // (bar) is refused as: solidAt, except where the solids are judged by
    // fugacity below the triple point of a mixture's major component (from
    // their sublimation lines, which end there; beyond the melting line the
    // solvent's lines still hold), and in a mixture whose solvent's solid
    // solventSolid judges (the state's frost test says so).
    SolidField solidOfPrintedState(double T_, double P_bar) const;
    // The range at the model's composition: where it says so
    // (fromTriplePoints), its Tmin raised to where a component present above
    // a trace (kTraceFraction) freezes out of the mixture
    // (mixtureFreezingTemperature; a pure fluid's triple point).
    ValidityRange effectiveRange() const;
    // The range a state, point or curve of the model's composition is held
    // against, by every command alike (a single state from T and P or T and
    // V, a curve's row, a critical point): a mixture's whose solids are
    // judged at each state (solidsJudgedMixture), the model's own range down
    // to its lower limit; otherwise a mixture's at a pure end or a dilute one's is
    // its major component's (componentValidity, else the range down to that
    // component's triple point) above the temperature where the other
    // freezes out, and any other mixture's effectiveRange(), its liquid
    // included.
    ValidityRange stateRange() const;
    // The range of a liquid of the model's composition that the solids bound
    // where the liquid's ideal solubility of each pure solid ends
    // (mixtureFreezingTemperature): stateRange() but for a mixture whose
    // solids are judged at each state, held above the temperature where a
    // component present above a trace freezes out.  The curves that follow
    // a liquid over its compositions end on it: a P-x isotherm's liquid,
    // a critical curve, a mixture's spinodals.
    ValidityRange freezingEdgeRange() const;
    // A mixture of which two components are present whose solids are
    // judged at each state (solidsJudgedByFugacity).
    bool solidsJudgedMixture() const;
    // The range a single state printed from T and P or T and V is held
    // against: stateRange(), except for a pure fluid whose solid is judged
    // at each state, printed down to the model's own lower limit (its
    // saturation curve and critical point keep to its triple point).
    ValidityRange printedStateRange() const;
    // The density accuracy of a binary's solvent in the model (its own
    // range's), else the model's.
    double solventDensityAccuracy() const;
    // The solid of phaseRuleFluid() at T (K) and P (bar) (the solid lookup),
    // none for a mixture or without a lookup.
    SolidField solidAt(double T_, double P_bar) const;
    // The model's range reaches below the triple point of phaseRuleFluid():
    // it describes the supercooled liquid there (IAPWS-95's water).
    bool describesSupercooledLiquid() const;
    // The lowest temperature of the curves the interpreter traces down from
    // the critical point (the saturation curve, the spinodals): the lower
    // end of freezingEdgeRange() (not below the major component's triple
    // point, nor below its vapour-only limit: a two-phase curve holds a
    // liquid); without a declared range the
    // tracers' own (lowestCurveTemperature).
    double lowestReportedCurveTemperature() const;
    // Why the curves end at that temperature, said in a message: "the triple
    // point of N2", "where CO2 freezes out of the mixture's liquid (...)",
    // "the lower end of the model's range, ...".
    std::string lowestCurveTemperatureReason(double Tlow) const;
    // The critical point the model is in (found by findTheCriticalPoint) is
    // one the interpreter reports (its critical point, saturation curve and
    // spinodals): false, said once, when its temperature or pressure lies
    // outside the range (the equation's own critical point far from the
    // states it was fitted to), or when a model of the vapour alone below
    // its fluid's critical temperature puts it above that.
    bool criticalPointInRange() const;
    // The interpreter's isotherms and isochores: false, said once, when T0
    // or T1 lies outside the range's temperatures.
    bool curveTemperaturesInRange(double T0, double T1, const char* what) const;

    // ---- the fluid's published data
    // A state's pressure may lie this far (relative) from the fluid's vapour
    // pressure on the wrong side before its phase counts as wrong: the
    // ancillary equations agree with their reference equations within 0.1
    // to 0.2 % (the older IUPAC equations of CO2 and CH4 within 0.4 %).  A
    // model whose own vapour pressure lies further off has its other phase
    // there, which the fluid does not have: it is withheld.
    static constexpr double kPhaseTolerance = 0.005;
    // A binary below the vapour-only limit of one of its components
    // (componentValidity), holding it as densely as that component's
    // liquid, or a pure fluid in the liquid whose volume alone its range
    // describes there (ValidityRange::liquidVolume): true, with the reason,
    // as the model's liquid heat capacities and fugacities are not the
    // fluid's.
    bool liquidOfVapourOnlyComponent(std::string& why) const;
    // Component i below the vapour-only limit of its own range
    // (componentValidity) held as densely as its liquid by the mixture at T
    // (K) and molar volume V (m3/mol): the model's liquid of it, whose
    // fugacity, like its heat capacities, is not the fluid's.
    // share: its mole fraction in a phase of that volume (the mixture's own
    // where not given).
    bool holdsAsLiquidOfVapourOnly(std::size_t i, double T_, double V_, double share = -1.0) const;

    // ---- the phase of a binary from published data
    // A dilute binary's dew and bubble pressures (StateReport::dilutePhaseAt),
    // and what they say of a state: one phase, the phase uncertain, a mixture
    // that splits into two phases, or a phase the mixture is not in.
    enum class DiluteVerdict { kOnePhase, kUncertain, kSplits, kWrong };
    struct DiluteSplit {
        bool known = false;    // below the solvent's critical temperature, with a vapour pressure
        double psat = 0.0;     // bar, the solvent's
        double dew = 0.0, bubble = 0.0;  // bar, at the central Henry constant
        double H = 0.0;        // bar
        bool published = false;          // H from the published Henry constants
        // The factors below and above H that the bounds take (the upper one
        // at the upper bubble bound; infinite where no bubble pressure bounds it).
        double henryLow = 1.0, henryHigh = 1.0;
        // bar: the dew pressure lies within [dewLow, dewHigh] and the bubble
        // pressure within [bubbleLow, bubbleHigh], the phase tolerance included.
        double dewLow = 0.0, dewHigh = 0.0, bubbleLow = 0.0, bubbleHigh = 0.0;
        DiluteVerdict judge(bool liquidState, double P_bar) const {
            if (!known) return DiluteVerdict::kOnePhase;
            // Wrong only where the mixture is the other phase alone: a
            // liquid below every dew pressure the bounds allow, a vapour
            // above every bubble pressure; near either the laws cannot tell
            // a split from the other phase (the model's own test decides).
            if (liquidState) {
                if (P_bar > bubbleHigh) return DiluteVerdict::kOnePhase;
                if (P_bar >= bubbleLow) return DiluteVerdict::kUncertain;
                if (P_bar > dewHigh) return DiluteVerdict::kSplits;
                return P_bar >= dewLow ? DiluteVerdict::kUncertain : DiluteVerdict::kWrong;
            }
            if (P_bar < dewLow) return DiluteVerdict::kOnePhase;
            if (P_bar <= dewHigh) return DiluteVerdict::kUncertain;
            if (P_bar < bubbleLow) return DiluteVerdict::kSplits;
            return P_bar <= bubbleHigh ? DiluteVerdict::kUncertain : DiluteVerdict::kWrong;
        }
    };
    // The dew and bubble pressures of a dilute binary are uncertain as the
    // solute's Henry constant H is, within a factor kHenryUncertainty.
    static constexpr double kHenryUncertainty = 2.0;
    // Above kDiluteFraction the solvent departs from Raoult's law and the
    // solute from Henry's: the factor grows in proportion to the solute's
    // share (continuous at kDiluteFraction), so that near x = 0.5 the dew and
    // bubble pressures bound the split only loosely.
    static double henryUncertaintyAt(double xs) {
        return kHenryUncertainty * std::max(1.0, xs / kDiluteFraction);
    }
    // A published Henry constant (IAPWS G7-04: Fernandez-Prini, Alvarez &
    // Harvey 2003) is far better known than within a factor 2: its equation
    // reproduces the solubility data it was fitted to within a few hundredths
    // in ln kH, taken here as kPublishedHenryDeviation.  What bounds the dew
    // and bubble pressures then are the terms Raoult's and Henry's laws with
    // an ideal vapour leave out, each bounded from the fluids' physics
    // (Krichevsky & Kasarnovsky 1935; Krichevsky & Ilinskaya 1945), ln of the
    // solute's fugacity over x H being
    //   (A/RT)(x_solvent^2 - 1)    its activity in the solvent, |A/RT| at most
    //                              kHenryActivityBound/2 for the light gases
    //                              in water (Carroll, Slupsky & Mather 1991:
    //                              CO2's activity coefficient near 1 to a few
    //                              per cent dissolved), so within
    //                              kHenryActivityBound (1 - x_solvent^2) / 2,
    //                              about kHenryActivityBound x when dilute;
    //   V2 (P - psat) / RT         the Poynting term of its partial molar
    //                              volume at infinite dilution, 32-37 cm3/mol
    //                              for CO2, CH4 and N2 in water near 298 K
    //                              (Moore, Gieskes & Wood 1982; Brelvi &
    //                              O'Connell 1972), rising with the solvent's
    //                              compressibility: bounded by twice the
    //                              solvent's saturated liquid volume;
    // and the vapour's fugacity coefficient, ln phi = B P / RT to the second
    // virial coefficient B of the solute (Tsonopoulos 1974), below 1 for
    // the light gases.  The last two only raise the bubble pressure: the
    // factor below H is exp(deviation + activity), the one above it that
    // times exp((V2 (P - psat) + |B| P) / RT) at the pressure P, and beyond
    // the dilute solution both grow with x as henryUncertaintyAt does.
    static constexpr double kPublishedHenryDeviation = 0.1;
    static constexpr double kHenryActivityBound = 5.0;
    static double publishedHenryUncertaintyAt(double xs) {
        const double activity = 0.5 * kHenryActivityBound * (1.0 - (1.0 - xs) * (1.0 - xs));
        return std::exp(kPublishedHenryDeviation + activity) * std::max(1.0, xs / kDiluteFraction);
    }
    // The dew and bubble pressures of a binary at T from the pure solvent's
    // vapour pressure psat (its ancillary equation) and the solute's Henry
    // constant H (bar, from `henry`: the published one, else the model's own
    // at infinite dilution, NaN where neither gives one; `published` set for
    // the first): Raoult's law for the solvent and Henry's for the solute
    // give the dew pressure psat / (1 - x + x psat / H) and the bubble
    // pressure (1 - x) psat + x H.  A published H is taken as uncertain
    // within publishedHenryUncertaintyAt and the terms the laws leave out
    // (the upper bubble bound the pressure where it is reached), the model's
    // own within henryUncertaintyAt; psat within the phase tolerance.  At x = 0 (a
    // pure fluid) both pressures are psat.  Not known at or above the
    // solvent's critical temperature, or without a vapour pressure.
    // The factors on the solute's Henry constant at T (psat in bar, the
    // solvent's) and the share xs: `low` below it, `high(P)` above it at the
    // pressure P (bar), for a published constant (`published`) with its
    // solute's second virial coefficient; henryUncertaintyAt both otherwise.
    struct HenryBand {
        double low;
        std::function<double(double)> high;
    };
    HenryBand henryBandAt(double T_, double psat_bar, double xs, bool published, int solute) const;
    // No upper bubble bound is sought beyond this pressure (bar).
    static constexpr double kNoBubbleBoundAbove = 1e5;
    using HenryConstant = std::function<double(int solvent, int solute, double psat_bar, bool& published)>;
    DiluteSplit diluteSplitFrom(double T_, const HenryConstant& henry) const;
    // What published data say of a binary's phase at T (K) and P (bar), its
    // dew and bubble pressures d and what they say of the state (verdict):
    // whether it splits (kSplits), is one phase (kOnePhase), or whether they
    // cannot tell (kUncertain), with the data named in `why`.  Raoult's and
    // Henry's laws (the dilute verdict) hold for a solute more volatile than
    // its solvent; a solute less volatile than its solvent (water in CO2)
    // condenses as its own liquid once its fugacity passes its pure
    // liquid's (heavyLiquidVerdict, `soluteFugacity` the model's), and its
    // published solubility in the solvent-rich fluid, within a factor
    // kSolubilityUncertainty, bounds that fluid; the two must agree where
    // both speak.  With the heavy component the solvent (below its bubble
    // pressure, beyond the dilute solution) the same test on its fugacity
    // (`solventFugacity`) decides the dew side, so either order agrees.
    // Below the triple point of a heavy solute its solid, or its
    // supercooled liquid holding the solvent at the solvent's published
    // Henry constant, bounds the solvent-rich fluid: where the solute's
    // fugacity in it (soluteFugacity, bar, the model's homogeneous fluid;
    // NaN if not known) lies by more than kFrostTolerance below the pure
    // solid's times (1 - P/H), and the solvent alone is one phase there
    // (solventAloneOnePhase), no phase rich in the solute forms.  In a gas
    // where the published estimate holds (publishedGasFugacity) that
    // fugacity is the estimate's, held below the lower of the solid's and
    // the supercooled liquid's (1 - P/H) times the pure liquid's by the
    // published lines; above the solid's melting line no bound is drawn.
    DiluteVerdict publishedBinaryVerdict(double T_, double P_bar, const DiluteSplit& d, DiluteVerdict verdict,
                                         std::string& why, double soluteFugacity = std::nan(""),
                                         double solventFugacity = std::nan("")) const;
    // The fugacity of a component may exceed its pure solid's by this much
    // (relative) before the solid is said to deposit, or must lie this far
    // below it before no solid is said to form: the sublimation equations
    // hold their data within about 1 %.
    static constexpr double kFrostTolerance = 0.01;
    // The pure solid's fugacity (Pa) of component `name` at T (K) and P (Pa)
    // from its sublimation pressure psub (Pa) and molar volume Vs (m3/mol):
    // that of the saturated vapour over it, psub phi(T, psub) (its gas's
    // second virial coefficient, ReferenceFluid::gasFugacityCoefficient; 1
    // for a component not in the table), raised by the Poynting factor
    // exp(Vs (P - psub)/(R T)) of the solid compressed from psub to P.
    static double solidFugacity(const char* name, double psub, double Vs, double T_, double P);
    // The fugacity (bar) of the solute i of a binary in a gas of its
    // solvent by the published estimate, the virial equation with the
    // second virial coefficients of Tsonopoulos's correlation and its cross
    // coefficient fitted to measured ones (crossSecondVirialCoefficient):
    // where the solvent alone is one phase (solventAloneOnePhase) below half
    // its critical density; NaN elsewhere, for the solvent, or for a pair
    // without a measured cross coefficient.
    double publishedGasFugacity(int i, double T_, double P_bar) const;
    // The temperature (K) at P (bar) where that fugacity meets the pure
    // solid's of component i on warming from T_ (where it exceeds it):
    // its frost point by the published estimate; inf where it still exceeds
    // it at the triple point, NaN where no estimate reaches it.
    double publishedGasFrostTemperature(int i, double T_, double P_bar) const;
    // The pure solid of `name` is stable against its liquid at T (K) and
    // P (bar): below its triple point, and below the triple-point pressure
    // or its published melting temperature at P.
    static bool solidBelowItsMeltingLine(const char* name, double T_, double P_bar);
    // The pure fluid `name` alone at T (K) and P (bar) is one phase: at or
    // above its critical temperature, below its sublimation pressure under
    // its triple point, else below its vapour pressure (its published
    // ancillary), the phase tolerance apart.
    bool solventAloneOnePhase(const char* name, double T_, double P_bar) const;
    // Whether the pure liquid of the binary's heavier component `heavy`
    // (share xh) condenses from the fluid rich in `light` at T (K) and P
    // (bar), between its triple and critical temperatures: its fugacity in
    // the fluid, `fugacity` (bar; the model's homogeneous fluid where it is
    // a gas's, else xh P within the virial term; only in a dilute gas, B
    // P/RT under 0.2, a denser fluid is not judged) against that of its
    // published pure liquid, psat
    // phi(psat) exp(Vl (P - psat)/RT) (the ancillary vapour pressure, the
    // gas's second virial coefficient, Tsonopoulos 1974, and the saturated
    // liquid's volume), lowered by the (1 - xh) P / H of `light` it
    // dissolves (its published Henry constant H).  The band is that of the
    // data: the vapour pressure within kPhaseTolerance, ln H within
    // kPublishedHenryDeviation.  kSplits above it, kOnePhase below it,
    // kUncertain within it or where the data are missing; `why` says which.
    DiluteVerdict heavyLiquidVerdict(const char* light, const char* heavy, double xh, double T_, double P_bar,
                                     double fugacity, std::string& why) const;
    static constexpr double kSolubilityUncertainty = 2.0;
    // The published solubility of a heavy solute alone: kSplits beyond
    // kSolubilityUncertainty times it, kOnePhase below its share over that
    // factor, kUncertain between or without one; `share` (if given) the
    // solubility, NaN without.
    DiluteVerdict publishedSolubility(double T_, double P_bar, double* share = nullptr) const;

    // For the rules of the model's split of a supercritical fluid: how a
    // mixture's state corresponds to its solvent's, and that it is refused
    // (or, not refused, how it departs).
    std::string correspondenceText(double T_, double P_bar, double Tcx, double Pcx_bar, double tScale,
                                   double pScale, bool refused = true) const;

private:
    // The component of largest mole fraction and the others' sum; -1
    // without components.
    int majorComponent(double& others) const;

    const FluidPhase& m_;
    PhaseLookups lookups_;
};
