// The three-phase point met by a binary's P-x isotherm: the branch followed
// from its last stable tie line to where a third phase lies below the tie
// line's tangent plane, the three phases' own equilibrium solved there, and
// the trace handed on to the branch stable beyond it.
#include "fluid/BinaryIsothermTrace.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "platform/LogSink.h"

namespace {

// The row-scaled residual to which a three-phase point is solved: beside a
// critical end point, where two of the phases differ by 1e-4 in x, the
// solver's usual 1e-9 holds points whose two close phases' own tie line
// cannot then be solved from them.
constexpr double kThreePhaseTolerance = 1e-13;

}  // namespace

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
                if (!followBranch(from, from.P + f * (s.P - from.P), m)) {
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
            if (!followBranch(last, last.P + sign * h, m)) {
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
            if (!followBranch(last, 0.5 * (last.P + beyond.P), m)) {
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
