// Composition derivatives of the Gibbs energy at constant T and P (g2 ...
// g6) of a van der Waals mixture: closed forms at the symmetric point,
// numerical derivatives along constant pressure elsewhere; the G4-point
// search against the closed-form stability term; bad input of the
// tricritical, double-point and pressure-step searches.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "equilibria/tests/MixtureModels.h"
#include "numerics/Newton.h"

namespace {

constexpr double kA = 0.3658, kB = 4.286e-5, kK = 0.3;

struct Gs {
    double r[5], i[5], Pr, AVV;
    double sum(int n) const { return r[n - 2] + i[n - 2]; }
};

Gs gsOf(FluidPhase& f) {
    Gs g;
    f.calculate_tricritical_parameters(g.r[0], g.r[1], g.r[2], g.r[3], g.r[4], g.i[0], g.i[1], g.i[2], g.i[3],
                                       g.i[4], g.Pr, g.AVV);
    return g;
}

// The state at composition x1, temperature T and pressure P (Pa), from the
// volume start Vs.
void stateAt(TunableVdW& f, double T, double P, double x1, double Vs) {
    f.composition_of_component(0, 1.0 - x1);
    f.composition_of_component(1, x1);
    f.temperature(T);
    f.Pascal(P);
    f.set_the_phase_as(2);
    f.Vl0 = f.liquidStart = Vs;
    f.calculate_molar_volume();
}

}  // namespace

TEST(Tricritical, GibbsDerivativesAtTheSymmetricPointMatchTheClosedForms) {
    TunableVdW f({kA, kA}, {kB, kB}, kK);
    const double T = 200.0, V = 8e-5, RT = VdWMixture::R * T;
    f.composition_of_component(0, 0.5);
    f.composition_of_component(1, 0.5);
    f.temperature(T);
    f.volume(V);
    const Gs g = gsOf(f);
    ASSERT_EQ(f.errorflag, 0);
    const double aHalf = kA * (1.0 - kK / 2.0), app = 4.0 * kA * kK;  // a(1/2), a''
    const double AVV = RT / ((V - kB) * (V - kB)) - 2.0 * aHalf / (V * V * V);
    EXPECT_LT(relDiff(g.AVV, AVV), 1e-10);
    EXPECT_LT(relDiff(g.Pr, RT / (V - kB) - aHalf / (V * V)), 1e-10);
    EXPECT_LT(relDiff(g.r[0], -app / V), 1e-10);
    EXPECT_NEAR(g.r[1], 0.0, 1e-6 * app / V);
    const double AxxV = app / (V * V);
    EXPECT_LT(relDiff(g.r[2], -3.0 * AxxV * AxxV / AVV), 1e-8);
    EXPECT_NEAR(g.r[3], 0.0, 1e-4 * std::fabs(g.r[2]));  // odd derivatives vanish by symmetry
    EXPECT_LT(relDiff(g.i[0], 4.0 * RT), 1e-12);
    EXPECT_NEAR(g.i[1], 0.0, 1e-9 * RT);
    EXPECT_LT(relDiff(g.i[2], 32.0 * RT), 1e-12);
    EXPECT_NEAR(g.i[3], 0.0, 1e-9 * RT);
    EXPECT_LT(relDiff(g.i[4], 24.0 * 64.0 * RT), 1e-12);
}

TEST(Tricritical, EachDerivativeIsTheSlopeOfTheOneBeforeAtConstantPressure) {
    TunableVdW f({0.3658, 0.55}, {4.286e-5, 5.0e-5}, 0.1);
    const double T = 300.0, x1 = 0.3;
    stateAt(f, T, 200e5, x1, 6e-5);
    ASSERT_EQ(f.errorflag, 0);
    const double V = f.V;
    const Gs g = gsOf(f);
    ASSERT_EQ(f.errorflag, 0);
    const double h = 1e-4;
    stateAt(f, T, 200e5, x1 + h, V);
    const Gs gp = gsOf(f);
    stateAt(f, T, 200e5, x1 - h, V);
    const Gs gm = gsOf(f);
    for (int n = 3; n <= 6; ++n) {
        const double numeric = (gp.sum(n - 1) - gm.sum(n - 1)) / (2.0 * h);
        EXPECT_LT(relDiff(numeric, g.sum(n)), n < 6 ? 1e-5 : 1e-3) << "g" << n;
    }
}

