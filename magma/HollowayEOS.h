#pragma once
// HollowayEOS: the H2O-CO2 fluid of the modified Redlich-Kwong term Holloway
// (magma/Holloway.h) as a FluidPhase with two components, "H2O" (index 0) and
// "CO2" (index 1), and the Standard ideal gas of the two.  Users set the composition, the
// temperature (K) and the pressure (bar), then calculate_molar_volume() and
// calculate_fugacities(), and read V (m3/mol) and fugacity[0], fugacity[1] (Pa).
#include "fluid/FluidPhase.h"

class HollowayEOS : public FluidPhase {
public:
    // kind: 1 vapour, 2 liquid, 5 start the volume search from the vapour volume.
    explicit HollowayEOS(int kind);
    ~HollowayEOS() override;

    // Pure CO2 along the 1073.15 K isotherm from 100 to 4900 bar against the
    // Sterner CO2 model, one row per 100 bar on standard output.
    void test(int);
};
