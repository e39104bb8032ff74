#pragma once
// The states in which a fluid model holds: the temperature and pressure range
// of its publication (or, where none is published, the range in which it
// reproduces its fluid's reference equation within its stated accuracy) and,
// for an equation fitted to some states only, the temperature below which it
// describes the vapour alone.  A model declares its range once, beside its
// coefficients, with the source; the command interpreter refuses a state
// outside it (StateReport::refuseOutsideRange).  A range left as constructed
// declares nothing and refuses nothing.
//
// Units: T in K, P in bar.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <string>

// A pure component's solid at a temperature (K) and pressure (bar): its name
// ("ice V", "solid CO2"), or null where the component is a fluid there.
// `supercooledLiquid`: the solid borders the vapour (ice Ih below water's
// triple point), where a model fitted below the triple point describes the
// metastable supercooled liquid.
struct SolidField {
    const char* solid = nullptr;
    bool supercooledLiquid = false;
};
class ReferenceFluids;
class ReferencePairs;
// The solids of the components a program knows: the reference fluids' solid
// lines (of the table it is given, ReferenceFluids.h) and those of the
// components above the fluid framework (the salts), which the program that
// builds the models hands them as this lookup (PhaseLookups::solidOf).
using SolidLookup = SolidField (*)(const ReferenceFluids& fluids, const char* component, double T, double P_bar);
// The molar volume (m3/mol) of the stable state of a pure component at T (K)
// and P (bar) from the reference equation its row of the reference fluids
// names (the models live above the fluid framework); NaN for a component
// without one.
using ReferenceVolumeLookup = double (*)(const ReferenceFluids& fluids, const char* component, double T,
                                         double P_bar);
// The published Henry constant (Pa, f/x at infinite dilution) of `solute` in
// liquid `solvent` at T (K), where the pair's row names a source; NaN where
// none is published at T.
using HenryLookup = double (*)(const ReferencePairs& pairs, const char* solvent, const char* solute, double T);
// The sublimation pressure (Pa) of a pure component's solid at T (K) below
// its triple point, with the solid's molar volume (m3/mol, for the Poynting
// correction of its fugacity); NaN at and above the triple point or for a
// component whose sublimation curve is not published here.
using SublimationLookup = double (*)(const ReferenceFluids& fluids, const char* component, double T,
                                     double& solidVolume);
// The published mole fraction of `solute` that a `solvent`-rich fluid holds
// at T (K) and P (bar) in equilibrium with a phase rich in the solute (the
// water content of CO2-rich phases, the CO2 liquid water dissolves), by the
// publication the pair's row names; NaN where none is published.
using SolubilityLookup = double (*)(const ReferencePairs& pairs, const char* solvent, const char* solute, double T,
                                    double P_bar);
// The publication of that solubility (authors, year; null where none), by
// the pair's row, and the uncertainty it states (relative).
struct SolubilitySource {
    const char* name = nullptr;
    double uncertainty = 0.0;
};
using SolubilitySourceLookup = SolubilitySource (*)(const ReferencePairs& pairs, const char* solvent, const char* solute);
// The phase relations of water and a salt at T (K) and P (bar) by the
// published phase diagram the pair's row names (its phaseDiagramSource), as
// the salt's mole fractions; NaN where the diagram gives none.  The
// vapour-liquid surface at T spans the pressures from `surfaceLow` (the
// three-phase pressure of vapour, liquid and the salt's solid) to
// `surfaceHigh` (water's vapour pressure below its critical temperature,
// the mixtures' critical pressure above it); at P between them its liquid
// holds `liquid`, its vapour `vapour`.  From surfaceLow up the liquid beside
// the solid holds `solidLiquid` (the liquidus); below it the vapour beside
// the solid holds from `solidVapourLow` to `solidVapourHigh`.
struct SaltDiagramPoint {
    const char* source = nullptr;
    double surfaceLow = std::numeric_limits<double>::quiet_NaN();
    double surfaceHigh = std::numeric_limits<double>::quiet_NaN();
    double liquid = std::numeric_limits<double>::quiet_NaN();
    double vapour = std::numeric_limits<double>::quiet_NaN();
    double solidLiquid = std::numeric_limits<double>::quiet_NaN();
    double solidVapourLow = std::numeric_limits<double>::quiet_NaN();
    double solidVapourHigh = std::numeric_limits<double>::quiet_NaN();
    bool covered() const { return source != nullptr; }
};
using SaltDiagramLookup = SaltDiagramPoint (*)(const ReferencePairs& pairs, const char* water, const char* salt,
                                               double T, double P_bar);
// The published data a program hands the rules of its models (ModelRange, PhaseRules):
// null where it has none.  The lookups read the tables of the reference
// fluids and their pairs that `tables` names (the pairs' table beside its
// fluids'), the library's standard ones where it is null: a model may be
// judged against a table with a fluid or pair of its own (the tables outlive
// the lookups that name them).
struct PhaseLookups {
    SolidLookup solidOf = nullptr;
    ReferenceVolumeLookup referenceVolumeOf = nullptr;
    HenryLookup henryOf = nullptr;
    SublimationLookup sublimationOf = nullptr;
    SolubilityLookup solubilityOf = nullptr;
    SolubilitySourceLookup solubilitySourceOf = nullptr;
    const ReferencePairs* tables = nullptr;
    SaltDiagramLookup saltDiagramOf = nullptr;

