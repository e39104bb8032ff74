#pragma once
// CGraphPoint: one marker at a point in data units, with its name optionally
// shown under it.
#include "app/plot/CGraphObject.h"

class CGraphPoint : public CGraphObject {
public:
    CGraphPoint();
    static std::shared_ptr<CGraphPoint> newGraphPoint(float x, float y);

    void setPoint(float x, float y) { mX = x; mY = y; }
    float getX() const { return mX; }
    float getY() const { return mY; }
    virtual void setShowLabel(bool show) { mShowLabel = show; }
    bool showsLabel() const { return mShowLabel; }
    // Resets the tool size factor to 1 (the argument is not used).
    void setDefaultToolSize(float) { mToolSizeFactor = 1.0f; }

    void render(Canvas& canvas) override;
    std::shared_ptr<CGraphObject> copy() const override;

protected:
    // The label drawn under the marker and its displacement (view units).
    virtual std::string labelText() const { return mName.value_or(std::string()); }
    virtual PlotPoint labelOffset() const { return {}; }
    void copyPointInto(CGraphPoint& to) const;

    float mX = 0.0f;
    float mY = 0.0f;
    bool mShowLabel = false;
};

// Draws a marker (and its label when asked) as points and series do.
void drawMarker(Canvas& canvas, const Path& marker, std::int32_t selector, float toolSize);
