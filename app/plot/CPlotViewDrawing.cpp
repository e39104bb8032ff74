// Drawing of a plot view: margins from the titles and a sample tick label,
// background, plot area, titles, frame with ticks, grid, tick labels, graph
// objects, selection marker, legend and zoom rectangle.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/plot/CPlotView.h"
#include "app/plot/Canvas.h"

namespace {
// More ticks than this on one axis means the step has drowned in the range's
// rounding; the walk stops instead of running on.
constexpr int kMaxTicks = 10000;
// Label steps are doubled at most this many times.
constexpr int kMaxDoublings = 64;

void usableAxisLimits(float& a, float& b) {
    if (!std::isfinite(a)) a = 0.0f;
    if (!std::isfinite(b)) b = a + 1.0f;
    if (a == b || !std::isfinite(b - a)) {
        a -= 1.0f;
        b += 1.0f;
    }
}

// The tidy step: the largest of 10, 8, 5, 4, 2 and 1 times the power of ten
// below r that is not greater than r.
float tidyStep(float r) {
    float m = powf(10.0f, floorf(log10f(r)));
    for (float k : {10.0f, 8.0f, 5.0f, 4.0f, 2.0f, 1.0f})
        if (m * k <= r) return m * k;
    return m * 0.1f;
}

// The first multiple of the step not below a.
float firstMultiple(float a, float step) {
    float v = floorf(a / step) * step;
    if (v < a) v += step;
    return v;
}

// The end tick rule: the first value past the end still counts when it lies
// within a thousandth of the end (accumulated rounding).
bool nearEnd(float t, float end) { return std::fabs((t - end) / end) < 0.001f; }

// Values start, start + step, ... up to end, with the end rule.
void walkUp(float start, float step, float end, std::vector<float>& out) {
    if (!(step > 0.0f) || !std::isfinite(step) || !std::isfinite(start)) return;
    float t = start;
    int n = 0;
    while (t <= end) {
        out.push_back(t);
        float next = t + step;
        if (next == t || ++n >= kMaxTicks) return;
        t = next;
    }
    if (nearEnd(t, end)) out.push_back(t);
}

// Values start, start - step, ... down to end, with the end rule.
void walkDown(float start, float step, float end, std::vector<float>& out) {
    if (!(step > 0.0f) || !std::isfinite(step) || !std::isfinite(start)) return;
    float t = start;
    int n = 0;
    while (t >= end) {
        out.push_back(t);
        float next = t - step;
        if (next == t || ++n >= kMaxTicks) return;
        t = next;
    }
    if (nearEnd(t, end)) out.push_back(t);
}

// Doubles the label step until neighbouring labels are `spacing` apart; false
// when the scale gives no room at all (a plot smaller than its margins).
bool thinLabels(float& step, float scale, float spacing) {
    if (!(scale > 0.0f) || !std::isfinite(scale) || !(step > 0.0f)) return false;
    for (int k = 0; k < kMaxDoublings && step * scale < spacing; ++k) step *= 2.0f;
    return step * scale >= spacing;
}

std::string formatFixed(double v, int digits) {
    char buf[512];
    int n = std::snprintf(buf, sizeof buf, "%.*f", std::clamp(digits, 0, 30), v);
    if (n < 0) return {};
    return std::string(buf, std::min<size_t>(static_cast<size_t>(n), sizeof buf - 1));
}
}  // namespace

std::string CPlotView::tickLabelText(float value, bool logAxis, int digits) {
    if (logAxis) {
        char buf[64];
        int n = std::snprintf(buf, sizeof buf, "%g", std::pow(10.0, static_cast<double>(value)));
        return n > 0 ? std::string(buf, std::min<size_t>(static_cast<size_t>(n), sizeof buf - 1)) : std::string();
    }
    return formatFixed(static_cast<double>(value), digits);
}

