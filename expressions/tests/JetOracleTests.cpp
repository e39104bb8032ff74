// Random graphs checked against the jet oracle: value and every derivative to
// the fourth order, in the full and the one-variable evaluation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "expressions/Cube.h"
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/tests/CompiledEvaluation.h"
#include "expressions/tests/RandomGraph.h"

namespace {

// Evaluates the graph at several points and orders and compares every node.
void checkGraph(rg::Graph& g) {
    std::vector<double> base = g.x;
    for (int point = 0; point < 3; ++point) {
        std::vector<double> xs = base;
        for (double& v : xs) v *= 1.0 + 0.005 * point * g.uniform(-1, 1);
        g.moveTo(xs);
        for (int order = 4; order >= 0; --order) {
            g.prepare();
            g.root->calculate(order);
            ASSERT_EQ(Expression::sError, 0);
            for (std::size_t t = 0; t < g.items.size(); ++t)
                ASSERT_TRUE(rg::matchesFull(*g.items[t].node, g.jets[t], order)) << "node " << t << " order " << order;
            ASSERT_TRUE(rg::matchesFull(*g.root, g.rootJet(), order));
        }
        for (int var = 0; var < g.n; ++var)
            for (int order = 0; order <= 4; ++order) {
                g.prepare();
                g.root->calculate(order, var);
                ASSERT_EQ(Expression::sError, 0);
                for (std::size_t t = 0; t < g.items.size(); ++t)
                    ASSERT_TRUE(rg::matchesVar(*g.items[t].node, g.jets[t], var, order))
                        << "node " << t << " var " << var << " order " << order;
                ASSERT_TRUE(rg::matchesVar(*g.root, g.rootJet(), var, order));
            }
    }
}

}  // namespace

TEST(JetOracle, RandomSumsOfLeavesAndVariables) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        int n = 3 + static_cast<int>(seed % 4);  // 3 to 6 variables
        rg::Graph g(n, seed);
        g.build(rg::kSums, 25);
        SCOPED_TRACE("seed " + std::to_string(seed));
        checkGraph(g);
        if (HasFatalFailure()) return;
    }
}

TEST(JetOracle, DependencyFlagsFollowTheLeaves) {
    for (unsigned seed = 100; seed < 110; ++seed) {
        rg::Graph g(5, seed);
        g.build(rg::kSums, 20);
        // A node depends on a variable exactly when its oracle has a nonzero
        // first derivative there, or could have one (the flags are structural).
        g.prepare();
        g.root->calculate(4);
        for (std::size_t t = 0; t < g.items.size(); ++t) {
            Expression* e = g.items[t].node;
            for (int v = 0; v < g.n; ++v)
                if (!e->isDependent(v)) {
                    EXPECT_EQ(e->d1[v], 0.0);
                    for (int w = 0; w < g.n; ++w) EXPECT_EQ(e->deriv({v, w}), 0.0);
                    EXPECT_EQ(g.jets[t].v.deriv({v}), 0.0);
                }
        }
    }
}

TEST(JetOracle, RandomGraphsOfEveryNodeKind) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        int n = 3 + static_cast<int>(seed % 3);  // 3 to 5 variables
        rg::Graph g(n, 1000 + seed);
        g.build(rg::kAll, 30);
        SCOPED_TRACE("seed " + std::to_string(seed));
        checkGraph(g);
        if (HasFatalFailure()) return;
    }
}

TEST(JetOracle, EachNodeKindAlone) {
    const unsigned kinds[] = {rg::kSquare,  rg::kCube,     rg::kInverse, rg::kInverse2, rg::kExponential,
                              rg::kLogarithm, rg::kPower,  rg::kPowo,    rg::kProduct,  rg::kDivision,
                              rg::kLineaX,  rg::kLineaX2,  rg::kLineaX3};
    for (unsigned kind : kinds)
        for (unsigned seed = 1; seed <= 6; ++seed) {
            rg::Graph g(3 + static_cast<int>(seed % 3), 77 * seed + kind);
            // The kind under test over sums of the variables and leaves.
            g.build(kind | rg::kSum2, 16);
            SCOPED_TRACE("kind " + std::to_string(kind) + " seed " + std::to_string(seed));
            checkGraph(g);
            if (HasFatalFailure()) return;
        }
}

TEST(JetOracle, PowerMeansSelectorsMixingSumsAndImplicitFunctionsAlone) {
    const unsigned kinds[] = {rg::kGeom,  rg::kSelector, rg::kSumX2,    rg::kSumX3,
                              rg::kSumX4, rg::kSumX5,    rg::kMonoFunc, rg::kVectFunc};
    for (unsigned kind : kinds)
        for (unsigned seed = 1; seed <= 6; ++seed) {
            rg::Graph g(3 + static_cast<int>(seed % 3), 91 * seed + kind);
            // The kind under test over products and sums of the variables and
            // leaves, so that its children carry every kind of derivative.
            g.build(kind | rg::kSum2 | rg::kProduct, 14);
            SCOPED_TRACE("kind " + std::to_string(kind) + " seed " + std::to_string(seed));
            checkGraph(g);
            if (HasFatalFailure()) return;
        }
}

