// Two-phase equilibrium of a binary mixture on one fluid model: the model is
// evaluated as a liquid (phase kind 2) at Vl and x1 = x and as a vapour
// (kind 1) at Vv and x1 = y, and the two evaluations are tied by equal
// fugacities of both components and equal (or given) pressures.
//
//   bubble point at T          unknowns Vl, Vv, y      (x given)
//   dew point at T             unknowns Vl, Vv, x      (y given)
//   dew point at P             unknowns Vl, Vv, x, T   (y given)
//   flash at T and P           unknowns Vl, Vv, x, y
//
// The Jacobians take the composition and temperature derivatives at constant
// volume from those at constant pressure that calculate_fugacities gives:
//   (df_i/dz)_V = (df_i/dx1)_P - (df_i/dx0)_P - ((dV/dx1)_P - (dV/dx0)_P) (df_i/dV)
//   (dP/dz)_V   = (dP/dx1)_V - (dP/dx0)_V
//   (df_i/dT)_V = (df_i/dT)_P - (df_i/dV) (dV/dT)_P
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "fluid/BinarySide.h"
#include "fluid/FluidPhase.h"
#include "numerics/LinearAlgebra.h"
#include "numerics/Newton.h"
#include "platform/LogSink.h"

using binary_side::evaluate;
using binary_side::finish;
using binary_side::polish;
using binary_side::refuseNonBinary;
using binary_side::Side;
using binary_side::storeFraction;

namespace {

// Liquid and vapour volumes that are positive, distinct by the relative
// amount `distinct` and in the right order.
bool distinctVolumes(double Vl, double Vv, double distinct) {
    return Vl > 0.0 && Vv > 0.0 && std::fabs((Vl - Vv) / Vl) >= distinct && Vl <= Vv;
}

bool fractionInRange(double z) { return z >= -1e-8 && z <= 1.00000001; }

void ensureTwoPhaseVectors(FluidPhase& p) {
    const auto n = static_cast<std::size_t>(p.component_count);
    if (p.x_liquid.size() != n) p.x_liquid.assign(n, 0.0);
    if (p.x_vapour.size() != n) p.x_vapour.assign(n, 0.0);
}

// Pressure field after an evaluation with an offset d between the phases.
void pressureWithOffset(FluidPhase& p, const Side& l, const Side& v) {
    if (p.P_shift < 0.0)
        p.P = v.P;
    else if (p.P_shift > 0.0)
        p.P = l.P;
}

// Binds the phase's Newton to fn with n unknowns, writes the start vector
// and bounds the unknowns from `firstFraction` on to [0, 1] (none before).
Newton& bind(FluidPhase& p, SysEquationFn fn, int n, const double* start, int firstFraction, int lastFraction) {
    Newton& s = *p.criticalSolver;
    s._setSysEquationToSolve(&p, fn, n);
    for (int i = 0; i < n; i++) {
        s.x[i] = s.xold[i] = start[i];
        const bool fraction = i >= firstFraction && i <= lastFraction;
        s.bounded[i] = fraction ? 1 : 0;
        if (fraction) {
            s.lo[i] = 0.0;
            s.hi[i] = 1.0;
        }
    }
    return s;
}

// The bubble point (freeVapour: the vapour's fraction xv[2] is unknown, the
// liquid's held) or the dew point (the liquid's unknown, the vapour's held)
// at the phase's temperature: equal fugacities of both components and the
// pressures equal to within the offset P_shift; unknowns Vl, Vv, fraction.
void coexistenceAtT(FluidPhase& p, bool freeVapour, double* xv, double* G, double** J, int& err, int order) {
    const double Vl = xv[0], Vv = xv[1], free = xv[2];
    if (!distinctVolumes(Vl, Vv, 1e-4) || !fractionInRange(free) || p.component_count != 2) {
        err = 1;
        return;
    }
    ensureTwoPhaseVectors(p);
    Side l, v;
    p.Vl_sat = Vl;
    p.Vv_sat = Vv;
    const double xl = freeVapour ? p.x_liquid[1] : free, y = freeVapour ? free : p.x_vapour[1];
    if (!evaluate(p, 2, xl, Vl, 0.0, l) || !evaluate(p, 1, y, Vv, 0.0, v)) {
        err = 1;
        return;
    }
    G[0] = l.f[0] - v.f[0];
    G[1] = l.f[1] - v.f[1];
    G[2] = l.P - v.P + p.P_shift;
    pressureWithOffset(p, l, v);
    storeFraction(freeVapour ? p.x_vapour : p.x_liquid, free);
    if (order == 0) return;
    // The residuals are liquid minus vapour: the vapour's composition
    // derivative enters with a minus sign.
    for (int i = 0; i < 2; i++) {
        J[i][0] = l.fV[i];
        J[i][1] = -v.fV[i];
        J[i][2] = freeVapour ? -v.fz[i] : l.fz[i];
    }
    J[2][0] = l.PV;
    J[2][1] = -v.PV;
    J[2][2] = freeVapour ? -v.Pz : l.Pz;
}

// Solves a two-phase point at T from the given volumes and fractions (the
// stored start of the system bound to s).  A failed solve leaves the start
// (temperature, volumes, fractions) and the pressure held before the call,
// not the last iterate: a later search on the same phase starts from sound
// values, and a caller that reads the pressure after a failure reads none
// of a point that does not exist.
void solveFrom(FluidPhase& p, Newton& s, double T, double Vl, double Vv, double xl, double yv) {
    const double Pkept = p.P;
    p.temperature(T);
    ensureTwoPhaseVectors(p);
    storeFraction(p.x_liquid, xl);
    storeFraction(p.x_vapour, yv);
    p.Vl0 = p.Vl_sat = Vl;
    p.Vv0 = p.Vv_sat = Vv;
    finish(p, s);
    if (p.errorflag == 0) return;
    p.temperature(T);
    storeFraction(p.x_liquid, xl);
    storeFraction(p.x_vapour, yv);
    p.Vl0 = p.Vl_sat = Vl;
    p.Vv0 = p.Vv_sat = Vv;
    p.P = Pkept;
    p.errorflag = 1;
}

}  // namespace

