// H2O-NaCl phase diagram: the near-critical and three-phase special cases,
// the halite-bearing isochores and dissolution temperatures, and curves whose
// rows must lie on the boundaries they trace.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "brines/PalliserModel.h"

namespace {

class PalliserCurveTest : public ::testing::Test {
protected:
    PalliserModel m;
};

}  // namespace

TEST_F(PalliserCurveTest, DiagramGivesTheCheckValuesOfDriesnerAndHeinrich2007) {
    // The diagram's calls against values evaluated independently from
    // Driesner & Heinrich (2007) on IAPWS-95, to six digits.  (This replaces
    // the former near-critical patch of the reduced pressure between 374.15
    // and 384 °C, which the published surface has no use for.)
    auto rel = [](double got, double want, double tol, const char* what, double T) {
        EXPECT_NEAR(got, want, tol * std::fabs(want)) << what << " at " << T << " °C";
    };
    // Bubble points: T, liquid wt %, P_b, vapour x (mole fraction), vapour wt %.
    const double bub[][5] = {{200, 10, 14.5164, 4.19149e-9, 1.35975e-6}, {300, 20, 75.2700, 1.02073e-6, 3.31132e-4},
                             {350, 10, 155.327, 2.06901e-5, 6.71174e-3}, {400, 20, 246.139, 2.69953e-4, 0.0875219},
                             {450, 10, 416.599, 0.0192743, 5.99349},     {500, 30, 530.274, 7.22167e-3, 2.30541},
                             {500, 40, 466.977, 1.93865e-3, 0.626191},   {600, 30, 890.842, 0.0363823, 10.9118},
                             {800, 50, 1403.30, 0.0283607, 8.64993},     {900, 60, 1555.41, 0.0235553, 7.25787}};
    for (const auto& b : bub) {
        double Pb = 0.0, Xv, rl, rv;
        m.calculateBubblePoint(b[0], 0.01 * b[1], Pb, Xv, rl, rv);
        ASSERT_EQ(m.pointFailed, 0) << b[0];
        // (Below water's critical temperature the surface rests on water's
        // saturation pressure, here its auxiliary equation: 1e-5; the vapour
        // moves 5-10 times as much.)
        const bool sub = b[0] < 373.946;
        rel(Pb, b[2], sub ? 1e-5 : 6e-6, "bubble pressure", b[0]);
        rel(100.0 * Xv, b[4], sub ? 1e-4 : 6e-6, "vapour wt %", b[0]);
        // The liquid-vapour point at that pressure has the liquid back.
        double Xl, Xv2, rl2, rv2;
        m.calculateLGPoint(b[0], Pb, Xl, Xv2, rl2, rv2);
        EXPECT_NEAR(Xl, 0.01 * b[1], 1e-9) << b[0];
        EXPECT_NEAR(Xv2, Xv, 1e-9 * Xv) << b[0];
    }
    // Critical points.
    const double crit[][3] = {{380, 234.686, 0.266058}, {450, 417.444, 8.42040},  {500, 581.203, 13.4493},
                              {700, 1242.77, 26.6747},  {800, 1558.91, 30.0515}, {1000, 2161.88, 33.5251}};
    for (const auto& c : crit) {
        double P, X, rho;
        m.calculateCriticalPoint(c[0], P, X, rho);
        rel(P, c[1], 6e-6, "P_crit", c[0]);
        rel(100.0 * X, c[2], 6e-6, "X_crit", c[0]);
    }
    double Tc, Pc, rc;
    m.calculateCriticalPointFromX(0.10, Tc, Pc, rc);
    rel(Tc, 464.480, 6e-6, "T_crit of 10 wt %", Tc);
    rel(Pc, 462.823, 6e-6, "P_crit of 10 wt %", Tc);
    m.calculateCriticalPointFromX(0.20, Tc, Pc, rc);
    rel(Tc, 578.269, 6e-6, "T_crit of 20 wt %", Tc);
    rel(Pc, 844.759, 6e-6, "P_crit of 20 wt %", Tc);
    // Three-phase curve from 100 °C (below, the measured vapour pressure of
    // saturated brine): T, P, liquid wt %.
    const double vlh[][3] = {{100, 0.766605, 28.0471}, {200, 11.1517, 31.7623}, {300, 60.4712, 37.7196},
                             {400, 176.126, 47.1212},  {500, 322.003, 59.9038}, {600, 389.886, 74.2307},
                             {700, 283.925, 88.0055},  {800, 2.46412, 99.9247}};
    for (const auto& v : vlh) {
        double P, Xl, Xv, rl, rv;
        m.calculateSLVPoint(v[0], P, Xl, Xv, rl, rv);
        rel(P, v[1], 6e-6, "P_VLH", v[0]);
        rel(100.0 * Xl, v[2], 6e-6, "VLH liquid", v[0]);
        EXPECT_NEAR(m.calculateTm0(Xl, rl, P), v[0], 1e-6);
    }
    // Halite liquidus: T, P, wt %; and the liquidus of 40 wt % at 2 kbar.
    const double liq[][3] = {{25, 1000, 27.0174}, {200, 2000, 32.2369}, {300, 5000, 38.2748},
                             {400, 1000, 47.1118}, {600, 2000, 72.2379}, {600, 5000, 68.3606}};
    for (const auto& l : liq) {
        double X, rho;
        m.calculateHaliteLiquidPoint(l[0], l[1], X, 0.0, rho);
        rel(100.0 * X, l[2], 6e-6, "halite liquidus", l[0]);
    }
    double T, rho;
    m.calculateHaliteLiquidTemperature(0.40, 2000.0, T, rho, 300.0);
    rel(T, 325.289, 6e-6, "liquidus of 40 wt % at 2 kbar", T);
    // NaCl.
    rel(m.getHaliteMeltingTemperature(2000.0), 850.152, 6e-6, "melting", 850.0);
    rel(m.getHaliteSublimationPressure(700.0), 3.64175e-5, 6e-6, "sublimation", 700.0);
    rel(m.calculateNaClSatPressure(900.0), 2.76270e-3, 6e-6, "boiling", 900.0);
    rel(m.calculateNaClSatPressure(1000.0), 1.18005e-2, 6e-6, "boiling", 1000.0);
}

