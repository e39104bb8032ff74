// Characteristic curves, isentropes, isenthalps and decompression of the van
// der Waals test fluid against its closed forms:
//   Boyle curve        T = T_B (1 - b/V)^2,      T_B = a/(R b)
//   ideal curve        T = T_B (1 - b/V)
//   JT inversion       T = 2 T_B (1 - b/V)^2     (T P_T + V P_V = 0)
//   Joule inversion    none: (dZ/dT)_V = a/(R T^2 V) > 0
//   isentrope          T (V - b)^(R/Cv) = const  (constant Cv)
//   energy             U = Cv T - a/V + const
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
const double TB = kA / (R * kB);
// Constant Cp of 5 cal/(mol K) for the ideal part.
const char* kIdealData = "GasA 5.0 0 0 40.0 A\n";
const double Cv = 5.0 * Standard::kCalorie - R;

// (T, V) of the isentrope through (T1, V1) at T.
double isentropeV(double T1, double V1, double T) { return kB + (V1 - kB) * std::pow(T1 / T, Cv / R); }
double isentropeInvariant(double T, double V) { return T * std::pow(V - kB, R / Cv); }
double energy(double T, double V) { return Cv * T - kA / V; }
double enthalpy(double T, double V) { return energy(T, V) + pure.P(T, V) * V; }

struct IdealPartFluid {
    TestDataDir data{"isentropes"};
    VdWFluid f{{kA}, {kB}, (data.write("compo/standard.txt", kIdealData), true)};
    IdealPartFluid() { f.add_component("GasA"); }
};

}  // namespace

// ---------------------------------------------------------------- characteristic points and curves

TEST(CharacteristicCurves, PointsAgainstTheClosedForms) {
    VdWFluid f({kA}, {kB}, false);
    for (double T : {300.0, 600.0, 900.0}) {
        f.calculateBoylePoint(T, kB / (1.0 - std::sqrt(T / TB)) * 1.2);
        EXPECT_EQ(f.errorflag, 0) << T;
        EXPECT_LT(rel(f.V, kB / (1.0 - std::sqrt(T / TB))), 1e-7) << T;
        EXPECT_LT(rel(f.P, pure.P(T, f.V)), 1e-12);

        f.calculateIdealPoint(T, kB / (1.0 - T / TB) * 0.9);
        EXPECT_EQ(f.errorflag, 0) << T;
        EXPECT_LT(rel(f.V, kB / (1.0 - T / TB)), 1e-7) << T;
        EXPECT_NEAR(f.Z, 1.0, 1e-7);

        const double Vjt = kB / (1.0 - std::sqrt(T / (2.0 * TB)));
        f.calculateJouleThomsonInversionTemperature(T, Vjt * 1.1);
        EXPECT_EQ(f.errorflag, 0) << T;
        EXPECT_LT(rel(f.V, Vjt), 1e-7) << T;
    }
    // The Joule inversion has no root for van der Waals: the search fails.
    f.calculateJoulePoint(600.0, 1e-4);
    EXPECT_EQ(f.errorflag, 1);
    // The Boyle temperature is the limit of the Boyle curve at infinite volume.
    f.calculateBoylePoint(0.999 * TB, 0.1);
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_LT(rel(f.V, kB / (1.0 - std::sqrt(0.999))), 1e-6);
}

TEST(CharacteristicCurves, IdealGasSatisfiesTheIdealCurveAtTheStart) {
    VdWFluid g({0.0}, {0.0}, false);
    g.calculateIdealPoint(300.0, 2.5e-3);
    EXPECT_EQ(g.errorflag, 0);
    EXPECT_EQ(g.V, 2.5e-3);
}

