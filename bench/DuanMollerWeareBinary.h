#pragma once
// The binary equation of Duan, Moller & Weare (1992, part II) written out on
// its own, the yardstick of the benchmarks as PengRobinsonBinary.h is the
// cubic's:
//   Z = 1 + B/V + C/V^2 + D/V^4 + E/V^5 + F/V^2 (beta + gamma/V^2) exp(-gamma/V^2),
// each coefficient Q of order n a homogeneous polynomial in the mole
// fractions, Q = sum_m binom(n, m) x1^(n-m) x2^m w_m, whose weights w_m are
// the cubes of the mean cube roots of the components' reduced coefficients
// (signs kept) times a power of the pseudo-critical volume
// ((n-m) Vc1^1/3 + m Vc2^1/3)/n)^3, with k1 on the mixed B, k2 on the mixed
// C and k3 on the mixed gamma; beta = x1 beta1 + x2 beta2.  The residual
// Helmholtz energy a = A_r/RT of one mole,
//   a = B/V + C/2V^2 + D/4V^4 + E/5V^5
//       + F/2gamma (beta + 1 - (beta + 1 + gamma/V^2) exp(-gamma/V^2)),
// gives dZ/dV and the fugacity coefficients in closed form,
//   ln phi_i = a + Z - 1 + da/dx_i - sum_j x_j da/dx_j - ln Z.
// On it: the stable root (Newton's method on P(V) from a liquid and a gas
// start, the root of lower Gibbs energy), Michelsen's test and the flash of
// fluid/tests/PlainBinaryFlash.h.  It shares no code with the models.
#include <cmath>

#include "families/duan/DuanParameters.h"
#include "families/duan/tests/DuanReducedCoefficients.h"
#include "fluid/tests/PlainBinaryFlash.h"

struct DuanMollerWeareBinary {
    static constexpr double R = duan_tests::R;
    const duan::FluidSet* set[2];
    duan_tests::PairRow (*row)(double T);
    double Tc[2], Pc[2], w[2];  // K, Pa and the acentric factors of Wilson's K

    // H2O and CO2 with their acentric factors (Poling, Prausnitz and
    // O'Connell, 0.345 and 0.224).
    static DuanMollerWeareBinary waterCarbonDioxide() {
        return {{&duan::kH2O, &duan::kCO2},
                &duan_tests::waterCarbonDioxideRow,
                {duan::kH2O.Tc, duan::kCO2.Tc},
                {duan::kH2O.Pc * 1e5, duan::kCO2.Pc * 1e5},
                {0.345, 0.224}};
    }

