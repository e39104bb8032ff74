#include "app/plot/CGraphCurve.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "app/plot/CPlotView.h"
#include "app/plot/Canvas.h"
#include "app/plot/FileChooser.h"
#include "platform/LogSink.h"

namespace {
constexpr float kHitTolerance = 5.0f;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void reportCannotOpen(const std::string& path) {
    platform::logText("Cannot open the file \"" + path + "\" for writing.\n");
}
void reportWriteFailed(const std::string& path) {
    platform::logText("Writing the file \"" + path + "\" failed.\n");
}
}  // namespace

CGraphCurve::CGraphCurve() {
    mSelectable = true;
    mSize = 1.0f;
    mToolSizeFactor = 1.0f;
    mPointsList_.reserve(10);
}

void CGraphCurve::addPoint(float x, float y, bool breakFlag) { mPointsList_.push_back({x, y, breakFlag}); }

std::optional<PlotPoint> CGraphCurve::getPointAtIndex(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= mPointsList_.size()) return std::nullopt;
    return PlotPoint{mPointsList_[i].x, mPointsList_[i].y};
}

bool CGraphCurve::getLastPointCoord(float* x, float* y) const {
    if (mPointsList_.empty()) return false;
    if (x) *x = mPointsList_.back().x;
    if (y) *y = mPointsList_.back().y;
    return true;
}

std::optional<float> CGraphCurve::getYFromX(float x) const {
    const size_t n = mPointsList_.size();
    for (size_t i = 1; i < n; ++i) {
        const CurvePoint& c = mPointsList_[i];
        if (c.breakFlag) continue;
        const CurvePoint& p = mPointsList_[i - 1];
        if ((p.x <= x && x < c.x) || (c.x < x && x <= p.x))
            return (x - c.x) / (p.x - c.x) * (p.y - c.y) + c.y;
    }
    // The half-open brackets leave out the curve's last point: answer there too.
    if (n >= 2 && !mPointsList_[n - 1].breakFlag && mPointsList_[n - 1].x == x) return mPointsList_[n - 1].y;
    return std::nullopt;
}

std::pair<size_t, size_t> CGraphCurve::nearestPoints(double x1, double y1, double x2, double y2) const {
    size_t i1 = 0, i2 = 0;
    double d1 = 1e9, d2 = 1e9;
    for (size_t i = 0; i < mPointsList_.size(); ++i) {
        const CurvePoint& c = mPointsList_[i];
        if (c.breakFlag) continue;
        double e1 = (c.x - x1) * (c.x - x1) + (c.y - y1) * (c.y - y1);
        double e2 = (c.x - x2) * (c.x - x2) + (c.y - y2) * (c.y - y2);
        if (e1 < d1) {
            d1 = e1;
            i1 = i;
        }
        if (e2 < d2) {
            d2 = e2;
            i2 = i;
        }
    }
    return {i1, i2};
}

std::shared_ptr<CGraphCurve> CGraphCurve::makeCurveFrom(double x1, double y1, double x2, double y2) const {
    auto [i1, i2] = nearestPoints(x1, y1, x2, y2);
    if (i1 > i2) std::swap(i1, i2);
    auto piece = std::make_shared<CGraphCurve>();
    for (size_t i = i1; i <= i2 && i < mPointsList_.size(); ++i)
        if (!mPointsList_[i].breakFlag) piece->addPoint(mPointsList_[i].x, mPointsList_[i].y, false);
    return piece;
}

void CGraphCurve::setLabel(const std::string& label, float x, float y) {
    mLabel_ = label;
    mLabelAnchor_ = {x, y};
}

std::vector<float> CGraphCurve::dashPattern(std::int32_t style) {
    switch (style) {
    case 0: return {};
    case 2: return {4.0f, 4.0f};
    case 3: return {4.0f, 2.0f, 2.0f, 2.0f};
    default: return {6.0f, 3.0f};
    }
}

void CGraphCurve::render(Canvas& canvas) {
    if (mHidden) return;
    beginClippedDrawing(canvas);
    applyOwnColor(canvas);
    Path path;
    bool startPiece = true;
    for (const CurvePoint& c : mPointsList_) {
        const PlotPoint v = mapPoint(c.x, c.y);
        // A point without a number (a value that overflowed or was undefined)
        // breaks the curve, as a break flag does: nothing is drawn towards it.
        if (c.breakFlag || !isDrawable(v)) {
            startPiece = true;
            continue;
        }
        if (startPiece) path.moveTo(v);
        else path.lineTo(v);
        startPiece = false;
    }
    canvas.setLineWidth(mToolSizeFactor + (mHilited ? 1.0f : 0.0f));
    canvas.setLineDash(dashPattern(mDash_), 0.0f);
    canvas.stroke(path);
    mPath = std::move(path);
    if (mLabel_) {
        FontDescription font = textFont();
        PlotSize s = canvas.measureText(*mLabel_, font);
        PlotPoint a = mapPoint(mLabelAnchor_.x, mLabelAnchor_.y);
        canvas.drawText(*mLabel_, font, {a.x - 0.5f * s.width, a.y - 0.5f * s.height}, Color::blackColor());
    }
    canvas.restore();
}

