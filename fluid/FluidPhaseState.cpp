// State of a FluidPhase: temperature, volume and composition pushed into the
// terms; molar volume from T and P, temperature from V and P, pressure from T and V.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "fluid/FluidPhase.h"
#include "fluid/IsothermWalks.h"
#include "fluid/PhaseTerms.h"
#include "fluid/SaturationAncillaries.h"
#include "numerics/NewtonRaphson.h"
#include "platform/LogSink.h"

namespace {

using phase_terms::sumOverTerms;

// Writes `value` into the field `field` (T or V) of every term, the ideal part
// included, and marks them not calculated.
void setInTerms(FluidPhase& p, double Interaction::*field, double value) {
    for (Interaction* t : p.interactions) {
        if (!t) continue;  // a slot the model has not filled yet
        t->*field = value;
        t->calculated = 0;
    }
    if (p.ideal) {
        p.ideal->*field = value;
        p.ideal->calculated = 0;
    }
}

}  // namespace

void FluidPhase::temperature(double T_) {
    T = T_;
    calculated = 0;
    setInTerms(*this, &Interaction::T, T_);
}

void FluidPhase::volume(double V_) {
    V = V_;
    calculated = 0;
    setInTerms(*this, &Interaction::V, V_);
}

void FluidPhase::composition_of_component(int i, double xi) {
    Phase::composition_of_component(i, xi);
    for (Interaction* t : interactions)
        if (t && i < t->component_count) t->x[i] = xi;
    if (ideal && i < ideal->component_count) ideal->x[i] = xi;
}

void FluidPhase::calculate_fixed_parameters() {
    for (Interaction* t : interactions) t->calculate_fixed_parameters();
    if (ideal) ideal->calculate_fixed_parameters();
}

bool FluidPhase::belowCoVolume() {
    return !interactions.empty() && interactions[0]->getVolumeMinimum() >= V;
}

void FluidPhase::bindVolumeEquation() {
    volumeSolver->obj = this;
    volumeSolver->fn = toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculating_V_FromTP);
}

void FluidPhase::bindTemperatureEquation() {
    volumeSolver->obj = this;
    volumeSolver->fn = toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculating_T_FromVP);
}

void FluidPhase::equationForCalculating_V_FromTP(double V_, double& f, double& dfdV) {
    volume(V_);
    Z = 0.0;
    dZdV = 0.0;
    double sumAvv = 0.0;
    const bool ok = sumOverTerms<&Interaction::calculate_Z>(*this, [&](const Interaction& t) {
        Z += t.Z;
        dZdV += t.dZdV;
        sumAvv += t.aVV;
    });
    if (!ok) {
        error = 1;
        return;
    }
    f = T * R * Z / V - P;
    dfdV = R * T * (dZdV / V - Z / (V * V));
    dPdV = -R * T * sumAvv;
    if (dPdV > 0) error = 1;  // mechanically unstable
}

double FluidPhase::solveVolumeFrom(double start) {
    volumeSolver->x0 = start;
    const double v = volumeSolver->solve();
    volumeIterations += volumeSolver->iter;
    if (std::isfinite(v)) volume(v);
    return v;
}

namespace {

// The terms of a phase through one volume search (see Interaction::beginVolumeSearch).
class VolumeSearch {
public:
    explicit VolumeSearch(FluidPhase& p) : phase_(p) {
        for (Interaction* t : phase_.interactions)
            if (t) t->beginVolumeSearch();
        if (phase_.ideal) phase_.ideal->beginVolumeSearch();
    }
    ~VolumeSearch() {
        // A root found whose state functions follow at once (the trees then
        // evaluated from their roots) needs no evaluation of its own here.
        const bool stateNext = phase_.stateFollowsSearch() && phase_.errorflag == 0;
        bool closed = false;
        for (Interaction* t : phase_.interactions)
            if (t) closed = t->endVolumeSearch(stateNext) || closed;
        if (phase_.ideal) closed = phase_.ideal->endVolumeSearch(stateNext) || closed;
        // A refused search leaves no volume: the last one tried is no root
        // of the kind asked for.
        if (phase_.errorflag) {
            phase_.volume(std::nan(""));
        } else if (closed) {
            // Z and its derivative at the root from the terms' trees, as
            // from a search whose passes evaluate them.
            phase_.takeTermsAtVolume();
        }
    }
    VolumeSearch(const VolumeSearch&) = delete;
    VolumeSearch& operator=(const VolumeSearch&) = delete;

private:
    FluidPhase& phase_;
};

}  // namespace

bool FluidPhase::reproducesPressure(double found, double asked, double stiffness) {
    // A relative 1e-9 of the pressure; in a stiff state (a liquid at low
    // pressure, whose pressure hangs on the last digits of its volume) the
    // change that a relative 1e-12 of the variable makes, as long as the
    // stiffness is that of a fluid (below 1e12 Pa): far larger slopes belong to
    // the loops that a multiparameter equation of state has deep inside the
    // two-phase region, where no volume gives the pressure asked for.
    constexpr double kPressureTolerance = 1e-9, kVariableResolution = 1e-12, kMaxStiffness = 1e12;
    const double miss = std::fabs(found - asked);
    if (!std::isfinite(found) || !std::isfinite(miss)) return false;
    if (miss <= kPressureTolerance * std::fabs(asked)) return true;
    const double k = std::fabs(stiffness);
    return k <= kMaxStiffness && miss <= kVariableResolution * k;
}

void FluidPhase::takeTermsAtVolume() {
    Z = 0.0;
    dZdV = 0.0;
    for (const Interaction* t : interactions) {
        Z += t->Z;
        dZdV += t->dZdV;
    }
    if (ideal) {
        Z += ideal->Z;
        dZdV += ideal->dZdV;
    }
    refreshVolumeDerivatives();
}

void FluidPhase::refreshVolumeDerivatives() {
    dPdV = (dZdV - Z / V) * R * T / V;
    dZdP = dZdV / dPdV;
}

bool FluidPhase::volumeSearchFrom(double start) {
    solveVolumeFrom(start);
    if (volumeSolver->status != 0) return false;
    refreshVolumeDerivatives();
    return true;
}

void FluidPhase::beginVolumeSearch() {
    errorflag = 0;
    volumeIterations = 0;
    bindVolumeEquation();
    calculate_fixed_parameters();
}

double FluidPhase::estimate_Vl0() {
    return usableLiquidStart(ancillarySaturatedLiquidVolume(componentName(getMajorComponentIndex()), T));
}

double FluidPhase::usableLiquidStart(double V_) {
    // A fit of the real fluid can lie below the co-volume of a model of it.
    const double b = interactions.empty() || !interactions[0] ? 0.0 : interactions[0]->getVolumeMinimum();
    if (std::isfinite(V_) && V_ > 1.05 * std::max(b, 0.0)) return V_;
    // (Never the stored Vl0: a search of another state, a failed saturation
    // among them, leaves its own start there.)
    return b > 0.0 ? 1.1 * b : kGenericLiquidStart;
}

namespace {

// Start values of one search, in the order they are tried: a value that is
// not a volume, or one tried already, is left out.
class Starts {
public:
    Starts(std::initializer_list<double> values) {
        for (double v : values) {
            bool seen = false;
            for (int i = 0; i < n_; ++i) seen = seen || v_[i] == v;
            if (std::isfinite(v) && v > 0.0 && !seen && n_ < kMax) v_[n_++] = v;
        }
    }
    const double* begin() const { return v_; }
    const double* end() const { return v_ + n_; }

private:
    static constexpr int kMax = 8;
    double v_[kMax] = {};
    int n_ = 0;
};

}  // namespace

