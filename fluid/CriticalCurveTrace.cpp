// Critical curve of a binary mixture by continuation: from the critical point
// of a pure component (or a critical point the caller has prepared), each
// point is predicted along the tangent (dT/dx1, dV/dx1) of the curve and
// corrected by a critical-point search, in composition steps where the curve
// is flat in T and in temperature steps where it is steep.
#include "fluid/CriticalCurveTrace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

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
// A step past a pure component lands this far from it (the offset of a
// curve's first point from its start too), and the curve closes there.
constexpr double kPureEndOffset = 1e-6;
// The step to the edge of the model's range is found to this fraction of
// the step that crossed it.
constexpr double kEdgeStepTolerance = 1e-7;
// The composition step of a curve from a pure component.
constexpr double kUsualStep = 0.005;
// A branch that ends at a critical end point within this many usual steps
// of its pure component is traced in this many steps of its own width.
constexpr double kEndPointBranchSteps = 20.0;
// The smallest share of the other component at which an end point next to
// a pure component is sought (its share is resolved in double precision
// beside 1 to about 1e-4 there), and the relative tolerance of the share.
constexpr double kSmallestEndPointShare = 1e-12;
constexpr double kEndPointShareTolerance = 1e-6;

}  // namespace

// From a pure component the curve can only run into the mixtures: its
// critical point is the first row (inside the range), and the first mixture
// point is sought from it at the offset dx0 inwards.
void CriticalCurveTrace::startAtPureComponent(CriticalCurveFlag flag, double dx0) {
    const double x1s = flag == kCriticalCurveFromComponent0 ? 0.0 : 1.0;
    setComposition(x1s);
    p_.search_the_critical_point_of_the_pure_component();
    if (p_.errorflag) {
        platform::diagf("Critical state has not been located\n");
    } else if (inRange()) {
        p_.calculate_state_functions();
        row_.pure();
        ++written_;
    }
    const double Tc = p_.T, Vc = p_.V;
    setComposition(x1s + dx0);
    p_.temperature(Tc);
    p_.volume(Vc);
}

// The first mixture point (found by the caller), its tangent and row, and the
// orientation of the trace.  The curve is followed along its tangent (1,
// dT/dx1) in the (x1, T) plane, oriented by dir (the sign of the step in
// x1).  Steps are in x1 where the curve is flat, in T where it is steep.
// The orientation is kept through the curve's extrema: with T scaled by
// scaleT = kSteepInT/|dx| (the slope where the kind of step changes), the new
// tangent points the way of the last one (positive scaled product), so that
// past a temperature extremum x1 goes on and T turns, and past a composition
// extremum T (and V) go on and x1 turns.  The volume enters the orientation
// too (in ln V, a step of dx taken as 0.05 in ln V): where the curve runs up
// in pressure at nearly constant x1 and T, its volume carries it.
void CriticalCurveTrace::firstMixturePoint(bool fromPure, double dT, double dx) {
    xp_ = p_.x[1];
    Vp_ = p_.V;
    Tp_ = p_.T;
    // The tangent first: it reads the derivative set of the search, which the
    // state functions partly rewrite.
    p_.next_critical_point(t_, v_);
    p_.calculate_state_functions();
    if (inRange()) {
        row_.mixture(0.0, 0.0);
        ++written_;
    }
    sx_ = std::fabs(dx);
    sT_ = std::fabs(dT);
    scaleT_ = kSteepInT / std::max(sx_, 1e-12);
    dir_ = dx < 0.0 ? -1.0 : 1.0;
    if (!fromPure && std::fabs(dx * t_) > kSteepInT && dT != 0.0) dir_ = (dT < 0.0) == (t_ < 0.0) ? 1.0 : -1.0;
    scaleLnV_ = 0.05 / std::max(sx_, 1e-12);
    tPrev_ = t_;
    vPrev_ = v_;
    VpPrev_ = Vp_;
    lastTrialX_ = xp_;
    Pconverged_ = p_.P;
}

