#include "app/plot/CGraphArea.h"

#include <cstdio>

#include "app/plot/CGraphCurve.h"
#include "app/plot/Canvas.h"

CGraphArea::CGraphArea() { mPointsList_.reserve(10); }

void CGraphArea::addPoint(float x, float y) { mPointsList_.push_back({x, y}); }

void CGraphArea::addCurve(const CGraphCurve& curve, bool reverse) {
    const auto& pts = curve.mPointsList();
    if (reverse) {
        for (auto it = pts.rbegin(); it != pts.rend(); ++it)
            if (!it->breakFlag) addPoint(it->x, it->y);
    } else {
        for (const CurvePoint& c : pts)
            if (!c.breakFlag) addPoint(c.x, c.y);
    }
}

void CGraphArea::addSubcurve(const CGraphCurve* curve) {
    if (!curve) {
        std::fprintf(stderr, "no curve\n");
        return;
    }
    if (mPointsList_.size() < 2) return;
    const PlotPoint F = mPointsList_.front(), L = mPointsList_.back();
    const auto& pts = curve->mPointsList();
    if (pts.empty()) return;
    const auto [i, j] = curve->nearestPoints(F.x, F.y, L.x, L.y);
    if (j >= i) {
        for (size_t k = j + 1; k-- > i;)
            if (!pts[k].breakFlag) addPoint(pts[k].x, pts[k].y);
    } else {
        for (size_t k = j; k <= i; ++k)
            if (!pts[k].breakFlag) addPoint(pts[k].x, pts[k].y);
    }
}

void CGraphArea::render(Canvas& canvas) {
    beginClippedDrawing(canvas);
    applyOwnColor(canvas);
    Path path;
    for (const auto& p : mPointsList_) {
        const PlotPoint v = mapPoint(p.x, p.y);
        if (!isDrawable(v)) continue;  // the outline goes round a vertex without a number
        if (path.isEmpty()) path.moveTo(v);
        else path.lineTo(v);
    }
    canvas.fill(path);
    mPath = std::move(path);
    canvas.restore();
}

std::shared_ptr<CGraphObject> CGraphArea::copy() const {
    auto c = std::make_shared<CGraphArea>();
    copyBaseInto(*c);
    c->mPointsList_ = mPointsList_;
    return c;
}
