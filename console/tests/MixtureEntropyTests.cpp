// A mixture's entropy against the ideal-gas mixture at low pressure: its
// components' ideal gases unmixed (the model's s) plus the ideal entropy of
// mixing -R sum x ln x, printed apart; its fugacities those of the ideal
// mixture (Lewis: f_i = x_i P), and G = H - T S.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"

namespace {

struct State {
    double S, H, G;
    std::vector<double> f;
};

State stateOf(FluidPhase& m, const std::vector<double>& x, double T, double P_bar) {
    m.composition(x.data());
    m.set_the_phase_as(1);
    m.calculateFromTP(T, P_bar, 0);
    EXPECT_EQ(m.errorflag, 0);
    return {m.S, m.H, m.G, m.fugacity};
}

}  // namespace

TEST(MixtureEntropy, IsTheUnmixedIdealGasesWithTheMixingTermSaidApart) {
    installFluidModelFactory();
    struct Case {
        const char* model;
        double x1, T, P;  // mole fraction of the second component, K, bar
        double ideal;     // J/(mol K) of the ideal mixture, where published (0: not)
    };
    // PR:CO2,CH4 at 400 K and 0.01 bar: the mean of the pure gases 249.92,
    // with R ln 2 the ideal mixture's 255.68 J/(mol K).
    const Case cases[] = {
        {"PR:CO2,CH4", 0.5, 400.0, 0.01, 255.68},
        {"SRK1:CO2,N2", 0.3, 350.0, 0.01, 0.0},
        {"Kreglewski:CO2,CH4", 0.8, 300.0, 0.01, 0.0},
        {"DMW2:H2O,CO2", 0.1, 500.0, 0.01, 0.0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<FluidPhase> m(createFluidModel(c.model));
        ASSERT_TRUE(m) << c.model;
        const State a = stateOf(*m, {1.0, 0.0}, c.T, c.P), b = stateOf(*m, {0.0, 1.0}, c.T, c.P);
        const State mix = stateOf(*m, {1.0 - c.x1, c.x1}, c.T, c.P);
        const double x0 = 1.0 - c.x1, mixing = -FluidPhase::R * (x0 * std::log(x0) + c.x1 * std::log(c.x1));
        EXPECT_NEAR(mix.S, x0 * a.S + c.x1 * b.S, 1e-2) << c.model;
        EXPECT_NEAR(m->idealMixingEntropy(), mixing, 1e-12) << c.model;
        if (c.ideal > 0.0) {
            EXPECT_NEAR(mix.S + m->idealMixingEntropy(), c.ideal, 1e-2) << c.model;
        }
        EXPECT_NEAR(mix.G, mix.H - c.T * mix.S, 1e-9 * std::fabs(mix.H) + 1e-6) << c.model;
        EXPECT_NEAR(mix.f[0], x0 * c.P * 1e5, 1e-3 * x0 * c.P * 1e5) << c.model;
        EXPECT_NEAR(mix.f[1], c.x1 * c.P * 1e5, 1e-3 * c.x1 * c.P * 1e5) << c.model;
        // The printed state says the mixing term beside s.
        const std::string out = consoletest::capture([&] { m->dump(); }).out;
        char line[64];
        std::snprintf(line, sizeof line, "%12.2f J/mol/K  (ideal mixing", mixing);
        EXPECT_NE(out.find(line), std::string::npos) << out;
    }
}
