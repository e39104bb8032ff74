// The fluid's statement the command interpreter prints beside a state, judged
// against measurements and published lines it is not built from, and the
// verdict beside it, the model's own whatever the statement says: the water
// content of CO2-rich phases beside liquid water (0.15 mol % at 25 C and 50
// bar, King, Mubarak, Kim & Bott 1992, J. Supercrit. Fluids 5, 296; 0.4 % at
// 50 C and 100 bar and 0.6 % at 200 bar, Wiebe & Gaddy 1941, J. Am. Chem. Soc.
// 63, 475), the normal sublimation point of solid CO2 (194.686 K at 1.01325
// bar, Span & Wagner 1996), the sublimation pressure of ice Ih at 230 K
// (8.94735 Pa, the check value of IAPWS R14-08), the ideal solubility of solid
// CO2 (Schroeder-van Laar, its enthalpy of fusion 9.02 kJ/mol at 216.59 K),
// and water's vapour pressure (IAPWS-95: 26.392 bar at 500 K).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "console/tests/IndependentCubic.h"
#include "fluid/StateReport.h"

namespace {

struct Judged {
    bool given = false;
    StateReport::Verdict v;
    std::string out;
};

Judged judge(const char* model, double x, double T, double P) {
    std::unique_ptr<FluidPhase> m;
    consoletest::capture([&] { m.reset(createFluidModel(model)); });
    Judged j;
    if (!m) return j;
    m->composition(1.0 - x, x);
    StateReport report(*m);
    consoletest::capture([&] { j.given = report.verdictAt(T, P, j.v); });
    j.out = consoletest::capture([&] { report.printStateFromTP(T, P); }).out;
    return j;
}

// The number after `what` in the statement's text; NaN where none is.
double numberAfter(const std::string& text, const std::string& what) {
    const std::size_t at = text.find(what);
    return at == std::string::npos ? std::nan("") : std::atof(text.c_str() + at + what.size());
}

}  // namespace

TEST(FluidStatement, WaterInCO2IsJudgedAgainstItsMeasuredContentBesideTheModelsOwnVerdict) {
    const struct {
        double T, P, content, within;  // K, bar, mole fraction of water measured in the CO2-rich phase
    } kMeasured[] = {{298.15, 50.0, 0.0015, 0.0005}, {323.15, 100.0, 0.004, 0.0008}, {323.15, 200.0, 0.006, 0.0012}};
    for (const char* model : {"PR:CO2,H2O", "PRSV:CO2,H2O", "SRK1:CO2,H2O", "DMW2:CO2,H2O", "DMWEOS:CO2,H2O"}) {
        for (const auto& k : kMeasured) {
            for (double factor : {3.0, 1.0 / 3.0}) {
                const double x = factor * k.content;
                SCOPED_TRACE(std::string(model) + " x " + std::to_string(x) + " at " + std::to_string(k.T) + " K, " +
                             std::to_string(k.P) + " bar");
                const Judged j = judge(model, x, k.T, k.P);
                ASSERT_TRUE(j.given);
                EXPECT_EQ(j.v.fluid.word, factor > 1.0 ? "splits" : "one phase") << j.v.fluid.text;
                // The published content within the measurements' scatter.
                EXPECT_NEAR(numberAfter(j.v.fluid.text, "holds at most ") / 100.0, k.content, k.within);
                // The phase line is the model's own test, the statement beside it.
                EXPECT_EQ(j.out.find("** Phase: not stable") != std::string::npos, j.v.splits) << j.out;
                EXPECT_NE(j.out.find("** The fluid: " + j.v.fluid.word), std::string::npos) << j.out;
                EXPECT_EQ(j.v.fluid.agrees, (j.v.fluid.word == "splits") == j.v.splits);
            }
        }
    }
}

TEST(FluidStatement, SolidsDepositAtTheirPublishedLinesAndOneFreezingPointPerMixture) {
    const struct {
        const char* model;
        double x, T, P;
        const char* word;  // the statement's first words
        double point;      // the freezing or frost point, K; 0: not checked
    } kCases[] = {
        // CO2 carrying 0.1 % N2: its partial pressure against its normal
        // sublimation point, 5 % above and below, and within 1 %.
        {"PR:CO2,N2", 0.001, 194.686, 1.01325 * 1.05 / 0.999, "solid CO2 deposits", 0.0},
        {"PR:CO2,N2", 0.001, 194.686, 1.01325 * 0.95 / 0.999, "", 0.0},
        {"PR:CO2,N2", 0.001, 194.686, 1.01325 / 0.999, "uncertain (solid CO2 deposits or one phase)", 0.0},
        // Water vapour with 0.1 % N2 against ice Ih at 230 K.
        {"PR:H2O,N2", 0.001, 230.0, 8.94735e-5 * 1.05 / 0.999, "ice Ih deposits", 0.0},
        {"PR:H2O,N2", 0.001, 230.0, 8.94735e-5 * 0.95 / 0.999, "", 0.0},
        // Liquid N2 at 94.7 K holding CO2 below its solubility: ideally
        // exp(-9020/R (1/94.7 - 1/216.59)) = 1.6e-3, a fortieth of it with
        // regular-solution theory's activity coefficient; its partial
        // pressure above the solid's sublimation pressure (1.95e-8 bar)
        // does not deposit it from a liquid.
        {"PR:N2,CO2", 1e-9, 94.7, 100.0, "liquid", 0.0},
        {"PR:N2,CO2", 1e-6, 94.7, 10.0, "liquid", 0.0},
        {"PR:CO2,N2", 1.0 - 1e-6, 94.7, 10.0, "liquid", 0.0},
        // CO2 in liquid water at 8000 bar, below its melting point there
        // (327.67 K on Span & Wagner's melting line, 1 + 1955.539 u +
        // 2055.4593 u^2 = 8000/5.1795 at u = T/216.592 - 1): a trace's
        // fugacity by Henry's law, 1e-9 kH exp(V P/RT), a tenth of a bar
        // (kH 1736 bar by IAPWS G7-04, V near 33 cm3/mol), far below the
        // solid's; water is no regular solution.  Above the melting point
        // (at 3000 bar near 270 K) no solid at all.
        {"DMW2:H2O,CO2", 1e-9, 300.0, 8000.0, "liquid", 0.0},
        {"DMW2:CO2,H2O", 1.0 - 1e-9, 300.0, 8000.0, "liquid", 0.0},
        {"DMW2:H2O,CO2", 0.05, 290.0, 3000.0, "", 0.0},
    };
    for (const auto& k : kCases) {
        SCOPED_TRACE(std::string(k.model) + " x " + std::to_string(k.x) + " at " + std::to_string(k.T) + " K, " +
                     std::to_string(k.P) + " bar");
        const Judged j = judge(k.model, k.x, k.T, k.P);
        ASSERT_TRUE(j.given);
        const bool deposits = std::string(k.word).find("deposits") != std::string::npos;
        EXPECT_EQ(j.v.fluid.word.find("deposits") != std::string::npos, deposits) << j.v.fluid.text;
        if (k.word[0]) {
            EXPECT_EQ(j.v.fluid.word, k.word) << j.v.fluid.text;
        }
        if (k.point > 0.0) {
            EXPECT_NEAR(j.v.fluid.point, k.point, 0.05);
        }
        // No solid is a phase of the model: its own verdict stands.
        EXPECT_EQ(j.out.find("** Phase: not stable") != std::string::npos, j.v.splits) << j.out;
    }
    // Water with 5 % CO2 at 30 bar freezes where its liquid, holding the CO2
    // dissolved at the freezing point (IAPWS G7-04's Henry constant, CO2's
    // fugacity coefficient near 0.82), lies on the ideal depression of ice
    // Ih's melting line: near 269.8 K, whatever state it is asked from.
    double first = std::nan("");
    for (double T : {255.0, 262.0, 268.0, 269.0}) {
        SCOPED_TRACE(T);
        const Judged j = judge("PR:H2O,CO2", 0.05, T, 30.0);
        ASSERT_TRUE(j.given);
        EXPECT_EQ(j.v.fluid.word, "ice Ih deposits") << j.v.fluid.text;
        EXPECT_NEAR(j.v.fluid.point, 269.8, 0.3);
        if (std::isnan(first)) first = j.v.fluid.point;
        EXPECT_EQ(j.v.fluid.point, first);
    }
    EXPECT_EQ(judge("PR:H2O,CO2", 0.05, first + 0.2, 30.0).v.fluid.word.find("deposits"), std::string::npos);
    // Water in methane: a deposit at 70 bar stays at 80 bar, the water's
    // fugacity growing with the pressure.
    for (double x : {2e-4, 5e-4}) {
        const Judged a = judge("PR:CH4,H2O", x, 250.0, 70.0), b = judge("PR:CH4,H2O", x, 250.0, 80.0);
        if (a.v.fluid.word == "ice Ih deposits") {
            EXPECT_EQ(b.v.fluid.word, "ice Ih deposits") << x;
        }
    }
}

TEST(FluidStatement, WaterAndAGasFollowRaoultAndHenryWhereTheModelSaysItsOwn) {
    // Below water's vapour pressure no liquid forms; at 200 bar the liquid
    // holds under 1 % CH4 (IAPWS G7-04) and the vapour under 20 % water:
    // equal shares split.
    Judged j = judge("PR:H2O,CH4", 0.5, 500.0, 20.0);
    ASSERT_TRUE(j.given);
    EXPECT_EQ(j.v.fluid.word, "vapour") << j.v.fluid.text;
    j = judge("PR:H2O,CH4", 0.5, 500.0, 200.0);
    ASSERT_TRUE(j.given);
    EXPECT_EQ(j.v.fluid.word, "splits") << j.v.fluid.text;
    EXPECT_NEAR(numberAfter(j.v.fluid.text, "vapour pressure "), 26.392, 0.01);
    // DMW's fugacities of a water-rich liquid at 523.15 K and 500 bar are
    // printed, its split its own.
    j = judge("DMW2:H2O,CO2", 0.5, 523.15, 500.0);
    ASSERT_TRUE(j.given);
    EXPECT_NE(j.out.find("fugacity[0]"), std::string::npos) << j.out;
    EXPECT_EQ(j.out.find("fugacity[0]           --"), std::string::npos) << j.out;
    EXPECT_TRUE(j.v.splits);
    EXPECT_EQ(j.v.fluid.word, "splits") << j.v.fluid.text;
}

