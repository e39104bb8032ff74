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
#include <cmath>
#include <cstdio>
#include <vector>

#include "fluid/CriticalPoints.h"
#include "fluid/FluidPhase.h"
#include "water/WaterCorrelations.h"

class WaterEOS : public FluidPhase {
public:
    static constexpr double kMolarMass = 0.018015268;             // kg/mol
    static constexpr double kCriticalVolume = 5.5948037267080745e-05;  // m3/mol, kMolarMass / 322 kg/m3
    static constexpr double kCriticalTemperature = kWaterCritical.T;  // K

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

protected:
    // A model of water alone: its name and start volumes, then the one
    // component H2O with its molar mass.
    void setUpPureWater(const char* name, double liquidStart, double vapourStart);
    // The start that initializeSaturationVolumesFromT gave last for water:
    // its temperature and volumes (NaN: none).
    bool holdsWaterStartAt(double T_) const { return T_ == waterStartT_ && Vl0 == waterStartVl_ && Vv0 == waterStartVv_; }

private:
    double waterStartT_ = std::nan(""), waterStartVl_ = 0.0, waterStartVv_ = 0.0;

public:

    // Vapour pressure (Pa) from a piecewise fit in 1/T.
    double initializeSaturationPressure(double T_) const { return waterSaturationPressureFit(T_); }

    // Auxiliary saturation equations of IAPWS-95 (Wagner & Pruss 2002).
    static double saturationPressureWagnerPruss(double T_) { return waterAuxiliarySaturationPressure(T_); }
    static double saturatedLiquidDensityWagnerPruss(double T_) { return waterAuxiliarySaturatedLiquidDensity(T_); }
    static double saturatedVapourDensityWagnerPruss(double T_) { return waterAuxiliarySaturatedVapourDensity(T_); }

    // ---- Liquid volumes and the dielectric constant (WaterEOSDielectric.cpp)
    // Molar volume of liquid water (m3/mol) at T (K) and P (bar): Kell's (1975)
    // one-atmosphere density with a Tait-like pressure term.  From 0 to 150 C
    // and 0 to 1000 bar; outside, NaN and a message.
    static double calculateKellVolume(double T_, double P_bar);
    // Molar volume of liquid water (m3/mol) at T (K) and P (bar) from the pure
    // water density of Spivey, McCain & North (2004); with dPdV, (dP/dV)_T in
    // Pa mol/m3.
    // Outside 0 to 275 C and 0 to 2000 bar: NaN and a message, unless
    // beyondRange (a caller that answers for the extrapolation).
    static double calculateSpiveyVolume(double T_, double P_bar, double* dPdV = nullptr, bool beyondRange = false);
    // Specific volume (cm3 per g of solution) of saturated liquid water and of
    // NaCl solutions of molality m (mol/kg) along the vapour curve (Haas 1976).
    // From 80 to 325 C; outside: NaN and a message.
    static double calculateHaasVolume(double T_, double m_);
    // Dielectric constant at T (K) and V (m3/mol), with its Born functions
    // written as one row "T P V rho eps Z Q Y X" to f (no row when f is null).
    // setState brings the object to (T, V) first; otherwise P and (dP/dV)_T
    // are those already stored.  Z = -1/eps; Q = (deps/dP)_T / eps^2 per kPa;
    // Y and X the first and second temperature functions, in reduced
    // temperature T/298.15 for Johnson-Norton and Uematsu-Franck, in K for
    // Helgeson-Kirkham.
    double calculateEpsilon_JohnsonNorton(double T_, double V_, std::FILE* f, char setState);
    double calculateEpsilon_UematsuFranck(double T_, double V_, std::FILE* f, char setState);
    double calculateEpsilon_HelgesonKirkam(double T_, double V_, std::FILE* f, char setState);
    // Each of these holds in its published range (Johnson & Norton 0 to
    // 1000 C, Uematsu & Franck 0 to 550 C, Helgeson & Kirkham 0 to 600 C);
    // outside it: NaN, errorflag 1, a message and no row.
    // Pitzer's (1983) Kirkwood form from 200 C up (below, the correlation is
    // up to 13 % high: refused as above); its row has no Born functions.
    double calculateEpsilon_Pitzer(double T_, double V_, std::FILE* f, char setState);
    // Bradley & Pitzer (1979) at T (K) and P (bar), 0 to 350 C up to 1 kbar
    // (refused outside as above); dEdP receives (deps/dP)_T per bar.
    // setState solves the molar volume at (T, P) after eps.
    double calculateEpsilon_BradleyPitzer(double T_, double P_bar, std::FILE* f, char setState,
                                          double* dEdP = nullptr);
    // The dielectric constant that the Debye-Hueckel slope and the solution
    // volumes take at T (K), P (bar) and the water's V (m3/mol) with its
    // (dP/dV)_T (Pa mol/m3): Bradley & Pitzer in its range and its form
    // continued down to the NaCl-ice eutectic (251.85 K), Johnson & Norton
    // beyond (refused outside its range: NaN, errorflag 1, a message).
    // dEdP receives (deps/dP)_T per bar.
    double calculateSolutionDielectric(double T_, double P_bar, double V_, double dPdV_, double* dEdP = nullptr);
    // Igor file "eps" + suffix of the Johnson-Norton row over T (1 K steps)
    // and P (1 bar steps).
    void calculateEpsilonGrid(double Tmin_, double Tmax_, double Pmin, double Pmax, const char* suffix);
    // Shifts S, U, H, G and A to the molal apparent convention (each call shifts again).
    void convertToMolalApparent();

