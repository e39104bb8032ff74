#pragma once
// VolatileCalc: solubility of H2O and CO2 in a silicate melt in equilibrium
// with an H2O-CO2 vapour (after Newman & Lowenstern 2002, Computers &
// Geosciences 28, 597-604: Dixon 1997 for basalt, Silver 1977 and Blank et al.
// 1993 for rhyolite).
//
// Each volatile dissolves by Henry's law corrected for pressure and
// temperature, x_i K_i(T, P) = f_i, with
//     K_i = (f0_i / x0_i) exp((P - P0_i) V_i / (R T)) exp((1/T - 1/T0_i) dH_i / R),
// where f0_i is the fugacity of the pure volatile at its reference state
// (T0_i, P0_i).  x_H2O is the mole fraction of molecular water; total water
// splits into molecular water and hydroxyl by a speciation equilibrium.  The
// vapour fugacities come from the modified Redlich-Kwong fluid HollowayEOS.
//
// Contents: wt (wt % dissolved H2O) and ppm (ppm by mass dissolved CO2).
// Units inside: T in K, P in Pa; rows written to files give P in bar.
//
// Range: the vapour model's, 800 to 1673.15 K and up to 5000 bar; a
// saturation, saturated content or flash outside it is a failure.
//
// Failures: no operation ends the process.  A failed saturation or flash
// calculation sets `failed` and writes a message on standard error; scalar
// callbacks report an argument out of range through Equation::error, vector
// callbacks through the solver's error argument.
#include <memory>
#include <vector>

#include "numerics/Equation.h"

class HollowayEOS;
class Newton;
class Secant;

// Kind of melt: selects the Henry-law and speciation parameters.
enum MagmaType : int {
    kBasaltMelt = 1,    // reference temperature 1473.15 K (Dixon 1997)
    kRhyoliteMelt = 2,  // reference temperature 1123.15 K (Silver 1977; Blank et al. 1993)
};

// The volatile system of the vapour.
enum VolatileSystem : int {
    kVolatilesH2O = 1,
    kVolatilesCO2 = 2,
    kVolatilesH2OCO2 = 11,
};

class VolatileCalc : public Equation {
public:
    static constexpr double R = 8.31434;

    VolatileCalc();
    ~VolatileCalc();
    VolatileCalc(const VolatileCalc&) = delete;
    VolatileCalc& operator=(const VolatileCalc&) = delete;

    // Loads the parameter set of type t (1 or 2) and recomputes the reference
    // fugacities; any other type keeps the previous parameters.
    void setMagmaType(MagmaType t);
    void setMagmaType(int t) { setMagmaType(static_cast<MagmaType>(t)); }
    // KH2O and/or KCO2 (Pa) at the current T and P, by system.
    void calculateHenryConstants();
    // Fugacities (Pa) of the vapour at T, P and the vapour composition, by
    // system (and fugacity rule).  False when the fluid model fails.
    bool calculateVapourFugacities(double& fH2O, double& fCO2);
    // x K - f of H2O (G[0]) and CO2 (G[1]) at the members' pressure, melt mole
    // fractions and vapour composition; false when the fugacities fail.
    bool henryResiduals(double* G);
    // Melt mole fractions of contents (wt, ppm); null pointers are skipped.
    // Below 0.6 wt % the molecular water follows the low-water power law and
    // xOH is not written.  Negative contents, or contents leaving no melt:
    // NaN outputs, failed 1, said.
    void calculateMoleFractions(double wt, double ppm, double* xH2O, double* xCO2, double* xOH);
    // P (Pa) at which the melt of the stored mole fractions is saturated.
    void calculateSaturationPressure();
    // Saturated contents at P (Pa): wt in system 1, ppm in system 2, ppm and the
    // vapour composition at the stored wt in system 11.
    void calculateSaturationPoint(double P);
    // Flash at P (Pa) of a melt with total contents (wtTotal, ppmTotal): melt
    // contents, vapour CO2 fraction and vapour mass fraction.  yCO2 and F are
    // the start values.  The outputs are written only on success.
    void calculate_flash_point(double P, double wtTotal, double ppmTotal, double yCO2, double F, double& wt,
                               double& ppm, double& yCO2out, double& Fout);

