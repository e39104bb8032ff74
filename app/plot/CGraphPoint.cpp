#include "app/plot/CGraphPoint.h"

#include "app/plot/Canvas.h"

CGraphPoint::CGraphPoint() {
    mSelectable = true;
    mToolSizeFactor = 3.0f;
}

std::shared_ptr<CGraphPoint> CGraphPoint::newGraphPoint(float x, float y) {
    auto p = std::make_shared<CGraphPoint>();
    p->setPoint(x, y);
    return p;
}

void drawMarker(Canvas& canvas, const Path& marker, std::int32_t selector, float toolSize) {
    if (marker.isEmpty()) return;  // a point without a number
    canvas.setLineWidth(markerLineWidth(toolSize));
    canvas.setLineDash({}, 0.0f);
    if (CGraphObject::isFilledMarker(selector)) canvas.fill(marker);
    else canvas.stroke(marker);
}

void CGraphPoint::render(Canvas& canvas) {
    if (mHidden) return;
    beginClippedDrawing(canvas);
    const float h = markerHalfSize(mToolSizeFactor, mHilited);
    Path marker = constructPoint(mSelector, h, h, mX, mY);
    applyOwnColor(canvas);
    drawMarker(canvas, marker, mSelector, mToolSizeFactor);
    mPath = std::move(marker);
    if (mShowLabel && isDrawable(mapPoint(mX, mY))) {
        const std::string text = labelText();
        FontDescription font = textFont();
        PlotSize s = canvas.measureText(text, font);
        PlotPoint v = mapPoint(mX, mY);
        PlotPoint d = labelOffset();
        canvas.drawText(text, font, {v.x - 0.5f * s.width + d.x, v.y - 0.7f * s.height - h - 2.0f + d.y},
                        Color::blackColor());
    }
    canvas.restore();
}

void CGraphPoint::copyPointInto(CGraphPoint& to) const {
    copyBaseInto(to);
    to.mX = mX;
    to.mY = mY;
    to.mShowLabel = mShowLabel;
}

std::shared_ptr<CGraphObject> CGraphPoint::copy() const {
    auto c = std::make_shared<CGraphPoint>();
    copyPointInto(*c);
    return c;
}
