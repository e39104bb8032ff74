// Helmholtz derivatives of the phase to the fourth order and the critical
// point of a pure fluid (A_VV = 0, A_VVV = 0).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "fluid/CriticalHeatCapacity.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/ModelRange.h"
#include "fluid/PhaseSolvers.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

void FluidPhase::clearCriticalFields() {
    A = dAdT = dAdV = dAdx = 0.0;
    d2AdV2 = d2AdVdx = d2Adx2 = d2AdTdV = d2AdTdx = 0.0;
    d3AdV3 = d3AdV2dx = d3AdVdx2 = d3Adx3 = d3AdTdV2 = d3AdTdVdx = d3AdTdx2 = d3AdT2dV = 0.0;
    d4AdV4 = d4AdV3dx = d4AdV2dx2 = d4AdVdx3 = d4Adx4 = d4AdTdV3 = d4AdTdV2dx = d4AdTdVdx2 = d4AdTdx3 = 0.0;
    d4AdT2dVdx = d4AdT2dV2 = d4AdT2dx2 = 0.0;
}

// Adds R T times a term's reduced derivatives (with the R and 2R corrections
// of the temperature derivatives).  order 0: the pure-fluid set; 3 and 4: the
// binary sets of that order.  Without composition only the fields that do not
// involve x are added (the ideal part).
void FluidPhase::addCriticalSet(const Interaction* t, int order, bool withComposition) {
    const double RT = R * T;
    const double R2 = 2.0 * R;
    A += RT * t->A;
    dAdT += RT * t->AT + R * t->A;
    dAdV += RT * t->Av;
    d2AdTdV += RT * t->ATv + R * t->Av;
    d2AdV2 += RT * t->Avv;
    d3AdTdV2 += RT * t->ATvv + R * t->Avv;
    d3AdV3 += RT * t->Avvv;
    if (order == 0 || order == 4) {
        d4AdTdV3 += RT * t->ATvvv + R * t->Avvv;
        d4AdV4 += RT * t->Avvvv;
    }
    if (order == 4) {
        d3AdT2dV += RT * t->ATTv + R2 * t->ATv;
        d4AdT2dV2 += RT * t->ATTvv + R2 * t->ATvv;
    }
    if (!withComposition || order == 0) return;
    dAdx += RT * t->Ax;
    d2AdTdx += RT * t->ATx + R * t->Ax;
    d2AdVdx += RT * t->Avx;
    d2Adx2 += RT * t->Axx;
    d3AdTdVdx += RT * t->ATvx + R * t->Avx;
    d3AdTdx2 += RT * t->ATxx + R * t->Axx;
    d3AdV2dx += RT * t->Avvx;
    d3AdVdx2 += RT * t->Avxx;
    d3Adx3 += RT * t->Axxx;
    if (order < 4) return;
    d4AdV3dx += RT * t->Avvvx;
    d4AdV2dx2 += RT * t->Avvxx;
    d4AdVdx3 += RT * t->Avxxx;
    d4Adx4 += RT * t->Axxxx;
    d4AdTdV2dx += RT * t->ATvvx + R * t->Avvx;
    d4AdTdVdx2 += RT * t->ATvxx + R * t->Avxx;
    d4AdTdx3 += RT * t->ATxxx + R * t->Axxx;
    d4AdT2dVdx += RT * t->ATTvx + R2 * t->ATvx;
    d4AdT2dx2 += RT * t->ATTxx + R2 * t->ATxx;
}

void FluidPhase::addMixingTerms(bool fourth) {
    const double RT = R * T;
    const double x0 = x[0], x1 = x[1];
    const double mix = x0 * std::log(x0) + x1 * std::log(x1);
    const double lr = std::log(x1 / x0);
    A += RT * mix;
    dAdx += RT * lr;
    d2Adx2 += RT / (x0 * x1);
    d3Adx3 += RT * (x1 - x0) / (x0 * x0 * x1 * x1);
    if (fourth) d4Adx4 += 2.0 * RT * (x0 * x0 - x0 * x1 + x1 * x1) / (x0 * x0 * x0 * x1 * x1 * x1);
    dAdT += R * mix;
    d2AdTdx += R * lr;
    d3AdTdx2 += R / (x0 * x1);
    if (fourth) d4AdTdx3 += R * (x1 - x0) / (x0 * x0 * x1 * x1);
}

