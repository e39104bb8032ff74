// Curve drivers of the Anderko model for H2O-NaCl, each point
// checked by an independent evaluation of its condition: the diffusion
// spinodal A_VV A_xx - A_xV^2 = 0 with the written pressure, and the
// bubble-point isopleth's equal pressures and fugacities of the coexisting
// liquid and vapour.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "families/anderko/Anderko.h"
#include "families/anderko/tests/BoundaryTable.h"
#include "numerics/tests/NumericRows.h"

namespace {

std::vector<std::vector<double>> numericRows(const std::string& path) { return testrows::numericRowsOfFile(path); }

}  // namespace

TEST(AnderkoDriverCurves, SaltWaterSpinodalFromTheCriticalPointOfTheBrine) {
    Anderko m(1);
    m.setSystemType("H2O-NaCl");
    const double w = 5.0, x1 = w / ((100.0 - w) * 58.5 / 18.0 + w);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    m.calculateSpinodalCurveX(w, "x5");
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_NEAR(m.x[1], x1, 1e-15);
    const auto rows = numericRows("spinotx5");
    ASSERT_GE(rows.size(), 10u);
    Anderko check(1);
    check.setSystemType("H2O-NaCl");
    check.composition(1.0 - x1, x1);
    for (std::size_t k = 0; k < rows.size(); k += 5) {
        const double T = rows[k][0], P = rows[k][1], V = rows[k][2] * 1e-6;
        SCOPED_TRACE(T);
        // Down by 1 K from the brine's critical point (above water's).
        EXPECT_NEAR(T, rows[0][0] - static_cast<double>(k), 1e-6);
        EXPECT_GT(rows[0][0], 647.096);
        EXPECT_GE(T, 199.0);
        check.temperature(T);
        check.volume(V);
        check.calculate_critical_parameters();
        ASSERT_EQ(check.errorflag, 0);
        const double Avv = check.d2AdV2, Axv = check.d2AdVdx, Axx = check.d2Adx2;
        EXPECT_LT(std::fabs(Avv * Axx - Axv * Axv) / (std::fabs(Avv * Axx) + Axv * Axv), 1e-4);
        check.calculate_pressure();
        // V is written to six digits, P to 1e-5 bar.
        EXPECT_NEAR(check.P * 1e-5, P, 1e-5 * std::fabs(P) + 1e-3);
    }
}

TEST(AnderkoDriverCurves, BrineBubbleIsoplethIsAChainOfEquilibria) {
    // Start values at 700 and 750 K for NaCl fractions 0.05 and 0.1 of the
    // liquid (near bubble points of this model).
    writeBoundaryTable({{700, 337.2, 0.05, 0.00295, 30.65, 65.53},
                        {700, 300.9, 0.1, 0.00064, 26.25, 93.51},
                        {750, 503.7, 0.05, 0.01297, 33.55, 47.98},
                        {750, 458.1, 0.1, 0.00423, 28.43, 63.84}});
    Anderko m(2);
    m.setSystemCode(10);
    std::vector<double> out;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    m.calculateTheIsopleth4("b", 700.0, 0.05, 0.0, 2, 6, 0, &out);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(out.size() % 8, 0u);
    const std::size_t n = out.size() / 8;
    ASSERT_GE(n, 5u);
    Anderko l(2), v(1);
    l.setSystemType("H2O-NaCl");
    v.setSystemType("H2O-NaCl");
    for (std::size_t k = 0; k < n; ++k) {
        const double* r = &out[8 * k];  // T, P (bar), x0, x1, y0, y1, Vl, Vv (m3/mol)
        SCOPED_TRACE(r[0]);
        EXPECT_NEAR(r[3], 0.05, 1e-12);  // the liquid is the bulk
        l.composition(r[2], r[3]);
        v.composition(r[4], r[5]);
        l.temperature(r[0]);
        l.volume(r[6]);
        l.calculate_fugacities();
        v.temperature(r[0]);
        v.volume(r[7]);
        v.calculate_fugacities();
        ASSERT_EQ(l.errorflag + v.errorflag, 0);
        EXPECT_NEAR(l.P * 1e-5 / r[1], 1.0, 1e-6);
        EXPECT_NEAR(v.P * 1e-5 / r[1], 1.0, 1e-6);
        for (int i = 0; i < 2; ++i) EXPECT_NEAR(v.fugacity[i] / l.fugacity[i], 1.0, 1e-6) << i;
    }
    EXPECT_NEAR(out[0], 700.0, 1e-9);
    // The curve closes at the critical point of the brine: one phase.
    EXPECT_NEAR(out[8 * (n - 1) + 6] / out[8 * (n - 1) + 7], 1.0, 1e-3);
    EXPECT_NEAR(out[8 * (n - 1) + 5], 0.05, 1e-3);
}
