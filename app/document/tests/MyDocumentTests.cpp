// The case document's window end to end, under Qt's offscreen platform: the
// form, its calculation, the plots, plot clicks, the eruption table in the log
// and the document file.  Screenshots of the main window and of the log window
// are written into the test's working folder ("main-window.png",
// "log-window.png") for review.
#include "CaseWindowFixture.h"

namespace {

TEST_F(CaseWindow, NewDocumentShowsOneCaseNewWithTheDefaults) {
    ASSERT_EQ(doc->list().size(), 1u);
    EXPECT_EQ(doc->list().at(0).find("name")->stringValue(), "New");
    EXPECT_EQ(doc->list().at(0), newCaseDictionary());
    EXPECT_FALSE(doc->isDocumentEdited());
    EXPECT_EQ(doc->selectedRow(), 0);
    EXPECT_EQ(shown("P0"), "1572");
    EXPECT_EQ(shown("wt0"), "0.1");
    EXPECT_EQ(shown("sa"), "6.8e-08");
    EXPECT_EQ(shown("chamber"), "10");
    EXPECT_EQ(doc->fluidType()->checkedId(), 3);
    EXPECT_EQ(doc->meltType()->checkedId(), 0);
    // Melt 0 and the mixture: densities, temperature and solubility are the model's.
    EXPECT_TRUE(doc->field("rhol0")->isReadOnly());
    EXPECT_TRUE(doc->field("sa")->isReadOnly());
    EXPECT_TRUE(doc->field("zb")->isEnabled());
    EXPECT_FALSE(doc->stepper("T0")->isEnabled());
    EXPECT_EQ(doc->pfracField()->text(), "50");
    // The results of the case: no gas at first, gas once 10 wt % have crystallised.
    EXPECT_NE(result("mMeltWt0"), "no value");
    EXPECT_NE(result("mP1"), "no value");
    EXPECT_EQ(result("mH2Ogas0"), "-");
    EXPECT_FALSE(doc->undersaturatedMsg0()->isHidden());
    // The gas densities extrapolated beyond their equations are said once, on
    // the status line of the case (and in the log), not on standard error.
    EXPECT_TRUE(doc->statusLine()->text().contains("IAPWS-95, which holds up to 1273 K: at 1473 K they are "
                                                   "extrapolated"))
        << doc->statusLine()->text().toStdString();
    // Both plots are filled: the solubility curve, the two states and the path.
    EXPECT_EQ(doc->exsolViewConcentrationUnit(), kUnitPpm);
    EXPECT_EQ(doc->exsolView()->plotView()->mXLabel().text, "H2O+CO2 in (melt+gas), ppm");
    EXPECT_EQ(doc->exsolView()->plotView()->graphObjects().size(), 4u);
    EXPECT_EQ(doc->pressureView()->plotView()->graphObjects().size(), 3u);
    EXPECT_EQ(doc->pressureView()->plotView()->mXLabel().text, "Crystals (wt %)");
}

TEST_F(CaseWindow, EditingP0RecalculatesAndMarksTheDocumentChanged) {
    const QString p1 = result("mP1");
    type("P0", "2000");
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_EQ(stored("P0").realValue(), 2000.0);
    EXPECT_NE(result("mP1"), p1);
    EXPECT_NEAR(result("mOverpressure").toDouble(), result("mP1").toDouble() - 2000.0, 0.01);
    // The stepper follows its field, and stepping writes the field back.
    EXPECT_EQ(doc->stepper("P0")->value(), 2000.0);
    doc->stepper("P0")->stepUp();
    EXPECT_EQ(shown("P0"), "2010");
    EXPECT_EQ(stored("P0").realValue(), 2010.0);
    // A pressure above the stepper's range raises its maximum.
    type("P0", "5000");
    EXPECT_EQ(doc->stepper("P0")->maximum(), 5000.0);
    EXPECT_EQ(doc->stepper("P0")->minimum(), 100.0);  // the range the chamber model takes
    // The modulus steppers reach the top of the range the form accepts, 1e13 Pa.
    type("mu", "9.5e12");
    doc->stepper("mu")->stepUp();
    EXPECT_EQ(stored("mu").realValue(), 1e13);
    EXPECT_EQ(doc->stepper("beta")->maximum(), 1e13);
    // A modulus typed above it is never moved against the arrow: up keeps it,
    // down takes one step (a tenth) off it.
    type("mu", "5e13");
    doc->stepper("mu")->stepUp();
    EXPECT_EQ(stored("mu").realValue(), 5e13);
    doc->stepper("mu")->stepDown();
    EXPECT_EQ(stored("mu").realValue(), 4.5e13);
    EXPECT_EQ(shown("mu"), "4.5e+13");
    // Likewise a content typed below zero is not raised by the down arrow.
    type("cr0", "-2");
    doc->stepper("cr0")->stepDown();
    EXPECT_EQ(stored("cr0").realValue(), -2.0);
}

TEST_F(CaseWindow, EveryEditThatChangesTheCaseMarksTheDocument) {
    // Temperature, densities and moduli count as edits too (a user-defined
    // melt takes a single volatile).
    doc->fluidType()->button(kChamberFluidH2O)->click();
    doc->meltType()->button(kChamberMeltUser)->click();
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_FALSE(doc->field("T0")->isReadOnly());
    EXPECT_FALSE(doc->field("sa")->isReadOnly());
    const std::vector<std::pair<std::string, QString>> edits{
        {"T0", "1300"}, {"rhol0", "2600"}, {"rhoc0", "3100"}, {"mu", "2e10"}, {"beta", "3e10"}};
    for (const auto& [key, text] : edits) {
        c.saveDocumentAs(doc, "docs/edits.chamber");
        ASSERT_FALSE(doc->isDocumentEdited());
        type(key, text);
        EXPECT_TRUE(doc->isDocumentEdited()) << key;
        EXPECT_TRUE(sameFormValue(stored(key), formValueFromText(text.toStdString()))) << key;
    }
    // Typing the same value again changes nothing.
    c.saveDocumentAs(doc, "docs/edits.chamber");
    type("T0", "1300");
    EXPECT_FALSE(doc->isDocumentEdited());
    // So do the chamber volume and the comment.
    type("chamber", "25");
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_EQ(stored("chamber").realValue(), 25.0);
    c.saveDocumentAs(doc, "docs/edits.chamber");
    doc->commentField()->setText("Campi Flegrei");
    QTest::keyClick(doc->commentField(), Qt::Key_Return);
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_EQ(stored("comment").stringValue(), "Campi Flegrei");
    // Gas densities from the equations of state are a setting of the
    // document, not of a case: an edit all the same, undone as one.
    c.saveDocumentAs(doc, "docs/edits.chamber");
    const PropertyList cases = doc->list().cases();
    doc->useEOSBox()->click();
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_EQ(doc->calculator().model().useEOS, 0);
    EXPECT_FALSE(doc->list().gasDensitiesFromEOS());
    EXPECT_EQ(doc->list().cases(), cases);
    EXPECT_EQ(doc->undoManager()->undoText(), "Change Of Gas Densities");
    doc->undoManager()->undo();
    EXPECT_TRUE(doc->useEOSBox()->isChecked());
    EXPECT_TRUE(doc->list().gasDensitiesFromEOS());
    EXPECT_EQ(doc->calculator().model().useEOS, 1);
    EXPECT_FALSE(doc->isDocumentEdited());
}

TEST_F(CaseWindow, FailedCalculationShowsNoValueAndWhy) {
    type("P0", "deep");
    EXPECT_EQ(result("mMeltWt0"), "no value");
    EXPECT_EQ(result("mP1"), "no value");
    EXPECT_EQ(result("mChamberExp"), "no value");
    EXPECT_TRUE(doc->undersaturatedMsg0()->isHidden());
    EXPECT_TRUE(doc->statusLine()->text().contains("initial pressure")) << doc->statusLine()->text().toStdString();
    // The text is kept in the case as typed.
    EXPECT_EQ(stored("P0").stringValue(), "deep");
    EXPECT_EQ(doc->pressureView()->plotView()->graphObjects().size(), 0u);
    type("P0", "1572");
    EXPECT_NE(result("mP1"), "no value");
    EXPECT_TRUE(doc->statusLine()->text().isEmpty());
    // A chamber volume that is not positive gives no expansion, and says so
    // until it is mended; the pressure it does not bear on stays.
    type("chamber", "-10");
    EXPECT_EQ(result("mChamberExp"), "no value");
    EXPECT_EQ(doc->statusLine()->text(), "The chamber volume must be positive: -10 km3.");
    EXPECT_NE(result("mP1"), "no value");
    type("chamber", "10");
    EXPECT_NE(result("mChamberExp"), "no value");
    EXPECT_TRUE(doc->statusLine()->text().isEmpty());
}

TEST_F(CaseWindow, UserDefinedVolatileDrivesTheModelAsFluidTypeTwo) {
    doc->fluidType()->button(kChamberFluidCO2)->click();
    EXPECT_EQ(doc->calculator().model().fluidType, kChamberFluidCO2);
    EXPECT_EQ(shown("zb"), "100");
    doc->fluidType()->button(kChamberFluidUser)->click();
    EXPECT_FALSE(doc->field("sa")->isReadOnly());
    EXPECT_FALSE(doc->field("zb")->isEnabled());
    type("sa", "1e-6");
    type("na", "0.5");
    const TaitJaupart& m = doc->calculator().model();
    EXPECT_EQ(m.fluidType, kChamberFluidUser);
    EXPECT_EQ(m.Mg, kUserVolatileMolarMass);
    EXPECT_EQ(m.sa, 1e-6);
    EXPECT_EQ(m.na, 0.5);
    EXPECT_EQ(stored("fluid").integerValue(), kChamberFluidUser);
    EXPECT_EQ(doc->exsolView()->plotView()->mXLabel().text, "Volatile in (melt+gas), ppm");
}

TEST_F(CaseWindow, VolatileAxisSwitchesBetweenPpmAndWeightPercentAtHalfAPercent) {
    CPlotView* ex = doc->exsolView()->plotView();
    float x0, x1, y0, y1;
    type("wt0", "0.49");
    EXPECT_EQ(doc->exsolViewConcentrationUnit(), kUnitPpm);
    ex->getMaxXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x1, 12000.0f);
    EXPECT_EQ(ex->mXLabel().text, "H2O+CO2 in (melt+gas), ppm");
    type("wt0", "0.5");
    EXPECT_EQ(doc->exsolViewConcentrationUnit(), kUnitWtPercent);
    ex->getMaxXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x1, 10.0f);
    EXPECT_EQ(y1, 5000.0f);
    ex->getDefaultXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(x1, 10.0f);
    EXPECT_EQ(y1, 2600.0f);
    EXPECT_EQ(ex->mXLabel().text, "H2O+CO2 in (melt+gas), wt %");
    // The solubility curve is drawn in the axis' unit: its first point lies at 1 bar.
    auto curve = std::dynamic_pointer_cast<CGraphCurve>(ex->graphObjects().front());
    ASSERT_TRUE(curve);
    EXPECT_NEAR(curve->mPointsList().front().y, 1.0f, 1e-6f);
    EXPECT_LT(curve->mPointsList().back().x, 10.0f);
}