void FluidPhase::calculate_critical_parameters_of_pure_fluid() {
    A = dAdT = dAdV = d2AdTdV = d2AdV2 = d3AdTdV2 = d3AdV3 = d4AdTdV3 = d4AdV4 = 0.0;
    for (Interaction* t : interactions) {
        t->calculate_critical_parameters_of_pure_fluid();
        if (t->termError) errorflag = 1;
        addCriticalSet(t, 0, false);
    }
    if (ideal) {
        ideal->calculate_critical_parameters_of_pure_fluid();
        if (ideal->termError) errorflag = 1;
        addCriticalSet(ideal, 0, false);
    }
    dAdx = 0.0;
}

void FluidPhase::calculate_critical_parameters() {
    errorflag = 0;
    clearCriticalFields();  // d2AdT2 is left to the state functions
    for (Interaction* t : interactions) {
        t->calculate_critical_parameters();
        if (t->termError) errorflag = 1;
        addCriticalSet(t, 4, true);
    }
    if (ideal) {
        // The ideal part's composition derivatives are added too, so that dAdx
        // and d2AdTdx are the derivatives of A and dAdT (a mixture ideal part
        // is linear in the fractions: its higher ones vanish).
        ideal->calculate_critical_parameters();
        if (ideal->termError) errorflag = 1;
        addCriticalSet(ideal, 4, true);
    }
    if (component_count == 2) addMixingTerms(true);
}

void FluidPhase::calculate_third_order_critical_parameters() {
    errorflag = 0;
    A = dAdT = dAdV = dAdx = d2AdTdV = d2AdTdx = d2AdV2 = d2AdVdx = d2Adx2 = 0.0;
    d3AdTdV2 = d3AdTdVdx = d3AdTdx2 = d3AdV3 = d3AdV2dx = d3AdVdx2 = d3Adx3 = 0.0;
    for (Interaction* t : interactions) {
        t->calculate_third_order_critical_parameters();
        if (t->termError) errorflag = 1;
        addCriticalSet(t, 3, true);
    }
    if (component_count == 2) addMixingTerms(false);
}

void FluidPhase::check_critical_parameters() {
    if (component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        return;
    }
    struct Set {
        double A, dAdT, dAdV, dAdx, d2AdV2, d2AdVdx, d2AdTdV, d3AdTdV2, d2Adx2, d2AdTdx, d3AdV3, d3AdV2dx, d3AdVdx2,
            d3Adx3, d3AdTdx2, d3AdTdVdx;
    };
    auto take = [this]() {
        return Set{A,      dAdT,    dAdV,     dAdx,     d2AdV2,   d2AdVdx,  d2AdTdV,  d3AdTdV2,
                   d2Adx2, d2AdTdx, d3AdV3,   d3AdV2dx, d3AdVdx2, d3Adx3,   d3AdTdx2, d3AdTdVdx};
    };
    const double T0 = T, V0 = V, x0 = x[0], x1 = x[1];
    temperature(T0 + 1e-5);
    calculate_critical_parameters();
    const Set tp = take();
    temperature(T0 - 1e-5);
    calculate_critical_parameters();
    const Set tm = take();
    temperature(T0);
    volume(V0 + 1e-12);
    calculate_critical_parameters();
    const Set vp = take();
    volume(V0 - 1e-12);
    calculate_critical_parameters();
    const Set vm = take();
    volume(V0);
    composition_of_component(0, x0 - 1e-9);
    composition_of_component(1, x1 + 1e-9);
    calculate_critical_parameters();
    const Set xp = take();
    composition_of_component(0, x0 + 1e-9);
    composition_of_component(1, x1 - 1e-9);
    calculate_critical_parameters();
    const Set xm = take();
    composition_of_component(0, x0);
    composition_of_component(1, x1);
    calculate_critical_parameters();

    const double hT = 2e-5, hV = 2e-12, hx = 2e-9;
    auto line = [](const char* label, double num, double ana) {
        std::printf("%-6snum. %lg\n", label, num);
        std::printf("      ana. %lg\n", ana);
    };
    std::printf("A          %lg\n", A);
    line("AT", (tp.A - tm.A) / hT, dAdT);
    line("Av", (vp.A - vm.A) / hV, dAdV);
    line("Ax", (xp.A - xm.A) / hx, dAdx);
    line("Avv", (vp.dAdV - vm.dAdV) / hV, d2AdV2);
    line("Avx", (xp.dAdV - xm.dAdV) / hx, d2AdVdx);
    line("ATv", (vp.dAdT - vm.dAdT) / hV, d2AdTdV);
    line("ATvv", (vp.d2AdTdV - vm.d2AdTdV) / hV, d3AdTdV2);
    line("ATvvv", (vp.d3AdTdV2 - vm.d3AdTdV2) / hV, d4AdTdV3);
    line("Axx", (xp.dAdx - xm.dAdx) / hx, d2Adx2);
    line("ATx", (xp.dAdT - xm.dAdT) / hx, d2AdTdx);
    line("Avvv", (vp.d2AdV2 - vm.d2AdV2) / hV, d3AdV3);
    line("Avvx", (xp.d2AdV2 - xm.d2AdV2) / hx, d3AdV2dx);
    line("Avxx", (xp.d2AdVdx - xm.d2AdVdx) / hx, d3AdVdx2);
    line("Axxx", (xp.d2Adx2 - xm.d2Adx2) / hx, d3Adx3);
    line("ATxx", (xp.d2AdTdx - xm.d2AdTdx) / hx, d3AdTdx2);
    line("ATvx", (xp.d2AdTdV - xm.d2AdTdV) / hx, d3AdTdVdx);
    line("Avvvv", (vp.d3AdV3 - vm.d3AdV3) / hV, d4AdV4);
    line("Avvvx", (xp.d3AdV3 - xm.d3AdV3) / hx, d4AdV3dx);
    line("Avvxx", (xp.d3AdV2dx - xm.d3AdV2dx) / hx, d4AdV2dx2);
    line("Avxxx", (xp.d3AdVdx2 - xm.d3AdVdx2) / hx, d4AdVdx3);
    line("Axxxx", (xp.d3Adx3 - xm.d3Adx3) / hx, d4Adx4);
    line("ATxxx", (xp.d3AdTdx2 - xm.d3AdTdx2) / hx, d4AdTdx3);
    line("ATvxx", (xp.d3AdTdVdx - xm.d3AdTdVdx) / hx, d4AdTdVdx2);
    line("ATvvx", (xp.d3AdTdV2 - xm.d3AdTdV2) / hx, d4AdTdV2dx);
    std::printf("\n");
}

