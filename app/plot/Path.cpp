#include "app/plot/Path.h"

#include <cmath>

namespace {
// Distance of the control points from the ends of a quarter arc of the unit
// circle that keeps the arc's midpoint on the circle.
constexpr float kQuarterArc = 0.5522847498f;
constexpr int kChordsPerArc = 16;

PlotPoint bezier(PlotPoint p0, PlotPoint c1, PlotPoint c2, PlotPoint p1, float t) {
    float u = 1.0f - t;
    float a = u * u * u, b = 3.0f * u * u * t, c = 3.0f * u * t * t, d = t * t * t;
    return {a * p0.x + b * c1.x + c * c2.x + d * p1.x, a * p0.y + b * c1.y + c * c2.y + d * p1.y};
}
}  // namespace

void Path::moveTo(PlotPoint p) { mElements.push_back({Op::MoveTo, {p, {}, {}}}); }

void Path::lineTo(PlotPoint p) {
    if (mElements.empty()) {  // a line needs a start: begin the sub-path there
        moveTo(p);
        return;
    }
    mElements.push_back({Op::LineTo, {p, {}, {}}});
}

void Path::curveTo(PlotPoint c1, PlotPoint c2, PlotPoint end) {
    if (mElements.empty()) moveTo(c1);
    mElements.push_back({Op::CurveTo, {c1, c2, end}});
}

void Path::close() {
    if (!mElements.empty()) mElements.push_back({Op::Close, {{}, {}, {}}});
}

void Path::appendOval(const PlotRect& r) {
    float cx = r.x + 0.5f * r.width, cy = r.y + 0.5f * r.height;
    float rx = 0.5f * r.width, ry = 0.5f * r.height;
    float kx = kQuarterArc * rx, ky = kQuarterArc * ry;
    moveTo({cx + rx, cy});
    curveTo({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    curveTo({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    curveTo({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    curveTo({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    close();
}

void Path::appendRect(const PlotRect& r) {
    moveTo({r.x, r.y});
    lineTo({r.x + r.width, r.y});
    lineTo({r.x + r.width, r.y + r.height});
    lineTo({r.x, r.y + r.height});
    close();
}

void Path::append(const Path& other) {
    mElements.insert(mElements.end(), other.mElements.begin(), other.mElements.end());
}

std::vector<std::vector<PlotPoint>> Path::flattened() const {
    std::vector<std::vector<PlotPoint>> polys;
    PlotPoint current{};
    for (const Element& e : mElements) {
        switch (e.op) {
        case Op::MoveTo:
            polys.push_back({e.points[0]});
            current = e.points[0];
            break;
        case Op::LineTo:
            if (polys.empty()) polys.push_back({current});
            polys.back().push_back(e.points[0]);
            current = e.points[0];
            break;
        case Op::CurveTo:
            if (polys.empty()) polys.push_back({current});
            for (int i = 1; i <= kChordsPerArc; ++i)
                polys.back().push_back(bezier(current, e.points[0], e.points[1], e.points[2],
                                              static_cast<float>(i) / kChordsPerArc));
            current = e.points[2];
            break;
        case Op::Close:
            // Drawing goes on from the sub-path's first point (a lone point
            // encloses nothing and adds nothing to the bounds).
            if (!polys.empty()) {
                current = polys.back().front();
                polys.push_back({current});
            }
            break;
        }
    }
    return polys;
}

PlotRect Path::bounds() const {
    bool any = false;
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (const auto& poly : flattened())
        for (PlotPoint p : poly) {
            if (!any) {
                x0 = x1 = p.x;
                y0 = y1 = p.y;
                any = true;
            }
            x0 = std::min(x0, p.x);
            x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y);
            y1 = std::max(y1, p.y);
        }
    if (!any) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

bool Path::contains(PlotPoint p) const {
    int winding = 0;
    for (const auto& poly : flattened()) {
        size_t n = poly.size();
        if (n < 2) continue;
        for (size_t i = 0; i < n; ++i) {
            PlotPoint a = poly[i], b = poly[(i + 1) % n];
            // Signed side of p relative to the edge a -> b.
            double side = (static_cast<double>(b.x) - a.x) * (static_cast<double>(p.y) - a.y) -
                          (static_cast<double>(p.x) - a.x) * (static_cast<double>(b.y) - a.y);
            if (a.y <= p.y) {
                if (b.y > p.y && side > 0) ++winding;   // upward edge with p on its left
            } else if (b.y <= p.y && side < 0) {
                --winding;                              // downward edge with p on its right
            }
        }
    }
    return winding != 0;
}
