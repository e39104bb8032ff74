// Iso-lines, surfaces, property grid, virial coefficients and model checks of
// the van der Waals test fluid against its closed forms:
//   P = R T/(V - b) - a/V^2,   B(T) = b - a/(R T),   C = b^2,
//   alpha = -P_T/(V P_V),      Cv = Cv0 (ideal part) for every V.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "fluid/tests/RelativeError.h"
#include "fluid/tests/TestDataDir.h"
#include "fluid/tests/TextRows.h"
#include "fluid/tests/VdWFluid.h"

namespace {
constexpr double R = 8.31434;
constexpr double kA = 0.3658, kB = 4.286e-5;
const VdWPure pure{kA, kB};
const char* kIdealData = "GasA 5.0 0 0 40.0 A\n";
const double Cv0 = 5.0 * Standard::kCalorie - R;

double PT(double V) { return R / (V - kB); }
double PV(double T, double V) { return -R * T / ((V - kB) * (V - kB)) + 2.0 * kA / (V * V * V); }
double alpha(double T, double V) { return -PT(V) / (V * PV(T, V)); }

// Volume of the vdW fluid at (T, P) on the branch nearest to V0.
double volumeAt(double T, double P, double V0) {
    double V = V0;
    for (int i = 0; i < 100; ++i) V -= (pure.P(T, V) - P) / PV(T, V);
    return V;
}

std::vector<std::vector<double>> split(const std::vector<double>& flat, std::size_t columns) {
    std::vector<std::vector<double>> rows;
    for (std::size_t i = 0; i + columns <= flat.size(); i += columns)
        rows.emplace_back(flat.begin() + static_cast<long>(i), flat.begin() + static_cast<long>(i + columns));
    return rows;
}

void expectSameRows(const std::vector<std::vector<double>>& text, const std::vector<std::vector<double>>& array,
                    double tol, double absTol = 1e-9) {
    ASSERT_EQ(text.size(), array.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        ASSERT_EQ(text[i].size(), array[i].size()) << i;
        for (std::size_t c = 0; c < text[i].size(); ++c)
            EXPECT_NEAR(text[i][c], array[i][c], tol * std::fabs(array[i][c]) + absTol) << i << " " << c;
    }
}

}  // namespace

// ---------------------------------------------------------------- isochores

TEST(Isochores, FullAndSimplifiedRowsInEveryMode) {
    TestDataDir data("isochor");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid f({kA}, {kB}, true);
    f.add_component("GasA");
    const double V = 2e-4;
    // 150.5 K of range: n = 150, 151 temperatures.
    std::vector<double> out;
    f.calculateTheIsochor(V, 300.0, 450.5, 0, 6, "a", &out);
    const auto rows = split(out, 13);
    ASSERT_EQ(rows.size(), 151u);
    EXPECT_NEAR(rows.front()[0], 300.0, 1e-9);
    EXPECT_NEAR(rows.back()[0], 450.5, 1e-9);
    for (const auto& r : rows) {
        EXPECT_LT(rel(r[1], 1e-5 * pure.P(r[0], V)), 1e-12);
        EXPECT_NEAR(r[7], Cv0, 1e-9);  // Cv of vdW is the ideal part's
        EXPECT_NEAR(r[10], 200.0, 1e-9);
    }
    // The text rows are the same states (T with two decimals).
    f.calculateTheIsochor(V, 300.0, 450.5, 0, 2, "a", nullptr);
    expectSameRows(readTextRows("isoca"), rows, 1e-6, 0.006);
    EXPECT_TRUE(std::filesystem::exists("g105.gp"));
    EXPECT_EQ(readWholeFile("isoca").rfind("# #         T(1)\t        P(2)", 0), 0u);

    f.calculateTheIsochor(V, 300.0, 450.5, 1, 1, "s", nullptr);
    const std::string igor = readWholeFile("isocs");
    EXPECT_EQ(igor.rfind("IGOR\nWAVES     Ts\t          Ps\nBEGIN\n", 0), 0u) << igor.substr(0, 60);
    EXPECT_NE(igor.find("END\n"), std::string::npos);
    const auto simple = readTextRows("isocs");
    ASSERT_EQ(simple.size(), 151u);
    for (std::size_t i = 0; i < simple.size(); ++i) EXPECT_NEAR(simple[i][1], rows[i][1], 1e-6);

    // A range of less than one kelvin has its two ends; an empty one is refused.
    out.clear();
    f.calculateTheIsochor(V, 300.0, 300.5, 0, 6, "short", &out);
    const auto ends = split(out, 13);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_NEAR(ends.front()[0], 300.0, 1e-9);
    EXPECT_NEAR(ends.back()[0], 300.5, 1e-9);
    for (const auto& r : ends) EXPECT_LT(rel(r[1], 1e-5 * pure.P(r[0], V)), 1e-12);
    f.calculateTheIsochor(V, 300.0, 300.0, 0, 2, "none", nullptr);
    EXPECT_FALSE(std::filesystem::exists("isocnone"));
}

