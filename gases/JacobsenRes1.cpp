#include "gases/JacobsenRes1.h"

// The 36 terms share 25 functions of delta: 22 damped powers and three
// Gaussian parts (terms 33 and 34 share theirs).
static_assert(ReferenceTermLeaf<JacobsenRes1::kTerms>::kFunctionsOfDelta == 25);

JacobsenRes1::JacobsenRes1()
{
    makeRoot(terms.separable.leaf, "terms1to36");
    setModelName("Jacobsen N2");
    setDebugLink();
}