TEST(CharacteristicCurves, CurveFilesInEveryLayout) {
    VdWFluid f({kA}, {kB}, false);
    const double V0 = kB / (1.0 - std::sqrt(600.0 / TB));
    f.calculateBoyleCurve("boyle.txt", 600.0, V0, 10.0, 500.0, 700.0, 2, nullptr);
    auto rows = readTextRows("boyle.txt");
    ASSERT_EQ(rows.size(), 11u);  // 600, 610, ... 700: the range is tested after a row
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 3u);
        const double T = rows[i][0], V = rows[i][1] * 1e-6;
        EXPECT_NEAR(T, 600.0 + 10.0 * i, 1e-6);
        EXPECT_LT(rel(V, kB / (1.0 - std::sqrt(T / TB))), 1e-5);
        EXPECT_LT(rel(rows[i][2], pure.P(T, V) * 1e-5), 1e-5);
    }
    EXPECT_EQ(readWholeFile("boyle.txt").rfind("#         T(1)          V(2)          P(3)\n", 0), 0u);

    // A first step that leaves the range: the start row and the row at T0 + dT.
    f.calculateIdealCurve("ideal.itx", 600.0, kB / (1.0 - 600.0 / TB), 10.0, 500.0, 605.0, 1, "x");
    const std::string text = readWholeFile("ideal.itx");
    EXPECT_EQ(text.rfind("IGOR\nWAVES            Tx             Vx             Px \nBEGIN\n", 0), 0u) << text;
    EXPECT_NE(text.find("END\n"), std::string::npos);
    rows = readTextRows("ideal.itx");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NEAR(rows[1][0], 610.0, 1e-6);

    // Downward JT inversion curve.
    const double Vjt = kB / (1.0 - std::sqrt(800.0 / (2.0 * TB)));
    f.calculateJouleThomsonInversionCurve("jt.txt", 800.0, Vjt, -20.0, 300.0, 2000.0, 2, "j");
    rows = readTextRows("jt.txt");
    ASSERT_GE(rows.size(), 20u);
    for (const auto& r : rows) EXPECT_LT(rel(r[1] * 1e-6, kB / (1.0 - std::sqrt(r[0] / (2.0 * TB)))), 1e-5) << r[0];

    // No Joule curve: only the first row is written.
    f.calculateJouleCurve("joule.txt", 600.0, 1e-4, 10.0, 500.0, 700.0, 2, nullptr);
    EXPECT_EQ(readTextRows("joule.txt").size(), 1u);
}

TEST(CharacteristicCurves, BadArgumentsWriteNothingAndDoNotLoop) {
    VdWFluid f({kA}, {kB}, false);
    f.calculateBoyleCurve(nullptr, 600.0, 1.8e-4, 10.0, 500.0, 700.0, 2, nullptr);
    f.calculateBoyleCurve("still.txt", 600.0, 1.8e-4, 0.0, 500.0, 700.0, 2, nullptr);
    EXPECT_FALSE(std::filesystem::exists("still.txt"));
}

// ---------------------------------------------------------------- isentropes

TEST(Isentropes, PointsAtFixedTemperatureAndPressure) {
    IdealPartFluid m;
    VdWFluid& f = m.f;
    f.calculateFromTV(400.0, 1e-3, 0);
    const double S1 = f.S;
    f.calculate_isentropic_point_at_fixed_T(300.0, S1, 1e-3);
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_LT(rel(f.V, isentropeV(400.0, 1e-3, 300.0)), 1e-9);

    f.calculate_isentropic_point_at_fixed_P(5.0, S1, 350.0, 4e-3);
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_LT(rel(pure.P(f.T, f.V), 5e5), 1e-8);
    EXPECT_LT(rel(isentropeInvariant(f.T, f.V), isentropeInvariant(400.0, 1e-3)), 1e-8);

    // calculateFromTS starts from the current volume.
    f.volume(1e-3);
    f.calculateFromTS(320.0, S1, 0);
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_LT(rel(f.V, isentropeV(400.0, 1e-3, 320.0)), 1e-9);
    EXPECT_LT(rel(f.P, pure.P(320.0, f.V)), 1e-10);
}

