// Salt effect on water's vapour pressure and the pure-gas saturation table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "brines/MaoDuan.h"
#include "brines/SaltCorr.h"
#include "water/WaterEOS.h"

TEST(SaltCorr, PureWaterLimitsAndSwitches) {
    SaltCorr s;
    s.setNaClParameters();
    EXPECT_EQ(s.h(0.0), 1.0);
    EXPECT_NEAR(s.h(2.0), 1.0 - 0.072 + 0.002, 1e-15);
    // Wagner-Pruss saturation equation: 1.01418 bar at 100 °C, 220.64 at Tc.
    EXPECT_NEAR(s.calculatePsat(373.15), 1.01418, 1e-4);
    EXPECT_NEAR(s.calculatePsat(647.096), 220.64, 1e-12);
    EXPECT_NEAR(s.calculatePsat(500.0), WaterEOS::saturationPressureWagnerPruss(500.0) / 1e5, 1e-6);
    EXPECT_EQ(s.getP0(647.096), s.calculatePsat(647.096));
    EXPECT_EQ(s.getP0(647.2), s.calculatePc(647.2));
    EXPECT_NEAR(s.calculateTc(0.0), 647.096, 1e-12);
    EXPECT_GT(s.calculateTc(0.05), 700.0);
    s.setCaCl2Parameters();
    EXPECT_NEAR(s.calculateTc(0.0), 647.096, 1e-12);
    s.type = 3;
    EXPECT_TRUE(std::isnan(s.calculateTc(0.01)));
}

TEST(Shibue, SaltTermContinuityAndBrinePressure) {
    Shibue s;
    s.setNaClParameters();
    EXPECT_EQ(s.calculate_h(0.0), 0.0);
    // Pure water: 10 x 22.064 bar times the reduced vapour pressure.
    EXPECT_NEAR(s.getPsat(400.0, 0.0), 220.64 * std::exp(s.calculate_g(400.0)), 1e-12);
    for (auto set : {&Shibue::setNaClParameters, &Shibue::setCaCl2Parameters}) {
        (s.*set)();
        const double e = 1e-9;
        EXPECT_NEAR(s.calculate_h(s.x0 - e), s.calculate_h(s.x0 + e), 1e-6);
        const double slopeBelow = (s.calculate_h(s.x0 - e) - s.calculate_h(s.x0 - 2 * e)) / e;
        const double slopeAbove = (s.calculate_h(s.x0 + 2 * e) - s.calculate_h(s.x0 + e)) / e;
        EXPECT_NEAR(slopeBelow, slopeAbove, 1e-3 * std::fabs(slopeBelow));
    }
    s.setNaClParameters();
    // Salt lowers the vapour pressure; above the brine's Tc there is none.
    EXPECT_LT(s.getPsat(373.15, 0.05), s.getPsat(373.15, 0.0));
    const double Tc = s.calculateTc(0.02);
    EXPECT_GT(s.getPsat(640.0, 0.02), 0.0);
    // Between water's critical temperature and the brine's the water term has no value.
    EXPECT_TRUE(std::isnan(s.getPsat(0.5 * (647.1 + Tc), 0.02)));
    EXPECT_EQ(s.getPsat(Tc + 0.01, 0.02), 0.0);
    s.type = 0;
    EXPECT_TRUE(std::isnan(s.getPsat(400.0, 0.01)));
}

TEST(SaltCorr, TablesAndSession) {
    SaltCorr s;
    s.setNaClParameters();
    ASSERT_TRUE(s.getIsopleth("z", 0.0));
    std::ifstream in("isopz");
    std::string line, last;
    int rows = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == ' ') {
            ++rows;
            last = line;
        }
    }
    EXPECT_EQ(rows, 374);  // 273.15 .. 646.15 K
    EXPECT_NEAR(std::stod(last.substr(0, 12)), 646.15, 1e-6);
    EXPECT_FALSE(s.getWaterSaturationCurve("/no/such/dir/x"));
    // Console session: NaCl isopleth at x = 0.01 with suffix 'k', then quit.
    std::FILE* inp = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::fputs("1\nk\n0.01\nq\n", inp);
    std::rewind(inp);
    Shibue sh;
    sh.session(inp, out);
    std::rewind(out);
    char buf[512] = {};
    std::fread(buf, 1, sizeof buf - 1, out);
    EXPECT_NE(std::string(buf).find("Weight percent : 3.18"), std::string::npos);
    EXPECT_TRUE(std::ifstream("isopk").good());
    std::fclose(inp);
    std::fclose(out);
}

TEST(MaoDuan, CriticalPointTriplePointAndBadInput) {
    MaoDuan md;
    double P, rl, rv, Vl, Vv;
    EXPECT_FALSE(md.calculateTheSaturationPressure("Xe", 300.0, P, rl, rv, Vl, Vv));  // nothing selected yet
    for (const auto& k : MaoDuan::table) {
        ASSERT_TRUE(md.calculateTheSaturationPressure(k.name, k.Tc, P, rl, rv, Vl, Vv)) << k.name;
        EXPECT_DOUBLE_EQ(P, k.Pc);
        EXPECT_DOUBLE_EQ(rl, k.rhoc);
        EXPECT_DOUBLE_EQ(rv, k.rhoc);
        EXPECT_DOUBLE_EQ(Vl, k.M / k.rhoc);
    }
    // Water at 100 °C: 1.014 bar, 958.4 and 0.598 kg/m3.
    ASSERT_TRUE(md.calculateTheSaturationPressure("H2O", 373.15, P, rl, rv, Vl, Vv));
    EXPECT_NEAR(P, 1.0142, 2e-3);
    EXPECT_NEAR(rl, 958.35, 1.0);
    EXPECT_NEAR(rv, 0.5976, 0.01);
    // CO2 at its triple point: about 5.18 bar.
    ASSERT_TRUE(md.calculateTheSaturationPressure("CO2", 216.592, P, rl, rv, Vl, Vv));
    EXPECT_NEAR(P, 5.1795, 0.02);
    // An unknown name after CO2 is refused, never answered with CO2's
    // values; outside the range is refused.
    testing::internal::CaptureStderr();
    P = -1.0;
    EXPECT_FALSE(md.calculateTheSaturationPressure("Xe", 250.0, P, rl, rv, Vl, Vv));
    EXPECT_EQ(P, -1.0);
    std::vector<double> none;
    EXPECT_FALSE(md.calculateSaturationCurve("Xe", &none));
    EXPECT_TRUE(none.empty());
    EXPECT_FALSE(md.calculateTheSaturationPressure("CO2", 400.0, P, rl, rv, Vl, Vv));
    testing::internal::GetCapturedStderr();
    std::vector<double> curve;
    ASSERT_TRUE(md.calculateSaturationCurve("CH4", &curve));
    ASSERT_GE(curve.size(), 2u * 199);
    const double dT = (190.564 - 90.6941) / 200.0;
    EXPECT_LT(curve[curve.size() - 2], 190.564);
    EXPECT_GT(curve[curve.size() - 2], 190.564 - dT - 1e-9);
}
