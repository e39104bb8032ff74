// The Chebyshev expansions of the reference equations' saturation curves
// against the equations' own equilibrium, solved from the fluids' auxiliary
// start values without the expansions: 1000 temperatures a model from the
// triple point to 1e-3 K below the critical point.  psat agrees to 1e-12;
// the densities to 1e-12, or, near the critical point, to within the double
// equilibrium's own rounding: there the isotherms flatten, and the rounding
// of the Helmholtz energy moves the converged volumes along the flat
// direction by about 1e-16 (Tc / (Tc - T))^1.5 (IAPWS-95: 3e-12 at 0.3 K,
// 5e-11 at 0.1 K, 1e-9 at 0.01 K below Tc), which the test measures at each
// temperature by solving again from starts 1e-4 off.  The expansions are
// fitted to the equilibria solved in long double; IAPWS-95 written out here in
// long double, and the gases' residuals in long double checked against the
// models, check them to 1e-3 K below Tc.  Then what the searches make of
// them, and the file form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "fluid/SaturationExpansion.h"
#include "gases/IUPACCH4.h"
#include "gases/ReferenceResidualsInDelta.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "water/IAPWS95Coefficients.h"
#include "water/WagnerPruss.h"

namespace {

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// ---- IAPWS-95 in long double, written out here from the published form
// (Wagner & Pruss, J. Phys. Chem. Ref. Data 31, 387 (2002), Table 6.5 of the
// derivatives): phi_r and its first two delta derivatives at fixed tau, all
// the saturation at a temperature needs.  Its 64-bit significand resolves the
// equilibrium about 2000 times more finely than double.
using LD = long double;

struct PhiDelta {
    LD f = 0, d = 0, dd = 0;
};

PhiDelta iapws95Residual(LD delta, LD tau) {
    using namespace iapws95;
    PhiDelta r;
    for (int i = 0; i < 54; ++i) {
        const reference_terms::Term& k = kTerms[i];
        LD g = k.n * std::pow(tau, static_cast<LD>(k.t)) * std::pow(delta, static_cast<LD>(k.d));
        LD a = k.d / delta, b = -k.d / (delta * delta);  // (ln g)' and (ln g)'' in delta
        if (i >= 51) {
            const int j = i - 51;
            const LD e = delta - kTerms[51 + j].eps, s = tau - kTerms[51 + j].gamma;
            g *= std::exp(-kTerms[51 + j].alpha * e * e - kTerms[51 + j].beta * s * s);
            a -= 2 * kTerms[51 + j].alpha * e;
            b -= 2 * kTerms[51 + j].alpha;
        } else if (k.c > 0) {
            const LD dc = std::pow(delta, static_cast<LD>(k.c));
            g *= std::exp(-dc);
            a -= k.c * dc / delta;
            b -= k.c * (k.c - 1) * dc / (delta * delta);
        }
        r.f += g;
        r.d += g * a;
        r.dd += g * (a * a + b);
    }
    // Terms 55 and 56: n Delta^b delta psi.
    const LD A = nonAnalyticA, B = nonAnalyticB, a = nonAnalyticSmallA, beta = nonAnalyticBeta;
    const LD e = delta - 1, e2 = e * e, q = std::pow(e2, 1 / (2 * beta) - 1), pa = std::pow(e2, a - 1);
    const LD theta = (1 - tau) + A * q * e2;
    const LD D = theta * theta + B * pa * e2;
    const LD Dd = e * (A * theta * 2 / beta * q + 2 * B * a * pa);
    const LD Ddd = Dd / e + e2 * (4 * B * a * (a - 1) * pa / e2 + 2 * A * A / (beta * beta) * q * q +
                                  A * theta * 4 / beta * (1 / (2 * beta) - 1) * q / e2);
    for (int k = 0; k < 2; ++k) {
        const LD n = nonAnalyticN[k], b = nonAnalyticSmallB[k], C = nonAnalyticC[k];
        const LD psi = std::exp(-C * e2 - nonAnalyticD[k] * (tau - 1) * (tau - 1));
        const LD psid = -2 * C * e * psi, psidd = (2 * C * e2 - 1) * 2 * C * psi;
        const LD Db = std::pow(D, b), Dbd = b * Db / D * Dd;
        const LD Dbdd = b * (Db / D * Ddd + (b - 1) * Db / (D * D) * Dd * Dd);
        r.f += n * Db * delta * psi;
        r.d += n * (Db * (psi + delta * psid) + Dbd * delta * psi);
        r.dd += n * (Db * (2 * psid + delta * psidd) + 2 * Dbd * (psi + delta * psid) + Dbdd * delta * psi);
    }
    return r;
}

// The Maxwell conditions in the reduced densities: equal p / (rho_c R T)
// = delta (1 + delta phi_d) and equal g / (R T) = ln delta + phi + delta phi_d
// (+ the ideal gas's terms in tau alone), by Newton from (dl, dv) until the
// steps stop shrinking; false when they do not come below 1e-10.
template <class Phi>
bool maxwell(const Phi& residual, LD& dl, LD& dv) {
    LD last = HUGE_VALL;
    for (int k = 0; k < 60; ++k) {
        const PhiDelta l = residual(dl), v = residual(dv);
        const LD F1 = dl * (1 + dl * l.d) - dv * (1 + dv * v.d);
        const LD F2 = std::log(dl / dv) + l.f - v.f + dl * l.d - dv * v.d;
        const LD al = 1 + 2 * dl * l.d + dl * dl * l.dd, av = 1 + 2 * dv * v.d + dv * dv * v.dd;
        // J = [[al, -av], [al / dl, -av / dv]]
        const LD det = al * av * (1 / dl - 1 / dv);
        const LD sl = (-F1 * (-av / dv) + F2 * (-av)) / det;
        const LD sv = (al * (-F2) + F1 * (al / dl)) / det;
        const LD step = std::fmax(std::fabs(sl / dl), std::fabs(sv / dv));
        if (!(step < last)) break;
        dl += sl;
        dv += sv;
        last = step;
    }
    return last < 1e-10L;
}

// A reference model's residual in long double at T: phi(delta) with its
// reducing constants.
struct LongDoubleResidual {
    LD Tr, Vr;
    PhiDelta (*phi)(LD delta, LD tau);
};

template <DeltaJet<LD> (*F)(LD, LD)>
PhiDelta fromJet(LD delta, LD tau) {
    const DeltaJet<LD> j = F(delta, tau);
    return {j.f[0], j.f[1], j.f[2]};
}

// The expansions of a model against its equilibrium solved in long double.
// First, at ordinary states, the long double residual against the model
// itself: the pressure at six supercritical states to 1e-14, and the
// equilibrium at the temperatures `far`, where the double one is exact to its
// rounding, to 5e-14 (the vapour to `vapourTolerance`: methane's differs by up
// to 7e-14 at 100 and 140 K, where the terms of its liquid, several hundred,
// cancel to a few units); then the expansions from 2 K to 1e-3 K below the model's Tc
// and at `far`: psat within 1e-12, the densities within 1e-12 down to 0.1 K
// below Tc and within 1e-10 nearer.
void expectExpansionsOnTheLongDoubleEquilibrium(FluidPhase& m, const LongDoubleResidual& r,
                                                std::initializer_list<double> far,
                                                double vapourTolerance = 5e-14) {
    SCOPED_TRACE(m.modelName());
    const SaturationExpansion* e = m.saturationExpansion();
    ASSERT_NE(e, nullptr);
    const LD Vc = r.Vr;
    auto at = [&](double T) { return [&r, tau = r.Tr / static_cast<LD>(T)](LD d) { return r.phi(d, tau); }; };
    auto pressure = [&](double T, LD delta) {
        return static_cast<double>(FluidPhase::R * T / Vc * delta * (1 + delta * at(T)(delta).d));
    };
    for (double f : {1.2, 2.0})
        for (double delta : {0.3, 1.5, 2.2}) {
            m.temperature(f * e->Tc);
            m.volume(static_cast<double>(Vc / delta));
            m.calculate_pressure();
            ASSERT_EQ(m.errorflag, 0);
            EXPECT_LT(rel(m.P, pressure(f * e->Tc, Vc / (Vc / delta))), 1e-14) << f << " " << delta;
        }
    m.useSaturationExpansion = false;
    for (double T : far) {
        ASSERT_EQ(m.calculateTheSaturationPressure(T, false), 0);
        LD dl = Vc / m.Vl_sat, dv = Vc / m.Vv_sat;
        ASSERT_TRUE(maxwell(at(T), dl, dv)) << T;
        EXPECT_LT(rel(m.Vl_sat, static_cast<double>(Vc / dl)), 5e-14) << T;
        EXPECT_LT(rel(m.Vv_sat, static_cast<double>(Vc / dv)), vapourTolerance) << T;
    }
    // The expansions' critical point: the isotherm's slope and, by central
    // differences over 1e-6 in delta, its curvature vanish there.
    {
        const LD dc = Vc * e->rhoc, h = 1e-6L;
        const auto phi = at(e->Tc);
        auto slope = [&](LD d) {
            const PhiDelta j = phi(d);
            return 1 + 2 * d * j.d + d * d * j.dd;
        };
        const double curvature = static_cast<double>((slope(dc + h) - slope(dc - h)) / (2 * h));
        std::printf("%s critical point: slope %.1e, curvature %.1e\n", m.modelName(), static_cast<double>(slope(dc)),
                    curvature);
        EXPECT_LT(std::fabs(static_cast<double>(slope(dc))), 1e-14);
        EXPECT_LT(std::fabs(curvature), 1e-11);
    }
    std::vector<double> below = {2.0, 1.0, 0.3, 0.1, 0.03, 0.01, 3e-3, 1e-3};
    for (double T : far) below.push_back(e->Tc - T);
    for (double b : below) {
        const double T = e->Tc - b;
        double P = 0.0, Vl = 0.0, Vv = 0.0;
        ASSERT_TRUE(m.saturationFromExpansion(T, P, Vl, Vv)) << T;
        LD dl = Vc / Vl, dv = Vc / Vv;
        ASSERT_TRUE(maxwell(at(T), dl, dv)) << T;
        const double dRho = std::fmax(rel(Vc / Vl, static_cast<double>(dl)), rel(Vc / Vv, static_cast<double>(dv)));
        const double dP = rel(P, pressure(T, dv));
        // The model's double equilibrium, solved again from the expansions' pair.
        m.temperature(T);
        m.Vl_sat = Vl;
        m.Vv_sat = Vv;
        m.polishSaturationVolumes();
        const double dDouble = std::fmax(rel(Vc / m.Vl_sat, static_cast<double>(dl)),
                                         rel(Vc / m.Vv_sat, static_cast<double>(dv)));
        std::printf("%s %g K below Tc: expansions within %.1e (psat %.1e), double equilibrium within %.1e\n",
                    m.modelName(), b, dRho, dP, dDouble);
        EXPECT_LT(dP, 1e-12) << b;
        EXPECT_LT(dRho, b < 0.1 ? 1e-10 : 1e-12) << b;
    }
}

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

TEST(SaturationExpansions, EachFollowsTheLongDoubleEquilibriumUpToTheCriticalPoint) {
    // IAPWS-95 as written out above; the gases' residuals in long double as
    // the generator of the expansions has them, checked here first against
    // the models' own pressure and equilibrium.
    WagnerPruss w(2);
    expectExpansionsOnTheLongDoubleEquilibrium(w, {iapws95::Tc, iapws95::Vc, iapws95Residual}, {300.0, 450.0, 600.0});
    IUPACCO2 c(2);
    expectExpansionsOnTheLongDoubleEquilibrium(c, {IUPAC::kTc, IUPAC::kVc, fromJet<iupacCO2ResidualInDelta<LD>>},
                                               {220.0, 260.0, 290.0});
    IUPACCH4 h(2);
    expectExpansionsOnTheLongDoubleEquilibrium(h, {IUPAC1::kTc, IUPAC1::kVc, fromJet<iupacCH4ResidualInDelta<LD>>},
                                               {100.0, 140.0, 180.0}, 1e-13);
    Jacobsen n(2);
    expectExpansionsOnTheLongDoubleEquilibrium(
        n, {JacobsenRes1::kTc, JacobsenRes1::kVc, fromJet<nitrogenResidualInDelta<LD>>}, {70.0, 100.0, 120.0});
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

TEST(SaturationExpansions, TheSaturatedPhasesEvaluatedAtOneTemperatureKeepEveryBit) {
    // The state functions of the two phases under a SameTemperature hold
    // (the parts free of V evaluated once) against each evaluated alone.
    auto fields = [](const FluidPhase& p) {
        return std::vector<double>{p.P, p.A, p.U, p.H, p.G, p.S, p.Cv, p.Cp, p.soundSpeed, p.jouleThomson,
                                   p.dPdV, p.dPdT, p.d2AdT2, p.d2AdTdV};
    };
    WagnerPruss w(2);
    IUPACCO2 c(2);
    for (FluidPhase* m : {static_cast<FluidPhase*>(&w), static_cast<FluidPhase*>(&c)}) {
        const SaturationExpansion* e = m->saturationExpansion();
        ASSERT_NE(e, nullptr);
        for (double f : {0.0, 0.5, 0.9, 0.999}) {
            const double T = e->Tmin + f * (e->Tmax - e->Tmin);
            double P = 0.0, Vl = 0.0, Vv = 0.0;
            ASSERT_TRUE(m->saturationFromExpansion(T, P, Vl, Vv));
            std::vector<std::vector<double>> alone, held;
            for (double v : {Vl, Vv}) {
                m->temperature(T);
                m->volume(v);
                m->calculate_state_functions();
                ASSERT_EQ(m->errorflag, 0);
                alone.push_back(fields(*m));
            }
            {
                m->temperature(T);
                const FluidPhase::SameTemperature hold(*m);
                for (double v : {Vl, Vv}) {
                    m->volume(v);
                    m->calculate_state_functions();
                    held.push_back(fields(*m));
                }
            }
            // A temperature changed under the hold ends it: the state at the
            // new temperature is the one evaluated without any hold.
            const double T2 = 0.98 * T;
            m->temperature(T2);
            m->volume(Vl);
            m->calculate_state_functions();
            alone.push_back(fields(*m));
            {
                m->temperature(T);
                const FluidPhase::SameTemperature hold(*m);
                m->volume(Vv);
                m->calculate_state_functions();
                m->temperature(T2);
                m->volume(Vl);
                m->calculate_state_functions();
                held.push_back(fields(*m));
            }
            // A pass of a higher order under the hold (the third derivatives
            // of the liquid) computes the parts free of V again, and the
            // vapour's state functions after it are those evaluated alone.
            std::vector<double> third[2];
            auto thirdOrder = [&](std::vector<double>& out) {
                m->calculate_third_order_state_derivatives();
                out = {m->d3AdV3, m->d3AdTdV2, m->d3AdT2dV};
            };
            m->temperature(T);
            m->volume(Vl);
            thirdOrder(third[0]);
            {
                m->temperature(T);
                const FluidPhase::SameTemperature hold(*m);
                m->volume(Vv);
                m->calculate_state_functions();
                m->volume(Vl);
                thirdOrder(third[1]);
                m->volume(Vv);
                m->calculate_state_functions();
                held.push_back(fields(*m));
            }
            alone.push_back(alone[1]);
            for (int k = 0; k < 3; ++k) EXPECT_EQ(third[0][k], third[1][k]) << m->modelName() << " " << T << " third " << k;
            for (int side = 0; side < 4; ++side)
                for (std::size_t k = 0; k < alone[side].size(); ++k)
                    EXPECT_EQ(alone[side][k], held[side][k]) << m->modelName() << " " << T << " side " << side << " field " << k;
        }
    }
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
