// The stability of a binary at T and P (the tangent-plane test the curve
// tracers and the interpreter's reports run), the two phases of its split,
// and the failure of a curve a model does not compute.
#include <algorithm>
#include <functional>
#include <cmath>
#include <utility>
#include <vector>

#include "fluid/BinaryIsothermTrace.h"
#include "fluid/BinarySide.h"
#include "fluid/ClosedFormMixture.h"
#include "fluid/ErrorFlagScope.h"
#include "fluid/FluidPhase.h"
#include "fluid/KeptFields.h"
#include "platform/LogSink.h"

// Whether a binary of the phase's composition splits into two phases at
// T (K) and P (bar): the tangent-plane distance of a trial phase to the
// fluid's stable root is negative somewhere.  The state is left at a
// trial; the composition is put back.
// `tested` (if given) is set where the test had a root of the fluid to
// hold the trials against: without one the model cannot decide.
// `trial` (if given) takes component 1's fraction in the first trial
// phase found below the tangent plane (NaN where none is).
// The tangent-plane test of Michelsen (1982): a fluid of composition z at T
// and P is stable when tpd(w) = sum_i w_i [ln f_i(w) - ln f_i(z)] >= 0 for
// every trial composition w (both roots of each), f_i(z) taken from the root
// of z of lowest Gibbs energy.  For a binary a grid of trial compositions
// finds the negative region of any split the isotherm shows.
bool FluidPhase::binarySplitsAt(double T_, double P_bar, bool* tested, double* trial) {
    if (tested) *tested = false;
    if (component_count != 2 || x.size() != 2 || !(x[0] > 0.0 && x[1] > 0.0)) return false;
    const std::vector<double> z = x;
    const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);
    const platform::ThreadLogCapture quiet;  // a trial without a root is no failure of the state
    // ln f of both components at the fluid's stable root: of every
    // mechanically stable root of its isotherm at P, the one of least Gibbs
    // energy (a root joined to neither branch among them).
    double ref[2] = {0.0, 0.0};
    bool found = false;
    closed_form_mixture::BinaryRoots closed;
    if (closed_form_mixture::binaryRoots(*this, T_, P_bar, z[1], closed, false) > 0) {
        // The root of lower Gibbs energy in closed form (the vapour's where
        // they tie, as the searches of the vapour and then the liquid kind
        // take them).
        const int k = closed.n == 2 && closed.lower(z[1], true) == 0 ? 0 : closed.n - 1;
        for (int i = 0; i < 2; ++i) ref[i] = std::log(z[i] * P_bar * 1e5) + closed.lnPhi[k][i];
        found = std::isfinite(ref[0]) && std::isfinite(ref[1]);
    } else {
        const PhaseRoots roots = pressureRootsFromTP(T_, P_bar);
        const PhaseRoot& best =
            roots.vapour.found && (!roots.liquid.found || roots.vapour.G < roots.liquid.G) ? roots.vapour : roots.liquid;
        if (best.found) {
            setStateFromTPV(T_, P_bar, best.V);
            if (!errorflag && fugacity[0] > 0.0 && fugacity[1] > 0.0) {
                ref[0] = std::log(fugacity[0]);
                ref[1] = std::log(fugacity[1]);
                found = std::isfinite(ref[0]) && std::isfinite(ref[1]);
            }
        }
    }
    composition(z.data());
    errorflag = kept.saved();
    if (tested) *tested = found;
    return found && binarySplitsAgainst(T_, P_bar, ref, trial);
}

