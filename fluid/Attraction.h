#pragma once
// Base of the attraction terms (dispersion, dipole and the like).
// It adds nothing to Interaction: the terms of one family share a type.
#include "fluid/Interaction.h"

class Attraction : public Interaction {
public:
    Attraction() = default;
    ~Attraction() override = default;
};
