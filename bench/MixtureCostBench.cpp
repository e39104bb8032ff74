// What a binary's state costs against the same work written plainly, per
// state (argument: the state's index), each state a fresh composition of the
// model (its root searches start afresh):
//   BM_MixtureStableState  the stable state from T and P
//                          (calculateStableStateFromTP);
//   BM_MixtureStability    the tangent-plane test of the mixture
//                          (binarySplitsAt);
//   BM_MixtureTieLine      the tie line of a split state (binaryTieLineAt,
//                          from the stability test's trial);
// of "PR:CO2,CH4" (30 % CH4), of the other cubics with mixtures (PRSV,
// SRK1, SRK, SRK2 and Montel's CO2-CH4, 30 % CH4: one fluid at 300 K 50 bar,
// split at 250 K 40 bar) and "DMW2:H2O,CO2" (10 to 30 % CO2), and the
// yardsticks of the Peng-Robinson binary written out
// (families/cubic/tests/PengRobinsonBinary.h): its stable root (Cardano's
// roots, the one of least Gibbs energy), Michelsen's test from Wilson's
// K-factors and the pure components, its flash by successive substitution
// then Newton's method:
//   BM_PlainRoot, BM_PlainStability, BM_PlainFlash;
// and of the binary of Duan, Moller & Weare written out
// (bench/DuanMollerWeareBinary.h) at the DMW2 states: its stable root
// (Newton's method from a liquid and a gas start, the root of lower Gibbs
// energy), the same test and flash:
//   BM_PlainDmwRoot, BM_PlainDmwStability, BM_PlainDmwFlash.
//   BM_WaterEndStableState DMW2's pure-water end (x 0) against DuanH2O, the
//                          same equation alone (BM_DuanH2OStableState).
// Kreglewski's binaries (CO2-CH4, CO2-N2, CH4-N2, 30 % of the second: one
// fluid, then split, states 19 to 24) against the same binary written out
// (families/kreglewski/tests/KreglewskiPlainBinary.h): its stable root
// (Newton's method from a liquid start on a scan of the dense side and from
// the ideal gas), the same test and flash:
//   BM_PlainKreglewskiRoot, BM_PlainKreglewskiStability, BM_PlainKreglewskiFlash.
//   BM_MixtureTieLine/25-31 the tie lines of PR, SRK1 and PRSV's H2O-CO2
//                          (30 % CO2 at 500 K 200 bar, 50 % at 450 K 100 bar;
//                          at low pressure, 5 % CO2 at 380 K 50 bar: 29-31)
//                          against BM_PlainWaterFlash, the Peng-Robinson
//                          binary of water and CO2 written out, at the same
//                          states.
// Counters: splits (1 where the state splits), tie_found (the tie line found).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "bench/DuanMollerWeareBinary.h"
#include "console/FluidModelFactory.h"
#include "families/cubic/tests/PengRobinsonBinary.h"
#include "families/kreglewski/tests/KreglewskiPlainBinary.h"
#include "fluid/FluidPhase.h"
#include "platform/LogSink.h"

