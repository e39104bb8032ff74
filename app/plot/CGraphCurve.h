#pragma once
// CGraphCurve: a polyline in data units with break markers, an optional
// label, a dash style, hit testing, interpolation and data export.
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/plot/CGraphObject.h"

// One entry of a curve: a point and its break flag.  A point whose flag is set
// is a break marker, not a vertex: the line is interrupted there.
struct CurvePoint {
    float x = 0.0f;
    float y = 0.0f;
    bool breakFlag = false;
    bool operator==(const CurvePoint&) const = default;
};

// Outcome of a curve export.
enum class ExportStatus { Written, Cancelled, CannotOpen, WriteFailed };

class CGraphCurve : public CGraphObject {
public:
    CGraphCurve();

    void addPoint(float x, float y, bool breakFlag);
    // The i-th point; nothing when i is outside the list.
    std::optional<PlotPoint> getPointAtIndex(int i) const;
    // Writes the last point; false (nothing written) for an empty curve.
    bool getLastPointCoord(float* x, float* y) const;
    // The curve's y at x by linear interpolation between the two points of the
    // first segment (in list order) that brackets x; nothing where no segment
    // does.
    std::optional<float> getYFromX(float x) const;
    // The piece of this curve between its points nearest to (x1, y1) and to
    // (x2, y2), in list order, whichever order the two are given in.
    std::shared_ptr<CGraphCurve> makeCurveFrom(double x1, double y1, double x2, double y2) const;
    // The indices of the points (breaks left out) nearest to (x1, y1) and to
    // (x2, y2); the first of equally near points.  (0, 0) for no point.
    std::pair<size_t, size_t> nearestPoints(double x1, double y1, double x2, double y2) const;

    void setLabel(const std::string& label, float x, float y);
    const std::optional<std::string>& mLabel() const { return mLabel_; }
    void setMLabel(std::optional<std::string> l) { mLabel_ = std::move(l); }
    PlotPoint mLabelAnchor() const { return mLabelAnchor_; }
    void setMLabelAnchor(PlotPoint p) { mLabelAnchor_ = p; }

    // Dash style: 0 solid, 1 long dashes, 2 even dashes, 3 dash-dot; others as 1.
    void setLineDash(std::int32_t d) { mDash_ = d; }
    void setMDash(std::int32_t d) { mDash_ = d; }
    std::int32_t mDash() const { return mDash_; }
    // The dash pattern of a style (empty for solid).
    static std::vector<float> dashPattern(std::int32_t style);

    const std::vector<CurvePoint>& mPointsList() const { return mPointsList_; }
    void setMPointsList(const std::vector<CurvePoint>& list) { mPointsList_ = list; }

    void render(Canvas& canvas) override;
    bool isHit(PlotPoint p) override;
    std::shared_ptr<CGraphObject> copy() const override;

    // Ask for a file through the installed chooser ("data.txt", "data.itx")
    // and write the points.
    ExportStatus exportCurveData() const;
    ExportStatus exportToIgor() const;
    // Write to a given path: two columns "%18e\t%18e" with an empty line at
    // each break; the Igor text file adds the header and "END".
    ExportStatus writeCurveData(const std::string& path) const;
    ExportStatus writeIgorData(const std::string& path) const;
    // The base of the Igor wave names: the curve's name with every byte that
    // is not printable ASCII, and every blank (which would split the WAVES
    // line), replaced by '_'; "curve" when the curve has no name.
    std::string igorWaveBaseName() const;

private:
    bool writeRows(std::FILE* f) const;

    std::vector<CurvePoint> mPointsList_;
    std::optional<std::string> mLabel_;
    PlotPoint mLabelAnchor_;
    std::int32_t mDash_ = 0;
};
