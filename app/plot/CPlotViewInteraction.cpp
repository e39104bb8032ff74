// What the user does inside a plot view: clicks that select an object or a
// point (and tell the document by "PlotSelection"), drags that draw a zoom
// rectangle or move the legend, double clicks that open settings panels,
// context menus and their commands, undoable edits, PDF export and copies.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <typeinfo>
#include <unordered_map>

#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CGraphPointCurve.h"
#include "app/plot/CGraphStringPointCurve.h"
#include "app/plot/CPlotView.h"
#include "app/plot/FileChooser.h"
#include "app/plot/PlotViewPanels.h"
#include "platform/NotificationCenter.h"

namespace {

bool isKindOfCurve(const CGraphObject& o) { return dynamic_cast<const CGraphCurve*>(&o) != nullptr; }
bool isKindOfPoint(const CGraphObject& o) {
    return dynamic_cast<const CGraphPoint*>(&o) != nullptr || dynamic_cast<const CGraphPointCurve*>(&o) != nullptr;
}
bool isKindOfStringPointCurve(const CGraphObject& o) {
    return dynamic_cast<const CGraphStringPointCurve*>(&o) != nullptr;
}

void reportError(const std::string& title, const std::string& message) {
    if (auto* panels = plotViewPanels()) panels->reportError(title, message);
    else std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
}

const char* exportFailure(ExportStatus s) {
    switch (s) {
    case ExportStatus::CannotOpen: return "The file could not be opened for writing.";
    case ExportStatus::WriteFailed: return "The data could not be written completely.";
    default: return nullptr;
    }
}

}  // namespace

// ---------------------------------------------------------------- menus

const PlotMenu& CPlotView::mPlotMenu() {
    static const PlotMenu menu{"Plot",
                               {{"Zoom in", PlotAction::ZoomIn},
                                {"Zoom out", PlotAction::ZoomOut},
                                {"Set Axis ranges...", PlotAction::ShowAxisRangePanel},
                                {"Axis ranges by default...", PlotAction::AxisRangesByDefault},
                                {"Axis label font...", PlotAction::LabelFontSettings},
                                {"Axis graduation font...", PlotAction::GraduationFontSettings},
                                {"Logarithmic X axis", PlotAction::ToggleShowLogX},
                                {"Logarithmic Y axis", PlotAction::ToggleShowLogY},
                                {"", PlotAction::ZoomIn, true},
                                {"Save as PDF...", PlotAction::PrintPlot},
                                {"", PlotAction::ZoomIn, true},
                                {"Open in a new window...", PlotAction::OpenNewPlotWindow}}};
    return menu;
}

const PlotMenu& CPlotView::mCurvesMenu() {
    static const PlotMenu menu{"Curves",
                               {{"Normal thickness", PlotAction::NormalThickness},
                                {"Double thickness", PlotAction::DoubleThickness},
                                {"Triple thickness", PlotAction::TripleThickness},
                                {"", PlotAction::ZoomIn, true},
                                {"Color...", PlotAction::GraphObjectColor},
                                {"", PlotAction::ZoomIn, true},
                                {"Settings panel...", PlotAction::CurvesSettingsPanel},
                                {"", PlotAction::ZoomIn, true},
                                {"Save to ASCII data file...", PlotAction::ExportCurveData},
                                {"Save to Igor data file...", PlotAction::ExportIgorData}}};
    return menu;
}

const PlotMenu& CPlotView::mPointsMenu() {
    static const PlotMenu menu{"Points",
                               {{"Increase size", PlotAction::IncreasePointSize},
                                {"Decrease size", PlotAction::DecreasePointSize},
                                {"", PlotAction::ZoomIn, true},
                                {"Color...", PlotAction::GraphObjectColor},
                                {"", PlotAction::ZoomIn, true},
                                {"Settings panel...", PlotAction::PointsSettingsPanel}}};
    return menu;
}

const PlotMenu& CPlotView::mFontsMenu() {
    static const PlotMenu menu{"Texts", {{"Font", PlotAction::GraphObjectFont}}};
    return menu;
}

const PlotMenu* CPlotView::menuForEvent(PlotPoint p) {
    testClickedGraphObject(p);
    auto sel = mSelectedObject.lock();
    if (!sel) return &mPlotMenu();
    const CGraphObject& object = *sel;
    const std::type_info& kind = typeid(object);
    if (kind == typeid(CGraphCurve)) return &mCurvesMenu();
    if (kind == typeid(CGraphPoint) || kind == typeid(CGraphPointCurve)) return &mPointsMenu();
    // The legend's font is reachable through the Texts menu on the legend.
    if (sel == mLegend_) return &mFontsMenu();
    return nullptr;
}