// The molar volume at T and P on the branch of the isotherm that the
// phase kind asks for: kind 2 the liquid branch (from the dense fluid up
// to the first mechanically unstable stretch), kind 1 the vapour branch
// (from the dilute gas down to the last one); an isotherm without an
// unstable stretch (above the critical temperature; every isotherm above
// 1.1 critical_T of a model that gives it, and from oneRootFromT where a
// model shows it) is both.  The search finds
// the kind's root or fails (never the other phase; a pure fluid's kind-1
// search fails in its compressed liquid below critical_T), except where
// the branches are no coexisting phases (otherBranchAnswers): there,
// where the kind's branch has no root at this pressure (above the
// vapour's spinodal, below the liquid's), the other branch's root is the
// answer.  A root on a loop of a multiparameter equation inside the
// two-phase region is never an answer: a root is taken for a kind only
// where the isotherm is mechanically stable from it to the end of the
// kind's branch (the nearly ideal gas for the vapour; the smallest
// volume for the liquid), walked in steps that each resolve the slope
// (FluidPhaseState.cpp).  Below the critical temperature of a reference
// fluid with saturation expansions, a root beyond a saturated volume on
// the side of psat of its branch is on it without a walk; a root between
// the saturated volumes is walked to the saturated volume of its branch,
// and is on no branch where the bulk modulus -V dP/dV, falling towards
// the spinodal, turns up again before it reaches zero (a pseudo-spinodal
// beyond which an equation's isotherm can rise stably to kilobars).
// The starts depend on the state asked for and the model alone (kind 2:
// estimate_Vl0, 1.7e-5, 1.8e-5, 2.0e-5 and 2.2e-5 m3/mol, R T / P; kind
// 1: R T / P, 4.5 estimate_Vl0), then a walk along the branch: nothing a
// model computed before (the start values Vl0, Vv0 of a saturation) takes
// part.  Other kinds take any root from R T / P; kind 5 from Vv0, the
// caller's own start.
void FluidPhase::calculate_molar_volume() {
    if (termRefusesState()) return;
    beginVolumeSearch();
    const VolumeSearch search(*this);
    // The starts depend on the state asked for and the model alone: volumes
    // stored by earlier calls (the start values a saturation leaves in Vl0,
    // Vv0) never take part, so that a state found never depends on what the
    // model computed before.  A root off the kind's branch is refused, and
    // the branch walked from its far end when no start finds its root.
    const double gas = R * T / P;
    if (phase_kind == 1 || phase_kind == 2) {
        const bool vapour = phase_kind == 1;
        const RootBranch own = vapour ? RootBranch::Vapour : RootBranch::Liquid;
        const RootBranch other = vapour ? RootBranch::Liquid : RootBranch::Vapour;
        // A start from an explicit formulation of the fluid, where the model
        // has one, comes first: close to the root, it leaves a few Newton
        // steps.
        // Else the vapour's from the saturated vapour of the fluid's expansions.
        double explicitStart = explicitVolumeStart();
        if (vapour && !(explicitStart > 0.0)) explicitStart = vapourStartBelowSaturation();
        if (oneRootShown()) {
            // Either kind's root is the isotherm's one.
            if (!volumeStateFrom(explicitStart, 0.0, RootBranch::Any) && !oneRootOfTheIsotherm()) errorflag = 1;
            return;
        }
        // The kind's branch tells a root from the explicit start without the
        // liquid start (a pure fluid's branches from its saturation
        // expansions), which the other starts need.
        if (volumeStateFrom(explicitStart, 0.0, own)) return;
        if (!vapour && volumeStateFrom(compressedLiquidStartNearCritical(), 0.0, own)) return;
        const double liquid = estimate_Vl0();
        double otherRoot = 0.0;
        if (!branchEndsShortOfPressure(vapour)) {
            const Starts starts =
                vapour ? Starts{gas, 4.5 * liquid} : Starts{liquid, 1.7e-5, 1.8e-5, 2.0e-5, 2.2e-5, gas};
            for (double s : starts) {
                if (volumeStateFrom(s, liquid, own)) return;
                const bool refused = volumeSolver->status == 0 && errorflag == 0 && V > 0.0;
                if (refused && otherBranchAnswers() && !(otherRoot > 0.0) && onBranch(other, liquid)) otherRoot = V;
            }
            if (branchRootByWalk(own, liquid)) return;
        }
        // Below its critical temperature (the model's critical-point start)
        // the branches of a pure fluid's isotherm are its two phases, and a
        // search of a kind fails where its phase has no root (the stable
        // state from T and P chooses between the phases).  At a mixture's
        // fixed composition, or in a model that declares no critical point
        // below T, they are no coexisting phases: where the kind's branch has
        // no root at this pressure (above the vapour's spinodal, below the
        // liquid's), the one state there is, the other branch's root, is the
        // answer.  A root on a loop of the isotherm is no state at all.
        if (!otherBranchAnswers()) {
            errorflag = 1;
            return;
        }
        if (otherRoot > 0.0 && volumeStateFrom(otherRoot, liquid, other)) return;
        if (branchRootByWalk(other, liquid)) return;
    } else if (volumeStateFrom(phase_kind == 5 ? Vv0 : gas, 0.0, RootBranch::Any)) {
        return;
    }
    errorflag = 1;
}

double FluidPhase::vapourOnChord(double T_, double P_Pa, double psat, double Vv) {
    const double Zsat = psat * Vv / (R * T_);
    return R * T_ / P_Pa * (1.0 + (Zsat - 1.0) * std::fmin(P_Pa / psat, 1.0));
}

double FluidPhase::vapourStartBelowSaturation() {
    // Below psat the vapour's Z falls nearly linearly with P: on the chord
    // it lies a few parts in 1e3 from the root where R T / P is parts in
    // 1e2 off.
    double psat = 0.0, Vl = 0.0, Vv = 0.0;
    if (component_count != 1 || !saturationByExpansion(T, psat, Vl, Vv) || !(P < psat) || !(Vv > 0.0))
        return std::numeric_limits<double>::quiet_NaN();
    return vapourOnChord(T, P, psat, Vv);
}

