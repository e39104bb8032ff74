// Pressure-composition isotherm of a binary system: bubble points traced by
// continuation along the liquid composition, each predicted along the
// tangent of the bubble curve; where the curve is steep (|dP/dx| > 1e6 Pa)
// the step is taken in pressure and solved as a flash instead (or, where the
// flash misses, as the tie line at that pressure from the equal fugacities
// themselves).  No row is written twice, and rows further apart than 0.03 in
// either phase's mole fraction have the tie lines between them filled in.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "fluid/BinarySide.h"
#include "fluid/CriticalApproach.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"

namespace {

constexpr int kColumns = 19;
constexpr int kIndexColumn = 18;
// |dP/dx| in Pa above which the step is in pressure.
constexpr double kSteepInP = 1e6;
constexpr double kSmallestStepFactor = 1e-8;
// A trace whose steps shrink to almost nothing without failing would never
// end; far more points than steps of 0.01 in x or 1 bar up to 10 kbar need.
constexpr long kMostPoints = 100000;
// Relative change in pressure and absolute change in the mole fractions
// below which a point repeats the previous row as printed.
constexpr double kSameRow = 1e-6;
// The widest step between two rows in the liquid's or the vapour's mole
// fraction: a plot of the rows follows the envelope.
constexpr double kWidestStep = 0.03;
// The isotherms of the command interpreter end at this pressure (bar) or the
// model's highest, whichever is lower.
constexpr double kHighestPressureBar = 10000.0;

const std::vector<std::string>& isothermNames() {
    static const std::vector<std::string> names = {"T",   "P",   "xl0", "xl1", "xv0", "xv1", "Vl",
                                                   "Vv",  "rhol", "rhov", "ul", "uv",  "hl",  "hv",
                                                   "ulm", "uvm", "hlm", "hvm", "i"};
    return names;
}

// Rows "%12lg" with the point index as "%12d".
CurveLayout isothermLayout() {
    CurveLayout layout;
    layout.columnFormats.assign(kColumns, CurveValueFormat{});
    layout.columnFormats[kIndexColumn] = CurveValueFormat{12, 0, 'f'};
    return layout;
}

// One phase's columns of a row: evaluated at mole fraction z and volume Vs.
struct PhaseColumns {
    double M = 0, U = 0, H = 0, rho = 0, P = 0;
};

PhaseColumns phaseColumns(FluidPhase& p, int kind, double z, double Vs) {
    p.set_the_phase_as(kind);
    p.composition_of_component(0, 1.0 - z);
    p.composition_of_component(1, z);
    p.volume(Vs);
    p.calculate_state_functions();
    PhaseColumns c;
    c.M = (1.0 - z) * p.molar_mass[0] + z * p.molar_mass[1];
    p.bulk_molar_weight = c.M;
    c.U = p.U;
    c.H = p.H;
    c.rho = c.M / p.V;
    c.P = p.P;
    return c;
}

void writeIsothermRow(FluidPhase& p, CurveOutput& out, int index) {
    const double xl = p.x_liquid[1], yv = p.x_vapour[1], Vl = p.Vl0, Vv = p.Vv0;
    const PhaseColumns l = phaseColumns(p, 2, xl, Vl);
    const PhaseColumns v = phaseColumns(p, 1, yv, Vv);
    out.writeRow({p.T, v.P * 1e-5, 1.0 - xl, xl, 1.0 - yv, yv, Vl * 1e6, Vv * 1e6, l.rho, v.rho, l.U, v.U, l.H, v.H,
                  l.U / l.M, v.U / v.M, l.H / l.M, v.H / v.M, static_cast<double>(index)});
}

// The isotherms of the command interpreter stay inside the model's range: a
// temperature outside it is refused with one message naming the model, and
// the trace ends at its highest pressure.
// The model's range at mole fraction x1 of component 1 (effectiveRange at
// that composition; the model's composition is kept).
ValidityRange rangeAtComposition(FluidPhase& p, double x1) {
    const std::vector<double> kept = p.x;
    const double at[2] = {1.0 - x1, x1};
    p.composition(at);
    const ValidityRange r = p.stateRange();
    p.composition(kept.data());
    return r;
}

// The model's range at pure component k.
ValidityRange pureEndRange(FluidPhase& p, int k) { return rangeAtComposition(p, k == 0 ? 0.0 : 1.0); }

// An isotherm of the binary starts at the saturation of a pure component: at
// a temperature where neither is fluid in the model's range (below both
// triple points, above its Tmax) it has no start.
bool refusedTemperature(FluidPhase& p, double T_) {
    const ValidityRange r0 = pureEndRange(p, 0), r1 = pureEndRange(p, 1);
    if (r0.holdsTemperature(T_) || r1.holdsTemperature(T_)) return false;
    platform::diagf("The model %s holds %s for %s and %s for %s: it gives no isotherm of the binary at %g K.\n",
                    p.modelName(), r0.describe().c_str(), p.componentName(0), r1.describe().c_str(),
                    p.componentName(1), T_);
    p.errorflag = 1;
    return true;
}

// The pure end of an isotherm is the component's saturation in the model:
// where that lies further from the fluid's vapour pressure than a saturation
// point the model may give (kVapourPressureTolerance), the isotherm is
// withheld with one message, as the pure fluid's saturation point would be.
bool withheldPureEnd(FluidPhase& p, int k, double T_, double P_Pa) {
    const char* name = p.componentName(k);
    const double psat = ancillaryVapourPressure(name, T_);
    if (!std::isfinite(psat) || !(std::fabs(P_Pa / psat - 1.0) > kVapourPressureTolerance)) return false;
    platform::diagf(
        "The model %s gives a vapour pressure of %.4g bar at %g K, where that of %s is %.4g bar: its isotherm of "
        "the binary is withheld.\n",
        p.modelName(), P_Pa * 1e-5, T_, name, psat * 1e-5);
    p.errorflag = 1;
    return true;
}

// The bubble point of pure component k at T (the phase holds it, errorflag
// 0) from the model's start values for k; where they miss (close to the
// component's critical point, or a component other than the first whose
// start the model does not find), from the fluid's saturated volumes of its
// ancillary equations (the liquid kept above the model's co-volume: a
// cubic's liquid is less dense than the fluid's), then from its saturation
// solved at its pure composition.  The other starts are tried only for a
// fluid below its critical temperature by its vapour-pressure equation, so
// that a supercritical one is not searched.
void bubbleOfPureComponent(FluidPhase& p, int k, double T_) {
    const char* name = p.componentName(k);
    p.initializeSaturationVolumesFromT(name, T_);
    p.calculate_bubble_point(T_, p.Vl0, p.Vv0, k, k);
    if (p.errorflag == 0 || !std::isfinite(ancillaryVapourPressure(name, T_))) return;
    const std::vector<double> kept = p.x;
    std::vector<double> only(2, 0.0);
    only[k] = 1.0;
    p.composition(only.data());
    const double b = p.coVolume();
    p.composition(kept.data());
    const double Vl = std::max(ancillarySaturatedLiquidVolume(name, T_), 1.2 * b),
                 Vv = ancillarySaturatedVapourVolume(name, T_);
    p.errorflag = 1;
    if (Vv > Vl) p.calculate_bubble_point(T_, Vl, Vv, k, k);
    if (p.errorflag == 0) return;
    p.composition(only.data());
    const bool saturated = p.calculateTheSaturationPressure(T_, false) == 0;
    const double VlSat = p.Vl_sat, VvSat = p.Vv_sat;
    p.composition(kept.data());
    p.errorflag = 1;
    if (saturated) p.calculate_bubble_point(T_, VlSat, VvSat, k, k);
}

double highestPressureBar(const FluidPhase& p) { return std::min(kHighestPressureBar, p.stateRange().Pmax); }

// A phase of the binary at (z, V) and T locally stable, its Helmholtz
// energy convex in V and z: -dP/dV > 0 and -dP/dV A_zz - (dP/dz)^2 > 0,
// A_zz = RT d ln(f1/f0)/dz, each derivative at constant volume by central
// differences (none of the model's composition derivatives).  A near-trivial
// root of the equal-fugacity equations beyond the critical point of the
// isotherm holds a phase that is not.
bool locallyStableByDifferences(FluidPhase& p, double T_, double z, double V) {
    const double hz = std::min({1e-5, 0.5 * z, 0.5 * (1.0 - z)}), hV = 1e-5 * V;
    if (!(hz > 0.0)) return true;  // a pure phase: mechanical stability is its volume search's
    double P[2][2] = {}, r[2] = {};  // P at z -+ hz and at V -+ hV; ln(f1/f0) at z -+ hz
    for (int k = 0; k < 2; ++k) {
        const double zs = k == 0 ? z - hz : z + hz, Vs = k == 0 ? V - hV : V + hV;
        for (const auto& [zz, VV, row] : {std::tuple{zs, V, 0}, std::tuple{z, Vs, 1}}) {
            const double w[2] = {1.0 - zz, zz};
            p.composition(w);
            p.temperature(T_);
            p.volume(VV);
            p.errorflag = 0;
            p.calculate_pressure();
            if (row == 0) p.calculate_fugacities();
            if (p.errorflag) return false;
            P[row][k] = p.P;
            if (row == 0) r[k] = std::log(p.fugacity[1] / p.fugacity[0]);
        }
    }
    const double PV = (P[1][1] - P[1][0]) / (2.0 * hV), Pz = (P[0][1] - P[0][0]) / (2.0 * hz),
                 Azz = FluidPhase::R * T_ * (r[1] - r[0]) / (2.0 * hz);
    return -PV > 0.0 && -PV * Azz - Pz * Pz > 0.0;
}

// The tie line at T and P from an estimate of its compositions and volumes:
// Newton's method on the equality of both components' fugacities in the
// liquid (the root of P(V) = P at x1 = xl nearest Vl) and the vapour (at yv
// nearest Vv), its Jacobian by differences, which needs none of the
// model's composition derivatives; the tie line found is the phase's two-
// phase state (P, x_liquid, x_vapour, Vl0, Vv0).  False where the search
// fails or the phases meet (no split at T and P).
bool tieLineAtTP(FluidPhase& p, double T_, double P_bar, double& Vl, double& Vv, double& xl, double& yv) {
    const std::vector<double> kept = p.x;
    // ln f of both components at composition z on the root of P(V) = P
    // nearest the volume V (Newton's method in ln V from V, the slope by
    // differences; a root where the pressure falls with volume), V the root.
    auto lnf = [&](double z, double f[2], double& V) {
        const double w[2] = {1.0 - z, z};
        p.composition(w);
        p.temperature(T_);
        auto pressureAt = [&](double v) {
            p.errorflag = 0;
            p.volume(v);
            p.calculate_pressure();
            return p.errorflag ? std::nan("") : p.P - P_bar * 1e5;
        };
        double u = std::log(V);
        bool found = false;
        for (int it = 0; it < 60 && !found; ++it) {
            const double g = pressureAt(std::exp(u)), gu = (pressureAt(std::exp(u + 1e-7)) - g) / 1e-7;
            if (!std::isfinite(g) || !(gu < 0.0)) return false;
            const double du = std::clamp(-g / gu, -0.1, 0.1);
            u += du;
            found = std::fabs(du) < 1e-13;
        }
        if (!found) return false;
        V = std::exp(u);
        if (!std::isfinite(pressureAt(V))) return false;
        p.calculate_fugacities();
        if (p.errorflag || !(p.fugacity[0] > 0.0) || !(p.fugacity[1] > 0.0)) return false;
        f[0] = std::log(p.fugacity[0]);
        f[1] = std::log(p.fugacity[1]);
        return std::isfinite(f[0]) && std::isfinite(f[1]);
    };
    // The two equations at (x, y) and the phases' volumes.
    auto residual = [&](double x, double y, double g[2], double& VL, double& VV) {
        double fl[2], fv[2];
        if (!lnf(x, fl, VL) || !lnf(y, fv, VV)) return false;
        g[0] = fl[0] - fv[0];
        g[1] = fl[1] - fv[1];
        return true;
    };
    bool solved = false;
    {
        const platform::ThreadLogCapture quiet;  // a trial composition without a root is no failure
        double x = xl, y = yv;
        for (int it = 0; it < 60 && !solved; ++it) {
            double g[2], VL = Vl, VV = Vv;
            if (!residual(x, y, g, VL, VV)) break;
            Vl = VL;
            Vv = VV;
            const double h = 1e-7;
            double gx[2], gy[2], VLx = Vl, VVx = Vv, VLy = Vl, VVy = Vv;
            if (!residual(x + (x < 0.5 ? h : -h), y, gx, VLx, VVx) || !residual(x, y + (y < 0.5 ? h : -h), gy, VLy, VVy))
                break;
            const double hx = x < 0.5 ? h : -h, hy = y < 0.5 ? h : -h;
            const double J00 = (gx[0] - g[0]) / hx, J01 = (gy[0] - g[0]) / hy, J10 = (gx[1] - g[1]) / hx,
                         J11 = (gy[1] - g[1]) / hy, det = J00 * J11 - J01 * J10;
            if (!(std::fabs(det) > 0.0)) break;
            double dx = -(g[0] * J11 - J01 * g[1]) / det, dy = -(J00 * g[1] - J10 * g[0]) / det;
            // Steps of at most a quarter of the distance between the phases.
            const double most = 0.25 * std::fabs(y - x), size = std::max(std::fabs(dx), std::fabs(dy));
            if (size > most && size > 0.0) {
                dx *= most / size;
                dy *= most / size;
            }
            // (The trivial root, one phase twice, draws Newton's steps close
            // to the critical point: a step that closes the split by more
            // than half is halved.)
            for (int k = 0; k < 20 && std::fabs((y + dy) - (x + dx)) < 0.5 * std::fabs(y - x); ++k) {
                dx *= 0.5;
                dy *= 0.5;
            }
            x = std::clamp(x + dx, 1e-12, 1.0 - 1e-12);
            y = std::clamp(y + dy, 1e-12, 1.0 - 1e-12);
            solved = std::fabs(dx) < 1e-11 && std::fabs(dy) < 1e-11;
        }
        // Solved where both fugacities agree at the last point, on two
        // distinct roots (not a step that only stalled, nor the trivial
        // solution of one phase twice).
        double g[2], VL = Vl, VV = Vv;
        solved = solved && residual(x, y, g, VL, VV) && std::fabs(g[0]) < 1e-9 && std::fabs(g[1]) < 1e-9 &&
                 std::fabs(VV / VL - 1.0) > 1e-6;
        Vl = VL;
        Vv = VV;
        xl = x;
        yv = y;
    }
    p.composition(kept.data());
    p.errorflag = 0;
    if (!solved || !(std::fabs(xl - yv) > 1e-6)) return false;
    p.P = P_bar * 1e5;
    p.x_liquid.assign({1.0 - xl, xl});
    p.x_vapour.assign({1.0 - yv, yv});
    p.Vl0 = Vl;
    p.Vv0 = Vv;
    return true;
}

// The tie line of the binary at T and P found without a pure end to trace
// from (both components above their critical temperature or frozen in the
// model): g(z) = z0 ln f0(z) + z1 ln f1(z), the molar Gibbs energy over RT
// but for terms linear in z, on the lower of its two roots, over a grid of
// compositions; the phases that coexist are the ends of a segment of the
// lower convex hull of g (the common tangent), polished (tieLineAtTP).
// False where g is convex throughout (no split at T and P).
bool tieLineFromTheGibbsEnergy(FluidPhase& p, double T_, double P_bar, double& Vl, double& Vv, double& xl,
                               double& yv) {
    struct Node {
        double z, g, V;
    };
    std::vector<Node> nodes;
    const std::vector<double> kept = p.x;
    constexpr int kGrid = 200;
    {
        const platform::ThreadLogCapture quiet;  // a composition without a root is no failure
        for (int k = 0; k <= kGrid; ++k) {
            const double z = std::clamp(static_cast<double>(k) / kGrid, 1e-7, 1.0 - 1e-7);
            const double w[2] = {1.0 - z, z};
            Node best{z, HUGE_VAL, 0.0};
            for (bool liquid : {true, false}) {
                p.composition(w);
                p.errorflag = 0;
                if (!p.trialRootFromTP(liquid, T_, P_bar) || !(p.fugacity[0] > 0.0) || !(p.fugacity[1] > 0.0))
                    continue;
                const double g = w[0] * std::log(p.fugacity[0]) + w[1] * std::log(p.fugacity[1]);
                if (std::isfinite(g) && g < best.g) best = {z, g, p.V};
            }
            if (std::isfinite(best.g)) nodes.push_back(best);
        }
    }
    p.composition(kept.data());
    p.errorflag = 0;
    // The lower hull (Andrew's monotone chain) and its longest segment.
    std::vector<Node> hull;
    for (const Node& n : nodes) {
        while (hull.size() >= 2) {
            const Node &a = hull[hull.size() - 2], &b = hull.back();
            if ((b.z - a.z) * (n.g - a.g) - (b.g - a.g) * (n.z - a.z) > 0.0) break;
            hull.pop_back();
        }
        hull.push_back(n);
    }
    // The segments of the hull wider than the grid's step, widest first:
    // each polished in turn, the first that gives a tie line taken.
    std::vector<std::size_t> segments;
    for (std::size_t k = 1; k < hull.size(); ++k)
        if (hull[k].z - hull[k - 1].z > 1.5 / kGrid) segments.push_back(k - 1);
    std::stable_sort(segments.begin(), segments.end(), [&](std::size_t i, std::size_t j) {
        return hull[i + 1].z - hull[i].z > hull[j + 1].z - hull[j].z;
    });
    for (std::size_t k : segments) {
        const Node &a = hull[k], &b = hull[k + 1];
        const bool aLiquid = a.V < b.V;
        const Node &l = aLiquid ? a : b, &v = aLiquid ? b : a;
        xl = l.z;
        yv = v.z;
        Vl = l.V;
        Vv = v.V;
        if (tieLineAtTP(p, T_, P_bar, Vl, Vv, xl, yv)) return true;
    }
    return false;
}

}  // namespace

