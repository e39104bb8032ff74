// The alternative water models: one compressed-liquid state from (T, P) with
// the molar-volume search, fugacities and state functions, per model.
#include <benchmark/benchmark.h>

#include "water/HGK.h"
#include "water/Hill.h"
#include "water/Keenan.h"
#include "water/Saul.h"

namespace {

template <class Model>
void BM_AltWaterCalculateFromTPLiquid(benchmark::State& state)
{
    Model m(2);
    for (auto _ : state) {
        m.calculateFromTP(450.0, 100.0, 0);  // 450 K, 10 MPa
        benchmark::DoNotOptimize(m.V);
        benchmark::DoNotOptimize(m.fugcoef[0]);
    }
}
BENCHMARK_TEMPLATE(BM_AltWaterCalculateFromTPLiquid, HGK);
BENCHMARK_TEMPLATE(BM_AltWaterCalculateFromTPLiquid, Hill);
BENCHMARK_TEMPLATE(BM_AltWaterCalculateFromTPLiquid, Keenan);
BENCHMARK_TEMPLATE(BM_AltWaterCalculateFromTPLiquid, Saul);

}  // namespace
