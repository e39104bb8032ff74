// H2O-NaCl phase diagram: the near-critical and three-phase special cases,
// the halite-bearing isochores and dissolution temperatures, and curves whose
// rows must lie on the boundaries they trace.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "brines/PalliserModel.h"

namespace {

class PalliserCurveTest : public ::testing::Test {
protected:
    PalliserModel m;
};

}  // namespace

TEST_F(PalliserCurveTest, NearCriticalPatchRaisesTheReducedPressure) {
    const double T = 380.0, pw = 0.7 + 0.3 * 5.85 / 9.85;
    double Ps, Xl0, Xv0, rl0, rv0, Pc, Xc, rc;
    m.calculateSLVPoint(T, Ps, Xl0, Xv0, rl0, rv0);
    m.calculateCriticalPoint(T, Pc, Xc, rc);
    const double P = Ps + 0.4 * (Pc - Ps);
    const double s = (Pc - P) / (Pc - Ps);
    double a[4], b[4];
    m.calculateLGPoint(T, P, a[0], a[1], a[2], a[3]);
    m.usePatches = 0;
    m.calculateLGPoint(T, Pc - (Pc - Ps) * std::pow(s, pw), b[0], b[1], b[2], b[3]);
    // Compositions follow the patched reduced pressure; the liquid is the
    // one-phase liquid of its composition at the point's own pressure (the
    // vapour is water vapour at that pressure plus the law's excess).
    for (int i : {0, 1}) EXPECT_NEAR(a[i], b[i], 1e-9 * std::fabs(b[i])) << i;
    EXPECT_NEAR(a[2], m.liquidDensity(T, P, a[0]), 1e-9 * a[2]);
    // Without patches the bubble point inverts the plain law too.
    double Pb = P, Xv, rl, rv;
    m.calculateBubblePoint(T, b[0], Pb, Xv, rl, rv);
    EXPECT_NEAR(Pb, Pc - (Pc - Ps) * std::pow(s, pw), 1e-7);
}

TEST_F(PalliserCurveTest, ThreePhaseStateOutsideTheTriangleFallsBackToTwoPhases) {
    double Ps, Xl, Xv, rl, rv;
    m.calculateSLVPoint(300.0, Ps, Xl, Xv, rl, rv);
    // Denser than halite + SLV liquid can be: fractions outside [0, 1].
    const double X = 0.5;
    m.P = Ps + 0.005;  // above the three-phase pressure: halite + SLV liquid
    const double d = m.calculateHaliteLiquidGasDensity(300.0, X, 3000.0);
    const double wh = (X - Xl) / (1.0 - Xl);
    EXPECT_NEAR(m.wh, wh, 1e-14);
    EXPECT_EQ(m.wv, 0.0);
    EXPECT_NEAR(d, 1.0 / (wh / m.rhoHalite + (1 - wh) / rl), 1e-9);
    EXPECT_NEAR(m.vl + m.vh, 1.0, 1e-12);
    m.P = Ps - 0.005;  // below: halite + SLV vapour
    const double d2 = m.calculateHaliteLiquidGasDensity(300.0, X, 3000.0);
    const double wh2 = (X - Xv) / (1.0 - Xv);
    EXPECT_NEAR(m.wh, wh2, 1e-14);
    EXPECT_EQ(m.wl, 0.0);
    EXPECT_NEAR(d2, 1.0 / (wh2 / m.rhoHalite + (1 - wh2) / rv), 1e-9);
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

TEST_F(PalliserCurveTest, CriticalCurveJoinsTheCriticalPointsOfWaterAndNaCl) {
    double P, X, rho;
    m.calculateCriticalPoint(374.15, P, X, rho);
    EXPECT_NEAR(P, 221.2, 0.01);
    EXPECT_NEAR(X, 0.0, 1e-6);
    m.calculateCriticalPoint(3127.0, P, X, rho);
    EXPECT_NEAR(X, 1.0, 2e-5);
    EXPECT_NEAR(P, m.calculateNaClSatPressure(3127.0), 0.02);
    EXPECT_NEAR(P, m.PcNaCl, 0.02);
    // The two pressure branches meet at 850 °C.
    double P1, P2;
    m.calculateCriticalPoint(850.0, P1, X, rho);
    m.calculateCriticalPoint(850.0 + 1e-9, P2, X, rho);
    EXPECT_NEAR(P1, P2, 0.05);
}

TEST_F(PalliserCurveTest, BoundaryCurvesEndWhereTheyShould) {
    std::vector<double> a;
    m.calculateNaClSublimationCurve(a);
    ASSERT_EQ(a.size(), 2u * 701);
    EXPECT_EQ(a[a.size() - 2], 800.0);
    EXPECT_EQ(a.back(), 0.0005);
    a.clear();
    m.calculateSLVCurve(a);
    ASSERT_EQ(a.size(), 8u * 751);
    EXPECT_EQ(a[a.size() - 8], 800.0);
    EXPECT_EQ(a[a.size() - 6], 100.0);
    a.clear();
    m.calculateCriticalCurve(a);
    ASSERT_EQ(a.size() % 5, 0u);
    EXPECT_EQ(a[a.size() - 5], 3127.0);
    EXPECT_EQ(a[a.size() - 3], 100.0);
    EXPECT_NEAR(a[0], 374.15, 1e-12);
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
    m.calculateFluidDensity(300.0, 100.0, 0.05, 0.0);  // sets the top pressure
    m.calculateHaliteLiquidIsopleth(a, 0.4, 250.0);
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
