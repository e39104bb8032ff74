// Fugacities, state functions, their derivatives and the critical point of
// the van der Waals test fluid against closed forms and central differences.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fluid/tests/RelativeError.h"
#include "fluid/tests/TestDataDir.h"
#include "fluid/tests/VdWFluid.h"

namespace {
constexpr double R = 8.31434;
constexpr double kA = 0.3658, kB = 4.286e-5;
const VdWPure pure{kA, kB};

// |num - ana| <= 1e-6 max(|ana|, scale)
#define EXPECT_CLOSE(num, ana, scale) \
    EXPECT_LE(std::fabs((num) - (ana)), 1e-6 * std::max(std::fabs(ana), (scale))) << #ana << " num " << (num)

const char* kIdealData = "GasA 5.0 0 0 40.0 A\nGasB 7.0 0.5 -1000 50.0 B\n";
}  // namespace

TEST(FluidProperties, ResidualEnergyAndHeatCapacity) {
    VdWFluid f({kA}, {kB}, false);
    for (double V : {8e-5, 5e-4, 1e-2}) {
        f.calculateFromTV(320.0, V, 0);
        EXPECT_LT(rel(f.U, -kA / V), 1e-12);
        EXPECT_NEAR(f.Cv, 0.0, 1e-12);
        // Cp - Cv = T (dP/dT)^2 / (-dP/dV)
        const double dPdT = R / (V - kB), dPdV = -R * 320.0 / ((V - kB) * (V - kB)) + 2 * kA / (V * V * V);
        EXPECT_LT(rel(f.Cp, -320.0 * dPdT * dPdT / dPdV), 1e-10);
    }
}

TEST(FluidProperties, FugacityCoefficientClosedFormWithAndWithoutIdealPart) {
    TestDataDir data("fug");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid bare({kA}, {kB}, false);
    VdWFluid withIdeal({kA}, {kB}, true);
    withIdeal.add_component("GasB");
    for (double P : {1.0, 30.0, 300.0}) {
        bare.calculateFromTP(330.0, P, 0);
        withIdeal.calculateFromTP(330.0, P, 0);
        EXPECT_EQ(bare.errorflag, 0);
        const double lnphi = pure.lnPhi(330.0, bare.V);
        EXPECT_NEAR(std::log(bare.fugcoef[0]), lnphi, 1e-10);
        EXPECT_NEAR(std::log(withIdeal.fugcoef[0]), lnphi, 1e-10);
        EXPECT_LT(rel(bare.fugacity[0], P * 1e5 * std::exp(lnphi)), 1e-10);
    }
    // phi -> 1 at infinite volume, whatever the ideal part.
    withIdeal.calculateFromTV(330.0, 1e3, 0);
    EXPECT_NEAR(withIdeal.fugcoef[0], 1.0, 1e-6);
}

TEST(FluidProperties, BinaryFugacityCoefficientsClosedForm) {
    const std::vector<double> a = {0.3658, 0.5537}, b = {4.286e-5, 3.049e-5};
    const double k = 0.08;
    VdWFluid f(a, b, false, k);
    f.composition(0.35, 0.65);
    f.calculateFromTP(420.0, 60.0, 0);
    ASSERT_EQ(f.errorflag, 0);
    const double x[2] = {0.35, 0.65};
    double am = 0, bm = 0, ai[2] = {0, 0};
    for (int i = 0; i < 2; i++) {
        bm += x[i] * b[i];
        for (int j = 0; j < 2; j++) {
            const double aij = std::sqrt(a[i] * a[j]) * (i == j ? 1 : 1 - k);
            am += x[i] * x[j] * aij;
            ai[i] += x[j] * aij;
        }
    }
    const double V = f.V, T = 420.0, P = R * T / (V - bm) - am / (V * V);
    for (int i = 0; i < 2; i++) {
        const double lnphi = b[i] / (V - bm) - 2 * ai[i] / (R * T * V) - std::log(P * (V - bm) / (R * T));
        EXPECT_NEAR(std::log(f.fugcoef[i]), lnphi, 1e-10);
    }
    // A component at zero fraction has zero fugacity and a finite coefficient.
    f.composition(1.0, 0.0);
    f.calculateFromTP(420.0, 60.0, 0);
    EXPECT_EQ(f.fugacity[1], 0.0);
    EXPECT_TRUE(std::isfinite(f.fugcoef[1]));
    EXPECT_GT(f.fugcoef[1], 0.0);
    EXPECT_EQ(f.getMajorComponentIndex(), 0);
}

