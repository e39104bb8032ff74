#pragma once
// Checks shared by the tests of the alternative water models: derivatives of
// a term's tree against central differences of its lower derivatives, the
// fugacity coefficient against the one from the model's own pressure, and
// states and saturation against the reference formulation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "fluid/FluidPhase.h"
#include "expressions/Expression.h"
#include "fluid/Interaction.h"
#include "water/WagnerPruss.h"

namespace altwater {

constexpr double kM = 0.018015268;  // kg/mol

inline double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// The temperature scale of a model's T: IAPWS-95 is on ITS-90; the older
// equations were fitted on IPTS-68.  A comparison at the same thermodynamic
// temperature evaluates IAPWS-95 at the ITS-90 value of the model's T.
enum class Scale { ITS90, IPTS68 };

// T90 from T68 (K) by the conversion polynomial of Rusby (J. Chem. Thermodyn.
// 23, 1153 (1991)) for t90 - t68 from -200 to 630 C: t90 - t68 = sum a_i (t90/630)^i,
// solved by fixed-point iteration (-0.0435 K at the critical point).
inline double its90FromIpts68(double T68)
{
    static const double a[8] = {-0.148759, -0.267408, 1.080760, 1.269056, -4.089591, -1.871251, 7.438081, -3.536296};
    double T90 = T68;
    for (int it = 0; it < 6; ++it) {
        const double x = (T90 - 273.15) / 630.0;
        double d = 0.0, xi = 1.0;
        for (double ai : a) {
            xi *= x;
            d += ai * xi;
        }
        T90 = T68 + d;
    }
    return T90;
}

inline double referenceTemperature(double T, Scale s) { return s == Scale::IPTS68 ? its90FromIpts68(T) : T; }

// Value and derivatives of a term's tree in T and V to the fourth order, in
// the order: value; T, V; TT, VT, VV; TTT, VTT, VVT, VVV; TTTT, VTTT, VVTT, VVVT, VVVV.
inline std::vector<double> treeJet(FluidPhase& m, Interaction& t, double T, double V)
{
    m.temperature(T);
    m.volume(V);
    t.calculate_critical_parameters_of_pure_fluid();
    std::vector<double> d;
    const Expression* r = t.root;
    d.push_back(r->value);
    // The engine stores a mixed derivative at its indices in descending order: V (1) before T (0).
    for (int order = 1; order <= 4; ++order)
        for (int nV = 0; nV <= order; ++nV) {
            int v[4] = {0, 0, 0, 0};
            for (int k = 0; k < nV; ++k) v[k] = 1;
            switch (order) {
            case 1: d.push_back(r->d1[v[0]]); break;
            case 2: d.push_back(r->d2[v[0]][v[1]]); break;
            case 3: d.push_back(r->d3[v[0]][v[1]][v[2]]); break;
            default: d.push_back(r->d4[v[0]][v[1]][v[2]][v[3]]); break;
            }
        }
    return d;
}

// Each derivative of order 1 to 4 against a fourth-order central difference
// (in T and in V) of the derivative one order lower.
inline void expectConsistentDerivatives(FluidPhase& m, Interaction& t, double T, double V, double tol = 1e-5)
{
    SCOPED_TRACE(testing::Message() << t.modelName() << " at " << T << " K, " << V << " m3/mol");
    const std::vector<double> c = treeJet(m, t, T, V);
    const double hT = 1e-4 * T, hV = 1e-4 * V;
    const auto t1 = treeJet(m, t, T + hT, V), t_1 = treeJet(m, t, T - hT, V);
    const auto t2 = treeJet(m, t, T + 2 * hT, V), t_2 = treeJet(m, t, T - 2 * hT, V);
    const auto v1 = treeJet(m, t, T, V + hV), v_1 = treeJet(m, t, T, V - hV);
    const auto v2 = treeJet(m, t, T, V + 2 * hV), v_2 = treeJet(m, t, T, V - 2 * hV);
    auto dT = [&](int k) { return (8 * (t1[k] - t_1[k]) - (t2[k] - t_2[k])) / (12 * hT); };
    auto dV = [&](int k) { return (8 * (v1[k] - v_1[k]) - (v2[k] - v_2[k])) / (12 * hV); };
    // Index of the derivative with nT T's and nV V's in the layout of treeJet.
    auto at = [](int nT, int nV) {
        const int order = nT + nV;
        return order * (order + 1) / 2 + nV;
    };
    int checked = 0;
    for (int order = 0; order < 4; ++order)
        for (int nV = 0; nV <= order; ++nV) {
            const int nT = order - nV;
            const int k = at(nT, nV);
            const double scaleT = std::fabs(c[k]) / T, scaleV = std::fabs(c[k]) / V;
            const double aT = c[at(nT + 1, nV)], aV = c[at(nT, nV + 1)];
            EXPECT_NEAR(dT(k), aT, tol * (std::fabs(aT) + 1e-3 * scaleT) + 1e-12)
                << "d/dT of (" << nT << " T, " << nV << " V)";
            EXPECT_NEAR(dV(k), aV, tol * (std::fabs(aV) + 1e-3 * scaleV) + 1e-12)
                << "d/dV of (" << nT << " T, " << nV << " V)";
            ++checked;
        }
    EXPECT_EQ(checked, 10);
}

// ln phi from the model's pressure alone: ln phi = int_V^inf (Z - 1) dV'/V' + Z - 1 - ln Z,
// with the integral over 1/V' from 0 to 1/V by 8-point Gauss-Legendre rules on 128 panels.
inline double lnFugacityCoefficientFromPressure(FluidPhase& m, double T, double V)
{
    static const double x8[4] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267, 0.9602898564975363};
    static const double w8[4] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};
    const double rhoMax = 1.0 / V;
    const int panels = 128;
    double integral = 0.0;
    for (int p = 0; p < panels; ++p) {
        const double a = rhoMax * p / panels, b = rhoMax * (p + 1) / panels;
        const double mid = 0.5 * (a + b), half = 0.5 * (b - a);
        for (int i = 0; i < 4; ++i)
            for (int s : {-1, 1}) {
                const double rho = mid + s * half * x8[i];
                m.temperature(T);
                m.volume(1.0 / rho);
                m.calculate_pressure();
                integral += half * w8[i] * (m.Z - 1.0) / rho;
            }
    }
    m.temperature(T);
    m.volume(V);
    m.calculate_pressure();
    return integral + m.Z - 1.0 - std::log(m.Z);
}

