#pragma once
// SecDic: damped secant steps until the root is bracketed (a positive and a
// negative value of f seen), then bisection on the best bracket.  SecantBracket
// holds the fields it shares with SecMul.
#include <cstdint>

#include "numerics/Solver.h"

class SecantBracket : public Solver {
public:
    double f0 = 0.0, f1 = 0.0;       // f at x0 and x1
    double fpos = 0.0, fneg = 0.0;   // f at the positive and negative bracket ends
    double xpos = 0.0, xneg = 0.0;   // the bracket ends
    std::int16_t monotone = 0;       // nonzero rejects secant steps that increase |f|

protected:
    // The secant phase.  Returns true when both signs have been seen (the bracket
    // phase follows), false when the search ended there with `result`.
    // improveAtStart: f(x1) may improve an existing end; improveInSearch: so may
    // every secant point.
    bool secantPhase(bool improveAtStart, bool improveInSearch, double& result);
    // The secant phase, then bracketStep (bisection or interpolation) from the
    // bracket it found.  Ends of the same sign end the search with status
    // sameSignStatus and 0.
    double solveBracketed(bool improveAtStart, bool improveInSearch, SolverStatus sameSignStatus,
                          double (*bracketStep)(Solver&, double, double, bool));
    bool hasPos = false, hasNeg = false;
};

class SecDic : public SecantBracket {
public:
    // Returns the final point; the outcome is in `status`.
    double solve();
};
