// model_accuracy: measures each fluid model of the command interpreter against
// the reference equation of its fluid (its row of the reference fluids' table:
// IAPWS-95, IUPAC CO2, IUPAC CH4, Span et al. N2) over the box where both hold (the model's range intersected with the
// reference equation's): the largest relative differences in density and in
// isobaric heat capacity, and the states where they lie.  These are the rows
// of the models' table (docs/models.md) against the reference equations.
//
//   model_accuracy [--grid N] [--range Tmin Tmax Pmin Pmax] [--liquid] [--across-phases] [MODEL[@x1]...]
//
// With no model, every row of that table.  --range narrows the
// comparison to a box of temperatures (K) and pressures (bar) that meets the
// compared box; --liquid compares only states both give as the liquid;
// --across-phases compares the near-critical box of CO2 and CH4 whatever
// phase the model and the fluid are in (between their two vapour pressures
// the model's liquid against the fluid's vapour, or the reverse).
// MODEL is a short name of the interpreter; "@x1" sets the mole fraction of
// the second component of a binary (HollowayEOS@0 is its water, @1 its CO2).
//
// The search: first a grid of N (20 by default) temperatures evenly spaced
// over the box and N pressures evenly spaced in log P from the box's lowest
// pressure (1 bar where the range starts at 0) to its highest; the counts of
// the table are those of this grid.  The largest differences lie mostly at
// edges: beside the exclusions below and where the compared states end (a
// melting curve, the end of a range, a phase the two models do not share).
// So the search starts from the grid's 8 largest local maxima of
// |difference|, the 8 largest along the exclusions' edges and the 8 largest
// beside the edges of the compared states, and from each runs a pattern
// search in (T, ln P): the 8 neighbours at the current steps (half the
// grid's at first), and where an edge crosses their ring the state on it;
// it moves to the largest of them while one is larger, else halves the
// steps; it stops when the figure moved by less than 0.005 points (half the
// last printed digit) over two successive halvings, after at least six
// (a maximum on a curved edge creeps along it in steps that small).  A
// figure still moving after 30 halvings or 400 steps is printed as "at
// least" and said on standard error.  Everything is deterministic: each row is searched on one
// thread in a fixed order.
//
// Within the exclusions the same search runs on two lattices of their own:
// the band about the vapour pressure (temperatures up to the near-critical
// box, pressures evenly spaced in P / psat - 1 across the band), for density
// and cp, and the near-critical box, for density only (there each equation's
// cp grows without bound at its own critical point).  For CO2 and CH4 the
// near-critical box is measured against the later reference equations
// (Span & Wagner 1996, Setzmann & Wagner 1991; ReferenceFluid::
// criticalRegion), which give the fluid's density there where the IUPAC
// equations have critical points of their own, and its search runs along
// both vapour pressures too (searchSaturationRidges).  The rows IUPACCO2
// and IUPACCH4 measure the IUPAC equations themselves there.
//
// A state is printed to 0.1 K and four figures of P, or to as many more
// digits as make the state read back from the printed text one compared
// (not across the edge of an exclusion, a refusal or a phase) with the same
// figure within half its last digit; the figure printed is that of the
// state as printed.
//
// Each state is asked for as the interpreter asks (reportedStateFromTP): a
// state either model refuses or withholds is not compared.  A state is
// compared only where both give the same phase (below the fluid's critical
// temperature both its liquid or both its vapour), and not within 2 % in
// pressure of the fluid's vapour pressure nor within 2 % in temperature and
// 20 % in pressure of its critical point (the vapour pressures and critical
// points of the fluids' published ancillary equations).  A heat capacity the
// model withholds (one no fluid has) is left out of the cp comparison, and
// the row says at how many of the grid's compared states.
//
// Results on standard output, one Markdown table row per model; the models'
// own messages are dropped.  The models are measured on up to four threads,
// each with model objects of its own.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "console/FluidModelFactory.h"
#include "fluid/FluidPhase.h"
#include "fluid/HelmholtzEquation.h"
#include "fluid/Ideal.h"
#include "fluid/ModelRange.h"
#include "fluid/ReferenceFluids.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"

