// The reference water model: one state from (T, V) with its state functions
// and fugacities, one state from (T, P) with the molar-volume search, and the
// stable state from (T, P); and the same (T, P) state computed beside
// nitrogen models made and destroyed (only the water state timed), which must
// not cost the water model its compiled plans.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "gases/Jacobsen.h"
#include "water/WagnerPruss.h"

namespace {

constexpr double kM = 0.018015268;

void BM_WaterCalculateFromTV(benchmark::State& state)
{
    WagnerPruss w(2);
    const double T = 500.0, V = kM / 838.025;
    for (auto _ : state) {
        w.calculateFromTV(T, V, 0);
        benchmark::DoNotOptimize(w.soundSpeed);
        benchmark::DoNotOptimize(w.fugcoef[0]);
    }
}
BENCHMARK(BM_WaterCalculateFromTV);

void BM_WaterCalculateFromTPLiquid(benchmark::State& state)
{
    WagnerPruss w(2);
    for (auto _ : state) {
        w.calculateFromTP(500.0, 100.0, 0);  // 500 K, 10 MPa: compressed liquid
        benchmark::DoNotOptimize(w.V);
    }
}
BENCHMARK(BM_WaterCalculateFromTPLiquid);

void BM_WaterCalculateFromTPGas(benchmark::State& state)
{
    WagnerPruss w(2);
    w.set_the_phase_as(1);
    for (auto _ : state) {
        w.calculateFromTP(900.0, 200.0, 0);  // 900 K, 20 MPa: supercritical gas
        benchmark::DoNotOptimize(w.V);
    }
}
BENCHMARK(BM_WaterCalculateFromTPGas);

// The stable state from (T, P), which needs no phase kind: 0 compressed
// liquid (500 K, 10 MPa), 1 superheated vapour (500 K, 1 MPa), 2 supercritical
// gas (900 K, 20 MPa), 3 a relative 5e-5 above the saturation pressure at
// 500 K (both roots compared).
constexpr double kStablePressures[] = {100.0, 10.0, 200.0};  // bar

double stableStatePressure(WagnerPruss& w, int which)
{
    if (which < 3) return kStablePressures[which];
    w.calculateTheSaturationPressure(500.0, false);
    return w.Pv_sat * 1e-5 * (1.0 + 5e-5);
}

void BM_WaterStableStateFromTP(benchmark::State& state)
{
    WagnerPruss w(2);
    const int which = static_cast<int>(state.range(0));
    const double T = which == 2 ? 900.0 : 500.0, P = stableStatePressure(w, which);
    const bool other = state.range(1) != 0;  // also the metastable root
    for (auto _ : state) {
        const FluidPhase::StableState s = w.calculateStableStateFromTP(T, P, other);
        benchmark::DoNotOptimize(s.phase);
        benchmark::DoNotOptimize(w.V);
    }
}
BENCHMARK(BM_WaterStableStateFromTP)->ArgsProduct({{0, 1, 2, 3}, {0, 1}});

// Every root of the isotherm (two searches and a scan of 2,001 volumes), the
// path of mixtures and of any failure of the one above.
void BM_WaterPressureRootsFromTP(benchmark::State& state)
{
    WagnerPruss w(2);
    const int which = static_cast<int>(state.range(0));
    const double T = which == 2 ? 900.0 : 500.0, P = stableStatePressure(w, which);
    for (auto _ : state) {
        const FluidPhase::PhaseRoots r = w.pressureRootsFromTP(T, P);
        benchmark::DoNotOptimize(r.liquid.V);
    }
}
BENCHMARK(BM_WaterPressureRootsFromTP)->DenseRange(0, 3);

void BM_WaterFromTPBesideOtherModels(benchmark::State& state)
{
    WagnerPruss w(2);
    for (auto _ : state) {
        {
            auto n2 = std::make_unique<Jacobsen>(1);  // made and destroyed, untimed
            n2->calculateFromTP(300.0, 10.0, 0);
        }
        const auto start = std::chrono::steady_clock::now();
        w.calculateFromTP(500.0, 100.0, 0);
        benchmark::DoNotOptimize(w.V);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_WaterFromTPBesideOtherModels)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The same with one nitrogen model, made once and evaluated (untimed) between
// the water states: what the other model's work costs the water state.
void BM_WaterFromTPBesideAnotherModel(benchmark::State& state)
{
    WagnerPruss w(2);
    Jacobsen n2(1);
    for (auto _ : state) {
        n2.calculateFromTP(300.0, 10.0, 0);
        const auto start = std::chrono::steady_clock::now();
        w.calculateFromTP(500.0, 100.0, 0);
        benchmark::DoNotOptimize(w.V);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_WaterFromTPBesideAnotherModel)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
