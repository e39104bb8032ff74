#pragma once
// BoublikEOS: a fluid of hard spheres alone, the Boublik term with the HGK
// ideal-gas part, for studies of the hard-sphere fluid.  The caller sets the
// components (through the framework) and then the diameters.
#include "fluid/FluidPhase.h"

class Boublik;

class BoublikEOS : public FluidPhase {
public:
    explicit BoublikEOS(int phaseKind);
    ~BoublikEOS() override;

    // Diameter (m) of component i of the hard-sphere term.
    void set_hard_sphere_diameter(int i, double d);
    Boublik* term() const;
};