    const ReferencePairs& pairs() const;
    const ReferenceFluids& fluids() const;
    // Each lookup on these tables; none, NaN or null where it is not set
    // (the sublimation's solid volume NaN too).
    SolidField solid(const char* component, double T, double P_bar) const;
    double referenceVolume(const char* component, double T, double P_bar) const;
    double henry(const char* solvent, const char* solute, double T) const;
    double sublimation(const char* component, double T, double& solidVolume) const;
    SolubilitySource solubilitySource(const char* solvent, const char* solute) const;
    double solubility(const char* solvent, const char* solute, double T, double P_bar) const;
    SaltDiagramPoint saltDiagram(const char* water, const char* salt, double T, double P_bar) const;
};

// A state's temperature or pressure as it was given, for the messages that
// refuse it: the shortest digits that read back as the same number
// (1273.0000001 K stays 1273.0000001 K).
inline std::string givenDigits(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

struct ValidityRange {
    double Tmin = 0.0;
    double Tmax = std::numeric_limits<double>::infinity();
    double Pmin = 0.0;  // states at or below it are outside (a pressure above 0 always)
    double Pmax = std::numeric_limits<double>::infinity();
    // Below this temperature only the vapour is described (a state at a
    // pressure below the fluid's vapour pressure); 0: every state.
    double vapourOnlyBelow = 0.0;
    // Below vapourOnlyBelow the liquid's volume is described too, but not
    // its vapour pressure nor its heat capacities (an equation fitted to the
    // liquid's volumes, whose saturation lies off the fluid's): a state at
    // or above the fluid's vapour pressure is given as the model's liquid
    // root, its heat capacities withheld; its saturation, critical point
    // and curves stay those of the vapour alone.
    bool liquidVolume = false;
    // The model's density accuracy against its fluid's reference equation
    // (relative): between the fluid's critical temperature and a higher one
    // of the model, a state further off than this is given with its
    // departure said as a number (StateReport::noteOffReference); 0: none
    // said.
    double densityAccuracy = 0.0;
    // Tmin rises to the highest triple point of the model's components (a
    // family of equations for any component: below it the fluid is solid).
    bool fromTriplePoints = false;
    const char* source = nullptr;  // the publication, or how the range was found
    // Above this pressure the model still answers, but beyond the states its
    // source covers (a mixture rule fitted to lower pressures than its
    // components): the states there are extrapolated, and said to be once.
    double extrapolatedAbove = std::numeric_limits<double>::infinity();
    const char* extrapolationSource = nullptr;  // what ends there
    // Below this temperature the model still answers, beyond the states its
    // source covers (a mixture rule fitted from a higher temperature than its
    // components): said once, as above.
    double extrapolatedBelow = 0.0;
    const char* lowExtrapolationSource = nullptr;

    bool declared() const { return source != nullptr; }
    bool holdsTemperature(double T) const { return !declared() || (T >= Tmin && T <= Tmax); }
    // P above 0, at least Pmin and at most Pmax, T inside [Tmin, Tmax].
    bool holds(double T, double P_bar) const {
        return !declared() || (holdsTemperature(T) && P_bar > 0.0 && P_bar >= Pmin && P_bar <= Pmax);
    }

    // "from 273.15 to 1273.15 K and up to 8000 bar (its source)", with the
    // vapour-only limit when there is one.
    std::string describe() const {
        char buf[160];
        if (Pmin > 0.0)
            std::snprintf(buf, sizeof buf, "from %g to %g K and %g to %g bar", Tmin, Tmax, Pmin, Pmax);
        else if (Pmax < std::numeric_limits<double>::infinity())
            std::snprintf(buf, sizeof buf, "from %g to %g K and up to %g bar", Tmin, Tmax, Pmax);
        else
            std::snprintf(buf, sizeof buf, "from %g to %g K", Tmin, Tmax);
        std::string s = buf;
        if (extrapolatedAbove < Pmax) {
            std::snprintf(buf, sizeof buf, ", extrapolated above %g bar", extrapolatedAbove);
            s += buf;
        }
        if (extrapolatedBelow > Tmin) {
            std::snprintf(buf, sizeof buf, ", extrapolated below %g K", extrapolatedBelow);
            s += buf;
        }
        if (vapourOnlyBelow > 0.0) {
            std::snprintf(buf, sizeof buf,
                          liquidVolume ? ", below %g K for the vapour and the liquid's volume only"
                                       : ", below %g K for the vapour only",
                          vapourOnlyBelow);
            s += buf;
        }
        if (source) s += std::string(" (") + source + ")";
        return s;
    }
};
