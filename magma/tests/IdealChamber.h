#pragma once
// A chamber of 1000 kg at 1000 bar in the 2700 kg/m3 melt, on ideal gas, with
// the elastic moduli of the independent reference (ChamberReference.h); and
// the same chamber on either gas, in that melt or in a user melt.
#include <gtest/gtest.h>

#include <memory>

#include "magma/TaitJaupart.h"

inline std::unique_ptr<TaitJaupart> idealChamber(int fluid, double X, double w, double x = 0.0) {
    auto m = std::make_unique<TaitJaupart>();
    m->useEOS = 0;
    m->setMagmaType(kChamberMelt2700);
    m->setFluid(fluid, x);
    EXPECT_TRUE(m->setInitialData(1000.0, 1e8, X, w, x)) << m->message;
    m->mu = m->beta = 1e10;
    return m;
}

// useEOS: 1 gas densities from the equations of state, 0 ideal gas; sa > 0:
// a user melt (2700 kg/m3, 1473 K) that dissolves the volatile as sa·P.
inline void configureChamber(TaitJaupart& m, int useEOS, int fluid, double w, double x, double sa) {
    m.useEOS = useEOS;
    m.setMagmaType(sa > 0 ? kChamberMeltUser : kChamberMelt2700);
    m.setFluid(fluid, x);
    if (sa > 0) {
        m.sa = sa;
        m.na = 1.0;
    }
    ASSERT_TRUE(m.setInitialData(1000.0, 1e8, 0.0, w, x)) << m.message;
    m.mu = m.beta = 1e10;
}