// The predictor: the step along the tangent, in T where the curve is steep
// (a search at fixed T), else in x1 (a search at fixed composition); past a
// composition extremum the tangent, scaled, turns back.
void CriticalCurveTrace::predict(double& DT, double& Dx, double& DV, CriticalPointFlag& d) {
    if (lambda_ <= 0.5) lambda_ *= 1.4;
    if (1.0 + t_ * tPrev_ / (scaleT_ * scaleT_) + (v_ / Vp_) * (vPrev_ / VpPrev_) / (scaleLnV_ * scaleLnV_) < 0.0)
        dir_ = -dir_;
    if (std::fabs(sx_ * t_) > kSteepInT) {
        DT = dir_ * (t_ < 0.0 ? -sT_ : sT_);
        Dx = DT / t_;
        DV = DT * v_ / t_;
        d = kCriticalPointFixedTemperature;
    } else {
        Dx = dir_ * sx_;
        DT = Dx * t_;
        DV = Dx * v_;
        d = kCriticalPointFixedComposition;
    }
}

// The corrector: the critical-point search from the predicted point, the
// step halved where it fails, down to kSmallestStepFactor (or once the
// curve has passed Pmax).
bool CriticalCurveTrace::correct(double DT, double Dx, double DV, CriticalPointFlag d) {
    stepT_ = DT;
    stepX_ = Dx;
    stepV_ = DV;
    stepFlag_ = d;
    for (;;) {
        p_.errorflag = 0;
        double x1 = xp_ + lambda_ * Dx;
        // A step in x1 past a pure component is shortened once to land next
        // to it (kPureEndOffset): the curve closes at its critical point
        // from there, not after ever shorter steps towards it.
        closing_ = false;
        if (d == kCriticalPointFixedComposition && !(x1 >= 0.0 && x1 <= 1.0)) {
            const double end = x1 < 0.0 ? kPureEndOffset : 1.0 - kPureEndOffset;
            if ((end - xp_) * Dx > 0.0) {
                lambda_ = (end - xp_) / Dx;
                x1 = end;
                closing_ = true;
            }
        }
        lastTrialX_ = x1;
        setComposition(x1);
        p_.temperature(Tp_ + lambda_ * DT);
        p_.volume(Vp_ + lambda_ * DV);
        bool converged = false;
        if (x1 >= 0.0 && x1 <= 1.0) {
            converged = searchInside(d);
        } else {
            p_.errorflag = 1;
        }
        // A step that lands on another root of the critical conditions (at
        // the same x1 and T, at another volume) has left the curve: its
        // tangent there is unrelated to the last one.  It is rejected and
        // retried shorter.
        if (converged && lambda_ >= kSmallestCheckedStep && !onTheBranch()) {
            platform::tracef("Critical curve: the step to x1 = %.9g, %.9g K, %.9g cm3/mol leaves the curve\n", p_.x[1],
                             p_.T, p_.V * 1e6);
            converged = false;
        }
        if (converged) return true;
        platform::tracef("lambda %.12lg xc %.12lg\n", lambda_, x1);
        lambda_ /= 2.0;
        if (!(lambda_ > kSmallestStepFactor) || (Pmax_ > 0.0 && Pconverged_ > Pmax_)) return false;
    }
}

// The tangent at the point just converged, and whether the step to it
// followed the curve: in the scaled (x1, T, ln V) of the orientation, the
// last tangent, the new one and the chord between the two points lie within
// kLargestTurn of one another on a smooth branch (the largest turn of a step
// measured on the cubics' and Kreglewski's curves is 33 degrees); a jump to
// another root gives a tangent and a chord at an unrelated angle (77 degrees
// on Kreglewski's N2-CO2).
bool CriticalCurveTrace::onTheBranch() {
    FluidPhase& p = p_;
    p.next_critical_point(tNew_, vNew_);
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
    unit(1.0, t_ / scaleT_, (v_ / Vp_) / scaleLnV_, last);
    unit(1.0, tNew_ / scaleT_, (vNew_ / p.V) / scaleLnV_, next);
    unit(p.x[1] - xp_, (p.T - Tp_) / scaleT_, std::log(p.V / Vp_) / scaleLnV_, chord);
    const double c = std::cos(kLargestTurn);
    const bool ok = cosine(last, next) >= c && cosine(last, chord) >= c && cosine(next, chord) >= c;
    return ok || !(std::isfinite(tNew_) && std::isfinite(vNew_));
}