TEST(FluidProperties, IdealGasLimitHasTheStandardStateFunctions) {
    TestDataDir data("standardlimit");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid f({0.0}, {0.0}, true);
    f.add_component("GasB");
    auto* ig = static_cast<Standard*>(f.ideal);
    for (double T : {298.15, 500.0}) {
        f.calculateFromTP(T, Standard::kP0 / 1e5, 0);
        EXPECT_NEAR(f.H, ig->H0, 1e-8 * std::fabs(ig->H0));
        EXPECT_NEAR(f.S, ig->S0, 1e-10 * std::fabs(ig->S0));
        EXPECT_NEAR(f.G, ig->G0, 1e-8 * std::fabs(ig->G0));
        EXPECT_NEAR(f.Cp, ig->Cp0, 1e-10 * ig->Cp0);
        f.calculateFromTP(T, 10.0 * Standard::kP0 / 1e5, 0);
        EXPECT_NEAR(f.S, ig->S0 - R * std::log(10.0), 1e-10 * std::fabs(ig->S0));
    }
    EXPECT_NEAR(ig->H0, -1000.0 * Standard::kCalorie + (7.0 * (500 - 298.15) + 0.0025 * (500 * 500 - 298.15 * 298.15)) * Standard::kCalorie, 1e-8);
}

TEST(FluidProperties, FugacityPassReusingTheStateEvaluationGivesTheSameResults) {
    TestDataDir data("reuse");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid f({0.3658, 0.5537}, {4.286e-5, 3.049e-5}, true, 0.08);
    f.add_components("GasA", "GasB");
    f.composition(0.35, 0.65);
    f.calculateFromTV(420.0, 2e-4, 0);  // the residual terms reuse their evaluation
    const auto phi = f.fugcoef, dT = f.dfugacitydT;
    const auto dx = f.dfugacitydx;
    const double Z = f.Z, dZdV = f.dZdV;
    f.calculate_fugacities();  // evaluated afresh
    for (int i = 0; i < 2; i++) {
        EXPECT_DOUBLE_EQ(f.fugcoef[i], phi[i]);
        EXPECT_DOUBLE_EQ(f.dfugacitydT[i], dT[i]);
        for (int k = 0; k < 2; k++) EXPECT_DOUBLE_EQ(f.dfugacitydx[i][k], dx[i][k]);
    }
    EXPECT_DOUBLE_EQ(f.Z, Z);
    EXPECT_DOUBLE_EQ(f.dZdV, dZdV);
    // A change of composition between the two passes is not missed.
    f.calculate_state_functions();
    f.composition_of_component(0, 0.5);
    f.composition_of_component(1, 0.5);
    f.calculate_fugacities();
    const auto phiMoved = f.fugcoef;
    f.calculate_fugacities();
    EXPECT_DOUBLE_EQ(f.fugcoef[0], phiMoved[0]);
    EXPECT_NE(f.fugcoef[0], phi[0]);
}

TEST(FluidProperties, IdealGasJouleThomsonAndSoundSpeed) {
    TestDataDir data("idealgas");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid f({0.0}, {0.0}, true);
    f.add_component("GasA");
    f.molar_mass[0] = 0.028;
    const double Cp = 5.0 * Standard::kCalorie, Cv = Cp - R;
    for (double T : {200.0, 300.0, 900.0}) {
        f.calculateFromTP(T, 10.0, 0);
        EXPECT_EQ(f.errorflag, 0);
        EXPECT_LT(rel(f.V, R * T / 10e5), 1e-12);
        EXPECT_NEAR(f.Cv, Cv, 1e-9);
        EXPECT_NEAR(f.Cp, Cp, 1e-9);
        EXPECT_NEAR(f.jouleThomson, 0.0, 1e-15);
        EXPECT_LT(rel(f.soundSpeed, std::sqrt(Cp / Cv * R * T / 0.028)), 1e-12);
        EXPECT_NEAR(f.fugcoef[0], 1.0, 1e-12);
    }
}

