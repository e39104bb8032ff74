// Diffusion spinodal of a binary mixture, where the Hessian of the molar
// Helmholtz energy in (x1, V) is singular:
//     G0 = A_VV A_xx - A_xV^2 = 0,
// solved in V at fixed T and x1 or in x1 at fixed T and V; the spinodal
// along temperature at fixed composition ("spinot"), the isothermal spinodal
// with, for each spinodal state, the state of equal fugacities on the other
// side of the loop ("spinox"); and the Gibbs-energy transect across the
// composition range at fixed T and P ("gibbs").
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "fluid/ErrorFlagScope.h"
#include "fluid/BinarySide.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/ModelRange.h"
#include "numerics/Newton.h"
#include "numerics/NewtonRaphson.h"
#include "platform/LogSink.h"

using binary_side::setComposition;
using binary_side::Side;

namespace {

constexpr double kSmallestStepFactor = 1e-4;
constexpr long kMostPoints = 100000;

bool refuseNonBinary(FluidPhase& p) {
    if (p.component_count == 2) return false;
    platform::diagf("Not a binary mixture. N = %d\n", p.component_count);
    p.errorflag = 1;
    p.error = 1;
    return true;
}

double spinodalResidual(const FluidPhase& p) { return p.d2AdV2 * p.d2Adx2 - p.d2AdVdx * p.d2AdVdx; }
double spinodalDV(const FluidPhase& p) {
    return p.d3AdV3 * p.d2Adx2 + p.d2AdV2 * p.d3AdVdx2 - 2.0 * p.d3AdV2dx * p.d2AdVdx;
}
double spinodalDx(const FluidPhase& p) {
    return p.d3AdV2dx * p.d2Adx2 + p.d2AdV2 * p.d3Adx3 - 2.0 * p.d3AdVdx2 * p.d2AdVdx;
}
double spinodalDT(const FluidPhase& p) {
    return p.d3AdTdV2 * p.d2Adx2 + p.d2AdV2 * p.d3AdTdx2 - 2.0 * p.d2AdVdx * p.d3AdTdVdx;
}

// The spinodal residual f at the phase's state and its slope df along the
// searched variable; error 1 where the critical set fails there or either is
// not finite (the phase's error flag is kept as it was).
void spinodalResidualAndSlope(FluidPhase& p, double (*slope)(const FluidPhase&), double& f, double& df) {
    bool failed = false;
    {
        const ErrorFlagScope trial(p, ErrorFlagScope::kAsItIs);
        p.calculate_critical_parameters();
        failed = trial.failed();
    }
    f = spinodalResidual(p);
    df = slope(p);
    if (failed || !std::isfinite(f) || !std::isfinite(df)) p.error = 1;
}

// The toolkit's one-variable Newton-Raphson with its defaults.
bool solveOne(FluidPhase& p, DerivEquationFn fn, double start, bool trace, double& root) {
    NewtonRaphson nr;
    nr.obj = &p;
    nr.fn = fn;
    nr.x0 = start;
    nr.verbose = trace ? 1 : 0;
    root = nr.solve();
    return nr.status == 0 && std::isfinite(root);
}

// The volume at T next to which the spinodal branch lies: the liquid one
// (vapour false) at the smallest volume where the residual changes sign on a
// walk up the isotherm from the co-volume, the vapour one at the largest; V
// where the walk finds no two such changes.
double spinodalBranchStart(FluidPhase& p, double T, double V, bool vapour) {
    const double b = p.coVolume();
    if (!(b > 0.0) || !std::isfinite(b)) return V;
    p.temperature(T);
    double first = 0.0, last = 0.0, fPrev = 0.0, Vprev = 0.0;
    int changes = 0;
    for (double v = 1.001 * b; v < 1e3 * b; v *= 1.01) {
        p.volume(v);
        double f = 0.0, df = 0.0;
        p.error = 0;
        spinodalResidualAndSlope(p, spinodalDV, f, df);
        if (p.error != 0) continue;
        if (Vprev > 0.0 && f * fPrev < 0.0) {
            const double mid = std::sqrt(v * Vprev);
            if (changes++ == 0) first = mid;
            last = mid;
        }
        fPrev = f;
        Vprev = v;
    }
    p.error = 0;
    p.volume(V);
    if (changes < 2) return V;
    return vapour ? last : first;
}

// The spinodal volume on one side of the unstable region at the phase's T
// and composition, from a volume Vin inside it (G0 < 0 there): the walk goes
// out of the region, to larger volumes for the vapour side and to smaller
// ones (above the co-volume) for the liquid side, until G0 changes sign, and
// the bracket is closed by regula falsi (Illinois).  Newton's method from a
// point near the critical point, where the two sides lie close together,
// falls on either; the bracket keeps the side asked for.  False where no
// such bracket exists.
bool spinodalVolumeOnSide(FluidPhase& p, double Vin, bool vapour, double& root) {
    auto g = [&p](double v, double& f) {
        p.volume(v);
        double df = 0.0;
        p.error = 0;
        spinodalResidualAndSlope(p, spinodalDV, f, df);
        const bool ok = p.error == 0 && std::isfinite(f);
        p.error = 0;
        return ok;
    };
    double fin = 0.0;
    if (!(Vin > 0.0) || !g(Vin, fin) || !(fin < 0.0)) return false;
    const double b = p.coVolume();
    double a = Vin, fa = fin, c = Vin, fc = fin;
    double step = 0.01;
    bool bracketed = false;
    for (int k = 0; k < 400; ++k) {
        const double v = vapour ? c * (1.0 + step) : std::max(c / (1.0 + step), b > 0.0 ? b * (1.0 + 1e-9) : 0.0);
        if (!(v > 0.0) || v == c) return false;
        double f = 0.0;
        if (!g(v, f)) return false;
        if (f > 0.0) {
            a = c;
            fa = fc;
            c = v;
            fc = f;
            bracketed = true;
            break;
        }
        c = v;
        fc = f;
        step = std::min(step * 1.5, 0.5);
    }
    if (!bracketed) return false;
    // a inside (fa < 0), c outside (fc > 0).
    int side = 0;
    double m = a;
    for (int k = 0; k < 200 && std::fabs(c - a) > 1e-13 * std::fabs(c); ++k) {
        m = (a * fc - c * fa) / (fc - fa);
        if (!(m > std::min(a, c) && m < std::max(a, c))) m = 0.5 * (a + c);
        double fm = 0.0;
        if (!g(m, fm)) return false;
        if (fm == 0.0) break;
        if (fm < 0.0) {
            a = m;
            fa = fm;
            if (side == -1) fc *= 0.5;
            side = -1;
        } else {
            c = m;
            fc = fm;
            if (side == 1) fa *= 0.5;
            side = 1;
        }
    }
    root = m;
    p.volume(root);
    return true;
}

}  // namespace

