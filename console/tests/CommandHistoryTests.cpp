// One model through a random history of interpreter lines against a new
// model per line: every line prints, writes and refuses the same on both,
// whatever ran before, and every refusal says why in a sentence of its own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "console/FluidCommands.h"
#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "fluid/PhaseRules.h"

using consoletest::capture;

namespace {

// Every model the interpreter builds, those of components with a mixture.
const char* const kModels[] = {
    "wagner",     "WagnerPruss",  "HGK",          "Saul",         "Hill",         "Keenan",
    "DuanH2O",    "ZhangDuanH2O", "IUPACCO2",     "Sterner",      "DuanCO2",      "IUPACCH4",
    "DuanCH4",    "Jacobsen",     "HollowayEOS",  "SRK:CO2,CH4",  "SRK1:CO2,CH4", "SRK2:CO2,CH4",
    "PR:CO2,N2",  "PRSV:H2O,CO2", "Montel:CO2,CH4", "DMW1:H2O",   "DMW2:H2O,CO2", "DMWEOS:H2O,CH4",
    "Kreglewski:CO2,CH4", "hnc",  "hn",           "hk",           "NaCl",         "KCl",
    "AnderkoH2O", "AnderkoCO2",
};

using consoletest::Draw;

std::string word(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.6g", v);
    return b;
}

// The arguments of a line: temperatures and pressures inside the model's
// range and beyond it, compositions inside [0, 1] and refused ones.
class LineMaker {
public:
    LineMaker(const FluidPhase& m, std::uint64_t seed) : d_(seed), n_(m.component_count) {
        const ValidityRange r = PhaseRules(m).stateRange();
        Tlo_ = r.declared() && r.Tmin > 0.0 ? r.Tmin : 200.0;
        Thi_ = r.declared() && std::isfinite(r.Tmax) ? r.Tmax : 2000.0;
        Plo_ = r.declared() && r.Pmin > 0.0 ? r.Pmin : 1e-3;
        Phi_ = r.declared() && std::isfinite(r.Pmax) ? r.Pmax : 1e4;
        Tc_ = m.critical_T > 0.0 && std::isfinite(m.critical_T) ? m.critical_T : 0.5 * (Tlo_ + Thi_);
    }

    // x followed by n - 1 fractions: mostly a composition, sometimes one
    // the interpreter refuses.
    std::vector<std::string> composition(bool& refused) {
        std::vector<std::string> w{"x"};
        refused = false;
        if (n_ < 2) return w;
        std::vector<double> e(static_cast<std::size_t>(n_));
        double sum = 0.0;
        for (double& v : e) sum += (v = -std::log(1.0 - d_.uniform()));
        for (int k = 1; k < n_; ++k) {
            double v = e[static_cast<std::size_t>(k)] / sum;
            if (d_.chance(0.15)) v = d_.chance(0.5) ? 0.0 : d_.logBetween(1e-5, 1e-2);
            w.push_back(word(v));
        }
        if (d_.chance(0.15)) {
            refused = true;
            const char* bad[] = {"1.5", "-0.2", "nan", "2"};
            w[1 + static_cast<std::size_t>(d_.below(n_ - 1))] = bad[d_.below(4)];
        }
        return w;
    }

    double temperature() {
        if (d_.chance(0.15)) return d_.chance(0.5) ? d_.between(0.5 * Tlo_, Tlo_) : d_.between(Thi_, 1.5 * Thi_);
        if (d_.chance(0.3)) return Tc_ * d_.between(0.97, 1.03);
        return d_.between(Tlo_, Thi_);
    }
    double pressure() {
        if (d_.chance(0.1)) {
            const double odd[] = {1e-300, 1e-6, 1e6, Plo_, Phi_};
            return odd[d_.below(5)];
        }
        return d_.logBetween(Plo_, Phi_);
    }