TEST_F(CaseWindow, ClickInTheExsolutionPlotSetsTheInitialStateAndShiftClickTheFinalCrystals) {
    type("wt0", "2");
    type("cr0", "20");
    ASSERT_EQ(doc->exsolViewConcentrationUnit(), kUnitWtPercent);
    clickIn(doc->exsolView(), 3.0f, 1200.0f, false);
    // The content of melt and gas clicked (3 wt %) is that of 80 % of the chamber.
    EXPECT_EQ(shown("P0"), "1200");
    EXPECT_EQ(shown("wt0"), "2.4");
    EXPECT_EQ(shown("cr1"), "10");
    EXPECT_EQ(stored("P0").realValue(), 1200.0);
    EXPECT_NEAR(result("mVolamg0").toDouble(), 3.0, 1e-4);
    // Shift: only the final crystal content, at which 2.4 wt % of the chamber
    // makes 4 wt % of melt and gas.
    clickIn(doc->exsolView(), 4.0f, 500.0f, true);
    EXPECT_EQ(shown("P0"), "1200");
    EXPECT_EQ(shown("wt0"), "2.4");
    EXPECT_EQ(shown("cr1"), "40");
    EXPECT_NEAR(result("mVolamg1").toDouble(), 4.0, 1e-4);
    // A click at the origin, or in a plot of no document, changes nothing.
    doc->updateChangeCount(Document::ChangeCleared);
    clickIn(doc->exsolView(), 0.0f, 0.0f, false);
    CPlotView stranger(PlotRect{0, 0, 100, 100});
    stranger.setSelectedPointX(5);
    stranger.setSelectedPointY(5);
    platform::NotificationCenter::defaultCenter().post("PlotSelection", &stranger);
    EXPECT_EQ(shown("P0"), "1200");
    EXPECT_FALSE(doc->isDocumentEdited());
    // The pressure plot: crystals and pressure, or with Shift the final crystals.
    clickIn(doc->pressureView(), 5.0f, 1500.0f, false);
    EXPECT_EQ(shown("cr0"), "5");
    EXPECT_EQ(shown("P0"), "1500");
    clickIn(doc->pressureView(), 30.0f, 1500.0f, true);
    EXPECT_EQ(shown("cr1"), "30");
    EXPECT_TRUE(doc->isDocumentEdited());
}

