#pragma once
// Sweeps that hold every search of a model to its answer.  Whatever a search
// reports as found is evaluated anew, without a search, and must satisfy the
// equations it was asked to solve; everything else must carry errorflag.
//
//   state from T and P     P(T, V) is the pressure asked for, properties finite
//   T from V and P         P(T, V) is the pressure asked for
//   saturation at T        equal fugacities and pressures of two distinct,
//                          mechanically stable phases
//   critical point         dP/dV = 0 and d2P/dV2 = 0
//   history                a state from T and P, and T from V and P, are the
//                          same on a new model and after other calculations
//
// A pressure is given when it lies within a relative 1e-8 of the one asked
// for or, in a stiff state (a liquid at low pressure, whose pressure hangs on
// the last digits of its volume), within the change that a relative 1e-11 of
// the volume (or temperature) makes, for stiffnesses that a fluid can have.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fluid/FluidPhase.h"

namespace sweep {

constexpr double R = 8.31434;
constexpr double kCriticalTolerance = 1e-6;

struct Tally {
    int asked = 0;
    int answered = 0;
    std::vector<std::string> wrong;  // answers that are not answers

    void add(const std::string& what) {
        if (wrong.size() < 20) wrong.push_back(what);
        else if (wrong.size() == 20) wrong.push_back("...");
    }
    std::string report() const {
        std::ostringstream s;
        s << answered << " answers of " << asked << " asked, " << wrong.size() << " wrong";
        for (const std::string& w : wrong) s << "\n  " << w;
        return s.str();
    }
};

// Geometric grid of n values from a to b.
inline std::vector<double> geometric(double a, double b, int n) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(a * std::pow(b / a, n > 1 ? double(i) / (n - 1) : 0.0));
    return v;
}

inline std::vector<double> linear(double a, double b, int n) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(a + (b - a) * (n > 1 ? double(i) / (n - 1) : 0.0));
    return v;
}

inline bool pressureGiven(double found, double asked, double stiffness) {
    const double miss = std::fabs(found - asked);
    if (!std::isfinite(miss)) return false;
    const double k = std::fabs(stiffness);
    return miss <= 1e-8 * std::fabs(asked) || (k < 1e12 && miss <= 1e-11 * k);
}

// The state functions that need the ideal gas are held to it only where the
// model has the ideal-gas data of its components (a salt has none: they are
// not given).
inline bool finiteState(const FluidPhase& m) {
    for (double q : {m.T, m.V, m.P, m.Z, m.dPdV, m.dPdT})
        if (!std::isfinite(q)) return false;
    auto* part = dynamic_cast<Ideal*>(m.ideal);
    if (!part || part->hasData())
        for (double q : {m.A, m.H, m.U, m.S, m.G, m.Cv, m.Cp})
            if (!std::isfinite(q)) return false;
    for (int i = 0; i < m.component_count; ++i)
        if (!std::isfinite(m.fugacity[i]) || !std::isfinite(m.fugcoef[i])) return false;
    return true;
}

inline std::string num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

inline std::string where(const char* what, double a, double b, int kind = 0) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s %.6g %.6g kind %d", what, a, b, kind);
    return buf;
}

// The state (T, V) evaluated without a search; false when the model fails.
inline bool evaluate(FluidPhase& m, int kind, double T, double V) {
    m.set_the_phase_as(kind);
    m.calculateFromTV(T, V, 0);
    return m.errorflag == 0 && finiteState(m);
}

// States from T (K) and P (bar) of both phase kinds over the grid.
inline Tally statesFromTP(FluidPhase& m, const std::vector<double>& Ts, const std::vector<double>& Ps) {
    Tally t;
    for (double T : Ts)
        for (double P : Ps)
            for (int kind : {1, 2}) {
                ++t.asked;
                m.set_the_phase_as(kind);
                m.calculateFromTP(T, P, 0);
                if (m.errorflag) continue;
                ++t.answered;
                const double V = m.V;
                if (!finiteState(m)) t.add(where("TP, properties not finite:", T, P, kind));
                if (!evaluate(m, kind, T, V) || m.dPdV > 0.0 || !pressureGiven(m.P, P * 1e5, V * m.dPdV))
                    t.add(where("TP, pressure not given:", T, P, kind) + " V " + std::to_string(V) + " P(T,V) " +
                          std::to_string(m.P * 1e-5));
            }
    return t;
}

