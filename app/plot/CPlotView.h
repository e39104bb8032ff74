#pragma once
// CPlotView: the x/y plot of the plotting kit.
//
// It owns an ordered list of graph objects and a legend, keeps three sets of
// axis ranges (default, current, maximum), maps data values to view
// coordinates on linear or decimal-logarithmic axes, and draws axes, ticks,
// grid, labels, objects, the selection marker and the zoom rectangle through a
// Canvas.  It is plain C++: a Qt widget shows it on screen and a container
// (CDrawPlotView) gives it its control row and status line.
//
// View coordinates have their origin at the bottom-left corner of the bounds,
// y upwards; all geometry is in 32-bit floats.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/plot/CGraphLegend.h"
#include "app/plot/CGraphObject.h"
#include "app/plot/Color.h"
#include "app/plot/FontDescription.h"
#include "app/plot/PlotGeometry.h"
#include "app/plot/PlotMenus.h"
#include "app/plot/PlotUndoManager.h"

class Canvas;
class CGraphCurve;
class CGraphPoint;
class CPlotFormat;

// What a plot view asks of the container that holds it.
class PlotViewContainer {
public:
    virtual ~PlotViewContainer() = default;
    virtual void setStatusMessage(const std::string& message) = 0;
    virtual void setEnabledZoomingControls(bool enabled) = 0;
    virtual void updateGridButton(bool on) = 0;
};

class CPlotView {
public:
    explicit CPlotView(const PlotRect& frame);
    virtual ~CPlotView();
    CPlotView(const CPlotView&) = delete;
    CPlotView& operator=(const CPlotView&) = delete;

    // Bounds of the view (origin usually 0, 0).
    const PlotRect& bounds() const { return mBounds; }
    void setBounds(const PlotRect& b) { mBounds = b; }

    // Asks the owner to redraw (the Qt widget installs its update here).
    void setDisplayRequest(std::function<void()> request) { mDisplayRequest = std::move(request); }
    void setNeedsDisplay();

    // Ranges: argument order always minimum X, maximum X, minimum Y, maximum Y.
    void setMaxXYRange(float x0, float x1, float y0, float y1);
    void setDefaultXYRange(float x0, float x1, float y0, float y1);
    void setXYRange(float x0, float x1, float y0, float y1);
    void getXYRange(float* x0, float* x1, float* y0, float* y1) const;
    void getDefaultXYRange(float* x0, float* x1, float* y0, float* y1) const;
    void getMaxXYRange(float* x0, float* x1, float* y0, float* y1) const;
    void adjustXYRange(float x0, float x1, float y0, float y1, float stepMinX, float stepMaxX);
    void getSameXYRange(const CPlotView& other);
    // The x axis' unit as a factor on a base unit (1 for wt %, 10000 for ppm
    // of the same contents).  A range change kept for undo remembers the
    // unit it was made in: undone or redone after the unit has changed, it
    // comes back as the same values in the axis' present unit.
    void setXUnitScale(float scale) { mXUnitScale = scale; }

    float mCurrentMinX() const { return mCurMinX; }
    float mCurrentMaxX() const { return mCurMaxX; }
    float mCurrentMinY() const { return mCurMinY; }
    float mCurrentMaxY() const { return mCurMaxY; }

    bool showLogX() const { return mShowLogX; }
    bool showLogY() const { return mShowLogY; }
    void setShowLogX(bool v) { mShowLogX = v; }
    void setShowLogY(bool v) { mShowLogY = v; }

    void setTicksNumber(std::int32_t x, std::int32_t y) { mNbXTicks_ = x; mNbYTicks_ = y; }
    void setTicksDigits(std::int32_t x, std::int32_t y) { mXTicksDigits_ = x; mYTicksDigits_ = y; }
    std::int32_t mNbXTicks() const { return mNbXTicks_; }
    std::int32_t mNbYTicks() const { return mNbYTicks_; }
    std::int32_t mXTicksDigits() const { return mXTicksDigits_; }
    std::int32_t mYTicksDigits() const { return mYTicksDigits_; }
    void setMXTicksDigits(std::int32_t v) { mXTicksDigits_ = v; }
    void setMYTicksDigits(std::int32_t v) { mYTicksDigits_ = v; }