namespace {

// Water's vapour pressure (Pa; Wagner & Pruss 2002, eq. 2.5, IAPWS-95's
// within 0.03 %) and its saturated liquid's molar volume (m3/mol, eq. 2.6).
double waterVapourPressure(double T) {
    const double t = 1.0 - T / 647.096;
    const double a[6] = {-7.85951783, 1.84408259, -11.7866497, 22.6807411, -15.9618719, 1.80122502};
    const double e[6] = {1.0, 1.5, 3.0, 3.5, 4.0, 7.5};
    double s = 0.0;
    for (int i = 0; i < 6; ++i) s += a[i] * std::pow(t, e[i]);
    return 22.064e6 * std::exp(647.096 / T * s);
}
double waterLiquidVolume(double T) {
    const double t = 1.0 - T / 647.096;
    const double b[6] = {1.99274064, 1.09965342, -0.510839303, -1.75493479, -45.5170352, -6.74694450e5};
    const double e[6] = {1.0 / 3.0, 2.0 / 3.0, 5.0 / 3.0, 16.0 / 3.0, 43.0 / 3.0, 110.0 / 3.0};
    double s = 1.0;
    for (int i = 0; i < 6; ++i) s += b[i] * std::pow(t, e[i]);
    return 0.018015268 / (322.0 * s);
}
// Ice Ih's melting temperature (K) at P (bar) on IAPWS R14-08's line,
// p/pt = 1 + sum a_i (1 - (T/Tt)^b_i), by bisection.
double iceMeltingTemperature(double P_bar) {
    const double a[3] = {0.119539337e7, 0.808183159e5, 0.333826860e4}, b[3] = {3.0, 25.75, 103.75};
    double lo = 251.165, hi = 273.16;
    for (int k = 0; k < 60; ++k) {
        const double T = 0.5 * (lo + hi);
        double p = 1.0;
        for (int i = 0; i < 3; ++i) p += a[i] * (1.0 - std::pow(T / 273.16, b[i]));
        (p * 611.657 > P_bar * 1e5 ? lo : hi) = T;
    }
    return 0.5 * (lo + hi);
}

// Peng & Robinson's equation (1976) for water in a compressed gas with the
// binary constants of Soreide & Whitson (1992): the critical points and
// acentric factors as published (IAPWS-95, Span & Wagner, Setzmann &
// Wagner, Span et al.).
struct PrFluid {
    double Tc, pc, omega;
};
constexpr PrFluid kPrWater{647.096, 22.064e6, 0.3443};
struct PrGas {
    const char* name;
    PrFluid f;
    double k12;
};
constexpr PrGas kPrGases[] = {{"CO2", {304.1282, 7.3773e6, 0.22394}, 0.1896},
                              {"CH4", {190.564, 4.5992e6, 0.01142}, 0.4850},
                              {"N2", {126.192, 3.3958e6, 0.0372}, 0.4778}};
constexpr double kR = 8.314462618;

void prConstants(const PrFluid& f, double T, double& a, double& b) {
    const double m = 0.37464 + 1.54226 * f.omega - 0.26992 * f.omega * f.omega;
    const double s = 1.0 + m * (1.0 - std::sqrt(T / f.Tc));
    a = 0.45724 * kR * kR * f.Tc * f.Tc / f.pc * s * s;
    b = 0.07780 * kR * f.Tc / f.pc;
}
// ln phi of water at mole fraction y in the gas at T and P (Pa), on the root
// of lower Gibbs energy found by Newton's steps from the gas's and the
// liquid's side (the gas's alone for a vapour).
double prLnPhiWater(const PrGas& g, double y, double T, double P, bool vapour = false) {
    double ag, bg, aw, bw;
    prConstants(g.f, T, ag, bg);
    prConstants(kPrWater, T, aw, bw);
    const double agw = std::sqrt(ag * aw) * (1.0 - g.k12);
    const double a = (1 - y) * (1 - y) * ag + 2 * y * (1 - y) * agw + y * y * aw, b = (1 - y) * bg + y * bw;
    const double A = a * P / (kR * kR * T * T), B = b * P / (kR * T), r2 = std::sqrt(2.0);
    auto L = [&](double Z) { return std::log((Z + (1 + r2) * B) / (Z + (1 - r2) * B)) / (2 * r2 * B); };
    auto gibbs = [&](double Z) { return Z - 1 - std::log(Z - B) - A * L(Z); };
    double best = std::nan("");
    for (double Z : {1.0 + B, vapour ? 1.0 + B : 1.001 * B}) {
        for (int k = 0; k < 200; ++k) {
            const double f = ((Z - (1 - B)) * Z + (A - 3 * B * B - 2 * B)) * Z - (A * B - B * B - B * B * B);
            const double d = (3 * Z - 2 * (1 - B)) * Z + (A - 3 * B * B - 2 * B);
            Z = std::max(Z - f / d, B * (1 + 1e-9));
        }
        if (std::isnan(best) || gibbs(Z) < gibbs(best)) best = Z;
    }
    const double Z = best;
    return bw / b * (Z - 1) - std::log(Z - B) - A * (2 * ((1 - y) * agw + y * aw) / a - bw / b) * L(Z);
}
// The water content of the gas beside liquid water holding xL of it: y phi
// P = psat phi_sat exp(V (P - psat)/RT) (1 - xL).
double prWaterContent(const PrGas& g, double T, double P_bar, double xL) {
    const double P = P_bar * 1e5, ps = waterVapourPressure(T);
    double aw, bw;
    prConstants(kPrWater, T, aw, bw);
    // phi_sat on pure water's vapour root.
    const PrGas pure{"H2O", kPrWater, 0.0};
    const double f = ps * std::exp(prLnPhiWater(pure, 0.0, T, ps, true)) *
                     std::exp(waterLiquidVolume(T) * (P - ps) / (kR * T)) * (1.0 - xL);
    double y = f / P;
    for (int k = 0; k < 400; ++k) y = 0.5 * (y + std::min(1.0, f / (std::exp(prLnPhiWater(g, y, T, P)) * P)));
    return y;
}

}  // namespace

TEST(FluidStatement, SteamWithCO2IsOneVapourBelowWatersVapourPressureWhicheverIsNamedFirst) {
    // Water's partial pressure below its vapour pressure: no liquid forms,
    // whatever share of CO2 and in either order of the names.
    const struct {
        double T, P, xCO2;
    } kStates[] = {{450.0, 15.0, 0.49}, {450.0, 15.0, 0.5}, {450.0, 15.0, 0.51}, {350.0, 0.5, 0.5},
                   {394.59, 2.18, 0.104}, {500.0, 30.0, 0.3}};
    for (const char* model : {"PR", "DMW2"}) {
        for (const auto& k : kStates) {
            ASSERT_LT((1.0 - k.xCO2) * k.P * 1e5, waterVapourPressure(k.T));
            const Judged a = judge((std::string(model) + ":H2O,CO2").c_str(), k.xCO2, k.T, k.P);
            const Judged b = judge((std::string(model) + ":CO2,H2O").c_str(), 1.0 - k.xCO2, k.T, k.P);
            SCOPED_TRACE(std::string(model) + " " + std::to_string(k.xCO2) + " at " + std::to_string(k.T) + " K");
            ASSERT_TRUE(a.given && b.given);
            EXPECT_EQ(a.v.fluid.word, "one phase") << a.v.fluid.text;
            EXPECT_EQ(b.v.fluid.word, a.v.fluid.word) << b.v.fluid.text;
            EXPECT_EQ(a.v.fluid.agrees, !a.v.splits);
        }
    }
}

TEST(FluidStatement, WaterInACompressedGasHoldsItsNonIdealContentContinuousAcrossTheSourcesEdges) {
    // Beyond the published fits: water's fugacity coefficient in the gas
    // and the Poynting factor, evaluated here; the liquid's share of the gas
    // read from the statement.
    const struct {
        const char* model;
        int gas;  // in kPrGases
        double xH2O, T, P;
        const char* word;
    } kCases[] = {
        {"PR:CO2,H2O", 0, 0.03, 400.0, 200.0, "one phase"},  {"PR:CO2,H2O", 0, 0.06, 400.0, 200.0, "splits"},
        {"PR:N2,H2O", 2, 0.00075, 300.0, 50.0, "one phase"}, {"SRK1:N2,H2O", 2, 0.0012, 300.0, 50.0, "splits"},
        {"PR:CH4,H2O", 1, 0.05, 560.0, 300.0, "one phase"},  {"PRSV:CH4,H2O", 1, 0.002, 280.0, 300.0, "splits"},
        // Below Bukacek's 288.15 K and above his 690 bar: not his fit.
        {"DMW2:CH4,H2O", 1, 1e-9, 285.846, 1000.0, "one phase"}, {"DMWEOS:CH4,H2O", 1, 1e-9, 300.0, 1000.0, "one phase"},
    };
    for (const auto& k : kCases) {
        SCOPED_TRACE(std::string(k.model) + " x " + std::to_string(k.xH2O) + " at " + std::to_string(k.T) + " K, " +
                     std::to_string(k.P) + " bar");
        const Judged j = judge(k.model, k.xH2O, k.T, k.P);
        ASSERT_TRUE(j.given);
        EXPECT_EQ(j.v.fluid.word, k.word) << j.v.fluid.text;
        const std::string gas = kPrGases[k.gas].name;
        double xL = numberAfter(j.v.fluid.text, "its liquid holds ") / 100.0;
        if (std::isnan(xL)) xL = numberAfter(j.v.fluid.text, "-rich liquid holds at most ") / 100.0;
        const double y = prWaterContent(kPrGases[k.gas], k.T, k.P, std::isfinite(xL) ? xL : 0.0);
        EXPECT_NEAR(numberAfter(j.v.fluid.text, "its " + gas + "-rich phase holds ") / 100.0, y, 0.01 * y)
            << j.v.fluid.text;
    }
    // At a published fit's edge the capacity does not jump: Spycher et al.'s
    // at 373.15 K, Bukacek's at 511.15 K and 288.15 K, each band meeting the
    // other's.
    const struct {
        const char* model;
        double T0, T1, P;
    } kEdges[] = {{"PR:CO2,H2O", 373.0, 373.3, 200.0}, {"PR:CO2,H2O", 373.0, 373.3, 50.0},
                  {"PR:CH4,H2O", 511.0, 511.3, 690.0}, {"PR:CH4,H2O", 511.0, 511.3, 100.0},
                  {"PR:CH4,H2O", 288.3, 288.0, 300.0}};
    for (const auto& e : kEdges) {
        SCOPED_TRACE(std::string(e.model) + " at " + std::to_string(e.P) + " bar");
        double low[2], high[2];
        for (int s = 0; s < 2; ++s) {
            const Judged j = judge(e.model, 1e-6, s == 0 ? e.T0 : e.T1, e.P);
            ASSERT_TRUE(j.given);
            const std::string& t = j.v.fluid.text;
            const double c = numberAfter(t, "-rich phase holds at most "), u = numberAfter(t, "H2O within about ");
            const std::size_t open = t.find("% H2O (");
            if (s == 0) {
                ASSERT_TRUE(std::isfinite(c) && std::isfinite(u)) << t;  // the published fit
                low[s] = c * (1.0 - u / 100.0), high[s] = c * (1.0 + u / 100.0);
            } else {
                ASSERT_NE(open, std::string::npos) << t;  // beyond it
                low[s] = std::atof(t.c_str() + open + 7);
                high[s] = numberAfter(t.substr(open), " to ");
            }
        }
        EXPECT_LT(low[0], high[1]);
        EXPECT_LT(low[1], high[0]);
        EXPECT_LT(high[1] / high[0], 1.25);
        EXPECT_GT(high[1] / high[0], 0.8);
    }
}

