#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/DataFiles.h"
#include "platform/LogSink.h"
#include "platform/Process.h"

namespace {

TEST(Process, SwitchedOffInTestsAndNeverRuns) {
    // CTest sets VARNOK_NO_EXTERNAL; nothing is started, and the caller is told why.
    ASSERT_FALSE(platform::externalProgramsEnabled());
    auto r = platform::runProgram({"true"});
    EXPECT_FALSE(r.started);
    EXPECT_NE(r.message.find("switched off"), std::string::npos);
}

TEST(Process, RunsByArgumentVectorAndReportsMissingPrograms) {
    platform::setExternalProgramsEnabled(true);
    EXPECT_FALSE(platform::findOnPath("sh").empty());
    // Arguments are passed as they are, with no shell in between.
    auto r = platform::runProgram({"sh", "-c", "exit 3"});
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.status, 3);
    auto q = platform::runProgram({"sh", "-c", "test \"$0\" = 'a b;c'", "a b;c"});
    EXPECT_EQ(q.status, 0);
    auto missing = platform::runProgram({"no-such-program-varnok"});
    EXPECT_FALSE(missing.started);
    EXPECT_NE(missing.message.find("cannot find"), std::string::npos);
    EXPECT_FALSE(platform::runProgram({}).started);
    platform::setExternalProgramsEnabled(false);
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_ = false;
};

