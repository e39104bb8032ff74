// Studies of heated and superheated water: closed forms, energy balances,
// the second law, and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/FluidCommands.h"
#include "console/WaterStudyModel.h"
#include "console/tests/ConsoleTestSupport.h"

using consoletest::capture;
using consoletest::countOf;
using consoletest::readFile;

namespace {

// Numeric rows of a column file ("nan" read as NaN), after `skip` lines.
std::vector<std::vector<double>> rowsOf(const std::string& text, const char* after = nullptr) {
    std::vector<std::vector<double>> rows;
    std::size_t pos = 0;
    if (after) {
        pos = text.find(after);
        if (pos == std::string::npos) return rows;
        pos = text.find('\n', pos) + 1;
    }
    std::istringstream in(text.substr(pos));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line == "END") continue;
        std::istringstream ls(line);
        std::vector<double> r;
        std::string w;
        while (ls >> w) r.push_back(w == "nan" || w == "-nan" ? NAN : std::strtod(w.c_str(), nullptr));
        rows.push_back(r);
    }
    return rows;
}

}  // namespace

TEST(WaterStudies, ConductivityPolynomial) {
    // About 0.609 W/(m K) at 300 K; within 1.5 % of the IAPS 1985 value at 1 bar.
    EXPECT_NEAR(WaterStudyModel::calculateWaterConductivity(300.0), 0.609, 0.002);
    WaterStudyModel w(2);
    for (double T : {300.0, 330.0, 360.0}) {
        w.calculateFromTP(T, 1.0, 0);
        const double kappa = -1.0 / (w.V * w.dPdV), alpha = -w.dPdT / (w.V * w.dPdV);
        const double iaps = WaterEOS::calculateConductivity(T, w.P, w.bulk_molar_weight / w.V, alpha, kappa);
        EXPECT_NEAR(WaterStudyModel::calculateWaterConductivity(T) / iaps, 1.0, 0.015) << T;
    }
}

TEST(WaterStudies, VolumeFractionOfWaterInMagma) {
    WaterStudyModel w(2);
    double phi = 0;
    capture([&] { phi = w.calculateWaterVolumeFractionMagma(1100.0, 1000.0, 0.0); });
    EXPECT_DOUBLE_EQ(phi, 0.0);
    capture([&] { phi = w.calculateWaterVolumeFractionMagma(1100.0, 1000.0, 1.0); });
    EXPECT_DOUBLE_EQ(phi, 1.0);
    // 4 wt% water at 1100 K and 1 kbar: the closed form with the model's volume.
    const auto c = capture([&] { phi = w.calculateWaterVolumeFractionMagma(1100.0, 1000.0, 0.04); });
    const double vw = 0.04 * w.V / w.molarMass(), vm = 0.96 / 2500.0;
    EXPECT_NEAR(phi, vw / (vw + vm), 1e-12);
    EXPECT_NE(c.out.find("Volume water fraction : "), std::string::npos);
    // The table: 3 x 3 points, each fraction between 0 and 1.
    capture([&] { w.calculateWaterVolumeFractionDiagram(0.04, 1000.0, 1010.0, 500.0, 510.0); });
    const auto rows = rowsOf(readFile("wat"));
    ASSERT_EQ(rows.size(), 9u);
    for (const auto& r : rows) {
        ASSERT_EQ(r.size(), 3u);
        EXPECT_GT(r[2], 0.0);
        EXPECT_LT(r[2], 1.0);
    }
}

TEST(WaterStudies, SuperheatDiagramBalances) {
    WaterStudyModel w(2);
    const auto c = capture([&] { w.drawSuperheatDiagram(100.0, 20.0); });
    // Water at 50 bar heated to 574.65 K, 37 K above its boiling point and
    // below its liquid spinodal, expands through state 4.
    const auto d = capture([&] { w.drawSuperheatDiagram(50.0, 280.0); });
    ASSERT_NE(d.out.find("W4 : "), std::string::npos) << d.out;
    double P3, T3, P4, T4, fl, Q, W4, W5;
    const char* p = d.out.c_str() + d.out.find("P3 : ");
    ASSERT_EQ(std::sscanf(p, "P3 : %lf\nT3 : %lf\nP4 : %lf\nT4 : %lf\nfl : %lf\nQ  : %lf\nW4 : %lf\nW5 : %lf", &P3,
                          &T3, &P4, &T4, &fl, &Q, &W4, &W5),
              8);
    EXPECT_DOUBLE_EQ(P3, 51.0);
    EXPECT_NEAR(T3, 293.15 + 1.5 + 280.0, 1e-6);
    // State 4 is the saturated liquid of the same entropy: the metastable
    // liquid lies below its saturation pressure, so state 4 is at a higher
    // pressure, on the vapour-pressure curve, a little hotter.
    EXPECT_NEAR(T4, T3, 5.0);
    EXPECT_GT(P4, P3);
    EXPECT_NEAR(P4 * 1e5 / WaterEOS::saturationPressureWagnerPruss(T4), 1.0, 1e-4);
    EXPECT_GT(fl, 0.0);
    EXPECT_LT(fl, 1.0);
    // Flashing to 1 bar does work; heating above saturation takes heat.
    EXPECT_LT(W5, 0.0);
    EXPECT_GT(Q, 0.0);
    // A superheat beyond the liquid spinodal stops after state 2.
    const auto e = capture([&] { w.drawSuperheatDiagram(100.0, 900.0); });
    EXPECT_EQ(e.out.find("P3 : "), std::string::npos);
    (void)c;
}