CPlotView::Ticks CPlotView::xTicks(float labelSpacing) const {
    Ticks t;
    float a = mShowLogX ? mLogXmin_ : mCurMinX, b = mShowLogX ? mLogXmax_ : mCurMaxX;
    usableAxisLimits(a, b);
    const int n = std::max(2, mNbXTicks_);  // fewer than two ticks cannot divide the range
    const float r = (b - a) / static_cast<float>(n - 1);
    float x0;
    if (!mShowLogX) {
        if (!(r > 0.0f)) return t;  // a reversed x range gets no ticks
        t.step = tidyStep(r);
        x0 = firstMultiple(a, t.step);
    } else {
        t.step = r > 1.0f ? r : 1.0f;
        x0 = floorf(a / t.step) * t.step;
    }
    walkUp(x0, t.step, b, t.values);
    float Lx = t.step;
    if (thinLabels(Lx, mAx, labelSpacing)) walkUp(x0, Lx, b, t.labels);
    return t;
}

CPlotView::Ticks CPlotView::yTicks(float labelSpacing) const {
    Ticks t;
    float c = mShowLogY ? mLogYmin_ : mCurMinY, d = mShowLogY ? mLogYmax_ : mCurMaxY;
    usableAxisLimits(c, d);
    const int n = std::max(2, mNbYTicks_);
    const float r = (d - c) / static_cast<float>(n - 1);
    float y0, Ry;
    if (!mShowLogY) {
        t.step = tidyStep(std::fabs(r));
        y0 = firstMultiple(c, t.step);
        Ry = r;
    } else {
        Ry = r > 1.0f ? r : 1.0f;
        t.step = Ry;  // a reversed logarithmic axis walks down by whole decades
        y0 = floorf(c / Ry) * Ry;
    }
    if (d > c) {
        walkUp(y0, Ry, d, t.values);
        float Ly = Ry;
        if (thinLabels(Ly, mAy, labelSpacing)) walkUp(y0, Ly, d, t.labels);
    } else {
        if (y0 > c) y0 -= t.step;
        walkDown(y0, t.step, d, t.values);
        t.labels = t.values;
    }
    return t;
}

void CPlotView::drawYLabel(Canvas& canvas, const PlotRect& P) {
    if (mYLabel_.text.empty()) return;
    PlotSize s = canvas.measureText(mYLabel_.text, mYLabel_.font);
    canvas.save();
    canvas.rotateByDegrees(90.0f);
    canvas.drawText(mYLabel_.text, mYLabel_.font, {P.y + 0.5f * P.height - 0.5f * s.width, -5.0f - s.height},
                    mYLabel_.color);
    canvas.restore();
}