bool CGraphCurve::isHit(PlotPoint p) {
    if (mHidden || !mSelectable || mPointsList_.empty()) return false;
    const float px = p.x, py = p.y, tol = kHitTolerance;
    PlotPoint p0 = mapPoint(mPointsList_[0].x, mPointsList_[0].y);
    auto inStartBox = [&](PlotPoint s) { return std::fabs(px - s.x) <= tol && std::fabs(py - s.y) <= tol; };
    if (inStartBox(p0)) return true;
    for (size_t i = 1; i < mPointsList_.size(); ++i) {
        PlotPoint p1 = mapPoint(mPointsList_[i].x, mPointsList_[i].y);
        // Points without a number break the curve as they do when drawn.
        if (mPointsList_[i].breakFlag || !isDrawable(p1) || !isDrawable(p0)) {
            p0 = p1;
            continue;
        }
        if (inStartBox(p0)) return true;
        float dX = p1.x - p0.x, dY = p1.y - p0.y;
        if (std::fabs(dX) >= std::fabs(dY)) {
            // A flat segment: test the line's y at px.  A zero-length segment
            // never hits here (the division gives no number).
            if (px >= std::min(p0.x, p1.x) && px <= std::max(p0.x, p1.x) &&
                py >= std::min(p0.y, p1.y) - tol && py <= std::max(p0.y, p1.y) + tol) {
                float yl = (px - p0.x) * dY / dX + p0.y;
                if (yl - tol <= py && py <= yl + tol) return true;
            }
        } else {
            if (py >= std::min(p0.y, p1.y) && py <= std::max(p0.y, p1.y) &&
                px >= std::min(p0.x, p1.x) - tol && px <= std::max(p0.x, p1.x) + tol) {
                float xl = (py - p0.y) * dX / dY + p0.x;
                if (xl - tol <= px && px <= xl + tol) return true;
            }
        }
        p0 = p1;
    }
    return false;
}

std::shared_ptr<CGraphObject> CGraphCurve::copy() const {
    auto c = std::make_shared<CGraphCurve>();
    copyBaseInto(*c);
    c->mPointsList_ = mPointsList_;
    c->mLabel_ = mLabel_;
    c->mLabelAnchor_ = mLabelAnchor_;
    c->mDash_ = mDash_;
    return c;
}

bool CGraphCurve::writeRows(std::FILE* f) const {
    char line[96];
    for (const CurvePoint& c : mPointsList_) {
        if (c.breakFlag) {
            if (std::fputs("\n", f) < 0) return false;
            continue;
        }
        int n = std::snprintf(line, sizeof line, "%18e\t%18e\n", static_cast<double>(c.x), static_cast<double>(c.y));
        if (n < 0 || static_cast<size_t>(n) >= sizeof line || std::fputs(line, f) < 0) return false;
    }
    return true;
}

ExportStatus CGraphCurve::writeCurveData(const std::string& path) const {
    FilePtr f(std::fopen(path.c_str(), "w"));
    if (!f) {
        reportCannotOpen(path);
        return ExportStatus::CannotOpen;
    }
    bool ok = writeRows(f.get());
    ok = (std::fclose(f.release()) == 0) && ok;
    if (!ok) {
        reportWriteFailed(path);
        return ExportStatus::WriteFailed;
    }
    return ExportStatus::Written;
}

std::string CGraphCurve::igorWaveBaseName() const {
    if (!mName || mName->empty()) return "curve";
    std::string n = *mName;
    for (char& ch : n) {
        unsigned char u = static_cast<unsigned char>(ch);
        if (u <= 0x20 || u >= 0x7F) ch = '_';
    }
    return n;
}

ExportStatus CGraphCurve::writeIgorData(const std::string& path) const {
    FilePtr f(std::fopen(path.c_str(), "w"));
    if (!f) {
        reportCannotOpen(path);
        return ExportStatus::CannotOpen;
    }
    const std::string base = igorWaveBaseName();
    std::string header = "IGOR\nWAVES " + base + "x0 " + base + "y0\nBEGIN\n";
    bool ok = std::fputs(header.c_str(), f.get()) >= 0;
    ok = ok && writeRows(f.get());
    ok = ok && std::fputs("END\n", f.get()) >= 0;
    ok = (std::fclose(f.release()) == 0) && ok;
    if (!ok) {
        reportWriteFailed(path);
        return ExportStatus::WriteFailed;
    }
    return ExportStatus::Written;
}

ExportStatus CGraphCurve::exportCurveData() const {
    FileChooser* chooser = fileChooser();
    if (!chooser) return ExportStatus::Cancelled;
    std::optional<std::string> path = chooser->chooseSaveFile("data.txt", "txt");
    if (!path || path->empty()) return ExportStatus::Cancelled;
    return writeCurveData(*path);
}

ExportStatus CGraphCurve::exportToIgor() const {
    FileChooser* chooser = fileChooser();
    if (!chooser) return ExportStatus::Cancelled;
    std::optional<std::string> path = chooser->chooseSaveFile("data.itx", "itx");
    if (!path || path->empty()) return ExportStatus::Cancelled;
    return writeIgorData(*path);
}
