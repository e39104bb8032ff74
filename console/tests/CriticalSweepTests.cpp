// The critical point of a binary at a composition ("crit") swept over the
// composition, against the critical curve ("crit2") and, for the cubics,
// against Heidemann and Khalil's conditions solved here anew on cubics
// written from their publications; Kreglewski's critical curve past its
// composition extremum; and what the curve commands leave behind: no file
// after a failure, no row twice, no row of nan, no crawl.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "console/tests/IndependentCubic.h"
#include "console/tests/ModelCommands.h"
#include "fluid/CurveOutput.h"
#include "fluid/tests/TextRows.h"

namespace {

using namespace indep;

using consoletest::model;
using consoletest::run;

// The value printed after `key` at the start of a line of the report.
double printed(const std::string& out, const char* key) {
    const std::size_t at = out.find(std::string("\n") + key);
    const std::size_t from = out.rfind(key, 0) == 0 ? 0 : (at == std::string::npos ? at : at + 1);
    if (from == std::string::npos) return std::nan("");
    return std::strtod(out.c_str() + from + std::string(key).size(), nullptr);
}

// A crossing of the critical curve with the composition x1: T, P (bar) and
// whether the points on both sides hold the fourth-order stability.
struct Crossing {
    double T, P;
    bool stable;
};

// Rows of "crit2": P (bar) 0, V 1, T 2, x0 3, x1 4, ..., stabi 12.
std::vector<Crossing> crossings(const std::vector<std::vector<double>>& curve, double x1, int column) {
    std::vector<Crossing> c;
    // (Each branch of a broken curve apart.)
    for (const std::vector<std::vector<double>>& rows : branchesOf(curve)) {
        for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
            const double a = rows[k][column], b = rows[k + 1][column];
            if ((a - x1) * (b - x1) > 0.0 || a == b) continue;
            const double w = (x1 - a) / (b - a);
            const bool stable = !(rows[k][12] < 0.0) && !(rows[k + 1][12] < 0.0);
            c.push_back({rows[k][2] + w * (rows[k + 1][2] - rows[k][2]),
                         rows[k][0] + w * (rows[k + 1][0] - rows[k][0]), stable});
        }
    }
    return c;
}

}  // namespace

// "crit" at every hundredth in composition of CO2-N2, CO2-CH4 and CH4-N2 in
// PR, PRSV, SRK1 and Kreglewski.  For the cubics each point found is a root
// of Heidemann and Khalil's conditions on the cubic written here, and no
// root of them from the independent solve started at the mole-fraction mean
// of the critical temperatures lies higher while stable along the curve.
// Where the critical curve ("crit2") crosses the composition once at stable
// points, "crit" is on it; where it crosses several times (its composition
// turns), "crit" is the highest-temperature stable crossing and the report
// names more than one stable critical point.
struct SweepCase {
    std::string model;
    bool cubic;
    Cubic eos;
};