TEST(Isochores, PlainPTIsochorsAndTheirDiagram) {
    VdWFluid f({kA}, {kB}, false);
    f.calculate_PT_isochor(2e-4, 300.0, 600.0, 10, 1, "x");
    const auto rows = readTextRows("ptx");
    ASSERT_GE(rows.size(), 10u);
    ASSERT_LE(rows.size(), 11u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(rows[i][0], 300.0 * std::pow(2.0, i / 10.0), 1e-3);
        EXPECT_NEAR(rows[i][1], 1e-5 * pure.P(rows[i][0], 2e-4), 1e-4 * rows[i][1]);
        EXPECT_NEAR(rows[i][2], 200.0, 1e-9);
    }
    EXPECT_EQ(readWholeFile("ptx").rfind("IGOR\nWAVES            Tx           Px           Vx\nBEGIN\n", 0), 0u);

    // Suffix "0" and three volumes: the curves "pt1", "pt2", "pt3".
    const double volumes[] = {1e-4, 2e-4, 4e-4};
    f.build_PT_isochor_diagram(volumes, 3, 300.0, 600.0, 10, 2, "0");
    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(std::filesystem::exists("pt" + std::to_string(i))) << i;
    const std::string script = readWholeFile("g6.gp");
    EXPECT_NE(script.find("plot \"pt1\" using 1:2 w lines title \"100.00 cm^3/mol\",\\\n\"pt2\""), std::string::npos)
        << script;

    const double temperatures[] = {300.0, 400.0};
    f.build_PV_isotherm_diagram(temperatures, 2, 1e-4, 1e-3, 20, 2, "a");
    EXPECT_TRUE(std::filesystem::exists("pvtb.txt"));
    EXPECT_TRUE(std::filesystem::exists("pvtc.txt"));
    const auto pv = readTextRows("pvtc.txt");
    ASSERT_GE(pv.size(), 20u);  // Vmax itself only when the steps land on or below it
    ASSERT_LE(pv.size(), 21u);
    for (const auto& r : pv) {
        EXPECT_NEAR(r[1], 1e-5 * pure.P(400.0, r[0] * 1e-6), 1e-4 * std::fabs(r[1]));
        EXPECT_NEAR(r[5], pure.P(400.0, r[0] * 1e-6) * r[0] * 1e-6 / (R * 400.0), 1e-5);  // Z
    }
}

// ---------------------------------------------------------------- isotherms

