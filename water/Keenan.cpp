#include "water/Keenan.h"

#include "water/KeenanId.h"
#include "water/KeenanRes.h"

Keenan::Keenan(int kind) : WaterEOS(1, kind, 0)
{
    interactions[0] = new KeenanRes();
    ideal = new KeenanId();
    Vl0 = 1.8e-5;
    Vv0 = 2e-4;
    setModelName("Keenan");
    FluidPhase::number_of_components(1);
    add_components("H2O");
    molar_mass[0] = kMolarMass;
    bulk_molar_weight = kMolarMass;
}

Keenan::~Keenan() = default;