// ---------------------------------------------------------------- systems

void FluidPhase::equationForBubblePoint(double* xv, double* G, double** J, int& err, int order, void*) {
    coexistenceAtT(*this, true, xv, G, J, err, order);
}

void FluidPhase::equationForDewPoint(double* xv, double* G, double** J, int& err, int order, void*) {
    coexistenceAtT(*this, false, xv, G, J, err, order);
}

void FluidPhase::equationForDewPointFromGivenP(double* xv, double* G, double** J, int& err, int order, void* data) {
    const double Vl = xv[0], Vv = xv[1], xl = xv[2], Ts = xv[3];
    if (!distinctVolumes(Vl, Vv, 1e-4) || !fractionInRange(xl) || !(Ts > 0.0) || !data || component_count != 2) {
        err = 1;
        return;
    }
    const double Pgiven = *static_cast<const double*>(data);
    ensureTwoPhaseVectors(*this);
    Side l, v;
    Vl_sat = Vl;
    Vv_sat = Vv;
    if (!evaluate(*this, 2, xl, Vl, Ts, l) || !evaluate(*this, 1, x_vapour[1], Vv, 0.0, v)) {
        err = 1;
        return;
    }
    G[0] = l.f[0] - v.f[0];
    G[1] = l.f[1] - v.f[1];
    G[2] = l.P - v.P + P_shift;
    G[3] = l.P - Pgiven;
    pressureWithOffset(*this, l, v);
    storeFraction(x_liquid, xl);
    if (order == 0) return;
    for (int i = 0; i < 2; i++) {
        J[i][0] = l.fV[i];
        J[i][1] = -v.fV[i];
        J[i][2] = l.fz[i];
        J[i][3] = l.fT[i] - v.fT[i];
    }
    J[2][0] = l.PV;
    J[2][1] = -v.PV;
    J[2][2] = l.Pz;
    J[2][3] = l.PT - v.PT;
    J[3][0] = l.PV;
    J[3][1] = 0.0;
    J[3][2] = l.Pz;
    J[3][3] = l.PT;
}

