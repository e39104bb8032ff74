// The reference water model's volume search keeps the temperature-only part of
// the residual tree between its steps.  Every state must come out to the bit as
// from a model that computes it first, whatever states, temperatures or
// partial evaluations of the tree came before.
#include "water/WagnerPruss.h"

#include "expressions/Expression.h"

#include <gtest/gtest.h>

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

}  // namespace