TEST_F(PalliserCurveTest, ThreePhaseStateOutsideTheTriangleIsRefused) {
    // Denser than halite + three-phase liquid can be: no mixture of the
    // three phases, whichever side of the three-phase pressure the record is.
    for (double side : {0.005, -0.005}) {
        double Ps, Xl, Xv, rl, rv;
        m.calculateSLVPoint(300.0, Ps, Xl, Xv, rl, rv);
        m.P = Ps + side;
        testing::internal::CaptureStderr();
        const double d = m.calculateHaliteLiquidGasDensity(300.0, 0.5, 3000.0);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::isnan(d)) << d;
        EXPECT_EQ(m.pointFailed, 1);
        const double wh = (0.5 - Xl) / (1.0 - Xl);
        char top[64];
        std::snprintf(top, sizeof top, "to %g kg/m3", 1.0 / (wh / m.rhoHalite + (1.0 - wh) / rl));
        EXPECT_NE(said.find(top), std::string::npos) << said;
    }
}

TEST_F(PalliserCurveTest, PureNaClOnItsSublimationCurve) {
    // On the curve within 0.1 % of its pressure (3.7e-5 bar at 700 °C).
    const double Ps = m.getHaliteSublimationPressure(700.0), P = Ps * (1.0 + 5e-4);
    const double rv = P * 1e5 * m.MNaCl / (973.15 * 8.314);
    const double d = m.calculateFluidDensity(700.0, P, 1.0, 1000.0);
    EXPECT_EQ(m.region, 4);
    EXPECT_EQ(d, 1000.0);
    EXPECT_NEAR(m.wh, (1.0 / 1000.0 - 1.0 / rv) / (1.0 / m.rhoHalite - 1.0 / rv), 1e-12);
    EXPECT_NEAR(m.vh + m.vv, 1.0, 1e-15);
    EXPECT_EQ(m.calculateFluidDensity(700.0, Ps, 1.0, 3000.0), m.rhoHalite);
    // Above it: halite, also at pressures below 0.01 bar that are many times
    // the sublimation pressure; below it, the vapour.
    for (double Pa : {0.02, 0.005, 1e-6}) {
        EXPECT_EQ(m.calculateFluidDensity(300.0, Pa, 1.0, 1000.0), m.rhoHalite) << Pa;
        EXPECT_EQ(m.region, 5);
        EXPECT_EQ(m.wh, 1.0);
    }
    EXPECT_EQ(m.calculateFluidDensity(700.0, 0.5 * Ps, 1.0, 1000.0), 0.5 * Ps * 1e5 * m.MNaCl / (973.15 * 8.314));
    EXPECT_EQ(m.region, 4);
    EXPECT_EQ(m.wv, 1.0);
}

