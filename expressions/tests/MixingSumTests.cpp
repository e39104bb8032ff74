// Mixing sums and their composition monomials against closed forms: the
// quadratic van der Waals mixing rule with temperature-dependent coefficients,
// (x_1 + .. + x_n)^k for coefficients all 1, the monomials of every kind; and
// their handling of bad input, printed forms and ownership.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "expressions/ExpressionArrays.h"
#include "expressions/FVar.h"
#include "expressions/KVar.h"
#include "expressions/SumF.h"
#include "expressions/UnaryNodes.h"
#include "expressions/tests/Capture.h"
#include "expressions/tests/EvaluationPass.h"

namespace {

std::unique_ptr<SumF> makeSum(int k) {
    switch (k) {
        case 2: return std::make_unique<SumX2>();
        case 3: return std::make_unique<SumX3>();
        case 4: return std::make_unique<SumX4>();
        default: return std::make_unique<SumX5>();
    }
}

void tie(SumF& s, const std::vector<int>& t, Expression* e) {
    switch (t.size()) {
        case 2: static_cast<SumX2&>(s).tie_ij(t[0], t[1], e); break;
        case 3: static_cast<SumX3&>(s).tie_ijk(t[0], t[1], t[2], e); break;
        case 4: static_cast<SumX4&>(s).tie_ijkl(t[0], t[1], t[2], t[3], e); break;
        default: static_cast<SumX5&>(s).tie_ijklm(t[0], t[1], t[2], t[3], t[4], e); break;
    }
}

// Sorted tuples i_1 >= .. >= i_k over n values, in table order.
std::vector<std::vector<int>> sortedTuples(int n, int k) {
    std::vector<std::vector<int>> out;
    std::vector<int> t(k, 0);
    if (n <= 0) return out;
    for (;;) {
        out.push_back(t);
        int q = k - 1;
        for (; q >= 0; --q) {
            const int lim = q == 0 ? n - 1 : t[q - 1];
            if (t[q] < lim) {
                ++t[q];
                for (int s = q + 1; s < k; ++s) t[s] = 0;
                break;
            }
        }
        if (q < 0) return out;
    }
}

// The monomial node a sum leaves after an evaluation of that order against
// a node of its own on the same tuple and mole fractions: the same entries
// to the bit, whichever tuple of the sum it holds.
void expectMonomialOfItsTuple(SumF& s, const std::vector<double>& x, int order) {
    VarF& m = s.monomial();
    const int k = s.order();
    for (int p = 0; p < k; ++p) {
        EXPECT_GE(m.tuple[p], 0) << "k " << k;
        EXPECT_LT(m.tuple[p], s.n) << "k " << k;
    }
    std::unique_ptr<VarF> own;
    switch (k) {
        case 2: own = std::make_unique<VarX2>(); break;
        case 3: own = std::make_unique<VarX3>(); break;
        case 4: own = std::make_unique<VarX4>(); break;
        default: own = std::make_unique<VarX5>(); break;
    }
    own->number_of_variables(s.nvar);
    own->setCount(s.n);
    own->setFirst(s.firstIndex());
    own->set_variable_values(const_cast<double*>(x.data()));
    const int* t = m.tuple;
    switch (k) {
        case 2: static_cast<VarX2&>(*own).components(t[0], t[1], m.kind); break;
        case 3: static_cast<VarX3&>(*own).components(t[0], t[1], t[2], m.kind); break;
        case 4: static_cast<VarX4&>(*own).components(t[0], t[1], t[2], t[3], m.kind); break;
        default: static_cast<VarX5&>(*own).components(t[0], t[1], t[2], t[3], t[4], m.kind); break;
    }
    own->calculate(order);
    EXPECT_EQ(m.value, own->value);
    const std::size_t entries = Expression::storedEntries(s.nvar, 4);
    for (std::size_t q = 0; q < entries; ++q) EXPECT_EQ(m.d1[q], own->d1[q]) << "k " << k << " entry " << q;
}

double falling(int k, int m) {  // k (k-1) .. (k-m+1)
    double r = 1.0;
    for (int q = 0; q < m; ++q) r *= k - q;
    return r;
}

}  // namespace

