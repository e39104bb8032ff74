// Spivey methane solubility: the correlation in closed form, the salting-out
// factor, bubble-pressure round trip, isopleth and the vapour-pressure limit.
#include <gtest/gtest.h>

#include <cmath>

#include "brines/SpiveySolubility.h"
#include "water/WaterEOS.h"

TEST(SpiveySolubility, ClosedFormInPureWaterAndBrine) {
    SpiveySolubility s;
    EXPECT_STREQ(s.modelName(), "Spivey model");
    EXPECT_EQ(s.component_names[1], "CH4");
    const double T = 350.0, P = 2e7;
    s.temperature(T);
    s.Pascal(P);
    s.ms = 0.0;
    s.calculate_gas_solubility0();
    const double t = T - 273.15;
    const double L = std::log((P - WaterEOS::saturationPressureWagnerPruss(T)) * 1e-6);
    const double mw = std::exp((-0.0781 + 0.00013624 * t - 7.751e-7 * t * t) * L * L +
                               (1.02766 + 0.000851 * t + 1.193e-6 * t * t) * L +
                               (-3.6231 - 0.078119 * t + 0.00018316 * t * t) / (1 + 0.0109192 * t - 1.0733e-5 * t * t));
    EXPECT_NEAR(s.mg, mw, 1e-14);
    EXPECT_GT(mw, 0.1);  // about 0.15 mol/kg at 77 °C and 200 bar
    EXPECT_LT(mw, 0.25);
    EXPECT_NEAR(s.x[1], mw / (mw + 55.50847203605297), 1e-15);
    s.ms = 2.0;
    s.calculate_gas_solubility0();
    const double PM = 20.0;
    const double lambda = 0.07015 + 0.0001074 * T + 0.226 * PM / T - 0.001227 * PM * PM / T;
    EXPECT_NEAR(s.mg, mw * std::exp(-2 * lambda * 2.0 + 0.00628 * 4.0), 1e-14);
    EXPECT_NEAR(s.x[0] + s.x[1] + s.x[2], 1.0, 1e-15);
    EXPECT_GT(s.Vg, 30e-6);
    EXPECT_LT(s.Vg, 45e-6);
    EXPECT_NEAR(s.calculate_gas_partial_volume(T, 200.0, 2.0, s.mg), s.Vg, 1e-15);
}

TEST(SpiveySolubility, BelowTheVapourPressureAndRoundTrip) {
    SpiveySolubility s;
    s.temperature(373.15);
    s.pressure(0.5);
    s.calculate_gas_solubility0();
    EXPECT_EQ(s.fugacityError, 1);
    EXPECT_TRUE(std::isnan(s.mg));
    s.ms = 1.0;
    s.temperature(400.0);
    s.pressure(300.0);
    s.calculate_gas_solubility0();
    const double mg = s.mg;
    s.pressure(150.0);
    s.calculate_bubble_pressure(400.0, 0.0, 1.0, mg);
    EXPECT_EQ(s.errorflag, 0);
    EXPECT_NEAR(s.P / 1e5, 300.0, 1e-3);
    std::vector<double> out;
    s.calculate_isopleth(0.05, 0.0, 6, "", &out);
    // The correlation holds to 275 C: the isopleth ends there.
    ASSERT_EQ(out.size(), 552u);
    EXPECT_DOUBLE_EQ(out[0], 273.15);
    EXPECT_DOUBLE_EQ(out[550], 548.15);
    int checked = 0;
    for (size_t i = 0; i < out.size(); i += 50) {
        s.temperature(out[i]);
        s.pressure(out[i + 1]);
        s.calculate_gas_solubility0();
        EXPECT_NEAR(s.mg, 0.05, 1e-6) << out[i];
        ++checked;
    }
    EXPECT_EQ(checked, 12);
}

TEST(SpiveySolubility, TheBaseIsoplethUsesTheCorrelation) {
    SpiveySolubility s;
    std::vector<double> out;
    s.calculateTheIsopleth(1.0, 0.05, 6, "", &out);
    ASSERT_GE(out.size(), 100u);
    for (size_t i = 0; i + 1 < out.size(); i += 50) {
        if (std::isnan(out[i])) continue;
        s.temperature(out[i]);
        s.pressure(out[i + 1]);
        s.ms = 1.0;
        s.calculate_gas_solubility0();
        EXPECT_NEAR(s.mg, 0.05, 1e-6) << out[i];
    }
}

// The vapour over the liquid at the bubble point is the methane of the
// model's gas equation (Soave-Redlich-Kwong): its volume against the SRK
// cubic written here (Tc 190.564 K, Pc 45.99 bar, omega 0.011), and NaN
// wherever the correlation computes no vapour (its solubility, a bubble
// point not found), on a new object and after other calls alike.
TEST(SpiveySolubility, BubblePointGivesTheVapourVolumeOrNaN) {
    auto srkVapourVolume = [](double T, double P) {
        const double R = 8.31434, Tc = 190.564, Pc = 45.99e5, w = 0.011;
        const double m = 0.480 + 1.574 * w - 0.176 * w * w;
        const double alpha = std::pow(1.0 + m * (1.0 - std::sqrt(T / Tc)), 2.0);
        const double A = 0.42748 * alpha * (R * Tc) * (R * Tc) / Pc * P / (R * T * R * T);
        const double B = 0.08664 * R * Tc / Pc * P / (R * T);
        double Z = 1.0;  // the vapour root, by Newton from the ideal gas
        for (int i = 0; i < 100; ++i) {
            const double f = Z * Z * Z - Z * Z + (A - B - B * B) * Z - A * B;
            const double df = 3.0 * Z * Z - 2.0 * Z + (A - B - B * B);
            Z -= f / df;
        }
        return Z * R * T / P;
    };
    for (const bool afterOthers : {false, true}) {
        SpiveySolubility s;
        if (afterOthers) {
            s.calculate_bubble_pressure(300.0, 50.0, 0.0, 0.02);
            s.calculate_bubble_pressure(400.0, 100.0, 0.0, 50.0);  // no bubble point: refused
            EXPECT_EQ(s.errorflag, 1);
            EXPECT_TRUE(std::isnan(s.vapourVolume()));
        }
        s.ms = 1.0;
        s.calculate_gas_solubility(400.0, 300.0, 1.0);
        ASSERT_EQ(s.errorflag, 0);
        EXPECT_TRUE(std::isnan(s.vapourVolume())) << afterOthers;
        for (const double T : {300.0, 400.0, 500.0}) {
            s.calculate_bubble_pressure(T, 150.0, 1.0, 0.1);
            ASSERT_EQ(s.errorflag, 0) << T;
            const double V = srkVapourVolume(T, s.P);
            EXPECT_NEAR(s.vapourVolume(), V, 2e-3 * V) << T << " K, " << s.P / 1e5 << " bar";
            // The same bubble point through the base class's search.
            const double P = s.P;
            SolubilityModel& base = s;
            base.calculate_bubble_pressure(T, 150.0, 1.0, 0.1);
            ASSERT_EQ(s.errorflag, 0) << T;
            EXPECT_NEAR(s.P, P, 1e-6 * P) << T;
            EXPECT_NEAR(s.vapourVolume(), V, 2e-3 * V) << T << " K, through the base class";
        }
    }
}
