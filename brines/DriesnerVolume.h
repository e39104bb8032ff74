#pragma once
// Molar volume of H2O-NaCl liquids and vapours after Driesner (2007), "The
// system H2O-NaCl. Part II: Correlations for molar volume, enthalpy, and
// isobaric heat capacity from 0 to 1000 °C, 1 to 5000 bar, and 0 to 1
// X_NaCl", Geochim. Cosmochim. Acta 71, 4902-4919.
//
// The volume of a solution of NaCl mole fraction x at (T, P) is that of pure
// water at the same pressure and a scaled temperature,
//     V(T, P, x) = V_water(T_V, P),   T_V = n1 + n2 T + D(T, P, x)   (°C),
// per mole of H2O + NaCl; n1 = 0, n2 = 1 and D = 0 at x = 0, so that the
// correlation is the water model itself there.
namespace driesner {

// Top of the correlation's range, °C (it holds from 0 °C, 1 to 5000 bar).
constexpr double kTopTemperature = 1000.0;

// Scaled temperature T_V (°C) of Driesner's eq. 9-16 at T (°C), P (bar) and
// NaCl mole fraction x.
double scaledTemperature(double T, double P, double x);

// NaCl mole fraction of the NaCl mass fraction X, and the molar mass (kg/mol)
// of one mole of H2O + NaCl of mole fraction x.
double moleFraction(double X);
double solutionMolarMass(double x);

}  // namespace driesner
