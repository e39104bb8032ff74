// The stable state of a pure fluid from T and P: the volume searches of the
// liquid and of the vapour kind each find a root of P(T, V) = P when there is
// one; at a temperature and pressure where both exist, the root of lower
// Gibbs energy is the stable phase and the other is metastable (a superheated
// liquid or a subcooled vapour).  The phase kinds of the volume search keep
// their meaning: these functions only add the comparison.
//
// A pure fluid below its critical temperature needs no search of every root:
// the model's own saturation pressure at T tells the side (liquid above it,
// vapour below), and only close to it, where the Gibbs energies of the two
// roots differ by (V_l - V_v)(P - psat), are both compared.  Above the
// critical temperature an isotherm has one root.  The scan of the whole
// isotherm remains for mixtures and for whatever these steps cannot decide.
//
// A cubic gives its roots in closed form (closedFormRoots): the stable state
// is the root of lower Gibbs energy among them, with no saturation solve,
// and a cubic built of terms gives its residual Helmholtz energy there in
// closed form too (closedFormResidualTerms), with no evaluation of its
// trees; a cubic mixture's roots too (closedFormMixtureRoots), with no scan
// of its roots, and a term-built cubic mixture's residual terms with their
// composition derivatives (closedFormMixtureTerms).
// Other models without saturation expansions take the saturation state
// close below their critical temperature from the laws of the approach to
// it (where the loop is too shallow to solve the equilibrium), start its
// solve from them a little further down, and keep the last one solved for
// its temperature.
#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "fluid/ClosedFormMixture.h"
#include "fluid/FluidPhase.h"
#include "fluid/Ideal.h"
#include "fluid/IsothermWalks.h"
#include "fluid/KeptFields.h"
#include "fluid/PhaseTerms.h"
#include "fluid/PressureRootsHold.h"
#include "fluid/SaturationExpansion.h"
#include "platform/LogSink.h"

using phase_terms::sumOverTerms;

namespace {

// The roots of a pure fluid's isotherm at the last (T, P) searched, kept for
// the model held (holdPressureRoots) with its parameters and composition (a
// mixture's model at one end among them).
struct KeptPressureRoots {
    const FluidPhase* model = nullptr;
    bool kept = false;
    double T = 0.0, P = 0.0;  // K, bar
    unsigned long revision = 0;
    std::vector<double> x;
    FluidPhase::PhaseRoots roots;
};
thread_local KeptPressureRoots keptPressureRoots;

// The roots of the tangent-plane test's trial compositions (trialRootFromTP)
// through one curve of the model held, at one temperature: the next row's
// search of the same trial at a nearby pressure starts from them.  A start
// other than the search's own is taken only where the trial's isotherm has
// one mechanically stable root at the row's pressure (checked once per
// composition, oneStableRootAlong), the only root the search accepts: any
// start that converges to a root the search accepts ends on it.
struct KeptTrialRoots {
    const FluidPhase* model = nullptr;
    unsigned long revision = 0;
    // Per temperature (K) and composition: whether its isotherm was scanned
    // and has one stable root at every pressure from kTrialFloorPressure to
    // Pmax (Pa), and the last root of each start (gas, liquid; 0: none) with
    // its pressure (bar).
    struct Trial {
        bool scanned = false, oneRoot = false;
        double Pmax = 0.0;
        double V[2] = {0.0, 0.0};
        double P = 0.0;
        bool holds(double P_bar) const;
    };
    using Trials = std::map<std::pair<double, std::vector<double>>, Trial>;
    // The trials of the stability test, and the compositions whose stable
    // state was searched (pressureRootsFromTP), scanned more finely.
    Trials trials, feeds;
};
thread_local KeptTrialRoots keptTrialRoots;

// The pressures of a phase along its isotherm: the terms' parts that depend
// on the temperature and composition alone (an ideal gas's phi0(T), a
// model's temperature functions) are evaluated once, at the first volume,
// and each further volume evaluates the parts that depend on it, as a
// volume search does (Interaction::beginVolumeSearch).  A scan of 2000
// volumes and the bisections of its brackets then cost what their volume
// dependence costs.
class PressuresAtOneTemperature {
public:
    explicit PressuresAtOneTemperature(FluidPhase& p) : p_(p) {
        refused_ = p_.termRefusesState();
        if (refused_) return;
        p_.calculate_fixed_parameters();
        for (Interaction* t : p_.interactions)
            if (t) t->beginVolumeSearch();
        if (p_.ideal) p_.ideal->beginVolumeSearch();
    }
    ~PressuresAtOneTemperature() {
        if (refused_) return;
        for (Interaction* t : p_.interactions)
            if (t) t->endVolumeSearch();
        if (p_.ideal) p_.ideal->endVolumeSearch();
    }
    PressuresAtOneTemperature(const PressuresAtOneTemperature&) = delete;
    PressuresAtOneTemperature& operator=(const PressuresAtOneTemperature&) = delete;

