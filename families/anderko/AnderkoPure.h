#pragma once
// One-component members of the Anderko family, with dispersion terms fitted
// to the pure fluid: AnderkoH2O (hard spheres, dipole, water dispersion) and
// AnderkoCO2 (hard spheres, CO2 dispersion).  The hard-sphere term carries
// the ideal gas's -ln V, the Standard ideal gas of the fluid its temperature
// part.
#include "gases/CO2EOS.h"
#include "water/WaterEOS.h"

class AnderkoH2O : public WaterEOS {
public:
    explicit AnderkoH2O(int phaseKind);
    ~AnderkoH2O() override;
};

class AnderkoCO2 : public CO2EOS {
public:
    explicit AnderkoCO2(int phaseKind);
    ~AnderkoCO2() override;

    // Least-squares fit of four dispersion parameters to seven pressures
    // measured at 473.15 K; the report goes to standard output.  The trial
    // parameters reach the term through CO2Disp::setFittingParameters, which
    // keeps the published ones.
    void fitParameters();
    void equationToFit(double* x, double* p, double& F, double& G, double* extra, std::int16_t& err);
};