bool FluidPhase::binarySplitsAgainst(double T_, double P_bar, const double (&ref)[2], double* trial) {
    if (component_count != 2 || x.size() != 2) return false;
    const std::vector<double> z = x;
    const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);
    const platform::ThreadLogCapture quiet;  // a trial without a root is no failure of the state
    const bool found = std::isfinite(ref[0]) && std::isfinite(ref[1]);
    // A grid of 1/40 steps, and trial compositions down to 1e-8 at both
    // ends, where a trace mixture's split lies (the vapour of a liquid with
    // a trace of a volatile component holds it at a few times its share),
    // four a decade from 1e-3 to the grid's first step (a brine of 5 % NaCl
    // at 750 K and 500 bar splits off a vapour of 1-2 %, between 3e-3 and
    // 1/40, whose distance the feed's own zero beside it would hide from
    // the narrowing); each minimum of the distance on the grid is then
    // narrowed down (golden section between its neighbours), so that a
    // split narrower than the grid's step is found too.
    constexpr double kSplit = -1e-9;
    std::vector<double> trials;
    for (int k = 1; k < 40; ++k) trials.push_back(k / 40.0);
    for (double e = 1e-8; e < 1.0 / 40; e *= e < 1e-3 ? std::sqrt(10.0) : std::sqrt(std::sqrt(10.0))) {
        trials.push_back(e);
        trials.push_back(1.0 - e);
    }
    // (and the state's own composition, whose other root may lie lower)
    if (z[1] > 0.0 && z[1] < 1.0) trials.push_back(z[1]);
    std::sort(trials.begin(), trials.end());
    // The tangent-plane distance of the trial w1 on the root found from the
    // liquid (kind 2) or the gas (kind 1) start (+inf where there is none).
    double below = std::nan("");  // the first trial found below the plane
    // Whether every trial of the gas start found the one stable root of its
    // composition's isotherm: the liquid start then ends on the same roots,
    // and its pass would repeat the gas start's.
    bool oneRootEach = true;
    bool sameT = false;  // a closed form's pairs read at T
    // The closed-form roots of the grid's trials, met by both passes, and
    // those of the narrowing's trials: where a trial's isotherm has one root
    // both passes take the same distance (kept with it), and the second
    // pass's narrowing meets the first's trials again.
    struct Trial {
        double w1 = 0.0;
        closed_form_mixture::BinaryRoots roots;
        double oneRootDistance = std::nan("");
    };
    std::vector<Trial> gridRoots(trials.size()), narrowedRoots;
    auto distance = [&](int kind, double w1, Trial* kept = nullptr) {
        const double w[2] = {1.0 - w1, w1};
        double d = 0.0;
        for (std::size_t k = 0; !kept && k < narrowedRoots.size(); ++k)
            if (narrowedRoots[k].w1 == w1) kept = &narrowedRoots[k];
        Trial own;
        Trial& t = kept ? *kept : own;
        closed_form_mixture::BinaryRoots& roots = t.roots;
        if (roots.n > 0 || closed_form_mixture::binaryRoots(*this, T_, P_bar, w1, roots, sameT) > 0) {
            // The trial's roots in closed form: the liquid's of the liquid
            // start, the vapour's of the gas start.
            sameT = true;
            if (roots.n == 1 && !std::isnan(t.oneRootDistance))
                d = t.oneRootDistance;
            else
                d = roots.distance(kind == 2 ? 0 : roots.n - 1, w1, P_bar * 1e5, ref);
            if (roots.n == 1) t.oneRootDistance = d;
            if (!kept) {
                own.w1 = w1;
                narrowedRoots.push_back(own);
            }
            oneRootEach = oneRootEach && roots.n == 1;
        } else {
            composition(w);
            // (trialRootFromTP gives a closed-form cubic's own root of that
            // kind where its volume search from a start does not reach it.)
            const bool root = trialRootFromTP(kind == 2, T_, P_bar) && fugacity[0] > 0.0 && fugacity[1] > 0.0;
            if (!root) {
                oneRootEach = false;
                return HUGE_VAL;
            }
            d = w[0] * (std::log(fugacity[0]) - ref[0]) + w[1] * (std::log(fugacity[1]) - ref[1]);
            oneRootEach = oneRootEach && trialHasOneStableRoot(T_, P_bar);
        }
        if (d < kSplit && std::isnan(below)) below = w1;
        const bool finite = std::isfinite(d);
        oneRootEach = oneRootEach && finite;
        return finite ? d : HUGE_VAL;
    };
    bool splits = false;
    for (int kind = 1; found && !splits && kind <= 2 && !(kind == 2 && oneRootEach); ++kind) {
        std::vector<double> d(trials.size());
        for (std::size_t k = 0; k < trials.size() && !splits; ++k)
            splits = (d[k] = distance(kind, trials[k], &gridRoots[k])) < kSplit;
        for (std::size_t k = 1; !splits && k + 1 < trials.size(); ++k) {
            if (!(d[k] <= d[k - 1] && d[k] <= d[k + 1]) || !std::isfinite(d[k])) continue;
            double a = trials[k - 1], b = trials[k + 1];
            const double g = 0.5 * (std::sqrt(5.0) - 1.0);
            double c = b - g * (b - a), e = a + g * (b - a), dc = distance(kind, c), de = distance(kind, e);
            for (int it = 0; it < 12 && !splits; ++it) {
                splits = std::min(dc, de) < kSplit;
                if (dc < de) {
                    b = e;
                    e = c;
                    de = dc;
                    c = b - g * (b - a);
                    dc = distance(kind, c);
                } else {
                    a = c;
                    c = e;
                    dc = de;
                    e = a + g * (b - a);
                    de = distance(kind, e);
                }
            }
            splits = splits || std::min(dc, de) < kSplit;
        }
    }
    composition(z.data());
    if (trial) *trial = splits ? below : std::nan("");
    return splits;
}