    // Axis titles and fonts.
    void setLabels(const std::string& xTitle, const std::string& yTitle);
    const RichText& mXLabel() const { return mXLabel_; }
    const RichText& mYLabel() const { return mYLabel_; }
    void setMXLabel(const RichText& t) { mXLabel_ = t; }
    void setMYLabel(const RichText& t) { mYLabel_ = t; }
    const FontDescription& getLegendsAttributes() const { return mLegendsAttributes; }
    const FontDescription& getLabelsAttributes() const { return mLabelsAttributes; }
    const FontDescription& getTicksAttributes() const { return mTicksAttributes; }
    // A font by family name, size and style flags.
    static FontDescription setTextAttributes(const std::string& fontName, std::int32_t size, std::int32_t bold,
                                             std::int32_t italic);

    // Plot format records.
    void setFromPlotFormat(const CPlotFormat& format);
    void updatePlotFormat(CPlotFormat& format) const;

    // Selection state.
    float selectedPointX() const { return mSelectedPointX; }
    float selectedPointY() const { return mSelectedPointY; }
    void setSelectedPointX(float v) { mSelectedPointX = v; }
    void setSelectedPointY(float v) { mSelectedPointY = v; }
    std::shared_ptr<CGraphObject> selectedObject() const { return mSelectedObject.lock(); }
    void setSelectedObject(const std::shared_ptr<CGraphObject>& o) { mSelectedObject = o; }
    void getSelectedPoint(float* x, float* y) const;
    void getSelection(float* x, float* y, std::shared_ptr<CGraphObject>* object) const;
    void setSelectedPoint(float x, float y);
    void adjustSelectionPoint(const CGraphPoint& point);
    void showSelectionPoint(bool show);
    bool isSelectingPointVisible() const { return mIsSelectingPointVisible; }
    bool selectionKeyShift() const { return mSelectionKeyShift; }
    bool selectionKeyControl() const { return mSelectionKeyControl; }
    bool selectionKeyOption() const { return mSelectionKeyOption; }
    void setSelectionKeyShift(bool v) { mSelectionKeyShift = v; }
    void setSelectionKeyControl(bool v) { mSelectionKeyControl = v; }
    void setSelectionKeyOption(bool v) { mSelectionKeyOption = v; }

    // Object list.
    void addGraphObject(const std::shared_ptr<CGraphObject>& object);
    void removeGraphObject(const std::shared_ptr<CGraphObject>& object);
    void removeGraphObjectWithName(const std::string& name);
    void removeGraphObjectWithKindOfName(const std::string& prefix);
    std::shared_ptr<CGraphObject> getGraphObjectWithName(const std::string& name) const;
    void purge();
    void purgeCurves();
    void purgePointCurves();
    void purgeReferenceObjects();
    const std::vector<std::shared_ptr<CGraphObject>>& graphObjects() const { return mGraphObjects; }
    void setGraphObjects(const std::vector<std::shared_ptr<CGraphObject>>& list);
    void hilite(const std::shared_ptr<CGraphObject>& object);
    void hilite1(const std::shared_ptr<CGraphObject>& object);
    void includesIntoLegend(const std::shared_ptr<CGraphObject>& object);
    void removeFromLegend(const std::shared_ptr<CGraphObject>& object);
    void setLegendPosition(float x, float y);
    const std::shared_ptr<CGraphLegend>& mLegend() const { return mLegend_; }
    void setMLegend(const CGraphLegend& legend);
    const std::string& plotName() const { return mPlotName; }
    void setPlotName(const std::string& n) { mPlotName = n; }
    PlotViewContainer* drawPlotView() const { return mDrawPlotView; }
    void setDrawPlotView(PlotViewContainer* c) { mDrawPlotView = c; }

    // Filling from the rows the models return.
    std::shared_ptr<CGraphCurve> plotFromArray(const std::vector<double>& array, int stride, int xIndex, int yIndex);
    std::shared_ptr<CGraphCurve> plotFromArray(const std::vector<double>& array, int stride, int xIndex, int yIndex,
                                               double ax, double bx, double ay, double by);
    std::shared_ptr<CGraphPoint> plotPoint(double x, double y, std::int32_t selector, const Color& color);

    // Coordinate mapping (valid after a draw or calculateCoefficients).
    PlotRect getPlotRect() const;
    void calculateCoefficients();
    // Derives the decade limits of the logarithmic axes from the current ranges.
    void calculateLogLimits();
    float getXValue(float x) const;
    float getYValue(float y) const;
    float getXFromPixelValue(float px) const;
    float getYFromPixelValue(float py) const;
    float mLogXmin() const { return mLogXmin_; }
    float mLogXmax() const { return mLogXmax_; }
    float mLogYmin() const { return mLogYmin_; }
    float mLogYmax() const { return mLogYmax_; }