// a = sum_ij x_i x_j a_ij(T) over [T, V, x_1, x_2, x_3], with the van der Waals
// attraction constants of CO2, CH4 and N2 (Pa m6 mol-2), the combining rule
// a_ij = (1 - k_ij) sqrt(a_i a_j), and a temperature dependence a_ij(T) =
// a_ij Tr/T through Inverse nodes, so that every mixed derivative in T and the
// x has a closed form.
TEST(MixingSums, QuadraticVanDerWaalsRuleAndItsDerivatives) {
    const double ai[3] = {0.3640, 0.2283, 0.1370};
    const double kij[3][3] = {{0, 0.10, -0.02}, {0.10, 0, 0.03}, {-0.02, 0.03, 0}};
    const double Tr = 300.0;
    double alpha[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) alpha[i][j] = (1 - kij[i][j]) * std::sqrt(ai[i] * ai[j]) * Tr;

    FVar T;
    T.index = 0;
    std::vector<std::unique_ptr<Inverse>> a;
    SumX2 s;
    s.setName("a");
    s.defineXVariables(2, 3);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j <= i; ++j) {
            a.push_back(std::make_unique<Inverse>());
            a.back()->setReleasedByParents(false);  // held by the vector
            a.back()->tie1(T);
            a.back()->set_scalars1(alpha[i][j]);
            s.tie_ij(i, j, a.back().get());
        }
    s.number_of_variables(5);
    s.analyze_dependencies();
    EXPECT_TRUE(s.isDependent(0));
    EXPECT_FALSE(s.isDependent(1));  // V enters no coefficient

    const std::vector<double> x = {350.0, 1e-4, 0.2, 0.5, 0.3};
    const double t = x[0];
    auto X = [&](int i) { return x[2 + i]; };
    double A = 0, Ak[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            A += X(i) * X(j) * alpha[i][j];
            Ak[i] += 2 * X(j) * alpha[i][j];
        }
    // a = A/T: derivatives in T are A (-1)^m m! / T^(m+1); each x_k brings
    // dA/dx_k = Ak, each pair 2 alpha_kl; third derivatives in x vanish.
    const double tol = 1e-13;
    for (int pass = 0; pass < 2; ++pass) {
        evaluate(s, x, 4);
        EXPECT_NEAR(s.value, A / t, tol);
        EXPECT_NEAR(s.d1[0], -A / (t * t), tol);
        EXPECT_NEAR(s.d2[0][0], 2 * A / std::pow(t, 3), tol);
        EXPECT_NEAR(s.d3[0][0][0], -6 * A / std::pow(t, 4), tol);
        EXPECT_NEAR(s.d4[0][0][0][0], 24 * A / std::pow(t, 5), tol);
        EXPECT_EQ(s.d1[1], 0.0);
        for (int k = 0; k < 3; ++k) {
            const int K = 2 + k;
            EXPECT_NEAR(s.d1[K], Ak[k] / t, tol);
            EXPECT_NEAR(s.d2[K][0], -Ak[k] / (t * t), tol);
            EXPECT_NEAR(s.d3[K][0][0], 2 * Ak[k] / std::pow(t, 3), tol);
            EXPECT_NEAR(s.d4[K][0][0][0], -6 * Ak[k] / std::pow(t, 4), tol);
            for (int l = 0; l <= k; ++l) {
                const int L = 2 + l;
                EXPECT_NEAR(s.d2[K][L], 2 * alpha[k][l] / t, tol);
                EXPECT_NEAR(s.d3[K][L][0], -2 * alpha[k][l] / (t * t), tol);
                EXPECT_NEAR(s.d4[K][L][0][0], 4 * alpha[k][l] / std::pow(t, 3), tol);
                for (int m = 0; m <= l; ++m) {
                    EXPECT_EQ(s.d3[K][L][2 + m], 0.0);
                    EXPECT_EQ(s.d4[K][L][2 + m][0], 0.0);
                }
            }
        }
    }
    // The one-variable evaluation gives the same pure entries.
    for (int v : {0, 2, 3, 4}) {
        evaluate(s, x, 4, v);
        const double e1 = v == 0 ? -A / (t * t) : Ak[v - 2] / t;
        const double e2 = v == 0 ? 2 * A / std::pow(t, 3) : 2 * alpha[v - 2][v - 2] / t;
        EXPECT_NEAR(s.value, A / t, tol);
        EXPECT_NEAR(s.d1[v], e1, tol);
        EXPECT_NEAR(s.d2[v][v], e2, tol);
        EXPECT_NEAR(s.d3[v][v][v], v == 0 ? -6 * A / std::pow(t, 4) : 0.0, tol);
    }
    // The coefficient nodes are linked children of the sum.
    EXPECT_EQ(a[0]->refcount, 1);
}

