// Liquid-liquid-gas equilibrium of a binary mixture on one model: two
// liquids p and l and a vapour v with equal fugacities of both components
// and equal pressures (six equations in Vp, Vl, Vv, xp, xl, xv at fixed T),
// the three-phase curve traced in temperature, and critical endpoints, where
// a critical phase of the mixture coexists with a vapour.
#include <cmath>
#include <cstdio>

#include "fluid/ErrorFlagScope.h"
#include "fluid/BinarySide.h"
#include "fluid/FluidPhase.h"
#include "numerics/LinearAlgebra.h"
#include "numerics/Newton.h"
#include "platform/LogSink.h"

using binary_side::refuseNonBinary;
using binary_side::Side;

namespace {

constexpr double kSmallestStepFactor = 1e-4;
constexpr long kMostPoints = 100000;
// The double-critical-endpoint scan lowers the parameter by this much per
// step; it ends at the first failed endpoint, or after this many.
constexpr double kParameterStep = 1e-5;
constexpr long kMostScanSteps = 1000000;

bool inUnit(double z) { return z >= 0.0 && z <= 1.0; }

// The three phases at (Vp, Vl, Vv, xp, xl, xv): p and l as liquids, v as vapour.
bool evaluateThree(FluidPhase& p, const double* u, Side& sp, Side& sl, Side& sv) {
    return binary_side::evaluate(p, 2, u[3], u[0], 0.0, sp) && binary_side::evaluate(p, 2, u[4], u[1], 0.0, sl) &&
           binary_side::evaluate(p, 1, u[5], u[2], 0.0, sv);
}

// Jacobian of the residuals fp0 - fv0, fl0 - fv0, fp1 - fv1, fl1 - fv1,
// Pp - Pv, Pl - Pv in the unknowns (Vp, Vl, Vv, xp, xl, xv).
void threePhaseJacobian(const Side& sp, const Side& sl, const Side& sv, double** J) {
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c) J[r][c] = 0.0;
    for (int i = 0; i < 2; ++i) {
        double* rp = J[2 * i];
        double* rl = J[2 * i + 1];
        rp[0] = sp.fV[i];
        rp[3] = sp.fz[i];
        rp[2] = -sv.fV[i];
        rp[5] = -sv.fz[i];
        rl[1] = sl.fV[i];
        rl[4] = sl.fz[i];
        rl[2] = -sv.fV[i];
        rl[5] = -sv.fz[i];
    }
    J[4][0] = sp.PV;
    J[4][3] = sp.Pz;
    J[4][2] = -sv.PV;
    J[4][5] = -sv.Pz;
    J[5][1] = sl.PV;
    J[5][4] = sl.Pz;
    J[5][2] = -sv.PV;
    J[5][5] = -sv.Pz;
}

// Keeps the volumes and fractions of the two liquids and the vapour as the
// phase's three-phase point (and the next solve's start).
void storeThreePhasePoint(FluidPhase& p, double Vp, double Vl, double Vv, double xp, double xl, double xv) {
    p.Vp0 = Vp;
    p.Vl0 = Vl;
    p.Vv0 = Vv;
    binary_side::storeFraction(p.x_liquid2, xp);
    binary_side::storeFraction(p.x_liquid, xl);
    binary_side::storeFraction(p.x_vapour, xv);
}

}  // namespace

void FluidPhase::equationForLLG(double* xv, double* G, double** J, int& err, int order, void*) {
    const double Vp = xv[0], Vl = xv[1], Vv = xv[2], xp = xv[3], xl = xv[4], xvap = xv[5];
    if (!(Vp > 0.0) || !(Vl > 0.0) || !(Vv > 0.0) || !inUnit(xp) || !inUnit(xl) || !inUnit(xvap) ||
        std::fabs(xp - xl) < 1e-4 || std::fabs(xvap - xl) < 1e-4 || component_count != 2) {
        err = 1;
        return;
    }
    Side sp, sl, sv;
    if (!evaluateThree(*this, xv, sp, sl, sv)) {
        err = 1;
        return;
    }
    G[0] = sp.f[0] - sv.f[0];
    G[1] = sl.f[0] - sv.f[0];
    G[2] = sp.f[1] - sv.f[1];
    G[3] = sl.f[1] - sv.f[1];
    G[4] = sp.P - sv.P;
    G[5] = sl.P - sv.P;
    storeThreePhasePoint(*this, Vp, Vl, Vv, xp, xl, xvap);
    if (order == 0) return;
    threePhaseJacobian(sp, sl, sv, J);
}