    // Margins; left and bottom are recomputed at every draw.
    float mMarginLeft() const { return mMarginLeft_; }
    float mMarginBottom() const { return mMarginBottom_; }
    float mMarginTop() const { return mMarginTop_; }
    float mMarginRight() const { return mMarginRight_; }

    // Drawing.
    bool drawsGrid() const { return mDrawGrid; }
    void setDrawGrid(bool on) { mDrawGrid = on; }
    bool isPrinting() const { return mIsPrinting; }
    void setPrinting(bool p) { mIsPrinting = p; }
    const PlotRect& trackingRect() const { return mTrackingRect; }
    void setTrackingRect(const PlotRect& r) { mTrackingRect = r; }
    const Color& backColor() const { return mBackColor; }
    const Color& foreColor() const { return mForeColor; }
    void setBackColor(const Color& c) { mBackColor = c; }
    void setForeColor(const Color& c) { mForeColor = c; }
    void drawRect(Canvas& canvas);
    void drawYLabel(Canvas& canvas, const PlotRect& plotRect);

    // Tick values of the axes for the current limits (as drawn).
    struct Ticks {
        std::vector<float> values;  // tick marks and grid lines
        std::vector<float> labels;  // the values that get a label
        float step = 0.0f;          // Sx or Sy
    };
    Ticks xTicks(float labelSpacing) const;
    Ticks yTicks(float labelSpacing) const;
    // The text of a tick label: 10^t with "%g" on a log axis, else "%.*f".
    static std::string tickLabelText(float value, bool logAxis, int digits);

    // The view's actions (the container's buttons, the context menus and the
    // settings panels call them).
    void onShowGrid();
    void onAxisRangesByDefault();
    void onMaximumAxisRanges();
    void onZoomIn();
    void onZoomOut();
    void onShowAxisRangePanel();
    // Called by onShowAxisRangePanel instead of the installed panels, when set.
    void setAxisRangePanelRequest(std::function<void(CPlotView&)> r) { mAxisPanelRequest = std::move(r); }
    void onToggleShowLogX();
    void onToggleShowLogY();
    void onNormalThickness();
    void onDoubleThickness();
    void onTripleThickness();
    void onIncreasePointSize();
    void onDecreasePointSize();
    void onGraphObjectColor();
    void onCurvesSettingsPanel();
    void onPointsSettingsPanel();
    void onLabelFontSettings();
    void onGraduationFontSettings();
    void onGraphObjectFont();
    // Saves the view as PDF in a file the user chooses; true when written.
    // A failed write is reported to the user.
    bool onPrintPlot();
    void onOpenNewPlotWindow();
    // Exports of the selected curve; failures are reported to the user.
    void onExportCurveData();
    void onExportIgorData();
    void updateStatusMessage();

    // Undoable edits, registered on the view's undo manager.
    void doChangeAxisRanges(float x0, float x1, float y0, float y1);
    // Moves the legend to (x - shiftX, y - shiftY), data units.
    void doChangeLegendPosition(float x, float y, float shiftX, float shiftY);
    void doChangeToolSizeFactor(float factor, const std::shared_ptr<CGraphObject>& object);
    void doIncreasePointSizeOf(const std::shared_ptr<CGraphObject>& object);
    void doDecreasePointSizeOf(const std::shared_ptr<CGraphObject>& object);
    // Code 2 the tick labels, 3 the legend, any other the axis titles (code 1
    // also restyles both titles).
    void doChangeFont(const FontDescription& font, std::int32_t code);

    // Undo: the view's manager.  Its finished groups go to the window's undo
    // stack once the Qt layer installs a sink; the handle lets such a stack
    // watch the manager without keeping it (or the view) alive.
    PlotUndoManager& undoManager() { return *mUndoManager; }
    std::weak_ptr<PlotUndoManager> undoManagerHandle() const { return mUndoManager; }

    // Colour and font panels.
    std::int32_t mEditedFont() const { return mEditedFont_; }
    void openFontPanel();
    void changeFont(const FontDescription& font);
    void changeColor(const Color& color);
    void updateColorPanel();
    // The font of the attribute set that a font code edits.
    const FontDescription& editedFontAttributes(std::int32_t code) const;