TEST(FluidStatement, IceFromAWetGasOnlyBelowWatersMeltingLineAtItsPressure) {
    // R14-08's check values: ice Ih melts at 271.61 K at 200 bar and at
    // 269.06 K at 500 bar.
    EXPECT_NEAR(iceMeltingTemperature(200.0), 271.61, 0.01);
    EXPECT_NEAR(iceMeltingTemperature(500.0), 269.06, 0.01);
    const struct {
        const char* model;
        double x, T, P;
        bool ice;
    } kCases[] = {
        // Between the melting point and 273.16 K the water a saturated gas
        // sheds is liquid, in either order of the names.
        {"PR:CH4,H2O", 0.001, 271.0, 500.0, false}, {"PR:H2O,CH4", 0.999, 271.0, 500.0, false},
        {"PR:N2,H2O", 0.001, 272.0, 300.0, false},  {"PR:CO2,H2O", 0.005, 272.5, 200.0, false},
        // Below it, ice.
        {"SRK1:H2O,N2", 0.9999595, 256.2, 269.972, true}, {"PR:CH4,H2O", 0.001, 265.0, 500.0, true},
        {"PR:H2O,CH4", 0.999, 265.0, 500.0, true},        {"PR:N2,H2O", 0.001, 260.0, 300.0, true},
    };
    for (const auto& k : kCases) {
        SCOPED_TRACE(std::string(k.model) + " x " + std::to_string(k.x) + " at " + std::to_string(k.T) + " K, " +
                     std::to_string(k.P) + " bar");
        const Judged j = judge(k.model, k.x, k.T, k.P);
        ASSERT_TRUE(j.given);
        const double Tm = iceMeltingTemperature(k.P);
        EXPECT_EQ(j.v.fluid.word == "ice Ih deposits", k.ice) << j.v.fluid.text;
        if (!k.ice) {
            EXPECT_EQ(j.v.fluid.word, "splits") << j.v.fluid.text;
            continue;
        }
        // The melting point it names lies on R14-08's line, lowered by the
        // gas its liquid dissolves (at most a kelvin at these pressures);
        // the frost or freezing point no higher.
        const std::size_t at = j.v.fluid.text.find("its melting point at ");
        ASSERT_NE(at, std::string::npos) << j.v.fluid.text;
        const double melting = numberAfter(j.v.fluid.text.substr(at), " bar ");
        EXPECT_LE(melting, Tm + 1e-3);
        EXPECT_GT(melting, Tm - 1.5);
        EXPECT_LE(j.v.fluid.point, melting + 0.01);  // (printed to five digits)
        EXPECT_GT(j.v.fluid.point, k.T);
    }
}

namespace {

// The published ancillary vapour pressures, ln(p/pc) = (Tc/T) sum n_i
// theta^t_i with theta = 1 - T/Tc, of CO2 (Span & Wagner 1996, eq. 3.13), CH4
// (Setzmann & Wagner 1991, eq. 3.4) and N2 (Span, Lemmon, Jacobsen, Wagner &
// Yokozeki 2000, eq. 4), with their acentric factors (Reid, Prausnitz &
// Poling 1987).
struct Ancillary {
    const char* name;
    double Tc, pc, omega;  // K, bar
    double n[4], t[4];
    double vapourPressure(double T) const {
        const double theta = 1.0 - T / Tc;
        double s = 0.0;
        for (int i = 0; i < 4; ++i) s += n[i] * std::pow(theta, t[i]);
        return pc * std::exp(Tc / T * s);
    }
    // Raoult's law's liquid fugacity: beyond the critical point the
    // acentric factor's straight line in 1/T (Edmister 1958).
    double liquidFugacity(double T) const {
        return T < Tc ? vapourPressure(T) : pc * std::pow(10.0, 7.0 / 3.0 * (1.0 + omega) * (1.0 - Tc / T));
    }
};
const Ancillary kAncillaries[] = {
    {"CO2", 304.1282, 73.773, 0.225, {-7.0602087, 1.9391218, -1.6463597, -3.2995634}, {1.0, 1.5, 2.0, 4.0}},
    {"CH4", 190.564, 45.992, 0.011, {-6.036219, 1.409353, -0.4945199, -1.443048}, {1.0, 1.5, 2.0, 4.5}},
    {"N2", 126.192, 33.958, 0.037, {-6.12445284, 1.26327220, -0.765910082, -1.77570564}, {1.0, 1.5, 2.5, 5.0}},
};
const Ancillary& ancillary(const std::string& name) {
    for (const Ancillary& a : kAncillaries)
        if (name == a.name) return a;
    return kAncillaries[0];
}

// The density (kg/m3) a statement gives; NaN where it gives none.
double densityIn(const std::string& text) {
    const std::size_t at = text.find(" kg/m3");
    if (at == std::string::npos) return std::nan("");
    const std::size_t from = text.rfind(' ', at - 1);
    return std::atof(text.c_str() + from + 1);
}

// A model's pair named in the other order ("PR:CO2,CH4" -> "PR:CH4,CO2").
std::string reversed(const std::string& model) {
    const std::size_t colon = model.find(':'), comma = model.find(',');
    return model.substr(0, colon + 1) + model.substr(comma + 1) + "," + model.substr(colon + 1, comma - colon - 1);
}

// Raoult's law's word at P for the share x of b: from the liquid fugacities
// pa of the major component (within the factors aLow and aHigh) and pb of the
// other (within a factor 3), its dew and bubble pressures' bands decide
// wherever P lies clear of their edges; the one phase named a supercritical
// fluid where `supercritical`, and there the split only possible (uncertain).
void expectRaoultsWord(const std::string& word, const std::string& text, double P, double x, double pa, double pb,
                       double aLow, double aHigh, bool supercritical) {
    auto dew = [&](double a, double b) { return 1.0 / ((1.0 - x) / a + x / b); };
    auto bubble = [&](double a, double b) { return (1.0 - x) * a + x * b; };
    EXPECT_NEAR(numberAfter(text, "the dew pressure ") / dew(pa, pb), 1.0, 0.01) << text;
    EXPECT_NEAR(numberAfter(text, "the bubble pressure ") / bubble(pa, pb), 1.0, 0.01) << text;
    const double dewLow = dew(aLow * pa, pb / 3.0), dewHigh = dew(aHigh * pa, 3.0 * pb);
    const double bubbleLow = bubble(aLow * pa, pb / 3.0), bubbleHigh = bubble(aHigh * pa, 3.0 * pb);
    auto clear = [&](double edge) { return std::fabs(P / edge - 1.0) > 0.02; };
    if (!(clear(dewLow) && clear(dewHigh) && clear(bubbleLow) && clear(bubbleHigh))) return;
    const char* expected = P < dewLow                     ? (supercritical ? "supercritical fluid" : "vapour")
                           : P > bubbleHigh               ? (supercritical ? "supercritical fluid" : "liquid")
                           : P > dewHigh && P < bubbleLow ? (supercritical ? "" : "splits")
                                                          : "";
    if (expected[0]) {
        EXPECT_EQ(word, expected) << text;
    } else {
        EXPECT_EQ(word.rfind("uncertain", 0), 0u) << text;
    }
}

}  // namespace

// Beside the pure end of a pair of CO2, CH4 and N2, the statement is Raoult's
// law with the major component's vapour pressure and the other's ideal
// solubility (its vapour pressure, beyond its critical point extrapolated by
// its acentric factor, within a factor 3): evaluated here from the published
// ancillaries, the dew and bubble pressures decide the word wherever the
// state lies clear of their bands' edges; above the major component's
// critical temperature, with a lighter other, one supercritical fluid.  The
// same statement in either order of the names.
TEST(FluidStatement, ANonPolarPairBesideAPureEndFollowsItsVapourPressureAndRaoultsLaw) {
    const struct {
        const char* model;  // the major component first
        double x, T, P;
    } kCases[] = {
        {"SRK1:CH4,N2", 0.0201, 96.1943, 0.215928},  // below CH4's vapour pressure: the model splits it
        {"PR:CO2,CH4", 0.02, 250.0, 10.0},   {"PR:CO2,CH4", 0.02, 250.0, 18.5}, {"PR:CO2,CH4", 0.02, 250.0, 40.0},
        {"PR:CH4,N2", 0.03, 150.0, 5.0},     {"PR:CH4,N2", 0.03, 150.0, 20.0},  {"PR:N2,CH4", 0.02, 100.0, 3.0},
        {"PR:N2,CH4", 0.02, 100.0, 10.0},    {"PR:CO2,N2", 0.01, 280.0, 30.0},  {"PR:CO2,N2", 0.01, 280.0, 60.0},
        {"SRK2:CO2,CH4", 0.05, 290.0, 70.0}, {"DMW2:CO2,CH4", 0.02, 290.0, 30.0},
        {"PR:CO2,CH4", 0.02, 310.0, 80.0},   {"PR:CH4,CO2", 0.02, 310.0, 80.0}, {"PR:CO2,N2", 0.05, 305.0, 300.0},
    };
    for (const auto& k : kCases) {
        SCOPED_TRACE(std::string(k.model) + " x " + std::to_string(k.x) + " at " + std::to_string(k.T) + " K, " +
                     std::to_string(k.P) + " bar");
        const std::string model = k.model, a = model.substr(model.find(':') + 1, model.find(',') - model.find(':') - 1);
        const Ancillary &A = ancillary(a), &B = ancillary(model.substr(model.find(',') + 1));
        const Judged j = judge(k.model, k.x, k.T, k.P);
        ASSERT_TRUE(j.given);
        const std::string& word = j.v.fluid.word;
        const std::string& text = j.v.fluid.text;
        // The statement printed beside the model's own phase line.
        EXPECT_NE(j.out.find("** The fluid: " + word + " " + text), std::string::npos) << j.out;
        EXPECT_EQ(j.out.find("** Phase: not stable") != std::string::npos, j.v.splits) << j.out;
        if (k.T >= A.Tc) {
            EXPECT_EQ(word, "supercritical fluid") << text;
            EXPECT_EQ(j.v.fluid.agrees, !j.v.splits);
        } else {
            const double pa = A.vapourPressure(k.T), pb = B.liquidFugacity(k.T);
            EXPECT_NEAR(numberAfter(text, "the vapour pressure of " + a + ", ") / pa, 1.0, 0.005) << text;
            expectRaoultsWord(word, text, k.P, k.x, pa, pb, 0.995, 1.005, false);
            EXPECT_EQ(j.v.fluid.agrees, word.rfind("uncertain", 0) == 0 || (word == "splits") == j.v.splits) << text;
        }
        // The same statement from the other order of the names.
        const Judged r = judge(reversed(k.model).c_str(), 1.0 - k.x, k.T, k.P);
        ASSERT_TRUE(r.given);
        EXPECT_EQ(r.v.fluid.word, word);
        EXPECT_EQ(r.v.fluid.text, text);
    }
    // CH4 holding 2 % of the heavier CO2 between their critical
    // temperatures: one fluid while CO2's partial pressure stays below a
    // third of its vapour pressure (17.85 bar at 250 K); beyond, no data
    // here decide whether it condenses.
    EXPECT_EQ(judge("PR:CH4,CO2", 0.02, 250.0, 250.0).v.fluid.word, "supercritical fluid");
    // At 350 bar its fugacity, not its partial pressure, decides: CO2's
    // fugacity coefficient there (Peng & Robinson, Knapp et al.'s binary
    // constant) near 0.2 keeps it well below.
    const Judged dense = judge("PR:CH4,CO2", 0.02, 250.0, 350.0);
    EXPECT_EQ(dense.v.fluid.word, "supercritical fluid") << dense.v.fluid.text;
    const indep::Cubic eos = indep::pr(indep::kPrCH4, indep::kPrCO2, indep::kKnappCO2CH4);
    const std::vector<double> V = indep::roots(eos, 250.0, 350e5, 0.02);
    ASSERT_FALSE(V.empty());
    EXPECT_NEAR(numberAfter(dense.v.fluid.text, "its coefficient "),
                std::exp(eos.lnf(1, 250.0, V.back(), 0.02)) / (0.02 * 350e5), 0.01)
        << dense.v.fluid.text;
}