TEST(Isentropes, CurveRowsFollowTheInvariantInEveryMode) {
    IdealPartFluid m;
    VdWFluid& f = m.f;
    f.calculateFromTV(400.0, 1e-3, 0);
    const double S1 = f.S, I = isentropeInvariant(400.0, 1e-3);
    f.calculateTheIsentropicCurve(S1, 400.0, -5.0, 300.0, 500.0, 1e3, 1e8, 2, "s", nullptr);
    const auto rows = readTextRows("isoss");
    ASSERT_EQ(rows.size(), 20u);  // 400 down to 305
    for (const auto& r : rows) {
        ASSERT_EQ(r.size(), 13u);
        EXPECT_LT(rel(isentropeInvariant(r[0], r[1] * 1e-6), I), 1e-5);
        EXPECT_LT(rel(r[6], S1), 1e-5);
        EXPECT_LT(rel(r[2], pure.P(r[0], r[1] * 1e-6) * 1e-5), 1e-5);
    }
    EXPECT_EQ(f.errorflag, 0);

    std::vector<double> out = {42.0};
    f.volume(1e-3);
    f.calculateTheIsentropicCurve(S1, 400.0, -5.0, 300.0, 500.0, 1e3, 1e8, 6, "s", &out);
    ASSERT_EQ(out.size(), 1 + 13 * rows.size());
    EXPECT_EQ(out[0], 42.0);
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (int c = 0; c < 13; ++c) EXPECT_NEAR(out[1 + 13 * i + c], rows[i][c], 1e-5 * std::fabs(rows[i][c]) + 1e-9);

    // The curve through a state given by its pressure (V0 <= 0).
    f.calculateTheIsentropicCurve(400.0, 1e-5 * pure.P(400.0, 1e-3), 0.0, -5.0, 300.0, 500.0, 1e3, 1e8, 2, "p",
                                  nullptr);
    const auto rowsP = readTextRows("isosp");
    ASSERT_EQ(rowsP.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_NEAR(rowsP[i][1], rows[i][1], 1e-5 * rows[i][1]);
}

TEST(Isentropes, StartBelowTheRangeWritesOneNanRow) {
    IdealPartFluid m;
    m.f.calculateFromTV(250.0, 1e-3, 0);
    m.f.calculateTheIsentropicCurve(m.f.S, 250.0, 5.0, 300.0, 500.0, 0.0, 1e9, 1, "b", nullptr);
    const std::string text = readWholeFile("isosb");
    EXPECT_NE(text.find("BEGIN\nnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\nEND\n"),
              std::string::npos)
        << text;
}

TEST(Isentropes, SteepCompressedLiquidTakesOneBarPressureSteps) {
    IdealPartFluid m;
    VdWFluid& f = m.f;
    f.calculateFromTV(250.0, 4.4e-5, 0);
    const double S1 = f.S, P1 = f.P;
    std::vector<double> out;
    f.calculateTheIsentropicCurve(S1, 250.0, 1.0, 200.0, 260.0, P1 - 20.5e5, 1e10, 6, "l", &out);
    ASSERT_EQ(out.size(), 21u * 13u);  // P1, P1 - 1 bar, ... P1 - 20 bar
    std::vector<std::vector<double>> rows;
    for (std::size_t i = 0; i < 21; ++i) rows.emplace_back(out.begin() + 13 * i, out.begin() + 13 * (i + 1));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) {
            EXPECT_NEAR(rows[i - 1][2] - rows[i][2], 1.0, 1e-3);  // P in bar
        }
        EXPECT_LT(rel(isentropeInvariant(rows[i][0], rows[i][1] * 1e-6), isentropeInvariant(250.0, 4.4e-5)), 1e-8);
    }
    EXPECT_LT(rows.back()[0], 250.0);  // decompression cools
}

// ---------------------------------------------------------------- isenthalps

