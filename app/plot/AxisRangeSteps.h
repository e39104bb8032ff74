#pragma once
// The tick digits and stepper increment that the axis-range panel derives
// from the span of an axis (maximum minus minimum): the wider the span, the
// fewer decimals and the larger the step.
#include <cstdint>

struct AxisRangeStep {
    bool setsDigits = false;  // false: the axis keeps its tick digits
    std::int32_t digits = 0;
    float increment = 0.0f;
};

// The x axis: a span above 1000 gives 0 digits and steps of 50, ... above
// 0.001 gives 4 digits and steps of 0.0001; anything smaller (a reversed axis
// included) keeps the digits and steps by the span itself.
AxisRangeStep xAxisRangeStep(float span);
// The y axis: as the x axis for a positive span; a reversed axis (span at or
// below 0) takes the mirrored table, with negative increments.
AxisRangeStep yAxisRangeStep(float span);
