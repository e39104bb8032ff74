// Water activity in NaCl solutions and the equilibria of such solutions with
// pure water: vapour pressure lowering, boiling-point elevation and freezing.
// Published values: the osmotic coefficients of NaCl(aq) at 25 C (Robinson &
// Stokes, Electrolyte Solutions, 1959), the Debye-Hueckel slope at 25 C
// (0.3915, Pitzer 1991) and the freezing-point depression of NaCl solutions
// (Bodnar 1993: wt% = 1.78 d - 0.0442 d^2 + 0.000557 d^3 for a depression d in C).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "water/WagnerPruss.h"
#include "water/tests/TextLines.h"

namespace {

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

using watertest::readLines;

// Liquid water at (T, P bar).
void liquidAt(WagnerPruss& w, double T, double P_bar) {
    w.temperature(T);
    w.pressure(P_bar);
    w.calculate_molar_volume();
}

// Pure water's saturation pressure at T (Pa).
double saturationPressure(WagnerPruss& w, double T) {
    w.initializeSaturationVolumesFromT("H2O", T);
    w.temperature(T);
    w.calculate_saturation_pressure();
    return w.Pv_sat;
}

}  // namespace

TEST(WaterActivity, DebyeHuckelSlopeAndPureWater) {
    WagnerPruss w(2);
    liquidAt(w, 298.15, 1.0);
    EXPECT_NEAR(w.calculateDebyeHuckelSlope(), 0.3915, 1e-3);
    // m = 0: phi = 1 and a_w = 1 in every model.
    for (int model : {0, 1, 2}) {
        SCOPED_TRACE(model);
        w.activityModel = model;
        double aw = 0, gamma = 0, phi = 0;
        w.calculateActivity(0.0, aw, gamma, phi);
        EXPECT_DOUBLE_EQ(aw, 1.0);
        EXPECT_DOUBLE_EQ(phi, 1.0);
    }
}

TEST(WaterActivity, Pitzer1984AgainstRobinsonAndStokes) {
    WagnerPruss w(2);
    liquidAt(w, 298.15, 1.0);
    struct Row {
        double m, phi;
    };
    const Row rows[] = {{0.1, 0.9321}, {0.5, 0.9209}, {1.0, 0.9355}, {2.0, 0.9833}, {4.0, 1.1158}, {6.0, 1.2706}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.m);
        double aw = 0, gamma = 1, phi = 0;
        w.calculatePitzer84(r.m, aw, gamma, phi);
        EXPECT_NEAR(phi, r.phi, 5e-3);
        EXPECT_DOUBLE_EQ(aw, std::exp(-2.0 * 0.018 * r.m * phi));
        EXPECT_EQ(gamma, 0.0);
    }
    // The dispatcher with the default model is the same call.
    double a1 = 0, g1 = 0, p1 = 0, a2 = 0, g2 = 0, p2 = 0;
    w.calculateActivity(1.5, a1, g1, p1);
    w.calculatePitzer84(1.5, a2, g2, p2);
    EXPECT_EQ(a1, a2);
    EXPECT_EQ(p1, p2);
}

TEST(WaterActivity, ThurmondAndTheLimitingLaw) {
    WagnerPruss w(2);
    liquidAt(w, 298.15, 1.0);
    double aw = 0, gamma = 1, phi = 0;
    // The Thurmond functions also describe NaCl(aq) near 25 C.
    w.calculateThurmond(1.0, aw, gamma, phi);
    EXPECT_NEAR(phi, 0.9355, 0.01);
    EXPECT_EQ(gamma, 0.0);
    // Limiting law: closed forms in A_phi.
    const double A = w.calculateDebyeHuckelSlope();
    w.activityModel = 7;
    w.calculateActivity(0.01, aw, gamma, phi);
    EXPECT_DOUBLE_EQ(phi, 1.0 - A * 0.1);
    EXPECT_DOUBLE_EQ(gamma, std::exp(-3.0 * A * 0.1));
    EXPECT_DOUBLE_EQ(aw, std::exp(-2.0 * 0.01 * phi / 55.50844));
    // In the dilute limit the three models meet.
    double awP = 0, phiP = 0, awT = 0, phiT = 0, g = 0;
    w.calculatePitzer84(1e-4, awP, g, phiP);
    w.calculateThurmond(1e-4, awT, g, phiT);
    w.calculateDebyeHuckel(1e-4, aw, gamma, phi);
    EXPECT_NEAR(phiP, phi, 2e-4);
    EXPECT_NEAR(phiT, phi, 2e-4);
}

