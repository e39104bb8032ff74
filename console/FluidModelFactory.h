#pragma once
// The factory of fluid models by short name, for the fluid command
// interpreter.  The models live in the layers above the fluid framework, so
// the framework's FluidPhase::getEOS calls the factory that this layer
// installs (installFluidModelFactory).
//
// Names are compared exactly (case-sensitive) with the rows of the registry
// (kRegistry in FluidModelFactory.cpp): models of fixed components (wagner,
// IUPACCO2, ...) by their name, models whose components follow the name
// after a colon, separated by commas (at most five components of at most 31
// characters each, none named twice), by the word before it, e.g.
// "SRK1:CO2,CH4".  A mixture starts with equal mole fractions.  The Anderko and Kreglewski families
// build their models when those families are part of the build; "hnk" names
// a system the Anderko model does not treat and builds nothing.
#include <span>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/ReferenceFluids.h"

// One model of the registry: its short name, the line of the programs' list
// it is printed on (null for a name that builds no model), whether its
// components follow the name after a colon, its builder (given those
// components, empty for a model of fixed components; null with the reason in
// `why` when it refuses them) and, for a model with components, how the list
// shows them ("..", any number, when null).
struct FluidModelEntry {
    const char* name;
    const char* group;
    bool components;
    FluidPhase* (*build)(const std::vector<std::string>& components, std::string* why);
    const char* shownComponents = nullptr;
};

// Every name the factory knows, in the order of the programs' list.
std::span<const FluidModelEntry> fluidModelRegistry();

// The model of `name`, owned by the caller; null for a name that builds no
// model, with the reason in `why` when it is given.
FluidPhase* createFluidModel(const char* name, std::string* why = nullptr);

// Installs createFluidModel as the factory behind FluidPhase::getEOS.
void installFluidModelFactory();

// The list of short names, one line per fluid or family, for the programs'
// help, from the registry.
std::string fluidModelNames();

// The short name of the reference equation of the fluid `fluid`, from its row
// of the reference fluids' table ("H2O": WagnerPruss, IAPWS-95; "CO2":
// IUPACCO2; "CH4": IUPACCH4; "N2": Jacobsen, Span et al. 2000), against which
// the other models of that fluid are measured; null for any other name.
const char* referenceModelOf(const std::string& fluid);

// The molar volume (m3/mol) of the stable state of the pure component at T
// (K) and P (bar) from the reference equation its row in `fluids` names (the
// models' lookup PhaseLookups::referenceVolumeOf, given the table of their
// lookups, the standard one unless a caller gives its own), in the near-critical box from the row's later equation where it has one
// (CO2: Span & Wagner 1996; CH4: Setzmann & Wagner 1991); NaN for a
// component not in it, outside that equation's range or where it gives no
// state.
double referenceVolumeIn(const ReferenceFluids& fluids, const char* component, double T, double P_bar);
