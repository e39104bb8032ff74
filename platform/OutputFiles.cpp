#include "platform/OutputFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

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
    for (const std::string& p : paths_) std::remove(p.c_str());
    paths_.clear();
}

void noteOutputOpened(const std::string& path) {
    for (WrittenFiles* r = threadRecord(); r; r = r->outer_) r->paths_.push_back(path);
}

std::FILE* openOutput(const std::string& path, const char* mode) {
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (f) noteOutputOpened(path);
    if (!f) reportWriteFailure(path, std::strerror(errno));
    return f;
}

bool closeOutput(std::FILE* f, const std::string& path) {
    if (!f) return true;
    const bool lost = std::ferror(f) != 0;
    errno = 0;
    const bool closed = std::fclose(f) == 0;
    if (closed && !lost) return true;
    reportWriteFailure(path, errno != 0 ? std::strerror(errno) : "a write failed");
    return false;
}

}  // namespace platform
