// The model's own split where published data lie beside it, judged by an
// independent cubic written from its publication (IndependentCubic.h): the
// split beside H2O-CO2's three-phase line is the lower hull of the Gibbs
// energy, water in methane is the model's verdict whatever Bukacek's
// content says, and a mixture isochore's rows the model finds unstable are
// those the independent cubic finds unstable, said in one sentence.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "brines/WaterInMethane.h"
#include "console/tests/ConsoleTestSupport.h"
#include "console/tests/IndependentCubic.h"
#include "console/tests/ModelCommands.h"
#include "fluid/StateReport.h"

namespace {

using namespace indep;

// The model's split at T (K), P (bar) and x1 is the independent cubic's:
// where the independent test splits the mixture (beyond a trace of zero)
// the model gives two phases at the pressure, of equal fugacities, their
// common tangent plane below every trial phase (the lower hull of the Gibbs
// energy), the feed between them; where it does not, the model gives one.
// False where the independent test finds no split.
bool expectIndependentSplit(const Cubic& c, double T, double P, double x1, const StateReport::Verdict& v) {
    const Independent ind = tangentPlane(c, T, P * 1e5, x1);
    if (std::fabs(ind.distance) < 1e-5) return false;
    EXPECT_EQ(v.splits, ind.distance < 0.0) << "tangent-plane distance " << ind.distance;
    if (!(ind.distance < 0.0)) return false;
    EXPECT_TRUE(v.line.found) << "a split without its phases";
    if (!v.line.found) return true;
    const double lnf[2][2] = {{c.lnf(0, T, v.line.V[0], v.line.x1[0]), c.lnf(1, T, v.line.V[0], v.line.x1[0])},
                              {c.lnf(0, T, v.line.V[1], v.line.x1[1]), c.lnf(1, T, v.line.V[1], v.line.x1[1])}};
    for (int k = 0; k < 2; ++k) {
        EXPECT_NEAR(c.P(T, v.line.V[k], v.line.x1[k]) / (P * 1e5), 1.0, 1e-6);
        EXPECT_NEAR(lnf[0][k], lnf[1][k], 1e-6) << "component " << k;
    }
    EXPECT_GT(leastDistance(c, T, P * 1e5, lnf[0][0], lnf[0][1], std::nan("")), -1e-7);
    EXPECT_GT((x1 - v.line.x1[0]) * (v.line.x1[1] - x1), 0.0);
    return true;
}

struct SweepCase {
    std::string model;
    Cubic eos;
    std::vector<double> temperatures, pressures;
};

// Each case's model at each of its temperatures and pressures and each of
// `shares` (component 1's fraction x1 = share(T, P, s)): judge(c, m, T, P,
// x1, s, given, v) with the verdict v the interpreter gives there (given
// false where it refuses the state).
template <class Share, class Judge>
void sweep(const std::vector<SweepCase>& cases, const std::vector<double>& shares, Share share, Judge judge) {
    for (const SweepCase& c : cases) {
        auto m = consoletest::model(c.model);
        ASSERT_TRUE(m) << c.model;
        StateReport report(*m);
        for (double T : c.temperatures)
            for (double P : c.pressures)
                for (double s : shares) {
                    const double x1 = share(T, P, s);
                    SCOPED_TRACE(testing::Message() << c.model << " x " << x1 << " at " << T << " K, " << P << " bar");
                    m->composition(1.0 - x1, x1);
                    StateReport::Verdict v;
                    bool given = false;
                    consoletest::capture([&] { given = report.verdictAt(T, P, v); });
                    judge(c, *m, T, P, x1, s, given, v);
                }
    }
}

}  // namespace

// Beside the three-phase line of water and CO2 (water-rich liquid, CO2-rich
// liquid and vapour; about 30 bar at 268 K in these cubics) the stable split
// may hold a CO2-rich phase on the root that is not the lower one at its own
// composition: the model's split is still the independent cubic's.
TEST(VerdictSweep, BesideTheThreePhaseLineTheSplitIsTheIndependentGibbsHull) {
    const std::vector<SweepCase> cases = {
        {"PR:H2O,CO2", pr(kPrH2O, kPrCO2, 0.0), {265.0, 268.0, 270.0, 272.0, 275.0}, {25.0, 30.0, 35.0, 40.0, 45.0}},
        {"PRSV:H2O,CO2", prsv(kPrsvH2O, kPrsvCO2, 0.0), {265.0, 268.0, 272.0}, {25.0, 30.0, 35.0, 45.0}},
    };
    long splits = 0;
    sweep(cases, {0.02, 0.05, 0.2, 0.5}, [](double, double, double s) { return s; },
          [&](const SweepCase& c, FluidPhase&, double T, double P, double x1, double, bool given,
              const StateReport::Verdict& v) {
              ASSERT_TRUE(given);
              splits += expectIndependentSplit(c.eos, T, P, x1, v) ? 1 : 0;
          });
    EXPECT_GT(splits, 60);
}

