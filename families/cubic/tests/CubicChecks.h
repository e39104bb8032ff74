#pragma once
// Test helpers of the cubic families: an independent check of every
// derivative of a term's tree, to the fourth order and over all variables
// (T, V and each mole fraction), against central differences of the
// derivative one order below; and closed forms of the SRK and Peng-Robinson
// equations of state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "expressions/Expression.h"
#include "fluid/Interaction.h"

namespace cubic_tests {

// Writes a component file (e.g. "compo/Gas") in the test's working folder,
// where the data-file resolver finds it after the source tree.
inline void writeComponentFile(const char* path, const char* text) {
    std::filesystem::create_directories("compo");
    std::FILE* f = std::fopen(path, "w");
    ASSERT_NE(f, nullptr);
    std::fputs(text, f);
    std::fclose(f);
}

// Stored derivative of a node in the listed variables (any order).
inline double nodeDerivative(const Expression* e, std::vector<int> vars) {
    std::sort(vars.begin(), vars.end(), [](int a, int b) { return a > b; });
    switch (vars.size()) {
        case 0: return e->value;
        case 1: return e->d1[vars[0]];
        case 2: return e->d2[vars[0]][vars[1]];
        case 3: return e->d3[vars[0]][vars[1]][vars[2]];
        default: return e->d4[vars[0]][vars[1]][vars[2]][vars[3]];
    }
}

// Evaluates the term's tree to the fourth order at v = [T, V, x...].
inline void evaluateTerm(Interaction& t, const std::vector<double>& v) {
    t.T = v[0];
    t.V = v[1];
    for (int i = 0; i < t.component_count; i++) t.x[i] = v[2 + i];
    t.assignVariables();
    t.calculate_fixed_parameters();
    t.calculate_volume_dependent_parameters();
    t.calculate_high_order_parameters();
    t.root->calculate(4);
}

// Derivative of the root in the listed variables at v.
inline double termDerivative(Interaction& t, const std::vector<double>& v, const std::vector<int>& vars) {
    evaluateTerm(t, v);
    EXPECT_EQ(Expression::sError, 0);
    return nodeDerivative(t.root, vars);
}

// Every derivative of orders 1 to 4 (all variable combinations, sorted)
// against a fourth-order central difference of the one below.
inline void checkAllDerivatives(Interaction& t, const std::vector<double>& v, double rel = 1e-6) {
    const int nv = static_cast<int>(v.size());
    std::vector<double> h(nv);
    h[0] = 1e-3 * v[0];
    h[1] = 1e-3 * v[1];
    for (int i = 2; i < nv; i++) h[i] = 1e-3;
    // Scale of a derivative: the value over the product of the variable scales.
    auto scaleOf = [&](const std::vector<int>& vars) {
        evaluateTerm(t, v);
        double s = std::fabs(t.root->value) + 1.0;
        for (int k : vars) s /= (k == 0 ? v[0] : k == 1 ? v[1] : 1.0);
        return s;
    };
    std::vector<std::vector<int>> lower = {{}};
    for (int order = 1; order <= 4; order++) {
        std::vector<std::vector<int>> next;
        for (const auto& base : lower)
            for (int k = 0; k < nv; k++) {
                if (!base.empty() && k > base.back()) continue;  // sorted descending, each set once
                std::vector<int> vars = base;
                vars.push_back(k);
                next.push_back(vars);
                std::vector<double> p = v;
                auto at = [&](double s) {
                    p[k] = v[k] + s * h[k];
                    return termDerivative(t, p, base);
                };
                const double num = (8.0 * (at(1) - at(-1)) - (at(2) - at(-2))) / (12.0 * h[k]);
                evaluateTerm(t, v);
                const double ana = nodeDerivative(t.root, vars);
                const double tol = rel * (std::fabs(ana) + 1e-3 * scaleOf(vars));
                std::string label;
                for (int q : vars) label += std::to_string(q) + " ";
                EXPECT_NEAR(num, ana, tol) << t.modelName() << " derivative in variables " << label;
            }
        lower = next;
    }
}

}  // namespace cubic_tests

namespace cubic_tests {

constexpr double kR = 8.31434;

// Closed forms of a two-parameter cubic P = RT/(V - b) - a/((V - d1 b)(V - d2 b))
// with van der Waals one-fluid mixing: SRK d1 = 0, d2 = -1; PR d1 = sqrt 2 - 1, d2 = -1 - sqrt 2.
struct ClosedCubic {
    double d1, d2;
    std::vector<double> a, b;             // component a_i(T), b_i
    std::vector<std::vector<double>> k;   // kaij
    double aij(int i, int j) const { return (1.0 - k[i][j]) * std::sqrt(a[i] * a[j]); }
    double amix(const std::vector<double>& x) const {
        double s = 0;
        for (size_t i = 0; i < x.size(); i++)
            for (size_t j = 0; j < x.size(); j++) s += x[i] * x[j] * aij(i, j);
        return s;
    }
    double bmix(const std::vector<double>& x) const {
        double s = 0;
        for (size_t i = 0; i < x.size(); i++) s += x[i] * b[i];
        return s;
    }
    double P(double T, double V, const std::vector<double>& x) const {
        const double am = amix(x), bm = bmix(x);
        return kR * T / (V - bm) - am / ((V - d1 * bm) * (V - d2 * bm));
    }
    // ln phi_i at (T, V) with the pressure of the model.
    double lnPhi(int i, double T, double V, const std::vector<double>& x) const {
        const double am = amix(x), bm = bmix(x), p = P(T, V, x);
        const double Z = p * V / (kR * T), A = am * p / (kR * kR * T * T), B = bm * p / (kR * T);
        double s = 0;
        for (size_t j = 0; j < x.size(); j++) s += x[j] * aij(i, j);
        const double L = std::log((Z - d1 * B) / (Z - d2 * B)) / (d1 - d2);
        return b[i] / bm * (Z - 1.0) - std::log(Z - B) + A / B * (2.0 * s / am - b[i] / bm) * L;
    }
};

inline double soaveAlpha(double T, double Tc, double m) {
    const double s = 1.0 + m * (1.0 - std::sqrt(T / Tc));
    return s * s;
}

}  // namespace cubic_tests