namespace {

// Set by a trace that stops before an end of its isotherm: the isotherm
// through a pressure then starts from another one (traceBothWays).
thread_local bool stalledTrace = false;

// A P-x isotherm traced from its first point: the accepted point, the
// pressure of the point before it (the way the trace goes in pressure: up
// from a pure component's saturation, down from a flash at high pressure),
// the tangent of the bubble curve and the step factor.  Each step is
// predicted along the tangent and corrected by a bubble point, or by a flash
// where the curve is steep (predictAndCorrect); the step control (run) keeps
// or shortens it; the isotherm ends at a pure component, at its highest
// pressure, or at its critical point (closeAtCritical).
class IsothermTrace {
public:
    IsothermTrace(FluidPhase& p, double T, double dx, double dP_bar, double Pmax_bar, CurveOutput& out)
        : p_(p), T_(T), dx_(dx), s_(1e5 * dP_bar), PmaxBar_(Pmax_bar), out_(out),
          critical_(kCriticalPointFixedTemperature, critical_approach::TraceWindow{.Pmax = 1e5 * Pmax_bar}) {
        P0_ = Pbefore_ = p.P;
        last_ = {p.P, p.x_liquid[1], p.x_vapour[1], p.Vl0, p.Vv0};
        writeIsothermRow(p, out, 0);
        accept();
        p.P = P0_;
    }

    void run();

private:
    // The step Dx in the liquid's composition (or the pressure step r s where
    // the curve is steep), kept inside [0, 1]: `last` where it reaches a pure
    // component, whose bubble point closes the isotherm.
    void predictAndCorrect(double r, bool& steep, bool& last);
    void accept() {
        xBefore_ = x0_;
        yBefore_ = y0_;
        VlBefore_ = Vl0a_;
        VvBefore_ = Vv0a_;
        ++accepted_;
        Pbefore_ = P0_;
        P0_ = p_.P;
        x0_ = p_.x_liquid[1];
        y0_ = p_.x_vapour[1];
        Vl0a_ = p_.Vl0;
        Vv0a_ = p_.Vv0;
        p_.next_bubble_point(dVl_, dVv_, dy_, dPdx_);
        checkTheTangent();
        if (s_ * dPdx_ * dx_ < 0.0) s_ = -s_;
    }
    void checkTheTangent();
    // A tie line of the isotherm as written: P (Pa), x, y, Vl, Vv.
    struct Row {
        double P, x, y, Vl, Vv;
    };
    Row current() const { return {p_.P, p_.x_liquid[1], p_.x_vapour[1], p_.Vl0, p_.Vv0}; }
    // The tie line in hand, where its phases lie close (within 0.05 in x),
    // not an equilibrium: one of its phases locally unstable.
    bool spurious() {
        const Row now = current();
        if (!(std::fabs(now.x - now.y) < 0.05)) return false;
        const std::vector<double> kept = p_.x;
        const bool stable = locallyStableByDifferences(p_, T_, now.x, now.Vl) &&
                            locallyStableByDifferences(p_, T_, now.y, now.Vv);
        p_.composition(kept.data());
        restore(now);
        p_.errorflag = 0;
        return !stable;
    }
    void restore(const Row& r) {
        p_.P = r.P;
        p_.x_liquid.assign({1.0 - r.x, r.x});
        p_.x_vapour.assign({1.0 - r.y, r.y});
        p_.Vl0 = r.Vl;
        p_.Vv0 = r.Vv;
    }
    void emit();
    void fillBetween(const Row& a, const Row& b, int depth);
    bool traceOn();
    bool jumpAlong();
    bool closedAtCritical();
    // The phase of the point just solved that lies outside the model's range
    // at its composition and T (2 liquid, 1 vapour), 0 when both lie in it.
    int outsideTheRange() {
        if (!rangeAtComposition(p_, p_.x_liquid[1]).holdsTemperature(T_)) return 2;
        if (!rangeAtComposition(p_, p_.x_vapour[1]).holdsTemperature(T_)) return 1;
        return 0;
    }
    void endOnTheRange(int phase);
    void endOnThePressureLimit();

