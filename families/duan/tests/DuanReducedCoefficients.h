#pragma once
// The Duan equation's reduced virial coefficients of a parameter set at T
// and the interaction row of H2O-CO2 in Duan, Moller & Weare (1992, part
// II), written from the papers for the tests and the benchmarks' plain
// equation (no test framework needed).
#include <cmath>

#include "families/duan/DuanParameters.h"

namespace duan_tests {

constexpr double R = 8.31434;

// Reduced virial coefficients of a set at T (K).
struct Reduced {
    double B, C, D, E, F, beta, gamma, Vc;
};

inline Reduced reduced(double Tc, double Pc_bar, const double* a, double T)
{
    const double Tr = T / Tc, Tr2 = Tr * Tr, Tr3 = Tr2 * Tr;
    Reduced r;
    r.B = a[0] + a[1] / Tr2 + a[2] / Tr3;
    r.C = a[3] + a[4] / Tr2 + a[5] / Tr3;
    r.D = a[6] + a[7] / Tr2 + a[8] / Tr3;
    r.E = a[9] + a[10] / Tr2 + a[11] / Tr3;
    r.F = a[12] / Tr3;
    r.beta = a[13];
    r.gamma = a[14];
    r.Vc = R * Tc / (Pc_bar * 1e5);
    return r;
}

inline Reduced reduced(const duan::FluidSet& s, double T) { return reduced(s.Tc, s.Pc, s.a, T); }

// The interaction parameters of a pair: k1 on the mixed B, k2 on the mixed
// C and k3 on the mixed gamma (1 where the paper gives none).
struct PairRow {
    double k1 = 1.0, k2 = 1.0, k3 = 1.0;
};

// H2O-CO2, each k = c0 + c1 T + c2 T^2 + c3/T + c4 ln T: 273.15-373.15,
// 373.15-495.15, 495.15-623.15 and 623.15-1273.15 K.
inline PairRow waterCarbonDioxideRow(double T)
{
    PairRow p;
    if (T <= 373.15) {
        p.k1 = 0.20611 + 0.0006 * T;
        p.k2 = 0.8023278 - 0.0022206 * T + 184.76824 / T;
        p.k3 = 1.80544 - 0.0032605 * T;
    } else if (T <= 495.15) {
        p.k1 = -10084.5042 - 4.27134485 * T + 0.00166997474 * T * T + 256477.783 / T + 1816.78 * std::log(T);
        p.k2 = 9.000263 - 0.00623494 * T - 2307.7125 / T;
        p.k3 = -74.1163 + 0.1800496 * T - 0.000140904946 * T * T + 10130.5246 / T;
    } else if (T <= 623.15) {
        p.k1 = -0.3568 + 0.00078888 * T + 333.399 / T;
        p.k2 = -19.97444 + 0.0192515 * T + 5707.4229 / T;
        p.k3 = 12.1308 - 0.0099489 * T - 3042.09583 / T;
    } else {
        p.k1 = -4.53122 + 0.0042113 * T + 1619.7 / T;
        p.k2 = -163.4855 + 0.190552 * T - 7.228514e-5 * T * T + 46082.885 / T;
        p.k3 = 1.7137 - 0.00067136 * T;
    }
    return p;
}

}  // namespace duan_tests