PlotMenuItemState CPlotView::validateMenuItem(PlotAction action) const {
    PlotMenuItemState s;
    auto factorIsNot = [this](float f) {
        auto sel = mSelectedObject.lock();
        return sel && sel->getToolSizeFactor() != f;
    };
    switch (action) {
    case PlotAction::ZoomIn:
    case PlotAction::ZoomOut: s.enabled = !mTrackingRect.isEmpty(); break;
    case PlotAction::ToggleShowLogX:
        s.checkable = true;
        s.checked = mShowLogX;
        break;
    case PlotAction::ToggleShowLogY:
        s.checkable = true;
        s.checked = mShowLogY;
        break;
    case PlotAction::ShowGrid: s.title = mDrawGrid ? "Hide Grid" : "Show Grid"; break;
    case PlotAction::AxisRangesByDefault:
        s.enabled = mCurMinX != mMinX || mCurMaxX != mMaxX || mCurMinY != mMinY || mCurMaxY != mMaxY;
        break;
    case PlotAction::NormalThickness: s.enabled = factorIsNot(1.0f); break;
    case PlotAction::DoubleThickness: s.enabled = factorIsNot(2.0f); break;
    case PlotAction::TripleThickness: s.enabled = factorIsNot(3.0f); break;
    default: break;
    }
    return s;
}

void CPlotView::performAction(PlotAction action) {
    switch (action) {
    case PlotAction::ZoomIn: onZoomIn(); break;
    case PlotAction::ZoomOut: onZoomOut(); break;
    case PlotAction::ShowAxisRangePanel: onShowAxisRangePanel(); break;
    case PlotAction::AxisRangesByDefault: onAxisRangesByDefault(); break;
    case PlotAction::MaximumAxisRanges: onMaximumAxisRanges(); break;
    case PlotAction::LabelFontSettings: onLabelFontSettings(); break;
    case PlotAction::GraduationFontSettings: onGraduationFontSettings(); break;
    case PlotAction::ToggleShowLogX: onToggleShowLogX(); break;
    case PlotAction::ToggleShowLogY: onToggleShowLogY(); break;
    case PlotAction::ShowGrid: onShowGrid(); break;
    case PlotAction::PrintPlot: onPrintPlot(); break;
    case PlotAction::OpenNewPlotWindow: onOpenNewPlotWindow(); break;
    case PlotAction::NormalThickness: onNormalThickness(); break;
    case PlotAction::DoubleThickness: onDoubleThickness(); break;
    case PlotAction::TripleThickness: onTripleThickness(); break;
    case PlotAction::GraphObjectColor: onGraphObjectColor(); break;
    case PlotAction::CurvesSettingsPanel: onCurvesSettingsPanel(); break;
    case PlotAction::ExportCurveData: onExportCurveData(); break;
    case PlotAction::ExportIgorData: onExportIgorData(); break;
    case PlotAction::IncreasePointSize: onIncreasePointSize(); break;
    case PlotAction::DecreasePointSize: onDecreasePointSize(); break;
    case PlotAction::PointsSettingsPanel: onPointsSettingsPanel(); break;
    case PlotAction::GraphObjectFont: onGraphObjectFont(); break;
    }
}

// ---------------------------------------------------------------- selection

void CPlotView::notifyObjectSelection() {
    platform::NotificationCenter::defaultCenter().post(kPlotSelection, this);
}

std::string CPlotView::pointStatus(int extra) const {
    return mXLabel_.text + " = " + tickLabelText(mSelectedPointX, false, mXTicksDigits_ + extra) + ", " +
           mYLabel_.text + " = " + tickLabelText(mSelectedPointY, false, mYTicksDigits_ + extra);
}

void CPlotView::updateStatusMessage() {
    if (mDrawPlotView) mDrawPlotView->setStatusMessage(pointStatus(0));
}

