#pragma once
// PalliserModel: the H2O-NaCl phase diagram in closed-form correlations.
// Pure water comes from the reference water model (IAPWS-95) and its
// auxiliary saturation equations.  The boundaries of the mixture are those of
// Driesner & Heinrich (2007, GCA 71, 4880-4901; DriesnerHeinrich.h): NaCl's
// melting, sublimation and boiling curves, the critical curve from water's
// critical point, the halite liquidus at every pressure, the three-phase
// (halite + liquid + vapour) curve and the liquid and vapour branches of the
// liquid-vapour surface, from 0.1 to 1000 °C and up to 5000 bar.  Below
// 100 °C the three-phase pressure is the vapour pressure of saturated NaCl
// solutions of Haas (1976), joined to theirs over 80-100 °C.  The liquid's
// density, and the critical density, come from the volumetric correlation of
// Driesner (2007, GCA 71, 4902-4919) on the reference water model.  Mixtures
// above 1000 °C or 5000 bar lie beyond the correlations and are refused.
// The ice liquidus of NaCl-KCl solutions and the halite-saturated vapour
// are this model's own laws; an Anderko electrolyte equation of state gives a
// diagnostic comparison of the one-phase volume.
//
// Units: °C, bar, NaCl mass fraction, kg/m3.
#include <memory>
#include <vector>

#include "brines/Palliser.h"

class WagnerPruss;
class Anderko;

class PalliserModel : public Palliser {
public:
    PalliserModel();
    ~PalliserModel() override;

    double getWaterLiquidDensity(double T, double P) override;
    double getWaterVapourDensity(double T, double P) override;
    void calculateWaterSaturationPoint(double T, double& P, double& rhol, double& rhov) override;
    double getWaterSaturationTemperature(double P, double& rhol, double& rhov) override;
    double getHaliteDensity() override { return 2163.334; }
    double getNaClLiquidDensity(double T, double P) override;
    double getNaClVapourDensity(double T, double P) override;
    double getHaliteMeltingPressure(double T) override;
    double getHaliteMeltingTemperature(double P) override;
    double getHaliteMeltingTemperatureOffset(double P, double T0) override;
    double getHaliteSublimationPressure(double T) override;
    double calculateNaClSatPressure(double T) override;
    double calculateNaClSatTemperature(double P) override;
    void calculateNaClSaturationPoint(double T, double& P, double& rhol, double& rhov) override;
    void calculateSLVPoint(double T, double& P, double& Xl, double& Xv, double& rhol, double& rhov) override;
    void calculateHaliteGasSat(double T, double X, double& P, double& rho) override;
    void calculateHaliteGasBubble(double T, double P, double& X, double& rho) override;
    void calculateHaliteLiquidPoint(double T, double P, double& X, double Xstart, double& rho) override;
    void calculateHaliteLiquidTemperature(double X, double P, double& T, double& rho, double Tstart) override;
    void calculateHaliteLiquidTemperatureFromRhoX(double X, double rho, double& T, double& P,
                                                  double Tstart) override;
    void calculateCriticalPoint(double T, double& P, double& X, double& rho) override;
    double slvLiquidComposition(double T) override;
    double criticalComposition(double T) override;
    void calculateLGPoint(double T, double P, double& Xl, double& Xv, double& rhol, double& rhov) override;
    void calculateBubblePoint(double T, double X, double& P, double& Xv, double& rhol, double& rhov) override;
    void calculateDewPoint(double T, double X, double& P, double& a, double& b, double& rhov) override;
    void calculateLiquidSaturationPoint(double T, double X, double& P, double& rho) override;
    // Ice liquidus of a water-salt solution of total salt mass fraction X whose
    // salt is NaCl for the share c and KCl for the rest (c = 1: H2O-NaCl,
    // eutectic -21.2 °C at 23.2 wt %; c = 0: H2O-KCl).
    void calculateFreezingTemperature(double X, double c, double& T) override;
    void calculateIceMeltingSalinity(double T, double c, double& X) override;
    void preCalculate_Fixed_T_Parameters(double T) override;
    void getLiquidGasPressureBounds(double T, double& Plow, double& Phigh) override;
    void calculateForLiquidGasIsotherm(double T, double P, double& Xl, double& Xv, double& rhol,
                                       double& rhov) override;
    void preCalculateHaliteGasBubble(double T) override;
    void doCalculateHaliteGasBubble(double P, double& X, double& rho) override;
    double getIsochoricWaterPressure(double T, double rho) override;
    double calculateFluidDensityRegion2a() override;
    double calculateFluidDensityRegion2b() override;
    double calculateFluidDensityRegion4() override;
    double calculateFluidDensityRegion6() override;
    double calculateFluidDensityRegion7() override;
    double calculateFluidDensityRegion8() override;

