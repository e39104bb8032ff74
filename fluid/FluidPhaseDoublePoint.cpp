// Two further special points of the critical manifold of a binary mixture,
// each found by adjusting one model parameter, and their loci over a second
// parameter:
//  - the mathematical double point, where the surface g2 = g3 = 0 (the
//    spinodal and critical conditions at constant T and P) is singular:
//    D_xT = g3_x g2_T - g2_x g3_T = 0 and D_VT = g2_V g3_T - g2_T g3_V = 0;
//  - the critical-pressure-step point, a critical point where the
//    temperature derivative of g2 at constant pressure vanishes and
//    S4 Q - W^2 = 0, with S4 the fourth-order stability term, W the
//    temperature derivative of g3 and Q the second temperature derivative of
//    g2, both at constant pressure.
// Here g2 = A_xx - A_xV^2/A_VV and g3 = A_xxx - 3 r A_xxV + 3 r^2 A_xVV -
// r^3 A_VVV with r = A_xV/A_VV, functions of (T, V, x1); at constant
// pressure V follows dV/dT = -t, t = A_VT/A_VV.
#include <cmath>
#include <cstdio>

#include "fluid/BinarySide.h"
#include "fluid/FluidPhase.h"
#include "numerics/Newton.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

using binary_side::setComposition;

