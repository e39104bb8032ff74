#include "app/plot/AxisRangeSteps.h"

namespace {
struct Row {
    double above;
    std::int32_t digits;
    float increment;
};
constexpr Row kRows[] = {{1000, 0, 50.0f}, {500, 0, 20.0f},  {200, 0, 10.0f},    {100, 0, 5.0f},      {10, 1, 1.0f},
                         {1, 1, 0.1f},     {0.1, 2, 0.01f}, {0.01, 3, 0.001f}, {0.001, 4, 0.0001f}};
}  // namespace

AxisRangeStep xAxisRangeStep(float span) {
    const double d = span;  // compared as the panel always did: the float span against the decimal bounds
    for (const Row& r : kRows)
        if (d > r.above) return {true, r.digits, r.increment};
    return {false, 0, span};
}

AxisRangeStep yAxisRangeStep(float span) {
    const double d = span;
    if (d > 0.0) return xAxisRangeStep(span);
    for (const Row& r : kRows)
        if (d < -r.above) return {true, r.digits, -r.increment};
    return {false, 0, span};
}