void sweepCrit(const std::vector<SweepCase>& cases) {
    int points = 0, onCurve = 0, several = 0;
    double worstCurve = 0.0, worstRoot = 0.0;
    for (const SweepCase& c : cases) {
        auto m = model(c.model);
        ASSERT_TRUE(m) << c.model;
        // The curve: "crit2", or where the model offers no command for it
        // (SRK1) the library's tracer from component 0, as the cubics' crit2
        // runs it.
        std::vector<std::vector<double>> curve;
        std::string err;
        if (c.model.rfind("SRK1", 0) != 0) {
            ASSERT_TRUE(run(*m, {"crit2", "_cs"}, &err)) << c.model << err;
        } else {
            consoletest::capture([&] {
                m->temperature(m->critical_T);
                m->volume(m->critical_V);
                m->calculate_the_critical_curve("crit_cs", kCriticalCurveFromComponent0, 0, -1.0, 0.005, 1e-6, -1.0,
                                                kIgorTextFile, "_cs", nullptr);
            });
        }
        curve = readTextRows("crit_cs");
        ASSERT_GE(curve.size(), 5u) << c.model;
        // Every hundredth (in the sampled builds, every fifth hundredth).
        for (int k = 1; k <= 99; k += VARNOK_SAMPLE_SWEEPS ? 5 : 1) {
            const double x1 = k / 100.0;
            const std::string what = c.model + " x1 " + std::to_string(x1);
            std::string out, err;
            const bool ok = run(*m, {"x", std::to_string(x1), "crit", "_cs"}, &err, &out);
            const std::vector<Crossing> on = crossings(curve, x1, 4);
            std::vector<Crossing> stable;
            for (const Crossing& q : on)
                if (q.stable) stable.push_back(q);
            if (!ok) {
                // No critical point: the curve has no stable crossing there
                // either, or none that the model holds, or the mixture
                // splits there (the curve's notes say so too).
                EXPECT_NE(err.find("critical point"), std::string::npos) << what << err;
                for (const Crossing& q : stable) {
                    EXPECT_TRUE(err.find("outside") != std::string::npos || err.find("splits") != std::string::npos ||
                                q.P > 1000.0)
                        << what << " " << q.T << err;
                }
                continue;
            }
            ++points;
            const double T = printed(out, "T "), P = printed(out, "P "), V = printed(out, "V ") * 1e-6;
            ASSERT_TRUE(std::isfinite(T) && std::isfinite(P) && std::isfinite(V)) << what << out;
            // The differences of the independent conditions (x1 step 2e-4)
            // resolve them to its tolerance away from the pure ends.
            if (c.cubic && x1 > 0.025 && x1 < 0.975) {
                // A root of the independent conditions at the point printed.
                double Ti = T, Vi = V, xi = x1;
                const bool solved = c.eos.critical(false, Ti, Vi, xi);
                EXPECT_TRUE(solved) << what;
                if (!solved) continue;
                EXPECT_NEAR(Ti, T, 2e-5 * T) << what;
                EXPECT_LT(std::fabs(c.eos.P(Ti, Vi, x1) / (P * 1e5) - 1.0), 2e-5) << what;
                worstRoot = std::max(worstRoot, std::fabs(Ti / T - 1.0));
            }
            if (!stable.empty()) {
                double highest = stable.front().T;
                for (const Crossing& q : stable) highest = std::max(highest, q.T);
                if (stable.size() == 1) {
                    EXPECT_NEAR(T, highest, 0.05) << what;
                    worstCurve = std::max(worstCurve, std::fabs(T - highest));
                    ++onCurve;
                } else {
                    // Rows of the curve, 0.005 apart in x1, near its turn:
                    // the interpolation is coarser there.
                    EXPECT_NEAR(T, highest, 0.5) << what;
                    ++several;
                    if (std::fabs(stable[0].T - stable[1].T) > 2.0) {
                        EXPECT_NE(out.find("stable critical points"), std::string::npos) << what << out;
                    }
                }
            }
        }
    }
    std::printf("crit sweep: %d points; %d on a curve crossing once, largest difference %.3g K; %d where it crosses "
                "several times; largest relative T difference from the independent roots %.3g\n",
                points, onCurve, worstCurve, several, worstRoot);
}

TEST(CriticalSweep, PengRobinsonCritAtEveryHundredthIsOnTheCriticalCurve) {
    sweepCrit({{"PR:CO2,N2", true, pr(kPrCO2, kPrN2, -0.035)},
               {"PR:CO2,CH4", true, pr(kPrCO2, kPrCH4, 0.1)},
               {"PR:CH4,N2", true, pr(kPrCH4, kPrN2, 0.03)}});
}

TEST(CriticalSweep, PRSVCritAtEveryHundredthIsOnTheCriticalCurve) {
    sweepCrit({{"PRSV:CO2,N2", true, prsv(kPrsvCO2, kPrsvN2, -0.035)},
               {"PRSV:CO2,CH4", true, prsv(kPrsvCO2, kPrsvCH4, 0.1)},
               {"PRSV:CH4,N2", true, prsv(kPrsvCH4, kPrsvN2, 0.03)}});
}

TEST(CriticalSweep, SRK1CritAtEveryHundredthIsOnTheCriticalCurve) {
    sweepCrit({{"SRK1:CO2,N2", true, srk(kSrk1CO2, kSrk1N2, -0.035)},
               {"SRK1:CO2,CH4", true, srk(kSrk1CO2, kSrk1CH4, 0.1)},
               {"SRK1:CH4,N2", true, srk(kSrk1CH4, kSrk1N2, 0.03)}});
}

#ifdef VARNOK_WITH_KREGLEWSKI
TEST(CriticalSweep, KreglewskiCritAtEveryHundredthIsOnTheCriticalCurve) {
    sweepCrit({{"Kreglewski:N2,CO2", false, {}}, {"Kreglewski:CO2,CH4", false, {}}, {"Kreglewski:CH4,N2", false, {}}});
}
#endif