// Temperatures from V and P: the pressure of each stable state (T, V) of the
// grid is asked for again at V from a temperature 3 % above T.
inline Tally temperaturesFromVP(FluidPhase& m, const std::vector<double>& Ts, const std::vector<double>& Vs) {
    Tally t;
    for (double T : Ts)
        for (double V : Vs) {
            if (!evaluate(m, 1, T, V) || m.dPdV > 0.0) continue;
            const double P = m.P;
            ++t.asked;
            m.temperature(1.03 * T);
            m.calculateFromVP(V, P * 1e-5, 0);
            if (m.errorflag) continue;
            ++t.answered;
            const double Tfound = m.T;
            if (!finiteState(m)) t.add(where("VP, properties not finite:", T, V));
            if (!evaluate(m, 1, Tfound, V) || !pressureGiven(m.P, P, Tfound * m.dPdT))
                t.add(where("VP, pressure not given:", T, V) + " T found " + std::to_string(Tfound));
        }
    return t;
}

// Saturation pressures at the temperatures Ts (start values from the model's
// initialiser, as the console's "psat" takes them).
inline Tally saturationPoints(FluidPhase& m, const std::vector<double>& Ts) {
    Tally t;
    const int k = m.getMajorComponentIndex();
    for (double T : Ts) {
        ++t.asked;
        if (m.calculateTheSaturationPressure(T) != 0) continue;
        ++t.answered;
        const double Vl = m.Vl_sat, Vv = m.Vv_sat;
        if (!(Vl > 0.0) || !(Vv > 1.001 * Vl)) {
            t.add(where("sat, phases not distinct:", T, Vl));
            continue;
        }
        if (!evaluate(m, 2, T, Vl) || m.dPdV > 0.0) {
            t.add(where("sat, liquid not a state:", T, Vl));
            continue;
        }
        const double fl = m.fugacity[k], Pl = m.P, Kl = Vl * m.dPdV;
        if (!evaluate(m, 1, T, Vv) || m.dPdV > 0.0) {
            t.add(where("sat, vapour not a state:", T, Vv));
            continue;
        }
        const double fv = m.fugacity[k], Pv = m.P;
        if (!(Pv > 0.0)) t.add(where("sat, vapour pressure not positive:", T, Pv * 1e-5));
        // ln f of a liquid moves by (V/RT) dP/dV times its volume change.
        const double fTol = 1e-8 + 1e-11 * std::fabs(Kl) * Vl / (R * T);
        if (!(std::fabs(fl - fv) <= fTol * std::fabs(fv)) || !pressureGiven(Pl, Pv, Kl))
            t.add(where("sat, not an equilibrium:", T, Pv * 1e-5) + " fl/fv-1 " + std::to_string(fl / fv - 1.0) +
                  " Pl/Pv-1 " + std::to_string(Pl / Pv - 1.0));
    }
    return t;
}

// Saturation within a kelvin of the model's own critical point, which is
// searched from (Tc, Vc) first: 1, 0.1, 0.01 and 0.001 K below it.
inline Tally nearCriticalSaturation(FluidPhase& m, double Tc, double Vc) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    m.temperature(Tc);
    m.volume(Vc);
    m.search_the_critical_point_of_the_pure_component();
    const bool found = m.errorflag == 0;
    const double Tcm = m.T;
    Tally t = found ? saturationPoints(m, {Tcm - 1.0, Tcm - 0.1, Tcm - 0.01, Tcm - 1e-3}) : Tally{};
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    if (!found) {
        ++t.asked;
        t.add(where("no critical point from", Tc, Vc));
    }
    return t;
}

