#pragma once
// One phase of a two- or three-phase evaluation of a binary mixture on one
// fluid model: the model evaluated as `kind` (1 vapour, 2 liquid) at the mole
// fraction z of component 1 and the molar volume V, with the derivatives that
// the equilibrium Jacobians and tangents need, taken at constant volume from
// those at constant pressure that calculate_fugacities gives:
//   (df_i/dz)_V = (df_i/dx1)_P - (df_i/dx0)_P - ((dV/dx1)_P - (dV/dx0)_P) (df_i/dV)
//   (dP/dz)_V   = (dP/dx1)_V - (dP/dx0)_V
//   (df_i/dT)_V = (df_i/dT)_P - (df_i/dV) (dV/dT)_P
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/TrialEvaluation.h"
#include "numerics/Newton.h"
#include "platform/LogSink.h"

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

// Mole fraction x1 of component 1, 1 - x1 of component 0.
inline void setComposition(FluidPhase& p, double x1) {
    p.composition_of_component(0, 1.0 - x1);
    p.composition_of_component(1, x1);
}

// Evaluates the model; false when it fails there or gives a non-finite
// value.  errorflag is left as it was (a failed trial is the solver's
// business).  Ts > 0 sets the temperature first.
inline bool evaluate(FluidPhase& p, int kind, double z, double Vs, double Ts, Side& s) {
    p.set_the_phase_as(kind);
    setComposition(p, z);
    if (Ts > 0.0) p.temperature(Ts);
    p.volume(Vs);
    if (!trialEvaluation(p, &FluidPhase::calculate_pressure, &FluidPhase::calculate_fugacities)) return false;
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

// A phase of the binary at (z, V) is locally stable: its Helmholtz energy is
// convex in V and z, A_VV = -(dP/dV) > 0 and A_VV A_zz - A_zV^2 > 0 with
// A_zz = RT d ln(f1/f0)/dz and A_zV = -dP/dz at constant volume.  The states
// of a tie line are; a near-trivial root of the equal-fugacity equations
// near a spinodal holds a phase beyond it.  The model is left at (z, V).
// The test of a side already evaluated at temperature T (K).
inline bool locallyStable(const Side& s, double T) {
    if (!(s.f[0] > 0.0 && s.f[1] > 0.0)) return -s.PV > 0.0;  // a pure phase
    const double Azz = FluidPhase::R * T * (s.fz[1] / s.f[1] - s.fz[0] / s.f[0]);
    return -s.PV > 0.0 && -s.PV * Azz - s.Pz * s.Pz > 0.0;
}

inline bool locallyStable(FluidPhase& p, int kind, double z, double Vs) {
    Side s;
    return evaluate(p, kind, z, Vs, 0.0, s) && locallyStable(s, p.T);
}

// Both phases of a tie line held by two models of the binary (the first at
// x, Vl, the second at y, Vv, each as the kind of phase it is) locally
// stable; each model is left at its state.
inline bool stableTieLine(FluidPhase& l, FluidPhase& v, double x, double Vl, double y, double Vv) {
    return locallyStable(l, l.phase_kind, x, Vl) && locallyStable(v, v.phase_kind, y, Vv);
}

// Opens the output file of a traced curve; null, with the message "<curve>:
// <path> cannot be opened for writing" and errorflag 1, when it cannot be.
inline std::FILE* openCurveFile(FluidPhase& p, const char* path, const char* curve) {
    std::FILE* f = path ? std::fopen(path, "w") : nullptr;
    if (!f) {
        platform::diagf("%s: %s cannot be opened for writing\n", curve, path ? path : "(no name)");
        p.errorflag = 1;
    }
    return f;
}

// The start of a locus of special points traced over model parameter i2
// while parameter i1 is adjusted to find each point: the present state is
// the first stored point, both parameters take their starting values.
inline void startParameterLocus(FluidPhase& p, int i1, int i2, double p1, double p2) {
    p.tri_T = p.T;
    p.tri_V = p.V;
    p.tri_x = p.x[1];
    p.tri_i1 = i1;
    p.tri_i2 = i2;
    p.tri_p1 = p.tri_p1_start = p1;
    p.tri_p2 = p2;
    p.setModelParameter(i1, p1);
    p.setModelParameter(i2, p2);
}

// The binary-mixture routines refuse a mixture of another size: a message,
// errorflag set, and true.
inline bool refuseNonBinary(FluidPhase& p) {
    if (p.component_count == 2) return false;
    platform::diagf("Works only for binary fluids\n");
    p.errorflag = 1;
    return true;
}

// The same refusal for the tracers of double and tricritical points, which
// also report it through `error`.
inline bool refuseNonBinaryLocus(FluidPhase& p) {
    if (!refuseNonBinary(p)) return false;
    p.error = 1;
    return true;
}

inline void ensureVector(std::vector<double>& v, int n) {
    if (v.size() != static_cast<std::size_t>(n)) v.assign(static_cast<std::size_t>(n), 0.0);
}

inline void storeFraction(std::vector<double>& v, double z) {
    ensureVector(v, 2);
    v[0] = 1.0 - z;
    v[1] = z;
}

// Row-scaled residual modulus, as the solver measures it.
inline double scaledModulus(const double* G, double* const* J, int n) {
    double mod = 0.0;
    for (int i = 0; i < n; ++i) {
        double row = std::fabs(G[i]);
        for (int j = 0; j < n; ++j) row += std::fabs(J[i][j]);
        mod += row > 0.0 ? std::fabs(G[i]) / row : std::fabs(G[i]);
    }
    return mod;
}

// One more Newton step from a converged point.  The solver stops when its
// row-scaled residual is below its tolerance; the rows of a liquid are
// dominated by its (dP/dV), some 1e13 Pa mol/m3, so fugacities and
// pressures may still differ by parts in 1e7.  The step the solver computed
// there (dx) brings them to rounding; it is kept when the residual does not
// grow, otherwise the converged point is evaluated again (so that the model
// holds its volumes and compositions).
inline void polish(Newton& s) {
    constexpr int kMost = 8;
    if (s.status != 0 || s.n > kMost) return;
    const int n = s.n;
    double xp[kMost], Gp[kMost], rows[kMost][kMost];
    double* Jp[kMost];
    for (int i = 0; i < kMost; ++i) Jp[i] = rows[i];
    for (int i = 0; i < n; ++i) {
        xp[i] = s.x[i] + s.dx[i];
        if (s.bounded && s.bounded[i]) xp[i] = std::clamp(xp[i], s.lo[i], s.hi[i]);
    }
    int err = 0;
    s.calculate(xp, Gp, Jp, err, 1);
    if (err == 0) {
        const double mod = scaledModulus(Gp, Jp, n);
        if (std::isfinite(mod) && mod <= s.modG0) {
            for (int i = 0; i < n; ++i) s.x[i] = xp[i];
            s.modG0 = mod;
            return;
        }
    }
    s.calculate(s.x, Gp, Jp, err, 1);
}

// Solves the system from the solver's start and polishes the converged point;
// the phase's error flag is set when the solver failed.  True on convergence.
inline bool solvePolished(FluidPhase& p, Newton& s) {
    p.errorflag = 0;
    s.solve();
    polish(s);
    if (s.status != 0) p.errorflag = 1;
    return s.status == 0;
}

// A saturation point's solve: the converged (or last) volumes become the
// starting volumes of the next point.
inline void finish(FluidPhase& p, Newton& s) {
    solvePolished(p, s);
    p.Vl0 = p.Vl_sat;
    p.Vv0 = p.Vv_sat;
}

}  // namespace binary_side
