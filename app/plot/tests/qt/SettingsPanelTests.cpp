#include <gtest/gtest.h>

#include <QComboBox>
#include <QToolButton>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <functional>

#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CPlotView.h"
#include "app/plot/qt/CAxisRangeWindow.h"
#include "app/plot/qt/CCurveSettingsWindow.h"
#include "app/plot/qt/CDrawPlotView.h"
#include "app/plot/qt/CPlotWidget.h"
#include "app/plot/qt/CPointSettingsWindow.h"
#include "app/plot/qt/ColorWell.h"
#include "app/plot/tests/qt/ModalRun.h"
#include "app/plot/tests/qt/QtTestApp.h"

namespace {

struct Plot {
    CDrawPlotView box;
    explicit Plot(QWidget* parent = nullptr) : box(parent) {
        box.resize(500, 320);
        box.setPlotView();
        box.installButtons();
    }
    CPlotView& view() { return *box.plotView(); }
};

TEST(CurvePanel, OkKeepsTheChangesCancelAndTheCloseButtonPutThemBack) {
    qtTestApp();
    Plot plot;
    CPlotView& v = plot.view();
    auto curve = v.plotFromArray({0, 0, 1, 1}, 2, 0, 1);
    curve->setColor(Color::blueColor());
    curve->setToolSizeFactor(1.5f);
    v.setSelectedObject(curve);
    CCurveSettingsWindow* panel = CCurveSettingsWindow::sharedCurvesSettingsCtroller();
    EXPECT_EQ(panel, CCurveSettingsWindow::sharedCurvesSettingsCtroller());
    panel->thicknessMenu()->setCurrentIndex(2);

    runModally([&] { v.onCurvesSettingsPanel(); },
               [&] {
                   EXPECT_TRUE(panel->isVisible());
                   EXPECT_TRUE(panel->isModal());
                   EXPECT_EQ(panel->graphCurve(), curve);
                   EXPECT_EQ(panel->thicknessMenu()->currentIndex(), 2);  // factor 1.5: left as it was
                   EXPECT_EQ(panel->foreColorWell()->color(), Color::blueColor());
                   panel->thicknessMenu()->setCurrentIndex(1);
                   emit panel->thicknessMenu()->activated(1);
                   EXPECT_EQ(curve->getToolSizeFactor(), 2.0f);  // at once
                   panel->foreColorWell()->setColor(Color::redColor());
                   panel->foreColorWell()->colorChosen();
                   EXPECT_EQ(curve->color(), Color::redColor());
                   QTest::mouseClick(panel->okButton(), Qt::LeftButton);
               });
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(curve->getToolSizeFactor(), 2.0f);
    EXPECT_EQ(curve->color(), Color::redColor());
    EXPECT_FALSE(panel->graphCurve());  // not kept after the session

    runModally([&] { v.onCurvesSettingsPanel(); },
               [&] {
                   EXPECT_EQ(panel->thicknessMenu()->currentIndex(), 1);
                   emit panel->thicknessMenu()->activated(2);
                   panel->foreColorWell()->setColor(Color::whiteColor());
                   panel->onChangeColor();
                   EXPECT_EQ(curve->getToolSizeFactor(), 3.0f);
                   QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
               });
    EXPECT_EQ(curve->getToolSizeFactor(), 2.0f);
    EXPECT_EQ(curve->color(), Color::redColor());

    // The window's close button ends the run as Cancel does.
    runModally([&] { v.onCurvesSettingsPanel(); },
               [&] {
                   emit panel->thicknessMenu()->activated(0);
                   EXPECT_EQ(curve->getToolSizeFactor(), 1.0f);
                   panel->close();
               });
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(curve->getToolSizeFactor(), 2.0f);

    // A curve without a colour gets none back.
    auto plain = v.plotFromArray({0, 1, 1, 0}, 2, 0, 1);
    v.setSelectedObject(plain);
    runModally([&] { v.onCurvesSettingsPanel(); },
               [&] {
                   panel->foreColorWell()->setColor(Color::redColor());
                   panel->onChangeColor();
                   QTest::keyClick(panel, Qt::Key_Escape);
               });
    EXPECT_FALSE(plain->color().has_value());
}

TEST(PointPanel, MarkerSizeAndColourRoundTrip) {
    qtTestApp();
    Plot plot;
    CPlotView& v = plot.view();
    auto point = v.plotPoint(0.5, 0.5, 1, Color::blueColor());
    point->setToolSizeFactor(3);
    v.setSelectedObject(point);
    CPointSettingsWindow* panel = CPointSettingsWindow::sharedPointsSettingsCtroller();

    runModally([&] { v.onPointsSettingsPanel(); },
               [&] {
                   EXPECT_EQ(panel->markerTypeMenu()->currentIndex(), 0);  // marker type 1
                   EXPECT_EQ(panel->markerTypeMenu()->count(), 12);
                   EXPECT_EQ(panel->sizeMenu()->count(), 10);
                   EXPECT_EQ(panel->sizeMenu()->currentIndex(), 2);
                   panel->markerTypeMenu()->setCurrentIndex(4);
                   emit panel->markerTypeMenu()->activated(4);
                   EXPECT_EQ(point->selector(), 5);
                   panel->sizeMenu()->setCurrentIndex(9);
                   emit panel->sizeMenu()->activated(9);
                   EXPECT_EQ(point->getToolSizeFactor(), 10.0f);
                   panel->sizeMenu()->setCurrentIndex(0);
                   emit panel->sizeMenu()->activated(0);
                   EXPECT_EQ(point->getToolSizeFactor(), 1.0f);
                   panel->foreColorWell()->setColor(Color::redColor());
                   panel->onChangeColor();
                   panel->markerTypeMenu()->setCurrentIndex(11);
                   emit panel->markerTypeMenu()->activated(11);
                   QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
               });
    // Cancel after several changes: everything as it was when the panel opened.
    EXPECT_EQ(point->selector(), 1);
    EXPECT_EQ(point->getToolSizeFactor(), 3.0f);
    EXPECT_EQ(point->color(), Color::blueColor());

    runModally([&] { v.onPointsSettingsPanel(); },
               [&] {
                   emit panel->markerTypeMenu()->activated(6);
                   emit panel->sizeMenu()->activated(5);
                   QTest::mouseClick(panel->okButton(), Qt::LeftButton);
               });
    EXPECT_EQ(point->selector(), 7);
    EXPECT_EQ(point->getToolSizeFactor(), 6.0f);

    // A double click on the point opens the panel; closing it restores.
    CPlotWidget* w = plot.box.plotWidget();
    plot.box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plot.box));
    w->repaint();
    const QPoint at(int(v.getXValue(0.5f)), int(w->height() - v.getYValue(0.5f)));
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_EQ(v.selectedObject(), point);
    runModally([&] { QTest::mouseDClick(w, Qt::LeftButton, Qt::NoModifier, at); },
               [&] {
                   EXPECT_TRUE(panel->isVisible());
                   EXPECT_EQ(panel->graphObject(), point);
                   emit panel->sizeMenu()->activated(1);
                   panel->close();
               });
    EXPECT_EQ(point->getToolSizeFactor(), 6.0f);
}

