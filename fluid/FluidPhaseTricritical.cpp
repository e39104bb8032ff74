// Tricritical points of a binary mixture.  With the volume eliminated at
// constant T and P, the composition derivatives of the molar Gibbs energy
// are, with r = A_xV / A_VV,
//   g2 = A_xx - r A_xV
//   g3 = A_xxx - 3 r A_xxV + 3 r^2 A_xVV - r^3 A_VVV
//   g4 = A_xxxx - 4 r A_xxxV + 6 r^2 A_xxVV - 4 r^3 A_xVVV + r^4 A_VVVV - 3 w^2 / A_VV,
//        w = A_xxV - 2 r A_xVV + r^2 A_VVV,
// each split into the part of the Interaction terms (residual) and the ideal
// mixing part RT/(x0 x1), RT (1/x0^2 - 1/x1^2), 2RT (1/x0^3 + 1/x1^3), ...
// A critical point has g2 = g3 = 0; a tricritical point also g4 = g5 = 0,
// which a binary reaches only for particular values of its model
// parameters: one parameter is adjusted until g4 vanishes at the critical
// point of a composition (a G4 point), then the composition until g5
// vanishes too; the locus of such points is traced over a second parameter
// (Griffiths, J. Chem. Phys. 60 (1974) 195).
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/ErrorFlagScope.h"
#include "fluid/BinarySide.h"
#include "fluid/FluidPhase.h"
#include "numerics/DataTextFile.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

using binary_side::setComposition;

namespace {

constexpr double kStepX = 1e-9;      // composition step of g5 (and of the check)
constexpr double kStepG6 = 1e-5;     // composition step of g6 (second differences need a coarser one)
constexpr double kFarT = 500.0;      // K: a G4 point this far from the stored one is another branch
constexpr double kFarTPar = 100.0;   // K: the same in the search over parameter 2
constexpr long kMostPoints = 100000;
// Largest |g_n| of a reported tricritical point, relative to its ideal-mixing terms.
constexpr double kTricriticalTolerance = 1e-5;

// Residual g4 from the residual critical set now in the phase.
double residualG4(const FluidPhase& p, double& r) {
    r = p.d2AdVdx / p.d2AdV2;
    const double w = p.d3AdVdx2 - 2.0 * r * p.d3AdV2dx + r * r * p.d3AdV3;
    return p.d4Adx4 - 4.0 * r * p.d4AdVdx3 + 6.0 * r * r * p.d4AdV2dx2 - 4.0 * r * r * r * p.d4AdV3dx +
           r * r * r * r * p.d4AdV4 - 3.0 * w * w / p.d2AdV2;
}

// Residual g4 at (x1, V) (temperature as set), restoring nothing.
double residualG4At(FluidPhase& p, double x1, double V) {
    setComposition(p, x1);
    p.volume(V);
    p.calculate_residual_critical_parameters();
    double r;
    return residualG4(p, r);
}

// Residual g5: the derivative of g4 along x1 at constant T and P (V
// following dV/dx1 = -r), a central difference of g4 along that direction.
double residualG5At(FluidPhase& p, double x1, double V, double r, double h) {
    const double gp = residualG4At(p, x1 + h, V - r * h);
    const double gm = residualG4At(p, x1 - h, V + r * h);
    return (gp - gm) / (2.0 * h);
}


// g5 at the G4 point of composition x1 found from the stored point: the
// point found becomes the stored one when the search converged no farther
// than `far` in T from it; otherwise both error flags are set, the stored
// point is kept and the model is put back at it (false).
bool g5AtG4Point(FluidPhase& p, double x1, double far, double& g5) {
    const double Tstart = p.tri_T, Vstart = p.tri_V;
    p.search_G4_point(p.tri_T, p.tri_V, x1, p.tri_p1_start, p.tri_i1);
    if (p.errorflag == 0 && std::fabs(p.T - Tstart) <= far) {
        platform::tracef("T %lg  x %lg  V %lg \n", p.T, p.x[1], p.V * 1e6);
        double g2r, g3r, g4r, g5r, g2i, g3i, g4i, g5i;
        p.calculate_tricritical_parameters(g2r, g3r, g4r, g5r, g2i, g3i, g4i, g5i);
        platform::tracef("G2x %lg G3x %lg G4x %lg G5x %lg  error %d \n", g2r + g2i, g3r + g3i, g4r + g4i, g5r + g5i,
                    p.errorflag);
        p.tri_T = p.T;
        p.tri_V = p.V;
        p.tri_x = p.x[1];
        p.tri_p1_start = p.tri_p1;
        g5 = g5r + g5i;
        return true;
    }
    p.error = p.errorflag = 1;
    p.tri_T = Tstart;
    p.tri_V = Vstart;
    p.temperature(Tstart);
    p.volume(Vstart);
    return false;
}

}  // namespace