// With every coefficient 1 a mixing sum of order k is (x_1 + .. + x_n)^k, so
// its weights add up to n^k at x = 1 and every derivative of order m is
// k!/(k-m)! (sum x)^(k-m).
TEST(MixingSums, AllOnesGiveThePowerOfTheSum) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(0.1, 0.9);
    KVar one;
    one.set_scalars1(1.0);
    for (int k = 2; k <= 5; ++k)
        for (int n = 1; n <= 4; ++n) {
            auto s = makeSum(k);
            s->defineXVariables(1, n);
            for (auto& t : sortedTuples(n, k)) tie(*s, t, &one);
            const int nv = n + 1;
            s->number_of_variables(nv);
            s->analyze_dependencies();
            std::vector<double> x(nv, 1.0);
            evaluate(*s, x, 0);
            EXPECT_DOUBLE_EQ(s->value, std::pow(n, k)) << "k " << k << " n " << n;
            for (double& v : x) v = u(rng);
            x[0] = 7.0;  // outside the window
            double sx = 0;
            for (int i = 1; i < nv; ++i) sx += x[i];
            evaluate(*s, x, 4);
            const double tol = 1e-12 * std::pow(sx + 1, k) * 120;
            EXPECT_NEAR(s->value, std::pow(sx, k), tol);
            for (int i = 1; i < nv; ++i) {
                EXPECT_NEAR(s->d1[i], falling(k, 1) * std::pow(sx, k - 1), tol);
                for (int j = 1; j <= i; ++j) {
                    EXPECT_NEAR(s->d2[i][j], falling(k, 2) * std::pow(sx, k - 2), tol);
                    for (int l = 1; l <= j; ++l) {
                        EXPECT_NEAR(s->d3[i][j][l], falling(k, 3) * std::pow(sx, k - 3), tol);
                        for (int m = 1; m <= l; ++m)
                            EXPECT_NEAR(s->d4[i][j][l][m], falling(k, 4) * std::pow(sx, k - 4), tol);
                    }
                }
            }
            EXPECT_EQ(s->d1[0], 0.0);
            EXPECT_EQ(s->d2[1][0], 0.0);
            expectMonomialOfItsTuple(*s, x, 4);
            EXPECT_EQ(s->coefficient(), &one);
            // One variable at a time, whatever the flags.
            evaluate(*s, x, 4, nv - 1);
            expectMonomialOfItsTuple(*s, x, 4);
            EXPECT_NEAR(s->d4[nv - 1][nv - 1][nv - 1][nv - 1], falling(k, 4) * std::pow(sx, k - 4), tol);
            EXPECT_NEAR(s->d2[nv - 1][nv - 1], falling(k, 2) * std::pow(sx, k - 2), tol);
            EXPECT_EQ(s->d2[1][1] == 0.0, nv - 1 != 1);  // cleared, not written, for other variables
        }
}

