// Critical points and the critical curve of a binary van der Waals mixture
// against closed forms written independently of the framework.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "equilibria/tests/TestBinary.h"
#include "fluid/tests/TestDataDir.h"
#include "fluid/tests/VdWFluid.h"
#include "numerics/Newton.h"

namespace {

void setState(FluidPhase& f, double T, double V, double x1) {
    f.composition_of_component(0, 1.0 - x1);
    f.composition_of_component(1, x1);
    f.temperature(T);
    f.volume(V);
}

// The curve's rows from an array of 16 values a row.
std::vector<std::vector<double>> rowsOf(const std::vector<double>& flat) {
    std::vector<std::vector<double>> rows;
    for (std::size_t k = 0; k + 16 <= flat.size(); k += 16) rows.emplace_back(flat.begin() + k, flat.begin() + k + 16);
    return rows;
}

}  // namespace

TEST(MixtureCritical, OracleReducesToThePureCriticalPoints) {
    // The oracle itself: near either pure component it gives that component's
    // 8a/(27Rb), 3b.
    const VdWMixture::Critical c0 = mix.critical(1e-9), c1 = mix.critical(1.0 - 1e-9);
    EXPECT_NEAR(c0.T, 8.0 * kA0 / (27.0 * VdWMixture::R * kB0), 1e-4);
    EXPECT_NEAR(c0.V, 3.0 * kB0, 1e-10);
    EXPECT_NEAR(c1.T, 8.0 * kA1 / (27.0 * VdWMixture::R * kB1), 1e-4);
    EXPECT_NEAR(c1.V, 3.0 * kB1, 1e-10);
}

TEST(MixtureCritical, DerivativeSetAndStabilityAgreeWithTheClosedForms) {
    auto f = makeMixture();
    for (double x1 : {0.1, 0.5, 0.85}) {
        setState(*f, 320.0, 1.5e-4, x1);
        f->calculate_critical_parameters();
        ASSERT_EQ(f->errorflag, 0);
        const VdWMixture::Set s = mix.derivatives(320.0, 1.5e-4, x1);
        EXPECT_LT(rel(f->d2Adx2, s.xx), 1e-10);
        EXPECT_LT(rel(f->d2AdVdx, s.xV), 1e-10);
        EXPECT_LT(rel(f->d3Adx3, s.xxx), 1e-9);
        EXPECT_LT(rel(f->d4AdVdx3, s.xxxV), 1e-9);
        EXPECT_LT(rel(f->d4Adx4, s.xxxx), 1e-9);
    }
}

TEST(MixtureCritical, FixedCompositionMatchesTheClosedConditions) {
    // An ideal part is linear in x (and the framework adds the mixing term
    // itself): it changes nothing.
    TestDataDir data("critideal");
    data.write("compo/standard.txt", "GasA 7.0 0.5 -1000 50.0 A\nGasB 9.0 0.2 -2000 60.0 B\n");
    auto f = makeMixture(true);
    f->add_component("GasA");
    f->add_component("GasB");
    f->molar_mass = {0.044, 0.058};
    for (double x1 : {0.05, 0.3, 0.5, 0.7, 0.95}) {
        const VdWMixture::Critical c = mix.critical(x1);
        // The product form of the conditions has a narrow basin (and a
        // spurious root near the co-volume): starts as close as a tracer's
        // predictions.
        setState(*f, 1.002 * c.T, 1.01 * c.V, x1);
        f->search_a_critical_point(kCriticalPointFixedComposition);
        ASSERT_EQ(f->errorflag, 0) << x1;
        EXPECT_LT(rel(f->T, c.T), 1e-9) << x1;
        EXPECT_LT(rel(f->V, c.V), 1e-8) << x1;
        EXPECT_LT(rel(f->P, c.P), 1e-8) << x1;
        EXPECT_DOUBLE_EQ(f->x[1], x1);
        EXPECT_LT(rel(f->stabilityTerm(), VdWMixture::stability(mix.derivatives(c.T, c.V, x1))), 1e-6) << x1;
        EXPECT_GT(f->stabilityTerm(), 0.0);  // a stable liquid-vapour critical point
        EXPECT_EQ(f->Vc_last, f->V);
    }
}

