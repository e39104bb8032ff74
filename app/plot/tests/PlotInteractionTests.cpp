#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/plot/AxisRangeSteps.h"
#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphLegend.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CGraphPointCurve.h"
#include "app/plot/CGraphStringPoint.h"
#include "app/plot/CGraphStringPointCurve.h"
#include "app/plot/CPlotView.h"
#include "app/plot/FileChooser.h"
#include "app/plot/PlotUndoManager.h"
#include "app/plot/PlotViewPanels.h"
#include "app/plot/RecordingCanvas.h"
#include "app/plot/tests/PlotTestSupport.h"
#include "platform/NotificationCenter.h"

namespace {

struct FakeContainer : PlotViewContainer {
    std::vector<std::string> messages;
    bool zoomEnabled = true;
    bool grid = false;
    void setStatusMessage(const std::string& m) override { messages.push_back(m); }
    void setEnabledZoomingControls(bool e) override { zoomEnabled = e; }
    void updateGridButton(bool on) override { grid = on; }
};

struct FakePanels : PlotViewPanels {
    int axisShown = 0, axisChanged = 0, curvePanels = 0, pointPanels = 0, colorShown = 0, fontShown = 0;
    int windows = 0, closed = 0;
    bool colorVisible = false;
    Color panelColor;
    FontDescription panelFont;
    bool pdfResult = true;
    std::vector<std::string> pdfPaths, errors;
    void showAxisRangePanel(CPlotView&) override { ++axisShown; }
    void axisRangesChanged(CPlotView&) override { ++axisChanged; }
    void runCurveSettingsPanel(CPlotView&, const std::shared_ptr<CGraphObject>&) override { ++curvePanels; }
    void runPointSettingsPanel(CPlotView&, const std::shared_ptr<CGraphObject>&) override { ++pointPanels; }
    void showColorPanel(CPlotView&, const Color& c) override {
        ++colorShown;
        colorVisible = true;
        panelColor = c;
    }
    bool isColorPanelVisible() const override { return colorVisible; }
    void setColorPanelColor(CPlotView&, const Color& c) override { panelColor = c; }
    void showFontPanel(CPlotView&, const FontDescription& f) override {
        ++fontShown;
        panelFont = f;
    }
    bool writePdf(CPlotView&, const std::string& path, std::string& error) override {
        pdfPaths.push_back(path);
        if (!pdfResult) error = "Cannot write the file";
        return pdfResult;
    }
    void openNewPlotWindow(CPlotView&) override { ++windows; }
    void reportError(const std::string& title, const std::string& message) override {
        errors.push_back(title + ": " + message);
    }
    void plotViewWillClose(CPlotView&) override { ++closed; }
};

struct FakeChooser : FileChooser {
    std::vector<std::string> offered;
    std::optional<std::string> answer;
    std::optional<std::string> chooseSaveFile(const std::string& name, const std::string& type) override {
        offered.push_back(name + "." + type);
        return answer;
    }
};

// A 200 x 200 plot whose data units are its pixels, with panels, a container
// and a counter of "PlotSelection" that records the view's state when posted.
class Interaction : public ::testing::Test {
protected:
    void SetUp() override {
        setPlotViewPanels(&panels);
        view = makeOneToOneView();
        view->setMaxXYRange(-100, 300, -100, 300);
        view->setDrawPlotView(&box);
        view->setLabels("P", "wt");
        view->setTicksDigits(1, 2);
        token = platform::NotificationCenter::defaultCenter().addObserver(
            CPlotView::kPlotSelection, view.get(), [this](const std::string&, const void*) {
                ++selections;
                postedX = view->selectedPointX();
                postedY = view->selectedPointY();
                postedShift = view->selectionKeyShift();
            });
    }
    void TearDown() override {
        platform::NotificationCenter::defaultCenter().removeObserver(token);
        view.reset();
        setPlotViewPanels(nullptr);
    }
    // Draws the objects and the legend so that they have outlines and sizes.
    void renderObjects() {
        RecordingCanvas rc;
        for (const auto& o : view->graphObjects()) o->render(rc);
        view->mLegend()->render(rc);
    }
    void click(PlotPoint p, unsigned flags = 0, int count = 1) {
        view->mouseDown(p, flags, count);
        view->mouseUp(p);
    }

