// The stable state of every pure fluid of the cubics (PR, PRSV, SRK, SRK1,
// Montel) and of Kreglewski's equation, as the model factory builds
// "PR:CO2", ... (CO2, CH4, N2, H2O), against its neighbouring temperatures
// and against a plain cubic written here:
//   BM_PureAcrossCritical  range 0: T = Tc (1 + f) for f = -1e-2, -1e-3,
//                          -1e-6, -1e-9, 0, 1e-9, 1e-6, 1e-3, 1e-2 (Tc the
//                          model's own critical point); range 1: T = 0.6,
//                          0.7, 0.8, 0.9, 0.95, 0.99 Tc; 30 pressures from 1
//                          bar to 8 Pc (log-spaced) at each.  Per-state times
//                          of each temperature (t0_us ...), the largest over
//                          the smaller of its neighbours (max_over_neighbour),
//                          and for a cubic the plain cubic's per-state time
//                          on the same states (plain_us) with the largest
//                          ratio of a temperature's time to it (max_over_plain);
//   BM_PureShortcutsAgainstSearch  the pure fluid's shortcuts against the
//                          searches they replace, on the states of both sets;
//   BM_PurePrintedState    the state the interpreter prints from (T, P)
//                          (StateReport::reportedStateFromTP) against the
//                          stable state alone, at Tc (1 - 1e-9) and 30
//                          pressures.
//   BM_PureKindAcrossCritical  the volume search of a phase kind (argument:
//                          1 vapour, 2 liquid; calculate_molar_volume) of the
//                          cubics' fluids (PR, PRSV, SRK, SRK1, Montel) at
//                          T = Tc (1 + f) for the same f, at the same 30
//                          pressures and at Pc (1 -+ 1e-3, 1 -+ 1e-6, 1): the
//                          mean per-state time of each temperature, the
//                          largest time of a state over the smallest of its
//                          neighbours in T and in P (max_over_neighbour) with
//                          that state (worst_T_over_Tc, worst_P_over_Pc), and
//                          the slowest state (slowest_us);
//   BM_DuanPureAgainstSingleFluid  Duan, Moller & Weare's pure fluids by
//                          DMWEOS:c, DMW1:c and a DMW2 binary at its pure end
//                          against the same equation under its single-fluid
//                          name (DuanH2O, DuanCO2, DuanCH4), state by state
//                          on one sequence (temperatures 0.01 to 10 K apart
//                          below the critical point and above it, 10
//                          pressures from 1 bar to 1 kbar each): the mean
//                          per-state times (model_us, single_us) and the
//                          median and largest ratio of a state's time to
//                          the single fluid's at the same state
//                          (median_ratio, max_ratio).
// Per-state times are the thread's processor time, the smallest of the
// passes, which a busy machine inflates least.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <time.h>

#include "console/FluidModelFactory.h"
#include "fluid/FluidPhase.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"

namespace {

// The thread's own processor time (us): what other work on a shared machine
// takes does not count.
double threadMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return 1e6 * static_cast<double>(t.tv_sec) + 1e-3 * static_cast<double>(t.tv_nsec);
}

// A plain two-parameter cubic, P = RT/(V - b) - a/(V^2 + u b V + w b^2),
// with Soave's alpha(T) = (1 + m (1 - sqrt(T/Tc)))^2: the roots of its cubic
// in Z by Cardano's formula (trigonometric where it has three), the stable
// one of lower Gibbs energy.  Peng-Robinson u = 2, w = -1; SRK u = 1, w = 0.
struct PlainCubic {
    double Tc, Pc, m, u, w, OmegaA, OmegaB;
    static constexpr double R = 8.31434;

