#pragma once
// A colour of the plotting kit: red, green, blue and alpha between 0 and 1.
#include <cstdint>

struct Color {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 1.0f;

    bool operator==(const Color&) const = default;

    static Color blackColor() { return {0.0f, 0.0f, 0.0f, 1.0f}; }
    static Color whiteColor() { return {1.0f, 1.0f, 1.0f, 1.0f}; }
    static Color redColor() { return {1.0f, 0.0f, 0.0f, 1.0f}; }
    static Color blueColor() { return {0.0f, 0.0f, 1.0f, 1.0f}; }
    static Color grayColor() { return {0.5f, 0.5f, 0.5f, 1.0f}; }
    static Color lightGrayColor() { return {2.0f / 3.0f, 2.0f / 3.0f, 2.0f / 3.0f, 1.0f}; }
    // The frame of a zoom rectangle.
    static Color knobColor() { return {0.39f, 0.51f, 0.71f, 1.0f}; }

    // Component scaled to 0..65535 and truncated toward zero.
    static std::int32_t to16bit(float component) {
        return static_cast<std::int32_t>(component * 65535.0);
    }
};