bool CPlotView::testClickedGraphObject(PlotPoint p) {
    const PlotRect P = getPlotRect();
    if (p.x < P.x || p.x > P.x + P.width || p.y < P.y || p.y > P.y + P.height) {
        mIsSelectingPointVisible = false;
        mSelectedObject.reset();
        return false;
    }
    mIsSelectingPointVisible = true;
    mSelectedPointX = getXFromPixelValue(p.x);
    mSelectedPointY = getYFromPixelValue(p.y);
    const auto before = mSelectedObject.lock();
    bool hit = false;
    const auto objects = mGraphObjects;  // a hit test may move the selected point, never the list
    for (const auto& o : objects) {
        if (!o->isHit(p)) continue;
        if (before) before->setHilited(false);
        mSelectedObject = o;  // the last hit in list order (drawn on top) wins
        hit = true;
    }
    if (hit) return true;
    // A hidden legend keeps the size of its last drawing: it is not hit.
    if (!mLegend_->isHidden() && mLegend_->isHit(p)) {
        mIsSelectingPointVisible = false;
        mSelectedObject = mLegend_;
        return true;
    }
    mSelectedObject.reset();
    return false;
}

void CPlotView::mouseDown(PlotPoint p, unsigned modifierFlags, int clickCount) {
    // A press that comes before the release of the previous one ends that drag.
    if (mTracking != Tracking::None) endTracking(mPreviousLocation);

    const float oldX = mSelectedPointX, oldY = mSelectedPointY;
    testClickedGraphObject(p);
    mSelectionKeyShift = (modifierFlags & kShiftKeyMask) != 0;
    mSelectionKeyControl = (modifierFlags & kControlKeyMask) != 0;
    mSelectionKeyOption = (modifierFlags & kAlternateKeyMask) != 0;

    auto sel = mSelectedObject.lock();
    if (!sel) {
        hilite(nullptr);
    } else if (clickCount >= 2) {
        if (isKindOfCurve(*sel)) {
            onCurvesSettingsPanel();
            setNeedsDisplay();
            return;
        }
        if (isKindOfPoint(*sel) || isKindOfStringPointCurve(*sel)) {
            onPointsSettingsPanel();
            setNeedsDisplay();
            return;
        }
    } else if (isKindOfCurve(*sel) || isKindOfPoint(*sel)) {
        hilite(sel);
        if (mDrawPlotView) {
            const std::string& name = sel->name() ? *sel->name() : std::string();
            mDrawPlotView->setStatusMessage(sel->name() ? name + " : " + pointStatus(1) : pointStatus(1));
        }
        updateColorPanel();
        notifyObjectSelection();
        setNeedsDisplay();
        return;
    } else if (isKindOfStringPointCurve(*sel)) {
        hilite(sel);
        // The series' hit test has already moved the selected point to the point found.
        auto* series = static_cast<CGraphStringPointCurve*>(sel.get());
        if (mDrawPlotView) mDrawPlotView->setStatusMessage(series->getHitPointName() + " : " + pointStatus(1));
        updateColorPanel();
        notifyObjectSelection();
        setNeedsDisplay();
        return;
    } else if (sel == mLegend_) {
        mLegend_->setHilited(true);
        setNeedsDisplay();
    }

    mClickPoint = p;
    mPreviousLocation = p;
    if (sel == mLegend_ && mLegend_->getBounds().containsMouse(p)) {
        // Legend drag: every move lands in one undo group.
        mLegend_->setHilited(true);
        mUndoManager->beginUndoGrouping();
        float lx = 0, ly = 0;
        mLegend_->getPosition(&lx, &ly);
        mLegendOffset = {p.x - getXValue(lx), p.y - getYValue(ly)};
        mTracking = Tracking::Legend;
        return;
    }

    // Zoom rectangle: a new drag starts from scratch.
    if (!mTrackingRect.isEmpty()) {
        mTrackingRect = {};
        setNeedsDisplay();
        if (mDrawPlotView) mDrawPlotView->setEnabledZoomingControls(false);
    }
    mSavedPointX = oldX;
    mSavedPointY = oldY;
    mMouseMoved = false;
    mTracking = Tracking::Zoom;
}

void CPlotView::moveLegendWithMouse(PlotPoint q) {
    if (q == mClickPoint) return;
    doChangeLegendPosition(getXFromPixelValue(q.x - mLegendOffset.x), getYFromPixelValue(q.y - mLegendOffset.y),
                           0.0f, 0.0f);
}

void CPlotView::trackZoom(PlotPoint q) {
    if (q == mPreviousLocation) return;
    const PlotPoint p = mClickPoint;
    PlotRect r{std::min(p.x, q.x), std::min(p.y, q.y), std::abs(q.x - p.x), std::abs(q.y - p.y)};
    if (!(r == mTrackingRect)) {
        mTrackingRect = r;
        mIsSelectingPointVisible = false;
        setNeedsDisplay();
    }
    mPreviousLocation = q;
    mMouseMoved = true;
}