TEST(WaterActivity, IceRelativeToLiquid) {
    WagnerPruss w(2);
    double a = 0;
    w.temperature(273.15);
    w.pressure(1.0);
    w.calculateIceActivity(a);
    EXPECT_NEAR(a, 1.0, 2e-3);
    // Below the melting point ice is the stable phase: a < 1, close to the
    // estimate from the enthalpy of fusion (6.01 kJ/mol).
    w.temperature(263.15);
    w.calculateIceActivity(a);
    EXPECT_NEAR(a, std::exp(-6010.0 / 8.31434 * (1.0 / 263.15 - 1.0 / 273.15)), 6e-3);
    // Pressure destabilises ice (it is less dense than the liquid).
    double aP = 0;
    w.pressure(1000.0);
    w.calculateIceActivity(aP);
    EXPECT_GT(aP, a);
}

TEST(WaterIceMelting, FreezingPointOfNaClSolutions) {
    WagnerPruss w(2);
    w.activityModel = 0;
    // The Thurmond functions that the ice equilibrium uses give the salinity
    // within 4 % of the fit of Bodnar (1993) from 1 to 20 C below freezing.
    for (double d : {1.0, 2.0, 5.0, 10.0, 15.0, 20.0}) {
        SCOPED_TRACE(d);
        const double m = w.calculateIceMeltingH2ONaCl(273.15 - d, 0.0);
        const double wt = 58.44 * m / (1000.0 + 58.44 * m) * 100.0;
        const double bodnar = 1.78 * d - 0.0442 * d * d + 0.000557 * d * d * d;
        EXPECT_LT(rel(wt, bodnar), 0.04);
        EXPECT_EQ(w.m, m);
        // The equilibrium holds at the root: a_ice = a_w.
        double aIce = 0;
        w.calculateIceActivity(aIce);
        EXPECT_NEAR(aIce, w.waterActivity, 1e-8);
    }
    EXPECT_EQ(w.activityModel, 1);
    // A fraction y of the water held elsewhere lowers the salt needed.
    const double m0 = w.calculateIceMeltingH2ONaCl(268.15, 0.0);
    const double m1 = w.calculateIceMeltingH2ONaCl(268.15, 0.01);
    EXPECT_LT(m1, m0);
}

TEST(WaterIceMelting, CurveFile) {
    WagnerPruss w(2);
    w.test1(0);
    EXPECT_TRUE(readLines("ice0").empty());
    w.test1(1);
    const std::vector<std::string> l = readLines("ice0");
    ASSERT_EQ(l.size(), 3u + 101u + 1u);
    EXPECT_EQ(l[0], "IGOR");
    EXPECT_EQ(l[1], "WAVES     T0           m0           x0          wt0           a0");
    EXPECT_EQ(l[2], "BEGIN");
    EXPECT_EQ(l.back(), "END");
    double T = 0, m = 0, x = 0, wt = 0, a = 0;
    ASSERT_EQ(std::sscanf(l[3 + 50].c_str(), "%lf %lf %lf %lf %lf", &T, &m, &x, &wt, &a), 5);
    EXPECT_NEAR(T, 263.15, 1e-6);
    EXPECT_NEAR(x, m / (55.50847203605297 + m), 1e-6);
    EXPECT_NEAR(wt, 58.5 * m / (1000.0 + 58.5 * m) * 100.0, 1e-4);
    EXPECT_NEAR(wt, 1.78 * 10 - 0.0442 * 100 + 0.557, 0.6);
    ASSERT_EQ(std::sscanf(l[3 + 100].c_str(), "%lf", &T), 1);
    EXPECT_NEAR(T, 253.15, 1e-6);
}

