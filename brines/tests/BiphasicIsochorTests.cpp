// The biphasic isochore of a CH4-bearing brine from its bubble point: the
// closed inclusion keeps its mass and its gas, so that at every written row
//     (1 - phi) rho_l + phi rho_v = rho_0   and
//     (1 - phi) rho_gas,l + phi rho_gas,v = rho_gas,0
// with phi the vapour's volume fraction (all read back from the file).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "brines/DMGWwater.h"
#include "numerics/tests/NumericRows.h"

namespace {

std::vector<std::vector<double>> rowsOf(const char* path, std::size_t width) {
    return testrows::numericRowsOfFile(path, width);
}

}  // namespace

TEST(BiphasicIsochor, FromABubblePointTheInclusionKeepsItsMassAndItsGas) {
    DMGWwater d(SM_H2O_CH4_NaCl, 0);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    d.calculateTheBiphasicIsochor1(423.15, 473.15, 0.1, 1.0, -1.0, 200.0, 1, "q", nullptr);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    const auto rows = rowsOf("biphaq", 9);  // T, P, mg, phi, rho_v, rho_l, gas in vapour, gas in liquid, err
    ASSERT_EQ(rows.size(), 51u);            // 473.15 K down to 423.15 K by 1 K
    const auto& r0 = rows.front();
    EXPECT_EQ(r0[0], 473.15);
    EXPECT_NEAR(r0[2], 0.1, 1e-9);  // the start is the given liquid at its bubble point
    EXPECT_EQ(r0[3], 0.0);
    const double rho0 = r0[5], gas0 = r0[7];
    for (std::size_t k = 1; k < rows.size(); ++k) {
        const auto& r = rows[k];
        SCOPED_TRACE(r[0]);
        EXPECT_NEAR(r[0], 473.15 - static_cast<double>(k), 1e-9);
        EXPECT_EQ(r[8], 0.0);
        const double phi = r[3];
        EXPECT_GT(phi, 0.0);
        EXPECT_LT(phi, 1.0);
        EXPECT_LT(r[1], rows[k - 1][1]);  // cooling lowers the pressure
        EXPECT_LT(r[2], rows[k - 1][2]);  // and exsolves gas
        EXPECT_NEAR((1.0 - phi) * r[5] + phi * r[4], rho0, 1e-5 * rho0);
        EXPECT_NEAR((1.0 - phi) * r[7] + phi * r[6], gas0, 1e-5 * gas0);
    }
    // The same start with T0 = Tend: the start and one clamped point, T in K.
    DMGWwater e(SM_H2O_CH4_NaCl, 0);
    std::vector<double> out;
    testing::internal::CaptureStdout();
    e.calculateTheBiphasicIsochor1(473.15, 473.15, 0.1, 1.0, -1.0, 200.0, 6, "", &out);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], 473.15);
    EXPECT_EQ(out[2], 473.15);
    EXPECT_NEAR(out[1], r0[1], 1e-5 * r0[1]);
    EXPECT_NEAR(out[3], out[1], 1e-5 * out[1]);
}
