#include "app/plot/CGraphPointCurve.h"

#include "app/plot/CGraphPoint.h"
#include "app/plot/Canvas.h"

CGraphPointCurve::CGraphPointCurve() {
    mSelectable = true;
    mToolSizeFactor = 4.0f;
    mPointsList_.reserve(10);
}

void CGraphPointCurve::addPoint(float x, float y, std::int32_t skip) {
    if (skip == 0) mPointsList_.push_back({x, y});
}

void CGraphPointCurve::render(Canvas& canvas) {
    if (mHidden) return;
    beginClippedDrawing(canvas);
    applyOwnColor(canvas);
    Path path;
    if (mJoinPoints && !mPointsList_.empty()) {
        Path line;
        for (size_t k = 0; k < mPointsList_.size(); ++k) {
            PlotPoint v = mapPoint(mPointsList_[k].x, mPointsList_[k].y);
            if (k == 0) line.moveTo(v);
            else line.lineTo(v);
        }
        canvas.setLineWidth(1.0f);
        canvas.setLineDash({}, 0.0f);
        canvas.stroke(line);
        path.append(line);
    }
    const float h = markerHalfSize(mToolSizeFactor, mHilited);
    for (PlotPoint p : mPointsList_) {
        Path marker = constructPoint(mSelector, h, h, p.x, p.y);
        drawMarker(canvas, marker, mSelector, mToolSizeFactor);
        path.append(marker);
    }
    mPath = std::move(path);
    canvas.restore();
}

std::shared_ptr<CGraphObject> CGraphPointCurve::copy() const {
    auto c = std::make_shared<CGraphPointCurve>();
    copyBaseInto(*c);
    c->mPointsList_ = mPointsList_;
    c->mJoinPoints = mJoinPoints;
    return c;
}
