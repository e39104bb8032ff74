// Liquid-vapour critical point of a binary mixture on any fluid model, in the
// Helmholtz energy A(T, V, x1) with the ideal mixing term (Heidemann and
// Khalil, AIChE J. 26 (1980) 769, written for two components in T, V, x1):
//
//   G0 = A_VV A_xx - A_xV^2                               (spinodal: the
//        Hessian of A in (x1, V) is singular)
//   G1 = A_VV^3 A_xxx - 3 A_VV^2 A_xV A_xxV + 3 A_VV A_xV^2 A_xVV - A_xV^3 A_VVV
//        (A_VV^3 times the third derivative of A along the null direction
//        (1, -A_xV/A_VV))
//
// solved in (T, V) at fixed composition or in (x1, V) at fixed temperature by
// the phase's Newton solver, with analytic Jacobians from the fourth-order
// derivative set of calculate_critical_parameters.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/ErrorFlagScope.h"
#include "fluid/BinarySide.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/ModelRange.h"
#include "fluid/SaturationAncillaries.h"
#include "numerics/LinearAlgebra.h"
#include "numerics/Newton.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

namespace {

constexpr double kLowestCriticalT = 50.0;  // K

// The grid on which every critical point of a mixture is sought: from half
// the lower pure critical temperature to 1.6 times the higher, and from just
// above the co-volume to 15 times it (a cubic's critical volume lies near 4
// co-volumes, a liquid-liquid one of high pressure below 2).
constexpr int kScanT = 56, kScanV = 40;
constexpr double kScanTLow = 0.5, kScanTHigh = 1.6, kScanVLow = 1.02, kScanVHigh = 15.0;

// The derivatives of A entering G0 and G1, and their derivatives along one
// of the variables T, V or x1.
struct CriticalSet {
    double Axx, AVV, AxV, Axxx, AxxV, AxVV, AVVV;
};

CriticalSet valuesOf(const FluidPhase& p) {
    return {p.d2Adx2, p.d2AdV2, p.d2AdVdx, p.d3Adx3, p.d3AdVdx2, p.d3AdV2dx, p.d3AdV3};
}
CriticalSet temperatureDerivatives(const FluidPhase& p) {
    return {p.d3AdTdx2, p.d3AdTdV2, p.d3AdTdVdx, p.d4AdTdx3, p.d4AdTdVdx2, p.d4AdTdV2dx, p.d4AdTdV3};
}
CriticalSet volumeDerivatives(const FluidPhase& p) {
    return {p.d3AdVdx2, p.d3AdV3, p.d3AdV2dx, p.d4AdVdx3, p.d4AdV2dx2, p.d4AdV3dx, p.d4AdV4};
}
CriticalSet compositionDerivatives(const FluidPhase& p) {
    return {p.d3Adx3, p.d3AdV2dx, p.d3AdVdx2, p.d4Adx4, p.d4AdVdx3, p.d4AdV2dx2, p.d4AdV3dx};
}

double residual0(const CriticalSet& a) { return a.AVV * a.Axx - a.AxV * a.AxV; }

double residual1(const CriticalSet& a) {
    const double v = a.AVV, c = a.AxV;
    return v * v * v * a.Axxx - 3.0 * v * v * c * a.AxxV + 3.0 * v * c * c * a.AxVV - c * c * c * a.AVVV;
}

// Derivatives of G0 and G1 along a variable whose derivatives of the set are d.
double derivative0(const CriticalSet& a, const CriticalSet& d) {
    return d.AVV * a.Axx + a.AVV * d.Axx - 2.0 * a.AxV * d.AxV;
}

double derivative1(const CriticalSet& a, const CriticalSet& d) {
    const double v = a.AVV, c = a.AxV, dv = d.AVV, dc = d.AxV;
    return 3.0 * v * v * dv * a.Axxx + v * v * v * d.Axxx                                //
           - 3.0 * (2.0 * v * dv * c * a.AxxV + v * v * dc * a.AxxV + v * v * c * d.AxxV)  //
           + 3.0 * (dv * c * c * a.AxVV + 2.0 * v * c * dc * a.AxVV + v * c * c * d.AxVV)  //
           - (3.0 * c * c * dc * a.AVVV + c * c * c * d.AVVV);
}

bool finite2(const double* G) { return std::isfinite(G[0]) && std::isfinite(G[1]); }

// The two conditions at the phase's evaluated state and, for order > 0, their
// Jacobian in (the first unknown, V), the first unknown's derivatives given by
// firstDerivatives; err = 1 where the conditions are not finite.
void criticalSystem(const FluidPhase& p, CriticalSet (*firstDerivatives)(const FluidPhase&), double* G, double** J,
                    int& err, int order) {
    const CriticalSet a = valuesOf(p);
    G[0] = residual0(a);
    G[1] = residual1(a);
    if (!finite2(G)) {
        err = 1;
        return;
    }
    if (order == 0) return;
    const CriticalSet d1 = firstDerivatives(p), dV = volumeDerivatives(p);
    J[0][0] = derivative0(a, d1);
    J[0][1] = derivative0(a, dV);
    J[1][0] = derivative1(a, d1);
    J[1][1] = derivative1(a, dV);
}

}  // namespace

