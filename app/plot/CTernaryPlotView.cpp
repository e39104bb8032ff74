#include "app/plot/CTernaryPlotView.h"

#include <cmath>
#include <cstdio>

#include "app/plot/CGraphObject.h"
#include "app/plot/Canvas.h"
#include "platform/NotificationCenter.h"

namespace {
// Height of an equilateral triangle per unit side: sqrt(3)/2.
constexpr float kHeightToSide = 0.8660254f;

PlotPoint lerp(PlotPoint p, PlotPoint q, float t) { return {p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)}; }

std::string percentText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", v);
    return buf;
}
}  // namespace

void my_solve_linear_system2(double a, double b, double c, double d, double e, double f, double& x, double& y) {
    const double det = b * d - a * e;
    if (std::fabs(det) < 1e-20) {
        x = 0.0;
        y = 0.0;
        return;
    }
    x = (b * f - c * e) / det;
    y = (c * d - a * f) / det;
}

CTernaryPlotView::CTernaryPlotView(const PlotRect& frame) : mBounds{0, 0, frame.width, frame.height} {}

void CTernaryPlotView::setNeedsDisplay() {
    if (mDisplayRequest) mDisplayRequest();
}

void CTernaryPlotView::setMargin(float margin) {
    mMarginLeft_ = mMarginBottom_ = mMarginTop_ = mMarginRight_ = margin;
}

void CTernaryPlotView::setRanges(float a0, float b0, float span) {
    if (!(span > 0.0f && span <= 100.0f)) span = 100.0f;  // also a span that is not a number
    mAmin_ = a0;
    mAmax_ = a0 + span;
    if (mAmax_ > 100.0f) {
        mAmax_ = 100.0f;
        mAmin_ = 100.0f - span;
    }
    mBmin_ = b0;
    mBmax_ = b0 + span;
    if (mBmax_ > 100.0f) {
        mBmax_ = 100.0f;
        mBmin_ = 100.0f - span;
    }
    // C starts where the sub-triangle's corners (Amax, Bmin, Cmin),
    // (Amin, Bmax, Cmin) and (Amin, Bmin, Cmax) each sum to 100.
    mCmin_ = 100.0f - mAmax_ - mBmin_;
    if (mCmin_ < 0.0f) mCmin_ = 0.0f;
    else if (mCmin_ + span > 100.0f) mCmin_ = 100.0f - span;
    mCmax_ = mCmin_ + span;
    mTruncated_ = !(mAmin_ == 0.0f && mBmin_ == 0.0f && mCmin_ == 0.0f && mAmax_ == 100.0f && mBmax_ == 100.0f &&
                    mCmax_ == 100.0f);
}

void CTernaryPlotView::setLabels(const std::string& a, const std::string& b, const std::string& c) {
    mLabel0_ = a;
    mLabel1_ = b;
    mLabel2_ = c;
}

void CTernaryPlotView::plotPoint(double a, double b, int type, int line, int line1) {
    mPoints.push_back({a, b, type, line, line1});
}

void CTernaryPlotView::plotCurve(const std::vector<double>& data, int stride, int ia, int ib) {
    if (stride < 1) stride = 1;
    std::vector<double> curve;
    if (ia >= 0 && ib >= 0) {
        const size_t st = static_cast<size_t>(stride), ja = static_cast<size_t>(ia), jb = static_cast<size_t>(ib);
        const size_t rows = data.size() / st;
        curve.reserve(2 * rows);
        // Columns beyond the row would read into the next row: such a row is
        // taken only while both indices stay inside the data.
        for (size_t r = 0; r < rows; ++r) {
            const size_t pa = r * st + ja, pb = r * st + jb;
            if (pa >= data.size() || pb >= data.size()) break;
            curve.push_back(data[pa]);
            curve.push_back(data[pb]);
        }
    }
    mCurves.push_back(std::move(curve));
}

void CTernaryPlotView::purge() {
    mPoints.clear();
    mCurves.clear();
}

// ---------------------------------------------------------------- geometry

void CTernaryPlotView::placeTriangle() {
    const float W = mBounds.width, H = mBounds.height, x0 = mBounds.x, y0 = mBounds.y;
    const float w = W - (mMarginLeft_ + mMarginRight_);
    const float h = H - (mMarginBottom_ + mMarginTop_);
    float side, th;
    if (w * kHeightToSide > h) {
        side = h / kHeightToSide;
        th = h;
    } else {
        side = w;
        th = w * kHeightToSide;
    }
    ax = x0 + mMarginLeft_ + (w - side) / 2.0f;
    ay = y0 + mMarginBottom_ + (h - th) / 2.0f;
    bx = ax + side;
    by = ay;
    cx = ax + side / 2.0f;
    cy = ay + th;
}

