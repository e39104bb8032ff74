#pragma once
// Reports of the magma-water energetics into the log: RTF blocks in the log
// window's own header (fonts f0 Courier and f1 Courier-Bold, colours 1 white,
// 2 red, 3 blue) and plain lines, through the platform's log sink.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/LogSink.h"

namespace logreport {

// A value that was not found (NaN) or overflowed (inf) is no result: in a
// report it shows as "--", right-aligned in the width the number had.
inline std::string withoutNonFinite(std::string s) {
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    for (const char* word : {"nan", "inf"}) {
        for (std::size_t p = s.find(word); p != std::string::npos; p = s.find(word, p + 1)) {
            if ((p > 0 && letter(s[p - 1])) || (p + 3 < s.size() && letter(s[p + 3]))) continue;
            std::size_t b = p > 0 && s[p - 1] == '-' ? p - 1 : p;
            s.replace(b, p + 3 - b, std::string(p + 3 - b - 2, ' ') + "--");
        }
    }
    return s;
}

// printf-style formatting into a string (arguments converted by the caller's
// types; no C varargs reach the library); values that are not finite show
// as "--".
#pragma GCC diagnostic push
// The format is the caller's (a literal there); a format without arguments is
// no less safe than one with them.
#pragma GCC diagnostic ignored "-Wformat-security"
template <class... A>
std::string format(const char* fmt, A... args) {
    char buf[512];
    const int n = std::snprintf(buf, sizeof buf, fmt, args...);
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < sizeof buf) return withoutNonFinite(std::string(buf, static_cast<std::size_t>(n)));
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(s.data(), s.size(), fmt, args...);
    s.resize(static_cast<std::size_t>(n));
    return withoutNonFinite(s);
}
#pragma GCC diagnostic pop

// A temperature or pressure given by the user, as a refusal repeats it: two
// decimals, or six significant digits where those would be more than a
// dozen digits (1e308 is no 309-digit number).
inline std::string given(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, std::fabs(v) < 1e9 ? "%.2f" : "%.6g", v);
    return buf;
}

// A report line on standard output, formatted as `format` does.
template <class... A>
void print(const char* fmt, A... args) {
    const std::string s = format(fmt, args...);
    std::fwrite(s.data(), 1, s.size(), stdout);
}

// The exit status of a program once its standard output has been flushed:
// output lost on the way (a full disk, a closed pipe) is a failure too.
// `program` names it in the message ("" for none).
inline int finishOutput(int status, const char* program) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        platform::diagf("%s%sannot write the standard output: the results are incomplete\n", program,
                        *program ? ": c" : "C");
        return 1;
    }
    return status;
}

// One RTF block (begin, append, end) with the log window's header.
inline void rtfBlock(const std::string& body) {
    platform::logRTF(
        "{\\rtf1\\ansi{\\fonttbl\\f0\\fmodern Courier;\\f1\\fmodern Courier-Bold;}"
        "{\\colortbl;\\red255\\green255\\blue255;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "\\f0\\fs24\\cf0 " +
        body + "}");
}

// A plain line followed by `newlines` newlines.
inline void line(const std::string& text, int newlines = 1) {
    platform::logText(text + std::string(static_cast<std::size_t>(newlines < 0 ? 0 : newlines), '\n'));
}

}  // namespace logreport