// A trace (x = 1e-9) is its pure end: the same word of the fluid's
// statement, and the same refusal where the pure component's range
// describes it as a vapour only (DMW's CO2 below 304.128 K), by pressure and
// by volume, on both sides of the vapour pressure and above the critical
// temperature.
TEST(FluidStatement, ATraceIsItsPureEnd) {
    const struct {
        const char* model;
        double T[3];
    } kEnds[] = {{"PR:CO2,CH4", {250.0, 290.0, 320.0}},
                 {"SRK1:CH4,N2", {120.0, 180.0, 200.0}},
                 {"PR:N2,CH4", {90.0, 115.0, 140.0}},
                 {"PR:N2,CO2", {94.7, 110.0, 120.0}},
                 {"DMW2:CO2,CH4", {280.0, 300.0, 310.0}}};
    int refused = 0;
    for (const auto& e : kEnds) {
        const std::string model = e.model, a = model.substr(model.find(':') + 1, model.find(',') - model.find(':') - 1);
        const Ancillary& A = ancillary(a);
        for (double T : e.T) {
            const double p = T < A.Tc ? A.vapourPressure(T) : A.pc;
            for (double f : {0.5, 0.997, 1.003, 2.0}) {
                for (const std::string& m : {model, reversed(model)}) {
                    const bool first = m == model;
                    SCOPED_TRACE(m + " at " + std::to_string(T) + " K, " + std::to_string(f * p) + " bar");
                    const Judged trace = judge(m.c_str(), first ? 1e-9 : 1.0 - 1e-9, T, f * p);
                    const Judged pure = judge(m.c_str(), first ? 0.0 : 1.0, T, f * p);
                    ASSERT_EQ(trace.given, pure.given);
                    refused += !pure.given;
                    if (pure.given) {
                        EXPECT_EQ(trace.v.fluid.word, pure.v.fluid.word) << trace.v.fluid.text << "\n"
                                                                         << pure.v.fluid.text;
                        // The pure end's reference density, and the model's
                        // departure from it, alike.
                        EXPECT_EQ(densityIn(trace.v.fluid.text), densityIn(pure.v.fluid.text)) << trace.v.fluid.text;
                        if (pure.v.fluid.text.find("density ") != std::string::npos &&
                            trace.v.fluid.text.find("molar density ") != std::string::npos) {
                            EXPECT_NEAR(numberAfter(trace.v.fluid.text, "molar density "),
                                        numberAfter(pure.v.fluid.text, "the model's density "), 0.01)
                                << trace.v.fluid.text << "\n" << pure.v.fluid.text;
                        }
                    }
                }
            }
        }
    }
    // DMW's CO2 at and above its vapour pressure below 304.128 K.
    EXPECT_EQ(refused, 2 * 2 * 2);
    // By volume: its liquid's refused alike, its vapour's given.
    for (double V : {50.0, 1000.0}) {
        std::unique_ptr<FluidPhase> m;
        consoletest::capture([&] { m.reset(createFluidModel("DMW2:CO2,CH4")); });
        ASSERT_TRUE(m);
        m->composition(1.0 - 1e-9, 1e-9);
        bool shown = false;
        const consoletest::Captured c = consoletest::capture([&] { shown = StateReport(*m).printStateFromTV(290.0, V * 1e-6); });
        EXPECT_EQ(shown, V > 100.0) << c.err;
        EXPECT_EQ(c.err.find("as a vapour only") != std::string::npos, V < 100.0) << c.err;
    }
}

// Above water's critical temperature its pure end is a supercritical fluid at
// every pressure; a trace of CO2 or CH4 in it says the same (its word, pure
// water's reference density, the model's departure from it, as pure water's
// own model gives them), in either order, also where the pair's critical
// curve is not published (H2O-CH4; H2O-CO2 above 3500 bar), while a finite
// share there gets no word.
TEST(FluidStatement, ATraceInSupercriticalWaterIsPureWater) {
    const double kTemperatures[] = {648.0, 700.0, 900.0}, kPressures[] = {229.364, 1000.0, 5000.0, 8000.0};
    for (const char* model : {"DMW2:H2O,CO2", "DMWEOS:H2O,CO2", "DMW2:H2O,CH4", "DMWEOS:H2O,CH4"}) {
        const std::string name = model, gas = name.substr(name.find(',') + 1);
        // Duan, Moller & Weare's pure water (the same equation at both pairs' water end).
        std::unique_ptr<FluidPhase> water;
        consoletest::capture([&] { water.reset(createFluidModel("DMWEOS:H2O")); });
        ASSERT_TRUE(water);
        for (double T : kTemperatures) {
            for (double P : kPressures) {
                StateReport::Verdict pure;
                bool pureGiven = false;
                consoletest::capture([&] { pureGiven = StateReport(*water).verdictAt(T, P, pure); });
                ASSERT_TRUE(pureGiven);
                // Above 647.096 K no compression condenses water.
                ASSERT_EQ(pure.fluid.word, "supercritical fluid") << pure.fluid.text;
                for (const std::string& m : {name, reversed(name)}) {
                    const bool first = m == name;
                    SCOPED_TRACE(m + " at " + std::to_string(T) + " K, " + std::to_string(P) + " bar");
                    const Judged trace = judge(m.c_str(), first ? 1e-9 : 1.0 - 1e-9, T, P);
                    ASSERT_TRUE(trace.given);
                    EXPECT_EQ(trace.v.fluid.word, pure.fluid.word) << trace.v.fluid.text;
                    EXPECT_NE(trace.v.fluid.text.find("% " + gas), std::string::npos) << trace.v.fluid.text;
                    EXPECT_EQ(densityIn(trace.v.fluid.text), densityIn(pure.fluid.text)) << trace.v.fluid.text;
                    EXPECT_NEAR(numberAfter(trace.v.fluid.text, "molar density "),
                                numberAfter(pure.fluid.text, "the model's density "), 0.01)
                        << trace.v.fluid.text << "\n" << pure.fluid.text;
                    if (P > 3500.0) {
                        const Judged finite = judge(m.c_str(), first ? 0.02 : 0.98, T, P);
                        EXPECT_EQ(finite.v.fluid.word, "") << finite.v.fluid.text;
                    }
                }
            }
        }
    }
}

// Above water's critical point, beside the H2O-CO2 critical curve where it
// starts (647.096 K and 220.64 bar, falling to 626 K at 300 bar; Todheide &
// Franck 1963): one fluid, whatever the model splits, in either order.
TEST(FluidStatement, BesideWatersCriticalPointTheCriticalCurveSpeaks) {
    const struct {
        const char* model;
        double x, T, P;
    } kCases[] = {{"DMW2:H2O,CO2", 0.0201, 648.589, 229.364}, {"DMWEOS:H2O,CO2", 0.025, 648.0, 230.0}};
    for (const auto& k : kCases) {
        for (bool first : {true, false}) {
            const std::string m = first ? k.model : reversed(k.model);
            SCOPED_TRACE(m);
            const Judged j = judge(m.c_str(), first ? k.x : 1.0 - k.x, k.T, k.P);
            ASSERT_TRUE(j.given);
            EXPECT_EQ(j.v.fluid.word, "one phase") << j.v.fluid.text;
            const double Tc = 647.096 + (626.0 - 647.096) * (k.P - 220.64) / (300.0 - 220.64);
            EXPECT_NEAR(numberAfter(j.v.fluid.text, "lies at "), Tc, 0.05) << j.v.fluid.text;
            EXPECT_EQ(j.v.fluid.agrees, !j.v.splits);
        }
    }
}