TEST(Isotherms, SupercriticalWalksAndTheSubcriticalLoopEnds) {
    VdWFluid f({kA}, {kB}, false);
    f.bulk_molar_weight = 0.044;
    const double T = 1.5 * pure.Tc();
    f.calculateTheIsotherm(T, 6e-5, 6e-3, 0, 2, "u", nullptr);
    const auto rows = readTextRows("isotu");
    ASSERT_GE(rows.size(), 995u);
    for (const auto& r : rows) {
        ASSERT_EQ(r.size(), 13u);
        EXPECT_NEAR(r[1], 1e-5 * pure.P(T, r[0] * 1e-6), 1e-5 * std::fabs(r[1]));
        EXPECT_NEAR(r[12], 0.044 / (r[0] * 1e-6), 1e-5 * r[12]);
    }
    std::vector<double> out;
    f.calculateTheIsotherm(T, 6e-5, 6e-3, 0, 6, "u", &out);
    expectSameRows(rows, split(out, 13), 1e-5);

    // Downward in V from Vmax: the same states in the opposite order.
    f.calculateTheIsotherm(T, 6e-5, 6e-3, 1, 2, "d", nullptr);
    EXPECT_EQ(readTextRows("isotd").size(), rows.size());

    // Below Tc the walk crosses the two-phase region: no row inside it, no
    // row of "nan"; the rows stop at the saturated liquid and go on from the
    // saturated vapour, at one pressure that satisfies Maxwell's equal areas
    // (integral of P dV from Vl to Vv = psat (Vv - Vl), in closed form for
    // van der Waals: R T ln((Vv - b)/(Vl - b)) + a (1/Vv - 1/Vl)).
    const double Tsub = 0.85 * pure.Tc();
    f.calculateTheIsotherm(Tsub, 5e-5, 1e-2, 0, 2, "l", nullptr);
    const auto sub = readTextRows("isotl", true);
    ASSERT_GE(sub.size(), 3u);
    std::size_t jump = 0;
    for (std::size_t k = 0; k < sub.size(); ++k) {
        ASSERT_EQ(sub[k].size(), 13u);
        for (double v : sub[k]) EXPECT_FALSE(std::isnan(v));
        EXPECT_LT(PV(Tsub, sub[k][0] * 1e-6), 0.0);  // mechanically stable
        if (k > 0 && sub[k][0] > 2.0 * sub[k - 1][0]) jump = k;
    }
    ASSERT_GT(jump, 0u);
    // (The area is stationary in Vl and Vv at equilibrium: the six printed
    // digits of the volumes leave it almost exact.)
    const double Vl = sub[jump - 1][0] * 1e-6, Vv = sub[jump][0] * 1e-6;
    const double ps = sub[jump][1] * 1e5;
    EXPECT_EQ(sub[jump - 1][1], sub[jump][1]);
    EXPECT_LT(rel(pure.P(Tsub, Vv), ps), 5e-6);
    const double area = R * Tsub * std::log((Vv - pure.b) / (Vl - pure.b)) + pure.a * (1.0 / Vv - 1.0 / Vl);
    EXPECT_LT(rel(area, ps * (Vv - Vl)), 1e-5);
    EXPECT_GT(sub.back()[0], 0.99e4);  // on to the end of the range

    // Without a suffix: "isot", numbered names in mode 2, plain wave names in mode 1.
    f.calculateTheIsotherm(T, 6e-5, 6e-3, 0, 2, nullptr, nullptr);
    EXPECT_EQ(readWholeFile("isot").rfind("# #         V(1)\t        P(2)", 0), 0u);
    f.calculateTheIsotherm(T, 6e-5, 6e-3, 0, 1, nullptr, nullptr);
    EXPECT_EQ(readWholeFile("isot").rfind("IGOR\nWAVES     V\t          P\t", 0), 0u);
    EXPECT_EQ(readTextRows("isot").size(), rows.size());

    // Any other direction writes only the header (and END in mode 1).
    f.calculateTheIsotherm(T, 6e-5, 6e-3, 3, 1, "n", nullptr);
    EXPECT_EQ(readTextRows("isotn").size(), 0u);
    EXPECT_NE(readWholeFile("isotn").find("BEGIN\nEND\n"), std::string::npos);
}

