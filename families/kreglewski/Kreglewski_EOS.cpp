#include "families/kreglewski/Kreglewski_EOS.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "families/kreglewski/HCB1.h"
#include "families/kreglewski/HCB2.h"
#include "families/kreglewski/Kreglewski1.h"
#include "families/kreglewski/Kreglewski2.h"
#include "fluid/ErrorFlagScope.h"
#include "fluid/Standard.h"
#include "platform/LogSink.h"

namespace {

// Kreglewski and Chen's parameters: close-packed volume at 0 K, non-sphericity,
// characteristic energy u0/k and its temperature coefficient eta/k.
const Kreglewski_EOS::ComponentData kComponents[] = {
    {"CH4", 2.1576e-05, 1.0, 190.29, 1.0, 0.016043},
    {"N2", 1.9457e-05, 1.0, 123.53, 3.0, 0.02801348},
    {"CO2", 1.9703e-05, 1.0571, 284.28, 40.0, 0.0440098},
    {"H2S", 2.0672e-05, 1.044, 373.66, 15.0, 0.034},
    {"C6", 7.7228e-05, 1.072, 468.33, 90.11, 0.0},
    {"C7", 9.0404e-05, 1.0626, 465.99, 130.0, 0.0},
    {"C8", 0.00010265, 1.0591, 479.38, 155.0, 0.0},
    {"2m2m4mC5", 0.00010127, 1.0588, 468.62, 125.0, 0.0},
    {"C10", 0.00011072, 1.1349, 468.62, 125.0, 0.0},
    {"cb440c10", 0.0001022, 1.0693, 612.64, 160.0, 0.0},
    {" tb440c10", 0.00010416, 1.0764, 609.02, 150.0, 0.0},
    {"benzene", 5.4325e-05, 1.048, 525.12, 72.0, 0.0},
    {"toluene", 6.5843e-05, 1.0944, 558.94, 91.0, 0.0},
    {"1m2mbenzene", 7.7902e-05, 1.0731, 549.56, 147.0, 0.0},
    {"1m3mbenzene", 7.8725e-05, 1.082, 538.67, 150.0, 0.0},
    {"1m4mbenzene", 7.9403e-05, 1.0808, 537.83, 149.0, 0.0},
    {"cumene", 9.0058e-05, 1.0895, 556.13, 187.0, 0.0},
    {"p-cumene", 0.00010296, 1.1, 561.13, 187.0, 0.0},
    {"naphtalene", 8.3301e-05, 1.0825, 687.1, 136.0, 0.0},
    {"tetralin", 8.9247e-05, 1.1067, 678.39, 130.0, 0.0},
};

struct CriticalStart {
    const char* name;
    double T, V;
};
const CriticalStart kCriticalStarts[] = {
    {"CH4", 192.0, 9.6e-05}, {"CO2", 304.0, 9.4e-05}, {"N2", 127.0, 8.6e-05}, {"H2S", 373.0, 9.7e-05}};

struct PairData {
    const char* a;
    const char* b;
    double kv, a12, b12, xi12;
};
const PairData kPairs[] = {
    {"CO2", "CH4", 1.05, 20.5, 0.0, 0.94},
    {"CO2", "N2", 1.2, 21.5, 44.9, 1.02},
    {"CH4", "H2S", 1.1, 8.0, 54.4, 0.94},
};

bool same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

Kreglewski_EOS::Kreglewski_EOS(int phaseKind) : FluidPhase(2, phaseKind, 0) {
    setModelName("Kreglewski EOS");
    // Chen & Kreglewski's (1977) BACK equation publishes no range of its
    // own; held, as the cubics, by the interpreter's limits from a pure
    // component's triple point (a mixture's 50 K, its solids judged state by
    // state) to 1500 K and up to 1000 bar (its densities of CO2, CH4 and N2
    // lie within 5.7 % of the reference equations there, most beside the
    // critical point; see docs/models.md).
    validity = {.Tmin = 50.0, .Tmax = 1500.0, .Pmax = 1000.0, .fromTriplePoints = true,
                .source = "no published range; the interpreter's limits"};
    // The ideal gas of the components' standard-state data: the terms give
    // the residual part and the ideal gas's -ln V alone.
    ideal = new Standard();
    Vl0 = 1e-4;
    Vv0 = 0.002;
    Tmin = 80.0;
}

void Kreglewski_EOS::storeInteraction(int i, Interaction* t) {
    if (i < 0 || i >= static_cast<int>(interactions.size())) {
        platform::diagf("You have specified a false interaction index (%d)...\n", i);
        delete t;
        return;
    }
    delete interactions[i];
    interactions[i] = t;
}

void Kreglewski_EOS::number_of_components(int n) {
    if (n < 1) {
        FluidPhase::number_of_components(n);  // refused with a message, the model left as it was
        return;
    }
    // A count above 2 goes to the binary terms, which refuse it.
    if (n == component_count && interactions[0]) return;
    if (n == 1) {
        storeInteraction(0, new HCB1());
        storeInteraction(1, new Kreglewski1());
    } else {
        storeInteraction(0, new HCB2());
        storeInteraction(1, new Kreglewski2());
    }
    FluidPhase::number_of_components(n);
}

const Kreglewski_EOS::ComponentData* Kreglewski_EOS::findComponent(const char* name) {
    for (const ComponentData& c : kComponents)
        if (same(c.name, name)) return &c;
    return nullptr;
}

void Kreglewski_EOS::read_component_data(int i, const char* name) {
    if (i < 0 || i >= component_count) return;
    readIdealComponentData(ideal, name);
    setComponent(i, name);
    set_component_data(i);
    bulk_molar_weight = molar_mass[0];
}

void Kreglewski_EOS::set_component_data(int i) {
    if (i < 0 || i >= component_count) return;
    const ComponentData* c = findComponent(component_names[i].c_str());
    if (!c) return;
    if (c->mw > 0.0) molar_mass[i] = c->mw;
    if (component_count == 1) {
        initializeCriticalParameters(c->name, critical_T, critical_V);
        static_cast<HCB1*>(interactions[0])->set_parameters(c->alpha, c->V00, c->u0, kSoftness);
        static_cast<Kreglewski1*>(interactions[1])->set_parameters(c->V00, c->u0, c->eta, kSoftness);
    } else if (component_count == 2) {
        static_cast<HCB2*>(interactions[0])->set_parameters_of_component(i, c->alpha, c->V00, c->u0, kSoftness);
        static_cast<Kreglewski2*>(interactions[1])->set_parameters_of_component(i, c->V00, c->u0, c->eta,
                                                                                 kSoftness);
    }
}

void Kreglewski_EOS::binaryParameters(const char* name1, const char* name2, double eta1, double eta2, double& kv,
                                      double& a12, double& b12, double& xi12) {
    for (const PairData& p : kPairs) {
        if ((same(p.a, name1) && same(p.b, name2)) || (same(p.a, name2) && same(p.b, name1))) {
            kv = p.kv;
            a12 = p.a12;
            b12 = p.b12;
            xi12 = p.xi12;
            return;
        }
    }
    kv = 1.0;
    a12 = 0.5 * (eta1 + eta2);
    b12 = 0.0;
    xi12 = 1.0;
}

void Kreglewski_EOS::read_remaining_component_data() {
    if (component_count != 2) return;
    auto* hcb = static_cast<HCB2*>(interactions[0]);
    auto* kr = static_cast<Kreglewski2*>(interactions[1]);
    double kv, a12, b12, xi12;
    binaryParameters(component_names[0].c_str(), component_names[1].c_str(), kr->parameters[2], kr->parameters[5],
                     kv, a12, b12, xi12);
    hcb->set_binary_parameters(kv);
    kr->set_binary_parameters(kv, a12, b12, xi12);
    hcb->finalize_parameters();
    kr->finalize_parameters();
}

void Kreglewski_EOS::initializeCriticalParameters(const char* name, double& Tc, double& Vc) {
    for (const CriticalStart& c : kCriticalStarts) {
        if (same(c.name, name)) {
            Tc = c.T;
            Vc = c.V;
            return;
        }
    }
}

void Kreglewski_EOS::selectComponent(const char* name) {
    if (component_count < 1) return;
    int k = 0;
    for (int i = 0; i < component_count; i++) {
        if (same(component_names[i].c_str(), name)) {
            k = i;
            break;
        }
    }
    for (int i = 0; i < component_count; i++) composition_of_component(i, i == k ? 1.0 : 0.0);
    normalizeCompositions();
    initializeCriticalParameters(name, critical_T, critical_V);
}

void Kreglewski_EOS::calculateTheCriticalCurve(const char* suffix) {
    if (component_count != 2) {
        platform::diagf("The critical curve is that of a binary mixture, not of %d components\n", component_count);
        errorflag = 1;
        return;
    }
    const std::string path = std::string("crit") + (suffix ? suffix : "");
    double Tc1 = 0.0, Vc1 = 0.0, Tc2 = 0.0, Vc2 = 0.0;
    initializeCriticalParameters(component_names[0].c_str(), Tc1, Vc1);
    initializeCriticalParameters(component_names[1].c_str(), Tc2, Vc2);
    if (Tc1 <= 0.0 || Tc2 <= 0.0) {
        // Only the four small molecules have start values of their critical points.
        platform::diagf("No critical-point start values for %s and %s: no critical curve\n",
                     component_names[0].c_str(), component_names[1].c_str());
        errorflag = 1;
        return;
    }
    // Every branch from a pure component's critical point, the first from
    // the component of the higher critical temperature, whichever is named
    // first.
    const double Tstart[2] = {Tc1, Tc2}, Vstart[2] = {Vc1, Vc2};
    traceTheCriticalCurveBranches(path.c_str(), Tstart, Vstart, 1, suffix ? suffix : "", nullptr);  // an Igor text file
}

double Kreglewski_EOS::estimate_Vl0() {
    // Dense side of the isotherm: beyond the close packing nothing; just above
    // it the dispersion series bends P(V) over into a mechanically unstable
    // branch; then the liquid branch, falling and convex.  The start is the
    // last volume of a scan along that branch whose pressure is still above
    // the one asked for: Newton's steps from there approach the liquid root
    // from the dense side without crossing it.
    const double V0 = interactions.empty() || !interactions[0] ? 0.0 : interactions[0]->getVolumeMinimum();
    if (!(V0 > 0.0)) return FluidPhase::estimate_Vl0();
    // The scan steps by 6 % and the last step, where the pressure falls
    // through the one asked for, is halved three times (to under 1 %).
    const double target = P, keptV = V;
    const ErrorFlagScope keptFlag(*this, ErrorFlagScope::kAsItIs);
    // A binary's terms give Z along the isotherm in closed form at the
    // cost of a few operations; any other count is evaluated state by state.
    auto* hcb = component_count == 2 ? dynamic_cast<HCB2*>(interactions[0]) : nullptr;
    auto* series = component_count == 2 && interactions.size() > 1 ? dynamic_cast<Kreglewski2*>(interactions[1])
                                                                    : nullptr;
    const bool closed = hcb && series && !hcb->refusedComponents && !series->refusedComponents &&
                        std::isfinite(hcb->compressibilityAt(V0)) && std::isfinite(series->compressibilityAt(V0));
    auto pressureAt = [&](double v) {
        if (closed) return closedFormPressure(*hcb, *series, v);
        volume(v);
        errorflag = 0;
        calculate_pressure();
        return errorflag ? std::nan("") : P;
    };
    const double* grid = closed ? scanPressures(*hcb, *series, V0) : nullptr;
    double start = 1.5 * V0, previous = HUGE_VAL, below = 0.0, pStart = HUGE_VAL;
    int k = 0;
    for (double v = 1.02 * V0; v < 5.0 * V0; v *= 1.06, ++k) {
        const double p = grid && k < kScanPoints ? grid[k] : pressureAt(v);
        if (!std::isfinite(p)) continue;
        const bool falling = p < previous;
        previous = p;
        if (!falling) continue;
        if (p < target) {
            below = v;
            break;
        }
        start = v;
        pStart = p;
    }
    // Only while the pressure falls between the two (one stretch of the
    // liquid branch).
    if (below > start)
        for (int halving = 0; halving < 3; ++halving) {
            const double mid = std::sqrt(start * below), p = pressureAt(mid);
            if (!std::isfinite(p) || p > pStart) break;
            if (p < target) {
                below = mid;
            } else {
                start = mid;
                pStart = p;
            }
        }
    P = target;
    volume(keptV);
    return start;
}

double Kreglewski_EOS::closedFormPressure(HCB2& hcb, Kreglewski2& series, double v) const {
    // P = R T Z/V with the terms' Z summed in their order, as calculate_pressure sums them.
    const double p = R * (hcb.compressibilityAt(v) + series.compressibilityAt(v)) * T / v;
    return std::isfinite(p) ? p : std::nan("");
}

const double* Kreglewski_EOS::scanPressures(HCB2& hcb, Kreglewski2& series, double V0) {
    const int versions[2] = {hcb.parameterVersion(), series.parameterVersion()};
    LiquidScan& s = scans_[compositionSlot(kKeptScans)];
    if (s.T == T && s.x1 == x[0] && s.x2 == x[1] && s.V0 == V0 && s.versions[0] == versions[0] &&
        s.versions[1] == versions[1])
        return s.p;
    s = {T, x[0], x[1], V0, {versions[0], versions[1]}, {}};
    int k = 0;
    for (double v = 1.02 * V0; v < 5.0 * V0 && k < kScanPoints; v *= 1.06, ++k) s.p[k] = closedFormPressure(hcb, series, v);
    return s.p;
}

std::size_t Kreglewski_EOS::compositionSlot(std::size_t slots) const {
    // One slot for each composition (its bits hashed), replaced by the next
    // that falls on it.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x[0], sizeof bits);
    bits ^= bits >> 29;
    bits *= 0x9e3779b97f4a7c15ull;
    return static_cast<std::size_t>(bits >> 52) % slots;
}

namespace {

// P (Pa) and dP/dV of the binary's terms at v, T.
struct IsothermPoint {
    double v = 0.0, p = 0.0, s = 0.0;
};

// The binary's isotherm at its T and composition: the hard-body term's
// alpha and packing and the series in V0/V with V0, read once from the
// terms, each point then the terms' own Z summed in their order.
struct Isotherm {
    double T = 0.0, alpha = 0.0, packing = 0.0, V0 = 0.0;
    const kreglewski::SeriesInW* series = nullptr;
    Isotherm(HCB2& hcb, Kreglewski2& dispersion, double T_) : T(T_) {
        if (hcb.compressibilityTerms(alpha, packing)) series = dispersion.compressibilityTerms(V0);
    }
    // Whether both terms give a closed form.
    bool ready() const { return series != nullptr; }
    IsothermPoint at(double v) const {
        if (!(v > 0.0)) return {v, std::nan(""), std::nan("")};
        double d1 = 0.0, d2 = 0.0;
        const double z = kreglewski::hardBodyCompressibility(alpha, packing, v, d1) + series->compressibility(V0, v, d2);
        return {v, FluidPhase::R * T * z / v, FluidPhase::R * T * (v * (d1 + d2) - z) / (v * v)};
    }
};

// Whether P(V) follows one slope's sign between a and b without an extremum
// inside, as far as its values and slopes at the ends tell: the cubic that
// matches them is monotone there (Fritsch and Carlson 1980: the ends'
// slopes over the secant's, alpha and beta, not negative and
// alpha^2 + beta^2 <= 9).
bool followed(const IsothermPoint& a, const IsothermPoint& b) {
    const double m = (b.p - a.p) / (b.v - a.v);
    if (!(m != 0.0) || (a.s < 0.0) != (b.s < 0.0) || (m < 0.0) != (a.s < 0.0)) return false;
    const double alpha = a.s / m, beta = b.s / m;
    return alpha >= 0.0 && beta >= 0.0 && alpha * alpha + beta * beta <= 9.0;
}

// Whether the isotherm follows one slope's sign from a to b, the step
// halved down to a sixteenth where it does not at once.
bool followedBetween(const Isotherm& iso, const IsothermPoint& a, const IsothermPoint& b, int depth) {
    if (followed(a, b)) return true;
    if (depth == 0) return false;
    const IsothermPoint mid = iso.at(std::sqrt(a.v * b.v));
    return (mid.s < 0.0) == (a.s < 0.0) && followedBetween(iso, a, mid, depth - 1) &&
           followedBetween(iso, mid, b, depth - 1);
}

}  // namespace

const Kreglewski_EOS::IsothermShape& Kreglewski_EOS::isothermShape(HCB2& hcb, Kreglewski2& series, double V0) {
    const int versions[2] = {hcb.parameterVersion(), series.parameterVersion()};
    IsothermShape& shape = shapes_[compositionSlot(kKeptShapes)];
    if (shape.T == T && shape.x1 == x[0] && shape.x2 == x[1] && shape.V0 == V0 && shape.versions[0] == versions[0] &&
        shape.versions[1] == versions[1])
        return shape;
    shape = {T, x[0], x[1], V0, {versions[0], versions[1]}, true, false, 0, {}, {}, {}, {}};
    // (none where the terms give no closed form at the close packing)
    const Isotherm iso(hcb, series, T);
    if (!iso.ready() || !std::isfinite(hcb.compressibilityAt(V0)) || !std::isfinite(series.compressibilityAt(V0))) {
        shape.resolved = false;
        return shape;
    }
    // The volume (its pressure) where dP/dV changes sign between a and b:
    // regula falsi on dP/dV in ln V, the Illinois way (the end kept twice
    // in a row has its slope halved), down to a relative 1e-10 in V, where
    // the pressure, flat at the extremum, is the extremum's to its last bits.
    auto turn = [&](IsothermPoint a, IsothermPoint b) {
        double sa = a.s, sb = b.s, la = std::log(a.v), lb = std::log(b.v);
        int side = 0;
        for (int k = 0; k < 200 && b.v - a.v > 1e-10 * a.v; ++k) {
            double l = lb - sb * (lb - la) / (sb - sa);
            if (!(l > la && l < lb)) l = 0.5 * (la + lb);
            const IsothermPoint m = iso.at(std::exp(l));
            if (!(m.v > a.v && m.v < b.v)) break;
            // (each end's ln V taken once, from the volume it holds)
            const double lm = std::log(m.v);
            if ((m.s < 0.0) == (a.s < 0.0)) {
                a = m;
                la = lm;
                sa = m.s;
                if (side == -1) sb *= 0.5;
                side = -1;
            } else {
                b = m;
                lb = lm;
                sb = m.s;
                if (side == 1) sa *= 0.5;
                side = 1;
            }
        }
        return a.s < 0.0 ? b : a;  // the end on the rising side: the extremum's pressure
    };
    // A step of 10 % in V from just above the close packing to 6 times it,
    // where the liquid's stretch and the loop's rising part lie, then each
    // step half as long again as the one before (up to a doubling of V)
    // towards the dilute gas, to 1000 times it (beyond, Z = 1 + B/V + ...
    // falls with V); a step is halved (down to a sixteenth) where it does not
    // follow the isotherm, and an extremum is found wherever the slope
    // changes sign across a step.
    IsothermPoint prev = iso.at(1.02 * V0);
    if (prev.s < 0.0) {
        shape.openDenseEnd = true;
        shape.Va[0] = prev.v;
        shape.Pa[0] = prev.p;
        shape.n = 1;
    }
    double step = 1.1;
    for (double v = 1.02 * V0 * step; shape.resolved && v < 1000.0 * V0;
         step = v < 6.0 * V0 ? step : std::min(2.0, 1.0 + 1.5 * (step - 1.0)), v *= step) {
        IsothermPoint next = iso.at(v);
        if (!std::isfinite(next.p + next.s)) {
            shape.resolved = false;
            break;
        }
        if ((prev.s < 0.0) == (next.s < 0.0) && !followedBetween(iso, prev, next, 4)) {
            shape.resolved = false;
            break;
        }
        if ((prev.s < 0.0) != (next.s < 0.0)) {
            const IsothermPoint e = turn(prev, next);
            if (next.s < 0.0) {  // a maximum: a stable stretch begins
                if (shape.n == kMaxStretches) {
                    shape.resolved = false;
                    break;
                }
                shape.Va[shape.n] = e.v;
                shape.Pa[shape.n] = e.p;
                ++shape.n;
            } else {  // a minimum: it ends
                shape.Vb[shape.n - 1] = e.v;
                shape.Pb[shape.n - 1] = e.p;
            }
        }
        prev = next;
    }
    if (shape.n == 0 || !(prev.s < 0.0)) shape.resolved = false;  // the gas's stretch reaches beyond the grid
    if (shape.resolved) {
        shape.Vb[shape.n - 1] = HUGE_VAL;
        shape.Pb[shape.n - 1] = 0.0;
    }
    return shape;
}

int Kreglewski_EOS::stablePressureRootCount(double T_, double P_bar, double* roots) {
    if (roots) return 0;
    int stretches[kMaxStretches];
    const IsothermShape* shape = nullptr;
    return spanningStretches(T_, P_bar, shape, stretches);
}

int Kreglewski_EOS::spanningStretches(double T_, double P_bar, const IsothermShape*& shape,
                                      int (&stretches)[kMaxStretches]) {
    if (component_count != 2 || x.size() != 2 || !(x[0] > 0.0 && x[1] > 0.0) || T_shift != 0.0 || P_shift != 0.0 ||
        capillary_mode != 0 || !(T_ > 0.0) || !(P_bar > 0.0))
        return 0;
    auto* hcb = dynamic_cast<HCB2*>(interactions[0]);
    auto* series = interactions.size() > 1 ? dynamic_cast<Kreglewski2*>(interactions[1]) : nullptr;
    if (!hcb || !series || hcb->refusedComponents || series->refusedComponents) return 0;
    if (T != T_) temperature(T_);
    const double V0 = hcb->getVolumeMinimum();
    if (!(V0 > 0.0)) return 0;
    shape = &isothermShape(*hcb, *series, V0);
    if (!shape->resolved) return 0;
    // A root on each stretch whose pressures span P; none told beside a
    // spinodal's pressure, nor above the dense end where the grid begins.
    const double p = P_bar * 1e5, margin = 1e-6 * p;
    if (shape->openDenseEnd && p >= shape->Pa[0] - margin) return 0;
    int count = 0;
    for (int k = 0; k < shape->n; ++k) {
        if (std::fabs(p - shape->Pa[k]) <= margin || std::fabs(p - shape->Pb[k]) <= margin) return 0;
        if (p < shape->Pa[k] && p > shape->Pb[k]) stretches[count++] = k;
    }
    return count == 1 || count == 2 ? count : 0;
}

namespace {

// The root of P(V) = p (Pa) on a stable stretch of the isotherm, where P
// falls from above p at Va to below it at Vb (infinite for the gas's
// stretch, whose pressure falls to 0): Newton's method in ln V, each step
// kept inside the bracket it narrows (bisected in ln V where it leaves it),
// until the step is at the last bits of the volume; 0 where it ends
// without one.
double rootOnStretch(const Isotherm& iso, double p, double Va, double Vb) {
    if (!iso.ready()) return 0.0;
    double lo = Va, hi = Vb;
    // On the gas's stretch P falls below the ideal gas's R T/V at most a
    // few times beyond it: the bracket's end there, at least `bound`, is
    // found only where a step asks for it (most steps stay below `bound`).
    const double bound = std::max(2.0 * Va, FluidPhase::R * iso.T / p);
    bool pending = !std::isfinite(hi);
    auto upper = [&] {
        if (pending) {
            hi = bound;
            for (int k = 0; k < 60 && iso.at(hi).p > p; ++k) hi *= 2.0;
            pending = false;
        }
        return hi;
    };
    double v = std::isfinite(Vb) ? std::sqrt(lo * hi) : std::max(lo, FluidPhase::R * iso.T / p);
    for (int it = 0; it < 200; ++it) {
        const IsothermPoint a = iso.at(v);
        if (!std::isfinite(a.p) || !std::isfinite(a.s)) return 0.0;
        if (a.p == p) return v;
        if (a.p > p) {
            lo = v;
        } else {
            hi = v;
            pending = false;
        }
        // Newton's step in ln V: dP/d ln V = V dP/dV.
        double next = a.s < 0.0 ? v * std::exp(-(a.p - p) / (v * a.s)) : 0.0;
        if (!(next > lo && (pending && next < bound ? true : next < upper()))) next = std::sqrt(lo * upper());
        if (std::fabs(next - v) <= 1e-15 * v) return next;
        if (!(pending && bound > lo * (1.0 + 4e-16)) && !(upper() > lo * (1.0 + 4e-16))) return next;
        v = next;
    }
    return 0.0;
}

}  // namespace

int Kreglewski_EOS::closedFormMixtureRoots(double T_, double P_bar, const double* x_, ClosedFormRoot roots[2],
                                           double* lnPhi, bool) {
    // The stable state asks for the roots with the fluid's ln phi alone (the
    // roots' Gibbs energies differ by R T times its difference); the trial
    // phases of the tangent-plane test and the tie lines with each
    // component's.
    // (the stable state is then set at its root, whose second-order answer
    // the terms keep; the trial phases ask for ln phi alone)
    const bool firstOrderOnly = lnPhi != nullptr;
    double own[4];
    if (!lnPhi) lnPhi = own;
    if (!x_ || component_count != 2 || x.size() != 2 || !(x_[0] > 0.0 && x_[1] > 0.0)) return -1;
    auto* hcb = dynamic_cast<HCB2*>(interactions[0]);
    auto* series = interactions.size() > 1 ? dynamic_cast<Kreglewski2*>(interactions[1]) : nullptr;
    if (!hcb || !series || hcb->refusedComponents || series->refusedComponents) return -1;
    // The model's own composition is left as it was: the terms read the
    // trial's, which is put in place of it for this call alone.
    const double kept[2] = {x[0], x[1]};
    composition(x_);
    int stretches[kMaxStretches];
    const IsothermShape* shape = nullptr;
    const int n = spanningStretches(T_, P_bar, shape, stretches);
    // (the same roots and ln phi where this state was asked for last)
    const int versions[2] = {hcb->parameterVersion(), series->parameterVersion()};
    KeptRoots& memo = keptRoots_[compositionSlot(kKeptRoots)];
    const bool asked = n > 0 && memo.T == T_ && memo.P == P_bar && memo.x1 == x[0] && memo.x2 == x[1] &&
                       memo.versions[0] == versions[0] && memo.versions[1] == versions[1] &&
                       memo.firstOrderOnly == firstOrderOnly;
    int found = 0;
    if (asked) {
        found = memo.found;
        std::copy(memo.roots, memo.roots + found, roots);
        std::copy(memo.lnPhi, memo.lnPhi + 2 * found, lnPhi);
    } else {
        const double p = P_bar * 1e5;
        const Isotherm iso(*hcb, *series, T);
        for (int k = 0; k < n; ++k) {
            const double v = rootOnStretch(iso, p, shape->Va[stretches[k]], shape->Vb[stretches[k]]);
            if (!(v > 0.0) || !lnPhiAt(*hcb, *series, v, p, lnPhi + 2 * found, firstOrderOnly)) break;
            roots[found].V = v;
            roots[found].lnPhi = x[0] * lnPhi[2 * found] + x[1] * lnPhi[2 * found + 1];
            ++found;
        }
        if (n > 0) {
            memo = {T_, P_bar, x[0], x[1], {versions[0], versions[1]}, firstOrderOnly, found, {}, {}};
            std::copy(roots, roots + found, memo.roots);
            std::copy(lnPhi, lnPhi + 2 * found, memo.lnPhi);
        }
    }
    for (int i = 0; i < 2; ++i) composition_of_component(i, kept[i]);
    return found == n ? n : 0;
}

bool Kreglewski_EOS::lnPhiAt(HCB2& hcb, Kreglewski2& series, double v, double p, double* lnPhi,
                             bool firstOrderOnly) {
    // Each term's residual chemical potential mu_i/(R T) = a + Z + da/dx_i -
    // sum_j x_j da/dx_j, the terms' a holding the ideal gas's -ln V (Z its
    // 1), which ln V - 1 takes back; ln phi_i at p is that less ln(p V/(R T)).
    double rcp[2] = {std::log(v) - 1.0, std::log(v) - 1.0};
    for (int t = 0; t < 2; ++t) {
        kreglewski::FirstOrder first;
        double av = 0.0, g[3] = {0.0, 0.0, 0.0};  // a, a_V, a_x1, a_x2
        if (firstOrderOnly) {
            if (!(t == 0 ? hcb.firstOrderAt(v, first) : series.firstOrderAt(v, first))) return false;
            av = first.v;
            for (int k = 0; k < 3; ++k) g[k] = first.g[1 + k];
        } else {
            const kreglewski::SecondOrder* a = t == 0 ? hcb.secondOrderAt(v) : series.secondOrderAt(v);
            if (!a) return false;
            av = a->v;
            for (int k = 0; k < 3; ++k) g[k] = a->g[1 + k];
        }
        const double z = -v * g[0], sx = x[0] * g[1] + x[1] * g[2];
        for (int i = 0; i < 2; ++i) rcp[i] += g[1 + i] - sx + av + z;
    }
    const double lnZ = std::log(p * v / (R * T));
    for (int i = 0; i < 2; ++i) lnPhi[i] = rcp[i] - lnZ;
    return std::isfinite(lnPhi[0]) && std::isfinite(lnPhi[1]);
}
