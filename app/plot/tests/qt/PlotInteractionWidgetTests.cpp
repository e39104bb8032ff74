#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFontDialog>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CPlotView.h"
#include "app/plot/FileChooser.h"
#include "app/plot/qt/CDrawPlotView.h"
#include "app/plot/qt/CPlotWidget.h"
#include "app/plot/qt/CPlotWindow.h"
#include "app/plot/qt/PlotPanels.h"
#include "app/plot/qt/PlotRendering.h"
#include "app/plot/tests/qt/QtTestApp.h"
#include "platform/NotificationCenter.h"

namespace {

// A plot in its container with its control row, shown and drawn once (the
// mouse uses the mapping of the last drawing).
struct WithApp {
    WithApp() { qtTestApp(); }
};
struct ShownPlot : WithApp {
    CDrawPlotView box;
    ShownPlot(int w = 500, int h = 320) {
        box.resize(w, h);
        box.setPlotView();
        box.installButtons();
        box.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
    }
    CPlotWidget* widget() { return box.plotWidget(); }
    CPlotView& view() { return *box.plotView(); }
    void draw() { widget()->repaint(); }
    // The widget position of a point in data units.
    QPoint at(float x, float y) {
        return QPoint(static_cast<int>(std::lround(view().getXValue(x))),
                      static_cast<int>(std::lround(widget()->height() - view().getYValue(y))));
    }
};

// Counts "PlotSelection" from one view and keeps the view's state as posted.
struct SelectionWatch {
    CPlotView& view;
    int count = 0;
    float x = -1, y = -1;
    bool shift = false;
    platform::NotificationCenter::Token token;
    explicit SelectionWatch(CPlotView& v) : view(v) {
        token = platform::NotificationCenter::defaultCenter().addObserver(
            CPlotView::kPlotSelection, &view, [this](const std::string&, const void*) {
                ++count;
                x = view.selectedPointX();
                y = view.selectedPointY();
                shift = view.selectionKeyShift();
            });
    }
    ~SelectionWatch() { platform::NotificationCenter::defaultCenter().removeObserver(token); }
};

struct PathChooser : FileChooser {
    std::optional<std::string> answer;
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override { return answer; }
};

void setUpSolubilityPlot(CPlotView& v) {
    v.setMaxXYRange(0, 4000, 0, 10);
    v.setDefaultXYRange(0, 2600, 0, 7);
    v.setTicksNumber(11, 8);
    v.setTicksDigits(0, 1);
    v.setLabels("P (bar)", "H2O (wt %)");
}

TEST(PlotMouse, AClickTellsTheDocumentOnceWithThePointAndTheShiftKey) {
    ShownPlot plot;
    CPlotView& v = plot.view();
    setUpSolubilityPlot(v);
    plot.draw();
    SelectionWatch watch(v);

    const QPoint p = plot.at(1200, 3.5f);
    QTest::mouseClick(plot.widget(), Qt::LeftButton, Qt::ShiftModifier, p);
    EXPECT_EQ(watch.count, 1);
    EXPECT_TRUE(watch.shift);
    const float dataPerPixelX = 2600.0f / v.getPlotRect().width, dataPerPixelY = 7.0f / v.getPlotRect().height;
    EXPECT_NEAR(watch.x, 1200, dataPerPixelX);
    EXPECT_NEAR(watch.y, 3.5, dataPerPixelY);
    EXPECT_EQ(plot.box.statusLine()->text(),
              QString::asprintf("P (bar) = %.1f, H2O (wt %%) = %.2f", double(watch.x), double(watch.y)));
    // A status longer than its line shows its start.
    EXPECT_EQ(plot.box.statusLine()->cursorPosition(), 0);
    QTest::mouseClick(plot.widget(), Qt::LeftButton, Qt::NoModifier, plot.at(600, 2));
    EXPECT_EQ(watch.count, 2);
    EXPECT_FALSE(watch.shift);

    // The margin: no point, an empty status line.
    QTest::mouseClick(plot.widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(watch.count, 3);
    EXPECT_EQ(watch.x, 0.0f);
    EXPECT_EQ(watch.y, 0.0f);
    EXPECT_TRUE(plot.box.statusLine()->text().isEmpty());
    // Other buttons do not select.
    QTest::mousePress(plot.widget(), Qt::MiddleButton, Qt::NoModifier, plot.at(100, 1));
    QTest::mouseRelease(plot.widget(), Qt::MiddleButton, Qt::NoModifier, plot.at(100, 1));
    EXPECT_EQ(watch.count, 3);
}

TEST(PlotMouse, ADragZoomsWithoutTellingAndZoomInStaysWithinTheMaximum) {
    ShownPlot plot;
    CPlotView& v = plot.view();
    setUpSolubilityPlot(v);
    v.setMaxXYRange(500, 2000, 0, 10);
    plot.draw();
    SelectionWatch watch(v);
    EXPECT_TRUE(plot.box.zoomInButton()->isEnabled());

    QTest::mousePress(plot.widget(), Qt::LeftButton, Qt::NoModifier, plot.at(200, 1));
    QTest::mouseMove(plot.widget(), plot.at(1000, 3));
    QTest::mouseMove(plot.widget(), plot.at(1500, 5));
    QTest::mouseRelease(plot.widget(), Qt::LeftButton, Qt::NoModifier, plot.at(1500, 5));
    EXPECT_EQ(watch.count, 0);
    EXPECT_FALSE(v.trackingRect().isEmpty());
    EXPECT_TRUE(plot.box.zoomInButton()->isEnabled());
    EXPECT_EQ(plot.box.zoomInButton()->toolTip(), "To zoom in the rectangular area");

    QTest::mouseClick(plot.box.zoomInButton(), Qt::LeftButton);
    float x0, x1, y0, y1;
    v.getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, 500.0f);  // the rectangle began at 200: clamped
    EXPECT_NEAR(x1, 1500, 2600.0f / v.getPlotRect().width);
    EXPECT_NEAR(y0, 1, 0.05);
    EXPECT_NEAR(y1, 5, 0.05);
    EXPECT_FALSE(plot.box.zoomInButton()->isEnabled());
    EXPECT_EQ(watch.count, 0);
}

TEST(PlotMouse, DraggingTheLegendIsOneStepOnTheWindowsUndoStack) {
    QUndoStack stack;
    ShownPlot plot;
    CPlotView& v = plot.view();
    setUpSolubilityPlot(v);
    plot.box.setUndoStack(&stack);
    auto curve = v.plotFromArray({0, 0, 2600, 6}, 2, 0, 1);
    curve->setName("solubility");
    v.includesIntoLegend(curve);
    v.setLegendPosition(200, 5);
    plot.draw();
    const PlotRect lb = v.mLegend()->getBounds();
    ASSERT_GT(lb.width, 20.0f);
    const int H = plot.widget()->height();
    auto widgetPoint = [H](float x, float y) { return QPoint(int(x), int(H - y)); };
    const QPoint start = widgetPoint(lb.x + 10, lb.y + 5);

    SelectionWatch watch(v);
    QTest::mousePress(plot.widget(), Qt::LeftButton, Qt::NoModifier, start);
    EXPECT_TRUE(v.mLegend()->isHilited());
    for (int k = 1; k <= 5; ++k) QTest::mouseMove(plot.widget(), start + QPoint(20 * k, 10 * k));
    QTest::mouseRelease(plot.widget(), Qt::LeftButton, Qt::NoModifier, start + QPoint(100, 50));
    EXPECT_FALSE(v.mLegend()->isHilited());
    EXPECT_EQ(watch.count, 0);
    float x, y;
    v.mLegend()->getPosition(&x, &y);
    const float movedX = x, movedY = y;
    EXPECT_NEAR(x, v.getXFromPixelValue(v.getXValue(200) + 100), 1.0);
    EXPECT_LT(y, 5.0f);
    ASSERT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.undoText(), "Move Of Legend");
    stack.undo();
    v.mLegend()->getPosition(&x, &y);
    EXPECT_FLOAT_EQ(x, 200);
    EXPECT_FLOAT_EQ(y, 5);
    stack.redo();
    v.mLegend()->getPosition(&x, &y);
    EXPECT_FLOAT_EQ(x, movedX);
    EXPECT_FLOAT_EQ(y, movedY);
    // The reset button's range change joins the same stack.
    v.doChangeAxisRanges(100, 200, 1, 2);
    EXPECT_EQ(stack.count(), 2);
    EXPECT_EQ(stack.undoText(), "Changes Of Axis Ranges");
    stack.undo();
    float x0, x1;
    v.getXYRange(&x0, &x1, nullptr, nullptr);
    EXPECT_EQ(x0, 0.0f);
    EXPECT_EQ(x1, 2600.0f);
}