TEST_F(PalliserCurveTest, HaliteBearingInclusionsRoundTrip) {
    // Halite + liquid at the three-phase point: the halite volume fraction
    // gives back the temperature.
    const double Tslv0 = 250.0;
    double Ps, Xl, Xv, rl, rv;
    m.calculateSLVPoint(Tslv0, Ps, Xl, Xv, rl, rv);
    const double wh = 0.02, X = wh + (1 - wh) * Xl;
    const double v = wh / m.rhoHalite + (1 - wh) / rl;
    const double phiH = (wh / m.rhoHalite) / v;
    double rho, Tslv, Xlr, Pslv, P;
    const double T = m.calculateTm3(X, phiH, 240.0, rho, Tslv, Xlr, Pslv, P);
    EXPECT_NEAR(Tslv, Tslv0, 1e-6);
    EXPECT_NEAR(rho, 1.0 / v, 1e-6);
    EXPECT_NEAR(Xlr, Xl, 1e-9);
    EXPECT_NEAR(Pslv, Ps, 1e-6);
    // The returned temperature is the halite liquidus of X at that density.
    double Tl, rhol;
    m.calculateHaliteLiquidTemperature(X, P, Tl, rhol, Tslv);
    EXPECT_NEAR(Tl, T, 1e-6);
    EXPECT_NEAR(rhol, rho, 1e-6);
    // Halite + vapour isochore below the three-phase pressure.
    double Xg, rg;
    m.calculateHaliteGasBubble(500.0, 50.0, Xg, rg);
    const double Xb = 0.3, w = (Xb - Xg) / (1 - Xg);
    const double rb = 1.0 / (w / m.rhoHalite + (1 - w) / rg);
    EXPECT_NEAR(m.getIsochoricHaliteGasPressure(500.0, 60.0, rb, 100.0 * Xb), 50.0, 1e-5);
}