TEST_F(CaseWindow, MouseClicksInTheExsolutionPlotReachTheDocument) {
    type("wt0", "2");
    ASSERT_EQ(doc->exsolViewConcentrationUnit(), kUnitWtPercent);
    CPlotWidget* w = doc->exsolView()->plotWidget();
    CPlotView* v = doc->exsolView()->plotView();
    w->grab();  // one drawing sets the view's mapping
    v->calculateCoefficients();
    auto at = [&](float x, float y) {
        return QPoint(static_cast<int>(std::lround(v->getXValue(x))),
                      static_cast<int>(std::lround(w->height() - v->getYValue(y))));
    };
    // Away from the curves: 6 wt % at 1200 bar becomes the initial state.
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at(6.0f, 1200.0f));
    EXPECT_NEAR(shown("P0").toDouble(), 1200.0, 10.0);
    EXPECT_NEAR(shown("wt0").toDouble(), 6.0, 0.05);
    EXPECT_EQ(shown("cr1"), "10");
    const QString p0 = shown("P0");
    // Shift: the final crystal content at which 6 wt % make 8 wt % of melt and gas.
    QTest::mouseClick(w, Qt::LeftButton, Qt::ShiftModifier, at(8.0f, 500.0f));
    EXPECT_NEAR(shown("cr1").toDouble(), 25.0, 1.0);
    EXPECT_EQ(shown("P0"), p0);
}

TEST_F(CaseWindow, ImposedSaturationFollowsThePressureButNotTheTemperature) {
    doc->fluidType()->button(kChamberFluidH2O)->click();
    // The Saturate button, then the imposed saturation, give the same content.
    doc->window()->findChild<QPushButton*>("saturateButton")->click();
    const QString once = shown("wt0");
    EXPECT_EQ(doc->field("wt0")->cursorPosition(), 0);
    doc->imposeSaturationBox()->click();
    EXPECT_EQ(shown("wt0"), once);
    EXPECT_TRUE(doc->isSaturated());
    // The closed form C = s P^n of the dissolved mass per melt mass: the case
    // keeps the exact content, the field shows its first seven digits from
    // the start (2.635775 wt %, not the end of 2.6357749383646634).
    const double C = 6.8e-8 * std::pow(1572e5, 0.7);
    EXPECT_NEAR(stored("wt0").realValue(), 100 * C / (1 + C), 1e-12);
    EXPECT_EQ(shown("wt0"), QString::number(100 * C / (1 + C), 'g', 7));
    QLineEdit* wt0 = doc->field("wt0");
    EXPECT_EQ(wt0->cursorPosition(), 0);
    EXPECT_LT(wt0->fontMetrics().horizontalAdvance(wt0->text()), wt0->contentsRect().width());
    EXPECT_EQ(result("mGasWt0").toDouble(), 0.0);  // saturated exactly: no gas yet
    type("P0", "1000");
    const double C1 = 6.8e-8 * std::pow(1e8, 0.7);
    EXPECT_NEAR(stored("wt0").realValue(), 100 * C1 / (1 + C1), 1e-12);
    EXPECT_EQ(shown("wt0"), QString::number(100 * C1 / (1 + C1), 'g', 7));
    // Typed over, the content is saturated again; the moduli do not move it.
    const QString saturated = shown("wt0");
    type("wt0", "5");
    EXPECT_EQ(shown("wt0"), saturated);
    type("mu", "2e10");
    EXPECT_EQ(shown("wt0"), saturated);
    // Without imposed saturation the typed content stays.
    doc->imposeSaturationBox()->click();
    type("wt0", "5");
    EXPECT_EQ(shown("wt0"), "5");
    // Each case shown is saturated at its own pressure while the box is on,
    // whichever case was saturated before.
    doc->onAddCase();
    doc->imposeSaturationBox()->click();
    ASSERT_TRUE(doc->isSaturated());
    doc->listView()->selectRowOnly(0);
    EXPECT_NEAR(stored("wt0").realValue(), 100 * C1 / (1 + C1), 1e-12);
    EXPECT_EQ(shown("wt0"), saturated);
    // The eruption table's heading and the log give the content with the digits the form shows.
    doc->pfracField()->setText("500");
    doc->window()->findChild<QPushButton*>("eruptionButton")->click();
    const QString content = " " + QString::number(100 * C1 / (1 + C1), 'g', 7) + " wt % H2O";
    ASSERT_NE(doc->eruptionTableWindow(), nullptr);
    EXPECT_TRUE(doc->eruptionTableWindow()->heading().contains(content)) << doc->eruptionTableWindow()->heading().toStdString();
    EXPECT_NE(CLogWindow::sharedLogWindowCtroller()->plainText().find(content.toStdString()), std::string::npos);
    doc->eruptionTableWindow()->hide();
}

