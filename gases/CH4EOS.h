#pragma once
// CH4EOS: base of the methane models, a FluidPhase with the presets of
// methane, the saturation curve of methane from the ancillary equations fitted
// to the Setzmann & Wagner (1991) reference equation, saturation start values
// and two homogenisation-temperature solvers seeded from them.
//
// Units of the correlations: T in K, mass density in kg/m3 (0.016043/V for a
// molar volume V in m3/mol, the model's molar mass), pressure in bar.  They
// hold from the triple point (90.6941 K) to the critical point (190.564 K);
// outside that range they give no value (NaN).
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

    // Start volumes of a saturation search at T_ (for "CH4"; other names go
    // to the framework): the ancillary densities, those of the triple point
    // below it, and the critical volume for both at or above Tc, where no
    // saturation search can succeed.  Nothing of a previous call is kept.
    void initializeSaturationVolumesFromT(const char* name, double T_) override;
    // The same at the saturation temperature of P_bar (which goes to T).
    void initializeSaturationVolumesFromP(const char* name, double P_bar) override;

    // Homogenisation temperature of a liquid of molar volume V_ (m3/mol): the
    // temperature and vapour start volume come from the correlations, then the
    // framework's solver runs.  Returns the phase's Newton solver; a failure
    // sets errorflag.  A density that no saturated liquid between the triple
    // and critical points has, or a volume that is not positive, is refused:
    // a message, errorflag, no solve, the temperature and start volumes left
    // as they were.
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

private:
    // The saturation temperature of the saturated liquid (or vapour) of molar
    // volume V_ from the correlations; NaN, with the message and errorflag,
    // when none lies between the triple and critical points.
    double homogenisationStart(double V_, bool liquid);
};
