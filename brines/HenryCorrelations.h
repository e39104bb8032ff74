#pragma once
// Published Henry constants of gases in pure water, on the mole-fraction
// scale (H = f/x, Pa), shared by the Henry-law models.  Each function returns
// NaN for a gas it does not know.
namespace henry {

// Wilhelm, Battino & Wilcock (1977), Chem. Rev. 77, 219, Table I: the mole
// fraction at a gas partial pressure of 1 atm, R ln x = A + B/T + C ln T + D T
// with R = 1.98719 cal/(mol K), so H = 101325 exp(-(A + B/T + C ln T + D T)/R).
// Gases: "CH4" ("C1"), "C2H6" ("C2"), "C3H8" ("C3"), "iC4", "nC4", "H2S", "N2", "CO2".
double wilhelmBattinoWilcock(const char* gas, double T);

// Fernandez-Prini, Alvarez & Harvey (2003), J. Phys. Chem. Ref. Data 32, 903
// (IAPWS G7-04): ln(H/p1) = A/Tr + B tau^0.355/Tr + C Tr^-0.41 exp(tau), with
// Tr = T/647.096 K, tau = 1 - Tr and p1 the vapour pressure of water.
// Gases: "CO2", "CH4" ("C1"), "H2S"; 273 to 633 K.
double fernandezPrini(const char* gas, double T);

// Salting-out factor of CO2 in NaCl brine of molality ms (mol/kg): the
// activity coefficient exp(0.27504 ms / (1 + 0.018 ms)) that multiplies its
// Henry constant.
double co2SaltingOut(double ms);

// A gas without a published salting-out coefficient in NaCl brine in the set
// `version` of `model`: said through the log; NaN, so that its solubility is
// refused.
double noSaltingOut(const char* model, int version, const char* gas);

}  // namespace henry
