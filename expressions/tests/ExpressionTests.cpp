// Node storage, the evaluation protocol, ownership, printing and the numeric
// checks of the expression engine's core classes.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "expressions/BinOp.h"
#include "expressions/ExpressionArrays.h"
#include "expressions/FVar.h"
#include "expressions/KVar.h"
#include "expressions/Leaf.h"
#include "expressions/MultOp.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "expressions/tests/Capture.h"
#include "numerics/Equation.h"

namespace {

// Counts its evaluations and its destructions.
struct Probe : FVar {
    int* evaluations;
    int* destroyed;
    Probe(int* ev, int* de) : evaluations(ev), destroyed(de) {}
    ~Probe() override {
        if (destroyed) ++*destroyed;
    }
    void calculate(int order) override {
        if (!calculated && evaluations) ++*evaluations;
        FVar::calculate(order);
    }
};

template <class... A>
std::string fmt(const char* f, A... a) {
    char buf[512];
    std::snprintf(buf, sizeof buf, f, a...);
    return buf;
}

FVar* var(int index, double a = 1.0, double b = 0.0, const char* name = nullptr) {
    auto* f = new FVar;
    f->index = index;
    f->set_scalars2(a, b);
    if (name) f->setName(name);
    return f;
}

}  // namespace

TEST(ExpressionStorage, SizingAllocatesZeroedTriangles) {
    Expression e;
    e.number_of_variables(3);
    EXPECT_EQ(Expression::storedEntries(3, 1), 3u);
    EXPECT_EQ(Expression::storedEntries(3, 2) - Expression::storedEntries(3, 1), 6u);
    EXPECT_EQ(Expression::storedEntries(3, 3) - Expression::storedEntries(3, 2), 10u);
    EXPECT_EQ(Expression::storedEntries(3, 4) - Expression::storedEntries(3, 3), 15u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(e.d1[i], 0.0);
        for (int j = 0; j <= i; ++j) {
            EXPECT_EQ(e.d2[i][j], 0.0);
            EXPECT_EQ(&e.d2[i][j], &e.D2[Expression::off2(i, j)]);
            for (int k = 0; k <= j; ++k) {
                EXPECT_EQ(&e.d3[i][j][k], &e.D3[Expression::off3(i, j, k)]);
                for (int l = 0; l <= k; ++l) {
                    EXPECT_EQ(e.d4[i][j][k][l], 0.0);
                    EXPECT_EQ(&e.d4[i][j][k][l], &e.D4[Expression::off4(i, j, k, l)]);
                }
            }
        }
    }
    // One block: the fourth derivatives end where the block ends.
    EXPECT_EQ(&e.d4[2][2][2][2] + 1, e.d1 + Expression::storedEntries(3, 4));

    // Sizing again with the same count changes nothing.
    e.d3[2][1][0] = 7.0;
    e.value = 3.0;
    double* before = e.d1;
    e.number_of_variables(3);
    EXPECT_EQ(e.d1, before);
    EXPECT_EQ(e.d3[2][1][0], 7.0);
    EXPECT_EQ(e.value, 3.0);

    EXPECT_EQ(e.dvp(0, 2, 1), e.dvp(2, 1, 0));
    EXPECT_EQ(e.dvp(0, 2, 1), &e.d3[2][1][0]);
    EXPECT_EQ(e.dvp(1, 2, 0, 1), &e.d4[2][1][1][0]);
    EXPECT_EQ(e.deriv({0, 1, 2}), 7.0);
}