    // Molar volume of the one-phase state of the record from the Anderko
    // model, written to the log's trace channel (a comparison only; nothing is
    // returned, and the density calculation does not run it).
    void calculateAnderkoFluid();

    // Density of the one-phase liquid of composition X at (T, P): the
    // volumetric correlation of Driesner (2007) where it holds, the law
    // elsewhere (see PalliserModelLiquid.cpp).
    double liquidDensity(double T, double P, double X);
    // The same without the checks and the message: NaN where there is none
    // (the searches and the regions that fall back to other laws).
    double oneLiquidDensity(double T, double P, double X);
    // Driesner's (2007) liquid density alone; NaN where water at the scaled
    // temperature is not on its liquid side (or above 1000 °C).
    double driesnerLiquidDensity(double T, double P, double X);
    // Driesner's (2007) vapour: water vapour at the scaled temperature T_V
    // and P (the same correlation on water's vapour side); NaN where water at
    // (T_V, P) is a liquid (or above 1000 °C).
    double driesnerVapourDensity(double T, double P, double X);
    // That vapour where it holds, lawDensity elsewhere.
    double vapourDensity(double T, double P, double X, double lawDensity);

    double equationForFreezing(double X, void* data);
    double equationForHaliteLiquidFromRhoX(double P, void* data);
    // Residual X - x_v(s) of the vapour branch of the liquid-vapour surface
    // at the reduced pressure s; parameters (T, -, -, X).
    double equationForGas(double s, void* data);
    // Scans the vapour branch at s = 0, 0.1, ..., 1: state 1 with s1 at the
    // first positive residual, state 2 with s2 at the first negative one
    // after it.
    void analyzeGasEquation(double* data, int& state, double& s1, double& s2);
    // The former correction of the vapour end near the melting point of
    // halite (not used by the surface of Driesner & Heinrich).
    double patchForXgsat(double T, double P, double Plow, double x);

    // Curve builders of this model.
    // The ice-melting salinities at T of the NaCl shares 0, 0.05, ..., 1 of the
    // salt (rows: wt % NaCl, wt % KCl); none when T lies outside -10.7 to 0 °C.
    void calculateIceMeltingIsotherm(std::vector<double>& array, double T);
    static constexpr double kKClEutecticT = -10.7;  // °C, H2O-KCl eutectic
    void calculateGasIsopleth(std::vector<double>& array, double Xwt, double T0, double Tend, double Pend,
                              double rhoEnd);

