// The reference models' three paths, per state over a grid of 400 states:
//   pressure   p alone at (T, rho);
//   state      p, h, s, cp and w at (T, rho);
//   volume     the molar-volume search (T, P) -> rho.
//
// For water, each path is also evaluated by a yardstick: a plain loop over the
// 56 terms of the IAPWS-95 residual (Wagner & Pruss, J. Phys. Chem. Ref. Data
// 31, 387 (2002)) written here, with the tau parts computed once per state and
// the delta powers shared, and the same Newton iteration in V as the library's
// volume search (same start, same step, same stopping rule, same gas
// constant; the search from the start the model tries first, with the check
// that the volume found gives the pressure back).  BM_Iapws95Yardstick times both on the same states in the same
// run and reports engine_us, loop_us and their ratio (the smallest of the
// per-pass times, which a busy machine inflates least), and the largest
// relative difference of their results.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "gases/IUPAC.h"
#include "gases/IUPAC1.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "gases/JacobsenRes1.h"
#include "water/IAPWS95Coefficients.h"
#include "water/WagnerPruss.h"
#include "bench/Iapws95Loop.h"

namespace {

using iapws95bench::kR;  // the framework's gas constant
using iapws95bench::LoopPaths;

// ---------------------------------------------------------------- states

struct TP {
    double T, Pbar;
    int kind;  // phase kind of the search: 1 vapour (start R T / P), 2 liquid (start Vl0)
};

// 200 states of compressed liquid water and 200 of steam and supercritical water.
std::vector<TP> waterStates()
{
    std::vector<TP> s;
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 10; ++j)
            s.push_back({280.0 + 17.0 * i, 200.0 + 90.0 * j, 2});
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 10; ++j)
            s.push_back({700.0 + 26.0 * i, std::pow(10.0, 3.0 * j / 9.0), 1});
    return s;
}

// A 20 x 20 grid of one-phase gas and supercritical states of a gas model.
std::vector<TP> gasStates(double Tlow, double Thigh)
{
    std::vector<TP> s;
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j)
            s.push_back({Tlow + (Thigh - Tlow) * i / 19.0, std::pow(10.0, 3.0 * j / 19.0), 1});
    return s;
}

// ---------------------------------------------------------------- engine paths

struct TRho {
    double T, V;
};

// Solves every (T, P) state once with the model to get the (T, V) states of
// the two other paths; states whose search fails are dropped.
std::vector<TRho> solvedStates(FluidPhase& f, const std::vector<TP>& tp)
{
    std::vector<TRho> out;
    for (const TP& s : tp) {
        f.set_the_phase_as(s.kind);
        f.temperature(s.T);
        f.pressure(s.Pbar);
        f.calculate_molar_volume();
        if (!f.errorflag && std::isfinite(f.V) && f.V > 0) out.push_back({s.T, f.V});
    }
    return out;
}

struct EnginePaths {
    FluidPhase& f;
    std::vector<TP> tp;
    std::vector<TRho> tv;

    EnginePaths(FluidPhase& model, std::vector<TP> states) : f(model), tp(std::move(states))
    {
        tv = solvedStates(f, tp);
    }
    double pressure(std::size_t i)
    {
        const TRho& s = tv[i % tv.size()];
        f.temperature(s.T);
        f.volume(s.V);
        f.calculate_pressure();
        return f.errorflag ? std::nan("") : f.P;
    }
    double state(std::size_t i)
    {
        const TRho& s = tv[i % tv.size()];
        f.temperature(s.T);
        f.volume(s.V);
        f.calculate_state_functions();
        return f.errorflag ? std::nan("") : f.P + f.H + f.S + f.Cp + f.soundSpeed;
    }
    double volume(std::size_t i)
    {
        const TP& s = tp[i % tp.size()];
        f.set_the_phase_as(s.kind);
        f.temperature(s.T);
        f.pressure(s.Pbar);
        f.calculate_molar_volume();
        return f.errorflag ? std::nan("") : f.V;
    }
    // The start the model's search of the state's phase kind tries first.
    double firstStart(const TP& s)
    {
        f.set_the_phase_as(s.kind);
        f.temperature(s.T);
        f.pressure(s.Pbar);
        return s.kind == 2 ? f.estimate_Vl0() : kR * s.T / (s.Pbar * 1e5);
    }
    // One search from a given start, with the check that its volume gives the
    // pressure back, and without the branch tests of calculate_molar_volume
    // (which evaluate the model at a few dozen more volumes below 1.1 Tc).
    double volumeFrom(std::size_t i, double start)
    {
        const TP& s = tp[i % tp.size()];
        f.set_the_phase_as(s.kind);
        f.temperature(s.T);
        f.pressure(s.Pbar);
        f.calculateMolarVolumeFrom(start);
        return f.errorflag ? std::nan("") : f.V;
    }
};

enum Path { kPressure = 0, kState = 1, kVolume = 2 };

double runPath(EnginePaths& e, int path, std::size_t i)
{
    switch (path) {
    case kPressure: return e.pressure(i);
    case kState: return e.state(i);
    default: return e.volume(i);
    }
}

template <class Model>
void BM_ReferenceModel(benchmark::State& state)
{
    const int path = static_cast<int>(state.range(0));
    static Model model(1);
    static EnginePaths paths = [] {
        if constexpr (std::is_same_v<Model, WagnerPruss>)
            return EnginePaths(model, waterStates());
        else if constexpr (std::is_same_v<Model, IUPACCO2>)
            return EnginePaths(model, gasStates(310.0, 1100.0));
        else if constexpr (std::is_same_v<Model, IUPACCH4>)
            return EnginePaths(model, gasStates(200.0, 600.0));
        else
            return EnginePaths(model, gasStates(130.0, 1000.0));
    }();
    const std::size_t n = path == kVolume ? paths.tp.size() : paths.tv.size();
    for (std::size_t k = 0; k < n; ++k)
        if (!std::isfinite(runPath(paths, path, k))) {
            state.SkipWithError("a state of the grid failed");
            return;
        }
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(runPath(paths, path, i++));
    state.SetLabel(path == kPressure ? "p(T,rho)" : path == kState ? "p,h,s,cp,w(T,rho)" : "rho(T,P)");
}
BENCHMARK_TEMPLATE(BM_ReferenceModel, WagnerPruss)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_ReferenceModel, IUPACCO2)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_ReferenceModel, IUPACCH4)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_ReferenceModel, Jacobsen)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------- the gases beside water

// The full state (p, h, s, cp, w at T and rho) of the three gas reference
// equations and of water at the same reduced states, T/Tc and rho/rho_c with
// each equation's own reducing constants: 100 supercritical states (T/Tc 1.05
// to 1.9, rho/rho_c 0.02 to 2) and 9 of dilute vapour (T/Tc 0.75, 0.85, 0.95;
// rho/rho_c 0.002, 0.005, 0.01).  The four are timed in turns over the whole
// grid, and each one's per-state time is the smallest of its passes (which a
// busy machine inflates least); n2_ratio, co2_ratio and ch4_ratio are the
// gases' times over water's.
struct ReducedStates {
    FluidPhase& f;
    double Tc, Vc;
    std::vector<TRho> tv;

    ReducedStates(FluidPhase& model, double Tr, double Vr) : f(model), Tc(Tr), Vc(Vr)
    {
        auto add = [&](double t, double d) { tv.push_back({t * Tc, Vc / d}); };
        for (int i = 0; i < 10; ++i)
            for (int j = 0; j < 10; ++j)
                add(1.05 + 0.85 * i / 9.0, 0.02 + 1.98 * j / 9.0);
        for (double t : {0.75, 0.85, 0.95})
            for (double d : {0.002, 0.005, 0.01})
                add(t, d);
    }
    double state(std::size_t i)
    {
        f.temperature(tv[i].T);
        f.volume(tv[i].V);
        f.calculate_state_functions();
        return f.errorflag ? std::nan("") : f.P + f.H + f.S + f.Cp + f.soundSpeed;
    }
};

