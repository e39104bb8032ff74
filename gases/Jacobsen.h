#pragma once
// Jacobsen: the reference nitrogen model, the equation of state of Span,
// Lemmon, Jacobsen, Wagner & Yokozeki (J. Phys. Chem. Ref. Data 29, 1361,
// 2000): the residual term `JacobsenRes1` and the ideal-gas term
// `JacobsenId`, reduced by Tc = 126.192 K and 11183.9 mol/m3.
#include "gases/N2EOS.h"

class Jacobsen : public N2EOS {
public:
    // kind: 1 vapour, 2 liquid (volume search from 3.2e-05 m3/mol), 5 stored vapour volume.
    explicit Jacobsen(int kind);
    ~Jacobsen() override;

    // Chebyshev expansions of this equation's own saturation curve, from the
    // triple point to its critical point.
    const char* saturationExpansionFile() const override { return "compo/saturation/Jacobsen.txt"; }
};
