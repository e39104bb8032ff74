#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "platform/ConsoleInput.h"

namespace {

std::FILE* input(const std::string& text) {
    std::FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    return f;
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
