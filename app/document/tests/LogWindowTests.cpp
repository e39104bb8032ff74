#include <gtest/gtest.h>

#include <cstdlib>

#include <QFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <random>

#include "QtTestApp.h"
#include "app/document/CLogWindow.h"
#include "app/document/ChamberCalculator.h"
#include "app/document/RtfReader.h"
#include "app/document/StringFormat.h"
#include "platform/Utf8.h"

namespace {

// The character format at the first occurrence of text in the log.
QTextCharFormat formatOf(const CLogWindow& log, const QString& text) {
    QTextCursor c = log.document()->find(text);
    EXPECT_FALSE(c.isNull()) << text.toStdString();
    QTextCursor at(log.document());
    at.setPosition(c.selectionStart() + 1);  // the format of the character after the position
    return at.charFormat();
}

class LogWindowTest : public ::testing::Test {
protected:
    void SetUp() override { qtTestApp(); }
};

TEST_F(LogWindowTest, RTFHeaderIsTheFixedBlockStart) {
    std::string h = CLogWindow::kRTFHeader;
    EXPECT_EQ(h.size(), 172u);
    EXPECT_EQ(h.substr(h.size() - 12), "\\f0\\fs24\\cf0");
    CLogWindow log;
    log.beginEditingRTF();
    log.appendRTF("\\b Bold\\b0\\par ");
    EXPECT_EQ(log.pendingRTF(), h + "\\b Bold\\b0\\par ");
    log.endEditingRTF();
    EXPECT_FALSE(log.isEditingRTF());
    EXPECT_TRUE(log.pendingRTF().empty());
}

TEST_F(LogWindowTest, PlainAppendsFollowTheEmptyLogRule) {
    CLogWindow log;
    // The blank set on an empty log stays right behind the first string;
    // the newline of the same call goes after it.
    log.appendFormat1("Case : %@", "A1");
    EXPECT_EQ(log.plainText(), "Case : A1 \n");
    log.appendString("B");
    EXPECT_EQ(log.plainText(), "Case : A1 \nB");
    log.appendFormat3("%5d", 7);
    EXPECT_EQ(log.plainText(), "Case : A1 \nB    7\n\n\n");
    log.appendText("\xC2\xB0" "C");
    log.appendString2("x");
    EXPECT_EQ(log.plainText(), "Case : A1 \nB    7\n\n\n\xC2\xB0" "Cx\n\n");
    // Cleared, the log starts again with the blank.
    log.clearText();
    EXPECT_EQ(log.plainText(), "");
    log.appendString("again");
    EXPECT_EQ(log.plainText(), "again ");
    // appendFormat adds the formatted text alone, appendFormat2 a line and an empty line.
    log.appendFormat("%4.1lf bar", 2.5);
    log.appendFormat2("%d K", 300);
    EXPECT_EQ(log.plainText(), "again  2.5 bar300 K\n\n");
    // appendText skips the empty-log step.
    CLogWindow other;
    other.appendText("raw");
    EXPECT_EQ(other.plainText(), "raw");
    QFont f = formatOf(log, "again").font();
    EXPECT_DOUBLE_EQ(f.pointSizeF(), 12.0);
}

TEST_F(LogWindowTest, RTFRunsKeepBoldColourSizeAndUnderline) {
    CLogWindow log;
    log.appendString("before");
    log.beginEditingRTF();
    log.appendRTF("\\b Bold line\\b0\\par ");
    log.appendRTFormat("\\cf2 red %d\\cf0  \\cf3 blue\\cf0\\par ", 42);
    log.appendString("during");  // plain text during a block goes ahead of it
    log.appendRTF("{\\fs30 Title}\\par \\ul under\\ulnone  \\f1 heavy\\f0  \\{x\\} a\\\\b \\'b0C \\u8211? end\\par ");
    log.endEditingRTF();
    EXPECT_EQ(log.plainText(), "before duringBold line\nred 42 blue\nTitle\nunder heavy {x} a\\b \xC2\xB0" "C \xE2\x80\x93 end\n");

    QTextCharFormat bold = formatOf(log, "Bold line");
    EXPECT_TRUE(bold.font().bold());
    EXPECT_DOUBLE_EQ(bold.font().pointSizeF(), 12.0);
    EXPECT_EQ(bold.font().family(), "Courier");
    EXPECT_EQ(formatOf(log, "red 42").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatOf(log, "blue").foreground().color(), QColor(0, 0, 255));
    EXPECT_FALSE(formatOf(log, "red 42").font().bold());
    EXPECT_DOUBLE_EQ(formatOf(log, "Title").font().pointSizeF(), 15.0);
    EXPECT_DOUBLE_EQ(formatOf(log, "under").font().pointSizeF(), 12.0);  // the group ended the 15-point size
    EXPECT_TRUE(formatOf(log, "under").font().underline());
    EXPECT_FALSE(formatOf(log, "heavy").font().underline());
    EXPECT_TRUE(formatOf(log, "heavy").font().bold());  // font 1 is Courier-Bold
    EXPECT_FALSE(formatOf(log, "during").font().bold());
}

TEST_F(LogWindowTest, RTFOutsideTheSubsetIsKeptAsText) {
    RtfDocument d = readRTF("{\\rtf1\\ansi{\\*\\generator Foo;}{\\info{\\title T}}\\pard\\qc\\sl240 Hello \\unknown99 world\\par}");
    EXPECT_TRUE(d.isRTF);
    EXPECT_EQ(d.plainText(), "Hello world\n");
    EXPECT_FALSE(readRTF("plain words").isRTF);
    CLogWindow log;
    log.insertRTF("not rtf at all {");
    EXPECT_EQ(log.plainText(), "not rtf at all {");
    // A fragment is read against the block header.
    log.insertRTF("\\b x\\b0");
    EXPECT_TRUE(formatOf(log, "x").font().bold());
    // Truncated and random input never crashes.
    EXPECT_EQ(readRTF("{\\rtf1\\b bold").plainText(), "bold");
    EXPECT_EQ(readRTF("{\\rtf1 a\\u176\\'b0 b\\uc0\\u8211 c\\uc2\\u8212 xyd}").plainText(), "a\xC2\xB0 b\xE2\x80\x93" "c\xE2\x80\x94" "d");
    EXPECT_EQ(readRTF("{\\rtf1 \\'4").plainText(), "");
    // A fallback character or a control symbol that is several bytes of UTF-8
    // is skipped whole: the text stays valid UTF-8.
    EXPECT_EQ(readRTF("{\\rtf1 a\\u176\xC2\xB0 b}").plainText(), "a\xC2\xB0 b");
    EXPECT_EQ(readRTF("{\\rtf1 a\\uc2\\u8364\xE2\x82\xAC\xF0\x9F\x98\x80z}").plainText(), "a\xE2\x82\xAC" "z");
    EXPECT_EQ(readRTF("{\\rtf1 a\\\xC2\xB0 b}").plainText(), "a b");
    std::mt19937 rng(3);
    // (Valid UTF-8 in, valid UTF-8 out: the degree sign and the euro sign
    // are several bytes each.)
    const char* const pieces[] = {"{", "}", "\\", "'", "a", "b", "f", "s", "c", "0", "1", "2", "9",
                                  " ", ";", "*", "u", "-", "\xC2\xB0", "\xE2\x82\xAC"};
    for (int k = 0; k < 2000; ++k) {
        std::string s = "{\\rtf1";
        for (int i = 0; i < 60; ++i) s += pieces[rng() % std::size(pieces)];
        EXPECT_TRUE(platform::isValidUtf8(readRTF(s).plainText()));
    }
    std::string deep = "{\\rtf1";
    deep.append(100000, '{');
    EXPECT_NO_FATAL_FAILURE(readRTF(deep));
}

TEST_F(LogWindowTest, TextWrittenBeforeTheWindowIsKeptAndShown) {
    CLogWindow log;
    EXPECT_FALSE(log.isWindowLoaded());
    log.appendString1("early report");
    log.beginEditingRTF();
    log.appendRTF("\\cf2 early rtf\\par ");
    log.endEditingRTF();
    log.scrollToEnd();  // no window yet: nothing to scroll
    QWidget* w = log.window();
    ASSERT_TRUE(log.isWindowLoaded());
    auto* text = w->findChild<QTextEdit*>("logText");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().contains("early report"));
    EXPECT_TRUE(text->toPlainText().contains("early rtf"));
    log.showWindow();
    EXPECT_TRUE(log.isWindowVisible());
    for (int i = 0; i < 200; ++i) log.appendFormat1("line %d", i);
    log.scrollToEnd();
    QApplication::processEvents();
    EXPECT_EQ(text->verticalScrollBar()->value(), text->verticalScrollBar()->maximum());
    EXPECT_GT(text->verticalScrollBar()->maximum(), 0);
}

