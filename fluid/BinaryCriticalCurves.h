#pragma once
// The measured critical curves of binaries whose two-phase region reaches
// above the critical temperature of the less volatile component, entered as
// published: above such a curve the mixture is one fluid at every
// composition, whatever an equation of state splits it into there.  The
// curves are the pairs' rows of the reference table (ReferencePair).
#include <string>

class ReferencePairs;

namespace criticalcurve {

// The temperature (K) of the published critical curve of the pair a-b (in
// either order) of `pairs` at P (bar); NaN for a pair without a curve there
// or a pressure outside the measured curve.
double publishedCriticalTemperature(const ReferencePairs& pairs, const char* a, const char* b, double P_bar);

// Whether (T, P) lies above the published critical curve of a-b by more than
// the scatter of its measurements (growing from none at the pure
// component's critical point where it starts), where the mixture is one fluid at every
// composition; `why` (if given) is set to the sentence that says so, naming
// the curve's temperature at P and its sources.
bool oneFluidAboveCriticalCurve(const ReferencePairs& pairs, const char* a, const char* b, double T, double P_bar,
                                std::string* why = nullptr);

}  // namespace criticalcurve