TEST(MixtureCritical, FixedTemperatureFindsTheComposition) {
    auto f = makeMixture();
    const VdWMixture::Critical c = mix.critical(0.4);
    setState(*f, c.T, 1.05 * c.V, 0.37);
    f->search_a_critical_point(kCriticalPointFixedTemperature);
    ASSERT_EQ(f->errorflag, 0);
    EXPECT_NEAR(f->x[1], 0.4, 1e-9);
    EXPECT_NEAR(f->x[0], 0.6, 1e-9);
    EXPECT_LT(rel(f->V, c.V), 1e-8);
    EXPECT_DOUBLE_EQ(f->T, c.T);
}

TEST(MixtureCritical, AnalyticJacobiansAgreeWithDifferences) {
    auto f = makeMixture();
    const VdWMixture::Critical c = mix.critical(0.5);
    Newton& s = *f->criticalSolver;
    setState(*f, c.T, c.V, 0.5);
    s._setSysEquationToSolve(f.get(), toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingCriticalPoint2TV),
                             2);
    double tv[2] = {1.02 * c.T, 1.1 * c.V}, htv[2] = {1e-4, 1e-11};
    std::FILE* sink = std::fopen("/dev/null", "w");
    EXPECT_LT(s.check_derivatives(sink, tv, htv), 1e-5);
    s._setSysEquationToSolve(f.get(), toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingCriticalPoint2xV),
                             2);
    double xv[2] = {0.45, 1.1 * c.V}, hxv[2] = {1e-7, 1e-11};
    EXPECT_LT(s.check_derivatives(sink, xv, hxv), 1e-5);
    std::fclose(sink);
}

TEST(MixtureCritical, TangentMatchesTheSlopeOfTheClosedFormCurve) {
    auto f = makeMixture();
    for (double x1 : {0.2, 0.6}) {
        const VdWMixture::Critical c = mix.critical(x1);
        setState(*f, c.T, c.V, x1);
        f->search_a_critical_point(kCriticalPointFixedComposition);
        ASSERT_EQ(f->errorflag, 0);
        double dTdx = 0, dVdx = 0;
        f->next_critical_point(dTdx, dVdx);
        const double h = 1e-5;
        const VdWMixture::Critical p = mix.critical(x1 + h), m = mix.critical(x1 - h);
        EXPECT_LT(rel(dTdx, (p.T - m.T) / (2 * h)), 1e-5) << x1;
        EXPECT_LT(rel(dVdx, (p.V - m.V) / (2 * h)), 1e-4) << x1;
    }
}

TEST(MixtureCritical, SymmetricMixtureHasItsLiquidLiquidCriticalPointAtHalf) {
    // Equal a and b with k01 = 0.3: a(x) = a (1 - 2 k x0 x1), A_xV = 0 at
    // x1 = 1/2, where A_xx = 4 RT - 4 a k / V vanishes at V = a k / (R T).
    const double k = 0.3, T = 200.0, R = VdWMixture::R;
    VdWFluid f({kA0, kA0}, {kB0, kB0}, false, k);
    setState(f, T, 1.02 * kA0 * k / (R * T), 0.48);
    f.search_a_critical_point(kCriticalPointFixedTemperature);
    ASSERT_EQ(f.errorflag, 0);
    const double V = kA0 * k / (R * T);
    EXPECT_NEAR(f.x[1], 0.5, 1e-12);
    EXPECT_LT(rel(f.V, V), 1e-10);
    EXPECT_NEAR(f.d2AdVdx, 0.0, 1e-3);  // against terms of order 1e8
    // r = 0: the stability term is A_xxxx - 3 A_xxV^2 / A_VV, with A_xxxx =
    // 32 RT and A_xxV = 4 a k / V^2.
    const double a = kA0 * (1.0 - k / 2.0), u = V - kB0;
    const double AVV = R * T / (u * u) - 2.0 * a / (V * V * V), AxxV = 4.0 * kA0 * k / (V * V);
    EXPECT_LT(rel(f.stabilityTerm(), 32.0 * R * T - 3.0 * AxxV * AxxV / AVV), 1e-8);
}

