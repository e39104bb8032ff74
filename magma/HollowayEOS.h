#pragma once
// HollowayEOS: the H2O-CO2 fluid of the modified Redlich-Kwong term Holloway
// (magma/Holloway.h) as a FluidPhase with two components, "H2O" (index 0) and
// "CO2" (index 1), and the Standard ideal gas of the two.  Users set the composition, the
// temperature (K) and the pressure (bar), then calculate_molar_volume() and
// calculate_fugacities(), and read V (m3/mol) and fugacity[0], fugacity[1] (Pa).
//
// Holloway's quartic a(H2O, T), which serves from 400 to 600 C, fits volumes
// and fugacities, but its temperature derivatives are no water's: its second
// derivative changes sign twice (at 484 and 619 C), so the residual cv of
// dense water swings from +450 J/(mol K) at 400 C to -110 at 550 C.  A fluid
// holding water below 600 C therefore gives its state, pressure, dP/dV and
// fugacities, but no energies, heat capacities, sound speed or temperature
// derivatives (NaN, said once per temperature): its dP/dT of dense water lies
// 20 to 130 % off IAPWS-95.
#include "fluid/FluidPhase.h"

class HollowayEOS : public FluidPhase {
public:
    // kind: 1 vapour, 2 liquid, 5 start the volume search from the vapour volume.
    explicit HollowayEOS(int kind);
    ~HollowayEOS() override;

    void calculate_fugacities() override;
    void calculate_state_functions() override;

    // Pure CO2 along the 1073.15 K isotherm from 100 to 4900 bar against the
    // Sterner CO2 model, one row per 100 bar on standard output.
    void test(int);

private:
    // True, after one warning per temperature, when the state holds water
    // below 600 C, where the temperature derivatives are withheld.
    bool withholdsTemperatureDerivatives();
    double withheldTemperature = 0.0;  // last temperature said to give no energies
};
