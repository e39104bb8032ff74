// A cubic mixture's closed-form roots against the model's own searches
// (its volume searches, the scan of the isotherm's roots, and its
// fugacities: the expression trees of the cubics of terms, the closed
// cubics' own fugacity code), which share nothing with the closed form but
// the parameters: the same stable state, the same tangent-plane verdict,
// the same tie line, and each component's ln phi of the closed form against
// the model's at the same state.  Swept over each cubic of terms with
// mixtures (Peng-Robinson, PRSV, SRK1, SRK2) and each closed cubic (SRK, Montel):
// CO2-CH4 around its critical line, and H2O-CO2 (the cubics of terms, which
// take water) from its three-phase line to the critical region of water, at
// both ends of the composition.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "families/cubic/ClassicalCubic0.h"
#include "families/cubic/PRNirma.h"
#include "families/cubic/PRSV.h"
#include "families/cubic/SRK1.h"
#include "families/cubic/SRK2.h"
#include "platform/LogSink.h"

namespace {

struct Pair {
    const char* name;
    std::function<FluidPhase*()> make;
    const char* first;
    const char* second;
    double x[4], T[5], Pbar[5];
};

std::unique_ptr<FluidPhase> binary(const Pair& p) {
    std::unique_ptr<FluidPhase> m(p.make());
    m->number_of_components(2);
    m->add_component(p.first);
    m->add_component(p.second);
    m->composition({0.5, 0.5});
    m->calculateBulkMolarWeight();
    return m;
}

// CO2-CH4 across its critical line (to about 86 bar near 230-270 K) and
// CO2's critical point; H2O-CO2 at its three-phase line (near 298 K and
// 64 bar), in the liquid-liquid and gas-liquid regions and in water's
// critical region.
const double kMethaneX[4] = {0.02, 0.3, 0.7, 0.98}, kMethaneT[5] = {200.0, 230.0, 250.0, 280.0, 303.0},
             kMethaneP[5] = {5.0, 30.0, 60.0, 80.0, 120.0};
const double kWaterX[4] = {1e-3, 0.1, 0.5, 0.99}, kWaterT[5] = {290.0, 298.0, 400.0, 550.0, 640.0},
             kWaterP[5] = {10.0, 60.0, 64.0, 200.0, 1000.0};

Pair pair(const char* name, std::function<FluidPhase*()> make, const char* a, const char* b, bool water) {
    Pair p{name, std::move(make), a, b, {}, {}, {}};
    for (int k = 0; k < 4; ++k) p.x[k] = water ? kWaterX[k] : kMethaneX[k];
    for (int k = 0; k < 5; ++k) {
        p.T[k] = water ? kWaterT[k] : kMethaneT[k];
        p.Pbar[k] = water ? kWaterP[k] : kMethaneP[k];
    }
    return p;
}

std::vector<Pair> pairs() {
    return {pair("PR", [] { return new PRNirma(1, 0, 0); }, "CO2", "CH4", false),
            pair("PRSV", [] { return new PRSV(1, 0); }, "CO2", "CH4", false),
            pair("SRK1", [] { return new SRK1(1, 0); }, "CO2", "CH4", false),
            pair("SRK2", [] { return new SRK2(1); }, "CO2", "CH4", false),
            pair("SRK", [] { return new ClassicalSRK(1); }, "CO2", "CH4", false),
            pair("Montel", [] { return new Montel(1); }, "CO2", "CH4", false),
            pair("PR", [] { return new PRNirma(1, 0, 0); }, "H2O", "CO2", true),
            pair("PRSV", [] { return new PRSV(1, 0); }, "H2O", "CO2", true),
            pair("SRK1", [] { return new SRK1(1, 0); }, "H2O", "CO2", true),
            pair("SRK2", [] { return new SRK2(1); }, "H2O", "CO2", true)};
}

// Whether the tie line is a stable split by the model's own searches: both
// components' fugacities equal (to 1e-8) at its phases' volumes, and no
// trial phase of the searches' tangent-plane test below the plane of them.
bool stableSplit(FluidPhase& m, double T, double Pbar, const double (&z)[2], const FluidPhase::BinaryTieLine& line) {
    double lnf[2][2];
    for (int k = 0; k < 2; ++k) {
        const double w[2] = {1.0 - line.x1[k], line.x1[k]};
        m.composition(w);
        m.setStateFromTPV(T, Pbar, line.V[k]);
        if (m.errorflag || std::fabs(m.P / (Pbar * 1e5) - 1.0) > 1e-8) return false;
        for (int i = 0; i < 2; ++i) lnf[k][i] = std::log(m.fugacity[i]);
    }
    for (int i = 0; i < 2; ++i)
        if (!(std::fabs(lnf[0][i] - lnf[1][i]) < 1e-8)) return false;
    m.composition(z);
    return !m.binarySplitsAgainst(T, Pbar, lnf[0]);
}

// The stable state, its other root, the verdict and the tie line of both
// ways on one object each (each way's calls after the other's states), and
// ln phi of both components of the closed form at the stable root against
// the model's fugacity coefficients there.
TEST(ClosedFormMixture, SameStatesVerdictsAndTieLinesAsTheModelsOwnSearches) {
    const platform::ThreadLogCapture quiet;
    int splits = 0, twoRoots = 0;
    for (const Pair& p : pairs()) {
        auto closed = binary(p), searched = binary(p);
        searched->usePureFluidShortcuts = false;
        for (double x : p.x)
            for (double T : p.T)
                for (double Pbar : p.Pbar) {
                    SCOPED_TRACE(testing::Message() << p.name << ":" << p.first << "," << p.second << " x " << x
                                                    << " " << T << " K " << Pbar << " bar");
                    const double z[2] = {1.0 - x, x};
                    closed->composition(z);
                    searched->composition(z);
                    const FluidPhase::StableState a = closed->calculateStableStateFromTP(T, Pbar);
                    const FluidPhase::StableState b = searched->calculateStableStateFromTP(T, Pbar);
                    ASSERT_EQ(a.phase, b.phase);
                    ASSERT_NE(a.phase, FluidPhase::kPhaseNone);
                    EXPECT_NEAR(closed->V / searched->V, 1.0, 1e-13);
                    ASSERT_EQ(a.otherPhase, b.otherPhase);
                    if (a.otherPhase != FluidPhase::kPhaseNone) {
                        ++twoRoots;
                        EXPECT_NEAR(a.otherV / b.otherV, 1.0, 1e-13);
                    }
                    FluidPhase::ClosedFormRoot r[2];
                    double lnPhi[4];
                    const int n = closed->closedFormMixtureRoots(T, Pbar, z, r, lnPhi);
                    ASSERT_GE(n, 1);
                    const int k = n == 2 && std::fabs(r[1].V / searched->V - 1.0) < 1e-12 ? 1 : 0;
                    for (int i = 0; i < 2; ++i)
                        EXPECT_NEAR(lnPhi[2 * k + i], std::log(searched->fugcoef[i]), 1e-11);

                    double wa = 0.0, wb = 0.0;
                    const bool sa = closed->binarySplitsAt(T, Pbar, nullptr, &wa);
                    const bool sb = searched->binarySplitsAt(T, Pbar, nullptr, &wb);
                    ASSERT_EQ(sa, sb);
                    if (!sa) continue;
                    ++splits;
                    const FluidPhase::BinaryTieLine la = closed->binaryTieLineAt(T, Pbar, wa);
                    FluidPhase::BinaryTieLine lb = searched->binaryTieLineAt(T, Pbar, wb);
                    // Where the searches' own trial ends on no tie line (their
                    // volume search from the ideal gas missed a trial's vapour
                    // root that the closed form has, or their split ends on
                    // one with a third phase below it), the searches from the
                    // closed form's trial, else the searches' own test of the
                    // closed form's tie line.
                    if (la.found && !lb.found) lb = searched->binaryTieLineAt(T, Pbar, wa);
                    if (la.found && !lb.found) {
                        EXPECT_TRUE(stableSplit(*searched, T, Pbar, z, la));
                        continue;
                    }
                    ASSERT_EQ(la.found, lb.found);
                    if (!la.found) continue;
                    for (int j = 0; j < 2; ++j) {
                        EXPECT_NEAR(la.x1[j], lb.x1[j], 1e-8);
                        EXPECT_NEAR(la.V[j] / lb.V[j], 1.0, 1e-8);
                    }
                }
    }
    // (the sweep holds splits and isotherms with both roots at P)
    EXPECT_GE(splits, 60);
    EXPECT_GE(twoRoots, 60);
}

}  // namespace