// A walk that starts at or below the co-volume writes no row there and goes
// on; every row is a state of the fluid.  Isochores below it write nothing.
TEST(Isotherms, StatesThatDoNotExistAreSkippedAndTheWalkGoesOn) {
    VdWFluid f({kA}, {kB}, false);
    f.bulk_molar_weight = 0.044;
    const double T = 1.5 * pure.Tc(), Vmin = 0.5 * kB, Vmax = 6e-3;
    f.calculateTheIsotherm(T, Vmin, Vmax, 0, 2, "b", nullptr);
    const auto text = readTextRows("isotb", true);
    std::vector<double> out;
    f.calculateTheIsotherm(T, Vmin, Vmax, 0, 6, "b", &out);
    const auto rows = split(out, 13);
    const double r = std::pow(Vmax / Vmin, 1e-3);
    const int above = static_cast<int>(std::ceil(std::log(Vmax / kB) / std::log(r)));  // grid volumes above b
    EXPECT_GE(static_cast<int>(rows.size()), above - 1);
    EXPECT_LE(static_cast<int>(rows.size()), above + 1);
    ASSERT_EQ(text.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(text[i].size(), 13u) << i;  // no "nan" row, no empty line
        const double V = rows[i][0] * 1e-6;
        EXPECT_GT(V, kB);
        EXPECT_NEAR(rows[i][1], 1e-5 * pure.P(T, V), 1e-9 * std::fabs(rows[i][1])) << V;
        EXPECT_NEAR(rows[i][12], 0.044 / V, 1e-9 * rows[i][12]);
    }
    ASSERT_FALSE(rows.empty());
    EXPECT_GT(rows.back()[0], 0.99 * Vmax * 1e6);  // the walk reached the end of the range

    out.clear();
    f.calculateTheIsotherm(T, Vmin, Vmax, 1, 6, "b", &out);
    const auto down = split(out, 13);
    EXPECT_NEAR(static_cast<double>(down.size()), static_cast<double>(rows.size()), 1.0);
    for (const auto& row : down) EXPECT_GT(row[0] * 1e-6, kB);

    f.calculateTheIsochor(0.5 * kB, 300.0, 400.0, 1, 2, "b", nullptr);
    EXPECT_EQ(readTextRows("isocb").size(), 0u);
    f.calculate_PT_isochor(0.5 * kB, 300.0, 600.0, 10, 2, "b");
    EXPECT_EQ(readTextRows("ptb").size(), 0u);
}

// ---------------------------------------------------------------- isobar

TEST(Isobars, EveryRowIsOnTheIsobar) {
    TestDataDir data("isobar");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid f({kA}, {kB}, true);
    f.add_component("GasA");
    const double Pbar = 100.0, T0 = 350.0;
    const double V0 = volumeAt(T0, Pbar * 1e5, R * T0 / (Pbar * 1e5));
    std::vector<double> out;
    f.calculate_TV_isobar(Pbar, T0, V0, 300.0, 600.0, 1e-5, 1.0, 2.0, 1e-6, 1, 6, "p", &out);
    const auto arr = split(out, 13);
    ASSERT_GE(arr.size(), 100u);
    for (const auto& r : arr) {
        EXPECT_NEAR(pure.P(r[1], r[0] * 1e-6), Pbar * 1e5, 1e-6);
        EXPECT_GE(r[1], 300.0);
        EXPECT_LE(r[1], 600.0 + 2.0);
        EXPECT_NEAR(r[11], 0.044 / (r[0] * 1e-6), 1e-9 * r[11]);  // rho in place of phi
    }
    // Temperature rises monotonically along this supercritical isobar.
    for (std::size_t i = 1; i < arr.size(); ++i) EXPECT_GT(arr[i][1], arr[i - 1][1]);

    f.calculate_TV_isobar(Pbar, T0, V0, 300.0, 600.0, 1e-5, 1.0, 2.0, 1e-6, 1, 2, "p", nullptr);
    const auto rows = readTextRows("isobp");
    ASSERT_EQ(rows.size(), arr.size());
    for (std::size_t i = 0; i < arr.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 13u);
        EXPECT_NEAR(arr[i][0], rows[i][0], 1e-5 * rows[i][0]);  // V
        EXPECT_NEAR(arr[i][1], rows[i][1], 1e-5 * rows[i][1]);  // T
        EXPECT_NEAR(arr[i][4] / 1000.0, rows[i][4], 1e-5 * std::fabs(rows[i][4]) + 1e-6);  // H, J/mol in the array
    }

    // Zero steps are refused.
    f.calculate_TV_isobar(Pbar, T0, V0, 300.0, 600.0, 1e-5, 1.0, 0.0, 1e-6, 1, 2, "z", nullptr);
    EXPECT_FALSE(std::filesystem::exists("isobz"));
}

// ---------------------------------------------------------------- surfaces