TEST(MixingSums, EmptySumRecomputationAfterNewCompositionsAndOwnership) {
    SumX3 empty;
    empty.defineXVariables(2, 0);
    empty.number_of_variables(3);
    empty.analyze_dependencies();
    for (int order = 0; order <= 4; ++order) {
        evaluate(empty, {1, 2, 3}, order);
        EXPECT_EQ(empty.value, 0.0);
        EXPECT_EQ(empty.d1[2], 0.0);
    }

    // set_xvariables makes a calculated sum compute again at the new x.
    KVar c;
    c.set_scalars1(2.0);
    SumX2 s;
    s.defineXVariables(0, 2);
    s.tie_ij(0, 0, &c);
    s.tie_ij(1, 0, &c);
    s.tie_ij(1, 1, &c);
    s.number_of_variables(2);
    s.analyze_dependencies();
    evaluate(s, {1.0, 1.0}, 2);
    EXPECT_DOUBLE_EQ(s.value, 8.0);
    double xs[2] = {0.5, 0.25};
    s.set_xvariables(xs);
    s.calculate(2);
    EXPECT_DOUBLE_EQ(s.value, 2.0 * 0.75 * 0.75);
    EXPECT_EQ(c.refcount, 3);

    // Coefficients created separately are released with the sum; a table
    // made by the engine's allocator is handed over and freed with it.
    {
        SumX2 t;
        t.number_of_xvariables(2);
        t.starting_index(0);
        Expression*** table;
        expression_sym2alloc(&table, 2);
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j <= i; ++j) {
                auto* k = new KVar;
                k->set_scalars1(1.0 + i + j);
                table[i][j] = k;
            }
        t.installTerms(table);
        EXPECT_EQ(table[1][0]->refcount, 1);
        t.number_of_variables(2);
        t.analyze_dependencies();
        evaluate(t, {1.0, 2.0}, 1);
        EXPECT_DOUBLE_EQ(t.value, 1 * 1 + 2 * 2 * 1 * 2 + 3 * 2 * 2);
        // Retying an entry releases the coefficient it held.
        auto* other = new KVar;
        t.tie_ij(1, 1, other);
        EXPECT_EQ(t.terms[1][1], other);
    }  // leak checks under the sanitizers cover the rest
}

