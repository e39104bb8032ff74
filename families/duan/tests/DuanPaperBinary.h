#pragma once
// The binary equation of Duan, Moller & Weare (1992) written from the paper,
// independently of the model's expression tree: its pressure, fugacity
// coefficients and the interaction rows of its three pairs, for tests that
// judge the DMW models (their states, and their verdicts through the
// tangent-plane test of console/tests/IndependentTangentPlane.h).
#include <cmath>

#include "families/duan/DuanParameters.h"
#include "families/duan/tests/DuanChecks.h"

namespace duan_tests {

// The binary equation of Duan, Moller & Weare (1992, part II), written here
// from the paper independently of the model's expression tree:
//   Z = 1 + B/V + C/V^2 + D/V^4 + E/V^5 + F/V^2 (beta + gamma/V^2) exp(-gamma/V^2),
// each coefficient a sum over the composition monomials of the cube of the
// mean cube root of the components' reduced coefficients (signs kept), times
// the power of the pseudo-critical volume ((n1 Vc1^1/3 + n2 Vc2^1/3)/n)^3 of
// its index pattern, with k1 on the mixed B, k2 on the mixed C and k3 on the
// mixed gamma; beta = x1 beta1 + x2 beta2.  The fugacity coefficients come
// from the residual Helmholtz energy by central differences in the mole
// numbers at constant total volume.
struct PaperBinary {
    const duan::FluidSet* s[2];
    double k1, k2, k3;

    struct Coefficients {
        double B, C, D, E, F, beta, gamma;
    };

    Coefficients at(double T, double x2) const
    {
        const double x[2] = {1.0 - x2, x2};
        Reduced r[2] = {reduced(*s[0], T), reduced(*s[1], T)};
        const double c[2] = {std::cbrt(r[0].Vc), std::cbrt(r[1].Vc)};
        // Sum over the patterns of n1 firsts and n2 = n - n1 seconds.
        auto mix = [&](int n, int volumePower, double Reduced::*u, double k) {
            double sum = 0.0;
            for (int n2 = 0; n2 <= n; ++n2) {
                const int n1 = n - n2;
                double binom = 1.0;
                for (int i = 0; i < n2; ++i) binom = binom * (n - i) / (i + 1);
                const double m = (n1 * std::cbrt(r[0].*u) + n2 * std::cbrt(r[1].*u)) / n;
                const double vc = std::pow((n1 * c[0] + n2 * c[1]) / n, 3);
                const double kk = n1 > 0 && n2 > 0 ? k : 1.0;
                sum += binom * std::pow(x[0], n1) * std::pow(x[1], n2) * std::pow(vc, volumePower) * kk * m * m * m;
            }
            return sum;
        };
        Coefficients k;
        k.B = mix(2, 1, &Reduced::B, k1);
        k.C = mix(3, 2, &Reduced::C, k2);
        k.D = mix(5, 4, &Reduced::D, 1.0);
        k.E = mix(6, 5, &Reduced::E, 1.0);
        k.F = mix(2, 2, &Reduced::F, 1.0);
        k.gamma = mix(3, 2, &Reduced::gamma, k3);
        k.beta = x[0] * r[0].beta + x[1] * r[1].beta;
        return k;
    }

