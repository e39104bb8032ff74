// The verdict the interpreter gives a binary of a cubic model is the model's
// own: over a grid of composition, temperature and pressure its split
// equals that of a tangent-plane test of the same cubic written here from
// its publication (IndependentCubic.h), and the density it prints is that
// cubic's stable root, whatever the fluid's published data say beside it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "console/tests/IndependentCubic.h"
#include "console/tests/ModelCommands.h"
#include "fluid/StateReport.h"

namespace {

using namespace indep;

struct SweepCase {
    std::string model;
    Cubic eos;
    std::vector<double> temperatures, pressures;
};

}  // namespace

TEST(VerdictSweep, EveryBinarySplitsWhereAnIndependentTangentPlaneTestSplitsIt) {
    const std::vector<double> gasP = {5.0, 20.0, 50.0, 100.0};
    const std::vector<SweepCase> cases = {
        {"SRK1:CO2,CH4", srk(kSrk1CO2, kSrk1CH4, 0.1), {230.0, 270.0}, gasP},
        {"SRK2:CO2,N2", srk(kFileCO2, kFileN2, -0.035), {230.0, 280.0}, gasP},
        {"PR:CO2,CH4", pr(kPrCO2, kPrCH4, 0.1), {230.0, 270.0}, gasP},
        {"PR:CH4,N2", pr(kPrCH4, kPrN2, 0.03), {140.0, 170.0}, gasP},
        {"PRSV:CO2,N2", prsv(kPrsvCO2, kPrsvN2, -0.035), {230.0, 280.0}, gasP},
        {"PRSV:CH4,N2", prsv(kPrsvCH4, kPrsvN2, 0.03), {140.0, 170.0}, gasP},
        {"PRSV:H2O,CO2", prsv(kPrsvH2O, kPrsvCO2, 0.0), {323.15, 400.0, 500.0}, {10.0, 88.0, 150.0, 300.0}},
    };
    const double shares[] = {0.008, 0.05, 0.15, 0.5, 0.85, 0.95, 0.992};
    long judged = 0, borderline = 0, disagree = 0;
    for (const SweepCase& c : cases) {
        auto m = consoletest::model(c.model);
        ASSERT_TRUE(m) << c.model;
        StateReport report(*m);
        for (double T : c.temperatures)
            for (double P : c.pressures)
                for (double x1 : shares) {
                    SCOPED_TRACE(testing::Message() << c.model << " x " << x1 << " at " << T << " K, " << P << " bar");
                    const Independent ind = tangentPlane(c.eos, T, P * 1e5, x1);
                    m->composition(1.0 - x1, x1);
                    StateReport::Verdict v;
                    bool given = false;
                    consoletest::capture([&] { given = report.verdictAt(T, P, v); });
                    if (!given || !std::isfinite(ind.V)) continue;
                    // The printed state is the stable root of the cubic.
                    EXPECT_NEAR(m->V, ind.V, 1e-6 * ind.V);
                    // Within a trace of zero the test cannot tell, either way.
                    if (std::fabs(ind.distance) < 1e-5) {
                        ++borderline;
                        continue;
                    }
                    ++judged;
                    const bool splits = ind.distance < 0.0;
                    if (v.splits != splits) ++disagree;
                    EXPECT_EQ(v.splits, splits) << "tangent-plane distance " << ind.distance;
                    // Where the model splits, the feed lies between its phases.
                    if (v.splits && v.line.found) {
                        EXPECT_GT((x1 - v.line.x1[0]) * (v.line.x1[1] - x1), 0.0);
                    }
                }
    }
    std::printf("%ld states judged, %ld borderline, %ld verdicts unlike the independent test's\n", judged, borderline,
                disagree);
    EXPECT_GT(judged, 10 * borderline);
}
