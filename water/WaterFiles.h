#pragma once
// Files of the water writers (tables, grids, curves): opened in the current
// directory under a fixed prefix followed by the caller's suffix, closed on
// every return.  A file that cannot be opened is reported on standard error
// and the writer returns without computing.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/LogSink.h"

namespace water_files {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// prefix + suffix (a null suffix adds nothing).
inline std::string name(const char* prefix, const char* suffix) {
    return std::string(prefix) + (suffix ? suffix : "");
}

inline File open(const std::string& path) {
    File f(std::fopen(path.c_str(), "wt"));
    if (!f) platform::diagf("Cannot write %s\n", path.c_str());
    return f;
}

// A null suffix writes as an empty one in the wave names.
inline const char* text(const char* suffix) { return suffix ? suffix : ""; }

}  // namespace water_files