    // P (Pa) at the volume v (m3/mol); NaN where the phase has no state.
    double at(double v) const {
        double dPdV = 0.0;
        return at(v, dPdV);
    }
    // The same with its slope (dP/dV)T (Pa mol/m3), which each term's Z
    // brings with it.
    double at(double v, double& dPdV) const {
        p_.volume(v);
        p_.errorflag = 0;
        if (refused_ || p_.belowCoVolume()) {
            p_.errorflag = 1;
            return std::nan("");
        }
        p_.Z = 0.0;
        double dZdV = 0.0;
        if (!sumOverTerms<&Interaction::calculate_Z>(p_, [&](const Interaction& t) {
                p_.Z += t.Z;
                dZdV += t.dZdV;
            })) {
            p_.errorflag = 1;
            return std::nan("");
        }
        p_.P = p_.R * p_.Z * p_.T / p_.V;
        dPdV = p_.R * p_.T * dZdV / p_.V - p_.P / p_.V;
        if (!std::isfinite(p_.P)) p_.errorflag = 1;
        return p_.errorflag ? std::nan("") : p_.P;
    }

private:
    FluidPhase& p_;
    bool refused_ = false;
};

// The lowest pressure (bar) at which a trial's kept root is a start: its
// isotherm is scanned out to ten times the ideal-gas volume there.
constexpr double kTrialFloorPressure = 1e-3;
// Steps of the scan of a feed's isotherm over its whole range of pressures:
// no coarser in ln V than the scan of every root at one pressure
// (kFullScanSteps from a fifth of the critical volume to ten times the
// ideal-gas volume) is up to 10 kbar.
constexpr int kFeedScanSteps = 8000;
// Compositions kept through one curve at most (the grid's and the narrowing
// steps' trials of its rows), beyond which they are forgotten.
constexpr std::size_t kMaxKeptTrials = 20000;

// Whether the phase's isotherm at T (K) and its composition has one
// mechanically stable root (dP/dV < 0) at every pressure from
// kTrialFloorPressure up to the isotherm's highest, into Pmax (Pa): on a
// scan in ln V from a fifth of the critical volume (as the scan of every
// root, scanPressureRoots) to ten times the ideal-gas volume at the floor,
// where the model gives a pressure all along one stretch, the pressure may
// rise with the volume at the dense end (no stable state there) and then
// falls with it at every further volume.
bool oneStableRootAlong(FluidPhase& p, double T_, int steps, double& Pmax) {
    const double Vlow = p.critical_V > 0.0 ? 0.2 * p.critical_V : 1e-6;
    const double Vhigh = 10.0 * FluidPhase::R * T_ / (kTrialFloorPressure * 1e5);
    if (!(Vhigh > Vlow)) return false;
    const double step = std::log(Vhigh / Vlow) / steps;
    p.temperature(T_);
    const PressuresAtOneTemperature pressures(p);
    double prev = std::nan("");
    bool falling = false;
    for (int k = 0; k <= steps; ++k) {
        const double P = pressures.at(Vlow * std::exp(step * k));
        if (!std::isfinite(P)) {
            if (std::isfinite(prev)) return false;
            continue;
        }
        if (std::isfinite(prev) && P < prev) {
            if (!falling) Pmax = prev;
            falling = true;
        } else if (falling) {
            return false;
        }
        prev = P;
    }
    return falling && std::isfinite(prev);
}

// Roots closer than this (relative) are one root found by both searches.
constexpr double kSameRoot = 1e-6;

// Around the saturation pressure the roots' Gibbs energies differ by
// (V_l - V_v)(P - psat): within this relative distance of psat (far wider
// than the saturation solve's residual) both roots are found and compared
// rather than ranked by the side of psat.
constexpr double kSaturationBand = 1e-4;
// A compressed liquid is denser than the saturated liquid, a superheated
// vapour lighter than the saturated vapour, to the solvers' tolerance.
constexpr double kBeyondSaturation = 1e-6;
// Points of the scan that completes the two searches (every root of an
// isotherm with a loop), and of the one of a supercritical isotherm where the
// one search fails (a single root, a single change of sign).
constexpr int kFullScanSteps = 2000;
constexpr int kCoarseScanSteps = 100;
// The scan samples P and dP/dV every kScanStride of its steps and takes
// every step only where a root or a loop of P(V) may lie between two
// samples.
constexpr int kScanStride = 16;
// The longest span (ln V) of strides the scan passes without their own
// samples: the longest step of a walk along the isotherm.
constexpr double kLongestSpan = 0.5;
// Steps (factor in V, most steps) of the walk along a branch of the isotherm
// to its metastable root.
constexpr double kBranchStep = 1.01;
constexpr int kBranchSteps = 2000;
constexpr int kStride = 8;  // steps of the walk's strides
constexpr double kFinestBranchStep = 1e-5;  // ln V

// Saturated volumes closer than this factor: within about 1e-4 K of the
// critical temperature (water, nitrogen), where the expansions end.
constexpr double kShallowLoop = 1.02;

bool sameRoot(double a, double b) { return std::fabs(a - b) <= kSameRoot * std::fmax(a, b); }

// Whether P - P0 is shown monotone between two samples of the isotherm a
// stride apart: f0 and f1 are P - P0 at its ends, m0 and m1 the slopes
// dP/dlnV times the stride.  It is where every value is given, the slopes
// have one sign, and the cubic of Hermite through the ends neither turns
// back between them (a loop of P(V) within the stride) nor flattens to
// within a fourth of its steeper end's slope (a loop the cubic smooths out).
bool monotoneBetween(double f0, double m0, double f1, double m1) {
    if (!std::isfinite(f0) || !std::isfinite(f1) || !std::isfinite(m0) || !std::isfinite(m1)) return false;
    if (!(m0 * m1 > 0.0)) return false;
    // The cubic's slope in t from 0 to 1: a t^2 + b t + m0.
    const double a = 6.0 * (f0 - f1) + 3.0 * (m0 + m1), b = 6.0 * (f1 - f0) - 4.0 * m0 - 2.0 * m1;
    if (a == 0.0) return true;
    const double t = -b / (2.0 * a);
    if (!(t > 0.0 && t < 1.0)) return true;
    const double least = (a * t + b) * t + m0;
    return !(least / m0 < 0.25 * std::fmax(1.0, m1 / m0));
}

// Whether P - P0 may cross zero between two such samples: where f changes
// sign, or where it is not shown monotone there.
bool mayHoldRootOrLoop(double f0, double m0, double f1, double m1) {
    if (!std::isfinite(f0) || !std::isfinite(f1)) return true;
    return (f0 > 0.0) != (f1 > 0.0) || !monotoneBetween(f0, m0, f1, m1);
}

// Whether two samples of the isotherm a stride or a step apart (f = P - P0,
// m = dP/dlnV times the stride) show that no root the scan keeps, other
// than a root found already, lies between them: where P is shown monotone
// across a change of sign of P - P0, rising (its one root mechanically
// unstable, no state) or falling with a root found inside (withFound: its
// one root is that root); where P - P0 keeps its sign and lies further from
// zero at both ends than ten times the change their slopes make over the
// stride (a root would need a loop far deeper than the slopes show).
bool noNewRootWithin(double f0, double m0, double f1, double m1, bool withFound) {
    if (!std::isfinite(f0) || !std::isfinite(f1) || !std::isfinite(m0) || !std::isfinite(m1)) return false;
    if ((f0 > 0.0) != (f1 > 0.0)) return monotoneBetween(f0, m0, f1, m1) && (m0 > 0.0 || withFound);
    constexpr double kFar = 10.0;
    return std::fmin(std::fabs(f0), std::fabs(f1)) > kFar * (std::fabs(m0) + std::fabs(m1));
}

// The stretches (ln V) of the isotherm at T (K) and P (Pa) that the walks of
// one search of every root showed stable, joined where they meet, that the
// scan of the roots need not sample: P falls monotonically along each, so
// that each holds at most one root, and the ones kept hold a root found
// already (found) or none (P - P0 of one sign at both ends).
std::vector<std::pair<double, double>> stretchesWithoutNewRoots(const IsothermWalks& walks, double T_, double P_Pa,
                                                               const std::vector<FluidPhase::PhaseRoot>& found) {
    std::vector<IsothermWalks::Stretch> s;
    for (const IsothermWalks::Stretch& w : walks.stretches)
        if (w.T == T_ && w.P == P_Pa && w.uHigh > w.uLow) s.push_back(w);
    std::sort(s.begin(), s.end(), [](const auto& a, const auto& b) { return a.uLow < b.uLow; });
    std::vector<IsothermWalks::Stretch> joined;
    for (const IsothermWalks::Stretch& w : s) {
        if (!joined.empty() && w.uLow <= joined.back().uHigh) {
            IsothermWalks::Stretch& j = joined.back();
            if (w.uHigh > j.uHigh) {
                j.uHigh = w.uHigh;
                j.fHigh = w.fHigh;
            }
        } else {
            joined.push_back(w);
        }
    }
    std::vector<std::pair<double, double>> kept;
    for (const IsothermWalks::Stretch& j : joined) {
        bool holdsFound = false;
        for (const FluidPhase::PhaseRoot& r : found) {
            const double u = std::log(r.V);
            holdsFound = holdsFound || (u >= j.uLow && u <= j.uHigh);
        }
        const bool none = std::isfinite(j.fLow) && std::isfinite(j.fHigh) && (j.fLow > 0.0) == (j.fHigh > 0.0);
        if (holdsFound || none) kept.emplace_back(j.uLow, j.uHigh);
    }
    return kept;
}

// Whether the volume v lies nearer (in ln V) to `own` than to `other`.
bool nearerTo(double v, double own, double other) {
    return std::fabs(std::log(v / own)) < std::fabs(std::log(v / other));
}

// Whether the volume v is a root of the liquid's (vapour's) side: beyond the
// saturated volume, to the solvers' tolerance; near the saturation pressure,
// where a root may be metastable, nearer its own saturated volume than the
// other's.
bool onSideOf(double v, bool liquid, double Vl, double Vv, bool nearSaturation) {
    if (nearSaturation) return liquid ? nearerTo(v, Vl, Vv) : nearerTo(v, Vv, Vl);
    return liquid ? v <= Vl * (1.0 + kBeyondSaturation) : v >= Vv * (1.0 - kBeyondSaturation);
}

// The liquid (smallest volume) and the vapour (largest volume) of the roots;
// the vapour is none when it is the liquid.
FluidPhase::PhaseRoots rootsOf(const std::vector<FluidPhase::PhaseRoot>& found) {
    FluidPhase::PhaseRoots r;
    for (const FluidPhase::PhaseRoot& root : found) {
        if (!r.liquid.found || root.V < r.liquid.V) r.liquid = root;
        if (!r.vapour.found || root.V > r.vapour.V) r.vapour = root;
    }
    if (r.liquid.found && sameRoot(r.liquid.V, r.vapour.V)) r.vapour.found = false;  // one root
    return r;
}


// A mixture's isotherm may hold a mechanically stable stretch that neither
// branch joins, between two loops of P(V) (Duan, Moller & Weare's H2O-CH4
// with 30-35 % CH4 at 320-360 K and 40-100 bar).  A root on it of lower
// Gibbs energy than the branches' roots is the equation's stable state: it
// takes the place of the branch root of higher energy, the other kept as
// the other root; where the branches hold no root at P, it is the one root.
void withStableOffBranchRoot(FluidPhase::PhaseRoots& r, const std::vector<FluidPhase::PhaseRoot>& offBranch) {
    const FluidPhase::PhaseRoot* best = nullptr;
    for (const FluidPhase::PhaseRoot& root : offBranch)
        if ((!r.liquid.found || root.G < r.liquid.G) && (!r.vapour.found || root.G < r.vapour.G) &&
            (!best || root.G < best->G))
            best = &root;
    if (!best) return;
    if (!r.liquid.found) {
        r.liquid = *best;
        return;
    }
    const FluidPhase::PhaseRoot other = r.vapour.found && r.vapour.G < r.liquid.G ? r.vapour : r.liquid;
    r.liquid = other.V < best->V ? other : *best;
    r.vapour = other.V < best->V ? *best : other;
}

// The phase's state at its T and V is a root at P (bar): its state functions
// evaluate, it is mechanically stable, it gives back the pressure as the
// volume search judges it (a liquid at low pressure, whose pressure hangs on
// the last digits of its volume, to the change of a relative 1e-12 of V) and
// has a Gibbs energy; its volume and Gibbs energy into V_ and G_ when it is.
bool acceptRoot(FluidPhase& p, double P_bar, double& V_, double& G_) {
    p.calculate_state_functions();
    const double Pt = P_bar * 1e5, Pz = FluidPhase::R * p.Z * p.T / p.V, dPdV = p.dPdV, V = p.V;
    const double g = p.errorflag ? std::nan("") : p.rootGibbsEnergy(Pt);
    if (p.errorflag || !(dPdV < 0.0) || !FluidPhase::reproducesPressure(Pz, Pt, V * dPdV) || !std::isfinite(g))
        return false;
    V_ = V;
    G_ = g;
    return true;
}

}  // namespace

double FluidPhase::rootGibbsEnergy(double P_Pa) {
    // G = G_ig(T, P, x) + R T sum x_i ln phi_i: the ideal-gas part is the
    // same for every root at one T, P and composition, and may lack its data
    // (a salt, a closed-form cubic without an ideal gas); the fugacities rank
    // the roots whatever the model gives of G.
    // The fugacity coefficients are those at the root's own pressure
    // R T Z / V.  A liquid at low pressure gives the pressure asked for to a
    // few parts in a million only (its volume to rounding), and near
    // saturation the roots' Gibbs energies differ by no more than that: the
    // ideal gas brought from the root's pressure to the one asked for,
    // R T ln(P_root / P), puts every root at the same pressure.
    calculate_fugacities();
    if (errorflag) return std::nan("");
    double g = 0.0;
    for (int i = 0; i < component_count; ++i)
        if (x[i] != 0.0) g += x[i] * std::log(fugcoef[i]);
    const double Proot = R * Z * T / V;
    if (P_Pa > 0.0 && Proot > 0.0 && std::isfinite(Proot)) g += std::log(Proot / P_Pa);
    return R * T * g;
}

bool FluidPhase::compressibilityDiverges() const {
    // The reduced stiffness V^2 (dP/dV)T / RT is 1 in the ideal gas and
    // vanishes at the critical point, where cp, the expansivity and the
    // compressibility diverge; near it the model's own values are finite.
    const double stiffness = -V * V * dPdV / (R * T);
    return std::isfinite(stiffness) && std::fabs(stiffness) < 1e-9;
}

bool FluidPhase::stateIsFinite() const {
    // The state itself; quantities a model does not define (heat capacities
    // without an ideal-gas part) are shown as missing by the report.
    return std::isfinite(T) && std::isfinite(P) && std::isfinite(V) && V > 0.0 && std::isfinite(Z) &&
           bulk_molar_weight > 0.0 && std::isfinite(bulk_molar_weight);
}

void FluidPhase::rootBeforeItsState(double start) {
    // The state functions of the root follow (acceptRoot, the fugacities of
    // rootGibbsEnergy), evaluating the terms from their roots; or, where the
    // root is not taken, another search or evaluation does.
    stateFollowsSearch_ = true;
    calculateMolarVolumeFrom(start);
    stateFollowsSearch_ = false;
}

bool FluidPhase::pressureRootFromTP(int kind, double T_, double P_bar, double& V_, double& G_) {
    const int keep = phase_kind;
    set_the_phase_as(kind);
    temperature(T_);
    pressure(P_bar);
    stateFollowsSearch_ = true;  // a root's state functions follow (acceptRoot)
    calculate_molar_volume();
    stateFollowsSearch_ = false;
    set_the_phase_as(keep);
    if (errorflag || !std::isfinite(V) || !(V > 0.0)) return false;
    errorflag = 0;
    if (acceptRoot(*this, P_bar, V_, G_)) return true;
    errorflag = 1;
    return false;
}

