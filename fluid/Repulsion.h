#pragma once
// Base of the repulsion terms (hard-body and co-volume terms).
// It adds nothing to Interaction: the terms of one family share a type.
#include "fluid/Interaction.h"

class Repulsion : public Interaction {
public:
    Repulsion() = default;
    ~Repulsion() override = default;
};
