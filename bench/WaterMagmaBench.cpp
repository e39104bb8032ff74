// Magma-water energetics: one whole cycle (states 1 and 2, peak by heating,
// reversible and irreversible expansions) per heating law, and one with the
// pyroclast-heated expansion.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "console/WaterMagmaModel.h"

namespace {

void BM_WaterMagmaCycle(benchmark::State& state)
{
    WaterMagmaModel w(2);
    WaterMagmaCalculationInfo info;
    info.heatingMode = static_cast<unsigned char>(state.range(0));
    if (state.range(1)) info.pyroclastHeated = 1;
    info.setValuesToDefault();
    info.T1 += 273.15;
    info.Tm += 273.15;
    info.Tsol += 273.15;
    info.Tliq += 273.15;
    info.cp *= 1000.0;
    info.L *= 1000.0;
    info.geothermalGradient *= 0.001;
    info.m = 0.5;
    for (auto _ : state) {
        WaterMagmaCalculationResult r;
        r.scriptFlag = 0;
        w.calculateWaterMagmaCycle(info, r, 0, 0);
        benchmark::DoNotOptimize(r.Wrev);
        benchmark::DoNotOptimize(r.Wirr);
    }
}
// Arguments: heating mode (0 isochoric, 1 isobaric, 2 Wohletz), pyroclast-heated.
BENCHMARK(BM_WaterMagmaCycle)->Args({0, 0})->Args({1, 0})->Args({2, 0})->Args({0, 1})->Unit(benchmark::kMicrosecond);

}  // namespace
