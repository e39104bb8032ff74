#pragma once
// CTernaryPlotView: a ternary composition diagram.
//
// An equilateral triangle whose corners stand for three components: A bottom
// left, B bottom right, C at the top.  A composition is given by its A and B
// contents in percent (C = 100 - A - B) and placed at the barycentre
// fa·A + fb·B + fc·C of the corners.  The view draws ticks and labels every
// 10 % of each edge, a dashed grid of constant contents, curves and markers,
// and reading lines from a marker to the corners or along its constant
// contents to the edges.  A left click inside the triangle of the full view
// becomes a composition, announced by "TernaryPlotSelection".  A sub-range of
// compositions (a zoomed sub-triangle) may be shown instead of the full one.
//
// Plain C++: it draws through a Canvas; a Qt widget shows it and passes the
// mouse on.  View coordinates have their origin at the bottom-left, y upwards.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/plot/FontDescription.h"
#include "app/plot/Path.h"
#include "app/plot/PlotGeometry.h"

class Canvas;

// Solves a·x + b·y = c, d·x + e·y = f by Cramer's rule; x = y = 0 when the
// determinant b·d - a·e is below 1e-20 in magnitude.
void my_solve_linear_system2(double a, double b, double c, double d, double e, double f, double& x, double& y);

class CTernaryPlotView {
public:
    // A marker: composition in percent, marker kind, bit mask of the lines to
    // the corners (1 from C, 2 from A, 4 from B) and the edge-line flag.
    struct TernaryPoint {
        double a = 0, b = 0;
        int type = 0;
        int line = 0;
        int line1 = 0;
    };

    explicit CTernaryPlotView(const PlotRect& frame);
    CTernaryPlotView(const CTernaryPlotView&) = delete;
    CTernaryPlotView& operator=(const CTernaryPlotView&) = delete;

    const PlotRect& bounds() const { return mBounds; }
    void setBounds(const PlotRect& b) { mBounds = b; }
    void setDisplayRequest(std::function<void()> request) { mDisplayRequest = std::move(request); }
    void setNeedsDisplay();

    void setMargin(float margin);
    float mMarginLeft() const { return mMarginLeft_; }
    float mMarginBottom() const { return mMarginBottom_; }
    float mMarginTop() const { return mMarginTop_; }
    float mMarginRight() const { return mMarginRight_; }

    // The shown sub-range: A from a0 and B from b0, each `span` percent wide
    // (pulled back below 100), C over the same width; a span outside (0, 100]
    // shows the full triangle.
    void setRanges(float a0, float b0, float span);
    float mAmin() const { return mAmin_; }
    float mAmax() const { return mAmax_; }
    float mBmin() const { return mBmin_; }
    float mBmax() const { return mBmax_; }
    float mCmin() const { return mCmin_; }
    float mCmax() const { return mCmax_; }
    bool mTruncated() const { return mTruncated_; }
    bool mShowGrid() const { return mShowGrid_; }

    // Corner labels of A (bottom left), B (bottom right) and C (top).
    void setLabels(const std::string& a, const std::string& b, const std::string& c);
    const std::optional<std::string>& mLabel0() const { return mLabel0_; }
    const std::optional<std::string>& mLabel1() const { return mLabel1_; }
    const std::optional<std::string>& mLabel2() const { return mLabel2_; }
    const FontDescription& ticksAttributes() const { return mTicksAttributes; }

    // Markers and curves accumulate until purge; none of these redraws.
    void plotPoint(double a, double b, int type, int line, int line1);
    // A curve from rows of `stride` numbers: A content at column ia, B content
    // at column ib of each whole row (a trailing partial row is ignored).
    void plotCurve(const std::vector<double>& data, int stride, int ia, int ib);
    void purge();
    const std::vector<TernaryPoint>& points() const { return mPoints; }
    // Each curve: a1, b1, a2, b2, ... in percent.
    const std::vector<std::vector<double>>& curves() const { return mCurves; }

    // The last clicked composition in percent, -1 when the last click
    // selected nothing.
    double mSela() const { return mSela_; }
    double mSelb() const { return mSelb_; }
    double mSelc() const { return mSelc_; }
    void setMSela(double v) { mSela_ = v; }
    void setMSelb(double v) { mSelb_ = v; }
    void setMSelc(double v) { mSelc_ = v; }

    // Places the triangle in the bounds (every draw starts with it).
    void placeTriangle();
    PlotPoint cornerA() const { return {ax, ay}; }
    PlotPoint cornerB() const { return {bx, by}; }
    PlotPoint cornerC() const { return {cx, cy}; }

    // The fractions of A, B and C at a composition (A and B in percent) in the
    // shown range; nothing for a missing value (not a finite number) or where
    // a truncated range cannot place it.
    struct Fractions {
        double fa, fb, fc;
    };
    std::optional<Fractions> fractions(double a, double b) const;
    // The point of a composition, with the corners of the last placement.
    std::optional<PlotPoint> pointOf(double a, double b) const;

    // The marker of kind `type` with half-width hw and half-height hh around
    // (x, y).
    static Path constructPoint(int type, float hw, float hh, float x, float y);

    // A left-button press at p (view coordinates): the composition under it,
    // with the corners of the last draw; posts "TernaryPlotSelection" when
    // the click lies in the triangle of the full view.
    void mouseDown(PlotPoint p);

    void drawRect(Canvas& canvas);
    void renderCurves(Canvas& canvas);
    void renderPoints(Canvas& canvas);

    static constexpr const char* kTernaryPlotSelection = "TernaryPlotSelection";
    // The colour of markers and of their reading lines.
    static Color markerColor() { return Color::blackColor(); }

private:
    PlotRect mBounds;
    std::function<void()> mDisplayRequest;

    float mMarginLeft_ = 30, mMarginBottom_ = 30, mMarginTop_ = 30, mMarginRight_ = 30;
    float mAmin_ = 0, mAmax_ = 100, mBmin_ = 0, mBmax_ = 100, mCmin_ = 0, mCmax_ = 100;
    double mSela_ = -1, mSelb_ = -1, mSelc_ = -1;
    bool mShowGrid_ = true;
    bool mTruncated_ = false;
    std::optional<std::string> mLabel0_, mLabel1_, mLabel2_;
    FontDescription mLabelsAttributes = FontDescription::systemFont();
    FontDescription mTicksAttributes = FontDescription::labelFont();
    std::vector<TernaryPoint> mPoints;
    std::vector<std::vector<double>> mCurves;
    float ax = 0, ay = 0, bx = 0, by = 0, cx = 0, cy = 0;
};