void FluidPhase::calculate_residual_critical_parameters() {
    errorflag = 0;
    clearCriticalFields();
    for (Interaction* t : interactions) {
        t->calculate_critical_parameters();
        if (t->termError) errorflag = 1;
        addCriticalSet(t, 4, true);
    }
}

void FluidPhase::calculate_tricritical_parameters(double& g2r, double& g3r, double& g4r, double& g5r, double& g2i,
                                                  double& g3i, double& g4i, double& g5i) {
    double g6r, g6i, Pr, AVV;
    calculate_tricritical_parameters(g2r, g3r, g4r, g5r, g6r, g2i, g3i, g4i, g5i, g6i, Pr, AVV);
}

void FluidPhase::calculate_tricritical_parameters(double& g2r, double& g3r, double& g4r, double& g5r, double& g6r,
                                                  double& g2i, double& g3i, double& g4i, double& g5i, double& g6i,
                                                  double& Pr, double& AVV) {
    const double x1 = x[1], x0 = x[0], V0 = V;
    // The flag the phase had, or 1 when a step below fails.
    ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);
    calculate_residual_critical_parameters();
    short failed = errorflag;
    double r;
    g4r = residualG4(*this, r);
    g2r = d2Adx2 - r * d2AdVdx;
    g3r = d3Adx3 - 3.0 * r * d3AdVdx2 + 3.0 * r * r * d3AdV2dx - r * r * r * d3AdV3;
    Pr = -dAdV;
    AVV = d2AdV2;
    g5r = residualG5At(*this, x1, V0, r, kStepX);
    failed |= errorflag;
    // g6: central difference of g5 along the same direction, with r taken
    // at each displaced point.
    auto g5near = [&](double h) {
        const double xs = x1 + h, Vs = V0 - r * h;
        residualG4At(*this, xs, Vs);
        double rs;
        residualG4(*this, rs);
        return residualG5At(*this, xs, Vs, rs, kStepX);
    };
    g6r = (g5near(kStepG6) - g5near(-kStepG6)) / (2.0 * kStepG6);
    failed |= errorflag;
    // The state and the residual set at the point itself.
    setComposition(*this, x1);
    composition_of_component(0, x0);
    volume(V0);
    calculate_residual_critical_parameters();
    if (failed) {
        kept.keepTrialFlag();
        errorflag = 1;
    }
    const double RT = R * T;
    g2i = RT / (x0 * x1);
    g3i = RT * (1.0 / (x0 * x0) - 1.0 / (x1 * x1));
    g4i = 2.0 * RT * (1.0 / (x0 * x0 * x0) + 1.0 / (x1 * x1 * x1));
    g5i = 6.0 * RT * (1.0 / std::pow(x0, 4) - 1.0 / std::pow(x1, 4));
    g6i = 24.0 * RT * (1.0 / std::pow(x0, 5) + 1.0 / std::pow(x1, 5));
}