TEST(JetOracle, NewNodesNestedInEachOther) {
    std::map<std::string, int> seen;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        rg::Graph g(3 + static_cast<int>(seed % 3), 5000 + seed);
        g.build(rg::kMixing | rg::kGeom | rg::kSelector | rg::kImplicit | rg::kProduct | rg::kSum, 24);
        for (auto& it : g.items) ++seen[it.node->getType()];
        SCOPED_TRACE("seed " + std::to_string(seed));
        checkGraph(g);
        if (HasFatalFailure()) return;
    }
    // Every new class took part (SumX5 reports the type of its base).
    for (const char* type : {"Geom", "Selector", "SumX2", "SumX3", "SumX4", "SumF", "Function", "XFunc"})
        EXPECT_GE(seen[type], 2) << type;
}

namespace {

// Every node's value and entries to the order: what one pass left in the graph.
std::vector<double> snapshot(rg::Graph& g, int order) {
    std::vector<double> out;
    auto take = [&](const Expression& e) {
        out.push_back(e.value);
        for (int k = 1; k <= order; ++k)
            for (const auto& t : rg::tuples(g.n, k)) out.push_back(rg::entry(e, t));
    };
    for (const rg::Item& it : g.items) take(*it.node);
    take(*g.root);
    return out;
}

// One evaluation from the root, compiled or walked node by node.
std::vector<double> evaluated(rg::Graph& g, bool compiled, int order, int var) {
    {
        const CompiledEvaluation mode(compiled);
        g.prepare();
        if (var < 0)
            g.root->calculate(order);
        else
            g.root->calculate(order, var);
    }
    return snapshot(g, std::min(order, 4));
}

// The first place where two snapshots differ (== of doubles: an exact zero
// may differ in its sign), or none.
::testing::AssertionResult same(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return ::testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size();
    for (std::size_t k = 0; k < a.size(); ++k)
        if (!(a[k] == b[k]) && !(std::isnan(a[k]) && std::isnan(b[k])))
            return ::testing::AssertionFailure() << "entry " << k << ": " << a[k] << " and " << b[k] << " (difference "
                                                 << a[k] - b[k] << ")";
    return ::testing::AssertionSuccess();
}

}  // namespace

// The compiled evaluation gives what the node-by-node walk gives, to the bit
// (an exact zero may differ in its sign): full passes and passes in one
// variable, the entries of a pass of order 2 with the products rounding as at
// the higher orders against those of a pass of order 3, and the passes of a
// hold on one variable (the others' nodes kept, most passes deferred) against
// fresh walks at each point, the nodes' storage when the hold ends included.
TEST(JetOracle, CompiledPassesGiveWhatTheWalkGives) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const int n = 2 + static_cast<int>(seed % 3);
        rg::Graph g(n, 3000 + seed);
        // Implicit functions left out: their searches start where the last
        // one ended, so two evaluations in a row may end an ulp apart.
        g.build(seed % 2 ? rg::kAll & ~rg::kImplicit : rg::kSums | rg::kUnary | rg::kProduct | rg::kDivision, 30);
        SCOPED_TRACE("seed " + std::to_string(seed));
        for (int order = 0; order <= 4; ++order) {
            ASSERT_TRUE(same(evaluated(g, false, order, -1), evaluated(g, true, order, -1))) << "order " << order;
            for (int var = 0; var < n && order >= 1; ++var)
                ASSERT_TRUE(same(evaluated(g, false, order, var), evaluated(g, true, order, var)))
                    << "order " << order << " var " << var;
        }
        {
            const std::vector<double> third = evaluated(g, true, 3, -1);
            const Expression::HigherOrderProducts rounding;
            const std::vector<double> second = evaluated(g, true, 2, -1), walked = evaluated(g, false, 2, -1);
            ASSERT_TRUE(same(second, walked));
            // The entries of order 0 to 2 come first for each node in both.
            const std::size_t per2 = second.size() / (g.items.size() + 1), per3 = third.size() / (g.items.size() + 1);
            for (std::size_t node = 0; node <= g.items.size(); ++node)
                for (std::size_t k = 0; k < per2; ++k)
                    ASSERT_EQ(second[node * per2 + k], third[node * per3 + k]) << "node " << node << " entry " << k;
        }
        // A hold on the last variable: the root at moved points, each against
        // a walk there afterwards, and every node when the hold ends.
        const int var = n - 1;
        const std::vector<double> base = g.x;
        auto at = [&](int step) {
            std::vector<double> xs = base;
            xs[var] *= 1.0 + 0.01 * step;
            g.moveTo(xs);
        };
        auto rootEntries = [&]() {
            return std::vector<double>{g.root->value, g.root->d1[var], rg::entry(*g.root, {var, var})};
        };
        std::vector<std::vector<double>> held;
        g.root->holdAllBut(var);
        for (int step = 0; step < 5; ++step) {
            at(step);
            g.prepare();
            g.root->calculate(2, var);
            ASSERT_EQ(Expression::sError, 0);
            held.push_back(rootEntries());
        }
        g.root->endHold();
        const std::vector<double> kept = snapshot(g, 2);
        ASSERT_TRUE(same(kept, evaluated(g, false, 2, var)));
        for (int step = 0; step < 5; ++step) {
            at(step);
            evaluated(g, false, 2, var);
            ASSERT_TRUE(same(held[step], rootEntries())) << "step " << step;
        }
        // Full passes under a hold, each order twice, rising (the nodes free
        // of the variable computed again where they lack the order asked
        // for, kept where they hold it), every node against a walk at the
        // point.  (After a higher order they would hold its products'
        // rounding, so a hold keeps to passes of one kind.)
        const int orders[] = {0, 1, 1, 2, 2, 3, 3, 4, 4};
        std::vector<std::vector<double>> full;
        g.root->holdAllBut(var);
        for (int step = 0; step < 9; ++step) {
            at(step % 3);
            full.push_back(evaluated(g, true, orders[step], -1));
        }
        g.root->endHold();
        for (int step = 0; step < 9; ++step) {
            at(step % 3);
            ASSERT_TRUE(same(full[step], evaluated(g, false, orders[step], -1))) << "full pass " << step;
        }
        g.moveTo(base);
    }
}