void BM_GasFullStatesBesideWater(benchmark::State& state)
{
    static WagnerPruss water(1);
    static Jacobsen n2(1);
    static IUPACCO2 co2(1);
    static IUPACCH4 ch4(1);
    static ReducedStates models[4] = {{water, iapws95::Tc, iapws95::Vc},
                                      {n2, JacobsenRes1::kTc, JacobsenRes1::kVc},
                                      {co2, IUPAC::kTc, IUPAC::kVc},
                                      {ch4, IUPAC1::kTc, IUPAC1::kVc}};
    for (ReducedStates& m : models)
        for (std::size_t i = 0; i < m.tv.size(); ++i)
            if (!std::isfinite(m.state(i))) {
                state.SkipWithError("a state of the grid failed");
                return;
            }
    using Clock = std::chrono::steady_clock;
    double best[4] = {1e300, 1e300, 1e300, 1e300};
    for (auto _ : state) {
        double sink = 0.0;
        for (int k = 0; k < 4; ++k) {
            ReducedStates& m = models[k];
            const auto t0 = Clock::now();
            for (std::size_t i = 0; i < m.tv.size(); ++i)
                sink += m.state(i);
            const auto t1 = Clock::now();
            best[k] = std::min(best[k], std::chrono::duration<double, std::micro>(t1 - t0).count() / m.tv.size());
        }
        benchmark::DoNotOptimize(sink);
    }
    state.counters["water_us"] = best[0];
    state.counters["n2_us"] = best[1];
    state.counters["co2_us"] = best[2];
    state.counters["ch4_us"] = best[3];
    state.counters["n2_ratio"] = best[1] / best[0];
    state.counters["co2_ratio"] = best[2] / best[0];
    state.counters["ch4_ratio"] = best[3] / best[0];
    state.SetLabel("p,h,s,cp,w(T,rho) at the same T/Tc, rho/rho_c");
}
BENCHMARK(BM_GasFullStatesBesideWater)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- the yardstick

// The yardstick's paths: the engine's search (volumeFrom) and the loop's start
// from the same volume, the one the model tries first.
struct Yardstick {
    EnginePaths& engine;
    LoopPaths loop;
    std::vector<double> starts;

    explicit Yardstick(EnginePaths& e) : engine(e)
    {
        for (const TP& s : e.tp)
            starts.push_back(e.firstStart(s));
    }
    double enginePath(int path, std::size_t i)
    {
        return path == kVolume ? engine.volumeFrom(i, starts[i]) : runPath(engine, path, i);
    }
    double loopPath(int path, std::size_t i, int* evaluations = nullptr)
    {
        switch (path) {
        case kPressure: return loop.pressure(engine.tv[i].T, engine.tv[i].V);
        case kState: return loop.state(engine.tv[i].T, engine.tv[i].V);
        default: return loop.volume(engine.tp[i].T, engine.tp[i].Pbar, starts[i], evaluations);
        }
    }
};

void BM_Iapws95Yardstick(benchmark::State& state)
{
    const int path = static_cast<int>(state.range(0));
    static WagnerPruss water(1);
    static EnginePaths engine(water, waterStates());
    static Yardstick y(engine);
    const std::size_t n = path == kVolume ? engine.tp.size() : engine.tv.size();

    // Agreement of the two on every state (results of the volume path are volumes).
    double worst = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double a = y.enginePath(path, i), b = y.loopPath(path, i);
        if (!std::isfinite(a) || !std::isfinite(b)) {
            state.SkipWithError("a state of the grid failed");
            return;
        }
        const double d = std::fabs(a - b) / std::fabs(b);
        worst = std::max(worst, d);
    }

    using Clock = std::chrono::steady_clock;
    double bestEngine = 1e300, bestLoop = 1e300;
    for (auto _ : state) {
        double sink = 0.0;
        const auto t0 = Clock::now();
        for (std::size_t i = 0; i < n; ++i)
            sink += y.enginePath(path, i);
        const auto t1 = Clock::now();
        for (std::size_t i = 0; i < n; ++i)
            sink += y.loopPath(path, i);
        const auto t2 = Clock::now();
        benchmark::DoNotOptimize(sink);
        bestEngine = std::min(bestEngine, std::chrono::duration<double, std::micro>(t1 - t0).count() / n);
        bestLoop = std::min(bestLoop, std::chrono::duration<double, std::micro>(t2 - t1).count() / n);
    }
    state.counters["engine_us"] = bestEngine;
    state.counters["loop_us"] = bestLoop;
    state.counters["ratio"] = bestEngine / bestLoop;
    state.counters["max_rel_diff"] = worst;
    if (path == kVolume) {  // evaluations per search, engine and loop
        long ie = 0, il = 0;
        for (std::size_t i = 0; i < n; ++i) {
            y.enginePath(path, i);
            ie += water.volumeIterations;  // the start and the Newton steps
            int it = 0;
            y.loopPath(path, i, &it);
            il += it;
        }
        state.counters["engine_evals"] = static_cast<double>(ie) / n;
        state.counters["loop_evals"] = static_cast<double>(il) / n;
    }
    state.SetLabel(path == kPressure ? "p(T,rho)" : path == kState ? "p,h,s,cp,w(T,rho)" : "rho(T,P)");
}
BENCHMARK(BM_Iapws95Yardstick)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