    FluidPhase& p_;
    const double T_, dx_;
    double s_;  // Pa
    const double PmaxBar_;
    CurveOutput& out_;
    critical_approach::CriticalSearch critical_;
    double P0_ = 0, x0_ = 0, y0_ = 0, Vl0a_ = 0, Vv0a_ = 0, Pbefore_ = 0;
    double dVl_ = 0, dVv_ = 0, dy_ = 0, dPdx_ = 0;
    double xBefore_ = 0, yBefore_ = 0, VlBefore_ = 0, VvBefore_ = 0;
    int accepted_ = 0;
    int index_ = 1;
    Row last_{};  // the last row written
};

// The tangent of the bubble curve from the model's derivatives checked
// against a difference quotient: the secant from the point before or, at the
// first point, the tie line a small step in pressure away (below, else
// above) from the fugacities themselves (tieLineAtTP).
// Where the two differ by more than a tenth in dP/dx (a model whose
// composition derivatives are not those of its pressure, as a volume
// translation can leave them), the difference quotient is the tangent.  The
// accepted point is kept.
void IsothermTrace::checkTheTangent() {
    auto quotient = [&](double dP, double Dx, double Dy, double DVl, double DVv) {
        if (!(std::fabs(Dx) > 1e-10)) return false;
        const double dPdx = dP / Dx;
        if (!(std::fabs(dPdx - dPdx_) <= 0.1 * std::fabs(dPdx))) {
            dPdx_ = dPdx;
            dy_ = Dy / Dx;
            dVl_ = DVl / Dx;
            dVv_ = DVv / Dx;
        }
        return true;
    };
    if (accepted_ > 1) {
        quotient(P0_ - Pbefore_, x0_ - xBefore_, y0_ - yBefore_, Vl0a_ - VlBefore_, Vv0a_ - VvBefore_);
        return;
    }
    const Row kept = current();
    const short keptErr = p_.errorflag;
    {
        const platform::ThreadLogCapture quiet;  // a probe that fails leaves the model's tangent
        for (double d : {-1e-4 * kept.P, 1e-4 * kept.P}) {
            double Vl = kept.Vl, Vv = kept.Vv, x = x0_, y = y0_;
            if (tieLineAtTP(p_, T_, (kept.P + d) * 1e-5, Vl, Vv, x, y) &&
                quotient(d, x - x0_, y - y0_, Vl - kept.Vl, Vv - kept.Vv))
                break;
        }
    }
    restore(kept);
    p_.errorflag = keptErr;
}

// The point in hand written as the next row, unless it repeats the last
// row as printed; where it lies further than kWidestStep in the liquid's or
// the vapour's composition from that row, the tie lines between are written
// first (fillBetween), so that a plot of the rows follows the envelope.
void IsothermTrace::emit() {
    const Row now = current();
    if (std::fabs(now.P - last_.P) <= kSameRow * std::fabs(last_.P) && std::fabs(now.x - last_.x) <= kSameRow &&
        std::fabs(now.y - last_.y) <= kSameRow)
        return;
    fillBetween(last_, now, 0);
    restore(now);
    writeIsothermRow(p_, out_, index_++);
    restore(now);
    last_ = now;
}

// The tie lines between rows a and b (written, in order): the flash at the
// middle pressure from the start values interpolated between them, each half
// filled again while it is wider than kWidestStep; a flash that fails, or
// lands outside the two rows' liquid compositions, leaves the interval as it
// is.
void IsothermTrace::fillBetween(const Row& a, const Row& b, int depth) {
    if (!(std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y)) > kWidestStep) || depth > 10) return;
    const double P = 0.5 * (a.P + b.P);
    // The liquid's composition between the two rows'; the vapour's may pass
    // an extremum between them (close to the critical point), but not far.
    auto within = [](double v, double u, double w, double slack) {
        return v >= std::min(u, w) - slack && v <= std::max(u, w) + slack;
    };
    auto found = [&] {
        const Row m = current();
        return p_.errorflag == 0 && std::fabs(m.x - m.y) > kSameRow && within(m.x, a.x, b.x, 1e-9) &&
               within(m.y, a.y, b.y, kWidestStep) && outsideTheRange() == 0 && !spurious();
    };
    // The flash, else (failed, or landed on no tie line between the rows)
    // the tie line from the fugacities themselves.
    const double Vl = 0.5 * (a.Vl + b.Vl), Vv = 0.5 * (a.Vv + b.Vv), x = 0.5 * (a.x + b.x), y = 0.5 * (a.y + b.y);
    {
        const platform::ThreadLogCapture quiet;  // a failed fill leaves the step as traced
        p_.errorflag = 0;
        p_.calculate_flash_point(T_, P, Vl, Vv, x, y);
    }
    bool ok = found();
    if (!ok) {
        double VlN = Vl, VvN = Vv, xN = x, yN = y;
        p_.errorflag = tieLineAtTP(p_, T_, P * 1e-5, VlN, VvN, xN, yN) ? 0 : 1;
        ok = found();
    }
    const Row m = current();
    p_.errorflag = 0;
    if (!ok) return;
    fillBetween(a, m, depth + 1);
    restore(m);
    writeIsothermRow(p_, out_, index_++);
    fillBetween(m, b, depth + 1);
}

void IsothermTrace::predictAndCorrect(double r, bool& steep, bool& last) {
    // A step in pressure where the isotherm is steep in x, else in x.
    double Dx = r * dx_;
    steep = std::fabs(dPdx_) > kSteepInP;
    if (steep) {
        const double DxSteep = r * s_ / dPdx_;
        if (x0_ + DxSteep < 0.0 || x0_ + DxSteep > 1.0)
            steep = false;
        else
            Dx = DxSteep;
    }
    last = false;
    if (x0_ + Dx > 1.0) {
        Dx = 1.0 - x0_;
        last = true;
    } else if (x0_ + Dx < 0.0) {
        Dx = -x0_;
        last = true;
    }
    const double xl1 = last ? (Dx > 0.0 ? 1.0 : 0.0) : x0_ + Dx;
    const double y1 = std::clamp(y0_ + Dx * dy_, 0.0, 1.0);
    const double Vl1 = Vl0a_ + Dx * dVl_, Vv1 = Vv0a_ + Dx * dVv_;
    if (steep) {
        p_.calculate_flash_point(T_, P0_ + r * s_, Vl1, Vv1, xl1, y1);
        // A flash whose Newton steps miss (a model whose composition
        // derivatives are not those of its fugacities): the tie line at
        // that pressure from the fugacities themselves.
        if (p_.errorflag != 0) {
            double Vl = Vl1, Vv = Vv1, x = xl1, y = y1;
            p_.errorflag = tieLineAtTP(p_, T_, (P0_ + r * s_) * 1e-5, Vl, Vv, x, y) ? 0 : 1;
        }
    } else {
        p_.calculate_bubble_point(T_, Vl1, Vv1, xl1, y1);
    }
}