// A state's numbers as a reader needs them: components by name, both phases
// of a split by the same one, fugacities to their significant digits (an
// ideal gas's x P at 0.01 bar; a salt's in brine), and a reference equation
// not compared with itself.
TEST(FluidStatement, StatesNameTheirComponentsAndGiveEveryFugacitysDigits) {
    Judged j = judge("PR:CO2,CH4", 0.5, 400.0, 0.01);
    ASSERT_TRUE(j.given);
    EXPECT_NE(j.out.find("x(CO2)"), std::string::npos) << j.out;
    EXPECT_NE(j.out.find("x(CH4)"), std::string::npos) << j.out;
    for (const char* f : {"fugacity[0]", "fugacity[1]"}) EXPECT_NEAR(numberAfter(j.out, f), 0.005, 1e-6) << j.out;
    for (const char* model : {"SRK1:CO2,CH4", "SRK1:CH4,CO2"}) {
        j = judge(model, std::string(model) == "SRK1:CO2,CH4" ? 0.3 : 0.7, 250.0, 50.0);
        ASSERT_TRUE(j.v.splits);
        const bool ch4Second = std::string(model) == "SRK1:CO2,CH4";
        EXPECT_NEAR(numberAfter(j.out, "a liquid of x(CH4) "), ch4Second ? j.v.line.x1[0] : 1.0 - j.v.line.x1[0], 1e-5)
            << j.out;
        EXPECT_NEAR(numberAfter(j.out, "a vapour of x(CH4) "), ch4Second ? j.v.line.x1[1] : 1.0 - j.v.line.x1[1], 1e-5)
            << j.out;
    }
    j = judge("hn", 0.05, 600.0, 300.0);
    ASSERT_TRUE(j.given);
    EXPECT_GT(numberAfter(j.out, "fugcoef[1]"), 0.0) << j.out;
    EXPECT_GT(numberAfter(j.out, "fugacity[1]"), 0.0) << j.out;
    for (const char* reference : {"wagner", "IUPACCO2"}) {
        std::unique_ptr<FluidPhase> m;
        consoletest::capture([&] { m.reset(createFluidModel(reference)); });
        ASSERT_TRUE(m);
        const std::string out = consoletest::capture([&] { StateReport(*m).printStateFromTP(300.0, 50.0); }).out;
        EXPECT_NE(out.find("** The fluid: "), std::string::npos) << out;
        EXPECT_EQ(out.find("from it"), std::string::npos) << out;
    }
}

// Where Henry's law puts more of the gas in water's saturated liquid than a
// dilute solution holds (DMW's 1000-8000 bar), a mixture of a dilute share
// below the law's saturated share is one liquid by the same law: its Henry
// constant IAPWS G7-04's, ln(kH/psat) = A/Tr + B tau^0.355/Tr + C Tr^-0.41
// exp(tau) (Table 2), evaluated here; and a trace is pure water, the same
// word and the reference density.
TEST(FluidStatement, WaterHoldingADiluteGasBeyondHenrysDiluteShareIsOneLiquid) {
    const struct {
        const char* model;  // water first
        double T, P;
        double A, B, C;  // G7-04's constants of the gas
    } kCases[] = {
        {"DMW2:H2O,CO2", 500.0, 5000.0, -8.55445, 4.01195, 9.52345},
        {"DMWEOS:H2O,CO2", 400.0, 3000.0, -8.55445, 4.01195, 9.52345},
        {"DMW2:H2O,CH4", 600.0, 3000.0, -10.44708, 4.66491, 12.12986},
    };
    for (const auto& k : kCases) {
        const double Tr = k.T / 647.096, tau = 1.0 - Tr;
        const double kH = waterVapourPressure(k.T) * 1e-5 *
                          std::exp(k.A / Tr + k.B * std::pow(tau, 0.355) / Tr + k.C * std::pow(Tr, -0.41) * std::exp(tau));
        const std::string model = k.model, gas = model.substr(model.find(',') + 1);
        const Judged pure = judge(k.model, 0.0, k.T, k.P);
        ASSERT_TRUE(pure.given);
        ASSERT_EQ(pure.v.fluid.word, "liquid") << pure.v.fluid.text;
        for (double x : {1e-9, 0.01}) {
            for (const std::string& m : {model, reversed(model)}) {
                SCOPED_TRACE(m + " x " + std::to_string(x) + " at " + std::to_string(k.T) + " K, " +
                             std::to_string(k.P) + " bar");
                const Judged j = judge(m.c_str(), m == model ? x : 1.0 - x, k.T, k.P);
                ASSERT_TRUE(j.given);
                const std::string& t = j.v.fluid.text;
                EXPECT_EQ(j.v.fluid.word, "liquid") << t;
                EXPECT_NEAR(numberAfter(t, "Henry constant of " + gas + ", ") / kH, 1.0, 1e-3) << t;
                // The law's saturated share beyond a dilute solution, its
                // lower band above this mixture's share.
                const std::size_t open = t.find("% " + gas + " (");
                ASSERT_NE(open, std::string::npos) << t;
                EXPECT_GT(numberAfter(t, "its liquid holds "), 5.0) << t;
                EXPECT_GT(std::atof(t.c_str() + open + gas.size() + 4), 100.0 * x) << t;
                EXPECT_EQ(densityIn(t), densityIn(pure.v.fluid.text)) << t;
                EXPECT_EQ(j.v.fluid.agrees, !j.v.splits);
                if (x < 1e-6) {
                    EXPECT_FALSE(j.v.splits);
                    EXPECT_NEAR(numberAfter(t, "molar density "), numberAfter(pure.v.fluid.text, "the model's density "),
                                0.01)
                        << t;
                }
            }
        }
    }
}

// A trace of a gas in liquid water (above water's vapour pressure, below its
// critical temperature) is the liquid pure water is, in either order of the
// names: the word pure water's line gives, and "liquid" by Wagner & Pruss's
// vapour pressure evaluated here.
TEST(FluidStatement, ATraceInLiquidWaterIsTheLiquidPureWaterIs) {
    int compared = 0;
    for (const std::string model : {"PR:H2O,CO2", "DMW2:H2O,CO2", "PR:H2O,CH4", "SRK1:H2O,N2"})
        for (double T : {300.0, 400.0, 500.0, 600.0})
            for (double f : {2.0, 10.0, 100.0}) {
                const double P = std::min(1000.0, f * waterVapourPressure(T) * 1e-5);
                for (const std::string& m : {model, reversed(model)}) {
                    const bool first = m == model;
                    SCOPED_TRACE(m + " at " + std::to_string(T) + " K, " + std::to_string(P) + " bar");
                    const Judged trace = judge(m.c_str(), first ? 1e-9 : 1.0 - 1e-9, T, P);
                    const Judged pure = judge(m.c_str(), first ? 0.0 : 1.0, T, P);
                    ASSERT_EQ(trace.given, pure.given);
                    if (!pure.given) continue;
                    EXPECT_EQ(pure.v.fluid.word, "liquid") << pure.v.fluid.text;
                    EXPECT_EQ(trace.v.fluid.word, pure.v.fluid.word) << trace.v.fluid.text;
                    ++compared;
                }
            }
    EXPECT_GE(compared, 80);
}

// A salt brine's statement, judged against the published check values of
// Driesner & Heinrich's H2O-NaCl phase relations (Geochim. Cosmochim. Acta 71
// (2007) 4880: bubble points, the three-phase curve vapour + liquid +
// halite, the halite liquidus, the critical curve): each state is placed
// beside a published point, where the diagram decides its word whatever the
// model gives.
TEST(FluidStatement, NaClBrinesTakeTheirWordFromDriesnerAndHeinrichsPhaseDiagram) {
    constexpr double kC = 273.15;
    const std::string kHalite = "solid NaCl (halite) deposits";
    const struct {
        double T, P, x;  // K, bar, mole fraction of NaCl
        const char* word;
        const char* why;
    } kCases[] = {
        // Bubble point of 10 wt % (x 0.0331162) at 350 C: 155.327 bar, its
        // vapour x 2.06901e-5.  Water's vapour pressure there is 165.29 bar.
        {350 + kC, 155.327, 0.5 * 0.0331162, "splits", "between the bubble point's vapour and liquid"},
        {350 + kC, 155.327, 1.5 * 0.0331162, "liquid", "beyond the bubble point's liquid"},
        {350 + kC, 155.327, 0.25 * 2.06901e-5, "vapour", "short of the bubble point's vapour"},
        // The three-phase curve at 300 C: 60.4712 bar, its liquid x 0.157321,
        // its vapour 5.66328e-7 (the most NaCl a vapour beside halite holds).
        {300 + kC, 0.9 * 60.4712, 0.01, kHalite.c_str(), "below the three-phase pressure, beyond its vapour"},
        {300 + kC, 1.1 * 60.4712, 1.3 * 0.157321, kHalite.c_str(), "beyond the three-phase liquid"},
        // The halite liquidus at 400 C and 1000 bar: x 0.215432, above the
        // critical pressure there (281.248 bar).
        {400 + kC, 1000.0, 0.8 * 0.215432, "one phase", "above the critical pressure, short of the liquidus"},
        {400 + kC, 1000.0, 1.2 * 0.215432, kHalite.c_str(), "beyond the liquidus"},
        // The bubble point of 10 wt % at 450 C: 416.599 bar, its vapour x
        // 0.0192743; the critical point of 8.42 wt % there at 417.444 bar.
        {450 + kC, 416.599, 1.5 * 0.0331162, "liquid", "beyond the bubble point's liquid above Tc of water"},
        {450 + kC, 416.599, 0.25 * 0.0192743, "vapour", "short of the bubble point's vapour above Tc of water"},
        {450 + kC, 1.1 * 417.444, 0.01, "one phase", "above the critical pressure"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.why) + ": hn x " + std::to_string(c.x) + " TP " + std::to_string(c.T) + " " +
                     std::to_string(c.P));
        const Judged j = judge("hn", c.x, c.T, c.P);
        ASSERT_TRUE(j.given);
        EXPECT_EQ(j.v.fluid.word, c.word) << j.v.fluid.text;
        EXPECT_NE(j.v.fluid.text.find("Driesner & Heinrich 2007"), std::string::npos) << j.v.fluid.text;
        // The word against the model's own answer: a solid is none of its
        // phases; a split is its split; one phase any of its one phases.
        const std::string w = c.word;
        const bool agrees = w == kHalite        ? false
                            : w == "splits"     ? j.v.model.splits
                            : j.v.model.splits  ? false
                            : w == "one phase"  ? true
                            : w == "liquid"     ? j.v.model.phase != FluidPhase::kPhaseVapour
                                                : j.v.model.phase != FluidPhase::kPhaseLiquid;
        EXPECT_EQ(j.v.fluid.agrees, agrees) << j.v.fluid.text;
    }
}