void FluidPhase::equationForCalculatingCriticalPoint1(double* xv, double* G, double** J, int& err, int order, void*) {
    errorflag = 0;
    if (xv[0] < 50.0 || xv[1] < 1e-10) {
        err = 1;
        return;
    }
    temperature(xv[0]);
    volume(xv[1]);
    calculate_critical_parameters_of_pure_fluid();
    if (errorflag) {
        err = 1;
        return;
    }
    G[0] = d2AdV2;
    G[1] = d3AdV3;
    if (order >= 1) {
        J[0][0] = d3AdTdV2;
        J[0][1] = d3AdV3;
        J[1][0] = d4AdTdV3;
        J[1][1] = d4AdV4;
    }
}

namespace {

// The critical system is solved between these temperatures (K): below the
// lower one it refuses the point, above the upper one no fluid of the
// library has its critical point.
constexpr double kLowestCriticalT = 50.0;
constexpr double kHighestCriticalT = 1e4;
// Steps of the upward walk in T and the width of the bracket at its end: the
// estimate need only start the Newton search.
constexpr double kCriticalTStep = 1.5;
constexpr double kCriticalBracket = 1e-3;
// A critical point found satisfies A_VV = 0 and A_VVV = 0 on the scales
// R T / V^2 and R T / V^3 of an ideal gas to this tolerance.
constexpr double kCriticalResidual = 1e-6;

// One isotherm walked from the dilute gas (0.1 bar) into the compressed
// fluid, in steps of 5 % in V (50 % while the gas is nearly ideal), down to
// the co-volume (or 1 cm3/mol) or to where the pressure exceeds 2 R T / V
// at a third of the volume of the flattest point so far: a multiparameter
// equation can rise to kilobars inside its two-phase region before it turns
// (nitrogen's near 110 K), and the pressure alone does not tell that the
// compressed fluid is reached.  It is unstable at the first point where
// -dP/dV = A_VV is not positive, stable when there is none.  It gives no
// verdict when the walk does not begin in a nearly ideal gas (a model outside
// its range) or when the model fails at a point after the walk has begun (a
// point that fails before is passed over).  Vflat: where -V^2 dP/dV / R T,
// which is 1 in the ideal gas and 0 at the critical point, is smallest,
// refined by a parabola in ln V through the neighbouring points.
enum class Verdict : char { None, Stable, Unstable };

struct IsothermScan {
    Verdict verdict = Verdict::None;
    double Vflat = 0.0;
};

IsothermScan scanIsotherm(FluidPhase& p, double T, double Vfloor) {
    IsothermScan out;
    p.temperature(T);
    const double RT = FluidPhase::R * T;
    double lnV[3] = {0, 0, 0}, flat[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};  // before, at and after the flattest
    double lastLnV = 0.0, lastFlat = HUGE_VAL;
    bool seen = false, justFlattest = false, ideal = true;
    for (double V = RT / 1e4; V > Vfloor;) {
        p.volume(V);
        p.errorflag = 0;
        p.calculate_critical_parameters_of_pure_fluid();
        const double s = p.d2AdV2 * V * V / RT, Z = -p.dAdV * V / RT;
        if (p.errorflag || !std::isfinite(s) || !std::isfinite(Z)) {
            if (seen) return out;
            V /= 1.5;
            continue;
        }
        if (!seen && !(std::fabs(Z - 1.0) < 0.05)) return out;
        seen = true;
        if (!(s > 0.0)) {
            out.verdict = Verdict::Unstable;
            return out;
        }
        if (justFlattest) {
            lnV[2] = std::log(V);
            flat[2] = s;
        }
        justFlattest = s < flat[1];
        if (justFlattest) {
            lnV[0] = lastLnV;
            flat[0] = lastFlat;
            lnV[1] = std::log(V);
            flat[1] = s;
            flat[2] = HUGE_VAL;
        }
        lastLnV = std::log(V);
        lastFlat = s;
        if (Z > 2.0 && V < std::exp(lnV[1]) / 3.0) break;
        ideal = ideal && std::fabs(Z - 1.0) < 0.01;
        V /= ideal ? 1.5 : 1.05;
    }
    if (!seen) return out;
    out.verdict = Verdict::Stable;
    out.Vflat = std::exp(lnV[1]);
    if (std::isfinite(flat[0]) && std::isfinite(flat[2])) {
        // Vertex of the parabola through the three points, kept between them.
        const double a = lnV[0] - lnV[1], b = lnV[2] - lnV[1];
        const double da = flat[0] - flat[1], db = flat[2] - flat[1];
        const double den = 2.0 * (da * b - db * a);
        if (den != 0.0) {
            const double t = (da * b * b - db * a * a) / den;
            if (std::isfinite(t)) out.Vflat = std::exp(lnV[1] + std::clamp(t, std::min(a, b), std::max(a, b)));
        }
    }
    return out;
}

}  // namespace

