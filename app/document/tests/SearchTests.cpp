#include <gtest/gtest.h>

#include <fstream>

#include "app/document/ArrayAdditions.h"

namespace {

const std::vector<double> kTable{0, 10, 1, 20, 2, 30};  // rows (0, 10), (1, 20), (2, 30)

TEST(Search, AllCrossingsInterpolateEveryColumn) {
    EXPECT_EQ(search(kTable, 2, 0, 0.5), (std::vector<double>{0.5, 15}));
    // An exact hit on a row is reported once.
    EXPECT_EQ(search(kTable, 2, 0, 1.0), (std::vector<double>{1, 20}));
    EXPECT_EQ(search(kTable, 2, 1, 25.0), (std::vector<double>{1.5, 25}));
    EXPECT_TRUE(search(kTable, 2, 0, 3.0).empty());
    // A key that rises and falls again crosses v once per passage.
    std::vector<double> hill{0, 0, 1, 2, 2, 4, 1, 6, 0, 8};
    EXPECT_EQ(search(hill, 2, 0, 0.5), (std::vector<double>{0.5, 1, 0.5, 7}));
    // Intervals with equal keys are never interpolated, even at v.
    std::vector<double> flat{1, 0, 1, 5, 2, 9};
    EXPECT_EQ(search(flat, 2, 0, 1.0), (std::vector<double>{}));
    // Bad shapes give nothing rather than reading outside the table.
    EXPECT_TRUE(search(kTable, 0, 0, 1.0).empty());
    EXPECT_TRUE(search(kTable, 2, 5, 1.0).empty());
    EXPECT_TRUE(search({1.0}, 2, 0, 1.0).empty());
}

TEST(Search, FirstCrossingOfOneColumn) {
    bool found = false;
    EXPECT_DOUBLE_EQ(search(kTable, 2, 0, 1, 1.5, &found), 25.0);
    EXPECT_TRUE(found);
    EXPECT_DOUBLE_EQ(search(kTable, 2, 0, 1, 3.0, &found), 0.0);
    EXPECT_FALSE(found);
    // Without the exact-hit skip: v on a row is found in the interval that ends there.
    EXPECT_DOUBLE_EQ(search(kTable, 2, 0, 1, 1.0, &found), 20.0);
    EXPECT_TRUE(found);
    std::vector<double> falling{5, 0, 3, 1, 1, 2};
    EXPECT_DOUBLE_EQ(search(falling, 2, 0, 1, 4.0, &found), 0.5);
    EXPECT_DOUBLE_EQ(search(kTable, 2, 0, 7, 1.0, &found), 0.0);
    EXPECT_FALSE(found);
}

TEST(ArrayWithDataInFile, ReadsRawDoublesAndIgnoresTrailingBytes) {
    {
        std::ofstream out("doubles.bin", std::ios::binary);
        const double v[3] = {1.5, -2.25, 6.8e-08};
        out.write(reinterpret_cast<const char*>(v), sizeof v);
        out.write("abcde", 5);
    }
    EXPECT_EQ(arrayWithDataInFile("doubles.bin"), (std::vector<double>{1.5, -2.25, 6.8e-08}));
    EXPECT_TRUE(arrayWithDataInFile("no-such-resource").empty());
}

}  // namespace