TEST(FluidStatement, ASaltIsNeverJudgedByWatersVapourPressure) {
    // Boiling brines below water's vapour pressure: steam with brine, a
    // brine below its own vapour pressure, or with the salt's solid: never
    // one vapour.
    const struct {
        const char* model;
        double x, T, P;
    } kStates[] = {{"hn", 0.1, 600.0, 50.0}, {"hn", 0.3, 640.0, 150.0}, {"hk", 0.05, 620.0, 100.0},
                   {"hn", 0.001, 573.15, 10.0}};
    for (const auto& s : kStates) {
        SCOPED_TRACE(std::string(s.model) + " x " + std::to_string(s.x) + " TP " + std::to_string(s.T) + " " +
                     std::to_string(s.P));
        const Judged j = judge(s.model, s.x, s.T, s.P);
        ASSERT_TRUE(j.given);
        ASSERT_TRUE(j.v.fluid.covered());
        if (std::string(s.model) == "hk")
            EXPECT_EQ(j.v.fluid.word, "not one vapour");
        else
            EXPECT_EQ(j.v.fluid.word.find("vapour"), std::string::npos) << j.v.fluid.word;
    }
    // KCl without a published diagram: not one vapour below water's
    // critical temperature, agreeing with any answer of the model's but one
    // vapour; above it nothing is said.
    const Judged kcl = judge("hk", 0.05, 620.0, 100.0);
    EXPECT_EQ(kcl.v.fluid.word, "not one vapour");
    EXPECT_EQ(kcl.v.fluid.agrees, kcl.v.model.splits || kcl.v.model.phase != FluidPhase::kPhaseVapour);
    const Judged hot = judge("hk", 0.05, 700.0, 300.0);
    ASSERT_TRUE(hot.given);
    EXPECT_FALSE(hot.v.fluid.covered()) << hot.v.fluid.word << " " << hot.v.fluid.text;
}

// Water's content of a compressed gas by Peng & Robinson's equation names
// its binary constant's source and carries the constant's uncertainty in its
// band: the spread of water's fugacity coefficient across it, evaluated
// here on an independent Peng-Robinson equation (N2: 126.192 K, 3.3958 MPa,
// acentric factor 0.0372; water: 647.096 K, 22.064 MPa, 0.3443).  A trace
// of water in a gas below water's vapour pressure is its pure gas end, with
// that end's word and density (the ideal gas's at these pressures); a
// state the model splits below water's vapour pressure is said to split.
TEST(FluidStatement, WaterGasLinesNameTheirSourceCarryItsBandAndGiveTheTracesDensity) {
    const double T = 400.0, P = 200.0;
    Judged j = judge("PR:H2O,N2", 0.9, T, P);
    ASSERT_TRUE(j.given);
    const std::string& text = j.v.fluid.text;
    EXPECT_NE(text.find("Soreide & Whitson 1992's binary constant 0.4778 within 0.02"), std::string::npos) << text;
    EXPECT_EQ(text.find("recalled"), std::string::npos) << text;
    const double y = 0.01 * numberAfter(text, "its N2-rich phase holds ");
    const std::size_t open = text.find("% H2O (", text.find("its N2-rich phase holds "));
    ASSERT_NE(open, std::string::npos) << text;
    const double low = 0.01 * numberAfter(text.substr(open), "% H2O ("), high = 0.01 * numberAfter(text.substr(open), " to ");
    ASSERT_GT(y, 0.0);
    double lnPhi[2];
    for (int k = 0; k < 2; ++k) {
        const indep::Cubic pr = indep::pr(indep::pengRobinson(126.192, 3.3958e6, 0.0372),
                                          indep::pengRobinson(647.096, 22.064e6, 0.3443), 0.4778 + (k ? 0.02 : -0.02));
        const std::vector<double> roots = indep::roots(pr, T, P * 1e5, y);
        ASSERT_FALSE(roots.empty());
        const double V = *std::max_element(roots.begin(), roots.end());
        lnPhi[k] = pr.lnf(1, T, V, y) - std::log(y * P * 1e5);
    }
    const double band = 0.5 * std::fabs(lnPhi[1] - lnPhi[0]);
    EXPECT_GT(band, 0.01);
    EXPECT_GE((high - y) / y, 0.95 * band) << text;
    EXPECT_GE((y - low) / y, 0.95 * band) << text;
    EXPECT_LE((high - y) / y, 1.05 * band + 0.005 + 0.1) << text;

    j = judge("SRK1:H2O,CO2", 0.999999999, 307.734, 0.0136701);
    ASSERT_TRUE(j.given);
    EXPECT_EQ(j.v.fluid.word, "supercritical fluid") << j.v.fluid.text;
    const double ideal = 0.0136701e5 * 0.0440098 / (8.314462618 * 307.734);
    EXPECT_NEAR(numberAfter(j.v.fluid.text, "pure CO2 by IUPACCO2: "), ideal, 1e-4 * ideal) << j.v.fluid.text;

    for (const char* model : {"DMW2:H2O,CH4", "DMWEOS:H2O,CH4", "DMW2:CH4,H2O"}) {
        SCOPED_TRACE(model);
        j = judge(model, 0.5, 517.75, 30.0);
        ASSERT_TRUE(j.given);
        EXPECT_EQ(j.v.fluid.word, "vapour");
        // IAPWS-95's vapour pressure at 517.75 K, 36.26 bar: water's
        // partial pressure of 15 bar lies below it.
        EXPECT_NEAR(numberAfter(j.v.fluid.text, "water's vapour pressure "), 36.26, 0.01) << j.v.fluid.text;
        if (j.v.splits) {
            EXPECT_FALSE(j.v.fluid.agrees);
            EXPECT_NE(j.v.fluid.text.find("; the model splits it"), std::string::npos) << j.v.fluid.text;
        }
    }
}

// Solid CO2 beside a fluid of CH4 or N2 denser than a dilute gas (the
// compressed gas, the supercritical fluid, the liquid): CO2's fugacity there
// by Peng and Robinson's equation with Knapp et al.'s binary constants,
// written here (indep::solidCO2Excess), against the pure solid's.  Where the
// two differ beyond the statement's band (a tenth in proportion to the
// solvent's share and a tenth of |ln phi|, with the sublimation line's 1 %)
// the word follows, the same on both sides of the solvent's critical
// temperature and in either order of the names;
// the printed fugacity coefficient is the one evaluated here, and at the
// printed frost or freezing point the two fugacities meet.
TEST(FluidStatement, SolidCO2InADenseFluidIsJudgedByItsFugacityThere) {
    const struct {
        const char* model;  // the solvent first
        double x, T, P;     // CO2's share, K, bar
    } kCases[] = {
        {"PR:CH4,CO2", 0.01, 190.5, 100.0},  {"PR:CH4,CO2", 0.01, 191.0, 100.0},  {"PR:N2,CO2", 1e-4, 126.1, 100.0},
        {"PR:N2,CO2", 1e-4, 126.3, 100.0},   {"PR:N2,CO2", 1e-6, 127.046, 203.16}, {"SRK1:N2,CO2", 1e-6, 115.834, 17.958},
        {"PR:CH4,CO2", 0.02, 120.0, 5.0},    {"PR:CH4,CO2", 0.005, 150.0, 10.0},  {"PR:CH4,CO2", 0.2, 180.0, 100.0},
        {"PR:CH4,CO2", 0.3, 200.0, 60.0},    {"PR:N2,CO2", 0.01, 130.0, 200.0},   {"Montel:N2,CO2", 0.003, 150.0, 300.0},
        {"Kreglewski:CH4,CO2", 0.05, 170.0, 150.0},
    };
    int deposits = 0, none = 0;
    for (const auto& k : kCases) {
        SCOPED_TRACE(std::string(k.model) + " x " + std::to_string(k.x) + " at " + std::to_string(k.T) + " K, " +
                     std::to_string(k.P) + " bar");
        const bool methane = std::string(k.model).find("CH4") != std::string::npos;
        const indep::Cubic eos = indep::pr(methane ? indep::kPrCH4 : indep::kPrN2, indep::kPrCO2,
                                           methane ? indep::kKnappCO2CH4 : indep::kKnappCO2N2);
        double phi = std::nan("");
        const double excess = indep::solidCO2Excess(eos, 1, k.T, k.P * 1e5, k.x, &phi);
        const double band = 0.01 + 0.1 * (1.0 - k.x) + 0.1 * std::fabs(std::log(phi)), margin = 0.03;
        const Judged j = judge(k.model, k.x, k.T, k.P), r = judge(reversed(k.model).c_str(), 1.0 - k.x, k.T, k.P);
        ASSERT_TRUE(j.given && r.given);
        const std::string& word = j.v.fluid.word;
        EXPECT_EQ(r.v.fluid.word, word);
        if (excess > band + margin) {
            ++deposits;
            EXPECT_EQ(word, "solid CO2 deposits") << j.v.fluid.text;
            EXPECT_NEAR(numberAfter(j.v.fluid.text, "its fugacity coefficient ") / phi, 1.0, 0.02) << j.v.fluid.text;
            // The fugacities meet at the printed point.
            EXPECT_NEAR(indep::solidCO2Excess(eos, 1, j.v.fluid.point, k.P * 1e5, k.x), 0.0, 0.03) << j.v.fluid.point;
        } else if (excess < -band - margin) {
            ++none;
            EXPECT_EQ(word.find("deposits"), std::string::npos) << j.v.fluid.text;
            EXPECT_FALSE(word.empty());
        }
        // The model's own verdict stands beside it.
        EXPECT_EQ(j.out.find("** Phase: not stable") != std::string::npos, j.v.splits) << j.out;
    }
    EXPECT_GE(deposits, 3);
    EXPECT_GE(none, 6);
    // Across the solvent's critical temperature the solid's word holds.
    for (const auto& pair : {std::pair{"PR:CH4,CO2", std::pair{0.01, 190.5}}, std::pair{"PR:N2,CO2", std::pair{1e-4, 126.1}}}) {
        const double x = pair.second.first, T = pair.second.second;
        EXPECT_EQ(judge(pair.first, x, T, 100.0).v.fluid.word.find("deposits") == std::string::npos,
                  judge(pair.first, x, T + 0.5, 100.0).v.fluid.word.find("deposits") == std::string::npos);
    }
}