TEST(PlotMenus, EachContextMenuHasItsItemsAndChecks) {
    ShownPlot plot;
    CPlotView& v = plot.view();
    setUpSolubilityPlot(v);
    auto curve = v.plotFromArray({0, 1, 2600, 1}, 2, 0, 1);
    auto point = v.plotPoint(1300, 4, 3, Color::redColor());
    plot.draw();

    auto texts = [](QMenu* m) {
        QStringList t;
        for (QAction* a : m->actions()) t << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return t;
    };
    QMenu* menu = plot.widget()->contextMenuAt(plot.at(600, 5));
    ASSERT_TRUE(menu);
    EXPECT_EQ(texts(menu), (QStringList{"Zoom in", "Zoom out", "Set Axis ranges...", "Axis ranges by default...",
                                        "Axis label font...", "Axis graduation font...", "Logarithmic X axis",
                                        "Logarithmic Y axis", "-", "Save as PDF...", "-",
                                        "Open in a new window..."}));
    auto action = [](QMenu* m, const QString& title) -> QAction* {
        for (QAction* a : m->actions())
            if (a->text() == title) return a;
        return nullptr;
    };
    EXPECT_FALSE(action(menu, "Zoom in")->isEnabled());
    EXPECT_FALSE(action(menu, "Axis ranges by default...")->isEnabled());
    EXPECT_TRUE(action(menu, "Logarithmic X axis")->isCheckable());
    EXPECT_FALSE(action(menu, "Logarithmic X axis")->isChecked());
    EXPECT_TRUE(action(menu, "Save as PDF...")->isEnabled());

    // The menu runs as a popup; choosing an item performs it.
    QTimer::singleShot(0, [] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : popup->actions())
                if (a->text() == "Logarithmic Y axis") a->trigger();
            popup->close();
        }
    });
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, plot.at(600, 5),
                                 plot.widget()->mapToGlobal(plot.at(600, 5)));
    QApplication::sendEvent(plot.widget(), &rightClick);
    EXPECT_TRUE(v.showLogY());
    menu = plot.widget()->contextMenuAt(plot.at(600, 5));
    EXPECT_TRUE(action(menu, "Logarithmic Y axis")->isChecked());
    v.setShowLogY(false);
    plot.draw();

    menu = plot.widget()->contextMenuAt(plot.at(1000, 1));
    ASSERT_TRUE(menu);
    EXPECT_EQ(v.selectedObject(), curve);
    EXPECT_EQ(texts(menu), (QStringList{"Normal thickness", "Double thickness", "Triple thickness", "-", "Color...",
                                        "-", "Settings panel...", "-", "Save to ASCII data file...",
                                        "Save to Igor data file..."}));
    EXPECT_FALSE(action(menu, "Normal thickness")->isEnabled());
    action(menu, "Double thickness")->trigger();
    EXPECT_EQ(curve->getToolSizeFactor(), 2.0f);
    menu = plot.widget()->contextMenuAt(plot.at(1000, 1));
    EXPECT_TRUE(action(menu, "Normal thickness")->isEnabled());
    EXPECT_FALSE(action(menu, "Double thickness")->isEnabled());

    menu = plot.widget()->contextMenuAt(plot.at(1300, 4));
    ASSERT_TRUE(menu);
    EXPECT_EQ(v.selectedObject(), point);
    EXPECT_EQ(texts(menu), (QStringList{"Increase size", "Decrease size", "-", "Color...", "-", "Settings panel..."}));
    action(menu, "Increase size")->trigger();
    EXPECT_EQ(point->getToolSizeFactor(), 4.0f);
}

