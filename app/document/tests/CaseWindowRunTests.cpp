// The case document's window end to end, continued: closing during a run,
// the plots' ranges and undo across unit switches, the log over long runs,
// the keyboard, and memory running out during a run.
#include "CaseWindowFixture.h"

namespace {

// A close request as the window system delivers it (the window's close
// button): a close event to the window, not a call of close().
void closeFromWindowSystem(QWidget* w) {
    ASSERT_NE(w->windowHandle(), nullptr);
    QCloseEvent e;
    QCoreApplication::sendEvent(w->windowHandle(), &e);
}

TEST_F(CaseWindow, ACloseFromTheWindowSystemDuringARunIsAnsweredAndCancelsAfterConfirmation) {
    CLogWindow* log = prepareLongRun();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(doc->window()));
    // Declined: the run goes on, the status line says why the window stays,
    // and the end of the run leaves that there.
    int shownAt = -1, ticks = 0;
    bool blockedByAModalPanel = true, goingOnAfterRefusal = false;
    QString told;
    runLong([&] {
        ++ticks;
        QProgressDialog* progress = progressPanel();
        if (!progress || !progress->isVisible()) return;
        if (shownAt < 0) {
            shownAt = ticks;
            // A window a modal panel blocks gets no close request from the window system at all.
            blockedByAModalPanel = QApplication::activeModalWidget() != nullptr;
            cancelToClose = false;
            closeFromWindowSystem(doc->window());
            QApplication::processEvents();
            told = doc->statusLine()->text();
        } else if (ticks == shownAt + 5) {
            goingOnAfterRefusal = !progress->wasCanceled();
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        }
    });
    ASSERT_GE(shownAt, 1) << "the run ended before its progress showed";
    EXPECT_FALSE(blockedByAModalPanel);
    EXPECT_EQ(askedToCancel, 1);
    EXPECT_EQ(told, "\"Untitled\" cannot be closed while the eruption sequence is being computed: wait for it to end "
                    "or cancel it first.");
    EXPECT_TRUE(goingOnAfterRefusal);
    // Not overwritten by the end of the run, which is said after it.
    EXPECT_EQ(doc->statusLine()->text(), told + " (The eruption sequence has ended since.)");
    EXPECT_NE(log->plainText().find("The sequence was cancelled after"), std::string::npos);
    ASSERT_EQ(c.documents().size(), 1u);

    // Confirmed: the run is cancelled and the document closes (through the
    // save prompt) once the run has stopped.
    doc->commentField()->setText("asked about on closing");  // a change of the case shown
    doc->onChangeComment();
    int prompts = 0;
    c.askToSave = [&prompts](Document*) { ++prompts; return DocumentController::SaveChoice::DontSave; };
    log->clearText();
    shownAt = -1;
    bool stillBusyAfterAnswer = false;
    runLong([&] {
        QProgressDialog* progress = progressPanel();
        if (shownAt >= 0 || !progress || !progress->isVisible()) return;
        shownAt = 1;
        cancelToClose = true;
        closeFromWindowSystem(doc->window());
        QApplication::processEvents();
        stillBusyAfterAnswer = doc->isBusy() && c.documents().size() == 1u;
    });
    ASSERT_EQ(shownAt, 1);
    EXPECT_EQ(askedToCancel, 2);
    EXPECT_TRUE(stillBusyAfterAnswer);  // the document closes after the run, not from within it
    EXPECT_NE(log->plainText().find("The sequence was cancelled after"), std::string::npos);
    QApplication::processEvents();
    EXPECT_EQ(prompts, 1);
    EXPECT_TRUE(c.documents().empty());
    doc = nullptr;
}