bool FluidPhase::oneRootOfTheIsotherm() {
    // The isotherm is mechanically stable throughout (oneRootShown):
    // Newton from the volume of the virial equation truncated after its
    // second coefficient, V = R T / P + B(T), no smaller than half the
    // critical volume (where the truncated series fails, far above Pc),
    // which lies close to the root from the dilute gas to the dense fluid
    // (B = (Z - 1) V at a thousand times the ideal-gas volume at 1 bar).
    // Where Newton fails (on the flat isotherm near the critical pressure),
    // P(V) is monotone: the root is bracketed from that volume in steps of
    // a factor 2 towards the pressure asked for (a step where the model
    // gives no pressure, or one that does not move on, is halved in ln V:
    // the co-volume, or an equation turning over far beyond its range), and
    // Newton starts again from where the chord across the bracket crosses P,
    // else bisection closes it.
    const double gas = R * T / P;
    double f = 0.0, dfdV = 0.0;
    auto at = [&](double v) { return residualAt(v, f, dfdV); };
    const double start = secondVirialVolume(critical_V > 0.0 ? 0.5 * critical_V : 0.0);
    if (!std::isfinite(gas) || !(gas > 0.0) || !std::isfinite(start)) return false;
    if (volumeStateFrom(start, 0.0, RootBranch::Any)) return true;
    const double Vlow = std::fmax(1.001 * coVolume(), 1e-300);
    double a = start;
    if (!at(a)) return false;
    double fa = f;
    const bool denser = fa < 0.0;  // below the pressure asked for: smaller volumes
    for (int k = 0; k < 64; ++k) {
        double c = denser ? std::fmax(0.5 * a, Vlow) : 2.0 * a;
        bool on = false;
        for (int h = 0; h < 40 && !on; ++h) {
            on = at(c) && dfdV < 0.0 && (denser ? f > fa : f < fa);
            if (!on) c = std::sqrt(a * c);
        }
        if (!on) return false;
        if ((f < 0.0) != denser) {
            const double fc = f;
            errorflag = 0;
            if (volumeStateFrom(a - fa * (c - a) / (fc - fa), 0.0, RootBranch::Any) && V >= std::fmin(a, c) &&
                V <= std::fmax(a, c))
                return true;
            return rootInMonotoneBracket(a, fa, c);
        }
        if (c == Vlow) return false;
        a = c;
        fa = f;
    }
    return false;
}

bool FluidPhase::volumeStateFrom(double start, double liquid, RootBranch branch) {
    if (!std::isfinite(start) || !(start > 0.0)) return false;
    errorflag = 0;
    if (!volumeSearchFrom(start)) return false;
    acceptVolumeFromPressure();
    return !errorflag && onBranch(branch, liquid);
}

// Whether a volume search whose kind's branch has no root takes the
// other branch's: in a mixture (more than one component present), whose
// branches at a fixed composition are no coexisting phases, and in a pure
// fluid at or above the model's critical-point start or its own
// critical temperature, or in a model without one (a loop of its
// isotherm there is no two-phase region; on the critical isotherm the
// branches meet at the critical point, where the slope of P(V)
// vanishes and a walk along one branch ends).
bool FluidPhase::otherBranchAnswers() {
    int present = 0;
    for (int i = 0; i < component_count && i < static_cast<int>(x.size()); ++i)
        if (x[i] > 0.0) ++present;
    if (present > 1 || !(critical_T > 0.0 && T < critical_T)) return true;
    double Tc = 0.0, Pc = 0.0;
    return component_count == 1 && modelCriticalPoint(Tc, Pc) && !(T < Tc);
}

namespace {

// Relative margin within which a root counts as at a saturated volume of the
// expansions (which hold the model's own equilibrium to about 1e-11): the
// spinodals lie far further from it everywhere the expansions reach.
constexpr double kAtSaturatedVolume = 1e-9;

}  // namespace

// ---------------------------------------------------------------- walks along an isotherm
//
// A walk samples the isotherm at the current temperature in u = ln V, each
// sample giving f = P(V) - P (the pressure asked for) and g = dP/du =
// V dP/dV.  Two neighbouring samples with g < 0 are joined by a mechanically
// stable stretch when the stretch is resolved: their slopes differ by less
// than a factor of two, and the cubic that matches both pressures and both
// slopes keeps a slope at least half as steep as the shallower end all the
// way.  The pressure difference is the exact integral of the slope over the
// step, so that a stretch of rising pressure between the samples would have
// to be paid for by a steeper fall within the same step, which a resolved
// step does not have.  A step that is not resolved is halved (its midpoint
// sampled) until both halves are, down to 1e-7 in ln V.  The steps grow
// while the slope changes little and shrink where it changes fast (towards a
// spinodal or the critical point), so that the number of samples stays
// bounded: kMaxSamples at most, beyond which the walk gives no verdict.

namespace {

constexpr double kFirstStep = 0.02;     // ln V
constexpr double kLongestStep = 0.5;    // ln V
constexpr double kShortestStep = 1e-7;  // ln V, the finest resolution of a step
constexpr int kMaxSamples = 3000;
constexpr double kProbeReach = 0.05;  // ln V: how far ahead a predicted spinodal is probed

}  // namespace

FluidPhase::BranchSample FluidPhase::branchSample(double u) {
    BranchSample s;
    s.u = u;
    const double v = std::exp(u);
    double f = std::nan(""), dfdV = std::nan("");
    error = 0;
    if (!(std::isfinite(v) && v > coVolume())) {
    } else if (walkOnCriticalSet_) {
        // The pressure and its slope from the model's own derivatives of A
        // (a model that is not made of terms gives them itself).
        volume(v);
        errorflag = 0;
        calculate_critical_parameters_of_pure_fluid();
        if (!errorflag) {
            f = -dAdV - P;
            dfdV = -d2AdV2;
            dPdV = dfdV;
        }
        errorflag = 0;
    } else if (interactions.empty()) {
        // A closed form that is not made of terms (the closed-form cubics):
        // its own pressure and slope, the pressure asked for kept.
        const double Pt = P;
        volume(v);
        errorflag = 0;
        calculate_pressure();
        if (!errorflag && std::isfinite(P) && std::isfinite(dPdV)) {
            f = P - Pt;
            dfdV = dPdV;
        }
        P = Pt;
        errorflag = 0;
    } else {
        equationForCalculating_V_FromTP(v, f, dfdV);
    }
    error = 0;
    ++walkSamples_;
    s.f = f;
    s.g = v * dfdV;
    if (!std::isfinite(f) || !std::isfinite(s.g)) {
        s.state = BranchSample::kFailed;
    } else {
        // Unstable where either form of the slope says so (dP/dV from Z and
        // its derivative, and from the second volume derivative of A).
        s.state = s.g < 0.0 && !(dPdV > 0.0) ? BranchSample::kStable : BranchSample::kUnstable;
    }
    return s;
}

bool FluidPhase::resolvedStretch(const BranchSample& a, const BranchSample& b) {
    const double h = b.u - a.u;
    if (h == 0.0) return true;
    const double shallow = std::max(a.g, b.g), steep = std::min(a.g, b.g);  // both negative
    if (steep < 2.0 * shallow) return false;
    // The slope of the Hermite cubic, dP/du = c0 + c1 t + c2 t^2 on t in [0, 1].
    const double s = (b.f - a.f) / h;
    const double c1 = -4.0 * a.g - 2.0 * b.g + 6.0 * s, c2 = 3.0 * (a.g + b.g) - 6.0 * s;
    double highest = shallow;
    if (c2 < 0.0) {
        const double t = -c1 / (2.0 * c2);
        if (t > 0.0 && t < 1.0) highest = std::max(highest, a.g + t * (c1 + t * c2));
    }
    return highest <= 0.5 * shallow;
}

bool FluidPhase::stableStretch(const BranchSample& a, const BranchSample& b, int depth) {
    if (resolvedStretch(a, b) || std::fabs(b.u - a.u) < kShortestStep || depth <= 0) return true;
    if (walkSamples_ > kMaxSamples) return false;
    const BranchSample m = branchSample(0.5 * (a.u + b.u));
    if (m.state != BranchSample::kStable) return false;
    return stableStretch(a, m, depth - 1) && stableStretch(m, b, depth - 1);
}