// Counts the pixels of an image region that are grey (equal components
// between `lo` and `hi`) and those that are dark.
struct Census {
    int grey = 0, dark = 0;
};
Census census(const QImage& img, QRect r, int lo = 110, int hi = 225) {
    Census c;
    r = r.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor p = img.pixelColor(x, y);
            const int v = p.value();
            if (v < 90) ++c.dark;
            else if (std::abs(p.red() - p.green()) < 12 && std::abs(p.green() - p.blue()) < 12 && v >= lo && v <= hi)
                ++c.grey;
        }
    return c;
}

TEST(PlotPdf, ThePdfShowsALightGreyGridAndNoSelectionMarker) {
    qtTestApp();
    installQtPlotPanels();
    CPlotView view({0, 0, 400, 300});
    view.setDefaultXYRange(0, 10, 0, 100);
    view.setTicksNumber(6, 6);
    view.setTicksDigits(0, 0);
    view.setForeColor(Color::whiteColor());
    view.setDrawGrid(true);
    view.showSelectionPoint(true);
    view.setSelectedPoint(3, 30);  // between the grid lines at 2 and 4, 20 and 40
    PathChooser chooser;
    FileChooser* before = fileChooser();
    setFileChooser(&chooser);
    chooser.answer = "grid.pdf";
    QFile::remove("grid.pdf");
    ASSERT_TRUE(view.onPrintPlot());
    EXPECT_EQ(view.plotName(), "plot");
    EXPECT_FALSE(view.isPrinting());
    QFile f("grid.pdf");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF"));
    f.close();

    // A failed write is reported.
    QString reported;
    auto keep = QtPlotPanels::shared().showError;
    QtPlotPanels::shared().showError = [&](const QString& title, const QString& message) {
        reported = title + ": " + message;
    };
    chooser.answer = "no-such-folder/plot.pdf";
    EXPECT_FALSE(view.onPrintPlot());
    EXPECT_TRUE(reported.startsWith("Save as PDF: Cannot write the file")) << reported.toStdString();
    QtPlotPanels::shared().showError = keep;
    setFileChooser(before);

    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm is not installed";
    const int scale = 5;  // 360 pixels per inch: the 0.3-point grid lines are 1.5 pixels wide
    QProcess run;
    run.start(pdftoppm, {"-r", QString::number(72 * scale), "-png", "grid.pdf", "grid"});
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    QImage page("grid-1.png");
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.width(), 400 * scale);
    auto px = [&](float x, float y) { return QPoint(int(x * scale), int((300 - y) * scale)); };

    // Along the grid line at x = 6, inside the plot: light grey dashes, nothing black.
    const float gx = view.getXValue(6);
    const QPoint top = px(gx, view.getYValue(95)), bottom = px(gx, view.getYValue(5));
    const Census line = census(page, QRect(top.x() - 3, top.y(), 7, bottom.y() - top.y()));
    EXPECT_GT(line.grey, 100);
    EXPECT_EQ(line.dark, 0);
    // Between grid lines the plot area is white.
    const QPoint mid = px(view.getXValue(5), view.getYValue(50));
    EXPECT_EQ(census(page, QRect(mid.x() - 5, mid.y() - 5, 11, 11), 1, 254).grey, 0);
    // Where the selection marker would be: nothing dark.
    const QPoint mark = px(view.getXValue(3), view.getYValue(30));
    EXPECT_EQ(census(page, QRect(mark.x() - 7 * scale, mark.y() - 7 * scale, 14 * scale, 14 * scale)).dark, 0);
    // On screen the marker is there.
    QImage screen = renderPlotToImage(view, 1.0);
    EXPECT_GT(census(screen, QRect(int(view.getXValue(3)) - 7, 300 - int(view.getYValue(30)) - 7, 14, 14)).dark, 4);
}