    double volume(double T, double P) const {
        const double al = 1.0 + m * (1.0 - std::sqrt(T / Tc));
        const double a = OmegaA * R * R * Tc * Tc / Pc * al * al, b = OmegaB * R * Tc / Pc;
        const double A = a * P / (R * R * T * T), B = b * P / (R * T);
        const double c2 = -(1.0 + B - u * B), c1 = A + w * B * B - u * B - u * B * B, c0 = -(A * B + w * B * B + w * B * B * B);
        const double q = (3.0 * c1 - c2 * c2) / 9.0, r = (9.0 * c2 * c1 - 27.0 * c0 - 2.0 * c2 * c2 * c2) / 54.0;
        const double disc = q * q * q + r * r;
        double z[3];
        int n = 0;
        if (disc > 0.0) {
            const double s = std::sqrt(disc);
            z[n++] = std::cbrt(r + s) + std::cbrt(r - s) - c2 / 3.0;
        } else {
            const double th = std::acos(std::clamp(r / std::sqrt(-q * q * q), -1.0, 1.0)), sq = 2.0 * std::sqrt(-q);
            for (int k = 0; k < 3; ++k) z[n++] = sq * std::cos((th + 2.0 * M_PI * k) / 3.0) - c2 / 3.0;
        }
        double zl = 1e300, zv = -1e300;
        for (int k = 0; k < n; ++k)
            if (z[k] > B) zl = std::min(zl, z[k]), zv = std::max(zv, z[k]);
        const double s = std::sqrt(u * u - 4.0 * w), d1 = 0.5 * (u + s), d2 = 0.5 * (u - s);
        auto g = [&](double Z) {
            return Z - 1.0 - std::log(Z - B) - A / (B * (d1 - d2)) * std::log((Z + d1 * B) / (Z + d2 * B));
        };
        const double Z = zv > zl && g(zl) < g(zv) ? zl : zv;
        return Z * R * T / P;
    }
};

struct PureCase {
    const char* model;
    const char* fluid;
    double omega;  // of the plain cubic
};

// The plain cubic of the model's family at its critical point; none (m = NaN) for Kreglewski.
PlainCubic plainOf(const PureCase& c, double Tc, double Pc) {
    const std::string name = c.model;
    const double w = c.omega;
    if (name == "PR" || name == "PRSV")
        return {Tc, Pc, 0.37464 + 1.54226 * w - 0.26992 * w * w, 2.0, -1.0, 0.45724, 0.07780};
    if (name == "Kreglewski") return {Tc, Pc, std::nan(""), 1.0, 0.0, 0.42748, 0.08664};
    return {Tc, Pc, 0.48 + 1.574 * w - 0.176 * w * w, 1.0, 0.0, 0.42748, 0.08664};
}

constexpr double kNearTc[] = {-1e-2, -1e-3, -1e-6, -1e-9, 0.0, 1e-9, 1e-6, 1e-3, 1e-2};
constexpr double kBelowTc[] = {0.6, 0.7, 0.8, 0.9, 0.95, 0.99};

std::unique_ptr<FluidPhase> pureModel(const PureCase& c) {
    const std::string name = std::string(c.model) + ":" + c.fluid;
    return std::unique_ptr<FluidPhase>(createFluidModel(name.c_str()));
}

std::vector<double> pressures(double Pc) {
    std::vector<double> P;
    for (int j = 0; j < 30; ++j) P.push_back(std::pow(8.0 * Pc * 1e-5, j / 29.0));
    return P;
}

double stableVolume(FluidPhase& m, double T, double Pbar) {
    m.errorflag = 0;
    const FluidPhase::StableState s = m.calculateStableStateFromTP(T, Pbar);
    return s.phase == FluidPhase::kPhaseNone || m.errorflag ? std::nan("") : m.V;
}

// Per-state time (us) of f over the pressures at T.
template <class F>
double perState(const std::vector<double>& P, double T, F f) {
    double sink = 0.0;
    const double t0 = threadMicroseconds();
    for (double p : P) sink += f(T, p);
    const double us = (threadMicroseconds() - t0) / P.size();
    benchmark::DoNotOptimize(sink);
    return us;
}

