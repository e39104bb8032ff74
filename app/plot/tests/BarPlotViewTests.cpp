#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/plot/CBarPlotView.h"
#include "app/plot/FileChooser.h"
#include "app/plot/RecordingCanvas.h"
#include "app/plot/tests/PlotTestSupport.h"
#include "numerics/DataTextFile.h"

namespace {

using Kind = CanvasOp::Kind;

std::vector<std::string> labelsOf(const std::vector<CBarPlotView::Tick>& ticks) {
    std::vector<std::string> out;
    for (const auto& t : ticks) out.push_back(t.label);
    return out;
}

class FixedChooser : public FileChooser {
public:
    explicit FixedChooser(std::optional<std::string> answer) : mAnswer(std::move(answer)) { setFileChooser(this); }
    ~FixedChooser() override { setFileChooser(nullptr); }
    std::optional<std::string> chooseSaveFile(const std::string& proposedName, const std::string& fileType) override {
        proposed.push_back(proposedName);
        type = fileType;
        return mAnswer;
    }
    std::vector<std::string> proposed;
    std::string type;

private:
    std::optional<std::string> mAnswer;
};

// A 380 x 300 view: plot area 300 wide (from x = 60) and 240 high (from y = 40).
std::unique_ptr<CBarPlotView> makeView(std::vector<double> values, float maximum = 100.0f) {
    auto v = std::make_unique<CBarPlotView>(PlotRect{0, 0, 380, 300});
    v->setValues(values);
    v->setMinimum(0, maximum);
    return v;
}

TEST(BarPlot, StartsWithItsDefaults) {
    CBarPlotView v({0, 0, 380, 300});
    EXPECT_EQ(v.mode(), CBarPlotView::kLinesMarkers);
    EXPECT_FALSE(v.isLogarithmic());
    EXPECT_FALSE(v.showsGrid());
    EXPECT_EQ(v.igorIndex(), 0);
    EXPECT_EQ(v.sepBarRatio(), 0.2f);
    EXPECT_EQ(v.mMarginLeft(), 20.0f);
    EXPECT_EQ(v.mMarginBottom(), 40.0f);
    EXPECT_EQ(v.ticksAttributes(), FontDescription::labelFont());
    EXPECT_FALSE(v.xLabel().has_value());
    // The stepper: top-left, 0..100, at 100 by steps of 1, not wrapping.
    EXPECT_EQ(v.stepper().frame, (PlotRect{1, 270, 20, 30}));
    EXPECT_EQ(v.stepper().minValue, 0.0);
    EXPECT_EQ(v.stepper().maxValue, 100.0);
    EXPECT_EQ(v.stepper().value, 100.0);
    EXPECT_EQ(v.stepper().increment, 1.0);
    EXPECT_FALSE(v.stepper().valueWraps);
    v.setBounds({0, 0, 380, 400});
    EXPECT_EQ(v.stepper().frame, (PlotRect{1, 370, 20, 30}));
}

TEST(BarPlot, NoValuesDrawsOnlyTheBackground) {
    auto v = makeView({});
    v->setLabels(std::vector<std::string>{"a", "b"});
    v->setLabels("x", "y");
    v->setShowGrid(true);
    RecordingCanvas c;
    v->drawRect(c);
    ASSERT_EQ(c.ops().size(), 1u);
    EXPECT_EQ(c.ops()[0].kind, Kind::Fill);
    EXPECT_EQ(c.ops()[0].color, Color::whiteColor());
    EXPECT_EQ(c.ops()[0].path.bounds(), (PlotRect{0, 0, 380, 300}));
}

TEST(BarPlot, BarWidthSlotsAndLabelSpacing) {
    auto v = makeView(std::vector<double>(20, 1.0));
    auto l = v->layout();
    EXPECT_EQ(l.plotWidth, 300.0f);
    EXPECT_EQ(l.plotHeight, 240.0f);
    EXPECT_NEAR(l.barWidth, 300.0f / 23.8f, 1e-4f);
    EXPECT_NEAR(l.slotWidth, 1.2f * 300.0f / 23.8f, 1e-4f);

    // Two values: bars capped at 50, left-aligned from the plot area's start,
    // each centred in its slot of 60.
    v->setValues({1, 2});
    l = v->layout();
    EXPECT_EQ(l.barWidth, 50.0f);
    EXPECT_FLOAT_EQ(v->barLeft(l, 0), 65.0f);
    EXPECT_FLOAT_EQ(v->barLeft(l, 1), 125.0f);
    EXPECT_FLOAT_EQ(v->slotCentre(l, 1), 150.0f);

    // Slots 12 points apart: a label every third slot.
    CBarPlotView w({0, 0, 198, 300});  // plot width 118 = 10 bars of 10 and 9 gaps of 2
    w.setValues(std::vector<double>(10, 5.0));
    w.setMinimum(0, 10);
    w.setLabels(std::vector<std::string>{"L0", "L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9"});
    EXPECT_NEAR(w.layout().slotWidth, 12.0f, 1e-4f);
    RecordingCanvas c;
    w.drawRect(c);
    std::vector<std::string> drawn;
    std::vector<PlotPoint> at;
    for (const auto& op : c.opsOfKind(Kind::Text))
        if (op.text[0] == 'L') {
            drawn.push_back(op.text);
            at.push_back(op.origin);
        }
    EXPECT_EQ(drawn, (std::vector<std::string>{"L0", "L3", "L6", "L9"}));
    // Centred on its slot (width 10 with the recording metrics), 18 below the axis.
    EXPECT_NEAR(at[0].x, 66.0f - 5.0f, 1e-4f);
    EXPECT_EQ(at[0].y, 22.0f);
}

TEST(BarPlot, LinearTickLists) {
    auto v = makeView({1});
    const auto ticks = [&](float max) {
        v->setMinimum(0, max);
        return labelsOf(v->valueTicks(v->layout()));
    };
    EXPECT_EQ(ticks(80), (std::vector<std::string>{"0.0", "20.0", "40.0", "60.0", "80.0"}));
    EXPECT_EQ(ticks(55), (std::vector<std::string>{"0.0", "15.0", "30.0", "45.0"}));
    EXPECT_EQ(ticks(250), (std::vector<std::string>{"0.0", "20.0", "40.0", "60.0", "80.0", "100.0"}));
    EXPECT_EQ(ticks(100), (std::vector<std::string>{"0.0", "20.0", "40.0", "60.0", "80.0", "100.0"}));
    EXPECT_EQ(ticks(30), (std::vector<std::string>{"0.0", "10.0", "20.0", "30.0"}));
    EXPECT_EQ(ticks(12), (std::vector<std::string>{"0.0", "4.0", "8.0", "12.0"}));
    EXPECT_EQ(ticks(5), (std::vector<std::string>{"0.0", "2.0", "4.0"}));
    // A tick of value t stands at t·240/max above the axis.
    v->setMinimum(0, 80);
    const auto t = v->valueTicks(v->layout());
    EXPECT_FLOAT_EQ(t[2].y, 120.0f);
    // Without a positive top the linear axis has no scale: no ticks, no bars.
    v->setMinimum(0, 0);
    EXPECT_TRUE(v->valueTicks(v->layout()).empty());
    EXPECT_FALSE(v->valueHeight(v->layout(), 5.0).has_value());

    // Drawn: labels at the left margin, bottoms at the tick heights; bars
    // above the last tick rise past it.
    v->setValues({200});
    v->setMinimum(0, 250);
    v->onSetBars();
    RecordingCanvas c;
    v->drawRect(c);
    const auto texts = c.opsOfKind(Kind::Text);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[5].text, "100.0");
    EXPECT_EQ(texts[5].origin, (PlotPoint{20.0f, 100.0f * 240.0f / 250.0f + 40.0f}));
    const auto fills = c.opsOfKind(Kind::Fill);
    ASSERT_EQ(fills.size(), 3u);  // background, bar, frame
    EXPECT_EQ(fills[1].color, Color::redColor());
    EXPECT_NEAR(fills[1].path.bounds().height, 192.0f, 1e-3f);
}

