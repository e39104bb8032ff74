#pragma once
// The phase split of a binary written plainly, for any equation that gives
// its stable root at T, P and x (Binary::stableRoot(T, P, x, Z, lnphi),
// false where it has none) with the components' critical points and
// acentric factors (Binary::Tc, Pc in Pa, w) and its gas constant
// (Binary::R):
//   michelsenSplits  the tangent-plane test of Michelsen (1982) from
//                    Wilson's K-factors (vapour- and liquid-like) and the
//                    nearly pure components;
//   plainFlash       the flash by successive substitution on
//                    K_i = phi_i(x) / phi_i(y) with the split of Rachford
//                    and Rice, then Newton's method on the equal fugacities.
//   lowerRoot        the stable root from a few starts, for such an
//                    equation: Newton's method on P(V) from each start
//                    (newtonRoot), the root of lower Gibbs energy.
// Oracles for the tests and yardsticks of the benchmarks: they share no code
// with the models.
#include <algorithm>
#include <cmath>

namespace plain_binary {

// The mechanically stable root of P(V) = P (Pa) at T (K) by Newton's method
// from `start`, Z and dZ/dV from zOf(V, Z, dZdV): each step at most doubles
// V and goes at most halfway down to `floor` (m3/mol); false where a step
// leaves the mechanically stable branch or the steps do not converge.
template <class ZOf>
bool newtonRoot(const ZOf& zOf, double R, double T, double P, double start, double floor, double& V) {
    V = start;
    for (int it = 0; it < 100; ++it) {
        double z, dz;
        zOf(V, z, dz);
        const double p = z * R * T / V, dpdv = R * T * (dz * V - z) / (V * V);
        if (!(dpdv < 0.0)) return false;
        const double next = std::fmin(2.0 * V, std::fmax(0.5 * (V + floor), V - (p - P) / dpdv));
        const bool still = std::fabs(next - V) <= 1e-14 * V;
        V = next;
        if (still) return true;
    }
    return false;
}

// Of the roots the starts reach (Binary::mixed(T, x), Binary::Z(m, V, Z,
// dZdV), Binary::lnPhi(m, x, V, lnphi)) the one of least Gibbs energy: its
// Z and ln phi; false where none is reached.  A start of 0 is none.
template <class Binary, int N>
bool lowerRoot(const Binary& eos, double T, double P, const double (&x)[2], const double (&starts)[N], double floor,
               double& Z_, double (&lnphi)[2]) {
    const auto m = eos.mixed(T, x);
    auto zOf = [&](double V, double& z, double& dz) { Binary::Z(m, V, z, dz); };
    double best = HUGE_VAL;
    for (double start : starts) {
        double V, l[2], z, dz;
        if (!(start > 0.0) || !newtonRoot(zOf, Binary::R, T, P, start, floor, V)) continue;
        Binary::lnPhi(m, x, V, l);
        const double g = x[0] * l[0] + x[1] * l[1];
        if (g < best) {
            best = g;
            Binary::Z(m, V, z, dz);
            Z_ = z;
            lnphi[0] = l[0];
            lnphi[1] = l[1];
        }
    }
    return std::isfinite(best);
}

// The test of the feed z1 (component 1's fraction): each trial taken by
// successive substitution W_i = z_i phi_i(z) / phi_i(W) to a stationary
// point of the distance; true where one lies below the plane, its
// composition into w1.
template <class Binary>
bool michelsenSplits(const Binary& eos, double T, double P, double z1, double* w1 = nullptr) {
    const double z[2] = {1.0 - z1, z1};
    double Zz, lz[2];
    if (!eos.stableRoot(T, P, z, Zz, lz)) return false;
    const double d[2] = {std::log(z[0]) + lz[0], std::log(z[1]) + lz[1]};
    double K[2];
    for (int i = 0; i < 2; ++i)
        K[i] = eos.Pc[i] / P * std::exp(5.373 * (1.0 + eos.w[i]) * (1.0 - eos.Tc[i] / T));
    const double starts[4][2] = {{z[0] * K[0], z[1] * K[1]}, {z[0] / K[0], z[1] / K[1]}, {1.0 - 1e-6, 1e-6},
                                 {1e-6, 1.0 - 1e-6}};
    for (const auto& s : starts) {
        double W[2] = {s[0], s[1]};
        double tm = 0.0;
        for (int it = 0; it < 200; ++it) {
            const double sum = W[0] + W[1], x[2] = {W[0] / sum, W[1] / sum};
            double Zw, lw[2];
            // A trial that reaches a composition without a root is no
            // stationary point: its last distance says nothing.
            if (!eos.stableRoot(T, P, x, Zw, lw)) {
                tm = 0.0;
                break;
            }
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

// The phases' component-1 fractions (x1 of the denser) and volumes.
struct Split {
    bool found = false;
    double x1[2] = {0.0, 0.0}, V[2] = {0.0, 0.0};
};

// The flash of the feed z1 at T (K) and P (Pa) from a trial w1 below its
// tangent plane; Newton's method in (x1, y1) by central differences.
template <class Binary>
Split plainFlash(const Binary& eos, double T, double P, double z1, double w1) {
    Split s;
    double xa = z1, xb = w1;
    auto phase = [&](double c1, double& Z, double (&l)[2]) {
        const double x[2] = {1.0 - c1, c1};
        return eos.stableRoot(T, P, x, Z, l);
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
    const double Va = Za * Binary::R * T / P, Vb = Zb * Binary::R * T / P;
    const bool aDenser = Va < Vb;
    s.found = true;
    s.x1[0] = aDenser ? xa : xb;
    s.x1[1] = aDenser ? xb : xa;
    s.V[0] = std::min(Va, Vb);
    s.V[1] = std::max(Va, Vb);
    return s;
}

}  // namespace plain_binary