    std::unique_ptr<WagnerPruss> water;
    std::unique_ptr<Anderko> anderko;
    // (The former surface's patches and vapour exponents: kept in the record,
    // no longer read by the surface of Driesner & Heinrich.)
    int usePatches = 1;
    // Per-temperature coefficients of the liquid-vapour surface's density laws.
    double a0 = 0.0, bl = 0.0, zg = 0.0, zl = 0.0, ev = 0.0, el = 0.0, elInv = 0.0, evInv = 0.0;
    double hgExponent = 0.0;
    double hgTemperature = 0.0;  // temperature of preCalculateHaliteGasBubble
    double gasExp1 = 1.5;
    double gasExp2 = 0.5;

private:
    // Pressures up to this factor over 5000 bar, the top of the correlations,
    // are taken as 5000 bar's (the searches that end there).
    static constexpr double kTopPressureTolerance = 1.0 + 1e-9;
    // The three-phase point at T without the range check of
    // calculateSLVPoint (the surface's low end below 0.1 °C, where liquids of
    // up to the eutectic composition still boil).
    void threePhaseState(double T, double& P, double& Xl, double& Xv, double& rhol, double& rhov);
    // The critical point at T; false (NaN) outside water's critical
    // temperature to 1000 °C.
    bool criticalPointAt(double T, double& P, double& X, double& rho);
    // Liquidus temperature of X at P (eq. 8 bisected); NaN where none.
    double liquidusTemperatureAt(double X, double P);
    // The liquid-vapour surface at one temperature: its low end (three-phase
    // point or boiling molten NaCl), its high end (water saturation below
    // water's critical temperature, the critical point above), the exponents
    // of the vapour- and liquid-density laws under water's saturation
    // pressure (B) and under the critical curve (A), and the weight w of the
    // latter.
    struct SurfaceLaw {
        double T = 0.0, Plow = 0.0, Phigh = 0.0;
        double Xl0 = 0.0, Xv0 = 0.0, rl0 = 0.0, rv0 = 0.0;
        double Xc = 0.0, rHighL = 0.0, rHighV = 0.0;
        // Low end's liquid (mole fraction) and water's saturation pressure
        // (below water's critical temperature), the arguments of eq. 11.
        double xlow = 0.0, PsatW = 0.0;
        double zl = 0.0, zg = 0.0, elA = 0.0, evA = 0.0, elB = 0.0, evB = 0.0;
        double w = 0.0, power = 1.0, g1 = 1.5, g2 = 0.5;
        // The pressure at the reduced pressure s.
        double pressure(double s) const { return Phigh - (Phigh - Plow) * s; }
        double liquidMoleFraction(double s) const;
        double liquidComposition(double s) const;
        double vapourComposition(double s) const;
        double liquidLaw(double s) const;
        double vapourLaw(double s) const;
        // Reduced pressure s of the liquid of composition X; false when X
        // lies outside the surface.
        bool liquidReducedPressure(double X, double& s) const;
    };
    // The surface at T; false for a temperature outside the diagram.
    bool surfaceLawAt(double T, SurfaceLaw& L);
    // The surface at T for a point of the surface given by the value v (its
    // pressure or composition): clears pointFailed, or sets it and returns
    // false when v is not finite or T lies outside the diagram.
    bool surfaceForPoint(double T, double v, SurfaceLaw& L);
    // The exponents and the blend weight of the laws at L.T, L.Xc.
    void surfaceExponents(SurfaceLaw& L) const;
    // Pressure, vapour composition and both densities of the surface at the
    // reduced pressure s whose liquid has the composition Xl.
    void surfacePhases(const SurfaceLaw& L, double s, double Xl, double& P, double& Xv, double& rhol, double& rhov);
    // Pressure and vapour density of the dew point at the reduced pressure
    // s of a vapour of composition X.
    void surfaceDewPoint(const SurfaceLaw& L, double s, double X, double& P, double& rhov);
    // Reduced pressure s of the dew point of X (of highest pressure where
    // there are several); false when none.
    bool solveDewReducedPressure(const SurfaceLaw& L, double X, double start, double& s);
    // The surface of the last preCalculate_Fixed_T_Parameters (its T NaN
    // when none).
    SurfaceLaw isothermLaw;
    // The surface of the last equationForGas (its T NaN when none).
    SurfaceLaw gasLaw;
    // Exponents of the density laws of the liquid-vapour surface at T (and
    // the former composition laws' coefficients, kept for the record of
    // preCalculate_Fixed_T_Parameters).
    void surfaceCoefficients(double T, double Xc, double& a0_, double& bl_, double& zg_, double& zl_, double& el_,
                             double& ev_) const;
    double haliteGasExponent(double T) const;
    // Water vapour's density at (T, P), NaN where it has none, without a
    // message and with pointFailed as it was.
    double quietWaterVapourDensity(double T, double P);
    // Water's density of the phase kind (1 vapour, 2 liquid) at (T, P) on the
    // reference model; NaN with pointFailed and a message naming the caller
    // where that phase has no state.
    double waterDensity(const char* caller, int kind, double T, double P);
    // Density of the halite-saturated vapour at (T, P) below the three-phase
    // pressure Ps, whose vapour has the density rv; n the exponent of its
    // salt content in P/Ps.
    double haliteSaturatedVapourDensity(double T, double P, double Ps, double rv, double n);
    // The law's vapour density of the three-phase point at T (pressure P).
    double threePhaseVapourLaw(double T, double P);
    // A vapour of composition Xv at reduced pressure s of the liquid-vapour
    // surface whose law gives lawDensity: water vapour plus the law's excess,
    // the excess fading as Xv goes to 0.
    double diluteVapourDensity(double T, double P, double Xv, double s, double lawDensity);
    // The law's saturated liquid of composition X at T: the pressure of its
    // bubble point and the liquid-density law there (NaN when none).
    void lawSaturatedLiquid(double T, double X, double& P, double& rho);
    // The law's one-phase liquid at (T, P, X): its saturated liquid of X
    // rising linearly to an estimate at 1000 bar.
    double lawLiquidDensity(double T, double P, double X);
    // Density of the liquid on the halite liquidus at (T, P, X): the one-phase
    // liquid's where the correlation holds, lawDensity elsewhere.
    double haliteLiquidusDensity(double T, double P, double X, double lawDensity);
    // Density of the liquid of the liquid-vapour surface at (T, P, X): the
    // one-phase liquid's, lawDensity (the power law) above the melting point of
    // halite where the correlation does not hold.
    double surfaceLiquidDensity(double T, double P, double X, double lawDensity);
    // Density of the one-phase liquid of the record's state (regions 6 and 2b),
    // traced under the region's name.
    double liquidLikeDensity(const char* regionName);
    // Three-phase liquid of Driesner's correlation at 700 °C less the
    // polynomial's there (kg/m3), the offset faded out towards 800 °C.
    double slvLiquidOffset700 = 0.0;
};
