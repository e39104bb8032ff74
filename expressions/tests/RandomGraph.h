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
#include <random>
#include <string>
#include <vector>

#include "expressions/Division.h"
#include "expressions/Expression.h"
#include "expressions/FVar.h"
#include "expressions/KVar.h"
#include "expressions/Leaf.h"
#include "expressions/LineaX.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "expressions/UnaryNodes.h"
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
    kSums = kSum1 | kSum2 | kSum,
    kUnary = kSquare | kCube | kInverse | kInverse2 | kExponential | kLogarithm | kPower | kPowo,
    kLinear = kLineaX | kLineaX2 | kLineaX3,
    kAll = kSums | kUnary | kProduct | kDivision | kLinear,
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
            bool ok = makeSum(kind) || makeOther(kind) || (extra && extra(*this, kind));
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
};

}  // namespace rg
