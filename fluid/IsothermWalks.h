#pragma once
// What the walks along one isotherm show while every root of it at one
// temperature and pressure is searched (FluidPhase::pressureRootsFromTP):
// the two volume searches, the check of each root they find and the scan
// of the isotherm ask the same questions of the same isotherm.
//   - Each verdict of a walk from a root to the end of its branch
//     (FluidPhase::stableToBranchEnd), with the samples it took: asked
//     again, the walk would take the same samples to the same verdict.
//   - Each stretch a walk found mechanically stable, with P(V) - P at its
//     ends: P falls monotonically along it, so that it holds at most one
//     root, which it holds where P(V) - P changes sign between its ends.
// Kept for the one search only: nothing of it outlives the call.
#include <cmath>
#include <vector>

struct IsothermWalks {
    struct Verdict {
        bool vapour = false;
        double V = 0.0, liquid = 0.0, T = 0.0, P = 0.0;  // the root, the liquid start; K, Pa
        int samples = 0;
        bool onBranch = false;
    };
    // A stable stretch from uLow to uHigh (ln V) at T (K) and P (Pa), with
    // f = P(V) - P at its ends (NaN: not sampled at this pressure).
    struct Stretch {
        double T = 0.0, P = 0.0;
        double uLow = 0.0, fLow = NAN, uHigh = 0.0, fHigh = NAN;
    };
    std::vector<Verdict> verdicts;
    std::vector<Stretch> stretches;
    // The vapour search put off until the scan has its brackets, and the
    // root found (m3/mol) above which a bracket calls for it.
    bool vapourSearchDeferred = false;
    double deferredAbove = 0.0;

    const Verdict* verdictOf(bool vapour, double V, double liquid, double T, double P) const {
        for (const Verdict& v : verdicts)
            if (v.vapour == vapour && v.V == V && v.liquid == liquid && v.T == T && v.P == P) return &v;
        return nullptr;
    }
};
