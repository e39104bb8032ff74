// The pressure plot's crystallisation curve in the document window: every row
// the model computed is drawn, no line crosses rows it left out, and what the
// curve extrapolates or leaves out is said with every calculation.
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

}  // namespace

TEST_F(CaseWindow, TheCrystallisationCurveDrawsEveryComputedRowAndSaysItsExtrapolationEachTime) {
    // Half CO2, saturated, ideal gas, to 99 % crystals: the chamber's pressure
    // falls below the solubility laws' 100 bar from 50.8 % crystals on (to
    // 87.08 bar at 60 % and 80.97 bar at 80 %) and comes back to 100 bar near 95.5 %.
    doc->useEOSBox()->click();
    ASSERT_FALSE(doc->useEOSBox()->isChecked());
    doc->imposeSaturationBox()->click();
    ASSERT_TRUE(doc->imposeSaturationBox()->isChecked());
    type("zb", "50");
    const char* said = "447 of the 991 rows of the crystallisation curve (crystal fractions 0.508 to 0.954) have "
                       "pressures outside the 100 to 5000 bar in which the solubility laws were calibrated";
    // Said with every calculation that draws the curve, not the first only.
    for (const char* final : {"99", "60", "99"}) {
        SCOPED_TRACE(final);
        type("cr1", final);
        const std::string status = doc->statusLine()->text().toStdString();
        if (std::string(final) == "99") {
            EXPECT_NE(status.find(said), std::string::npos) << status;
        } else {  // 60
            // The rows to 60 %; the final state there is outside the laws' range.
            EXPECT_NE(status.find("93 of the 601 rows"), std::string::npos) << status;
            EXPECT_NE(status.find("0.6, 87.0752 bar, lies below the 100 bar"), std::string::npos) << status;
        }
        EXPECT_EQ(status.find("left out"), std::string::npos) << status;
    }
    std::shared_ptr<CGraphCurve> curve = crystallisationCurve(doc);
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->mPointsList().size(), 991u);
    EXPECT_NEAR(drawnPressureAt(*curve, 60.0f).value_or(0.0f), 87.08f, 0.005f);
    EXPECT_NEAR(drawnPressureAt(*curve, 80.0f).value_or(0.0f), 80.97f, 0.005f);
    // Below 100 bar between 50.8 % and 95.4 %: no flat line at the bound.
    for (const CurvePoint& p : curve->mPointsList()) {
        if (p.x > 50.85f && p.x < 95.35f) {
            EXPECT_LT(p.y, 100.0f) << p.x;
        }
    }
    EXPECT_LE(widestDrawnStep(*curve), 0.1001f);
    // The crystals axis ends at 100 wt %, which no crystal content exceeds.
    float x0, x1;
    doc->pressureView()->plotView()->getXYRange(&x0, &x1, nullptr, nullptr);
    EXPECT_EQ(x1, 100.0f);
    doc->pressureView()->plotView()->getDefaultXYRange(nullptr, &x1, nullptr, nullptr);
    EXPECT_EQ(x1, 100.0f);
}

TEST_F(CaseWindow, RowsLeftOutAreNeverJoinedByALineAndAreSaidEachTime) {
    // A magma without volatiles: its pressure falls as denser crystals grow,
    // V0 e^(dP/mu) = (ml/rhol0 + mc/rhoc0) e^(-dP/mu) with mu = beta, and no
    // positive pressure is left beyond X = 0.1702: those rows are left out.
    type("wt0", "0");
    auto closedForm = [](double X) { return 1572.0 + 0.5 * 1e10 * std::log((1 - X) + X * 2700.0 / 3300.0) * 1e-5; };
    for (const char* final : {"18", "17.5", "18"}) {
        SCOPED_TRACE(final);
        type("cr1", final);
        const std::string status = doc->statusLine()->text().toStdString();
        const int rows = std::atof(final) == 18 ? 181 : 176;
        EXPECT_NE(status.find(std::to_string(rows - 171) + " of the " + std::to_string(rows) +
                              " rows of the crystallisation curve are left out"),
                  std::string::npos)
            << status;
        std::shared_ptr<CGraphCurve> curve = crystallisationCurve(doc);
        ASSERT_NE(curve, nullptr);
        ASSERT_EQ(curve->mPointsList().size(), 171u);
        EXPECT_NEAR(curve->mPointsList().back().x, 17.0f, 1e-4f);
        for (float x : {5.0f, 15.0f, 17.0f})
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
