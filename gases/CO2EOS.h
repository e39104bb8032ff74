#pragma once
// CO2EOS: base of the carbon-dioxide models, a FluidPhase with the presets of
// CO2 (critical-point start values, lowest curve temperature).
#include "fluid/FluidPhase.h"

class CO2EOS : public FluidPhase {
public:
    CO2EOS(short nInteractions, short phaseKind, char withVenturi);
    ~CO2EOS() override;

    // Molar volumes of this model against a correlation of measured CO2 molar
    // volumes at 408.2 and 610.2 degrees C, 1500 to 8000 bar (the argument is
    // not read); the table goes to standard output and ends with the average
    // absolute deviation.
    void compareShmonovData(FluidPhase* other);
};
