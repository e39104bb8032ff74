// The file-driven and curve drivers of the two-phase problems, run on
// Raoult's law so that every row has a closed form: bubble pressures
// sum x_i Psat_i, flashes by the binary Rachford-Rice root; the files are read
// back with the column reader, and bad input is reported.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "equilibria/IdealMixture.h"
#include "equilibria/tests/RaoultPressures.h"
#include "numerics/DataTextFile.h"

namespace {


void writeFile(const char* path, const std::string& text) {
    std::ofstream(path) << text;
}

std::string readFile(const char* path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Binary {
    IdealMixture m;
    Binary() {
        m.number_of_components(2);
        m.add_components("CO2", "C3H8");
        m.bulk_composition(0.5, 0.5);
    }
};

}  // namespace

TEST(TwoPhaseDrivers, TableOfBubblePointsAndFlashes) {
    Binary b;
    writeFile("vle_in.txt", "T Fv zCO2 zC3H8\n250 0 0.2 0.8\n260 0 0.5 0.5\n");
    testing::internal::CaptureStdout();
    b.m.calculate_vapour_liquid_equilibria("vle_in.txt", "vle_out.txt");
    testing::internal::GetCapturedStdout();
    DataTextFile out("vle_out.txt");
    ASSERT_EQ(out.set_index("T P xCO2 yCO2 ic err"), 6);
    const double zs[2] = {0.2, 0.5};
    int k = 0;
    while (out.read()) {
        double T, P, x0, y0, ic, err;
        out >> T >> P >> x0 >> y0 >> ic >> err;
        const double Pb = zs[k] * PsatCO2(T) + (1 - zs[k]) * PsatC3(T);
        EXPECT_NEAR(P * 1e5, Pb, 1e-5 * Pb);
        EXPECT_NEAR(x0, zs[k], 1e-9);
        EXPECT_NEAR(y0, zs[k] * PsatCO2(T) / Pb, 1e-6);
        EXPECT_EQ(ic, k);
        EXPECT_EQ(err, 0);
        k++;
    }
    EXPECT_FALSE(out.failed()) << out.error();
    EXPECT_EQ(k, 2);

    // Flashes at given T and P.
    writeFile("vle_in2.txt", "T P zCO2 zC3H8\n260 10 0.4 0.6\n");
    testing::internal::CaptureStdout();
    b.m.calculate_vapour_liquid_equilibria("vle_in2.txt", "vle_out2.txt");
    testing::internal::GetCapturedStdout();
    const double K0 = PsatCO2(260) / 1e6, K1 = PsatC3(260) / 1e6, a = K0 - 1, c = K1 - 1;
    const double Fv = -(0.4 * a + 0.6 * c) / (a * c);
    EXPECT_NEAR(b.m.Fv, Fv, 1e-6);
}

TEST(TwoPhaseDrivers, InconsistentOrMissingInputIsReported) {
    Binary b;
    writeFile("vle_bad.txt", "T P Fv zCO2 zC3H8\n250 10 0 0.2 0.8\n");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    b.m.calculate_vapour_liquid_equilibria("vle_bad.txt", "vle_bad_out.txt");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("File format error.\n"), std::string::npos);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(b.m.error, 8);

    Binary c;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    c.m.calculate_vapour_liquid_equilibria("no-such-input.txt", "vle_none.txt");
    c.m.bubble("no-such-input.txt", "bubble_none.txt");
    c.m.flash("no-such-input.txt", "flash_none.txt");
    c.m.flash1("no-such-input.txt", "flash1_none.txt");
    testing::internal::GetCapturedStdout();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("no-such-input.txt"), std::string::npos);
    // The Igor files stay well formed (header and END).
    EXPECT_EQ(readFile("bubble_none.txt").rfind("IGOR\n", 0), 0u);
    EXPECT_NE(readFile("flash_none.txt").find("BEGIN\nEND\n"), std::string::npos);

    // A column missing from a measured table.
    writeFile("bubble_bad.txt", "T Pr xCO2 yCO2\n250 10 0.5 0.9\n");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    c.m.bubble("bubble_bad.txt", "bubble_bad_out.txt");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("File format error.\n"), std::string::npos);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.m.error, 8);
    // A later good table is read whatever the last error was.
    writeFile("bubble_good.itx", "IGOR\nWAVES T Pr xCO2 xC3H8 yCO2 yC3H8\nBEGIN\n250 10 0.3 0.7 0.8 0.2\nEND\n");
    testing::internal::CaptureStdout();
    c.m.bubble("bubble_good.itx", "bubble_good_out.itx");
    testing::internal::GetCapturedStdout();
    DataTextFile good("bubble_good_out.itx");
    ASSERT_EQ(good.set_index("Pr err"), 2);
    ASSERT_EQ(good.read(), 1);
    double Pr = 0, err = 1;
    good >> Pr >> err;
    EXPECT_NEAR(Pr * 1e5, 0.3 * PsatCO2(250) + 0.7 * PsatC3(250), 1e-5 * Pr * 1e5);
    EXPECT_EQ(err, 0);

    // An output file that cannot be written.
    testing::internal::CaptureStderr();
    c.m.flash1_isotherm("no-such-dir/iso.itx", 260.0, 5.0, 1.0, nullptr);
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
}