TEST(PlotWindows, ACopyOpensInItsOwnWindowIndependentOfTheOriginal) {
    ShownPlot plot;
    CPlotView& v = plot.view();
    setUpSolubilityPlot(v);
    auto curve = v.plotFromArray({0, 1, 2600, 6}, 2, 0, 1);
    curve->setColor(Color::blueColor());
    curve->setName("H2O");
    v.includesIntoLegend(curve);
    v.setLegendPosition(100, 6);
    v.setShowLogY(true);
    v.onShowGrid();
    v.doChangeAxisRanges(500, 1500, 1, 5);  // zoomed
    v.performAction(PlotAction::OpenNewPlotWindow);
    QPointer<CPlotWindow> window = QtPlotPanels::shared().lastPlotWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(400, 300));
    CPlotView* copy = window->plotView();
    ASSERT_TRUE(copy);
    ASSERT_NE(copy, &v);
    EXPECT_TRUE(window->drawPlotView()->hasButtons());
    EXPECT_EQ(copy->drawPlotView(), window->drawPlotView());
    EXPECT_TRUE(copy->showLogY());
    EXPECT_FALSE(copy->drawsGrid());
    float x0, x1;
    copy->doChangeAxisRanges(700, 800, 2, 3);
    copy->onAxisRangesByDefault();  // back to the zoomed ranges it was opened with
    copy->getXYRange(&x0, &x1, nullptr, nullptr);
    EXPECT_EQ(x0, 500.0f);
    EXPECT_EQ(x1, 1500.0f);
    EXPECT_EQ(window->undoStack()->count(), 2);
    // Recolouring the copy leaves the document's plot alone.
    ASSERT_EQ(copy->graphObjects().size(), 1u);
    copy->graphObjects()[0]->setColor(Color::redColor());
    EXPECT_EQ(curve->color(), Color::blueColor());
    v.purge();
    curve.reset();
    EXPECT_EQ(copy->mLegend()->mRefObjectList().size(), 1u);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);  // closed plot windows go away
}

