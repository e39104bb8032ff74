// The case document's calculations without a window: form snapshots in,
// result fields, curves, plot clicks and the eruption table out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "app/document/CaseList.h"
#include "app/document/ChamberCalculator.h"

using platform::PropertyList;

namespace {

double value(const CalculationResult& r, const std::string& name) {
    const ResultField& f = r.field(name);
    EXPECT_TRUE(f.hasValue()) << name << " has no value";
    return f.value.value_or(NAN);
}

CaseForm singleVolatile(int fluid, double P0, double wt0) {
    CaseForm f;
    f.values.set("fluid", PropertyList::integer(fluid));
    f.setNumber("P0", P0);
    f.setNumber("wt0", wt0);
    return f;
}

TEST(CaseFormValues, TextThatReadsAsANumberIsANumberAndOtherTextStaysText) {
    EXPECT_EQ(caseNumber(PropertyList::string(" 1572 ")), 1572.0);
    EXPECT_EQ(caseNumber(PropertyList::string("+6.8e-8")), 6.8e-8);
    EXPECT_EQ(caseNumber(PropertyList::integer(3)), 3.0);
    EXPECT_FALSE(caseNumber(PropertyList::string("12 bar")));
    EXPECT_FALSE(caseNumber(PropertyList::string("")));
    for (const char* t : {"+-5", "++5", "+", " + 5", "-+5"}) EXPECT_FALSE(caseNumber(PropertyList::string(t))) << t;
    EXPECT_FALSE(caseNumber(PropertyList::string("nan")));
    EXPECT_TRUE(formValueFromText("0.1").isReal());
    EXPECT_TRUE(formValueFromText("about 3").isString());
    EXPECT_TRUE(sameFormValue(PropertyList::integer(1572), PropertyList::real(1572.0)));
    EXPECT_TRUE(sameFormValue(PropertyList::string("1.572e3"), PropertyList::real(1572.0)));
    EXPECT_FALSE(sameFormValue(PropertyList::string("1572 bar"), PropertyList::real(1572.0)));
    EXPECT_FALSE(sameFormValue(PropertyList::string("1572"), PropertyList::string("1.572e3")));
    // The shortest text of a value reads back as the same value: a case shown
    // in the form and read back is unchanged.
    for (double v : {6.8e-08, 0.1, 1572.0, 1e10, 2.0 / 3.0})
        EXPECT_EQ(caseNumber(formValueFromText(caseValueDescription(PropertyList::real(v)))), v);
}

TEST(ChamberCalculation, NewCaseGivesConsistentInitialAndFinalStates) {
    ChamberCalculator calc;
    CaseForm form;
    CalculationResult r = calc.calculate(form, "New");
    ASSERT_TRUE(r.initialState) << r.status;
    ASSERT_TRUE(r.finalState) << r.status;
    EXPECT_TRUE(r.status.empty());
    // Mass and volume balances of both states (crystals 0 and 10 wt %).
    EXPECT_NEAR(value(r, "mMeltWt0") + value(r, "mGasWt0"), 100.0, 1e-9);
    EXPECT_NEAR(value(r, "mMeltWt1") + value(r, "mGasWt1") + 10.0, 100.0, 1e-9);
    EXPECT_NEAR(value(r, "mGasVol1") + value(r, "mMeltVol1") + value(r, "mCrystalVol1"), 100.0, 1e-6);
    EXPECT_NEAR(value(r, "mMc0"), 0.0, 1e-12);
    EXPECT_NEAR(value(r, "mMc1"), 100.0, 1e-9);
    EXPECT_NEAR(value(r, "mVolamg0"), 0.1, 1e-12);
    EXPECT_NEAR(value(r, "mOverpressure"), value(r, "mP1") - 1572.0, 1e-9);
    // 0.1 wt % of H2O is far below what the melt dissolves at 1572 bar
    // (6.8e-8·P^0.7, about 3.7 wt %): no gas at first, the gas fields say so.
    EXPECT_TRUE(r.undersaturated0);
    EXPECT_EQ(r.field("mH2Ogas0").text, "-");
    EXPECT_EQ(r.field("mMga0").value, 0.0);
    EXPECT_EQ(r.field("mH2Oliq0").value, 100.0);
    // The default volatile content is plotted in ppm, on the solubility curve's scale.
    EXPECT_EQ(r.unit, kUnitPpm);
    EXPECT_EQ(r.exsolXLabel, "H2O+CO2 in (melt+gas), ppm");
    ASSERT_TRUE(r.exsolInitial);
    EXPECT_NEAR(r.exsolInitial->x, 1000.0, 1e-6);
    EXPECT_NEAR(r.exsolInitial->y, 1572.0, 1e-9);
    // Crystallisation from 0 to 10 wt % in steps of 0.1 wt %; the curve ends on the final state.
    ASSERT_EQ(r.crystallizationCurve.size(), 101u);
    EXPECT_NEAR(r.crystallizationCurve.back().x, 10.0, 1e-9);
    EXPECT_NEAR(r.crystallizationCurve.back().y, value(r, "mP1"), 1e-6);
    EXPECT_EQ(r.exsolutionPath.size(), r.crystallizationCurve.size());
    // The solubility curve of the mixture: 200 points from 1 bar; 1 wt % is 10000 ppm.
    ASSERT_EQ(r.solubilityCurve.size(), 200u);
    EXPECT_NEAR(r.solubilityCurve.front().y, 1.0, 1e-12);
    // The log gets the case name and the closed-form terms.
    ASSERT_EQ(r.logLines.size(), 7u);
    EXPECT_EQ(r.logLines[0], "Case : New");
    EXPECT_EQ(r.logLines[1].rfind("\tK1 : ", 0), 0u);
    // The closed-form pressure K P0 / (K (1 - X) + X), with K as logged, is
    // said to be an approximation, beside the pressure solved.
    const double K = std::stod(r.logLines[4].substr(6));
    const double approx = K * 1572.0 / (K * 0.9 + 0.1);
    double logged = 0, solved = 0;
    ASSERT_EQ(std::sscanf(r.logLines[6].c_str(), "\tP  : %lf bar, the closed-form approximation (the pressure solved: %lf bar)",
                          &logged, &solved), 2) << r.logLines[6];
    EXPECT_NEAR(logged, approx, 1e-5 * approx);
    EXPECT_NEAR(solved, value(r, "mP1"), 1e-5 * solved);
    // A new case keeps its values: the model's constants are those of the form.
    EXPECT_TRUE(sameFormValue(*form.values.find("rhol0"), PropertyList::real(2700)));
    EXPECT_TRUE(sameFormValue(*form.values.find("sa"), PropertyList::real(6.8e-08)));
    EXPECT_EQ(form.values, CaseForm().values);

    // A chamber without volatiles has no H = (D P + ml)/D nor closed-form
    // pressure: the log says so instead of printing 0 bar.
    CaseForm dry;
    dry.setNumber("wt0", 0);
    r = calc.calculate(dry, "Dry");
    ASSERT_TRUE(r.finalState) << r.status;
    ASSERT_EQ(r.logLines.size(), 7u);
    EXPECT_EQ(r.logLines[5], "\tH  : undefined, no volatile is dissolved");
    EXPECT_EQ(r.logLines[6], "\tP  : undefined, no volatile is dissolved");
    // K = R T D / ((1/rho_l - 1/rho_c) Mg P (D + ml)) is nil with D = 0, without a sign.
    EXPECT_EQ(r.logLines[4], "\tK  : 0");
}

// Inputs beyond the model's ranges are refused with the sentence that holds
// for them: never "not positive" for a pressure too large to convert to
// pascal, never "negative" for crystals that leave no melt.
TEST(ChamberCalculation, InputsBeyondTheRangesAreRefusedWithTheSentenceThatHolds) {
    const std::vector<std::tuple<const char*, double, const char*>> cases{
        {"P0", 1e308, "No initial state: The initial pressure of 1e+308 bar lies outside 100 bar to 5000 bar"},
        {"P0", 99999, "No initial state: The initial pressure of 99999 bar lies outside 100 bar to 5000 bar"},
        {"chamber", 1e308, "The chamber volume 1e+308 km3 lies above the "},
        // 4 wt % volatiles leave 0.96 of the mass to melt and crystals: 99 wt % crystals leave no melt.
        {"cr1", 99, "The crystal fraction 0.99 leaves no melt in the chamber: melt and crystals make up 0.96"}};
    for (const auto& [key, value, says] : cases) {
        SCOPED_TRACE(key);
        ChamberCalculator calc;
        CaseForm form = singleVolatile(kChamberFluidH2O, 1000, 4.0);
        form.setNumber(key, value);
        const std::string status = calc.calculate(form).status;
        EXPECT_NE(status.find(says), std::string::npos) << status;
        // The sequence (which runs to half of the mass in crystals, whatever the final content) says the same.
        if (std::string(key) != "cr1") {
            const EruptionReport rep = calc.eruptiveSequence(form, 50.0);
            EXPECT_NE(rep.lines.back().find(says), std::string::npos) << rep.lines.back();
        }
        // Up to the bound said, the chamber's figures are numbers and scale with its volume.
        if (std::string(key) != "chamber") continue;
        const double bound = std::strtod(status.substr(status.find("above the ") + 10).c_str(), nullptr);
        form.setNumber("chamber", 10);
        form.setNumber("mu", TaitJaupart::kMinModulus);  // the softest chamber expands the most
        ASSERT_TRUE(calc.calculate(form).finalState);
        const auto at = [&calc](double km3) { return calc.chamberExpansion(PropertyList::real(km3)); };
        for (const char* name : {"mChamberExp", "mExpulLiquid", "mExpandedLiquid"})
            EXPECT_DOUBLE_EQ(at(bound).at(name).value.value_or(NAN), bound * *at(1.0).at(name).value) << name;
    }
}

TEST(ChamberCalculation, ChamberExpansionFollowsTheFinalState) {
    ChamberCalculator calc;
    CaseForm form = singleVolatile(kChamberFluidH2O, 1000, 5.0);
    form.setNumber("chamber", 20);
    CalculationResult r = calc.calculate(form);
    ASSERT_TRUE(r.finalState) << r.status;
    const TaitJaupart& m = calc.model();
    // The model's state after the crystallisation curve is its last step (the
    // final crystal content again), so its volumes give the same expansion.
    const double rel = std::max(0.0, (m.V - m.V0) / m.V0);
    EXPECT_NEAR(value(r, "mChamberRel"), rel, 1e-9);
    EXPECT_NEAR(value(r, "mChamberExp"), 20 * rel * 1000, 1e-6);
    EXPECT_NEAR(value(r, "mExpulLiquid"), (1 - m.Vg / m.V) * value(r, "mChamberExp"), 1e-6);
    ASSERT_GT(rel, 0.0);
    auto other = calc.chamberExpansion(PropertyList::real(40.0));
    EXPECT_NEAR(other["mChamberExp"].value.value_or(NAN), 2 * value(r, "mChamberExp"), 1e-6);

    // A volume that is not a positive number gives no expansion (a negative
    // one would show the chamber shrinking), and the status line says why.
    struct Bad {
        PropertyList volume;
        const char* says;
    };
    for (const Bad& b : {Bad{PropertyList::real(-20), "The chamber volume must be positive: -20 km3."},
                         Bad{PropertyList::real(0), "The chamber volume must be positive: 0 km3."},
                         Bad{PropertyList::string("large"), "The chamber volume is not a number: \"large\"."}}) {
        SCOPED_TRACE(b.says);
        form.values.set("chamber", b.volume);
        r = calc.calculate(form);
        EXPECT_TRUE(r.finalState);
        EXPECT_FALSE(r.field("mChamberExp").hasValue());
        EXPECT_FALSE(r.field("mExpandedLiquid").hasValue());
        EXPECT_NE(r.status.find(b.says), std::string::npos) << r.status;
        std::string why;
        EXPECT_FALSE(calc.chamberExpansion(b.volume, &why)["mExpulLiquid"].hasValue());
        EXPECT_EQ(why, r.status);
    }
}

TEST(ChamberCalculation, ImposedSaturationGivesTheClosedFormContent) {
    ChamberCalculator calc;
    CaseForm form = singleVolatile(kChamberFluidH2O, 1000, 0.1);
    form.imposeSaturation = true;
    form.useEOS = false;
    CalculationResult r = calc.calculate(form);
    ASSERT_TRUE(r.initialState) << r.status;
    // A melt of 2700 kg/m3 dissolves C = 6.8e-8·P^0.7 of water per unit of
    // water-free melt: without crystals the saturated content is C/(1 + C).
    const double C = 6.8e-8 * std::pow(1e8, 0.7);
    EXPECT_NEAR(*form.number("wt0"), 100.0 * C / (1.0 + C), 1e-10);
    EXPECT_TRUE(form.saturated);
    // Saturated without gas: the gas composition is shown, its mass is nil.
    EXPECT_FALSE(r.undersaturated0);
    EXPECT_EQ(r.field("mH2Ogas0").value, 100.0);
    EXPECT_NEAR(value(r, "mGasWt0"), 0.0, 1e-9);
    // Once imposed it is not imposed again until an input that moves it changes.
    form.setNumber("wt0", 1.0);
    calc.calculate(form);
    EXPECT_EQ(*form.number("wt0"), 1.0);
    // Outside the pressures of the solubility laws (100 to 5000 bar) there is
    // no saturation content: the user's content stays, whether the imposed
    // saturation runs with the calculation or is asked for alone.
    for (double P0 : {20000.0, 50.0}) {
        SCOPED_TRACE(P0);
        form.setNumber("P0", P0);
        form.setNumber("wt0", 1.0);
        form.saturated = false;
        r = calc.calculate(form);
        EXPECT_EQ(*form.number("wt0"), 1.0);
        EXPECT_FALSE(form.saturated);
        EXPECT_FALSE(r.initialState);
        EXPECT_NE(r.status.find("The saturation content is not computed at"), std::string::npos) << r.status;
        std::string why;
        EXPECT_FALSE(calc.saturateFluid(form, why));
        EXPECT_EQ(why, r.status);
        EXPECT_EQ(*form.number("wt0"), 1.0);
    }
    EXPECT_TRUE(CaseForm::changesSaturation("P0"));
    EXPECT_FALSE(CaseForm::changesSaturation("T0"));
    EXPECT_FALSE(CaseForm::changesSaturation("cr0"));
}

TEST(ChamberCalculation, VolatileAxisSwitchesAtHalfAWeightPercent) {
    ChamberCalculator calc;
    CaseForm form = singleVolatile(kChamberFluidH2O, 1572, 0.49);
    CalculationResult ppm = calc.calculate(form);
    EXPECT_EQ(ppm.unit, kUnitPpm);
    EXPECT_EQ(ppm.exsolXLabel, "H2O in (melt+gas), ppm");
    form.setNumber("wt0", 0.5);
    CalculationResult wt = calc.calculate(form);
    EXPECT_EQ(wt.unit, kUnitWtPercent);
    EXPECT_EQ(wt.exsolXLabel, "H2O in (melt+gas), wt %");
    // The same solubility curve, scaled by 10000 in ppm.
    ASSERT_EQ(ppm.solubilityCurve.size(), 300u);
    ASSERT_EQ(wt.solubilityCurve.size(), 300u);
    EXPECT_NEAR(ppm.solubilityCurve[150].x, 1e4 * wt.solubilityCurve[150].x, 1e-6);
    const double C = 6.8e-8 * std::pow(1e5 + 150 * 1e6, 0.7);
    EXPECT_NEAR(wt.solubilityCurve[150].x, 100 * C / (C + 1), 1e-12);
}

TEST(ChamberCalculation, ReadOnlyFieldsShowTheModelsConstants) {
    ChamberCalculator calc;
    CaseForm form = singleVolatile(kChamberFluidCO2, 1000, 1.0);
    form.values.set("melt", PropertyList::integer(kChamberMelt2300));
    CalculationResult r = calc.calculate(form);
    EXPECT_EQ(*form.number("rhol0"), 2300.0);
    EXPECT_EQ(*form.number("T0"), 1173.0);
    EXPECT_EQ(*form.number("sa"), 7.33e-12);
    EXPECT_EQ(*form.number("na"), 1.0);
    EXPECT_EQ(*form.number("zb"), 100.0);
    EXPECT_FALSE(r.meltEditable);
    EXPECT_FALSE(r.solubilityEditable);
    EXPECT_FALSE(r.co2ShareEditable);
    EXPECT_EQ(r.field("mCO2liq0").value, 100.0);
    // A user-defined melt takes its constants from the form.
    form.values.set("melt", PropertyList::integer(kChamberMeltUser));
    form.setNumber("rhol0", 2500);
    form.setNumber("T0", 1300);
    r = calc.calculate(form);
    EXPECT_TRUE(r.meltEditable);
    EXPECT_TRUE(r.solubilityEditable);
    EXPECT_EQ(calc.model().rhol0, 2500.0);
    EXPECT_EQ(calc.model().T, 1300.0);
}

TEST(ChamberCalculation, UserDefinedVolatileIsTheModelsFluidTypeTwo) {
    ChamberCalculator calc;
    // First CO2, so that nothing of it may be left behind.
    CaseForm form = singleVolatile(kChamberFluidCO2, 1000, 1.0);
    calc.calculate(form);
    ASSERT_EQ(calc.model().fluidType, kChamberFluidCO2);
    form.values.set("fluid", PropertyList::integer(kChamberFluidUser));
    form.setNumber("sa", 1e-6);
    form.setNumber("na", 0.5);
    CalculationResult r = calc.calculate(form);
    ASSERT_TRUE(r.finalState) << r.status;
    const TaitJaupart& m = calc.model();
    EXPECT_EQ(m.fluidType, kChamberFluidUser);
    EXPECT_EQ(m.Mg, kUserVolatileMolarMass);
    EXPECT_EQ(m.Mw1, kUserVolatileMolarMass);
    EXPECT_EQ(m.sa, 1e-6);
    EXPECT_EQ(m.na, 0.5);
    EXPECT_TRUE(r.solubilityEditable);
    EXPECT_EQ(*form.number("zb"), 0.0);
    EXPECT_EQ(r.exsolXLabel, "Volatile in (melt+gas), wt %");
    // 1 wt % against a capacity of 1e-6·(1e8)^0.5 = 1 %: saturated with a
    // gas; its density is that of an ideal gas of 18 g/mol.
    EXPECT_NEAR(m.rhog0, 1e8 * 0.018 / (8.31 * 1473), 1e-9);
    EXPECT_EQ(r.field("mH2Ogas0").value, 100.0);
}

TEST(ChamberCalculation, FailedSetUpsShowNoValueAndSayWhy) {
    ChamberCalculator calc;
    CaseForm form;
    form.values.set("P0", PropertyList::string("deep"));
    CalculationResult r = calc.calculate(form, "A");
    EXPECT_FALSE(r.initialState);
    EXPECT_FALSE(r.field("mMeltWt0").hasValue());
    EXPECT_FALSE(r.field("mP1").hasValue());
    EXPECT_FALSE(r.field("mChamberExp").hasValue());
    EXPECT_NE(r.status.find("initial pressure"), std::string::npos) << r.status;
    EXPECT_NE(r.status.find("\"deep\""), std::string::npos) << r.status;
    ASSERT_EQ(r.logLines.size(), 2u);
    EXPECT_EQ(r.logLines[1], "\t" + r.status);

    // A CO2 share beyond 100 % is refused before anything is plotted: no
    // solubility curve of an impossible composition.
    form = CaseForm();
    form.setNumber("zb", 150);
    r = calc.calculate(form);
    EXPECT_EQ(r.status, "The CO2 share of the volatiles must lie between 0 and 100 %.");
    EXPECT_TRUE(r.solubilityCurve.empty());

    // More volatile and crystals than the chamber holds.
    form = CaseForm();
    form.setNumber("wt0", 60);
    form.setNumber("cr0", 50);
    r = calc.calculate(form);
    EXPECT_FALSE(r.initialState);
    EXPECT_FALSE(r.status.empty());

    // A user-defined melt has no CO2 solubility of its own: the mixture is
    // refused rather than computed with the law of an earlier case.
    form = CaseForm();
    ASSERT_TRUE(calc.calculate(form).initialState);  // melt 0 sets the CO2 law
    form.values.set("melt", PropertyList::integer(kChamberMeltUser));
    r = calc.calculate(form);
    EXPECT_FALSE(r.initialState);
    EXPECT_EQ(r.status, kUserMeltMixtureRefusal);
    EXPECT_FALSE(r.field("mGasVol0").hasValue());
    EXPECT_FALSE(r.exsolInitial);
    // Refusals name the form's fields, not the model's symbols.
    form.values.set("fluid", PropertyList::integer(kChamberFluidH2O));
    form.setNumber("sa", 0);
    EXPECT_EQ(calc.calculate(form).status.rfind("The solubility factor s and the solubility exponent n must be "
                                                "positive (s = 0, n = 0.7)", 0),
              0u);
    form.values.set("sa", PropertyList::string("x"));
    EXPECT_EQ(calc.calculate(form).status, "The solubility factor s is not a number: \"x\".");
}

TEST(ChamberCalculation, StatesOutsideTheModelsAreRefusedWithTheirReason) {
    ChamberCalculator calc;
    struct Case {
        double P0, wt0, T0;  // T0 > 0: a user-defined melt at that temperature
        const char* says;
    };
    // The model's refusals of each range are tested with the model; here, that the form says them.
    for (const Case& c : {Case{20000, 4, 0, "The initial pressure of 20000 bar lies outside 100 bar to 5000 bar"},
                          Case{1000, 4, 300, "The melt temperature of 300 K lies outside"},
                          Case{1000, 4, 1200, "crystal density -3300 kg/m3"},
                          Case{1000, 50, 0, "gas by volume"}}) {
        SCOPED_TRACE(c.says);
        CaseForm form = singleVolatile(kChamberFluidH2O, c.P0, c.wt0);
        if (c.T0 > 0) {
            form.values.set("melt", PropertyList::integer(kChamberMeltUser));
            form.setNumber("T0", c.T0);
            // A crystal density typed with a stray sign is named in the refusal.
            if (c.T0 == 1200) form.setNumber("rhoc0", -3300);
        }
        const CalculationResult r = calc.calculate(form);
        EXPECT_FALSE(r.initialState);
        EXPECT_FALSE(r.field("mGasVol0").hasValue());
        EXPECT_EQ(r.status.rfind("No initial state: The ", 0), 0u) << r.status;
        EXPECT_NE(r.status.find(c.says), std::string::npos) << r.status;
        const EruptionReport rep = calc.eruptiveSequence(form, 50.0);
        EXPECT_EQ(rep.eruptions, 0);
        EXPECT_NE(rep.lines.back().find(c.says), std::string::npos) << rep.lines.back();
    }
}

TEST(ChamberCalculation, AFailedFinalStateKeepsTheInitialOne) {
    ChamberCalculator calc;
    CaseForm form = singleVolatile(kChamberFluidH2O, 1000, 1.0);
    calc.calculate(form);
    // A crystal content that leaves no melt once the volatiles are counted.
    form.setNumber("cr1", 99.5);
    CalculationResult r = calc.calculate(form);
    EXPECT_TRUE(r.initialState);
    EXPECT_FALSE(r.finalState);
    EXPECT_TRUE(r.field("mMeltWt0").hasValue());
    EXPECT_FALSE(r.field("mP1").hasValue());
    EXPECT_FALSE(r.field("mOverpressure").hasValue());
    EXPECT_FALSE(r.exsolFinal);
    EXPECT_NE(r.status.find("final crystal content"), std::string::npos) << r.status;
}

TEST(PlotSelection, ExsolutionPlotSetsTheInitialStateOrWithShiftTheFinalCrystals) {
    CaseForm form;
    form.setNumber("wt0", 2.0);
    form.setNumber("cr0", 20);
    form.saturated = true;
    // A click: the content of melt and gas becomes that of the chamber.
    EXPECT_TRUE(ChamberCalculator::applyPlotSelection(form, ChamberCalculator::Plot::exsolution, 3.0f, 1200.5f,
                                                      false, kUnitWtPercent));
    EXPECT_DOUBLE_EQ(*form.number("wt0"), 2.4);
    EXPECT_DOUBLE_EQ(*form.number("P0"), 1200.5);
    EXPECT_FALSE(form.saturated);
    // Shift: the crystal content at which the volatiles (2.4 wt % of the
    // chamber) make 4 wt % of melt and gas.
    form.saturated = true;
    EXPECT_TRUE(ChamberCalculator::applyPlotSelection(form, ChamberCalculator::Plot::exsolution, 40000.0f, 900.0f,
                                                      true, kUnitPpm));
    EXPECT_NEAR(*form.number("cr1"), 40.0, 1e-5);
    EXPECT_DOUBLE_EQ(*form.number("P0"), 1200.5);
    EXPECT_TRUE(form.saturated);
    // A click at the origin is ignored; so is a Shift-click at no content.
    CaseForm before = form;
    EXPECT_FALSE(ChamberCalculator::applyPlotSelection(form, ChamberCalculator::Plot::exsolution, 0, 0, false,
                                                       kUnitWtPercent));
    EXPECT_FALSE(ChamberCalculator::applyPlotSelection(form, ChamberCalculator::Plot::exsolution, 0, 500, true,
                                                       kUnitWtPercent));
    EXPECT_EQ(form.values, before.values);
}

TEST(PlotSelection, PressurePlotSetsCrystalsAndPressure) {
    CaseForm form;
    form.saturated = true;
    EXPECT_TRUE(ChamberCalculator::applyPlotSelection(form, ChamberCalculator::Plot::pressure, 12.3f, 1800.0f, true,
                                                      kUnitWtPercent));
    // Values go through single precision and are shown as such.
    EXPECT_DOUBLE_EQ(*form.number("cr1"), 12.3);
    EXPECT_TRUE(form.saturated);
    EXPECT_TRUE(ChamberCalculator::applyPlotSelection(form, ChamberCalculator::Plot::pressure, 5.0f, 1800.0f, false,
                                                      kUnitWtPercent));
    EXPECT_DOUBLE_EQ(*form.number("cr0"), 5.0);
    EXPECT_DOUBLE_EQ(*form.number("P0"), 1800.0);
    EXPECT_FALSE(form.saturated);  // the pressure moved
}

TEST(EruptionSequence, WritesOneNumberedRowPerEruption) {
    ChamberCalculator calc;
    CaseForm form = singleVolatile(kChamberFluidH2O, 1500, 4.0);
    form.useEOS = false;
    form.setNumber("cr0", 30);
    EruptionReport rep = calc.eruptiveSequence(form, 50.0);
    ASSERT_GE(rep.lines.size(), 2u);
    EXPECT_EQ(rep.lines[0], "Eruptive sequence (homogeneous flow)");
    EXPECT_EQ(rep.lines[1], "    #     M0 (Gm3)      m (Mm3)     mc (Gm3)     % volat.     yCO2 (%)");
    ASSERT_GT(rep.eruptions, 0);
    EXPECT_EQ(rep.end, EruptionSequenceEnd::halfCrystallised);
    EXPECT_FALSE(rep.stoppedEarly);
    ASSERT_EQ(rep.lines.size(), 2u + static_cast<size_t>(rep.eruptions));
    double previousMass = 1e300;
    for (int i = 0; i < rep.eruptions; ++i) {
        const std::string& line = rep.lines[2 + static_cast<size_t>(i)];
        int number = 0;
        double mass = 0, erupted = 0, crystals = 0, volat = 0, yco2 = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %lf %lf %lf %lf %lf", &number, &mass, &erupted, &crystals, &volat,
                              &yco2),
                  6)
            << line;
        EXPECT_EQ(number, i + 1);
        // Each eruption takes magma away; a single volatile has no CO2.
        EXPECT_LT(mass, previousMass);
        EXPECT_GT(erupted, 0.0);
        EXPECT_EQ(yco2, 0.0);
        previousMass = mass;
    }
    // The chamber of 10 km3 (the default) holds 10 Gm3 before the first eruption.
    EXPECT_LT(previousMass, 10.0);
}