TEST(BarPlot, LogarithmicDecades) {
    auto v = makeView({0.05, 300}, 300);
    v->setIsLogarithmic(true);
    auto l = v->layout();
    EXPECT_EQ(l.logLow, -2);
    EXPECT_EQ(l.logHigh, 3);
    EXPECT_EQ(labelsOf(v->valueTicks(l)),
              (std::vector<std::string>{"  0.01", "   0.1", "     1", "    10", "   100", "  1000"}));
    EXPECT_FLOAT_EQ(v->valueTicks(l)[1].y, 48.0f);
    // 10 stands three decades above 0.01 of five: 3/5 of 240.
    EXPECT_FLOAT_EQ(*v->valueHeight(l, 10.0), 144.0f);
    EXPECT_FALSE(v->valueHeight(l, 0.0).has_value());
    EXPECT_FALSE(v->valueHeight(l, -3.0).has_value());
    EXPECT_FALSE(v->valueHeight(l, NAN).has_value());
    EXPECT_EQ(*v->valueHeight(l, 1e-9), 1.0f);  // tiny, still one point high

    v->setValues({1, 10});
    v->setMinimum(0, 10);
    l = v->layout();
    EXPECT_EQ(l.logLow, 0);
    EXPECT_EQ(l.logHigh, 1);
    // Equal decades open two below.
    v->setValues({100, 100});
    v->setMinimum(100, 100);
    l = v->layout();
    EXPECT_EQ(l.logLow, 0);
    EXPECT_EQ(l.logHigh, 2);
    // The minimum, when set, gives the lowest decade; a value at or below
    // zero counts as 10^-2; no top counts as 10^2.
    v->setMinimum(0.5f, 300);
    EXPECT_EQ(v->layout().logLow, -1);
    v->setValues({5, 0});
    v->setMinimum(0, 0);
    l = v->layout();
    EXPECT_EQ(l.logLow, -2);
    EXPECT_EQ(l.logHigh, 2);
    // Huge limits stay finite decades.
    v->setMinimum(0, INFINITY);
    EXPECT_EQ(v->layout().logHigh, 2);
    EXPECT_EQ(CBarPlotView::logTickLabel(4), "10 000");
    EXPECT_EQ(CBarPlotView::logTickLabel(-3), " 0.001");
    EXPECT_EQ(CBarPlotView::logTickLabel(5), "1e5");
    EXPECT_EQ(CBarPlotView::logTickLabel(-4), "1e-4");
}