namespace {

// The kept roots of the trial of the phase's composition at T (K), searched
// at P (bar), for the model held; nullptr for any other.
KeptTrialRoots::Trial* keptTrialAt(FluidPhase& p, double T_, double P_bar, bool feed = false) {
    KeptTrialRoots& k = keptTrialRoots;
    if (k.model != &p) return nullptr;
    KeptTrialRoots::Trials& kept = feed ? k.feeds : k.trials;
    if (k.revision != p.parameterRevision() || kept.size() >= kMaxKeptTrials) {
        k.trials.clear();
        k.feeds.clear();
        k.revision = p.parameterRevision();
    }
    KeptTrialRoots::Trial& trial = kept[{T_, p.x}];
    // A composition met again at another pressure (the same trial of the
    // next row) has its isotherm scanned once.  The same row's state tested
    // again, its pressure recomputed from T and V to within rounding, is no
    // other pressure: its search starts as the first did, and a curve whose
    // rows each lie at their own temperature (an isochore) scans nothing.
    const bool samePressure = std::fabs(trial.P - P_bar) <= 1e-12 * std::fabs(P_bar);
    if (!trial.scanned && (trial.V[0] > 0.0 || trial.V[1] > 0.0) && !samePressure) {
        trial.scanned = true;
        trial.oneRoot = oneStableRootAlong(p, T_, feed ? kFeedScanSteps : kFullScanSteps, trial.Pmax);
        p.errorflag = 0;
    }
    return &trial;
}

}  // namespace

bool KeptTrialRoots::Trial::holds(double P_bar) const {
    return oneRoot && P_bar >= kTrialFloorPressure && P_bar * 1e5 < Pmax;
}

bool FluidPhase::trialCountedOneRoot(double T_, double P_bar) const {
    const TrialRootCount& c = lastTrialRootCount_;
    return c.count == 1 && c.unheld && c.T == T_ && c.P == P_bar && c.revision == parameterRevision() && c.x == x;
}

bool FluidPhase::trialHasOneStableRoot(double T_, double P_bar) const {
    const TrialRootCount& c = lastTrialRootCount_;
    if (c.count == 1 && c.T == T_ && c.P == P_bar && c.revision == parameterRevision() && c.x == x) return true;
    const KeptTrialRoots& k = keptTrialRoots;
    if (k.model != this || k.revision != parameterRevision()) return false;
    const auto it = k.trials.find({T_, x});
    return it != k.trials.end() && it->second.holds(P_bar);
}

// A trial phase of the tangent-plane test: a mechanically stable root of
// P(V) = P at T and P from the liquid start (or the ideal gas's volume),
// with its fugacities, whatever branch of the isotherm it lies on (no
// walk along the isotherm): a negative tangent-plane distance on any
// such root shows a split.  Through a curve of the interpreter
// (holdPressureRoots) a trial met again at the same temperature whose
// isotherm has one stable root (trialHasOneStableRoot) starts from its
// root at the row before.
bool FluidPhase::trialRootFromTP(bool liquidStart, double T_, double P_bar) {
    temperature(T_);
    pressure(P_bar);
    if (termRefusesState()) return false;
    if (trialsFromStateSearch()) {
        beginVolumeSearch();
        // The root of the same kind its own search of a state from T and P
        // gives, with its fugacities.
        double V_ = 0.0, G_ = 0.0;
        errorflag = 0;
        return pressureRootFromTP(liquidStart ? 2 : 1, T_, P_bar, V_, G_) && errorflag == 0;
    }
    KeptTrialRoots::Trial* kept = keptTrialAt(*this, T_, P_bar);
    // Where the isotherm's stable roots are known in closed form (a
    // cubic's), the search starts on one: the only one, else the liquid's
    // from the liquid start and the vapour's from the gas start.
    double roots[2] = {0.0, 0.0};
    TrialRootCount& counted = lastTrialRootCount_;
    counted.count = stablePressureRootCount(T_, P_bar, roots);
    counted.T = T_;
    counted.P = P_bar;
    counted.x = x;  // (within the storage kept)
    counted.revision = parameterRevision();
    counted.unheld = kept == nullptr;
    const double closedForm = counted.count == 1 ? roots[0] : counted.count == 2 ? roots[liquidStart ? 0 : 1] : 0.0;
    temperature(T_);
    pressure(P_bar);
    beginVolumeSearch();
    const double liquid = liquidStart ? estimate_Vl0() : 0.0;
    const double start = closedForm > 0.0 ? closedForm : liquidStart ? liquid : R * T_ / (P_bar * 1e5);
    // The search leaves a root that gives P back (dPdV of its volume).  On
    // an isotherm with one root the kept root of a nearby pressure reaches
    // the same root in fewer steps; where it does not, the search's own
    // start is taken.
    const double nearV = !kept ? 0.0 : kept->V[liquidStart] > 0.0 ? kept->V[liquidStart] : kept->V[!liquidStart];
    const bool near = kept && kept->holds(P_bar) && nearV > 0.0;
    bool found = near && volumeStateFrom(nearV, liquid, RootBranch::Any) && dPdV < 0.0;
    if (!found) {
        if (near) beginVolumeSearch();
        found = volumeStateFrom(start, liquid, RootBranch::Any) && dPdV < 0.0;
    }
    if (!found) return false;
    if (kept) {
        kept->V[liquidStart] = V;
        kept->P = P_bar;
    }
    calculate_fugacities();
    return errorflag == 0;
}

void FluidPhase::setStateFromTPV(double T_, double P_bar, double V_) {
    errorflag = 0;
    temperature(T_);
    pressure(P_bar);
    volume(V_);
    calculate_fixed_parameters();
    calculate_state_functions();
    calculate_fugacities();
    takeStateToPressure(P_bar);
}

bool FluidPhase::setStateFromClosedFormTerms(double T_, double P_bar, double V_) {
    TermInClosedForm terms[2];
    const std::size_t n = static_cast<std::size_t>(closedFormResidualTerms(T_, V_, terms));
    if (component_count != 1 || n == 0 || n != interactions.size() || !ideal) return false;
    errorflag = 0;
    temperature(T_);
    pressure(P_bar);
    volume(V_);
    calculate_fixed_parameters();
    if (termRefusesState() || belowCoVolume()) return false;
    // The ideal-gas part as the state functions evaluate it, the residual
    // terms added in their order before it, as the sum over the terms takes them.
    keepHoldValid();
    ideal->calculate_state_functions();
    Interaction::PassDerivatives id{};
    if (ideal->termError || !ideal->fugacityPassFromState(id)) return false;
    Ideal* part = ideal->asIdealPart();
    TermInClosedForm sum;
    Interaction::PassDerivatives passes[2];
    for (std::size_t k = 0; k < n; ++k) {
        const TermInClosedForm& t = terms[k];
        sum = {sum.a + t.a, sum.aT + t.aT, sum.aTT + t.aTT, sum.aV + t.aV, sum.aVV + t.aVV, sum.aTV + t.aTV};
        passes[k] = {t.a, t.aT, t.aV, t.aTV, t.aVV, 0.0};
    }
    const Interaction& g = *ideal;
    sum = {sum.a + g.A, sum.aT + g.AT, sum.aTT + g.ATT, sum.aV + g.Av, sum.aVV + g.Avv, sum.aTV + g.ATv};
    stateFunctionsFromSums(sum, !part || part->hasData());
    if (errorflag) return false;
    pureFugacitiesFromPasses(passes, n, id, false);
    if (errorflag) return false;
    takeStateToPressure(P_bar);
    return true;
}

void FluidPhase::takeStateToPressure(double P_bar) {
    // P, Z and the fugacity coefficients of the pressure asked for: a stiff
    // liquid gives it back only to the change a relative 1e-12 of its volume
    // makes, and at its root's own pressure R T Z / V they would hang on the
    // last bits of the volume found.  The fugacities, functions of T, V and
    // the composition alone, stay.
    const double Pt = P_bar * 1e5;
    if (errorflag == 0 && Pt > 0.0 && std::isfinite(Pt) && P > 0.0 && std::isfinite(P)) {
        const double r = P / Pt;
        Z /= r;
        for (int i = 0; i < component_count; ++i) fugcoef[i] *= r;
        P = Pt;
    }
}

bool FluidPhase::pressureRootInBracket(double T_, double P_bar, double Va, double Vb, double& V_, double& G_) {
    // Bisection on P(V) - P between volumes where it changes sign, to rounding.
    const double Pt = P_bar * 1e5;
    temperature(T_);
    {
        const PressuresAtOneTemperature pressures(*this);
        auto f = [&](double v) {
            const double p = pressures.at(v);
            return std::isfinite(p) ? p - Pt : p;
        };
        double fa = f(Va);
        for (int k = 0; k < 200 && Vb - Va > 1e-15 * Vb; ++k) {
            const double Vm = 0.5 * (Va + Vb), fm = f(Vm);
            if (!std::isfinite(fm)) return false;
            if ((fm > 0.0) == (fa > 0.0)) {
                Va = Vm;
                fa = fm;
            } else {
                Vb = Vm;
            }
        }
    }
    const double Vr = 0.5 * (Va + Vb);
    pressure(P_bar);
    volume(Vr);
    errorflag = 0;
    calculate_fixed_parameters();
    return acceptRoot(*this, P_bar, V_, G_);
}

void FluidPhase::keepPressureRoot(std::vector<PhaseRoot>& found, double T_, double P_bar, double V_, double G_,
                                  std::vector<PhaseRoot>* offBranch) {
    for (const PhaseRoot& r : found)
        if (sameRoot(r.V, V_)) return;
    if (rootOnABranch(T_, P_bar, V_))
        found.push_back({true, V_, G_});
    else if (offBranch)
        offBranch->push_back({true, V_, G_});
}

