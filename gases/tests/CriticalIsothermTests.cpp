// The stable state from (T, P) on the critical isotherm and within 1e-4 K
// below it, where the saturation expansions end: every state is a root of
// the equation (P(T, V) = P to rounding), mechanically stable, the stable
// one of all the isotherm's roots (a scan of the whole isotherm finds none
// of lower Gibbs energy), named by its side of the critical pressure, and
// the same on both sides of the top of the expansions.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "fluid/SaturationExpansion.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "water/WagnerPruss.h"

namespace {

// The pressure of a fresh model at (T, V), Pa.
template <class Model>
double pressureOfAFreshModel(double T, double V) {
    Model m(1);
    m.temperature(T);
    m.volume(V);
    m.calculate_pressure();
    return m.errorflag ? std::nan("") : m.P;
}

std::vector<double> pressuresBar() {
    std::vector<double> P;
    for (int j = 0; j < 10; ++j) P.push_back(std::pow(10.0, 3.0 * j / 9.0));
    return P;
}

template <class Model>
void criticalIsotherm(const std::string& name, const std::vector<double>& temperatures) {
    Model m(1);
    const SaturationExpansion* e = m.saturationExpansion();
    ASSERT_NE(e, nullptr) << name;
    for (double T : temperatures)
        for (double Pbar : pressuresBar()) {
            const std::string at = name + " " + std::to_string(T) + " K " + std::to_string(Pbar) + " bar";
            const FluidPhase::StableState s = m.calculateStableStateFromTP(T, Pbar);
            ASSERT_EQ(m.errorflag, 0) << at;
            const double V = m.V;
            EXPECT_LT(m.dPdV, 0.0) << at;
            EXPECT_NEAR(pressureOfAFreshModel<Model>(T, V) / (Pbar * 1e5), 1.0, 1e-12) << at;
            // Dense above the critical pressure, a vapour below it.
            const bool dense = Pbar * 1e5 > e->Pc;
            if (T < e->Tc)
                EXPECT_EQ(s.phase, dense ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour) << at;
            else
                EXPECT_EQ(s.phase, dense ? FluidPhase::kPhaseSupercritical : FluidPhase::kPhaseVapour) << at;
            EXPECT_EQ(V * e->rhoc > 1.0, !dense) << at;
            // Every root of the isotherm, scanned: none more stable.
            const FluidPhase::StableState a = m.assessStateAtTP(T, Pbar);
            EXPECT_FALSE(a.metastable) << at;
            EXPECT_EQ(m.V, V) << at;
        }
}

// A threshold that does not show: the states just below the top of the
// expansions and just above it (1e-9 K apart) differ by no more than the
// isotherms do, dV/dT 2e-9 K.
template <class Model>
void acrossTheTopOfTheExpansions(const std::string& name) {
    Model m(1);
    const double Tmax = m.saturationExpansion()->Tmax;
    for (double Pbar : pressuresBar()) {
        m.calculateStableStateFromTP(Tmax - 1e-9, Pbar);
        ASSERT_EQ(m.errorflag, 0);
        const double below = m.V, dVdT = m.dVdT;
        m.calculateStableStateFromTP(Tmax + 1e-9, Pbar);
        ASSERT_EQ(m.errorflag, 0);
        EXPECT_NEAR(m.V, below, 2.0 * std::fabs(dVdT) * 2e-9 + 1e-13 * below) << name << " " << Pbar << " bar";
    }
}

// From the critical temperature up, where the volume search takes a root
// without walking the isotherm (oneRootFromT): each isotherm at Tc, Tc (1 +
// 1e-9, 1e-6, 1e-3) and from 1.0125 to 1.1 Tc is mechanically stable from
// the dilute gas (1e4 R T / 1 bar) up to Pscan, far beyond its range
// (dP/dV < 0 at samples 0.001 apart in ln V, from the slope
// of Z and from A's second volume derivative, and the pressure rising from
// each sample to the next); and the searches of both kinds find the one root
// there at pressures across the range.  (Water's Tc, 647.096 K, lies 2.4e-10
// K below the critical point of its equation: the loop of that isotherm is
// narrower than the samples and shallower than the rounding of the
// pressure.  CO2's and methane's are those of their equations, the top of
// their saturation expansions.)
template <class Model>
void oneRootFromTc(const std::string& name, double Tc, double Pscan) {
    Model m(1);
    const double Pmax = m.validity.Pmax, b = m.coVolume();
    ASSERT_GE(m.oneRootFromT, Tc) << name;  // no lower than the isotherms shown
    // From the top of the saturation expansions (the equation's critical
    // point) or below it.
    ASSERT_LE(Tc, m.saturationExpansion()->Tc) << name;
    std::vector<double> temperatures = {Tc, Tc * (1.0 + 1e-9), Tc * (1.0 + 1e-6), Tc * (1.0 + 1e-3)};
    for (int i = 1; i <= 8; ++i) temperatures.push_back(Tc * (1.0 + 0.0125 * i));
    for (double T : temperatures) {
        const std::string at = name + " " + std::to_string(T) + " K";
        m.temperature(T);
        m.pressure(1.0);
        double Pprev = 0.0, P = 0.0;
        for (double V = 1e4 * FluidPhase::R * T / 1e5; P < Pscan && V > 1.001 * b; V *= std::exp(-1e-3)) {
            double f = 0.0, dfdV = 0.0;
            m.error = 0;
            m.equationForCalculating_V_FromTP(V, f, dfdV);
            P = f + 1e5;
            ASSERT_TRUE(m.error == 0 && dfdV < 0.0 && m.dPdV < 0.0 && P > Pprev) << at << " " << V << " m3/mol";
            Pprev = P;
        }
        ASSERT_GT(P, 2.0 * Pmax * 1e5) << at;  // beyond the pressures a search looks at
        for (int j = 0; j < 8; ++j) {
            const double Pbar = 0.1 * std::pow(Pmax / 0.1, j / 7.0);
            double V[3] = {};
            for (int kind : {1, 2}) {
                m.set_the_phase_as(kind);
                m.temperature(T);
                m.pressure(Pbar);
                m.calculate_molar_volume();
                ASSERT_EQ(m.errorflag, 0) << at << " " << Pbar << " bar, kind " << kind;
                V[kind] = m.V;
            }
            // One root, to the searches' tolerance (the flat isotherm near Tc).
            EXPECT_NEAR(V[1] / V[2], 1.0, 1e-11) << at << " " << Pbar << " bar";
            EXPECT_NEAR(pressureOfAFreshModel<Model>(T, V[1]) / (Pbar * 1e5), 1.0, 1e-9) << at << " " << Pbar << " bar";
        }
    }
}

TEST(CriticalIsotherm, FromTcUpEachIsothermHasOneRoot) {
    oneRootFromTc<WagnerPruss>("IAPWS-95", 647.096, 1e11);
    oneRootFromTc<Jacobsen>("Span et al. nitrogen", 126.19199999958562, 1e11);
    // The IUPAC equations turn over near 7 kbar, far above their 1 kbar.
    oneRootFromTc<IUPACCO2>("IUPAC CO2", 304.75255303183934, 5e8);
    oneRootFromTc<IUPACCH4>("IUPAC CH4", 190.55501193781092, 5e8);
}

TEST(CriticalIsotherm, WaterStatesAreStableRoots) {
    // 647.096 K, the critical temperature of IAPWS-95 (2.4e-10 K below that
    // of its equation), and Tc (1 - 1e-9), Tc (1 + 1e-9).
    criticalIsotherm<WagnerPruss>("IAPWS-95", {647.096, 647.096 * (1.0 - 1e-9), 647.096 * (1.0 + 1e-9)});
    acrossTheTopOfTheExpansions<WagnerPruss>("IAPWS-95");
}

TEST(CriticalIsotherm, NitrogenStatesAreStableRoots) {
    const double Tc = 126.192;
    criticalIsotherm<Jacobsen>("Span et al. nitrogen", {Tc * (1.0 - 1e-9), Tc * (1.0 - 1e-6), Tc});
    acrossTheTopOfTheExpansions<Jacobsen>("Span et al. nitrogen");
}

// CO2 and methane from 1 mK below their equations' critical temperatures:
// the compressed liquid far above Pc, whose Newton steps from the flat
// isotherm at the saturated liquid overshoot, bracketed on its branch.
TEST(CriticalIsotherm, CarbonDioxideAndMethaneStatesAreStableRoots) {
    for (double f : {-3e-6, -1e-6, -1e-9, 1e-9}) {
        criticalIsotherm<IUPACCO2>("IUPAC CO2", {304.75255303183934 * (1.0 + f)});
        criticalIsotherm<IUPACCH4>("IUPAC CH4", {190.55501193781092 * (1.0 + f)});
    }
    acrossTheTopOfTheExpansions<IUPACCO2>("IUPAC CO2");
    acrossTheTopOfTheExpansions<IUPACCH4>("IUPAC CH4");
}

}  // namespace

