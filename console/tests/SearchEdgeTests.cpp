// The searches of the console's models at their edges: a mixture's states
// do not depend on a saturation or a critical search before them, the molten
// salts have their saturation up to their critical points, and the curves
// end at the lowest temperature of the liquid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "console/FluidCommands.h"
#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/tests/StateSweep.h"
#include "fluid/tests/TextRows.h"

using consoletest::capture;

namespace {

// The model of the console's name at the composition x (none: as made);
// what the factory says is not captured (a caller may capture it).
std::unique_ptr<FluidPhase> model(const char* name, std::vector<double> x = {}) {
    std::unique_ptr<FluidPhase> m(createFluidModel(name));
    if (m && !x.empty()) m->composition(x.data());
    return m;
}

// Runs the command words on the model; false when a command failed.
bool run(FluidPhase& m, std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    bool ok = false;
    capture([&] { ok = runFluidCommands(m, static_cast<int>(argv.size()), argv.data(), nullptr); });
    return ok;
}

}  // namespace

TEST(SearchEdges, AMixtureStateDoesNotDependOnASaturationBefore) {
    // SRK1 CO2 + CH4, x(CH4) = 0.3, a dense liquid at 220 K and 210.884 bar
    // (just above the model's lowest temperature, CO2's triple point): after a
    // saturation search at 260 K that fails (the mixture has none), the state
    // was not found.
    auto fresh = model("SRK1:CO2,CH4", {0.7, 0.3});
    auto used = model("SRK1:CO2,CH4", {0.7, 0.3});
    ASSERT_TRUE(fresh && used);
    EXPECT_TRUE(run(*fresh, {"TP", "220", "210.884"}));
    EXPECT_FALSE(run(*used, {"psat", "260"}));
    EXPECT_TRUE(run(*used, {"TP", "220", "210.884"}));
    ASSERT_EQ(fresh->errorflag, 0);
    ASSERT_EQ(used->errorflag, 0);
    EXPECT_NEAR(used->V / fresh->V, 1.0, 1e-12);
    EXPECT_GT(fresh->bulk_molar_weight / fresh->V, 800.0);  // the liquid

    // The history sweep on the mixture: saturation and critical searches
    // (failing and not) before states of both kinds over the grid.
    const sweep::Tally h = sweep::historyIndependence([] { return model("SRK1:CO2,CH4", {0.7, 0.3}); }, 280.0,
                                                      1.0e-4, sweep::geometric(200.0, 700.0, 7),
                                                      sweep::geometric(1.0, 2000.0, 7));
    EXPECT_TRUE(h.wrong.empty()) << h.report();
    EXPECT_GT(h.answered, h.asked * 3 / 4) << h.report();
}

#ifdef VARNOK_WITH_ANDERKO
TEST(SearchEdges, TheMoltenSaltsHaveTheirSaturationUpToTheCriticalPoint) {
    // KCl's own saturation curve passes 1501 K at 8.7 bar, NaCl's 1804.75 K
    // at 91.6 bar: the saturation pressure is found there, and up to the
    // models' critical points, as an equilibrium of two phases.
    auto kcl = model("KCl");
    ASSERT_TRUE(kcl);
    sweep::Tally sat = sweep::saturationPoints(*kcl, {1100.0, 1500.0, 1750.0, 2000.0, 2250.0});
    EXPECT_TRUE(sat.wrong.empty()) << sat.report();
    EXPECT_EQ(sat.answered, sat.asked) << "KCl " << sat.report();
    auto nacl = model("NaCl");
    ASSERT_TRUE(nacl);
    sat = sweep::saturationPoints(*nacl, {1100.0, 1500.0, 1800.0, 1900.0, 2000.0, 2100.0, 2160.0});
    EXPECT_TRUE(sat.wrong.empty()) << sat.report();
    EXPECT_EQ(sat.answered, sat.asked) << "NaCl " << sat.report();
    // AnderkoH2O's failed within 0.3 K of its critical point (648.62 K),
    // DuanH2O's within 0.8 K of its own (653.76 K, 66.4 cm3/mol): both
    // liquids pass IAPWS-95's critical volume there.
    for (const char* name : {"AnderkoH2O", "DuanH2O"}) {
        auto water = model(name);
        ASSERT_TRUE(water);
        sat = sweep::nearCriticalSaturation(*water, water->critical_T, water->critical_V);
        EXPECT_TRUE(sat.wrong.empty()) << sat.report();
        EXPECT_EQ(sat.answered, sat.asked) << name << " " << sat.report();
    }
}

