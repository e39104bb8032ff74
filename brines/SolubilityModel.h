#pragma once
// Solubility of one gas (CH4, CO2 or N2) in water or an NaCl brine in
// equilibrium with a gas phase, and the inverse: the bubble pressure of a
// liquid of given gas content.  The model pairs three owned models: a gas
// equation of state for the vapour (SM_GasModelType), a brine density model
// (SM_DensityModelType) and the reference water model (water activity).  The
// aqueous side (Henry constant, activity coefficient, partial molar volume of
// the dissolved gas) belongs to the subclasses Henry, SpiveySolubility and
// DMGWwater.
//
// The model is a Phase whose components are water, the gas and, in brines,
// NaCl.  Per component: x (mole fractions), fugacity (aqueous fugacities, Pa),
// activity (activity coefficients; water's slot its activity) and
// henryConstant (Pa).  T in K and P in Pa inside; the setters and the curve
// files take bar.
#include <cstdio>
#include <memory>
#include <vector>

#include "brines/DensityModel.h"
#include "fluid/FluidPhase.h"
#include "fluid/Phase.h"
#include "numerics/Secant.h"

class WagnerPruss;

enum SM_SystemType : int {
    SM_None = -1,
    SM_H2O_CH4_NaCl = 0,
    SM_H2O_CO2_NaCl = 1,
    SM_H2O_N2_NaCl = 2,
    SM_Brine_Hydrocarbons = 5,  // a 15-hydrocarbon gas over a brine
    SM_H2O_CH4 = 6,
    SM_H2O_CO2 = 7,
    SM_H2O_N2 = 8,
};

enum SM_GasModelType : int {
    SM_GasNone = -1,
    SM_GasDMW1 = 0,          // Duan equation of state
    SM_GasSRK1 = 1,          // term-built Soave-Redlich-Kwong
    SM_GasClassicalSRK = 2,  // closed-form Soave-Redlich-Kwong
};

enum SM_DensityModelType : int {
    SM_DensityNone = -1,
    SM_DensityPotterBrown = 0,
    SM_DensityMaoDuanWagnerPruss = 1,  // Mao-Duan on the reference water model
    SM_DensityMaoDuanSpivey = 2,       // Mao-Duan on Spivey's water volume
    SM_DensitySpivey = 3,
};

// Molar mass (kg/mol) of a gas the solubility models dissolve; NaN for a name
// that is none of them.
double solubleGasMolarMass(const char* name);

class SolubilityModel : public Phase {
public:
    static constexpr double Mw = 0.018015268;  // kg/mol
    static constexpr double R = 8.31434;

    SolubilityModel();
    ~SolubilityModel() override;

    // ---- Phase operations
    void read_component_data(int index, const char* name) override;
    void describe() override;

    // ---- operations of the solubility models
    virtual void setSystemType(SM_SystemType type, int version);
    virtual void setDensityModelType(SM_DensityModelType type);
    virtual void setGasModelType(SM_GasModelType type);
    virtual void changeModelVersion(int v) { version = v; }
    virtual void calculatePsatH2O();
    virtual void calculate_vapour_fugacities();
    virtual void calculate_aqueous_fugacities() {}
    virtual void calculate_density();
    virtual void calculate_gas_solubility0();
    virtual void calculate_gas_partial_volume_() {}

    void calculate_gas_solubility(double T_, double P_bar, double ms_);
    double calculate_gas_partial_volume(double T_, double P_bar, double ms_, double mg_);
    void calculate_bubble_pressure(double T_, double P_bar, double ms_, double mg_);
    // Bubble pressure of the current liquid, left in P; errorflag 1 on failure.
    void calculate_bubble_pressure();
    double estimate_bubble_pressure(double T_, double ms_, double mg_) const;
    double equationForBubblePoint(double P_bar, void*);
    void calculateVapourMolarVolume();
    void calculate_water_activity();
    void calculateSigma();
    void update_composition();
    void print(std::FILE* stream);
    void generateLogInfo();
    void purge();
    void test(int which);

    // ---- curves (SolubilityCurves.cpp)
    void calculateTheIsotherm(double T_, double ms_, char mode, const char* suffix);
    void calculateTheIsopleth(double ms_, double mg_, char mode, const char* suffix, std::vector<double>* out);
    void calculateTheBiphasicIsochor(double T0, double P0_bar, double ms_, double dT, char mode, const char* suffix,
                                     std::vector<double>* out);
    void calculateTheBiphasicIsochor1(double Tend, double T0, double mg_, double ms_, double dT, double P0_bar,
                                      char mode, const char* suffix, std::vector<double>* out);
    void calculateTheBiphasicPressure(double T_, double ms_, double mg_, double cg0_, double rho0_);
    double equationForBiphasicIsochor(double P_Pa, void*);
    double calculate_pressure(double T_, double rho_target, double ms_, double mg_, double P0_bar);
    double equationForPressure(double P_bar, void* data);
    void calculateTheMonophasicIsochor(double T0, double T1, double rho_target, double ms_, double mg_,
                                       double P0_bar, char mode, const char* suffix, std::vector<double>* out);

