// What a state costs where a user feels it, for every pure reference fluid
// (IAPWS-95, HGK, Hill, Keenan, Saul, IUPAC CO2, Sterner's CO2, IUPAC CH4,
// Span et al.'s nitrogen):
//   BM_NewTemperature   the state functions at (T, V), each state at a new
//                       temperature, against the same states each at a new
//                       volume and the temperature of the one before (the
//                       functions of T kept): new_T_us, new_V_us and their
//                       ratio;
//   BM_NewTemperatureFourthOrder  the same for the pure fluid's Helmholtz
//                       derivatives to the fourth order (the set of the
//                       critical-point and spinodal searches) at (T, V), for
//                       IAPWS-95 and the IUPAC CO2 and CH4 equations;
//   BM_FullState        the full state at (T, V) (calculateFromTV: the state
//                       functions and the fugacities) against the state
//                       functions alone: full_us, functions_us and their ratio;
//   BM_MixtureFullState the same for a mixture of terms, Duan, Moller and
//                       Weare's H2O-CO2 (30 % CO2, 600 to 1000 K, 100 to 1000
//                       bar), the state functions alone asked with
//                       calculateStateFunctionsFromTV.
// 30 states over the fluid's one-phase range, 0.9 to 2 Tc, liquid and gas
// densities, each timed alone; per-state times are the smallest of the
// passes, which a busy machine inflates least.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "families/duan/DMW1.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "gases/Sterner.h"
#include "water/HGK.h"
#include "water/Hill.h"
#include "water/Keenan.h"
#include "water/Saul.h"
#include "water/WagnerPruss.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TV {
    double T, V;
};

// States at ten temperatures from 0.9 to 2 Tc, at the volumes of the
// model's own volume search at 10 to 1000 bar (a liquid below Tc).
template <class Model>
std::vector<TV> states(Model& m, double Tc) {
    std::vector<TV> s;
    for (int i = 0; i < 10; ++i) {
        const double T = Tc * (0.9 + 1.1 * i / 9.0);
        for (double Pbar : {10.0, 100.0, 1000.0}) {
            m.set_the_phase_as(T < Tc ? 2 : 1);
            m.temperature(T);
            m.pressure(Pbar);
            m.calculate_molar_volume();
            if (m.errorflag || !(m.V > 0.0)) continue;
            s.push_back({T, m.V});
        }
    }
    return s;
}

double functions(FluidPhase& m, const TV& s) {
    m.errorflag = 0;
    m.temperature(s.T);
    m.volume(s.V);
    m.calculate_state_functions();
    return m.P + m.H + m.S + m.Cp + m.soundSpeed;
}

// The time per state of timed(i) over the states, each timed alone after
// before(i) (untimed), the smallest of the passes.
template <class Before, class Timed>
double perState(std::size_t n, Before before, Timed timed) {
    double sink = 0.0, total = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        sink += before(i);
        const auto t0 = Clock::now();
        sink += timed(i);
        total += std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
    }
    benchmark::DoNotOptimize(sink);
    return total / n;
}

// Two paths over the states, each state timed alone after its own untimed
// evaluation (beforeA, beforeB): the smallest per-state times of the passes
// as counters nameA and nameB, and their ratio.
template <class BeforeA, class TimedA, class BeforeB, class TimedB>
void timeTwoPaths(benchmark::State& state, std::size_t n, BeforeA beforeA, TimedA a, BeforeB beforeB, TimedB b,
                  const char* nameA, const char* nameB) {
    double bestA = 1e300, bestB = 1e300;
    for (auto _ : state) {
        bestA = std::min(bestA, perState(n, beforeA, a));
        bestB = std::min(bestB, perState(n, beforeB, b));
    }
    state.counters[nameA] = bestA;
    state.counters[nameB] = bestB;
    state.counters["ratio"] = bestA / bestB;
}

// The derivatives to the fourth order at (T, V), as the critical-point and
// spinodal searches ask for them.
double fourthOrder(FluidPhase& m, const TV& s) {
    m.errorflag = 0;
    m.temperature(s.T);
    m.volume(s.V);
    m.calculate_critical_parameters_of_pure_fluid();
    return m.d3AdV3 + m.d4AdV4 + m.d4AdTdV3;
}

