#pragma once
// Test helpers for the gas models' expression trees: the framework's printed
// numeric derivative check, and an independent check of each derivative
// against central differences of the derivative one order below.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/Interaction.h"
#include "expressions/Expression.h"

namespace gas_tests {

// Runs the term's own check (links, values, numeric derivatives of the root
// to the fourth order through the debug link) at (T, V) and compares every
// printed analytic derivative with its numeric counterpart.  Returns the
// number of pairs compared.
// The numeric side differentiates the tree's value with a step of 1e-7 K, so
// terms whose parts cancel need an absolute tolerance `abs` for the first
// derivatives.
inline int checkPrintedDerivatives(Interaction& t, double T, double V, double rel = 1e-4, double abs = 1e-8)
{
    t.T = T;
    t.V = V;
    testing::internal::CaptureStdout();
    t.checkInteraction();
    const std::string out = testing::internal::GetCapturedStdout();
    std::istringstream in(out);
    std::string line, previous;
    int pairs = 0;
    while (std::getline(in, line)) {
        const auto num = line.find("num.");
        if (num != std::string::npos && previous.find("ana.") != std::string::npos) {
            const auto close = previous.find_last_of(')');
            const double a = std::stod(previous.substr(close == std::string::npos ? previous.find("ana.") + 4 : close + 1));
            const double n = std::stod(line.substr(num + 4));
            EXPECT_NEAR(n, a, rel * std::fabs(a) + abs) << previous << "\n" << line;
            ++pairs;
        }
        previous = line;
    }
    return pairs;
}

// Value and the T/V derivatives of the term's root to the fourth order at (T, V):
// 0 a; 1 T, 2 V; 3 TT, 4 VT, 5 VV; 6 TTT, 7 VTT, 8 VVT, 9 VVV;
// 10 TTTT, 11 VTTT, 12 VVTT, 13 VVVT, 14 VVVV.
inline std::vector<double> termDerivatives(Interaction& t, double T, double V)
{
    t.T = T;
    t.V = V;
    t.calculate_critical_parameters_of_pure_fluid();
    const Expression* r = t.root;
    std::vector<double> d;
    d.push_back(r->value);
    // Derivatives are stored at descending indices: the V's (1) before the T's (0).
    d.push_back(r->d1[0]);
    d.push_back(r->d1[1]);
    d.push_back(r->d2[0][0]);
    d.push_back(r->d2[1][0]);
    d.push_back(r->d2[1][1]);
    d.push_back(r->d3[0][0][0]);
    d.push_back(r->d3[1][0][0]);
    d.push_back(r->d3[1][1][0]);
    d.push_back(r->d3[1][1][1]);
    d.push_back(r->d4[0][0][0][0]);
    d.push_back(r->d4[1][0][0][0]);
    d.push_back(r->d4[1][1][0][0]);
    d.push_back(r->d4[1][1][1][0]);
    d.push_back(r->d4[1][1][1][1]);
    return d;
}

// Every derivative of orders 1 to 4 against fourth-order central differences
// (in T and in V) of the derivative one order below.
inline void checkAgainstDifferences(Interaction& t, double T, double V, double rel = 2e-5, double step = 1e-3)
{
    SCOPED_TRACE(testing::Message() << t.modelName() << " at " << T << " K, " << V << " m3/mol");
    const std::vector<double> c = termDerivatives(t, T, V);
    const double hT = step * T, hV = step * V;
    const std::vector<double> t1 = termDerivatives(t, T + hT, V), t_1 = termDerivatives(t, T - hT, V);
    const std::vector<double> t2 = termDerivatives(t, T + 2 * hT, V), t_2 = termDerivatives(t, T - 2 * hT, V);
    const std::vector<double> v1 = termDerivatives(t, T, V + hV), v_1 = termDerivatives(t, T, V - hV);
    const std::vector<double> v2 = termDerivatives(t, T, V + 2 * hV), v_2 = termDerivatives(t, T, V - 2 * hV);
    auto dT = [&](int k) { return (8 * (t1[k] - t_1[k]) - (t2[k] - t_2[k])) / (12 * hT); };
    auto dV = [&](int k) { return (8 * (v1[k] - v_1[k]) - (v2[k] - v_2[k])) / (12 * hV); };
    // Index of the derivative with nT T's and nV V's.
    auto at = [](int nT, int nV) {
        const int n = nT + nV;
        static const int first[5] = {0, 1, 3, 6, 10};
        return first[n] + nV;
    };
    for (int n = 0; n < 4; ++n)
        for (int nV = 0; nV <= n; ++nV) {
            const int nT = n - nV;
            const int lower = at(nT, nV);
            const double scaleT = std::fabs(c[lower]) / T, scaleV = std::fabs(c[lower]) / V;
            const double aT = c[at(nT + 1, nV)], aV = c[at(nT, nV + 1)];
            EXPECT_NEAR(dT(lower), aT, rel * std::fabs(aT) + 1e-7 * scaleT + 1e-12) << "d/dT of " << lower;
            EXPECT_NEAR(dV(lower), aV, rel * std::fabs(aV) + 1e-7 * scaleV + 1e-12) << "d/dV of " << lower;
        }
}

// The presets of a one-component gas model as constructed.
struct Presets {
    const char* component;
    double molarMass;  // kg/mol
    const char* model;
    double Vl0, Vv0;   // start volumes, m3/mol
    double criticalT;  // K, start of the critical-point search
    double criticalV;  // m3/mol
    double Tmin;       // K
    int phaseKind;
};

inline void expectPresets(FluidPhase& m, const Presets& p)
{
    ASSERT_EQ(m.component_count, 1);
    EXPECT_STREQ(m.componentName(0), p.component);
    EXPECT_EQ(m.molar_mass[0], p.molarMass);
    EXPECT_EQ(m.bulk_molar_weight, p.molarMass);
    EXPECT_STREQ(m.modelName(), p.model);
    EXPECT_EQ(m.Vl0, p.Vl0);
    EXPECT_EQ(m.Vv0, p.Vv0);
    EXPECT_EQ(m.critical_T, p.criticalT);
    EXPECT_EQ(m.critical_V, p.criticalV);
    EXPECT_EQ(m.Tmin, p.Tmin);
    EXPECT_EQ(m.phase_kind, p.phaseKind);
}

// ln phi of the pure gas at (T, Pend bar) against the integral of (Z - 1)/P
// dP from 1e-3 bar at constant T, by Simpson's rule over n (even) intervals.
inline void expectFugacityFromIntegratedZ(FluidPhase& m, double T, double Pend, int n, double tol = 1e-4)
{
    double integral = 0.0;
    for (int k = 0; k <= n; ++k) {
        const double Pb = 1e-3 + (Pend - 1e-3) * k / n;
        m.calculateFromTP(T, Pb, 0);
        ASSERT_EQ(m.errorflag, 0) << Pb;
        const double w = (k == 0 || k == n) ? 1.0 : (k % 2 ? 4.0 : 2.0);
        integral += w * (m.Z - 1.0) / Pb;
    }
    integral *= (Pend - 1e-3) / n / 3.0;
    m.calculateFromTP(T, Pend, 0);
    EXPECT_NEAR(std::log(m.fugcoef[0]), integral, tol);
}

// The critical-point search from the model's own start (critical_T,
// critical_V), its report held off the output.
inline void searchCriticalPoint(FluidPhase& m)
{
    m.temperature(m.critical_T);
    m.volume(m.critical_V);
    testing::internal::CaptureStdout();
    m.search_the_critical_point_of_the_pure_component();
    testing::internal::GetCapturedStdout();
}

// The saturation pressure at T from the start volumes Vl0 and Vv0; the model
// is left at its saturated liquid (or vapour) volume with its fugacities.
inline void saturateAt(FluidPhase& m, double T, double Vl0, double Vv0, bool atLiquid)
{
    m.Vl0 = Vl0;
    m.Vv0 = Vv0;
    m.temperature(T);
    m.calculate_saturation_pressure();
    ASSERT_EQ(m.errorflag, 0);
    m.volume(atLiquid ? m.Vl_sat : m.Vv_sat);
    m.calculate_fugacities();
}

// From the state the model has just found at (T, Pb bar): no failure, the
// pressure again from (T, V) to the relative tolerance tol, and dP/dV < 0.
inline void expectPressureRoundTrip(FluidPhase& m, double T, double Pb, double tol)
{
    ASSERT_EQ(m.errorflag, 0) << T << " " << Pb;
    const double V = m.V;
    m.calculateFromTV(T, V, 0);
    EXPECT_NEAR(m.P, Pb * 1e5, tol * Pb * 1e5) << T << " " << Pb;
    EXPECT_LT(m.dPdV, 0.0);
}

}  // namespace gas_tests
