// The water content of CO2-rich phases against Spycher, Pruess & Ennis-King
// (2003): their two mass-action laws, y(H2O) = A x(H2O) and
// x(CO2) = B y(CO2), evaluated independently of the library (their
// Redlich-Kwong volume by Cardano's formula, their constants of Table 2) on
// gaseous, liquid and supercritical CO2 from 278 to 373 K and 5 to 600 bar.
// The water the CO2 dissolved in the liquid water displaces (2 to 3 % at
// 100 to 600 bar) lowers the content by as much; a content that took the
// water's activity as 1 lies 2 to 3 % above these.  At 25 C and 50 bar the
// content lies within the measurements' 0.1 to 0.2 % (King, Mubarak, Kim &
// Bott 1992), at 50 C and 100 bar within 10 % of Wiebe & Gaddy's (1941)
// 0.4 %.
#include <gtest/gtest.h>

#include <cmath>

#include "brines/WaterInCO2.h"

TEST(WaterInCO2, SpycherPruessEnnisKingTwoPhaseContent) {
    const struct {
        double T, P, y;  // K, bar, mole fraction of water in the CO2-rich phase
    } kCases[] = {{278.15, 10.0, 0.000968494},  {284.0, 200.0, 0.0024566},   {298.15, 50.0, 0.00107015},
                  {298.15, 100.0, 0.00323434},  {304.0, 5.0, 0.00925361},    {323.15, 100.0, 0.00424332},
                  {323.15, 200.0, 0.00690636},  {348.15, 300.0, 0.0131769},  {373.15, 600.0, 0.0231416}};
    for (const auto& c : kCases) EXPECT_NEAR(solubility::waterInCO2(c.T, c.P) / c.y, 1.0, 2e-4) << c.T << " K " << c.P;
    const double at25 = solubility::waterInCO2(298.15, 50.0);
    EXPECT_TRUE(at25 > 0.001 && at25 < 0.002) << at25;
    EXPECT_NEAR(solubility::waterInCO2(323.15, 100.0) / 0.004, 1.0, 0.1);
    for (double outside : {272.0, 380.0}) EXPECT_TRUE(std::isnan(solubility::waterInCO2(outside, 100.0)));
    EXPECT_TRUE(std::isnan(solubility::waterInCO2(300.0, 700.0)));
}
