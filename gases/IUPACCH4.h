#pragma once
// IUPACCH4: the reference methane model, the IUPAC equation of state of
// methane (International Thermodynamic Tables of the Fluid State: Methane,
// 1978): one residual term (`IUPAC1`) and one ideal-gas term (`IUPAC1ID`).
// Its ideal term is zero outside the fugacity pass, so its state functions
// hold only the residual term's part; molar volumes and fugacity
// coefficients are complete.
#include "gases/CH4EOS.h"

class IUPACCH4 : public CH4EOS {
public:
    // kind: 1 vapour, 2 liquid (volume search from 3.5e-05 m3/mol), 5 stored vapour volume.
    explicit IUPACCH4(int kind);
    ~IUPACCH4() override;

    // Chebyshev expansions of this equation's own saturation curve, from the
    // triple point to its critical point.
    const char* saturationExpansionFile() const override { return "compo/saturation/IUPACCH4.txt"; }
};