namespace {

std::string figure(double d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%+.2f %%", 100.0 * d);
    return buf;
}

constexpr double kSaturationMargin = 0.02;                         // relative, in pressure
constexpr double kCriticalMarginT = kCriticalRegionT, kCriticalMarginP = kCriticalRegionP;  // relative
// Within the exclusions: the band about the vapour pressure, whose
// differences vary smoothly along it, on a coarser grid from fewer seeds;
// the near-critical box on the row's grid from kSeeds.
constexpr int kBandGrid = 12, kBandSeeds = 3;
constexpr int kSeeds = 8;      // local maxima of the grid, and of the exclusions' edges, searched from
constexpr int kEdgeStates = 100, kBisections = 12, kRingBisections = 6;  // states along each edge of an exclusion
constexpr double kSettled = 5e-5;       // half a unit of the printed 0.01 %
constexpr int kLeastHalvings = 6, kMostHalvings = 30, kMostSteps = 400;
constexpr int kRidgeStates = 60;  // along each vapour pressure in the near-critical box

struct Case {
    std::string model;  // the short name
    std::string fluid;  // a reference fluid's formula
    double x1 = -1.0;   // mole fraction of the second component of a binary, -1: the model's own
};

std::vector<Case> tableCases() {
    std::vector<Case> c = {
        {"HGK", "H2O"},        {"Saul", "H2O"},         {"Hill", "H2O"},           {"Keenan", "H2O"},
        {"DuanH2O", "H2O"},    {"ZhangDuanH2O", "H2O"}, {"AnderkoH2O", "H2O"},     {"Sterner", "CO2"},
        {"DuanCO2", "CO2"},    {"AnderkoCO2", "CO2"},   {"DuanCH4", "CH4"},        {"DMW1:N2", "N2"},
        {"HollowayEOS", "H2O", 0.0}, {"HollowayEOS", "CO2", 1.0}, {"IUPACCO2", "CO2"}, {"IUPACCH4", "CH4"},
    };
    // Every reference fluid in the cubic families; the closed-form SRK and
    // Montel have no water data, nor has Kreglewski's table.
    const auto fluids = ReferenceFluids::standard().rows();
    for (const std::string family : {"SRK", "SRK1", "PR", "PRSV", "Montel"})
        for (const ReferenceFluid& r : fluids)
            if (!(std::string(r.formula) == "H2O" && (family == "SRK" || family == "Montel")))
                c.push_back({family + ":" + r.formula, r.formula});
    for (const char* pair : {"SRK2:H2O,CO2", "SRK2:CH4,N2"}) {
        const std::string p = pair, a = p.substr(5, p.find(',') - 5), b = p.substr(p.find(',') + 1);
        c.push_back({p, a, 0.0});
        c.push_back({p, b, 1.0});
    }
    for (const ReferenceFluid& r : fluids)
        if (std::string(r.formula) != "H2O") c.push_back({std::string("Kreglewski:") + r.formula, r.formula});
    return c;
}

std::unique_ptr<FluidPhase> build(const std::string& name, double x1) {
    std::unique_ptr<FluidPhase> m(createFluidModel(name.c_str()));
    if (m && x1 >= 0.0 && m->component_count == 2) {
        m->composition_of_component(1, x1);
        m->composition_of_component(0, 1.0 - x1);
    }
    return m;
}

// Options that narrow the comparison: a box of (T, P), the liquid only.
struct Box {
    double Tmin = 0.0, Tmax = 1e300, Pmin = 0.0, Pmax = 1e300;
    bool liquidOnly = false;
    // In the near-critical box against a later equation, states compared
    // whatever phase the model and the fluid are in.
    bool acrossPhases = false;
    bool holds() const { return Tmin <= Tmax && Pmin <= Pmax; }
};

// The box a model is compared over: its range, the reference equation's and
// the --range asked for, from 1 bar up.
Box comparedBox(const FluidPhase& m, const FluidPhase& ref, const Box& asked) {
    const ValidityRange a = ModelRange(m).stateRange(), b = ModelRange(ref).effectiveRange();
    Box c;
    c.Tmin = std::max({a.Tmin, b.Tmin, asked.Tmin});
    c.Tmax = std::min({a.Tmax, b.Tmax, asked.Tmax});
    c.Pmin = std::max({a.Pmin, b.Pmin, 1.0, asked.Pmin});
    c.Pmax = std::min({a.Pmax, b.Pmax, asked.Pmax});
    c.liquidOnly = asked.liquidOnly;
    c.acrossPhases = asked.acrossPhases;
    return c;
}

// kOutside: a state of a search within the exclusions that lies outside
// them or outside the compared box.
enum class Verdict { kCompared, kRefused, kOtherPhase, kNearSaturation, kOutside };

// One state: what became of it and, compared, the relative differences
// (cp NaN where the model withholds it).
struct Sample {
    Verdict verdict = Verdict::kRefused;
    double rho = std::nan(""), cp = std::nan("");
    double of(int quantity) const { return quantity == 0 ? rho : cp; }
};

struct Answer {
    bool given = false;
    int phase = 0;
    double rho = 0.0, cp = 0.0;  // kg/m3, J/(kg K): per mass, as the interpreter prints them (two models of
                                 // one fluid may take slightly different molar masses)
};

Answer ask(StateReport& report, FluidPhase& m, double T, double P) {
    Answer a;
    ReportedState s;
    if (!report.reportedStateFromTP(T, P, s) || m.errorflag) return a;
    a.given = true;
    a.phase = s.phase;
    a.rho = m.bulk_molar_weight / m.V;
    a.cp = m.Cp / m.bulk_molar_weight;
    return a;
}

bool nearSaturationOrCritical(const char* fluid, double T, double P_bar) {
    const double Tc = ancillaryCriticalTemperature(fluid), Pc = ancillaryCriticalPressure(fluid) * 1e-5;
    if (std::fabs(T / Tc - 1.0) < kCriticalMarginT && std::fabs(P_bar / Pc - 1.0) < kCriticalMarginP) return true;
    if (T >= Tc) return false;
    const double ps = ancillaryVapourPressure(fluid, T) * 1e-5;
    return std::fabs(P_bar / ps - 1.0) < kSaturationMargin;
}

// A model and its fluid's reference equation, asked for the same states:
// those of the compared box outside the exclusions, or (`within`) those
// inside them.
struct Comparison {
    FluidPhase& model;
    FluidPhase& ref;
    const char* fluid;
    const Box& box;
    bool within;
    platform::ThreadLogCapture& quiet;
    // The reports of the two models, each kept for the run of its states.
    StateReport& modelReport;
    StateReport& refReport;
    // The near-critical box's states against the fluid's later equation.
    bool later = false;

