// The reference water model's volume search keeps the temperature-only part of
// the residual tree between its steps.  Every state must come out to the bit as
// from a model that computes it first, whatever states, temperatures or
// partial evaluations of the tree came before.
#include "water/WagnerPruss.h"

#include "expressions/Expression.h"
#include "water/If97Volume.h"
#include "water/tests/Iapws95Direct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct State {
    double V, Z, H, S, Cp, soundSpeed, fugcoef, dPdV;
    int errorflag;
};

State stateOf(const WagnerPruss& w)
{
    return State{w.V, w.Z, w.H, w.S, w.Cp, w.soundSpeed, w.fugcoef[0], w.dPdV, w.errorflag};
}

// A state computed by a model that has seen nothing else.
State freshState(int phaseKind, double T, double P)
{
    WagnerPruss w(phaseKind);
    w.calculateFromTP(T, P, 0);
    return stateOf(w);
}

void expectSame(const State& a, const State& b, const char* where)
{
    SCOPED_TRACE(where);
    EXPECT_EQ(a.V, b.V);
    EXPECT_EQ(a.Z, b.Z);
    EXPECT_EQ(a.H, b.H);
    EXPECT_EQ(a.S, b.S);
    EXPECT_EQ(a.Cp, b.Cp);
    EXPECT_EQ(a.soundSpeed, b.soundSpeed);
    EXPECT_EQ(a.fugcoef, b.fugcoef);
    EXPECT_EQ(a.dPdV, b.dPdV);
    EXPECT_EQ(a.errorflag, b.errorflag);
}

TEST(WagnerVolumeSearch, StatesAfterOtherTemperaturesAndVolumesAreThoseOfAFreshModel)
{
    const State liquid = freshState(2, 500.0, 100.0);
    const State gas = freshState(1, 900.0, 200.0);
    EXPECT_EQ(liquid.errorflag, 0);
    EXPECT_EQ(gas.errorflag, 0);

    WagnerPruss w(2);
    w.calculateFromTP(500.0, 100.0, 0);
    expectSame(stateOf(w), liquid, "first search");
    w.calculateFromTP(500.0, 100.0, 0);
    expectSame(stateOf(w), liquid, "same state again");
    w.calculateFromTP(520.0, 100.0, 0);  // another temperature
    w.calculateFromTP(500.0, 100.0, 0);
    expectSame(stateOf(w), liquid, "after another temperature");
    w.calculateFromTV(500.0, 0.018015268 / 700.0, 0);  // same temperature, another volume
    w.calculateFromTP(500.0, 100.0, 0);
    expectSame(stateOf(w), liquid, "after a state from T and V");
    w.calculateFromTV(450.0, 0.018015268 / 900.0, 0);
    w.calculateFromTP(500.0, 100.0, 0);
    expectSame(stateOf(w), liquid, "after a state from T and V at another temperature");

    WagnerPruss g(1);
    for (double T : {900.0, 650.0, 900.0, 1200.0, 900.0}) g.calculateFromTP(T, 200.0, 0);
    expectSame(stateOf(g), gas, "gas after a temperature sweep");
}

TEST(WagnerVolumeSearch, PartialEvaluationAtAnotherTemperatureDoesNotLeakIntoTheNextSearch)
{
    const State liquid = freshState(2, 500.0, 100.0);

    WagnerPruss w(2);
    w.calculateFromTP(500.0, 100.0, 0);
    Interaction* residual = w.interactions[0];
    ASSERT_NE(residual, nullptr);
    ASSERT_NE(residual->root, nullptr);

    // Load the leaves at another temperature and evaluate only temperature
    // nodes of the tree, as a derivative check of one node does.
    std::vector<double> leaves = {610.0, w.V, 1.0};
    residual->calculate_the_leaves(leaves.data());
    for (const char* name : {"taum1", "taum1sq", "psiTau55", "psiTau56"}) {
        Expression* node = residual->root->findByName(name);
        ASSERT_NE(node, nullptr) << name;
        node->initialize_the_graph();
        node->calculate(2);
    }

    // The same in the ideal-gas part.
    Interaction* ideal = w.ideal;
    ASSERT_NE(ideal, nullptr);
    ASSERT_NE(ideal->root, nullptr);
    ideal->calculate_the_leaves(leaves.data());
    for (const char* name : {"lndelta", "g"}) {
        Expression* node = ideal->root->findByName(name);
        ASSERT_NE(node, nullptr) << name;
        node->initialize_the_graph();
        node->calculate(2);
    }

    w.calculateFromTP(500.0, 100.0, 0);
    expectSame(stateOf(w), liquid, "after a partial evaluation at 610 K");
}

