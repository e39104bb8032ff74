#pragma once
// Finding the run-time data files ("compo/standard.txt", start-value tables, ...).
//
// A relative path named by the code is looked up, in this order, under
//   1. the folder named by the environment variable VARNOK_DATA_DIR,
//   2. for a program built on an installed library (through its CMake
//      package), the data folder of that installation,
//   3. the data folder of the installation the program itself lies in
//      (<prefix>/share/varnok, found from the running program's location),
//   4. the source tree the program was built from (not for a program built
//      on an installed library),
//   5. the current directory.
// Absolute paths are taken as they stand.
#include <cstdio>
#include <string>

namespace platform {

// Full path of the first existing file, or an empty string when none exists.
std::string resolveDataFile(const std::string& relativePath);

// Opens the resolved file; nullptr (with a message on standard error naming the
// file and the places searched) when it is nowhere to be found.
std::FILE* openDataFile(const std::string& relativePath, const char* mode = "r");

}  // namespace platform
