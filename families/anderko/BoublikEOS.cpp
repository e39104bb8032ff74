#include "families/anderko/BoublikEOS.h"

#include "families/anderko/Boublik.h"
#include "water/HGKid.h"

BoublikEOS::BoublikEOS(int phaseKind) : FluidPhase(1, phaseKind, 0) {
    interactions[0] = new Boublik();
    // HGK's ideal gas of water, completed for a term that carries -ln V.
    ideal = new HGKIdealGas();
    Vl0 = 2e-05;
    Vv0 = 0.0002;
}

BoublikEOS::~BoublikEOS() = default;

Boublik* BoublikEOS::term() const { return static_cast<Boublik*>(interactions[0]); }

void BoublikEOS::set_hard_sphere_diameter(int i, double d) { term()->set_hard_sphere_diameter(i, d); }
