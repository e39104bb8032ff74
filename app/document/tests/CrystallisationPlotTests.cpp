// The pressure plot's crystallisation curve in the document window: the rows
// the model computed within the solubility laws' range are drawn, no line
// crosses rows it left out, and the rows left out are said, with their
// crystal fractions and why, with every calculation.
#include <cstdio>

#include "CaseWindowFixture.h"

namespace {

// The pressure plot's crystallisation curve.
std::shared_ptr<CGraphCurve> crystallisationCurve(MyDocument* doc) {
    for (const auto& o : doc->pressureView()->plotView()->graphObjects())
        if (auto c = std::dynamic_pointer_cast<CGraphCurve>(o)) return c;
    return nullptr;
}

// The drawn pressure at a crystal content, from the vertex there.
std::optional<float> drawnPressureAt(const CGraphCurve& curve, float crystals) {
    for (const CurvePoint& p : curve.mPointsList())
        if (!p.breakFlag && std::fabs(p.x - crystals) < 1e-3f) return p.y;
    return std::nullopt;
}

// The widest step in crystals over which the curve draws a line.
float widestDrawnStep(const CGraphCurve& curve) {
    float widest = 0.0f;
    const auto& points = curve.mPointsList();
    for (size_t i = 1; i < points.size(); ++i)
        if (!points[i].breakFlag && !points[i - 1].breakFlag)
            widest = std::max(widest, std::fabs(points[i].x - points[i - 1].x));
    return widest;
}

// The drawn vertices (breaks aside) and the breaks of a curve.
std::pair<size_t, size_t> verticesAndBreaks(const CGraphCurve& curve) {
    size_t breaks = 0;
    for (const CurvePoint& p : curve.mPointsList()) breaks += p.breakFlag ? 1 : 0;
    return {curve.mPointsList().size() - breaks, breaks};
}

// The status line, and the log emptied before the next calculation.
std::string statusAndLog(MyDocument* doc, std::string* logged) {
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    *logged = log->document()->toPlainText().toStdString();
    log->clearText();
    return doc->statusLine()->text().toStdString();
}

}  // namespace