// Water in dense methane at half to three times the content Bukacek's
// correlation gives: the fluid's statement says splits or one phase by it,
// the verdict and split are the model's own (the independent cubic's),
// whatever the statement says, and the statement says whether they agree.
TEST(VerdictSweep, WaterInMethaneIsJudgedByBukacekBesideTheModelsOwnSplit) {
    const std::vector<SweepCase> cases = {
        {"PR:CH4,H2O", pr(kPrCH4, kPrH2O, 0.0), {300.0, 340.0, 380.0}, {50.0, 150.0, 300.0}},
        {"PRSV:CH4,H2O", prsv(kPrsvCH4, kPrsvH2O, 0.6), {300.0, 340.0, 380.0}, {50.0, 150.0, 300.0}},
    };
    long splits = 0, judged = 0;
    auto share = [](double T, double P, double factor) { return factor * solubility::waterInMethane(T, P); };
    sweep(cases, {0.5, 1.5, 3.0}, share,
          [&](const SweepCase& c, FluidPhase&, double T, double P, double x1, double factor, bool given,
              const StateReport::Verdict& v) {
              ASSERT_TRUE(given);
              splits += expectIndependentSplit(c.eos, T, P, x1, v) ? 1 : 0;
              ++judged;
              EXPECT_EQ(v.fluid.word, factor < 1.0 ? "one phase" : "splits") << v.fluid.text;
              EXPECT_NE(v.fluid.text.find("Bukacek 1955"), std::string::npos) << v.fluid.text;
              EXPECT_EQ(v.fluid.agrees, (v.fluid.word == "splits") == v.splits) << v.fluid.text;
          });
    // Each model splits some of these mixtures and leaves others one phase.
    EXPECT_GT(splits, 10);
    EXPECT_LT(splits, judged - 10);
}

// An isochore of a binary across its two-phase region: the rows written as
// nan are the states the independent cubic finds no stable state of one
// phase at their T and V (another root of their composition, or a trial
// phase, below their tangent plane), the rows written are not, and the
// unstable rows are said in one sentence with their count.
TEST(VerdictSweep, AnIsochoresUnstableRowsAreSaidInOneSentenceAndAreTheIndependentCubics) {
    const Cubic srk2 = srk(kFileCO2, kFileN2, -0.035);
    const double x1 = 0.1;
    // Below its plane by more than `margin`: another root of its composition
    // at its pressure, or a trial phase of another composition.
    auto below = [&](double T, double V, double margin) {
        const double P = srk2.P(T, V, x1), lnf0 = srk2.lnf(0, T, V, x1), lnf1 = srk2.lnf(1, T, V, x1);
        const double g = gibbs(srk2, T, V, x1);
        bool lower = false;
        for (double W : roots(srk2, T, P, x1)) lower = lower || gibbs(srk2, T, W, x1) < g - margin;
        return lower || leastDistance(srk2, T, P, lnf0, lnf1, x1) < -margin;
    };
    auto m = consoletest::model("SRK2:CO2,N2");
    ASSERT_TRUE(m);
    for (double Vcm3 : {150.0, 300.0, 1000.0}) {
        SCOPED_TRACE(testing::Message() << "isochore at " << Vcm3 << " cm3/mol");
        m->composition(1.0 - x1, x1);
        StateReport report(*m);
        std::vector<double> rows;
        const consoletest::Captured said = consoletest::capture([&] {
            report.withCurveRowLimits([&] { m->calculateTheIsochor(Vcm3 * 1e-6, 220.0, 300.0, 0, 6, nullptr, &rows); });
        });
        long unstable = 0, written = 0;
        for (std::size_t k = 0; k + 13 <= rows.size(); k += 13) {
            const double T = rows[k], P = rows[k + 1], V = Vcm3 * 1e-6;
            SCOPED_TRACE(testing::Message() << T << " K");
            if (std::isnan(P)) {
                ++unstable;
                EXPECT_TRUE(below(T, V, 1e-7));
            } else {
                ++written;
                EXPECT_NEAR(srk2.P(T, V, x1) / (P * 1e5), 1.0, 1e-6);
                EXPECT_FALSE(below(T, V, 1e-5));
            }
        }
        EXPECT_GT(unstable, 5);
        EXPECT_GT(written, 3);
        const std::string sentence = " the mixture of one phase is not stable";
        const std::size_t at = said.err.find(sentence);
        ASSERT_NE(at, std::string::npos) << said.err;
        EXPECT_EQ(said.err.find(sentence, at + 1), std::string::npos) << said.err;
        const std::size_t count = said.err.rfind(" at ", at);
        EXPECT_EQ(std::atol(said.err.c_str() + count + 4), unstable) << said.err;
        // Its S, A and G leave out the ideal entropy of mixing, said with its
        // value: -R (0.9 ln 0.9 + 0.1 ln 0.1) = 2.70289 J/(mol K), to its
        // four printed digits.
        const std::string mixing = "s_mix = -R sum x ln x = ";
        const std::size_t sMix = said.err.find(mixing);
        ASSERT_NE(sMix, std::string::npos) << said.err;
        EXPECT_NEAR(std::atof(said.err.c_str() + sMix + mixing.size()), 2.70289, 5e-4);
        // The temperatures not written (one a kelvin, 81 in all) are said
        // with their count and range, where the independent cubic's
        // pressure rises with volume.
        long skipped = 0;
        double from = 0.0, to = 0.0;
        const std::size_t gap = said.err.find("cm3/mol: ");
        if (gap != std::string::npos &&
            std::sscanf(said.err.c_str() + gap, "cm3/mol: %ld temperatures from %lf to %lf K are not written", &skipped,
                        &from, &to) == 3) {
            const double V = Vcm3 * 1e-6;
            for (double T : {from, to}) EXPECT_GT(srk2.P(T, V * (1.0 + 1e-6), x1), srk2.P(T, V, x1)) << T << " K";
        }
        EXPECT_EQ(skipped + static_cast<long>(rows.size() / 13), 81);
    }
}
