// The tricritical locus of a van der Waals mixture traced in composition
// (a1 solved so that g5 = 0 at the G4 point reached by tuning k12): every
// row is a tricritical state, g2 = g3 = g4 = g5 = 0 at constant T and P.
// Near x1 = 1/2 the locus has a1 = a0 and meets the symmetric mixture's
// family of tricritical points, whose closed form for each k is
//     s = sqrt(2/k + 1/2),  V = b s/(s - 1),  T = (k a/(R b)) (s - 1)/s.
#include <gtest/gtest.h>

#include <cmath>

#include "equilibria/tests/MixtureModels.h"

namespace {

constexpr double kA = 0.3658, kB = 4.286e-5;

struct Symmetric {
    double T, V;
};
Symmetric symmetricTricritical(double k) {
    const double s = std::sqrt(2.0 / k + 0.5);
    return {k * kA / (VdWMixture::R * kB) * (s - 1.0) / s, kB * s / (s - 1.0)};
}

}  // namespace

TEST(TricriticalLocus, EveryPointInCompositionIsTricritical) {
    // From the symmetric point of k = 1, stepping x1 by 0.02: at x1 = 1/2
    // itself g5 vanishes for every a1 near a0 by symmetry, so the first
    // solve fails and the step is halved.
    const Symmetric start = symmetricTricritical(1.0);
    TunableVdW f({kA, kA}, {kB, kB}, 1.0);
    f.composition_of_component(0, 0.5);
    f.composition_of_component(1, 0.5);
    f.temperature(start.T);
    f.volume(start.V);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    f.calculate_the_tricritical_curve1("tric1.txt", 0, 2, 1.0, kA, 0.02);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    const auto rows = readRows("tric1.txt");
    ASSERT_GE(rows.size(), 3u);
    TunableVdW check({kA, kA}, {kB, kB});
    std::size_t nearHalf = 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const auto& r = rows[k];  // T, V, x0, x1, k12, a1
        ASSERT_EQ(r.size(), 6u);
        SCOPED_TRACE(r[3]);
        EXPECT_NEAR(r[2] + r[3], 1.0, 1e-12);
        EXPECT_GT(r[3], 0.5);
        if (k > 0) {
            EXPECT_GT(r[3], rows[k - 1][3]);  // stepping up in x1
        }
        check.set_model_parameter(0, r[4]);
        check.set_model_parameter(2, r[5]);
        check.composition_of_component(0, r[2]);
        check.composition_of_component(1, r[3]);
        check.temperature(r[0]);
        check.volume(r[1]);
        double g[4], i[4], g6, i6, Pr, AVV;
        check.calculate_tricritical_parameters(g[0], g[1], g[2], g[3], g6, i[0], i[1], i[2], i[3], i6, Pr, AVV);
        ASSERT_EQ(check.errorflag, 0);
        // Each sum against its ideal part, from which it cancels.
        for (int n = 0; n < 3; ++n) EXPECT_LT(std::fabs(g[n] + i[n]), 1e-6 * std::fabs(i[n])) << "g" << n + 2;
        EXPECT_LT(std::fabs(g[3] + i[3]), 1e-5 * std::fabs(i[3])) << "g5";
        if (r[3] < 0.52) {
            ++nearHalf;
            const Symmetric c = symmetricTricritical(r[4]);
            EXPECT_LT(relDiff(r[5], kA), 1e-6);
            EXPECT_LT(relDiff(r[0], c.T), 1e-3);
            EXPECT_LT(relDiff(r[1], c.V), 1e-3);
        }
    }
    EXPECT_GT(nearHalf, 0u);
}
