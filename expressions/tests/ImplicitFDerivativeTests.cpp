// Derivatives of the equations of an implicit function at its solution,
// against the closed forms of f(u, v) = u^2 exp(c v) - 1 (root
// u = exp(-c v/2)): every third and fourth derivative, for every order of
// its variable indices.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "expressions/FVar.h"
#include "expressions/Product.h"
#include "expressions/Sum1.h"
#include "expressions/UnaryNodes.h"
#include "expressions/VectFunc.h"

namespace {

constexpr double kC = 1.3;

class ExponentialSquare : public VectFunc {
public:
    FVar U, V;
    Square u2;
    Exponential e;
    Product p;
    Sum1 f;
    XFunc u;
    ExponentialSquare() : VectFunc(1, 1) {
        U.index = 0;
        V.index = 1;
        u2.tie1(U);
        e.tie1(V);
        e.set_scalars3(0.0, 1.0, kC);
        p.tie2(u2, e);
        f.tie1(p);
        f.set_scalars2(1.0, -1.0);
        fNodes[0] = &f;
        f.number_of_variables(2);
        f.analyze_dependencies();
        tie_u_node(0, u);
        u.number_of_variables(1);
    }
    void calculate_uv_values() override { uvNodes[0]->value = std::exp(-kC * y[1] / 2.0); }
};

// d^n f / du^k dv^(n-k) of u^2 exp(c v): (u^2)^(k) c^(n-k) exp(c v).
double closedForm(const int* idx, int n, double u, double v) {
    const int k = static_cast<int>(std::count(idx, idx + n, 0));
    const double du = k == 0 ? u * u : k == 1 ? 2.0 * u : k == 2 ? 2.0 : 0.0;
    return du * std::pow(kC, n - k) * std::exp(kC * v);
}

}  // namespace

TEST(ImplicitFDerivatives, ThirdAndFourthDerivativesInEveryIndexOrder) {
    ExponentialSquare s;
    for (double v : {-0.8, 0.0, 0.7, 2.1}) {
        s.set_variable_values(&v);
        s.calculate_uv_values();
        s.calculate_f_derivatives(4);
        const double u = std::exp(-kC * v / 2.0);
        EXPECT_NEAR(s.f.value, 0.0, 1e-14) << v;  // evaluated at the root
        const double scale = std::exp(kC * v) * 10.0;
        for (int m = 0; m < 16; ++m) {
            const std::array<int, 4> idx = {m & 1, (m >> 1) & 1, (m >> 2) & 1, (m >> 3) & 1};
            EXPECT_NEAR(s.d4f(0, idx[0], idx[1], idx[2], idx[3]), closedForm(idx.data(), 4, u, v), 1e-12 * scale)
                << v << " " << idx[0] << idx[1] << idx[2] << idx[3];
            if (m < 8) {
                EXPECT_NEAR(s.d3f(0, idx[0], idx[1], idx[2]), closedForm(idx.data(), 3, u, v), 1e-12 * scale)
                    << v << " " << idx[0] << idx[1] << idx[2];
            }
        }
    }
    // To order 3 only, at another point.
    double v = 0.3;
    s.set_variable_values(&v);
    s.calculate_uv_values();
    s.calculate_f_derivatives(3);
    const int idx[3] = {0, 1, 1};
    EXPECT_NEAR(s.d3f(0, 1, 0, 1), closedForm(idx, 3, std::exp(-kC * v / 2.0), v), 1e-12 * 10.0);
}
