#pragma once
// A chamber of 1000 kg at 1000 bar in the 2700 kg/m3 melt, on ideal gas, with
// the elastic moduli of the independent reference (ChamberReference.h).
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
