// The chamber model with the reference equations of state for its gas
// densities (IAPWS-95 water, IUPAC CO2): curves and eruption sequences of H2O,
// CO2 and the H2O-CO2 mixture (ideal mixing of the two), and the tabulated
// isotherms of the eruption sequence.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "magma/ChamberGasModel.h"
#include "magma/GasVolumeTable.h"
#include "magma/TaitJaupart.h"
#include "magma/tests/EruptionSequenceChecks.h"
#include "magma/tests/IdealChamber.h"

namespace {

struct Case {
    const char* name;
    int fluid;
    double w, x;
    double sa;  // > 0: a user-defined melt with this solubility factor, exponent 1
};

// CO2 released by crystallisation fills about sa·Z·R·T/Mg per kg of crystals,
// far less than the crystals shrink by in the two standard melts: a CO2 chamber
// erupts only in a melt that dissolves much more CO2.
const Case kCases[] = {
    {"H2O", kChamberFluidH2O, 0.04, 0.0, 0.0},
    {"CO2", kChamberFluidCO2, 0.06, 0.0, 5e-10},
    {"H2O-CO2", kChamberFluidH2OCO2, 0.03, 0.2, 0.0},
};

void configure(TaitJaupart& m, const Case& c) { configureChamber(m, 1, c.fluid, c.w, c.x, c.sa); }

}  // namespace

TEST(ChamberWithEquationsOfState, GasDensitiesAreThoseOfRealGases) {
    TaitJaupart m;
    ASSERT_TRUE(m.water && m.co2);
    EXPECT_EQ(m.useEOS, 1);
    const double T = 1473.0, P = 1e8;
    for (int fluid : {kChamberFluidH2O, kChamberFluidCO2}) {
        m.setFluid(fluid, 0);
        ASSERT_TRUE(m.setInitialData(1000.0, P, 0.0, 0.05, 0.0)) << m.message;
        // Compressibility factor of a supercritical gas at 1000 bar: a little
        // above one, the repulsion winning at this temperature.
        const double Z = P * m.Mg / (m.rhog0 * 8.31434 * T);
        EXPECT_GT(Z, 1.0) << fluid;
        EXPECT_LT(Z, 1.6) << fluid;
    }
}

TEST(ChamberWithEquationsOfState, CurvesAndEruptionSequences) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TaitJaupart m;
        configure(m, c);
        std::vector<double> rows;
        EXPECT_GT(m.calculateSolubilityCurve(0.0, c.w, c.x, 6, nullptr, &rows), 0);
        for (double v : rows) ASSERT_TRUE(std::isfinite(v));

        rows.clear();
        EXPECT_EQ(m.calculateCrystallizationCurve(0.0, 0.3, 6, nullptr, &rows), 301) << m.message;
        ASSERT_EQ(rows.size(), 301u * kCrystallizationCurveRowSize);
        EXPECT_NEAR(rows[7], 1000.0, 1e-6);  // P(X0) = P0
        EXPECT_LT(std::fabs(m.V - m.Vl - m.Vg - m.Vc), 1e-9 * m.V);
        EXPECT_NEAR(m.mc + m.ml + m.md + m.mg + m.mdCO2 + m.mgCO2, m.M, 1e-9);

        configure(m, c);
        rows.clear();
        const EruptionSequenceEnd end = m.calculateEruptionSequence(50e5, &rows);
        EXPECT_EQ(end, EruptionSequenceEnd::halfCrystallised) << eruptionSequenceEndText(end);
        ASSERT_GE(rows.size(), static_cast<std::size_t>(kEruptionSequenceRowSize));
        expectSequenceEndsAtHalfCrystals(m, rows, 50e5);
        for (double v : rows) ASSERT_TRUE(std::isfinite(v));
    }
}

TEST(ChamberWithEquationsOfState, MixtureVolumeIsTheIdealMixOfThePureFluids) {
    // The H2O-CO2 gas at 1000 to 1200 C and 1 to 5 kbar: the mole-fraction
    // mean of the pure fluids' molar volumes from IAPWS-95 and the IUPAC CO2
    // equation, evaluated here apart from the chamber.
    auto water = makeWaterGasModel();
    auto co2 = makeCO2GasModel();
    for (double T : {1273.15, 1373.15, 1473.15}) {
        for (double Pbar : {1000.0, 2000.0, 3500.0, 5000.0}) {
            SCOPED_TRACE(testing::Message() << T << " K, " << Pbar << " bar");
            TaitJaupart m;
            m.useEOS = 0;
            m.setMagmaType(kChamberMeltUser);
            m.T = T;
            m.setFluid(kChamberFluidH2OCO2, 0.5);
            m.sa = 6.8e-8;
            m.na = 0.7;
            m.sb = 4.4e-12;
            m.nb = 1.0;
            ASSERT_TRUE(m.setInitialData(1000.0, 2e8, 0.0, 0.12, 0.5)) << m.message;
            m.useEOS = 1;
            m.mc = 0.0;
            m.ml = m.ml0;
            m.error = 0;
            m.equationForP(1e5 * Pbar, nullptr);
            ASSERT_EQ(m.error, 0) << m.message;
            ASSERT_EQ(m.saturated, 1);
            const double nH2O = m.mg / 0.018, nCO2 = m.mgCO2 / 0.044;
            const double y = nCO2 / (nH2O + nCO2);
            ASSERT_GT(y, 0.05);
            double vH2O = 0.0, vCO2 = 0.0;
            ASSERT_TRUE(water->molarVolume(T, Pbar, vH2O));
            ASSERT_TRUE(co2->molarVolume(T, Pbar, vCO2));
            const double rho = (m.mg + m.mgCO2) / (nH2O + nCO2) / ((1.0 - y) * vH2O + y * vCO2);
            EXPECT_NEAR(m.rhog, rho, 1e-9 * rho);
            // The ideal gas is too dense, more so the higher the pressure.
            const double ideal = 1e5 * Pbar * m.Mg / (8.31 * T);
            EXPECT_GT(ideal / m.rhog, 1.0 + 0.02 * Pbar / 1000.0);
        }
    }
}

TEST(ChamberWithEquationsOfState, TabulatedIsothermMatchesTheEquationOfState) {
    auto water = makeWaterGasModel();
    auto co2 = makeCO2GasModel();
    for (ChamberGasModel* gas : {water.get(), co2.get()}) {
        for (double T : {1173.0, 1473.0}) {
            GasVolumeTable table;
            ASSERT_TRUE(table.build(*gas, T, 50.0, 2100.0));
            EXPECT_FALSE(table.covers(T, 49.0));
            EXPECT_FALSE(table.covers(T, 2101.0));
            EXPECT_FALSE(table.covers(T + 1.0, 1000.0));
            for (double P = 50.0; P <= 2100.0; P += 17.3) {
                ASSERT_TRUE(table.covers(T, P));
                double v = 0.0;
                ASSERT_TRUE(gas->molarVolume(T, P, v));
                EXPECT_NEAR(table.molarVolume(P), v, 1e-12 * v) << T << " K " << P << " bar";
            }
            table.clear();
            EXPECT_FALSE(table.covers(T, 1000.0));
        }
    }
    // A gas that has no volume at some node leaves no table.
    struct NoGas : ChamberGasModel {
        bool molarVolume(double, double P, double& v) override {
            v = 1e-4;
            return P > 500.0;
        }
    } none;
    GasVolumeTable table;
    EXPECT_FALSE(table.build(none, 1473.0, 100.0, 1000.0));
    EXPECT_FALSE(table.covers(1473.0, 700.0));
}
