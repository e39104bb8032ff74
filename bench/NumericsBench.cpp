// Cost of the toolkit's solvers on small closed-form problems: the damped
// secant on a cubic and the Newton solver on a three-unknown system (the size
// of a pure-fluid saturation or critical-point system).
#include <benchmark/benchmark.h>

#include <cmath>

#include "numerics/Newton.h"
#include "numerics/Secant.h"
#include "numerics/tests/BurdenFairesSystem.h"

namespace {

class BenchModel : public Equation {
public:
    double cubic(double x, void*) { return x * x * x - 2 * x - 5; }
    void trig(double* x, double* G, double** J, int&, int order, void*) {
        burdenFairesSystem(x, G, J, order);
    }
};

void BM_SecantCubic(benchmark::State& state) {
    BenchModel model;
    Secant s;
    s.obj = &model;
    s.fn = toEquationFn<ScalarEquationFn>(&BenchModel::cubic);
    for (auto _ : state) {
        s.x0 = 3.0;
        s.x1 = 3.00003;
        benchmark::DoNotOptimize(s.solve());
    }
}
BENCHMARK(BM_SecantCubic);

void BM_NewtonThreeUnknowns(benchmark::State& state) {
    BenchModel model;
    Newton nw;
    nw._setSysEquationToSolve(&model, toEquationFn<SysEquationFn>(&BenchModel::trig), 3);
    nw.numericalJacobian = static_cast<std::int8_t>(state.range(0));
    for (int i = 0; i < 3; ++i) nw.h[i] = 1e-7;
    for (auto _ : state) {
        nw.x[0] = 0.1;
        nw.x[1] = 0.1;
        nw.x[2] = -0.1;
        nw.solve();
        benchmark::DoNotOptimize(nw.x[0]);
    }
}
BENCHMARK(BM_NewtonThreeUnknowns)->Arg(0)->Arg(1);

}  // namespace