TEST_F(CaseWindow, UndoAndRedoAcrossAUnitSwitchGiveTheRangesInTheAxisUnit) {
    CPlotView* ex = doc->exsolView()->plotView();
    auto range = [ex] {
        float a, b, c0, d;
        ex->getXYRange(&a, &b, &c0, &d);
        return std::vector<float>{a, b, c0, d};
    };
    // Two cases, of 4 wt % and of 0.3 wt % (a ppm axis); the second shown.
    type("wt0", "4");
    doc->onAddCase();
    type("wt0", "0.3");
    ASSERT_EQ(doc->exsolViewConcentrationUnit(), kUnitPpm);
    const std::vector<float> ppmDefault = range();
    ASSERT_EQ(ppmDefault[1], 12000.0f);
    ex->onMaximumAxisRanges();
    ex->doChangeAxisRanges(0, 6000, 0, 2000);  // a zoom, in ppm
    // The first case shown again: the axis is in wt %.
    doc->listView()->selectRowOnly(0);
    ASSERT_EQ(doc->exsolViewConcentrationUnit(), kUnitWtPercent);
    EXPECT_EQ(ex->mXLabel().text, "H2O+CO2 in (melt+gas), wt %");
    QUndoStack* stack = doc->undoManager();
    // Every range met on the way back and forth is in wt %: the maximum
    // range of 0 to 12000 ppm comes back as 0 to 1.2 wt %, then the default.
    stack->undo();
    EXPECT_FLOAT_EQ(range()[1], 1.2f);
    EXPECT_EQ(range()[3], 5000.0f);
    // ... its tick labels still tell the ticks apart.
    std::set<std::string> labels;
    for (int i = 0; i <= 10; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", int(ex->mXTicksDigits()), 0.12 * i);
        labels.insert(text);
    }
    EXPECT_EQ(labels.size(), 11u);
    stack->undo();
    EXPECT_FLOAT_EQ(range()[1], 1.2f);
    EXPECT_EQ(range()[3], ppmDefault[3]);
    // Redo brings back, in turn, the ranges shown before each undo.
    stack->redo();
    EXPECT_FLOAT_EQ(range()[1], 1.2f);
    EXPECT_EQ(range()[3], 5000.0f);
    stack->redo();
    float d0, d1, e0, e1;
    ex->getDefaultXYRange(&d0, &d1, &e0, &e1);
    EXPECT_EQ(range(), (std::vector<float>{d0, d1, e0, e1}));
    EXPECT_EQ(d1, 10.0f);
    stack->undo();
    // Some of the case's solubility curve lies inside: the plot is not empty.
    auto curve = std::dynamic_pointer_cast<CGraphCurve>(ex->graphObjects().front());
    ASSERT_TRUE(curve);
    EXPECT_TRUE(std::any_of(curve->mPointsList().begin(), curve->mPointsList().end(),
                            [](const auto& p) { return p.x > 0.0f && p.x < 1.2f && p.y < 5000.0f; }));
}

