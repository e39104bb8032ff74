// Implicit functions against closed forms: the real root of y^3 + y - x = 0
// (Cardano) with its derivatives by implicit differentiation, the square root
// as the root of u^2 - x, linear systems whose solution is known; failed
// searches, bad sizes and the checks' output.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "expressions/FVar.h"
#include "expressions/MonoFunc.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "expressions/Sum2.h"
#include "expressions/UnaryNodes.h"
#include "expressions/VectFunc.h"
#include "expressions/tests/Capture.h"
#include "expressions/tests/EvaluationPass.h"

namespace {

// F(u, x) = u^3 + u - s(x), with s = x0 (one variable) or s = x0 x1 (two).
class CardanoMono : public MonoFunc {
public:
    FVar U, X0, X1;
    Product s;
    Cube cube;
    Sum F3;
    double guess = 1.0;

    explicit CardanoMono(int n) : MonoFunc(n) {
        U.index = 0;
        X0.index = 1;
        X1.index = 2;
        cube.tie1(U);
        F3.number_of_terms(3);
        if (n == 1) {
            F3.tie_(&cube, &U, &X0);
        } else {
            s.tie2(X0, X1);
            F3.tie_(&cube, &U, &s);
        }
        F3.set_scalars_(1.0, 1.0, -1.0, 0.0);
        F = &F3;
        F->number_of_variables(n + 1);
        F->analyze_dependencies();
        solver->obj = this;
        solver->fn = toEquationFn<ScalarEquationFn>(&CardanoMono::residual);
        solver->tol = 1e-13;
        solver->itermax = 60;
    }
    double residual(double u, void*) {
        const double f = evaluateF(u, 0);
        node->value = u;
        return f;
    }
    void calculate_u() override {
        solver->x0 = guess;
        solver->x1 = guess + 0.1;
        MonoFunc::calculate_u();  // the residual left the last point, the root, in the node
    }
};

// The real root of y^3 + y = x and its derivatives in x.
struct Cardano {
    double y, y1, y2, y3, y4;
    explicit Cardano(double x) {
        const double r = std::sqrt(x * x / 4 + 1.0 / 27.0);
        y = std::cbrt(x / 2 + r) + std::cbrt(x / 2 - r);
        y1 = 1.0 / (3 * y * y + 1);
        y2 = -6 * y * y1 * y1 * y1;
        y3 = -6 * std::pow(y1, 4) - 18 * y * y1 * y1 * y2;
        y4 = -24 * std::pow(y1, 3) * y2 - 18 * (std::pow(y1, 3) * y2 + 2 * y * y1 * y2 * y2 + y * y1 * y1 * y3);
    }
};

}  // namespace

TEST(MonoFunc, CubicRootAgainstCardanoAndImplicitDerivatives) {
    CardanoMono m(1);
    XFunc0 node;
    node.owner = &m;
    m.node = &node;
    node.number_of_variables(1);
    for (double x : {0.5, 2.0, 10.0, -3.0}) {
        const Cardano c(x);
        const double tol = 1e-13;
        evaluate(node, {x}, 4);
        EXPECT_NEAR(node.value, c.y, tol * (1 + std::fabs(c.y))) << x;
        EXPECT_NEAR(node.d1[0], c.y1, tol) << x;
        EXPECT_NEAR(node.d2[0][0], c.y2, tol) << x;
        EXPECT_NEAR(node.d3[0][0][0], c.y3, tol) << x;
        EXPECT_NEAR(node.d4[0][0][0][0], c.y4, tol) << x;
        // One variable at a time, order by order.
        const double want[5] = {c.y, c.y1, c.y2, c.y3, c.y4};
        for (int order = 1; order <= 4; ++order) {
            evaluate(node, {x}, order, 0);
            const double got[5] = {node.value, node.d1[0], node.d2[0][0], node.d3[0][0][0], node.d4[0][0][0][0]};
            EXPECT_NEAR(got[order], want[order], tol) << x << " order " << order;
        }
    }
}

