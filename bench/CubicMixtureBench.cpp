// Real cubic mixtures of CO2 and methane, built as the model factory builds
// "SRK1:CO2,CH4", "PRSV:CO2,CH4" and "SRK2:CO2,CH4" (the model of phase kind
// 1, its two components named in order, then the composition, 30 % CH4):
//   FromTP       the molar volume from (T, P) with the state functions and
//                fugacities, per state over a dense liquid, a gas and a
//                supercritical state;
//   FromTV       state functions and fugacities at (T, V), per state at the
//                volumes of the same three states;
//   StateFunctionsFromTV  the same without the fugacities
//                (calculateStateFunctionsFromTV);
//   BubblePoint  the bubble point of the liquid with 30 % CH4 at 260 K, from
//                start values 1-2 % off the converged ones.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "families/cubic/PRSV.h"
#include "families/cubic/SRK1.h"
#include "families/cubic/SRK2.h"

namespace {

using MakeModel = FluidPhase* (*)();

FluidPhase* makeSRK1() { return new SRK1(1, 0); }
FluidPhase* makePRSV() { return new PRSV(1, 0); }
FluidPhase* makeSRK2() { return new SRK2(1); }

constexpr double kMethane = 0.3;

std::unique_ptr<FluidPhase> co2Methane(MakeModel make)
{
    std::unique_ptr<FluidPhase> m(make());
    m->number_of_components(2);
    m->add_component("CO2");
    m->add_component("CH4");
    m->composition(1.0 - kMethane, kMethane);
    m->calculateBulkMolarWeight();
    return m;
}

struct TPState {
    double T, Pbar;
    int kind;  // 2 liquid, 1 gas or supercritical
};
const TPState kStates[] = {{250.0, 50.0, 2}, {300.0, 20.0, 1}, {330.0, 120.0, 1}};
constexpr int kStateCount = 3;

void BM_CubicMixtureFromTP(benchmark::State& state, MakeModel make)
{
    auto m = co2Methane(make);
    int k = 0;
    long failed = 0;
    for (auto _ : state) {
        const TPState& s = kStates[k];
        m->set_the_phase_as(s.kind);
        m->calculateFromTP(s.T, s.Pbar, 0);
        benchmark::DoNotOptimize(m->fugcoef.data());
        failed += m->errorflag != 0;
        k = k + 1 == kStateCount ? 0 : k + 1;
    }
    if (failed) state.SkipWithError("state failed");
}

// calculateFromTV (with fugacities) or calculateStateFunctionsFromTV
// (without) at the volumes of the three states.
template <bool Fugacities>
void cubicMixtureFromTV(benchmark::State& state, MakeModel make)
{
    auto m = co2Methane(make);
    double V[kStateCount];
    for (int k = 0; k < kStateCount; ++k) {
        m->set_the_phase_as(kStates[k].kind);
        m->calculateFromTP(kStates[k].T, kStates[k].Pbar, 0);
        if (m->errorflag) {
            state.SkipWithError("state failed");
            return;
        }
        V[k] = m->V;
    }
    int k = 0;
    for (auto _ : state) {
        if constexpr (Fugacities)
            m->calculateFromTV(kStates[k].T, V[k], 0);
        else
            m->calculateStateFunctionsFromTV(kStates[k].T, V[k]);
        benchmark::DoNotOptimize(m->H);
        benchmark::DoNotOptimize(m->fugcoef.data());
        k = k + 1 == kStateCount ? 0 : k + 1;
    }
}

void BM_CubicMixtureFromTV(benchmark::State& state, MakeModel make) { cubicMixtureFromTV<true>(state, make); }
void BM_CubicMixtureStateFunctionsFromTV(benchmark::State& state, MakeModel make)
{
    cubicMixtureFromTV<false>(state, make);
}

// The bubble point at x(CH4) = 0.3 and 260 K: converged once along the
// isotherm from pure CO2, then timed from start values moved off it.
void BM_CubicMixtureBubblePoint(benchmark::State& state, MakeModel make)
{
    constexpr double T = 260.0;
    constexpr std::size_t kRow = 19;  // values per row of an isotherm
    auto m = co2Methane(make);
    m->initializeSaturationVolumesFromT("CO2", T);
    std::vector<double> rows;
    m->calculate_an_isotherm_of_the_binary_system(nullptr, 1, 0.01, 1.0, 1e4, T, m->Vl0, m->Vv0, 0.0, 0.0, 6,
                                                  nullptr, &rows);
    // Columns: 3 x, 5 y, 6 Vl and 7 Vv (cm3/mol).
    std::size_t k = 0;
    while (k + 2 * kRow <= rows.size() && rows[k + 3] < kMethane) k += kRow;
    if (k + kRow > rows.size() || std::fabs(rows[k + 3] - kMethane) > 0.02) {
        state.SkipWithError("no isotherm through the composition");
        return;
    }
    const double x = rows[k + 3], y = rows[k + 5], Vl = rows[k + 6] * 1e-6, Vv = rows[k + 7] * 1e-6;
    for (auto _ : state) {
        m->calculate_bubble_point(T, 1.01 * Vl, 0.98 * Vv, x, 1.02 * y);
        benchmark::DoNotOptimize(m->P);
    }
    if (m->errorflag) state.SkipWithError("no bubble point");
}

#define CUBIC_MIXTURE_BENCHMARKS(name, make)                                                                 \
    BENCHMARK_CAPTURE(BM_CubicMixtureFromTP, name, make)->Unit(benchmark::kMicrosecond);          \
    BENCHMARK_CAPTURE(BM_CubicMixtureFromTV, name, make)->Unit(benchmark::kMicrosecond);          \
    BENCHMARK_CAPTURE(BM_CubicMixtureStateFunctionsFromTV, name, make)->Unit(benchmark::kMicrosecond); \
    BENCHMARK_CAPTURE(BM_CubicMixtureBubblePoint, name, make)->Unit(benchmark::kMicrosecond)

CUBIC_MIXTURE_BENCHMARKS(SRK1, &makeSRK1);
CUBIC_MIXTURE_BENCHMARKS(PRSV, &makePRSV);
CUBIC_MIXTURE_BENCHMARKS(SRK2, &makeSRK2);

}  // namespace