    // Mole fraction of the gas, the salt and water (0 where absent).
    double xGas() const { return ig >= 0 ? x[ig] : 0.0; }
    double xSalt() const { return is >= 0 ? x[is] : 0.0; }
    double xWater() const { return iw >= 0 ? x[iw] : 0.0; }
    // Liquid molar mass (kg/mol) of the current mole fractions.
    double liquidMolarMass() const { return Mw * xWater() + gasMolarMass() * xGas() + 0.0585 * xSalt(); }
    // Molar mass (kg/mol) of the dissolved gas, 0 without one.
    double gasMolarMass() const;
    // Molar volume of the vapour model (m3/mol), 0 without one.
    double vapourVolume() const { return gasModel ? gasModel->V : 0.0; }
    // Henry constant and activity coefficient of the gas.
    double henryOfGas() const { return ig >= 0 ? henryConstant[ig] : 0.0; }

    int systemType = SM_None, gasModelType = SM_GasNone, densityModelType = SM_DensityNone;
    int version = 0;
    int henryScale = 1;        // 1: H relates fugacity to molality; 0: to mole fraction
    int vapourVolumeFlag = 0;  // isochores and isopleths recompute the vapour volume
    double mg = 0.0, ms = 0.0; // mol/kg of water
    double Vg = 0.0;           // partial molar volume of the dissolved gas, m3/mol
    int iw = -1, ig = -1, is = -1;
    int gasCount = 0;
    std::unique_ptr<FluidPhase> gasModel;
    double fv = 0.0;    // fugacity of the gas in the vapour, Pa
    double yw = 0.0;    // water mole fraction in the vapour
    double Psat = 0.0;  // Pa
    std::unique_ptr<DensityModel> densityModel;
    std::unique_ptr<WagnerPruss> water;
    Secant bubbleSolver;
    double bubbleTargetMg = 0.0;  // gas molality of the liquid whose bubble point is sought
    short compositionCode = 0;  // 10*(salt: 1 molality, 2 mole fraction) + (gas: same)
    // Isochores: vapour volume fraction, water and gas in the liquid (mol/m3),
    // vapour density and the initial liquid (kg/m3).
    double phi = 0.0, cw = 0.0, cg = 0.0, rhov = 0.0, rho0 = 0.0, cg0 = 0.0;
    double r = 0.0;      // capillary radius, m (0: flat interface)
    double Vl = 0.0;     // molar volume of saturated liquid water, m3/mol
    double sigma = 0.0;  // N/m
    double osmoticCoefficient = 0.0;
    int fugacityError = 0;
    std::vector<double>& activity = aux1;
    std::vector<double>& henryConstant = aux2;

protected:
    // The range of a correlation's fit (T in K, P up to Pmax in Pa, the salt
    // molality up to msMax); no source: no range of its own (the Henry-law
    // models carry theirs in their Henry constants).
    struct FitRange {
        const char* source = nullptr;
        double Tmin = 0.0, Tmax = 0.0, Pmax = 0.0, msMax = 0.0;
    };
    FitRange fit;
    // Whether T, P and ms lie in the fit's range; if not, a message naming
    // its source, errorflag and fugacityError 1.  The lower pressure limit,
    // the solution's vapour pressure, is the solubility's own refusal.
    bool inRangeOfFit();
    // A refused solubility: the sentence `why` (none when the refusal was
    // already said), errorflag and fugacityError 1, NaN in every result (mg,
    // the mole fractions, the gas's Henry constant, activity and fugacity, fv,
    // Vg and the vapour's state; yw, which may tell why, is kept).
    void refuseSolubility(const char* why);
    // A bubble point not found: its pressure, the vapour's water fraction,
    // the gas's fugacity and the vapour's state (its volume among them) are
    // NaN, never those of an earlier call.
    void withholdBubblePoint();
    // Why no gas phase stands over the liquid (after calculate_vapour_fugacities).
    const char* whyNoGasPhase() const;
    // The bubble pressure by bisection in a bracket grown from just above
    // water's vapour pressure (the residual of bubbleSolver); false when no
    // sign change is found.  Leaves the state at the root.
    bool bracketBubblePressure();
    // Whether the residual of bubbleSolver changes sign across p (within a
    // relative 1e-7): p is a root, not where a damped search ran out.
    bool changesSignAround(double p);
    // Builds the gas model of gasModelType for the current system.
    void createGasModel();
    // Gas model at T, P (start volume R T/P, one retry from 7.5e-5 m3/mol).
    void solveGasModel(bool withFugacities);
    // The gas's fugacity fv in a vapour of water fraction yw, from the gas
    // model; fugacityError 1 where no such vapour exists (yw above 1 or not a
    // number, no gas model) or the gas model fails.
    void gasFugacityInVapour();
    // The water fraction yw of the vapour from water's vapour pressure Psat:
    // Raoult's over a flat surface (r = 0), with the Kelvin equation (Poynting
    // factor of the capillary pressure 2 sigma / r) over a meniscus of radius r.
    void waterFractionOverTheLiquid();
    double sumOfGasMoleFractions() const;
};