void FluidPhase::equationForCalculatingCriticalPoint2TV(double* xv, double* G, double** J, int& err, int order,
                                                       void*) {
    errorflag = 0;
    // Below 50 K (the floor of the pure-fluid search too) a van der Waals-like
    // attraction with geometric-mean cross terms makes both conditions vanish
    // identically as T goes to 0: a root there is no critical point.
    if (!(xv[0] >= kLowestCriticalT) || !(xv[1] >= 1e-10) || component_count != 2) {
        err = 1;
        return;
    }
    temperature(xv[0]);
    volume(xv[1]);
    calculate_critical_parameters();
    if (errorflag) {
        err = 1;
        return;
    }
    criticalSystem(*this, temperatureDerivatives, G, J, err, order);
}

void FluidPhase::equationForCalculatingCriticalPoint2xV(double* xv, double* G, double** J, int& err, int order,
                                                       void*) {
    if (!(xv[0] >= 0.0 && xv[0] <= 1.0) || !(xv[1] >= 1e-9) || component_count != 2) {
        err = 1;
        return;
    }
    composition_of_component(0, 1.0 - xv[0]);
    composition_of_component(1, xv[0]);
    volume(xv[1]);
    // A term that fails here (a volume below the co-volume, a pure
    // composition) makes the evaluation fail, so the solver shortens its step
    // instead of taking residuals of a failed state.
    bool failed = false;
    {
        const ErrorFlagScope trial(*this, ErrorFlagScope::kAsItIs);
        calculate_critical_parameters();
        failed = trial.failed();
    }
    if (failed) {
        err = 1;
        return;
    }
    criticalSystem(*this, compositionDerivatives, G, J, err, order);
}

namespace {

// Fourth derivative of A along the critical direction with the volume
// relaxed: r = A_xV/A_VV, w = A_xxV - 2 r A_xVV + r^2 A_VVV,
// A4 = A_xxxx - 4 r A_xxxV + 6 r^2 A_xxVV - 4 r^3 A_xVVV + r^4 A_VVVV,
// stability = A4 - 3 w^2 / A_VV.
double stabilityOf(const FluidPhase& p) {
    const double r = p.d2AdVdx / p.d2AdV2;
    const double w = p.d3AdVdx2 - 2.0 * r * p.d3AdV2dx + r * r * p.d3AdV3;
    const double a4 = p.d4Adx4 - 4.0 * r * p.d4AdVdx3 + 6.0 * r * r * p.d4AdV2dx2 - 4.0 * r * r * r * p.d4AdV3dx +
                      r * r * r * r * p.d4AdV4;
    return a4 - 3.0 * w * w / p.d2AdV2;
}

}  // namespace

using binary_side::refuseNonBinary;

void FluidPhase::search_a_critical_point(CriticalPointFlag flag) {
    errorflag = 0;
    if (refuseNonBinary(*this)) return;
    if (flag != kCriticalPointFixedComposition && flag != kCriticalPointFixedTemperature) {
        platform::diagf("Critical point: unknown search kind %d\n", static_cast<int>(flag));
        errorflag = 1;
        return;
    }
    Newton& s = *criticalSolver;
    if (flag == kCriticalPointFixedComposition) {
        s._setSysEquationToSolve(
            this, toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingCriticalPoint2TV), 2);
        s.x[0] = s.xold[0] = T;
    } else {
        s._setSysEquationToSolve(
            this, toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingCriticalPoint2xV), 2);
        s.x[0] = s.xold[0] = x[1];
    }
    s.x[1] = s.xold[1] = V;
    // Bounds left by an earlier system of the same size do not apply here.
    s.bounded[0] = s.bounded[1] = 0;
    s.solve();
    if (s.status == 0) {
        calculate_pressure();
        Vc_last = V;
    } else {
        errorflag = 1;
    }
    critical_stability = stabilityOf(*this);
}

