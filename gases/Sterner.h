#pragma once
// Sterner: the Sterner & Pitzer (1994) equation of state of carbon dioxide,
// one residual term (`SternerCO2`) and no ideal-gas term.  Its state
// functions therefore hold only what the residual term gives; its molar
// volumes and fugacity coefficients are complete.
#include "gases/CO2EOS.h"

class Sterner : public CO2EOS {
public:
    // kind: 1 vapour, 2 liquid (volume search from 2e-05 m3/mol), 5 stored vapour volume.
    explicit Sterner(int kind);
    ~Sterner() override;
};
