// The water content of methane after Bukacek (1955), checked two ways that
// share nothing with the library's evaluation: the correlation worked in its
// own field units (F, psia, lb per million standard cubic feet, the gas
// constant 10.7316 psia ft3/(lb-mol R)) with water's vapour pressure of
// IAPWS-95's check table (0.932203564 MPa at 450 K, Wagner & Pruss 2002,
// Table 8); and its low-pressure limit, Raoult's law y = Pv/P with the
// tabulated vapour pressures of IAPWS-95 (3.5368 kPa at 300 K, 41.682 kPa at
// 350 K), which the vapour's enhancement (about 0.5 % at 1 bar) and the
// correlation's constant (0.02 %) move by under 1 %.
#include <gtest/gtest.h>

#include <cmath>

#include "brines/WaterInMethane.h"

TEST(WaterInMethane, BukacekInFieldUnitsAndItsRaoultLimit) {
    // 450 K is 350.33 F; a million standard cubic feet at 60 F and 14.696
    // psia holds 14.696e6/(10.7316 x 519.67) lb-mol; a lb-mol of water weighs
    // 18.01528 lb.
    const double Pv = 9.32203564 * 14.5037738, tF = 350.33;
    const double lbMolPerMMscf = 14.696e6 / (10.7316 * 519.67);
    for (double P_bar : {10.0, 50.0, 150.0, 400.0, 690.0}) {
        const double P = P_bar * 14.5037738;
        const double W = 47484.0 * Pv / P + std::pow(10.0, -3083.87 / (tF + 459.6) + 6.69449);
        const double y = W / 18.01528 / lbMolPerMMscf;
        EXPECT_NEAR(solubility::waterInMethane(450.0, P_bar) / y, 1.0, 3e-4) << P_bar << " bar";
    }
    const struct {
        double T, Pv;  // K, bar
    } kRaoult[] = {{300.0, 0.035368}, {350.0, 0.41682}};
    for (const auto& r : kRaoult) {
        const double ratio = solubility::waterInMethane(r.T, 1.0) / r.Pv;
        EXPECT_GT(ratio, 1.0) << r.T << " K";  // a compressed gas holds more, never less
        EXPECT_LT(ratio, 1.01) << r.T << " K";
    }
    // Its range: 288.15 to 511.15 K, 1 to 690 bar, above water's vapour pressure.
    for (double T : {287.0, 512.0}) EXPECT_TRUE(std::isnan(solubility::waterInMethane(T, 100.0))) << T;
    for (double P : {0.9, 700.0}) EXPECT_TRUE(std::isnan(solubility::waterInMethane(350.0, P))) << P;
    EXPECT_TRUE(std::isnan(solubility::waterInMethane(450.0, 9.0)));
}