// The critical point of the isotherm, where the two phases' compositions and
// volumes meet and the bubble curve ends, sought at T from the middle of the
// last tie line (ahead of the last point in pressure); from the last point
// to it, flashes at pressures that halve the distance in composition each
// time, the critical point itself the last row.  True when the isotherm has
// closed there.
bool IsothermTrace::closedAtCritical() {
    critical_approach::CriticalPoint cp;
    const double xm = 0.5 * (x0_ + y0_);
    if (!critical_.seek(p_, {T_, xm, Vl0a_, Vv0a_, true, P0_, Pbefore_}, cp)) return false;
    // The liquid moves towards the critical point's composition: a trace
    // going the other way (towards the freezing edge or a pure end) has not
    // come to it.
    if (dx_ != 0.0 && (cp.z - x0_) * dx_ < 0.0) return false;
    const critical_approach::TieLine c{cp.P, cp.P, cp.z, cp.z, cp.V, cp.V};
    FluidPhase& p = p_;
    const double T = T_;
    critical_approach::approachTheCriticalPoint(
        {P0_, P0_, x0_, y0_, Vl0a_, Vv0a_}, c, false, 0.5, 1,
        [&](int, const critical_approach::TieLine& st, critical_approach::TieLine& got) {
            p.errorflag = 0;
            {
                const platform::ThreadLogCapture quiet;
                p.calculate_flash_point(T, st.s, st.Vl, st.Vv, st.x, st.y);
            }
            if (p.errorflag) return false;
            got = {st.s, st.s, p.x_liquid[1], p.x_vapour[1], p.Vl0, p.Vv0};
            return binary_side::locallyStable(p, 2, got.x, got.Vl) && binary_side::locallyStable(p, 1, got.y, got.Vv);
        },
        [&] { emit(); });
    p.errorflag = 0;
    p.x_liquid.assign({1.0 - cp.z, cp.z});
    p.x_vapour.assign({1.0 - cp.z, cp.z});
    p.Vl0 = p.Vv0 = cp.V;
    p.P = cp.P;
    emit();
    return true;
}

// The last step shortened to land on the edge of the model's range: the
// composition of the phase that left it where the range ends at T (by
// bisection between the last point and the point outside), its bubble point
// (a liquid) or dew point (a vapour) there the last row, and why the
// isotherm ends said: the component that freezes out of that phase.
void IsothermTrace::endOnTheRange(int phase) {
    const bool liquid = phase == 2;
    double in = liquid ? x0_ : y0_, out = liquid ? p_.x_liquid[1] : p_.x_vapour[1];
    const double zOut = out;
    for (int k = 0; k < 60 && in != out; ++k) {
        const double mid = 0.5 * (in + out);
        (rangeAtComposition(p_, mid).holdsTemperature(T_) ? in : out) = mid;
    }
    const double zEdge = in;
    // The frozen component: the one whose freezing point at its share
    // outside the edge lies above T.
    const char* frozen = nullptr;
    for (int i = 0; i < 2 && !frozen; ++i) {
        const double share = i == 0 ? 1.0 - zOut : zOut;
        if (mixtureFreezingTemperature(p_.componentName(i), share) > T_) frozen = p_.componentName(i);
    }
    const double Dx = liquid ? zEdge - x0_ : (dy_ != 0.0 ? (zEdge - y0_) / dy_ : 0.0);
    const double Vl1 = Vl0a_ + Dx * dVl_, Vv1 = Vv0a_ + Dx * dVv_;
    p_.errorflag = 0;
    if (liquid)
        p_.calculate_bubble_point(T_, Vl1, Vv1, zEdge, std::clamp(y0_ + Dx * dy_, 0.0, 1.0));
    else
        p_.calculate_dew_point(T_, Vl1, Vv1, std::clamp(x0_ + Dx, 0.0, 1.0), zEdge);
    const bool landed = p_.errorflag == 0 && outsideTheRange() == 0;
    if (landed) {
        const double Pnew = p_.P;
        emit();
        P0_ = Pnew;
        x0_ = p_.x_liquid[1];
        y0_ = p_.x_vapour[1];
    }
    const ValidityRange edge = rangeAtComposition(p_, zEdge);
    platform::warnf("Isotherm at %g K: the %s reaches the edge of the model's range at x1 = %.6g (the model %s holds "
                    "%s there%s%s%s); the isotherm ends %s, at x1 = %.6g and %.6g bar\n",
                    T_, liquid ? "liquid" : "vapour", zEdge, p_.modelName(), edge.describe().c_str(),
                    frozen ? ": beyond it " : "", frozen ? frozen : "", frozen ? " freezes out" : "",
                    landed ? "on it" : "at the last point before it", x0_, P0_ * 1e-5);
    p_.errorflag = 0;
}

// The last step shortened to land on the highest pressure of the trace (the
// model's range or the limit of the command): the flash there, from the
// tangent's prediction, is the last row, and why the isotherm ends is said.
void IsothermTrace::endOnThePressureLimit() {
    const double Pmax = 1e5 * PmaxBar_, xOut = p_.x_liquid[1];
    double Dx = dPdx_ != 0.0 ? (Pmax - P0_) / dPdx_ : 0.0;
    if ((Dx - 0.0) * (xOut - x0_) < 0.0 || std::fabs(Dx) > std::fabs(xOut - x0_)) Dx = xOut - x0_;
    p_.errorflag = 0;
    p_.calculate_flash_point(T_, Pmax, Vl0a_ + Dx * dVl_, Vv0a_ + Dx * dVv_, std::clamp(x0_ + Dx, 0.0, 1.0),
                             std::clamp(y0_ + Dx * dy_, 0.0, 1.0));
    const bool landed = p_.errorflag == 0 && std::fabs(p_.x_liquid[1] - p_.x_vapour[1]) > kSameRow &&
                        (p_.x_liquid[1] - x0_) * (xOut - x0_) >= 0.0 && outsideTheRange() == 0 && !spurious();
    if (landed) {
        p_.P = Pmax;
        emit();
        x0_ = p_.x_liquid[1];
        y0_ = p_.x_vapour[1];
        P0_ = Pmax;
    }
    platform::warnf("Isotherm at %g K: the two-phase region goes on above %g bar, the highest pressure of the "
                    "trace (and of the model %s's range, or of the command's isotherms); the isotherm ends %s, at "
                    "x1 = %.6g and %.6g bar\n",
                    T_, PmaxBar_, p_.modelName(), landed ? "on it" : "at the last point below it", x0_, P0_ * 1e-5);
    p_.errorflag = 0;
}

// The trace from the point in hand until it ends (true: at a pure
// component, the highest pressure, the edge of the range or the critical
// point) or stalls (false: its steps shrink to nothing, its point repeats or
// its liquid turns back).
bool IsothermTrace::traceOn() {
    double r = 1.0;
    bool ended = false;  // at a pure component or the highest pressure
    for (;;) {
        if (index_ >= kMostPoints) {
            platform::diagf("Isotherm: %d points traced without reaching an end; the trace stops\n", index_);
            ended = true;
            break;
        }
        p_.errorflag = 0;
        bool steep = false, last = false;
        predictAndCorrect(r, steep, last);
        // (A step that closes the split to a tenth at once, short of a pure
        // end, has jumped past the critical point onto a near-trivial root:
        // shorter steps, and the critical point closes the trace.)
        const bool solved = p_.errorflag == 0;
        // A point above the highest pressure of the trace is not written:
        // the isotherm ends on that pressure.
        if (solved && p_.P > 1e5 * PmaxBar_) {
            ended = true;
            endOnThePressureLimit();
            break;
        }
        const bool ok = solved &&
                        (last || std::fabs(p_.x_vapour[1] - p_.x_liquid[1]) > 0.1 * std::fabs(y0_ - x0_)) &&
                        !spurious();
        // Close to the mixture critical point the steps shrink towards the
        // pressure maximum of the isotherm and the points stop moving: a
        // point that repeats the last one to the printed precision (six
        // digits) closes the trace there instead of being written again.
        if (ok && std::fabs(p_.P - P0_) <= kSameRow * std::fabs(P0_) && std::fabs(p_.x_liquid[1] - x0_) <= kSameRow &&
            std::fabs(p_.x_vapour[1] - y0_) <= kSameRow)
            break;
        // Along the bubble curve of an isotherm the liquid's composition
        // moves one way up to the mixture critical point; a flash whose
        // liquid moved back has passed it (or jumped to another tie line):
        // the trace ends at the last point before it.
        if (ok && steep && dx_ != 0.0 && (p_.x_liquid[1] - x0_) * dx_ < 0.0) break;
        // A tie line whose liquid or vapour lies outside the model's range at
        // its composition (a component freezing out of it) is no state the
        // model gives: the isotherm ends on the edge of the range.
        if (ok) {
            if (const int phase = outsideTheRange(); phase != 0) {
                ended = true;
                endOnTheRange(phase);
                break;
            }
        }
        if (ok) {
            const double Pnew = p_.P;
            emit();
            p_.P = Pnew;
            accept();
            p_.P = Pnew;
            if (r < 0.7) r *= 1.4;
            if (last) {
                ended = true;
                break;
            }
            if (critical_.due(Vl0a_, Vv0a_) && closedAtCritical()) return true;
            p_.P = Pnew;
        } else {
            r *= 0.5;
            p_.P = P0_;  // (what a failed solve left is no point of the trace)
        }
        if (p_.P > 1e5 * PmaxBar_) {
            ended = true;
            break;
        }
        if (!ok && !(r > kSmallestStepFactor)) break;
        if (dx_ == 0.0 && !steep) {
            ended = true;
            break;  // no step to take
        }
    }
    return ended;
}

