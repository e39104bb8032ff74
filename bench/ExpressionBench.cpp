// Cost of expression-graph evaluation, in nanoseconds per node, at each
// derivative order, over the three variables of a pure-fluid term [T, V, x].
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "expressions/FVar.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"

namespace {

// A graph, its node count and its evaluation point.
struct BenchGraph {
    std::unique_ptr<Expression> root;
    int nodes = 0;
    std::vector<double> x{300.0, 2.5e-5, 1.0};

    void evaluate(int order) {
        root->initialize_the_graph();
        root->set_variable_values(x.data());
        Expression::sError = 0;
        root->calculate(order);
    }
    void evaluateVar(int order, int var) {
        root->initialize_the_graph();
        root->set_variable_values(x.data());
        Expression::sError = 0;
        root->calculate(order, var);
    }
};

// ~300 weighted sums over the three variables, shared at random.
BenchGraph sumGraph() {
    BenchGraph g;
    std::mt19937 rng(7);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto coef = [&] { return std::uniform_real_distribution<double>(-1.0, 1.0)(rng); };
    std::vector<Expression*> pool;
    for (int v = 0; v < 3; ++v) {
        auto* f = new FVar;
        f->index = v;
        f->set_scalars2(1.0 + 0.1 * v, 0.0);
        pool.push_back(f);
    }
    while (pool.size() < 300) {
        int n = static_cast<int>(pool.size());
        switch (pick(3)) {
            case 0: {
                auto* s = new Sum1;
                s->tiep1(pool[pick(n)]);
                s->set_scalars2(coef(), coef());
                pool.push_back(s);
                break;
            }
            case 1: {
                auto* s = new Sum2;
                s->tiep2(pool[pick(n)], pool[pick(n)]);
                s->set_scalars3(coef(), coef(), coef());
                pool.push_back(s);
                break;
            }
            default: {
                auto* s = new Sum;
                s->number_of_terms(4);
                s->tie_(pool[pick(n)], pool[pick(n)], pool[pick(n)], pool[pick(n)]);
                s->set_scalars_(coef(), coef(), coef(), coef(), coef());
                pool.push_back(s);
            }
        }
    }
    // The root sums every node that no other node links, so all are evaluated.
    std::vector<Expression*> tops;
    for (Expression* e : pool)
        if (e->refcount == 0) tops.push_back(e);
    auto* root = new Sum;
    root->number_of_terms(static_cast<int>(tops.size()));
    for (std::size_t t = 0; t < tops.size(); ++t) {
        root->tieip(static_cast<int>(t), tops[t]);
        root->set_scalar(static_cast<int>(t), 1.0);
    }
    g.nodes = static_cast<int>(pool.size()) + 1;
    g.root.reset(root);
    g.root->number_of_variables(3);
    g.root->analyze_dependencies();
    return g;
}

void setCounters(benchmark::State& state, int nodes) {
    state.counters["ns_per_node"] =
        benchmark::Counter(static_cast<double>(nodes) * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                                  benchmark::Counter::kInvert);
    state.counters["nodes"] = nodes;
}

void BM_ExpressionSums(benchmark::State& state) {
    static BenchGraph g = sumGraph();
    const int order = static_cast<int>(state.range(0));
    for (auto _ : state) {
        g.evaluate(order);
        benchmark::DoNotOptimize(g.root->value);
    }
    setCounters(state, g.nodes);
}
BENCHMARK(BM_ExpressionSums)->DenseRange(0, 4);

void BM_ExpressionSumsOneVariable(benchmark::State& state) {
    static BenchGraph g = sumGraph();
    const int order = static_cast<int>(state.range(0));
    for (auto _ : state) {
        g.evaluateVar(order, 1);
        benchmark::DoNotOptimize(g.root->value);
    }
    setCounters(state, g.nodes);
}
BENCHMARK(BM_ExpressionSumsOneVariable)->Arg(2)->Arg(4);

}  // namespace