void FluidPhase::reportNoCurve(const char* what) const {
    platform::diagf("The model %s computes no %s.\n", modelName(), what);
}

namespace {

// The model's root of lower Gibbs energy at composition w1 (component 1's
// fraction), T (K) and P (bar), from the liquid and the gas starts of the
// tangent-plane test's trials, else (where neither start gives a root, as
// for a feed whose root those searches miss) of its liquid and vapour roots
// the test holds the trials against: its volume and the ln of both
// components' fugacity coefficients, false where it has none.  A mixture's
// closed-form roots where the model gives them (its pairs read at T by the
// tie line's search before, binaryTieLineFrom); `closed` (if given) is set
// to whether they gave the root found.
bool lowerRootAt(FluidPhase& p, double T_, double P_bar, double w1, double& V_, double (&lnphi)[2],
                 bool* closed = nullptr) {
    closed_form_mixture::BinaryRoots roots;
    if (closed_form_mixture::binaryRoots(p, T_, P_bar, w1, roots, true) > 0) {
        const int k = roots.lower(w1);
        V_ = roots.V[k];
        lnphi[0] = roots.lnPhi[k][0];
        lnphi[1] = roots.lnPhi[k][1];
        if (closed) *closed = true;
        return true;
    }
    if (closed) *closed = false;
    const double w[2] = {1.0 - w1, w1};
    double best = HUGE_VAL;
    auto take = [&] {
        if (!(p.fugacity[0] > 0.0) || !(p.fugacity[1] > 0.0)) return;
        // (at a fixed composition the molar Gibbs energy differs from
        // sum_i w_i R T ln f_i by terms of T and w alone)
        const double lnf[2] = {std::log(p.fugacity[0]), std::log(p.fugacity[1])};
        const double g = w[0] * lnf[0] + w[1] * lnf[1];
        if (!std::isfinite(g) || !(g < best)) return;
        best = g;
        V_ = p.V;
        for (int i = 0; i < 2; ++i) lnphi[i] = lnf[i] - std::log(w[i] * P_bar * 1e5);
    };
    for (bool liquid : {true, false}) {
        p.composition(w);
        if (p.trialRootFromTP(liquid, T_, P_bar)) take();
        // (where the trial's one stable root is known in closed form the
        // gas start begins where the liquid start did, and ends alike)
        if (liquid && p.trialCountedOneRoot(T_, P_bar)) break;
    }
    for (int kind = 1; kind <= 2 && best == HUGE_VAL; ++kind) {
        double V = 0.0, G = 0.0;
        p.composition(w);
        if (p.pressureRootFromTP(kind, T_, P_bar, V, G)) take();
    }
    return best < HUGE_VAL;
}

// Successive substitution of a binary's split at T and P (Michelsen 1982),
// from the feed z1 and a trial phase w1 below the feed's tangent plane:
// first the trial is taken to the stationary point of the tangent-plane
// distance, W_i = z_i phi_i(z) / phi_i(w), then the two phases x and y to
// equal fugacities, y_i = K_i x_i with K_i = phi_i(x) / phi_i(y), which for
// two components fix x1 = (1 - K0) / (K1 - K0).  Each phase on its root of
// lower Gibbs energy; volumes, compositions and false where a phase has no
// root or the two meet.
bool substitutedSplit(FluidPhase& p, double T_, double P_bar, double z1, double w1, double& Va, double& xa,
                      double& Vb, double& xb) {
    // A step to a composition where a phase has no root is halved.
    auto rooted = [&](double& to, double from, const std::function<bool(double)>& at) {
        for (int k = 0; k < 8; ++k, to = 0.5 * (to + from))
            if (at(to)) return true;
        return false;
    };
    // Each phase's root at its composition, and whether both phases' came
    // from the closed form (the same composition then gives the same root,
    // which is not sought again).
    double lz[2], lw[2];
    bool closedA = false, closedB = false;
    auto rootA = [&](double w) { return lowerRootAt(p, T_, P_bar, w, Va, lz, &closedA); };
    auto rootB = [&](double w) { return lowerRootAt(p, T_, P_bar, w, Vb, lw, &closedB); };
    if (!rootA(z1) || !rootB(w1)) return false;
    for (int it = 0; it < 100; ++it) {
        const double W0 = (1.0 - z1) * std::exp(lz[0] - lw[0]), W1 = z1 * std::exp(lz[1] - lw[1]);
        double next = W1 / (W0 + W1);
        if (!(next > 0.0 && next < 1.0) || !rooted(next, w1, rootB)) break;
        const bool still = std::fabs(next - w1) < 1e-10;
        w1 = next;
        if (still) break;
    }
    xa = z1;
    xb = w1;
    if (!(closedA && closedB) && (!rootA(xa) || !rootB(xb))) return false;
    bool held = true;  // the roots kept are those of xa and xb
    for (int it = 0; it < 100; ++it) {
        const double K0 = std::exp(lz[0] - lw[0]), K1 = std::exp(lz[1] - lw[1]);
        double a = (1.0 - K0) / (K1 - K0), b = K1 * a;
        if (!(a > 0.0 && a < 1.0 && b > 0.0 && b < 1.0) || !(std::fabs(a - b) > 1e-9)) break;
        if (!rooted(a, xa, rootA)) break;
        if (!rooted(b, xb, rootB)) {
            held = false;  // a's root kept, xa not moved to it
            break;
        }
        const bool still = std::fabs(a - xa) < 1e-9 && std::fabs(b - xb) < 1e-9;
        xa = a;
        xb = b;
        if (still) break;
    }
    // (the last phases with roots: the tie line's search starts from them)
    if (!(held && closedA && closedB) && (!rootA(xa) || !rootB(xb))) return false;
    return std::fabs(xa - xb) > 1e-9;
}

// The trial composition deepest below the tangent plane of the feed z1
// (its ln phi lz) on a grid of compositions (NaN where none lies below).
double deepestTrial(FluidPhase& p, double T_, double P_bar, double z1, const double (&lz)[2]) {
    const double lnfz[2] = {lz[0] + std::log((1.0 - z1) * P_bar * 1e5), lz[1] + std::log(z1 * P_bar * 1e5)};
    std::vector<double> grid = {1e-6, 1e-4, 1e-2, 0.99, 1.0 - 1e-4, 1.0 - 1e-6};
    for (int k = 1; k < 40; ++k) grid.push_back(k / 40.0);
    double best = -1e-9, deepest = std::nan("");
    for (double w1 : grid) {
        double V_ = 0.0, lw[2];
        if (!lowerRootAt(p, T_, P_bar, w1, V_, lw)) continue;
        const double w[2] = {1.0 - w1, w1};
        double d = 0.0;
        for (int i = 0; i < 2; ++i) d += w[i] * (lw[i] + std::log(w[i] * P_bar * 1e5) - lnfz[i]);
        if (d < best) best = d, deepest = w1;
    }
    return deepest;
}

}  // namespace

