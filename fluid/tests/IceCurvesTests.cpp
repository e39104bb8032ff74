// The melting and sublimation pressures of the ices against the check values
// of IAPWS R14-08(2011) (Table 3 of the release), the triple points where
// the curves meet, and the ice named at a few states.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fluid/IceCurves.h"

TEST(IceCurves, ReproduceTheReleasesCheckValuesAndMeetAtTheTriplePoints) {
    // T (K), p (MPa) of each curve, to the digits printed in the release.
    EXPECT_NEAR(water::iceIhMeltingPressure(260.0) * 1e-6, 138.268, 0.0005);
    EXPECT_NEAR(water::iceIIIMeltingPressure(254.0) * 1e-6, 268.685, 0.0005);
    EXPECT_NEAR(water::iceVMeltingPressure(265.0) * 1e-6, 479.640, 0.0005);
    EXPECT_NEAR(water::iceVIMeltingPressure(320.0) * 1e-6, 1356.76, 0.005);
    EXPECT_NEAR(water::iceVIIMeltingPressure(550.0) * 1e-6, 6308.71, 0.005);
    EXPECT_NEAR(water::iceIhSublimationPressure(230.0) * 1e-6, 8.94735e-6, 0.000005e-6);
    // The triple points of the release: each curve ends where the next begins.
    const struct {
        double T, p;  // K, MPa
        double (*below)(double), (*above)(double);
    } kTriple[] = {{251.165, 208.566, water::iceIhMeltingPressure, water::iceIIIMeltingPressure},
                   {256.164, 350.1, water::iceIIIMeltingPressure, water::iceVMeltingPressure},
                   {273.31, 632.4, water::iceVMeltingPressure, water::iceVIMeltingPressure},
                   {355.0, 2216.0, water::iceVIMeltingPressure, water::iceVIIMeltingPressure}};
    for (const auto& t : kTriple) {
        EXPECT_NEAR(t.below(t.T) * 1e-6, t.p, 1e-5 * t.p) << t.T;
        EXPECT_NEAR(t.above(t.T) * 1e-6, t.p, 1e-5 * t.p) << t.T;
    }
    EXPECT_NEAR(water::iceIhMeltingPressure(273.16), 611.657, 1e-9);
    EXPECT_NEAR(water::iceIhSublimationPressure(273.16), 611.657, 1e-6);
    EXPECT_TRUE(std::isnan(water::iceVIIMeltingPressure(800.0)));
    // Ice V at 260 K and 500 MPa; ice VI melts near 996 MPa at 300 K; ice
    // Ih between the sublimation and melting curves; the vapour below.
    const struct {
        double T, P;  // K, Pa
        const char* ice;
    } kStates[] = {{260.0, 500e6, "ice V"},  {300.0, 1000e6, "ice VI"}, {300.0, 990e6, nullptr},
                   {260.0, 1e5, "ice Ih"},   {260.0, 100.0, nullptr},   {260.0, 150e6, nullptr},
                   {253.0, 250e6, "ice III"}, {500.0, 7000e6, "ice VII"}, {400.0, 1e8, nullptr},
                   {273.2, 1e5, nullptr},
                   // Beyond the upper triple point of the ice that melts at
                   // T lies a denser ice's field (ice VI at 273.15 K and
                   // 800 MPa, not the ice V that melts at 273.15 K).
                   {273.15, 800e6, "a high-pressure ice"}, {255.0, 400e6, "a high-pressure ice"},
                   {300.0, 2500e6, "a high-pressure ice"}, {270.0, 600e6, "ice V"}};
    for (const auto& s : kStates) {
        const char* ice = water::iceName(water::iceAt(s.T, s.P));
        EXPECT_EQ(std::string(ice ? ice : "fluid"), std::string(s.ice ? s.ice : "fluid")) << s.T << " K " << s.P;
    }
}
