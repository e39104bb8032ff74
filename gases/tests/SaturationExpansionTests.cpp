// The Chebyshev expansions of the reference equations' saturation curves
// against the equations' own equilibrium, solved from the fluids' auxiliary
// start values without the expansions: 1000 temperatures a model from the
// triple point to 1e-3 K below the critical point.  psat agrees to 1e-12;
// the densities to 1e-12, or, near the critical point, to within the
// equilibrium's own resolution in double precision: there the isotherms
// flatten, and the converged volumes scatter with the start of the search
// (about 1e-12 at 1.5 K below Tc, 5e-11 at 0.1 K, 5e-8 at 1e-3 K for
// IAPWS-95), which the test measures at each temperature by solving again
// from starts 1e-4 off.  Then what the searches make of them, and the file
// form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "fluid/SaturationExpansion.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "water/WagnerPruss.h"

namespace {

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

template <class Model>
void expectExpansionsFollowTheEquilibrium(const char* name) {
    SCOPED_TRACE(name);
    Model m(2);
    const SaturationExpansion* e = m.saturationExpansion();
    ASSERT_NE(e, nullptr);
    m.useSaturationExpansion = false;
    // The expansions' critical point is the equation's own.
    ASSERT_TRUE(m.findTheCriticalPoint());
    EXPECT_LT(rel(m.T, e->Tc), 1e-10);
    const double Tt = m.lowestCurveTemperature();
    EXPECT_DOUBLE_EQ(e->Tmin, Tt);
    const int n = 1000;
    int solved = 0;
    double worstP = 0.0, worstRho = 0.0;
    for (int i = 0; i < n; ++i) {
        const double T = Tt + (e->Tc - 1e-3 - Tt) * i / (n - 1);
        double P = 0.0, Vl = 0.0, Vv = 0.0;
        ASSERT_TRUE(m.saturationFromExpansion(T, P, Vl, Vv)) << T;
        if (m.calculateTheSaturationPressure(T, false) != 0) continue;
        ++solved;
        const double Ps = m.Pv_sat, Vls = m.Vl_sat, Vvs = m.Vv_sat;
        // The scatter of the equilibrium volumes over starts 1e-4 off.
        double scatter = 0.0;
        for (double off : {1e-4, -1e-4}) {
            m.temperature(T);
            m.Vl_sat = Vls * (1.0 + off);
            m.Vv_sat = Vvs * (1.0 - off);
            m.polishSaturationVolumes();
            scatter = std::fmax(scatter, std::fmax(rel(m.Vl_sat, Vls), rel(m.Vv_sat, Vvs)));
        }
        const double dP = rel(P, Ps), dRho = std::fmax(rel(Vl, Vls), rel(Vv, Vvs));
        EXPECT_LT(dP, 1e-12) << T;
        EXPECT_LT(dRho, 1e-12 + 4.0 * scatter) << T << " scatter " << scatter;
        worstP = std::fmax(worstP, dP);
        if (e->Tc - T > 2.0) worstRho = std::fmax(worstRho, dRho);
    }
    std::printf("%s: psat within %.1e; densities within %.1e more than 2 K below Tc\n", name, worstP, worstRho);
    EXPECT_EQ(solved, n);
    // Outside the expansions there is no answer: below the triple point and
    // in the last 1e-4 K below Tc.
    double P = 0.0, Vl = 0.0, Vv = 0.0;
    EXPECT_FALSE(m.saturationFromExpansion(Tt - 0.5, P, Vl, Vv));
    EXPECT_FALSE(m.saturationFromExpansion(e->Tc - 1e-5, P, Vl, Vv));
    EXPECT_FALSE(m.saturationFromExpansion(std::nan(""), P, Vl, Vv));
}

}  // namespace

TEST(SaturationExpansions, ReproduceEachReferenceEquationsOwnEquilibrium) {
    expectExpansionsFollowTheEquilibrium<WagnerPruss>("WagnerPruss");
    expectExpansionsFollowTheEquilibrium<IUPACCO2>("IUPACCO2");
    expectExpansionsFollowTheEquilibrium<IUPACCH4>("IUPACCH4");
    expectExpansionsFollowTheEquilibrium<Jacobsen>("Jacobsen");
}

