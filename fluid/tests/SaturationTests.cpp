// Liquid-vapour equilibrium, saturation curve and spinodals of the van der
// Waals test fluid against its exact coexistence curve (Lekner's parametric
// solution, Am. J. Phys. 50 (1982) 161) and its closed-form spinodal.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/tests/RelativeError.h"
#include "fluid/tests/TestDataDir.h"
#include "fluid/tests/TextRows.h"
#include "fluid/tests/VdWFluid.h"
#include "numerics/DataTextFile.h"

namespace {
constexpr double R = 8.31434;
constexpr double kA = 0.3658, kB = 4.286e-5;
const VdWPure pure{kA, kB};

// Exact coexistence of the van der Waals fluid in reduced variables.  With
// w = n/(3 - n) (n = Vc/V) in the two phases written c e^{+y} and c e^{-y},
// equal pressure and chemical potential give
//   c = (y cosh y - sinh y)/(sinh y cosh y - y),  g = 1 + 2c cosh y + c^2,
//   t = 27 c (cosh y + c)/(4 g^2),                p = 8 t w - 27 w^2/(1 + w)^2.
struct Coexistence {
    double T, Vl, Vv, P;  // SI
    double Pv;            // the pressure from the vapour side (oracle self-check)
};

Coexistence lekner(double y) {
    const double c = (y * std::cosh(y) - std::sinh(y)) / (std::sinh(y) * std::cosh(y) - y);
    const double g = 1.0 + 2.0 * c * std::cosh(y) + c * c;
    const double t = 27.0 * c * (std::cosh(y) + c) / (4.0 * g * g);
    const double wl = c * std::exp(y), wv = c * std::exp(-y);
    const double nl = 3.0 * wl / (1.0 + wl), nv = 3.0 * wv / (1.0 + wv);
    auto p = [t](double w) { return 8.0 * t * w - 27.0 * w * w / ((1.0 + w) * (1.0 + w)); };
    return {t * pure.Tc(), pure.Vc() / nl, pure.Vc() / nv, p(wl) * pure.Pc(), p(wv) * pure.Pc()};
}

// The coexistence at reduced temperature tr (bisection in y; t falls with y).
Coexistence leknerAt(double tr) {
    double lo = 1e-3, hi = 30.0;
    for (int i = 0; i < 200; i++) {
        const double mid = 0.5 * (lo + hi);
        if (lekner(mid).T / pure.Tc() > tr)
            lo = mid;
        else
            hi = mid;
    }
    return lekner(0.5 * (lo + hi));
}

// The fluid at its saturation point at reduced temperature tr.
Coexistence saturate(VdWFluid& f, double tr) {
    const Coexistence c = leknerAt(tr);
    f.temperature(c.T);
    f.Vl0 = 0.97 * c.Vl;
    f.Vv0 = 1.1 * c.Vv;
    f.calculate_saturation_pressure();
    return c;
}

std::vector<std::vector<double>> readRows(const std::string& path, std::size_t columns, bool binary) {
    std::vector<std::vector<double>> rows;
    if (binary) {
        std::ifstream in(path, std::ios::binary);
        std::vector<double> row(columns);
        while (in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(columns * sizeof(double))))
            rows.push_back(row);
        return rows;
    }
    return readTextRows(path);
}

std::uintmax_t fileSize(const std::string& path) {
    std::error_code ec;
    const auto n = std::filesystem::file_size(path, ec);
    return ec ? 0 : n;
}

}  // namespace

// ---------------------------------------------------------------- points

TEST(VdWSaturation, PressureAndVolumesMatchTheExactCoexistence) {
    // The oracle itself: both phases at one pressure, and the critical limit.
    const Coexistence near = lekner(1e-3);
    EXPECT_NEAR(near.T / pure.Tc(), 1.0, 1e-6);
    VdWFluid f({kA}, {kB}, false);
    for (double tr : {0.6, 0.7, 0.8, 0.9, 0.95, 0.99}) {
        SCOPED_TRACE(tr);
        const Coexistence c = saturate(f, tr);
        ASSERT_LT(rel(c.Pv, c.P), 1e-11);
        ASSERT_EQ(f.errorflag, 0);
        EXPECT_LT(rel(f.Vl_sat, c.Vl), 1e-9);
        EXPECT_LT(rel(f.Vv_sat, c.Vv), 1e-9);
        EXPECT_LT(rel(f.Pl_sat, c.P), 1e-9);
        EXPECT_LT(rel(f.Pv_sat, c.P), 1e-9);
        EXPECT_LT(f.Vl_sat, f.Vv_sat);
        EXPECT_EQ(f.T, c.T);
        EXPECT_EQ(f.phase_kind, 1);  // restored
    }
}

