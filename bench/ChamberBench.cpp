// The chamber model's work on every edit of a case: the crystallisation curve
// and the eruption sequence of the default case (1000 bar, no crystals, 1 wt %
// H2O in the 2700 kg/m3 melt, moduli 1e10 Pa), gas densities from the
// reference equations of state.  The default case never gets 50 bar above its
// initial pressure before half of it is crystals (its pressure first falls as
// the denser crystals grow), so the sequence is also timed with 4 wt % H2O,
// where the melt is saturated from the start and erupts six times on the way
// to one half.
#include <benchmark/benchmark.h>

#include <vector>

#include "magma/TaitJaupart.h"

namespace {

void configureCase(TaitJaupart& m, double w) {
    m.setMagmaType(kChamberMelt2700);
    m.setFluid(kChamberFluidH2O, 0.0);
    m.useEOS = 1;
    m.setInitialData(1000.0, 1e8, 0.0, w, 0.0);
    m.mu = m.beta = 1e10;
}

void BM_ChamberCrystallizationCurve(benchmark::State& state) {
    TaitJaupart m;
    std::vector<double> rows;
    rows.reserve(1000 * kCrystallizationCurveRowSize);
    int written = 0;
    for (auto _ : state) {
        configureCase(m, 0.01);
        rows.clear();
        written = m.calculateCrystallizationCurve(0.0, 0.1, 6, nullptr, &rows);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = written;

}
BENCHMARK(BM_ChamberCrystallizationCurve)->Unit(benchmark::kMillisecond);

void eruptionSequence(benchmark::State& state, double w) {
    TaitJaupart m;
    std::vector<double> rows;
    rows.reserve(1000);
    EruptionSequenceEnd end = EruptionSequenceEnd::halfCrystallised;
    for (auto _ : state) {
        configureCase(m, w);
        rows.clear();
        end = m.calculateEruptionSequence(50e5, &rows);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["eruptions"] = static_cast<double>(rows.size() / kEruptionSequenceRowSize);
    state.SetLabel(eruptionSequenceEndText(end));
}

void BM_ChamberEruptionSequence(benchmark::State& state) { eruptionSequence(state, 0.01); }
BENCHMARK(BM_ChamberEruptionSequence)->Unit(benchmark::kMillisecond);

void BM_ChamberEruptionSequence4wt(benchmark::State& state) { eruptionSequence(state, 0.04); }
BENCHMARK(BM_ChamberEruptionSequence4wt)->Unit(benchmark::kMillisecond);

}  // namespace
