// Critical curve of a binary mixture by continuation: from the critical point
// of a pure component (or a critical point the caller has prepared), each
// point is predicted along the tangent (dT/dx1, dV/dx1) of the curve and
// corrected by a critical-point search, in composition steps where the curve
// is flat in T and in temperature steps where it is steep.
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "platform/LogSink.h"

namespace {

// A slope |dx dT/dx1| above this many kelvin switches to temperature steps.
constexpr double kSteepInT = 50.0;
// Smallest step factor before the trace ends.
constexpr double kSmallestStepFactor = 1e-8;
// Where the curve runs to high pressure at nearly constant x1 and T (as the
// branch from the heavier component of a system with a liquid-liquid
// critical curve does), neither x1 nor T can carry it: the steps shrink to
// almost nothing and succeed for ever.  The trace ends after this many
// points, far more than any curve traced in x1 or T needs.
constexpr long kMostPoints = 50000;
// Largest angle between the tangents at the two ends of a step and its chord
// (scaled as the orientation of the curve is), and the step factor below
// which no step is refused for it (a corner of the curve, if any, is passed).
constexpr double kLargestTurn = 60.0 * 3.14159265358979323846 / 180.0;
constexpr double kSmallestCheckedStep = 1e-4;
// The console's curves test the tangent plane at every this many points.
constexpr std::size_t kSplitCheckEvery = 16;

struct CriticalRow {
    FluidPhase& p;
    CurveOutput& out;

    double molarMass() const { return p.x[0] * p.molar_mass[0] + p.x[1] * p.molar_mass[1]; }

    // A mixture point: the stored stability term and the tangent.
    void mixture(double dTdx, double dVdx) { write(p.critical_stability, dTdx, dVdx); }

    // A pure-component critical point: no stability term in the text files,
    // the last stored one in the binary ones; no tangent.
    void pure() {
        write(out.text() ? std::numeric_limits<double>::quiet_NaN() : p.critical_stability, 0.0, 0.0);
    }

    void write(double stabi, double dTdx, double dVdx) {
        const double M = molarMass();
        out.writeRow({p.P * 1e-5, p.V * 1e6, p.T, p.x[0], p.x[1], p.U, p.H, p.S, p.A, p.G, p.U / M, p.H / M, stabi,
                      M / p.V, dTdx, dVdx});
    }
};

}  // namespace

