// Heating-decompression paths, the log and array outputs of a cycle, the
// one-point E(m) calculation, the 1-bar saturated expansion and the Igor
// scripts' variants.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "console/WaterMagmaModel.h"
#include "console/tests/ConsoleTestSupport.h"

using consoletest::capture;
using consoletest::waterMagmaInputs;
using consoletest::countOf;
using consoletest::readFile;

namespace {

constexpr double M = 0.018015268;

}  // namespace

TEST(HeatingDecompression, HeatReceivedIsTheHeatTheFragmentsGaveOff) {
    // Without latent heat every reheating step is the closed-form mixing
    // temperature, so the heat received by the water is the heat given off by
    // the magma cooling from the start to its last temperature.
    WaterMagmaModel w;
    w.magmaWaterRatio = 0.5;
    w.magmaHeatCapacity = 1200.0;
    w.latentHeat = 0.0;
    w.solidusTemperature = 1173.15;
    w.liquidusTemperature = 1473.15;
    w.set_the_phase_as(1);
    w.calculateFromTP(900.0, 300.0, 0);
    const double V0 = w.V;
    std::vector<double> rows;
    w.calculateHeatingDecompression(V0, 900.0, 273.15, 1500.0, 1e5, 6, "", &rows);
    ASSERT_EQ(rows.size() % 13, 0u);
    ASSERT_GT(rows.size(), 13u * 10);
    const std::size_t last = rows.size() - 13;
    const double Tmag = rows[last + 10], Q = rows[last + 12];
    const double cM = M * w.magmaHeatCapacity / w.magmaWaterRatio;  // J/(K mol of water)
    EXPECT_NEAR(Q, cM * (900.0 - Tmag), 1e-4 * Q);
    // The water and the fragments end each step at one temperature.
    for (std::size_t i = 0; i < rows.size(); i += 13) EXPECT_DOUBLE_EQ(rows[i], rows[i + 10]);
    // The end state at 1 bar is interpolated; the path did work.
    EXPECT_EQ(w.decompressionEndFlag == 1 || w.decompressionSaturationFlag == 1, true);
    EXPECT_LT(rows[last + 11], 0.0);
    // Mode 1 writes the same rows into "isoh" + suffix.
    w.calculateHeatingDecompression(V0, 900.0, 273.15, 1500.0, 1e5, 1, "9", nullptr);
    const std::string text = readFile("isoh9");
    EXPECT_EQ(text.rfind("IGOR\nWAVES     T9\t", 0), 0u);
    EXPECT_EQ(countOf(text, "\n"), static_cast<int>(rows.size() / 13) + 4);
}

TEST(HeatingDecompression, LiquidPathMeetsTheSaturationCurve) {
    WaterMagmaModel w;
    w.magmaWaterRatio = 1.0;
    w.magmaHeatCapacity = 1200.0;
    w.latentHeat = 350000.0;
    w.solidusTemperature = 1173.15;
    w.liquidusTemperature = 1473.15;
    w.set_the_phase_as(2);
    w.calculateFromTP(550.0, 500.0, 0);
    w.calculateHeatingDecompression(w.V, 550.0, 273.15, 1500.0, 1e5, 0, "", nullptr);
    ASSERT_EQ(w.decompressionSaturationFlag, 1);
    EXPECT_NEAR(w.decompressionP4, WaterEOS::saturationPressureWagnerPruss(w.decompressionT4),
                0.01 * w.decompressionP4);
    EXPECT_GT(w.decompressionHeat4, 0.0);
    EXPECT_LT(w.decompressionWork4, 0.0);
}