TEST_F(CaseWindow, EruptionCommandWritesTheTableToTheLogAndScreenshotsAreKept) {
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    log->clearText();
    doc->fluidType()->button(kChamberFluidH2O)->click();
    type("wt0", "4");
    // While the log is open every calculation writes the case's closed-form terms.
    MyDocument::onShowLog();
    type("P0", "1500");
    std::string text = log->plainText();
    EXPECT_NE(text.find("Case : New"), std::string::npos);
    EXPECT_NE(text.find("\tK1 : "), std::string::npos);

    log->clearText();
    QPushButton* erupt = doc->window()->findChild<QPushButton*>("eruptionButton");
    ASSERT_NE(erupt, nullptr);
    erupt->click();
    text = log->plainText();
    const size_t title = text.find("Eruptive sequence (homogeneous flow)");
    ASSERT_NE(title, std::string::npos) << text;
    // One numbered row per eruption, as many as the model counts.
    const EruptionReport expected = doc->calculator().eruptiveSequence(doc->formSnapshot(), 50.0);
    ASSERT_GT(expected.eruptions, 3);
    EXPECT_FALSE(expected.stoppedEarly);
    const int rows = numberedRows(text.substr(title));
    EXPECT_EQ(rows, expected.eruptions);
    EXPECT_NE(text.find("    #     M0 (Gm3)      m (Mm3)     mc (Gm3)     % volat.     yCO2 (%)"), std::string::npos);
    EXPECT_TRUE(log->isWindowVisible());

    // Screenshots for review, in the test's working folder (the offscreen
    // screen is small; the window is shown at its full size).
    doc->window()->resize(1600, 960);
    QApplication::processEvents();
    QImage main = doc->window()->grab().toImage();
    ASSERT_FALSE(main.isNull());
    EXPECT_GE(main.width(), 1200);
    EXPECT_TRUE(main.save("main-window.png"));
    log->window()->resize(760, 420);  // room for the title and the whole table
    log->scrollToEnd();
    QApplication::processEvents();
    QImage logShot = log->window()->grab().toImage();
    ASSERT_FALSE(logShot.isNull());
    EXPECT_TRUE(logShot.save("log-window.png"));

    // A threshold beyond the chamber's range is refused with that range, one
    // that is not a number as such; in the log and the status line.
    struct Refused {
        const char* typed;
        const char* says;
    };
    for (const Refused& r : {Refused{"1e308", "The sequence was not computed: The overpressure at eruption, 1e+308 bar, "
                                              "lies outside the 0 to 3500 bar that the chamber, at 1500 bar, can reach"},
                             Refused{"abc", "The sequence was not computed: The overpressure at eruption is not a number."}}) {
        log->clearText();
        doc->pfracField()->setText(r.typed);
        QTest::keyClick(doc->pfracField(), Qt::Key_Return);
        text = log->plainText();
        EXPECT_NE(text.find(r.says), std::string::npos) << text;
        EXPECT_TRUE(doc->statusLine()->text().startsWith(r.says)) << doc->statusLine()->text().toStdString();
    }
    // A volatile-free magma (crystals 3300 kg/m3 in a melt of 2700) loses
    // pressure as it crystallises: the threshold is never reached, and why.
    log->clearText();
    type("wt0", "0");
    doc->pfracField()->setText("50");
    QTest::keyClick(doc->pfracField(), Qt::Key_Return);
    text = log->plainText();
    const char* never = "The overpressure of 50 bar is never reached: with no volatile in the magma there is no gas, "
                        "and crystals denser than the melt (3300 against 2700 kg/m3) take less room than the melt they "
                        "grow from, so the chamber's pressure only falls as it crystallises.";
    EXPECT_NE(text.find(never), std::string::npos) << text;
    EXPECT_EQ(text.find("stopped"), std::string::npos) << text;
    EXPECT_EQ(doc->statusLine()->text().toStdString(), never);
}

// What the window shows and says holds for the case it shows: no round-off
// as a value, no note on a gas the case has none of, no case without a name,
// no plot of a deleted case, and the eruption table under the document's name.
TEST_F(CaseWindow, TheWindowShowsNoRoundOffNoNoteOnAnAbsentGasAndNothingOfACaseThatIsGone) {
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    // The new case holds 0 % CO2: the CO2 equation of state is not used, and not mentioned.
    log->clearText();
    type("P0", "1600");
    EXPECT_FALSE(doc->statusLine()->text().contains("CO2")) << doc->statusLine()->text().toStdString();
    EXPECT_EQ(log->plainText().find("CO2 densities"), std::string::npos) << log->plainText();
    // Saturated water at P0 (C/(1 + C) of the melt, the capacity): the gas
    // left by the subtraction is round-off, shown as none; the final state at
    // the initial crystal content is P0 itself.
    doc->fluidType()->button(kChamberFluidH2O)->click();
    for (QPushButton* b : doc->window()->findChildren<QPushButton*>())
        if (b->text() == "Saturate") b->click();
    type("cr1", "0");
    for (const char* f : {"mGasWt0", "mGasWt1", "mGasVol0", "mOverpressure", "mChamberExp", "mChamberRel"})
        EXPECT_EQ(result(f), "0") << f;
    EXPECT_EQ(result("mP1"), "1600");
    // A name of blanks is refused: the case keeps its name.
    doc->listView()->edit(doc->listView()->model()->index(0, 0));
    QLineEdit* nameEditor = doc->listView()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(nameEditor, nullptr);
    nameEditor->selectAll();
    QTest::keyClicks(nameEditor, "   ");
    QTest::keyClick(nameEditor, Qt::Key_Return);
    QApplication::processEvents();  // the view commits the edit once its editor closes
    EXPECT_EQ(stored("name").stringValue(), "New");
    EXPECT_TRUE(doc->statusLine()->text().startsWith("A case needs a name")) << doc->statusLine()->text().toStdString();
    // The eruption table follows the document's name through Save As.
    doc->pfracField()->setText("50");
    QTest::keyClick(doc->pfracField(), Qt::Key_Return);
    ASSERT_NE(doc->eruptionTableWindow(), nullptr);
    EXPECT_TRUE(doc->eruptionTableWindow()->heading().startsWith("Untitled: "));
    ASSERT_TRUE(c.saveDocumentAs(doc, "docs/Mt. Etna"));
    EXPECT_EQ(doc->eruptionTableWindow()->windowTitle(), "Eruption Table - Mt. Etna.chamber");
    EXPECT_TRUE(doc->eruptionTableWindow()->heading().startsWith("Mt. Etna.chamber: Case \"New\""))
        << doc->eruptionTableWindow()->heading().toStdString();
    // The last case deleted: neither plot draws it, no result shows it.
    doc->onDeleteCase();
    ASSERT_TRUE(doc->list().empty());
    for (CDrawPlotView* v : {doc->exsolView(), doc->pressureView()}) EXPECT_TRUE(v->plotView()->graphObjects().empty());
    EXPECT_EQ(result("mP1"), "no value");
    EXPECT_EQ(result("mGasWt0"), "no value");
    // Exports keep the extension of their type whatever dots the name holds.
    EXPECT_EQ(withFileExtension("log v1.2", "pdf"), "log v1.2.pdf");
    EXPECT_EQ(withFileExtension("log.PDF", "pdf"), "log.PDF");
    EXPECT_EQ(withFileExtension("eruptions", "txt"), "eruptions.txt");
    EXPECT_EQ(withFileExtension("log.", "pdf"), "log.pdf");
}

