// The later reference equations of CO2 (Span & Wagner 1996) and CH4 (Setzmann
// & Wagner 1991), which give the fluid's density near its critical point
// beside the models (fluid/HelmholtzEquation.h):
//   BM_ReferenceEquationDensity/f/g    the stable density from T and P,
//                                      f = 0 CO2, 1 CH4, on a grid of 60
//                                      states (g = 0) within 10 % of Tc and
//                                      0.5-2 Pc, or (g = 1) within 0.2 % of
//                                      Tc and 3 % of Pc, both phases;
//   BM_ReferenceEquationVapourPressure/0-1  the vapour pressure at 12
//                                      temperatures from 0.7 Tc to 0.999 Tc.
//   BM_FluidLineNearCO2Critical/0-1    the verdict the interpreter prints
//                                      of "PR:CO2" (its "Phase:" line and
//                                      the fluid's statement, whose density
//                                      near the critical point is Span &
//                                      Wagner's) at 50 states 300-310 K
//                                      (/0) and 330-340 K (/1), 75 bar: the
//                                      time of the 50 (line_ms).
// The first two against their yardstick in the same run: the equation's
// previous path, its root search written here plainly (a scan of p(delta)
// and bisection on the equation's full residual evaluation at every density
// it asks, and the vapour pressure by bisection on which root is stable).
// The counters give the library's time per call (us), the yardstick's,
// their ratio, and the largest relative difference of their answers
// (max_rel_diff; infinite where one refuses and the other does not).
#include <benchmark/benchmark.h>

#include <time.h>

#include <cmath>
#include <memory>
#include <vector>

#include "console/FluidModelFactory.h"
#include "fluid/HelmholtzEquation.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"

namespace {

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

const HelmholtzEquation& equation(int k) { return k == 0 ? spanWagnerCO2() : setzmannWagnerCH4(); }
double criticalPressure(int k) { return k == 0 ? 7.3773e6 : 4.5992e6; }  // Pa
double acentricFactor(int k) { return k == 0 ? 0.225 : 0.011; }

// The library's root search, written plainly: p(delta) - P scanned in ln
// delta to 0.2, then in steps of 0.005 to 3.5, every rising crossing
// bisected; the gas's root the one before p first falls, the liquid's the
// last after which it does not fall.
void plainRoots(const HelmholtzEquation& e, double T, double P, double& gas, double& liquid) {
    const double tau = e.Tc / T;
    const auto excess = [&](double d) { return d * e.rhoc * e.R * T * (1.0 + d * e.residual(d, tau).d) - P; };
    const double lo = std::fmin(0.1 * P / (e.rhoc * e.R * T), 1e-3), knee = 0.2, top = 3.5, step = 0.005;
    gas = liquid = std::nan("");
    bool monotone = true;
    double x0 = lo, f0 = excess(lo);
    for (int k = 1;; ++k) {
        const double x1 = k <= 200 ? lo * std::pow(knee / lo, double(k) / 200) : knee + step * (k - 200);
        if (x1 > top) break;
        const double f1 = excess(x1);
        if (f0 < 0.0 && f1 >= 0.0) {
            double a0 = x0, a1 = x1;
            for (int it = 0; it < 200 && a1 - a0 > 1e-15 * a1; ++it) {
                const double m = 0.5 * (a0 + a1);
                (excess(m) < 0.0 ? a0 : a1) = m;
            }
            liquid = 0.5 * (a0 + a1);
            if (monotone) gas = liquid;
        }
        if (f1 < f0) {
            monotone = false;
            liquid = std::nan("");
        }
        x0 = x1;
        f0 = f1;
    }
    if (liquid == gas) liquid = std::nan("");
}

double plainDensity(const HelmholtzEquation& e, double T, double P) {
    double gas = 0.0, dense = 0.0;
    plainRoots(e, T, P, gas, dense);
    const double best = std::isnan(dense) || e.gibbs(gas, e.Tc / T) <= e.gibbs(dense, e.Tc / T) ? gas : dense;
    return best * e.rhoc;
}

double plainVapourPressure(const HelmholtzEquation& e, double T, double guess) {
    const auto liquidStable = [&](double P) {
        double gas = 0.0, dense = 0.0;
        plainRoots(e, T, P, gas, dense);
        return std::isnan(gas) || (!std::isnan(dense) && e.gibbs(dense, e.Tc / T) < e.gibbs(gas, e.Tc / T));
    };
    double lo = 0.8 * guess, hi = 1.2 * guess;
    if (liquidStable(lo) || !liquidStable(hi)) return std::nan("");
    for (int it = 0; it < 50; ++it) {
        const double m = std::sqrt(lo * hi);
        (liquidStable(m) ? hi : lo) = m;
    }
    return std::sqrt(lo * hi);
}

// The relative difference of two answers; 0 where both are NaN (the same
// refusal), infinite where only one is.
double relativeDifference(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0.0 : HUGE_VAL;
    return a == b ? 0.0 : std::fabs(a / b - 1.0);
}

// Times `library` and `plain` over the same calls, the smallest of the
// passes each, and gives the largest relative difference of their answers.
template <class Library, class Plain>
void sideBySide(benchmark::State& state, int calls, Library library, Plain plain) {
    double best = 1e300, bestPlain = 1e300, worst = 0.0;
    for (auto _ : state) {
        double t0 = threadSeconds();
        std::vector<double> a = library();
        best = std::min(best, threadSeconds() - t0);
        t0 = threadSeconds();
        std::vector<double> b = plain();
        bestPlain = std::min(bestPlain, threadSeconds() - t0);
        for (std::size_t i = 0; i < a.size(); ++i) worst = std::max(worst, relativeDifference(a[i], b[i]));
    }
    state.counters["library_us"] = 1e6 * best / calls;
    state.counters["plain_us"] = 1e6 * bestPlain / calls;
    state.counters["plain_over_library"] = bestPlain / best;
    state.counters["max_rel_diff"] = worst;
}

void BM_ReferenceEquationDensity(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const HelmholtzEquation& e = equation(k);
    std::vector<std::pair<double, double>> states;
    const bool near = state.range(1) == 1;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 10; ++j)
            states.push_back(near ? std::pair{e.Tc * (0.998 + 0.0008 * i), criticalPressure(k) * (0.97 + 0.06 * j / 9.0)}
                                  : std::pair{e.Tc * (0.9 + 0.04 * i), criticalPressure(k) * (0.5 + 1.5 * j / 9.0)});
    const auto run = [&](auto density) {
        std::vector<double> rho;
        for (const auto& [T, P] : states) rho.push_back(density(T, P));
        return rho;
    };
    sideBySide(
        state, static_cast<int>(states.size()), [&] { return run([&](double T, double P) { return e.densityFromTP(T, P); }); },
        [&] { return run([&](double T, double P) { return plainDensity(e, T, P); }); });
}