// The step control of a converged point: the curve ends at a pressure of
// zero or below (the liquid's tension), above the model's critical curve's
// highest temperature, or where it leaves the model's range; otherwise the
// point is kept, its tangent computed, its row written, and its stability
// and (every kSplitCheckEvery points) its tangent plane tested.  False when
// the curve ends.
bool CriticalCurveTrace::keep() {
    FluidPhase& p = p_;
    if (!(p.P > 0.0)) {
        // A critical point at zero or negative pressure is no state of the
        // fluid: the curve has run into the liquid's tension.
        platform::warnf("Critical curve: its pressure falls to zero beyond x1 = %g, %g K and %g bar; the curve "
                        "ends there\n",
                        xp_, Tp_, Pconverged_ * 1e-5);
        unstableStop_ = true;  // no closing pure-component point either
        return false;
    }
    if (p.T > p.criticalCurveTmax) {
        // Beyond the model's range its critical curve may run to any
        // pressure: the point is not written and the curve ends here.
        platform::warnf("Critical curve: above %g K the model describes no critical point; the curve ends at "
                        "%g K and %g bar\n",
                        p.criticalCurveTmax, Tp_, Pconverged_ * 1e-5);
        unstableStop_ = true;  // no closing pure-component point either
        return false;
    }
    const bool inside = inRange();
    if (!inside && written_ > 0) {
        const double xOut = p.x[1];
        const std::string outside = edgeReason(xOut, p.T);
        if (landOnTheRangeEdge()) {
            const std::string why = edgeReason(xp_, Tp_);
            if (why.rfind("where ", 0) == 0)
                platform::warnf("Critical curve: the model %s reaches x1 = %g, %g K and %g bar, %s; the curve ends "
                                "on it\n",
                                p.modelName(), xp_, Tp_, Pconverged_ * 1e-5, why.c_str());
            else
                platform::warnf("Critical curve: it reaches the edge of the range of the model %s at x1 = %g, %g K "
                                "and %g bar (%s); the curve ends on it\n",
                                p.modelName(), xp_, Tp_, Pconverged_ * 1e-5, why.c_str());
        } else
            platform::warnf("Critical curve: the model %s leaves its range at x1 = %g (%s); the curve ends at %g K "
                            "and %g bar\n",
                            p.modelName(), xOut, outside.c_str(), Tp_, Pconverged_ * 1e-5);
        unstableStop_ = true;  // no closing pure-component point either
        return false;
    }
    tPrev_ = t_;
    vPrev_ = v_;
    VpPrev_ = Vp_;
    if (lambda_ >= kSmallestCheckedStep) {
        t_ = tNew_;
        v_ = vNew_;
    } else {
        p.next_critical_point(t_, v_);
    }
    if (endAtCriticalEndPoint_ && !stableCriticalPhase()) {
        const double xOut = p.x[1], TOut = p.T, POut = p.P;
        endedAtCriticalEndPoint_ = landOnTheCriticalEndPoint();
        if (endedAtCriticalEndPoint_)
            platform::warnf("Critical curve: the branch ends at a critical end point, x1 = %g, %g K and %g bar: "
                            "beyond it the critical phase is no stable state (a phase of another composition "
                            "lies below its tangent plane, or its fourth-order stability fails)\n",
                            xp_, Tp_, Pconverged_ * 1e-5);
        else
            platform::warnf("Critical curve: the branch ends at x1 = %g, %g K and %g bar, next to a critical end "
                            "point: at x1 = %g, %g K and %g bar the critical phase is no stable state\n",
                            xp_, Tp_, Pconverged_ * 1e-5, xOut, TOut, POut * 1e-5);
        unstableStop_ = true;  // no closing pure-component point either
        return false;
    }
    takePoint(inside);
    if (stopIfUnstable_ && p.critical_stability < 0.0) {
        unstableStop_ = true;
        return false;
    }
    if (!stopIfUnstable_ && !saidUnstable_ && p.critical_stability < 0.0) {
        saidUnstable_ = true;
        // The points before this one are tested first, so that the notes
        // come in the curve's order.
        if (!saidSplit_) checkSplit();
        platform::warnf("Critical curve: from x1 = %g, %g K and %g bar on, its points fail the fourth-order "
                        "stability of a critical point (column stabi)\n",
                        p.x[1], p.T, p.P * 1e-5);
    }
    if (!stopIfUnstable_ && !saidSplit_ && inside) {
        recent_.push_back({p.x[1], p.T, p.V, p.P});
        if (recent_.size() >= kSplitCheckEvery) checkSplit();
    }
    return true;
}