bool FluidPhase::solve_LLG_point(double T_, double Vl, double Vp, double Vv, double xl, double xp, double xv,
                                 double tol) {
    if (refuseNonBinary(*this)) return false;
    // (A solver of its own: a trace that asks for the point may be using the
    // model's.)
    Newton s;
    s._setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&FluidPhase::equationForLLG), 6);
    s.itermax = 50;
    s.tol = tol;
    s.stepTol = 1e-8;
    s.lambdaMin = 1e-12;
    temperature(T_);
    storeThreePhasePoint(*this, Vp, Vl, Vv, xp, xl, xv);
    const double start[6] = {Vp, Vl, Vv, xp, xl, xv};
    for (int i = 0; i < 6; ++i) {
        s.x[i] = s.xold[i] = start[i];
        s.bounded[i] = 0;
    }
    return binary_side::solvePolished(*this, s);
}

void FluidPhase::calculate_LLG_point(double T_, double Vl, double Vp, double Vv, double xl, double xp, double xv) {
    if (!solve_LLG_point(T_, Vl, Vp, Vv, xl, xp, xv) && component_count != 2) return;
    std::printf("err  %d\n", errorflag);
    std::printf("T    %#.10lg\n", T);
    std::printf("P    %#.10lg\n", P * 1e-5);
    std::printf("Vp   %#.10lg\n", Vp0 * 1e6);
    std::printf("Vl   %#.10lg\n", Vl0 * 1e6);
    std::printf("Vv   %#.10lg\n", Vv0 * 1e6);
    std::printf("xp   %#.10lg\n", x_liquid2[1]);
    std::printf("xl   %#.10lg\n", x_liquid[1]);
    std::printf("xv   %#.10lg\n", x_vapour[1]);
}

void FluidPhase::next_LLG_point(double& dVp, double& dVl, double& dVv, double& dxp, double& dxl, double& dxv) {
    dVp = dVl = dVv = dxp = dxl = dxv = 0.0;
    if (refuseNonBinary(*this)) return;
    binary_side::ensureVector(x_liquid2, 2);
    binary_side::ensureVector(x_liquid, 2);
    binary_side::ensureVector(x_vapour, 2);
    const double u[6] = {Vp0, Vl0, Vv0, x_liquid2[1], x_liquid[1], x_vapour[1]};
    Side sp, sl, sv;
    if (!evaluateThree(*this, u, sp, sl, sv)) {
        errorflag = 1;
        return;
    }
    double rows[6][6];
    double* M[6] = {rows[0], rows[1], rows[2], rows[3], rows[4], rows[5]};
    threePhaseJacobian(sp, sl, sv, M);
    double b[6] = {-(sp.fT[0] - sv.fT[0]), -(sl.fT[0] - sv.fT[0]), -(sp.fT[1] - sv.fT[1]),
                   -(sl.fT[1] - sv.fT[1]), -(sp.PT - sv.PT),      -(sl.PT - sv.PT)};
    double t[6] = {0, 0, 0, 0, 0, 0};
    int status = 0;
    solve_the_linear_system(M, b, t, 6, status);
    for (double v : t)
        if (!std::isfinite(v)) status = 1;
    if (status) {
        errorflag = 1;
        return;
    }
    dVp = t[0];
    dVl = t[1];
    dVv = t[2];
    dxp = t[3];
    dxl = t[4];
    dxv = t[5];
}