namespace {

// The tie line from two phases, each a composition (component 1's fraction)
// on its root of volume V: Newton's method on the equality of both
// components' fugacities (BinaryIsothermTrace::tieLineAtTP), which follows
// each phase's root by its volume.  Held to what makes it the split:
// fugacities and pressures equal to 1e-8, two distinct and locally stable
// phases, the feed z1 strictly between them, and no trial phase below the
// common tangent plane of the two (`lnf`, its ln f0 and ln f1); a trial
// below it (a third phase or another split) is left in `below`.
FluidPhase::BinaryTieLine heldTieLine(FluidPhase& p, double T_, double P_bar, double z1, double Va, double xa,
                                      double Vb, double xb, bool closedForm, double (&lnf)[2], double& below) {
    FluidPhase::BinaryTieLine line;
    below = std::nan("");
    const bool aDenser = Va < Vb;
    double Vl = aDenser ? Va : Vb, Vv = aDenser ? Vb : Va, xl = aDenser ? xa : xb, yv = aDenser ? xb : xa;
    if (!BinaryIsothermTrace::tieLineAtTP(p, T_, P_bar, Vl, Vv, xl, yv, closedForm)) return line;
    binary_side::Side l, v;
    if (!binary_side::evaluate(p, 2, xl, Vl, T_, l) || !binary_side::evaluate(p, 1, yv, Vv, T_, v)) return line;
    const double P = P_bar * 1e5;
    bool equal = std::fabs(l.P / P - 1.0) <= 1e-8 && std::fabs(v.P / P - 1.0) <= 1e-8;
    for (int i = 0; i < 2; ++i)
        equal = equal && std::fabs(l.f[i] - v.f[i]) <=
                             (1e-8 + BinaryIsothermTrace::shareRounding(i, xl, yv)) * std::max(l.f[i], v.f[i]);
    const double lighter = (z1 - xl) / (yv - xl);
    if (!equal || !(lighter > 0.0 && lighter < 1.0) || !(std::fabs(Vv / Vl - 1.0) > 1e-6) ||
        !binary_side::locallyStable(l, T_) || !binary_side::locallyStable(v, T_))
        return line;
    // (Each component's fugacity from the phase richer in it: a share held
    // as 1 less the other's rounds the fugacity of a trace in it.)
    for (int i = 0; i < 2; ++i) lnf[i] = std::log((i == 0) == (xl < yv) ? l.f[i] : v.f[i]);
    const double feed[2] = {1.0 - z1, z1};
    p.composition(feed);
    if (p.binarySplitsAgainst(T_, P_bar, lnf, &below)) return line;
    line.found = true;
    line.x1[0] = xl;
    line.x1[1] = yv;
    line.V[0] = Vl;
    line.V[1] = Vv;
    line.lighter = lighter;
    return line;
}

// Of the roots at composition w1 (from the liquid and the gas starts), the
// one deepest below the plane `lnf`: its volume; false where none lies below.
bool rootBelowPlane(FluidPhase& p, double T_, double P_bar, double w1, const double (&lnf)[2], double& V_) {
    const double w[2] = {1.0 - w1, w1};
    double deepest = 0.0;
    for (bool liquid : {true, false}) {
        p.composition(w);
        if (!p.trialRootFromTP(liquid, T_, P_bar) || !(p.fugacity[0] > 0.0) || !(p.fugacity[1] > 0.0)) continue;
        const double d = w[0] * (std::log(p.fugacity[0]) - lnf[0]) + w[1] * (std::log(p.fugacity[1]) - lnf[1]);
        if (d < deepest) deepest = d, V_ = p.V;
    }
    return deepest < 0.0;
}

}  // namespace

