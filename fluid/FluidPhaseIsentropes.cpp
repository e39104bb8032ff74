// Expansions and compressions of one fluid model: states of given entropy
// (reversible adiabatic) or enthalpy (throttling) at fixed temperature or
// pressure, the isentropes and isenthalps through them, the irreversible
// decompression against a constant outside pressure, and three studies of a
// metastable liquid (the vapour-bubble nucleus, the superheat temperature of
// Salla and the emulsion-stability diagram).
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/TrialEvaluation.h"
#include "fluid/PhaseSolvers.h"
#include "numerics/Newton.h"
#include "numerics/Secant.h"
#include "platform/OutputFiles.h"
#include "platform/Process.h"
#include "platform/LogSink.h"

namespace {

// Output files are checked when they close (platform/OutputFiles.h).
using File = platform::OutputFile;

// The state functions at the current state; false when the model fails there
// (errorflag is left as it was).
bool stateFunctionsHold(FluidPhase& p) {
    return trialEvaluation(p, &FluidPhase::calculate_state_functions);
}

// Residual of a fixed-T search in V: the state functions at V, failed for a
// negative volume, a model failure or a mechanically unstable state.
double fixedTResidual(FluidPhase& p, double V_, double FluidPhase::*quantity, double target) {
    if (V_ < 0) {
        p.error = 1;
        return 0.0;
    }
    p.volume(V_);
    if (!stateFunctionsHold(p) || p.dPdV > 0 || !std::isfinite(p.*quantity)) {
        p.error = 1;
        return 0.0;
    }
    return p.*quantity - target;
}

void fixedTSearch(FluidPhase& p, double T_, double V0, ScalarEquationFn fn) {
    Secant s;
    s.obj = &p;
    s.fn = fn;
    s.tol = 1e-13;
    p.errorflag = 0;
    p.temperature(T_);
    s.x0 = V0;
    s.x1 = 1.0001 * V0;
    s.solve();
    if (s.status != 0) p.errorflag = 1;
}

// (S or H) - target and P - P_target at (T, V) with their Jacobian.
void fixedPSystem(FluidPhase& p, double* xv, double* G, double** J, int& err, bool enthalpy) {
    const double T_ = xv[0], V_ = xv[1];
    if (T_ < 0 || V_ < 0) {
        err = 1;
        return;
    }
    p.temperature(T_);
    p.volume(V_);
    const bool ok = trialEvaluation(p, &FluidPhase::calculate_fugacities, &FluidPhase::calculate_state_functions);
    if (!ok) {
        err = 1;
        return;
    }
    G[0] = enthalpy ? p.H - p.H_target : p.S - p.S_target;
    G[1] = p.P - p.P_target;
    if (J) {
        J[0][0] = enthalpy ? p.dHdTv : p.dSdTv;
        J[0][1] = enthalpy ? p.dHdVt : p.dSdVt;
        J[1][0] = p.dPdT;
        J[1][1] = p.dPdV;
    }
    if (p.dPdV > 0 || !std::isfinite(G[0]) || !std::isfinite(G[1])) err = 1;
}

// One Newton solve in (T, V) at P (bar) from (T0, V0); on success the model
// is left at the solution.
bool fixedPSolve(FluidPhase& p, double P_bar, double T0, double V0, SysEquationFn fn, double stepTol) {
    p.P_target = 1e5 * P_bar;
    Newton& s = phase_solvers::bindSystem(p, fn, 2, {T0, V0});
    s.data = nullptr;
    s.verbose = 0;
    const double savedStepTol = s.stepTol;
    s.stepTol = stepTol;
    s.solve();
    s.stepTol = savedStepTol;
    if (s.status != 0) return false;
    // The solver's test on residuals scaled by their Jacobian rows passes a
    // compressed liquid whose pressure still misses by tens of pascals:
    // plain Newton steps from there take both residuals to rounding.
    double x[2] = {s.x[0], s.x[1]};
    for (int k = 0; k < 3; ++k) {
        int err = 0;
        double G[2], row0[2], row1[2];
        double* J[2] = {row0, row1};
        p.temperature(x[0]);
        p.volume(x[1]);
        (static_cast<Equation&>(p).*fn)(x, G, J, err, 1, nullptr);
        const double det = row0[0] * row1[1] - row0[1] * row1[0];
        if (err || !std::isfinite(det) || det == 0.0) break;
        const double dT = -(G[0] * row1[1] - row0[1] * G[1]) / det;
        const double dV = -(row0[0] * G[1] - row1[0] * G[0]) / det;
        if (!std::isfinite(dT) || !std::isfinite(dV) || std::fabs(dT) > 1e-3 * x[0] || std::fabs(dV) > 1e-3 * x[1])
            break;
        x[0] += dT;
        x[1] += dV;
        if (std::fabs(dT) <= 1e-14 * x[0] && std::fabs(dV) <= 1e-14 * x[1]) break;
    }
    int err = 0;
    double G[2];
    (static_cast<Equation&>(p).*fn)(x, G, nullptr, err, 0, nullptr);
    if (err) {  // keep the solver's point
        x[0] = s.x[0];
        x[1] = s.x[1];
        err = 0;
        (static_cast<Equation&>(p).*fn)(x, G, nullptr, err, 0, nullptr);
    }
    p.temperature(x[0]);
    p.volume(x[1]);
    return true;
}

void fixedPSearch(FluidPhase& p, double P_bar, double T0, double V0, SysEquationFn fn, double stepTol) {
    p.errorflag = 0;
    if (fixedPSolve(p, P_bar, T0, V0, fn, stepTol)) return;
    // Newton's basin in (T, V) is narrow where the volume changes by a large
    // factor (a vapour expanded several times): follow the line from the
    // pressure of the start state to the target in steps, each solved from
    // the last point found, halving a step that fails.
    p.temperature(T0);
    p.volume(V0);
    p.calculate_pressure();
    const double Pfrom = 1e-5 * p.P;
    p.errorflag = 1;
    if (!(Pfrom > 0.0) || !std::isfinite(Pfrom) || !(P_bar > 0.0)) return;
    double T = T0, V = V0, Pnow = Pfrom, step = 0.25 * (P_bar - Pfrom);
    const double smallest = 1e-6 * std::fabs(P_bar - Pfrom);
    for (int k = 0; k < 400; ++k) {
        const bool last = std::fabs(P_bar - Pnow) <= std::fabs(step);
        const double next = last ? P_bar : Pnow + step;
        if (fixedPSolve(p, next, T, V, fn, stepTol)) {
            if (last) {
                p.errorflag = 0;
                return;
            }
            T = p.T;
            V = p.V;
            Pnow = next;
            step *= 1.5;
        } else {
            step *= 0.5;
            if (std::fabs(step) <= smallest) break;
        }
    }
    p.P_target = 1e5 * P_bar;
    p.errorflag = 1;
}

const char* const kCurveNames[] = {"T", "V", "P", "A", "H", "U", "S", "G", "Cv", "Cp", "Um", "Hm", "rho"};
const char* const kCurveNumbered[] = {"T(1)",  "V(2)",  "P(3)",   "A(4)",   "H(5)",   "U(6)",   "S(7)",
                                      "G(8)",  "Cv(9)", "Cp(10)", "Um(11)", "Hm(12)", "rho(13)"};
constexpr const char* kNanRow = "nan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\tnan\n";

// The isentrope (entropy) or isenthalp (enthalpy) tracer: temperature steps
// while the line is shallow, pressure steps (1 bar on the isentrope, 2 bar
// on the isenthalp) where it is steep.
void traceIsoline(FluidPhase& p, bool enthalpy, double target, double T0, double dT, double Tlow, double Thigh,
                  double Pmin, double Pmax, char mode, const char* suffix, std::vector<double>* out) {
    const std::string path = CurveOutput::fileName(enthalpy ? "isoh" : "isos", suffix);
    File f;
    if (mode == 1 || mode == 2) {
        f = File(path, "w");
    }
    if (f && mode == 1) {
        std::fputs("IGOR\nWAVES ", f.get());
        for (int i = 0; i < 13; ++i)
            std::fprintf(f.get(), i == 0 ? "%5s%s" : "\t%11s%s", kCurveNames[i], suffix ? suffix : "");
        std::fputs("\nBEGIN\n", f.get());
        if (T0 < Tlow) std::fputs(kNanRow, f.get());
    } else if (f) {
        std::fputs("# # ", f.get());
        for (int i = 0; i < 13; ++i) std::fprintf(f.get(), i == 0 ? "%12s" : "\t%12s", kCurveNumbered[i]);
        std::fputs("\n", f.get());
    }

    if (!(dT != 0.0) || !std::isfinite(dT)) {
        platform::diagf("%s: a temperature step of %g K does not move along the line\n",
                     enthalpy ? "Isenthalp" : "Isentrope", dT);
    } else {
        p.temperature(T0);
        if (enthalpy)
            p.H_target = target;
        else
            p.S_target = target;
        bool fixedP = false;
        constexpr int kMaxPoints = 1000000;
        const double M = p.bulk_molar_weight;
        for (int k = 0; k < kMaxPoints && Tlow < p.T && p.T < Thigh; ++k) {
            if (enthalpy) {
                if (fixedP)
                    p.calculate_isenthalpic_point_at_fixed_P(1e-5 * p.P, p.H_target, p.T, p.V);
                else
                    p.calculate_isenthalpic_point_at_fixed_T(p.T, p.H_target, p.V);
            } else {
                if (fixedP)
                    p.calculate_isentropic_point_at_fixed_P(1e-5 * p.P, p.S_target, p.T, p.V);
                else
                    p.calculate_isentropic_point_at_fixed_T(p.T, p.S_target, p.V);
            }
            if (p.errorflag) {
                if (f) std::fputs(kNanRow, f.get());
                break;
            }
            p.calculate_state_functions();
            if (p.dPdV > 0 || p.P < Pmin || p.P > Pmax) break;
            const double row[13] = {p.T,  1e6 * p.V, 1e-5 * p.P, p.A, p.H, p.U, p.S, p.G, p.Cv, p.Cp,
                                    0.001 * p.U / M, 0.001 * p.H / M, M / p.V};
            if (f) {
                for (int i = 0; i < 13; ++i) std::fprintf(f.get(), i == 0 ? "%12lg" : "\t%12lg", row[i]);
                std::fputs("\n", f.get());
            } else if (mode == 6 && out) {
                out->insert(out->end(), row, row + 13);
            }
            if (enthalpy) {
                const double slope = p.dPdT - p.dPdV * p.dHdTv / p.dHdVt;  // (dP/dT) at constant H
                fixedP = std::fabs(slope) > 1e6;
                if (fixedP)
                    p.pressure(1e-5 * p.P - 2.0);
                else
                    p.temperature(slope < 0 ? p.T - dT : p.T + dT);
            } else {
                // (dP/dT) at constant S = -(A_TV^2 - A_VV A_TT)/A_TV.
                const double slope =
                    -(p.d2AdTdV * p.d2AdTdV - p.d2AdV2 * p.d2AdT2) / p.d2AdTdV;
                fixedP = slope > 1e7;
                if (fixedP)
                    p.pressure(1e-5 * p.P - 1.0);
                else
                    p.temperature(p.T + dT);
            }
        }
    }
    if (f && mode == 1) std::fputs("END\n", f.get());
    p.errorflag = 0;
}

}  // namespace