void FluidPhase::equationForFlash(double* xv, double* G, double** J, int& err, int order, void*) {
    const double Vl = xv[0], Vv = xv[1], xl = xv[2], y = xv[3];
    if (!distinctVolumes(Vl, Vv, 0.01) || !fractionInRange(xl) || !fractionInRange(y) || component_count != 2) {
        err = 1;
        return;
    }
    ensureTwoPhaseVectors(*this);
    Side l, v;
    Vl_sat = Vl;
    Vv_sat = Vv;
    if (!evaluate(*this, 2, xl, Vl, 0.0, l) || !evaluate(*this, 1, y, Vv, 0.0, v)) {
        err = 1;
        return;
    }
    G[0] = l.f[0] - v.f[0];
    G[1] = l.f[1] - v.f[1];
    G[2] = l.P - P_flash + (P_shift < 0.0 ? P_shift : 0.0);
    G[3] = v.P - P_flash - (P_shift > 0.0 ? P_shift : 0.0);
    pressureWithOffset(*this, l, v);
    storeFraction(x_liquid, xl);
    storeFraction(x_vapour, y);
    if (order == 0) return;
    for (int i = 0; i < 2; i++) {
        J[i][0] = l.fV[i];
        J[i][1] = -v.fV[i];
        J[i][2] = l.fz[i];
        J[i][3] = -v.fz[i];
    }
    J[2][0] = l.PV;
    J[2][1] = 0.0;
    J[2][2] = l.Pz;
    J[2][3] = 0.0;
    J[3][0] = 0.0;
    J[3][1] = v.PV;
    J[3][2] = 0.0;
    J[3][3] = v.Pz;
}

// ---------------------------------------------------------------- drivers

void FluidPhase::calculate_bubble_point(double T_, double Vl, double Vv, double xl, double yv) {
    if (refuseNonBinary(*this)) return;
    const double start[3] = {Vl, Vv, yv};
    Newton& s = bind(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForBubblePoint), 3, start, 2, 2);
    solveFrom(*this, s, T_, Vl, Vv, xl, yv);
}

void FluidPhase::calculate_dew_point(double T_, double Vl, double Vv, double xl, double yv) {
    if (refuseNonBinary(*this)) return;
    const double start[3] = {Vl, Vv, xl};
    Newton& s = bind(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForDewPoint), 3, start, 2, 2);
    solveFrom(*this, s, T_, Vl, Vv, xl, yv);
}

void FluidPhase::calculate_dew_point_for_given_P(double P_Pa, double T_, double Vl, double Vv, double xl,
                                                 double yv) {
    if (refuseNonBinary(*this)) return;
    const double start[4] = {Vl, Vv, xl, T_};
    Newton& s =
        bind(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForDewPointFromGivenP), 4, start, 2, 2);
    double Pgiven = P_Pa;
    s.data = &Pgiven;
    solveFrom(*this, s, T_, Vl, Vv, xl, yv);
    s.data = nullptr;  // the pressure lived on this stack
}

void FluidPhase::calculate_flash_point(double T_, double P_Pa, double Vl, double Vv, double xl, double yv) {
    if (refuseNonBinary(*this)) return;
    const double start[4] = {Vl, Vv, xl, yv};
    Newton& s = bind(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForFlash), 4, start, 2, 3);
    s.verbose = 0;
    s.lambdaMin = 1e-8;
    P_flash = P_Pa;
    solveFrom(*this, s, T_, Vl, Vv, xl, yv);
}

// ---------------------------------------------------------------- tangent

void FluidPhase::next_bubble_point(double& dVl, double& dVv, double& dy, double& dP) {
    dVl = dVv = dy = dP = 0.0;
    if (refuseNonBinary(*this)) return;
    ensureTwoPhaseVectors(*this);
    Side l, v;
    if (!evaluate(*this, 2, x_liquid[1], Vl0, 0.0, l) || !evaluate(*this, 1, x_vapour[1], Vv0, 0.0, v)) {
        platform::diagf("Next bubble point: the model fails at the stored point\n");
        return;
    }
    double rows[3][3], b[3], t[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < 2; i++) {
        rows[i][0] = l.fV[i];
        rows[i][1] = -v.fV[i];
        rows[i][2] = -v.fz[i];
        b[i] = -l.fz[i];
    }
    rows[2][0] = l.PV;
    rows[2][1] = -v.PV;
    rows[2][2] = -v.Pz;
    b[2] = -l.Pz;
    double* M[3] = {rows[0], rows[1], rows[2]};
    int status = 0;
    solve_the_linear_system(M, b, t, 3, status);
    if (status) t[0] = t[1] = t[2] = std::nan("");  // a singular system gives no step
    dVl = t[0];
    dVv = t[1];
    dy = t[2];
    dP = l.PV * t[0] + l.Pz;
}
