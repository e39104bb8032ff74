#pragma once
// Hill: the unified fundamental equation for water of P. G. Hill (J. Phys.
// Chem. Ref. Data 19, 1233 (1990)) as a fluid model: one residual term
// (HillRes, which also carries ln delta) and the ideal-gas part (Hillid).
#include "water/WaterEOS.h"

class Hill : public WaterEOS {
public:
    // phaseKind: 1 vapour, 2 liquid, 5 start from the stored vapour volume.
    explicit Hill(int phaseKind);
    ~Hill() override;
};
