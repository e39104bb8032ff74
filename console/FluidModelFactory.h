#pragma once
// The factory of fluid models by short name, for the fluid command
// interpreter.  The models live in the layers above the fluid framework, so
// the framework's FluidPhase::getEOS calls the factory that this layer
// installs (installFluidModelFactory).
//
// Names are compared exactly (case-sensitive).  Models of fixed components:
//     wagner (the reference water model, with the superheated-water studies),
//     WagnerPruss, HGK, Saul, Hill, Keenan, DuanH2O,
//     ZhangDuanH2O (Zhang & Duan 2005, from 1 kbar)        water
//     IUPACCO2, Sterner, DuanCO2                           carbon dioxide
//     IUPACCH4, DuanCH4                                    methane
//     Jacobsen                                             nitrogen
//     HollowayEOS                                          H2O-CO2
// Models whose components follow the name after a colon, separated by
// commas (at most five components of at most 31 characters each):
//     SRK, SRK1, PR, PRSV, Montel (cubics; SRK2 takes exactly two)
//     DMW1 (one of H2O, CO2, CH4, N2), DMW2 (two of H2O, CO2, CH4),
//     DMWEOS (one or two of H2O, CO2, CH4), Kreglewski (one or two of its table)
// e.g. "SRK1:CO2,CH4".  A mixture starts with equal mole fractions.
// The names of the Anderko family ("hnc", "hn", "hk", "hnk", "NaCl", "KCl",
// "AnderkoH2O", "AnderkoCO2") and the Kreglewski model build their models
// when those families are part of the build; "hnk" names a system the
// Anderko model does not treat and builds nothing.
#include <string>

#include "fluid/FluidPhase.h"

// The model of `name`, owned by the caller; null for a name that builds no
// model, with the reason in `why` when it is given.
FluidPhase* createFluidModel(const char* name, std::string* why = nullptr);

// Installs createFluidModel as the factory behind FluidPhase::getEOS.
void installFluidModelFactory();

// The list of short names, one line per family, for the program's help.
const char* fluidModelNames();

// The short name of the reference equation of the fluid `fluid` ("H2O":
// WagnerPruss, IAPWS-95; "CO2": IUPACCO2; "CH4": IUPACCH4; "N2": Jacobsen,
// Span et al. 2000), against which the other models of that fluid are
// measured; null for any other name.
const char* referenceModelOf(const std::string& fluid);
