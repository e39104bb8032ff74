#pragma once
// HGK: the water formulation of Haar, Gallagher and Kell (NBS/NRC Steam
// Tables, Hemisphere, 1984) as a fluid model: a base function (HGKbase), a
// residual function (HGKres) and the ideal-gas part (HGKid).  Everything else
// (state, fugacity, state functions, saturation, critical point) is the
// framework's work on the three trees.
#include "water/WaterEOS.h"

class HGK : public WaterEOS {
public:
    // phaseKind: 1 vapour, 2 liquid, 5 start from the stored vapour volume.
    explicit HGK(int phaseKind);
    ~HGK() override;

    // True between the liquid- and vapour-side spinodal fits (T in K, V in
    // m3/mol) and below 230 K; false at and above 647.13 K.
    bool isInstable(double T_, double V_) override;
};
