// E(m) diagrams: every water-magma ratio of the grid written or refused with
// its reason, over depths, magma and water temperatures; the cycle whose
// isentrope passes close to the critical point against IAPWS-95 evaluated
// term by term here; the same bits on one worker and on several; a diagram
// interrupted at random moments keeps its rows in the grid's order.
#include <gtest/gtest.h>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "console/WaterMagmaModel.h"
#include "console/tests/ConsoleTestSupport.h"
#include "fluid/CriticalPoints.h"
#include "water/tests/Iapws95Direct.h"

using consoletest::capture;
using consoletest::waterMagmaInputs;

namespace {

// The ratios refused, as the diagram says them: "Refused at m = x: why" for
// one, "Refused from m = a to b (n points): why" for a run.
std::size_t refusedPoints(const std::string& err, std::string& unexplained) {
    std::size_t n = 0;
    std::istringstream lines(err);
    std::string line;
    const std::regex one(R"(^Refused at m = [0-9.e+-]+: \S.*)"), run(R"(^Refused from m = [0-9.e+-]+ to [0-9.e+-]+ \(([0-9]+) points\): \S.*)");
    std::smatch hit;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, one)) {
            ++n;
        } else if (std::regex_match(line, hit, run)) {
            n += std::stoul(hit[1]);
        } else if (line.rfind("Refused", 0) == 0) {
            unexplained += line + "\n";
        }
    }
    return n;
}

std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

// Over depths, magma and surface-water temperatures, for the three heating
// laws: each of the 309 ratios is a row of the diagram or said refused with
// its reason, and nothing else fails.
TEST(WaterMagmaDiagram, EveryRatioIsWrittenOrRefusedWithItsReason) {
    struct Case {
        const char* depth;
        const char* T1;
    };
    for (const Case c : {Case{"0", "1"}, Case{"9000", "80"}})
        for (const char* Tm : {"700", "1300"})
            for (unsigned char mode : {0, 1, 2}) {
                WaterMagmaModel w;
                WaterMagmaCalculationInfo info = waterMagmaInputs({"d", c.depth, "T1", c.T1, "Tm", Tm}, mode);
                std::vector<double> values;
                const long failures = platform::diagnosticCount();
                const auto io = capture([&] { w.drawWaterMagmaDiagram(info, 6, 0, &values, 0.001, 7.0); });
                const std::string what = std::string("mode ") + char('0' + mode) + " d " + c.depth + " T1 " + c.T1 +
                                         " Tm " + Tm;
                EXPECT_EQ(platform::diagnosticCount(), failures) << what << "\n" << io.err;
                std::string unexplained;
                const std::size_t refused = refusedPoints(io.err, unexplained);
                EXPECT_EQ(values.size() % 31, 0u);
                EXPECT_EQ(values.size() / 31 + refused, 309u) << what << "\n" << io.err;
                EXPECT_TRUE(unexplained.empty()) << what << "\n" << unexplained;
                // The rows are in the grid's order.
                for (std::size_t i = 31; i < values.size(); i += 31) EXPECT_LT(values[i - 31], values[i]) << what;
            }
}

// The isentrope of the isochoric peak at m = 0.35 (S3 0.07 J/(mol K) above
// the critical entropy) and of the Wohletz peak at m = 0.56 meet the
// saturation curve a few thousandths of a kelvin below the critical point:
// state 4 is the saturated vapour of entropy S3 there (IAPWS-95 evaluated
// here), and the expansion goes on from S3 to the works that IAPWS-95 gives.
TEST(WaterMagmaDiagram, IsentropeNearTheCriticalPointExpandsFromItsOwnEntropy) {
    namespace d = iapws95test;
    struct Case {
        const char* m;
        unsigned char mode;
        double Wrev;  // J/g
    };
    for (const Case c : {Case{"0.35", 0, 964.59}, Case{"0.56", 2, 605.5}}) {
        WaterMagmaModel w;
        WaterMagmaCalculationInfo info = waterMagmaInputs({"m", c.m}, c.mode);
        WaterMagmaCalculationResult r;
        r.T3 = 0.0;
        r.scriptFlag = 0;
        capture([&] { w.calculateWaterMagmaCycle(info, r, 0, 0); });
        ASSERT_EQ(w.errorflag, 0) << c.m;
        EXPECT_EQ(r.saturationFailed, 0);
        ASSERT_EQ(r.state4, 1) << c.m;
        EXPECT_GT(r.S3, 79.392 + 0.05) << c.m;  // on the vapour side, close to the critical entropy
        EXPECT_EQ(r.S4, r.S3);
        EXPECT_LT(r.T4, kWaterCritical.T);
        EXPECT_GT(r.T4, kWaterCritical.T - 0.01);
        // State 4 is the saturated vapour of entropy S3: the release's entropy at (T4, V4).
        const double rho = d::kMolarMass / (r.V4 * 1e-6), delta = rho / iapws95::rhoc, tau = iapws95::Tc / r.T4;
        const d::Reduced o = d::ideal(delta, tau), re = d::residual(delta, tau);
        const double S4 = d::kFrameworkGasConstant * (tau * (o.t + re.t) - o.f - re.f);
        EXPECT_NEAR(S4, r.S3, 1e-5) << c.m;
        EXPECT_GT(r.V4 * 1e-6, iapws95::Vc);  // the vapour
        EXPECT_NEAR(-r.Wrev, c.Wrev, c.mode == 0 ? 0.02 : 0.1) << c.m;
    }
}