namespace {
struct TVState {
    double Z, P, rcp[2], phi[2], f[2];
};

TVState atTV(VdWFluid& f, double T, double V, const std::vector<double>& x) {
    for (std::size_t i = 0; i < x.size(); i++) f.composition_of_component(static_cast<int>(i), x[i]);
    f.temperature(T);
    f.volume(V);
    f.calculate_fugacities();
    TVState s{f.Z, f.P, {}, {}, {}};
    for (int i = 0; i < f.component_count; i++) {
        s.rcp[i] = f.rcp[i];
        s.phi[i] = f.fugcoef[i];
        s.f[i] = f.fugacity[i];
    }
    return s;
}

struct TPState {
    double V, f[2];
};

TPState atTP(VdWFluid& f, double T, double P, const std::vector<double>& x) {
    for (std::size_t i = 0; i < x.size(); i++) f.composition_of_component(static_cast<int>(i), x[i]);
    f.temperature(T);
    f.P = P;
    f.calculate_molar_volume();
    f.calculate_fugacities();
    return TPState{f.V, {f.fugacity[0], f.component_count > 1 ? f.fugacity[1] : 0.0}};
}

void checkDerivatives(VdWFluid& f, const std::vector<double>& x, double T, double P) {
    const int n = static_cast<int>(x.size());
    atTP(f, T, P, x);
    ASSERT_EQ(f.errorflag, 0);
    const double V = f.V;
    // Analytic values at constant T, P and at constant T, V.
    const std::vector<double> dfdT = f.dfugacitydT, dfdP = f.dfugacitydP, dfdV = f.dfugacitydV;
    const auto dfdx = f.dfugacitydx;
    const std::vector<double> drdT = f.drcpdT, drdV = f.drcpdV, drdP = f.drcpdP, dZdx = f.dZdx, dPdx = f.dPdx,
                              dVdx = f.dVdx, dphidT = f.dfugcoefdT, dphidV = f.dfugcoefdV, dphidP = f.dfugcoefdP;
    const auto drdx = f.drcpdx, dphidx = f.dfugcoefdx;
    const double dZdT = f.dZdT, dZdV = f.dZdV, dPdT = f.dPdT, dPdV = f.dPdV, dVdT = f.dVdT, dZdP = f.dZdP;
    double fscale = 0;
    for (int i = 0; i < n; i++) fscale = std::max(fscale, f.fugacity[i]);

    // Constant P, composition.
    const double hT = 1e-3, hP = 1.0, hx = 1e-5;
    {
        const TPState p = atTP(f, T + hT, P, x), m = atTP(f, T - hT, P, x);
        for (int i = 0; i < n; i++) EXPECT_CLOSE((p.f[i] - m.f[i]) / (2 * hT), dfdT[i], fscale * 1e-3);
        EXPECT_CLOSE((p.V - m.V) / (2 * hT), dVdT, V * 1e-3);
    }
    {
        const TPState p = atTP(f, T, P + hP, x), m = atTP(f, T, P - hP, x);
        for (int i = 0; i < n; i++) EXPECT_CLOSE((p.f[i] - m.f[i]) / (2 * hP), dfdP[i], 1e-3);
    }
    for (int k = 0; k < n; k++) {
        std::vector<double> xp = x, xm = x;
        xp[k] += hx;
        xm[k] -= hx;
        const TPState p = atTP(f, T, P, xp), m = atTP(f, T, P, xm);
        for (int i = 0; i < n; i++) EXPECT_CLOSE((p.f[i] - m.f[i]) / (2 * hx), dfdx[i][k], fscale);
        EXPECT_CLOSE((p.V - m.V) / (2 * hx), dVdx[k], V);
    }
    // Constant V, composition.
    const double hV = 1e-5 * V;
    {
        const TVState p = atTV(f, T + hT, V, x), m = atTV(f, T - hT, V, x);
        EXPECT_CLOSE((p.Z - m.Z) / (2 * hT), dZdT, 1e-6);
        EXPECT_CLOSE((p.P - m.P) / (2 * hT), dPdT, 1e-3);
        for (int i = 0; i < n; i++) {
            EXPECT_CLOSE((p.rcp[i] - m.rcp[i]) / (2 * hT), drdT[i], 1e-6);
            EXPECT_CLOSE((p.phi[i] - m.phi[i]) / (2 * hT), dphidT[i], 1e-6);
        }
    }
    {
        const TVState p = atTV(f, T, V + hV, x), m = atTV(f, T, V - hV, x);
        EXPECT_CLOSE((p.Z - m.Z) / (2 * hV), dZdV, 1e-3 / V);
        EXPECT_CLOSE((p.P - m.P) / (2 * hV), dPdV, 1.0);
        EXPECT_CLOSE((p.Z - m.Z) / (p.P - m.P), dZdP, 1e-12);
        for (int i = 0; i < n; i++) {
            EXPECT_CLOSE((p.rcp[i] - m.rcp[i]) / (2 * hV), drdV[i], 1e-3 / V);
            EXPECT_CLOSE((p.rcp[i] - m.rcp[i]) / (p.P - m.P), drdP[i], 1e-12);
            EXPECT_CLOSE((p.phi[i] - m.phi[i]) / (2 * hV), dphidV[i], 1e-3 / V);
            EXPECT_CLOSE((p.phi[i] - m.phi[i]) / (p.P - m.P), dphidP[i], 1e-12);
            EXPECT_CLOSE((p.f[i] - m.f[i]) / (2 * hV), dfdV[i], fscale / V * 1e-3);
        }
    }
    for (int k = 0; k < n; k++) {
        std::vector<double> xp = x, xm = x;
        xp[k] += hx;
        xm[k] -= hx;
        const TVState p = atTV(f, T, V, xp), m = atTV(f, T, V, xm);
        EXPECT_CLOSE((p.Z - m.Z) / (2 * hx), dZdx[k], 1e-3);
        EXPECT_CLOSE((p.P - m.P) / (2 * hx), dPdx[k], P * 1e-3);
        for (int i = 0; i < n; i++) {
            EXPECT_CLOSE((p.rcp[i] - m.rcp[i]) / (2 * hx), drdx[i][k], 1e-3);
            EXPECT_CLOSE((p.phi[i] - m.phi[i]) / (2 * hx), dphidx[i][k], 1e-3);
        }
    }
    atTV(f, T, V, x);

    // Z, P and V derivatives to second order.
    auto expansivity = [&](double t, double v) {
        f.temperature(t);
        f.volume(v);
        f.calculate_pressure();
        f.calculate_expansivity_derivative();
        return std::array<double, 6>{f.Z, f.dZdT, f.dZdV, f.P, f.dPdT, f.dPdV};
    };
    const auto c = expansivity(T, V);
    const double d2ZdT2 = f.d2ZdT2, d2ZdTdV = f.d2ZdTdV, d2ZdV2 = f.d2ZdV2, d2PdT2 = f.d2PdT2, d2PdTdV = f.d2PdTdV,
                 d2PdV2 = f.d2PdV2;
    EXPECT_CLOSE(c[1], dZdT, 1e-9);
    const auto tp = expansivity(T + hT, V), tm = expansivity(T - hT, V);
    const auto vp = expansivity(T, V + hV), vm = expansivity(T, V - hV);
    EXPECT_CLOSE((tp[1] - tm[1]) / (2 * hT), d2ZdT2, std::fabs(c[1]) / T);
    EXPECT_CLOSE((vp[1] - vm[1]) / (2 * hV), d2ZdTdV, 1e-6 / V);
    EXPECT_CLOSE((vp[2] - vm[2]) / (2 * hV), d2ZdV2, 1e-3 / (V * V));
    EXPECT_CLOSE((tp[4] - tm[4]) / (2 * hT), d2PdT2, std::fabs(c[4]) / T);
    EXPECT_CLOSE((vp[4] - vm[4]) / (2 * hV), d2PdTdV, 1e-3 / V);
    EXPECT_CLOSE((vp[5] - vm[5]) / (2 * hV), d2PdV2, 1.0 / (V * V));
    EXPECT_CLOSE((tp[3] - tm[3]) / (2 * hT), c[4], 1e-3);
    EXPECT_CLOSE((vp[3] - vm[3]) / (2 * hV), c[5], 1.0);

    auto dVdTAt = [&](double t) {
        atTP(f, t, P, x);
        f.calculate_expansivity_derivative();
        return std::pair<double, double>(f.V, f.dVdT);
    };
    const double d2VdT2 = (dVdTAt(T), f.d2VdT2);
    EXPECT_CLOSE(f.dVdT, dVdT, 1e-12);
    const double num = (dVdTAt(T + hT).second - dVdTAt(T - hT).second) / (2 * hT);
    EXPECT_CLOSE(num, d2VdT2, V * 1e-6);
}
}  // namespace