    // One calculation with its arguments (the curves, whose files are
    // compared too, seldom).
    std::vector<std::string> calculation() {
        if (d_.chance(curves_)) return curve();
        const int k = d_.below(24);
        if (k < 8) return {"TP", word(temperature()), word(pressure())};
        if (k < 12) return {"TV", word(temperature()), word(d_.logBetween(10.0, 1e6))};
        if (k < 16) return {"psat", word(Tc_ * d_.between(0.4, 1.05))};
        if (k < 18) return {"crit", "h"};
        if (k < 19) return {"T", word(temperature()), "V", word(d_.logBetween(10.0, 1e5)), "tree"};
        if (k < 20) return {"sat", "h"};
        if (k < 21) return {"crit2", "h"};
        if (k < 22) return {"spino", "h", "g"};
        const double t = temperature(), v = d_.logBetween(15.0, 2000.0);
        if (k < 23) return {"isoc", word(v), word(t), word(t * d_.between(1.05, 1.5)), "h"};
        return {"isotherm", word(t), word(v), word(v * d_.between(2.0, 50.0)), "h"};
    }

    // The share of the lines that trace a mixture's curves (bino, binop,
    // isop, ll3, spinox, ter).
    void mixtureCurves(double share) { curves_ = share; }

    // A mixture's curve through a composition of its own (drawn inside and
    // at the ends of [0, 1]): the start values one trace leaves must not
    // take part in the next.
    std::vector<std::string> curve() {
        const double t = temperature(), x1 = fraction(), x2 = (1.0 - x1) * fraction();
        switch (d_.below(6)) {
            case 0: return {"bino", word(t), "h"};
            case 1: return {"binop", word(t), word(pressure()), "h"};
            case 2:
                if (n_ == 3) return {"isop", word(t), word(x1), word(x2), word(d_.between(1.0, 10.0)), "h"};
                return {"isop", word(t), word(x1), word(d_.between(1.0, 10.0)), "h"};
            case 3: return {"ll3", word(t), word(x1), word(x2), word(d_.between(1.0, 10.0)), "h"};
            case 4: return {"spinox", word(t), word(d_.logBetween(15.0, 2000.0)), word(x1), "h", "g"};
            default: return {"ter", word(t), word(pressure()), "h"};
        }
    }

    Draw& draw() { return d_; }

private:
    double fraction() {
        if (d_.chance(0.2)) return d_.chance(0.5) ? 0.0 : 1.0;
        return d_.uniform();
    }

