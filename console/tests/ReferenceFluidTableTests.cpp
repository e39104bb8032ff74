// A fifth reference fluid is one row of the reference fluids' table: a
// test-only row for argon, with its published critical and triple points and
// ancillary equations (Tegeler, Span & Wagner, J. Phys. Chem. Ref. Data 28
// (1999) 779: Tc 150.687 K, pc 4.863 MPa, rho_c 535.6 kg/m3, triple point
// 83.8058 K and 68.891 kPa, the vapour pressure and the saturated liquid's
// density; normal boiling point 87.302 K, where rho' = 1395.4 kg/m3) and its
// enthalpy of fusion (1.18 kJ/mol, CRC Handbook), is seen by every rule that
// reads the table, and the standard table does not know it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "brines/WaterInCO2.h"
#include "brines/WaterInMethane.h"
#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "console/tests/IndependentCubic.h"
#include "fluid/FluidPhase.h"
#include "fluid/ReferenceFluids.h"
#include "fluid/StateReport.h"
#include "fluid/tests/TestDataDir.h"

namespace {

// Argon's solid lines, for the test: its published sublimation line,
// ln(p/pt) = (Tt/T) [a1 (1 - T/Tt) + a2 (1 - T/Tt)^2.7], a = -11.391604,
// -0.39513 (Tegeler et al. 1999), and a Simon line for the test,
// p/pt = 1 + a ((T/Tt)^c - 1), a = 3000, c = 1.6 (676 bar at 100 K).
double argonMelting(const ReferenceFluid& f, double T) {
    return T >= f.Tt ? f.pt * (1.0 + 3000.0 * (std::pow(T / f.Tt, 1.6) - 1.0)) : std::nan("");
}
double argonSublimation(const ReferenceFluid& f, double T) {
    if (!(T > 0.0 && T <= f.Tt)) return std::nan("");
    const double d = 1.0 - T / f.Tt;
    return f.pt * std::exp(f.Tt / T * (-11.391604 * d - 0.39513 * std::pow(d, 2.7)));
}

// The row.  Its reference model stands in as nitrogen's reference equation
// (no model of argon is built here): the test checks that the rule builds the
// model the row names.  The saturated vapour's one-term ancillary puts
// rho'' at 5.77 kg/m3 at the normal boiling point.
constexpr double kArgonM = 0.039948;
const ReferenceFluid kArgon{
    "Ar", nullptr, "Jacobsen", kArgonM, 150.687, 535.6,
    {SaturationAncillary::kLogDensity, 535.6, 4,
     {1.5004264, -0.3138129, 0.086461622, -0.041477525}, {0.334, 2.0 / 3.0, 7.0 / 3.0, 4.0}},
    {SaturationAncillary::kLogDensityOverTr, 535.6 / kArgonM, 1, {-4.047}, {0.5}},
    {SaturationAncillary::kLogPressure, 4.863e6, 4,
     {-5.9409785, 1.3553888, -0.46497607, -1.5399043}, {1.0, 1.5, 2.0, 4.5}},
    83.8058, 68.891e3, 1180.0, std::nan(""),
    {"solid Ar", 24.6e-6, &argonMelting, &argonSublimation, nullptr}};

// IAPWS G7-04 evaluated here from its equation and Table 2: the Henry
// constant (Pa) of argon in liquid water, ln(kH/p1*) = A/Tr + B (1 - Tr)^0.355
// / Tr + C Tr^-0.41 exp(1 - Tr), Tr = T/647.096 K, with water's vapour
// pressure p1* (Pa) by Wagner & Pruss's saturation equation.
double waterVapourPressure(double T) {
    const double Tc = 647.096, t = 1.0 - T / Tc;
    const double a[6] = {-7.85951783, 1.84408259, -11.7866497, 22.6807411, -15.9618719, 1.80122502};
    return 22.064e6 * std::exp(Tc / T *
                               (a[0] * t + a[1] * std::pow(t, 1.5) + a[2] * std::pow(t, 3.0) + a[3] * std::pow(t, 3.5) +
                                a[4] * std::pow(t, 4.0) + a[5] * std::pow(t, 7.5)));
}
double argonHenryConstant(double T) {
    const double Tr = T / 647.096, tau = 1.0 - Tr;
    return waterVapourPressure(T) *
           std::exp(-8.40954 / Tr + 4.29587 * std::pow(tau, 0.355) / Tr + 10.52779 * std::pow(Tr, -0.41) * std::exp(tau));
}

std::string printed(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

}  // namespace

TEST(ReferenceFluidTable, AFifthFluidRowIsSeenByEveryRule) {
    const ReferenceFluids& standard = ReferenceFluids::standard();
    std::vector<ReferenceFluid> rows(standard.rows().begin(), standard.rows().end());
    rows.push_back(kArgon);
    const ReferenceFluids fluids(rows);
    ASSERT_EQ(standard.find("Ar"), nullptr);
    ASSERT_NE(fluids.find("Ar"), nullptr);

    // The vapour-pressure rule: 1 atm at the normal boiling point.
    EXPECT_NEAR(fluids.vapourPressure("Ar", 87.302), 101325.0, 0.0005 * 101325.0);
    EXPECT_TRUE(std::isnan(standard.vapourPressure("Ar", 87.302)));
    EXPECT_EQ(fluids.criticalTemperature("Ar"), 150.687);
    EXPECT_EQ(fluids.criticalPressure("Ar"), 4.863e6);
    EXPECT_TRUE(std::isnan(fluids.vapourPressure("Ar", 151.0)));  // above its critical point
    // The volume starts: the saturated liquid's density at the normal
    // boiling point, the vapour's beyond the liquid's, both the critical
    // volume above Tc.
    EXPECT_NEAR(fluids.saturatedLiquidDensity("Ar", 87.302), 1395.4, 0.5);
    EXPECT_NEAR(fluids.saturatedLiquidVolume("Ar", 87.302), kArgonM / 1395.4, 1e-3 * kArgonM / 1395.4);
    const double Vv = fluids.saturatedVapourVolume("Ar", 87.302);
    EXPECT_NEAR(Vv, kArgonM / 5.77, 0.01 * kArgonM / 5.77);
    EXPECT_NEAR(fluids.saturatedVapourVolume("Ar", 200.0), kArgonM / 535.6, 1e-12);
    EXPECT_TRUE(std::isnan(standard.saturatedVapourVolume("Ar", 87.302)));

    // The triple point and the freezing-out limit: the ideal solubility of
    // the solid, 1/T = 1/Tt - R ln x / dH_fus.
    EXPECT_EQ(fluids.triplePointTemperature("Ar"), 83.8058);
    EXPECT_EQ(standard.triplePointTemperature("Ar"), 0.0);
    EXPECT_NEAR(fluids.freezingTemperature("Ar", 0.8), 1.0 / (1.0 / 83.8058 - 8.31434 * std::log(0.8) / 1180.0), 1e-9);

    // The frost rule's sublimation pressure and solid volume, and the solid
    // named above its lines: at 80 K it sublimes at about 0.40 bar; at 100 K
    // the test's line melts it at 676 bar.
    double Vs = 0.0;
    EXPECT_NEAR(fluids.sublimation("Ar", 80.0, Vs), 40.07e3, 0.05e3);
    EXPECT_EQ(Vs, 24.6e-6);
    EXPECT_TRUE(std::isnan(standard.sublimation("Ar", 80.0, Vs)));
    EXPECT_TRUE(std::isnan(fluids.sublimation("Ar", 90.0, Vs)));  // above its triple point
    const struct {
        double T, P_bar;
        bool solid;
    } kStates[] = {{80.0, 1.0, true}, {80.0, 0.1, false}, {100.0, 1.0, false}, {100.0, 3000.0, true}};
    for (const auto& s : kStates) {
        const SolidField f = fluids.solidAt("Ar", s.T, s.P_bar);
        EXPECT_EQ(std::string(f.solid ? f.solid : "fluid"), s.solid ? "solid Ar" : "fluid") << s.T << " K " << s.P_bar;
        EXPECT_EQ(standard.solidAt("Ar", s.T, s.P_bar).solid, nullptr);
    }

    // The reference-density rule builds the model the row names.
    EXPECT_STREQ(fluids.referenceModel("Ar"), "Jacobsen");
    double V = 0.0, VN2 = 0.0;
    consoletest::capture([&] {
        V = referenceVolumeIn(fluids, "Ar", 300.0, 100.0);
        VN2 = referenceVolumeIn(standard, "N2", 300.0, 100.0);
    });
    EXPECT_TRUE(std::isfinite(V));
    EXPECT_EQ(V, VN2);
    EXPECT_TRUE(std::isnan(referenceVolumeIn(standard, "Ar", 300.0, 100.0)));

    // The standard rows are those of the standard table.
    for (const ReferenceFluid& r : standard.rows())
        EXPECT_EQ(fluids.vapourPressure(r.formula, 0.8 * r.Tc), standard.vapourPressure(r.formula, 0.8 * r.Tc)) << r.formula;
}

// A pair's data are its row of the pairs' table: the Henry constants that a
// model's lookup gives for each gas whose pair with water names IAPWS G7-04,
// argon among them, against the guideline's equation evaluated apart from
// this project (ln(kH / 1 Pa) at 400 and 550 K); none for a pair without
// one, nor for water dissolved in the gas.
TEST(ReferenceFluidTable, EachPairsPublishedDataAreItsRow) {
    std::unique_ptr<FluidPhase> m(createFluidModel("PR:H2O,CO2"));
    ASSERT_TRUE(m && m->lookups.henryOf);
    const struct {
        const char* gas;
        double T, lnKH;
    } kPublished[] = {{"Ar", 400.0, 22.531152933}, {"Ar", 550.0, 21.385374567}, {"N2", 400.0, 23.074192513},
                      {"N2", 550.0, 21.614179496}, {"CO2", 400.0, 20.178247122}, {"CO2", 550.0, 19.797155575},
                      {"CH4", 400.0, 22.517844299}, {"CH4", 550.0, 21.199299266}};
    for (const auto& p : kPublished) {
        ASSERT_NE(referencePair("H2O", p.gas), nullptr) << p.gas;
        EXPECT_NEAR(std::log(m->lookups.henry("H2O", p.gas, p.T)), p.lnKH, 1e-5) << p.gas << " at " << p.T << " K";
        EXPECT_TRUE(std::isnan(m->lookups.henry(p.gas, "H2O", p.T))) << p.gas;
    }
    EXPECT_TRUE(std::isnan(m->lookups.henry("H2O", "He", 400.0)));  // a gas of G7-04 without a row
    EXPECT_TRUE(std::isnan(m->lookups.henry("CO2", "CH4", 200.0)));  // a pair without a Henry constant
    // The mutual solubilities' sources, by which phase is the solvent.
    EXPECT_STREQ(publishedSolubilitySourceOf("H2O", "CO2").name, "Duan & Sun 2003");
    EXPECT_STREQ(publishedSolubilitySourceOf("CO2", "H2O").name, "Spycher, Pruess & Ennis-King 2003");
    EXPECT_STREQ(publishedSolubilitySourceOf("CH4", "H2O").name, "Bukacek 1955");
    EXPECT_EQ(publishedSolubilitySourceOf("H2O", "CH4").name, nullptr);
    // The content the program evaluates is the publication the row names,
    // and none where a table's row names none: the pair's row alone chooses.
    EXPECT_EQ(m->lookups.solubility("CO2", "H2O", 323.15, 100.0), solubility::waterInCO2(323.15, 100.0));
    EXPECT_EQ(m->lookups.solubility("C1", "H2O", 350.0, 100.0), solubility::waterInMethane(350.0, 100.0));
    EXPECT_TRUE(std::isnan(m->lookups.solubility("H2O", "CH4", 350.0, 100.0)));
    std::vector<ReferencePair> rows(ReferencePairs::standard().rows().begin(), ReferencePairs::standard().rows().end());
    for (ReferencePair& p : rows) std::swap(p.solubilityOfAInB, p.solubilityOfBInA);
    const ReferencePairs swapped(rows, ReferenceFluids::standard());
    PhaseLookups lookups = m->lookups;
    lookups.tables = &swapped;
    EXPECT_TRUE(std::isnan(lookups.solubility("CH4", "H2O", 350.0, 100.0)));
    EXPECT_EQ(lookups.solubility("H2O", "CH4", 350.0, 100.0), solubility::waterInMethane(350.0, 100.0));
    // The pairs named either way round, by a reference fluid's alias too.
    EXPECT_EQ(referencePair("CO2", "H2O"), referencePair("H2O", "CO2"));
    ASSERT_NE(referencePair("H2O", "CH4"), nullptr);
    EXPECT_EQ(referencePair("C1", "H2O"), referencePair("H2O", "CH4"));
    EXPECT_EQ(referencePair("H2O", "He"), nullptr);
}

// Argon with water through the verdict every pair takes: the tables are the
// standard ones with the argon row and one pair row, argon-water with IAPWS
// G7-04's Henry constant (the standard pair of argon left out, so that the
// test's row alone gives it); Peng and Robinson's model takes argon's
// critical constants and acentric factor (Tegeler, Span & Wagner 1999) from a
// component file the test writes.  At dilute argon in liquid water, in a wet
// argon gas and in a split, the state printed is the model's own, its split
// that of an independent tangent-plane test of the same cubic, and the fluid's
// statement gives Raoult's and Henry's laws with G7-04's constant evaluated
// here.
TEST(ReferenceFluidTable, ArgonWithWaterIsJudgedThroughTheVerdictOfEveryPair) {
    // The component constants: the argon row's acentric factor, from its
    // vapour pressure at 0.7 Tc, is the published one.
    EXPECT_NEAR(kArgon.acentricFactor(), -0.00219, 5e-5);
    const TestDataDir data("argon-water");
    data.write("compo/Ar", "Ar argon (Tegeler, Span & Wagner 1999)\nTc 150.687\nPc 4863000.0\nomega -0.00219\nmw 0.039948\n");

    const ReferenceFluids& standard = ReferenceFluids::standard();
    std::vector<ReferenceFluid> rows(standard.rows().begin(), standard.rows().end());
    rows.push_back(kArgon);
    const ReferenceFluids fluids(rows);
    std::vector<ReferencePair> pairRows;
    for (const ReferencePair& p : ReferencePairs::standard().rows())
        if (!p.is(fluids, "H2O", "Ar")) pairRows.push_back(p);
    pairRows.push_back({"H2O", "Ar", "IAPWS G7-04", std::nan(""), nullptr, {}, 0.0, nullptr, {}, {}, std::nan(""), nullptr,
                        std::nan(""), PairJudgement::kWaterAndGas});
    const ReferencePairs pairs(pairRows, fluids);

    std::unique_ptr<FluidPhase> m(createFluidModel("PR:H2O,Ar"));
    ASSERT_TRUE(m);
    ASSERT_EQ(m->component_names.size(), 2u);
    EXPECT_NEAR(m->molar_mass[1], kArgonM, 1e-12);
    const indep::Cubic eos = indep::pr(indep::kPrH2O, indep::kPrAr, 0.0);

    enum Kind { kDilute, kWetGas, kSplit };
    const struct {
        double T, P;  // K, bar
        Kind kind;
    } kStates[] = {{373.15, 10.0, kDilute}, {423.15, 50.0, kDilute}, {500.0, 200.0, kDilute},
                   {373.15, 10.0, kWetGas}, {423.15, 50.0, kWetGas}, {500.0, 100.0, kWetGas},
                   {423.15, 50.0, kSplit}};
    for (const auto& st : kStates) {
        SCOPED_TRACE(testing::Message() << st.T << " K, " << st.P << " bar, kind " << st.kind);
        // Raoult's law for water, Henry's for argon, by G7-04 evaluated here:
        // the liquid holds xL of argon, the vapour yW of water.
        const double psat = waterVapourPressure(st.T) * 1e-5, H = argonHenryConstant(st.T) * 1e-5;
        const double xL = (st.P - psat) / (H - psat), yW = psat * (1.0 - xL) / st.P;
        ASSERT_LT(xL, 0.05);
        const double xAr = st.kind == kDilute ? 0.1 * xL : st.kind == kWetGas ? 1.0 - 0.5 * yW : 0.5;
        const char* word = st.kind == kDilute ? "liquid" : st.kind == kWetGas ? "vapour" : "splits";
        m->composition(1.0 - xAr, xAr);

        // The standard tables know no argon: nothing is said of the fluid.
        m->lookups.tables = nullptr;
        StateReport::Verdict plain;
        consoletest::capture([&] { ASSERT_TRUE(StateReport(*m).verdictAt(st.T, st.P, plain)); });
        EXPECT_FALSE(plain.fluid.covered()) << plain.fluid.text;

        m->lookups.tables = &pairs;
        StateReport report(*m);
        StateReport::Verdict v;
        consoletest::capture([&] { ASSERT_TRUE(report.verdictAt(st.T, st.P, v)); });
        // The model's own state and split against the independent test.
        const indep::Independent ind = indep::tangentPlane(eos, st.T, st.P * 1e5, xAr);
        ASSERT_TRUE(std::isfinite(ind.V));
        EXPECT_NEAR(m->V, ind.V, 1e-6 * ind.V);
        // (The distance of a trial phase beside a dilute feed scales with
        // the minor share: each state lies clear of zero by a thousandth of
        // it, far beyond the test's rounding.)
        ASSERT_GT(std::fabs(ind.distance), 1e-3 * std::min(xAr, 1.0 - xAr));
        EXPECT_EQ(v.splits, ind.distance < 0.0) << "tangent-plane distance " << ind.distance;
        if (v.splits && v.line.found) {
            EXPECT_GT((xAr - v.line.x1[0]) * (v.line.x1[1] - xAr), 0.0);
        }

        // The fluid's statement, from the pair row and the argon row.
        EXPECT_EQ(v.fluid.word, word) << v.fluid.text;
        for (const std::string& figure :
             {"water's vapour pressure " + printed("%.5g", psat) + " bar",
              "Henry constant of Ar, " + printed("%.5g", H) + " bar: its liquid holds " + printed("%.3g", 100.0 * xL) +
                  " % Ar",
              "its vapour " + printed("%.3g", 100.0 * yW) + " % H2O"})
            EXPECT_NE(v.fluid.text.find(figure), std::string::npos) << figure << " in " << v.fluid.text;
        // Printed beside the state.
        const consoletest::Captured out = consoletest::capture([&] { report.printStateFromTP(st.T, st.P); });
        EXPECT_NE(out.out.find("** The fluid: " + v.fluid.word + " (Raoult's law"), std::string::npos) << out.out;
    }
}
