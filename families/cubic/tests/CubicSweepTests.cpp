// Every search of a term-built cubic model of water is held to its answer
// over grids of states, saturation points and critical-point starts, and its
// saturation pressure against the closed form of the same Peng-Robinson fluid.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "families/cubic/PRSV.h"
#include "families/cubic/SRK1.h"
#include "fluid/tests/StateSweep.h"

namespace {

template <class Model, class... Args>
std::unique_ptr<Model> water(Args... args) {
    auto m = std::make_unique<Model>(args...);
    m->number_of_components(1);
    m->add_component("H2O");
    return m;
}

// Saturation pressure (Pa) of a pure Peng-Robinson fluid of energy a and
// co-volume b at T, by successive substitution P <- P phi_l / phi_v on the
// closed-form fugacity coefficients of the roots of its cubic in Z.
double pengRobinsonSaturation(double T, double a, double b, double P) {
    const double R = sweep::R, s2 = std::sqrt(2.0);
    for (int it = 0; it < 200; ++it) {
        const double A = a * P / (R * R * T * T), B = b * P / (R * T);
        // Z^3 + c2 Z^2 + c1 Z + c0 = 0 with three real roots.
        const double c2 = B - 1.0, c1 = A - 3.0 * B * B - 2.0 * B, c0 = B * B * B + B * B - A * B;
        const double q = (3.0 * c1 - c2 * c2) / 9.0, r = (9.0 * c2 * c1 - 27.0 * c0 - 2.0 * c2 * c2 * c2) / 54.0;
        if (q * q * q + r * r >= 0.0) return NAN;
        const double th = std::acos(r / std::sqrt(-q * q * q));
        double z[3];
        for (int k = 0; k < 3; ++k) z[k] = 2.0 * std::sqrt(-q) * std::cos((th + 2.0 * M_PI * k) / 3.0) - c2 / 3.0;
        const double Zl = std::min({z[0], z[1], z[2]}), Zv = std::max({z[0], z[1], z[2]});
        auto lnPhi = [&](double Z) {
            return Z - 1.0 - std::log(Z - B) - A / (2.0 * s2 * B) * std::log((Z + (1.0 + s2) * B) / (Z + (1.0 - s2) * B));
        };
        const double step = lnPhi(Zl) - lnPhi(Zv);
        P *= std::exp(step);
        if (std::fabs(step) < 1e-15) break;
    }
    return P;
}

}  // namespace

TEST(CubicSweep, PengRobinsonStryjekVeraWater) {
    auto m = water<PRSV>(1, 0);
    const sweep::Tally tp = sweep::statesFromTP(*m, sweep::geometric(275.0, 1500.0, 12), sweep::geometric(1e-3, 2e4, 12));
    EXPECT_TRUE(tp.wrong.empty()) << tp.report();
    EXPECT_GT(tp.answered, tp.asked / 2) << tp.report();

    const sweep::Tally vp =
        sweep::temperaturesFromVP(*m, sweep::geometric(280.0, 1500.0, 8), sweep::geometric(2.2e-5, 1.0, 10));
    EXPECT_TRUE(vp.wrong.empty()) << vp.report();
    EXPECT_GT(vp.answered, vp.asked / 2) << vp.report();

    const sweep::Tally sat = sweep::saturationPoints(*m, sweep::linear(275.0, 645.0, 20));
    EXPECT_TRUE(sat.wrong.empty()) << sat.report();
    EXPECT_EQ(sat.answered, sat.asked) << sat.report();
    const sweep::Tally nearCritical = sweep::nearCriticalSaturation(*m, 647.0, 7e-5);
    EXPECT_TRUE(nearCritical.wrong.empty()) << nearCritical.report();
    EXPECT_EQ(nearCritical.answered, nearCritical.asked) << nearCritical.report();

    const sweep::Tally crit = sweep::criticalPoints(*m, {630.0, 647.0, 670.0}, {5e-5, 7e-5, 9e-5});
    EXPECT_TRUE(crit.wrong.empty()) << crit.report();
    EXPECT_GT(crit.answered, 0) << crit.report();

    // Its states do not depend on what it computed before (its liquid lies
    // above real water's, which is below its co-volume).
    const sweep::Tally h = sweep::historyIndependence([] { return water<PRSV>(1, 0); }, 647.096, 7e-5,
                                                      sweep::geometric(275.0, 1500.0, 8),
                                                      sweep::geometric(1e-2, 1e4, 8));
    EXPECT_TRUE(h.wrong.empty()) << h.report();
    EXPECT_GT(h.answered, h.asked * 3 / 4) << h.report();
}

// The cubic models of water find their saturation from their own start
// values (real water's liquid lies below their co-volumes), and the pressure
// is that of the closed-form Peng-Robinson fluid with PRSV's constants
// (Tc 647.096 K, Pc 22.0064 MPa, omega 0.3438; kappa1 = 0).
TEST(CubicSweep, WaterSaturationFromTheModelsOwnStart) {
    auto pr = water<PRSV>(1, 0);
    const double Tc = 647.096, Pc = 22006400.0, w = 0.3438;
    const double kappa = 0.378893 + 1.4897153 * w - 0.17131848 * w * w + 0.0196554 * w * w * w;
    const double ac = 31.607855222133566 * Tc * Tc / Pc, b = 0.64682239464 * Tc / Pc;
    for (double T : {280.0, 330.0, 400.0, 500.0, 600.0, 640.0}) {
        ASSERT_EQ(pr->calculateTheSaturationPressure(T), 0) << T;
        const double alpha = std::pow(1.0 + kappa * (1.0 - std::sqrt(T / Tc)), 2.0);
        // Start from the Wilson estimate of the vapour pressure.
        const double P0 = Pc * std::pow(10.0, 7.0 / 3.0 * (1.0 + w) * (1.0 - Tc / T));
        const double Ps = pengRobinsonSaturation(T, ac * alpha, b, P0);
        EXPECT_NEAR(pr->Pv_sat / Ps, 1.0, 1e-9) << T;
    }
    ASSERT_EQ(pr->calculateTheSaturationPressure(400.0), 0);
    EXPECT_NEAR(pr->Pv_sat * 1e-5, 2.39383, 5e-6);

    auto srk = water<SRK1>(1, 0);
    for (double T : {280.0, 400.0, 550.0, 640.0}) EXPECT_EQ(srk->calculateTheSaturationPressure(T), 0) << T;
}