TEST(WaterStudies, HenleyVaporizationCurve) {
    WaterStudyModel w(2);
    capture([&] { w.doTestHenleyHughesModel(); });
    for (const char* f : {"henley0", "henley1", "henley2"}) {
        const std::string text = readFile(f);
        ASSERT_EQ(text.rfind("IGOR\nWAVES", 0), 0u) << f;
        const auto rows = rowsOf(text, "BEGIN");
        ASSERT_GT(rows.size(), 190u) << f;
        int capped = 0;
        for (const auto& r : rows) {
            ASSERT_EQ(r.size(), 9u);
            EXPECT_DOUBLE_EQ(r[0], 523.0 - 273.15);
            // P0, P1: vapour pressures at 523 and 423 K.
            EXPECT_NEAR(r[2] * 1e5 / WaterEOS::saturationPressureWagnerPruss(523.0), 1.0, 2e-5);
            EXPECT_NEAR(r[3] * 1e5 / WaterEOS::saturationPressureWagnerPruss(423.0), 1.0, 2e-5);
            if (r[7] >= 1.0) {
                EXPECT_TRUE(std::isnan(r[8]));
                ++capped;
            } else {
                // F = (1 - y0) / (1 - yf).
                EXPECT_NEAR(r[8], (1.0 - r[6]) / (1.0 - r[7]), 1e-5 * std::fabs(r[8]) + 1e-6);
            }
        }
        (void)capped;
    }
    // y0: the flash fraction (Hl(T0) - Hl(T1)) / L(T1) from steam tables, about 0.21.
    const auto rows = rowsOf(readFile("henley0"), "BEGIN");
    EXPECT_NEAR(rows[0][6], (1085.8 - 632.2) / (2745.9 - 632.2), 0.005);
}

TEST(WaterStudies, WaterMagmaRatioFile) {
    WaterStudyModel w(2);
    capture([&] { w.compareWohletzTemperature(); });
    const auto rows = rowsOf(readFile("tempo"));
    ASSERT_EQ(rows.size(), 1177u);
    EXPECT_NEAR(rows.back()[0], 1472.15, 1e-9);
    // R1 from constant heat capacities; R2 from the model's energies, positive.
    const auto& r = rows[500];
    EXPECT_NEAR(r[1], -1200.0 * (r[0] - 1473.15) / (4200.0 * (r[0] - 296.15)), 1e-5);
    for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_GT(rows[i][2], 0.0);
    EXPECT_NE(readFile("tokill").find("set xr [0:2]; rep\n"), std::string::npos);
}

TEST(WaterStudies, WohletzCycleObeysTheSecondLaw) {
    WaterStudyModel w(2);
    const auto c = capture([&] { w.calculateWohletzCycle(100.0, 700.0, 1); });
    const auto rows = rowsOf(readFile("wohl0"));
    ASSERT_GT(rows.size(), 300u);
    int checked = 0;
    for (const auto& r : rows) {
        ASSERT_EQ(r.size(), 23u);
        const double q = r[10], eta = r[11], etamax = r[12], fl = r[13], m = r[14], wtot = r[9];
        if (std::isnan(wtot) || r[0] < 20.0) continue;
        // Heat from the magma: m (U3 - U2) = 1200 (Tm - T3) M per kg of magma.
        EXPECT_NEAR(m * q / w.molarMass() / (1200.0 * (700.0 - r[2])), 1.0, 1e-3) << r[0];
        EXPECT_GT(q, 0.0);
        // Carnot's bound with the 293.15 K surface as the cold end.
        EXPECT_LE(eta, etamax + 0.005) << r[0];
        EXPECT_GE(fl, 0.0);
        EXPECT_LE(fl, 1.0);
        // J per g of water.
        EXPECT_NEAR(r[16], 0.001 * wtot / w.molarMass(), 0.01);
        ++checked;
    }
    EXPECT_GT(checked, 100);
    EXPECT_NE(c.out.find("Rendement maximal"), std::string::npos);
}