TEST(MixtureCritical, FailuresAreReportedThroughTheErrorFlag) {
    auto f = makeMixture();
    const VdWMixture::Critical c = mix.critical(0.5);
    // Fixed T from a composition outside [0, 1]: the first evaluation fails.
    setState(*f, c.T, c.V, 0.5);
    f->x[1] = 1.2;
    f->search_a_critical_point(kCriticalPointFixedTemperature);
    EXPECT_EQ(f->errorflag, 1);
    // A volume below the co-volume fails too.
    setState(*f, c.T, 3e-5, 0.5);
    f->search_a_critical_point(kCriticalPointFixedTemperature);
    EXPECT_EQ(f->errorflag, 1);
    // An unknown search kind.
    setState(*f, c.T, c.V, 0.5);
    testing::internal::CaptureStderr();
    f->search_a_critical_point(static_cast<CriticalPointFlag>(7));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("unknown search kind"), std::string::npos);
    EXPECT_EQ(f->errorflag, 1);
    // A pure fluid is not a binary mixture.
    VdWFluid pure({kA0}, {kB0}, false);
    pure.temperature(300.0);
    pure.volume(1.3e-4);
    testing::internal::CaptureStderr();
    pure.search_a_critical_point(kCriticalPointFixedComposition);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Works only for binary fluids\n");
    EXPECT_EQ(pure.errorflag, 1);
    std::vector<double> out;
    testing::internal::CaptureStderr();
    pure.calculate_the_critical_curve("critp", kCriticalCurveFromComponent0, 1, 1.0, 0.005, 1e-6, -1, 6, "", &out);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(std::filesystem::exists("critp"));
}

TEST(MixtureCritical, CriticalPointAtFixedTemperatureInVolumeAlone) {
    auto f = makeMixture();
    const VdWMixture::Critical c = mix.critical(0.5);
    setState(*f, c.T, c.V, 0.5);
    f->search_a_critical_point(kCriticalPointFixedComposition);
    ASSERT_EQ(f->errorflag, 0);
    // From the stored volume: the spinodal temperature and G3x = 0 in V.
    f->T_spinodal_start = c.T;
    f->Vc_last = 1.02 * c.V;
    f->search_a_critical_point1();
    ASSERT_EQ(f->errorflag, 0);
    EXPECT_LT(rel(f->T, c.T), 1e-7);
    EXPECT_LT(rel(f->V, c.V), 1e-6);
    EXPECT_LT(rel(f->P, c.P), 1e-6);
}

