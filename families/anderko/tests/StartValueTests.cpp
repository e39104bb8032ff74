#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "equilibria/IFP.h"
#include "families/anderko/Anderko.h"
#include "families/anderko/tests/BoundaryTable.h"

namespace {

// A phase-boundary table of two isotherms.
void writeTwoIsotherms() {
    // 700 K: liquid NaCl fraction 0.1 -> 0.3 as the pressure falls from 300 to 200 bar;
    // 800 K: the same span from 500 to 400 bar.
    writeBoundaryTable({{700, 300, 0.1, 0.001, 40, 200},
                        {700, 200, 0.3, 0.0005, 30, 300},
                        {800, 500, 0.1, 0.002, 45, 150},
                        {800, 400, 0.3, 0.001, 35, 250}});
}

}  // namespace

TEST(AnderkoStartValues, BubblePointInterpolatesInTheTable) {
    writeTwoIsotherms();
    Anderko m(2);
    m.setSystemCode(10);
    m.useVLE();
    m.initializeBubblePoint2(750.0, 0.2);
    // Each isotherm at x = 0.2 lies half-way; then half-way in T.
    EXPECT_NEAR(m.x_liquid[1], 0.2, 1e-12);
    EXPECT_NEAR(m.Vl0, 0.5 * (35 + 40) * 1e-6, 1e-15);
    EXPECT_NEAR(m.Vv0, 0.5 * (250 + 200) * 1e-6, 1e-15);
    EXPECT_NEAR(m.solver()->P, 0.5 * (250 + 450) * 1e5, 1e-6);
    EXPECT_DOUBLE_EQ(m.solver()->T, 750.0);
    EXPECT_NEAR(m.solver()->z[1], 0.2, 1e-15);
    EXPECT_NEAR(m.vapourPhase()->Vv0, m.Vv0, 1e-18);
    // A flash at 250 bar finds a row on the 700 K isotherm alone (the 800 K
    // one lies above 400 bar), no pair to interpolate in T: it leaves the
    // start values of a model just made, none of the bubble point's before.
    m.initializeFlash2(700.0, 250.0);
    EXPECT_EQ(m.x_liquid[1], 0.0);
    EXPECT_EQ(m.Vl0, Anderko::kMadeLiquidStart);
    EXPECT_EQ(m.Vv0, Anderko::kMadeVapourStart);
}

TEST(AnderkoStartValues, MissingTableChangesNothing) {
    std::filesystem::remove("init/initH2ONaCl");
    Anderko m(2);
    m.setSystemCode(10);
    const double Vl = m.Vl0;
    testing::internal::CaptureStderr();
    m.initializeBubblePoint2(750.0, 0.2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("initH2ONaCl"), std::string::npos);
    EXPECT_EQ(m.Vl0, Vl);
    Anderko other(2);
    other.setSystemCode(11);  // another system: nothing read
    testing::internal::CaptureStderr();
    other.initializeBubblePoint2(750.0, 0.2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(AnderkoStartValues, NearestRowKeepsTheFirstOfEqualOnes) {
    {
        std::ofstream f("nearest.txt");
        f << "800 1000 0.825 0.05 0.125 0.1 0.001 0.899 30 60 0 0 0\n";
        f << "800 1200 0.575 0.05 0.375 0.2 0.001 0.799 31 61 0 0 0\n";  // as near: not taken
        f << "600 1200 0.7 0.05 0.25 0.2 0.001 0.799 31 61 0 0 0\n";
        f << "1 2 3\n";  // a short row ends the reading with a message
    }
    Anderko m(2);
    m.setSystemCode(21);
    m.useVLE();
    testing::internal::CaptureStderr();
    m.initializeFromFile("nearest.txt", 810.0, 0.05, 0.25);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("line 4"), std::string::npos);
    EXPECT_DOUBLE_EQ(m.x_liquid[2], 0.125);
    EXPECT_DOUBLE_EQ(m.Vl0, 30e-6);
    EXPECT_DOUBLE_EQ(m.solver()->P, 1000e5);
    EXPECT_NEAR(m.solver()->z[0], 0.7, 1e-15);
}

TEST(AnderkoStartValues, ClosedFormFits) {
    Anderko m(2);
    m.setSystemCode(11);
    m.useVLE();
    m.initializeFromTx(500.0, 0.0, 0.0005);
    EXPECT_DOUBLE_EQ(m.solver()->y[1], 0.0);  // below 0.001 no gas in the vapour estimate
    EXPECT_DOUBLE_EQ(m.Vl0, 2.5e-05);
    m.initializeFromTx(399.9, 0.0, 0.01);
    EXPECT_DOUBLE_EQ(m.Vl0, 1.6e-05);
    EXPECT_DOUBLE_EQ(m.solver()->y[1], 0.99);
    const double g = 0.01;
    EXPECT_NEAR(m.solver()->P, ((((-292830000000.0 * g + 9709200000.0) * g - 14009000) * g + 96125) * g - 12.95) * 1e5,
                1e-3);
}

TEST(AnderkoDrivers, SaltFractionAndWrongSystems) {
    EXPECT_DOUBLE_EQ(Anderko::saltMoleFraction(10.0), 10.0 / (90.0 * 58.5 / 18.0 + 10.0));
    Anderko m(2);
    m.setSystemCode(20);
    testing::internal::CaptureStderr();
    m.calculateTheCriticalCurve("x");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Not a binary system: N = 3"), std::string::npos);
    Anderko b(2);
    b.setSystemCode(10);
    testing::internal::CaptureStderr();
    b.calculateTheTernary("x", 700, 300, 0.1, 0.1, 0.01, 0.01, 3e-5, 2e-4, 0.001, 0, 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Not a ternary system: N = 2"), std::string::npos);
    EXPECT_EQ(b.solver(), nullptr);
}

TEST(AnderkoDrivers, IsochorFromTemperatureAndPressure) {
    Anderko m(2);
    m.setSystemCode(10);
    m.calculateTheIsochorFromTP(773.15, 1000.0, 10.0, "_t");
    EXPECT_EQ(m.errorflag, 0);
    EXPECT_NEAR(m.x[1], Anderko::saltMoleFraction(10.0), 1e-15);
    std::ifstream f("isoc_t");
    std::string first;
    std::getline(f, first);
    EXPECT_EQ(first, "IGOR");
}