TEST(EruptionSequence, ReportsWhereItStoppedEarly) {
    ChamberCalculator calc;
    CaseForm form = singleVolatile(kChamberFluidH2O, 1500, 4.0);
    form.useEOS = false;
    struct Case {
        double threshold;
        EruptionSequenceEnd end;
        const char* says;  // the whole last line
    };
    for (const Case& c : {
             // Within the range, crystallisation to one half comes first.
             Case{3000.0, EruptionSequenceEnd::overpressureNotReached,
                  "The overpressure of 3000 bar is not reached before half of the mass is crystals."},
             // Beyond the 5000 bar of the laws, or no pressure: refused, with the range.
             Case{1e5, EruptionSequenceEnd::notConfigured,
                  "The sequence was not computed: The overpressure at eruption, 100000 bar, lies outside the 0 to "
                  "3500 bar that the chamber, at 1500 bar, can reach within the 5000 bar to which its solubility laws "
                  "were calibrated."},
             Case{1e308, EruptionSequenceEnd::notConfigured,
                  "The sequence was not computed: The overpressure at eruption, 1e+308 bar, lies outside the 0 to "
                  "3500 bar that the chamber, at 1500 bar, can reach within the 5000 bar to which its solubility laws "
                  "were calibrated."},
             Case{0.0, EruptionSequenceEnd::notConfigured,
                  "The sequence was not computed: The overpressure at eruption must be positive: 0 bar."},
             Case{NAN, EruptionSequenceEnd::notConfigured,
                  "The sequence was not computed: The overpressure at eruption is not a number."},
         }) {
        SCOPED_TRACE(c.threshold);
        const EruptionReport rep = calc.eruptiveSequence(form, c.threshold);
        EXPECT_EQ(rep.eruptions, 0);
        EXPECT_TRUE(rep.stoppedEarly);
        if (c.end != EruptionSequenceEnd::notConfigured) {
            EXPECT_EQ(rep.end, c.end);
        }
        EXPECT_EQ(rep.lines.back(), c.says);
    }
    form.values.set("chamber", PropertyList::string("big"));
    EruptionReport rep = calc.eruptiveSequence(form, 50.0);
    EXPECT_NE(rep.lines.back().find("chamber volume"), std::string::npos) << rep.lines.back();
    // Each early end says what happened once: no end text repeated by the model's reason.
    using End = EruptionSequenceEnd;
    EXPECT_EQ(ChamberCalculator::earlyEndLine(End::solveFailed, 0, "The chamber pressure could not be computed."),
              "The sequence stopped before its first eruption: The chamber pressure could not be computed.");
    EXPECT_EQ(ChamberCalculator::earlyEndLine(End::meltExhausted, 1, ""),
              "The sequence stopped after 1 eruption, before half of the mass is crystals: The eruption would take "
              "more melt than the chamber holds.");
    EXPECT_EQ(ChamberCalculator::earlyEndLine(End::cancelled, 3, ""),
              "The sequence was cancelled after 3 eruptions, before half of the mass is crystals.");
}

}  // namespace
