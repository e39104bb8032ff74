// What a binary's isotherm costs as the interpreter writes it (its isotherm
// command): each of its 1000 rows the state printed at the row's T and V,
// with the model's own tangent-plane stability test of the mixture.
//   BM_BinaryCurveRows/0  Duan, Moller & Weare's H2O-CO2 (DMW2), 10 % CO2 at
//                        700 K, 25 to 1000 cm3/mol: one fluid at every row;
//   BM_BinaryCurveRows/1  the same at 620 K, 20 to 2000 cm3/mol, split at its
//                        dense end (190 to 7800 bar);
//   BM_BinaryCurveRows/2  DMW2's CO2-CH4, 30 % CH4 at 300 K, 40 to 2000
//                        cm3/mol, below CO2's critical temperature.
// rows: the rows written (a regression in what is written shows here too).
#include <benchmark/benchmark.h>

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
                   {"DMW2:CO2,CH4", 0.3, 300.0, 40e-6, 2000e-6}};
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

}  // namespace

BENCHMARK(BM_BinaryCurveRows)->DenseRange(0, 2)->Unit(benchmark::kSecond)->Iterations(1);
