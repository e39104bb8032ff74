#include "fluid/BinaryIsothermTrace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "fluid/BinarySide.h"
#include "fluid/ClosedFormMixture.h"
#include "fluid/ModelRange.h"
#include "platform/LogSink.h"

namespace {

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
// A jump of a phase's ln V between two rows, beyond what their change of
// pressure gives, that sends the trace looking for a three-phase pressure
// between them (jumpedOverAThreePhasePressure).
constexpr double kDensityJump = 0.1;

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

}  // namespace

const std::vector<std::string>& BinaryIsothermTrace::isothermNames() {
    static const std::vector<std::string> names = {"T",   "P",   "xl0", "xl1", "xv0", "xv1", "Vl",
                                                   "Vv",  "rhol", "rhov", "ul", "uv",  "hl",  "hv",
                                                   "ulm", "uvm", "hlm", "hvm", "i"};
    return names;
}

// Rows "%12lg" with the point index as "%12d".
CurveLayout BinaryIsothermTrace::isothermLayout() {
    CurveLayout layout;
    layout.columnFormats.assign(kColumns, CurveValueFormat{});
    layout.columnFormats[kIndexColumn] = CurveValueFormat{12, 0, 'f'};
    return layout;
}

ValidityRange BinaryIsothermTrace::rangeAtComposition(FluidPhase& p, double x1) {
    const std::vector<double> kept = p.x;
    const double at[2] = {1.0 - x1, x1};
    p.composition(at);
    const ModelRange rules(p);
    ValidityRange r = rules.freezingEdgeRange();
    // A phase of the isotherm is a liquid or vapour of its own composition:
    // where the model's range is bounded by its components' freezing, a
    // mixture holds down to the temperature where a component freezes out of
    // it by the ideal solubility of its solid (ln x = -dHfus/R (1/T - 1/Tm)),
    // also within a few per cent of a pure end, not down to the pure major
    // component's triple point only.  A component whose own range is declared
    // keeps it.
    const auto major = static_cast<std::size_t>(x1 >= 0.5 ? 1 : 0);
    const bool declared = major < p.componentValidity.size() && p.componentValidity[major].declared();
    if (x1 > 0.0 && x1 < 1.0 && p.validity.fromTriplePoints && !declared) r = rules.effectiveRange();
    p.composition(kept.data());
    return r;
}

namespace {

// ln f of both components at composition z (component 1's fraction) on the
// root of P(V) = P (bar) at T nearest the volume V (Newton's method in ln V
// from V, the slope by differences; a root where the pressure falls with
// volume), V the root; false where the steps leave the falling branch.
bool lnfOnTheRootNear(FluidPhase& p, double T_, double P_bar, double z, double f[2], double& V) {
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
}

}  // namespace

