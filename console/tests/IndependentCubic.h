#pragma once
// Binary cubics written here from their publications, independently of the
// library: Soave-Redlich-Kwong (Soave 1972), Peng-Robinson (1976), with
// Montel's volume translation, and Peng-Robinson with Stryjek and Vera's
// alpha (1986), van der Waals one-fluid mixing with the project's constants
// and pair parameters; their pressure, fugacities and the critical
// conditions of Heidemann and Khalil (1980), solved by Newton's method; and
// a tangent-plane stability test of a binary by them.
#include <algorithm>
#include <cmath>
#include <vector>

#include "console/tests/IndependentTangentPlane.h"

namespace indep {

constexpr double kR = 8.31434;

struct Component {
    double Tc, Pc, m;  // m: the slope of the alpha function of the model
};

// Soave (1972): m = 0.48 + 1.574 w - 0.176 w^2.
inline Component soave(double Tc, double Pc, double w) { return {Tc, Pc, 0.48 + 1.574 * w - 0.176 * w * w}; }
// Stryjek and Vera (1986), kappa1 = 0: kappa0 = 0.378893 + 1.4897153 w - 0.17131848 w^2 + 0.0196554 w^3.
inline Component strykjekVera(double Tc, double Pc, double w) {
    return {Tc, Pc, 0.378893 + 1.4897153 * w - 0.17131848 * w * w + 0.0196554 * w * w * w};
}

// A two-parameter cubic of a binary, P = RT/(V - b) - a/((V - d1 b)(V - d2 b)),
// a = sum x_i x_j (1 - k_ij) sqrt(a_i a_j), a_i = Oa R^2 Tc^2/Pc (1 + m (1 - sqrt(T/Tc)))^2,
// b = sum x_i Ob R Tc/Pc (SRK: d1 = 0, d2 = -1; Peng-Robinson: d1 = sqrt 2 - 1, d2 = -1 - sqrt 2).
struct Cubic {
    double d1, d2, Oa, Ob;
    Component c[2];
    double k;
    // Volume translation (Peneloux): the cubic holds in V' = V + c, c = sum x_i s_i b_i.
    double s[2] = {0.0, 0.0};

    double shift(double x1) const {
        const double x[2] = {1.0 - x1, x1};
        double t = 0.0;
        for (int i = 0; i < 2; ++i) t += x[i] * s[i] * Ob * kR * c[i].Tc / c[i].Pc;
        return t;
    }