// The root of the independent term-by-term IAPWS-95 at T (K) and P (Pa):
// Newton steps in V from `start` until a step rounds back to the volume (at
// most 60), in the framework's gas constant.
double independentRoot(double T, double P, double start)
{
    using iapws95test::kFrameworkGasConstant;
    const double tau = iapws95::Tc / T, RT = kFrameworkGasConstant * T;
    double V = start;
    for (int k = 0; k < 60; ++k) {
        const double delta = iapws95::Vc / V;
        const iapws95test::Reduced r = iapws95test::residual(delta, tau);
        const double p = RT / V * (1.0 + delta * r.d);
        const double dpdV = -RT / (V * V) * (1.0 + 2.0 * delta * r.d + delta * delta * r.dd);
        const double next = V - (p - P) / dpdV;
        if (next == V) break;
        V = next;
    }
    return V;
}

}  // namespace

// The searches end on the root of the equation to its last bits: over the
// grids of the benchmarks (300 to 1000 K by 0.1 to 1000 bar, and 0.46 to
// 0.99 Tc by 0.05 to 30 times the saturation pressure, each state of its
// phase's kind) every volume is the root of the independent evaluation,
// Newton-stepped from the volume found to where its steps round away, within
// the spread that rounding of the two sums of terms leaves (a few parts in
// 1e14 in a liquid at low pressure, whose pressure is a small difference of
// large terms).  Stopped on its predicted step instead, one evaluation sooner,
// the search leaves 119 of these volumes up to 1e-12 off.
TEST(WagnerVolumeSearch, EveryVolumeOfTheGridsIsTheRootOfTheIndependentEquation)
{
    WagnerPruss w(1);
    int states = 0;
    for (int grid = 0; grid < 2; ++grid)
        for (int i = 0; i < 20; ++i) {
            const double T = grid == 0 ? 300.0 + 700.0 * i / 19.0 : iapws95::Tc * (0.46 + 0.53 * i / 19.0);
            double psat = 0.0, Vl = 0.0, Vv = 0.0;
            const bool subcritical = T < iapws95::Tc && w.saturationFromExpansion(T, psat, Vl, Vv);
            if (grid == 1 && !subcritical) continue;
            for (int j = 0; j < 20; ++j) {
                const double P = grid == 0 ? 1e4 * std::pow(1e4, j / 19.0) : psat * 0.05 * std::pow(600.0, j / 19.0);
                SCOPED_TRACE(testing::Message() << T << " K, " << P << " Pa");
                w.set_the_phase_as(subcritical && P > psat ? 2 : 1);
                w.temperature(T);
                w.pressure(P * 1e-5);
                w.calculate_molar_volume();
                ASSERT_EQ(w.errorflag, 0);
                const double V = w.V, off = std::fabs(independentRoot(T, P, V) / V - 1.0);
                EXPECT_LT(off, 5e-14);  // 1.3e-14 at most here
                ++states;
            }
        }
    EXPECT_EQ(states, 800);
}