// u(x0, x1) = y(x0 x1): the mixed derivatives follow from y's, for instance
// u_0011 = y'''' s^2 + 4 y''' s + 2 y'' with s = x0 x1.
TEST(MonoFunc, TwoVariablesMixedDerivatives) {
    CardanoMono m(2);
    XFunc0 node;
    node.owner = &m;
    m.node = &node;
    node.number_of_variables(2);
    const double x0 = 1.3, x1 = 0.8, s = x0 * x1;
    const Cardano c(s);
    evaluate(node, {x0, x1}, 4);
    const double tol = 1e-13;
    EXPECT_NEAR(node.value, c.y, tol);
    EXPECT_NEAR(node.d1[0], c.y1 * x1, tol);
    EXPECT_NEAR(node.d1[1], c.y1 * x0, tol);
    EXPECT_NEAR(node.d2[0][0], c.y2 * x1 * x1, tol);
    EXPECT_NEAR(node.d2[1][0], c.y2 * s + c.y1, tol);
    EXPECT_NEAR(node.d3[1][0][0], c.y3 * x0 * x1 * x1 + 2 * c.y2 * x1, tol);
    EXPECT_NEAR(node.d4[1][1][0][0], c.y4 * s * s + 4 * c.y3 * s + 2 * c.y2, tol);
    EXPECT_NEAR(node.d4[1][1][1][1], c.y4 * std::pow(x0, 4), tol);
    // calculate(0) runs only the root search: the derivatives stay as they were.
    const double before = node.d2[1][0];
    evaluate(node, {2.0, 1.0}, 0);
    EXPECT_NEAR(node.value, Cardano(2.0).y, tol);
    EXPECT_EQ(node.d2[1][0], before);
}

namespace {

// F = u^p - x0, the root put in place by hand (`given`), so that a bad root
// can be tried.
class GivenRoot : public MonoFunc {
public:
    FVar U, X;
    Power pw;
    Sum2 F2;
    double given = 0.0;
    explicit GivenRoot(double p) : MonoFunc(1) {
        U.index = 0;
        X.index = 1;
        pw.tie1(U);
        pw.set_scalars3(1.0, p, 0.0);
        F2.tie2(pw, X);
        F2.set_scalars3(1.0, -1.0, 0.0);
        F = &F2;
        F->number_of_variables(2);
        F->analyze_dependencies();
    }
    void calculate_u() override { node->value = given; }
};

}  // namespace

TEST(MonoFunc, SquareRootWorkedValuesAndBadRoots) {
    GivenRoot m(2.0);
    XFunc0 node;
    node.owner = &m;
    m.node = &node;
    node.number_of_variables(1);
    m.given = 2.0;
    evaluate(node, {4.0}, 4);
    EXPECT_DOUBLE_EQ(node.d1[0], 1.0 / 4);
    EXPECT_DOUBLE_EQ(node.d2[0][0], -1.0 / 32);
    EXPECT_DOUBLE_EQ(node.d3[0][0][0], 3.0 / 256);
    EXPECT_DOUBLE_EQ(node.d4[0][0][0][0], -15.0 / 2048);

    // A root where F_u is NaN (u^0.5 at u < 0): the node is cleared.
    GivenRoot h(0.5);
    XFunc0 hn;
    hn.owner = &h;
    h.node = &hn;
    hn.number_of_variables(1);
    h.given = 3.0;
    evaluate(hn, {std::sqrt(3.0)}, 2);
    EXPECT_NEAR(hn.d1[0], 2 * std::sqrt(3.0), 1e-13);  // u = x^2
    EXPECT_NEAR(hn.d2[0][0], 2.0, 1e-12);
    h.given = -1.0;
    evaluate(hn, {1.0}, 2);
    EXPECT_EQ(hn.value, 0.0);
    EXPECT_EQ(hn.d1[0], 0.0);
    EXPECT_EQ(hn.d2[0][0], 0.0);
    h.given = 3.0;
    evaluate(hn, {std::sqrt(3.0)}, 2);
    h.given = -1.0;
    evaluate(hn, {1.0}, 3, 0);  // one variable: only the entries above the first are cleared
    EXPECT_NEAR(hn.d1[0], 2 * std::sqrt(3.0), 1e-13);
    EXPECT_EQ(hn.d2[0][0], 0.0);
    EXPECT_EQ(hn.d3[0][0][0], 0.0);
}