void FluidPhase::calculate_the_critical_curve(const char* path, CriticalCurveFlag flag, short stopIfUnstable,
                                              double dT, double dx, double dx0, double Pmax, char mode,
                                              const char* suffix, std::vector<double>* array) {
    if (component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        errorflag = 1;
        return;
    }
    const std::string file = path ? path : "";
    // Modes 1, 2, 5 and 6 write rows; any other creates the file empty.
    const int m = (mode == kIgorTextFile || mode == kColumnTextFile || mode == kBinaryRows ||
                   mode == kArrayOfValues)
                      ? mode
                      : 0;
    if (m == 0 && !file.empty()) {
        if (std::FILE* f = std::fopen(file.c_str(), "w")) std::fclose(f);
    }
    CurveOutput out(m, file, suffix,
                    {"P", "V", "T", "x0", "x1", "u", "h", "s", "a", "g", "um", "hm", "stabi", "rho", "dTdx", "dvdx"},
                    array);
    CriticalRow row{*this, out};

    // Only the points inside the model's declared range are written: a curve
    // that starts outside it (at a pure component's critical point below the
    // triple point of the other) is traced on until it enters the range, and
    // one that leaves the range ends there (outside it a cubic's curve may
    // run to its packing limit, at any pressure).  The range is the model's
    // at each point's composition (effectiveRange): near a pure component's
    // critical point the other one is dilute and does not freeze there.
    ValidityRange range = effectiveRange();
    auto inRange = [&] {
        range = effectiveRange();
        return range.holds(T, P * 1e-5);
    };
    long written = 0;
    // A curve without a row leaves no file of headers (mode 0 keeps its
    // empty file).
    struct RemoveIfEmpty {
        CurveOutput& out;
        const std::string& file;
        const long& written;
        int mode;
        ~RemoveIfEmpty() {
            if (written > 0 || file.empty() || (mode != kIgorTextFile && mode != kColumnTextFile && mode != kBinaryRows))
                return;
            out.close();
            std::remove(file.c_str());
        }
    } removeIfEmpty{out, file, written, m};

    auto setComposition = [this](double x1) {
        composition_of_component(0, 1.0 - x1);
        composition_of_component(1, x1);
    };

    // From a pure component the curve can only run into the mixtures: the
    // offset of the first point and the composition step point away from the
    // start whatever the signs given (and so does a first step in
    // temperature, below).
    const bool fromPure = flag == kCriticalCurveFromComponent0 || flag == kCriticalCurveFromComponent1;
    const double inward = flag == kCriticalCurveFromComponent1 ? -1.0 : 1.0;
    if (fromPure) {
        dx0 = inward * std::fabs(dx0);
        dx = inward * std::fabs(dx);
        const double x1s = flag == kCriticalCurveFromComponent0 ? 0.0 : 1.0;
        setComposition(x1s);
        search_the_critical_point_of_the_pure_component();
        if (errorflag) {
            platform::diagf("Critical state has not been located\n");
        } else if (inRange()) {
            calculate_state_functions();
            row.pure();
            ++written;
        }
        const double Tc = T, Vc = V;
        setComposition(x1s + dx0);
        temperature(Tc);
        volume(Vc);
    }

    const CriticalPointFlag first = (flag == kCriticalCurveFromStateFixedT || flag == kCriticalCurveFromStateFixedT1)
                                        ? kCriticalPointFixedTemperature
                                        : kCriticalPointFixedComposition;
    // A point is a mixture point only inside 0 <= x1 <= 1: a search at fixed T
    // that converges outside has failed.
    auto searchInside = [this](CriticalPointFlag how) {
        search_a_critical_point(how);
        if (errorflag == 0 && !(x[1] >= 0.0 && x[1] <= 1.0)) errorflag = 1;
        return errorflag == 0;
    };
    if (!searchInside(first)) {  // no mixture point: the output is closed as it is
        if (written == 0) {
            platform::diagf("Critical curve: no critical point of the mixture is found from its start\n");
            errorflag = 1;
        }
        return;
    }

    double xp = x[1], Vp = V, Tp = T;
    // The tangent first: it reads the derivative set of the search, which the
    // state functions partly rewrite.
    double t = 0.0, v = 0.0;
    next_critical_point(t, v);
    calculate_state_functions();
    if (inRange()) {
        row.mixture(0.0, 0.0);
        ++written;
    }

    // The curve is followed along its tangent (1, dT/dx1) in the (x1, T)
    // plane, oriented by `dir` (the sign of the step in x1).  Steps are in
    // x1 where the curve is flat, in T where it is steep.  The orientation
    // is kept through the curve's extrema: with T scaled by
    // scaleT = kSteepInT/|dx| (the slope where the kind of step changes), the
    // new tangent points the way of the last one (positive scaled product),
    // so that past a temperature extremum x1 goes on and T turns, and past a
    // composition extremum T (and V) go on and x1 turns.
    const double sx = std::fabs(dx), sT = std::fabs(dT);
    const double scaleT = kSteepInT / std::max(sx, 1e-12);
    double dir = dx < 0.0 ? -1.0 : 1.0;
    if (!fromPure && std::fabs(dx * t) > kSteepInT && dT != 0.0) dir = (dT < 0.0) == (t < 0.0) ? 1.0 : -1.0;
    // The volume enters the orientation too (in ln V, a step of dx taken as
    // 0.05 in ln V): where the curve runs up in pressure at nearly constant
    // x1 and T, its volume carries it.
    const double scaleLnV = 0.05 / std::max(sx, 1e-12);
    double lambda = 1.0, tPrev = t, vPrev = v, VpPrev = Vp;
    CriticalPointFlag d = first;
    // The console's curves (stopIfUnstable 0) are followed to their end and
    // say where their points stop being stable critical points.
    bool saidUnstable = false, saidSplit = false;
    // The tangent plane at the critical points: where the mixture splits
    // into phases of other compositions the critical phase is metastable,
    // beyond a critical end point on a three-phase line.  The test is made
    // on every kSplitCheckEvery-th point and, once one splits, on the points
    // since the last test, the first that splits being named.
    struct Point {
        double x1, T, V, P;
    };
    std::vector<Point> recent;
    auto checkSplit = [&] {
        if (recent.empty()) return;
        const double Tk = T, Vk = V, Pk = P, xk = x[1], stabk = critical_stability;
        auto splits = [&](const Point& q) {
            setComposition(q.x1);
            return binarySplitsAt(q.T, q.P * 1e-5);
        };
        if (splits(recent.back())) {
            saidSplit = true;
            std::size_t first = recent.size() - 1;
            while (first > 0 && splits(recent[first - 1])) --first;
            const Point& q = recent[first];
            platform::warnf("Critical curve: from x1 = %g, %g K and %g bar on, the critical phase splits into phases "
                            "of other compositions (it is metastable, past a critical end point on a three-phase "
                            "line)\n",
                            q.x1, q.T, q.P * 1e-5);
        }
        recent.clear();
        setComposition(xk);
        temperature(Tk);
        volume(Vk);
        P = Pk;
        critical_stability = stabk;
        errorflag = 0;
    };
    // The tangent at the point just converged, and whether the step to it
    // followed the curve: in the scaled (x1, T, ln V) of the orientation
    // above, the last tangent, the new one and the chord between the two
    // points lie within kLargestTurn of one another on a smooth branch
    // (the largest turn of a step measured on the cubics' and Kreglewski's
    // curves is 33 degrees); a jump to another root gives a tangent and a
    // chord at an unrelated angle (77 degrees on Kreglewski's N2-CO2).
    double tNew = 0.0, vNew = 0.0;
    auto onTheBranch = [&] {
        next_critical_point(tNew, vNew);
        auto unit = [](double a, double b, double c, double (&u)[3]) {
            const double n = std::sqrt(a * a + b * b + c * c);
            u[0] = a / n;
            u[1] = b / n;
            u[2] = c / n;
        };
        auto cosine = [](const double (&a)[3], const double (&b)[3]) {
            return std::fabs(a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
        };
        double last[3], next[3], chord[3];
        unit(1.0, t / scaleT, (v / Vp) / scaleLnV, last);
        unit(1.0, tNew / scaleT, (vNew / V) / scaleLnV, next);
        unit(x[1] - xp, (T - Tp) / scaleT, std::log(V / Vp) / scaleLnV, chord);
        const double c = std::cos(kLargestTurn);
        const bool ok = cosine(last, next) >= c && cosine(last, chord) >= c && cosine(next, chord) >= c;
        return ok || !(std::isfinite(tNew) && std::isfinite(vNew));
    };
    double lastTrialX = xp, Pconverged = P;
    bool unstableStop = false;
    long points = 1;
    for (;;) {
        if (points >= kMostPoints) {
            platform::diagf("Critical curve: %ld points traced without reaching an end; the trace stops\n", points);
            break;
        }
        if (lambda <= 0.5) lambda *= 1.4;
        // Past a composition extremum the tangent, scaled, turns back.
        if (1.0 + t * tPrev / (scaleT * scaleT) + (v / Vp) * (vPrev / VpPrev) / (scaleLnV * scaleLnV) < 0.0) dir = -dir;
        double DT, Dx, DV;
        if (std::fabs(sx * t) > kSteepInT) {
            DT = dir * (t < 0.0 ? -sT : sT);
            Dx = DT / t;
            DV = DT * v / t;
            d = kCriticalPointFixedTemperature;
        } else {
            Dx = dir * sx;
            DT = Dx * t;
            DV = Dx * v;
            d = kCriticalPointFixedComposition;
        }
        bool converged = false;
        for (;;) {
            errorflag = 0;
            const double x1 = xp + lambda * Dx;
            lastTrialX = x1;
            setComposition(x1);
            temperature(Tp + lambda * DT);
            volume(Vp + lambda * DV);
            if (x1 >= 0.0 && x1 <= 1.0) {
                converged = searchInside(d);
            } else {
                errorflag = 1;
            }
            // A step that lands on another root of the critical conditions
            // (at the same x1 and T, at another volume) has left the curve:
            // its tangent there is unrelated to the last one.  It is
            // rejected and retried shorter.
            if (converged && lambda >= kSmallestCheckedStep && !onTheBranch()) {
                platform::tracef("Critical curve: the step to x1 = %.9g, %.9g K, %.9g cm3/mol leaves the curve\n", x[1],
                                 T, V * 1e6);
                converged = false;
            }
            if (converged) break;
            platform::tracef("lambda %.12lg xc %.12lg\n", lambda, x1);
            lambda /= 2.0;
            if (!(lambda > kSmallestStepFactor) || (Pmax > 0.0 && Pconverged > Pmax)) break;
        }
        if (!converged) {
            if (!stopIfUnstable && lastTrialX > 0.001 && lastTrialX < 0.999)
                platform::warnf("Critical curve: no critical point is found beyond x1 = %g, %g K and %g bar; the "
                                "curve ends there\n",
                                xp, Tp, Pconverged * 1e-5);
            break;
        }
        if (!(P > 0.0)) {
            // A critical point at zero or negative pressure is no state of
            // the fluid: the curve has run into the liquid's tension.
            platform::warnf("Critical curve: its pressure falls to zero beyond x1 = %g, %g K and %g bar; the curve "
                            "ends there\n",
                            xp, Tp, Pconverged * 1e-5);
            unstableStop = true;  // no closing pure-component point either
            break;
        }
        if (T > criticalCurveTmax) {
            // Beyond the model's range its critical curve may run to any
            // pressure: the point is not written and the curve ends here.
            platform::warnf("Critical curve: above %g K the model describes no critical point; the curve ends at "
                            "%g K and %g bar\n",
                            criticalCurveTmax, Tp, Pconverged * 1e-5);
            unstableStop = true;  // no closing pure-component point either
            break;
        }
        const bool inside = inRange();
        if (!inside && written > 0) {
            platform::warnf("Critical curve: the model %s holds %s at x1 = %g; the curve ends at %g K and %g bar\n",
                            modelName(), range.describe().c_str(), x[1], Tp, Pconverged * 1e-5);
            unstableStop = true;  // no closing pure-component point either
            break;
        }
        tPrev = t;
        vPrev = v;
        VpPrev = Vp;
        if (lambda >= kSmallestCheckedStep) {
            t = tNew;
            v = vNew;
        } else {
            next_critical_point(t, v);
        }
        xp = x[1];
        Vp = V;
        Tp = T;
        Pconverged = P;
        calculate_state_functions();
        if (inside) {
            row.mixture(t, v);
            ++written;
        }
        ++points;
        if (stopIfUnstable && critical_stability < 0.0) {
            unstableStop = true;
            break;
        }
        if (!stopIfUnstable && !saidUnstable && critical_stability < 0.0) {
            saidUnstable = true;
            // The points before this one are tested first, so that the notes
            // come in the curve's order.
            if (!saidSplit) checkSplit();
            platform::warnf("Critical curve: from x1 = %g, %g K and %g bar on, its points fail the fourth-order "
                            "stability of a critical point (column stabi)\n",
                            x[1], T, P * 1e-5);
        }
        if (!stopIfUnstable && !saidSplit && inside) {
            recent.push_back({x[1], T, V, P});
            if (recent.size() >= kSplitCheckEvery) checkSplit();
        }
    }
    if (!stopIfUnstable && !saidSplit) checkSplit();

    if (!unstableStop) {
        // Close the curve at the other component's critical point (a curve
        // from a pure component only at the far one).
        double x1End = -1.0;
        if (lastTrialX > 0.999 && !(fromPure && inward < 0.0)) x1End = 1.0;
        if (lastTrialX < 0.001 && !(fromPure && inward > 0.0)) x1End = 0.0;
        if (x1End >= 0.0) {
            setComposition(x1End);
            errorflag = 0;
            search_the_critical_point_of_the_pure_component();
            if (!errorflag && inRange()) {
                calculate_state_functions();
                row.pure();
                ++written;
            }
        }
    }
    if (written == 0 && range.declared()) {
        platform::diagf("Critical curve: no point of the curve lies inside the range of the model %s (%s at x1 = "
                        "%g)\n",
                        modelName(), range.describe().c_str(), x[1]);
        errorflag = 1;
    }
}
