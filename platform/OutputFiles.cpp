#include "platform/OutputFiles.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/LogSink.h"

namespace platform {
namespace {
WrittenFiles*& threadRecord() {
    thread_local WrittenFiles* record = nullptr;
    return record;
}

int& failures() {
    static int n = 0;
    return n;
}
}  // namespace

void reportWriteFailure(const std::string& path, const std::string& why) {
    ++failures();
    diagf("Cannot write %s: %s\n", path.c_str(), why.c_str());
}

int writeFailureCount() { return failures(); }

WrittenFiles::WrittenFiles() : outer_(threadRecord()) { threadRecord() = this; }
WrittenFiles::~WrittenFiles() { threadRecord() = outer_; }

void WrittenFiles::removeAll() {
    std::sort(paths_.begin(), paths_.end());
    paths_.erase(std::unique(paths_.begin(), paths_.end()), paths_.end());
    for (const std::string& p : paths_) {
        std::remove(p.c_str());
        // A removed file is no longer held by the records around this one.
        for (WrittenFiles* r = outer_; r; r = r->outer_) std::erase(r->paths_, p);
    }
    paths_.clear();
}

void noteOutputOpened(const std::string& path) {
    for (WrittenFiles* r = threadRecord(); r; r = r->outer_) r->paths_.push_back(path);
}

bool writtenEarlier(const std::string& path) {
    for (const WrittenFiles* r = threadRecord(); r; r = r->outer_)
        if (std::find(r->paths_.begin(), r->paths_.end(), path) != r->paths_.end()) return true;
    return false;
}

std::FILE* openOutput(const std::string& path, const char* mode, std::size_t rowBytes) {
    // A file that an earlier output of the same run still holds is not
    // written over: two results never share one file without a word.
    if (mode[0] == 'w' && writtenEarlier(path)) {
        reportWriteFailure(path, "an earlier output of this run was written to it, and it is not overwritten "
                                 "(give another suffix)");
        return nullptr;
    }
    // The interrupts wait while the file is opened and registered with
    // their handler: none finds a file that it does not know of.
    sigset_t interrupts, before;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &interrupts, &before);
    std::FILE* f = std::fopen(path.c_str(), mode);
    const int openError = errno;
    if (f) noteOutputOpened(path);
    if (f) noteOpenOutput(f, path, rowBytes);
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (!f) reportWriteFailure(path, std::strerror(openError));
    return f;
}

bool closeOutput(std::FILE* f, const std::string& path) {
    if (!f) return true;
    // Written out whole before the interrupt handler lets go of the file.
    std::fflush(f);
    forgetOpenOutput(f);
    const bool lost = std::ferror(f) != 0;
    errno = 0;
    const bool closed = std::fclose(f) == 0;
    if (closed && !lost) return true;
    reportWriteFailure(path, errno != 0 ? std::strerror(errno) : "a write failed");
    return false;
}