double FluidPhase::coVolume() {
    return std::max(interactions.empty() ? 0.0 : interactions[0]->getVolumeMinimum(), 0.0);
}

// The model's own start of the critical-point search, whatever it
// computed before: Tc is bracketed as the lowest temperature above a
// mechanically unstable isotherm whose isotherm is stable throughout (by
// bisection on coarse isotherms), Vc is where that isotherm is flattest.
// False when the model has no such temperature between 50 K and 10^4 K.
// The phase is left at Tc and Vc.
// A model may keep that estimate with its data where it is a fixed
// property of its published equation (keptCriticalEstimate).
bool FluidPhase::estimateTheCriticalPoint(double& Tc, double& Vc) {
    if (!keptCriticalEstimate(Tc, Vc)) return scanForTheCriticalPoint(Tc, Vc);
    temperature(Tc);
    volume(Vc);
    errorflag = 0;
    return true;
}

bool FluidPhase::scanForTheCriticalPoint(double& Tc, double& Vc) {
    const double b = coVolume();
    const double Vfloor = b > 0.0 ? b * (1.0 + 1e-6) : 1e-6;
    // Upwards from the lowest temperature: the first stable isotherm above an
    // unstable one brackets the critical temperature (a model taken below
    // its range may look stable there, or above it unstable again) ...
    double Tlo = 0.0, Thi = 0.0, Vhi = 0.0;
    for (double t = kLowestCriticalT; t <= kHighestCriticalT; t *= kCriticalTStep) {
        const IsothermScan s = scanIsotherm(*this, t, Vfloor);
        if (s.verdict == Verdict::Unstable) {
            Tlo = t;
        } else if (s.verdict == Verdict::Stable && Tlo > 0.0) {
            Thi = t;
            Vhi = s.Vflat;
            break;
        }
    }
    if (!(Thi > 0.0)) return false;
    // ... and the bracket is narrowed by bisection.
    while (Thi / Tlo - 1.0 > kCriticalBracket) {
        const double t = std::sqrt(Tlo * Thi);
        const IsothermScan s = scanIsotherm(*this, t, Vfloor);
        if (s.verdict == Verdict::Stable) {
            Thi = t;
            Vhi = s.Vflat;
        } else {
            Tlo = t;
        }
    }
    Tc = Thi;
    Vc = Vhi;
    temperature(Tc);
    volume(Vc);
    errorflag = 0;
    return true;
}