TEST(MonoFunc, FailedSearchBadSizesAndChecks) {
    GivenRoot m(2.0);
    // The base root search with no bound residual reports and goes on.
    testing::internal::CaptureStderr();
    m.MonoFunc::calculate_u();
    std::string out = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "Monofunc: cannot find solution\n");

    XFunc0 node;
    node.owner = &m;
    m.node = &node;
    node.number_of_variables(3);  // should be 1
    m.given = 2.0;
    testing::internal::CaptureStderr();
    evaluate(node, {4.0, 0.0, 0.0}, 4);
    evaluate(node, {4.0, 0.0, 0.0}, 4);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Error : the implicit function has 1 variables, its equation 2 and its node 3; they must be 1, 2 "
              "and 1.\n");
    EXPECT_EQ(node.value, 2.0);
    EXPECT_EQ(node.d1[0], 0.0);

    // The checks print the analytic derivatives beside the numeric ones; a
    // node is made by the check when none is set.
    CardanoMono c(1);
    double x[2] = {0.7, 2.0}, h[2] = {1e-5, 1e-5};
    std::string fx = captureStream([&](FILE* f) { c.check_x_derivatives(f, x + 1, h); });
    ASSERT_NE(c.node, nullptr);
    EXPECT_EQ(c.node->owner, &c);
    EXPECT_NEAR(c.node->value, Cardano(2.0).y, 1e-12);
    EXPECT_NE(fx.find("der. ana. ( 0 )"), std::string::npos);
    EXPECT_NE(fx.find("d4 ana. ( 0 , 0 , 0 , 0)"), std::string::npos);
    std::string ff = captureStream([&](FILE* f) { c.check_f_derivatives(f, x, h); });
    EXPECT_NE(ff.find("Dependencies"), std::string::npos);
}

namespace {

// nu = nv = 1, direct: f = u - v^2.
class SquareOfV : public VectFunc {
public:
    FVar U, V;
    Square v2;
    Sum2 f;
    XFunc u;
    SquareOfV() : VectFunc(1, 1) {
        U.index = 0;
        V.index = 1;
        v2.tie1(V);
        f.tie2(U, v2);
        f.set_scalars3(1.0, -1.0, 0.0);
        fNodes[0] = &f;
        f.number_of_variables(2);
        f.analyze_dependencies();
        tie_u_node(0, u);
        u.number_of_variables(1);
    }
    void calculate_uv_values() override { uvNodes[0]->value = y[1] * y[1]; }
};

// nu = nv = 2 through v trees v0 = x0 x1, v1 = x0 + x1:
//   f0 = u0 + u1 - v0,  f1 = u0 - u1 - v1^2,
// so u0 = (v0 + v1^2)/2 and u1 = (v0 - v1^2)/2.
class LinearPair : public VectFunc {
public:
    FVar X0, X1, U0, U1, V0, V1;
    Product v0;
    Sum2 v1;
    Square w;
    Sum f0, f1;
    XFunc1 uv0, uv1;
    XFunc u0, u1;
    LinearPair() : VectFunc(2, 2, 2) {
        X0.index = 0;
        X1.index = 1;
        v0.tie2(X0, X1);
        v1.tie2(X0, X1);
        U0.index = 0;
        U1.index = 1;
        V0.index = 2;
        V1.index = 3;
        w.tie1(V1);
        f0.number_of_terms(3);
        f0.tie_(&U0, &U1, &V0);
        f0.set_scalars_(1.0, 1.0, -1.0, 0.0);
        f1.number_of_terms(3);
        f1.tie_(&U0, &U1, &w);
        f1.set_scalars_(1.0, -1.0, -1.0, 0.0);
        fNodes[0] = &f0;
        fNodes[1] = &f1;
        for (Expression* f : fNodes) {
            f->number_of_variables(4);
            f->analyze_dependencies();
        }
        uvNodes[0] = &uv0;
        uvNodes[1] = &uv1;
        uv0.owner = uv1.owner = this;
        uv0.number_of_variables(2);
        uv1.number_of_variables(2);
        tie_v_nodes(&v0, &v1);
        tie_u_nodes(&u0, &u1);
        for (Expression* e : {static_cast<Expression*>(&v0), static_cast<Expression*>(&v1),
                              static_cast<Expression*>(&u0), static_cast<Expression*>(&u1)}) {
            e->number_of_variables(2);
            e->analyze_dependencies();
        }
    }
    void calculate_uv_values() override {
        uvNodes[0]->value = (y[2] + y[3] * y[3]) / 2;
        uvNodes[1]->value = (y[2] - y[3] * y[3]) / 2;
    }
};

}  // namespace

