// Curves of two-phase states of a mixture of fixed bulk composition by
// predictor-corrector continuation: isopleths at a fixed molar vapour
// fraction (bubble curve at Fv = 0, dew curve at Fv = 1), isopleths at a
// fixed volumetric vapour fraction, and isochors.  The predictor extrapolates
// along the tangent of the equilibrium (calculate_derivatives) and fixes the
// next value of the stepping variable: the temperature while the curve is
// flat in the (T, P) plane, the pressure where it becomes steep
// (|dP/dT| >= 1e5 Pa/K); a full solve corrects the prediction.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "equilibria/IFP.h"
#include "fluid/BinarySide.h"
#include "fluid/CriticalApproach.h"
#include "fluid/FluidPhase.h"
#include "platform/LogSink.h"

namespace {

// Composition columns: values below 1e-40 are written as 0.
double tiny0(double v) { return std::fabs(v) < 1e-40 ? 0.0 : v; }

// Upper bound of the predictions of one trace, so that a trace creeping by
// short steps along a curve that stays inside its window ends.
constexpr int kMaxTracePoints = 20000;

}  // namespace

void IFP::predictNextState(int kind, double h, double dT, double dP) {
    static constexpr short kCodeT[3] = {13, 14, 15};
    static constexpr short kCodeP[3] = {23, 24, 25};
    static constexpr int kConstraint[3] = {3, 4, 5};
    const short cT = kCodeT[kind], cP = kCodeP[kind];
    const int c2 = kConstraint[kind];
    double& stepT = predictor_dT[kind];
    double& stepP = predictor_dP[kind];
    const int n = nc;
    if (n == 0 || !hasModels()) return;

    for (;;) {
        // 1. Tangent of the path at the last solved state.
        if (problem == cT) {
            calculate_derivatives(tangent.data(), 1, c2);
            slope_T = tangent[1];
        } else if (problem == cP) {
            calculate_derivatives(tangent.data(), 2, c2);
            slope_T = 1.0 / tangent[0];
        }
        // 2. The steps of a new trace.
        if (pass_count == 0) {
            stepT = dT;
            stepP = dT * slope_T;
        }
        pass_count++;
        // 3. / 4. Pressure stepping where the curve is steep, else temperature stepping.
        if (std::fabs(slope_T) >= 1e5) {
            if (problem == cT) {
                set_type_of_problem(cP);
                calculate_derivatives(tangent.data(), 2, c2);
                const double D = kind == 0 ? std::fabs(dP) : 1e5;
                stepP = slope_T * stepT > 0 ? D : -D;
            }
            set_the_pressure((previous.P + h * stepP) / 100000.0);
            estimate.T = previous.T + h * tangent[0] * stepP;
            for (int i = 0; i < n; i++) {
                estimate.x[i] = previous.x[i] + h * tangent[4 + i] * stepP;
                estimate.y[i] = previous.y[i] + h * tangent[n + 4 + i] * stepP;
            }
        } else {
            if (problem == cP) {
                set_type_of_problem(cT);
                calculate_derivatives(tangent.data(), 1, c2);
                // Back to temperature steps in the direction of travel: the
                // pressure step continues along dP = slope dT.
                const double size = kind == 0 ? std::fabs(dT) : 1.0;
                stepT = slope_T * stepP > 0 ? size : -size;
            }
            set_the_temperature(previous.T + h * stepT);
            estimate.P = previous.P + h * slope_T * stepT;
            for (int i = 0; i < n; i++) {
                estimate.x[i] = previous.x[i] + h * tangent[4 + i] * stepT;
                estimate.y[i] = previous.y[i] + h * tangent[n + 4 + i] * stepT;
            }
        }

        // 5. Bounds of the estimates.
        if (kind == 0) {
            bool out = estimate.P < 0.0;
            for (int i = 0; i < n && !out; i++) out = bad_estimates(i) != 0;
            if (!out) return;
            h /= 2.0;
            if (h < 0.01) return;
            continue;
        }
        if (estimate.P < 0.0) {
            h /= 2.0;
            // A floor also for the volumetric-fraction predictor: a pressure
            // that stays negative ends the prediction instead of looping.
            if (h < 1e-5) {
                platform::diagf("Pnc out of range\n");
                return;
            }
            continue;
        }
        const double lowest = kind == 1 ? -1e-10 : -1e-20;
        bool repeat = false;
        for (int i = 0; i < n && !repeat; i++) {
            const bool out = estimate.x[i] > 1.0000000001 || estimate.x[i] < lowest || estimate.y[i] > 1.0000000001 ||
                             estimate.y[i] < lowest;
            if (!out) continue;
            h /= 2.0;
            if (kind == 1) {
                if (h >= 1e-4) {
                    repeat = true;
                } else {
                    platform::diagf("xnc or ync (%d) out of range\n", i);
                    return;
                }
            } else if (h >= 1e-5) {
                repeat = true;
            } else {
                platform::diagf("Estimate_next_state : xnc or ync (%d) out of range \n", i);
            }
        }
        if (!repeat) return;
    }
}

