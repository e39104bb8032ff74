#pragma once
// WaterEOS: base of every pure-water equation of state.  It presets the water
// constants the fluid framework reads (critical-point start values, critical
// molar volume and entropy, lowest curve temperature, molar mass), holds the
// fields of an aqueous NaCl solution that the activity operations use, gives
// the framework water's own saturation start values, and carries the
// closed-form saturation equations that other models call without building a
// model.
//
// Units: T in K, P in Pa unless an argument says bar, V in m3/mol.
#include "fluid/FluidPhase.h"
#include "water/WaterCorrelations.h"

class WaterEOS : public FluidPhase {
public:
    static constexpr double kMolarMass = 0.018015268;             // kg/mol
    static constexpr double kCriticalVolume = 5.5948037267080745e-05;  // m3/mol, kMolarMass / 322 kg/m3
    static constexpr double kCriticalTemperature = 647.096;        // K

    WaterEOS(int nInteractions, int phaseKind, char withVenturi);
    ~WaterEOS() override;

    // Start volumes of the saturation solvers at T (K) for the component
    // `name`; names other than exactly "H2O" go to the framework's fits.
    // At or above the critical temperature prints "Supercritical fluid" and
    // changes nothing.
    void initializeSaturationVolumesFromT(const char* name, double T_) override;
    // Start temperature (into the temperature field only) and start volumes of
    // the saturation solvers at P (bar).  `name` is not read.
    void initializeSaturationVolumesFromP(const char* name, double P_bar) override;

    // Vapour pressure (Pa) from a piecewise fit in 1/T.
    double initializeSaturationPressure(double T_) const { return waterSaturationPressureFit(T_); }

    // Auxiliary saturation equations of IAPWS-95 (Wagner & Pruss 2002).
    static double saturationPressureWagnerPruss(double T_) { return waterAuxiliarySaturationPressure(T_); }
    static double saturatedLiquidDensityWagnerPruss(double T_) { return waterAuxiliarySaturatedLiquidDensity(T_); }
    static double saturatedVapourDensityWagnerPruss(double T_) { return waterAuxiliarySaturatedVapourDensity(T_); }

    // Critical molar entropy, J/(mol K).
    double criticalMolarEntropy = 79.394;

    // Aqueous NaCl solution.
    double m = 0.0;                        // molality, mol/kg of water
    double waterActivity = 1.0;            // a_w
    double osmoticCoefficient = 1.0;       // phi
    double meanActivityCoefficient = 1.0;  // gamma+-
    int activityModel = 0;                 // 0 Pitzer (1984), 1 Thurmond, other: Debye-Hueckel limiting law

    // Magma-water energetics.
    double magmaWaterRatio = 0.0;
    double magmaTemperature = 0.0;
    double magmaHeatCapacity = 0.0;
    double latentHeat = 0.0;
    double liquidusTemperature = 0.0;
    double solidusTemperature = 0.0;
    double initialEnergy = 0.0;
    double peakTemperature = 0.0;
    double peakVolume = 0.0;
};