    // ---- Water activity in NaCl solutions, osmotic equilibria, ice (WaterEOSActivity.cpp)
    // Debye-Hueckel slope A_phi (kg/mol)^0.5 at the object's T, P and V.
    double calculateDebyeHuckelSlope();
    // Dispatch on activityModel.  Outputs: water activity, mean activity
    // coefficient (0 from the Pitzer and Thurmond models), osmotic coefficient.
    void calculateActivity(double m_, double& aw, double& gamma, double& phi);
    void calculatePitzer84(double m_, double& aw, double& gamma, double& phi);
    void calculateThurmond(double m_, double& aw, double& gamma, double& phi);
    void calculateDebyeHuckel(double m_, double& aw, double& gamma, double& phi);
    // Activity of ice relative to liquid water at the object's T and P.
    void calculateIceActivity(double& a);
    // Vapour pressure of the solution of molality m at T (K): unknowns Vl, Vv;
    // the result is the object's state (P, Vl_sat, Vv_sat, a_w, phi);
    // errorflag 1 on failure.
    void calculateOsmoticPressure(double T_, double m_);
    // Boiling temperature of the solution at P (bar): unknowns Vl, Vv, T.
    void calculateOsmoticTemperature(double P_bar, double m_);
    void equationForCalculatingOsmoticPressure(double* xv, double* G, double** J, int& err, int order, void*);
    void equationForCalculatingOsmoticTemperature(double* xv, double* G, double** J, int& err, int order, void*);
    // "satos" + suffix: the vapour pressure of one solution from 273.15 K in
    // 1 K steps; "osmo" + suffix: molality 0 to 8 at T.  Mode 1 Igor text,
    // other modes the rows alone.
    void calculateOsmoticIsopleth(double m_, char mode, const char* suffix);
    void calculateOsmoticIsotherm(double T_, char mode, const char* suffix);
    // Molality of the NaCl solution in equilibrium with ice at T (K) and 1 bar,
    // with the water activity scaled by (1 - y); switches activityModel to
    // Thurmond.  Returns the molality field (unchanged when the search fails).
    double calculateIceMeltingH2ONaCl(double T_, double y);
    double equationForIceMelting(double m_, void* data);
    // "ice" + suffix: ice-melting curve from 273.15 K down to 253.15 K.
    void calculateIceMeltingH2ONaClCurve(char mode, const char* suffix);
    void test1(int n);

    // ---- Saturation, homogenisation and spinodal starters (WaterEOSSaturation.cpp)
    // Saturated liquid and vapour at P (bar); the object is left at the vapour
    // and Hvap holds H(vapour) - H(liquid).
    void calculateTheSaturationTemperature(double P_bar, char print);
    // The saturated vapour (condensation point) or liquid (boiling point) of
    // molar entropy S (J/(mol K)), up to the critical point; T, P, the state
    // functions and the saturated volumes are left in the model at that
    // phase, errorflag set where the saturation curve has no state of that
    // entropy on that side.
    void calculateCondensationPointFromS(double S_);
    void calculateBoilingPointFromS(double S_);
    void calculateCondensationPointFromTP(double T_, double P_bar);
    void calculateBoilingPointFromTP(double T_, double P_bar);
    // Saturated liquid and vapour at the homogenisation temperature Th (K),
    // reported on one line as the framework's console entry does.
    void calculateTheDensityFromTh(double Th);
    // Homogenisation of an inclusion of molar volume V (cm3/mol).
    void calculateTheGasTh(double V_cm3);
    // The liquid's homogenisation temperature is the one above the density
    // maximum (near 277 K); a volume no saturated liquid has is refused.
    void calculateTheLiquidTh(double V_cm3);
    // The saturated liquid of volume V (cm3/mol) bisected in T between a and
    // b (K); false when they do not bracket it.  Leaves the model at the root.
    bool bisectLiquidTh(double V_cm3, double a, double b);
    // Temperature (K) of the saturated liquid's density maximum between the
    // triple point and 290 K, with its volume (cm3/mol).
    double densityMaximumTemperature(double& Vmin_cm3);
    // Temperature above Tlow at which the auxiliary saturated liquid volume
    // of IAPWS-95 is V (cm3/mol).
    static double auxiliaryTemperatureAbove(double V_cm3, double Tlow);
    void calculateTheGasThs();
    void calculateTheLiquidThs();
    // Tie line at P (bar) from water's start values; the framework's form with
    // an explicit start temperature stays available.
    using FluidPhase::calculateTheConodeFromP;
    void calculateTheConodeFromP(double P_bar, char mode, const char* suffix);
    void calculateTheConodeFromT(double T_, char mode, const char* suffix);
    void calculateTheConodeInteractiveFromT(double T_);
    void calculateTheConodes();
    // Trapping state at T (K), P (bar) and its homogenisation temperature.
    void calculateTheFluidInclusionProperties(double T_, double P_bar);
    void calculateTheLiquidSpinodalTemperatureFromV(double V_);
    void calculateTheLiquidSpinodalTemperatureFromP(double P_bar);
    void calculateTheSpinodalPointFromS(double S_);

