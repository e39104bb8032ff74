// Linear variables: worked values, coefficient packing, repeated evaluation
// and printed forms.
#include <gtest/gtest.h>

#include "expressions/LineaX.h"
#include "expressions/tests/Capture.h"

namespace {
template <class L>
void setUp(L& l, int nvar, int first, int count) {
    l.number_of_variables(nvar);
    l.defineXVariables(first, count);
}
}  // namespace

TEST(LinearVariables, WindowsAndUnsetCoefficients) {
    LineaX l;
    setUp(l, 4, 2, 2);
    EXPECT_FALSE(l.isDependent(1));
    EXPECT_TRUE(l.isDependent(2));
    EXPECT_TRUE(l.isDependent(3));
    EXPECT_FALSE(l.isDependent(4));
    EXPECT_STREQ(l.getType(), "Linear");
    double v[4] = {300, 1e-4, 0.3, 0.7};
    l.set_variable_values(v);
    EXPECT_EQ(l.x, (std::vector<double>{0.3, 0.7}));
    l.calculate(2);
    EXPECT_EQ(l.value, 0.0);
    EXPECT_EQ(l.d1[2], 0.0);

    l.set_scalars_(2.0, -1.0);
    EXPECT_FALSE(l.calculated);
    l.calculate(1);
    EXPECT_DOUBLE_EQ(l.value, 0.6 - 0.7);
    EXPECT_EQ(l.d1[2], 2.0);
    EXPECT_EQ(l.d1[3], -1.0);
    EXPECT_EQ(l.d1[0], 0.0);
    l.initialize_the_graph();
    l.d1[3] = 0;
    l.calculate(1, 2);
    EXPECT_EQ(l.d1[2], 2.0);
    EXPECT_EQ(l.d1[3], 0.0);
}

TEST(LinearVariables, QuadraticFormWorkedValues) {
    LineaX2 q;
    setUp(q, 4, 2, 2);
    q.a = {1, 0.5, 2};
    double v[4] = {0, 0, 1, 1};
    q.set_variable_values(v);
    // Repeated evaluations at every order give the same entries.
    for (int order : {0, 0, 1, 2, 2, 4}) {
        q.initialize_the_graph();
        q.calculated = false;
        q.calculate(order);
        EXPECT_EQ(q.value, 4.0);
        EXPECT_EQ(q.d1[2], 3.0);
        EXPECT_EQ(q.d1[3], 5.0);
        EXPECT_EQ(q.d2[2][2], 2.0);
        EXPECT_EQ(q.d2[3][2], 1.0);
        EXPECT_EQ(q.d2[3][3], 4.0);
    }
    q.calculated = false;
    q.calculate(2, 3);
    EXPECT_EQ(q.d1[3], 5.0);
    EXPECT_EQ(q.d2[3][3], 4.0);
    EXPECT_EQ(q.d1[2], 0.0);  // cleared, not written
}

TEST(LinearVariables, CubicFormPackingAndRepeatedEvaluation) {
    LineaX3 c;
    setUp(c, 5, 2, 3);
    EXPECT_EQ(c.ncoef, 12);
    EXPECT_EQ(LineaX3::position(2, 0, 0), 6);
    EXPECT_EQ(LineaX3::position(2, 2, 2), 11);
    EXPECT_EQ(LineaX3::position(1, 1, 1), 3);
    for (int p = 0; p < 12; ++p) c.a[p] = 0.1 * (p + 1);
    c.a[4] = c.a[5] = 1e9;  // no coefficient lives there
    double v[5] = {0, 0, 0.5, 1.5, 2.0};
    c.set_variable_values(v);
    // f = sum over ordered triples of the symmetric coefficient, by brute force.
    double f = 0, g3 = 0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) {
                f += c.coef(i, j, k) * v[2 + i] * v[2 + j] * v[2 + k];
                if (i == 1) g3 += 3 * c.coef(i, j, k) * v[2 + j] * v[2 + k];
            }
    for (int order : {0, 1, 1, 3, 3}) {
        c.calculated = false;
        c.calculate(order);
        EXPECT_NEAR(c.value, f, 1e-12);
        EXPECT_NEAR(c.d1[3], g3, 1e-12);
        EXPECT_DOUBLE_EQ(c.d3[4][3][2], 6 * c.a[LineaX3::position(2, 1, 0)]);
    }
    const double d1 = c.d1[3], d2 = c.d2[3][3], d3 = c.d3[3][3][3];
    c.calculated = false;
    c.calculate(3, 3);
    EXPECT_NEAR(c.d1[3], d1, 1e-12);
    EXPECT_NEAR(c.d2[3][3], d2, 1e-12);
    EXPECT_NEAR(c.d3[3][3][3], d3, 1e-12);
}

TEST(LinearVariables, PrintedForms) {
    LineaX2 q;
    setUp(q, 4, 2, 2);
    q.a = {-1, 0, 3};
    EXPECT_EQ(captureStream([&](FILE* f) { q.printFormula(f); }), "noname = - var2 var2 + 3 var3 var3 \n");
    q.a = {2, -1, -0.5};
    EXPECT_EQ(captureStream([&](FILE* f) { q.printFormula(f); }),
              "noname = 2 * var2 var2 - 2 * var3 var2 - 0.5 var3 var3 \n");

    LineaX l;
    l.setName("b");
    setUp(l, 5, 2, 3);
    l.set_scalars_(-2.5, 0, -1);
    EXPECT_EQ(captureStream([&](FILE* f) { l.printFormula(f); }), "b = -2.5 var (2) + 0 var (3) - var (4) \n");
    l.set_scalars_(1, 1, 2);
    EXPECT_EQ(captureStream([&](FILE* f) { l.printFormula(f); }), "b = var (2) + var (3) + 2 var (4) \n");

    LineaX3 c;
    setUp(c, 4, 2, 2);
    c.a = {1, 2, -1, 0.5};  // (0,0,0) (1,0,0) (1,1,0) (1,1,1)
    EXPECT_EQ(captureStream([&](FILE* f) { c.printFormula(f); }),
              "noname = var2 var2 var2 + 3 * 2 var3 var2 var2 - 3 * var3 var3 var2 + 0.5 var3 var3 var3 \n");
}