    FakePanels panels;
    FakeContainer box;
    std::unique_ptr<CPlotView> view;
    platform::NotificationCenter::Token token = 0;
    int selections = 0;
    float postedX = -1, postedY = -1;
    bool postedShift = false;
};

TEST(PlotUndo, GroupsNestUndoRedoAndSinks) {
    PlotUndoManager m;
    int value = 0;
    std::function<void(int)> set = [&](int v) {
        const int old = value;
        m.beginUndoGrouping();
        m.registerUndo([&, old] { set(old); });
        m.setActionName("Set");
        m.endUndoGrouping();
        value = v;
    };
    m.beginUndoGrouping();  // one drag: three edits, one step
    set(1);
    set(2);
    set(3);
    m.setActionName("Drag");
    m.endUndoGrouping();
    set(7);
    EXPECT_EQ(m.undoCount(), 2u);
    EXPECT_EQ(m.undoActionName(), "Set");
    m.undo();
    EXPECT_EQ(value, 3);
    EXPECT_EQ(m.undoActionName(), "Drag");
    m.undo();
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(m.canUndo());
    m.redo();
    EXPECT_EQ(value, 3);
    m.redo();
    EXPECT_EQ(value, 7);
    m.undo();
    set(5);  // a new edit ends what could be redone
    EXPECT_FALSE(m.canRedo());
    m.beginUndoGrouping();  // an empty group leaves no step
    m.endUndoGrouping();
    m.endUndoGrouping();  // unbalanced: ignored
    EXPECT_EQ(m.undoCount(), 2u);

    std::vector<PlotUndoManager::Group> sunk;
    m.setSink([&](PlotUndoManager::Group&& g) { sunk.push_back(std::move(g)); });
    set(9);
    ASSERT_EQ(sunk.size(), 1u);
    EXPECT_EQ(sunk[0].actionName, "Set");
    auto redoGroup = m.runGroup(std::move(sunk[0]), false);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(redoGroup.actionName, "Set");
    m.runGroup(std::move(redoGroup), true);
    EXPECT_EQ(value, 9);
    EXPECT_EQ(sunk.size(), 1u);  // what an undo registers is not a new step
}

TEST(PlotUndo, AnUndoDuringADragLeavesTheDragWhole) {
    PlotUndoManager m;
    int a = 0, b = 0;
    std::function<void(int&, int)> set = [&](int& slot, int v) {
        const int old = slot;
        m.registerUndo([&, old] { set(slot, old); });
        slot = v;
    };
    set(a, 1);
    m.beginUndoGrouping();
    set(b, 5);
    m.undo();  // the earlier edit, while the drag goes on
    EXPECT_EQ(a, 0);
    set(b, 6);
    m.setActionName("Move Of Legend");
    m.endUndoGrouping();
    ASSERT_EQ(m.undoCount(), 1u);
    EXPECT_EQ(m.undoActionName(), "Move Of Legend");
    m.undo();
    EXPECT_EQ(b, 0);
    EXPECT_EQ(a, 0);
    m.redo();
    EXPECT_EQ(b, 6);
}

TEST_F(Interaction, APlainClickSelectsTheDataPointAndTellsTheDocumentOnce) {
    click({50, 120}, CPlotView::kShiftKeyMask);
    EXPECT_EQ(selections, 1);
    EXPECT_FLOAT_EQ(postedX, 50);
    EXPECT_FLOAT_EQ(postedY, 120);
    EXPECT_TRUE(postedShift);
    EXPECT_TRUE(view->isSelectingPointVisible());
    ASSERT_FALSE(box.messages.empty());
    EXPECT_EQ(box.messages.back(), "P = 50.00, wt = 120.000");  // one more decimal than the ticks
    click({60, 20});
    EXPECT_EQ(selections, 2);
    EXPECT_FALSE(postedShift);

    // In the margin: no point, an empty status, still one notification.
    click({-30, 100});
    EXPECT_EQ(selections, 3);
    EXPECT_EQ(postedX, 0.0f);
    EXPECT_EQ(postedY, 0.0f);
    EXPECT_FALSE(view->isSelectingPointVisible());
    EXPECT_EQ(box.messages.back(), "");
    EXPECT_FALSE(view->selectedObject());
}

TEST_F(Interaction, ADragDrawsAZoomRectangleWithoutTellingAndZoomStaysInTheMaximum) {
    click({40, 40});
    ASSERT_EQ(selections, 1);
    view->mouseDown({20, 30}, 0, 1);
    view->mouseDragged({20, 30});  // no move yet
    EXPECT_TRUE(view->trackingRect().isEmpty());
    view->mouseDragged({80, 10});
    view->mouseUp({120, 150});
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(view->trackingRect(), (PlotRect{20, 30, 100, 120}));
    EXPECT_TRUE(box.zoomEnabled);
    EXPECT_TRUE(view->validateMenuItem(PlotAction::ZoomIn).enabled);
    EXPECT_TRUE(view->validateMenuItem(PlotAction::ZoomOut).enabled);
    // The marker comes back where it was before the drag.
    EXPECT_FLOAT_EQ(view->selectedPointX(), 40);
    EXPECT_FLOAT_EQ(view->selectedPointY(), 40);
    EXPECT_TRUE(view->isSelectingPointVisible());

    // Zoom out squeezes the whole view into the rectangle, within the maximum ranges.
    view->onZoomOut();
    float x0, x1, y0, y1;
    view->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_FLOAT_EQ(x0, -40);  // 0 - 20/100 * 200
    EXPECT_FLOAT_EQ(x1, 300);  // -40 + 400 = 360, clamped
    EXPECT_FLOAT_EQ(y0, -50);  // 0 - 30/120 * 200
    EXPECT_FLOAT_EQ(y1, 283.33334f);
    EXPECT_FALSE(box.zoomEnabled);
    EXPECT_TRUE(view->trackingRect().isEmpty());
    EXPECT_FALSE(view->validateMenuItem(PlotAction::ZoomIn).enabled);
    EXPECT_TRUE(view->validateMenuItem(PlotAction::AxisRangesByDefault).enabled);

    // Zoom in on a rectangle reaching past the maximum: clamped to it.
    view->onAxisRangesByDefault();
    EXPECT_FALSE(view->validateMenuItem(PlotAction::AxisRangesByDefault).enabled);
    view->setMaxXYRange(10, 150, 0, 200);
    view->mouseDown({0, 50}, 0, 1);
    view->mouseDragged({180, 100});
    view->mouseUp({180, 100});
    view->onZoomIn();
    view->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_FLOAT_EQ(x0, 10);
    EXPECT_FLOAT_EQ(x1, 150);
    EXPECT_FLOAT_EQ(y0, 50);
    EXPECT_FLOAT_EQ(y1, 100);
    EXPECT_EQ(selections, 1);
    // A new press clears an old rectangle and disables the zoom buttons.
    view->setTrackingRect({1, 1, 5, 5});
    box.zoomEnabled = true;
    view->mouseDown({30, 30}, 0, 1);
    EXPECT_TRUE(view->trackingRect().isEmpty());
    EXPECT_FALSE(box.zoomEnabled);
    view->mouseUp({30, 30});
    EXPECT_EQ(selections, 2);
}

TEST_F(Interaction, ObjectsAreSelectedTopmostFirstAndDoubleClicksOpenTheirPanels) {
    auto a = std::make_shared<CGraphCurve>();
    a->addPoint(0, 100, false);
    a->addPoint(200, 100, false);
    a->setName("first");
    auto b = std::make_shared<CGraphCurve>();
    b->addPoint(0, 102, false);
    b->addPoint(200, 102, false);
    auto p = CGraphPoint::newGraphPoint(50, 50);
    p->setSelector(1);
    view->addGraphObject(a);
    view->addGraphObject(b);
    view->addGraphObject(p);
    renderObjects();

    click({100, 101});
    EXPECT_EQ(view->selectedObject(), b);  // later in the list: drawn on top
    EXPECT_TRUE(b->isHilited());
    EXPECT_FALSE(a->isHilited());
    EXPECT_EQ(box.messages.back(), "P = 100.00, wt = 101.000");
    EXPECT_EQ(selections, 1);
    click({100, 96});
    EXPECT_EQ(view->selectedObject(), a);
    EXPECT_FALSE(b->isHilited());
    EXPECT_EQ(box.messages.back(), "first : P = 100.00, wt = 96.000");

    view->mouseDown({100, 96}, 0, 2);  // the second press of a double click
    view->mouseUp({100, 96});
    EXPECT_EQ(panels.curvePanels, 1);
    EXPECT_EQ(selections, 2);  // a double click tells nothing more
    click({50, 50});
    EXPECT_EQ(view->selectedObject(), p);
    view->mouseDown({50, 50}, 0, 2);
    EXPECT_EQ(panels.pointPanels, 1);
    EXPECT_EQ(selections, 3);

    // A click beside everything deselects and highlights nothing.
    click({150, 20});
    EXPECT_FALSE(view->selectedObject());
    EXPECT_FALSE(a->isHilited());
    EXPECT_FALSE(p->isHilited());
}

TEST_F(Interaction, ALabelledSeriesReportsThePointFound) {
    auto s = std::make_shared<CGraphStringPointCurve>();
    s->addPoint("Vesuvius", 30, 40);
    s->addPoint("Etna", 120, 90);
    s->setSelector(1);
    view->addGraphObject(s);
    renderObjects();
    click({121, 91});
    EXPECT_EQ(view->selectedObject(), s);
    EXPECT_EQ(box.messages.back(), "Etna : P = 120.00, wt = 90.000");
    EXPECT_FLOAT_EQ(postedX, 120);
    EXPECT_EQ(selections, 1);
}

TEST_F(Interaction, ContextMenusFollowTheObjectUnderTheClick) {
    auto c = std::make_shared<CGraphCurve>();
    c->addPoint(0, 100, false);
    c->addPoint(200, 100, false);
    auto p = CGraphPoint::newGraphPoint(50, 50);
    p->setSelector(3);
    auto series = std::make_shared<CGraphPointCurve>();
    series->addPoint(150, 150, 0);
    series->setSelector(3);
    auto labelled = CGraphStringPoint::newGraphStringPoint(150, 30);
    labelled->setSelector(3);
    for (auto o : std::vector<std::shared_ptr<CGraphObject>>{c, p, series, labelled}) view->addGraphObject(o);
    view->includesIntoLegend(c);
    view->setLegendPosition(10, 170);
    renderObjects();

    auto titles = [](const PlotMenu* m) {
        std::vector<std::string> t;
        for (const auto& i : m->items) t.push_back(i.separator ? "-" : i.title);
        return t;
    };
    const PlotMenu* m = view->menuForEvent({100, 30});
    ASSERT_EQ(m, &CPlotView::mPlotMenu());
    EXPECT_EQ(m->title, "Plot");
    EXPECT_EQ(titles(m), (std::vector<std::string>{"Zoom in", "Zoom out", "Set Axis ranges...",
                                                    "Axis ranges by default...", "Axis label font...",
                                                    "Axis graduation font...", "Logarithmic X axis",
                                                    "Logarithmic Y axis", "-", "Save as PDF...", "-",
                                                    "Open in a new window..."}));
    EXPECT_EQ(view->selectedPointX(), 100.0f);  // the right click moved the point
    EXPECT_EQ(selections, 0);                   // but told nobody

    m = view->menuForEvent({100, 100});
    ASSERT_EQ(m, &CPlotView::mCurvesMenu());
    EXPECT_EQ(titles(m), (std::vector<std::string>{"Normal thickness", "Double thickness", "Triple thickness", "-",
                                                    "Color...", "-", "Settings panel...", "-",
                                                    "Save to ASCII data file...", "Save to Igor data file..."}));
    EXPECT_FALSE(view->validateMenuItem(PlotAction::NormalThickness).enabled);  // factor 1.0
    EXPECT_TRUE(view->validateMenuItem(PlotAction::DoubleThickness).enabled);
    view->performAction(PlotAction::TripleThickness);
    EXPECT_EQ(c->getToolSizeFactor(), 3.0f);
    EXPECT_EQ(c->size(), 3.0f);
    EXPECT_FALSE(view->validateMenuItem(PlotAction::TripleThickness).enabled);
    EXPECT_TRUE(view->validateMenuItem(PlotAction::NormalThickness).enabled);

    EXPECT_EQ(view->menuForEvent({50, 50}), &CPlotView::mPointsMenu());
    EXPECT_EQ(titles(&CPlotView::mPointsMenu()),
              (std::vector<std::string>{"Increase size", "Decrease size", "-", "Color...", "-", "Settings panel..."}));
    EXPECT_EQ(view->menuForEvent({150, 150}), &CPlotView::mPointsMenu());
    EXPECT_EQ(view->menuForEvent({150, 30}), nullptr);  // a labelled point: none
    // The legend offers its font.
    const PlotRect lb = view->mLegend()->getBounds();
    m = view->menuForEvent({lb.x + 2, lb.y + 2});
    ASSERT_EQ(m, &CPlotView::mFontsMenu());
    EXPECT_EQ(titles(m), (std::vector<std::string>{"Font"}));

    // Checks and titles of the switches.
    EXPECT_TRUE(view->validateMenuItem(PlotAction::ToggleShowLogX).checkable);
    EXPECT_FALSE(view->validateMenuItem(PlotAction::ToggleShowLogX).checked);
    view->performAction(PlotAction::ToggleShowLogX);
    EXPECT_TRUE(view->validateMenuItem(PlotAction::ToggleShowLogX).checked);
    EXPECT_FALSE(view->validateMenuItem(PlotAction::ToggleShowLogY).checked);
    EXPECT_EQ(view->validateMenuItem(PlotAction::ShowGrid).title, "Show Grid");
    view->onShowGrid();
    EXPECT_EQ(view->validateMenuItem(PlotAction::ShowGrid).title, "Hide Grid");
    EXPECT_TRUE(box.grid);
}

TEST_F(Interaction, ALegendDragIsOneUndoStep) {
    auto c = std::make_shared<CGraphCurve>();
    c->addPoint(0, 10, false);
    c->addPoint(200, 10, false);
    c->setName("solubility");
    view->addGraphObject(c);
    view->includesIntoLegend(c);
    view->setLegendPosition(20, 150);
    renderObjects();
    const PlotRect lb = view->mLegend()->getBounds();
    ASSERT_GT(lb.width, 0.0f);

    view->mouseDown({lb.x + 5, lb.y + 3}, 0, 1);
    EXPECT_EQ(view->selectedObject(), view->mLegend());
    EXPECT_TRUE(view->mLegend()->isHilited());
    view->mouseDragged({lb.x + 25, lb.y - 7});
    view->mouseDragged({lb.x + 45, lb.y - 17});
    view->mouseUp({lb.x + 65, lb.y - 27});
    float x, y;
    view->mLegend()->getPosition(&x, &y);
    EXPECT_FLOAT_EQ(x, 80);
    EXPECT_FLOAT_EQ(y, 120);
    EXPECT_FALSE(view->mLegend()->isHilited());
    EXPECT_EQ(selections, 0);
    ASSERT_EQ(view->undoManager().undoCount(), 1u);
    EXPECT_EQ(view->undoManager().undoActionName(), "Move Of Legend");
    view->undoManager().undo();
    view->mLegend()->getPosition(&x, &y);
    EXPECT_FLOAT_EQ(x, 20);
    EXPECT_FLOAT_EQ(y, 150);
    view->undoManager().redo();
    view->mLegend()->getPosition(&x, &y);
    EXPECT_FLOAT_EQ(x, 80);
    EXPECT_FLOAT_EQ(y, 120);
    // Shifts are taken off the position, and undone exactly.
    view->doChangeLegendPosition(50, 60, 5, 10);
    view->mLegend()->getPosition(&x, &y);
    EXPECT_FLOAT_EQ(x, 45);
    EXPECT_FLOAT_EQ(y, 50);
    view->undoManager().undo();
    view->mLegend()->getPosition(&x, &y);
    EXPECT_FLOAT_EQ(x, 80);
    EXPECT_FLOAT_EQ(y, 120);
    // A click on the legend without moving leaves no step.
    renderObjects();
    const PlotRect nb = view->mLegend()->getBounds();
    const size_t steps = view->undoManager().undoCount();
    click({nb.x + 1, nb.y + 1});
    EXPECT_EQ(view->undoManager().undoCount(), steps);
}

TEST_F(Interaction, EditsAreUndoneUnderTheirNames) {
    auto c = std::make_shared<CGraphCurve>();
    auto p = CGraphPoint::newGraphPoint(50, 50);
    view->addGraphObject(c);
    view->addGraphObject(p);
    PlotUndoManager& undo = view->undoManager();

    int changed = 0;
    auto t = platform::NotificationCenter::defaultCenter().addObserver(
        CPlotView::kAxisPlotChanged, view.get(), [&](const std::string&, const void*) { ++changed; });
    view->doChangeAxisRanges(10, 20, 30, 40);
    EXPECT_EQ(undo.undoActionName(), "Changes Of Axis Ranges");
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(panels.axisChanged, 1);
    view->onMaximumAxisRanges();
    float x0, x1, y0, y1;
    view->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, -100.0f);
    EXPECT_EQ(y1, 300.0f);
    undo.undo();
    undo.undo();
    view->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, 0.0f);
    EXPECT_EQ(x1, 200.0f);
    platform::NotificationCenter::defaultCenter().removeObserver(t);

    view->doChangeToolSizeFactor(2.5f, c);
    EXPECT_EQ(undo.undoActionName(), "Change Of Line Thickness");
    undo.undo();
    EXPECT_EQ(c->getToolSizeFactor(), 1.0f);

    view->setSelectedObject(p);
    view->onIncreasePointSize();
    EXPECT_EQ(p->getToolSizeFactor(), 4.0f);
    EXPECT_EQ(undo.undoActionName(), "Increase Of Marker Size");
    view->onDecreasePointSize();
    view->onDecreasePointSize();
    EXPECT_EQ(p->getToolSizeFactor(), 2.0f);
    EXPECT_EQ(undo.undoActionName(), "Decrease Of Marker Size");
    undo.undo();
    undo.undo();
    undo.undo();
    EXPECT_EQ(p->getToolSizeFactor(), 3.0f);

    const FontDescription titles = view->getLabelsAttributes();
    const FontDescription big{"DejaVu Serif", 18, true, false};
    view->doChangeFont(big, 1);
    EXPECT_EQ(undo.undoActionName(), "Changes Of Labels Font");
    EXPECT_EQ(view->mXLabel().font, big);
    EXPECT_EQ(view->mYLabel().font, big);
    view->doChangeFont(big, 2);
    EXPECT_EQ(undo.undoActionName(), "Changes of Ticks Font");
    EXPECT_EQ(view->getTicksAttributes(), big);
    view->doChangeFont(big, 3);
    EXPECT_EQ(undo.undoActionName(), "Changes of Legends Font");
    view->doChangeFont(big, 7);  // any other code edits the titles' set without restyling them
    EXPECT_EQ(undo.undoActionName(), "Changes Of Labels Font");
    for (int k = 0; k < 4; ++k) undo.undo();
    EXPECT_EQ(view->getLabelsAttributes(), titles);
    EXPECT_EQ(view->mXLabel().font, titles);
    EXPECT_EQ(view->getTicksAttributes(), FontDescription::labelFont());
    EXPECT_EQ(view->getLegendsAttributes(), FontDescription::labelFont());

    // Colour and the switches are not undoable.
    const size_t steps = undo.undoCount();
    view->onToggleShowLogY();
    view->onShowGrid();
    view->setSelectedObject(c);
    view->onGraphObjectColor();
    view->changeColor(Color::redColor());
    EXPECT_EQ(c->color(), Color::redColor());
    EXPECT_EQ(undo.undoCount(), steps);
}

