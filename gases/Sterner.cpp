#include "gases/Sterner.h"

#include "gases/PlanckEinstein.h"
#include "gases/SternerCO2.h"

Sterner::Sterner(int kind) : CO2EOS(1, static_cast<short>(kind), 0)
{
    interactions[0] = new SternerCO2();
    // Sterner & Pitzer (1994): from 215 K to 2000 C, up to 10 GPa.
    validity = {.Tmin = 215.0, .Tmax = 2273.15, .Pmax = 100000.0, .source = "Sterner & Pitzer 1994"};
    // The residual term vanishes at zero density; the ideal gas of CO2
    // (Span & Wagner 1996) completes the state functions.
    ideal = new PlanckEinsteinIdeal(kSpanWagnerCO2);
    Vl0 = 2e-05;
    Vv0 = 2e-04;
    setModelName("Sterner & Pitzer CO2");
    FluidPhase::number_of_components(1);
    component_names[0] = "CO2";
    molar_mass[0] = 0.0440098;
    bulk_molar_weight = 0.0440098;
}

Sterner::~Sterner() = default;
