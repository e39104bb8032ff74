#pragma once
// IUPACCO2: the reference carbon-dioxide model, the IUPAC equation of state of
// CO2 (International Thermodynamic Tables of the Fluid State: Carbon Dioxide,
// 1976): one residual term (`IUPAC`) and one ideal-gas term (`IUPACCO2ID`).
#include "gases/CO2EOS.h"

class IUPACCO2 : public CO2EOS {
public:
    // kind: 1 vapour, 2 liquid (volume search from 3.5e-05 m3/mol), 5 stored vapour volume.
    explicit IUPACCO2(int kind);
    ~IUPACCO2() override;

    // Chebyshev expansions of this equation's own saturation curve, from the
    // triple point to its critical point.
    const char* saturationExpansionFile() const override { return "compo/saturation/IUPACCO2.txt"; }

    // Percent deviation of the other model's fugacity coefficient of component
    // 0 from this model's, 0 to 1200 degrees C and 1 to 10000 bar, to standard output.
    void compareWithIUPAC(FluidPhase* other);
};
