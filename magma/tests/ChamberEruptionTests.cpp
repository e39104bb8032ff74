// Eruptions of the chamber model checked against a chamber written out here
// from the physics: a closed elastic cavity of fixed reference volume V0 that
// holds crystals, a melt with a power-law solubility and a gas, and erupts
// magma of its current make-up until what is left fills V0 again at P0.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "magma/ChamberGasModel.h"
#include "magma/TaitJaupart.h"
#include "magma/tests/IdealChamber.h"
#include "numerics/Solver.h"

namespace {

struct CavityChamber {
    double P0 = 1e8, dP = 50e5;
    double s = 6.8e-8, n = 0.7;  // dissolved/melt = s·P^n
    double rhoMelt = 2700.0, rhoCrystal = 3300.0, mu = 1e10, beta = 1e10;
    std::function<double(double)> gasDensity;  // kg/m3 at P (Pa)
    double crystals = 0.0, melt = 0.0, volatile_ = 0.0, cavity = 0.0;

    double total() const { return crystals + melt + volatile_; }
    // Volume of a melt of mass ml with the volatile mass w, at P.
    double magmaVolume(double ml, double w, double P) const {
        const double gas = w - std::fmin(w, s * std::pow(P, n) * ml);
        return ml / (rhoMelt * std::exp((P - P0) / beta)) + (gas > 0.0 ? gas / gasDensity(P) : 0.0);
    }
    void start(double M, double w) {
        volatile_ = w * M;
        melt = M - volatile_;
        cavity = magmaVolume(melt, volatile_, P0);
    }
    // Cavity minus contents at P once the crystal mass has grown by g.
    double balance(double g, double P) const {
        return cavity * std::exp((P - P0) / mu) - magmaVolume(melt - g, volatile_, P) -
               (crystals + g) / (rhoCrystal * std::exp((P - P0) / mu));
    }
    // One eruption: the crystal growth that brings the pressure to P0 + dP
    // (by bisection: the balance at that pressure falls as crystals grow),
    // then the fraction of the magma erupted.  False when half of the mass
    // is crystals first.
    bool erupt(double& meltErupted, double& volatileErupted) {
        const double P = P0 + dP;
        double lo = 0.0, hi = 0.5 * total() - crystals;
        if (!(hi > 0.0) || balance(hi, P) > 0.0) return false;
        for (int i = 0; i < 200; ++i) {
            const double mid = 0.5 * (lo + hi);
            (balance(mid, P) > 0.0 ? lo : hi) = mid;
        }
        const double g = 0.5 * (lo + hi);
        crystals += g;
        melt -= g;
        const double f = 1.0 - (cavity - crystals / rhoCrystal) / magmaVolume(melt, volatile_, P0);
        meltErupted = f * melt;
        volatileErupted = f * volatile_;
        melt -= meltErupted;
        volatile_ -= volatileErupted;
        return true;
    }
};

double iapws95Density(ChamberGasModel& water, double T, double P) {
    double v = 0.0;
    EXPECT_TRUE(water.molarVolume(T, 1e-5 * P, v));
    return 0.018 / v;
}

struct Sequence {
    std::vector<double> rows;
    std::vector<double> V0;  // the model's V0 after each eruption
    EruptionSequenceEnd end = EruptionSequenceEnd::notConfigured;
};

Sequence run(TaitJaupart& m, double dP) {
    Sequence s;
    s.end = m.calculateEruptionSequence(dP, &s.rows, [&](int, double) {
        s.V0.push_back(m.V0);
        return true;
    });
    return s;
}

}  // namespace

