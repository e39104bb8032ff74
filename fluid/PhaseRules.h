#pragma once
// What the fluids' published data say of a state beside the model's own
// answer (the "** The fluid:" statement), read with the model's published
// range at its composition (ModelRange).  Neither changes the model's answer:
// the range refuses what lies outside the model's publication, the data are
// compared with what the model gives.  T in K, P in bar.
#include <algorithm>
#include <cmath>
#include <string>

#include "fluid/FluidPhase.h"
#include "fluid/ModelRange.h"

struct ReferenceFluid;
struct ReferencePair;

class PhaseRules : public ModelRange {
public:
    // The range of `model` and the published data of `lookups` (by default
    // those the program that built the model handed it).
    using ModelRange::ModelRange;

    // ---- what the fluids' published data say of a state
    // The uncertainties of the data (relative), which decide only what the
    // statement says: the ancillary vapour pressures hold their reference
    // equations within 0.1-0.4 %; the sublimation equations their data
    // within about 1 %; a published solubility that states no uncertainty
    // of its own its measurements within about 10 %;
    // IAPWS G7-04's Henry constants within a few hundredths in ln kH.
    static constexpr double kVapourPressureUncertainty = 0.005;
    static constexpr double kSublimationUncertainty = 0.01;
    static constexpr double kSolubilityUncertainty = 0.1;
    static constexpr double kHenryLogUncertainty = 0.1;
    // Henry's law is a dilute solution's: the laws speak of a liquid holding
    // at most this share of the gas.
    static constexpr double kHenryDiluteShare = 0.05;
    // A trace of another component: a share whose change of the fluid's
    // density, about the share itself where the partial molar volumes are of
    // the solvent's order, lies within the pure end's reference density's
    // uncertainty (IAPWS-95 and Span & Wagner's CO2 hold dense fluids'
    // densities within about 0.1 %): the mixture is its pure end.
    static constexpr double kTraceShare = 1e-3;
    // The relative uncertainty of water's content of a compressed gas by
    // Peng & Robinson's equation with Soreide & Whitson's binary constants,
    // `departure` the logarithm of its correction to Raoult's law (or of
    // water's fugacity coefficient): within 8 % of Spycher et al.'s fit (to
    // 373 K and 600 bar) and of Bukacek's correlation (to 511 K and 690 bar)
    // where they overlap, the departures growing with the gas's
    // non-ideality: a quarter of that logarithm, at most 10 %.
    static double pengRobinsonUncertainty(double departure) { return std::min(0.1, 0.25 * std::fabs(departure)); }

    // Raoult's law for a solute of another non-polar fluid: its liquid's
    // fugacity its own vapour pressure (beyond its critical point the
    // straight line of ln p in 1/T through it), taken within this factor
    // either way (the activity coefficients of dilute non-polar solutes and
    // the extrapolation beyond the solute's critical point).
    static constexpr double kIdealSolubilityFactor = 3.0;

    // A binary of two reference fluids near the pure end of its major
    // component (at most kHenryDiluteShare of the other), and any binary of
    // two non-polar ones; `solvent` its major component, `xs` the other's
    // share.  `nonPolar`: neither is water.
    bool diluteEnd(int& solvent, double& xs, bool nonPolar) const;
    bool diluteNonPolarEnd(int& solvent, double& xs) const { return diluteEnd(solvent, xs, true); }
    // The pair's row where it judges water with a gas (its component a the
    // water, following no Raoult's law); null for two non-polar fluids.
    const ReferencePair* polarPair() const;
    // The pressure (bar) from which the major component's liquid forms in a
    // mixture beside its pure end (diluteEnd) at T below its critical
    // temperature, and a liquid of a non-polar pair of any share below its
    // pseudo-critical temperature (Kay 1936): of a non-polar pair its dew pressure by Raoult's law
    // (RaoultsLaw, the nominal values); with a trace of water, which
    // dissolves little in the liquid of these gases, its vapour pressure.
    // NaN elsewhere (water the major component); `how` (if given) names the
    // law.
    double diluteDewPressure(double T_, const char** how = nullptr) const;