TEST_F(PalliserCurveTest, CriticalCurveRunsFromWatersCriticalPointToTheTopOfTheCorrelations) {
    // (The former law ran from 374.15 °C, 221.2 bar to NaCl's critical point
    // at 3127 °C; Driesner & Heinrich's curve starts at water's own critical
    // point, IAPWS-95's, and ends at 1000 °C, the top of their correlations.)
    double P, X, rho;
    m.calculateCriticalPoint(373.946, P, X, rho);
    EXPECT_EQ(m.pointFailed, 0);
    EXPECT_NEAR(P, 220.64, 1e-9);
    EXPECT_EQ(X, 0.0);
    EXPECT_NEAR(rho, 322.0, 1.0);  // water's critical density (IAPWS-95)
    for (double T : {370.0, 1000.1, 3127.0}) {
        testing::internal::CaptureStderr();
        m.calculateCriticalPoint(T, P, X, rho);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m.pointFailed, 1) << T;
        EXPECT_TRUE(std::isnan(P) && std::isnan(X) && std::isnan(rho)) << T;
        EXPECT_NE(said.find("no critical point"), std::string::npos) << T << ": " << said;
    }
    // Continuous where the published branches meet: the pressure at 500 °C
    // (c_12, c_13 are (5b)'s value and slope there), the composition at
    // 600 °C within the coefficients' step of 1.5e-5 in mole fraction.
    double P1, P2, X1, X2;
    m.calculateCriticalPoint(500.0, P1, X1, rho);
    m.calculateCriticalPoint(500.0 + 1e-7, P2, X2, rho);
    EXPECT_NEAR(P1, P2, 1e-5);
    m.calculateCriticalPoint(600.0, P1, X1, rho);
    m.calculateCriticalPoint(600.0 + 1e-7, P2, X2, rho);
    EXPECT_NEAR(X1, X2, 6e-5);
}

TEST_F(PalliserCurveTest, BoundaryCurvesEndWhereTheyShould) {
    // (The melting point of halite is Driesner & Heinrich's 800.7 °C, the
    // former law's 800 °C: one more row each.)
    std::vector<double> a;
    m.calculateNaClSublimationCurve(a);
    ASSERT_EQ(a.size(), 2u * 702);
    EXPECT_EQ(a[a.size() - 2], 800.7);
    EXPECT_EQ(a.back(), 0.0005);
    a.clear();
    m.calculateSLVCurve(a);
    ASSERT_EQ(a.size(), 8u * 752);
    EXPECT_EQ(a[a.size() - 8], 800.7);
    EXPECT_EQ(a[a.size() - 6], 100.0);
    a.clear();
    m.calculateCriticalCurve(a);
    ASSERT_EQ(a.size() % 5, 0u);
    EXPECT_EQ(a[a.size() - 5], 1000.0);
    EXPECT_NEAR(a[a.size() - 3], 33.5251, 1e-4);
    EXPECT_NEAR(a[0], 373.946, 1e-12);
    a.clear();
    // Halite-saturated vapour isotherm ends at the three-phase vapour.
    m.calculateHaliteGasIsotherm(a, 500.0);
    ASSERT_GE(a.size(), 8u);
    EXPECT_EQ(a[a.size() - 4], m.Pslv);
    EXPECT_NEAR(a[a.size() - 3], 100.0 * m.Xvslv, 1e-12);
}

