#pragma once
// Base of the two-phase (liquid and vapour, or two liquids) equilibrium
// problems of an n-component mixture.
//
// A VLE borrows two FluidPhase models from its caller (it never creates nor
// deletes them), holds the components and the bulk composition, the specified
// conditions, the current state and two saved states for continuation, and a
// two-digit problem code (VLEProblemCode) naming the two fixed variables:
//     1 temperature, 2 pressure, 3 molar vapour fraction (vapour amount),
//     4 total volume, 5 volumetric vapour fraction;
// the order of the digits does not matter (12 and 21 are the same problem).
//
// The base solves nothing: its three solver operations are empty and are
// filled by IdealMixture (Raoult's law) and IFP (Newton on the fugacities).
//
// Calling order: construct with the two models -> number_of_components(n) ->
// add_components -> bulk_composition -> set_type_of_problem -> the specified
// values (set_the_temperature, set_the_pressure, set_the_vaporization_ratio,
// ...) -> start values (xcomposition, ycomposition, temperature, pressure) ->
// set_initialization_flag -> calculateVLE, repeated along a path.  Results are
// read from T, P, x, y, Fv, nV, nL and `error`.
//
// Units inside: K, Pa, moles, m3/mol.  The setters of pressure take bar.
// Failures are reported through `error` (0 none, 1 no convergence, 2 problem
// not defined, 3 no starting point of a curve, 5 initialisation error, 6 wrong
// phase definition, 7 no convergence of a driver's first point, 8 file
// format), never by an exception.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "numerics/Equation.h"

class DataTextFile;

class FluidPhase;

// Two decimal digits, each naming one fixed variable (see above).
using VLEProblemCode = short;

class VLE : public Equation {
public:
    // Temperature, pressure, phase compositions and the start values of the
    // two models' volume searches.
    struct State {
        double T = 0.0;
        double P = 0.0;
        std::vector<double> x;
        std::vector<double> y;
        double Vl = 0.0;
        double Vv = 0.0;
    };

    VLE();
    VLE(FluidPhase& a, FluidPhase& b);
    VLE(FluidPhase* a, FluidPhase* b);
    virtual ~VLE();
    VLE(const VLE&) = delete;
    VLE& operator=(const VLE&) = delete;

    // ---- virtual operations
    virtual void read_component_data(int /*i*/, const char* /*name*/) {}
    virtual void calculate_with_fixed_P_and_T() {}
    virtual void calculate_with_fixed_T_and_Fv() {}
    virtual void calculate_with_fixed_P_and_Fv() {}
    // The current state to both models: T, P, amounts, compositions.
    virtual void apply_conditions();
    virtual void initialize();
    // The solved state becomes the start of the next solve.
    virtual void estimate_next_state();
    virtual void reset_to_zero();
    virtual void set_initialization_flag(short flag) { init_flag = flag; }
    virtual void set_the_temperature(double T_) { spec_T = T_; }
    virtual void set_the_pressure(double P_bar) { spec_P = P_bar * 100000.0; }
    // Molar vapour fraction f of the bulk.
    virtual void set_the_vaporization_ratio(double f);
    // Volumetric vapour fraction f (the molar fraction taken as f/((1-f) 100 + f)).
    virtual void set_the_vaporization_ratio1(double f);
    virtual void set_the_volume(double V) { spec_Vt = V; }
    // Opens (mode "w") the history file of solved states; an open one is closed first.
    virtual void set_history(const char* path);
    virtual void temperature(double T_);
    virtual void pressure(double P_bar);
    virtual void vaporization_ratio(double f);
    virtual void vaporization_ratio1(double f);
    virtual void number_of_components(int n);
    virtual void set_type_of_problem(short code) { problem = code; }
    virtual void set_printing_flag(short flag) { printing = flag; }
    virtual void add_component(const char* name);
    // All n components at once (a shorter list names the first ones only).
    virtual void add_components(std::initializer_list<const char*> list);
    // One bulk mole fraction per component, in order.
    virtual void bulk_composition(std::initializer_list<double> zs);
    virtual void composition(int i, double zi);
    virtual void xcomposition(int i, double v);
    virtual void ycomposition(int i, double v);
    // Current, estimate and previous value of x[i] (the last two arguments are not used).
    virtual void xcomposition(int i, double a, double b, double c, double, double);
    virtual void ycomposition(int i, double a, double b, double c, double, double);
    virtual void calculateVLE();

