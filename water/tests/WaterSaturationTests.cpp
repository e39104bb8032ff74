// Liquid-vapour equilibrium of the reference water model against the IAPWS-95
// verification values (Wagner & Pruss, J. Phys. Chem. Ref. Data 31 (2002) 387,
// table of saturation states) and the auxiliary saturation equations of the
// same paper.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "water/WagnerPruss.h"
#include "water/tests/Iapws95Direct.h"

namespace {

constexpr double kM = 0.018015268;

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// Saturation at T from water's own start values.
void saturate(WagnerPruss& w, double T) {
    w.initializeSaturationVolumesFromT("H2O", T);
    w.temperature(T);
    w.calculate_saturation_pressure();
}

}  // namespace

// IAPWS-95 Release, Table 8: every printed digit of the saturation pressure,
// the densities, enthalpies and entropies of both phases, with the release's
// gas constant applied (iapws95test::kGasConstantFactor: the model's
// pressures, enthalpies and entropies carry the framework's 8.31434 J/(mol K)
// where the formulation has 8.3143714; the equilibrium densities do not
// depend on it).
TEST(WaterSaturation, VerificationValues) {
    using iapws95test::halfUnit;
    using iapws95test::kGasConstantFactor;
    struct Row {
        double T, p, rhol, rhov, hl, hv, sl, sv;  // K, MPa, kg/m3, kJ/kg, kJ/(kg K)
    };
    const Row rows[] = {
        {275.0, 0.698451167e-3, 0.999887406e3, 0.550664919e-2, 0.775972202e1, 0.250428995e4, 0.283094670e-1,
         0.910660121e1},
        {450.0, 0.932203564, 0.890341250e3, 0.481200360e1, 0.749161585e3, 0.277441078e4, 0.210865845e1,
         0.660921221e1},
        {625.0, 0.169082693e2, 0.567090385e3, 0.118290280e3, 0.168626976e4, 0.255071625e4, 0.380194683e1,
         0.518506121e1},
    };
    WagnerPruss w(2);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.T);
        saturate(w, r.T);
        ASSERT_EQ(w.errorflag, 0);
        const double Vl = w.Vl_sat, Vv = w.Vv_sat, P = w.Pv_sat;
        EXPECT_NEAR(kM / Vl, r.rhol, halfUnit(r.rhol, 9));
        EXPECT_NEAR(kM / Vv, r.rhov, halfUnit(r.rhov, 9));
        EXPECT_NEAR(P * kGasConstantFactor * 1e-6, r.p, halfUnit(r.p, 9));
        // The liquid's own pressure carries the rounding of 1 + delta phi_delta.
        EXPECT_LT(rel(w.Pl_sat, w.Pv_sat), 1e-6);
        w.calculateFromTV(r.T, Vl, 0);
        EXPECT_NEAR(w.H / kM * 1e-3 * kGasConstantFactor, r.hl, halfUnit(r.hl, 9));
        EXPECT_NEAR(w.S / kM * 1e-3 * kGasConstantFactor, r.sl, halfUnit(r.sl, 9));
        w.calculateFromTV(r.T, Vv, 0);
        EXPECT_NEAR(w.H / kM * 1e-3 * kGasConstantFactor, r.hv, halfUnit(r.hv, 9));
        EXPECT_NEAR(w.S / kM * 1e-3 * kGasConstantFactor, r.sv, halfUnit(r.sv, 9));
    }
}

// The auxiliary equations reproduce IAPWS-95 to 1e-4 in pressure, but their
// densities were fitted before IAPWS-95 and differ from it by up to 6e-4 (the
// liquid density of the auxiliary equation is 4.3e-4 below the verification
// value at 625 K): the densities are held to 1e-3.
TEST(WaterSaturation, WithinTheAuxiliaryEquationsFrom275To640K) {
    WagnerPruss w(2);
    for (double T = 275.0; T <= 640.0; T += 5.0) {
        SCOPED_TRACE(T);
        saturate(w, T);
        ASSERT_EQ(w.errorflag, 0);
        EXPECT_LT(rel(w.Pv_sat, WaterEOS::saturationPressureWagnerPruss(T)), 1e-4);
        EXPECT_LT(rel(kM / w.Vl_sat, WaterEOS::saturatedLiquidDensityWagnerPruss(T)), 1e-3);
        EXPECT_LT(rel(kM / w.Vv_sat, WaterEOS::saturatedVapourDensityWagnerPruss(T)), 1e-3);
    }
}

