#pragma once
// Phase relations of H2O-NaCl after T. Driesner and C. A. Heinrich (2007),
// "The system H2O-NaCl. Part I: Correlation formulae for phase relations in
// temperature-pressure-composition space from 0 to 1000 °C, 0 to 5000 bar,
// and 0 to 1 X_NaCl", Geochim. Cosmochim. Acta 71, 4880-4901 (eq. 1-17).
//
// T in °C, P in bar, compositions as NaCl mole fractions x (moleFraction /
// massFraction convert).  Water's critical point is IAPWS-95's (373.946 °C,
// 220.64 bar): published transcriptions of the correlations differ in the
// critical constants they take for water; the diagram uses IAPWS-95's
// throughout, as it does for water itself.
#include "fluid/CriticalPoints.h"
#include "fluid/ValidityRange.h"

namespace dh07 {

// NaCl triple point (eq. 1-3) and water's critical point (IAPWS-95).
constexpr double kTriplePointT = 800.7;   // °C
constexpr double kTriplePointP = 5.0e-4;  // bar
constexpr double kWaterCriticalT = kWaterCritical.TCelsius();
constexpr double kWaterCriticalP = kWaterCritical.Pbar();
// Range of the correlations: 0 to 1000 °C, 0 to 5000 bar and 0 to 1 in
// composition as published; the diagram continues the liquid's boundaries
// down to the NaCl-ice eutectic (-21.2 °C), where liquids still boil.  Each
// function below gives NaN for an argument outside its range (pressures up
// to kRangeRounding over the top are the top's, for searches that end
// there).
constexpr double kTopTemperature = 1000.0;  // °C
constexpr double kTopPressure = 5000.0;     // bar
constexpr double kLowTemperature = -21.2;   // °C
constexpr double kRangeRounding = 1e-9;
// Eq. 1: slope of halite's melting curve (°C/bar).
constexpr double kMeltingSlope = 2.4726e-2;

// NaCl mole fraction of a mass fraction and back (M_NaCl 58.443 g/mol,
// M_H2O 18.015268 g/mol).
double moleFraction(double X);
double massFraction(double x);

// Eq. 1: melting temperature of halite at P, and its inverse (from the
// triple point to the melting point at 5000 bar, 924.3 °C).
double haliteMeltingTemperature(double P);
double haliteMeltingPressure(double T);
// Eq. 2-3: vapour pressure of NaCl, sublimation below the triple point (its
// Clausius-Clapeyron form down to 0 K) and boiling of molten NaCl above it,
// up to 1000 °C.
double naclVapourPressure(double T);

// Eq. 5: critical pressure, (5b)/(5c) from water's critical temperature to
// 1000 °C; below it (5a), the reference pressure of the V+L surface only.
double criticalPressure(double T);
// Eq. 7: critical composition (0 at and below water's critical temperature).
double criticalMoleFraction(double T);
// Critical temperature of the composition x (root of eq. 7, bisected on
// [water's critical temperature, 1000 °C]); NaN outside 0 <= x <= x_crit(1000).
double criticalTemperature(double x);

// Eq. 8: halite liquidus, the composition of the liquid saturated with
// halite at (T, P), up to halite's melting temperature at P.
double liquidusMoleFraction(double T, double P);
// Eq. 9-10: pressure of the three-phase curve vapour + liquid + halite, up
// to NaCl's triple point.
double vlhPressure(double T);

// Eq. 11-12: liquid branch of the V+L surface at (T, P).  Its low-pressure
// end (Plow, xlow) is the three-phase point, or boiling NaCl (x = 1) at and
// above the triple point; PsatWater is water's saturation pressure at T
// (used below water's critical temperature only, where x_l = 0 there).
double liquidBranch(double T, double P, double Plow, double xlow, double PsatWater);
// Eq. 13-17: the vapour coexisting at (T, P) with the liquid x_l.
double vapourBranch(double T, double P, double xl);

// The phase relations at T (K) and P (bar) as the fluid's statement reads
// them (NaCl mole fractions; PsatWater water's vapour pressure at T in bar):
// the vapour-liquid surface's ends at T and its liquid and vapour at P, the
// halite liquidus at P from the three-phase pressure up, and below it the
// vapour beside halite: at least NaCl's vapour pressure's share of P (the
// ideal vapour), at most the larger of that and the three-phase vapour's
// share (the vapour's NaCl content, rising with its density, is largest at
// one of the two ends).  Every field NaN outside the diagram's range.
SaltDiagramPoint diagramPoint(double T_K, double P_bar, double PsatWater);

}  // namespace dh07
