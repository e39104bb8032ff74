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
//   BM_BinaryIsothermCommand/0  "DMW2:H2O,CO2 bino 500": the P-x isotherm
//                        from water's end, every tie line written tested
//                        for stability;
//   BM_BinaryIsothermCommand/1  "PR:H2O,CO2 binop 500 200";
//   BM_BinaryIsothermCommand/2  "PR:CO2,CH4 binop 250 50";
//   BM_BinaryIsothermCommand/3-4  "DMW2:H2O,CH4 bino 500" and "DMW2:H2O,CH4
//                        binop 500 200": one isotherm from water's end and
//                        through a pressure (no flash written out for it):
// the command's thread time (curve_s), its rows, the time per row
// (row_us) and per row over the flash of the same binary written out
// (flash_us: Peng-Robinson's, or Duan, Moller & Weare's, at the curve's T,
// its pressure and a feed between its phases; row_over_flash).  The files
// go to a directory of their own, removed after.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <time.h>

#include "bench/DuanMollerWeareBinary.h"
#include "console/FluidModelFactory.h"
#include "families/cubic/tests/PengRobinsonBinary.h"
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

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The plain flash's time (us) at T (K), P (Pa) and feed z1, the smallest of
// a few hundred.
template <class Binary>
double plainFlashMicroseconds(const Binary& eos, double T, double P, double z1) {
    double w1 = 0.0;
    if (!eos.splits(T, P, z1, &w1)) return std::nan("");
    double best = 1e300;
    for (int k = 0; k < 200; ++k) {
        const double t0 = threadSeconds();
        const plain_binary::Split split = eos.flash(T, P, z1, w1);
        benchmark::DoNotOptimize(split.x1[0]);
        best = std::min(best, 1e6 * (threadSeconds() - t0));
    }
    return best;
}

void BM_BinaryIsothermCommand(benchmark::State& state) {
    const struct {
        const char* model;
        double T, Pbar;  // K; bar, 0 for the isotherm from the first component's end
        double flashP, flashZ;  // the plain flash's pressure (bar) and feed
    } kCurves[] = {{"DMW2:H2O,CO2", 500.0, 0.0, 200.0, 0.3},
                   {"PR:H2O,CO2", 500.0, 200.0, 200.0, 0.3},
                   {"PR:CO2,CH4", 250.0, 50.0, 40.0, 0.3},
                   {"DMW2:H2O,CH4", 500.0, 0.0, 0.0, 0.0},
                   {"DMW2:H2O,CH4", 500.0, 200.0, 0.0, 0.0}};
    const auto& c = kCurves[state.range(0)];
    std::unique_ptr<FluidPhase> m(createFluidModel(c.model));
    if (!m) return state.SkipWithError("no model");
    char dir[] = "/tmp/varnok_bench_XXXXXX";
    if (!mkdtemp(dir)) return state.SkipWithError("no directory for the curve's file");
    const std::string file = std::string(dir) + (c.Pbar > 0.0 ? "/binopb" : "/binob");
    char here[4096];
    if (!getcwd(here, sizeof here) || chdir(dir) != 0) return state.SkipWithError("no directory for the curve's file");
    double best = 1e300;
    for (auto _ : state) {
        const platform::ThreadLogCapture quiet;
        const double t0 = threadSeconds();
        if (c.Pbar > 0.0)
            m->calculateTheBinaryIsothermFromP(c.T, c.Pbar, "b");
        else
            m->calculateTheBinaryIsotherm(c.T, "b");
        best = std::min(best, threadSeconds() - t0);
    }
    int rows = 0;
    {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) rows += !line.empty() && line[0] != '#';
    }
    std::remove(file.c_str());
    if (chdir(here) != 0) return state.SkipWithError("the working directory is gone");
    rmdir(dir);
    const std::string model = c.model;
    const double flash = c.flashP == 0.0 ? std::nan("")
                         : model == "DMW2:H2O,CO2"
                             ? plainFlashMicroseconds(DuanMollerWeareBinary::waterCarbonDioxide(), c.T, c.flashP * 1e5, c.flashZ)
                         : model == "PR:CO2,CH4"
                             ? plainFlashMicroseconds(PengRobinsonBinary::co2Methane(), c.T, c.flashP * 1e5, c.flashZ)
                             : plainFlashMicroseconds(PengRobinsonBinary{{647.13, 304.13}, {22055000.0, 7377000.0},
                                                                         {0.344, 0.224}, 0.19},
                                                      c.T, c.flashP * 1e5, c.flashZ);
    state.counters["curve_s"] = best;
    state.counters["rows"] = rows;
    state.counters["row_us"] = rows > 0 ? 1e6 * best / rows : std::nan("");
    state.counters["flash_us"] = flash;
    state.counters["row_over_flash"] = rows > 0 ? 1e6 * best / rows / flash : std::nan("");
}

}  // namespace

BENCHMARK(BM_BinaryCurveRows)->DenseRange(0, 6)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_CriticalCurve)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinaryIsothermCommand)->DenseRange(0, 4)->Unit(benchmark::kSecond)->Iterations(2);