bool BinaryIsothermTrace::tieLineAtTP(FluidPhase& p, double T_, double P_bar, double& Vl, double& Vv, double& xl,
                                      double& yv, bool closedForm) {
    const std::vector<double> kept = p.x;
    // ln f of both components at composition z on the root of P(V) = P
    // nearest the volume V (Newton's method in ln V from V, the slope by
    // differences; a root where the pressure falls with volume), V the root.
    auto lnf = [&](double z, double f[2], double& V) {
        const double w[2] = {1.0 - z, z};
        closed_form_mixture::BinaryRoots roots;
        if (closedForm && closed_form_mixture::binaryRoots(p, T_, P_bar, z, roots, true) > 0) {
            const int k = roots.n == 2 && std::fabs(std::log(roots.V[1] / V)) < std::fabs(std::log(roots.V[0] / V));
            V = roots.V[k];
            for (int i = 0; i < 2; ++i) f[i] = std::log(w[i] * P_bar * 1e5) + roots.lnPhi[k][i];
            return std::isfinite(f[0]) && std::isfinite(f[1]);
        }
        return lnfOnTheRootNear(p, T_, P_bar, z, f, V);
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
            // (Steps of the differences toward the middle, at most a
            // thousandth of a trace share: ln x of a share of 1e-8 bends
            // within it.)
            auto step = [](double u) { return std::copysign(std::min(1e-7, 1e-3 * std::min(u, 1.0 - u)), 0.5 - u); };
            const double hx = step(x), hy = step(y);
            double gx[2], gy[2], VLx = Vl, VVx = Vv, VLy = Vl, VVy = Vv;
            if (!residual(x + hx, y, gx, VLx, VVx) || !residual(x, y + hy, gy, VLy, VVy)) break;
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
        solved = solved && residual(x, y, g, VL, VV) && std::fabs(g[0]) < 1e-9 + shareRounding(0, x, y) &&
                 std::fabs(g[1]) < 1e-9 + shareRounding(1, x, y) &&
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

BinaryIsothermTrace::BinaryIsothermTrace(FluidPhase& p, double T, double dx, double dP_bar, double Pmax_bar,
                                         CurveOutput& out, int firstIndex)
    : p_(p), T_(T), dx_(dx), s_(1e5 * dP_bar), PmaxBar_(Pmax_bar), out_(out),
      critical_(kCriticalPointFixedTemperature, critical_approach::TraceWindow{.Pmax = 1e5 * Pmax_bar}) {
    P0_ = Pbefore_ = p.P;
    last_ = {p.P, p.x_liquid[1], p.x_vapour[1], p.Vl0, p.Vv0};
    index_ = firstIndex;
    writeIfStable(last_);
    release();  // (the start, of index firstIndex)
    index_ = firstIndex + 1;
    accept();
    p.P = P0_;
}

bool BinaryIsothermTrace::spurious() {
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

// The tangent-plane test of the tie line r (Michelsen 1982) with the
// fugacities of its liquid, which its vapour shares: a stable equilibrium
// where no trial phase of any composition, on either root, lies below that
// plane; where one does (a third phase of lower Gibbs energy: the vapour of a
// liquid-liquid tie line continued below its three-phase pressure), its
// composition is `third`.  The plane is lowered by kOnThePlane, so that the
// tie line's own phases, solved to about 1e-6 in ln f (a translated cubic's
// volumes), do not count.  The
// model is left at the tie line r.
bool BinaryIsothermTrace::stableTieLine(const Row& r, double& third) {
    third = std::nan("");
    const std::vector<double> kept = p_.x;
    const double w[2] = {1.0 - r.x, r.x};
    p_.composition(w);
    p_.temperature(T_);
    p_.volume(r.Vl);
    p_.errorflag = 0;
    p_.calculate_pressure();
    p_.calculate_fugacities();
    bool stable = true;
    if (p_.errorflag == 0 && p_.fugacity[0] > 0.0 && p_.fugacity[1] > 0.0) {
        const double ref[2] = {std::log(p_.fugacity[0]) - kOnThePlane, std::log(p_.fugacity[1]) - kOnThePlane};
        stable = !p_.binarySplitsAgainst(T_, r.P * 1e-5, ref, &third);
        // Close to a three-phase pressure the third phase lies below the
        // plane only in a narrow well, often beside one of the tie line's
        // phases: trials within kNearBand of each, kNearSteps to a side, on
        // both starts.  A model whose mixture's roots come in closed form (a
        // cubic's) gives both of a trial's at once, with their fugacity
        // coefficients (the liquid start's the smaller root, the gas start's
        // the larger); another is searched from each start.
        {
            const platform::ThreadLogCapture quiet;  // a trial without a root is no failure
            bool sameT = false;  // the closed form's pairs read at T
            for (int k = -kNearSteps; stable && k <= kNearSteps; ++k)
                for (double z : {r.x, r.y}) {
                    const double w1 = z + kNearBand * k / kNearSteps;
                    if (!stable || k == 0 || !(w1 > 0.0 && w1 < 1.0)) continue;
                    closed_form_mixture::BinaryRoots roots;
                    const bool closed = closed_form_mixture::binaryRoots(p_, T_, r.P * 1e-5, w1, roots, sameT) > 0;
                    sameT = sameT || closed;
                    for (bool liquid : {true, false}) {
                        if (!stable) continue;
                        const double wt[2] = {1.0 - w1, w1};
                        double d = 0.0;
                        if (closed) {
                            d = roots.distance(liquid ? 0 : roots.n - 1, w1, r.P, ref);
                        } else {
                            p_.composition(wt);
                            if (!p_.trialRootFromTP(liquid, T_, r.P * 1e-5) || !(p_.fugacity[0] > 0.0) ||
                                !(p_.fugacity[1] > 0.0))
                                continue;
                            d = wt[0] * (std::log(p_.fugacity[0]) - ref[0]) +
                                wt[1] * (std::log(p_.fugacity[1]) - ref[1]);
                        }
                        if (d < 0.0) {
                            stable = false;
                            third = w1;
                        }
                    }
                }
        }
        // A third phase whose well lies closer beside one of the tie line's
        // phases than the band's step (a few kelvin below the critical end
        // point of CO2's liquid and vapour with water, CO2's liquid lies
        // within a thousandth in x of the vapour, and the liquid start of a
        // trial's search may not reach it): Michelsen's (1982) successive
        // substitution, W_i = w_i f_i(plane) / f_i(w) normalised, from each
        // phase's composition on its other root (the liquid's at the
        // vapour's composition, the vapour's at the liquid's), each iterate
        // on the root nearest the last one's volume and its distance tested;
        // it descends into the well where there is one.
        for (int k = 0; stable && k < 2; ++k) {
            const platform::ThreadLogCapture quiet;  // a trial without a root is no failure
            const bool liquid = k == 0;
            double w1 = liquid ? r.y : r.x;
            if (!(w1 > 0.0 && w1 < 1.0)) continue;
            const double w[2] = {1.0 - w1, w1};
            p_.composition(w);
            const FluidPhase::PhaseRoots roots = p_.pressureRootsFromTP(T_, r.P * 1e-5);
            if (!roots.liquid.found || !roots.vapour.found) continue;  // (the phase's own root alone)
            double V = liquid ? roots.liquid.V : roots.vapour.V, f[2];
            for (int it = 0; stable && it < kMostSubstitutions; ++it) {
                if (!lnfOnTheRootNear(p_, T_, r.P * 1e-5, w1, f, V)) break;
                const double wt[2] = {1.0 - w1, w1};
                if (wt[0] * (f[0] - ref[0]) + wt[1] * (f[1] - ref[1]) < 0.0) {
                    stable = false;
                    third = w1;
                }
                const double W0 = wt[0] * std::exp(ref[0] - f[0]), W1 = wt[1] * std::exp(ref[1] - f[1]);
                const double next = W1 / (W0 + W1);
                if (!(std::fabs(next - w1) > 1e-12) || !(next > 0.0 && next < 1.0)) break;
                w1 = next;
            }
        }
        // Below kIdealVapourBar the model's vapour is its ideal-gas limit
        // (ln f_i = ln(w_i P) to about 1e-6), and at a millionth of that its
        // volume passes the volume search's bound: the lowest tangent-plane
        // distance of that vapour, -ln(sum_i f_i / P) at w_i = f_i / sum f,
        // is taken in closed form.
        const double fsum = std::exp(ref[0]) + std::exp(ref[1]);
        if (stable && r.P * 1e-5 < kIdealVapourBar && fsum > r.P) {
            stable = false;
            third = std::exp(ref[1]) / fsum;
        }
    }
    p_.composition(kept.data());
    p_.errorflag = 0;
    restore(r);
    return stable;
}

// The rows of the trace wait to be tested kTestEvery at a time (the first
// at once): where the last of them has the stability of the row tested
// before them, they all have (a three-phase pressure between them would
// change it), and are written or left out together; else each is tested in
// turn (testAndWrite).
void BinaryIsothermTrace::writeIfStable(const Row& r) {
    pending_.push_back(r);
    if (pending_.size() >= kTestEvery || !tested_) flushPending();
}

void BinaryIsothermTrace::flushPending() {
    if (pending_.empty()) return;
    const std::vector<Row> rows = std::move(pending_);
    pending_.clear();
    // A trace that passed from one branch of tie lines to another between
    // them (a liquid-liquid branch continued below its three-phase pressure
    // onto the vapour-liquid one) may have crossed two three-phase
    // pressures: its rows are tested one by one.
    bool oneBranch = tested_;
    for (std::size_t k = 0; oneBranch && k < rows.size(); ++k)
        oneBranch = sameBranch(k == 0 ? lastTested_ : rows[k - 1], rows[k]);
    double third = std::nan("");
    const bool stable = oneBranch && rows.back().P > 0.0 && stableTieLine(rows.back(), third);
    if (oneBranch && stable == lastStable_) {
        for (const Row& r : rows) {
            if (!stable || !(r.P > 0.0)) continue;
            put(r);
        }
        lastTested_ = rows.back();
        lastThird_ = third;
        restore(rows.back());
        return;
    }
    for (const Row& r : rows) testAndWrite(r);
}

// Two tie lines of one branch: each phase's volume changes no more than
// twice the change in ln P (and 1 %) between them, as a phase of a branch
// compressed or expanded does; a jump to a phase of other density is
// another branch.
bool BinaryIsothermTrace::sameBranch(const Row& a, const Row& b) {
    if (!(a.P > 0.0) || !(b.P > 0.0)) return false;
    const double most = 2.0 * std::fabs(std::log(b.P / a.P)) + 0.01;
    return std::fabs(std::log(b.Vl / a.Vl)) <= most && std::fabs(std::log(b.Vv / a.Vv)) <= most;
}

// The row r written as the next row where its tie line is a stable
// equilibrium (stableTieLine) at a positive pressure; a tie line that is not
// is left out.  Where the trace passes from stable tie lines to unstable ones
// or back, the three-phase pressure between the two is found
// (threePhaseBetween) and its tie line written as the row on the stable side.
void BinaryIsothermTrace::testAndWrite(const Row& r) {
    double third = std::nan("");
    const bool stable = r.P > 0.0 && stableTieLine(r, third);
    if (tested_ && stable != lastStable_) threePhaseBetween(lastTested_, lastStable_, r, stable, third);
    if (tested_ && stable && lastStable_) jumpedOverAThreePhasePressure(lastTested_, r);
    tested_ = true;
    lastTested_ = r;
    lastStable_ = stable;
    lastThird_ = third;
    const bool dropped = dropNext_;
    dropNext_ = false;
    if (!stable || dropped) return;
    put(r);
    restore(r);
}

// Two stable tie lines a and b between which a phase's density jumps (by
// more than kDensityJump in ln V beyond what the change of pressure gives):
// where the trace stepped over a three-phase pressure from one branch onto
// the other (above CO2's critical temperature the vapour and the CO2-rich
// liquid of water-CO2 are joined around the critical point of their own
// short branch), a's branch followed towards b's pressure turns into no
// stable equilibrium before it, and the three-phase pressure lies between
// a and that tie line (threePhaseBetween).  Within some 0.2 K of the
// critical end point of that short branch a's branch folds back (no tie line
// of it further on) only a little past the three-phase pressure, all its
// tie lines stable within the tangent-plane test's band: the three-phase
// pressure is then sought between that fold and b's branch's
// (threePhaseBetween with the branch followed).  Where a's branch is stable
// up to b's pressure, nothing is done.
void BinaryIsothermTrace::jumpedOverAThreePhasePressure(const Row& a, const Row& b) {
    if (!(a.P > 0.0) || !(b.P > 0.0) || a.P == b.P) return;
    const double jump = std::max(std::fabs(std::log(b.Vl / a.Vl)), std::fabs(std::log(b.Vv / a.Vv)));
    if (!(jump > kDensityJump + 2.0 * std::fabs(std::log(b.P / a.P)))) return;
    const double sign = b.P > a.P ? 1.0 : -1.0;
    Row last = a, before = a, m;
    double h = 0.125 * std::fabs(b.P - a.P), w = std::nan("");
    bool crossed = false;
    FoldedBranch fold;  // (a's stable tie lines followed)
    // (A tie line solved at b's pressure holds it to the rounding of bar.)
    auto shortOfB = [&] { return sign * (b.P - last.P) > 1e-9 * b.P; };
    {
        const platform::ThreadLogCapture quiet;  // a tie line not found ends the branch
        for (int k = 0; k < 64 && !crossed && shortOfB() && h > 1e-9 * last.P; ++k) {
            const double P = last.P + sign * std::min(h, std::fabs(b.P - last.P));
            if (!followSmoothly(before, last, P, m)) {
                h *= 0.5;
            } else if (stableTieLine(m, w)) {
                before = last;
                last = m;
                fold.along.push_back(m);
            } else {
                crossed = true;
            }
        }
    }
    p_.errorflag = 0;
    if (crossed) {
        threePhaseBetween(a, true, m, false, w);
    } else if (shortOfB()) {
        // a's branch folds back before b's pressure, all of it within the
        // plane's band (beside a critical end point): b's branch holds the
        // third phase.
        fold.other = b;
        threePhaseBetween(a, true, b, false, std::nan(""), &fold);
    }
    restore(b);
}

// `from`'s branch followed towards the pressure `to` (followBranch), each
// step the rest of the way or, where no tie line of the branch is found
// there, half the last: the last tie line reached, at `to` where the branch
// holds out so far, else where it folds back (to within 1e-9 in P); each
// tie line reached is kept in `path`, where given.
BinaryIsothermTrace::Row BinaryIsothermTrace::walkBranch(const Row& from, double to, std::vector<Row>* path) {
    Row at = from, before = from, m;
    double h = std::fabs(to - from.P);
    for (int k = 0; k < kMostBranchSteps && std::fabs(to - at.P) > 1e-12 * to && h > 1e-9 * at.P; ++k) {
        const double P = std::fabs(to - at.P) <= h ? to : at.P + std::copysign(h, to - at.P);
        if (followSmoothly(before, at, P, m)) {
            before = at;
            at = m;
            if (path) path->push_back(m);
        } else {
            h *= 0.5;
        }
    }
    return at;
}

// The row r held back as the last one, the row held before written: a
// three-phase pressure found just behind it (within the tangent-plane
// test's band) takes its place.
void BinaryIsothermTrace::put(const Row& r) {
    release();
    held_ = r;
    hasHeld_ = true;
}

void BinaryIsothermTrace::release() {
    if (!hasHeld_) return;
    hasHeld_ = false;
    const Row now = current();
    restore(held_);
    writeIsothermRow(p_, out_, index_++);
    restore(now);
}

// The third phase's volume at (w, P): of its roots, the one of lower Gibbs
// energy; 0 where it has none.  Its roots from the trials' liquid and gas
// starts, and those of the scan of its isotherm (pressureRootsFromTP): close
// below the critical point of CO2's liquid and vapour the liquid start may
// not reach the liquid's root.
double BinaryIsothermTrace::thirdPhaseVolume(double w, double P) {
    const std::vector<double> kept = p_.x;
    const double wt[2] = {1.0 - w, w};
    double best = HUGE_VAL, Vw = 0.0;
    auto consider = [&](double V, double lnf0, double lnf1) {
        const double g = wt[0] * lnf0 + wt[1] * lnf1;
        if (g < best) best = g, Vw = V;
    };
    for (bool liquid : {true, false}) {
        p_.composition(wt);
        if (!p_.trialRootFromTP(liquid, T_, P * 1e-5) || !(p_.fugacity[0] > 0.0) || !(p_.fugacity[1] > 0.0))
            continue;
        consider(p_.V, std::log(p_.fugacity[0]), std::log(p_.fugacity[1]));
    }
    p_.composition(wt);
    const FluidPhase::PhaseRoots roots = p_.pressureRootsFromTP(T_, P * 1e-5);
    for (const FluidPhase::PhaseRoot* root : {&roots.liquid, &roots.vapour}) {
        double V = root->V, f[2];
        if (root->found && lnfOnTheRootNear(p_, T_, P * 1e-5, w, f, V)) consider(V, f[0], f[1]);
    }
    p_.composition(kept.data());
    p_.errorflag = 0;
    return Vw;
}

// The tangent of the bubble curve from the model's derivatives checked
// against a difference quotient: the secant from the point before or, at the
// first point, the tie line a small step in pressure away (below, else
// above) from the fugacities themselves (tieLineAtTP).
// Where the two differ by more than a tenth in dP/dx (a model whose
// composition derivatives are not those of its pressure, as a volume
// translation can leave them), the difference quotient is the tangent.  The
// accepted point is kept.
void BinaryIsothermTrace::checkTheTangent() {
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
void BinaryIsothermTrace::emit() {
    const Row now = current();
    if (std::fabs(now.P - last_.P) <= kSameRow * std::fabs(last_.P) && std::fabs(now.x - last_.x) <= kSameRow &&
        std::fabs(now.y - last_.y) <= kSameRow)
        return;
    fillBetween(last_, now, 0);
    writeIfStable(now);
    restore(now);
    last_ = now;
}

// The tie lines between rows a and b (written, in order): the flash at the
// middle pressure from the start values interpolated between them, each half
// filled again while it is wider than kWidestStep; a flash that fails, or
// lands outside the two rows' liquid compositions, leaves the interval as it
// is.  The middle is taken in ln P: beside a pure component's saturation at
// low pressure, where the vapour is nearly ideal, its composition changes
// with ln P (y ~ Psat/P), most of it in the lowest part of a step in P.
void BinaryIsothermTrace::fillBetween(const Row& a, const Row& b, int depth) {
    if (!(std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y)) > kWidestStep) || depth > 10) return;
    const double P = a.P > 0.0 && b.P > 0.0 ? std::sqrt(a.P * b.P) : 0.5 * (a.P + b.P);
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
    writeIfStable(m);
    fillBetween(m, b, depth + 1);
}

void BinaryIsothermTrace::predictAndCorrect(double r, bool& steep, bool& last) {
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
bool BinaryIsothermTrace::closedAtCritical() {
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
    flushPending();
    if (lastStable_ && !handOn_) sayTheEnd(false);
    return true;
}

// The last step shortened to land on the edge of the model's range: the
// composition of the phase that left it where the range ends at T (by
// bisection between the last point and the point outside), its bubble point
// (a liquid) or dew point (a vapour) there the last row, and why the
// isotherm ends said: the component that freezes out of that phase.
void BinaryIsothermTrace::endOnTheRange(int phase) {
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
    // (An end whose tie lines were no stable equilibrium, left out after
    // the three-phase pressure said, is not the isotherm's end.)
    flushPending();
    const ValidityRange edge = rangeAtComposition(p_, zEdge);
    if (lastStable_)
        platform::warnf("Isotherm at %g K: the %s reaches the edge of the model's range at x1 = %.6g (the model %s "
                        "holds %s there%s%s%s); the isotherm ends %s, at x1 = %.6g and %.6g bar\n",
                        T_, liquid ? "liquid" : "vapour", zEdge, p_.modelName(), edge.describe().c_str(),
                        frozen ? ": beyond it " : "", frozen ? frozen : "", frozen ? " freezes out" : "",
                        landed ? "on it" : "at the last point before it", x0_, P0_ * 1e-5);
    p_.errorflag = 0;
}

// The last step shortened to land on the highest pressure of the trace (the
// model's range or the limit of the command): the flash there, from the
// tangent's prediction, is the last row, and why the isotherm ends is said.
void BinaryIsothermTrace::endOnThePressureLimit() {
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
    flushPending();
    if (lastStable_)
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
bool BinaryIsothermTrace::traceOn() {
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
        // A tie line at no positive pressure is no state: the isotherm ends
        // at the last row before it.
        if (solved && !(p_.P > 0.0)) {
            const Row at = current();
            flushPending();
            restore(at);
            if (lastStable_)
                platform::warnf("Isotherm at %g K: its tie lines reach zero pressure beyond x1 = %.6g; the isotherm "
                                "ends at %.6g bar\n",
                                T_, x0_, P0_ * 1e-5);
            ended = true;
            break;
        }
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
        // Towards the mixture critical point the liquid's composition moves
        // one way; a flash whose liquid moved back has passed it (or jumped
        // to another tie line): the trace ends at the last point before it.
        // A liquid that turns back on the same branch while the split stays
        // as wide (within a tenth) has passed an extremum of its composition
        // in pressure instead (the solubility of CO2 in water's liquid at
        // 540 K, which falls again above 1066 bar): the trace goes on the
        // same way in pressure (accept turns the liquid's step).
        if (ok && steep && dx_ != 0.0 && (p_.x_liquid[1] - x0_) * dx_ < 0.0) {
            const Row from{P0_, x0_, y0_, Vl0a_, Vv0a_}, to = current();
            const double split = std::fabs(y0_ - x0_);
            if (!(std::fabs(std::fabs(to.y - to.x) - split) <= 0.1 * split) || !sameBranch(from, to)) break;
        }
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
            accept(steep);
            p_.P = Pnew;
            if (r < 0.7) r *= 1.4;
            if (handOn_) return true;  // (at a three-phase pressure)
            if (last) {
                ended = true;
                flushPending();
                if (lastStable_ && !handOn_) sayTheEnd(true);
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
void BinaryIsothermTrace::run() {
    constexpr int kMostHandOns = 4;
    for (int hands = 0;; ++hands) {
        runBranch();
        if (!handOn_) flushPending();
        if (!handOn_) break;
        if (hands >= kMostHandOns) {
            handOn_ = false;
            pending_.clear();
            break;
        }
        takeHandOn();
    }
    flushPending();
    release();
    for (std::size_t k = 0; k < third_.size(); ++k) traceThirdBranch(third_[k]);
}

// The trace handed on at the three-phase pressure: the row there of the
// branch it came on written, the rows it traced beyond (no stable
// equilibrium) dropped, and the branch of next_ traced on from its tie line
// there, its first row, the same way in pressure.
void BinaryIsothermTrace::takeHandOn() {
    handOn_ = false;
    pending_.clear();
    release();
    dropNext_ = false;
    tested_ = false;
    lastStable_ = true;
    const Branch b = next_;
    restore(b.row);
    accepted_ = 0;
    accept();
    aimInPressure(b.way);
    critical_ = critical_approach::CriticalSearch(kCriticalPointFixedTemperature,
                                                  critical_approach::TraceWindow{.Pmax = 1e5 * PmaxBar_});
    last_ = b.row;
    writeIfStable(b.row);
    restore(b.row);
}

// The steps in the liquid's composition and in pressure turned so that the
// trace goes the way `way` in pressure along the tangent in hand.
void BinaryIsothermTrace::aimInPressure(double way) {
    const double along = dPdx_ >= 0.0 ? way : -way;
    dx_ = std::copysign(dx_, along);
    s_ = std::copysign(s_, way);
}

// The third branch met at a three-phase pressure traced from its tie line
// there, the way it goes, as the rows after the trace's own.
void BinaryIsothermTrace::traceThirdBranch(const Branch& b) {
    restore(b.row);
    p_.errorflag = 0;
    BinaryIsothermTrace side(p_, T_, dx_, s_ * 1e-5, PmaxBar_, out_, index_);
    side.handsOn_ = false;
    side.aimInPressure(b.way);
    side.run();
    index_ = side.index_;
}

// Where a branch of the isotherm ends (at a pure component's
// saturation, else at the critical point of the isotherm), said.
void BinaryIsothermTrace::sayTheEnd(bool atPureEnd) {
    if (atPureEnd)
        platform::warnf("Isotherm at %g K: a branch of the isotherm ends at the saturation of pure %s, %.6g bar\n", T_,
                        p_.componentName(last_.x >= 0.5 ? 1 : 0), last_.P * 1e-5);
    else
        platform::warnf("Isotherm at %g K: a branch of the isotherm ends at its critical point, x1 = %.6g, %.6g bar\n",
                        T_, last_.x, last_.P * 1e-5);
}

void BinaryIsothermTrace::runBranch() {
    for (int jumps = 0; !traceOn(); ++jumps) {
        if (closedAtCritical()) return;
        if (jumps >= 20 || !jumpAlong()) {
            // (A trace that stalls on tie lines that are no stable
            // equilibrium has ended at the three-phase pressure, said there.)
            flushPending();
            if (!lastStable_) return;
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
bool BinaryIsothermTrace::jumpAlong() {
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

void BinaryIsothermTrace::traceIsotherm(FluidPhase& p, const char* path, short start, double dx, double dP_bar,
                                        double Pmax_bar, double T_, double Vl, double Vv, double xl, double yv,
                                        char mode, const char* suffix, std::vector<double>* array) {
    p.temperature(T_);
    p.Vl0 = Vl;
    p.Vv0 = Vv;
    if (p.component_count != 2) return;
    p.x_liquid.assign(2, 0.0);
    p.x_vapour.assign(2, 0.0);
    p.x_liquid[0] = 1.0 - xl;
    p.x_liquid[1] = xl;
    p.x_vapour[0] = 1.0 - yv;
    p.x_vapour[1] = yv;

    if (start != 0) {
        p.calculate_bubble_point(T_, Vl, Vv, xl, yv);
    } else {
        {
            const platform::ThreadLogCapture quiet;  // said below if the fugacities give no tie line either
            p.calculate_flash_point(T_, p.P, Vl, Vv, xl, yv);
        }
        if (p.errorflag) p.errorflag = tieLineAtTP(p, T_, p.P * 1e-5, Vl, Vv, xl, yv) ? 0 : 1;
    }
    if (p.errorflag) {
        platform::diagf("Can't find a starting point for the isotherm\n");
        return;
    }
    // The file is written only once the isotherm has a first point: a failed
    // one leaves none.
    CurveOutput out(mode, path ? path : "", suffix, isothermNames(), array, isothermLayout());
    BinaryIsothermTrace trace(p, T_, dx, dP_bar, Pmax_bar, out);
    // (A start at a pure component's saturation is an end of its branch.)
    if (start != 0 && (xl == 0.0 || xl == 1.0) && xl == yv) trace.sayTheEnd(true);
    trace.run();
    trace.flushPending();
    trace.release();
}