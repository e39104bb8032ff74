#include <gtest/gtest.h>

#include <cmath>

#include "app/plot/CGraphArea.h"
#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CGraphPointCurve.h"
#include "app/plot/CPlotView.h"
#include "app/plot/RecordingCanvas.h"
#include "platform/NotificationCenter.h"

namespace {

using Kind = CanvasOp::Kind;

std::vector<float> seq(float from, float step, int n) {
    std::vector<float> v;
    for (int i = 0; i < n; ++i) v.push_back(from + step * float(i));
    return v;
}

void expectValues(const std::vector<float>& got, const std::vector<float>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-4f * (1 + std::fabs(want[i]))) << i;
}

// Draws once (margins and coefficients) with fixed metrics.
RecordingCanvas drawn(CPlotView& v, float charWidth = 0.5f, float lineHeight = 1.2f) {
    RecordingCanvas rc(charWidth, lineHeight);
    v.drawRect(rc);
    return rc;
}

TEST(PlotView, StartsWithItsDefaults) {
    CPlotView v({0, 0, 400, 300});
    float x0, x1, y0, y1;
    v.getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, 0.0f);
    EXPECT_EQ(x1, 1.0f);
    EXPECT_EQ(y1, 1.0f);
    EXPECT_EQ(v.mNbXTicks(), 2);
    EXPECT_EQ(v.mYTicksDigits(), 3);
    EXPECT_EQ(v.mXLabel().text, "Undefined");
    EXPECT_EQ(v.mYLabel().text, "Undefined");
    EXPECT_EQ(v.mMarginLeft(), 80.0f);
    EXPECT_EQ(v.mMarginTop(), 15.0f);
    EXPECT_EQ(v.mMarginRight(), 30.0f);
    EXPECT_EQ(v.mMarginBottom(), 60.0f);
    EXPECT_TRUE(v.mLegend()->isHidden());
    EXPECT_EQ(v.mLegend()->getPlotView(), &v);
    EXPECT_EQ(v.backColor(), (Color{1.0f, 1.0f, 0.7f, 1.0f}));
    EXPECT_EQ(v.foreColor(), (Color{0.6f, 1.0f, 1.0f, 1.0f}));
    EXPECT_TRUE(v.trackingRect().isEmpty());
    // 0..1 fills the plot rectangle on both axes.
    v.calculateCoefficients();
    PlotRect P = v.getPlotRect();
    EXPECT_EQ(P, (PlotRect{80, 60, 290, 225}));
    EXPECT_FLOAT_EQ(v.getXValue(0), 80);
    EXPECT_FLOAT_EQ(v.getXValue(1), 370);
    EXPECT_FLOAT_EQ(v.getYValue(1), 285);
}

TEST(PlotView, MappingRoundTripsOnLinearAndLogAxes) {
    CPlotView v({0, 0, 500, 400});
    v.setDefaultXYRange(-3, 7, 2, 2000);
    v.setShowLogY(true);
    drawn(v);
    EXPECT_EQ(v.mLogYmin(), 0.0f);
    EXPECT_EQ(v.mLogYmax(), 4.0f);
    const PlotRect P = v.getPlotRect();
    for (float x : {-3.0f, -1.25f, 0.0f, 6.5f}) EXPECT_NEAR(v.getXFromPixelValue(v.getXValue(x)), x, 1e-4);
    for (float y : {2.0f, 17.5f, 1000.0f, 2000.0f}) EXPECT_NEAR(v.getYFromPixelValue(v.getYValue(y)), y, 1e-3 * y);
    EXPECT_FLOAT_EQ(v.getXValue(-3), P.x);
    EXPECT_FLOAT_EQ(v.getYValue(1), P.y);
    EXPECT_FLOAT_EQ(v.getYValue(10000), P.y + P.height);
    // Not positive on a log axis: the pixel of the lower decade limit.
    EXPECT_FLOAT_EQ(v.getYValue(0), P.y);
    EXPECT_FLOAT_EQ(v.getYValue(-5), P.y);
    EXPECT_NEAR(v.getYFromPixelValue(P.y + P.height), 10000.0f, 0.1f);
}

TEST(PlotView, LogLimitsFollowTheCurrentRanges) {
    CPlotView v({0, 0, 500, 400});
    v.setShowLogX(true);
    v.setDefaultXYRange(0.01f, 1000, 0, 1);
    v.calculateLogLimits();
    // The float nearest 0.01 lies just below it: its logarithm floors to -3.
    EXPECT_EQ(v.mLogXmin(), -3.0f);
    EXPECT_EQ(v.mLogXmax(), 3.0f);
    v.setDefaultXYRange(0, -5, 0, 1);
    v.calculateLogLimits();
    EXPECT_EQ(v.mLogXmin(), -2.0f);
    EXPECT_EQ(v.mLogXmax(), -1.0f);
}

TEST(PlotView, TickStepsAreTidy) {
    CPlotView v({0, 0, 600, 500});
    v.setTicksNumber(11, 11);
    struct Case { float lo, hi, step; int n; };
    for (Case c : {Case{0, 10, 1.0f, 11}, Case{0, 11, 1.0f, 12}, Case{0, 20, 2.0f, 11}, Case{0, 7, 0.5f, 15},
                   Case{-1, 1, 0.2f, 11}, Case{0.3f, 10.3f, 1.0f, 10}}) {
        v.setDefaultXYRange(c.lo, c.hi, 0, 1);
        drawn(v);
        CPlotView::Ticks t = v.xTicks(0);
        EXPECT_NEAR(t.step, c.step, 1e-6) << c.lo << ".." << c.hi;
        EXPECT_EQ(t.values.size(), size_t(c.n)) << c.lo << ".." << c.hi;
    }
    // Y: ascending axes advance by the plain division, 0 to 2600 in 260s.
    v.setDefaultXYRange(0, 1, 0, 2600);
    drawn(v);
    CPlotView::Ticks y = v.yTicks(0);
    EXPECT_EQ(y.step, 200.0f);
    expectValues(y.values, seq(0, 260, 11));
    expectValues(y.labels, seq(0, 260, 11));
    // Labels thin out by doubling when 260 units come closer than the spacing.
    CPlotView::Ticks thin = v.yTicks(260.0f * 3.0f * (v.getYValue(1) - v.getYValue(0)));
    expectValues(thin.labels, seq(0, 1040, 3));
    expectValues(thin.values, seq(0, 260, 11));  // tick marks stay at every step
}

TEST(PlotView, LogAxisTicksAreDecades) {
    CPlotView v({0, 0, 600, 500});
    v.setShowLogX(true);
    v.setTicksNumber(4, 2);
    v.setDefaultXYRange(1, 1000, 0, 1);
    RecordingCanvas rc = drawn(v);
    CPlotView::Ticks t = v.xTicks(0);
    expectValues(t.values, {0, 1, 2, 3});
    std::vector<std::string> labels;
    for (float e : t.values) labels.push_back(CPlotView::tickLabelText(e, true, 3));
    EXPECT_EQ(labels, (std::vector<std::string>{"1", "10", "100", "1000"}));
    EXPECT_EQ(CPlotView::tickLabelText(6, true, 3), "1e+06");
    EXPECT_EQ(CPlotView::tickLabelText(-2, true, 3), "0.01");
    EXPECT_EQ(CPlotView::tickLabelText(2.5f, false, 2), "2.50");
    // The texts drawn include the four decade labels.
    int found = 0;
    for (const auto& op : rc.opsOfKind(Kind::Text))
        for (const auto& l : labels) found += op.text == l;
    EXPECT_EQ(found, 4);
}