// Whether (T, V) is a critical point of the model: dP/dV and d2P/dV2 by
// five-point differences of the pressure vanish on the scales R T / V^2 and
// R T / V^3 of an ideal gas; what is wrong, if not.
inline bool isCriticalPoint(FluidPhase& m, double T, double V, std::string& wrong) {
    const double h = 1e-3 * V;
    double p[5];
    bool ok = std::isfinite(T) && std::isfinite(V) && V > 0.0;
    for (int i = 0; i < 5 && ok; ++i) {
        m.temperature(T);
        m.volume(V + (i - 2) * h);
        m.errorflag = 0;
        m.calculate_pressure();
        p[i] = m.P;
        ok = m.errorflag == 0 && std::isfinite(p[i]);
    }
    if (!ok) {
        wrong = where("crit, no pressure around", T, V * 1e6);
        return false;
    }
    const double dP = (p[0] - 8 * p[1] + 8 * p[3] - p[4]) / (12 * h);
    const double d2P = (-p[0] + 16 * p[1] - 30 * p[2] + 16 * p[3] - p[4]) / (12 * h * h);
    const double s1 = R * T / (V * V), s2 = R * T / (V * V * V);
    if (std::fabs(dP) < kCriticalTolerance * s1 && std::fabs(d2P) < kCriticalTolerance * s2) return true;
    wrong = where("crit, not critical:", T, V * 1e6) + " dP/dV " + std::to_string(dP / s1) + " d2P/dV2 " +
            std::to_string(d2P / s2);
    return false;
}

// Critical points searched from the starts (T0, V0) of the grid, and from a
// grid of starts below it (0.6 to 0.95 of T0's lowest, 0.4 to 4 times V0's
// middle), where the inflections of the loops of the isotherms satisfy the
// two conditions too: every answer is the model's own critical point (the
// one found from the first start that finds one, which must have a positive
// pressure and stable isotherms 0.1 % and 1 % above it), or a failure.
inline Tally criticalPoints(FluidPhase& m, const std::vector<double>& T0s, const std::vector<double>& V0s) {
    Tally t;
    std::vector<std::pair<double, double>> starts;
    for (double T0 : T0s)
        for (double V0 : V0s) starts.emplace_back(T0, V0);
    const double Tlow = T0s.front(), Vmid = V0s[V0s.size() / 2];
    for (double f : {0.6, 0.75, 0.85, 0.95})
        for (double g : {0.4, 0.7, 1.5, 4.0}) starts.emplace_back(f * Tlow, g * Vmid);
    double Tc = 0.0;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (auto [T0, V0] : starts) {
        ++t.asked;
        m.temperature(T0);
        m.volume(V0);
        m.search_the_critical_point_of_the_pure_component();
        if (m.errorflag) continue;
        ++t.answered;
        std::string wrong;
        const std::string start = " start " + std::to_string(T0) + " " + std::to_string(V0 * 1e6);
        const double T = m.T, V = m.V, P = m.P;
        if (!isCriticalPoint(m, T, V, wrong)) t.add(wrong + start);
        if (Tc == 0.0) {
            Tc = T;
            if (!(P > 0.0)) t.add(where("crit, pressure not positive:", T, P * 1e-5) + start);
            for (double above : {1.001, 1.01}) {
                // The isotherm above, walked from the dilute gas to four
                // tenths of the critical volume in steps of 0.5 %.
                for (double v = 100.0 * V; v > 0.4 * V; v /= 1.005) {
                    m.set_the_phase_as(1);
                    m.calculateFromTV(above * T, v, 0);
                    if (m.errorflag || !(m.dPdV < 0.0)) {
                        t.add(where("crit, an isotherm above is unstable:", above * T, v * 1e6) + start);
                        break;
                    }
                }
            }
        } else if (!(std::fabs(T / Tc - 1.0) <= 1e-7)) {
            t.add(where("crit, not the model's critical point:", T, P * 1e-5) + start + " (Tc " + num(Tc) + ")");
        }
    }
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    return t;
}

