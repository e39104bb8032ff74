#include "app/document/ArrayAdditions.h"

#include <cstring>
#include <fstream>

#include "platform/DataFiles.h"

std::vector<double> arrayWithDataInFile(const std::string& name) {
    std::vector<double> values;
    std::string path = platform::resolveDataFile(name);
    if (path.empty()) return values;
    std::ifstream in(path, std::ios::binary);
    char buf[8];
    while (in.read(buf, sizeof buf)) {
        double d;
        std::memcpy(&d, buf, sizeof d);
        values.push_back(d);
    }
    return values;
}

namespace {
bool between(double v, double a, double b) { return (a <= v && v <= b) || (b <= v && v <= a); }
}  // namespace

std::vector<double> search(const std::vector<double>& table, int n, int k, double v) {
    std::vector<double> result;
    if (n <= 0 || k < 0 || k >= n) return result;
    result.reserve(100);
    const size_t cols = static_cast<size_t>(n), key = static_cast<size_t>(k);
    const size_t m = table.size() / cols;
    if (m == 0) return result;
    auto at = [&](size_t r, size_t c) { return table[r * cols + c]; };
    double prev = at(0, key);
    for (size_t r = 1; r < m; ++r) {
        const double cur = at(r, key);
        if (between(v, prev, cur) && prev != cur) {
            const double t = (v - prev) / (cur - prev);
            for (size_t c = 0; c < cols; ++c) result.push_back(at(r - 1, c) + (at(r, c) - at(r - 1, c)) * t);
        }
        prev = cur;
        if (cur == v) {
            // The interval that starts at an exact hit is skipped, so the hit is reported once.
            ++r;
            if (r >= m) break;
            prev = at(r, key);
        }
    }
    return result;
}

double search(const std::vector<double>& table, int n, int k, int j, double v, bool* found) {
    if (found) *found = false;
    if (n <= 0 || k < 0 || k >= n || j < 0 || j >= n) return 0.0;
    const size_t cols = static_cast<size_t>(n);
    const size_t m = table.size() / cols;
    if (m == 0) return 0.0;
    auto at = [&](size_t r, int c) { return table[r * cols + static_cast<size_t>(c)]; };
    double prev = at(0, k);
    for (size_t r = 1; r < m; ++r) {
        const double cur = at(r, k);
        if (between(v, prev, cur) && prev != cur) {
            if (found) *found = true;
            return at(r - 1, j) + (at(r, j) - at(r - 1, j)) * (v - prev) / (cur - prev);
        }
        prev = cur;
    }
    return 0.0;
}
