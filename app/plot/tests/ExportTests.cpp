#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/plot/CGraphCurve.h"
#include "app/plot/FileChooser.h"
#include "app/plot/tests/PlotTestSupport.h"
#include "numerics/DataTextFile.h"

namespace {

// A chooser that answers with a fixed path (or cancels) and records what it
// was asked.
class FixedChooser : public FileChooser {
public:
    explicit FixedChooser(std::optional<std::string> answer) : mAnswer(std::move(answer)) { setFileChooser(this); }
    ~FixedChooser() override { setFileChooser(nullptr); }
    std::optional<std::string> chooseSaveFile(const std::string& proposedName, const std::string& fileType) override {
        proposed = proposedName;
        type = fileType;
        return mAnswer;
    }
    std::string proposed, type;

private:
    std::optional<std::string> mAnswer;
};

std::shared_ptr<CGraphCurve> sampleCurve() {
    auto c = std::make_shared<CGraphCurve>();
    c->addPoint(1.5f, -2.0f, false);
    c->addPoint(0.0f, 0.0f, true);
    c->addPoint(1e-5f, 12345.678f, false);
    return c;
}

TEST(CurveExport, TextRowsWithAnEmptyLineAtEachBreak) {
    FixedChooser chooser(std::string("curve.txt"));
    auto c = sampleCurve();
    ASSERT_EQ(c->exportCurveData(), ExportStatus::Written);
    EXPECT_EQ(chooser.proposed, "data.txt");
    EXPECT_EQ(chooser.type, "txt");
    EXPECT_EQ(slurp("curve.txt"),
              "      1.500000e+00\t     -2.000000e+00\n"
              "\n"
              "      1.000000e-05\t      1.234568e+04\n");
}

TEST(CurveExport, IgorFileIsByteExactAndReadsBack) {
    FixedChooser chooser(std::string("data.itx"));
    auto c = sampleCurve();
    c->setName("H2O");
    ASSERT_EQ(c->exportToIgor(), ExportStatus::Written);
    EXPECT_EQ(chooser.proposed, "data.itx");
    EXPECT_EQ(chooser.type, "itx");
    EXPECT_EQ(slurp("data.itx"),
              "IGOR\nWAVES H2Ox0 H2Oy0\nBEGIN\n"
              "      1.500000e+00\t     -2.000000e+00\n"
              "\n"
              "      1.000000e-05\t      1.234568e+04\n"
              "END\n");

    // Read back by the column reader, which skips the empty break line.
    {
        DataTextFile f("data.itx");
        ASSERT_EQ(f.set_index("H2Ox0 H2Oy0"), 2);
        double vx = 0, vy = 0;
        ASSERT_EQ(f.read(), 1);
        f >> vx >> vy;
        EXPECT_DOUBLE_EQ(vy, -2.0);
        ASSERT_EQ(f.read(), 1);
        f >> vx >> vy;
        EXPECT_DOUBLE_EQ(vx, 1e-5);
        EXPECT_EQ(f.read(), 0);
        EXPECT_FALSE(f.failed()) << f.error();
    }
    CGraphCurve plain;
    plain.setName("CO2 (25 °C)");  // blanks and non-ASCII bytes cannot stand in a wave name
    for (int i = 0; i < 5; ++i) plain.addPoint(float(i) * 0.5f, float(i * i) - 3.0f, false);
    ASSERT_EQ(plain.writeIgorData("plain.itx"), ExportStatus::Written);
    DataTextFile f("plain.itx");
    ASSERT_TRUE(f.is_igor());
    std::string x = plain.igorWaveBaseName() + "x0", y = plain.igorWaveBaseName() + "y0";
    EXPECT_EQ(plain.igorWaveBaseName(), "CO2_(25___C)");
    ASSERT_EQ(f.set_index(x + " " + y), 2);
    int rows = 0;
    while (f.read()) {
        double vx = 0, vy = 0;
        f >> vx >> vy;
        EXPECT_DOUBLE_EQ(vx, rows * 0.5);
        EXPECT_DOUBLE_EQ(vy, rows * rows - 3.0);
        ++rows;
    }
    EXPECT_FALSE(f.failed()) << f.error();
    EXPECT_EQ(rows, 5);
}

TEST(CurveExport, UnnamedCurvesGetADefaultWaveName) {
    CGraphCurve c;
    c.addPoint(1, 2, false);
    ASSERT_EQ(c.writeIgorData("unnamed.itx"), ExportStatus::Written);
    EXPECT_EQ(slurp("unnamed.itx").substr(0, 30), "IGOR\nWAVES curvex0 curvey0\nBEG");
    DataTextFile f("unnamed.itx");
    EXPECT_EQ(f.set_index("curvex0 curvey0"), 2);
    EXPECT_EQ(f.read(), 1);
}

TEST(CurveExport, CancelledOrUnwritableExportsWriteNothingAndSaySo) {
    std::filesystem::remove("never.txt");
    {
        FixedChooser cancel(std::nullopt);
        EXPECT_EQ(sampleCurve()->exportCurveData(), ExportStatus::Cancelled);
        EXPECT_EQ(sampleCurve()->exportToIgor(), ExportStatus::Cancelled);
    }
    EXPECT_EQ(sampleCurve()->exportCurveData(), ExportStatus::Cancelled);  // no chooser installed
    EXPECT_FALSE(std::filesystem::exists("never.txt"));
    FixedChooser bad(std::string("no-such-folder/x.txt"));
    EXPECT_EQ(sampleCurve()->exportCurveData(), ExportStatus::CannotOpen);
    EXPECT_EQ(sampleCurve()->exportToIgor(), ExportStatus::CannotOpen);
}

}  // namespace