void CPlotView::mouseDragged(PlotPoint q) {
    switch (mTracking) {
    case Tracking::Legend:
        moveLegendWithMouse(q);
        mPreviousLocation = q;
        break;
    case Tracking::Zoom: trackZoom(q); break;
    case Tracking::None: break;
    }
}

void CPlotView::mouseUp(PlotPoint q) {
    if (mTracking != Tracking::None) endTracking(q);
}

void CPlotView::endTracking(PlotPoint q) {
    const Tracking t = mTracking;
    mTracking = Tracking::None;
    if (t == Tracking::Legend) {
        moveLegendWithMouse(q);
        mLegend_->setHilited(false);
        mUndoManager->endUndoGrouping();  // the whole drag is one step
        setNeedsDisplay();
        return;
    }
    trackZoom(q);
    if (!mTrackingRect.isEmpty() && mDrawPlotView) mDrawPlotView->setEnabledZoomingControls(true);
    if (mMouseMoved) {
        mSelectedPointX = mSavedPointX;
        mSelectedPointY = mSavedPointY;
        mIsSelectingPointVisible = true;
        setNeedsDisplay();
        return;
    }
    if (mIsSelectingPointVisible) {
        if (mDrawPlotView) mDrawPlotView->setStatusMessage(pointStatus(1));
    } else {
        mSelectedPointX = 0.0f;
        mSelectedPointY = 0.0f;
        if (mDrawPlotView) mDrawPlotView->setStatusMessage("");
    }
    notifyObjectSelection();
    setNeedsDisplay();
}

// ---------------------------------------------------------------- undoable edits

void CPlotView::doChangeAxisRanges(float x0, float x1, float y0, float y1) {
    const float p0 = mCurMinX, p1 = mCurMaxX, q0 = mCurMinY, q1 = mCurMaxY, unit = mXUnitScale;
    mUndoManager->registerUndo(
        [this, p0, p1, q0, q1, unit] {
            const float k = mXUnitScale / unit;  // the x range in the axis' unit of now
            if (k != 1.0f) {
                // The tick labels keep their significant digits: 12000 ppm with
                // none is 1.2000 wt % with four.
                const int shift = static_cast<int>(std::lround(std::log10(k)));
                mXTicksDigits_ = std::max(0, mXTicksDigits_ - shift);
            }
            doChangeAxisRanges(p0 * k, p1 * k, q0, q1);
        },
        "Changes Of Axis Ranges");
    mCurMinX = x0;
    mCurMaxX = x1;
    mCurMinY = y0;
    mCurMaxY = y1;
    mTrackingRect = {};
    if (auto* panels = plotViewPanels()) panels->axisRangesChanged(*this);
    if (mDrawPlotView) mDrawPlotView->setEnabledZoomingControls(false);
    setNeedsDisplay();
    postAxisPlotChanged();
}

void CPlotView::doChangeLegendPosition(float x, float y, float shiftX, float shiftY) {
    float px = 0, py = 0;
    mLegend_->getPosition(&px, &py);
    // The undo lands exactly where the legend was, whatever the shifts.
    mUndoManager->registerUndo(
        [this, px, py, shiftX, shiftY] { doChangeLegendPosition(px + shiftX, py + shiftY, shiftX, shiftY); },
        "Move Of Legend");
    mLegend_->setPosition(x - shiftX, y - shiftY);
    setNeedsDisplay();
}

void CPlotView::doChangeToolSizeFactor(float factor, const std::shared_ptr<CGraphObject>& object) {
    if (!object) return;
    const float previous = object->getToolSizeFactor();
    mUndoManager->registerUndo([this, previous, object] { doChangeToolSizeFactor(previous, object); },
                               "Change Of Line Thickness");
    object->setToolSizeFactor(factor);
    setNeedsDisplay();
}

void CPlotView::doIncreasePointSizeOf(const std::shared_ptr<CGraphObject>& object) {
    if (!object) return;
    mUndoManager->registerUndo([this, object] { doDecreasePointSizeOf(object); }, "Increase Of Marker Size");
    object->increaseToolSizeFactor();
    setNeedsDisplay();
}

void CPlotView::doDecreasePointSizeOf(const std::shared_ptr<CGraphObject>& object) {
    if (!object) return;
    mUndoManager->registerUndo([this, object] { doIncreasePointSizeOf(object); }, "Decrease Of Marker Size");
    object->decreaseToolSizeFactor();
    setNeedsDisplay();
}