TEST(VectFunc, DirectModeSquare) {
    SquareOfV s;
    evaluate(s.u, {3.0}, 4);
    EXPECT_DOUBLE_EQ(s.u.value, 9.0);
    EXPECT_DOUBLE_EQ(s.u.d1[0], 6.0);
    EXPECT_DOUBLE_EQ(s.u.d2[0][0], 2.0);
    EXPECT_NEAR(s.u.d3[0][0][0], 0.0, 1e-14);
    EXPECT_NEAR(s.u.d4[0][0][0][0], 0.0, 1e-14);
    EXPECT_DOUBLE_EQ(s.d3f(0, 1, 1, 1), 0.0);
    evaluate(s.u, {-2.0}, 2, 0);
    EXPECT_DOUBLE_EQ(s.u.d1[0], -4.0);
    EXPECT_DOUBLE_EQ(s.u.d2[0][0], 2.0);
}

TEST(VectFunc, ChainRuleThroughIntermediateTrees) {
    LinearPair p;
    const double x0 = 0.6, x1 = 1.7, s = x0 + x1;
    for (int pass = 0; pass < 2; ++pass) {
        evaluate(p.u0, {x0, x1}, 4);
        p.u1.calculate(4);  // computed with u0 in the same pass
        EXPECT_DOUBLE_EQ(p.u0.value, (x0 * x1 + s * s) / 2);
        EXPECT_DOUBLE_EQ(p.u1.value, (x0 * x1 - s * s) / 2);
        EXPECT_NEAR(p.u0.d1[0], (x1 + 2 * s) / 2, 1e-14);
        EXPECT_NEAR(p.u0.d1[1], (x0 + 2 * s) / 2, 1e-14);
        EXPECT_NEAR(p.u1.d1[0], (x1 - 2 * s) / 2, 1e-14);
        EXPECT_NEAR(p.u0.d2[0][0], 1.0, 1e-14);
        EXPECT_NEAR(p.u0.d2[1][0], 1.5, 1e-14);
        EXPECT_NEAR(p.u1.d2[1][0], -0.5, 1e-14);
        EXPECT_NEAR(p.u1.d2[1][1], -1.0, 1e-14);
        EXPECT_NEAR(p.u0.d3[1][1][0], 0.0, 1e-14);
        EXPECT_NEAR(p.u1.d4[1][1][0][0], 0.0, 1e-14);
        // Derivatives with respect to the v: u0_v1v1 = 1, u1_v0 = 1/2.
        EXPECT_NEAR(p.uv0.d2[1][1], 1.0, 1e-14);
        EXPECT_NEAR(p.uv1.d1[0], 0.5, 1e-14);
        p.u1.initialize_the_graph();
    }
    evaluate(p.u1, {x0, x1}, 3, 1);
    EXPECT_NEAR(p.u1.d1[1], (x0 - 2 * s) / 2, 1e-14);
    EXPECT_NEAR(p.u1.d2[1][1], -1.0, 1e-14);
}