void BM_ReferenceEquationVapourPressure(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const HelmholtzEquation& e = equation(k);
    std::vector<std::pair<double, double>> points;  // T, the guess (Pa)
    for (int i = 0; i < 12; ++i) {
        const double Tr = 0.7 + (0.999 - 0.7) * i / 11.0;
        points.push_back({e.Tc * Tr, criticalPressure(k) * std::pow(10.0, 7.0 / 3.0 * (1.0 + acentricFactor(k)) * (1.0 - 1.0 / Tr))});
    }
    const auto run = [&](auto psat) {
        std::vector<double> p;
        for (const auto& [T, guess] : points) p.push_back(psat(T, guess));
        return p;
    };
    sideBySide(
        state, static_cast<int>(points.size()),
        [&] { return run([&](double T, double g) { return e.saturationPressure(T, g); }); },
        [&] { return run([&](double T, double g) { return plainVapourPressure(e, T, g); }); });
}

void BM_FluidLineNearCO2Critical(benchmark::State& state) {
    const platform::ThreadLogCapture quiet;
    std::unique_ptr<FluidPhase> m(createFluidModel("PR:CO2"));
    if (!m) return state.SkipWithError("no model");
    StateReport report(*m);
    const double T0 = state.range(0) == 0 ? 300.0 : 330.0;
    double best = 1e300, sink = 0.0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        for (int i = 0; i < 50; ++i) {
            StateReport::Verdict v;
            if (report.verdictAt(T0 + 10.0 * i / 49.0, 75.0, v)) sink += static_cast<double>(v.fluid.text.size());
        }
        best = std::min(best, threadSeconds() - t0);
    }
    benchmark::DoNotOptimize(sink);
    state.counters["line_ms"] = 1e3 * best;
}

}  // namespace

BENCHMARK(BM_FluidLineNearCO2Critical)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReferenceEquationDensity)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReferenceEquationVapourPressure)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(2);
