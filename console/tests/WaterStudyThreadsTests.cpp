// The threaded water studies (the Wohletz and phreatic cycle tables, the
// Gibbs-energy map): the same bits on one worker and on several, whatever the
// model computed before, and files kept whole in the table's order by an
// interrupt at any moment.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "console/WaterStudyModel.h"
#include "console/tests/ConsoleTestSupport.h"

using consoletest::capture;
using consoletest::readFile;

namespace {

struct Study {
    const char* name;
    const char* file;
    std::function<void(WaterStudyModel&)> run;
};

// Small tables of every threaded study: heating-decompression paths (kind 0)
// and isentropes (kind 1), the phreatic table as Igor text, the map on a
// linear and a geometric volume grid.
std::vector<Study> smallStudies() {
    return {
        {"wohletz 0", "wohl1", [](WaterStudyModel& w) { w.calculateWohletzCycle(100.0, 420.0, 0); }},
        {"wohletz 1", "wohl0", [](WaterStudyModel& w) { w.calculateWohletzCycle(300.0, 1300.0, 1); }},
        {"phreatic", "heatirrt", [](WaterStudyModel& w) { w.calculatePhreaticCycle(50.0, 460.0, 0, 1, "t"); }},
        {"potentials linear", "film",
         [](WaterStudyModel& w) { w.drawEquilibriumPotentials(600.0, 100.0, 600.0, 600.3, 2e-5, 4e-5, 0); }},
        {"potentials geometric", "film",
         [](WaterStudyModel& w) { w.drawEquilibriumPotentials(450.0, 9.32203564, 449.0, 452.0, 2e-5, 1e-2, 1); }},
    };
}

}  // namespace

// Each study on one worker on a fresh model, then on four workers on a model
// that has just run another study: the same file to the byte (each step or
// stretch is computed on a model of its own, from the same start).
TEST(WaterStudyThreads, OneWorkerAndSeveralGiveTheSameBits) {
    for (const Study& s : smallStudies()) {
        WaterStudyModel one(2);
        one.diagramWorkers = 1;
        capture([&] { s.run(one); });
        const std::string alone = readFile(s.file);
        ASSERT_GT(one.lastRows, 20) << s.name;
        WaterStudyModel several(2);
        several.diagramWorkers = 4;
        capture([&] { several.calculateWohletzCycle(0.0, 700.0, 1); });
        capture([&] { s.run(several); });
        EXPECT_EQ(several.lastRows, one.lastRows) << s.name;
        EXPECT_TRUE(readFile(s.file) == alone) << s.name;
    }
}

// Each study run whole by the program, then interrupted at random moments
// (SIGINT or SIGTERM): its file holds the whole run's first rows to the
// byte, whole lines up to the first row not yet done, then (an Igor file)
// its "END" line and the note of the interrupt; or no file before the
// first row.
TEST(WaterStudyThreads, InterruptedAtRandomMomentsKeepTheRowsInTheTablesOrder) {
    // Fewer runs where the sweeps are sampled (the sanitizers' builds).
    constexpr int kRuns = VARNOK_SAMPLE_SWEEPS ? 3 : 8;
    struct Run {
        std::vector<const char*> words;
        const char* file;
        bool igor;
    };
    const std::vector<Run> runs = {
        {{"wagner", "wohletz", "100", "600", "0"}, "wohl1", false},
        {{"wagner", "phreatic", "50", "600", "0", "1", "p"}, "heatirrp", true},
        {{"wagner", "potentials", "600", "100", "600", "602", "2e-5", "1e-4", "0"}, "film", false},
    };
    const std::filesystem::path dir = std::filesystem::current_path() / "studyInterrupted";
    consoletest::Draw draw(20261210);
    for (const Run& r : runs) {
        const std::string name = std::string(r.words[1]);
        const double length = consoletest::runWholeIn(VARNOK_PROGRAM, dir, r.words);
        ASSERT_GT(length, 0.0) << name;
        std::string whole = readFile((dir / r.file).c_str());
        if (r.igor) {
            ASSERT_GE(whole.size(), 4u);
            ASSERT_EQ(whole.substr(whole.size() - 4), "END\n") << name;
            whole.resize(whole.size() - 4);
        }
        // The rows begin after the header: "BEGIN", the "# " lines, or at once.
        ASSERT_FALSE(whole.empty()) << name;
        const std::size_t rowsFrom = r.igor            ? whole.find("BEGIN\n") + 6
                                     : whole[0] == '#' ? whole.find('\n', whole.rfind("\n#") + 1) + 1
                                                       : 0;
        ASSERT_LT(rowsFrom, whole.size()) << name;
        int interrupted = 0, partial = 0;
        for (int k = 0; k < kRuns; ++k) {
            const double at = draw.between(0.05, 0.95) * length;
            const int sig = k % 2 == 0 ? SIGINT : SIGTERM;
            const int status = consoletest::interruptIn(VARNOK_PROGRAM, dir, r.words, at, sig);
            ASSERT_NE(status, -1) << name;
            if (!WIFSIGNALED(status)) continue;  // the run ended before the signal
            EXPECT_EQ(WTERMSIG(status), sig);
            ++interrupted;
            if (!std::filesystem::exists(dir / r.file)) continue;  // no row was done: no file
            const std::string text = readFile((dir / r.file).c_str());
            const std::string note = std::string(r.igor ? "X // Interrupted by " : "# Interrupted by ") +
                                     (sig == SIGINT ? "SIGINT" : "SIGTERM") +
                                     ": the rows above are those finished before the run stopped\n";
            // A file finished and closed before the signal (the program still
            // at its other files or its report) stands whole, without a note.
            if (text == whole + (r.igor ? "END\n" : "")) continue;
            ASSERT_GE(text.size(), note.size()) << name;
            ASSERT_EQ(text.substr(text.size() - note.size()), note) << name << " after " << at << " us";
            std::string kept = text.substr(0, text.size() - note.size());
            if (r.igor) {
                ASSERT_GE(kept.size(), 4u);
                EXPECT_EQ(kept.substr(kept.size() - 4), "END\n") << name;
                kept.resize(kept.size() - 4);
            }
            // The header and the whole run's first rows, whole lines, to the byte.
            EXPECT_GT(kept.size(), rowsFrom) << name << ": a file without a row";
            ASSERT_FALSE(kept.empty());
            EXPECT_EQ(kept.back(), '\n') << name;
            EXPECT_EQ(whole.compare(0, kept.size(), kept), 0) << name << " after " << at << " us";
            if (kept.size() < whole.size()) ++partial;
        }
        EXPECT_GT(interrupted, 0) << name;
        EXPECT_GT(partial, 0) << name << ": some runs were stopped in the middle of the table";
    }
    std::filesystem::remove_all(dir);
}