// The last step shortened to land on the edge of the model's range (its
// lowest temperature at the composition, a component freezing out, or its
// highest pressure): the step that left the range is bisected down to
// kEdgeStepTolerance of itself, and the last point inside is written.  True
// when a point closer to the edge than the last one was found.
bool CriticalCurveTrace::landOnTheRangeEdge() {
    return landOnTheEdge([this] { return inRange(); });
}

// The critical end point: the step to the first critical point that is no
// stable state, bisected as at the range's edge (to the last stable point
// inside the range).
bool CriticalCurveTrace::landOnTheCriticalEndPoint() {
    return landOnTheEdge([this] { return inRange() && stableCriticalPhase(); });
}

template <class Inside>
bool CriticalCurveTrace::landOnTheEdge(Inside&& inside) {
    FluidPhase& p = p_;
    double in = 0.0, out = lambda_;
    bool found = false;
    // Each search starts from the last point found inside (the last point
    // of the curve at first), moved along the step: a start from the last
    // point of the curve alone may fail short of the edge, and a failed
    // search would be taken for a step past it.
    double xIn = xp_, TIn = Tp_, VIn = Vp_;
    auto searchAt = [&](double l) {
        const double d = l - in;
        if (stepFlag_ == kCriticalPointFixedTemperature) {
            setComposition(xIn + d * stepX_);
            p.temperature(Tp_ + l * stepT_);
        } else {
            setComposition(xp_ + l * stepX_);
            p.temperature(TIn + d * stepT_);
        }
        p.volume(VIn + d * stepV_);
        p.errorflag = 0;
        return searchInside(stepFlag_);
    };
    for (int k = 0; k < 60 && out - in > kEdgeStepTolerance * lambda_; ++k) {
        const double mid = 0.5 * (in + out);
        if (searchAt(mid) && inside()) {
            in = mid;
            xIn = p.x[1];
            TIn = p.T;
            VIn = p.V;
            found = true;
        } else {
            out = mid;
        }
    }
    if (!found || !searchAt(in) || !inRange()) {
        p.errorflag = 0;
        return false;
    }
    p.next_critical_point(t_, v_);
    takePoint(true);
    return true;
}

// A critical point is a stable state where its fourth-order stability holds
// and no phase of any composition or density lies below the tangent plane of
// its own fugacities (at its T and P).  The phase's state is put back.
bool CriticalCurveTrace::stableCriticalPhase() {
    FluidPhase& p = p_;
    if (!(p.critical_stability >= 0.0)) return false;
    const HeldPoint held = hold();
    const double Tk = p.T, Pk = p.P;
    p.errorflag = 0;
    p.calculate_fugacities();
    bool stable = false;
    if (p.errorflag == 0 && p.fugacity[0] > 0.0 && p.fugacity[1] > 0.0) {
        const double lnf[2] = {std::log(p.fugacity[0]), std::log(p.fugacity[1])};
        stable = !p.binarySplitsAgainst(Tk, Pk * 1e-5, lnf);
    }
    restore(held);
    return stable;
}

std::string CriticalCurveTrace::edgeReason(double x1, double T) const {
    const std::vector<double> kept = p_.x;
    p_.composition_of_component(0, 1.0 - x1);
    p_.composition_of_component(1, x1);
    const ModelRange rules(p_);
    const ValidityRange edge = rules.freezingEdgeRange();
    std::string why = "the model holds " + rules.stateRange().describe() + " there";
    // At or below the freezing edge (within the bisection's tolerance).
    if (!(T > edge.Tmin + 1e-6 * edge.Tmin)) {
        const std::string frozen = rules.lowestCurveTemperatureReason(edge.Tmin);
        if (frozen.rfind("where ", 0) == 0) why = frozen;
    }
    p_.composition_of_component(0, kept[0]);
    p_.composition_of_component(1, kept[1]);
    return why;
}