const FontDescription& CPlotView::editedFontAttributes(std::int32_t code) const {
    if (code == 2) return mTicksAttributes;
    if (code == 3) return mLegendsAttributes;
    return mLabelsAttributes;
}

void CPlotView::doChangeFont(const FontDescription& font, std::int32_t code) {
    FontDescription& set = code == 2 ? mTicksAttributes : code == 3 ? mLegendsAttributes : mLabelsAttributes;
    const FontDescription previous = set;
    mUndoManager->registerUndo([this, previous, code] { doChangeFont(previous, code); },
                               code == 2   ? "Changes of Ticks Font"
                               : code == 3 ? "Changes of Legends Font"
                                           : "Changes Of Labels Font");
    set = font;
    if (code == 1) {
        mXLabel_.font = font;
        mYLabel_.font = font;
    }
    setNeedsDisplay();
}

// ---------------------------------------------------------------- commands

void CPlotView::onShowGrid() {
    mDrawGrid = !mDrawGrid;
    setNeedsDisplay();
    if (mDrawPlotView) mDrawPlotView->updateGridButton(mDrawGrid);
}

void CPlotView::onAxisRangesByDefault() { doChangeAxisRanges(mMinX, mMaxX, mMinY, mMaxY); }

void CPlotView::onMaximumAxisRanges() { doChangeAxisRanges(mMaxMinX, mMaxMaxX, mMaxMinY, mMaxMaxY); }

void CPlotView::onZoomIn() {
    if (mTrackingRect.isEmpty()) return;
    const PlotRect& T = mTrackingRect;
    float x0 = getXFromPixelValue(T.x), x1 = getXFromPixelValue(T.x + T.width);
    float y0 = getYFromPixelValue(T.y), y1 = getYFromPixelValue(T.y + T.height);
    doChangeAxisRanges(std::max(mMaxMinX, x0), std::min(mMaxMaxX, x1), std::max(mMaxMinY, y0),
                       std::min(mMaxMaxY, y1));
}

void CPlotView::onZoomOut() {
    if (mTrackingRect.isEmpty()) return;
    const PlotRect T = mTrackingRect;
    mPlotRect = getPlotRect();
    const PlotRect& P = mPlotRect;
    float dx = mCurMaxX - mCurMinX, dy = mCurMaxY - mCurMinY;
    float nx0 = mCurMinX - (T.x - P.x) / T.width * dx;
    float nx1 = nx0 + dx * P.width / T.width;
    float ny0 = mCurMinY - (T.y - P.y) / T.height * dy;
    float ny1 = ny0 + dy * P.height / T.height;
    doChangeAxisRanges(std::max(mMaxMinX, nx0), std::min(mMaxMaxX, nx1), std::max(mMaxMinY, ny0),
                       std::min(mMaxMaxY, ny1));
}

void CPlotView::onShowAxisRangePanel() {
    if (mAxisPanelRequest) mAxisPanelRequest(*this);
    else if (auto* panels = plotViewPanels()) panels->showAxisRangePanel(*this);
}

void CPlotView::onToggleShowLogX() {
    mShowLogX = !mShowLogX;
    postAxisPlotChanged();
    setNeedsDisplay();
}

void CPlotView::onToggleShowLogY() {
    mShowLogY = !mShowLogY;
    postAxisPlotChanged();
    setNeedsDisplay();
}

namespace {
void changeThickness(CPlotView& view, float factor) {
    auto sel = view.selectedObject();
    if (!sel) return;
    view.doChangeToolSizeFactor(factor, sel);
    sel->setSize(factor);
}
}  // namespace

void CPlotView::onNormalThickness() { changeThickness(*this, 1.0f); }
void CPlotView::onDoubleThickness() { changeThickness(*this, 2.0f); }
void CPlotView::onTripleThickness() { changeThickness(*this, 3.0f); }

void CPlotView::onIncreasePointSize() { doIncreasePointSizeOf(mSelectedObject.lock()); }
void CPlotView::onDecreasePointSize() { doDecreasePointSizeOf(mSelectedObject.lock()); }

void CPlotView::onGraphObjectColor() {
    auto* panels = plotViewPanels();
    if (!panels) return;
    auto sel = mSelectedObject.lock();
    panels->showColorPanel(*this, sel && sel->color() ? *sel->color() : Color::blackColor());
}

