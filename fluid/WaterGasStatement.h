#pragma once
// The fluid's statement of water and a gas (the pairs' rows whose judgement
// is PairJudgement::kWaterAndGas): above water's vapour pressure the gas the
// liquid water holds and the water the gas holds, each by its best source
// (a published solubility, Henry's law, water's fugacity coefficient in the
// compressed gas, Raoult's law), judge the mixture together; below it no
// liquid forms.  T in K, P in bar.
#include <cmath>
#include <string>

#include "fluid/PhaseRules.h"

class WaterGasStatement : public PhaseRules {
public:
    using PhaseRules::PhaseRules;

    // The statement at T and P beside the model's answer (whichever of water
    // and the gas is the larger share); empty where no source covers it.
    FluidStatement waterAndGasAt(double T_, double P_bar, const ModelAnswer& model) const;
    // Water's fugacity coefficient at mole fraction y in the gas of
    // component 1 - w (Peng & Robinson with the pair's binary constant), NaN
    // without one; `gasRoot` on the gas's own root where the mixture as a
    // whole would be a liquid (water beyond what the gas carries).
    double waterInGasFugacityCoefficient(int w, double y, double T_, double P_bar, bool gasRoot = false) const;
    // The band of its logarithm from the pair's binary constant's
    // uncertainty (half the spread of ln phi across it); 0 without one.
    double binaryConstantBand(int w, double y, double T_, double P_bar, bool gasRoot = false) const;

private:
    // The model's answer said beside the statement: its split's phases by
    // their shares, else its one phase.
    std::string modelAnswer(int w, const ModelAnswer& model) const;
    // A phase's capacity for the other component (mole fractions): its
    // content, the band that holds the fluid, and what the statement says
    // of it; value NaN where no source covers the state.
    struct Capacity {
        double value = std::nan(""), low = std::nan(""), high = std::nan("");
        const char* word = "one phase";  // the verdict where the mixture lies within it
        bool laws = false;               // Raoult's or Henry's law (not a measured content)
        std::string text;
    };
    // Of `solute` in a `solvent`-rich `phase` ("liquid", "phase") by the
    // publication the pair's row names, with its stated uncertainty.
    Capacity publishedCapacity(const char* solvent, const char* solute, double T_, double P_bar,
                               const char* phase) const;
    // Of the gas in water's liquid (w the water's index): published, else
    // by Henry's law; `dilute` false where that law's share lies beyond a
    // dilute solution.
    Capacity waterLiquidCapacity(int w, double T_, double P_bar, double psat, bool& dilute) const;
    // Water's liquid holding a dilute share of the gas where Henry's law's
    // saturated share lies beyond a dilute solution (`liquid` that law's).
    FluidStatement waterBeyondDiluteHenryAt(int w, double T_, double P_bar, double psat, const Capacity& liquid,
                                            const ModelAnswer& model) const;
    // Of water in the gas beside that liquid: published, else by water's
    // fugacity coefficient in the compressed gas, else by Raoult's law.
    Capacity gasWaterCapacity(int w, double T_, double P_bar, double psat, const Capacity& liquid) const;
};
