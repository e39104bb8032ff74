// Cost of expression-graph evaluation, in nanoseconds per node, at each
// derivative order, over the three variables of a pure-fluid term [T, V, x].
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "expressions/Division.h"
#include "expressions/FVar.h"
#include "expressions/LineaX.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "expressions/UnaryNodes.h"

namespace {

// A graph, its node count and its evaluation point.  Successive evaluations
// alternate between two nearby points, so that no node can reuse the results
// of the previous pass; evaluateVar moves only the variable it differentiates
// (a volume search at fixed temperature and composition).
struct BenchGraph {
    std::unique_ptr<Expression> root;
    int nodes = 0;
    std::vector<double> x{300.0, 2.5e-5, 1.0};
    std::vector<double> work;
    long pass = 0;

    void evaluate(int order) {
        move(-1);
        root->initialize_the_graph();
        root->set_variable_values(work.data());
        Expression::sError = 0;
        root->calculate(order);
    }
    void evaluateVar(int order, int var) {
        move(var);
        root->initialize_the_graph();
        root->set_variable_values(work.data());
        Expression::sError = 0;
        root->calculate(order, var);
    }
    void move(int var) {
        work = x;  // same size every time: no allocation after the first
        const double f = (++pass % 2) ? 1.0 + 1e-7 : 1.0;
        for (std::size_t i = 0; i < work.size(); ++i)
            if (var < 0 || static_cast<int>(i) == var) work[i] *= f;
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

// The base of the chains below: u = x0 + x1 + x2, which depends on every variable.
Expression* denseBase() {
    auto* s = new Sum;
    s->number_of_terms(3);
    for (int v = 0; v < 3; ++v) {
        auto* f = new FVar;
        f->index = v;
        f->set_scalars2(0.3, 0.0);
        s->tieip(v, f);
        s->set_scalar(v, 1.0);
    }
    s->set_scalar(3, 0.1);
    return s;
}

// 300 nodes of one class in a chain, each over the one before (and, for the
// products, over a second shared node), so that every node carries all the
// entries of three variables.
// The constants give each chain an attracting fixed point at which a link's
// first derivative is of order 1, so that no derivative drifts into subnormal
// or huge numbers.
enum class ChainKind { Product, Power, Exponential, Division, Logarithm, Inverse };

BenchGraph chain(ChainKind kind) {
    BenchGraph g;
    g.x = {1.1, 0.9, 1.2};
    Expression* base = denseBase();
    Expression* other = nullptr;
    if (kind == ChainKind::Product || kind == ChainKind::Division) {
        auto* e = new Exponential;  // a second dense node of value near 1
        e->set_scalars3(0.0, 1.0, 0.01);
        e->tiep1(base);
        other = e;
    }
    Expression* prev = base;
    const int length = 300;
    for (int k = 0; k < length; ++k) {
        Expression* node = nullptr;
        switch (kind) {
            case ChainKind::Product: {
                auto* p = new Product;
                p->tiep2(prev, other);
                p->set_scalars1(0.999);
                node = p;
                break;
            }
            case ChainKind::Division: {
                auto* p = new Division;
                p->tiep2(prev, other);
                node = p;
                break;
            }
            case ChainKind::Power: {
                auto* p = new Power;
                p->tiep1(prev);
                p->set_scalars3(1.0, (k % 2) ? 1.05 : 0.95, 0.0);
                node = p;
                break;
            }
            case ChainKind::Exponential: {
                auto* p = new Exponential;  // u = exp(0.95 (u - 1)), fixed point 1
                p->tiep1(prev);
                p->set_scalars3(0.0, std::exp(-0.95), 0.95);
                node = p;
                break;
            }
            case ChainKind::Logarithm: {
                auto* p = new Logarithm;  // u = 1.7 ln(u + 1), fixed point near 1.68
                p->tiep1(prev);
                p->set_scalars3(1.7, 1.0, 0.0);
                node = p;
                break;
            }
            case ChainKind::Inverse: {
                auto* p = new Inverse;  // u = 1.2 / u
                p->tiep1(prev);
                p->set_scalars1(1.2);
                node = p;
                break;
            }
        }
        prev = node;
    }
    g.nodes = length;
    g.root.reset(prev);
    g.root->number_of_variables(3);
    g.root->analyze_dependencies();
    return g;
}

template <ChainKind K>
void BM_ExpressionChain(benchmark::State& state) {
    static BenchGraph g = chain(K);
    const int order = static_cast<int>(state.range(0));
    for (auto _ : state) {
        g.evaluate(order);
        benchmark::DoNotOptimize(g.root->value);
    }
    setCounters(state, g.nodes);
}
BENCHMARK_TEMPLATE(BM_ExpressionChain, ChainKind::Product)->DenseRange(0, 4);
BENCHMARK_TEMPLATE(BM_ExpressionChain, ChainKind::Power)->DenseRange(0, 4);
BENCHMARK_TEMPLATE(BM_ExpressionChain, ChainKind::Exponential)->DenseRange(0, 4);
BENCHMARK_TEMPLATE(BM_ExpressionChain, ChainKind::Division)->Arg(2)->Arg(4);
BENCHMARK_TEMPLATE(BM_ExpressionChain, ChainKind::Logarithm)->Arg(2)->Arg(4);
BENCHMARK_TEMPLATE(BM_ExpressionChain, ChainKind::Inverse)->Arg(2)->Arg(4);

// A residual Helmholtz energy shaped like the 56-term reference equation of
// water: 7 polynomial terms n delta^d tau^t, 44 exponential terms
// n delta^d tau^t exp(-delta^c) and 5 Gaussian-bell terms
// n delta^d tau^t exp(-alpha (delta - eps)^2 - beta (tau - gamma)^2), over
// [T, V, x] with delta = Vc/V and tau = Tc/T.  The coefficients are made up;
// the node structure and the exponents' spread are what count here.
BenchGraph referenceLikeEOS() {
    BenchGraph g;
    g.x = {600.0, 5.0e-5, 1.0};
    int nodes = 0;
    auto count = [&](Expression* e) {
        ++nodes;
        return e;
    };
    auto* T = static_cast<FVar*>(count(new FVar));
    T->index = 0;
    auto* V = static_cast<FVar*>(count(new FVar));
    V->index = 1;
    auto* delta = new Inverse;
    delta->tiep1(V);
    delta->set_scalars1(5.6e-5);
    auto* tau = new Inverse;
    tau->tiep1(T);
    tau->set_scalars1(647.096);
    nodes += 2;
    std::mt19937 rng(3);
    auto coef = [&] { return std::uniform_real_distribution<double>(-1.0, 1.0)(rng); };
    auto pickInt = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    // Powers of delta and tau are shared between terms of the same exponent.
    std::vector<Expression*> dPow(16, nullptr), tPow(60, nullptr), eTerm(7, nullptr);
    auto powerOf = [&](Expression* base, std::vector<Expression*>& cache, int e, double step) -> Expression* {
        if (!cache[e]) {
            auto* p = new Power;
            p->tiep1(base);
            p->set_scalars3(1.0, e * step, 0.0);
            cache[e] = count(p);
        }
        return cache[e];
    };
    auto* sum = new Sum;
    const int nterms = 56;
    sum->number_of_terms(nterms);
    for (int t = 0; t < nterms; ++t) {
        Expression* dp = powerOf(delta, dPow, pickInt(1, 15), 1.0);
        Expression* tp = powerOf(tau, tPow, pickInt(1, 59), 0.25);
        auto* prod = new Product;
        prod->tiep2(dp, tp);
        prod->set_scalars1(coef());
        Expression* term = count(prod);
        if (t >= 7 && t < 51) {
            int c = pickInt(1, 6);
            if (!eTerm[c]) {
                auto* e = new Exponential;
                e->tiep1(powerOf(delta, dPow, c, 1.0));
                e->set_scalars3(0.0, 1.0, -1.0);
                eTerm[c] = count(e);
            }
            auto* p2 = new Product;
            p2->tiep2(prod, eTerm[c]);
            term = count(p2);
        } else if (t >= 51) {
            auto* dd = new Sum1;
            dd->tiep1(delta);
            dd->set_scalars2(1.0, -1.0);
            auto* tt = new Sum1;
            tt->tiep1(tau);
            tt->set_scalars2(1.0, -1.2);
            auto* d2 = new Square;
            d2->tiep1(dd);
            auto* t2 = new Square;
            t2->tiep1(tt);
            auto* arg = new Sum2;
            arg->tiep2(d2, t2);
            arg->set_scalars3(-20.0, -150.0, 0.0);
            auto* bell = new Exponential;
            bell->tiep1(arg);
            bell->set_scalars3(0.0, 1.0, 1.0);
            auto* p2 = new Product;
            p2->tiep2(prod, bell);
            nodes += 7;
            term = p2;
        }
        sum->tieip(t, term);
        sum->set_scalar(t, 1.0);
    }
    sum->set_scalar(nterms, 0.0);
    g.nodes = nodes + 1;
    g.root.reset(sum);
    g.root->number_of_variables(3);
    g.root->analyze_dependencies();
    return g;
}

void BM_ReferenceLikeEOS(benchmark::State& state) {
    static BenchGraph g = referenceLikeEOS();
    const int order = static_cast<int>(state.range(0));
    for (auto _ : state) {
        g.evaluate(order);
        benchmark::DoNotOptimize(g.root->value);
    }
    setCounters(state, g.nodes);
}
BENCHMARK(BM_ReferenceLikeEOS)->DenseRange(0, 4);

// The volume search: second order in V only.
void BM_ReferenceLikeEOSVolume(benchmark::State& state) {
    static BenchGraph g = referenceLikeEOS();
    for (auto _ : state) {
        g.evaluateVar(2, 1);
        benchmark::DoNotOptimize(g.root->value);
    }
    setCounters(state, g.nodes);
}
BENCHMARK(BM_ReferenceLikeEOSVolume);

}  // namespace
