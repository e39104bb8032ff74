// The chamber model's curves and eruption sequence on ideal gas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "magma/TaitJaupart.h"
#include "magma/tests/EruptionSequenceChecks.h"
#include "magma/tests/IdealChamber.h"
#include "numerics/DataTextFile.h"
#include "numerics/Solver.h"

namespace {

bool allFinite(const std::vector<double>& v) {
    for (double d : v)
        if (!std::isfinite(d)) return false;
    return true;
}

}  // namespace

TEST(ChamberCurves, SolubilityCurve) {
    auto m = idealChamber(kChamberFluidH2O, 0.0, 0.01);
    std::vector<double> rows = {-1.0};  // appended to, never cleared
    ASSERT_EQ(m->calculateSolubilityCurve(0, 0, 0, 6, nullptr, &rows), 300);
    ASSERT_EQ(rows.size(), 1 + 300 * kSolubilityCurvePointSize);
    EXPECT_EQ(rows[0], -1.0);
    EXPECT_DOUBLE_EQ(rows[2], 1.0);      // first pressure, bar
    EXPECT_DOUBLE_EQ(rows[600], 2991.0);  // last pressure, bar
    const double C = 6.8e-8 * std::pow(1e8 + 1e5, 0.7);
    EXPECT_DOUBLE_EQ(rows[1 + 100 * 2], 100 * C / (C + 1));

    auto mix = idealChamber(kChamberFluidH2OCO2, 0.0, 0.02, 0.5);
    rows.clear();
    ASSERT_EQ(mix->calculateSolubilityCurve(0.0, 0.02, 0.5, 6, nullptr, &rows), 200);
    ASSERT_EQ(rows.size(), 400u);
    EXPECT_DOUBLE_EQ(rows[399], 1991.0);
    for (std::size_t i = 2; i < rows.size(); i += 2) EXPECT_GT(rows[i], rows[i - 2]);  // rising with P

    // Any other mode computes but hands nothing back.
    rows.clear();
    EXPECT_EQ(m->calculateSolubilityCurve(0, 0, 0, 3, nullptr, &rows), 300);
    EXPECT_TRUE(rows.empty());
}

TEST(ChamberCurves, CrystallisationSweepReachesItsEnd) {
    auto m = idealChamber(kChamberFluidH2O, 0.0, 0.04);
    std::vector<double> rows;
    ASSERT_EQ(m->calculateCrystallizationCurve(0.0, 0.1, 6, nullptr, &rows), 101);
    ASSERT_EQ(rows.size(), 101u * kCrystallizationCurveRowSize);
    const double* last = &rows[100 * kCrystallizationCurveRowSize];
    EXPECT_DOUBLE_EQ(last[0], 10.0);  // crystals, % of M
    EXPECT_NEAR(rows[7], 1000.0, 1e-6);  // first row at P0
    EXPECT_NEAR(last[7], 1052.97, 0.005);
    EXPECT_NEAR(last[0] + last[1] + last[2] + last[3], 100.0, 1e-9);
    EXPECT_NEAR(last[4] + last[5] + last[6], 100.0, 1e-7);
    EXPECT_DOUBLE_EQ(last[8], 1000.0 / std::pow(0.9, 1 / 0.7));
    EXPECT_DOUBLE_EQ(m->mc, 100.0);  // the state of the last step

    // Falling, single-step and uneven sweeps.
    rows.clear();
    EXPECT_EQ(m->calculateCrystallizationCurve(0.1, 0.0, 6, nullptr, &rows), 101);
    EXPECT_DOUBLE_EQ(rows[rows.size() - kCrystallizationCurveRowSize], 0.0);
    EXPECT_EQ(m->calculateCrystallizationCurve(0.05, 0.05, 6, nullptr, &rows), 1);
    rows.clear();
    EXPECT_EQ(m->calculateCrystallizationCurve(0.0, 0.0105, 6, nullptr, &rows), 12);
    EXPECT_DOUBLE_EQ(rows[rows.size() - kCrystallizationCurveRowSize], 1.05);

    // Other modes write nothing.
    rows.clear();
    EXPECT_EQ(m->calculateCrystallizationCurve(0.0, 0.01, 2, nullptr, &rows), 11);
    EXPECT_TRUE(rows.empty());
}