TEST(BarPlot, LogLineSkipsValuesAtOrBelowZero) {
    auto v = makeView({1, 0, 100, -5, 10}, 100);
    v->setIsLogarithmic(true);
    v->onSetLines();
    RecordingCanvas c;
    v->drawRect(c);
    const auto strokes = c.opsOfKind(Kind::Stroke);
    ASSERT_EQ(strokes.size(), 2u);  // axes, line
    const auto& line = strokes[1];
    EXPECT_EQ(line.color, Color::blueColor());
    const auto l = v->layout();
    const auto pts = vertices(line.path);
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_EQ(line.path.elements()[0].op, Path::Op::MoveTo);
    EXPECT_EQ(line.path.elements()[1].op, Path::Op::LineTo);
    EXPECT_EQ(line.path.elements()[2].op, Path::Op::LineTo);
    // lo = -2, hi = 2: 1 at half height, 100 at the top, 10 at three quarters.
    EXPECT_EQ(pts[0], (PlotPoint{v->slotCentre(l, 0), 40.0f + 120.0f}));
    EXPECT_EQ(pts[1], (PlotPoint{v->slotCentre(l, 2), 40.0f + 240.0f}));
    EXPECT_EQ(pts[2], (PlotPoint{v->slotCentre(l, 4), 40.0f + 180.0f}));
    EXPECT_TRUE(c.opsOfKind(Kind::Fill).size() == 1u);  // no markers in mode 1
}

