// Separate models on separate threads, and plans that belong to their own graph.
//
// Eight threads, each with a water and a carbon-dioxide model of its own,
// compute the same 800 states (the volume search from (T, P), then the state
// functions and fugacities at the volume found) as one thread does alone: the
// results must agree to the bit.  One thread works with models made on the
// main thread, so that a model moved between threads is covered too.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "expressions/Expression.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "expressions/FVar.h"
#include "fluid/Interaction.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "water/WagnerPruss.h"

namespace {

struct TP {
    double T, Pbar;
    int kind;  // 1 vapour or supercritical fluid, 2 liquid
};

// 200 compressed-liquid and 200 steam and supercritical states of water.
std::vector<TP> waterStates()
{
    std::vector<TP> s;
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 10; ++j) s.push_back({280.0 + 17.0 * i, 200.0 + 90.0 * j, 2});
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 10; ++j) s.push_back({700.0 + 26.0 * i, std::pow(10.0, 3.0 * j / 9.0), 1});
    return s;
}

// 400 gas and supercritical states of carbon dioxide.
std::vector<TP> co2States()
{
    std::vector<TP> s;
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j) s.push_back({310.0 + 790.0 * i / 19.0, std::pow(10.0, 3.0 * j / 19.0), 1});
    return s;
}

// Every state's volume, pressure, enthalpy, entropy, cp, sound speed and
// fugacity coefficient, as bit patterns (a failed state as its flag).
void solve(FluidPhase& f, const std::vector<TP>& states, std::vector<std::uint64_t>& out)
{
    auto put = [&](double v) { out.push_back(std::bit_cast<std::uint64_t>(v)); };
    for (const TP& s : states) {
        f.set_the_phase_as(s.kind);
        f.temperature(s.T);
        f.pressure(s.Pbar);
        f.calculate_molar_volume();
        if (f.errorflag) {
            out.push_back(0xfa11u);
            continue;
        }
        put(f.V);
        f.calculate_state_functions();
        f.calculate_fugacities();
        for (double v : {f.P, f.H, f.S, f.Cp, f.soundSpeed, f.fugcoef[0]}) put(v);
    }
}

struct Models {
    WagnerPruss water{1};
    IUPACCO2 co2{1};
};

std::vector<std::uint64_t> solveBoth(Models& m)
{
    static const std::vector<TP> w = waterStates(), c = co2States();
    std::vector<std::uint64_t> out;
    solve(m.water, w, out);
    solve(m.co2, c, out);
    return out;
}

TEST(ModelThreads, EightThreadsAgreeWithOneToTheBit)
{
    Models alone;
    const std::vector<std::uint64_t> reference = solveBoth(alone);
    ASSERT_GT(reference.size(), 5000u);
    std::size_t failed = 0;
    for (std::uint64_t r : reference) failed += r == 0xfa11u;
    EXPECT_EQ(failed, 0u);

    auto moved = std::make_unique<Models>();  // made here, used by a worker
    for (int round = 0; round < 2; ++round) {
        std::vector<std::vector<std::uint64_t>> results(8);
        std::vector<std::thread> workers;
        for (int k = 0; k < 8; ++k)
            workers.emplace_back([&, k] {
                if (k == 0) {
                    results[k] = solveBoth(*moved);
                } else {
                    Models own;
                    results[k] = solveBoth(own);
                }
            });
        for (std::thread& t : workers) t.join();
        for (int k = 0; k < 8; ++k) {
            ASSERT_EQ(results[k].size(), reference.size()) << "thread " << k;
            std::size_t differ = 0;
            for (std::size_t i = 0; i < reference.size(); ++i) differ += results[k][i] != reference[i];
            EXPECT_EQ(differ, 0u) << "thread " << k << ", round " << round;
        }
    }
}

// The plans made for the roots of a model's terms.
std::vector<unsigned long long> plansOf(FluidPhase& f)
{
    std::vector<unsigned long long> made;
    for (Interaction* i : f.interactions)
        if (i && i->root) made.push_back(i->root->plansMade());
    return made;
}

TEST(ModelPlans, OtherModelsMadeAndDestroyedLeaveAPlanInPlace)
{
    WagnerPruss w(1);
    const std::vector<TP> states = {{500.0, 100.0, 2}, {900.0, 200.0, 1}};
    std::vector<std::uint64_t> first, again;
    solve(w, states, first);
    const std::vector<unsigned long long> made = plansOf(w);
    ASSERT_FALSE(made.empty());
    for (int k = 0; k < 3; ++k) {
        Jacobsen n2(1);
        std::vector<std::uint64_t> scratch;
        solve(n2, {{300.0, 10.0, 1}}, scratch);
        auto co2 = std::make_unique<IUPACCO2>(1);
        solve(*co2, {{400.0, 50.0, 1}}, scratch);
        co2.reset();
        solve(w, states, again);
        EXPECT_EQ(plansOf(w), made) << "after model " << k;
    }
    for (std::size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i], first[i % first.size()]);
}

// A change of a graph's own links makes its plan again, and its values follow.
TEST(ModelPlans, AGraphsOwnChangeMakesItsPlanAgain)
{
    FVar x;  // x itself
    x.index = 0;
    std::array<Product, 8> squares;
    Sum root;
    root.number_of_terms(8);
    for (int i = 0; i < 8; ++i) {
        squares[i].tie2(x, x);
        squares[i].set_scalars1(i + 1.0);
        root.tieip(i, &squares[i]);
    }
    root.set_scalars_(1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 0.0);
    root.number_of_variables(1);
    root.analyze_dependencies();
    double xv = 2.0;
    auto value = [&] {
        root.initialize_the_graph();
        root.set_variable_values(&xv);
        root.calculate(2);
        return root.value;
    };
    EXPECT_EQ(value(), 36.0 * 4.0);  // (1 + ... + 8) x^2
    const unsigned long long made = root.plansMade();
    EXPECT_EQ(value(), 36.0 * 4.0);
    EXPECT_EQ(root.plansMade(), made);
    {
        FVar y;  // another graph, made and destroyed
        Sum other;
        other.number_of_terms(1);
        other.tieip(0, &y);
        other.number_of_variables(1);
        other.analyze_dependencies();
    }
    EXPECT_EQ(value(), 36.0 * 4.0);
    EXPECT_EQ(root.plansMade(), made);
    root.tieip(7, &squares[0]);  // the last term becomes 1 x^2
    EXPECT_EQ(value(), 29.0 * 4.0);
    EXPECT_EQ(root.plansMade(), made + 1);
    root.tieip(7, &squares[7]);  // the graph as it was: the plan is made again once more
}

}  // namespace
