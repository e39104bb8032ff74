// Brine density models: pure-water limits, published magnitudes at 25 °C,
// the interpolation rules of the density table and the pressure inversion.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <fstream>
#include <string>

#include "brines/MaoDuanSalinityModel.h"
#include "brines/PotterBrown.h"
#include "brines/SpiveyDensityModel.h"
#include "water/WagnerPruss.h"

namespace {

double density(DensityModel& d, double T, double P_bar, double m) {
    d.temperature(T);
    d.pressure(P_bar);
    d.molality(m);
    return d.calculate_density();
}

}  // namespace

TEST(DensityModel, SaltConstantsAndMeanMolarMass) {
    DensityModel d;
    EXPECT_EQ(d.systemType, 0);
    EXPECT_DOUBLE_EQ(d.Ms, 0.058443);
    d.setSystemType(DM_CaCl2);
    EXPECT_DOUBLE_EQ(d.Ms, 0.110986);
    EXPECT_DOUBLE_EQ(d.nu, 3.0);
    EXPECT_DOUBLE_EQ(d.zM, 2.0);
    d.setSystemType(static_cast<DM_SystemType>(7));
    EXPECT_EQ(d.systemType, 7);
    EXPECT_DOUBLE_EQ(d.Ms, 0.058443);
    d.setSystemType(static_cast<DM_SystemType>(-1));
    EXPECT_EQ(d.systemType, -1);
    EXPECT_DOUBLE_EQ(d.zX, -1.0);
    d.setSystemType(DM_NaCl);
    d.molality(0.0);
    EXPECT_DOUBLE_EQ(d.M, 0.018015268);
    d.molality(2.0);
    const double x = 0.018015268 * 2.0 / (1.0 + 0.018015268 * 2.0);
    EXPECT_DOUBLE_EQ(d.M, (1.0 - x) * 0.018015268 + x * 0.058443);
    EXPECT_DOUBLE_EQ(d.calculate_density(), 0.0);
}

TEST(MaoDuanSalinityModel, PureWaterLimitEqualsTheWaterModel) {
    MaoDuanSalinityModel md(0);
    WagnerPruss w(2);
    for (double T : {298.15, 373.15, 473.15}) {
        w.temperature(T);
        w.pressure(200.0);
        w.calculate_molar_volume();
        EXPECT_NEAR(density(md, T, 200.0, 0.0), 0.018015268 / w.V, 1e-9 * 1000.0) << T;
        EXPECT_NEAR(md.V, 0.018015268 / md.rho, 1e-15);
    }
    MaoDuanSalinityModel ms(1);
    EXPECT_NEAR(density(ms, 323.15, 300.0, 0.0), 0.018015268 / WaterEOS::calculateSpiveyVolume(323.15, 300.0), 1e-9);
}

TEST(MaoDuanSalinityModel, NaClAt25CAnd1Molal) {
    MaoDuanSalinityModel md(0);
    const double r = density(md, 298.15, 1.0, 1.0);
    EXPECT_GT(r, 1035.5);
    EXPECT_LT(r, 1037.5);
    // Denser with salt, and with pressure.
    EXPECT_GT(density(md, 298.15, 1.0, 3.0), r);
    EXPECT_GT(density(md, 298.15, 500.0, 1.0), r);
    EXPECT_NEAR(calculate_Mao_Duan_density(298.15, 1.0, 1.0), r, 0.3);
}

TEST(MaoDuanSalinityModel, AtTheReferenceMolalityTheVolumeIsTheReferenceVolume) {
    MaoDuanSalinityModel md(0);
    const double T = 350.0, P = 2e7;
    md.temperature(T);
    md.Pascal(P);
    md.molality(md.mref);
    md.calculate_density();
    const double* c = md.c;
    const double PM = P * 1e-6;
    const double Vref = c[1] + c[2] * T + c[3] * T * T + c[4] * T * T * T +
                        PM * (c[5] + c[6] * T + c[7] * T * T + c[8] * T * T * T);
    EXPECT_NEAR(md.v, Vref / (1000.0 + 1000.0 * md.mref * md.Ms) * 0.001, 1e-15);
}

