#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/plot/CGraphArea.h"
#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphLegend.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CGraphPointCurve.h"
#include "app/plot/CGraphStringPoint.h"
#include "app/plot/CGraphStringPointCurve.h"
#include "app/plot/CGraphText.h"
#include "app/plot/RecordingCanvas.h"
#include "app/plot/tests/PlotTestSupport.h"

namespace {

using Kind = CanvasOp::Kind;

// The on-curve points of a path (move and line targets), in order.
void expectPoint(PlotPoint p, float x, float y) {
    EXPECT_NEAR(p.x, x, 1e-4f);
    EXPECT_NEAR(p.y, y, 1e-4f);
}

TEST(MarkerShapes, EveryKindHasItsGeometry) {
    const float x = 100, y = 100, a = 4, b = 4;
    // Triangles use the single-precision factors 0.667 and 1.333.
    auto up = vertices(CGraphObject::constructPoint0(7, a, b, x, y));
    ASSERT_EQ(up.size(), 3u);
    expectPoint(up[0], 96, 97.332f);
    expectPoint(up[1], 104, 97.332f);
    expectPoint(up[2], 100, 105.332f);
    EXPECT_EQ(vertices(CGraphObject::constructPoint0(9, a, b, x, y)).size(), 3u);
    auto down = vertices(CGraphObject::constructPoint0(8, a, b, x, y));
    expectPoint(down[0], 96, 102.668f);
    expectPoint(down[2], 100, 94.668f);
    EXPECT_EQ(vertices(CGraphObject::constructPoint0(10, a, b, x, y)).size(), 3u);

    auto diamond = vertices(CGraphObject::constructPoint0(11, a, b, x, y));
    ASSERT_EQ(diamond.size(), 4u);
    expectPoint(diamond[0], 96, 100);
    expectPoint(diamond[1], 100, 96);
    expectPoint(diamond[2], 104, 100);
    expectPoint(diamond[3], 100, 104);

    auto plus = vertices(CGraphObject::constructPoint0(5, a, 3, x, y));
    ASSERT_EQ(plus.size(), 4u);
    expectPoint(plus[0], 96, 100);
    expectPoint(plus[1], 104, 100);
    expectPoint(plus[2], 100, 97);
    expectPoint(plus[3], 100, 103);
    auto cross = vertices(CGraphObject::constructPoint0(6, a, 3, x, y));
    expectPoint(cross[0], 96, 97);
    expectPoint(cross[1], 104, 103);
    expectPoint(cross[2], 96, 103);
    expectPoint(cross[3], 104, 97);

    for (int s : {3, 4}) {
        PlotRect r = CGraphObject::constructPoint0(s, a, 2, x, y).bounds();
        EXPECT_EQ(r, (PlotRect{96, 98, 8, 4}));
    }
    // Circles, for 0, 1, 2 and any unknown kind: the oval in (x-a, y-b, 2a, 2b).
    for (int s : {0, 1, 2, 13, -1, 99}) {
        Path p = CGraphObject::constructPoint0(s, a, b, x, y);
        PlotRect r = p.bounds();
        EXPECT_NEAR(r.x, 96, 1e-3);
        EXPECT_NEAR(r.width, 8, 1e-3);
        EXPECT_NEAR(r.height, 8, 1e-3);
        EXPECT_TRUE(p.contains({x + 2.7f, y + 2.7f}));   // inside the circle
        EXPECT_FALSE(p.contains({x + 3.2f, y + 3.2f}));  // inside the square, outside the circle
    }
    // Exactly the kinds 1, 3, 7, 8 and 11 are filled.
    std::vector<int> filled;
    for (int s = -2; s < 20; ++s)
        if (CGraphObject::isFilledMarker(s)) filled.push_back(s);
    EXPECT_EQ(filled, (std::vector<int>{1, 3, 7, 8, 11}));
}

TEST(MarkerShapes, PointsDrawAtTheirSizeAndHitInsideFilledAreasOnly) {
    auto view = makeOneToOneView();
    auto p = CGraphPoint::newGraphPoint(50, 60);
    view->addGraphObject(p);
    p->setSelector(9);
    RecordingCanvas rc;
    p->render(rc);
    auto strokes = rc.opsOfKind(Kind::Stroke);
    ASSERT_EQ(strokes.size(), 1u);  // kind 9 is stroked
    EXPECT_NEAR(strokes[0].lineWidth, 1.3f, 1e-6);
    EXPECT_TRUE(strokes[0].clipped);
    EXPECT_EQ(strokes[0].clip, view->getPlotRect());
    EXPECT_NEAR(p->getBounds().width, 7.0f, 1e-4);  // half-size 3.5 with the default factor 3
    EXPECT_EQ(rc.saveDepth(), 0u);

    p->setHilited(true);
    p->setSelector(1);
    rc.clear();
    p->render(rc);
    ASSERT_EQ(rc.opsOfKind(Kind::Fill).size(), 1u);
    EXPECT_NEAR(p->getBounds().width, 9.0f, 1e-4);  // 4.5 when highlighted
    EXPECT_TRUE(p->isHit({53, 60}));
    EXPECT_FALSE(p->isHit({54.8f, 64.8f}));

    p->setSelector(5);  // a plus encloses nothing
    p->render(rc);
    EXPECT_FALSE(p->isHit({50, 60}));
    EXPECT_FALSE(p->isHit({52, 60}));

    p->setSelector(3);
    p->render(rc);
    p->setHidden(true);
    EXPECT_FALSE(p->isHit({50, 60}));
    p->setHidden(false);
    p->setSelectable(false);
    EXPECT_FALSE(p->isHit({50, 60}));
    // An unselectable object cannot be highlighted or unhighlighted.
    p->setHilited(false);
    EXPECT_TRUE(p->isHilited());
}

TEST(MarkerShapes, PointLabelIsCentredUnderTheMarker) {
    auto view = makeOneToOneView();
    auto sp = CGraphStringPoint::newGraphStringPoint(100, 100);
    view->addGraphObject(sp);
    sp->setLabel("abcd");
    sp->setShowLabel(true);
    sp->setOffsetX(3);
    sp->setOffsetY(-1);
    RecordingCanvas rc(0.5f, 1.0f);  // label font 10 pt: 4 characters are 20 wide, 10 high
    sp->render(rc);
    auto texts = rc.opsOfKind(Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "abcd");
    expectPoint(texts[0].origin, 100 - 10 + 3, 100 - 7 - 3.5f - 2 - 1);
    EXPECT_EQ(texts[0].color, Color::blackColor());
    // Nudged down by 5 view units, the label moves by as much.
    sp->setOffsetY(sp->offsetY() + 5);
    rc.clear();
    sp->render(rc);
    expectPoint(rc.opsOfKind(Kind::Text)[0].origin, 100 - 10 + 3, 100 - 7 - 3.5f - 2 - 1 + 5);

    auto named = CGraphPoint::newGraphPoint(10, 10);
    view->addGraphObject(named);
    named->setShowLabel(true);  // no name: an empty label
    rc.clear();
    named->render(rc);
    ASSERT_EQ(rc.opsOfKind(Kind::Text).size(), 1u);
    EXPECT_EQ(rc.opsOfKind(Kind::Text)[0].text, "");
}

TEST(GraphCurve, HitTestFollowsSegmentsAndStartBoxes) {
    auto view = makeOneToOneView();
    auto c = std::make_shared<CGraphCurve>();
    view->addGraphObject(c);
    c->addPoint(20, 20, false);
    c->addPoint(30, 20, false);
    EXPECT_TRUE(c->isHit({25, 24}));
    EXPECT_TRUE(c->isHit({25, 15}));
    EXPECT_FALSE(c->isHit({25, 26}));
    EXPECT_TRUE(c->isHit({15, 25}));   // the start point's box
    EXPECT_FALSE(c->isHit({33, 20}));  // past the last point, which has no box
    // A steep segment.
    c->addPoint(32, 60, false);
    EXPECT_TRUE(c->isHit({35, 40}));
    EXPECT_FALSE(c->isHit({37, 40}));
    // A break: no segment joins the points on either side of it.
    auto b = std::make_shared<CGraphCurve>();
    view->addGraphObject(b);
    b->addPoint(0, 100, false);
    b->addPoint(50, 100, true);
    b->addPoint(100, 100, false);
    EXPECT_FALSE(b->isHit({40, 100}));
    EXPECT_TRUE(b->isHit({75, 100}));
    b->setHidden(true);
    EXPECT_FALSE(b->isHit({75, 100}));
    EXPECT_FALSE(std::make_shared<CGraphCurve>()->isHit({0, 0}));
}

TEST(GraphCurve, DrawsPiecesWithItsDashAndLabel) {
    auto view = makeOneToOneView();
    auto c = std::make_shared<CGraphCurve>();
    view->addGraphObject(c);
    c->addPoint(0, 0, false);
    c->addPoint(10, 10, false);
    c->addPoint(15, 15, true);
    c->addPoint(20, 0, false);
    c->addPoint(30, 0, false);
    c->setColor(Color::blueColor());
    c->setLabel("L", 50, 50);
    struct Case { int dash; std::vector<float> pattern; };
    for (const Case& k : {Case{0, {}}, Case{1, {6, 3}}, Case{2, {4, 4}}, Case{3, {4, 2, 2, 2}}, Case{7, {6, 3}}}) {
        c->setMDash(k.dash);
        RecordingCanvas rc(1.0f, 1.0f);
        c->render(rc);
        auto s = rc.opsOfKind(Kind::Stroke);
        ASSERT_EQ(s.size(), 1u);
        EXPECT_EQ(s[0].dash, k.pattern);
        EXPECT_EQ(s[0].color, Color::blueColor());
        int moves = 0;
        for (const auto& e : s[0].path.elements()) moves += e.op == Path::Op::MoveTo;
        EXPECT_EQ(moves, 2);
        auto t = rc.opsOfKind(Kind::Text);
        ASSERT_EQ(t.size(), 1u);
        expectPoint(t[0].origin, 45, 45);  // 10 x 10 text centred on the anchor
    }
    // The label and its anchor set one at a time: drawn centred on the new anchor.
    c->setMLabel("M");
    c->setMLabelAnchor({20, 30});
    RecordingCanvas moved(1.0f, 1.0f);
    c->render(moved);
    auto t = moved.opsOfKind(Kind::Text);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, "M");
    expectPoint(t[0].origin, 15, 25);
    c->setHilited(true);
    c->setToolSizeFactor(2);
    RecordingCanvas rc;
    c->render(rc);
    EXPECT_EQ(rc.opsOfKind(Kind::Stroke)[0].lineWidth, 3.0f);
}