TEST(CriticalCurve, JoinsThePureCriticalPointsAlongTheClosedForm) {
    auto f = makeMixture();
    f->temperature(300.0);
    f->volume(1.3e-4);
    std::vector<double> flat;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    f->calculate_the_critical_curve("crit6", kCriticalCurveFromComponent0, 1, 1.0, 0.005, 1e-6, -1, 6, "", &flat);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    const auto rows = rowsOf(flat);
    ASSERT_GT(rows.size(), 50u);
    EXPECT_EQ(flat.size() % 16, 0u);
    // First row: pure component 0; second: x1 = 1e-6; last: pure component 1.
    EXPECT_EQ(rows.front()[4], 0.0);
    EXPECT_NEAR(rows.front()[2], 8.0 * kA0 / (27.0 * VdWMixture::R * kB0), 1e-6);
    EXPECT_NEAR(rows.front()[1], 3e6 * kB0, 1e-6);
    EXPECT_NEAR(rows.front()[0], kA0 / (27.0 * kB0 * kB0) * 1e-5, 1e-6);
    EXPECT_NEAR(rows[1][4], 1e-6, 1e-15);
    EXPECT_EQ(rows.back()[4], 1.0);
    EXPECT_NEAR(rows.back()[2], 8.0 * kA1 / (27.0 * VdWMixture::R * kB1), 1e-6);
    EXPECT_NEAR(rows.back()[1], 3e6 * kB1, 1e-6);
    // Every mixture row lies on the closed-form curve, with its molar mass,
    // density and tangent.
    for (std::size_t k = 1; k + 1 < rows.size(); ++k) {
        const auto& r = rows[k];
        const VdWMixture::Critical c = mix.critical(r[4]);
        EXPECT_LT(rel(r[2], c.T), 1e-8) << k;
        EXPECT_LT(rel(r[1], c.V * 1e6), 1e-7) << k;
        EXPECT_LT(rel(r[0], c.P * 1e-5), 1e-7) << k;
        EXPECT_NEAR(r[3] + r[4], 1.0, 1e-12);
        const double M = r[3] * 0.044 + r[4] * 0.058;
        EXPECT_LT(rel(r[13], M / (r[1] * 1e-6)), 1e-12);
        EXPECT_LT(rel(r[10], r[5] / M), 1e-12);
        EXPECT_GT(r[12], 0.0);
        if (k > 1) {
            EXPECT_GT(r[4], rows[k - 1][4]);
        }
    }
    EXPECT_GT(rows[rows.size() - 2][4], 0.999 - 0.005);
}

TEST(CriticalCurve, FromEitherComponentStepsIntoTheMixturesWhateverTheSigns) {
    // From a pure component the offset and the steps point away from it,
    // whatever the signs given, in composition steps (dx 0.005) and in
    // temperature steps (dx 1: |dx dT/dx1| > 50 K); every row lies in
    // 0 <= x1 <= 1 on the closed-form curve, and the curve closes at the
    // other component.
    auto f = makeMixture();
    for (int flag : {kCriticalCurveFromComponent0, kCriticalCurveFromComponent1})
        for (double dx : {0.005, -0.005, 1.0, -1.0})
            for (double dT : {1.0, -1.0})
                for (double dx0 : {1e-6, -1e-6}) {
                    const bool from1 = flag == kCriticalCurveFromComponent1;
                    const std::string where = "flag " + std::to_string(flag) + " dx " + std::to_string(dx) +
                                              " dT " + std::to_string(dT) + " dx0 " + std::to_string(dx0);
                    f->temperature(from1 ? 390.0 : 300.0);
                    f->volume(from1 ? 1.5e-4 : 1.3e-4);
                    std::vector<double> flat;
                    testing::internal::CaptureStdout();
                    testing::internal::CaptureStderr();
                    f->calculate_the_critical_curve(nullptr, static_cast<CriticalCurveFlag>(flag), 1, dT, dx, dx0, -1,
                                                    6, nullptr, &flat);
                    testing::internal::GetCapturedStdout();
                    testing::internal::GetCapturedStderr();
                    const auto rows = rowsOf(flat);
                    ASSERT_GT(rows.size(), 20u) << where;
                    EXPECT_EQ(rows.front()[4], from1 ? 1.0 : 0.0) << where;
                    EXPECT_NEAR(rows[1][4], from1 ? 1.0 - 1e-6 : 1e-6, 1e-12) << where;
                    EXPECT_EQ(rows.back()[4], from1 ? 0.0 : 1.0) << where;
                    for (std::size_t k = 1; k + 1 < rows.size(); ++k) {
                        const double x1 = rows[k][4];
                        ASSERT_TRUE(x1 >= 0.0 && x1 <= 1.0) << where << " row " << k << " x1 " << x1;
                        EXPECT_LT(rel(rows[k][2], mix.critical(x1).T), 1e-7) << where << " row " << k;
                        if (k > 1) {
                            EXPECT_TRUE(from1 ? x1 < rows[k - 1][4] : x1 > rows[k - 1][4]) << where << " row " << k;
                        }
                    }
                }
}

