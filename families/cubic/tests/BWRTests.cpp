// The Benedict-Webb-Rubin term of the Lee-Kesler form against the closed
// form of the Lee-Kesler equation (pressure, fugacity and departure
// functions), its derivatives, the closed-form fluid's own derivatives, and
// the messages of the BWR fluid.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "families/cubic/BWR.h"
#include "families/cubic/BWREOS.h"
#include "families/cubic/BWR_EOS.h"
#include "families/cubic/LeeKeslerConstants.h"
#include "families/cubic/tests/CubicChecks.h"
#include "platform/LogSink.h"

namespace {

// Z of the closed form at (Tr, Vr), without its printout.
double closedZ(BWR_EOS& f, double Tr, double Vr) {
    double r, d;
    f.temperature(Tr);
    f.pressure(1.0);
    f.equation2(Vr, r, d);
    return f.Z;
}

double Pr(BWR_EOS& f, double Tr, double Vr) { return Tr * closedZ(f, Tr, Vr) / Vr; }

struct Point {
    double Tr, Vr;
};
const Point kPoints[] = {{0.8, 0.12}, {0.7, 0.1}, {1.0, 0.29}, {1.3, 0.6}, {2.5, 3.0}, {0.9, 5.0}};

}  // namespace

TEST(BWRTerm, PressureOfBothLeeKeslerFluidsIsTheClosedForm) {
    for (const char* name : {"C1", "C8"}) {
        BWREOS m(1);
        m.number_of_components(1);
        m.add_component(name);
        BWR_EOS closed(std::string(name) == "C1" ? lee_kesler::kSimpleFluid : lee_kesler::kReferenceFluid);
        for (const Point& p : kPoints) {
            m.temperature(p.Tr);
            m.volume(p.Vr);
            m.calculate_pressure();
            ASSERT_EQ(m.errorflag, 0);
            const double Z = m.P * p.Vr / (8.31434 * p.Tr);
            EXPECT_NEAR(Z, closedZ(closed, p.Tr, p.Vr), 1e-12 * (1.0 + std::fabs(Z))) << name << " " << p.Tr;
        }
        EXPECT_DOUBLE_EQ(m.molar_mass[0], std::string(name) == "C1" ? 0.016 : 0.146);
    }
}

TEST(BWRTerm, FugacityAndDeparturesAgreeWithTheClosedForm) {
    BWREOS m(1);
    m.number_of_components(1);
    m.add_component("C8");
    BWR_EOS f(lee_kesler::kReferenceFluid);
    BWR* t = m.term();
    for (const Point& p : kPoints) {
        if (closedZ(f, p.Tr, p.Vr) <= 0.0) continue;  // inside the unstable loop
        m.calculateFromTV(p.Tr, p.Vr, 0);
        ASSERT_EQ(m.errorflag, 0);
        f.gd();
        // ln(f/P) of the framework against g/Tr.
        EXPECT_NEAR(std::log(m.fugacity[0] / m.P), f.g / p.Tr, 1e-10) << p.Tr;
        // Residual Helmholtz energy of the tree: a - (-ln V); its T derivatives
        // give the enthalpy, entropy and heat-capacity departures.
        cubic_tests::evaluateTerm(*t, {p.Tr, p.Vr, 1.0});
        const double ar = t->root->value + std::log(p.Vr);
        const double aT = t->root->d1[0], aTT = t->root->d2[0][0];
        const double Z = f.Z;
        EXPECT_NEAR(f.hd(), p.Tr * (Z - 1.0 - p.Tr * aT), 1e-10) << p.Tr;
        EXPECT_NEAR(f.sd(), -ar - p.Tr * aT + std::log(Z), 1e-10) << p.Tr;
        f.cd();
        EXPECT_NEAR(f.cv, -p.Tr * p.Tr * aTT - 2.0 * p.Tr * aT, 1e-10) << p.Tr;
    }
}

TEST(BWRTerm, DerivativesToFourthOrderAndIdealLimit) {
    BWR t;
    t.number_of_components(1);
    t.set_parameters(lee_kesler::kReferenceFluid);
    cubic_tests::checkAllDerivatives(t, {1.1, 0.4, 1.0});
    t.set_parameters(lee_kesler::kSimpleFluid);
    cubic_tests::checkAllDerivatives(t, {0.9, 2.0, 1.0});
    cubic_tests::evaluateTerm(t, {1.5, 1e6, 1.0});
    EXPECT_NEAR(t.root->value, -std::log(1e6), 1e-6);
    // Simple fluid: c3 = 0, C = c1 - c2/T.
    cubic_tests::evaluateTerm(t, {1.25, 1.0, 1.0});
    EXPECT_NEAR(t.C.value, 0.0236744 - 0.0186984 / 1.25, 1e-15);
}