void FluidPhase::check_tricritical_parameters() {
    if (binary_side::refuseNonBinaryLocus(*this)) return;
    double g[5], gi[5], Pr, AVV;
    calculate_tricritical_parameters(g[0], g[1], g[2], g[3], g[4], gi[0], gi[1], gi[2], gi[3], gi[4], Pr, AVV);
    pressure(Pr * 1e-5);
    const double x0 = x[0], x1 = x[1], V0 = V;
    auto at = [&](double h, double* out) {
        composition_of_component(0, x0 - h);
        composition_of_component(1, x1 + h);
        if (phase_kind == 2)
            Vl0 = V0;
        else
            Vv0 = V0;
        calculate_molar_volume();
        double oi[5], pr, avv;
        calculate_tricritical_parameters(out[0], out[1], out[2], out[3], out[4], oi[0], oi[1], oi[2], oi[3], oi[4],
                                         pr, avv);
    };
    double gp[5], gm[5];
    at(kStepX, gp);
    at(-kStepX, gm);
    composition_of_component(0, x0);
    composition_of_component(1, x1);
    volume(V0);
    const char* names[4] = {"g3x", "g4x", "g5x", "g6x"};
    for (int n = 1; n < 5; ++n) {
        std::printf("%s ana. %lg\n", names[n - 1], g[n] + gi[n]);
        std::printf("%s num. %lg\n", names[n - 1], (gp[n - 1] - gm[n - 1]) / (2.0 * kStepX) + gi[n]);
    }
}

// ---------------------------------------------------------------- G4 point and tricritical point

double FluidPhase::equationForG4x(double p, void*) {
    tri_p1 = p;
    setModelParameter(tri_i1, p);
    search_a_critical_point(kCriticalPointFixedComposition);
    if (errorflag) {
        error = 1;
        temperature(tri_T);
        volume(tri_V);
        setComposition(*this, tri_x);
        return 0.0;
    }
    if (std::fabs(T - tri_T) > kFarT) {
        error = errorflag = 1;
        temperature(tri_T);
        volume(tri_V);
        return 0.0;
    }
    tri_T = T;
    tri_V = V;
    tri_x = x[1];
    return critical_stability;
}

void FluidPhase::search_G4_point(double T_, double V_, double x1, double p, int i) {
    errorflag = error = 0;
    if (binary_side::refuseNonBinaryLocus(*this)) return;
    tri_i1 = i;
    tri_p1_start = p;
    tri_T = T_;
    tri_V = V_;
    tri_x = x1;
    temperature(T_);
    volume(V_);
    setComposition(*this, x1);
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&FluidPhase::equationForG4x);
    s.x0 = p;
    s.x1 = p * 1.0000000001;
    if (s.x1 == s.x0) s.x1 = p + 1e-10;
    s.itermax = 200;
    s.tol = 1e-12;
    s.lambdaMin = 0.0001;
    s.solve();
    errorflag = s.status != 0 ? 1 : 0;
}

double FluidPhase::equationForG5xFromX(double x1, void*) {
    if (!(x1 > 0.0 && x1 < 1.0)) {
        error = 1;
        return 0.0;
    }
    errorflag = error = 0;
    setComposition(*this, x1);
    double g5 = 0.0;
    if (!g5AtG4Point(*this, x1, kFarT, g5)) return 0.0;
    Vc_last = V;
    return g5;
}

