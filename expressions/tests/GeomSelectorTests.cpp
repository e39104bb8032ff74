// Power means and piecewise nodes: worked values, odd roots of negative sums,
// branch selection, uncounted children, bad input and printed forms.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "expressions/FVar.h"
#include "expressions/Geom.h"
#include "expressions/KVar.h"
#include "expressions/Product.h"
#include "expressions/Selector.h"
#include "expressions/Sum2.h"
#include "expressions/UnaryNodes.h"
#include "expressions/tests/Capture.h"
#include "expressions/tests/EvaluationPass.h"

namespace {

// The power mean a ((1/n) sum powo(t, p))^(1/p) + c of the given terms, tied
// in one list and sized for nvar variables.
template <class... Term>
void setUpMean(Geom& g, double a, double p, double c, int nvar, Term*... terms) {
    g.number_of_terms(sizeof...(Term));
    g.tie_(terms...);
    g.set_scalars3(a, p, c);
    g.number_of_variables(nvar);
    g.analyze_dependencies();
}

}  // namespace

TEST(Geom, ArithmeticAndCubeRootMeans) {
    // p = 1: the arithmetic mean, whose derivatives are the means of the terms'.
    FVar x0, x1;
    x0.index = 0;
    x1.index = 1;
    Product p;
    p.tie2(x0, x1);
    Square s;
    s.tie1(x1);
    Geom g;
    setUpMean(g, 1.0, 1.0, 0.0, 2, &x0, &p, &s);
    evaluate(g, {2.0, 3.0}, 4);
    EXPECT_DOUBLE_EQ(g.value, (2.0 + 6.0 + 9.0) / 3);
    EXPECT_DOUBLE_EQ(g.d1[0], (1.0 + 3.0) / 3);
    EXPECT_DOUBLE_EQ(g.d1[1], (2.0 + 6.0) / 3);
    EXPECT_DOUBLE_EQ(g.d2[1][0], 1.0 / 3);
    EXPECT_DOUBLE_EQ(g.d2[1][1], 2.0 / 3);
    EXPECT_NEAR(g.d3[1][1][1], 0.0, 1e-15);
    evaluate(g, {2.0, 3.0}, 2, 1);
    EXPECT_DOUBLE_EQ(g.d2[1][1], 2.0 / 3);

    // p = 1/3 over (8, 8, 1), a term tied twice: ((2 + 2 + 1)/3)^3.
    KVar eight, one;
    eight.set_scalars1(8.0);
    one.set_scalars1(1.0);
    Geom c;
    c.number_of_terms(3);
    c.tiei(0, eight);
    c.tieip(1, &eight);
    c.tieip(2, &one);
    c.set_scalars3(1.0, 1.0 / 3.0, 0.0);
    c.number_of_variables(2);
    c.analyze_dependencies();
    for (int order = 0; order <= 4; ++order) {
        evaluate(c, {0, 0}, order);
        EXPECT_NEAR(c.value, 125.0 / 27.0, 1e-14) << order;
    }
    EXPECT_EQ(eight.refcount, 0);  // the links are not counted

    // A term of -8 contributes -2 to the inner sum: (-2 + 3)/2 cubed.
    KVar m8, p27;
    m8.set_scalars1(-8.0);
    p27.set_scalars1(27.0);
    Geom n;
    setUpMean(n, 2.0, 1.0 / 3.0, 0.5, 1, &m8, &p27);
    evaluate(n, {0}, 2);
    EXPECT_NEAR(n.value, 2.0 * 0.125 + 0.5, 1e-14);
}

// The inner sum of two negative terms is negative: every path takes the odd
// root, so the value is the same whatever order is asked and the derivatives
// are finite.
TEST(Geom, NegativeInnerSumTakesTheOddRoot) {
    FVar x;
    x.index = 0;
    x.set_scalars2(-1.0, 0.0);  // -x
    Geom g;
    setUpMean(g, 1.0, 1.0 / 3.0, 0.0, 1, &x, &x);
    // G = ((2 (-x)^(1/3)) / 2)^3 = -x: every derivative is that of -x.
    for (int order = 0; order <= 4; ++order) {
        evaluate(g, {8.0}, order);
        EXPECT_NEAR(g.value, -8.0, 1e-13) << order;
        if (order >= 1) {
            EXPECT_NEAR(g.d1[0], -1.0, 1e-13);
        }
        if (order >= 2) {
            EXPECT_NEAR(g.d2[0][0], 0.0, 1e-13);
        }
        evaluate(g, {8.0}, order, 0);
        EXPECT_NEAR(g.value, -8.0, 1e-13) << order;
        if (order >= 3) {
            EXPECT_NEAR(g.d3[0][0][0], 0.0, 1e-13);
        }
    }
}