TEST(WaterOsmotic, VapourPressureOfTheSolution) {
    WagnerPruss w(2);
    // Pure water: the saturation pressure.
    const double Psat = saturationPressure(w, 373.15);
    w.calculateOsmoticPressure(373.15, 0.0);
    ASSERT_EQ(w.errorflag, 0);
    EXPECT_LT(rel(w.P, Psat), 1e-7);
    EXPECT_DOUBLE_EQ(w.waterActivity, 1.0);
    // 1 mol/kg: the vapour pressure falls as the activity, less the change of
    // the vapour's fugacity coefficient over the pressure drop (second virial
    // coefficient about -450 cm3/mol at 100 C: 5e-4), the liquid's Poynting
    // term being negligible.
    w.calculateOsmoticPressure(373.15, 1.0);
    ASSERT_EQ(w.errorflag, 0);
    const double B = -450e-6;
    EXPECT_NEAR(w.P / Psat, w.waterActivity * std::exp(B * (Psat - w.P) / (8.31434 * 373.15)), 1e-4);
    EXPECT_LT(w.waterActivity, 0.975);
    EXPECT_GT(w.waterActivity, 0.96);
    const double P1 = w.P;
    // Round trip: the boiling temperature at that pressure is 373.15 K.
    testing::internal::CaptureStdout();
    w.calculateOsmoticTemperature(P1 * 1e-5, 1.0);
    const std::string said = testing::internal::GetCapturedStdout();
    ASSERT_EQ(w.errorflag, 0);
    EXPECT_NEAR(w.T, 373.15, 1e-4);
    EXPECT_EQ(said.rfind("T ", 0), 0u);
    // The boiling-point elevation of 1 mol/kg NaCl at one atmosphere: two ions
    // times the ebullioscopic constant 0.512 K kg/mol times phi (0.94).
    testing::internal::CaptureStdout();
    w.calculateOsmoticTemperature(1.01325, 1.0);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(w.errorflag, 0);
    EXPECT_NEAR(w.T - 373.124, 2 * 0.512 * 0.94, 0.03);
}

TEST(WaterOsmotic, IsothermAndIsoplethFiles) {
    WagnerPruss w(2);
    // The activity model holds to 6 mol/kg (Pitzer, Peiper & Busey 1984): the
    // isotherm of 0.1 mol/kg steps stops there, said once.
    testing::internal::CaptureStderr();
    w.calculateOsmoticIsotherm(373.15, 1, "a");
    const std::string beyond = testing::internal::GetCapturedStderr();
    EXPECT_NE(beyond.find("Pitzer, Peiper & Busey (1984)"), std::string::npos) << beyond;
    std::vector<std::string> l = readLines("osmoa");
    ASSERT_EQ(l.size(), 2u + 61u + 2u);
    EXPECT_EQ(l[0], "IGOR");
    EXPECT_EQ(l[1], "WAVES     Ta           ma           Pa           xa          Vla          Vva           aa         phia");
    EXPECT_EQ(l.back(), "END");
    double T = 0, m = 0, P = 0, x = 0, Vl = 0, Vv = 0, a = 0, phi = 0;
    ASSERT_EQ(std::sscanf(l[3 + 60].c_str(), "%lf %lf %lf %lf %lf %lf %lf %lf", &T, &m, &P, &x, &Vl, &Vv, &a, &phi), 8);
    EXPECT_NEAR(m, 6.0, 1e-9);
    EXPECT_NEAR(x, 6.0 / (55.50847203605297 + 6.0), 1e-6);
    EXPECT_LT(P, 1.0);
    EXPECT_GT(Vv, 100.0 * Vl);
    // Where the first point fails (no liquid above the critical point) only
    // the header is written.
    testing::internal::CaptureStdout();
    w.calculateOsmoticIsotherm(700.0, 1, "b");
    testing::internal::GetCapturedStdout();
    l = readLines("osmob");
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[2], "BEGIN");
    EXPECT_EQ(l[3], "END");
    // Other modes: the rows alone.
    w.calculateOsmoticIsopleth(2.0, 2, "c");
    l = readLines("satosc");
    ASSERT_GT(l.size(), 250u);
    ASSERT_LE(l.size(), 300u);
    ASSERT_EQ(std::sscanf(l[0].c_str(), "%lf %lf %lf", &T, &m, &P), 3);
    EXPECT_NEAR(T, 273.15, 1e-9);
    EXPECT_NEAR(m, 2.0, 1e-9);
    ASSERT_EQ(std::sscanf(l[27].c_str(), "%lf %lf %lf", &T, &m, &P), 3);
    EXPECT_NEAR(T, 300.15, 1e-9);
}