TEST(BarPlot, BarsLinesAndMarkersByMode) {
    auto v = makeView({10, 1e-6, -4}, 100);
    v->onSetBars();
    RecordingCanvas bars;
    v->drawRect(bars);
    auto fills = bars.opsOfKind(Kind::Fill);
    ASSERT_EQ(fills.size(), 1u + 3u * 2u);
    const PlotRect first = fills[1].path.bounds();
    EXPECT_NEAR(first.x, v->barLeft(v->layout(), 0), 1e-4f);
    EXPECT_EQ(first.y, 40.0f);
    EXPECT_NEAR(first.height, 24.0f, 1e-4f);
    EXPECT_EQ(fills[2].color, Color::blackColor());  // the frame
    EXPECT_NEAR(fills[3].path.bounds().height, 1.0f, 1e-4f);  // tiny: 1 point
    EXPECT_NEAR(fills[5].path.bounds().height, 1.0f, 1e-4f);  // negative: 1 point
    EXPECT_EQ(bars.opsOfKind(Kind::Stroke).size(), 1u);      // the axes only

    v->onSetLinesMarkers();
    RecordingCanvas marks;
    v->drawRect(marks);
    fills = marks.opsOfKind(Kind::Fill);
    const auto strokes = marks.opsOfKind(Kind::Stroke);
    ASSERT_EQ(fills.size(), 4u);    // background and three white markers
    ASSERT_EQ(strokes.size(), 5u);  // axes, three marker rings, the line last
    EXPECT_EQ(fills[1].color, Color::whiteColor());
    EXPECT_EQ(strokes[1].color, Color::blueColor());
    const PlotRect ring = strokes[1].path.bounds();
    EXPECT_NEAR(ring.width, 10.0f, 1e-3f);
    EXPECT_NEAR(ring.y + 5.0f, 64.0f, 1e-3f);
    EXPECT_EQ(vertices(strokes[4].path).size(), 3u);
    EXPECT_EQ(strokes[4].color, Color::blueColor());
}

TEST(BarPlot, AxesGridAndTitles) {
    auto v = makeView({10, 20}, 80);
    v->setLabels(std::vector<std::string>{"a", "b"});
    v->setLabels("Sample", "ppm");
    v->setShowGrid(true);
    v->onSetLines();
    RecordingCanvas c;
    v->drawRect(c);
    const auto strokes = c.opsOfKind(Kind::Stroke);
    ASSERT_EQ(strokes.size(), 4u);  // axes, horizontal grid, vertical grid, line
    const auto axes = vertices(strokes[0].path);
    EXPECT_EQ(strokes[0].color, Color::blackColor());
    EXPECT_EQ(axes[0], (PlotPoint{55, 40}));
    EXPECT_EQ(axes[1], (PlotPoint{55, 290}));
    EXPECT_EQ(axes[3], (PlotPoint{365, 40}));
    // Slot ticks for the two labels and the end: three; then five value ticks.
    EXPECT_EQ(axes.size(), 4u + 3u * 2u + 5u * 2u);
    EXPECT_EQ(axes[4], (PlotPoint{60, 40}));
    EXPECT_EQ(axes[5], (PlotPoint{60, 35}));
    EXPECT_EQ(axes[10], (PlotPoint{50, 40}));
    EXPECT_EQ(axes[11], (PlotPoint{55, 40}));
    EXPECT_EQ(strokes[1].color, Color::grayColor());
    EXPECT_EQ(vertices(strokes[1].path).size(), 10u);
    EXPECT_EQ(vertices(strokes[1].path)[1], (PlotPoint{365, 40}));
    EXPECT_EQ(vertices(strokes[2].path).size(), 6u);
    EXPECT_EQ(vertices(strokes[2].path)[1], (PlotPoint{60, 280}));

    // Titles in the system font: x centred under the plot area at 5 from the
    // bottom, y turned a quarter and centred on the plot area's height.
    const auto texts = c.opsOfKind(Kind::Text);
    EXPECT_EQ(texts[0].text, "Sample");
    EXPECT_EQ(texts[0].font, FontDescription::systemFont());
    EXPECT_EQ(texts[0].origin, (PlotPoint{60.0f + 150.0f - 19.5f, 5.0f}));
    EXPECT_EQ(texts[1].text, "ppm");
    EXPECT_EQ(texts[1].angle, 90.0f);
    EXPECT_EQ(texts[1].origin, (PlotPoint{160.0f - 9.75f, -5.0f - 16.25f}));
    EXPECT_EQ(c.saveDepth(), 0u);
}

