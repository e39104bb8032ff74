#pragma once
// The bytes of a file in platform/tests/fixtures (empty when it cannot be read).
#include <fstream>
#include <sstream>
#include <string>

#include "platform/DataFiles.h"

inline std::string fixture(const std::string& name) {
    std::ifstream in(platform::resolveDataFile("platform/tests/fixtures/" + name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