TEST_F(LogWindowTest, PrintsToAPdfFile) {
    CLogWindow log;
    for (int i = 0; i < 120; ++i) log.appendFormat1("row %3d  %12.6lg", i, i * 0.125);
    std::string error;
    ASSERT_TRUE(log.printToPdf("log.pdf", error)) << error;
    QFile f("log.pdf");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.contains("/Page"));
    EXPECT_GT(bytes.size(), 1000);
    EXPECT_FALSE(log.printToPdf("no-such-folder/log.pdf", error));
    EXPECT_FALSE(error.empty());
}

TEST_F(LogWindowTest, APdfKeepsEachRowOfAnEruptionTableOnOneLine) {
    CLogWindow log;
    log.appendString1(ChamberCalculator::eruptionTableHeader());
    for (int i = 1; i <= 60; ++i)
        log.appendFormat1("%5d %12.3lf %12.3lf %12.2lf %12.2lf %12.2lf", i, 10.0 - 0.01 * i, 1.234 * i, 0.5 * i, 4.0,
                          30.0);
    std::string error;
    ASSERT_TRUE(log.printToPdf("table.pdf", error)) << error;
    // The text as the pages lay it out: every row whole on its line.
    if (std::system("pdftotext -layout table.pdf table.txt") != 0) GTEST_SKIP() << "pdftotext is not installed";
    QFile f("table.txt");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    int rows = 0;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QStringList cells = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (cells.isEmpty() || cells[0].toInt() != rows + 1) continue;
        EXPECT_EQ(cells.size(), 6) << line.toStdString();
        ++rows;
    }
    EXPECT_EQ(rows, 60);
}

