#pragma once
// Sterner: the Sterner & Pitzer (1994) equation of state of carbon dioxide,
// one residual term (`SternerCO2`), which vanishes at zero density, and the
// ideal gas of CO2 of Span & Wagner (1996) as ideal-gas term, so that its
// state functions (h, s, cv, cp, w) are those of the fluid.
#include "gases/CO2EOS.h"

class Sterner : public CO2EOS {
public:
    // kind: 1 vapour, 2 liquid (volume search from 2e-05 m3/mol), 5 stored vapour volume.
    explicit Sterner(int kind);
    ~Sterner() override;
};
