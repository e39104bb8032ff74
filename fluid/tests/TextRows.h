#pragma once
// Rows of numbers from a text file written by a tracer: header lines ("#",
// "IGOR", "WAVES", "BEGIN", "END", "X ...") are skipped, "nan" reads as NaN,
// and an empty line is kept as an empty row when asked for.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::vector<double>> readTextRows(const std::string& path, bool keepEmpty = false) {
    std::vector<std::vector<double>> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) {
            if (keepEmpty) rows.emplace_back();
            continue;
        }
        if (line[0] == '#' || line == "IGOR" || line == "BEGIN" || line == "END" || line.rfind("WAVES", 0) == 0 ||
            line.rfind("X ", 0) == 0)
            continue;
        std::istringstream is(line);
        std::vector<double> row;
        std::string word;
        while (is >> word) row.push_back(std::strtod(word.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