TEST(ExpressionStorage, CleanAndCopyByOrder) {
    Expression e, f;
    e.number_of_variables(2);
    f.number_of_variables(2);
    auto fill = [](Expression& x) {
        x.value = 1;
        x.d1[1] = 2;
        x.d2[1][0] = 3;
        x.d3[1][1][0] = 4;
        x.d4[1][1][1][1] = 5;
    };
    fill(e);
    e.clean(2);
    EXPECT_EQ(e.value, 0.0);
    EXPECT_EQ(e.d1[1], 0.0);
    EXPECT_EQ(e.d2[1][0], 0.0);
    EXPECT_EQ(e.d3[1][1][0], 4.0);
    EXPECT_EQ(e.d4[1][1][1][1], 5.0);
    for (int order : {0, 7}) {
        fill(e);
        e.clean(order);
        EXPECT_EQ(e.value, 0.0);
        EXPECT_EQ(e.d1[1], 2.0);
        EXPECT_EQ(e.d4[1][1][1][1], 5.0);
    }
    fill(e);
    f.copy(&e, 3);
    EXPECT_EQ(f.value, 1.0);
    EXPECT_EQ(f.d3[1][1][0], 4.0);
    EXPECT_EQ(f.d4[1][1][1][1], 0.0);
    f.calculated = true;
    f.copy(&e, 0);
    EXPECT_TRUE(f.calculated);
}

TEST(ExpressionNames, RenameFindAndPrint) {
    Expression e;
    EXPECT_EQ(e.findByName("x"), nullptr);
    EXPECT_EQ(e.findByName(""), nullptr);
    e.setName("a");
    testing::internal::CaptureStderr();
    e.setName("b");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Rename a expression to b ?\n");
    EXPECT_EQ(e.findByName("b"), &e);
    EXPECT_EQ(e.findByName("a"), nullptr);

    Expression u;
    u.value = 0.5;
    EXPECT_EQ(captureStream([&](FILE* f) { u.printValue(f); }), "noname\t           0.5\n");
    u.number_of_variables(2);
    EXPECT_EQ(captureStream([&](FILE* f) { u.check_dependencies(f); }),
              "Dependencies\n\tvar 0 : 1\n\tvar 1 : 1\n\n\n");
    Expression::sMargin = 0;
    EXPECT_EQ(captureStream([&](FILE* f) { u.printValues(f); }), "    noname\t           0.5\n");
    EXPECT_EQ(captureStream([&](FILE* f) { u.printValues(f); }), "");  // already visited
    EXPECT_EQ(captureStream([&](FILE* f) { e.printFormulas(f); }), "    b\n");
    EXPECT_TRUE(e.calculated);
}

TEST(ExpressionNames, UnsupportedOperationsReportAndChangeNothing) {
    Expression e;
    e.setName("k");
    Expression c;
    testing::internal::CaptureStderr();
    e.tie1(c);
    e.set_scalars2(1, 2);
    e.tie_(&c, &c);
    e.set_scalars_(1, 2.5, 3);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Error : \"tie (Expression &)\" is not implemented for k\n"
              "Error : \"set_scalars2 (double,double)\" is not implemented for k\n"
              "Error : \"tie (Expression *, ... )\" is not implemented for k\n"
              "Error : \"set_scalars_ (double, ...)\" is not implemented for k\n");
    EXPECT_EQ(c.refcount, 0);
}

TEST(ExpressionDebugLink, WarnsOnlyForLeavesWithoutLink) {
    Sum2 s;
    FVar* x = var(0);
    KVar* k = new KVar;
    s.tiep2(x, k);
    testing::internal::CaptureStderr();
    s.checkDebugLink();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    Sum2 t;
    t.tiep2(var(0), new Leaf);
    Expression::sVarbox = nullptr;
    Expression::sVarcalc = nullptr;
    testing::internal::CaptureStderr();
    t.checkDebugLink();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("There are Node of type \"Leaf\" in the tree"), std::string::npos);
    EXPECT_NE(err.find("setDebugLink"), std::string::npos);
}