TEST(VdWSaturation, SystemRejectsPairsThatAreNoTwoPhaseState) {
    VdWFluid f({kA}, {kB}, false);
    f.temperature(0.8 * pure.Tc());
    double G[2], r0[2], r1[2];
    double* J[2] = {r0, r1};
    auto fails = [&](double Vl, double Vv) {
        double xv[2] = {Vl, Vv};
        int err = 0;
        f.equationForCalculatingPsatFromVlVv(xv, G, J, err, 1, nullptr);
        return err != 0;
    };
    const Coexistence c = leknerAt(0.8);
    EXPECT_FALSE(fails(c.Vl, c.Vv));
    EXPECT_TRUE(fails(c.Vv, c.Vl));              // liquid less dense than vapour
    EXPECT_TRUE(fails(c.Vl, c.Vl * (1 + 1e-7)));  // one phase
    EXPECT_TRUE(fails(0.0, c.Vv));               // Vl divides: strictly positive
    EXPECT_TRUE(fails(-c.Vl, c.Vv));
    EXPECT_TRUE(fails(pure.Vc(), c.Vv));          // mechanically unstable liquid
    f.Vc_bound = pure.Vc();
    EXPECT_FALSE(fails(c.Vl, c.Vv));
    EXPECT_TRUE(fails(c.Vl, 0.99 * pure.Vc()));  // does not straddle Vc
    f.Vc_bound = -1.0;
    // The saturation pressure from a start on the wrong side fails.
    f.Vl0 = c.Vv;
    f.Vv0 = c.Vl;
    f.calculate_saturation_pressure();
    EXPECT_EQ(f.errorflag, 1);
}

TEST(VdWSaturation, TemperatureHomogenisationAndEntropyRoundTrips) {
    VdWFluid f({kA}, {kB}, false);
    for (double tr : {0.65, 0.85, 0.97}) {
        SCOPED_TRACE(tr);
        const Coexistence c = leknerAt(tr);
        // Saturation temperature from the exact pressure.
        f.Vl0 = 1.02 * c.Vl;
        f.Vv0 = 0.95 * c.Vv;
        f.calculate_saturation_temperature(c.P, c.T * 1.01);
        ASSERT_EQ(f.errorflag, 0);
        EXPECT_LT(rel(f.T, c.T), 1e-9);
        EXPECT_LT(rel(f.Vl_sat, c.Vl), 1e-8);
        EXPECT_LT(rel(f.Vv_sat, c.Vv), 1e-8);

        // Homogenisation into the liquid: the liquid volume gives T back.
        f.temperature(c.T * 1.005);
        f.Vv0 = 0.97 * c.Vv;
        f.calculateLiquidTh(c.Vl);
        ASSERT_EQ(f.errorflag, 0);
        EXPECT_LT(rel(f.T, c.T), 1e-9);
        EXPECT_LT(rel(f.Vv_sat, c.Vv), 1e-8);
        // ... and into the gas.
        f.temperature(c.T * 0.995);
        f.Vl0 = 1.01 * c.Vl;
        f.calculateGasTh(c.Vv);
        ASSERT_EQ(f.errorflag, 0);
        EXPECT_LT(rel(f.T, c.T), 1e-9);
        EXPECT_LT(rel(f.Vl_sat, c.Vl), 1e-8);

        // Entropies of the two saturated phases give the point back.
        f.calculateFromTV(c.T, c.Vl, 0);
        const double Sl = f.S;
        f.calculateFromTV(c.T, c.Vv, 0);
        const double Sv = f.S;
        f.temperature(c.T * 1.003);
        f.Vl0 = 1.01 * c.Vl;
        f.Vv0 = 0.98 * c.Vv;
        f.calculateLiquidSaturationFromEntropy(Sl);
        ASSERT_EQ(f.errorflag, 0);
        EXPECT_LT(rel(f.T, c.T), 1e-9);
        EXPECT_EQ(f.V, f.Vl_sat);  // left at the liquid
        EXPECT_NEAR(f.S, Sl, 1e-8 * std::fabs(Sl) + 1e-9);
        f.temperature(c.T * 0.997);
        f.Vl0 = 0.99 * c.Vl;
        f.Vv0 = 1.02 * c.Vv;
        f.calculateGasSaturationFromEntropy(Sv);
        ASSERT_EQ(f.errorflag, 0);
        EXPECT_LT(rel(f.T, c.T), 1e-9);
        EXPECT_LT(rel(f.Vv_sat, c.Vv), 1e-8);
    }
}

TEST(VdWSaturation, SlopesOfTheCurveMatchTheExactCoexistence) {
    VdWFluid f({kA}, {kB}, false);
    for (double tr : {0.7, 0.9}) {
        const Coexistence c = saturate(f, tr);
        ASSERT_EQ(f.errorflag, 0);
        double sl = 0, sv = 0;
        ASSERT_EQ(f.next_saturation_point(sl, sv), 0);
        const double h = 1e-4;
        const Coexistence up = leknerAt(tr + h), down = leknerAt(tr - h);
        const double dT = (up.T - down.T);
        EXPECT_LT(rel(sl, (up.Vl - down.Vl) / dT), 1e-5);
        EXPECT_LT(rel(sv, (up.Vv - down.Vv) / dT), 1e-5);
        EXPECT_EQ(f.T, c.T);
    }
}