// Liquid or vapour molar volume at T (K) and P (bar).
inline double volumeAt(FluidPhase& m, int kind, double T, double P_bar, short& err)
{
    m.set_the_phase_as(kind);
    m.calculateFromTP(T, P_bar, 0);
    err = m.errorflag;
    return m.V;
}

// Saturation at T from water's start values; the vapour pressure in Pa, or -1.
inline double saturationPressure(WaterEOS& m, double T)
{
    m.initializeSaturationVolumesFromT("H2O", T);
    m.temperature(T);
    m.calculate_saturation_pressure();
    return m.errorflag ? -1.0 : m.Pv_sat;
}

// Liquid and gas densities against the reference formulation at states away
// from the critical region: liquid up to 600 K (or Tmax) above its vapour
// pressure, gas below it, and the supercritical fluid at 800 and 1000 K.
inline void expectDensitiesNearReference(FluidPhase& m, double tolLiquid, double tolGas, double Tmax = 1000.0,
                                         Scale scale = Scale::ITS90)
{
    WagnerPruss w(2);
    struct State { int kind; double T, P; };
    const State states[] = {
        {2, 280.0, 1.0},  {2, 300.0, 1.0},   {2, 300.0, 500.0}, {2, 350.0, 100.0}, {2, 400.0, 10.0},
        {2, 450.0, 200.0}, {2, 500.0, 50.0}, {2, 500.0, 1000.0}, {2, 550.0, 100.0}, {2, 600.0, 200.0},
        {1, 350.0, 0.2},  {1, 400.0, 1.0},   {1, 500.0, 10.0},  {1, 600.0, 50.0},  {1, 700.0, 100.0},
        {1, 800.0, 10.0}, {1, 800.0, 300.0}, {1, 1000.0, 100.0}, {1, 1000.0, 1000.0}};
    for (const State& s : states) {
        if (s.T > Tmax && s.T < 700.0)
            continue;
        SCOPED_TRACE(testing::Message() << s.T << " K, " << s.P << " bar");
        short e1 = 0, e2 = 0;
        const double V = volumeAt(m, s.kind, s.T, s.P, e1);
        const double Vw = volumeAt(w, s.kind, referenceTemperature(s.T, scale), s.P, e2);
        ASSERT_EQ(e1, 0);
        ASSERT_EQ(e2, 0);
        EXPECT_LT(rel(V, Vw), s.kind == 2 ? tolLiquid : tolGas);
        if (std::getenv("VARNOK_PRINT_DEVIATIONS"))
            std::printf("%s %g K %g bar: V %.2e\n", m.modelName(), s.T, s.P, rel(V, Vw));
        // Round trip: the pressure at the volume found is the one asked for.
        m.temperature(s.T);
        m.volume(V);
        m.calculate_pressure();
        EXPECT_LT(rel(m.P, 1e5 * s.P), 1e-6);
    }
}

