// Phase equilibria of a binary van der Waals mixture on one model: a
// critical point at fixed composition with the curve's tangent, a bubble
// point, and the whole pressure-composition isotherm between the two pure
// components.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "equilibria/tests/TestBinary.h"
#include "fluid/tests/VdWFluid.h"
#include "numerics/Newton.h"

namespace {

void BM_MixtureCriticalPoint(benchmark::State& state)
{
    VdWFluid f({kA0, kA1}, {kB0, kB1}, false);
    f.criticalSolver->verbose = 0;
    double dTdx = 0, dVdx = 0;
    for (auto _ : state) {
        f.composition_of_component(0, 0.5);
        f.composition_of_component(1, 0.5);
        f.temperature(352.0);  // about 0.3 % from the critical point
        f.volume(1.4e-4);
        f.search_a_critical_point(kCriticalPointFixedComposition);
        f.next_critical_point(dTdx, dVdx);
        benchmark::DoNotOptimize(dTdx);
    }
    if (f.errorflag) state.SkipWithError("no critical point");
}
BENCHMARK(BM_MixtureCriticalPoint)->Unit(benchmark::kMicrosecond);

// Start values of the bubble point at x1 = 0.4 and 250 K, from one solve.
struct BubbleStart {
    double Vl, Vv, y;
};

void BM_MixtureBubblePoint(benchmark::State& state)
{
    VdWFluid f({kA0, kA1}, {kB0, kB1}, false);
    f.criticalSolver->verbose = 0;
    std::vector<double> rows;
    const PureCoexistence c = pureCoexistence(kA0, kB0, 250.0);
    f.calculate_an_isotherm_of_the_binary_system(nullptr, 1, 0.1, 1.0, 1e4, 250.0, c.Vl, c.Vv, 0.0, 0.0, 6,
                                                 nullptr, &rows);
    if (rows.size() < 19 * 5) {
        state.SkipWithError("no isotherm");
        return;
    }
    // A row near x1 = 0.4 (7 Vl, 8 Vv in cm3/mol, 6 y).
    std::size_t k = 0;
    while (k + 19 < rows.size() && rows[k + 3] < 0.4) k += 19;
    const BubbleStart s{rows[k + 6] * 1e-6, rows[k + 7] * 1e-6, rows[k + 5]};
    const double x = rows[k + 3];
    for (auto _ : state) {
        f.calculate_bubble_point(250.0, 1.01 * s.Vl, 0.98 * s.Vv, x, 1.02 * s.y);
        benchmark::DoNotOptimize(f.P);
    }
    if (f.errorflag) state.SkipWithError("no bubble point");
}
BENCHMARK(BM_MixtureBubblePoint)->Unit(benchmark::kMicrosecond);

void BM_BinaryIsotherm(benchmark::State& state)
{
    VdWFluid f({kA0, kA1}, {kB0, kB1}, false);
    f.criticalSolver->verbose = 0;
    std::vector<double> rows;
    const PureCoexistence c = pureCoexistence(kA0, kB0, 250.0);
    for (auto _ : state) {
        rows.clear();
        f.calculate_an_isotherm_of_the_binary_system(nullptr, 1, 0.01, 1.0, 1e4, 250.0, c.Vl, c.Vv, 0.0, 0.0, 6,
                                                     nullptr, &rows);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["points"] = static_cast<double>(rows.size() / 19);
}
BENCHMARK(BM_BinaryIsotherm)->Unit(benchmark::kMillisecond);

}  // namespace
