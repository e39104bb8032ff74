#pragma once
// Peng & Robinson's (1976) equation for a binary, written out on its own:
// a_i = 0.45723553 R^2 Tc_i^2 / Pc_i (1 + m_i (1 - sqrt(T / Tc_i)))^2 with
// m = 0.37464 + 1.54226 w - 0.26992 w^2, b_i = 0.07779607 R Tc_i / Pc_i,
// a = sum_ij x_i x_j (1 - k_ij) sqrt(a_i a_j), b = sum_i x_i b_i; the cubic
// in Z in closed form (Cardano, or the trigonometric form for three real
// roots) and ln phi_i in closed form (Peng and Robinson 1976, eq. 15):
//   ln phi_i = b_i/b (Z - 1) - ln(Z - B)
//              - A / (2 sqrt2 B) (2 sum_j x_j a_ij / a - b_i / b)
//                ln[(Z + (1 + sqrt2) B) / (Z + (1 - sqrt2) B)].
// On it: the stable root (least Gibbs energy), the tangent-plane test of
// Michelsen (1982) from Wilson's K-factors and the nearly pure components,
// and the flash by successive substitution then Newton's method on the
// equal fugacities.  An oracle for the tests and the yardstick of the
// benchmarks: it shares no code with the models.
#include <algorithm>
#include <cmath>

#include "fluid/tests/PlainBinaryFlash.h"

struct PengRobinsonBinary {
    static constexpr double R = 8.31434;
    double Tc[2], Pc[2], w[2], k01;

    // CO2 and CH4 as the component files give them (Poling, Prausnitz and
    // O'Connell), with the built-in k = 0.1 of the pair.
    static PengRobinsonBinary co2Methane() { return {{304.13, 190.56}, {7377000.0, 4599000.0}, {0.224, 0.011}, 0.1}; }

    struct Parameters {
        double ai[2], bi[2], a, b, A, B, sa[2];  // sa_i = sum_j x_j a_ij
    };
    Parameters parameters(double T, double P, const double (&x)[2]) const {
        Parameters p{};
        for (int i = 0; i < 2; ++i) {
            const double m = 0.37464 + 1.54226 * w[i] - 0.26992 * w[i] * w[i];
            const double s = 1.0 + m * (1.0 - std::sqrt(T / Tc[i]));
            p.ai[i] = 0.45723553 * R * R * Tc[i] * Tc[i] / Pc[i] * s * s;
            p.bi[i] = 0.07779607 * R * Tc[i] / Pc[i];
        }
        const double a01 = (1.0 - k01) * std::sqrt(p.ai[0] * p.ai[1]);
        p.sa[0] = x[0] * p.ai[0] + x[1] * a01;
        p.sa[1] = x[0] * a01 + x[1] * p.ai[1];
        p.a = x[0] * p.sa[0] + x[1] * p.sa[1];
        p.b = x[0] * p.bi[0] + x[1] * p.bi[1];
        p.A = p.a * P / (R * R * T * T);
        p.B = p.b * P / (R * T);
        return p;
    }
    // The real roots Z > B, ascending, into z; their number.
    static int roots(double A, double B, double (&z)[3]) {
        const double c2 = -(1.0 - B), c1 = A - 3.0 * B * B - 2.0 * B, c0 = -(A * B - B * B - B * B * B);
        const double q = (3.0 * c1 - c2 * c2) / 9.0, r = (9.0 * c2 * c1 - 27.0 * c0 - 2.0 * c2 * c2 * c2) / 54.0;
        const double D = q * q * q + r * r;
        double all[3];
        int n = 0;
        if (D > 0.0) {
            all[n++] = std::cbrt(r + std::sqrt(D)) + std::cbrt(r - std::sqrt(D)) - c2 / 3.0;
        } else {
            const double th = std::acos(std::clamp(r / std::sqrt(-q * q * q), -1.0, 1.0)), pi = std::acos(-1.0);
            for (int k = 0; k < 3; ++k) all[n++] = 2.0 * std::sqrt(-q) * std::cos((th + 2.0 * k * pi) / 3.0) - c2 / 3.0;
            std::sort(all, all + 3);
        }
        int kept = 0;
        for (int k = 0; k < n; ++k) {
            // One Newton step on the cubic polishes the closed form.
            double Z = all[k];
            const double g = ((Z + c2) * Z + c1) * Z + c0, dg = (3.0 * Z + 2.0 * c2) * Z + c1;
            if (dg != 0.0) Z -= g / dg;
            if (Z > B) z[kept++] = Z;
        }
        return kept;
    }
    static void lnPhi(const Parameters& p, double Z, double (&lnphi)[2]) {
        const double r2 = std::sqrt(2.0);
        const double L = std::log((Z + (1.0 + r2) * p.B) / (Z + (1.0 - r2) * p.B)), lzb = std::log(Z - p.B);
        for (int i = 0; i < 2; ++i)
            lnphi[i] = p.bi[i] / p.b * (Z - 1.0) - lzb -
                       p.A / (2.0 * r2 * p.B) * (2.0 * p.sa[i] / p.a - p.bi[i] / p.b) * L;
    }
    // The stable root at T (K), P (Pa) and x: its Z and ln phi; false where
    // the cubic has no root above B.
    bool stableRoot(double T, double P, const double (&x)[2], double& Z, double (&lnphi)[2]) const {
        const Parameters p = parameters(T, P, x);
        double z[3];
        const int n = roots(p.A, p.B, z);
        if (n == 0) return false;
        double best = HUGE_VAL;
        for (int k : {0, n - 1}) {
            double l[2];
            lnPhi(p, z[k], l);
            const double g = x[0] * l[0] + x[1] * l[1];
            if (g < best) {
                best = g;
                Z = z[k];
                lnphi[0] = l[0];
                lnphi[1] = l[1];
            }
        }
        return std::isfinite(best);
    }
    // Michelsen's (1982) test of the feed z1 (component 1's fraction) from
    // Wilson's K-factors and the nearly pure components: true where a trial
    // lies below the plane, its composition into w1.
    bool splits(double T, double P, double z1, double* w1 = nullptr) const {
        return plain_binary::michelsenSplits(*this, T, P, z1, w1);
    }
    // The flash of the feed z1 at T (K) and P (Pa) from a trial w1 below
    // its tangent plane: successive substitution, then Newton's method.
    using Split = plain_binary::Split;
    Split flash(double T, double P, double z1, double w1) const { return plain_binary::plainFlash(*this, T, P, z1, w1); }
};
