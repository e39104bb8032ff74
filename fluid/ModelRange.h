#pragma once
// A model's published range at its composition: which of its components are
// present, and the temperatures and pressures its publication holds there
// (raised to where a component present freezes out of the mixture).  States,
// rows and curves outside it are refused; the model's answers inside it are
// its own.  T in K, P in bar.
#include <string>

#include "fluid/FluidPhase.h"
#include "fluid/ValidityRange.h"

class ModelRange {
public:
    // The range of `model` with the published data of `lookups` (by default
    // those the program that built the model handed it).
    explicit ModelRange(const FluidPhase& model) : ModelRange(model, model.lookups) {}
    ModelRange(const FluidPhase& model, const PhaseLookups& lookups) : m_(model), lookups_(lookups) {}

    const PhaseLookups& lookups() const { return lookups_; }

    // ---- the composition
    // The name of the single component, null for a mixture.
    const char* pureFluidName() const;
    // The one component present (a pure fluid, or a mixture at a pure end);
    // null where two or more are present.
    const char* phaseRuleFluid() const;
    bool atPureComposition() const;
    // The component of the larger share of a binary; of equal shares, the
    // same whichever is named first (the one of the higher critical
    // temperature, else the first by name).
    int binaryMajorComponent() const;
    // Both components of a binary present: the major one (binaryMajorComponent),
    // the other and its share.
    bool binaryShares(int& solvent, int& solute, double& xs) const;

    // ---- the model's range at its composition
    // The model's declared range, its Tmin raised (fromTriplePoints) to where
    // a component present freezes out of the mixture by its ideal
    // solubility (mixtureFreezingTemperature; a pure fluid's triple point).
    ValidityRange effectiveRange() const;
    // The range a state, row or critical point is held against: at a pure
    // end the component's own declared range (componentValidity), else
    // effectiveRange(); for a mixture of a model held from its components'
    // triple points (the interpreter's limits, no publication's), the model's
    // own limits: no solid is a phase of the model, and where one deposits
    // the fluid's statement says so.
    ValidityRange stateRange() const;
    // The range of the curves that follow a liquid over its compositions (a
    // P-x isotherm, a critical curve, a mixture's spinodals): ending where a
    // component present freezes out of the liquid (effectiveRange), a pure
    // end's its component's.
    ValidityRange freezingEdgeRange() const;
    // The solid of a pure fluid at T (K) and P (bar) by its published lines
    // (none for a mixture or without a lookup).
    SolidField solidAt(double T_, double P_bar) const;
    // A pure fluid whose range is a publication's (not the interpreter's
    // limits): its range ends at its melting and sublimation lines.
    bool solidLinesBoundRange() const;
    // The model's range reaches below the triple point of its pure fluid: it
    // describes the supercooled liquid there (IAPWS-95's water).
    bool describesSupercooledLiquid() const;
    // The lowest temperature of the curves traced down from the critical
    // point (saturation curve, spinodals): the lower end of
    // freezingEdgeRange(), not below a pure fluid's triple point nor its
    // vapour-only limit; without a declared range the tracers' own.
    double lowestReportedCurveTemperature() const;
    // Why the curves end at that temperature, said in a message: "the triple
    // point of N2", "where CO2 freezes out of the mixture's liquid (...)",
    // "the lower end of the model's range, ...".
    std::string lowestCurveTemperatureReason(double Tlow) const;
    // The model's own critical point (the model's state) lies in the range;
    // false, said once, where it does not.
    bool criticalPointInRange() const;
    // T0 and T1 lie in the range's temperatures; false, said once, where not.
    bool curveTemperaturesInRange(double T0, double T1, const char* what) const;

protected:
    // The model and the published data, read by the fluid's statement too.
    const FluidPhase& m_;
    PhaseLookups lookups_;

private:
    // The component of the largest share (a binary's binaryMajorComponent),
    // -1 without one; `others` the sum of the other shares.
    int majorComponent(double& others) const;
};
