#pragma once
// What the search of an isotherm's roots (FluidPhasePressureRoots.cpp) and
// the choice of the stable state among them (FluidPhaseStableState.cpp)
// share: the tolerances and steps of the walks and scans, and the tests a
// root found passes.
#include <cmath>
#include <vector>

#include "fluid/FluidPhase.h"

namespace root_search {

// Roots closer than this (relative) are one root found by both searches.
inline constexpr double kSameRoot = 1e-6;

// Around the saturation pressure the roots' Gibbs energies differ by
// (V_l - V_v)(P - psat): within this relative distance of psat (far wider
// than the saturation solve's residual) both roots are found and compared
// rather than ranked by the side of psat.
inline constexpr double kSaturationBand = 1e-4;
// A compressed liquid is denser than the saturated liquid, a superheated
// vapour lighter than the saturated vapour, to the solvers' tolerance.
inline constexpr double kBeyondSaturation = 1e-6;
// Points of the scan that completes the two searches (every root of an
// isotherm with a loop), and of the one of a supercritical isotherm where the
// one search fails (a single root, a single change of sign).
inline constexpr int kFullScanSteps = 2000;
inline constexpr int kCoarseScanSteps = 100;
// The scan samples P and dP/dV every kScanStride of its steps and takes
// every step only where a root or a loop of P(V) may lie between two
// samples.
inline constexpr int kScanStride = 16;
// The longest span (ln V) of strides the scan passes without their own
// samples: the longest step of a walk along the isotherm.
inline constexpr double kLongestSpan = 0.5;
// Steps (factor in V, most steps) of the walk along a branch of the isotherm
// to its metastable root.
inline constexpr double kBranchStep = 1.01;
inline constexpr int kBranchSteps = 2000;
inline constexpr int kStride = 8;  // steps of the walk's strides
inline constexpr double kFinestBranchStep = 1e-5;  // ln V

// Saturated volumes closer than this factor: within about 1e-4 K of the
// critical temperature (water, nitrogen), where the expansions end.
inline constexpr double kShallowLoop = 1.02;

bool sameRoot(double a, double b);
// Whether the volume v lies nearer (in ln V) to `own` than to `other`.
bool nearerTo(double v, double own, double other);
// Whether the volume v is a root of the liquid's (vapour's) side: beyond the
// saturated volume, to the solvers' tolerance; near the saturation pressure,
// where a root may be metastable, nearer its own saturated volume than the
// other's.
bool onSideOf(double v, bool liquid, double Vl, double Vv, bool nearSaturation);
// The liquid (smallest volume) and the vapour (largest volume) of the roots;
// the vapour is none when it is the liquid.
FluidPhase::PhaseRoots rootsOf(const std::vector<FluidPhase::PhaseRoot>& found);
// The phase's state at its T and V is a root at P (bar) (see its definition);
// its volume and Gibbs energy into V_ and G_ when it is.
bool acceptRoot(FluidPhase& p, double P_bar, double& V_, double& G_);

}  // namespace root_search
