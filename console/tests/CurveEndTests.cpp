// Where the console's curves end, against evaluations written here from the
// published equations: the binaries of Soave-Redlich-Kwong (Soave 1972), of
// Peng-Robinson (1976), with Montel's volume translation, and of
// Peng-Robinson with Stryjek and Vera's alpha (1986), van der Waals one-fluid
// mixing with the project's constants and pair parameters, for the P-x
// isotherms, which end at the critical point of their isotherm
// (Heidemann and Khalil 1980, solved here anew), and the critical points at
// fixed composition; the critical curves of Peng-Robinson fluids in both
// component orders; and the isotherms and isochores of water and CO2 across
// their two-phase region (no single-phase state inside it, no nan, the
// published saturation at their edges).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "console/FluidCommands.h"
#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "equilibria/IFP.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/tests/TextRows.h"

namespace {

constexpr double kR = 8.31434;

struct Component {
    double Tc, Pc, m;  // m: the slope of the alpha function of the model
};

// Soave (1972): m = 0.48 + 1.574 w - 0.176 w^2.
Component soave(double Tc, double Pc, double w) { return {Tc, Pc, 0.48 + 1.574 * w - 0.176 * w * w}; }
// Stryjek and Vera (1986), kappa1 = 0: kappa0 = 0.378893 + 1.4897153 w - 0.17131848 w^2 + 0.0196554 w^3.
Component strykjekVera(double Tc, double Pc, double w) {
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

Cubic srk(Component a, Component b, double k) { return {0.0, -1.0, kSrkOa, kSrkOb, {a, b}, k}; }
Cubic prsv(Component a, Component b, double k) { return {kPrD1, kPrD2, kPrsvOa, kPrsvOb, {a, b}, k}; }
Cubic pr(Component a, Component b, double k) { return {kPrD1, kPrD2, kPrOa, kPrOb, {a, b}, k}; }
Component pengRobinson(double Tc, double Pc, double w) { return {Tc, Pc, 0.37464 + 1.54226 * w - 0.26992 * w * w}; }
// Montel's list: Peng and Robinson's 0.45724 and 0.07780, their m, and each
// component's translation s (c_i = s_i b_i); pairs CO2-CH4 0.1, CO2-N2 -0.02,
// CH4-N2 0.04.
Cubic montel(Component a, double sa, Component b, double sb, double k) {
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
                kFileN2 = soave(126.2, 3398000.0, 0.037);
const Component kPrCO2 = pengRobinson(304.13, 7377000.0, 0.224), kPrCH4 = pengRobinson(190.56, 4599000.0, 0.011),
                kPrN2 = pengRobinson(126.2, 3398000.0, 0.037);

std::unique_ptr<FluidPhase> model(const std::string& name) {
    std::unique_ptr<FluidPhase> m;
    consoletest::capture([&] { m.reset(createFluidModel(name.c_str())); });
    return m;
}

// Runs command words on the model; true when every command succeeded.
bool run(FluidPhase& m, std::vector<std::string> w, std::string* err = nullptr, std::string* out = nullptr) {
    std::vector<char*> argv;
    for (std::string& s : w) argv.push_back(s.data());
    bool ok = false;
    const auto c = consoletest::capture([&] { ok = runFluidCommands(m, static_cast<int>(argv.size()), argv.data(), nullptr); });
    if (err) *err = c.err;
    if (out) *out = c.out;
    return ok;
}

double relDiff(double a, double b) { return std::fabs(a / b - 1.0); }

}  // namespace

// Every row of each isotherm is a bubble point of the cubic written above (the
// two phases' pressures and fugacities equal, to the six printed digits), the
// rows approach the critical point of the isotherm without passing it (no
// pressure above it, no liquid composition beyond it), and the last row is
// that critical point, solved here anew.  The critical points at five
// compositions are the roots of the same conditions.
TEST(CurveEnds, CubicBinaryIsothermsEndAtTheirCriticalPointAndCriticalPointsAtFiveCompositions) {
    struct Case {
        std::string model;
        Cubic eos;
        std::vector<double> temperatures;
    };
    const std::vector<Case> cases = {
        {"SRK1:CO2,CH4", srk(kSrk1CO2, kSrk1CH4, 0.1), {230.0, 250.0, 270.0}},
        {"SRK2:CO2,CH4", srk(kFileCO2, kFileCH4, 0.1), {230.0, 250.0, 270.0}},
        {"SRK:CO2,CH4", srk(kSrk1CO2, kSrk1CH4, 0.1), {230.0, 250.0, 270.0}},
        {"PRSV:CO2,CH4", prsv(kPrsvCO2, kPrsvCH4, 0.1), {230.0, 250.0, 270.0}},
        {"Montel:CO2,CH4", montel(kMontelCO2, kMontelSCO2, kMontelCH4, kMontelSCH4, 0.1), {230.0, 250.0, 270.0}},
        {"PR:CO2,CH4", pr(kPrCO2, kPrCH4, 0.1), {230.0, 250.0, 270.0}},
        {"SRK1:CO2,N2", srk(kSrk1CO2, kSrk1N2, -0.035), {230.0, 250.0, 280.0}},
        {"SRK2:CO2,N2", srk(kFileCO2, kFileN2, -0.035), {230.0, 250.0, 280.0}},
        {"SRK:CO2,N2", srk(kSrk1CO2, kSrkN2, -0.035), {230.0, 250.0, 280.0}},
        {"PRSV:CO2,N2", prsv(kPrsvCO2, kPrsvN2, -0.035), {230.0, 250.0, 280.0}},
        {"Montel:CO2,N2", montel(kMontelCO2, kMontelSCO2, kMontelN2, kMontelSN2, -0.02), {230.0, 250.0, 280.0}},
        {"PR:CO2,N2", pr(kPrCO2, kPrN2, -0.035), {230.0, 250.0, 280.0}},
        {"SRK1:CH4,N2", srk(kSrk1CH4, kSrk1N2, 0.03), {140.0, 150.0, 170.0}},
        {"SRK2:CH4,N2", srk(kFileCH4, kFileN2, 0.03), {140.0, 150.0, 170.0}},
        {"SRK:CH4,N2", srk(kSrk1CH4, kSrkN2, 0.03), {140.0, 150.0, 170.0}},
        {"PRSV:CH4,N2", prsv(kPrsvCH4, kPrsvN2, 0.03), {140.0, 150.0, 170.0}},
        {"Montel:CH4,N2", montel(kMontelCH4, kMontelSCH4, kMontelN2, kMontelSN2, 0.04), {140.0, 150.0, 170.0}},
        {"PR:CH4,N2", pr(kPrCH4, kPrN2, 0.03), {140.0, 150.0, 170.0}},
        {"PRSV:H2O,CO2", prsv(kPrsvH2O, kPrsvCO2, 0.0), {580.0, 600.0, 620.0}},
    };
    int rows = 0, curves = 0, points = 0, contRows = 0, contCurves = 0;
    double worstRow = 0.0, worstUnits = 0.0, worstEnd = 0.0, worstPoint = 0.0, contWorstRow = 0.0, contWorstEnd = 0.0;
    for (const Case& c : cases) {
        for (double T : c.temperatures) {
            auto m = model(c.model);
            ASSERT_TRUE(m) << c.model;
            std::string err;
            ASSERT_TRUE(run(*m, {"bino", std::to_string(T), "_ce"}, &err)) << c.model << " " << T << ": " << err;
            const auto r = readTextRows("bino_ce");
            ASSERT_GE(r.size(), 5u) << c.model << " " << T;
            ++curves;
            // The critical point of the isotherm, from the middle of the last tie line.
            const auto& end = r.back();
            double x1 = end[3], V = end[6] * 1e-6, Tc = T;
            ASSERT_TRUE(c.eos.critical(true, Tc, V, x1)) << c.model << " " << T;
            const double Pc = c.eos.P(T, V, x1);
            EXPECT_NEAR(end[3], x1, 2e-5) << c.model << " " << T;
            EXPECT_NEAR(end[5], x1, 2e-5) << c.model << " " << T;
            EXPECT_LT(relDiff(end[1] * 1e5, Pc), 5e-6) << c.model << " " << T;  // six printed digits
            worstEnd = std::max(worstEnd, relDiff(end[1] * 1e5, Pc));
            const double x0 = r.front()[3];
            for (std::size_t k = 0; k + 1 < r.size(); ++k) {
                const double P = r[k][1] * 1e5, xl = r[k][3], yv = r[k][5], Vl = r[k][6] * 1e-6, Vv = r[k][7] * 1e-6;
                ++rows;
                EXPECT_LE(P, Pc * (1.0 + 1e-7)) << c.model << " " << T << " row " << k;
                EXPECT_LE(std::fabs(xl - x0), std::fabs(x1 - x0) + 1e-6) << c.model << " " << T << " row " << k;
                // Each phase's pressure at its printed volume and
                // composition, its difference from the printed pressure in
                // units of what rounding the row to six digits allows
                // (half a unit of the last digit of P, V and x; two such
                // units leave room for a model constant rounded otherwise in
                // its seventh digit).
                const double halfP = 0.5 * std::pow(10.0, std::floor(std::log10(r[k][1])) - 5) * 1e5;
                auto roundingUnits = [&](double Vp, double xp) {
                    const double halfV = 0.5 * std::pow(10.0, std::floor(std::log10(Vp * 1e6)) - 5) * 1e-6;
                    const double dPdV = (c.eos.P(T, Vp + halfV, xp) - c.eos.P(T, Vp - halfV, xp)) / 2.0;
                    const double dPdx = (c.eos.P(T, Vp, std::min(xp + 5e-7, 1.0)) -
                                         c.eos.P(T, Vp, std::max(xp - 5e-7, 0.0))) / 2.0;
                    return std::fabs(c.eos.P(T, Vp, xp) - P) / (halfP + std::fabs(dPdV) + std::fabs(dPdx));
                };
                const double dPl = roundingUnits(Vl, xl), dPv = roundingUnits(Vv, yv);
                EXPECT_LT(dPl, 2.0) << c.model << " " << T << " row " << k;
                EXPECT_LT(dPv, 2.0) << c.model << " " << T << " row " << k;
                double df = 0.0;
                for (int i = 0; i < 2; ++i) {
                    if ((i == 0 && (xl >= 1.0 || yv >= 1.0)) || (i == 1 && (xl <= 0.0 || yv <= 0.0))) continue;
                    df = std::max(df, std::fabs(c.eos.lnf(i, T, Vl, xl) - c.eos.lnf(i, T, Vv, yv)));
                }
                EXPECT_LT(df, 2e-4) << c.model << " " << T << " row " << k;
                worstRow = std::max(worstRow, df);
                worstUnits = std::max({worstUnits, dPl, dPv});
            }
        }
        if (c.model == "SRK1:CO2,CH4" || c.model == "PR:CO2,CH4") {
            // The same isotherms by the two-phase continuation on two models
            // (liquid and vapour), from a flash at a middle row of the trace
            // towards the critical point: every row a stable tie line of the
            // cubic, the last one the critical point of the isotherm.
            for (double T : c.temperatures) {
                auto m = model(c.model);
                ASSERT_TRUE(run(*m, {"bino", std::to_string(T), "_ce"}));
                const auto r = readTextRows("bino_ce");
                const auto& mid = r[r.size() / 2];
                auto liquid = model(c.model), vapour = model(c.model);
                ASSERT_TRUE(liquid && vapour);
                consoletest::capture([&] {
                    liquid->set_the_phase_as(2);
                    vapour->set_the_phase_as(1);
                    IFP ifp(*liquid, *vapour);
                    ifp.number_of_components(2);
                    ifp.add_components("CO2", "CH4");
                    ifp.temperature(T);
                    ifp.pressure(mid[1]);
                    ifp.xcomposition(0, mid[2]);
                    ifp.xcomposition(1, mid[3]);
                    ifp.ycomposition(0, mid[4]);
                    ifp.ycomposition(1, mid[5]);
                    liquid->Vl0 = mid[6] * 1e-6;
                    vapour->Vv0 = mid[7] * 1e-6;
                    ifp.first_init_flag = 0;
                    ifp.calculate_an_isotherm_of_the_binary_system("ifpiso_ce", T, 0.5, -0.02, 1.0, 1000.0, "c");
                });
                std::vector<std::vector<double>> q;
                for (const auto& row : readTextRows("ifpiso_ce"))
                    if (row.size() == 9 && row[0] > 0.0) q.push_back(row);
                ASSERT_GE(q.size(), 5u) << c.model << " " << T;
                ++contCurves;
                const auto& end = q.back();
                double x1 = end[3], V = end[6] * 1e-6, Tc = T;
                ASSERT_TRUE(c.eos.critical(true, Tc, V, x1)) << c.model << " " << T;
                const double Pc = c.eos.P(T, V, x1);
                EXPECT_NEAR(end[3], x1, 2e-6) << c.model << " " << T;
                EXPECT_EQ(end[5], end[3]) << c.model << " " << T;
                EXPECT_LT(relDiff(end[1] * 1e5, Pc), 1e-7) << c.model << " " << T;
                contWorstEnd = std::max(contWorstEnd, relDiff(end[1] * 1e5, Pc));
                for (std::size_t k = 0; k + 1 < q.size(); ++k) {
                    const double P = q[k][1] * 1e5, xl = q[k][3], yv = q[k][5], Vl = q[k][6] * 1e-6,
                                 Vv = q[k][7] * 1e-6;
                    ++contRows;
                    EXPECT_LT(P, Pc) << c.model << " " << T << " continuation row " << k;
                    EXPECT_GT(yv - xl, 1e-5) << c.model << " " << T << " continuation row " << k;
                    for (const auto& [Vp, xp] : {std::pair{Vl, xl}, std::pair{Vv, yv}}) {
                        double g0, g1;
                        c.eos.conditions(T, Vp, xp, g0, g1);
                        EXPECT_GT(g0, 0.0) << c.model << " " << T << " continuation row " << k;
                    }
                    double df = 0.0;
                    for (int i = 0; i < 2; ++i)
                        df = std::max(df, std::fabs(c.eos.lnf(i, T, Vl, xl) - c.eos.lnf(i, T, Vv, yv)));
                    EXPECT_LT(df, 1e-6) << c.model << " " << T << " continuation row " << k;
                    EXPECT_LT(relDiff(c.eos.P(T, Vl, xl), P), 1e-6) << c.model << " " << T << " row " << k;
                    EXPECT_LT(relDiff(c.eos.P(T, Vv, yv), P), 1e-6) << c.model << " " << T << " row " << k;
                    contWorstRow = std::max(contWorstRow, df);
                }
            }
        }
        if (c.model.find("CO2,CH4") == std::string::npos) continue;
        // Five compositions; the independent solve starts from the
        // mole-fraction mean of the pure critical temperatures.
        for (double xc : {0.1, 0.3, 0.525837, 0.6, 0.8}) {
            auto m = model(c.model);
            std::string err, out;
            ASSERT_TRUE(run(*m, {"x", std::to_string(xc), "crit", "_ce"}, &err, &out)) << c.model << " " << xc << err;
            double Tp = 0, Vp = 0, Pp = 0;
            ASSERT_EQ(std::sscanf(out.c_str() + out.find("T "), "T %lf", &Tp), 1);
            ASSERT_EQ(std::sscanf(out.c_str() + out.find("V "), "V %lf", &Vp), 1);
            ASSERT_EQ(std::sscanf(out.c_str() + out.find("P "), "P %lf", &Pp), 1);
            double T = (1.0 - xc) * c.eos.c[0].Tc + xc * c.eos.c[1].Tc, V = 9e-5, x1 = xc;
            ASSERT_TRUE(c.eos.critical(false, T, V, x1)) << c.model << " " << xc;
            ++points;
            EXPECT_NEAR(Tp, T, 2e-5 * T) << c.model << " " << xc;
            EXPECT_LT(relDiff(Pp * 1e5, c.eos.P(T, V, xc)), 2e-6) << c.model << " " << xc;
            worstPoint = std::max(worstPoint, std::fabs(Tp / T - 1.0));
        }
    }
    std::printf("cubic isotherms: %d curves, %d rows; largest ln f difference %.3g, pressure difference %.3g of the "
                "rounding; largest relative difference at the end %.3g; %d critical points, largest relative T "
                "difference %.3g\n",
                curves, rows, worstRow, worstUnits, worstEnd, points, worstPoint);
    std::printf("two-phase continuation isotherms: %d curves, %d rows; largest ln f difference %.3g; largest relative "
                "pressure difference at the end %.3g\n",
                contCurves, contRows, contWorstRow, contWorstEnd);
}

// The two spinodals of "spinox" along temperature at x1 = 0.5 from the
// critical point down: every row of each file lies where the Hessian of A in
// (x1, V) is singular (G0 = 0 of the SRK above), at the SRK's pressure, the
// liquid side below the critical volume and the vapour side above it
// (250.505 K: 80.4407 and 141.644 cm3/mol); standard output stays empty.
TEST(CurveEnds, SpinodalsOfAMixtureOnBothSides) {
    const Cubic eos = srk(kSrk1CO2, kSrk1CH4, 0.1);
    auto m = model("SRK1:CO2,CH4");
    std::string err, out;
    ASSERT_TRUE(run(*m, {"spinox", "250", "80", "0.5", "_cl", "_cv"}, &err, &out)) << err;
    EXPECT_EQ(out, "");
    const auto liquid = readTextRows("spinot_cl"), vapour = readTextRows("spinot_cv");
    ASSERT_GE(liquid.size(), 30u);
    ASSERT_EQ(liquid.size(), vapour.size());
    const double Vc = liquid.front()[2];
    int rows = 0;
    double worst = 0.0;
    for (const auto* r : {&liquid, &vapour}) {
        for (std::size_t k = 1; k < r->size(); ++k) {
            const double T = (*r)[k][0], V = (*r)[k][2] * 1e-6;
            EXPECT_NEAR(T, liquid[k][0], 1e-9);
            EXPECT_TRUE(r == &liquid ? V * 1e6 < Vc : V * 1e6 > Vc) << k;
            double g0, g1;
            eos.conditions(T, V, 0.5, g0, g1);
            EXPECT_LT(std::fabs(g0), 2e-5) << T << " " << V;
            // The pressure to the printed digits of P (five decimals) and V (six digits).
            const double halfV = 0.5 * std::pow(10.0, std::floor(std::log10(V * 1e6)) - 5) * 1e-6;
            const double dP = std::fabs(eos.P(T, V + halfV, 0.5) - eos.P(T, V - halfV, 0.5)) / 2.0;
            EXPECT_LT(std::fabs(eos.P(T, V, 0.5) - (*r)[k][1] * 1e5), 1.2 * (0.5 + dP)) << T;
            worst = std::max(worst, std::fabs(g0));
            ++rows;
        }
    }
    // The published pair at 250.505 K.
    EXPECT_NEAR(liquid[3][0], 250.505077, 1e-6);
    EXPECT_NEAR(liquid[3][2], 80.4407, 1e-4);
    EXPECT_NEAR(vapour[3][2], 141.644, 1e-3);
    std::printf("spinodals: %d rows, largest scaled G0 %.3g\n", rows, worst);
}

// The critical curves of Peng-Robinson and PRSV run from the first component's
// critical point; in the order CH4,CO2 (N2,CH4) the curve is the same as in
// the order CO2,CH4 (CH4,N2) read backwards.  PRSV's CO2-H2O curve goes past
// its temperature maximum (x_H2O = 0.07: 323.345 K, 94.447 bar) and says
// where it ends.
TEST(CurveEnds, CriticalCurvesInBothComponentOrdersAndPastTheirExtrema) {
    int curves = 0;
    for (const char* m : {"PR", "PRSV"}) {
        for (auto pair : {std::pair<std::string, std::string>{"CO2", "CH4"}, {"CH4", "N2"}}) {
            std::vector<std::vector<double>> r[2];
            for (int o = 0; o < 2; ++o) {
                const std::string name = std::string(m) + ":" + (o == 0 ? pair.first + "," + pair.second
                                                                         : pair.second + "," + pair.first);
                auto f = model(name);
                std::string err;
                ASSERT_TRUE(run(*f, {"crit2", "_ce"}, &err)) << name << err;
                r[o] = readTextRows("crit_ce");
                ASSERT_GE(r[o].size(), 50u) << name;
                ++curves;
            }
            // Ends at both pure components; each row of one order lies on
            // the other's curve (interpolated in x1 = the other's x0).
            for (int o = 0; o < 2; ++o) {
                EXPECT_EQ(r[o].front()[4], 0.0);
                EXPECT_EQ(r[o].back()[4], 1.0);
            }
            EXPECT_NEAR(r[0].front()[2], r[1].back()[2], 1e-6);
            EXPECT_NEAR(r[0].back()[2], r[1].front()[2], 1e-6);
            for (const auto& row : r[0]) {
                const double x = row[4];
                for (std::size_t k = 0; k + 1 < r[1].size(); ++k) {
                    const double a = r[1][k][3], b = r[1][k + 1][3];
                    if ((a - x) * (b - x) > 0.0 || a == b) continue;
                    const double w = (x - a) / (b - a);
                    const double T = r[1][k][2] + w * (r[1][k + 1][2] - r[1][k][2]);
                    EXPECT_NEAR(row[2], T, 0.05) << m << " " << pair.first << " x1 " << x;
                    break;
                }
            }
        }
    }
    auto f = model("PRSV:CO2,H2O");
    std::string err;
    EXPECT_TRUE(run(*f, {"crit2", "_ce"}, &err)) << err;
    const auto r = readTextRows("crit_ce");
    bool past = false;
    for (std::size_t k = 0; k + 1 < r.size(); ++k)
        if (r[k][4] <= 0.07 && r[k + 1][4] >= 0.07) {
            const double w = (0.07 - r[k][4]) / (r[k + 1][4] - r[k][4]);
            EXPECT_NEAR(r[k][2] + w * (r[k + 1][2] - r[k][2]), 323.345, 0.02);
            past = true;
        }
    EXPECT_TRUE(past);
    EXPECT_NE(err.find("the curve ends"), std::string::npos) << err;
    std::printf("critical curves: %d\n", curves + 1);
}

// Water's and CO2's isotherms and isochores across the two-phase region: no
// nan, no state inside it (between the saturated volumes of the published
// ancillary equations), and the rows at its edges at the saturation pressure.
TEST(CurveEnds, IsothermsAndIsochoresOfWaterAndCO2AcrossTheDome) {
    struct Isotherm {
        const char* model;
        const char* fluid;
        double T, Vmin, Vmax;
    };
    int rows = 0;
    for (const Isotherm& c : {Isotherm{"wagner", "H2O", 600.0, 20.0, 2000.0}, Isotherm{"wagner", "H2O", 625.0, 20.0, 2000.0},
                              Isotherm{"IUPACCO2", "CO2", 280.0, 40.0, 2000.0}}) {
        auto m = model(c.model);
        std::string err;
        EXPECT_TRUE(run(*m, {"isotherm", std::to_string(c.T), std::to_string(c.Vmin), std::to_string(c.Vmax), "_ce"},
                        &err))
            << c.model << err;
        const auto r = readTextRows("isot_ce");
        ASSERT_GE(r.size(), 100u);
        const double Vl = ancillarySaturatedLiquidVolume(c.fluid, c.T) * 1e6,
                     Vv = ancillarySaturatedVapourVolume(c.fluid, c.T) * 1e6,
                     ps = ancillaryVapourPressure(c.fluid, c.T) * 1e-5;
        // The last row below the region and the first above it are its
        // saturated phases, at the vapour pressure (the ancillary equation of
        // the fluid: IAPWS-95's within 0.1 %, CO2's 0.4 % from the IUPAC
        // equation of the model).
        const double tol = std::string(c.fluid) == "H2O" ? 1e-3 : 6e-3;
        std::size_t below = 0;
        for (std::size_t k = 0; k < r.size(); ++k) {
            ++rows;
            for (double v : r[k]) EXPECT_TRUE(std::isfinite(v)) << c.model << " " << c.T;
            EXPECT_FALSE(r[k][0] > 1.002 * Vl && r[k][0] < 0.998 * Vv) << c.model << " " << c.T << " V " << r[k][0];
            if (r[k][0] < std::sqrt(Vl * Vv)) below = k;
        }
        ASSERT_LT(below + 1, r.size());
        EXPECT_LT(relDiff(r[below][1], ps), tol) << c.model << " " << c.T;
        EXPECT_LT(relDiff(r[below + 1][1], ps), tol) << c.model << " " << c.T;
        EXPECT_EQ(r[below][1], r[below + 1][1]) << c.model << " " << c.T;
        EXPECT_LT(relDiff(r[below][0], Vl), tol) << c.model << " " << c.T;
        EXPECT_LT(relDiff(r[below + 1][0], Vv), 3 * tol) << c.model << " " << c.T;
        EXPECT_NE(err.find("two-phase"), std::string::npos);
    }
    // 60 cm3/mol of water (300.25 kg/m3) meets the saturated vapour at
    // 647.072 K: the isochore from 500 K starts there.  The others start
    // where their volume is that of the saturated liquid (water) or vapour
    // (CO2): at the vapour pressure, with the saturated volume of the
    // ancillary equations.
    struct Isochore {
        const char* model;
        const char* fluid;
        double V, Tmin, Tmax;
        bool liquid;
    };
    for (const Isochore& c : {Isochore{"wagner", "H2O", 60.0, 500.0, 800.0, false},
                              Isochore{"wagner", "H2O", 25.0, 400.0, 700.0, true},
                              Isochore{"IUPACCO2", "CO2", 50.0, 230.0, 400.0, true},
                              Isochore{"IUPACCO2", "CO2", 200.0, 230.0, 400.0, false}}) {
        auto w = model(c.model);
        std::string err;
        EXPECT_TRUE(run(*w, {"isoc", std::to_string(c.V), std::to_string(c.Tmin), std::to_string(c.Tmax), "_ce"},
                        &err))
            << err;
        EXPECT_NE(err.find("two-phase region"), std::string::npos) << err;
        const auto r = readTextRows("isoc_ce");
        ASSERT_GE(r.size(), 50u) << c.model << " " << c.V;
        const double T0 = r.front()[0];
        const double tol = std::string(c.fluid) == "H2O" ? 1e-3 : 6e-3;
        EXPECT_GT(T0, c.Tmin + 1.0);
        EXPECT_LT(relDiff(r.front()[1] * 1e5, ancillaryVapourPressure(c.fluid, T0)), tol) << c.model << " " << c.V;
        const double Vs = c.liquid ? ancillarySaturatedLiquidVolume(c.fluid, T0) : ancillarySaturatedVapourVolume(c.fluid, T0);
        EXPECT_LT(relDiff(c.V * 1e-6, Vs), 2 * tol) << c.model << " " << c.V << " at " << T0;
        if (std::string(c.model) == "wagner" && c.V == 60.0) {
            EXPECT_NEAR(T0, 647.072, 0.002);
        }
        for (const auto& row : r) {
            ++rows;
            EXPECT_GE(row[0], T0);
            for (double v : row) EXPECT_TRUE(std::isfinite(v));
        }
    }
    std::printf("pure-fluid lines: %d rows\n", rows);
}

// The bubble and dew branches of isopleths (fixed composition z of CH4) of
// SRK1 and Peng-Robinson CO2-CH4, traced in temperature from 220 K by the
// fluid's isopleth and by the two-phase continuation on two models (liquid
// and vapour): every row is a two-phase state of the cubic written above
// (equal fugacities and pressures, both phases inside their stable region),
// the phases stay distinct and on their sides, and the last row of each
// branch is the critical point of the mixture z (Heidemann-Khalil, solved
// here), where the two branches meet.
TEST(CurveEnds, IsoplethBranchesEndAtTheCriticalPointOfTheirMixture) {
    struct Case {
        std::string model;
        Cubic eos;
    };
    const std::vector<Case> cases = {{"SRK1:CO2,CH4", srk(kSrk1CO2, kSrk1CH4, 0.1)},
                                     {"PR:CO2,CH4", pr(kPrCO2, kPrCH4, 0.1)}};
    int rows = 0, curves = 0;
    double worstRow = 0.0, worstEnd = 0.0;
    // A branch as rows of T (K), P (bar), x1, y1, Vl and Vv (m3/mol).
    auto check = [&](const Case& c, double z, bool bubble, const std::vector<std::vector<double>>& r,
                     const std::string& what) {
        ASSERT_GE(r.size(), 10u) << what;
        ++curves;
        const std::size_t n = r.size();
        // The critical point of the mixture z, from the last row.
        const auto& e = r.back();
        double Tc = e[0], Vc = e[4], xc = z;
        ASSERT_TRUE(c.eos.critical(false, Tc, Vc, xc)) << what;
        const double Pc = c.eos.P(Tc, Vc, z);
        EXPECT_NEAR(e[2], z, 1e-12) << what;
        EXPECT_NEAR(e[3], z, 1e-12) << what;
        EXPECT_NEAR(e[4], e[5], 1e-15) << what;
        EXPECT_LT(std::fabs(e[0] / Tc - 1.0), 1e-6) << what;
        EXPECT_LT(relDiff(e[1] * 1e5, Pc), 1e-5) << what;
        worstEnd = std::max({worstEnd, std::fabs(e[0] / Tc - 1.0), relDiff(e[1] * 1e5, Pc)});
        const double side = r[0][3] - r[0][2];
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const double T = r[i][0], P = r[i][1] * 1e5, xl = r[i][2], yv = r[i][3], Vl = r[i][4], Vv = r[i][5];
            ++rows;
            EXPECT_NEAR(bubble ? xl : yv, z, 1e-9) << what;
            // Distinct phases on their sides: no near-trivial pair, no state
            // past the critical point.
            EXPECT_GT((yv - xl) * side, 0.0) << what << " row " << i;
            EXPECT_GT(std::fabs(yv - xl), 1e-5) << what << " row " << i;
            EXPECT_GT(Vv, Vl * (1.0 + 1e-4)) << what << " row " << i;
            // Both phases stable states of the cubic (its Helmholtz energy
            // convex in V and x): not a root beyond a spinodal.
            for (const auto& [Vp, xp] : {std::pair{Vl, xl}, std::pair{Vv, yv}}) {
                double g0, g1;
                c.eos.conditions(T, Vp, xp, g0, g1);
                EXPECT_GT(g0, 0.0) << what << " row " << i;
            }
            const double dP = std::max(relDiff(c.eos.P(T, Vl, xl), P), relDiff(c.eos.P(T, Vv, yv), P));
            double df = 0.0;
            for (int j = 0; j < 2; ++j)
                df = std::max(df, std::fabs(c.eos.lnf(j, T, Vl, xl) - c.eos.lnf(j, T, Vv, yv)));
            EXPECT_LT(dP, 1e-6) << what << " row " << i;
            EXPECT_LT(df, 1e-6) << what << " row " << i;
            worstRow = std::max({worstRow, dP, df});
        }
        // The approach: the last rows close in on the critical point.
        EXPECT_LT(std::fabs(r[n - 2][3] - r[n - 2][2]), 0.02) << what;
    };
    for (const Case& c : cases) {
        for (double z : {0.2, 0.4}) {
            for (int type : {2, 1}) {
                const bool bubble = type == 2;
                const std::string what = c.model + " z " + std::to_string(z) + (bubble ? " bubble" : " dew");
                auto m = model(c.model);
                ASSERT_TRUE(m);
                // Start values: the isotherm at 220 K where the held phase's
                // composition passes z (liquid column 3, vapour column 5).
                ASSERT_TRUE(run(*m, {"bino", "220", "_ip"}));
                const auto iso = readTextRows("bino_ip");
                const int col = bubble ? 3 : 5;
                std::size_t k = 0;
                while (k + 1 < iso.size() && !((iso[k][col] - z) * (iso[k + 1][col] - z) <= 0.0)) ++k;
                ASSERT_LT(k + 1, iso.size()) << what;
                const auto& a = iso[k];
                const auto& b = iso[k + 1];
                const double t = (z - a[col]) / (b[col] - a[col]);
                auto at = [&](int j) { return a[j] + t * (b[j] - a[j]); };
                const double x1 = bubble ? z : at(3), y1 = bubble ? at(5) : z;

                std::vector<double> flat;
                consoletest::capture([&] {
                    m->calculate_an_isopleth(220.0, at(6) * 1e-6, at(7) * 1e-6, x1, y1, 3e7, 1.0, 1e5, type, 6,
                                             nullptr, &flat);
                });
                std::vector<std::vector<double>> r;
                for (std::size_t i = 0; i + 8 <= flat.size(); i += 8)
                    r.push_back({flat[i], flat[i + 1], flat[i + 3], flat[i + 5], flat[i + 6], flat[i + 7]});
                check(c, z, bubble, r, what);

                // The same branch by the continuation of two-phase states of
                // the bulk z at the vapour fraction 0 (bubble) or 1 (dew).
                auto liquid = model(c.model), vapour = model(c.model);
                ASSERT_TRUE(liquid && vapour);
                std::vector<double> ifpRows;
                consoletest::capture([&] {
                    liquid->set_the_phase_as(2);
                    vapour->set_the_phase_as(1);
                    IFP ifp(*liquid, *vapour);
                    ifp.number_of_components(2);
                    ifp.add_components("CO2", "CH4");
                    ifp.bulk_composition(1.0 - z, z);
                    ifp.temperature(220.0);
                    ifp.pressure(at(1));
                    ifp.xcomposition(0, 1.0 - x1);
                    ifp.xcomposition(1, x1);
                    ifp.ycomposition(0, 1.0 - y1);
                    ifp.ycomposition(1, y1);
                    liquid->Vl0 = at(6) * 1e-6;
                    vapour->Vv0 = at(7) * 1e-6;
                    ifp.first_init_flag = 0;
                    ifp.calculate_an_isopleth(220.0, bubble ? 0.0 : 1.0, nullptr, "i", 200.0, 400.0, 1.0, 1e5, 0, 6,
                                              &ifpRows);
                });
                r.clear();
                for (std::size_t i = 0; i + 11 <= ifpRows.size(); i += 11)
                    r.push_back({ifpRows[i], ifpRows[i + 1], ifpRows[i + 3], ifpRows[i + 5], ifpRows[i + 6] * 1e-6,
                                 ifpRows[i + 7] * 1e-6});
                check(c, z, bubble, r, what + " (two-phase continuation)");
            }
        }
    }
    std::printf("isopleths: %d branches, %d rows; largest relative difference of a row %.3g, at the end %.3g\n",
                curves, rows, worstRow, worstEnd);
}