TEST(GraphCurve, ReadsItsPointsBackByIndexAndTheLast) {
    CGraphCurve c;
    float x = -1, y = -1;
    EXPECT_FALSE(c.getLastPointCoord(&x, &y));  // an empty curve writes nothing
    EXPECT_EQ(x, -1.0f);
    EXPECT_EQ(y, -1.0f);
    EXPECT_FALSE(c.getPointAtIndex(0));
    // y = x^2 at x = 0 .. 4, a break before the fourth point.
    for (int i = 0; i < 5; ++i) c.addPoint(float(i), float(i * i), i == 3);
    for (int i = 0; i < 5; ++i) {
        const auto p = c.getPointAtIndex(i);
        ASSERT_TRUE(p) << i;
        EXPECT_EQ(p->x, float(i));
        EXPECT_EQ(p->y, float(i * i));
    }
    EXPECT_FALSE(c.getPointAtIndex(-1));
    EXPECT_FALSE(c.getPointAtIndex(5));
    EXPECT_TRUE(c.getLastPointCoord(&x, &y));
    EXPECT_EQ(x, 4.0f);
    EXPECT_EQ(y, 16.0f);
    y = 0;
    EXPECT_TRUE(c.getLastPointCoord(nullptr, &y));  // either coordinate may be left out
    EXPECT_EQ(y, 16.0f);
}