// The compositions where the critical curve turns: the highest-temperature
// stable point, and the other named.
TEST(CriticalSweep, WhereTheCurveTurnsTheHighestStablePointAndTheOthersNamed) {
    struct Case {
        std::string model;
        double x1, T, P, otherT;
    };
    std::vector<Case> cases = {{"PR:CO2,N2", 0.57, 205.434, 235.890, 186.913}};
#ifdef VARNOK_WITH_KREGLEWSKI
    cases.push_back({"Kreglewski:CO2,N2", 0.48, 233.397, 193.07, 220.757});
#endif
    for (const Case& c : cases) {
        auto m = model(c.model);
        std::string out, err;
        ASSERT_TRUE(run(*m, {"x", std::to_string(c.x1), "crit", "_ct"}, &err, &out)) << c.model << err;
        EXPECT_NEAR(printed(out, "T "), c.T, 2e-3) << c.model;
        EXPECT_NEAR(printed(out, "P "), c.P, 5e-3) << c.model;
        const std::size_t line = out.find("stable critical points");
        ASSERT_NE(line, std::string::npos) << out;
        bool named = false;
        for (std::size_t at = out.find(';', line); at != std::string::npos; at = out.find(';', at + 1))
            named = named || std::fabs(std::strtod(out.c_str() + at + 1, nullptr) - c.otherT) < 1e-3;
        EXPECT_TRUE(named) << c.model << out;
    }
}

#ifdef VARNOK_WITH_KREGLEWSKI
// Kreglewski's N2-CO2 curve from CO2 past the extremum of its composition
// (x_N2 = 0.4827 near 227.7 K): it crosses x_N2 = 0.48 on both sides, at
// the critical points "crit" finds there, moves on without a jump (no step
// between rows above 6 % in volume or 25 % in pressure; the jump it made to
// another root went from 52 to 40 cm3/mol and 214 to 1050 bar) and ends where it
// leaves the model's range, as its message says.
TEST(CriticalSweep, KreglewskisCurveGoesOnPastItsCompositionExtremum) {
    auto m = model("Kreglewski:N2,CO2");
    std::string err;
    ASSERT_TRUE(run(*m, {"crit2", "_ck"}, &err)) << err;
    const auto r = branchesOf(readTextRows("crit_ck")).front();
    ASSERT_GE(r.size(), 130u);
    const std::vector<Crossing> at48 = crossings(r, 0.48, 3);
    ASSERT_GE(at48.size(), 2u);
    EXPECT_NEAR(at48[0].T, 233.397, 0.05);
    EXPECT_NEAR(at48[1].T, 220.757, 0.2);  // rows 0.005 apart in x1 just past the extremum
    for (std::size_t k = 1; k + 1 < r.size(); ++k) {
        EXPECT_LT(std::fabs(std::log(r[k][1] / r[k - 1][1])), 0.06) << k;
        EXPECT_LT(std::fabs(std::log(r[k][0] / r[k - 1][0])), 0.25) << k;
    }
    EXPECT_GT(r.back()[0], 800.0);
    EXPECT_NE(err.find("up to 1000 bar"), std::string::npos) << err;
    // "crit" at x_N2 = 0.48 gives both.
    auto c = model("Kreglewski:CO2,N2");
    std::string out;
    ASSERT_TRUE(run(*c, {"x", "0.48", "crit", "_ck"}, &err, &out)) << err;
    EXPECT_NEAR(printed(out, "T "), at48[0].T, 0.05);
    EXPECT_NE(out.find("; 220.75"), std::string::npos) << out;
}
#endif

