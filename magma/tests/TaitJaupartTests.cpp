// The chamber model on ideal gas: initial states, the pressure equation and its
// solution against an independent evaluation, the H2O-CO2 partition and the
// refusals of unusable set-ups.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "magma/PhaseGasModel.h"
#include "magma/TaitJaupart.h"
#include "numerics/Solver.h"
#include "magma/tests/ChamberReference.h"
#include "magma/tests/IdealChamber.h"

namespace {

double contentsMass(const TaitJaupart& m) { return m.mc + m.ml + m.md + m.mg + m.mdCO2 + m.mgCO2; }
double initialMass(const TaitJaupart& m) {
    return m.mc0 + m.ml0 + m.md0 + m.mg0 + m.md0CO2 + m.mg0CO2;
}

// Gas of molar volume factor·RT/P, failing below a pressure: stands in for an
// equation of state.
class TestGas : public ChamberGasModel {
public:
    explicit TestGas(double factor, double failBelowBar = 0.0) : factor_(factor), failBelow_(failBelowBar) {}
    bool molarVolume(double T, double Pbar, double& V) override {
        ++calls;
        if (Pbar < failBelow_) return false;
        V = factor_ * 8.31434 * T / (Pbar * 1e5);
        return true;
    }
    int calls = 0;

private:
    double factor_, failBelow_;
};

}  // namespace

TEST(TaitJaupart, DefaultCaseMatchesIndependentEvaluation) {
    // 1000 bar, no crystals, 1 wt % H2O: undersaturated at the start; the
    // denser crystals let the pressure fall until the melt saturates.
    ChamberReference ref;
    auto m = idealChamber(kChamberFluidH2O, 0.0, 0.01);
    EXPECT_EQ(m->saturated0, 0);
    EXPECT_FALSE(ref.saturatedAtP0());
    EXPECT_DOUBLE_EQ(m->mg0, 0.0);
    EXPECT_NEAR(m->V0, ref.volume0(), 1e-12 * ref.volume0());

    ASSERT_EQ(m->calculateOverpressure(0.1), 0) << m->message;
    const double expected = ref.pressureAt(0.1);
    EXPECT_NEAR(m->P, expected, 1e-6 * expected);
    EXPECT_NEAR(1e-5 * m->P, 282.17, 0.005);
    EXPECT_EQ(m->saturated, 1);

    // 4 wt % H2O: saturated at the start, the pressure rises.
    ref.w = 0.04;
    m = idealChamber(kChamberFluidH2O, 0.0, 0.04);
    EXPECT_EQ(m->saturated0, 1);
    EXPECT_TRUE(ref.saturatedAtP0());
    EXPECT_NEAR(m->mg0, ref.gas0(), 1e-12);
    ASSERT_EQ(m->calculateOverpressure(0.1), 0) << m->message;
    EXPECT_NEAR(m->P, ref.pressureAt(0.1), 1e-6 * m->P);
    EXPECT_NEAR(1e-5 * m->P, 1052.97, 0.005);

    // 0.1 wt % H2O: the melt saturates at a few tens of bar only, below the
    // range of the solubility laws: the state is found and refused as such.
    ref.w = 0.001;
    m = idealChamber(kChamberFluidH2O, 0.0, 0.001);
    for (double X : {0.11, 0.3}) {
        ASSERT_EQ(m->calculateOverpressure(X), kSolverBelowMin) << m->message;
        EXPECT_NEAR(m->P, ref.pressureAt(X), 1e-6 * m->P);
        EXPECT_NE(m->message.find("lies below the 100 bar from which the solubility laws were calibrated"),
                  std::string::npos)
            << m->message;
    }
}