TEST(GraphObject, ColourComponentsToolSizeAndReference) {
    auto p = CGraphPoint::newGraphPoint(1, 2);
    EXPECT_EQ(p->getRed(), 0);  // no colour of its own
    EXPECT_EQ(p->getBlue(), 0);
    // 16-bit components, truncated: 0.2f * 65535 = 13107.0002, 0.5 * 65535 =
    // 32767.5 and 0.3f * 65535 = 19660.5008 (rounding would give 32768 and 19661).
    p->setColor(0.2f, 0.5f, 0.3f);
    EXPECT_EQ(p->getRed(), 13107);
    EXPECT_EQ(p->getGreen(), 32767);
    EXPECT_EQ(p->getBlue(), 19660);
    p->setColor(Color::blueColor());
    EXPECT_EQ(p->getBlue(), 65535);
    // A point starts with a tool size of 3; the default one is 1 whatever is asked.
    EXPECT_EQ(p->getToolSizeFactor(), 3.0f);
    p->setDefaultToolSize(7);
    EXPECT_EQ(p->getToolSizeFactor(), 1.0f);
    // The reference object is not owned: it goes when its owner lets it go.
    auto pc = std::make_shared<CGraphPointCurve>();
    pc->setReferenceObject(p);
    EXPECT_EQ(pc->referenceObject(), p);
    p.reset();
    EXPECT_FALSE(pc->referenceObject());
}