TEST_F(PalliserCurveTest, IsoplethAndIsobarRowsLieOnTheSurface) {
    std::vector<double> a;
    // Liquid isopleth: bubble points, closed by the critical point.
    m.calculateLiquidIsopleth(a, 10.0, 500.0, 200.0);
    ASSERT_GE(a.size(), 9u);
    for (std::size_t i = 0; i + 3 < a.size(); i += 3 * 25) {
        double Xl, Xv, rl, rv;
        m.calculateLGPoint(a[i], a[i + 1], Xl, Xv, rl, rv);
        EXPECT_NEAR(Xl, 0.1, 1e-9) << a[i];
        EXPECT_NEAR(rl, a[i + 2], 1e-6) << a[i];
    }
    double Pc, Xc, rc;
    m.calculateCriticalPoint(500.0, Pc, Xc, rc);
    EXPECT_EQ(a[a.size() - 3], 500.0);
    EXPECT_EQ(a[a.size() - 2], Pc);
    a.clear();
    // Isobar below the critical pressure of water starts at its boiling point.
    m.calculateIsobaricLiquidGas1(a, 50.0, 300.0, 100.0);
    ASSERT_GE(a.size(), 10u);
    double rl, rv;
    EXPECT_NEAR(a[0], m.getWaterSaturationTemperature(50.0, rl, rv), 1e-9);
    EXPECT_EQ(a[1], 0.0);
    for (std::size_t i = 5; i < a.size(); i += 5) {
        double Xl, Xv, r1, r2;
        m.calculateLGPoint(a[i], 50.0, Xl, Xv, r1, r2);
        EXPECT_NEAR(100.0 * Xl, a[i + 1], 1e-9);
    }
    a.clear();
    // Between the critical pressure of water and 221 bar no boiling point:
    // the isobar starts at T0 without it.
    m.calculateIsobaricLiquidGas1(a, 220.8, 380.0, 375.0);
    for (std::size_t i = 0; i < a.size(); i += 5) EXPECT_GE(a[i], 375.0);
    a.clear();
    // Boiling with 20 % vapour by volume.
    m.calculateBoilingCurveWithGasVolume(a, 10.0, 20.0, 350.0, 200.0);
    ASSERT_GE(a.size(), 6u);
    for (std::size_t i = 0; i + 3 < a.size(); i += 3 * 30) {
        double P, Xl, Xv, r1, r2, rho;
        m.calculateBoilingPointWithGasVolume(a[i], 0.1, 0.2, P, Xl, Xv, r1, r2, rho);
        EXPECT_EQ(P, a[i + 1]);
        const double wl = 0.1 / Xl;
        EXPECT_NEAR((1 - wl) / r2 * rho, 0.2, 1e-8);
    }
}

TEST_F(PalliserCurveTest, HaliteLiquidusCurvesLieOnTheLiquidus) {
    std::vector<double> a;
    m.calculateHaliteLiquidIsopleth(a, 0.4, 250.0);  // to the top of the diagram on a fresh model
    ASSERT_GE(a.size(), 9u);
    for (std::size_t i = 0; i < a.size(); i += 3 * 40) {
        double X, r;
        m.calculateHaliteLiquidPoint(a[i], a[i + 1], X, 0.4, r);
        ASSERT_EQ(m.pointFailed, 0);
        EXPECT_NEAR(X, 0.4, 1e-8) << a[i];
    }
    EXPECT_EQ(a[a.size() - 2], 5000.0);
    a.clear();
    m.calculateIsobaricHaliteLiquidCurve(a, 500.0, 100.0, 110.0);
    ASSERT_EQ(a.size(), 33u);
    for (std::size_t i = 0; i < a.size(); i += 3) {
        double T, r;
        m.calculateHaliteLiquidTemperature(0.01 * a[i + 1], 500.0, T, r, a[i]);
        EXPECT_NEAR(T, a[i], 1e-6);
    }
}

TEST_F(PalliserCurveTest, VapourCompositionScanAndGeotherm) {
    // The vapour law runs from Xcrit·(Xv0/Xcrit)^0-ish at s = 0 to Xv0 at s = 1:
    // a composition between them changes sign once.
    double Pc, Xc, rc, Ps, Xl, Xv, rl, rv;
    m.calculateCriticalPoint(500.0, Pc, Xc, rc);
    m.calculateSLVPoint(500.0, Ps, Xl, Xv, rl, rv);
    double par[6] = {Xc, Xv, -1.20121 + 0.00572558 * 500 - 3.15039e-6 * 250000, 1e-3, 0.5, 1.0};
    int state = -1;
    double s1 = -1, s2 = -1;
    m.analyzeGasEquation(par, state, s1, s2);
    EXPECT_GE(state, 1);
    EXPECT_EQ(m.error, 0);
    EXPECT_EQ(m.equationForGas(1.5, par), 0.0);
    EXPECT_EQ(m.error, 1);
    m.error = 0;
    // Geotherm through a column of fixed density.
    double T, P, z, r;
    m.calculateGeothermBubblePoint(20.0, 0.0, 1.0, 0.5, 0.05, 1000.0, T, P, z, r);
    ASSERT_EQ(m.pointFailed, 0);
    EXPECT_NEAR(z, (P - 1.0) * 1e5 / (9.81 * 1000.0), 1e-6);
    EXPECT_NEAR(T, 20.0 + 0.5 * z, 1e-6);
    double Pb = 0, Xvb, rlb, rvb;
    m.calculateBubblePoint(T, 0.05, Pb, Xvb, rlb, rvb);
    EXPECT_NEAR(Pb, P, 1e-9);
}

