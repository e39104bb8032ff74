#pragma once
// One-component fluid made of the BWR term, for the two Lee-Kesler fluids:
// "C1" takes the simple-fluid constants, "C8" the reference-fluid (n-octane)
// constants.  The term is written in T and V themselves, so the phase's
// temperature and volume are the reduced ones; a fluid in reduced variables
// has no ideal-gas heat capacity, so the model gives pressures, fugacities
// and saturation states but no state functions (they fail, said once).
#include "fluid/FluidPhase.h"

class BWR;

class BWREOS : public FluidPhase {
public:
    explicit BWREOS(int phaseKind);
    ~BWREOS() override = default;

    // A count other than 1 is reported; the phase is sized all the same.
    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;

    BWR* term() const;
};
