#pragma once
// The text of the fluid's statements: a formatted clause, and the word where
// the data's band spans two verdicts.
#include <cstdio>
#include <string>

namespace statement {

inline std::string formatted(const char* format, auto... args) {
    char buf[640];
    std::snprintf(buf, sizeof buf, format, args...);
    return buf;
}

// "uncertain (a or b)" where the data's band spans two verdicts.
inline std::string uncertainBetween(const char* a, const char* b) {
    return std::string("uncertain (") + a + " or " + b + ")";
}

}  // namespace statement
