#pragma once
// The limits a curve of the command interpreter holds its rows to
// (FluidPhase::curveRowLimits, set by StateReport::withCurveRowLimits).
#include <functional>
#include <limits>

#include "fluid/ValidityRange.h"

// Pressures (bar) outside which a state of an isotherm or isochore is
// written with NaN for all but its T and V, and the count of such
// states: the interpreter sets them from the model's range (far above
// it lie the loops a multiparameter equation has inside the two-phase
// region, at tens of kilobars; a stretched liquid's negative pressures
// are kept, as the loop drawn).  By default every state is written.
// Below vapourOnlyBelow (K) a state at or above the vapour pressure of
// `fluid` (its ancillary equations), or denser than the geometric mean of
// its saturated volumes, is withheld too: a liquid the model does not
// describe.
struct CurveRowLimits {
    double Pmin = -std::numeric_limits<double>::infinity(), Pmax = std::numeric_limits<double>::infinity();
    double vapourOnlyBelow = 0.0;
    const char* fluid = nullptr;
    // The fluid whose vapour pressure and saturated volumes bound the
    // vapour below vapourOnlyBelow: `fluid`, or a binary's solvent.
    const char* vapourFluid = nullptr;
    // A state where `fluid` is solid is withheld too (a supercooled
    // liquid only where `supercooled`).
    SolidLookup solidOf = nullptr;
    bool supercooled = false;
    double splitPmin = 0.0, splitPmax = -1.0;  // bar; withheld between them
    long withheld = 0;
    // An isotherm leaves its states between splitPmin and splitPmax out
    // (the loop of a model whose critical point lies above its fluid's):
    // how many, and their volumes (m3/mol).
    long leftOut = 0;
    double leftOutVmin = 0.0, leftOutVmax = 0.0;
    bool splitBand() const { return splitPmax >= splitPmin; }
    // A state further from its fluid's reference density than the
    // model's accuracy (PhaseRules::referenceVolumeIfOff) is withheld
    // too, and counted apart; none without the test.
    std::function<bool(double T_, double P_bar, double V_)> isOffReference;
    long offReference = 0;
    bool holds(double T_, double P_bar, double V_) const;
};