    Draw d_;
    double curves_ = 0.0;
    int n_;
    double Tlo_, Thi_, Plo_, Phi_, Tc_;
};

struct Outcome {
    bool ok = false;
    std::string out, err, file;
};

// The files the calculations write.
const char* const kFiles[] = {"crith", "satuh", "spinoh", "spinog", "isoch",   "isoth",   "binoh",
                              "binoph", "isoph", "isolh",  "terh",   "spinoth", "spinotg"};

Outcome runLine(FluidPhase& m, std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    for (const char* f : kFiles) std::remove(f);
    Outcome o;
    const auto c = capture([&] { o.ok = runFluidCommands(m, static_cast<int>(argv.size()), argv.data(), nullptr); });
    o.out = c.out;
    o.err = c.err;
    for (const char* f : kFiles) {
        o.file += consoletest::readFile(f);
        std::remove(f);
    }
    return o;
}

// The first line where two texts differ, from each.
std::string firstDifference(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    auto lineAt = [i](const std::string& s) {
        const std::size_t from = s.rfind('\n', i == 0 ? 0 : i - 1);
        const std::size_t start = from == std::string::npos || i == 0 ? 0 : from + 1;
        return s.substr(start, s.find('\n', start) - start);
    };
    return "    " + lineAt(a) + "\n    " + lineAt(b) + "\n";
}

std::string joined(const std::vector<std::string>& w) {
    std::string s;
    for (const std::string& x : w) s += (s.empty() ? "" : " ") + x;
    return s;
}

struct HistoryTally {
    long lines = 0, differences = 0, silent = 0;
    std::vector<std::string> shown;
    int shownOfModel = 0;
    // A few of each model's.
    void show(const std::string& what) {
        if (shownOfModel < 4 && shown.size() < 40) shown.push_back(what), ++shownOfModel;
    }
};

// `lines` random lines on one model of `name` against a new model per line,
// given the composition the history had set before it.
void historyOf(const char* name, int lines, std::uint64_t seed, HistoryTally& t, double curves = 0.0) {
    std::unique_ptr<FluidPhase> used;
    capture([&] { used.reset(createFluidModel(name)); });
    ASSERT_TRUE(used) << name;
    LineMaker make(*used, seed);
    make.mixtureCurves(curves);
    t.shownOfModel = 0;
    std::vector<std::string> lastComposition;
    for (int i = 0; i < lines; ++i) {
        // A line: a composition (sometimes refused, sometimes mended by a
        // second one) and one calculation.
        std::vector<std::string> line, setting;
        bool refused = false;
        if (make.draw().chance(0.4)) {
            line = make.composition(refused);
            if (refused && make.draw().chance(0.3)) {
                std::vector<std::string> again = make.composition(refused);
                line.insert(line.end(), again.begin(), again.end());
            }
        }
        // (The setting that holds after the line: its last composition when
        // that one was taken.)
        std::size_t lastX = line.size();
        for (std::size_t k = 0; k < line.size(); ++k)
            if (line[k] == "x") lastX = k;
        if (lastX < line.size() && !refused) setting.assign(line.begin() + static_cast<long>(lastX), line.end());
        const std::vector<std::string> calc = make.calculation();
        line.insert(line.end(), calc.begin(), calc.end());

        std::unique_ptr<FluidPhase> fresh;
        capture([&] { fresh.reset(createFluidModel(name)); });
        ASSERT_TRUE(fresh) << name;
        if (!lastComposition.empty()) runLine(*fresh, lastComposition);
        const Outcome a = runLine(*used, line);
        const Outcome b = runLine(*fresh, line);
        ++t.lines;
        if (a.ok != b.ok || a.out != b.out || a.file != b.file) {
            ++t.differences;
            t.show(std::string(name) + " after " + joined(lastComposition) + ": " + joined(line) + " (" +
                   (a.ok ? "done" : "failed") + " after the history, " + (b.ok ? "done" : "failed") + " on a new model)\n" +
                   firstDifference(a.out + a.file + a.err, b.out + b.file + b.err));
        }
        for (const Outcome* o : {&a, &b})
            if (!o->ok && o->err.find("Command ") != std::string::npos && o->err.find(" failed\n") != std::string::npos) {
                ++t.silent;
                t.show(std::string(name) + ": " + joined(line) + " refused without a sentence:\n" + o->err);
            }
        if (!setting.empty()) lastComposition = setting;
    }
}

// `lines` random lines on each model against a new model per line (with a
// share `curves` of mixture curves), from `seed` on: no line differs and every
// refusal says why.  VARNOK_HISTORY_LINES sets another number of lines,
// VARNOK_HISTORY_SEED other histories and VARNOK_HISTORY_CURVES another share,
// for a longer search by hand.
void expectHistoriesAsOnNewModels(const std::vector<const char*>& models, int lines, std::uint64_t seed,
                                  double curves) {
    if (const char* more = std::getenv("VARNOK_HISTORY_LINES")) lines = std::atoi(more);
    if (const char* other = std::getenv("VARNOK_HISTORY_SEED")) seed = std::strtoull(other, nullptr, 10);
    if (const char* share = std::getenv("VARNOK_HISTORY_CURVES")) curves = std::atof(share);
    HistoryTally t;
    for (const char* name : models) historyOf(name, lines, seed++, t, curves);
    std::string shown;
    for (const std::string& s : t.shown) shown += s + "\n";
    EXPECT_EQ(t.differences, 0) << t.lines << " lines\n" << shown;
    EXPECT_EQ(t.silent, 0) << shown;
    std::printf("%ld lines on %zu models: %ld differ, %ld refused without a sentence\n", t.lines, models.size(),
                t.differences, t.silent);
}

}  // namespace

