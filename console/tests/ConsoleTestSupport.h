#pragma once
// Helpers of the console tests: captured standard output and error, a log
// sink that keeps what the reports write, and argument vectors.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "console/WaterMagmaCalculationInfo.h"
#include "platform/LogSink.h"

namespace consoletest {

struct Captured {
    std::string out, err;
};

// Runs f with standard output and error captured.
template <class F>
Captured capture(F&& f) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    f();
    std::fflush(stdout);
    Captured c;
    c.out = testing::internal::GetCapturedStdout();
    c.err = testing::internal::GetCapturedStderr();
    return c;
}

class RecordingSink : public platform::LogSink {
public:
    RecordingSink() { platform::setLogSink(this); }
    ~RecordingSink() override { platform::setLogSink(nullptr); }
    void appendText(const std::string& t) override { text += t; }
    void appendRTF(const std::string& r) override {
        rtf += r;
        text += platform::rtfToPlainText(r);
    }
    std::string text, rtf;
};

// argv as the program receives it.
struct Args {
    explicit Args(std::vector<std::string> w) : words(std::move(w)) {
        for (const std::string& s : words) ptrs.push_back(s.c_str());
    }
    int argc() const { return static_cast<int>(ptrs.size()); }
    const char** argv() { return ptrs.data(); }
    std::vector<std::string> words;
    std::vector<const char*> ptrs;
};

// The inputs of a water-magma calculation read from keyword words, in the
// record's units, with the given heating mode (0 isochoric, 1 isobaric, 2
// Wohletz).
inline WaterMagmaCalculationInfo waterMagmaInputs(std::vector<std::string> words, unsigned char mode = 0) {
    WaterMagmaCalculationInfo info;
    info.heatingMode = mode;
    Args a(std::move(words));
    capture([&] { EXPECT_TRUE(info.readArguments(a.argc(), a.argv())); });
    return info;
}

inline int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) ++n;
    return n;
}

inline std::string readFile(const char* path) {
    std::string s;
    std::FILE* f = std::fopen(path, "r");
    if (!f) return s;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

// The page of the models (docs/models.md: where each holds, its departure
// from the reference equation of its fluid, what the system does not do),
// whose tables and quoted commands the tests run against the programs.
inline std::string readModelPage() { return readFile(VARNOK_TEST_SOURCE_DIR "/docs/models.md"); }

// A small generator of its own (the standard distributions differ between
// libraries): the same history on every platform.
class Draw {
public:
    explicit Draw(std::uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    double uniform() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return static_cast<double>(s_ >> 11) * 0x1.0p-53;
    }
    double between(double a, double b) { return a + (b - a) * uniform(); }
    double logBetween(double a, double b) { return a * std::pow(b / a, uniform()); }
    bool chance(double p) { return uniform() < p; }
    int below(int n) { return static_cast<int>(uniform() * n) % n; }

private:
    std::uint64_t s_;
};

// `program` started in `dir` with the words given, its standard output to
// /dev/null and its standard error to the file `err`, external programs off;
// the child's process id (for the tests that interrupt it).
inline pid_t startProgramIn(const char* program, const std::filesystem::path& dir, const char* err,
                            std::vector<const char*> words) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0 || !std::freopen("/dev/null", "w", stdout) || !std::freopen(err, "w", stderr))
            ::_exit(125);
        ::setenv("VARNOK_NO_EXTERNAL", "1", 1);
        words.insert(words.begin(), program);
        words.push_back(nullptr);
        ::execv(program, const_cast<char* const*>(words.data()));
        ::_exit(126);
    }
    return pid;
}

// `program` run whole in a fresh directory `dir` (for the tests that then
// interrupt it): its length in microseconds, or -1 when it did not end with
// status 0.
inline double runWholeIn(const char* program, const std::filesystem::path& dir, std::vector<const char*> words) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = startProgramIn(program, dir, "/dev/null", std::move(words));
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1.0;
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
}

// `program` started in a fresh directory `dir` and sent the signal `sig`
// after `at` microseconds: its wait status, or -1 when it could not start.
inline int interruptIn(const char* program, const std::filesystem::path& dir, std::vector<const char*> words,
                       double at, int sig) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const pid_t pid = startProgramIn(program, dir, "/dev/null", std::move(words));
    if (pid <= 0) return -1;
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(at)));
    ::kill(pid, sig);
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid ? status : -1;
}

}  // namespace consoletest
