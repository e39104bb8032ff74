#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "equilibria/IFP.h"
#include "families/anderko/Anderko.h"
#include "families/anderko/AnderkoDispersion.h"
#include "families/anderko/Boublik.h"
#include "families/anderko/Dipole.h"
#include "fluid/CurveOutput.h"
#include "TermChecks.h"
#include "water/WagnerPruss.h"

using anderko_test::checkDerivatives;
using anderko_test::evalTerm;

namespace {

struct Expect {
    int code;
    std::vector<std::string> names;
    std::vector<double> M;
    double Tc, Vc, Tmin;
};

}  // namespace

TEST(Anderko, SystemCodesSetTheComponents) {
    const double base = WaterEOS(0, 2, 0).Tmin;
    const std::vector<Expect> table = {
        {1, {"H2O"}, {0.018015268}, 648.6, 6.174e-05, base},
        {2, {"CO2"}, {0.0440098}, 305.0, 9.4e-05, 80.0},
        {3, {"CH4"}, {0.016043}, 190.6, 6e-05, 100.0},
        {4, {"NaCl"}, {0.058443}, 2167.0, 0.000167, base},
        {5, {"KCl"}, {0.074551}, 2271.0, 0.000218, base},
        {10, {"H2O", "NaCl"}, {0.018015268, 0.058443}, 648.6, 6.174e-05, base},
        {11, {"H2O", "CO2"}, {0.018015268, 0.0440098}, 648.6, 6.174e-05, 273.15},
        {12, {"H2O", "CH4"}, {0.018015268, 0.016043}, 648.6, 6.174e-05, 273.15},
        {13, {"H2O", "KCl"}, {0.018015268, 0.074551}, 648.6, 6.174e-05, base},
        {14, {"NaCl", "CO2"}, {0.058443, 0.0440098}, 2167.0, 0.000167, base},
        {15, {"NaCl", "CH4"}, {0.058443, 0.016043}, 2167.0, 0.000167, base},
        {20, {"H2O", "NaCl", "CO2"}, {0.018015268, 0.058443, 0.0440098}, 648.6, 6.174e-05, base},
        {21, {"H2O", "NaCl", "CH4"}, {0.018015268, 0.058443, 0.016043}, 648.6, 6.174e-05, 273.15},
    };
    for (const Expect& e : table) {
        Anderko m(2);
        testing::internal::CaptureStderr();
        m.setSystemCode(static_cast<char>(e.code));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << e.code;
        ASSERT_EQ(m.component_count, static_cast<int>(e.names.size())) << e.code;
        EXPECT_EQ(m.systemCode, e.code);
        for (int i = 0; i < m.component_count; i++) {
            EXPECT_EQ(m.component_names[i], e.names[i]);
            EXPECT_DOUBLE_EQ(m.molar_mass[i], e.M[i]);
            EXPECT_DOUBLE_EQ(m.x[i], i == 0 ? 1.0 : 0.0);
        }
        if (m.component_count == 1) {
            EXPECT_DOUBLE_EQ(m.bulk_molar_weight, e.M[0]);
        }
        EXPECT_DOUBLE_EQ(m.critical_T, e.Tc);
        EXPECT_DOUBLE_EQ(m.critical_V, e.Vc);
        EXPECT_DOUBLE_EQ(m.Tmin, e.Tmin) << e.code;
        ASSERT_NE(m.ideal, nullptr);  // the standard-state data of the components
        EXPECT_TRUE(m.dispersion()->complete());
        // The state is computable at a high-temperature point of the family's
        // range (a salt has no ideal-gas data: its state functions are not).
        testing::internal::CaptureStderr();
        m.calculateFromTP(773.15, 1000.0, 0);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(m.errorflag, 0) << e.code;
        EXPECT_TRUE(m.V > 1e-5 && m.V < 1e-3) << e.code << " V " << m.V;
    }
}

