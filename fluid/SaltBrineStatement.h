#pragma once
// The fluid's statement of water and a non-volatile salt (the pairs' rows
// whose judgement is PairJudgement::kSaltBrine).  The salt is never judged
// by water's vapour pressure: a brine below it is steam with brine, a liquid
// below its own vapour pressure, or beside the salt's solid, never one
// vapour beyond a trace.  Where the pair's row names a published phase
// diagram (PhaseLookups::saltDiagramOf) the statement takes its word from
// the diagram's vapour-liquid surface and its solid's saturation; without
// one it says only that the brine is not one vapour.  T in K, P in bar.
#include <string>

#include "fluid/PhaseRules.h"

class SaltBrineStatement : public PhaseRules {
public:
    using PhaseRules::PhaseRules;

    // The diagram's compositions (the salt's mole fractions) taken within
    // these of their values: the liquid's (the surface's liquid, the
    // liquidus) relative, the vapour's (orders of magnitude apart in the
    // measurements it is fitted to) as a factor either way.
    static constexpr double kLiquidUncertainty = 0.05;
    static constexpr double kVapourFactor = 2.0;

    // The statement at T and P beside the model's answer; empty where no
    // source covers the state.
    FluidStatement saltBrineAt(double T_, double P_bar, const ModelAnswer& model) const;
    // A brine of three components, water, a non-volatile salt (its pair's
    // row judged as such) and a volatile third: below water's critical
    // temperature, holding a trace of the salt or more, not one vapour,
    // whatever the third (no published diagram of the three here says
    // more); empty elsewhere.
    FluidStatement ternaryBrineAt(double T_, const ModelAnswer& model) const;

private:
    // By the published diagram `d` at the mixture's salt share xs (below
    // water's critical temperature where `liquidWater`).
    FluidStatement byDiagram(const SaltDiagramPoint& d, const char* salt, double xs, double T_, double P_bar,
                             bool liquidWater) const;
    // Whether the diagram's word agrees with the model's answer.
    static bool agreesWith(const std::string& word, const ModelAnswer& model);
    // The model's answer said beside the statement, in the salt's shares.
    std::string besideModel(int w, const ModelAnswer& model) const;
};
