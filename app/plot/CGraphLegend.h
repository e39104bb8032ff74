#pragma once
// CGraphLegend: the plot's legend, one row per curve, marker or marker series
// it names (a line or marker sample and the object's name), the first object
// at the top.  The legend watches the objects it names without owning them:
// an object released elsewhere simply drops out of it.
#include <memory>
#include <vector>

#include "app/plot/CGraphText.h"

class CGraphLegend : public CGraphText {
public:
    CGraphLegend();

    void addReferenceObject(const std::shared_ptr<CGraphObject>& object);
    void removeReferenceObject(const std::shared_ptr<CGraphObject>& object);
    void purge() { mRefObjects.clear(); }
    // The living objects named, in order.
    std::vector<std::shared_ptr<CGraphObject>> mRefObjectList() const;
    void setMRefObjectList(const std::vector<std::shared_ptr<CGraphObject>>& list);

    // The position mapped to view coordinates with the size of the last drawing.
    PlotRect getBounds() const override;
    // Inside the bounds (mouse-in-rectangle of an unflipped view).
    bool isHit(PlotPoint p) override;
    void render(Canvas& canvas) override;
    std::shared_ptr<CGraphObject> copy() const override;

private:
    std::vector<std::weak_ptr<CGraphObject>> mRefObjects;
};