    void params(double T, double x1, double& a, double& b, double ai[2], double bi[2]) const {
        const double x[2] = {1.0 - x1, x1};
        for (int i = 0; i < 2; ++i) {
            const double s = 1.0 + c[i].m * (1.0 - std::sqrt(T / c[i].Tc));
            ai[i] = Oa * kR * kR * c[i].Tc * c[i].Tc / c[i].Pc * s * s;
            bi[i] = Ob * kR * c[i].Tc / c[i].Pc;
        }
        a = 0.0;
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) a += x[i] * x[j] * (i == j ? 1.0 : 1.0 - k) * std::sqrt(ai[i] * ai[j]);
        b = x[0] * bi[0] + x[1] * bi[1];
    }
    double P(double T, double V, double x1) const {
        double a, b, ai[2], bi[2];
        params(T, x1, a, b, ai, bi);
        V += shift(x1);
        return kR * T / (V - b) - a / ((V - d1 * b) * (V - d2 * b));
    }
    // ln f_i = ln(x_i R T/(V - b)) + b_i/(V - b)
    //          + [(abar_i/b - a b_i/b^2) L + a b_i/b (d2/(V - d2 b) - d1/(V - d1 b))] / ((d1 - d2) R T),
    // L = ln((V - d1 b)/(V - d2 b)), abar_i = 2 sum_j x_j a_ij: the derivative in n_i of the
    // residual Helmholtz energy of n moles.
    // (With a translation, at V' and less s_i b_i P/(R T).)
    double lnf(int i, double T, double V, double x1) const {
        const double Pt = P(T, V, x1);
        double a, b, ai[2], bi[2];
        params(T, x1, a, b, ai, bi);
        V += shift(x1);
        const double x[2] = {1.0 - x1, x1};
        double abar = 0.0;
        for (int j = 0; j < 2; ++j) abar += 2.0 * x[j] * (i == j ? 1.0 : 1.0 - k) * std::sqrt(ai[i] * ai[j]);
        const double RT = kR * T, L = std::log((V - d1 * b) / (V - d2 * b));
        return std::log(x[i] * RT / (V - b)) + bi[i] / (V - b) +
               ((abar / b - a * bi[i] / (b * b)) * L + a * bi[i] / b * (d2 / (V - d2 * b) - d1 / (V - d1 * b))) /
                   ((d1 - d2) * RT) -
               s[i] * bi[i] * Pt / RT;
    }
    // A/(R T) up to terms linear in x1:
    // x0 ln x0 + x1 ln x1 - ln(V - b) + a/((d1 - d2) b R T) ln((V - d1 b)/(V - d2 b)),
    // in extended precision for the differences below.
    long double F(double T, long double V, long double x1) const {
        const long double x[2] = {1.0L - x1, x1};
        long double a = 0.0L, b = 0.0L, ai[2];
        for (int i = 0; i < 2; ++i) {
            const long double s = 1.0L + c[i].m * (1.0L - std::sqrt((long double)T / c[i].Tc));
            ai[i] = (long double)Oa * kR * kR * c[i].Tc * c[i].Tc / c[i].Pc * s * s;
            b += x[i] * (long double)Ob * kR * c[i].Tc / c[i].Pc;
        }
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) a += x[i] * x[j] * (i == j ? 1.0L : 1.0L - k) * std::sqrt(ai[i] * ai[j]);
        for (int i = 0; i < 2; ++i) V += x[i] * (long double)s[i] * Ob * kR * c[i].Tc / c[i].Pc;
        return x[0] * std::log(x[0]) + x[1] * std::log(x[1]) - std::log(V - b) +
               a / ((d1 - d2) * b * kR * T) * std::log((V - d1 * b) / (V - d2 * b));
    }
    // Heidemann and Khalil's conditions by central
    // differences in (x1, s = V/V0 - 1), a linear scaling of V that leaves
    // the conditions as they are: G0 = F_ss F_xx - F_xs^2 and G1 the third derivative along
    // the null direction, each scaled by the sum of its terms' sizes.
    void conditions(double T, double V, double x1, double& g0, double& g1) const {
        const long double h = 2e-4L, q = 2e-4L;
        auto f = [&](long double s, long double x) { return F(T, V * (1.0L + s), x1 + x); };
        auto fxx = [&](long double s) { return (f(s, q) - 2.0L * f(s, 0) + f(s, -q)) / (q * q); };
        auto fss = [&](long double x) { return (f(h, x) - 2.0L * f(0, x) + f(-h, x)) / (h * h); };
        const long double Axx = fxx(0), Ass = fss(0);
        const long double Axs = (f(h, q) - f(h, -q) - f(-h, q) + f(-h, -q)) / (4.0L * h * q);
        const long double Axxx = (f(0, 2 * q) - 2 * f(0, q) + 2 * f(0, -q) - f(0, -2 * q)) / (2 * q * q * q);
        const long double Asss = (f(2 * h, 0) - 2 * f(h, 0) + 2 * f(-h, 0) - f(-2 * h, 0)) / (2 * h * h * h);
        const long double Axxs = (fxx(h) - fxx(-h)) / (2 * h);
        const long double Axss = (fss(q) - fss(-q)) / (2 * q);
        g0 = static_cast<double>((Ass * Axx - Axs * Axs) / (std::fabs(Ass * Axx) + Axs * Axs));
        const long double t[4] = {Ass * Ass * Ass * Axxx, -3 * Ass * Ass * Axs * Axxs, 3 * Ass * Axs * Axs * Axss,
                                  -Axs * Axs * Axs * Asss};
        g1 = static_cast<double>((t[0] + t[1] + t[2] + t[3]) /
                                 (std::fabs(t[0]) + std::fabs(t[1]) + std::fabs(t[2]) + std::fabs(t[3])));
    }
    // The critical point by Newton's method on (G0, G1) in (u, ln V), u the
    // fixed-composition temperature (fixedT false) or the fixed-temperature
    // x1 (fixedT true), with a difference Jacobian.
    bool critical(bool fixedT, double& T, double& V, double& x1) const {
        for (int it = 0; it < 60; ++it) {
            double g0, g1;
            conditions(T, V, x1, g0, g1);
            // G1 is a difference of third derivatives: known to about 1e-7.
            if (std::fabs(g0) < 1e-9 && std::fabs(g1) < 2e-7) return true;
            const double du = fixedT ? 1e-5 : 1e-4 * T, dv = 1e-5;
            double a0, a1, b0, b1;
            if (fixedT)
                conditions(T, V, x1 + du, a0, a1);
            else
                conditions(T + du, V, x1, a0, a1);
            conditions(T, V * std::exp(dv), x1, b0, b1);
            const double J00 = (a0 - g0) / du, J01 = (b0 - g0) / dv, J10 = (a1 - g1) / du, J11 = (b1 - g1) / dv;
            const double det = J00 * J11 - J01 * J10;
            if (!(std::fabs(det) > 0.0)) return false;
            double su = -(g0 * J11 - J01 * g1) / det, sv = -(J00 * g1 - J10 * g0) / det;
            const double lim = fixedT ? 0.05 : 5.0;
            if (std::fabs(su) > lim) {
                sv *= lim / std::fabs(su);
                su = std::copysign(lim, su);
            }
            if (std::fabs(sv) > 0.1) {
                su *= 0.1 / std::fabs(sv);
                sv = std::copysign(0.1, sv);
            }
            (fixedT ? x1 : T) += su;
            V *= std::exp(sv);
            if (std::fabs(su) < (fixedT ? 1e-11 : 1e-9 * T) && std::fabs(sv) < 1e-11) return true;
        }
        return false;
    }
};

