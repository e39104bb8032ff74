// The dew and bubble pressures the phase rules give a binary from its
// solvent's vapour pressure and a solute's Henry constant, checked against
// the equilibrium conditions themselves: at the dew pressure the vapour of
// the mixture's composition coexists with a liquid that holds the solute by
// Henry's law and the solvent by Raoult's; at the bubble pressure the liquid
// of the mixture's composition coexists with a vapour whose mole fractions
// sum to one.  An ideal mixture of equal volatility (H = psat) boils at psat
// whatever its composition, and the pure solvent at its published vapour
// pressure (water's normal boiling point, 101325 Pa at 373.124 K).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fluid/PhaseRules.h"
#include "fluid/tests/VdWFluid.h"

TEST(PhaseRules, DewAndBubblePressuresHoldRaoultAndHenry) {
    constexpr double T = 373.124;
    const double psat = 1.01325;  // bar, IAPWS-95's normal boiling point
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double x, H;  // the solute's mole fraction; its Henry constant (bar), 0: the solvent's psat
    };
    for (const Case c : {Case{0.0, 500.0}, Case{1e-4, 500.0}, Case{0.01, 500.0}, Case{0.02, 2000.0},
                         Case{0.01, 0.0}, Case{0.3, 0.0}}) {
        SCOPED_TRACE(testing::Message() << "x " << c.x << ", H " << c.H << " bar");
        // A binary named as water and CO2 (the rules read its names and
        // composition; its van der Waals terms are not evaluated).
        VdWFluid f({0.5536, 0.3658}, {3.049e-5, 4.286e-5}, false);
        f.component_names = {"H2O", "CO2"};
        f.composition(1.0 - c.x, c.x);
        const PhaseRules rules(f);
        bool asked = false;
        double H = c.H;
        const PhaseRules::DiluteSplit d = rules.diluteSplitFrom(T, [&](int solvent, int solute, double p, bool& pub) {
            asked = true;
            EXPECT_EQ(solvent, 0);
            EXPECT_EQ(solute, 1);
            EXPECT_NEAR(p, psat, 1e-3 * psat);
            pub = true;
            if (H == 0.0) H = p;  // equal volatility
            return H;
        });
        ASSERT_TRUE(d.known);
        EXPECT_NEAR(d.psat, psat, 1e-3 * psat);  // the ancillary equation's accuracy
        if (c.x == 0.0) {
            // A pure fluid: no solute, one saturation pressure.
            EXPECT_FALSE(asked);
            EXPECT_EQ(d.dew, d.psat);
            EXPECT_EQ(d.bubble, d.psat);
            continue;
        }
        ASSERT_TRUE(asked);
        // Dew: vapour y = x; liquid xl = y P / H (Henry), and the solvent's
        // partial pressure (1 - y) P equals (1 - xl) psat (Raoult).
        const double xl = c.x * d.dew / H;
        EXPECT_NEAR((1.0 - c.x) * d.dew, (1.0 - xl) * d.psat, 1e-12 * d.psat);
        // Bubble: liquid x; the vapour's mole fractions x H / P and
        // (1 - x) psat / P sum to one.
        EXPECT_NEAR(c.x * H / d.bubble + (1.0 - c.x) * d.psat / d.bubble, 1.0, 1e-12);
        if (c.H == 0.0) {
            EXPECT_NEAR(d.dew, d.psat, 1e-12 * d.psat);
            EXPECT_NEAR(d.bubble, d.psat, 1e-12 * d.psat);
        } else {
            EXPECT_LT(d.dew, d.bubble);  // a volatile solute: a two-phase range between them
        }
        // The bounds hold the central pressures.
        EXPECT_LT(d.dewLow, d.dew);
        EXPECT_GT(d.dewHigh, d.dew);
        EXPECT_LT(d.bubbleLow, d.bubble);
        EXPECT_GT(d.bubbleHigh, d.bubble);
        EXPECT_LT(d.bubbleHigh, inf);
    }
}
