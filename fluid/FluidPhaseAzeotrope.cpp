// Azeotrope of a binary mixture: a liquid and a vapour of the same
// composition x1 in equilibrium,
//     ln phi_i(T, Vl, x1) = ln phi_i(T, Vv, x1)   (i = 0, 1),   Pl = Pv,
// with Vl < Vv (the trivial solution Vl = Vv excluded); the azeotropic line
// traced in temperature; a residual map of the pure-fluid critical system;
// and the fit of two model parameters to measured critical points.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/BinarySide.h"
#include "fluid/FluidPhase.h"
#include "numerics/DataTextFile.h"
#include "numerics/Fitting.h"
#include "numerics/LinearAlgebra.h"
#include "numerics/Newton.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

using binary_side::refuseNonBinary;
using binary_side::Side;

namespace {

constexpr double kSmallestStepFactor = 1e-4;
constexpr long kMostPoints = 100000;

// d ln phi_i at fixed composition from the fugacity derivatives:
// ln phi_i = ln f_i - ln x_i - ln P, and the ln x_i term cancels between the
// two phases of an azeotrope.
double lnphiDV(const Side& s, int i) { return s.fV[i] / s.f[i] - s.PV / s.P; }
double lnphiDz(const Side& s, int i) { return s.fz[i] / s.f[i] - s.Pz / s.P; }

}  // namespace

void FluidPhase::equationForAzeotrope(double* xv, double* G, double** J, int& err, int order, void*) {
    const double Vl = xv[0], Vv = xv[1], x1 = xv[2];
    if (!(Vl > 0.0) || !(Vv > 0.0) || std::fabs(Vl - Vv) < 1e-10 || Vl > Vv || !(x1 >= 0.0 && x1 <= 1.0) ||
        component_count != 2) {
        err = 1;
        return;
    }
    Side l, v;
    Vl_sat = Vl;
    Vv_sat = Vv;
    if (!binary_side::evaluate(*this, 2, x1, Vl, 0.0, l) || !binary_side::evaluate(*this, 1, x1, Vv, 0.0, v) ||
        !(l.P > 0.0) || !(v.P > 0.0) || !(l.f[0] > 0.0) || !(l.f[1] > 0.0) || !(v.f[0] > 0.0) || !(v.f[1] > 0.0)) {
        err = 1;
        return;
    }
    G[0] = l.lnphi[0] - v.lnphi[0];
    G[1] = l.lnphi[1] - v.lnphi[1];
    G[2] = l.P - v.P;
    binary_side::storeFraction(x_liquid, x1);
    binary_side::storeFraction(x_vapour, x1);
    if (order == 0) return;
    for (int i = 0; i < 2; i++) {
        J[i][0] = lnphiDV(l, i);
        J[i][1] = -lnphiDV(v, i);
        J[i][2] = lnphiDz(l, i) - lnphiDz(v, i);
    }
    J[2][0] = l.PV;
    J[2][1] = -v.PV;
    J[2][2] = l.Pz - v.Pz;
}

void FluidPhase::calculate_azeotropic_point(double T_, double Vl, double Vv, double x1) {
    if (refuseNonBinary(*this)) return;
    Newton& s = *criticalSolver;
    s._setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&FluidPhase::equationForAzeotrope), 3);
    temperature(T_);
    s.x[0] = s.xold[0] = Vl;
    s.x[1] = s.xold[1] = Vv;
    s.x[2] = s.xold[2] = x1;
    s.bounded[0] = s.bounded[1] = 0;
    s.bounded[2] = 1;
    s.lo[2] = 0.0;
    s.hi[2] = 1.0;
    binary_side::solvePolished(*this, s);
    // The converged (or last) unknowns are the stored point.
    Vl0 = s.x[0];
    Vv0 = s.x[1];
    binary_side::storeFraction(x_liquid, s.x[2]);
    binary_side::storeFraction(x_vapour, s.x[2]);
}

