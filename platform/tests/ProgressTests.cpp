// The progress bar: drawn in place on a terminal after its delay, at most ten
// times a second, cleared at the end; nothing at all anywhere else.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/Progress.h"

namespace {

std::string contentOf(std::FILE* f) {
    std::string s;
    std::rewind(f);
    char buf[512];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    return s;
}

}  // namespace

TEST(Progress, DrawsOnATerminalAtMostTenTimesASecondAndClearsTheLine) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    double now = 100.0;  // a clock the test moves
    {
        platform::Progress p("Water-magma ratio", 4.0, f, true, 0.0, [&] { return now; });
        p.update(2.0, 0.35);
        now += 0.09;
        p.update(3.0);  // within a tenth of a second of the last drawing: skipped
        now += 0.02;
        p.update(4.0);
        now += 0.2;
        p.update(1.0, std::string("m = 0.001, cycle 57 of at most 800"));  // a note in place of the value
    }
    const std::string s = contentOf(f);
    std::fclose(f);
    EXPECT_EQ(s, "\rWater-magma ratio [###############...............]  50 %  0.35\033[K"
                 "\rWater-magma ratio [##############################] 100 %\033[K"
                 "\rWater-magma ratio [########......................]  25 %  m = 0.001, cycle 57 of at most 800\033[K"
                 "\r\033[K");
}

TEST(Progress, WritesNothingWhenNotATerminalOrBeforeItsDelay) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
        platform::Progress quiet("Rows", 10.0, f, false, 0.0);
        quiet.update(5.0);
        double now = 0.0;
        platform::Progress early("Rows", 10.0, f, true, 0.5, [&] { return now; });
        now = 0.49;
        early.update(5.0);  // before its delay
        early.finish();
    }
    EXPECT_EQ(contentOf(f), "");
    std::fclose(f);
    // Out-of-range amounts are drawn within the bar.
    f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
        platform::Progress p("Rows", 10.0, f, true, 0.0);
        p.update(25.0);
    }
    EXPECT_NE(contentOf(f).find("[" + std::string(30, '#') + "] 100 %"), std::string::npos);
    std::fclose(f);
}

TEST(Progress, OtherTextClearsTheBarWhichComesBackAtOnce) {
    // The log clears the bar's line before it writes (results, traces,
    // diagnostics); the next update draws the bar again without waiting.
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    const std::string bar = "\rRows [###############...............]  50 %\033[K";
    {
        platform::Progress p("Rows", 2.0, f, true, 0.0);
        p.update(1.0);
        platform::clearProgressLine();
        platform::clearProgressLine();  // nothing left to clear
        p.update(1.0);
    }
    EXPECT_EQ(contentOf(f), bar + "\r\033[K" + bar + "\r\033[K");
    std::fclose(f);
}