TEST(MaoDuanSalinityModel, CoefficientBlocksFollowTheSalt) {
    MaoDuanSalinityModel md(0);
    EXPECT_DOUBLE_EQ(md.c[1], 1066.07098);
    EXPECT_DOUBLE_EQ(md.mref, 6.0);
    md.setSystemType(DM_BaCl2);
    EXPECT_DOUBLE_EQ(md.c[1], 1102.29139);
    EXPECT_DOUBLE_EQ(md.mref, 1.5);
    EXPECT_DOUBLE_EQ(md.Pmax, 2e7);
    md.setSystemType(static_cast<DM_SystemType>(7));  // NaCl constants, block kept
    EXPECT_DOUBLE_EQ(md.c[1], 1102.29139);
    EXPECT_DOUBLE_EQ(md.Ms, 0.058443);
    MaoDuanSalinityModel bad(2);
    bad.rho = 5.0;
    EXPECT_EQ(density(bad, 300.0, 1.0, 1.0), 0.0);
    EXPECT_EQ(bad.rho, 5.0);
}

// Each salt's block holds in the range of its fit (Mao & Duan 2008, Table 2:
// NaCl 273.15-573.15 K, 1-1000 bar, to 6 mol/kg; BaCl2 273.15-473.15 K to
// 200 bar and 1.6 mol/kg): outside it no density, an error and a message.
TEST(MaoDuanSalinityModel, RefusesStatesOutsideTheRangeOfItsFit) {
    struct Case {
        DM_SystemType salt;
        double T, P, m;
        bool inRange;
    };
    const Case cases[] = {{DM_NaCl, 573.15, 1000.0, 6.0, true},  {DM_NaCl, 600.0, 500.0, 1.0, false},
                          {DM_NaCl, 263.15, 10.0, 1.0, false},   {DM_NaCl, 400.0, 1500.0, 1.0, false},
                          {DM_NaCl, 400.0, 100.0, 7.0, false},   {DM_BaCl2, 400.0, 150.0, 1.0, true},
                          {DM_BaCl2, 400.0, 300.0, 1.0, false},  {DM_BaCl2, 400.0, 100.0, 2.0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.salt << " " << c.T << " K " << c.P << " bar " << c.m);
        MaoDuanSalinityModel md(0);
        md.setSystemType(c.salt);
        md.errorflag = 0;
        testing::internal::CaptureStderr();
        const double r = density(md, c.T, c.P, c.m);
        const std::string said = testing::internal::GetCapturedStderr();
        if (c.inRange) {
            EXPECT_EQ(md.errorflag, 0);
            EXPECT_GT(r, 700.0);
            EXPECT_LT(r, 1500.0);
        } else {
            EXPECT_TRUE(std::isnan(r));
            EXPECT_EQ(md.errorflag, 1);
            EXPECT_NE(said.find("Mao & Duan (2008) brine density"), std::string::npos) << said;
            EXPECT_NE(said.find("lie outside the range of its fit"), std::string::npos) << said;
        }
    }
}