TEST(ExpressionOwnership, SharedNodeEvaluatesOnceAndLivesUntilItsLastParent) {
    int evaluations = 0, destroyed = 0;
    auto* shared = new Probe(&evaluations, &destroyed);
    shared->index = 0;
    ASSERT_TRUE(shared->releasedByParents());
    auto* p1 = new Sum1;
    auto* p2 = new Sum1;
    p1->tiep1(shared);
    p2->tiep1(shared);
    Sum2 root;  // a member-like node on the stack
    EXPECT_FALSE(root.releasedByParents());
    root.tiep2(p1, p2);
    root.number_of_variables(1);
    root.analyze_dependencies();
    double x = 2.0;
    root.initialize_the_graph();
    root.set_variable_values(&x);
    root.calculate(2);
    EXPECT_EQ(evaluations, 1);
    EXPECT_EQ(root.value, 4.0);
    EXPECT_EQ(shared->refcount, 2);

    // Relinking a slot releases the child it replaces.
    root.tiep2(p2, p2);  // p1 loses its only parent, and with it the shared node one count
    EXPECT_EQ(shared->refcount, 1);
    EXPECT_EQ(destroyed, 0);
    root.tiep2(var(0), var(0));  // p2 goes, and the shared node with it
    EXPECT_EQ(destroyed, 1);
}

TEST(ExpressionOwnership, MemberNodesAreReleasedOnlyByTheirHolder) {
    int destroyed = 0;
    struct Holder {
        Probe a{nullptr, nullptr};
        Sum1 s1, s2;
    };
    auto holder = std::make_unique<Holder>();
    holder->a.destroyed = &destroyed;
    EXPECT_FALSE(holder->a.releasedByParents());
    holder->s1.tie1(holder->a);
    holder->s2.tie1(holder->a);
    EXPECT_EQ(holder->a.refcount, 2);
    {
        auto* p = new Sum1;
        p->tie1(holder->a);
        delete p;
    }
    EXPECT_EQ(holder->a.refcount, 2);
    EXPECT_EQ(destroyed, 0);
    holder.reset();
    EXPECT_EQ(destroyed, 1);

    // A node of a separately created holder class is a member as well.
    struct HeapHolder : KVar {
        Probe inner{nullptr, nullptr};
        Sum1 outer;  // declared after the node it links, so destroyed before it
    };
    auto* h = new HeapHolder;
    EXPECT_TRUE(h->releasedByParents());
    EXPECT_FALSE(h->inner.releasedByParents());
    EXPECT_FALSE(h->outer.releasedByParents());
    h->outer.tie1(h->inner);
    delete h;

    // A node in a container is a member; unique_ptr owners turn release off.
    std::vector<FVar> vars(2);
    EXPECT_FALSE(vars[0].releasedByParents());
    auto owned = std::make_unique<FVar>();
    owned->setReleasedByParents(false);
    {
        Sum1 s;
        s.tie1(*owned);
    }
    EXPECT_EQ(owned->refcount, 0);
}

TEST(OperatorBases, WalksFlagsAndMessages) {
    Sum2 b;
    b.setName("b");
    auto* u = var(0);
    auto* v = var(2);
    b.tiep2(u, v);
    b.number_of_variables(3);
    b.analyze_dependencies();
    EXPECT_EQ(b.flags, (std::vector<int>{1, 0, 1}));
    double x[3] = {1, 2, 3};
    b.set_variable_values(x);
    b.calculate(4);
    EXPECT_EQ(b.d1[1], 0.0);
    EXPECT_EQ(b.d2[1][0], 0.0);
    EXPECT_EQ(b.d2[2][1], 0.0);
    EXPECT_EQ(b.d2[1][1], 0.0);
    EXPECT_EQ(b.value, 4.0);

    // initialize_the_graph stops at a cleared mark; reset always descends.
    b.calculated = false;
    u->calculated = true;
    b.initialize_the_graph();
    EXPECT_TRUE(u->calculated);
    b.reset();
    EXPECT_FALSE(u->calculated);

    // calculate(0) writes only the value; calculate(3, 1) only the pure entries of 1.
    Sum1 s;
    s.tiep1(var(1, 2.0));
    s.number_of_variables(2);
    s.analyze_dependencies();
    double y[2] = {1, 5};
    s.set_variable_values(y);
    s.calculate(0);
    EXPECT_EQ(s.value, 10.0);
    EXPECT_EQ(s.d1[1], 0.0);
    s.initialize_the_graph();
    s.calculate(3, 1);
    EXPECT_EQ(s.d1[1], 2.0);

    BinOp empty;
    empty.setName("e");
    EXPECT_EQ(captureStream([&](FILE* f) { empty.check_pointers(f); }),
              "Error : \"e\" (u) is not linked to another expression.\n"
              "Error : \"e\" (v) is not linked to another expression.\n");
    testing::internal::CaptureStderr();
    empty.calculate(2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error : \"e\" is is not linked to another expression.\n");

    Sum2 f;
    f.setName("f");
    f.tiep2(var(0, 1, 0, "p"), new Sum1);
    static_cast<Sum1*>(f.v)->tiep1(var(0, 1, 0, "q"));
    EXPECT_EQ(f.findByName("q"), static_cast<Sum1*>(f.v)->u);
    EXPECT_EQ(f.findByName("p"), f.u);
    EXPECT_EQ(f.findByName("zz"), nullptr);

    MultOp m;
    m.number_of_terms(3);
    EXPECT_EQ(m.nterms, 3);
    EXPECT_EQ(m.nvar, 0);
}

