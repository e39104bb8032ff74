// model_accuracy: measures each fluid model of the command interpreter against
// the reference equation of its fluid (IAPWS-95, IUPAC CO2, IUPAC CH4, Span et
// al. N2) over the whole range the model declares, intersected with the
// reference equation's range: the largest relative differences in density and
// in isobaric heat capacity, and the states where they lie.  These are the
// figures of the README's table of models.
//
//   model_accuracy [--grid N] [--range Tmin Tmax Pmin Pmax] [--liquid] [MODEL[@x1]...]
//
// With no model, every row of the README's table.  --range narrows the
// comparison to a box of temperatures (K) and pressures (bar) inside the
// ranges; --liquid compares only states both give as the liquid.
// MODEL is a short name of the interpreter; "@x1" sets the mole fraction of
// the second component of a binary (HollowayEOS@0 is its water, @1 its CO2).
//
// The grid: N (20 by default) temperatures evenly spaced over the range and N
// pressures evenly spaced in log P from the range's lowest pressure (1 bar where the
// range starts at 0) to its highest.  Each state is asked for as the
// interpreter asks (reportedStateFromTP): a state either model refuses or
// withholds is not compared.  A state is compared only where both give the
// same phase (below the fluid's critical temperature both its liquid or both
// its vapour), and not within 2 % in pressure of the fluid's vapour pressure
// nor within 2 % in temperature and 20 % in pressure of its critical point
// (the vapour pressures and critical points of the fluids' published
// ancillary equations).  A heat capacity the model withholds (one no fluid
// has) is counted and left out of the cp comparison.
//
// Results on standard output, one Markdown table row per model; the models'
// own messages are dropped.  The models are measured on up to four threads,
// each with model objects of its own.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "console/FluidModelFactory.h"
#include "fluid/FluidPhase.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"

