// Salt effect on water's vapour pressure and the pure-gas saturation table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "brines/MaoDuan.h"
#include "brines/SaltCorr.h"
#include "numerics/tests/NumericRows.h"
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

namespace {

double molality(double x) { return x / (0.018 * (1.0 - x)); }

}  // namespace

TEST(SaltCorr, IsothermAndCriticalCurveRowsAgainstTheClosedForms) {
    // Each row is checked against the correlation written out here, with
    // water's vapour pressure from IAPWS-95's saturation equation (Wagner &
    // Pruss) and the critical temperatures of the brine from their fits.
    struct Case { bool calcium; double a, b, M; int type; double c1, c2, c3, c4, xmax; };
    for (const Case& k : {Case{false, -0.036, 0.0005, 58.5, 1, 87.8054, 2425.41, -6077.79, 1170330, 0.2},
                          Case{true, -0.036, 0.0005, 110.0, 2, 0.147871, 74.4241, -21950.4, 54213200, 0.037}}) {
        SCOPED_TRACE(k.calcium ? "CaCl2" : "NaCl");
        SaltCorr s;
        k.calcium ? s.setCaCl2Parameters() : s.setNaClParameters();
        const double T = 473.15, Pw = WaterEOS::saturationPressureWagnerPruss(T) / 1e5;
        ASSERT_TRUE(s.getIsotherm("q", T));
        auto rows = testrows::numericRowsOfFile("isotq");
        ASSERT_GE(rows.size(), static_cast<std::size_t>(k.xmax / 0.001));
        for (const auto& r : rows) {
            ASSERT_EQ(r.size(), 4u);
            const double m = molality(r[0]);
            EXPECT_NEAR(r[2], m, 2e-6);
            EXPECT_NEAR(r[1], (1.0 + k.a * m + k.b * m * m) * Pw, 2e-6 + 1e-7 * Pw);
            EXPECT_NEAR(r[3], 100.0 * r[0] * k.M / ((1.0 - r[0]) * 18.0 + r[0] * k.M), 2e-6);
        }
        EXPECT_NEAR(rows[0][1], 15.549, 2e-3);  // pure water at 200 °C (IAPWS-95: 1.5549 MPa)
        ASSERT_TRUE(s.getCriticalCurve("q"));
        rows = testrows::numericRowsOfFile("critq");
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(std::ceil(k.xmax / 0.005 - 1e-9)));
        EXPECT_NEAR(rows[0][0], 647.096, 1e-6);  // water's critical point starts the curve
        for (const auto& r : rows) {
            ASSERT_EQ(r.size(), 5u);
            const double x = r[2];
            const double Tc = k.type == 1 ? 647.096 + k.c1 * std::sqrt(x) + k.c2 * x + k.c3 * x * x + k.c4 * std::pow(x, 4)
                                          : 647.096 + k.c2 * x / (k.c1 * k.c1 + x) + k.c3 * x * x + k.c4 * std::pow(x, 4);
            EXPECT_NEAR(r[0], Tc, 2e-6);
            const double Pc = 246990.0 - 1507.0 * Tc + 3.6339 * Tc * Tc - 0.0043301 * std::pow(Tc, 3) +
                              2.5531e-6 * std::pow(Tc, 4) - 5.9564e-10 * std::pow(Tc, 5);
            EXPECT_NEAR(r[1], Pc, 1e-5);
            EXPECT_NEAR(r[3], molality(x), 2e-6);
            // Each brine's isopleth ends at its critical temperature.
            ASSERT_TRUE(s.getIsopleth("q", x));
            const auto isopleth = testrows::numericRowsOfFile("isopq");
            ASSERT_FALSE(isopleth.empty());
            EXPECT_LT(isopleth.back()[0], Tc);
            EXPECT_GE(isopleth.back()[0] + 1.0, Tc);
        }
    }
}

TEST(Shibue, IsothermAndCriticalCurveRowsAgainstTheClosedForms) {
    // The isotherm's rows hold P = Pc(x) exp(g(T) + h(x)) with g from
    // IAPWS-95's saturation equation (ln(Psat/Pc) of water) and the brine
    // pressure of the point function; the critical curve starts at water's
    // critical point (647.096 K, 220.64 bar) and its Pc(x) is the fit's.
    for (bool calcium : {false, true}) {
        SCOPED_TRACE(calcium ? "CaCl2" : "NaCl");
        Shibue s;
        calcium ? s.setCaCl2Parameters() : s.setNaClParameters();
        const double T = 423.15, Pw = WaterEOS::saturationPressureWagnerPruss(T) / 1e5;
        ASSERT_TRUE(s.getIsotherm("q", T));
        auto rows = testrows::numericRowsOfFile("isotq");
        ASSERT_GE(rows.size(), static_cast<std::size_t>(s.xmax / 0.001));
        EXPECT_NEAR(rows[0][1], Pw, 2e-6);
        EXPECT_NEAR(rows[0][1], 4.7617, 1e-3);  // pure water at 150 °C (IAPWS-95: 0.47617 MPa)
        for (const auto& r : rows) {
            ASSERT_EQ(r.size(), 8u);
            const double x = r[0];
            EXPECT_NEAR(r[6], std::log(Pw / 220.64), 2e-6);
            EXPECT_NEAR(r[1], r[3] * std::exp(r[6] + r[2]), 2e-6 + 1e-5 * std::fabs(r[1]));
            EXPECT_NEAR(r[1], s.getPsat(T, x), 2e-6);  // T stays below every brine's Tc
            EXPECT_NEAR(r[4], molality(x), 2e-6);
            EXPECT_NEAR(r[7], s.calculateTc(x), 2e-6);
        }
        ASSERT_TRUE(s.getCriticalCurve("q"));
        rows = testrows::numericRowsOfFile("critq");
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(std::ceil(s.xmax / 0.005 - 1e-9)));
        EXPECT_NEAR(rows[0][0], 647.096, 1e-6);
        EXPECT_NEAR(rows[0][1], 220.64, 1e-6);
        for (const auto& r : rows) {
            ASSERT_EQ(r.size(), 5u);
            const double x = r[2];
            const double Pc = calcium ? 10.0 * (22.064 + 8.58985 * x / (0.00647588 * 0.00647588 + x) + 5971.49 * x * x -
                                                28075600 * std::pow(x, 4))
                                      : 10.0 * (22.064 + 900.404 * x - 29254.2 * x * x + 1398060 * std::pow(x, 3) -
                                                28075600 * std::pow(x, 4) + 241637000 * std::pow(x, 5) -
                                                718726000 * std::pow(x, 6));
            EXPECT_NEAR(r[1], Pc, 1e-5 + 1e-8 * Pc);
            EXPECT_NEAR(r[0], s.calculateTc(x), 2e-6);
        }
    }
}
