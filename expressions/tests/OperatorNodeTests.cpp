// Worked values, domains, error flags and printed forms of the unary
// operator nodes, Product and Division.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "expressions/Division.h"
#include "expressions/FVar.h"
#include "expressions/KVar.h"
#include "expressions/Product.h"
#include "expressions/Sum2.h"
#include "expressions/UnaryNodes.h"
#include "expressions/tests/Capture.h"
#include "expressions/tests/EvaluationPass.h"

namespace {

// A graph over three variables whose child u = x0 * x1 + x2 has all kinds of
// derivatives; evaluate() runs one pass at the point.
struct Bench3 {
    FVar x0, x1, x2;
    Product p;
    Sum2 u;
    double x[3] = {0.7, 1.3, 0.4};

    Bench3() {
        x0.index = 0;
        x1.index = 1;
        x2.index = 2;
        p.tie2(x0, x1);
        u.tie2(p, x2);
        u.setName("u");
    }
    void size(Expression& root) {
        root.number_of_variables(3);
        root.analyze_dependencies();
    }
    void evaluate(Expression& root, int order, int var = -1) { evaluateAt(root, x, order, var); }
};

}  // namespace

TEST(UnaryNodes, WorkedValues) {
    Bench3 b;
    Cube c;
    c.tie1(b.u);
    c.set_scalars1(2);
    b.size(c);
    b.x[0] = 2.0;
    b.x[1] = 1.0;
    b.x[2] = 1.0;  // u = 3
    b.evaluate(c, 4);
    EXPECT_DOUBLE_EQ(c.value, 54.0);
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(c.d1[i], 2 * 3 * 9 * b.u.d1[i]);
    b.evaluate(c, 4, 1);
    EXPECT_DOUBLE_EQ(c.value, 54.0);

    // The square of a constant has zero derivatives.
    KVar k;
    k.set_scalars1(1.5);
    Square s;
    s.tie1(k);
    s.set_scalars1(3);
    s.number_of_variables(2);
    s.analyze_dependencies();
    s.calculate(4);
    EXPECT_DOUBLE_EQ(s.value, 3 * 2.25);
    EXPECT_EQ(s.d1[0], 0.0);
    EXPECT_EQ(s.d4[1][1][0][0], 0.0);

    EXPECT_DOUBLE_EQ(powo(-8, 1.0 / 3.0), -2.0);
    EXPECT_DOUBLE_EQ(powe(-8, 1.0 / 3.0), 2.0);
    EXPECT_EQ(powo(0, 2.5), std::pow(0.0, 2.5));
    EXPECT_EQ(powe(0, -1.0), std::pow(0.0, -1.0));
    EXPECT_TRUE(std::isnan(powo(std::nan(""), 2.0)));
}

TEST(UnaryNodes, PowerMatchesSquareAndInverse) {
    Bench3 b;
    Power pw2, pwm1;
    Square sq;
    Inverse inv;
    pw2.tie1(b.u);
    pw2.set_scalars3(1.5, 2.0, 0.0);
    sq.tie1(b.u);
    sq.set_scalars1(1.5);
    pwm1.tie1(b.u);
    pwm1.set_scalars3(1.5, -1.0, 0.0);
    inv.tie1(b.u);
    inv.set_scalars1(1.5);
    Sum2 r1, r2;
    r1.tie2(pw2, sq);
    r2.tie2(pwm1, inv);
    Sum2 root;
    root.tie2(r1, r2);
    b.size(root);
    for (int var = -1; var < 3; ++var) {
        b.evaluate(root, 4, var);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j <= i; ++j)
                for (int k = 0; k <= j; ++k)
                    for (int l = 0; l <= k; ++l) {
                        EXPECT_NEAR(pw2.d4[i][j][k][l], sq.d4[i][j][k][l], 1e-12);
                        EXPECT_NEAR(pwm1.d4[i][j][k][l], inv.d4[i][j][k][l], 1e-11);
                        EXPECT_NEAR(pwm1.d3[i][j][k], inv.d3[i][j][k], 1e-11);
                    }
        EXPECT_NEAR(pwm1.value, inv.value, 1e-14);
    }
}

TEST(UnaryNodes, PowerAtZeroAgreesInBothEvaluations) {
    // u = x0 - 1 is 0 at x0 = 1: the one-variable form must give d2 = 2a u'^2.
    FVar u;
    u.index = 0;
    u.set_scalars2(2.0, -2.0);
    Power p;
    p.tie1(u);
    p.set_scalars3(1.5, 2.0, 0.0);
    p.number_of_variables(2);
    p.analyze_dependencies();
    double x[2] = {1.0, 0.0};
    p.initialize_the_graph();
    p.set_variable_values(x);
    p.calculate(4);
    const double full1 = p.d1[0], full2 = p.d2[0][0];
    EXPECT_EQ(full1, 0.0);
    EXPECT_DOUBLE_EQ(full2, 2 * 1.5 * 2.0 * 2.0);
    p.d2[0][0] = -1;
    p.initialize_the_graph();
    p.calculate(4, 0);
    EXPECT_EQ(p.d1[0], full1);
    EXPECT_DOUBLE_EQ(p.d2[0][0], full2);
    EXPECT_EQ(p.d3[0][0][0], 0.0);
    EXPECT_EQ(p.value, 0.0);
}