namespace {

constexpr double kSaturationMargin = 0.02;              // relative, in pressure
constexpr double kCriticalMarginT = 0.02, kCriticalMarginP = 0.2;  // relative

struct Case {
    std::string model;  // the short name
    std::string fluid;  // H2O, CO2, CH4, N2
    double x1 = -1.0;   // mole fraction of the second component of a binary, -1: the model's own
};

std::vector<Case> tableCases() {
    std::vector<Case> c = {
        {"HGK", "H2O"},        {"Saul", "H2O"},         {"Hill", "H2O"},           {"Keenan", "H2O"},
        {"DuanH2O", "H2O"},    {"ZhangDuanH2O", "H2O"}, {"AnderkoH2O", "H2O"},     {"Sterner", "CO2"},
        {"DuanCO2", "CO2"},    {"AnderkoCO2", "CO2"},   {"DuanCH4", "CH4"},        {"DMW1:N2", "N2"},
        {"HollowayEOS", "H2O", 0.0}, {"HollowayEOS", "CO2", 1.0},
    };
    // The closed-form SRK and Montel have no water data.
    for (const std::string family : {"SRK", "SRK1", "PR", "PRSV", "Montel"})
        for (const char* f : {"H2O", "CO2", "CH4", "N2"})
            if (!(std::string(f) == "H2O" && (family == "SRK" || family == "Montel"))) c.push_back({family + ":" + f, f});
    for (const char* pair : {"SRK2:H2O,CO2", "SRK2:CH4,N2"}) {
        const std::string p = pair, a = p.substr(5, p.find(',') - 5), b = p.substr(p.find(',') + 1);
        c.push_back({p, a, 0.0});
        c.push_back({p, b, 1.0});
    }
    for (const char* f : {"CO2", "CH4", "N2"}) c.push_back({std::string("Kreglewski:") + f, f});
    return c;
}

std::unique_ptr<FluidPhase> build(const std::string& name, double x1) {
    std::unique_ptr<FluidPhase> m(createFluidModel(name.c_str()));
    if (m && x1 >= 0.0 && m->component_count == 2) {
        m->composition_of_component(1, x1);
        m->composition_of_component(0, 1.0 - x1);
    }
    return m;
}

struct Answer {
    bool given = false;
    int phase = 0;
    double rho = 0.0, cp = 0.0;  // kg/m3, J/(mol K)
};

Answer ask(FluidPhase& m, double T, double P) {
    Answer a;
    FluidPhase::StableState s;
    if (!m.reportedStateFromTP(T, P, s) || m.errorflag) return a;
    a.given = true;
    a.phase = s.phase;
    a.rho = m.bulk_molar_weight / m.V;
    a.cp = m.Cp;
    return a;
}

// The largest relative difference and where it lies.
struct Worst {
    double d = 0.0, T = 0.0, P = 0.0;
    bool any = false;
    void take(double value, double T_, double P_) {
        if (!std::isfinite(value)) return;
        if (!any || std::fabs(value) > std::fabs(d)) d = value, T = T_, P = P_;
        any = true;
    }
};

// Options that narrow the comparison: a box of (T, P) inside the ranges, the
// liquid only.
struct Box {
    double Tmin = 0.0, Tmax = 1e300, Pmin = 0.0, Pmax = 1e300;
    bool liquidOnly = false;
};

struct Row {
    Case c;
    int grid = 20;
    Box box;
    bool built = false;
    double Tmin = 0, Tmax = 0, Plo = 0, Phi = 0;
    int compared = 0, refused = 0, otherPhase = 0, nearSaturation = 0, cpWithheld = 0;
    Worst rho, cp;
};

bool nearSaturationOrCritical(const char* fluid, double T, double P_bar) {
    const double Tc = ancillaryCriticalTemperature(fluid), Pc = ancillaryCriticalPressure(fluid) * 1e-5;
    if (std::fabs(T / Tc - 1.0) < kCriticalMarginT && std::fabs(P_bar / Pc - 1.0) < kCriticalMarginP) return true;
    if (T >= Tc) return false;
    const double ps = ancillaryVapourPressure(fluid, T) * 1e-5;
    return std::fabs(P_bar / ps - 1.0) < kSaturationMargin;
}

void measure(Row& row) {
    platform::ThreadLogCapture quiet;  // the refusals and withholdings of the grid's states
    std::unique_ptr<FluidPhase> m = build(row.c.model, row.c.x1), ref = build(referenceModelOf(row.c.fluid), -1.0);
    if (!m || !ref) return;
    row.built = true;
    const ValidityRange a = m->stateRange(), b = ref->effectiveRange();
    row.Tmin = std::max({a.Tmin, b.Tmin, row.box.Tmin});
    row.Tmax = std::min({a.Tmax, b.Tmax, row.box.Tmax});
    row.Plo = std::max({a.Pmin, b.Pmin, 1.0, row.box.Pmin});
    row.Phi = std::min({a.Pmax, b.Pmax, row.box.Pmax});
    if (!(row.Tmin <= row.Tmax && row.Plo <= row.Phi)) return;  // the ranges do not meet: nothing compared
    const char* fluid = row.c.fluid.c_str();
    const int n = row.grid;
    for (int i = 0; i < n; ++i) {
        const double T = row.Tmin + (row.Tmax - row.Tmin) * i / (n - 1);
        for (int j = 0; j < n; ++j) {
            const double P = row.Plo * std::pow(row.Phi / row.Plo, static_cast<double>(j) / (n - 1));
            if (nearSaturationOrCritical(fluid, T, P)) {
                ++row.nearSaturation;
                continue;
            }
            const Answer r = ask(*ref, T, P), x = ask(*m, T, P);
            if (!r.given || !x.given) {
                ++row.refused;
                continue;
            }
            const double Tc = ancillaryCriticalTemperature(fluid);
            if ((T < Tc && r.phase != x.phase) ||
                (row.box.liquidOnly && (r.phase != FluidPhase::kPhaseLiquid || x.phase != FluidPhase::kPhaseLiquid))) {
                ++row.otherPhase;
                continue;
            }
            ++row.compared;
            row.rho.take(x.rho / r.rho - 1.0, T, P);
            if (std::isnan(x.cp)) ++row.cpWithheld;
            else row.cp.take(x.cp / r.cp - 1.0, T, P);
        }
    }
}

std::string where(const Worst& w) {
    if (!w.any) return "—";
    char buf[96];
    const double P = w.P;
    if (P >= 1000.0)
        std::snprintf(buf, sizeof buf, "%+.2f %% at %.0f K, %.1f kbar", 100.0 * w.d, w.T, P / 1000.0);
    else
        std::snprintf(buf, sizeof buf, "%+.2f %% at %.0f K, %.3g bar", 100.0 * w.d, w.T, P);
    return buf;
}

}  // namespace