namespace {

constexpr long kMostPoints = 100000;

// g2, g3 and their partial derivatives at fixed (the other two of) T, V, x1.
struct G23 {
    double g2, g3, g2T, g2x, g2V, g3T, g3x, g3V;
};

G23 g23Of(const FluidPhase& p) {
    const double AVV = p.d2AdV2, AxV = p.d2AdVdx;
    const double r = AxV / AVV;
    const double rT = p.d3AdTdVdx / AVV - AxV * p.d3AdTdV2 / (AVV * AVV);
    const double rx = p.d3AdVdx2 / AVV - p.d3AdV2dx * AxV / (AVV * AVV);
    const double rV = p.d3AdV2dx / AVV - p.d3AdV3 * AxV / (AVV * AVV);
    G23 g;
    g.g2 = p.d2Adx2 - AxV * AxV / AVV;
    g.g3 = p.d3Adx3 - 3.0 * r * p.d3AdVdx2 + 3.0 * r * r * p.d3AdV2dx - r * r * r * p.d3AdV3;
    g.g2T = p.d3AdTdx2 - 2.0 * AxV * p.d3AdTdVdx / AVV + AxV * AxV * p.d3AdTdV2 / (AVV * AVV);
    g.g2x = p.d3Adx3 - 2.0 * AxV * p.d3AdVdx2 / AVV + AxV * AxV * p.d3AdV2dx / (AVV * AVV);
    g.g2V = p.d3AdVdx2 - 2.0 * AxV * p.d3AdV2dx / AVV + AxV * AxV * p.d3AdV3 / (AVV * AVV);
    // d g3 along q, from the q-derivatives of A_xxx, A_xxV, A_xVV, A_VVV and of r.
    auto g3d = [&](double Axxx_q, double AxxV_q, double AxVV_q, double AVVV_q, double r_q) {
        return Axxx_q - 3.0 * (r * AxxV_q + r_q * p.d3AdVdx2) + 3.0 * (r * r * AxVV_q + 2.0 * r * r_q * p.d3AdV2dx) -
               (r * r * r * AVVV_q + 3.0 * r * r * r_q * p.d3AdV3);
    };
    g.g3T = g3d(p.d4AdTdx3, p.d4AdTdVdx2, p.d4AdTdV2dx, p.d4AdTdV3, rT);
    g.g3x = g3d(p.d4Adx4, p.d4AdVdx3, p.d4AdV2dx2, p.d4AdV3dx, rx);
    g.g3V = g3d(p.d4AdVdx3, p.d4AdV2dx2, p.d4AdV3dx, p.d4AdV4, rV);
    return g;
}

double DxT(const G23& g) { return g.g3x * g.g2T - g.g2x * g.g3T; }
double DVT(const G23& g) { return g.g2V * g.g3T - g.g2T * g.g3V; }

// Temperature derivative of g2 at constant pressure.
double GxxTOf(const FluidPhase& p) {
    const double AVV = p.d2AdV2, r = p.d2AdVdx / AVV, t = p.d2AdTdV / AVV;
    return p.d3AdTdx2 - 2.0 * r * p.d3AdTdVdx + r * r * p.d3AdTdV2 -
           t * (p.d3AdVdx2 - 2.0 * r * p.d3AdV2dx + r * r * p.d3AdV3);
}

// Second temperature derivative of g2 at constant pressure:
//   Q = g2_TT - 2 t g2_TV + t^2 g2_VV - (t_T - t t_V) g2_V.
double QOf(const FluidPhase& p, const G23& g) {
    const double AVV = p.d2AdV2, AxV = p.d2AdVdx, AVT = p.d2AdTdV;
    const double AxVT = p.d3AdTdVdx, AVVT = p.d3AdTdV2, AxVV = p.d3AdV2dx, AVVV = p.d3AdV3;
    const double AxxTT = p.d4AdT2dx2, AxVTT = p.d4AdT2dVdx, AVVTT = p.d4AdT2dV2, AVTT = p.d3AdT2dV;
    const double AxxVT = p.d4AdTdVdx2, AxVVT = p.d4AdTdV2dx, AVVVT = p.d4AdTdV3;
    const double AxxVV = p.d4AdV2dx2, AxVVV = p.d4AdV3dx, AVVVV = p.d4AdV4;
    const double V2 = AVV * AVV, V3 = V2 * AVV;
    const double g2TT = AxxTT - 2.0 * (AxVT * AxVT + AxV * AxVTT) / AVV +
                        (4.0 * AxV * AxVT * AVVT + AxV * AxV * AVVTT) / V2 - 2.0 * AxV * AxV * AVVT * AVVT / V3;
    const double g2TV = AxxVT - 2.0 * (AxVV * AxVT + AxV * AxVVT) / AVV +
                        (2.0 * AxV * AxVT * AVVV + 2.0 * AxV * AxVV * AVVT + AxV * AxV * AVVVT) / V2 -
                        2.0 * AxV * AxV * AVVT * AVVV / V3;
    const double g2VV = AxxVV - 2.0 * (AxVV * AxVV + AxV * AxVVV) / AVV +
                        (4.0 * AxV * AxVV * AVVV + AxV * AxV * AVVVV) / V2 - 2.0 * AxV * AxV * AVVV * AVVV / V3;
    const double t = AVT / AVV;
    const double tT = AVTT / AVV - AVT * AVVT / V2;
    const double tV = AVVT / AVV - AVT * AVVV / V2;
    return g2TT - 2.0 * t * g2TV + t * t * g2VV - (tT - t * tV) * g.g2V;
}

Secant makeSecant(FluidPhase& p, double (FluidPhase::*fn)(double, void*), double a, double b, int itermax,
                  double tol, double lambdaMin = 0.01) {
    Secant s;
    s.obj = &p;
    s.fn = toEquationFn<ScalarEquationFn>(fn);
    s.x0 = a;
    s.x1 = b;
    s.itermax = itermax;
    s.tol = tol;
    s.lambdaMin = lambdaMin;
    return s;
}

void printPoint(const char* title, FluidPhase& p, double par) {
    std::puts(title);
    std::printf("errorflag %d\n", p.errorflag);
    std::printf("x  %lg %lg \n", p.x[0], p.x[1]);
    std::printf("T    %lg\n", p.T);
    std::printf("P    %lg\n", p.P * 1e-5);
    std::printf("V    %lg\n", p.V * 1e6);
    std::printf("par  %lg\n", par);
}

void printBlock(FluidPhase& p, double p1, double p2, bool longLine) {
    platform::tracef("%s\n", longLine ? "-----------------------------------" : "----------------------------------");
    platform::tracef("T %lg  x %lg  V %lg \n", p.T, p.x[1], p.V * 1e6);
    platform::tracef("par1 %lg  par2 %lg  lambda %lg\n", p1, p2, 1.0);
    platform::tracef("%s\n", longLine ? "-----------------------------------" : "----------------------------------");
}

}  // namespace

void FluidPhase::calculate_second_order_critical_parameters() {
    errorflag = 0;
    A = dAdV = dAdx = d2Adx2 = d2AdVdx = d2AdV2 = dAdT = d2AdTdV = d2AdTdx = 0.0;
    const double RT = R * T;
    for (Interaction* t : interactions) {
        t->calculate_second_order_critical_parameters();
        if (t->termError) errorflag = 1;
        A += RT * t->A;
        dAdV += RT * t->Av;
        dAdx += RT * t->Ax;
        d2Adx2 += RT * t->Axx;
        d2AdVdx += RT * t->Avx;
        d2AdV2 += RT * t->Avv;
        dAdT += RT * t->AT + R * t->A;
        d2AdTdV += RT * t->ATv + R * t->Av;
        d2AdTdx += RT * t->ATx + R * t->Ax;
    }
    if (component_count == 2) {
        const double x0 = x[0], x1 = x[1];
        const double mix = x0 * std::log(x0) + x1 * std::log(x1), lr = std::log(x1 / x0);
        A += RT * mix;
        dAdx += RT * lr;
        d2Adx2 += RT / (x0 * x1);
        dAdT += R * mix;
        d2AdTdx += R * lr;
    }
}

