#pragma once
// The contents of a file the test wrote (empty when it cannot be read).
#include <fstream>
#include <sstream>
#include <string>

inline std::string readFile(const char* path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}
