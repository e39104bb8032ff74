#pragma once
// The water content of natural gas (methane) in equilibrium with liquid
// water, after Bukacek (1955, Institute of Gas Technology Research Bulletin
// 8), as the gas-processing handbooks give it (GPSA Engineering Data Book),
// in field units:
//   W = 47484 Pv/P + B,  log10 B = -3083.87/(t + 459.6) + 6.69449,
// W in lb of water per million standard cubic feet of the gas (60 F and
// 14.696 psia), Pv water's vapour pressure and P the pressure in psia, t in
// F.  Its first term is Raoult's law (an ideal gas holds y = Pv/P of
// water), the second the departure of the compressed gas.  Its range and
// uncertainty as Carroll (Natural Gas Hydrates, 3rd ed., 2014) quotes them:
// 15 to 238 C and 0.1 to 69 MPa, within about 5 %.  It is the content over
// liquid water: where methane hydrate is the stable phase beside the gas
// (below about 290 K at these pressures) the gas holds less.  Its constants,
// range and uncertainty are recalled from the handbooks, not read from the
// bulletin: the test holds its first term to Raoult's law and its whole to
// an evaluation in field units.
namespace solubility {

// The mole fraction of water in a methane-rich gas at T (K) and P (bar),
// from 288.15 to 511.15 K and 1 to 690 bar, above water's vapour pressure;
// NaN outside.
double waterInMethane(double T, double P_bar);

}  // namespace solubility
