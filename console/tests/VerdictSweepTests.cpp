// The verdict the interpreter gives a binary is the model's own: over a grid
// of composition (both ends), temperature and pressure, near each binary's
// two-phase region, its split equals that of a tangent-plane test of the
// same equation written in the tests (IndependentTangentPlane.h): the cubics
// from their publications (IndependentCubic.h), Duan, Moller & Weare's
// equation from their paper (DuanPaperBinary.h).  The density it prints is
// that equation's stable root and its fugacity coefficients are the
// equation's there, whatever the fluid's published data say beside it: no
// printed number or verdict changes between neighbouring states where the
// independent answer does not.  One model object answers every state of its
// binary, each after the others.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "console/tests/IndependentCubic.h"
#include "console/tests/IndependentTangentPlane.h"
#include "console/tests/ModelCommands.h"
#include "families/duan/tests/DuanPaperBinary.h"
#include "fluid/Interaction.h"
#include "fluid/StateReport.h"

namespace {

using namespace indep;

// The states a binary is judged at: temperatures (K), pressures (bar) and
// component 1's mole fractions.
struct Grid {
    std::vector<double> T, P;
    std::vector<double> x1 = {0.008, 0.05, 0.15, 0.5, 0.85, 0.95, 0.992};
};
// n values from a to b, both included.
std::vector<double> line(double a, double b, int n) {
    std::vector<double> v;
    for (int k = 0; k < n; ++k) v.push_back(a + (b - a) * k / (n - 1));
    return v;
}

// A binary, its independent equation and the grid it is judged on.
struct SweepCase {
    std::string model;
    // The independent stable root and tangent-plane distance at T (K), P (Pa), x1.
    std::function<Independent(double, double, double)> judge;
    // ln phi_i of the independent equation at T, V (m3/mol) and x1.
    std::function<double(int, double, double, double)> lnPhi;
    Grid grid;
};

// The equation `eosAt(T)` (its parameters may depend on T: Duan, Moller &
// Weare's rows) on a binary's grid, with its tangent-plane test's number
// of trial compositions and of volumes scanned for roots.
template <class Eos>
SweepCase sweepOf(std::string model, std::function<Eos(double)> eosAt, Grid grid, int trials, int steps) {
    SweepCase c{std::move(model), nullptr, nullptr, std::move(grid)};
    c.judge = [eosAt, trials, steps](double T, double P, double x1) {
        return tangentPlane(eosAt(T), T, P, x1, trials, steps);
    };
    c.lnPhi = [eosAt](int i, double T, double V, double x1) {
        const Eos eos = eosAt(T);
        const auto iso = isotherm(eos, T, x1);
        return iso.lnf(i, V) - std::log((i == 0 ? 1.0 - x1 : x1) * iso.P(V));
    };
    return c;
}
SweepCase cubicSweep(std::string model, Cubic eos, Grid grid) {
    return sweepOf<Cubic>(std::move(model), [eos](double) { return eos; }, std::move(grid), 160, 600);
}
SweepCase duanSweep(std::string model, duan_tests::PaperBinary (*row)(double), Grid grid) {
    return sweepOf<duan_tests::PaperBinary>(std::move(model), row, std::move(grid), 160, 500);
}

// A model with no equation written in the tests, through its Helmholtz
// energy A(T, V, x) as the library evaluates it at one state
// (calculateFromTV), on a model object of its own, and its pressure there.
// The sum of its terms, A/(RT) less the components' ideal gases at T and V
// but for their -ln V, is analytic in the mole numbers down to zero: each
// ln f_i comes from its derivative in n_i at constant T and total volume,
// by the test's own differences, with ln(x_i R T) - 1 of the ideal gas
// (whose ln f_i is ln(x_i R T/V)).
struct LibraryHelmholtz {
    std::shared_ptr<FluidPhase> m;
};
struct LibraryIsotherm {
    FluidPhase& m;
    double T, x1;
    double Vmin() const {
        // (A model of no co-volume, Anderko's, from 10 cm3/mol: denser than
        // its liquids, less dense than its hard cores.)
        m.composition(1.0 - x1, x1);
        const double b = m.coVolume();
        return b > 0.0 ? 1.0005 * b : 1e-5;
    }
    double P(double V) const {
        m.composition(1.0 - x1, x1);
        m.temperature(T);
        m.volume(V);
        m.errorflag = 0;
        m.calculate_pressure();
        return m.errorflag ? std::nan("") : m.P;
    }
    // n times the sum of the terms at T, V/n and x.
    double nA(double n0, double n1, double V) const {
        const double n = n0 + n1;
        m.composition(n0 / n, n1 / n);
        m.calculateFromTV(T, V / n, 0);
        double a = 0.0;
        for (const Interaction* t : m.interactions) a += t->A;
        return n * a;
    }
    // Its derivative in n_i, central or (at a trace) one-sided to second
    // order, and the ideal gas's part.
    double lnf(int i, double V) const {
        const double n[2] = {1.0 - x1, x1}, h = 1e-6;
        auto at = [&](double d) { return i == 0 ? nA(n[0] + d, n[1], V) : nA(n[0], n[1] + d, V); };
        const double d = n[i] > 2 * h ? (at(h) - at(-h)) / (2 * h) : (4 * at(h) - 3 * at(0.0) - at(2 * h)) / (2 * h);
        return d + std::log(n[i] * FluidPhase::R * T) - 1.0;
    }
};
LibraryIsotherm isotherm(const LibraryHelmholtz& e, double T, double x1) { return {*e.m, T, x1}; }

// What a binary's sweep found.
struct Tally {
    long judged = 0, splits = 0, borderline = 0, disagree = 0;
};

// Every state of the case's grid: the printed density
// and fugacity coefficients are the independent equation's at its stable
// root, the verdict splits where the independent tangent-plane distance is
// negative, and
// a split's phases hold the feed between them.
Tally sweep(const SweepCase& c, int stride) {
    Tally t;
    auto m = consoletest::model(c.model);
    EXPECT_TRUE(m) << c.model;
    if (!m) return t;
    StateReport report(*m);
    long k = 0;
    for (double T : c.grid.T)
        for (double P : c.grid.P)
            for (double x1 : c.grid.x1) {
                if (k++ % stride != 0) continue;
                SCOPED_TRACE(testing::Message() << c.model << " x " << x1 << " at " << T << " K, " << P << " bar");
                const Independent ind = c.judge(T, P * 1e5, x1);
                m->composition(1.0 - x1, x1);
                StateReport::Verdict v;
                bool given = false;
                const consoletest::Captured said = consoletest::capture([&] { given = report.verdictAt(T, P, v); });
                // (DMW's CO2, a vapour only below its critical temperature,
                // refuses its mixtures with CH4 wherever they form its
                // liquid: FluidStatement.ATraceIsItsPureEnd and
                // ACO2RichMixtureOfAnyShareFollowsRaoultsLawAndItsModelsRestriction
                // judge where.)
                const bool vapourOnly = c.model.find("CO2,CH4") != std::string::npos && T < 304.128 &&
                                        said.err.find("as a vapour only") != std::string::npos;
                EXPECT_TRUE(given || vapourOnly) << "refused: " << said.err;
                if (!given || !std::isfinite(ind.V)) continue;
                EXPECT_NEAR(m->V, ind.V, 1e-6 * ind.V);
                for (int i = 0; i < 2; ++i) EXPECT_NEAR(std::log(m->fugcoef[i]), c.lnPhi(i, T, m->V, x1), 1e-6) << i;
                // Within a trace of zero the test cannot tell, either way: a
                // trace feed's distance scales with its minor share.
                if (std::fabs(ind.distance) < 1e-5 * std::min(x1, 1.0 - x1) + 1e-8) {
                    ++t.borderline;
                    continue;
                }
                ++t.judged;
                const bool splits = ind.distance < 0.0;
                t.splits += splits;
                if (v.splits != splits) ++t.disagree;
                EXPECT_EQ(v.splits, splits) << "tangent-plane distance " << ind.distance;
                if (v.splits && v.line.found) {
                    EXPECT_GT((x1 - v.line.x1[0]) * (v.line.x1[1] - x1), 0.0);
                }
            }
    std::printf("%-16s %3ld states judged (%3ld split), %2ld borderline, %ld verdicts unlike the independent test's\n",
                c.model.c_str(), t.judged, t.splits, t.borderline, t.disagree);
    // (A sampled sweep of a short line may judge none of its few states.)
    EXPECT_TRUE(t.judged > 4 * t.borderline || (stride > 1 && t.borderline == 0)) << c.model;
    return t;
}

SweepCase helmholtzSweep(const std::string& model, Grid grid) {
    LibraryHelmholtz eos{consoletest::model(model)};
    return sweepOf<LibraryHelmholtz>(model, [eos](double) { return eos; }, std::move(grid), 100, 250);
}

// Where the build samples the long sweeps (the sanitizer and Clang builds),
// every fifth state.
#if VARNOK_SAMPLE_SWEEPS
constexpr int kStride = 5;
#else
constexpr int kStride = 1;
#endif


// Every binary of each cubic model's components (CO2, CH4, N2, and water
// where the model has it), each on its pair's grid across its two-phase
// region: from the heavier component's vapour pressure to near the
// critical curve's.
std::vector<SweepCase> cubicCases() {
    enum { kCO2, kCH4, kN2, kH2O };
    const char* names[] = {"CO2", "CH4", "N2", "H2O"};
    struct Model {
        const char* name;
        Cubic (*eos)(Component, Component, double);
        Component c[4];  // Tc 0: no water
        double kWaterMethane;
    };
    // Soave's m of water with the component file's acentric factor (SRK2),
    // Peng & Robinson's with the slope of the model's own water.
    const Component fileH2O = soave(647.1, 22055000.0, 0.345), srk1H2O = soave(647.096, 22064000.0, 0.344),
                    prH2O{647.13, 22055000.0, 0.85360439};
    const Model models[] = {{"SRK", &srk, {kSrk1CO2, kSrk1CH4, kSrkN2, {}}, 0.0},
                            {"SRK1", &srk, {kSrk1CO2, kSrk1CH4, kSrk1N2, srk1H2O}, 0.0},
                            {"SRK2", &srk, {kFileCO2, kFileCH4, kFileN2, fileH2O}, 0.0},
                            {"PR", &pr, {kPrCO2, kPrCH4, kPrN2, prH2O}, 0.0},
                            {"PRSV", &prsv, {kPrsvCO2, kPrsvCH4, kPrsvN2, kPrsvH2O}, 0.6}};
    struct Pair {
        int a, b;
        double k;
        Grid grid;
    };
    const Pair pairs[] = {{kCO2, kCH4, 0.1, {{230.0, 270.0}, {10.0, 30.0, 50.0, 70.0}}},
                          {kCO2, kN2, -0.035, {{230.0, 280.0}, {20.0, 50.0, 80.0, 110.0}}},
                          {kCH4, kN2, 0.03, {{140.0, 170.0}, {10.0, 20.0, 30.0, 40.0}}},
                          {kH2O, kCO2, 0.0, {{323.15, 400.0, 500.0}, {10.0, 88.0, 150.0, 300.0}}},
                          {kH2O, kCH4, 0.0, {{323.15, 400.0, 500.0}, {10.0, 88.0, 150.0, 300.0}}}};
    std::vector<SweepCase> cases;
    for (const Model& m : models)
        for (const Pair& p : pairs) {
            if (!(m.c[p.a].Tc > 0.0 && m.c[p.b].Tc > 0.0)) continue;
            const double k = p.a == kH2O && p.b == kCH4 ? m.kWaterMethane : p.k;
            cases.push_back(cubicSweep(std::string(m.name) + ":" + names[p.a] + "," + names[p.b],
                                       m.eos(m.c[p.a], m.c[p.b], k), p.grid));
        }
    // Montel's translated Peng-Robinson with its own pair parameters.
    const Grid co2ch4 = pairs[0].grid, co2n2 = pairs[1].grid, ch4n2 = pairs[2].grid;
    cases.push_back(cubicSweep("Montel:CO2,CH4", montel(kMontelCO2, kMontelSCO2, kMontelCH4, kMontelSCH4, 0.1), co2ch4));
    cases.push_back(cubicSweep("Montel:CO2,N2", montel(kMontelCO2, kMontelSCO2, kMontelN2, kMontelSN2, -0.02), co2n2));
    cases.push_back(cubicSweep("Montel:CH4,N2", montel(kMontelCH4, kMontelSCH4, kMontelN2, kMontelSN2, 0.04), ch4n2));
    // Lines through states where published data once overrode the model:
    // water in CO2 at 323.15 K up to 2.5 times its published content
    // (0.424 % at 100 bar), the dilute gas of 5 % water at 400 K from 80 to
    // 220 bar, and equal shares of water and CO2 at 450-550 K.
    cases.push_back(cubicSweep("PR:CO2,H2O", pr(kPrCO2, prH2O, 0.0), {{323.15}, line(40.0, 200.0, 9), line(0.002, 0.012, 6)}));
    cases.push_back(cubicSweep("PR:CO2,H2O", pr(kPrCO2, prH2O, 0.0), {{400.0}, line(80.0, 220.0, 15), {0.05}}));
    cases.push_back(cubicSweep("PRSV:H2O,CO2", prsv(kPrsvH2O, kPrsvCO2, 0.0), {line(450.0, 550.0, 11), {100.0, 300.0}, {0.5}}));
    return cases;
}

}  // namespace

