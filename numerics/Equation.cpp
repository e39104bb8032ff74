#include "numerics/Equation.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace {

// Reads one whitespace-delimited token of at most 254 characters.  Returns false
// at the end of the input or when the token is longer than that (the rest of it
// is not read).
bool readToken(std::FILE* in, char (&buf)[255]) {
    int c;
    do {
        c = std::fgetc(in);
    } while (c != EOF && std::isspace(c));
    if (c == EOF) return false;
    std::size_t len = 0;
    while (c != EOF && !std::isspace(c)) {
        if (len + 1 >= sizeof buf) return false;
        buf[len++] = static_cast<char>(c);
        c = std::fgetc(in);
    }
    buf[len] = '\0';
    return true;
}

}  // namespace

void Equation::_askCalculate(const char* prompt, ValueActionFn f, std::FILE* in, std::FILE* out) {
    for (;;) {
        std::fprintf(out, "%s", prompt ? prompt : "");
        std::fflush(out);
        char buf[255];
        if (!readToken(in, buf)) return;
        char* end = nullptr;
        errno = 0;
        double value = std::strtod(buf, &end);
        // Text that is not a number ends the loop rather than repeating the
        // previous value.
        if (end == buf || *end != '\0') return;
        if (value == 0.0) return;
        (this->*f)(value);
    }
}