TEST(UnaryNodes, LogarithmOutsideItsDomainSetsTheErrorFlag) {
    FVar u;
    u.index = 0;
    Logarithm l;
    l.tie1(u);
    l.set_scalars3(2.0, 1.0, 0.5);
    l.number_of_variables(1);
    l.analyze_dependencies();
    double x = -0.5;
    for (int var : {-1, 0}) {
        evaluateAt(l, &x, 3, var);
        EXPECT_EQ(Expression::sError, 0);
        EXPECT_DOUBLE_EQ(l.value, 2 * std::log(0.5) + 0.5);
        EXPECT_DOUBLE_EQ(l.d2[0][0], -2.0 / 0.25);
    }
    x = -1.0;
    for (int var : {-1, 0}) {
        const double before = l.value;
        evaluateAt(l, &x, 3, var);
        EXPECT_EQ(Expression::sError, 1);
        EXPECT_TRUE(l.calculated);
        EXPECT_EQ(l.value, before);
    }
    Expression::sError = 0;
}

TEST(UnaryNodes, InversesOfZeroSetTheErrorFlag) {
    FVar u;
    u.index = 0;
    Inverse inv;
    inv.tie1(u);
    Inverse2 inv2;
    inv2.tie1(u);
    Sum2 root;
    root.tie2(inv, inv2);
    root.number_of_variables(1);
    root.analyze_dependencies();
    double x = 0.0;
    evaluateAt(root, &x, 2);
    EXPECT_EQ(Expression::sError, 1);
    EXPECT_TRUE(std::isinf(inv.value));
    x = 2.0;
    evaluateAt(root, &x, 2);
    EXPECT_EQ(Expression::sError, 0);
    EXPECT_DOUBLE_EQ(root.value, 0.5 + 0.25);

    testing::internal::CaptureStderr();
    inv2.setName("i2");
    inv2.set_scalars1(3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error : \"set_scalars1 (double)\" is not implemented for i2\n");
    EXPECT_EQ(inv2.a, 1.0);
}

TEST(UnaryNodes, ClearedFlagsAndPassMarks) {
    // A node over x0 only keeps zeros at every entry of x1.
    FVar u;
    u.index = 0;
    Exponential e;
    e.tie1(u);
    e.set_scalars3(0.5, 2.0, -1.0);
    e.number_of_variables(2);
    e.analyze_dependencies();
    double x[2] = {0.3, 9.0};
    e.set_variable_values(x);
    e.calculate(4);
    EXPECT_DOUBLE_EQ(e.value, 0.5 + 2.0 * std::exp(-0.3));
    EXPECT_DOUBLE_EQ(e.d4[0][0][0][0], 2.0 * std::exp(-0.3));
    EXPECT_EQ(e.d1[1], 0.0);
    EXPECT_EQ(e.d2[1][0], 0.0);
    EXPECT_EQ(e.d4[1][0][0][0], 0.0);
    // A second calculate before the marks are cleared leaves the child alone.
    u.x = 5.0;
    u.calculated = false;
    e.calculate(4);
    EXPECT_FALSE(u.calculated);
}

TEST(UnaryNodes, PrintedForms) {
    FVar t;
    t.setName("T");
    auto line = [&](UnOp& n) {
        n.setName("E");
        n.tie1(t);
        return captureStream([&](FILE* f) { n.printFormula(f); });
    };
    Exponential e;
    e.set_scalars3(0, -1, -1);
    EXPECT_EQ(line(e), "E = - exp ( - T ) \n");
    Exponential e2;
    e2.set_scalars3(1.5, 2, 3);
    EXPECT_EQ(line(e2), "E = 1.5 + 2 exp ( 3 * T ) \n");
    Exponential e3;
    e3.set_scalars3(0, 1, 1);
    EXPECT_EQ(line(e3), "E =  exp ( T ) \n");
    Square s;
    EXPECT_EQ(line(s), "E = T^2\n");
    Cube c;
    c.set_scalars1(2);
    EXPECT_EQ(line(c), "E = 2 * T^3\n");
    Inverse i;
    EXPECT_EQ(line(i), "E = 1 / T\n");
    Inverse2 i2;
    EXPECT_EQ(line(i2), "E = 1 / T^2\n");
    Power p;
    p.set_scalars3(2, 0.5, -1);
    EXPECT_EQ(line(p), "E = 2 * T^0.5 + -1\n");
    Powo po;
    po.set_scalars3(1, 3, 0);
    EXPECT_EQ(line(po), "E = T^3 \n");
    Logarithm l;
    l.set_scalars3(-1, 2, -0.5);
    EXPECT_EQ(line(l), "E = - ln ( T + 2 )  - 0.5\n");
    Logarithm l2;
    l2.set_scalars3(3, 0, 1);
    EXPECT_EQ(line(l2), "E = 3 * ln ( T )  + 1\n");
    EXPECT_STREQ(e.getType(), "Exponential");
    EXPECT_STREQ(l.getType(), "logarithm");
    EXPECT_STREQ(po.getType(), "powo");
}

