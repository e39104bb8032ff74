// The reference water model: one state from (T, V) with its state functions
// and fugacities, and one state from (T, P) with the molar-volume search.
#include <benchmark/benchmark.h>

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

}  // namespace