// Walks from the stable sample a towards uEnd (direction +1 or -1) along
// stable stretches; until the pressure asked for is crossed with
// untilCrossing.  a is left at the last sample reached, b at the next.
// The walk also ends (Reached) at a sample where f reaches fStop at or
// beyond uStop.  subcritical: the walk runs along a branch of a pure
// fluid below its critical temperature, where the bulk modulus
// K = -V dP/dV has no minimum inside the walk; one there ends it
// (Unstable, see walkIsotherm).
FluidPhase::WalkEnd FluidPhase::walkIsotherm(BranchSample& a, double direction, double uEnd, bool untilCrossing,
                                             BranchSample& b, double fStop, double uStop, bool subcritical) {
    // From the stable sample a towards uEnd (direction +1: larger volumes,
    // -1: smaller).  On return a is the last sample reached along a stable
    // stretch and b the one after it (at the crossing of the pressure asked
    // for, the two bracket the root).  A step that is not stable is tried
    // again shorter.  Where the slope flattens along the walk (towards a
    // spinodal, where it vanishes) the next step covers four tenths of the
    // distance to where the slope, straight through the last two samples,
    // would vanish: the walk closes in on a spinodal geometrically and ends
    // on instability within kShortestStep of it.  A walk towards the
    // crossing also ends early where the pressure asked for lies far beyond
    // what the branch can still reach before a spinodal shown by a sample.
    //
    // subcritical: along a branch of a pure fluid below its critical
    // temperature the bulk modulus K = -g rises from the dilute gas to one
    // maximum and falls to zero at the vapour's spinodal, and falls from the
    // compressed liquid to zero at the liquid's.  Where
    // K, having fallen, rises again before it reaches zero, the equation has
    // turned at a pseudo-spinodal, and the stretch beyond is no state of the
    // fluid (Span et al.'s nitrogen at 100 K: K falls to 3.3 bar at
    // 349 cm3/mol, 13.2 bar, and the isotherm beyond rises stably to
    // megabars, a "vapour" of 227.65 cm3/mol at 50 bar): the walk ends there
    // as at a spinodal.  Changes below a relative kSlopeTurn are no turn;
    // steps from kSubcriticalFirstStep up to kSubcriticalStep in ln V
    // resolve K next to the start and along the walk, and a minimum inside a
    // step of kResolvedMean or more shows in its mean (Jacobsen's liquid at
    // 113.8 K: K falls to 112 bar at 51.85 cm3/mol and rises to 117 bar at
    // 52.33, 0.017 bar).
    constexpr double kSlopeTurn = 1e-3, kSubcriticalFirstStep = 1e-3, kSubcriticalStep = 0.1, kResolvedMean = 1e-4;
    // Through a search of every root, the stretch walked stable (to b where
    // the walk crossed the pressure asked for) is kept with its ends.
    const BranchSample start = a;
    auto ended = [&](WalkEnd end) {
        const BranchSample& last = end == WalkEnd::Crossed ? b : a;
        if (isothermWalks_ && !walkOnCriticalSet_ && start.state == BranchSample::kStable && last.u != start.u) {
            const bool up = last.u > start.u;
            const BranchSample& lo = up ? start : last;
            const BranchSample& hi = up ? last : start;
            isothermWalks_->stretches.push_back({T, P, lo.u, lo.f, hi.u, hi.f});
        }
        return end;
    };
    double Kpeak = -a.g, Ktrough = -a.g;  // the highest K so far, the lowest since
    double h = subcritical ? kSubcriticalFirstStep : kFirstStep;
    bool probed = false;  // beyond a predicted spinodal, once per walk
    while (true) {
        if (walkSamples_ > kMaxSamples) return ended(WalkEnd::NoVerdict);
        if (direction * (a.u - uEnd) >= 0.0) return ended(WalkEnd::Reached);
        const double u = direction > 0.0 ? std::min(a.u + h, uEnd) : std::max(a.u - h, uEnd);
        b = branchSample(u);
        if (b.state == BranchSample::kFailed) return ended(WalkEnd::Failed);
        const bool stable = b.state == BranchSample::kStable && stableStretch(a, b, 40);
        if (!stable) {
            if (h <= kShortestStep) return ended(WalkEnd::Unstable);
            h = std::max(0.125 * h, kShortestStep);
            continue;
        }
        if (subcritical) {
            // A minimum between the samples shows in the pressure change:
            // where K is monotone over a step its mean -df/du lies between
            // its values at the ends.
            const double K = -b.g, meanK = -(b.f - a.f) / (b.u - a.u);
            if (std::fabs(b.u - a.u) >= kResolvedMean && meanK < (1.0 - kSlopeTurn) * std::min(-a.g, K))
                return ended(WalkEnd::Unstable);
            if (Ktrough < (1.0 - kSlopeTurn) * Kpeak && K > (1.0 + kSlopeTurn) * Ktrough)
                return ended(WalkEnd::Unstable);
            if (K > Kpeak)
                Kpeak = Ktrough = K;
            else
                Ktrough = std::min(Ktrough, K);
        }
        if (untilCrossing && (b.f > 0.0) != (a.f > 0.0)) return ended(WalkEnd::Crossed);
        if (b.f >= fStop && direction * (b.u - uStop) >= 0.0) {
            a = b;
            return ended(WalkEnd::Reached);
        }
        // The next step: longer while the slope changes little over this one.
        const double step = std::fabs(b.u - a.u), change = std::fabs(std::log(b.g / a.g));
        h = std::min(subcritical ? kSubcriticalStep : kLongestStep, change < 0.1 ? 2.0 * h : change > 0.4 ? 0.5 * h : h);
        const double flattening = (b.g - a.g) / step;  // > 0: the slope heads for zero
        if (flattening > 0.0) {
            const double left = -b.g / flattening;  // to the predicted spinodal, in ln V
            if (untilCrossing && !probed && left < kProbeReach && std::fabs(b.f) > 10.0 * -b.g * 1.2 * left) {
                // Far below the pressure asked for, close to a predicted
                // spinodal: a sample just beyond it that is unstable shows
                // the branch ends within 1.2 left, over which the pressure
                // rises by about |g| 1.2 left at most (the slope flattening
                // all the way), a tenth of what is missing; one that is
                // stable (an inflection where the slope only flattens, as
                // near a critical point) lets the walk go on.
                probed = true;
                const BranchSample c = branchSample(b.u + direction * 1.2 * left);
                if (c.state != BranchSample::kStable) {
                    a = b;
                    return ended(WalkEnd::Unstable);
                }
            }
            h = std::max(std::min(h, 0.4 * left), kShortestStep);
        }
        a = b;
    }
}

bool FluidPhase::subcriticalPureFluid() const {
    return component_count == 1 && T < 0.98 * ancillaryCriticalTemperature(componentName(0));
}

bool FluidPhase::stableToBranchEnd(bool vapour, double Vfound, double liquid) {
    // Through a search of every root, the verdict of the same walk asked
    // again (the same root, branch, liquid start, T and P: the same samples)
    // is the one it gave, its samples counted as taken; within the walks'
    // bound of samples, as the walk itself would be.
    IsothermWalks* const walks = walkOnCriticalSet_ ? nullptr : isothermWalks_;
    const int before = walkSamples_;
    if (walks) {
        const IsothermWalks::Verdict* v = walks->verdictOf(vapour, Vfound, liquid, T, P);
        if (v && before + v->samples <= kMaxSamples) {
            walkSamples_ += v->samples;
            return v->onBranch;
        }
    }
    const bool on = walkToBranchEnd(vapour, Vfound, liquid);
    if (walks && walkSamples_ <= kMaxSamples)
        walks->verdicts.push_back({vapour, Vfound, liquid, T, P, walkSamples_ - before, on});
    return on;
}

