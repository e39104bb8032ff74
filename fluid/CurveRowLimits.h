#pragma once
// The limits a curve of the command interpreter holds its rows to
// (FluidPhase::curveRowLimits, set by StateReport::withCurveRowLimits).
#include <functional>

// By default every state of an isotherm or isochore is written as the model
// gives it.  The interpreter's curves write at each row the state it prints
// at the row's temperature and volume (its TV command): `printedState(T, P,
// V)` (K, bar, m3/mol) leaves the model at that state, with the quantities
// the printer withholds as NaN, and is true; where the printer refuses the
// state, or a solid deposits there, it is false and the row is written with
// NaN for all but its T and V.
struct CurveRowLimits {
    double splitPmin = 0.0, splitPmax = -1.0;  // bar
    // An isotherm leaves its states between splitPmin and splitPmax out
    // (the loop of a model whose critical point lies above its fluid's):
    // how many, and their volumes (m3/mol).
    long leftOut = 0;
    double leftOutVmin = 0.0, leftOutVmax = 0.0;
    bool splitBand() const { return splitPmax >= splitPmin; }
    std::function<bool(double T_, double P_bar, double V_)> printedState;
    // Where set, a binary's row the curve finds no stable state of one phase
    // (its root at that volume below another phase's tangent plane, or
    // between the spinodals) is handed here, to be said with the rows the
    // interpreter's own stability test splits, in one sentence per curve;
    // where not, the curve says them itself.
    std::function<void(double T_, double P_bar, double V_)> unstableRow;
};