TEST(Surfaces, DataScriptsAndRefusals) {
    VdWFluid f({kA}, {kB}, false);
    const double levels[] = {10.0, 50.0, 100.0};
    f.calculate_P_surface(levels, 3, 300.0, 400.0, 1e-4, 1e-3, 4, 5);
    const auto rows = readTextRows("psurf.txt");
    ASSERT_GE(rows.size(), 5u * 5u);  // Vmax itself only when the steps land on or below it
    ASSERT_LE(rows.size(), 5u * 6u);
    for (const auto& r : rows) EXPECT_NEAR(r[2], 1e-5 * pure.P(r[0], r[1] * 1e-6), 1e-4 * std::fabs(r[2]));
    EXPECT_NE(readWholeFile("g8.gp").find("set cntrparam levels discr 10.000000, 50.000000, 100.000000\n"),
              std::string::npos);

    f.calculate_iso_surface(nullptr, 7, 300.0, 400.0, 1e-4, 1e-3, 4, 5, kThermoH);
    EXPECT_EQ(readTextRows("parsurf.txt").size(), rows.size());
    const std::string script = readWholeFile("g52.gp");
    EXPECT_NE(script.find("set cntrparam levels 7\n"), std::string::npos);
    EXPECT_NE(script.find("splot \"parsurf.txt\" using 2:1:5\n"), std::string::npos);

    std::filesystem::remove("parsurf.txt");
    f.calculate_iso_surface(nullptr, 7, 300.0, 400.0, 1e-4, 1e-3, 4, 5, static_cast<ThermoCalcFlag>(9));
    f.calculate_P_surface(levels, 3, 300.0, 400.0, 0.0, 1e-3, 4, 5);
    EXPECT_FALSE(std::filesystem::exists("parsurf.txt"));
}

// ---------------------------------------------------------------- grid, virial coefficients, checks

TEST(ModelChecks, VirialCoefficientsOfVanDerWaals) {
    VdWFluid f({kA}, {kB}, false);
    for (double T : {200.0, 400.0, 1000.0}) {
        f.calculateVirialCoefficients(T);
        EXPECT_LT(rel(f.virialB, kB - kA / (R * T)), 1e-5) << T;
        EXPECT_LT(rel(f.virialC, kB * kB), 2e-6) << T;  // C = b^2 exactly
    }
    // The Boyle temperature a/(R b) is where B vanishes.
    f.calculateVirialCoefficients(kA / (R * kB));
    EXPECT_NEAR(f.virialB, 0.0, 1e-10);

    f.plotVirialCoefficients(300.0, 305.0, 1, "v");
    const auto rows = readTextRows("virialv");
    ASSERT_EQ(rows.size(), 6u);
    for (const auto& r : rows) EXPECT_NEAR(r[3], 1e6 * (kB - kA / (R * r[0])), 1e-4 * std::fabs(r[3]));
    f.plotVirialCoefficients(305.0, 300.0, 1, "e");
    EXPECT_EQ(readWholeFile("virialee").size(), 0u);  // no such file: the suffix makes "viriale"
    EXPECT_NE(readWholeFile("viriale").find("BEGIN\nEND\n"), std::string::npos);
}

TEST(ModelChecks, IdealGasAtInfiniteVolumeAndCpAsDerivative) {
    VdWFluid g({0.0}, {0.0}, false);
    g.checkInfiniteVolumes(100.0, 300.0, 310.0, 1, "g");
    const auto rows = readTextRows("infg");
    ASSERT_EQ(rows.size(), 11u);
    for (const auto& r : rows) {
        EXPECT_NEAR(r[3], 1.0, 1e-14);  // Z
        EXPECT_NEAR(r[5], 0.0, 1e-14);  // da
    }
    g.calculateVirialCoefficients(300.0);
    EXPECT_NEAR(g.virialB, 0.0, 1e-10);
    EXPECT_NEAR(g.virialC, 0.0, 1e-15);

    TestDataDir data("checkcp");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid f({kA}, {kB}, true);
    f.add_component("GasA");
    f.checkCpAt(400.0, 50.0);
    EXPECT_LT(rel(f.checkedCpNumeric, f.checkedCpAnalytic), 1e-5);
    EXPECT_GT(f.checkedCpAnalytic * 0.044, 5.0 * Standard::kCalorie);  // above the ideal-gas Cp
}

