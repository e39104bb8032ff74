#include "app/plot/CGraphStringPoint.h"

std::shared_ptr<CGraphStringPoint> CGraphStringPoint::newGraphStringPoint(float x, float y) {
    auto p = std::make_shared<CGraphStringPoint>();
    p->setPoint(x, y);
    return p;
}

std::shared_ptr<CGraphObject> CGraphStringPoint::copy() const {
    auto c = std::make_shared<CGraphStringPoint>();
    copyPointInto(*c);
    c->mOffsetX = mOffsetX;
    c->mOffsetY = mOffsetY;
    return c;
}
