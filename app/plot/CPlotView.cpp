#include "app/plot/CPlotView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <typeinfo>

#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CGraphPointCurve.h"
#include "app/plot/CPlotFormat.h"
#include "app/plot/Canvas.h"
#include "app/plot/PlotViewPanels.h"
#include "platform/NotificationCenter.h"

CPlotView::CPlotView(const PlotRect& frame) : mBounds{0.0f, 0.0f, frame.width, frame.height} {
    mGraphObjects.reserve(10);
    mLabelsAttributes = FontDescription::systemFont();
    mTicksAttributes = FontDescription::labelFont();
    mLegendsAttributes = FontDescription::labelFont();
    setLabels("Undefined", "Undefined");
    mLegend_ = std::make_shared<CGraphLegend>();
    mLegend_->setHidden(true);
    mLegend_->setPlotView(this);
}

CPlotView::~CPlotView() {
    // Objects that outlive the view (held elsewhere) must not point back at it.
    for (const auto& o : mGraphObjects) o->setPlotView(nullptr);
    if (mLegend_) mLegend_->setPlotView(nullptr);
    if (auto* panels = plotViewPanels()) panels->plotViewWillClose(*this);
    platform::NotificationCenter::defaultCenter().removeObserversOfSender(this);
}

void CPlotView::setNeedsDisplay() {
    if (mDisplayRequest) mDisplayRequest();
}

void CPlotView::postAxisPlotChanged() {
    platform::NotificationCenter::defaultCenter().post(kAxisPlotChanged, this);
}

// ---------------------------------------------------------------- ranges

void CPlotView::setMaxXYRange(float x0, float x1, float y0, float y1) {
    mMaxMinX = x0;
    mMaxMaxX = x1;
    mMaxMinY = y0;
    mMaxMaxY = y1;
}

void CPlotView::setDefaultXYRange(float x0, float x1, float y0, float y1) {
    mMinX = mCurMinX = x0;
    mMaxX = mCurMaxX = x1;
    mMinY = mCurMinY = y0;
    mMaxY = mCurMaxY = y1;
    postAxisPlotChanged();
}

void CPlotView::setXYRange(float x0, float x1, float y0, float y1) {
    mCurMinX = x0;
    mCurMaxX = x1;
    mCurMinY = y0;
    mCurMaxY = y1;
    if (auto* panels = plotViewPanels()) panels->axisRangesChanged(*this);
    postAxisPlotChanged();
}

void CPlotView::getXYRange(float* x0, float* x1, float* y0, float* y1) const {
    if (x0) *x0 = mCurMinX;
    if (x1) *x1 = mCurMaxX;
    if (y0) *y0 = mCurMinY;
    if (y1) *y1 = mCurMaxY;
}

void CPlotView::getDefaultXYRange(float* x0, float* x1, float* y0, float* y1) const {
    if (x0) *x0 = mMinX;
    if (x1) *x1 = mMaxX;
    if (y0) *y0 = mMinY;
    if (y1) *y1 = mMaxY;
}

void CPlotView::getMaxXYRange(float* x0, float* x1, float* y0, float* y1) const {
    if (x0) *x0 = mMaxMinX;
    if (x1) *x1 = mMaxMaxX;
    if (y0) *y0 = mMaxMinY;
    if (y1) *y1 = mMaxMaxY;
}

namespace {
// Integer part of a value as a 32-bit int, toward zero, saturating.
std::int32_t trunc32(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483520.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}
}  // namespace

void CPlotView::adjustXYRange(float x0, float x1, float y0, float y1, float s0, float s1) {
    // The x limits move to whole multiples of the steps; a step below 1 (whose
    // integer part would divide by zero) counts as 1.
    std::int32_t i0 = std::max<std::int32_t>(1, trunc32(s0));
    std::int32_t i1 = std::max<std::int32_t>(1, trunc32(s1));
    if (mMinX > x0) mMinX = static_cast<float>((static_cast<std::int64_t>(trunc32(x0)) / i0 - 1) * i0);
    if (x1 > mMaxX) mMaxX = static_cast<float>((static_cast<std::int64_t>(trunc32(x1)) / i1 + 1) * i1);
    if (mMinY > y0) mMinY = y0;
    if (y1 > mMaxY) mMaxY = y1;
    setDefaultXYRange(mMinX, mMaxX, mMinY, mMaxY);
}

