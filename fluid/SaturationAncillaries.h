#pragma once
// The published ancillary equations of the saturation curve of pure fluids:
// the saturated-liquid and saturated-vapour volumes and the vapour pressure.
// Saturated-liquid densities (theta = 1 - T/Tc):
//
//   H2O  rho'/rho_c = 1 + sum b_i theta^(k_i/3), Wagner & Pruss, J. Phys.
//        Chem. Ref. Data 31 (2002) 387, eq. 2.6
//   CO2  ln(rho'/rho_c) = sum a_i theta^t_i, Span & Wagner, J. Phys. Chem.
//        Ref. Data 25 (1996) 1509
//   CH4  the same form, Setzmann & Wagner, J. Phys. Chem. Ref. Data 20
//        (1991) 1061
//   N2   the same form, Span, Lemmon, Jacobsen, Wagner & Yokozeki, J. Phys.
//        Chem. Ref. Data 29 (2000) 1361
//
// They give the volume searches and the saturation solvers of any model of
// these fluids a start that depends on the temperature alone.  Their
// coefficients are rows of the reference fluids' table (ReferenceFluids.h);
// these functions read its standard rows, by a component's formula or alias.  Units: T in K,
// densities in kg/m3, molar volumes in m3/mol.

// Density of saturated liquid water; at Tc = 647.096 K exactly rho_c = 322.
double waterSaturatedLiquidDensity(double T);

// Density of the saturated liquid of the component `name` at T (0 < T < Tc);
// NaN for a component without an equation here or a temperature outside that
// range.
double ancillarySaturatedLiquidDensity(const char* name, double T);

// Molar volume of the saturated liquid of `name` at min(T, Tc) (the critical
// volume at and above Tc); NaN for a component without an equation here or a
// temperature that is not positive.
double ancillarySaturatedLiquidVolume(const char* name, double T);

// Molar volume of the saturated vapour of a reference fluid at min(T, Tc)
// (the critical volume at and above Tc), 1/rho'' from the ancillary equations
// (theta = 1 - T/Tc):
//   H2O  ln(rho''/rho_c) = sum c_i theta^(k_i/6), Wagner & Pruss (2002), eq. 2.7
//   CO2  ln(rho''/rho_c) = sum a_i theta^t_i, Span & Wagner (1996), eq. 3.15
//   CH4  ln(rho''/rho_c) = (Tc/T) sum n_i theta^t_i, fitted to Setzmann &
//        Wagner's (1991) reference equation
//   N2   the same form, Span, Lemmon, Jacobsen, Wagner & Yokozeki (2000)
// NaN for another component or a temperature that is not positive.
double ancillarySaturatedVapourVolume(const char* name, double T);

// Vapour pressure (Pa) of a reference fluid at 0 < T < Tc from the
// ancillary equations ln(p/pc) = (Tc/T) sum a_i theta^t_i published with the
// reference equations named above (methane: fitted to Setzmann & Wagner's);
// NaN for another component or a temperature outside that range.
double ancillaryVapourPressure(const char* name, double T);

// The critical temperature (K) of the vapour-pressure equation of a
// reference fluid (that of its reference equation); NaN for another component.
double ancillaryCriticalTemperature(const char* name);
// Its critical pressure (Pa); NaN for another component.
double ancillaryCriticalPressure(const char* name);
