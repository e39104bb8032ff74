#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "families/anderko/Anderko.h"

namespace {

std::vector<std::string> lines(const char* path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

// Deviations (last column) of the rows of "test".
std::vector<double> deviations() {
    std::vector<double> out;
    auto ls = lines("test");
    for (std::size_t i = 1; i < ls.size(); i++) {
        if (ls[i].empty()) continue;
        std::istringstream s(ls[i]);
        std::vector<double> v;
        for (double d; s >> d;) v.push_back(d);
        EXPECT_EQ(v.front(), 0.0) << ls[i];  // error flag
        out.push_back(v.back());
    }
    return out;
}

char* w(const char* s) { return const_cast<char*>(s); }

}  // namespace

TEST(AnderkoCommands, Words) {
    Anderko m(2);
    m.setSystemCode(10);
    char* a1[] = {w("table1")};
    EXPECT_EQ(m.doCommandEx(1, a1), 1);
    char* a2[] = {w("isotherm")};
    EXPECT_EQ(m.doCommandEx(1, a2), 0);
    EXPECT_EQ(m.doCommandEx(0, a2), 0);
    std::remove("test");
    char* a3[] = {w("table2")};
    EXPECT_EQ(m.doCommandEx(1, a3), 1);  // another system: no file
    EXPECT_EQ(std::fopen("test", "r"), nullptr);
    char* a4[] = {w("test1"), w("700"), w("40")};
    testing::internal::CaptureStderr();
    EXPECT_EQ(m.doCommandEx(3, a4), 3);  // too few words: refused whole, nothing read past the list
    EXPECT_NE(testing::internal::GetCapturedStderr().find("test1:"), std::string::npos);
}

// H2O-NaCl-CO2 volumes as tabulated by Duan, Moller & Weare (1995).
TEST(AnderkoCommands, Table2AgainstMeasuredVolumes) {
    Anderko m(2);
    m.setSystemCode(20);
    char* a[] = {w("table2")};
    ASSERT_EQ(m.doCommandEx(1, a), 1);
    auto ls = lines("test");
    ASSERT_EQ(ls.size(), 18u);  // header, 12 rows, blank line, 4 rows
    EXPECT_EQ(ls[0], "err      T      P  xNaCl   xH2O   xCO2   vexp      v      e");
    EXPECT_EQ(ls[13], "");
    auto dev = deviations();
    ASSERT_EQ(dev.size(), 16u);
    double sum = 0;
    for (double d : dev) sum += std::fabs(d);
    // Near the critical curve of H2O-NaCl (the first 12 rows, 700-760 K and
    // 400-520 bar) the model's volumes lie 12-52 % below the measured ones,
    // and already so without CO2.  Those brines (6, 10 and 20 wt % NaCl) lie,
    // without their CO2, inside the liquid-vapour region of Driesner &
    // Heinrich (2007) where the model splits them too, so the one-phase
    // volume the model gives there is no measure of it (the binary's
    // one-phase volumes are: see the Driesner test of brines).  The four rows
    // at 6.6-7.5 kbar lie 12-14 % below, as the H2O-CO2 pair alone does
    // there.  The bounds hold the model to what it reaches today, so that a
    // change that worsens it fails (centring the t40 term of c112 at 5.7315
    // gives 6.2 % on average here, but doubles the binary's volumes and
    // spoils its critical curve: see the Palliser & McKibbin test).
    EXPECT_LT(sum / dev.size(), 23.0);
    for (std::size_t i = 0; i < dev.size(); ++i) {
        EXPECT_TRUE(std::isfinite(dev[i]));
        EXPECT_LT(std::fabs(dev[i]), i < 12 ? 53.0 : 15.0) << i;
    }
}

TEST(AnderkoCommands, Tables3And4AgainstMeasuredVolumes) {
    Anderko h2och4(2);
    h2och4.setSystemCode(12);
    char* a3[] = {w("table3")};
    ASSERT_EQ(h2och4.doCommandEx(1, a3), 1);
    auto d3 = deviations();
    ASSERT_EQ(d3.size(), 9u);
    Anderko brine(2);
    brine.setSystemCode(21);
    char* a4[] = {w("table4")};
    ASSERT_EQ(brine.doCommandEx(1, a4), 1);
    auto d4 = deviations();
    ASSERT_EQ(d4.size(), 24u);
    double s3 = 0, s4 = 0;
    for (double d : d3) s3 += std::fabs(d);
    for (double d : d4) s4 += std::fabs(d);
    std::printf("table3: %.2f %%, table4: %.2f %% average absolute deviation\n", s3 / 9, s4 / 24);
    for (double d : d3) EXPECT_LT(std::fabs(d), 10.0);
    for (double d : d4) EXPECT_LT(std::fabs(d), 10.0);
}

// Duan, Moller & Weare (1995) give no fourth table for this model: its check
// writes nothing and leaves the state as it was.
TEST(AnderkoCommands, Table4OfDuan95IsEmpty) {
    Anderko m(2);
    m.setSystemCode(1);
    m.calculateFromTP(673.15, 500.0, 0);
    ASSERT_EQ(m.errorflag, 0);
    const double V = m.V, P = m.P;
    std::remove("test");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    m.testTable4Duan95();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(std::fopen("test", "r"), nullptr);
    EXPECT_EQ(m.V, V);
    EXPECT_EQ(m.P, P);
    EXPECT_EQ(m.errorflag, 0);
}