namespace {

// A bracket of the scan of every root: the ends' volumes, P - P0 there and
// the slopes dP/dlnV times the step.
struct ScanBracket {
    double Va, fa, ma, Vb, fb, mb;
};

// The scan of every root over its grid of `steps` steps in ln V from uLow,
// sampled every kScanStride-th step (P - P0 and its slope in ln V):
// between two samples, the steps are taken one by one (the brackets those
// steps give) only where a root or a loop may lie there and one the scan
// keeps may (mayHoldRootOrLoop, noNewRootWithin).  The strides are taken
// in spans of halves, from the whole grid down: a span within a stretch
// the walks showed stable (withinKnown) is left, and a span of several
// strides whose end samples are joined by a stretch resolved as stable
// with P - P0 of one sign (resolvedWithoutRoot) holds no root; any other
// is halved at a sample of the grid, down to single strides.  Every sample
// taken is one of the grid's, and a stride's steps and brackets are those
// of the grid's own stride.
template <class Sample, class Resolved, class WithinKnown, class OverlapsKnown, class HoldsFound>
class RootScan {
public:
    RootScan(int steps, double step, double uLow, Sample& sample, Resolved& resolved, WithinKnown& withinKnown,
             OverlapsKnown& overlapsKnown, HoldsFound& holdsFound, bool anyKnown)
        : steps_(steps), step_(step), uLow_(uLow), sample_(sample), resolved_(resolved),
          withinKnown_(withinKnown), overlapsKnown_(overlapsKnown), holdsFound_(holdsFound), anyKnown_(anyKnown),
          strides_((steps + kScanStride - 1) / kScanStride), at_(static_cast<std::size_t>(strides_) + 1) {}
    void run() { span(0, strides_); }
    std::vector<ScanBracket> brackets;

private:
    struct Sampled {
        double V = 0.0, f = 0.0, s = 0.0;
        bool taken = false;
    };
    int boundary(int i) const { return std::min(i * kScanStride, steps_); }
    double u(int i) const { return uLow_ + step_ * boundary(i); }
    const Sampled& at(int i) {
        Sampled& s = at_[static_cast<std::size_t>(i)];
        if (!s.taken) {
            s.V = sample_(boundary(i), s.f, s.s);
            s.taken = true;
        }
        return s;
    }
    void span(int a, int b) {
        if (anyKnown_ && withinKnown_(u(a), u(b))) return;
        if (b - a == 1) return stride(a, b);
        if (!anyKnown_ || !touchesKnown(a, b)) {
            const Sampled &sa = at(a), &sb = at(b);
            if (resolved_(u(a), sa.f, sa.s, u(b), sb.f, sb.s)) return;
        }
        const int m = (a + b) / 2;
        span(a, m);
        span(m, b);
    }
    // Whether a stretch the walks showed stable overlaps the span (its
    // halves may be left without samples).
    bool touchesKnown(int a, int b) const { return overlapsKnown_(u(a), u(b)); }
    void stride(int a, int b) {
        const int k0 = boundary(a), k1 = boundary(b);
        const Sampled s0 = at(a), s1 = at(b);
        const double m0 = s0.s * step_ * (k1 - k0), m1 = s1.s * step_ * (k1 - k0);
        if (!mayHoldRootOrLoop(s0.f, m0, s1.f, m1) || noNewRootWithin(s0.f, m0, s1.f, m1, holdsFound_(s0.V, s1.V)))
            return;
        double Vprev = s0.V, fprev = s0.f, sprev = s0.s;
        for (int k = k0 + 1; k <= k1; ++k) {
            double slope = s1.s, fv = s1.f;
            const double v = k < k1 ? sample_(k, fv, slope) : s1.V;
            if (std::isfinite(fv) && std::isfinite(fprev) && (fv > 0.0) != (fprev > 0.0))
                brackets.push_back({Vprev, fprev, sprev * step_, v, fv, slope * step_});
            Vprev = v;
            fprev = fv;
            sprev = slope;
        }
    }
    const int steps_;
    const double step_, uLow_;
    Sample& sample_;
    Resolved& resolved_;
    WithinKnown& withinKnown_;
    OverlapsKnown& overlapsKnown_;
    HoldsFound& holdsFound_;
    const bool anyKnown_;
    const int strides_;
    std::vector<Sampled> at_;
};

}  // namespace

void FluidPhase::scanPressureRoots(double T_, double P_bar, int steps, std::vector<PhaseRoot>& found,
                                   std::vector<PhaseRoot>* offBranch) {
    // A scan of the isotherm in ln V, from a fifth of the critical volume
    // (denser than any liquid the models describe) to ten times the
    // ideal-gas volume, brackets every root where P - P(V) changes sign.
    const double Vlow = critical_V > 0.0 ? 0.2 * critical_V : 1e-6;
    const double Vhigh = 10.0 * R * T_ / (P_bar * 1e5);
    if (!std::isfinite(Vhigh) || !(Vhigh > Vlow)) return;
    const double step = std::log(Vhigh / Vlow) / steps;
    temperature(T_);
    // Through a search of every root, the stretches its walks showed stable
    // hold no root but the ones found: strides within them are not sampled,
    // nor are brackets within them closed (to within 1e-12 in ln V, the
    // rounding of the scan's volumes, no room for another root).
    const std::vector<std::pair<double, double>> known =
        isothermWalks_ ? stretchesWithoutNewRoots(*isothermWalks_, T_, P_bar * 1e5, found)
                       : std::vector<std::pair<double, double>>{};
    auto withinKnown = [&](double ua, double ub) {
        const double margin = 1e-12 * std::fmax(1.0, std::fabs(ua));
        for (const auto& [lo, hi] : known)
            if (ua >= lo - margin && ub <= hi + margin) return true;
        return false;
    };
    auto overlapsKnown = [&](double ua, double ub) {
        for (const auto& [lo, hi] : known)
            if (ua < hi && ub > lo) return true;
        return false;
    };
    const double uLow = std::log(Vlow);
    // The brackets first, all at the one temperature; then the root in each.
    auto holdsFound = [&](double Va, double Vb) {
        return std::any_of(found.begin(), found.end(), [&](const PhaseRoot& r) { return r.V >= Va && r.V <= Vb; });
    };
    std::vector<ScanBracket> brackets;
    {
        const PressuresAtOneTemperature pressures(*this);
        const double Pt = P_bar * 1e5;
        auto sample = [&](int k, double& f, double& slope) {
            const double v = Vlow * std::exp(step * k);
            double dPdV_ = 0.0;
            f = pressures.at(v, dPdV_) - Pt;
            slope = v * dPdV_;
            return v;
        };
        // A span of strides whose end samples are joined by a stretch the
        // walks would take as monotone in one of their steps (resolvedStretch
        // over kLongestSpan at most: stable, or mirrored for a rising P) with
        // P - P0 of one sign holds no root.
        auto resolvedWithoutRoot = [&](double ua, double fa, double ga, double ub, double fb, double gb) {
            if (!(ub - ua <= kLongestSpan) || !std::isfinite(fa) || !std::isfinite(fb) || (fa > 0.0) != (fb > 0.0))
                return false;
            const double sign = ga < 0.0 && gb < 0.0 ? 1.0 : ga > 0.0 && gb > 0.0 ? -1.0 : 0.0;
            const BranchSample a{ua, sign * fa, sign * ga, BranchSample::kStable},
                b{ub, sign * fb, sign * gb, BranchSample::kStable};
            return sign != 0.0 && resolvedStretch(a, b);
        };
        RootScan scan(steps, step, uLow, sample, resolvedWithoutRoot, withinKnown, overlapsKnown, holdsFound,
                      !known.empty());
        scan.run();
        brackets = std::move(scan.brackets);
    }
    auto mayKeep = [&](const ScanBracket& br) {
        return !noNewRootWithin(br.fa, br.ma, br.fb, br.mb, holdsFound(br.Va, br.Vb)) &&
               (known.empty() || !withinKnown(std::log(br.Va), std::log(br.Vb)));
    };
    double V_ = 0.0, G_ = 0.0;
    if (isothermWalks_ && isothermWalks_->vapourSearchDeferred) {
        // The vapour search put off (pressureRootsFromTP): taken where a
        // bracket of a root the scan may keep lies above the root found.
        isothermWalks_->vapourSearchDeferred = false;
        const double above = isothermWalks_->deferredAbove;
        if (std::any_of(brackets.begin(), brackets.end(),
                        [&](const ScanBracket& br) { return br.Vb > above && mayKeep(br); })) {
            if (pressureRootFromTP(1, T_, P_bar, V_, G_)) keepPressureRoot(found, T_, P_bar, V_, G_);
            temperature(T_);
        }
    }
    for (const ScanBracket& br : brackets) {
        // Where P is shown monotone across the step, a rising P has its
        // root mechanically unstable (no state: acceptRoot refuses it), and
        // a falling P's one root is a root found already where one lies in
        // the step.
        if (!mayKeep(br)) continue;
        if (pressureRootInBracket(T_, P_bar, br.Va, br.Vb, V_, G_))
            keepPressureRoot(found, T_, P_bar, V_, G_, offBranch);
        temperature(T_);
    }
}