TEST(FluidProperties, DerivativesAgreeWithCentralDifferencesPure) {
    VdWFluid f({kA}, {kB}, false);
    checkDerivatives(f, {1.0}, 330.0, 50e5);   // gas
    VdWFluid liq({kA}, {kB}, false, 0.0, 2);
    liq.liquidStart = 1.2 * kB;
    checkDerivatives(liq, {1.0}, 280.0, 80e5);  // liquid
}

TEST(FluidProperties, DerivativesAgreeWithCentralDifferencesBinary) {
    TestDataDir data("deriv");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid f({0.3658, 0.5537}, {4.286e-5, 3.049e-5}, true, 0.08);
    f.add_components("GasA", "GasB");
    checkDerivatives(f, {0.35, 0.65}, 420.0, 60e5);
}

TEST(FluidProperties, StateFunctionsAreConsistent) {
    TestDataDir data("statefn");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid f({kA}, {kB}, true);
    f.add_component("GasB");
    const double T = 350.0, V = 3e-4, h = 1e-3;
    auto at = [&](double t) {
        f.calculateFromTV(t, V, 0);
        return std::array<double, 4>{f.A, f.U, f.S, f.H};
    };
    const auto p = at(T + h), m = at(T - h), c = at(T);
    EXPECT_CLOSE(-(p[0] - m[0]) / (2 * h), c[2], 1.0);   // S = -(dA/dT)_V
    EXPECT_CLOSE((p[1] - m[1]) / (2 * h), f.Cv, 1.0);    // Cv = (dU/dT)_V
    EXPECT_CLOSE((p[3] - m[3]) / (2 * h), f.dHdTv, 1.0);
    EXPECT_NEAR(f.G, f.A + f.P * V, 1e-6 * std::fabs(f.G));
    EXPECT_NEAR(f.H, f.U + f.P * V, 1e-6 * std::fabs(f.H));
    EXPECT_NEAR(f.A, f.U - T * f.S, 1e-9 * std::fabs(f.U));
    // Joule-Thomson: (dT/dP)_H from a small isenthalpic step.
    f.calculateFromTP(T, 40.0, 0);
    const double H0 = f.H, mu = f.jouleThomson;
    f.calculateFromTP(T, 41.0, 0);
    const double Tguess = T + mu * 1e5;
    f.calculateFromTP(Tguess, 41.0, 0);
    EXPECT_NEAR(f.H, H0, 1e-3 * std::fabs(f.Cp * mu * 1e5) + 1e-2);
}

