#pragma once
// Kreglewski's binary (Chen & Kreglewski 1977; Kreglewski & Chen 1978)
// written out on its own: the residual Helmholtz energy of one mole
//   a = (alpha^2 - 1) ln(1 - xi) + [(alpha^2 + 3 alpha) xi - 3 alpha xi^2]/(1 - xi)^2
//       + sum D(n,m) (u/T)^n (V0/V)^m,
// with xi = 0.74048 V0/V, alpha = x1 alpha1 + x2 alpha2,
// V0 = sum_ij x_i x_j V0ij (V0ii = V00i [1 - C exp(-3 u0i/T)]^3,
// V012 = kv (V01 + V02)/2), and u = sum_ij x_i x_j phi-weighted energies
// (u11 = u01 (1 + eta1/T), u22 = u02/r^2 (1 + eta2/T),
// u12 = 2 xi12/(1/u01 + r^2/u02) (1 + a12/T + b12^2/T^2), r^3 = V002/V001);
// Z and dZ/dV and the fugacity coefficients in closed form,
//   ln phi_i = a + Z - 1 + da/dx_i - sum_j x_j da/dx_j - ln Z.
// On it: the stable root (Newton's method from a liquid start on the
// falling branch above the close packing and from the ideal gas, the root
// of lower Gibbs energy), and Michelsen's test and the flash of
// fluid/tests/PlainBinaryFlash.h.  An oracle for the tests and the
// yardstick of the benchmarks: it shares no code with the model.
#include <cmath>

#include "fluid/tests/PlainBinaryFlash.h"

struct KreglewskiPlainBinary {
    static constexpr double R = 8.31434;
    struct Component {
        double V00, alpha, u0, eta;
    };
    Component c[2];
    double kv, a12, b12, xi12;
    double Tc[2], Pc[2], w[2];  // Wilson's K-factors: K, Pa, acentric factors

    // Kreglewski and Chen's constants of CO2, CH4, N2 and H2S with their
    // pairs' (CO2-CH4, CO2-N2, CH4-H2S; CH4-N2 by the default rule: kv 1,
    // a12 the mean eta, b12 0, xi12 1); critical points and acentric factors
    // from Poling, Prausnitz and O'Connell.
    static constexpr Component kCO2{1.9703e-05, 1.0571, 284.28, 40.0}, kCH4{2.1576e-05, 1.0, 190.29, 1.0},
        kN2{1.9457e-05, 1.0, 123.53, 3.0}, kH2S{2.0672e-05, 1.044, 373.66, 15.0};
    static KreglewskiPlainBinary co2Methane() {
        return {{kCO2, kCH4}, 1.05, 20.5, 0.0, 0.94, {304.13, 190.56}, {7.377e6, 4.599e6}, {0.224, 0.011}};
    }
    static KreglewskiPlainBinary co2Nitrogen() {
        return {{kCO2, kN2}, 1.2, 21.5, 44.9, 1.02, {304.13, 126.2}, {7.377e6, 3.398e6}, {0.224, 0.037}};
    }
    static KreglewskiPlainBinary methaneNitrogen() {
        return {{kCH4, kN2}, 1.0, 2.0, 0.0, 1.0, {190.56, 126.2}, {4.599e6, 3.398e6}, {0.011, 0.037}};
    }
    static KreglewskiPlainBinary methaneHydrogenSulphide() {
        return {{kCH4, kH2S}, 1.1, 8.0, 54.4, 0.94, {190.56, 373.4}, {4.599e6, 8.963e6}, {0.011, 0.090}};
    }