    Sample at(double T, double P) {
        Sample s;
        if (quiet.size() > 4096) quiet.take();
        if (!(T >= box.Tmin && T <= box.Tmax && P >= box.Pmin && P <= box.Pmax)) {
            s.verdict = Verdict::kOutside;
            return s;
        }
        if (nearSaturationOrCritical(fluid, T, P) != within) {
            s.verdict = within ? Verdict::kOutside : Verdict::kNearSaturation;
            return s;
        }
        const ReferenceFluid* row = referenceFluid(fluid);
        if (later && row && row->criticalRegion && row->inCriticalRegion(T, P * 1e5)) return againstLater(*row, T, P);
        const Answer r = ask(refReport, ref, T, P), x = ask(modelReport, model, T, P);
        if (!r.given || !x.given) return s;
        const bool liquids = r.phase == FluidPhase::kPhaseLiquid && x.phase == FluidPhase::kPhaseLiquid;
        if ((T < ancillaryCriticalTemperature(fluid) && r.phase != x.phase) || (box.liquidOnly && !liquids)) {
            s.verdict = Verdict::kOtherPhase;
            return s;
        }
        s.verdict = Verdict::kCompared;
        s.rho = x.rho / r.rho - 1.0;
        if (!std::isnan(x.cp)) s.cp = x.cp / r.cp - 1.0;
        return s;
    }

    // In the near-critical box of a fluid whose density there is a later
    // equation's (Span & Wagner's CO2, Setzmann & Wagner's CH4): the model's
    // state against the fluid's stable state by that equation.
    Sample againstLater(const ReferenceFluid& row, double T, double P) {
        Sample s;
        const Answer x = ask(modelReport, model, T, P);
        bool liquid = false;
        const double rho = row.criticalRegion && row.inCriticalRegion(T, P * 1e5)
                               ? row.criticalRegion().densityFromTP(T, P * 1e5, &liquid)
                               : std::nan("");
        if (!x.given || !(rho > 0.0)) return s;
        // Below the critical temperature both the liquid or both the vapour,
        // as everywhere in the table, unless --across-phases.
        const bool modelLiquid = x.phase == FluidPhase::kPhaseLiquid;
        if ((!box.acrossPhases && T < ancillaryCriticalTemperature(fluid) && liquid != modelLiquid) ||
            (box.liquidOnly && !(liquid && modelLiquid))) {
            s.verdict = Verdict::kOtherPhase;
            return s;
        }
        s.verdict = Verdict::kCompared;
        s.rho = x.rho / rho - 1.0;
        if (!std::isnan(x.cp)) s.cp = x.cp / row.criticalRegion().isobaricHeatCapacity(rho, T) - 1.0;
        return s;
    }
};

// The largest relative difference found and where it lies.
struct Worst {
    double d = 0.0, T = 0.0, P = 0.0;
    bool any = false;
    bool settled = true;  // the search's figure stopped moving
    int digits = 0;       // printed beyond 0.1 K and four figures of P (roundForPrint)
};

struct Row {
    Case c;
    int grid = 20;
    Box asked;
    bool built = false;
    Box box;  // compared over
    int compared = 0, refused = 0, otherPhase = 0, nearSaturation = 0, cpWithheld = 0;
    bool givesCp = true;  // the model has heat capacities at all (an ideal-gas part)
    Worst worst[2];       // density, cp
    Worst band[2];        // density and cp within 2 % of the vapour pressure
    Worst critical;       // density within the near-critical box
    // The fluid's reference equation itself, measured only where a later
    // equation gives the fluid's density: in the near-critical box.
    bool itself = false;
};

// A region searched on a lattice: temperatures evenly spaced from Tlo to
// Thi, and pressures evenly spaced in ln P from Plo to Phi or, across the
// band about the vapour pressure (`band`), evenly spaced in P / psat(T) - 1
// from just inside -2 % to just inside +2 %.
struct Region {
    double Tlo = 0.0, Thi = 0.0, Plo = 0.0, Phi = 0.0;
    bool band = false;
    int points = 0;  // a side of its first grid; 0: the row's grid
};

// The states searched, on a lattice in (T, ln P): integer coordinates in
// units of 2^-32 of the first grid's spacing, so that a state reached twice
// (by two paths, or by the density's search and the heat capacity's) is
// evaluated once.
using Coordinate = std::int64_t;
constexpr Coordinate kUnit = Coordinate{1} << 32;

struct Lattice {
    Row& row;
    Comparison& cmp;
    Region region;
    int n;            // points a side of the first grid
    Coordinate last;  // the region's far corner, in both coordinates
    double dT, dL;
    std::map<std::pair<Coordinate, Coordinate>, Sample> seen;