// The tangent plane at the critical points: where the mixture splits into
// phases of other compositions the critical phase is metastable, beyond a
// critical end point on a three-phase line.  The test is made on every
// kSplitCheckEvery-th point and, once one splits, on the points since the
// last test, the first that splits being named.
void CriticalCurveTrace::checkSplit() {
    if (recent_.empty()) return;
    FluidPhase& p = p_;
    const HeldPoint held = hold();
    auto splits = [&](const CurvePoint& q) {
        setComposition(q.x1);
        return p.binarySplitsAt(q.T, q.P * 1e-5);
    };
    if (splits(recent_.back())) {
        saidSplit_ = true;
        std::size_t first = recent_.size() - 1;
        while (first > 0 && splits(recent_[first - 1])) --first;
        const CurvePoint& q = recent_[first];
        platform::warnf("Critical curve: from x1 = %g, %g K and %g bar on, the critical phase splits into phases "
                        "of other compositions (it is metastable, past a critical end point on a three-phase "
                        "line)\n",
                        q.x1, q.T, q.P * 1e-5);
    }
    recent_.clear();
    restore(held);
}

CriticalCurveTrace::HeldPoint CriticalCurveTrace::hold() const {
    return {p_.T, p_.V, p_.P, p_.x[1], p_.critical_stability};
}

void CriticalCurveTrace::restore(const HeldPoint& h) {
    setComposition(h.x1);
    p_.temperature(h.T);
    p_.volume(h.V);
    p_.P = h.P;
    p_.critical_stability = h.stability;
    p_.errorflag = 0;
}

void CriticalCurveTrace::run() {
    long points = 1;
    for (;;) {
        if (points >= kMostPoints) {
            platform::diagf("Critical curve: %ld points traced without reaching an end; the trace stops\n", points);
            break;
        }
        double DT, Dx, DV;
        CriticalPointFlag d;
        predict(DT, Dx, DV, d);
        if (!correct(DT, Dx, DV, d)) {
            if (!stopIfUnstable_ && lastTrialX_ > 0.001 && lastTrialX_ < 0.999)
                platform::warnf("Critical curve: no critical point is found beyond x1 = %g, %g K and %g bar; the "
                                "curve ends there\n",
                                xp_, Tp_, Pconverged_ * 1e-5);
            break;
        }
        if (!keep()) break;
        ++points;
        if (closing_) break;  // next to the pure component: closed at its critical point
    }
    if (!stopIfUnstable_ && !saidSplit_) checkSplit();
}

// Closes the curve at the other component's critical point (a curve from a
// pure component only at the far one), unless it ended on its own.
bool CriticalCurveTrace::closeAtPureComponent(bool fromPure, double inward) {
    if (unstableStop_) return false;
    double x1End = -1.0;
    if (lastTrialX_ > 0.999 && !(fromPure && inward < 0.0)) x1End = 1.0;
    if (lastTrialX_ < 0.001 && !(fromPure && inward > 0.0)) x1End = 0.0;
    if (x1End < 0.0) return false;
    setComposition(x1End);
    p_.errorflag = 0;
    p_.search_the_critical_point_of_the_pure_component();
    if (p_.errorflag) return false;
    if (inRange()) {
        p_.calculate_state_functions();
        row_.pure();
        ++written_;
    }
    return true;
}