void FluidPhase::calculate_the_LLG_curve(const char* path, double dT, double T_, double Vl, double Vp, double Vv,
                                         double xl, double xp, double xv) {
    if (component_count != 2) return;
    std::FILE* f = binary_side::openCurveFile(*this, path, "LLG curve");
    if (!f) return;
    calculate_LLG_point(T_, Vl, Vp, Vv, xl, xp, xv);
    double d[6] = {0, 0, 0, 0, 0, 0};
    if (errorflag == 0) next_LLG_point(d[0], d[1], d[2], d[3], d[4], d[5]);
    if (errorflag) {
        platform::diagf("Can't find a starting point for the LLG curve\n");
        std::fclose(f);
        return;
    }
    // P of a point: the vapour evaluation (the last of the residuals).
    double Pacc = P;
    auto writeRow = [&] {
        const double zp = x_liquid2[1], zl = x_liquid[1], zv = x_vapour[1];
        std::fprintf(f, "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg\n", T,
                     Pacc * 1e-5, 1.0 - zp, zp, 1.0 - zl, zl, 1.0 - zv, zv, Vp0 * 1e6, Vl0 * 1e6, Vv0 * 1e6);
        std::fflush(f);
    };
    writeRow();
    double T0 = T;
    double u0[6] = {Vp0, Vl0, Vv0, x_liquid2[1], x_liquid[1], x_vapour[1]};
    double r = 1.0;
    long points = 1;
    while (r > kSmallestStepFactor && points < kMostPoints) {
        errorflag = 0;
        const double DT = r * dT;
        temperature(T0 + DT);
        calculate_LLG_point(T0 + DT, u0[1] + DT * d[1], u0[0] + DT * d[0], u0[2] + DT * d[2], u0[4] + DT * d[4],
                            u0[3] + DT * d[3], u0[5] + DT * d[5]);
        if (errorflag) {
            r *= 0.5;
            continue;
        }
        Pacc = P;
        writeRow();
        ++points;
        T0 = T;
        const double u[6] = {Vp0, Vl0, Vv0, x_liquid2[1], x_liquid[1], x_vapour[1]};
        for (int i = 0; i < 6; ++i) u0[i] = u[i];
        double t[6];
        next_LLG_point(t[0], t[1], t[2], t[3], t[4], t[5]);
        if (errorflag == 0) {
            for (int i = 0; i < 6; ++i) d[i] = t[i];
            if (r < 0.7) r *= 1.4;
        }
    }
    std::fclose(f);
}

// ---------------------------------------------------------------- critical endpoints

void FluidPhase::equationForEndPoint(double* xv, double* G, double** J, int& err, int order, void*) {
    const double Vv = xv[0], xvap = xv[1], Tt = xv[2];
    if (!(Vv > 0.0) || !(xvap >= 0.0 && xvap <= 1.00000001) || !(Tt > 0.0) || component_count != 2) {
        err = 1;
        return;
    }
    binary_side::ensureVector(x_liquid, 2);
    Side v;
    if (!binary_side::evaluate(*this, 1, xvap, Vv, Tt, v)) {
        err = 1;
        return;
    }
    // The critical phase at Tt, from the stored critical composition and volume.
    bool critical = false;
    {
        const ErrorFlagScope trial(*this, ErrorFlagScope::kAsItIs);
        temperature(Tt);
        composition_of_component(0, 1.0 - x_liquid[1]);
        composition_of_component(1, x_liquid[1]);
        volume(Vl0);
        search_a_critical_point(kCriticalPointFixedTemperature);
        critical = !trial.failed();
    }
    if (!critical) {
        err = 1;
        return;
    }
    const double Vc = V, xc = x[1];
    double dTdx = 0, dVdx = 0;
    next_critical_point(dTdx, dVdx);
    Side c;
    if (!binary_side::evaluate(*this, 2, xc, Vc, 0.0, c) || dTdx == 0.0 || !std::isfinite(dTdx)) {
        err = 1;
        return;
    }
    G[0] = c.f[0] - v.f[0];
    G[1] = c.f[1] - v.f[1];
    G[2] = c.P - v.P;
    binary_side::storeFraction(x_liquid, xc);
    binary_side::storeFraction(x_vapour, xvap);
    Vl0 = Vc;
    Vv0 = Vv;
    critical_T_stored = Tt;
    if (order == 0) return;
    // Along the critical curve: d/dT = (d/dT)_V + (d/dV) (dV/dx)/(dT/dx) + (d/dx)_V / (dT/dx).
    auto along = [&](double qT, double qV, double qx) { return qT + qV * dVdx / dTdx + qx / dTdx; };
    for (int i = 0; i < 2; ++i) {
        J[i][0] = -v.fV[i];
        J[i][1] = -v.fz[i];
        J[i][2] = along(c.fT[i], c.fV[i], c.fz[i]) - v.fT[i];
    }
    J[2][0] = -v.PV;
    J[2][1] = -v.Pz;
    J[2][2] = along(c.PT, c.PV, c.Pz) - v.PT;
}

