// A binary flash isotherm by pressure steps on Raoult's law, whose every row
// has closed forms: equal fugacities y_i P = x_i Psat_i(T), the mass balance
// of the bulk with the binary Rachford-Rice vapour fraction, and the given
// vapour fraction at the first row; the volumetric vapour-fraction setter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "equilibria/IdealMixture.h"
#include "equilibria/tests/RaoultPressures.h"
#include "numerics/tests/NumericRows.h"

namespace {


std::vector<std::vector<double>> rowsOf(const char* path) { return testrows::numericRowsOfFile(path); }

}  // namespace

TEST(FlashIsotherm, EveryRowIsARaoultFlashOfTheBulk) {
    const double T = 260.0, z0 = 0.4;
    for (double Fv0 : {0.0, 0.3, 0.8}) {
        SCOPED_TRACE(Fv0);
        IdealMixture m;
        m.number_of_components(2);
        m.add_components("CO2", "C3H8");
        const std::string file = "flashiso" + std::to_string(static_cast<int>(Fv0 * 10));
        testing::internal::CaptureStdout();
        m.flash_isotherm(file.c_str(), T, -0.5, z0, Fv0);  // toward the dew point
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(m.error == 0 || m.error == 1, true) << m.error;
        const auto rows = rowsOf(file.c_str());
        ASSERT_GE(rows.size(), 2u);
        const double P0 = PsatCO2(T), P1 = PsatC3(T), Pdew = 1.0 / (z0 / P0 + (1.0 - z0) / P1);
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const auto& r = rows[k];
            ASSERT_EQ(r.size(), 8u);
            const double P = r[1] * 1e5, x0 = r[2], x1 = r[3], y0 = r[4], y1 = r[5];
            EXPECT_EQ(r[0], T);
            EXPECT_NEAR(x0 + x1, 1.0, 1e-9);
            EXPECT_NEAR(y0 + y1, 1.0, 1e-9);
            // Equal fugacities of Raoult's law.
            EXPECT_NEAR(y0 * P, x0 * P0, 1e-6 * P);
            EXPECT_NEAR(y1 * P, x1 * P1, 1e-6 * P);
            // Mass balance: the lever rule's vapour fraction is the binary
            // Rachford-Rice root, and the given one at the first row.
            const double a = P0 / P - 1.0, b = P1 / P - 1.0, Fv = -(z0 * a + (1.0 - z0) * b) / (a * b);
            const double lever = (z0 - x0) / (y0 - x0);
            EXPECT_NEAR(lever, Fv, 1e-6) << P;
            if (k == 0) {
                EXPECT_NEAR(Fv, Fv0, 1e-6);
            } else {
                EXPECT_NEAR(P - rows[k - 1][1] * 1e5, -0.5e5, 1e-3);  // one whole step of 0.5 bar
            }
            EXPECT_GE(P, Pdew * (1.0 - 1e-9));
        }
        // The isotherm stops where the next whole step would pass the dew
        // pressure (a half step may still be written, and ends the curve).
        EXPECT_LT(rows.back()[1] * 1e5 - 0.5e5, Pdew);
    }
    // Only a binary: a ternary writes nothing.
    IdealMixture m3;
    m3.number_of_components(3);
    std::remove("flash3");
    m3.flash_isotherm("flash3", T, -0.5, z0, 0.5);
    EXPECT_FALSE(std::ifstream("flash3").good());
}

TEST(FlashIsotherm, VolumetricVapourFractionIsTheMolarOneOfAHundredfoldVapourVolume) {
    // f = Vv nV / (Vv nV + Vl nL) with Vv = 100 Vl: nV = f / (100 (1 - f) + f).
    IdealMixture m;
    m.number_of_components(2);
    for (double total : {1.0, 2.5}) {
        m.total_moles = total;
        for (double f : {0.0, 0.25, 0.5, 0.99, 1.0}) {
            m.vaporization_ratio1(f);
            const double Fv = f / (100.0 * (1.0 - f) + f);
            EXPECT_EQ(m.Fvol, f);
            EXPECT_NEAR(m.Fv, Fv, 1e-15);
            EXPECT_NEAR(m.nV, Fv * total, 1e-15);
            EXPECT_NEAR(m.nL, (1.0 - Fv) * total, 1e-15);
            EXPECT_NEAR(f, 100.0 * m.nV / (100.0 * m.nV + m.nL), 1e-12);
        }
    }
}