TEST(ChamberCurves, CrystallisationCurveIgorFileReadsBack) {
    auto m = idealChamber(kChamberFluidH2O, 0.0, 0.04);
    std::remove("crysta.txt");
    std::vector<double> rows;
    ASSERT_EQ(m->calculateCrystallizationCurve(0.0, 0.02, 6, nullptr, &rows), 21);
    ASSERT_EQ(m->calculateCrystallizationCurve(0.0, 0.02, 1, "_a", nullptr), 21);
    {
        std::FILE* f = std::fopen("crysta.txt", "r");
        ASSERT_NE(f, nullptr);
        char line[256], expected[256];
        ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
        EXPECT_STREQ(line, "IGOR\n");
        ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
        std::snprintf(expected, sizeof expected, "WAVES %5s_a %11s_a %11s_a %11s_a %11s_a %11s_a %11s_a %11s_a %11s_a\n",
                      "mc", "ml", "mg", "md", "Vl", "Vg", "Vc", "P", "Pa");
        EXPECT_STREQ(line, expected);
        ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
        ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);  // first row, "%12lf " each
        std::snprintf(expected, sizeof expected, "%12lf %12lf %12lf %12lf %12lf %12lf %12lf %12lf %12lf \n", rows[0],
                      rows[1], rows[2], rows[3], rows[4], rows[5], rows[6], rows[7], rows[8]);
        EXPECT_STREQ(line, expected);
        std::fclose(f);
    }
    DataTextFile file("crysta.txt");
    ASSERT_EQ(file.set_index("mc_a ml_a mg_a md_a Vl_a Vg_a Vc_a P_a Pa_a"), 9);
    std::size_t n = 0;
    while (file.read()) {
        for (int k = 0; k < 9; ++k) {
            double v = 0;
            file >> v;
            EXPECT_NEAR(v, rows[n * 9 + k], 1e-6 * std::fmax(1.0, std::fabs(v)));
        }
        ++n;
    }
    EXPECT_FALSE(file.failed());
    EXPECT_EQ(n, 21u);
}

TEST(ChamberCurves, EruptionSequenceRunsToHalfCrystals) {
    struct Case {
        int fluid;
        double w, x;
        double sa;  // > 0: a user-defined melt with this solubility factor, exponent 1
    };
    // CO2 released by crystallisation fills sa·R·T/Mg per kg of crystals at any
    // pressure, far less than the crystals shrink by in the two standard melts;
    // a melt dissolving a hundred times more CO2 does build overpressure.
    for (const Case c : {Case{kChamberFluidH2O, 0.04, 0.0, 0.0}, Case{kChamberFluidH2O, 0.02, 0.0, 0.0},
                         Case{kChamberFluidCO2, 0.06, 0.0, 5e-10}, Case{kChamberFluidH2OCO2, 0.03, 0.2, 0.0}}) {
        SCOPED_TRACE(testing::Message() << "fluid " << c.fluid << " w " << c.w);
        auto m = std::make_unique<TaitJaupart>();
        m->useEOS = 0;
        m->setMagmaType(c.sa > 0 ? kChamberMeltUser : kChamberMelt2700);
        m->setFluid(c.fluid, c.x);
        if (c.sa > 0) {
            m->sa = c.sa;
            m->na = 1.0;
        }
        ASSERT_TRUE(m->setInitialData(1000.0, 1e8, 0.0, c.w, c.x)) << m->message;
        std::vector<double> rows;
        const EruptionSequenceEnd end = m->calculateEruptionSequence(50e5, &rows);
        EXPECT_EQ(end, EruptionSequenceEnd::halfCrystallised) << eruptionSequenceEndText(end);
        ASSERT_FALSE(rows.empty());
        ASSERT_EQ(rows.size() % kEruptionSequenceRowSize, 0u);
        EXPECT_TRUE(allFinite(rows));
        double previousM = 1000.0;
        for (std::size_t r = 0; r < rows.size(); r += kEruptionSequenceRowSize) {
            const double* row = &rows[r];
            EXPECT_GT(row[0], 0.0);  // erupted volume
            // What left the chamber is what it lost.
            EXPECT_NEAR(previousM - row[9], row[1] + row[2] + row[3], 1e-9 * previousM);
            previousM = row[9];
        }
        expectSequenceEndsAtHalfCrystals(*m, rows, 50e5);
        EXPECT_NEAR(m->mc0 + m->ml0 + m->mv + m->mvCO2, m->M, 1e-9);
        if (c.fluid != kChamberFluidH2OCO2) {
            EXPECT_EQ(m->mvCO2, 0.0);
            for (std::size_t r = 0; r < rows.size(); r += kEruptionSequenceRowSize) EXPECT_EQ(rows[r + 4], 0.0);
        }
    }
}

