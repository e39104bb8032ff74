#include "app/plot/CGraphStringPointCurve.h"

#include <cmath>

#include "app/plot/CGraphPoint.h"
#include "app/plot/CGraphStringPoint.h"
#include "app/plot/CPlotView.h"
#include "app/plot/Canvas.h"

CGraphStringPointCurve::CGraphStringPointCurve() {
    mSelectable = true;
    mToolSizeFactor = 4.0f;
    mStringPointArray_.reserve(10);
}

void CGraphStringPointCurve::addPoint(const std::string& label, float x, float y) {
    auto p = CGraphStringPoint::newGraphStringPoint(x, y);
    p->setLabel(label);
    mStringPointArray_.push_back(std::move(p));
}

std::string CGraphStringPointCurve::getHitPointName() const {
    if (mLastHitPointIndex < 0 || static_cast<size_t>(mLastHitPointIndex) >= mStringPointArray_.size()) return {};
    return mStringPointArray_[mLastHitPointIndex]->getLabel().value_or(std::string());
}

bool CGraphStringPointCurve::isHit(PlotPoint p) {
    if (!mPath || !mPath->contains(p)) return false;
    mLastHitPointIndex = 0;
    const double r = 0.5 * static_cast<double>(mToolSizeFactor) + 2.0;
    for (const auto& sp : mStringPointArray_) {
        PlotPoint v = mapPoint(sp->getX(), sp->getY());
        if (std::fabs(static_cast<double>(v.x) - p.x) <= r && std::fabs(static_cast<double>(v.y) - p.y) <= r) {
            if (mPlotView) mPlotView->setSelectedPoint(sp->getX(), sp->getY());
            return true;
        }
        ++mLastHitPointIndex;
    }
    // Inside the outline but on no point: not a hit (the index stays one past
    // the end, and getHitPointName answers an empty label).
    return false;
}

void CGraphStringPointCurve::render(Canvas& canvas) {
    if (mHidden) return;
    beginClippedDrawing(canvas);
    Path path;
    const float h = markerHalfSize(mToolSizeFactor, mHilited);
    const FontDescription font = textFont();
    for (const auto& sp : mStringPointArray_) {
        Path marker = constructPoint(mSelector, h, h, sp->getX(), sp->getY());
        applyOwnColor(canvas);
        drawMarker(canvas, marker, mSelector, mToolSizeFactor);
        path.append(marker);
        if (mShowLabels && !marker.isEmpty()) {
            std::string text = sp->getLabel().value_or(std::string());
            PlotSize s = canvas.measureText(text, font);
            PlotPoint v = mapPoint(sp->getX(), sp->getY());
            canvas.drawText(text, font, {v.x - 0.5f * s.width, v.y - 0.7f * s.height - h - 2.0f},
                            Color::blackColor());
        }
    }
    mPath = std::move(path);
    canvas.restore();
}

std::shared_ptr<CGraphObject> CGraphStringPointCurve::copy() const {
    auto c = std::make_shared<CGraphStringPointCurve>();
    copyBaseInto(*c);
    c->mStringPointArray_ = mStringPointArray_;
    return c;
}
