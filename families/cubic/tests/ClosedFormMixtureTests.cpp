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

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// Every quantity a state leaves in the model (state functions, derivatives,
// fugacities and their derivatives) with the scale it is compared on.  A
// state function or fugacity on its own magnitude.  A derivative that is
// the small difference of large parts, in a liquid (the repulsion's
// pressure RT/(V - b) against the attraction's) and beside a critical point
// (dP/dV vanishing), on its magnitude times the amplification of a relative
// rounding of the parts, kappa the larger of RT/((V - b) P) and
// RT/((V - b)^2 |dP/dV|), or on the scale of
// its neighbours where it vanishes (a cross derivative, the Joule-Thomson
// coefficient of a liquid on V/Cp).
struct Quantity {
    std::string name;
    double value, scale;
};
std::vector<Quantity> stateOf(FluidPhase& m) {
    const int n = m.component_count;
    const double b = m.coVolume(), RT = FluidPhase::R * m.T, Prep = RT / (m.V - b);
    const double kappa = std::max({1.0, Prep / ((m.V - b) * std::fabs(m.dPdV)), Prep / std::fabs(m.P)});
    std::vector<Quantity> q;
    auto add = [&](std::string name, double v, double scale) { q.push_back({std::move(name), v, scale}); };
    auto own = [&](std::string name, double v) { add(std::move(name), v, std::fabs(v)); };
    auto derivative = [&](std::string name, double v, double neighbours) {
        add(std::move(name), v, kappa * (std::fabs(v) + neighbours));
    };
    own("P", m.P);
    own("V", m.V);
    own("Z", m.Z);
    for (auto [name, v] : {std::pair{"A", m.A}, {"U", m.U}, {"H", m.H}, {"G", m.G}}) add(name, v, std::fabs(m.H) + std::fabs(v));
    own("S", m.S);
    own("Cv", m.Cv);
    own("dAdT", m.dAdT);
    own("d2AdT2", m.d2AdT2);
    own("dSdTv", m.dSdTv);
    own("dHdTv", m.dHdTv);
    derivative("Cp", m.Cp, 0.0);
    derivative("w", m.soundSpeed, 0.0);
    derivative("JT", m.jouleThomson, m.V / m.Cp);
    derivative("dAdV", m.dAdV, Prep);
    derivative("dPdT", m.dPdT, 0.0);
    derivative("dPdV", m.dPdV, 0.0);
    derivative("d2AdV2", m.d2AdV2, 0.0);
    derivative("dVdT", m.dVdT, 0.0);
    derivative("dZdT", m.dZdT, std::fabs(m.Z) / m.T);
    derivative("dZdV", m.dZdV, std::fabs(m.Z) / m.V);
    derivative("dZdP", m.dZdP, std::fabs(m.Z) / m.P);
    derivative("dSdVt", m.dSdVt, 0.0);
    derivative("d2AdTdV", m.d2AdTdV, 0.0);
    derivative("dHdVt", m.dHdVt, std::fabs(m.H) / m.V);
    for (int i = 0; i < n; ++i) {
        const std::string c = "[" + std::to_string(i) + "]";
        own("fugacity" + c, m.fugacity[i]);
        own("fugcoef" + c, m.fugcoef[i]);
        add("rcp" + c, m.rcp[i], 1.0 + std::fabs(m.rcp[i]));
        derivative("drcpdT" + c, m.drcpdT[i], 1.0 / m.T);
        derivative("drcpdV" + c, m.drcpdV[i], 1.0 / m.V);
        derivative("drcpdP" + c, m.drcpdP[i], 1.0 / m.P);
        derivative("dZdx" + c, m.dZdx[i], std::fabs(m.Z));
        derivative("dPdx" + c, m.dPdx[i], m.P);
        derivative("dVdx" + c, m.dVdx[i], m.V);
        derivative("dfugcoefdT" + c, m.dfugcoefdT[i], m.fugcoef[i] / m.T);
        derivative("dfugcoefdV" + c, m.dfugcoefdV[i], m.fugcoef[i] / m.V);
        derivative("dfugcoefdP" + c, m.dfugcoefdP[i], m.fugcoef[i] / m.P);
        derivative("dfugacitydT" + c, m.dfugacitydT[i], m.fugacity[i] / m.T);
        derivative("dfugacitydV" + c, m.dfugacitydV[i], m.fugacity[i] / m.V);
        derivative("dfugacitydP" + c, m.dfugacitydP[i], m.fugacity[i] / m.P);
        for (int k = 0; k < n; ++k) {
            const std::string ck = c + "[" + std::to_string(k) + "]";
            derivative("drcpdx" + ck, m.drcpdx[i][k], 1.0);
            derivative("dfugcoefdx" + ck, m.dfugcoefdx[i][k], m.fugcoef[i]);
            derivative("dfugacitydx" + ck, m.dfugacitydx[i][k], m.P * m.fugcoef[i]);
        }
    }
    return q;
}

// A binary's states: its liquid, vapour and supercritical fluid, beside
// CO2's critical point and the mixture's critical line, and both dilute
// ends, the temperatures out of order on one object.
struct MixtureState {
    double x, T, Pbar;
};
const MixtureState kStates[] = {{0.3, 300.0, 50.0},  {0.02, 230.0, 60.0},  {0.98, 250.0, 5.0},   {0.5, 330.0, 120.0},
                                {0.3, 250.0, 40.0},  {1e-6, 304.1, 73.8},  {0.3, 270.0, 86.0},   {1.0 - 1e-6, 190.0, 45.0},
                                {1e-6, 250.0, 40.0}, {1.0 - 1e-6, 300.0, 50.0}, {0.7, 200.0, 30.0}, {0.3, 300.0, 50.0}};

