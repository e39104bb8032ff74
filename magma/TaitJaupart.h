#pragma once
// TaitJaupart: a closed elastic magma chamber whose crystallisation exsolves
// H2O, CO2 or both, builds overpressure and erupts until half of its mass is
// crystals.
//
// The chamber holds a fixed total mass M of volatile-free melt, crystals,
// dissolved volatiles and exsolved gas at one temperature (after Tait, Jaupart
// and Vergniolle, 1989, Earth Planet. Sci. Lett. 92, 107-123).  Crystallising
// at constant mass concentrates the volatiles in the remaining melt; once the
// melt is saturated a gas exsolves, and since crystals, melt and gas do not fill
// the volume of the magma they came from, the pressure changes against the
// elastic wall.  The solubility of each volatile is a power law in pressure,
// C = s·P^n (dissolved mass per unit mass of volatile-free melt, P in Pa); in
// the H2O-CO2 mixture each volatile dissolves in proportion to its mole
// fraction in the gas.
//
// Units: masses in kg (per 1000 kg of chamber contents unless the caller says
// otherwise), pressures in Pa, volumes in m3, densities in kg/m3, molar masses
// in kg/mol, temperature in K.  Every member is public: the case document
// configures the model by writing some of them and reads its results directly.
//
// Failures are never reported as results: the operations return a status, and
// a refused set-up leaves its reason in `message` (also written to standard
// error).  `error` is the solvers' evaluation flag.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "magma/ChamberGasModel.h"
#include "magma/GasVolumeTable.h"
#include "numerics/Equation.h"

class Secant;
class Newton;

// Kind of melt (the case key "melt").
enum ChamberMagmaType : int {
    kChamberMelt2700 = 0,  // melt of 2700 kg/m3 at 1473 K
    kChamberMelt2300 = 1,  // melt of 2300 kg/m3 at 1173 K
    kChamberMeltUser = 2,  // the caller writes rhol0, rhoc0, T, sa and na
};

// Kind of volatile (the case key "fluid").
enum ChamberFluidType : int {
    kChamberFluidH2O = 0,
    kChamberFluidCO2 = 1,
    kChamberFluidUser = 2,    // the caller writes sa and na; ideal gas
    kChamberFluidH2OCO2 = 3,  // volatile 1 is H2O, the CO2 members hold CO2
};

// Why an eruption sequence ended.
enum class EruptionSequenceEnd : int {
    halfCrystallised = 0,  // the crystal fraction reached one half, by or after the last eruption
    notConfigured,         // the set-up or a non-positive overpressure was refused (see `message`)
    solveFailed,           // the overpressure or pressure search failed
    overpressureNotReached,  // no eruption: dP is not reached before half of the mass is crystals
    noEruptedVolume,       // the chamber would erupt no positive volume
    meltExhausted,         // the eruption would take more melt than is left
    noCrystalGrowth,       // the crystal fraction did not grow in one cycle
    eruptionLimit,         // kMaxEruptions eruptions without reaching one half
    cancelled,             // the caller's progress function stopped it
};

// Told after each eruption of a sequence: the number of eruptions so far and
// the crystal mass fraction the chamber has reached.  Returning false stops
// the sequence there (EruptionSequenceEnd::cancelled); the rows of the
// eruptions so far are kept.
using EruptionProgress = std::function<bool(int eruptions, double crystalFraction)>;

// English text for an end reason.
const char* eruptionSequenceEndText(EruptionSequenceEnd end);

// Values per row of the curves handed to a caller's array (output mode 6).
inline constexpr int kSolubilityCurvePointSize = 2;    // dissolved wt %, P (bar)
inline constexpr int kCrystallizationCurveRowSize = 9;
// Step of the crystallisation curve in crystal mass fraction.
inline constexpr double kCrystallizationStep = 0.001;
inline constexpr int kEruptionSequenceRowSize = 10;