void FluidPhase::equationForCalculatingSpinodalFromV(double V_, double& f, double& df) {
    if (!(V_ > 0.0)) {
        error = 1;
        return;
    }
    error = 0;
    volume(V_);
    spinodalResidualAndSlope(*this, spinodalDV, f, df);
}

void FluidPhase::equationForCalculatingSpinodalFromX(double x1, double& f, double& df) {
    if (!(x1 >= 0.0 && x1 <= 1.0)) {
        error = 1;
        return;
    }
    error = 0;
    setComposition(*this, x1);
    spinodalResidualAndSlope(*this, spinodalDx, f, df);
}

void FluidPhase::calculateSpinodalPointInMixtureIterateV(double T_, double V_, double x1) {
    if (refuseNonBinary(*this)) return;
    errorflag = 0;
    setComposition(*this, x1);
    if (V_ < 0.0) {
        error = errorflag = 1;
        return;
    }
    temperature(T_);
    volume(V_);
    double root = V_;
    if (!solveOne(*this, toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculatingSpinodalFromV), V_, false,
                  root)) {
        errorflag = error = 1;
    } else {
        volume(root);
        calculate_pressure();
    }
    platform::tracef("%d %10f %10f %10f\n", errorflag, T, V * 1e6, P * 1e-5);
}

