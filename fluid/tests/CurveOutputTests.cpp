#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "numerics/DataTextFile.h"

namespace {

namespace fs = std::filesystem;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<double> readDoubles(const std::string& path) {
    const std::string bytes = slurp(path);
    std::vector<double> v(bytes.size() / sizeof(double));
    std::memcpy(v.data(), bytes.data(), v.size() * sizeof(double));
    return v;
}

// A little saturation-like curve: 4 columns, 3 rows, with a missing value.
const std::vector<std::string> kNames = {"P", "Vl", "Vv", "T"};
const std::vector<std::vector<double>> kRows = {
    {1.5, 18.0625, -2.25e-7, 300},
    {123456, 3e300, kNaN, 1e-5},
    {-0.5, 0, 7.125, 647.096},
};

void writeCurve(int mode, const std::string& path, const char* suffix, std::vector<double>* array,
                CurveLayout layout = {}) {
    CurveOutput out(mode, path, suffix, kNames, array, std::move(layout));
    for (const auto& r : kRows) out.writeRow(r);
}

bool sameValue(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

TEST(CurveOutput, IgorTextLayoutAndReadBack) {
    writeCurve(kIgorTextFile, "satu0", "0", nullptr);
    const std::string text = slurp("satu0");
    EXPECT_EQ(text.substr(0, text.find("BEGIN")),
              "IGOR\nWAVES     P0          Vl0          Vv0           T0\n");
    EXPECT_NE(text.find("BEGIN\n         1.5      18.0625    -2.25e-07          300\n"), std::string::npos);
    EXPECT_NE(text.find("      123456       3e+300          nan        1e-05\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "END\n");

    // The column reader gets back the wave names (with the suffix) and the values.
    DataTextFile f("satu0");
    ASSERT_TRUE(f.is_open());
    EXPECT_TRUE(f.is_igor());
    ASSERT_EQ(f.columns(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(f.column_names()(i), kNames[static_cast<std::size_t>(i)] + "0");
    ASSERT_EQ(f.set_index("P0 Vl0 Vv0 T0"), 4);
    EXPECT_EQ(f.count_items(), 3);
    for (const auto& r : kRows) {
        ASSERT_EQ(f.read(), 1);
        for (std::size_t c = 0; c < r.size(); ++c) {
            double v;
            f >> v;
            if (std::isnan(r[c])) {
                EXPECT_FALSE(f.selected_valid(static_cast<int>(c)));
            } else {
                EXPECT_EQ(v, r[c]);
            }
        }
    }
    EXPECT_EQ(f.read(), 0);
    EXPECT_FALSE(f.failed());

    // Values with more digits come back to the six significant digits of "%12lg";
    // an empty suffix gives the bare names.
    {
        CurveOutput out(kIgorTextFile, "pi.itx", "", {"x", "y"}, nullptr);
        out.writeValues(M_PI, -1.0 / 3.0);
        out.writeValues(6.02214076e23, 1);
    }
    DataTextFile g("pi.itx");
    ASSERT_EQ(g.set_index("x y"), 2);
    double x, y;
    ASSERT_EQ(g.read(), 1);
    g >> x >> y;
    EXPECT_NEAR(x, M_PI, 5e-6 * M_PI);
    EXPECT_NEAR(y, -1.0 / 3.0, 5e-6);
    ASSERT_EQ(g.read(), 1);
    g >> x >> y;
    EXPECT_NEAR(x, 6.02214076e23, 5e-6 * 6.02214076e23);
    EXPECT_EQ(y, 1);
    EXPECT_EQ(g.read(), 0);
    EXPECT_FALSE(g.failed());
}

TEST(CurveOutput, ColumnTextLayoutAndReadBack) {
    writeCurve(kColumnTextFile, "satu.txt", "0", nullptr);
    const std::string text = slurp("satu.txt");
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), "#        P(1)        Vl(2)        Vv(3)         T(4)\n");
    EXPECT_EQ(text.find("END"), std::string::npos);
    EXPECT_EQ(text.find("IGOR"), std::string::npos);

    DataTextFile f("satu.txt");
    ASSERT_TRUE(f.is_open());
    EXPECT_FALSE(f.is_igor());
    ASSERT_EQ(f.columns(), 4);
    EXPECT_STREQ(f.column_names()(0), "P(1)");
    ASSERT_EQ(f.set_index("T(4) P(1)"), 2);
    std::size_t n = 0;
    double T, P;
    while (f.read()) {
        f >> T >> P;
        EXPECT_EQ(T, kRows[n][3]);
        EXPECT_EQ(P, kRows[n][0]);
        ++n;
    }
    EXPECT_EQ(n, kRows.size());
    EXPECT_FALSE(f.failed());
}

TEST(CurveOutput, BinaryModesWriteRawDoubles) {
    // Mode 5: rows as they come, exactly 8 x columns x rows bytes.
    {
        CurveOutput out(kBinaryRows, "satu.bin", "0", kNames, nullptr);
        for (const auto& r : kRows) out.writeRow(r);
        out.writeRow(kRows[0]);
    }
    EXPECT_EQ(fs::file_size("satu.bin"), 8u * 4 * 4);
    std::vector<double> back = readDoubles("satu.bin");
    ASSERT_EQ(back.size(), 16u);
    for (std::size_t i = 0; i < 12; ++i) EXPECT_TRUE(sameValue(back[i], kRows[i / 4][i % 4])) << i;

    // A 28-column tracer row gives 224 bytes a row.
    {
        std::vector<std::string> names(28, "c");
        CurveOutput out(kBinaryRows, "wide.bin", nullptr, names, nullptr);
        std::vector<double> row(28, 2.5);
        for (int i = 0; i < 5; ++i) out.writeRow(row);
    }
    EXPECT_EQ(fs::file_size("wide.bin"), 224u * 5);

    // Mode 4: nothing on disk until the output is closed, then the same bytes.
    {
        CurveOutput out(kCollectedRows, "satu.mem", "0", kNames, nullptr);
        for (const auto& r : kRows) out.writeRow(r);
        EXPECT_FALSE(fs::exists("satu.mem"));
        EXPECT_TRUE(out.close());
        EXPECT_EQ(fs::file_size("satu.mem"), 8u * 4 * 3);
        EXPECT_FALSE(out.writeRow(kRows[0]));  // closed
    }
    EXPECT_EQ(fs::file_size("satu.mem"), 8u * 4 * 3);
    back = readDoubles("satu.mem");
    for (std::size_t i = 0; i < back.size(); ++i) EXPECT_TRUE(sameValue(back[i], kRows[i / 4][i % 4])) << i;

    // A trace that finds no point still leaves its (empty) file.
    { CurveOutput out(kCollectedRows, "empty.mem", "", kNames, nullptr); }
    EXPECT_TRUE(fs::exists("empty.mem"));
    EXPECT_EQ(fs::file_size("empty.mem"), 0u);
}

TEST(CurveOutput, ArrayModeAppendsRowAfterRow) {
    std::vector<double> array = {42.0};  // not cleared first
    writeCurve(kArrayOfValues, "unused", "0", &array);
    ASSERT_EQ(array.size(), 1u + 12u);
    EXPECT_EQ(array[0], 42.0);
    for (std::size_t i = 0; i < 12; ++i) EXPECT_TRUE(sameValue(array[1 + i], kRows[i / 4][i % 4])) << i;
    EXPECT_FALSE(fs::exists("unused"));

    // Without an array mode 6 keeps nothing and says so; the trace goes on.
    testing::internal::CaptureStderr();
    {
        CurveOutput out(kArrayOfValues, "unused", "0", kNames, nullptr);
        EXPECT_FALSE(out.ok());
        EXPECT_FALSE(out.writeRow(kRows[0]));
    }
    EXPECT_NE(testing::internal::GetCapturedStderr().find("without an array"), std::string::npos);
}

TEST(CurveOutput, OtherModesWriteNothing) {
    std::vector<double> array = {1.0};
    for (int mode : {0, 3, 7, 8, 100, -1}) {
        SCOPED_TRACE(mode);
        const std::string path = "nothing" + std::to_string(mode);
        {
            CurveOutput out(mode, path, "0", kNames, &array);
            EXPECT_EQ(out.mode(), 0);
            for (const auto& r : kRows) EXPECT_TRUE(out.writeRow(r));
            out.writeText("text\n");
            EXPECT_TRUE(out.ok());
        }
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_EQ(array.size(), 1u);
    // Text of the tracer's own goes only to the text modes.
    {
        CurveOutput out(kBinaryRows, "bin.txt", "", {"a"}, nullptr);
        out.writeText("nan\n");
        out.writeValues(1);
    }
    EXPECT_EQ(fs::file_size("bin.txt"), 8u);
}

TEST(CurveOutput, TracerLayouts) {
    // Spinodal widths, tab separators, own number formats and a closing blank.
    CurveLayout spin;
    spin.firstNameWidth = 6;
    spin.nameWidth = 12;
    spin.nameSeparator = "\t";
    spin.value = {12, 4, 'f'};
    spin.columnFormats = {{12, 2, 'f'}};
    spin.valueSeparator = "\t";
    spin.rowEnd = " \n";
    {
        CurveOutput out(kIgorTextFile, "spin.itx", "_a", {"T", "P"}, nullptr, spin);
        out.writeValues(500, 12.345678);
        out.writeText("nan\tnan\n\n");
    }
    EXPECT_EQ(slurp("spin.itx"),
              "IGOR\nWAVES      T_a\t           P_a\nBEGIN\n      500.00\t     12.3457 \nnan\tnan\n\nEND\n");
    DataTextFile f("spin.itx");  // the tracer's "nan" row and blank line read back as well
    ASSERT_EQ(f.set_index("P_a T_a"), 2);
    EXPECT_EQ(f.count_items(), 2);
    double P, T;
    ASSERT_EQ(f.read(), 1);
    f >> P >> T;
    EXPECT_EQ(P, 12.3457);
    EXPECT_EQ(T, 500);
    ASSERT_EQ(f.read(), 1);
    EXPECT_FALSE(f.selected_valid(0));
    EXPECT_EQ(f.read(), 0);
    EXPECT_FALSE(f.failed());

    // The "# " header with the named waves instead of numbers.
    CurveLayout named;
    named.numberedNames = false;
    { CurveOutput out(kColumnTextFile, "named.txt", "x", {"T", "P"}, nullptr, named); }
    EXPECT_EQ(slurp("named.txt"), "#     Tx           Px\n");

    // Text-only tracers: 1 is Igor, everything else the "# " layout.
    CurveLayout textOnly;
    textOnly.textModesOnly = true;
    for (int mode : {0, 4, 6, 9}) {
        CurveOutput out(mode, "cono", "", {"T"}, nullptr, textOnly);
        EXPECT_EQ(out.mode(), kColumnTextFile);
    }
    EXPECT_EQ(slurp("cono"), "#        T(1)\n");

    // A tracer that writes its own header.
    CurveLayout own;
    own.writeHeader = false;
    {
        CurveOutput out(kIgorTextFile, "own.itx", "", {"T"}, nullptr, own);
        out.writeText("IGOR\nWAVES T\nBEGIN\n");
        out.writeValues(1);
    }
    EXPECT_EQ(slurp("own.itx"), "IGOR\nWAVES T\nBEGIN\n           1\nEND\n");
}

TEST(CurveOutput, FailuresAreReportedAndTheTraceGoesOn) {
    testing::internal::CaptureStderr();
    {
        CurveOutput out(kIgorTextFile, "no-such-folder/satu0", "0", kNames, nullptr);
        EXPECT_FALSE(out.ok());
        EXPECT_FALSE(out.writeRow(kRows[0]));
        EXPECT_FALSE(out.close());
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Cannot write no-such-folder/satu0: "), std::string::npos) << err;

    testing::internal::CaptureStderr();
    {
        CurveOutput out(kCollectedRows, "no-such-folder/satu.mem", "0", kNames, nullptr);
        EXPECT_TRUE(out.writeRow(kRows[0]));
        EXPECT_FALSE(out.close());
    }
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Cannot write no-such-folder/satu.mem: "), std::string::npos) << err;

    // A row that does not match the columns is refused, the others are kept.
    testing::internal::CaptureStderr();
    std::vector<double> array;
    {
        CurveOutput out(kArrayOfValues, "", nullptr, {"a", "b"}, &array);
        EXPECT_FALSE(out.writeRow({1.0}));
        EXPECT_TRUE(out.writeRow({1.0, 2.0}));
        EXPECT_EQ(out.rowsWritten(), 1u);
    }
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("a row of 1 values for 2 columns"), std::string::npos) << err;
    EXPECT_EQ(array, (std::vector<double>{1.0, 2.0}));

    // An early return still closes the Igor file with "END".
    auto tracer = [](bool findsFirstPoint) {
        CurveOutput out(kIgorTextFile, CurveOutput::fileName("crit", "_x"), "_x", {"T"}, nullptr);
        if (!findsFirstPoint) return false;
        out.writeValues(1);
        return true;
    };
    EXPECT_FALSE(tracer(false));
    EXPECT_EQ(slurp("crit_x"), "IGOR\nWAVES     T_x\nBEGIN\nEND\n");
    DataTextFile f("crit_x");
    f.set_index("T_x");
    EXPECT_EQ(f.read(), 0);
    EXPECT_FALSE(f.failed());
}

TEST(CurveOutput, ValueFormatsMatchPrintf) {
    const double values[] = {0.0, -0.0, 1.0, 0.1, 1e-5, 1.234567e-4, 123456.7, 1234567.0, 1e300, -2.5e-308};
    char buf[64];
    for (double v : values) {
        std::string s;
        CurveOutput::formatValue(s, v, {});
        std::snprintf(buf, sizeof buf, "%12lg", v);
        EXPECT_EQ(s, buf);
        s.clear();
        CurveOutput::formatValue(s, v, {12, 4, 'f'});
        std::snprintf(buf, sizeof buf, "%12.4f", v);
        if (std::abs(v) < 1e20) {
            EXPECT_EQ(s, buf);
        }
        s.clear();
        CurveOutput::formatValue(s, v, {14, 3, 'e'});
        std::snprintf(buf, sizeof buf, "%14.3e", v);
        EXPECT_EQ(s, buf);
    }
    std::string s;
    CurveOutput::formatValue(s, std::numeric_limits<double>::infinity(), {});
    EXPECT_EQ(s, "         inf");
}

}  // namespace
