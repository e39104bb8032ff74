#pragma once
// The water content of CO2-rich phases (gaseous, liquid or supercritical CO2)
// in equilibrium with liquid water, after Spycher, Pruess & Ennis-King (2003),
// Geochim. Cosmochim. Acta 67, 3015: their fit of the published measurements
// (Wiebe & Gaddy 1941, King et al. 1992 and others) from 12 to 100 C and up
// to 600 bar: the mass-action laws of water's evaporation and CO2's
// dissolution, y(H2O) = A x(H2O) and x(CO2) = B y(CO2), solved for
//   y(H2O) = (1 - B) / (1/A - B),
//   A = K0(H2O) / (phi(H2O) P) exp((P - 1 bar) V(H2O) / (R T)),
//   B = phi(CO2) P / (55.508 K0(CO2)) exp(-(P - 1 bar) V(CO2) / (R T)),
// with log10 K0(H2O) = -2.209 + 3.097e-2 t - 1.098e-4 t^2 + 2.048e-7 t^3,
// log10 K0(CO2) = 1.189 + 1.304e-2 t - 5.446e-5 t^2 for gaseous CO2 and
// 1.169 + 1.368e-2 t - 5.380e-5 t^2 for liquid CO2 (t in C),
// V(H2O) = 18.1 and V(CO2) = 32.6 cm3/mol, and phi(H2O) and phi(CO2) from
// their Redlich-Kwong equation of the CO2-rich phase at infinite dilution of
// water: a(CO2) = 7.54e7 - 4.13e4 T, b(CO2) = 27.80, a(H2O-CO2) = 7.89e7,
// b(H2O) = 18.18 (bar cm6 K^0.5 mol^-2 and cm3/mol).  Below CO2's critical
// temperature the root (and K0(CO2)) is the gas's below CO2's vapour
// pressure and the liquid's above.  The CO2 dissolved in the water (2 to 3 %
// at 100 to 600 bar) lowers the water content by as much.
namespace solubility {

// The mole fraction of water in the CO2-rich phase at T (K) and P (bar), from
// 273.15 K (the fit extended 12 K below its data: K0 is water's vapour
// pressure) to 373.15 K and from 1 to 600 bar; NaN outside.
double waterInCO2(double T, double P_bar);

}  // namespace solubility
