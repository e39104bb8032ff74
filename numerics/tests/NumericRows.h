#pragma once
// The rows of numbers of a table a test reads back (a curve file, a printed
// report): each line whose words are all numbers ("nan" and "inf" included),
// split into doubles.  Lines with any other word (the Igor layout's IGOR,
// WAVES, BEGIN, END and command lines, '#' headers, sentences) are passed
// over; with a width, so are rows of another length.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testrows {

inline std::vector<std::vector<double>> numericRows(std::istream& in, std::size_t width = 0) {
    std::vector<std::vector<double>> rows;
    for (std::string l; std::getline(in, l);) {
        std::istringstream is(l);
        std::vector<double> r;
        for (std::string w; is >> w;) {
            char* end = nullptr;
            const double v = std::strtod(w.c_str(), &end);
            if (end == w.c_str() || *end) {
                r.clear();
                break;
            }
            r.push_back(v);
        }
        if (!r.empty() && (width == 0 || r.size() == width)) rows.push_back(r);
    }
    return rows;
}

inline std::vector<std::vector<double>> numericRowsOfFile(const std::string& path, std::size_t width = 0) {
    std::ifstream in(path);
    return numericRows(in, width);
}

inline std::vector<std::vector<double>> numericRowsOfText(const std::string& text, std::size_t width = 0) {
    std::istringstream in(text);
    return numericRows(in, width);
}

}  // namespace testrows