TEST(TwoPhaseDrivers, BubblePressuresOfMeasuredLiquids) {
    Binary b;
    writeFile("bubble_in.itx",
              "IGOR\nWAVES T Pr xCO2 xC3H8 yCO2 yC3H8\nBEGIN\n250 10 0.3 0.7 0.8 0.2\n260 12 0.4 0.6 0.85 0.15\nEND\n");
    testing::internal::CaptureStdout();
    b.m.bubble("bubble_in.itx", "bubble_out.itx");
    testing::internal::GetCapturedStdout();
    DataTextFile out("bubble_out.itx");
    ASSERT_EQ(out.set_index("T xCO2exp Pexp Pr yCO2 err"), 6);
    int k = 0;
    while (out.read()) {
        double T, x0, Pexp, Pr, y0, err;
        out >> T >> x0 >> Pexp >> Pr >> y0 >> err;
        const double Pb = x0 * PsatCO2(T) + (1 - x0) * PsatC3(T);
        EXPECT_NEAR(Pr * 1e5, Pb, 1e-5 * Pb);
        EXPECT_NEAR(Pexp, k == 0 ? 10.0 : 12.0, 0.0);
        EXPECT_NEAR(y0, x0 * PsatCO2(T) / Pb, 1e-6);
        EXPECT_EQ(err, 0);
        k++;
    }
    EXPECT_EQ(k, 2);
    const std::string text = readFile("bubble_out.itx");
    EXPECT_NE(text.find("END\nx display Pexp vs xCO2exp\n"), std::string::npos);
    EXPECT_NE(text.find("x dy = yCO2exp - yCO2\n"), std::string::npos);
    EXPECT_NE(text.find("x Variable AADP, AADy\n x wavestats dP\n x AADP = V_avg \n"), std::string::npos);

    // Four components: only the absolute deviation after the display commands.
    IdealMixture m4;
    m4.number_of_components(4);
    m4.add_components("CO2", "C3H8", "CH4", "N2");
    writeFile("bubble4.itx",
              "IGOR\nWAVES T Pr xCO2 xC3H8 xCH4 xN2 yCO2 yC3H8 yCH4 yN2\nBEGIN\n"
              "200 10 0.25 0.25 0.25 0.25 0.25 0.25 0.25 0.25\nEND\n");
    testing::internal::CaptureStdout();
    m4.bubble("bubble4.itx", "bubble4_out.itx");
    testing::internal::GetCapturedStdout();
    const std::string t4 = readFile("bubble4_out.itx");
    EXPECT_NE(t4.find("x append  Pr   vs yCO2\nx dP = abs (dP) \n"), std::string::npos) << t4;
    EXPECT_EQ(t4.find("duplicate"), std::string::npos);
}

TEST(TwoPhaseDrivers, FlashesOfMeasuredPhases) {
    Binary b;
    writeFile("flash_in.itx", "IGOR\nWAVES T Pr xCO2 xC3H8 yCO2 yC3H8\nBEGIN\n260 10 0.3 0.7 0.7 0.3\nEND\n");
    testing::internal::CaptureStdout();
    b.m.flash("flash_in.itx", "flash_out.itx");
    testing::internal::GetCapturedStdout();
    DataTextFile out("flash_out.itx");
    ASSERT_EQ(out.set_index("T Pr xCO2exp    xCO2 yCO2exp yCO2 err"), 7);
    ASSERT_EQ(out.read(), 1);
    double T, P, xm, x0, ym, y0, err;
    out >> T >> P >> xm >> x0 >> ym >> y0 >> err;
    // Bulk = mean of the measured phases; the flash of Raoult's law.
    const double K0 = PsatCO2(260) / 1e6, K1 = PsatC3(260) / 1e6, a = K0 - 1, c = K1 - 1;
    const double Fv = -(0.5 * a + 0.5 * c) / (a * c);
    EXPECT_NEAR(x0, 0.5 / (1 + Fv * a), 1e-6);
    EXPECT_NEAR(y0, K0 * 0.5 / (1 + Fv * a), 1e-6);
    EXPECT_EQ(xm, 0.3);
    EXPECT_EQ(err, 0);
}

