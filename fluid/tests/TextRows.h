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

// The branches of a curve whose rows are parted by a row of NaN (a critical
// curve broken in two): the rows of each, in the file's order.
inline std::vector<std::vector<std::vector<double>>> branchesOf(const std::vector<std::vector<double>>& rows) {
    std::vector<std::vector<std::vector<double>>> branches(1);
    for (const std::vector<double>& row : rows) {
        bool parting = !row.empty();
        for (double v : row) parting = parting && v != v;
        if (parting)
            branches.emplace_back();
        else
            branches.back().push_back(row);
    }
    return branches;
}

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