FluidPhase::PhaseRoots FluidPhase::pressureRootsFromTP(double T_, double P_bar) {
    KeptPressureRoots& k = keptPressureRoots;
    // (A mixture's model at one end, as the solvent's density at the
    // corresponding state is judged, twice for a curve row, is a pure fluid.)
    const bool keeps = k.model == this && std::count_if(x.begin(), x.end(), [](double xi) { return xi != 0.0; }) == 1;
    if (keeps && k.kept && k.T == T_ && k.P == P_bar && k.revision == parameterRevision() && k.x == x) {
        temperature(T_);
        errorflag = k.roots.liquid.found || k.roots.vapour.found ? 0 : 1;
        return k.roots;
    }
    // The searches, the checks of their roots and the scan walk the same
    // isotherm: each walk's verdict and the stretches it showed stable are
    // kept through this search (fluid/IsothermWalks.h).
    IsothermWalks walks;
    struct Held {
        IsothermWalks*& held;
        IsothermWalks* const before;
        ~Held() { held = before; }
    } const holding{isothermWalks_, isothermWalks_};
    isothermWalks_ = &walks;
    std::vector<PhaseRoot> found;
    double V_ = 0.0, G_ = 0.0;
    if (pressureRootFromTP(2, T_, P_bar, V_, G_)) keepPressureRoot(found, T_, P_bar, V_, G_);
    // The vapour search gives the vapour branch's root, else the liquid
    // branch's.  A mixture's, where the liquid search found a root on a
    // branch and the scan follows, is put off until the scan has its
    // brackets: the vapour branch's root lies above the liquid search's
    // root on a stable stretch, where the scan brackets it; where no bracket
    // of a root the scan may keep lies above it, the vapour search's root
    // is the one found already or none (scanPressureRoots).  (The scan sees
    // the pressure of a model made of terms only: a closed form without
    // them searches as before.)
    const bool mixture = std::count_if(x.begin(), x.end(), [](double xi) { return xi > 0.0; }) > 1;
    bool deferred = mixture && !interactions.empty() && found.size() == 1 && stablePressureRootCount(T_, P_bar) == 0;
    auto vapourSearch = [&] {
        if (pressureRootFromTP(1, T_, P_bar, V_, G_)) keepPressureRoot(found, T_, P_bar, V_, G_);
    };
    if (!deferred) vapourSearch();
    // The volume searches start from one volume each and may both end on
    // the same root: the scan finds the others.  Through a curve, where the
    // isotherm of the composition has one stable root at P (its scan once
    // for the curve), a root found is that root and the scan finds no other.
    KeptTrialRoots::Trial* feed = keeps ? nullptr : keptTrialAt(*this, T_, P_bar, true);
    if (feed && !found.empty()) {
        feed->V[0] = found.front().V;
        feed->P = P_bar;
    }
    if (deferred && feed && feed->holds(P_bar)) {
        deferred = false;
        vapourSearch();
    }
    walks.vapourSearchDeferred = deferred;
    walks.deferredAbove = deferred ? found.front().V : 0.0;
    // Where the model counts the isotherm's stable roots in closed form and
    // the searches found as many, the scan would find none other.
    const bool allFound = (feed && feed->holds(P_bar) && !found.empty()) ||
                          (!found.empty() && stablePressureRootCount(T_, P_bar) == static_cast<int>(found.size()));
    std::vector<PhaseRoot> offBranch;
    if (!allFound) scanPressureRoots(T_, P_bar, kFullScanSteps, found, component_count > 1 ? &offBranch : nullptr);
    if (walks.vapourSearchDeferred) {
        // (No brackets were sought.)
        walks.vapourSearchDeferred = false;
        vapourSearch();
    }
    PhaseRoots r = rootsOf(found);
    withStableOffBranchRoot(r, offBranch);
    errorflag = r.liquid.found ? 0 : 1;
    if (keeps) {
        k.kept = true;
        k.T = T_;
        k.P = P_bar;
        k.revision = parameterRevision();
        k.x = x;
        k.roots = r;
    }
    return r;
}

void holdPressureRoots(const FluidPhase* model) {
    keptPressureRoots = KeptPressureRoots{};
    keptPressureRoots.model = model;
    keptTrialRoots = KeptTrialRoots{};
    keptTrialRoots.model = model;
}

int FluidPhase::namePhase(const PhaseRoots& r, double V_, double P_bar) {
    if (r.liquid.found && r.vapour.found)
        return std::fabs(V_ - r.liquid.V) < std::fabs(V_ - r.vapour.V) ? kPhaseLiquid : kPhaseVapour;
    return singleRootPhase(V_, P_bar);
}

int FluidPhase::singleRootPhase(double V_, double P_bar) {
    // Named from a pure fluid's own critical point; from the start of its
    // search (which the model sets close to it) when none is found there,
    // and in a mixture.
    double Tc = 0.0, Pc = 0.0, Vc = 0.0;
    const double T_ = T;
    if (component_count == 1 && modelCriticalPoint(Tc, Pc)) {
        Vc = keptCritical_.V;
    } else if (critical_T > 0.0 && critical_V > 0.0) {
        Tc = critical_T;
        Vc = critical_V;
        if (T_ >= Tc) {
            temperature(critical_T);
            volume(critical_V);
            calculate_pressure();
            Pc = P;
            temperature(T_);
            pressure(P_bar);
        }
    } else {
        return kPhaseFluid;
    }
    if (T_ < Tc) return V_ < Vc ? kPhaseLiquid : kPhaseVapour;
    return P_bar * 1e5 >= Pc ? kPhaseSupercritical : kPhaseVapour;
}

const char* FluidPhase::phaseName(int phase) {
    switch (phase) {
    case kPhaseVapour: return "vapour";
    case kPhaseLiquid: return "liquid";
    case kPhaseSupercritical: return "supercritical fluid";
    case kPhaseFluid: return "fluid";
    default: return "no phase";
    }
}

bool FluidPhase::withDiluteGasRoot(double T_, double P_bar, PhaseRoots& r) {
    // Where the model's gas at R T / P, thousands of times the best root's
    // volume, is nearly ideal (Z within 1 % of 1), a vapour root lies there
    // with sum x ln phi within about as much of 0: a root found of higher
    // Gibbs energy is no stable state.  The searches of the branches may miss
    // it at low pressures: it is found from R T / P.  False where it is not
    // found, or the model cannot be evaluated that far out.
    const PhaseRoot& best = r.vapour.found && r.vapour.G < r.liquid.G ? r.vapour : r.liquid;
    const double Vig = R * T_ / (P_bar * 1e5);
    if (!(best.G > 0.05 * R * T_) || !(Vig > 1e3 * best.V)) return true;
    errorflag = 0;
    temperature(T_);
    volume(Vig);
    calculate_fixed_parameters();
    calculate_pressure();
    if (errorflag || !std::isfinite(Z)) return false;
    if (!(std::fabs(Z - 1.0) < 0.01)) return true;  // no dilute gas there: the roots found stand
    pressure(P_bar);
    calculateMolarVolumeFrom(Vig);
    double V_ = 0.0, G_ = 0.0;
    if (errorflag || !acceptRoot(*this, P_bar, V_, G_) || !(G_ < best.G) || !(V_ > best.V)) return false;
    if (r.vapour.found) r.liquid = best;  // the denser root stays as the other one
    r.vapour = PhaseRoot{true, V_, G_};
    errorflag = 0;
    return true;
}

FluidPhase::StableState FluidPhase::stableStateFromRoots(PhaseRoots r, double T_, double P_bar) {
    StableState s;
    if (!r.liquid.found && !r.vapour.found) {
        errorflag = 1;
        return s;
    }
    if (!withDiluteGasRoot(T_, P_bar, r)) {
        platform::diagf("No state of the %s found at %g K and %g bar: the root found, at %g cm3/mol, lies above "
                        "the ideal gas in Gibbs energy, and the model's vapour there, nearly the ideal gas at %g "
                        "m3/mol, is not found.\n",
                        component_count == 1 ? "fluid" : "mixture", T_, P_bar,
                        (r.liquid.found ? r.liquid.V : r.vapour.V) * 1e6, R * T_ / (P_bar * 1e5));
        errorflag = 1;
        return s;
    }
    const PhaseRoot* best = r.liquid.found ? &r.liquid : &r.vapour;
    const PhaseRoot* other = nullptr;
    if (r.liquid.found && r.vapour.found) {
        other = &r.vapour;
        if (r.vapour.G < r.liquid.G) std::swap(best, other);
    }
    s.phase = namePhase(r, best->V, P_bar);
    if (other) {
        s.otherPhase = namePhase(r, other->V, P_bar);
        s.otherV = other->V;
    }
    setStateFromTPV(T_, P_bar, best->V);
    return s;
}

bool FluidPhase::saturationByExpansion(double T_, double& psat_Pa, double& Vl, double& Vv) {
    // A shifted or capillary system is not the plain fluid's coexistence.
    return T_shift == 0.0 && P_shift == 0.0 && capillary_mode == 0 && useSaturationExpansion &&
           saturationFromExpansion(T_, psat_Pa, Vl, Vv);
}

bool FluidPhase::saturationNearCritical(double T_, double& psat_Pa, double& Vl, double& Vv) {
    // Within 1e-4 K of the critical temperature, where the expansions end
    // and the equilibrium itself can no longer be solved to rounding (the
    // isotherm's loop is a few pascals deep), the saturation state from the
    // top of the expansions (T0, P0, rho_l0, rho_v0) and the critical point
    // by the laws of the approach to it of an analytic equation of state:
    // ln psat linear in T, the densities rho_c +- a (Tc - T)^(1/2).  It
    // tells the side of psat (off by parts in 1e8 of psat, far inside the
    // band where both roots are compared) and the start of each side's
    // search: the roots are the model's own.
    if (T_shift != 0.0 || P_shift != 0.0 || capillary_mode != 0 || !useSaturationExpansion) return false;
    const SaturationExpansion* e = saturationExpansion();
    double Tc = 0.0, Pc = 0.0, P0 = 0.0, Vl0 = 0.0, Vv0 = 0.0;
    if (!e || e->empty() || !(T_ > e->Tmax) || !modelCriticalPoint(Tc, Pc) || !(T_ < Tc) || !(Tc > e->Tmax) ||
        !e->evaluate(e->Tmax, P0, Vl0, Vv0))
        return false;
    const double s = (Tc - T_) / (Tc - e->Tmax), root = std::sqrt(s), rhoc = 1.0 / keptCritical_.V;
    psat_Pa = Pc * std::pow(P0 / Pc, s);
    Vl = 1.0 / (rhoc + (1.0 / Vl0 - rhoc) * root);
    Vv = 1.0 / (rhoc + (1.0 / Vv0 - rhoc) * root);
    return psat_Pa > 0.0 && std::isfinite(psat_Pa) && Vl > 0.0 && Vv > Vl && std::isfinite(Vv);
}

bool FluidPhase::saturationOfThePlainFluid(double T_, double& psat_Pa, double& Vl, double& Vv) {
    return saturationByExpansion(T_, psat_Pa, Vl, Vv) || saturationNearCritical(T_, psat_Pa, Vl, Vv);
}