void FluidPhase::calculateSpinodalPointInMixtureIterateX(double T_, double V_, double x1) {
    if (refuseNonBinary(*this)) return;
    errorflag = 0;
    temperature(T_);
    volume(V_);
    double root = x1;
    if (!solveOne(*this, toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculatingSpinodalFromX), x1, true,
                  root) ||
        root < 0.0 || root > 1.0) {
        errorflag = error = 1;
    } else {
        setComposition(*this, root);
        calculate_pressure();
    }
    platform::tracef("%d %f %f\n", errorflag, V, x[1]);
}

// ---------------------------------------------------------------- equal-fugacity partners

namespace {

void partnerEquation(FluidPhase& p, int kind, double* xv, double* G, double** J, int& err, int order) {
    const double V = xv[0], x1 = xv[1];
    if (!(V > 0.0) || !(x1 >= 0.0 && x1 <= 1.0) || p.component_count != 2) {
        err = 1;
        return;
    }
    Side s;
    if (!binary_side::evaluate(p, kind, x1, V, 0.0, s)) {
        err = 1;
        return;
    }
    G[0] = s.f[0] - p.f_target[0];
    G[1] = s.f[1] - p.f_target[1];
    if (order == 0) return;
    for (int i = 0; i < 2; i++) {
        J[i][0] = s.fV[i];
        J[i][1] = s.fz[i];
    }
}

}  // namespace

void FluidPhase::equationForLiquidEquilibriumPoint(double* xv, double* G, double** J, int& err, int order, void*) {
    partnerEquation(*this, 2, xv, G, J, err, order);
}

void FluidPhase::equationForGasEquilibriumPoint(double* xv, double* G, double** J, int& err, int order, void*) {
    partnerEquation(*this, 1, xv, G, J, err, order);
}

namespace {

// The partner of a phase of volume Vo and mole fraction xo at the fugacities
// (f0, f1): the volume and mole fraction of the other phase, from the start
// (Vs, xs), through that phase's equal-fugacity equation.  (Vknown, xknown)
// and (Vfound, xfound) are the two phases' estimates in the model.
void solvePartner(FluidPhase& p, SysEquationFn equation, double T_, double Vo, double xo, double f0, double f1,
                  double xs, double Vs, double& Vknown, std::vector<double>& xknown, double& Vfound,
                  std::vector<double>& xfound) {
    if (refuseNonBinary(p)) return;
    Newton& s = *p.criticalSolver;
    s._setSysEquationToSolve(&p, equation, 2);
    p.temperature(T_);
    Vknown = Vo;
    binary_side::storeFraction(xknown, xo);
    Vfound = Vs;
    binary_side::storeFraction(xfound, xs);
    p.f_target[0] = f0;
    p.f_target[1] = f1;
    s.x[0] = s.xold[0] = Vs;
    s.x[1] = s.xold[1] = xs;
    s.bounded[0] = s.bounded[1] = 0;
    s.verbose = 0;
    if (!binary_side::solvePolished(p, s)) return;
    Vfound = s.x[0];
    binary_side::storeFraction(xfound, s.x[1]);
}

}  // namespace

void FluidPhase::calculate_gas_equilibrium_point(double T_, double Vo, double xo, double f0, double f1, double xs,
                                                 double Vs) {
    solvePartner(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForGasEquilibriumPoint), T_, Vo, xo, f0,
                 f1, xs, Vs, Vl0, x_liquid, Vv0, x_vapour);
}

void FluidPhase::calculate_liquid_equilibrium_point(double T_, double Vo, double xo, double f0, double f1,
                                                    double xs, double Vs) {
    solvePartner(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForLiquidEquilibriumPoint), T_, Vo, xo,
                 f0, f1, xs, Vs, Vv0, x_vapour, Vl0, x_liquid);
}

// ---------------------------------------------------------------- isothermal spinodal