TEST(SaturationExpansions, SearchesStartedFromThemEndOnTheSameEquilibrium) {
    // IAPWS-95 at 450 K (Wagner & Pruss 2002, Table 8): 0.932203564 MPa,
    // 890.341250 and 4.81200360 kg/m3, within the framework's gas constant
    // (8.31434 J/(mol K) against IAPWS-95's 8.314371).
    WagnerPruss w(2);
    ASSERT_EQ(w.calculateTheSaturationPressure(450.0, false), 0);
    const double M = 0.018015268;
    EXPECT_NEAR(w.Pv_sat, 0.932203564e6, 1e-5 * 0.932203564e6);
    EXPECT_NEAR(M / w.Vl_sat, 890.341250, 1e-5 * 890.3);
    EXPECT_NEAR(M / w.Vv_sat, 4.81200360, 1e-5 * 4.81);
    const double P = w.Pv_sat, Vl = w.Vl_sat, Vv = w.Vv_sat;
    WagnerPruss plain(2);
    plain.useSaturationExpansion = false;
    ASSERT_EQ(plain.calculateTheSaturationPressure(450.0, false), 0);
    EXPECT_LT(rel(P, plain.Pv_sat), 1e-13);
    EXPECT_LT(rel(Vl, plain.Vl_sat), 1e-13);
    EXPECT_LT(rel(Vv, plain.Vv_sat), 1e-13);
    // A model without expansions answers as before.
    EXPECT_EQ(FluidPhase(1, 2, 0).saturationExpansion(), nullptr);
}

TEST(SaturationExpansions, TheTextFormReadsBackToTheBitAndRefusesAnythingElse) {
    // A closed form: ln P = 10 - u, rho' = 2 + u, rho'' = 1 + u / 2 on two pieces.
    SaturationExpansion e;
    e.model = "Closed";
    std::string why;
    const double Tc = 100.0;
    ASSERT_TRUE(e.fit(
        [&](double T, double& P, double& Vl, double& Vv) {
            const double u = std::sqrt(Tc - T);
            P = std::exp(10.0 - u);
            Vl = 1.0 / (2.0 + u);
            Vv = 1.0 / (1.0 + 0.5 * u);
            return true;
        },
        50.0, Tc - 1e-4, Tc, std::exp(10.0), 1.5, 8, 1e-13, 1e-10, why))
        << why;
    double P = 0.0, Vl = 0.0, Vv = 0.0;
    ASSERT_TRUE(e.evaluate(75.0, P, Vl, Vv));
    EXPECT_NEAR(P, std::exp(10.0 - 5.0), 1e-12 * P);
    EXPECT_NEAR(1.0 / Vl, 7.0, 1e-12);
    EXPECT_NEAR(1.0 / Vv, 3.5, 1e-12);
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(e.write(f));
    std::rewind(f);
    SaturationExpansion back;
    ASSERT_TRUE(back.read(f));
    std::fclose(f);
    ASSERT_EQ(back.pieces.size(), e.pieces.size());
    for (double T : {50.0, 60.5, 99.0, Tc - 1e-4}) {
        double P2 = 0.0, Vl2 = 0.0, Vv2 = 0.0;
        ASSERT_TRUE(e.evaluate(T, P, Vl, Vv));
        ASSERT_TRUE(back.evaluate(T, P2, Vl2, Vv2));
        EXPECT_EQ(P, P2);
        EXPECT_EQ(Vl, Vl2);
        EXPECT_EQ(Vv, Vv2);
    }
    for (const char* bad : {"", "model X\nTc 1\n", "model X\nTc 100\nPc 1\nrhoc 1\nTmin 50\nTmax 99\npieces 1\npiece 1 0 2\n1 2\n3 4\n5 6\n"}) {
        std::FILE* g = std::tmpfile();
        ASSERT_NE(g, nullptr);
        std::fputs(bad, g);
        std::rewind(g);
        SaturationExpansion r;
        EXPECT_FALSE(r.read(g)) << bad;
        EXPECT_TRUE(r.empty());
        std::fclose(g);
    }
}
