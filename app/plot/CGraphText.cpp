#include "app/plot/CGraphText.h"

#include "app/plot/Canvas.h"

CGraphText::CGraphText() { mSelectable = false; }

void CGraphText::render(Canvas& canvas) {
    if (mHidden || mContents.text.empty()) return;
    canvas.save();
    applyOwnColor(canvas);
    canvas.drawText(mContents.text, mContents.font, mapPoint(mX, mY), mContents.color);
    canvas.restore();
}

void CGraphText::copyTextInto(CGraphText& to) const {
    copyBaseInto(to);
    to.mX = mX;
    to.mY = mY;
    to.mWidth = mWidth;
    to.mHeight = mHeight;
}

std::shared_ptr<CGraphObject> CGraphText::copy() const {
    auto c = std::make_shared<CGraphText>();
    copyTextInto(*c);
    return c;
}