void FluidPhase::calculateIsothermalSpinodalCurveInMixture(const char* suffix, double T_, double V_, double x1,
                                                          char side, char fromCritical) {
    if (refuseNonBinary(*this)) return;
    CurveLayout layout;
    layout.firstNameWidth = 6;
    layout.nameWidth = 10;
    layout.textModesOnly = true;
    const CurveValueFormat f12{12, 6, 'f'}, g12{12, 6, 'g'};
    layout.columnFormats = {f12, f12, f12, f12, g12, g12, f12, g12, g12, g12};
    layout.rowEnd = " \n";
    CurveOutput out(kIgorTextFile, CurveOutput::fileName("spinox", suffix), suffix,
                    {"T", "Ps", "xs0", "xs1", "vs", "dxdv", "P", "V", "x0", "x1"}, nullptr, layout);
    binary_side::ensureVector(x_liquid, 2);
    binary_side::ensureVector(x_vapour, 2);
    errorflag = 0;
    temperature(T_);
    volume(V_);
    setComposition(*this, x1);

    const bool liquidSide = side == 1;
    double s = 0.01;  // dx1/dV along the spinodal
    double xs = x1, Vs = V_;
    double xn = x1, Vn = V_;  // the next point to solve
    auto predict = [&](double lambda) {
        if (liquidSide) {
            Vn = Vs + 1e-7 * lambda;
            xn = xs + 1e-7 * lambda * s;
            if (xn < 0.0) xn = 1e-9;
        } else {
            xn = xs - 0.001 * lambda;
            if (xn < 0.0) xn = 0.0;
            Vn = Vs - 0.001 * lambda / s;
        }
    };
    auto setEstimates = [&](double xa, double Va) {
        if (liquidSide) {
            binary_side::storeFraction(x_liquid, std::clamp(xa - 0.01, 0.0, 1.0));
            Vl0 = Va - 1e-6;
        } else {
            binary_side::storeFraction(x_vapour, std::clamp(xa + 0.05, 0.0, 1.0));
            Vv0 = Va + 5e-6;
        }
    };
    bool started = false;
    if (fromCritical) {
        search_a_critical_point(kCriticalPointFixedTemperature);
        if (errorflag == 0) {
            calculate_critical_parameters();
            s = -spinodalDV(*this) / spinodalDx(*this);
            xs = x[1];
            Vs = V;
            out.writeRow({T, P * 1e-5, x[0], x[1], V, s, P * 1e-5, V, x[0], x[1]});
            setEstimates(xs, Vs);
            predict(1.0);
            started = true;
        } else {
            errorflag = 0;
        }
    }
    if (!started) {
        s = 0.01;
        xs = xn = x1;
        Vs = Vn = V_;
        setEstimates(x1, V);
    }
    long points = 0;
    while (errorflag == 0 && points < kMostPoints) {
        double lambda = 1.0;
        bool found = false;
        while (lambda >= kSmallestStepFactor) {
            if (liquidSide)
                calculateSpinodalPointInMixtureIterateX(T_, Vn, xn);
            else
                calculateSpinodalPointInMixtureIterateV(T_, Vn, xn);
            if (errorflag == 0) {
                calculate_critical_parameters();
                const double sn = -spinodalDV(*this) / spinodalDx(*this);
                if (errorflag == 0 && std::isfinite(sn)) {
                    s = sn;
                    found = true;
                    break;
                }
            }
            errorflag = 0;
            lambda *= 0.5;
            predict(lambda);
        }
        if (!found) break;
        ++points;
        xs = x[1];
        Vs = V;
        const double Ps = P;
        calculate_fugacities();
        const double f0 = fugacity[0], f1 = fugacity[1];
        if (liquidSide)
            calculate_liquid_equilibrium_point(T_, Vs, xs, f0, f1, x_liquid[1], Vl0);
        else
            calculate_gas_equilibrium_point(T_, Vs, xs, f0, f1, x_vapour[1], Vv0);
        if (errorflag) {
            const double nan = std::numeric_limits<double>::quiet_NaN();
            out.writeRow({T_, Ps * 1e-5, 1.0 - xs, xs, Vs, s, nan, nan, nan, nan});
            errorflag = 0;
        } else {
            out.writeRow({T_, Ps * 1e-5, 1.0 - xs, xs, Vs, s, P * 1e-5, V, x[0], x[1]});
        }
        predict(1.0);
    }
}