    // The model's answer the statement measures itself against: its phase
    // (FluidPhase::PhaseCode) or split, its state's density, and where it
    // splits, component 1's fraction and the density (kg/m3) of each phase
    // (NaN where its split was not found).
    struct ModelAnswer {
        int phase = FluidPhase::kPhaseNone;
        bool splits = false;
        double rho = std::nan("");
        double x1[2] = {std::nan(""), std::nan("")};
        double rhoPhase[2] = {std::nan(""), std::nan("")};
    };
    // The statement: a verdict word ("one phase", "liquid", "vapour",
    // "supercritical fluid", "splits", "solid CO2 deposits", "ice Ih
    // deposits", "solid NaCl (halite) deposits", "not one vapour" (a brine
    // of a salt without a published diagram), or "uncertain (a or b)") and
    // what follows it: the source,
    // its numbers and uncertainty, and how far the model lies from them.
    // Empty where no data cover the state.  `agrees` compares the word with
    // the model's answer (an uncertain word agrees with either of its two).
    struct FluidStatement {
        std::string word, text;
        bool agrees = true;
        double point = std::nan("");  // a solid's freezing or frost point at P (K), where said
        bool covered() const { return !word.empty(); }
    };
    FluidStatement fluidAt(double T_, double P_bar, const ModelAnswer& model) const;
    // The pure solid's fugacity (Pa) of the fluid of `row` at T (K) and P
    // (Pa) from its sublimation pressure psub (Pa) and molar volume Vs
    // (m3/mol): psub phi(T, psub) exp(Vs (P - psub)/(R T)).
    static double solidFugacity(const ReferenceFluid* row, double psub, double Vs, double T_, double P);

protected:
    // The statements of each source, empty where it does not cover the state.
    FluidStatement pureFluidAt(const char* name, double T_, double P_bar, const ModelAnswer& model) const;
    FluidStatement solidFromMixtureAt(double T_, double P_bar) const;
    FluidStatement solubilityAt(double T_, double P_bar, const ModelAnswer& model) const;
    // The logarithm of a gas's (component i) fugacity dissolved in water's
    // liquid over its pure solid's at T and P (Tm its melting point there),
    // with its band and what it is said from; NaN where no data cover it.
    double dissolvedInWaterExcess(int i, double T_, double P_bar, double Tm, double& band, std::string& how) const;
    // Ice from a gas carrying water (component w): only below water's
    // melting point at P, lowered by the gas it dissolves.
    FluidStatement iceFromGasAt(int w, double T_, double P_bar) const;
    // Beside a pure end (diluteEnd): below the major component's critical
    // temperature, for a non-polar pair, its reference data with Raoult's
    // law and the other's ideal solubility; above it one supercritical fluid
    // where the other is the lighter (beside water below its critical
    // pressure, where the critical curves of its mixtures start), or does not
    // condense (its partial pressure well below its vapour pressure).  A
    // non-polar pair beyond a dilute share: Raoult's law below the heavier
    // one's critical temperature, one fluid above both (water and a gas
    // alike, below water's critical pressure).
    FluidStatement diluteEndAt(double T_, double P_bar, const ModelAnswer& model) const;
    // Water and a gas at any share at or above both critical temperatures,
    // where the critical curves of their mixtures, starting at water's
    // critical point and rising in pressure, decide alike at every share
    // (`solvent` and `xs` as diluteEnd's).
    bool waterAboveCriticalPoints(double T_, int& solvent, double& xs) const;
    // The pure end `a`'s density by its reference equation at T and P, as
    // its own statement gives it ("; pure a by its equation: rho kg/m3"),
    // with its molar volume Vref (0 without one); and the model's one phase
    // beside it (its molar density's departure; empty where it splits).
    std::string pureEndDensity(const char* a, double T_, double P_bar, double& Vref) const;
    std::string besidePureEnd(const char* a, double Vref, const ModelAnswer& model) const;
    // The freezing point (K) at P (bar) of the major component's liquid
    // holding the other at its Henry's-law share there (the dissolved gas
    // taken at the freezing point itself); NaN without the data.
    double solventFreezingPoint(int major, double P_bar, double& share) const;
    // The share of the other component a liquid of `solvent` holds at T and
    // P by its published Henry constant (at most the mixture's own).
    double henryShare(int solvent, double T_, double P_bar) const;
    // Henry's constant's factor for the gas dissolved in the liquid of
    // `solvent` at T and P (psat the solvent's vapour pressure): its
    // Poynting factor over its fugacity coefficient (each with `phi` and
    // `poynting` where asked).
    double dissolvedGasFactor(int solvent, double T_, double P_bar, double psat, double* phi = nullptr,
                              double* poynting = nullptr) const;
    // The fugacity (bar) of the minor component i in a gas of the major one
    // by the virial equation to the second coefficients (Tsonopoulos 1974,
    // the measured cross coefficient), below half the major one's critical
    // density; NaN elsewhere or without a cross coefficient.
    double virialGasFugacity(int i, double T_, double P_bar) const;
};