// A trace that stalls, turns back or jumps to another tie line before a
// pure component or its highest pressure has come to the critical point of
// the isotherm (or close to it): the isotherm closes there.  One that
// stalls going away from it (close to it, where the steps in pressure are
// small) goes on from the tie line a little further along in pressure
// (jumpAlong); where there is none, the isotherm ends there, saying so.
void IsothermTrace::run() {
    for (int jumps = 0; !traceOn(); ++jumps) {
        if (closedAtCritical()) return;
        if (jumps >= 20 || !jumpAlong()) {
            platform::warnf("Isotherm at %g K: the trace stops at x1 = %.6g and %.6g bar, where no further tie line "
                            "is found, before reaching an end of the isotherm\n",
                            T_, x0_, P0_ * 1e-5);
            stalledTrace = true;
            return;
        }
    }
}

// The tie line a tenth of a step to three steps away in pressure, from the
// fugacities themselves, whose liquid has moved on the way the trace goes,
// whose phases lie further apart and in the model's range: written and
// accepted.  False when there is none.
bool IsothermTrace::jumpAlong() {
    // (Either way in pressure: the tangent that set the sign of s_ may be
    // the model's.)
    for (double f : {0.1, 0.3, 1.0, 3.0, -0.1, -0.3, -1.0, -3.0}) {
        const double P = P0_ + f * s_;
        if (!(P > 0.0) || P > 1e5 * PmaxBar_) continue;
        // From the tangent's prediction (a step of at most 0.05 in x), else
        // from the phases pushed apart by half their distance.
        const double Dx = std::isfinite(f * s_ / dPdx_) ? std::clamp(f * s_ / dPdx_, -0.05, 0.05) : 0.0;
        const double w = y0_ - x0_;
        const double starts[2][4] = {{Vl0a_ + Dx * dVl_, Vv0a_ + Dx * dVv_, x0_ + Dx, y0_ + Dx * dy_},
                                     {Vl0a_, Vv0a_, x0_ - 0.5 * w, y0_ + 0.5 * w}};
        for (const auto& st : starts) {
            double Vl = st[0] > 0.0 ? st[0] : Vl0a_, Vv = st[1] > 0.0 ? st[1] : Vv0a_,
                   x = std::clamp(st[2], 0.0, 1.0), y = std::clamp(st[3], 0.0, 1.0);
            // (Away from the critical point the phases move apart.)
            if (!tieLineAtTP(p_, T_, P * 1e-5, Vl, Vv, x, y) || !((x - x0_) * dx_ > 0.0) ||
                !(std::fabs(y - x) > std::fabs(w)) || outsideTheRange() != 0 || spurious())
                continue;
            emit();
            accept();
            p_.P = P;
            return true;
        }
    }
    return false;
}

}  // namespace

void FluidPhase::calculate_an_isotherm_of_the_binary_system(const char* path, short start, double dx, double dP_bar,
                                                            double Pmax_bar, double T_, double Vl, double Vv,
                                                            double xl, double yv, char mode, const char* suffix,
                                                            std::vector<double>* array) {
    temperature(T_);
    Vl0 = Vl;
    Vv0 = Vv;
    if (component_count != 2) return;
    x_liquid.assign(2, 0.0);
    x_vapour.assign(2, 0.0);
    x_liquid[0] = 1.0 - xl;
    x_liquid[1] = xl;
    x_vapour[0] = 1.0 - yv;
    x_vapour[1] = yv;

    if (start != 0) {
        calculate_bubble_point(T_, Vl, Vv, xl, yv);
    } else {
        {
            const platform::ThreadLogCapture quiet;  // said below if the fugacities give no tie line either
            calculate_flash_point(T_, P, Vl, Vv, xl, yv);
        }
        if (errorflag) errorflag = tieLineAtTP(*this, T_, P * 1e-5, Vl, Vv, xl, yv) ? 0 : 1;
    }
    if (errorflag) {
        platform::diagf("Can't find a starting point for the isotherm\n");
        return;
    }
    // The file is written only once the isotherm has a first point: a failed
    // one leaves none.
    CurveOutput out(mode, path ? path : "", suffix, isothermNames(), array, isothermLayout());
    IsothermTrace(*this, T_, dx, dP_bar, Pmax_bar, out).run();
}

void FluidPhase::calculateTheBinaryIsotherm(double T_, const char* suffix) {
    if (component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        return;
    }
    if (refusedTemperature(*this, T_)) return;
    // The isotherm starts from the saturation of component 0 at T and, where
    // component 0 has none (above its critical temperature), from that of
    // component 1: the same curve whatever the order of the components.
    // Each attempt starts from the volumes held on entry, not from what the
    // failed one left.
    // A component below its freezing point in the model's range (solid at
    // T) is no end to start from.
    int from = 0;
    const double VlHeld = Vl0, VvHeld = Vv0;
    std::string frozen;
    for (int k : {0, 1}) {
        const ValidityRange r = pureEndRange(*this, k);
        if (!r.holdsTemperature(T_)) {
            frozen += std::string("; the model holds ") + componentName(k) + " " + r.describe();
            errorflag = 1;
            continue;
        }
        Vl0 = VlHeld;
        Vv0 = VvHeld;
        bubbleOfPureComponent(*this, k, T_);
        if (errorflag == 0) {
            from = k;
            break;
        }
    }
    // Without a pure end (both components above their critical temperature
    // in the model, or without a saturation it finds there) the trace is
    // still tried from the volumes the searches left.
    const bool noPureEnd = errorflag != 0;
    if (!noPureEnd && withheldPureEnd(*this, from, T_, P)) return;
    errorflag = 0;
    const std::string path = CurveOutput::fileName("bino", suffix);
    const double xs = from;
    std::vector<platform::ThreadLogCapture::Entry> said;
    {
        // Without a pure end the trace is a trial: what it says is passed
        // on only if it draws the isotherm (else the reason below is the one).
        std::unique_ptr<platform::ThreadLogCapture> trial;
        if (noPureEnd) trial = std::make_unique<platform::ThreadLogCapture>();
        calculate_an_isotherm_of_the_binary_system(path.c_str(), 1, from == 0 ? 0.01 : -0.01, 1.0,
                                                   highestPressureBar(*this), T_, Vl0, Vv0, xs, xs, kIgorTextFile,
                                                   suffix);
        if (trial) said = trial->take();
    }
    if (noPureEnd && errorflag == 0) platform::ThreadLogCapture::replay(said);
    if (noPureEnd && errorflag != 0)
        platform::diagf("The model %s gives no saturation of %s or of %s at %g K: the isotherm of the binary has no "
                        "pure end to start from%s\n",
                        modelName(), componentName(0), componentName(1), T_, frozen.c_str());
}

