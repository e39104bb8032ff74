// Every model of the factory's registry through a random history of library
// calls (a state from T and P, from T and V, from V and P, the stable state
// from T and P), good arguments interleaved with ones no program passes
// (beyond the model's range, below any co-volume, infinite, negative, not a
// number, compositions at their ends): each answer on the object that ran
// the history equals, to the bit, the answer of a new object given the same
// call, and a call that refuses (its error flag set) leaves NaN in every
// output it did not take as an argument, and never says a flood of
// sentences.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "brines/tests/SanitizerBuild.h"
#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "fluid/PhaseRules.h"
#include "platform/LogSink.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The history's seed and its length for each model (about 20,000 calls
// over the registry; a sample in the sanitized builds).
constexpr std::uint64_t kHistorySeed = 20260412;
constexpr int kCallsPerModel = 600;

// The components of each model of the registry that takes them (the others
// have their own): every row of the registry that builds a model is run.
struct ComponentsOf {
    const char* model;
    const char* components;
};
constexpr ComponentsOf kComponents[] = {
    {"SRK", "CO2,CH4"},   {"SRK1", "CO2,N2"},   {"SRK2", "CH4,N2"},    {"PR", "CO2,CH4"},
    {"PRSV", "H2O,CO2"},  {"Montel", "CO2,CH4"}, {"DMW1", "H2O"},      {"DMW2", "H2O,CO2"},
    {"DMWEOS", "H2O,CH4"}, {"Kreglewski", "CO2,CH4"},
};

// The most sentences one refused call may say (its own, with the notes of
// the model's terms on the way): more is a flood.
constexpr std::size_t kMostSentencesOfARefusal = 3;

using consoletest::Draw;

// One of the arguments no state has (a quarter of the draws) in v.
bool badArgument(Draw& d, double& v) {
    if (!d.chance(0.25)) return false;
    const double odd[] = {kInf, -kInf, -1.0, 0.0, kNaN};
    v = odd[d.below(5)];
    return true;
}

// One call: which (0 from T and P, 1 from T and V, 2 from V and P, 3 the
// stable state from T and P), its arguments, the phase kind and the
// composition.
struct Call {
    int kind = 0;
    double a = 0.0, b = 0.0;
    int phase = 1;
    std::vector<double> x;
};

const char* const kCallNames[] = {"calculateFromTP", "calculateFromTV", "calculateFromVP",
                                  "calculateStableStateFromTP"};

Call drawCall(Draw& d, const FluidPhase& m, const ValidityRange& r) {
    Call c;
    c.kind = d.below(4);
    c.phase = 1 + d.below(2);
    double Tlo = r.declared() && r.Tmin > 0.0 ? r.Tmin : 200.0;
    double Thi = r.declared() && std::isfinite(r.Tmax) ? r.Tmax : 2000.0;
    double Plo = r.declared() && r.Pmin > 0.0 ? r.Pmin : 1e-2;
    double Phi = r.declared() && std::isfinite(r.Pmax) ? std::fmin(r.Pmax, 1e4) : 1e4;
    double Vlo = 2e-5, Vhi = 1.0;
    if (d.chance(0.3)) {
        // Where no program goes: the model's range stretched threefold in T,
        // a hundredfold in P, volumes below any co-volume.
        Tlo /= 3.0, Thi *= 3.0, Plo /= 100.0, Phi *= 100.0, Vlo = 1e-6, Vhi = 10.0;
    }
    double T = d.logBetween(Tlo, Thi), P = d.logBetween(Plo, Phi), V = d.logBetween(Vlo, Vhi);
    badArgument(d, T);
    badArgument(d, P);
    badArgument(d, V);
    if (c.kind == 0 || c.kind == 3) c.a = T, c.b = P;
    if (c.kind == 1) c.a = T, c.b = V;
    if (c.kind == 2) c.a = V, c.b = P;
    const int n = m.component_count;
    if (n > 1) {
        double left = 1.0;
        for (int i = 0; i + 1 < n; ++i) {
            // Ends of the composition: a component absent, or a trace of it.
            const double v = d.chance(0.1) ? 0.0 : d.chance(0.05) ? left * 1e-12 : left * d.uniform();
            c.x.push_back(v);
            left -= v;
        }
        c.x.push_back(left);
    }
    return c;
}