TEST(BarPlot, ReferenceValuesOnTheirCategories) {
    auto v = makeView({10, 20, 30, 40}, 100);
    v->setLabels(std::vector<std::string>{"a", "b", "c"});  // fewer labels than values
    v->setReferenceLabels({"c", "a", "b"}, {5, 7});       // "b" has no value
    v->onSetBars();
    RecordingCanvas c;
    v->drawRect(c);
    const auto fills = c.opsOfKind(Kind::Fill);
    ASSERT_EQ(fills.size(), 1u + 4u * 2u + 2u);
    const auto l = v->layout();
    const PlotRect dotA = fills[9].path.bounds(), dotC = fills[10].path.bounds();
    EXPECT_EQ(fills[9].color, Color::blackColor());
    EXPECT_NEAR(dotA.x + 5.0f, v->slotCentre(l, 0), 1e-3f);
    EXPECT_NEAR(dotA.y + 5.0f, 40.0f + 7.0f * 2.4f, 1e-3f);
    EXPECT_NEAR(dotC.x + 5.0f, v->slotCentre(l, 2), 1e-3f);
    EXPECT_NEAR(dotC.y + 5.0f, 40.0f + 12.0f, 1e-3f);
    EXPECT_NEAR(dotC.width, 10.0f, 1e-3f);
    // On a log axis a reference at or below zero is not marked.
    v->setReferenceLabels({"a"}, {0});
    v->setIsLogarithmic(true);
    RecordingCanvas lc;
    v->drawRect(lc);
    EXPECT_EQ(lc.opsOfKind(Kind::Fill).size(), 1u + 4u * 2u);
}

TEST(BarPlot, MenuTitlesChecksAndActions) {
    auto v = makeView({1, 2});
    int redraws = 0;
    v->setDisplayRequest([&] { ++redraws; });
    const BarPlotMenu& m = v->menuForEvent({10, 10});
    EXPECT_EQ(m.title, "Barplot");
    std::vector<std::string> titles;
    for (const auto& i : m.items) titles.push_back(i.separator ? "-" : i.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Logarithmic scale", "Hide grid", "-", "Bars", "Lines",
                                                "Lines and markers", "-", "Save as PDF...", "Export to Igor..."}));

    EXPECT_EQ(v->validateMenuItem(BarPlotAction::ToggleScale).title, "Set logarithmic scale");
    EXPECT_EQ(v->validateMenuItem(BarPlotAction::ToggleGrid).title, "Show grid");
    EXPECT_TRUE(v->validateMenuItem(BarPlotAction::SetLinesMarkers).checked);
    EXPECT_FALSE(v->validateMenuItem(BarPlotAction::SetBars).checked);
    v->performAction(BarPlotAction::ToggleScale);
    v->performAction(BarPlotAction::ToggleGrid);
    v->performAction(BarPlotAction::SetBars);
    EXPECT_EQ(redraws, 3);
    EXPECT_TRUE(v->isLogarithmic());
    EXPECT_TRUE(v->showsGrid());
    EXPECT_EQ(v->validateMenuItem(BarPlotAction::ToggleScale).title, "Set linear scale");
    EXPECT_EQ(v->validateMenuItem(BarPlotAction::ToggleGrid).title, "Hide grid");
    EXPECT_TRUE(v->validateMenuItem(BarPlotAction::SetBars).checked);
    EXPECT_FALSE(v->validateMenuItem(BarPlotAction::SetLinesMarkers).checked);
    v->performAction(BarPlotAction::SetLines);
    EXPECT_EQ(v->mode(), CBarPlotView::kLines);
    for (auto a : {BarPlotAction::ToggleScale, BarPlotAction::PrintPlot, BarPlotAction::ExportToIgor})
        EXPECT_TRUE(v->validateMenuItem(a).enabled);
    // Setters do not redraw.
    v->setValues({3});
    v->setIsLogarithmic(false);
    EXPECT_EQ(redraws, 4);
}

TEST(BarPlot, StepperSetsTheTopOfTheAxis) {
    auto v = makeView({1, 2});
    int redraws = 0;
    v->setDisplayRequest([&] { ++redraws; });
    v->setMinimum(0, 50);  // the stepper's limits follow; its value stays
    EXPECT_EQ(v->stepper().maxValue, 50.0);
    EXPECT_EQ(v->stepper().value, 100.0);
    v->stepperIncrement();  // clamped to the maximum, no wrapping
    EXPECT_EQ(v->stepper().value, 50.0);
    EXPECT_EQ(v->mMaximum(), 50.0f);
    v->stepperDecrement();
    EXPECT_EQ(v->mMaximum(), 49.0f);
    EXPECT_EQ(redraws, 2);
    v->setMinimum(48, 50);
    v->stepperDecrement();
    v->stepperDecrement();
    EXPECT_EQ(v->mMaximum(), 48.0f);
}

