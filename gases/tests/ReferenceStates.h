#pragma once
// Heat capacities, sound speed and Joule-Thomson coefficient of a gas model
// against values of the modern reference equation of the same fluid.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>

#include "fluid/FluidPhase.h"

namespace gas_tests {

struct ReferenceState {
    double T, Pbar;        // K, bar
    double rho;            // kg/m3
    double cv, cp;         // J/(mol K)
    double w;              // m/s
    double muJT;           // K/bar
};

// Each state from T and P with a fresh model of the phase kind that reaches
// it (2 when the reference density lies above rhoLiquidLike, otherwise 1);
// density, cv, cp and w within relTol, the Joule-Thomson coefficient within
// jtTol in the dilute gas where it exceeds 0.1 K/bar (elsewhere it is near
// its inversion and carries the second virial coefficient's small
// differences between equations as large relative ones).
template <class Model>
void checkReferenceStates(std::initializer_list<ReferenceState> states, double M, double rhoLiquidLike,
                          double relTol, double jtTol)
{
    for (const ReferenceState& s : states) {
        Model m(s.rho > rhoLiquidLike ? 2 : 1);
        m.calculateFromTP(s.T, s.Pbar, 0);
        SCOPED_TRACE(testing::Message() << s.T << " K, " << s.Pbar << " bar");
        ASSERT_EQ(m.errorflag, 0);
        EXPECT_NEAR(M / m.V, s.rho, relTol * s.rho);
        EXPECT_NEAR(m.Cv, s.cv, relTol * s.cv);
        EXPECT_NEAR(m.Cp, s.cp, relTol * s.cp);
        EXPECT_NEAR(m.soundSpeed, s.w, relTol * s.w);
        if (s.Pbar <= 1.0 && std::fabs(s.muJT) > 0.1) {
            EXPECT_NEAR(1e5 * m.jouleThomson, s.muJT, jtTol * std::fabs(s.muJT));
        }
    }
}

// In the ideal-gas limit cp is the published cp0 and w^2 = (cp/cv) R T / M.
template <class Model>
void checkIdealGasLimit(std::initializer_list<std::pair<double, double>> cp0, double M)
{
    constexpr double R = FluidPhase::R;
    for (const auto& [T, cp] : cp0) {
        Model m(1);
        m.calculateFromTP(T, 1e-4, 0);
        SCOPED_TRACE(testing::Message() << T << " K");
        ASSERT_EQ(m.errorflag, 0);
        EXPECT_NEAR(m.Cp, cp, 2e-4 * cp);
        EXPECT_NEAR(m.Cp - m.Cv, R, 1e-4 * R);
        const double w0 = std::sqrt(cp / (cp - R) * R * T / M);
        EXPECT_NEAR(m.soundSpeed, w0, 2e-4 * w0);
    }
}

}  // namespace gas_tests
