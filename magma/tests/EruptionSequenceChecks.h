#pragma once
// Checks of an eruption sequence against the chamber model's end at half
// crystals: every eruption happens at a crystal fraction of at most one half,
// and after the last one the overpressure dP is not reached before one half.
#include <gtest/gtest.h>

#include <vector>

#include "magma/TaitJaupart.h"

// rows: the sequence's output, started from a chamber of 1000 kg; m: the model
// after the sequence (holding the initial state after the last eruption).
inline void expectSequenceEndsAtHalfCrystals(TaitJaupart& m, const std::vector<double>& rows, double dP) {
    double massBefore = 1000.0;
    for (std::size_t r = 0; r < rows.size(); r += kEruptionSequenceRowSize) {
        // mc0 after an eruption is the crystal mass at which it happened.
        EXPECT_LE(rows[r + 6] / massBefore, 0.5 + 1e-12) << "eruption " << r / kEruptionSequenceRowSize + 1;
        massBefore = rows[r + 9];
    }
    // From the crystal fraction left by the last eruption to one half, the
    // overpressure stays below dP.
    for (double X = m.mc0 / m.M; X <= 0.5; X += 0.005) {
        if (m.calculateOverpressure(X) != 0) continue;
        EXPECT_LT(m.P - m.P0, dP) << "X " << X;
    }
}