std::optional<CTernaryPlotView::Fractions> CTernaryPlotView::fractions(double a, double b) const {
    if (!std::isfinite(a) || !std::isfinite(b)) return std::nullopt;  // a missing value: no point
    const double c = 100.0 - a - b;
    if (!mTruncated_) return Fractions{a / 100.0, b / 100.0, c / 100.0};
    double fa = (a - mAmin_) / (double(mAmax_) - mAmin_);
    double fb = (b - mBmin_) / (double(mBmax_) - mBmin_);
    double fc = (c - mCmin_) / (double(mCmax_) - mCmin_);
    const double sum = fa + fb + fc;
    // A sub-range pulled back at both ends (say A and B from 50 in steps of
    // 10) gives fractions that sum to zero: no point there.
    if (!(std::fabs(sum) > 1e-12)) return std::nullopt;
    return Fractions{fa / sum, fb / sum, fc / sum};
}

std::optional<PlotPoint> CTernaryPlotView::pointOf(double a, double b) const {
    const auto f = fractions(a, b);
    if (!f) return std::nullopt;
    return PlotPoint{static_cast<float>(f->fa * ax + f->fb * bx + f->fc * cx),
                     static_cast<float>(f->fa * ay + f->fb * by + f->fc * cy)};
}

Path CTernaryPlotView::constructPoint(int type, float hw, float hh, float x, float y) {
    return CGraphObject::constructPoint0(type, hw, hh, x, y);
}

// ---------------------------------------------------------------- mouse

void CTernaryPlotView::mouseDown(PlotPoint p) {
    mSela_ = mSelb_ = mSelc_ = -1.0;
    const float W = mBounds.width, H = mBounds.height;
    if (p.x < mMarginLeft_ || p.x > W - mMarginRight_ || p.y < mMarginBottom_ || p.y > H - mMarginTop_) return;
    if (mTruncated_) return;
    double u = 0, v = 0;
    my_solve_linear_system2(double(ax) - cx, double(bx) - cx, double(p.x) - cx, double(ay) - cy, double(by) - cy,
                            double(p.y) - cy, u, v);
    const double a = 100.0 * u, b = 100.0 * v, c = 100.0 * (1.0 - u - v);
    const auto inside = [](double x) { return x >= 0.0 && x <= 100.0; };
    if (!inside(a) || !inside(b) || !inside(c)) return;
    mSela_ = a;
    mSelb_ = b;
    mSelc_ = c;
    platform::NotificationCenter::defaultCenter().post(kTernaryPlotSelection, this);
}

// ---------------------------------------------------------------- drawing

void CTernaryPlotView::drawRect(Canvas& canvas) {
    std::fputs("drawRect\n", stderr);
    canvas.setColor(Color::whiteColor());
    canvas.fillRect(mBounds);

    placeTriangle();
    const PlotPoint A{ax, ay}, B{bx, by}, C{cx, cy};
    canvas.setColor(Color::blackColor());
    {
        Path outline;
        outline.moveTo(A);
        outline.lineTo(B);
        outline.lineTo(C);
        outline.lineTo(A);
        canvas.stroke(outline);
    }

    // Edge points every tenth, and the ends of their ticks, 5 points out,
    // perpendicular to each edge.
    PlotPoint ab[11], bc[11], ca[11];
    for (int i = 0; i <= 10; ++i) {
        const float t = static_cast<float>(i) * 0.1f;
        ab[i] = lerp(A, B, t);
        bc[i] = lerp(B, C, t);
        ca[i] = lerp(C, A, t);
    }
    const auto abEnd = [](PlotPoint p) { return PlotPoint{p.x, p.y - 5.0f}; };
    const auto bcEnd = [](PlotPoint p) { return PlotPoint{p.x + 4.330127f, p.y + 2.5f}; };
    const auto caEnd = [](PlotPoint p) { return PlotPoint{p.x - 4.330127f, p.y + 2.5f}; };
    {
        Path ticks;
        for (int i = 1; i <= 9; ++i) {
            ticks.moveTo(ab[i]);
            ticks.lineTo(abEnd(ab[i]));
            ticks.moveTo(bc[i]);
            ticks.lineTo(bcEnd(bc[i]));
            ticks.moveTo(ca[i]);
            ticks.lineTo(caEnd(ca[i]));
        }
        canvas.stroke(ticks);
    }

    // Tick labels: the B scale on the bottom edge (rising from A to B), the C
    // scale on the right edge (from B to C), the A scale on the left edge
    // (from C to A), each in a box the size of "900".
    const PlotSize box = canvas.measureText("900", mTicksAttributes);
    for (int i = 1; i <= 9; ++i) {
        const double t = i * 0.1;
        const double vb = mTruncated_ ? mBmin_ + (double(mBmax_) - mBmin_) * t : 100.0 * t;
        const double vc = mTruncated_ ? mCmin_ + (double(mCmax_) - mCmin_) * t : 100.0 * t;
        const double va = mTruncated_ ? mAmin_ + (double(mAmax_) - mAmin_) * t : 100.0 * t;
        canvas.drawText(percentText(vb), mTicksAttributes,
                        {ab[i].x - box.width / 2.0f, ab[i].y - 5.0f - box.height - 5.0f}, Color::blackColor());
        const PlotPoint e = bcEnd(bc[i]);
        canvas.drawText(percentText(vc), mTicksAttributes, {e.x + 5.0f, e.y + 1.0f}, Color::blackColor());
        const PlotPoint f = caEnd(ca[i]);
        canvas.drawText(percentText(va), mTicksAttributes, {f.x - 1.0f - box.width, f.y + 1.0f},
                        Color::blackColor());
    }

    // Corner labels: A below left, B below right, C centred above.
    if (mLabel0_) {
        const PlotSize s = canvas.measureText(*mLabel0_, mLabelsAttributes);
        canvas.drawText(*mLabel0_, mLabelsAttributes, {ax - 5.0f - s.width, ay - 5.0f - s.height},
                        Color::blackColor());
    }
    if (mLabel1_) {
        const PlotSize s = canvas.measureText(*mLabel1_, mLabelsAttributes);
        canvas.drawText(*mLabel1_, mLabelsAttributes, {bx + 5.0f, by - 5.0f - s.height}, Color::blackColor());
    }
    if (mLabel2_) {
        const PlotSize s = canvas.measureText(*mLabel2_, mLabelsAttributes);
        canvas.drawText(*mLabel2_, mLabelsAttributes, {cx - s.width / 2.0f, cy + 5.0f}, Color::blackColor());
    }

    // Grid of constant B, A and C every tenth.
    if (mShowGrid_) {
        Path grid;
        for (int k = 1; k <= 9; ++k) {
            grid.moveTo(ab[k]);  // B = k/10
            grid.lineTo(bc[10 - k]);
            grid.moveTo(ab[k]);  // A = 1 - k/10
            grid.lineTo(ca[10 - k]);
            grid.moveTo(bc[k]);  // C = k/10
            grid.lineTo(ca[10 - k]);
        }
        canvas.save();
        canvas.setLineDash({4.0f, 2.0f, 2.0f, 2.0f}, 0.0f);
        canvas.setLineWidth(0.5f);
        canvas.setColor(Color::blackColor());
        canvas.stroke(grid);
        canvas.restore();
    }

    renderCurves(canvas);
    renderPoints(canvas);
}