void BM_PureAcrossCritical(benchmark::State& state, PureCase c) {
    const platform::ThreadLogCapture quiet;
    auto m = pureModel(c);
    double Tc = 0.0, Pc = 0.0;
    if (!m || !m->modelCriticalPoint(Tc, Pc)) return state.SkipWithError("no model or no critical point");
    const bool near = state.range(0) == 0;
    std::vector<double> T;
    for (double f : kNearTc) T.push_back(Tc * (1.0 + f));
    if (!near) T.assign(std::begin(kBelowTc), std::end(kBelowTc));
    if (!near)
        for (double& t : T) t *= Tc;
    const std::vector<double> P = pressures(Pc);
    const PlainCubic plain = plainOf(c, Tc, Pc);
    const bool cubic = std::isfinite(plain.m);
    for (double t : T)
        for (double p : P)
            if (!std::isfinite(stableVolume(*m, t, p))) return state.SkipWithError("a stable state failed");
    std::vector<double> best(T.size(), 1e300), bestPlain(T.size(), 1e300);
    for (auto _ : state)
        for (std::size_t k = 0; k < T.size(); ++k) {
            best[k] = std::min(best[k], perState(P, T[k], [&](double t, double p) { return stableVolume(*m, t, p); }));
            if (cubic)
                bestPlain[k] = std::min(bestPlain[k], perState(P, T[k], [&](double t, double p) { return plain.volume(t, p * 1e5); }));
        }
    double overNeighbour = 0.0, overPlain = 0.0, plainMean = 0.0;
    for (std::size_t k = 0; k < T.size(); ++k) {
        state.counters["t" + std::to_string(k) + "_us"] = best[k];
        const double left = k > 0 ? best[k - 1] : 1e300, right = k + 1 < T.size() ? best[k + 1] : 1e300;
        overNeighbour = std::max(overNeighbour, best[k] / std::min(left, right));
        overPlain = std::max(overPlain, best[k] / bestPlain[k]);
        plainMean += bestPlain[k] / T.size();
    }
    state.counters["max_over_neighbour"] = overNeighbour;
    if (cubic) {
        state.counters["plain_us"] = plainMean;
        state.counters["max_over_plain"] = overPlain;
    }
    state.SetLabel(near ? "Tc (1 -1e-2 -1e-3 -1e-6 -1e-9 0 +1e-9 +1e-6 +1e-3 +1e-2)" : "0.6 0.7 0.8 0.9 0.95 0.99 Tc");
}

void BM_PurePrintedState(benchmark::State& state, PureCase c) {
    const platform::ThreadLogCapture quiet;
    auto m = pureModel(c);
    double Tc = 0.0, Pc = 0.0;
    if (!m || !m->modelCriticalPoint(Tc, Pc)) return state.SkipWithError("no model or no critical point");
    const double T = Tc * (1.0 - 1e-9);
    const std::vector<double> P = pressures(Pc);
    StateReport report(*m);
    auto printed = [&](double t, double p) {
        ReportedState s;
        m->errorflag = 0;
        return report.reportedStateFromTP(t, p, s) ? m->V : 0.0;
    };
    double bestPrinted = 1e300, bestStable = 1e300;
    for (auto _ : state) {
        bestPrinted = std::min(bestPrinted, perState(P, T, printed));
        bestStable = std::min(bestStable, perState(P, T, [&](double t, double p) { return stableVolume(*m, t, p); }));
    }
    state.counters["printed_us"] = bestPrinted;
    state.counters["stable_us"] = bestStable;
    state.counters["ratio"] = bestPrinted / bestStable;
    state.SetLabel("Tc (1 - 1e-9), 1 bar to 8 Pc");
}