TEST(PlotPanelsQt, ColourAndFontPanelsEditTheSelectionLive) {
    QUndoStack stack;
    ShownPlot plot;
    CPlotView& v = plot.view();
    setUpSolubilityPlot(v);
    plot.box.setUndoStack(&stack);
    auto curve = v.plotFromArray({0, 1, 2600, 1}, 2, 0, 1);
    curve->setColor(Color::blueColor());
    plot.draw();
    QTest::mouseClick(plot.widget(), Qt::LeftButton, Qt::NoModifier, plot.at(1000, 1));
    ASSERT_EQ(v.selectedObject(), curve);
    v.performAction(PlotAction::GraphObjectColor);
    QtPlotPanels& panels = QtPlotPanels::shared();
    QColorDialog* colors = panels.colorPanel();
    EXPECT_TRUE(colors->isVisible());
    EXPECT_EQ(colors->currentColor(), QColor(Qt::blue));
    colors->setCurrentColor(QColor(0, 128, 0));
    EXPECT_NEAR(curve->color()->green, 128.0f / 255.0f, 1e-3);
    EXPECT_EQ(stack.count(), 0);  // colours are not undoable
    panels.closeColorPanel();

    v.performAction(PlotAction::LabelFontSettings);
    QFontDialog* fonts = panels.fontPanel();
    EXPECT_TRUE(fonts->isVisible());
    QFont serif("DejaVu Serif");
    serif.setPointSizeF(17);
    fonts->setCurrentFont(serif);
    EXPECT_EQ(v.mXLabel().font.pointSize, 17.0f);
    EXPECT_EQ(v.getLabelsAttributes().family, "DejaVu Serif");
    ASSERT_GE(stack.count(), 1);
    EXPECT_EQ(stack.undoText(), "Changes Of Labels Font");
    while (stack.canUndo()) stack.undo();
    EXPECT_EQ(v.getLabelsAttributes(), FontDescription::systemFont());
    fonts->hide();
}

}  // namespace