TEST(ChamberCurves, OverpressureBeyondHalfCrystalsMakesNoEruption) {
    // Whichever search finds the crystal fraction of the overpressure, one
    // found beyond one half makes no eruption.
    struct Case {
        double P0, w, dP;
        bool secantFindsIt;  // the secant converges (beyond one half); else it fails and the scan decides
    };
    for (const Case c : {Case{1e8, 0.03, 500e5, true}, Case{1e8, 0.015, 50e5, false}, Case{1.5e8, 0.02, 50e5, false}}) {
        SCOPED_TRACE(testing::Message() << "P0 " << c.P0 << " w " << c.w << " dP " << c.dP);
        auto m = std::make_unique<TaitJaupart>();
        m->useEOS = 0;
        m->setMagmaType(kChamberMelt2700);
        m->setFluid(kChamberFluidH2O, 0.0);
        ASSERT_TRUE(m->setInitialData(1000.0, c.P0, 0.0, c.w, 0.0)) << m->message;
        int status = -1;
        const double X = m->calculateCrystallizationForOverpressure(c.dP, &status);
        if (c.secantFindsIt) {
            ASSERT_EQ(status, 0);
            EXPECT_GT(X, 0.5);
            EXPECT_NEAR(m->P - m->P0, c.dP, 1e-6 * c.dP);
        } else {
            EXPECT_NE(status, 0);
        }
        // The overpressure is reached, but only beyond one half.
        ASSERT_EQ(m->calculateOverpressure(0.9), 0);
        EXPECT_GT(m->P - m->P0, c.dP);
        std::vector<double> rows;
        EXPECT_EQ(m->calculateEruptionSequence(c.dP, &rows), EruptionSequenceEnd::overpressureNotReached);
        EXPECT_TRUE(rows.empty());
        expectSequenceEndsAtHalfCrystals(*m, rows, c.dP);
    }
    // After eruptions, the next overpressure beyond one half ends the sequence
    // at half crystals, on either path.
    for (const double dP : {50e5, 200e5}) {
        SCOPED_TRACE(testing::Message() << "dP " << dP);
        auto m = idealChamber(kChamberFluidH2O, 0.0, 0.04);
        std::vector<double> rows;
        EXPECT_EQ(m->calculateEruptionSequence(dP, &rows), EruptionSequenceEnd::halfCrystallised);
        EXPECT_FALSE(rows.empty());
        expectSequenceEndsAtHalfCrystals(*m, rows, dP);
    }
}