namespace {

struct MixState {
    const char* model;
    double x1, T, Pbar;
};
// PR: one fluid at 300 K 50 bar, 330 K 120 bar and 270 K 80 bar; split at
// 250 K 40 bar and 230 K 30 bar.  DMW2: one fluid at 700 K 500 bar; split at
// the others.  The other cubics (9 to 18): one fluid, split in turn.
const MixState kStates[] = {{"PR:CO2,CH4", 0.3, 300.0, 50.0},  {"PR:CO2,CH4", 0.3, 330.0, 120.0},
                            {"PR:CO2,CH4", 0.3, 270.0, 80.0},  {"PR:CO2,CH4", 0.3, 250.0, 40.0},
                            {"PR:CO2,CH4", 0.3, 230.0, 30.0},  {"DMW2:H2O,CO2", 0.1, 700.0, 500.0},
                            {"DMW2:H2O,CO2", 0.1, 620.0, 300.0}, {"DMW2:H2O,CO2", 0.2, 550.0, 200.0},
                            {"DMW2:H2O,CO2", 0.3, 500.0, 500.0},
                            {"PRSV:CO2,CH4", 0.3, 300.0, 50.0},  {"PRSV:CO2,CH4", 0.3, 250.0, 40.0},
                            {"SRK1:CO2,CH4", 0.3, 300.0, 50.0},  {"SRK1:CO2,CH4", 0.3, 250.0, 40.0},
                            {"SRK:CO2,CH4", 0.3, 300.0, 50.0},   {"SRK:CO2,CH4", 0.3, 250.0, 40.0},
                            {"SRK2:CO2,CH4", 0.3, 300.0, 50.0},  {"SRK2:CO2,CH4", 0.3, 250.0, 40.0},
                            {"Montel:CO2,CH4", 0.3, 300.0, 50.0}, {"Montel:CO2,CH4", 0.3, 250.0, 40.0},
                            {"Kreglewski:CO2,CH4", 0.3, 300.0, 50.0}, {"Kreglewski:CO2,CH4", 0.3, 250.0, 40.0},
                            {"Kreglewski:CO2,N2", 0.3, 280.0, 60.0},  {"Kreglewski:CO2,N2", 0.3, 250.0, 60.0},
                            {"Kreglewski:CH4,N2", 0.3, 200.0, 40.0},  {"Kreglewski:CH4,N2", 0.3, 170.0, 40.0},
                            {"PR:H2O,CO2", 0.3, 500.0, 200.0},    {"SRK1:H2O,CO2", 0.3, 500.0, 200.0},
                            {"PRSV:H2O,CO2", 0.3, 500.0, 200.0},  {"PR:H2O,CO2", 0.5, 450.0, 100.0},
                            {"PR:H2O,CO2", 0.05, 380.0, 50.0},    {"SRK1:H2O,CO2", 0.05, 380.0, 50.0},
                            {"PRSV:H2O,CO2", 0.05, 380.0, 50.0}};
constexpr int kPlainStates = 5;  // the PR states: the yardstick's
constexpr int kFirstWater = 25, kLastWater = 31;  // the cubics' tie lines with water
constexpr int kFirstDmw = 5, kLastDmw = 8;  // the DMW2 states
constexpr int kFirstKreglewski = 19, kLastKreglewski = 24;  // one fluid, then split, for each pair

std::unique_ptr<FluidPhase> model(const MixState& s) {
    std::unique_ptr<FluidPhase> m(createFluidModel(s.model));
    if (m) m->composition({1.0 - s.x1, s.x1});
    return m;
}

// The composition set again before each call: a model's searches of a new
// composition start afresh.
void BM_MixtureStableState(benchmark::State& state) {
    const MixState& s = kStates[state.range(0)];
    auto m = model(s);
    if (!m) return state.SkipWithError("no model");
    const platform::ThreadLogCapture quiet;
    long failed = 0;
    for (auto _ : state) {
        m->composition({1.0 - s.x1, s.x1});
        const FluidPhase::StableState st = m->calculateStableStateFromTP(s.T, s.Pbar);
        benchmark::DoNotOptimize(m->V);
        failed += st.phase == FluidPhase::kPhaseNone;
    }
    if (failed) state.SkipWithError("no stable state");
}

void BM_MixtureStability(benchmark::State& state) {
    const MixState& s = kStates[state.range(0)];
    auto m = model(s);
    if (!m) return state.SkipWithError("no model");
    const platform::ThreadLogCapture quiet;
    bool splits = false;
    for (auto _ : state) {
        m->composition({1.0 - s.x1, s.x1});
        splits = m->binarySplitsAt(s.T, s.Pbar);
        benchmark::ClobberMemory();
    }
    state.counters["splits"] = splits ? 1.0 : 0.0;
}

void BM_MixtureTieLine(benchmark::State& state) {
    const MixState& s = kStates[state.range(0)];
    auto m = model(s);
    if (!m) return state.SkipWithError("no model");
    const platform::ThreadLogCapture quiet;
    double trial = std::nan("");
    if (!m->binarySplitsAt(s.T, s.Pbar, nullptr, &trial)) return state.SkipWithError("one fluid");
    bool found = false;
    for (auto _ : state) {
        m->composition({1.0 - s.x1, s.x1});
        const FluidPhase::BinaryTieLine line = m->binaryTieLineAt(s.T, s.Pbar, trial);
        benchmark::DoNotOptimize(line.x1[0]);
        found = line.found;
    }
    state.counters["tie_found"] = found ? 1.0 : 0.0;
}

// The plain binaries' stable root, test and flash at T (K), P (Pa) and
// component 1's fraction.
template <class Binary>
void plainRoot(benchmark::State& state, const Binary& eos) {
    const MixState& s = kStates[state.range(0)];
    const double x[2] = {1.0 - s.x1, s.x1};
    for (auto _ : state) {
        double Z = 0.0, l[2];
        const bool rooted = eos.stableRoot(s.T, s.Pbar * 1e5, x, Z, l);
        benchmark::DoNotOptimize(Z);
        if (!rooted) state.SkipWithError("no root");
    }
}

template <class Binary>
void plainStability(benchmark::State& state, const Binary& eos) {
    const MixState& s = kStates[state.range(0)];
    bool splits = false;
    for (auto _ : state) {
        splits = eos.splits(s.T, s.Pbar * 1e5, s.x1);
        benchmark::ClobberMemory();
    }
    state.counters["splits"] = splits ? 1.0 : 0.0;
}

template <class Binary>
void plainFlash(benchmark::State& state, const Binary& eos) {
    const MixState& s = kStates[state.range(0)];
    double w1 = 0.0;
    if (!eos.splits(s.T, s.Pbar * 1e5, s.x1, &w1)) return state.SkipWithError("one fluid");
    bool found = false;
    for (auto _ : state) {
        const plain_binary::Split split = eos.flash(s.T, s.Pbar * 1e5, s.x1, w1);
        benchmark::DoNotOptimize(split.x1[0]);
        found = split.found;
    }
    state.counters["tie_found"] = found ? 1.0 : 0.0;
}

void BM_PlainRoot(benchmark::State& state) { plainRoot(state, PengRobinsonBinary::co2Methane()); }
void BM_PlainStability(benchmark::State& state) { plainStability(state, PengRobinsonBinary::co2Methane()); }
void BM_PlainFlash(benchmark::State& state) { plainFlash(state, PengRobinsonBinary::co2Methane()); }
// The Peng-Robinson binary of water (Tc, Pc, omega of the pure-component
// table) and CO2, with k = 0.19: the plain flash a cubic's tie line with
// water is held against.
const PengRobinsonBinary kPlainWaterCO2{{647.13, 304.13}, {22055000.0, 7377000.0}, {0.344, 0.224}, 0.19};
void BM_PlainWaterFlash(benchmark::State& state) { plainFlash(state, kPlainWaterCO2); }
void BM_PlainDmwRoot(benchmark::State& state) { plainRoot(state, DuanMollerWeareBinary::waterCarbonDioxide()); }
void BM_PlainDmwStability(benchmark::State& state) {
    plainStability(state, DuanMollerWeareBinary::waterCarbonDioxide());
}
void BM_PlainDmwFlash(benchmark::State& state) { plainFlash(state, DuanMollerWeareBinary::waterCarbonDioxide()); }
// The Kreglewski binary of the state's pair.
KreglewskiPlainBinary kreglewskiOf(const benchmark::State& state) {
    const int pair = static_cast<int>(state.range(0) - kFirstKreglewski) / 2;
    return pair == 0   ? KreglewskiPlainBinary::co2Methane()
           : pair == 1 ? KreglewskiPlainBinary::co2Nitrogen()
                       : KreglewskiPlainBinary::methaneNitrogen();
}
void BM_PlainKreglewskiRoot(benchmark::State& state) { plainRoot(state, kreglewskiOf(state)); }
void BM_PlainKreglewskiStability(benchmark::State& state) { plainStability(state, kreglewskiOf(state)); }
void BM_PlainKreglewskiFlash(benchmark::State& state) { plainFlash(state, kreglewskiOf(state)); }

// Pure water by DMW2 (its CO2 at x 0) and by DuanH2O, at a liquid, a steam
// and a supercritical state.
const double kWaterStates[][2] = {{500.0, 100.0}, {600.0, 50.0}, {700.0, 500.0}};

void waterStableState(benchmark::State& state, const char* name, bool mixture) {
    std::unique_ptr<FluidPhase> m(createFluidModel(name));
    if (!m) return state.SkipWithError("no model");
    if (mixture) m->composition({1.0, 0.0});
    const platform::ThreadLogCapture quiet;
    const double* s = kWaterStates[state.range(0)];
    long failed = 0;
    for (auto _ : state) {
        if (mixture) m->composition({1.0, 0.0});
        failed += m->calculateStableStateFromTP(s[0], s[1]).phase == FluidPhase::kPhaseNone;
        benchmark::DoNotOptimize(m->V);
    }
    if (failed) state.SkipWithError("no stable state");
}
void BM_WaterEndStableState(benchmark::State& state) { waterStableState(state, "DMW2:H2O,CO2", true); }
void BM_DuanH2OStableState(benchmark::State& state) { waterStableState(state, "DuanH2O", false); }

}  // namespace

