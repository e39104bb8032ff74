#pragma once
// Pure-fluid parameter sets of the Duan equation of state: critical
// temperature (K), critical pressure (bar), molar mass (kg/mol) and the
// fifteen parameters a1 .. a12, alpha, beta, gamma.
//
// H2O, CH4 and CO2: Duan, Moller & Weare, Geochim. Cosmochim. Acta 56, 2605
// (1992).  N2 is scaled differently (its Tc and Pc entries are scale factors
// and several of its parameters are large); they go through the same formulas.
#include "fluid/ValidityRange.h"

namespace duan {

struct FluidSet {
    const char* name;
    double Tc;         // K
    double Pc;         // bar
    double molarMass;  // kg/mol
    double a[15];
};

extern const FluidSet kH2O;
extern const FluidSet kCH4;
extern const FluidSet kCO2;
extern const FluidSet kN2;
// Water at high pressure, Zhang & Duan (Phys. Earth Planet. Inter. 149, 335
// (2005)): Tc 647.25 K, Pc = R Tc/Vc with Vc = 55.9480373 cm3/mol, and their
// a1 .. a15, whose exponential part has its own form (Duan1::ExponentialForm).
extern const FluidSet kH2OZhangDuan;

// Pressure (bar) that, with Tc, gives the set's reference volume R Tc/P.
// For H2O, CH4 and CO2 it is Pc.  The N2 set is the general equation of
// Duan, Moller & Weare (Geochim. Cosmochim. Acta 60, 1209 (1996)) in the
// reduced variables of its reference fluid: Tc = epsilon/154 and
// Pc = epsilon/(3.0636 sigma^3) (its Pm = 3.0636 sigma^3 P/epsilon), while its
// reduced volume is Vm = V/(1e-3 (sigma/3.691)^3) with V in m3/mol, not
// V/(R Tc/Pc); the pressure returned gives that reference volume.
double referencePressure(const FluidSet& s);

// The states a set holds in, by its fluid's name (see DuanParameters.cpp).
const ValidityRange& validityRange(const FluidSet& s);
// The states a binary mixture of two sets holds in: from 273.15 K to
// 1273.15 K, its liquid included, and up to 8000 bar, extrapolated above the
// mixture data's 1000 bar and, with water, below the first interaction row's
// temperature (323.15 K with CO2, 311.15 K with CH4).
ValidityRange mixtureRange(const FluidSet& a, const FluidSet& b);

// The set of the named fluid ("H2O", "CH4", "CO2", and "N2" when withN2),
// compared exactly; null for any other name.
const FluidSet* findFluid(const char* name, bool withN2);

}  // namespace duan
