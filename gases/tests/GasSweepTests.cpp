// Every search of the reference CO2, CH4 and N2 models is held to its answer
// over grids of states, saturation points and critical-point starts, and
// their states do not depend on what the model computed before.
#include <gtest/gtest.h>

#include "fluid/tests/StateSweep.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"

namespace {

// Tt and Tc bound the saturation temperatures, Tmax the states; Vc is the
// critical molar volume (m3/mol).
void sweepModel(FluidPhase& m, double Tt, double Tc, double Vc, double Tmax) {
    const auto Ts = sweep::geometric(Tt + 2.0, Tmax, 12);
    const auto Ps = sweep::geometric(1e-3, 2e4, 12);
    const sweep::Tally tp = sweep::statesFromTP(m, Ts, Ps);
    EXPECT_TRUE(tp.wrong.empty()) << tp.report();
    EXPECT_GT(tp.answered, tp.asked / 2) << tp.report();

    const sweep::Tally vp = sweep::temperaturesFromVP(m, sweep::geometric(Tt + 5.0, Tmax, 8),
                                                      sweep::geometric(0.4 * Vc, 1.0, 10));
    EXPECT_TRUE(vp.wrong.empty()) << vp.report();
    EXPECT_GT(vp.answered, vp.asked / 2) << vp.report();

    const sweep::Tally sat = sweep::saturationPoints(m, sweep::linear(Tt + 1.0, Tc - 0.5, 20));
    EXPECT_TRUE(sat.wrong.empty()) << sat.report();
    EXPECT_GT(sat.answered, sat.asked * 3 / 4) << sat.report();
    const sweep::Tally nearCritical = sweep::nearCriticalSaturation(m, Tc, Vc);
    EXPECT_TRUE(nearCritical.wrong.empty()) << nearCritical.report();
    EXPECT_EQ(nearCritical.answered, nearCritical.asked) << nearCritical.report();

    const sweep::Tally crit = sweep::criticalPoints(m, {0.97 * Tc, Tc, 1.03 * Tc}, {0.8 * Vc, Vc, 1.25 * Vc});
    EXPECT_TRUE(crit.wrong.empty()) << crit.report();
    EXPECT_GT(crit.answered, 0) << crit.report();
}

// The states do not depend on what the model computed before.
template <class Model>
void gasHistory(double Tt, double Tc, double Vc, double Tmax) {
    const sweep::Tally h = sweep::historyIndependence([] { return std::make_unique<Model>(1); }, Tc, Vc,
                                                      sweep::geometric(Tt + 2.0, Tmax, 8),
                                                      sweep::geometric(1e-2, 1e4, 8));
    EXPECT_TRUE(h.wrong.empty()) << h.report();
    EXPECT_GT(h.answered, h.asked * 3 / 4) << h.report();
}

}  // namespace

TEST(GasSweep, CarbonDioxide) {
    IUPACCO2 m(1);
    sweepModel(m, 216.59, 304.13, 0.0440098 / 467.6, 1100.0);
    gasHistory<IUPACCO2>(216.59, 304.13, 0.0440098 / 467.6, 1100.0);
}

TEST(GasSweep, Methane) {
    IUPACCH4 m(1);
    sweepModel(m, 90.69, 190.56, 0.016043 / 162.66, 620.0);
    gasHistory<IUPACCH4>(90.69, 190.56, 0.016043 / 162.66, 620.0);
}

TEST(GasSweep, Nitrogen) {
    Jacobsen m(1);
    sweepModel(m, 63.15, 126.19, 0.0280134 / 313.3, 1000.0);
    gasHistory<Jacobsen>(63.15, 126.19, 0.0280134 / 313.3, 1000.0);
}
