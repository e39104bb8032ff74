// Curves, tables and the parameter fit of the Dubessy CO2-water(-NaCl)
// model: the Margules activity coefficients obey Gibbs-Duhem, the isotherms
// start at water's vapour pressure and rise linearly in the gas molality
// (Henry's law), the mixed-solute isotherm keeps its gas-to-salt ratio, the
// brine isopleth's rows are bubble points of independent solves, and the fit
// recovers the Margules parameter from bubble pressures made with it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "brines/Dubessy.h"
#include "numerics/tests/NumericRows.h"

namespace {

std::vector<std::vector<double>> rowsOf(const std::string& text, std::size_t width) {
    return testrows::numericRowsOfText(text, width);
}

std::string fileText(const char* path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(DubessyCurves, ActivityCoefficientMapObeysGibbsDuhem) {
    // Three tables (gamma_w, gamma_g, exp(W0 + W1)) of 26 water fractions
    // (1 to 0.75) by 31 temperatures (273.15 to 573.15 K): along each
    // column x_w d ln gamma_w + x_g d ln gamma_g = 0 (differences in x_w),
    // both coefficients are 1 in pure water, and the model is restored.
    Dubessy d(0, 0, 1, 1);
    testing::internal::CaptureStdout();
    d.mapActivityCoefficients();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(d.activityModel, 1);
    const auto rows = rowsOf(out, 32);  // x_w and 31 values
    ASSERT_EQ(rows.size(), 78u);
    const auto temperatures = rowsOf(out, 31);
    ASSERT_EQ(temperatures.size(), 3u);
    EXPECT_DOUBLE_EQ(temperatures[0][30], 573.15);
    for (int c = 1; c <= 31; ++c) {
        SCOPED_TRACE(temperatures[0][c - 1]);
        EXPECT_NEAR(rows[0][c], 1.0, 1e-6);   // gamma_w at x_w = 1
        EXPECT_NEAR(rows[26][c], 1.0, 1e-6);  // gamma_g at x_g = 0
        EXPECT_NEAR(rows[52][c], rows[77][c], 1e-5 * rows[52][c]);  // exp(W0 + W1) depends on T only
        // ln gamma are cubics in x_g: the five-point derivative is exact.
        auto slope = [&](int base, int k) {
            auto l = [&](int j) { return std::log(rows[base + j][c]); };
            return (l(k - 2) - 8.0 * l(k - 1) + 8.0 * l(k + 1) - l(k + 2)) / 12.0;
        };
        for (int k = 2; k < 24; ++k) {
            const double xw = rows[k][0], xg = 1.0 - xw;
            const double dw = slope(0, k), dg = slope(26, k);
            EXPECT_LT(std::fabs(xw * dw + xg * dg), 1e-3 * (std::fabs(xw * dw) + std::fabs(xg * dg)) + 2e-5) << xw;  // six printed digits
        }
    }
}

TEST(DubessyCurves, IsothermsFromWatersVapourPressure) {
    Dubessy d(0, 0, 0, 1);
    testing::internal::CaptureStdout();
    d.calculate_the_isotherm(373.15, 0.0, 1, "a");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("IGOR\nWAVES", 0), 0u);
    EXPECT_NE(out.find("B "), std::string::npos);
    const auto rows = rowsOf(out, 8);  // T, xg, xs, mg, ms, v, y, p
    ASSERT_EQ(rows.size(), 101u);      // mg = 0 to 1e-5 by 1e-7
    // Pure water: IAPWS-95 gives 1.01418 bar at 373.15 K, within the 1.6 %
    // of the model's Peng-Robinson vapour.
    EXPECT_NEAR(rows[0][7], 1.01418, 0.016 * 1.01418);
    EXPECT_NEAR(rows[0][6], 1.0, 1e-9);
    const double slope = (rows[100][7] - rows[0][7]) / rows[100][3];
    EXPECT_GT(slope, 0.0);
    for (std::size_t k = 1; k < rows.size(); ++k) {
        const auto& r = rows[k];
        EXPECT_EQ(r[0], 373.15);
        EXPECT_NEAR(r[3], 1e-7 * static_cast<double>(k), 1e-13);
        EXPECT_NEAR(r[1], 0.018015268 * r[3] / (1.0 + 0.018015268 * r[3]), 1e-5 * r[1]);
        // Henry's law in the dilute limit: P - P0 proportional to mg.
        EXPECT_NEAR((r[7] - rows[0][7]) / r[3], slope, 2e-3 * slope + 2e-5 / r[3]) << k;
        EXPECT_LT(r[6], rows[k - 1][6] + 1e-9);  // less water in the vapour
    }

    // Fixed gas-to-salt ratio r = 0.4 in a brine: x_w = 1 - 0.001 k, the
    // molalities of gas and salt r and 1 - r times (1 - x_w)/(M_w x_w).
    Dubessy b(2, 0, 0, 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    b.calculate_the_isotherm1(373.15, 0.4, 1, "b");
    testing::internal::GetCapturedStderr();
    const auto brine = rowsOf(testing::internal::GetCapturedStdout(), 9);
    ASSERT_GE(brine.size(), 10u);
    for (std::size_t k = 0; k < brine.size(); ++k) {
        const auto& r = brine[k];
        const double xw = 1.0 - 0.001 * static_cast<double>(k), total = (1.0 - xw) / (0.018015268 * xw);
        EXPECT_NEAR(r[3], 0.4 * total, 5e-6 * total + 1e-12);  // six digits
        EXPECT_NEAR(r[4], 0.6 * total, 5e-6 * total + 1e-12);
        EXPECT_EQ(r[8], 0.4);
        if (k > 0) {
            EXPECT_GT(r[7], brine[k - 1][7]);  // more gas, more pressure
        }
    }
}

TEST(DubessyCurves, BrineIsoplethRowsAreBubblePoints) {
    Dubessy d(2, 0, 0, 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    d.calculate_the_H2ONaClCO2_isopleth(1.0, 0.3, 1, "c");
    testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "IGOR\nWAVES Tkc ahc Hc sc Hsc\nBEGIN\nEND\n");
    EXPECT_EQ(d.m_s, 1.0);
    const auto rows = rowsOf(fileText("isopc"), 6);  // T, x, m, v, y, p
    ASSERT_GE(rows.size(), 20u);
    Dubessy check(2, 0, 0, 1);
    for (std::size_t k = 0; k < rows.size(); k += 7) {
        const auto& r = rows[k];
        SCOPED_TRACE(r[0]);
        EXPECT_NEAR(r[0], 273.15 + static_cast<double>(k), 1e-9);
        EXPECT_NEAR(r[2], 0.3, 1e-12);
        check.calculate_gas_solubility(r[0], 0.3, 1.0);
        ASSERT_EQ(check.errorflag, 0);
        EXPECT_NEAR(check.P * 1e-5, r[5], 1e-5 * r[5]);
        EXPECT_NEAR(check.y_w, r[4], 1e-5 * r[4] + 1e-9);
    }
    // Only the brine system.
    Dubessy water(0, 0, 0, 1);
    testing::internal::CaptureStdout();
    water.calculate_the_H2ONaClCO2_isopleth(1.0, 0.3, 1, "w");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(DubessyCurves, FitRecoversTheMargulesParameterOfItsData) {
    // Bubble pressures and vapour water contents made with W0 = 0.8 (the
    // one-parameter Margules model), written as a data file (t in C, P in
    // bar, y in thousandths): the fit from W0 = 0 finds 0.8 again.
    Dubessy gen(0, 0, 2, 1);
    gen.W0 = 0.8;
    std::filesystem::create_directories("data/solubility/H2O-CO2");
    {
        std::ofstream f("data/solubility/H2O-CO2/margules.dat");
        f << "t P m y a b c\n";
        f.precision(12);
        for (double t : {50.0, 75.0, 100.0, 125.0})
            for (double mg : {0.1, 0.3, 0.6}) {
                gen.firstGuess = 1;
                gen.calculate_gas_solubility(t + 273.15, mg, 0.0);
                ASSERT_EQ(gen.errorflag, 0);
                f << t << ' ' << gen.P * 1e-5 << ' ' << mg << ' ' << gen.y_w * 1000.0 << '\n';
            }
        f << "END\n";
    }
    Dubessy fit(0, 0, 2, 1);
    fit.W0 = 0.0;
    testing::internal::CaptureStdout();
    fit.fitIsothermData("margules.dat");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(fit.errorflag, 0);
    EXPECT_NEAR(fit.W0, 0.8, 1e-4);
    // The temperature-polynomial model has nothing to fit.
    Dubessy poly(0, 0, 0, 1);
    testing::internal::CaptureStderr();
    poly.fitIsothermData("margules.dat");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no parameters to fit"), std::string::npos);
    EXPECT_EQ(poly.errorflag, 1);
}

TEST(DubessyCurves, FixedParameterTableAgainstIapwsAndTheHenryLaw) {
    // Water's vapour pressure by IAPWS-95 (published saturation pressures),
    // CO2's Henry constant in the closed form of the gas-data set 1 and its
    // partial volume at infinite dilution, 2.82e-5 m3/mol, for T = 273.15 to
    // 647.15 K by 1 K.
    Dubessy d(0, 0, 0, 1);
    testing::internal::CaptureStdout();
    d.tata();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("IGOR\nWAVES T0 P0 H0 v1\nBEGIN\n", 0), 0u);
    EXPECT_EQ(out.substr(out.size() - 4), "END\n");
    const auto rows = rowsOf(out, 4);
    ASSERT_EQ(rows.size(), 375u);
    const std::vector<std::pair<double, double>> iapws = {
        {373.15, 1.01418}, {423.15, 4.7617}, {473.15, 15.549}, {573.15, 85.879}, {623.15, 165.29}};
    for (const auto& [T, Psat] : iapws) {
        const auto& r = rows[static_cast<std::size_t>(T - 273.15 + 0.5)];
        EXPECT_NEAR(r[0], T, 1e-6);
        EXPECT_NEAR(r[1], Psat, 2e-4 * Psat) << T;
    }
    for (const auto& r : rows) {
        const double T = r[0];
        const double H = 1.01325 * std::exp(160.27 - 8764.5 / T - 21.726 * std::log(T) + 0.00011055 * T);
        EXPECT_NEAR(r[2], H, 1e-5 * H) << T;
        EXPECT_EQ(r[3], 2.82e-5);
    }
}

TEST(DubessyCurves, DataComparisonRowsAreSolvedBubblePoints) {
    // A data file of bubble pressures: each row holds the model's bubble
    // point solved afresh at (T, m_g), the relative deviations from the
    // data, and the closing lines their mean absolute values.
    std::filesystem::create_directories("data/solubility/H2O-CO2");
    {
        std::ofstream f("data/solubility/H2O-CO2/compare.dat");
        f << "t P m y a b c\n50 20 0.433 8.0\n75 40 0.6 12.0\n100 30 0.3 40.0\nEND\n";
    }
    Dubessy d(0, 0, 0, 1);
    testing::internal::CaptureStdout();
    d.testIsothermData("compare.dat", "s");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("          Ts          ms", 0), 0u);
    const auto rows = rowsOf(out, 9);
    ASSERT_EQ(rows.size(), 3u);
    const double data[3][4] = {{323.15, 20.0, 0.433, 8.0}, {348.15, 40.0, 0.6, 12.0}, {373.15, 30.0, 0.3, 40.0}};
    double sp = 0.0, sy = 0.0;
    for (int i = 0; i < 3; ++i) {
        const auto& r = rows[static_cast<std::size_t>(i)];
        SCOPED_TRACE(r[0]);
        EXPECT_NEAR(r[0], data[i][0], 1e-9);
        EXPECT_NEAR(r[3], data[i][1], 1e-9);
        Dubessy check(0, 0, 0, 1);
        check.calculate_gas_solubility(data[i][0], data[i][2], 0.0);
        ASSERT_EQ(check.errorflag, 0);
        EXPECT_NEAR(r[2], check.P * 1e-5, 1e-5 * r[2]);
        EXPECT_NEAR(r[4], check.y_w, 1e-5 * r[4]);
        EXPECT_NEAR(r[5], 1e-3 * data[i][3], 1e-12);
        const double dP = 100.0 * (r[2] - r[3]) / r[3], dy = 100.0 * (r[4] - r[5]) / r[5];
        EXPECT_NEAR(r[7], dP, 1e-4 * std::fabs(dP) + 1e-3);
        EXPECT_NEAR(r[8], dy, 1e-4 * std::fabs(dy) + 1e-3);
        sp += std::fabs(r[7]);
        sy += std::fabs(r[8]);
    }
    const auto aadP = out.find("AADP"), aady = out.find("AADy");
    ASSERT_NE(aadP, std::string::npos);
    ASSERT_NE(aady, std::string::npos);
    EXPECT_NEAR(std::stod(out.substr(aadP + 4)), sp / 3.0, 1e-4 * sp);
    EXPECT_NEAR(std::stod(out.substr(aady + 4)), sy / 3.0, 1e-4 * sy);
}