void CPlotView::getSameXYRange(const CPlotView& other) {
    mMinX = mCurMinX = other.mCurMinX;
    mMaxX = mCurMaxX = other.mCurMaxX;
    mMinY = mCurMinY = other.mCurMinY;
    mMaxY = mCurMaxY = other.mCurMaxY;
    postAxisPlotChanged();
}

// ---------------------------------------------------------------- labels and formats

void CPlotView::setLabels(const std::string& xTitle, const std::string& yTitle) {
    mXLabel_ = RichText{xTitle, mLabelsAttributes, Color::blackColor()};
    mYLabel_ = RichText{yTitle, mLabelsAttributes, Color::blackColor()};
}

FontDescription CPlotView::setTextAttributes(const std::string& fontName, std::int32_t size, std::int32_t bold,
                                             std::int32_t italic) {
    FontDescription f;
    f.family = fontName;
    f.pointSize = static_cast<float>(size);
    f.bold = bold != 0;
    f.italic = italic != 0;
    return f;
}

void CPlotView::setFromPlotFormat(const CPlotFormat& format) {
    mMinX = format.minX();
    mMaxX = format.maxX();
    mMinY = format.minY();
    mMaxY = format.maxY();
    mCurMinX = format.currentMinX();
    mCurMaxX = format.currentMaxX();
    mCurMinY = format.currentMinY();
    mCurMaxY = format.currentMaxY();
    setLegendPosition(format.legendX(), format.legendY());
    auto font = [](const std::shared_ptr<CTextFormat>& t, const FontDescription& keep) {
        // A record read without a font keeps the view's current one.
        return t ? setTextAttributes(t->fontName(), t->size(), t->isBold(), t->isItalic()) : keep;
    };
    mLegendsAttributes = font(format.legendFormat(), mLegendsAttributes);
    mLabelsAttributes = font(format.labelsFormat(), mLabelsAttributes);
    mTicksAttributes = font(format.ticksFormat(), mTicksAttributes);
}

void CPlotView::updatePlotFormat(CPlotFormat& format) const {
    format.setMinX(mMinX);
    format.setMaxX(mMaxX);
    format.setMinY(mMinY);
    format.setMaxY(mMaxY);
    format.setCurrentMinX(mCurMinX);
    format.setCurrentMaxX(mCurMaxX);
    format.setCurrentMinY(mCurMinY);
    format.setCurrentMaxY(mCurMaxY);
    float lx = 0, ly = 0;
    mLegend_->getPosition(&lx, &ly);
    format.setLegendX(lx);
    format.setLegendY(ly);
}

// ---------------------------------------------------------------- selection

void CPlotView::getSelectedPoint(float* x, float* y) const {
    if (x) *x = mSelectedPointX;
    if (y) *y = mSelectedPointY;
}

void CPlotView::getSelection(float* x, float* y, std::shared_ptr<CGraphObject>* object) const {
    getSelectedPoint(x, y);
    if (object) *object = mSelectedObject.lock();
}

void CPlotView::setSelectedPoint(float x, float y) {
    mSelectedPointX = x;
    mSelectedPointY = y;
    setNeedsDisplay();
}

void CPlotView::adjustSelectionPoint(const CGraphPoint& point) { setSelectedPoint(point.getX(), point.getY()); }

void CPlotView::showSelectionPoint(bool show) {
    mIsSelectingPointVisible = show;
    setNeedsDisplay();
}

// ---------------------------------------------------------------- object list

void CPlotView::addGraphObject(const std::shared_ptr<CGraphObject>& object) {
    if (!object) return;
    mGraphObjects.push_back(object);
    object->setPlotView(this);
}

void CPlotView::detach(const std::shared_ptr<CGraphObject>& object) {
    mLegend_->removeReferenceObject(object);
    object->setPlotView(nullptr);
}

void CPlotView::removeAt(size_t i) {
    // A removed object leaves the legend too and never keeps pointing at a
    // view that may go away.
    std::shared_ptr<CGraphObject> o = mGraphObjects[i];
    detach(o);
    mGraphObjects.erase(mGraphObjects.begin() + static_cast<std::ptrdiff_t>(i));
    if (mSelectedObject.lock() == o) mSelectedObject.reset();
}

