#pragma once
// Points, sizes and rectangles of the plotting kit, in 32-bit floats.
// View coordinates have their origin at the bottom-left corner of the view and
// y upwards.
#include <algorithm>

struct PlotPoint {
    float x = 0.0f;
    float y = 0.0f;
    bool operator==(const PlotPoint&) const = default;
};

struct PlotSize {
    float width = 0.0f;
    float height = 0.0f;
    bool operator==(const PlotSize&) const = default;
};

struct PlotRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    bool operator==(const PlotRect&) const = default;
    float minX() const { return std::min(x, x + width); }
    float maxX() const { return std::max(x, x + width); }
    float minY() const { return std::min(y, y + height); }
    float maxY() const { return std::max(y, y + height); }
    // The empty rectangle: no area (a zoom rectangle of all zeros means "none").
    bool isEmpty() const { return !(width > 0.0f) || !(height > 0.0f); }
    // Mouse-in-rectangle test of an unflipped view: the left and bottom edges
    // belong to the rectangle, the right and top edges do not.
    bool containsMouse(PlotPoint p) const {
        return p.x >= x && p.x < x + width && p.y >= y && p.y < y + height;
    }
    // The smallest rectangle holding both (an empty one is ignored).
};
