#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>

#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CGraphPointCurve.h"
#include "app/plot/CPlotView.h"
#include "app/plot/qt/PlotRendering.h"
#include "app/plot/qt/QtCanvas.h"
#include "app/plot/tests/qt/QtTestApp.h"

namespace {

// Draws the graph objects (not the axes) of a view whose plot rectangle
// covers the whole image, data units equal to pixels.
QImage renderObjects(CPlotView& view, int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter painter(&img);
    {
        QtCanvas canvas(painter, static_cast<float>(h));
        for (const auto& o : view.graphObjects()) o->render(canvas);
        view.mLegend()->render(canvas);
    }
    painter.end();
    return img;
}

TEST(QtAdapter, DrawsACurveMarkersAndALegendWhereTheyBelong) {
    qtTestApp();
    const int W = 200, H = 150;
    CPlotView view({0, 0, W + 110.0f, H + 75.0f});
    view.setBounds({-80, -60, W + 110.0f, H + 75.0f});  // plot rectangle (0, 0, W, H)
    view.setDefaultXYRange(0, W, 0, H);
    view.calculateCoefficients();

    auto curve = std::make_shared<CGraphCurve>();
    curve->addPoint(10.5f, 30.5f, false);
    curve->addPoint(190.5f, 30.5f, false);
    curve->setToolSizeFactor(3);
    curve->setColor(Color::blueColor());
    curve->setName("blue line");
    auto point = CGraphPoint::newGraphPoint(100.5f, 100.5f);
    point->setSelector(3);  // filled square
    point->setToolSizeFactor(8);  // half-size 6
    point->setColor(Color::redColor());
    point->setName("red square");
    auto open = CGraphPoint::newGraphPoint(50.5f, 100.5f);
    open->setSelector(4);  // open square: its inside stays white
    open->setToolSizeFactor(16);  // half-size 10
    open->setColor(Color::redColor());
    view.addGraphObject(curve);
    view.addGraphObject(point);
    view.addGraphObject(open);
    view.includesIntoLegend(curve);
    view.includesIntoLegend(point);
    view.setLegendPosition(120, 50);

    QImage img = renderObjects(view, W, H);
    EXPECT_TRUE(near(pixelAt(img, 100, 30), 0, 0, 255));     // on the line
    EXPECT_TRUE(near(pixelAt(img, 100, 20), 255, 255, 255));  // below it
    EXPECT_TRUE(near(pixelAt(img, 5, 30), 255, 255, 255));    // before its start
    EXPECT_TRUE(near(pixelAt(img, 100, 100), 255, 0, 0));     // inside the filled marker
    EXPECT_TRUE(near(pixelAt(img, 104, 96), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(img, 110, 100), 255, 255, 255));  // outside it
    EXPECT_TRUE(near(pixelAt(img, 50, 100), 255, 255, 255));   // inside the open marker
    EXPECT_TRUE(near(pixelAt(img, 40, 100), 255, 0, 0, 90));   // on its edge

    // Legend: the bottom row is the point's, its filled sample at
    // (X + 8 - t/2, y + h/2); the curve's line sample in the row above.
    const QImage& again = img;
    const PlotRect lb = view.mLegend()->getBounds();
    EXPECT_EQ(lb.x, 120.0f);
    EXPECT_GT(lb.height, 10.0f);
    bool redInLegend = false, blueInLegend = false;
    for (int x = 120; x < 140; ++x)
        for (int y = 50; y < static_cast<int>(50 + lb.height); ++y) {
            QColor c = pixelAt(again, x, y);
            redInLegend |= near(c, 255, 0, 0, 30);
            blueInLegend |= near(c, 0, 0, 255, 60);
        }
    EXPECT_TRUE(redInLegend);
    EXPECT_TRUE(blueInLegend);
    // The legend's text is black, right of the samples.
    bool dark = false;
    for (int x = 150; x < 200; ++x)
        for (int y = 50; y < static_cast<int>(50 + lb.height); ++y) dark |= pixelAt(again, x, y).value() < 100;
    EXPECT_TRUE(dark);
}

TEST(QtAdapter, ClipsToThePlotRectangleAndMeasuresTextRepeatably) {
    qtTestApp();
    CPlotView view({0, 0, 210, 175});
    view.setBounds({-80, -60, 210, 175});
    view.setDefaultXYRange(0, 100, 0, 100);
    view.calculateCoefficients();
    auto curve = std::make_shared<CGraphCurve>();
    curve->addPoint(-50, 50.5f, false);
    curve->addPoint(150, 50.5f, false);
    curve->setToolSizeFactor(3);
    curve->setColor(Color::blackColor());
    view.addGraphObject(curve);
    QImage img = renderObjects(view, 150, 100);
    EXPECT_TRUE(near(pixelAt(img, 50, 50), 0, 0, 0));
    EXPECT_TRUE(near(pixelAt(img, 120, 50), 255, 255, 255));  // beyond the plot rectangle

    QImage probe(10, 10, QImage::Format_ARGB32_Premultiplied);
    probe.setDotsPerMeterX(2835);  // 72 per inch
    probe.setDotsPerMeterY(2835);
    QPainter painter(&probe);
    QtCanvas canvas(painter, 10);
    PlotSize a = canvas.measureText("10.000", FontDescription::labelFont());
    PlotSize b = canvas.measureText("10.000", FontDescription::labelFont());
    EXPECT_EQ(a, b);
    EXPECT_GT(a.width, 20.0f);
    EXPECT_LT(a.width, 60.0f);
    EXPECT_GT(a.height, 9.0f);
    EXPECT_LT(a.height, 16.0f);
    PlotSize big = canvas.measureText("10.000", FontDescription{"", 20, false, false});
    EXPECT_NEAR(big.width, 2 * a.width, 0.2 * a.width);
}

TEST(QtAdapter, WritesAPdfOfTheWholePlot) {
    qtTestApp();
    CPlotView view({0, 0, 400, 300});
    view.setDefaultXYRange(0, 10, 0, 100);
    view.setTicksNumber(6, 6);
    view.setDrawGrid(true);
    auto curve = view.plotFromArray({0, 0, 5, 50, 10, 20}, 2, 0, 1);
    ASSERT_TRUE(curve);
    QString error;
    ASSERT_TRUE(writePlotPdf(view, "plot.pdf", &error)) << error.toStdString();
    QFile f("plot.pdf");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF"));
    EXPECT_FALSE(view.isPrinting());
    EXPECT_FALSE(writePlotPdf(view, "no-such-folder/plot.pdf", &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
