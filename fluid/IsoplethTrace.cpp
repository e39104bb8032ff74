#include "fluid/IsoplethTrace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/BinarySide.h"
#include "numerics/LinearAlgebra.h"
#include "platform/LogSink.h"

using binary_side::Side;

namespace {

constexpr double kSteepInP = 1e5;           // Pa/K
constexpr double kSmallestStepFactor = 1e-6;
// A step factor at which a branch near its critical point is taken to crawl.
constexpr double kCrawlingStep = 0.02;
// A trace whose steps succeed but no longer move would never end.
constexpr long kMostPoints = 20000;

// Rows "%12lg" with a blank before the line end; the "#" header in 11.
CurveLayout isoplethLayout() {
    CurveLayout layout;
    layout.numberedWidth = 11;
    layout.rowEnd = std::string(" \n");
    return layout;
}

}  // namespace

bool IsoplethTrace::tangent(FluidPhase& p, bool bubble, double& dVl, double& dVv, double& dz, double& dPdT) {
    dVl = dVv = dz = dPdT = 0.0;
    binary_side::ensureVector(p.x_liquid, 2);
    binary_side::ensureVector(p.x_vapour, 2);
    Side l, v;
    if (!binary_side::evaluate(p, 2, p.x_liquid[1], p.Vl0, 0.0, l) ||
        !binary_side::evaluate(p, 1, p.x_vapour[1], p.Vv0, 0.0, v))
        return false;
    double rows[3][3], b[3], t[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < 2; i++) {
        rows[i][0] = l.fV[i];
        rows[i][1] = -v.fV[i];
        rows[i][2] = bubble ? -v.fz[i] : l.fz[i];
        b[i] = v.fT[i] - l.fT[i];
    }
    rows[2][0] = l.PV;
    rows[2][1] = -v.PV;
    rows[2][2] = bubble ? -v.Pz : l.Pz;
    b[2] = v.PT - l.PT;
    double* M[3] = {rows[0], rows[1], rows[2]};
    int status = 0;
    solve_the_linear_system(M, b, t, 3, status);
    if (status) return false;
    dVl = t[0];
    dVv = t[1];
    dz = t[2];
    dPdT = bubble ? l.PV * t[0] + l.PT : v.PV * t[1] + v.PT;
    return std::isfinite(dVl) && std::isfinite(dVv) && std::isfinite(dz) && std::isfinite(dPdT);
}

IsoplethTrace::IsoplethTrace(FluidPhase& p, bool bubble, double PmaxPa, double dT, double dP, CurveOutput& out)
    : p_(p), bubble_(bubble), PmaxPa_(PmaxPa), dT_(dT), dP_(dP), out_(out),
      critical_(kCriticalPointFixedComposition, critical_approach::TraceWindow{.Pmax = PmaxPa}) {
    keepPoint();
    Tbefore_ = T0_;
    Pbefore_ = P0_;
    z_ = bubble ? x0_ : y0_;
    const double Pstart = p.P;
    tangent(p, bubble, dVl_, dVv_, dz_, dPdT_);
    p.P = Pstart;
    if (dT_ * dPdT_ * dP_ < 0.0) dP_ = -dP_;
    writeRow();
}

// Predictor and corrector: the point at the step r of the full one, predicted
// along the tangent and solved as a bubble point, a dew point at T or (where
// the dew branch is steep) a dew point at P.
void IsoplethTrace::predictAndCorrect(double r) {
    double DT = r * dT_, DP = 0.0;
    if (!bubble_ && pressureSteps_) {
        DP = r * dP_;
        DT = DP / dPdT_;
    }
    const double Vlp = Vl0a_ + DT * dVl_, Vvp = Vv0a_ + DT * dVv_;
    if (bubble_) {
        p_.calculate_bubble_point(T0_ + DT, Vlp, Vvp, x0_, std::clamp(y0_ + DT * dz_, 0.0, 1.0));
    } else if (!pressureSteps_) {
        p_.calculate_dew_point(T0_ + DT, Vlp, Vvp, std::clamp(x0_ + DT * dz_, 0.0, 1.0), y0_);
    } else {
        p_.calculate_dew_point_for_given_P(P0_ + DP, T0_ + DT, Vlp, Vvp, std::clamp(x0_ + DT * dz_, 0.0, 1.0), y0_);
    }
}

// Step control after a point is kept: the new tangent, and on the dew branch
// the switch between temperature and pressure steps where |dP/dT| passes
// kSteepInP (the step's sign kept along the way the branch goes).
void IsoplethTrace::accept() {
    Tbefore_ = T0_;
    Pbefore_ = P0_;
    keepPoint();
    const double previous = dPdT_;
    if (!tangent(p_, bubble_, dVl_, dVv_, dz_, dPdT_)) {
        // Keep the last tangent: the next prediction is poorer but the
        // corrector may still find the point.
        dPdT_ = previous;
    }
    p_.P = P0_;
    if (!bubble_) {
        const bool signChanged = previous * dPdT_ < 0.0;
        if (std::fabs(dPdT_) > kSteepInP) {
            pressureSteps_ = true;
            if (signChanged) dT_ = -dT_;
        } else {
            pressureSteps_ = false;
            if (signChanged) dP_ = -dP_;
        }
    }
}

// The critical point of the mixture of composition z, where the bubble and
// dew curves of the isopleth meet, sought from the last point's temperature
// (ahead of it in T while the steps are in T, in P while they are in P; over
// the whole plane where that fails, with everyRoot): true when the branch
// has closed there.
bool IsoplethTrace::closedAtCritical(bool everyRoot) {
    critical_approach::CriticalPoint c;
    const critical_approach::TraceEnd end{T0_,          z_,           Vl0a_, Vv0a_, pressureSteps_,
                                          pressureSteps_ ? P0_ : T0_, pressureSteps_ ? Pbefore_ : Tbefore_};
    if (!critical_.seek(p_, end, c, everyRoot)) return false;
    closeAtCritical(c);
    return true;
}

