// The roots of an isotherm at T and P: the walks along the liquid's and the
// vapour's branches and the scan of the whole isotherm that find every root
// of P(T, V) = P a mixture or a pure fluid may have, each with its Gibbs
// energy; the trial roots of the tangent-plane test; the state set from a
// root.  FluidPhaseStableState.cpp chooses the stable one among them.
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
#include "fluid/PressureRootSearch.h"
#include "fluid/PressureRootsHold.h"
#include "fluid/SaturationExpansion.h"
#include "platform/LogSink.h"

using phase_terms::sumOverTerms;
using namespace root_search;

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

}  // namespace

namespace root_search {
bool sameRoot(double a, double b) { return std::fabs(a - b) <= kSameRoot * std::fmax(a, b); }
}  // namespace root_search

namespace {

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

}  // namespace

namespace root_search {

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

}  // namespace root_search

namespace {

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

}  // namespace

namespace root_search {

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

}  // namespace root_search

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