// Up to a ten-thousandth of a kelvin below the critical point the console's
// saturation state exists: the pressure of the auxiliary equation (which
// reaches the critical pressure with the formulation), a liquid denser and a
// vapour lighter than the critical density; at the critical temperature
// itself it is the critical point (IAPWS-95: 22.064 MPa, 322 kg/m3 for both
// sides), and above it there is none.
TEST(WaterSaturation, UpToTheCriticalPoint) {
    WagnerPruss w(2);
    const double Tc = 647.096, rhoc = 322.0;
    for (double dT : {6.0, 2.0, 1.0, 0.3, 0.1, 0.03, 0.016, 0.01, 0.004, 0.002, 1e-3, 1e-4}) {
        const double T = Tc - dT;
        SCOPED_TRACE(T);
        ASSERT_EQ(w.calculateTheSaturationPressure(T, false), 0);
        EXPECT_LT(rel(w.Pv_sat, WaterEOS::saturationPressureWagnerPruss(T)), 1e-4);
        EXPECT_GT(kM / w.Vl_sat, rhoc);
        EXPECT_LT(kM / w.Vv_sat, rhoc);
    }
    ASSERT_EQ(w.calculateTheSaturationPressure(Tc, false), 0);
    EXPECT_LT(rel(w.Pv_sat, 22.064e6), 1e-5);
    EXPECT_LT(rel(kM / w.Vl_sat, rhoc), 1e-4);
    EXPECT_EQ(w.Vl_sat, w.Vv_sat);
    EXPECT_EQ(w.Hvap, 0.0);
    for (double T : {Tc + 1e-6, Tc + 0.01}) EXPECT_NE(w.calculateTheSaturationPressure(T, false), 0) << T;
}

TEST(WaterSaturation, CurveFromTheTriplePointToTheCriticalPoint) {
    WagnerPruss w(2);
    std::vector<double> rows;
    testing::internal::CaptureStdout();
    w.calculate_saturation_curve("unused", 2, w.critical_T, -1.0, w.critical_V, w.critical_V, 273.16, 6, "w",
                                 &rows);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(rows.size() % 28, 0u);
    const std::size_t n = rows.size() / 28;
    ASSERT_GT(n, 300u);
    auto at = [&](std::size_t i, int k) { return rows[28 * i + k]; };
    // The critical point of IAPWS-95: 647.096 K, 322 kg/m3.
    EXPECT_NEAR(at(0, 3), 647.096, 1e-3);
    EXPECT_NEAR(kM / (at(0, 1) * 1e-6), 322.0, 0.05);
    for (std::size_t i = 1; i < n; i++) {
        const double T = at(i, 3);
        EXPECT_LT(T, at(i - 1, 3));
        EXPECT_LE(at(i - 1, 3) - T, 1.0 + 1e-9);
        EXPECT_LT(at(i, 1), at(i, 2));
        if (T <= 640.0) {
            EXPECT_LT(rel(at(i, 0) * 1e5, WaterEOS::saturationPressureWagnerPruss(T)), 1e-4) << T;
            const double tol = T <= 635.0 ? 1e-3 : 2e-3;  // the auxiliary densities near Tc
            EXPECT_LT(rel(at(i, 25), WaterEOS::saturatedLiquidDensityWagnerPruss(T)), tol) << T;
            EXPECT_LT(rel(at(i, 26), WaterEOS::saturatedVapourDensityWagnerPruss(T)), tol) << T;
        }
        // Clausius-Clapeyron between neighbours.
        if (i > 1 && T < 600.0) {
            const double dPdT = (at(i - 1, 0) - at(i, 0)) * 1e5 / (at(i - 1, 3) - T);
            const double Tm = 0.5 * (T + at(i - 1, 3));
            const double L = 0.5 * (at(i, 7) - at(i, 6) + at(i - 1, 7) - at(i - 1, 6));
            const double dV = 0.5 * (at(i, 2) - at(i, 1) + at(i - 1, 2) - at(i - 1, 1)) * 1e-6;
            EXPECT_LT(rel(dPdT, L / (Tm * dV)), 2e-3) << T;
        }
    }
    // Down to the triple point; from 640 K to the last full step above it with
    // one step size all along, so no trial failed there (only the steps that
    // would pass the triple point shrink).
    EXPECT_GE(at(n - 1, 3), 273.16);
    EXPECT_LT(at(n - 1, 3), 273.17);
    std::size_t first = 1;
    while (first < n && at(first, 3) > 640.0) first++;
    const double step = at(first, 3) - at(first + 1, 3);
    EXPECT_GT(step, 0.5);
    for (std::size_t i = first + 1; i < n && at(i, 3) > 273.16 + step; i++)
        EXPECT_NEAR(at(i - 1, 3) - at(i, 3), step, 1e-9) << at(i, 3);
}

