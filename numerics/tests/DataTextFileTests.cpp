#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "numerics/DataTextFile.h"
#include "numerics/MsgList.h"
#include "platform/LogSink.h"

namespace {

// Keeps what library code writes to the log.
class RecordingSink : public platform::LogSink {
public:
    RecordingSink() { platform::setLogSink(this); }
    ~RecordingSink() override { platform::setLogSink(nullptr); }
    void appendText(const std::string& t) override { text += t; }
    void appendRTF(const std::string& r) override { text += r; }
    void appendDiagnostic(const std::string& d) override { diagnostics += d; }
    std::string text, diagnostics;
};

std::string writeFile(const std::string& name, const std::string& content) {
    std::ofstream(name, std::ios::binary) << content;
    return name;
}

// Reads every row of the selected columns; returns the rows read.
std::vector<std::vector<double>> readAll(DataTextFile& f, int n) {
    std::vector<std::vector<double>> rows;
    while (f.read()) {
        std::vector<double> r(static_cast<std::size_t>(n));
        for (auto& v : r) f >> v;
        rows.push_back(r);
    }
    return rows;
}

TEST(MsgList, AppendFindAndIndex) {
    MsgList list;
    EXPECT_EQ(list.head(), nullptr);
    EXPECT_EQ(list(0), nullptr);
    list.append("T");
    list.append("P");
    list.append("T");
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.head()->name, "T");
    EXPECT_EQ(list.tail()->index, 2);
    EXPECT_EQ(list.head()->next->name, "P");
    EXPECT_EQ(list.get_index("T"), 0);  // the first entry of that name
    EXPECT_EQ(list.get_index("P"), 1);
    EXPECT_EQ(list.get_index("V"), -1);
    EXPECT_EQ(list.get_index("T "), -1);  // names compare exactly
    EXPECT_EQ(list.exist("P"), 1);
    EXPECT_EQ(list.exist("p"), 0);
    EXPECT_STREQ(list(1), "P");
    EXPECT_EQ(list(3), nullptr);
    EXPECT_EQ(list(-1), nullptr);
}

TEST(DataTextFile, PlainColumnsReadToTheEndOfTheFile) {
    writeFile("plain.txt", "T  P\tV\n300 1.5 18.0\n  310\t2.5e0  -1e-3\n\n320 3 4\n");
    DataTextFile f("plain.txt");
    ASSERT_TRUE(f.is_open());
    EXPECT_FALSE(f.is_igor());
    EXPECT_EQ(f.columns(), 3);
    EXPECT_STREQ(f.column_names()(2), "V");
    ASSERT_EQ(f.set_index("V T P"), 3);
    auto rows = readAll(f, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (std::vector<double>{-1e-3, 310, 2.5}));
    EXPECT_EQ(rows[2], (std::vector<double>{4, 320, 3}));
    EXPECT_FALSE(f.failed());
    EXPECT_EQ(f.read(), 0);  // stays at the end

    // "/D" after the first name is dropped; "END" ends a plain file too.
    writeFile("plainD.txt", "x /D y\n1 2\nEND\n3 4\n");
    DataTextFile g("plainD.txt");
    EXPECT_EQ(g.columns(), 2);
    EXPECT_STREQ(g.column_names()(1), "y");
    g.set_index("y");
    EXPECT_EQ(readAll(g, 1).size(), 1u);
    EXPECT_FALSE(g.failed());

    // The "# " header of the column text files: the mark is no column.
    writeFile("gnuplot.txt", "#        P(1)        T(2)\n  1 2\n  3 4\n");
    DataTextFile m("gnuplot.txt");
    EXPECT_EQ(m.columns(), 2);
    ASSERT_EQ(m.set_index("T(2)"), 1);
    auto mrows = readAll(m, 1);
    ASSERT_EQ(mrows.size(), 2u);
    EXPECT_EQ(mrows[1][0], 4);
    EXPECT_FALSE(m.failed());

    // A single name and nothing else on the first line is a file of one column.
    writeFile("single.txt", "T\n1\n2\n");
    DataTextFile h("single.txt");
    EXPECT_EQ(h.columns(), 1);
    h.set_index("T");
    EXPECT_EQ(readAll(h, 1).size(), 2u);
}