TEST(PlotView, MarginsFollowTitlesAndTheSampleLabel) {
    CPlotView v({0, 0, 600, 400});
    v.setDefaultXYRange(0, 10, 0, 100);
    v.setTicksNumber(11, 6);
    v.setTicksDigits(1, 0);
    v.setLabels("P (bar)", "wt %");
    RecordingCanvas rc = drawn(v);
    // Fixed metrics: 0.5 x size per character, 1.2 x size high.  Titles 13 pt,
    // tick labels 10 pt.  The x sample is "-10.0" (a limit is 0), y "-100".
    EXPECT_FLOAT_EQ(v.mMarginBottom(), 15.6f + 12.0f + 25.0f);
    EXPECT_FLOAT_EQ(v.mMarginLeft(), 20.0f + 15.6f + 25.0f);
    const PlotRect P = v.getPlotRect();
    EXPECT_FLOAT_EQ(P.x, v.mMarginLeft());
    // X labels 0.0 .. 10.0 centred on their ticks, on one line.
    std::vector<CanvasOp> xl;
    for (const auto& op : rc.opsOfKind(Kind::Text))
        if (op.text.find('.') != std::string::npos) xl.push_back(op);
    ASSERT_EQ(xl.size(), 11u);
    EXPECT_EQ(xl.front().text, "0.0");
    EXPECT_EQ(xl.back().text, "10.0");
    EXPECT_NEAR(xl.front().origin.x + 7.5f, P.x, 1e-3);
    EXPECT_NEAR(xl.front().origin.y, v.mMarginBottom() - 15 - 12, 1e-3);
    // The x title centred under the plot, 5 above the bottom; the y title
    // turned by 90 degrees.
    bool xTitle = false, yTitle = false;
    for (const auto& op : rc.opsOfKind(Kind::Text)) {
        if (op.text == "P (bar)") {
            xTitle = true;
            EXPECT_NEAR(op.origin.x, P.x + P.width / 2 - 22.75f, 1e-3);
            EXPECT_EQ(op.origin.y, 5.0f);
            EXPECT_EQ(op.angle, 0.0f);
        }
        if (op.text == "wt %") {
            yTitle = true;
            EXPECT_EQ(op.angle, 90.0f);
            EXPECT_NEAR(op.origin.x, P.y + P.height / 2 - 13.0f, 1e-3);
            EXPECT_NEAR(op.origin.y, -5.0f - 15.6f, 1e-3);
        }
    }
    EXPECT_TRUE(xTitle && yTitle);
    EXPECT_EQ(rc.saveDepth(), 0u);
}

TEST(PlotView, DrawsBackgroundsFrameGridAndMarkerInOrder) {
    CPlotView v({0, 0, 400, 300});
    v.setDefaultXYRange(0, 10, 0, 10);
    v.setTicksNumber(3, 3);
    v.setDrawGrid(true);
    v.showSelectionPoint(true);
    v.setSelectedPoint(5, 5);
    auto c = std::make_shared<CGraphCurve>();
    c->addPoint(0, 0, false);
    c->addPoint(10, 10, false);
    v.addGraphObject(c);
    RecordingCanvas rc = drawn(v);
    auto fills = rc.opsOfKind(Kind::Fill);
    ASSERT_GE(fills.size(), 3u);
    EXPECT_EQ(fills[0].color, v.backColor());
    EXPECT_EQ(fills[0].path.bounds(), v.bounds());
    EXPECT_EQ(fills[1].color, Color::grayColor());  // the view's frame
    EXPECT_EQ(fills[2].color, v.foreColor());
    EXPECT_EQ(fills[2].path.bounds(), v.getPlotRect());
    auto strokes = rc.opsOfKind(Kind::Stroke);
    // Grid: 3 + 3 dashed lines of width 0.3, black on screen.
    int grid = 0;
    for (const auto& s : strokes)
        if (s.dash == std::vector<float>{5, 2}) {
            ++grid;
            EXPECT_EQ(s.lineWidth, 0.3f);
            EXPECT_EQ(s.color, Color::blackColor());
        }
    EXPECT_EQ(grid, 6);
    // The selection marker is the last stroke: a circle and a cross at (5, 5).
    const CanvasOp& marker = strokes.back();
    PlotRect mb = marker.path.bounds();
    EXPECT_NEAR(mb.x + 5, v.getXValue(5), 1e-3);
    EXPECT_NEAR(mb.width, 10, 1e-3);
    EXPECT_FALSE(marker.clipped);

    // Printing: light grey grid, no selection marker.
    v.setPrinting(true);
    RecordingCanvas pr = drawn(v);
    v.setPrinting(false);
    int greyGrid = 0;
    for (const auto& s : pr.opsOfKind(Kind::Stroke))
        if (s.dash == std::vector<float>{5, 2}) greyGrid += s.color == Color::lightGrayColor();
    EXPECT_EQ(greyGrid, 6);
    EXPECT_EQ(pr.opsOfKind(Kind::Stroke).size(), strokes.size() - 1);

    // A selected point outside the current ranges draws no marker.
    v.setSelectedPoint(20, 5);
    EXPECT_EQ(drawn(v).opsOfKind(Kind::Stroke).size(), strokes.size() - 1);
    // A zoom rectangle is framed in the knob colour, last.
    v.setTrackingRect({100, 100, 40, 30});
    RecordingCanvas zr = drawn(v);
    EXPECT_EQ(zr.opsOfKind(Kind::Fill).back().color, Color::knobColor());
}