TEST(CriticalCurve, TextFilesAndTheSteepStart) {
    auto f = makeMixture();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    f->temperature(300.0);
    f->volume(1.3e-4);
    f->calculate_the_critical_curve("critI", kCriticalCurveFromComponent0, 1, 1.0, 0.005, 1e-6, -1, 1, "_a", nullptr);
    // From component 1 downwards in x1 (negative offset and step).
    f->temperature(390.0);
    f->volume(1.5e-4);
    f->calculate_the_critical_curve("critG", kCriticalCurveFromComponent1, 1, -1.0, -0.005, -1e-6, -1, 2, nullptr,
                                    nullptr);
    // Mode 5: rows of 16 raw doubles.
    f->temperature(300.0);
    f->volume(1.3e-4);
    f->calculate_the_critical_curve("critB", kCriticalCurveFromComponent0, 1, 1.0, 0.005, 1e-6, -1, 5, nullptr,
                                    nullptr);
    // Mode 0 creates the file empty.
    f->temperature(300.0);
    f->volume(1.3e-4);
    f->calculate_the_critical_curve("crit0", kCriticalCurveFromComponent0, 1, 1.0, 0.005, 1e-6, -1, 0, nullptr,
                                    nullptr);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();

    std::ifstream igor("critI");
    std::string line;
    std::getline(igor, line);
    EXPECT_EQ(line, "IGOR");
    std::getline(igor, line);
    EXPECT_EQ(line.rfind("WAVES     P_a           V_a           T_a          x0_a", 0), 0u) << line;
    EXPECT_NE(line.find("       stabi_a         rho_a        dTdx_a        dvdx_a"), std::string::npos) << line;
    std::getline(igor, line);
    EXPECT_EQ(line, "BEGIN");
    std::getline(igor, line);  // the pure component: "nan" stability, no tangent
    EXPECT_NE(line.find("         nan "), std::string::npos) << line;
    EXPECT_EQ(line.substr(line.size() - 25), "           0            0");
    std::string last;
    while (std::getline(igor, line)) last = line;
    EXPECT_EQ(last, "END");

    std::ifstream text("critG");
    std::getline(text, line);
    EXPECT_EQ(line.rfind("#        P(1)         V(2)         T(3)        x0(4)", 0), 0u) << line;
    std::vector<double> first;
    std::getline(text, line);
    std::getline(text, line);  // x1 = 1 - 1e-6
    double P = 0, V = 0, T = 0, x0 = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf %lf", &P, &V, &T, &x0), 4);
    EXPECT_NEAR(x0, 1e-6, 1e-12);
    std::string lastRow;
    while (std::getline(text, line)) lastRow = line;
    ASSERT_EQ(std::sscanf(lastRow.c_str(), "%lf %lf %lf %lf", &P, &V, &T, &x0), 4);
    EXPECT_EQ(x0, 1.0);  // closed at pure component 0
    EXPECT_NEAR(T, 8.0 * kA0 / (27.0 * VdWMixture::R * kB0), 1e-3);

    const auto bytes = std::filesystem::file_size("critB");
    EXPECT_EQ(bytes % 128, 0u);
    EXPECT_GT(bytes / 128, 50u);
    std::ifstream bin("critB", std::ios::binary);
    double row0[16], row1[16];
    bin.read(reinterpret_cast<char*>(row0), sizeof row0);
    bin.read(reinterpret_cast<char*>(row1), sizeof row1);
    EXPECT_EQ(row0[4], 0.0);
    EXPECT_FALSE(std::isnan(row0[12]));  // the stored stability term, not "nan"
    EXPECT_EQ(row0[14], 0.0);
    EXPECT_NEAR(row1[4], 1e-6, 1e-15);

    EXPECT_TRUE(std::filesystem::exists("crit0"));
    EXPECT_EQ(std::filesystem::file_size("crit0"), 0u);
}

