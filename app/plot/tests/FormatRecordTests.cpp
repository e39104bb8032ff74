#include <gtest/gtest.h>

#include "app/plot/CCurveFormat.h"
#include "app/plot/CPlotFormat.h"
#include "app/plot/CPlotView.h"
#include "app/plot/CPointFormat.h"
#include "app/plot/CTextFormat.h"
#include "platform/KeyedArchive.h"

namespace {

// Encodes the record under "root", writes a binary property list, reads it
// back and decodes it into `out`.
template <class Record>
bool roundTrip(const Record& in, Record& out, platform::PropertyList* archive = nullptr) {
    platform::KeyedArchiver a;
    a.encodeObject("root", &in);
    std::string bytes = a.encodedData();
    platform::KeyedUnarchiver u;
    if (!u.open(bytes).ok) return false;
    bool found = u.decodeObject("root", [&](platform::KeyedUnarchiver& c) { out.initWithCoder(c); });
    if (archive) readPropertyList(bytes, *archive);
    return found && !u.failed();
}

// The dictionary of the object under $top's "root".
const platform::PropertyList* rootObject(const platform::PropertyList& archive) {
    const platform::PropertyList* top = archive.find("$top");
    const platform::PropertyList* objects = archive.find("$objects");
    if (!top || !objects) return nullptr;
    const platform::PropertyList* ref = top->find("root");
    if (!ref || !ref->isUID()) return nullptr;
    return &objects->at(ref->uidValue());
}

TEST(FormatRecords, DefaultsAndStyleBits) {
    CTextFormat t;
    EXPECT_EQ(t.fontName(), "Arial");
    EXPECT_EQ(t.size(), 10);
    EXPECT_EQ(t.style(), 0);
    t.setBold(true);
    t.setItalic(true);
    EXPECT_EQ(t.style(), 3);
    t.setBold(false);
    EXPECT_EQ(t.style(), 2);
    EXPECT_FALSE(t.isBold());
    EXPECT_TRUE(t.isItalic());

    CPointFormat p;
    EXPECT_EQ(p.size(), 3);
    EXPECT_EQ(p.selector(), 3);
    EXPECT_EQ(p.color(), Color::redColor());
    CCurveFormat c;
    EXPECT_EQ(c.size(), 1);
    EXPECT_EQ(c.color(), Color::redColor());

    CPlotFormat f;
    EXPECT_EQ(f.maxX(), 1.0f);
    EXPECT_EQ(f.currentMaxY(), 1.0f);
    ASSERT_TRUE(f.legendFormat() && f.labelsFormat() && f.ticksFormat());
    EXPECT_NE(f.legendFormat(), f.ticksFormat());
}

TEST(FormatRecords, PlotFormatRoundTripsThroughItsKeys) {
    CPlotFormat f;
    const float v[10] = {-1.5f, 2.25f, 3e-7f, 4e7f, -5.0f, 6.125f, 7.0f, 8.5f, 9.75f, -10.0f};
    f.setMinX(v[0]);
    f.setMaxX(v[1]);
    f.setMinY(v[2]);
    f.setMaxY(v[3]);
    f.setCurrentMinX(v[4]);
    f.setCurrentMaxX(v[5]);
    f.setCurrentMinY(v[6]);
    f.setCurrentMaxY(v[7]);
    f.setLegendX(v[8]);
    f.setLegendY(v[9]);
    f.legendFormat()->setFontName("Helvetica");
    f.legendFormat()->setSize(14);
    f.legendFormat()->setBold(true);
    f.labelsFormat()->setFontName("DejaVu Sans");
    f.labelsFormat()->setItalic(true);
    f.ticksFormat()->setSize(8);

    CPlotFormat g;
    g.setLegendFormat(nullptr);
    platform::PropertyList archive;
    ASSERT_TRUE(roundTrip(f, g, &archive));
    const float w[10] = {g.minX(), g.maxX(), g.minY(), g.maxY(), g.currentMinX(),
                         g.currentMaxX(), g.currentMinY(), g.currentMaxY(), g.legendX(), g.legendY()};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(w[i], v[i]) << i;
    ASSERT_TRUE(g.legendFormat() && g.labelsFormat() && g.ticksFormat());
    EXPECT_EQ(g.legendFormat()->fontName(), "Helvetica");
    EXPECT_EQ(g.legendFormat()->size(), 14);
    EXPECT_EQ(g.legendFormat()->style(), 1);
    EXPECT_EQ(g.labelsFormat()->fontName(), "DejaVu Sans");
    EXPECT_EQ(g.labelsFormat()->style(), 2);
    EXPECT_EQ(g.ticksFormat()->size(), 8);
    EXPECT_EQ(g.ticksFormat()->fontName(), "Arial");

    // The keys are the ones written, under the records' class names.
    const platform::PropertyList* obj = rootObject(archive);
    ASSERT_TRUE(obj);
    for (const char* k : {"minX", "maxX", "minY", "maxY", "currentMinX", "currentMaxX", "currentMinY", "currentMaxY",
                          "legendX", "legendY", "legend", "labels", "ticks"})
        EXPECT_TRUE(obj->contains(k)) << k;
    EXPECT_TRUE(obj->find("minX")->isReal());
    EXPECT_TRUE(obj->find("legend")->isUID());
}

TEST(FormatRecords, CurveAndPointFormatsKeepColourAndKind) {
    CPointFormat p;
    p.setSize(7);
    p.setSelector(12);
    p.setColor(Color{0.25f, 0.5f, 0.75f, 0.5f});
    CPointFormat q;
    platform::PropertyList archive;
    ASSERT_TRUE(roundTrip(p, q, &archive));
    EXPECT_EQ(q.size(), 7);
    EXPECT_EQ(q.selector(), 12);
    EXPECT_EQ(q.color(), (Color{0.25f, 0.5f, 0.75f, 0.5f}));
    const platform::PropertyList* obj = rootObject(archive);
    ASSERT_TRUE(obj);
    EXPECT_TRUE(obj->find("size")->isInteger());
    EXPECT_TRUE(obj->find("selector")->isInteger());
    EXPECT_TRUE(obj->find("color")->isUID());

    CCurveFormat c;
    c.setSize(2);
    c.setColor(std::nullopt);
    CCurveFormat d;
    ASSERT_TRUE(roundTrip(c, d));
    EXPECT_EQ(d.size(), 2);
    EXPECT_FALSE(d.color().has_value());  // nil stays nil

    CPointFormat copy(p);  // point and curve formats copy
    EXPECT_EQ(copy.selector(), 12);
    EXPECT_EQ(copy.color(), p.color());
}

TEST(FormatRecords, AbsentKeysGiveZerosAndNoObjects) {
    // An archive of a text format read as a plot format: nothing matches.
    CTextFormat t;
    CPlotFormat g;
    platform::KeyedArchiver a;
    a.encodeObject("root", &t);
    platform::KeyedUnarchiver u;
    ASSERT_TRUE(u.open(a.encodedData()).ok);
    u.decodeObject("root", [&](platform::KeyedUnarchiver& c) { g.initWithCoder(c); });
    EXPECT_EQ(g.maxX(), 0.0f);
    EXPECT_EQ(g.currentMaxY(), 0.0f);
    EXPECT_FALSE(g.legendFormat());
    // Applying such a record keeps the view's fonts.
    CPlotView view({0, 0, 300, 200});
    FontDescription before = view.getTicksAttributes();
    CPlotFormat partial;
    partial.setTicksFormat(nullptr);
    view.setFromPlotFormat(partial);
    EXPECT_EQ(view.getTicksAttributes(), before);
    EXPECT_EQ(view.getLegendsAttributes().family, "Arial");
    EXPECT_EQ(view.getLegendsAttributes().pointSize, 10.0f);
}

TEST(FormatRecords, PlotViewFillsAndAppliesAFormat) {
    CPlotView view({0, 0, 300, 200});
    view.setDefaultXYRange(1, 2, 3, 4);
    view.setXYRange(1.5f, 1.75f, 3.5f, 3.75f);
    view.setLegendPosition(1.2f, 3.3f);
    CPlotFormat f;
    view.updatePlotFormat(f);
    EXPECT_EQ(f.minX(), 1.0f);
    EXPECT_EQ(f.maxY(), 4.0f);
    EXPECT_EQ(f.currentMaxX(), 1.75f);
    EXPECT_EQ(f.legendX(), 1.2f);
    EXPECT_EQ(f.legendY(), 3.3f);

    f.labelsFormat()->setFontName("DejaVu Serif");
    f.labelsFormat()->setSize(16);
    f.labelsFormat()->setBold(true);
    CPlotView other({0, 0, 300, 200});
    other.setFromPlotFormat(f);
    float x0, x1, y0, y1;
    other.getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x0, 1.5f);
    EXPECT_EQ(y1, 3.75f);
    other.getDefaultXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x1, 2.0f);
    EXPECT_FALSE(other.mLegend()->isHidden());
    EXPECT_EQ(other.getLabelsAttributes(), (FontDescription{"DejaVu Serif", 16, true, false}));
    EXPECT_EQ(other.getLabelsAttributes().postScriptName(), "DejaVu Serif-Bold");
}

}  // namespace