bool FluidPhase::criticalConditionsFrom(double T0, double V0, bool traced) {
    errorflag = 0;
    Newton& s = phase_solvers::bindSystem(
        *this, toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingCriticalPoint1), 2, {T0, V0});
    s.verbose = traced ? 1 : 0;
    s.solve();
    if (s.status != 0) return false;
    const double Tc = s.x[0], Vc = s.x[1];
    temperature(Tc);
    volume(Vc);
    errorflag = 0;
    calculate_critical_parameters_of_pure_fluid();
    const double RT = R * Tc;
    const bool critical = errorflag == 0 && std::isfinite(Tc) && std::isfinite(Vc) && Vc > coVolume() &&
                          std::fabs(d2AdV2) * Vc * Vc <= kCriticalResidual * RT &&
                          std::fabs(d3AdV3) * Vc * Vc * Vc <= kCriticalResidual * RT;
    if (!critical) return false;
    errorflag = 0;
    calculate_pressure();
    return errorflag == 0 && std::isfinite(P) && P > 0.0;
}

bool FluidPhase::isothermStableThroughout(double T_, double Vc) {
    // From 0.1 bar of ideal gas (tenfold further until the gas there is
    // nearly ideal) to the compressed fluid: below the smaller of the
    // critical volume and the liquid start (the saturated liquid of the
    // fluid's ancillary equation at T, whatever volume the point found has;
    // twice the co-volume at least), at a pressure above twice the ideal
    // gas's there; or to where the model ends (its co-volume or the edge of
    // its range).
    temperature(T_);
    const double keptP = P, liquid = estimate_Vl0();
    const double Vref =
        std::max(std::isfinite(liquid) && liquid > 0.0 ? std::min(Vc, liquid) : Vc, 2.0 * coVolume());
    P = 0.0;  // the walk's f is the pressure itself
    walkSamples_ = 0;
    walkOnCriticalSet_ = true;
    bool stable = false;
    double v = R * T_ / 1e4;
    BranchSample a;
    for (int k = 0; k < 12; ++k, v *= 10.0) {
        a = branchSample(std::log(v));
        if (a.state == BranchSample::kFailed) break;
        if (a.state == BranchSample::kStable && std::fabs(-a.g * v / (R * T_) - 1.0) < 0.01 &&
            std::fabs(a.f * v / (R * T_) - 1.0) < 0.01)
            break;
    }
    if (a.state == BranchSample::kStable) {
        BranchSample b;
        const double uEnd = std::log(std::max(1.001 * coVolume(), 1e-3 * Vref));
        const WalkEnd end = walkIsotherm(a, -1.0, uEnd, false, b, 2.0 * R * T_ / Vref, std::log(Vref));
        stable = end == WalkEnd::Reached || end == WalkEnd::Failed;
    }
    walkOnCriticalSet_ = false;
    P = keptP;
    return stable;
}