TEST(DataTextFile, IgorHeaderCommandsWavesAndEnd) {
    RecordingSink log;
    writeFile("igor.itx",
              "IGOR\n\nX // a comment\nx SetDataFolder root:\nWAVES /D    P     T\nBEGIN\n"
              "1.5 NaN\n2.5 300\nEND\nx Display T vs P\nWAVES/T names\nBEGIN\n\"a\"\nEND\n");
    DataTextFile f("igor.itx");
    ASSERT_TRUE(f.is_open());
    EXPECT_TRUE(f.is_igor());
    // The rest of the "x" line with its own line end, then one more.
    EXPECT_EQ(log.text, " SetDataFolder root:\n\n");
    EXPECT_EQ(f.columns(), 2);
    ASSERT_EQ(f.set_index("T\tP"), 2);
    double T = 0, P = 0;
    ASSERT_EQ(f.read(), 1);
    f >> T >> P;
    EXPECT_TRUE(std::isinf(T) && T > 0);  // a missing value reads as +infinity ...
    EXPECT_FALSE(f.selected_valid(0));    // ... flagged as not read
    EXPECT_TRUE(f.selected_valid(1));
    EXPECT_EQ(f.is_valid(0), 1);
    EXPECT_EQ(f.is_valid(1), 0);
    EXPECT_EQ(P, 1.5);
    ASSERT_EQ(f.read(), 1);
    f >> T >> P;
    EXPECT_EQ(T, 300);
    EXPECT_EQ(f.read(), 0);  // "END": later blocks are not read
    EXPECT_EQ(f.read(), 0);
    EXPECT_FALSE(f.failed());
    EXPECT_EQ(f.rows_read(), 2);
}

TEST(DataTextFile, SelectionOrderAndUnknownNames) {
    writeFile("sel.itx", "IGOR\nWAVES P T\nBEGIN\n10 20\nEND\n");
    DataTextFile f("sel.itx");
    EXPECT_EQ(f.set_index("T\tP"), 2);
    EXPECT_EQ(f.set_index("P nope T"), 0);  // stops at the unknown name; P stays selected
    EXPECT_EQ(f.selected_count(), 3);
    ASSERT_EQ(f.read(), 1);
    double a, b, c;
    f >> a >> b >> c;
    EXPECT_EQ(a, 20);
    EXPECT_EQ(b, 10);
    EXPECT_EQ(c, 10);
    EXPECT_FALSE(f.failed());

    EXPECT_EQ(f.set_index(static_cast<const char*>(nullptr)), 0);

    DataTextFile closed;
    EXPECT_EQ(closed.set_index("T"), 0);
    EXPECT_EQ(closed.read(), 0);
}

TEST(DataTextFile, ExtractionBeyondTheSelectionAndShorts) {
    RecordingSink log;
    writeFile("ext.txt", "a b c\n-2.7 40000 nan\n");
    DataTextFile f("ext.txt");
    f.set_index("a");
    ASSERT_EQ(f.read(), 1);
    short s = 99;
    f >> s;
    EXPECT_EQ(s, -2);  // toward zero
    double extra = 0;
    f >> extra;  // only one column was selected: reported, the process goes on
    EXPECT_TRUE(std::isnan(extra));
    EXPECT_TRUE(f.failed());
    EXPECT_NE(log.diagnostics.find("Read Data File Error\n"), std::string::npos);
    EXPECT_NE(log.diagnostics.find("selected"), std::string::npos);

    DataTextFile g("ext.txt");
    g.set_index("b c");
    ASSERT_EQ(g.read(), 1);
    testing::internal::CaptureStderr();
    g >> s;  // 40000 is no short
    EXPECT_EQ(s, 0);
    g >> s;  // a missing value is no short either
    EXPECT_EQ(s, 0);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(g.failed());
}

TEST(DataTextFile, CountItemsCountsTheDataRowsOnly) {
    writeFile("count.itx",
              "IGOR\nWAVES a b\nBEGIN\n1 2\n\n3 4\n5 6\nEND\nx Display a\nX // note\nWAVES c\nBEGIN\n7\nEND\n");
    DataTextFile f("count.itx");
    EXPECT_EQ(f.rows(), DataTextFile::kUncounted);
    EXPECT_EQ(f.count_items(), 3);
    EXPECT_EQ(f.rows(), 3);
    f.set_index("b");
    auto rows = readAll(f, 1);  // the position was restored
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][0], 6);
    EXPECT_FALSE(f.failed());

    // A last line without a line end is a row like the others.
    writeFile("count.txt", "a\n1\n2\n3");
    DataTextFile g("count.txt");
    ASSERT_EQ(g.read(), 1);
    EXPECT_EQ(g.count_items(), 2);  // counted from the current position
    g.set_index("a");
    EXPECT_EQ(readAll(g, 1).size(), 2u);
    EXPECT_FALSE(g.failed());
}

TEST(DataTextFile, MoreRowsThanASixteenBitCounter) {
    const int n = 70000;
    {
        std::ofstream out("many.itx");
        out << "IGOR\nWAVES i\nBEGIN\n";
        for (int i = 0; i < n; ++i) out << i << '\n';
        out << "END\n";
    }
    DataTextFile f("many.itx");
    EXPECT_EQ(f.count_items(), n);
    f.set_index("i");
    long k = 0;
    double v = 0;
    while (f.read()) {
        f >> v;
        ASSERT_EQ(v, static_cast<double>(k));
        ++k;
    }
    EXPECT_EQ(k, n);
    EXPECT_EQ(f.rows_read(), n);
    EXPECT_FALSE(f.failed());
}