bool FluidPhase::walkToBranchEnd(bool vapour, double Vfound, double liquid) {
    // Vapour: from the root to a gas at least ten times as dilute as the
    // root and as the ideal gas at the pressure asked for, where the
    // isotherm is that of a nearly ideal gas (V^2 |dP/dV| / R T above 0.9),
    // or to 10^4 times that volume.  Liquid: see below.
    const double uRoot = std::log(Vfound);
    double uFar = std::log(10.0 * std::max(Vfound, R * T / P));
    // A stretch known stable that reaches as far as this root's walk must.
    const bool known = vapour && stretchHolds(vapourStretch_) && vapourStretch_.uHigh >= uFar;
    if (known && uRoot >= vapourStretch_.uLow && uRoot <= vapourStretch_.uHigh) {
        if (isothermWalks_ && !walkOnCriticalSet_)
            isothermWalks_->stretches.push_back({T, P, vapourStretch_.uLow, NAN, vapourStretch_.uHigh, NAN});
        return true;
    }
    BranchSample a = branchSample(uRoot), b;
    if (a.state != BranchSample::kStable) return false;
    constexpr double kNone = std::numeric_limits<double>::infinity();
    const bool subcritical = subcriticalPureFluid();
    if (known && uRoot < vapourStretch_.uLow) {
        if (walkIsotherm(a, 1.0, vapourStretch_.uLow, false, b, kNone, 0.0, subcritical) != WalkEnd::Reached)
            return false;
        vapourStretch_.uLow = uRoot;
        return true;
    }
    if (vapour) {
        const double uLast = uFar + std::log(1e4);
        while (true) {
            if (walkIsotherm(a, 1.0, uFar, false, b, kNone, 0.0, subcritical) != WalkEnd::Reached) return false;
            const double k = -a.g * std::exp(a.u) / (R * T);
            if (k > 0.9) {
                // Kept where the walk ended in the nearly ideal gas.
                StableStretch& kept = vapourStretch_;
                kept.T = T;
                kept.x = x;  // (the storage kept)
                kept.revision = parameterRevision();
                kept.criticalSet = walkOnCriticalSet_;
                kept.uLow = uRoot;
                kept.uHigh = a.u;
                return true;
            }
            if (a.u >= uLast) return true;
            uFar = std::min(uFar + std::log(10.0), uLast);  // not yet a nearly ideal gas: tenfold further
        }
    }
    // The liquid: down to the smallest volume, where the model ends (its
    // co-volume or the edge of its range), or where the pressure has risen
    // by 500 bar and doubled at a volume no larger than the liquid start
    // `liquid` (the saturated liquid of an ancillary equation): a loop
    // inside the two-phase region can rise to tens of kilobars (Hill's at
    // 300 K to 47 kbar near 40 cm3/mol) but lies above the saturated liquid,
    // and a reference equation may turn unstable again far beyond its range
    // (methane's near 880 bar at 86 K, below its triple point; carbon
    // dioxide's near 16 kbar at 288 K).  A ten-thousandth of the root's
    // volume, or of the liquid start where that is smaller, at most: from a
    // root of the dilute vapour a ten-thousandth of its volume is still
    // vapour (HGK's at 619 K and 0.0256 bar: 2e6 cm3/mol), and the walk has
    // to pass the vapour's spinodal before it can reach a liquid.
    // A model held from its components' triple points down to the
    // interpreter's limits (its solids judged state by state) below the
    // triple point of its major component: the ancillary equation of that
    // component's saturated liquid, fitted from the triple point up,
    // extrapolates there a liquid the fluid does not have (CO2's at 110 K:
    // 29.5 cm3/mol, denser than its solid) and bounds no branch; the walk
    // ends where the pressure has risen, the pure fluid and its mixtures
    // alike (Kreglewski's CO2 at 110 K, 10 bar: the liquid of 82.9 cm3/mol,
    // compressed to 1.6 kbar at 50 cm3/mol).
    const bool belowTriplePoint =
        validity.fromTriplePoints && T < triplePointTemperature(componentName(getMajorComponentIndex()));
    const bool withLiquid = liquid > 0.0 && std::isfinite(liquid) && !belowTriplePoint;
    const double Pend = std::max(2.0 * P, P + 5e7),
                 uEnd = std::log(std::max(1e-4 * (withLiquid ? std::min(Vfound, liquid) : Vfound), 1.001 * coVolume()));
    const double uLiquid = withLiquid ? std::log(liquid) : HUGE_VAL;
    const WalkEnd end = walkIsotherm(a, -1.0, uEnd, false, b, Pend - P, uLiquid, subcritical);
    return end == WalkEnd::Reached || end == WalkEnd::Failed;
}

// The stretch of the isotherm that the walks of stableToBranchEnd have
// found stable at one temperature and composition (with the same
// parameters and samples), from uLow to the end of the vapour branch at
// uHigh: a root inside it is on the vapour branch without a walk of its
// own, one below it once a walk reaches uLow.  A sweep of pressures along
// an isotherm walks each stretch once.
bool FluidPhase::stretchHolds(const StableStretch& s) const {
    return s.T == T && s.x == x && s.revision == parameterRevision() && s.criticalSet == walkOnCriticalSet_;
}

bool FluidPhase::isothermHasOneRoot() const {
    // Above 1.1 times the model's critical-point start the isotherm has no
    // unstable stretch.
    return (critical_T > 0.0 && !(T < 1.1 * critical_T)) || oneRootShown();
}

bool FluidPhase::oneRootShown() const {
    // From oneRootFromT up in the plain pure fluid, where the model shows
    // it far beyond the pressures its range holds (the walk from a root at
    // P looks at most up to max(2 P, P + 500 bar)).
    return oneRootFromT > 0.0 && !(T < oneRootFromT) && component_count == 1 && T_shift == 0.0 && P_shift == 0.0 &&
           capillary_mode == 0 && !walkOnCriticalSet_ && P > 0.0 && !(P > validity.Pmax * 1e5);
}