TEST_F(LogWindowTest, IsTheLibrarysLogSink) {
    CLogWindow log;
    CLogWindowSink sink(&log);
    platform::setLogSink(&sink);
    platform::logText("library says\n");
    platform::logRTF(std::string(CLogWindow::kRTFHeader) + "\\b strong\\b0}");
    platform::setLogSink(nullptr);
    EXPECT_EQ(log.plainText(), "library says\n strong");
    // Warnings and failure messages reach the window's user, there and not
    // on standard error.
    platform::setLogSink(&sink);
    testing::internal::CaptureStderr();
    platform::warnf("The model is extrapolated at %g K.\n", 1473.0);
    platform::diagf("The model refuses %g bar.\n", 1e6);
    const std::string onStderr = testing::internal::GetCapturedStderr();
    platform::setLogSink(nullptr);
    EXPECT_EQ(log.plainText(),
              "library says\n strongThe model is extrapolated at 1473 K.\nThe model refuses 1e+06 bar.\n");
    EXPECT_EQ(onStderr, "");
    EXPECT_TRUE(formatOf(log, "strong").font().bold());
    EXPECT_EQ(CLogWindow::sharedLogWindowCtroller(), CLogWindow::sharedLogWindowCtroller());
}

TEST(StringFormat, ConvertsArgumentsToWhatTheConversionReads) {
    EXPECT_EQ(strfmt::format("%5d|%-4s|%.3f", 7, "ab", 2.0), "    7|ab  |2.000");
    EXPECT_EQ(strfmt::format("%d %lg", 2.9, 3), "2 3");               // mismatches are converted, not undefined
    EXPECT_EQ(strfmt::format("%@ %@ %@", 1572.0, 6.8e-08, std::string("x")), "1572 6.8e-08 x");
    EXPECT_EQ(strfmt::format("%s and %d", "one"), "one and ");          // a missing argument writes nothing
    EXPECT_EQ(strfmt::format("100%% %c %x %*d", 'A', 255u, 4, 3), "100% A ff    3");
    EXPECT_EQ(strfmt::format("tail %"), "tail %");
    EXPECT_EQ(strfmt::format("%12.4le", 1234.5), "  1.2345e+03");
}

}  // namespace