TEST(VdWSaturation, PressureOffsetAndCapillaryPressureSeparateThePhases) {
    VdWFluid f({kA}, {kB}, false);
    const Coexistence c = leknerAt(0.8);
    f.temperature(c.T);
    f.P_shift = 2e4;
    f.Vl0 = c.Vl;
    f.Vv0 = c.Vv;
    f.calculate_saturation_pressure();
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_NEAR(f.Pl_sat - f.Pv_sat, 2e4, 1e-3);
    // Homogenisation puts the offset the other way round.
    f.temperature(c.T * 1.002);
    f.Vv0 = c.Vv;
    f.calculateLiquidTh(c.Vl);
    ASSERT_EQ(f.errorflag, 0);
    f.calculateFromTV(f.T, c.Vl, 0);
    const double Pl = f.P;
    f.calculateFromTV(f.T, f.Vv_sat, 0);
    EXPECT_NEAR(Pl - f.P, -2e4, 1e-3);
    f.P_shift = 0;

    // A fluid with a surface tension: 2 sigma / r on the vapour (mode 2) or
    // on the liquid (mode 1).
    struct Tension : VdWFluid {
        Tension() : VdWFluid({kA}, {kB}, false) {}
        void calculateSigma(double, double) override { sigma = 0.02; }
    } t;
    t.capillary_radius = 1e-6;
    for (int mode : {2, 1}) {
        t.capillary_mode = mode;
        t.temperature(c.T);
        t.Vl0 = c.Vl;
        t.Vv0 = c.Vv;
        t.calculate_saturation_pressure();
        ASSERT_EQ(t.errorflag, 0);
        t.calculateFromTV(c.T, t.Vl_sat, 0);
        const double ownPl = t.P;
        t.calculateFromTV(c.T, t.Vv_sat, 0);
        const double ownPv = t.P;
        EXPECT_NEAR(mode == 2 ? ownPl - ownPv : ownPv - ownPl, 4e4, 1e-3) << mode;
    }
}

TEST(VdWSaturation, StartValuesFromTheFitsOfNamedFluids) {
    VdWFluid f({kA}, {kB}, false);
    // A name without a fit, or none: the model's own estimates, close to its
    // coexisting volumes, never the values left from before.
    const Coexistence c = leknerAt(0.6);
    for (const char* name : {"Ar", static_cast<const char*>(nullptr)}) {
        f.Vl0 = 1.0;
        f.Vv0 = 2.0;
        f.initializeSaturationVolumesFromT(name, c.T);
        EXPECT_NEAR(f.Vl0 / c.Vl, 1.0, 1e-3);
        EXPECT_NEAR(f.Vv0 / c.Vv, 1.0, 1e-3);
    }
    // CO2 at 250 K: 1046 and 47 kg/m3 (rough fits: start values only), for
    // a model whose co-volume lies below that liquid.
    VdWFluid g({kA}, {3e-5}, false);
    g.initializeSaturationVolumesFromT("CO2", 250.0);
    EXPECT_NEAR(0.044 / g.Vl0, 1046.0, 30.0);
    EXPECT_NEAR(0.044 / g.Vv0, 47.0, 15.0);
    // Below this one's (4.286e-5 m3/mol): its own estimates at 250 K.
    f.initializeSaturationVolumesFromT("CO2", 250.0);
    const Coexistence c250 = leknerAt(250.0 / pure.Tc());
    EXPECT_NEAR(f.Vl0 / c250.Vl, 1.0, 1e-3);
    EXPECT_NEAR(f.Vv0 / c250.Vv, 1.0, 1e-3);
    testing::internal::CaptureStderr();
    f.initializeSaturationVolumesFromP("CO2", 50.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "InitializeSaturationVolumesFromP not implemented\n");
}

