#pragma once
// CGraphStringPoint: a marker with its own label and label displacement.
#include <optional>
#include <string>

#include "app/plot/CGraphPoint.h"

class CGraphStringPoint : public CGraphPoint {
public:
    CGraphStringPoint() = default;
    static std::shared_ptr<CGraphStringPoint> newGraphStringPoint(float x, float y);

    void setLabel(const std::string& label) { mLabel = label; }
    const std::optional<std::string>& getLabel() const { return mLabel; }
    float offsetX() const { return mOffsetX; }
    float offsetY() const { return mOffsetY; }
    void setOffsetX(float v) { mOffsetX = v; }
    void setOffsetY(float v) { mOffsetY = v; }

    // Copies keep the point, the show-label flag and the offsets, not the label.
    std::shared_ptr<CGraphObject> copy() const override;

protected:
    std::string labelText() const override { return mLabel.value_or(std::string()); }
    PlotPoint labelOffset() const override { return {mOffsetX, mOffsetY}; }

private:
    std::optional<std::string> mLabel;
    float mOffsetX = 0.0f;
    float mOffsetY = 0.0f;
};
