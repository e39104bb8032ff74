#pragma once
// The flags that choose what some of FluidPhase's calculations hold fixed
// or where they start, and the components' freezing temperatures its curves
// end at.
class ReferenceFluids;

// Quantity held constant along a two-phase iso-line of a pure fluid (FluidPhase::calculateIsoBiphasic).
enum IsoParameterFlag : int { kIsoEntropy = 1, kIsoVolume = 2, kIsoEnthalpy = 3, kIsoInternalEnergy = 4 };

// Property drawn by the contour map of FluidPhase::calculate_iso_surface.
enum ThermoCalcFlag : int {
    kThermoP = 1, kThermoA = 2, kThermoH = 3, kThermoU = 4, kThermoS = 5, kThermoG = 6, kThermoCv = 7, kThermoCp = 8
};

// Unknowns of a critical-point search of a binary mixture (FluidPhase::search_a_critical_point).
enum CriticalPointFlag : int {
    kCriticalPointFixedComposition = 0,  // T and V at the current composition
    kCriticalPointFixedTemperature = 1,  // x1 and V at the current temperature
};

// Start of the critical-curve tracer of a binary mixture (FluidPhase::calculate_the_critical_curve).  30 and 31
// start from the caller's state searched at fixed T; any other value from it searched at fixed composition.
enum CriticalCurveFlag : int {
    kCriticalCurveFromComponent0 = 0,  // pure component 0 (x1 = 0)
    kCriticalCurveFromComponent1 = 1,  // pure component 1 (x1 = 1)
    kCriticalCurveFromStateFixedComposition = 2,
    kCriticalCurveFromStateFixedT = 30,
    kCriticalCurveFromStateFixedT1 = 31,
};

// Triple-point temperature (K) of a reference fluid of `fluids` (ReferenceFluids.h; null: the standard table), the
// melting point of "NaCl" or "KCl"; 0 for any other name.  Below it the liquid-vapour curve's liquid is metastable.
double triplePointTemperature(const char* component, const ReferenceFluids* fluids = nullptr);
// Temperature (K) below which component `component` freezes out of a liquid
// mixture holding mole fraction xi of it: for a reference fluid with an
// enthalpy of fusion in its row (CO2, CH4, N2) the ideal solubility of the
// pure solid (Schroeder-van Laar), 1/T = 1/Ttp - R ln(xi)/dHfus, from the
// triple point and the enthalpy of fusion; for any other component (water, whose mixtures with the gases are
// far from ideal, and the salts) its triple point whatever xi.  The triple
// point at xi = 1; 0 for a component without one.  The rows those of `fluids` (null: the standard table).
double mixtureFreezingTemperature(const char* component, double xi, const ReferenceFluids* fluids = nullptr);