TEST(CriticalCurve, FromAPreparedStateAtFixedTemperature) {
    auto f = makeMixture();
    const VdWMixture::Critical c = mix.critical(0.5);
    setState(*f, c.T, 1.01 * c.V, 0.49);
    std::vector<double> flat;
    testing::internal::CaptureStdout();
    f->calculate_the_critical_curve(nullptr, kCriticalCurveFromStateFixedT, 1, 1.0, 0.005, 0.0, -1, 6, nullptr,
                                    &flat);
    testing::internal::GetCapturedStdout();
    const auto rows = rowsOf(flat);
    ASSERT_GT(rows.size(), 50u);
    // The first point is the critical point at the caller's temperature.
    EXPECT_NEAR(rows.front()[4], 0.5, 1e-8);
    EXPECT_DOUBLE_EQ(rows.front()[2], c.T);
    EXPECT_EQ(rows.front()[14], 0.0);  // no tangent on the first row
    EXPECT_EQ(rows.back()[4], 1.0);  // closed at pure component 1
    EXPECT_NEAR(rows.back()[2], 8.0 * kA1 / (27.0 * VdWMixture::R * kB1), 1e-6);
    // Every point is a critical point (the conditions also vanish as T goes
    // to 0, which the search refuses).
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
        EXPECT_LT(rel(rows[k][2], mix.critical(rows[k][4]).T), 1e-7) << k;
    }
}

TEST(CriticalCurve, StopsAtTheFirstUnstablePointOrAfterItsLimit) {
    // With k01 = 0.4 the curve from component 0 reaches unstable critical
    // points (negative fourth derivative) on its way to the liquid-liquid region.
    VdWFluid f({kA0, kA1}, {kB0, kB1}, false, 0.4);
    f.temperature(300.0);
    f.volume(1.3e-4);
    std::vector<double> flat;
    testing::internal::CaptureStdout();
    f.calculate_the_critical_curve(nullptr, kCriticalCurveFromComponent0, 1, 1.0, 0.005, 1e-6, -1, 6, nullptr, &flat);
    testing::internal::GetCapturedStdout();
    const auto rows = rowsOf(flat);
    ASSERT_GT(rows.size(), 10u);
    EXPECT_LT(rows.back()[12], 0.0);  // the unstable point is written, and is the last
    for (std::size_t k = 1; k + 1 < rows.size(); ++k) EXPECT_GT(rows[k][12], 0.0) << k;
    EXPECT_GT(rows.back()[4], 0.001);
    EXPECT_LT(rows.back()[4], 0.999);

    // With k01 = 0.5 and no stop the branch is followed through its
    // composition extrema (x1 near 0.226 and 0.219) until its pressure falls
    // to zero: the trace ends there and says so; every point written has a
    // positive pressure.
    VdWFluid g({kA0, kA1}, {kB0, kB1}, false, 0.5);
    g.temperature(300.0);
    g.volume(1.3e-4);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::vector<double> gflat;
    g.calculate_the_critical_curve(nullptr, kCriticalCurveFromComponent0, 0, 1.0, 0.005, 1e-6, -1, 6, nullptr,
                                   &gflat);
    testing::internal::GetCapturedStdout();
    const std::string gerr = testing::internal::GetCapturedStderr();
    const auto grows = rowsOf(gflat);
    ASSERT_GT(grows.size(), 100u);
    for (const auto& r : grows) EXPECT_GT(r[0], 0.0);
    EXPECT_NE(gerr.find("its pressure falls to zero"), std::string::npos) << gerr;
}