// ---------------------------------------------------------------- searches

double FluidPhase::equationForIsentropic(double V_, void*) { return fixedTResidual(*this, V_, &FluidPhase::S, S_target); }

double FluidPhase::equationForIsenthalpic(double V_, void*) {
    return fixedTResidual(*this, V_, &FluidPhase::H, H_target);
}

void FluidPhase::equationForCalculatingTVFromPS(double* xv, double* G_, double** J, int& err, int, void*) {
    fixedPSystem(*this, xv, G_, J, err, false);
}

void FluidPhase::equationForCalculatingTVFromPH(double* xv, double* G_, double** J, int& err, int, void*) {
    fixedPSystem(*this, xv, G_, J, err, true);
}

void FluidPhase::calculate_isentropic_point_at_fixed_T(double T_, double S_, double V0) {
    S_target = S_;
    fixedTSearch(*this, T_, V0, toEquationFn<ScalarEquationFn>(&FluidPhase::equationForIsentropic));
}

void FluidPhase::calculate_isenthalpic_point_at_fixed_T(double T_, double H_, double V0) {
    H_target = H_;
    fixedTSearch(*this, T_, V0, toEquationFn<ScalarEquationFn>(&FluidPhase::equationForIsenthalpic));
}

void FluidPhase::calculate_isentropic_point_at_fixed_P(double P_bar, double S_, double T0, double V0) {
    S_target = S_;
    fixedPSearch(*this, P_bar, T0, V0, toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingTVFromPS),
                 1e-8);
}