TEST(WaterMagmaLog, CycleReportsIntoTheLogAndFillsItsCurves) {
    consoletest::RecordingSink sink;
    WaterMagmaModel w;
    WaterMagmaCalculationInfo info = waterMagmaInputs({"pyroclast"});
    WaterMagmaCalculationResult r;
    r.scriptFlag = 6;
    auto c = capture([&] { w.calculateWaterMagmaCycle(info, r, 1, 2); });
    ASSERT_EQ(w.errorflag, 0);
    EXPECT_NE(sink.text.find("Input Summary:"), std::string::npos);
    EXPECT_NE(sink.text.find("Magma-water interaction for m = 1.0000 kg of water per kg of magma"), std::string::npos);
    EXPECT_NE(sink.text.find("Irreversible pyroclast-heated case:"), std::string::npos);
    EXPECT_NE(sink.rtf.find("{\\colortbl;\\red255\\green255\\blue255;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"),
              std::string::npos);
    EXPECT_EQ(c.out.find("Reversible isentropic case"), std::string::npos);  // nothing on standard output
    // Curves in arrays of 13 values per point, in the framework's column
    // orders: isochore T P A H U S G Cv Cp dPdV V Um Hm, isentrope T V P A H
    // U S G Cv Cp Um Hm rho.
    const std::size_t n = 13;
    ASSERT_GT(r.isochoreArray.size(), n);
    ASSERT_EQ(r.isochoreArray.size() % n, 0u);
    EXPECT_NEAR(r.isochoreArray[0], r.T2, 1e-9);
    EXPECT_NEAR(r.isochoreArray[r.isochoreArray.size() - n], r.T3, 1e-6);
    for (std::size_t i = 0; i < r.isochoreArray.size(); i += n) EXPECT_NEAR(r.isochoreArray[i + 10], r.V2, 1e-9);
    ASSERT_GT(r.isentropeArray.size(), n);
    ASSERT_EQ(r.isentropeArray.size() % n, 0u);
    for (std::size_t i = 0; i < r.isentropeArray.size(); i += n) EXPECT_NEAR(r.isentropeArray[i + 6], r.S3, 1e-6);
    EXPECT_GT(r.decompressionArray.size(), 13u);
}

TEST(WaterMagmaLog, RechargeLoopTableInTheLog) {
    consoletest::RecordingSink sink;
    WaterMagmaModel w;
    WaterMagmaCalculationInfo info = waterMagmaInputs({"recharge", "max", "3", "m", "0.5"});
    WaterMagmaCalculationResult r;
    r.scriptFlag = 6;
    std::vector<double> point;
    EXPECT_EQ(w.calculateEnergyDiagramPoint(0.5, info, r, &point), 1);
    EXPECT_EQ(point.size(), 31u);
    EXPECT_DOUBLE_EQ(point[0], 0.5);
    EXPECT_DOUBLE_EQ(point[24], -r.WrevTotal);
    EXPECT_DOUBLE_EQ(point[27], r.cycleCount);
    EXPECT_LE(r.cycleCount, 3.0);

    sink.text.clear();
    w.calculateWaterMagmaCycleWithRecharge(info, r, 0, 1);
    EXPECT_NE(sink.text.find("(open system)"), std::string::npos);
    EXPECT_NE(sink.text.find("Cycle           T3            Q"), std::string::npos);
    EXPECT_NE(sink.text.find("\u23AF\u23AF\u23AF"), std::string::npos);
    EXPECT_NE(sink.text.find("Enhancement factor (reversible, isentropic)"), std::string::npos);
    EXPECT_DOUBLE_EQ(info.Tm, 1473.15);  // restored
}

TEST(WaterMagmaWorks, OneBarSaturatedExpansionMatchesTheGeneralReference) {
    WaterMagmaModel w;
    // Saturated liquid and vapour at 10 bar.
    w.calculateTheSaturationTemperature(10.0, 0);
    const double T = w.T, Vl = w.Vl_sat, Vv = w.Vv_sat;
    w.temperature(T);
    w.volume(Vl);
    w.calculate_state_functions();
    const double Ul = w.U, Sl = w.S;
    w.volume(Vv);
    w.calculate_state_functions();
    const double Uv = w.U, Sv = w.S;
    double x1, x2, xi1, xi2, W1, W2, Wi1, Wi2;
    w.calculateSaturationExpansionWork(Vl, Vv, Ul, Uv, Sl, Sv, x1, x2, xi1, xi2, W1, W2, Wi1, Wi2);
    WaterSaturationResult rec;
    w.calculateSaturatedExpansionWork(0.0, 10.0, &rec, 1.0);
    // The fixed 1-bar values are the reference model's at 1 bar.
    EXPECT_NEAR(100.0 * (1.0 - x1), rec.steamMassRevLiquid, 0.01);
    EXPECT_NEAR(100.0 * (1.0 - x2), rec.steamMassRevSteam, 0.01);
    EXPECT_NEAR(W1, rec.WrevLiquid, 0.05);
    EXPECT_NEAR(W2, rec.WrevSteam, 0.05);
    // The lever rule leaves the mixture in the model.
    const double x = w.calculateIsentropicVaporization(Sl);
    EXPECT_DOUBLE_EQ(w.S, Sl);
    // At the boiling point of 1 bar: 99.606 deg. C (IAPWS-95), not 100 deg. C.
    EXPECT_NEAR(w.T, 372.756, 1e-3);
    EXPECT_DOUBLE_EQ(w.P, 1e5);
    EXPECT_NEAR(w.V, (x * 18.792687 + (1 - x) * 30517.043633) * 1e-6, 1e-15);
}