TEST(PotterBrown, TableValuesAndInterpolationRules) {
    PotterBrown pb;
    EXPECT_DOUBLE_EQ(pb.calculate_Potter_Brown_density(298.15, 1.0, 0.0), 0.997003);
    EXPECT_EQ(pb.errorflag, 0);
    EXPECT_DOUBLE_EQ(pb.calculate_Potter_Brown_density(298.15, 2000.0, 0.0), 1.071908);
    // Linear between two pressure nodes.
    EXPECT_NEAR(pb.calculate_Potter_Brown_density(298.15, 150.0, 0.0), 0.5 * (1.001467 + 1.00584), 1e-12);
    // The grids' ends are the table's range: on them the nodes' values, a
    // little beyond them no density (never the end node's value, which
    // belongs to another state), each end of each axis in turn; an
    // interpolation that gives weight to an empty cell has none either (700
    // bar at 6 mol/kg and 500 C, 6 mol/kg at 25 C between 1 and 100 bar, 0.25
    // mol/kg between water and the empty 0.5 mol/kg cell), nor has a state
    // whose corners are all empty.
    testing::internal::CaptureStderr();
    const struct {
        double T, P, m, rho;
    } states[] = {
        {298.15, 1.0, 0.0, 0.997003},     {298.15, 2000.0, 0.0, 1.071908}, {298.15, 1.0, 6.0, 1.19288},
        {773.15, 2000.0, 6.0, 0.975},     {773.15, 800.0, 6.0, 0.822},     {298.149, 1.0, 0.0, 0.0},
        {773.151, 2000.0, 6.0, 0.0},      {298.15, 0.999, 0.0, 0.0},       {298.15, 2000.01, 0.0, 0.0},
        {298.15, 1.0, -1e-6, 0.0},        {298.15, 2000.0, 6.0001, 0.0},   {280.0, 0.5, -1.0, 0.0},
        {1273.15, 5000.0, 9.0, 0.0},      {773.15, 750.0, 6.0, 0.0},       {298.15, 50.0, 6.0, 0.0},
        {298.15, 1.0, 0.25, 0.0},         {773.15, 100.0, 6.0, 0.0},       {NAN, 1.0, 0.0, 0.0},
    };
    for (const auto& s : states) {
        EXPECT_EQ(pb.calculate_Potter_Brown_density(s.T, s.P, s.m), s.rho) << s.T << " K " << s.P << " bar " << s.m;
        EXPECT_EQ(pb.errorflag, s.rho > 0.0 ? 0 : 1) << s.T << " K " << s.P << " bar " << s.m;
        // Through the model: no value is NaN, never 0 kg/m3 and an infinite volume.
        const double r = density(pb, s.T, s.P, s.m);
        if (s.rho > 0.0) {
            EXPECT_NEAR(r, 1000.0 * s.rho, 1e-9);
        } else {
            EXPECT_TRUE(std::isnan(r) && std::isnan(pb.V) && std::isnan(pb.v)) << r << " " << pb.V;
        }
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("outside the density table"), std::string::npos) << said;
    EXPECT_NE(said.find("holds no value"), std::string::npos) << said;
    EXPECT_NEAR(calculate_Potter_Brown_density(298.15, 1.0, 0.0), 0.997003, 1e-12);
    // Through the model: kg/m3, V = M/rho.
    EXPECT_NEAR(density(pb, 298.15, 1.0, 0.0), 997.003, 1e-9);
    EXPECT_NEAR(pb.V, 0.018015268 / 997.003, 1e-15);
}

TEST(PotterBrown, PressureFromMolarVolume) {
    PotterBrown pb;
    pb.temperature(298.15);
    pb.molality(0.0);
    pb.pressure(300.0);
    const double target = 0.018015268 / 1020.0;
    pb.calculate_pressure(target);
    EXPECT_NEAR(pb.V, target, 1e-13);
    EXPECT_GT(pb.P, 5e7);
    EXPECT_LT(pb.P, 6e7);
}

TEST(SpiveyDensityModel, PureWaterAtTheReferencePressureAndBrine) {
    SpiveyDensityModel s;
    EXPECT_EQ(s.systemType, 7);
    for (double t : {0.0, 50.0, 150.0}) {
        const double rw0 = (1.03265 + 0.00645486 * t - 1.27213e-5 * t * t) / (1.0 + 0.00639589 * t - 7.0291e-6 * t * t);
        EXPECT_NEAR(density(s, t + 273.15, 700.0, 0.0), 1000.0 * rw0, 1e-9) << t;
    }
    const double r = density(s, 298.15, 1.0, 1.0);
    EXPECT_GT(r, 1035.5);
    EXPECT_LT(r, 1037.5);
    WagnerPruss w(2);
    w.temperature(298.15);
    w.pressure(1.0);
    w.calculate_molar_volume();
    EXPECT_NEAR(density(s, 298.15, 1.0, 0.0), 0.018015268 / w.V, 0.3);
}