using Range = std::vector<float>;

// The shared axis panel open on a plot, with the undo stack of its document.
struct AxisPanelSession {
    QUndoStack& stack;
    CPlotView& v;
    CAxisRangeWindow* panel;

    Range range() const {
        float a, b, c, d;
        v.getXYRange(&a, &b, &c, &d);
        return Range{a, b, c, d};
    }
    static void enter(QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void expectStepsAndDigitsFollowTheSpans();
    void expectEachChangeUndoable();
    void expectDefaultMaximumAndCancel();
    void expectStepsOfReversedAndSmallRanges();
    void expectBadLimitsRefused();
};

// The steps follow the spans: 2600 steps by 50, 7 by 0.1.  Opening the
// panel leaves the plot's tick labels alone; the digits follow the spans
// once the ranges change (0 for 2600, 1 for 7).
void AxisPanelSession::expectStepsAndDigitsFollowTheSpans() {
    EXPECT_EQ(v.mXTicksDigits(), 3);
    EXPECT_EQ(v.mYTicksDigits(), 3);
    EXPECT_DOUBLE_EQ(panel->stepXmax()->increment(), 50.0);
    EXPECT_FLOAT_EQ(float(panel->stepYmin()->increment()), 0.1f);
    v.doChangeAxisRanges(0, 2600, 0, 7.5f);
    EXPECT_EQ(v.mXTicksDigits(), 0);
    EXPECT_EQ(v.mYTicksDigits(), 1);
    stack.undo();
}

// Every change of the limits from the panel is one undoable change of the
// axis ranges, undone and redone under its name, the panel following.
void AxisPanelSession::expectEachChangeUndoable() {
    // A step, at once.
    QTest::mouseClick(panel->stepXmax()->downButton(), Qt::LeftButton);
    EXPECT_EQ(range(), (Range{0, 2550, 0, 7}));
    EXPECT_EQ(panel->xMaxField()->text(), "2550");
    EXPECT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.undoText(), "Changes Of Axis Ranges");
    // A limit typed and entered; the same limit entered again changes nothing
    // and leaves nothing to undo.
    enter(panel->yMinField(), "-0.5");
    EXPECT_EQ(range(), (Range{0, 2550, -0.5f, 7}));
    EXPECT_EQ(stack.count(), 2);
    EXPECT_EQ(stack.undoText(), "Changes Of Axis Ranges");
    enter(panel->yMinField(), "-0.50");
    panel->onChangeCoordinates();
    EXPECT_EQ(stack.count(), 2);
    // A limit typed and confirmed with OK, which closes the panel.
    panel->xMinField()->setText("100");
    QTest::mouseClick(panel->okButton(), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(range(), (Range{100, 2550, -0.5f, 7}));
    EXPECT_EQ(stack.count(), 3);
    // Undo, last first; redo.
    stack.undo();
    EXPECT_EQ(range(), (Range{0, 2550, -0.5f, 7}));
    stack.undo();
    EXPECT_EQ(range(), (Range{0, 2550, 0, 7}));
    EXPECT_EQ(stack.redoText(), "Changes Of Axis Ranges");
    stack.undo();
    EXPECT_EQ(range(), (Range{0, 2600, 0, 7}));
    EXPECT_FALSE(stack.canUndo());
    stack.redo();
    stack.redo();
    EXPECT_EQ(range(), (Range{0, 2550, -0.5f, 7}));
    panel->showWindow();
    panel->setCurrentPlotView(&v);  // captures (0, 2550, -0.5, 7) for Cancel
    EXPECT_EQ(panel->yMinField()->text(), "-0.5");
    stack.undo();
    EXPECT_EQ(panel->yMinField()->text(), "0");  // the open panel follows
    stack.redo();
}

// Default and maximum, as before.
void AxisPanelSession::expectDefaultMaximumAndCancel() {
    QTest::mouseClick(panel->useDefaultButton(), Qt::LeftButton);
    EXPECT_EQ(range(), (Range{0, 2600, 0, 7}));
    EXPECT_EQ(stack.count(), 3);
    QTest::mouseClick(panel->useMaxButton(), Qt::LeftButton);
    EXPECT_EQ(range(), (Range{0, 5000, 0, 10}));
    EXPECT_EQ(panel->xMaxField()->text(), "5000");
    EXPECT_EQ(stack.count(), 4);
    // Cancel goes back to the limits captured when the panel got the plot,
    // and that too is a change Undo takes back.
    QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(range(), (Range{0, 2550, -0.5f, 7}));
    EXPECT_EQ(stack.count(), 5);
    stack.undo();
    EXPECT_EQ(range(), (Range{0, 5000, 0, 10}));
    stack.redo();
    // Cancel with nothing changed leaves nothing to undo.
    panel->showWindow();
    panel->setCurrentPlotView(&v);
    QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(stack.count(), 5);
}

// Reversed limits: y mirrored, x keeps its digits.
void AxisPanelSession::expectStepsOfReversedAndSmallRanges() {
    panel->showWindow();
    panel->setCurrentPlotView(&v);
    v.setXYRange(150, 0, 200, 50);  // dx = -150, dy = -150
    EXPECT_EQ(v.mYTicksDigits(), 0);
    EXPECT_FLOAT_EQ(float(panel->stepYmax()->increment()), -5.0f);
    EXPECT_FLOAT_EQ(float(panel->stepXmax()->increment()), -150.0f);
    EXPECT_EQ(v.mXTicksDigits(), 0);  // unchanged since the panel opened
    v.setXYRange(0, 1000, 0, 0.0005f);
    EXPECT_FLOAT_EQ(float(panel->stepYmax()->increment()), 0.0005f);
    EXPECT_EQ(v.mXTicksDigits(), 0);  // 1000 takes the row above 500
    EXPECT_DOUBLE_EQ(panel->stepXmax()->increment(), 20.0);
}

// A limit that is not a number is named and changes nothing.
void AxisPanelSession::expectBadLimitsRefused() {
    float x0;
    panel->xMinField()->setText("12,5x");
    panel->onOKButton();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->messageLine()->text().contains("X min")) << panel->messageLine()->text().toStdString();
    v.getXYRange(&x0, nullptr, nullptr, nullptr);
    EXPECT_EQ(x0, 0.0f);
    panel->xMinField()->setText("100");
    panel->onOKButton();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(panel->messageLine()->text().isEmpty());
    v.getXYRange(&x0, nullptr, nullptr, nullptr);
    EXPECT_EQ(x0, 100.0f);