TEST(VerdictSweep, EveryCubicBinarySplitsWhereAnIndependentTangentPlaneTestSplitsIt) {
    const std::vector<SweepCase> cases = cubicCases();
    Tally all;
    for (const SweepCase& c : cases) {
        const Tally t = sweep(c, kStride);
        all.judged += t.judged, all.borderline += t.borderline, all.disagree += t.disagree;
    }
    std::printf("%ld states judged, %ld borderline, %ld verdicts unlike the independent test's\n", all.judged,
                all.borderline, all.disagree);
}

TEST(VerdictSweep, EveryDuanMollerWeareBinarySplitsWhereTheirEquationsTangentPlaneSplitsIt) {
    // H2O-CO2 from 323 K to above water's critical temperature, where its
    // two-phase region closes; H2O-CH4 and CO2-CH4 in and out of theirs.
    const Grid waterCO2{{323.15, 423.15, 523.15, 623.15, 673.15}, {50.0, 200.0, 500.0, 1000.0}},
        waterCH4{{323.15, 423.15, 473.15, 550.0}, {50.0, 200.0, 500.0}}, co2ch4{{280.0, 300.0}, {30.0, 50.0, 65.0}};
    // Lines across the edges of the interaction rows (373.15, 495.15 and
    // 623.15 K), across the critical region of 40 % CO2 at 600 bar and of
    // equal shares of H2O and CH4 at 550 K.
    const Grid rowEdges{{373.0, 373.3, 495.0, 495.3, 623.0, 623.3}, {100.0, 600.0}, {0.008, 0.05, 0.5, 0.992}};
    const Grid critical{line(540.0, 660.0, 13), {600.0}, {0.4}}, methane{{550.0}, line(150.0, 200.0, 11), {0.5}};
    // Where H2O-CH4's isotherm holds a stable stretch between two loops of
    // P(V), joined to neither its liquid nor its vapour.
    const Grid stretch{{340.0, 350.0, 360.0}, {50.0, 60.0, 80.0}, {0.3, 0.35}};
    const std::vector<SweepCase> cases = {
        duanSweep("DMW2:H2O,CO2", &duan_tests::waterCarbonDioxide, waterCO2),
        duanSweep("DMWEOS:H2O,CO2", &duan_tests::waterCarbonDioxide, waterCO2),
        duanSweep("DMW2:H2O,CH4", &duan_tests::waterMethane, waterCH4),
        duanSweep("DMWEOS:H2O,CH4", &duan_tests::waterMethane, waterCH4),
        duanSweep("DMW2:CO2,CH4", &duan_tests::carbonDioxideMethane, co2ch4),
        duanSweep("DMWEOS:CO2,CH4", &duan_tests::carbonDioxideMethane, co2ch4),
        duanSweep("DMW2:H2O,CO2", &duan_tests::waterCarbonDioxide, rowEdges),
        duanSweep("DMW2:H2O,CO2", &duan_tests::waterCarbonDioxide, critical),
        duanSweep("DMW2:H2O,CH4", &duan_tests::waterMethane, methane),
        duanSweep("DMWEOS:H2O,CH4", &duan_tests::waterMethane, stretch),
    };
    for (const SweepCase& c : cases) sweep(c, kStride);
}