void FluidPhase::next_azeotropic_point(double& dVl, double& dVv, double& dx) {
    dVl = dVv = dx = 0.0;
    if (refuseNonBinary(*this)) return;
    binary_side::ensureVector(x_liquid, 2);
    const double x1 = x_liquid[1];
    Side l, v;
    if (!binary_side::evaluate(*this, 2, x1, Vl0, 0.0, l) || !binary_side::evaluate(*this, 1, x1, Vv0, 0.0, v)) {
        errorflag = 1;
        return;
    }
    double rows[3][3], b[3], t[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < 2; i++) {
        rows[i][0] = l.fV[i];
        rows[i][1] = -v.fV[i];
        rows[i][2] = l.fz[i] - v.fz[i];
        b[i] = -(l.fT[i] - v.fT[i]);
    }
    rows[2][0] = l.PV;
    rows[2][1] = -v.PV;
    rows[2][2] = l.Pz - v.Pz;
    b[2] = -(l.PT - v.PT);
    double* M[3] = {rows[0], rows[1], rows[2]};
    int status = 0;
    solve_the_linear_system(M, b, t, 3, status);
    if (status || !std::isfinite(t[0]) || !std::isfinite(t[1]) || !std::isfinite(t[2])) {
        errorflag = 1;
        return;
    }
    dVl = t[0];
    dVv = t[1];
    dx = t[2];
}

void FluidPhase::calculate_the_azeotropic_curve(const char* path, double dT, double T_, double Vl, double Vv,
                                                double x1) {
    if (component_count != 2) return;
    std::FILE* f = binary_side::openCurveFile(*this, path, "Azeotropic curve");
    if (!f) return;
    calculate_azeotropic_point(T_, Vl, Vv, x1);
    double dVl = 0, dVv = 0, dx = 0;
    if (errorflag == 0) next_azeotropic_point(dVl, dVv, dx);
    if (errorflag) {
        std::fclose(f);
        return;
    }
    auto writeRow = [&] {
        std::fprintf(f, "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \n", T, P * 1e-5, 1.0 - x_liquid[1], x_liquid[1],
                     Vl0 * 1e6);
        std::fflush(f);
    };
    // P of the accepted point (the tangent re-evaluates both phases).
    writeRow();
    double T0 = T, x0 = x_liquid[1], Vl0a = Vl0, Vv0a = Vv0;
    double r = 1.0;
    long points = 1;
    while (r > kSmallestStepFactor && points < kMostPoints) {
        errorflag = 0;
        const double DT = r * dT;
        temperature(T0 + DT);
        calculate_azeotropic_point(T0 + DT, Vl0a + DT * dVl, Vv0a + DT * dVv, x0 + DT * dx);
        if (errorflag) {
            r *= 0.5;
            continue;
        }
        writeRow();
        ++points;
        T0 = T;
        x0 = x_liquid[1];
        Vl0a = Vl0;
        Vv0a = Vv0;
        double a = 0, b = 0, c = 0;
        next_azeotropic_point(a, b, c);
        if (errorflag == 0) {
            dVl = a;
            dVv = b;
            dx = c;
            if (r < 0.7) r *= 1.4;
        }
        // A degenerate tangent keeps the last one and the same step factor.
    }
    if (points >= kMostPoints)
        platform::diagf("Azeotropic curve: %ld points traced without reaching an end; the trace stops\n", points);
    std::fclose(f);
}

// ---------------------------------------------------------------- critical field and fit

void FluidPhase::mapTheCriticalField() {
    Newton& s = *criticalSolver;
    s._setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingCriticalPoint1),
                             2);
    const double T0 = critical_T, V0 = critical_V;
    s.map(0, 1, T0 - 200.0, T0 + 200.0, V0 - 5e-5, V0 + 1e-4, 100, 100, 1, "0");
}

void FluidPhase::testModelParametersForCriticalCurve(double* X, double* par, double& Y, double& Z, double* extra,
                                                     short& err) {
    tune(par);
    parametersChanged();
    temperature(X[0]);
    volume(extra[0]);
    composition_of_component(0, 1.0 - extra[1]);
    composition_of_component(1, extra[1]);
    search_a_critical_point(kCriticalPointFixedComposition);
    err = errorflag;
    Y = P;
    Z = x[1];
}

