#pragma once
// The drawing seam of the plotting kit.
//
// Plots and graph objects draw through this interface in view coordinates
// (origin at the bottom-left, y upwards).  The graphics state (colour, line
// width, dash pattern, clip, transformation) is saved and restored as a stack.
// A Qt adapter draws on a QPainter (screen, image, PDF); a recording canvas
// keeps the operations for tests.
#include <string>
#include <vector>

#include "app/plot/Color.h"
#include "app/plot/FontDescription.h"
#include "app/plot/Path.h"
#include "app/plot/PlotGeometry.h"

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void save() = 0;
    virtual void restore() = 0;
    // Intersects the clip with the rectangle (current coordinates).
    virtual void clipToRect(const PlotRect& r) = 0;
    // The colour of both strokes and fills.
    virtual void setColor(const Color& c) = 0;
    virtual void setLineWidth(float width) = 0;
    // Lengths of the on and off runs, in view units; an empty pattern is a
    // solid line.
    virtual void setLineDash(const std::vector<float>& pattern, float phase) = 0;
    virtual void stroke(const Path& path) = 0;
    // Fills by the non-zero winding rule; open sub-paths are closed.
    virtual void fill(const Path& path) = 0;
    // Turns the coordinate system counter-clockwise by the angle.
    virtual void rotateByDegrees(float degrees) = 0;

    // Width and line height of the text set in the font.
    virtual PlotSize measureText(const std::string& text, const FontDescription& font) = 0;
    // Draws the text with the lower-left corner of its line box at `origin`.
    virtual void drawText(const std::string& text, const FontDescription& font, PlotPoint origin,
                          const Color& color) = 0;

    // Conveniences built on the operations above.
    void fillRect(const PlotRect& r) { fill(Path::rect(r)); }
    // A one-unit frame drawn just inside the rectangle, solid.
    void frameRect(const PlotRect& r);
    void strokeLine(PlotPoint a, PlotPoint b) {
        Path p;
        p.moveTo(a);
        p.lineTo(b);
        stroke(p);
    }
};
