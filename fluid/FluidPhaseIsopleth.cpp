// Isopleth of a binary system: the bubble branch (liquid of fixed
// composition x, vapour y following) or the dew branch (vapour of fixed
// composition y, liquid x following) traced in the pressure-temperature
// plane by continuation in temperature.  Each point is predicted along the
// temperature tangent of the branch, from differentiating fl_i = fv_i and
// Pl = Pv at the fixed composition, and corrected by a bubble or dew point;
// where the dew branch is steep in pressure (|dP/dT| > 1e5 Pa/K, near its
// temperature maximum) the step is taken in pressure and solved as a dew
// point at given pressure.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/BinarySide.h"
#include "fluid/CriticalApproach.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
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

// Temperature tangent of a branch at the stored point: bubble (free = the
// vapour composition) or dew (free = the liquid composition).  Returns false
// when the model fails there or the system is singular.
bool isoplethTangent(FluidPhase& p, bool bubble, double& dVl, double& dVv, double& dz, double& dPdT) {
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

// Rows "%12lg" with a blank before the line end; the "#" header in 11.
CurveLayout isoplethLayout() {
    CurveLayout layout;
    layout.numberedWidth = 11;
    layout.rowEnd = std::string(" \n");
    return layout;
}

bool tangentMode(FluidPhase& p, int mode, const char* which) {
    if (mode == 0) return true;
    platform::diagf("Next %s point for isopleth: only the temperature parametrisation (mode 0) is "
                         "available, not mode %d\n", which, mode);
    p.errorflag = 1;
    return false;
}

}  // namespace

void FluidPhase::next_bubble_point_for_isopleth(double& dVl, double& dVv, double& dy, double& dPdT, int mode) {
    dVl = dVv = dy = dPdT = 0.0;
    if (component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        errorflag = 1;
        return;
    }
    if (!tangentMode(*this, mode, "bubble")) return;
    if (!isoplethTangent(*this, true, dVl, dVv, dy, dPdT)) errorflag = 1;
}

void FluidPhase::next_dew_point_for_isopleth(double& dVl, double& dVv, double& dx, double& dPdT, int mode) {
    dVl = dVv = dx = dPdT = 0.0;
    if (component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        errorflag = 1;
        return;
    }
    if (!tangentMode(*this, mode, "dew")) return;
    if (!isoplethTangent(*this, false, dVl, dVv, dx, dPdT)) errorflag = 1;
}

