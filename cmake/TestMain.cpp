// Entry point of every test program.  Tests never start external programs,
// find data files in the source tree and draw Qt widgets offscreen; the
// variables are set here (unless the caller set them) so that a test binary run
// by hand behaves as under CTest.
//
// CTest runs each test as its own process, several at a time, from the same
// folder.  So that tests writing fixed file names ("satu.mem", "crysta.txt")
// neither see each other's files nor stale ones from an earlier run, every
// process works in a fresh sub-folder named after its test filter; files a
// test keeps for review stay there after the run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/LogSink.h"

namespace {
std::string folderFor(const std::string& filter) {
    if (filter.empty() || filter == "*") return "all";
    std::string name;
    for (char c : filter) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        name += plain ? c : '_';
    }
    return name.substr(0, 200);
}
}  // namespace

int main(int argc, char** argv) {
    ::setenv("VARNOK_NO_EXTERNAL", "1", 0);
    ::setenv("VARNOK_DATA_DIR", VARNOK_TEST_SOURCE_DIR, 0);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    if (!::testing::GTEST_FLAG(list_tests)) {
        namespace fs = std::filesystem;
        std::error_code ec;
        // Beside the test program (inside the build tree), wherever it is started
        // from, so that a run from the source tree leaves no files there.
        fs::path base = fs::read_symlink("/proc/self/exe", ec).parent_path();
        if (ec || base.empty()) base = fs::current_path(ec);
        fs::path dir = base / folderFor(::testing::GTEST_FLAG(filter));
        fs::remove_all(dir, ec);
        fs::create_directories(dir, ec);
        if (ec || ::chdir(dir.c_str()) != 0) platform::diagf("cannot work in %s\n", dir.c_str());
    }
    return RUN_ALL_TESTS();
}