// ---------------------------------------------------------------- spinodal along T

void FluidPhase::calculateSpinodalCurveInMixture(double T_, double V_, char c, double Tend, double dT,
                                                 char mode, const char* suffix, char fromCritical) {
    if (refuseNonBinary(*this)) return;
    CurveLayout layout;
    layout.textModesOnly = true;
    layout.writeHeader = false;
    const CurveValueFormat g13{13, 6, 'g'};
    layout.columnFormats.assign(12, g13);
    layout.columnFormats[0] = CurveValueFormat{13, 6, 'f'};
    layout.columnFormats[1] = CurveValueFormat{13, 5, 'f'};
    const std::vector<std::string> names = {"T", "P", "V", "H", "A", "G", "U", "S", "c", "Um", "Hm", "rho"};
    CurveOutput out(mode, CurveOutput::fileName("spinot", suffix), suffix, names, nullptr, layout);
    {
        const std::string sfx = suffix ? suffix : "";
        char buf[64];
        std::string header;
        if (out.igor()) {
            header = "IGOR\nWAVES ";
            for (std::size_t k = 0; k < names.size(); ++k) {
                std::snprintf(buf, sizeof buf, k == 0 ? "%6s" : " %12s", names[k].c_str());
                header += buf;
                header += sfx;
            }
            header += "\nBEGIN\n";
        } else {
            header = "# ";
            for (std::size_t k = 0; k < names.size(); ++k) {
                const std::string n = names[k] + "(" + std::to_string(k + 1) + ")";
                std::snprintf(buf, sizeof buf, k == 0 ? " %11s" : " %13s", n.c_str());
                header += buf;
            }
            header += "\n";
        }
        out.writeText(header);
    }
    errorflag = 0;
    temperature(T_);
    volume(V_);
    auto writeRow = [&] {
        const double M = x[0] * molar_mass[0] + x[1] * molar_mass[1];
        out.writeRow({T, P * 1e-5, V * 1e6, H * 1e-3, A * 1e-3, G * 1e-3, U * 1e-3, S, soundSpeed,
                      U / M * 1e-3, H / M * 1e-3, M / V});
    };
    double m = 0.0;  // dV/dT along the spinodal
    double Tn = T_, Vn = V_;
    if (fromCritical) {
        search_a_critical_point(kCriticalPointFixedComposition);
        if (errorflag == 0) {
            calculate_state_functions();
            calculate_critical_parameters();
            writeRow();
            // At the critical point the spinodal turns in temperature: its
            // two branches leave it with V - Vc ~ +-sqrt(Tc - T), the liquid
            // one (c 0) below the critical volume, the vapour one (c 1)
            // above.  The first point is sought from beyond its branch at
            // T + dT (2 sqrt(|dT| / Tc) of Vc, about twice the distance of a
            // van der Waals branch), not along the vertical tangent.
            const double Tc = T, Vc = V;
            const double side = c == 1 ? 1.0 : -1.0;
            Tn = Tc + dT;
            Vn = Vc * (1.0 + side * 2.0 * std::sqrt(std::fabs(dT) / Tc));
            m = (Vn - Vc) / dT;
        } else {
            // No critical point from this start: the branch is sought at
            // T_ itself, from its own side of the unstable region.
            errorflag = 0;
            Tn = T_;
            Vn = spinodalBranchStart(*this, T_, V_, c == 1);
        }
    }
    double Tprev = Tn - dT, Vprev = Vn - dT * m;
    // A volume inside the unstable region at the next temperature: the
    // critical volume below the critical point, then the last spinodal point
    // of the branch (the region widens as T falls); 0 where none is known.
    double Vinside = (fromCritical && dT < 0.0 && m != 0.0) ? Vn - dT * m : 0.0;
    long points = 0;
    // The curve stays inside the model's range: it ends at its temperature
    // limits and before a point above its highest pressure (a spinodal's
    // pressure may be negative: the liquid's limit under tension).
    const ValidityRange range = ModelRange(*this).freezingEdgeRange();
    auto inRange = [&](double t) { return range.holdsTemperature(t); };
    while (errorflag == 0 && !(Tend > Tn) && inRange(Tn) && points < kMostPoints) {
        double lambda = 1.0;
        bool found = false;
        if (Vinside > 0.0) {
            // The branch asked for, bracketed from inside the unstable region.
            temperature(Tn);
            double root = 0.0;
            errorflag = 0;
            if (spinodalVolumeOnSide(*this, Vinside, c == 1, root)) {
                volume(root);
                calculate_pressure();
                calculate_fugacities();
                calculate_critical_parameters();
                calculate_state_functions();
                const double mn = -spinodalDT(*this) / spinodalDV(*this);
                if (errorflag == 0 && std::isfinite(mn) && std::isfinite(P)) {
                    m = mn;
                    found = true;
                }
            }
            if (!found) errorflag = 0;
        }
        for (; !found;) {
            calculateSpinodalPointInMixtureIterateV(Tn, Vn, x[1]);
            if (errorflag == 0) {
                calculate_fugacities();
                calculate_critical_parameters();
                calculate_state_functions();
                const double mn = -spinodalDT(*this) / spinodalDV(*this);
                if (errorflag == 0 && std::isfinite(mn)) {
                    m = mn;
                    found = true;
                    break;
                }
            }
            lambda *= 0.5;
            if (!(lambda > kSmallestStepFactor)) break;
            errorflag = 0;
            Tn = Tprev + lambda * dT;
            Vn = Vprev + lambda * m * dT;
        }
        if (!found) break;
        if (range.declared() && P * 1e-5 > range.Pmax) break;
        ++points;
        // P and V of the spinodal point (the state functions keep them).
        writeRow();
        Tprev = T;
        Vprev = V;
        if (dT < 0.0) Vinside = V;
        Vn = V + dT * m;
        Tn = T + dT;
    }
    // A spinodal without a row leaves no file of headers.
    if (out.rowsWritten() == 0 && out.text()) {
        platform::diagf("The %s spinodal at x1 = %g: no point of it is found from %g K and %g cm3/mol\n",
                        c == 0 ? "liquid" : "vapour", x[1], T_, V_ * 1e6);
        errorflag = 1;
        out.close();
        std::remove(out.path().c_str());
    }
}