TEST(Process, WithNoDisplayPlotsGoToPngFilesAndNoViewerStarts) {
    namespace fs = std::filesystem;
    EXPECT_EQ(platform::pngNameForScript("g105.gp"), "g105.png");
    EXPECT_EQ(platform::pngNameForScript("sta"), "sta.png");
    EXPECT_EQ(platform::pngNameForScript("./out.d/solver.gp"), "./out.d/solver.png");
    EXPECT_EQ(platform::pngNameForScript("dir.x/sta"), "dir.x/sta.png");
    // The window terminal and the waits are left out; the picture is closed at the end.
    const std::string s =
        platform::headlessGnuplotScript("reset\n  set term qt\nset terminal x11\nplot 'a'\npause -1\n", "it's.png");
    EXPECT_EQ(s, "set terminal pngcairo size 1024,768\nset output 'it''s.png'\nreset\nplot 'a'\n"
                 "unset multiplot\nunset output\n");

    // A stand-in gnuplot on PATH keeps what it is given on standard input.
    // In the test's own working folder (an absolute path, for PATH).
    const fs::path dir = fs::absolute("headless_bin");
    fs::create_directories(dir);
    const fs::path fake = dir / "gnuplot", got = dir / "received.txt";
    std::ofstream(fake) << "#!/bin/sh\ncat > '" << got.string() << "'\n";
    fs::permissions(fake, fs::perms::owner_all);
    std::ofstream("headless.gp") << "set term qt\nplot x\npause mouse\n";
    {
        ScopedEnv path("PATH", (dir.string() + ":/usr/bin:/bin").c_str());
        ScopedEnv display("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr);
        platform::setExternalProgramsEnabled(true);
        EXPECT_FALSE(platform::displayAvailable());
        const auto r = platform::runGnuplot("headless.gp");
        EXPECT_TRUE(r.started);
        EXPECT_EQ(r.status, 0);
        std::ifstream in(got);
        const std::string received((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(received, platform::headlessGnuplotScript("set term qt\nplot x\npause mouse\n", "headless.png"));
        // The viewer is not started without a display.
        const auto v = platform::openWithViewer("headless.gp");
        EXPECT_FALSE(v.started);
        EXPECT_NE(v.message.find("no display"), std::string::npos);
        ScopedEnv wl("WAYLAND_DISPLAY", "wayland-0");
        EXPECT_TRUE(platform::displayAvailable());
        platform::setExternalProgramsEnabled(false);
    }
    fs::remove("headless.gp");
    fs::remove_all(dir);
}

TEST(DataFiles, ResolverOrder) {
    namespace fs = std::filesystem;
    fs::path dir = fs::absolute("data_dir");  // in the test's own working folder
    fs::create_directories(dir / "compo");
    std::ofstream(dir / "compo" / "only-here.txt") << "x\n";
    std::ofstream("local-only.txt") << "y\n";
    {
        const ScopedEnv data("VARNOK_DATA_DIR", dir.c_str());
        EXPECT_EQ(platform::resolveDataFile("compo/only-here.txt"), (dir / "compo" / "only-here.txt").string());
        // Falls back to the current directory.
        EXPECT_EQ(platform::resolveDataFile("local-only.txt"), "./local-only.txt");
        EXPECT_TRUE(platform::resolveDataFile("compo/nowhere.txt").empty());
        EXPECT_EQ(platform::openDataFile("compo/nowhere.txt"), nullptr);
    }
    fs::remove_all(dir);
    fs::remove("local-only.txt");
}

class CapturingSink : public platform::LogSink {
public:
    std::string text, traces, diagnostics;
    void appendText(const std::string& t) override { text += t; }
    void appendRTF(const std::string& r) override { text += "[rtf]" + platform::rtfToPlainText(r); }
    void appendTrace(const std::string& t) override { traces += t; }
    void appendDiagnostic(const std::string& t) override { diagnostics += t; }
};

TEST(LogSink, TracesAreOffUnlessAskedFor) {
    // A program embedding the library gets no solver traces on its standard
    // error unless VARNOK_TRACE asks for them.
    const char* v = std::getenv("VARNOK_TRACE");
    if (v != nullptr && *v != '\0' && std::string(v) != "0") GTEST_SKIP() << "VARNOK_TRACE is set";
    EXPECT_FALSE(platform::traceShown());
}

TEST(LogSink, TracesAndDiagnosticsKeepOffTheResults) {
    CapturingSink sink;
    platform::setLogSink(&sink);
    {
        const platform::TracesShown shown;
        platform::tracef("step %d x %.3f\n", 2, 0.5);
    }
    {
        const platform::TracesShown hidden(false);
        platform::tracef("hidden %d\n", 1);
        platform::logTrace("hidden too\n");
    }
    std::string longLine(2000, 'x');
    platform::diagf("Cannot open %s\n", longLine.c_str());
    platform::setLogSink(nullptr);
    EXPECT_EQ(sink.text, "");
    EXPECT_EQ(sink.traces, "step 2 x 0.500\n");
    EXPECT_EQ(sink.diagnostics, "Cannot open " + longLine + "\n");
}

TEST(LogSink, InstalledSinkReceivesTextAndRtf) {
    CapturingSink sink;
    platform::setLogSink(&sink);
    platform::logText("hello\n");
    platform::logRTF("{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss Helvetica;}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs24 \\b T\\b0 = 25\\'b0C\\par}");
    platform::setLogSink(nullptr);
    EXPECT_EQ(sink.text, "hello\n[rtf]T= 25\xC2\xB0" "C\n");
}

TEST(LogSink, RtfReductionKeepsEscapesAndSurvivesJunk) {
    EXPECT_EQ(platform::rtfToPlainText("{\\rtf1 a\\{b\\}c\\\\d\\tab e\\u8364?}"), "a{b}c\\d\te\xE2\x82\xAC");
    // Truncated or unbalanced input is reduced without reading past the end.
    EXPECT_EQ(platform::rtfToPlainText("{\\rtf1 abc\\"), "abc");
    EXPECT_EQ(platform::rtfToPlainText("}}}x{{"), "x");
    EXPECT_EQ(platform::rtfToPlainText("\\'4"), "");
    // A lone surrogate or a number beyond Unicode still gives valid UTF-8.
    EXPECT_EQ(platform::rtfToPlainText("{\\rtf1 \\u-10179?\\u99999999?}"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