class TaitJaupart : public Equation {
public:
    // Status of an operation: 0 success; the solver's status otherwise.
    static constexpr int kRefused = -1;  // the set-up was refused (see `message`)
    static constexpr int kMaxEruptions = 10000;
    // The ranges of the chamber's models.  The power-law solubilities of H2O
    // and CO2 were fitted to experiments from about 0.1 to 5 kbar (H2O in
    // rhyolite within 1 % of Liu, Zhang and Behrens 2005, J. Volcanol.
    // Geotherm. Res. 143, 219-235, calibrated at 0-500 MPa and 700-1200 C).
    static constexpr double kMinPressure = 1e7;           // Pa
    static constexpr double kMaxPressure = 5e8;           // Pa
    static constexpr double kMinTemperature = 973.15;     // K (700 C)
    static constexpr double kMaxTemperature = 1473.15;    // K (1200 C)
    static constexpr double kMaxGasVolumeFraction = 0.75;  // fragmentation
    // The elastic moduli (mu, beta) the pressure search computes with: the
    // volumes go as exp((P - P0)/modulus), which over the pressures of the
    // solubility laws overflows, or leaves no root the search can find, below
    // about 1e5 Pa.  Rocks and melts lie near 1e10 Pa, and no solid is
    // stiffer than about 1e12 Pa.
    static constexpr double kMinModulus = 1e6;   // Pa
    static constexpr double kMaxModulus = 1e13;  // Pa
    // The refusal of an initial pressure (bar) outside kMinPressure to
    // kMaxPressure, for callers that check it before it is converted to Pa.
    static std::string initialPressureRefusal(double bar);

    // --- state (Equation::error at the head is the solvers' flag) ---
    double M = 1000.0;        // total mass of the chamber contents
    double ml0 = 0.0;         // initial volatile-free melt mass
    double mc0 = 0.0;         // initial crystal mass
    double mg0 = 0.0;         // initial gas mass of volatile 1
    double md0 = 0.0;         // initial dissolved mass of volatile 1
    double mv = 0.0;          // total mass of volatile 1 (dissolved plus gas)
    double mg0CO2 = 0.0;      // initial gas mass of CO2 (mixture)
    double md0CO2 = 0.0;      // initial dissolved mass of CO2 (mixture)
    double mvCO2 = 0.0;       // total mass of CO2 (mixture)
    double xCO2 = 0.0;        // CO2 mass fraction of the volatiles (mixture)
    double P0 = 1e8;          // initial pressure, reference of the density laws
    double rhol0 = 2700.0;    // melt density at P0
    double rhog0 = 0.0;       // gas density at P0
    double rhoc0 = 3300.0;    // crystal density at P0
    double V0 = 0.0;          // initial chamber volume
    double Vl0 = 0.0, Vg0 = 0.0, Vc0 = 0.0;
    int saturated0 = 0;       // 1 when the initial state holds gas
    double mdSat = 0.0;       // dissolved volatile 1 of the last saturation state
    double mdSatCO2 = 0.0;    // dissolved CO2 of the last saturation state
    double sa = 0.0, na = 0.0;  // solubility of volatile 1: sa·P^na
    double sb = 0.0, nb = 0.0;  // solubility of CO2 in the mixture (0: not set)
    double Mw1 = 0.018;       // molar mass of volatile 1
    double Mw2 = 0.044;       // molar mass of volatile 2
    double mu = 1e10;         // elastic modulus of the wall and of the crystals
    double beta = 1e10;       // bulk modulus of the melt
    double P = 1e8;           // current chamber pressure
    double mc = 0.0, ml = 0.0;
    double mg = 0.0, md = 0.0;
    double mgCO2 = 0.0, mdCO2 = 0.0;
    double rhol = 2700.0, rhog = 0.0, rhoc = 3300.0;
    double vd1 = 0.0, vd2 = 0.0;  // partial molar volumes of the dissolved volatiles
    double V = 0.0, Vl = 0.0, Vg = 0.0, Vc = 0.0;
    double T = 1473.0;
    double Mg = 0.018;        // molar mass of the gas (of the current state in the mixture)
    int saturated = 0;        // 1 when the last pressure evaluation held gas
    double K1 = 0.0, K2 = 0.0, K3 = 0.0, K = 0.0, H = 0.0, Papprox = 0.0;
    int magmaType = kChamberMelt2700;
    int fluidType = kChamberFluidH2O;
    double dP = 0.0;          // target overpressure of the eruption loop
    std::unique_ptr<ChamberGasModel> water;  // H2O gas densities (reference EOS)
    std::unique_ptr<ChamberGasModel> co2;    // CO2 gas densities (reference EOS)
    int useEOS = 1;           // 1: H2O, CO2 and mixture gas densities from the EOS; 0: ideal gas
    int tabulateGas = 1;      // 1: an eruption sequence reads the EOS from isotherms tabulated once
    // Said once: the gas equations answer beyond their ranges (CO2 always at
    // magmatic temperatures, water above 1273 K).
    bool co2ExtrapolationSaid = false;
    bool waterExtrapolationSaid = false;
    void noteExtrapolatedGases();
    std::unique_ptr<Secant> pressureSolver;   // bound to equationForP
    std::unique_ptr<Newton> partitionSolver;  // bound to calculate_vector_function

