// The console loops of the water models (homogenisation temperatures and tie
// lines of values typed one per line, 0 to quit) against the saturation
// states of IAPWS-95 (Wagner & Pruss 2002, the release's table of
// verification values), and the Joule inversion curve, (dZ/dT)_V = 0, against
// finite differences of the pressure along each written isochore.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "water/WagnerPruss.h"
#include "water/tests/TextLines.h"

namespace {

constexpr double kM = 0.018015268, kR = 8.31434;
// The models' gas constant against IAPWS-95's 0.46151805 kJ/(kg K): at a
// given density, pressure, enthalpy and entropy scale with it.
constexpr double kRatio = kR / (0.46151805 * kM * 1000.0);

// Saturation at 450 K and 625 K: pressure (MPa), liquid and vapour density
// (kg/m3); at 450 K also the liquid and vapour enthalpy (kJ/kg) and entropy
// (kJ/(kg K)).
struct Saturation {
    double T, P, rhol, rhov, hl, hv, sl, sv;
};
constexpr Saturation k450{450.0, 0.932203564, 890.341250, 4.81200360, 749.161585, 2774.41078, 2.10865845, 6.60921221};
constexpr Saturation k625{625.0, 16.9082693, 567.090385, 118.290280, 0.0, 0.0, 0.0, 0.0};

// Runs f with standard input reading `text`, then gives the console back.
template <class F>
void withStandardInput(const std::string& text, F f) {
    std::ofstream("typed.txt") << text;
    std::fflush(stdout);
    const int saved = dup(0);
    ASSERT_NE(std::freopen("typed.txt", "r", stdin), nullptr);
    testing::internal::CaptureStdout();
    f();
    testing::internal::GetCapturedStdout();
    dup2(saved, 0);
    close(saved);
    clearerr(stdin);
}

std::vector<std::vector<double>> numericRows(const std::string& path) {
    std::vector<std::vector<double>> rows;
    for (const std::string& l : watertest::readLines(path)) {
        if (l.empty() || l[0] == '#' || l == "IGOR" || l == "BEGIN" || l == "END" || l.rfind("WAVES", 0) == 0) continue;
        std::istringstream is(l);
        std::vector<double> r;
        for (double v; is >> v;) r.push_back(v);
        rows.push_back(r);
    }
    return rows;
}

}  // namespace

TEST(WaterConsoleLoops, HomogenisationTemperaturesOfTypedVolumes) {
    // The molar volumes of the saturated phases homogenise at the saturation
    // temperature; the last value typed leaves its state in the model.
    for (const Saturation& s : {k450, k625}) {
        SCOPED_TRACE(s.T);
        WagnerPruss w(2);
        std::ostringstream typed;
        typed.precision(12);
        typed << kM / 900.0 * 1e6 << "\n" << kM / s.rhol * 1e6 << "\n0\n";
        withStandardInput(typed.str(), [&] { w.calculateTheLiquidThs(); });
        ASSERT_EQ(w.errorflag, 0);
        EXPECT_NEAR(w.T, s.T, 1e-5);
        EXPECT_NEAR(kM / w.Vl_sat, s.rhol, 1e-5);
        EXPECT_NEAR(kM / w.Vv_sat, s.rhov, 1e-6);  // its vapour partner

        WagnerPruss g(1);
        typed.str("");
        typed << kM / s.rhov * 1e6 << "\n0\n";
        withStandardInput(typed.str(), [&] { g.calculateTheGasThs(); });
        ASSERT_EQ(g.errorflag, 0);
        EXPECT_NEAR(g.T, s.T, 1e-5);
        EXPECT_NEAR(kM / g.Vv_sat, s.rhov, 1e-6);
        EXPECT_NEAR(kM / g.Vl_sat, s.rhol, 1e-5);  // its liquid partner
    }
    // Text that is not a number ends the loop without a calculation.
    WagnerPruss w(2);
    w.temperature(300.0);
    withStandardInput("abc\n20\n", [&] { w.calculateTheLiquidThs(); });
    EXPECT_EQ(w.T, 300.0);
}

TEST(WaterConsoleLoops, TieLinesOfTypedTemperatures) {
    // Two temperatures typed: file "cono0" holds the tie line of the last.
    // Each holds liquid and vapour rows of equal temperature, pressure and
    // Gibbs energy with the published saturation state.
    for (const Saturation& s : {k450, k625}) {
        SCOPED_TRACE(s.T);
        WagnerPruss w(2);
        withStandardInput("400\n" + std::to_string(s.T) + "\n0\n", [&] { w.calculateTheConodes(); });
        ASSERT_EQ(w.errorflag, 0);
        const auto rows = numericRows("cono0");
        ASSERT_EQ(rows.size(), 2u);
        const auto &l = rows[0], &v = rows[1];
        ASSERT_EQ(l.size(), 13u);
        ASSERT_EQ(v.size(), 13u);
        for (const auto& r : rows) EXPECT_NEAR(r[0], s.T, 1e-6);
        EXPECT_NEAR(l[3], s.P * 10.0 * kRatio, 2e-6);  // bar, six decimals written
        EXPECT_NEAR(v[3], s.P * 10.0 * kRatio, 2e-6);
        EXPECT_NEAR(l[2], s.rhol, 1e-5);
        EXPECT_NEAR(v[2], s.rhov, 1e-5);
        if (s.hl > 0.0) {
            EXPECT_NEAR(v[5] - l[5], (s.hv - s.hl) * kRatio, 1e-4);  // kJ/kg
            EXPECT_NEAR((v[7] - l[7]) / 1000.0, (s.sv - s.sl) * kRatio, 1e-7);
        }
        // Equal molar Gibbs energies H - TS (J/mol), to the printed digits.
        EXPECT_NEAR(l[4] * 1000.0 - s.T * l[12], v[4] * 1000.0 - s.T * v[12], 2e-3);
        // The vaporisation enthalpy is T times the vaporisation entropy.
        EXPECT_NEAR(v[4] * 1000.0 - l[4] * 1000.0, s.T * (v[12] - l[12]), 2e-3);
    }
}

TEST(WaterConsoleLoops, JouleInversionCurveHasZeroTemperatureSlopeOfZ) {
    // Both branches from 473.15 K ("joulj0" upward, "joulj1" downward): at
    // each written (T, V), (dZ/dT)_V by central differences of the pressure
    // of an independent state evaluation vanishes against the size of Z/T.
    WagnerPruss w(1);
    w.calculateTheJouleCurve("j");
    WagnerPruss check(1);
    for (const char* file : {"joulj0", "joulj1"}) {
        SCOPED_TRACE(file);
        const auto rows = numericRows(file);
        ASSERT_GE(rows.size(), 10u);
        EXPECT_NEAR(rows.front()[0], 473.15, 1e-6);
        for (std::size_t i = 0; i < rows.size(); i += 10) {
            const double T = rows[i][0], V = rows[i][1] * 1e-6, h = 1e-3 * T;
            auto Z = [&](double t) {
                check.calculateFromTV(t, V, 0);
                return check.P * V / (kR * t);
            };
            const double z = Z(T);
            EXPECT_NEAR(check.P * 1e-5, rows[i][2], 1e-5 * std::fabs(rows[i][2]) + 1e-6) << T;
            const double dZdT = (Z(T + h) - Z(T - h)) / (2.0 * h);
            // V is written to six decimals in cm3/mol: (dZ/dT)_V moves by
            // (d2Z/dTdV) 5e-13 m3/mol at most, far below this bound.
            EXPECT_LT(std::fabs(dZdT) * T, 1e-4 * std::fabs(z)) << T << " " << V;
        }
    }
}