void CTernaryPlotView::renderCurves(Canvas& canvas) {
    canvas.setColor(Color::blueColor());
    for (const auto& curve : mCurves) {
        Path path;
        bool started = false;
        for (size_t k = 0; k + 1 < curve.size(); k += 2) {
            const auto p = pointOf(curve[k], curve[k + 1]);
            if (!p) continue;
            if (started) path.lineTo(*p);
            else path.moveTo(*p);
            started = true;
        }
        if (!path.isEmpty()) canvas.stroke(path);
    }
}

void CTernaryPlotView::renderPoints(Canvas& canvas) {
    const PlotPoint A{ax, ay}, B{bx, by}, C{cx, cy};
    const auto weighted = [](PlotPoint p, double wp, PlotPoint q, double wq) {
        return PlotPoint{static_cast<float>(wp * p.x + wq * q.x), static_cast<float>(wp * p.y + wq * q.y)};
    };
    canvas.setColor(markerColor());
    for (const TernaryPoint& tp : mPoints) {
        const auto f = fractions(tp.a, tp.b);
        if (!f) continue;
        const auto P = pointOf(tp.a, tp.b);
        const Path marker = constructPoint(tp.type, 5.0f, 5.0f, P->x, P->y);
        if (CGraphObject::isFilledMarker(tp.type)) canvas.fill(marker);
        else canvas.stroke(marker);

        // Lines from the corners through the point to the opposite edges.
        if (tp.line != 0) {
            Path lines;
            if (tp.line & 1) {
                const double s = f->fa + f->fb;
                lines.moveTo(C);
                lines.lineTo(s > 0.0 ? weighted(A, f->fa / s, B, f->fb / s) : C);
            }
            if (tp.line & 2) {
                const double s = f->fb + f->fc;
                lines.moveTo(A);
                lines.lineTo(s > 0.0 ? weighted(B, f->fb / s, C, f->fc / s) : A);
            }
            if (tp.line & 4) {
                const double s = f->fc + f->fa;
                lines.moveTo(B);
                lines.lineTo(s > 0.0 ? weighted(C, f->fc / s, A, f->fa / s) : B);
            }
            canvas.stroke(lines);
        }
        // Lines of constant A, B and C from the point to the edges.
        if (tp.line1 != 0) {
            Path lines;
            lines.moveTo(*P);
            lines.lineTo(weighted(A, f->fa, C, 1.0 - f->fa));
            lines.moveTo(*P);
            lines.lineTo(weighted(B, f->fb, A, 1.0 - f->fb));
            lines.moveTo(*P);
            lines.lineTo(weighted(C, f->fc, B, 1.0 - f->fc));
            canvas.stroke(lines);
        }
    }
}