bool FluidPhase::onBranch(RootBranch branch, double liquid) {
    // Where the isotherm has one root, every root is on both branches.
    if (branch == RootBranch::Any || isothermHasOneRoot()) return true;
    const double Vfound = V;
    const bool wantLiquid = branch != RootBranch::Vapour, wantVapour = branch != RootBranch::Liquid;
    // The cheap question first: below its critical temperature a pure fluid
    // with expansions of its own saturation curve (continued from their top
    // to its critical point) has its vapour branch beyond the saturated
    // vapour and its liquid branch below the saturated liquid (the one-phase
    // states, stable throughout); a root between the
    // two is metastable, on a branch only when a stable stretch joins it to
    // that branch's saturated volume.
    double psat = 0.0, Vl = 0.0, Vv = 0.0;
    walkSamples_ = 0;
    bool found = false, sampled = false;
    if (component_count == 1 && saturationOfThePlainFluid(T, psat, Vl, Vv)) {
        // Beyond a saturated volume on the side of psat that the branch has
        // (a vapour at or below psat, a liquid at or above it).
        constexpr double kPressureMargin = 1e-6;
        const bool beyondVapour = Vfound >= Vv * (1.0 - kAtSaturatedVolume) && P <= psat * (1.0 + kPressureMargin);
        const bool beyondLiquid = Vfound <= Vl * (1.0 + kAtSaturatedVolume) && P >= psat * (1.0 - kPressureMargin);
        if ((wantVapour && beyondVapour) || (wantLiquid && beyondLiquid)) return true;
        if (!beyondVapour && !beyondLiquid) {
            // Between the saturated volumes: a stable stretch to Vv (the
            // vapour branch) or down to Vl (the liquid branch).
            // A root that may be on either branch walks first towards the
            // saturated volume nearer to it (in ln V), where its branch
            // most likely ends: the walk the other way would end only at
            // the spinodal between.
            sampled = true;
            BranchSample a = branchSample(std::log(Vfound)), b;
            const BranchSample root = a;
            auto reaches = [&](bool vapourSide) {
                constexpr double kNone = std::numeric_limits<double>::infinity();
                a = root;
                return walkIsotherm(a, vapourSide ? 1.0 : -1.0, std::log(vapourSide ? Vv : Vl), false, b, kNone, 0.0,
                                    true) == WalkEnd::Reached;
            };
            if (a.state == BranchSample::kStable) {
                const bool liquidFirst = wantLiquid && (!wantVapour || std::log(Vfound / Vl) < std::log(Vv / Vfound));
                if (liquidFirst) {
                    found = reaches(false) || (wantVapour && reaches(true));
                } else {
                    found = (wantVapour && reaches(true)) || (wantLiquid && reaches(false));
                }
            }
        }
    } else {
        sampled = true;
        found = (wantLiquid && stableToBranchEnd(false, Vfound, liquid)) ||
                (wantVapour && stableToBranchEnd(true, Vfound, liquid));
    }
    if (sampled && walkSamples_ > 0) {
        double f = 0.0, dfdV = 0.0;
        error = 0;
        equationForCalculating_V_FromTP(Vfound, f, dfdV);  // back to the state found
        error = 0;
        refreshVolumeDerivatives();
    }
    return found;
}

double FluidPhase::denseStableVolume(double liquid) {
    // A liquid start that is not on the liquid branch (a fit of the real
    // fluid inside the loop of a model's isotherm, or on a stable stretch
    // between two loops: Anderko's H2O-NaCl at x = 0.05 and 644 K between
    // 40 and 63 cm3/mol) is moved towards the dense fluid.
    const double b = coVolume();
    double v = liquid;
    for (int k = 0; k < 12 && std::isfinite(v) && v > 1.02 * b; ++k, v *= 0.9)
        if (branchSample(std::log(v)).state == BranchSample::kStable && stableToBranchEnd(false, v, liquid)) return v;
    return 0.0;
}

double FluidPhase::nearlyIdealGasVolume() {
    // Ten times the ideal-gas volume at the pressure asked for, and tenfold
    // further until the gas there is nearly ideal (V^2 |dP/dV| / R T and
    // P V / R T within 10 % of 1): at a high pressure ten times the
    // ideal-gas volume can lie inside the two-phase region.
    double v = 10.0 * R * T / P;
    for (int k = 0; k < 12 && std::isfinite(v); ++k, v *= 10.0) {
        const BranchSample s = branchSample(std::log(v));
        if (s.state == BranchSample::kFailed) return 0.0;
        const double k1 = -s.g * v / (R * T), z = (s.f + P) * v / (R * T);
        if (s.state == BranchSample::kStable && std::fabs(k1 - 1.0) < 0.1 && std::fabs(z - 1.0) < 0.1) return v;
    }
    return 0.0;
}

bool FluidPhase::branchRootByWalk(RootBranch branch, double liquid) {
    // Along the branch from a volume on it, in steps of the walk above, the
    // pressure rises (vapour, walked towards the dense fluid) or falls
    // (liquid, walked towards the gas) monotonically until the isotherm turns
    // unstable: the first step across the pressure asked for brackets the
    // branch's root, which bisection closes.  The walk starts from the
    // saturated volume of the branch where the expansions give it (towards
    // the spinodal for a metastable root, away from it for a stable one);
    // else from the nearly ideal gas for the vapour, and from a stable dense
    // volume for the liquid, walked towards the gas or, where the pressure
    // there lies below the one asked for, towards the dense fluid down to a
    // fifth of it.
    const bool vapour = branch == RootBranch::Vapour;
    const double gas = R * T / P, b0 = coVolume();
    if (!std::isfinite(gas) || !(gas > 0.0)) return false;
    walkSamples_ = 0;
    double from = 0.0, psat = 0.0, Vl = 0.0, Vv = 0.0;
    if (component_count == 1 && saturationOfThePlainFluid(T, psat, Vl, Vv)) {
        // The one-phase side of the branch (vapour below psat, liquid above)
        // is stable throughout; its root is found from the saturated volume
        // just as from the branch's far end.
        from = vapour ? Vv : Vl;
    } else if (vapour) {
        from = nearlyIdealGasVolume();
    } else {
        from = denseStableVolume(liquid);
    }
    if (!std::isfinite(from) || !(from > 0.0)) return false;
    BranchSample a = branchSample(std::log(from)), b;
    if (a.state != BranchSample::kStable) return false;
    if (vapour && !(from < gas) && !(a.f < 0.0)) return false;  // the dilute gas lies below the pressure asked for
    // Towards the pressure asked for: smaller volumes where the pressure is
    // below it.
    const double direction = a.f < 0.0 ? -1.0 : 1.0;
    const double uEnd =
        direction < 0.0 ? std::log(std::max(vapour ? 1.001 * b0 : std::max(1.001 * b0, 0.2 * from), 1e-300))
                        : std::log(vapour ? 10.0 * gas : std::max(10.0 * gas, from));
    if (walkIsotherm(a, direction, uEnd, true, b, std::numeric_limits<double>::infinity(), 0.0,
                     psat > 0.0 || subcriticalPureFluid()) != WalkEnd::Crossed)
        return false;
    // a and b bracket the root on a stable stretch where P is monotone.
    return rootInMonotoneBracket(std::exp(a.u), a.f, std::exp(b.u));
}

double FluidPhase::compressedLiquidStartNearCritical() {
    // Within 2 % below the critical temperature a pure fluid compressed to
    // twice its saturation pressure or more is a dense fluid much as on the
    // critical isotherm, where the one-root start finds it (the virial
    // volume, no smaller than half the critical volume); the saturated
    // liquid, nearly as compressible as the critical fluid, is no start for
    // Newton steps.
    double psat = 0.0, Vl = 0.0, Vv = 0.0;
    if (component_count != 1 || subcriticalPureFluid() || !saturationOfThePlainFluid(T, psat, Vl, Vv) ||
        !(P >= 2.0 * psat))
        return std::nan("");
    return secondVirialVolume(critical_V > 0.0 ? 0.5 * critical_V : 0.0);
}