TEST(Anderko, DipoleMomentsAndNamesFollowTheCode) {
    Anderko co2(2);
    co2.setSystemCode(2);
    EXPECT_DOUBLE_EQ(co2.dipole()->mu[0], 0.0);
    EXPECT_FALSE(co2.dipole()->isPolar());
    Anderko m(2);
    EXPECT_TRUE(m.setSystemType("H2O-NaCl-CH4"));
    EXPECT_EQ(m.systemCode, 21);
    EXPECT_DOUBLE_EQ(m.hardSpheres()->covolumes[1], 6.00124e-05);
    EXPECT_DOUBLE_EQ(m.dipole()->mu[1], 6.4);
}

// Every code without a row (17 and 18 have dispersion parameters but no row,
// 30 a name, 31 and 32 rows without complete parameters) is reported and
// leaves a model that fails every state, with a message, and never crashes.
TEST(Anderko, CodesWithoutParametersAreReportedAndFailEveryState) {
    const std::vector<int> implemented = {1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15, 20, 21};
    for (int code = -128; code < 128; code++) {
        if (std::find(implemented.begin(), implemented.end(), code) != implemented.end()) continue;
        for (int kind : {1, 2}) {
            Anderko m(kind);
            testing::internal::CaptureStderr();
            m.setSystemCode(static_cast<char>(code));
            const std::string err = testing::internal::GetCapturedStderr();
            const std::string msg = "Anderko system type " + std::to_string(code) + " not implemented";
            EXPECT_NE(err.find(msg + "\n"), std::string::npos) << err;
            EXPECT_EQ(m.component_count, 0) << code;
            EXPECT_EQ(m.systemCode, static_cast<char>(code));
            // Each kind of state: from T and P, from T and V, from V and P, the
            // pressure alone; then a saturation and a critical-point search.
            const std::vector<std::function<void()>> states = {
                [&] { m.calculateFromTP(600.0, 100.0, 0); },
                [&] { m.calculateFromTV(600.0, 1e-4, 0); },
                [&] { m.calculateFromVP(2e-4, 300.0, 0); },
                [&] {
                    m.temperature(700.0);
                    m.volume(5e-5);
                    m.errorflag = 0;
                    m.calculate_pressure();
                },
            };
            for (std::size_t s = 0; s < states.size(); s++) {
                testing::internal::CaptureStderr();
                states[s]();
                const std::string said = testing::internal::GetCapturedStderr();
                EXPECT_EQ(m.errorflag, 1) << code << " state " << s;
                EXPECT_NE(said.find(msg), std::string::npos) << code << " state " << s << ": " << said;
            }
            testing::internal::CaptureStderr();
            m.errorflag = 0;
            m.temperature(500.0);
            m.Vl0 = 3e-5;
            m.Vv0 = 1e-3;
            m.calculate_saturation_pressure();
            EXPECT_EQ(m.errorflag, 1) << code;
            m.errorflag = 0;
            m.search_the_critical_point_of_the_pure_component();
            EXPECT_EQ(m.errorflag, 1) << code;
            m.useVLE();
            EXPECT_EQ(m.solver(), nullptr);
            testing::internal::GetCapturedStderr();
        }
    }
    Anderko m(2);
    m.setSystemCode(10);
    testing::internal::CaptureStderr();
    m.setSystemCode(11);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("already set"), std::string::npos);
    EXPECT_EQ(m.systemCode, 10);
    EXPECT_EQ(m.component_names[1], "NaCl");
}

TEST(Anderko, UseVLECreatesTheVapourOnce) {
    Anderko m(2);
    m.setSystemCode(10);
    m.useVLE();
    IFP* s = m.solver();
    Anderko* v = m.vapourPhase();
    ASSERT_NE(s, nullptr);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->systemCode, 10);
    EXPECT_EQ(v->phase_kind, 1);
    EXPECT_EQ(m.phase_kind, 2);
    m.useVLE();
    EXPECT_EQ(m.solver(), s);
    EXPECT_EQ(m.vapourPhase(), v);
}