    // --- outcome of the last operations ---
    std::string message;      // why the last refused or failed operation stopped
    int configured = 0;       // 1 once setInitialData has accepted a state
    int partitionStatus = 0;  // status of the last volatile partition (0 converged)
    int pressureStatus = 0;   // status of the last pressure search (0 converged)

    TaitJaupart();
    ~TaitJaupart();
    TaitJaupart(const TaitJaupart&) = delete;
    TaitJaupart& operator=(const TaitJaupart&) = delete;

    // Melt constants of a ChamberMagmaType; crystals are 3300 kg/m3.
    void setMagmaType(int type);
    // Gas and solubility constants of a ChamberFluidType; x is the CO2 mass
    // fraction of the volatiles (mixture only).
    void setFluid(int type, double x);

    // The gas-free melt at P (Pa) holding the most volatile it can, for crystal
    // mass fraction X and H2O and CO2 mass fractions a and b of M (mixture):
    // sets P, mc, ml, mdSat, mdSatCO2.
    void calculateSaturation(double P, double X, double a, double b);

    // Partition of H2O and CO2 between melt and gas at P for a volatile mass
    // fraction w of M with CO2 fraction x, with the melt mass `ml` left by the
    // caller.  Returns the Newton status (0 converged), also in partitionStatus.
    int calculateVolatilePartition(double P, double w, double x);
    // The partition system: residuals of the variables md, mdCO2, mg, mgCO2 and,
    // when order >= 1, their analytic Jacobian.
    void calculate_vector_function(double* x, double* F, double** J, int& err, int order, void* data);

    // Initial state of total mass M at pressure P0 (Pa), crystal mass fraction X,
    // volatile mass fraction w and CO2 fraction x of the volatiles.  Returns
    // false (with `message`) when the set-up is refused or a solve fails.
    // Refused outside the models' ranges: P0 from kMinPressure to kMaxPressure
    // and T from kMinTemperature to kMaxTemperature (where the solubility
    // laws were measured), and a magma of more than kMaxGasVolumeFraction gas.
    bool setInitialData(double M, double P0, double X, double w, double x);

    // Volume residual V - Vl - Vg - Vc at trial pressure P with mc and ml set by
    // the caller; leaves the whole state for that P.  Sets `error` when the state
    // cannot be evaluated.
    double equationForP(double P, void* data);

    // Solves for the pressure at crystal mass fraction X and fills the
    // closed-form terms.  The secant starts from 100 bar, then from P0, and
    // when both fail the root is bracketed and bisected.  Returns the search's
    // status, also in pressureStatus (0 converged, kRefused when no initial
    // state has been accepted, kSolverAboveMax for a pressure above
    // kMaxPressure, kSolverBelowMin for one below kMinPressure, with
    // `message`).
    int calculateOverpressure(double X);
    // dP - (P - P0) at crystal mass fraction X; `error` when the pressure search failed.
    double equationForOverpressure(double X, void* data);

    // Report of the initial and current states on standard output.
    void print() const;

    // --- curves and the eruption sequence ---

    // Dissolved volatile (wt % of the melt with its volatiles) against pressure
    // (bar); X, w, x are used for the mixture only.  Mode 6 appends
    // kSolubilityCurvePointSize values per point to `array`; other modes write
    // nothing.  Returns the number of points, or kRefused.
    int calculateSolubilityCurve(double X, double w, double x, char mode, const char* suffix,
                                 std::vector<double>* array);

    // Pressure, masses and volumes from crystal fraction X1 to X2 in steps of
    // 0.001 (the last step lands on X2).  Mode 1 writes the Igor text file
    // "crysta.txt" with the suffix on the wave names, mode 6 appends
    // kCrystallizationCurveRowSize values per row; steps whose pressure search
    // failed or lies outside kMinPressure to kMaxPressure are left out (said
    // with their crystal fractions and pressures).  Sets M = 1000.  Returns the number of rows written,
    // or kRefused.
    int calculateCrystallizationCurve(double X1, double X2, char mode, const char* suffix,
                                      std::vector<double>* array);