    Lattice(Row& r, Comparison& c, const Region& a)
        : row(r), cmp(c), region(a), n(a.points > 0 ? a.points : r.grid), last(kUnit * (n - 1)),
          dT((a.Thi - a.Tlo) / (n - 1)), dL(a.band ? 2.0 / (n - 1) : std::log(a.Phi / a.Plo) / (n - 1)) {}
    double T(Coordinate u) const { return u == last ? region.Thi : region.Tlo + dT * std::ldexp(double(u), -32); }
    double P(Coordinate u, Coordinate v) const {
        if (region.band) {
            const double across = v == last ? 1.0 : dL * std::ldexp(double(v), -32) - 1.0;
            return ancillaryVapourPressure(cmp.fluid, T(u)) * 1e-5 * (1.0 + across * kSaturationMargin * (1.0 - 1e-6));
        }
        return v == last ? region.Phi : region.Plo * std::exp(dL * std::ldexp(double(v), -32));
    }
    const Sample& at(Coordinate u, Coordinate v) {
        const auto key = std::make_pair(u, v);
        auto it = seen.find(key);
        if (it == seen.end()) it = seen.emplace(key, cmp.at(T(u), P(u, v))).first;
        return it->second;
    }
};

// The first stage: the grid, counted.
void sampleGrid(Lattice& g) {
    Row& row = g.row;
    for (int i = 0; i < g.n; ++i)
        for (int j = 0; j < g.n; ++j) {
            const Sample& s = g.at(kUnit * i, kUnit * j);
            switch (s.verdict) {
                case Verdict::kCompared:
                    ++row.compared;
                    if (std::isnan(s.cp)) ++row.cpWithheld;
                    break;
                case Verdict::kRefused: ++row.refused; break;
                case Verdict::kOtherPhase: ++row.otherPhase; break;
                case Verdict::kNearSaturation: ++row.nearSaturation; break;
                case Verdict::kOutside: break;
            }
        }
}

// The grid states whose |difference| is at least that of every compared
// neighbour, largest first, at most kSeeds.
std::vector<std::pair<Coordinate, Coordinate>> gridSeeds(Lattice& g, int quantity, int seeds) {
    const int n = g.n;
    std::vector<std::pair<int, int>> found;
    const auto value = [&](int i, int j) { return std::fabs(g.at(kUnit * i, kUnit * j).of(quantity)); };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double v = value(i, j);
            if (std::isnan(v)) continue;
            bool peak = true;
            for (int a = std::max(0, i - 1); a <= std::min(n - 1, i + 1) && peak; ++a)
                for (int b = std::max(0, j - 1); b <= std::min(n - 1, j + 1); ++b)
                    if (value(a, b) > v) peak = false;
            if (peak) found.emplace_back(i, j);
        }
    std::stable_sort(found.begin(), found.end(), [&](const auto& p, const auto& q) {
        return value(p.first, p.second) > value(q.first, q.second);
    });
    if (found.size() > static_cast<std::size_t>(seeds)) found.resize(seeds);
    std::vector<std::pair<Coordinate, Coordinate>> at;
    for (const auto& [i, j] : found) at.emplace_back(kUnit * i, kUnit * j);
    return at;
}

