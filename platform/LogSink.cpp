#include "platform/LogSink.h"

#include "platform/Progress.h"
#include "platform/Utf8.h"

#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace platform {
namespace {
ConsoleLogSink& consoleSink() {
    static ConsoleLogSink sink;
    return sink;
}
LogSink*& installedSink() {
    static LogSink* sink = nullptr;
    return sink;
}

// Mac Roman / Windows-1252 bytes that RTF writers of this library use.
unsigned long latinByte(unsigned int b) {
    return b;  // \'hh in an \ansi document is ISO-8859-1 for the characters we write (degree sign 0xB0)
}
}  // namespace

void ConsoleLogSink::appendText(const std::string& text) {
    clearProgressLine();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void ConsoleLogSink::appendRTF(const std::string& rtf) { appendText(rtfToPlainText(rtf)); }

void setLogSink(LogSink* sink) { installedSink() = sink; }

LogSink& logSink() { return installedSink() ? *installedSink() : consoleSink(); }

namespace {
ThreadLogCapture*& threadCapture() {
    thread_local ThreadLogCapture* capture = nullptr;
    return capture;
}
// Kept by the calling thread's capture, if it has one.
bool captured(ThreadLogCapture::Channel channel, const std::string& text) {
    ThreadLogCapture* c = threadCapture();
    if (c) c->append(channel, text);
    return c != nullptr;
}
}  // namespace

ThreadLogCapture::ThreadLogCapture() : outer_(threadCapture()) { threadCapture() = this; }
ThreadLogCapture::~ThreadLogCapture() { threadCapture() = outer_; }
ThreadLogCapture* ThreadLogCapture::current() { return threadCapture(); }

namespace {
// The keys said in the thread's outermost call scope, and how deep it is.
struct CallNotes {
    int depth = 0;
    std::set<std::string> said;
};
CallNotes& callNotes() {
    thread_local CallNotes notes;
    return notes;
}
}  // namespace

CallScope::CallScope() { ++callNotes().depth; }
CallScope::~CallScope() {
    CallNotes& n = callNotes();
    if (--n.depth == 0) n.said.clear();
}

bool firstInCall(const std::string& key) {
    CallNotes& n = callNotes();
    if (n.depth == 0 || threadCapture() != nullptr) return n.said.count(key) == 0;
    return n.said.insert(key).second;
}

std::vector<ThreadLogCapture::Entry> ThreadLogCapture::take() {
    std::vector<Entry> out;
    out.swap(entries_);
    return out;
}

void ThreadLogCapture::replay(const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
        switch (e.channel) {
            case Channel::Text: logText(e.text); break;
            case Channel::RTF: logRTF(e.text); break;
            case Channel::Trace: logSink().appendTrace(e.text); break;
            case Channel::Diagnostic: logSink().appendDiagnostic(e.text); break;
            case Channel::Failure: logDiagnostic(e.text); break;
        }
    }
}

void logText(const std::string& text) {
    if (!captured(ThreadLogCapture::Channel::Text, text)) logSink().appendText(text);
}
void logRTF(const std::string& rtf) {
    if (!captured(ThreadLogCapture::Channel::RTF, rtf)) logSink().appendRTF(rtf);
}

namespace {
// Traces are off unless the environment variable VARNOK_TRACE asks for them
// (set to anything but "0"), for every caller: the programs, the application
// and a program that embeds the library; setTraceShown switches them later.
bool tracesAskedFor() {
    const char* v = std::getenv("VARNOK_TRACE");
    return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
}
bool& traceFlag() {
    static bool shown = tracesAskedFor();
    return shown;
}
void writeStderr(const std::string& text) {
    clearProgressLine();
    std::fflush(stdout);  // keep the order of interleaved results and messages on a terminal
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}
std::string vformat(const char* format, va_list args) {
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, args);
    big.resize(static_cast<size_t>(n));
    return big;
}
}  // namespace

void LogSink::appendTrace(const std::string& text) { writeStderr(text); }
void LogSink::appendDiagnostic(const std::string& text) { writeStderr(text); }

void setTraceShown(bool shown) { traceFlag() = shown; }
bool traceShown() { return traceFlag(); }

void logTrace(const std::string& text) {
    if (traceFlag() && !captured(ThreadLogCapture::Channel::Trace, text)) logSink().appendTrace(text);
}