TEST(FluidCritical, PureVanDerWaalsCriticalPoint) {
    VdWFluid f({kA}, {kB}, false);
    f.critical_T = 1.15 * pure.Tc();
    f.critical_V = 1.3 * pure.Vc();
    testing::internal::CaptureStdout();
    f.calculateTheCriticalPoint(1, "vdw");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_LT(rel(f.T, pure.Tc()), 1e-9);
    EXPECT_LT(rel(f.V, pure.Vc()), 1e-9);
    EXPECT_LT(rel(f.P, pure.Pc()), 1e-9);
    EXPECT_NE(out.find("P   "), std::string::npos);
    std::ifstream in("critvdw");
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str().rfind("IGOR\nWAVES     Tvdw", 0), 0u) << s.str();
    EXPECT_NE(s.str().find("BEGIN\n"), std::string::npos);
    EXPECT_NE(s.str().find("END\n"), std::string::npos);
}

TEST(FluidCritical, BinaryHelmholtzDerivativesAgreeWithCentralDifferences) {
    TestDataDir data("critbin");
    data.write("compo/standard.txt", kIdealData);
    VdWFluid f({0.3658, 0.5537}, {4.286e-5, 3.049e-5}, true, 0.08);
    f.add_components("GasA", "GasB");
    const double T = 400.0, V = 1.5e-4, x1 = 0.4;
    struct S {
        double A, AT, AV, Ax, AVV, AVx, Axx, ATV, ATx, AVVV, AVVx, AVxx, Axxx, ATVV, ATVx, ATxx, AVVVV, AVVVx, AVVxx,
            AVxxx, Axxxx, ATVVV, ATVVx, ATVxx, ATxxx, ATTV, ATTVV, ATTVx, ATTxx;
    };
    auto at = [&](double t, double v, double xx) {
        f.composition_of_component(0, 1 - xx);
        f.composition_of_component(1, xx);
        f.temperature(t);
        f.volume(v);
        f.calculate_critical_parameters();
        return S{f.A,        f.dAdT,      f.dAdV,      f.dAdx,      f.d2AdV2,     f.d2AdVdx,   f.d2Adx2,
                 f.d2AdTdV,  f.d2AdTdx,   f.d3AdV3,    f.d3AdV2dx,  f.d3AdVdx2,   f.d3Adx3,    f.d3AdTdV2,
                 f.d3AdTdVdx, f.d3AdTdx2, f.d4AdV4,    f.d4AdV3dx,  f.d4AdV2dx2,  f.d4AdVdx3,  f.d4Adx4,
                 f.d4AdTdV3, f.d4AdTdV2dx, f.d4AdTdVdx2, f.d4AdTdx3, f.d3AdT2dV,  f.d4AdT2dV2, f.d4AdT2dVdx,
                 f.d4AdT2dx2};
    };
    const double hT = 1e-3, hV = 1e-5 * V, hx = 1e-5;
    const S c = at(T, V, x1), tp = at(T + hT, V, x1), tm = at(T - hT, V, x1), vp = at(T, V + hV, x1),
            vm = at(T, V - hV, x1), xp = at(T, V, x1 + hx), xm = at(T, V, x1 - hx);
    EXPECT_EQ(f.errorflag, 0);
#define DT(field) ((tp.field - tm.field) / (2 * hT))
#define DV(field) ((vp.field - vm.field) / (2 * hV))
#define DX(field) ((xp.field - xm.field) / (2 * hx))
    const double s0 = std::fabs(c.A) + 1e3;
    EXPECT_CLOSE(DT(A), c.AT, s0 / T);
    EXPECT_CLOSE(DV(A), c.AV, s0 / V);
    EXPECT_CLOSE(DX(A), c.Ax, s0);
    EXPECT_CLOSE(DV(AV), c.AVV, s0 / (V * V));
    EXPECT_CLOSE(DX(AV), c.AVx, s0 / V);
    EXPECT_CLOSE(DX(Ax), c.Axx, s0);
    EXPECT_CLOSE(DV(AT), c.ATV, s0 / (T * V));
    EXPECT_CLOSE(DX(AT), c.ATx, s0 / T);
    EXPECT_CLOSE(DV(AVV), c.AVVV, s0 / (V * V * V));
    EXPECT_CLOSE(DX(AVV), c.AVVx, s0 / (V * V));
    EXPECT_CLOSE(DX(AVx), c.AVxx, s0 / V);
    EXPECT_CLOSE(DX(Axx), c.Axxx, s0);
    EXPECT_CLOSE(DV(ATV), c.ATVV, s0 / (T * V * V));
    EXPECT_CLOSE(DX(ATV), c.ATVx, s0 / (T * V));
    EXPECT_CLOSE(DX(ATx), c.ATxx, s0 / T);
    EXPECT_CLOSE(DV(AVVV), c.AVVVV, s0 / (V * V * V * V));
    EXPECT_CLOSE(DX(AVVV), c.AVVVx, s0 / (V * V * V));
    EXPECT_CLOSE(DX(AVVx), c.AVVxx, s0 / (V * V));
    EXPECT_CLOSE(DX(AVxx), c.AVxxx, s0 / V);
    EXPECT_CLOSE(DX(Axxx), c.Axxxx, s0);
    EXPECT_CLOSE(DV(ATVV), c.ATVVV, s0 / (T * V * V * V));
    EXPECT_CLOSE(DX(ATVV), c.ATVVx, s0 / (T * V * V));
    EXPECT_CLOSE(DX(ATVx), c.ATVxx, s0 / (T * V));
    EXPECT_CLOSE(DX(ATxx), c.ATxxx, s0 / T);
    EXPECT_CLOSE(DT(ATV), c.ATTV, s0 / (T * T * V));
    EXPECT_CLOSE(DT(ATVV), c.ATTVV, s0 / (T * T * V * V));
    EXPECT_CLOSE(DT(ATVx), c.ATTVx, s0 / (T * T * V));
    EXPECT_CLOSE(DT(ATxx), c.ATTxx, s0 / (T * T));

    // The spinodal condition of the mixture and its temperature derivative.
    f.composition_of_component(0, 1 - x1);
    f.composition_of_component(1, x1);
    f.volume(V);
    double g, dg, gp, gm, d;
    f.equationForCalculating_Spinodal(T, g, dg);
    f.equationForCalculating_Spinodal(T + hT, gp, d);
    f.equationForCalculating_Spinodal(T - hT, gm, d);
    EXPECT_CLOSE((gp - gm) / (2 * hT), dg, std::fabs(g) / T);
    EXPECT_NEAR(g, c.Axx - c.AVx * c.AVx / c.AVV, 1e-9 * std::fabs(g));

    testing::internal::CaptureStdout();
    f.check_critical_parameters();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Avvvv num."), std::string::npos);
    VdWFluid p({kA}, {kB}, false);
    testing::internal::CaptureStderr();
    p.check_critical_parameters();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Works only for binary fluids\n");
}