TEST(WaterStudies, PhreaticTableAsIgorText) {
    WaterStudyModel w(2);
    capture([&] { w.calculatePhreaticCycle(50.0, 420.0, 1, 1, "p"); });
    const std::string text = readFile("heatirrp");
    ASSERT_EQ(text.rfind("IGOR\nWAVES deltaTp", 0), 0u) << text.substr(0, 80);
    EXPECT_NE(text.find("wirp\nBEGIN\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "END\n");
    const auto rows = rowsOf(text, "BEGIN");
    ASSERT_GT(rows.size(), 100u);
    for (const auto& r : rows) EXPECT_EQ(r.size(), 24u);
    // A magma colder than the water at depth makes no table.
    const auto c = capture([&] { w.calculatePhreaticCycle(50.0, 300.0, 1, 1, "q"); });
    EXPECT_NE(c.err.find("No cycle"), std::string::npos);
}

TEST(WaterStudies, ChokedFlowOfDiluteSteamIsTheIdealGasOne) {
    WaterStudyModel w(1);
    w.set_the_phase_as(1);
    capture([&] { w.calculateFlow(900.0, 1.0, nullptr); });
    const double g = w.lastFlowGamma;
    ASSERT_GT(g, 1.2);
    ASSERT_LT(g, 1.35);
    // T*/T = 2 / (gamma + 1) for an ideal gas (gamma varies little along the expansion).
    EXPECT_NEAR(w.lastThroatT / 900.0, 2.0 / (g + 1.0), 0.01);
    EXPECT_NEAR(w.lastThroatP, 1e5 * std::pow(2.0 / (g + 1.0), g / (g - 1.0)), 1.0);
    // At the throat the flow speed equals the sound speed: h0 - h* = c*^2 / 2.
    const double M = w.molarMass();
    w.calculateFromTP(900.0, 1.0, 0);
    const double H0 = w.H;
    w.temperature(w.lastThroatT);
    w.volume(w.lastThroatV);
    w.calculate_state_functions();
    EXPECT_NEAR((H0 - w.H) / M, 0.5 * w.soundSpeed * w.soundSpeed, 0.01 * 0.5 * w.soundSpeed * w.soundSpeed);
    // An isobar into a file: one row per kelvin.
    WaterStudyModel v(1);
    capture([&] { v.calculateFlowIsobar(1.0, 800.0, 805.0, 0); });
    const auto rows = rowsOf(readFile("flox1"));
    EXPECT_EQ(rows.size(), 6u);
}

TEST(WaterStudies, ThroatAndShockEndStatesDoNotDependOnTheStudyBefore) {
    // The isentropic searches start from a point that an earlier study leaves: from there they once
    // landed on a root of another branch of IAPWS-95 (a liquid at 373 K expanded to 0.6 bar found at
    // 620 K and 57 cm3/mol, inside the two-phase region) or failed.  Every pair of states gives the
    // second the throat and shock end states a fresh model gives it.
    const std::vector<std::pair<double, double>> states = {{300, 10},  {500, 100},   {900, 1},  {1200, 1000},
                                                           {373, 1.01}, {2000, 5e4}, {260, 1}, {800, 2}};
    auto phaseFor = [](WaterStudyModel& w, double T, double P) {
        w.set_the_phase_as(T > 647.096 || P < 0.05 ? 1 : 2);
    };
    for (const auto& [Tb, Pb] : states) {
        WaterStudyModel fresh(2);
        phaseFor(fresh, Tb, Pb);
        capture([&, Tb = Tb, Pb = Pb] { fresh.calculateFlow(Tb, Pb, nullptr); });
        ASSERT_EQ(fresh.errorflag, 0) << Tb << " " << Pb;
        const double T0 = fresh.lastThroatT, V0 = fresh.lastThroatV;
        for (const auto& [Ta, Pa] : states) {
            WaterStudyModel w(2);
            phaseFor(w, Ta, Pa);
            capture([&, Ta = Ta, Pa = Pa] { w.calculateFlow(Ta, Pa, nullptr); });
            phaseFor(w, Tb, Pb);
            capture([&, Tb = Tb, Pb = Pb] { w.calculateFlow(Tb, Pb, nullptr); });
            EXPECT_NEAR(w.lastThroatT, T0, 1e-6 * T0) << Ta << " " << Pa << " then " << Tb << " " << Pb;
            EXPECT_NEAR(w.lastThroatV, V0, 1e-6 * V0) << Ta << " " << Pa << " then " << Tb << " " << Pb;
        }
    }
}

TEST(WaterStudies, ShockWaveMatchesBothSides) {
    WaterStudyModel w(2);
    w.set_the_phase_as(1);
    const auto c = capture([&] { w.calculateShockWave(900.0, 50.0, nullptr); });
    ASSERT_EQ(w.errorflag, 0) << c.out;
    const double p = w.lastShockP, u = w.lastShockU;
    EXPECT_GT(p, 1.0);
    EXPECT_LT(p, 50.0);
    // The air's particle velocity behind the shock (gamma 1.4) equals the velocity the
    // water reaches by expanding to p.
    EXPECT_NEAR(u, 283.56 * (p - 1.0) / std::sqrt(1.166 * (p + 0.166)), 1e-6 * u);
    double printed = 0;
    ASSERT_EQ(std::sscanf(c.out.c_str() + c.out.find("Velocity of shocked air"), "Velocity of shocked air : %lf",
                          &printed),
              1);
    EXPECT_NEAR(printed, u, 1e-5 * u);
    // Rankine-Hugoniot for air (gamma 1.4): M^2 = 1 + (gamma + 1)/(2 gamma) (p - 1), and the
    // velocity behind the shock c (p - 1) / (gamma M), over strengths from a wave of none
    // (M = 1, the sound speed 340 m/s) to strong shocks.
    for (const double P : {1.0, 2.0, 10.0, 50.0, 300.0, 2000.0}) {
        WaterStudyModel s(1);
        s.set_the_phase_as(1);
        const auto o = capture([&] { s.calculateShockWave(900.0, P, nullptr); });
        ASSERT_NE(o.out.find("Mach number"), std::string::npos) << P << o.err;
        const double q = s.lastShockP;
        double mach = 0, speed = 0, uair = 0;
        ASSERT_EQ(std::sscanf(o.out.c_str() + o.out.find("Mach number"), "Mach number             : %lf", &mach), 1);
        ASSERT_EQ(std::sscanf(o.out.c_str() + o.out.find("Shock velocity"), "Shock velocity          : %lf", &speed), 1);
        ASSERT_EQ(std::sscanf(o.out.c_str() + o.out.find("Velocity of shocked air"), "Velocity of shocked air : %lf",
                              &uair),
                  1);
        const double M = std::sqrt(1.0 + 2.4 / 2.8 * (q - 1.0));
        EXPECT_NEAR(mach, M, 1e-3 * M) << P;
        EXPECT_NEAR(speed, 340.0 * M, 1e-3 * 340.0 * M) << P;
        EXPECT_NEAR(uair, 340.0 / 1.4 * (q - 1.0) / M, 2e-3 * (1.0 + uair)) << P;
    }
    // No shock without a pressure difference: p = 1 bar gives u = 0.
    WaterStudyModel::ShockWaveArgs a;
    a.waterSound = 600.0;
    a.waterGamma = 1.3;
    a.waterP = 1.0;
    EXPECT_NEAR(w.equationForShockWave(1.0, &a), 0.0, 1e-9);
    EXPECT_EQ(a.u, 0.0);
    w.error = 0;
    w.equationForShockWave(-1.0, &a);
    EXPECT_EQ(w.error, 1);
    w.error = 0;
}

TEST(WaterStudies, InterfacePairsStartAtSaturation) {
    WaterStudyModel w(2);
    capture([&] { w.calculateInterfaceTemperatureCurve("itc", 450.0, 0, 0.5, 1.0, 1, "x"); });
    const std::string text = readFile("itcx");
    ASSERT_EQ(text.rfind("IGOR\nWAVES", 0), 0u);
    const auto rows = rowsOf(text, "BEGIN");
    ASSERT_GE(rows.size(), 3u);
    // D = 0: both sides at the IAPWS-95 vapour pressure 9.322 bar.
    EXPECT_DOUBLE_EQ(rows[0][0], 0.0);
    EXPECT_NEAR(rows[0][3], 9.32203564, 1e-4);
    EXPECT_NEAR(rows[0][4], 9.32203564, 1e-4);
    // The hot liquid is D above the vapour, at equal pressures.
    EXPECT_NEAR(rows[2][1] - rows[2][2], rows[2][0], 1e-9);
    EXPECT_NEAR(rows[2][3], rows[2][4], 1e-3);
    EXPECT_EQ(text.substr(text.size() - 4), "END\n");
    // A step that never advances is refused.
    const auto c = capture([&] { w.calculateInterfaceTemperatureCurve("itc", 450.0, 0, 0.0, 1.0, 1, "y"); });
    EXPECT_NE(c.err.find("positive temperature step"), std::string::npos);
}

TEST(WaterStudies, NucleationRateRisesAsTheLiquidIsStretched) {
    WaterStudyModel w(2);
    const auto c = capture([&] { w.calculateNucleationRate(550.0, 10.0); });
    const int lines = countOf(c.out, "nucleus");
    ASSERT_GT(lines, 5);
    // The rate grows (the nucleus shrinks) towards the spinodal; the first
    // line is the saturated state itself.
    std::vector<double> J, r;
    std::size_t pos = c.out.find("nucleus") + 1;
    while ((pos = c.out.find(" r ", pos)) != std::string::npos) {
        double rr, jj;
        if (std::sscanf(c.out.c_str() + pos, " r %lf J %lf", &rr, &jj) == 2) {
            r.push_back(rr);
            J.push_back(jj);
        }
        ++pos;
    }
    ASSERT_GT(J.size(), 5u);
    for (double j : J) EXPECT_TRUE(std::isfinite(j));
    EXPECT_GT(J.back(), J.front());
    EXPECT_GT(J.back(), 1e20);
    EXPECT_LT(r.back(), r.front());
    EXPECT_GT(r.back(), 0.0);
    EXPECT_GT(w.lastNucleationRate, 0.0);
}

TEST(WaterStudies, FluidInclusionData) {
    {
        std::FILE* f = std::fopen("incl.txt", "w");
        ASSERT_NE(f, nullptr);
        for (int i = 0; i < 36; ++i) std::fprintf(f, "header line %d\n", i);
        std::fprintf(f, "25.0 1.0 200.0 150.0 quartz A1\n");
        std::fprintf(f, "25.0 1.0 250.0 180.0 quartz A1\n");
        std::fprintf(f, "group two\n");
        std::fprintf(f, "25.0 1.0 150.0 100.0 calcite B2\n");
        std::fprintf(f, "25.0 1.0\n");
        std::fclose(f);
    }
    WaterStudyModel w(2);
    bool ok = false;
    const auto c = capture([&] { ok = w.workInclusionData("incl.txt"); });
    ASSERT_TRUE(ok);
    EXPECT_NE(c.out.find("Th 200.000000   Tn 150.000000 \n"), std::string::npos);
    EXPECT_NE(c.err.find("Incomplete fluid-inclusion record"), std::string::npos);
    const std::string res = readFile("incl.res");
    ASSERT_EQ(res.rfind("# ", 0), 0u);
    const auto rows = rowsOf(res);
    ASSERT_EQ(rows.size(), 3u);
    // Th = 200 C: saturated liquid 864.7 kg/m3 at 15.54 bar (IAPWS-95).
    EXPECT_NEAR(rows[0][3], 864.7, 0.3);
    EXPECT_NEAR(rows[0][5], 15.54, 0.02);
    // Nucleation below Th: the isochoric liquid is under tension (Pn < Ph).
    EXPECT_LT(rows[0][7], rows[0][5]);
    // The liquid nucleates before the cooling isochore reaches its spinodal.
    EXPECT_LT(rows[0][8], 150.0);
    EXPECT_LT(rows[0][9], rows[0][7]);
    EXPECT_NE(res.find("\n\n\n"), std::string::npos);  // the group separator
    // Missing and short names: a message, nothing written outside the name.
    EXPECT_FALSE(w.workInclusionData("no-such-file.txt"));
    EXPECT_FALSE(w.workInclusionData(""));
    EXPECT_FALSE(w.workInclusionData(nullptr));
    std::FILE* s = std::fopen("ab", "w");
    std::fclose(s);
    EXPECT_TRUE(w.workInclusionData("ab"));
    EXPECT_NE(readFile("ab.res").find("Tt(1)"), std::string::npos);
}

TEST(WaterStudies, CommandWords) {
    WaterStudyModel w(2);
    std::vector<std::string> words = {"conductivity", "300", "wfrac", "300", "1", "0", "flow", "hot", "1",
                                      "T",            "320", "superheat", "5"};
    std::vector<char*> argv;
    for (auto& s : words) argv.push_back(s.data());
    const auto c = capture([&] { runFluidCommands(w, static_cast<int>(argv.size()), argv.data(), nullptr); });
    EXPECT_NE(c.out.find("k :     0.60"), std::string::npos) << c.out;
    EXPECT_NE(c.out.find("Volume water fraction : 0.000000\n"), std::string::npos);
    EXPECT_NE(c.err.find("Expected a number, not \"hot\""), std::string::npos);
    EXPECT_DOUBLE_EQ(w.T, 320.0);
    EXPECT_NE(c.err.find("The superheat command takes 2 arguments (z dT): it is not run.\n"), std::string::npos);

    // No number for states that do not exist: a temperature below IAPWS-95's
    // lowest (251.165 K) or above 5000 K, a pressure at or below zero or above
    // 100 000 bar (the limits of its extrapolation), the liquid's conductivity
    // above the critical point (its polynomial turns negative near 760 K), the
    // boiling of a liquid heated above the critical pressure.
    const std::vector<std::pair<std::vector<std::string>, const char*>> refused = {
        {{"flow", "-5", "1"}, "needs T from 251.165 to 5000 K, not -5"},
        {{"flow", "200", "1"}, "needs T from 251.165 to 5000 K, not 200"},
        {{"flow", "1e5", "1"}, "needs T from 251.165 to 5000 K, not 100000"},
        {{"flow", "600", "1e7"}, "needs P above 0 and up to 100000, not 1e+07"},
        {{"shock", "500", "0"}, "needs P above 0 and up to 100000, not 0"},
        {{"revirr", "500", "-1e5"}, "needs P(Pa) above 0 and up to 1e+10"},
        {{"revirr", "1e5", "1e7"}, "needs T from 251.165 to 5000 K"},
        {{"wfrac", "1e5", "100", "0.1"}, "needs T from 251.165 to 5000 K"},
        {{"shockisobar", "100", "0", "300", "1", "0", "s"}, "needs Tmin from 251.165 to 5000 K, not 0"},
        {{"conductivity", "5000"}, "none at 5000 K"},
        {{"conductivity", "260"}, "none at 260 K"},
        {{"heatnucleation", "300", "1"}, "No boiling point of water at 300 bar"},
    };
    for (const auto& [args, says] : refused) {
        std::vector<std::string> a = args;
        std::vector<char*> v;
        for (auto& x : a) v.push_back(x.data());
        const auto r = capture([&] { runFluidCommands(w, static_cast<int>(v.size()), v.data(), nullptr); });
        EXPECT_NE(r.err.find(says), std::string::npos) << args[0] << ": " << r.err;
        EXPECT_EQ(r.out.find("k :"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("-> V"), std::string::npos) << r.out;
    }
    // At the ends of the liquid's range the polynomial gives 0.56438 and 0.38045 W/(m K).
    std::vector<std::string> ends = {"conductivity", "273.16", "conductivity", "647.096"};
    std::vector<char*> e;
    for (auto& x : ends) e.push_back(x.data());
    const auto k = capture([&] { runFluidCommands(w, static_cast<int>(e.size()), e.data(), nullptr); });
    EXPECT_NE(k.out.find("k :     0.5643"), std::string::npos) << k.out;
    EXPECT_NE(k.out.find("k :     0.3804"), std::string::npos) << k.out;
}

TEST(WaterStudies, ArgumentsWithoutAMeaningAreRefusedWithoutAResult) {
    // Each study word at the end of what it accepts: a reported failure and none of its results, where it used
    // to print a mass or volume fraction outside 0-1, a negative vapour fraction or radius, a shock weaker than
    // the atmosphere (negative velocities, air at 3 K), a liquid at a negative pressure, zeros for a throat
    // state not found, nothing at all, or a table of headers only.
    struct Case {
        std::vector<std::string> args;
        const char* says;
        const char* noResult;
        const char* noFile;
    };
    const std::vector<Case> cases = {
        {{"wfrac", "1273", "1000", "1.5"}, "must lie between 0 and 1, not 1.5", "Volume water fraction", nullptr},
        {{"wfrac", "300", "1", "-0.1"}, "must lie between 0 and 1, not -0.1", "Volume water fraction", nullptr},
        {{"wfracdiagram", "1.2", "1000", "1010", "500", "510"}, "between 0 and 1, not 1.2", nullptr, "wat"},
        {{"wfracdiagram", "0.04", "1010", "1000", "500", "510"}, "needs Tmin not above Tmax", nullptr, "wat"},
        {{"flowisobar", "1", "805", "800", "0"}, "needs Tmin not above Tmax", nullptr, "flox1"},
        {{"shockisotherm", "900", "50", "48"}, "needs Pmin not above Pmax", nullptr, "shockt"},
        {{"nucleation", "500", "-1"}, "must be positive: b = -1", "\u00b5", nullptr},
        {{"heatnucleation", "10", "0"}, "heating rate b of the liquid must be above 0", nullptr, "nuclea100"},
        {{"henley", "300", "310", "1", "1", "1", "h"}, "T0 = 300 K must lie above T1 = 310 K", nullptr, "henleyh"},
        {{"henley", "310", "300", "1", "0", "1", "h"}, "f above 0 and at most 1", nullptr, "henleyh"},
        {{"revirr", "300", "1e5"}, "No steam state of water at 300 K", "Decompression point", nullptr},
        {{"shock", "251.165", "1e-3"}, "drives no shock into the air at 1 bar", "Mach number", nullptr},
        {{"flow", "647.096", "220.64"}, "no state on the isentrope", "Tf1", nullptr},
        {{"wohletz", "-10", "700", "1"}, "state 2 (290.15 K, -9.00 bar)", "State 3", "wohl0"},
        {{"superheat", "100", "-5"}, "boils on its isentrope only at 0.0204", "fl :", nullptr},
        {{"superheat", "100", "1000"}, "beyond its superheat limit", "fl :", nullptr},
    };
    for (const Case& c : cases) {
        for (const char* f : {c.noFile})
            if (f) std::remove(f);
        WaterStudyModel w(2);
        std::vector<std::string> a = c.args;
        std::vector<char*> v;
        for (auto& x : a) v.push_back(x.data());
        const auto r = capture([&] { runFluidCommands(w, static_cast<int>(v.size()), v.data(), nullptr); });
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args[0] << ": " << r.err;
        if (c.noResult) {
            EXPECT_EQ(r.out.find(c.noResult), std::string::npos) << c.args[0] << ": " << r.out;
        }
        if (c.noFile) {
            EXPECT_FALSE(std::ifstream(c.noFile).good()) << c.args[0] << " wrote " << c.noFile;
        }
    }
}

TEST(WaterStudies, ReversibleAndIrreversibleDecompressionBalances) {
    // Steam at 700 K and 100 bar decompressed to 1 bar.  Irreversibly, against the constant 1 bar, its
    // enthalpy at the end is u1 + (1 bar) v1; reversibly its isentrope enters the two-phase region and
    // ends as the mixture of its entropy at the boiling point of 1 bar (IAPWS-95: 372.756 K, hl 417.50
    // and hv 2675.0 kJ/kg, sl 1.3028 and sv 7.3588 kJ/(kg K)).
    WaterStudyModel ref(1);
    ref.set_the_phase_as(1);
    ref.calculateFromTP(700.0, 100.0, 0);
    const double M = ref.molarMass(), u1 = ref.U / M * 1e-3, v1 = ref.V / M, s1 = ref.S / M * 1e-3;
    WaterStudyModel w(2);
    std::vector<std::string> a = {"revirr", "700", "1e7"};
    std::vector<char*> v;
    for (auto& x : a) v.push_back(x.data());
    const auto r = capture([&] { runFluidCommands(w, static_cast<int>(v.size()), v.data(), nullptr); });
    EXPECT_EQ(r.err.find("failed"), std::string::npos) << r.err;
    std::vector<double> T, h;
    for (std::size_t at = r.out.find("T : "); at != std::string::npos; at = r.out.find("T : ", at + 1)) {
        double t = 0, hm = 0, hk = 0;
        ASSERT_EQ(std::sscanf(r.out.c_str() + at, "T : %lf\nV : %*f\nH : %lf kJ/mol %lf kJ/kg", &t, &hm, &hk), 3);
        T.push_back(t);
        h.push_back(hk);
    }
    ASSERT_EQ(T.size(), 2u) << r.out;
    EXPECT_NEAR(h[0], u1 + 1e5 * v1 * 1e-3, 0.01);
    const double x = (7.3588 - s1) / (7.3588 - 1.3028);  // liquid fraction
    EXPECT_NEAR(h[1], x * 417.50 + (1 - x) * 2675.0, 0.5);
    EXPECT_NEAR(T[1], 372.756, 0.01);
}

TEST(WaterStudies, GibbsEnergyMapCrossesAtCoexistence) {
    WaterStudyModel w(2);
    // At the vapour pressure of 450 K the liquid's Gibbs energy G0 is also
    // the saturated vapour's: G0 - G changes sign at the vapour volume (3.9 L/mol).
    capture([&] { w.drawEquilibriumPotentials(450.0, 9.32203564, 450.0, 450.2, 2e-5, 1e-2, 1); });
    const auto rows = rowsOf(readFile("film"));
    ASSERT_EQ(rows.size(), 3u * 100u);
    int crossings = 0;
    for (std::size_t i = 1; i < 100; ++i) {
        const auto& a = rows[i - 1];
        const auto& b = rows[i];
        if (a[1] > 2e-3 && (a[3] > 0.0) != (b[3] > 0.0)) {
            EXPECT_GT(b[1], 3.5e-3);
            EXPECT_LT(a[1], 4.3e-3);
            ++crossings;
        }
    }
    EXPECT_EQ(crossings, 1);
    const auto c = capture([&] { w.drawEquilibriumPotentials(450.0, 1.0, 450.0, 451.0, 1e-3, 1e-4, 1); });
    EXPECT_NE(c.err.find("0 < Vmin < Vmax"), std::string::npos);
}

// The map's states are computed on every core, a stretch of an isotherm per
// worker: its lines are, in order, those of one model evaluated state after
// state (the vapour's volumes by the map's own steps of 1e-8 m3/mol), across
// the stretches of an isotherm (1,200 volumes) and the isotherms' ends.
TEST(WaterStudies, GibbsEnergyMapIsTheStatesOfOneModelInOrder) {
    WaterStudyModel w(2);
    const double Vmin = 3e-3, Vmax = 3.012e-3;
    // G0: the vapour at 450 K and 5 bar (below the vapour pressure, 9.32 bar).
    const auto c = capture([&] { w.drawEquilibriumPotentials(450.0, 5.0, 450.0, 450.2, Vmin, Vmax, 0); });
    EXPECT_EQ(c.err.find("nan"), std::string::npos) << c.err;
    WaterStudyModel one(1);
    one.set_the_phase_as(1);
    one.calculateFromTP(450.0, 5.0, 0);
    ASSERT_EQ(one.errorflag, 0);
    ASSERT_GT(one.V, 7e-3);  // the vapour (7.2 L/mol)
    const double G0 = one.G;
    std::string expected;
    char line[160];
    int volumes = 0;
    for (int i = 0; i < 3; ++i) {
        const double t = 450.0 + 0.1 * i;
        volumes = 0;
        for (double v = Vmin; v < Vmax; v += 1e-8, ++volumes) {
            one.temperature(t);
            one.volume(v);
            one.calculate_pressure();
            one.calculate_state_functions();
            ASSERT_EQ(one.errorflag, 0);
            std::snprintf(line, sizeof line, "%12.2f %12.6lf %12lg %12lg %12f\n", t, v, one.G, G0 - one.G, one.P * 1e-5);
            expected += line;
        }
        expected += "\n";
    }
    EXPECT_GT(volumes, 1024);  // three stretches of 512
    EXPECT_TRUE(readFile("film") == expected);
    EXPECT_EQ(w.lastRows, 3 * volumes);

    // Volumes that the step cannot advance (1e-8 below the spacing of doubles
    // near 1e9) are refused before the file is opened, instead of a row
    // without end.
    std::remove("film");
    const auto d = capture([&] { w.drawEquilibriumPotentials(450.0, 1.0, 450.0, 451.0, 1e9, 2e9, 0); });
    EXPECT_NE(d.err.find("do not advance"), std::string::npos) << d.err;
    EXPECT_EQ(std::fopen("film", "r"), nullptr);

    // IAPWS-95 holds from 251.165 to 1273 K and up to 10,000 bar: a reference
    // state or isotherms outside that are refused, and a reference state
    // without the phase asked for too, before the file is opened (the
    // reference G0 is not the Gibbs energy of whatever state came before).
    const struct {
        double T0, P0, Tmin, Tmax;
        char geometric;
        const char* says;
    } refused[] = {{-5.0, 1.0, 450.0, 450.1, 1, "lies outside it"},
                   {300.0, 1e7, 450.0, 450.1, 1, "lies outside it"},
                   {5000.0, 1.0, 450.0, 450.1, 1, "lies outside it"},
                   {450.0, 5.0, 450.0, 5000.0, 1, "from 450 to 5000 K lies outside it"},
                   {450.0, 500.0, 450.0, 450.1, 0, "No vapour state"}};
    for (const auto& r : refused) {
        const auto e = capture([&] { w.drawEquilibriumPotentials(r.T0, r.P0, r.Tmin, r.Tmax, 2e-5, 3e-5, r.geometric); });
        EXPECT_NE(e.err.find(r.says), std::string::npos) << r.T0 << " K " << r.P0 << " bar: " << e.err;
        EXPECT_EQ(std::fopen("film", "r"), nullptr);
    }
    // States above 10,000 bar (liquid water compressed to 1 cm3/mol) are
    // written as nan, with a note; the others as the model gives them.
    const auto f = capture([&] { w.drawEquilibriumPotentials(450.0, 50.0, 450.0, 450.0, 1e-6, 2.2e-5, 1); });
    EXPECT_NE(f.err.find("written as nan"), std::string::npos) << f.err;
    int withheld = 0, given = 0;
    std::istringstream lines(readFile("film"));
    for (std::string l; std::getline(lines, l);) {
        if (l.empty()) continue;
        double t = 0.0, v = 0.0;
        ASSERT_EQ(std::sscanf(l.c_str(), "%lf %lf", &t, &v), 2) << l;
        one.temperature(t);
        one.volume(v);
        one.calculate_pressure();
        if (one.P * 1e-5 > 1e4) {
            EXPECT_NE(l.find("nan"), std::string::npos) << l;
            ++withheld;
        } else {
            EXPECT_EQ(l.find("nan"), std::string::npos) << l;
            ++given;
        }
    }
    EXPECT_GT(withheld, 50);
    EXPECT_GE(given, 5);
}

TEST(WaterStudies, ShockWaveIsothermAndIsobarFiles) {
    WaterStudyModel w(1);
    w.set_the_phase_as(1);
    capture([&] { w.calculateShockWaveIsotherm(900.0, 48.0, 50.0); });
    auto rows = rowsOf(readFile("shockt"));
    ASSERT_EQ(rows.size(), 3u);
    for (const auto& r : rows) {
        ASSERT_EQ(r.size(), 14u);
        // The shock is weaker than the water's pressure and the air behind it is hotter.
        EXPECT_GT(r[2], 1.0);
        EXPECT_LT(r[2], r[0]);
        EXPECT_GT(r[9], 300.0);
    }
    WaterStudyModel v(2);
    capture([&] { v.calculateShockWaveIsobar(100.0, 700.0, 703.0, 1, 1, "s"); });
    const std::string text = readFile("shockp100");
    ASSERT_EQ(text.rfind("IGOR\nWAVES    Pms", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 4), "END\n");
    EXPECT_EQ(rowsOf(text, "BEGIN").size(), 4u);
}

TEST(WaterStudies, HeatingNucleationRateEndsWithTheLiquid) {
    WaterStudyModel w(2);
    capture([&] { w.calculateHeatingNucleationRate(10.0, 1.0); });
    const std::string text = readFile("nuclea100");
    ASSERT_NE(text.find("# dTdt"), std::string::npos);
    const auto rows = rowsOf(text, "deltac(10)");
    ASSERT_GT(rows.size(), 100u);
    // In 1 K steps from the boiling point at 10 bar (453.03 K), where the
    // vapour is not above the liquid and no nucleus forms: the first row lies
    // one kelvin above it.
    EXPECT_NEAR(rows[0][0], 454.03, 0.01);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // The critical nucleus: r = 2 sigma / (Pv - Pl), finite and positive.
        EXPECT_GT(rows[i][4], rows[i][3]) << rows[i][0];
        EXPECT_TRUE(std::isfinite(rows[i][5]) && rows[i][5] > 0.0) << rows[i][0];
        if (i == 0) continue;
        EXPECT_NEAR(rows[i][0] - rows[i - 1][0], 1.0, 1e-6);
        // Every row a liquid at 10 bar.
        EXPECT_LT(rows[i][1], 56.0);
        EXPECT_NEAR(rows[i][3], 10.0, 1e-3);
    }
    // Near the spinodal the rate is large and tau = 1 / (J per mm3 per day).
    const auto& last = rows.back();
    EXPECT_GT(last[6], 1e10);
    EXPECT_NEAR(last[8], 1.0 / (last[6] * 1e6 * 1e-9 * 24 * 3600), 1e-3 * last[8]);
    EXPECT_GT(last[6], rows[rows.size() - 10][6]);
}

TEST(WaterStudies, WohletzMixtureCycleHeatedByFragments) {
    WaterStudyModel w(2);
    capture([&] { w.calculateWohletzCycle(100.0, 400.0, 0); });
    const auto rows = rowsOf(readFile("wohl1"));
    ASSERT_GT(rows.size(), 70u);
    int finite = 0;
    for (const auto& r : rows) {
        ASSERT_EQ(r.size(), 23u);
        EXPECT_GE(r[22], 200.0);
        if (std::isnan(r[9]) || r[0] < 20.0) continue;
        // The fragments' heat counts in q: the efficiency stays below Carnot's.
        EXPECT_LE(r[11], r[12] + 0.005) << r[0];
        EXPECT_LE(r[9], 0.0);
        ++finite;
    }
    EXPECT_GT(finite, 10);
}
