// Kreglewski's binary terms in closed form: their answers to the volume
// searches, the state functions and the fugacities against the terms'
// expression trees (evaluated by the engine, to the fourth order) and the
// binary written out on its own (KreglewskiPlainBinary.h), and the stable
// states of the model whatever ran before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "families/kreglewski/HCB2.h"
#include "families/kreglewski/Kreglewski2.h"
#include "families/kreglewski/Kreglewski_EOS.h"
#include "families/kreglewski/tests/KreglewskiPlainBinary.h"
#include "families/kreglewski/tests/TermChecks.h"

using namespace kreg_tests;

namespace {

struct Pair {
    const char *a, *b;
    KreglewskiPlainBinary plain;
};
const Pair kPairs[] = {{"CO2", "CH4", KreglewskiPlainBinary::co2Methane()},
                       {"CO2", "N2", KreglewskiPlainBinary::co2Nitrogen()},
                       {"CH4", "N2", KreglewskiPlainBinary::methaneNitrogen()}};

// States as (T, V over the close-packed volume, x1): beside the close
// packing, dense liquids, the critical region, gases, the composition's ends.
struct TermState {
    double T, packing, x1;
};
const TermState kTermStates[] = {{150.0, 1.08, 0.5},  {200.0, 1.4, 0.3},   {250.0, 1.9, 0.7},   {300.0, 3.5, 0.3},
                                 {300.0, 40.0, 0.5},  {400.0, 600.0, 0.9}, {230.0, 1.6, 1e-6},  {230.0, 1.6, 1 - 1e-6},
                                 {120.0, 1.25, 0.02}, {900.0, 2.2, 0.5}};

std::unique_ptr<Kreglewski_EOS> binary(const Pair& p) {
    auto m = std::make_unique<Kreglewski_EOS>(1);
    m->number_of_components(2);
    m->add_components(p.a, p.b);
    return m;
}


}  // namespace

TEST(KreglewskiClosedForm, BinaryTermsAnswerAsTheirTrees) {
    for (const Pair& p : kPairs) {
        auto m = binary(p);
        auto* hcb = dynamic_cast<HCB2*>(m->interactions[0]);
        auto* series = dynamic_cast<Kreglewski2*>(m->interactions[1]);
        ASSERT_TRUE(hcb && series);
        // (each term's own answers are public on its class)
        auto check = [&](auto* t) {
            for (const TermState& s : kTermStates) {
                const double x1 = s.x1, x2 = 1.0 - s.x1;
                m->composition(x1, x2);
                m->temperature(s.T);
                const double V = s.packing * m->interactions[0]->getVolumeMinimum();
                const std::vector<double> at = {s.T, V, x1, x2};
                ASSERT_TRUE(evaluate(*t, at));
                // The tree's entries, then the closed form at the same state.
                const double tree[] = {value(*t, at),          value(*t, at, {0}),    value(*t, at, {1}),
                                       value(*t, at, {0, 0}),  value(*t, at, {1, 0}), value(*t, at, {1, 1}),
                                       value(*t, at, {2}),     value(*t, at, {3}),    value(*t, at, {2, 0}),
                                       value(*t, at, {3, 0}),  value(*t, at, {2, 1}), value(*t, at, {3, 1}),
                                       value(*t, at, {2, 2}),  value(*t, at, {3, 2}), value(*t, at, {3, 3})};
                t->T = s.T;
                t->V = V;
                t->x[0] = x1;
                t->x[1] = x2;
                ASSERT_TRUE(t->secondOrderAnswer()) << t->modelName();
                const double closed[] = {t->A,           t->aT,           t->aV,           t->ATT,
                                         t->aTV,         t->aVV,          t->dadx[0],      t->dadx[1],
                                         t->dadxdT[0],   t->dadxdT[1],    t->dadxdV[0],    t->dadxdV[1],
                                         t->dadxdx[0][0], t->dadxdx[1][0], t->dadxdx[1][1]};
                // Each entry on the scale of a and its variables (T, V, 1).
                const double scaleOf[] = {1.0, 1.0 / s.T, 1.0 / V, 1.0 / (s.T * s.T), 1.0 / (s.T * V),
                                          1.0 / (V * V), 1.0, 1.0, 1.0 / s.T, 1.0 / s.T, 1.0 / V, 1.0 / V,
                                          1.0, 1.0, 1.0};
                const double size = 1.0 + std::fabs(tree[0]);
                for (int k = 0; k < 15; ++k)
                    EXPECT_NEAR(closed[k], tree[k], 1e-11 * std::fabs(tree[k]) + 1e-12 * size * scaleOf[k])
                        << p.a << "-" << p.b << " " << t->modelName() << " entry " << k << " T " << s.T << " V/V0 "
                        << s.packing << " x1 " << x1;
                // The volume searches' answer: a, a_V, a_VV.
                double a = 0.0, aV = 0.0, aVV = 0.0;
                ASSERT_TRUE(t->volumeSearchAnswer(a, aV, aVV));
                EXPECT_NEAR(a, tree[0], 1e-12 * size);
                EXPECT_NEAR(aV, tree[2], 1e-11 * std::fabs(tree[2]) + 1e-12 * size / V);
                EXPECT_NEAR(aVV, tree[5], 1e-11 * std::fabs(tree[5]) + 1e-12 * size / (V * V));
                // Z from the closed form alone (the liquid start's scan), with dZ/dV.
                double dZdV = 0.0;
                const double Z = t->compressibilityAt(V, &dZdV);
                EXPECT_NEAR(Z, -V * tree[2], 1e-11 * (1.0 + std::fabs(Z)));
                EXPECT_NEAR(dZdV, -tree[2] - V * tree[5], 1e-11 * (1.0 + std::fabs(Z)) / V);
            }
        };
        check(hcb);
        check(series);
    }
}