TEST(MixingSums, BadIndicesWindowsAndMissingTermsAreReported) {
    KVar c;
    c.setName("c");
    SumX2 s2;
    s2.setName("S");
    s2.defineXVariables(2, 2);
    testing::internal::CaptureStderr();
    s2.tie_ij(0, 1, &c);
    s2.tie_ij(2, 0, &c);
    s2.tie_ij(1, -1, &c);
    SumX3 s3;
    s3.defineXVariables(0, 3);
    s3.tie_ijk(1, 2, 0, &c);
    SumX4 s4;
    s4.setName("Q");
    s4.defineXVariables(0, 2);
    s4.tie_ijkl(1, 1, 0, 1, &c);
    SumX5 s5;
    s5.defineXVariables(0, 2);
    s5.tie_ijklm(2, 1, 1, 0, 0, &c);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Error : bad 0 and 1 indexes are specified to S.\n"
              "Error : bad 2 and 0 indexes are specified to S.\n"
              "Error : bad 1 and -1 indexes are specified to S.\n"
              "Error : bad 1, 2 and 0 indexes are specified to noname.\n"
              "Error : bad 1, 1, 0 and 1 indexes are specified to Q.\n"
              "Error : bad 2, 1, 1, 0 and 0 indexes are specified to noname.\n");
    EXPECT_EQ(c.refcount, 0);
    EXPECT_EQ(s2.terms[1][0], nullptr);

    // Missing terms: reported by check_pointers and by the evaluation, which
    // then computes nothing.
    s2.tie_ij(0, 0, &c);
    s2.number_of_variables(4);
    s2.analyze_dependencies();
    std::string cp = captureStream([&](FILE* f) { s2.check_pointers(f); });
    EXPECT_NE(cp.find("Node SumX2"), std::string::npos);
    EXPECT_NE(cp.find("i1 1 i2 0  : Null pointer assignment on the expression"), std::string::npos);
    EXPECT_NE(cp.find("i1 1 i2 1  : Null pointer assignment on the expression"), std::string::npos);
    testing::internal::CaptureStderr();
    evaluate(s2, {1, 1, 1, 1}, 4);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Error : \"S\" is not linked to another expression.\n");
    EXPECT_EQ(s2.value, 0.0);

    std::string cp4 = captureStream([&](FILE* f) { s4.check_pointers(f); });
    // The innermost loop stops at the first missing term of each row.
    EXPECT_EQ(cp4,
              "Error : \"Q\" (0,0,0,0) is not linked.\n"
              "Error : \"Q\" (1,0,0,0) is not linked.\n"
              "Error : \"Q\" (1,1,0,0) is not linked.\n"
              "Error : \"Q\" (1,1,1,0) is not linked.\n");

    // A window that reaches past the tree's variables.
    SumX2 w;
    w.setName("W");
    w.defineXVariables(2, 3);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j <= i; ++j) w.tie_ij(i, j, &c);
    testing::internal::CaptureStderr();
    w.number_of_variables(4);
    w.analyze_dependencies();
    evaluate(w, {1, 1, 1, 1}, 4);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Error : the components 2 .. 4 of \"W\" lie outside its 4 variables.\n"
              "Error : the components 2 .. 4 of \"W\" lie outside its 4 variables.\n");
    EXPECT_EQ(w.value, 0.0);

    // A table made for another number of components is refused.
    SumX3 m3;
    m3.setName("M");
    m3.number_of_xvariables(3);
    Expression**** small;
    expression_sym3alloc(&small, 2);
    testing::internal::CaptureStderr();
    m3.installTerms(small, 2);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Error : a table of 2 components is installed in \"M\" of 3 components.\n");
    EXPECT_EQ(m3.terms, nullptr);
    expression_dispose_sym3(small, 2);
    SumX2 none;  // an empty table handed over is released at once
    Expression*** empty;
    expression_sym2alloc(&empty, 0);
    none.installTerms(empty, 0);
    EXPECT_EQ(none.value, 0.0);

    // A sum sized without any table.
    SumX3 bare;
    bare.setName("B");
    bare.number_of_xvariables(2);
    bare.number_of_variables(3);
    testing::internal::CaptureStderr();
    evaluate(bare, {1, 1, 1}, 2);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Error : \"B\" has no table of terms for its 2 components.\n");
}