TEST(BarPlotExport, IgorFileLayoutReadsBackAndNumbersFollow) {
    FixedChooser chooser(std::string("bars.itx"));
    auto v = makeView({1.5, -2e-7, 12345.678});
    v->setLabels(std::vector<std::string>{"SiO2", "H2O \"free\"", "CO2"});
    ASSERT_EQ(v->onExportToIgor(), ExportStatus::Written);
    EXPECT_EQ(chooser.type, "itx");
    EXPECT_EQ(slurp("bars.itx"),
              "IGOR\nWAVES v0\nBEGIN\n"
              "\t      1.500000e+00\n"
              "\t     -2.000000e-07\n"
              "\t      1.234568e+04\n"
              "END\nWAVES/T s0\nBEGIN\n"
              "\t\"SiO2\"\n"
              "\t\"H2O \\\"free\\\"\"\n"
              "\t\"CO2\"\n"
              "END\n");
    {
        DataTextFile f("bars.itx");
        ASSERT_EQ(f.set_index("v0"), 1);
        std::vector<double> back;
        double x = 0;
        while (f.read()) {
            f >> x;
            back.push_back(x);
        }
        EXPECT_FALSE(f.failed()) << f.error();
        ASSERT_EQ(back.size(), 3u);
        EXPECT_DOUBLE_EQ(back[0], 1.5);
        EXPECT_DOUBLE_EQ(back[1], -2e-7);
        EXPECT_NEAR(back[2], 12345.678, 5e-3);
    }

    // The second export proposes data1.itx and names its waves v1 and s1.
    ASSERT_EQ(v->onExportToIgor(), ExportStatus::Written);
    EXPECT_EQ(chooser.proposed, (std::vector<std::string>{"data0.itx", "data1.itx"}));
    const std::string second = slurp("bars.itx");
    EXPECT_EQ(second.rfind("IGOR\nWAVES v1\nBEGIN\n", 0), 0u);
    EXPECT_NE(second.find("END\nWAVES/T s1\nBEGIN\n"), std::string::npos);
    EXPECT_EQ(v->igorIndex(), 2);
    DataTextFile f("bars.itx");
    EXPECT_EQ(f.set_index("v1"), 1);
}

TEST(BarPlotExport, CancelAndUnwritablePathsChangeNothing) {
    auto v = makeView({1});
    {
        FixedChooser cancel(std::nullopt);
        EXPECT_EQ(v->onExportToIgor(), ExportStatus::Cancelled);
        EXPECT_EQ(cancel.proposed.at(0), "data0.itx");
    }
    std::filesystem::create_directory("a_folder");
    {
        FixedChooser folder(std::string("a_folder"));
        EXPECT_EQ(v->onExportToIgor(), ExportStatus::CannotOpen);
    }
    EXPECT_EQ(v->igorIndex(), 0);
    // No chooser installed: nothing to ask, nothing written.
    EXPECT_EQ(v->onExportToIgor(), ExportStatus::Cancelled);
}

TEST(BarPlotExport, PdfGoesThroughTheInstalledWriterWithoutTheStepper) {
    auto v = makeView({1});
    v->setPlotName("ratios");
    FixedChooser chooser(std::string("ratios.pdf"));
    // No writer: reported, nothing written.
    EXPECT_FALSE(v->onPrintPlot());
    bool hiddenWhileWriting = false;
    std::string written;
    v->setPdfWriter([&](CBarPlotView& view, const std::string& path, std::string&) {
        hiddenWhileWriting = view.stepper().hidden;
        written = path;
        return true;
    });
    EXPECT_TRUE(v->onPrintPlot());
    EXPECT_EQ(chooser.proposed.back(), "ratios");
    EXPECT_EQ(chooser.type, "pdf");
    EXPECT_EQ(written, "ratios.pdf");
    EXPECT_TRUE(hiddenWhileWriting);
    EXPECT_FALSE(v->stepper().hidden);
    v->setPdfWriter([](CBarPlotView&, const std::string&, std::string& error) {
        error = "disk full";
        return false;
    });
    EXPECT_FALSE(v->onPrintPlot());
    EXPECT_FALSE(v->stepper().hidden);
}

}  // namespace