TEST_F(CaseWindow, DefaultRangesHoldTheCasesCurvesAndStatesAndMaximumRangesEveryInput) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, QString>> inputs;
    } cases[] = {
        {"a final crystal content of 30 %", {{"wt0", "2"}, {"cr1", "30"}}},
        {"P0 of 4500 bar", {{"cr1", "10"}, {"P0", "4500"}}},
        {"P0 of 5000 bar, the form's highest", {{"P0", "5000"}}},
        {"0.3 wt % of volatiles (a ppm axis)", {{"P0", "1500"}, {"wt0", "0.3"}}},
        {"60 % crystals of a water-rich melt", {{"wt0", "4"}, {"cr1", "60"}}},
    };
    auto inside = [](CPlotView* v, float x, float y) {
        float x0, x1, y0, y1;
        v->getXYRange(&x0, &x1, &y0, &y1);
        return x >= x0 && x <= x1 && y >= y0 && y <= y1;
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        for (const auto& [key, text] : k.inputs) type(key, text);
        const CalculationResult& r = doc->lastResult();
        ASSERT_TRUE(r.finalState) << r.status;
        for (CDrawPlotView* box : {doc->exsolView(), doc->pressureView()}) {
            CPlotView* v = box->plotView();
            float x0, x1, y0, y1, d0, d1, e0, e1, m0, m1, n0, n1;
            v->getXYRange(&x0, &x1, &y0, &y1);
            v->getDefaultXYRange(&d0, &d1, &e0, &e1);
            v->getMaxXYRange(&m0, &m1, &n0, &n1);
            EXPECT_EQ(std::vector<float>({x0, x1, y0, y1}), std::vector<float>({d0, d1, e0, e1}));
            // "Maximum" holds the default and every P0 the form takes.
            EXPECT_TRUE(m0 <= d0 && m1 >= d1 && n0 <= e0 && n1 >= e1);
            EXPECT_GE(n1, 5000.0f);
            const bool exsolution = box == doc->exsolView();
            // Every marker, and every point of each curve but the solubility
            // curve (which runs on to the laws' top pressure), lies inside.
            int markers = 0;
            for (const auto& o : v->graphObjects()) {
                if (auto p = std::dynamic_pointer_cast<CGraphPoint>(o)) {
                    ++markers;
                    EXPECT_TRUE(inside(v, p->getX(), p->getY())) << p->getX() << ", " << p->getY();
                }
                auto c = std::dynamic_pointer_cast<CGraphCurve>(o);
                if (!c || (exsolution && c == v->graphObjects().front())) continue;
                for (const auto& p : c->mPointsList()) {
                    if (std::isfinite(p.x) && std::isfinite(p.y)) {
                        EXPECT_TRUE(inside(v, p.x, p.y)) << p.x << ", " << p.y;
                    }
                }
            }
            EXPECT_EQ(markers, 2);
            // The final state, from the calculation itself.
            const CurveXY fin = exsolution ? *r.exsolFinal : *r.pressureFinal;
            EXPECT_TRUE(inside(v, float(fin.x), float(fin.y))) << fin.x << ", " << fin.y;
            // The solubility curve inside, up to where it leaves through the right edge.
            if (exsolution) {
                for (const CurveXY& p : r.solubilityCurve) {
                    if (p.x <= x1) {
                        EXPECT_TRUE(inside(v, float(p.x), float(p.y))) << p.x << ", " << p.y;
                    }
                }
            }
        }
        // The pressure plot's crystal axis reaches the final crystal content.
        float px1;
        doc->pressureView()->plotView()->getXYRange(nullptr, &px1, nullptr, nullptr);
        EXPECT_GE(px1, doc->formSnapshot().number("cr1").value_or(0));
    }

    // A range the user chose stays when the case changes; the default follows the case.
    CPlotView* pr = doc->pressureView()->plotView();
    pr->doChangeAxisRanges(0, 15, 1000, 2000);
    type("cr1", "80");
    float x0, x1, y0, y1;
    pr->getXYRange(&x0, &x1, &y0, &y1);
    EXPECT_EQ(std::vector<float>({x0, x1, y0, y1}), std::vector<float>({0, 15, 1000, 2000}));
    pr->onAxisRangesByDefault();
    pr->getXYRange(nullptr, &x1, nullptr, nullptr);
    EXPECT_GE(x1, 80.0f);
}

TEST_F(CaseWindow, TheLogStaysSmallOverRepeatedLongRunsAndTheTableWindowHoldsTheLastTableWhole) {
    // At 0.01 bar this chamber erupts until the model's limit of 10,000
    // eruptions: each run makes a table of 10,000 rows.
    doc->fluidType()->button(kChamberFluidH2O)->click();
    type("wt0", "4");
    type("P0", "1500");
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    log->clearText();
    std::vector<int> sizes;
    for (int run = 0; run < 6; ++run) {
        doc->pfracField()->setText("0.01");
        QTest::keyClick(doc->pfracField(), Qt::Key_Return);
        sizes.push_back(log->document()->characterCount());
    }
    ASSERT_NE(doc->eruptionTableWindow(), nullptr);
    // Each run adds the same small amount: its title, its case and inputs,
    // 50 rows, the note and the end, and from the second run on (the log
    // open) the case's closed-form terms; a whole table would be over
    // 600,000 characters.
    EXPECT_LT(sizes[0], 5000);
    const int perRun = sizes[1] - sizes[0];
    EXPECT_LT(perRun, 5000);
    for (size_t i = 2; i < sizes.size(); ++i) EXPECT_EQ(sizes[i] - sizes[i - 1], perRun) << "run " << i + 1;
    EXPECT_LE(log->document()->blockCount(), 6 * 70);
    // However long the application runs, the log keeps its last lines only.
    EXPECT_EQ(log->document()->maximumBlockCount(), CLogWindow::kMaxLines);
    // The table window holds the last table only, and every row of it, with what it belongs to.
    EruptionTableWindow* table = doc->eruptionTableWindow();
    EXPECT_EQ(numberedRows(table->tableText().toStdString()), TaitJaupart::kMaxEruptions);
    EXPECT_EQ(table->tableText().count(QStringLiteral("Eruptive sequence (homogeneous flow)")), 1);
    EXPECT_TRUE(table->heading().startsWith(QStringLiteral("Untitled: Case \"New\": P0 1500 bar, 4 wt % H2O")))
        << table->heading().toStdString();
    EXPECT_TRUE(table->heading().contains(QStringLiteral("overpressure at eruption 0.01 bar")));
    EXPECT_NE(log->plainText().find("Untitled, Case \"New\": P0 1500 bar, 4 wt % H2O"), std::string::npos);
    // The whole table saves as text.
    QString error;
    ASSERT_TRUE(table->saveText("docs/eruptions.txt", error)) << error.toStdString();
    QFile saved("docs/eruptions.txt");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(numberedRows(saved.readAll().toStdString()), TaitJaupart::kMaxEruptions);
}

}  // namespace