// The bubble curve of the isotherm is traced from a pure component whose
// saturation exists at T (component 0 first, as the isotherm from component
// 0 does) until its pressure passes P; the start values are interpolated in
// pressure between the two bubble points that bracket P.  Without such a
// pair (P outside the two-phase range of the isotherm) the start values are
// left as they were.
void FluidPhase::initializeFlash2(double T_, double P_bar) {
    if (component_count != 2) return;
    const double VlKept = Vl0, VvKept = Vv0;
    const std::vector<double> xKept = x_liquid, yKept = x_vapour;
    for (int k : {0, 1}) {
        const double xs = k;
        // A component frozen at T in the model's range is no end to start from.
        if (!pureEndRange(*this, k).holdsTemperature(T_)) continue;
        bubbleOfPureComponent(*this, k, T_);
        if (errorflag) continue;  // component k has no saturation at T
        std::vector<double> flat;
        const double dx = k == 0 ? 0.01 : -0.01;
        // Traced past P (a trace ends before a point above its limit); what
        // this trial trace says is no part of the isotherm's report.
        {
            const platform::ThreadLogCapture quiet;
            calculate_an_isotherm_of_the_binary_system(nullptr, 1, dx, 100.0 * dx, kHighestPressureBar, T_, Vl0,
                                                       Vv0, xs, xs, kArrayOfValues, nullptr, &flat);
        }
        for (std::size_t i = 0; i + 2 * kColumns <= flat.size(); i += kColumns) {
            // Columns: P (bar) 1, x 3, y 5, Vl and Vv (cm3/mol) 6 and 7.
            const double* a = &flat[i];
            const double* b = a + kColumns;
            if (!((a[1] - P_bar) * (b[1] - P_bar) <= 0.0) || a[1] == b[1]) continue;
            const double t = (P_bar - a[1]) / (b[1] - a[1]);
            auto at = [t, a, b](int c) { return a[c] + t * (b[c] - a[c]); };
            Vl0 = 1e-6 * at(6);
            Vv0 = 1e-6 * at(7);
            x_liquid.assign({1.0 - at(3), at(3)});
            x_vapour.assign({1.0 - at(5), at(5)});
            errorflag = 0;
            return;
        }
    }
    Vl0 = VlKept;
    Vv0 = VvKept;
    x_liquid = xKept;
    x_vapour = yKept;
    errorflag = 0;
}

namespace {

// A P-x isotherm uses no feed composition: its pressure is held to the
// model's range at the pure ends that hold T (refusedTemperature has made
// sure of one), not at the composition of the model.
bool refusedPressure(FluidPhase& p, double T_, double P_bar) {
    std::string held;
    for (int k : {0, 1}) {
        const ValidityRange r = pureEndRange(p, k);
        if (r.holds(T_, P_bar)) return false;
        held += std::string(held.empty() ? "" : " and ") + r.describe() + " for " + p.componentName(k);
    }
    platform::diagf("The model %s holds %s: the isotherm of the binary at %s K and %s bar lies outside it.\n",
                    p.modelName(), held.c_str(), givenDigits(T_).c_str(), givenDigits(P_bar).c_str());
    p.errorflag = 1;
    return true;
}

// The pressure (Pa) where the isotherm, from the tie line `row` (a written
// row: P in bar, x1 of the liquid and vapour in columns 3 and 5, their
// volumes in cm3/mol in 6 and 7) whose liquid (or vapour) lies outside the
// model's range, reaches the range's edge: the edge composition zEdge by
// bisection towards the other phase's composition, then bubble points (dew
// points for the vapour) in 50 steps of the liquid's (vapour's) composition
// from the row to it.  NaN where either fails.
double pressureOnTheEdge(FluidPhase& p, double T_, const double* row, bool liquid, double& zEdge) {
    double out = row[liquid ? 3 : 5], in = row[liquid ? 5 : 3];
    if (!rangeAtComposition(p, in).holdsTemperature(T_)) return std::nan("");
    for (int k = 0; k < 60; ++k) {
        const double mid = 0.5 * (in + out);
        (rangeAtComposition(p, mid).holdsTemperature(T_) ? in : out) = mid;
    }
    zEdge = in;
    const double z0 = row[liquid ? 3 : 5];
    double x = row[3], y = row[5], Vl = row[6] * 1e-6, Vv = row[7] * 1e-6;
    const platform::ThreadLogCapture quiet;  // a failed step leaves the refusal without the pressure
    constexpr int kSteps = 50;
    for (int k = 1; k <= kSteps; ++k) {
        const double z = z0 + (zEdge - z0) * k / kSteps;
        p.errorflag = 0;
        if (liquid)
            p.calculate_bubble_point(T_, Vl, Vv, z, y);
        else
            p.calculate_dew_point(T_, Vl, Vv, x, z);
        if (p.errorflag || !(std::fabs(p.x_liquid[1] - p.x_vapour[1]) > 1e-6)) {
            p.errorflag = 0;
            return std::nan("");
        }
        x = p.x_liquid[1];
        y = p.x_vapour[1];
        Vl = p.Vl0;
        Vv = p.Vv0;
    }
    p.errorflag = 0;
    return p.P;
}

// The two halves of the isotherm from the flash at P (bar) and the start
// values given: towards component 1 (up) and towards component 0 (down),
// each as rows of the flat vector; what the halves say is returned, what
// both say of the same start once; `whole` when both reached an end.
std::vector<platform::ThreadLogCapture::Entry> traceBothWays(FluidPhase& p, double T_, double P_bar, double Vl,
                                                             double Vv, double xl, double yv, const char* suffix,
                                                             std::vector<double>& up, std::vector<double>& down,
                                                             bool& whole) {
    up.clear();
    down.clear();
    stalledTrace = false;
    const double Pmax = highestPressureBar(p);
    std::vector<platform::ThreadLogCapture::Entry> said[2];
    {
        const platform::ThreadLogCapture kept;
        p.pressure(P_bar);
        p.calculate_an_isotherm_of_the_binary_system(nullptr, 0, 0.01, 1.0, Pmax, T_, Vl, Vv, xl, yv,
                                                     kArrayOfValues, suffix, &up);
        said[0] = platform::ThreadLogCapture::current()->take();
        p.pressure(P_bar);
        p.calculate_an_isotherm_of_the_binary_system(nullptr, 0, -0.01, -1.0, Pmax, T_, Vl, Vv, xl, yv,
                                                     kArrayOfValues, suffix, &down);
        said[1] = platform::ThreadLogCapture::current()->take();
    }
    for (const auto& e : said[0])
        std::erase_if(said[1], [&](const platform::ThreadLogCapture::Entry& f) {
            return f.channel == e.channel && f.text == e.text;
        });
    said[0].insert(said[0].end(), said[1].begin(), said[1].end());
    whole = !stalledTrace && !(up.empty() && down.empty());
    return said[0];
}

// Close below the critical point of the isotherm the split at P may be too
// narrow for the grid of the Gibbs energy to show, or for the trace to
// leave: the isotherm is then found from the tie line at a nearby pressure,
// then a farther one (below first, where the split widens), whose phases
// lie in the model's range, and kept when it is traced whole and its rows
// span P.  False, the
// halves empty, when none is.
bool traceFromANearbyPressure(FluidPhase& p, double T_, double P_bar, const char* suffix, std::vector<double>& up,
                              std::vector<double>& down, std::vector<platform::ThreadLogCapture::Entry>& said) {
    for (double f : {0.99, 0.97, 0.93, 0.85, 0.7, 0.5, 0.3, 0.15, 0.05, 1.01, 1.03, 1.07, 1.15, 1.5, 3.0}) {
        const double Pf = f * P_bar;
        double Vl = 0, Vv = 0, xl = 0, yv = 0;
        if (Pf > highestPressureBar(p) || !tieLineFromTheGibbsEnergy(p, T_, Pf, Vl, Vv, xl, yv) ||
            !rangeAtComposition(p, xl).holdsTemperature(T_) || !rangeAtComposition(p, yv).holdsTemperature(T_))
            continue;
        bool whole = false;
        said = traceBothWays(p, T_, Pf, Vl, Vv, xl, yv, suffix, up, down, whole);
        if (!whole) continue;
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        for (const std::vector<double>* half : {&up, &down})
            for (std::size_t k = 1; k < half->size(); k += kColumns) {
                lo = std::min(lo, (*half)[k]);
                hi = std::max(hi, (*half)[k]);
            }
        if (lo <= P_bar && P_bar <= hi) return true;
    }
    up.clear();
    down.clear();
    return false;
}

}  // namespace