TEST(VdWSaturation, TieLineFilesAndConsoleEntries) {
    TestDataDir data("cono");
    data.write("compo/standard.txt", "GasB 7.0 0.5 -1000 50.0 B\n");
    VdWFluid f({kA}, {kB}, true);
    f.add_component("GasB");
    const Coexistence c = leknerAt(0.8);
    f.Vl0 = c.Vl;
    f.Vv0 = c.Vv;
    testing::internal::CaptureStdout();
    f.calculateTheConodeFromT(c.T, 1, "x");
    f.Vl0 = c.Vl;
    f.Vv0 = c.Vv;
    f.calculateTheConodeFromP(c.P / 1e5, c.T + 1.0, 2, nullptr);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("Vaporisation Enthalpy"), std::string::npos);
    EXPECT_NE(said.find("Liquid\n"), std::string::npos);

    std::ifstream in("conox");
    std::string l1, l2;
    std::getline(in, l1);
    std::getline(in, l2);
    EXPECT_EQ(l1, "IGOR");
    EXPECT_EQ(l2.rfind("WAVES     Tx\t", 0), 0u) << l2;
    const auto rows = readRows("conox", 13, false);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NEAR(rows[0][1], c.Vl * 1e6, 1e-5);
    EXPECT_NEAR(rows[1][1], c.Vv * 1e6, 1e-5);
    EXPECT_NEAR(rows[0][3], c.P / 1e5, 1e-5);
    const auto prow = readRows("conop", 12, false);
    ASSERT_EQ(prow.size(), 2u);
    EXPECT_EQ(prow[0].size(), 12u);
    EXPECT_NEAR(prow[0][0], c.T, 1e-5);
    std::ifstream pin("conop");
    std::getline(pin, l1);
    EXPECT_NE(l1.find("Cpm(10)"), std::string::npos);

    // A failed point is reported, not written.
    f.Vl0 = c.Vl;
    f.Vv0 = c.Vv;
    testing::internal::CaptureStderr();
    f.calculateTheConodeFromT(1.2 * pure.Tc(), 2, "bad");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Error calculation\n\n"), std::string::npos);
    EXPECT_EQ(readRows("conobad", 13, false).size(), 0u);

    // The console saturation pressure gives the vaporisation enthalpy.
    f.Vl0 = c.Vl;
    f.Vv0 = c.Vv;
    EXPECT_EQ(f.calculateTheSaturationPressure(c.T), 0);
    EXPECT_LT(rel(f.Vv_sat, c.Vv), 1e-8);
    // Clausius-Clapeyron: Hvap = T (Vv - Vl) dP/dT.
    const Coexistence up = leknerAt(0.8001), down = leknerAt(0.7999);
    EXPECT_LT(rel(f.Hvap, c.T * (c.Vv - c.Vl) * (up.P - down.P) / (up.T - down.T)), 1e-5);
    testing::internal::CaptureStdout();
    f.calculateTheDensityFromTh(c.T);
    const std::string density = testing::internal::GetCapturedStdout();
    char expect[200];
    std::snprintf(expect, sizeof expect, "V : %12.2f cm3/mol", c.Vl * 1e6);
    EXPECT_EQ(density.rfind(expect, 0), 0u) << density;
}

// ---------------------------------------------------------------- spinodals

// T of the spinodal at volume V: R T/(V - b)^2 = 2 a / V^3.
double spinodalT(double V) { return 2.0 * kA * (V - kB) * (V - kB) / (R * V * V * V); }

