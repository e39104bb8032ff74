#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CPlotView.h"
#include "app/plot/qt/CDrawPlotView.h"
#include "app/plot/qt/CPlotWidget.h"
#include "app/plot/qt/PlotButtonImages.h"
#include "app/plot/qt/PlotRendering.h"
#include "app/plot/tests/qt/QtTestApp.h"

namespace {

TEST(PlotRendering, ShowsBackgroundsAndACurveAtItsMappedPixels) {
    qtTestApp();
    CPlotView view({0, 0, 400, 300});
    view.setDefaultXYRange(0, 10, 0, 10);
    view.setTicksNumber(6, 6);
    view.setTicksDigits(0, 0);
    auto curve = view.plotFromArray({0, 2, 10, 2}, 2, 0, 1);
    curve->setColor(Color::blueColor());
    curve->setToolSizeFactor(3);
    QImage img = renderPlotToImage(view);
    ASSERT_EQ(img.width(), 400);
    const PlotRect P = view.getPlotRect();
    EXPECT_TRUE(near(pixelAt(img, 10, 10), 255, 255, 179, 3));                        // margin: light yellow
    EXPECT_TRUE(near(pixelAt(img, P.x + 0.7f * P.width, P.y + 0.7f * P.height), 153, 255, 255, 3));  // light cyan
    const float y = view.getYValue(2);
    EXPECT_TRUE(near(pixelAt(img, view.getXValue(5), y), 0, 0, 255, 60));  // the curve where the mapping puts it
    EXPECT_TRUE(near(pixelAt(img, view.getXValue(5), y + 6), 153, 255, 255, 3));
    int darkest = 255;  // the frame along the plot's left edge
    for (int x = int(P.x) - 2; x <= int(P.x) + 2; ++x)
        darkest = std::min(darkest, pixelAt(img, float(x), P.y + 0.5f * P.height).value());
    EXPECT_LT(darkest, 90);
}

TEST(PlotRendering, UserDefaultsGiveTheBackgroundColours) {
    qtTestApp();
    QTemporaryDir dir;
    QSettings settings(dir.filePath("plot.ini"), QSettings::IniFormat);
    CPlotView view({0, 0, 200, 100});
    applyUserDefaultColors(view, settings);  // nothing stored: the defaults stay
    EXPECT_EQ(view.backColor(), (Color{1.0f, 1.0f, 0.7f, 1.0f}));
    settings.setValue("backColorMarginArea", QColor(255, 255, 255));
    settings.setValue("backColorPlotArea", QString("#102030"));
    applyUserDefaultColors(view, settings);
    EXPECT_EQ(view.backColor(), Color::whiteColor());
    EXPECT_NEAR(view.foreColor().green, 32.0f / 255.0f, 1e-6);
    settings.setValue("backColorPlotArea", QString("not a colour"));
    applyUserDefaultColors(view, settings);
    EXPECT_NEAR(view.foreColor().green, 32.0f / 255.0f, 1e-6);
}

TEST(PlotRendering, WritesThePictureOfAPlotWithTwoCurvesALegendAndTitles) {
    qtTestApp();
    CPlotView view({0, 0, 560, 400});
    view.setDefaultXYRange(0, 2600, 0, 7);
    view.setTicksNumber(11, 8);
    view.setTicksDigits(0, 1);
    view.setLabels("Pressure (bar)", "H2O (wt %)");
    std::vector<double> rows;
    for (int i = 0; i <= 52; ++i) {
        double p = 50.0 * i;
        rows.push_back(p);
        rows.push_back(0.11 * std::sqrt(p));  // a square-root solubility law
        rows.push_back(0.0022 * p + 0.3);
    }
    auto sol = view.plotFromArray(rows, 3, 0, 1);
    sol->setName("solubility");
    sol->setColor(Color::blueColor());
    sol->setToolSizeFactor(2);
    auto lin = view.plotFromArray(rows, 3, 0, 2);
    lin->setName("crystals");
    lin->setColor(Color::redColor());
    lin->setMDash(1);
    auto start = view.plotPoint(1200, 0.11 * std::sqrt(1200.0), 1, Color{0.0f, 0.6f, 0.0f, 1.0f});
    start->setName("initial state");
    view.includesIntoLegend(sol);
    view.includesIntoLegend(lin);
    view.includesIntoLegend(start);
    view.setLegendPosition(1500, 0.8f);
    view.setDrawGrid(true);
    view.showSelectionPoint(true);
    view.setSelectedPoint(1200, 0.11f * std::sqrt(1200.0f));
    QImage img = renderPlotToImage(view, 2.0);
    EXPECT_EQ(img.width(), 1120);
    // Kept as the artefact of the test run for review.
    const QString path = QDir::current().absoluteFilePath("plot-two-curves.png");
    ASSERT_TRUE(img.save(path));
    std::printf("plot picture: %s\n", path.toLocal8Bit().constData());
    // The two curves in their colours where the mapping puts them (2 pixels per unit).
    auto at = [&](float x, float y) { return img.pixelColor(int(2 * x), img.height() - 1 - int(2 * y)); };
    EXPECT_TRUE(near(at(view.getXValue(2000), view.getYValue(0.11f * std::sqrt(2000.0f))), 0, 0, 255, 80));
    EXPECT_TRUE(near(at(view.getXValue(400), view.getYValue(0.0022f * 400 + 0.3f)), 255, 0, 0, 80));
}

TEST(PlotContainer, PlacesItsControlRowAndPlot) {
    qtTestApp();
    CDrawPlotView box;
    box.resize(500, 300);
    box.show();
    box.setStatusMessage("ignored");  // no control row yet: nothing happens
    CPlotWidget* plot = box.setPlotView();
    ASSERT_TRUE(plot);
    EXPECT_EQ(box.plotView()->drawPlotView(), &box);
    EXPECT_EQ(box.viewFrame(plot), (PlotRect{0, 0, 500, 300}));
    box.installButtons();
    EXPECT_TRUE(box.hasButtons());
    EXPECT_EQ(box.viewFrame(plot), (PlotRect{0, 25, 500, 275}));
    EXPECT_EQ(box.viewFrame(box.statusLine()), (PlotRect{130, 0, 370, 22}));
    QPushButton* buttons[] = {box.zoomInButton(), box.zoomOutButton(), box.gridButton(), box.resetButton(),
                              box.axisButton()};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(box.viewFrame(buttons[k]), (PlotRect{26.0f * k, 0, 22, 22})) << k;
    EXPECT_EQ(box.resetButton()->toolTip(), "To return to the axis ranges by default");
    EXPECT_EQ(box.axisButton()->toolTip(), "To set the axes ranges");
    EXPECT_EQ(box.statusLine()->toolTip(), "The status bar");
    EXPECT_TRUE(box.statusLine()->isReadOnly());
    EXPECT_TRUE(box.zoomInButton()->isEnabled());
    EXPECT_TRUE(box.zoomInButton()->toolTip().isEmpty());
    EXPECT_FALSE(box.statusLine()->text().contains("ignored"));
    // Resizing keeps the buttons at the bottom-left and stretches the status line.
    box.resize(640, 400);
    EXPECT_EQ(box.viewFrame(box.statusLine()), (PlotRect{130, 0, 510, 22}));
    EXPECT_EQ(box.viewFrame(box.axisButton()), (PlotRect{104, 0, 22, 22}));
    EXPECT_EQ(box.viewFrame(plot), (PlotRect{0, 25, 640, 375}));
    EXPECT_EQ(box.plotView()->bounds(), (PlotRect{0, 0, 640, 375}));
    // The images are our own drawings.
    for (const char* name : {"biggerUp", "smallerUp", "grid", "resetOff", "axis"}) {
        QImage im = plotButtonImage(name);
        EXPECT_EQ(im.size(), QSize(22, 22));
        bool inked = false;
        for (int x = 0; x < 22; ++x)
            for (int y = 0; y < 22; ++y) inked |= qAlpha(im.pixel(x, y)) > 0;
        EXPECT_TRUE(inked) << name;
    }
}

TEST(PlotContainer, ButtonsCallTheViewsActions) {
    qtTestApp();
    CDrawPlotView box;
    box.resize(500, 300);
    box.show();
    box.setPlotView();
    box.installButtons();
    CPlotView& view = *box.plotView();
    view.setDefaultXYRange(0, 10, 0, 10);
    view.setMaxXYRange(0, 10, 0, 10);
    int panel = 0;
    view.setAxisRangePanelRequest([&](CPlotView& v) { panel += &v == &view; });

    QTest::mouseClick(box.gridButton(), Qt::LeftButton);
    EXPECT_TRUE(view.drawsGrid());
    EXPECT_TRUE(box.gridButton()->isChecked());
    QTest::mouseClick(box.gridButton(), Qt::LeftButton);
    EXPECT_FALSE(view.drawsGrid());
    EXPECT_FALSE(box.gridButton()->isChecked());
    box.updateGridButton(true);
    box.updateGridButton(false);
    EXPECT_FALSE(box.gridButton()->isChecked());

    QTest::mouseClick(box.axisButton(), Qt::LeftButton);
    EXPECT_EQ(panel, 1);

    // Zoom in on a rectangle, then the reset button returns to the defaults.
    renderPlotToImage(view);  // a draw sets the mapping
    view.setTrackingRect({view.getXValue(2), view.getYValue(2), view.getXValue(6) - view.getXValue(2),
                          view.getYValue(8) - view.getYValue(2)});
    box.setEnabledZoomingControls(true);
    EXPECT_EQ(box.zoomInButton()->toolTip(), "To zoom in the rectangular area");
    EXPECT_EQ(box.zoomOutButton()->toolTip(), "To zoom out of the rectangular area.");
    QTest::mouseClick(box.zoomInButton(), Qt::LeftButton);
    float x0, x1, y0, y1;
    view.getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_NEAR(x0, 2, 1e-3);
    EXPECT_NEAR(x1, 6, 1e-3);
    EXPECT_FALSE(box.zoomInButton()->isEnabled());  // the ranges changed
    EXPECT_EQ(box.zoomInButton()->toolTip(),
              "Disabled. To enable it, press and drag the mouse on the plot to delimit the area to zoom.");
    box.setEnabledZoomingControls(true);
    QTest::mouseClick(box.resetButton(), Qt::LeftButton);
    view.getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, 0.0f);
    EXPECT_EQ(x1, 10.0f);

    view.setSelectedPoint(1.25f, 3);
    view.setLabels("x", "y");
    view.updateStatusMessage();
    EXPECT_EQ(box.statusLine()->text(), "x = 1.250, y = 3.000");
}

}  // namespace