// ---------------------------------------------------------------- mathematical double point

double FluidPhase::equationForG2x(double p, void*) {
    errorflag = error = 0;
    setModelParameter(tri_i1, p);
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    calculate_second_order_critical_parameters();
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    return d2Adx2 - d2AdVdx * d2AdVdx / d2AdV2;
}

double FluidPhase::equationForG3x(double T_, void*) {
    errorflag = error = 0;
    if (!(T_ > 0.0)) {
        errorflag = error = 1;
        return 0.0;
    }
    temperature(T_);
    Secant s = makeSecant(*this, &FluidPhase::equationForG2x, 1.000000001 * tri_p1_start, 0.999999999 * tri_p1_start,
                          30, 1e-9);
    const double p = s.solve();
    if (s.status != 0) {
        errorflag = error = 1;
        return 0.0;
    }
    setModelParameter(tri_i1, p);
    tri_p1 = p;
    calculate_third_order_critical_parameters();
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    const double r = d2AdVdx / d2AdV2;
    return d3Adx3 - 3.0 * r * d3AdVdx2 + 3.0 * r * r * d3AdV2dx - r * r * r * d3AdV3;
}

double FluidPhase::equationForMDP2(double V_, void*) {
    errorflag = error = 0;
    if (!(V_ > 0.0)) {
        errorflag = error = 1;
        return 0.0;
    }
    volume(V_);
    Secant s = makeSecant(*this, &FluidPhase::equationForG3x, tri_T, 0.9999999999999 * tri_T, 50, 1e-10);
    const double Tfound = s.solve();
    if (s.status != 0) errorflag = 1;
    P = -dAdV;
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    // The state at the root (the secant's last evaluation may be elsewhere).
    equationForG3x(Tfound, nullptr);
    calculate_critical_parameters();
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    return DxT(g23Of(*this));
}

double FluidPhase::equationForMDP1(double x1, void*) {
    errorflag = error = 0;
    if (!(x1 > 0.0 && x1 < 1.0)) {
        errorflag = error = 1;
        return 0.0;
    }
    setComposition(*this, x1);
    temperature(tri_T);
    volume(tri_V);
    Secant s = makeSecant(*this, &FluidPhase::equationForMDP2, tri_V, tri_V + 1.1e-12, 30, 1e-10, 0.0001);
    const double Vfound = s.solve();
    if (s.status == 0) {
        equationForMDP2(Vfound, nullptr);
        if (errorflag == 0) return DVT(g23Of(*this));
    }
    error = 1;
    return 0.0;
}

void FluidPhase::search_a_mathematical_double_point(int i, double p) {
    errorflag = error = 0;
    if (binary_side::refuseNonBinaryLocus(*this)) return;
    tri_i1 = i;
    tri_p1 = tri_p1_start = p;
    tri_T = T;
    tri_V = V;
    Secant s = makeSecant(*this, &FluidPhase::equationForMDP1, x[1] - 1e-10, x[1] - 1.1e-10, 30, 1e-10);
    const double xfound = s.solve();
    if (s.status != 0) {
        errorflag = 1;
    } else {
        equationForMDP1(xfound, nullptr);
    }
    tri_V = V;
    tri_x = x[1];
    tri_T = T;
    tri_p1_start = tri_p1;
    printPoint("Double mathematical point", *this, tri_p1);
}

void FluidPhase::calculate_the_MDP_curve(const char* path, int i1, int i2, double p1, double p2, double dp2) {
    if (binary_side::refuseNonBinaryLocus(*this)) return;
    binary_side::startParameterLocus(*this, i1, i2, p1, p2);
    std::FILE* f = binary_side::openCurveFile(*this, path, "Double-point curve");
    if (!f) return;
    errorflag = error = 0;
    bool first = true;
    long points = 0;
    while (points++ < kMostPoints) {
        if (!first) {
            tri_p2 += dp2;
            setModelParameter(i2, tri_p2);
        }
        search_a_mathematical_double_point(i1, tri_p1_start);
        if (errorflag) break;
        printBlock(*this, tri_p1, tri_p2, first);
        std::fprintf(f, "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg\n", T, V, P, x[1], tri_p1_start, tri_p2);
        std::fflush(f);
        tri_T = T;
        tri_V = V;
        tri_x = x[1];
        first = false;
    }
    std::fclose(f);
}

// ---------------------------------------------------------------- critical-pressure-step point