// A volatile-free magma in the window: the final pressure falls with the
// crystals, as the closed form of the volume balance has it; the state below
// the 100 bar of the solubility laws is refused with that end named, and a
// crystal content with no positive pressure left says why.
TEST_F(CaseWindow, AVolatileFreeMagmaSaysTheLowerEndOfTheRangeAndWhyItsPressureFalls) {
    type("wt0", "0");
    // No gas, mu = beta: V0 e^(dP/mu) = (ml/rhol0 + mc/rhoc0) e^(-dP/mu), so
    // dP = mu/2 ln((1 - X) + X rhol0/rhoc0) with V0 = M/rhol0.
    auto closedForm = [](double X) { return 1572.0 + 0.5 * 1e10 * std::log((1 - X) + X * 2700.0 / 3300.0) * 1e-5; };
    type("cr1", "15");
    EXPECT_NEAR(result("mP1").toDouble(), closedForm(0.15), 1e-3) << doc->statusLine()->text().toStdString();
    type("cr1", "16");
    EXPECT_EQ(result("mP1"), "no value");
    const QString below = doc->statusLine()->text();
    EXPECT_TRUE(below.startsWith(QStringLiteral("No state at the final crystal content: The chamber pressure at crystal "
                                                "fraction 0.16, %1 bar, lies below the 100 bar from which the solubility "
                                                "laws were calibrated: with no volatile in the magma there is no gas")
                                     .arg(closedForm(0.16), 0, 'g', 5)))
        << below.toStdString();
    // The closed form leaves no positive pressure beyond X = 0.1702.
    type("cr1", "18");
    EXPECT_TRUE(doc->statusLine()->text().contains("no positive pressure is left")) << doc->statusLine()->text().toStdString();
    EXPECT_FALSE(doc->statusLine()->text().contains("check the initial pressure"));
}

TEST_F(CaseWindow, PlotEditsUndoAndRedoInTheDocumentWindowUnderTheirNames) {
    QMainWindow* w = doc->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QUndoStack* stack = doc->undoManager();
    ASSERT_EQ(stack->count(), 0);
    QAction* undo = nullptr;
    for (QAction* a : w->menuBar()->actions()[1]->menu()->actions())
        if (a->shortcut() == QKeySequence(QKeySequence::Undo)) undo = a;
    ASSERT_NE(undo, nullptr);
    EXPECT_FALSE(undo->isEnabled());

    // A zoom: a rectangle dragged in the pressure plot, then its zoom-in button.
    CDrawPlotView* box = doc->pressureView();
    CPlotView* v = box->plotView();
    box->plotWidget()->repaint();  // the mouse uses the mapping of the last drawing
    auto at = [&](float x, float y) {
        return QPoint(int(std::lround(v->getXValue(x))), int(std::lround(box->plotWidget()->height() - v->getYValue(y))));
    };
    float x0, x1, y0, y1;
    v->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(std::vector<float>({x0, x1, y0, y1}), std::vector<float>({0, 20, 0, 2600}));
    QTest::mousePress(box->plotWidget(), Qt::LeftButton, Qt::NoModifier, at(5, 1000));
    QTest::mouseMove(box->plotWidget(), at(10, 1500));
    QTest::mouseMove(box->plotWidget(), at(15, 2000));
    QTest::mouseRelease(box->plotWidget(), Qt::LeftButton, Qt::NoModifier, at(15, 2000));
    QTest::mouseClick(box->zoomInButton(), Qt::LeftButton);
    float z0, z1, w0, w1;
    v->getXYRange(&z0, &z1, &w0, &w1);
    EXPECT_NEAR(z0, 5, 0.1);
    EXPECT_NEAR(z1, 15, 0.1);
    EXPECT_NEAR(w0, 1000, 10);
    EXPECT_NEAR(w1, 2000, 10);
    ASSERT_EQ(stack->count(), 1);
    EXPECT_EQ(stack->undoText(), "Changes Of Axis Ranges");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), "&Undo Changes Of Axis Ranges");
    EXPECT_TRUE(doc->isDocumentEdited());

    // An axis-range change from the axis-range panel: its maximum ranges.
    QTest::mouseClick(box->axisButton(), Qt::LeftButton);
    CAxisRangeWindow* panel = CAxisRangeWindow::existingShared();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->currentPlotView(), v);
    QTest::mouseClick(panel->useMaxButton(), Qt::LeftButton);
    panel->hide();
    v->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(std::vector<float>({x0, x1, y0, y1}), std::vector<float>({0, 100, 0, 5000}));
    EXPECT_EQ(stack->count(), 2);
    EXPECT_EQ(stack->undoText(), "Changes Of Axis Ranges");

    // A thickness change of the crystallisation curve, from its context menu.
    std::shared_ptr<CGraphObject> curve;
    for (const auto& o : v->graphObjects())
        if (std::dynamic_pointer_cast<CGraphCurve>(o)) curve = o;
    ASSERT_NE(curve, nullptr);
    v->setSelectedObject(curve);
    v->onTripleThickness();
    EXPECT_EQ(curve->getToolSizeFactor(), 3.0f);
    EXPECT_EQ(stack->count(), 3);
    EXPECT_EQ(stack->undoText(), "Change Of Line Thickness");

    // Edit > Undo takes them back last first, Redo does them again.
    undo->trigger();
    EXPECT_EQ(curve->getToolSizeFactor(), 1.0f);
    EXPECT_EQ(stack->redoText(), "Change Of Line Thickness");
    undo->trigger();
    v->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(std::vector<float>({x0, x1, y0, y1}), std::vector<float>({z0, z1, w0, w1}));
    undo->trigger();
    v->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(std::vector<float>({x0, x1, y0, y1}), std::vector<float>({0, 20, 0, 2600}));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(doc->isDocumentEdited());
    stack->redo();
    stack->redo();
    stack->redo();
    v->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(std::vector<float>({x0, x1, y0, y1}), std::vector<float>({0, 100, 0, 5000}));
    EXPECT_EQ(curve->getToolSizeFactor(), 3.0f);
    // The exsolution plot's edits land on the same stack.
    doc->exsolView()->plotView()->onMaximumAxisRanges();
    EXPECT_EQ(stack->count(), 4);
}