// From the last point to the critical point: bubble or dew points at
// temperatures (dew points at pressures, where these come closer) most of
// the way each time; the critical point itself is the last row.
void IsoplethTrace::closeAtCritical(const critical_approach::CriticalPoint& cp) {
    using critical_approach::TieLine;
    const double z = z_;
    // The parameters: the temperature, and for a dew branch the pressure too
    // (its solver at given pressure), whichever comes closer.
    const TieLine c{cp.T, cp.P, z, z, cp.V, cp.V};
    const TieLine last{T0_, P0_, x0_, y0_, Vl0a_, Vv0a_};
    FluidPhase& p = p_;
    const bool bubble = bubble_;
    critical_approach::approachTheCriticalPoint(
        last, c, bubble, 1.0, bubble ? 1 : 2,
        [&](int kind, const TieLine& st, TieLine& got) {
            p.errorflag = 0;
            {
                const platform::ThreadLogCapture quiet;
                if (bubble)
                    p.calculate_bubble_point(st.s, st.Vl, st.Vv, z, st.y);
                else if (kind == 0)
                    p.calculate_dew_point(st.s, st.Vl, st.Vv, st.x, z);
                else
                    p.calculate_dew_point_for_given_P(st.t, st.s, st.Vl, st.Vv, st.x, z);
            }
            if (p.errorflag) return false;
            got = {p.T, p.P, p.x_liquid[1], p.x_vapour[1], p.Vl0, p.Vv0};
            const bool stable = binary_side::locallyStable(p, 2, got.x, got.Vl) &&
                                binary_side::locallyStable(p, 1, got.y, got.Vv);
            p.P = got.t;  // the evaluations left the phase's pressure
            return stable;
        },
        [&] { writeRow(); });
    p.errorflag = 0;
    p.temperature(cp.T);
    p.P = cp.P;
    p.x_liquid.assign({1.0 - z, z});
    p.x_vapour.assign({1.0 - z, z});
    p.Vl0 = p.Vv0 = cp.V;
    writeRow();
}

// The trace: a failed step is halved down to kSmallestStepFactor, a kept one
// lets the step grow back; it ends above Pmax, after kMostPoints points, or
// at the critical point of its mixture (sought once the phases come close,
// when the steps crawl near it, or when the branch stalls or passes it).
void IsoplethTrace::run() {
    double r = 1.0;
    long points = 1;
    bool crawlChecked = false;
    while (p_.errorflag == 0) {
        if (points >= kMostPoints) {
            platform::diagf("Isopleth: %ld points traced without reaching an end; the trace stops\n", points);
            break;
        }
        predictAndCorrect(r);
        if (p_.errorflag) {
            r *= 0.5;
            if (r < kSmallestStepFactor) {
                // A branch that stalls has come to the critical point of its
                // mixture (or close to it): it closes there.
                p_.errorflag = 0;
                if (closedAtCritical(true)) return;
                p_.errorflag = 1;
                break;
            }
            p_.errorflag = 0;
            continue;
        }
        // Along a branch the moving phase's composition approaches the held
        // one only towards the critical point: a point whose phases swapped
        // sides (or became one) has passed it.
        if ((p_.x_vapour[1] - p_.x_liquid[1]) * (y0_ - x0_) <= 0.0 || !(p_.Vv0 > p_.Vl0)) {
            r *= 0.5;
            if (r >= kSmallestStepFactor) continue;
            if (closedAtCritical(true)) return;
            break;
        }
        const double used = r;
        r = std::min(1.0, 2.0 * r);
        accept();
        writeRow();
        ++points;
        if (P0_ > PmaxPa_) break;
        if (critical_.due(Vl0a_, Vv0a_) && closedAtCritical(false)) return;
        // Near the critical point the corrector's residual reaches the
        // rounding of the model's fugacities before its step is small (the
        // system is nearly singular there): only steps that start almost on
        // the next point converge, and the trace would crawl.  Once the
        // steps have shrunk that far with the phases close, the critical
        // point is sought (over the whole plane if need be) and the branch
        // closes there.
        if (!crawlChecked && used < kCrawlingStep && Vv0a_ > Vl0a_ &&
            Vv0a_ < critical_approach::kNearCriticalVolumeRatio * Vl0a_) {
            crawlChecked = true;
            if (closedAtCritical(true)) return;
        }
    }
}

void IsoplethTrace::traceIsopleth(FluidPhase& p, double T_, double Vl, double Vv, double xl, double yv,
                                  double Pmax, double dT, double dP, int type, char mode, const char* suffix,
                                  std::vector<double>* array) {
    // Modes 1, 2 and 6 write; the others trace without output.
    const int m = (mode == kIgorTextFile || mode == kColumnTextFile || mode == kArrayOfValues) ? mode : 0;
    CurveOutput out(m, CurveOutput::fileName("isop", suffix), suffix, {"T", "P", "x0", "x1", "y0", "y1", "Vl", "Vv"},
                    array, isoplethLayout());
    if (p.component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        p.errorflag = 1;
        return;
    }
    if (type != 1 && type != 2) {
        platform::diagf("Isopleth: unknown branch %d (2 bubble, 1 dew)\n", type);
        p.errorflag = 1;
        return;
    }
    const bool bubble = type == 2;
    if (bubble)
        p.calculate_bubble_point(T_, Vl, Vv, xl, yv);
    else
        p.calculate_dew_point(T_, Vl, Vv, xl, yv);
    if (p.errorflag) return;
    IsoplethTrace(p, bubble, Pmax, dT, dP, out).run();
}