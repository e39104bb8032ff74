// Evaluation allocates nothing once each kind of pass has run: every global
// operator new of this test program is counted, and a graph evaluated again
// at every order, in full and for one variable, must leave the count
// unchanged.  (A plan makes the tape of a variable at the first pass in it.)
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "expressions/tests/RandomGraph.h"
#include "platform/tests/CountedAllocations.h"

namespace {
// Every pass the engine offers at x: each order 0..4 in full and along each
// of the graph's four variables.
void evaluateEveryPass(Expression* root, std::vector<double>& x) {
    for (int order = 0; order <= 4; ++order) {
        root->initialize_the_graph();
        root->set_variable_values(x.data());
        root->calculate(order);
        for (int v = 0; v < 4; ++v) {
            root->initialize_the_graph();
            root->set_variable_values(x.data());
            root->calculate(order, v);
        }
    }
}
}  // namespace

TEST(Allocation, EvaluationAllocatesNothing) {
    rg::Graph g(4, 11);
    g.build(rg::kAll, 80);
    g.prepare();  // the leaf writes allocate in the test's own helpers, not in the engine
    Expression* root = g.root;
    std::vector<double> x = g.x;
    // Warm-up evaluation of every kind, then the counted ones.
    evaluateEveryPass(root, x);
    long before = gAllocations;
    for (int rep = 0; rep < 3; ++rep) evaluateEveryPass(root, x);
    EXPECT_EQ(gAllocations - before, 0);
    EXPECT_GT(before, 0);  // the counter is live
}

TEST(Allocation, MixingSumsPowerMeansSelectorsAndImplicitFunctionsAllocateNothing) {
    rg::Graph g(4, 23);
    g.build(rg::kMixing | rg::kGeom | rg::kSelector | rg::kImplicit | rg::kProduct, 40);
    std::set<std::string> types;
    for (auto& it : g.items) types.insert(it.node->getType());
    for (const char* t : {"SumX2", "SumX3", "SumX4", "SumF", "Geom", "Selector", "Function", "XFunc"})
        EXPECT_TRUE(types.count(t)) << t;
    g.prepare();
    Expression* root = g.root;
    std::vector<double> x = g.x;
    evaluateEveryPass(root, x);
    long before = gAllocations;
    evaluateEveryPass(root, x);
    EXPECT_EQ(gAllocations - before, 0);
}