TEST(PlotView, GuardsDegenerateRangesAndSettings) {
    CPlotView v({0, 0, 400, 300});
    v.setTicksNumber(1, 0);  // fewer than two ticks
    v.setDefaultXYRange(5, 5, -2, -2);  // empty ranges
    RecordingCanvas rc = drawn(v);
    EXPECT_TRUE(std::isfinite(v.getXValue(5)));
    EXPECT_TRUE(std::isfinite(v.getYValue(-2)));
    EXPECT_FALSE(v.xTicks(0).values.empty());
    EXPECT_LT(v.xTicks(0).values.size(), 100u);

    // A view smaller than its margins: negative scale, no labels, no hang.
    CPlotView tiny({0, 0, 40, 30});
    tiny.setDefaultXYRange(0, 10, 0, 10);
    tiny.setTicksNumber(11, 11);
    drawn(tiny);
    EXPECT_LT(tiny.getPlotRect().width, 0.0f);
    EXPECT_TRUE(tiny.xTicks(10).labels.empty());
    EXPECT_TRUE(tiny.yTicks(10).labels.empty());

    // A range too fine for single precision still ends.
    CPlotView fine({0, 0, 400, 300});
    fine.setTicksNumber(11, 11);
    fine.setDefaultXYRange(1e7f, 1e7f + 1.0f, 1e7f, 1e7f + 1.0f);
    drawn(fine);
    EXPECT_LE(fine.xTicks(0).values.size(), 10001u);

    // A range upside down walks y downward, with a label at every tick.
    CPlotView down({0, 0, 400, 300});
    down.setTicksNumber(3, 3);
    down.setDefaultXYRange(0, 1, 10, 0);
    drawn(down);
    CPlotView::Ticks y = down.yTicks(0);
    expectValues(y.values, {10, 5, 0});
    expectValues(y.labels, {10, 5, 0});
    EXPECT_TRUE(down.xTicks(0).values.size() == 3);
    // A reversed logarithmic y axis walks down by decades.
    CPlotView rlog({0, 0, 400, 300});
    rlog.setShowLogY(true);
    rlog.setDefaultXYRange(0, 1, 100, -1);
    drawn(rlog);
    expectValues(rlog.yTicks(0).values, {2, 1, 0, -1});
}

TEST(PlotView, AdjustsDefaultRangesToWholeSteps) {
    CPlotView v({0, 0, 400, 300});
    int posted = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        CPlotView::kAxisPlotChanged, &v, [&](const std::string&, const void*) { ++posted; });
    v.setDefaultXYRange(0, 100, 0, 1);
    EXPECT_EQ(posted, 1);
    v.adjustXYRange(-7, 123, -0.5f, 2.5f, 5, 50);
    float x0, x1, y0, y1;
    v.getDefaultXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, -10.0f);  // (-7 / 5 - 1) x 5 in integers
    EXPECT_EQ(x1, 150.0f);
    EXPECT_EQ(y0, -0.5f);
    EXPECT_EQ(y1, 2.5f);
    v.getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x1, 150.0f);
    EXPECT_EQ(posted, 2);
    // Steps below 1 count as 1.
    v.adjustXYRange(-10.5f, 200.5f, 0, 1, 0.5f, 0);
    v.getDefaultXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, -11.0f);
    EXPECT_EQ(x1, 201.0f);
    // The maximum ranges change nothing else.
    v.setMaxXYRange(-1000, 1000, -1000, 1000);
    v.getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, -11.0f);
    EXPECT_EQ(posted, 3);
    v.setXYRange(1, 2, 3, 4);
    EXPECT_EQ(posted, 4);
    platform::NotificationCenter::defaultCenter().removeObserver(token);
}