TEST_F(CaseWindow, TheCrystallisationCurveIsBrokenWhereRowsAreLeftOutAndSaysThemEachTime) {
    // Half CO2, saturated, ideal gas, to 99 % crystals: the chamber's pressure
    // falls below the solubility laws' 100 bar from 50.8 % crystals on (to
    // 87.08 bar at 60 % and 80.97 bar at 80 %) and comes back to 100 bar near
    // 95.5 %: those rows are left out, the curve broken there.
    CLogWindow::sharedLogWindowCtroller()->showWindow();
    doc->useEOSBox()->click();
    ASSERT_FALSE(doc->useEOSBox()->isChecked());
    doc->imposeSaturationBox()->click();
    ASSERT_TRUE(doc->imposeSaturationBox()->isChecked());
    type("zb", "50");
    std::string logged;
    statusAndLog(doc, &logged);
    const char* said = "447 of the 991 rows of the crystallisation curve (crystal fractions 0.508 to 0.954) are left "
                       "out: the pressures the model computed there, %lf to %lf bar, lie below the 100 bar from which "
                       "the solubility laws were calibrated.";
    // Said with every calculation that draws the curve, in the status line and the log.
    for (const char* final : {"99", "60", "99"}) {
        SCOPED_TRACE(final);
        type("cr1", final);
        const std::string status = statusAndLog(doc, &logged);
        if (std::string(final) == "99") {
            const size_t at = status.find("447 of the 991 rows");
            ASSERT_NE(at, std::string::npos) << status;
            double lowest = 0, highest = 0;
            ASSERT_EQ(std::sscanf(status.c_str() + at, said, &lowest, &highest), 2) << status;
            EXPECT_GT(lowest, 79.0);  // the lowest lies below the 80.97 bar at 80 %
            EXPECT_LT(lowest, 80.97);
            EXPECT_GT(highest, 99.0);
            EXPECT_LT(highest, 100.0);
            EXPECT_NE(logged.find(status.substr(at)), std::string::npos) << logged;
        } else {  // 60: the rows to 60 %, and the final state there refused with its pressure
            const std::string rows = "93 of the 601 rows of the crystallisation curve (crystal fractions 0.508 to 0.6) "
                                     "are left out: the pressures the model computed there, ";
            EXPECT_NE(status.find(rows), std::string::npos) << status;
            EXPECT_NE(logged.find(rows), std::string::npos) << logged;
            EXPECT_NE(status.find("0.6, 87.0752 bar, lies below the 100 bar"), std::string::npos) << status;
        }
    }
    std::shared_ptr<CGraphCurve> curve = crystallisationCurve(doc);
    ASSERT_NE(curve, nullptr);
    // 0 to 50.7 % and 95.5 to 99 %: 508 + 36 rows, one break between.
    EXPECT_EQ(verticesAndBreaks(*curve), std::make_pair(size_t{544}, size_t{1}));
    for (const CurvePoint& p : curve->mPointsList()) {
        EXPECT_FALSE(p.x > 50.75f && p.x < 95.45f) << p.x << " " << p.y;  // no drawn point where rows are left out
        EXPECT_GE(p.y, 100.0f) << p.x;
    }
    EXPECT_LE(widestDrawnStep(*curve), 0.1001f);  // no segment across them
    EXPECT_FALSE(drawnPressureAt(*curve, 60.0f).has_value());
    EXPECT_FALSE(drawnPressureAt(*curve, 80.0f).has_value());
    EXPECT_TRUE(drawnPressureAt(*curve, 50.7f).has_value());
    EXPECT_TRUE(drawnPressureAt(*curve, 95.5f).has_value());
    // The crystals axis ends at 100 wt %, which no crystal content exceeds.
    float x0, x1;
    doc->pressureView()->plotView()->getXYRange(&x0, &x1, nullptr, nullptr);
    EXPECT_EQ(x1, 100.0f);
    doc->pressureView()->plotView()->getDefaultXYRange(nullptr, &x1, nullptr, nullptr);
    EXPECT_EQ(x1, 100.0f);
}

TEST_F(CaseWindow, RowsLeftOutAreNeverJoinedByALineAndAreSaidEachTime) {
    // A magma without volatiles: its pressure falls as denser crystals grow,
    // V0 e^(dP/mu) = (ml/rhol0 + mc/rhoc0) e^(-dP/mu) with mu = beta.  Below
    // 100 bar (from X = 0.16) and where no positive pressure is left (beyond
    // X = 0.1702) the rows are left out.
    type("wt0", "0");
    auto closedForm = [](double X) { return 1572.0 + 0.5 * 1e10 * std::log((1 - X) + X * 2700.0 / 3300.0) * 1e-5; };
    ASSERT_GE(closedForm(0.159), 100.0);
    ASSERT_LT(closedForm(0.160), 100.0);
    ASSERT_GT(closedForm(0.170), 0.0);
    ASSERT_LT(closedForm(0.171), 0.0);
    for (const char* final : {"18", "17.5", "18"}) {
        SCOPED_TRACE(final);
        type("cr1", final);
        const std::string status = doc->statusLine()->text().toStdString();
        const std::string rows = std::string(final) == "18" ? "181" : "176";
        EXPECT_NE(status.find("11 of the " + rows + " rows of the crystallisation curve (crystal fractions 0.16 to "
                              "0.17) are left out: the pressures the model computed there, "),
                  std::string::npos)
            << status;
        EXPECT_NE(status.find("lie below the 100 bar from which the solubility laws were calibrated: with no volatile"),
                  std::string::npos)
            << status;
        EXPECT_NE(status.find(std::string(final) == "18" ? "10 of the 181 rows of the crystallisation curve (crystal "
                                                           "fractions 0.171 to 0.18) are left out: no chamber pressure"
                                                         : "5 of the 176 rows of the crystallisation curve (crystal "
                                                           "fractions 0.171 to 0.175) are left out: no chamber pressure"),
                  std::string::npos)
            << status;
        std::shared_ptr<CGraphCurve> curve = crystallisationCurve(doc);
        ASSERT_NE(curve, nullptr);
        ASSERT_EQ(verticesAndBreaks(*curve), std::make_pair(size_t{160}, size_t{0}));
        EXPECT_NEAR(curve->mPointsList().back().x, 15.9f, 1e-4f);
        for (float x : {5.0f, 15.0f, 15.9f})
            EXPECT_NEAR(drawnPressureAt(*curve, x).value_or(0.0f), closedForm(x / 100.0), 1e-3 * closedForm(x / 100.0));
        EXPECT_LE(widestDrawnStep(*curve), 0.1001f);
    }
}

