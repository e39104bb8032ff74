#pragma once
// CH4EOS: base of the methane models, a FluidPhase with the presets of
// methane, closed-form saturation correlations of methane and two
// homogenisation-temperature solvers seeded from them.
//
// Units of the correlations: T in K, mass density in kg/m3 (0.016/V for a
// molar volume V in m3/mol), pressure in bar.  They check nothing: outside the
// two-phase range of methane (about 90 to 190.555 K) they return whatever
// their formulas give.
#include "fluid/FluidPhase.h"

class Newton;

class CH4EOS : public FluidPhase {
public:
    CH4EOS(int nInteractions, int phaseKind, char withVenturi);
    ~CH4EOS() override;

    double get_saturation_temperature_from_liquid_density(double rho);
    double get_saturation_liquid_density_from_temperature(double T_);
    double get_saturation_vapour_density_from_temperature(double T_);
    double get_saturation_pressure_from_temperature(double T_);
    double get_saturation_temperature_from_vapour_density(double rho);

    // Homogenisation temperature of a liquid of molar volume V_ (m3/mol): the
    // temperature and vapour start volume come from the correlations, then the
    // framework's solver runs.  Returns the phase's Newton solver; a failure
    // sets errorflag.  A liquid so dense (about 431.5 kg/m3 or more) that the
    // line between the two phases' densities gives no vapour density, or a
    // volume that is not positive, is refused: errorflag, no solve, the
    // temperature and start volumes left as they were.
    Newton* calculateLiquidTh(double V_);
    // Homogenisation temperature of a vapour of molar volume V_ (m3/mol).
    Newton* calculateGasTh(double V_);
    // 0: homogenisation of a liquid of 350 kg/m3, then of a vapour of 150 kg/m3.
    void test(int what);

    // Molar volumes of this model against 14 measured methane volumes (the
    // argument is not read), to standard output, ending with the average
    // absolute deviation.
    void compareVennixData(FluidPhase* other);
    // Percent deviations of the other model's molar volume and fugacity
    // coefficient from this model's, 0 to 1200 degrees C and 1 to 10000 bar.
    void compareWithIUPAC(FluidPhase* other);
};