void FluidPhase::calculate_an_isopleth(double T_, double Vl, double Vv, double xl, double yv, double Pmax,
                                       double dT, double dP, int type, char mode, const char* suffix,
                                       std::vector<double>* array) {
    // Modes 1, 2 and 6 write; the others trace without output.
    const int m = (mode == kIgorTextFile || mode == kColumnTextFile || mode == kArrayOfValues) ? mode : 0;
    CurveOutput out(m, CurveOutput::fileName("isop", suffix), suffix, {"T", "P", "x0", "x1", "y0", "y1", "Vl", "Vv"},
                    array, isoplethLayout());
    if (component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        errorflag = 1;
        return;
    }
    if (type != 1 && type != 2) {
        platform::diagf("Isopleth: unknown branch %d (2 bubble, 1 dew)\n", type);
        errorflag = 1;
        return;
    }
    const bool bubble = type == 2;
    if (bubble)
        calculate_bubble_point(T_, Vl, Vv, xl, yv);
    else
        calculate_dew_point(T_, Vl, Vv, xl, yv);
    if (errorflag) return;

    auto writeRow = [&] {
        const double x1 = x_liquid[1], y1 = x_vapour[1];
        out.writeRow({T, P * 1e-5, 1.0 - x1, x1, 1.0 - y1, y1, Vl0, Vv0});
    };
    // The accepted point.
    double T0 = T, Vl0a = Vl0, Vv0a = Vv0, x0 = x_liquid[1], y0 = x_vapour[1], P0 = P;
    // The point before it: the way the trace goes in T and in P.
    double Tbefore = T0, Pbefore = P0;
    // The composition held along the branch.
    const double z = bubble ? x0 : y0;
    double dVl = 0, dVv = 0, dz = 0, dPdT = 0;
    const double Pstart = P;
    isoplethTangent(*this, bubble, dVl, dVv, dz, dPdT);
    P = Pstart;
    if (dT * dPdT * dP < 0.0) dP = -dP;
    writeRow();

    // The critical point of the mixture of composition z, where the bubble
    // and dew curves of the isopleth meet: sought once the two phases come
    // close (or the trace stalls), from the last point's temperature and the
    // geometric mean of its volumes; it closes the branch only when it lies
    // ahead of the last point on the way the trace goes (in T while the
    // steps are in T, in P while they are in P) and near it.  A search that
    // fails is tried again once the phases have come closer.
    double nextTry = critical_approach::kNearCriticalVolumeRatio;
    double Tc = 0.0, Vc = 0.0, Pc = 0.0;
    bool pressureSteps = false;
    // `everyRoot`: where the search from the last point fails, the critical
    // points of the mixture are sought over temperature and volume as "crit"
    // seeks them.
    auto searchCritical = [&](bool everyRoot) {
        nextTry = critical_approach::nextNearCriticalRatio(nextTry);
        {
            const platform::ThreadLogCapture quiet;  // a start that does not converge is no failure
            composition_of_component(0, 1.0 - z);
            composition_of_component(1, z);
            temperature(T0);
            volume(std::sqrt(Vl0a * Vv0a));
            search_a_critical_point(kCriticalPointFixedComposition);
            if (errorflag != 0 && everyRoot) {
                const double Vs = std::sqrt(Vl0a * Vv0a);
                errorflag = searchTheMixtureCriticalPoint(z, T0, Vs) ? 0 : 1;
            }
        }
        const bool converged = errorflag == 0 && std::isfinite(T) && std::isfinite(V) && std::isfinite(P) &&
                               P > 0.0 && V > 0.0 && std::fabs(T - T0) < 0.1 * T0;
        errorflag = 0;
        if (!converged) return false;
        const bool ahead = pressureSteps
                               ? (P - P0) * (P0 - Pbefore) >= -1e-9 * P0 * std::fabs(P0 - Pbefore)
                               : (T - T0) * (T0 - Tbefore) >= -1e-9 * T0 * std::fabs(T0 - Tbefore);
        // Above the highest pressure of the trace the critical point does
        // not end it: the trace stops there as it would without it.
        if (!ahead || P > Pmax) return false;
        Tc = T;
        Vc = V;
        Pc = P;
        return true;
    };
    // From the last point to the critical point: bubble or dew points at
    // temperatures (dew points at pressures, where these come closer) most
    // of the way each time; the critical point itself is the last row.
    auto closeAtCritical = [&] {
        using critical_approach::TieLine;
        // The parameters: the temperature, and for a dew branch the pressure
        // too (its solver at given pressure), whichever comes closer.
        const TieLine c{Tc, Pc, z, z, Vc, Vc};
        const TieLine last{T0, P0, x0, y0, Vl0a, Vv0a};
        critical_approach::approachTheCriticalPoint(
            last, c, bubble, 1.0, bubble ? 1 : 2,
            [&](int kind, const TieLine& st, TieLine& got) {
                errorflag = 0;
                {
                    const platform::ThreadLogCapture quiet;
                    if (bubble)
                        calculate_bubble_point(st.s, st.Vl, st.Vv, z, st.y);
                    else if (kind == 0)
                        calculate_dew_point(st.s, st.Vl, st.Vv, st.x, z);
                    else
                        calculate_dew_point_for_given_P(st.t, st.s, st.Vl, st.Vv, st.x, z);
                }
                if (errorflag) return false;
                got = {T, P, x_liquid[1], x_vapour[1], Vl0, Vv0};
                const bool stable = binary_side::locallyStable(*this, 2, got.x, got.Vl) &&
                                    binary_side::locallyStable(*this, 1, got.y, got.Vv);
                P = got.t;  // the evaluations left the phase's pressure
                return stable;
            },
            writeRow);
        errorflag = 0;
        temperature(Tc);
        P = Pc;
        x_liquid.assign({1.0 - z, z});
        x_vapour.assign({1.0 - z, z});
        Vl0 = Vv0 = Vc;
        writeRow();
    };

    double r = 1.0;
    long points = 1;
    bool crawlChecked = false;
    while (errorflag == 0) {
        if (points >= kMostPoints) {
            platform::diagf("Isopleth: %ld points traced without reaching an end; the trace stops\n", points);
            break;
        }
        double DT = r * dT, DP = 0.0;
        if (!bubble && pressureSteps) {
            DP = r * dP;
            DT = DP / dPdT;
        }
        const double Vlp = Vl0a + DT * dVl, Vvp = Vv0a + DT * dVv;
        if (bubble) {
            calculate_bubble_point(T0 + DT, Vlp, Vvp, x0, std::clamp(y0 + DT * dz, 0.0, 1.0));
        } else if (!pressureSteps) {
            calculate_dew_point(T0 + DT, Vlp, Vvp, std::clamp(x0 + DT * dz, 0.0, 1.0), y0);
        } else {
            calculate_dew_point_for_given_P(P0 + DP, T0 + DT, Vlp, Vvp, std::clamp(x0 + DT * dz, 0.0, 1.0), y0);
        }
        if (errorflag) {
            r *= 0.5;
            if (r < kSmallestStepFactor) {
                // A branch that stalls has come to the critical point of its
                // mixture (or close to it): it closes there.
                errorflag = 0;
                if (searchCritical(true)) {
                    closeAtCritical();
                    return;
                }
                errorflag = 1;
                break;
            }
            errorflag = 0;
            continue;
        }
        // Along a branch the moving phase's composition approaches the held
        // one only towards the critical point: a point whose phases swapped
        // sides (or became one) has passed it.
        if ((x_vapour[1] - x_liquid[1]) * (y0 - x0) <= 0.0 || !(Vv0 > Vl0)) {
            r *= 0.5;
            if (r >= kSmallestStepFactor) continue;
            if (searchCritical(true)) {
                closeAtCritical();
                return;
            }
            break;
        }
        Tbefore = T0;
        Pbefore = P0;
        T0 = T;
        Vl0a = Vl0;
        Vv0a = Vv0;
        x0 = x_liquid[1];
        y0 = x_vapour[1];
        P0 = P;
        const double used = r;
        r = std::min(1.0, 2.0 * r);
        const double previous = dPdT;
        if (!isoplethTangent(*this, bubble, dVl, dVv, dz, dPdT)) {
            // Keep the last tangent: the next prediction is poorer but the
            // corrector may still find the point.
            dPdT = previous;
        }
        P = P0;
        if (!bubble) {
            const bool signChanged = previous * dPdT < 0.0;
            if (std::fabs(dPdT) > kSteepInP) {
                pressureSteps = true;
                if (signChanged) dT = -dT;
            } else {
                pressureSteps = false;
                if (signChanged) dP = -dP;
            }
        }
        writeRow();
        ++points;
        if (P0 > Pmax) break;
        if (Vv0a > Vl0a && Vv0a < nextTry * Vl0a && searchCritical(false)) {
            closeAtCritical();
            return;
        }
        // Near the critical point the corrector's residual reaches the
        // rounding of the model's fugacities before its step is small (the
        // system is nearly singular there): only steps that start almost on
        // the next point converge, and the trace would crawl.  Once the
        // steps have shrunk that far with the phases close, the critical
        // point is sought (over the whole plane if need be) and the branch
        // closes there.
        if (!crawlChecked && used < kCrawlingStep && Vv0a > Vl0a &&
            Vv0a < critical_approach::kNearCriticalVolumeRatio * Vl0a) {
            crawlChecked = true;
            if (searchCritical(true)) {
                closeAtCritical();
                return;
            }
        }
    }
}
