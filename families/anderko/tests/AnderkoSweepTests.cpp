// Every search of the Anderko-Pitzer model is held to its answer: states of
// the H2O-NaCl system over a grid, and the saturation and critical points of
// its water.
#include <gtest/gtest.h>

#include "families/anderko/Anderko.h"
#include "fluid/tests/StateSweep.h"

TEST(AnderkoSweep, WaterAndSodiumChloride) {
    Anderko brine(2);
    brine.setSystemCode(10);
    double x[2] = {0.95, 0.05};
    brine.composition(x);
    const sweep::Tally tp =
        sweep::statesFromTP(brine, sweep::geometric(573.15, 1273.15, 10), sweep::geometric(1.0, 5000.0, 12));
    EXPECT_TRUE(tp.wrong.empty()) << tp.report();
    EXPECT_GT(tp.answered, tp.asked / 2) << tp.report();

    const sweep::Tally vp =
        sweep::temperaturesFromVP(brine, sweep::geometric(573.15, 1273.15, 8), sweep::geometric(2.2e-5, 0.1, 10));
    EXPECT_TRUE(vp.wrong.empty()) << vp.report();
    EXPECT_GT(vp.answered, vp.asked / 2) << vp.report();

    Anderko water(2);
    water.setSystemCode(1);
    const sweep::Tally sat = sweep::saturationPoints(water, sweep::linear(300.0, 645.0, 20));
    EXPECT_TRUE(sat.wrong.empty()) << sat.report();
    EXPECT_GT(sat.answered, sat.asked * 3 / 4) << sat.report();

    const sweep::Tally crit = sweep::criticalPoints(water, {630.0, 648.6, 670.0}, {4.5e-5, 6.174e-5, 8e-5});
    EXPECT_TRUE(crit.wrong.empty()) << crit.report();
    EXPECT_GT(crit.answered, 0) << crit.report();

    // The states of the brine do not depend on what the model computed before
    // (from 600 K: the salt's terms of the model are not defined below 573 K).
    auto makeBrine = [] {
        auto m = std::make_unique<Anderko>(2);
        m->setSystemCode(10);
        double xs[2] = {0.95, 0.05};
        m->composition(xs);
        return m;
    };
    const sweep::Tally h = sweep::historyIndependence(makeBrine, 648.6, 6.174e-5, sweep::geometric(600.0, 1273.15, 8),
                                                      sweep::geometric(1.0, 5000.0, 8));
    EXPECT_TRUE(h.wrong.empty()) << h.report();
    EXPECT_GT(h.answered, h.asked / 2) << h.report();

    // Below 573 K the salt's terms give NaN: pressure, fugacities and state
    // functions there are failures, never NaN with the error flag clear.
    for (double T : {400.0, 500.0, 560.0}) {
        auto m = makeBrine();
        m->temperature(T);
        m->volume(3e-5);
        m->errorflag = 0;
        m->calculate_pressure();
        EXPECT_TRUE(m->errorflag != 0 || std::isfinite(m->P)) << T;
        m->errorflag = 0;
        m->calculate_fugacities();
        EXPECT_TRUE(m->errorflag != 0 || std::isfinite(m->fugcoef[0])) << T;
        m->errorflag = 0;
        m->calculate_state_functions();
        EXPECT_TRUE(m->errorflag != 0 || (std::isfinite(m->H) && std::isfinite(m->S))) << T;
    }
}