void FluidPhase::calculate_isenthalpic_point_at_fixed_P(double P_bar, double H_, double T0, double V0) {
    H_target = H_;
    fixedPSearch(*this, P_bar, T0, V0, toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingTVFromPH),
                 1e-6);
}

void FluidPhase::calculateFromTS(double T_, double S_, char print) {
    calculate_isentropic_point_at_fixed_T(T_, S_, V);
    calculate_state_functions();
    calculate_fugacities();
    if (print) dump();
}

// ---------------------------------------------------------------- curves

void FluidPhase::calculateTheIsentropicCurve(double S_, double T0, double dT, double Tlow, double Thigh, double Pmin,
                                             double Pmax, char mode, const char* suffix, std::vector<double>* out) {
    traceIsoline(*this, false, S_, T0, dT, Tlow, Thigh, Pmin, Pmax, mode, suffix, out);
}

void FluidPhase::calculateTheIsenthalpicCurve(double H_, double T0, double dT, double Tlow, double Thigh, double Pmin,
                                              double Pmax, char mode, const char* suffix, std::vector<double>* out) {
    traceIsoline(*this, true, H_, T0, dT, Tlow, Thigh, Pmin, Pmax, mode, suffix, out);
}

namespace {

void startState(FluidPhase& p, double T0, double P0_bar, double V0) {
    p.temperature(T0);
    if (V0 > 0) {
        p.volume(V0);
        p.calculate_pressure();
    } else {
        p.pressure(P0_bar);
        p.calculate_molar_volume();
    }
    p.calculate_state_functions();
}

}  // namespace