TEST(WaterSaturation, TieLinesAndHomogenisationTemperaturesRoundTrip) {
    WagnerPruss w(2);
    const double T = 450.0;
    saturate(w, T);
    ASSERT_EQ(w.errorflag, 0);
    const double Vl = w.Vl_sat, Vv = w.Vv_sat, P = w.Pv_sat;
    w.calculateFromTV(T, Vl, 0);
    const double Sl = w.S;
    w.calculateFromTV(T, Vv, 0);
    const double Sv = w.S;

    // Saturation temperature at the saturation pressure.
    w.initializeSaturationVolumesFromT("H2O", 440.0);
    w.calculate_saturation_temperature(P, 440.0);
    ASSERT_EQ(w.errorflag, 0);
    EXPECT_LT(rel(w.T, T), 1e-9);
    EXPECT_LT(rel(w.Vl_sat, Vl), 1e-8);
    EXPECT_LT(rel(w.Vv_sat, Vv), 1e-8);
    // Homogenisation of the saturated liquid and of the saturated vapour.
    for (double Th : {360.0, 450.0, 600.0}) {
        SCOPED_TRACE(Th);
        saturate(w, Th);
        const double vl = w.Vl_sat, vv = w.Vv_sat;
        w.initializeSaturationVolumesFromT("H2O", Th + 8.0);
        w.temperature(Th + 8.0);
        w.calculateLiquidTh(vl);
        ASSERT_EQ(w.errorflag, 0);
        EXPECT_LT(rel(w.T, Th), 1e-9);
        EXPECT_LT(rel(w.Vv_sat, vv), 1e-7);
        w.initializeSaturationVolumesFromT("H2O", Th - 8.0);
        w.temperature(Th - 8.0);
        w.calculateGasTh(vv);
        ASSERT_EQ(w.errorflag, 0);
        EXPECT_LT(rel(w.T, Th), 1e-9);
        EXPECT_LT(rel(w.Vl_sat, vl), 1e-7);
    }
    // Saturation from the entropy of either phase.
    w.initializeSaturationVolumesFromT("H2O", 455.0);
    w.temperature(455.0);
    w.calculateLiquidSaturationFromEntropy(Sl);
    ASSERT_EQ(w.errorflag, 0);
    EXPECT_LT(rel(w.T, T), 1e-9);
    w.initializeSaturationVolumesFromT("H2O", 445.0);
    w.temperature(445.0);
    w.calculateGasSaturationFromEntropy(Sv);
    ASSERT_EQ(w.errorflag, 0);
    EXPECT_LT(rel(w.T, T), 1e-9);
    EXPECT_LT(rel(w.Vv_sat, Vv), 1e-8);

    // Tie lines from T and from P: the same two states.
    testing::internal::CaptureStdout();
    saturate(w, T);
    w.calculateTheConodeFromT(T, 2, "w");
    w.initializeSaturationVolumesFromT("H2O", 445.0);
    w.calculateTheConodeFromP(P / 1e5, 445.0, 1, "w");
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("Vaporisation Enthalpy"), std::string::npos);
    auto rowsOf = [](const char* path) {
        std::ifstream in(path);
        std::string line;
        std::vector<std::vector<double>> rows;
        while (std::getline(in, line)) {
            std::istringstream is(line);
            std::vector<double> r;
            double v;
            while (is >> v) r.push_back(v);
            if (r.size() >= 12) rows.push_back(r);
        }
        return rows;
    };
    const auto fromT = rowsOf("conow"), fromP = rowsOf("conopw");
    ASSERT_EQ(fromT.size(), 2u);
    ASSERT_EQ(fromP.size(), 2u);
    for (int side = 0; side < 2; side++)
        for (int k = 0; k < 12; k++)
            EXPECT_NEAR(fromT[side][k], fromP[side][k], 1e-6 * std::fabs(fromT[side][k]) + 1e-6) << side << " " << k;
    EXPECT_NEAR(fromT[0][2], 890.341250, 1e-5);
    // The vaporisation enthalpy at 450 K: 2025.2 kJ/kg (steam tables).
    EXPECT_NEAR(fromT[1][5] - fromT[0][5], 2025.2, 1.0);
}