TEST(ChamberEruptions, TheCavityIsConservedAsInAnIndependentChamber) {
    struct Case {
        const char* name;
        int melt;
        bool eos;
        double w, dP, rhoCrystal;
        int eruptions;  // of the independent model
    };
    // 4 wt % H2O at 1 kbar in the 2700 kg/m3 melt; a gas-free melt whose
    // crystals are lighter than it (the written formula was exact there).
    const Case cases[] = {{"H2O, IAPWS-95, 50 bar", kChamberMelt2700, true, 0.04, 50e5, 3300.0, 5},
                          {"H2O, IAPWS-95, 10 bar", kChamberMelt2700, true, 0.04, 10e5, 3300.0, 24},
                          {"H2O, ideal gas, 50 bar", kChamberMelt2700, false, 0.04, 50e5, 3300.0, -1},
                          {"gas-free", kChamberMeltUser, false, 0.0, 50e5, 2500.0, 38}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TaitJaupart m;
        m.useEOS = c.eos ? 1 : 0;
        m.setMagmaType(c.melt);
        m.setFluid(kChamberFluidH2O, 0.0);
        if (c.melt == kChamberMeltUser) {
            m.rhol0 = 2700.0;
            m.rhoc0 = c.rhoCrystal;
            m.T = 1473.0;
        }
        ASSERT_TRUE(m.setInitialData(1000.0, 1e8, 0.0, c.w, 0.0)) << m.message;
        m.mu = m.beta = 1e10;
        const double V0 = m.V0;

        CavityChamber ref;
        ref.dP = c.dP;
        ref.rhoCrystal = c.rhoCrystal;
        const std::unique_ptr<ChamberGasModel> water = makeWaterGasModel();
        ref.gasDensity = [&](double P) {
            return c.eos ? iapws95Density(*water, 1473.0, P) : P * 0.018 / (8.31 * 1473.0);
        };
        ref.start(1000.0, c.w);
        EXPECT_NEAR(ref.cavity, V0, 1e-12 * V0);

        const Sequence s = run(m, c.dP);
        EXPECT_EQ(s.end, EruptionSequenceEnd::halfCrystallised) << eruptionSequenceEndText(s.end);
        const int n = static_cast<int>(s.rows.size() / kEruptionSequenceRowSize);
        if (c.eruptions > 0) {
            EXPECT_EQ(n, c.eruptions);
        }
        ASSERT_EQ(s.V0.size(), static_cast<std::size_t>(n));
        double meltErupted = 0.0;
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE(testing::Message() << "eruption " << i + 1);
            const double* row = &s.rows[i * kEruptionSequenceRowSize];
            double me = 0.0, ev = 0.0;
            ASSERT_TRUE(ref.erupt(me, ev));
            EXPECT_NEAR(row[1], me, 1e-6 * me);
            EXPECT_NEAR(row[2] + row[3], ev, 1e-6 * ev + 1e-12);
            EXPECT_NEAR(row[6], ref.crystals, 1e-6 * ref.crystals);
            EXPECT_NEAR(row[9], ref.total(), 1e-9 * ref.total());
            // The wall keeps its reference volume, and what is left fills it at P0.
            EXPECT_EQ(s.V0[i], V0);
            const double left = row[9] - row[6] - row[7];
            EXPECT_NEAR(row[6] / ref.rhoCrystal + ref.magmaVolume(row[7], left, ref.P0), V0, 1e-12 * V0);
            meltErupted += row[1];
        }
        double me = 0.0, ev = 0.0;
        EXPECT_FALSE(ref.erupt(me, ev));  // the independent chamber ends there too
        if (std::string(c.name) == "H2O, IAPWS-95, 50 bar") {
            // The figures of a second model written apart from this one.
            EXPECT_NEAR(s.rows[1], 21.87, 0.05);
            EXPECT_NEAR(s.rows[9], 977.125, 0.001);
            EXPECT_NEAR(s.rows[4 * kEruptionSequenceRowSize + 1], 14.022, 0.001);
            EXPECT_NEAR(meltErupted, 90.74, 0.01);
        }
        if (std::string(c.name) == "gas-free") {
            // With beta = mu every eruption takes the melt of V0·(exp(2 dP/mu) - 1)
            // at P0: the wall's give and the melt's compression.
            for (int i = 0; i < n; ++i)
                EXPECT_NEAR(s.rows[i * kEruptionSequenceRowSize + 1], V0 * std::expm1(2.0 * c.dP / 1e10) * 2700.0,
                            1e-9);
        }
    }
}

