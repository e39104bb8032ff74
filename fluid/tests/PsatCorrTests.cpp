#include <gtest/gtest.h>

#include <cmath>

#include "fluid/ComponentFile.h"
#include "fluid/PsatCorr.h"
#include "fluid/tests/TestDataDir.h"
#include "platform/LogSink.h"

TEST(Clapeyron, PassesThroughBoilingAndCriticalPointsAndInverts) {
    Clapeyron c;
    c.set_constants(647.096, 22.064e6, 373.124, 101325.0);
    EXPECT_NEAR(c.Psat(373.124), 101325.0, 1e-8 * 101325.0);
    EXPECT_NEAR(c.Psat(647.096), 22.064e6, 1e-8 * 22.064e6);
    for (double T : {300.0, 450.0, 600.0}) EXPECT_NEAR(c.Tsat(c.Psat(T)), T, 1e-9 * T);
    // ln P is linear in 1/T: the midpoint in 1/T gives the geometric mean pressure.
    const double Tm = 2.0 / (1.0 / 373.124 + 1.0 / 647.096);
    EXPECT_NEAR(c.Psat(Tm), std::sqrt(101325.0 * 22.064e6), 1e-6 * c.Psat(Tm));
}

TEST(Clapeyron, ReadsKeywordFileTakingTheLaterOfRepeatedKeywords) {
    const platform::TracesShown traces;  // what is checked here is in the solvers' traces
    TestDataDir data("clapeyron");
    data.write("compo/Xe", "Tc 289.7 Pc 1.0e6 omega 0.0\nPc 5.84e6\n Tb 165.0 Pb 101325 mw 0.1313\n");
    Clapeyron c;
    testing::internal::CaptureStderr();
    c.set_component("Xe");
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_DOUBLE_EQ(c.Tc, 289.7);
    EXPECT_DOUBLE_EQ(c.Pc, 5.84e6);
    EXPECT_DOUBLE_EQ(c.Tb, 165.0);
    EXPECT_DOUBLE_EQ(c.Pb, 101325.0);
    EXPECT_NE(out.find("Parameters (Tc,Pc,Tb,Pb) : 289.7 58.4 165 1.01325"), std::string::npos);
    EXPECT_NEAR(c.Psat(165.0), 101325.0, 1e-6);
    // Setting the same component again keeps the name and reads the file again.
    c.Tc = 0;
    testing::internal::CaptureStdout();
    c.set_component("Xe");
    testing::internal::GetCapturedStdout();
    EXPECT_STREQ(c.getComponent(), "Xe");
    EXPECT_DOUBLE_EQ(c.Tc, 289.7);
}

TEST(Clapeyron, MissingDataIsReportedNotNaN) {
    TestDataDir data("clapeyron-missing");
    data.write("compo/Kr", "Tc 209.4 Pc 5.5e6\n");  // no Tb, Pb
    Clapeyron c;
    testing::internal::CaptureStdout();
    c.set_component("Kr");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.Tb, 0.0);
    testing::internal::CaptureStderr();
    const double p = c.Psat(150.0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(p, 0.0);
    EXPECT_NE(err.find("no data"), std::string::npos);

    Clapeyron none;
    testing::internal::CaptureStderr();
    none.set_component("NoSuchGas");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("File compo/NoSuchGas not found"), std::string::npos);
    testing::internal::CaptureStderr();
    EXPECT_EQ(none.Tsat(1e5), 0.0);
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
}

TEST(Antoine, MatchesHandComputedWaterValueAndInverts) {
    Antoine a;
    a.set_constants(8.07131, 1730.63, 233.426);  // water, mmHg and degC
    // log10 P = 8.07131 - 1730.63/(100 + 233.426) at 100 degC
    EXPECT_NEAR(a.Psat(373.15), 101336.51494162738, 1e-6);
    EXPECT_NEAR(a.Tsat(a.Psat(350.0)), 350.0, 1e-9);
    EXPECT_EQ(a.getName(), "Antoine");
}

TEST(Antoine, RangeLimits) {
    Antoine a;
    a.set_constants(2.0, 100.0, 10.0);
    // a - b/t = 0 at t = b/a = 50: one mmHg.
    const double T = 50.0 - 10.0 + 273.15;
    EXPECT_NEAR(a.Psat(T), 101325.0 / 760.0, 1e-9);
    EXPECT_EQ(a.Psat(273.15 - 20.0), 1e-20);  // t + c < 0
    EXPECT_DOUBLE_EQ(a.Psat(273.15 - 10.0 + 0.1), std::exp(-100.0) * 101325.0 / 760.0);
}

TEST(Antoine, ReadsFirstAntoineKeywordAndReportsAbsence) {
    const platform::TracesShown traces;  // what is checked here is in the solvers' traces
    TestDataDir data("antoine");
    data.write("compo/H2O", "Tc 647.1\nAntoine 8.07131 1730.63 233.426\nAntoine 1 2 3\n");
    data.write("compo/N2", "Tc 126.2 Pc 3.39e6\n");
    Antoine a;
    testing::internal::CaptureStderr();
    a.set_component("H2O");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Antoine coefficients : 8.07131 1730.63 233.426"),
              std::string::npos);
    EXPECT_DOUBLE_EQ(a.c, 233.426);

    Antoine b;
    testing::internal::CaptureStderr();
    b.set_component("N2");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("No Antoine coefficients has\tbeen found."),
              std::string::npos);
    testing::internal::CaptureStderr();
    EXPECT_EQ(b.Psat(100.0), 0.0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no coefficients"), std::string::npos);
}

TEST(ComponentFile, BadValuesAndPathsAreRefused) {
    TestDataDir data("keywords");
    data.write("compo/Ar", "Tc abc Pc 4.8e6 omega\n");
    double Tc = -1, Pc = -1, omega = -1;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(readComponentKeywords("Ar", {{"Tc", &Tc}, {"Pc", &Pc}, {"omega", &omega}}));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not a number"), std::string::npos);
    EXPECT_EQ(Tc, -1);
    EXPECT_EQ(Pc, 4.8e6);
    EXPECT_EQ(omega, -1);  // keyword at the end of the file without a value
    testing::internal::CaptureStderr();
    EXPECT_FALSE(readComponentKeywords("../compo/Ar", {{"Tc", &Tc}}));
    testing::internal::GetCapturedStderr();
}