bool FluidPhase::saturationForStablePhase(double T_, double& psat_Pa, double& Vl, double& Vv) {
    if (T_shift != 0.0 || P_shift != 0.0 || capillary_mode != 0) return false;
    // The expansions of the model's own saturation curve, where it has them.
    if (saturationOfThePlainFluid(T_, psat_Pa, Vl, Vv)) return true;
    constexpr double kReach = 1e-5;  // of Tc below it
    if (usePureFluidShortcuts && saturationApproachingCritical(T_, psat_Pa, Vl, Vv, kReach)) return true;
    KeptSaturation& k = keptSaturation_;
    if (!(usePureFluidShortcuts && k.kept && k.T == T_ && k.revision == parameterRevision() && k.x == x)) {
        const KeptFields kept(*this);
        k = KeptSaturation{};
        k.found = (usePureFluidShortcuts && saturationFromCriticalApproach(T_)) || saturationStateAt(T_);
        k.psat = Pv_sat;
        k.Vl = Vl_sat;
        k.Vv = Vv_sat;
        k.kept = true;
        k.T = T_;
        k.revision = parameterRevision();
        k.x = x;
    }
    psat_Pa = k.psat;
    Vl = k.Vl;
    Vv = k.Vv;
    return k.found && psat_Pa > 0.0 && std::isfinite(psat_Pa) && Vl > 0.0 && Vv > Vl && std::isfinite(Vv);
}

// Whether P (Pa) lies beyond the pressures of the isotherm's loop at T_,
// within 1e-5 below the critical temperature where the approach gives
// it: between the spinodals the loop spans psat -+ (2/3) |P_TV t| v_s,
// v_s = (-2 P_TV t / P_VVV)^(1/2); beyond ten times that distance from
// psat the isotherm has no metastable root.  False elsewhere.
bool FluidPhase::beyondCriticalLoop(double T_, double P_Pa) {
    constexpr double kReach = 1e-5, kMargin = 10.0;
    double psat = 0.0, Vl = 0.0, Vv = 0.0;
    if (!usePureFluidShortcuts || !saturationApproachingCritical(T_, psat, Vl, Vv, kReach)) return false;
    const double t = keptCritical_.T - T_, vs = 0.5 * (Vv - Vl) / std::sqrt(3.0);
    return std::fabs(P_Pa - psat) > kMargin * (2.0 / 3.0) * std::fabs(keptCritical_.dPdTdV) * t * vs;
}

bool FluidPhase::saturationFromCriticalApproach(double T_) {
    // Within a relative 2e-2 below the critical temperature the laws of the
    // approach give the saturated volumes to a few percent of their
    // distance from the critical volume: the equilibrium's Newton search
    // from them, where the model's own starts fail.
    constexpr double kStartReach = 2e-2;
    double psat = 0.0, Vl = 0.0, Vv = 0.0;
    if (!saturationApproachingCritical(T_, psat, Vl, Vv, kStartReach)) return false;
    major_component = static_cast<short>(getMajorComponentIndex());
    Vl0 = Vl;
    Vv0 = Vv;
    temperature(T_);
    calculate_saturation_pressure();
    return errorflag == 0 && Vl_sat > 0.0 && Vv_sat > Vl_sat;
}

// Close below the model's own critical temperature (within a relative
// `reach`) of a model without saturation expansions: psat and the saturated
// volumes by the laws of the approach to the critical point of an
// analytic equation of state, from the model's derivatives there,
//     P = Pc + P_T t + P_TV t v + P_VVV v^3 / 6   (t = T - Tc, v = V - Vc),
// whose loop the equal areas cut at psat = Pc + P_T t, the saturated
// volumes at v = -+ (6 P_TV t / P_VVV)^(1/2); false elsewhere.  Off psat by
// parts in 1e9, it tells the side of psat and the starts of the sides'
// searches (the roots are the model's own), where the loop is too
// shallow for the equilibrium to be solved (within 1e-5 of Tc).
bool FluidPhase::saturationApproachingCritical(double T_, double& psat_Pa, double& Vl, double& Vv, double reach) {
    double Tc = 0.0, Pc = 0.0;
    if (component_count != 1 || saturationExpansion() || !modelCriticalPoint(Tc, Pc) || !(T_ < Tc) ||
        !(Tc - T_ <= reach * Tc))
        return false;
    KeptCriticalPoint& c = keptCritical_;
    if (!c.approach) {
        const KeptFields kept(*this);
        c.approach = true;
        errorflag = 0;
        temperature(c.T);
        volume(c.V);
        calculate_critical_parameters_of_pure_fluid();
        // P_T = -A_TV, P_TV = -A_TVV, P_VVV = -A_VVVV.
        const double PTV = -d3AdTdV2, PVVV = -d4AdV4;
        c.dPdT = -d2AdTdV;
        c.dPdTdV = PTV;
        c.spread = errorflag == 0 && PTV < 0.0 && PVVV < 0.0 && std::isfinite(c.dPdT) ? std::sqrt(6.0 * PTV / PVVV)
                                                                                       : std::nan("");
        errorflag = 0;
    }
    if (!std::isfinite(c.spread)) return false;
    const double dV = c.spread * std::sqrt(Tc - T_);
    psat_Pa = Pc - c.dPdT * (Tc - T_);
    Vl = c.V - dV;
    Vv = c.V + dV;
    return psat_Pa > 0.0 && std::isfinite(psat_Pa) && Vl > 0.0 && Vv > Vl;
}

namespace {

// The model's critical point is searched in T and V, and a volume search
// holds its terms' trees at its temperature (only their V dependence is
// evaluated again): asked for first inside one (which root of a kind's
// branch, near Tc), the point is searched with the hold lifted and the hold
// taken up again after it, so that the point kept does not depend on where
// it was first asked for.
class VolumeSearchLifted {
public:
    explicit VolumeSearchLifted(FluidPhase& p) : p_(p) {
        for (Interaction* t : p_.interactions) lifted_ = lifted_ || (t && t->inVolumeSearch());
        if (!lifted_) return;
        for (Interaction* t : p_.interactions)
            if (t) t->endVolumeSearch();
        if (p_.ideal) p_.ideal->endVolumeSearch();
    }
    ~VolumeSearchLifted() {
        if (!lifted_) return;
        for (Interaction* t : p_.interactions)
            if (t) t->beginVolumeSearch();
        if (p_.ideal) p_.ideal->beginVolumeSearch();
    }
    VolumeSearchLifted(const VolumeSearchLifted&) = delete;
    VolumeSearchLifted& operator=(const VolumeSearchLifted&) = delete;

private:
    FluidPhase& p_;
    bool lifted_ = false;
};

}  // namespace

bool FluidPhase::keptModelCriticalPoint() {
    if (!(critical_T > 0.0) || !(critical_V > 0.0) || !std::isfinite(critical_T) || !std::isfinite(critical_V))
        return false;
    KeptCriticalPoint& k = keptCritical_;
    // Valid while the model is the one it was searched on: no evaluation
    // of the model is needed to tell.
    if (k.searched && k.startT == critical_T && k.startV == critical_V && k.revision == parameterRevision() &&
        k.x == x)
        return k.found;
    const VolumeSearchLifted lifted(*this);
    const KeptFields kept(*this);
    k = KeptCriticalPoint{};
    k.searched = true;
    k.startT = critical_T;
    k.startV = critical_V;
    k.revision = parameterRevision();
    k.x = x;
    k.found = criticalConditionsFrom(critical_T, critical_V, false) && T > 0.0 && std::isfinite(T) && P > 0.0 &&
              std::isfinite(P);
    k.T = T;
    k.P = P;
    k.V = V;
    return k.found;
}

bool FluidPhase::modelCriticalPoint(double& Tc, double& Pc, double* Vc) {
    if (!keptModelCriticalPoint()) return false;
    Tc = keptCritical_.T;
    Pc = keptCritical_.P;
    if (Vc) *Vc = keptCritical_.V;
    return true;
}

// The root of the liquid or the vapour side of psat (Pa) at (T_, P_bar),
// the model left in it: searched from the side's saturated volume, else
// by the search of the side's phase kind; false when neither finds a
// root beyond the saturated volume (nearSaturation: nearer the side's
// saturated volume than the other's, a metastable root included).
bool FluidPhase::rootFromSaturatedVolume(double T_, double P_bar, bool liquid, double Vl, double Vv,
                                         double psat, bool nearSaturation) {
    // Newton from the saturated volume of the root's side: a compressed
    // liquid lies on the isotherm's liquid branch denser than the saturated
    // liquid, a superheated vapour on its vapour branch lighter than the
    // saturated vapour, and neither branch turns beyond its saturated volume,
    // so that a mechanically stable root there is the branch's root without a
    // walk along it (near psat the metastable root lies a step short of the
    // saturated volume, on the same branch).  The vapour starts from the
    // compressibility factor linear in P between the ideal gas and the
    // saturated vapour (a second virial coefficient's law), the liquid from
    // the saturated liquid.
    const double Pt = P_bar * 1e5;
    const double start = liquid ? Vl : vapourOnChord(T_, Pt, psat, Vv);
    temperature(T_);
    pressure(P_bar);
    rootBeforeItsState(start);
    return !errorflag && std::isfinite(V) && V > 0.0 && dPdV < 0.0 && onSideOf(V, liquid, Vl, Vv, nearSaturation);
}

