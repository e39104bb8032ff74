#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "app/plot/FileChooser.h"
#include "app/plot/qt/CBarPlotWidget.h"
#include "app/plot/qt/CTernaryPlotWidget.h"
#include "app/plot/qt/PlotPanels.h"
#include "app/plot/tests/qt/QtTestApp.h"
#include "platform/NotificationCenter.h"

namespace {

bool bluish(const QColor& c) { return c.blue() > 150 && c.blue() > c.red() + 60 && c.blue() > c.green() + 60; }
bool greyish(const QColor& c) {
    return c.red() < 235 && c.red() > 60 && std::abs(c.red() - c.blue()) < 12 && std::abs(c.red() - c.green()) < 12;
}
bool dark(const QColor& c) { return c.red() < 170 && c.green() < 170 && c.blue() < 170; }

class AnswerChooser : public FileChooser {
public:
    explicit AnswerChooser(std::string answer) : mAnswer(std::move(answer)) { setFileChooser(this); }
    ~AnswerChooser() override { setFileChooser(nullptr); }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override { return mAnswer; }

private:
    std::string mAnswer;
};

TEST(BarPlotRendering, BarsLinesMarkersAndGridInPixels) {
    qtTestApp();
    CBarPlotView view({0, 0, 380, 300});
    view.setValues({50, 80});
    view.setMinimum(0, 100);
    view.onSetBars();
    QImage img = renderBarPlotToImage(view);
    ASSERT_EQ(img.width(), 380);
    ASSERT_EQ(img.height(), 300);
    // Bar 0 spans x 65..115 and y 40..160; bar 1 x 125..175, y 40..232.
    EXPECT_TRUE(near(pixelAt(img, 90, 100), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(img, 150, 220), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(img, 90, 170), 255, 255, 255));  // above bar 0
    EXPECT_TRUE(near(pixelAt(img, 120, 100), 255, 255, 255));  // the gap between bars
    EXPECT_TRUE(near(pixelAt(img, 65, 100), 0, 0, 0, 60));     // bar 0's black frame
    EXPECT_TRUE(dark(pixelAt(img, 55, 200)));                   // value axis
    EXPECT_TRUE(near(pixelAt(img, 300, 250), 255, 255, 255));  // no grid

    // Lines and markers with the grid: white marker inside a blue ring, blue
    // line, grey grid lines.
    view.setValues({50, 50});
    view.onSetLinesMarkers();
    view.onToggleGrid();
    img = renderBarPlotToImage(view);
    EXPECT_TRUE(near(pixelAt(img, 90, 157), 255, 255, 255));  // inside the marker, under its centre
    EXPECT_TRUE(bluish(pixelAt(img, 120, 160)));               // the line between markers
    EXPECT_TRUE(bluish(pixelAt(img, 90, 165)) || bluish(pixelAt(img, 90, 164)));  // the ring's top
    EXPECT_TRUE(near(pixelAt(img, 90, 100), 255, 255, 255));   // no bars
    EXPECT_TRUE(greyish(pixelAt(img, 300, 88)));                // grid line of 20
}

TEST(BarPlotWidget, StepperMenuAndPdf) {
    qtTestApp();
    CBarPlotWidget w;
    w.resize(380, 300);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    CBarPlotView& view = w.barPlotView();
    view.setValues({10, 20, 30});
    view.setLabels(std::vector<std::string>{"a", "b", "c"});
    view.setMinimum(0, 100);

    // The stepper sits in the top-left corner and steps the top of the axis.
    EXPECT_EQ(w.stepperWidget()->geometry(), QRect(1, 0, 20, 30));
    QTest::mouseClick(w.stepperDownButton(), Qt::LeftButton);
    QTest::mouseClick(w.stepperDownButton(), Qt::LeftButton);
    EXPECT_EQ(view.mMaximum(), 98.0f);
    QTest::mouseClick(w.stepperUpButton(), Qt::LeftButton);
    EXPECT_EQ(view.mMaximum(), 99.0f);
    w.resize(380, 360);
    EXPECT_EQ(w.stepperWidget()->geometry(), QRect(1, 0, 20, 30));

    // Context menu: titles follow the state; items run the view's actions.
    QMenu* menu = w.contextMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), "Barplot");
    QStringList titles;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"Set logarithmic scale", "Show grid", "Bars", "Lines", "Lines and markers",
                                   "Save as PDF...", "Export to Igor..."}));
    menu->actions()[0]->trigger();
    menu->actions()[3]->trigger();  // "Bars"
    EXPECT_TRUE(view.isLogarithmic());
    EXPECT_EQ(view.mode(), CBarPlotView::kBars);
    menu = w.contextMenu();
    EXPECT_EQ(menu->actions()[0]->text(), "Set linear scale");
    EXPECT_TRUE(menu->actions()[3]->isChecked());
    EXPECT_FALSE(menu->actions()[5]->isChecked());

    // "Save as PDF..." writes a PDF through the widget's writer.
    {
        AnswerChooser chooser("bars.pdf");
        menu->actions()[7]->trigger();
    }
    QFile pdf("bars.pdf");
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_TRUE(w.stepperWidget()->isVisible());

    // A folder that does not exist: a message, no file.
    QString error;
    EXPECT_FALSE(writeBarPlotPdf(view, "no_such_folder/bars.pdf", &error));
    EXPECT_TRUE(error.contains("no_such_folder"));
    auto keep = QtPlotPanels::shared().showError;
    QString shownTitle;
    QtPlotPanels::shared().showError = [&](const QString& title, const QString&) { shownTitle = title; };
    {
        AnswerChooser chooser("no_such_folder/bars.pdf");
        EXPECT_FALSE(view.onPrintPlot());
    }
    QtPlotPanels::shared().showError = keep;
    EXPECT_EQ(shownTitle, "Save as PDF");
}

