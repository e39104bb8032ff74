// The fluid's statement the command interpreter prints beside a state, judged
// against measurements and published lines it is not built from, and the
// verdict beside it, the model's own whatever the statement says: the water
// content of CO2-rich phases beside liquid water (0.15 mol % at 25 C and 50
// bar, King, Mubarak, Kim & Bott 1992, J. Supercrit. Fluids 5, 296; 0.4 % at
// 50 C and 100 bar and 0.6 % at 200 bar, Wiebe & Gaddy 1941, J. Am. Chem. Soc.
// 63, 475), the normal sublimation point of solid CO2 (194.686 K at 1.01325
// bar, Span & Wagner 1996), the sublimation pressure of ice Ih at 230 K
// (8.94735 Pa, the check value of IAPWS R14-08), the ideal solubility of solid
// CO2 (Schroeder-van Laar, its enthalpy of fusion 9.02 kJ/mol at 216.59 K),
// and water's vapour pressure (IAPWS-95: 26.392 bar at 500 K).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "fluid/StateReport.h"

namespace {

struct Judged {
    bool given = false;
    StateReport::Verdict v;
    std::string out;
};

Judged judge(const char* model, double x, double T, double P) {
    std::unique_ptr<FluidPhase> m;
    consoletest::capture([&] { m.reset(createFluidModel(model)); });
    Judged j;
    if (!m) return j;
    m->composition(1.0 - x, x);
    StateReport report(*m);
    consoletest::capture([&] { j.given = report.verdictAt(T, P, j.v); });
    j.out = consoletest::capture([&] { report.printStateFromTP(T, P); }).out;
    return j;
}

// The number after `what` in the statement's text; NaN where none is.
double numberAfter(const std::string& text, const std::string& what) {
    const std::size_t at = text.find(what);
    return at == std::string::npos ? std::nan("") : std::atof(text.c_str() + at + what.size());
}

}  // namespace

TEST(FluidStatement, WaterInCO2IsJudgedAgainstItsMeasuredContentBesideTheModelsOwnVerdict) {
    const struct {
        double T, P, content, within;  // K, bar, mole fraction of water measured in the CO2-rich phase
    } kMeasured[] = {{298.15, 50.0, 0.0015, 0.0005}, {323.15, 100.0, 0.004, 0.0008}, {323.15, 200.0, 0.006, 0.0012}};
    for (const char* model : {"PR:CO2,H2O", "PRSV:CO2,H2O", "SRK1:CO2,H2O", "DMW2:CO2,H2O", "DMWEOS:CO2,H2O"}) {
        for (const auto& k : kMeasured) {
            for (double factor : {3.0, 1.0 / 3.0}) {
                const double x = factor * k.content;
                SCOPED_TRACE(std::string(model) + " x " + std::to_string(x) + " at " + std::to_string(k.T) + " K, " +
                             std::to_string(k.P) + " bar");
                const Judged j = judge(model, x, k.T, k.P);
                ASSERT_TRUE(j.given);
                EXPECT_EQ(j.v.fluid.word, factor > 1.0 ? "splits" : "one phase") << j.v.fluid.text;
                // The published content within the measurements' scatter.
                EXPECT_NEAR(numberAfter(j.v.fluid.text, "holds at most ") / 100.0, k.content, k.within);
                // The phase line is the model's own test, the statement beside it.
                EXPECT_EQ(j.out.find("** Phase: not stable") != std::string::npos, j.v.splits) << j.out;
                EXPECT_NE(j.out.find("** The fluid: " + j.v.fluid.word), std::string::npos) << j.out;
                EXPECT_EQ(j.v.fluid.agrees, (j.v.fluid.word == "splits") == j.v.splits);
            }
        }
    }
}