bool FluidPhase::sideRootInBracket(double T_, double P_bar, bool liquid, double Vl, double Vv) {
    // Beyond its saturated volume a side's branch is monotonic (the
    // pressure rises from psat as the liquid is compressed, falls from it
    // as the vapour expands): from the saturated volume outwards in steps
    // of a factor 2 in V (the liquid down to its co-volume, the vapour up to
    // ten times the ideal-gas volume) to where P(V) - P changes sign.  The
    // liquid's steps end just above the co-volume, where the model still
    // gives a pressure (at the co-volume itself it gives none).  A step
    // whose pressure does not move on (rise for the liquid, fall for the
    // vapour), or where the model gives none, has passed the end of the
    // branch, where an equation turns over far beyond its range (IUPAC
    // methane near 7 kbar, at 2.76e-5 m3/mol): it is halved (in ln V).
    const double Pt = P_bar * 1e5, Vlow = std::fmax(1.001 * coVolume(), 1e-7), Vhigh = 10.0 * R * T_ / Pt;
    temperature(T_);
    auto pressureAt = [&](double v, double& p) {
        volume(v);
        errorflag = 0;
        calculate_pressure();
        p = P;
        return !errorflag && std::isfinite(P);
    };
    constexpr int kHalvings = 40;
    double a = liquid ? Vl : Vv, c = a, Pa = 0.0, Pc = 0.0;
    bool b = false;
    // At the saturated volume P lies on the other side of P(V): none
    // beyond it otherwise.
    if (!pressureAt(a, Pa) || (Pa < Pt) != liquid) return false;
    bool plainStep = true;  // the last step a factor 2
    for (int k = 0; k < 64; ++k) {
        c = liquid ? std::fmax(0.5 * a, Vlow) : std::fmin(2.0 * a, Vhigh);
        plainStep = c == (liquid ? 0.5 * a : 2.0 * a);
        bool on = false;
        for (int h = 0; h < kHalvings && !on; ++h) {
            on = pressureAt(c, Pc) && (liquid ? Pc > Pa : Pc < Pa);
            if (!on) {
                c = std::sqrt(a * c);
                plainStep = false;
            }
        }
        if (!on) return false;
        b = Pc < Pt;
        if (b != liquid) break;  // past P: the liquid above it, the vapour below
        if (c == (liquid ? Vlow : Vhigh)) return false;
        a = c;
        Pa = Pc;
    }
    if (b == liquid) return false;
    // Newton from the outer end, else bisection.  The outer end of the
    // liquid's bracket lies on the convex part of the isotherm (denser than
    // the critical density, where P - Pc goes as the cube of the density's
    // excess), from which Newton's steps approach the root from one side.
    // An outer end moved by the co-volume or by the end of the branch may
    // lie where the isotherm turns, and Newton starts from the volume where
    // the chord between the bracket's ends crosses P instead.
    const double lo = std::fmin(a, c), hi = std::fmax(a, c);
    double V_ = 0.0, G_ = 0.0;
    pressure(P_bar);
    rootBeforeItsState(plainStep ? c : a + (Pt - Pa) * (c - a) / (Pc - Pa));
    if (!errorflag && V >= lo && V <= hi && acceptRoot(*this, P_bar, V_, G_)) return true;
    return pressureRootInBracket(T_, P_bar, lo, hi, V_, G_) && !errorflag;
}

bool FluidPhase::sideRoot(double T_, double P_bar, bool liquid, double Vl, double Vv, double psat,
                          bool nearSaturation) {
    if (rootFromSaturatedVolume(T_, P_bar, liquid, Vl, Vv, psat, nearSaturation)) return true;
    // So close to the critical point that the loop of the isotherm is
    // shallower than the solvers' tolerance on P, the Newton steps from the
    // saturated volumes, where the isotherm is flat, overshoot: the root
    // beyond the saturated volume is bracketed instead, and there is no
    // metastable root to walk to.  So is a compressed liquid's far from
    // psat (CO2 and CH4 near Tc at a kilobar, where Newton's first step from
    // the flat isotherm at the saturated liquid lands below the co-volume).
    if (Vv < kShallowLoop * Vl) return sideRootInBracket(T_, P_bar, liquid, Vl, Vv);
    if (liquid && !nearSaturation && sideRootInBracket(T_, P_bar, liquid, Vl, Vv)) return true;
    // Else the search of the side's phase kind, walking its branch.
    double V_ = 0.0, G_ = 0.0;
    return pressureRootFromTP(liquid ? 2 : 1, T_, P_bar, V_, G_) && onSideOf(V_, liquid, Vl, Vv, nearSaturation);
}

bool FluidPhase::stableStateBelowCritical(double T_, double P_bar, bool withOtherRoot, double psat, double Vl,
                                          double Vv, StableState& s) {
    const double Pt = P_bar * 1e5;
    double V_ = 0.0, G_ = 0.0, Vo = 0.0, Go = 0.0;
    if (std::fabs(Pt - psat) <= kSaturationBand * psat) {
        // Both roots, each nearer its own saturated volume (in ln V) than
        // the other's; the one of lower Gibbs energy is the stable phase.
        // The side of psat tells which one that is but for the saturation
        // pressure's own error: the other root is found first and only its
        // Gibbs energy taken, then the expected one with its whole state.
        // Close to the critical point a spinodal lies within the band: the
        // metastable root has ended there and the one root left, on either
        // side, is the state (named by its side, not by a volume of the
        // critical point's start).
        const bool expectLiquid = Pt > psat;
        double Ve = 0.0, Ge = 0.0;
        const bool otherFound = sideRoot(T_, P_bar, !expectLiquid, Vl, Vv, psat, true);
        Vo = V;
        Go = otherFound ? rootGibbsEnergy(Pt) : std::nan("");
        if (otherFound && (errorflag || !std::isfinite(Go))) return false;
        if (!sideRoot(T_, P_bar, expectLiquid, Vl, Vv, psat, true) || !acceptRoot(*this, P_bar, Ve, Ge)) {
            if (!otherFound) return false;
            setStateFromTPV(T_, P_bar, Vo);
            s.phase = expectLiquid ? kPhaseVapour : kPhaseLiquid;
            return true;
        }
        if (!otherFound) {
            s.phase = expectLiquid ? kPhaseLiquid : kPhaseVapour;
            return true;  // the model is in the expected root, fugacities included
        }
        const double Vliq = expectLiquid ? Ve : Vo, Vvap = expectLiquid ? Vo : Ve;
        const double Gliq = expectLiquid ? Ge : Go, Gvap = expectLiquid ? Go : Ge;
        const bool liquid = !(Gvap < Gliq);
        s.phase = liquid ? kPhaseLiquid : kPhaseVapour;
        s.otherPhase = liquid ? kPhaseVapour : kPhaseLiquid;
        s.otherV = liquid ? Vvap : Vliq;
        // The model is in the expected root's state, fugacities included.
        if (liquid != expectLiquid) setStateFromTPV(T_, P_bar, liquid ? Vliq : Vvap);
        return true;
    }
    // Compressed liquid above the saturation pressure, superheated vapour
    // below it: the root of that side.
    const bool liquid = Pt > psat;
    if (!sideRoot(T_, P_bar, liquid, Vl, Vv, psat, false) || !acceptRoot(*this, P_bar, V_, G_)) return false;
    s.phase = liquid ? kPhaseLiquid : kPhaseVapour;
    if (!withOtherRoot) return true;  // the model is in the root, fugacities included
    // Close to the critical point the loop may not reach P: no other root.
    if (!beyondCriticalLoop(T_, Pt) && metastableRoot(T_, P_bar, liquid ? Vv : Vl, liquid, Vl, Vv, Vo)) {
        s.otherPhase = liquid ? kPhaseVapour : kPhaseLiquid;
        s.otherV = Vo;
    }
    setStateFromTPV(T_, P_bar, V_);
    return true;
}

bool FluidPhase::metastableRoot(double T_, double P_bar, double start, bool vapour, double Vl, double Vv,
                                double& V_) {
    // The metastable root lies between the saturated volumes, on the branch
    // of its side (a subcooled vapour between its spinodal and the saturated
    // vapour, a superheated liquid between the saturated liquid and its
    // spinodal), the one root there that is mechanically stable: searched
    // from the saturated volume of that branch.
    auto onItsBranch = [&](double v) {
        const bool between = vapour ? v > Vl * (1.0 + kBeyondSaturation) && v <= Vv * (1.0 + kBeyondSaturation)
                                    : v >= Vl * (1.0 - kBeyondSaturation) && v < Vv * (1.0 - kBeyondSaturation);
        return between && rootOnABranch(T_, P_bar, v);
    };
    // A search from the saturated volume, else the walk from it along the
    // branch, in steps of 1 % in V, to where P - P(V) changes sign (then
    // bisected, as the scan does) or to where the pressure turns within a
    // step of 1e-5 (the spinodal: no metastable root).  The walk is taken
    // first: where it ends at the spinodal the branch has no root, and the
    // search is not needed.
    //
    // The walk first strides kStride of its steps at a time while the
    // pressure keeps rising towards the pressure asked for (falling, for
    // the liquid), and takes its single steps from one stride before the
    // first that does not: where the pressure along the branch turns once
    // (at the spinodal) the single steps are those of a walk from the
    // saturated volume, the same volumes (each the one before times the
    // step) and the same verdict.
    double G_ = 0.0, a = start, b = start;
    if (!crossingOnBranch(T_, P_bar, vapour, a, b)) {
        errorflag = 0;
        return false;
    }
    temperature(T_);
    pressure(P_bar);
    rootBeforeItsState(start);
    if (!errorflag && std::isfinite(V) && V > 0.0 && acceptRoot(*this, P_bar, V_, G_) && onItsBranch(V_)) return true;
    return pressureRootInBracket(T_, P_bar, std::fmin(a, b), std::fmax(a, b), V_, G_) && onItsBranch(V_);
}

bool FluidPhase::crossingOnBranch(double T_, double P_bar, bool vapour, double& a, double& b) {
    const double Pt = P_bar * 1e5;
    double factor = vapour ? 1.0 / kBranchStep : kBranchStep;
    temperature(T_);
    auto pressureAt = [&](double v, double& p) {
        volume(v);
        errorflag = 0;
        calculate_pressure();
        p = P;
        return !errorflag && std::isfinite(p);
    };
    auto towardsPt = [&](double p, double from) { return vapour ? p > from && !(p > Pt) : p < from && !(p < Pt); };
    double Pa = vapour ? -HUGE_VAL : HUGE_VAL;
    int k = 0;
    {
        double c = a, Pc = Pa;
        for (int kc = 0; kc + kStride < kBranchSteps; kc += kStride) {
            double v = c, Pv = 0.0;
            for (int i = 0; i < kStride; ++i) v *= factor;
            if (!pressureAt(v, Pv) || !towardsPt(Pv, Pc)) break;
            a = c;
            Pa = Pc;
            k = kc;
            c = v;
            Pc = Pv;
        }
    }
    for (; k < kBranchSteps; ++k) {
        b = a * factor;
        double Pb = 0.0;
        if (!pressureAt(b, Pb)) break;
        if (vapour ? !(Pb > Pa) : !(Pb < Pa)) {
            // Past the turn of the pressure: close to the critical point the
            // branch is short, and is walked again from a in smaller steps.
            if (std::fabs(std::log(factor)) < kFinestBranchStep) break;
            factor = std::sqrt(factor);
            continue;
        }
        if (vapour ? Pb > Pt : Pb < Pt) return true;
        a = b;
        Pa = Pb;
    }
    return false;
}