TEST(CriticalCurve, OnlyPointsInsideTheModelsRangeAreWrittenFromEitherEnd) {
    // A range from 330 K: the curve from component 0 (304 K) is traced on
    // until it enters the range and closes at component 1 (392 K); from
    // component 1 it ends where it leaves the range.  The same points, on
    // the closed-form curve, either way; a range the curve never enters is a
    // reported failure with no row.
    const double Tmin = 330.0;
    double ends[2] = {0, 0};
    for (int flag : {kCriticalCurveFromComponent0, kCriticalCurveFromComponent1}) {
        auto f = makeMixture();
        f->validity = {.Tmin = Tmin, .source = "a test range"};
        const bool from1 = flag == kCriticalCurveFromComponent1;
        f->temperature(from1 ? 390.0 : 300.0);
        f->volume(from1 ? 1.5e-4 : 1.3e-4);
        std::vector<double> flat;
        testing::internal::CaptureStderr();
        f->calculate_the_critical_curve(nullptr, static_cast<CriticalCurveFlag>(flag), 1, 1.0, 0.005, 1e-6, -1, 6,
                                        nullptr, &flat);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(f->errorflag, 0) << flag;
        // Leaving the range is said (no failure); entering it is not.
        EXPECT_EQ(err.find("a test range") != std::string::npos, from1) << err;
        const auto rows = rowsOf(flat);
        ASSERT_GT(rows.size(), 10u) << flag;
        for (const auto& r : rows) {
            EXPECT_GE(r[2], Tmin);
            if (r[4] > 0.0 && r[4] < 1.0) {
                EXPECT_LT(rel(r[2], mix.critical(r[4]).T), 1e-7);
            }
        }
        EXPECT_EQ((from1 ? rows.front() : rows.back())[4], 1.0);
        ends[flag == kCriticalCurveFromComponent0 ? 0 : 1] = (from1 ? rows.back() : rows.front())[2];
    }
    // Both ends lie within a step (0.005 in x1) of where the curve crosses 330 K.
    const double dTdx = std::fabs(mix.critical(0.5).T - mix.critical(0.495).T) / 0.005;
    EXPECT_NEAR(ends[0], Tmin, 2.0 * 0.005 * dTdx);
    EXPECT_NEAR(ends[1], Tmin, 2.0 * 0.005 * dTdx);

    auto f = makeMixture();
    f->validity = {.Tmin = 500.0, .source = "a test range"};
    f->temperature(300.0);
    f->volume(1.3e-4);
    std::vector<double> flat;
    testing::internal::CaptureStderr();
    f->calculate_the_critical_curve(nullptr, kCriticalCurveFromComponent0, 1, 1.0, 0.005, 1e-6, -1, 6, nullptr,
                                    &flat);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no point of the curve lies inside the range"), std::string::npos);
    EXPECT_EQ(f->errorflag, 1);
    EXPECT_TRUE(flat.empty());
}

TEST(MixtureCritical, CritWordGivesTheMixturesCriticalPointInEitherOrder) {
    // The console's critical point of a binary at a fixed composition is the
    // mixture's (closed form), not the point where (dP/dV)T,x and
    // (d2P/dV2)T,x vanish inside the two-phase region; the same with the
    // components swapped.
    for (double x1 : {0.05, 0.3, 0.5, 0.7, 0.95}) {
        const VdWMixture::Critical c = mix.critical(x1);
        for (int order : {0, 1}) {
            auto f = order == 0 ? makeMixture()
                                : std::make_unique<VdWFluid>(std::vector<double>{kA1, kA0},
                                                             std::vector<double>{kB1, kB0}, false);
            f->molar_mass = order == 0 ? std::vector<double>{0.044, 0.058} : std::vector<double>{0.058, 0.044};
            const double z1 = order == 0 ? x1 : 1.0 - x1;
            f->composition(1.0 - z1, z1);
            testing::internal::CaptureStdout();
            testing::internal::CaptureStderr();
            f->calculateTheCriticalPoint(1, "_mix");
            testing::internal::GetCapturedStdout();
            const std::string err = testing::internal::GetCapturedStderr();
            const std::string at = "x1 " + std::to_string(x1) + " order " + std::to_string(order);
            ASSERT_EQ(f->errorflag, 0) << at << err;
            EXPECT_LT(rel(f->T, c.T), 1e-8) << at;
            EXPECT_LT(rel(f->V, c.V), 1e-7) << at;
            EXPECT_LT(rel(f->P, c.P), 1e-7) << at;
            EXPECT_EQ(f->x[1], z1) << at;
        }
    }
}