void FluidPhase::calculate_critical_endpoint1(double T_, double Vl, double Vv, double xl, double xv) {
    if (refuseNonBinary(*this)) return;
    // Each evaluation of the endpoint system searches a critical point with
    // the model's own Newton solver, which rebinds it: the endpoint system
    // needs a solver of its own.
    Newton s;
    s._setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&FluidPhase::equationForEndPoint), 3);
    s.itermax = 25;
    s.tol = 1e-9;
    s.stepTol = 1e-8;
    s.lambdaMin = 1e-8;
    Vv0 = Vv;
    binary_side::storeFraction(x_vapour, xv);
    critical_T_stored = T_;
    binary_side::storeFraction(x_liquid, xl);
    Vl0 = Vl;
    s.x[0] = s.xold[0] = Vv;
    s.x[1] = s.xold[1] = xv;
    s.x[2] = s.xold[2] = T_;
    for (int i = 0; i < 3; ++i) s.bounded[i] = 0;
    errorflag = 0;
    s.solve();
    const short failed = s.status != 0 ? 1 : 0;
    errorflag = failed;
    const double Tc = critical_T_stored, Vc = Vl0, xc = x_liquid[1], Vvap = Vv0, xvap = x_vapour[1];

    // Slopes at the endpoint: of the critical curve (slopec) and of the
    // three-phase line, from the Clapeyron-like relation between the critical
    // phase and the vapour (slopea).
    temperature(Tc);
    composition_of_component(0, 1.0 - xc);
    composition_of_component(1, xc);
    set_the_phase_as(2);
    volume(Vc);
    calculate_critical_parameters();
    const double Ac = A, AVc = dAdV, Axc = dAdx, AxVc = d2AdVdx, AVVc = d2AdV2;
    double dTdx = 0, dVdx = 0;
    next_critical_point(dTdx, dVdx);
    calculate_pressure();
    calculate_fugacities();
    const double slopec = dPdV * dVdx / dTdx + dPdT + (dPdx[1] - dPdx[0]) / dTdx;
    composition_of_component(0, 1.0 - xvap);
    composition_of_component(1, xvap);
    set_the_phase_as(1);
    volume(Vvap);
    calculate_critical_parameters();
    const double Av = A;
    const double sdir = -AxVc / AVVc;
    const double slopea =
        ((Av - Ac) + (xc - xvap) * (Axc + sdir * AVc)) / ((Vc - Vvap) - (xc - xvap) * sdir);
    calculate_pressure();
    errorflag = failed;
    std::printf("err  %d\n", errorflag);
    std::printf("T    %#.10lg\n", Tc);
    std::printf("P    %#.10lg\n", P * 1e-5);
    std::printf("Vl   %#.10lg\n", Vc * 1e6);
    std::printf("Vv   %#.10lg\n", Vvap * 1e6);
    std::printf("xl   %#.10lg\n", xc);
    std::printf("xv   %#.10lg\n", xvap);
    std::printf("slopec   %#.10lg\n", slopec);
    std::printf("slopea   %#.10lg\n", slopea);
}

void FluidPhase::search_a_double_critical_endpoint(int index, double p, double T_, double Vl, double Vv, double xl,
                                                   double xv) {
    if (refuseNonBinary(*this)) return;
    for (long k = 0; k < kMostScanSteps; ++k) {
        setModelParameter(index, p);
        platform::tracef("\nPARAMETER %#.10lg\t", p);
        calculate_critical_endpoint1(T_, Vl, Vv, xl, xv);
        if (errorflag) return;
        p -= kParameterStep;
    }
    platform::diagf("Double critical endpoint: no failure after %ld parameter steps; the scan stops\n",
                 kMostScanSteps);
}