TEST(MixingSums, PrintedFormulasFollowTheWeights) {
    KVar a00, a10, a11;
    a00.setName("a00");
    a10.setName("a10");
    a11.setName("a11");
    SumX2 s;
    s.setName("S");
    s.defineXVariables(2, 2);
    s.tie_ij(0, 0, &a00);
    s.tie_ij(1, 0, &a10);
    s.tie_ij(1, 1, &a11);
    EXPECT_EQ(captureStream([&](FILE* f) { s.printFormula(f); }), "S = a00 x0 x0 + 2 a10 x1 x0 + a11 x1 x1 \n");
    SumX2 missing;
    missing.defineXVariables(2, 2);
    missing.tie_ij(1, 1, &a11);
    EXPECT_EQ(captureStream([&](FILE* f) { missing.printFormula(f); }),
              "noname = + ??? x0 x0 + ??? x1 x0 + a11 x1 x1 \n");

    KVar e;
    e.setName("e");
    SumX3 s3;
    s3.setName("C");
    s3.defineXVariables(0, 2);
    for (auto& t : sortedTuples(2, 3)) tie(s3, t, &e);
    EXPECT_EQ(captureStream([&](FILE* f) { s3.printFormula(f); }),
              "C =  e x0 x0 x0 +  e x1 x1 x1 + 3 e x1 x1 x0 + 3 e x1 x0 x0 \n");
    SumX4 s4;
    s4.defineXVariables(0, 4);
    for (auto& t : sortedTuples(4, 4)) tie(s4, t, &e);
    const std::string f4 = captureStream([&](FILE* f) { s4.printFormula(f); });
    EXPECT_NE(f4.find("+ 24 e x3 x2 x1 x0"), std::string::npos);
    EXPECT_NE(f4.find("+ 12 e x3 x3 x2 x1"), std::string::npos);
    // The printed weights add up to n^k, the value at x = 1 with all terms 1.
    double total = 0;
    for (std::size_t p = 0; p < f4.size(); ++p)
        if (f4[p] == 'e' && (p == 0 || f4[p - 1] == ' ')) {
            std::size_t q = p - 1;
            while (q > 0 && f4[q - 1] == ' ') --q;
            std::size_t b = q;
            while (b > 0 && std::isdigit(static_cast<unsigned char>(f4[b - 1]))) --b;
            total += b < q ? std::stod(f4.substr(b, q - b)) : 1.0;
        }
    EXPECT_EQ(total, 256.0);
    SumX5 s5;
    s5.defineXVariables(0, 2);
    for (auto& t : sortedTuples(2, 5)) tie(s5, t, &e);
    EXPECT_EQ(captureStream([&](FILE* f) { s5.printFormula(f); }),
              "noname =  e x0 x0 x0 x0 x0 +  e x1 x1 x1 x1 x1 +  5 e x1 x1 x1 x1 x0 + 10 e x1 x1 x1 x0 x0 "
              "+ 10 e x1 x1 x0 x0 x0 +  5 e x1 x0 x0 x0 x0 \n");
    EXPECT_STREQ(s5.getType(), "SumF");
}

