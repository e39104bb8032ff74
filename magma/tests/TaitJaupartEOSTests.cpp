// The chamber model with the reference equations of state for its gas
// densities (IAPWS-95 water, IUPAC CO2): curves and eruption sequences of H2O,
// CO2 and the H2O-CO2 mixture.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "magma/TaitJaupart.h"
#include "magma/tests/EruptionSequenceChecks.h"

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

void configure(TaitJaupart& m, const Case& c) {
    m.useEOS = 1;
    m.setMagmaType(c.sa > 0 ? kChamberMeltUser : kChamberMelt2700);
    m.setFluid(c.fluid, c.x);
    if (c.sa > 0) {
        m.sa = c.sa;
        m.na = 1.0;
    }
    ASSERT_TRUE(m.setInitialData(1000.0, 1e8, 0.0, c.w, c.x)) << m.message;
    m.mu = m.beta = 1e10;
}

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