void FluidPhase::calculateTheIsentropicCurve(double T0, double P0_bar, double V0, double dT, double Tlow,
                                             double Thigh, double Pmin, double Pmax, char mode, const char* suffix,
                                             std::vector<double>* out) {
    startState(*this, T0, P0_bar, V0);
    calculateTheIsentropicCurve(S, T0, dT, Tlow, Thigh, Pmin, Pmax, mode, suffix, out);
}

void FluidPhase::calculateTheIsenthalpicCurve(double T0, double P0_bar, double V0, double dT, double Tlow,
                                              double Thigh, double Pmin, double Pmax, char mode, const char* suffix,
                                              std::vector<double>* out) {
    startState(*this, T0, P0_bar, V0);
    calculateTheIsenthalpicCurve(H, T0, dT, Tlow, Thigh, Pmin, Pmax, mode, suffix, out);
}

// ---------------------------------------------------------------- decompression

double FluidPhase::equationForIrreversibleDecompression(double T_, void* data) {
    const double* d = static_cast<const double*>(data);
    const double Pf = d[0], V0 = d[1], U0 = d[2], c = d[3], T0 = d[4];
    if (T_ < 0) {
        error = 1;
        return 0.0;
    }
    temperature(T_);
    pressure(1e-5 * Pf);
    set_the_phase_as(2);
    // The secant's trials follow one branch: each search goes on from the
    // volume of the previous trial (liquid or vapour).
    calculateMolarVolumeFrom(Vl0);
    if (errorflag) calculate_molar_volume();
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    Vl0 = V;
    if (!stateFunctionsHold(*this)) {
        error = 1;
        return 0.0;
    }
    return (U - U0) + Pf * (V - V0) + c * (T_ - T0);
}

void FluidPhase::calculate_irreversible_decompression_point_at_fixed_p(double T0, double V0, double Pf, double c,
                                                                       double Tstart) {
    temperature(T0);
    volume(V0);
    calculate_state_functions();
    double data[5] = {Pf, V, U, c, T0};
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&FluidPhase::equationForIrreversibleDecompression);
    s.data = data;
    s.tol = 1e-13;
    s.x0 = Tstart;
    s.x1 = Tstart + 0.0001;
    errorflag = 0;
    s.solve();
    // The secant's last trial may have failed; errorflag tells the outcome.
    errorflag = s.status != 0 ? 1 : 0;
}