TEST_F(CaseWindow, PanelsAndPlotCopiesOpenInsideAScreenNarrowerThanTheWindow) {
    QWidget* w = doc->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const QRect area = w->screen()->availableGeometry();
    if (area.width() >= 1600) GTEST_SKIP() << "the screen is as wide as the window";
    // The window (1600 wide by design) fills the screen's width.
    EXPECT_EQ(w->frameGeometry().width(), area.width());
    EXPECT_TRUE(area.contains(w->frameGeometry()));
    auto inside = [&](const QWidget* panel, const char* what) {
        EXPECT_TRUE(panel->isVisible()) << what;
        EXPECT_TRUE(area.contains(panel->frameGeometry()))
            << what << " at " << panel->frameGeometry().x() << "," << panel->frameGeometry().y() << " size "
            << panel->frameGeometry().width() << "x" << panel->frameGeometry().height();
    };

    // The axis-range panel, from the plot's button and as it follows the main window.
    CDrawPlotView* box = doc->pressureView();
    CPlotView* v = box->plotView();
    QTest::mouseClick(box->axisButton(), Qt::LeftButton);
    CAxisRangeWindow* axes = CAxisRangeWindow::existingShared();
    ASSERT_NE(axes, nullptr);
    inside(axes, "the axis-range panel");
    axes->mainWindowChanged(w);
    inside(axes, "the axis-range panel beside the main window");
    axes->hide();

    // The curve and point settings panels, which run modally.
    std::shared_ptr<CGraphObject> curve, point;
    for (const auto& o : v->graphObjects()) {
        if (std::dynamic_pointer_cast<CGraphCurve>(o)) curve = o;
        if (std::dynamic_pointer_cast<CGraphPoint>(o)) point = o;
    }
    ASSERT_TRUE(curve && point);
    v->setSelectedObject(curve);
    runModally([&] { v->onCurvesSettingsPanel(); },
               [&] {
                   inside(CCurveSettingsWindow::existingShared(), "the curve panel");
                   CCurveSettingsWindow::existingShared()->onCancelButton();
               });
    v->setSelectedObject(point);
    runModally([&] { v->onPointsSettingsPanel(); },
               [&] {
                   inside(CPointSettingsWindow::existingShared(), "the point panel");
                   CPointSettingsWindow::existingShared()->onCancelButton();
               });

    // A copy of the plot in a window of its own.
    v->onOpenNewPlotWindow();
    CPlotWindow* copy = QtPlotPanels::shared().lastPlotWindow();
    ASSERT_NE(copy, nullptr);
    QApplication::processEvents();
    inside(copy, "the plot copy");
    copy->close();
    // The log window, however wide its table makes it.
    MyDocument::onShowLog();
    inside(CLogWindow::sharedLogWindowCtroller()->window(), "the log window");
    // Opened from the eruption controls, it leaves them in view.
    QWidget* log = CLogWindow::sharedLogWindowCtroller()->window();
    log->hide();
    QWidget* controls = doc->eruptionControls();
    auto* pane = w->findChild<QScrollArea*>("formPane");
    ASSERT_NE(pane, nullptr);
    pane->ensureWidgetVisible(controls);
    QApplication::processEvents();
    const QRect at(controls->mapToGlobal(QPoint(0, 0)), controls->size());
    ASSERT_TRUE(area.intersects(at));
    log->move(std::max(area.x(), at.x() - 20), std::max(area.y(), at.y() - 20));  // where it was: over them
    MyDocument::onShowLog(controls);
    QApplication::processEvents();
    inside(log, "the log window beside the eruption controls");
    EXPECT_FALSE(log->frameGeometry().intersects(at))
        << "log " << log->frameGeometry().x() << "," << log->frameGeometry().y() << " "
        << log->frameGeometry().width() << "x" << log->frameGeometry().height() << ", controls " << at.x() << ","
        << at.y() << " " << at.width() << "x" << at.height();
}

TEST_F(CaseWindow, ALongEruptionSequenceKeepsTheWindowAnsweringAndCanBeCancelled) {
    CLogWindow* log = prepareLongRun();
    // Inserts of more than the blank an empty log starts with.
    int inserts = 0;
    auto counting = QObject::connect(log->document(), &QTextDocument::contentsChange, log->document(),
                                     [&](int, int removed, int added) { inserts += added - removed > 1; });

    // Events keep coming while the sequence runs; once its progress shows, the user cancels.
    int ticks = 0, ticksWhenShown = -1;
    bool cancelled = false;
    runLong([&] {
        ++ticks;
        QProgressDialog* progress = progressPanel();
        if (!progress || !progress->isVisible()) return;
        if (ticksWhenShown < 0) ticksWhenShown = ticks;
        EXPECT_TRUE(progress->labelText().startsWith("Eruption ")) << progress->labelText().toStdString();
        // Cancelled once the table is longer than the log keeps whole (the
        // number of ticks that takes depends on the machine's speed).
        const int eruption = progress->labelText().section(' ', 1, 1).remove(',').toInt();
        const int enough = int(MyDocument::kLogTableHead + MyDocument::kLogTableTail) + 2;
        if (!cancelled && ticks >= ticksWhenShown + 5 && eruption > enough) {
            cancelled = true;
            EXPECT_GT(progress->value(), 0);  // the panel shows how far the sequence is
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        }
    });
    QObject::disconnect(counting);
    EXPECT_GE(ticksWhenShown, 1);
    EXPECT_GE(ticks, ticksWhenShown + 5);
    EXPECT_EQ(progressPanel(), nullptr);  // gone with the command

    // The rows computed so far, numbered from 1, then why the table ends:
    // whole in the eruption table window; in the log, all written at once,
    // its first and last rows and a note that says where the others are.
    ASSERT_NE(doc->eruptionTableWindow(), nullptr);
    const std::string whole = doc->eruptionTableWindow()->tableText().toStdString();
    const int rows = numberedRows(whole);
    EXPECT_GT(rows, int(MyDocument::kLogTableHead + MyDocument::kLogTableTail));
    EXPECT_LT(rows, TaitJaupart::kMaxEruptions);
    const std::string text = log->plainText();
    const size_t title = text.find("Eruptive sequence (homogeneous flow)");
    ASSERT_NE(title, std::string::npos);
    std::vector<int> logged, expectedInLog;
    std::istringstream in(text.substr(title));
    for (std::string line; std::getline(in, line);) {
        int n = 0;
        double a, b, cc, d, e;
        if (std::sscanf(line.c_str(), "%d %lf %lf %lf %lf %lf", &n, &a, &b, &cc, &d, &e) == 6) logged.push_back(n);
    }
    for (int n = 1; n <= rows; ++n)
        if (n <= int(MyDocument::kLogTableHead) || n > rows - int(MyDocument::kLogTableTail)) expectedInLog.push_back(n);
    EXPECT_EQ(logged, expectedInLog);
    EXPECT_NE(text.find("the whole table of " + std::to_string(rows) + " rows is in the eruption table window"),
              std::string::npos);
    const std::string end = "The sequence was cancelled after " + std::to_string(rows) + " eruptions";
    EXPECT_NE(text.find(end), std::string::npos) << text.substr(text.size() - std::min<size_t>(text.size(), 300));
    EXPECT_TRUE(doc->statusLine()->text().startsWith(QString::fromStdString(end)));
    EXPECT_EQ(inserts, 1);  // the whole table at once
    // The document stays open and usable.
    EXPECT_FALSE(doc->isBusy());
    type("P0", "1400");
    EXPECT_EQ(stored("P0").realValue(), 1400.0);
}