bool FluidPhase::criticalPointFrom(double T0, double V0, bool traced) {
    if (!criticalConditionsFrom(T0, V0, traced)) return false;
    const double Tc = T, Vc = V;
    // Both conditions also hold at the inflections of the loops below the
    // critical point (a multiparameter equation's, inside its two-phase
    // region): there the isotherm just above is still unstable elsewhere.
    // The point is accepted where the isotherm at T (1 + 1e-4) has no
    // unstable stretch left, or where it is the model's own point, the one
    // found from its stored start.  A liquid-vapour critical point lies
    // below the ideal gas's pressure (the attraction that flattens the
    // isotherm there lowers it: Zc is 0.375 for van der Waals's equation,
    // 0.2 to 0.35 for real fluids): an equation's closing loop far beyond
    // its range (IUPAC CO2's near 358.5 K and 9.2 kbar, Zc = 7.7) is not it.
    const double Zc = P * Vc / (R * Tc);
    bool accepted = Zc < 1.0 && isothermStableThroughout(Tc * (1.0 + 1e-4), Vc);
    if (!accepted)
        accepted = keptModelCriticalPoint() && std::fabs(keptCritical_.T / Tc - 1.0) <= 1e-7 &&
                   std::fabs(keptCritical_.V / Vc - 1.0) <= 1e-5;
    if (!accepted) return false;
    temperature(Tc);
    volume(Vc);
    errorflag = 0;
    calculate_pressure();
    if (errorflag || !std::isfinite(P) || !(P > 0.0)) return false;
    // The state functions a model does not give are NaN: the point stands.
    calculate_state_functions();
    errorflag = 0;
    return true;
}

// The critical point (A_VV = 0, A_VVV = 0) from the current T and V or,
// when they are no start (not finite, T below 50 K, V at or below the
// co-volume) or lead to none, from estimateTheCriticalPoint.  The point
// found satisfies both conditions on their scales (R T / V^2, R T / V^3),
// lies above the co-volume, has a finite positive pressure, and either
// the isotherm at T (1 + 1e-4) has no unstable stretch left from the
// nearly ideal gas to the compressed fluid (the inflections of the loops
// below the critical point satisfy both conditions too) or it is the
// model's own point, the one found from its stored start (critical_T,
// critical_V); otherwise errorflag is set.
void FluidPhase::search_the_critical_point_of_the_pure_component() {
    const double T0 = T, V0 = V;
    const bool start = std::isfinite(T0) && T0 >= kLowestCriticalT && std::isfinite(V0) && V0 > coVolume();
    if (start && criticalPointFrom(T0, V0)) return;
    double Tc = 0.0, Vc = 0.0;
    if (estimateTheCriticalPoint(Tc, Vc) && criticalPointFrom(Tc, Vc)) return;
    errorflag = 1;
}

bool FluidPhase::findTheCriticalPoint() {
    temperature(critical_T);
    volume(critical_V);
    search_the_critical_point_of_the_pure_component();
    return errorflag == 0;
}

