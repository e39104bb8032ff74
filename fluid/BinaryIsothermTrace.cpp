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
// The row-scaled residual to which a three-phase point is solved: beside a
// critical end point, where two of the phases differ by 1e-4 in x, the
// solver's usual 1e-9 holds points whose two close phases' own tie line
// cannot then be solved from them.
constexpr double kThreePhaseTolerance = 1e-13;

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

// Beside a critical end point the branch of the tie lines `along` (from s
// the way `sign` in pressure) folds back at `fold`, a little past the
// three-phase pressure, and the trace has gone on to the tie line `other`
// of the branch that shares one phase with it.  Both branches hold between
// the fold and the pressure where `other`'s branch folds back in turn (or
// s's pressure): the three-phase pressure lies between the two folds, where
// neither branch's tie lines are found reliably from the folds themselves.
// `last` is the tie line of `along`'s branch halfway between the folds (the
// two folds lie about symmetrically about the three-phase pressure close to
// the end point, as the two spinodals of a fluid about its saturation close
// to its critical point), and w and Vw the x1 and volume of the phase of
// `other`'s branch at that pressure that `last` does not share (the one
// whose ln V differs more).  False where `other`'s branch folds back before
// the fold's pressure, or is `along`'s own there.
bool BinaryIsothermTrace::midwayBetweenTheFolds(const Row& s, const std::vector<Row>& along, const Row& fold,
                                                const Row& other, double sign, Row& last, double& w, double& Vw) {
    std::vector<Row> path{other};
    const Row end = walkBranch(other, s.P, &path);
    if (!(sign * (fold.P - end.P) > 0.0)) return false;
    const double Pm = 0.5 * (fold.P + end.P);
    // Each branch walked to Pm from its own tie line nearest it, on its side.
    Row a = s, b = other;
    for (const Row& r : along)
        if (sign * (r.P - Pm) <= 0.0 && sign * (r.P - a.P) > 0.0) a = r;
    for (const Row& r : path)
        if (sign * (r.P - Pm) >= 0.0 && sign * (r.P - b.P) < 0.0) b = r;
    a = walkBranch(a, Pm, nullptr);
    b = walkBranch(b, Pm, nullptr);
    if (!(std::fabs(a.P - Pm) <= 1e-12 * Pm) || !(std::fabs(b.P - Pm) <= 1e-12 * Pm)) return false;
    const double jumpL = std::fabs(std::log(b.Vl / a.Vl)), jumpV = std::fabs(std::log(b.Vv / a.Vv));
    if (!(std::max(jumpL, jumpV) > 1e-4)) return false;
    last = a;
    w = jumpL > jumpV ? b.x : b.y;
    Vw = jumpL > jumpV ? b.Vl : b.Vv;
    return true;
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

// Between the traced tie lines a and b, one of them stable and the other
// not, the three-phase pressure: the stable side's own branch continued
// towards the other's pressure (and beyond it, where the trace jumped to
// another branch between a and b), in steps of at most 1 % in pressure, each
// tie line from the last (tieLineAtTP) and tested in turn, until one is no
// stable equilibrium; then bisection in pressure between the two.  The
// branch's stable tie lines and the last of them, at the three-phase
// pressure, are written as rows in the trace's order, and the three phases
// are said once.  Where the branch ends before (no tie line found), its
// tie lines found are written and nothing is said.  With `fold` the branch
// has been followed from a up to where it folds back, every tie line of it
// stable within the plane's band, and the trace has gone on to the tie line
// of another branch: the three-phase pressure lies between the two
// branches' folds (midwayBetweenTheFolds).
void BinaryIsothermTrace::threePhaseBetween(const Row& a, bool aStable, const Row& b, bool bStable, double third,
                                             const FoldedBranch* fold) {
    if (aStable == bStable || !(a.P > 0.0) || !(b.P > 0.0)) return;
    const Row& s = aStable ? a : b;
    const Row& u = aStable ? b : a;
    double w = aStable ? third : lastThird_;
    double sign = u.P > s.P ? 1.0 : -1.0;
    auto follow = [&](const Row& from, double P, Row& m) { return followBranch(from, P, m); };
    std::vector<Row> along;  // the branch's stable tie lines beyond s
    if (fold) along = fold->along;
    Row last = along.empty() ? s : along.back(), beyond{};
    bool crossed = false, folded = false, alongTheLiquid = false;
    double Vw = 0.0;  // the third phase's volume where it is known (otherwise its lowest root's)
    {
        const platform::ThreadLogCapture quiet;  // a tie line not found ends the branch
        // A pure component's saturation (the trace's start) has no split to
        // follow: the branch is followed back from u towards it, each step
        // half the distance left in pressure (shorter where no tie line of
        // the branch is found), to its first stable tie line.
        if (!fold && !(std::fabs(s.x - s.y) > 1e-9)) {
            Row from = u;
            double f = 0.5;
            for (int k = 0; k < 80 && !crossed && f > 1e-6 && std::fabs(from.P - s.P) > 1e-12 * s.P; ++k) {
                Row m;
                double wm = std::nan("");
                if (!follow(from, from.P + f * (s.P - from.P), m)) {
                    f *= 0.5;
                } else if (stableTieLine(m, wm)) {
                    last = m;
                    beyond = from;
                    crossed = true;
                } else {
                    from = m;
                    if (std::isfinite(wm)) w = wm;
                }
            }
        }
        // Where that finds none (the bubble curve from s turns in pressure
        // before the three-phase point: the vapour and CO2's liquid of
        // water-CO2 a few kelvin below CO2's critical point, whose
        // azeotrope of highest pressure lies above it), the branch is
        // followed from s along the liquid's composition itself.
        if (!fold && !crossed && !(std::fabs(s.x - s.y) > 1e-9) && bubblePointsFromThePureEnd(s, u, along, last, beyond, w)) {
            crossed = alongTheLiquid = true;
            if (beyond.P != last.P) sign = beyond.P > last.P ? 1.0 : -1.0;
        }
        double h = std::min(std::fabs(u.P - s.P), 0.01 * s.P);
        for (int k = 0; k < kMostBranchSteps && !fold && !crossed && h > 1e-9 * last.P; ++k) {
            Row m;
            double wm = std::nan("");
            if (!follow(last, last.P + sign * h, m)) {
                h *= 0.5;
            } else if (stableTieLine(m, wm)) {
                along.push_back(m);
                last = m;
                h = std::min(0.01 * last.P, 2.0 * h);
            } else {
                crossed = true;
                beyond = m;
                w = wm;
            }
        }
        for (int k = 0; crossed && k < 50 && std::fabs(beyond.P - last.P) > 1e-9 * last.P; ++k) {
            Row m;
            double wm = std::nan("");
            if (!follow(last, 0.5 * (last.P + beyond.P), m)) {
                beyond.P = 0.5 * (last.P + beyond.P);
            } else if (stableTieLine(m, wm)) {
                last = m;
            } else {
                beyond = m;
                w = wm;
            }
        }
        // Beside a critical end point the branch folds back (no tie line of
        // it found further on) a little past the three-phase pressure, all
        // its tie lines up to there within the plane's band: the point lies
        // between that fold and the other branch's (midwayBetweenTheFolds).
        Row mid;
        if (fold && midwayBetweenTheFolds(s, along, last, fold->other, sign, mid, w, Vw)) {
            crossed = folded = true;
            beyond = last;
            last = mid;
        }
    }
    bool onRowWritten = false;
    if (crossed) {
        // (Where the point is not found between the folds, the fold, past it
        // by less than the plane's band, stands for it.)
        if (!onTheThreePhasePressure(last, beyond, w, Vw) && folded) last = beyond;
        // (The tie lines the lowered plane let past it are not written; where
        // it lies behind the stable row written last, within that plane's
        // band, that row stands for it.)
        if (sign * (last.P - s.P) <= 0.0 && !alongTheLiquid) {
            auto same = [](const Row& p, const Row& q) { return p.P == q.P && p.x == q.x && p.y == q.y; };
            if (aStable && hasHeld_ && same(held_, s))
                hasHeld_ = false;  // (the row held takes its place)
            else if (!aStable)
                dropNext_ = true;  // (the stable row after it is not written)
            else
                last = s, onRowWritten = true;
        }
        if (!alongTheLiquid) std::erase_if(along, [&](const Row& r) { return sign * (r.P - last.P) >= 0.0; });
    }
    p_.errorflag = 0;
    if (crossed && !onRowWritten && (along.empty() || along.back().P != last.P)) along.push_back(last);
    if (!aStable) std::reverse(along.begin(), along.end());
    for (const Row& r : along) put(r);
    bool said = !crossed;
    for (double P : threePhasePressures_) said = said || std::fabs(P - last.P) <= 1e-6 * last.P;
    // The trace goes on from the three-phase pressure on the branch that
    // is stable beyond it.
    if (crossed && aStable && handsOn_ && !handOn_) branchAtThreePhase(last, w, sign);
    if (!said) {
        threePhasePressures_.push_back(last.P);
        platform::warnf("Isotherm at %g K: at %.6g bar, the three-phase pressure, the tie line of x1 = %.6g and %.6g "
                        "meets a third phase of x1 = %.4g; %s it a phase of about that composition lies below the tie "
                        "line's tangent plane, which is then no stable equilibrium and is not written\n",
                        T_, last.P * 1e-5, last.x, last.y, w, sign > 0.0 ? "above" : "below");
    }
    restore(aStable ? b : a);
}

// The branch from a pure component's saturation s, whose tie line u of the
// trace's first step is no stable equilibrium, followed along the liquid's
// composition: bubble points at an eighth of the way from s to u at a time,
// each from the last, the stable ones kept in `along`, then bisection in
// the liquid's composition between the last stable one and the first that
// is not: the last stable tie line into `last`, the first unstable one
// into `beyond` (its third phase into w).  False where none of them is
// stable, or a bubble point is not found.
bool BinaryIsothermTrace::bubblePointsFromThePureEnd(const Row& s, const Row& u, std::vector<Row>& along, Row& last,
                                                     Row& beyond, double& w) {
    auto bubble = [&](const Row& from, const Row& to, double t, Row& m) {
        const double x = from.x + t * (to.x - from.x);
        p_.errorflag = 0;
        p_.calculate_bubble_point(T_, from.Vl + t * (to.Vl - from.Vl), from.Vv + t * (to.Vv - from.Vv), x,
                                  std::clamp(from.y + t * (to.y - from.y), 0.0, 1.0));
        m = current();
        return p_.errorflag == 0 && m.P > 0.0 && std::fabs(m.x - x) <= 1e-12 && std::fabs(m.y - m.x) > 1e-9;
    };
    std::vector<Row> stable;
    Row lo = s, hi = u, m{};
    bool crossed = false;
    for (int k = 1; k <= 8 && !crossed; ++k) {
        double wm = std::nan("");
        if (!bubble(lo, u, 1.0 / (9 - k), m)) return false;
        if (stableTieLine(m, wm)) {
            stable.push_back(lo = m);
        } else {
            hi = m;
            crossed = true;
            if (std::isfinite(wm)) w = wm;
        }
    }
    if (!crossed || stable.empty()) return false;
    for (int k = 0; k < 60 && std::fabs(hi.x - lo.x) > 1e-10; ++k) {
        double wm = std::nan("");
        if (!bubble(lo, hi, 0.5, m)) break;
        if (stableTieLine(m, wm)) {
            lo = m;
        } else {
            hi = m;
            if (std::isfinite(wm)) w = wm;
        }
    }
    along.insert(along.end(), stable.begin(), stable.end());
    last = lo;
    beyond = hi;
    return true;
}

// The tie line of the branch at P from `from` (tieLineAtTP): a tie line on
// another branch (of other densities than the change of pressure gives) is
// none.
bool BinaryIsothermTrace::followBranch(const Row& from, double P, Row& m) {
    m = from;
    m.P = P;
    if (!(P > 0.0) || P > 1e5 * PmaxBar_ || !tieLineAtTP(p_, T_, P * 1e-5, m.Vl, m.Vv, m.x, m.y)) return false;
    m = current();
    return sameBranch(from, m);
}

// followBranch from `from`, reached from `before`, to P, where neither
// phase's ln V changes with P more than four times as fast as on the step
// before (where that step changed it by more than 1e-6): approaching a fold
// of the branch, where ln V goes with the square root of the distance in P,
// a step to it at most some 2.7 times; a step onto the other branch beside
// it, beside a critical end point within the band of followBranch's test,
// far more.
bool BinaryIsothermTrace::followSmoothly(const Row& before, const Row& from, double P, Row& m) {
    if (!followBranch(from, P, m)) return false;
    if (before.P == from.P) return true;
    for (const auto& [v0, v1, v2] : {std::tuple{before.Vl, from.Vl, m.Vl}, std::tuple{before.Vv, from.Vv, m.Vv}}) {
        const double was = std::log(v1 / v0) / (from.P - before.P), now = std::log(v2 / v1) / (m.P - from.P);
        if (std::fabs(std::log(v1 / v0)) > 1e-6 && std::fabs(now) > 4.0 * std::fabs(was)) return false;
    }
    return true;
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

// At the three-phase pressure of the tie line `last`, whose branch goes on
// beyond it (the way `way` in pressure) as no stable equilibrium, with a
// third phase of about w: the two other branches of the three phases there.
// The phase of `last` farther from w in composition is common to `last`'s
// branch and the branch that goes on the same way (next_, handed on to);
// the third branch pairs the other phase with the third one, and goes the
// same way where w lies between the phases of `last` (these are then the
// outer pair, whose branch alone lies on its side of the three-phase
// pressure), else back.  Each tie line is solved at the three-phase
// pressure from those phases (tieLineAtTP); its denser phase is its liquid.
// False, nothing handed on, where the common phase's tie line is not found
// or is no stable equilibrium.
bool BinaryIsothermTrace::branchAtThreePhase(const Row& last, double w, double way) {
    if (!std::isfinite(w) || !(w > 0.0 && w < 1.0)) return false;
    // (The third phase's own volume where its point was solved: beside the
    // critical end point its composition has two roots close in G.)
    const double P = last.P;
    const double V3 = P == solvedThirdP_ && w == solvedThirdX_ ? solvedThirdV_ : thirdPhaseVolume(w, P);
    if (!(V3 > 0.0)) return false;
    const bool commonLiquid = std::fabs(w - last.y) < std::fabs(w - last.x);
    const double zc = commonLiquid ? last.x : last.y, Vc = commonLiquid ? last.Vl : last.Vv;
    const double zo = commonLiquid ? last.y : last.x, Vo = commonLiquid ? last.Vv : last.Vl;
    auto pair = [&](double z, double V, double zOther, double wayOf, Branch& b) {
        double Va = V, Vb = V3, za = z, zb = w;
        const platform::ThreadLogCapture quiet;  // a tie line not found is no branch
        if (!tieLineAtTP(p_, T_, P * 1e-5, Va, Vb, za, zb) || !(std::fabs(za - zb) > 1e-6) ||
            !(std::fabs(zb - w) < std::fabs(zb - zOther)) || !(std::fabs(std::log(Va / Vb)) > 1e-6))
            return false;
        b.row = Va < Vb ? Row{P, za, zb, Va, Vb} : Row{P, zb, za, Vb, Va};
        b.way = wayOf;
        double third = 0.0;
        return stableTieLine(b.row, third);
    };
    Branch on{}, side{};
    if (!pair(zc, Vc, zo, way, on)) return false;
    next_ = on;
    handOn_ = true;
    const bool outer = (w - last.x) * (w - last.y) < 0.0;
    if (pair(zo, Vo, zc, outer ? way : -way, side)) third_.push_back(side);
    return true;
}

// The three-phase pressure itself, between the stable tie line `last` and
// its branch's tie line `beyond` past it, where a third phase of about w
// lies below the plane: there the branch's tie line and the tie line from
// its phase away from w (the common phase) to the third phase share that
// phase.  The difference of the common phase's composition on the two tie
// lines changes sign at the three-phase pressure and is zeroed by regula
// falsi (Illinois); the branch's tie line there replaces `last`.  A
// three-phase pressure found before on the other side (within 0.1 %) is
// the same one: the tie line is taken there, so that both sides end at
// one pressure.  Where the other tie line is not found `last` is kept.
// The point found is then solved as the three phases' own equilibrium
// (solveTheThreePhases), which sets `last` and w.
bool BinaryIsothermTrace::onTheThreePhasePressure(Row& last, const Row& beyond, double& w, double Vw3) {
    for (double P3 : threePhasePressures_) {
        Row m;
        if (std::fabs(P3 - last.P) <= 1e-3 * last.P && followBranch(last, P3, m)) {
            last = m;
            return true;
        }
    }
    if (!std::isfinite(w) || !(w > 0.0 && w < 1.0)) return false;
    const bool commonLiquid = std::fabs(w - last.y) < std::fabs(w - last.x);
    double Vw = Vw3 > 0.0 ? Vw3 : thirdPhaseVolume(w, beyond.P);
    if (!(Vw > 0.0)) return false;
    // The difference at P: the branch's tie line followed from `from`, the
    // other from the third phase's last state.
    double zw = w;
    auto difference = [&](const Row& from, double P, Row& m, double& h) {
        if (!followBranch(from, P, m)) return false;
        double Vc = commonLiquid ? m.Vl : m.Vv, xc = commonLiquid ? m.x : m.y, V3 = Vw, z3 = zw;
        // (Beside a critical end point the third phase's tie line may close
        // onto the branch's own, whose other phase lies within 1e-3 of it.)
        const double zo = commonLiquid ? m.y : m.x;
        if (!tieLineAtTP(p_, T_, P * 1e-5, Vc, V3, xc, z3) || !(std::fabs(z3 - xc) > 1e-6) ||
            !(std::fabs(z3 - zo) > 1e-6))
            return false;
        Vw = V3;
        zw = z3;
        h = (commonLiquid ? m.x : m.y) - xc;
        return true;
    };
    // The bracket and regula falsi (a failure keeps `last`).
    bool bracketed = false;
    [&] {
        Row a = last, b = beyond, m;
        double ha = 0.0, hb = 0.0;
        {
            const platform::ThreadLogCapture quiet;  // a tie line not found keeps `last`
            // (The plane lowered by kOnThePlane holds `last` a little past the
            // three-phase pressure, towards `beyond`: the bracket is sought from
            // it back, then on.)
            if (!difference(last, last.P, a, ha)) return;
            const double away = beyond.P >= last.P ? -1.0 : 1.0;
            // (Between two folds of the branches, a quarter of the distance
            // to the fold first: they may lie within 1e-6 of each other.)
            const double f0 = Vw3 > 0.0 ? std::min(1e-6, 0.25 * std::fabs(beyond.P / last.P - 1.0)) : 1e-6;
            for (double f = f0; !bracketed && f < 0.02; f *= 2.0)
                for (double side : {away, -away})
                    if (!bracketed && difference(last, last.P * (1.0 + side * f), b, hb) && ha * hb < 0.0)
                        bracketed = true;
            if (!bracketed) return;
            bracketed = false;  // (until the regula falsi converges)
            int kept = 0;  // the end kept twice in a row (its value halved)
            for (int k = 0; k < 60 && std::fabs(b.P - a.P) > 1e-12 * a.P; ++k) {
                const double P = (a.P * hb - b.P * ha) / (hb - ha);
                double h = 0.0;
                if (!(P > std::min(a.P, b.P) && P < std::max(a.P, b.P)) || !difference(a, P, m, h)) return;
                if (h == 0.0) {
                    a = b = m;
                    break;
                }
                if (h * ha > 0.0) {
                    a = m, ha = h;
                    if (kept == -1) hb *= 0.5;
                    kept = -1;
                } else {
                    b = m, hb = h;
                    if (kept == 1) ha *= 0.5;
                    kept = 1;
                }
            }
        }
        last = std::fabs(ha) <= std::fabs(hb) ? a : b;
        bracketed = true;
    }();
    return solveTheThreePhases(last, commonLiquid, zw, Vw, w) || bracketed;
}

// The three-phase point itself from `last`, a tie line at or beside it, and
// the third phase (zw, Vw): equal fugacities of both components and equal
// pressures in the three phases (FluidPhase::solve_LLG_point).  Near the
// critical end point of CO2's short branch with water the third phase and
// `last`'s phase beside it differ by a thousandth in x, and the tie line
// from the common phase to the third one found by the bracketing above may
// be `last`'s own: the difference of the common phase's composition is then
// nearly nil at any pressure, and where it changes sign depends on the side
// the trace came from.  The three-phase solve converges on the point.  Its
// point replaces `last` (the common phase and the one of `last`'s beside
// the third), and w the third phase's x1, where it converges to three
// distinct phases within 1 % of last's pressure; else both are kept.
bool BinaryIsothermTrace::solveTheThreePhases(Row& last, bool commonLiquid, double zw, double Vw, double& w) {
    if (!(Vw > 0.0) || !(zw > 0.0 && zw < 1.0)) return false;
    const double zc = commonLiquid ? last.x : last.y, Vc = commonLiquid ? last.Vl : last.Vv;
    const double zo = commonLiquid ? last.y : last.x, Vo = commonLiquid ? last.Vv : last.Vl;
    // The common phase as the model's liquid l; of the two others the denser
    // as its second liquid p, the lighter as its vapour v.
    const bool otherDenser = Vo < Vw;
    const std::vector<double> kept = p_.x;
    bool solved = false;
    {
        const platform::ThreadLogCapture quiet;  // a point not found keeps `last`
        solved = p_.solve_LLG_point(T_, Vc, otherDenser ? Vo : Vw, otherDenser ? Vw : Vo, zc, otherDenser ? zo : zw,
                                    otherDenser ? zw : zo, kThreePhaseTolerance);
    }
    const double P = p_.P, zcs = p_.x_liquid[1], Vcs = p_.Vl0;
    const double zos = otherDenser ? p_.x_liquid2[1] : p_.x_vapour[1], Vos = otherDenser ? p_.Vp0 : p_.Vv0;
    const double zws = otherDenser ? p_.x_vapour[1] : p_.x_liquid2[1], Vws = otherDenser ? p_.Vv0 : p_.Vp0;
    p_.composition(kept.data());
    p_.errorflag = 0;
    restore(last);
    if (!solved || !(P > 0.0) || !(std::fabs(P - last.P) <= 0.01 * last.P) || !(std::fabs(zos - zws) > 1e-7) ||
        !(std::fabs(std::log(Vos / Vws)) > 1e-7) || !(std::fabs(zcs - zos) > 1e-6))
        return false;
    last = commonLiquid ? Row{P, zcs, zos, Vcs, Vos} : Row{P, zos, zcs, Vos, Vcs};
    w = zws;
    solvedThirdP_ = P, solvedThirdX_ = zws, solvedThirdV_ = Vws;
    restore(last);
    return true;
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