TEST(FluidStatement, SolidsDepositAtTheirPublishedLinesAndOneFreezingPointPerMixture) {
    const struct {
        const char* model;
        double x, T, P;
        const char* word;  // the statement's first words
        double point;      // the freezing or frost point, K; 0: not checked
    } kCases[] = {
        // CO2 carrying 0.1 % N2: its partial pressure against its normal
        // sublimation point, 5 % above and below, and within 1 %.
        {"PR:CO2,N2", 0.001, 194.686, 1.01325 * 1.05 / 0.999, "solid CO2 deposits", 0.0},
        {"PR:CO2,N2", 0.001, 194.686, 1.01325 * 0.95 / 0.999, "", 0.0},
        {"PR:CO2,N2", 0.001, 194.686, 1.01325 / 0.999, "uncertain (solid CO2 deposits or one phase)", 0.0},
        // Water vapour with 0.1 % N2 against ice Ih at 230 K.
        {"PR:H2O,N2", 0.001, 230.0, 8.94735e-5 * 1.05 / 0.999, "ice Ih deposits", 0.0},
        {"PR:H2O,N2", 0.001, 230.0, 8.94735e-5 * 0.95 / 0.999, "", 0.0},
        // Liquid CH4 holding 2 % CO2 at 5 bar: its ideal solubility,
        // 1/Tf = 1/216.59 - R ln(0.02)/9020.
        {"PR:CH4,CO2", 0.02, 120.0, 5.0, "solid CO2 deposits", 121.614},
        {"PR:CH4,CO2", 0.02, 123.1, 5.0, "", 0.0},
    };
    for (const auto& k : kCases) {
        SCOPED_TRACE(std::string(k.model) + " x " + std::to_string(k.x) + " at " + std::to_string(k.T) + " K, " +
                     std::to_string(k.P) + " bar");
        const Judged j = judge(k.model, k.x, k.T, k.P);
        ASSERT_TRUE(j.given);
        const bool deposits = std::string(k.word).find("deposits") != std::string::npos;
        EXPECT_EQ(j.v.fluid.word.find("deposits") != std::string::npos, deposits) << j.v.fluid.text;
        if (k.word[0]) {
            EXPECT_EQ(j.v.fluid.word, k.word) << j.v.fluid.text;
        }
        if (k.point > 0.0) {
            EXPECT_NEAR(j.v.fluid.point, k.point, 0.05);
        }
        // No solid is a phase of the model: its own verdict stands.
        EXPECT_EQ(j.out.find("** Phase: not stable") != std::string::npos, j.v.splits) << j.out;
    }
    // Water with 5 % CO2 at 30 bar freezes where its liquid, holding the CO2
    // dissolved at the freezing point (IAPWS G7-04's Henry constant, CO2's
    // fugacity coefficient near 0.82), lies on the ideal depression of ice
    // Ih's melting line: near 269.8 K, whatever state it is asked from.
    double first = std::nan("");
    for (double T : {255.0, 262.0, 268.0, 269.0}) {
        SCOPED_TRACE(T);
        const Judged j = judge("PR:H2O,CO2", 0.05, T, 30.0);
        ASSERT_TRUE(j.given);
        EXPECT_EQ(j.v.fluid.word, "ice Ih deposits") << j.v.fluid.text;
        EXPECT_NEAR(j.v.fluid.point, 269.8, 0.3);
        if (std::isnan(first)) first = j.v.fluid.point;
        EXPECT_EQ(j.v.fluid.point, first);
    }
    EXPECT_EQ(judge("PR:H2O,CO2", 0.05, first + 0.2, 30.0).v.fluid.word.find("deposits"), std::string::npos);
    // Water in methane: a deposit at 70 bar stays at 80 bar, the water's
    // fugacity growing with the pressure.
    for (double x : {2e-4, 5e-4}) {
        const Judged a = judge("PR:CH4,H2O", x, 250.0, 70.0), b = judge("PR:CH4,H2O", x, 250.0, 80.0);
        if (a.v.fluid.word == "ice Ih deposits") {
            EXPECT_EQ(b.v.fluid.word, "ice Ih deposits") << x;
        }
    }
}

TEST(FluidStatement, WaterAndAGasFollowRaoultAndHenryWhereTheModelSaysItsOwn) {
    // Below water's vapour pressure no liquid forms; at 200 bar the liquid
    // holds under 1 % CH4 (IAPWS G7-04) and the vapour under 20 % water:
    // equal shares split.
    Judged j = judge("PR:H2O,CH4", 0.5, 500.0, 20.0);
    ASSERT_TRUE(j.given);
    EXPECT_EQ(j.v.fluid.word, "vapour") << j.v.fluid.text;
    j = judge("PR:H2O,CH4", 0.5, 500.0, 200.0);
    ASSERT_TRUE(j.given);
    EXPECT_EQ(j.v.fluid.word, "splits") << j.v.fluid.text;
    EXPECT_NEAR(numberAfter(j.v.fluid.text, "vapour pressure "), 26.392, 0.01);
    // DMW's fugacities of a water-rich liquid at 523.15 K and 500 bar are
    // printed, its split its own.
    j = judge("DMW2:H2O,CO2", 0.5, 523.15, 500.0);
    ASSERT_TRUE(j.given);
    EXPECT_NE(j.out.find("fugacity[0]"), std::string::npos) << j.out;
    EXPECT_EQ(j.out.find("fugacity[0]           --"), std::string::npos) << j.out;
    EXPECT_TRUE(j.v.splits);
    EXPECT_EQ(j.v.fluid.word, "splits") << j.v.fluid.text;
}
