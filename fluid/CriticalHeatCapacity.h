#pragma once
// Whether a model's isochoric heat capacity diverges at its critical point.
#include <cmath>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/KeptFields.h"

// True where the model's cv diverges at the critical point it stands at
// (T, V), as a real fluid's does (cv ~ t^-alpha, alpha near 0.11; IAPWS-95
// carries it in its non-analytic terms): its value at the point is then only
// that of the last digits of T and V.  An analytic equation's cv on the
// critical isochore tends to a finite limit as t = T / Tc - 1 goes to 0,
// changing by O(t) of itself (0.3 to 0.5 % from t = 1e-4 to 1e-6 for the
// water and nitrogen equations without those terms); a divergent one keeps
// rising (IAPWS-95: from 119 to 183 J/(mol K)).  The model is left at its
// state with the values it held.
inline bool isochoricHeatCapacityDivergesAtCriticalPoint(FluidPhase& m) {
    const double Tc = m.T, Vc = m.V;
    if (!(Tc > 0.0) || !(Vc > 0.0)) return false;
    const KeptFields kept(m);
    double* const values[] = {&m.Z,    &m.A,    &m.U,    &m.H,     &m.S,     &m.G,          &m.Cv,
                              &m.Cp,   &m.dPdT, &m.dPdV, &m.dVdT,  &m.dHdTv, &m.soundSpeed, &m.jouleThomson,
                              &m.dZdT, &m.dZdV, &m.dZdP};
    double held[std::size(values)];
    for (std::size_t k = 0; k < std::size(values); ++k) held[k] = *values[k];
    const std::vector<double> fugacity = m.fugacity, fugcoef = m.fugcoef;
    auto cvAbove = [&](double t) {
        m.temperature(Tc * (1.0 + t));
        m.volume(Vc);
        m.errorflag = 0;
        m.calculate_state_functions();
        return m.errorflag ? std::nan("") : m.Cv;
    };
    const double far = cvAbove(1e-4), near = cvAbove(1e-6);
    // The model's own values at its state again (its kept parameters of T
    // and V with them).
    m.temperature(Tc);
    m.volume(Vc);
    m.errorflag = 0;
    m.calculate_pressure();
    m.calculate_state_functions();
    for (std::size_t k = 0; k < std::size(values); ++k) *values[k] = held[k];
    m.fugacity = fugacity;
    m.fugcoef = fugcoef;
    return far > 0.0 && near > 1.1 * far;
}