TEST(TernaryPlotRendering, TriangleMarkersAndCurvesInPixels) {
    qtTestApp();
    CTernaryPlotView view({0, 0, 400, 300});
    view.plotCurve({15, 15, 15, 70}, 2, 0, 1);  // A = 15 %, off the grid
    view.plotPoint(20, 30, 1, 0, 0);            // filled circle
    view.plotPoint(65, 13, 4, 0, 0);            // open square, off the grid
    QImage img = renderTernaryPlotToImage(view);
    view.placeTriangle();
    const PlotPoint A = view.cornerA(), B = view.cornerB();
    EXPECT_TRUE(dark(pixelAt(img, (A.x + B.x) / 2, A.y)));                   // bottom edge
    EXPECT_TRUE(near(pixelAt(img, (A.x + B.x) / 2, A.y - 20), 255, 255, 255));  // below it
    const PlotPoint G = *view.pointOf(100.0 / 3, 100.0 / 3);
    EXPECT_TRUE(near(pixelAt(img, G.x, G.y), 255, 255, 255));  // centroid, between grid lines
    const PlotPoint m = *view.pointOf(15, 42.5);
    EXPECT_TRUE(bluish(pixelAt(img, m.x, m.y)));
    const PlotPoint p = *view.pointOf(20, 30);
    EXPECT_TRUE(near(pixelAt(img, p.x, p.y), 0, 0, 0, 60));
    const PlotPoint q = *view.pointOf(65, 13);
    EXPECT_TRUE(near(pixelAt(img, q.x + 1.5f, q.y + 1.5f), 255, 255, 255));  // inside the open square
    // A dashed grid line of constant B = 50 %, between its dashes and gaps:
    // somewhere along it, pixels are drawn and others are not.
    int drawn = 0, blank = 0;
    const PlotPoint g0 = *view.pointOf(45, 50), g1 = *view.pointOf(5, 50);
    for (int i = 0; i <= 60; ++i) {
        const float t = i / 60.0f;
        const QColor c = pixelAt(img, g0.x + t * (g1.x - g0.x), g0.y + t * (g1.y - g0.y));
        if (c.red() < 240) ++drawn;
        else if (c.red() > 250) ++blank;
    }
    EXPECT_GT(drawn, 5);
    EXPECT_GT(blank, 5);
}

TEST(TernaryPlotWidget, LeftClickPostsTheCompositionOtherButtonsDoNot) {
    qtTestApp();
    CTernaryPlotWidget w;
    w.resize(400, 300);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.repaint();  // clicks use the corners of the last draw
    CTernaryPlotView& view = w.ternaryPlotView();
    int posted = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        CTernaryPlotView::kTernaryPlotSelection, &view, [&](const std::string&, const void*) { ++posted; });

    const PlotPoint p = *view.pointOf(20, 30);
    const QPoint at(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(300 - p.y)));
    QTest::mouseClick(&w, Qt::LeftButton, {}, at);
    EXPECT_EQ(posted, 1);
    // One pixel is about 0.4 % of the side.
    EXPECT_NEAR(view.mSela(), 20.0, 0.6);
    EXPECT_NEAR(view.mSelb(), 30.0, 0.6);
    EXPECT_NEAR(view.mSela() + view.mSelb() + view.mSelc(), 100.0, 1e-9);

    const double a = view.mSela();
    QTest::mouseClick(&w, Qt::RightButton, {}, at);
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(200, 295));  // bottom margin
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(view.mSela(), -1.0);
    view.setMSela(a);
    QTest::mouseClick(&w, Qt::RightButton, {}, QPoint(200, 295));
    EXPECT_EQ(view.mSela(), a);  // other buttons change nothing
    platform::NotificationCenter::defaultCenter().removeObserver(token);
}

}  // namespace
