#pragma once
// Densities of NaCl solutions interpolated (trilinear, no extrapolation) in
// the table of Potter & Brown (1977): 13 molalities (0 to 6 by 0.5 mol/kg),
// 20 temperatures (25 to 500 by 25 °C) and 15 pressures (1 to 2000 bar).
// A cell holding 0 has no value.  A state off the grids, or one whose
// interpolation gives weight to an empty cell, has no density: the table
// function returns 0 with errorflag 1, calculate_density NaN with errorflag 1.
#include "brines/DensityModel.h"

class PotterBrown : public DensityModel {
public:
    PotterBrown() = default;
    ~PotterBrown() override = default;

    void calculate_molar_volume() override;
    double calculate_density() override;

    // V(P_Pa) - *(double*)data (m3/mol).
    double equation_for_pressure(double P_Pa, void* data);
    // Pressure at which the solution has molar volume V_target (m3/mol).
    void calculate_pressure(double V_target);
    // Table density (g/cm3); 0 with errorflag 1 when the table gives none, else errorflag 0.
    double calculate_Potter_Brown_density(double T_K, double P_bar, double m_);

    static constexpr int kMolalities = 13, kTemperatures = 20, kPressures = 15;
    static const double molalityNodes[kMolalities];
    static const double temperatureNodes[kTemperatures];  // °C
    static const double pressureNodes[kPressures];        // bar
    // dens[im*300 + it*15 + ip], g/cm3; 0 where the table holds no value.
    static const double* table();
};
