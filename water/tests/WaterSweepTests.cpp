// Every search of the reference water model is held to its answer over grids
// of states, saturation points and critical-point starts; the states of every
// water model do not depend on what the model computed before.
#include <gtest/gtest.h>

#include "fluid/tests/StateSweep.h"
#include "water/HGK.h"
#include "water/Hill.h"
#include "water/Keenan.h"
#include "water/Saul.h"
#include "water/WagnerPruss.h"

TEST(WaterSweep, EveryAnswerIsAnAnswer) {
    WagnerPruss w(2);
    // The liquid range and beyond, 1 mbar to 20 kbar; the vapour root is asked
    // for also where there is none (water at 275-410 K and 350-500 bar).
    const auto Ts = sweep::geometric(260.0, 2000.0, 14);
    auto Ps = sweep::geometric(1e-3, 2e4, 12);
    Ps.push_back(350.0);
    Ps.push_back(500.0);
    const sweep::Tally tp = sweep::statesFromTP(w, Ts, Ps);
    EXPECT_TRUE(tp.wrong.empty()) << tp.report();
    EXPECT_GT(tp.answered, tp.asked / 2) << tp.report();

    const sweep::Tally vp = sweep::temperaturesFromVP(w, sweep::geometric(280.0, 1500.0, 10),
                                                      sweep::geometric(1.8e-5, 1.0, 10));
    EXPECT_TRUE(vp.wrong.empty()) << vp.report();
    EXPECT_GT(vp.answered, vp.asked / 2) << vp.report();

    const sweep::Tally sat = sweep::saturationPoints(w, sweep::linear(275.0, 646.0, 25));
    EXPECT_TRUE(sat.wrong.empty()) << sat.report();
    EXPECT_EQ(sat.answered, sat.asked) << sat.report();

    const sweep::Tally crit = sweep::criticalPoints(w, {600.0, 647.0, 700.0}, {4e-5, 5.6e-5, 8e-5});
    EXPECT_TRUE(crit.wrong.empty()) << crit.report();
    EXPECT_GT(crit.answered, 0) << crit.report();

    // Within 1 % of the saturation pressure from 0.9 to 0.999 Tc (647.096 K).
    const sweep::Tally band = sweep::nearSaturation([] { return std::make_unique<WagnerPruss>(2); }, 647.096);
    EXPECT_TRUE(band.wrong.empty()) << band.report();
    EXPECT_GT(band.answered, band.asked / 2) << band.report();
}

// Every water model has its saturation states up to a thousandth of a kelvin
// below its own critical point (which lies off IAPWS-95's for all but one).
TEST(WaterSweep, SaturationUpToTheCriticalPoint) {
    auto check = [](FluidPhase&& m, const char* name) {
        const sweep::Tally sat = sweep::nearCriticalSaturation(m, 647.1, WaterEOS::kCriticalVolume);
        EXPECT_TRUE(sat.wrong.empty()) << name << ": " << sat.report();
        EXPECT_EQ(sat.answered, sat.asked) << name << ": " << sat.report();
    };
    check(WagnerPruss(2), "Wagner & Pruss");
    check(Hill(2), "Hill");
    check(Saul(2), "Saul & Wagner");
    check(HGK(2), "Haar, Gallagher & Kell");
    check(Keenan(2), "Keenan");
}

// A model that has just found a near-critical saturation (its stored volumes
// near the critical volume) gives the states of a new one: Hill's equation
// found 243.6 kg/m3 at 300 K and 10 bar after the saturation at 645 K, a root
// on a loop of the equation deep inside the two-phase region.
template <class Model>
void waterHistory(const char* name) {
    const auto Ts = sweep::geometric(275.0, 1500.0, 8);
    auto Ps = sweep::geometric(1e-2, 1e4, 8);
    Ps.push_back(10.0);
    const sweep::Tally h = sweep::historyIndependence([] { return std::make_unique<Model>(2); }, 647.096,
                                                      WaterEOS::kCriticalVolume, Ts, Ps);
    EXPECT_TRUE(h.wrong.empty()) << name << ": " << h.report();
    EXPECT_GT(h.answered, h.asked * 3 / 4) << name << ": " << h.report();
}

// Isotherms from Tc to 1.1 Tc, where the branch tests walk the isotherm,
// swept in pressure from 0.01 to 1000 bar.
TEST(WaterSweep, StatesAlongAnIsothermAreThoseOfAFreshModel) {
    const sweep::Tally s = sweep::isothermSweeps([] { return std::make_unique<WagnerPruss>(2); },
                                                 sweep::linear(650.0, 710.0, 3), sweep::geometric(1e-2, 1e3, 8));
    EXPECT_TRUE(s.wrong.empty()) << s.report();
    EXPECT_GT(s.answered, s.asked / 2) << s.report();
}

TEST(WaterSweep, StatesDoNotDependOnWhatTheModelComputedBefore) {
    waterHistory<WagnerPruss>("Wagner & Pruss");
    waterHistory<Hill>("Hill");
    waterHistory<Saul>("Saul & Wagner");
    waterHistory<HGK>("Haar, Gallagher & Kell");
    waterHistory<Keenan>("Keenan");
}

// The stable state from T and P is never a root on a loop of the equation
// inside the two-phase region (where Hill's equation gives 243.6 kg/m3 at
// 300 K and 10 bar, with a lower Gibbs energy than the liquid): in the
// compressed liquid every water model finds the liquid of the reference
// equation, within the models' differences.
template <class Model>
void stableLiquid(const char* name) {
    Model m(2);
    WagnerPruss reference(2);
    for (double T : {300.0, 450.0, 600.0})
        for (double P : {10.0, 1000.0}) {
            if (P < 1e-5 * WaterEOS::saturationPressureWagnerPruss(T)) continue;
            reference.calculateFromTP(T, P, 0);
            ASSERT_EQ(reference.errorflag, 0) << T << " K " << P << " bar";
            const FluidPhase::StableState s = m.calculateStableStateFromTP(T, P);
            EXPECT_EQ(s.phase, FluidPhase::kPhaseLiquid) << name << " " << T << " K " << P << " bar";
            EXPECT_NEAR(m.V / reference.V, 1.0, 5e-3) << name << " " << T << " K " << P << " bar";
        }
}

TEST(WaterSweep, TheStablePhaseIsNeverALoopOfTheEquation) {
    stableLiquid<WagnerPruss>("Wagner & Pruss");
    stableLiquid<Hill>("Hill");
    stableLiquid<Saul>("Saul & Wagner");
    stableLiquid<HGK>("Haar, Gallagher & Kell");
    stableLiquid<Keenan>("Keenan");
}