// The monomials of every order and kind: values, derivatives and clearing.
TEST(CompositionVariables, MonomialsOfEveryKindAndTheirClearing) {
    // x_i = variable 1 + i.
    const std::vector<double> vals = {9.0, 1.5, 0.7, 2.0, 0.4, 1.1};
    auto setup = [&](VarF& p) {
        p.number_of_variables(6);
        p.setCount(5);
        p.setFirst(1);
        p.set_variable_values(const_cast<double*>(vals.data()));
    };
    VarX2 v2;
    setup(v2);
    v2.components(2, 2, 0);
    v2.calculate(4);
    EXPECT_DOUBLE_EQ(v2.value, 4.0);
    EXPECT_DOUBLE_EQ(v2.d1[3], 4.0);
    EXPECT_DOUBLE_EQ(v2.d2[3][3], 2.0);
    EXPECT_TRUE(v2.isDependent(3));
    EXPECT_FALSE(v2.isDependent(2));
    v2.components(3, 1, 1);
    EXPECT_EQ(v2.d1[3], 0.0);  // the previous tuple's entries are cleared
    EXPECT_EQ(v2.d2[3][3], 0.0);
    v2.calculate(4);
    EXPECT_DOUBLE_EQ(v2.value, 0.4 * 0.7);
    EXPECT_DOUBLE_EQ(v2.d1[4], 0.7);
    EXPECT_DOUBLE_EQ(v2.d1[2], 0.4);
    EXPECT_DOUBLE_EQ(v2.d2[4][2], 1.0);

    // Kind 11 of VarX5, pattern (i, j, j, l, m): the fourth derivative at the
    // four distinct variables is 2 x_j; kind 14, (i, j, l, m, m): the second at
    // (j, m) is 2 x_i x_l x_m; kind 13, (i, j, l, l, m): x_i x_j x_l^2 x_m.
    VarX5 v5;
    setup(v5);
    v5.components(4, 3, 3, 1, 0, 11);
    v5.calculate(4);
    EXPECT_DOUBLE_EQ(v5.value, 1.1 * 0.4 * 0.4 * 0.7 * 1.5);
    EXPECT_DOUBLE_EQ(v5.d4[5][4][2][1], 2 * 0.4);
    v5.components(4, 3, 2, 0, 0, 14);
    v5.calculate(4);
    EXPECT_DOUBLE_EQ(v5.d2[4][1], 2 * 1.1 * 2.0 * 1.5);
    v5.components(4, 3, 2, 2, 0, 13);
    v5.calculate(4);
    EXPECT_DOUBLE_EQ(v5.value, 1.1 * 0.4 * 2.0 * 2.0 * 1.5);

    // Every kind of every order: calculate(4) writes the kind's entries (all
    // nonzero for nonzero x), and the next components() clears exactly them.
    std::unique_ptr<VarF> nodes[4] = {std::make_unique<VarX2>(), std::make_unique<VarX3>(),
                                      std::make_unique<VarX4>(), std::make_unique<VarX5>()};
    for (int k = 2; k <= 5; ++k) {
        VarF& p = *nodes[k - 2];
        setup(p);
        for (int kind = 0; kind < (1 << (k - 1)); ++kind) {
            // The sorted tuple of this kind: start at 4 and step down at each 1 bit.
            int t[5], cur = 4;
            t[0] = cur;
            for (int g = 0; g < k - 1; ++g) t[g + 1] = (kind & (1 << (k - 2 - g))) ? --cur : cur;
            auto place = [&](const int* tt, short kd) {
                switch (k) {
                    case 2: static_cast<VarX2&>(p).components(tt[0], tt[1], kd); break;
                    case 3: static_cast<VarX3&>(p).components(tt[0], tt[1], tt[2], kd); break;
                    case 4: static_cast<VarX4&>(p).components(tt[0], tt[1], tt[2], tt[3], kd); break;
                    default: static_cast<VarX5&>(p).components(tt[0], tt[1], tt[2], tt[3], tt[4], kd); break;
                }
            };
            place(t, static_cast<short>(kind));
            p.calculate(4);
            int nonzero = p.value != 0.0 ? 1 : 0;
            const std::size_t cnt = Expression::storedEntries(6, 4);
            for (std::size_t e = 0; e < cnt; ++e) nonzero += p.d1[e] != 0.0;
            EXPECT_EQ(nonzero, mixk::entriesOfKind(k, static_cast<short>(kind))) << "k " << k << " kind " << kind;
            const int zero[5] = {0, 0, 0, 0, 0};
            place(zero, 0);
            for (std::size_t e = 0; e < cnt; ++e) ASSERT_EQ(p.d1[e], 0.0) << "k " << k << " kind " << kind;
            EXPECT_EQ(p.value, 0.0);
        }
    }
    EXPECT_EQ(mixk::entriesOfKind(5, 15), 31);  // value, 5 first, 10 second, 10 third, 5 fourth
    EXPECT_EQ(mixk::entriesOfKind(3, 0), 4);    // y^3, 3y^2, 6y, 6

    // A tuple out of order or a kind that does not match is refused.
    VarX3 v3;
    setup(v3);
    testing::internal::CaptureStderr();
    v3.components(1, 2, 0, 3);
    v3.components(2, 1, 0, 1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Error : bad tuple or kind 3 is specified to noname.\n"
              "Error : bad tuple or kind 1 is specified to noname.\n");
    v3.calculate(4);
    EXPECT_EQ(v3.value, 0.0);
    EXPECT_TRUE(v3.VarF::isDependent(1));
    EXPECT_TRUE(v3.VarF::isDependent(5));
    EXPECT_FALSE(v3.VarF::isDependent(6));
    EXPECT_FALSE(v3.VarF::isDependent(0));
}
