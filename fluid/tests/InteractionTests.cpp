// Interaction terms on their own: the fugacity pass, engine errors and the checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fluid/tests/TestDataDir.h"
#include "fluid/tests/VdWFluid.h"

TEST(Interaction, OneComponentTermIsPure) {
    VdWRepulsion r({4e-5});
    r.number_of_components(1);
    EXPECT_EQ(r.x[0], 1.0);
    EXPECT_EQ(r.leaves.size(), 3u);
}

namespace {
// a = -ln V: the ideal-gas term, which does not depend on the composition.
class IdealVolumeTerm : public Interaction {
public:
    IdealVolumeTerm() {
        lnV.tie1(v);
        lnV.set_scalars3(-1.0, 0.0, 0.0);
        root = &lnV;
    }
    void number_of_components(int n) override {
        Interaction::number_of_components(n);
        v.index = 1;
        root->number_of_variables(n + 2);
        root->analyze_dependencies();
    }
    FVar v;
    Logarithm lnV;
};
}  // namespace

TEST(Interaction, CompositionFreeTreeGivesEqualChemicalPotentials) {
    IdealVolumeTerm r;
    r.number_of_components(3);
    r.composition(0.2, 0.3, 0.5);
    r.T = 300.0;
    r.V = 1e-4;
    r.calculate_fugacities();
    EXPECT_NEAR(r.Z, 1.0, 1e-15);
    EXPECT_NEAR(r.A, -std::log(1e-4), 1e-12);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(r.rcp[i], r.A + r.Z);
        for (int k = 0; k < 3; k++) EXPECT_EQ(r.drcpdx[i][k], 0.0);
    }
}

TEST(Interaction, EngineErrorLeavesThePreviousValues) {
    VdWRepulsion r({4e-5});
    r.number_of_components(1);
    r.T = 300.0;
    r.V = 1e-4;
    r.calculate_Z();
    ASSERT_EQ(r.termError, 0);
    const double Z = r.Z, P = r.P;
    r.V = 3e-5;  // inside the co-volume: ln of a negative number
    r.calculate_Z();
    EXPECT_EQ(r.termError, 1);
    EXPECT_EQ(r.Z, Z);
    EXPECT_EQ(r.P, P);
    r.calculate_fugacities();
    EXPECT_EQ(r.termError, 1);
    EXPECT_EQ(r.Z, Z);
    r.V = 1e-4;
    r.calculate_state_functions();
    EXPECT_EQ(r.termError, 0);
}

TEST(Interaction, PressureAndDerivativeSets) {
    VdWAttraction t({0.36, 0.55}, 0.0);
    t.number_of_components(2);
    t.composition(0.4, 0.6);
    t.T = 350.0;
    t.V = 2e-4;
    t.calculate_state_functions();
    const double am = std::pow(0.4 * std::sqrt(0.36) + 0.6 * std::sqrt(0.55), 2);
    EXPECT_NEAR(t.P, -am / (2e-4 * 2e-4), 1e-9 * am / 4e-8);
    EXPECT_DOUBLE_EQ(t.ATv, -am / (Interaction::R * 350.0 * 350.0 * 2e-4 * 2e-4));
    t.calculate_expansivity_derivative();
    EXPECT_NEAR(t.Z, -am / (Interaction::R * 350.0 * 2e-4), 1e-12);
    t.calculate_critical_parameters();
    // a = -A(x)/(RTV) with A quadratic in x = x_1: Axxx = 0.
    EXPECT_NEAR(t.Axxx, 0.0, 1e-9);
    EXPECT_NE(t.Axx, 0.0);
    t.calculate_critical_parameters_of_pure_fluid();
    EXPECT_NEAR(t.Avvvv, -24.0 * am / (Interaction::R * 350.0 * std::pow(2e-4, 5)), 1e-6 * std::fabs(t.Avvvv));
}

TEST(Interaction, ChecksWriteTheirNotes) {
    VdWAttraction t({0.36, 0.55}, 0.1);
    t.number_of_components(2);
    t.composition(0.4, 0.6);
    t.T = 350.0;
    t.V = 2e-4;
    t.check_critical_parameters();
    std::ifstream in("critical.note");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first.rfind("AT    num. ", 0), 0u);

    testing::internal::CaptureStdout();
    t.checkInteraction();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("d4 ana."), std::string::npos);

    VdWAttraction three({0.3, 0.4, 0.5}, 0.0);
    three.number_of_components(3);
    testing::internal::CaptureStderr();
    three.check_critical_parameters();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Works only for binary fluids\n");

    t.calculate_Helmholtz_free_energy_isotherm("iso.txt", 300.0, 1e-4, 1e-2, 10);
    t.calculate_Helmholtz_free_energy_isochor("isochor.txt", 1e-3, 200.0, 600.0, 10);
    t.calculate_Helmholtz_free_energy_surface("surface.txt", 200.0, 600.0, 1e-4, 1e-2, 4, 5);
    for (const char* f : {"iso.txt", "g2.gp", "isochor.txt", "g1.gp", "surface.txt", "g3.gp"})
        EXPECT_TRUE(std::filesystem::exists(f)) << f;
}

TEST(Interaction, StandardCpTables) {
    TestDataDir data("cptables");
    data.write("compo/standard.txt", "GasA 5.0 0 0 40.0 A\nGasB 7.0 0.5 -1000 50.0 B\n");
    Standard s;
    s.number_of_components(1);
    s.read_component_data("GasB");
    s.plot_cp_data(300.0, 500.0, 4);
    std::ifstream in("standard.note");
    double T, A, S, H, Cp;
    in >> T >> A >> S >> H >> Cp;
    EXPECT_DOUBLE_EQ(T, 300.0);
    EXPECT_NEAR(Cp, (7.0 + 0.005 * 300.0) * Standard::kCalorie, 1e-5);
    const char* names[] = {"GasA", "GasB"};
    s.plot_cp_data(names, 2, 300.0, 500.0, 4);
    std::ifstream in2("standard.note");
    std::string line;
    std::getline(in2, line);
    int words = 0;
    for (std::size_t i = 0; i < line.size(); i++)
        if (line[i] != ' ' && (i == 0 || line[i - 1] == ' ')) words++;
    EXPECT_EQ(words, 9);
    EXPECT_TRUE(std::filesystem::exists("g11.gp"));
}

TEST(FluidPhaseMisc, SigmaMajorComponentAndDescribe) {
    VdWFluid f({0.3658, 0.5537, 0.4}, {4.286e-5, 3.049e-5, 4e-5}, false);
    f.calculateSigma(5e-5, 1e-3);
    EXPECT_EQ(f.sigma, 0.0);
    f.composition(0.2, 0.5, 0.5);
    EXPECT_EQ(f.getMajorComponentIndex(), 1);
    f.temperature(400.0);
    f.pressure(50.0);
    f.describe();
    EXPECT_EQ(f.errorflag, 0);
    EXPECT_GT(f.fugacity[0], 0.0);
    testing::internal::CaptureStdout();
    f.checkInteraction(1, "attraction");
    EXPECT_FALSE(testing::internal::GetCapturedStdout().empty());
}
