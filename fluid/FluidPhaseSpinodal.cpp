// Limit of mechanical stability: the pure-fluid spinodal A_VV = 0
// ((dP/dV)_T = 0) as a point at given T, V, P or S and as the liquid and
// vapour branches from the critical point down; for a binary mixture the
// mechanical spinodal along a composition path at fixed T and the liquid
// spinodal det[[A_VV, A_Vx], [A_Vx, A_xx]] = 0.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/CriticalStart.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/ModelRange.h"
#include "fluid/PhaseSolvers.h"
#include "fluid/TrialEvaluation.h"
#include "platform/LogSink.h"

namespace {

constexpr int kMaxTrials = 1000000;

using Setter = void (FluidPhase::*)(double);

// Sets the temperature or the volume (`set`) to `value` and runs `derivatives`;
// false (error set) when the value is not positive, error set when the
// evaluation fails.
bool evaluateAt(FluidPhase& p, Setter set, double value, void (FluidPhase::*derivatives)()) {
    if (!(value > 0.0)) {
        p.error = 1;
        return false;
    }
    (p.*set)(value);
    p.errorflag = 0;
    (p.*derivatives)();
    if (p.errorflag) p.error = 1;
    return true;
}

// Solves the spinodal equation `fn` from `start` for the variable `set` stores
// and takes the pressure at the point found; errorflag and error are 1 when
// the search or the pressure fails.
void solveSpinodalFor(FluidPhase& p, Setter set, DerivEquationFn fn, double start, double tol) {
    p.errorflag = 0;
    p.error = 0;
    bool ok = false;
    const double r = phase_solvers::solveEquation(p, fn, start, tol, ok);
    if (ok) {
        (p.*set)(r);
        p.errorflag = 0;
        p.calculate_pressure();
    }
    if (!ok || p.errorflag) p.errorflag = p.error = 1;
}

}  // namespace

// ---------------------------------------------------------------- equations

void FluidPhase::equationForCalculatingSpinodal0(double V_, double& f, double& dfdV) {
    if (!evaluateAt(*this, &FluidPhase::volume, V_, &FluidPhase::calculate_critical_parameters_of_pure_fluid)) return;
    f = d2AdV2;
    dfdV = d3AdV3;
}

void FluidPhase::equationForCalculatingSpinodal1(double T_, double& f, double& dfdT) {
    if (!evaluateAt(*this, &FluidPhase::temperature, T_, &FluidPhase::calculate_critical_parameters_of_pure_fluid))
        return;
    f = d2AdV2;
    dfdT = d3AdTdV2;
}

void FluidPhase::equationForCalculatingMechanicalSpinodal(double V_, double& f, double& dfdV) {
    if (!evaluateAt(*this, &FluidPhase::volume, V_, &FluidPhase::calculate_critical_parameters)) return;
    f = d2AdV2;
    dfdV = d3AdV3;
}

void FluidPhase::equationForCalculatingLiquidSpinodalFromV(double V_, double& f, double& dfdV) {
    error = 0;
    if (!evaluateAt(*this, &FluidPhase::volume, V_, &FluidPhase::calculate_critical_parameters)) return;
    f = d2AdV2 * d2Adx2 - d2AdVdx * d2AdVdx;
    dfdV = d3AdV3 * d2Adx2 + d2AdV2 * d3AdVdx2 - 2.0 * d3AdV2dx * d2AdVdx;
    // The composition derivative of the determinant must not be positive.
    if (d3AdV2dx * d2Adx2 + d2AdV2 * d3Adx3 - 2.0 * d3AdVdx2 * d2AdVdx > 0.0) error = 1;
}