TEST(DataTextFile, CarriageReturnsAndLocaleFreeNumbers) {
    writeFile("crlf.txt", "a\tb\r\n1.25\t-3e2\r\n+4 inf\r\n");
    DataTextFile f("crlf.txt");
    EXPECT_EQ(f.columns(), 2);
    EXPECT_STREQ(f.column_names()(1), "b");
    f.set_index("a b");
    auto rows = readAll(f, 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], -300);
    EXPECT_EQ(rows[1][0], 4);
    EXPECT_TRUE(std::isinf(rows[1][1]));
    EXPECT_FALSE(f.failed());
}

// Every malformed file is reported with a message and a failure result.
struct Malformed {
    const char* what;
    std::string content;
    int rowsBefore;           // good rows delivered before the fault
    const char* message;      // part of the message
};

TEST(DataTextFile, MalformedFilesAreReportedNeverFatal) {
    const std::string longLine(DataTextFile::kMaxLineLength + 10, '1');
    const std::string longToken(DataTextFile::kMaxTokenLength + 1, '2');
    const std::vector<Malformed> cases = {
        {"empty", "", 0, "empty"},
        {"blank", " \n\t\n", 0, "empty"},
        {"no BEGIN", "IGOR\nWAVES a b\n1 2\n", 0, "BEGIN"},
        {"no names", "IGOR\nWAVES\nBEGIN\n1\nEND\n", 0, "no wave names"},
        {"mark only", "#\n1\n", 0, "no column names"},
        {"flag glued", "IGOR\nWAVES/D a b\nBEGIN\n1 2\nEND\n", 0, "no wave names"},
        {"short row", "IGOR\nWAVES a b c\nBEGIN\n1 2 3\n4 5\n6 7 8\nEND\n", 1, "a row of 2 values"},
        {"long row", "a b\n1 2\n3 4 5\n", 1, "a row of 3 values"},
        {"text cell", "a b\n1 2\n3 abc\n", 1, "\"abc\" in column 2 (b) is not a number"},
        {"trailing text", "a b\n1 2x\n", 0, "\"2x\" in column 2 (b) is not a number"},
        {"comma", "a\n1,5\n", 0, "not a number"},
        {"overflow", "a\n1e999\n", 0, "out of the range"},
        {"missing END", "IGOR\nWAVES a\nBEGIN\n1\n2\n", 2, "without \"END\" after 2 rows"},
        {"truncated", "IGOR\nWAVES a b\nBEGIN\n1 2\n3", 1, "a row of 1 values"},
        {"long data line", "a\n1\n" + longLine + "\n2\n", 1, "longer than"},
        {"long header line", "IGOR\nWAVES " + longLine + "\nBEGIN\n", 0, "longer than"},
        {"long value", "a\n" + longToken + "\n", 0, "longer than"},
        {"long name", longToken + "\n1\n", 0, "longer than"},
        {"binary", std::string("a\n\x01\x02\0\x7f\n", 6), 0, "not a number"},
    };
    int k = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = "bad" + std::to_string(k++) + ".dat";
        writeFile(name, c.content);
        testing::internal::CaptureStderr();
        DataTextFile f(name);
        f.set_index(f.column_names()(0) ? f.column_names()(0) : "");
        int rows = 0;
        double v;
        while (f.read()) {
            f >> v;
            ++rows;
        }
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(rows, c.rowsBefore);
        EXPECT_TRUE(f.failed());
        EXPECT_NE(f.error().find(c.message), std::string::npos) << f.error();
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_NE(f.error().find(name), std::string::npos);
        EXPECT_EQ(f.read(), 0);
    }
}

TEST(DataTextFile, MissingFilesAndDirectories) {
    RecordingSink log;
    DataTextFile f("no-such-file.itx");
    EXPECT_FALSE(f.is_open());
    EXPECT_TRUE(f.failed());
    EXPECT_EQ(log.diagnostics, "\nFile no-such-file.itx not found\n");
    EXPECT_EQ(f.read(), 0);
    EXPECT_EQ(f.count_items(), -1);

    std::filesystem::create_directories("a-folder");
    testing::internal::CaptureStderr();
    DataTextFile d("a-folder");
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(d.failed());
    EXPECT_EQ(d.read(), 0);

    DataTextFile n;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(n.open(static_cast<const char*>(nullptr)));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(n.failed());

    // The same reader opens a good file afterwards, and forgets the failure.
    writeFile("good.txt", "a\n1\n");
    EXPECT_TRUE(n.open("good.txt"));
    EXPECT_FALSE(n.failed());
    n.set_index("a");
    EXPECT_EQ(readAll(n, 1).size(), 1u);
}

}  // namespace