TEST(CrystallisationCurve, RowsAfterLeftOutRowsAreThoseMoreThanAStepAfterTheRowBefore) {
    // Steps of 0.1 wt % (the last one nearer), with rows left out between
    // 0.3 and 0.7 and between 0.8 and 1.0, in either direction of the sweep.
    const std::vector<double> crystals = {0.0, 0.1, 0.2, 0.3, 0.7, 0.8, 1.0, 1.05};
    std::vector<CurveXY> up, down;
    for (double x : crystals) up.push_back({x, 1000.0 - x});
    for (auto it = crystals.rbegin(); it != crystals.rend(); ++it) down.push_back({*it, 1000.0 - *it});
    EXPECT_EQ(rowsAfterLeftOutRows(up), (std::vector<size_t>{4, 6}));
    EXPECT_EQ(rowsAfterLeftOutRows(down), (std::vector<size_t>{2, 4}));
    EXPECT_TRUE(rowsAfterLeftOutRows({}).empty());
    EXPECT_TRUE(rowsAfterLeftOutRows({{5.0, 100.0}}).empty());
    // The plotted curve: every row a vertex, a break before each row after a
    // gap, so that no line is drawn across the rows left out.
    std::shared_ptr<CGraphCurve> curve = MyDocument::curveOfRows(up, rowsAfterLeftOutRows(up));
    std::vector<std::pair<float, bool>> drawn;
    for (const CurvePoint& p : curve->mPointsList()) drawn.push_back({p.x, p.breakFlag});
    const std::vector<std::pair<float, bool>> expected = {{0.0f, false}, {0.1f, false}, {0.2f, false}, {0.3f, false},
                                                          {0.7f, true},  {0.7f, false}, {0.8f, false}, {1.0f, true},
                                                          {1.0f, false}, {1.05f, false}};
    EXPECT_EQ(drawn, expected);
}

TEST_F(CaseWindow, TheAxisRangePanelOpensBesideThePlotsWindowWhicheverWindowHasTheKeyboard) {
    QWidget* w = doc->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    delete CAxisRangeWindow::existingShared();  // a panel never placed yet
    // The log has the keyboard when the plot's Axis button is clicked.
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    log->showWindow();
    QApplication::setActiveWindow(log->window());
    ASSERT_EQ(QApplication::activeWindow(), log->window());
    QTest::mouseClick(doc->pressureView()->axisButton(), Qt::LeftButton);
    CAxisRangeWindow* axes = CAxisRangeWindow::existingShared();
    ASSERT_NE(axes, nullptr);
    ASSERT_TRUE(axes->isVisible());
    EXPECT_EQ(axes->currentPlotView(), doc->pressureView()->plotView());
    const QRect opened = axes->frameGeometry();
    // Where the panel places itself beside the document window.
    axes->mainWindowChanged(w);
    EXPECT_EQ(opened, axes->frameGeometry());
    EXPECT_TRUE(w->screen()->availableGeometry().contains(opened));
    axes->hide();
}
