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
    // Michelsen's (1982) test of the feed z1 (component 1's fraction):
    // trials from Wilson's K-factors (vapour- and liquid-like) and the
    // nearly pure components, each taken by successive substitution
    // W_i = z_i phi_i(z) / phi_i(W) to a stationary point of the distance;
    // true where one lies below the plane, its composition into w1.
    bool splits(double T, double P, double z1, double* w1 = nullptr) const {
        const double z[2] = {1.0 - z1, z1};
        double Zz, lz[2];
        if (!stableRoot(T, P, z, Zz, lz)) return false;
        const double d[2] = {std::log(z[0]) + lz[0], std::log(z[1]) + lz[1]};
        double K[2];
        for (int i = 0; i < 2; ++i) K[i] = Pc[i] / P * std::exp(5.373 * (1.0 + w[i]) * (1.0 - Tc[i] / T));
        const double starts[4][2] = {{z[0] * K[0], z[1] * K[1]}, {z[0] / K[0], z[1] / K[1]}, {1.0 - 1e-6, 1e-6},
                                     {1e-6, 1.0 - 1e-6}};
        for (const auto& s : starts) {
            double W[2] = {s[0], s[1]};
            double tm = 0.0;
            for (int it = 0; it < 200; ++it) {
                const double sum = W[0] + W[1], x[2] = {W[0] / sum, W[1] / sum};
                double Zw, lw[2];
                if (!stableRoot(T, P, x, Zw, lw)) break;
                double change = 0.0;
                tm = 1.0;
                for (int i = 0; i < 2; ++i) {
                    const double next = std::exp(d[i] - lw[i]);
                    change += std::fabs(next - W[i]);
                    tm -= next;
                    W[i] = next;
                }
                if (change < 1e-12) break;
            }
            // A stationary point with sum W > 1 lies below the plane
            // (tm = 1 - sum W < 0), away from the feed itself.
            const double x1 = W[1] / (W[0] + W[1]);
            if (tm < -1e-9 && std::fabs(x1 - z1) > 1e-6) {
                if (w1) *w1 = x1;
                return true;
            }
        }
        return false;
    }
    // The flash of the feed z1 at T (K) and P (Pa) from a trial w1 below
    // its tangent plane: successive substitution on K_i = phi_i(x) / phi_i(y)
    // with the split of Rachford and Rice, then Newton's method on
    // ln f_i(x) = ln f_i(y) in (x1, y1) (central differences).  The
    // phases' component-1 fractions (x1 of the denser) and volumes.
    struct Split {
        bool found = false;
        double x1[2] = {0.0, 0.0}, V[2] = {0.0, 0.0};
    };
    Split flash(double T, double P, double z1, double w1) const {
        Split s;
        double xa = z1, xb = w1;
        auto phase = [&](double c1, double& Z, double (&l)[2]) {
            const double x[2] = {1.0 - c1, c1};
            return stableRoot(T, P, x, Z, l);
        };
        auto residual = [&](double a, double b, double (&F)[2]) {
            double Za, Zb, la[2], lb[2];
            if (!phase(a, Za, la) || !phase(b, Zb, lb)) return false;
            F[0] = std::log(1.0 - a) + la[0] - std::log(1.0 - b) - lb[0];
            F[1] = std::log(a) + la[1] - std::log(b) - lb[1];
            return true;
        };
        for (int it = 0; it < 500; ++it) {
            double Za, Zb, la[2], lb[2];
            if (!phase(xa, Za, la) || !phase(xb, Zb, lb)) return s;
            const double K0 = std::exp(la[0] - lb[0]), K1 = std::exp(la[1] - lb[1]);
            const double a = (1.0 - K0) / (K1 - K0), b = K1 * a;  // phase b = K phase a
            if (!(a > 0.0 && a < 1.0 && b > 0.0 && b < 1.0)) return s;
            const bool still = std::fabs(a - xa) < 1e-8 && std::fabs(b - xb) < 1e-8;
            xa = a;
            xb = b;
            if (still) break;
        }
        for (int it = 0; it < 20; ++it) {
            double F[2], Fa[2], Fb[2], Ga[2], Gb[2];
            const double ha = 1e-7 * std::min(xa, 1.0 - xa), hb = 1e-7 * std::min(xb, 1.0 - xb);
            if (!residual(xa, xb, F) || !residual(xa + ha, xb, Fa) || !residual(xa - ha, xb, Ga) ||
                !residual(xa, xb + hb, Fb) || !residual(xa, xb - hb, Gb))
                return s;
            const double J00 = (Fa[0] - Ga[0]) / (2 * ha), J10 = (Fa[1] - Ga[1]) / (2 * ha);
            const double J01 = (Fb[0] - Gb[0]) / (2 * hb), J11 = (Fb[1] - Gb[1]) / (2 * hb);
            const double det = J00 * J11 - J01 * J10;
            const double da = (F[0] * J11 - F[1] * J01) / det, db = (J00 * F[1] - J10 * F[0]) / det;
            xa -= da;
            xb -= db;
            if (std::fabs(da) + std::fabs(db) < 1e-13) break;
        }
        double Za, Zb, la[2], lb[2];
        if (!phase(xa, Za, la) || !phase(xb, Zb, lb) || !(std::fabs(xa - xb) > 1e-9)) return s;
        const double Va = Za * R * T / P, Vb = Zb * R * T / P;
        const bool aDenser = Va < Vb;
        s.found = true;
        s.x1[0] = aDenser ? xa : xb;
        s.x1[1] = aDenser ? xb : xa;
        s.V[0] = std::min(Va, Vb);
        s.V[1] = std::max(Va, Vb);
        return s;
    }
};