void IFP::estimate_next_state0(double h, double dT, double dP) { predictNextState(0, h, dT, dP); }
void IFP::estimate_next_state4(double h, double dT) { predictNextState(1, h, dT, 0.0); }
void IFP::estimate_next_state0a(double h, double dT) { predictNextState(2, h, dT, 0.0); }

void IFP::handStartVolumes(double Vl, double Vv) {
    for (FluidPhase* m : {liquid, vapour}) {
        const double v = m == liquid ? Vl : Vv;
        if (m->phase_kind == 2)
            m->Vl0 = v;
        else
            m->Vv0 = v;
    }
}

bool IFP::solveQuietlyFrom(double Vl, double Vv) {
    handStartVolumes(Vl, Vv);
    {
        const platform::ThreadLogCapture quiet;
        set_initialization_flag(0);
        initialize();
        if (error == 0) solveSystem();
    }
    if (error == 0) return true;
    error = 0;
    return false;
}

void IFP::calculate_an_isopleth(double T0, double Fv_, std::FILE* f, const char* name, double Tmin, double Tmax,
                                double dT, double dP, char fromPressure, char mode, std::vector<double>* array) {
    if (!hasModels() || variable_count == 0) {
        error = hasModels() ? 2 : 6;
        platform::diagf("The two-phase problem is not set up (models and components)\n");
        return;
    }
    const int n = nc;
    const char* nm = name ? name : "";
    // Output into the caller's file (modes 1 and 2) or array (mode 6).
    const bool text = (mode == 1 || mode == 2) && f;
    const bool toArray = mode == 6 && array;

    // 1.
    const double Vl0 = liquid->Vl0, Vv0 = vapour->Vv0;
    factor = 1.0;
    // 2. Header.
    if (text && mode == 1) {
        std::fprintf(f, "IGOR\nWAVES %5s%s %11s%s ", "T", nm, "P", nm);
        for (int i = 0; i < n; i++) std::fprintf(f, "%10s%1d%s ", "x", i, nm);
        for (int i = 0; i < n; i++) std::fprintf(f, "%10s%1d%s ", "y", i, nm);
        std::fprintf(f, "%11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "Vl", nm, "Vv", nm, "dPdT", nm, "Mwl", nm,
                     "Mwv", nm);
    } else if (text) {
        std::fprintf(f, "# ");
        std::fprintf(f, " %12s\t%12s\t", "T(1)", "P(2)");
        for (int i = 0; i < n; i++) std::fprintf(f, "%12s(%d)\t", "x", i + 3);
        for (int i = 0; i < n; i++) std::fprintf(f, "%12s(%d)\t", "y", n + i + 3);
        std::fprintf(f, "Vl(%d)\tVv(%d)\tdPdT(%d)\tMwl(%d)\tMwv(%d)\n", 2 * n + 3, 2 * n + 4, 2 * n + 5, 2 * n + 6,
                     2 * n + 7);
    }

    // 3. Start.
    if (fromPressure) {
        vapour->set_the_phase_as(5);
        set_type_of_problem(23);
        set_the_temperature(T0);
        set_the_pressure(estimate.P / 100000.0);
    } else {
        set_type_of_problem(13);
        set_the_temperature(T0);
        set_the_vaporization_ratio(Fv_);
    }
    pass_count = 0;
    set_initialization_flag(first_init_flag);
    calculateVLE();
    if (error != 0 && fromPressure) {
        // The vapour's volume search from its stored volume served the first
        // evaluation; the trial states need the kind of a vapour (1), which
        // the failed solve has restored, so the start is solved once more.
        set_initialization_flag(first_init_flag);
        calculateVLE();
    }
    // 4.
    if (error != 0) {
        error = 3;
        platform::diagf("Can't find a starting point for the isopleth\n");
        return;
    }

    // 5. Volume slopes for the start volumes of the pressure steps (none
    // when the start solve left the pressure unchanged).
    auto slope = [](double dV, double dPa) { return dPa != 0.0 ? dV / dPa : 0.0; };
    double sL = slope(liquid->V - Vl0, P - previous.P);
    double sV = slope(vapour->V - Vv0, P - previous.P);
    previous.x = x;
    previous.y = y;
    previous.P = P;
    previous.T = T;
    double VlLast = liquid->V, VvLast = vapour->V;
    // The volumes of the last solved state.
    double VlAt = VlLast, VvAt = VvLast;

    // 6.
    estimate_next_state0(1.0, dT, dP);
    // 7. Mean molar masses of the start point.
    double Mwl = 0.0, Mwv = 0.0;
    for (int i = 0; i < n; i++) {
        Mwl += x[i] * liquid->molar_mass[i];
        Mwv += y[i] * vapour->molar_mass[i];
    }
    auto writeRow = [&]() {
        const double Vl = liquid->V * 1e6, Vv = vapour->V * 1e6;
        if (text) {
            std::fprintf(f, "%12lg %12lg ", T, P / 100000.0);
            for (int i = 0; i < n; i++) std::fprintf(f, "%12lg ", tiny0(x[i]));
            for (int i = 0; i < n; i++) std::fprintf(f, "%12lg ", tiny0(y[i]));
            std::fprintf(f, "%12lg %12lg %12lg %12lg %12lg\n", Vl, Vv, slope_T * 1e-5, Mwl, Mwv);
        } else if (toArray) {
            array->push_back(T);
            array->push_back(P / 100000.0);
            for (int i = 0; i < n; i++) array->push_back(tiny0(x[i]));
            for (int i = 0; i < n; i++) array->push_back(tiny0(y[i]));
            for (double v : {Vl, Vv, slope_T * 1e-5, Mwl, Mwv}) array->push_back(v);
        }
    };
    // 8.
    writeRow();
    // 9.
    set_initialization_flag(0);
    double VlStart = VlLast, VvStart = VvLast;

    // The bubble curve (Fv = 0) and the dew curve (Fv = 1) of a binary meet
    // at the critical point of the mixture of the bulk's composition: each
    // ends there.  The point is sought once the two phases come close (or
    // the trace stalls), from the last point's temperature and the geometric
    // mean of its volumes, and closes the curve only when it lies ahead of
    // the last point (in T while the steps are in T, in P while they are in
    // P) and near it, inside the trace's window; a search that fails is
    // tried again once the phases have come closer.
    const bool closesAtCritical = n == 2 && (Fv_ == 0.0 || Fv_ == 1.0);
    double nextTry = critical_approach::kNearCriticalVolumeRatio;
    double Tbefore = T, Pbefore = P, Tc = 0.0, Vc = 0.0, Pc = 0.0;
    auto searchCritical = [&]() {
        nextTry = critical_approach::nextNearCriticalRatio(nextTry);
        const double T0 = previous.T, P0 = previous.P, zc = z[1];
        FluidPhase& m = *liquid;
        {
            const platform::ThreadLogCapture quiet;  // a start that does not converge is no failure
            m.composition_of_component(0, 1.0 - zc);
            m.composition_of_component(1, zc);
            m.temperature(T0);
            m.volume(std::sqrt(VlAt * VvAt));
            m.search_a_critical_point(kCriticalPointFixedComposition);
        }
        const bool converged = m.errorflag == 0 && std::isfinite(m.T) && std::isfinite(m.V) && std::isfinite(m.P) &&
                               m.P > 0.0 && m.V > 0.0 && std::fabs(m.T - T0) < 0.1 * T0;
        m.errorflag = 0;
        if (!converged) return false;
        const bool ahead = problem == 23 ? (m.P - P0) * (P0 - Pbefore) >= -1e-9 * P0 * std::fabs(P0 - Pbefore)
                                         : (m.T - T0) * (T0 - Tbefore) >= -1e-9 * T0 * std::fabs(T0 - Tbefore);
        // A critical point outside the trace's window does not end it: the
        // trace stops at the window as it would without it.
        if (!ahead || m.T < Tmin || m.T > Tmax || m.P > 1e9) return false;
        Tc = m.T;
        Vc = m.V;
        Pc = m.P;
        return true;
    };
    // From the last point to the critical point: states of the curve at
    // temperatures or pressures most of the way each time; the critical point
    // itself is the last row.
    auto closeAtCritical = [&]() {
        using critical_approach::TieLine;
        const double zc = z[1];
        const TieLine c{Tc, Pc, zc, zc, Vc, Vc};
        const TieLine last{previous.T, previous.P, previous.x[1], previous.y[1], VlAt, VvAt};
        // Both parameters, T (problem 13) and P (problem 23): of the two the
        // one that comes closer.
        critical_approach::approachTheCriticalPoint(
            last, c, Fv_ == 0.0, 1.0, 2,
            [&](int kind, const TieLine& st, TieLine& got) {
                set_type_of_problem(kind == 0 ? 13 : 23);
                estimate.T = st.s;
                estimate.P = st.t;
                estimate.x = {1.0 - st.x, st.x};
                estimate.y = {1.0 - st.y, st.y};
                if (kind == 0)
                    set_the_temperature(st.s);
                else
                    set_the_pressure(st.t / 100000.0);
                if (!solveQuietlyFrom(st.Vl, st.Vv)) return false;
                got = {T, P, x[1], y[1], liquid->V, vapour->V};
                if (!binary_side::stableTieLine(*liquid, *vapour, got.x, got.Vl, got.y, got.Vv)) return false;
                calculate_derivatives(tangent.data(), kind == 0 ? 1 : 2, 3);
                slope_T = kind == 0 ? tangent[1] : 1.0 / tangent[0];
                return true;
            },
            writeRow);
        T = Tc;
        P = Pc;
        x = {1.0 - zc, zc};
        y = x;
        liquid->V = vapour->V = Vc;
        writeRow();
        error = 1;  // the curve ends here
    };

    // 10.
    int points = 0;
    while (error == 0) {
        if (++points > kMaxTracePoints) {
            platform::diagf("The curve is cut after %d points\n", kMaxTracePoints);
            break;
        }
        handStartVolumes(VlStart, VvStart);
        initialize();
        solveSystem();
        // The phases of a binary's curve stay on their sides up to the
        // critical point: a state whose phases swapped (or became one) lies
        // past it.
        if (error == 0 && closesAtCritical &&
            ((y[1] - x[1]) * (previous.y[1] - previous.x[1]) <= 0.0 || !(vapour->V > liquid->V)))
            error = 1;
        if (error == 0) {
            VlLast = liquid->phase_kind == 2 ? liquid->Vl0 : liquid->Vv0;
            sL = slope(liquid->V - VlLast, P - previous.P);
            VvLast = vapour->phase_kind == 2 ? vapour->Vl0 : vapour->Vv0;
            sV = slope(vapour->V - VvLast, P - previous.P);
            Tbefore = previous.T;
            Pbefore = previous.P;
            previous.x = x;
            previous.y = y;
            previous.P = P;
            previous.T = T;
            VlAt = liquid->V;
            VvAt = vapour->V;
            if (T < Tmin || T > Tmax || P > 1e9) error = 1;  // the last row is still written
            estimate_next_state0(factor, dT, dP);
            if (problem == 23) VlStart = (estimate.P - previous.P) * sL + VlLast;
            platform::tracef("%12lg %12lg %5d %12lg %12lg\n", T, P / 100000.0, problem, spec_T, spec_P / 100000.0);
            writeRow();
            // A step shortened by failures grows back after each success.
            if (factor < 1.0) factor = std::fmin(2.0 * factor, 1.0);
            if (error == 0 && closesAtCritical && VvAt > VlAt && VvAt < nextTry * VlAt && searchCritical())
                closeAtCritical();
        } else {
            factor = factor / 2.0;
            if (factor > 0.001) {
                x = previous.x;
                y = previous.y;
                P = previous.P;
                T = previous.T;
                handStartVolumes(VlLast, VvLast);
                apply_conditions();
                vapour->describe();
                liquid->describe();
                estimate_next_state0(factor, dT, dP);
                VlStart = VlLast;
                VvStart = VvLast;
                if (problem == 23) {
                    VlStart = (estimate.P - previous.P) * sL + VlLast;
                    VvStart = (estimate.P - previous.P) * sV + VvLast;
                }
                error = 0;
            } else if (closesAtCritical && searchCritical()) {
                // A curve that stalls has come to the critical point (or
                // close to it): it closes there.
                closeAtCritical();
            }
        }
    }
    // 11.
    if (text && mode == 1) std::fprintf(f, "END\n");
}