// The mixture's state from its residual Helmholtz energy in closed form (the
// repulsion and the attraction from the mixing rule's a, ba, br and their T
// derivatives at T) against the model's expression trees at the same T, V
// and composition, an independent evaluation of the same terms.
TEST(ClosedFormMixture, StateIsThatOfTheTermsAtTheSameVolume) {
    const platform::ThreadLogCapture quiet;
    double largest = 0.0;
    for (const Pair& p : pairs()) {
        if (p.name == std::string("SRK") || p.name == std::string("Montel")) continue;  // (no terms)
        auto closed = binary(p), trees = binary(p);
        trees->usePureFluidShortcuts = false;
        for (const MixtureState& s : kStates) {
            if (p.first == std::string("H2O") && s.T < 290.0) continue;
            const std::string at = std::string(p.name) + ":" + p.first + "," + p.second + " x " +
                                   std::to_string(s.x) + " " + std::to_string(s.T) + " K " + std::to_string(s.Pbar) + " bar";
            SCOPED_TRACE(at);
            const double z[2] = {1.0 - s.x, s.x};
            closed->composition(z);
            trees->composition(z);
            ASSERT_NE(closed->calculateStableStateFromTP(s.T, s.Pbar).phase, FluidPhase::kPhaseNone);
            const std::vector<Quantity> stable = stateOf(*closed);
            const double V = closed->V;
            // The stable state took the closed form.
            ASSERT_TRUE(closed->setStateFromClosedFormMixture(s.T, s.Pbar, V));
            const std::vector<Quantity> c = stateOf(*closed);
            trees->setStateFromTPV(s.T, s.Pbar, V);
            ASSERT_EQ(trees->errorflag, 0);
            const std::vector<Quantity> e = stateOf(*trees);
            ASSERT_EQ(c.size(), e.size());
            for (std::size_t k = 0; k < c.size(); ++k) {
                EXPECT_EQ(std::isfinite(c[k].value), std::isfinite(e[k].value)) << c[k].name;
                if (!std::isfinite(e[k].value)) continue;
                EXPECT_EQ(stable[k].value, c[k].value) << c[k].name;
                const double d = std::fabs(c[k].value - e[k].value) / e[k].scale;
                largest = std::max(largest, d);
                EXPECT_LE(d, 1e-13) << c[k].name << " " << c[k].value << " against " << e[k].value;
            }
        }
    }
    std::printf("largest difference %.3g\n", largest);
}

// The closed form's state against its own Helmholtz energy: P = -(dA/dV)_T,
// S = -(dA/dT)_V, dP/dT and dP/dV and the fugacity coefficients' T and V
// derivatives by central differences of the closed form's states at
// neighbouring T and V (Peng-Robinson CO2-CH4, a liquid, a vapour and a
// supercritical fluid).
TEST(ClosedFormMixture, StateDerivativesAgreeWithDifferences) {
    const platform::ThreadLogCapture quiet;
    auto m = binary(pairs()[0]);
    for (const MixtureState& s : {MixtureState{0.02, 230.0, 60.0}, {0.98, 250.0, 5.0}, {0.5, 330.0, 120.0}}) {
        SCOPED_TRACE(testing::Message() << s.x << " " << s.T << " K " << s.Pbar << " bar");
        const double z[2] = {1.0 - s.x, s.x};
        m->composition(z);
        ASSERT_NE(m->calculateStableStateFromTP(s.T, s.Pbar).phase, FluidPhase::kPhaseNone);
        const double V = m->V, T = s.T;
        ASSERT_TRUE(m->setStateFromClosedFormMixture(T, s.Pbar, V));
        // (-dA/dV: the pressure at V itself, before the state is taken to P)
        // (the fugacity coefficient at V: fugacity/(x P(V)))
        const double Pt = -m->dAdV, S = m->S, dPdT = m->dPdT, dPdV = m->dPdV, phiT0 = m->dfugcoefdT[0],
                     fV1 = m->dfugacitydV[1];
        struct Values {
            double A, P, phi0, f1;
        };
        auto at = [&](double t, double v) {
            EXPECT_TRUE(m->setStateFromClosedFormMixture(t, s.Pbar, v));
            return Values{m->A, -m->dAdV, m->fugacity[0] / (z[0] * -m->dAdV), m->fugacity[1]};
        };
        const double hV = 1e-5 * V, hT = 1e-5 * T;
        const auto vp = at(T, V + hV), vm = at(T, V - hV), tp = at(T + hT, V), tm = at(T - hT, V);
        EXPECT_NEAR(-(vp.A - vm.A) / (2.0 * hV) / Pt, 1.0, 1e-8);
        EXPECT_NEAR(-(tp.A - tm.A) / (2.0 * hT) / S, 1.0, 1e-7);
        EXPECT_NEAR((vp.P - vm.P) / (2.0 * hV) / dPdV, 1.0, 1e-7);
        EXPECT_NEAR((tp.P - tm.P) / (2.0 * hT) / dPdT, 1.0, 1e-7);
        EXPECT_NEAR((tp.phi0 - tm.phi0) / (2.0 * hT) / phiT0, 1.0, 1e-6);
        EXPECT_NEAR((vp.f1 - vm.f1) / (2.0 * hV) / fV1, 1.0, 1e-6);
    }
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