// CO2 with CH4 or N2 at any share: Raoult's law with the published ancillary
// vapour pressures (beyond a critical point the acentric factor's straight
// line, within a factor 3; CO2's, the larger share, with its activity
// coefficient by the regular-solution form within 3^((x/(1 - x))^2), as the
// other's at half), evaluated here, decides the word clear of its
// bands, alike on both sides of half; above both critical temperatures one fluid; beyond a dilute share the
// one phase is named as the state is, a supercritical fluid above Kay's
// pseudo-critical temperature, where the split is only possible.  DMW's CO2,
// a vapour only below 304.128 K, refuses its mixtures' states from that dew
// pressure up at every share below the pseudo-critical temperature, and gives
// them with their line elsewhere.
TEST(FluidStatement, ACO2RichMixtureOfAnyShareFollowsRaoultsLawAndItsModelsRestriction) {
    const struct {
        const char* model;  // CO2 first
        double x, T, P;     // the other's share
    } kCases[] = {
        {"PR:CO2,CH4", 0.06, 276.9, 42.0},   {"PR:CO2,CH4", 0.2, 250.0, 10.0},    {"PR:CO2,CH4", 0.2, 250.0, 24.0},
        {"PR:CO2,CH4", 0.2, 250.0, 40.0},    {"SRK1:CO2,N2", 0.3, 260.0, 15.0},   {"SRK1:CO2,N2", 0.3, 260.0, 60.0},
        {"SRK1:CO2,CH4", 0.45, 230.0, 12.0}, {"PR:CO2,N2", 0.1, 290.0, 300.0},    {"SRK1:CO2,CH4", 0.2029, 639.17, 1.59176},
        {"PR:CO2,N2", 0.4, 310.0, 100.0},    {"DMW2:CO2,CH4", 0.06, 276.9, 30.0}, {"DMWEOS:CO2,CH4", 0.3, 290.0, 20.0},
    };
    for (const auto& k : kCases) {
        SCOPED_TRACE(std::string(k.model) + " x " + std::to_string(k.x) + " at " + std::to_string(k.T) + " K, " +
                     std::to_string(k.P) + " bar");
        const std::string model = k.model;
        const Ancillary &A = ancillary("CO2"), &B = ancillary(model.substr(model.find(',') + 1));
        const Judged j = judge(k.model, k.x, k.T, k.P);
        ASSERT_TRUE(j.given);
        const std::string& word = j.v.fluid.word;
        const std::string& text = j.v.fluid.text;
        EXPECT_NE(j.out.find("** The fluid: " + word + " " + text), std::string::npos) << j.out;
        if (k.T >= A.Tc && k.T >= B.Tc) {
            EXPECT_EQ(word, "supercritical fluid") << text;
        } else {
            const bool below = k.T < A.Tc;
            const double activity = std::pow(3.0, k.x * k.x / ((1.0 - k.x) * (1.0 - k.x)));
            const double aHigh = !below ? 3.0 : std::max(1.005, activity), aLow = aHigh > 1.005 ? 1.0 / aHigh : 0.995;
            expectRaoultsWord(word, text, k.P, k.x, A.liquidFugacity(k.T), B.liquidFugacity(k.T), aLow, aHigh,
                              k.T >= (1.0 - k.x) * A.Tc + k.x * B.Tc);
        }
        const Judged r = judge(reversed(k.model).c_str(), 1.0 - k.x, k.T, k.P);
        ASSERT_TRUE(r.given);
        EXPECT_EQ(r.v.fluid.word, word);
        // Either component the larger share: the same word at half.
        if (k.T < A.Tc) {
            for (double half : {0.4999, 0.5001}) {
                EXPECT_EQ(judge(k.model, half, k.T, k.P).v.fluid.word, judge(k.model, 0.5, k.T, k.P).v.fluid.word)
                    << half;
            }
        }
    }
    // DMW: refused at and above the dew pressure below the pseudo-critical temperature, given elsewhere.
    const Ancillary &A = ancillary("CO2"), &B = ancillary("CH4");
    for (const char* model : {"DMW2:CO2,CH4", "DMWEOS:CO2,CH4"}) {
        for (double x : {0.06, 0.1, 0.163, 0.3, 0.5}) {
            for (double T : {276.9, 290.0, 300.0}) {
                const double dew = 1.0 / ((1.0 - x) / A.liquidFugacity(T) + x / B.liquidFugacity(T));
                for (double f : {0.97, 1.03, 1.5}) {
                    SCOPED_TRACE(std::string(model) + " x " + std::to_string(x) + " at " + std::to_string(T) + " K, " +
                                 std::to_string(f * dew) + " bar");
                    std::unique_ptr<FluidPhase> m;
                    consoletest::capture([&] { m.reset(createFluidModel(model)); });
                    ASSERT_TRUE(m);
                    m->composition(1.0 - x, x);
                    bool shown = false;
                    const consoletest::Captured c =
                        consoletest::capture([&] { shown = StateReport(*m).printStateFromTP(T, f * dew); });
                    const bool liquid = f > 1.0 && T < (1.0 - x) * A.Tc + x * B.Tc;
                    EXPECT_EQ(shown, !liquid) << c.err;
                    EXPECT_EQ(c.err.find("as a vapour only") != std::string::npos, liquid) << c.err;
                    if (shown) {
                        EXPECT_NE(c.out.find("** The fluid: "), std::string::npos) << c.out;
                    }
                }
            }
        }
    }
}

// Traces named as their pure end is: below CO2's triple point CO2 with a
// trace of CH4 or N2 is the vapour pure CO2 is (its sublimation pressure,
// Span & Wagner 1996 eq. 3.12, evaluated here); a trace of CO2 in CH4 there
// is judged against its solid, not its supercooled liquid's vapour pressure;
// and above CO2's critical temperature a trace of water in it is the
// supercritical fluid pure CO2 is.
TEST(FluidStatement, TracesBelowTheTriplePointAndAboveTheCriticalPointAreTheirPureEnds) {
    auto sublimation = [](double T) {  // bar
        const double Tt = 216.592, t = 1.0 - T / Tt;
        return 5.1795 * std::exp(Tt / T * (-14.740846 * t + 2.4327015 * std::pow(t, 1.9) - 5.3061778 * std::pow(t, 2.9)));
    };
    const struct {
        const char* model;
        double x, T, P;
    } kTraces[] = {{"SRK:CO2,CH4", 1.691e-09, 169.405, 0.0403763}, {"PR:CO2,N2", 0.001, 216.0, 0.5},
                   {"PR:CO2,N2", 1e-6, 200.0, 1.0},                  {"SRK1:CO2,CH4", 0.001, 190.0, 0.3}};
    for (const auto& k : kTraces) {
        SCOPED_TRACE(std::string(k.model) + " x " + std::to_string(k.x) + " at " + std::to_string(k.T) + " K");
        const Judged trace = judge(k.model, k.x, k.T, k.P), pure = judge(k.model, 0.0, k.T, k.P);
        ASSERT_TRUE(trace.given && pure.given);
        EXPECT_EQ(pure.v.fluid.word, "vapour");
        EXPECT_EQ(trace.v.fluid.word, pure.v.fluid.word) << trace.v.fluid.text;
        EXPECT_NEAR(numberAfter(trace.v.fluid.text, "the sublimation pressure of CO2, ") / sublimation(k.T), 1.0, 1e-4)
            << trace.v.fluid.text;
        EXPECT_EQ(judge(reversed(k.model).c_str(), 1.0 - k.x, k.T, k.P).v.fluid.word, "vapour");
    }
    // 2 % CO2 in CH4 at 200 K: the solid's sublimation pressure, not the
    // supercooled liquid's vapour pressure (2.35 bar).
    const Judged gas = judge("PR:CH4,CO2", 0.02, 200.0, 20.0);
    EXPECT_EQ(gas.v.fluid.word, "supercritical fluid") << gas.v.fluid.text;
    EXPECT_EQ(gas.v.fluid.text.find("vapour pressure"), std::string::npos) << gas.v.fluid.text;
    EXPECT_NEAR(numberAfter(gas.v.fluid.text, "against the solid's "), sublimation(200.0), 0.1) << gas.v.fluid.text;
    for (const char* model : {"SRK1:H2O,CO2", "PR:H2O,CO2"}) {
        const Judged water = judge(model, 0.999999999, 307.734, 0.0136701), co2 = judge(model, 1.0, 307.734, 0.0136701);
        ASSERT_TRUE(water.given && co2.given);
        EXPECT_EQ(co2.v.fluid.word, "supercritical fluid");
        EXPECT_EQ(water.v.fluid.word, co2.v.fluid.word) << water.v.fluid.text;
    }
}

// Water and a gas beyond a dilute share: above both critical temperatures
// and below water's critical pressure (IAPWS-95: 647.096 K, 220.64 bar),
// where the critical curves of their mixtures start and rise in pressure,
// one fluid at every share, whichever is named first; above water's critical
// pressure, where the pair may split into two fluids, nothing is said at
// finite shares but what a measured critical curve says (H2O-CO2's).  DMW's CO2, a vapour only below 304.128 K, is refused
// beside water at any share from CO2's own vapour pressure (Span & Wagner's
// ancillary, evaluated here) up wherever the mixture holds more CO2 than
// water's liquid dissolves (a few per cent, Duan & Sun 2003), and given
// below it or where all of it dissolves.
TEST(FluidStatement, WaterWithAGasAtAnyShareAboveBothCriticalPointsAndBesideAVapourOnlyCO2) {
    const double TcWater = 647.096, pcWater = 220.64;
    for (const char* model : {"PR:H2O,CO2", "SRK1:H2O,CH4", "PRSV:H2O,N2"}) {
        for (double x : {0.1, 0.3, 0.5, 0.8}) {
            for (double T : {TcWater + 1.0, 700.0, 800.0}) {
                for (double P : {1.0, 100.0, 0.95 * pcWater, 1.5 * pcWater}) {
                    SCOPED_TRACE(std::string(model) + " x " + std::to_string(x) + " at " + std::to_string(T) +
                                 " K, " + std::to_string(P) + " bar");
                    const Judged j = judge(model, x, T, P);
                    const Judged r = judge(reversed(model).c_str(), 1.0 - x, T, P);
                    ASSERT_TRUE(j.given && r.given);
                    // (Above water's critical pressure H2O-CO2's measured
                    // critical curve says its one phase.)
                    const bool curve = std::string(model) == "PR:H2O,CO2";
                    EXPECT_EQ(j.v.fluid.word, P < pcWater ? "supercritical fluid" : curve ? "one phase" : "")
                        << j.v.fluid.text;
                    EXPECT_EQ(r.v.fluid.word, j.v.fluid.word) << r.v.fluid.text;
                }
            }
        }
    }
    const Ancillary& co2 = ancillary("CO2");
    for (const char* model : {"DMW2:H2O,CO2", "DMWEOS:H2O,CO2"}) {
        for (double x : {0.01, 0.045, 0.1, 0.4, 0.9}) {
            for (double T : {273.16, 288.15, 300.0}) {
                for (double f : {0.9, 1.1, 1.5}) {
                    const double P = f * co2.vapourPressure(T);
                    const bool liquidCO2 = f > 1.0 && x > 0.04;
                    for (const std::string& named : {std::string(model), reversed(model)}) {
                        SCOPED_TRACE(named + " CO2 " + std::to_string(x) + " at " + std::to_string(T) + " K, " +
                                     std::to_string(P) + " bar");
                        std::unique_ptr<FluidPhase> m;
                        consoletest::capture([&] { m.reset(createFluidModel(named.c_str())); });
                        ASSERT_TRUE(m);
                        if (named == model) m->composition(1.0 - x, x);
                        else m->composition(x, 1.0 - x);
                        bool shown = false;
                        const consoletest::Captured c =
                            consoletest::capture([&] { shown = StateReport(*m).printStateFromTP(T, P); });
                        EXPECT_EQ(shown, !liquidCO2) << c.err;
                        EXPECT_EQ(c.err.find("as a vapour only") != std::string::npos, liquidCO2) << c.err;
                    }
                }
            }
        }
    }
}