void CPlotView::drawRect(Canvas& canvas) {
    canvas.save();
    canvas.setColor(mBackColor);
    canvas.fillRect(mBounds);
    canvas.setColor(Color::grayColor());
    canvas.frameRect(mBounds);

    calculateLogLimits();
    float a = mShowLogX ? mLogXmin_ : mCurMinX, b = mShowLogX ? mLogXmax_ : mCurMaxX;
    float c = mShowLogY ? mLogYmin_ : mCurMinY, d = mShowLogY ? mLogYmax_ : mCurMaxY;
    usableAxisLimits(a, b);
    usableAxisLimits(c, d);

    const PlotSize xTitle = mXLabel_.text.empty() ? PlotSize{} : canvas.measureText(mXLabel_.text, mXLabel_.font);
    const PlotSize yTitle = mYLabel_.text.empty() ? PlotSize{} : canvas.measureText(mYLabel_.text, mYLabel_.font);

    // Sample tick labels: the widest limit, with a minus sign whenever a limit
    // is not positive.
    float vx = std::max(std::fabs(a), std::fabs(b));
    if (a <= 0.0f || b <= 0.0f) vx = -vx;
    float vy = std::max(std::fabs(c), std::fabs(d));
    if (c <= 0.0f || d <= 0.0f) vy = -vy;
    const PlotSize sx = canvas.measureText(tickLabelText(vx, mShowLogX, mXTicksDigits_), mTicksAttributes);
    const PlotSize sy = canvas.measureText(tickLabelText(vy, mShowLogY, mYTicksDigits_), mTicksAttributes);

    mMarginBottom_ = xTitle.height + sx.height + 25.0f;
    mMarginLeft_ = sy.width + yTitle.height + 25.0f;
    calculateCoefficients();
    const PlotRect P = getPlotRect();

    canvas.setColor(mForeColor);
    canvas.fillRect(P);
    canvas.setColor(Color::blackColor());

    if (!mXLabel_.text.empty())
        canvas.drawText(mXLabel_.text, mXLabel_.font, {P.x + 0.5f * P.width - 0.5f * xTitle.width, 5.0f},
                        mXLabel_.color);
    drawYLabel(canvas, P);

    Path frame;
    frame.moveTo({P.x, P.y + P.height});
    frame.lineTo({P.x, P.y});
    frame.lineTo({P.x + P.width, P.y});
    frame.lineTo({P.x + P.width, P.y + P.height});
    frame.lineTo({P.x, P.y + P.height});

    const Ticks xt = xTicks(sx.width + 10.0f);
    const Ticks yt = yTicks(sy.height + 10.0f);
    for (float t : xt.values) {
        float px = t * mAx + mBx;
        frame.moveTo({px, P.y});
        frame.lineTo({px, P.y - 5.0f});
    }
    for (float t : yt.values) {
        float py = t * mAy + mBy;
        frame.moveTo({P.x, py});
        frame.lineTo({P.x - 5.0f, py});
    }

    if (mDrawGrid) {
        canvas.save();
        canvas.setColor(mIsPrinting ? Color::lightGrayColor() : Color::blackColor());
        canvas.setLineWidth(0.3f);
        canvas.setLineDash({5.0f, 2.0f}, 0.0f);
        for (float t : xt.values) {
            float px = t * mAx + mBx;
            canvas.strokeLine({px, P.y - 5.0f}, {px, P.y + P.height});
        }
        for (float t : yt.values) {
            float py = t * mAy + mBy;
            canvas.strokeLine({P.x - 5.0f, py}, {P.x + P.width, py});
        }
        canvas.restore();
    }

    canvas.setColor(Color::blackColor());
    canvas.setLineWidth(1.0f);
    canvas.setLineDash({}, 0.0f);
    canvas.stroke(frame);

    for (float t : xt.labels) {
        std::string text = tickLabelText(t, mShowLogX, mXTicksDigits_);
        PlotSize s = canvas.measureText(text, mTicksAttributes);
        // Centred on its tick, on the line the sample label sets.
        canvas.drawText(text, mTicksAttributes, {t * mAx + mBx - 0.5f * s.width, mMarginBottom_ - 15.0f - sx.height},
                        Color::blackColor());
    }
    for (float t : yt.labels) {
        std::string text = tickLabelText(t, mShowLogY, mYTicksDigits_);
        PlotSize s = canvas.measureText(text, mTicksAttributes);
        canvas.drawText(text, mTicksAttributes, {P.x - 10.0f - s.width, t * mAy + mBy - 0.5f * sy.height},
                        Color::blackColor());
    }

    const auto objects = mGraphObjects;  // an object may not change the list while drawn
    for (const auto& o : objects) o->render(canvas);

    if (mIsSelectingPointVisible && !mIsPrinting && mCurMinX <= mSelectedPointX && mSelectedPointX <= mCurMaxX &&
        mCurMinY <= mSelectedPointY && mSelectedPointY <= mCurMaxY) {
        float px = getXValue(mSelectedPointX), py = getYValue(mSelectedPointY);
        Path marker = Path::oval({px - 5.0f, py - 5.0f, 10.0f, 10.0f});
        marker.moveTo({px, py - 5.0f});
        marker.lineTo({px, py + 5.0f});
        marker.moveTo({px - 5.0f, py});
        marker.lineTo({px + 5.0f, py});
        canvas.setColor(Color::blackColor());
        canvas.setLineWidth(1.0f);
        canvas.stroke(marker);
    }

    mLegend_->render(canvas);

    if (!mTrackingRect.isEmpty()) {
        canvas.setColor(Color::knobColor());
        canvas.frameRect(mTrackingRect);
    }
    canvas.restore();
}
