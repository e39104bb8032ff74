#pragma once
// CGraphObject: the base of everything a plot view draws inside its axes
// (curves, markers, labelled points, filled areas, texts, the legend).
//
// Graph objects keep their geometry in data units and turn it into view
// coordinates only while drawing or hit testing, through their plot view's
// mapping.  They are shared objects (create them with std::make_shared): the
// plot view's list owns them, while the legend, colour cousins and reference
// objects only watch them, so that an object removed and released anywhere
// leaves no dangling reference behind.
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/plot/Color.h"
#include "app/plot/FontDescription.h"
#include "app/plot/Path.h"
#include "app/plot/PlotGeometry.h"

class Canvas;
class CPlotView;

class CGraphObject : public std::enable_shared_from_this<CGraphObject> {
public:
    CGraphObject();
    virtual ~CGraphObject();
    CGraphObject(const CGraphObject&) = delete;
    CGraphObject& operator=(const CGraphObject&) = delete;

    void setPlotView(CPlotView* view) { mPlotView = view; }
    CPlotView* getPlotView() const { return mPlotView; }

    void setSelectable(bool s) { mSelectable = s; }
    bool isSelectable() const { return mSelectable; }
    // Changes the flag only when the object is selectable.
    void setHilited(bool h) {
        if (mSelectable) mHilited = h;
    }
    bool isHilited() const { return mHilited; }
    void setHidden(bool h) { mHidden = h; }
    bool isHidden() const { return mHidden; }

    const std::optional<std::string>& name() const { return mName; }
    void setName(std::optional<std::string> n) { mName = std::move(n); }

    float size() const { return mSize; }
    void setSize(float s) { mSize = s; }
    std::int32_t selector() const { return mSelector; }
    void setSelector(std::int32_t s) { mSelector = s; }

    const std::optional<Color>& color() const { return mColor; }
    const std::optional<Color>& getColor() const { return mColor; }
    // Stores the colour on this object only.
    void applyColor(const Color& c) { mColor = c; }
    // Takes the colour away (the object draws in the view's current colour).
    void clearColor() { mColor.reset(); }
    // This object's colour, passed on to its cousins (one level only).
    void setColor(const Color& c);
    // Calibrated RGB with alpha 1; cousins are not touched.
    void setColor(float red, float green, float blue);
    // Components scaled to 0..65535 (0 when the object has no colour).
    std::int32_t getRed() const;
    std::int32_t getGreen() const;
    std::int32_t getBlue() const;

    void setToolSizeFactor(float f) { mToolSizeFactor = f; }
    float getToolSizeFactor() const { return mToolSizeFactor; }
    void increaseToolSizeFactor() { mToolSizeFactor += 1.0f; }
    void decreaseToolSizeFactor() { mToolSizeFactor -= 1.0f; }

    // The object this one belongs to (not owned).  An object that was given a
    // reference object keeps counting as "having one" after that object is
    // gone; only the pointer expires.
    std::shared_ptr<CGraphObject> referenceObject() const { return mReferenceObject.lock(); }
    bool hasReferenceObject() const { return mHasReferenceObject; }
    void setReferenceObject(const std::shared_ptr<CGraphObject>& o) {
        mReferenceObject = o;
        mHasReferenceObject = static_cast<bool>(o);
    }

    // Colour cousins: objects whose colour follows this one's.
    void setColorCousinship(const std::shared_ptr<CGraphObject>& other);
    void breakCousinship(const std::shared_ptr<CGraphObject>& other);
    void addColorCousin(const std::shared_ptr<CGraphObject>& other);
    void removeColorCousin(const std::shared_ptr<CGraphObject>& other);
    // The living cousins, in the order they were added.
    std::vector<std::shared_ptr<CGraphObject>> colorCousins() const;

    // The outline of the last drawing (view coordinates), if drawn.
    const std::optional<Path>& path() const { return mPath; }

    // True when the object is shown, selectable, has been drawn and the click
    // (view coordinates) lies in its outline.
    virtual bool isHit(PlotPoint p);
    // Bounds of the last outline, or all zeros.
    virtual PlotRect getBounds() const;
    // Draws the object; the base draws nothing.
    virtual void render(Canvas& canvas);

    // A copy starting from its class's defaults (see the members for what is
    // copied); the copy has no plot view, cousins, path or reference object.
    virtual std::shared_ptr<CGraphObject> copy() const;

    // The marker of kind `selector` around (x, y) with half-width a and
    // half-height b, in view coordinates.
    static Path constructPoint0(std::int32_t selector, float a, float b, float x, float y);
    // The same around a point in data units.
    Path constructPoint(std::int32_t selector, float a, float b, float x, float y) const;
    // Filled kinds: 1, 3, 7, 8 and 11; every other kind is stroked.
    static bool isFilledMarker(std::int32_t selector) {
        return selector >= 0 && selector <= 11 && ((0x98A >> selector) & 1) != 0;
    }

protected:
    // Mapping through the plot view (identity without one).
    float mapX(float x) const;
    float mapY(float y) const;
    PlotPoint mapPoint(float x, float y) const { return {mapX(x), mapY(y)}; }
    // A point of the view that can be drawn: a value that was undefined or
    // overflowed (NaN, inf) has no place in the plot.
    static bool isDrawable(PlotPoint v) { return std::isfinite(v.x) && std::isfinite(v.y); }
    // Saves the state and clips to the plot rectangle (when in a view).
    void beginClippedDrawing(Canvas& canvas) const;
    // Sets the object's colour, if it has one.
    void applyOwnColor(Canvas& canvas) const;
    // The font of texts drawn by graph objects: the view's legend font.
    FontDescription textFont() const;
    // Copies what every class copies (name, size, selector, colour) into `to`.
    void copyBaseInto(CGraphObject& to) const;

    bool mHilited = false;
    bool mSelectable = false;
    bool mHidden = false;
    std::optional<std::string> mName;
    float mSize = 0.0f;
    std::int32_t mSelector = 0;
    std::optional<Color> mColor;
    std::optional<Path> mPath;
    std::weak_ptr<CGraphObject> mReferenceObject;
    bool mHasReferenceObject = false;
    CPlotView* mPlotView = nullptr;
    float mToolSizeFactor = 1.0f;
    std::vector<std::weak_ptr<CGraphObject>> mColorCousins;
};

// The half-size of the markers an object draws: 0.5 t + 2, or 0.5 t + 3 when
// highlighted, t the object's tool size factor.
inline float markerHalfSize(float toolSize, bool hilited) {
    return 0.5f * toolSize + (hilited ? 3.0f : 2.0f);
}
// The line width of markers: 0.1 t + 1.
inline float markerLineWidth(float toolSize) { return 0.1f * toolSize + 1.0f; }
