#pragma once
// Solubility of CH4, CO2 or N2 in water and NaCl brine after Duan and
// co-workers: the standard chemical potential of the dissolved gas (mu/RT) and
// its interaction parameters with Na+ (lambda) and Na+ Cl- (zeta) are smooth
// functions of T and P; the vapour is the Duan equation of state, the brine
// density Mao & Duan's model, and the salt-lowered vapour pressure of water
// Shibue's correlation.  CH4 has two versions: Duan et al. (1992) and Duan &
// Mao (2006).  CO2 follows Duan & Sun (2003), N2 Mao & Duan (2006).
#include <memory>

#include "brines/SaltCorr.h"
#include "brines/SolubilityModel.h"

// A parameter of the aqueous model as a function of T (K) and P (bar), with
// its T and P derivatives.
struct DuanPar {
    double value = 0.0, dT = 0.0, dP = 0.0;
    double P = 0.0;  // bar
    double T = 0.0;  // K
    double c1 = 0, c2 = 0, c3 = 0, c4 = 0, c5 = 0, c6 = 0, c7 = 0, c8 = 0, c9 = 0, c10 = 0, c11 = 0;
    double Tref = 0.0;
    int form = 0;

    // value, and with order >= 1 dT and dP.  Unknown forms leave the record.
    void calculate(int order);
};

class DMGWwater : public SolubilityModel {
public:
    DMGWwater(SM_SystemType type, int version);
    // The published range of the system's model (refused outside it).
    void setFitRange();
    ~DMGWwater() override;

    void setSystemType(SM_SystemType type, int version) override;
    void changeModelVersion(int version) override;
    void calculate_vapour_fugacities() override;
    void calculate_aqueous_fugacities() override;
    void calculate_gas_partial_volume_() override;

    void setParametersForCH4();
    void setParametersForCO2();
    void setParametersForN2();
    void purge();

    std::unique_ptr<DuanPar> mu;      // mu/RT of the gas
    std::unique_ptr<DuanPar> lambda;  // gas-Na+
    std::unique_ptr<DuanPar> extra;   // held by CH4 version 0, not evaluated
    std::unique_ptr<DuanPar> zeta;    // gas-Na+-Cl-
    Shibue shibue;

private:
    bool parametersReady() const { return mu && lambda && zeta; }
};
