// Cost of one fluid state from temperature and pressure on the van der Waals
// test fluid (two expression-graph terms): molar volume, fugacities and state
// functions, timed in microseconds per state.  The counter "iterations/state" is the number of Newton-Raphson
// steps of the molar-volume search.
#include <benchmark/benchmark.h>

#include "fluid/tests/VdWFluid.h"

namespace {
void runStates(benchmark::State& state, VdWFluid& f, double T, double Pbar) {
    long iterations = 0, states = 0;
    for (auto _ : state) {
        f.calculateFromTP(T, Pbar, 0);
        benchmark::DoNotOptimize(f.V);
        iterations += f.volumeIterations;
        states++;
    }
    state.counters["iterations/state"] = states ? static_cast<double>(iterations) / states : 0.0;
    if (f.errorflag) state.SkipWithError("state failed");
}

void BM_FluidVdWFromTP_Gas(benchmark::State& state) {
    VdWFluid f({0.3658}, {4.286e-5}, false);
    runStates(state, f, 330.0, 50.0);
}
BENCHMARK(BM_FluidVdWFromTP_Gas)->Unit(benchmark::kMicrosecond);

void BM_FluidVdWFromTP_Liquid(benchmark::State& state) {
    VdWFluid f({0.3658}, {4.286e-5}, false, 0.0, 2);
    f.liquidStart = 1.2 * 4.286e-5;
    runStates(state, f, 280.0, 80.0);
}
BENCHMARK(BM_FluidVdWFromTP_Liquid)->Unit(benchmark::kMicrosecond);

void BM_FluidVdWFromTP_Binary(benchmark::State& state) {
    VdWFluid f({0.3658, 0.5537}, {4.286e-5, 3.049e-5}, false, 0.08);
    f.composition(0.35, 0.65);
    runStates(state, f, 420.0, 60.0);
}
BENCHMARK(BM_FluidVdWFromTP_Binary)->Unit(benchmark::kMicrosecond);

void BM_FluidVdWFromTV(benchmark::State& state) {
    VdWFluid f({0.3658}, {4.286e-5}, false);
    for (auto _ : state) {
        f.calculateFromTV(330.0, 4e-4, 0);
        benchmark::DoNotOptimize(f.Cp);
    }
}
BENCHMARK(BM_FluidVdWFromTV)->Unit(benchmark::kMicrosecond);
}  // namespace
