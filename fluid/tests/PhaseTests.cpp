#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "fluid/Phase.h"

namespace {
std::string printed(const Phase& p) {
    char buf[512] = {0};
    std::FILE* f = fmemopen(buf, sizeof buf - 1, "w");
    p.print(f);
    std::fclose(f);
    return buf;
}

// Records the component-data calls of the model protocol.
class RecordingPhase : public Phase {
public:
    std::string log;
    void read_component_data(int i, const char* name) override { log += std::to_string(i) + name + " "; }
    void read_remaining_component_data() override { log += "end"; }
};
}  // namespace

TEST(Phase, OneComponentIsPureFromTheStart) {
    Phase p;
    p.number_of_components(1);
    EXPECT_EQ(p.x[0], 1.0);
    EXPECT_EQ(p.moles[0], 1.0);
    EXPECT_EQ(p.total_moles, 1.0);
}

TEST(Phase, MoleNumbersFollowFractionsOnlyWithATotal) {
    Phase p;
    p.number_of_components(2);
    p.composition_of_component(0, 0.3);
    EXPECT_EQ(p.moles[0], 0.0);
    p.number_of_moles_of_component(1, 2.0);
    EXPECT_EQ(p.x[1], 0.0);
    p.total_number_of_moles(4.0);
    p.composition_of_component(0, 0.25);
    EXPECT_EQ(p.moles[0], 1.0);
    p.number_of_moles(1.0, 3);
    EXPECT_EQ(p.x[0], 0.25);
    EXPECT_EQ(p.x[1], 0.75);
}

TEST(Phase, CompositionIsNormalised) {
    Phase p;
    p.number_of_components(2);
    p.molar_mass = {0.018, 0.044};
    p.composition(0.2, 0.2);
    EXPECT_DOUBLE_EQ(p.x[0], 0.5);
    EXPECT_DOUBLE_EQ(p.x[1], 0.5);
    EXPECT_DOUBLE_EQ(p.bulk_molar_weight, 0.031);
    p.composition(0.49995, 0.5);
    EXPECT_EQ(p.x[0], 0.49995);  // within 1e-4 of 1: unchanged
    p.composition(0, 0);         // all zero: equal fractions
    EXPECT_DOUBLE_EQ(p.x[0], 0.5);
    EXPECT_DOUBLE_EQ(p.x[1], 0.5);
    const double xs[2] = {3.0, 1.0};
    p.composition(xs);
    EXPECT_DOUBLE_EQ(p.x[0], 0.75);
}

TEST(Phase, ComponentsByNameAndDataProtocol) {
    RecordingPhase p;
    p.number_of_components(2);
    p.add_components("H2O", "CO2");
    p.add_component("CH4");  // beyond the count: ignored
    EXPECT_EQ(p.log, "0H2O 1CO2 end");
    EXPECT_EQ(p.added_components, 2);
    p.composition_of("CO2", 0.4);
    p.composition_of("N2", 0.9);
    EXPECT_EQ(p.x[1], 0.4);
    EXPECT_EQ(p.x[0], 0.0);
    EXPECT_STREQ(p.componentName(1), "CO2");
}

TEST(Phase, ResizingReallocatesEveryArray) {
    Phase p;
    p.number_of_components(1);
    p.number_of_components(3);
    EXPECT_EQ(p.component_count, 3);
    EXPECT_EQ(p.x.size(), 3u);
    EXPECT_EQ(p.dfugacitydx.size(), 3u);
    EXPECT_EQ(p.dfugacitydx[2].size(), 3u);
    EXPECT_EQ(p.component_names.size(), 3u);
    p.composition(0.2, 0.3, 0.5);
    EXPECT_EQ(p.x[2], 0.5);
    testing::internal::CaptureStderr();
    p.number_of_components(0);
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(p.component_count, 3);
}

TEST(Phase, UnitsAndPrint) {
    Phase p;
    p.number_of_components(2);
    p.pressure(1.0);
    EXPECT_EQ(p.P, 100000.0);
    p.P = 0;
    p.Pascal(100000.0);
    EXPECT_EQ(p.P, 100000.0);
    p.temperature(300.0);
    p.volume(2.5e-5);
    p.composition(0.5, 0.5);
    EXPECT_EQ(printed(p), "errorflag 0\nx    0.5 0.5 \nT    300 K\nP    1 bar\nV    25 cm3/mol\n\n");

    p.molar_mass = {0.018, 0.018};
    p.gcm3(1.0);
    EXPECT_NEAR(p.V, 1.8e-5, 1e-18);
    p.cm3g(2.0);
    EXPECT_NEAR(p.V, 3.6e-5, 1e-18);
    p.calculateBulkMolarWeight();
    EXPECT_NEAR(p.rho, 500.0, 1e-9);
    testing::internal::CaptureStderr();
    p.calculate_molar_volume();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Not implemented\n");
}
