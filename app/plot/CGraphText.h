#pragma once
// CGraphText: rich text whose lower-left corner sits at a point in data units.
// Texts are not clipped to the plot rectangle and have no outline, so they are
// never hit.
#include <string>

#include "app/plot/CGraphObject.h"

class CGraphText : public CGraphObject {
public:
    CGraphText();

    // A plain string replaces the characters only; rich text replaces the
    // characters and their attributes.
    void setText(const std::string& text) { mContents.text = text; }
    void setText(const RichText& text) { mContents = text; }
    const RichText& contents() const { return mContents; }

    void setPosition(float x, float y) { mX = x; mY = y; }
    void getPosition(float* x, float* y) const {
        if (x) *x = mX;
        if (y) *y = mY;
    }
    void setDimension(float width, float height) { mWidth = width; mHeight = height; }
    PlotSize dimension() const { return {mWidth, mHeight}; }

    void render(Canvas& canvas) override;
    // Copies keep the position and the dimension, not the text.
    std::shared_ptr<CGraphObject> copy() const override;

protected:
    void copyTextInto(CGraphText& to) const;

    RichText mContents;
    float mX = 0.0f;
    float mY = 0.0f;
    float mWidth = 0.0f;
    float mHeight = 0.0f;
};
