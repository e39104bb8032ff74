// Curve files left whole by an interrupt: varnok started as a child
// process, ended by SIGINT or SIGTERM during a curve, at a chosen and at
// random moments; the files it leaves hold whole rows only, their end and
// the note of the interrupt.
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

#include "fluid/tests/TextRows.h"

namespace {

// varnok started in `dir` with the words given, its standard output to
// /dev/null and its standard error to `err`; the child's process id.
pid_t startVarnokIn(const std::filesystem::path& dir, const char* err, std::vector<const char*> words) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0 || !std::freopen("/dev/null", "w", stdout) || !std::freopen(err, "w", stderr))
            ::_exit(125);
        words.insert(words.begin(), VARNOK_PROGRAM);
        words.push_back(nullptr);
        ::execv(VARNOK_PROGRAM, const_cast<char* const*>(words.data()));
        ::_exit(126);
    }
    return pid;
}

}  // namespace

// Two curve commands, the second interrupted by SIGINT or SIGTERM: the
// program ends by the signal; the first command's file is left as it was
// finished (its "END" the last line, no note), the second's holds whole
// rows only, every point up to the last one, then "END" and the note of the
// interrupt as its last line; no other file is left.
TEST(CurveLimits, AnInterruptLeavesEveryCurveFileWholeWithItsEndAndANote) {
    namespace fs = std::filesystem;
    for (int sig : {SIGINT, SIGTERM}) {
        const fs::path dir = fs::current_path() / ("interrupted" + std::to_string(sig));
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path file = dir / "binos";
        const pid_t pid = startVarnokIn(dir, "err.txt", {"DMW2:H2O,CO2", "bino", "550", "f", "bino", "500", "s"});
        ASSERT_GT(pid, 0);
        // Interrupted once the curve has some rows (within a minute).
        for (int k = 0; k < 6000; ++k) {
            std::error_code ec;
            if (fs::exists(file) && fs::file_size(file, ec) > 20000) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid, sig);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
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
        return startVarnokIn(dir, "/dev/null", {"PR:CO2,CH4", "bino", "250", "a", "binop", "230", "40", "b", "crit2", "c"});
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