TEST(VariableNodes, FVarKVarLeaf) {
    FVar f;
    f.index = 2;
    f.set_scalars2(3, -1);
    f.number_of_variables(3);
    double x[3] = {0, 0, 5};
    f.set_variable_values(x);
    f.calculate(4);
    EXPECT_EQ(f.value, 14.0);
    EXPECT_EQ(f.d1[2], 3.0);
    EXPECT_EQ(f.d1[0], 0.0);
    EXPECT_EQ(f.isDependent(2), 1);
    EXPECT_EQ(f.isDependent(1), 0);

    FVar g;
    g.index = 2;
    g.number_of_variables(3);
    g.set_variable_values(x);
    g.calculate(2, 0);
    EXPECT_EQ(g.value, 5.0);
    EXPECT_EQ(g.d1[2], 0.0);

    FVar t;
    t.setName("T");
    t.index = 0;
    auto formula = [&](double a, double b) {
        t.set_scalars2(a, b);
        return captureStream([&](FILE* s) { t.printFormula(s); });
    };
    EXPECT_EQ(formula(1, 0), "T = var(0)\n");
    EXPECT_EQ(formula(1, -2), "T = var(0)   -2\n");
    EXPECT_EQ(formula(1, 2), "T = var(0) + 2\n");
    EXPECT_EQ(formula(2, 0), "T = 2 var(0)\n");
    EXPECT_EQ(formula(0, 3), "T = 3\n");
    EXPECT_EQ(formula(2, 3), "T = 2 var(0) + 3\n");

    FVar unbound;
    unbound.setName("w");
    EXPECT_EQ(captureStream([&](FILE* s) { unbound.check_pointers(s); }), "Error : \"w\" is not linked to a variable.\n");
    testing::internal::CaptureStderr();
    unbound.calculate(1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error : \"w\" is not linked to a variable.\n");

    KVar k;
    k.setName("k");
    k.set_scalars1(-9);
    EXPECT_EQ(captureStream([&](FILE* s) { k.printFormula(s); }), "k = -9\n");
    EXPECT_EQ(captureStream([&](FILE* s) { k.check_pointers(s); }), "");
    k.set_variable_values(x);
    k.calculate(4);
    EXPECT_EQ(k.value, -9.0);
    EXPECT_EQ(k.isDependent(0), 0);

    Leaf l;
    l.setName("L");
    EXPECT_EQ(l.hasLeaves(), 1);
    EXPECT_EQ(captureStream([&](FILE* s) { l.printFormula(s); }), "L (Leaf)\n");

    // An operator over a constant gets no flag from it.
    Sum2 s;
    s.tiep2(new KVar, var(1));
    s.number_of_variables(2);
    s.analyze_dependencies();
    EXPECT_EQ(s.flags, (std::vector<int>{0, 1}));
}