// The model's stable states: on the root of the binary written out (its
// pressure given back), with its fugacity coefficients, whatever ran before
// (the same bits as a fresh model's).
TEST(KreglewskiClosedForm, StableStatesAreThePlainBinarysRoots) {
    const struct {
        double T, Pbar, x1;
    } states[] = {{300.0, 50.0, 0.3},  {250.0, 40.0, 0.3},  {220.0, 100.0, 0.5}, {200.0, 20.0, 0.9},
                  {350.0, 400.0, 0.1}, {180.0, 60.0, 1e-6}, {280.0, 80.0, 1 - 1e-6}, {140.0, 5.0, 0.5}};
    for (const Pair& p : kPairs) {
        auto busy = binary(p);
        for (const auto& s : states) {
            auto fresh = binary(p);
            fresh->composition(1.0 - s.x1, s.x1);
            const FluidPhase::StableState f = fresh->calculateStableStateFromTP(s.T, s.Pbar);
            ASSERT_NE(f.phase, FluidPhase::kPhaseNone) << p.a << "-" << p.b << " " << s.T << " " << s.Pbar;
            const double x[2] = {1.0 - s.x1, s.x1};
            const KreglewskiPlainBinary::Mixed mixed = p.plain.mixed(s.T, x);
            double z = 0.0, dz = 0.0, lnphi[2];
            KreglewskiPlainBinary::Z(mixed, fresh->V, z, dz);
            EXPECT_NEAR(z * KreglewskiPlainBinary::R * s.T / fresh->V, s.Pbar * 1e5, 1e-9 * s.Pbar * 1e5)
                << p.a << "-" << p.b << " " << s.T << " " << s.Pbar << " " << s.x1;
            KreglewskiPlainBinary::lnPhi(mixed, x, fresh->V, lnphi);
            for (int i = 0; i < 2; ++i)
                EXPECT_NEAR(std::log(fresh->fugcoef[i]), lnphi[i], 1e-9 * (1.0 + std::fabs(lnphi[i])))
                    << p.a << "-" << p.b << " " << s.T << " " << s.Pbar << " " << s.x1 << " component " << i;
            // The busy model ran the states before this one, their tests of
            // stability among them, at other temperatures and compositions.
            busy->composition(1.0 - s.x1, s.x1);
            const FluidPhase::StableState b = busy->calculateStableStateFromTP(s.T, s.Pbar);
            EXPECT_EQ(b.phase, f.phase);
            EXPECT_EQ(busy->V, fresh->V);
            EXPECT_EQ(busy->fugacity[0], fresh->fugacity[0]);
            EXPECT_EQ(busy->fugacity[1], fresh->fugacity[1]);
            busy->composition(1.0 - s.x1, s.x1);
            EXPECT_EQ(busy->binarySplitsAt(s.T, s.Pbar), fresh->binarySplitsAt(s.T, s.Pbar));
        }
    }
}