void FluidPhase::search_the_tricritical_point(int i, double p, CriticalCurveFlag flag) {
    if (binary_side::refuseNonBinaryLocus(*this)) return;
    tri_i1 = i;
    tri_p1 = tri_p1_start = p;
    setModelParameter(i, p);
    calculate_the_critical_curve("tata.res", flag, 1, 10.0, 0.01, 1e-8, -1.0, 0, "0", nullptr);
    errorflag = 0;
    double g2r, g3r, g4r, g5r, g2i, g3i, g4i, g5i;
    calculate_tricritical_parameters(g2r, g3r, g4r, g5r, g2i, g3i, g4i, g5i);
    platform::tracef("%lg %lg %lg %lg\n", g2r + g2i, g3r + g3i, g4r + g4i, g5r + g5i);
    tri_T = T;
    tri_V = V;
    tri_x = x[1];
    tri_i1 = i;
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&FluidPhase::equationForG5xFromX);
    s.x0 = x[1];
    s.x1 = x[1] * 1.00001;
    s.itermax = 50;
    s.tol = 1e-9;
    s.lambdaMin = 0.0001;
    s.solve();
    if (s.status != 0) {
        errorflag = 1;
        return;
    }
    // The secant stops on its step: the point is reported only when it is
    // tricritical, g2 to g5 zero within a small fraction of the magnitude of
    // their ideal-mixing terms.
    calculate_tricritical_parameters(g2r, g3r, g4r, g5r, g2i, g3i, g4i, g5i);
    const double RT = R * T, x0 = x[0], x1 = x[1];
    const double g[4] = {g2r + g2i, g3r + g3i, g4r + g4i, g5r + g5i};
    const double scale[4] = {RT / (x0 * x1), RT * (1.0 / (x0 * x0) + 1.0 / (x1 * x1)),
                             2.0 * RT * (1.0 / (x0 * x0 * x0) + 1.0 / (x1 * x1 * x1)),
                             6.0 * RT * (1.0 / std::pow(x0, 4) + 1.0 / std::pow(x1, 4))};
    errorflag = 0;
    for (int n = 0; n < 4; ++n)
        if (!(std::fabs(g[n]) <= kTricriticalTolerance * scale[n])) {
            platform::diagf("Tricritical point: the search ended at T %g K, x1 %g, where G%dx is not zero\n", T, x1,
                            n + 2);
            errorflag = 1;
            return;
        }
    std::printf("T %lg  x %lg  V %lg errorflag %d \n", T, x[1], V * 1e6, errorflag);
}

namespace {

void printBlock(FluidPhase& p, double p1, double p2, double lambda) {
    platform::tracef("%s\n", "----------------------------------");
    platform::tracef("T %lg  x %lg  V %lg \n", p.T, p.x[1], p.V * 1e6);
    platform::tracef("par1 %lg  par2 %lg  lambda %lg\n", p1, p2, lambda);
    platform::tracef("%s\n", "-----------------------------------");
}

}  // namespace

void FluidPhase::calculate_the_tricritical_curve(const char* path, int i1, int i2, double p1, double p2, double dp2) {
    if (binary_side::refuseNonBinaryLocus(*this)) return;
    binary_side::startParameterLocus(*this, i1, i2, p1, p2);
    std::FILE* f = binary_side::openCurveFile(*this, path, "Tricritical curve");
    if (!f) return;
    auto solveAt = [&](double a, double b) {
        Secant s;
        s.obj = this;
        s.fn = toEquationFn<ScalarEquationFn>(&FluidPhase::equationForG5xFromX);
        s.x0 = a;
        s.x1 = b;
        s.itermax = 50;
        s.tol = 1e-12;
        s.lambdaMin = 0.0001;
        s.solve();
        errorflag = s.status != 0 ? 1 : 0;
        if (errorflag == 0) {
            tri_T = T;
            tri_V = V;
            tri_x = x[1];
            tri_p1_start = tri_p1;
        }
    };
    auto writeRow = [&] {
        printBlock(*this, tri_p1, tri_p2, 1.0);
        std::fprintf(f, "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg\n", T, V, x[0], x[1], tri_p1, tri_p2);
        std::fflush(f);
    };
    solveAt(x[1], x[1] * 0.99999999999);
    if (errorflag == 0) writeRow();
    long points = 0;
    while (errorflag == 0 && ++points < kMostPoints) {
        tri_p2 += dp2;
        setModelParameter(i2, tri_p2);
        solveAt(tri_x, tri_x * 0.99999999);
        if (errorflag == 0) writeRow();
    }
    std::fclose(f);
}

double FluidPhase::equationForG5xFromPar(double p2, void*) {
    errorflag = error = 0;
    tri_p2 = p2;
    setModelParameter(tri_i2, p2);
    double g5 = 0.0;
    g5AtG4Point(*this, x[1], kFarTPar, g5);
    return g5;
}