TEST(GraphCurve, PointsWithoutANumberBreakTheCurve) {
    // A series with undefined and overflowed values (a model's curve beyond
    // its range): each such point breaks the curve, nothing is drawn towards
    // it, and the bounds and hits are those of the drawable pieces.
    auto view = makeOneToOneView();
    auto c = std::make_shared<CGraphCurve>();
    view->addGraphObject(c);
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (PlotPoint p : {PlotPoint{nan, 5}, PlotPoint{0, 0}, PlotPoint{10, 10}, PlotPoint{20, inf},
                        PlotPoint{30, 0}, PlotPoint{40, 0}, PlotPoint{-inf, 50}})
        c->addPoint(p.x, p.y, false);
    RecordingCanvas rc;
    c->render(rc);
    auto s = rc.opsOfKind(Kind::Stroke);
    ASSERT_EQ(s.size(), 1u);
    std::vector<Path::Op> ops;
    for (const auto& e : s[0].path.elements()) {
        ops.push_back(e.op);
        EXPECT_TRUE(std::isfinite(e.points[0].x) && std::isfinite(e.points[0].y));
    }
    EXPECT_EQ(ops, (std::vector<Path::Op>{Path::Op::MoveTo, Path::Op::LineTo, Path::Op::MoveTo, Path::Op::LineTo}));
    const PlotRect b = c->getBounds();
    EXPECT_TRUE(std::isfinite(b.width) && std::isfinite(b.height));
    EXPECT_TRUE(c->isHit({35, 0}));
    EXPECT_TRUE(c->isHit({5, 5}));
    EXPECT_FALSE(c->isHit({25, 20}));  // no segment joins 10,10 and 30,0 across the gap
    // A series of nothing but undefined points draws nothing and is never hit.
    auto none = std::make_shared<CGraphCurve>();
    view->addGraphObject(none);
    none->addPoint(nan, nan, false);
    none->addPoint(inf, 1, false);
    RecordingCanvas empty;
    none->render(empty);
    for (const auto& op : empty.opsOfKind(Kind::Stroke)) EXPECT_TRUE(op.path.isEmpty());
    EXPECT_FALSE(none->isHit({0, 0}));

    // Markers, labels, point series and areas: nothing is drawn at a point
    // without a number, and every coordinate drawn is a number.
    auto marker = std::make_shared<CGraphPoint>();
    view->addGraphObject(marker);
    marker->setPoint(nan, 10);
    marker->setShowLabel(true);
    auto series = std::make_shared<CGraphPointCurve>();
    view->addGraphObject(series);
    series->setJoinPoints(true);
    for (PlotPoint p : {PlotPoint{10, 10}, PlotPoint{inf, 20}, PlotPoint{30, 30}, PlotPoint{40, 40}})
        series->addPoint(p.x, p.y, 0);
    auto area = std::make_shared<CGraphArea>();
    view->addGraphObject(area);
    area->setMPointsList({{0, 0}, {nan, 50}, {100, 0}, {100, 100}});
    RecordingCanvas all;
    for (CGraphObject* o : std::initializer_list<CGraphObject*>{marker.get(), series.get(), area.get()}) o->render(all);
    EXPECT_TRUE(all.opsOfKind(Kind::Text).empty());
    size_t drawn = 0;
    for (Kind k : {Kind::Stroke, Kind::Fill})
        for (const auto& op : all.opsOfKind(k))
            for (const auto& e : op.path.elements()) {
                ++drawn;
                for (const PlotPoint& q : e.points) {
                    if (e.op != Path::Op::Close) {
                        EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.y));
                    }
                }
            }
    EXPECT_GT(drawn, 0u);
    // The series' line: 10,10 alone, then 30,30 to 40,40.
    std::vector<PlotPoint> line;
    for (const auto& op : all.opsOfKind(Kind::Stroke))
        if (op.lineWidth == 1.0f) line = vertices(op.path);
    ASSERT_EQ(line.size(), 3u);
    expectPoint(line[1], 30, view->getYValue(30));
}