namespace {

// The output of a critical curve (CriticalCurveTrace::traceCurve's modes and
// path) for the traces of body(row, written); a curve without a row leaves
// no file of headers (mode 0 keeps its empty file).
template <class Body>
void withCriticalCurveOutput(FluidPhase& p, const char* path, char mode, const char* suffix,
                             std::vector<double>* array, Body&& body) {
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
    CriticalCurveTrace::CriticalRow row{p, out};
    long written = 0;
    struct RemoveIfEmpty {
        CurveOutput& out;
        const std::string& file;
        const long& written;
        int mode;
        ~RemoveIfEmpty() {
            if (written > 0 || file.empty() ||
                (mode != kIgorTextFile && mode != kColumnTextFile && mode != kBinaryRows))
                return;
            out.close();
            std::remove(file.c_str());
        }
    } removeIfEmpty{out, file, written, m};
    body(row, written);
}

// What one branch's trace came to.
struct BranchEnd {
    bool started = false;  // a mixture point was found
    bool closed = false;   // it closed at the other component's critical point
    bool outsideRange = false;  // no point of it lies inside the model's range
    std::string range;     // the range then
    bool atEndPoint = false;       // it landed on its critical end point
    bool unstableAtFirst = false;  // its first mixture point was already no stable state
    double lastX1 = 0.0;           // the composition of its last point
};

// One branch of the curve (the arguments of traceCurve), its rows through
// `row`; toEndPoint: it ends at its critical end point.
BranchEnd traceBranch(FluidPhase& p, CriticalCurveTrace::CriticalRow& row, long& written, CriticalCurveFlag flag,
                      short stopIfUnstable, double dT, double dx, double dx0, double Pmax, bool toEndPoint) {
    BranchEnd end;
    CriticalCurveTrace trace(p, row, written, stopIfUnstable, Pmax);
    if (toEndPoint) trace.endAtCriticalEndPoint();
    // From a pure component the curve can only run into the mixtures: the
    // offset of the first point and the composition step point away from the
    // start whatever the signs given (and so does a first step in
    // temperature, in firstMixturePoint).
    const bool fromPure = flag == kCriticalCurveFromComponent0 || flag == kCriticalCurveFromComponent1;
    const double inward = flag == kCriticalCurveFromComponent1 ? -1.0 : 1.0;
    if (fromPure) {
        dx0 = inward * std::fabs(dx0);
        dx = inward * std::fabs(dx);
        trace.startAtPureComponent(flag, dx0);
    }
    const CriticalPointFlag first = (flag == kCriticalCurveFromStateFixedT || flag == kCriticalCurveFromStateFixedT1)
                                        ? kCriticalPointFixedTemperature
                                        : kCriticalPointFixedComposition;
    const long before = written;
    if (!trace.searchInside(first)) return end;  // no mixture point: the output is closed as it is
    end.started = true;
    if (toEndPoint && !trace.stableCriticalPhase()) {
        end.unstableAtFirst = true;
        const int pure = flag == kCriticalCurveFromComponent1 ? 1 : 0;
        platform::warnf("Critical curve: the branch from the critical point of %s ends there: already at a share "
                        "of %g of %s, %g K and %g bar the critical phase is no stable state (its critical end point "
                        "lies closer to the pure component)\n",
                        p.componentName(pure), p.x[1 - pure], p.componentName(1 - pure), p.T, p.P * 1e-5);
        return end;
    }
    if (toEndPoint) trace.searchInside(first);  // (the derivative set of the point again, for its tangent)
    trace.firstMixturePoint(fromPure, dT, dx);
    trace.run();
    end.atEndPoint = trace.endedAtCriticalEndPoint();
    end.lastX1 = trace.lastX1();
    end.closed = trace.closeAtPureComponent(fromPure, inward);
    if (written == before && trace.range().declared()) {
        end.outsideRange = true;
        char at[64];
        std::snprintf(at, sizeof at, " at x1 = %.10g", p.x[1]);
        end.range = trace.range().describe() + at;
    }
    return end;
}

// The critical end point next to the pure component k, where it lies
// closer to it than the offset `below` of a curve's first point: the
// largest share of the other component, down to kSmallestEndPointShare,
// at which the critical point of the mixture is a stable state, bisected in
// ln of the share, each point found at fixed composition from the pure
// component's critical point (searched from Tstart, Vstart).  Share 0
// where already the smallest share is no stable state (the end point, if
// any, lies beyond what the equation resolves in double precision).
struct EndPointShare {
    double share = 0.0, T = 0.0, P = 0.0;
};
EndPointShare endPointNextTo(FluidPhase& p, CriticalCurveTrace& trace, int k, double below, double Tstart,
                             double Vstart) {
    trace.setComposition(k == 0 ? 0.0 : 1.0);
    p.temperature(Tstart);
    p.volume(Vstart);
    p.errorflag = 0;
    p.search_the_critical_point_of_the_pure_component();
    if (p.errorflag) return {};
    const double Tc = p.T, Vc = p.V;
    auto stableAt = [&](double share) {
        trace.setComposition(k == 0 ? share : 1.0 - share);
        p.temperature(Tc);
        p.volume(Vc);
        p.errorflag = 0;
        return trace.searchInside(kCriticalPointFixedComposition) && trace.stableCriticalPhase();
    };
    double lo = kSmallestEndPointShare, hi = below;
    if (!stableAt(lo)) return {};
    for (int i = 0; i < 60 && hi / lo > 1.0 + kEndPointShareTolerance; ++i) {
        const double mid = std::sqrt(lo * hi);
        (stableAt(mid) ? lo : hi) = mid;
    }
    if (!stableAt(lo)) return {};
    return {lo, p.T, p.P};
}

// The branch from the critical point of component k (started from Tc, Vc)
// to its critical end point.  It is traced first without rows or notes to
// find where it ends; a branch narrower than kEndPointBranchSteps of the
// usual step (water's with CO2 ends within 0.005 of CO2's critical point,
// with methane or nitrogen within a millionth) is then traced with a step
// of that share of its width, so that it is drawn as a curve and its end
// point is located to the same fraction of the step.  Where already the
// first point next to the pure component is no stable state, the end point
// is found by bisection in ln of the share first.  A branch whose mixtures
// all lie outside the model's range (below the freezing of the other
// component) writes only its pure point, and says where its end point lies.
BranchEnd traceToCriticalEndPoint(FluidPhase& p, CriticalCurveTrace::CriticalRow& row, long& written, int k,
                                  double Tc, double Vc) {
    const CriticalCurveFlag flag = k == 0 ? kCriticalCurveFromComponent0 : kCriticalCurveFromComponent1;
    double width = 0.0;
    EndPointShare close;
    bool closerThanResolved = false;
    {
        platform::ThreadLogCapture quiet;
        CurveOutput none(0, "", nullptr, std::vector<std::string>(16, "c"), nullptr);
        CriticalCurveTrace::CriticalRow silent{p, none};
        long none_written = 0;
        p.temperature(Tc);
        p.volume(Vc);
        const BranchEnd probe =
            traceBranch(p, silent, none_written, flag, 0, -1.0, kUsualStep, kPureEndOffset, -1.0, true);
        if (probe.atEndPoint) {
            width = std::fabs(probe.lastX1 - (k == 0 ? 0.0 : 1.0));
        } else if (probe.unstableAtFirst) {
            CriticalCurveTrace trace(p, silent, none_written, 0, -1.0);
            close = endPointNextTo(p, trace, k, kPureEndOffset, Tc, Vc);
            width = close.share;
            closerThanResolved = width == 0.0;
        }
    }
    double dx = kUsualStep, dx0 = closerThanResolved ? kSmallestEndPointShare : kPureEndOffset;
    if (width > 0.0 && width < kEndPointBranchSteps * kUsualStep) {
        dx = width / kEndPointBranchSteps;
        dx0 = std::min(dx0, dx);
    }
    p.errorflag = 0;
    p.temperature(Tc);
    p.volume(Vc);
    const long before = written;
    std::vector<platform::ThreadLogCapture::Entry> notes;
    BranchEnd end;
    {
        platform::ThreadLogCapture said;
        end = traceBranch(p, row, written, flag, 0, -1.0, dx, dx0, -1.0, true);
        notes = said.take();
    }
    if (close.share > 0.0 && written - before <= 1) {
        const int other = 1 - k;
        platform::warnf("Critical curve: the branch from the critical point of %s ends at its critical end point, "
                        "at a share of %.6g of %s, %.8g K and %.8g bar; its mixtures lie outside the range of the "
                        "model %s (%s), only its pure point is written\n",
                        p.componentName(k), close.share, p.componentName(other), close.T, close.P * 1e-5,
                        p.modelName(), end.range.empty() ? "there" : end.range.c_str());
    } else {
        platform::ThreadLogCapture::replay(notes);
    }
    return end;
}

}  // namespace