TEST(AnderkoDispersion, WaterParametersAtTheReducingTemperature) {
    Anderko m(2);
    m.setSystemCode(1);
    AnderkoDispersion& t = *m.dispersion();
    evalTerm(t, 647.067, 5e-5, {1.0});
    const double a = 0.182838483 + 0.15466527 + 0.010718969 + 0.171825354;
    const double c = -8.87482349 + 3.17933413 - 0.16869781 + 2.95354801;
    const double d = 9.44220297 - 3.1440167 + 0.14953913 + 2.13933917;
    const double b = 2.84959143e-05, V = 5e-5, y = b / (4 * V);
    const double expect = -(a / (8.31434 * 647.067 * V)) * (1 + c * y + d * y * y - 9.0 * y * y * y);
    EXPECT_NEAR(t.root->value, expect, 1e-12 * std::fabs(expect));
    EXPECT_NEAR(t.ai(0)->value, a, 1e-15);
    EXPECT_NEAR(t.ei(0)->value, -9.0, 0);
}

TEST(AnderkoDispersion, PiecewiseInteractionParameters) {
    Anderko m(2);
    m.setSystemCode(11);
    AnderkoDispersion& t = *m.dispersion();
    evalTerm(t, 772.999, 5e-5, {0.5, 0.5});
    EXPECT_NEAR(t.kC(1, 0, 0)->value, 1.41683554 - 0.000702857143 * 772.999, 1e-12);
    evalTerm(t, 773.0, 5e-5, {0.5, 0.5});
    EXPECT_NEAR(t.kC(1, 1, 0)->value, 1.03463 - 0.0002 * 773.0, 1e-12);
    EXPECT_NEAR(t.kA(1, 0)->value, 0.88868 - 0.00017347 * 773 + 4.038e-07 * 773 * 773, 1e-12);

    Anderko ch4(2);
    ch4.setSystemCode(12);
    AnderkoDispersion& u = *ch4.dispersion();
    for (double T : {600.0, 623.15, 700.0, 712.0, 800.0}) {
        evalTerm(u, T, 5e-5, {0.5, 0.5});
        double expect = 1.0;
        if (T < 623.15)
            expect = 0.017232 * T - 8.0121744e-06 * T * T + 1856.526 / T - 9.66938;
        else if (T < 712.0)
            expect = -0.0004084253 * T + 1.11761627e-07 * T * T - 416.0727 / T + 1.8132932;
        EXPECT_NEAR(u.kA(1, 0)->value, expect, 1e-12) << T;
    }
}

TEST(AnderkoDispersion, WaterSaltTau) {
    Anderko m(2);
    m.setSystemCode(10);
    AnderkoDispersion& t = *m.dispersion();
    evalTerm(t, 573.15, 5e-5, {0.9, 0.1});
    const double tau0 = 0.10119 + 6.4313 * std::exp(-6.1456 * std::pow(0.00005, 0.79026));
    EXPECT_NEAR(t.kE(1, 0, 0, 0, 0)->value, tau0, 1e-12);  // q = 0: tau1 = 1
    checkDerivatives(t, 800.0, 4e-5, {0.9, 0.1}, {0, 1, 2, 3}, 5e-5);
}

TEST(AnderkoDispersion, TernaryGasSystemDerivatives) {
    Anderko m(2);
    m.setSystemCode(21);
    checkDerivatives(*m.dispersion(), 800.0, 4.5e-5, {0.7, 0.05, 0.25}, {0, 1, 2, 3, 4}, 5e-5);
}