bool FluidPhase::branchEndsShortOfPressure(bool vapour) {
    // From 0.98 Tc up (where the isotherm of the reference equations has
    // one loop, with no pseudo-spinodal) a pure fluid's liquid branch runs
    // from its saturated liquid towards larger volumes with the pressure
    // falling, convex, to a minimum at its spinodal, and the vapour branch
    // from its saturated vapour towards smaller volumes with the pressure
    // rising to a maximum at its spinodal; the unstable stretch between
    // holds the volume of the mean density of the saturated phases.  In t,
    // the distance in ln V from the saturated volume along the branch, h =
    // +-(P(V) - P) is positive at the saturated volume and falls with slope
    // g = V dP/dV < 0 to the spinodal (g = 0).  Newton steps on h from the
    // saturated volume (monotone on the convex stretch; one that finds g no
    // steeper than the step before is no such stretch) pass the spinodal
    // without a root short of it; the secant on g between the last two
    // samples then closes in on it, and where h stays above zero up to it
    // (below, from the tangent of the convex h) the branch never reaches the
    // pressure asked for: the search of the kind has no root, without a walk
    // along the branch.
    if (component_count != 1 || otherBranchAnswers() || subcriticalPureFluid()) return false;
    double psat = 0.0, Vl = 0.0, Vv = 0.0;
    if (!saturationOfThePlainFluid(T, psat, Vl, Vv)) return false;
    constexpr double kOffPsat = 1e-6;
    if (vapour ? !(P > psat * (1.0 + kOffPsat)) : !(P < psat * (1.0 - kOffPsat))) return false;
    const double d = vapour ? -1.0 : 1.0, u0 = std::log(vapour ? Vv : Vl);
    const double tMid = d * (std::log(2.0 / (1.0 / Vl + 1.0 / Vv)) - u0);
    double h = 0.0, g = 0.0;
    auto at = [&](double t) {
        const BranchSample s = branchSample(u0 + d * t);
        h = d * s.f;
        g = s.g;
        return s.state != BranchSample::kFailed;
    };
    if (!at(tMid) || !(g > 0.0)) return false;
    double ta = 0.0;
    if (!at(ta) || !(h > 0.0) || !(g < 0.0)) return false;
    double ha = h, ga = g, tb = tMid, gb = 0.0;
    constexpr int kMaxSteps = 40;
    int k = 0;
    for (; k < kMaxSteps; ++k) {
        const double t = std::fmin(ta - ha / ga, tMid);
        if (!at(t) || !(h > 0.0)) return false;
        if (g >= 0.0) {
            tb = t;
            gb = g;
            break;
        }
        if (!(g > ga) || !(t > ta)) return false;  // not convex: no verdict
        ta = t;
        ha = h;
        ga = g;
    }
    if (k == kMaxSteps) return false;
    // The spinodal S lies between ta (g < 0) and tb (g >= 0), h > 0 at both.
    // On the convex stretch before it h stays above its tangent at ta, so
    // that h(S) >= ha + ga (tb - ta): where that is positive the branch ends
    // above the pressure asked for.  The secant on g closes the bracket
    // (Illinois: the slope of an end kept twice counts half).
    double wa = ga, wb = gb;
    int side = 0;
    for (; k < kMaxSteps; ++k) {
        if (ha + ga * (tb - ta) > 0.0) return true;
        double t = ta - wa * (tb - ta) / (wb - wa);
        if (!(t > ta && t < tb)) t = 0.5 * (ta + tb);
        if (!at(t) || !(h > 0.0)) return false;
        if (g < 0.0) {
            if (!(g > ga)) return false;
            ta = t;
            ha = h;
            ga = wa = g;
            if (side == -1) wb *= 0.5;
            side = -1;
        } else {
            if (!(g < gb)) return false;
            tb = t;
            gb = wb = g;
            if (side == 1) wa *= 0.5;
            side = 1;
        }
    }
    return false;
}

bool FluidPhase::residualAt(double v, double& f, double& dfdV) {
    error = 0;
    equationForCalculating_V_FromTP(v, f, dfdV);
    const bool ok = !error && std::isfinite(f);
    error = 0;
    return ok;
}

bool FluidPhase::rootInMonotoneBracket(double Va, double fa, double Vb) {
    // Bisection in ln V to rounding, the end nearer the root taken.
    double f = 0.0, dfdV = 0.0;
    auto at = [&](double v) { return residualAt(v, f, dfdV); };
    for (int k = 0; k < 200 && std::fabs(Vb / Va - 1.0) > 1e-15; ++k) {
        const double Vm = std::sqrt(Va * Vb);
        if (!at(Vm)) return false;
        if ((f > 0.0) == (fa > 0.0)) {
            Va = Vm;
            fa = f;
        } else {
            Vb = Vm;
        }
    }
    if (!at(std::fabs(fa) < std::fabs(f) ? Va : Vb)) return false;
    refreshVolumeDerivatives();
    errorflag = 0;
    acceptVolumeFromPressure();
    return !errorflag;
}

bool FluidPhase::stateOnKindBranch() {
    if (phase_kind != 1 && phase_kind != 2) return true;
    return onBranch(phase_kind == 1 ? RootBranch::Vapour : RootBranch::Liquid, estimate_Vl0());
}

int FluidPhase::kindRootFromCount() {
    // A pure fluid whose model counts the stable roots of its isotherm in
    // closed form (a cubic's, with at most one loop): of two stable roots
    // the smaller is the liquid branch's and the larger the vapour's; a
    // single one is the only root a search of either kind can end on.
    // Undecided close to a spinodal or the critical point, where the count
    // is, or where the root found is none of those counted.
    if (phase_kind != 1 && phase_kind != 2) return 1;
    const bool plain = component_count == 1 && T_shift == 0.0 && P_shift == 0.0 && capillary_mode == 0;
    if (!plain || !(V > 0.0) || !(P > 0.0)) return -1;
    const double Vfound = V;
    double roots[2] = {0.0, 0.0};
    const int n = stablePressureRootCount(T, P * 1e-5, roots);
    auto at = [&](double r) { return std::fabs(Vfound / r - 1.0) <= 1e-9; };
    int verdict = -1;
    if (n == 2 && (at(roots[0]) || at(roots[1])))
        verdict = at(roots[phase_kind == 1 ? 1 : 0]) ? 1 : 0;
    else if (n == 1 && at(roots[0]))
        verdict = 1;
    // The count evaluates the terms at T alone: back to the state found.
    double f = 0.0, dfdV = 0.0;
    error = 0;
    equationForCalculating_V_FromTP(Vfound, f, dfdV);
    error = 0;
    refreshVolumeDerivatives();
    return verdict;
}

bool FluidPhase::rootOnABranch(double T_, double P_bar, double V_) {
    temperature(T_);
    pressure(P_bar);
    volume(V_);
    return onBranch(RootBranch::LiquidOrVapour, estimate_Vl0());
}

void FluidPhase::calculateMolarVolumeFrom(double start) {
    beginVolumeSearch();
    const VolumeSearch search(*this);
    if (volumeSearchFrom(start))
        acceptVolumeFromPressure();
    else
        errorflag = 1;
}

bool FluidPhase::takeRootAsItStands(double root) {
    beginVolumeSearch();
    const VolumeSearch search(*this);
    double f = 0.0, dfdV = 0.0;
    error = 0;
    if (std::isfinite(root) && root > coVolume()) equationForCalculating_V_FromTP(root, f, dfdV);
    else error = 1;
    const bool evaluated = error == 0;
    error = 0;
    if (evaluated) refreshVolumeDerivatives();
    if (evaluated && reproducesPressure(R * Z * T / V, P, V * dPdV)) return true;
    // (No state: the search's end leaves none.)
    errorflag = 1;
    return false;
}