TEST(ChamberEruptions, MassIsConservedOverTheWholeSequence) {
    struct Case {
        const char* name;
        int fluid;
        bool eos;
        double w, x, sa;  // sa > 0: a user melt dissolving CO2 as sa·P
    };
    const Case cases[] = {{"H2O ideal", kChamberFluidH2O, false, 0.04, 0.0, 0.0},
                          {"H2O IAPWS-95", kChamberFluidH2O, true, 0.04, 0.0, 0.0},
                          {"CO2 IUPAC", kChamberFluidCO2, true, 0.06, 0.0, 5e-10},
                          {"H2O-CO2 ideal", kChamberFluidH2OCO2, false, 0.03, 0.2, 0.0},
                          {"H2O-CO2 mixed EOS", kChamberFluidH2OCO2, true, 0.03, 0.2, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TaitJaupart m;
        configureChamber(m, c.eos ? 1 : 0, c.fluid, c.w, c.x, c.sa);
        if (HasFatalFailure()) return;
        const double C1 = m.sa, n1 = m.na, C2 = m.sb, n2 = m.nb;
        const double P = m.P0 + 50e5;
        const Sequence s = run(m, 50e5);
        ASSERT_EQ(s.end, EruptionSequenceEnd::halfCrystallised) << eruptionSequenceEndText(s.end);
        const std::size_t n = s.rows.size() / kEruptionSequenceRowSize;
        ASSERT_GE(n, 2u);
        double melt = 0.0, volatiles = 0.0, co2 = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double* row = &s.rows[i * kEruptionSequenceRowSize];
            melt += row[1];
            volatiles += row[2] + row[3];
            if (c.fluid == kChamberFluidH2OCO2) {
                // The dissolved volatiles' CO2 share from the solubility laws
                // at the eruption pressure and the gas's CO2 mole fraction.
                const double yG = row[4];
                const double y = yG / 0.044 / (yG / 0.044 + (1.0 - yG) / 0.018);
                const double d1 = C1 * std::pow(P, n1) * (1.0 - y), d2 = C2 * std::pow(P, n2) * y;
                co2 += row[2] * d2 / (d1 + d2) + row[3] * yG;
            }
        }
        const double* last = &s.rows[(n - 1) * kEruptionSequenceRowSize];
        // Melt and crystals (crystals grow from the melt), then each volatile.
        EXPECT_NEAR(last[6] + last[7] + melt, 1000.0 * (1.0 - c.w), 1e-9);
        EXPECT_NEAR(last[9] - last[6] - last[7] + volatiles, 1000.0 * c.w, 1e-9);
        EXPECT_NEAR(m.mv + m.mvCO2, last[9] - last[6] - last[7], 1e-9);
        if (c.fluid == kChamberFluidH2OCO2) {
            EXPECT_NEAR(m.mvCO2 + co2, 1000.0 * c.w * c.x, 1e-9);
        }
        // The cavity stays.
        for (double v : s.V0) EXPECT_EQ(v, s.V0.front());
    }
}

