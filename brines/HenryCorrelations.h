#pragma once
// Published Henry constants of gases in pure water, on the mole-fraction
// scale (H = f/x, Pa), shared by the Henry-law models.  Each correlation
// carries the temperature range of its publication; a gas it has no constants
// for, or a temperature outside its range, gives NaN and a message through the
// log (never a number standing for an insoluble gas).
namespace henry {

// Wilhelm, Battino & Wilcock (1977), Chem. Rev. 77, 219, Table I: the mole
// fraction at a gas partial pressure of 1 atm, R ln x = A + B/T + C ln T + D T
// with R = 1.98719 cal/(mol K), so H = 101325 exp(-(A + B/T + C ln T + D T)/R).
// Gases: "CH4" ("C1"), "C2H6" ("C2"), "C3H8" ("C3"), "iC4", "nC4", "H2S", "N2", "CO2";
// 273.15 to 353.15 K (see the source).
double wilhelmBattinoWilcock(const char* gas, double T);

// Fernandez-Prini, Alvarez & Harvey (2003), J. Phys. Chem. Ref. Data 32, 903
// (IAPWS G7-04): ln(H/p1) = A/Tr + B tau^0.355/Tr + C Tr^-0.41 exp(tau), with
// Tr = T/647.096 K, tau = 1 - Tr and p1 the vapour pressure of water.
// Gases: every row of its Table 2 for H2O, each in the range of its fit: "He",
// "Ne", "Ar", "Kr", "Xe", "H2", "N2", "O2", "CO", "CO2", "H2S", "CH4" ("C1"),
// "C2H6" ("C2"), "SF6".
double fernandezPrini(const char* gas, double T);
// The same equation from 273.15 K up to water's critical temperature, beyond
// the row's fitted range too (its form carries the Henry constant's
// asymptotic behaviour at the solvent's critical point, Japas & Levelt
// Sengers 1989); NaN outside or for a gas not in the table.
double fernandezPriniToCritical(const char* gas, double T);

// The Henry constant in pure water of `gas` in the set `version` of the
// Henry-law models (`model` names the caller in messages):
//   0  IAPWS G7-04 for CO2 and H2S
//   1  Wilhelm, Battino & Wilcock (1977) for its eight gases
//   2  IAPWS G7-04 for CH4
// NaN, said through the log, for a gas the set has no constants for, an
// unknown set or a temperature outside the set's range.
double henrySet(const char* model, int version, const char* gas, double T);

// Salting-out factor of CO2 in NaCl brine of molality ms (mol/kg): the
// activity coefficient exp(0.27504 ms / (1 + 0.018 ms)) that multiplies its
// Henry constant.
double co2SaltingOut(double ms);

// A gas without a published salting-out coefficient in NaCl brine in the set
// `version` of `model`: said through the log; NaN, so that its solubility is
// refused.
double noSaltingOut(const char* model, int version, const char* gas);

}  // namespace henry
