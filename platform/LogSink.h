#pragma once
// Where the library's reports go.
//
// Library code appends plain text or RTF to "the log".  Console programs keep
// the default sink, which prints plain text (RTF reduced to its text) on
// standard output; the desktop application installs its log window as the sink.
//
// Two more channels keep results apart from everything else:
// - traces: solver iterations and intermediate values (logTrace, tracef), shown
//   on standard error only when the environment variable VARNOK_TRACE is set
//   (not to "0") or a caller turns them on (setTraceShown);
// - diagnostics: warnings and failure messages (logDiagnostic, diagf), always
//   on standard error.
// A sink may override appendTrace and appendDiagnostic; by default both go to
// standard error, so that standard output holds only results.
#include <string>
#include <vector>

namespace platform {

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void appendText(const std::string& text) = 0;
    virtual void appendRTF(const std::string& rtf) = 0;
    // Called only while traces are shown.
    virtual void appendTrace(const std::string& text);
    virtual void appendDiagnostic(const std::string& text);
};

// Prints to standard output.
class ConsoleLogSink : public LogSink {
public:
    void appendText(const std::string& text) override;
    void appendRTF(const std::string& rtf) override;
};

// Installs a sink (nullptr restores the console sink).  The caller keeps
// ownership and must uninstall it before destroying it.
void setLogSink(LogSink* sink);
LogSink& logSink();

void logText(const std::string& text);
void logRTF(const std::string& rtf);

// Solver traces: dropped while traces are not shown.
void logTrace(const std::string& text);
void tracef(const char* format, ...) __attribute__((format(printf, 1, 2)));
void setTraceShown(bool shown);
bool traceShown();
// Shows (or hides) the traces while it lives, and puts back on leaving what
// was there before: a caller that wants the traces for one calculation leaves
// every later one as it found it.
class TracesShown {
public:
    explicit TracesShown(bool shown = true) : before_(traceShown()) { setTraceShown(shown); }
    ~TracesShown() { setTraceShown(before_); }
    TracesShown(const TracesShown&) = delete;
    TracesShown& operator=(const TracesShown&) = delete;

private:
    bool before_;
};

// Warnings and failure messages.
void logDiagnostic(const std::string& text);
void diagf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The diagnostics logged since the process started: a program tells from it
// whether a calculation reported a failure.
long diagnosticCount();

// Notes on what a result leaves out (standard error, like diagnostics) that
// are no failure: they do not count among the diagnostics.
void logWarning(const std::string& text);
void warnf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What the calling thread logs while one of these lives on it (text, RTF,
// traces while shown, diagnostics and warnings) is kept here, in order,
// instead of reaching the sink; replay() passes it on to the sink later,
// from any thread.  Workers of a calculation split over threads keep what
// each step says, and the steps' reports reach the sink in the steps'
// order.  A failure (a diagnostic) counts when it reaches the sink: one kept
// by a capture that is never replayed, the note of a trial the caller
// discards, is no failure of the calculation.
class ThreadLogCapture {
public:
    enum class Channel { Text, RTF, Trace, Diagnostic, Failure };
    struct Entry {
        Channel channel;
        std::string text;
    };
    ThreadLogCapture();
    ~ThreadLogCapture();
    ThreadLogCapture(const ThreadLogCapture&) = delete;
    ThreadLogCapture& operator=(const ThreadLogCapture&) = delete;
    // The capture on the calling thread, nullptr when there is none.
    static ThreadLogCapture* current();
    void append(Channel channel, const std::string& text) { entries_.push_back({channel, text}); }
    // The entries kept so far, handed over (the capture starts empty again).
    std::vector<Entry> take();
    std::size_t size() const { return entries_.size(); }
    static void replay(const std::vector<Entry>& entries);

private:
    std::vector<Entry> entries_;
    ThreadLogCapture* outer_;
};

// A note that a calculation meets at many of its states (a model's refusal
// of a state outside its range, met at every step of a curve beyond it) is
// said once per calculation, and by every calculation that meets it: while
// a CallScope lives on the thread (the command interpreter opens one per
// command), firstInCall(key) is true for the first note of each key and
// false after; with none, true every time, so that each call of the library
// says its own.  A note kept by a ThreadLogCapture (a trial whose messages
// the caller may drop) does not count as said.
class CallScope {
public:
    CallScope();
    ~CallScope();
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
};
bool firstInCall(const std::string& key);

// The text of an RTF document: control words and groups of the font and colour
// tables dropped, \par and \line as new lines, \tab as a tab, \'hh and \uN
// escapes decoded to UTF-8, escaped braces and backslashes kept.
std::string rtfToPlainText(const std::string& rtf);

}  // namespace platform