void CPlotView::removeGraphObject(const std::shared_ptr<CGraphObject>& object) {
    if (!object) return;
    auto it = std::find(mGraphObjects.begin(), mGraphObjects.end(), object);
    if (it != mGraphObjects.end()) {
        removeAt(static_cast<size_t>(it - mGraphObjects.begin()));
    } else {
        detach(object);
    }
    mSelectedObject.reset();
}

void CPlotView::removeGraphObjectWithName(const std::string& name) {
    if (auto o = getGraphObjectWithName(name)) removeGraphObject(o);
}

void CPlotView::removeGraphObjectWithKindOfName(const std::string& prefix) {
    std::vector<std::shared_ptr<CGraphObject>> found;
    for (const auto& o : mGraphObjects)
        if (o->name() && o->name()->compare(0, prefix.size(), prefix) == 0) found.push_back(o);
    for (const auto& o : found) removeGraphObject(o);
}

std::shared_ptr<CGraphObject> CPlotView::getGraphObjectWithName(const std::string& name) const {
    for (const auto& o : mGraphObjects)
        if (o->name() && *o->name() == name) return o;
    return nullptr;
}

void CPlotView::purge() {
    mSelectedObject.reset();
    for (const auto& o : mGraphObjects) o->setPlotView(nullptr);
    mGraphObjects.clear();
    mLegend_->purge();
}

void CPlotView::purgeCurves() {
    for (size_t i = mGraphObjects.size(); i-- > 0;)
        if (const CGraphObject& object = *mGraphObjects[i]; typeid(object) == typeid(CGraphCurve)) removeAt(i);
}

void CPlotView::purgePointCurves() {
    for (size_t i = mGraphObjects.size(); i-- > 0;)
        if (const CGraphObject& object = *mGraphObjects[i];
            typeid(object) == typeid(CGraphPointCurve) && !object.hasReferenceObject())
            removeAt(i);
}

void CPlotView::purgeReferenceObjects() {
    for (size_t i = mGraphObjects.size(); i-- > 0;)
        if (mGraphObjects[i]->hasReferenceObject()) removeAt(i);
}

void CPlotView::setGraphObjects(const std::vector<std::shared_ptr<CGraphObject>>& list) {
    for (const auto& o : mGraphObjects) o->setPlotView(nullptr);
    mGraphObjects.clear();
    for (const auto& o : list)
        if (o) addGraphObject(o);
    if (auto s = mSelectedObject.lock())
        if (std::find(mGraphObjects.begin(), mGraphObjects.end(), s) == mGraphObjects.end()) mSelectedObject.reset();
}

void CPlotView::hilite(const std::shared_ptr<CGraphObject>& object) {
    for (const auto& o : mGraphObjects) o->setHilited(o == object);
    setNeedsDisplay();
}

void CPlotView::hilite1(const std::shared_ptr<CGraphObject>& object) {
    if (object) object->setHilited(true);
}

void CPlotView::includesIntoLegend(const std::shared_ptr<CGraphObject>& object) { mLegend_->addReferenceObject(object); }

void CPlotView::removeFromLegend(const std::shared_ptr<CGraphObject>& object) {
    mLegend_->removeReferenceObject(object);
}

void CPlotView::setLegendPosition(float x, float y) {
    mLegend_->setHidden(false);
    mLegend_->setPosition(x, y);
}

void CPlotView::setMLegend(const CGraphLegend& legend) {
    auto c = std::static_pointer_cast<CGraphLegend>(legend.copy());
    c->setPlotView(this);
    c->setHidden(legend.isHidden());
    mLegend_ = std::move(c);
}

// ---------------------------------------------------------------- filling from arrays

std::shared_ptr<CGraphCurve> CPlotView::plotFromArray(const std::vector<double>& array, int stride, int xIndex,
                                                      int yIndex) {
    return plotFromArray(array, stride, xIndex, yIndex, 1.0, 0.0, 1.0, 0.0);
}