    // The coefficients B, C, D, E, F, gamma (index 0 to 5) with their
    // derivatives in x1 and x2, and beta.
    struct Mixed {
        double q[6], q1[6], q2[6], beta, beta1, beta2;
    };
    Mixed mixed(double T, const double (&x)[2]) const {
        const duan_tests::Reduced r[2] = {duan_tests::reduced(*set[0], T), duan_tests::reduced(*set[1], T)};
        const duan_tests::PairRow k = row(T);
        const double c[2] = {std::cbrt(r[0].Vc), std::cbrt(r[1].Vc)};
        using U = double duan_tests::Reduced::*;
        const U coefficient[6] = {&duan_tests::Reduced::B, &duan_tests::Reduced::C, &duan_tests::Reduced::D,
                                  &duan_tests::Reduced::E, &duan_tests::Reduced::F, &duan_tests::Reduced::gamma};
        const int order[6] = {2, 3, 5, 6, 2, 3}, volumePower[6] = {1, 2, 4, 5, 2, 2};
        const double kMixed[6] = {k.k1, k.k2, 1.0, 1.0, 1.0, k.k3};
        Mixed m{};
        for (int j = 0; j < 6; ++j) {
            const int n = order[j];
            const double u[2] = {std::cbrt(r[0].*coefficient[j]), std::cbrt(r[1].*coefficient[j])};
            double binom = 1.0;
            for (int m2 = 0; m2 <= n; ++m2) {
                const int m1 = n - m2;
                const double mean = (m1 * u[0] + m2 * u[1]) / n, vc = (m1 * c[0] + m2 * c[1]) / n;
                const double weight = binom * std::pow(vc * vc * vc, volumePower[j]) * mean * mean * mean *
                                      (m1 > 0 && m2 > 0 ? kMixed[j] : 1.0);
                const double p1 = std::pow(x[0], m1), p2 = std::pow(x[1], m2);
                m.q[j] += weight * p1 * p2;
                if (m1 > 0) m.q1[j] += weight * m1 * std::pow(x[0], m1 - 1) * p2;
                if (m2 > 0) m.q2[j] += weight * m2 * p1 * std::pow(x[1], m2 - 1);
                binom = binom * (n - m2) / (m2 + 1);
            }
        }
        m.beta1 = r[0].beta;
        m.beta2 = r[1].beta;
        m.beta = x[0] * m.beta1 + x[1] * m.beta2;
        return m;
    }
    // Z and dZ/dV (mol/m3) at V (m3/mol).
    static void Z(const Mixed& m, double V, double& Z, double& dZdV) {
        const double B = m.q[0], C = m.q[1], D = m.q[2], E = m.q[3], F = m.q[4], g = m.q[5], b = m.beta;
        const double v2 = V * V, v3 = v2 * V, v5 = v3 * v2, e = std::exp(-g / v2);
        Z = 1.0 + B / V + C / v2 + D / (v2 * v2) + E / v5 + F / v2 * (b + g / v2) * e;
        dZdV = -B / v2 - 2.0 * C / v3 - 4.0 * D / v5 - 5.0 * E / (v5 * V) +
               F * e * (-2.0 * b / v3 - 4.0 * g / v5 + 2.0 * g * (b / v5 + g / (v5 * v2)));
    }
    // ln phi_i at V from the residual Helmholtz energy.
    static void lnPhi(const Mixed& m, const double (&x)[2], double V, double (&lnphi)[2]) {
        const double F = m.q[4], g = m.q[5], b = m.beta, v2 = V * V, s = g / v2, e = std::exp(-s);
        const double h = b + 1.0 - (b + 1.0 + s) * e;
        // da/dQ of B, C, D, E, F and gamma, and da/dbeta.
        const double aq[6] = {1.0 / V, 0.5 / v2, 0.25 / (v2 * v2), 0.2 / (v2 * v2 * V), h / (2.0 * g),
                              -F * h / (2.0 * g * g) + F / (2.0 * g) * e * (b + s) / v2};
        const double ab = F / (2.0 * g) * (1.0 - e);
        double a = 0.0, ax1 = ab * m.beta1, ax2 = ab * m.beta2;
        for (int j = 0; j < 5; ++j) a += aq[j] * m.q[j];
        for (int j = 0; j < 6; ++j) {
            ax1 += aq[j] * m.q1[j];
            ax2 += aq[j] * m.q2[j];
        }
        double z, dz;
        Z(m, V, z, dz);
        const double mean = x[0] * ax1 + x[1] * ax2, common = a + z - 1.0 - mean - std::log(z);
        lnphi[0] = common + ax1;
        lnphi[1] = common + ax2;
    }
    // The stable root at T (K), P (Pa) and x: its Z and ln phi; false where
    // neither start reaches a root.  The liquid start lies at a twelfth of
    // the mixture's pseudo-critical volume, denser than the liquids.
    bool stableRoot(double T, double P, const double (&x)[2], double& Z_, double (&lnphi)[2]) const {
        const double c = x[0] * std::cbrt(duan_tests::R * set[0]->Tc / (set[0]->Pc * 1e5)) +
                         x[1] * std::cbrt(duan_tests::R * set[1]->Tc / (set[1]->Pc * 1e5));
        const double starts[2] = {c * c * c / 12.0, R * T / P};
        return plain_binary::lowerRoot(*this, T, P, x, starts, 0.0, Z_, lnphi);
    }
    bool splits(double T, double P, double z1, double* w1 = nullptr) const {
        return plain_binary::michelsenSplits(*this, T, P, z1, w1);
    }
    plain_binary::Split flash(double T, double P, double z1, double w1) const {
        return plain_binary::plainFlash(*this, T, P, z1, w1);
    }
};