// A curve command that fails leaves no file behind; a binop isotherm
// writes its start once and says once that it has none; IUPAC CO2's
// isotherm between CO2's critical temperature and its own writes no nan and
// says once which states it leaves out.
TEST(CriticalSweep, CurveCommandsLeaveNoFileAfterAFailureAndNoRowTwice) {
    namespace fs = std::filesystem;
    struct Failing {
        std::string model;
        std::vector<std::string> words, files;
    };
    const std::vector<Failing> failing = {
        {"HollowayEOS", {"sat", "a"}, {"satua"}},
        {"HollowayEOS", {"spino", "a", "b"}, {"spinoa", "spinob"}},
        {"DMW2:CH4,H2O", {"spino", "a", "b"}, {"spinoa", "spinob"}},
        {"hn", {"x", "0.05", "sat", "a"}, {"satua"}},
        {"hnc", {"ll3", "56", "0.3", "0.1", "0.1", "a"}, {"isola"}},
    };
    for (const Failing& f : failing) {
        for (const std::string& file : f.files) fs::remove(file);
        auto m = model(f.model);
        ASSERT_TRUE(m) << f.model;
        EXPECT_FALSE(run(*m, f.words)) << f.model;
        for (const std::string& file : f.files) EXPECT_FALSE(fs::exists(file)) << f.model << " " << file;
    }

    for (auto [name, T, P] : {std::tuple{"PR:CO2,CH4", "260", "30"}, {"SRK1:CO2,CH4", "250", "40"},
                              {"SRK2:CH4,N2", "160", "30"}}) {
        auto m = model(name);
        std::string err;
        ASSERT_TRUE(run(*m, {"binop", T, P, "_cu"}, &err)) << name << err;
        const auto r = readTextRows("binop_cu");
        ASSERT_GE(r.size(), 10u) << name;
        std::set<std::pair<double, double>> seen;
        for (const auto& row : r) EXPECT_TRUE(seen.insert({row[1], row[3]}).second) << name << " P " << row[1];
    }
    {
        auto m = model("PRSV:H2O,CO2");
        std::string err;
        fs::remove("binop_cr");
        EXPECT_FALSE(run(*m, {"binop", "600", "100", "_cr"}, &err));
        // One sentence, once: none of the failed starts' own.
        EXPECT_EQ(err, "The binary isotherm at 600 K has no two-phase state at 100 bar to start from\n");
        EXPECT_FALSE(fs::exists("binop_cr"));
    }
    {
        auto m = model("IUPACCO2");
        std::string err;
        ASSERT_TRUE(run(*m, {"isotherm", "304.7", "60", "150", "_cn"}, &err)) << err;
        const auto r = readTextRows("isot_cn");
        ASSERT_GE(r.size(), 100u);
        for (const auto& row : r)
            for (double v : row) EXPECT_TRUE(std::isfinite(v)) << "V " << row[0];
        EXPECT_NE(err.find("leaves out"), std::string::npos) << err;
        EXPECT_EQ(err.find("nan"), std::string::npos) << err;
        EXPECT_EQ(err.find("two-phase"), std::string::npos) << err;
    }
}

// Montel's bubble branch of the CO2-CH4 isopleth at x_CH4 = 0.7 from 217 K
// to its critical point: its steps stay at the size the branch needs (no
// crawl of microkelvin steps), as SRK's do.
TEST(CriticalSweep, IsoplethStepsDoNotCrawl) {
    for (const char* name : {"Montel:CO2,CH4", "SRK:CO2,CH4"}) {
        auto m = model(name);
        ASSERT_TRUE(run(*m, {"bino", "217", "_cp"}));
        const auto iso = readTextRows("bino_cp");
        const double z = 0.7;
        std::size_t k = 0;
        while (k + 1 < iso.size() && !((iso[k][3] - z) * (iso[k + 1][3] - z) <= 0.0)) ++k;
        ASSERT_LT(k + 1, iso.size()) << name;
        const auto& a = iso[k];
        const auto& b = iso[k + 1];
        const double t = (z - a[3]) / (b[3] - a[3]);
        auto at = [&](int j) { return a[j] + t * (b[j] - a[j]); };
        std::vector<double> flat;
        const auto said = consoletest::capture([&] {
            m->calculate_an_isopleth(217.0, at(6) * 1e-6, at(7) * 1e-6, z, at(5), 3e7, 1.0, 1e5, 2, 6, nullptr,
                                     &flat);
        });
        if (std::getenv("SHOWTRACE")) std::fputs(said.err.c_str(), stdout);
        ASSERT_GE(flat.size(), 8u * 10u) << name;
        int near = 0;
        double smallest = HUGE_VAL;
        for (std::size_t i = 0; i + 16 <= flat.size(); i += 8) {
            if (flat[i] > 222.87 && flat[i] < 222.94) ++near;
            if (i + 16 < flat.size()) smallest = std::min(smallest, std::fabs(flat[i + 8] - flat[i]));
        }
        std::printf("%s: %zu rows, %d between 222.87 and 222.94 K, smallest step %.3g K, last %g K\n", name,
                    flat.size() / 8, near, smallest, flat[flat.size() - 8]);
        EXPECT_LT(near, 40) << name;
    }
}