// The project's constants: SRK1's table (CO2, CH4) and the component file
// (N2); ClassicalSRK's table; PRSV's own (CO2, CH4, H2O) and the component
// file (N2); pair parameters CO2-CH4 0.1, CO2-N2 -0.035, CH4-N2 0.03, H2O-CO2 0.
const double kSrkOa = 0.427480234, kSrkOb = (std::cbrt(2.0) - 1.0) / 3.0;
// Stryjek and Vera's (1986) constants of PRSV, 0.457235 and 0.077796; Peng
// and Robinson's own, 0.45723553 and 0.07779607, with their m = 0.37464 +
// 1.54226 w - 0.26992 w^2 and the component files' constants.
const double kPrsvOa = 0.457235, kPrsvOb = 0.077796, kPrOa = 0.45723553, kPrOb = 0.07779607;
const double kPrD1 = std::sqrt(2.0) - 1.0, kPrD2 = -1.0 - std::sqrt(2.0);
const Component kSrk1CO2 = soave(304.21, 7382500.0, 0.225), kSrk1CH4 = soave(190.555, 4595000.0, 0.013),
                kSrk1N2 = soave(126.2, 3398000.0, 0.037), kSrkN2 = soave(126.2, 3390000.0, 0.04);
const Component kPrsvCO2 = strykjekVera(304.21, 7383000.0, 0.225), kPrsvCH4 = strykjekVera(190.55, 4599000.0, 0.01045),
                kPrsvN2 = strykjekVera(126.2, 3398000.0, 0.037), kPrsvH2O = strykjekVera(647.096, 22006400.0, 0.3438);

inline Cubic srk(Component a, Component b, double k) { return {0.0, -1.0, kSrkOa, kSrkOb, {a, b}, k}; }
inline Cubic prsv(Component a, Component b, double k) { return {kPrD1, kPrD2, kPrsvOa, kPrsvOb, {a, b}, k}; }
inline Cubic pr(Component a, Component b, double k) { return {kPrD1, kPrD2, kPrOa, kPrOb, {a, b}, k}; }
inline Component pengRobinson(double Tc, double Pc, double w) { return {Tc, Pc, 0.37464 + 1.54226 * w - 0.26992 * w * w}; }
// Montel's list: Peng and Robinson's 0.45724 and 0.07780, their m, and each
// component's translation s (c_i = s_i b_i); pairs CO2-CH4 0.1, CO2-N2 -0.02,
// CH4-N2 0.04.
inline Cubic montel(Component a, double sa, Component b, double sb, double k) {
    Cubic m{kPrD1, kPrD2, 0.45724, 0.0778, {a, b}, k};
    m.s[0] = sa;
    m.s[1] = sb;
    return m;
}
const Component kMontelCO2 = pengRobinson(304.2, 7376000.0, 0.225), kMontelCH4 = pengRobinson(190.6, 4500000.0, 0.0115),
                kMontelN2 = pengRobinson(126.2, 3394000.0, 0.04);
