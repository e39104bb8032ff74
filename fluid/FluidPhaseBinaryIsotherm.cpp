// Pressure-composition isotherm of a binary system: its pure ends, the
// pressure of the command interpreter's isotherms and the isotherm through a
// pressure; the trace itself is BinaryIsothermTrace.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "fluid/BinaryIsothermTrace.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/KeptFields.h"
#include "fluid/ModelRange.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"

namespace {

// The trace's row layout and its searches at one composition and pressure.
constexpr int kColumns = BinaryIsothermTrace::kColumns;
constexpr int kIndexColumn = BinaryIsothermTrace::kIndexColumn;
constexpr auto rangeAtComposition = &BinaryIsothermTrace::rangeAtComposition;
constexpr auto tieLineAtTP = &BinaryIsothermTrace::tieLineAtTP;
constexpr auto isothermNames = &BinaryIsothermTrace::isothermNames;
constexpr auto isothermLayout = &BinaryIsothermTrace::isothermLayout;

// The isotherms of the command interpreter end at this pressure (bar) or the
// model's highest, whichever is lower.
constexpr double kHighestPressureBar = 10000.0;

// The isotherms of the command interpreter stay inside the model's range: a
// temperature outside it is refused with one message naming the model, and
// the trace ends at its highest pressure.
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

// The bubble point of pure component k at T (the phase holds it, errorflag
// 0) from the model's start values for k; where they miss (close to the
// component's critical point, or a component other than the first whose
// start the model does not find), from the fluid's saturated volumes of its
// ancillary equations (the liquid kept above the model's co-volume: a
// cubic's liquid is less dense than the fluid's), then from its saturation
// solved at its pure composition.  The other starts are tried only for a
// fluid below its critical temperature by its vapour-pressure equation, so
// that a supercritical one is not searched.  A bubble point whose liquid
// and vapour volumes all but meet (within 0.1 %: the trivial solution, one
// phase twice, that a start beside the critical point can draw Newton's
// steps to, at a pressure that is no saturation) is a miss.
void bubbleOfPureComponent(FluidPhase& p, int k, double T_) {
    const char* name = p.componentName(k);
    auto bubble = [&](double Vl, double Vv) {
        p.calculate_bubble_point(T_, Vl, Vv, k, k);
        if (p.errorflag == 0 && !(std::fabs(std::log(p.Vv0 / p.Vl0)) > 1e-3)) p.errorflag = 1;
    };
    p.initializeSaturationVolumesFromT(name, T_);
    bubble(p.Vl0, p.Vv0);
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
    if (Vv > Vl) bubble(Vl, Vv);
    if (p.errorflag == 0) return;
    p.composition(only.data());
    const bool saturated = p.calculateTheSaturationPressure(T_, false) == 0;
    const double VlSat = p.Vl_sat, VvSat = p.Vv_sat;
    p.composition(kept.data());
    p.errorflag = 1;
    if (saturated) bubble(VlSat, VvSat);
}

// A model that gives no state of the mixture at T (an interaction it does
// not hold there) has no isotherm beyond its pure ends: beside pure
// component k's saturation at T (its liquid and vapour volumes Vl and Vv),
// its liquid and its vapour with a thousandth of the other component, both
// refused, say the model's own reason, once, in place of a trace that
// would stop at its first step.  The model is left as it was.
bool refusedMixture(FluidPhase& p, int k, double T_, double Vl, double Vv) {
    std::vector<platform::ThreadLogCapture::Entry> said;
    bool refused = true;
    {
        const KeptFieldsAndComposition kept(p);
        const platform::ThreadLogCapture quiet;
        const double z = k == 0 ? 1e-3 : 1.0 - 1e-3;
        const double w[2] = {1.0 - z, z};
        p.composition(w);
        p.temperature(T_);
        for (double V : {Vl, Vv}) {
            p.volume(V);
            p.errorflag = 0;
            p.calculate_pressure();
            refused = refused && p.errorflag != 0;
        }
        said = platform::ThreadLogCapture::current()->take();
    }
    if (!refused || said.empty()) return false;
    // (Each state of the trial met the refusal: said once.)
    std::vector<platform::ThreadLogCapture::Entry> once;
    for (const auto& e : said)
        if (std::none_of(once.begin(), once.end(), [&](const auto& o) { return o.text == e.text; }))
            once.push_back(e);
    platform::ThreadLogCapture::replay(once);
    p.errorflag = 1;
    return true;
}

double highestPressureBar(const FluidPhase& p) {
    return std::min(kHighestPressureBar, ModelRange(p).stateRange().Pmax);
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
        if (tieLineAtTP(p, T_, P_bar, Vl, Vv, xl, yv, false)) return true;
    }
    return false;
}

}  // namespace

void FluidPhase::calculate_an_isotherm_of_the_binary_system(const char* path, short start, double dx, double dP_bar,
                                                            double Pmax_bar, double T_, double Vl, double Vv,
                                                            double xl, double yv, char mode, const char* suffix,
                                                            std::vector<double>* array) {
    BinaryIsothermTrace::traceIsotherm(*this, path, start, dx, dP_bar, Pmax_bar, T_, Vl, Vv, xl, yv, mode, suffix,
                                       array);
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
    if (!noPureEnd && refusedMixture(*this, from, T_, Vl0, Vv0)) return;
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
        const double dx = k == 0 ? 0.01 : -0.01, VlStart = Vl0, VvStart = Vv0;
        // Traced first until it passes twice P (it ends on that limit: the
        // pair of points that brackets P first is the same as on the whole
        // trace), then, where none brackets P, to the highest pressure of
        // the command's isotherms; what these trial traces say is no part of
        // the isotherm's report.
        for (double Pmax : {std::min(kHighestPressureBar, 2.0 * P_bar + 10.0), kHighestPressureBar}) {
            std::vector<double> flat;
            {
                const platform::ThreadLogCapture quiet;
                calculate_an_isotherm_of_the_binary_system(nullptr, 1, dx, 100.0 * dx, Pmax, T_, VlStart, VvStart,
                                                           xs, xs, kArrayOfValues, nullptr, &flat);
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
            if (Pmax >= kHighestPressureBar) break;
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
    BinaryIsothermTrace::stalledTrace = false;
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
    whole = !BinaryIsothermTrace::stalledTrace && !(up.empty() && down.empty());
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
    for (int k : {0, 1}) {
        if (!pureEndRange(*this, k).holdsTemperature(T_)) continue;
        bubbleOfPureComponent(*this, k, T_);
        if (errorflag != 0) continue;  // (no saturation of k at T)
        if (refusedMixture(*this, k, T_, Vl0, Vv0)) return;
        break;
    }
    errorflag = 0;
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
    // A trace that stops before an end of the isotherm is kept as traced
    // (it has said where): the isotherm is sought from nearby pressures
    // only where a half stops at its start, or there is no start.
    const auto oneRow = static_cast<std::size_t>(kColumns);
    const bool started = up.size() > oneRow && down.size() > oneRow;
    if (!whole && !started) {
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
