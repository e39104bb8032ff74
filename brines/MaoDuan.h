#pragma once
// Saturation properties of eight pure fluids (H2O, CO2, CH4, C2H6, N2, O2,
// SO2, H2S) from correlations in reduced temperature (Mao & Duan): vapour
// pressure, saturated liquid and vapour densities and molar volumes between
// the triple point and the critical point.
#include <vector>

class MaoDuan {
public:
    MaoDuan();

    // Selects a component by exact name; false (and nothing changed) for any other name.
    bool setComponent(const char* name);
    // At T (K): P (bar), densities (kg/m3) and molar volumes M/rho (L/mol).
    // False (outputs untouched, said) when the name is not in the table or T
    // lies outside the triple-to-critical range.
    bool calculateTheSaturationPressure(const char* name, double T, double& P, double& rho_l, double& rho_v,
                                        double& V_l, double& V_v);
    // Steps (Tc - Tt)/200 from Tt + dT while T < Tc; appends T (K) and P (bar)
    // of each point to array when it is given.  False for a name not in the table.
    bool calculateSaturationCurve(const char* name, std::vector<double>* array);

    // Component table, in the order H2O, CO2, CH4, C2H6, N2, O2, SO2, H2S.
    struct Component {
        const char* name;
        double Tc, Pc, rhoc, Tt, Pt, M;  // K, bar, kg/m3, K, bar, g/mol
        double a[6], b[6], c[5];
    };
    static const Component table[8];

    // Current component (valid once `selected`).
    bool selected = false;
    double Tt = 0, Tc = 0, Pt = 0, Pc = 0, T = 0, P = 0, rhoc = 0, M = 0;
    double a[6] = {}, b[6] = {}, c[5] = {};

    double vapourPressure(double T_) const;
    double liquidDensity(double T_) const;
    double vapourDensity(double T_) const;
};