// Threaded pyroclast-heated diagrams, one with fractionated batches, on one
// worker and on four: the same bits, each point that of a model of its own.
TEST(WaterMagmaDiagram, OneWorkerAndSeveralGiveTheSameBits) {
    struct Case {
        std::vector<std::string> words;
        unsigned char mode;
        double mMin, mMax;
    };
    const std::vector<Case> cases = {{{"pyroclast"}, 0, 0.001, 0.6},
                                     {{"pyroclast", "frac", "3", "satu", "0.1"}, 1, 0.001, 0.12}};
    for (const Case& c : cases) {
        std::vector<double> byWorkers[2];
        for (int k = 0; k < 2; ++k) {
            WaterMagmaModel w;
            w.diagramWorkers = k == 0 ? 1 : 4;
            WaterMagmaCalculationInfo info = waterMagmaInputs(c.words, c.mode);
            capture([&] { w.drawWaterMagmaDiagram(info, 6, 0, &byWorkers[k], c.mMin, c.mMax); });
        }
        ASSERT_GE(byWorkers[0].size() / 31, 15u);
        EXPECT_EQ(byWorkers[0], byWorkers[1]);
        // Each point alone, on a model of its own, after another point.
        for (std::size_t i = 0; i < byWorkers[0].size(); i += 31 * 7) {
            WaterMagmaModel one;
            WaterMagmaCalculationResult r;
            r.scriptFlag = 6;
            std::vector<double> alone;
            const double batches = c.words.size() > 1 ? 3.0 : 1.0;
            WaterMagmaCalculationInfo in = waterMagmaInputs(c.words, c.mode);
            capture([&] { one.calculateEnergyDiagramPoint(byWorkers[0][i] * batches, in, r, &alone); });
            ASSERT_EQ(alone.size(), 31u);
            EXPECT_TRUE(std::equal(alone.begin(), alone.end(), byWorkers[0].begin() + static_cast<long>(i)));
        }
    }
}

// A threaded diagram interrupted at random moments (SIGINT or SIGTERM):
// its file holds the rows of the whole run's first ratios, whole and in the
// grid's order up to the first ratio not yet done, then its "END" line and
// the note of the interrupt; or no file at all before the first row.
TEST(WaterMagmaDiagram, InterruptedAtRandomMomentsKeepsTheRowsInTheGridsOrder) {
    namespace fs = std::filesystem;
#if VARNOK_SAMPLE_SWEEPS
    constexpr int kRuns = 4;
#else
    constexpr int kRuns = 10;
#endif
    const fs::path dir = fs::current_path() / "diagramInterrupted";
    const std::vector<const char*> words = {"ev", "pyroclast"};
    const double length = consoletest::runWholeIn(BRENVIK_PROGRAM, dir, words);
    ASSERT_GT(length, 0.0);
    const std::string whole = readAll(dir / "wm0");
    const std::size_t begin = whole.find("BEGIN\n") + 6, end = whole.rfind("END\n");
    ASSERT_LT(begin, end);
    const std::string header = whole.substr(0, begin), rows = whole.substr(begin, end - begin);
    std::mt19937 draw(20261210);
    int interrupted = 0, withRows = 0;
    for (int k = 0; k < kRuns; ++k) {
        const double at = std::uniform_real_distribution<double>(0.05, 0.95)(draw) * length;
        const int sig = k % 2 == 0 ? SIGINT : SIGTERM;
        const int status = consoletest::interruptIn(BRENVIK_PROGRAM, dir, words, at, sig);
        ASSERT_NE(status, -1);
        if (!WIFSIGNALED(status)) continue;  // the run ended before the signal
        ++interrupted;
        if (!fs::exists(dir / "wm0")) continue;  // no row was done: no file
        const std::string text = readAll(dir / "wm0");
        // Finished and closed before the signal (the program at its other
        // files): the whole diagram, without a note.
        if (text == whole) continue;
        const std::string note = std::string("X // Interrupted by ") + (sig == SIGINT ? "SIGINT" : "SIGTERM") +
                                 ": the rows above are those finished before the run stopped\n";
        ASSERT_EQ(text.rfind(header, 0), 0u) << text;
        ASSERT_GE(text.size(), header.size() + 4 + note.size()) << text;
        EXPECT_EQ(text.substr(text.size() - note.size()), note) << "after " << at << " us";
        const std::string kept = text.substr(header.size(), text.size() - note.size() - 4 - header.size());
        EXPECT_EQ(text.substr(text.size() - note.size() - 4, 4), "END\n");
        // The first rows of the whole run, to the byte.
        EXPECT_FALSE(kept.empty());
        EXPECT_EQ(rows.rfind(kept, 0), 0u) << "after " << at << " us:\n" << kept;
        if (kept.size() < rows.size()) ++withRows;
    }
    EXPECT_GT(interrupted, 0);
    EXPECT_GT(withRows, 0);  // some runs were stopped in the middle of the diagram
    fs::remove_all(dir);
}
