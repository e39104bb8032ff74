// Components read from their files by the cubic models: a file that lacks the
// acentric factor (or, for Heyen, the slope of its alpha function) gives the
// model no temperature dependence of its attraction, so every model refuses
// the component with a message and keeps no molar mass for it; the same file
// with omega is taken.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "families/cubic/DaridonEOS.h"
#include "families/cubic/HCubic.h"
#include "families/cubic/Heyen.h"
#include "families/cubic/LK_EOS.h"
#include "families/cubic/PRNirma.h"
#include "families/cubic/PRSV.h"
#include "families/cubic/SRK1.h"
#include "families/cubic/SRK2.h"
#include "families/cubic/tests/CubicChecks.h"

using cubic_tests::writeComponentFile;

namespace {

struct Case {
    const char* model;  // as the refusal names it
    std::function<std::unique_ptr<FluidPhase>()> make;
    bool waterFirst;  // Daridon's first component is water
    bool binary;      // SRK2 takes two components: nitrogen after the gas
};

}  // namespace

TEST(CubicComponentData, AComponentWithoutItsAcentricFactorIsRefused) {
    writeComponentFile("compo/GasNoOmega", "Tc 150.0 Pc 4000000.0 mw 0.03\n");
    writeComponentFile("compo/GasOmega", "Tc 150.0 Pc 4000000.0 omega 0.1 mw 0.03\n");
    const Case cases[] = {
        {"PR", [] { return std::make_unique<PRNirma>(1, 0, 0); }, false, false},
        {"PRSV", [] { return std::make_unique<PRSV>(1, 0); }, false, false},
        {"SRK1", [] { return std::make_unique<SRK1>(1, 0); }, false, false},
        {"SRK2", [] { return std::make_unique<SRK2>(1); }, false, true},
        {"TwoPar", [] { return std::make_unique<TwoPar>(1); }, false, false},
        {"ThreePar", [] { return std::make_unique<ThreePar>(1); }, false, false},
        {"Lee-Kesler", [] { return std::make_unique<LK_EOS>(1); }, false, false},
        {"DaridonEOS", [] { return std::make_unique<DaridonEOS>(1); }, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const int i = c.waterFirst ? 1 : 0;
        for (const char* gas : {"GasNoOmega", "GasOmega"}) {
            std::unique_ptr<FluidPhase> m = c.make();
            m->number_of_components(i + 1 + (c.binary ? 1 : 0));
            testing::internal::CaptureStderr();
            if (c.waterFirst) m->add_component("H2O");
            m->add_component(gas);
            if (c.binary) m->add_component("N2");
            const std::string err = testing::internal::GetCapturedStderr();
            const std::string refusal = std::string(c.model) + ": the file compo/" + gas +
                                        " gives no omega (the acentric factor) of " + gas + "; the component is refused";
            if (std::string(gas) == "GasNoOmega") {
                EXPECT_NE(err.find(refusal), std::string::npos) << err;
                EXPECT_EQ(m->molar_mass[i], 0.0);
            } else {
                EXPECT_EQ(err.find("refused"), std::string::npos) << err;
                EXPECT_DOUBLE_EQ(m->molar_mass[i], 0.03);
            }
        }
    }
    // Heyen's alpha(T) = exp(slope (1 - Tr^nn)) needs its slope and exponent.
    writeComponentFile("compo/HeyenNoSlope", "Tc 150.0 Pc 4000000.0 omega 0.1 Vc 9e-05 nn 1.0 mw 0.03\n");
    Heyen h(1);
    h.number_of_components(1);
    testing::internal::CaptureStderr();
    h.add_component("HeyenNoSlope");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Heyen: the file compo/HeyenNoSlope gives no slope of HeyenNoSlope; the component is refused"),
              std::string::npos)
        << err;
    EXPECT_EQ(h.known[0], 0);
    EXPECT_EQ(h.molar_mass[0], 0.0);
}