// Densities on a grid from 300 to 640 K (20 K steps) and 1 bar to 1 kbar,
// liquid above IAPWS-95's vapour pressure and gas below, against IAPWS-95 at
// the same thermodynamic temperature; the volume search starts from the
// model's stored liquid estimate at every state.
inline void expectDensityGridNearReference(WaterEOS& m, double tol, Scale scale)
{
    WagnerPruss w(2);
    const double liquidStart = m.Vl0;
    int states = 0;
    for (double T = 300.0; T <= 640.0; T += 20.0) {
        const double Tw = referenceTemperature(T, scale);
        const double Psat = saturationPressure(w, Tw) * 1e-5;
        ASSERT_GT(Psat, 0.0) << T;
        for (double P : {1.0, 10.0, 50.0, 100.0, 200.0, 500.0, 1000.0}) {
            const int kind = P > Psat ? 2 : 1;
            SCOPED_TRACE(testing::Message() << T << " K, " << P << " bar, " << (kind == 2 ? "liquid" : "gas"));
            short e1 = 0, e2 = 0;
            m.Vl0 = liquidStart;
            const double V = volumeAt(m, kind, T, P, e1);
            const double Vw = volumeAt(w, kind, Tw, P, e2);
            ASSERT_EQ(e1, 0);
            ASSERT_EQ(e2, 0);
            EXPECT_LT(rel(V, Vw), tol);
            ++states;
        }
    }
    EXPECT_EQ(states, 18 * 7);
    m.Vl0 = liquidStart;
}

// Saturation pressure and both densities against the reference formulation.
inline void expectSaturationNearReference(WaterEOS& m, std::initializer_list<double> Ts, double tolP, double tolLiquid,
                                          double tolVapour, Scale scale = Scale::ITS90)
{
    WagnerPruss w(2);
    for (double T : Ts) {
        SCOPED_TRACE(testing::Message() << T << " K");
        const double P = saturationPressure(m, T);
        ASSERT_GT(P, 0.0);
        const double Vl = m.Vl_sat, Vv = m.Vv_sat;
        EXPECT_LT(rel(m.Pl_sat, m.Pv_sat), 1e-6);
        const double Pw = saturationPressure(w, referenceTemperature(T, scale));
        ASSERT_GT(Pw, 0.0);
        EXPECT_LT(rel(P, Pw), tolP);
        EXPECT_LT(rel(Vl, w.Vl_sat), tolLiquid);
        EXPECT_LT(rel(Vv, w.Vv_sat), tolVapour);
        if (std::getenv("VARNOK_PRINT_DEVIATIONS"))
            std::printf("%s %g K: P %.2e Vl %.2e Vv %.2e\n", m.modelName(), T, rel(P, Pw), rel(Vl, w.Vl_sat), rel(Vv, w.Vv_sat));
    }
}