TEST_F(PalliserCurveTest, CurveRowsStayInsideTheDiagram) {
    // Isobars from 0 °C across the three-phase pressure and the melting point
    // of halite: every row is finite, its compositions within 0-100 wt %
    // and its densities up to halite's; the halite-saturated vapour has rows
    // only up to the three-phase pressure at their temperature.
    auto inside = [](const std::vector<double>& a, size_t width, std::vector<size_t> comp, std::vector<size_t> dens,
                     const char* what) {
        ASSERT_EQ(a.size() % width, 0u) << what;
        for (size_t r = 0; r < a.size(); r += width) {
            for (size_t c = 0; c < width; ++c) EXPECT_TRUE(std::isfinite(a[r + c])) << what << " row " << r / width;
            for (size_t c : comp) {
                EXPECT_GE(a[r + c], 0.0) << what << " T " << a[r];
                EXPECT_LE(a[r + c], 100.0) << what << " T " << a[r];
            }
            for (size_t c : dens) {
                EXPECT_GT(a[r + c], 0.0) << what << " T " << a[r];
                EXPECT_LE(a[r + c], 2163.3340736627797) << what << " T " << a[r];
            }
        }
    };
    for (double P : {0.001, 1.0, 100.0, 500.0}) {
        std::vector<double> a;
        m.calculateIsobaricHaliteGasCurve(a, P, 0.0, 1000.0);
        inside(a, 3, {1}, {2}, "halite-saturated vapour");
        for (size_t r = 0; r < a.size(); r += 3) {
            double Ps, Xl, Xv, rl, rv;
            m.calculateSLVPoint(a[r], Ps, Xl, Xv, rl, rv);
            EXPECT_LE(P, Ps) << a[r];
        }
        // (At 500 bar, above the curve's maximum of 391 bar near 600 °C, none.)
        if (P == 500.0) {
            EXPECT_TRUE(a.empty());
        }
        a.clear();
        m.calculateIsobaricLiquidGas1(a, P, 1000.0, 0.0);
        inside(a, 5, {1, 2}, {3, 4}, "liquid-vapour isobar");
    }
    std::vector<double> a;
    m.calculateCriticalCurve(a);
    inside(a, 5, {2}, {3}, "critical curve");
    EXPECT_EQ(a[2], 0.0);  // water's end
}

