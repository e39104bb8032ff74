// One saturation point of the reference water model from its temperature:
// water's start volumes, then the liquid-vapour equilibrium (equal fugacity
// and pressure) solved in the two molar volumes (from the expansions of the
// model's own curve, or without them); psat, rho' and rho'' from the
// expansions alone; and those with the two phases' state functions.
#include <benchmark/benchmark.h>

#include "water/WagnerPruss.h"

namespace {

const double kTs[] = {300.0, 450.0, 600.0};

void BM_WaterSaturationPointFromT(benchmark::State& state)
{
    WagnerPruss w(2);
    w.useSaturationExpansion = state.range(1) != 0;
    const double T = kTs[state.range(0)];
    for (auto _ : state) {
        w.initializeSaturationVolumesFromT("H2O", T);
        w.temperature(T);
        w.calculate_saturation_pressure();
        benchmark::DoNotOptimize(w.Pv_sat);
    }
    if (w.errorflag) state.SkipWithError("no saturation point");
}
BENCHMARK(BM_WaterSaturationPointFromT)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond);

// psat, rho' and rho'' from the expansions; with range(1), also p, h, s, cp
// and w of both phases at those densities.
void BM_WaterSaturationFromExpansion(benchmark::State& state)
{
    WagnerPruss w(2);
    const double T = kTs[state.range(0)];
    const bool properties = state.range(1) != 0;
    double P = 0.0, Vl = 0.0, Vv = 0.0;
    for (auto _ : state) {
        if (!w.saturationFromExpansion(T, P, Vl, Vv)) {
            state.SkipWithError("no expansion");
            return;
        }
        if (properties) {
            // Both phases at one temperature: the parts of the terms free of
            // the volume are evaluated once.
            w.temperature(T);
            const FluidPhase::SameTemperature hold(w);
            for (double v : {Vl, Vv}) {
                w.volume(v);
                w.calculate_state_functions();
                benchmark::DoNotOptimize(w.Cp);
            }
        }
        benchmark::DoNotOptimize(P);
    }
}
BENCHMARK(BM_WaterSaturationFromExpansion)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The whole curve from the critical point down to the triple point, 1 K steps.
void BM_WaterSaturationCurve(benchmark::State& state)
{
    WagnerPruss w(2);
    std::vector<double> rows;
    for (auto _ : state) {
        rows.clear();
        w.calculate_saturation_curve("unused", 2, w.critical_T, -1.0, w.critical_V, w.critical_V, 273.16, 6, "b",
                                     &rows);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["points"] = static_cast<double>(rows.size() / 28);
}
BENCHMARK(BM_WaterSaturationCurve)->Unit(benchmark::kMillisecond);

}  // namespace