int main(int argc, char** argv) {
    installFluidModelFactory();
    std::vector<Case> cases;
    int grid = 20;
    Box box;
    for (int k = 1; k < argc; ++k) {
        std::string a = argv[k];
        if (a == "--range" && k + 4 < argc) {
            box.Tmin = std::atof(argv[k + 1]), box.Tmax = std::atof(argv[k + 2]);
            box.Pmin = std::atof(argv[k + 3]), box.Pmax = std::atof(argv[k + 4]);
            k += 4;
            if (!(box.Tmin < box.Tmax && box.Pmin > 0.0 && box.Pmin < box.Pmax)) {
                std::fprintf(stderr, "model_accuracy: --range takes Tmin < Tmax (K) and 0 < Pmin < Pmax (bar)\n");
                return 1;
            }
            continue;
        }
        if (a == "--liquid") {
            box.liquidOnly = true;
            continue;
        }
        if (a == "--grid" && k + 1 < argc) {
            grid = std::atoi(argv[++k]);
            if (grid < 2 || grid > 1000) {
                std::fprintf(stderr, "model_accuracy: --grid takes 2 to 1000 points a side, not %s\n", argv[k]);
                return 1;
            }
            continue;
        }
        double x1 = -1.0;
        const std::size_t at = a.find('@');
        if (at != std::string::npos) {
            x1 = std::atof(a.c_str() + at + 1);
            a.resize(at);
        }
        std::string fluid;
        std::unique_ptr<FluidPhase> m = build(a, x1);
        if (m) {
            const char* f = m->phaseRuleFluid();
            if (f) fluid = f;
        }
        if (!referenceModelOf(fluid)) {
            std::fprintf(stderr, "model_accuracy: %s is no model of H2O, CO2, CH4 or N2 at one composition\n",
                         argv[k]);
            return 1;
        }
        cases.push_back({a, fluid, x1});
    }
    if (cases.empty()) cases = tableCases();

    std::vector<Row> rows(cases.size());
    for (std::size_t k = 0; k < cases.size(); ++k) rows[k].c = cases[k], rows[k].grid = grid, rows[k].box = box;
    const unsigned threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back([&rows, t, threads] {
            for (std::size_t k = t; k < rows.size(); k += threads) measure(rows[k]);
        });
    for (std::thread& t : pool) t.join();

    std::printf("| model | fluid | grid: K, bar | states compared | refused | other phase | near saturation or "
                "critical | cp withheld | density vs reference | cp vs reference |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    int failed = 0;
    for (const Row& r : rows) {
        const std::string name = r.c.x1 >= 0.0 ? r.c.model + "@" + std::to_string(r.c.x1).substr(0, 3) : r.c.model;
        if (!r.built) {
            std::fprintf(stderr, "model_accuracy: %s builds no model\n", name.c_str());
            ++failed;
            continue;
        }
        std::printf("| `%s` | %s | %g–%g, %g–%g | %d | %d | %d | %d | %d | %s | %s |\n", name.c_str(),
                    r.c.fluid.c_str(), r.Tmin, r.Tmax, r.Plo, r.Phi, r.compared, r.refused, r.otherPhase,
                    r.nearSaturation, r.cpWithheld, where(r.rho).c_str(), where(r.cp).c_str());
    }
    return failed ? 1 : 0;
}