void CPlotView::onCurvesSettingsPanel() {
    auto sel = mSelectedObject.lock();
    if (auto* panels = plotViewPanels(); panels && sel) panels->runCurveSettingsPanel(*this, sel);
}

void CPlotView::onPointsSettingsPanel() {
    auto sel = mSelectedObject.lock();
    if (auto* panels = plotViewPanels(); panels && sel) panels->runPointSettingsPanel(*this, sel);
}

void CPlotView::onLabelFontSettings() {
    mEditedFont_ = 1;
    openFontPanel();
}

void CPlotView::onGraduationFontSettings() {
    mEditedFont_ = 2;
    openFontPanel();
}

void CPlotView::onGraphObjectFont() {
    mEditedFont_ = 3;
    openFontPanel();
}

void CPlotView::openFontPanel() {
    if (auto* panels = plotViewPanels()) panels->showFontPanel(*this, editedFontAttributes(mEditedFont_));
}

void CPlotView::changeFont(const FontDescription& font) { doChangeFont(font, mEditedFont_); }

void CPlotView::changeColor(const Color& color) {
    auto sel = mSelectedObject.lock();
    auto* panels = plotViewPanels();
    if (!sel || !panels || !panels->isColorPanelVisible()) return;
    sel->setColor(color);
    setNeedsDisplay();
}

void CPlotView::updateColorPanel() {
    auto sel = mSelectedObject.lock();
    auto* panels = plotViewPanels();
    if (!sel || !panels || !panels->isColorPanelVisible()) return;
    panels->setColorPanelColor(*this, sel->color() ? *sel->color() : Color::blackColor());
}

// ---------------------------------------------------------------- PDF, exports, copies

bool CPlotView::onPrintPlot() {
    if (mPlotName.empty()) mPlotName = "plot";
    FileChooser* chooser = fileChooser();
    if (!chooser) return false;
    const auto path = chooser->chooseSaveFile(mPlotName, "pdf");
    if (!path) return false;
    std::string error;
    auto* panels = plotViewPanels();
    if (!panels) error = "No PDF writer is available.";
    else if (panels->writePdf(*this, *path, error)) return true;
    reportError("Save as PDF", error.empty() ? "The plot could not be saved as PDF." : error);
    return false;
}

void CPlotView::onOpenNewPlotWindow() {
    if (auto* panels = plotViewPanels()) panels->openNewPlotWindow(*this);
}

void CPlotView::onExportCurveData() {
    auto* curve = dynamic_cast<CGraphCurve*>(mSelectedObject.lock().get());
    if (!curve) return;
    if (const char* why = exportFailure(curve->exportCurveData())) reportError("Save to ASCII data file", why);
}

void CPlotView::onExportIgorData() {
    auto* curve = dynamic_cast<CGraphCurve*>(mSelectedObject.lock().get());
    if (!curve) return;
    if (const char* why = exportFailure(curve->exportToIgor())) reportError("Save to Igor data file", why);
}

std::unique_ptr<CPlotView> CPlotView::copy() const {
    auto v = std::make_unique<CPlotView>(mBounds);
    v->mNbXTicks_ = mNbXTicks_;
    v->mNbYTicks_ = mNbYTicks_;
    v->mXTicksDigits_ = mXTicksDigits_;
    v->mYTicksDigits_ = mYTicksDigits_;
    v->mXLabel_ = mXLabel_;
    v->mYLabel_ = mYLabel_;
    v->mShowLogX = mShowLogX;
    v->mShowLogY = mShowLogY;
    std::unordered_map<const CGraphObject*, std::shared_ptr<CGraphObject>> copies;
    for (const auto& o : mGraphObjects) {
        auto c = o->copy();
        copies[o.get()] = c;
        v->addGraphObject(c);
    }
    // The copied legend names the copies, so that the new plot does not
    // depend on objects that the original may release.
    v->setMLegend(*mLegend_);
    std::vector<std::shared_ptr<CGraphObject>> refs;
    for (const auto& o : mLegend_->mRefObjectList())
        if (auto it = copies.find(o.get()); it != copies.end()) refs.push_back(it->second);
    v->mLegend_->setMRefObjectList(refs);
    v->setDefaultXYRange(mCurMinX, mCurMaxX, mCurMinY, mCurMaxY);
    v->setMaxXYRange(mMaxMinX, mMaxMaxX, mMaxMinY, mMaxMaxY);
    return v;
}
