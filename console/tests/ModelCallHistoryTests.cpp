// Every fluid model through a random history of library calls (a state from
// T and P, from T and V, from V and P, the stable state from T and P), good arguments interleaved with bad
// ones (infinite, negative, not a number): each answer on the object that ran
// the history equals, to the bit, the answer of a new object given the same
// call, and a call that refuses (its error flag set) leaves NaN in every
// output it did not take as an argument (in its fugacities alone where the
// state stands but they fail).
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

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The history's seed and its length for each model (30,000 calls over the
// 32 models; a sample in the sanitized builds).
constexpr std::uint64_t kHistorySeed = 20260412;
constexpr int kCallsPerModel = 940;

// Every model the factory builds, with components for those that take them.
const char* const kModels[] = {
    "wagner",         "WagnerPruss",   "HGK",          "Saul",           "Hill",
    "Keenan",         "DuanH2O",       "ZhangDuanH2O", "IUPACCO2",       "Sterner",
    "DuanCO2",        "IUPACCH4",      "DuanCH4",      "Jacobsen",       "HollowayEOS",
    "SRK:CO2,CH4",    "SRK1:CO2,N2",   "SRK2:CH4,N2",  "PR:CO2,CH4",     "PRSV:H2O,CO2",
    "Montel:CO2,CH4", "DMW1:H2O",      "DMW2:H2O,CO2", "DMWEOS:H2O,CH4", "Kreglewski:CO2,CH4",
    "hnc",            "hn",            "hk",           "NaCl",           "KCl",
    "AnderkoH2O",     "AnderkoCO2",
};

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
    const double Tlo = r.declared() && r.Tmin > 0.0 ? r.Tmin : 200.0;
    const double Thi = r.declared() && std::isfinite(r.Tmax) ? r.Tmax : 2000.0;
    const double Plo = r.declared() && r.Pmin > 0.0 ? r.Pmin : 1e-2;
    const double Phi = r.declared() && std::isfinite(r.Pmax) ? std::fmin(r.Pmax, 1e4) : 1e4;
    double T = d.logBetween(Tlo, Thi), P = d.logBetween(Plo, Phi), V = d.logBetween(2e-5, 1.0);
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
            const double v = d.chance(0.1) ? 0.0 : left * d.uniform();
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

// The outputs before the fugacities (T, P, V, then the state).
constexpr std::size_t kStateOutputs = 15;

// Of a call that set its error flag, the first output it did not give that is
// a number (-1: none): every one but its two arguments (T and P, T and V, or
// V and P) where the state is refused (the third of T, P and V not a
// number), the fugacities and their coefficients where only they failed (a
// liquid under tension, Z < 0).
int numberBesideRefusal(const Answer& r, int kind) {
    const bool argument[4][3] = {{true, true, false}, {true, false, true}, {false, true, true}, {true, true, false}};
    bool stateGiven = true;
    for (std::size_t i = 0; i < 3; ++i)
        if (!argument[kind][i] && std::isnan(r.out[i])) stateGiven = false;
    for (std::size_t i = stateGiven ? kStateOutputs : 0; i < r.out.size(); ++i)
        if (!(i < 3 && argument[kind][i]) && !std::isnan(r.out[i])) return static_cast<int>(i);
    return -1;
}

std::string describe(const char* model, const Call& c) {
    char buf[200];
    std::snprintf(buf, sizeof buf, "%s (kind %d) %s(%.17g, %.17g)", model, c.phase, kCallNames[c.kind], c.a, c.b);
    std::string s = buf;
    for (double v : c.x) s += " x " + std::to_string(v);
    return s;
}

struct Counts {
    int calls = 0, refused = 0, differing = 0, numbersBesideRefusals = 0;
    std::vector<std::string> firstFaults;  // reported once the models' own output is no longer captured
};

void runHistory(const char* name, std::uint64_t seed, int length, Counts& n) {
    std::unique_ptr<FluidPhase> used(createFluidModel(name));
    ASSERT_TRUE(used) << name;
    const ValidityRange range = PhaseRules(*used).stateRange();
    Draw d(seed);
    const int differingBefore = n.differing, numbersBefore = n.numbersBesideRefusals;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    for (int k = 0; k < length; ++k) {
        const Call c = drawCall(d, *used, range);
        const Answer once = run(*used, c);
        std::unique_ptr<FluidPhase> fresh(createFluidModel(name));
        const Answer alone = run(*fresh, c);
        ++n.calls;
        if (!sameBits(once, alone) && ++n.differing - differingBefore <= 3)
            n.firstFaults.push_back(describe(name, c) + ": differs from a new object's answer (flag " +
                                    std::to_string(once.flag) + " against " + std::to_string(alone.flag) + ")");
        if (!alone.flag) continue;
        ++n.refused;
        const int i = numberBesideRefusal(alone, c.kind);
        if (i >= 0 && ++n.numbersBesideRefusals - numbersBefore <= 3)
            n.firstFaults.push_back(describe(name, c) + ": refused with output " + std::to_string(i) + " = " +
                                    std::to_string(alone.out[static_cast<std::size_t>(i)]));
    }
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(ModelCallHistory, EveryModelAnswersAsANewObjectAndRefusesWithNoNumber) {
    installFluidModelFactory();
    const int length = historySequences(1) * (kSanitizedBuild ? kCallsPerModel / 10 : kCallsPerModel);
    Counts n;
    std::uint64_t seed = kHistorySeed;
    for (const char* name : kModels) runHistory(name, seed++, length, n);
    std::printf("%d calls, %d refused, %d differing from a new object's, %d refusals with a number beside\n", n.calls,
                n.refused, n.differing, n.numbersBesideRefusals);
    for (const std::string& f : n.firstFaults) ADD_FAILURE() << f;
    EXPECT_EQ(n.differing, 0);
    EXPECT_EQ(n.numbersBesideRefusals, 0);
    EXPECT_GT(n.refused, n.calls / 10);
    EXPECT_LT(n.refused, n.calls);
}
