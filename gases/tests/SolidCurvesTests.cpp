// The melting and sublimation curves of CO2, CH4 and N2: the published
// triple points (Span & Wagner 1996: 216.592 K, 0.51795 MPa; Setzmann &
// Wagner 1991: 90.6941 K, 11.696 kPa; Span et al. 2000: 63.151 K,
// 12.523 kPa), where melting and sublimation meet, and CO2's normal
// sublimation temperature, 194.686 K at 0.101325 MPa (Span & Wagner 1996).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gases/SolidCurves.h"

TEST(SolidCurves, MeetTheTriplePointsAndCO2SublimesAtItsNormalTemperature) {
    EXPECT_NEAR(gases::co2MeltingPressure(216.592), 0.51795e6, 1e-6);
    EXPECT_NEAR(gases::co2SublimationPressure(216.592), 0.51795e6, 1e-6);
    EXPECT_NEAR(gases::co2SublimationPressure(194.686), 0.101325e6, 0.00001e6);
    EXPECT_NEAR(gases::ch4MeltingPressure(90.6941), 11.696e3, 1e-6);
    // Methane's melting pressures of Setzmann & Wagner (1991): 377.5 bar at
    // 100 K, 1040.3 bar at 115 K, 2832.6 bar at 150 K.
    EXPECT_NEAR(gases::ch4MeltingPressure(100.0), 377.5e5, 0.05e5);
    EXPECT_NEAR(gases::ch4MeltingPressure(115.0), 1040.3e5, 0.05e5);
    EXPECT_NEAR(gases::ch4MeltingPressure(150.0), 2832.6e5, 0.05e5);
    // The melting curve leaves the triple point on the Clausius-Clapeyron
    // slope of the fusion, dp/dT = dH / (T dV): 0.94 kJ/mol over a volume
    // change of 2.5 to 4 cm3/mol at 90.7 K gives 2.6 to 4.1 MPa/K.
    const double slope = (gases::ch4MeltingPressure(90.7941) - gases::ch4MeltingPressure(90.6941)) / 0.1;
    EXPECT_GT(slope, 2.6e6);
    EXPECT_LT(slope, 4.1e6);
    EXPECT_NEAR(gases::n2MeltingPressure(63.151), 12.523e3, 1e-6);
    // The melting pressure rises with temperature on each curve.
    for (double T = 217.0; T < 400.0; T += 10.0) EXPECT_GT(gases::co2MeltingPressure(T + 1.0), gases::co2MeltingPressure(T));
    for (double T = 91.0; T < 190.0; T += 10.0) EXPECT_GT(gases::ch4MeltingPressure(T + 1.0), gases::ch4MeltingPressure(T));
    for (double T = 64.0; T < 300.0; T += 10.0) EXPECT_GT(gases::n2MeltingPressure(T + 1.0), gases::n2MeltingPressure(T));
    // Solid CO2 at 280 K above about 390 MPa; N2 at 80 K and 500 MPa; the
    // fluids at 1 bar above their triple points; solid CO2 at 190 K and
    // 1 bar (above its sublimation pressure), vapour at 0.5 bar.
    const struct {
        const char* c;
        double T, P;  // K, Pa
        bool solid;
    } kStates[] = {{"CO2", 280.0, 600e6, true},  {"CO2", 280.0, 300e6, false}, {"N2", 80.0, 500e6, true},
                   {"N2", 80.0, 1e5, false},     {"CH4", 100.0, 1e5, false},   {"CH4", 100.0, 100e6, true}, {"CH4", 273.15, 800e6, false},
                   {"CH4", 115.0, 100e6, false}, {"CH4", 115.0, 105e6, true},   {"CO2", 190.0, 1e5, true},
                   {"CO2", 190.0, 0.5e5, false}, {"H2O", 200.0, 1e9, false}};
    for (const auto& s : kStates) EXPECT_EQ(gases::gasSolidAt(s.c, s.T, s.P) != nullptr, s.solid) << s.c << " " << s.T;
}