TEST_F(Interaction, ColourAndFontPanelsFollowTheSelection) {
    auto c = std::make_shared<CGraphCurve>();
    c->addPoint(0, 100, false);
    c->addPoint(200, 100, false);
    c->setColor(Color::blueColor());
    view->addGraphObject(c);
    view->changeColor(Color::redColor());  // nothing selected: nothing changes
    click({100, 100});
    view->changeColor(Color::redColor());  // panel not shown: nothing changes
    EXPECT_EQ(c->color(), Color::blueColor());
    view->onGraphObjectColor();
    EXPECT_EQ(panels.panelColor, Color::blueColor());
    view->changeColor(Color::redColor());
    EXPECT_EQ(c->color(), Color::redColor());
    panels.panelColor = Color::blackColor();
    click({100, 100});  // a click on the curve shows its colour in the panel
    EXPECT_EQ(panels.panelColor, Color::redColor());

    view->onGraduationFontSettings();
    EXPECT_EQ(view->mEditedFont(), 2);
    EXPECT_EQ(panels.panelFont, FontDescription::labelFont());
    view->changeFont({"DejaVu Sans Mono", 9, false, true});
    EXPECT_EQ(view->getTicksAttributes().family, "DejaVu Sans Mono");
    view->onLabelFontSettings();
    EXPECT_EQ(view->mEditedFont(), 1);
    EXPECT_EQ(panels.panelFont, FontDescription::systemFont());
    view->onGraphObjectFont();
    EXPECT_EQ(view->mEditedFont(), 3);
    EXPECT_EQ(panels.fontShown, 3);
}

