#pragma once
// Densities of aqueous chloride solutions (brines) at a temperature, a
// pressure and a salt molality, and the inverse problem (the pressure at which
// the solution has a given density).  DensityModel is the common base; the
// models are MaoDuanSalinityModel (Pitzer-type volumetric model of Mao & Duan
// 2008 for seven chlorides), PotterBrown (interpolation in the NaCl-solution
// density table of Potter & Brown 1977) and SpiveyDensityModel (the NaCl brine
// correlation of Spivey, McCain & North 2004).
//
// Calling order: construct, setSystemType (optional), temperature(T_K),
// pressure(P_bar), molality(m), calculate_density(); then read rho, v, V and
// the apparent molar volume.  Units inside: K, Pa, m3/mol, kg/m3.
#include <cstdio>
#include <vector>

#include "fluid/Phase.h"

// Salt of a density model.  Any value outside 0..6 gives NaCl's constants but
// is stored unchanged (SpiveyDensityModel uses 7).
enum DM_SystemType : int {
    DM_NaCl = 0,
    DM_LiCl = 1,
    DM_CaCl2 = 2,
    DM_KCl = 3,
    DM_MgCl2 = 4,
    DM_SrCl2 = 5,
    DM_BaCl2 = 6,
    DM_SpiveyNaCl = 7,
};

class DensityModel : public Phase {
public:
    static constexpr double kWaterMolarMass = 0.018015268;  // kg/mol

    DensityModel();
    ~DensityModel() override = default;

    // Salt constants of the type (molar mass, stoichiometry, charges).
    void setSystemType(DM_SystemType type);
    // Stores m and the mean molar mass of the solution.
    void molality(double m_) override;
    // Density (kg/m3) at the stored T, P and m; the base computes nothing.
    virtual double calculate_density() { return 0.0; }

    // rho(P_bar) - *(double*)data.
    double equation_for_pressure(double P_bar, void* data);
    // Pressure at which the solution (T, m) has density rho_target (kg/m3),
    // from the current pressure, between the lowest and highest pressures of
    // the fit.  On failure (no such pressure in that range): one sentence,
    // errorflag 1, P = 1e7 Pa and NaN in rho, v, V and the apparent volume.
    void calculate_pressure(double rho_target);

    // Igor text files "res" + name + ".txt" (mode 1; other modes write nothing).
    void calculate_isotherm_isobar(double T_, double P_bar, double m0, double m1, char mode, const char* name);
    void calculate_isobar(double m_, double P_bar, double T0, double T1, char mode, const char* name);
    void calculate_rho_P_curves(double T_, double m_, double P0, double P1, char mode, const char* name);
    // kind 0: value is the density (kg/m3); kind 1: a molar volume (cm3/mol);
    // any other kind is refused.  Mode 6 appends T (K) and P (bar) to out.
    void calculate_isochor(double m_, double value, int kind, double T0, double T1, char mode, const char* name,
                           std::vector<double>* out);
    // Reference values printed to standard output (1: density, 2: rho-P file, 3: pressure).
    void test(int which);

    double m = 0.0;           // mol of salt per kg of water
    double rho = 0.0;         // kg/m3
    double v = 0.0;           // m3/kg
    double M = 0.0;           // mean molar mass of the solution, kg/mol
    double Vphi0 = 0.0;       // apparent molar volume at infinite dilution, cm3/mol
    double Tmin = 0.0, Tmax = 0.0, Pmin = 0.0, Pmax = 0.0, mmax = 0.0;  // validity of the salt's block
    double Ms = 0.0;          // salt molar mass, kg/mol
    double nuM = 0.0, nuX = 0.0, nu = 0.0;
    double zM = 0.0, zX = 0.0;
    double mM = 0.0, mX = 0.0;  // ion molalities
    int systemType = 0;         // DM_SystemType as given
    // Set by a caller that takes the model beyond the range of its fit on
    // purpose and answers for the values (the H2O-NaCl phase diagram blends
    // the brine models to 300 C and 2000 bar): no refusal then.
    bool beyondFit = false;

    // Mean molar mass of a solution of molality m of a salt of molar mass Ms.
    static double meanMolarMass(double m_, double Ms_);

protected:
    // Whether T, P and m lie in the range Tmin..Tmax, up to Pmax, 0..mmax of
    // the model's fit (or beyondFit is set); if not, a message naming
    // `source`, errorflag 1 and NaN results (the caller returns rho).  A
    // negative pressure is refused; between 0 and the fit's lowest pressure
    // (the solution's vapour pressure may lie below it) the fit is
    // continued.  A pressure search refuses a root outside the fit's
    // pressures.
    bool inRangeOfFit(const char* source);
    // A state without density: errorflag 1 and NaN in every result (rho, v,
    // V, the apparent molar volume and the ion molalities).
    void refuse();

public:

protected:
    // Pressure (the state left there) at which the density is rho_target, by
    // bisection between the range's lowest pressure and Pmax: 0 found, 1 not.
    int bisectPressure(double rho_target);
    // Opens "res" + name + ".txt"; null (reported) when it cannot.
    static std::FILE* openResultFile(const char* name);
};

// Table density of an NaCl solution (g/cm3) at T (K), P (bar) and m (mol/kg).
double calculate_Potter_Brown_density(double T_K, double P_bar, double m);
// Mao-Duan density of an NaCl solution (kg/m3) with Spivey's pure water volume.
double calculate_Mao_Duan_density(double T_K, double P_bar, double m);
