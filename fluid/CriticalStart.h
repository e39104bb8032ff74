#pragma once
// The critical point from which a pure fluid's saturation curve or its
// spinodals are traced.
class FluidPhase;

// Searches the critical point from (T0, V0) at the model's composition; the
// trial states of the search say nothing.  True with the model at the
// critical point (with stateFunctions, its fugacities and state functions
// computed); false, with
// errorflag set and one sentence naming the model, its composition and its
// range, when there is none.  `curve` says what starts there ("saturation curve
// starts").
bool criticalPointToStartFrom(FluidPhase& p, double T0, double V0, const char* curve, bool stateFunctions);