namespace {

// The state at x = [T, V] with its derivatives; false on a failed evaluation.
bool spinodalState(FluidPhase& p, const double* xv) {
    if (!(xv[0] > 0.0) || !(xv[1] > 0.0)) return false;
    p.temperature(xv[0]);
    p.volume(xv[1]);
    const bool ok = trialEvaluation(p, &FluidPhase::calculate_pressure, &FluidPhase::calculate_fugacities,
                                    &FluidPhase::calculate_state_functions,
                                    &FluidPhase::calculate_critical_parameters_of_pure_fluid);
    return ok && std::isfinite(p.P) && std::isfinite(p.S) && std::isfinite(p.d2AdV2);
}

}  // namespace

void FluidPhase::equationForSpinodalPoint(double* xv, double* G, double** J, int& err, int order, void*) {
    if (!spinodalState(*this, xv)) {
        err = 1;
        return;
    }
    G[0] = P - P_target;
    G[1] = d2AdV2;
    if (order >= 1) {
        J[0][0] = dPdT;
        J[0][1] = dPdV;
        J[1][0] = d3AdTdV2;
        J[1][1] = d3AdV3;
    }
}

void FluidPhase::equationForSpinodalPointFixedS(double* xv, double* G, double** J, int& err, int order, void*) {
    if (!spinodalState(*this, xv)) {
        err = 1;
        return;
    }
    G[0] = S - S_target;
    G[1] = d2AdV2;
    if (order >= 1) {
        J[0][0] = -d2AdT2;
        J[0][1] = -d2AdTdV;
        J[1][0] = d3AdTdV2;
        J[1][1] = d3AdV3;
    }
}

// ---------------------------------------------------------------- drivers

void FluidPhase::calculateSpinodalPoint(double T_, double V0) {
    temperature(T_);
    solveSpinodalFor(*this, &FluidPhase::volume,
                     toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculatingSpinodal0), V0, 1e-16);
}

void FluidPhase::calculateSpinodalPoint1(double V_, double T0) {
    volume(V_);
    solveSpinodalFor(*this, &FluidPhase::temperature,
                     toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculatingSpinodal1), T0, 1e-9);
    if (errorflag) return;
    std::printf("Tsp : %12.2f K\t\t V : %12.2f cm3/mol\t\t Psp : %12.2f bar\n", T, V * 1e6, P / 1e5);
}

void FluidPhase::calculateMechanicalSpinodalPoint(double T_, double V0) {
    temperature(T_);
    solveSpinodalFor(*this, &FluidPhase::volume,
                     toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculatingMechanicalSpinodal), V0, 1e-16);
}

void FluidPhase::calculateLiquidSpinodalPointInMixtureIterateV(double T_, double V0, double x1) {
    if (component_count != 2) {
        platform::diagf("The liquid spinodal of a mixture needs two components, not %d\n", component_count);
        errorflag = error = 1;
        return;
    }
    composition_of_component(0, 1.0 - x1);
    composition_of_component(1, x1);
    temperature(T_);
    solveSpinodalFor(*this, &FluidPhase::volume,
                     toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculatingLiquidSpinodalFromV), V0, 1e-9);
    std::printf("%d %10f %10f %10f\n", errorflag, T, V * 1e6, P / 1e5);
}

void FluidPhase::calculateSpinodalPoint2(double P_bar, double V0, double T0) {
    P_target = P_bar * 1e5;
    Newton& s = phase_solvers::bindSystem(
        *this, toEquationFn<SysEquationFn>(&FluidPhase::equationForSpinodalPoint), 2, {T0, V0});
    s.verbose = 0;
    s.solve();
    // The outcome is reported through errorflag as well as the solver's status.
    errorflag = s.status != 0 ? 1 : 0;
}

void FluidPhase::calculateSpinodalPointFixedS(double S_, double V0, double T0) {
    S_target = S_;
    Newton& s = phase_solvers::bindSystem(
        *this, toEquationFn<SysEquationFn>(&FluidPhase::equationForSpinodalPointFixedS), 2, {T0, V0});
    s.verbose = 0;
    s.solve();
    errorflag = s.status != 0 ? 1 : 0;
}

// ---------------------------------------------------------------- curves