TEST(Tricritical, G4ResidualIsTheStabilityTermOfTheCriticalPoint) {
    // The residual of the G4-point search, for a value of a0 (parameter 1):
    // the fourth-order stability term at the critical point of the
    // composition, against the closed form of the mixture with that a0.
    const double a1 = 0.55, b0 = 4.286e-5, b1 = 5.0e-5, x1 = 0.4;
    TunableVdW f({0.3658, a1}, {b0, b1});
    const VdWMixture first{0.3658, a1, b0, b1};
    const VdWMixture::Critical c0 = first.critical(x1);
    f.search_G4_point(c0.T, c0.V, x1, 0.3658, 1);  // stores the parameter index and the state
    for (double a0 : {0.3658, 0.37, 0.38}) {
        f.tri_T = c0.T;
        f.tri_V = c0.V;
        f.tri_x = x1;
        f.temperature(c0.T);
        f.volume(c0.V);
        f.composition_of_component(0, 1.0 - x1);
        f.composition_of_component(1, x1);
        f.error = 0;
        const double g4 = f.equationForG4x(a0, nullptr);
        ASSERT_EQ(f.error, 0) << a0 << " T " << f.T << " V " << f.V << " x " << f.x[1] << " c0 " << c0.T << " " << c0.V;
        const VdWMixture m{a0, a1, b0, b1};
        const VdWMixture::Critical c = m.critical(x1);
        EXPECT_LT(relDiff(f.T, c.T), 1e-8) << a0;
        EXPECT_LT(relDiff(f.V, c.V), 1e-6) << a0;
        const double s = VdWMixture::stability(m.derivatives(c.T, c.V, x1));
        EXPECT_LT(relDiff(g4, s), 1e-5) << a0;
        EXPECT_EQ(f.tri_T, f.T);  // the point found becomes the stored one
    }
}

TEST(Tricritical, BadInputIsRefused) {
    TunableVdW t({kA, kA, kA}, {kB, kB, kB});
    t.search_G4_point(200.0, 1e-4, 0.5, 0.1, 0);
    EXPECT_EQ(t.errorflag, 1);
    t.errorflag = 0;
    t.search_a_mathematical_double_point(0, 0.1);
    EXPECT_EQ(t.errorflag, 1);
    t.errorflag = 0;
    t.search_a_critical_pressure_step_point(0, 0.1, kCriticalPointFixedTemperature);
    EXPECT_EQ(t.errorflag, 1);
    t.errorflag = 0;
    t.check_tricritical_parameters();
    EXPECT_EQ(t.errorflag, 1);

    TunableVdW f({kA, kA}, {kB, kB}, kK);
    // Compositions outside (0, 1) are failed evaluations.
    f.equationForG5xFromX(1.5, nullptr);
    EXPECT_EQ(f.error, 1);
    f.error = 0;
    f.equationForMDP1(-0.1, nullptr);
    EXPECT_EQ(f.error, 1);
    // A double-point search from x1 = 0 leaves [0, 1] at once.
    f.composition_of_component(0, 1.0);
    f.composition_of_component(1, 0.0);
    f.temperature(200.0);
    f.volume(1e-4);
    f.search_a_mathematical_double_point(0, kK);
    EXPECT_EQ(f.errorflag, 1);
    // A missing locus file is refused.
    f.errorflag = 0;
    f.test_stability_of_the_tricritical_curve("no_such_locus", "locus.out", 0, 1);
    EXPECT_EQ(f.errorflag, 1);
    EXPECT_FALSE(std::filesystem::exists("locus.out"));
}

