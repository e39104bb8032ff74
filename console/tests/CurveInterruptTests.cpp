// Files left whole by an interrupt: varnok's curve commands ended by SIGINT or
// SIGTERM at chosen and at random moments leave each file they were writing
// complete up to its last whole row, with its end and a note of the
// interrupt, and no file without rows.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "console/tests/ConsoleTestSupport.h"
#include "fluid/tests/TextRows.h"

// Two curve commands, the second interrupted by SIGINT or SIGTERM: the
// program ends by the signal; the first command's file is left as it was
// finished (its "END" the last line, no note), the second's holds whole
// rows only, every point up to the last one, then "END" and the note of the
// interrupt as its last line; no other file is left.
TEST(CurveLimits, AnInterruptLeavesEveryCurveFileWholeWithItsEndAndANote) {
    namespace fs = std::filesystem;
    for (int sig : {SIGINT, SIGTERM}) {
        const fs::path dir = fs::current_path() / ("interrupted" + std::to_string(sig));
        const fs::path file = dir / "binos";
        // Interrupted once the curve has some rows (within a minute).  The
        // second curve takes about a second: on a loaded machine this
        // process may wake only after the run has ended, and then the run,
        // finished whole, is made again.
        int status = 0;
        for (int attempt = 0; attempt < 5; ++attempt) {
            fs::remove_all(dir);
            fs::create_directories(dir);
            const pid_t pid = consoletest::startProgramIn(VARNOK_PROGRAM, dir, "err.txt",
                                                          {"DMW2:H2O,CO2", "bino", "550", "f", "bino", "500", "s"});
            ASSERT_GT(pid, 0);
            for (int k = 0; k < 6000; ++k) {
                std::error_code ec;
                if (fs::exists(file) && fs::file_size(file, ec) > 20000) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            ::kill(pid, sig);
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0)) break;
        }
        ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before the signal, status " << status;
        EXPECT_EQ(WTERMSIG(status), sig);
        const std::string text = readWholeFile(file.string());
        const std::string note = std::string("X // Interrupted by ") + (sig == SIGINT ? "SIGINT" : "SIGTERM") +
                                 ": the rows above are those finished before the run stopped\n";
        ASSERT_GE(text.size(), note.size());
        EXPECT_EQ(text.substr(text.size() - note.size()), note);
        EXPECT_EQ(text.rfind("\nEND\n"), text.size() - note.size() - 5);
        EXPECT_EQ(text.find("IGOR\nWAVES"), 0u);
        const auto rows = readTextRows(file.string());
        ASSERT_GT(rows.size(), 20u);
        for (std::size_t q = 0; q < rows.size(); ++q) {
            ASSERT_EQ(rows[q].size(), 19u) << "row " << q;
            EXPECT_EQ(rows[q][0], 500.0) << "row " << q;
            EXPECT_EQ(rows[q][18], static_cast<double>(q)) << "row " << q;  // the point index: none lost
        }
        EXPECT_NE(readWholeFile((dir / "err.txt").string()).find("Interrupted by"), std::string::npos);
        const std::string finished = readWholeFile((dir / "binof").string());
        ASSERT_GT(finished.size(), 5u);
        EXPECT_EQ(finished.substr(finished.size() - 5), "\nEND\n");
        EXPECT_GT(readTextRows((dir / "binof").string()).size(), 100u);
        std::vector<std::string> left;
        for (const auto& e : fs::directory_iterator(dir)) left.push_back(e.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"binof", "binos", "err.txt"}));
    }
}

// Interrupts at random moments of a run of three curve commands, from its
// first microseconds on (before the program has started, while a file is
// being opened, between its header and its first row, in the middle of a
// curve, after the end): whatever the moment, no file is left without a row
// (a file opened and not yet finished with a row is removed), and every
// Igor file left is closed by its "END" line.  The moments are drawn over
// the length of an uninterrupted run, measured first.
TEST(CurveLimits, InterruptsAtRandomMomentsLeaveNoFileWithoutRows) {
    namespace fs = std::filesystem;
#if VARNOK_SAMPLE_SWEEPS
    constexpr int kRuns = 40;  // in the sampled builds (sanitizers, Clang)
#else
    constexpr int kRuns = 120;
#endif
    const fs::path dir = fs::current_path() / "interruptedAtRandom";
    auto start = [&]() {
        fs::remove_all(dir);
        fs::create_directories(dir);
        return consoletest::startProgramIn(VARNOK_PROGRAM, dir, "/dev/null", {"PR:CO2,CH4", "bino", "250", "a", "binop", "230", "40", "b", "crit2", "c"});
    };
    // The length of a whole run.
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = start();
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const double length = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    std::mt19937 draw(20261209);
    int interrupted = 0, files = 0, removed = 0;
    for (int k = 0; k < kRuns; ++k) {
        // A third of the moments within the first 2 % of the run, the rest over all of it.
        const double u = std::uniform_real_distribution<double>(0.0, 1.0)(draw);
        const double at = k % 3 == 0 ? 0.02 * u * length : 1.1 * u * length;
        const int sig = k % 2 == 0 ? SIGTERM : SIGINT;
        pid = start();
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(at)));
        ::kill(pid, sig);
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        if (WIFSIGNALED(status)) ++interrupted;
        int left = 0;
        for (const auto& e : fs::directory_iterator(dir)) {
            ++left;
            const std::string name = e.path().filename().string();
            const std::string text = readWholeFile(e.path().string());
            EXPECT_FALSE(readTextRows(e.path().string()).empty())
                << name << " left without rows, signal " << sig << " after " << at << " us:\n"
                << text;
            if (text.rfind("IGOR\n", 0) == 0) {
                EXPECT_NE(text.find("\nEND\n"), std::string::npos) << name << " after " << at << " us";
            }
        }
        files += left;
        removed += 3 - left;
    }
    std::printf("interrupts at random moments: %d runs (%d ended by the signal, a whole run %.0f us), %d files "
                "left, each with rows; %d not written or removed\n",
                kRuns, interrupted, length, files, removed);
}