// Whether the isotherm at T is mechanically stable at 200 volumes between
// Va and Vb (spaced geometrically, both ends included).
inline bool stableStretch(FluidPhase& m, double T, double Va, double Vb) {
    for (int i = 0; i <= 200; ++i) {
        m.set_the_phase_as(1);
        m.calculateFromTV(T, Va * std::pow(Vb / Va, i / 200.0), 0);
        if (m.errorflag || !(m.dPdV < 0.0)) return false;
    }
    return true;
}

// States of both kinds within 1 % of the saturation pressure, from 0.9 to
// 0.999 of the critical temperature Tc of a pure fluid: a kind-1 answer lies
// on the vapour branch of its isotherm, a kind-2 answer on the liquid branch,
// or the search fails.  A root is on the vapour branch when a mechanically
// stable stretch of the isotherm joins it to the saturated vapour (a
// metastable vapour above the saturation pressure, denser than the saturated
// one, or any root beyond it), on the liquid branch when one joins it to the
// saturated liquid.  The saturation is that of a model made new by make().
template <class Make>
Tally nearSaturation(Make make, double Tc) {
    Tally t;
    std::unique_ptr<FluidPhase> m = make(), sat = make();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (double r : {0.9, 0.95, 0.98, 0.99, 0.995, 0.999}) {
        const double T = r * Tc;
        if (sat->calculateTheSaturationPressure(T) != 0) {
            ++t.asked;
            t.add(where("band, no saturation at", T, 0.0));
            continue;
        }
        const double Vl = sat->Vl_sat, Vv = sat->Vv_sat;
        sat->set_the_phase_as(1);
        sat->calculateFromTV(T, Vv, 0);
        const double psat = sat->P * 1e-5;
        auto onBranchOf = [&](double V, bool vapour) {
            if (vapour ? V >= Vv : V <= Vl) return true;
            return stableStretch(*m, T, std::min(V, vapour ? Vv : Vl), std::max(V, vapour ? Vv : Vl));
        };
        for (double f : {0.99, 0.997, 0.9995, 1.0005, 1.003, 1.01})
            for (int kind : {1, 2}) {
                ++t.asked;
                const double P = f * psat;
                m->set_the_phase_as(kind);
                m->calculateFromTP(T, P, 0);
                if (m->errorflag) continue;
                ++t.answered;
                const double V = m->V;
                const bool vapour = kind == 1;
                if (onBranchOf(V, vapour)) continue;
                t.add(where(vapour ? "band, kind 1 not on the vapour branch:" : "band, kind 2 not on the liquid branch:",
                            T, P, kind) +
                      " V " + num(V) + " Vl " + num(Vl) + " Vv " + num(Vv));
            }
    }
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    return t;
}

// What a model may have computed before it is asked for a state: the
// saturation close to its critical point and a search of that point (which
// leave near-critical volumes behind), states of both kinds at other
// temperatures and a temperature from V and P.  Tc and Vc are the model's
// critical temperature and volume (K, m3/mol), roughly.
inline void giveHistory(FluidPhase& m, double Tc, double Vc) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    // Saturation searches that fail (above the critical point, far below the
    // triple point) and a critical-point search from a start far off.
    m.calculateTheSaturationPressure(1.2 * Tc);
    m.calculateTheSaturationPressure(0.2 * Tc);
    m.temperature(0.5 * Tc);
    m.volume(0.3 * Vc);
    m.search_the_critical_point_of_the_pure_component();
    m.calculateTheSaturationPressure(0.997 * Tc);
    m.temperature(Tc);
    m.volume(Vc);
    m.search_the_critical_point_of_the_pure_component();
    for (int kind : {2, 1}) {
        m.set_the_phase_as(kind);
        m.calculateFromTP(1.7 * Tc, 3000.0, 0);
        m.calculateFromTP(0.9 * Tc, 1.0, 0);
    }
    m.calculateFromVP(1.5 * Vc, 100.0, 0);
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
}