TEST(BWRTerm, FluidWarnsAndGoesOn) {
    BWREOS m(1);
    testing::internal::CaptureStderr();
    m.number_of_components(2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can handle only one-component fluid\n");
    testing::internal::CaptureStderr();
    m.add_components("C1", "C8");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can handle only one-component fluid\n");
    EXPECT_DOUBLE_EQ(m.term()->constants[0], lee_kesler::kSimpleFluid[0]);
    BWREOS o(1);
    o.number_of_components(1);
    testing::internal::CaptureStderr();
    o.add_component("C3");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can only be applied to C1 or C8.\n");
    EXPECT_DOUBLE_EQ(o.term()->constants[0], 0.0);
    EXPECT_STREQ(o.modelName(), "BWR EOS");
}

TEST(ClosedFormBWR, PressureDerivativesAgainstDifferences) {
    BWR_EOS f(lee_kesler::kReferenceFluid);
    for (const Point& p : kPoints) {
        const double hT = 1e-5 * p.Tr, hV = 1e-5 * p.Vr;
        const double dT = (Pr(f, p.Tr + hT, p.Vr) - Pr(f, p.Tr - hT, p.Vr)) / (2 * hT);
        const double dV = (Pr(f, p.Tr, p.Vr + hV) - Pr(f, p.Tr, p.Vr - hV)) / (2 * hV);
        const double dZ = (closedZ(f, p.Tr, p.Vr + hV) - closedZ(f, p.Tr, p.Vr - hV)) / (2 * hV);
        closedZ(f, p.Tr, p.Vr);
        EXPECT_NEAR(f.dpdT(), dT, 1e-6 * (1 + std::fabs(dT))) << p.Tr;
        EXPECT_NEAR(f.dpdV(), dV, 1e-6 * (1 + std::fabs(dV))) << p.Tr;
        EXPECT_NEAR(f.dzdV(), dZ, 1e-6 * (1 + std::fabs(dZ))) << p.Tr;
    }
}

TEST(ClosedFormBWR, SettersKeepOrClearTheState) {
    const platform::TracesShown traces;  // what is checked here is in the solvers' traces
    BWR_EOS f(lee_kesler::kSimpleFluid);
    f.set_the_phase_as(1);
    f.temperature(2.0);
    f.pressure(0.01);
    testing::internal::CaptureStderr();
    f.describe();
    EXPECT_TRUE(f.valid);
    EXPECT_EQ(f.errorflag, 0);
    // Low pressure: Z close to 1 + B Pr/Tr, B = b1 - b2/Tr - b3/Tr^2 - b4/Tr^3.
    const double B = 0.1181193 - 0.265728 / 2 - 0.15479 / 4 - 0.030323 / 8;
    EXPECT_NEAR(f.Z, 1.0 + B * 0.01 / 2.0, 1e-6);
    EXPECT_NEAR(f.V, 2.0 / 0.01 * f.Z, 1e-9);
    f.temperature(2.0);
    EXPECT_TRUE(f.valid);
    f.temperature(2.5);
    EXPECT_FALSE(f.valid);
    // calculateZ prints its four contributions.
    f.temperature(2.0);
    f.volume(200.0);
    f.calculateZ();
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("B/V "), std::string::npos);
    EXPECT_NE(out.find("C/V2 "), std::string::npos);
    EXPECT_NE(out.find("D/V5 "), std::string::npos);
    EXPECT_NE(out.find("E "), std::string::npos);
}

TEST(ClosedFormBWR, PhasesBelowTheCriticalPoint) {
    BWR_EOS f(lee_kesler::kSimpleFluid);
    // Tr = 0.8: saturation near Pr = 0.2 (log10 Pr = 7/3 (1 - 1/Tr)).
    f.set_the_phase_as(2);
    f.temperature(0.8);
    f.pressure(0.3);
    f.describe();
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_LT(f.V, 0.2);
    EXPECT_EQ(f.diagnose_the_phase(), 2);
    f.set_the_phase_as(1);
    f.pressure(0.1);
    f.describe();
    ASSERT_EQ(f.errorflag, 0);
    EXPECT_GT(f.V, 5.0);
    EXPECT_EQ(f.diagnose_the_phase(), 1);
    // No pressure: no state, reported.
    f.pressure(0.0);
    f.describe();
    EXPECT_EQ(f.errorflag, 1);
    EXPECT_TRUE(f.valid);
}
