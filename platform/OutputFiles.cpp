#include "platform/OutputFiles.h"

#include <cerrno>
#include <cstring>

#include "platform/LogSink.h"

namespace platform {
namespace {
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

std::FILE* openOutput(const std::string& path, const char* mode) {
    std::FILE* f = std::fopen(path.c_str(), mode);
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