void FluidPhase::calculateTheBinaryIsothermFromP(double T_, double P_bar, const char* suffix) {
    if (component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        return;
    }
    if (refusedTemperature(*this, T_) || refusedPressure(*this, T_, P_bar)) return;
    // The start values are this call's own, as on a model that has computed
    // nothing: a flash that finds no bracketing pair of bubble points (or a
    // start table the model lacks) leaves them unset, never those an earlier
    // calculation left, which would start the trace from another state.
    Vl0 = Vv0 = 0.0;
    x_liquid.clear();
    x_vapour.clear();
    initializeFlash2(T_, P_bar);
    if (x_liquid.size() != 2) x_liquid.assign({1.0, 0.0});
    if (x_vapour.size() != 2) x_vapour.assign({1.0, 0.0});
    double Vl = Vl0, Vv = Vv0, xl = x_liquid[1], yv = x_vapour[1];

    // The two halves, towards component 1 and towards component 0, are
    // traced from the same flash and joined: the second half reversed by its
    // point index, then the first, so that the file runs along the whole
    // isotherm.  Both halves begin at the start point: it is written once.
    std::vector<double> up, down;
    bool whole = false;
    std::vector<platform::ThreadLogCapture::Entry> said =
        traceBothWays(*this, T_, P_bar, Vl, Vv, xl, yv, suffix, up, down, whole);
    // Where no pure end boils at T (both above their critical temperature,
    // or frozen out of the model's range) the start values of a bubble curve
    // traced from one are missing: the tie line at P is found from the
    // Gibbs energy of the mixture itself.
    if (up.empty() && down.empty() && tieLineFromTheGibbsEnergy(*this, T_, P_bar, Vl, Vv, xl, yv))
        said = traceBothWays(*this, T_, P_bar, Vl, Vv, xl, yv, suffix, up, down, whole);
    if (!whole) {
        std::vector<double> upNear, downNear;
        std::vector<platform::ThreadLogCapture::Entry> saidNear;
        if (traceFromANearbyPressure(*this, T_, P_bar, suffix, upNear, downNear, saidNear)) {
            up.swap(upNear);
            down.swap(downNear);
            said.swap(saidNear);
        }
    }

    struct Row {
        const double* v;
    };
    auto rowsOf = [](const std::vector<double>& flat) {
        std::vector<Row> rows;
        for (std::size_t k = 0; k + kColumns <= flat.size(); k += kColumns) rows.push_back({flat.data() + k});
        return rows;
    };
    std::vector<Row> first = rowsOf(up), second = rowsOf(down);
    for (const std::vector<Row>* half : {&first, &second})
        for (const Row& row : *half)
            if ((row.v[3] == 0.0 || row.v[3] == 1.0) && withheldPureEnd(*this, static_cast<int>(row.v[3]), T_,
                                                                        row.v[1] * 1e5))
                return;
    // Without a first point in either direction there is no isotherm: no
    // file is written.
    // (What the failed starts said is no part of the one sentence.)
    if (first.empty() && second.empty()) {
        platform::diagf("The binary isotherm at %g K has no two-phase state at %g bar to start from\n", T_, P_bar);
        errorflag = 1;
        return;
    }
    // The tie line at P itself outside the model's range (the liquid of the
    // split below the freezing point of a component at its composition):
    // P lies beyond the end of the isotherm in the range.
    const Row& start = first.empty() ? second.front() : first.front();
    for (int column : {3, 5}) {
        const double z = start.v[column];
        const ValidityRange at = rangeAtComposition(*this, z);
        if (at.holdsTemperature(T_)) continue;
        double zEdge = 0.0;
        const double Pedge = pressureOnTheEdge(*this, T_, start.v, column == 3, zEdge);
        std::string where = "at a pressure where the phases' compositions reach its edge";
        if (std::isfinite(Pedge)) {
            char text[160];
            std::snprintf(text, sizeof text, "at %.6g bar, where the %s's x1 reaches %.6g", Pedge * 1e-5,
                          column == 3 ? "liquid" : "vapour", zEdge);
            where = text;
        }
        platform::diagf("The binary isotherm at %g K splits at %g bar into phases of x1 = %.6g and %.6g, and the "
                        "model %s holds %s at x1 = %.6g (the %s): that tie line lies outside the range; the "
                        "isotherm in it ends %s.\n",
                        T_, P_bar, start.v[3], start.v[5], modelName(), at.describe().c_str(), z,
                        column == 3 ? "liquid" : "vapour", where.c_str());
        errorflag = 1;
        return;
    }
    platform::ThreadLogCapture::replay(said);
    std::stable_sort(second.begin(), second.end(),
                     [](const Row& a, const Row& b) { return a.v[kIndexColumn] > b.v[kIndexColumn]; });

    CurveLayout layout = isothermLayout();
    layout.writeHeader = false;
    const std::string sfx = suffix ? suffix : "";
    CurveOutput out(kIgorTextFile, CurveOutput::fileName("binop", suffix), suffix, isothermNames(), nullptr,
                    layout);
    std::string header = "IGOR\nWAVES ";
    const std::vector<std::string>& names = isothermNames();
    for (std::size_t k = 0; k < names.size(); ++k) {
        const int width = k == 0 ? 5 : 11;
        if (k == 1) header += "  ";
        else if (k > 1) header += " ";
        if (names[k].size() < static_cast<std::size_t>(width)) header.append(width - names[k].size(), ' ');
        header += names[k];
        header += sfx;
    }
    header += "\nBEGIN\n";
    out.writeText(header);
    for (const Row& row : second) out.writeRow(std::span<const double>(row.v, kColumns));
    // The start point closes the reversed half and opens the other.
    const bool startTwice = !second.empty() && !first.empty() && second.back().v[kIndexColumn] == 0.0 &&
                            first.front().v[kIndexColumn] == 0.0;
    for (std::size_t k = startTwice ? 1 : 0; k < first.size(); ++k)
        out.writeRow(std::span<const double>(first[k].v, kColumns));
}
