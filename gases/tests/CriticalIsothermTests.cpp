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

}  // namespace
