#pragma once
// WaterStudyModel: the reference water model with the studies of water
// heated by magma and of superheated water: Wohletz and phreatic cycle
// tables, thermal conductivity, reversible against irreversible
// decompression, water volume fraction in magma, the superheat diagram,
// vaporization curves, Gibbs-energy maps, water:magma ratios, decompression
// energies, choked flow, interface temperatures, shock waves, bubble
// nucleation rates and fluid-inclusion data.  Every study runs on this
// object and changes its state; results go to standard output and to
// column files in the current directory.
//
// The studies are also command words of the fluid command interpreter
// (doCommandEx), each followed by its arguments (T in K, P in bar unless
// said otherwise):
//     wohletz a Tm kind              phreatic a Tm kind igor suffix
//     conductivity T                 revirr T P(Pa)
//     wfrac T P w                    wfracdiagram w Tmin Tmax Pmin Pmax
//     superheat z dT                 henley T0 T1 a f r suffix
//     henleytest                     potentials T0 P0 Tmin Tmax Vmin Vmax geometric
//     wohletzratio                   energyformula
//     flow T P                       flowisobar P Tmin Tmax liquid
//     interface name T vapourHot dT P igor suffix
//     shock T P                      shockisobar P Tmin Tmax heating igor suffix
//     shockisotherm T Pmin Pmax      nucleation T b
//     heatnucleation P b             inclusions file
#include <cstdio>
#include <memory>
#include <string>

#include "console/WaterMagmaModel.h"

class WaterStudyModel : public WaterMagmaModel {
public:
    explicit WaterStudyModel(int phaseKind = 2) : WaterMagmaModel(phaseKind), madeWithKind_(phaseKind) {}

    int doCommandEx(int argc, char* const* argv) override;
    bool takesCommandWord(const char* word) const override;
    // A model of the same water and magma for a worker of a study that runs
    // its independent points on every core.
    std::unique_ptr<WaterStudyModel> workerModel() const;

    // ---- Wohletz and phreatic cycle tables (WaterCycleTables.cpp)
    // Water under a water column of a bar (2 at 293.15 + 0.3 a K, a + 1 bar)
    // heated at constant volume by 1 K steps towards Tm and expanded to 1 bar:
    // kind 1 isentropic expansion of the fluid, kind 0 heating decompression.
    void calculateWohletzCycle(double a, double Tm, char kind);
    void calculatePhreaticCycle(double a, double Tm, char kind, char igor, const char* suffix);

    // ---- superheated-water studies (WaterSuperheatStudies.cpp)
    // Thermal conductivity of liquid water, W/(m K) (polynomial in T, K).
    static double calculateWaterConductivity(double T_);
    void compareReversibleIrreversibleWorks(double T_, double P_Pa);
    // After an irreversible decompression point: a vapour below the boiling
    // temperature at its pressure is said to be supercooled, metastable, with
    // the stable state of the same enthalpy beside it.  M in kg/mol.
    void sayIfSupercooledVapour(double M);
    double calculateWaterVolumeFractionMagma(double T_, double P_bar, double w);
    void calculateWaterVolumeFractionDiagram(double w, double Tmin_, double Tmax_, double Pmin, double Pmax);
    void drawSuperheatDiagram(double z, double dT);

    // ---- vaporization, potential and energy studies (WaterEnergyStudies.cpp)
    void calculateHenleyVaporizationCurve(double T0, double T1, double a, double f, double r, const char* suffix);
    void doTestHenleyHughesModel();
    void drawEquilibriumPotentials(double T0, double P0, double Tmin_, double Tmax_, double Vmin, double Vmax,
                                   char geometric);
    void compareWohletzTemperature();
    void calculateEnergyFormula();

    // ---- flow, interface-temperature and shock-wave studies (WaterFlowStudies.cpp)
    void calculateFlow(double T_, double P_bar, std::FILE* file);
    void calculateFlowIsobar(double P_bar, double Tmin_, double Tmax_, char liquid);
    void calculateInterfaceTemperatureCurve(const char* name, double T_, char vapourHot, double dT, double P_bar,
                                            char igor, const char* suffix);
    void calculateShockWave(double T_, double P_bar, std::FILE* file);
    void calculateShockWaveIsobar(double P_bar, double Tmin_, double Tmax_, char heating, char igor,
                                  const char* suffix);
    void calculateShockWaveIsotherm(double T_, double Pmin, double Pmax);
    // Arguments of the shock-wave equation (speeds in m/s, pressures in bar).
    struct ShockWaveArgs {
        double airSound = 340.0, waterSound = 0.0, airMu = 0.166, waterGamma = 0.0, airP = 1.0, waterP = 0.0;
        double p = 0.0, u = 0.0;  // results: shock pressure (bar), particle velocity (m/s)
    };
    double equationForShockWave(double p, void* args);

    // ---- nucleation-rate and fluid-inclusion studies (WaterNucleationStudies.cpp)
    void calculateNucleationRate(double T_, double b);
    void calculateHeatingNucleationRate(double P_bar, double b);
    // Returns false when the data file cannot be read or the result file written.
    bool workInclusionData(const char* file);

    // The state of entropy S_ at P_bar, mechanically stable, searched from
    // (T0, V0) (the state expanded) and, failing that, from (startT, startV);
    // errorflag set when neither finds one.
    void isentropicPointAtP(double P_bar, double S_, double T0, double V0);
    // Start point (T, V) of the isentropic-point searches that the rows of
    // one flow or shock-wave study share; T = 0 means unset (each study
    // command starts unset).
    double startT = 0.0, startV = 0.0;

    // Results of the last study point, for callers and tests.
    double lastFlowGamma = 0, lastThroatP = 0, lastThroatT = 0, lastThroatV = 0;  // Pa, K, m3/mol
    double lastShockP = 0, lastShockU = 0;                                          // bar, m/s
    double lastNucleationRate = 0;                                                  // 1/(m3 s)
    int lastRows = 0;  // rows written by the last table study

private:
    int madeWithKind_;  // the phase kind the model was made with, each study command's start
};

// The study words with their arguments, one a line, for the usage text.
std::string waterStudyUsage();
