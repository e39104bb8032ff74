#include "platform/ConsoleInput.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::size_t kLineBuffer = 255;  // 254 characters and the terminating zero

// Reads up to the end of the line (newline or carriage return) or of the input,
// keeping at most 254 characters.  Returns false when the input ended before any
// character was read.
bool readLine(std::FILE* in, char (&buf)[kLineBuffer]) {
    std::size_t len = 0;
    bool any = false;
    for (;;) {
        int c = std::fgetc(in);
        if (c == EOF) break;
        any = true;
        if (c == '\n' || c == '\r') break;
        if (len + 1 < kLineBuffer) buf[len++] = static_cast<char>(c);
    }
    buf[len] = '\0';
    return any;
}

void dropRestOfLine(std::FILE* in) {
    int c;
    do {
        c = std::fgetc(in);
    } while (c != EOF && c != '\n' && c != '\r');
}

}  // namespace

char getChar(char defaultValue, std::FILE* in) {
    int c = std::fgetc(in);
    if (c == EOF || c == '\n' || c == '\r') return defaultValue;
    // The character after it is normally the line end; anything else typed on
    // the same line is dropped so that it does not answer the next prompt.
    int next = std::fgetc(in);
    if (next != EOF && next != '\n' && next != '\r') dropRestOfLine(in);
    return static_cast<char>(c);
}

int getInteger(int defaultValue, std::FILE* in) {
    char buf[kLineBuffer];
    if (!readLine(in, buf) || buf[0] == '\0') return defaultValue;
    errno = 0;
    long v = std::strtol(buf, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

double getDouble(double defaultValue, std::FILE* in) {
    char buf[kLineBuffer];
    if (!readLine(in, buf) || buf[0] == '\0') return defaultValue;
    return std::strtod(buf, nullptr);
}

std::string macIgorDir(const std::string& folder) {
    std::string path = "Macintosh HD" + folder;
    for (char& c : path)
        if (c == '/') c = ':';
    path += ':';
    return path;
}

std::string getMacIgorDir() {
    std::error_code ec;
    std::filesystem::path cwd = std::filesystem::current_path(ec);
    return macIgorDir(ec ? std::string() : cwd.string());
}
