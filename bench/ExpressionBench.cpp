// Cost of expression-graph evaluation, in nanoseconds per node, at each
// derivative order, over the three variables of a pure-fluid term [T, V, x].
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

#include "expressions/Division.h"
#include "expressions/FVar.h"
#include "expressions/Geom.h"
#include "expressions/LineaX.h"
#include "expressions/MonoFunc.h"
#include "expressions/Product.h"
#include "expressions/Selector.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "expressions/SumF.h"
#include "expressions/UnaryNodes.h"
#include "expressions/VectFunc.h"
#include "fluid/CriticalPoints.h"
#include "expressions/tests/ImplicitModels.h"

namespace {

// A graph, its node count and its evaluation point.  Successive evaluations
// alternate between two nearby points, so that no node can reuse the results
// of the previous pass; evaluateVar moves only the variable it differentiates
// (a volume search at fixed temperature and composition).
struct BenchGraph {
    std::shared_ptr<void> keep;  // nodes and owners that no parent releases; goes after the root
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
    tau->set_scalars1(kWaterCritical.T);
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

// ---- mixing sums, power means, piecewise nodes, implicit functions ----

// A mixing sum of order k over n components, variables [T, V, x_1 .. x_n],
// every coefficient a_ij..(T) = c/T: the attraction term of a mixing rule.
template <class S>
BenchGraph mixingSum(int n) {
    BenchGraph g;
    g.x = {350.0, 1e-4};
    for (int i = 0; i < n; ++i) g.x.push_back(0.1 + 0.8 * (i + 1) / (n + 1.0));
    auto* T = new FVar;
    T->index = 0;
    auto* s = new S;
    s->defineXVariables(2, n);
    int terms = 0;
    std::vector<int> t(s->order(), 0);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> c(0.1, 0.5);
    for (;;) {
        auto* a = new Inverse;
        a->tiep1(T);
        a->set_scalars1(c(rng) * 350.0);
        if constexpr (std::is_same_v<S, SumX2>) s->tie_ij(t[0], t[1], a);
        if constexpr (std::is_same_v<S, SumX3>) s->tie_ijk(t[0], t[1], t[2], a);
        if constexpr (std::is_same_v<S, SumX4>) s->tie_ijkl(t[0], t[1], t[2], t[3], a);
        if constexpr (std::is_same_v<S, SumX5>) s->tie_ijklm(t[0], t[1], t[2], t[3], t[4], a);
        ++terms;
        int q = s->order() - 1;
        for (; q >= 0; --q) {
            const int lim = q == 0 ? n - 1 : t[q - 1];
            if (t[q] < lim) {
                ++t[q];
                for (int r = q + 1; r < s->order(); ++r) t[r] = 0;
                break;
            }
        }
        if (q < 0) break;
    }
    g.nodes = terms + 2;
    g.root.reset(s);
    g.root->number_of_variables(n + 2);
    g.root->analyze_dependencies();
    return g;
}

template <class S, int N>
void BM_MixingSum(benchmark::State& state) {
    static BenchGraph g = mixingSum<S>(N);
    const int order = static_cast<int>(state.range(0));
    for (auto _ : state) {
        g.evaluate(order);
        benchmark::DoNotOptimize(g.root->value);
    }
    setCounters(state, g.nodes);
}
BENCHMARK_TEMPLATE(BM_MixingSum, SumX2, 5)->Arg(2)->Arg(4);
BENCHMARK_TEMPLATE(BM_MixingSum, SumX3, 4)->Arg(2)->Arg(4);
BENCHMARK_TEMPLATE(BM_MixingSum, SumX4, 3)->Arg(4);
BENCHMARK_TEMPLATE(BM_MixingSum, SumX5, 3)->Arg(4);

// Nodes that no counting parent releases, deleted parents first.
struct Keeper {
    std::vector<Expression*> nodes;
    Expression* hold(Expression* e) {
        e->setReleasedByParents(false);
        nodes.push_back(e);
        return e;
    }
    ~Keeper() {
        for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) delete *it;
    }
};

// 300 power means in a chain, each the cube-root mean of (previous, base, base).
BenchGraph geomChain() {
    BenchGraph g;
    g.x = {1.1, 0.9, 1.2};
    auto keeper = std::make_shared<Keeper>();
    Expression* base = keeper->hold(denseBase());
    Expression* prev = base;
    const int length = 300;
    for (int k = 0; k < length; ++k) {
        auto* m = new Geom;
        m->number_of_terms(3);
        m->tie_(prev, base, base);
        m->set_scalars3(1.0, 1.0 / 3.0, 0.0);
        if (k + 1 < length) keeper->hold(m);
        prev = m;
    }
    g.keep = keeper;
    g.nodes = length;
    g.root.reset(prev);
    g.root->number_of_variables(3);
    g.root->analyze_dependencies();
    return g;
}

// 100 selectors in a chain, each choosing between two linear maps of the
// previous one (three nodes per link).
BenchGraph selectorChain() {
    BenchGraph g;
    g.x = {1.1, 0.9, 1.2};
    auto keeper = std::make_shared<Keeper>();
    Expression* base = keeper->hold(denseBase());
    auto* cond = new Sum1;  // negative: the first branch
    cond->tiep1(base);
    cond->set_scalars2(1.0, -10.0);
    keeper->hold(cond);
    Expression* prev = base;
    const int length = 100;
    for (int k = 0; k < length; ++k) {
        auto* a = new Sum1;
        a->tiep1(prev);
        a->set_scalars2(0.9, 0.1);
        auto* b = new Sum1;
        b->tiep1(prev);
        b->set_scalars2(1.1, -0.1);
        keeper->hold(a);
        keeper->hold(b);
        auto* s = new Selector;
        s->tie3(*cond, *a, *b);
        if (k + 1 < length) keeper->hold(s);
        prev = s;
    }
    g.keep = keeper;
    g.nodes = 3 * length;
    g.root.reset(prev);
    g.root->number_of_variables(3);
    g.root->analyze_dependencies();
    return g;
}

template <BenchGraph (*Make)()>
void BM_ExpressionChainOf(benchmark::State& state) {
    static BenchGraph g = Make();
    const int order = static_cast<int>(state.range(0));
    for (auto _ : state) {
        g.evaluate(order);
        benchmark::DoNotOptimize(g.root->value);
    }
    setCounters(state, g.nodes);
}
BENCHMARK_TEMPLATE(BM_ExpressionChainOf, geomChain)->Arg(2)->Arg(4);
BENCHMARK_TEMPLATE(BM_ExpressionChainOf, selectorChain)->Arg(2)->Arg(4);

// u(x) from u^3 + 2u + u L(x) - Q(x) = 0 over three variables: a secant search
// polished by Newton steps, then the implicit derivatives.
class BenchMono : public MonoFunc {
public:
    std::unique_ptr<Sum> Froot;
    double start = 1.0, last = 0.0;
    BenchMono() : MonoFunc(3) {
        auto* U = new FVar;
        U->index = 0;
        auto* cube = new Cube;
        cube->tiep1(U);
        auto* L = new LineaX;
        L->defineXVariables(1, 3);
        L->a = {0.2, 0.3, 0.1};
        auto* UL = new Product;
        UL->tiep2(U, L);
        auto* Q = new LineaX2;
        Q->defineXVariables(1, 3);
        Q->a = {0.5, 0.1, 0.4, -0.2, 0.3, 0.6};
        Froot.reset(new Sum);
        Froot->number_of_terms(4);
        Froot->tie_(cube, U, UL, Q);
        Froot->set_scalars_(1.0, 2.0, 1.0, -1.0, 0.0);
        F = Froot.get();
        F->number_of_variables(4);
        F->analyze_dependencies();
        solver->obj = this;
        solver->fn = toEquationFn<ScalarEquationFn>(&BenchMono::residual);
        solver->tol = 1e-12;
    }
    double residual(double u, void*) {
        last = u;
        return evaluateF(u, 0);
    }
    void calculate_u() override {
        solver->x0 = start;
        solver->x1 = start * 1.01 + 0.01;
        MonoFunc::calculate_u();
        double u = last;
        for (int k = 0; k < 2; ++k) u -= evaluateF(u, 1) / F->d1[0];
        start = u;
        node->value = u;
    }
};

BenchGraph implicitScalar() {
    BenchGraph g;
    g.x = {1.1, 0.9, 1.2};
    auto owner = std::make_shared<BenchMono>();
    auto* node = new XFunc0;
    node->owner = owner.get();
    owner->node = node;
    g.keep = owner;
    g.nodes = 1;
    g.root.reset(node);
    g.root->number_of_variables(3);
    return g;
}

// u_0, u_1 from u_0^3 + 2 u_0 + 0.3 u_1 = v_0, u_1^3 + 2 u_1 + 0.3 u_0 v_1 = v_1 - 0.2
// (the tests' CubicPair) with v_0, v_1 sums of the three variables: Newton on
// the pair, implicit derivatives with respect to v, chain rule to x.
class BenchPair : public rg::CubicPair {
public:
    std::unique_ptr<Sum> v0, v1;
    BenchPair() : CubicPair(3, 0.2) {
        auto var = [](int i) {
            auto* v = new FVar;
            v->index = i;
            return v;
        };
        v0.reset(new Sum);
        v0->number_of_terms(3);
        v0->tie_(var(0), var(1), var(2));
        v0->set_scalars_(1.0, 0.5, 0.25, 0.0);
        v1.reset(new Sum);
        v1->number_of_terms(2);
        v1->tie_(var(0), var(2));
        v1->set_scalars_(0.7, 0.3, 0.1);
        tie_v_nodes(v0.get(), v1.get());
        for (Expression* v : vNodes) {
            v->number_of_variables(3);
            v->analyze_dependencies();
        }
        newton->x[0] = newton->x[1] = 0.5;
    }
    // One Newton solve from the last root (no polishing steps).
    void calculate_uv_values() override {
        newton->solve();
        uvNodes[0]->value = newton->x[0];
        uvNodes[1]->value = newton->x[1];
    }
};

BenchGraph implicitPair() {
    BenchGraph g;
    g.x = {1.1, 0.9, 1.2};
    auto owner = std::make_shared<BenchPair>();
    auto* u0 = new XFunc;
    auto* u1 = new XFunc;
    owner->tie_u_nodes(u0, u1);
    auto* sum = new Sum2;
    sum->tiep2(u0, u1);
    g.keep = owner;
    g.nodes = 3;
    g.root.reset(sum);
    g.root->number_of_variables(3);
    g.root->analyze_dependencies();
    return g;
}

BENCHMARK_TEMPLATE(BM_ExpressionChainOf, implicitScalar)->Arg(0)->Arg(2)->Arg(4);
BENCHMARK_TEMPLATE(BM_ExpressionChainOf, implicitPair)->Arg(0)->Arg(2)->Arg(4);

}  // namespace