// The fugacity coefficient of the framework's fugacity pass against the
// model's own pressure (checks the pass's constant parts): its volume
// derivative d ln phi/dV = (1 - Z)/V + Z_V (1 - 1/Z) at every state, and with
// `integrate` (a path from zero density that stays in one phase) the value
// integrated from the pressure.
inline void expectFugacityFromPressure(FluidPhase& m, double T, double V, double tol, bool integrate)
{
    SCOPED_TRACE(testing::Message() << T << " K, " << V << " m3/mol");
    const double expected = integrate ? lnFugacityCoefficientFromPressure(m, T, V) : 0.0;
    auto lnPhi = [&](double v) {
        m.calculateFromTV(T, v, 0);
        return std::log(m.fugcoef[0]);
    };
    const double h = 1e-4 * V;
    const double slope = (8 * (lnPhi(V + h) - lnPhi(V - h)) - (lnPhi(V + 2 * h) - lnPhi(V - 2 * h))) / (12 * h);
    m.calculateFromTV(T, V, 0);
    ASSERT_EQ(m.errorflag, 0);
    const double Z = m.Z, ZV = (m.P + V * m.dPdV) / (Interaction::R * T);
    EXPECT_NEAR(slope, (1 - Z) / V + ZV * (1 - 1 / Z), 1e-6 * (std::fabs(ZV) + 1 / V));
    if (integrate) {
        EXPECT_NEAR(std::log(m.fugcoef[0]), expected, tol);
    }
    EXPECT_NEAR(m.fugacity[0], m.fugcoef[0] * m.P, 1e-12 * m.fugacity[0]);
    // Its temperature derivative at constant volume against a central difference.
    const double dT = m.dfugcoefdT[0];
    const double hT = 1e-3 * T;
    auto phi = [&](double t) {
        m.calculateFromTV(t, V, 0);
        return m.fugcoef[0];
    };
    const double up = phi(T + hT), down = phi(T - hT), up2 = phi(T + 2 * hT), down2 = phi(T - 2 * hT);
    EXPECT_NEAR(dT, (8 * (up - down) - (up2 - down2)) / (12 * hT), 1e-6 * std::fabs(dT) + 1e-9 * std::fabs(up) / T);
}

// Fugacity checks at liquid, vapour and supercritical states.
inline void expectFugacitiesFromPressure(FluidPhase& m)
{
    expectFugacityFromPressure(m, 350.0, 1.8e-5, 0.0, false);
    expectFugacityFromPressure(m, 600.0, 2.4e-5, 0.0, false);
    expectFugacityFromPressure(m, 350.0, 0.1, 1e-6, true);
    expectFugacityFromPressure(m, 550.0, 2e-3, 1e-6, true);
    expectFugacityFromPressure(m, 900.0, 1e-4, 1e-5, true);
    expectFugacityFromPressure(m, 900.0, 4e-5, 1e-5, true);
}

// Every tree of a model, its terms and its ideal part, checked as above at
// the temperatures Ts and the volumes of liquid, near-critical and gaseous
// water (1.8e-5, 5.6e-5, 1e-3 m3/mol).
inline void expectConsistentDerivativesOfEveryTree(FluidPhase& m, std::initializer_list<double> Ts)
{
    for (double T : Ts)
        for (double V : {1.8e-5, 5.6e-5, 1e-3}) {
            for (int i = 0; i < m.nInteractions; ++i)
                expectConsistentDerivatives(m, *m.interactions[i], T, V);
            if (m.ideal)
                expectConsistentDerivatives(m, *m.ideal, T, V);
        }
}

// The model's ideal-gas heat capacity (at 10 m3/mol) from 300 to 1200 K
// against IAPWS-95's ideal part, to the relative tolerance tol.
inline void expectIdealGasHeatCapacityNearReference(FluidPhase& m, double tol)
{
    WagnerPruss w(1);
    for (double Tk : {300.0, 500.0, 800.0, 1200.0}) {
        m.calculateFromTV(Tk, 10.0, 0);
        w.calculateFromTV(Tk, 10.0, 0);
        ASSERT_EQ(m.errorflag, 0);
        EXPECT_LT(rel(m.Cp, w.Cp), tol) << Tk;
    }
}

// The presets every water model shares: its name, the one component H2O with
// its molar mass, and the start volumes of its volume search.
inline void expectPureWaterPresets(FluidPhase& m, const char* name, double Vl0, double Vv0)
{
    EXPECT_STREQ(m.modelName(), name);
    ASSERT_EQ(m.component_count, 1);
    EXPECT_STREQ(m.componentName(0), "H2O");
    EXPECT_EQ(m.molar_mass[0], kM);
    EXPECT_EQ(m.bulk_molar_weight, kM);
    EXPECT_EQ(m.Vl0, Vl0);
    EXPECT_EQ(m.Vv0, Vv0);
}

}  // namespace altwater
