// Azeotropes of a van der Waals mixture of equal co-volumes: with
// b0 = b1 the difference ln phi_1 - ln phi_0 = -(da/dx)/(RTV) can be equal
// in two phases of the same composition only where da/dx = 0, so the
// azeotrope sits at x* = (a0 - a01)/(a0 + a1 - 2 a01) at every temperature,
// and there the mixture is a pure van der Waals fluid of a(x*): its exact
// coexistence gives the volumes and the pressure.  Also the critical-curve
// fit and the map of the critical system.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "equilibria/tests/MixtureModels.h"

namespace {

constexpr double kA0 = 0.3658, kA1 = 0.40, kB = 4.286e-5, kK = -0.1;

double a01() { return std::sqrt(kA0 * kA1) * (1.0 - kK); }
double xStar() { return (kA0 - a01()) / (kA0 + kA1 - 2.0 * a01()); }
double aOf(double x) { return (1 - x) * (1 - x) * kA0 + 2 * x * (1 - x) * a01() + x * x * kA1; }

}  // namespace

TEST(Azeotrope, PointOfEqualCoVolumesIsWhereDaDxVanishes) {
    TunableVdW f({kA0, kA1}, {kB, kB}, kK);
    const double xs = xStar();
    ASSERT_GT(xs, 0.5);
    ASSERT_LT(xs, 0.9);
    for (double T : {280.0, 320.0}) {
        const PureCoexistence c = pureCoexistence(aOf(xs), kB, T);
        f.calculate_azeotropic_point(T, 0.97 * c.Vl, 1.1 * c.Vv, xs - 0.05);
        ASSERT_EQ(f.errorflag, 0) << T;
        EXPECT_NEAR(f.x_liquid[1], xs, 1e-8);
        EXPECT_EQ(f.x_vapour[1], f.x_liquid[1]);
        EXPECT_LT(relDiff(f.Vl0, c.Vl), 1e-7);
        EXPECT_LT(relDiff(f.Vv0, c.Vv), 1e-7);
        EXPECT_LT(relDiff(f.P, c.P), 1e-7);
        // The bubble curve is flat there (dP/dx = 0) and the vapour has the
        // liquid's composition.
        f.calculate_bubble_point(T, f.Vl0, f.Vv0, xs, xs);
        ASSERT_EQ(f.errorflag, 0);
        EXPECT_NEAR(f.x_vapour[1], xs, 1e-7);
        double dVl, dVv, dy, dP;
        f.next_bubble_point(dVl, dVv, dy, dP);
        EXPECT_LT(std::fabs(dP), 1e-5 * c.P);
    }
}

TEST(Azeotrope, CurveKeepsItsCompositionAndFollowsThePureCoexistence) {
    TunableVdW f({kA0, kA1}, {kB, kB}, kK);
    const double xs = xStar(), T = 280.0;
    const PureCoexistence c = pureCoexistence(aOf(xs), kB, T);
    f.calculate_azeotropic_point(T, c.Vl, c.Vv, xs);
    ASSERT_EQ(f.errorflag, 0);
    double dVl, dVv, dx;
    f.next_azeotropic_point(dVl, dVv, dx);
    EXPECT_NEAR(dx, 0.0, 1e-9);
    const PureCoexistence cp = pureCoexistence(aOf(xs), kB, T + 1e-3), cm = pureCoexistence(aOf(xs), kB, T - 1e-3);
    EXPECT_LT(relDiff(dVl, (cp.Vl - cm.Vl) / 2e-3), 1e-5);
    EXPECT_LT(relDiff(dVv, (cp.Vv - cm.Vv) / 2e-3), 1e-5);

    f.calculate_the_azeotropic_curve("azeo.txt", 4.0, T, c.Vl, c.Vv, xs);
    const auto rows = readRows("azeo.txt");
    ASSERT_GE(rows.size(), 10u);
    const double Tc = 8.0 * aOf(xs) / (27.0 * VdWMixture::R * kB);
    for (const auto& r : rows) {
        ASSERT_EQ(r.size(), 5u);
        EXPECT_NEAR(r[3], xs, 1e-8);
        EXPECT_NEAR(r[2] + r[3], 1.0, 1e-9);
        EXPECT_LT(r[0], Tc);
        const PureCoexistence e = pureCoexistence(aOf(xs), kB, r[0]);
        EXPECT_LT(relDiff(r[1] * 1e5, e.P), 1e-6) << r[0];
        EXPECT_LT(relDiff(r[4] * 1e-6, e.Vl), 1e-6) << r[0];
    }
    // It runs up to the neighbourhood of the critical point of a(x*).
    EXPECT_GT(rows.back()[0], Tc - 5.0);
}