// ---------------------------------------------------------------- metastable liquid

double FluidPhase::equationForBubbleNucleus(double V_, void*) {
    if (V_ < 0 || std::fabs(V_ - Vl_sat) < 1e-8) {
        error = 1;
        return 0.0;
    }
    set_the_phase_as(1);
    volume(V_);
    Vv_sat = V_;
    if (!stateFunctionsHold(*this)) {
        error = 1;
        return 0.0;
    }
    return G - G_target;
}

void FluidPhase::searchBubbleNucleusPressure(double T_, double Vl, double Vstart) {
    errorflag = 0;
    temperature(T_);
    set_the_phase_as(2);
    volume(Vl);
    calculate_state_functions();
    G_target = G;
    Vl_sat = Vl;
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&FluidPhase::equationForBubbleNucleus);
    s.x0 = Vstart;
    s.x1 = Vstart + 0.0001;
    s.solve();
    errorflag = s.status != 0 ? 1 : 0;
}

double FluidPhase::equationForSallaSpinodal(double T_, void* data) {
    const double* d = static_cast<const double*>(data);
    if (T_ <= 0) {
        error = 1;
        return 0.0;
    }
    temperature(T_);
    initializeSaturationVolumesFromT(componentName(0), T_);
    calculate_saturation_pressure();
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    set_the_phase_as(2);
    volume(Vl_sat);
    if (!stateFunctionsHold(*this)) {
        error = 1;
        return 0.0;
    }
    return (U - d[0]) - (d[1] - U);
}

void FluidPhase::calculateTheSallaSpinodalTemperature() {
    initializeSaturationVolumesFromP(componentName(0), 1.0);
    calculate_saturation_temperature(100000.0, 373.15);
    temperature(T);
    pressure(1.0);
    calculate_saturation_pressure();
    set_the_phase_as(2);
    volume(Vl_sat);
    calculate_state_functions();
    const double Ul1 = U;
    set_the_phase_as(1);
    volume(Vv_sat);
    calculate_state_functions();
    double data[2] = {Ul1, U};
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&FluidPhase::equationForSallaSpinodal);
    s.data = data;
    s.verbose = 1;
    s.x0 = 590.0;
    s.x1 = 590.0001;
    errorflag = 0;
    s.solve();
    errorflag = s.status != 0 ? 1 : 0;
    std::printf("Salla spinodal temperature : %lg err : %d\n", T, errorflag);
}

void FluidPhase::plot_emulsion_stability_curves(const double* radii, int n, double T0, double dT, double V0,
                                                double Tlow, double parachor_) {
    if (!radii || n < 1) return;
    File g("g58.gp", "w");
    if (g) {
        std::fprintf(g.get(), "reset\nset timestamp\nset title \"Emulsion stability - %s\"\n", modelName());
        std::fputs("set xlabel \"T (K)\"\nset ylabel \"P (bar)\"\nset yrange [*:*]\n", g.get());
    }
    for (int i = 0; i < n; ++i) {
        const double r = radii[i];
        if (r > 0) {
            capillary_mode = 1;
            capillary_radius = r;
            parachor = parachor_;
        } else if (r < 0) {
            capillary_mode = 2;
            capillary_radius = -r;
            parachor = parachor_;
        } else {
            capillary_mode = 0;
            capillary_radius = 0.0;
            parachor = 0.0;
        }
        const std::string path = "emuls" + std::to_string(i);
        calculate_saturation_curve(path.c_str(), 2, T0, dT, V0, V0, Tlow, 2, nullptr, nullptr);
        if (!g) continue;
        std::fputs(i == 0 ? "plot " : ",\\\n", g.get());
        if (r > 0)
            std::fprintf(g.get(), "\"%s\" using 4:21 w lines title '%.0lf' ", path.c_str(), 1e6 * r);
        else if (r < 0)
            std::fprintf(g.get(), "\"%s\" using 4:22 w lines title '%.0lf' ", path.c_str(), 1e6 * r);
        else
            std::fprintf(g.get(), "\"%s\" using 4:1 w lines title 'sat' ", path.c_str());
    }
    if (!g) return;
    std::fputs("\n", g.get());
    g.reset();
    platform::runGnuplot("g58.gp");
}
