#pragma once
// |a - b| relative to the expected value b.
#include <cmath>

inline double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }
