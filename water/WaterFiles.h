#pragma once
// Files of the water writers (tables, grids, curves): opened in the current
// directory under a fixed prefix followed by the caller's suffix, closed on
// every return.  A file that cannot be opened or written is reported and
// counted; one that cannot be opened makes the writer return without computing.
#include <cstdio>
#include <string>

#include "platform/OutputFiles.h"

namespace water_files {

// Checked output file: a failed open, write or close is reported and
// counted, so that the program ends with a failure status.
using File = platform::OutputFile;

// prefix + suffix (a null suffix adds nothing).
inline std::string name(const char* prefix, const char* suffix) {
    return std::string(prefix) + (suffix ? suffix : "");
}

inline File open(const std::string& path) { return File(path, "wt"); }

// A null suffix writes as an empty one in the wave names.
inline const char* text(const char* suffix) { return suffix ? suffix : ""; }

}  // namespace water_files