TEST(ProductDivision, WorkedValues) {
    Bench3 b;
    KVar two, five;  // children before the node that links them
    Product p;
    two.set_scalars1(2);
    five.set_scalars1(5);
    p.tie2(two, five);
    p.set_scalars1(3);
    p.number_of_variables(3);
    p.analyze_dependencies();
    p.calculate(4);
    EXPECT_EQ(p.value, 30.0);

    // The product of a node with itself is its square, the child evaluated once.
    Product pp;
    pp.tie2(b.u, b.u);
    pp.set_scalars1(1.5);
    Square sq;
    sq.tie1(b.u);
    sq.set_scalars1(1.5);
    Sum2 root;
    root.tie2(pp, sq);
    b.size(root);
    b.evaluate(root, 4);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= j; ++k)
                for (int l = 0; l <= k; ++l) EXPECT_NEAR(pp.d4[i][j][k][l], sq.d4[i][j][k][l], 1e-13);
    EXPECT_EQ(b.u.refcount, 3);
}

TEST(ProductDivision, ZeroDenominators) {
    FVar u, v;
    u.index = 0;
    v.index = 1;
    Sum2 uu;  // u + 0 so that u has derivatives
    uu.tie2(u, v);
    uu.set_scalars3(1, 0, 0);
    Division d;
    d.setName("q");
    d.tie2(uu, v);
    d.number_of_variables(2);
    d.analyze_dependencies();
    double x[2] = {0.0, 0.0};
    d.d1[0] = d.d2[1][0] = 7;
    d.set_variable_values(x);
    Expression::sError = 0;
    d.calculate(2);
    EXPECT_EQ(d.value, 0.0);  // 0/0
    EXPECT_EQ(d.d1[0], 0.0);
    EXPECT_EQ(d.d2[1][0], 0.0);
    EXPECT_EQ(Expression::sError, 0);

    x[0] = 1.0;
    d.initialize_the_graph();
    d.set_variable_values(x);
    d.calculate(2);
    EXPECT_TRUE(std::isinf(d.value));
    EXPECT_EQ(Expression::sError, 1);
    Expression::sError = 0;
    d.initialize_the_graph();
    d.calculate(2, 1);
    EXPECT_TRUE(std::isinf(d.value));
    EXPECT_EQ(Expression::sError, 1);
    Expression::sError = 0;

    EXPECT_EQ(captureStream([&](FILE* f) { d.printFormula(f); }), "q = noname / noname\n");
    d.set_scalars1(2);
    u.setName("a");
    uu.setName("b");
    v.setName("c");
    EXPECT_EQ(captureStream([&](FILE* f) { d.printFormula(f); }), "q = 2 * b / c\n");
    Product p;
    p.setName("p");
    p.tie2(u, v);
    EXPECT_EQ(captureStream([&](FILE* f) { p.printFormula(f); }), "p = a * c\n");
}

TEST(UnaryNodes, PowerValuesAgreeWithPow) {
    // Integer and half-integer exponents take their own path; compare with pow.
    FVar u;
    u.index = 0;
    Power p;
    p.tie1(u);
    p.number_of_variables(1);
    p.analyze_dependencies();
    for (double x : {1e-8, 1e-3, 0.7, 1.0, 3.5, 1e6, -0.5, -2.0})
        for (double e : {-40.0, -7.5, -2.5, -1.0, 0.0, 0.5, 1.0, 2.0, 3.5, 12.0, 40.0, 0.3, 64.0, 70.0}) {
            p.set_scalars3(1.0, e, 0.0);
            p.initialize_the_graph();
            p.set_variable_values(&x);
            p.calculate(1);
            const double ref = std::pow(x, e);
            if (std::isnan(ref) || std::isinf(ref) || std::fabs(ref) < 1e-290) {
                EXPECT_TRUE(std::isnan(p.value) == std::isnan(ref)) << x << " ^ " << e;
                continue;
            }
            EXPECT_NEAR(p.value / ref, 1.0, 1e-13) << x << " ^ " << e;
            if (e == 0.0)
                EXPECT_EQ(p.d1[0], 0.0);
            else
                EXPECT_NEAR(p.d1[0] / (e * std::pow(x, e - 1.0)), 1.0, 1e-13) << x << " ^ " << e;
        }
}