// Each state of `evaluate` timed after the state at 1.01 T (a new
// temperature) or at 1.001 V (the same temperature, a new volume).
template <class Model, double (*evaluate)(FluidPhase&, const TV&)>
void newTemperature(benchmark::State& state) {
    static Model m(1);
    const std::vector<TV> s = states(m, m.critical_T);
    if (s.empty()) return state.SkipWithError("no state");
    auto timed = [&](std::size_t i) { return evaluate(m, s[i]); };
    timeTwoPaths(
        state, s.size(), [&](std::size_t i) { return evaluate(m, {1.01 * s[i].T, s[i].V}); }, timed,
        [&](std::size_t i) { return evaluate(m, {s[i].T, 1.001 * s[i].V}); }, timed, "new_T_us", "new_V_us");
}

template <class Model>
void BM_NewTemperature(benchmark::State& state) {
    newTemperature<Model, functions>(state);
}

template <class Model>
void BM_NewTemperatureFourthOrder(benchmark::State& state) {
    newTemperature<Model, fourthOrder>(state);
}

template <class Model>
void BM_FullState(benchmark::State& state) {
    static Model m(1);
    const std::vector<TV> s = states(m, m.critical_T);
    if (s.empty()) return state.SkipWithError("no state");
    // Each state after the one at 1.001 V: the functions of T kept.
    auto before = [&](std::size_t i) { return functions(m, {s[i].T, 1.001 * s[i].V}); };
    auto full = [&](std::size_t i) {
        m.calculateFromTV(s[i].T, s[i].V, 0);
        return m.P + m.H + m.fugcoef[0];
    };
    timeTwoPaths(
        state, s.size(), before, full, before, [&](std::size_t i) { return functions(m, s[i]); }, "full_us",
        "functions_us");
}

void BM_MixtureFullState(benchmark::State& state) {
    static DMW2 m(1);
    static const bool named = [] {
        m.number_of_components(2);
        m.add_component("H2O");
        m.add_component("CO2");
        m.composition(0.7, 0.3);
        m.calculateBulkMolarWeight();
        return true;
    }();
    benchmark::DoNotOptimize(named);
    std::vector<TV> s;
    for (double T : {600.0, 800.0, 1000.0})
        for (double Pbar : {100.0, 300.0, 1000.0}) {
            m.set_the_phase_as(1);
            m.calculateFromTP(T, Pbar, 0);
            if (!m.errorflag && m.V > 0.0) s.push_back({T, m.V});
        }
    if (s.empty()) return state.SkipWithError("no state");
    auto before = [&](std::size_t i) {
        m.calculateStateFunctionsFromTV(s[i].T, 1.001 * s[i].V);
        return m.H;
    };
    timeTwoPaths(
        state, s.size(), before,
        [&](std::size_t i) {
            m.calculateFromTV(s[i].T, s[i].V, 0);
            return m.H + m.fugcoef[0] + m.fugcoef[1];
        },
        before,
        [&](std::size_t i) {
            m.calculateStateFunctionsFromTV(s[i].T, s[i].V);
            return m.P + m.H + m.S + m.Cp + m.soundSpeed;
        },
        "full_us", "functions_us");
}
BENCHMARK(BM_MixtureFullState)->Unit(benchmark::kMillisecond);

#define STATE_COST(Model)                                                     \
    BENCHMARK_TEMPLATE(BM_NewTemperature, Model)->Unit(benchmark::kMillisecond); \
    BENCHMARK_TEMPLATE(BM_FullState, Model)->Unit(benchmark::kMillisecond)

STATE_COST(WagnerPruss);
STATE_COST(HGK);
STATE_COST(Hill);
STATE_COST(Keenan);
STATE_COST(Saul);
STATE_COST(IUPACCO2);
STATE_COST(Sterner);
STATE_COST(IUPACCH4);
STATE_COST(Jacobsen);
BENCHMARK_TEMPLATE(BM_NewTemperatureFourthOrder, WagnerPruss)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_NewTemperatureFourthOrder, IUPACCO2)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_NewTemperatureFourthOrder, IUPACCH4)->Unit(benchmark::kMillisecond);

}  // namespace
