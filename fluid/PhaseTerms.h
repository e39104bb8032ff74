#pragma once
// Sums over the terms of a phase: the interactions in their order, then the
// ideal part.
#include "fluid/FluidPhase.h"

namespace phase_terms {

// Runs `evaluate` on every term and hands each evaluated term to `add`;
// false at the first term whose evaluation sets termError (the terms after it
// are not evaluated).
template <void (Interaction::*evaluate)(), class Add>
bool sumOverTerms(FluidPhase& p, Add&& add) {
    p.keepHoldValid();
    for (Interaction* t : p.interactions) {
        (t->*evaluate)();
        if (t->termError) return false;
        add(*t);
    }
    if (p.ideal) {
        (p.ideal->*evaluate)();
        if (p.ideal->termError) return false;
        add(*p.ideal);
    }
    return true;
}

}  // namespace phase_terms