// The pure fluid's shortcuts (the cubics' closed-form roots, the saturation
// by the approach to the critical point, the saturation kept for its
// temperature) against the searches they replace (the model's
// usePureFluidShortcuts off) on every state of both sets of temperatures, with
// the other root asked for: the largest relative difference of the stable
// volumes and of the other roots' (other_rel_diff), the states whose phase
// differs (phase_differs) or whose other root is named by one path only
// (other_differs: the searches of the classical cubics miss the metastable
// root the closed form gives), and the per-state times of
// both (shortcut_us, search_us).
void BM_PureShortcutsAgainstSearch(benchmark::State& state, PureCase c) {
    const platform::ThreadLogCapture quiet;
    auto m = pureModel(c);
    double Tc = 0.0, Pc = 0.0;
    if (!m || !m->modelCriticalPoint(Tc, Pc)) return state.SkipWithError("no model or no critical point");
    std::vector<double> T;
    for (double f : kNearTc) T.push_back(Tc * (1.0 + f));
    for (double f : kBelowTc) T.push_back(Tc * f);
    const std::vector<double> P = pressures(Pc);
    auto stable = [&](bool closed, double t, double p, FluidPhase::StableState& s) {
        m->usePureFluidShortcuts = closed;
        m->errorflag = 0;
        s = m->calculateStableStateFromTP(t, p, true);
        m->usePureFluidShortcuts = true;
        return s.phase == FluidPhase::kPhaseNone || m->errorflag ? std::nan("") : m->V;
    };
    double worst = 0.0, worstOther = 0.0, differs = 0.0, otherDiffers = 0.0;
    for (double t : T)
        for (double p : P) {
            FluidPhase::StableState a, b;
            const double Va = stable(true, t, p, a), Vb = stable(false, t, p, b);
            if (!std::isfinite(Va) || !std::isfinite(Vb)) return state.SkipWithError("a stable state failed");
            worst = std::max(worst, std::fabs(Va / Vb - 1.0));
            if (a.phase != b.phase) differs += 1.0;
            if (a.otherPhase != b.otherPhase) otherDiffers += 1.0;
            else if (a.otherPhase != FluidPhase::kPhaseNone)
                worstOther = std::max(worstOther, std::fabs(a.otherV / b.otherV - 1.0));
        }
    double bestClosed = 1e300, bestSearch = 1e300;
    FluidPhase::StableState s;
    for (auto _ : state) {
        double closed = 0.0, search = 0.0;
        for (double t : T) {
            closed += perState(P, t, [&](double tt, double p) { return stable(true, tt, p, s); });
            search += perState(P, t, [&](double tt, double p) { return stable(false, tt, p, s); });
        }
        bestClosed = std::min(bestClosed, closed / T.size());
        bestSearch = std::min(bestSearch, search / T.size());
    }
    state.counters["max_rel_diff"] = worst;
    state.counters["other_rel_diff"] = worstOther;
    state.counters["phase_differs"] = differs;
    state.counters["other_differs"] = otherDiffers;
    state.counters["shortcut_us"] = bestClosed;
    state.counters["search_us"] = bestSearch;
    state.SetLabel("Tc (1 +- 1e-2 .. 1e-9), 0.6 .. 0.99 Tc; 1 bar to 8 Pc");
}

