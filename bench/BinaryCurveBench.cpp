// What a binary's isotherm costs as the interpreter writes it (its isotherm
// command): each of its 1000 rows the state printed at the row's T and V,
// with the model's own tangent-plane stability test of the mixture.
//   BM_BinaryCurveRows/0  Duan, Moller & Weare's H2O-CO2 (DMW2), 10 % CO2 at
//                        700 K, 25 to 1000 cm3/mol: one fluid at every row;
//   BM_BinaryCurveRows/1  the same at 620 K, 20 to 2000 cm3/mol, split at its
//                        dense end (190 to 7800 bar);
//   BM_BinaryCurveRows/2  DMW2's CO2-CH4, 30 % CH4 at 300 K, 40 to 2000
//                        cm3/mol, below CO2's critical temperature;
//   BM_BinaryCurveRows/3-5 Kreglewski's CO2-CH4 at 300 K, CH4-N2 at 170 K
//                        and CO2-N2 at 250 K, 30 % of the second, 50 to 2000
//                        cm3/mol (the last two split at their dense end);
//   BM_BinaryCurveRows/6  their yardstick, the cubic's: PR's CO2-CH4, 30 %
//                        CH4 at 300 K, 50 to 2000 cm3/mol.
// rows: the rows written (a regression in what is written shows here too).
//   BM_CriticalCurve/0   Kreglewski's CO2-CH4 critical curve as its crit2
//                        command traces it (from CH4), against
//   BM_CriticalCurve/1   PR's CO2-CH4 (the cubic's crit2), each written to a
//                        file in a directory of its own.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "console/FluidModelFactory.h"
#include "fluid/FluidPhase.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"

namespace {

void BM_BinaryCurveRows(benchmark::State& state) {
    const struct {
        const char* model;
        double x, T, Vmin, Vmax;  // of component 1; K; m3/mol
    } kCurves[] = {{"DMW2:H2O,CO2", 0.1, 700.0, 25e-6, 1000e-6},
                   {"DMW2:H2O,CO2", 0.1, 620.0, 20e-6, 2000e-6},
                   {"DMW2:CO2,CH4", 0.3, 300.0, 40e-6, 2000e-6},
                   {"Kreglewski:CO2,CH4", 0.3, 300.0, 50e-6, 2000e-6},
                   {"Kreglewski:CH4,N2", 0.3, 170.0, 50e-6, 2000e-6},
                   {"Kreglewski:CO2,N2", 0.3, 250.0, 50e-6, 2000e-6},
                   {"PR:CO2,CH4", 0.3, 300.0, 50e-6, 2000e-6}};
    const auto& c = kCurves[state.range(0)];
    std::unique_ptr<FluidPhase> m(createFluidModel(c.model));
    if (!m) {
        state.SkipWithError("no model");
        return;
    }
    m->composition({1.0 - c.x, c.x});
    StateReport report(*m);
    std::vector<double> rows;
    for (auto _ : state) {
        rows.clear();
        const platform::ThreadLogCapture quiet;
        report.withCurveRowLimits([&] { m->calculate_isotherm(nullptr, c.T, c.Vmin, c.Vmax, 1000, 0, 6, &rows); });
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows.size() / 13);
}

void BM_CriticalCurve(benchmark::State& state) {
    const char* name = state.range(0) == 0 ? "Kreglewski:CO2,CH4" : "PR:CO2,CH4";
    std::unique_ptr<FluidPhase> m(createFluidModel(name));
    if (!m) {
        state.SkipWithError("no model");
        return;
    }
    // The curve's file "crit_bench" in a directory of its own.
    const std::filesystem::path kept = std::filesystem::current_path();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "varnok_bench_crit";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    for (auto _ : state) {
        const platform::ThreadLogCapture quiet;
        m->calculateTheCriticalCurve("_bench");
        benchmark::ClobberMemory();
    }
    std::filesystem::current_path(kept);
    std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_BinaryCurveRows)->DenseRange(0, 6)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_CriticalCurve)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