    // File-driven and curve drivers (VLEDrivers.cpp).
    virtual void calculate_vapour_liquid_equilibria(const char* in, const char* out);
    virtual void flash(const char* in, const char* out);
    virtual void flash1(const char* in, const char* out);
    virtual void bubble(const char* in, const char* out);
    virtual void calculate_an_isotherm_of_the_binary_system(const char* out, double T_, double z1, double dz,
                                                            double /*dP_bar*/, double /*Pmax_bar*/,
                                                            const char* suffix);
    virtual void flash_isotherm(const char* out, double T_, double dP, double z1, double Fv_);
    virtual void flash1_isotherm(const char* out, double T_, double P0, double dP, double*);
    virtual void calculate_an_isotherm_of_the_pseudo_binary_system(const char* out, double T_, double s,
                                                                   double r, double dz, double /*dP_bar*/,
                                                                   double /*Pmax_bar*/, const char* suffix);

    template <typename... Rest>
    void add_components(const char* first, Rest... rest) {
        add_components({first, static_cast<const char*>(rest)...});
    }
    template <typename... Rest>
    void bulk_composition(double z0, Rest... rest) {
        bulk_composition({z0, static_cast<double>(rest)...});
    }

    // ---- non-virtual operations
    // Orders the two models by their phase kinds (liquid 2, vapour 1; two
    // liquids make a liquid-liquid problem); any other pair is error 6.
    void set_thermodynamic_models(FluidPhase& a, FluidPhase& b);
    void set_thermodynamic_models(FluidPhase* a, FluidPhase* b);
    // Start of a solve just below the pseudo-critical point of the bulk.
    void initialize_from_the_pseudo_critical_point();
    // Start values from a table of earlier results whose name is read from
    // `console` (standard input by default).
    void initializeFromFile(std::FILE* console = stdin);
    void print(std::FILE* f) const;
    // prefix + name + suffix for every component, concatenated.
    std::string header(const char* prefix, const char* suffix) const;
    // The end of an Igor table and the commands that give its waves the
    // curve's suffix: each column wave (renamed from `from` to `to` + suffix),
    // then the x and y wave of each component.
    struct WaveName {
        const char* from;
        const char* to;
    };
    void endIgorTable(std::FILE* f, std::initializer_list<WaveName> columns, const std::string& suffix) const;
    // Flashes every row of the column file `in` at its T (K) and P (bar),
    // starting from the vapour fraction Fv0: the file must hold "T" and "Pr"
    // and the named composition columns; readRow reads a row's compositions
    // (after T and P) into the bulk and the start values, writeRow writes the
    // result before its error code.  The table in f ends with "END".
    void flashTable(const char* in, std::FILE* f, double Fv0, std::initializer_list<std::string> compositions,
                    const std::function<void(DataTextFile&)>& readRow,
                    const std::function<void(double, double)>& writeRow);

    // Bounded length of a file name or of a word of a start table.
    static constexpr std::size_t kMaxWordLength = 1023;

    // ---- data
    std::vector<std::string> names;  // component names, in the order added
    int nc = 0;
    std::vector<double> moles;  // bulk amount of each component
    std::vector<double> z;      // bulk mole fractions
    double total_moles = 1.0;
    FluidPhase* liquid = nullptr;  // borrowed
    FluidPhase* vapour = nullptr;  // borrowed
    int added = 0;
    double spec_T = 0.0;     // K
    double spec_P = 0.0;     // Pa
    double spec_nV = 0.0;    // specified vapour amount
    double spec_nL = 0.0;    // specified liquid amount
    double spec_Vt = 0.0;    // specified total volume, m3
    double spec_Fvol = 0.0;  // specified volumetric vapour fraction
    double T = 0.0;          // K
    double P = 0.0;          // Pa
    double Vt = 0.0;         // total volume nL Vl + nV Vv
    double nV = 0.0;
    double nL = 0.0;
    std::vector<double> x;  // liquid mole fractions
    std::vector<double> y;  // vapour mole fractions
    double Fv = 0.0;        // molar vapour fraction
    double Fvol = 0.0;      // volumetric vapour fraction
    double aux = 0.0;       // working value of the subclasses
    State estimate;         // start values of the next solve
    State previous;         // last solved state
    State older;            // continuation data of the subclasses
    double factor = 1.0;    // step factor of the curve drivers
    short key_component = 0;
    short ll_flag = 0;  // 1: both models are liquids
    VLEProblemCode problem = 0;
    short init_flag = 0;
    short error = 0;
    short printing = 0;
    short history_on = 0;
    short pass_count = 0;
    short first_init_flag = 2;
    short estimate_mode = 0;  // switches of the subclasses
    short switch2 = 0;
    short switch3 = 0;
    short key_check = 0;
    std::FILE* history = nullptr;  // owned

protected:
    // True when both models are set (a failed ordering leaves them unset).
    bool hasModels() const { return liquid && vapour; }
    // Reports a problem code outside what the class solves.
    void reportUndefinedProblem();
    // Solves the problems every solver states the same way: fixed (P, T),
    // fixed (T, vapour fraction) and fixed (P, vapour fraction), in either
    // order of the codes.  False, with nothing solved, for any other code.
    bool solveStandardProblem();

private:
    void closeHistory();
};