void FluidPhase::calculateTheCriticalPoint(char mode, const char* suffix) {
    const bool mixture = component_count == 2 && x.size() == 2 && x[1] > 0.0 && x[1] < 1.0;
    bool found = false;
    if (mixture) {
        // A binary's pseudo-critical point is only a start of its search:
        // its trial states outside the model's range are no failure.
        const platform::ThreadLogCapture quiet;
        found = findTheCriticalPoint();
    } else {
        found = findTheCriticalPoint();
    }
    std::vector<MixtureCriticalPoint>& otherCriticalPoints = otherMixtureCriticalPoints;
    otherCriticalPoints.clear();
    // In a binary mixture the point where (dP/dV)T,x and (d2P/dV2)T,x vanish
    // lies inside the two-phase region (a pseudo-critical point); the
    // mixture's critical point is where its material stability ends
    // (Heidemann and Khalil 1980), sought from there at the same composition.
    if (mixture) {
        const double nan = std::nan("");
        found = searchTheMixtureCriticalPoint(x[1], found ? T : nan, found ? V : nan, &otherCriticalPoints);
        if (!found) return;  // said why
        calculate_state_functions();
        errorflag = 0;
        // A mixture's critical point is held to the model's range at its
        // composition, as the critical curve's points and its states are.
        const ValidityRange range = ModelRange(*this).stateRange();
        if (!range.holds(T, P * 1e-5)) {
            platform::diagf("The model %s holds %s at x1 = %g: its critical point at %g K and %g bar lies outside "
                            "it.\n",
                            modelName(), range.describe().c_str(), x[1], T, P * 1e-5);
            errorflag = 1;
            return;
        }
    }
    calculateBulkMolarWeight();
    const double M = bulk_molar_weight;
    if (!found || !(M > 0.0)) {
        platform::diagf("No critical point found from %g K and %g cm3/mol, nor from the model's own estimate\n",
                        critical_T, critical_V * 1e6);
        errorflag = 1;
        return;
    }
    std::printf("T   %12f K (%12f\u00b0C) \n", T, T - 273.15);
    std::printf("V   %12f cm3/mol\n", V * 1e6);
    std::printf("rho %12f kg/m3\n", M / V);
    std::printf("P   %12f bar\n", P * 1e-5);
    // A model without an ideal-gas part (or its data) gives no heat capacity;
    // one at or below zero no fluid has, and is withheld.
    if (std::isfinite(Cv) && !(Cv > 0.0))
        platform::warnf("The model %s gives cv = %.4g J/(mol K) at its critical point, which no fluid has: it is "
                        "withheld.\n",
                        modelName(), Cv);
    if (!mixture && isochoricHeatCapacityDivergesAtCriticalPoint(*this))
        std::printf("cv  %12s kJ/kg/K\n", "diverging");
    else if (std::isfinite(Cv) && Cv > 0.0)
        std::printf("cv  %12f kJ/kg/K\n", Cv * 0.001 / M);
    else
        std::printf("cv  %12s kJ/kg/K\n", "--");
    // (dP/dV)T vanishes at the critical point, and cp with it diverges.
    std::printf("cp  %12s kJ/kg/K\n", "diverging");
    // Where the critical curve turns in composition the mixture has more
    // than one stable critical point: the one above is the highest in
    // temperature, and the others are named.
    if (!otherCriticalPoints.empty()) {
        std::printf("The mixture has %zu stable critical points: %f K and %f bar (above)", otherCriticalPoints.size() + 1,
                    T, P * 1e-5);
        for (const MixtureCriticalPoint& c : otherCriticalPoints)
            std::printf("; %f K, %f cm3/mol and %f bar", c.T, c.V * 1e6, c.P * 1e-5);
        std::printf("\n");
    }

    const std::string sfx = suffix ? suffix : "";
    platform::OutputFile out("crit" + sfx, "wt");
    std::FILE* f = out.get();
    if (!f) return;
    std::fprintf(f, mode == 1 ? "IGOR\nWAVES " : "# ");
    static const char* names[] = {"T", "V", "rho", "P", "H", "A", "U", "S", "G", "Hm", "Um"};
    static const char* numbered[] = {"T(1)", "V(2)", "rho(3)", "P(4)",  "H(5)",  "A(6)",
                                     "U(7)", "S(8)", "G(9)",   "Hm(11)", "Um(12)"};
    for (int i = 0; i < 11; i++) {
        if (suffix)
            std::fprintf(f, i == 0 ? "%5s%s" : " %11s%s", names[i], suffix);
        else
            std::fprintf(f, i == 0 ? "%5s" : " %12s", numbered[i]);
    }
    std::fprintf(f, "\n");
    if (mode == 1) std::fprintf(f, "BEGIN\n");
    std::fprintf(f, "%12f %12f %12f %12f %12f %12f %12f %12f %12f %12f  %12f\n", T, V * 1e6, M / V, P * 1e-5, H, A, U,
                 S, G, H / M / 1000.0, U / M / 1000.0);
    if (mode == 1) std::fprintf(f, "END\n");
}

void FluidPhase::equationForCalculating_Spinodal(double T_, double& f, double& dfdT) {
    errorflag = 0;
    temperature(T_);
    calculate_third_order_critical_parameters();
    if (errorflag) {
        error = 1;
        return;
    }
    f = d2Adx2 - d2AdVdx * d2AdVdx / d2AdV2;
    dfdT = d3AdTdx2 - 2.0 * d2AdVdx * d3AdTdVdx / d2AdV2 + d2AdVdx * d2AdVdx * d3AdTdV2 / (d2AdV2 * d2AdV2);
}

double FluidPhase::equationForG3xFromV(double V_, void*) {
    if (V_ < 1e-8) {
        errorflag = 1;
        error = 1;
        return 0.0;
    }
    volume(V_);
    bool ok = false;
    const double t = phase_solvers::solveEquation(
        *this, toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculating_Spinodal), T_spinodal_start, 1e-9, ok);
    if (!ok) {
        errorflag = 1;
        error = 1;
        return 0.0;
    }
    temperature(t);
    calculate_third_order_critical_parameters();
    const double q = d2AdVdx / d2AdV2;
    return d3Adx3 - 3.0 * q * d3AdVdx2 + 3.0 * q * q * d3AdV2dx - q * q * q * d3AdV3;
}