TEST(CommandHistory, EveryModelAnswersWhateverRanBefore) {
    // Lines per model (fewer under the sanitizers, which watch the memory).
#if defined(VARNOK_SANITIZED_BUILD)
    const int lines = 3;
#else
    const int lines = 10;
#endif
    expectHistoriesAsOnNewModels(std::vector<const char*>(std::begin(kModels), std::end(kModels)), lines, 1, 0.0);
}

// The mixtures' curve tracers (and the pure fluid's, at the pure ends) in a
// history of their own: each trace starts from the state asked for, not from
// the one the trace before it ended on.
TEST(CommandHistory, MixtureCurvesAnswerWhateverRanBefore) {
    const std::vector<const char*> mixtures = {"SRK:CO2,CH4",    "SRK1:CO2,CH4",   "SRK2:CO2,CH4",
                                               "PR:CO2,N2",      "PRSV:H2O,CO2",   "Montel:CO2,CH4",
                                               "DMW2:H2O,CO2",   "DMWEOS:H2O,CH4", "Kreglewski:CO2,CH4",
                                               "hnc",            "hn",             "hk"};
    expectHistoriesAsOnNewModels(mixtures, VARNOK_SAMPLE_SWEEPS ? 2 : 6, 101, 0.5);
}

// Lines that read what an earlier line left on the model: the saturated
// densities with the molar mass of the other pure end, a refusal said once
// per model, a trace started from the solver state of the trace before it.
// After its history each line prints and writes what it does on a new model,
// and a refusal says its sentence again.
TEST(CommandHistory, EachLineAnswersAndRefusesAsOnANewModel) {
    struct Case {
        const char* model;
        std::vector<std::string> before, line;
        const char* refusal;  // the sentence of the line's refusal (none: it is done)
    };
    const Case cases[] = {
        {"SRK:CO2,CH4", {"x", "1", "psat", "150"}, {"x", "0", "sat", "h"}, nullptr},
        {"PR:CO2,N2", {"x", "1", "TP", "100", "50"}, {"x", "0", "sat", "h"}, nullptr},
        // (Its rows above 513.15 K rest on the untraced CH4-H2O row, said
        // again, as the states printed there do.)
        {"DMWEOS:H2O,CH4", {"x", "0.2", "isoc", "50", "500", "700", "h"}, {"x", "0.2", "isoc", "50", "500", "700", "h"},
         nullptr},
        {"DMWEOS:H2O,CH4", {"x", "0.3", "TP", "600", "100"}, {"x", "0.3", "TP", "600", "100"}, nullptr},
        {"ZhangDuanH2O", {"TP", "300", "1"}, {"TP", "300", "1"}, "the state at 300 K and 1 bar lies outside it"},
        {"hnc", {"x", "0.2", "0.1", "isop", "600", "0.2", "0.1", "5", "h"}, {"ll3", "600", "0.2", "0.1", "5", "h"},
         "No liquid-liquid isopleth without its start table"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<FluidPhase> used, fresh;
        capture([&] { used.reset(createFluidModel(c.model)); });
        capture([&] { fresh.reset(createFluidModel(c.model)); });
        ASSERT_TRUE(used && fresh) << c.model;
        runLine(*used, c.before);
        const Outcome a = runLine(*used, c.line), b = runLine(*fresh, c.line);
        const std::string what = std::string(c.model) + ": " + joined(c.before) + " then " + joined(c.line);
        EXPECT_EQ(a.ok, c.refusal == nullptr) << what << "\n" << a.err;
        EXPECT_EQ(b.ok, c.refusal == nullptr) << what << "\n" << b.err;
        EXPECT_EQ(a.out + a.file, b.out + b.file) << what;
        if (c.line.size() > 2 && c.line[2] == "isoc") {
            EXPECT_EQ(a.err, b.err) << what;
            EXPECT_NE(a.err.find("could not be traced"), std::string::npos) << what << "\n" << a.err;
        }
        if (c.refusal) {
            EXPECT_NE(a.err.find(c.refusal), std::string::npos) << what << "\n" << a.err;
            EXPECT_NE(b.err.find(c.refusal), std::string::npos) << what << "\n" << b.err;
        }
    }
}
