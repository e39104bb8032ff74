// What the fluid's published data say of a binary, checked against the laws
// the data enter evaluated here: Raoult's law for water and Henry's for the
// gas (the liquid holds xL = (P - psat)/(H - psat) of the gas, the vapour
// yW = psat (1 - xL)/P of water), a published solubility against the
// mixture's share, and the ideal freezing-point depression of a solvent,
// 1/T = 1/T0 - R ln(x)/dH_fus (Schroeder-van Laar).  The lookups are the
// test's own: a Henry constant of 500 bar, a solubility of 1 %, and a pair's
// row without a constant of Peng & Robinson's equation (the gas's water
// content by Raoult's law).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fluid/PhaseRules.h"
#include "fluid/ReferenceFluids.h"
#include "fluid/tests/VdWFluid.h"

namespace {

constexpr double kT = 373.124;       // K, water's normal boiling point
constexpr double kPsat = 1.01325;    // bar, IAPWS-95's there
constexpr double kH = 500.0;         // bar
constexpr double kSolubility = 0.01;  // of water in the CO2-rich phase

double henry(const ReferencePairs&, const char*, const char*, double) { return kH * 1e5; }
double solubility(const ReferencePairs&, const char* solvent, const char*, double, double) {
    return std::string(solvent) == "CO2" ? kSolubility : std::nan("");
}
SolubilitySource source(const ReferencePairs&, const char*, const char*) { return {"the test's solubility", 0.1}; }

// A binary named as water and CO2 (its names and composition are read; its
// van der Waals terms are not evaluated).
PhaseRules::FluidStatement statement(double xCO2, double T, double P_bar, bool modelSplits, PhaseLookups lookups) {
    VdWFluid f({0.5536, 0.3658}, {3.049e-5, 4.286e-5}, false);
    f.component_names = {"H2O", "CO2"};
    f.composition(1.0 - xCO2, xCO2);
    PhaseRules::ModelAnswer model;
    model.splits = modelSplits;
    model.phase = FluidPhase::kPhaseLiquid;
    return PhaseRules(f, lookups).fluidAt(T, P_bar, model);
}

}  // namespace

TEST(PhaseRules, FluidStatementFollowsRaoultHenryAndSolubility) {
    const ReferencePair row{"H2O", "CO2", "the test's Henry constant", std::nan(""), nullptr, {}, 0.0, nullptr, {}, {},
                            std::nan(""), nullptr, std::nan(""), PairJudgement::kWaterAndGas};
    const ReferencePairs pairs({&row, 1}, ReferenceFluids::standard());
    struct Case {
        double xCO2, P;
        const char* word;  // "" where no data cover the state
        bool henryLookup, solubilityLookup;
    };
    // At 5 bar the laws put xL = 0.0080 and yW = 0.201; at 100 bar the
    // liquid would hold 20 % of the gas, beyond a dilute solution.
    const double xL5 = (5.0 - kPsat) / (kH - kPsat), yW5 = kPsat * (1.0 - xL5) / 5.0;
    ASSERT_NEAR(xL5, 0.00799, 1e-5);
    ASSERT_NEAR(yW5, 0.2010, 1e-4);
    const Case cases[] = {
        {0.001, 5.0, "liquid", true, false},
        {0.5, 5.0, "splits", true, false},
        {0.95, 5.0, "vapour", true, false},
        {xL5, 5.0, "uncertain (liquid or splits)", true, false},
        {1.0 - yW5, 5.0, "uncertain (vapour or splits)", true, false},
        {0.5, 0.9, "vapour", true, false},  // below water's vapour pressure
        {0.5, 100.0, "", true, false},
        {1.0 - 0.02, 50.0, "splits", false, true},  // water at twice its solubility in CO2
        {1.0 - 0.005, 50.0, "one phase", false, true},
        {1.0 - 0.0105, 50.0, "uncertain (one phase or splits)", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "x(CO2) " << c.xCO2 << ", " << c.P << " bar");
        PhaseLookups lookups;
        lookups.tables = &pairs;
        if (c.henryLookup) lookups.henryOf = &henry;
        if (c.solubilityLookup) lookups.solubilityOf = &solubility, lookups.solubilitySourceOf = &source;
        for (bool modelSplits : {false, true}) {
            const PhaseRules::FluidStatement s = statement(c.xCO2, kT, c.P, modelSplits, lookups);
            EXPECT_EQ(s.word, c.word);
            const std::string w = c.word;
            const bool uncertain = w.rfind("uncertain", 0) == 0;
            // (The model's one phase is a liquid: below water's vapour
            // pressure, where the fluid is a vapour, it disagrees.)
            if (!w.empty()) {
                const bool phaseAgrees = modelSplits || w != "vapour" || c.P > kPsat;
                EXPECT_EQ(s.agrees, uncertain || ((w == "splits") == modelSplits && phaseAgrees)) << s.text;
            }
        }
    }
}

TEST(PhaseRules, IceFromAWaterRichLiquidAtItsIdealFreezingPoint) {
    // Without a dissolved gas (no Henry constant) the liquid holds the
    // mixture's share: water's freezing point at 1 bar, 273.152 K on the
    // IAPWS melting line, lowered by R T^2 x / dH_fus (dH_fus = 6007 J/mol).
    for (double x : {0.001, 0.01, 0.05}) {
        SCOPED_TRACE(x);
        VdWFluid f({0.5536, 0.3658}, {3.049e-5, 4.286e-5}, false);
        f.component_names = {"H2O", "N2"};
        f.composition(1.0 - x, x);
        PhaseLookups lookups;
        lookups.sublimationOf = [](const ReferenceFluids&, const char*, double T, double& Vs) {
            Vs = 19.65e-6;
            return T < 273.16 ? 611.657 * std::exp(-6140.0 * (1.0 / T - 1.0 / 273.16)) : std::nan("");
        };
        const double Tf = 1.0 / (1.0 / 273.152 - 8.314462618 * std::log(1.0 - x) / 6007.0);
        const PhaseRules rules(f, lookups);
        PhaseRules::ModelAnswer model;
        const PhaseRules::FluidStatement below = rules.fluidAt(Tf - 0.5, 1.0, model);
        EXPECT_NE(below.word.find("deposits"), std::string::npos) << below.text;
        EXPECT_NEAR(below.point, Tf, 2e-3);
        EXPECT_FALSE(below.agrees);
        EXPECT_EQ(rules.fluidAt(Tf + 0.5, 1.0, model).word.find("deposits"), std::string::npos);
    }
}