// The stable state with its other root against every mechanically stable
// root of the binary written out (a scan in steps of 0.01 % in V from just
// above the close packing, each root bisected where P(V) falls through P):
// the root of least Gibbs energy, the other beside it, two named liquid (the
// denser) and vapour.  Near-pure CO2 at 140 K holds a second stable stretch
// of its isotherm at about three times the close packing, between the
// liquid's and the gas's, whose pressure spans 5-20 bar.
TEST(KreglewskiClosedForm, StableStateAndOtherRootAreTheIsothermsStableRoots) {
    const struct {
        int pair;
        double T, Pbar, x1;
    } states[] = {{0, 140.0, 5.0, 1 - 1e-5},  {0, 140.0, 10.0, 1 - 1e-5}, {0, 140.0, 20.0, 1 - 1e-5},
                  {1, 140.0, 5.0, 1 - 1e-5},  {1, 140.0, 20.0, 1 - 1e-5}, {0, 140.0, 30.0, 1 - 1e-5},
                  {0, 153.0, 5.0, 1 - 1e-5},  {0, 300.0, 50.0, 0.7},      {2, 170.0, 40.0, 0.7}};
    for (const auto& s : states) {
        const Pair& p = kPairs[s.pair];
        const double x[2] = {s.x1, 1.0 - s.x1}, P = s.Pbar * 1e5, RT = KreglewskiPlainBinary::R * s.T;
        const KreglewskiPlainBinary::Mixed mixed = p.plain.mixed(s.T, x);
        auto excess = [&](double v) {
            double z = 0.0, dz = 0.0;
            KreglewskiPlainBinary::Z(mixed, v, z, dz);
            return z * RT / v - P;
        };
        std::vector<double> roots, g;
        double a = 1.0001 * mixed.V0, fa = excess(a);
        for (double b = a * 1.0001; b < 1e3 * RT / P; a = b, b *= 1.0001) {
            const double fb = excess(b);
            if (fa > 0.0 && fb <= 0.0) {  // falling through P: a mechanically stable root
                double lo = a, hi = b;
                for (int k = 0; k < 100; ++k) (excess(0.5 * (lo + hi)) > 0.0 ? lo : hi) = 0.5 * (lo + hi);
                double lnphi[2];
                KreglewskiPlainBinary::lnPhi(mixed, x, 0.5 * (lo + hi), lnphi);
                roots.push_back(0.5 * (lo + hi));
                g.push_back(x[0] * lnphi[0] + x[1] * lnphi[1]);
            }
            fa = fb;
        }
        const std::string at = std::string(p.a) + "-" + p.b + " T " + std::to_string(s.T) + " P " +
                               std::to_string(s.Pbar) + " x1 " + std::to_string(s.x1);
        ASSERT_TRUE(roots.size() == 1 || roots.size() == 2) << at;
        auto m = binary(p);
        m->composition(x[0], x[1]);
        const FluidPhase::StableState st = m->calculateStableStateFromTP(s.T, s.Pbar, true);
        const std::size_t best = roots.size() == 2 && g[1] < g[0] ? 1 : 0;
        EXPECT_NEAR(m->V, roots[best], 1e-9 * roots[best]) << at;
        if (roots.size() == 1) {
            EXPECT_EQ(st.otherPhase, FluidPhase::kPhaseNone) << at;
            continue;
        }
        EXPECT_EQ(st.phase, best == 0 ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour) << at;
        EXPECT_EQ(st.otherPhase, best == 0 ? FluidPhase::kPhaseVapour : FluidPhase::kPhaseLiquid) << at;
        EXPECT_NEAR(st.otherV, roots[1 - best], 1e-9 * roots[1 - best]) << at;
    }
}