TEST(Isenthalps, PointsAndCurveConserveTheEnthalpy) {
    IdealPartFluid m;
    VdWFluid& f = m.f;
    f.calculateFromTV(400.0, 1e-3, 0);
    const double H1 = f.H;
    const double h1 = enthalpy(400.0, 1e-3);
    f.calculate_isenthalpic_point_at_fixed_T(380.0, H1, 1e-3);
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_NEAR(enthalpy(380.0, f.V), h1, 1e-7 * std::fabs(h1));

    f.calculate_isenthalpic_point_at_fixed_P(10.0, H1, 390.0, 3e-3);
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_LT(rel(pure.P(f.T, f.V), 1e6), 1e-8);
    EXPECT_NEAR(enthalpy(f.T, f.V), h1, 1e-7 * std::fabs(h1));
    // Throttling below the inversion temperature cools the gas.
    EXPECT_LT(f.T, 400.0);

    f.volume(1e-3);
    f.calculateTheIsenthalpicCurve(H1, 400.0, 5.0, 300.0, 500.0, 1e3, 1e8, 2, "h", nullptr);
    const auto rows = readTextRows("isohh");
    ASSERT_GE(rows.size(), 10u);
    for (const auto& r : rows) {
        EXPECT_NEAR(enthalpy(r[0], r[1] * 1e-6), h1, 1e-5 * std::fabs(h1));
        EXPECT_LT(rel(r[4], H1), 1e-5);
    }
    // The slope (dP/dT)_H is positive here: the walk goes up in T with dT > 0.
    EXPECT_GT(rows[1][0], rows[0][0]);
}

// ---------------------------------------------------------------- decompression and the bubble nucleus

TEST(Decompression, EnergyBalanceAgainstTheClosedForm) {
    IdealPartFluid m;
    VdWFluid& f = m.f;
    f.liquidStart = 1.2e-4;
    const double T0 = 400.0, V0 = 1e-4, Pf = 150e5;
    for (double c : {0.0, 30.0}) {
        f.calculate_irreversible_decompression_point_at_fixed_p(T0, V0, Pf, c, 380.0);
        ASSERT_EQ(f.errorflag, 0) << c;
        const double T = f.T, V = f.V;
        EXPECT_LT(rel(pure.P(T, V), Pf), 1e-8);
        const double balance = energy(T, V) - energy(T0, V0) + Pf * (V - V0) + c * (T - T0);
        EXPECT_NEAR(balance, 0.0, 1e-6) << c;
        EXPECT_LT(T, T0);
    }
}

TEST(Decompression, BubbleNucleusHasTheLiquidGibbsEnergy) {
    VdWFluid f({kA}, {kB}, false);
    const double T = 0.8 * pure.Tc();
    // Liquid and vapour of the isotherm at a pressure below saturation: the
    // vapour-like root of equal G is the one the search must find.
    const auto roots = pure.roots(T, 0.3 * pure.Pc());
    ASSERT_EQ(roots.size(), 3u);
    const double Vl = roots[0];
    auto g = [&](double V) { return -R * T * std::log(V - kB) - kA / V + pure.P(T, V) * V; };
    f.searchBubbleNucleusPressure(T, Vl, 0.5 * roots[2]);
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_NEAR(g(f.V), g(Vl), 1e-7 * std::fabs(g(Vl)));
    EXPECT_GT(f.V, roots[1]);  // not the liquid itself
    EXPECT_LT(rel(f.P, pure.P(T, f.V)), 1e-10);
}

TEST(Decompression, EmulsionStabilityCurvesAndScript) {
    VdWFluid f({kA}, {kB}, false);
    f.molar_mass[0] = 0.044;
    const double radii[] = {0.0, 1e-6, -2e-6};
    f.plot_emulsion_stability_curves(radii, 3, pure.Tc(), 1.0, pure.Vc(), 0.7 * pure.Tc(), 50.0);
    for (int i = 0; i < 3; ++i) {
        const auto rows = readTextRows("emuls" + std::to_string(i));
        ASSERT_GE(rows.size(), 10u) << i;
        EXPECT_EQ(rows[0].size(), 28u);
    }
    const std::string script = readWholeFile("g58.gp");
    EXPECT_NE(script.find("plot \"emuls0\" using 4:1 w lines title 'sat' ,\\\n\"emuls1\" using 4:21 w lines title '1' "
                          ",\\\n\"emuls2\" using 4:22 w lines title '-2' \n"),
              std::string::npos)
        << script;
    // The settings of the last radius stay.
    EXPECT_EQ(f.capillary_mode, 2);
    EXPECT_EQ(f.capillary_radius, 2e-6);
}