void FluidPhase::calculateSpinodalCurve(const char* path, double T0, double V0, char side, double Tlow, char mode,
                                        const char* suffix, std::vector<double>* array) {
    CurveLayout layout;
    layout.firstNameWidth = 6;
    layout.nameWidth = 12;
    layout.firstNumberedWidth = 12;  // "# " then " %11s"
    layout.numberedWidth = 13;
    layout.value = CurveValueFormat{13, 6, 'g'};
    layout.columnFormats = {CurveValueFormat{13, 6, 'f'}, CurveValueFormat{13, 5, 'f'}};
    // Without a suffix the column file has no header; an Igor file always has its own.
    if (!suffix && mode == kColumnTextFile) layout.writeHeader = false;
    const int m = mode == kBinaryRows ? 0 : mode;  // no mode 5 here
    CurveOutput out(m, path ? path : "", suffix,
                    {"T", "P", "V", "H", "A", "G", "U", "S", "c", "Um", "Hm", "rho"}, array, layout);
    auto row = [&]() {
        const double M = compositionMolarMass();
        out.writeValues(T, P / 1e5, V * 1e6, H / 1000.0, A / 1000.0, G / 1000.0, U / 1000.0, S, soundSpeed,
                        U / M / 1000.0, H / M / 1000.0, M / V);
    };

    if (!criticalPointToStartFrom(*this, T0, V0, side == 0 ? "liquid spinodal starts" : "vapour spinodal starts", false)) return;
    row();
    const double Tc = T, Vc = V;
    double t = Tc - 0.5;
    double v = side == 0 ? Vc - 1e-5 : Vc + 5e-6;
    double lambda = 1.0, Tprev = Tc, Vprev = Vc, Pprev = P, slope = 1e-8;
    for (int trial = 0; trial < kMaxTrials && errorflag == 0 && t > 0.0; ++trial) {
        // A step past the lowest temperature is shortened to land on it; the
        // point there is the last.
        // (A step that ends within rounding of it lands on it too.)
        const bool last = t - Tlow <= 1e-9 * std::fabs(Tlow);
        if (last) {
            v -= (Tlow - t) * slope;
            t = Tlow;
        }
        calculateSpinodalPoint(t, v);
        bool ok = errorflag == 0;
        if (ok) {
            calculate_fugacities();
            calculate_state_functions();
            ok = errorflag == 0;
            if (side == 0 && d3AdV3 > 0.0) ok = false;
            if (side == 1 && d3AdV3 < 0.0) ok = false;
            // The vapour spinodal falls in pressure from the critical point
            // down, above the vapour pressure: a point above the last one is
            // an extremum of a loop that a multiparameter equation has inside
            // the two-phase region (the nitrogen equation's, below 116 K, at
            // kilobars), not the spinodal.  (The liquid spinodal of water
            // turns back up in pressure below about 330 K.)
            if (side == 1 && !(P < Pprev)) ok = false;
        }
        if (ok) {
            row();
            if (last) break;
            slope = -d3AdTdV2 / d3AdV3;  // dV/dT along the spinodal
            // The predictor steps from the volume found, not from the start.
            Tprev = t;
            Vprev = V;
            Pprev = P;
            lambda = 1.0;
            t = Tprev - 0.5;
            v = Vprev - 0.5 * slope;
            continue;
        }
        lambda /= 2.0;
        if (lambda <= 1e-4) {
            platform::warnf("The %s spinodal of the model %s ends at %g K: no point of it is found below.\n",
                            side == 0 ? "liquid" : "vapour", modelName(), Tprev);
            errorflag = 1;
            break;
        }
        errorflag = 0;
        error = 0;
        t = Tprev - lambda;
        v = Vprev - 0.5 * lambda * slope;
    }
}