// The count of stable roots the model gives its search of the stable state
// against a fine scan of the binary written out (40,000 volumes from just
// above the close packing to 10^4 times it, a root on every stretch where
// P(V) falls through the pressure): where the model tells a count, it is the
// scan's; and it tells one at most states.  The roots it gives the
// tangent-plane test and the tie lines there: one in each bracket of the
// scan, each giving P back on the binary written out, with its ln phi.
TEST(KreglewskiClosedForm, StableRootCountIsTheIsothermsOwn) {
    const double temperatures[] = {120.0, 150.0, 170.0, 200.0, 230.0, 250.0, 280.0, 300.0, 350.0};
    const double pressures[] = {2.0, 10.0, 30.0, 50.0, 70.0, 100.0, 200.0, 500.0};
    const double fractions[] = {1e-6, 0.1, 0.5, 0.9, 1 - 1e-6};
    int told = 0, states = 0;
    for (const Pair& p : kPairs) {
        auto m = binary(p);
        for (double T : temperatures)
            for (double x1 : fractions) {
                const double x[2] = {1.0 - x1, x1};
                const KreglewskiPlainBinary::Mixed mixed = p.plain.mixed(T, x);
                std::vector<double> vs, pv, dp;
                for (double v = 1.02 * mixed.V0; v < 1e4 * mixed.V0; v *= 1.0 + 2.3e-4) {
                    vs.push_back(v);
                    double z = 0.0, dz = 0.0;
                    KreglewskiPlainBinary::Z(mixed, v, z, dz);
                    pv.push_back(z * KreglewskiPlainBinary::R * T / v);
                    dp.push_back(dz * v - z);
                }
                for (double Pbar : pressures) {
                    int scanned = 0;
                    std::size_t bracket[3] = {0, 0, 0};  // the light end of each root's step
                    for (std::size_t k = 1; k < pv.size(); ++k)
                        if (dp[k] < 0.0 && dp[k - 1] < 0.0 && (pv[k - 1] - Pbar * 1e5) * (pv[k] - Pbar * 1e5) <= 0.0)
                            bracket[std::min(scanned++, 2)] = k;
                    m->composition(x[0], x[1]);
                    const int count = m->stablePressureRootCount(T, Pbar);
                    ++states;
                    if (count == 0) continue;
                    ++told;
                    const std::string at = std::string(p.a) + "-" + p.b + " T " + std::to_string(T) + " P " +
                                           std::to_string(Pbar) + " x1 " + std::to_string(x1);
                    EXPECT_EQ(count, scanned) << at;
                    if (!(x1 > 0.0 && x1 < 1.0)) continue;
                    FluidPhase::ClosedFormRoot roots[2];
                    double lnPhi[4];
                    ASSERT_EQ(m->closedFormMixtureRoots(T, Pbar, x, roots, lnPhi), count) << at;
                    EXPECT_EQ(m->x[0], x[0]);  // (the model's own composition left as it was)
                    for (int k = 0; k < count; ++k) {
                        const double V = roots[k].V;
                        EXPECT_GE(V, vs[bracket[k] - 1] * (1.0 - 1e-12)) << at;
                        EXPECT_LE(V, vs[bracket[k]] * (1.0 + 1e-12)) << at;
                        double z = 0.0, dz = 0.0, plain[2];
                        KreglewskiPlainBinary::Z(mixed, V, z, dz);
                        // (the step to the root in ln V: a stiff liquid gives P back only to the
                        // last bits of its volume times its bulk modulus over P)
                        const double RT = KreglewskiPlainBinary::R * T, dlnPdlnV = (dz * V - z) / z;
                        EXPECT_LT(std::fabs((z * RT / V / (Pbar * 1e5) - 1.0) / dlnPdlnV), 1e-13) << at;
                        EXPECT_LT(dlnPdlnV, 0.0) << at;
                        KreglewskiPlainBinary::lnPhi(mixed, x, V, plain);
                        EXPECT_NEAR(lnPhi[2 * k], plain[0], 1e-10) << at;
                        EXPECT_NEAR(lnPhi[2 * k + 1], plain[1], 1e-10) << at;
                        EXPECT_NEAR(roots[k].lnPhi, x[0] * plain[0] + x[1] * plain[1], 1e-10) << at;
                    }
                }
            }
    }
    EXPECT_GT(told, states * 3 / 4);
}