// The tie line through the feed z from a trial phase w1 below its tangent
// plane: successive substitution (substitutedSplit), then Newton's method
// from the two phases it ends on (heldTieLine).  Substitution takes each
// phase on the root of lower Gibbs energy at its composition; beside a
// three-phase line the stable tie line may hold a phase on the other root
// (a CO2-rich liquid where the vapour of that composition lies lower), and
// substitution returns to the tie line of the vapour, below whose plane
// that liquid lies.  The trial found below it then takes the place of the
// phase on its side of the feed, on its root below the plane, and Newton's
// method, which keeps each phase's root, finds the tie line through it.
FluidPhase::BinaryTieLine FluidPhase::binaryTieLineFrom(double T_, double P_bar, double w1, double& below) {
    below = std::nan("");
    const double z1 = x[1];
    double Va = 0.0, xa = 0.0, Vb = 0.0, xb = 0.0, lnf[2] = {0.0, 0.0}, Vt = 0.0;
    // (a closed form's pairs read at T once, for every trial of the search)
    closed_form_mixture::BinaryRoots feedRoots;
    const bool closedForm = closed_form_mixture::binaryRoots(*this, T_, P_bar, z1, feedRoots, false) > 0;
    if (!substitutedSplit(*this, T_, P_bar, z1, w1, Va, xa, Vb, xb)) return BinaryTieLine{};
    BinaryTieLine line = heldTieLine(*this, T_, P_bar, z1, Va, xa, Vb, xb, closedForm, lnf, below);
    const double trial = below;
    if (line.found || !std::isfinite(trial) || !rootBelowPlane(*this, T_, P_bar, trial, lnf, Vt)) return line;
    const bool aSide = (trial > z1) == (xa > z1);
    line = heldTieLine(*this, T_, P_bar, z1, aSide ? Vt : Va, aSide ? trial : xa, aSide ? Vb : Vt, aSide ? xb : trial,
                       closedForm, lnf, below);
    if (!line.found && !std::isfinite(below)) below = trial;
    return line;
}

