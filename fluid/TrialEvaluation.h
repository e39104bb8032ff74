#pragma once
// A trial evaluation at a state a solver proposes: the calculations run in
// order while none of them sets the error flag, and the flag the phase carried
// before is restored afterwards (a failed trial is the solver's business, not
// a failure of the phase).  True when every calculation succeeded.
#include "fluid/ErrorFlagScope.h"
#include "fluid/FluidPhase.h"

template <class... Calculation>
bool trialEvaluation(FluidPhase& p, Calculation... calculations) {
    const ErrorFlagScope trial(p);
    ((p.errorflag == 0 ? (p.*calculations)() : void()), ...);
    return !trial.failed();
}