// ---------------------------------------------------------------- transect and the two spinodals

void FluidPhase::calculateGibbsTransect2(double T_, double P_bar, const char* suffix) {
    if (refuseNonBinary(*this)) return;
    CurveLayout layout;
    layout.firstNameWidth = 6;
    layout.textModesOnly = true;
    layout.writeHeader = false;
    layout.columnFormats.assign(15, CurveValueFormat{});
    layout.columnFormats[14] = CurveValueFormat{12, 0, 'f'};
    const std::vector<std::string> names = {"x0",   "x1", "V",  "Vex", "dPdV", "G",  "Gex", "fug0",
                                            "fug1", "a0", "a1", "g0",  "g1",   "G2x", "err"};
    CurveOutput out(kIgorTextFile, CurveOutput::fileName("gibbs", suffix), suffix, names, nullptr, layout);
    {
        static const int widths[15] = {6, 10, 11, 10, 11, 11, 11, 11, 11, 12, 12, 11, 11, 11, 11};
        const std::string sfx = suffix ? suffix : "";
        std::string header = "IGOR\nWAVES ";
        char buf[64];
        for (int k = 0; k < 15; ++k) {
            std::snprintf(buf, sizeof buf, k == 0 ? "%*s" : " %*s", widths[k], names[k].c_str());
            header += buf;
            header += sfx;
        }
        header += "\nBEGIN\n";
        out.writeText(header);
    }
    temperature(T_);
    pressure(P_bar);
    const short kind = static_cast<short>(phase_kind);
    activity_coefficients.assign(2, 0.0);
    // The pure components.
    double Gp[2], Vp[2], fp[2];
    for (int c = 0; c < 2; ++c) {
        setComposition(*this, c == 0 ? 0.0 : 1.0);
        errorflag = 0;
        calculate_molar_volume();
        calculate_fugacities();
        calculate_state_functions();
        Gp[c] = G;
        Vp[c] = V;
        fp[c] = fugacity[c];
    }
    const double RT = R * T_;
    for (int k = 0; k <= 1000; ++k) {
        const double x1 = std::min(1.0, 0.001 * k);
        const double x0 = 1.0 - x1;
        setComposition(*this, x1);
        errorflag = 0;
        calculate_molar_volume();
        const short err = errorflag;
        if (err == 0) Vl0 = V;
        calculate_fugacities();
        calculate_state_functions();
        const double dPdVt = dPdV, Gm = G, f0 = fugacity[0], f1 = fugacity[1];
        calculate_critical_parameters();
        double Gex = Gm - (x0 * Gp[0] + x1 * Gp[1]);
        if (x1 > 0.0 && x1 < 1.0) Gex += RT * (x1 * std::log(x1) + x0 * std::log(x0));
        const double a0 = f0 / fp[0], a1 = f1 / fp[1];
        const double g0 = a0 / x0, g1 = a1 / x1;
        activity_coefficients[0] = g0;
        activity_coefficients[1] = g1;
        out.writeRow({x0, x1, V * 1e6, 1e6 * (V - x0 * Vp[0] - x1 * Vp[1]), 1e-5 * dPdVt, Gm, Gex, 1e-5 * f0,
                      1e-5 * f1, a0, a1, g0, g1, d2Adx2 * d2AdV2 - d2AdVdx * d2AdVdx, static_cast<double>(err)});
        errorflag = err;
    }
    set_the_phase_as(kind);
}

