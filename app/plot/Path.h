#pragma once
// An outline made of straight and cubic Bézier segments, in view coordinates.
//
// Paths are what the canvas strokes and fills, and what hit tests look into:
// `contains` answers by the non-zero winding rule, treating every sub-path as
// closed (as filling does), so open segments such as the arms of a plus marker
// enclose nothing.
#include <vector>

#include "app/plot/PlotGeometry.h"

class Path {
public:
    enum class Op { MoveTo, LineTo, CurveTo, Close };
    struct Element {
        Op op;
        PlotPoint points[3];  // MoveTo/LineTo: [0]; CurveTo: control 1, control 2, end
    };

    void moveTo(PlotPoint p);
    void lineTo(PlotPoint p);
    void curveTo(PlotPoint c1, PlotPoint c2, PlotPoint end);
    void close();
    // The oval inscribed in the rectangle, as four Bézier quarter arcs.
    void appendOval(const PlotRect& r);
    // The rectangle as a closed sub-path (counter-clockwise from its origin).
    void appendRect(const PlotRect& r);
    void append(const Path& other);

    static Path oval(const PlotRect& r) { Path p; p.appendOval(r); return p; }
    static Path rect(const PlotRect& r) { Path p; p.appendRect(r); return p; }

    bool isEmpty() const { return mElements.empty(); }
    const std::vector<Element>& elements() const { return mElements; }

    // Bounds of the outline (on-curve points and the flattened arcs; control
    // points do not widen it); all zeros for an empty path.
    PlotRect bounds() const;
    // Non-zero winding containment.
    bool contains(PlotPoint p) const;
    // The sub-paths as polygons, arcs flattened into short chords.
    std::vector<std::vector<PlotPoint>> flattened() const;

private:
    std::vector<Element> mElements;
};