TEST_F(Interaction, SavingAsPdfNamesThePlotAndReportsAFailedWrite) {
    FakeChooser chooser;
    setFileChooser(&chooser);
    EXPECT_FALSE(view->onPrintPlot());  // cancelled
    EXPECT_EQ(view->plotName(), "plot");
    chooser.answer = "/tmp/somewhere/plot.pdf";
    EXPECT_TRUE(view->onPrintPlot());
    EXPECT_EQ(chooser.offered, (std::vector<std::string>{"plot.pdf", "plot.pdf"}));
    ASSERT_EQ(panels.pdfPaths.size(), 1u);
    EXPECT_TRUE(panels.errors.empty());
    panels.pdfResult = false;
    EXPECT_FALSE(view->onPrintPlot());
    ASSERT_EQ(panels.errors.size(), 1u);
    EXPECT_EQ(panels.errors[0], "Save as PDF: Cannot write the file");

    // A curve export that cannot open its file says so.
    auto c = std::make_shared<CGraphCurve>();
    c->addPoint(0, 100, false);
    c->addPoint(200, 100, false);
    view->addGraphObject(c);
    click({100, 100});
    chooser.answer = "/no/such/folder/data.txt";
    view->performAction(PlotAction::ExportCurveData);
    ASSERT_EQ(panels.errors.size(), 2u);
    EXPECT_NE(panels.errors[1].find("Save to ASCII data file"), std::string::npos);
    setFileChooser(nullptr);

    view->performAction(PlotAction::OpenNewPlotWindow);
    view->performAction(PlotAction::ShowAxisRangePanel);
    EXPECT_EQ(panels.windows, 1);
    EXPECT_EQ(panels.axisShown, 1);
}