    // ---- Ice Ih sublimation and the melting curves of the ices (WaterEOSIce.cpp)
    // Pressures in bar, T in K (IAPWS 1993 release on the melting and
    // sublimation pressures of ordinary water substance).
    double calculateSublimationP(double T_) const;
    double calculateMeltingP(double T_) const;   // ice Ih
    double calculateMeltingP1(double T_) const;  // ice III, V, VI or VII by temperature
    void calculateSublimationCurve(char mode, const char* suffix);
    void calculateMeltingCurve(char mode, const char* suffix);

    // ---- Viscosity and thermal conductivity (WaterEOSTransport.cpp)
    // IAPS 1985 formulations: T in K, P in Pa, rho in kg/m3, kappaT in 1/Pa,
    // alpha in 1/K; Pa s and W/(m K); NaN outside their pressure-temperature range.
    static double calculateViscosity(double T_, double P_Pa, double rho_, double kappaT);
    static double calculateConductivity(double T_, double P_Pa, double rho_, double alpha, double kappaT);
    void calculateTransportProperties(double T_, double V_, std::FILE* f, char setState);
    void calculateTransportGrid(double T0, double T1, double V0, double V1, const char* suffix);

    // ---- Comparisons and checks (WaterEOSChecks.cpp)
    void compareNBSSteamTable();
    void compareWithEOS(FluidPhase* other);
    void compareSpiveyWithIUPAC();
    void compareKellWithIUPAC();
    void checkHighPTExtrapolation();
    // Cp as the temperature derivative of H against the analytic Cp at the
    // critical point (647.096 K, 220.64 bar).
    void checkCp();

    // ---- Isobars and characteristic curves (WaterEOSChecks.cpp)
    // Isobar at P (bar) from the compressed liquid at 250 K (fromGas 0) or
    // from the vapour at 1500 K: file "isob" + suffix or the array (mode 6).
    void calculateTheIsobar(double P_bar, char fromGas, char mode, const char* suffix, std::vector<double>* array);
    // Two branches each from 473.15 K, upward to 6000 K and downward:
    // Igor files prefix + suffix + "0" and "1" ("joul", "idea", "boyl"; the
    // Joule-Thomson inversion curve shares "joul" with the Joule curve).
    void calculateTheJouleCurve(const char* suffix);
    void calculateTheIdealCurve(const char* suffix);
    void calculateTheBoyleCurve(const char* suffix);
    void calculateTheJouleThomsonCurve(const char* suffix);

    // Critical molar entropy, J/(mol K).
    double criticalMolarEntropy = 79.394;

private:
    // The saturation state of entropy S_ on the liquid (liquidSide) or
    // vapour side by a bracketed search along the saturation curve, from the
    // triple point to 1e-4 K below the critical point, T0 its first trial;
    // the model is left at that phase.  False (errorflag set) when S_ lies
    // beyond the side's entropies there.
    bool saturationFromSAlongTheCurve(double S_, bool liquidSide, double T0);
    // The entropy of the saturated liquid or vapour at T_ (the model left
    // at it); false when no saturation state is found there.
    bool saturatedEntropyAt(double T_, bool liquidSide, double& S_);
    // Whether the Newton search left a saturation state of entropy S_ on
    // the side asked for (the model then left at that phase).
    bool newtonSaturationFromSHolds(double S_, bool liquidSide);

public:

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
