// The phase the command interpreter prints for H2O-CO2 against its measured
// critical curve, which the models' own stability tests do not read: the
// curve falls from water's critical point to a temperature minimum near
// 539 K (266 C) at 2150 bar (Takenouchi & Kennedy 1964, Am. J. Sci. 262,
// 1055) or 2450 bar (Todheide & Franck 1963, Z. Phys. Chem. N.F. 37, 387)
// and rises slowly beyond it; above it the mixture is one fluid at every
// composition, and below the minimum's temperature a mixture of about the
// critical composition (near 30 % CO2) splits at every pressure measured.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "fluid/FluidPhase.h"
#include "fluid/StateReport.h"

namespace {

struct Printed {
    bool given = false;
    std::string out, err;
};

// CO2's mole fraction xCO2, the components named in either order.
Printed printState(const std::string& model, bool waterFirst, double xCO2, double T, double P) {
    std::unique_ptr<FluidPhase> m;
    const std::string name = model + (waterFirst ? ":H2O,CO2" : ":CO2,H2O");
    consoletest::capture([&] { m.reset(createFluidModel(name.c_str())); });
    Printed p;
    if (!m) return p;
    waterFirst ? m->composition(1.0 - xCO2, xCO2) : m->composition(xCO2, 1.0 - xCO2);
    const consoletest::Captured c = consoletest::capture([&] { p.given = StateReport(*m).printStateFromTP(T, P); });
    p.out = c.out;
    p.err = c.err;
    return p;
}

std::string phaseLine(const std::string& out) {
    const auto at = out.find("** Phase: ");
    return at == std::string::npos ? std::string() : out.substr(at, out.find('\n', at) - at);
}

}  // namespace

TEST(CriticalCurvePhase, TheMeasuredCurveIsSaidBesideTheModelsOwnPhaseAboveItOnly) {
    const struct {
        double T, P;  // K, bar
        bool oneFluid;
    } kStates[] = {
        {555.0, 2150.0, true},  {555.0, 2450.0, true},  {600.0, 2000.0, true}, {600.0, 3000.0, true},
        {640.0, 500.0, true},   {520.0, 2150.0, false}, {520.0, 2450.0, false},
    };
    for (const char* model : {"DMW2", "DMWEOS"}) {
        for (const auto& k : kStates) {
            for (double x : {0.1, 0.3, 0.5}) {
                if (!k.oneFluid && x != 0.3) continue;
                // Both orders of naming the components, by turns.
                for (bool waterFirst : {x != 0.3 || !k.oneFluid}) {
                    SCOPED_TRACE(std::string(model) + " x(CO2) " + std::to_string(x) + " at " + std::to_string(k.T) +
                                 " K, " + std::to_string(k.P) + " bar" + (waterFirst ? "" : ", CO2 named first"));
                    const Printed p = printState(model, waterFirst, x, k.T, k.P);
                    ASSERT_TRUE(p.given) << p.err;
                    // The phase is the model's own; the measured curve is
                    // said beside it, above the curve only.
                    const std::string phase = phaseLine(p.out);
                    const bool said = p.out.find("** The fluid: one phase (at ") != std::string::npos &&
                                      p.out.find("published critical curve of H2O-CO2") != std::string::npos;
                    EXPECT_EQ(said, k.oneFluid) << p.out;
                    EXPECT_EQ(phase.find("critical curve"), std::string::npos) << phase;
                    if (!k.oneFluid) {
                        EXPECT_NE(phase.find("not stable"), std::string::npos) << p.out;
                    }
                }
            }
        }
    }
}