// Holds of a graph of leaves and operators with kernels (whose passes are all
// deferred), one after another at the same leaves free of the held variable,
// then after a changed scalar of a node free of it and after a changed leaf:
// every hold gives, at each point and in every node when it ends, what the
// walk gives there.
TEST(JetOracle, HoldsAtTheSameFreeLeavesGiveWhatTheWalkGives) {
    Leaf x, y;  // x on variable 1 (held), y on variable 0
    Sum1 ya;
    Exponential ey;
    Square x2;
    Cube y3;
    Product p1, p2, p3, p4;
    ya.tie1(y);
    ya.set_scalars2(1.3, 0.2);
    ey.tie1(ya);
    ey.set_scalars3(0.1, 0.7, -0.4);
    x2.tie1(x);
    y3.tie1(ya);
    p1.tie2(x2, ya);  // one factor free of x
    p2.tie2(x, ey);
    p3.tie2(y3, x2);
    p4.tie2(p1, p2);  // both factors on x
    auto* root = new Sum;
    root->number_of_terms(4);
    root->tie_(&p1, &p2, &p3, &p4);
    root->set_scalars_(1.0, -0.5, 0.25, 2.0, 0.1);
    root->number_of_variables(2);
    x.flags[0] = 0;
    y.flags[1] = 0;
    root->analyze_dependencies();
    double yv = 0.8;
    auto point = [&](double xv) {
        double v[2] = {yv, xv};
        root->initialize_the_graph();
        root->set_variable_values(v);
        y.value = yv;
        y.d1[0] = 1.0;
        x.value = xv;
        x.d1[1] = 1.0;
    };
    std::vector<Expression*> nodes = {&ya, &ey, &x2, &y3, &p1, &p2, &p3, &p4, root};
    auto entries = [&](const Expression& e) { return std::vector<double>{e.value, e.d1[1], e.d2[1][1]}; };
    const double xs[] = {0.9, 1.1, 1.25};
    for (int hold = 0; hold < 4; ++hold) {
        SCOPED_TRACE("hold " + std::to_string(hold));
        if (hold == 2) ya.set_scalars2(1.6, 0.2);
        if (hold == 3) yv = 0.85;
        std::vector<std::vector<double>> held;
        for (int again = 0; again < 2; ++again) {  // the second right after the first
            held.clear();
            root->holdAllBut(1);
            for (double xv : xs) {
                point(xv);
                root->calculate(2, 1);
                held.push_back(entries(*root));
            }
            root->endHold();
        }
        std::vector<std::vector<double>> kept;
        for (Expression* e : nodes) kept.push_back(entries(*e));
        const CompiledEvaluation walked(false);
        for (std::size_t k = 0; k < std::size(xs); ++k) {
            point(xs[k]);
            root->calculate(2, 1);
            EXPECT_EQ(held[k], entries(*root)) << xs[k];
        }
        for (std::size_t k = 0; k < nodes.size(); ++k) EXPECT_EQ(kept[k], entries(*nodes[k])) << k;
    }
    delete root;
}