TEST(FluidChecks, ReportsAreWritten) {
    VdWFluid f({0.3658, 0.5537}, {4.286e-5, 3.049e-5}, false, 0.08);
    f.composition(0.35, 0.65);
    f.calculateFromTP(420.0, 60.0, 0);
    f.check_expansivity_parameters();
    std::ifstream report("Check.report");
    std::stringstream s;
    s << report.rdbuf();
    EXPECT_NE(s.str().find("Numerical derivatives"), std::string::npos);
    EXPECT_NE(s.str().find("d2VdT2"), std::string::npos);

    testing::internal::CaptureStdout();
    f.check_fugacities();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Analytical derivatives as a function of T, V and x variables"), std::string::npos);
    EXPECT_NE(out.find("dfugacitydx"), std::string::npos);
    EXPECT_EQ(f.errorflag, 0);

    // The term's own check writes its note (the pager is switched off in tests).
    f.interactions[1]->check_fugacities();
    EXPECT_TRUE(std::filesystem::exists("interaction.note"));
}

TEST(FluidChecks, DumpWritesWeightPercentOfEveryComponent) {
    FluidPhase g(0, 1, 0);
    VdWFluid f({0.5537, 0.3658}, {3.049e-5, 4.286e-5}, false);
    f.setComponent(0, "H2O");
    f.setComponent(1, "CO2");
    f.molar_mass = {0.018015268, 0.044};
    f.composition(0.9, 0.1);
    f.calculateFromTP(600.0, 100.0, 0);
    testing::internal::CaptureStdout();
    f.dump();
    const std::string out = testing::internal::GetCapturedStdout();
    const double wt = 100.0 * 0.1 * 0.044 / (0.9 * 0.018015268 + 0.1 * 0.044);
    char line[128];
    std::snprintf(line, sizeof line, "wt(CO2)  %12f", wt);
    EXPECT_NE(out.find(line), std::string::npos) << out;
    EXPECT_NE(out.find("Sound speed"), std::string::npos);
    EXPECT_NE(out.find("\u00b0C"), std::string::npos);

    f.setComponent(0, "CO2");
    f.setComponent(1, "H2O");
    testing::internal::CaptureStdout();
    f.dump();
    const std::string out2 = testing::internal::GetCapturedStdout();
    // Each component by its name.
    EXPECT_NE(out2.find("x(CO2)"), std::string::npos);
    EXPECT_NE(out2.find("x(H2O)"), std::string::npos);
    EXPECT_EQ(out2.find("x(0)"), std::string::npos);
    EXPECT_EQ(out2.find("wt("), std::string::npos);
    (void)g;
}