void tracef(const char* format, ...) {
    if (!traceFlag()) return;
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    logTrace(text);
}

namespace {
// Counted by every thread that reports (models may run on several).
std::atomic<long>& diagnostics() {
    static std::atomic<long> n{0};
    return n;
}
}  // namespace

long diagnosticCount() { return diagnostics(); }

void logWarning(const std::string& text) {
    if (!captured(ThreadLogCapture::Channel::Diagnostic, text)) logSink().appendDiagnostic(text);
}

void warnf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    logWarning(text);
}

void logDiagnostic(const std::string& text) {
    if (captured(ThreadLogCapture::Channel::Failure, text)) return;
    ++diagnostics();
    logSink().appendDiagnostic(text);
}

void diagf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    logDiagnostic(text);
}

std::string rtfToPlainText(const std::string& rtf) {
    std::string out;
    // Depth at which a destination group to skip began (font table, colour
    // table, \* destinations); -1 when not skipping.
    int depth = 0;
    int skipFrom = -1;
    const size_t n = rtf.size();
    size_t i = 0;
    while (i < n) {
        char c = rtf[i];
        if (c == '{') {
            ++depth;
            ++i;
            continue;
        }
        if (c == '}') {
            if (skipFrom >= 0 && depth <= skipFrom) skipFrom = -1;
            if (depth > 0) --depth;
            ++i;
            continue;
        }
        if (c == '\\') {
            if (i + 1 >= n) break;
            char d = rtf[i + 1];
            if (d == '\\' || d == '{' || d == '}') {
                if (skipFrom < 0) out += d;
                i += 2;
                continue;
            }
            if (d == '\'') {
                if (i + 3 < n && std::isxdigit(static_cast<unsigned char>(rtf[i + 2])) &&
                    std::isxdigit(static_cast<unsigned char>(rtf[i + 3]))) {
                    unsigned int b = static_cast<unsigned int>(std::strtoul(rtf.substr(i + 2, 2).c_str(), nullptr, 16));
                    if (skipFrom < 0) appendUtf8(out, latinByte(b));
                    i += 4;
                } else {  // a truncated escape: drop what there is of it
                    i += 2;
                    if (i < n && std::isxdigit(static_cast<unsigned char>(rtf[i]))) ++i;
                }
                continue;
            }
            if (d == '*') {
                if (skipFrom < 0) skipFrom = depth;
                i += 2;
                continue;
            }
            if (d == '\n' || d == '\r') {  // "\<newline>" is a paragraph break
                if (skipFrom < 0) out += '\n';
                i += 2;
                continue;
            }
            if (!std::isalpha(static_cast<unsigned char>(d))) {
                if (d == '~' && skipFrom < 0) out += ' ';
                i += 2;
                continue;
            }
            size_t j = i + 1;
            while (j < n && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
            std::string word = rtf.substr(i + 1, j - i - 1);
            bool hasArg = false;
            long arg = 0;
            size_t k = j;
            if (k < n && (rtf[k] == '-' || std::isdigit(static_cast<unsigned char>(rtf[k])))) {
                size_t s = k;
                ++k;
                while (k < n && std::isdigit(static_cast<unsigned char>(rtf[k]))) ++k;
                arg = std::strtol(rtf.substr(s, k - s).c_str(), nullptr, 10);
                hasArg = true;
            }
            if (k < n && rtf[k] == ' ') ++k;  // the delimiting space belongs to the control word
            i = k;
            if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" ||
                word == "pict" || word == "expandedcolortbl") {
                if (skipFrom < 0) skipFrom = depth;
                continue;
            }
            if (skipFrom >= 0) continue;
            if (word == "par" || word == "line") out += '\n';
            else if (word == "tab") out += '\t';
            else if (word == "u" && hasArg) {
                appendUtf8(out, static_cast<unsigned long>(arg < 0 ? arg + 65536 : arg));
                if (i < n && rtf[i] == '?') ++i;  // the fallback character
            }
            continue;
        }
        if (c == '\r' || c == '\n') {  // raw line breaks in RTF source carry no text
            ++i;
            continue;
        }
        if (skipFrom < 0) out += c;
        ++i;
    }
    return out;
}

}  // namespace platform