    // A minimum above the maximum is refused with the reason, the plot untouched.
    panel->showWindow();
    Range before = range();
    const int edits = stack.count();
    panel->yMinField()->setText("3500");
    panel->yMaxField()->setText("2600");
    panel->onOKButton();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->messageLine()->text(),
              "Y min (3500) lies above Y max (2600): an axis runs from its minimum up to its maximum.");
    EXPECT_EQ(range(), before);
    EXPECT_EQ(stack.count(), edits);
    // ... and by a stepper that would carry the minimum past the maximum.
    panel->yMinField()->setText("0");
    panel->yMaxField()->setText("1");
    panel->onOKButton();
    panel->showWindow();
    before = range();
    panel->stepXmin()->setValue(before[1] + 1);
    panel->onStepXmin();
    EXPECT_TRUE(panel->messageLine()->text().startsWith("X min")) << panel->messageLine()->text().toStdString();
    EXPECT_EQ(range(), before);
    panel->hide();
}

TEST(AxisPanel, FollowsThePlotItWasGivenAndRestoresOnCancel) {
    qtTestApp();
    QUndoStack stack;
    Plot plot;
    plot.box.setUndoStack(&stack);
    CPlotView& v = plot.view();
    v.setMaxXYRange(0, 5000, 0, 10);
    v.setDefaultXYRange(0, 2600, 0, 7);
    v.setTicksDigits(3, 3);
    plot.box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plot.box));

    QTest::mouseClick(plot.box.axisButton(), Qt::LeftButton);
    CAxisRangeWindow* panel = CAxisRangeWindow::existingShared();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->currentPlotView(), &v);
    EXPECT_EQ(panel->xMaxField()->text(), "2600");
    EXPECT_EQ(panel->yMaxField()->text(), "7");

    AxisPanelSession session{stack, v, panel};
    session.expectStepsAndDigitsFollowTheSpans();
    session.expectEachChangeUndoable();
    session.expectDefaultMaximumAndCancel();
    session.expectStepsOfReversedAndSmallRanges();
    session.expectBadLimitsRefused();
}