BENCHMARK(BM_MixtureStableState)->DenseRange(0, kLastKreglewski)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MixtureStability)
    ->DenseRange(0, kLastKreglewski)
    ->DenseRange(kFirstWater, kLastWater)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MixtureTieLine)
    ->DenseRange(3, 8)
    ->DenseRange(10, 18, 2)
    ->DenseRange(kFirstKreglewski + 1, kLastKreglewski, 2)
    ->DenseRange(kFirstWater, kLastWater)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainWaterFlash)->DenseRange(kFirstWater, kLastWater)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainRoot)->DenseRange(0, kPlainStates - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainStability)->DenseRange(0, kPlainStates - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainFlash)->DenseRange(3, kPlainStates - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainDmwRoot)->DenseRange(kFirstDmw, kLastDmw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainDmwStability)->DenseRange(kFirstDmw, kLastDmw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainDmwFlash)->DenseRange(kFirstDmw + 1, kLastDmw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WaterEndStableState)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DuanH2OStableState)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainKreglewskiRoot)->DenseRange(kFirstKreglewski, kLastKreglewski)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainKreglewskiStability)->DenseRange(kFirstKreglewski, kLastKreglewski)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainKreglewskiFlash)
    ->DenseRange(kFirstKreglewski + 1, kLastKreglewski, 2)
    ->Unit(benchmark::kMicrosecond);