struct Answer {
    std::vector<double> out;  // T, P, V, then what the call computes
    int flag = 0;
    std::size_t sentences = 0;  // what it said (failures and notes)
};

// The call on `m`: its error flag, T, P, V and the state the model is left
// in (Z, the energies, entropy, heat capacities, sound speed, the pressure's
// derivatives, the fugacities and their coefficients).
Answer run(FluidPhase& m, const Call& c) {
    if (!c.x.empty()) m.composition(c.x.data());
    m.set_the_phase_as(c.phase);
    if (c.kind == 0) m.calculateFromTP(c.a, c.b, 0);
    if (c.kind == 1) m.calculateFromTV(c.a, c.b, 0);
    if (c.kind == 2) m.calculateFromVP(c.a, c.b, 0);
    if (c.kind == 3) m.calculateStableStateFromTP(c.a, c.b);
    Answer r;
    r.flag = m.errorflag;
    r.out = {m.T, m.P, m.V, m.Z, m.A, m.U, m.H, m.S, m.G, m.Cv, m.Cp, m.soundSpeed, m.jouleThomson, m.dPdV, m.dPdT};
    for (int i = 0; i < m.component_count; ++i) {
        r.out.push_back(m.fugacity[static_cast<std::size_t>(i)]);
        r.out.push_back(m.fugcoef[static_cast<std::size_t>(i)]);
    }
    return r;
}

bool sameBits(const Answer& p, const Answer& q) {
    if (p.flag != q.flag || p.out.size() != q.out.size()) return false;
    for (std::size_t i = 0; i < p.out.size(); ++i)
        if (!(std::isnan(p.out[i]) && std::isnan(q.out[i])) && std::memcmp(&p.out[i], &q.out[i], sizeof(double)))
            return false;
    return true;
}

// Of a call that set its error flag, the first output it did not take as an
// argument (T and P, T and V, or V and P) that is a number (-1: none).
int numberBesideRefusal(const Answer& r, int kind) {
    const bool argument[4][3] = {{true, true, false}, {true, false, true}, {false, true, true}, {true, true, false}};
    for (std::size_t i = 0; i < r.out.size(); ++i)
        if (!(i < 3 && argument[kind][i]) && !std::isnan(r.out[i])) return static_cast<int>(i);
    return -1;
}

// Counts the failures and notes that reach the log, as they would reach
// standard error.
class SentenceCount : public platform::LogSink {
public:
    SentenceCount() { platform::setLogSink(this); }
    ~SentenceCount() override { platform::setLogSink(nullptr); }
    void appendText(const std::string&) override {}
    void appendRTF(const std::string&) override {}
    void appendDiagnostic(const std::string&) override { ++sentences; }
    std::size_t sentences = 0;
};

// The call on a new object, with the sentences it says.
Answer runAlone(const char* name, const Call& c) {
    std::unique_ptr<FluidPhase> fresh(createFluidModel(name));
    const SentenceCount said;
    Answer r = run(*fresh, c);
    r.sentences = said.sentences;
    return r;
}

std::string describe(const char* model, const Call& c) {
    char buf[200];
    std::snprintf(buf, sizeof buf, "%s (kind %d) %s(%.17g, %.17g)", model, c.phase, kCallNames[c.kind], c.a, c.b);
    std::string s = buf;
    for (double v : c.x) s += " x " + std::to_string(v);
    return s;
}

