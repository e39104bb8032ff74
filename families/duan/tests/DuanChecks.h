#pragma once
// Test helpers of the Duan family: the equation's closed form from a
// parameter set, evaluation of a term's tree at a state, and a check of every
// derivative against central differences of the derivative one order below.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "expressions/Expression.h"
#include "families/duan/DuanParameters.h"
#include "families/duan/tests/DuanReducedCoefficients.h"
#include "fluid/Interaction.h"

namespace duan_tests {

// The Duan compressibility factor in reduced variables.
inline double closedZ(const Reduced& r, double V)
{
    const double Vr = V / r.Vc, Vr2 = Vr * Vr;
    return 1.0 + r.B / Vr + r.C / Vr2 + r.D / (Vr2 * Vr2) + r.E / (Vr2 * Vr2 * Vr) +
           r.F / Vr2 * (r.beta + r.gamma / Vr2) * std::exp(-r.gamma / Vr2);
}

// A/(RT) + ln V, the integral of (1 - Z)/V from infinite volume, in reduced variables.
inline double closedResidual(const Reduced& r, double V)
{
    const double Vr = V / r.Vc, Vr2 = Vr * Vr;
    const double g = r.gamma;
    return r.B / Vr + r.C / (2 * Vr2) + r.D / (4 * Vr2 * Vr2) + r.E / (5 * Vr2 * Vr2 * Vr) +
           r.F / (2 * g) * (r.beta + 1.0 - (r.beta + 1.0 + g / Vr2) * std::exp(-g / Vr2));
}

// The term's tree at (T, V, x) to the fourth order.
inline const Expression* evaluate(Interaction& t, double T, double V, std::initializer_list<double> x = {})
{
    t.T = T;
    t.V = V;
    int i = 0;
    for (double xi : x) t.x[i++] = xi;
    t.assignVariables();
    t.calculate_fixed_parameters();
    t.calculate_volume_dependent_parameters();
    t.calculate_high_order_parameters();
    t.root->calculate(4);
    return t.root;
}

// Every derivative of orders 1 to 4 of the term's root over the variables
// `vars` against fourth-order central differences of the derivative one
// order below, at the state v = [T, V, x...].
inline void checkDerivatives(Interaction& t, std::vector<double> v, std::initializer_list<int> vars,
                             double rel = 2e-5, double step = 1e-3)
{
    auto at = [&](const std::vector<double>& w, const std::vector<int>& idx) {
        std::vector<double> xs(w.begin() + 2, w.end());
        t.T = w[0];
        t.V = w[1];
        for (std::size_t i = 0; i < xs.size(); ++i) t.x[i] = xs[i];
        t.assignVariables();
        t.calculate_fixed_parameters();
        t.calculate_volume_dependent_parameters();
        t.calculate_high_order_parameters();
        t.root->calculate(4);
        if (idx.empty()) return t.root->value;
        if (idx.size() == 1) return t.root->d1[idx[0]];
        if (idx.size() == 2) return t.root->deriv({idx[0], idx[1]});
        if (idx.size() == 3) return t.root->deriv({idx[0], idx[1], idx[2]});
        return t.root->deriv({idx[0], idx[1], idx[2], idx[3]});
    };
    std::vector<std::vector<int>> lower = {{}};
    for (int order = 1; order <= 4; ++order) {
        std::vector<std::vector<int>> next;
        for (const auto& l : lower)
            for (int var : vars) {
                if (!l.empty() && var > l.back()) continue;  // each sorted tuple once
                std::vector<int> idx = l;
                idx.push_back(var);
                const double h = step * (v[var] != 0.0 ? std::fabs(v[var]) : 1.0);
                auto shifted = [&](double s) {
                    std::vector<double> w = v;
                    w[var] += s * h;
                    return at(w, l);
                };
                const double num = (8 * (shifted(1) - shifted(-1)) - (shifted(2) - shifted(-2))) / (12 * h);
                const double ana = at(v, idx);
                const double scale = std::fabs(at(v, l)) / (v[var] != 0.0 ? std::fabs(v[var]) : 1.0);
                EXPECT_NEAR(num, ana, rel * std::fabs(ana) + 1e-7 * scale + 1e-12)
                    << t.modelName() << " derivative of order " << order << " in the last variable " << var;
                next.push_back(idx);
            }
        lower = next;
    }
}

}  // namespace duan_tests