TEST(WaterMagmaIgor, ScriptVariantsFollowTheCycle) {
    WaterMagmaModel w;
    WaterMagmaCalculationResult r;
    r.m = 0.5;
    r.Tm = 1473.15;
    r.T1 = 293.15;
    r.T3 = 700.0;
    r.P3 = 300.0;
    r.P4 = 80.0;
    r.liquidFraction3 = -2.0;
    w.writeIgorScriptForWaterMagmaCycle1(r);
    std::string s = readFile("igor0.itx");
    EXPECT_NE(s.find("x loadwave/p=p7/t/o \"isop0\" \n"), std::string::npos);
    EXPECT_NE(s.find("\\s(P0) Isobaric Heating\\r\\s(P1) Isentropic Monophasic Expansion\"\n"), std::string::npos);
    EXPECT_NE(s.find("x tag/C/N=text1/A=LC/X=5/Y=0/S=3 p0,2,\"3\"\n"), std::string::npos);
    EXPECT_EQ(s.find("TileWindows"), std::string::npos);
    EXPECT_NE(s.find("x setaxis left 0.000000, 325.000000 ;\n"), std::string::npos);  // 1.05 x 300 + 10
    r.state4 = 1;
    r.liquidFraction3 = 0.0;
    r.T4 = 550.0;
    w.writeIgorScriptForWaterMagmaCycle1(r);
    s = readFile("igor0.itx");
    EXPECT_NE(s.find("x p1 =  (t1[p]<550.000000) ? nan : p1[p] ;\n"), std::string::npos);
    EXPECT_NE(s.find("x p1 = ( p1[p] < p2 [0] ) ? nan : p1[p] ;\n"), std::string::npos);
    EXPECT_NE(s.find("\\s(P2) Isentropic Biphasic Expansion\""), std::string::npos);

    // E(m) script: the pyroclast legends, or the single-curve ones.
    w.writeIgorScriptForWaterMagmaDiagram(1, 0, "0");
    s = readFile("igor1.itx");
    EXPECT_NE(s.find("x embe0 = t30[p] > 570 ? emb0[p] : NaN \n"), std::string::npos);
    EXPECT_NE(s.find("\\\\s(emd0) Irreversible, pyroclast-heated\" \n"), std::string::npos);
    EXPECT_NE(s.find("x append emc0 vs m0 \n"), std::string::npos);
    w.writeIgorScriptForWaterMagmaDiagram(0, 0, "0");
    s = readFile("igor1.itx");
    EXPECT_EQ(s.find("emc0"), std::string::npos);
    EXPECT_NE(s.find("x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(ema0) Reversible isentropic\" \n"), std::string::npos);
    EXPECT_NE(readFile("igor00.itx").find("LOADFILE Macintosh HD"), std::string::npos);

    // Phase diagram appended to an earlier graph: no loader, no path.
    std::remove("igor00.itx");
    w.writeIgorScriptForPhaseDiagram(2, 1, 0);
    EXPECT_EQ(readFile("igor2.itx"),
              "IGOR\nx loadwave/p=p7/t/o \"spino1\" \nx loadwave/p=p7/t/o \"spino2\" \nx append p1 vs t1\n"
              "x append p2 vs t2\nx modifyGraph lstyle(P1)=1;\nx modifyGraph lstyle(P2)=1;\n");
    EXPECT_EQ(readFile("igor00.itx"), "");
}

