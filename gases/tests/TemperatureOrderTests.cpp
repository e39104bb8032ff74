// The separable leaves of the reference models (IAPWS-95, nitrogen, IUPAC
// CO2 and CH4) build their functions of temperature to the order a pass
// asks for: the state functions read the second order, the third-order
// derivatives the fourth.  A state's numbers are, to the bit, the same
// whichever order the model built first at its temperature.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "water/WagnerPruss.h"

namespace {

struct Numbers {
    double P, H, S, Cv, Cp, w, lnphi, A3V, A3TV, A3TTV;
};

// The state functions and fugacity at (T, V), and then the third-order
// derivatives; with thirdFirst, the third-order derivatives first.
template <class Model>
Numbers state(double T, double V, bool thirdFirst) {
    Model m(1);
    m.calculateFromTV(1.3 * T, 0.7 * V, 0);  // another temperature first
    Numbers n{};
    auto third = [&] {
        m.temperature(T);
        m.volume(V);
        m.calculate_third_order_state_derivatives();
        n.A3V = m.d3AdV3;
        n.A3TV = m.d3AdTdV2;
        n.A3TTV = m.d3AdT2dV;
    };
    if (thirdFirst) third();
    m.calculateFromTV(T, V, 0);
    n.P = m.P;
    n.H = m.H;
    n.S = m.S;
    n.Cv = m.Cv;
    n.Cp = m.Cp;
    n.w = m.soundSpeed;
    n.lnphi = std::log(m.fugcoef[0]);
    if (!thirdFirst) third();
    return n;
}

// The bits of two numbers, equal.
::testing::AssertionResult sameBits(double a, double b) {
    std::uint64_t x = 0, y = 0;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    if (x == y) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a << " and " << b << " differ";
}

// States of the liquid, the gas and the supercritical fluid (and a few
// inside the two-phase region, whose numbers must agree too); most give
// every number.
template <class Model>
void sameWhateverOrderFirst(double Tc, double Vc) {
    int finite = 0, states = 0;
    for (double t : {0.8, 1.0, 1.7})
        for (double v : {0.4, 0.6, 1.0, 20.0}) {
            const double T = t * Tc, V = v * Vc;
            SCOPED_TRACE(::testing::Message() << T << " K, " << V << " m3/mol");
            const Numbers a = state<Model>(T, V, false), b = state<Model>(T, V, true);
            bool all = true;
            for (auto [x, y] : {std::pair{a.P, b.P}, {a.H, b.H}, {a.S, b.S}, {a.Cv, b.Cv}, {a.Cp, b.Cp}, {a.w, b.w},
                                {a.lnphi, b.lnphi}, {a.A3V, b.A3V}, {a.A3TV, b.A3TV}, {a.A3TTV, b.A3TTV}}) {
                all = all && std::isfinite(x);
                EXPECT_TRUE(sameBits(x, y));
            }
            finite += all ? 1 : 0;
            ++states;
        }
    EXPECT_GE(finite, states / 2);
}

}  // namespace

TEST(TemperatureOrder, StatesDoNotDependOnTheOrderBuiltFirst) {
    sameWhateverOrderFirst<WagnerPruss>(647.096, 5.5948e-5);
    sameWhateverOrderFirst<Jacobsen>(126.192, 8.9414e-5);
    sameWhateverOrderFirst<IUPACCO2>(304.2, 9.4073e-5);
    sameWhateverOrderFirst<IUPACCH4>(190.555, 9.8917e-5);
}