TEST(PlotView, FillsCurvesFromRowsAndManagesItsList) {
    CPlotView v({0, 0, 400, 300});
    std::vector<double> rows{1, 10, 100, 2, 20, 200, 3};
    auto c = v.plotFromArray(rows, 3, 0, 2);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->mPointsList(), (std::vector<CurvePoint>{{1, 100, false}, {2, 200, false}}));
    EXPECT_EQ(c->getPlotView(), &v);
    auto t = v.plotFromArray(rows, 3, 1, 0, 2.0, 1.0, -1.0, 0.5);
    EXPECT_EQ(t->mPointsList()[1], (CurvePoint{41, -1.5f, false}));
    EXPECT_FALSE(v.plotFromArray(rows, 3, 0, 3));  // column outside the row
    EXPECT_FALSE(v.plotFromArray(rows, 0, 0, 0));
    auto p = v.plotPoint(1.5, 2.5, 2, Color::redColor());
    EXPECT_EQ(p->selector(), 2);
    EXPECT_EQ(p->color(), Color::redColor());
    EXPECT_EQ(v.graphObjects().size(), 3u);

    c->setName("sol-1");
    t->setName("sol-2");
    p->setName("start");
    auto pc = std::make_shared<CGraphPointCurve>();
    auto area = std::make_shared<CGraphArea>();
    v.addGraphObject(pc);
    v.addGraphObject(area);
    v.setSelectedObject(p);
    v.removeGraphObjectWithName("nothing");
    EXPECT_EQ(v.selectedObject(), p);  // no such name: nothing changes
    EXPECT_EQ(v.getGraphObjectWithName("sol-2"), t);
    v.includesIntoLegend(c);
    v.removeGraphObjectWithKindOfName("sol-");
    EXPECT_EQ(v.graphObjects().size(), 3u);
    EXPECT_TRUE(v.mLegend()->mRefObjectList().empty());
    EXPECT_EQ(c->getPlotView(), nullptr);
    EXPECT_FALSE(v.selectedObject());

    // purgeCurves removes exact curves only.
    auto plain = std::make_shared<CGraphCurve>();
    v.addGraphObject(plain);
    v.includesIntoLegend(plain);
    v.purgeCurves();
    EXPECT_EQ(v.graphObjects().size(), 3u);
    EXPECT_EQ(plain->getPlotView(), nullptr);
    EXPECT_TRUE(v.mLegend()->mRefObjectList().empty());  // a purged curve leaves the legend
    pc->setReferenceObject(p);
    v.purgePointCurves();  // pc has a reference object: kept
    EXPECT_EQ(v.graphObjects().size(), 3u);
    v.purgeReferenceObjects();
    EXPECT_EQ(v.graphObjects().size(), 2u);
    v.hilite(p);
    EXPECT_TRUE(p->isHilited());
    v.purge();
    EXPECT_TRUE(v.graphObjects().empty());
    EXPECT_EQ(p->getPlotView(), nullptr);
}