TEST_F(CaseWindow, InputDuringAnEruptionRunIsAppliedAndTheWindowShowsOneCase) {
    CLogWindow* log = prepareLongRun();
    QPushButton* add = nullptr;
    for (QPushButton* b : doc->window()->findChildren<QPushButton*>())
        if (b->text() == "Add") add = b;
    ASSERT_NE(add, nullptr);

    // At the run's first hand-over of events the user edits the final crystal
    // content, asks for another sequence, tries to close the document and
    // adds a case; at the next, with the progress panel showing, the user cancels.
    bool inputGiven = false, cancelled = false;
    QString refusedEruption, refusedClose;
    runLong([&] {
        QProgressDialog* progress = progressPanel();
        if (inputGiven) {
            if (!cancelled && progress && progress->isVisible()) {
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
                cancelled = true;
            }
            return;
        }
        inputGiven = true;
        type("cr1", "20");
        doc->pfracField()->setText("5");
        QTest::keyClick(doc->pfracField(), Qt::Key_Return);
        refusedEruption = doc->statusLine()->text();
        EXPECT_FALSE(c.closeDocument(doc));
        refusedClose = doc->statusLine()->text();
        QTest::mouseClick(add, Qt::LeftButton);
    });
    ASSERT_TRUE(inputGiven && cancelled) << "the run ended before its progress showed";

    // One sequence at a time, and the document stays open; both said in the status line.
    EXPECT_TRUE(refusedEruption.contains("still being computed")) << refusedEruption.toStdString();
    EXPECT_EQ(doc->pfracField()->text(), "0.01");
    EXPECT_EQ(refusedClose, "\"Untitled\" cannot be closed while the eruption sequence is being computed: wait for it "
                            "to end or cancel it first.");
    EXPECT_EQ(askedToCancel, 1);
    ASSERT_EQ(c.documents().size(), 1u);
    const std::string text = log->plainText();
    EXPECT_EQ(text.find("Eruptive sequence (homogeneous flow)"), text.rfind("Eruptive sequence (homogeneous flow)"));
    EXPECT_NE(text.find("The sequence was cancelled after"), std::string::npos);
    // The edit went into its case, the new case is selected and shown.
    ASSERT_EQ(doc->list().size(), 2u);
    EXPECT_EQ(stored("cr1").realValue(), 20.0);
    EXPECT_EQ(doc->selectedRow(), 1);
    EXPECT_EQ(shown("P0"), "1572");
    EXPECT_EQ(shown("cr1"), "10");
    // The results and plots are those of the inputs on screen: a calculation of
    // the form as it stands gives every result field and both markers.
    ChamberCalculator fresh;
    CaseForm form = doc->formSnapshot();
    const CalculationResult expected = fresh.calculate(form, "New");
    ASSERT_TRUE(expected.finalState);
    for (const auto& [name, value] : expected.fields) {
        ASSERT_NE(doc->resultField(name), nullptr) << name;
        const QString want = value.value ? QString::number(*value.value, 'g', 6)
                             : !value.text.empty() ? QString::fromStdString(value.text)
                                                   : QStringLiteral("no value");
        EXPECT_EQ(result(name), want) << name;
    }
    auto markers = [](CDrawPlotView* box) {
        std::vector<std::pair<float, float>> at;
        for (const auto& o : box->plotView()->graphObjects())
            if (auto p = std::dynamic_pointer_cast<CGraphPoint>(o)) at.emplace_back(p->getX(), p->getY());
        return at;
    };
    const auto f = [](const CurveXY& p) { return std::pair<float, float>(float(p.x), float(p.y)); };
    EXPECT_EQ(markers(doc->pressureView()), (std::vector<std::pair<float, float>>{f(*expected.pressureInitial), f(*expected.pressureFinal)}));
    EXPECT_EQ(markers(doc->exsolView()), (std::vector<std::pair<float, float>>{f(*expected.exsolInitial), f(*expected.exsolFinal)}));
}

TEST_F(CaseWindow, ReturnInTheProgressPanelDoesNotCancelTheRunEscapeDoes) {
    CLogWindow* log = prepareLongRun();
    // Once the panel shows: Return and Enter where the keyboard focus is,
    // then, some ticks later and the run going on, Escape.
    int ticks = 0, shownAt = -1;
    bool goingOnAfterReturn = false;
    runLong([&] {
        ++ticks;
        QProgressDialog* progress = progressPanel();
        if (!progress || !progress->isVisible()) return;
        if (shownAt < 0) {
            // As a window system does: the modal panel becomes the active window.
            QApplication::setActiveWindow(progress);
            shownAt = ticks;
        }
        QWidget* focus = QApplication::focusWidget();
        QWidget* target = focus && focus->window() == progress ? focus : progress;
        if (ticks == shownAt) {
            QTest::keyClick(target, Qt::Key_Return);
            QTest::keyClick(target, Qt::Key_Enter, Qt::KeypadModifier);
        } else if (ticks == shownAt + 5) {
            goingOnAfterReturn = !progress->wasCanceled() && progress->isVisible();
            QTest::keyClick(target, Qt::Key_Escape);
        }
    });
    ASSERT_GE(shownAt, 1);
    EXPECT_TRUE(goingOnAfterReturn);
    const std::string text = log->plainText();
    EXPECT_NE(text.find("The sequence was cancelled after"), std::string::npos)
        << text.substr(text.size() - std::min<size_t>(text.size(), 300));
}