namespace {

// The output files open in the process, for the interrupt handler: fixed
// slots (no allocation in the handler).  A slot's descriptor is -1 when free
// and -2 while a thread fills it in; the handler reads only slots >= 0.
constexpr int kOpenSlots = 128;
constexpr std::size_t kPathBytes = 512;
struct OpenSlot {
    std::atomic<int> fd{-1};
    std::size_t rowBytes = 0;
    char path[kPathBytes] = {};
};
OpenSlot openSlots[kOpenSlots];
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the slots without a lock");

// --- the handler's steps: async-signal-safe calls only ---

void say(const char* s) {
    std::size_t n = std::strlen(s);
    while (n > 0) {
        const ssize_t w = ::write(STDERR_FILENO, s, n);
        if (w <= 0) return;
        s += w;
        n -= static_cast<std::size_t>(w);
    }
}

bool writeAll(int fd, const char* s) {
    std::size_t n = std::strlen(s);
    while (n > 0) {
        const ssize_t w = ::write(fd, s, n);
        if (w <= 0) return false;
        s += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// The length of the file's part up to and with its last line end (0: none).
off_t wholeLines(int fd, off_t size) {
    char buf[4096];
    off_t end = size;
    while (end > 0) {
        const off_t from = end > static_cast<off_t>(sizeof buf) ? end - static_cast<off_t>(sizeof buf) : 0;
        const ssize_t n = ::pread(fd, buf, static_cast<std::size_t>(end - from), from);
        if (n <= 0) return 0;
        for (ssize_t k = n - 1; k >= 0; --k)
            if (buf[k] == '\n') return from + k + 1;
        end = from;
    }
    return 0;
}

// The offset just past the line "BEGIN" within the file's first `size`
// bytes (-1: none).
off_t pastBegin(int fd, off_t size) {
    const char* key = "\nBEGIN\n";
    const std::size_t keyLen = std::strlen(key);
    char buf[4096 + 8];
    std::size_t carry = 0;
    for (off_t at = 0; at < size;) {
        const std::size_t want = static_cast<std::size_t>(std::min<off_t>(4096, size - at));
        const ssize_t n = ::pread(fd, buf + carry, want, at);
        if (n <= 0) return false;
        const std::size_t have = carry + static_cast<std::size_t>(n);
        for (std::size_t k = 0; k + keyLen <= have; ++k)
            if (std::memcmp(buf + k, key, keyLen) == 0)
                return at - static_cast<off_t>(carry) + static_cast<off_t>(k + keyLen);
        carry = std::min<std::size_t>(keyLen - 1, have);
        std::memmove(buf, buf + have - carry, carry);
        at += n;
    }
    return -1;
}

// Whether the bytes [from, to) of the file hold a row: a line that is not
// empty, not a "#" comment, not "END" and not an Igor "X" command.
bool holdsRow(int fd, off_t from, off_t to) {
    char buf[4096];
    char head[4] = {};
    std::size_t length = 0;  // of the line so far
    for (off_t at = from; at < to;) {
        const ssize_t n = ::pread(fd, buf, static_cast<std::size_t>(std::min<off_t>(sizeof buf, to - at)), at);
        if (n <= 0) return false;
        for (ssize_t k = 0; k < n; ++k) {
            if (buf[k] != '\n') {
                if (length < sizeof head) head[length] = buf[k];
                ++length;
                continue;
            }
            const bool note = head[0] == '#' || (length >= 2 && head[0] == 'X' && head[1] == ' ') ||
                              (length == 3 && std::memcmp(head, "END", 3) == 0);
            if (length > 0 && !note) return true;
            length = 0;
            std::memset(head, 0, sizeof head);
        }
        at += n;
    }
    return false;
}

// The offset just past the first line of the file's first `size` bytes (-1:
// no whole line).
off_t pastFirstLine(int fd, off_t size) {
    char buf[512];
    for (off_t at = 0; at < size;) {
        const ssize_t n = ::pread(fd, buf, static_cast<std::size_t>(std::min<off_t>(sizeof buf, size - at)), at);
        if (n <= 0) return -1;
        for (ssize_t k = 0; k < n; ++k)
            if (buf[k] == '\n') return at + k + 1;
        at += n;
    }
    return -1;
}

// Whether the last line of the file's first `size` bytes is "END".
bool endsWithEnd(int fd, off_t size) {
    char tail[5] = {};
    if (size < 4) return false;
    const off_t from = size >= 5 ? size - 5 : 0;
    const ssize_t n = ::pread(fd, tail, static_cast<std::size_t>(size - from), from);
    if (n != size - from) return false;
    const char* last = tail + (n - 4);
    return std::memcmp(last, "END\n", 4) == 0 && (n == 4 || tail[0] == '\n');
}

// The file of the slot, written through descriptor fd (opened for writing
// only: it is read through a descriptor of its own).
void finishInterruptedFile(const OpenSlot& slot, int fd, const char* signame) {
    // A slot left by a file closed without closeOutput may name a descriptor
    // reused since: only the file the path names is touched.
    struct stat byFd {}, byPath {};
    if (::fstat(fd, &byFd) != 0 || ::stat(slot.path, &byPath) != 0 || byFd.st_dev != byPath.st_dev ||
        byFd.st_ino != byPath.st_ino)
        return;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0) return;
    const bool textRows = slot.rowBytes == kTextRows;
    if (slot.rowBytes > 0 && !textRows) {  // raw rows: the last whole one; none, no file
        if (size < static_cast<off_t>(slot.rowBytes))
            ::unlink(slot.path);
        else
            (void)!::ftruncate(fd, size - size % static_cast<off_t>(slot.rowBytes));
        return;
    }
    const int in = ::open(slot.path, O_RDONLY);
    if (in < 0) return;
    char head[6] = {};
    const ssize_t h = ::pread(in, head, 5, 0);
    const bool igor = h == 5 && std::memcmp(head, "IGOR\n", 5) == 0;
    const bool columns = h >= 2 && head[0] == '#' && head[1] == ' ';
    const off_t keep = wholeLines(in, size);
    // The rows of an Igor file follow its "BEGIN" line, those of a column
    // file its "# " header line; a text file of rows alone begins with them.
    const off_t rowsFrom = igor ? pastBegin(in, keep) : textRows ? 0 : columns ? pastFirstLine(in, keep) : -1;
    const bool rows = rowsFrom >= 0 && holdsRow(in, rowsFrom, keep);
    const bool ended = igor && endsWithEnd(in, keep);
    ::close(in);
    // A file without a finished row is no result: it is removed.
    if (!rows) {
        ::unlink(slot.path);
        return;
    }
    if (keep != size && ::ftruncate(fd, keep) != 0) return;
    if (::lseek(fd, keep, SEEK_SET) < 0) return;
    if (igor && !ended && !writeAll(fd, "END\n")) return;
    writeAll(fd, igor ? "X // Interrupted by " : "# Interrupted by ");
    writeAll(fd, signame);
    writeAll(fd, ": the rows above are those finished before the run stopped\n");
}

void onInterrupt(int sig) {
    const char* signame = sig == SIGINT ? "SIGINT" : sig == SIGTERM ? "SIGTERM" : "a signal";
    for (OpenSlot& slot : openSlots) {
        const int fd = slot.fd.load(std::memory_order_acquire);
        if (fd >= 0) finishInterruptedFile(slot, fd, signame);
    }
    say("Interrupted by ");
    say(signame);
    say(": every file being written ends at its last whole row, with its end marker and a note of the "
        "interrupt (a file without rows is removed)\n");
    // Ended by the signal itself, as if it had not been caught.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
}

}  // namespace

void keepOutputOnInterrupt() {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaddset(&sa.sa_mask, SIGINT);  // one interrupt at a time
    sigaddset(&sa.sa_mask, SIGTERM);
    for (int sig : {SIGINT, SIGTERM}) {
        struct sigaction old {};
        // A signal the shell ignores (a job started in the background) stays ignored.
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(sig, &sa, nullptr);
    }
}

void noteOpenOutput(std::FILE* f, const std::string& path, std::size_t rowBytes) {
    if (!f || path.size() >= kPathBytes) return;
    const int fd = ::fileno(f);
    if (fd < 0) return;
    // A slot that holds the descriptor already was left by a file closed
    // without closeOutput: it is taken for this one.
    for (OpenSlot& slot : openSlots) {
        int same = fd;
        if (!slot.fd.compare_exchange_strong(same, -2, std::memory_order_acq_rel)) continue;
        slot.rowBytes = rowBytes;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.fd.store(fd, std::memory_order_release);
        return;
    }
    for (OpenSlot& slot : openSlots) {
        int free = -1;
        if (!slot.fd.compare_exchange_strong(free, -2, std::memory_order_acq_rel)) continue;
        slot.rowBytes = rowBytes;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.fd.store(fd, std::memory_order_release);
        return;
    }
}

InterruptsHeld::InterruptsHeld() {
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &interrupts, &before_);
}

InterruptsHeld::~InterruptsHeld() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

void forgetOpenOutput(std::FILE* f) {
    if (!f) return;
    const int fd = ::fileno(f);
    for (OpenSlot& slot : openSlots) {
        int expected = fd;
        if (fd >= 0 && slot.fd.compare_exchange_strong(expected, -1, std::memory_order_acq_rel)) return;
    }
}

std::string suffixRefusal(const std::string& suffix, const char* command) {
    if (suffix.size() > kMaxFileSuffix)
        return "The suffix \"" + suffix + "\" of the " + command + " command is longer than " +
               std::to_string(kMaxFileSuffix) + " characters: it must have 1 to " + std::to_string(kMaxFileSuffix) + ".";
    for (const char c : suffix) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (!std::isspace(u) && !std::iscntrl(u)) continue;
        const char* what = u == '\t' ? "a tab" : u == ' ' ? "a space" : "a control character";
        return std::string("The suffix of the ") + command + " command holds " + what +
               ": a suffix is a word of printable characters, which ends the names of the files written.";
    }
    return std::string();
}

}  // namespace platform