void FluidPhase::calculateTheSpinodals(const char* suffixL, const char* suffixV) {
    const std::string pl = CurveOutput::fileName("spino", suffixL);
    const std::string pv = CurveOutput::fileName("spino", suffixV);
    const ModelRange rules(*this);
    const double Tlow = rules.lowestReportedCurveTemperature();
    // From the critical point found from the model's start (the tracer
    // reports one not found); one outside the model's range is refused.
    // (Said once for both spinodals when there is none.)
    if (!criticalPointToStartFrom(*this, critical_T, critical_V, "spinodals start", false)) return;
    if (!ModelRange(*this).criticalPointInRange()) {
        errorflag = 1;
        return;
    }
    const double Tc = T, Vc = V;
    // The spinodals run down from the critical point: one at or below the
    // lowest temperature of the model's range leaves them no state in it.
    if (!(Tc > Tlow)) {
        platform::diagf("The spinodals of the model %s run down from the critical point at %g K and %g bar, at or "
                        "below %g K, %s: they have no state.\n",
                        modelName(), Tc, P * 1e-5, Tlow, rules.lowestCurveTemperatureReason(Tlow).c_str());
        errorflag = 1;
        return;
    }
    double ends[2] = {0.0, 0.0};
    short failed = 0;  // either spinodal's failure, kept for the caller
    for (char side : {0, 1}) {
        calculateSpinodalCurve(side == 0 ? pl.c_str() : pv.c_str(), Tc, Vc, side, Tlow, 1,
                               side == 0 ? suffixL : suffixV, nullptr);
        ends[static_cast<int>(side)] = errorflag == 0 ? T : 0.0;
        failed = failed ? failed : errorflag;
        errorflag = 0;
    }
    errorflag = failed;
    for (char side : {0, 1})
        if (ends[static_cast<int>(side)] == Tlow)
            platform::warnf("The %s spinodal of the model %s ends at %.6g K, %s.\n", side == 0 ? "liquid" : "vapour",
                            modelName(), Tlow, rules.lowestCurveTemperatureReason(Tlow).c_str());
}

void FluidPhase::calculateIsothermalMechanicalSpinodal(double T_, double V0, const char* suffix) {
    if (component_count != 2) {
        platform::diagf("The mechanical spinodal along a composition path needs two components, not %d\n",
                     component_count);
        errorflag = 1;
        return;
    }
    CurveLayout layout;
    layout.firstNameWidth = 6;
    layout.nameWidth = 12;
    CurveOutput out(kIgorTextFile, CurveOutput::fileName("spinom", suffix), suffix,
                    {"T", "x0", "x1", "V", "P", "Hm", "Am", "Gm", "Um", "Sm", "c"}, nullptr, layout);
    temperature(T_);
    volume(V0);
    errorflag = 0;
    double x1 = 0.0, lambda = 1.0, slope = 0.0, x1prev = 0.0, Vprev = V0, v = V0;
    for (int trial = 0; trial < kMaxTrials && errorflag == 0; ++trial) {
        // The path ends at the pure second component.
        if (x1 > 1.0 + 1e-12) break;
        if (x1 > 1.0) x1 = 1.0;
        composition_of_component(0, 1.0 - x1);
        composition_of_component(1, x1);
        calculateMechanicalSpinodalPoint(T_, v);
        bool ok = errorflag == 0;
        if (ok) {
            calculate_state_functions();
            ok = errorflag == 0;
        }
        if (ok) {
            out.writeValues(T, 1.0 - x1, x1, V, P / 1e5, H, A, G, U, S, soundSpeed);
            slope = -d3AdV2dx / d3AdV3;  // dV/dx1 along the mechanical spinodal
            x1prev = x1;
            Vprev = V;
            x1 += 0.001;
            v = V + 0.001 * slope;
            lambda = 1.0;
            continue;
        }
        lambda /= 2.0;
        if (lambda < 1e-4) break;
        x1 = x1prev + 0.001 * lambda;
        v = Vprev + 0.001 * lambda * slope;
        errorflag = 0;
        error = 0;
    }
}