bool FluidPhase::denseRootAboveCritical(double T_, double P_bar) {
    // The one root of a supercritical isotherm above the critical pressure,
    // searched from the volume of the virial equation truncated after its
    // second coefficient, V = R T / P + B(T), but no smaller than half the
    // critical volume (where the truncated series fails, far above Pc):
    // nearer the root than the critical volume the dense kind's search
    // starts from (nitrogen from 1.1 to 2 Tc and Pc to 1 kbar: 6.7 Newton
    // steps instead of 10.1; water 5.8 instead of 9.1).  B = (Z - 1) V at a
    // volume a thousand times that of the ideal gas at 1 bar.
    if (!(keptCritical_.V > 0.0)) return false;
    temperature(T_);
    pressure(P_bar);
    calculate_fixed_parameters();
    const double start = secondVirialVolume(0.5 * keptCritical_.V);
    if (!std::isfinite(start)) return false;
    rootBeforeItsState(start);
    double V_ = 0.0, G_ = 0.0;
    return !errorflag && std::isfinite(V) && V > 0.0 && acceptRoot(*this, P_bar, V_, G_);
}

double FluidPhase::secondVirialVolume(double Vfloor) {
    // At the T and P (Pa) the model holds, its fixed parameters set.
    double f = 0.0, dfdV = 0.0;
    error = 0;
    equationForCalculating_V_FromTP(1e3 * R * T / 1e5, f, dfdV);
    const double B = (Z - 1.0) * V;
    const bool failed = error != 0 || !std::isfinite(B);
    error = 0;
    return failed ? std::nan("") : std::fmax(R * T / P + B, Vfloor);
}

bool FluidPhase::stableStateAboveCritical(double T_, double P_bar, double Pc, StableState& s) {
    // One root: the search of the dense kind above the critical pressure
    // (from the virial start first), of the vapour kind below it, or else a
    // coarse scan.
    std::vector<PhaseRoot> found;
    double V_ = 0.0, G_ = 0.0;
    const bool dense = P_bar * 1e5 >= Pc;
    if ((dense && denseRootAboveCritical(T_, P_bar)) || pressureRootFromTP(dense ? 2 : 1, T_, P_bar, V_, G_)) {
        // Above the model's own critical temperature: supercritical at or
        // above its critical pressure, a vapour below.  The model is in the
        // root, fugacities included.
        s.phase = dense ? kPhaseSupercritical : kPhaseVapour;
        return true;
    }
    scanPressureRoots(T_, P_bar, kCoarseScanSteps, found);
    if (found.empty()) return false;
    s = stableStateFromRoots(rootsOf(found), T_, P_bar);
    return s.phase != kPhaseNone && errorflag == 0;
}

// A cubic's mechanically stable roots at T (K) and P (bar) for its one
// component, in closed form, ascending in volume into `roots` (two where the
// isotherm has a loop that spans P, the liquid and the vapour; else one):
// their number, 0 where the model cannot give them (no data, no root), -1
// where it has no closed form.  The stable state of a pure fluid takes the
// root of lower Gibbs energy from them, with no saturation solve or scan of
// the isotherm.
int FluidPhase::closedFormRoots(double, double, ClosedFormRoot[2]) { return -1; }
// The residual terms of a pure fluid at T (K) and V (m3/mol) in closed form,
// in the order of its terms, into `terms` (one for each term): their number,
// 0 where the model has no closed form of them (its terms are then
// evaluated).  The stable state of a pure fluid from its closed-form roots
// takes its state functions from them and from the ideal-gas part.
int FluidPhase::closedFormResidualTerms(double, double, TermInClosedForm[2]) { return 0; }

bool FluidPhase::stableStateFromClosedForm(double T_, double P_bar, bool withOtherRoot, StableState& s) {
    // A shifted or capillary system is not the plain fluid's isotherm.
    if (!usePureFluidShortcuts || T_shift != 0.0 || P_shift != 0.0 || capillary_mode != 0) return false;
    ClosedFormRoot r[2];
    const int n = closedFormRoots(T_, P_bar, r);
    if (n < 1 || n > 2) return false;
    double Tc = 0.0, Pc = 0.0;
    const bool below = modelCriticalPoint(Tc, Pc) && T_ < Tc;
    // Of a liquid and a vapour root the one of lower Gibbs energy, the
    // liquid where they tie, as the comparison of both roots near psat
    // takes it; above the model's critical temperature (a loop left by its
    // critical point's own error, within parts in 1e12 of it) one root.
    const bool two = n == 2 && below;
    const int best = n == 2 && r[1].lnPhi < r[0].lnPhi ? 1 : 0;
    // Named before the model is put in the root (the name of a single root
    // may evaluate the model at the start of its critical-point search).
    temperature(T_);
    const int phase = two ? (best == 0 ? kPhaseLiquid : kPhaseVapour) : singleRootPhase(r[best].V, P_bar);
    if (!setStateFromClosedFormTerms(T_, P_bar, r[best].V)) setStateFromTPV(T_, P_bar, r[best].V);
    if (errorflag || !(V > 0.0)) {
        errorflag = 0;
        return false;
    }
    s = StableState{};
    s.phase = phase;
    // The other root is named where it is asked for, and within the band of
    // the saturation pressure where the searches compare both roots: there
    // the Gibbs energies differ by (V_v - V_l)(P - psat).
    const double Pt = P_bar * 1e5, dG = R * T_ * std::fabs(r[1].lnPhi - r[0].lnPhi);
    if (two && (withOtherRoot || dG <= kSaturationBand * Pt * (r[1].V - r[0].V))) {
        s.otherPhase = best == 0 ? kPhaseVapour : kPhaseLiquid;
        s.otherV = r[1 - best].V;
    }
    return true;
}

// The root of lowest Gibbs energy at (T, P): the model is left in it with
// its state functions and fugacities; errorflag set when there is none.
// Below the model's critical temperature a pure fluid's stable phase is
// the liquid above its saturation pressure and the vapour below it: one
// volume search on that side, both roots and their Gibbs energies only
// within a relative 1e-4 of the saturation pressure; above it, one
// search.  Mixtures, models without a critical point or saturation state
// and any failure of these steps take every root of the isotherm
// (pressureRootsFromTP).  withOtherRoot also looks for the metastable
// root at (T, P) (otherPhase, otherV), at the cost of a second search.
// A cubic's pure fluid takes its closed-form roots instead
// (closedFormRoots), the other root among them.
FluidPhase::StableState FluidPhase::calculateStableStateFromTP(double T_, double P_bar, bool withOtherRoot) {
    // (A refusal met at many volumes of the isotherm is said once.)
    const platform::CallScope call;
    errorflag = 0;
    StableState s;
    bool found = false;
    if (component_count > 1 && stableStateAtPureEnd(T_, P_bar, withOtherRoot, s)) return s;
    if (component_count > 1 && closed_form_mixture::stableState(*this, T_, P_bar, s)) return s;
    if (component_count == 1 && T_ > 0.0 && std::isfinite(T_) && P_bar > 0.0 && std::isfinite(P_bar)) {
        if (stableStateFromClosedForm(T_, P_bar, withOtherRoot, s)) return s;
        double psat = 0.0, Vl = 0.0, Vv = 0.0, Tc = 0.0, Pc = 0.0;
        // The saturation expansions end just below the model's own critical
        // temperature: where they give the saturation state, T lies below it.
        if (saturationByExpansion(T_, psat, Vl, Vv))
            found = stableStateBelowCritical(T_, P_bar, withOtherRoot, psat, Vl, Vv, s);
        else if (modelCriticalPoint(Tc, Pc))
            found = T_ < Tc ? saturationForStablePhase(T_, psat, Vl, Vv) &&
                                  stableStateBelowCritical(T_, P_bar, withOtherRoot, psat, Vl, Vv, s)
                            : stableStateAboveCritical(T_, P_bar, Pc, s);
    }
    // A temperature and composition the terms refuse at every volume have
    // no root to search for.
    if (!found && component_count > 1 && termsRefuseEveryVolume(T_))
        errorflag = 1;
    else if (!found)
        s = stableStateFromRoots(pressureRootsFromTP(T_, P_bar), T_, P_bar);
    if (!errorflag) return s;
    // No state: nothing of it is given, whatever the search left of the
    // roots it tried or an earlier call left.
    T = T_;
    P = P_bar * 1e5;
    withholdState();
    return StableState{};
}

bool FluidPhase::stableStateAtPureEnd(double T_, double P_bar, bool withOtherRoot, StableState& s) {
    if (!(T_ > 0.0) || !std::isfinite(T_) || !(P_bar > 0.0) || !std::isfinite(P_bar)) return false;
    FluidPhase* end = pureEndFluid();
    if (!end) return false;
    StableState e;
    {
        // Where the fluid alone finds no state, the mixture's own search of
        // its roots says why.
        const platform::ThreadLogCapture quiet;
        end->errorflag = 0;
        e = end->calculateStableStateFromTP(T_, P_bar, withOtherRoot);
    }
    if (e.phase == kPhaseNone || end->errorflag || !(end->V > 0.0)) return false;
    // Named as the roots of the mixture's isotherm are: of two roots the
    // denser the liquid, one root by the mixture's own start (before the
    // model is put in the root: the name may evaluate it there).
    const double V_ = end->V;
    errorflag = 0;
    temperature(T_);
    s = StableState{};
    if (e.otherPhase != kPhaseNone) {
        s.phase = V_ < e.otherV ? kPhaseLiquid : kPhaseVapour;
        s.otherPhase = V_ < e.otherV ? kPhaseVapour : kPhaseLiquid;
        s.otherV = e.otherV;
    } else {
        s.phase = singleRootPhase(V_, P_bar);
    }
    setStateFromTPV(T_, P_bar, V_);
    if (!errorflag && stateIsFinite()) return true;
    errorflag = 0;
    s = StableState{};
    return false;
}

FluidPhase::StableState FluidPhase::assessStateAtTP(double T_, double P_bar) {
    StableState s;
    const double V_ = V, G_ = rootGibbsEnergy(P_bar * 1e5);
    const PhaseRoots r = pressureRootsFromTP(T_, P_bar);
    s.phase = namePhase(r, V_, P_bar);
    if (r.liquid.found && r.vapour.found) {
        const PhaseRoot& other = s.phase == kPhaseLiquid ? r.vapour : r.liquid;
        s.otherPhase = s.phase == kPhaseLiquid ? kPhaseVapour : kPhaseLiquid;
        s.otherV = other.V;
        s.metastable = other.G < G_ - 1e-12 * std::fabs(G_);
    }
    setStateFromTPV(T_, P_bar, V_);
    return s;
}
