#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "numerics/Arrays.h"

namespace {

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

}  // namespace