TEST(WaterMagmaIgor, DiagramDataFileColumns) {
    WaterMagmaCalculationInfo info = waterMagmaInputs({"recharge"});
    WaterMagmaCalculationResult r;
    r.m = 0.5;
    r.Q = 100.0;
    r.Wrev = -10.0;
    r.Wirr = -4.0;
    r.WrevTotal = -30.0;
    r.WirrTotal = -12.0;
    r.QTotal = 250.0;
    std::FILE* f = produceHeaderIgorFileForWaterMagmaDiagram(info);
    ASSERT_NE(f, nullptr);
    writeDataIgorFileForWaterMagmaDiagram(f, info, r);
    std::fclose(f);
    const std::string s = readFile("wm0");
    EXPECT_NE(s.find("qc0\nBEGIN\n"), std::string::npos);
    EXPECT_NE(s.find("    5.000000    10.000000     2.000000     4.000000    15.000000    30.000000     6.000000 "
                     "   12.000000   250.000000 \n"),
              std::string::npos)
        << s;
}

TEST(HeatingDecompression, PathsAlongTheSaturationCurve) {
    WaterMagmaModel w;
    w.magmaWaterRatio = 1.0;
    w.magmaHeatCapacity = 1200.0;
    const double cM = M * 1200.0;
    // Saturated liquid at 500 K: an entropy in the two-phase region below it.
    w.calculateTheSaturationPressure(500.0);
    w.volume(w.Vl_sat);
    w.calculate_state_functions();
    const double S0 = w.S;
    const double x = w.calculateIsentropicMixtureState(S0, 500.0, 450.0);
    EXPECT_GT(x, 0.0);
    EXPECT_LT(x, 1.0);
    EXPECT_NEAR(w.S, S0 + cM * std::log(500.0 / 450.0), 1e-9);
    // The path cools the magma by 1 K a step: its heat is cM per step.
    WaterMagmaCalculationResult r;
    w.calculateHeatingDecompressionPath2("path2.txt", 500.0, S0, 480.5, r);
    EXPECT_NEAR(r.pathHeat, 20.0 * cM * 0.001 / M, 1e-9);
    EXPECT_LT(r.pathWork, 0.0);
    const std::string text = readFile("path2.txt");
    EXPECT_EQ(text.rfind("# ", 0), 0u);
    EXPECT_EQ(countOf(text, "\n"), 21);
}

TEST(WaterMagmaHeat, EquilibriumCurveTable) {
    WaterMagmaModel w;
    w.magmaTemperature = 1473.15;
    w.magmaHeatCapacity = 1200.0;
    w.latentHeat = 0.0;
    w.solidusTemperature = 1173.15;
    w.liquidusTemperature = 1473.15;
    w.magmaWaterRatio = 1.0;
    w.calculateEquilibriumCurve(1200.0, 0, 0, 0, 0, 1, "7");
    EXPECT_DOUBLE_EQ(w.magmaWaterRatio, 1.0);
    const std::string text = readFile("heat7.txt");
    EXPECT_EQ(text.rfind("IGOR\nWAVES           m7           T7          Ta7\nBEGIN\n", 0), 0u);
    EXPECT_NE(text.find("END\n"), std::string::npos);
    // Each row: m, the peak temperature and the constant-heat-capacity estimate.
    double m = 0, T = 0, Ta = 0;
    const std::size_t first = text.find("BEGIN\n") + 6;
    ASSERT_EQ(std::sscanf(text.c_str() + first, "%lf %lf %lf", &m, &T, &Ta), 3);
    EXPECT_NEAR(m, 0.001, 1e-12);
    EXPECT_NEAR(Ta, (1473.15 * 1200.0 + 293.15 * 0.001 * 4200.0) / (0.001 * 4200.0 + 1200.0), 0.1);
    EXPECT_NEAR(T, Ta, 5.0);  // little water: both near the magma temperature
}
