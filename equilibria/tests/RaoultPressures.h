#pragma once
// Vapour pressures of the Raoult-law test mixtures: CO2 by the Clausius-
// Clapeyron law through its critical point and (185 K, 1 atm), propane by
// Antoine's law.
#include "fluid/PsatCorr.h"

inline double PsatCO2(double T) {
    Clapeyron c;
    c.set_constants(304.21, 7382500.0, 185.0, 101325.0);
    return c.Psat(T);
}
inline double PsatC3(double T) {
    Antoine a;
    a.set_constants(6.84343, 818.54, 248.677);
    return a.Psat(T);
}