TEST(VerdictSweep, EveryOtherBinarySplitsWhereATangentPlaneTestOfItsHelmholtzEnergySplitsIt) {
    const std::vector<double> brines = {0.002, 0.01, 0.03, 0.1};
    const std::vector<SweepCase> cases = {
        helmholtzSweep("Kreglewski:CO2,CH4", {{230.0, 270.0}, {10.0, 30.0, 50.0, 70.0}}),
        helmholtzSweep("Kreglewski:CO2,N2", {{230.0, 280.0}, {20.0, 50.0, 80.0, 110.0}}),
        helmholtzSweep("Kreglewski:CH4,N2", {{140.0, 170.0}, {10.0, 20.0, 30.0, 40.0}}),
        helmholtzSweep("hn", {{673.15, 773.15}, {150.0, 250.0, 400.0}, brines}),
        // A brine of 5 % NaCl at 750 K and 500 bar splits off a vapour of
        // 1-2 % NaCl, close beside it.
        helmholtzSweep("hn", {{750.0}, {300.0, 500.0}, {0.02, 0.05, 0.1}}),
        helmholtzSweep("hk", {{673.15, 773.15}, {150.0, 250.0, 400.0}, brines}),
        helmholtzSweep("HollowayEOS", {{800.0, 1200.0}, {200.0, 2000.0}}),
    };
    for (const SweepCase& c : cases) sweep(c, kStride);
}