void BM_PureKindAcrossCritical(benchmark::State& state, PureCase c) {
    const platform::ThreadLogCapture quiet;
    auto m = pureModel(c);
    double Tc = 0.0, Pc = 0.0;
    if (!m || !m->modelCriticalPoint(Tc, Pc)) return state.SkipWithError("no model or no critical point");
    const int kind = static_cast<int>(state.range(0));
    std::vector<double> P = pressures(Pc);
    for (double k : {1.0 - 1e-3, 1.0 - 1e-6, 1.0, 1.0 + 1e-6, 1.0 + 1e-3}) P.push_back(k * Pc * 1e-5);
    std::sort(P.begin(), P.end());
    auto kindVolume = [&](double t, double p) {
        m->set_the_phase_as(kind);
        m->errorflag = 0;
        m->temperature(t);
        m->pressure(p);
        m->calculate_molar_volume();
        return m->errorflag ? 0.0 : m->V;
    };
    // Each state's time, one call in each pass (the pressures in turn at each
    // temperature), the smallest of the passes.
    const std::size_t nT = std::size(kNearTc), nP = P.size();
    std::vector<double> best(nT * nP, 1e300);
    for (auto _ : state)
        for (std::size_t k = 0; k < nT; ++k)
            for (std::size_t j = 0; j < nP; ++j)
                best[k * nP + j] =
                    std::min(best[k * nP + j], perState({P[j]}, Tc * (1.0 + kNearTc[k]), kindVolume));
    double overNeighbour = 0.0, worstT = 0.0, worstP = 0.0, slowest = 0.0;
    for (std::size_t k = 0; k < nT; ++k) {
        double mean = 0.0;
        for (std::size_t j = 0; j < nP; ++j) {
            const double t = best[k * nP + j];
            mean += t / nP;
            slowest = std::max(slowest, t);
            double neighbour = 1e300;
            if (k > 0) neighbour = std::min(neighbour, best[(k - 1) * nP + j]);
            if (k + 1 < nT) neighbour = std::min(neighbour, best[(k + 1) * nP + j]);
            if (j > 0) neighbour = std::min(neighbour, best[k * nP + j - 1]);
            if (j + 1 < nP) neighbour = std::min(neighbour, best[k * nP + j + 1]);
            if (t / neighbour > overNeighbour) {
                overNeighbour = t / neighbour;
                worstT = 1.0 + kNearTc[k];
                worstP = P[j] / (Pc * 1e-5);
            }
        }
        state.counters["t" + std::to_string(k) + "_us"] = mean;
    }
    state.counters["max_over_neighbour"] = overNeighbour;
    state.counters["worst_T_over_Tc"] = worstT;
    state.counters["worst_P_over_Pc"] = worstP;
    state.counters["slowest_us"] = slowest;
    state.SetLabel(kind == 1 ? "vapour kind, Tc (1 -1e-2 .. +1e-2)" : "liquid kind, Tc (1 -1e-2 .. +1e-2)");
}

struct DuanPureCase {
    const char* model;   // DMWEOS:c, DMW1:c, or a DMW2 binary at its end
    int end;             // the component at x = 1 of a binary; -1 for a pure model
    const char* single;  // the same equation under its single-fluid name
    std::vector<double> T;
};

std::unique_ptr<FluidPhase> duanModel(const char* name, int end) {
    std::unique_ptr<FluidPhase> m(createFluidModel(name));
    if (m && end >= 0) m->composition({end == 0 ? 1.0 : 0.0, end == 0 ? 0.0 : 1.0});
    return m;
}

void BM_DuanPureAgainstSingleFluid(benchmark::State& state, DuanPureCase c) {
    const platform::ThreadLogCapture quiet;
    auto m = duanModel(c.model, c.end);
    auto single = duanModel(c.single, -1);
    if (!m || !single) return state.SkipWithError("no model");
    std::vector<std::pair<double, double>> states;
    for (double T : c.T)
        for (int j = 0; j < 10; ++j) states.emplace_back(T, std::pow(1000.0, j / 9.0));
    auto stable = [](FluidPhase& f, double T, double P) {
        f.errorflag = 0;
        const FluidPhase::StableState s = f.calculateStableStateFromTP(T, P);
        return s.phase == FluidPhase::kPhaseNone ? 0.0 : f.V;
    };
    std::vector<double> own(states.size(), 1e300), yard(states.size(), 1e300);
    double sink = 0.0;
    for (auto _ : state)
        for (int pass = 0; pass < 2; ++pass) {
            FluidPhase& f = pass == 0 ? *m : *single;
            std::vector<double>& best = pass == 0 ? own : yard;
            for (std::size_t k = 0; k < states.size(); ++k) {
                const double t0 = threadMicroseconds();
                sink += stable(f, states[k].first, states[k].second);
                best[k] = std::min(best[k], threadMicroseconds() - t0);
            }
        }
    benchmark::DoNotOptimize(sink);
    std::vector<double> ratio;
    double ownMean = 0.0, yardMean = 0.0;
    for (std::size_t k = 0; k < states.size(); ++k) {
        ratio.push_back(own[k] / yard[k]);
        ownMean += own[k] / states.size();
        yardMean += yard[k] / states.size();
    }
    std::sort(ratio.begin(), ratio.end());
    state.counters["model_us"] = ownMean;
    state.counters["single_us"] = yardMean;
    state.counters["median_ratio"] = ratio[ratio.size() / 2];
    state.counters["max_ratio"] = ratio.back();
    state.SetLabel(std::string("against ") + c.single);
}