// The search's start from the explicit formulation IAPWS-IF97 (regions 1 and
// 2): the formulation gives its published verification values (IAPWS R7-97,
// Tables 5, 15 and 35: v to nine digits, the saturation pressure), lies
// within 1e-3 of IAPWS-95's root wherever it starts a search (from 273.16 to
// 1073.15 K, 0.01 bar to 1 kbar, the liquid above the saturation pressure
// and the vapour below it), and every volume the search ends on, from it or,
// beyond IF97's regions 1 and 2 (region 3, and up to the model's 10 kbar),
// from the model's other starts, and 0.1 % either side of the saturation
// pressure, is the root of the independent term-by-term IAPWS-95 to 1e-13,
// its pressure the one asked for.  At exactly the critical temperature, where IF97 gives
// no start above B23, both kinds' searches give the isotherm's one root.
TEST(WagnerVolumeSearch, EveryRootFromTheExplicitStartIsTheIndependentRoot)
{
    using iapws95test::kFrameworkGasConstant;
    const double M = if97::kMolarMass * 1e-3;
    EXPECT_NEAR(if97::region1MolarVolume(300.0, 30.0) / (0.100215168e-2 * M), 1.0, 1e-8);
    EXPECT_NEAR(if97::region1MolarVolume(500.0, 30.0) / (0.120241800e-2 * M), 1.0, 1e-8);
    EXPECT_NEAR(if97::region2MolarVolume(700.0, 300.0) / (0.542946619e-2 * M), 1.0, 1e-8);
    EXPECT_NEAR(if97::region2MolarVolume(300.0, 0.035) / (0.394913866e2 * M), 1.0, 1e-8);
    EXPECT_NEAR(if97::saturationPressure(300.0) / 0.353658941e-1, 1.0, 1e-8);
    EXPECT_NEAR(if97::saturationPressure(500.0) / 0.263889776e2, 1.0, 1e-8);
    EXPECT_NEAR(if97::saturationPressure(600.0) / 0.123443146e3, 1.0, 1e-8);

    WagnerPruss w(1);
    int started = 0, beyond = 0;
    for (int i = 0; i < 24; ++i) {
        const double T = 273.16 + (1073.15 - 273.16) * i / 23.0;
        // 0.01 bar to the model's 10 kbar, and 0.1 % either side of the
        // saturation pressure below Tc.
        std::vector<double> Ps;
        for (int j = 0; j <= 18; ++j) Ps.push_back(0.01 * std::pow(1e6, j / 18.0));
        double psat = 0.0, Vl = 0.0, Vv = 0.0;
        if (T < iapws95::Tc && w.saturationFromExpansion(T, psat, Vl, Vv))
            for (double f : {0.999, 1.001}) Ps.push_back(psat * 1e-5 * f);
        for (double Pbar : Ps) {
            for (int kind : {1, 2}) {
                SCOPED_TRACE(testing::Message() << T << " K, " << Pbar << " bar, kind " << kind);
                w.set_the_phase_as(kind);
                w.temperature(T);
                w.pressure(Pbar);
                const double start = w.explicitVolumeStart();
                w.calculate_molar_volume();
                if (std::isfinite(start)) {
                    ASSERT_EQ(w.errorflag, 0);
                    ++started;
                } else if (w.errorflag) {
                    continue;  // no root of the kind (a vapour far above psat)
                } else {
                    ++beyond;  // beyond IF97's regions 1 and 2: region 3, above 1 kbar
                }
                const double V = w.V, root = independentRoot(T, Pbar * 1e5, std::isfinite(start) ? start : V);
                if (std::isfinite(start)) {
                    EXPECT_LT(std::fabs(start / root - 1.0), 1e-3);  // 2.8e-4 at most here
                }
                EXPECT_LT(std::fabs(V / root - 1.0), 1e-13);
                // P(T, V) = P to the search's own tolerance (a liquid at low
                // pressure to the change of a relative 1e-12 of its volume).
                const double delta = iapws95::Vc / V, RT = kFrameworkGasConstant * T;
                const iapws95test::Reduced r = iapws95test::residual(delta, iapws95::Tc / T);
                const double p = RT / V * (1.0 + delta * r.d);
                const double dpdV = -RT / (V * V) * (1.0 + 2.0 * delta * r.d + delta * delta * r.dd);
                EXPECT_TRUE(FluidPhase::reproducesPressure(p, Pbar * 1e5, V * dpdV)) << p;
            }
        }
    }
    EXPECT_GT(started, 300);
    EXPECT_GT(beyond, 60);

    // 647.096 K: the one root at each pressure, whichever kind is asked
    // (300 bar: 3.2009578e-5 m3/mol).
    for (double Pbar : {1.0, 100.0, 220.0, 300.0, 1000.0}) {
        double V[3] = {};
        for (int kind : {1, 2}) {
            w.set_the_phase_as(kind);
            w.temperature(iapws95::Tc);
            w.pressure(Pbar);
            w.calculate_molar_volume();
            ASSERT_EQ(w.errorflag, 0) << Pbar << " bar, kind " << kind;
            V[kind] = w.V;
        }
        const double root = independentRoot(iapws95::Tc, Pbar * 1e5, V[1]);
        EXPECT_LT(std::fabs(V[1] / root - 1.0), 1e-13) << Pbar << " bar";
        EXPECT_LT(std::fabs(V[2] / root - 1.0), 1e-13) << Pbar << " bar";
        if (Pbar == 300.0) {
            EXPECT_NEAR(root, 3.2009578e-5, 1e-12);
        }
    }
}

