#pragma once
// Random expression graphs over n variables with their jet oracle.
//
// Nodes are drawn from the enabled kinds, each over children drawn from the
// nodes made before it (so children are shared), up to a depth limit.  Every
// node keeps a recipe that recomputes its jet from its children's jets, so the
// graph can be checked at several points.  Leaf nodes are random polynomials
// in a random subset of the variables (their dependency flags), written into
// the leaf by the test as an owner would.  The root is a Sum over every node
// made, so that every node is sized and evaluated in the root's pass.
//
// Ownership: the graph holds one link on each node it made (as a parent would)
// and deletes the root; dropping those links releases everything.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "expressions/Division.h"
#include "expressions/Expression.h"
#include "expressions/FVar.h"
#include "expressions/Geom.h"
#include "expressions/KVar.h"
#include "expressions/Leaf.h"
#include "expressions/LineaX.h"
#include "expressions/MonoFunc.h"
#include "expressions/Product.h"
#include "expressions/Selector.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "expressions/SumF.h"
#include "expressions/UnaryNodes.h"
#include "expressions/ExpressionArrays.h"
#include "expressions/VectFunc.h"
#include "expressions/tests/ImplicitModels.h"
#include "expressions/tests/Jet.h"

namespace rg {

using jet::Jet;
using jet::MJet;

// Sorted tuples (i >= j >= k >= l) of the given order over n variables.
inline std::vector<std::vector<int>> tuples(int n, int order) {
    std::vector<std::vector<int>> out;
    std::vector<int> t(order);
    std::function<void(int, int)> rec = [&](int pos, int maxv) {
        if (pos == order) {
            out.push_back(t);
            return;
        }
        for (int v = 0; v <= maxv; ++v) {
            t[pos] = v;
            rec(pos + 1, v);
        }
    };
    if (order == 0) return {{}};
    for (int i = 0; i < n; ++i) {
        t[0] = i;
        rec(1, i);
    }
    return out;
}

inline double entry(const Expression& e, const std::vector<int>& t) {
    switch (t.size()) {
        case 0: return e.value;
        case 1: return e.d1[t[0]];
        case 2: return e.d2[t[0]][t[1]];
        case 3: return e.d3[t[0]][t[1]][t[2]];
        default: return e.d4[t[0]][t[1]][t[2]][t[3]];
    }
}
inline double& entryRef(Expression& e, const std::vector<int>& t) {
    switch (t.size()) {
        case 1: return e.d1[t[0]];
        case 2: return e.d2[t[0]][t[1]];
        case 3: return e.d3[t[0]][t[1]][t[2]];
        default: return e.d4[t[0]][t[1]][t[2]][t[3]];
    }
}
inline double jetEntry(const Jet& j, const std::vector<int>& t) {
    switch (t.size()) {
        case 0: return j.value();
        case 1: return j.deriv({t[0]});
        case 2: return j.deriv({t[0], t[1]});
        case 3: return j.deriv({t[0], t[1], t[2]});
        default: return j.deriv({t[0], t[1], t[2], t[3]});
    }
}

constexpr double kRelTol = 1e-12;

// The jet of the magnitudes of a jet's coefficients.
inline Jet absJet(const Jet& j) {
    Jet r = j;
    for (double& c : r.c) c = std::fabs(c);
    return r;
}

// Compares value and every entry of the orders 1..order with the oracle, each
// to 1e-12 of its majorant (the magnitude of the terms it is made of).
inline ::testing::AssertionResult matchesFull(const Expression& e, const MJet& j, int order) {
    for (int k = 0; k <= order; ++k) {
        for (auto& t : tuples(e.nvar, k)) {
            double a = entry(e, t), b = jetEntry(j.v, t), scale = jetEntry(j.m, t);
            if (!(std::fabs(a - b) <= kRelTol * scale)) {
                std::string idx;
                for (int v : t) idx += " " + std::to_string(v);
                return ::testing::AssertionFailure()
                       << e.getType() << " " << e.displayName() << " order " << k << " entry (" << idx
                       << " ): engine " << a << " oracle " << b << " majorant " << scale;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// Compares value and the pure entries of variable v up to the order.
inline ::testing::AssertionResult matchesVar(const Expression& e, const MJet& j, int v, int order) {
    for (int k = 0; k <= order; ++k) {
        std::vector<int> t(k, v);
        double a = entry(e, t), b = jetEntry(j.v, t), scale = jetEntry(j.m, t);
        if (!(std::fabs(a - b) <= kRelTol * scale)) {
            return ::testing::AssertionFailure() << e.getType() << " " << e.displayName() << " var " << v
                                                 << " order " << k << ": engine " << a << " oracle " << b
                                                 << " majorant " << scale;
        }
    }
    return ::testing::AssertionSuccess();
}

// Node kinds the generator may draw.
enum Kind : unsigned {
    kSum1 = 1u << 0,
    kSum2 = 1u << 1,
    kSum = 1u << 2,
    kSquare = 1u << 3,
    kCube = 1u << 4,
    kInverse = 1u << 5,
    kInverse2 = 1u << 6,
    kExponential = 1u << 7,
    kLogarithm = 1u << 8,
    kPower = 1u << 9,
    kPowo = 1u << 10,
    kProduct = 1u << 11,
    kDivision = 1u << 12,
    kLineaX = 1u << 13,
    kLineaX2 = 1u << 14,
    kLineaX3 = 1u << 15,
    kGeom = 1u << 16,
    kSelector = 1u << 17,
    kSumX2 = 1u << 18,
    kSumX3 = 1u << 19,
    kSumX4 = 1u << 20,
    kSumX5 = 1u << 21,
    kMonoFunc = 1u << 22,
    kVectFunc = 1u << 23,
    kSums = kSum1 | kSum2 | kSum,
    kUnary = kSquare | kCube | kInverse | kInverse2 | kExponential | kLogarithm | kPower | kPowo,
    kLinear = kLineaX | kLineaX2 | kLineaX3,
    kMixing = kSumX2 | kSumX3 | kSumX4 | kSumX5,
    kImplicit = kMonoFunc | kVectFunc,
    kAll = kSums | kUnary | kProduct | kDivision | kLinear | kGeom | kSelector | kMixing | kImplicit,
};

struct Item {
    Expression* node = nullptr;
    int depth = 0;
    std::function<MJet(const std::vector<MJet>&, const std::vector<double>&)> recipe;
    // Leaves: the variables they depend on.
    std::vector<int> leafVars;
    bool leaf = false;
};

class Graph {
public:
    using Maker = std::function<bool(Graph&, unsigned kind)>;

    Graph(int nvars, unsigned seed) : n(nvars), space(nvars), rng(seed) {
        for (int v = 0; v < n; ++v) x.push_back(uniform(0.6, 1.6));
    }
    Graph(const Graph&) = delete;
    Graph& operator=(const Graph&) = delete;
    ~Graph() {
        delete root;
        for (Item& it : items) Expression::unlink(it.node);
    }

    double uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); }
    int pick(int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); }

    // Registers a node made by the test (the graph takes one link on it).
    int add(Expression* e, int depth, decltype(Item::recipe) recipe) {
        Expression::link(e);
        e->setName(("n" + std::to_string(items.size())).c_str());
        items.push_back(Item{e, depth, std::move(recipe), {}, false});
        jets.push_back(items.back().recipe(jets, x));
        return static_cast<int>(items.size()) - 1;
    }

    // A child index whose depth is below the limit.
    int child() {
        for (;;) {
            int c = pick(0, static_cast<int>(items.size()) - 1);
            if (items[c].depth < maxDepth) return c;
        }
    }

    void addVariables() {
        for (int v = 0; v < n; ++v) {
            auto* f = new FVar;
            f->index = v;
            double a = (v % 2) ? 1.0 : uniform(0.5, 1.5), b = (v % 2) ? 0.0 : uniform(-0.3, 0.3);
            f->set_scalars2(a, b);
            add(f, 0, [v, a, b, this](const std::vector<MJet>&, const std::vector<double>& xs) {
                return (a * MJet::variable(space, v, xs[v])).plus(b);
            });
        }
        auto* k = new KVar;
        double c = uniform(-2, 2);
        k->set_scalars1(c);
        add(k, 0, [c, this](const std::vector<MJet>&, const std::vector<double>&) { return MJet(space, c); });
        // Leaves on random subsets of the variables (at least one, sometimes none).
        for (int l = 0; l < 2; ++l) {
            std::vector<int> vars;
            for (int v = 0; v < n; ++v)
                if (pick(0, 2) == 0) vars.push_back(v);
            if (vars.empty() && l == 0) vars.push_back(pick(0, n - 1));
            // A random polynomial of degree <= 4 in those variables.
            std::vector<std::pair<std::vector<int>, double>> monos;
            monos.push_back({{}, uniform(0.5, 1.5)});
            for (int m = 0; m < 5 && !vars.empty(); ++m) {
                std::vector<int> mono;
                int deg = pick(1, 4);
                for (int d = 0; d < deg; ++d) mono.push_back(vars[pick(0, static_cast<int>(vars.size()) - 1)]);
                monos.push_back({mono, uniform(-0.5, 0.5)});
            }
            auto* leaf = new Leaf;
            int id = add(leaf, 0, [monos, this](const std::vector<MJet>&, const std::vector<double>& xs) {
                MJet r(space);
                for (auto& [mono, coef] : monos) {
                    MJet t(space, coef);
                    for (int v : mono) t = t * MJet::variable(space, v, xs[v]);
                    r = r + t;
                }
                return r;
            });
            items[id].leaf = true;
            items[id].leafVars = vars;
        }
    }

    // The kinds of weighted sums; other kinds come through `extra`.
    bool makeSum(unsigned kind) {
        if (kind == kSum1) {
            int c = child();
            double a = uniform(-1.5, 1.5), b = uniform(-1, 1);
            auto* s = new Sum1;
            s->tiep1(items[c].node);
            s->set_scalars2(a, b);
            add(s, items[c].depth + 1,
                [=](const std::vector<MJet>& j, const std::vector<double>&) { return (a * j[c]).plus(b); });
            return true;
        }
        if (kind == kSum2) {
            int c1 = child(), c2 = child();
            double a = uniform(-1.5, 1.5), b = uniform(-1.5, 1.5), k = uniform(-1, 1);
            auto* s = new Sum2;
            s->tiep2(items[c1].node, items[c2].node);
            s->set_scalars3(a, b, k);
            add(s, std::max(items[c1].depth, items[c2].depth) + 1,
                [=](const std::vector<MJet>& j, const std::vector<double>&) { return (a * j[c1] + b * j[c2]).plus(k); });
            return true;
        }
        if (kind == kSum) {
            int nt = pick(1, 5);
            std::vector<int> cs;
            std::vector<double> w;
            auto* s = new Sum;
            s->number_of_terms(nt);
            int depth = 0;
            for (int t = 0; t < nt; ++t) {
                cs.push_back(child());
                w.push_back(uniform(-1.5, 1.5));
                s->tieip(t, items[cs.back()].node);
                s->set_scalar(t, w.back());
                depth = std::max(depth, items[cs.back()].depth);
            }
            double k = uniform(-1, 1);
            s->set_scalar(nt, k);
            add(s, depth + 1, [=, this](const std::vector<MJet>& j, const std::vector<double>&) {
                MJet r(space, k);
                for (std::size_t t = 0; t < cs.size(); ++t) r = r + w[t] * j[cs[t]];
                return r;
            });
            return true;
        }
        return false;
    }

    using Series = std::array<double, jet::kDeg + 1>;

    // A unary node over child c whose jet is the child's composed with a series.
    template <class Node>
    void addUnary(Node* node, int c, std::function<Series(double)> series, double scale = 1.0, double shift = 0.0) {
        node->tiep1(items[c].node);
        add(node, items[c].depth + 1, [=](const std::vector<MJet>& j, const std::vector<double>&) {
            return (scale * j[c].compose(series(j[c].value()))).plus(shift);
        });
    }

    // The unary and binary operator nodes and the linear variables.  Their
    // constants are chosen from the child's value so that the node stays well
    // inside its domain at every point the test visits.
    bool makeOther(unsigned kind) {
        switch (kind) {
            case kSquare: case kCube: {
                int c = child();
                double a = uniform(-1.5, 1.5);
                double p = kind == kSquare ? 2.0 : 3.0;
                if (kind == kSquare) {
                    auto* e = new Square;
                    e->set_scalars1(a);
                    addUnary(e, c, [p](double u0) { return jet::seriesPow(p, u0); }, a);
                } else {
                    auto* e = new Cube;
                    e->set_scalars1(a);
                    addUnary(e, c, [p](double u0) { return jet::seriesPow(p, u0); }, a);
                }
                return true;
            }
            case kInverse: case kInverse2: {
                int c = child();
                if (std::fabs(jets[c].value()) < 0.3) return false;
                if (kind == kInverse) {
                    double a = uniform(-1.5, 1.5);
                    auto* e = new Inverse;
                    e->set_scalars1(a);
                    addUnary(e, c, [](double u0) { return jet::seriesInverse(u0); }, a);
                } else {
                    auto* e = new Inverse2;
                    addUnary(e, c, [](double u0) { return jet::seriesPow(-2.0, u0); });
                }
                return true;
            }
            case kExponential: {
                int c = child();
                double a = uniform(-1, 1), b = uniform(-1.5, 1.5);
                double k = uniform(-1, 1) / std::max(1.0, std::fabs(jets[c].value()));
                auto* e = new Exponential;
                e->set_scalars3(a, b, k);
                addUnary(e, c, [k](double u0) { return jet::seriesExp(k, u0); }, b, a);
                return true;
            }
            case kLogarithm: {
                int c = child();
                double a = uniform(-1.5, 1.5), k = uniform(-1, 1);
                double b = -jets[c].value() + uniform(0.6, 2.0) * std::max(1.0, std::fabs(jets[c].value()));
                auto* e = new Logarithm;
                e->set_scalars3(a, b, k);
                addUnary(e, c, [b](double u0) { return jet::seriesLog(u0 + b); }, a, k);
                return true;
            }
            case kPower: {
                int c = child();
                double u0 = jets[c].value();
                double a = uniform(-1.5, 1.5), k = uniform(-1, 1), p;
                if (u0 > 0.3) {
                    // Any real exponent, an integer or a half-integer (each has its own path).
                    int form = pick(0, 2);
                    p = form == 0 ? uniform(-2.5, 3.5) : form == 1 ? pick(-3, 4) : pick(-7, 9) + 0.5;
                }
                else if (u0 < -0.3)
                    p = static_cast<double>(pick(-3, 4));
                else
                    return false;
                auto* e = new Power;
                e->set_scalars3(a, p, k);
                addUnary(e, c, [p](double x0) { return jet::seriesPow(p, x0); }, a, k);
                return true;
            }
            case kPowo: {
                int c = child();
                if (std::fabs(jets[c].value()) < 0.3) return false;
                double a = uniform(-1.5, 1.5), k = uniform(-1, 1), p = uniform(-2.5, 3.5);
                auto* e = new Powo;
                e->set_scalars3(a, p, k);
                addUnary(e, c, [p](double x0) { return jet::seriesPowOdd(p, x0); }, a, k);
                return true;
            }
            case kProduct: case kDivision: {
                int c1 = child(), c2 = child();
                double a = uniform(-1.5, 1.5);
                int depth = std::max(items[c1].depth, items[c2].depth) + 1;
                if (kind == kProduct) {
                    auto* e = new Product;
                    e->set_scalars1(a);
                    e->tiep2(items[c1].node, items[c2].node);
                    add(e, depth, [=](const std::vector<MJet>& j, const std::vector<double>&) { return a * (j[c1] * j[c2]); });
                } else {
                    if (std::fabs(jets[c2].value()) < 0.3) return false;
                    auto* e = new Division;
                    e->set_scalars1(a);
                    e->tiep2(items[c1].node, items[c2].node);
                    add(e, depth, [=](const std::vector<MJet>& j, const std::vector<double>&) {
                        return a * (j[c1] * j[c2].compose(jet::seriesInverse(j[c2].value())));
                    });
                }
                return true;
            }
            case kLineaX: case kLineaX2: case kLineaX3: {
                int first = pick(0, n - 1), count = pick(1, n - first);
                Linear* e;
                if (kind == kLineaX) e = new LineaX;
                else if (kind == kLineaX2) e = new LineaX2;
                else e = new LineaX3;
                e->defineXVariables(first, count);
                // Every position gets a coefficient, unused LineaX3 positions too:
                // the node must never read those.
                for (double& v : e->a) v = uniform(-1, 1);
                std::vector<double> coef = e->a;
                add(e, 0, [=, this](const std::vector<MJet>&, const std::vector<double>& xs) {
                    auto var = [&](int i) { return MJet::variable(space, first + i, xs[first + i]); };
                    MJet r(space);
                    for (int i = 0; i < count; ++i) {
                        if (kind == kLineaX) {
                            r = r + coef[i] * var(i);
                            continue;
                        }
                        for (int j = 0; j <= i; ++j) {
                            if (kind == kLineaX2) {
                                r = r + ((i == j ? 1.0 : 2.0) * coef[LineaX2::position(i, j)]) * (var(i) * var(j));
                                continue;
                            }
                            for (int k = 0; k <= j; ++k) {
                                double m = (i == j && j == k) ? 1.0 : (i == j || j == k) ? 3.0 : 6.0;
                                r = r + (m * coef[LineaX3::position(i, j, k)]) * (var(i) * var(j) * var(k));
                            }
                        }
                    }
                    return r;
                });
                return true;
            }
            default:
                return false;
        }
    }

    // Draws `count` nodes of the enabled kinds, then the root over all of them.
    void build(unsigned kinds, int count, const Maker& extra = nullptr) {
        addVariables();
        std::vector<unsigned> enabled;
        for (unsigned b = 0; b < 32; ++b)
            if (kinds & (1u << b)) enabled.push_back(1u << b);
        int made = 0, attempts = 0;
        while (made < count && attempts < 50 * count) {
            ++attempts;
            unsigned kind = enabled[pick(0, static_cast<int>(enabled.size()) - 1)];
            bool ok = makeSum(kind) || makeOther(kind) || makeMore(kind) || (extra && extra(*this, kind));
            if (ok) ++made;
        }
        root = new Sum;
        root->setName("root");
        root->number_of_terms(static_cast<int>(items.size()));
        for (std::size_t t = 0; t < items.size(); ++t) {
            root->tieip(static_cast<int>(t), items[t].node);
            root->set_scalar(static_cast<int>(t), uniform(-1, 1) / static_cast<double>(items.size()));
        }
        root->set_scalar(static_cast<int>(items.size()), 0.25);
        root->number_of_variables(n);
        for (Item& it : items)
            if (it.leaf) {
                auto* leaf = static_cast<Leaf*>(it.node);
                for (int v = 0; v < n; ++v)
                    leaf->flags[v] = std::find(it.leafVars.begin(), it.leafVars.end(), v) != it.leafVars.end();
            }
        root->analyze_dependencies();
    }

    // The power means, piecewise nodes, mixing sums and implicit functions.
    bool makeMore(unsigned kind) {
        switch (kind) {
            case kGeom:
                return makeGeom();
            case kSelector:
                return makeSelector();
            case kSumX2: case kSumX3: case kSumX4: case kSumX5:
                return makeMixingSum(kind);
            case kMonoFunc:
                return makeMonoFunc();
            case kVectFunc:
                return makeVectFunc();
            default:
                return false;
        }
    }

    // A power mean of one to four children.
    bool makeGeom() {
        const int nt = pick(1, 4);
        std::vector<int> cs;
        for (int t = 0; t < nt; ++t) {
            int c = child();
            if (std::fabs(jets[c].value()) < 0.3) return false;
            cs.push_back(c);
        }
        if (nt >= 2 && pick(0, 1)) cs[1] = cs[0];  // a term tied twice counts twice
        static const double ps[] = {1.0 / 3.0, 0.5, 1.0, 2.0, -1.0};
        double p = pick(0, 5) == 5 ? uniform(-1.5, 2.5) : ps[pick(0, 4)];
        if (std::fabs(p) < 0.2) p = 0.75;
        double S0 = 0.0;
        for (int c : cs) S0 += powo(jets[c].value(), p);
        if (std::fabs(S0) < 0.2 * nt) return false;
        const double a = uniform(-1.5, 1.5), k = uniform(-1, 1);
        auto* g = new Geom;
        g->number_of_terms(nt);
        int depth = 0;
        for (int t = 0; t < nt; ++t) {
            g->tieip(t, items[cs[t]].node);
            depth = std::max(depth, items[cs[t]].depth);
        }
        g->set_scalars3(a, p, k);
        add(g, depth + 1, [=, this](const std::vector<MJet>& j, const std::vector<double>&) {
            MJet S(space);
            for (int c : cs) S = S + j[c].compose(jet::seriesPowOdd(p, j[c].value()));
            const double q = 1.0 / p;
            const double A = a / std::pow(static_cast<double>(cs.size()), q);
            return (A * S.compose(jet::seriesPowOdd(q, S.value()))).plus(k);
        });
        return true;
    }

    // A piecewise node: a condition node and two branches.
    bool makeSelector() {
        const int c = child();
        const double off = (pick(0, 1) ? -1.0 : 1.0) * uniform(0.2, 0.6);
        const double b = -jets[c].value() + off;
        auto* cond = new Sum1;
        cond->tiep1(items[c].node);
        cond->set_scalars2(1.0, b);
        const int ic = add(cond, items[c].depth + 1, [=](const std::vector<MJet>& j, const std::vector<double>&) {
            return j[c].plus(b);
        });
        const int cu = child(), cv = child();
        auto* s = new Selector;
        s->tie3(*items[ic].node, *items[cu].node, *items[cv].node);
        add(s, std::max({items[ic].depth, items[cu].depth, items[cv].depth}) + 1,
            [=](const std::vector<MJet>& j, const std::vector<double>&) {
                return j[ic].value() < 0.0 ? j[cu] : j[cv];
            });
        return true;
    }

    // A mixing sum over the composition variables of order 2 to 5.
    bool makeMixingSum(unsigned kind) {
        const int k = kind == kSumX2 ? 2 : kind == kSumX3 ? 3 : kind == kSumX4 ? 4 : 5;
        const int first = pick(0, n - 2 > 0 ? n - 2 : 0);
        const int nc = pick(1, std::min(n - first, k <= 3 ? 4 : 3));
        SumF* s = k == 2 ? static_cast<SumF*>(new SumX2)
                : k == 3 ? static_cast<SumF*>(new SumX3)
                : k == 4 ? static_cast<SumF*>(new SumX4)
                         : static_cast<SumF*>(new SumX5);
        const auto sorted = tuples(nc, k);
        std::vector<int> coef;  // child of each sorted tuple, in table order
        int depth = 0;
        for (std::size_t t = 0; t < sorted.size(); ++t) {
            coef.push_back(child());
            depth = std::max(depth, items[coef.back()].depth);
        }
        const bool install = pick(0, 1) == 1;
        if (!install) {
            s->defineXVariables(first, nc);
            for (std::size_t t = 0; t < sorted.size(); ++t) {
                const auto& u = sorted[t];
                Expression* e = items[coef[t]].node;
                if (k == 2) static_cast<SumX2*>(s)->tie_ij(u[0], u[1], e);
                else if (k == 3) static_cast<SumX3*>(s)->tie_ijk(u[0], u[1], u[2], e);
                else if (k == 4) static_cast<SumX4*>(s)->tie_ijkl(u[0], u[1], u[2], u[3], e);
                else static_cast<SumX5*>(s)->tie_ijklm(u[0], u[1], u[2], u[3], u[4], e);
            }
        } else {
            // The owner's table made by the engine's allocators, handed over.
            s->number_of_xvariables(nc);
            s->starting_index(first);
            if (k == 2) {
                Expression*** tb;
                expression_sym2alloc(&tb, nc);
                for (std::size_t t = 0; t < sorted.size(); ++t) tb[sorted[t][0]][sorted[t][1]] = items[coef[t]].node;
                static_cast<SumX2*>(s)->installTerms(tb);
            } else if (k == 3) {
                Expression**** tb;
                expression_sym3alloc(&tb, nc);
                for (std::size_t t = 0; t < sorted.size(); ++t) {
                    const auto& u = sorted[t];
                    tb[u[0]][u[1]][u[2]] = items[coef[t]].node;
                }
                static_cast<SumX3*>(s)->installTerms(tb);
            } else if (k == 4) {
                Expression***** tb;
                expression_sym4alloc(&tb, nc);
                for (std::size_t t = 0; t < sorted.size(); ++t) {
                    const auto& u = sorted[t];
                    tb[u[0]][u[1]][u[2]][u[3]] = items[coef[t]].node;
                }
                static_cast<SumX4*>(s)->installTerms(tb);
            } else {
                Expression****** tb;
                expression_sym5alloc(&tb, nc);
                for (std::size_t t = 0; t < sorted.size(); ++t) {
                    const auto& u = sorted[t];
                    tb[u[0]][u[1]][u[2]][u[3]][u[4]] = items[coef[t]].node;
                }
                static_cast<SumX5*>(s)->installTerms(tb);
            }
        }
        // The oracle: the plain sum over all nc^k ordered tuples.
        add(s, depth + 1, [=, this](const std::vector<MJet>& j, const std::vector<double>& xs) {
            MJet r(space);
            std::vector<int> a(k, 0);
            for (;;) {
                std::vector<int> srt = a;
                std::sort(srt.rbegin(), srt.rend());
                const std::size_t t = std::find(sorted.begin(), sorted.end(), srt) - sorted.begin();
                MJet term = j[coef[t]];
                for (int m = 0; m < k; ++m) term = term * MJet::variable(space, first + a[m], xs[first + a[m]]);
                r = r + term;
                int m = 0;
                while (m < k && ++a[m] == nc) a[m++] = 0;
                if (m == k) break;
            }
            return r;
        });
        return true;
    }

    // A scalar implicit function of the variables.
    bool makeMonoFunc() {
        std::vector<double> b(n), q(n * (n + 1) / 2);
        for (double& v : b) v = uniform(0.0, 0.5);
        for (double& v : q) v = uniform(-0.5, 0.5);
        const double d = uniform(-1, 1);
        auto owner = std::make_shared<CubicMono>(n, b, q, d);
        auto* node = new XFunc0;
        node->owner = owner.get();
        owner->node = node;
        owners.push_back(owner);
        add(node, 0, [=, this](const std::vector<MJet>&, const std::vector<double>& xs) {
            MJet L(space), Q(space);
            for (int i = 0; i < n; ++i) {
                const MJet xi = MJet::variable(space, i, xs[i]);
                L = L + b[i] * xi;
                for (int jj = 0; jj <= i; ++jj)
                    Q = Q + ((i == jj ? 1.0 : 2.0) * q[i * (i + 1) / 2 + jj]) *
                                (xi * MJet::variable(space, jj, xs[jj]));
            }
            double u = 1.0;
            for (int it = 0; it < 60; ++it)
                u -= (u * u * u + 2 * u + u * L.value() - Q.value() - d) / (3 * u * u + 2 + L.value());
            MJet U(space, u);
            for (int it = 0; it < 4; ++it) {
                U.m = absJet(U.v);  // each step's majorant: the magnitudes of that step's terms
                MJet Fj = (U * U * U + 2.0 * U + U * L + (-1.0) * Q).plus(-d);
                MJet Fu = (3.0 * (U * U) + L).plus(2.0);
                U = U + (-1.0) * (Fj * Fu.compose(jet::seriesInverse(Fu.value())));
            }
            return U;
        });
        return true;
    }

    // A pair of implicit functions of two children.
    bool makeVectFunc() {
        const int c0 = child(), c1 = child();
        if (std::fabs(jets[c1].value()) > 8.0 || std::fabs(jets[c0].value()) > 20.0) return false;
        const double cc = uniform(-0.5, 0.5);
        auto owner = std::make_shared<CubicPair>(n, cc);
        owner->tie_v_nodes(items[c0].node, items[c1].node);
        auto* u0 = new XFunc;
        auto* u1 = new XFunc;
        owner->tie_u_nodes(u0, u1);
        owners.push_back(owner);
        const int depth = std::max(items[c0].depth, items[c1].depth) + 1;
        auto recipe = [=, this](int which) {
            return [=, this](const std::vector<MJet>& j, const std::vector<double>&) {
                const MJet& V0 = j[c0];
                const MJet& V1 = j[c1];
                double a0 = 0.5, a1 = 0.5;
                const double v0 = V0.value(), v1 = V1.value();
                for (int it = 0; it < 60; ++it) {
                    const double g0 = a0 * a0 * a0 + 2 * a0 + 0.3 * a1 - v0;
                    const double g1 = a1 * a1 * a1 + 2 * a1 + 0.3 * a0 * v1 - v1 + cc;
                    const double j00 = 3 * a0 * a0 + 2, j01 = 0.3, j10 = 0.3 * v1, j11 = 3 * a1 * a1 + 2;
                    const double det = j00 * j11 - j01 * j10;
                    a0 -= (j11 * g0 - j01 * g1) / det;
                    a1 -= (-j10 * g0 + j00 * g1) / det;
                }
                MJet U0(space, a0), U1(space, a1);
                for (int it = 0; it < 4; ++it) {
                    U0.m = absJet(U0.v);  // each step's majorant: the magnitudes of that step's terms
                    U1.m = absJet(U1.v);
                    MJet G0 = U0 * U0 * U0 + 2.0 * U0 + 0.3 * U1 + (-1.0) * V0;
                    MJet G1 = (U1 * U1 * U1 + 2.0 * U1 + 0.3 * (U0 * V1) + (-1.0) * V1).plus(cc);
                    MJet J00 = (3.0 * (U0 * U0)).plus(2.0), J11 = (3.0 * (U1 * U1)).plus(2.0);
                    MJet J10 = 0.3 * V1;
                    MJet det = J00 * J11 + (-0.3) * J10;
                    MJet inv = det.compose(jet::seriesInverse(det.value()));
                    MJet d0 = (J11 * G0 + (-0.3) * G1) * inv;
                    MJet d1 = ((-1.0) * (J10 * G0) + J00 * G1) * inv;
                    U0 = U0 + (-1.0) * d0;
                    U1 = U1 + (-1.0) * d1;
                }
                return which == 0 ? U0 : U1;
            };
        };
        add(u0, depth, recipe(0));
        add(u1, depth, recipe(1));
        return true;
    }

    MJet rootJet() const {
        MJet r(space, root->scalars.back());
        for (std::size_t t = 0; t < items.size(); ++t) r = r + root->scalars[t] * jets[t];
        return r;
    }

    // Moves to a new point: recomputes every jet.
    void moveTo(const std::vector<double>& xs) {
        x = xs;
        jets.clear();
        for (Item& it : items) jets.push_back(it.recipe(jets, x));
    }

    // The owner's part of one evaluation: marks, variables, error flag, leaves.
    void prepare() {
        root->initialize_the_graph();
        root->set_variable_values(x.data());
        Expression::sError = 0;
        for (std::size_t t = 0; t < items.size(); ++t) {
            if (!items[t].leaf) continue;
            Expression& e = *items[t].node;
            const Jet& j = jets[t].v;
            e.value = j.value();
            const auto& vars = items[t].leafVars;
            auto in = [&](const std::vector<int>& tu) {
                for (int v : tu)
                    if (std::find(vars.begin(), vars.end(), v) == vars.end()) return false;
                return true;
            };
            for (int k = 1; k <= 4; ++k)
                for (auto& tu : tuples(n, k))
                    if (in(tu)) entryRef(e, tu) = jetEntry(j, tu);
        }
    }

    int n;
    jet::Space space;
    std::mt19937 rng;
    std::vector<double> x;
    std::vector<Item> items;
    std::vector<MJet> jets;
    Sum* root = nullptr;
    int maxDepth = 4;
    // Objects that own nodes of the graph (implicit functions), released after
    // the nodes.
    std::vector<std::shared_ptr<void>> owners;
};

}  // namespace rg