TEST(ChamberCurves, EruptionSequenceStopsAndSaysWhy) {
    // Already half crystals: no eruption.
    auto m = idealChamber(kChamberFluidH2O, 0.5, 0.01);
    std::vector<double> rows;
    EXPECT_EQ(m->calculateEruptionSequence(50e5, &rows), EruptionSequenceEnd::halfCrystallised);
    EXPECT_TRUE(rows.empty());

    // 1 wt % H2O: the pressure falls as the denser crystals grow and does not
    // climb back 50 bar above P0 before half of the mass is crystals.
    m = idealChamber(kChamberFluidH2O, 0.0, 0.01);
    EXPECT_EQ(m->calculateEruptionSequence(50e5, &rows), EruptionSequenceEnd::overpressureNotReached);
    EXPECT_TRUE(rows.empty());

    // No overpressure to reach (zero, negative, not a number): refused at
    // once, without thousands of empty eruptions.
    for (double dP : {0.0, -10e5, std::nan("")}) {
        m = idealChamber(kChamberFluidH2O, 0.0, 0.04);
        testing::internal::CaptureStderr();
        const EruptionSequenceEnd end = m->calculateEruptionSequence(dP, &rows);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(end, EruptionSequenceEnd::notConfigured) << dP;
        EXPECT_NE(m->message.find("must be positive"), std::string::npos) << m->message;
        EXPECT_TRUE(rows.empty());
    }

    // The caller is told after each eruption, with the crystal fraction of
    // the row written, and may stop the sequence, keeping the rows so far.
    m = idealChamber(kChamberFluidH2O, 0.0, 0.04);
    rows.clear();
    std::vector<double> told;
    ASSERT_EQ(m->calculateEruptionSequence(50e5, &rows, [&](int n, double X) {
        told.push_back(X);
        EXPECT_EQ(n, static_cast<int>(told.size()));
        return true;
    }), EruptionSequenceEnd::halfCrystallised);
    ASSERT_EQ(told.size(), rows.size() / kEruptionSequenceRowSize);
    for (std::size_t i = 0; i < told.size(); ++i)
        EXPECT_DOUBLE_EQ(told[i], rows[i * kEruptionSequenceRowSize + 6] / rows[i * kEruptionSequenceRowSize + 9]);
    ASSERT_GT(told.size(), 3u);
    const std::vector<double> all = rows;
    m = idealChamber(kChamberFluidH2O, 0.0, 0.04);
    rows.clear();
    EXPECT_EQ(m->calculateEruptionSequence(50e5, &rows, [](int n, double) { return n < 3; }),
              EruptionSequenceEnd::cancelled);
    EXPECT_EQ(rows, std::vector<double>(all.begin(), all.begin() + 3 * kEruptionSequenceRowSize));

    // A volatile-free chamber: no gas, no dissolved volatile, fractions stay 0.
    m = idealChamber(kChamberFluidH2OCO2, 0.0, 0.0, 0.0);
    rows.clear();
    m->calculateEruptionSequence(50e5, &rows);
    EXPECT_TRUE(allFinite(rows));
}

TEST(ChamberCurves, CurvesAndSequencesArePerThousandKilogramsWhateverTheMass) {
    // The chamber's equations are homogeneous in its masses: a chamber of any
    // mass, with the same fractions, gives the rows of 1000 kg.
    for (double mass : {1e-3, 1.0, 1e12}) {
        for (double x : {0.0, 0.2}) {
            const int fluid = x > 0.0 ? kChamberFluidH2OCO2 : kChamberFluidH2O;
            auto m = idealChamber(fluid, 0.0, 0.04, x);
            auto r = idealChamber(fluid, 0.0, 0.04, x);
            ASSERT_TRUE(m->setInitialData(mass, 1e8, 0.0, 0.04, x)) << m->message;
            std::vector<double> seq, curve, rseq, rcurve;
            ASSERT_EQ(m->calculateCrystallizationCurve(0.0, 0.1, 6, nullptr, &curve), 101) << mass;
            ASSERT_EQ(r->calculateCrystallizationCurve(0.0, 0.1, 6, nullptr, &rcurve), 101);
            const EruptionSequenceEnd end = m->calculateEruptionSequence(20e5, &seq);
            ASSERT_EQ(r->calculateEruptionSequence(20e5, &rseq), end) << mass;
            ASSERT_EQ(end, EruptionSequenceEnd::halfCrystallised) << mass << " " << x;
            ASSERT_GT(rseq.size(), 5u * kEruptionSequenceRowSize);
            ASSERT_EQ(seq.size(), rseq.size()) << mass;
            for (std::size_t i = 0; i < seq.size(); ++i)
                EXPECT_NEAR(seq[i], rseq[i], 1e-9 * std::fabs(rseq[i]) + 1e-15) << mass << " value " << i;
            for (std::size_t i = 0; i < curve.size(); ++i)
                EXPECT_NEAR(curve[i], rcurve[i], 1e-9 * std::fabs(rcurve[i]) + 1e-12) << mass << " value " << i;
            // The sequence ended because dP is not reached again before one
            // half: a second sequence on the same chamber, which goes on from
            // the state the first one left (per 1000 kg again), erupts nothing.
            seq.clear();
            EXPECT_EQ(m->calculateEruptionSequence(20e5, &seq), EruptionSequenceEnd::overpressureNotReached) << mass;
            EXPECT_TRUE(seq.empty());
            EXPECT_DOUBLE_EQ(m->M, 1000.0);
            EXPECT_NEAR(m->mc0 + m->ml0 + m->mv + m->mvCO2, 1000.0, 1e-9);
        }
    }
}

