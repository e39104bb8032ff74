#pragma once
// Through one curve of the interpreter, a pure fluid's roots at the last
// (T, P) its stable state was searched at are kept for the model held: each
// row's state and its note on the reference density ask for the roots of the
// same isotherm at the same T and P, a scan of 2000 volumes each.  What is
// kept is what the search finds for the same model, parameters and
// composition; any other call searches again.
class FluidPhase;

// Holds `model` (nullptr: none) and forgets every root kept before.
void holdPressureRoots(const FluidPhase* model);