TEST(WeightedSums, ValuesDerivativesAndFormulas) {
    Sum s;
    s.setName("s");
    s.number_of_terms(2);
    auto* p = var(0, 1, 0, "p");
    auto* q = var(1, 1, 0, "q");
    s.tie_(p, q);
    s.set_scalars_(2, -1, 0.5);
    s.number_of_variables(2);
    s.analyze_dependencies();
    double x[2] = {3, 4};
    s.set_variable_values(x);
    s.calculate(4);
    EXPECT_EQ(s.value, 2 * 3 - 4 + 0.5);
    EXPECT_EQ(s.d1[0], 2.0);
    EXPECT_EQ(s.d1[1], -1.0);
    EXPECT_EQ(captureStream([&](FILE* f) { s.printFormula(f); }), "s = 2 * p - q + 0.5\n");
    s.set_scalars_(1, 1, 0);
    EXPECT_EQ(captureStream([&](FILE* f) { s.printFormula(f); }), "s = p + q\n");
    s.set_scalars_(-1, 3, -2);
    EXPECT_EQ(captureStream([&](FILE* f) { s.printFormula(f); }), "s = - p + 3 * q - 2\n");

    // A set mark returns at once; the one-variable form clears first.
    p->x = 100;
    s.calculate(4);
    EXPECT_EQ(s.value, 2 * 3 - 4 + 0.5);
    s.d3[1][1][1] = 42;
    s.d2[1][0] = 9;
    s.initialize_the_graph();
    s.calculate(2, 1);
    EXPECT_EQ(s.d1[1], 3.0);
    EXPECT_EQ(s.d1[0], 0.0);
    EXPECT_EQ(s.d2[1][0], 0.0);
    EXPECT_EQ(s.d3[1][1][1], 42.0);

    // Wrong counts of variadic arguments are refused.
    testing::internal::CaptureStderr();
    s.tie_(p);
    s.set_scalars_(1, 2);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("takes 2 terms for s, not 1"), std::string::npos);
    EXPECT_NE(err.find("takes 3 values for s, not 2"), std::string::npos);
    EXPECT_EQ(s.terms[0], p);
    EXPECT_EQ(s.scalars[2], -2.0);

    Sum1 s1;
    s1.setName("s");
    s1.tiep1(var(0, 1, 0, "p"));
    auto f1 = [&](double a, double b) {
        s1.set_scalars2(a, b);
        return captureStream([&](FILE* f) { s1.printFormula(f); });
    };
    EXPECT_EQ(f1(1, 0), "s = p \n");
    EXPECT_EQ(f1(-1, 1), "s = - p + 1.0\n");
    EXPECT_EQ(f1(2, -1), "s = 2 p - 1.0\n");
    EXPECT_EQ(f1(2, -3), "s = 2 p - 3\n");

    Sum2 s2;
    s2.setName("s");
    s2.tiep2(var(0, 1, 0, "p"), var(1, 1, 0, "q"));
    auto f2 = [&](double a, double b, double c) {
        s2.set_scalars3(a, b, c);
        return captureStream([&](FILE* f) { s2.printFormula(f); });
    };
    EXPECT_EQ(f2(1, -1, 0), "s = p - q \n");
    EXPECT_EQ(f2(1, -2, 0), "s = p - 2 * q \n");
    EXPECT_EQ(f2(-1, 3, 1.5), "s = - p + 3 * q + 1.5\n");
    EXPECT_EQ(f2(2, 1, -1), "s = 2 * p + q - 1\n");

    // check_pointers stops at the first empty slot.
    Sum t;
    t.setName("t");
    t.number_of_terms(3);
    auto* unbound = new FVar;
    unbound->setName("u0");
    auto* unbound2 = new FVar;
    unbound2->setName("u2");
    t.tieip(0, unbound);
    t.tieip(2, unbound2);
    EXPECT_EQ(captureStream([&](FILE* f) { t.check_pointers(f); }),
              "Error : \"u0\" is not linked to a variable.\n"
              "Error : \"t\" (1) is not linked to another expression.\n");
}

