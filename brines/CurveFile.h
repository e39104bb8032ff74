#pragma once
// The output files of the brine curves and tables: the file named by a stem
// and the caller's suffix (none when null), opened for writing; null when it
// cannot be opened (the opening says why).
#include <cstdio>
#include <string>

#include "platform/OutputFiles.h"

inline std::FILE* openCurveFile(const char* stem, const char* suffix) {
    return platform::openOutput(std::string(stem) + (suffix ? suffix : ""), "wt");
}
