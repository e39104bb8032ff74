#include "magma/HollowayEOS.h"

#include "magma/Holloway.h"

HollowayEOS::HollowayEOS(int kind) : FluidPhase(1, kind, 0) {
    setModelName("Holloway EOS");
    interactions[0] = new Holloway();
    Vl0 = 4e-05;
    Vv0 = 0.04;
    FluidPhase::number_of_components(2);
    add_component("H2O");
    add_component("CO2");
    molar_mass[0] = 0.018;
    molar_mass[1] = 0.044;
}

HollowayEOS::~HollowayEOS() = default;