// A brine of water, NaCl and CH4 (the salt not volatile, whatever the gas)
// below water's critical temperature is not one vapour at any share of the
// salt from a trace up, agreeing with any answer of the model's but one
// vapour; a lesser trace of the salt, and any state above water's critical
// temperature, nothing is said of.
TEST(FluidStatement, ATernaryBrineIsNeverOneVapourBelowWatersCriticalTemperature) {
    for (double salt : {1e-4, 1e-3, 0.01, 0.1}) {
        for (double gas : {1e-6, 0.1, 0.5}) {
            for (double T : {600.0, 640.0, 700.0}) {
                for (double P : {1.0, 50.0, 300.0}) {
                    SCOPED_TRACE("hnc NaCl " + std::to_string(salt) + " CH4 " + std::to_string(gas) + " at " +
                                 std::to_string(T) + " K, " + std::to_string(P) + " bar");
                    std::unique_ptr<FluidPhase> m;
                    consoletest::capture([&] { m.reset(createFluidModel("hnc")); });
                    ASSERT_TRUE(m);
                    m->composition(1.0 - salt - gas, salt, gas);
                    StateReport report(*m);
                    StateReport::Verdict v;
                    bool given = false;
                    consoletest::capture([&] { given = report.verdictAt(T, P, v); });
                    if (!given) continue;
                    const bool said = salt >= 1e-3 && T < 647.096;
                    EXPECT_EQ(v.fluid.word, said ? "not one vapour" : "") << v.fluid.text;
                    if (said) {
                        EXPECT_EQ(v.fluid.agrees, v.model.splits || v.model.phase != FluidPhase::kPhaseVapour);
                    }
                }
            }
        }
    }
}

namespace {

// CO2's melting temperature (K) at P (bar) on Span & Wagner's (1996) melting
// line, p/pt = 1 + 1955.5390 (T/Tt - 1) + 2055.4593 (T/Tt - 1)^2, the triple
// point's below its pressure; and the ideal freezing point of a liquid of
// CO2 share x (Schroeder-van Laar, its enthalpy of fusion 9.02 kJ/mol).
double co2IdealFreezingPoint(double x, double P_bar) {
    const double Tt = 216.592, r = P_bar * 1e5 / 517950.0 - 1.0;
    const double Tm = r > 0.0 ? Tt * (1.0 + (-1955.5390 + std::sqrt(1955.5390 * 1955.5390 + 4.0 * 2055.4593 * r)) /
                                                (2.0 * 2055.4593))
                              : Tt;
    return 1.0 / (1.0 / Tm - 8.314462618 * std::log(x) / 9020.0);
}

// The vapour pressure (bar) of CO2's liquid supercooled below its triple
// point: its sublimation pressure (Span & Wagner 1996, eq. 3.12) raised by
// its fusion, exp(9.02 kJ/mol / R (1/T - 1/Tt)).
double co2SupercooledLiquidPressure(double T) {
    const double Tt = 216.592, t = 1.0 - T / Tt;
    const double psub = 5.1795 * std::exp(Tt / T * (-14.740846 * t + 2.4327015 * std::pow(t, 1.9) -
                                                    5.3061778 * std::pow(t, 2.9)));
    return psub * std::exp(9020.0 / 8.314462618 * (1.0 / T - 1.0 / Tt));
}

}  // namespace

TEST(FluidStatement, SolidCO2FromACO2RichFluidIsOneWordAtEitherShareOfHalfAndInEitherOrder) {
    // Below CO2's triple point, a CO2-rich mixture with N2 or CH4 takes one
    // word whichever component is the larger share: a liquid of its share
    // that freezes by the ideal solubility, or CO2's fugacity by Peng &
    // Robinson's equation with Knapp et al.'s constant above the solid's,
    // deposits it; never silent there.  In the gas (a few bar, CO2's partial
    // pressure below its liquid's vapour pressure) the same fugacity, not
    // its partial pressure, decides at every share: its coefficient departs
    // from the solid's vapour's by some per cent.  The band the statement
    // gives: the sublimation line's 1 %, a tenth of |ln phi| and a tenth
    // in proportion to the other's share (its unlike part), narrowing to the
    // pure solid's beside CO2's pure end.
    int deposits = 0, uncertain = 0, none = 0;
    for (const char* model : {"PR", "SRK1", "Montel", "Kreglewski"}) {
        for (const char* other : {"N2", "CH4"}) {
            const std::string name = std::string(model) + ":" + other + ",CO2";
            const indep::Cubic eos = indep::pr(std::string(other) == "CH4" ? indep::kPrCH4 : indep::kPrN2,
                                               indep::kPrCO2, std::string(other) == "CH4" ? indep::kKnappCO2CH4
                                                                                          : indep::kKnappCO2N2);
            for (const double T : {160.0, 185.0, 192.0, 200.0, 210.0}) {
                for (const double P : {1.5, 4.0, 10.0, 70.0, 200.0}) {
                    for (const double x : {0.4999, 0.5, 0.5001, 0.7, 0.9, 0.99}) {
                        SCOPED_TRACE(name + " x " + std::to_string(x) + " at " + std::to_string(T) + " K, " +
                                     std::to_string(P) + " bar");
                        const Judged j = judge(name.c_str(), x, T, P), r = judge(reversed(name).c_str(), 1.0 - x, T, P);
                        ASSERT_TRUE(j.given && r.given);
                        const std::string& word = j.v.fluid.word;
                        EXPECT_EQ(r.v.fluid.word, word);
                        if (x < 0.6) {
                            EXPECT_EQ(judge(name.c_str(), 0.5, T, P).v.fluid.word, word);
                        }
                        double phi = std::nan("");
                        const double excess = indep::solidCO2Excess(eos, 1, T, P * 1e5, x, &phi);
                        const double band = 0.01 + 0.1 * (1.0 - x) + 0.1 * std::fabs(std::log(phi)), margin = 0.03;
                        // A liquid-like fluid (CO2's partial pressure above its
                        // liquid's vapour pressure) freezes by its ideal
                        // solubility; a gas does not (clear of the line between).
                        const double liquidLike = std::log(x * P / co2SupercooledLiquidPressure(T));
                        const double Tf = liquidLike > 0.05 ? co2IdealFreezingPoint(x, P) : 0.0;
                        if (liquidLike > -0.05 && !(liquidLike > 0.05)) continue;
                        if (excess > band + margin || T < Tf - 0.5) {
                            ++deposits;
                            EXPECT_EQ(word, "solid CO2 deposits") << j.v.fluid.text;
                        } else if (excess > -band + margin && excess < band - margin) {
                            ++uncertain;
                            EXPECT_EQ(word, "uncertain (solid CO2 deposits or one phase)") << j.v.fluid.text;
                        } else if (excess < -band - margin) {
                            ++none;
                            EXPECT_EQ(word.find("deposits"), std::string::npos) << j.v.fluid.text;
                            EXPECT_FALSE(word.empty());
                        }
                        // Where its ideal solubility freezes it, the freezing
                        // point it names is that liquid's.
                        // Above the solvent's critical temperature no
                        // liquid is there to freeze: any freezing point it
                        // names is that of the ideal liquid of its share,
                        // the fluid's own a frost point.
                        const std::string at = "freezing point at " + std::to_string(static_cast<int>(P)) + " bar is ";
                        const double Tc = std::string(other) == "CH4" ? 190.564 : 126.192;
                        if ((T < Tf - 0.5 && excess < band - margin) ||
                            (T > Tc && j.v.fluid.text.find(at) != std::string::npos)) {
                            EXPECT_NEAR(numberAfter(j.v.fluid.text, at), Tf, 0.5) << j.v.fluid.text;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GE(deposits, 100);
    EXPECT_GE(uncertain, 5);
    EXPECT_GE(none, 20);
}

TEST(FluidStatement, IceFromWaterBeyondWhatAGasCarriesTakesTheGasesOwnFugacityCoefficient) {
    // Water beyond what the gas carries makes Peng & Robinson's mixture a
    // liquid as a whole; water's fugacity in the gas is y phi P on the gas's
    // own root (about 1 at a bar), written here; in liquid CO2 (230 K, 20
    // bar, above its vapour pressure of 8.9 bar) on the liquid's.
    const struct {
        const char* model;  // the gas first
        int gas;            // kPrGases
        double y, T, P;     // water's share, K, bar
        bool vapour;
    } kCases[] = {{"PR:CO2,H2O", 0, 0.3, 200.0, 1.0, true},   {"PR:CO2,H2O", 0, 0.45, 250.0, 5.0, true},
                  {"PR:N2,H2O", 2, 0.3, 240.0, 10.0, true},    {"PR:CH4,H2O", 1, 0.2, 260.0, 20.0, true},
                  {"PR:CO2,H2O", 0, 1e-4, 230.0, 20.0, false}};
    for (const auto& k : kCases) {
        SCOPED_TRACE(std::string(k.model) + " x " + std::to_string(k.y) + " at " + std::to_string(k.T) + " K, " +
                     std::to_string(k.P) + " bar");
        const double phi = std::exp(prLnPhiWater(kPrGases[k.gas], k.y, k.T, k.P * 1e5, k.vapour));
        if (k.vapour) {
            EXPECT_GT(phi, 0.5);
        }
        for (const Judged& j : {judge(k.model, k.y, k.T, k.P), judge(reversed(k.model).c_str(), 1.0 - k.y, k.T, k.P)}) {
            ASSERT_TRUE(j.given);
            if (k.vapour) {
                EXPECT_EQ(j.v.fluid.word, "ice Ih deposits") << j.v.fluid.text;
            }
            EXPECT_NEAR(numberAfter(j.v.fluid.text, "its fugacity coefficient ") / phi, 1.0, 0.01) << j.v.fluid.text;
            EXPECT_NEAR(numberAfter(j.v.fluid.text, "its fugacity in the gas ") / (k.y * phi * k.P), 1.0, 0.01)
                << j.v.fluid.text;
        }
    }
}