double FluidPhase::equationForGxxT(double p, void*) {
    errorflag = error = 0;
    setModelParameter(tri_i1, p);
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    temperature(tri_T);
    volume(tri_V);
    if (cpsp_mode == 1) {
        search_a_critical_point(kCriticalPointFixedTemperature);
    } else {
        setComposition(*this, tri_x);
        search_a_critical_point(kCriticalPointFixedComposition);
    }
    P = -dAdV;
    if (errorflag) {
        temperature(tri_T);
        volume(tri_V);
        setComposition(*this, tri_x);
        error = 1;
        return 0.0;
    }
    tri_T = T;
    tri_V = V;
    tri_x = x[1];
    calculate_critical_parameters();
    return GxxTOf(*this);
}

double FluidPhase::equationForCPSP(double y, void*) {
    if (cpsp_mode == 1) {
        if (!(y > 0.0 && y < 1.0)) {
            errorflag = error = 1;
            return 0.0;
        }
        setComposition(*this, y);
    } else {
        if (!(y > 0.0)) {
            errorflag = error = 1;
            return 0.0;
        }
        temperature(y);
        tri_T = y;
    }
    errorflag = error = 0;
    volume(tri_V);
    Secant s = makeSecant(*this, &FluidPhase::equationForGxxT, tri_p1_start, 1.000001 * tri_p1_start, 30, 1e-8,
                          0.0001);
    const double p = s.solve();
    if (s.status != 0) {
        errorflag = error = 1;
        return 0.0;
    }
    equationForGxxT(p, nullptr);
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    tri_p1 = p;
    tri_V = V;
    tri_x = x[1];
    tri_T = T;
    tri_p1_start = p;
    const G23 g = g23Of(*this);
    const double t = d2AdTdV / d2AdV2;
    const double W = g.g3T - t * g.g3V;
    const double Q = QOf(*this, g);
    return critical_stability * Q - W * W;
}

void FluidPhase::search_a_critical_pressure_step_point(int i, double p, CriticalPointFlag mode) {
    if (binary_side::refuseNonBinaryLocus(*this)) return;
    cpsp_mode = mode == kCriticalPointFixedTemperature ? 1 : 0;
    // The nested searches need a tight critical point (kept for the model):
    // the solver is bound to the critical system the searches use, so that
    // their binding keeps the tighter tolerance.
    criticalSolver->_setSysEquationToSolve(
        this,
        toEquationFn<SysEquationFn>(cpsp_mode == 1 ? &FluidPhase::equationForCalculatingCriticalPoint2xV
                                                   : &FluidPhase::equationForCalculatingCriticalPoint2TV),
        2);
    criticalSolver->tol = 1e-13;
    errorflag = error = 0;
    tri_i1 = i;
    tri_p1 = tri_p1_start = p;
    tri_T = T;
    tri_x = x[1];
    tri_V = V;
    const double y = cpsp_mode == 1 ? x[1] : T;
    Secant s = makeSecant(*this, &FluidPhase::equationForCPSP, y, 1.000001 * y, 60, 1e-8);
    const double root = s.solve();
    if (s.status != 0) {
        errorflag = 1;
    } else {
        equationForCPSP(root, nullptr);
        tri_V = V;
        tri_x = x[1];
        tri_T = T;
        tri_p1_start = tri_p1;
    }
    printPoint("Critical pressure step point", *this, tri_p1);
}

void FluidPhase::calculate_the_CPSP_curve(const char* path, int i1, int i2, double p1, double p2, double dp2) {
    if (binary_side::refuseNonBinaryLocus(*this)) return;
    binary_side::startParameterLocus(*this, i1, i2, p1, p2);
    search_a_critical_pressure_step_point(i1, p1, kCriticalPointFixedTemperature);
    std::FILE* f = binary_side::openCurveFile(*this, path, "Critical-pressure-step curve");
    if (!f) return;
    printBlock(*this, tri_p1, tri_p2, false);
    std::fprintf(f, "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg\n", T, V, x[0], x[1], P * 1e-5, tri_p1,
                 tri_p2);
    std::fflush(f);
    double sT = 0, sV = 0, sx = 0, sp = 0;
    long points = 0;
    while (errorflag == 0 && points++ < kMostPoints) {
        const double T0 = tri_T, V0 = tri_V, x0 = tri_x, p0 = tri_p1_start;
        tri_p2 += dp2;
        temperature(T0 + dp2 * sT);
        volume(V0 + dp2 * sV);
        setComposition(*this, x0 + dp2 * sx);
        setModelParameter(i2, tri_p2);
        search_a_critical_pressure_step_point(i1, p0 + dp2 * sp, kCriticalPointFixedTemperature);
        if (errorflag) {
            std::fprintf(f, "END");
            break;
        }
        sT = (tri_T - T0) / dp2;
        sV = (tri_V - V0) / dp2;
        sx = (tri_x - x0) / dp2;
        sp = (tri_p1_start - p0) / dp2;
        printBlock(*this, tri_p1, tri_p2, false);
    }
    std::fclose(f);
}