TEST(Azeotrope, TrivialAndBadStartsFail) {
    TunableVdW f({kA0, kA1}, {kB, kB}, kK);
    f.calculate_azeotropic_point(280.0, 1e-4, 1e-4, 0.5);  // equal volumes
    EXPECT_EQ(f.errorflag, 1);
    f.calculate_azeotropic_point(280.0, 1e-3, 1e-4, 0.5);  // liquid larger
    EXPECT_EQ(f.errorflag, 1);
    // A curve whose start fails leaves its file empty.
    f.calculate_the_azeotropic_curve("azeo_bad.txt", 1.0, 280.0, 1e-4, 1e-4, 0.5);
    EXPECT_TRUE(std::filesystem::exists("azeo_bad.txt"));
    EXPECT_TRUE(readRows("azeo_bad.txt").empty());
    // A ternary does nothing and creates no file.
    TunableVdW t({kA0, kA1, 0.45}, {kB, kB, kB});
    t.calculate_the_azeotropic_curve("azeo_ter.txt", 1.0, 280.0, 7e-5, 1e-3, 0.5);
    EXPECT_FALSE(std::filesystem::exists("azeo_ter.txt"));
    t.calculate_azeotropic_point(280.0, 7e-5, 1e-3, 0.5);
    EXPECT_EQ(t.errorflag, 1);
}

TEST(CriticalCurveFit, RecoversTheAttractionParametersFromCriticalPoints) {
    // "Measured" critical points of the mixture of kA0 = 0.3658, a1 = 0.55.
    const double a1 = 0.55, b0 = 4.286e-5, b1 = 5.0e-5;
    const VdWMixture mix{kA0, a1, b0, b1};
    {
        std::ofstream out("critdata.txt");
        out << "T Pr x1 Vest stdP stdx\n";
        for (double x1 : {0.15, 0.35, 0.55, 0.75, 0.9}) {
            const VdWMixture::Critical c = mix.critical(x1);
            out.precision(12);
            out << c.T << " " << c.P * 1e-5 << " " << x1 << " " << 1.02 * c.V << " " << 1e4 << " " << 0.001 << "\n";
        }
    }
    TunableVdW f({kA0 * 1.005, a1 * 0.995}, {b0, b1});
    f.fit_the_critical_curve("critdata.txt", kA0 * 1.005, a1 * 0.995);
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_NEAR(f.attraction().a[0], kA0, 1e-5);
    EXPECT_NEAR(f.attraction().a[1], a1, 1e-5);
    const auto res = readRows("critdata.txt.res");
    ASSERT_EQ(res.size(), 5u);
    for (const auto& r : res) {
        EXPECT_EQ(r[5], 0.0);
        EXPECT_LT(relDiff(r[1], r[2]), 1e-5);
        EXPECT_NEAR(r[3], r[4], 1e-12);
    }
    EXPECT_TRUE(std::filesystem::exists("critdata.txt.hist"));
    // A file without the columns is refused.
    {
        std::ofstream out("critbad.txt");
        out << "T P\n300 1\n";
    }
    f.fit_the_critical_curve("critbad.txt", 0.3, 0.5);
    EXPECT_EQ(f.errorflag, 1);
}

TEST(CriticalField, MapOfThePureFluidCriticalSystem) {
    TunableVdW f({kA0, kA1}, {kB, kB});
    f.composition(1.0, 0.0);
    f.critical_T = 304.0;
    f.critical_V = 1.3e-4;
    f.mapTheCriticalField();
    EXPECT_TRUE(std::filesystem::exists("mapcrit0"));
    EXPECT_GT(readRows("mapcrit0").size(), 1000u);
}
