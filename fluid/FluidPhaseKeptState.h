#pragma once
// The state a fluid model keeps between calls of its stable state from
// (T, P) at the cost of a search (FluidPhaseStableState.cpp): each entry
// holds what it was found for (start, composition, parameterRevision) and
// is taken again only for the same.
#include <vector>

// The model's own liquid-vapour critical point, searched once from its start
// (critical_T, critical_V) and kept while the model stays the same: the same
// start, composition and parameters (parameterRevision); any change and it is
// searched again.
struct KeptCriticalPoint {
    bool searched = false, found = false;
    double startT = 0, startV = 0;  // K, m3/mol
    unsigned long revision = 0;
    std::vector<double> x;
    double T = 0, P = 0, V = 0;  // K, Pa, m3/mol
    // The approach to it (saturationApproachingCritical): (dP/dT)V
    // (Pa/K) and the spread of the saturated volumes (m3/(mol K^1/2));
    // approach true once they are evaluated, spread NaN where they fail.
    bool approach = false;
    double dPdT = 0, dPdTdV = 0, spread = 0;
};
// The count of stable roots (stablePressureRootCount) of the last trial
// phase searched (trialRootFromTP), with its T (K), P (bar),
// composition and the model's parameters (parameterRevision).
struct TrialRootCount {
    double T = 0.0, P = 0.0;
    std::vector<double> x;
    unsigned long revision = 0;
    int count = 0;
    bool unheld = false;  // no kept root of a curve could start it
};
// The saturation state of the plain pure fluid at the last temperature
// it was solved for (saturationForStablePhase), for the parameters and
// composition it was solved with: a run of states at one temperature
// solves it once.
struct KeptSaturation {
    bool kept = false, found = false;
    double T = 0, psat = 0, Vl = 0, Vv = 0;  // K, Pa, m3/mol
    unsigned long revision = 0;
    std::vector<double> x;
};