    // Everything of T and x: V0, alpha, u/T with their derivatives in x1, x2.
    struct Mixed {
        double V0, V0x[2], alpha, alphax[2], u, ux[2];
    };
    Mixed mixed(double T, const double (&x)[2]) const {
        const double C = 0.12;
        double V0i[2];
        for (int i = 0; i < 2; ++i) V0i[i] = c[i].V00 * std::pow(1.0 - C * std::exp(-3.0 * c[i].u0 / T), 3);
        const double V12 = kv * 0.5 * (V0i[0] + V0i[1]);
        const double r2 = std::pow(c[1].V00 / c[0].V00, 2.0 / 3.0);
        const double u11 = c[0].u0 * (1.0 + c[0].eta / T), u22 = c[1].u0 / r2 * (1.0 + c[1].eta / T);
        const double u12 = 2.0 * xi12 / (1.0 / c[0].u0 + r2 / c[1].u0) * (1.0 + a12 / T + b12 * b12 / (T * T));
        // u = g (phi1^2 u11 + 2 phi1 phi2 u12 + phi2^2 u22), phi = (x1, r^2 x2)/g, g = x1 + r^2 x2.
        const double g = x[0] + r2 * x[1], q = x[0] * x[0] * u11 + 2.0 * r2 * x[0] * x[1] * u12 +
                                                 r2 * r2 * x[1] * x[1] * u22;
        const double qx[2] = {2.0 * x[0] * u11 + 2.0 * r2 * x[1] * u12, 2.0 * r2 * x[0] * u12 + 2.0 * r2 * r2 * x[1] * u22};
        const double gx[2] = {1.0, r2};
        Mixed m{};
        m.V0 = x[0] * x[0] * V0i[0] + 2.0 * x[0] * x[1] * V12 + x[1] * x[1] * V0i[1];
        m.V0x[0] = 2.0 * x[0] * V0i[0] + 2.0 * x[1] * V12;
        m.V0x[1] = 2.0 * x[0] * V12 + 2.0 * x[1] * V0i[1];
        m.alpha = x[0] * c[0].alpha + x[1] * c[1].alpha;
        m.u = q / (g * T);
        for (int i = 0; i < 2; ++i) {
            m.alphax[i] = c[i].alpha;
            m.ux[i] = (qx[i] - q * gx[i] / g) / (g * T);
        }
        return m;
    }
    // The dispersion series with its partials in u and w (to the second in w).
    static void series(double u, double w, double& s, double& su, double& sw, double& sww) {
        static constexpr double D[4][9] = {
            {-8.8043, 4.164627, -48.203555, 140.4362, -195.23339, 113.515, 0, 0, 0},
            {2.9396, -6.0865383, 40.137956, -76.230797, -133.7005, 860.25349, -1535.3224, 1221.4261, -409.10539},
            {-2.8225, 4.7600148, 11.257177, -66.382743, 69.248785, 0, 0, 0, 0},
            {0.34, -3.1875014, 12.231796, -12.110681, 0, 0, 0, 0, 0}};
        double un[5] = {1.0}, wm[10] = {1.0};
        for (int k = 1; k < 5; ++k) un[k] = un[k - 1] * u;
        for (int k = 1; k < 10; ++k) wm[k] = wm[k - 1] * w;
        s = su = sw = sww = 0.0;
        for (int n = 1; n <= 4; ++n)
            for (int m = 1; m <= 9; ++m) {
                const double d = D[n - 1][m - 1];
                s += d * un[n] * wm[m];
                su += d * n * un[n - 1] * wm[m];
                sw += d * m * un[n] * wm[m - 1];
                if (m > 1) sww += d * m * (m - 1) * un[n] * wm[m - 2];
            }
    }
    // The hard bodies' part with its partials in alpha and xi (to the second in xi).
    static void hardBodies(double al, double xi, double& f, double& fa, double& fx, double& fxx) {
        const double m = 1.0 - xi, n = (al * al + 3.0 * al) * xi - 3.0 * al * xi * xi;
        const double nx = al * al + 3.0 * al - 6.0 * al * xi;
        f = (al * al - 1.0) * std::log(m) + n / (m * m);
        fa = 2.0 * al * std::log(m) + ((2.0 * al + 3.0) * xi - 3.0 * xi * xi) / (m * m);
        fx = -(al * al - 1.0) / m + nx / (m * m) + 2.0 * n / (m * m * m);
        fxx = -(al * al - 1.0) / (m * m) - 6.0 * al / (m * m) + 4.0 * nx / (m * m * m) + 6.0 * n / (m * m * m * m);
    }
    // Z and dZ/dV (mol/m3) at V (m3/mol).
    static void Z(const Mixed& m, double V, double& Z_, double& dZdV) {
        const double xi = 0.74048 * m.V0 / V, w = m.V0 / V;
        double f, fa, fx, fxx, s, su, sw, sww;
        hardBodies(m.alpha, xi, f, fa, fx, fxx);
        series(m.u, w, s, su, sw, sww);
        Z_ = 1.0 + xi * fx + w * sw;
        dZdV = -(xi * fx + xi * xi * fxx + w * sw + w * w * sww) / V;
    }
    static void lnPhi(const Mixed& m, const double (&x)[2], double V, double (&lnphi)[2]) {
        const double xi = 0.74048 * m.V0 / V, w = m.V0 / V;
        double f, fa, fx, fxx, s, su, sw, sww, z, dz;
        hardBodies(m.alpha, xi, f, fa, fx, fxx);
        series(m.u, w, s, su, sw, sww);
        Z(m, V, z, dz);
        double ax[2];
        for (int i = 0; i < 2; ++i)
            ax[i] = fa * m.alphax[i] + fx * 0.74048 * m.V0x[i] / V + su * m.ux[i] + sw * m.V0x[i] / V;
        const double common = f + s + z - 1.0 - (x[0] * ax[0] + x[1] * ax[1]) - std::log(z);
        for (int i = 0; i < 2; ++i) lnphi[i] = common + ax[i];
    }
    // The stable root at T (K), P (Pa) and x: its Z and ln phi.  The liquid
    // start: the densest volume on a 5 % grid from 1.05 V0 where P(V) falls
    // and still lies above P; no step of Newton's method goes more than
    // halfway down to the close packing.
    bool stableRoot(double T, double P, const double (&x)[2], double& Z_, double (&lnphi)[2]) const {
        const Mixed m = mixed(T, x);
        double liquid = 0.0;
        for (double v = 1.05 * m.V0; v < 6.0 * m.V0; v *= 1.05) {
            double z, dz;
            Z(m, v, z, dz);
            if (dz * v - z >= 0.0) continue;  // rising
            if (z * R * T / v < P) break;
            liquid = v;
        }
        const double starts[2] = {liquid, R * T / P};
        return plain_binary::lowerRoot(*this, T, P, x, starts, m.V0, Z_, lnphi);
    }
    bool splits(double T, double P, double z1, double* w1 = nullptr) const {
        return plain_binary::michelsenSplits(*this, T, P, z1, w1);
    }
    plain_binary::Split flash(double T, double P, double z1, double w1) const {
        return plain_binary::plainFlash(*this, T, P, z1, w1);
    }
};

// One isotherm of fixed composition, for the tangent-plane test of
// console/tests/IndependentTangentPlane.h: T (K) and x1, the mole fraction of
// component 1.  Its scan of volumes starts at 1.05 V0, as the liquid start of
// stableRoot does: denser, towards the close packing, the dispersion series
// (fitted to fluid states) turns P(V) down through roots of no fluid.
struct KreglewskiPlainIsotherm {
    const KreglewskiPlainBinary& e;
    double T, x1;
    KreglewskiPlainBinary::Mixed m;
    double Vmin() const { return 1.05 * m.V0; }
    double P(double V) const {
        double z, dz;
        KreglewskiPlainBinary::Z(m, V, z, dz);
        return z * KreglewskiPlainBinary::R * T / V;
    }
    double lnf(int i, double V) const {
        const double x[2] = {1.0 - x1, x1};
        double lnphi[2];
        KreglewskiPlainBinary::lnPhi(m, x, V, lnphi);
        return std::log(x[i] * P(V)) + lnphi[i];
    }
};
inline KreglewskiPlainIsotherm isotherm(const KreglewskiPlainBinary& e, double T, double x1) {
    const double x[2] = {1.0 - x1, x1};
    return {e, T, x1, e.mixed(T, x)};
}