const DuanPureCase kDuanCases[] = {
    {"DMWEOS:H2O", -1, "DuanH2O", {450.0, 450.01, 460.0, 550.0, 549.99, 600.0, 610.0, 640.0, 650.0, 700.0, 900.0}},
    {"DMW1:H2O", -1, "DuanH2O", {450.0, 450.01, 460.0, 550.0, 549.99, 600.0, 610.0, 640.0, 650.0, 700.0, 900.0}},
    {"DMW2:H2O,CO2", 0, "DuanH2O", {450.0, 450.01, 460.0, 550.0, 549.99, 600.0, 610.0, 640.0, 650.0, 700.0, 900.0}},
    {"DMWEOS:CO2", -1, "DuanCO2", {250.0, 250.01, 260.0, 280.0, 279.99, 300.0, 305.0, 309.0, 340.0, 500.0}},
    {"DMW1:CO2", -1, "DuanCO2", {250.0, 250.01, 260.0, 280.0, 279.99, 300.0, 305.0, 309.0, 340.0, 500.0}},
    {"DMW2:CO2,CH4", 0, "DuanCO2", {250.0, 250.01, 260.0, 280.0, 279.99, 300.0, 305.0, 309.0, 340.0, 500.0}},
    {"DMWEOS:CH4", -1, "DuanCH4", {150.0, 150.01, 160.0, 180.0, 179.99, 190.0, 195.0, 230.0, 400.0}},
    {"DMW1:CH4", -1, "DuanCH4", {150.0, 150.01, 160.0, 180.0, 179.99, 190.0, 195.0, 230.0, 400.0}},
};

const PureCase kCases[] = {
    {"PR", "CO2", 0.225},   {"PR", "CH4", 0.011},   {"PR", "N2", 0.039},   {"PR", "H2O", 0.344},
    {"PRSV", "CO2", 0.225}, {"PRSV", "CH4", 0.011}, {"PRSV", "N2", 0.039}, {"PRSV", "H2O", 0.344},
    {"SRK", "CO2", 0.225},  {"SRK", "CH4", 0.011},  {"SRK", "N2", 0.039},  {"SRK1", "CO2", 0.225},
    {"SRK1", "CH4", 0.011}, {"SRK1", "N2", 0.039},  {"SRK1", "H2O", 0.344}, {"Montel", "CO2", 0.225},
    {"Montel", "CH4", 0.011}, {"Kreglewski", "CO2", 0.0}, {"Kreglewski", "CH4", 0.0}, {"Kreglewski", "N2", 0.0},
};

const bool kRegistered = [] {
    for (const PureCase& c : kCases) {
        const std::string name = std::string(c.model) + ":" + c.fluid;
        benchmark::RegisterBenchmark(("BM_PureAcrossCritical/" + name).c_str(), BM_PureAcrossCritical, c)
            ->Arg(0)
            ->Arg(1)
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_PurePrintedState/" + name).c_str(), BM_PurePrintedState, c)
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_PureShortcutsAgainstSearch/" + name).c_str(), BM_PureShortcutsAgainstSearch, c)
            ->Iterations(2)
            ->Unit(benchmark::kMillisecond);
    }
    for (const PureCase& c : kCases) {
        const std::string model = c.model;
        if (model == "Kreglewski") continue;
        const std::string name = model + ":" + c.fluid;
        benchmark::RegisterBenchmark(("BM_PureKindAcrossCritical/" + name).c_str(), BM_PureKindAcrossCritical, c)
            ->Arg(1)
            ->Arg(2)
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
    }
    for (const DuanPureCase& c : kDuanCases)
        benchmark::RegisterBenchmark((std::string("BM_DuanPureAgainstSingleFluid/") + c.model +
                                      (c.end >= 0 ? " x 0" : ""))
                                         .c_str(),
                                     BM_DuanPureAgainstSingleFluid, c)
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