TEST(GraphCurve, InterpolationAnswersOnlyWhereASegmentBracketsX) {
    CGraphCurve c;
    c.addPoint(0, 0, false);
    c.addPoint(10, 10, false);
    EXPECT_FLOAT_EQ(*c.getYFromX(5), 5);
    EXPECT_FLOAT_EQ(*c.getYFromX(0), 0);
    EXPECT_FLOAT_EQ(*c.getYFromX(10), 10);  // the last point answers too
    EXPECT_FALSE(c.getYFromX(20).has_value());
    EXPECT_FALSE(c.getYFromX(-1).has_value());
    c.addPoint(5, 20, false);  // the curve turns back: the first bracket wins
    EXPECT_FLOAT_EQ(*c.getYFromX(7), 7);
    EXPECT_FLOAT_EQ(*c.getYFromX(5), 5);
    EXPECT_FALSE(CGraphCurve().getYFromX(0).has_value());
}

TEST(GraphCurve, PieceOfACurveDoesNotDependOnTheOrderOfItsEnds) {
    CGraphCurve c;
    for (int i = 0; i < 10; ++i) c.addPoint(float(i), float(i * i), i == 4);
    auto f = c.makeCurveFrom(2.1, 4, 7.2, 50);
    auto r = c.makeCurveFrom(7.2, 50, 2.1, 4);
    EXPECT_EQ(f->mPointsList(), r->mPointsList());
    ASSERT_EQ(f->mPointsList().size(), 5u);  // 2, 3, 5, 6, 7: the break is skipped
    EXPECT_EQ(f->mPointsList()[2], (CurvePoint{5, 25, false}));
    EXPECT_EQ(f->mPointsList().back(), (CurvePoint{7, 49, false}));
    EXPECT_EQ(f->getPlotView(), nullptr);
}

TEST(GraphArea, BuildsFromCurvesAndClosesAlongASubcurve) {
    CGraphCurve c;
    for (int i = 0; i <= 4; ++i) c.addPoint(float(i), 10.0f, false);
    c.addPoint(9, 9, true);
    CGraphArea area;
    area.addSubcurve(&c);  // fewer than two points: ignored
    area.addPoint(0, 0);
    area.addSubcurve(&c);
    EXPECT_EQ(area.mPointsList().size(), 1u);
    area.addPoint(4, 0);
    area.addSubcurve(&c);  // from the point nearest (4, 0) back to the one nearest (0, 0)
    std::vector<PlotPoint> expected{{0, 0}, {4, 0}, {4, 10}, {3, 10}, {2, 10}, {1, 10}, {0, 10}};
    EXPECT_EQ(area.mPointsList(), expected);
    area.addSubcurve(nullptr);  // reported, nothing changes
    EXPECT_EQ(area.mPointsList(), expected);

    CGraphArea both;
    both.addCurve(c, false);
    both.addCurve(c, true);
    ASSERT_EQ(both.mPointsList().size(), 10u);
    EXPECT_EQ(both.mPointsList()[5], (PlotPoint{4, 10}));

    auto view = makeOneToOneView();
    auto a = std::make_shared<CGraphArea>();
    a->setMPointsList({{10, 10}, {50, 10}, {50, 50}, {10, 50}});
    view->addGraphObject(a);
    RecordingCanvas rc;
    a->render(rc);
    ASSERT_EQ(rc.opsOfKind(Kind::Fill).size(), 1u);
    EXPECT_TRUE(rc.opsOfKind(Kind::Stroke).empty());
    EXPECT_FALSE(a->isHit({30, 30}));  // not selectable by default
    a->setSelectable(true);
    EXPECT_TRUE(a->isHit({30, 30}));
    EXPECT_FALSE(a->isHit({60, 30}));
}

