// Critical-interpolation cubics and the fully built Schmidt attraction tree.
#include <gtest/gtest.h>

#include <cmath>

#include "expressions/Leaf.h"
#include "families/cubic/ClassicalCubic0.h"
#include "families/cubic/CriticalInterpolation.h"
#include "families/cubic/Schmidt.h"
#include "families/cubic/tests/CubicChecks.h"

using namespace cubic_tests;

TEST(CriticalInterpolationSRK, FactorAndStepOfTheInteractionParameters) {
    CriticalInterpolationSRK m(1);
    EXPECT_DOUBLE_EQ(m.calculate_interpolation_factor(0.9), 1.0);
    EXPECT_NEAR(m.calculate_interpolation_factor(2.05), std::exp(-0.5), 1e-15);
    m.number_of_components(2);
    m.add_components("CH4", "CO2");
    EXPECT_DOUBLE_EQ(m.kaij[1], 0.1);
    EXPECT_DOUBLE_EQ(m.kbij[1], 0.06);
    m.temperature(400.0);
    m.calculate_corrected_BIP(0.0);
    EXPECT_DOUBLE_EQ(m.kaij[1], 0.1);
    m.calculate_corrected_BIP(1.0);
    EXPECT_NEAR(m.kaij[1], 0.0, 1e-9);   // far above T0a: ka1
    EXPECT_NEAR(m.kbij[1], -0.1, 1e-9);  // kb1
    m.temperature(255.0);
    m.correct_BIP(0.5);  // factor 1
    EXPECT_NEAR(m.kaij[2], 0.05, 1e-15);
    // A factor that is not a number leaves the parameters in use.
    m.correct_BIP(std::nan(""));
    EXPECT_NEAR(m.kaij[2], 0.05, 1e-15);
}

TEST(CriticalInterpolationSRK, WithoutCorrectionItIsTheClassicalSRK) {
    CriticalInterpolationSRK m(1);
    m.number_of_components(2);
    m.add_components("CO2", "CH4");
    ClassicalSRK c(1);
    c.number_of_components(2);
    c.add_components("CO2", "CH4");
    c.set_binary_interaction_kbij(0, 1, 0.06);
    m.composition(0.3, 0.7);
    c.composition(0.3, 0.7);
    m.calculateFromTP(280.0, 40.0, 0);
    c.calculateFromTP(280.0, 40.0, 0);
    ASSERT_EQ(m.errorflag, 0);
    EXPECT_NEAR(m.V, c.V, 1e-13 * c.V);
    for (int i = 0; i < 2; i++) EXPECT_NEAR(m.lnphi[i], c.lnphi[i], 1e-12);
    // The correction raises the attraction below its onset.
    m.set_correction(0, 0.1, 400.0);
    m.temperature(280.0);
    m.refresh_parameters();
    c.refresh_parameters();
    EXPECT_NEAR(m.aij[0], 1.1 * c.aij[0], 1e-12 * c.aij[0]);
    testing::internal::CaptureStderr();
    CriticalInterpolationSRK u(1);
    u.number_of_components(1);
    u.add_component("Xe");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot treat Xe component"), std::string::npos);
    u.calculateFromTP(300.0, 1.0, 0);
    EXPECT_EQ(u.errorflag, 1);
}

namespace {

// A Peng-Robinson attraction on the Schmidt tree with constant pair leaves.
class SchmidtPR : public Schmidt {
public:
    SchmidtPR() : Schmidt(2.0, -1.0) {}
    void number_of_components(int n) override {
        Interaction::number_of_components(n);
        T_->index = 0;
        V_->index = 1;
        a->defineXVariables(2, n);
        for (int i = 0; i < n; i++)
            for (int j = 0; j <= i; j++) {
                auto* e = new Leaf();
                leaves_.push_back(e);
                a->tie_ij(i, j, e);
            }
        b->defineXVariables(2, n);
        root->number_of_variables(n + 2);
        for (Leaf* e : leaves_)
            for (int& f : e->flags) f = 0;
        root->analyze_dependencies();
    }
    std::vector<Leaf*> leaves_;
};

}  // namespace

TEST(SchmidtTree, PengRobinsonAttraction) {
    SchmidtPR t;
    t.number_of_components(2);
    const double a0 = 0.4, a1 = 0.25, k = 0.05, b0 = 2.7e-5, b1 = 2.6e-5;
    t.leaves_[0]->value = a0;
    t.leaves_[1]->value = (1 - k) * std::sqrt(a0 * a1);
    t.leaves_[2]->value = a1;
    t.b->set_scalars_(b0, b1);
    const double T = 300.0, V = 1.5e-4, x0 = 0.3, x1 = 0.7;
    evaluateTerm(t, {T, V, x0, x1});
    const double am = x0 * x0 * a0 + 2 * x0 * x1 * (1 - k) * std::sqrt(a0 * a1) + x1 * x1 * a1, bm = x0 * b0 + x1 * b1;
    const double expect = am / (bm * 8.31434 * T * std::sqrt(8.0)) *
                          std::log((V + (1 - std::sqrt(2.0)) * bm) / (V + (1 + std::sqrt(2.0)) * bm));
    EXPECT_NEAR(t.root->value, expect, 1e-12);
    checkAllDerivatives(t, {T, V, x0, x1});
}

TEST(SchmidtTree, UnboundTemperatureIsReported) {
    Schmidt t(1.0, 0.0);
    t.Interaction::number_of_components(1);
    t.root->number_of_variables(3);
    t.V_->index = 1;
    t.b->defineXVariables(2, 1);
    t.a->defineXVariables(2, 1);
    auto* e = new Leaf();
    t.a->tie_ij(0, 0, e);
    testing::internal::CaptureStderr();
    evaluateTerm(t, {300.0, 1e-4, 1.0});
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("\"T_\" is not linked to a variable"), std::string::npos) << err;
}
