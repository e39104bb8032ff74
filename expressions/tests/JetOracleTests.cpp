// Random graphs checked against the jet oracle: value and every derivative to
// the fourth order, in the full and the one-variable evaluation.
#include <gtest/gtest.h>

#include <map>
#include <string>

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
