#pragma once
// SecMul: damped secant steps until the root is bracketed, then the bracketing
// interpolation of Muller on the best bracket.
#include "numerics/SecDic.h"

class SecMul : public SecantBracket {
public:
    // Returns the final point; the outcome is in `status`.
    double solve();
};