TEST(ModelChecks, PropertiesGridAgainstTheClosedForms) {
    TestDataDir data("grid");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid f({kA}, {kB}, true);
    f.add_component("GasA");
    f.calculatePropertiesGrid(400.0, 410.0, 1e-4, 1.2e-4, "g");
    const auto rows = readTextRows("propg", true);
    int gaps = 0, states = 0;
    for (const auto& r : rows) {
        if (r.empty()) continue;
        if (std::isnan(r[0])) {
            ++gaps;
            continue;
        }
        ++states;
        const double T = r[0], V = r[2] * 1e-6;
        EXPECT_NEAR(r[1], 1e-5 * pure.P(T, V), 1e-4 * r[1]);
        EXPECT_NEAR(r[6], alpha(T, V), 1e-5 * std::fabs(r[6]));
        EXPECT_NEAR(r[7], -1e5 / (V * PV(T, V)), 1e-5 * std::fabs(r[7]));
        // d alpha/dT at constant P by differences of the closed form.
        const double P = pure.P(T, V), h = 1e-3;
        const double Vp = volumeAt(T + h, P, V), Vm = volumeAt(T - h, P, V);
        const double num = (alpha(T + h, Vp) - alpha(T - h, Vm)) / (2.0 * h);
        EXPECT_NEAR(r[8], num, 1e-4 * std::fabs(num)) << T << " " << V;
    }
    EXPECT_EQ(gaps, 3);  // one closing row per temperature 400, 405, 410
    EXPECT_GT(states, 10);
}

TEST(ModelChecks, ParameterVariationOfOneNode) {
    VdWFluid f({kA}, {kB}, false);
    f.temperature(300.0);
    f.plotParameterVariation(0, "-ln(V-b)", 1, 1e-4, 2e-4, 2e-5, "r");
    const auto rows = readTextRows("parr");
    ASSERT_EQ(rows.size(), 6u);
    for (const auto& r : rows) {
        EXPECT_NEAR(r[1], -std::log(r[0] - kB), 1e-5);
        EXPECT_NEAR(r[2], -1.0 / (r[0] - kB), 1e-5 * std::fabs(r[2]));
    }
    // No ideal part, no such term: no file.
    f.plotParameterVariation(-1, nullptr, 0, 300.0, 310.0, 1.0, "i");
    f.plotParameterVariation(5, nullptr, 0, 300.0, 310.0, 1.0, "j");
    EXPECT_FALSE(std::filesystem::exists("pari"));
    EXPECT_FALSE(std::filesystem::exists("parj"));
}

TEST(ModelChecks, EnthalpyDiagramScripts) {
    VdWFluid f({kA}, {kB}, false);
    const double temperatures[] = {300.0, 350.5};
    const double pressures[] = {10.0};
    f.draw_enthalpic_diagram_HP("satu0", "pts", 1, temperatures, 2);
    const std::string hp = readWholeFile("g61.gp");
    EXPECT_NE(hp.find("plot \"satu0\" using 19:1 w lines lt 1 title \"Sat\"; rep \"satu0\" using 20:1"), std::string::npos);
    EXPECT_NE(hp.find("rep \"isot30000\" using ($4*1000):2 w lines lt 2 title \"300.00 K\"; rep \"isot35050\""),
              std::string::npos)
        << hp;
    f.draw_enthalpic_diagram_HS("satu0", "pts", 0, temperatures, 2, pressures, 1);
    const std::string hs = readWholeFile("g63.gp");
    EXPECT_NE(hs.find("using 14:8 w lines lt 1 lw 2, \"isot30000\" using 6:4 w lines lt 3 , \"isot35050\""),
              std::string::npos)
        << hs;
    EXPECT_NE(hs.find(", \"isob1000\" using 7:5 w lines lt 2 \nrep \"pts\" us 5:8 notitle\n"), std::string::npos) << hs;
    f.draw_enthalpic_diagram_HT("satu0", nullptr, 0, pressures, 1);
    EXPECT_NE(readWholeFile("g62.gp").find("rep \"isob1000\" using ($5*1000):2 w lines lt 2 title \"10.00\"\n"),
              std::string::npos);
}