TEST(AxisPanel, AttachesThePlotOfTheMainWindow) {
    qtTestApp();
    CAxisRangeWindow* panel = CAxisRangeWindow::sharedAxisRangeWindowCtroller();
    panel->showWindow();

    // A document-like window with two plots, with room on its right.
    QWidget document;
    document.setGeometry(20, 20, 300, 400);
    Plot first(&document), second(&document);
    second.box.move(0, 330);
    first.view().setDefaultXYRange(0, 10, 0, 1);
    second.view().setDefaultXYRange(0, 2600, 0, 7);
    document.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&document));
    panel->mainWindowChanged(&document);
    EXPECT_EQ(panel->currentPlotView(), &first.view());  // none clicked yet: the first
    EXPECT_TRUE(panel->okButton()->isEnabled());
    // Beside the main window, 10 points to its right, its top at the plot's.
    const QRect main = document.frameGeometry(), beside = panel->frameGeometry();
    EXPECT_EQ(beside.x(), main.x() + main.width() + 10);
    EXPECT_EQ(beside.y(), first.box.plotWidget()->mapToGlobal(QPoint(0, 0)).y());
    // No room on the right: 10 points to the left; no room on either side: over
    // the main window, but always wholly on the screen.
    const QRect area = document.screen()->availableGeometry();
    document.move(area.x() + area.width() - document.frameGeometry().width(), area.y() + 20);
    panel->mainWindowChanged(&document);
    EXPECT_EQ(panel->frameGeometry().x() + panel->frameGeometry().width(), document.frameGeometry().x() - 10);
    document.setGeometry(area.x(), area.y(), area.width(), 400);
    panel->mainWindowChanged(&document);
    EXPECT_TRUE(area.contains(panel->frameGeometry())) << panel->frameGeometry().x();
    document.setGeometry(20, 20, 300, 400);

    QTest::mouseClick(second.box.plotWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
    panel->mainWindowResigned();
    EXPECT_EQ(panel->currentPlotView(), nullptr);
    EXPECT_FALSE(panel->xMinField()->isEnabled());
    panel->mainWindowChanged(&document);
    EXPECT_EQ(panel->currentPlotView(), &second.view());
    EXPECT_EQ(panel->xMaxField()->text(), "2600");

    // A main window without plots leaves the panel with every control disabled.
    QWidget log;
    log.show();
    panel->mainWindowResigned();
    panel->mainWindowChanged(&log);
    EXPECT_EQ(panel->currentPlotView(), nullptr);
    for (QWidget* c : std::initializer_list<QWidget*>{panel->xMinField(), panel->xMaxField(), panel->yMinField(),
                                                      panel->yMaxField(), panel->stepXmin(), panel->stepXmax(),
                                                      panel->stepYmin(), panel->stepYmax(), panel->useDefaultButton(),
                                                      panel->useMaxButton(), panel->okButton(), panel->cancelButton()})
        EXPECT_FALSE(c->isEnabled());
    panel->onCancelButton();  // nothing attached: only hides

    // A plot that goes away leaves the panel detached, not dangling.
    panel->showWindow();
    {
        Plot gone;
        panel->setCurrentPlotView(&gone.view());
        EXPECT_TRUE(panel->okButton()->isEnabled());
    }
    EXPECT_EQ(panel->currentPlotView(), nullptr);
    EXPECT_FALSE(panel->okButton()->isEnabled());
    panel->hide();
}

}  // namespace
