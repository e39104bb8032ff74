#pragma once
// Files the library writes.  Every open, write and close of an output file is
// checked: a failure (a folder that cannot be written, a full disk) is
// reported through the log's diagnostics, naming the file, and counted, so
// that a program ends with a non-zero status when any of its output was lost.
//
//     platform::OutputFile f("crita", "wt");   // reported when it cannot be opened
//     if (!f) return;
//     std::fprintf(f.get(), ...);
//     f.close();                               // or at the end of the scope
#include <signal.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// Reports that `path` could not be written, with the reason, and counts it.
void reportWriteFailure(const std::string& path, const std::string& why);
// The failures reported since the process started.
int writeFailureCount();

// fopen for writing, the file registered with the interrupt handler
// (rowBytes > 0 for a file of raw rows of that size) and with the records of
// written files; a failure is reported and counted (null is returned).  A
// path that a live record (WrittenFiles) holds already is not opened with
// "w" again: that is reported as a failure, so that a second output never
// silently replaces the first.
std::FILE* openOutput(const std::string& path, const char* mode, std::size_t rowBytes = 0);
// The rowBytes of a text file without a header, each of whose lines is a
// row (a map of blank-line separated blocks of rows).
constexpr std::size_t kTextRows = static_cast<std::size_t>(-1);
// Closes a file opened for writing: a write that failed on the way (the
// stream's error flag) or a failed close is reported and counted; false then.
// A null file is left alone (true).
bool closeOutput(std::FILE* f, const std::string& path);

// The output files opened on the calling thread while one of these lives on
// it (nested records each see the files opened in their lifetime).  A
// command that fails removes what it wrote, so that no file of headers or
// of a partial curve is left as if it were a result (and the records around
// it forget the files removed).
class WrittenFiles {
public:
    WrittenFiles();
    ~WrittenFiles();
    WrittenFiles(const WrittenFiles&) = delete;
    WrittenFiles& operator=(const WrittenFiles&) = delete;
    const std::vector<std::string>& paths() const { return paths_; }
    // Removes every file recorded (each once) and forgets them.
    void removeAll();

private:
    friend void noteOutputOpened(const std::string& path);
    friend bool writtenEarlier(const std::string& path);
    std::vector<std::string> paths_;
    WrittenFiles* outer_;
};

// Tells the records on the calling thread that `path` was opened for writing.
void noteOutputOpened(const std::string& path);
// Whether a record on the calling thread holds `path`.
bool writtenEarlier(const std::string& path);

// The longest suffix a command adds to the names of the files it writes.
constexpr std::size_t kMaxFileSuffix = 31;
// Why `suffix`, given to `command`, cannot end a file name, as one sentence
// (ending in a period, no new line): too long, or holding a space, a tab or
// another control character that would go into the name unseen; empty when
// it is a fit suffix.
std::string suffixRefusal(const std::string& suffix, const char* command);

// Files that survive an interrupt.  A program that calls
// keepOutputOnInterrupt() from its main finishes, on SIGINT or SIGTERM, every
// output file still open (opened through openOutput, OutputFile or a curve
// writer): a text file is cut back to its last whole line; an Igor text file
// ("IGOR" ... "BEGIN" rows) gets its "END" line and then the comment line
//     X // Interrupted by SIGINT: the rows above are those finished before the run stopped
// a "# " column file, or a text file of rows alone (rowBytes kTextRows), the
// line "# Interrupted by SIGINT: ..."; a file of raw
// rows (rowBytes > 0) is cut back to its last whole row; any other file, or
// an Igor file whose rows had not begun, is removed.  A line on standard
// error says that the run was interrupted, and the program then ends by the
// signal itself (the shell sees status 128 + the signal's number).  A file
// holding no finished row (a header alone, or nothing) is removed.  All of
// this runs in the signal handler with system calls that are safe there
// (lseek, read, ftruncate, write, unlink): writers that flush each row whole
// (the curve writer does) leave every row they finished.
void keepOutputOnInterrupt();
// Keeps SIGINT and SIGTERM off the calling thread while it lives, and off
// every thread started meanwhile for good (a thread starts with its
// creator's signal mask): the workers that write no file are started under
// it, so that from their first instruction the handler runs only on the
// thread that writes the rows, between two of its writes, never beside one.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    sigset_t before_;
};
// Registers an open output file with the interrupt handler; rowBytes > 0 for
// a file of raw rows of that size.
void noteOpenOutput(std::FILE* f, const std::string& path, std::size_t rowBytes = 0);
// Takes a file off the interrupt handler's list (before it is closed: its
// descriptor may be reused).  A null or unregistered file is left alone.
void forgetOpenOutput(std::FILE* f);

// An output file closed (and checked) at the end of its scope.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const std::string& path, const char* mode) : path_(path), f_(openOutput(path, mode)) {}
    ~OutputFile() { close(); }
    OutputFile(OutputFile&& o) noexcept : path_(std::move(o.path_)), f_(o.f_) { o.f_ = nullptr; }
    OutputFile& operator=(OutputFile&& o) noexcept {
        if (this != &o) {
            close();
            path_ = std::move(o.path_);
            f_ = o.f_;
            o.f_ = nullptr;
        }
        return *this;
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* get() const { return f_; }
    explicit operator bool() const { return f_ != nullptr; }
    const std::string& path() const { return path_; }
    // False when something written was lost; runs once.
    bool close() {
        std::FILE* f = f_;
        f_ = nullptr;
        return closeOutput(f, path_);
    }
    void reset() { close(); }

private:
    std::string path_;
    std::FILE* f_ = nullptr;
};

}  // namespace platform
