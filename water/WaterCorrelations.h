#pragma once
// Closed-form correlations of ordinary water that need no equation of state:
// the IAPWS-95 auxiliary saturation equations, start-value fits of the
// saturation solvers, spinodal volumes, the stability band of the reference
// equation and the IAPWS 1994 surface tension. Pure functions of their arguments.
//
// Units: T in K, pressures in Pa unless an argument says bar, molar volumes in
// m3/mol, densities in kg/m3.

// Vapour pressure of water from the auxiliary equation published with IAPWS-95
// (Wagner & Pruss 2002, eq. 2.5), Pa. Valid from the triple point to Tc.
double waterAuxiliarySaturationPressure(double T);

// Density of the saturated liquid (Wagner & Pruss 2002, eq. 2.6), kg/m3.
double waterAuxiliarySaturatedLiquidDensity(double T);

// Density of the saturated vapour (Wagner & Pruss 2002, eq. 2.7), kg/m3.
double waterAuxiliarySaturatedVapourDensity(double T);

// Piecewise fit of the vapour pressure in 1/T, Pa.
double waterSaturationPressureFit(double T);

// Start volumes of the saturation solvers at temperature T. Returns false (and
// leaves Vl and Vv alone) at or above the critical temperature or for NaN.
bool waterSaturationStartVolumesFromT(double T, double& Vl, double& Vv);

// Start temperature and volumes of the saturation solvers at P (bar).
void waterSaturationStartFromP(double P_bar, double& T, double& Vl, double& Vv);

// Surface tension of ordinary water against its vapour (IAPWS 1994),
// sigma = 0.2358 N/m tau^1.256 (1 - 0.625 tau), tau = 1 - T/647.096 K; 0 above Tc.
double waterSurfaceTension(double T);

// Molar volume of the vapour spinodal, m3/mol (fit in ln(1/T - 1/Tc)).
double getVapourSpinodalVolume(double T);

// Molar volume of the liquid spinodal, m3/mol.
double getLiquidSpinodalVolume(double T);

// Liquid and vapour spinodal volumes (cm3/mol) that bound the mechanically
// unstable region of the reference equation, as used by its stability test.
void waterSpinodalBand(double T, double& vL, double& vV);

// True when (T, V) lies inside the spinodal region of the reference equation
// (always below 230 K, never from 647.13 K upwards or for NaN).
bool waterStateIsUnstable(double T, double V);
