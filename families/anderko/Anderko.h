#pragma once
// Anderko & Pitzer (1993) equation of state for water-salt-gas fluids of
// H2O, NaCl, KCl, CO2 and CH4: a water model whose reduced Helmholtz energy
// is the sum of a hard-sphere repulsion (Boublik, which carries the ideal-gas
// -ln V), a dipole-dipole attraction (Dipole) and a dispersion attraction
// (AnderkoDispersion), and the Standard ideal gas of the components (its
// temperature part; the salts have no standard-state data, so the state
// functions of a fluid that holds them fail).  The chemical system is
// chosen after construction by its system code (setSystemCode, or the
// framework's setSystemType by name).  On request (useVLE) the model builds a
// second Anderko for the vapour and a two-phase solver (IFP) over the pair.
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "water/WaterEOS.h"

class IFP;
class Boublik;
class Dipole;
class AnderkoDispersion;

class Anderko : public WaterEOS {
public:
    explicit Anderko(int phaseKind);
    ~Anderko() override;

    // Selects the chemical system.  A code without parameters is reported on
    // standard error ("Anderko system type %d not implemented") and leaves
    // the model without components; so is a second selection of another system.
    void setSystemCode(char code) override;
    // Creates the vapour phase and the two-phase solver once.
    void useVLE();

    // A model whose system was refused has no components: every state fails
    // (errorflag 1) with a message on standard error, once per state asked for.
    void calculate_molar_volume() override;
    void calculate_pressure() override;
    void calculate_state_functions() override;
    void calculate_fugacities() override;
    // The first start of a liquid search: the ancillary liquid of the major
    // component where it lies above the spheres' close packing (b / 4 at the
    // composition), else a tenth above that packing, on the dense side of
    // every root (the salts have no ancillary equation).
    double estimate_Vl0() override;

    // ---- start values (two-phase work)
    // They write the framework's two-phase start fields (x_liquid, x_vapour,
    // Vl0, Vv0) and, when the two-phase solver exists, its T, P, liquid and
    // vapour compositions and bulk composition and the vapour phase's Vv0.
    // The H2O-NaCl phase-boundary table is the data file "init/initH2ONaCl"
    // (19 numbers a row: T K, P bar, liquid x H2O, x NaCl, vapour y H2O,
    // y NaCl, Vl and Vv cm3/mol, 11 more not read); the nearest-row tables 13
    // numbers a row.  A missing file is reported and changes nothing.
    void initializeDewPoint2(double T, double x, int branch);
    void initializeBubblePoint2(double T, double x) override;
    void initializeFlash2(double T, double P) override;
    // The start volumes (m3/mol) of a model just made, and of every start
    // table read before its row is found.
    static constexpr double kMadeLiquidStart = 2e-05, kMadeVapourStart = 0.0002;
    // False (a start table missing, said, or without a row) when it gives no
    // start values.
    bool initializeFromFile(const char* path, double T, double x1, double x2);
    void initializeFromTx(double T, double x1, double x2);

    // ---- curve and diagram drivers (output files named by a prefix and the suffix)
    // Salt contents w in mass per cent become x = w / ((100 - w) 58.5/18 + w).
    static double saltMoleFraction(double w);
    using FluidPhase::calculateTheIsotherm;
    void calculateTheIsotherm(double T, const char* suffix);
    void calculateTheIsochorFromTP(double T, double P, double w, const char* suffix);
    void calculateSpinodalCurveX(double w, const char* suffix);
    void calculateTheDensityFromTh(double Th);
    void calculateTheIsopleth4(const char* suffix, double T, double x, double d3, int kind, char mode, int branch,
                               std::vector<double>* out);
    // Upper end (K) of the temperatures Anderko & Pitzer (1993) fitted the
    // model on; its critical curves end there (above it the H2O-NaCl curve
    // runs away from the measured one, +63 % in pressure at 1336 K against
    // Palliser & McKibbin 1998, and on to 1e12 bar near the co-volume).
    static constexpr double kHighestFittedT = 1200.0;
    // The range Anderko & Pitzer (1993) fitted the family on, from 573 K to
    // kHighestFittedT and up to 5000 bar: below 573 K its water is no
    // liquid water (47 % too light at 300 K, cv < 0).
    static constexpr ValidityRange kFittedRange{
        .Tmin = 573.15, .Tmax = kHighestFittedT, .Pmax = 5000.0, .source = "Anderko & Pitzer 1993"};
    void calculateTheCriticalCurve(const char* suffix) override;
    void calculateTheLiquidLiquidIsopleth3(const char* suffix, double T, double x1, double x2, double d) override;
    void calculateTheIsopleth3(const char* suffix, double T, double x1, double x2, double d) override;
    void calculateTheTernary(const char* suffix, double T, double P, double x1, double x2, double y1, double y2,
                             double Vl, double Vv, double d, int liquidLiquid, int pole);
    // Interactive (standard input) on H2O-NaCl-CH4: lists the tabulated
    // two-phase states at T and P ("init/initH2ONaClCh4"), asks for one and
    // traces the tie-line diagram from it both ways into "ter" + suffix.
    void calculateTheTernaryDiagram(double T, double P, const char* suffix) override;
    std::FILE* consoleIn = stdin;  // answers of the interactive diagram

    // ---- command words and checks
    int doCommandEx(int argc, char* const* argv) override;
    bool takesCommandWord(const char* word) const override;
    void doTest1(double T, double V0, double xsalt, double xgas, double dT, int branch, const char* suffix);
    void test(int which);
    void testTable4Duan95() {}
    void testTable4Duan03();
    void testTable6Duan95();
    void testTable7Duan03();

    Boublik* hardSpheres() const;
    Dipole* dipole() const;
    AnderkoDispersion* dispersion() const;
    IFP* solver() const { return vle_.get(); }
    Anderko* vapourPhase() const { return vapour_.get(); }

private:
    bool refusesState();

    std::unique_ptr<Anderko> vapour_;  // declared first: the solver borrows it
    std::unique_ptr<IFP> vle_;
};
