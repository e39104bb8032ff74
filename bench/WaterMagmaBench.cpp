// Magma-water energetics: one whole cycle (states 1 and 2, peak by heating,
// reversible and irreversible expansions) per heating law, and one with the
// pyroclast-heated expansion; a reduced fractionated E(m) diagram.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "console/WaterMagmaModel.h"

namespace {

// The defaults of the unset inputs, in the units the cycle works in.
void toInternalUnits(WaterMagmaCalculationInfo& info)
{
    info.setValuesToDefault();
    info.T1 += 273.15;
    info.Tm += 273.15;
    info.Tsol += 273.15;
    info.Tliq += 273.15;
    info.cp *= 1000.0;
    info.L *= 1000.0;
    info.geothermalGradient *= 0.001;
}

void BM_WaterMagmaCycle(benchmark::State& state)
{
    WaterMagmaModel w(2);
    WaterMagmaCalculationInfo info;
    info.heatingMode = static_cast<unsigned char>(state.range(0));
    if (state.range(1)) info.pyroclastHeated = 1;
    toInternalUnits(info);
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

// One heating-decompression path of the phreatic table (kind 0): water at
// 101 bar and 323.15 K heated at constant volume to 900 K by magma fragments
// that keep heating it while it expands to 1 bar, by steps of 0.1 to 5 K or
// 0.5 to 10 bar.
void BM_HeatingDecompressionPath(benchmark::State& state)
{
    WaterMagmaModel w(2);
    w.set_the_phase_as(2);
    w.calculateFromTP(323.15, 101.0, 0);
    const double V2 = w.V, U2 = w.U;
    w.temperature(900.0);
    w.volume(V2);
    w.calculate_state_functions();
    w.magmaHeatCapacity = 1200.0;
    w.latentHeat = 0.0;
    if (w.errorflag) {
        state.SkipWithError("no starting state");
        return;
    }
    const double m = 1200.0 * (1473.15 - 900.0) * w.molarMass() / (w.U - U2);
    for (auto _ : state) {
        w.calculateHeatingDecompressionPath1("isoh", 900.0, V2, m);
        benchmark::DoNotOptimize(w.decompressionWork4);
    }
    if (w.decompressionSaturationFlag != 1 || !std::isfinite(w.decompressionWork4))
        state.SkipWithError("the path did not reach the saturation curve");
}
BENCHMARK(BM_HeatingDecompressionPath)->Unit(benchmark::kMillisecond);

// A reduced instance of the fractionated pyroclast-heated E(m) diagram of
// isobaric heating ("ep frac 800 pyroclast satu 0.1"): 40 batches a ratio,
// the 14 ratios from 0.001 to 0.05, on the workers of the machine; the CPU
// time of the whole process (every worker) is the diagram's cost.
void BM_FractionatedPyroclastDiagram(benchmark::State& state)
{
    WaterMagmaModel w(2);
    WaterMagmaCalculationInfo info;
    info.heatingMode = 1;
    info.pyroclastHeated = 1;
    info.fractionation = 1;
    info.fractionationCount = 40;
    toInternalUnits(info);
    info.saturation = 0.1;
    std::vector<double> values;
    for (auto _ : state) {
        values.clear();
        w.drawWaterMagmaDiagram(info, 6, 0, &values, 0.001, 0.05);
        benchmark::DoNotOptimize(values.data());
    }
    if (values.size() != 14 * 31) state.SkipWithError("the diagram left out ratios");
}
BENCHMARK(BM_FractionatedPyroclastDiagram)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace
