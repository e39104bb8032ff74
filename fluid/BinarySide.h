#pragma once
// One phase of a two- or three-phase evaluation of a binary mixture on one
// fluid model: the model evaluated as `kind` (1 vapour, 2 liquid) at the mole
// fraction z of component 1 and the molar volume V, with the derivatives that
// the equilibrium Jacobians and tangents need, taken at constant volume from
// those at constant pressure that calculate_fugacities gives:
//   (df_i/dz)_V = (df_i/dx1)_P - (df_i/dx0)_P - ((dV/dx1)_P - (dV/dx0)_P) (df_i/dV)
//   (dP/dz)_V   = (dP/dx1)_V - (dP/dx0)_V
//   (df_i/dT)_V = (df_i/dT)_P - (df_i/dV) (dV/dT)_P
#include <cmath>
#include <vector>

#include "fluid/FluidPhase.h"

namespace binary_side {

struct Side {
    double f[2] = {0, 0};      // fugacities, Pa
    double fV[2] = {0, 0};     // (df_i/dV)_T,x
    double fz[2] = {0, 0};     // (df_i/dz)_T,V
    double fT[2] = {0, 0};     // (df_i/dT)_V,x
    double lnphi[2] = {0, 0};  // ln of the fugacity coefficients
    double P = 0;              // Pa
    double PV = 0;             // (dP/dV)_T,x
    double Pz = 0;             // (dP/dz)_T,V
    double PT = 0;             // (dP/dT)_V,x
};

// Evaluates the model; false when it fails there or gives a non-finite
// value.  errorflag is left as it was (a failed trial is the solver's
// business).  Ts > 0 sets the temperature first.
inline bool evaluate(FluidPhase& p, int kind, double z, double Vs, double Ts, Side& s) {
    p.set_the_phase_as(kind);
    p.composition_of_component(0, 1.0 - z);
    p.composition_of_component(1, z);
    if (Ts > 0.0) p.temperature(Ts);
    p.volume(Vs);
    const short saved = p.errorflag;
    p.errorflag = 0;
    p.calculate_pressure();
    if (p.errorflag == 0) p.calculate_fugacities();
    const bool ok = p.errorflag == 0;
    p.errorflag = saved;
    if (!ok) return false;
    const double Vz = p.dVdx[1] - p.dVdx[0];
    bool finite = std::isfinite(p.P) && std::isfinite(p.dPdV) && std::isfinite(p.dPdT);
    for (int i = 0; i < 2; i++) {
        s.f[i] = p.fugacity[i];
        s.fV[i] = p.dfugacitydV[i];
        s.fz[i] = p.dfugacitydx[i][1] - p.dfugacitydx[i][0] - Vz * p.dfugacitydV[i];
        s.fT[i] = p.dfugacitydT[i] - p.dfugacitydV[i] * p.dVdT;
        s.lnphi[i] = std::log(p.fugcoef[i]);
        finite = finite && std::isfinite(s.f[i]) && std::isfinite(s.fV[i]) && std::isfinite(s.fz[i]) &&
                 std::isfinite(s.fT[i]);
    }
    s.P = p.P;
    s.PV = p.dPdV;
    s.Pz = p.dPdx[1] - p.dPdx[0];
    s.PT = p.dPdT;
    return finite;
}

inline void ensureVector(std::vector<double>& v, int n) {
    if (v.size() != static_cast<std::size_t>(n)) v.assign(static_cast<std::size_t>(n), 0.0);
}

inline void storeFraction(std::vector<double>& v, double z) {
    ensureVector(v, 2);
    v[0] = 1.0 - z;
    v[1] = z;
}

}  // namespace binary_side