namespace {

int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::unique_ptr<TaitJaupart> waterChamber(double P0, double w, bool* accepted = nullptr) {
    auto m = std::make_unique<TaitJaupart>();
    m->useEOS = 0;
    m->setMagmaType(kChamberMelt2700);
    m->setFluid(kChamberFluidH2O, 0.0);
    const bool ok = m->setInitialData(1000.0, P0, 0.0, w, 0.0);
    if (accepted) *accepted = ok;
    m->mu = m->beta = 1e10;
    return m;
}

}  // namespace

TEST(ChamberCurves, LimitsPassedDuringCrystallisationAreSaid) {
    // Accepted at 73.4 % gas by volume (100 bar, 2 wt % water), the magma
    // exsolves gas as it crystallises and passes the 75 % at which it
    // fragments: said once, at the first row beyond, and the rows stay.
    {
        auto m = waterChamber(1e7, 0.02);
        ASSERT_LT(m->Vg0, 0.75 * m->V0);
        std::vector<double> rows;
        testing::internal::CaptureStderr();
        const int n = m->calculateCrystallizationCurve(0.0, 0.9, 6, nullptr, &rows);
        const std::string said = testing::internal::GetCapturedStderr();
        ASSERT_EQ(n, 901);
        EXPECT_EQ(occurrences(said, "at which a magma fragments"), 1) << said;
        int first = -1;
        for (int i = 0; i < n && first < 0; ++i)
            if (rows[i * kCrystallizationCurveRowSize + 5] > 75.0) first = i;
        ASSERT_GT(first, 0);
        char at[64];
        std::snprintf(at, sizeof at, "At crystal fraction %g ", rows[first * kCrystallizationCurveRowSize] / 100.0);
        EXPECT_NE(said.find(at), std::string::npos) << said;
    }
    // Rows whose chamber pressure lies above the solubility laws' 5000 bar
    // are left out, said once with their count, their crystal fractions and
    // the pressures the model computed there (rising with the crystals).
    {
        auto m = waterChamber(4.9e8, 0.09);
        std::vector<double> rows;
        testing::internal::CaptureStderr();
        const int n = m->calculateCrystallizationCurve(0.0, 0.5, 6, nullptr, &rows);
        const std::string said = testing::internal::GetCapturedStderr();
        ASSERT_GT(n, 0);
        ASSERT_LT(n, 501);
        EXPECT_NEAR(rows[(n - 1) * kCrystallizationCurveRowSize], 0.1 * (n - 1), 1e-9);  // the first n steps kept
        EXPECT_LE(rows[(n - 1) * kCrystallizationCurveRowSize + 7], 5000.0);
        const double firstOut = 0.001 * n;
        ASSERT_EQ(m->calculateOverpressure(firstOut), kSolverAboveMax);
        const double lowest = 1e-5 * m->P;
        ASSERT_EQ(m->calculateOverpressure(0.5), kSolverAboveMax);
        const double highest = 1e-5 * m->P;
        char expected[400];
        std::snprintf(expected, sizeof expected,
                      "%d of the 501 rows of the crystallisation curve (crystal fractions %g to 0.5) are left out: the "
                      "pressures the model computed there, %g to %g bar, lie above the 5000 bar to which the "
                      "solubility laws were calibrated.\n",
                      501 - n, firstOut, lowest, highest);
        EXPECT_EQ(occurrences(said, expected), 1) << said;
        EXPECT_EQ(occurrences(said, "left out"), 1) << said;
    }
    // Refused just above 75 %: the percentage printed is above 75 too.
    double lo = 0.02, hi = 0.03;  // accepted, refused
    testing::internal::CaptureStderr();
    for (int i = 0; i < 60; ++i) {
        bool ok = false;
        waterChamber(1e7, 0.5 * (lo + hi), &ok);
        (ok ? lo : hi) = 0.5 * (lo + hi);
    }
    testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    bool ok = true;
    waterChamber(1e7, hi, &ok);
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_FALSE(ok);
    const std::size_t at = said.find("would be ");
    ASSERT_NE(at, std::string::npos) << said;
    EXPECT_GT(std::strtod(said.c_str() + at + 9, nullptr), 75.0) << said;
}
