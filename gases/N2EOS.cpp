#include "gases/N2EOS.h"

N2EOS::N2EOS(int nInteractions, int phaseKind, char withVenturi) : FluidPhase(nInteractions, phaseKind, withVenturi)
{
    Tmin = 40.0;
}

N2EOS::~N2EOS() = default;