namespace {

// The pressure range of each branch of the isotherm at T < Tc, scanned
// independently of the searches: from the dilute gas (1e4 R T / 1 bar)
// towards the dense fluid in steps of 1e-3 in ln V, and of a five-
// thousandth of the window 30 (1 - T/Tc)^(1/2) in ln V around the critical
// volume, where the loop lies.  The vapour branch runs from the dilute gas
// to the first sample where dP/dV >= 0 (its highest pressure Pvap, at the
// vapour's spinodal), the liquid branch from the dense fluid (1500 bar) to
// the last such sample (its lowest pressure Pliq, at the liquid's spinodal;
// IAPWS-95's non-analytic terms give water's isotherm within 1e-9 of Tc
// stable stretches between the two, on neither branch).
struct BranchRanges {
    double Pvap = 0.0, Pliq = 0.0, Vvap = 0.0, Vliq = 0.0;
    bool loop = false;
};

template <class Model>
BranchRanges scanBranches(double T, double Tc, double Vc) {
    Model m(1);
    m.temperature(T);
    m.pressure(1.0);
    const double uc = std::log(Vc), window = std::fmin(0.5, 30.0 * std::sqrt(1.0 - T / Tc)), fine = window / 5000.0;
    BranchRanges r;
    bool vapourSide = true, afterUnstable = false;
    for (double u = std::log(1e4 * FluidPhase::R * T / 1e5); u > std::log(1.001 * m.coVolume());
         u -= std::fabs(u - uc) < window ? fine : 1e-3) {
        double f = 0.0, dfdV = 0.0;
        m.error = 0;
        m.equationForCalculating_V_FromTP(std::exp(u), f, dfdV);
        const double P = f + 1e5;
        const bool stable = dfdV < 0.0 && m.dPdV < 0.0;
        if (vapourSide && stable) {
            r.Pvap = P;
            r.Vvap = std::exp(u);
        } else if (!stable) {
            vapourSide = false;
            r.loop = true;
            afterUnstable = true;
        } else if (afterUnstable) {
            r.Pliq = P;
            r.Vliq = std::exp(u);
            afterUnstable = false;
        }
        if (stable && P > 1.5e8) break;
    }
    return r;
}

// Below Tc (1 mK, 1e-6 and 1e-9 relative) each kind's search finds a root
// where its branch reaches the pressure asked for and refuses where it does
// not (the vapour above its spinodal's pressure, the liquid below its
// spinodal's), at 1 to 1000 bar and 0.1 % inside and outside each spinodal's
// pressure: its root gives the pressure and lies on its branch of the scan.
template <class Model>
void kindsBelowTc(const std::string& name, double Tc, double Vc) {
    Model m(1);
    for (double f : {1e-3, 1e-6, 1e-9}) {
        const double T = Tc * (1.0 - f);
        const BranchRanges b = scanBranches<Model>(T, Tc, Vc);
        ASSERT_TRUE(b.loop && b.Vliq < b.Vvap) << name << " " << f;
        std::vector<double> P = pressuresBar();
        for (double s : {0.999, 1.001})
            for (double Ps : {b.Pvap, b.Pliq})
                if (Ps > 0.0) P.push_back(s * Ps * 1e-5);
        for (double Pbar : P)
            for (int kind : {1, 2}) {
                const std::string at =
                    name + " Tc (1 - " + std::to_string(f) + ") " + std::to_string(Pbar) + " bar kind " + std::to_string(kind);
                m.set_the_phase_as(kind);
                m.temperature(T);
                m.pressure(Pbar);
                m.calculate_molar_volume();
                const bool reaches = kind == 1 ? Pbar * 1e5 < b.Pvap : Pbar * 1e5 > b.Pliq;
                ASSERT_EQ(m.errorflag == 0, reaches) << at;
                if (!reaches) continue;
                EXPECT_NEAR(pressureOfAFreshModel<Model>(T, m.V) / (Pbar * 1e5), 1.0, 1e-9) << at;
                if (kind == 1)
                    EXPECT_GE(m.V, b.Vvap) << at;
                else
                    EXPECT_LE(m.V, b.Vliq) << at;
            }
    }
}

TEST(CriticalIsotherm, BelowTcEachKindFindsItsBranchsRootOrRefuses) {
    kindsBelowTc<WagnerPruss>("IAPWS-95", 647.096, 5.5948e-05);
    kindsBelowTc<Jacobsen>("Span et al. nitrogen", 126.19199999958562, 8.9414e-05);
    kindsBelowTc<IUPACCO2>("IUPAC CO2", 304.75255303183934, 9.3993e-05);
    kindsBelowTc<IUPACCH4>("IUPAC CH4", 190.55501193781092, 9.8917e-05);
}

}  // namespace
