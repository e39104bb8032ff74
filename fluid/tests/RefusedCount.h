#pragma once
// A term asked for a component count it is not written for: the refusal is
// reported with the term's name, the process goes on, the term is marked
// unusable and an evaluation fails (termError) instead of giving numbers from
// a tree sized for another count.
#include <gtest/gtest.h>

#include <string>

#include "fluid/Interaction.h"

namespace fluid_tests {

inline void expectCountRefused(Interaction& t, int n, int expected, double T = 300.0, double V = 1e-3)
{
    testing::internal::CaptureStderr();
    t.number_of_components(n);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(t.refusedComponents, n) << t.modelName();
    const std::string line = std::string(t.modelName()) + ": the term is written for " + std::to_string(expected) +
                             (expected == 1 ? " component" : " components") + "; it cannot take " + std::to_string(n);
    EXPECT_NE(err.find(line), std::string::npos) << err;
    t.T = T;
    t.V = V;
    t.calculate();
    EXPECT_EQ(t.termError, 1) << t.modelName();
    t.calculate_fugacities();
    EXPECT_EQ(t.termError, 1) << t.modelName();
}

}  // namespace fluid_tests
