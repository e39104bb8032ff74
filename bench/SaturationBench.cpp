// One saturation point of the reference water model from its temperature:
// water's start volumes, then the liquid-vapour equilibrium (equal fugacity
// and pressure) solved in the two molar volumes.
#include <benchmark/benchmark.h>

#include "water/WagnerPruss.h"

namespace {

void BM_WaterSaturationPointFromT(benchmark::State& state)
{
    WagnerPruss w(2);
    const double Ts[] = {300.0, 450.0, 600.0};
    const double T = Ts[state.range(0)];
    for (auto _ : state) {
        w.initializeSaturationVolumesFromT("H2O", T);
        w.temperature(T);
        w.calculate_saturation_pressure();
        benchmark::DoNotOptimize(w.Pv_sat);
    }
    if (w.errorflag) state.SkipWithError("no saturation point");
}
BENCHMARK(BM_WaterSaturationPointFromT)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

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