struct Counts {
    int calls = 0, refused = 0, differing = 0, numbersBesideRefusals = 0, floods = 0;
    std::vector<std::string> firstFaults;  // reported once the models' own output is no longer captured
};

void runHistory(const std::string& name, std::uint64_t seed, int length, Counts& n) {
    std::unique_ptr<FluidPhase> used(createFluidModel(name.c_str()));
    ASSERT_TRUE(used) << name;
    const ValidityRange range = PhaseRules(*used).stateRange();
    Draw d(seed);
    Counts before = n;
    auto fault = [&](int Counts::*count, const Call& c, const std::string& what) {
        if (++(n.*count) - before.*count <= 3) n.firstFaults.push_back(describe(name.c_str(), c) + ": " + what);
    };
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    for (int k = 0; k < length; ++k) {
        const Call c = drawCall(d, *used, range);
        const Answer once = run(*used, c);
        const Answer alone = runAlone(name.c_str(), c);
        ++n.calls;
        if (!sameBits(once, alone))
            fault(&Counts::differing, c,
                  "differs from a new object's answer (flag " + std::to_string(once.flag) + " against " +
                      std::to_string(alone.flag) + ")");
        if (!alone.flag) continue;
        ++n.refused;
        const int i = numberBesideRefusal(alone, c.kind);
        if (i >= 0)
            fault(&Counts::numbersBesideRefusals, c,
                  "refused with output " + std::to_string(i) + " = " +
                      std::to_string(alone.out[static_cast<std::size_t>(i)]));
        if (alone.sentences > kMostSentencesOfARefusal)
            fault(&Counts::floods, c, "refused with " + std::to_string(alone.sentences) + " sentences");
    }
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
}

// The registry's model names with their components, each with its family.
std::vector<std::pair<std::string, std::string>> modelsOfTheRegistry() {
    std::vector<std::pair<std::string, std::string>> models;
    for (const FluidModelEntry& e : fluidModelRegistry()) {
        if (!e.build || !e.group) continue;
        std::string name = e.name;
        if (e.components) {
            const ComponentsOf* row = nullptr;
            for (const ComponentsOf& r : kComponents)
                if (name == r.model) row = &r;
            EXPECT_TRUE(row) << name << ": a model of the registry without components in the history";
            if (!row) continue;
            name += std::string(":") + row->components;
        }
        models.emplace_back(name, e.group);
    }
    return models;
}

}  // namespace

TEST(ModelCallHistory, EveryModelAnswersAsANewObjectAndRefusesWithNoNumber) {
    installFluidModelFactory();
    const int length = historySequences(1) * (kSanitizedBuild ? kCallsPerModel / 10 : kCallsPerModel);
    Counts all;
    std::vector<std::pair<std::string, Counts>> families;
    std::uint64_t seed = kHistorySeed;
    for (const auto& [name, family] : modelsOfTheRegistry()) {
        if (families.empty() || families.back().first != family) families.push_back({family, Counts{}});
        Counts& n = families.back().second;
        runHistory(name, seed++, length, n);
    }
    for (const auto& [family, n] : families) {
        std::printf("%-16s %6d calls, %5d refused: %d with a number beside, %d with more than %zu sentences; %d "
                    "differing from a new object's\n",
                    family.c_str(), n.calls, n.refused, n.numbersBesideRefusals, n.floods,
                    kMostSentencesOfARefusal, n.differing);
        all.calls += n.calls, all.refused += n.refused, all.differing += n.differing;
        all.numbersBesideRefusals += n.numbersBesideRefusals, all.floods += n.floods;
        for (const std::string& f : n.firstFaults) ADD_FAILURE() << f;
    }
    EXPECT_EQ(all.differing, 0);
    EXPECT_EQ(all.numbersBesideRefusals, 0);
    EXPECT_EQ(all.floods, 0);
    EXPECT_GT(all.refused, all.calls / 10);
    EXPECT_LT(all.refused, all.calls);
}
