#pragma once
// CGraphStringPointCurve: a series of labelled markers that reports which of
// its points a click found.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/plot/CGraphObject.h"

class CGraphStringPoint;

class CGraphStringPointCurve : public CGraphObject {
public:
    CGraphStringPointCurve();

    // Creates a labelled point at (x, y) and appends it.
    void addPoint(const std::string& label, float x, float y);
    void setShowLabels(bool show) { mShowLabels = show ? 1 : 0; }
    // The label of the point found by the last hit test, or an empty string
    // when that test found none.
    std::string getHitPointName() const;
    const std::vector<std::shared_ptr<CGraphStringPoint>>& mStringPointArray() const { return mStringPointArray_; }
    void setMStringPointArray(const std::vector<std::shared_ptr<CGraphStringPoint>>& list) {
        mStringPointArray_ = list;
    }

    // Yes when the click lies in the drawn outline and within a marker's
    // square of a point, which then becomes the plot's selected point.
    bool isHit(PlotPoint p) override;
    void render(Canvas& canvas) override;
    std::shared_ptr<CGraphObject> copy() const override;

private:
    std::vector<std::shared_ptr<CGraphStringPoint>> mStringPointArray_;
    std::int32_t mLastHitPointIndex = 0;
    std::int32_t mShowLabels = 1;
};
