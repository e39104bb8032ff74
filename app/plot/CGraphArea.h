#pragma once
// CGraphArea: a filled polygon in data units, assembled from points and from
// pieces of curves.
#include <vector>

#include "app/plot/CGraphObject.h"

class CGraphCurve;

class CGraphArea : public CGraphObject {
public:
    CGraphArea();

    void addPoint(float x, float y);
    // Appends the curve's vertices (break markers skipped), in order or from
    // last to first.
    void addCurve(const CGraphCurve& curve, bool reverse);
    // Continues the area from its last point along the curve back towards its
    // first point: the curve's vertices from the one nearest the area's last
    // point to the one nearest its first point.  Does nothing for an area of
    // fewer than two points; a missing curve is reported ("no curve").
    void addSubcurve(const CGraphCurve* curve);

    const std::vector<PlotPoint>& mPointsList() const { return mPointsList_; }
    void setMPointsList(const std::vector<PlotPoint>& list) { mPointsList_ = list; }

    void render(Canvas& canvas) override;
    std::shared_ptr<CGraphObject> copy() const override;

private:
    std::vector<PlotPoint> mPointsList_;
};