// A binary's roots and ln phi asked for in turn at one state, another
// pressure, another composition and the first state again (as the stable
// state's question and as the trial phases'): each call the same bits as a
// fresh model's at its state, at one- and two-root states (near-pure CO2 at
// 140 K with its second stable root).
TEST(KreglewskiClosedForm, RootsAskedAgainGiveTheFreshModelsBits) {
    const struct {
        int pair;
        double T, Pbar, x1;
    } states[] = {{0, 300.0, 50.0, 0.3}, {0, 140.0, 10.0, 1e-4}, {0, 200.0, 20.0, 0.05},
                  {1, 250.0, 60.0, 0.3}, {2, 170.0, 40.0, 0.3},  {2, 120.0, 5.0, 0.95}};
    for (const auto& s : states) {
        const Pair& p = kPairs[s.pair];
        const std::string at = std::string(p.a) + "-" + p.b + " T " + std::to_string(s.T) + " P " +
                               std::to_string(s.Pbar) + " x1 " + std::to_string(s.x1);
        const double x[2] = {1.0 - s.x1, s.x1}, other[2] = {0.5 * x[0] + 0.25, 0.5 * x[1] + 0.25};
        const struct {
            double Pbar;
            const double* x;
            bool lnPhi;
        } asked[] = {{s.Pbar, x, false}, {s.Pbar, x, true},  {1.3 * s.Pbar, x, true},
                     {s.Pbar, x, true},  {s.Pbar, other, true}, {s.Pbar, x, false}, {s.Pbar, x, true}};
        auto m = binary(p);
        m->composition(0.5, 0.5);
        for (const auto& q : asked) {
            FluidPhase::ClosedFormRoot fresh[2], again[2];
            double freshLn[4] = {}, againLn[4] = {};
            const int n = binary(p)->closedFormMixtureRoots(s.T, q.Pbar, q.x, fresh, q.lnPhi ? freshLn : nullptr);
            ASSERT_EQ(m->closedFormMixtureRoots(s.T, q.Pbar, q.x, again, q.lnPhi ? againLn : nullptr), n) << at;
            EXPECT_GT(n, 0) << at << " P " << q.Pbar;
            for (int k = 0; k < n; ++k) {
                EXPECT_EQ(again[k].V, fresh[k].V) << at << " P " << q.Pbar;
                EXPECT_EQ(again[k].lnPhi, fresh[k].lnPhi) << at << " P " << q.Pbar;
                EXPECT_EQ(againLn[2 * k], freshLn[2 * k]) << at << " P " << q.Pbar;
                EXPECT_EQ(againLn[2 * k + 1], freshLn[2 * k + 1]) << at << " P " << q.Pbar;
            }
        }
        EXPECT_EQ(m->x[0], 0.5) << at;
    }
}

// The model's verdicts and tie lines, whose trial phases are the binary's
// closed-form roots, against Michelsen's test and the flash of the binary
// written out: the same verdict at one-phase and split states of each pair
// (those the benchmarks time among them), and where it splits the same two
// phases, whichever trial each starts from.
TEST(KreglewskiClosedForm, VerdictsAndTieLinesAreThePlainBinarys) {
    const struct {
        int pair;
        double T, Pbar, x1;
    } states[] = {{0, 300.0, 50.0, 0.3}, {0, 250.0, 40.0, 0.3},  {0, 200.0, 20.0, 0.05}, {0, 180.0, 10.0, 0.5},
                  {1, 280.0, 60.0, 0.3}, {1, 250.0, 60.0, 0.3},  {1, 230.0, 60.0, 0.5},  {1, 240.0, 150.0, 0.3},
                  {2, 200.0, 40.0, 0.3}, {2, 170.0, 40.0, 0.3},  {2, 150.0, 20.0, 0.7},  {2, 120.0, 5.0, 0.05}};
    int splits = 0;
    for (const auto& s : states) {
        const Pair& p = kPairs[s.pair];
        const std::string at = std::string(p.a) + "-" + p.b + " T " + std::to_string(s.T) + " P " +
                               std::to_string(s.Pbar) + " x1 " + std::to_string(s.x1);
        auto m = binary(p);
        m->composition(1.0 - s.x1, s.x1);
        double trial = 0.0, w1 = 0.0;
        const bool split = m->binarySplitsAt(s.T, s.Pbar, nullptr, &trial);
        ASSERT_EQ(split, p.plain.splits(s.T, s.Pbar * 1e5, s.x1, &w1)) << at;
        if (!split) continue;
        ++splits;
        m->composition(1.0 - s.x1, s.x1);
        const FluidPhase::BinaryTieLine line = m->binaryTieLineAt(s.T, s.Pbar, trial);
        const plain_binary::Split plain = p.plain.flash(s.T, s.Pbar * 1e5, s.x1, w1);
        ASSERT_TRUE(line.found && plain.found) << at;
        // (each with the phase poorer in component 1 first)
        const int a = line.x1[0] < line.x1[1] ? 0 : 1, b = plain.x1[0] < plain.x1[1] ? 0 : 1;
        for (int k = 0; k < 2; ++k) {
            EXPECT_NEAR(line.x1[k ^ a], plain.x1[k ^ b], 1e-7) << at;
            EXPECT_NEAR(line.V[k ^ a] / plain.V[k ^ b], 1.0, 1e-7) << at;
        }
    }
    EXPECT_GE(splits, 6);
}