TEST(GraphObjectCopies, CopyWhatEachClassCopiesAndNothingElse) {
    auto view = makeOneToOneView();
    auto owner = std::make_shared<CGraphCurve>();
    auto c = std::make_shared<CGraphCurve>();
    view->addGraphObject(c);
    c->setName("H2O");
    c->setSize(2.5f);
    c->setSelector(4);
    c->setColor(0.2f, 0.4f, 0.6f);
    c->setHilited(true);
    c->setToolSizeFactor(3);
    c->setReferenceObject(owner);
    c->setColorCousinship(owner);
    c->addPoint(1, 2, false);
    c->addPoint(3, 4, true);
    c->setLabel("lab", 5, 6);
    c->setLineDash(2);
    RecordingCanvas rc;
    c->render(rc);

    auto k = std::dynamic_pointer_cast<CGraphCurve>(c->copy());
    ASSERT_TRUE(k);
    EXPECT_EQ(k->name(), std::optional<std::string>("H2O"));
    EXPECT_EQ(k->size(), 2.5f);
    EXPECT_EQ(k->selector(), 4);
    EXPECT_EQ(k->color(), c->color());
    EXPECT_EQ(k->mPointsList(), c->mPointsList());
    EXPECT_EQ(k->mLabel(), std::optional<std::string>("lab"));
    EXPECT_EQ(k->mLabelAnchor(), (PlotPoint{5, 6}));
    EXPECT_EQ(k->mDash(), 2);
    // Not copied: highlight, tool size, plot view, cousins, path, reference.
    EXPECT_FALSE(k->isHilited());
    EXPECT_TRUE(k->isSelectable());
    EXPECT_EQ(k->getToolSizeFactor(), 1.0f);
    EXPECT_EQ(k->getPlotView(), nullptr);
    EXPECT_TRUE(k->colorCousins().empty());
    EXPECT_FALSE(k->path().has_value());
    EXPECT_FALSE(k->hasReferenceObject());

    auto sp = CGraphStringPoint::newGraphStringPoint(1, 2);
    sp->setLabel("x");
    sp->setOffsetX(4);
    sp->setShowLabel(true);
    auto sk = std::dynamic_pointer_cast<CGraphStringPoint>(sp->copy());
    ASSERT_TRUE(sk);
    EXPECT_FALSE(sk->getLabel().has_value());  // the label text is not copied
    EXPECT_EQ(sk->offsetX(), 4.0f);
    EXPECT_TRUE(sk->showsLabel());
    EXPECT_EQ(sk->getX(), 1.0f);
    EXPECT_EQ(sk->getToolSizeFactor(), 3.0f);

    CGraphText t;
    t.setText("hello");
    t.setPosition(3, 4);
    t.setDimension(10, 20);
    auto tk = std::dynamic_pointer_cast<CGraphText>(t.copy());
    ASSERT_TRUE(tk);
    EXPECT_EQ(tk->contents().text, "");  // the text is not copied
    float x = 0, y = 0;
    tk->getPosition(&x, &y);
    EXPECT_EQ(x, 3.0f);
    EXPECT_EQ(tk->dimension(), (PlotSize{10, 20}));

    CGraphStringPointCurve series;
    series.addPoint("a", 1, 1);
    auto serk = std::dynamic_pointer_cast<CGraphStringPointCurve>(series.copy());
    ASSERT_EQ(serk->mStringPointArray().size(), 1u);
    EXPECT_EQ(serk->mStringPointArray()[0], series.mStringPointArray()[0]);  // the same point objects

    CGraphPointCurve pc;
    pc.addPoint(1, 1, 0);
    pc.addPoint(2, 2, 1);  // a non-zero skip adds nothing
    pc.setJoinPoints(true);
    auto pck = std::dynamic_pointer_cast<CGraphPointCurve>(pc.copy());
    EXPECT_EQ(pck->mPointsList().size(), 1u);
    EXPECT_TRUE(pck->joinsPoints());
    EXPECT_EQ(pck->getToolSizeFactor(), 4.0f);

    const auto plainCopy = CGraphObject().copy();
    const CGraphObject& plain = *plainCopy;
    EXPECT_EQ(typeid(plain), typeid(CGraphObject));
}

TEST(ColorCousins, FollowOneLevelAndNeverDangle) {
    auto a = std::make_shared<CGraphCurve>();
    auto b = std::make_shared<CGraphPoint>();
    auto c = std::make_shared<CGraphPoint>();
    a->setColorCousinship(b);
    b->setColorCousinship(c);
    a->setColor(Color::redColor());
    EXPECT_EQ(b->color(), Color::redColor());
    EXPECT_FALSE(c->color().has_value());  // cousins of cousins keep their colour
    a->setColor(0.0f, 1.0f, 0.0f);
    EXPECT_EQ(b->color(), Color::redColor());  // the component setter touches no cousin
    EXPECT_EQ(a->getGreen(), 65535);
    EXPECT_EQ(a->getRed(), 0);
    b->setColor(Color{0.5f, 0.25f, 1.0f, 1.0f});
    EXPECT_EQ(a->color(), (Color{0.5f, 0.25f, 1.0f, 1.0f}));
    EXPECT_EQ(b->getRed(), 32767);
    a->breakCousinship(b);
    b->setColor(Color::blackColor());
    EXPECT_NE(a->color(), Color::blackColor());

    // A one-way cousin that goes away leaves nothing dangling behind.
    a->addColorCousin(c);
    c.reset();
    EXPECT_TRUE(a->colorCousins().empty());
    a->setColor(Color::whiteColor());
    b->setColorCousinship(a);
    b.reset();
    EXPECT_TRUE(a->colorCousins().empty());
}

