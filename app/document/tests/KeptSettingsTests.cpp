// The case window as a user works it: the document's gas-density setting
// kept in its file and named with the eruption table, the bounds of the
// initial pressure and of the eruption threshold taken as inside their
// ranges, and the axis-range panel placed beside the plot it serves.
#include "CaseWindowFixture.h"

#include "platform/KeyedArchive.h"

namespace {

QPushButton* buttonOf(QWidget* window, const QString& text) {
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

// A plot's rectangle on the screen.
QRect onScreen(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

}  // namespace

// H2O at its saturation content, 10 % final crystals: the pressure at the
// final state with ideal-gas densities differs from that with the equations
// of state; the setting comes back with the file, and with it the same
// pressure; a file written without the setting opens with the equations of
// state, as every document did before the setting was kept.
TEST_F(CaseWindow, GasDensitiesAreKeptWithTheDocumentAndNamedWithTheEruptionTable) {
    doc->fluidType()->button(kChamberFluidH2O)->click();
    QPushButton* saturate = buttonOf(doc->window(), "Saturate");
    ASSERT_NE(saturate, nullptr);
    QTest::mouseClick(saturate, Qt::LeftButton);
    const QString withEOS = result("mP1");
    ASSERT_NE(withEOS, "no value");
    doc->useEOSBox()->click();
    ASSERT_FALSE(doc->useEOSBox()->isChecked());
    const QString ideal = result("mP1");
    ASSERT_NE(ideal, "no value");
    EXPECT_NE(ideal, withEOS);
    // The eruption table says which densities it was computed with.
    QPushButton* erupt = buttonOf(doc->window(), "Eruptive sequence");
    ASSERT_NE(erupt, nullptr);
    QTest::mouseClick(erupt, Qt::LeftButton);
    ASSERT_NE(doc->eruptionTableWindow(), nullptr);
    EXPECT_TRUE(doc->eruptionTableWindow()->heading().contains(", ideal-gas densities, overpressure at eruption"))
        << doc->eruptionTableWindow()->heading().toStdString();

    ASSERT_TRUE(c.saveDocumentAs(doc, "docs/ideal.chamber"));
    ASSERT_TRUE(c.closeDocument(doc));
    doc = dynamic_cast<MyDocument*>(c.openDocument("docs/ideal.chamber"));
    ASSERT_NE(doc, nullptr) << errors.join("; ").toStdString();
    EXPECT_FALSE(doc->useEOSBox()->isChecked());
    EXPECT_EQ(doc->calculator().model().useEOS, 0);
    EXPECT_EQ(result("mP1"), ideal);
    EXPECT_FALSE(doc->isDocumentEdited());
    // Ticked again, saved and reopened: the equations of state, named with the table.
    doc->useEOSBox()->click();
    EXPECT_EQ(result("mP1"), withEOS);
    ASSERT_TRUE(c.saveDocument(doc));
    ASSERT_TRUE(c.closeDocument(doc));
    doc = dynamic_cast<MyDocument*>(c.openDocument("docs/ideal.chamber"));
    ASSERT_NE(doc, nullptr) << errors.join("; ").toStdString();
    EXPECT_TRUE(doc->useEOSBox()->isChecked());
    EXPECT_EQ(result("mP1"), withEOS);
    QTest::mouseClick(buttonOf(doc->window(), "Eruptive sequence"), Qt::LeftButton);
    EXPECT_TRUE(doc->eruptionTableWindow()->heading().contains(
        ", gas densities from the equations of state, overpressure at eruption"))
        << doc->eruptionTableWindow()->heading().toStdString();

    // A file of cases alone (no "useEOS" entry), as written before the setting was kept.
    const PropertyList cases = doc->list().cases();
    {
        platform::KeyedArchiver archiver;
        archiver.encodeObject("list", cases);
        std::ofstream("docs/cases-only.chamber", std::ios::binary) << archiver.encodedData();
    }
    ASSERT_TRUE(c.closeDocument(doc));
    doc = dynamic_cast<MyDocument*>(c.openDocument("docs/cases-only.chamber"));
    ASSERT_NE(doc, nullptr) << errors.join("; ").toStdString();
    EXPECT_TRUE(doc->useEOSBox()->isChecked());
    EXPECT_EQ(doc->list().cases(), cases);
    EXPECT_EQ(result("mP1"), withEOS);
    // A setting that is neither true nor false is refused, with what is wrong.
    {
        platform::KeyedArchiver archiver;
        archiver.encodeObject("list", cases);
        archiver.encodeObject("useEOS", PropertyList::string("yes"));
        std::ofstream("docs/bad-setting.chamber", std::ios::binary) << archiver.encodedData();
    }
    EXPECT_EQ(c.openDocument("docs/bad-setting.chamber"), nullptr);
    ASSERT_FALSE(errors.isEmpty());
    EXPECT_TRUE(errors.last().contains("\"useEOS\" entry")) << errors.last().toStdString();
}

// The ranges are said as "100 bar to 5000 bar": both ends lie inside them,
// and so does the highest eruption threshold, 5000 bar less P0.
TEST_F(CaseWindow, TheBoundsOfTheInitialPressureAndOfTheThresholdLieInsideTheirRanges) {
    doc->fluidType()->button(kChamberFluidH2O)->click();
    for (const char* bound : {"100", "5000"}) {
        SCOPED_TRACE(bound);
        type("P0", bound);
        EXPECT_NE(result("mMeltWt0"), "no value");
        EXPECT_FALSE(doc->statusLine()->text().contains("initial pressure")) << doc->statusLine()->text().toStdString();
    }
    for (const char* outside : {"99.99999", "5000.0001"}) {
        SCOPED_TRACE(outside);
        type("P0", outside);
        EXPECT_EQ(result("mMeltWt0"), "no value");
        EXPECT_TRUE(doc->statusLine()->text().contains("lies outside 100 bar to 5000 bar"))
            << doc->statusLine()->text().toStdString();
    }
    type("P0", "1000");
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    for (const auto& [threshold, refused] : {std::pair{"4000", false}, std::pair{"4000.001", true}}) {
        SCOPED_TRACE(threshold);
        log->clearText();
        doc->pfracField()->setText(threshold);
        QTest::keyClick(doc->pfracField(), Qt::Key_Return);
        EXPECT_EQ(log->plainText().find("lies outside the 0 to 4000 bar") != std::string::npos, refused)
            << log->plainText();
    }
}

// Whichever plot's Axis button is clicked, the panel opens beside that plot.
// In a window that fills a screen too small for the panel to lie clear of
// both plots, it hides the least of them: never the other plot, of its own
// only an edge (the old place, the window's lower right corner, hid a third
// of the lower plot); beside a plot copied into a window of its own; always
// on the screen.
TEST_F(CaseWindow, TheAxisRangePanelOpensBesideItsPlot) {
    QWidget* w = doc->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const QRect area = w->screen()->availableGeometry();
    // The window fills the screen (no room beside it), its plots scrolled into view.
    w->showMaximized();
    QApplication::processEvents();
    ASSERT_EQ(w->frameGeometry().width(), area.width());
    for (QScrollArea* pane : w->findChildren<QScrollArea*>()) {
        if (!pane->widget() || !pane->widget()->isAncestorOf(doc->pressureView())) continue;
        pane->ensureWidgetVisible(doc->pressureView(), 0, 0);
        pane->ensureWidgetVisible(doc->exsolView(), 0, 0);
    }
    QApplication::processEvents();
    for (CDrawPlotView* box : {doc->exsolView(), doc->pressureView()})
        ASSERT_TRUE(area.contains(onScreen(box->plotWidget())));
    // Over no more than an edge of a plot: a strip of at most a quarter of its width or height.
    auto atMostAnEdge = [](const QRect& panel, const QRect& plot) {
        const QRect over = panel.intersected(plot);
        return over.isEmpty() || 4 * over.width() <= plot.width() || 4 * over.height() <= plot.height();
    };
    for (CDrawPlotView* box : {doc->exsolView(), doc->pressureView()}) {
        CDrawPlotView* other = box == doc->exsolView() ? doc->pressureView() : doc->exsolView();
        delete CAxisRangeWindow::existingShared();  // a panel never placed yet
        QTest::mouseClick(box->axisButton(), Qt::LeftButton);
        CAxisRangeWindow* axes = CAxisRangeWindow::existingShared();
        ASSERT_NE(axes, nullptr);
        ASSERT_TRUE(axes->isVisible());
        EXPECT_EQ(axes->currentPlotView(), box->plotView());
        const QRect panel = axes->frameGeometry();
        EXPECT_TRUE(area.contains(panel));
        const QRect plot = onScreen(box->plotWidget());
        EXPECT_FALSE(panel.intersects(onScreen(other->plotWidget())));
        EXPECT_TRUE(atMostAnEdge(panel, plot))
            << "panel at " << panel.x() << "," << panel.y() << " " << panel.width() << "x" << panel.height() << " plot "
            << plot.x() << "," << plot.y() << " " << plot.width() << "x" << plot.height();
        axes->hide();
    }
    // A copy of the pressure plot in a window of its own, at the screen's right edge.
    doc->pressureView()->plotView()->onOpenNewPlotWindow();
    CPlotWindow* copy = QtPlotPanels::shared().lastPlotWindow();
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(copy));
    copy->move(area.x() + area.width() - copy->frameGeometry().width(), area.y());
    QApplication::processEvents();
    CDrawPlotView* copied = copy->findChild<CDrawPlotView*>();
    ASSERT_NE(copied, nullptr);
    QTest::mouseClick(copied->axisButton(), Qt::LeftButton);
    CAxisRangeWindow* axes = CAxisRangeWindow::existingShared();
    ASSERT_NE(axes, nullptr);
    EXPECT_EQ(axes->currentPlotView(), copied->plotView());
    const QRect panel = axes->frameGeometry();
    EXPECT_TRUE(area.contains(panel));
    const QRect plot = onScreen(copied->plotWidget()), win = copy->frameGeometry();
    EXPECT_FALSE(panel.intersects(plot))
        << "panel at " << panel.x() << "," << panel.y() << " " << panel.width() << "x" << panel.height() << " plot "
        << plot.x() << "," << plot.y() << " " << plot.width() << "x" << plot.height() << " window " << win.x() << ","
        << win.y() << " " << win.width() << "x" << win.height() << " area " << area.width() << "x" << area.height();
    axes->hide();
    copy->close();
}
