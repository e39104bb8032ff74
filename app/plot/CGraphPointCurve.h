#pragma once
// CGraphPointCurve: a series of markers in data units, optionally joined by a
// line.  Hit testing is the base's: inside the drawn outline.
#include <cstdint>
#include <vector>

#include "app/plot/CGraphObject.h"

class CGraphPointCurve : public CGraphObject {
public:
    CGraphPointCurve();

    // Appends the point when skip is 0; any other skip adds nothing.
    void addPoint(float x, float y, std::int32_t skip);
    void setJoinPoints(bool join) { mJoinPoints = join; }
    bool joinsPoints() const { return mJoinPoints; }
    const std::vector<PlotPoint>& mPointsList() const { return mPointsList_; }
    void setMPointsList(const std::vector<PlotPoint>& list) { mPointsList_ = list; }

    void render(Canvas& canvas) override;
    std::shared_ptr<CGraphObject> copy() const override;

private:
    std::vector<PlotPoint> mPointsList_;
    bool mJoinPoints = false;
};
