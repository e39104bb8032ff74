// The chamber model's work on every edit of a case: the crystallisation curve
// and the eruption sequence of the default case (1000 bar, no crystals, 1 wt %
// H2O in the 2700 kg/m3 melt, moduli 1e10 Pa), gas densities from the
// reference equations of state.  The default case never gets 50 bar above its
// initial pressure before half of it is crystals (its pressure first falls as
// the denser crystals grow), so the sequence is also timed with 4 wt % H2O,
// where the melt is saturated from the start and erupts five times on the way
// to one half.  The long sequence of the application, 4 wt % H2O at 1500 bar
// erupting every 0.01 bar of overpressure up to the model's limit of 10,000
// eruptions, is timed with both gas options: its gas densities on the
// reference equation of state against the ideal gas.
#include <benchmark/benchmark.h>

#include <vector>

#include "magma/TaitJaupart.h"

namespace {

bool configureCase(TaitJaupart& m, double w, double P0 = 1e8, int useEOS = 1) {
    m.setMagmaType(kChamberMelt2700);
    m.setFluid(kChamberFluidH2O, 0.0);
    m.useEOS = useEOS;
    const bool ok = m.setInitialData(1000.0, P0, 0.0, w, 0.0);
    m.mu = m.beta = 1e10;
    return ok;
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

// Argument: 0 ideal gas; 1 gas densities from IAPWS-95 through the isotherm
// tabulated for the sequence; 2 from IAPWS-95 at every pressure.
void BM_ChamberTenThousandEruptions(benchmark::State& state) {
    TaitJaupart m;
    m.tabulateGas = state.range(0) == 2 ? 0 : 1;
    std::vector<double> rows;
    rows.reserve(TaitJaupart::kMaxEruptions * kEruptionSequenceRowSize);
    EruptionSequenceEnd end = EruptionSequenceEnd::notConfigured;
    for (auto _ : state) {
        if (!configureCase(m, 0.04, 1.5e8, state.range(0) > 0 ? 1 : 0)) {
            state.SkipWithError(m.message.c_str());
            break;
        }
        rows.clear();
        end = m.calculateEruptionSequence(0.01e5, &rows);
        benchmark::DoNotOptimize(rows.data());
    }
    const std::size_t n = rows.size() / kEruptionSequenceRowSize;
    state.counters["eruptions"] = static_cast<double>(n);
    if (n > 0) state.counters["M_left"] = rows[(n - 1) * kEruptionSequenceRowSize + 9];
    state.SetLabel(eruptionSequenceEndText(end));
}
BENCHMARK(BM_ChamberTenThousandEruptions)->ArgName("gas")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