TEST(SearchEdges, ASaltsSaturationCurveEndsAtItsMeltingPoint) {
    // Below the melting point (KCl 1044 K, NaCl 1073.8 K) the molten salt is
    // supercooled; "sat" wrote 480,464 rows of KCl down to 553.68 K, the last
    // tens of thousands at one temperature.
    for (auto [name, melting] : {std::pair{"KCl", 1044.0}, std::pair{"NaCl", 1073.8}}) {
        auto m = model(name);
        ASSERT_TRUE(m);
        EXPECT_DOUBLE_EQ(m->lowestCurveTemperature(), melting) << name;
        // The interpreter refuses the curve (its critical point lies above
        // the range Anderko & Pitzer fitted): the tracer itself is asked.
        std::remove("satuedge");
        EXPECT_FALSE(run(*m, {"sat", "edge"})) << name;
        EXPECT_TRUE(readTextRows("satuedge").empty()) << name;
        consoletest::capture([&, name = name] {
            ASSERT_TRUE(m->findTheCriticalPoint()) << name;
            m->calculate_saturation_curve("satuedge", 2, m->T, -1.0, m->V, m->V, m->lowestCurveTemperature(), 1,
                                          "edge", nullptr);
        });
        const auto rows = readTextRows("satuedge");
        ASSERT_GT(rows.size(), 50u) << name;
        EXPECT_LT(rows.size(), 20000u) << name;
        double lowest = 1e9;
        for (const auto& r : rows) lowest = std::min(lowest, r[3]);
        EXPECT_GE(lowest, melting) << name;
        EXPECT_LT(lowest, melting + 5.0) << name;
    }
}
#endif

// A search of the volume from T and P, by phase kind (0 any root, 1 the
// vapour-like, 2 the liquid-like), near the critical point and the vapour
// pressure of the four reference fluids and of the cubic and Duan models,
// each after a state of the same model far from it: a volume it gives holds
// the pressure asked for (P(T, V) evaluated again from that volume), and a
// search it refuses leaves no number of the state before (V, Z, H, the
// fugacity all NaN).  Among them CO2 at 304.2 K and 1000 bar as the vapour
// kind, above its critical pressure where the one root is the dense fluid's.
TEST(SearchEdges, ARefusedVolumeSearchLeavesNoNumber) {
    struct Fluid {
        const char* model;
        const char* fluid;  // the ancillaries' name of the component searched
        std::vector<double> x;
    };
    const Fluid fluids[] = {{"WagnerPruss", "H2O", {}},         {"IUPACCO2", "CO2", {}},
                            {"IUPACCH4", "CH4", {}},            {"Jacobsen", "N2", {}},
                            {"SRK:CO2,CH4", "CO2", {1.0, 0.0}}, {"PR:CO2,N2", "CO2", {1.0, 0.0}},
                            {"DMW1:H2O", "H2O", {}},            {"DMW2:H2O,CO2", "H2O", {1.0, 0.0}}};
    long answered = 0, refused = 0;
    for (const Fluid& f : fluids) {
        std::unique_ptr<FluidPhase> m;
        capture([&] { m = model(f.model, f.x); });
        ASSERT_TRUE(m) << f.model;
        const double Tc = ancillaryCriticalTemperature(f.fluid), Pc = ancillaryCriticalPressure(f.fluid) * 1e-5;
        std::vector<std::pair<double, double>> states;  // T (K), P (bar)
        for (double t : {0.999, 1.0, 1.0005, 1.01})
            for (double p : {0.5, 0.99, 1.01, 2.0, 10.0}) states.push_back({Tc * t, Pc * p});
        for (double t : {0.7, 0.9, 0.99}) {
            const double Ps = ancillaryVapourPressure(f.fluid, Tc * t) * 1e-5;
            for (double p : {0.999, 1.001}) states.push_back({Tc * t, Ps * p});
        }
        if (std::string(f.fluid) == "CO2") states.push_back({304.2, 1000.0});
        for (const auto& state : states)
            for (int kind : {0, 1, 2}) {
                const double T = state.first, P = state.second;  // (lambdas capture no structured binding)
                m->phase_kind = 0;
                capture([&] { m->calculateFromTP(1.5 * Tc, 0.5 * Pc, 0); });
                ASSERT_EQ(m->errorflag, 0) << f.model;
                m->phase_kind = kind;
                capture([&] { m->calculateFromTP(T, P, 0); });
                const std::string at = std::string(f.model) + " at " + std::to_string(T) + " K, " +
                                       std::to_string(P) + " bar, kind " + std::to_string(kind);
                if (m->errorflag) {
                    ++refused;
                    EXPECT_TRUE(std::isnan(m->V) && std::isnan(m->Z) && std::isnan(m->H) && std::isnan(m->fugacity[0]))
                        << at << ": V " << m->V << " Z " << m->Z << " H " << m->H << " f " << m->fugacity[0];
                    continue;
                }
                ++answered;
                const double V = m->V;
                capture([&] { m->calculateFromTV(T, V, 0); });
                EXPECT_NEAR(m->P * 1e-5, P, 1e-6 * P) << at;
            }
    }
    EXPECT_GT(answered, 0);
    EXPECT_GT(refused, 0);
}
