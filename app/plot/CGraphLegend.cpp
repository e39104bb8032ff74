#include "app/plot/CGraphLegend.h"

#include <algorithm>
#include <typeinfo>

#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CGraphPointCurve.h"
#include "app/plot/Canvas.h"

CGraphLegend::CGraphLegend() {
    mSelectable = true;
    mRefObjects.reserve(10);
}

void CGraphLegend::addReferenceObject(const std::shared_ptr<CGraphObject>& object) {
    if (object) mRefObjects.push_back(object);
}

void CGraphLegend::removeReferenceObject(const std::shared_ptr<CGraphObject>& object) {
    std::erase_if(mRefObjects, [&](const std::weak_ptr<CGraphObject>& w) {
        auto s = w.lock();
        return !s || s == object;
    });
}

std::vector<std::shared_ptr<CGraphObject>> CGraphLegend::mRefObjectList() const {
    std::vector<std::shared_ptr<CGraphObject>> out;
    for (const auto& w : mRefObjects)
        if (auto s = w.lock()) out.push_back(std::move(s));
    return out;
}

void CGraphLegend::setMRefObjectList(const std::vector<std::shared_ptr<CGraphObject>>& list) {
    mRefObjects.assign(list.begin(), list.end());
}

PlotRect CGraphLegend::getBounds() const {
    PlotPoint v = mapPoint(mX, mY);
    return {v.x, v.y, mWidth, mHeight};
}

bool CGraphLegend::isHit(PlotPoint p) { return getBounds().containsMouse(p); }

void CGraphLegend::render(Canvas& canvas) {
    if (mHidden) return;
    canvas.save();
    applyOwnColor(canvas);
    const PlotPoint origin = mapPoint(mX, mY);
    const float X = origin.x;
    mWidth = 0.0f;
    mHeight = 0.0f;
    float y = origin.y;
    const FontDescription font = textFont();
    const auto objects = mRefObjectList();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        const CGraphObject& o = **it;
        const std::type_info& kind = typeid(o);
        const bool isCurve = kind == typeid(CGraphCurve);
        const bool isMarker = kind == typeid(CGraphPoint) || kind == typeid(CGraphPointCurve);
        if (!isCurve && !isMarker) continue;  // no row for other kinds
        const std::string text = o.name().value_or("Untitled");
        const PlotSize s = canvas.measureText(text, font);
        canvas.save();
        if (isCurve) {
            if (o.color()) canvas.setColor(*o.color());
            canvas.setLineWidth(1.0f);
            canvas.setLineDash({}, 0.0f);
            canvas.strokeLine({X, y + 0.5f * s.height}, {X + 20.0f, y + 0.5f * s.height});
        } else {
            const float t = o.getToolSizeFactor();
            const float h = 0.5f * t + 2.0f;
            Path marker = CGraphObject::constructPoint0(o.selector(), h, h, X + 8.0f - 0.5f * t, y + 0.5f * s.height);
            if (o.color()) canvas.setColor(*o.color());
            canvas.setLineWidth(0.1f * mToolSizeFactor + 1.0f);
            canvas.setLineDash({}, 0.0f);
            if (isFilledMarker(o.selector())) canvas.fill(marker);
            else canvas.stroke(marker);
        }
        canvas.restore();
        canvas.drawText(text, font, {X + 30.0f, y}, Color::blackColor());
        mWidth = std::max(mWidth, s.width + 30.0f);
        y += s.height + 2.0f;
        mHeight += s.height + 6.0f;
    }
    // The last row's spacing is not part of the legend (an empty legend has no size).
    mHeight = std::max(0.0f, mHeight - 6.0f);
    if (mHilited) {
        canvas.setColor(Color::blackColor());
        canvas.fillRect({X - 5.0f, origin.y - 5.0f, 10.0f, 10.0f});
        canvas.setLineWidth(1.0f);
        canvas.setLineDash({5.0f, 2.0f}, 0.0f);
        canvas.stroke(Path::rect(getBounds()));
    }
    canvas.restore();
}

std::shared_ptr<CGraphObject> CGraphLegend::copy() const {
    auto c = std::make_shared<CGraphLegend>();
    copyTextInto(*c);
    c->mRefObjects = mRefObjects;
    return c;
}
