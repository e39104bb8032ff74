#pragma once
// Test helpers of the Kreglewski family: evaluation of a term's tree at a
// point, and a check of every stored derivative to the fourth order against
// central differences of the derivative one order below.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "expressions/Expression.h"
#include "fluid/Interaction.h"

namespace kreg_tests {

inline double stored(const Expression* e, std::vector<int> vars) {
    std::sort(vars.begin(), vars.end(), [](int a, int b) { return a > b; });
    switch (vars.size()) {
        case 0: return e->value;
        case 1: return e->d1[vars[0]];
        case 2: return e->d2[vars[0]][vars[1]];
        case 3: return e->d3[vars[0]][vars[1]][vars[2]];
        default: return e->d4[vars[0]][vars[1]][vars[2]][vars[3]];
    }
}

// The tree at v = [T, V, x...] to the fourth order; false on an engine error.
inline bool evaluate(Interaction& t, const std::vector<double>& v) {
    t.T = v[0];
    t.V = v[1];
    for (int i = 0; i < t.component_count; i++) t.x[i] = v[2 + i];
    t.assignVariables();
    t.calculate_fixed_parameters();
    t.calculate_volume_dependent_parameters();
    t.calculate_high_order_parameters();
    t.root->calculate(4);
    return Expression::sError == 0;
}

inline double value(Interaction& t, const std::vector<double>& v, const std::vector<int>& vars = {}) {
    EXPECT_TRUE(evaluate(t, v));
    return stored(t.root, vars);
}

// Z = -V d(A/RT)/dV of the term at (T, V, x).
inline double termZ(Interaction& t, const std::vector<double>& v) { return -v[1] * value(t, v, {1}); }

// Every derivative of orders 1 to 4 against a five-point difference of the one below.
inline void checkDerivatives(Interaction& t, const std::vector<double>& v, double rel = 2e-6) {
    const int nv = static_cast<int>(v.size());
    std::vector<double> h(nv, 1e-4);
    h[0] = 1e-3 * v[0];
    h[1] = 1e-3 * v[1];
    std::vector<std::vector<int>> sets = {{}};
    for (int order = 1; order <= 4; order++) {
        std::vector<std::vector<int>> next;
        for (const auto& s : sets) {
            const int from = s.empty() ? 0 : s.back();
            for (int k = from; k < nv; k++) {
                std::vector<int> lower = s;
                std::vector<int> full = s;
                full.push_back(k);
                next.push_back(full);
                auto at = [&](double dx) {
                    std::vector<double> w = v;
                    w[k] += dx;
                    return value(t, w, lower);
                };
                const double hk = h[k];
                const double numeric = (8.0 * (at(hk) - at(-hk)) - (at(2 * hk) - at(-2 * hk))) / (12.0 * hk);
                const double analytic = value(t, v, full);
                double scale = std::fabs(value(t, v, {})) + 1.0;
                for (int i : full) scale /= (i == 0 ? v[0] : i == 1 ? v[1] : 1.0);
                EXPECT_NEAR(analytic, numeric, rel * scale + 1e-7 * std::fabs(analytic))
                    << t.modelName() << " order " << order << " last variable " << k;
            }
        }
        sets = next;
    }
}

}  // namespace kreg_tests