TEST(WaterSaturation, ConsoleEntries) {
    WagnerPruss w(2);
    EXPECT_EQ(w.calculateTheSaturationPressure(450.0), 0);
    EXPECT_NEAR(w.Hvap / kM / 1000.0, 2025.2, 1.0);
    testing::internal::CaptureStdout();
    w.calculateTheDensityFromTh(450.0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("rho :       890.34 kg/m3"), std::string::npos);
    // Above the critical temperature there is no saturation state.
    testing::internal::CaptureStdout();
    EXPECT_EQ(w.calculateTheSaturationPressure(700.0), 1);
    testing::internal::GetCapturedStdout();
}

// From water's start the model solves from the auxiliary equations first:
// the same saturation states as from the fits' start alone (moved by a part
// in 1e9, which the model does not take for water's start), on a grid from
// the triple point to 646 K, within the spread that any two starts leave in
// the converged states (the liquid's pressure, which carries the stiffness of
// the liquid, is the same only to 1e-7 from any two starts).
TEST(WaterSaturation, TheAuxiliaryStartGivesTheSameStates) {
    WagnerPruss a(2), b(2);
    for (double T = 273.16; T <= 646.0; T += 1.3) {
        SCOPED_TRACE(T);
        saturate(a, T);
        b.initializeSaturationVolumesFromT("H2O", T);
        b.Vl0 *= 1.0 + 1e-9;
        b.temperature(T);
        b.calculate_saturation_pressure();
        ASSERT_EQ(a.errorflag, 0);
        ASSERT_EQ(b.errorflag, 0);
        EXPECT_LT(rel(a.Pv_sat, b.Pv_sat), 4e-12);
        EXPECT_LT(rel(a.Vl_sat, b.Vl_sat), 4e-12);
        EXPECT_LT(rel(a.Vv_sat, b.Vv_sat), 4e-12);
        EXPECT_LT(rel(a.Pl_sat, b.Pl_sat), 2e-7);
        EXPECT_EQ(a.phase_kind, b.phase_kind);
        EXPECT_LT(rel(a.V, b.V), 4e-12);
        EXPECT_LT(rel(a.fugacity[0], b.fugacity[0]), 4e-12);
    }
}