void FluidPhase::next_critical_point(double& dTdx, double& dVdx) {
    const CriticalSet a = valuesOf(*this);
    const CriticalSet dT = temperatureDerivatives(*this), dV = volumeDerivatives(*this),
                      dx = compositionDerivatives(*this);
    double row0[2] = {derivative0(a, dT), derivative0(a, dV)};
    double row1[2] = {derivative1(a, dT), derivative1(a, dV)};
    double* M[2] = {row0, row1};
    double b[2] = {-derivative0(a, dx), -derivative1(a, dx)};
    double t[2] = {0.0, 0.0};
    int status = 0;
    solve_the_linear_system(M, b, t, 2, status);
    if (status) platform::tracef("Next critical point : singular matrix\n");  // (no step: t stays 0)
    dTdx = t[0];
    dVdx = t[1];
}

void FluidPhase::search_a_critical_point1() {
    errorflag = 0;
    if (refuseNonBinary(*this)) return;
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&FluidPhase::equationForG3xFromV);
    s.x0 = Vc_last;
    s.x1 = Vc_last * 1.00001;
    s.solve();
    if (s.status != 0) errorflag = 1;
    const short failed = errorflag;
    // P and the derivative set at the point found (equationForG3xFromV leaves
    // only the third-order set).
    calculate_critical_parameters();
    if (failed) errorflag = failed;
    P = -dAdV;
    critical_stability = stabilityOf(*this);
}