// States just outside the exclusions, where the largest differences of a
// model beside its fluid's phase boundary lie: along both edges of the band
// about the vapour pressure and along the four edges of the box about the
// critical point, kEdgeStates each.  Returned as lattice coordinates, the
// largest |difference| first, at most kSeeds.
std::vector<std::pair<Coordinate, Coordinate>> edgeSeeds(Lattice& g, int quantity) {
    const char* fluid = g.cmp.fluid;
    const double Tc = ancillaryCriticalTemperature(fluid), Pc = ancillaryCriticalPressure(fluid) * 1e-5;
    const Box& box = g.row.box;
    const double out = 1.0 + 1e-6;  // just outside a margin
    // Each edge from one end to the other: the vapour-pressure band's lower
    // and upper edges, the critical box's cold, hot, low and high edges.
    std::vector<std::pair<double, double>> edges[6];  // (T, P)
    for (int k = 0; k < kEdgeStates; ++k) {
        const double f = static_cast<double>(k) / (kEdgeStates - 1), across = 2.0 * f - 1.0;
        const double T = box.Tmin + (std::min(Tc, box.Tmax) - box.Tmin) * f;
        const double ps = T < Tc ? ancillaryVapourPressure(fluid, T) * 1e-5 : std::nan("");
        edges[0].emplace_back(T, ps * (1.0 - kSaturationMargin * out));
        edges[1].emplace_back(T, ps * (1.0 + kSaturationMargin * out));
        edges[2].emplace_back(Tc * (1.0 - kCriticalMarginT * out), Pc * (1.0 + across * kCriticalMarginP));
        edges[3].emplace_back(Tc * (1.0 + kCriticalMarginT * out), Pc * (1.0 + across * kCriticalMarginP));
        edges[4].emplace_back(Tc * (1.0 + across * kCriticalMarginT), Pc * (1.0 - kCriticalMarginP * out));
        edges[5].emplace_back(Tc * (1.0 + across * kCriticalMarginT), Pc * (1.0 + kCriticalMarginP * out));
    }
    const double Lmin = std::log(box.Pmin);
    std::vector<std::pair<double, std::pair<Coordinate, Coordinate>>> peaks;  // |difference|, state
    for (const auto& edge : edges) {
        std::vector<std::pair<double, std::pair<Coordinate, Coordinate>>> along;
        for (const auto& [T, P] : edge) {
            double d = std::nan("");
            Coordinate u = 0, v = 0;
            if (T >= box.Tmin && T <= box.Tmax && P >= box.Pmin && P <= box.Pmax) {
                u = std::llround(std::ldexp((T - box.Tmin) / g.dT, 32));
                v = std::llround(std::ldexp((std::log(P) - Lmin) / g.dL, 32));
                d = std::fabs(g.at(u, v).of(quantity));
            }
            along.push_back({d, {u, v}});
        }
        for (std::size_t k = 0; k < along.size(); ++k) {
            const double d = along[k].first;
            if (std::isnan(d)) continue;
            if ((k == 0 || !(along[k - 1].first > d)) && (k + 1 == along.size() || !(along[k + 1].first > d)))
                peaks.push_back(along[k]);
        }
    }
    std::stable_sort(peaks.begin(), peaks.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    std::vector<std::pair<Coordinate, Coordinate>> best;
    for (std::size_t k = 0; k < peaks.size() && best.size() < static_cast<std::size_t>(kSeeds); ++k)
        best.push_back(peaks[k].second);
    return best;
}

// Between a state where `inside` holds and one where it does not (either
// order), the state on the inside nearest the edge after `halvings` halvings.
template <class Inside>
std::pair<Coordinate, Coordinate> edgeBetween(std::pair<Coordinate, Coordinate> in, std::pair<Coordinate, Coordinate> out,
                                              const Inside& inside, int halvings = kBisections) {
    if (!inside(in.first, in.second)) std::swap(in, out);
    for (int k = 0; k < halvings; ++k) {
        const std::pair<Coordinate, Coordinate> mid{(in.first + out.first) / 2, (in.second + out.second) / 2};
        (inside(mid.first, mid.second) ? in : out) = mid;
    }
    return in;
}

// Where a compared state of the grid neighbours one that is not (a melting
// curve, the end of a model's range, a split band, a phase the two models do
// not share), the edge between them found by bisection along the grid line
// (kBisections halvings), and the compared state beside it: the largest
// |difference| first, at most kSeeds.
std::vector<std::pair<Coordinate, Coordinate>> boundarySeeds(Lattice& g, int quantity, int seeds) {
    const int n = g.n;
    std::vector<std::pair<double, std::pair<Coordinate, Coordinate>>> found;
    const auto compared = [&](Coordinate u, Coordinate v) { return g.at(u, v).verdict == Verdict::kCompared; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (const auto& [di, dj] : {std::pair{1, 0}, std::pair{0, 1}}) {
                if (i + di >= n || j + dj >= n) continue;
                const std::pair<Coordinate, Coordinate> a{kUnit * i, kUnit * j}, b{kUnit * (i + di), kUnit * (j + dj)};
                if (compared(a.first, a.second) == compared(b.first, b.second)) continue;
                const auto e = edgeBetween(a, b, compared);
                const double d = std::fabs(g.at(e.first, e.second).of(quantity));
                if (!std::isnan(d)) found.push_back({d, e});
            }
    std::stable_sort(found.begin(), found.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    std::vector<std::pair<Coordinate, Coordinate>> best;
    for (std::size_t k = 0; k < found.size() && best.size() < static_cast<std::size_t>(seeds); ++k)
        best.push_back(found[k].second);
    return best;
}

// The pattern search from one state (see the head of the file).  Where the
// ring of 8 neighbours passes from states with a figure to states without
// one (an edge of the compared states crosses it), the state on the edge
// between the two neighbours joins them: the search then follows a curved
// edge instead of stopping against it.
Worst climb(Lattice& g, int quantity, std::pair<Coordinate, Coordinate> seed) {
    static constexpr int kRing[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    const auto given = [&](Coordinate a, Coordinate b) { return !std::isnan(g.at(a, b).of(quantity)); };
    auto [u, v] = seed;
    Coordinate h = kUnit / 2;
    double best = g.at(u, v).of(quantity);
    double atHalving = std::fabs(best);
    int halvings = 0, still = 0;
    for (int step = 0; step < kMostSteps; ++step) {
        std::pair<Coordinate, Coordinate> ring[8], next{u, v};
        for (int k = 0; k < 8; ++k)
            ring[k] = {std::clamp(u + kRing[k][0] * h, Coordinate{0}, g.last),
                       std::clamp(v + kRing[k][1] * h, Coordinate{0}, g.last)};
        std::vector<std::pair<Coordinate, Coordinate>> tried(ring, ring + 8);
        for (int k = 0; k < 8; ++k) {
            const auto& p = ring[k];
            const auto& q = ring[(k + 1) % 8];
            if (given(p.first, p.second) != given(q.first, q.second)) tried.push_back(edgeBetween(p, q, given, kRingBisections));
        }
        double nBest = best;
        for (const auto& [tu, tv] : tried) {
            const double d = g.at(tu, tv).of(quantity);
            if (std::fabs(d) > std::fabs(nBest)) next = {tu, tv}, nBest = d;
        }
        if (next != std::pair{u, v}) {
            std::tie(u, v) = next;
            best = nBest;
            continue;
        }
        h /= 2, ++halvings;
        still = std::fabs(best) - atHalving < kSettled ? still + 1 : 0;
        atHalving = std::fabs(best);
        if (halvings >= kLeastHalvings && still >= 2) return {best, g.T(u), g.P(u, v), true, true};
        if (halvings >= kMostHalvings) break;
    }
    return {best, g.T(u), g.P(u, v), true, false};
}

// A state as printed: T with 1 + `digits` decimals in K, P with 4 +
// `digits` figures in bar below 1 kbar and 2 + `digits` decimals in kbar
// above; the text, and the state it reads as.
std::string printedState(double T, double P, int digits, double& Tread, double& Pread) {
    char t[48], p[48];
    std::snprintf(t, sizeof t, "%.*f", 1 + digits, T);
    if (P >= 1000.0)
        std::snprintf(p, sizeof p, "%.*f", 2 + digits, P / 1000.0);
    else
        std::snprintf(p, sizeof p, "%.*g", 4 + digits, P);
    Tread = std::strtod(t, nullptr);
    Pread = std::strtod(p, nullptr) * (P >= 1000.0 ? 1000.0 : 1.0);
    return std::string(t) + " K, " + p + (P >= 1000.0 ? " kbar" : " bar");
}

// The state a largest difference is printed at: rounded to the fewest
// digits at which the rounded state is still one compared and its figure
// the same within half the last printed digit (else the most digits tried
// that give a compared state), with the figure of that rounded state: the
// state typed as printed gives the printed figure.
void roundForPrint(Comparison& cmp, int quantity, Worst& w) {
    if (!w.any) return;
    constexpr int kMostDigits = 8;
    Worst found = w;
    found.digits = -1;
    for (int digits = 0; digits <= kMostDigits; ++digits) {
        double T = 0.0, P = 0.0;
        printedState(w.T, w.P, digits, T, P);
        const double d = cmp.at(T, P).of(quantity);
        if (std::isnan(d)) continue;
        found.d = d, found.T = T, found.P = P, found.digits = digits;
        if (std::fabs(d - w.d) < kSettled) break;
    }
    if (found.digits < 0) found.digits = kMostDigits, found.d = w.d;  // no rounding of it compared: printed as found
    w = found;
}

// The searches of one lattice: from its grid's largest local maxima (and,
// outside the exclusions, from the largest along their edges) and from the
// largest beside the edges of its compared states; `best` keeps the
// largest of each quantity asked for.
void searchLattice(Lattice& g, int quantities, int seeds, bool fromExclusionEdges, Worst* best) {
    for (int q = 0; q < quantities; ++q) {
        std::vector<std::pair<Coordinate, Coordinate>> from = gridSeeds(g, q, seeds);
        if (fromExclusionEdges) {
            const std::vector<std::pair<Coordinate, Coordinate>> edge = edgeSeeds(g, q);
            from.insert(from.end(), edge.begin(), edge.end());
        }
        const std::vector<std::pair<Coordinate, Coordinate>> bounds = boundarySeeds(g, q, seeds);
        from.insert(from.end(), bounds.begin(), bounds.end());
        for (const auto& seed : from) {
            const Worst w = climb(g, q, seed);
            if (!best[q].any || std::fabs(w.d) > std::fabs(best[q].d)) best[q] = w;
        }
    }
}

// In the near-critical box of a fluid whose density there is a later
// equation's, the model's density jumps at its own vapour pressure and the
// fluid's at its own: between the two the model gives its liquid where the
// fluid is a vapour, or the reverse, on a band a few tenths of a bar wide
// that no grid holds.  Its largest lies on one of the two curves: along
// each, just above and just below it (1e-7 in P), the largest of
// kRidgeStates temperatures from 2 % below the critical temperature to the
// curve's end, refined by golden-section search to 1e-9 K.
void searchSaturationRidges(Row& row, Comparison& cmp) {
    const ReferenceFluid* f = referenceFluid(cmp.fluid);
    if (!f || !f->criticalRegion) return;
    const HelmholtzEquation& later = f->criticalRegion();
    const double Tlo = std::max(row.box.Tmin, f->Tc * (1.0 - kCriticalMarginT * (1.0 - 1e-6)));
    const double Thi = std::min(row.box.Tmax, f->Tc);
    const auto modelPsat = [&](double T) {
        cmp.model.errorflag = 0;
        const bool found = cmp.model.calculateTheSaturationPressure(T, false) == 0 && !cmp.model.errorflag;
        return found && cmp.model.P > 0.0 ? cmp.model.P * 1e-5 : std::nan("");
    };
    const auto fluidPsat = [&](double T) {
        return later.saturationPressure(T, ancillaryVapourPressure(cmp.fluid, T)) * 1e-5;
    };
    for (const bool ofModel : {true, false})
        for (const double side : {1.0 + 1e-7, 1.0 - 1e-7}) {
            const auto value = [&](double T, double& P) {
                P = (ofModel ? modelPsat(T) : fluidPsat(T)) * side;
                const double d = std::isfinite(P) ? cmp.at(T, P).of(0) : std::nan("");
                return std::isnan(d) ? -1.0 : std::fabs(d);
            };
            const double dT = (Thi - Tlo) / (kRidgeStates - 1);
            int k = -1;
            double top = -1.0, P = 0.0;
            for (int i = 0; i < kRidgeStates; ++i)
                if (const double v = value(Tlo + dT * i, P); v > top) top = v, k = i;
            if (k < 0) continue;
            double a = std::max(Tlo, Tlo + dT * (k - 1)), b = std::min(Thi, Tlo + dT * (k + 1));
            const double g = 0.5 * (std::sqrt(5.0) - 1.0);
            double c = b - g * (b - a), d = a + g * (b - a), Pc = 0.0, Pd = 0.0;
            double vc = value(c, Pc), vd = value(d, Pd);
            while (b - a > 1e-9) {
                if (vc >= vd) {
                    b = d, d = c, vd = vc;
                    c = b - g * (b - a), vc = value(c, Pc);
                } else {
                    a = c, c = d, vc = vd;
                    d = a + g * (b - a), vd = value(d, Pd);
                }
            }
            double T = 0.5 * (a + b);
            if (value(T, P) < top) value(T = Tlo + dT * k, P);  // the refinement fell off a jump: the scan's
            const double found = cmp.at(T, P).of(0);
            if (!row.critical.any || std::fabs(found) > std::fabs(row.critical.d))
                row.critical = {found, T, P, true, true};
        }
}

// Within the exclusions: the band about the vapour pressure up to the
// near-critical box (density and cp), and the near-critical box (density
// only: there the model's cp and the reference's grow without bound each at
// its own critical point).  The band's differences vary smoothly along it:
// a coarser grid and fewer seeds find its maxima.
void measureWithin(Row& row, Comparison& cmp) {
    const double Tc = ancillaryCriticalTemperature(cmp.fluid), Pc = ancillaryCriticalPressure(cmp.fluid) * 1e-5;
    const double in = 1.0 - 1e-6;  // just inside a margin
    const Region band{row.box.Tmin, std::min(row.box.Tmax, Tc * (1.0 - kCriticalMarginT)), 0.0, 0.0, true, kBandGrid};
    if (band.Tlo < band.Thi && !row.itself) {
        Lattice g(row, cmp, band);
        searchLattice(g, 2, kBandSeeds, false, row.band);
    }
    const Region critical{std::max(row.box.Tmin, Tc * (1.0 - kCriticalMarginT * in)),
                          std::min(row.box.Tmax, Tc * (1.0 + kCriticalMarginT * in)),
                          std::max(row.box.Pmin, Pc * (1.0 - kCriticalMarginP * in)),
                          std::min(row.box.Pmax, Pc * (1.0 + kCriticalMarginP * in)), false};
    Comparison nearCritical = cmp;
    nearCritical.later = true;
    if (critical.Tlo < critical.Thi && critical.Plo < critical.Phi) {
        Lattice g(row, nearCritical, critical);
        searchLattice(g, 1, kSeeds, false, &row.critical);
    }
    searchSaturationRidges(row, nearCritical);
    for (int q = 0; q < 2; ++q) roundForPrint(cmp, q, row.band[q]);
    roundForPrint(nearCritical, 0, row.critical);
}

void measure(Row& row) {
    platform::ThreadLogCapture quiet;  // the refusals and withholdings of the searched states
    std::unique_ptr<FluidPhase> m = build(row.c.model, row.c.x1), ref = build(referenceModelOf(row.c.fluid), -1.0);
    if (!m || !ref) return;
    row.built = true;
    Ideal* part = m->ideal ? m->ideal->asIdealPart() : nullptr;
    row.givesCp = m->ideal && (!part || part->hasData());
    row.box = comparedBox(*m, *ref, row.asked);
    if (!row.box.holds()) return;
    StateReport modelReport(*m), refReport(*ref);
    Comparison cmp{*m, *ref, row.c.fluid.c_str(), row.box, false, quiet, modelReport, refReport};
    row.itself = row.c.model == referenceModelOf(row.c.fluid);
    if (!row.itself) {
        Lattice g(row, cmp, Region{row.box.Tmin, row.box.Tmax, row.box.Pmin, row.box.Pmax, false});
        sampleGrid(g);
        searchLattice(g, 2, kSeeds, true, row.worst);
        for (int q = 0; q < 2; ++q) roundForPrint(cmp, q, row.worst[q]);
    }
    Comparison within{*m, *ref, row.c.fluid.c_str(), row.box, true, quiet, modelReport, refReport};
    measureWithin(row, within);
}

std::string where(const Worst& w) {
    if (!w.any) return "—";
    double T = 0.0, P = 0.0;
    return std::string(w.settled ? "" : "at least ") + figure(w.d) + " at " + printedState(w.T, w.P, w.digits, T, P);
}

// The cp cell: its figure, and at how many compared states cp is withheld;
// "none given" for a model without heat capacities.
std::string cpCell(const Row& r) {
    if (!r.givesCp) return "none given";
    if (r.cpWithheld == r.compared && r.compared > 0) return "withheld at all " + std::to_string(r.compared) + " states";
    std::string cell = where(r.worst[1]);
    if (r.cpWithheld > 0) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "; withheld at %d of %d states (%.0f %%)", r.cpWithheld, r.compared,
                      100.0 * r.cpWithheld / r.compared);
        cell += buf;
    }
    return cell;
}

// A number of an option, the whole word read, or a sentence and false.
bool optionNumber(int argc, char** argv, int k, const char* option, const char* needs, double& value) {
    if (k >= argc) {
        std::fprintf(stderr, "model_accuracy: %s needs %s\n", option, needs);
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(argv[k], &end);
    if (end == argv[k] || *end != '\0' || errno != 0 || !std::isfinite(value)) {
        std::fprintf(stderr, "model_accuracy: %s needs %s, not \"%s\"\n", option, needs, argv[k]);
        return false;
    }
    return true;
}

// The options; the models named go to `cases`.  False after a sentence on
// standard error.
bool readOptions(int argc, char** argv, std::vector<Case>& cases, int& grid, Box& box) {
    for (int k = 1; k < argc; ++k) {
        std::string a = argv[k];
        if (a == "--range") {
            static const char* const kNeeds = "four numbers: Tmin Tmax (K) Pmin Pmax (bar)";
            for (double* v : {&box.Tmin, &box.Tmax, &box.Pmin, &box.Pmax})
                if (!optionNumber(argc, argv, ++k, "--range", kNeeds, *v)) return false;
            if (!(box.Tmin < box.Tmax && box.Pmin > 0.0 && box.Pmin < box.Pmax)) {
                std::fprintf(stderr, "model_accuracy: --range takes Tmin < Tmax (K) and 0 < Pmin < Pmax (bar)\n");
                return false;
            }
            continue;
        }
        if (a == "--liquid") {
            box.liquidOnly = true;
            continue;
        }
        if (a == "--across-phases") {
            box.acrossPhases = true;
            continue;
        }
        if (a == "--grid") {
            double n = 0.0;
            if (!optionNumber(argc, argv, ++k, "--grid", "a number of points a side, 2 to 1000", n)) return false;
            if (n != std::floor(n) || n < 2 || n > 1000) {
                std::fprintf(stderr, "model_accuracy: --grid takes 2 to 1000 points a side, not %s\n", argv[k]);
                return false;
            }
            grid = static_cast<int>(n);
            continue;
        }
        if (a.compare(0, 2, "--") == 0) {
            std::fprintf(stderr, "model_accuracy: unknown option %s (--grid N, --range Tmin Tmax Pmin Pmax, --liquid, "
                         "--across-phases)\n",
                         argv[k]);
            return false;
        }
        double x1 = -1.0;
        const std::size_t at = a.find('@');
        if (at != std::string::npos) {
            x1 = std::atof(a.c_str() + at + 1);
            a.resize(at);
        }
        std::string fluid;
        std::unique_ptr<FluidPhase> m = build(a, x1);
        if (m) {
            const char* f = ModelRange(*m).phaseRuleFluid();
            if (f) fluid = f;
        }
        if (!referenceModelOf(fluid)) {
            std::fprintf(stderr, "model_accuracy: %s is no model of H2O, CO2, CH4 or N2 at one composition\n",
                         argv[k]);
            return false;
        }
        cases.push_back({a, fluid, x1});
    }
    return true;
}

std::string rowName(const Case& c) {
    return c.x1 >= 0.0 ? c.model + "@" + std::to_string(c.x1).substr(0, 3) : c.model;
}

// A --range that does not meet a model's compared box is refused before any
// search.
bool rangeMeetsEveryModel(const std::vector<Case>& cases, const Box& asked) {
    bool meets = true;
    for (const Case& c : cases) {
        platform::ThreadLogCapture quiet;
        std::unique_ptr<FluidPhase> m = build(c.model, c.x1), ref = build(referenceModelOf(c.fluid), -1.0);
        if (!m || !ref || comparedBox(*m, *ref, asked).holds()) continue;
        const Box whole = comparedBox(*m, *ref, Box{});
        std::fprintf(stderr,
                     "model_accuracy: --range %g–%g K, %g–%g bar lies outside the box %s is compared over "
                     "(%g–%g K, %g–%g bar)\n",
                     asked.Tmin, asked.Tmax, asked.Pmin, asked.Pmax, rowName(c).c_str(), whole.Tmin, whole.Tmax,
                     whole.Pmin, whole.Pmax);
        meets = false;
    }
    return meets;
}

}  // namespace

int main(int argc, char** argv) {
    installFluidModelFactory();
    std::vector<Case> cases;
    int grid = 20;
    Box box;
    if (!readOptions(argc, argv, cases, grid, box)) return 1;
    if (cases.empty()) cases = tableCases();
    if (!rangeMeetsEveryModel(cases, box)) return 1;

    std::vector<Row> rows(cases.size());
    for (std::size_t k = 0; k < cases.size(); ++k) rows[k].c = cases[k], rows[k].grid = grid, rows[k].asked = box;
    const unsigned threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back([&rows, t, threads] {
            for (std::size_t k = t; k < rows.size(); k += threads) measure(rows[k]);
        });
    for (std::thread& t : pool) t.join();

    std::printf("| model | fluid | compared over: K, bar | states compared | refused | other phase | near saturation "
                "or critical | density vs reference | cp vs reference | density within 2 %% of the vapour pressure | "
                "cp there | density near the critical point |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    int failed = 0;
    for (const Row& r : rows) {
        const std::string name = rowName(r.c);
        if (!r.built) {
            std::fprintf(stderr, "model_accuracy: %s builds no model\n", name.c_str());
            ++failed;
            continue;
        }
        for (const Worst* w : {&r.worst[0], &r.worst[1], &r.band[0], &r.band[1], &r.critical})
            if (w->any && !w->settled)
                std::fprintf(stderr, "model_accuracy: %s: a largest difference still moved after %d halvings\n",
                             name.c_str(), kMostHalvings);
        if (r.itself) {  // the reference equation itself: only the near-critical box, against the later one
            std::printf("| `%s` | %s | %g–%g, %g–%g | — | — | — | — | the reference | the reference | the reference | "
                        "the reference | %s |\n",
                        name.c_str(), r.c.fluid.c_str(), r.box.Tmin, r.box.Tmax, r.box.Pmin, r.box.Pmax,
                        where(r.critical).c_str());
            continue;
        }
        std::printf("| `%s` | %s | %g–%g, %g–%g | %d | %d | %d | %d | %s | %s | %s | %s | %s |\n", name.c_str(),
                    r.c.fluid.c_str(), r.box.Tmin, r.box.Tmax, r.box.Pmin, r.box.Pmax, r.compared, r.refused,
                    r.otherPhase, r.nearSaturation, where(r.worst[0]).c_str(), cpCell(r).c_str(),
                    where(r.band[0]).c_str(), r.givesCp ? where(r.band[1]).c_str() : "none given",
                    where(r.critical).c_str());
    }
    return failed ? 1 : 0;
}
