// Isobars and characteristic curves of the reference water model: every row
// written is checked against the model's own state at that point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/Newton.h"
#include "water/WagnerPruss.h"
#include "platform/LogSink.h"

namespace {

std::vector<std::vector<double>> rowsOf(const std::string& path) {
    std::vector<std::vector<double>> rows;
    std::ifstream in(path);
    for (std::string l; std::getline(in, l);) {
        if (l.empty() || l[0] == '#' || l == "IGOR" || l == "BEGIN" || l == "END" || l.rfind("WAVES", 0) == 0) continue;
        std::istringstream is(l);
        std::vector<double> r;
        for (std::string w; is >> w;) r.push_back(std::strtod(w.c_str(), nullptr));
        rows.push_back(r);
    }
    return rows;
}

}  // namespace

TEST(WaterCurves, IsobarsFromTheLiquidAndFromTheVapour) {
    WagnerPruss w(2);
    for (char fromGas : {0, 1}) {
        std::vector<double> out;
        w.set_the_phase_as(fromGas ? 1 : 2);
        w.calculateTheIsobar(500.0, fromGas, 6, "w", &out);
        ASSERT_EQ(out.size() % 13, 0u);
        const std::size_t n = out.size() / 13;
        ASSERT_GE(n, 200u) << int(fromGas);
        WagnerPruss check(1);
        for (std::size_t i = 0; i < n; i += 7) {
            const double V = out[13 * i] * 1e-6, T = out[13 * i + 1];
            check.calculateFromTV(T, V, 0);
            EXPECT_NEAR(check.P, 500e5, 1e-6 * 500e5) << T << " " << V;
            EXPECT_NEAR(out[13 * i + 4], check.H, 1e-6 * std::fabs(check.H) + 1e-6);
            EXPECT_GE(T, 200.0);
            EXPECT_LE(T, 1500.0 + 1.0);
        }
        // The same rows as text ("isob" + suffix).
        const std::string suffix = fromGas ? "g" : "l";
        w.set_the_phase_as(fromGas ? 1 : 2);
        w.calculateTheIsobar(500.0, fromGas, 2, suffix.c_str(), nullptr);
        EXPECT_EQ(rowsOf("isob" + suffix).size(), n);
    }
}

TEST(WaterCurves, CharacteristicCurvesSatisfyTheirConditions) {
    WagnerPruss w(1);
    WagnerPruss check(1);
    w.calculateTheBoyleCurve("c");
    w.calculateTheIdealCurve("c");
    w.calculateTheJouleThomsonCurve("c");
    struct Curve {
        const char* file;
        int what;  // 0 Boyle, 1 ideal, 2 JT inversion
    };
    for (const Curve c : {Curve{"boylc0", 0}, Curve{"boylc1", 0}, Curve{"ideac0", 1}, Curve{"ideac1", 1},
                          Curve{"joulc0", 2}, Curve{"joulc1", 2}}) {
        const auto rows = rowsOf(c.file);
        ASSERT_GE(rows.size(), 2u) << c.file;
        EXPECT_NEAR(rows.front()[0], 473.15, 1e-6) << c.file;
        for (std::size_t i = 0; i < rows.size(); i += 25) {
            const double T = rows[i][0], V = rows[i][1] * 1e-6;
            // (The conditions are the state functions'; at the JT inversion
            // curve's dense end, near 3e6 bar, the fugacity overflows.)
            check.calculateStateFunctionsFromTV(T, V);
            EXPECT_NEAR(check.P * 1e-5, rows[i][2], 1e-5 * std::fabs(rows[i][2]) + 1e-6) << c.file << " " << T;
            // The file holds V to six decimals in cm3/mol: compare the
            // conditions at the scale of that rounding.
            const double dV = 1e-12;
            if (c.what == 0) {
                EXPECT_NEAR(check.dZdV * dV, 0.0, 1e-4 * std::fabs(check.Z)) << c.file << " " << T;
            } else if (c.what == 1) {
                EXPECT_NEAR(check.Z, 1.0, 1e-4) << c.file << " " << T;
            } else {
                EXPECT_NEAR(check.jouleThomson * 1e5, 0.0, 1e-3) << c.file << " " << T;
            }
        }
    }
    const std::string text = [] {
        std::ifstream in("boylc0");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }();
    EXPECT_EQ(text.rfind("IGOR\nWAVES            Tc0             Vc0             Pc0 \nBEGIN\n", 0), 0u) << text.substr(0, 80);
}

