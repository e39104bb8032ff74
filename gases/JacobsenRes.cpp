#include "gases/JacobsenRes.h"

JacobsenRes::JacobsenRes()
{
    makeRoot(terms.separable.leaf, "terms");
    setModelName("Jacobsen N2 (28 terms)");
    setDebugLink();
}