// From the stability test's own trial, then (where that ends on the feed
// itself or on no tie line) the trial deepest below the feed's tangent
// plane on a grid; a trial below a tie line found starts the next search.
// The tie line is the isothermal-isobaric flash started from the phase's
// composition and the trial w1 (component 1's fraction), found where both
// phases hold equal fugacities of both components to 1e-8, P to 1e-8, are
// locally stable and distinct, and the phase's composition lies strictly
// between them.  The model's state, composition, searches' start values and
// solver are put back as they were.
FluidPhase::BinaryTieLine FluidPhase::binaryTieLineAt(double T_, double P_bar, double w1) {
    BinaryTieLine line;
    if (component_count != 2 || x.size() != 2 || !(x[1] > 0.0 && x[1] < 1.0) || !(w1 > 0.0 && w1 < 1.0))
        return line;
    const KeptFieldsAndComposition kept(*this);
    // (and the two-phase fields the tie line's search writes, put back below)
    const std::vector<double> keptLiquid = x_liquid, keptVapour = x_vapour;
    const double keptPflash = P_flash;
    const platform::ThreadLogCapture quiet;  // a trial without a root is no failure of the state
    const double z1 = x[1];
    const std::vector<double> feed = x;
    std::vector<double> starts = {w1};
    bool gridTried = false;
    for (std::size_t k = 0; k < starts.size() && k < 4; ++k) {
        double below = std::nan("");
        composition(feed.data());
        line = binaryTieLineFrom(T_, P_bar, starts[k], below);
        if (line.found) break;
        double Vz = 0.0, lz[2];
        if (std::isfinite(below))
            starts.push_back(below);
        else if (!gridTried && lowerRootAt(*this, T_, P_bar, z1, Vz, lz)) {
            gridTried = true;
            const double deepest = deepestTrial(*this, T_, P_bar, z1, lz);
            if (std::isfinite(deepest)) starts.push_back(deepest);
        }
    }
    x_liquid = keptLiquid;
    x_vapour = keptVapour;
    P_flash = keptPflash;
    return line;
}