    // Mouse: the click (left button), the moves while the button is down and
    // its release, in view coordinates.  `modifierFlags` holds the Shift,
    // Control and Option bits below.
    static constexpr unsigned kShiftKeyMask = 1u << 17;
    static constexpr unsigned kControlKeyMask = 1u << 18;
    static constexpr unsigned kAlternateKeyMask = 1u << 19;
    void mouseDown(PlotPoint p, unsigned modifierFlags, int clickCount);
    void mouseDragged(PlotPoint p);
    void mouseUp(PlotPoint p);
    // The hit test of a click: selects the object (or the legend) under it and
    // the point in data units; false when nothing was hit.
    bool testClickedGraphObject(PlotPoint p);
    // Posts "PlotSelection" with this view as sender.
    void notifyObjectSelection();

    // Context menus.
    static const PlotMenu& mPlotMenu();
    static const PlotMenu& mCurvesMenu();
    static const PlotMenu& mPointsMenu();
    static const PlotMenu& mFontsMenu();
    // The menu of a right click at p (after its hit test), or none.
    const PlotMenu* menuForEvent(PlotPoint p);
    PlotMenuItemState validateMenuItem(PlotAction action) const;
    void performAction(PlotAction action);

    // A new, independent view with this one's ticks, titles, legend,
    // logarithmic flags and objects (copies); its default and current ranges
    // are this view's current ranges, its maximum ranges this view's.
    std::unique_ptr<CPlotView> copy() const;

    // Names of the notifications the view posts.
    static constexpr const char* kAxisPlotChanged = "AxisPlotChanged";
    static constexpr const char* kPlotSelection = "PlotSelection";

private:
    enum class Tracking { None, Legend, Zoom };
    void postAxisPlotChanged();
    void detach(const std::shared_ptr<CGraphObject>& object);
    void removeAt(size_t i);
    void trackZoom(PlotPoint q);
    void moveLegendWithMouse(PlotPoint q);
    void endTracking(PlotPoint q);
    std::string pointStatus(int extraDigits) const;

    std::shared_ptr<PlotUndoManager> mUndoManager = std::make_shared<PlotUndoManager>();
    std::int32_t mEditedFont_ = 1;
    Tracking mTracking = Tracking::None;
    PlotPoint mClickPoint;
    PlotPoint mPreviousLocation;
    PlotPoint mLegendOffset;
    bool mMouseMoved = false;
    float mSavedPointX = 0, mSavedPointY = 0;

    PlotRect mBounds;
    std::function<void()> mDisplayRequest;
    std::function<void(CPlotView&)> mAxisPanelRequest;
    PlotViewContainer* mDrawPlotView = nullptr;
    std::vector<std::shared_ptr<CGraphObject>> mGraphObjects;
    float mMinX = 0, mMinY = 0, mMaxX = 1, mMaxY = 1;
    float mCurMinX = 0, mCurMaxX = 1, mCurMinY = 0, mCurMaxY = 1;
    float mMaxMinX = 0, mMaxMaxX = 1, mMaxMinY = 0, mMaxMaxY = 1;
    float mXUnitScale = 1;
    std::int32_t mNbXTicks_ = 2, mNbYTicks_ = 2;
    std::int32_t mXTicksDigits_ = 3, mYTicksDigits_ = 3;
    RichText mXLabel_, mYLabel_;
    PlotRect mPlotRect;
    float mMarginLeft_ = 80, mMarginTop_ = 15, mMarginRight_ = 30, mMarginBottom_ = 60;
    bool mDrawGrid = false;
    bool mShowLogX = false, mShowLogY = false;
    float mLogXmin_ = 0, mLogXmax_ = 1, mLogYmin_ = 0, mLogYmax_ = 1;
    float mAx = 1, mBx = 0, mAy = 1, mBy = 0;
    bool mIsSelectingPointVisible = false;
    float mSelectedPointX = 0, mSelectedPointY = 0;
    std::weak_ptr<CGraphObject> mSelectedObject;
    bool mSelectionKeyShift = false, mSelectionKeyControl = false, mSelectionKeyOption = false;
    std::shared_ptr<CGraphLegend> mLegend_;
    FontDescription mLabelsAttributes, mTicksAttributes, mLegendsAttributes;
    PlotRect mTrackingRect;
    Color mBackColor{1.0f, 1.0f, 0.7f, 1.0f};
    Color mForeColor{0.6f, 1.0f, 1.0f, 1.0f};
    std::string mPlotName;
    bool mIsPrinting = false;
};
