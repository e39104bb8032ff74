#pragma once
// The lines of a text file a model has written, for the tests that read back
// its tables and reports.
#include <fstream>
#include <string>
#include <vector>

namespace watertest {

inline std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

}  // namespace watertest
