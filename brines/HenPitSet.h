#pragma once
// A light solubility calculator: the mole fraction of each dissolved gas is
// its vapour fugacity over a Henry constant (salt effects folded into H), and
// the water activity of the brine comes from Pitzer's NaCl model.  The vapour
// is a closed-form SRK model, created with the calculator.
#include <memory>

#include "fluid/FluidPhase.h"
#include "fluid/Phase.h"

class WagnerPruss;

class HenPitSet : public Phase {
public:
    HenPitSet();
    ~HenPitSet() override;

    // Type 1: closed-form SRK (replaces the current vapour model); other types
    // leave no vapour model.
    void setVapourModel(int type);
    void read_component_data(int index, const char* name) override;
    void read_remaining_component_data() override;
    // Henry constant (Pa) of component i at the model's T and P, salt effects
    // included; NaN (reported) for a gas whose salting-out is not known in a brine.
    double calculateHenryConstant(int i);
    void calculate_salt_effect();
    // Mole fractions of the gases, water and salt; errorflag 1 when a gas has no Henry constant.
    void describe() override;
    double getWaterActivity() const { return waterActivity; }
    void test(int which);

    int gasCount = 0;
    int iw = -1, ig = -1, is = -1;
    double ms = 0.0;
    double waterActivity = 0.0;
    double osmoticCoefficient = 0.0;
    std::unique_ptr<WagnerPruss> water;
    std::unique_ptr<FluidPhase> vapour;
    int vapourModelType = 1;
    int version = 0;
    std::vector<double>& activity = aux1;
    std::vector<double>& henryConstant = aux2;
};
