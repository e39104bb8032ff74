#pragma once
// The end of a two-phase trace of a binary at the critical point where its
// two phases become one: the P-x isotherm (at the critical point of the
// isotherm) and the bubble or dew branch of an isopleth (at the critical
// point of the mixture of that composition, where the bubble and dew curves
// meet).  Near a critical point the phases' compositions and volumes differ
// from the critical ones as the square root of the distance of the trace's
// parameter (P at fixed T, T or P at fixed composition) from its critical
// value: the points are solved at parameters that go most of the way each
// time, from starts shifted by that law, and the critical point itself
// closes the trace.  A point is kept only while both phases move towards the
// critical point and stay distinct, so that no near-trivial pair and no state
// beyond the critical point is written.
#include <cmath>
#include <limits>

#include "fluid/FluidPhase.h"
#include "platform/LogSink.h"

namespace critical_approach {

// One tie line of the trace: the trace's parameters s and t (P and P at
// fixed T; T and P at fixed composition), both phases' mole fractions of
// component 1 (liquid x, vapour y) and their molar volumes.
struct TieLine {
    double s = 0.0, t = 0.0, x = 0.0, y = 0.0, Vl = 0.0, Vv = 0.0;
};

// Ratio of the vapour's to the liquid's volume below which a trace is close
// enough to its critical point for the point to be sought: far from it the
// ratio is large, and at an azeotrope, where the compositions meet, it is not
// close to 1.  A search that fails is tried again at 1 + (ratio - 1)/3.
constexpr double kNearCriticalVolumeRatio = 1.6;
inline double nextNearCriticalRatio(double ratio) { return 1.0 + (ratio - 1.0) / 3.0; }

// The critical point a trace closes at: T (K), P (Pa), V (m3/mol) and the
// mole fraction z of component 1.
struct CriticalPoint {
    double T = 0.0, P = 0.0, V = 0.0, z = 0.0;
};

// Where a trace stands when it seeks its critical point: the start of the
// search (T, the composition z of component 1, and the last tie line's
// volumes, whose geometric mean starts the volume), and the parameter the
// trace moves in (P when inPressure, else T) at its last point and at the
// point before, which tell the way it goes.
struct TraceEnd {
    double T = 0.0, z = 0.0, Vl = 0.0, Vv = 0.0;
    bool inPressure = false;
    double last = 0.0, before = 0.0;
};

// The trace's window: the temperatures (K) and pressures (Pa) it may write.
struct TraceWindow {
    double Tmin = -std::numeric_limits<double>::infinity();
    double Tmax = std::numeric_limits<double>::infinity();
    double Pmax = std::numeric_limits<double>::infinity();
};

// The search for the critical point that ends a two-phase trace of a binary:
// at the composition the trace holds (an isopleth, fixed composition: the
// critical point of that mixture, where its bubble and dew curves meet) or at
// its temperature (an isotherm, fixed temperature: the critical point of the
// isotherm, where the compositions of the two phases meet).  It is sought
// once the two phases come close (due(): the vapour less than the ratio
// kNearCriticalVolumeRatio larger than the liquid) or the trace stalls; a
// search that fails is tried again once the phases have come closer.  A
// critical point is accepted by one rule: the search converged; T, P, V and
// its composition are finite, P and V above zero; it lies near the trace's
// end (within 10 % in T, 0.25 in mole fraction, strictly between the pure
// components where the search moved the composition: a pure component's
// critical point ends no isotherm of the binary); it lies ahead of the last
// point on the way the trace goes; and it lies inside the trace's window
// (a critical point beyond it does not end the trace, which stops at the
// window as it would without it).
class CriticalSearch {
public:
    CriticalSearch(CriticalPointFlag kind, TraceWindow window) : kind_(kind), window_(window) {}

    bool due(double Vl, double Vv) const { return Vv > Vl && Vv < nextTry_ * Vl; }

    // Seeks the critical point from `end` on the model m (its state and
    // error flag are left at the search's end, the flag cleared); true with
    // the point in `c` when it is accepted.  `everyRoot` (at a fixed
    // composition): where the search from the trace's end fails, the
    // critical points of the mixture are sought over temperature and volume
    // as "crit" seeks them (FluidPhase::searchTheMixtureCriticalPoint).
    bool seek(FluidPhase& m, const TraceEnd& end, CriticalPoint& c, bool everyRoot = false) {
        nextTry_ = nextNearCriticalRatio(nextTry_);
        {
            const platform::ThreadLogCapture quiet;  // a start that does not converge is no failure
            const double Vs = std::sqrt(end.Vl * end.Vv);
            m.composition_of_component(0, 1.0 - end.z);
            m.composition_of_component(1, end.z);
            m.temperature(end.T);
            m.volume(Vs);
            m.search_a_critical_point(kind_);
            if (m.errorflag != 0 && everyRoot && kind_ == kCriticalPointFixedComposition)
                m.errorflag = m.searchTheMixtureCriticalPoint(end.z, end.T, Vs) ? 0 : 1;
        }
        const bool accepted = m.errorflag == 0 && accepts(m, end);
        m.errorflag = 0;
        if (!accepted) return false;
        c = {m.T, m.P, m.V, m.x[1]};
        return true;
    }

private:
    bool accepts(const FluidPhase& m, const TraceEnd& end) const {
        const double z = m.x[1];
        const bool finite = std::isfinite(m.T) && std::isfinite(m.P) && std::isfinite(m.V) && std::isfinite(z) &&
                            m.P > 0.0 && m.V > 0.0;
        const bool freeComposition = kind_ == kCriticalPointFixedTemperature;
        const bool near = std::fabs(m.T - end.T) < 0.1 * end.T && std::fabs(z - end.z) < 0.25 &&
                          (!freeComposition || (z > 0.0 && z < 1.0));
        const double reached = end.inPressure ? m.P : m.T;
        const bool ahead =
            (reached - end.last) * (end.last - end.before) >= -1e-9 * end.last * std::fabs(end.last - end.before);
        const bool inside = !(m.T < window_.Tmin) && !(m.T > window_.Tmax) && !(m.P > window_.Pmax);
        return finite && near && ahead && inside;
    }

