#pragma once
// Liquid-vapour equilibrium of water with dissolved CO2, optionally with NaCl,
// by a fugacity-activity scheme (Dubessy and co-workers): the vapour is the
// Peng-Robinson-Stryjek-Vera model, liquid water the reference water model,
// the dissolved gas a Henry constant with a Poynting correction and its
// partial molar volume at infinite dilution, and the liquid's non-ideality a
// two-parameter activity model that can be fitted to solubility data.  For a
// temperature, a gas molality and a salt molality the model solves the
// vapour's molar volume and composition, which give the bubble pressure.
#include <cstdio>
#include <memory>

#include "fluid/Phase.h"

class Newton;
class WagnerPruss;
class PRSV;

class Dubessy : public Phase {
public:
    // system: 0 H2O-CO2, 1 H2O-CH4, 2 H2O-NaCl-CO2, 3 H2O-NaCl-CH4, 5 pure water.
    // waterMode 0: saturated liquid water's fugacity; 1: the water model's at P.
    // activityModel 0: W0, W1 from T; 1: fitted W0, W1; 2: one parameter W0.
    // gasDataMode: Henry constant and salting-out correlation, fixed Vinf when non-zero.
    Dubessy(char system, char waterMode, char activityModel, char gasDataMode);
    ~Dubessy() override;

    // Range of the model's fit (K): 0 to 270 C.
    static constexpr double kTmin = 273.15, kTmax = 543.15;

    // Bubble pressure (P, Pa), vapour volume V and composition at T (K), m_g,
    // m_s (mol/kg); errorflag 1 when the solve fails, T lies outside kTmin to
    // kTmax (said) or the system has no solubility model (systems 1, 3 and 4).
    void calculate_gas_solubility(double T_, double mg_, double ms_);
    void calculate_fixed_parameters();
    void calculatePsatH2O();
    void calculateHenryConstant();
    void calculate_activity_coefficients();
    void calculate_gas_volume_infinite_dilution();
    void calculate_vector_function(double* X, double* F, double** J, int& err, int order, void*);
    // Water saturation between the water model's liquid and the vapour model
    // (Vl0, Vv0 as start); P, Vl0, Vv0 left at the solution; errorflag on failure.
    void calculate_saturation_pressure();
    void equationForCalculatingPsatFromVlVv(double* X, double* F, double** J, int& err, int order, void*);

    void calculate_the_isopleth(double mg_, double T0, char mode, const char* suffix);
    void calculate_the_H2ONaClCO2_isopleth(double ms_, double mg_, char mode, const char* suffix);
    void calculate_the_isotherm(double T_, double ms_, char mode, const char* suffix);
    void calculate_the_isotherm1(double T_, double r, char mode, const char* suffix);
    void calculateTheSaturationCurve(const char* suffix);
    void mapActivityCoefficients();
    void tata();
    void test();

    // Records of "data/solubility/H2O-CO2/<name>": T (K), P (bar), m_g, y; at
    // most maxRecords (more are refused with a message).  n is left unchanged
    // when the file cannot be read.
    static constexpr int maxRecords = 50;
    bool readIsothermData(const char* name, int& n, double* T_, double* P_, double* m_, double* y_);
    void testIsothermData(const char* file, const char* suffix);
    void fitIsothermData(const char* file);
    void evaluate(double* X, double* params, double& Y, double& Z, double* extra, std::int16_t& err);

    char system = 0, waterMode = 0, activityModel = 0, gasDataMode = 0;
    double W0 = 0.0, W1 = 0.0;
    double x_w = 1.0, x_g = 0.0;             // salt-free liquid
    double X_w = 1.0, X_s = 0.0, X_g = 0.0;  // whole liquid
    double m_g = 0.0, m_s = 0.0;
    double y_w = 1.0, y_g = 0.0;
    double H = 0.0;      // Pa
    double f_w0 = 0.0;   // Pa
    double Psat = 0.0;   // Pa
    double Vinf = 0.0;   // m3/mol
    double Vvap = 0.0;   // vapour molar volume, m3/mol
    double a_w = 1.0;
    double gamma_w = 1.0, gamma_g = 1.0;
    std::unique_ptr<Newton> solver;
    std::unique_ptr<WagnerPruss> water;
    std::unique_ptr<PRSV> vapour;
    char firstGuess = 1;
    double Vl0 = 1.79e-5, Vv0 = 1.0;

private:
    void setMoleFractions();
    bool solveFrom(double V0, double yg0);
    void writeIsothermRow(char mode, bool withR, double r);
    // The vapour of the last point an isotherm solved, the next point's
    // fallback start.
    struct KeptVapour {
        bool valid = false;
        double V = 0.0, y = 0.0;
    };
    // One point of an isotherm: solved from the model's own first guess, and
    // again from the kept vapour when that fails.  On success the point's
    // vapour is kept; false when both starts fail.
    bool solveIsothermPoint(double T_, double mg, double ms, KeptVapour& kept);
};