TEST(DensityModel, PressureInversionRoundTrip) {
    MaoDuanSalinityModel md(0);
    const double rho0 = density(md, 400.0, 350.0, 2.0);
    md.pressure(100.0);
    md.calculate_pressure(rho0);
    EXPECT_EQ(md.errorflag, 0);
    EXPECT_NEAR(md.P, 350e5, 1e2);
    SpiveyDensityModel s;
    const double r1 = density(s, 350.0, 800.0, 3.0);
    s.pressure(10.0);
    s.calculate_pressure(r1);
    EXPECT_NEAR(s.P, 800e5, 1e2);
    // Unreachable density: reported, flagged, pressure reset to 100 bar.
    s.pressure(10.0);
    s.calculate_pressure(-5.0);
    EXPECT_EQ(s.errorflag, 1);
    EXPECT_DOUBLE_EQ(s.P, 1e7);
    EXPECT_TRUE(std::isnan(s.rho));  // no trial's density left standing

    // Sweep of both correlations near the ends of their ranges (Mao & Duan
    // 2008, NaCl: 273-573 K, 1-1000 bar, 0-6 mol/kg; Spivey et al. 2004:
    // 273-548 K, to 2000 bar, 0-5.7 mol/kg): the pressure of each density,
    // searched from 100 bar or from far above the range, is the pressure it
    // came from; a density beyond the range's top has none; a state beyond
    // the range is refused, and the next state inside is not.
    testing::internal::CaptureStderr();
    for (int model : {0, 1}) {
        std::unique_ptr<DensityModel> d;
        if (model == 0)
            d = std::make_unique<MaoDuanSalinityModel>(0);
        else
            d = std::make_unique<SpiveyDensityModel>();
        const double Pmax = d->Pmax / 1e5;
        for (double T : {d->Tmin + 0.01, 0.5 * (d->Tmin + d->Tmax), d->Tmax - 0.01}) {
            for (double m : {0.0, d->mmax}) {
                for (double P : {300.0, 0.9999 * Pmax, Pmax}) {
                    SCOPED_TRACE(testing::Message() << model << " " << T << " K " << m << " mol/kg " << P << " bar");
                    const double r = density(*d, T, P, m);
                    ASSERT_EQ(d->errorflag, 0);
                    ASSERT_GT(r, 500.0);
                    ASSERT_LT(r, 1400.0);
                    for (double start : {100.0, 3.0 * Pmax}) {
                        d->pressure(start);
                        d->calculate_pressure(r);
                        EXPECT_EQ(d->errorflag, 0) << "from " << start;
                        EXPECT_NEAR(d->P / 1e5, P, 1e-5 * P) << "from " << start;
                    }
                }
                const double top = density(*d, T, Pmax, m);
                d->pressure(100.0);
                d->calculate_pressure(top * 1.01);
                EXPECT_EQ(d->errorflag, 1);
                EXPECT_TRUE(std::isnan(d->rho));
                EXPECT_TRUE(std::isnan(density(*d, d->Tmax + 1.0, 300.0, m)));
                EXPECT_EQ(d->errorflag, 1);
                EXPECT_TRUE(std::isfinite(density(*d, T, 300.0, m)));
                EXPECT_EQ(d->errorflag, 0);
            }
        }
    }
    testing::internal::GetCapturedStderr();
}

TEST(DensityModel, CurveFiles) {
    SpiveyDensityModel s;
    s.calculate_isotherm_isobar(300.0, 100.0, 1.0, 0.5, 1, "a");
    std::ifstream in("resa.txt");
    std::string line;
    int rows = 0;
    bool end = false;
    while (std::getline(in, line)) {
        if (line == "END") end = true;
        else if (!line.empty() && line[0] == ' ') ++rows;
    }
    EXPECT_EQ(rows, 1);  // m1 < m0: one row at m1
    EXPECT_TRUE(end);
    std::vector<double> out;
    s.calculate_isochor(1.0, 1040.0, 0, 300.0, 303.0, 6, "b", &out);
    ASSERT_EQ(out.size(), 8u);
    EXPECT_DOUBLE_EQ(out[0], 300.0);
    EXPECT_DOUBLE_EQ(out[6], 303.0);
    for (size_t i = 0; i < 8; i += 2) {
        s.temperature(out[i]);
        s.pressure(out[i + 1]);
        s.molality(1.0);
        EXPECT_NEAR(s.calculate_density(), 1040.0, 1e-4);
    }
    out.clear();
    s.calculate_isochor(1.0, 1030.0, 5, 300.0, 303.0, 6, "b", &out);  // unknown kind refused
    EXPECT_TRUE(out.empty());
}