TEST_F(Interaction, ACopyIsIndependentOfItsOriginal) {
    view->setTicksNumber(6, 11);
    view->setShowLogY(true);
    view->onShowGrid();
    view->setBackColor(Color::whiteColor());
    view->setPlotName("solubility");
    auto c = std::make_shared<CGraphCurve>();
    c->addPoint(0, 1, false);
    c->addPoint(200, 100, false);
    c->setColor(Color::blueColor());
    c->setName("H2O");
    auto p = CGraphPoint::newGraphPoint(50, 50);
    view->addGraphObject(c);
    view->addGraphObject(p);
    view->includesIntoLegend(c);
    view->setLegendPosition(10, 150);
    view->setXYRange(20, 120, 1, 100);  // zoomed

    std::unique_ptr<CPlotView> copy = view->copy();
    EXPECT_EQ(copy->bounds().width, view->bounds().width);  // the original's bounds as its frame
    EXPECT_EQ(copy->bounds().height, view->bounds().height);
    EXPECT_EQ(copy->mNbXTicks(), 6);
    EXPECT_EQ(copy->mNbYTicks(), 11);
    EXPECT_EQ(copy->mXTicksDigits(), 1);
    EXPECT_EQ(copy->mYLabel().text, "wt");
    EXPECT_TRUE(copy->showLogY());
    EXPECT_FALSE(copy->drawsGrid());  // not copied: grid, colours, name, selection
    EXPECT_EQ(copy->backColor(), (Color{1.0f, 1.0f, 0.7f, 1.0f}));
    EXPECT_TRUE(copy->plotName().empty());
    float x0, x1, y0, y1;
    copy->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, 20.0f);
    EXPECT_EQ(y1, 100.0f);
    copy->getDefaultXYRange(&x0, &x1, &y0, &y1);  // its reset returns to the zoomed ranges
    EXPECT_EQ(x0, 20.0f);
    EXPECT_EQ(x1, 120.0f);
    copy->getMaxXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, -100.0f);

    ASSERT_EQ(copy->graphObjects().size(), 2u);
    auto cc = copy->graphObjects()[0];
    EXPECT_NE(cc, c);
    EXPECT_EQ(cc->getPlotView(), copy.get());
    cc->setColor(Color::redColor());
    EXPECT_EQ(c->color(), Color::blueColor());
    // Its legend names its own objects, and stays whole when the original is emptied.
    EXPECT_EQ(copy->mLegend()->getPlotView(), copy.get());
    EXPECT_FALSE(copy->mLegend()->isHidden());
    view->purge();
    c.reset();
    p.reset();
    auto refs = copy->mLegend()->mRefObjectList();
    ASSERT_EQ(refs.size(), 1u);
    EXPECT_EQ(refs[0], cc);
    view.reset();  // the copy outlives its original
    EXPECT_EQ(*cc->name(), "H2O");
}