void FluidPhase::calculateTheSpinodals2(double T_, double V_, double x1, const char* suffix1, const char* suffix2) {
    if (refuseNonBinary(*this)) return;
    if (!(x1 > 0.0 && x1 < 1.0)) {
        platform::diagf("Spinodals: the mole fraction %g must lie strictly between 0 and 1\n", x1);
        errorflag = 1;
        return;
    }
    // The range at the spinodals' own composition.
    composition(1.0 - x1, x1);
    const ModelRange rules(*this);
    const ValidityRange range = rules.freezingEdgeRange();
    if (!range.holdsTemperature(T_)) {
        const double end = T_ < range.Tmin ? range.Tmin : range.Tmax;
        platform::diagf("The model %s gives no spinodal from %g K: its spinodals at x1 = %g end at %g K, %s.\n",
                        modelName(), T_, x1, end,
                        T_ < range.Tmin ? rules.lowestCurveTemperatureReason(end).c_str()
                                        : ("the upper end of the model's range, " + rules.stateRange().describe()).c_str());
        errorflag = 1;
        return;
    }
    // One refusal, one reason: where neither spinodal has a point, that is
    // said once.
    std::vector<platform::ThreadLogCapture::Entry> said[2];
    bool failed[2] = {false, false};
    for (char c : {0, 1}) {
        platform::ThreadLogCapture side;
        composition(1.0 - x1, x1);
        calculateSpinodalCurveInMixture(T_, V_, c, Tmin, -1.0, kIgorTextFile, c == 0 ? suffix1 : suffix2, 1);
        failed[static_cast<int>(c)] = errorflag != 0;
        said[static_cast<int>(c)] = side.take();
    }
    if (failed[0] && failed[1] && said[0].size() == 1 && said[1].size() == 1) {
        platform::diagf("Spinodals at x1 = %g: no point of the liquid or the vapour spinodal is found from %g K and "
                        "%g cm3/mol\n",
                        x1, T_, V_ * 1e6);
        errorflag = 1;
        return;
    }
    platform::ThreadLogCapture::replay(said[0]);
    platform::ThreadLogCapture::replay(said[1]);
    errorflag = failed[0] || failed[1] ? 1 : 0;
}
