#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "numerics/Arrays.h"
#include "numerics/ConsoleInput.h"

namespace {

std::FILE* input(const std::string& text) {
    std::FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    return f;
}

TEST(Arrays, RowTablesAndVectorsAreZeroed) {
    double* v = allocate(5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(v[i], 0.0);
    delete[] v;
    double** a = allocate2(3, 4);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(a[i][j], 0.0);
    a[2][3] = 1.5;
    std::FILE* out = std::tmpfile();
    printMatrix(out, a, 3, 4);
    printVector(out, a[2], 4);
    std::rewind(out);
    char line[128];
    for (int i = 0; i < 3; ++i) ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    EXPECT_STREQ(line, "\t0.000000\t0.000000\t0.000000\t1.500000\n");
    ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    EXPECT_STREQ(line, "\t0.000000\t0.000000\t0.000000\t1.500000\n");
    std::fclose(out);
    dispose(a, 3);
    dispose(nullptr, 3);
}

TEST(Arrays, TriangularTablesHoldNonIncreasingIndexes) {
    // Every stored entry is written once and read back; the sanitizer build
    // shows that each level has exactly the entries it should.
    const int n = 4;
    double** a2 = sym2alloc(n);
    double*** a3 = sym3alloc(n);
    double**** a4 = sym4alloc(n);
    double***** a5 = sym5alloc(n);
    int count2 = 0, count5 = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            EXPECT_EQ(a2[i][j], 0.0);
            a2[i][j] = 10 * i + j;
            ++count2;
            for (int k = 0; k <= j; ++k) {
                a3[i][j][k] = 100 * i + 10 * j + k;
                for (int l = 0; l <= k; ++l) {
                    a4[i][j][k][l] = 1.0;
                    for (int m = 0; m <= l; ++m) {
                        EXPECT_EQ(a5[i][j][k][l][m], 0.0);
                        a5[i][j][k][l][m] = i + j + k + l + m;
                        ++count5;
                    }
                }
            }
        }
    EXPECT_EQ(count2, 10);  // n(n+1)/2
    EXPECT_EQ(count5, 56);  // C(n+4, 5)
    EXPECT_EQ(a2[2][0], 20.0);
    EXPECT_EQ(a3[3][2][1], 321.0);
    EXPECT_EQ(a5[3][3][3][3][3], 15.0);
    dispose_sym2(a2, n);
    dispose_sym3(a3, n);
    dispose_sym4(a4, n);
    dispose_sym5(a5, n);
    dispose_sym3(nullptr, n);
    dispose_sym5(nullptr, n);
}

TEST(Arrays, ANegativeSizeIsReportedAndGivesAnEmptyTable) {
    ::testing::internal::CaptureStderr();
    double* v = allocate(-1);
    double** a = allocate2(-2, 3);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(v, nullptr);
    EXPECT_NE(a, nullptr);
    delete[] v;
    dispose(a, 0);
    EXPECT_NE(err.find("Array of -1 elements asked for"), std::string::npos) << err;
    EXPECT_NE(err.find("Array of -2 elements asked for"), std::string::npos) << err;
}

TEST(ConsoleInput, DefaultsAndConversions) {
    struct Case {
        const char* text;
        double expected;
    } doubles[] = {{"\n", 0.5}, {"", 0.5}, {"\r", 0.5}, {"abc\n", 0.0}, {"2.5e3 bar\n", 2500.0},
                   {"-7", -7.0}};
    for (const auto& c : doubles) {
        std::FILE* in = input(c.text);
        EXPECT_EQ(getDouble(0.5, in), c.expected) << c.text;
        std::fclose(in);
    }
    std::FILE* in = input("\n12\n-3x\n99999999999999\nabc\n");
    EXPECT_EQ(getInteger(7, in), 7);
    EXPECT_EQ(getInteger(7, in), 12);
    EXPECT_EQ(getInteger(7, in), -3);
    EXPECT_EQ(getInteger(7, in), INT_MAX);
    EXPECT_EQ(getInteger(7, in), 0);
    EXPECT_EQ(getInteger(7, in), 7);  // end of input
    std::fclose(in);
}

TEST(ConsoleInput, LongLinesStayInTheBufferAndLinesAreKeptApart) {
    std::string longLine = "1" + std::string(1000, '2') + "\n5\n";
    std::FILE* in = input(longLine);
    // The first 254 characters are converted; the rest of the line is dropped.
    EXPECT_DOUBLE_EQ(getDouble(0.0, in), std::stod("1" + std::string(253, '2')));
    EXPECT_EQ(getInteger(0, in), 5);
    std::fclose(in);

    // A carriage return alone ends a line and leaves a following newline.
    in = input("4\r\n");
    EXPECT_EQ(getInteger(0, in), 4);
    EXPECT_EQ(getInteger(9, in), 9);
    std::fclose(in);
}

TEST(ConsoleInput, GetChar) {
    std::FILE* in = input("n\n\nyes\n7\n");
    EXPECT_EQ(getChar('y', in), 'n');   // consumes "n\n"
    EXPECT_EQ(getChar('y', in), 'y');   // empty line
    EXPECT_EQ(getChar('n', in), 'y');   // "yes": the rest of the line is dropped
    EXPECT_EQ(getInteger(0, in), 7);
    EXPECT_EQ(getChar('q', in), 'q');   // end of input
    std::fclose(in);
}

TEST(ConsoleInput, MacIgorDir) {
    EXPECT_EQ(macIgorDir("/Users/a/run"), "Macintosh HD:Users:a:run:");
    std::string here = getMacIgorDir();
    EXPECT_EQ(here.rfind("Macintosh HD:", 0), 0u);
    EXPECT_EQ(here.back(), ':');
    EXPECT_EQ(here.find('/'), std::string::npos);
}

}  // namespace