void CriticalCurveTrace::traceCurve(FluidPhase& p, const char* path, CriticalCurveFlag flag, short stopIfUnstable,
                                    double dT, double dx, double dx0, double Pmax, char mode, const char* suffix,
                                    std::vector<double>* array) {
    if (p.component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        p.errorflag = 1;
        return;
    }
    // Only the points inside the model's declared range are written: a curve
    // that starts outside it (at a pure component's critical point below the
    // triple point of the other) is traced on until it enters the range, and
    // one that leaves the range ends there (outside it a cubic's curve may
    // run to its packing limit, at any pressure).  The range is the model's
    // at each point's composition (stateRange): near a pure component's
    // critical point the other one is dilute and does not freeze there.
    withCriticalCurveOutput(p, path, mode, suffix, array, [&](CriticalRow& row, long& written) {
        const BranchEnd end = traceBranch(p, row, written, flag, stopIfUnstable, dT, dx, dx0, Pmax, false);
        if (!end.started && written == 0) {
            platform::diagf("Critical curve: no critical point of the mixture is found from its start\n");
            p.errorflag = 1;
        } else if (end.outsideRange && written == 0) {
            platform::diagf("Critical curve: no point of the curve lies inside the range of the model %s (%s)\n",
                            p.modelName(), end.range.c_str());
            p.errorflag = 1;
        }
    });
}