bool IFP::solvePathStart(short code, double T0, double fraction) {
    if (!hasModels() || variable_count == 0) {
        error = hasModels() ? 2 : 6;
        platform::diagf("The two-phase problem is not set up (models and components)\n");
        return false;
    }
    factor = 1.0;
    set_type_of_problem(code);
    set_the_temperature(T0);
    if (code == 15)
        set_the_vaporization_ratio1(fraction);
    else
        set_the_vaporization_ratio(fraction);
    pass_count = 0;
    set_initialization_flag(first_init_flag);
    calculateVLE();
    if (error != 0) {
        error = 3;
        platform::diagf("Can't find a starting point for the isopleth\n");
        return false;
    }
    previous.x = x;
    previous.y = y;
    previous.P = P;
    previous.T = T;
    return true;
}

void IFP::followPath(int predictor, double minFactor, double Tmin, double Tmax, double dT,
                     const std::function<void()>& writeRow) {
    double Vl = liquid->V, Vv = vapour->V;
    set_initialization_flag(0);
    int points = 0;
    while (error == 0) {
        if (++points > kMaxTracePoints) {
            platform::diagf("The curve is cut after %d points\n", kMaxTracePoints);
            break;
        }
        predictNextState(predictor, factor, dT, 0.0);
        handStartVolumes(Vl, Vv);
        calculateVLE();
        if (error == 0) {
            previous.x = x;
            previous.y = y;
            previous.P = P;
            previous.T = T;
            Vl = liquid->V;
            Vv = vapour->V;
            if (T < Tmin || T > Tmax) error = 1;  // the last row is still written
            std::printf("%lg %lg\n", T, P / 100000.0);
            writeRow();
            // A step shortened by failures grows back after each success.
            if (factor < 1.0) factor = std::fmin(2.0 * factor, 1.0);
        } else {
            factor = factor / 2.0;
            if (factor > minFactor) error = 0;
        }
    }
}

