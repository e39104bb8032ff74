#pragma once
// WagnerPruss: the reference equation of state of ordinary water, the IAPWS-95
// formulation (Wagner & Pruss, J. Phys. Chem. Ref. Data 31, 387 (2002)),
// written as a fluid model of two expression trees: the residual part
// (`Wagner`) and the ideal-gas part (`Wagnerid`), both over delta = Vc/V and
// tau = Tc/T.  Pressure, volume, fugacities, state functions and saturation
// states come from the framework's generic operations on the two trees.
#include "water/WaterEOS.h"

class WagnerPruss : public WaterEOS {
public:
    // phaseKind picks the start of the volume search: 1 vapour, 2 liquid,
    // 5 the stored vapour volume.
    explicit WagnerPruss(int phaseKind);
    ~WagnerPruss() override;

    // Chebyshev expansions of this equation's own saturation curve, from the
    // triple point to its critical point.
    const char* saturationExpansionFile() const override { return "compo/saturation/WagnerPruss.txt"; }

    // True inside the spinodal region (the framework's property grids skip such states).
    bool isInstable(double T_, double V_) override;
    // Surface tension of water against its vapour (IAPWS 1994) at the phase
    // temperature, into `sigma`; the two volumes are not needed.
    void calculateSigma(double Vl, double Vv) override;
    // Where the start of the saturation solvers is water's start at T
    // (initializeSaturationVolumesFromT, from its fits), the volumes of the
    // auxiliary equations of the saturated liquid and vapour densities
    // published with IAPWS-95, closer to the equation's own: from 273.16 K to
    // 646 K.
    bool ownSaturationStart(double T_, double& Vl, double& Vv) override;
    // The volume search's start: the volume of IAPWS-IF97 (regions 1 and 2)
    // of the phase kind at the model's T and P, within about 1e-3 of the root.
    double explicitVolumeStart() override;
    // Prints phi0 and phi_r at 500 K and 838.025 kg/m3 against the IAPWS-95
    // verification values, the residual tree and its numeric derivative check.
    void checkInteractions();
};
