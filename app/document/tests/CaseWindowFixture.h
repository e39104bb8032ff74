// The fixture of the case document window's end-to-end tests: a document
// controller with scripted answers, a new case document, and the moves a
// user makes in its window (typing into the form, clicking in a plot,
// starting a long eruption sequence).
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QWindow>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QUndoStack>
#include <QProgressDialog>
#include <QMenu>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "QtTestApp.h"
#include "app/document/CLogWindow.h"
#include "app/document/ChamberApplication.h"
#include "app/document/DocumentController.h"
#include "app/document/EruptionTableWindow.h"
#include "app/document/FieldStepper.h"
#include "app/document/MyDocument.h"
#include "app/plot/FileChooser.h"
#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/CPlotView.h"
#include "app/plot/qt/CDrawPlotView.h"
#include "app/plot/qt/CAxisRangeWindow.h"
#include "app/plot/qt/CCurveSettingsWindow.h"
#include "app/plot/qt/CPlotWidget.h"
#include "app/plot/qt/CPlotWindow.h"
#include "app/plot/qt/CPointSettingsWindow.h"
#include "app/plot/qt/PlotPanels.h"
#include "app/plot/tests/qt/ModalRun.h"
#include "platform/NotificationCenter.h"

using platform::PropertyList;

class CaseWindow : public ::testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        QDir().mkpath("docs");
        c.chooseFile = [this](Document*, bool) { return nextPath; };
        c.askToSave = [](Document*) { return DocumentController::SaveChoice::DontSave; };
        c.confirmRevert = [](Document*) { return true; };
        c.confirmCancelBusy = [this](Document*) { ++askedToCancel; return cancelToClose; };
        c.showError = [this](const QString& title, const QString& message) { errors << title + " " + message; };
        doc = dynamic_cast<MyDocument*>(c.newDocument());
        ASSERT_NE(doc, nullptr);
    }
    void TearDown() override {
        CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
        if (log->isWindowLoaded()) log->window()->hide();
    }

    // Types a value into a form field and presses Return, as a user would.
    void type(const std::string& key, const QString& text) {
        QLineEdit* f = doc->field(key);
        ASSERT_NE(f, nullptr) << key;
        f->selectAll();
        QTest::keyClicks(f, text);
        QTest::keyClick(f, Qt::Key_Return);
    }
    QString shown(const std::string& key) const { return doc->field(key)->text(); }
    QString result(const std::string& name) const { return doc->resultField(name)->text(); }
    const PropertyList& stored(const std::string& key) const { return *doc->list().at(0).find(key); }
    // A click in a plot: the view's selected point and Shift key, then the notification.
    void clickIn(CDrawPlotView* container, float x, float y, bool shift) {
        CPlotView* v = container->plotView();
        v->setSelectedPointX(x);
        v->setSelectedPointY(y);
        v->setSelectionKeyShift(shift);
        platform::NotificationCenter::defaultCenter().post("PlotSelection", v);
    }

    // A chamber whose eruption sequence at 0.01 bar runs long enough to show
    // its progress (up to the model's limit of 10,000 eruptions); the log emptied.
    CLogWindow* prepareLongRun() {
        // At 0.01 bar this chamber would erupt until the model's limit of
        // 10,000 eruptions.  With the gas's isotherm tabulated that takes
        // about a tenth of a second; asking the equation of state at every
        // pressure makes it a sequence of seconds, long enough to be watched,
        // edited and cancelled.
        doc->eruptionCalculator().model().tabulateGas = 0;
        doc->fluidType()->button(kChamberFluidH2O)->click();
        type("wt0", "4");
        type("P0", "1500");
        CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
        log->clearText();
        return log;
    }
    // Starts that sequence as a user would (0.01 typed, Return), with `tick`
    // called each time the run gives the window its events: after every step
    // of the model, the progress panel shown from the first, so that what a
    // test does during the run happens at the same step on any machine.
    void runLong(const std::function<void()>& tick) {
        doc->setRunPacing({0, 0, tick});
        doc->pfracField()->setText("0.01");
        QTest::keyClick(doc->pfracField(), Qt::Key_Return);
        doc->setRunPacing({});
    }
    QProgressDialog* progressPanel() const { return doc->window()->findChild<QProgressDialog*>("eruptionProgress"); }

    // The rows of an eruption table (six numbers), checking that they are numbered 1, 2, ...
    static int numberedRows(const std::string& table) {
        int rows = 0;
        std::istringstream in(table);
        for (std::string line; std::getline(in, line);) {
            int n = 0;
            double a, b, cc, d, e;
            if (std::sscanf(line.c_str(), "%d %lf %lf %lf %lf %lf", &n, &a, &b, &cc, &d, &e) == 6) {
                EXPECT_EQ(n, ++rows) << line;
            }
        }
        return rows;
    }

    QtTestAppMember app;
    DocumentController c;
    MyDocument* doc = nullptr;
    QString nextPath;
    QStringList errors;
    // The answer to "cancel the running sequence and close?", and how often it was asked.
    bool cancelToClose = false;
    int askedToCancel = 0;
};