std::shared_ptr<CGraphCurve> CPlotView::plotFromArray(const std::vector<double>& array, int stride, int xIndex,
                                                      int yIndex, double ax, double bx, double ay, double by) {
    // A row layout whose columns lie outside the row would read past the data.
    if (stride <= 0 || xIndex < 0 || yIndex < 0 || xIndex >= stride || yIndex >= stride) {
        std::fprintf(stderr, "plotFromArray: columns %d and %d do not fit rows of %d numbers\n", xIndex, yIndex,
                     stride);
        return nullptr;
    }
    auto curve = std::make_shared<CGraphCurve>();
    const size_t rows = array.size() / static_cast<size_t>(stride);
    for (size_t r = 0; r < rows; ++r) {
        double x = array[xIndex + r * stride], y = array[yIndex + r * stride];
        curve->addPoint(static_cast<float>(x * ax + bx), static_cast<float>(y * ay + by), false);
    }
    addGraphObject(curve);
    return curve;
}

std::shared_ptr<CGraphPoint> CPlotView::plotPoint(double x, double y, std::int32_t selector, const Color& color) {
    auto p = CGraphPoint::newGraphPoint(static_cast<float>(x), static_cast<float>(y));
    p->setSelector(selector);
    p->setColor(color);
    addGraphObject(p);
    return p;
}

// ---------------------------------------------------------------- mapping

PlotRect CPlotView::getPlotRect() const {
    return {mBounds.x + mMarginLeft_, mBounds.y + mMarginBottom_, mBounds.width - (mMarginLeft_ + mMarginRight_),
            mBounds.height - (mMarginBottom_ + mMarginTop_)};
}

namespace {
// Axis limits fit to divide by: equal limits (or limits that are not numbers)
// are opened to a span of one unit each side so that the axis stays drawable.
void usableLimits(float& a, float& b) {
    if (!std::isfinite(a)) a = 0.0f;
    if (!std::isfinite(b)) b = a + 1.0f;
    if (a == b || !std::isfinite(b - a)) {
        a -= 1.0f;
        b += 1.0f;
    }
}
}  // namespace

void CPlotView::calculateLogLimits() {
    auto limits = [](float lo, float hi, float& emin, float& emax) {
        emin = lo > 0.0f ? static_cast<float>(std::floor(std::log10(static_cast<double>(lo)))) : -2.0f;
        emax = hi > 0.0f ? static_cast<float>(std::ceil(std::log10(static_cast<double>(hi)))) : -1.0f;
    };
    if (mShowLogX) limits(mCurMinX, mCurMaxX, mLogXmin_, mLogXmax_);
    if (mShowLogY) limits(mCurMinY, mCurMaxY, mLogYmin_, mLogYmax_);
}

void CPlotView::calculateCoefficients() {
    PlotRect P = getPlotRect();
    float a = mShowLogX ? mLogXmin_ : mCurMinX, b = mShowLogX ? mLogXmax_ : mCurMaxX;
    float c = mShowLogY ? mLogYmin_ : mCurMinY, d = mShowLogY ? mLogYmax_ : mCurMaxY;
    usableLimits(a, b);
    usableLimits(c, d);
    mAx = P.width / (b - a);
    mBx = P.x - P.width * a / (b - a);
    mAy = P.height / (d - c);
    mBy = P.y - P.height * c / (d - c);
}

float CPlotView::getXValue(float x) const {
    if (!mShowLogX) return x * mAx + mBx;
    if (!(x > 0.0f)) return mLogXmin_ * mAx + mBx;
    return static_cast<float>(std::log10(static_cast<double>(x))) * mAx + mBx;
}

float CPlotView::getYValue(float y) const {
    if (!mShowLogY) return y * mAy + mBy;
    if (!(y > 0.0f)) return mLogYmin_ * mAy + mBy;
    return static_cast<float>(std::log10(static_cast<double>(y))) * mAy + mBy;
}

float CPlotView::getXFromPixelValue(float px) const {
    float u = (px - mBx) / mAx;
    return mShowLogX ? static_cast<float>(std::pow(10.0, static_cast<double>(u))) : u;
}

float CPlotView::getYFromPixelValue(float py) const {
    float u = (py - mBy) / mAy;
    return mShowLogY ? static_cast<float>(std::pow(10.0, static_cast<double>(u))) : u;
}
