// Three-parameter cubics: reduction to SRK, the Patel-Teja Omegas, ln phi
// against mole-number differences of the closed-form residual Helmholtz
// energy, Heyen's weighted mixing, and missing component files.
#include <gtest/gtest.h>

#include <cmath>

#include "families/cubic/Heyen.h"
#include "families/cubic/tests/CubicChecks.h"

using namespace cubic_tests;

namespace {

// n A_res/(RT) of P = RT/(V - b) - a/(V^2 + (b + c)V - b c) at total volume Vt
// and mole numbers n, with a = sum n_i n_j (1 - k_ij) sqrt(a_i a_j)/n^2.
double nAres(const HCubic& m, double T, double Vt, const std::vector<double>& n) {
    double nt = 0;
    for (double v : n) nt += v;
    double a = 0, b = 0, c = 0;
    for (size_t i = 0; i < n.size(); i++) {
        b += n[i] * m.bT[i] / nt;
        c += n[i] * m.cT[i] / nt;
        for (size_t j = 0; j < n.size(); j++)
            a += n[i] * n[j] * (1.0 - m.kaij[i * n.size() + j]) * std::sqrt(m.aT[i] * m.aT[j]) / (nt * nt);
    }
    const double V = Vt / nt, D = std::sqrt(b * b + 6 * b * c + c * c);
    const double ares = -std::log(1.0 - b / V) - a / (kR * T * D) * std::log((2 * V + b + c + D) / (2 * V + b + c - D));
    return nt * ares;
}

void expectLnPhiFromHelmholtz(HCubic& m) {
    const int n = m.component_count;
    const std::vector<double> x(m.x.begin(), m.x.end());
    for (int i = 0; i < n; i++) {
        const double h = 1e-6;
        std::vector<double> up = x, dn = x;
        up[i] += h;
        dn[i] -= h;
        const double mu = (nAres(m, m.T, m.V, up) - nAres(m, m.T, m.V, dn)) / (2 * h);
        EXPECT_NEAR(m.lnphi[i], mu - std::log(m.Z), 1e-7) << m.modelName() << " component " << i;
    }
}

class OpenThreePar : public ThreePar {
public:
    OpenThreePar() : ThreePar(1) {}
    using ThreePar::omegasFromZeta;
};

}  // namespace

TEST(TwoPar, ReducesToSoaveRedlichKwong) {
    TwoPar m(1);
    m.number_of_components(1);
    m.add_component("CO2");
    ASSERT_NEAR(m.Tc[0], 304.13, 1e-12);
    const double T = 280.0;
    m.temperature(T);
    m.pressure(30.0);
    m.calculate_molar_volume();
    ASSERT_EQ(m.errorflag, 0);
    ClosedCubic srk{0.0, -1.0, {m.ac[0] * soaveAlpha(T, m.Tc[0], m.m[0])}, {m.b[0]}, {{0.0}}};
    EXPECT_NEAR(srk.P(T, m.V, {1.0}), 30e5, 1e-4);
    EXPECT_NEAR(m.lnphi[0], srk.lnPhi(0, T, m.V, {1.0}), 1e-10);
    // The pressure back from the volume.
    m.calculate_pressure();
    EXPECT_NEAR(m.P, 30e5, 1e-4);
    // Volumes and fugacities only: a state from T and V has the pressure of
    // its volume, and no state function or pressure derivative stands in for
    // the fluid's.
    const double V = m.V, lnphi = m.lnphi[0];
    m.pressure(1.0);
    m.calculateFromTV(T, V, 0);
    EXPECT_EQ(m.errorflag, 0);
    EXPECT_NEAR(m.P, 30e5, 1e-4);
    EXPECT_NEAR(m.lnphi[0], lnphi, 1e-10);
    for (double q : {m.H, m.S, m.U, m.Cv, m.Cp, m.soundSpeed, m.jouleThomson, m.dPdV, m.dVdT})
        EXPECT_TRUE(std::isnan(q));
    // Pseudo-critical point of the pure fluid: its own Tc.
    double Tc, Pc, Vc;
    m.calculate_the_pseudo_critical_point(Tc, Pc, Vc);
    EXPECT_NEAR(Tc, 304.13, 1e-6);
    EXPECT_NEAR(Pc, 7377000.0, 1.0);
}

TEST(ThreePar, PatelTejaOmegasAndFugacities) {
    OpenThreePar o;
    o.omegasFromZeta(0.329032);
    EXPECT_NEAR(o.Omega_c, 0.012904, 1e-12);
    // Omega_b is a root of its cubic and Omega_a follows.
    const double z = 0.329032, ob = o.Omega_b;
    EXPECT_NEAR(ob * ob * ob + (2 - 3 * z) * ob * ob + 3 * z * z * ob - z * z * z, 0.0, 1e-14);
    EXPECT_GT(ob, 0.0);

    ThreePar m(2);
    m.number_of_components(2);
    m.add_components("CO2", "CH4");
    EXPECT_DOUBLE_EQ(m.kaij[1], 0.1);
    m.composition(0.8, 0.2);
    m.temperature(250.0);
    m.pressure(60.0);
    m.calculate_molar_volume();
    ASSERT_EQ(m.errorflag, 0);
    EXPECT_LT(m.V, 1e-4);  // the liquid root
    expectLnPhiFromHelmholtz(m);
    m.set_the_phase_as(1);
    m.pressure(15.0);
    m.calculate_molar_volume();
    ASSERT_EQ(m.errorflag, 0);
    expectLnPhiFromHelmholtz(m);
    m.set_binary_interaction_a_parameters(0.05);
    EXPECT_DOUBLE_EQ(m.kaij[2], 0.05);
}

TEST(Heyen, WeightedMixingAndComponentFile) {
    cubic_tests::writeComponentFile("compo/HeyenCO2", "Tc 304.13 Pc 7377000 omega 0.224 Vc 9.407e-05 slope 0.75 nn 1.1 m 0.05 teta 2 mw 0.04401\n");
    cubic_tests::writeComponentFile("compo/HeyenCH4", "Tc 190.56 Pc 4599000 omega 0.011 Vc 9.86e-05 slope 0.45 nn 1.0 m 0.0 teta 0 mw 0.01604\n");
    Heyen m(1);
    m.number_of_components(2);
    m.add_components("HeyenCO2", "HeyenCH4");
    ASSERT_EQ(m.known[0] + m.known[1], 2);
    m.composition(0.4, 0.6);
    m.temperature(320.0);
    m.pressure(50.0);
    m.calculate_molar_volume();
    ASSERT_EQ(m.errorflag, 0);
    // With all weights 1 the rule is the quadratic one.
    expectLnPhiFromHelmholtz(m);
    // The temperature function at the critical temperature.
    m.temperature(304.13);
    m.calculate_parameters_of_pure_components();
    EXPECT_NEAR(m.aT[0], m.ac[0], 1e-12 * m.ac[0]);
    EXPECT_NEAR(m.bT[0], m.b[0], 1e-20);

    Heyen bad(1);
    bad.number_of_components(1);
    testing::internal::CaptureStderr();
    bad.add_component("NoSuchFluid");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot find compo/NoSuchFluid file !"), std::string::npos);
    bad.temperature(300.0);
    bad.pressure(10.0);
    bad.calculate_molar_volume();
    EXPECT_EQ(bad.errorflag, 1);

    TwoPar t(1);
    t.number_of_components(1);
    testing::internal::CaptureStderr();
    t.add_component("../CMakeLists.txt");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("File compo/../CMakeLists.txt not found"), std::string::npos);
}
