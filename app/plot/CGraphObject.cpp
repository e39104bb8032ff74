#include "app/plot/CGraphObject.h"

#include <algorithm>

#include "app/plot/CPlotView.h"
#include "app/plot/Canvas.h"

CGraphObject::CGraphObject() { mColorCousins.reserve(3); }

CGraphObject::~CGraphObject() {
    // Cousins watch this object through weak references, which expire with
    // it; their lists drop expired entries whenever they are used.
}

void CGraphObject::setColor(const Color& c) {
    applyColor(c);
    for (const auto& cousin : colorCousins()) cousin->applyColor(c);
}

void CGraphObject::setColor(float red, float green, float blue) { mColor = Color{red, green, blue, 1.0f}; }

std::int32_t CGraphObject::getRed() const { return mColor ? Color::to16bit(mColor->red) : 0; }
std::int32_t CGraphObject::getGreen() const { return mColor ? Color::to16bit(mColor->green) : 0; }
std::int32_t CGraphObject::getBlue() const { return mColor ? Color::to16bit(mColor->blue) : 0; }

void CGraphObject::addColorCousin(const std::shared_ptr<CGraphObject>& other) {
    if (!other || other.get() == this) return;
    std::erase_if(mColorCousins, [](const std::weak_ptr<CGraphObject>& w) { return w.expired(); });
    mColorCousins.push_back(other);
}

void CGraphObject::removeColorCousin(const std::shared_ptr<CGraphObject>& other) {
    std::erase_if(mColorCousins, [&](const std::weak_ptr<CGraphObject>& w) {
        auto s = w.lock();
        return !s || s == other;
    });
}

void CGraphObject::setColorCousinship(const std::shared_ptr<CGraphObject>& other) {
    if (!other || other.get() == this) return;
    addColorCousin(other);
    // The other side needs a shared owner of this object to watch.
    if (auto self = weak_from_this().lock()) other->addColorCousin(self);
}

void CGraphObject::breakCousinship(const std::shared_ptr<CGraphObject>& other) {
    if (!other) return;
    removeColorCousin(other);
    if (auto self = weak_from_this().lock()) other->removeColorCousin(self);
}

std::vector<std::shared_ptr<CGraphObject>> CGraphObject::colorCousins() const {
    std::vector<std::shared_ptr<CGraphObject>> out;
    for (const auto& w : mColorCousins)
        if (auto s = w.lock()) out.push_back(std::move(s));
    return out;
}

bool CGraphObject::isHit(PlotPoint p) {
    return !mHidden && mSelectable && mPath && mPath->contains(p);
}

PlotRect CGraphObject::getBounds() const { return mPath ? mPath->bounds() : PlotRect{}; }

void CGraphObject::render(Canvas&) {}

std::shared_ptr<CGraphObject> CGraphObject::copy() const {
    auto c = std::make_shared<CGraphObject>();
    copyBaseInto(*c);
    return c;
}

void CGraphObject::copyBaseInto(CGraphObject& to) const {
    to.mName = mName;
    to.mSize = mSize;
    to.mSelector = mSelector;
    if (mColor) to.setColor(*mColor);
    to.mReferenceObject.reset();
    to.mHasReferenceObject = false;
}

Path CGraphObject::constructPoint0(std::int32_t selector, float a, float b, float x, float y) {
    Path p;
    const float lo = 0.667f, hi = 1.333f;
    switch (selector) {
    case 3:
    case 4:
        p.appendRect({x - a, y - b, 2.0f * a, 2.0f * b});
        break;
    case 5:
        p.moveTo({x - a, y});
        p.lineTo({x + a, y});
        p.moveTo({x, y - b});
        p.lineTo({x, y + b});
        break;
    case 6:
        p.moveTo({x - a, y - b});
        p.lineTo({x + a, y + b});
        p.moveTo({x - a, y + b});
        p.lineTo({x + a, y - b});
        break;
    case 7:
    case 9:
        p.moveTo({x - a, y - lo * b});
        p.lineTo({x + a, y - lo * b});
        p.lineTo({x, y + hi * b});
        p.close();
        break;
    case 8:
    case 10:
        p.moveTo({x - a, y + lo * b});
        p.lineTo({x + a, y + lo * b});
        p.lineTo({x, y - hi * b});
        p.close();
        break;
    case 11:
    case 12:
        p.moveTo({x - a, y});
        p.lineTo({x, y - b});
        p.lineTo({x + a, y});
        p.lineTo({x, y + b});
        p.close();
        break;
    default:  // 0, 1, 2 and any other kind: a circle
        p.appendOval({x - a, y - b, 2.0f * a, 2.0f * b});
        break;
    }
    return p;
}

Path CGraphObject::constructPoint(std::int32_t selector, float a, float b, float x, float y) const {
    const PlotPoint v = mapPoint(x, y);
    if (!isDrawable(v)) return Path();  // no marker for a point without a number
    return constructPoint0(selector, a, b, v.x, v.y);
}

float CGraphObject::mapX(float x) const { return mPlotView ? mPlotView->getXValue(x) : x; }
float CGraphObject::mapY(float y) const { return mPlotView ? mPlotView->getYValue(y) : y; }

void CGraphObject::beginClippedDrawing(Canvas& canvas) const {
    canvas.save();
    if (mPlotView) canvas.clipToRect(mPlotView->getPlotRect());
}

void CGraphObject::applyOwnColor(Canvas& canvas) const {
    if (mColor) canvas.setColor(*mColor);
}

FontDescription CGraphObject::textFont() const {
    return mPlotView ? mPlotView->getLegendsAttributes() : FontDescription::labelFont();
}