    // Tabulations, in output mode 1 (Igor text at `path`) or 6 (values
    // appended to `array`); any other mode writes nothing.
    // A point whose search fails is left out (said on standard error).
    // Rows (T, wt, ppm, P bar, yH2O, yCO2) from pure H2O to pure CO2 at P (Pa).
    void calculateSaturationIsobar(double P, const char* path, char mode, const char* suffix,
                                   std::vector<double>* array);
    // Rows (T, wt, ppm, P bar, yH2O, yCO2) for 400 pressures from 100 bar.
    void calculateSaturationIsotherm(const char* path, char mode, const char* suffix, std::vector<double>* array);
    // Flash states every 10 bar from the saturation pressure of (wt0, ppm0)
    // down to 10 bar; rows (T, wt, ppm, P bar, yH2O, yCO2, F).  open != 0: the
    // vapour leaves the system at each step.  Refused (failed 1) for contents
    // that are no melt or a melt without volatiles.
    void calculateDegassingPath(int open, double wt0, double ppm0, const char* path, char mode,
                                const char* suffix, std::vector<double>* array);
    // Basalt at 1500 K: the isobar of 1 kbar into "isobar.txt" (suffix "4").
    void test(int);

    // ---- solver callbacks
    double equationForSaturationPressure(double P, void*);
    double equationForSaturationPoint(double c, void* f);
    double equationForMoleFractions(double xOH, void* X);
    void calculate_vector_function(double* x, double* G, double** J, int& err, int order, void* data);
    void calculate_vector_function1(double* x, double* G, double** J, int& err, int order, void* data);
    void calculate_vector_function2(double* x, double* G, double** J, int& err, int order, void* data);
    void calculate_vector_function3(double* x, double* G, double** J, int& err, int order, void* data);

    // ---- state (Equation::error first)
    int magmaType = 0;
    double T = 1473.15;  // K
    double P = 1e5;      // Pa
    double wt = 0.0;     // wt % H2O dissolved
    double ppm = 0.0;    // ppm CO2 dissolved
    double xH2O = 0.0;   // molecular H2O in the melt
    double xCO2 = 0.0;
    double yH2O = 1.0;   // vapour
    double yCO2 = 0.0;
    int system = kVolatilesH2O;
    int fugacityRule = 0;  // system 11: 0 y_i times the pure fugacity, 1 the mixture's
    int failed = 0;

    // Henry-law parameters of H2O and CO2.
    double T0H2O = 0, P0H2O = 0, VH2O = 0, dHH2O = 0, f0H2O = 0, x0H2O = 0;
    double T0CO2 = 0, P0CO2 = 0, VCO2 = 0, dHCO2 = 0, f0CO2 = 0, x0CO2 = 0;
    double KH2O = 0.0, KCO2 = 0.0;  // Pa
    // Molar mass of the anhydrous melt per oxygen (g/mol), the low-water
    // speciation x = exp(a) wt^b and the speciation constants c0..c3.
    double Mox = 0.0;
    double lowWaterA = 0.0, lowWaterB = 0.0;
    double speciation[4] = {0, 0, 0, 0};

    std::unique_ptr<HollowayEOS> gas;
    std::unique_ptr<Secant> speciationSolver, pressureSolver, pointSolver;
    std::unique_ptr<Newton> pressureSystem;  // (P, yCO2)
    std::unique_ptr<Newton> pointSystem;     // (ppm, yCO2)
    std::unique_ptr<Newton> flashSystem;     // (wt, ppm, yCO2, F)
    std::unique_ptr<Newton> flashSystem1;    // (content, F), one volatile

private:
    // Whether T and p (Pa) lie in the vapour model's range (said when not).
    bool inRange(double p);
    // Fugacity (Pa) of the pure volatile i (0 H2O, 1 CO2) at T (K), P (Pa).
    bool pureFugacity(int i, double T, double P, double& f);
    bool mixtureFugacities(double y1, double y2, double& f1, double& f2);
    // Saturation pressure of one volatile by the secant from p0, p1; true on success.
    bool solveSingleSaturationPressure(double p0, double p1);
    // A pressure interval [lo, hi] in which the one-volatile residual changes sign.
    bool bracketSingleSaturationPressure(double& lo, double& hi);
    // Saturation pressure and vapour of both volatiles from (p0, y0).
    bool solveSaturationPressureSystem(double p0, double y0);
    // Saturated ppm and vapour at the stored wt from (ppm0, y0); true on success.
    bool solveSaturationPointSystem(double ppm0, double y0);
    // Start values of that search from the two Henry's laws taken apart.
    bool estimateSaturationPoint(double& ppm0, double& y0);
    double flashTotals_[2] = {0, 0};  // wtTotal, ppmTotal of the flash being solved
};