inline bool sameOutcome(const FluidPhase& a, double qa, const FluidPhase& b, double qb) {
    if (a.errorflag || b.errorflag) return a.errorflag && b.errorflag;
    return std::fabs(qa / qb - 1.0) <= 1e-10;
}

// States from T (K) and P (bar) of both phase kinds over the grid, and the
// temperatures from V and P of the states found: each on a model made new for
// it, and all on one model after giveHistory and the states before them.  The
// two agree to a relative 1e-10, or both fail.  make() returns a new model.
template <class Make>
Tally historyIndependence(Make make, double Tc, double Vc, const std::vector<double>& Ts,
                          const std::vector<double>& Ps) {
    Tally t;
    std::unique_ptr<FluidPhase> used = make();
    giveHistory(*used, Tc, Vc);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (double T : Ts)
        for (double P : Ps)
            for (int kind : {1, 2}) {
                ++t.asked;
                std::unique_ptr<FluidPhase> fresh = make();
                fresh->set_the_phase_as(kind);
                fresh->calculateFromTP(T, P, 0);
                used->set_the_phase_as(kind);
                used->calculateFromTP(T, P, 0);
                if (!sameOutcome(*fresh, fresh->V, *used, used->V))
                    t.add(where("TP, history changes the state:", T, P, kind) + " V " + num(fresh->V) + " err " +
                          num(fresh->errorflag) + ", after history V " + num(used->V) + " err " +
                          num(used->errorflag));
                if (fresh->errorflag) continue;
                ++t.answered;
                const double V = fresh->V;
                fresh = make();
                fresh->set_the_phase_as(kind);
                fresh->calculateFromVP(V, P, 0);
                used->calculateFromVP(V, P, 0);
                if (!sameOutcome(*fresh, fresh->T, *used, used->T))
                    t.add(where("VP, history changes the temperature:", T, P, kind) + " T " + num(fresh->T) +
                          " err " + num(fresh->errorflag) + ", after history T " + num(used->T) + " err " +
                          num(used->errorflag));
            }
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    return t;
}

// States from T and P along isotherms, the pressures swept up and then down
// on one model (the walks along an isotherm that its branch tests make for
// one state serve the next): each state, of both phase kinds, is to the bit
// the one a model made new for it finds, or both fail.
template <class Make>
Tally isothermSweeps(Make make, const std::vector<double>& Ts, const std::vector<double>& Ps) {
    Tally t;
    std::unique_ptr<FluidPhase> used = make();
    testing::internal::CaptureStderr();
    auto state = [](FluidPhase& m, double T, double P, int kind) {
        m.set_the_phase_as(kind);
        m.temperature(T);
        m.pressure(P);
        m.calculate_molar_volume();
    };
    for (double T : Ts)
        for (bool up : {true, false})
            for (std::size_t j = 0; j < Ps.size(); ++j)
                for (int kind : {1, 2}) {
                    const double P = Ps[up ? j : Ps.size() - 1 - j];
                    ++t.asked;
                    std::unique_ptr<FluidPhase> fresh = make();
                    state(*fresh, T, P, kind);
                    state(*used, T, P, kind);
                    const bool same = fresh->errorflag ? used->errorflag != 0 : !used->errorflag && used->V == fresh->V;
                    if (!same)
                        t.add(where("TP along an isotherm:", T, P, kind) + " V " + num(fresh->V) + " err " +
                              num(fresh->errorflag) + ", in the sweep V " + num(used->V) + " err " +
                              num(used->errorflag));
                    if (!fresh->errorflag) ++t.answered;
                }
    testing::internal::GetCapturedStderr();
    return t;
}

}  // namespace sweep
