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
        bool startPiece = true;
        for (PlotPoint p : mPointsList_) {
            const PlotPoint v = mapPoint(p.x, p.y);
            // A point without a number breaks the line; it has no marker either.
            if (!isDrawable(v)) {
                startPiece = true;
                continue;
            }
            if (startPiece) line.moveTo(v);
            else line.lineTo(v);
            startPiece = false;
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