TEST(VectFunc, OneDerivativeOfTheUAtATimeAgreesWithTheClosedForm) {
    // u0 + u1 = v0 and u0 - u1 = v1^2: u0 = (v0 + v1^2)/2, u1 = (v0 - v1^2)/2.
    LinearPair p;
    const double x0 = 0.6, x1 = 1.7, v1 = x0 + x1;
    evaluate(p.u0, {x0, x1}, 2);
    const double nan = std::nan("");
    p.uv0.d1[0] = p.uv0.d1[1] = p.uv1.d1[0] = p.uv1.d1[1] = nan;
    p.uv0.d2[1][0] = p.uv0.d2[1][1] = p.uv1.d2[1][1] = nan;
    p.calculate_uv_derivatives(0);
    p.calculate_uv_derivatives(1);
    p.calculate_uv_derivatives(1, 0);
    p.calculate_uv_derivatives(1, 1);
    EXPECT_NEAR(p.uv0.d1[0], 0.5, 1e-14);
    EXPECT_NEAR(p.uv1.d1[0], 0.5, 1e-14);
    EXPECT_NEAR(p.uv0.d1[1], v1, 1e-14);
    EXPECT_NEAR(p.uv1.d1[1], -v1, 1e-14);
    EXPECT_NEAR(p.uv0.d2[1][0], 0.0, 1e-14);
    EXPECT_NEAR(p.uv0.d2[1][1], 1.0, 1e-14);
    EXPECT_NEAR(p.uv1.d2[1][1], -1.0, 1e-14);
}

TEST(VectFunc, TiesBadSizesAndChecks) {
    struct Three : VectFunc {
        Three() : VectFunc(3, 1, 2) {}
        void calculate_uv_values() override {}
    } t;
    XFunc a, b, c;
    t.tie_u_nodes(&a, &b, &c);
    EXPECT_EQ(t.uNodes[2], &c);
    EXPECT_EQ(c.owner, &t);
    EXPECT_EQ(c.index, 2);
    EXPECT_EQ(t.uvNodes[2], nullptr);  // not direct
    testing::internal::CaptureStderr();
    t.tie_u_node(3, a);
    t.tie_v_node(1, a);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Error : quantity 3 is outside the 3 implicit quantities.\n"
              "Error : intermediate quantity 1 is outside the 1 of the implicit function.\n");

    // Nothing sized: the evaluation reports once and computes no derivative.
    testing::internal::CaptureStderr();
    t.calculate(2);
    t.calculate(2, 0);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Error : the implicit functions need 3 equations of 4 variables, 3 nodes of 1 variables in the "
              "intermediate quantities and their 1 trees of 2 variables.\n");

    // The checks make the nodes they need and print one heading per quantity.
    SquareOfV s;
    s.uNodes[0] = nullptr;
    s.uvNodes[0] = nullptr;
    double x[1] = {3.0}, h[1] = {1e-5};
    std::string out = captureStream([&](FILE* f) { s.check_x_derivatives(f, x, h); });
    EXPECT_EQ(out.find("Variable (0) noname\n------------------------------------\n\n"), 0u);
    EXPECT_NE(out.find("d2 ana. ( 0 , 0 )"), std::string::npos);
    ASSERT_NE(s.uNodes[0], nullptr);
    EXPECT_DOUBLE_EQ(s.uNodes[0]->d2[0][0], 2.0);
    testing::internal::CaptureStdout();
    std::string uout = captureStream([&](FILE* f) { s.check_u_derivatives(f, x, h); });
    testing::internal::GetCapturedStdout();
    EXPECT_NE(uout.find("Check u(0) node (no name)"), std::string::npos);
    double yf[2] = {9.0, 3.0}, hf[2] = {1e-5, 1e-5};
    std::string fout = captureStream([&](FILE* f) { s.check_f_derivatives(f, yf, hf); });
    EXPECT_NE(fout.find("Dependencies"), std::string::npos);
}
