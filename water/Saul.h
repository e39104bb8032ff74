#pragma once
// Saul: the 58-term water equation of Saul and Wagner (J. Phys. Chem. Ref.
// Data 18, 1537 (1989)) as a fluid model: one residual term (Saul58, which
// also carries -ln V) and the ideal-gas part (Saulid).
#include "water/WaterEOS.h"

class Saul : public WaterEOS {
public:
    // phaseKind: 1 vapour, 2 liquid, 5 start from the stored vapour volume.
    explicit Saul(int phaseKind);
    ~Saul() override;

    // True between the liquid- and vapour-side spinodal fits (T in K, V in
    // m3/mol) and below 230 K; false at 230 K and at and above 647.07 K.
    bool isInstable(double T_, double V_) override;
};