// The Anderko-Pitzer water is fitted to the reference water at high
// temperature; its densities there agree with IAPWS-95 to a few per cent.
TEST(Anderko, PureWaterAgainstWagnerPruss) {
    Anderko m(2);
    m.setSystemCode(1);
    WagnerPruss w(2);
    struct TP {
        double T, P;
    };
    double worst = 0;
    for (TP s : {TP{673.15, 500.0}, TP{673.15, 1000.0}, TP{773.15, 500.0}, TP{773.15, 2000.0}, TP{873.15, 1000.0},
                 TP{973.15, 3000.0}, TP{1073.15, 2000.0}}) {
        m.calculateFromTP(s.T, s.P, 0);
        w.calculateFromTP(s.T, s.P, 0);
        ASSERT_EQ(m.errorflag, 0);
        ASSERT_EQ(w.errorflag, 0);
        const double dev = std::fabs(m.V - w.V) / w.V;
        worst = std::max(worst, dev);
        EXPECT_LT(dev, 0.03) << "T " << s.T << " P " << s.P << " V " << m.V * 1e6 << " ref " << w.V * 1e6;
    }
    std::printf("largest deviation from IAPWS-95: %.2f %%\n", 100 * worst);
}

TEST(Anderko, SaltWaterCriticalCurveAgainstPalliserMcKibbin) {
    // The H2O-NaCl critical curve from water's critical point against the
    // correlation of the measured one by Palliser & McKibbin (1998): pressure
    // within 6 % and NaCl within 4.5 wt %, every point satisfying both
    // critical conditions, and the curve ending at 1200 K, the upper end of
    // the range Anderko & Pitzer (1993) fitted (it ran on to 1e12 bar).
    // It holds the form of the c112 term (t40 = 0.01 T - 0.57315): with
    // 0.01 T - 5.7315 the curve leaving water lies up to 29 % below these
    // pressures and turns back at 852 K.  The NaCl content along the curve
    // falls short of the measured one above 5 wt %: 10 wt % is critical at
    // 785 K against 739 K (Knight & Bodnar 1989), 20 wt % at 949 K against
    // 842 K; hence the composition's wide bound.
    Anderko m(1);
    m.setSystemType("H2O-NaCl");
    std::vector<double> rows;
    m.temperature(m.critical_T);
    m.volume(m.critical_V);
    testing::internal::CaptureStderr();
    m.calculate_the_critical_curve(nullptr, kCriticalCurveFromComponent0, 1, 1.0, 0.005, 1e-6, -1.0, kArrayOfValues,
                                   "", &rows);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("above 1200 K"), std::string::npos);
    const std::size_t n = rows.size() / 16;
    ASSERT_GT(n, 20u);
    EXPECT_GT(rows[16 * (n - 1) + 2], 1150.0);
    for (std::size_t k = 1; k < n; ++k) {
        const double* r = &rows[16 * k];
        const double P = r[0], V = r[1] * 1e-6, T = r[2], x1 = r[4];
        SCOPED_TRACE(testing::Message() << T << " K, " << P << " bar");
        ASSERT_LE(T, 1200.0);
        const double t = T - 273.15;
        const double Pc = t <= 850.0 ? 256.326 - 3.28926 * t + 0.0105024 * t * t - 5.2439e-6 * t * t * t
                                     : -3282.54 + 9.20086 * t - 0.00419191 * t * t + 5.18556e-7 * t * t * t;
        const double Xc = -0.428737 + 0.00138295 * t - 6.79448e-7 * t * t + 1.22578e-10 * t * t * t;
        const double w = x1 * 58.443 / (x1 * 58.443 + (1.0 - x1) * 18.015);
        EXPECT_NEAR(P / Pc, 1.0, 0.06);
        EXPECT_NEAR(w, Xc, 0.045);
        // Both critical conditions, relative to the size of their terms.
        m.composition(1.0 - x1, x1);
        m.temperature(T);
        m.volume(V);
        m.calculate_critical_parameters();
        const double Avv = m.d2AdV2, Axv = m.d2AdVdx, Axx = m.d2Adx2;
        EXPECT_LT(std::fabs(Avv * Axx - Axv * Axv) / (std::fabs(Avv * Axx) + Axv * Axv), 1e-6);
    }
}