TEST(ChamberEruptions, StatesOutsideTheModelsAreRefused) {
    struct Case {
        const char* name;
        double P0, T, w;
        const char* says;
    };
    const Case cases[] = {{"20 kbar", 2e9, 0.0, 0.04, "initial pressure of 20000 bar"},
                          {"100 kbar", 1e10, 0.0, 0.04, "initial pressure"},
                          {"1 bar", 1e5, 0.0, 0.04, "initial pressure of 1 bar"},
                          {"user melt at 300 K", 1e8, 300.0, 0.04, "temperature of 300 K"},
                          {"user melt at 2500 K", 1e8, 2500.0, 0.04, "temperature of 2500 K"},
                          {"50 wt % volatiles", 1e8, 0.0, 0.5, "gas by volume"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int eos : {0, 1}) {
            TaitJaupart m;
            m.useEOS = eos;
            m.setMagmaType(c.T > 0 ? kChamberMeltUser : kChamberMelt2700);
            m.setFluid(kChamberFluidH2O, 0.0);
            if (c.T > 0) m.T = c.T;
            EXPECT_FALSE(m.setInitialData(1000.0, c.P0, 0.0, c.w, 0.0));
            EXPECT_EQ(m.configured, 0);
            EXPECT_NE(m.message.find(c.says), std::string::npos) << m.message;
        }
    }
    // The edges of the ranges are accepted.
    for (double P0 : {TaitJaupart::kMinPressure, TaitJaupart::kMaxPressure}) {
        TaitJaupart m;
        m.useEOS = 1;
        m.setMagmaType(kChamberMelt2300);
        m.setFluid(kChamberFluidH2O, 0.0);
        EXPECT_TRUE(m.setInitialData(1000.0, P0, 0.0, 0.001, 0.0)) << m.message;
    }
    // Crystallising from just inside the top of the range: the states it
    // reaches above kMaxPressure are refused and leave no row; those below
    // are kept, in order, all within the range.  A sequence that would erupt
    // above the range ends at once: that overpressure is not reached in it.
    for (int eos : {0, 1}) {
        for (double P0 : {4.5e8, TaitJaupart::kMaxPressure}) {
            TaitJaupart m;
            m.useEOS = eos;
            m.setMagmaType(kChamberMelt2700);
            m.setFluid(kChamberFluidH2O, 0.0);
            ASSERT_TRUE(m.setInitialData(1000.0, P0, 0.0, 0.12, 0.0)) << m.message;
            std::vector<double> rows;
            const int n = m.calculateCrystallizationCurve(0.0, 0.5, 6, nullptr, &rows);
            ASSERT_GT(n, 0);
            EXPECT_LT(n, 501);  // the pressure rises past 5000 bar before half crystals
            for (int r = 0; r < n; ++r) EXPECT_LE(rows[r * kCrystallizationCurveRowSize + 7], 5000.0 * (1 + 1e-12));
            EXPECT_EQ(m.calculateOverpressure(0.5), kSolverAboveMax);
            EXPECT_NE(m.message.find("above the 5000 bar"), std::string::npos) << m.message;
            rows.clear();
            EXPECT_EQ(m.calculateEruptionSequence(5000e5 - P0 + 1e5, &rows),
                      EruptionSequenceEnd::overpressureNotReached);
            EXPECT_TRUE(rows.empty());
            EXPECT_NE(m.message.find("would erupt at"), std::string::npos) << m.message;
        }
    }
}

TEST(ChamberEruptions, TabulatedGasPrintsTheSameSequence) {
    // The eruption table as the application prints it, with the gas volumes
    // from the tabulated isotherm and from the equations of state at every
    // pressure: the same digits.
    auto table = [](const std::vector<double>& rows) {
        std::string text;
        char line[160];
        for (std::size_t r = 0; r + kEruptionSequenceRowSize <= rows.size(); r += kEruptionSequenceRowSize) {
            const double* v = &rows[r];
            std::snprintf(line, sizeof line, "%12.3lf %12.3lf %12.2lf %12.2lf %12.2lf\n", v[9] * 0.01,
                          v[1] * 10.0, v[6] * 0.01, 100.0 * v[5], 100.0 * v[4]);
            text += line;
        }
        return text;
    };
    struct Case {
        int fluid;
        double P0, w, x, dP;
    };
    for (const Case c : {Case{kChamberFluidH2O, 1.5e8, 0.04, 0.0, 1e5}, Case{kChamberFluidH2O, 1e8, 0.04, 0.0, 50e5},
                         Case{kChamberFluidH2OCO2, 1e8, 0.03, 0.2, 5e5}}) {
        SCOPED_TRACE(testing::Message() << "fluid " << c.fluid << " dP " << c.dP);
        std::string printed[2];
        for (int tabulate : {0, 1}) {
            TaitJaupart m;
            m.useEOS = 1;
            m.tabulateGas = tabulate;
            m.setMagmaType(kChamberMelt2700);
            m.setFluid(c.fluid, c.x);
            ASSERT_TRUE(m.setInitialData(1000.0, c.P0, 0.0, c.w, c.x)) << m.message;
            std::vector<double> rows;
            EXPECT_EQ(m.calculateEruptionSequence(c.dP, &rows), EruptionSequenceEnd::halfCrystallised);
            printed[tabulate] = table(rows);
        }
        EXPECT_GT(printed[0].size(), 0u);
        EXPECT_EQ(printed[1], printed[0]);
    }
}