namespace {
// What the window shows of a case: its result fields and both plots' markers.
struct Shown {
    std::map<std::string, QString> results;
    std::vector<std::pair<float, float>> markers;
    bool operator==(const Shown& o) const { return results == o.results && markers == o.markers; }
};
Shown shownBy(MyDocument* doc) {
    Shown s;
    for (const auto& [name, value] : doc->lastResult().fields) s.results[name] = doc->resultField(name) ? doc->resultField(name)->text() : QString();
    for (CDrawPlotView* box : {doc->exsolView(), doc->pressureView()})
        for (const auto& o : box->plotView()->graphObjects())
            if (auto p = std::dynamic_pointer_cast<CGraphPoint>(o)) s.markers.emplace_back(p->getX(), p->getY());
    return s;
}
}  // namespace

TEST_F(CaseWindow, CtrlZRightAfterReturnUndoesTheEditWithItsResultsAndPlots) {
    QApplication::setActiveWindow(doc->window());
    QLineEdit* wt0 = doc->field("wt0");
    const Shown before = shownBy(doc);
    type("wt0", "4");
    const Shown after = shownBy(doc);
    ASSERT_FALSE(after == before);
    EXPECT_EQ(doc->undoManager()->undoText(), "Change Of Initial volatile content");
    // Ctrl+Z in the field, which still has the keyboard: the edit is undone
    // whole, field, case, results and plots, and the document is unchanged.
    QTest::keyClick(wt0, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(wt0->text(), "0.1");
    EXPECT_EQ(stored("wt0").realValue(), 0.1);
    EXPECT_TRUE(shownBy(doc) == before);
    EXPECT_FALSE(doc->isDocumentEdited());
    // Redo from the field brings it back whole.
    QTest::keyClick(wt0, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(wt0->text(), "4");
    EXPECT_TRUE(shownBy(doc) == after);
    EXPECT_TRUE(doc->isDocumentEdited());
    // Text typed but not applied keeps the field's own undo: the case stays.
    QTest::keyClicks(wt0, "5");
    QTest::keyClick(wt0, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(wt0->text(), "4");
    EXPECT_EQ(stored("wt0").realValue(), 4.0);
    // The case commands are edits too: a deleted case comes back.
    doc->onAddCase();
    ASSERT_EQ(doc->list().size(), 2u);
    doc->onDeleteCase();
    ASSERT_EQ(doc->list().size(), 1u);
    doc->undoManager()->undo();
    EXPECT_EQ(doc->list().size(), 2u);
}

TEST_F(CaseWindow, TheThresholdRunsOnReturnAndTheButtonOnlyAndTheLogLeavesTheKeyboardToTheForm) {
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    log->clearText();
    if (log->isWindowLoaded()) log->window()->hide();
    QApplication::setActiveWindow(doc->window());
    QLineEdit* pfrac = doc->pfracField();
    pfrac->setFocus();
    // Tab out of the field, the value unchanged, then changed: no sequence.
    QTest::keyClick(pfrac, Qt::Key_Tab);
    pfrac->setFocus();
    pfrac->selectAll();
    QTest::keyClicks(pfrac, "80");
    QTest::keyClick(pfrac, Qt::Key_Tab);
    EXPECT_EQ(log->plainText().find("Eruptive sequence"), std::string::npos);
    EXPECT_FALSE(log->isWindowVisible());
    // Return runs it: the log opens with the table and the keyboard stays.
    pfrac->setFocus();
    QTest::keyClick(pfrac, Qt::Key_Return);
    EXPECT_NE(log->plainText().find("Eruptive sequence"), std::string::npos);
    EXPECT_NE(log->plainText().find("overpressure at eruption 80 bar"), std::string::npos);
    ASSERT_TRUE(log->isWindowVisible());
    EXPECT_TRUE(log->window()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(QApplication::focusWidget(), pfrac);
    // The log opened from its menu or button is brought to the keyboard.
    log->window()->hide();
    MyDocument::onShowLog();
    EXPECT_FALSE(log->window()->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST_F(CaseWindow, EscapeOrCtrlPeriodInTheDocumentWindowCancelsARun) {
    for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::ControlModifier, Qt::Key_Period)}) {
        SCOPED_TRACE(QKeySequence(keys).toString().toStdString());
        CLogWindow* log = prepareLongRun();
        QApplication::setActiveWindow(doc->window());
        bool sent = false;
        runLong([&] {
            if (sent || !doc->isBusy()) return;
            // The keyboard in the form, not in the progress panel.
            QApplication::setActiveWindow(doc->window());
            doc->field("cr1")->setFocus();
            QTest::keyClick(doc->field("cr1"), keys.key(), keys.keyboardModifiers());
            sent = true;
        });
        ASSERT_TRUE(sent);
        EXPECT_NE(log->plainText().find("The sequence was cancelled after"), std::string::npos);
        // Between runs the keys are the fields' again: nothing happens.
        EXPECT_FALSE(doc->isBusy());
    }
}

TEST_F(CaseWindow, AUserDefinedMeltTakesASingleVolatileAndTheUserVolatileIsNamedAsSuch) {
    QAbstractButton* userMelt = doc->meltType()->button(kChamberMeltUser);
    QAbstractButton* mixture = doc->fluidType()->button(kChamberFluidH2OCO2);
    // The new case holds the mixture: the user-defined melt is not offered, and says why.
    ASSERT_TRUE(mixture->isChecked());
    EXPECT_FALSE(userMelt->isEnabled());
    EXPECT_TRUE(userMelt->toolTip().contains("CO2 law")) << userMelt->toolTip().toStdString();
    doc->fluidType()->button(kChamberFluidUser)->click();
    EXPECT_TRUE(userMelt->isEnabled());
    userMelt->click();
    EXPECT_FALSE(mixture->isEnabled());
    EXPECT_TRUE(mixture->toolTip().contains("solubility factor s")) << mixture->toolTip().toStdString();
    ASSERT_TRUE(doc->lastResult().initialState) << doc->lastResult().status;
    // The user-defined volatile's rows name it, not water.
    QStringList labels;
    for (QLabel* l : doc->window()->findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("Gas: the volatile"));
    EXPECT_TRUE(labels.contains("Dissolved mass of the volatile"));
    EXPECT_FALSE(labels.contains("Gas: H2O"));
    EXPECT_FALSE(labels.contains("Gas mass of H2O"));
    doc->fluidType()->button(kChamberFluidH2O)->click();
    labels.clear();
    for (QLabel* l : doc->window()->findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("Gas: H2O"));
    // A file's case holding both is refused in the form's words, and either
    // kind can be changed.
    CaseList file;
    file.addCase(-1);
    file.setValue(0, "melt", PropertyList::integer(kChamberMeltUser));
    file.setValue(0, "fluid", PropertyList::integer(kChamberFluidH2OCO2));
    std::string error;
    ASSERT_TRUE(doc->readFromData(file.dataOfType(), error)) << error;
    EXPECT_EQ(doc->statusLine()->text().toStdString(), kUserMeltMixtureRefusal);
    EXPECT_EQ(doc->statusLine()->text().indexOf("sb"), -1);
    EXPECT_TRUE(userMelt->isEnabled());
    EXPECT_TRUE(mixture->isEnabled());
}

TEST_F(CaseWindow, FormResultsAndPlotsAreInReachWithoutScrollingSideways) {
    QMainWindow* w = doc->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QApplication::processEvents();
    auto* scroll = w->findChild<QScrollArea*>("windowScroll");
    ASSERT_NE(scroll, nullptr);
    const QRect screen = w->screen()->availableGeometry();
    // On this screen (the test platform's, 800 wide) the plots stand below the results.
    EXPECT_LE(w->frameGeometry().width(), screen.width());
    EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 0);
    auto* pane = w->findChild<QScrollArea*>("formPane");
    ASSERT_NE(pane, nullptr);
    for (CDrawPlotView* box : {doc->exsolView(), doc->pressureView()}) {
        EXPECT_TRUE(pane->widget()->isAncestorOf(box) || screen.width() >= 1000);
        EXPECT_GE(box->width(), 300);
        // Scrolled to, the plot lies wholly inside the window, sideways too.
        pane->ensureWidgetVisible(box);
        QApplication::processEvents();
        const QRect at(box->mapTo(w, QPoint(0, 0)), box->size());
        EXPECT_GE(at.left(), 0);
        EXPECT_LE(at.right(), w->width());
    }
}

TEST_F(CaseWindow, TheTableWindowShownAgainLeavesTheEruptionControlsInView) {
    doc->pfracField()->setText("500");
    QTest::keyClick(doc->pfracField(), Qt::Key_Return);
    doc->onShowEruptionTable();
    EruptionTableWindow* table = doc->eruptionTableWindow();
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(table->isVisible());
    QWidget* controls = doc->eruptionControls();
    doc->window()->findChild<QScrollArea*>("formPane")->ensureWidgetVisible(controls);
    QApplication::processEvents();
    const QRect at(controls->mapToGlobal(QPoint(0, 0)), controls->size());
    // Moved over the controls (and left behind the document), then asked for again.
    table->resize(320, 200);
    table->move(at.topLeft());
    doc->window()->raise();
    doc->onShowEruptionTable();
    QApplication::processEvents();
    EXPECT_FALSE(table->frameGeometry().intersects(at));
    table->hide();
}

// A window the user has minimised stays "visible" to Qt: every command that
// shows the log, the eruption table or a document brings it back from the
// task bar, and a sequence that ends shows its log.
TEST_F(CaseWindow, EveryCommandThatShowsAWindowBringsItBackWhenMinimised) {
    auto button = [this](const char* name) {
        return [this, name] { doc->window()->findChild<QPushButton*>(name)->click(); };
    };
    auto menuItem = [this](const char* text) {
        return [this, text] {
            for (QAction* a : doc->window()->menuBar()->actions().last()->menu()->actions())
                if (a->text() == text) return a->trigger();
            ADD_FAILURE() << "no Window > " << text;
        };
    };
    doc->pfracField()->setText("500");
    button("eruptionButton")();  // the table exists from here on
    QWidget* log = CLogWindow::sharedLogWindowCtroller()->window();
    QWidget* table = doc->eruptionTableWindow();
    ASSERT_NE(table, nullptr);
    nextPath = "docs/shown";
    ASSERT_TRUE(c.saveDocumentAs(doc));
    struct Case {
        const char* command;
        QWidget* window;
        std::function<void()> give;
    };
    for (const Case& k : {Case{"Show log", log, button("showLog")}, Case{"Window > Show Log", log, menuItem("Show &Log")},
                          Case{"Eruptive sequence", log, button("eruptionButton")},
                          Case{"Show table", table, button("showEruptionTable")},
                          Case{"Window > Eruption Table", table, menuItem("&Eruption Table")},
                          Case{"File > Open of its own file", doc->window(), [this] { c.openDocument(doc->fileName()); }}}) {
        SCOPED_TRACE(k.command);
        k.window->show();
        k.window->setWindowState(k.window->windowState() | Qt::WindowMinimized);
        QApplication::processEvents();
        ASSERT_TRUE(k.window->isMinimized());
        k.give();
        QApplication::processEvents();
        EXPECT_TRUE(k.window->isVisible());
        EXPECT_FALSE(k.window->isMinimized());
    }
    table->hide();
}

#if !defined(VARNOK_SANITIZED_BUILD)
TEST_F(CaseWindow, MemoryRunningOutDuringAnEruptionRunIsToldAndTheDocumentStillSaves) {
    // The chamber: H2O-CO2 with 30 % CO2, 4 wt %, P0 1000 bar; its
    // sequence at 0.01 bar runs to the model's 10,000 eruptions.
    type("zb", "30");
    type("wt0", "4");
    type("P0", "1000");
    ASSERT_TRUE(doc->lastResult().finalState) << doc->lastResult().status;
    QStringList told;
    auto& reporter = ChamberApplication::failureReporter();
    const auto installed = reporter;
    reporter = [&told](const QString& message) { told << message; };
    // The address space capped a few MB above what the program holds, as
    // `prlimit --as` does to the running application.
    auto vmSize = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
        return 0ull;
    };
    // Qt draws and scales images on threads of its own pool, which cannot be
    // started under the cap (drawing would wait for them): they are started
    // before, as a running application has them.
    doc->window()->grab();
    QImage large(2400, 2400, QImage::Format_ARGB32);
    large.fill(Qt::white);
    ASSERT_FALSE(large.scaled(1200, 1200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).isNull());
    const unsigned long long held = vmSize();
    ASSERT_GT(held, 0u);
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &before), 0);
    ASSERT_TRUE(ChamberApplication::holdMemoryReserve());
    rlimit capped = before;
    capped.rlim_cur = held + (8u << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &capped), 0);
    // Memory freed by earlier work stays the program's: it is taken too, all
    // but a few MB, whatever this test program did before.
    std::vector<void*> taken;
    for (void* p; (p = std::malloc(size_t(1) << 20)) != nullptr;) taken.push_back(p);
    for (int i = 0; i < 6 && !taken.empty(); ++i) {
        std::free(taken.back());
        taken.pop_back();
    }
    doc->pfracField()->setText("0.01");
    QTest::keyClick(doc->pfracField(), Qt::Key_Return);
    // Saved under the cap, with the reserve given back.
    const bool saved = c.saveDocumentAs(doc, "docs/after-memory.chamber");
    for (void* p : taken) std::free(p);
    setrlimit(RLIMIT_AS, &before);
    reporter = installed;
    // Told once: either the run stopped for want of memory, or, before a
    // window was drawn with the memory nearly gone, the reserve was given
    // back (the notice first, then the drawing) and the run went on.
    ASSERT_EQ(told.size(), 1) << told.join("; ").toStdString();
    const bool stopped = told[0].contains("needed more memory than the computer could give and was stopped; the "
                                          "memory it had taken is free again. Every document stays open: save your "
                                          "work now.");
    EXPECT_TRUE(stopped || told[0] == "The computer's memory is almost used up: the memory the program kept in "
                                      "reserve has been given back so that the windows can still be drawn. Every "
                                      "document stays open: save your work now.")
        << told[0].toStdString();
    if (stopped) {
        EXPECT_EQ(doc->statusLine()->text(), told[0]);
    }
    EXPECT_FALSE(doc->isBusy());
    ASSERT_TRUE(saved) << errors.join("; ").toStdString();
    CaseList onDisk;
    std::ifstream in("docs/after-memory.chamber", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(onDisk.readFromData(bytes).ok);
    EXPECT_EQ(onDisk.at(0).find("wt0")->realValue(), 4.0);
    EXPECT_EQ(onDisk.at(0).find("zb")->realValue(), 30.0);
    // The next long command takes the reserve again.
    ChamberApplication::holdMemoryReserve();
    EXPECT_TRUE(ChamberApplication::memoryReserveHeld());
}
#endif

TEST_F(CaseWindow, ARunsEndTextAfterEditsMadeDuringItSaysWhoseInputsItBelongsTo) {
    prepareLongRun();
    bool edited = false, cancelled = false;
    runLong([&] {
        QProgressDialog* progress = progressPanel();
        if (!edited) {
            type("cr1", "20");
            edited = true;
        } else if (progress && progress->isVisible() && !cancelled) {
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
            cancelled = true;
        }
    });
    ASSERT_TRUE(edited && cancelled);
    const QString status = doc->statusLine()->text();
    EXPECT_TRUE(status.startsWith("The eruption sequence of the inputs as they were when it started, before the edits "
                                  "made during it (named in the log): The sequence was cancelled after"))
        << status.toStdString();
    // Without edits meanwhile, the end text stands alone.
    prepareLongRun();
    cancelled = false;
    runLong([&] {
        QProgressDialog* progress = progressPanel();
        if (progress && progress->isVisible() && !cancelled) {
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
            cancelled = true;
        }
    });
    EXPECT_TRUE(doc->statusLine()->text().startsWith("The sequence was cancelled after"))
        << doc->statusLine()->text().toStdString();
}