void IFP::calculate_an_isochor(double T0, double Fv_, std::FILE* f, const char* name, double Tmin, double Tmax,
                               double dT) {
    const int n = nc;
    const std::string X = header("x", "     "), Y = header("y", "     ");
    if (f && hasModels() && variable_count != 0)
        std::fprintf(f, "IGOR\nWAVES Tr Pr %s %s Vl Vv dPdT fv mwl rol mwv rov \nBEGIN\n", X.c_str(), Y.c_str());
    if (!solvePathStart(13, T0, Fv_)) return;
    auto writeRow = [&]() {
        if (!f) return;
        std::fprintf(f, "%lg\t%lg\t", T, P / 100000.0);
        for (int i = 0; i < n; i++) std::fprintf(f, "%lg\t", x[i]);
        for (int i = 0; i < n; i++) std::fprintf(f, "%lg\t", y[i]);
        liquid->calculateBulkMolarWeight();
        vapour->calculateBulkMolarWeight();
        std::fprintf(f, "%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\n", liquid->V * 1e6, vapour->V * 1e6, slope_T / 1e7,
                     Fvol, liquid->bulk_molar_weight, liquid->rho, vapour->bulk_molar_weight, vapour->rho);
    };
    writeRow();
    // The total volume of the start holds along the path.
    set_the_volume(nL * liquid->V + nV * vapour->V);
    set_type_of_problem(14);
    followPath(1, 1e-6, Tmin, Tmax, dT, writeRow);
    const std::string sfx = std::string("_") + (name ? name : "");
    endIgorTable(f, {{"Tr", "T"}, {"Pr", "Pr"}, {"dPdT", "dPdT"}, {"Vl", "Vl"}, {"Vv", "Vv"}, {"Fv", "Fv"},
                     {"mwl", "mwl"}, {"rol", "rol"}, {"mwv", "mwv"}, {"rov", "rov"}},
                 sfx);
    if (!f) return;
    std::fprintf(f, "x T%s -= 273.15\n", sfx.c_str());
    std::fprintf(f, "x Fv%s *= 100.0\n", sfx.c_str());
}

