#pragma once
// Through one curve of the interpreter, a pure fluid's roots at the last
// (T, P) its stable state was searched at are kept for the model held: each
// row's state and its note on the reference density ask for the roots of the
// same isotherm at the same T and P, a scan of 2000 volumes each (a
// mixture's note, twice a row, those of its model at the solvent's end).
// What is kept is what the search finds for the same model, parameters and
// composition; any other call searches again.  The roots of the stability
// test's trials are kept too, as starts for the next row's
// (FluidPhase::trialRootFromTP).
class FluidPhase;

// Holds `model` (nullptr: none) and forgets every root kept before.
void holdPressureRoots(const FluidPhase* model);