TEST(WeightedSums, PrintingWalksVisitSharedNodesOnce) {
    Sum s;
    s.setName("s");
    s.number_of_terms(2);
    auto* p = var(0, 1, 0, "p");
    auto* a = new Sum1;
    a->setName("a");
    a->tiep1(p);
    s.tie_(a, p);
    s.set_scalars_(1, 1, 0);
    s.number_of_variables(1);
    s.initialize_the_graph();
    Expression::sMargin = 0;
    // Variable nodes print through the base walk: 4 more blanks, and once per parent.
    EXPECT_EQ(captureStream([&](FILE* f) { s.printFormulas(f); }),
              "s = a + p\n    a = p \n            p = var(0)\n        p = var(0)\n");
    s.initialize_the_graph();
    double x = 2;
    s.set_variable_values(&x);
    s.calculate(1);
    s.initialize_the_graph();
    EXPECT_EQ(captureStream([&](FILE* f) { s.printValues(f); }),
              "s\t             4\n    a\t             2\n            p\t             2\n");
}

TEST(NumericChecks, ReportAnalyticAndNumericSideBySide) {
    Sum2 s;
    s.setName("s");
    s.tiep2(var(0, 2.0), var(1, 1.0));
    s.set_scalars3(1.5, -1, 0.25);
    s.number_of_variables(2);
    s.analyze_dependencies();
    double x[2] = {1, 2};
    double h[2] = {1e-3, 1e-3};
    std::string r1 = captureStream([&](FILE* f) { s.check1(f, x, h); });
    EXPECT_EQ(r1,
              "Value    1.25\n\n"
              "der. ana. ( 0 )                        3\n"
              "     num.                              3\n"
              "der. ana. ( 1 )                       -1\n"
              "     num.                             -1\n\n\n");
    std::string r2 = captureStream([&](FILE* f) { s.check2(f, x, h); });
    EXPECT_NE(r2.find(fmt("d2 ana. ( %d , %d ) %22lg\n   num.           %22lg\n", 1, 0, 0.0, 0.0)), std::string::npos);
    std::string r4 = captureStream([&](FILE* f) { s.check4(f, x, h); });
    EXPECT_NE(r4.find(fmt("d4 ana. ( %d , %d , %d , %d)   %13lg\n", 1, 1, 1, 1, 0.0)), std::string::npos);
    std::string all = captureStream([&](FILE* f) { s.checkall(f, x, h); });
    EXPECT_EQ(all.rfind("Dependencies of s\n\tvar 0 : 1\n\tvar 1 : 1\n\n\n", 0), 0u);

    std::string v1 = captureStream([&](FILE* f) { s.check1(f, 0, x, 1e-3); });
    EXPECT_EQ(v1, "Value    1.25\n\nd1. ana. 3\n    num. 3\n\n\n");
    std::string v3 = captureStream([&](FILE* f) { s.check3(f, 1, x, 1e-3); });
    EXPECT_EQ(v3, "d3 ana. 0\n   num. 0\n\n\n");
}

namespace {
// An owner with a debug link: the leaf holds x0^2 * x1.
struct LeafOwner : Equation {
    Leaf leaf;
    Sum1 root;
    int calls = 0;
    LeafOwner() {
        root.tie1(leaf);
        root.set_scalars2(2.0, 0.0);
        root.number_of_variables(2);
        root.analyze_dependencies();
    }
    void update(double* x) {
        ++calls;
        leaf.value = x[0] * x[0] * x[1];
        leaf.d1[0] = 2 * x[0] * x[1];
        leaf.d1[1] = x[0] * x[0];
        leaf.d2[0][0] = 2 * x[1];
        leaf.d2[1][0] = 2 * x[0];
        leaf.d2[1][1] = 0;
        leaf.d3[1][0][0] = 2;
    }
};
}  // namespace

TEST(NumericChecks, DebugLinkRecomputesLeaves) {
    LeafOwner owner;
    Expression::sVarbox = &owner;
    Expression::sVarcalc = toEquationFn<LeafUpdateFn>(&LeafOwner::update);
    double x[2] = {1.5, 2.0};
    double h[2] = {1e-4, 1e-4};
    std::string r = captureStream([&](FILE* f) { owner.root.check3(f, x, h); });
    EXPECT_EQ(owner.calls, 2 * 2 + 1);
    EXPECT_NE(r.find(fmt("d3 ana. ( %d , %d , %d )  %17lg\n   num.                %17lg\n", 1, 0, 0, 4.0, 4.0)),
              std::string::npos)
        << r;
    testing::internal::CaptureStderr();
    owner.root.checkDebugLink();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    Expression::sVarbox = nullptr;
    Expression::sVarcalc = nullptr;
}

