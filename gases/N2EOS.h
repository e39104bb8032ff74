#pragma once
// N2EOS: base of the nitrogen models, a FluidPhase with the preset of
// nitrogen (lowest curve temperature 40 K).
#include "fluid/FluidPhase.h"

class N2EOS : public FluidPhase {
public:
    N2EOS(int nInteractions, int phaseKind, char withVenturi);
    ~N2EOS() override;
};