void FluidPhase::fit_the_critical_curve(const char* path, double p0, double p1) {
    if (refuseNonBinary(*this)) return;
    errorflag = 0;
    const std::string file = path ? path : "";
    long n = 0;
    {
        DataTextFile in;
        if (!in.open(file) || in.set_index("T") != 1) {
            platform::diagf("Critical-curve fit: no column \"T\" in %s\n", file.c_str());
            errorflag = 1;
            return;
        }
        while (in.read()) ++n;
        if (in.failed()) {
            errorflag = 1;
            return;
        }
    }
    if (n < 1) {
        platform::diagf("Critical-curve fit: no measured point in %s\n", file.c_str());
        errorflag = 1;
        return;
    }
    std::vector<double> Tm, Pr, x1m, Vest, stdP, stdx;
    {
        DataTextFile in;
        if (!in.open(file) || in.set_index("T  Pr x1 Vest stdP stdx") != 6) {
            platform::diagf("Critical-curve fit: %s needs the columns T Pr x1 Vest stdP stdx\n", file.c_str());
            errorflag = 1;
            return;
        }
        while (static_cast<long>(Tm.size()) < n && in.read()) {
            double t = 0, p = 0, xx = 0, v = 0, sp = 50000.0, sx = 0.01;
            in >> t >> p >> xx >> v >> sp >> sx;
            if (!std::isfinite(sp)) sp = 50000.0;
            if (!std::isfinite(sx)) sx = 0.01;
            Tm.push_back(t);
            Pr.push_back(p);
            x1m.push_back(xx);
            Vest.push_back(v);
            stdP.push_back(sp);
            stdx.push_back(sx);
        }
        if (in.failed()) {
            errorflag = 1;
            return;
        }
    }
    n = static_cast<long>(Tm.size());
    std::vector<double> Ym(n), sdT(n, 0.5);
    for (long i = 0; i < n; ++i) Ym[i] = Pr[i] * 1e5;

    Fitting fit;
    fit.obj = this;
    fit.fn = toEquationFn<FitEquationFn>(&FluidPhase::testModelParametersForCriticalCurve);
    fit.m = static_cast<int>(n);
    fit.nx = 1;
    fit.np = 2;
    fit.nadd = 2;
    if (fit.allocate_memory() != 0) {
        errorflag = 1;
        return;
    }
    fit.read_Xm(0, Tm.data());
    fit.read_Ym(Ym.data());
    fit.read_Zm(x1m.data());
    fit.read_sdX(0, sdT.data());
    fit.read_sdY(stdP.data());
    fit.read_sdZ(stdx.data());
    for (long i = 0; i < n; ++i) fit.read_additional_parameters(static_cast<int>(i), Vest[i], x1m[i]);
    fit.set_type_of_regression(3);
    const std::string history = file + ".hist";
    fit.set_history(history.c_str());
    fit.tol = 1e-8;
    const double start[2] = {p0, p1}, dp[2] = {1e-6, 1e-6}, dxv[1] = {1e-5};
    fit.set_initial_parameters(start);
    fit.set_parameters_pertubation(dp);
    fit.set_variables_pertubation(dxv);
    short err = 0;
    errorflag = 0;
    fit.regres(err);
    errorflag = err;
    const short fitError = err;

    const std::string result = file + ".res";
    std::FILE* f = std::fopen(result.c_str(), "w");
    if (!f) platform::diagf("Critical-curve fit: %s cannot be opened for writing\n", result.c_str());
    else platform::noteOutputOpened(result);
    for (long i = 0; i < n; ++i) {
        temperature(Tm[i]);
        volume(Vest[i]);
        composition_of_component(0, 1.0 - x1m[i]);
        composition_of_component(1, x1m[i]);
        search_a_critical_point(kCriticalPointFixedComposition);
        char line[256];
        std::snprintf(line, sizeof line, "%lg %lg %lg %lg %lg %d\n", T, P * 1e-5, Pr[i], x[1], x1m[i], errorflag);
        if (f) std::fputs(line, f);
        std::fputs(line, stdout);
    }
    if (f) std::fclose(f);
    errorflag = fitError;
}