void FluidPhase::acceptVolumeFromPressure() {
    // The search converged at a volume evaluated last (Z, dZdV belong to it).
    // A remaining gap is closed by one Newton step in V towards the pressure;
    // a volume that still does not give the pressure is no state, nor is one
    // at or below the model's smallest volume (its co-volume, or where its
    // equation leaves the fluid), which the Newton steps do not see.
    if (!(V > coVolume())) {
        errorflag = 1;
        return;
    }
    const double PZ = R * Z * T / V;
    if (reproducesPressure(PZ, P, V * dPdV)) return;
    const double Vnew = V + (P - PZ) / dPdV;
    platform::tracef("Stop here P0 %lg P %lf V %lg\n", PZ, P, Vnew);
    double f = 0.0, dfdV = 0.0;
    error = 0;
    if (std::isfinite(Vnew) && Vnew > 0.0)
        equationForCalculating_V_FromTP(Vnew, f, dfdV);
    else
        error = 1;
    if (!error) refreshVolumeDerivatives();
    if (error || !reproducesPressure(R * Z * T / V, P, V * dPdV)) errorflag = 1;
    error = 0;
}

void FluidPhase::calculate_pressure() {
    if (termRefusesState()) return;
    calculate_fixed_parameters();
    Z = 0.0;
    if (belowCoVolume()) {
        // At or below the co-volume the state does not exist.
        errorflag = 1;
        P = 0.0;
        return;
    }
    if (!sumOverTerms<&Interaction::calculate_Z>(*this, [this](const Interaction& t) { Z += t.Z; })) {
        errorflag = 1;
        return;
    }
    P = R * Z * T / V;
    if (!std::isfinite(P)) errorflag = 1;  // a term outside its range (NaN) is no state
}

void FluidPhase::equationForCalculating_T_FromVP(double T_, double& f, double& dfdT) {
    temperature(T_);
    pressure(P / 100000.0);
    calculate_fixed_parameters();
    Z = 0.0;
    dVdT = 0.0;
    if (!sumOverTerms<&Interaction::calculate_Z>(*this, [this](const Interaction& t) { Z += t.Z; })) {
        error = 1;
        return;
    }
    calculate_expansivity_derivative();
    if (error) return;
    f = T * R * Z / V - P;
    dfdT = (T * dZdT + Z) * R / V;
}

void FluidPhase::calculate_temperature() {
    if (termRefusesState()) return;
    errorflag = 0;
    bindTemperatureEquation();
    volumeSolver->x0 = T;
    const double tol = volumeSolver->tol;
    volumeSolver->tol = 1e-10;
    const double t = volumeSolver->solve();
    volumeSolver->tol = tol;  // later volume searches keep their own tolerance
    bindVolumeEquation();
    if (std::isfinite(t)) temperature(t);
    // Trial temperatures that failed on the way do not count against a converged
    // search; the temperature found must give the pressure (Z and dZdT belong
    // to its evaluation, the last one).
    errorflag = volumeSolver->status != 0 ? 1 : 0;
    if (errorflag) return;
    // The search stops on a small step; where the isochore is flat (a liquid
    // near its density maximum) that can leave the pressure short of the one
    // asked for, and a few Newton steps more close the gap if it can be.
    auto stiffness = [this] { return (T * dZdT + Z) * R * T / V; };
    for (int i = 0; i < 3 && !reproducesPressure(R * Z * T / V, P, stiffness()); ++i) {
        double f = R * Z * T / V - P, dfdT = (T * dZdT + Z) * R / V;
        error = 0;
        equationForCalculating_T_FromVP(T - f / dfdT, f, dfdT);
        if (error || !std::isfinite(Z)) {
            error = 0;
            errorflag = 1;
            return;
        }
    }
    if (!reproducesPressure(R * Z * T / V, P, stiffness())) errorflag = 1;
}

void FluidPhase::calculateFromTP(double T_, double P_bar, char print) {
    // (A refusal met at several steps of the call is said once.)
    const platform::CallScope call;
    temperature(T_);
    pressure(P_bar);
    // The state functions follow the search at once: its terms' trees are
    // evaluated from their roots next.
    stateFollowsSearch_ = true;
    calculate_molar_volume();
    stateFollowsSearch_ = false;
    // A model's own cubic solve may end on a root of no state (a volume at
    // or below zero, or none, for a pressure that is not a number or not
    // finite).
    if (!(V > 0.0) || !std::isfinite(V)) errorflag = 1;
    const short failed = errorflag;
    if (failed) {
        // No root of the kind asked for: nothing of the state is given (the
        // last volume tried is none of it).
        withholdState();
        if (print) dump();
        return;
    }
    // The state functions go first so that the fugacity pass of the terms that
    // allow it reuses their evaluation (the results do not depend on the order).
    // A root whose state the terms refuse (a temperature they do not take)
    // is no state either.
    completeStateOfCall(StateArguments::TP);
    if (print) dump();
}

// The state functions at (T, V) alone (calculate_state_functions): the
// fugacities, the fugacity coefficients, Lambda (rcp) and every
// derivative of theirs, dZdP, dPdx and dVdx are not computed and keep
// the values of an earlier state; Z, P and their T and V derivatives are
// the state functions' (equal to the full state's to rounding).  The
// energies, entropy, heat capacities, sound speed and Joule-Thomson
// coefficient are the full state's to the last bit, and calculate_fugacities
// at the same state then completes it as calculateFromTV does.  For a
// caller that reads no fugacity: a mixture's fugacity pass runs every
// term's pass again.  A state the terms refuse gives nothing but T, V and
// the composition (errorflag set): no value of an earlier state stands
// beside the flag.
void FluidPhase::calculateStateFunctionsFromTV(double T_, double V_) {
    errorflag = 0;
    temperature(T_);
    volume(V_);
    calculate_state_functions();
    if (errorflag) withholdStateOfCall(StateArguments::TV);
}

void FluidPhase::calculateFromTV(double T_, double V_, char print) {
    const platform::CallScope call;
    errorflag = 0;
    temperature(T_);
    volume(V_);
    completeStateOfCall(StateArguments::TV);
    if (print) dump();
}

double FluidPhase::temperatureFromIsochore() {
    // The isochore through two temperatures of the model's own scale (its
    // critical-point start, or 300 K without one), taken as straight above
    // the first.  Below it the search starts from the first: an isochore
    // bends there (a liquid's steepens with T), and from above the Newton
    // steps of a convex isochore never pass the temperature sought.
    const double T1 = critical_T > 0.0 ? critical_T : 300.0, T2 = 2.0 * T1;
    const double Pasked = P;
    double p[2] = {0.0, 0.0};
    for (int i = 0; i < 2; ++i) {
        temperature(i == 0 ? T1 : T2);
        errorflag = 0;
        calculate_pressure();
        p[i] = errorflag ? NAN : P;
    }
    P = Pasked;
    errorflag = 0;
    if (!(p[1] > p[0])) return T1;
    return std::max(T1 + (Pasked - p[0]) * (T2 - T1) / (p[1] - p[0]), T1);
}

void FluidPhase::calculateFromVP(double V_, double P_bar, char print) {
    const platform::CallScope call;
    volume(V_);
    pressure(P_bar);
    // The search starts from the model's own isochore through the state
    // asked for, never from the temperature that the model holds from
    // earlier calls (calculate_temperature is the search from a start of the
    // caller's).
    temperature(temperatureFromIsochore());
    calculate_temperature();
    if (errorflag) {
        errorflag = 1;
        withholdStateOfCall(StateArguments::VP);
    } else {
        completeStateOfCall(StateArguments::VP);
    }
    if (print) dump();
}