void FluidPhase::calculate_the_tricritical_curve1(const char* path, int i1, int i2, double p1, double p2,
                                                  double dx) {
    if (binary_side::refuseNonBinaryLocus(*this)) return;
    tri_T = T;
    tri_V = V;
    tri_x = x[1];
    tri_i1 = i1;
    tri_i2 = i2;
    tri_p1 = tri_p1_start = p1;
    tri_p2 = p2;
    std::FILE* f = binary_side::openCurveFile(*this, path, "Tricritical curve");
    if (!f) return;
    double xc = x[1], xp = xc, lambda = 1.0, p2start = p2;
    auto solveAt = [&] {
        Secant s;
        s.obj = this;
        s.fn = toEquationFn<ScalarEquationFn>(&FluidPhase::equationForG5xFromPar);
        s.x0 = p2start;
        s.x1 = 0.999999 * p2start;
        s.itermax = 50;
        s.tol = 1e-10;
        s.lambdaMin = 0.0001;
        s.solve();
        errorflag = s.status != 0 ? 1 : 0;
        return s.x1;
    };
    errorflag = 0;
    long points = 0;
    while (errorflag == 0 && points++ < kMostPoints) {
        setComposition(*this, xc);
        double p2found = solveAt();
        while (errorflag) {
            lambda /= 2.0;
            if (lambda < 0.0001) {
                std::fclose(f);
                return;
            }
            xc = xp + lambda * dx;
            if (!(xc > 0.0 && xc < 1.0)) continue;
            setComposition(*this, xc);
            p2found = solveAt();
        }
        tri_p2 = p2found;
        printBlock(*this, tri_p1, tri_p2, lambda);
        std::fprintf(f, "%#.16lg %#.16lg %#.16lg %#.16lg %#.16lg %#.16lg\n", T, V, x[0], x[1], tri_p1, tri_p2);
        std::fflush(f);
        p2start = p2found;
        if (lambda < 0.6) lambda *= 1.4;
        xp = xc;
        xc = xc + lambda * dx;
        if (!(xc > 0.0 && xc < 1.0)) break;
    }
    std::fclose(f);
}

void FluidPhase::test_stability_of_the_tricritical_curve(const char* inPath, const char* outPath, int i1, int i2) {
    if (binary_side::refuseNonBinaryLocus(*this)) return;
    DataTextFile in;
    if (!inPath || !in.open(inPath) || in.set_index("T V x0 x1 par1 par2") != 6) {
        platform::diagf("Tricritical stability: %s needs the columns T V x0 x1 par1 par2\n",
                     inPath ? inPath : "(no name)");
        errorflag = 1;
        return;
    }
    std::FILE* f = binary_side::openCurveFile(*this, outPath, "Tricritical stability");
    if (!f) return;
    long rows = 0;
    while (in.read() && rows++ < kMostPoints * 10) {
        double Tr, Vr, x0r, x1r, par1, par2;
        in >> Tr >> Vr >> x0r >> x1r >> par1 >> par2;
        temperature(Tr);
        volume(Vr);
        // The small mole fraction is kept exact.
        if (x1r > 0.999) {
            composition_of_component(0, x0r);
            composition_of_component(1, 1.0 - x0r);
        } else if (x0r > 0.999) {
            composition_of_component(0, 1.0 - x1r);
            composition_of_component(1, x1r);
        } else {
            composition_of_component(0, x0r);
            composition_of_component(1, 1.0 - x0r);
        }
        setModelParameter(i1, par1);
        setModelParameter(i2, par2);
        double g[5], gi[5], Pr, AVV;
        calculate_tricritical_parameters(g[0], g[1], g[2], g[3], g[4], gi[0], gi[1], gi[2], gi[3], gi[4], Pr, AVV);
        std::fprintf(f, "%lg %lg %lg %lg %lg %lg %lg %lg %lg\n", T, V * 1e6, Pr * 1e-5, x[0], x[1], AVV, par1, par2,
                     g[4] + gi[4]);
        std::printf("%lg %lg %lg %lg\n", T, x[1], Pr, g[4] + gi[4]);
    }
    std::fclose(f);
}