void CriticalCurveTrace::traceBranches(FluidPhase& p, const char* path, const double (&Tstart)[2],
                                       const double (&Vstart)[2], char mode, const char* suffix,
                                       std::vector<double>* array) {
    if (p.component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        p.errorflag = 1;
        return;
    }
    // The pure components' critical points.
    const std::vector<double> kept = p.x;
    double Tc[2] = {0.0, 0.0}, Pc[2] = {0.0, 0.0};
    for (int k = 0; k < 2; ++k) {
        const double pure[2] = {k == 0 ? 1.0 : 0.0, k == 0 ? 0.0 : 1.0};
        p.composition(pure);
        p.temperature(Tstart[k]);
        p.volume(Vstart[k]);
        p.errorflag = 0;
        p.search_the_critical_point_of_the_pure_component();
        if (p.errorflag == 0) Tc[k] = p.T, Pc[k] = p.P;
    }
    p.composition(kept.data());
    p.errorflag = 0;
    const int first = Tc[1] > Tc[0] ? 1 : 0, other = 1 - first;
    auto fromComponent = [](int k) { return k == 0 ? kCriticalCurveFromComponent0 : kCriticalCurveFromComponent1; };
    withCriticalCurveOutput(p, path, mode, suffix, array, [&](CriticalRow& row, long& written) {
        p.temperature(Tstart[first]);
        p.volume(Vstart[first]);
        const BranchEnd main =
            traceBranch(p, row, written, fromComponent(first), 0, -1.0, kUsualStep, kPureEndOffset, -1.0, false);
        bool any = main.started;
        std::string outside = main.outsideRange ? main.range : "";
        if (!main.closed && Tc[other] > 0.0) {
            // A broken curve: the other component's critical point starts a
            // branch of its own.
            platform::warnf("Critical curve: the branch from the critical point of %s does not reach that of %s "
                            "(%g K and %g bar); a second branch starts there%s\n",
                            p.componentName(first), p.componentName(other), Tc[other], Pc[other] * 1e-5,
                            written > 0 ? " (in the file after a row of NaN)" : "");
            row.breakBefore = written > 0;
            const long before = written;
            const BranchEnd second = traceToCriticalEndPoint(p, row, written, other, Tstart[other], Vstart[other]);
            row.breakBefore = false;
            any = any || second.started;
            if (second.outsideRange && outside.empty()) outside = second.range;
            if (written == before)
                platform::warnf("Critical curve: no point of the branch from the critical point of %s is written\n",
                                p.componentName(other));
        }
        if (!any && written == 0) {
            platform::diagf("Critical curve: no critical point of the mixture is found from its start\n");
            p.errorflag = 1;
        } else if (written == 0) {
            platform::diagf("Critical curve: no point of the curve lies inside the range of the model %s (%s)\n",
                            p.modelName(), outside.c_str());
            p.errorflag = 1;
        }
    });
}