    static double Z(const Coefficients& k, double V)
    {
        const double V2 = V * V;
        return 1.0 + k.B / V + k.C / V2 + k.D / (V2 * V2) + k.E / (V2 * V2 * V) +
               k.F / V2 * (k.beta + k.gamma / V2) * std::exp(-k.gamma / V2);
    }
    // The integral of (Z - 1)/V from V to infinity.
    static double residual(const Coefficients& k, double V)
    {
        const double V2 = V * V, g = k.gamma;
        return k.B / V + k.C / (2 * V2) + k.D / (4 * V2 * V2) + k.E / (5 * V2 * V2 * V) +
               k.F / (2 * g) * (k.beta + 1.0 - (k.beta + 1.0 + g / V2) * std::exp(-g / V2));
    }
    // The gas root: V (m3/mol) at T (K) and P (bar) by Newton steps from the ideal gas.
    double volume(double T, double P_bar, double x2) const
    {
        const Coefficients k = at(T, x2);
        const double P = P_bar * 1e5;
        double V = R * T / P;
        for (int i = 0; i < 200; ++i) {
            const double h = 1e-7 * V;
            const double p = Z(k, V) * R * T / V;
            const double dp = (Z(k, V + h) * R * T / (V + h) - Z(k, V - h) * R * T / (V - h)) / (2 * h);
            const double step = (p - P) / dp;
            V -= step;
            if (std::fabs(step) < 1e-15 * V) break;
        }
        return V;
    }
    // ln phi_i = d(n a_r)/dn_i at T and nV - ln Z.
    double lnPhi(int i, double T, double V, double x2) const
    {
        const double Vt = V;  // one mole
        auto nar = [&](double n1, double n2) {
            const double n = n1 + n2;
            return n * residual(at(T, n2 / n), Vt / n);
        };
        const double h = 1e-5;
        const double n1 = 1.0 - x2, n2 = x2;
        const double d = i == 0 ? (nar(n1 + h, n2) - nar(n1 - h, n2)) / (2 * h)
                                : (nar(n1, n2 + h) - nar(n1, n2 - h)) / (2 * h);
        const double z = Z(at(T, x2), V);
        return d - std::log(z);
    }
};


// The interaction rows of the paper (Duan, Moller & Weare 1992, part II),
// each k = c0 + c1 T + c2 T^2 + c3/T + c4 ln T on the mixed patterns of B
// (k1), C (k2) and gamma (k3); every k = 1 outside the rows.
inline PaperBinary waterCarbonDioxide(double T)
{
    const PairRow k = waterCarbonDioxideRow(T);
    return {{&duan::kH2O, &duan::kCO2}, k.k1, k.k2, k.k3};
}
// H2O-CH4: below 363.15 K and from 363.15 to 513.15 K; above, the row the
// DMW models take there (k1 = 42.1575 - 0.05 T, k2 = k3 = 1), which their
// notes say could not be traced to the paper.
inline PaperBinary waterMethane(double T)
{
    PaperBinary p{{&duan::kH2O, &duan::kCH4}, 1.0, 1.0, 1.0};
    if (T >= 513.15) {
        p.k1 = 42.1575 - 0.05 * T;
        return p;
    }
    p.k1 = -0.108948 + 0.00035 * T;
    if (T < 363.15) {
        p.k2 = 72992.5023 + 41.0912234 * T - 0.020488391 * T * T - 1532639.28 / T - 13739.4496 * std::log(T);
        p.k3 = 16.6726 - 0.0215979 * T - 2845.934 / T;
    } else {
        p.k2 = -36.3512 + 0.08256278 * T - 6.175e-5 * T * T + 5515.0249 / T;
        p.k3 = 0.5038515 + 0.00102381 * T;
    }
    return p;
}
// CO2-CH4: from 273.15 to 305.15 K; above it, up to 498.15 K, the row the
// DMW models take there (k1 = 1.1, k2 = 3.211 - 0.00158 T - 537.814/T,
// k3 = -0.7), which their notes say could not be traced to the paper.
inline PaperBinary carbonDioxideMethane(double T)
{
    PaperBinary p{{&duan::kCO2, &duan::kCH4}, 1.0, 1.0, 1.0};
    if (T >= 273.15 && T <= 305.15) {
        p.k1 = 0.38;
        p.k2 = 1.74094 - 0.0058903 * T;
        p.k3 = 1.59;
    } else if (T > 305.15 && T <= 498.15) {
        p.k1 = 1.1;
        p.k2 = 3.211 - 0.00158 * T - 537.814 / T;
        p.k3 = -0.7;
    }
    return p;
}

// One isotherm of fixed composition, for the tangent-plane test: the scan
// starts at a third of the densest pure component's liquid volume at
// 2000 bar (where no root of these fluids lies).
struct PaperIsotherm {
    const PaperBinary& p;
    double T, x2;
    PaperBinary::Coefficients k;
    double Vmin() const { return kLeastVolume; }
    double P(double V) const { return PaperBinary::Z(k, V) * R * T / V; }
    double lnf(int i, double V) const
    {
        const double xi = i == 0 ? 1.0 - x2 : x2;
        return std::log(xi * P(V)) + p.lnPhi(i, T, V, x2);
    }
    static constexpr double kLeastVolume = 6e-6;  // m3/mol
};
inline PaperIsotherm isotherm(const PaperBinary& p, double T, double x2) { return {p, T, x2, p.at(T, x2)}; }

}  // namespace duan_tests