// Beside the pure water end a binary's split is found whichever component is
// named first (the water-rich liquid holding 3e-9 of methane, its methane
// share rounded where it is kept as 1 less water's): where the verdict
// splits the tie line is found in both orders, the two the same (one's x1
// the other's x0), and its phases hold equal fugacities in the cubic
// written here.
TEST(VerdictSweep, ASplitBesideThePureWaterEndIsFoundInEitherOrder) {
    struct Case {
        std::string water, gas;
        Cubic eos;  // water first
    };
    const Component srk1H2O = soave(647.096, 22064000.0, 0.344);
    const std::vector<Case> cases = {{"PRSV", "CH4", prsv(kPrsvH2O, kPrsvCH4, 0.6)},
                                     {"SRK1", "N2", srk(srk1H2O, kSrk1N2, 0.0)}};
    int found = 0;
    for (const Case& c : cases) {
        std::unique_ptr<FluidPhase> m[2] = {consoletest::model(c.water + ":H2O," + c.gas),
                                            consoletest::model(c.water + ":" + c.gas + ",H2O")};
        ASSERT_TRUE(m[0] && m[1]) << c.water;
        StateReport report0(*m[0]), report1(*m[1]);
        StateReport* report[2] = {&report0, &report1};
        for (double T : {280.0, 294.61304, 330.0})
            for (double P : {2.57408, 20.0, 150.0})
                for (double xw : {0.5, 0.76105123, 0.995}) {
                    SCOPED_TRACE(testing::Message() << c.water << " H2O-" << c.gas << " x(H2O) " << xw << " at " << T
                                                    << " K, " << P << " bar");
                    StateReport::Verdict v[2];
                    for (int o = 0; o < 2; ++o) {
                        const double x1 = o == 0 ? 1.0 - xw : xw;
                        m[o]->composition(1.0 - x1, x1);
                        bool given = false;
                        consoletest::capture([&] { given = report[o]->verdictAt(T, P, v[o]); });
                        ASSERT_TRUE(given) << o;
                    }
                    EXPECT_EQ(v[0].splits, v[1].splits);
                    if (!v[0].splits) continue;
                    ASSERT_TRUE(v[0].line.found && v[1].line.found);
                    ++found;
                    for (int k = 0; k < 2; ++k) {
                        // (each phase by its gas share, held to its own digits)
                        const double gas0 = v[0].line.x1[k], gas1 = 1.0 - v[1].line.x1[k];
                        EXPECT_NEAR(gas1, gas0, 1e-6 * gas0 + 1e-12) << "phase " << k;
                    }
                    const auto l = isotherm(c.eos, T, v[0].line.x1[0]), g = isotherm(c.eos, T, v[0].line.x1[1]);
                    for (int i = 0; i < 2; ++i)
                        EXPECT_NEAR(l.lnf(i, v[0].line.V[0]), g.lnf(i, v[0].line.V[1]), 1e-6) << "component " << i;
                }
    }
    std::printf("splits beside the pure water end found in both orders: %d\n", found);
}
