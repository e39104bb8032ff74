// The phases of a cubic mixture of terms, Peng-Robinson's CO2-CH4 (the
// interpreter's "PR:CO2,CH4"), against the same equation written out on its
// own (PengRobinsonBinary.h): the isotherm's stable roots counted and
// solved in closed form, the stable state, the tangent-plane verdict and the
// tie line; and, for the Soave and Stryjek-Vera fluids of terms, the count
// of stable roots against a scan of the model's own isotherm.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "families/cubic/PRNirma.h"
#include "families/cubic/PRSV.h"
#include "families/cubic/SRK1.h"
#include "families/cubic/tests/PengRobinsonBinary.h"
#include "platform/LogSink.h"

namespace {

template <class Model, class... Args>
std::unique_ptr<FluidPhase> co2Methane(double xCH4, Args... args) {
    std::unique_ptr<FluidPhase> m(new Model(1, args...));
    m->number_of_components(2);
    m->add_component("CO2");
    m->add_component("CH4");
    m->composition({1.0 - xCH4, xCH4});
    m->calculateBulkMolarWeight();
    return m;
}

// States of CO2 with methane: a liquid, gases, a supercritical fluid, and
// splits from the dew side to the bubble side and near the critical line.
struct MixtureState {
    double T, Pbar, x;  // K, bar, CH4
};
const MixtureState kStates[] = {
    {300.0, 50.0, 0.3},  {330.0, 120.0, 0.3}, {270.0, 80.0, 0.3}, {250.0, 40.0, 0.3},  {230.0, 30.0, 0.3},
    {220.0, 60.0, 0.1},  {250.0, 20.0, 0.05}, {200.0, 10.0, 0.7}, {280.0, 70.0, 0.15}, {190.0, 5.0, 0.5},
    {260.0, 100.0, 0.6}, {240.0, 150.0, 0.2}, {300.0, 1.0, 0.99}, {210.0, 35.0, 0.02},
};

// The count of stable roots and their volumes, the stable state's volume,
// the verdict of the tangent-plane test and the split, against the binary
// written out.  The split's phases agree to the tie line's own tolerance
// (equal fugacities to 1e-8).
TEST(CubicMixturePhases, PengRobinsonAgainstTheEquationWrittenOut) {
    const platform::ThreadLogCapture quiet;
    const PengRobinsonBinary pr = PengRobinsonBinary::co2Methane();
    auto m = co2Methane<PRNirma>(0.3, 0, 0);
    int splits = 0;
    for (const MixtureState& s : kStates) {
        SCOPED_TRACE(testing::Message() << s.T << " K, " << s.Pbar << " bar, x(CH4) " << s.x);
        const double P = s.Pbar * 1e5, RT = PengRobinsonBinary::R * s.T, x[2] = {1.0 - s.x, s.x};
        const PengRobinsonBinary::Parameters p = pr.parameters(s.T, P, x);
        double z[3];
        const int n = PengRobinsonBinary::roots(p.A, p.B, z);
        m->composition(x);
        double V[2] = {0.0, 0.0};
        ASSERT_EQ(m->stablePressureRootCount(s.T, s.Pbar, V), n == 3 ? 2 : 1);
        EXPECT_NEAR(V[0] / (z[0] * RT / P), 1.0, 1e-9);
        if (n == 3) {
            EXPECT_NEAR(V[1] / (z[2] * RT / P), 1.0, 1e-9);
        }

        double Z = 0.0, lnphi[2];
        ASSERT_TRUE(pr.stableRoot(s.T, P, x, Z, lnphi));
        m->composition(x);
        ASSERT_NE(m->calculateStableStateFromTP(s.T, s.Pbar).phase, FluidPhase::kPhaseNone);
        EXPECT_NEAR(m->V / (Z * RT / P), 1.0, 1e-9);
        for (int i = 0; i < 2; ++i) EXPECT_NEAR(std::log(m->fugcoef[i]), lnphi[i], 1e-8);

        double w1 = 0.0, trial = 0.0;
        const bool expected = pr.splits(s.T, P, s.x, &w1);
        m->composition(x);
        ASSERT_EQ(m->binarySplitsAt(s.T, s.Pbar, nullptr, &trial), expected);
        if (!expected) continue;
        ++splits;
        const PengRobinsonBinary::Split plain = pr.flash(s.T, P, s.x, w1);
        ASSERT_TRUE(plain.found);
        m->composition(x);
        const FluidPhase::BinaryTieLine line = m->binaryTieLineAt(s.T, s.Pbar, trial);
        ASSERT_TRUE(line.found);
        for (int k = 0; k < 2; ++k) {
            EXPECT_NEAR(line.x1[k], plain.x1[k], 1e-7 * std::fmax(plain.x1[k], 0.01));
            EXPECT_NEAR(line.V[k] / plain.V[k], 1.0, 1e-7);
        }
        EXPECT_NEAR(line.lighter, (s.x - plain.x1[0]) / (plain.x1[1] - plain.x1[0]), 1e-6);
    }
    EXPECT_GE(splits, 6);  // the table holds splits of both kinds of feed
}

// The count of stable roots against the model's own isotherm: P(V) at 4000
// volumes in ln V from just above the co-volume to a hundred times the
// ideal gas's, its crossings of P where it falls (the mechanically stable
// roots), away from the spinodals (where the count itself says it cannot
// tell).
template <class Model, class... Args>
void countAgainstTheIsotherm(Args... args) {
    const platform::ThreadLogCapture quiet;
    int counts[3] = {0, 0, 0};  // undecided, one root, two
    for (double x : {0.0, 0.3, 0.8})
        for (double T : {180.0, 220.0, 260.0, 300.0, 340.0})
            for (double Pbar : {1.0, 10.0, 40.0, 70.0, 150.0}) {
                SCOPED_TRACE(testing::Message() << T << " K, " << Pbar << " bar, x(CH4) " << x);
                auto m = co2Methane<Model>(x, args...);
                const int counted = m->stablePressureRootCount(T, Pbar);
                ++counts[counted];
                if (counted == 0) continue;
                const double Vlow = 1.0001 * m->coVolume(), Vhigh = 100.0 * FluidPhase::R * T / (Pbar * 1e5);
                constexpr int kSteps = 4000;
                int crossings = 0;
                double prev = std::nan("");
                m->temperature(T);
                for (int k = 0; k <= kSteps; ++k) {
                    m->volume(Vlow * std::pow(Vhigh / Vlow, static_cast<double>(k) / kSteps));
                    m->errorflag = 0;
                    m->calculate_fixed_parameters();
                    m->calculate_pressure();
                    const double f = m->P - Pbar * 1e5;
                    if (k > 0 && prev > 0.0 && f <= 0.0) ++crossings;  // falling through P
                    prev = f;
                }
                EXPECT_EQ(counted, crossings);
            }
    // (the table holds isotherms with and without a loop at P)
    EXPECT_GE(counts[1], 20);
    EXPECT_GE(counts[2], 10);
    EXPECT_LE(counts[0], 3);
}

TEST(CubicMixturePhases, StableRootCountOfTheSoaveFluid) { countAgainstTheIsotherm<SRK1>(0); }
TEST(CubicMixturePhases, StableRootCountOfThePRSVFluid) { countAgainstTheIsotherm<PRSV>(0); }

}  // namespace