// The saturated liquid or vapour of given entropy, from 0.6 J/(mol K) about
// the critical entropy to a few thousandths of it, where the saturation
// point comes within hundredths of a kelvin of the critical point: found on
// the side asked for, and checked against IAPWS-95 evaluated term by term
// here (equal pressures and Gibbs energies of the two phases at T, and the
// entropy asked for on the side asked for), after calls at other states.
TEST(WaterSaturation, StateOfGivenEntropyUpToTheCriticalPoint) {
    namespace d = iapws95test;
    const double R = d::kFrameworkGasConstant, Tc = kWaterCritical.T;
    // Pressure over rho R T and Gibbs energy over R T of the release at (T, V m3/mol).
    auto reduced = [&](double T, double V, double& pressure, double& gibbs, double& entropy) {
        const double rho = kM / V, delta = rho / iapws95::rhoc, tau = iapws95::Tc / T;
        const d::Reduced o = d::ideal(delta, tau), r = d::residual(delta, tau);
        const double z = 1 + delta * r.d;
        pressure = z * R * T / V;
        gibbs = o.f + r.f + z;
        entropy = R * (tau * (o.t + r.t) - o.f - r.f);
    };
    WagnerPruss w(2);
    double closest = 0.0;
    int within = 0;
    for (double dS : {-0.6, -0.3, -0.1, -0.03, -0.01, -0.003, 0.003, 0.01, 0.03, 0.1, 0.3, 0.6}) {
        const double S = 79.392 + dS;  // the critical entropy, 4.40695 kJ/(kg K)
        // Another state first: the answer is the same whatever came before.
        w.calculateBoilingPointFromS(60.0);
        const bool liquid = dS < 0.0;
        if (liquid)
            w.calculateBoilingPointFromS(S);
        else
            w.calculateCondensationPointFromS(S);
        ASSERT_EQ(w.errorflag, 0) << "S = " << S;
        const double T = w.T, Vl = w.Vl_sat, Vv = w.Vv_sat;
        ASSERT_LE(T, Tc) << S;
        ASSERT_LE(Vl, Vv) << S;
        double Pl, Gl, Sl, Pv, Gv, Sv;
        reduced(T, Vl, Pl, Gl, Sl);
        reduced(T, Vv, Pv, Gv, Sv);
        EXPECT_NEAR(Pl, Pv, 1e-7 * Pv) << "S = " << S << ", T = " << T;
        EXPECT_NEAR(Gl, Gv, 1e-9) << "S = " << S << ", T = " << T;
        // (At the critical point itself, parts in 1e8 below Tc, the two
        // phases are one.)
        const bool critical = Vl == Vv && std::fabs(Sl - S) < 0.03;
        if (T > Tc - 1e-4 && (critical || (Sl < S && S < Sv))) {
            // Within a few hundredths of a J/(mol K) of the critical entropy
            // the point lies closer to Tc than the two phases are found apart
            // (a few 1e-6 K): the closest state found stands for it, S
            // between its two phases' entropies, or the critical point.
            ++within;
        } else {
            // Within thousandths of a kelvin of Tc the model's own
            // equilibrium resolves the saturated entropies to parts in 1e7,
            // within 1e-4 K to parts in 1e6.
            const double resolution = T < Tc - 0.01 ? 1e-8 : T < Tc - 1e-4 ? 1e-5 : 3e-4;
            EXPECT_NEAR(liquid ? Sl : Sv, S, resolution) << "S = " << S << ", T = " << T;
        }
        // The model is left at the phase found.
        EXPECT_NEAR(w.S, liquid ? Sl : Sv, 1e-8);
        EXPECT_NEAR(w.V, liquid ? Vl : Vv, 1e-12 * Vv);
        closest = std::fmax(closest, T);
    }
    // The closest entropies come within hundredths of a kelvin of Tc.
    EXPECT_GT(closest, Tc - 1e-4);
    EXPECT_LE(within, 4);
    // Beyond the saturation curve's entropies there is no such state.
    w.calculateCondensationPointFromS(200.0);
    EXPECT_NE(w.errorflag, 0);
}