TEST(WaterCurves, HeatCapacityCheck) {
    WagnerPruss w(1);
    testing::internal::CaptureStdout();
    w.checkCp();
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("Cp (num.)"), std::string::npos);
    EXPECT_NE(said.find("Cp (ana.)"), std::string::npos);
    EXPECT_TRUE(std::isfinite(w.checkedCpNumeric));
    EXPECT_GT(w.checkedCpAnalytic, 0.0);
    EXPECT_LT(std::fabs(w.checkedCpNumeric - w.checkedCpAnalytic), 1e-2 * w.checkedCpAnalytic);
    // Away from the critical point the two agree closely.
    w.checkCpAt(800.0, 300.0);
    EXPECT_LT(std::fabs(w.checkedCpNumeric - w.checkedCpAnalytic), 1e-4 * w.checkedCpAnalytic);
}

TEST(WaterCurves, SuperheatTemperatureAndLiquidOutOfEquilibrium) {
    const platform::TracesShown traces;  // what is checked here is in the solvers' traces
    WagnerPruss w(2);
    testing::internal::CaptureStdout();
    w.calculateTheSallaSpinodalTemperature();
    const std::string said = testing::internal::GetCapturedStdout();
    ASSERT_EQ(w.errorflag, 0) << said;
    EXPECT_NE(said.find("Salla spinodal temperature : "), std::string::npos);
    const double Ts = w.T, Us = w.U;
    // The saturated liquid at Ts holds the mean of the internal energies of
    // the saturated liquid and vapour at 1 bar.
    WagnerPruss s(2);
    s.initializeSaturationVolumesFromP("H2O", 1.0);
    s.calculate_saturation_temperature(1e5, 373.15);
    ASSERT_EQ(s.errorflag, 0);
    s.volume(s.Vl_sat);
    s.calculate_state_functions();
    const double Ul = s.U;
    s.volume(s.Vv_sat);
    s.calculate_state_functions();
    const double Uv = s.U;
    EXPECT_NEAR(Us, 0.5 * (Ul + Uv), 1e-6 * std::fabs(Uv));
    EXPECT_GT(Ts, 500.0);
    EXPECT_LT(Ts, 647.096);

    // The liquid out of equilibrium: the residuals and Jacobian of its system
    // (G - g*, P - p*) against differences, and a report whatever the solve.
    WagnerPruss d(2);
    double data[2] = {-30000.0, 50.0};
    Newton n;
    n._setSysEquationToSolve(&d, toEquationFn<SysEquationFn>(&FluidPhase::equationForDisequilibratedLiquid), 2);
    n.data = data;
    double x[2] = {320.0, 1.82e-5}, h[2] = {1e-4, 1e-12};
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    const double worst = n.check_derivatives(sink, x, h);
    std::fclose(sink);
    EXPECT_GE(worst, 0.0);
    EXPECT_LT(worst, 1e-4);
    double G[2];
    int err = 0;
    d.equationForDisequilibratedLiquid(x, G, nullptr, err, 0, data);
    EXPECT_EQ(err, 0);
    EXPECT_NEAR(G[1], d.P - 50e5, 1e-6);  // the target pressure in bar, compared in Pa
    x[0] = 260.0;
    d.equationForDisequilibratedLiquid(x, G, nullptr, err, 0, data);
    EXPECT_EQ(err, 1);  // below 270 K
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    d.calculateDisequilibratedLiquid(373.15, 0.0);
    const std::string report = testing::internal::GetCapturedStdout();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Vapour mu : "), std::string::npos);  // a trace
    EXPECT_NE(report.find("Liquid mu "), std::string::npos);
}