TEST(AxisRangePanelSteps, DigitsAndIncrementsFollowTheSpan) {
    struct Row {
        float span;
        bool sets;
        int digits;
        float increment;
    };
    const Row xRows[] = {{5000, true, 0, 50},     {1000, true, 0, 20},      {501, true, 0, 20},
                         {300, true, 0, 10},      {150, true, 0, 5},        {100, true, 1, 1},
                         {11, true, 1, 1},        {2, true, 1, 0.1f},       {0.5f, true, 2, 0.01f},
                         {0.05f, true, 3, 0.001f}, {0.005f, true, 4, 0.0001f}, {0.0005f, false, 0, 0.0005f},
                         {-150, false, 0, -150}};
    for (const Row& r : xRows) {
        AxisRangeStep s = xAxisRangeStep(r.span);
        EXPECT_EQ(s.setsDigits, r.sets) << r.span;
        if (r.sets) {
            EXPECT_EQ(s.digits, r.digits) << r.span;
        }
        EXPECT_FLOAT_EQ(s.increment, r.increment) << r.span;
    }
    // The y axis mirrors the table for reversed limits.
    const Row yRows[] = {{150, true, 0, 5},        {-150, true, 0, -5},        {-1000, true, 0, -20},
                         {-1001, true, 0, -50},    {-2, true, 1, -0.1f},       {-0.002f, true, 4, -0.0001f},
                         {-0.0009f, false, 0, -0.0009f}, {0, false, 0, 0}};
    for (const Row& r : yRows) {
        AxisRangeStep s = yAxisRangeStep(r.span);
        EXPECT_EQ(s.setsDigits, r.sets) << r.span;
        if (r.sets) {
            EXPECT_EQ(s.digits, r.digits) << r.span;
        }
        EXPECT_FLOAT_EQ(s.increment, r.increment) << r.span;
    }
}

}  // namespace