TEST(PlotView, TakesItsListRangesLabelsAndSelectionWhole) {
    CPlotView v({0, 0, 400, 300});
    auto a = std::make_shared<CGraphCurve>();
    auto b = std::make_shared<CGraphCurve>();
    auto p = CGraphPoint::newGraphPoint(2.5f, 40);
    v.addGraphObject(a);
    v.setSelectedObject(a);
    // A new list: the objects it leaves lose the view and the selection; an empty entry is skipped.
    v.setGraphObjects({b, nullptr, p});
    EXPECT_EQ(v.graphObjects(), (std::vector<std::shared_ptr<CGraphObject>>{b, p}));
    EXPECT_EQ(a->getPlotView(), nullptr);
    EXPECT_EQ(p->getPlotView(), &v);
    EXPECT_FALSE(v.selectedObject());

    // The selection follows the marker and reads back with its object.
    v.setSelectedObject(p);
    v.adjustSelectionPoint(*p);
    float x = 0, y = 0;
    std::shared_ptr<CGraphObject> o;
    v.getSelection(&x, &y, &o);
    EXPECT_EQ(x, 2.5f);
    EXPECT_EQ(y, 40.0f);
    EXPECT_EQ(o, p);

    // hilite moves the highlight, hilite1 adds one; the legend loses one object of two.
    v.hilite(b);
    v.hilite1(p);
    v.hilite1(nullptr);
    EXPECT_TRUE(b->isHilited());
    EXPECT_TRUE(p->isHilited());
    v.includesIntoLegend(b);
    v.includesIntoLegend(p);
    v.removeFromLegend(b);
    EXPECT_EQ(v.mLegend()->mRefObjectList(), (std::vector<std::shared_ptr<CGraphObject>>{p}));

    // The ranges of a sibling view become this view's default and current ranges.
    CPlotView w({0, 0, 200, 100});
    w.setXYRange(1, 3, -2, 5);
    v.getSameXYRange(w);
    float r[8];
    v.getXYRange(&r[0], &r[1], &r[2], &r[3]);
    v.getDefaultXYRange(&r[4], &r[5], &r[6], &r[7]);
    for (int k = 0; k < 8; k += 4) expectValues({r[k], r[k + 1], r[k + 2], r[k + 3]}, {1, 3, -2, 5});

    // Titles given whole are drawn in their own colours; a logarithmic x axis
    // puts the decades 10, 100 and 1000 at equal distances.
    v.setMXLabel(RichText{"T (K)", v.getLabelsAttributes(), Color::redColor()});
    v.setMYLabel(RichText{"P (bar)", v.getLabelsAttributes(), Color::blueColor()});
    v.setShowLogX(!v.showLogX());
    v.setXYRange(10, 1000, 0, 1);
    RecordingCanvas rc = drawn(v);
    int titles = 0;
    for (const auto& t : rc.opsOfKind(Kind::Text)) {
        if (t.text == "T (K)") titles += t.color == Color::redColor();
        if (t.text == "P (bar)") titles += t.color == Color::blueColor();
    }
    EXPECT_EQ(titles, 2);
    EXPECT_NEAR(v.getXValue(100) - v.getXValue(10), v.getXValue(1000) - v.getXValue(100), 1e-3f);
    EXPECT_GT(v.getXValue(100) - v.getXValue(10), 1.0f);

    // A press keeps its modifier keys, whatever was set before.
    v.setSelectionKeyControl(false);
    v.setSelectionKeyOption(true);
    v.mouseDown({50, 50}, CPlotView::kControlKeyMask, 1);
    v.mouseUp({50, 50});
    EXPECT_TRUE(v.selectionKeyControl());
    EXPECT_FALSE(v.selectionKeyOption());
    EXPECT_FALSE(v.selectionKeyShift());
}

TEST(PlotView, ActionsTellTheContainer) {
    struct Box : PlotViewContainer {
        std::string status;
        int zoom = -1, grid = -1;
        void setStatusMessage(const std::string& m) override { status = m; }
        void setEnabledZoomingControls(bool e) override { zoom = e; }
        void updateGridButton(bool on) override { grid = on; }
    } box;
    CPlotView v({0, 0, 400, 300});
    v.setDrawPlotView(&box);
    int redraws = 0;
    v.setDisplayRequest([&] { ++redraws; });
    v.setDefaultXYRange(0, 10, 0, 100);
    v.onShowGrid();
    EXPECT_EQ(box.grid, 1);
    EXPECT_TRUE(v.drawsGrid());
    v.onShowGrid();
    EXPECT_EQ(box.grid, 0);
    drawn(v);
    v.setTrackingRect({v.getXValue(2), v.getYValue(10), v.getXValue(4) - v.getXValue(2),
                       v.getYValue(60) - v.getYValue(10)});
    v.setMaxXYRange(0, 10, 0, 100);
    v.onZoomIn();
    float x0, x1, y0, y1;
    v.getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_NEAR(x0, 2, 1e-4);
    EXPECT_NEAR(x1, 4, 1e-4);
    EXPECT_NEAR(y1, 60, 1e-3);
    EXPECT_EQ(box.zoom, 0);
    EXPECT_TRUE(v.trackingRect().isEmpty());
    v.onAxisRangesByDefault();
    v.getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x1, 10.0f);
    v.setSelectedPoint(2.5f, 50);
    v.setLabels("P", "c");
    v.updateStatusMessage();
    EXPECT_EQ(box.status, "P = 2.500, c = 50.000");
    EXPECT_GE(redraws, 4);
    v.setDrawPlotView(nullptr);
}

}  // namespace
