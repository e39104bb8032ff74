#pragma once
// Keenan: the water equation of Keenan, Keyes, Hill and Moore (Steam Tables,
// Wiley 1969) as a fluid model: one residual term (KeenanRes, which also
// carries ln rho) and the ideal-gas part (KeenanId).
#include "water/WaterEOS.h"

class Keenan : public WaterEOS {
public:
    // kind: 1 vapour, 2 liquid, 5 start from the stored vapour volume.
    explicit Keenan(int kind);
    ~Keenan() override;
};