TEST(Geom, UncountedTermsMissingSlotsAndPrinting) {
    auto* t0 = new KVar;  // created separately, yet never released by Geom
    KVar t2;
    t0->setName("g");
    t2.setName("h");
    {
        Geom g;
        g.setName("G");
        g.number_of_terms(3);
        g.tieip(0, t0);
        g.tieip(2, &t2);
        testing::internal::CaptureStderr();
        g.tieip(3, &t2);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err, "Error : term 3 is outside the 3 terms of G.\n");
        EXPECT_EQ(captureStream([&](FILE* f) { g.check_pointers(f); }),
                  "Error : \"G\" (1) is not linked to another expression.\n");
        g.number_of_variables(1);
        g.analyze_dependencies();
        g.set_scalars3(1, 1, 0);
        testing::internal::CaptureStderr();
        evaluate(g, {0}, 2);
        err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err, "Error : \"G\" is not linked to another expression.\n");
        EXPECT_EQ(g.value, 0.0);
        g.tieip(1, &t2);
        Expression::sMargin = 0;
        g.initialize_the_graph();
        const std::string once = captureStream([&](FILE* f) { g.printFormulas(f); });
        EXPECT_EQ(once.rfind("Child 0 g\nChild 1 h\nChild 2 h\n", 0), 0u) << once;
        EXPECT_NE(once.find("g = 0\n"), std::string::npos);
        EXPECT_EQ(captureStream([&](FILE* f) { g.printFormulas(f); }), "");  // visited
        EXPECT_EQ(Expression::sMargin, 0);
        EXPECT_EQ(g.findByName("h"), &t2);
    }
    EXPECT_EQ(t0->refcount, 0);  // still alive: Geom released nothing
    delete t0;
}

TEST(Selector, BranchesConditionAndFlags) {
    FVar c, a, b;
    c.index = 0;  // the condition depends on x0 only
    a.index = 1;
    b.index = 2;
    Square ua;  // u = x1^2
    ua.tie1(a);
    Cube vb;  // v = x2^3
    vb.tie1(b);
    Selector s;
    s.setName("S");
    s.tie3(c, ua, vb);
    s.number_of_variables(3);
    s.analyze_dependencies();
    EXPECT_FALSE(s.isDependent(0));
    EXPECT_TRUE(s.isDependent(1));
    EXPECT_TRUE(s.isDependent(2));
    EXPECT_EQ(ua.refcount, 0);  // the selector does not count its links
    EXPECT_EQ(a.refcount, 1);

    evaluate(s, {-1.0, 3.0, 2.0}, 4);
    EXPECT_EQ(s.value, 9.0);
    EXPECT_EQ(s.d1[1], 6.0);
    EXPECT_EQ(s.d2[1][1], 2.0);
    EXPECT_EQ(s.d1[0], 0.0);
    EXPECT_EQ(s.d1[2], 0.0);
    EXPECT_FALSE(vb.calculated);  // the other branch is not evaluated

    evaluate(s, {0.0, 3.0, 2.0}, 4);
    EXPECT_EQ(s.value, 8.0);
    EXPECT_EQ(s.d1[2], 12.0);
    EXPECT_EQ(s.d3[2][2][2], 6.0);
    EXPECT_EQ(s.d1[1], 0.0);
    EXPECT_FALSE(ua.calculated);

    evaluate(s, {std::numeric_limits<double>::quiet_NaN(), 3.0, 2.0}, 2);
    EXPECT_EQ(s.value, 8.0);
    evaluate(s, {-2.0, 3.0, 2.0}, 3, 1);
    EXPECT_EQ(s.value, 9.0);
    EXPECT_EQ(s.d2[1][1], 2.0);

    Expression::sMargin = 0;
    EXPECT_EQ(captureStream([&](FILE* f) { s.printFormula(f); }), "S = ( noname < 0 ) ? noname : noname \n");
    ua.setName("u");
    EXPECT_EQ(s.findByName("u"), &ua);
    c.setName("x");
    EXPECT_EQ(s.findByName("x"), nullptr);  // the condition is not searched
}

TEST(Selector, MissingChildrenAreReported) {
    Selector s;
    EXPECT_EQ(captureStream([&](FILE* f) { s.check_pointers(f); }),
              "Error : \"noname\" (x) is not linked to another expression.\n"
              "Error : \"noname\" (u) is not linked to another expression.\n"
              "Error : \"noname\" (v) is not linked to another expression.\n");
    testing::internal::CaptureStderr();
    s.number_of_variables(2);
    s.analyze_dependencies();
    s.calculate(2);
    s.calculate(2, 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Error : \"noname\" is not linked.\n"
              "Error : \"noname\" is not linked.\n"
              "Error : \"noname\" is not linked.\n"
              "Error : \"noname\" is is not linked to another expression.\n"
              "Error : \"noname\" is is not linked to another expression.\n");
    EXPECT_EQ(s.value, 0.0);
    // Destroying a selector leaves its children with their counts.
    auto* k = new KVar;
    {
        Selector t;
        t.tie3(*k, *k, *k);
    }
    EXPECT_EQ(k->refcount, 0);
    delete k;
}