TEST_F(CaseWindow, SaveCloseAndReopenGiveBackEveryCaseAndKey) {
    type("P0", "1800");
    doc->onDuplicateCase();
    ASSERT_EQ(doc->list().size(), 2u);
    EXPECT_EQ(doc->selectedRow(), 1);
    doc->fluidType()->button(kChamberFluidCO2)->click();
    type("wt0", "about 1");  // kept as text
    doc->onAddCase();
    doc->meltType()->button(kChamberMelt2300)->click();
    type("cr1", "25");
    const PropertyList cases = doc->list().cases();
    ASSERT_EQ(cases.size(), 3u);
    EXPECT_EQ(cases.at(1).find("name")->stringValue(), "New - duplicated");
    EXPECT_EQ(cases.at(1).find("wt0")->stringValue(), "about 1");
    EXPECT_EQ(cases.at(2).find("melt")->integerValue(), 1);

    ASSERT_TRUE(c.saveDocumentAs(doc, "docs/three.chamber"));
    ASSERT_TRUE(c.closeDocument(doc));
    auto* back = dynamic_cast<MyDocument*>(c.openDocument("docs/three.chamber"));
    ASSERT_NE(back, nullptr) << errors.join("; ").toStdString();
    ASSERT_EQ(back->list().size(), 3u);
    EXPECT_EQ(back->list().cases(), cases);
    for (size_t i = 0; i < 3; ++i)
        for (const std::string& k : caseKeys())
            EXPECT_EQ(back->list().at(i).find(k)->type(), cases.at(i).find(k)->type()) << i << " " << k;
    // The first case is shown and computed, and opening changed nothing.
    EXPECT_EQ(back->selectedRow(), 0);
    EXPECT_EQ(back->field("P0")->text(), "1800");
    EXPECT_NE(back->resultField("mP1")->text(), "no value");
    EXPECT_FALSE(back->isDocumentEdited());
    doc = back;
}

TEST_F(CaseWindow, AnEditNotYetConfirmedIsSavedAndAskedAboutOnClosing) {
    // Typed, without Return or leaving the field, then saved from the menu.
    QLineEdit* p0 = doc->field("P0");
    p0->selectAll();
    QTest::keyClicks(p0, "1800");
    doc->commentField()->selectAll();
    QTest::keyClicks(doc->commentField(), "Etna");
    // ... and a case name being typed in the table.
    doc->listView()->edit(doc->listView()->model()->index(0, 0));
    QLineEdit* nameEditor = doc->listView()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(nameEditor, nullptr);
    nameEditor->selectAll();
    QTest::keyClicks(nameEditor, "Etna 2002");
    ASSERT_TRUE(c.saveDocumentAs(doc, "docs/pending.chamber"));
    EXPECT_EQ(stored("name").stringValue(), "Etna 2002");
    EXPECT_EQ(stored("P0").realValue(), 1800.0);
    EXPECT_EQ(stored("comment").stringValue(), "Etna");
    EXPECT_NEAR(result("mOverpressure").toDouble(), result("mP1").toDouble() - 1800.0, 0.01);
    EXPECT_FALSE(doc->isDocumentEdited());
    // Typed again and the window closed: the user is asked about it.
    p0->selectAll();
    QTest::keyClicks(p0, "1900");
    int asked = 0;
    c.askToSave = [&asked](Document*) {
        ++asked;
        return DocumentController::SaveChoice::Cancel;
    };
    EXPECT_FALSE(c.closeDocument(doc));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(stored("P0").realValue(), 1900.0);
    // The file holds what was saved.
    c.askToSave = [](Document*) { return DocumentController::SaveChoice::DontSave; };
    ASSERT_TRUE(c.closeDocument(doc));
    doc = dynamic_cast<MyDocument*>(c.openDocument("docs/pending.chamber"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(stored("P0").realValue(), 1800.0);
    EXPECT_EQ(stored("comment").stringValue(), "Etna");
    EXPECT_EQ(stored("name").stringValue(), "Etna 2002");
}

TEST_F(CaseWindow, ACaseOfAKindTheFormHasNoButtonForIsRefusedAndKeptAsItIs) {
    // A file written elsewhere: the second case's volatile and melt are kinds
    // the form does not know.  Showing it must not compute, nor store, the
    // kinds of the case shown before.
    CaseList list;
    list.addCase(-1);
    list.addCase(0);
    list.setValue(1, "fluid", PropertyList::integer(7));
    list.setValue(1, "melt", PropertyList::real(1.4));
    {
        std::ofstream out("docs/kinds.chamber", std::ios::binary);
        out << list.dataOfType();
    }
    ASSERT_TRUE(c.closeDocument(doc));
    doc = dynamic_cast<MyDocument*>(c.openDocument("docs/kinds.chamber"));
    ASSERT_NE(doc, nullptr) << errors.join("; ").toStdString();
    ASSERT_EQ(doc->fluidType()->checkedId(), kChamberFluidH2OCO2);
    doc->listView()->selectRowOnly(1);
    EXPECT_EQ(doc->meltType()->checkedId(), -1);
    EXPECT_EQ(doc->fluidType()->checkedId(), -1);
    EXPECT_EQ(doc->statusLine()->text(), "Unknown kind of melt.");
    EXPECT_EQ(doc->resultField("mP1")->text(), "no value");
    EXPECT_EQ(doc->list().cases(), list.cases());
    EXPECT_FALSE(doc->isDocumentEdited());
    // An edit of another field keeps the kinds; choosing a kind mends the case.
    type("P0", "1500");
    EXPECT_EQ(*doc->list().at(1).find("fluid"), PropertyList::integer(7));
    doc->meltType()->button(kChamberMelt2300)->click();
    doc->fluidType()->button(kChamberFluidH2O)->click();
    EXPECT_EQ(doc->list().at(1).find("fluid")->integerValue(), kChamberFluidH2O);
    type("wt0", "4");  // a melt that keeps its chamber within 100 to 5000 bar
    EXPECT_NE(doc->resultField("mP1")->text(), "no value");
    EXPECT_TRUE(doc->statusLine()->text().isEmpty()) << doc->statusLine()->text().toStdString();
}

}  // namespace