TEST(TaitJaupart, PressureSolutionBalancesMassAndVolume) {
    struct Case {
        int fluid;
        double X0, w, x;
    };
    const Case cases[] = {
        {kChamberFluidH2O, 0.0, 0.01, 0.0},   {kChamberFluidH2O, 0.2, 0.05, 0.0},
        {kChamberFluidCO2, 0.0, 0.002, 0.0},  {kChamberFluidCO2, 0.1, 0.0001, 0.0},
        {kChamberFluidH2OCO2, 0.0, 0.03, 0.3}, {kChamberFluidH2OCO2, 0.1, 0.01, 0.05},
        {kChamberFluidH2OCO2, 0.0, 0.02, 1.0}, {kChamberFluidH2OCO2, 0.0, 0.03, 0.0},
        // Saturating only at a few tens of bar, where the secant overshoots.
        {kChamberFluidH2O, 0.0, 0.001, 0.0},   {kChamberFluidH2OCO2, 0.0, 0.001, 1e-6},
        // CO2-rich gas over a melt that dissolves little of it.
        {kChamberFluidH2OCO2, 0.0, 0.1, 0.99}, {kChamberFluidH2OCO2, 0.0, 0.1, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fluid " << c.fluid << " X0 " << c.X0 << " w " << c.w << " x " << c.x);
        auto m = idealChamber(c.fluid, c.X0, c.w, c.x);
        EXPECT_NEAR(initialMass(*m), 1000.0, 1e-9);
        EXPECT_NEAR(m->V0, m->Vl0 + m->Vg0 + m->Vc0, 1e-15);
        // The initial state solves the pressure equation at P0.
        ASSERT_EQ(m->calculateOverpressure(c.X0), 0) << m->message;
        EXPECT_NEAR(m->P, m->P0, 1e-7 * m->P0);
        EXPECT_NEAR(m->mg + m->mgCO2, m->mg0 + m->mg0CO2, 1e-6);
        for (double X : {c.X0 + 0.05, c.X0 + 0.2}) {
            // Below 100 bar the state is found, and refused as outside the laws' range.
            const int status = m->calculateOverpressure(X);
            ASSERT_TRUE(status == 0 || (status == kSolverBelowMin && m->P < TaitJaupart::kMinPressure)) << m->message;
            EXPECT_NEAR(contentsMass(*m), m->M, 1e-9);
            EXPECT_NEAR(m->md + m->mg, m->mv, 1e-9);
            EXPECT_NEAR(m->mdCO2 + m->mgCO2, m->mvCO2, 1e-9);
            EXPECT_LT(std::fabs(m->V - m->Vl - m->Vg - m->Vc), 1e-9 * m->V);
            EXPECT_GE(m->mg, 0.0);
            EXPECT_GE(m->mgCO2, 0.0);
        }
    }
}

TEST(TaitJaupart, MixtureMatchesIndependentEvaluation) {
    // The mixture's gas volume is its moles times RT/P: its molar mass is that
    // of the gas itself at each state, not of the bulk volatiles.
    struct Case {
        double w, x;
    };
    for (const Case c : {Case{0.04, 0.3}, Case{0.03, 0.3}, Case{0.01, 0.05}, Case{0.02, 0.7}, Case{0.1, 0.99}}) {
        SCOPED_TRACE(testing::Message() << "w " << c.w << " x " << c.x);
        MixtureChamberReference ref;
        ref.w = c.w;
        ref.x = c.x;
        auto m = idealChamber(kChamberFluidH2OCO2, 0.0, c.w, c.x);
        EXPECT_NEAR(m->V0, ref.volume0(), 1e-9 * ref.volume0());
        double gH2O, gCO2;
        ref.gas(0.0, 1e8, gH2O, gCO2);
        EXPECT_NEAR(m->mg0, gH2O, 1e-8);
        EXPECT_NEAR(m->mg0CO2, gCO2, 1e-8);
        for (double X : {0.1, 0.3}) {
            ASSERT_EQ(m->calculateOverpressure(X), 0) << m->message;
            const double expected = ref.pressureAt(X);
            EXPECT_NEAR(m->P, expected, 1e-7 * expected) << "X " << X;
            ref.gas(X, m->P, gH2O, gCO2);
            ASSERT_GT(gH2O + gCO2, 0.0);
            EXPECT_NEAR(m->Mg, (gH2O + gCO2) / (gH2O / 0.018 + gCO2 / 0.044), 1e-9);
        }
    }
    // 4 wt % of volatiles with 30 % CO2 at 1000 bar: CO2, the less soluble,
    // makes up about half of the gas.
    MixtureChamberReference ref;
    double gH2O, gCO2;
    ref.gas(0.0, 1e8, gH2O, gCO2);
    EXPECT_NEAR(gCO2 / (gH2O + gCO2), 0.53, 0.01);
    auto m = idealChamber(kChamberFluidH2OCO2, 0.0, 0.04, 0.3);
    EXPECT_NEAR(m->mg0CO2 / (m->mg0 + m->mg0CO2), gCO2 / (gH2O + gCO2), 1e-9);
    EXPECT_NEAR(m->Mg, (gH2O + gCO2) / (gH2O / 0.018 + gCO2 / 0.044), 1e-12);
}

TEST(TaitJaupart, MixturePartitionObeysSolubilityInGasProportions) {
    auto m = idealChamber(kChamberFluidH2OCO2, 0.0, 0.03, 0.3);
    ASSERT_EQ(m->saturated0, 1);
    ASSERT_EQ(m->calculateOverpressure(0.15), 0);
    // Each volatile dissolves as its solubility times its mole fraction in the gas.
    const double g1 = m->mg / m->Mw1, g2 = m->mgCO2 / m->Mw2;
    const double y2 = g2 / (g1 + g2);
    EXPECT_NEAR(m->md, m->sa * std::pow(m->P, m->na) * m->ml * (1 - y2), 1e-9);
    EXPECT_NEAR(m->mdCO2, m->sb * std::pow(m->P, m->nb) * m->ml * y2, 1e-9);
    EXPECT_EQ(m->partitionStatus, 0);
}

TEST(TaitJaupart, PartitionJacobianMatchesFiniteDifferences) {
    auto m = idealChamber(kChamberFluidH2OCO2, 0.1, 0.03, 0.4);
    m->P = 1.3e8;
    m->ml = 870.0;
    const double x[4] = {6.0, 0.5, 12.0, 11.5};
    double xv[4], F[4], Fp[4], Fm[4];
    double Jrows[4][4];
    double* J[4] = {Jrows[0], Jrows[1], Jrows[2], Jrows[3]};
    std::copy(x, x + 4, xv);
    int err = 0;
    m->calculate_vector_function(xv, F, J, err, 1, nullptr);
    ASSERT_EQ(err, 0);
    for (int j = 0; j < 4; ++j) {
        const double h = 1e-6 * std::fmax(1.0, x[j]);
        std::copy(x, x + 4, xv);
        xv[j] += h;
        m->calculate_vector_function(xv, Fp, nullptr, err, 0, nullptr);
        std::copy(x, x + 4, xv);
        xv[j] -= h;
        m->calculate_vector_function(xv, Fm, nullptr, err, 0, nullptr);
        ASSERT_EQ(err, 0);
        for (int i = 0; i < 4; ++i) {
            const double numeric = (Fp[i] - Fm[i]) / (2 * h);
            EXPECT_NEAR(J[i][j], numeric, 1e-6 * std::fmax(1.0, std::fabs(numeric))) << "row " << i << " col " << j;
        }
    }
    // A negative mass fills no residual and reports the failure.
    double bad[4] = {1.0, -1e-3, 1.0, 1.0};
    double untouched[4] = {7, 7, 7, 7};
    m->calculate_vector_function(bad, untouched, J, err, 1, nullptr);
    EXPECT_EQ(err, 1);
    for (double v : untouched) EXPECT_EQ(v, 7);
}

TEST(TaitJaupart, MeltAndFluidConstants) {
    TaitJaupart m;
    m.setMagmaType(kChamberMelt2300);
    EXPECT_EQ(m.rhol0, 2300.0);
    EXPECT_EQ(m.T, 1173.0);
    m.setFluid(kChamberFluidH2O, 0);
    EXPECT_EQ(m.sa, 4.11e-6);
    EXPECT_EQ(m.na, 0.5);
    m.setFluid(kChamberFluidH2OCO2, 0.25);
    EXPECT_EQ(m.sb, 7.33e-12);
    // Mean molar mass of 25 wt % CO2 and 75 wt % H2O, until a state gives the
    // gas its own composition.
    EXPECT_DOUBLE_EQ(m.Mg, 1.0 / (0.25 / 0.044 + 0.75 / 0.018));

    // A user-defined melt keeps what the caller wrote.
    m.rhol0 = 2500;
    m.T = 1300;
    m.sa = 1e-7;
    m.na = 0.6;
    m.setMagmaType(kChamberMeltUser);
    m.setFluid(kChamberFluidH2O, 0);
    EXPECT_EQ(m.rhol0, 2500.0);
    EXPECT_EQ(m.T, 1300.0);
    EXPECT_EQ(m.rhoc0, 3300.0);
    EXPECT_EQ(m.sa, 1e-7);
    EXPECT_EQ(m.na, 0.6);
}

TEST(TaitJaupart, UnusableSetUpsAreRefused) {
    // A mixture in a user-defined melt whose CO2 law nobody set.
    TaitJaupart m;
    m.useEOS = 0;
    m.setMagmaType(kChamberMeltUser);
    m.setFluid(kChamberFluidH2OCO2, 0.3);
    EXPECT_EQ(m.sb, 0.0);
    EXPECT_FALSE(m.setInitialData(1000, 1e8, 0, 0.02, 0.3));
    EXPECT_NE(m.message.find("CO2 solubility"), std::string::npos) << m.message;
    EXPECT_EQ(m.configured, 0);
    EXPECT_EQ(m.calculateOverpressure(0.1), TaitJaupart::kRefused);
    std::vector<double> rows;
    EXPECT_EQ(m.calculateSolubilityCurve(0, 0.02, 0.3, 6, nullptr, &rows), TaitJaupart::kRefused);
    EXPECT_EQ(m.calculateEruptionSequence(5e6, &rows), EruptionSequenceEnd::notConfigured);
    EXPECT_TRUE(rows.empty());
    // Once the law is given the mixture is accepted.
    m.sb = 5e-12;
    m.nb = 1.0;
    EXPECT_TRUE(m.setInitialData(1000, 1e8, 0, 0.02, 0.3)) << m.message;

    // Fractions that leave no melt, and a missing equation of state.
    TaitJaupart n;
    n.useEOS = 0;
    EXPECT_FALSE(n.setInitialData(1000, 1e8, 0.7, 0.3, 0));
    EXPECT_FALSE(n.setInitialData(1000, -1e5, 0.1, 0.01, 0));
    n.useEOS = 1;
    n.water.reset();
    EXPECT_FALSE(n.setInitialData(1000, 1e8, 0, 0.01, 0));
    EXPECT_NE(n.message.find("equation of state"), std::string::npos) << n.message;
}

TEST(TaitJaupart, PressureEquationEdges) {
    auto m = idealChamber(kChamberFluidH2O, 0.0, 0.01);
    m->mc = 100;
    m->ml = 890;
    EXPECT_EQ(m->equationForP(-1e5, nullptr), 0.0);
    EXPECT_EQ(m->error, 1);
    m->error = 0;
    // The melt mass of the single-volatile equation is the volatile-free melt.
    m->equationForP(2e7, nullptr);
    EXPECT_EQ(m->ml, 890.0);
    EXPECT_DOUBLE_EQ(m->md, m->sa * std::pow(2e7, m->na) * 890.0);
    // Ideal gas with R = 8.31.
    EXPECT_DOUBLE_EQ(m->rhog, 2e7 * 0.018 / (8.31 * 1473.0));

    // Closed-form terms of a saturated state.
    ASSERT_EQ(m->calculateOverpressure(0.2), 0);
    const double R = 8.31434, D = m->md;
    EXPECT_DOUBLE_EQ(m->K, R * m->T * D / ((1 / m->rhol - 1 / m->rhoc) * m->Mg * m->P * (D + m->ml)));
    EXPECT_DOUBLE_EQ(m->H, (D * m->P + m->ml) / D);
    EXPECT_DOUBLE_EQ(m->Papprox, m->K * m->P0 / (m->K * 0.8 + 0.2));
}

TEST(TaitJaupart, CapacityEqualToContentIsSaturatedWithoutGas) {
    TaitJaupart m;
    m.useEOS = 0;
    m.setMagmaType(kChamberMeltUser);
    m.sa = std::ldexp(1.0, -34);  // C1(2^24 Pa) = 2^-10
    m.na = 1.0;
    const double w = 1.0 / 1025.0;
    ASSERT_EQ(w * 1025.0, 1.0);
    ASSERT_TRUE(m.setInitialData(1025.0, std::ldexp(1.0, 24), 0.0, w, 0.0)) << m.message;
    ASSERT_EQ(m.ml0, 1024.0);
    EXPECT_EQ(m.saturated0, 1);
    EXPECT_EQ(m.mg0, 0.0);
}

TEST(TaitJaupart, EquationOfStateDensitiesAndPressureRetry) {
    // The gas density of a pure volatile comes from its equation of state.
    TaitJaupart m;
    auto gas = std::make_unique<TestGas>(1.25);
    TestGas* water = gas.get();
    m.water = std::move(gas);
    m.useEOS = 1;
    m.setFluid(kChamberFluidH2O, 0);
    ASSERT_TRUE(m.setInitialData(1000, 1e8, 0, 0.04, 0)) << m.message;
    EXPECT_GT(water->calls, 0);
    EXPECT_DOUBLE_EQ(m.rhog0, 0.018 / (1.25 * 8.31434 * 1473.0 / 1e8));
    ASSERT_EQ(m.calculateOverpressure(0.1), 0);
    EXPECT_LT(std::fabs(m.V - m.Vl - m.Vg - m.Vc), 1e-9 * m.V);
    const double Pok = m.P;

    // A gas that cannot be evaluated below 500 bar: the search from 100 bar
    // fails, the one from P0 succeeds and finds the same state.
    m.water = std::make_unique<TestGas>(1.25, 500.0);
    ASSERT_TRUE(m.setInitialData(1000, 1e8, 0, 0.04, 0)) << m.message;
    ASSERT_EQ(m.calculateOverpressure(0.1), 0) << m.message;
    EXPECT_NEAR(m.P, Pok, 1e-6 * Pok);

    // A gas that cannot be evaluated anywhere near the solution: a visible failure.
    m.water = std::make_unique<TestGas>(1.25, 900.0);
    ASSERT_TRUE(m.setInitialData(1000, 1e8, 0, 0.04, 0)) << m.message;
    m.water = std::make_unique<TestGas>(1.25, 1e9);
    EXPECT_NE(m.calculateOverpressure(0.1), 0);
    EXPECT_NE(m.pressureStatus, 0);
    EXPECT_FALSE(m.message.empty());
}

namespace {

// A phase whose molar volume is that of the ideal gas.
class IdealGasPhase : public Phase {
public:
    explicit IdealGasPhase(int kind) { phase_kind = kind; }
    void calculate_molar_volume() override {
        if (!(P > 0)) {
            errorflag = 1;
            return;
        }
        V = 8.31434 * T / P;
    }
};

}  // namespace

TEST(TaitJaupart, PhaseGasModelSetsTemperatureAndPressure) {
    PhaseGasModel<IdealGasPhase> gas(300.0, 2);  // critical temperature, phase kind
    EXPECT_EQ(gas.model.phase_kind, 2);
    double V = 0;
    ASSERT_TRUE(gas.molarVolume(1000.0, 100.0, V));  // bar
    EXPECT_DOUBLE_EQ(gas.model.P, 1e7);
    EXPECT_DOUBLE_EQ(V, 8.31434 * 1000.0 / 1e7);
    EXPECT_FALSE(gas.molarVolume(1000.0, -1.0, V));
    EXPECT_DOUBLE_EQ(V, 8.31434 * 1000.0 / 1e7);  // untouched by the failure
    // Supercritical: the vapour search; subcritical: the model's own kind.
    EXPECT_EQ(gas.model.phase_kind, 1);
    ASSERT_TRUE(gas.molarVolume(250.0, 1.0, V));
    EXPECT_EQ(gas.model.phase_kind, 2);

    // The chamber's CO2 from this model: the ideal gas with R = 8.31434.
    TaitJaupart m;
    m.co2 = std::make_unique<PhaseGasModel<IdealGasPhase>>(300.0, 2);
    m.useEOS = 1;
    m.setFluid(kChamberFluidCO2, 0);
    ASSERT_TRUE(m.setInitialData(1000, 1e8, 0, 0.002, 0)) << m.message;
    EXPECT_DOUBLE_EQ(m.rhog0, 1e8 * 0.044 / (8.31434 * 1473.0));
}