void IFP::calculate_an_isopleth1(double T0, double Fvol_, std::FILE* f, const char* name, double Tmin, double Tmax,
                                 double dT) {
    const int n = nc;
    const std::string X = header("x", "     "), Y = header("y", "     ");
    if (f && hasModels() && variable_count != 0) std::fprintf(f, "IGOR\nWAVES Tr Pr %s %s Vl Vv dPdT\nBEGIN\n", X.c_str(), Y.c_str());
    if (!solvePathStart(15, T0, Fvol_)) return;
    auto writeRow = [&]() {
        if (!f) return;
        std::fprintf(f, "%lg\t%lg\t", T, P / 100000.0);
        for (int i = 0; i < n; i++) std::fprintf(f, "%lg\t", x[i]);
        for (int i = 0; i < n; i++) std::fprintf(f, "%lg\t", y[i]);
        std::fprintf(f, "%lg\t%lg\t%lg\n", liquid->V * 1e6, vapour->V * 1e6, slope_T / 1e7);
    };
    // The start row carries no slope yet.
    slope_T = 0.0;
    writeRow();
    followPath(2, 0.001, Tmin, Tmax, dT, writeRow);
    endIgorTable(f, {{"Tr", "T"}, {"Pr", "Pr"}, {"dPdT", "dPdT"}, {"Vl", "Vl"}, {"Vv", "Vv"}}, name ? name : "");
}