    CriticalPointFlag kind_;
    TraceWindow window_;
    double nextTry_ = kNearCriticalVolumeRatio;
};

// The approach ends when the moving phase's composition lies this close to
// the critical one (closer by the ratio 10 min(zc, 1 - zc) near a pure
// component, where the compositions are small numbers), or the parameters
// this close (relative).
constexpr double kCompositionReached = 2e-4;
constexpr double kParameterReached = 1e-7;

// From the last point `last` of a trace to its critical point `c` (c.x = c.y,
// c.Vl = c.Vv).  Each step goes a fraction f of the way in the parameters,
// three quarters first and shorter where the solve does not follow; the
// start of the compositions and volumes is shifted by (1 - f)^exponent of
// their distance from the critical values (1/2 on an isotherm, where the
// critical point is a pressure extremum and x - xc goes as the square root
// of Pc - P; 1 on an isopleth, where the critical point is generally no
// extremum of T or P).  `solve(kind, start, got)` solves the tie line at the
// parameter s (kind 0) or t (kind 1) of `start` and returns true with it,
// both parameters included, in `got`; of the `kinds` (1 or 2) the one that
// comes closest is kept, so that a parameter near its extremum (where it
// hardly moves) does not hold the approach back.  `write()` writes the point
// just solved.  The phase whose composition moves along the trace is the
// vapour (vapourMoves: the bubble branch of an isopleth, the liquid's
// composition held) or the liquid (an isotherm, the dew branch of an
// isopleth).  The caller writes the critical row after.
template <class Solve, class Write>
void approachTheCriticalPoint(TieLine last, const TieLine& c, bool vapourMoves, double exponent, int kinds,
                              Solve&& solve, Write&& write) {
    auto moving = [vapourMoves](const TieLine& t) { return vapourMoves ? t.y : t.x; };
    const double zc = moving(c);
    const double reached = kCompositionReached * std::fmin(1.0, 10.0 * std::fmin(zc, 1.0 - zc));
    auto near = [](double a, double b) { return !(std::fabs(a - b) > kParameterReached * std::fabs(b)); };
    for (int k = 0; k < 60; ++k) {
        if ((near(last.s, c.s) && (kinds < 2 || near(last.t, c.t))) || std::fabs(moving(last) - zc) < reached) break;
        bool moved = false;
        for (double f : {0.75, 0.5, 0.25, 0.1, 0.03}) {
            const double w = std::pow(1.0 - f, exponent);
            TieLine start;
            start.s = last.s + f * (c.s - last.s);
            start.t = last.t + f * (c.t - last.t);
            start.x = c.x + w * (last.x - c.x);
            start.y = c.y + w * (last.y - c.y);
            start.Vl = c.Vl + w * (last.Vl - c.Vl);
            start.Vv = c.Vv + w * (last.Vv - c.Vv);
            int best = -1, lastSolved = -1;
            TieLine kept;
            for (int kind = 0; kind < kinds; ++kind) {
                if (kind == 0 ? near(last.s, c.s) : near(last.t, c.t)) continue;
                TieLine got;
                lastSolved = kind;
                if (!solve(kind, start, got)) continue;
                const double zn = moving(got), z0 = moving(last);
                const bool towards = (got.y - got.x) * (last.y - last.x) > 0.0 &&
                                     std::fabs(got.y - got.x) < std::fabs(last.y - last.x) &&
                                     std::fabs(zn - zc) < std::fabs(z0 - zc) && (zn - z0) * (zc - z0) >= 0.0 &&
                                     got.Vv > got.Vl;
                if (towards && (best < 0 || std::fabs(zn - zc) < std::fabs(moving(kept) - zc))) {
                    best = kind;
                    kept = got;
                }
            }
            if (best < 0) continue;
            // The phase holds the last state solved: the kept one again.
            if (best != lastSolved && !solve(best, start, kept)) continue;
            write();
            last = kept;
            moved = true;
            break;
        }
        if (!moved) break;
    }
}

}  // namespace critical_approach
