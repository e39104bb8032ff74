// H2O-CO2 solubility in basalt and rhyolite melts: Henry's law at the
// reference states, published solubilities, round trips between saturation
// pressure and saturated contents, flash mass balances, degassing paths and
// the tabulations' files, and inputs that cannot be solved.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "magma/HollowayEOS.h"
#include "magma/VolatileCalc.h"
#include "magma/tests/ReadFile.h"

namespace {

VolatileCalc* melt(int type) {
    static VolatileCalc* v[3] = {nullptr, nullptr, nullptr};
    if (!v[type]) v[type] = new VolatileCalc();
    v[type]->setMagmaType(type);
    v[type]->T = type == kBasaltMelt ? 1473.15 : 1123.15;
    v[type]->fugacityRule = 0;
    return v[type];
}

// Saturated content of one volatile at P (Pa).
double saturatedContent(VolatileCalc& v, int system, double P) {
    v.system = system;
    if (system == kVolatilesH2O)
        v.ppm = 0.0;
    else
        v.wt = 0.0;
    v.calculateSaturationPoint(P);
    EXPECT_EQ(v.failed, 0);
    return system == kVolatilesH2O ? v.wt : v.ppm;
}

TEST(VolatileCalc, ReferenceFugacitiesAndHenryLawAtTheReferenceState) {
    // At its reference state a pure volatile dissolves at exactly x0.
    VolatileCalc& r = *melt(kRhyoliteMelt);
    HollowayEOS gas(1);
    gas.composition(1.0, 0.0);
    gas.temperature(1123.15);
    gas.pressure(799.0);
    gas.calculate_molar_volume();
    gas.calculate_fugacities();
    EXPECT_NEAR(r.f0H2O / gas.fugacity[0], 1.0, 1e-12);

    const double wt = saturatedContent(r, kVolatilesH2O, 7.99e7);
    double xH2O = 0.0;
    r.calculateMoleFractions(wt, 0.0, &xH2O, nullptr, nullptr);
    EXPECT_NEAR(xH2O, 0.0323, 1e-8);
    const double ppm = saturatedContent(r, kVolatilesCO2, 7.5e7);
    double xCO2 = 0.0;
    r.calculateMoleFractions(0.0, ppm, nullptr, &xCO2, nullptr);
    EXPECT_NEAR(xCO2, 0.000397, 1e-10);

    // Basalt: 1 bar reference, ideal-gas fugacity 1 bar to within the MRK's
    // small non-ideality.
    VolatileCalc& b = *melt(kBasaltMelt);
    EXPECT_NEAR(b.f0H2O, 1e5, 10.0);
    EXPECT_NEAR(b.f0CO2, 1e5, 30.0);
    b.system = kVolatilesH2OCO2;
    b.P = 1e5;
    b.calculateHenryConstants();
    EXPECT_NEAR(b.KH2O, b.f0H2O / 3.28e-05, 1e-6 * b.KH2O);
    EXPECT_NEAR(b.KCO2, b.f0CO2 / 3.8e-07, 1e-6 * b.KCO2);
    // The enthalpy term: rhyolite at 100 K above its reference.
    r.system = kVolatilesH2O;
    r.T = 1223.15;
    r.P = 7.99e7;
    r.calculateHenryConstants();
    EXPECT_NEAR(r.KH2O / (r.f0H2O / 0.0323 * std::exp((1 / 1223.15 - 1 / 1123.15) * -18499.91 / 8.31434)), 1.0,
                1e-12);
}

TEST(VolatileCalc, PublishedSolubilities) {
    // Rhyolite at 850 °C, pure H2O: about 6 wt % at 2 kbar and 2.6 wt % at
    // 500 bar (Newman & Lowenstern 2002, their fig. of H2O solubility).
    VolatileCalc& r = *melt(kRhyoliteMelt);
    EXPECT_NEAR(saturatedContent(r, kVolatilesH2O, 2e8), 5.9, 0.25);
    EXPECT_NEAR(saturatedContent(r, kVolatilesH2O, 5e7), 2.6, 0.2);
    // MORB basalt at 1200 °C: about 0.5 ppm CO2 per bar (Dixon et al. 1995).
    VolatileCalc& b = *melt(kBasaltMelt);
    EXPECT_NEAR(saturatedContent(b, kVolatilesCO2, 1e8), 490.0, 40.0);
    // Basalt, pure H2O at 1 kbar: about 3.1-3.3 wt % (Dixon et al. 1995).
    EXPECT_NEAR(saturatedContent(b, kVolatilesH2O, 1e8), 3.25, 0.2);
    // Solubility rises with pressure, and CO2 roughly as the fugacity.
    EXPECT_GT(saturatedContent(b, kVolatilesH2O, 2e8), saturatedContent(b, kVolatilesH2O, 1e8));
}

TEST(VolatileCalc, SaturationPressureAndSaturatedContentsRoundTrip) {
    for (int type : {kBasaltMelt, kRhyoliteMelt}) {
        VolatileCalc& v = *melt(type);
        SCOPED_TRACE(type);
        // One volatile: P -> content -> P.
        for (int system : {kVolatilesH2O, kVolatilesCO2}) {
            for (double P : {3e7, 1e8, 2e8, 5e8}) {
                const double c = saturatedContent(v, system, P);
                v.system = system;
                v.calculateMoleFractions(system == kVolatilesH2O ? c : 0.0, system == kVolatilesH2O ? 0.0 : c,
                                         &v.xH2O, &v.xCO2, nullptr);
                v.calculateSaturationPressure();
                ASSERT_EQ(v.failed, 0);
                EXPECT_NEAR(v.P / P, 1.0, 1e-7);
            }
        }
        // Both: (wt, ppm) -> (P, yCO2) -> ppm at (P, wt).
        for (double wt : {0.5, 1.5, 4.0, 6.0}) {
            for (double ppm : {100.0, 800.0, 3000.0}) {
                v.system = kVolatilesH2OCO2;
                v.calculateMoleFractions(wt, ppm, &v.xH2O, &v.xCO2, nullptr);
                v.calculateSaturationPressure();
                if (v.failed && v.P > 5e8) continue;  // saturated above the range (5240 bar): refused
                ASSERT_EQ(v.failed, 0) << wt << " " << ppm;
                const double P = v.P, y = v.yCO2;
                EXPECT_GT(y, 0.0);
                EXPECT_LT(y, 1.0);
                v.wt = wt;
                v.calculateSaturationPoint(P);
                ASSERT_EQ(v.failed, 0);
                EXPECT_NEAR(v.ppm, ppm, 1e-5 * ppm);
                EXPECT_NEAR(v.yCO2, y, 1e-7);
            }
        }
    }
}

TEST(VolatileCalc, MixtureFugacityRule) {
    // Rule 1 takes the fugacities of the mixed vapour; in an ideal-mixing
    // limit (low pressure) both rules agree.
    VolatileCalc& v = *melt(kBasaltMelt);
    v.system = kVolatilesH2OCO2;
    v.yH2O = 0.4;
    v.yCO2 = 0.6;
    v.P = 1e5;
    double f0[2], f1[2];
    ASSERT_TRUE(v.calculateVapourFugacities(f0[0], f0[1]));
    v.fugacityRule = 1;
    ASSERT_TRUE(v.calculateVapourFugacities(f1[0], f1[1]));
    EXPECT_NEAR(f1[0] / f0[0], 1.0, 1e-3);
    EXPECT_NEAR(f1[1] / f0[1], 1.0, 1e-3);
    v.P = 2e8;
    ASSERT_TRUE(v.calculateVapourFugacities(f1[0], f1[1]));
    v.fugacityRule = 0;
    ASSERT_TRUE(v.calculateVapourFugacities(f0[0], f0[1]));
    EXPECT_GT(std::fabs(f1[0] / f0[0] - 1.0), 1e-3);
}

TEST(VolatileCalc, MoleFractionsAndSpeciation) {
    VolatileCalc& v = *melt(kRhyoliteMelt);
    // Below 0.6 wt % the power law; xOH is left as it was.
    double xH = -1.0, xC = -1.0, xOH = -7.0;
    v.calculateMoleFractions(0.5, 100.0, &xH, &xC, &xOH);
    EXPECT_NEAR(xH, std::exp(-5.526) * std::pow(0.5, 1.977), 1e-15);
    EXPECT_EQ(xOH, -7.0);
    const double nC = 100.0 * 1e-4 / 44.009, nH = 0.5 / 18.015, nm = (100.0 - 0.5 - 1e-2) / 32.5;
    EXPECT_NEAR(xC, nC / (nC + nH + nm), 1e-15);
    // Above it molecular water and hydroxyl share the water: xH2O + xOH/2 is
    // the total water's mole fraction.
    v.calculateMoleFractions(5.0, 0.0, &xH, &xC, &xOH);
    EXPECT_EQ(v.failed, 0);
    const double X = (5.0 / 18.015) / (5.0 / 18.015 + 95.0 / 32.5);
    EXPECT_NEAR(xH + 0.5 * xOH, X, 1e-12);
    EXPECT_GT(xOH, 0.0);
    EXPECT_NEAR(v.equationForMoleFractions(xOH, const_cast<double*>(&X)), 0.0, 1e-9);
    // Basalt: mole fractions on a single-oxygen basis with 36.594 g/mol of
    // anhydrous MORB glass per oxygen (Dixon, Stolper & Holloway 1995).
    VolatileCalc& b = *melt(kBasaltMelt);
    for (double w : {1.0, 3.0, 6.0}) {
        b.calculateMoleFractions(w, 500.0, &xH, &xC, &xOH);
        const double nHb = w / 18.015, nCb = 500.0e-4 / 44.009, nMb = (100.0 - w - 0.05) / 36.594;
        EXPECT_NEAR(xC, nCb / (nHb + nCb + nMb), 1e-12);
        EXPECT_NEAR(xH + 0.5 * xOH, nHb / (nHb + nCb + nMb), 1e-9) << w;
    }
    // Null pointers are skipped.
    v.calculateMoleFractions(2.0, 50.0, nullptr, nullptr, nullptr);
    // A trial hydroxyl fraction outside its domain is refused through the flag.
    double Xs = 0.1;
    v.error = 0;
    EXPECT_EQ(v.equationForMoleFractions(-0.01, &Xs), 0.0);
    EXPECT_EQ(v.error, 1);
    v.error = 0;
}

TEST(VolatileCalc, FlashConservesMassAndLeavesASaturatedMelt) {
    VolatileCalc& v = *melt(kBasaltMelt);
    const double wt0 = 2.0, ppm0 = 600.0;
    v.system = kVolatilesH2OCO2;
    v.calculateMoleFractions(wt0, ppm0, &v.xH2O, &v.xCO2, nullptr);
    v.calculateSaturationPressure();
    ASSERT_EQ(v.failed, 0);
    const double Psat = v.P;
    const double y0 = v.yCO2;
    // At the saturation pressure hardly any vapour forms.
    double wt = -1, ppm = -1, y = -1, F = -1;
    v.calculate_flash_point(Psat, wt0, ppm0, y0, 0.001, wt, ppm, y, F);
    ASSERT_EQ(v.failed, 0);
    EXPECT_NEAR(F, 0.0, 1e-7);
    // At half of it: mass balances and saturation at the melt's contents.
    v.calculate_flash_point(0.5 * Psat, wt0, ppm0, y0, 0.001, wt, ppm, y, F);
    ASSERT_EQ(v.failed, 0);
    EXPECT_GT(F, 0.0);
    EXPECT_LT(wt, wt0);
    EXPECT_LT(ppm, ppm0);
    const double mv = 18.0 * (1 - y) + 44.0 * y;
    EXPECT_NEAR(0.01 * wt0, 0.01 * (1 - F) * wt + 18.0 * (1 - y) * F / mv, 1e-10);
    EXPECT_NEAR(1e-6 * ppm0, 1e-6 * (1 - F) * ppm + 44.0 * y * F / mv, 1e-10);
    const double ppmFlash = ppm, yFlash = y;
    v.wt = wt;
    v.calculateSaturationPoint(0.5 * Psat);
    EXPECT_NEAR(v.ppm, ppmFlash, 1e-5 * ppmFlash);
    EXPECT_NEAR(v.yCO2, yFlash, 1e-7);

    // One volatile: the vapour is the volatile alone.
    v.system = kVolatilesH2O;
    v.calculate_flash_point(5e7, 3.0, 0.0, 0.0, 0.001, wt, ppm, y, F);
    ASSERT_EQ(v.failed, 0);
    EXPECT_EQ(ppm, 0.0);
    EXPECT_EQ(y, 0.0);
    EXPECT_NEAR(0.03, 0.01 * (1 - F) * wt + F, 1e-12);
    EXPECT_NEAR(wt, saturatedContent(v, kVolatilesH2O, 5e7), 1e-6);
    v.system = kVolatilesCO2;
    v.wt = 0.0;
    v.calculate_flash_point(5e7, 0.0, 1000.0, 1.0, 0.001, wt, ppm, y, F);
    ASSERT_EQ(v.failed, 0);
    EXPECT_EQ(wt, 0.0);
    EXPECT_EQ(y, 1.0);
    EXPECT_NEAR(1e-3, 1e-6 * (1 - F) * ppm + F, 1e-12);
}

TEST(VolatileCalc, FlashThatCannotBeSolvedLeavesTheOutputs) {
    VolatileCalc& v = *melt(kBasaltMelt);
    v.system = kVolatilesH2O;
    double wt = 11.0, ppm = 12.0, y = 13.0, F = 14.0;
    // Negative total water: no melt content can balance it.
    testing::internal::CaptureStderr();
    v.calculate_flash_point(5e7, -5.0, 0.0, 0.0, 0.001, wt, ppm, y, F);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(v.failed, 1);
    EXPECT_NE(err.find("Failed to calculate flash point !"), std::string::npos);
    EXPECT_EQ(wt, 11.0);
    EXPECT_EQ(ppm, 12.0);
    EXPECT_EQ(y, 13.0);
    EXPECT_EQ(F, 14.0);
}

TEST(VolatileCalc, SaturationThatCannotBeSolvedIsReported) {
    VolatileCalc& v = *melt(kBasaltMelt);
    // A melt with negative molecular water has no saturation pressure.
    v.system = kVolatilesH2O;
    v.xH2O = -0.01;
    testing::internal::CaptureStderr();
    v.calculateSaturationPressure();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(v.failed, 1);
    EXPECT_NE(err.find("Failed to calculate the saturation point."), std::string::npos);
    EXPECT_EQ(v.error, 0);
    // More water than any pressure in range can dissolve is refused too.
    v.system = kVolatilesH2OCO2;
    v.wt = 99.0;
    testing::internal::CaptureStderr();
    v.calculateSaturationPoint(1e5);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(v.failed, 1);
    EXPECT_NE(err.find("Failed to calculated saturation point.\n"), std::string::npos);
}

TEST(VolatileCalc, UnknownMagmaTypeKeepsTheParameters) {
    VolatileCalc v;
    v.setMagmaType(kRhyoliteMelt);
    const double f0 = v.f0H2O;
    v.setMagmaType(3);
    EXPECT_EQ(v.magmaType, kRhyoliteMelt);
    EXPECT_EQ(v.T0H2O, 1123.15);
    EXPECT_EQ(v.f0H2O, f0);
    EXPECT_EQ(v.Mox, 32.5);
}

TEST(VolatileCalc, DegassingPaths) {
    VolatileCalc& v = *melt(kBasaltMelt);
    // Water only: system 1 throughout, no CO2 anywhere.
    std::vector<double> a;
    v.calculateDegassingPath(0, 3.0, 0.0, "", kArrayOfValues, "", &a);
    ASSERT_EQ(a.size() % 7, 0u);
    ASSERT_GT(a.size(), 7u * 10);
    EXPECT_EQ(v.system, kVolatilesH2O);
    for (std::size_t r = 0; r < a.size(); r += 7) {
        EXPECT_EQ(a[r + 2], 0.0);
        EXPECT_EQ(a[r + 5], 0.0);
        EXPECT_EQ(a[r + 4], 1.0);
        if (r) {
            EXPECT_NEAR(a[r + 3], a[r - 7 + 3] - 10.0, 1e-6);  // bar
            EXPECT_LT(a[r + 1], a[r - 7 + 1]);
        }
    }
    EXPECT_GT(a.back() - 0.0, 0.0);  // some vapour at the end
    EXPECT_GT(a[a.size() - 7 + 3], 10.0);
    EXPECT_LE(a[a.size() - 7 + 3], 20.0);
    // CO2 only.
    a.clear();
    v.calculateDegassingPath(0, 0.0, 800.0, "", kArrayOfValues, "", &a);
    EXPECT_EQ(v.system, kVolatilesCO2);
    ASSERT_GT(a.size(), 0u);
    for (std::size_t r = 0; r < a.size(); r += 7) {
        EXPECT_EQ(a[r + 1], 0.0);
        EXPECT_EQ(a[r + 5], 1.0);
    }
    // Closed mixture: water keeps the totals; open: the CO2 runs out and the
    // path goes on as pure H2O.
    a.clear();
    v.calculateDegassingPath(0, 2.0, 500.0, "", kArrayOfValues, "", &a);
    ASSERT_GT(a.size(), 7u * 50);
    for (std::size_t r = 0; r < a.size(); r += 7) {
        const double wt = a[r + 1], ppm = a[r + 2], y = a[r + 5], F = a[r + 6];
        const double mv = 18.0 * (1 - y) + 44.0 * y;
        EXPECT_NEAR(0.02, 0.01 * (1 - F) * wt + 18.0 * (1 - y) * F / mv, 1e-9);
        EXPECT_NEAR(5e-4, 1e-6 * (1 - F) * ppm + 44.0 * y * F / mv, 1e-9);
    }
    std::vector<double> o;
    v.calculateDegassingPath(1, 2.0, 500.0, "", kArrayOfValues, "", &o);
    ASSERT_GT(o.size(), 7u * 50);
    EXPECT_EQ(v.system, kVolatilesH2O);
    EXPECT_EQ(o[o.size() - 7 + 5], 0.0);
    EXPECT_GT(o[o.size() - 7 + 3], 10.0);
    EXPECT_LE(o[o.size() - 7 + 3], 20.0);
    // An open path loses its CO2 faster than the closed one.
    EXPECT_LT(o[7 * 20 + 2], a[7 * 20 + 2]);
}

TEST(VolatileCalc, IsobarAndIsothermFiles) {
    VolatileCalc v;
    testing::internal::CaptureStdout();
    v.test(0);
    const std::string printed = testing::internal::GetCapturedStdout();
    const std::string f = readFile("isobar.txt");
    ASSERT_EQ(f.rfind("IGOR\nWAVES     T4          wt4         ppm4           P4        yH2O4        yCO24 \nBEGIN\n", 0),
              0u)
        << f.substr(0, 200);
    EXPECT_EQ(f.substr(f.size() - 4), "END\n");
    // Rows: every 0.02 wt % below the pure-H2O solubility, then pure CO2; the
    // pure-H2O point is only printed.
    std::istringstream rows(f.substr(f.find("BEGIN\n") + 6));
    std::vector<std::vector<double>> table;
    std::string line;
    while (std::getline(rows, line) && line != "END") {
        std::istringstream ls(line);
        std::vector<double> r(6);
        for (double& x : r) ls >> x;
        table.push_back(r);
    }
    ASSERT_GT(table.size(), 10u);
    const int printedLines = static_cast<int>(std::count(printed.begin(), printed.end(), '\n'));
    EXPECT_EQ(printedLines, static_cast<int>(table.size()) + 1);
    EXPECT_NEAR(table[0][0], 1500.0, 1e-6);
    EXPECT_NEAR(table[0][3], 1000.0, 1e-6);
    EXPECT_NEAR(table[1][1], table[0][1] - 0.02, 1e-5);
    EXPECT_EQ(table.back()[1], 0.0);
    EXPECT_NEAR(table.back()[5], 1.0, 1e-12);
    for (std::size_t i = 1; i + 1 < table.size(); ++i) {
        EXPECT_NEAR(table[i][4] + table[i][5], 1.0, 1e-6);
    }

    // Isotherm of pure CO2, array mode: 400 rows from 100 bar.
    std::vector<double> a;
    v.setMagmaType(kRhyoliteMelt);
    v.T = 1123.15;
    v.system = kVolatilesCO2;
    v.calculateSaturationIsotherm("", kArrayOfValues, "", &a);
    ASSERT_EQ(a.size(), 400u * 6);
    EXPECT_NEAR(a[3], 100.0, 1e-9);
    EXPECT_NEAR(a[399 * 6 + 3], 4090.0, 1e-9);
    EXPECT_GT(a[399 * 6 + 2], a[2]);
    // At 5 kbar every point of the isobar is found.
    std::vector<double> hp;
    v.setMagmaType(kBasaltMelt);
    v.T = 1473.15;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    v.calculateSaturationIsobar(5e8, "", kArrayOfValues, "", &hp);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_GT(hp.size(), 6u * 400);
    EXPECT_NEAR(hp[hp.size() - 6 + 5], 1.0, 1e-12);
    // Modes other than 1 and 6 write nothing.
    v.calculateSaturationIsobar(1e8, "nothing.txt", kColumnTextFile, "", nullptr);
    EXPECT_FALSE(std::ifstream("nothing.txt").good());
}

TEST(VolatileCalc, RangeEndsAndFailedPointsOfTheTabulations) {
    // The vapour model holds from 800 to 1673.15 K up to 5000 bar: just
    // inside every end a saturated content between 0 and 100 wt % (ppm
    // below 1e6), just outside a reported failure, never a value (at 10 kbar
    // the laws would give rhyolite 40 wt % water at 600 C).
    for (int type : {kBasaltMelt, kRhyoliteMelt}) {
        VolatileCalc& v = *melt(type);
        for (double T : {799.0, 800.0, 1123.15, 1673.15, 1674.0, 873.15}) {
            for (double Pbar : {1.0, 4999.0, 5000.0, 5001.0, 10000.0}) {
                for (int system : {kVolatilesH2O, kVolatilesCO2}) {
                    v.T = T;
                    v.system = system;
                    v.wt = v.ppm = 0.0;
                    const bool inside = T >= 800.0 && T <= 1673.15 && Pbar <= 5000.0;
                    testing::internal::CaptureStderr();
                    v.calculateSaturationPoint(Pbar * 1e5);
                    const std::string said = testing::internal::GetCapturedStderr();
                    SCOPED_TRACE(testing::Message() << type << " " << T << " K " << Pbar << " bar " << system);
                    ASSERT_EQ(v.failed, inside ? 0 : 1);
                    if (!inside) {
                        EXPECT_NE(said.find("outside the range of its vapour model"), std::string::npos) << said;
                        // Nor a flash there.
                        double w = -1, c = -1, y = -1, F = -1;
                        testing::internal::CaptureStderr();
                        v.calculate_flash_point(Pbar * 1e5, 2.0, 0.0, 0.0, 0.01, w, c, y, F);
                        testing::internal::GetCapturedStderr();
                        EXPECT_EQ(v.failed, 1);
                        EXPECT_EQ(w, -1.0);
                        continue;
                    }
                    const double c = system == kVolatilesH2O ? v.wt : v.ppm;
                    EXPECT_GT(c, 0.0);
                    EXPECT_LT(c, system == kVolatilesH2O ? 100.0 : 1e6);
                }
            }
        }
    }
    // A melt saturated only above 5000 bar (basalt with 0.5 wt % water and
    // 3000 ppm CO2: 5240 bar) has no saturation pressure in range.
    VolatileCalc& b = *melt(kBasaltMelt);
    b.system = kVolatilesH2OCO2;
    b.calculateMoleFractions(0.5, 3000.0, &b.xH2O, &b.xCO2, nullptr);
    testing::internal::CaptureStderr();
    b.calculateSaturationPressure();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(b.failed, 1);

    // Contents that are no melt (negative, or volatiles leaving no melt):
    // no mole fractions and no degassing path, never NaN rows.
    for (const auto& c : {std::pair{-0.1, 100.0}, std::pair{2.0, -1.0}, std::pair{99.99, 1000.0},
                          std::pair{0.0, 0.0}}) {
        double xh = 0.0, xc = 0.0;
        testing::internal::CaptureStderr();
        b.failed = 0;
        b.calculateMoleFractions(c.first, c.second, &xh, &xc, nullptr);
        const bool noMelt = b.failed == 1;
        std::vector<double> path;
        b.calculateDegassingPath(0, c.first, c.second, "", kArrayOfValues, "", &path);
        const std::string why = testing::internal::GetCapturedStderr();
        EXPECT_EQ(noMelt, c.first != 0.0 || c.second != 0.0) << c.first << " " << c.second;
        if (noMelt) {
            EXPECT_TRUE(std::isnan(xh) && std::isnan(xc));
        }
        EXPECT_EQ(b.failed, 1) << c.first << " " << c.second;
        EXPECT_TRUE(path.empty());
        EXPECT_FALSE(why.empty());
    }

    // The isotherm of a basalt with 3 wt % water: a point not found leaves no row, and every row written is a saturated melt, whose
    // own saturation pressure is the row's.
    melt(kBasaltMelt);
    b.system = kVolatilesH2OCO2;
    b.wt = 3.0;
    b.ppm = 100.0;
    std::vector<double> rows;
    testing::internal::CaptureStderr();
    b.calculateSaturationIsotherm("", kArrayOfValues, "", &rows);
    const std::string said = testing::internal::GetCapturedStderr();
    const auto failures = static_cast<std::size_t>(std::count(said.begin(), said.end(), '\n'));
    ASSERT_GT(failures, 10u);  // below about 900 bar the melt holds more water than pure H2O vapour allows
    ASSERT_EQ(rows.size(), 6 * (400 - failures));
    for (std::size_t i = 0; i < rows.size(); i += 6) {
        const double wt = rows[i + 1], ppm = rows[i + 2], Pbar = rows[i + 3];
        EXPECT_EQ(wt, 3.0);
        EXPECT_NEAR(rows[i + 4] + rows[i + 5], 1.0, 1e-12);
        VolatileCalc check;
        check.setMagmaType(kBasaltMelt);
        check.T = 1473.15;
        check.system = kVolatilesH2OCO2;
        check.calculateMoleFractions(wt, ppm, &check.xH2O, &check.xCO2, nullptr);
        check.calculateSaturationPressure();
        ASSERT_EQ(check.failed, 0) << Pbar;
        EXPECT_NEAR(1e-5 * check.P, Pbar, 1e-5 * Pbar) << "row " << i / 6;
    }
}

}  // namespace