namespace {

// A trial phase below the tangent plane of ln f `ref` at T and P among
// the roots the model's scan of each trial composition's isotherm finds
// (pressureRootsFromTP, both its liquid and its vapour), on a grid of 1/100
// and towards both ends: the check of a critical point's stability where a
// trial's own volume search from its start misses the root that lies below
// (a liquid of the other component far below its critical temperature).
// The plane is lowered by 1e-5 so that the critical phase itself does not
// count.  The composition is kept.
bool belowTheCriticalPlane(FluidPhase& p, double T_, double P_bar, const double (&ref)[2]) {
    const std::vector<double> kept = p.x;
    std::vector<double> trials;
    for (int k = 1; k < 100; ++k) trials.push_back(k / 100.0);
    for (double e = 1e-6; e < 5e-3; e *= 10.0) trials.insert(trials.end(), {e, 1.0 - e});
    bool below = false;
    {
        const platform::ThreadLogCapture quiet;  // a trial without a root is no failure
        for (double w1 : trials) {
            const double w[2] = {1.0 - w1, w1};
            p.composition(w);
            const FluidPhase::PhaseRoots roots = p.pressureRootsFromTP(T_, P_bar);
            for (const FluidPhase::PhaseRoot& r : {roots.liquid, roots.vapour}) {
                if (!r.found || below) continue;
                p.errorflag = 0;
                p.temperature(T_);
                p.volume(r.V);
                p.calculate_pressure();
                p.calculate_fugacities();
                if (p.errorflag || !(p.fugacity[0] > 0.0) || !(p.fugacity[1] > 0.0)) continue;
                below = w[0] * (std::log(p.fugacity[0]) - ref[0]) + w[1] * (std::log(p.fugacity[1]) - ref[1]) < -1e-5;
            }
            if (below) break;
        }
    }
    p.composition(kept.data());
    p.errorflag = 0;
    return below;
}

// A root of the two critical conditions of a mixture, kept with its
// stability; whether the mixture splits there (the tangent plane) is asked
// only of the roots whose fourth-order stability holds.
struct MixtureRoot {
    double T, V, P, stability;
    bool splits;
};

bool usableRoot(const MixtureRoot& r) { return !r.splits && r.stability >= 0.0; }

// The pure components' critical points (K, m3/mol): the temperatures and
// volumes where the mixture's are sought; false where the model has none.
// Each is found from the fluid's own critical point where its ancillary
// equations know it (a volume of Zc = 0.3), else from the model's start.
bool pureCriticalPoints(FluidPhase& p, double (&Tpure)[2], double (&Vpure)[2]) {
    bool pure = true;
    for (int k = 0; k < 2 && pure; k++) {
        std::vector<double> only(2, 0.0);
        only[k] = 1.0;
        p.composition(only.data());
        const double Tf = ancillaryCriticalTemperature(p.componentName(k)),
                     Pf = ancillaryCriticalPressure(p.componentName(k));
        const bool known = Tf > 0.0 && Pf > 0.0;
        p.temperature(known ? Tf : p.critical_T);
        p.volume(known ? 0.3 * FluidPhase::R * Tf / Pf : p.critical_V);
        p.search_the_critical_point_of_the_pure_component();
        pure = p.errorflag == 0;
        Tpure[k] = p.T;
        Vpure[k] = p.V;
    }
    p.errorflag = 0;
    return pure;
}

// Where the critical curve turns in composition (or a liquid-liquid branch
// crosses the composition) the mixture has more than one critical point,
// and starts near the pseudo-critical point find only some of them.  All
// are sought on a grid in (T, ln V) between the pure components' critical
// points: a cell whose corners take both signs of G0 and of G1 holds a root
// or lies next to one, and searchFrom(T, V) starts at its centre.
template <class SearchFrom>
void scanForCriticalRoots(FluidPhase& p, const std::vector<double>& kept, const double (&Tpure)[2],
                          const double (&Vpure)[2], SearchFrom&& searchFrom) {
    p.composition(kept.data());
    const double b = p.coVolume();
    const double Tlo = std::max(kLowestCriticalT, kScanTLow * std::min(Tpure[0], Tpure[1])),
                 Thi = kScanTHigh * std::max(Tpure[0], Tpure[1]);
    const double ulo = std::log(b > 0.0 ? kScanVLow * b : 0.2 * std::min(Vpure[0], Vpure[1])),
                 uhi = std::log(b > 0.0 ? kScanVHigh * b : 3.0 * std::max(Vpure[0], Vpure[1]));
    // Signs of G0 and G1 at the nodes (0 where the model fails there).
    std::vector<signed char> s0(kScanT * kScanV), s1(kScanT * kScanV);
    auto sign = [](double g) -> signed char { return g > 0.0 ? 1 : (g < 0.0 ? -1 : 0); };
    for (int i = 0; i < kScanT; ++i) {
        p.temperature(Tlo + (Thi - Tlo) * i / (kScanT - 1));
        for (int j = 0; j < kScanV; ++j) {
            p.volume(std::exp(ulo + (uhi - ulo) * j / (kScanV - 1)));
            p.errorflag = 0;
            p.calculate_third_order_critical_parameters();
            const CriticalSet a = valuesOf(p);
            const double g0 = residual0(a), g1 = residual1(a);
            const bool good = p.errorflag == 0 && std::isfinite(g0) && std::isfinite(g1);
            s0[i * kScanV + j] = good ? sign(g0) : 0;
            s1[i * kScanV + j] = good ? sign(g1) : 0;
        }
    }
    p.errorflag = 0;
    for (int i = 0; i + 1 < kScanT; ++i)
        for (int j = 0; j + 1 < kScanV; ++j) {
            const int c[4] = {i * kScanV + j, i * kScanV + j + 1, (i + 1) * kScanV + j, (i + 1) * kScanV + j + 1};
            bool valid = true, p0 = false, n0 = false, p1 = false, n1 = false;
            for (int k : c) {
                valid = valid && s0[k] != 0 && s1[k] != 0;
                p0 = p0 || s0[k] > 0;
                n0 = n0 || s0[k] < 0;
                p1 = p1 || s1[k] > 0;
                n1 = n1 || s1[k] < 0;
            }
            if (valid && p0 && n0 && p1 && n1)
                searchFrom(Tlo + (Thi - Tlo) * (i + 0.5) / (kScanT - 1),
                           std::exp(ulo + (uhi - ulo) * (j + 0.5) / (kScanV - 1)));
        }
}

// Last, where the pure components' critical points (and so the grid) are
// missing, the critical curve itself, traced from each pure component in
// turn (its notes kept off the log): the points of the curve closest in
// composition to x1 are the starts of searchFrom(T, V), until found() holds.
template <class SearchFrom, class Found>
void startsOnTheCriticalCurve(FluidPhase& p, double x1, SearchFrom&& searchFrom, Found&& found) {
    for (CriticalCurveFlag from : {kCriticalCurveFromComponent0, kCriticalCurveFromComponent1}) {
        std::vector<double> rows;
        {
            const platform::ThreadLogCapture quiet;
            std::vector<double> only(2, 0.0);
            only[from == kCriticalCurveFromComponent0 ? 0 : 1] = 1.0;
            p.composition(only.data());
            p.temperature(p.critical_T);
            p.volume(p.critical_V);
            p.calculate_the_critical_curve(nullptr, from, 1, 1.0, 0.005, 1e-6, -1.0, kArrayOfValues, nullptr, &rows);
        }
        p.errorflag = 0;
        // Rows of 16: P (bar), V (cm3/mol), T, x0, x1, ...; each crossing
        // of x1 along the curve is a start.
        for (std::size_t r = 0; r + 32 <= rows.size(); r += 16) {
            const double xa = rows[r + 4], xb = rows[r + 20];
            if ((xa - x1) * (xb - x1) > 0.0) continue;
            const bool nearerA = std::fabs(xa - x1) <= std::fabs(xb - x1);
            const std::size_t q = nearerA ? r : r + 16;
            searchFrom(rows[q + 2], rows[q + 1] * 1e-6);
        }
        if (found()) break;
    }
}

// Says why no critical point of the mixture at x1 is given: none found, or
// the roots found and why none is a stable state.
void reportNoMixtureCriticalPoint(const FluidPhase& p, double x1, const std::vector<MixtureRoot>& roots) {
    if (roots.empty()) {
        const ValidityRange validity = ModelRange(p).stateRange();
        if (validity.declared())
            platform::diagf("No critical point of the mixture found at x1 = %g (the model %s holds %s)\n", x1,
                            p.modelName(), validity.describe().c_str());
        else
            platform::diagf("No critical point of the mixture found at x1 = %g\n", x1);
        return;
    }
    std::string found;
    for (const MixtureRoot& r : roots) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s%g K and %g bar (%s)", found.empty() ? "" : "; ", r.T, r.P * 1e-5,
                      r.splits ? "a phase of another composition or density lies below its tangent plane: the "
                                 "mixture splits there"
                               : "its fourth-order stability fails");
        found += buf;
    }
    platform::diagf("No vapour-liquid critical point of the mixture found at x1 = %g: the roots of the "
                    "critical conditions found are no stable states: %s\n",
                    x1, found.c_str());
}

}  // namespace

