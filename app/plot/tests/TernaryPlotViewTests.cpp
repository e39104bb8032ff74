#include <gtest/gtest.h>

#include <cmath>

#include "app/plot/CTernaryPlotView.h"
#include "app/plot/RecordingCanvas.h"
#include "app/plot/tests/PlotTestSupport.h"
#include "platform/NotificationCenter.h"

namespace {

using Kind = CanvasOp::Kind;

int countOps(const Path& p, Path::Op op) {
    int n = 0;
    for (const auto& e : p.elements()) n += e.op == op;
    return n;
}

void expectPoint(PlotPoint p, float x, float y, float tol = 1e-3f) {
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
}

// Counts "TernaryPlotSelection" from one view and keeps the composition the
// view held when it was posted.
struct SelectionWatch {
    const CTernaryPlotView& view;
    int count = 0;
    double a = 0, b = 0, c = 0;
    platform::NotificationCenter::Token token;
    explicit SelectionWatch(const CTernaryPlotView& v) : view(v) {
        token = platform::NotificationCenter::defaultCenter().addObserver(
            "TernaryPlotSelection", &view, [this](const std::string&, const void*) {
                ++count;
                a = view.mSela();
                b = view.mSelb();
                c = view.mSelc();
            });
    }
    ~SelectionWatch() { platform::NotificationCenter::defaultCenter().removeObserver(token); }
};

// A drawn view (the corners are placed by the draw, as a click expects).
void draw(CTernaryPlotView& v) {
    RecordingCanvas c;
    v.drawRect(c);
}

TEST(TernaryGeometry, HeightBoundAndWidthBoundTriangles) {
    // 400 x 300 with margins 30: w = 340, h = 240; 340·0.866 = 294.4 > 240,
    // so the side is 240/0.866 = 277.13 and the triangle is centred across.
    CTernaryPlotView v({0, 0, 400, 300});
    v.placeTriangle();
    const float side = 240.0f / 0.8660254f;
    expectPoint(v.cornerA(), 30.0f + (340.0f - side) / 2.0f, 30.0f);
    EXPECT_NEAR(v.cornerA().x, 61.436f, 1e-3f);
    expectPoint(v.cornerB(), v.cornerA().x + side, 30.0f);
    expectPoint(v.cornerC(), v.cornerA().x + side / 2.0f, 270.0f);

    // 300 x 400: width-bound, centred vertically; sides all equal.
    CTernaryPlotView t({0, 0, 300, 400});
    t.setMargin(20);
    EXPECT_EQ(t.mMarginTop(), 20.0f);
    t.placeTriangle();
    const float th = 260.0f * 0.8660254f;
    expectPoint(t.cornerA(), 20.0f, 20.0f + (360.0f - th) / 2.0f);
    expectPoint(t.cornerB(), 280.0f, t.cornerA().y);
    const float dx = t.cornerC().x - t.cornerA().x, dy = t.cornerC().y - t.cornerA().y;
    EXPECT_NEAR(std::hypot(dx, dy), 260.0f, 1e-3f);
}

TEST(TernaryMapping, VerticesCentroidAndEdgesOfTheFullTriangle) {
    CTernaryPlotView v({0, 0, 400, 300});
    v.placeTriangle();
    const PlotPoint A = v.cornerA(), B = v.cornerB(), C = v.cornerC();
    expectPoint(*v.pointOf(100, 0), A.x, A.y);
    expectPoint(*v.pointOf(0, 100), B.x, B.y);
    expectPoint(*v.pointOf(0, 0), C.x, C.y);
    expectPoint(*v.pointOf(100.0 / 3, 100.0 / 3), (A.x + B.x + C.x) / 3, (A.y + B.y + C.y) / 3);
    // Half A, half B: the middle of the bottom edge.
    expectPoint(*v.pointOf(50, 50), (A.x + B.x) / 2, A.y);
    // A missing value places nothing.
    EXPECT_FALSE(v.pointOf(NAN, 10).has_value());
    EXPECT_FALSE(v.pointOf(10, INFINITY).has_value());
}

TEST(TernaryMapping, CompositionToPointToCompositionRoundTrips) {
    CTernaryPlotView v({0, 0, 400, 300});
    draw(v);
    SelectionWatch watch(v);
    // Inside the triangle (a point on an edge may round to either side of it).
    const double comps[][2] = {{20, 30}, {5, 90}, {70, 10}, {33.3, 33.3}, {0.5, 50}, {50, 0.5}, {1, 1}};
    for (const auto& ab : comps) {
        const PlotPoint p = *v.pointOf(ab[0], ab[1]);
        v.mouseDown(p);
        // Single-precision view coordinates: a few thousandths of a percent.
        EXPECT_NEAR(v.mSela(), ab[0], 2e-3) << ab[0] << " " << ab[1];
        EXPECT_NEAR(v.mSelb(), ab[1], 2e-3);
        EXPECT_NEAR(v.mSelc(), 100.0 - ab[0] - ab[1], 2e-3);
        EXPECT_NEAR(v.mSela() + v.mSelb() + v.mSelc(), 100.0, 1e-9);
    }
    EXPECT_EQ(watch.count, 7);
}

TEST(TernaryMapping, LinearSolverByCramersRule) {
    double x = 0, y = 0;
    my_solve_linear_system2(2, 1, 5, 1, -3, -8, x, y);  // 2x + y = 5, x - 3y = -8
    EXPECT_NEAR(x, 1.0, 1e-14);
    EXPECT_NEAR(y, 3.0, 1e-14);
    my_solve_linear_system2(1, 2, 3, 2, 4, 6, x, y);  // singular
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
}

TEST(TernaryClick, CornerEdgeMarginAndTruncatedView) {
    CTernaryPlotView v({0, 0, 300, 400});  // width-bound: room below edge AB
    draw(v);
    SelectionWatch watch(v);
    // Exactly on corner B.
    v.mouseDown(v.cornerB());
    EXPECT_EQ(watch.count, 1);
    EXPECT_NEAR(watch.a, 0.0, 1e-9);
    EXPECT_NEAR(watch.b, 100.0, 1e-9);
    EXPECT_NEAR(watch.c, 0.0, 1e-9);

    // Just below edge AB, inside the margins: outside the triangle.
    const PlotPoint A = v.cornerA(), B = v.cornerB();
    ASSERT_GT(A.y - 1.0f, v.mMarginBottom());
    v.mouseDown({(A.x + B.x) / 2, A.y - 1.0f});
    EXPECT_EQ(watch.count, 1);
    EXPECT_EQ(v.mSela(), -1.0);
    EXPECT_EQ(v.mSelb(), -1.0);
    EXPECT_EQ(v.mSelc(), -1.0);

    // A hit, then a click in the margin: the selection goes back to -1.
    v.mouseDown(*v.pointOf(10, 10));
    EXPECT_EQ(watch.count, 2);
    v.mouseDown({5, 200});
    EXPECT_EQ(watch.count, 2);
    EXPECT_EQ(v.mSela(), -1.0);

    // A truncated view picks nothing.
    v.setRanges(10, 10, 50);
    ASSERT_TRUE(v.mTruncated());
    draw(v);
    v.mouseDown(v.cornerC());
    EXPECT_EQ(watch.count, 2);
    EXPECT_EQ(v.mSelc(), -1.0);

    // The selection has setters for its owner.
    v.setMSela(1);
    v.setMSelb(2);
    v.setMSelc(97);
    EXPECT_EQ(v.mSela() + v.mSelb() + v.mSelc(), 100.0);
}

TEST(TernaryClick, DegenerateTriangleGivesTheCCorner) {
    // Never drawn: all corners at the origin.
    CTernaryPlotView v({0, 0, 400, 300});
    SelectionWatch watch(v);
    v.mouseDown({100, 100});
    EXPECT_EQ(watch.count, 1);
    EXPECT_EQ(v.mSela(), 0.0);
    EXPECT_EQ(v.mSelb(), 0.0);
    EXPECT_EQ(v.mSelc(), 100.0);
}

TEST(TernaryRanges, SpansClampsAndTheCRange) {
    CTernaryPlotView v({0, 0, 400, 300});
    EXPECT_FALSE(v.mTruncated());
    v.setRanges(20, 30, 0);  // no span: the full triangle
    EXPECT_FALSE(v.mTruncated());
    EXPECT_EQ(v.mAmin(), 0.0f);
    EXPECT_EQ(v.mBmax(), 100.0f);
    EXPECT_EQ(v.mCmin(), 0.0f);
    EXPECT_EQ(v.mCmax(), 100.0f);
    v.setRanges(20, 30, 150);
    EXPECT_FALSE(v.mTruncated());
    v.setRanges(20, 30, NAN);
    EXPECT_FALSE(v.mTruncated());

    v.setRanges(90, 0, 20);  // A pulled back below 100
    EXPECT_TRUE(v.mTruncated());
    EXPECT_EQ(v.mAmin(), 80.0f);
    EXPECT_EQ(v.mAmax(), 100.0f);
    EXPECT_EQ(v.mBmin(), 0.0f);
    EXPECT_EQ(v.mBmax(), 20.0f);
    EXPECT_EQ(v.mCmin(), 0.0f);
    EXPECT_EQ(v.mCmax(), 20.0f);

    v.setRanges(10, 20, 30);
    EXPECT_EQ(v.mCmin(), 40.0f);
    EXPECT_EQ(v.mCmax(), 70.0f);
    // The sub-triangle's corners are compositions summing to 100 and land on
    // the view's corners.
    v.placeTriangle();
    expectPoint(*v.pointOf(40, 20), v.cornerA().x, v.cornerA().y);
    expectPoint(*v.pointOf(10, 50), v.cornerB().x, v.cornerB().y);
    expectPoint(*v.pointOf(10, 20), v.cornerC().x, v.cornerC().y);

    // C pulled up at its start and A and B at their ends: no composition can
    // be placed (the fractions sum to zero); nothing is drawn for it.
    v.setRanges(50, 50, 10);
    EXPECT_EQ(v.mCmin(), 0.0f);
    EXPECT_FALSE(v.pointOf(55, 55).has_value());
    v.plotPoint(55, 55, 1, 7, 1);
    v.plotCurve({55, 55, 52, 52}, 2, 0, 1);
    RecordingCanvas c;
    v.drawRect(c);
    for (const auto& op : c.ops()) {
        if (op.kind != Kind::Fill && op.kind != Kind::Stroke) continue;
        for (const auto& p : vertices(op.path)) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
}

TEST(TernaryData, PointsCurvesAndPurge) {
    CTernaryPlotView v({0, 0, 400, 300});
    v.plotPoint(20, 30, 3, 1, 0);
    ASSERT_EQ(v.points().size(), 1u);
    EXPECT_EQ(v.points()[0].a, 20.0);
    EXPECT_EQ(v.points()[0].type, 3);

    // Ten numbers in rows of three: three whole rows, the tenth ignored.
    v.plotCurve({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 3, 0, 2);
    ASSERT_EQ(v.curves().size(), 1u);
    EXPECT_EQ(v.curves()[0], (std::vector<double>{0, 2, 3, 5, 6, 8}));
    // A stride below one reads every number as a row.
    v.plotCurve({1, 2, 3}, 0, 0, 0);
    EXPECT_EQ(v.curves()[1], (std::vector<double>{1, 1, 2, 2, 3, 3}));
    // A column past the row reads no further than the data.
    v.plotCurve({1, 2, 3, 4, 5}, 2, 0, 3);
    EXPECT_EQ(v.curves()[2], (std::vector<double>{1, 4}));
    v.plotCurve({1, 2}, 2, -1, 1);
    EXPECT_TRUE(v.curves()[3].empty());

    v.purge();
    EXPECT_TRUE(v.points().empty());
    EXPECT_TRUE(v.curves().empty());
}

TEST(TernaryDrawing, OutlineTicksLabelsAndGrid) {
    CTernaryPlotView v({0, 0, 400, 300});
    v.setLabels("H2O", "CO2", "NaCl");
    RecordingCanvas c;
    v.drawRect(c);
    const auto fills = c.opsOfKind(Kind::Fill);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0].color, Color::whiteColor());
    EXPECT_EQ(fills[0].path.bounds(), (PlotRect{0, 0, 400, 300}));

    const auto strokes = c.opsOfKind(Kind::Stroke);
    ASSERT_EQ(strokes.size(), 3u);  // outline, ticks, grid
    const PlotPoint A = v.cornerA(), B = v.cornerB(), C = v.cornerC();
    const auto outline = vertices(strokes[0].path);
    ASSERT_EQ(outline.size(), 4u);
    EXPECT_EQ(outline[0], A);
    EXPECT_EQ(outline[1], B);
    EXPECT_EQ(outline[2], C);
    EXPECT_EQ(outline[3], A);
    EXPECT_EQ(strokes[0].color, Color::blackColor());

    // 27 ticks, each 5 points long and perpendicular to its edge.
    const Path& ticks = strokes[1].path;
    EXPECT_EQ(countOps(ticks, Path::Op::MoveTo), 27);
    const auto tv = vertices(ticks);
    for (size_t i = 0; i + 1 < tv.size(); i += 2)
        EXPECT_NEAR(std::hypot(tv[i + 1].x - tv[i].x, tv[i + 1].y - tv[i].y), 5.0f, 1e-4f);
    expectPoint(tv[0], A.x + 0.1f * (B.x - A.x), A.y);
    expectPoint(tv[1], A.x + 0.1f * (B.x - A.x), A.y - 5.0f);

    // Grid: dashed, half a point wide, 27 lines; the state is restored after.
    const auto& grid = strokes[2];
    EXPECT_EQ(grid.dash, (std::vector<float>{4, 2, 2, 2}));
    EXPECT_EQ(grid.lineWidth, 0.5f);
    EXPECT_EQ(countOps(grid.path, Path::Op::MoveTo), 27);
    EXPECT_EQ(c.saveDepth(), 0u);
    // The first line of constant B = 10 % ends on BC at 90 % of the way to C.
    const auto gv = vertices(grid.path);
    expectPoint(gv[1], B.x + 0.9f * (C.x - B.x), B.y + 0.9f * (C.y - B.y));

    // Tick labels 10 to 90 on every edge, never 0 or 100; then the corners.
    const auto texts = c.opsOfKind(Kind::Text);
    ASSERT_EQ(texts.size(), 27u + 3u);
    for (int i = 0; i < 9; ++i)
        for (int e = 0; e < 3; ++e) EXPECT_EQ(texts[3 * i + e].text, std::to_string(10 * (i + 1)));
    // Boxes the size of "900" (15 x 12.5 with the recording metrics).
    expectPoint(texts[0].origin, A.x + 0.1f * (B.x - A.x) - 7.5f, A.y - 5.0f - 12.5f - 5.0f);
    const PlotPoint bc1{B.x + 0.1f * (C.x - B.x), B.y + 0.1f * (C.y - B.y)};
    expectPoint(texts[1].origin, bc1.x + 4.330127f + 5.0f, bc1.y + 2.5f + 1.0f);
    const PlotPoint ca1{C.x + 0.1f * (A.x - C.x), C.y + 0.1f * (A.y - C.y)};
    expectPoint(texts[2].origin, ca1.x - 4.330127f - 1.0f - 15.0f, ca1.y + 2.5f + 1.0f);
    EXPECT_EQ(texts[0].font, FontDescription::labelFont());

    // Corner labels in the system font (13 pt: 6.5 per character, 16.25 high).
    EXPECT_EQ(texts[27].text, "H2O");
    EXPECT_EQ(texts[27].font, FontDescription::systemFont());
    expectPoint(texts[27].origin, A.x - 5.0f - 19.5f, A.y - 5.0f - 16.25f);
    expectPoint(texts[28].origin, B.x + 5.0f, B.y - 5.0f - 16.25f);
    expectPoint(texts[29].origin, C.x - 13.0f, C.y + 5.0f);
    // The corners are the labels the view holds, A to C; a view given none draws none.
    EXPECT_EQ(texts[28].text, v.mLabel1().value_or(""));
    EXPECT_EQ(texts[29].text, v.mLabel2().value_or(""));
    EXPECT_EQ(v.mLabel0(), std::optional<std::string>("H2O"));
    CTernaryPlotView bare({0, 0, 400, 300});
    EXPECT_FALSE(bare.mLabel0() || bare.mLabel1() || bare.mLabel2());
    RecordingCanvas none;
    bare.drawRect(none);
    EXPECT_EQ(none.opsOfKind(Kind::Text).size(), 27u);
}

TEST(TernaryDrawing, TruncatedViewLabelsItsRanges) {
    CTernaryPlotView v({0, 0, 400, 300});
    v.setRanges(90, 0, 20);  // A 80..100, B 0..20, C 0..20
    RecordingCanvas c;
    v.drawRect(c);
    const auto texts = c.opsOfKind(Kind::Text);
    ASSERT_EQ(texts.size(), 27u);  // no corner labels set
    EXPECT_EQ(texts[0].text, "2");   // B on the bottom edge
    EXPECT_EQ(texts[1].text, "2");   // C on the right edge
    EXPECT_EQ(texts[2].text, "82");  // A on the left edge
    EXPECT_EQ(texts[24].text, "18");
    EXPECT_EQ(texts[26].text, "98");
}

TEST(TernaryDrawing, CurvesAndMarkersWithTheirReadingLines) {
    CTernaryPlotView v({0, 0, 400, 300});
    v.plotCurve({10, 10, 20, 20, 30, 30}, 2, 0, 1);
    v.plotCurve({}, 2, 0, 1);  // empty: nothing drawn
    v.plotPoint(20, 30, 1, 7, 0);
    v.plotPoint(20, 30, 12, 0, 1);
    v.plotPoint(100, 0, 4, 1, 0);  // on corner A: fa + fb = 1
    v.plotPoint(0, 0, 5, 1, 0);    // on corner C: the line from C stays at C
    RecordingCanvas c;
    v.drawRect(c);
    v.placeTriangle();
    const PlotPoint A = v.cornerA(), B = v.cornerB(), C = v.cornerC();
    const PlotPoint P = *v.pointOf(20, 30);

    const auto strokes = c.opsOfKind(Kind::Stroke);
    // outline, ticks, grid, one curve, marker-1 lines, marker-2 outline and
    // lines, marker-3 outline and line, marker-4 plus and line.
    ASSERT_EQ(strokes.size(), 3u + 1u + 1u + 2u + 2u + 2u);
    const auto& curve = strokes[3];
    EXPECT_EQ(curve.color, Color::blueColor());
    EXPECT_TRUE(curve.dash.empty());
    EXPECT_EQ(curve.lineWidth, 1.0f);
    const auto cv = vertices(curve.path);
    ASSERT_EQ(cv.size(), 3u);
    EXPECT_EQ(cv[0], *v.pointOf(10, 10));

    // Filled circle (type 1), then its three corner lines through P.
    const auto fills = c.opsOfKind(Kind::Fill);
    ASSERT_EQ(fills.size(), 2u);  // background, the filled marker
    EXPECT_EQ(fills[1].color, CTernaryPlotView::markerColor());
    const PlotRect mb = fills[1].path.bounds();
    EXPECT_NEAR(mb.x + mb.width / 2, P.x, 1e-3f);
    EXPECT_NEAR(mb.width, 10.0f, 1e-3f);
    const auto lines = vertices(strokes[4].path);
    ASSERT_EQ(lines.size(), 6u);
    // From C to AB: (0.2 A + 0.3 B) / 0.5.
    EXPECT_EQ(lines[0], C);
    expectPoint(lines[1], 0.4f * A.x + 0.6f * B.x, A.y);
    // From A to BC: (0.3 B + 0.5 C) / 0.8; from B to CA: (0.5 C + 0.2 A) / 0.7.
    EXPECT_EQ(lines[2], A);
    expectPoint(lines[3], (0.3f * B.x + 0.5f * C.x) / 0.8f, (0.3f * B.y + 0.5f * C.y) / 0.8f);
    EXPECT_EQ(lines[4], B);
    expectPoint(lines[5], (0.5f * C.x + 0.2f * A.x) / 0.7f, (0.5f * C.y + 0.2f * A.y) / 0.7f);
    // Each corner line passes through P.
    const auto through = [&](PlotPoint s, PlotPoint e) {
        const float cross = (e.x - s.x) * (P.y - s.y) - (e.y - s.y) * (P.x - s.x);
        EXPECT_NEAR(cross / std::hypot(e.x - s.x, e.y - s.y), 0.0f, 1e-3f);
    };
    through(lines[0], lines[1]);
    through(lines[2], lines[3]);
    through(lines[4], lines[5]);

    // Open diamond (type 12) and the constant-composition lines to the edges.
    EXPECT_EQ(vertices(strokes[5].path).size(), 4u);
    const auto edge = vertices(strokes[6].path);
    ASSERT_EQ(edge.size(), 6u);
    EXPECT_EQ(edge[0], P);
    expectPoint(edge[1], 0.2f * A.x + 0.8f * C.x, 0.2f * A.y + 0.8f * C.y);  // same A on CA
    expectPoint(edge[3], 0.3f * B.x + 0.7f * A.x, A.y);                      // same B on AB
    expectPoint(edge[5], 0.5f * C.x + 0.5f * B.x, 0.5f * C.y + 0.5f * B.y);  // same C on BC
    // Corner A: the line from C ends on A; corner C: the line stays at C.
    EXPECT_EQ(vertices(strokes[8].path)[1], A);
    const auto atC = vertices(strokes[10].path);
    EXPECT_EQ(atC[0], C);
    EXPECT_EQ(atC[1], C);
}

TEST(TernaryMarkers, FilledAndOpenKinds) {
    CTernaryPlotView v({0, 0, 400, 300});
    for (int type : {13, -1, 11, 12, 3, 6}) v.plotPoint(30, 30, type, 0, 0);
    RecordingCanvas c;
    v.drawRect(c);
    const auto fills = c.opsOfKind(Kind::Fill);
    const auto strokes = c.opsOfKind(Kind::Stroke);
    ASSERT_EQ(fills.size(), 1u + 2u);     // background, diamond 11, square 3
    ASSERT_EQ(strokes.size(), 3u + 4u);  // outline, ticks, grid; 13, -1, 12, 6
    EXPECT_GT(countOps(strokes[3].path, Path::Op::CurveTo), 0);  // 13: open circle
    EXPECT_GT(countOps(strokes[4].path, Path::Op::CurveTo), 0);  // -1: open circle
    EXPECT_EQ(vertices(fills[1].path).size(), 4u);               // 11: filled diamond
    EXPECT_EQ(vertices(strokes[5].path).size(), 4u);             // 12: open diamond
    EXPECT_EQ(vertices(strokes[6].path).size(), 4u);             // 6: cross
    // The marker is 10 points wide, centred on the composition.
    const PlotPoint P = *v.pointOf(30, 30);
    const PlotRect b = fills[2].path.bounds();
    EXPECT_NEAR(b.x, P.x - 5, 1e-3f);
    EXPECT_NEAR(b.y, P.y - 5, 1e-3f);
    EXPECT_NEAR(b.width, 10, 1e-3f);
    EXPECT_NEAR(b.height, 10, 1e-3f);
}

}  // namespace