TEST(Legend, LaysOutRowsBottomUpWithFixedMetrics) {
    auto view = makeOneToOneView(400, 400);
    auto curve = std::make_shared<CGraphCurve>();
    curve->setName("A");
    curve->setColor(Color::blueColor());
    auto point = CGraphPoint::newGraphPoint(1, 1);
    point->setName("Bb");
    point->setSelector(3);
    point->setColor(Color::redColor());
    auto sp = CGraphStringPoint::newGraphStringPoint(1, 1);
    view->addGraphObject(curve);
    view->addGraphObject(point);
    view->addGraphObject(sp);
    view->includesIntoLegend(curve);
    view->includesIntoLegend(sp);  // no row: not exactly a curve or a point
    view->includesIntoLegend(point);
    view->setLegendPosition(100, 200);
    const auto& legend = view->mLegend();
    RecordingCanvas rc(0.5f, 1.2f);  // 10 pt: 5 per character, 12 high
    legend->render(rc);
    auto texts = rc.opsOfKind(Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Bb");
    expectPoint(texts[0].origin, 130, 200);  // the last object at the legend's position
    EXPECT_EQ(texts[1].text, "A");
    expectPoint(texts[1].origin, 130, 214);  // above it by the text height plus 2
    auto fills = rc.opsOfKind(Kind::Fill);
    ASSERT_EQ(fills.size(), 1u);  // the square marker sample, filled, in the point's colour
    EXPECT_EQ(fills[0].color, Color::redColor());
    PlotRect m = fills[0].path.bounds();
    EXPECT_NEAR(m.x + 0.5f * m.width, 100 + 8 - 1.5f, 1e-4);
    EXPECT_NEAR(m.y + 0.5f * m.height, 206, 1e-4);
    EXPECT_NEAR(m.width, 7, 1e-4);
    EXPECT_NEAR(fills[0].lineWidth, 1.1f, 1e-6);
    auto strokes = rc.opsOfKind(Kind::Stroke);
    ASSERT_EQ(strokes.size(), 1u);  // the curve's line sample, solid, width 1
    EXPECT_EQ(strokes[0].color, Color::blueColor());
    EXPECT_TRUE(strokes[0].dash.empty());
    EXPECT_EQ(strokes[0].path.bounds(), (PlotRect{100, 220, 20, 0}));
    EXPECT_EQ(legend->getBounds(), (PlotRect{100, 200, 40, 30}));
    EXPECT_TRUE(legend->isHit({100, 200}));
    EXPECT_FALSE(legend->isHit({140, 210}));

    // Highlighted: the handle square and a dashed frame.
    legend->setHilited(true);
    rc.clear();
    legend->render(rc);
    auto frame = rc.opsOfKind(Kind::Stroke).back();
    EXPECT_EQ(frame.dash, (std::vector<float>{5, 2}));
    EXPECT_EQ(frame.path.bounds(), legend->getBounds());

    // Removing an object takes its row away; a released object disappears too.
    view->removeGraphObject(curve);
    curve.reset();
    point.reset();
    view->purge();
    rc.clear();
    legend->render(rc);
    EXPECT_TRUE(rc.opsOfKind(Kind::Text).empty());
}

TEST(Legend, UnnamedObjectsAreUntitledAndOnlyStringPointsGiveNoRow) {
    auto view = makeOneToOneView();
    auto sp = CGraphStringPoint::newGraphStringPoint(1, 1);
    view->addGraphObject(sp);
    view->includesIntoLegend(sp);
    view->setLegendPosition(10, 10);
    RecordingCanvas rc;
    view->mLegend()->render(rc);
    EXPECT_TRUE(rc.opsOfKind(Kind::Text).empty());
    EXPECT_FALSE(view->mLegend()->isHit({10, 10}));

    auto c = std::make_shared<CGraphPointCurve>();
    view->addGraphObject(c);
    view->includesIntoLegend(c);
    rc.clear();
    view->mLegend()->render(rc);
    ASSERT_EQ(rc.opsOfKind(Kind::Text).size(), 1u);
    EXPECT_EQ(rc.opsOfKind(Kind::Text)[0].text, "Untitled");
}

TEST(LabelledSeries, ReportsTheHitPointAndAnswersNoBetweenPoints) {
    auto view = makeOneToOneView();
    auto s = std::make_shared<CGraphStringPointCurve>();
    view->addGraphObject(s);
    s->setSelector(3);
    s->addPoint("first", 20, 20);
    s->addPoint("second", 60, 40);
    RecordingCanvas rc;
    EXPECT_FALSE(s->isHit({60, 40}));  // never drawn: no outline
    s->render(rc);
    EXPECT_EQ(rc.opsOfKind(Kind::Text).size(), 2u);
    EXPECT_TRUE(s->isHit({62, 43}));  // inside the square of side 2r = 8
    EXPECT_EQ(s->getHitPointName(), "second");
    EXPECT_EQ(view->selectedPointX(), 60.0f);
    EXPECT_EQ(view->selectedPointY(), 40.0f);
    EXPECT_FALSE(s->isHit({40, 40}));

    // Highlighted markers are larger than the hit square: inside the outline
    // but on no point is not a hit.
    s->setHilited(true);
    s->render(rc);
    EXPECT_TRUE(s->path()->contains({24.6f, 20}));
    EXPECT_FALSE(s->isHit({24.6f, 20}));
    EXPECT_EQ(s->getHitPointName(), "");
    s->setShowLabels(false);
    rc.clear();
    s->render(rc);
    EXPECT_TRUE(rc.opsOfKind(Kind::Text).empty());

    // Another series given the list holds the same points, in a list of its own.
    auto other = std::make_shared<CGraphStringPointCurve>();
    view->addGraphObject(other);
    other->setMStringPointArray(s->mStringPointArray());
    EXPECT_EQ(other->mStringPointArray(), s->mStringPointArray());
    other->render(rc);
    EXPECT_TRUE(other->isHit({62, 43}));
    EXPECT_EQ(other->getHitPointName(), "second");
    s->addPoint("third", 80, 80);
    EXPECT_EQ(other->mStringPointArray().size(), 2u);
}

TEST(PointSeries, JoinsPointsAndHitsInsideMarkers) {
    auto view = makeOneToOneView();
    auto s = std::make_shared<CGraphPointCurve>();
    view->addGraphObject(s);
    s->setSelector(1);
    s->addPoint(10, 10, 0);
    s->addPoint(50, 10, 0);
    s->setJoinPoints(true);
    RecordingCanvas rc;
    s->render(rc);
    auto strokes = rc.opsOfKind(Kind::Stroke);
    ASSERT_EQ(strokes.size(), 1u);
    EXPECT_EQ(strokes[0].lineWidth, 1.0f);
    ASSERT_EQ(rc.opsOfKind(Kind::Fill).size(), 2u);
    EXPECT_NEAR(rc.opsOfKind(Kind::Fill)[0].lineWidth, 1.4f, 1e-6);
    EXPECT_TRUE(s->isHit({51, 11}));
    EXPECT_FALSE(s->isHit({30, 20}));
}

TEST(GraphText, DrawsItsRichTextUnclippedAndIsNeverHit) {
    auto view = makeOneToOneView();
    auto t = std::make_shared<CGraphText>();
    view->addGraphObject(t);
    RecordingCanvas rc;
    t->render(rc);
    EXPECT_TRUE(rc.ops().empty());  // empty text: nothing
    RichText rich{"T", FontDescription{"Serif", 20, true, false}, Color::redColor()};
    t->setText(rich);
    t->setText("Tx");  // the characters only
    t->setPosition(5, 6);
    t->render(rc);
    auto texts = rc.opsOfKind(Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Tx");
    EXPECT_EQ(texts[0].font, rich.font);
    EXPECT_EQ(texts[0].color, Color::redColor());
    EXPECT_FALSE(texts[0].clipped);
    expectPoint(texts[0].origin, 5, 6);
    EXPECT_FALSE(t->isHit({5, 6}));
}

}  // namespace