// From the pseudo-critical point and a grid of starts over temperature and
// volume: of the roots found, one the mixture does not split at (tangent
// plane) and whose fourth-order stability holds; of several, the highest in
// temperature (the others, highest first, in `others` where given).  The
// phase is left at the point (T, V, P, the state functions); false, with a
// message, where none is found.
bool FluidPhase::searchTheMixtureCriticalPoint(double x1, double Tpc, double Vpc,
                                               std::vector<MixtureCriticalPoint>* others) {
    errorflag = 0;
    if (others) others->clear();
    if (refuseNonBinary(*this)) return false;
    const std::vector<double> kept = {1.0 - x1, x1};
    std::vector<MixtureRoot> roots;
    auto keep = [&](double Tr, double Vr) {
        for (const MixtureRoot& r : roots)
            if (std::fabs(r.T - Tr) < 1e-6 * Tr && std::fabs(r.V - Vr) < 1e-6 * Vr) return;
        composition(kept.data());
        temperature(Tr);
        volume(Vr);
        calculate_critical_parameters();
        if (errorflag) return;
        const double stability = stabilityOf(*this);
        calculate_pressure();
        if (errorflag || !std::isfinite(P) || !(P > 0.0)) return;
        const double Pr = P;
        // The tangent plane at the root itself (the model's own fugacities
        // at its T, V and composition): a critical point of the vapour-liquid
        // kind is a limit of stable states; where a trial phase of any
        // composition (its own included, on another root) lies below that
        // plane the root lies inside a two-phase region or under a
        // lower-lying fluid, and is no stable state.
        bool splits = false;
        if (stability >= 0.0) {
            calculate_fugacities();
            const double lnf[2] = {fugacity[0] > 0.0 ? std::log(fugacity[0]) : std::nan(""),
                                   fugacity[1] > 0.0 ? std::log(fugacity[1]) : std::nan("")};
            errorflag = 0;
            splits = !std::isfinite(lnf[0]) || !std::isfinite(lnf[1]) || binarySplitsAgainst(Tr, Pr * 1e-5, lnf) ||
                     belowTheCriticalPlane(*this, Tr, Pr * 1e-5, lnf);
        }
        roots.push_back({Tr, Vr, Pr, stability, splits});
    };
    // The search from one start; the root is kept when it converges at the
    // composition asked for, above the co-volume and at a positive pressure.
    auto searchFrom = [&](double Ts, double Vs) {
        composition(kept.data());
        temperature(Ts);
        volume(Vs);
        {
            const platform::ThreadLogCapture quiet;  // a start that does not converge is no failure
            search_a_critical_point(kCriticalPointFixedComposition);
        }
        if (errorflag == 0 && x[1] == x1 && std::isfinite(T) && std::isfinite(V) && V > coVolume() &&
            std::isfinite(P) && P > 0.0)
            keep(T, V);
        errorflag = 0;
    };
    auto anyUsable = [&] { return std::any_of(roots.begin(), roots.end(), usableRoot); };
    // The mixture's critical volume lies below the pseudo-critical one (a
    // quarter below for CO2-CH4 at x1 = 0.5 in the cubics): starts at the
    // pseudo-critical temperature from a few volumes.
    if (std::isfinite(Tpc) && std::isfinite(Vpc) && Vpc > 0.0)
        for (double f : {1.0, 0.9, 0.8, 0.75, 0.7, 0.6, 0.5, 1.2, 1.5}) searchFrom(Tpc, f * Vpc);
    double Tpure[2] = {0.0, 0.0}, Vpure[2] = {0.0, 0.0};
    bool pure = true;
    {
        // (The trial states of these searches and of the grid outside the
        // model's range are no failure of the mixture's search: what they say
        // is kept off the log.)
        const platform::ThreadLogCapture quietTrials;
        pure = pureCriticalPoints(*this, Tpure, Vpure);
        if (pure) scanForCriticalRoots(*this, kept, Tpure, Vpure, searchFrom);
    }
    if (!anyUsable() && pure) {
        // Where it lies far from the pseudo-critical point (a water-gas system
        // at high pressure): the mole-fraction mean of the pure components'
        // critical points.
        const double Tm = kept[0] * Tpure[0] + kept[1] * Tpure[1], Vm = kept[0] * Vpure[0] + kept[1] * Vpure[1];
        for (double f : {1.0, 0.8, 0.6, 1.3}) searchFrom(Tm, f * Vm);
    }
    if (!anyUsable() && !pure) startsOnTheCriticalCurve(*this, x1, searchFrom, anyUsable);
    composition(kept.data());
    // Of the stable roots, those inside the model's range first (a root at a
    // pressure the model does not describe is no critical point of it).
    const ValidityRange range = ModelRange(*this).stateRange();
    auto inRange = [&](const MixtureRoot& r) { return range.holds(r.T, r.P * 1e-5); };
    const MixtureRoot* best = nullptr;
    for (const MixtureRoot& r : roots)
        if (usableRoot(r) &&
            (!best || (inRange(r) && !inRange(*best)) || (inRange(r) == inRange(*best) && r.T > best->T)))
            best = &r;
    if (!best) {
        reportNoMixtureCriticalPoint(*this, x1, roots);
        errorflag = 1;
        return false;
    }
    if (others) {
        for (const MixtureRoot& r : roots)
            if (usableRoot(r) && &r != best && inRange(r)) others->push_back({r.T, r.V, r.P});
        std::sort(others->begin(), others->end(),
                  [](const MixtureCriticalPoint& a, const MixtureCriticalPoint& b) { return a.T > b.T; });
    }
    temperature(best->T);
    volume(best->V);
    calculate_critical_parameters();
    critical_stability = stabilityOf(*this);
    calculate_pressure();
    Vc_last = V;
    errorflag = 0;
    return true;
}