const double kMontelSCO2 = -0.0817, kMontelSCH4 = -0.1595, kMontelSN2 = -0.1927;
// SRK2 takes the component files' constants.
const Component kFileCO2 = soave(304.13, 7377000.0, 0.224), kFileCH4 = soave(190.56, 4599000.0, 0.011),
                kFileN2 = soave(126.2, 3398000.0, 0.037), kFileH2O = soave(647.1, 22055000.0, 0.345);
// SRK1's water: the critical point of the reference water equation.
const Component kSrk1H2O = soave(647.096, 22064000.0, 0.344);
const Component kPrCO2 = pengRobinson(304.13, 7377000.0, 0.224), kPrCH4 = pengRobinson(190.56, 4599000.0, 0.011),
                kPrN2 = pengRobinson(126.2, 3398000.0, 0.037);

// Argon by Tegeler, Span & Wagner (J. Phys. Chem. Ref. Data 28 (1999) 779):
// Tc 150.687 K, pc 4.863 MPa, acentric factor -0.00219; water as Peng and
// Robinson's model takes it (647.13 K, 22.055 MPa, its own slope 0.85360439).
const Component kPrAr = pengRobinson(150.687, 4863000.0, -0.00219), kPrH2O = {647.13, 22055000.0, 0.85360439};

// One isotherm of fixed composition of a cubic, for the tangent-plane test
// (IndependentTangentPlane.h): its scan starts just above the co-volume.
struct CubicIsotherm {
    const Cubic& c;
    double T, x1;
    double Vmin() const {
        double a, b, ai[2], bi[2];
        c.params(T, x1, a, b, ai, bi);
        return b * (1.0 + 1e-6) - c.shift(x1);
    }
    double P(double V) const { return c.P(T, V, x1); }
    double lnf(int i, double V) const { return c.lnf(i, T, V, x1); }
};
inline CubicIsotherm isotherm(const Cubic& c, double T, double x1) { return {c, T, x1}; }

// The cubic's mechanically stable roots at T, P (Pa) and x1, and the Gibbs
// energy over RT of a root, to within terms the same for every root at T, P
// and x1: sum_i x_i ln f_i.
inline std::vector<double> roots(const Cubic& c, double T, double P, double x1) {
    return stableRoots(isotherm(c, T, x1), T, P);
}
inline double gibbs(const Cubic& c, double T, double V, double x1) {
    return (1.0 - x1) * c.lnf(0, T, V, x1) + x1 * c.lnf(1, T, V, x1);
}

// Peng and Robinson's binary constants of CO2 with CH4 and N2 of Knapp,
// Doring, Oellrich, Plocker and Prausnitz (DECHEMA Chemistry Data Series VI,
// 1982).
const double kKnappCO2CH4 = 0.0919, kKnappCO2N2 = -0.0170;

// Solid CO2 beside the stable phase of cubic `c` at T, P (Pa) and x1: the
// logarithm of the fugacity of its component `i` (CO2) there over the pure
// solid's, the solid's that of its saturated vapour at its sublimation
// pressure (Span & Wagner 1996, eq. 3.12; the vapour by the same cubic)
// with the Poynting factor of its molar volume, 28.2 cm3/mol (1.56 g/cm3);
// NaN above the triple point.  `phi` (if given) CO2's fugacity coefficient
// in the fluid.
inline double solidCO2Excess(const Cubic& c, int i, double T, double P, double x1, double* phi = nullptr) {
    const double Tt = 216.592, pt = 517950.0, t = 1.0 - T / Tt;
    if (!(t > 0.0)) return std::nan("");
    const double psub = pt * std::exp(Tt / T * (-14.740846 * t + 2.4327015 * std::pow(t, 1.9) - 5.3061778 * std::pow(t, 2.9)));
    const std::vector<double> Vs = roots(c, T, P, x1);
    if (Vs.empty()) return std::nan("");
    double V = Vs[0];
    for (double v : Vs)
        if (gibbs(c, T, v, x1) < gibbs(c, T, V, x1)) V = v;
    const double lnf = c.lnf(i, T, V, x1), share = i == 0 ? 1.0 - x1 : x1;
    if (phi) *phi = std::exp(lnf) / (share * P);
    const double pure = i == 0 ? 0.0 : 1.0;
    const std::vector<double> Vsub = roots(c, T, psub, pure);
    if (Vsub.empty()) return std::nan("");
    return lnf - c.lnf(i, T, Vsub.back(), pure) - 28.2e-6 * (P - psub) / (kR * T);
}

}  // namespace indep
