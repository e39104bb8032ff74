#pragma once
// Test helpers: evaluation of one term's tree at (T, V, x) and a check of its
// analytic derivatives to the fourth order against central differences of
// the next lower order.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "expressions/Expression.h"
#include "fluid/Interaction.h"

namespace anderko_test {

inline void evalTerm(Interaction& t, double T, double V, const std::vector<double>& x, int order = 4) {
    t.T = T;
    t.V = V;
    for (std::size_t i = 0; i < x.size(); i++) t.x[i] = x[i];
    t.assignVariables();
    t.calculate_fixed_parameters();
    t.calculate_volume_dependent_parameters();
    t.calculate_high_order_parameters();
    t.root->calculate(order);
}

inline double entry(const Expression* e, const std::vector<int>& idx) {
    switch (idx.size()) {
        case 0: return e->value;
        case 1: return e->deriv({idx[0]});
        case 2: return e->deriv({idx[0], idx[1]});
        case 3: return e->deriv({idx[0], idx[1], idx[2]});
        default: return e->deriv({idx[0], idx[1], idx[2], idx[3]});
    }
}

// Every derivative of orders 1 to 4 in the variables `vars` (indices of
// [T, V, x...]) against the central difference of its lower-order entry.
inline void checkDerivatives(Interaction& t, double T, double V, const std::vector<double>& x,
                             const std::vector<int>& vars, double tol = 2e-5) {
    std::vector<double> base = {T, V};
    base.insert(base.end(), x.begin(), x.end());
    auto at = [&](const std::vector<double>& p) {
        evalTerm(t, p[0], p[1], std::vector<double>(p.begin() + 2, p.end()));
    };
    // All multisets of `vars` of size 0..3.
    std::vector<std::vector<int>> lists = {{}};
    for (int order = 1; order <= 3; order++) {
        std::vector<std::vector<int>> more;
        for (const auto& l : lists)
            if (static_cast<int>(l.size()) == order - 1)
                for (int v : vars)
                    if (l.empty() || v <= l.back()) {
                        auto m = l;
                        m.push_back(v);
                        more.push_back(m);
                    }
        lists.insert(lists.end(), more.begin(), more.end());
    }
    for (int k : vars) {
        const double h = 1e-4 * std::fabs(base[k]) + (k >= 2 ? 1e-5 : 0.0);
        auto p = base, m = base;
        p[k] += h;
        m[k] -= h;
        std::vector<double> vp, vm, an;
        at(p);
        for (const auto& l : lists) vp.push_back(entry(t.root, l));
        at(m);
        for (const auto& l : lists) vm.push_back(entry(t.root, l));
        at(base);
        for (std::size_t q = 0; q < lists.size(); q++) {
            auto l = lists[q];
            l.push_back(k);
            const double a = entry(t.root, l);
            const double num = (vp[q] - vm[q]) / (2 * h);
            const double scale = std::fabs(a) + std::fabs(num) + 1e-12 * std::fabs(t.root->value / std::pow(base[k], double(l.size())));
            EXPECT_LE(std::fabs(a - num), tol * scale + 1e-300)
                << "order " << l.size() << " var " << k << " after " << q << ": analytic " << a << " numeric " << num;
        }
    }
}

}  // namespace anderko_test
