#include "app/plot/Canvas.h"

void Canvas::frameRect(const PlotRect& r) {
    // Four strips one unit wide along the inside of the edges, as a fill so
    // that the frame does not depend on the current line width or dashes.
    float w = r.width, h = r.height;
    if (!(w > 0.0f) || !(h > 0.0f)) return;
    float t = 1.0f;
    Path p;
    p.appendRect({r.x, r.y, w, std::min(t, h)});
    p.appendRect({r.x, r.y + h - std::min(t, h), w, std::min(t, h)});
    p.appendRect({r.x, r.y, std::min(t, w), h});
    p.appendRect({r.x + w - std::min(t, w), r.y, std::min(t, w), h});
    fill(p);
}