TEST_F(PalliserCurveTest, HaliteGasIsoplethAndHighTemperatureIsobarsAgainstPublishedValues) {
    // Driesner & Heinrich (2007) check values: the three-phase (VLH)
    // pressure, the critical curve's composition (wt %) and NaCl's boiling
    // curve (eq. 3); rows between them are checked by the point solvers that
    // work the other way round (P from a composition, a composition from P).
    std::vector<double> a;
    // A vapour of 1e-5 NaCl mass fraction is halite-saturated up to the VLH
    // pressure; where it holds less salt than the VLH vapour, the
    // halite-saturated vapour at the row's (T, P) has its composition.
    m.calculateHaliteGasIsopleth(a, 1e-5);
    ASSERT_EQ(a.size(), 2u * 701);  // 100 to 800 °C
    for (const auto& [T, Pvlh] : {std::pair{100.0, 0.766605}, std::pair{200.0, 11.1517}, std::pair{300.0, 60.4712}}) {
        const std::size_t i = 2 * static_cast<std::size_t>(T - 100.0);
        EXPECT_NEAR(a[i], T, 1e-9);
        EXPECT_NEAR(a[i + 1], Pvlh, 1e-5 * Pvlh) << T;
    }
    for (std::size_t i = 0; i < a.size(); i += 2 * 25) {
        double Ps, Xl, Xv, rl, rv, X, r;
        m.calculateSLVPoint(a[i], Ps, Xl, Xv, rl, rv);
        EXPECT_LE(a[i + 1], Ps) << a[i];
        if (a[i + 1] == Ps) continue;
        m.calculateHaliteGasBubble(a[i], a[i + 1], X, r);
        ASSERT_EQ(m.pointFailed, 0) << a[i];
        EXPECT_NEAR(X, 1e-5, 1e-11) << a[i];
    }
    // Isobars of liquid + vapour, 10 °C steps.  At 0.01 bar the molten-salt
    // liquid boils off to the boiling point of NaCl (eq. 3 of the paper).
    a.clear();
    m.calculateIsobaricLiquidGas2(a, 0.01, 800.0, 0.0);
    ASSERT_GE(a.size(), 5u * 10);
    const double Tboil = 1.0 / (1.0 / (800.7 + 273.15) - std::log10(0.01 / 5e-4) / 9418.12) - 273.15;
    EXPECT_NEAR(a[a.size() - 5], Tboil, 1e-3);
    EXPECT_EQ(a[a.size() - 4], 100.0);
    EXPECT_EQ(a[a.size() - 3], 100.0);
    struct Isobar { int kind; double P, T0, T1, firstWt, lastWt; };
    // Critical compositions at 400, 500 and 600 °C: 2.18650, 13.4493, 21.4853 wt %.
    for (const Isobar& k : {Isobar{2, 600.0, 500.0, 600.0, NAN, 21.4853}, Isobar{3, 400.0, 400.0, 500.0, 2.18650, 13.4493},
                            Isobar{3, 300.0, 400.0, 500.0, 2.18650, 100.0}, Isobar{3, 100.0, 400.0, 500.0, 2.18650, NAN}}) {
        SCOPED_TRACE(testing::Message() << "isobar " << k.kind << " at " << k.P << " bar");
        a.clear();
        if (k.kind == 2) {
            m.calculateIsobaricLiquidGas2(a, k.P, k.T0, k.T1);
        } else {
            m.calculateIsobaricLiquidGas3(a, k.P, k.T0, k.T1);
        }
        ASSERT_GE(a.size(), 5u);
        if (!std::isnan(k.firstWt)) {
            EXPECT_NEAR(a[1], k.firstWt, 1e-4);
        }
        if (std::isnan(k.lastWt)) {
            EXPECT_EQ(a.size(), 5u);  // below water's critical pressure: the critical point of T0 alone
            continue;
        }
        EXPECT_EQ(a[a.size() - 5], k.T1);
        EXPECT_NEAR(a[a.size() - 4], k.lastWt, 1e-4);
        const std::size_t inner0 = std::isnan(k.firstWt) ? 0 : 5;
        ASSERT_GE(a.size(), inner0 + 5 * 4);
        for (std::size_t i = inner0; i + 5 < a.size(); i += 5) {
            // The liquid of each row boils at the isobar's pressure, its vapour
            // the row's; at least 10 °C apart.
            double P, Xv, rl, rv;
            m.calculateBubblePoint(a[i], 0.01 * a[i + 1], P, Xv, rl, rv);
            ASSERT_EQ(m.pointFailed, 0) << a[i];
            EXPECT_NEAR(P, k.P, 1e-6 * k.P) << a[i];
            EXPECT_NEAR(100.0 * Xv, a[i + 2], 1e-6 * a[i + 2] + 1e-9) << a[i];
            EXPECT_NEAR(rl, a[i + 3], 1e-6 * rl) << a[i];
            if (i > inner0) {
                EXPECT_GE(a[i] - a[i - 5], 10.0 - 1e-9);
            }
        }
    }
}