TEST(Tricritical, PressureStepSearchTightensTheCriticalTolerance) {
    TunableVdW f({0.3658, 0.55}, {4.286e-5, 5.0e-5}, 0.05);
    const VdWMixture start{0.3658, 0.55, 4.286e-5, 5.0e-5};
    const VdWMixture::Critical c = start.critical(0.4);
    f.composition_of_component(0, 0.6);
    f.composition_of_component(1, 0.4);
    f.temperature(c.T);
    f.volume(c.V);
    f.search_a_critical_pressure_step_point(0, 0.05, kCriticalPointFixedTemperature);
    EXPECT_EQ(f.criticalSolver->tol, 1e-13);
    EXPECT_TRUE(std::isfinite(f.T));
}
TEST(Tricritical, LociWithoutSuchPointsEndWithTheErrorFlag) {
    // The plain van der Waals mixture has no mathematical double point, no
    // pressure-step point and no tricritical point near its critical curve:
    // every search and every locus ends, with the error flag set.
    TunableVdW f({0.3658, 0.55}, {4.286e-5, 5.0e-5}, 0.0);
    const VdWMixture m{0.3658, 0.55, 4.286e-5, 5.0e-5};
    const VdWMixture::Critical c = m.critical(0.4);
    auto reset = [&] {
        f.set_model_parameter(0, 0.0);
        f.set_model_parameter(1, 0.3658);
        f.composition_of_component(0, 0.6);
        f.composition_of_component(1, 0.4);
        f.temperature(c.T);
        f.volume(c.V);
        f.errorflag = 0;
    };
    reset();
    f.search_a_mathematical_double_point(0, 0.0);
    EXPECT_EQ(f.errorflag, 1);
    reset();
    f.calculate_the_CPSP_curve("cpsp.txt", 0, 1, 0.0, 0.3658, 0.001);
    EXPECT_EQ(f.errorflag, 1);
    reset();
    f.calculate_the_tricritical_curve("tric.txt", 0, 1, 0.0, 0.3658, 0.001);
    EXPECT_EQ(f.errorflag, 1);
    EXPECT_TRUE(readRows("tric.txt").empty());
    reset();
    f.calculate_the_MDP_curve("mdp.txt", 0, 1, 0.0, 0.3658, 0.001);
    EXPECT_EQ(f.errorflag, 1);
    EXPECT_TRUE(readRows("mdp.txt").empty());
}

// The symmetric van der Waals mixture (a0 = a1 = a, b0 = b1 = b, a01 = a (1 - k),
// so a(x) = a (1 - 2 k x0 x1)) has, at x1 = 1/2, all odd composition
// derivatives zero, A_xV = 0 and, with R = 1 and a, b as units,
//     A_xx = 4T - 4k/V,  A_xxV = 4k/V^2,  A_xxxx = 32T,
//     A_VV = T/(V - 1)^2 - (2 - k)/V^3.
// g2 = A_xx = 0 gives T = k/V; g4 = A_xxxx - 3 A_xxV^2/A_VV = 0 then gives
// A_VV = 3k/(2V^3), i.e. (V/(V - 1))^2 = 2/k + 1/2: with s = sqrt(2/k + 1/2),
//     V = b s/(s - 1),  T = (k a/(R b)) (s - 1)/s,  g3 = g5 = 0 by symmetry.
// Started with a1 a little below a0 (which makes the critical curve from
// component 1 turn unstable), the search from component 1, tuning a1, must
// find that point: a1 = a0, x1 = 1/2 and the closed-form T, V and P.  Every
// point it reports is checked against the closed form.
TEST(Tricritical, SearchFromComponent1FindsTheSymmetricTricriticalPoint) {
    struct Case {
        double k, eps;
        bool found;  // the search is known to converge from this start
    };
    for (const Case& c : {Case{0.5, -0.02, true}, {0.5, -0.005, true}, {0.8, -0.005, true}, {1.0, -0.02, true},
                          {1.0, -0.005, true}, {1.2, -0.02, true}, {1.2, -0.005, true}, {0.8, -0.02, false}}) {
        TunableVdW f({kA, kA * (1.0 + c.eps)}, {kB, kB}, c.k);
        f.temperature(8.0 * kA / (27.0 * VdWMixture::R * kB));
        f.volume(3.0 * kB);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        f.search_the_tricritical_point(2, kA * (1.0 + c.eps), kCriticalCurveFromComponent1);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        if (c.found) {
            EXPECT_EQ(f.errorflag, 0) << c.k << " " << c.eps;
        }
        if (f.errorflag) continue;
        const double s = std::sqrt(2.0 / c.k + 0.5), V = kB * s / (s - 1.0);
        const double T = c.k * kA / (VdWMixture::R * kB) * (s - 1.0) / s;
        const double P = VdWMixture::R * T / (V - kB) - kA * (1.0 - c.k / 2.0) / (V * V);
        EXPECT_NEAR(f.attraction().a[1] / kA, 1.0, 1e-9) << c.k << " " << c.eps;
        EXPECT_NEAR(f.x[1], 0.5, 1e-7) << c.k << " " << c.eps;
        EXPECT_LT(relDiff(f.T, T), 1e-7) << c.k << " " << c.eps;
        EXPECT_LT(relDiff(f.V, V), 1e-7) << c.k << " " << c.eps;
        EXPECT_LT(relDiff(f.P, P), 1e-6) << c.k << " " << c.eps;
    }
}
