#pragma once
// Base of the multiparameter residual terms of the reference equations of state.
// It adds nothing to Interaction: the terms of one family share a type.
#include "fluid/Interaction.h"

class MultiParInteraction : public Interaction {
public:
    MultiParInteraction() = default;
    ~MultiParInteraction() override = default;
};