TEST(TwoPhaseDrivers, FlashIsothermByPressureSteps) {
    Binary b;
    b.m.bulk_composition(0.4, 0.6);
    testing::internal::CaptureStdout();
    b.m.flash1_isotherm("fiso", 260.0, 6.0, 1.0, nullptr);
    testing::internal::GetCapturedStdout();
    DataTextFile out("fiso");
    ASSERT_EQ(out.set_index("Tr Pr Fv xCO2 yCO2"), 5);
    int rows = 0;
    double lastP = 0;
    while (out.read()) {
        double T, P, Fv, x0, y0;
        out >> T >> P >> Fv >> x0 >> y0;
        const double K0 = PsatCO2(T) / (P * 1e5), K1 = PsatC3(T) / (P * 1e5), a = K0 - 1, c = K1 - 1;
        EXPECT_NEAR(Fv, -(0.4 * a + 0.6 * c) / (a * c), 1e-6) << P;
        EXPECT_NEAR(x0, 0.4 / (1 + Fv * a), 1e-6);
        EXPECT_GT(P, lastP);
        lastP = P;
        rows++;
    }
    EXPECT_FALSE(out.failed()) << out.error();
    EXPECT_GT(rows, 3);
    // Not beyond the bubble pressure of the bulk.
    EXPECT_LE(lastP * 1e5, 0.4 * PsatCO2(260) + 0.6 * PsatC3(260));
    const std::string text = readFile("fiso");
    EXPECT_NE(text.find("x rename Tr, Tfiso\n"), std::string::npos);
    EXPECT_NE(text.find("x rename zC3H8, zC3H8fiso\n"), std::string::npos);
}

TEST(TwoPhaseDrivers, BubbleIsothermOverTheCompositionRange) {
    Binary b;
    testing::internal::CaptureStdout();
    b.m.calculate_an_isotherm_of_the_binary_system("biso", 260.0, 0.0, 0.1, 0, 0, "a");
    testing::internal::GetCapturedStdout();
    DataTextFile out("biso");
    ASSERT_EQ(out.set_index("T Pr xCO2 yCO2 ic"), 5);
    int rows = 0;
    while (out.read()) {
        double T, P, x0, y0, ic;
        out >> T >> P >> x0 >> y0 >> ic;
        const double Pb = x0 * PsatCO2(T) + (1 - x0) * PsatC3(T);
        EXPECT_NEAR(P * 1e5, Pb, 1e-5 * Pb);
        EXPECT_NEAR(x0, 0.1 * rows, 1e-9);
        EXPECT_EQ(ic, rows);
        rows++;
    }
    EXPECT_FALSE(out.failed()) << out.error();
    EXPECT_EQ(rows, 11);  // x = 0 .. 1; the next step would leave the range
    const std::string text = readFile("biso");
    for (const char* line : {"x rename T, Ta\n", "x rename Pr, Pra\n", "x rename ic, ica\n", "x rename xCO2, xCO2a\n",
                             "x rename yC3H8, yC3H8a\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    // Not a binary: nothing is written.
    IdealMixture m3;
    m3.number_of_components(3);
    std::remove("biso3");
    m3.calculate_an_isotherm_of_the_binary_system("biso3", 260.0, 0.0, 0.1, 0, 0, "a");
    EXPECT_EQ(std::fopen("biso3", "r"), nullptr);
}

TEST(TwoPhaseDrivers, PseudoBinaryIsotherm) {
    IdealMixture m;
    m.number_of_components(3);
    m.add_components("CO2", "CH4", "C3H8");
    testing::internal::CaptureStdout();
    m.calculate_an_isotherm_of_the_pseudo_binary_system("piso", 230.0, 0.0, 0.25, 0.2, 0, 0, "p");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(m.aux, 0.25);
    DataTextFile out("piso");
    ASSERT_EQ(out.set_index("T Pr xCO2 xCH4 xC3H8"), 5);
    int rows = 0;
    while (out.read()) {
        double T, P, x0, x1, x2;
        out >> T >> P >> x0 >> x1 >> x2;
        EXPECT_NEAR(x1, 0.25 * (x0 + x1), 1e-9);  // the pair keeps its ratio
        IdealMixture probe;
        probe.number_of_components(3);
        probe.add_components("CO2", "CH4", "C3H8");
        const double Pb = x0 * probe.Psat(0, T) + x1 * probe.Psat(1, T) + x2 * probe.Psat(2, T);
        EXPECT_NEAR(P * 1e5, Pb, 1e-5 * Pb);
        rows++;
    }
    EXPECT_FALSE(out.failed()) << out.error();
    EXPECT_EQ(rows, 6);
}