TEST(VdWSpinodal, PointsMatchTheClosedForm) {
    VdWFluid f({kA}, {kB}, false);
    const double Tc = pure.Tc(), Vc = pure.Vc();
    // Spinodal volume of a branch at T by bisection on the closed form
    // (spinodalT rises from b to Vc and falls beyond).
    auto branchV = [&](double T, bool liquid) {
        double lo = liquid ? 1.0001 * kB : Vc, hi = liquid ? Vc : 1e3 * Vc;
        for (int i = 0; i < 200; i++) {
            const double mid = 0.5 * (lo + hi);
            ((spinodalT(mid) < T) == liquid ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    };
    for (double tr : {0.6, 0.8, 0.95}) {
        SCOPED_TRACE(tr);
        const double T = tr * Tc, Vl = branchV(T, true), Vv = branchV(T, false);
        f.calculateSpinodalPoint(T, 0.97 * Vl);  // liquid branch
        ASSERT_EQ(f.errorflag, 0);
        EXPECT_LT(rel(f.V, Vl), 1e-10);
        EXPECT_LT(rel(spinodalT(f.V), T), 1e-10);
        EXPECT_LT(rel(f.P, pure.P(T, f.V)), 1e-10);
        f.calculateSpinodalPoint(T, 1.05 * Vv);  // vapour branch
        ASSERT_EQ(f.errorflag, 0);
        EXPECT_LT(rel(f.V, Vv), 1e-10);
    }
    // From the volume: T of the spinodal.
    testing::internal::CaptureStdout();
    f.calculateSpinodalPoint1(0.7 * Vc, 0.9 * Tc);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Tsp : ", 0), 0u);
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_LT(rel(f.T, spinodalT(0.7 * Vc)), 1e-9);
    // At given pressure: the liquid spinodal with P = 0.3 Pc.
    f.calculateSpinodalPoint2(0.3 * pure.Pc() / 1e5, 0.8 * Vc, 0.9 * Tc);
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_LT(rel(f.T, spinodalT(f.V)), 1e-9);
    EXPECT_LT(rel(pure.P(f.T, f.V), 0.3 * pure.Pc()), 1e-9);
    // No spinodal above Tc: the failure is reported.
    f.calculateSpinodalPoint(1.2 * Tc, Vc);
    EXPECT_EQ(f.errorflag, 1);
    f.error = 0;
}

TEST(VdWSpinodal, FixedEntropyPointWithAnIdealPart) {
    TestDataDir data("spinos");
    data.write("compo/standard.txt", "GasB 7.0 0.5 -1000 50.0 B\n");
    VdWFluid f({kA}, {kB}, true);
    f.add_component("GasB");
    const double T = 0.85 * pure.Tc();
    f.calculateSpinodalPoint(T, 0.8 * pure.Vc());
    ASSERT_EQ(f.errorflag, 0);
    const double V = f.V;
    f.calculateFromTV(T, V, 0);
    f.calculateSpinodalPointFixedS(f.S, 1.03 * V, 1.02 * T);
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_LT(rel(f.T, T), 1e-8);
    EXPECT_LT(rel(f.V, V), 1e-8);
}

TEST(VdWSpinodal, CurvesFollowTheClosedFormOnBothBranches) {
    VdWFluid f({kA}, {kB}, false);
    f.critical_T = 1.15 * pure.Tc();
    f.critical_V = 1.3 * pure.Vc();
    for (char side : {0, 1}) {
        std::vector<double> rows;
        testing::internal::CaptureStdout();
        f.calculateSpinodalCurve("spin", f.critical_T, f.critical_V, side, 0.6 * pure.Tc(), 6, "s", &rows);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(rows.size() % 12, 0u);
        const std::size_t n = rows.size() / 12;
        ASSERT_GT(n, 200u) << int(side);
        EXPECT_NEAR(rows[0], pure.Tc(), 1e-6);
        EXPECT_NEAR(rows[2], pure.Vc() * 1e6, 1e-4);
        for (std::size_t i = 1; i < n; i++) {
            const double T = rows[12 * i], V = rows[12 * i + 2] * 1e-6;
            EXPECT_LT(rel(spinodalT(V), T), 1e-9) << i;
            EXPECT_TRUE(side == 0 ? V < pure.Vc() : V > pure.Vc());
            EXPECT_NEAR(rows[12 * i + 1], pure.P(T, V) / 1e5, 1e-7 * std::fabs(pure.P(T, V) / 1e5) + 1e-9);
            // No failed point on the way; the last step shortened to land on Tmin.
            if (i + 1 < n) {
                EXPECT_NEAR(T, rows[12 * (i - 1)] - 0.5, 1e-9);
            } else {
                EXPECT_GT(T, rows[12 * (i - 1)] - 0.5);
            }
        }
        EXPECT_EQ(rows[12 * (n - 1)], 0.6 * pure.Tc());
    }
    // Tmin above Tc - 0.5: the critical row and the row on Tmin.
    std::vector<double> rows;
    testing::internal::CaptureStdout();
    f.calculateSpinodalCurve("spin", f.critical_T, f.critical_V, 0, pure.Tc() - 0.2, 6, "s", &rows);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(rows.size(), 24u);
    EXPECT_EQ(rows[12], pure.Tc() - 0.2);
    // Mode 5 writes nothing; modes 1 and 2 the text layouts.
    testing::internal::CaptureStdout();
    f.calculateSpinodalCurve("spin5", f.critical_T, f.critical_V, 0, pure.Tc() - 3.0, 5, "s", nullptr);
    f.calculateSpinodalCurve("spin2", f.critical_T, f.critical_V, 0, pure.Tc() - 3.0, 2, "s", nullptr);
    f.Tmin = pure.Tc() - 3.0;
    f.calculateTheSpinodals("L", "V");
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(std::filesystem::exists("spin5"));
    std::ifstream in("spin2");
    std::string header, first;
    std::getline(in, header);
    std::getline(in, first);
    EXPECT_EQ(header.rfind("#         T(1)          P(2)", 0), 0u) << header;
    char expect[64];
    std::snprintf(expect, sizeof expect, "%13.6f ", pure.Tc());
    EXPECT_EQ(first.rfind(expect, 0), 0u) << first;
    EXPECT_EQ(readRows("spinoL", 12, false).size(), 7u);
    const auto vrows = readRows("spinoV", 12, false);
    ASSERT_EQ(vrows.size(), 7u);
    EXPECT_GT(vrows[3][2], pure.Vc() * 1e6);
}

TEST(VdWSpinodal, MechanicalSpinodalOfAMixtureEndsAtThePureSecondComponent) {
    const std::vector<double> a = {0.3658, 0.5537}, b = {4.286e-5, 3.049e-5};
    VdWFluid f(a, b, false, 0.08);
    f.composition(1.0, 0.0);
    const double T = 250.0;
    const VdWPure first{a[0], b[0]};
    // Start near the liquid spinodal of the first component.
    double V0 = 0.7 * first.Vc();
    f.calculateIsothermalMechanicalSpinodal(T, V0, "m");
    const auto rows = readRows("spinomm", 11, false);
    ASSERT_GT(rows.size(), 900u);
    for (std::size_t i = 0; i < rows.size(); i++) {
        const double x1 = rows[i][2], x0 = 1.0 - x1, V = rows[i][3];
        EXPECT_NEAR(rows[i][1], x0, 1e-12);
        const double am = x0 * x0 * a[0] + 2 * x0 * x1 * std::sqrt(a[0] * a[1]) * 0.92 + x1 * x1 * a[1];
        const double bm = x0 * b[0] + x1 * b[1];
        EXPECT_LT(rel(2.0 * am * (V - bm) * (V - bm) / (R * V * V * V), T), 1e-4) << x1;
    }
    EXPECT_NEAR(rows[1][2], 0.001, 1e-12);
    EXPECT_LE(rows.back()[2], 1.0 + 1e-12);
    // A pure fluid has no composition path.
    VdWFluid p({kA}, {kB}, false);
    p.calculateIsothermalMechanicalSpinodal(T, V0, "p");
    EXPECT_EQ(p.errorflag, 1);
}

// ---------------------------------------------------------------- curves

namespace {

class VdWCurve : public testing::Test {
protected:
    void SetUp() override {
        data = std::make_unique<TestDataDir>("satcurve");
        data->write("compo/standard.txt", "GasB 7.0 0.5 -1000 50.0 B\n");
        f = std::make_unique<VdWFluid>(std::vector<double>{kA}, std::vector<double>{kB}, true);
        f->add_component("GasB");
        f->critical_T = 1.15 * pure.Tc();
        f->critical_V = 1.3 * pure.Vc();
    }
    // From the critical point down to 0.6 Tc in steps of 1 K.
    void traceDown(char mode, const char* path, std::vector<double>* array) {
        testing::internal::CaptureStdout();
        f->calculate_saturation_curve(path, 2, f->critical_T, -1.0, f->critical_V, f->critical_V, 0.6 * pure.Tc(),
                                      mode, "v", array);
        testing::internal::GetCapturedStdout();
    }
    std::unique_ptr<TestDataDir> data;
    std::unique_ptr<VdWFluid> f;
};

}  // namespace

TEST_F(VdWCurve, TracedFromTheCriticalPointWithTheSameRowsInEveryMode) {
    std::vector<double> flat = {-1.0, -2.0};  // mode 6 appends
    traceDown(6, "unused", &flat);
    ASSERT_EQ((flat.size() - 2) % 28, 0u);
    EXPECT_EQ(flat[0], -1.0);
    const std::size_t n = (flat.size() - 2) / 28;
    ASSERT_GT(n, 100u);
    auto at = [&](std::size_t row, int col) { return flat[2 + 28 * row + col]; };

    // The critical row: both sides equal, sigma 1 outside the text modes.
    EXPECT_NEAR(at(0, 3), pure.Tc(), 1e-6);
    EXPECT_NEAR(at(0, 1), pure.Vc() * 1e6, 1e-4);
    EXPECT_EQ(at(0, 1), at(0, 2));
    EXPECT_EQ(at(0, 24), 1.0);
    EXPECT_NEAR(at(0, 0), pure.Pc() / 1e5, 1e-6);
    // Every point on the exact coexistence curve.
    for (std::size_t i = 1; i < n; i++) {
        const double T = at(i, 3);
        const Coexistence c = leknerAt(T / pure.Tc());
        EXPECT_LT(rel(at(i, 0), c.P / 1e5), 1e-7) << T;
        EXPECT_LT(rel(at(i, 1), c.Vl * 1e6), 1e-7) << T;
        EXPECT_LT(rel(at(i, 2), c.Vv * 1e6), 1e-7) << T;
        EXPECT_LT(rel(at(i, 20), at(i, 21)), 1e-7);         // Pl = Pv
        EXPECT_NEAR(at(i, 10), at(i, 11), 1e-6 * std::fabs(at(i, 11)) + 1e-6);  // Gl = Gv
        EXPECT_LT(at(i, 3), at(i - 1, 3));
    }
    EXPECT_NEAR(at(1, 3), pure.Tc() - 0.1, 1e-6);
    EXPECT_GE(at(n - 1, 3), 0.6 * pure.Tc());
    EXPECT_LT(at(n - 1, 3), 0.6 * pure.Tc() + 1.0);

    std::vector<double> four;
    traceDown(1, "sat1", nullptr);
    traceDown(2, "sat2", nullptr);
    traceDown(4, "sat4", nullptr);
    traceDown(5, "sat5", nullptr);
    EXPECT_EQ(fileSize("sat5"), 224u * n);
    const auto b4 = readRows("sat4", 28, true), b5 = readRows("sat5", 28, true);
    const auto t1 = readRows("sat1", 28, false), t2 = readRows("sat2", 28, false);
    ASSERT_EQ(b5.size(), n);
    ASSERT_EQ(b4.size(), n);
    ASSERT_EQ(t1.size(), n);
    ASSERT_EQ(t2.size(), n);
    for (std::size_t i = 0; i < n; i++) {
        for (int k = 0; k < 28; k++) {
            if (i == 0 && (k == 14 || k == 15)) {
                // Cp diverges at the critical point: no value in any mode.
                for (double v : {b5[i][k], b4[i][k], at(i, k), t1[i][k], t2[i][k]}) EXPECT_TRUE(std::isnan(v));
                continue;
            }
            EXPECT_EQ(b5[i][k], at(i, k));
            EXPECT_EQ(b4[i][k], at(i, k));
            if (i == 0 && k == 24) {
                EXPECT_TRUE(std::isnan(t1[i][k]));  // "nan" in the text modes
                continue;
            }
            EXPECT_NEAR(t1[i][k], at(i, k), 1e-5 * std::fabs(at(i, k)) + 1e-300);
            EXPECT_EQ(t1[i][k], t2[i][k]);
        }
    }
    std::ifstream in("sat2");
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header.rfind("#        P(1)        Vl(2)", 0), 0u) << header;
    EXPECT_NE(header.find("fug(28)"), std::string::npos);
    std::ifstream igor("sat1");
    std::getline(igor, header);
    std::getline(igor, header);
    EXPECT_EQ(header.rfind("WAVES     Pv          Vlv", 0), 0u) << header;
    // Other modes write nothing.
    traceDown(3, "sat3", nullptr);
    EXPECT_FALSE(std::filesystem::exists("sat3"));
}

TEST_F(VdWCurve, TracedUpwardToTheCriticalPointAndDownward) {
    const Coexistence c = leknerAt(0.9);
    std::vector<double> up;
    testing::internal::CaptureStdout();
    // Start kind 0 traces upward whatever the sign of the step.
    f->calculate_saturation_curve("u", 0, c.T, -2.0, 1.01 * c.Vl, 0.98 * c.Vv, 0.0, 6, "u", &up);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(up.size() % 28, 0u);
    const std::size_t n = up.size() / 28;
    ASSERT_GT(n, 10u);
    EXPECT_NEAR(up[3], c.T, 1e-9);
    EXPECT_NEAR(up[28 + 3], c.T + 2.0, 1e-9);
    EXPECT_NEAR(up[28 * (n - 1) + 3], pure.Tc(), 1e-6);  // closed by the critical point
    EXPECT_EQ(f->errorflag, 0);
    for (std::size_t i = 1; i + 1 < n; i++) {
        const Coexistence e = leknerAt(up[28 * i + 3] / pure.Tc());
        // Within 0.1 K of Tc the two phases hardly differ and the point is less sharp.
        const double tol = pure.Tc() - up[28 * i + 3] > 0.1 ? 1e-8 : 1e-6;
        EXPECT_LT(rel(up[28 * i], e.P / 1e5), tol) << up[28 * i + 3];
        EXPECT_GT(up[28 * i + 3], up[28 * (i - 1) + 3]);
    }
    // Kind 1 with a positive step goes down; Tmin above T0 still gives the first point.
    std::vector<double> down;
    f->calculate_saturation_curve("d", 1, c.T, 2.0, c.Vl, c.Vv, c.T - 7.0, 6, "d", &down);
    // T, T - 2, T - 4, T - 6, then half a step to Tmin itself.
    ASSERT_EQ(down.size(), 5u * 28);
    EXPECT_NEAR(down[3 * 28 + 3], c.T - 6.0, 1e-9);
    EXPECT_NEAR(down[4 * 28 + 3], c.T - 7.0, 1e-9);
    EXPECT_EQ(f->errorflag, 1);  // the trace ends on a failed trial
    down.clear();
    f->calculate_saturation_curve("d", 1, c.T, 2.0, c.Vl, c.Vv, c.T + 5.0, 6, "d", &down);
    ASSERT_EQ(down.size(), 2u * 28);  // Tmin became T0 - 1
    EXPECT_NEAR(down[28 + 3], c.T - 1.0, 1e-9);
    // A step of zero traces nothing beyond the first point.
    down.clear();
    f->calculate_saturation_curve("d", 1, c.T, 0.0, c.Vl, c.Vv, c.T - 5.0, 6, "d", &down);
    EXPECT_EQ(down.size(), 28u);
    EXPECT_EQ(f->errorflag, 1);
    // No first point: no rows.
    down.clear();
    testing::internal::CaptureStderr();
    f->calculate_saturation_curve("d", 1, c.T, 1.0, c.Vv, c.Vl, c.T - 5.0, 6, "d", &down);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no saturation point"), std::string::npos);
    EXPECT_TRUE(down.empty());
    EXPECT_EQ(f->errorflag, 1);
}

TEST_F(VdWCurve, TwoPhaseIsoLinesHoldTheirValue) {
    const Coexistence c = leknerAt(0.8);
    f->calculateFromTV(c.T, c.Vl, 0);
    const double Sl = f->S, Hl = f->H, Ul = f->U;
    f->calculateFromTV(c.T, c.Vv, 0);
    const double Smid = 0.5 * (Sl + f->S), Hmid = 0.5 * (Hl + f->H), Umid = 0.5 * (Ul + f->U);
    const double Vmid = 0.5 * (c.Vl + c.Vv);
    struct Case {
        int flag;
        double value;
        const char* file;
        int column;
        double scale;
    };
    for (const Case& k : {Case{kIsoEntropy, Smid, "isossi", 7, 1.0}, Case{kIsoVolume, Vmid, "isovvi", 1, 1e6},
                          Case{kIsoEnthalpy, Hmid, "isohhi", 4, 1.0}, Case{kIsoInternalEnergy, Umid, "isouui", 3, 1.0}}) {
        SCOPED_TRACE(k.file);
        testing::internal::CaptureStdout();
        f->calculateIsoBiphasic(k.flag, k.value, 2, f->critical_T, -0.5, f->critical_V, f->critical_V, 0.6 * pure.Tc(),
                                2, "i");
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(f->errorflag, 0);
        const auto rows = readRows(k.file, 14, false);
        ASSERT_GT(rows.size(), 5u);
        bool passes = false;
        for (const auto& r : rows) {
            ASSERT_EQ(r.size(), 14u);
            EXPECT_NEAR(r[k.column], k.value * k.scale, 1e-5 * std::fabs(k.value * k.scale));
            const Coexistence e = leknerAt(r[2] / pure.Tc());
            EXPECT_LT(rel(r[0], e.P / 1e5), 5e-5);  // T printed to 6 digits
            if (std::fabs(r[2] - c.T) < 0.6) passes = true;
        }
        EXPECT_TRUE(passes);  // through the chosen mid point
    }
    // A value outside the dome: the header alone (and the row of nan in mode 1).
    f->calculateIsoBiphasic(kIsoVolume, 1.0, 1, c.T, 1.0, c.Vl, c.Vv, c.T - 20.0, 1, "x");
    std::ifstream in("isovvx");
    std::stringstream all;
    all << in.rdbuf();
    EXPECT_NE(all.str().find("BEGIN\nnan nan nan nan nan nan nan nan nan nan nan nan nan nan\nEND\n"),
              std::string::npos)
        << all.str();
    // An unknown flag writes nothing.
    f->calculateIsoBiphasic(7, 1.0, 1, c.T, 1.0, c.Vl, c.Vv, c.T - 20.0, 1, "y");
    EXPECT_FALSE(std::filesystem::exists("isovvy"));
}

TEST_F(VdWCurve, ConsoleCurvesFromTheCriticalPointAndFromATemperature) {
    f->Tmin = 0.95 * pure.Tc();
    testing::internal::CaptureStdout();
    f->calculateTheSaturationCurve("c", 2);
    const Coexistence c = leknerAt(0.97);
    f->Vl0 = c.Vl;
    f->Vv0 = c.Vv;
    f->calculateTheSaturationCurveFromT(c.T, "t");
    testing::internal::GetCapturedStdout();
    const auto down = readRows("satuc", 28, false);
    ASSERT_GT(down.size(), 10u);
    EXPECT_NEAR(down.front()[3], pure.Tc(), 1e-3);
    EXPECT_GE(down.back()[3], 0.95 * pure.Tc());
    const auto up = readRows("satut", 28, false);
    ASSERT_GT(up.size(), 3u);
    EXPECT_NEAR(up.front()[3], c.T, 1e-3);
    EXPECT_NEAR(up.back()[3], pure.Tc(), 1e-3);  // closed by the critical point
}

TEST(VdWSpinodal, LiquidSpinodalOfAMixture) {
    VdWFluid f({0.3658, 0.5537}, {4.286e-5, 3.049e-5}, false, 0.3);
    testing::internal::CaptureStdout();
    f.calculateLiquidSpinodalPointInMixtureIterateV(220.0, 6e-5, 0.5);
    const std::string line = testing::internal::GetCapturedStdout();
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_EQ(line.rfind("0 220.000000 ", 0), 0u) << line;
    EXPECT_EQ(f.x[1], 0.5);
    const double V = f.V;
    f.calculate_critical_parameters();
    // det [[A_VV, A_Vx], [A_Vx, A_xx]] = 0 at the volume found.
    EXPECT_LT(std::fabs(f.d2AdV2 * f.d2Adx2 - f.d2AdVdx * f.d2AdVdx), 1e-10 * std::fabs(f.d2AdV2 * f.d2Adx2));
    // Against a central difference of the determinant's root: it changes sign across V.
    auto det = [&](double v) {
        f.volume(v);
        f.calculate_critical_parameters();
        return f.d2AdV2 * f.d2Adx2 - f.d2AdVdx * f.d2AdVdx;
    };
    EXPECT_LT(det(V * (1 - 1e-6)) * det(V * (1 + 1e-6)), 0.0);
    // A pure fluid is refused.
    VdWFluid p({kA}, {kB}, false);
    testing::internal::CaptureStderr();
    p.calculateLiquidSpinodalPointInMixtureIterateV(220.0, 6e-5, 0.5);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("two components"), std::string::npos);
    EXPECT_EQ(p.errorflag, 1);
}