TEST(NodeArrays, NamesAndIndexChecks) {
    Expr1 a;
    a.setName("a");
    a.setSize(20);
    FVar e12;
    a(12) = &e12;
    a.setName(12);
    EXPECT_EQ(e12.name, "a(12)");
    a.setName(3);  // a null element: nothing

    Expr3 t;
    t.setName("coef");
    t.setSize(4);
    EXPECT_EQ(t.elements.size(), 20u);
    FVar e;
    t(3, 1, 1) = &e;
    t.setName(3, 1, 1);
    EXPECT_EQ(e.name, "coef(3,1,1)");
    EXPECT_EQ(t(3, 1, 1), &e);
    EXPECT_EQ(t(3, 1, 0), nullptr);

    // An index outside a table is reported and flagged; the slot handed out
    // holds a null pointer and writing it leaves the table as it was.
    EXPECT_FALSE(a.indexError);
    testing::internal::CaptureStderr();
    EXPECT_EQ(a(20), nullptr);
    a(20) = &e12;
    EXPECT_EQ(a(20), nullptr);
    EXPECT_EQ(t(2, 3, 0), nullptr);
    Expr5 f;
    f.setSize(3);
    EXPECT_EQ(f(2, 2, 1, 0, 1), nullptr);
    EXPECT_EQ(f(0, 0, 0, 0, -1), nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(a.indexError);
    EXPECT_TRUE(t.indexError);
    EXPECT_TRUE(f.indexError);
    EXPECT_EQ(a(12), &e12);
    for (std::size_t i = 0; i < a.elements.size(); ++i)
        EXPECT_EQ(a.elements[i], i == 12 ? &e12 : nullptr) << i;
    for (const char* line : {"Index 20 too high for the dimension (20)", "Index (j) 3 than index (i) 2",
                             "Index (m) 1 than index (l) 0", "Index -1 is negative"})
        EXPECT_NE(err.find(line), std::string::npos) << line << "\n" << err;

    // A table of node pointers: n entries, all empty; none for a negative size.
    Expression** row = nullptr;
    expression_allocate(&row, 5);
    ASSERT_NE(row, nullptr);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(row[i], nullptr) << i;
    row[4] = &e12;
    EXPECT_EQ(row[4], &e12);
    delete[] row;
    expression_allocate(&row, -1);
    ASSERT_NE(row, nullptr);
    delete[] row;

    Expression*** s2 = nullptr;
    expression_sym2alloc(&s2, 4);
    EXPECT_EQ(&s2[3][0], &s2[0][0] + 6);
    EXPECT_EQ(s2[3][3], nullptr);
    expression_dispose_sym2(s2, 4);
    Expression***** s4 = nullptr;
    expression_sym4alloc(&s4, 3);
    EXPECT_EQ(s4[2][2][1][0], nullptr);
    expression_dispose_sym4(s4, 3);
}

TEST(ExpressionPasses, SharedNodesAreWalkedOncePerPass) {
    // 48 levels of u + u over the level below: 2^48 paths, 49 nodes.  Every
    // walk of an evaluation must visit each node once.
    auto* x = var(0);
    Expression* level = x;
    for (int k = 0; k < 48; ++k) {
        auto* s = new Sum2;
        s->tiep2(level, level);
        s->set_scalars3(0.5, 0.5, 0.0);
        level = s;
    }
    std::unique_ptr<Expression> root(level);
    root->number_of_variables(1);
    root->analyze_dependencies();
    for (double v : {2.0, 3.0}) {
        root->initialize_the_graph();
        root->set_variable_values(&v);
        root->calculate(4);
        EXPECT_DOUBLE_EQ(root->value, v);
        EXPECT_DOUBLE_EQ(root->d1[0], 1.0);
        root->initialize_the_graph();
        root->calculate(2, 0);
        EXPECT_DOUBLE_EQ(root->d1[0], 1.0);
    }
}