    // Crystal mass fraction at which P - P0 = dP.  The search's status goes to
    // *status when given (0 converged).
    double calculateCrystallizationForOverpressure(double dP, int* status = nullptr);

    // Refused (notConfigured) when dP is not positive; overpressureNotReached
    // at once (with `message`) when P0 + dP lies above kMaxPressure.
    // Eruptions each time the overpressure reaches dP, until half of the mass is
    // crystals; appends kEruptionSequenceRowSize values per eruption.  An
    // overpressure reached only at a crystal fraction beyond one half makes no
    // eruption.  Sets M = 1000 and leaves the state after the last eruption.
    // `progress`, when given, is told after each eruption and may stop the sequence.
    EruptionSequenceEnd calculateEruptionSequence(double dP, std::vector<double>* array,
                                                  const EruptionProgress& progress = {});

private:
    // Why the last pressure search (pressureStatus) at crystal fraction X
    // failed, in words a user can act on.
    std::string pressureFailureText(double X) const;
    // Why the chamber's pressure falls as it crystallises, when it holds no
    // gas and its crystals are denser than its melt: they take less room than
    // the melt they grow from, and no gas expands to fill it.  Empty otherwise.
    // `gasFree` is whether the state in question holds no gas.
    std::string fallingPressureReason(bool gasFree) const;
    bool rhogAtP = false;  // rhog is the gas density at P (gas-free trials skip it)
    // Isotherms of the pure gases tabulated for an eruption sequence.
    GasVolumeTable waterTable, co2Table;

    // Mixture only: Mg of the gas of H2O and CO2 masses gasH2O and gasCO2, the
    // mean molar mass (gasH2O + gasCO2)/(gasH2O/Mw1 + gasCO2/Mw2); with no gas,
    // that of the gas that would form first at pressure p.
    void setMixtureGasMolarMass(double p, double gasH2O, double gasCO2);
    // Gas density at pressure p (Pa): the ideal gas, or with useEOS the
    // equations of state of H2O and CO2, ideally mixed for the mixture; false
    // (with `message`) when an equation of state cannot give it.
    bool gasDensity(double p, double& rho);
    // Molar volume (m3/mol) of pure H2O or CO2 at T and p (Pa), from the
    // isotherm's table when it covers p, else from the equation of state.
    bool pureGasVolume(bool carbonDioxide, double p, double& v);
    // CO2 mole fraction of the gas of molar mass Mg.
    double gasCO2MoleFraction() const;
    // Refuses set-ups the equations cannot be evaluated for.
    bool checkSetup(double M, double P0, double X, double w, double x);
    // Refuses an initial pressure or a temperature outside the models' ranges.
    bool checkRanges(double P0);
    // setInitialData after its checks of the set-up.
    bool initialState(double M, double P0, double X, double w, double x);
    // The accepted initial state brought to a total mass of `mass` at the same
    // P0 and mass fractions (the curves and sequences work per 1000 kg);
    // false (with `message`) when it cannot be evaluated.
    bool scaleInitialState(double mass);
    void refuse(const std::string& why);
    void fillClosedFormTerms();
    // Partition masses (md, mdCO2, mg, mgCO2) at P with the melt mass ml, by
    // bisection on the CO2 mole fraction of the gas; false when the melt holds
    // no gas.
    bool partitionFromGasComposition(double* masses) const;
    // Pressure by bisection in a bracket grown from P0, with mc and ml set: a
    // SolverStatus, the state left at the root.
    int bracketPressure();
    // Crystal fraction X beyond Xc at which the overpressure reaches dP, the
    // state left there: 0 found, 1 not reached before one half, 2 failed.
    int nextEruptionFraction(double Xc, double& X);
    // Fraction f of the magma (melt with its dissolved volatiles and gas, at
    // the crystal and melt masses mc and ml) whose removal leaves contents
    // that fill the cavity at P0: 1 - (cavity - Vc)/(Vl + Vg) at P0.  Leaves
    // the state at P0; false (with `message`) when it cannot be evaluated.
    bool eruptedFraction(double cavity, double& f);
};