// A bare volume search (calculate_molar_volume, its root's evaluation left to
// whoever reads the state next), after the whole state of another, then one
// reader of the state's derivatives: what it gives equals, to the bit, what
// the same reader gives on another model at the same T and V.  Gas, liquid,
// near saturation and near the critical point, above Tc and the compressed
// liquid at 1 kbar.
TEST(WagnerVolumeSearch, EveryReaderAfterABareSearchIsTheStateAtItsVolume)
{
    using Get = double (*)(const FluidPhase&);
    struct Reader {
        const char* name;
        void (FluidPhase::*run)();
        std::vector<Get> values;
    };
    const Reader readers[] = {
        {"state functions",
         &FluidPhase::calculate_state_functions,
         {[](const FluidPhase& p) { return p.A; }, [](const FluidPhase& p) { return p.H; },
          [](const FluidPhase& p) { return p.S; }, [](const FluidPhase& p) { return p.Cv; },
          [](const FluidPhase& p) { return p.Cp; }, [](const FluidPhase& p) { return p.dPdT; },
          [](const FluidPhase& p) { return p.dPdV; }, [](const FluidPhase& p) { return p.soundSpeed; }}},
        {"fugacities",
         &FluidPhase::calculate_fugacities,
         {[](const FluidPhase& p) { return p.fugcoef[0]; }, [](const FluidPhase& p) { return p.rcp[0]; },
          [](const FluidPhase& p) { return p.drcpdT[0]; }, [](const FluidPhase& p) { return p.drcpdV[0]; },
          [](const FluidPhase& p) { return p.Z; }, [](const FluidPhase& p) { return p.dZdT; }}},
        {"expansivity derivative",
         &FluidPhase::calculate_expansivity_derivative,
         {[](const FluidPhase& p) { return p.dZdT; }, [](const FluidPhase& p) { return p.dZdV; },
          [](const FluidPhase& p) { return p.d2ZdT2; }, [](const FluidPhase& p) { return p.d2ZdTdV; },
          [](const FluidPhase& p) { return p.d2ZdV2; }}},
        {"critical derivatives",
         &FluidPhase::calculate_critical_parameters_of_pure_fluid,
         {[](const FluidPhase& p) { return p.dAdV; }, [](const FluidPhase& p) { return p.d2AdV2; },
          [](const FluidPhase& p) { return p.d3AdV3; }, [](const FluidPhase& p) { return p.d4AdV4; },
          [](const FluidPhase& p) { return p.d2AdTdV; }, [](const FluidPhase& p) { return p.d3AdTdV2; }}},
    };
    struct Case {
        double T, Pbar;
        int kind;
    };
    const Case cases[] = {{300.0, 0.01, 1},  {300.0, 100.0, 2},   {450.0, 9.3, 1},   {450.0, 9.4, 2},
                          {640.0, 200.0, 1}, {640.0, 210.0, 2},  {647.2, 221.0, 1}, {700.0, 300.0, 2},
                          {900.0, 50.0, 1},  {1000.0, 1000.0, 2}};
    WagnerPruss w(1), other(1);
    for (const Case& c : cases)
        for (const Reader& r : readers) {
            SCOPED_TRACE(testing::Message() << c.T << " K, " << c.Pbar << " bar, kind " << c.kind << ", " << r.name);
            w.set_the_phase_as(3 - c.kind);
            w.calculateFromTP(c.T + 37.0, 2.0 * c.Pbar, 0);
            w.set_the_phase_as(c.kind);
            w.temperature(c.T);
            w.pressure(c.Pbar);
            w.calculate_molar_volume();
            ASSERT_EQ(w.errorflag, 0);
            (w.*r.run)();
            ASSERT_EQ(w.errorflag, 0);
            other.set_the_phase_as(c.kind);
            other.temperature(c.T);
            other.volume(w.V);
            other.calculate_pressure();
            (other.*r.run)();
            ASSERT_EQ(other.errorflag, 0);
            for (std::size_t k = 0; k < r.values.size(); ++k)
                EXPECT_EQ(r.values[k](w), r.values[k](other)) << "value " << k;
        }
}
