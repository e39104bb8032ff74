// The user's work kept: a save never replaces another file without asking,
// an edit always belongs to a case, a pressure that cannot be computed is
// said as such (never as "not reached"), undo and redo bring the plots back as
// the user had them across a change of the volatile axis' unit, the log and
// the eruption table open clear of the controls, and a display that cannot be
// reached is said in one sentence.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListView>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <memory>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QUndoStack>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "QtTestApp.h"
#include "app/document/CLogWindow.h"
#include "app/document/ChamberCalculator.h"
#include "app/document/DisplayCheck.h"
#include "app/document/DocumentController.h"
#include "app/document/MyDocument.h"
#include "app/document/WindowPlacement.h"
#include "app/plot/CPlotView.h"
#include "app/plot/qt/CDrawPlotView.h"
#include "magma/TaitJaupart.h"
#include "numerics/Solver.h"

using platform::PropertyList;

namespace {

class KeepingTheWork : public ::testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        folder = QStringLiteral("keep-%1").arg(::testing::UnitTest::GetInstance()->current_test_info()->name());
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        c.chooseFile = [this](Document*, bool) { return nextPath; };
        c.askToSave = [](Document*) { return DocumentController::SaveChoice::DontSave; };
        c.confirmReplace = [this](Document*, const QString& path) {
            asked << QFileInfo(path).fileName();
            return replace;
        };
        c.showError = [this](const QString& title, const QString& message) { errors << title + " " + message; };
    }
    void TearDown() override {
        CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
        if (log->isWindowLoaded()) log->window()->hide();
    }
    MyDocument* newCases() { return dynamic_cast<MyDocument*>(c.newDocument()); }
    static void type(MyDocument* doc, const std::string& key, const QString& text) {
        QLineEdit* f = doc->field(key);
        ASSERT_NE(f, nullptr) << key;
        f->selectAll();
        QTest::keyClicks(f, text);
        QTest::keyClick(f, Qt::Key_Return);
    }
    static std::string bytesOf(const QString& path) {
        std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // A document written by another program: one case of P0 1200 bar with its comment.
    void otherProgramWrites(const QString& path) {
        CaseList list;
        list.addCase(-1);
        list.setValue(0, "P0", PropertyList::real(1200));
        list.setValue(0, "comment", PropertyList::string("written by another program"));
        const std::string bytes = list.dataOfType();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    static double p0In(const std::string& bytes) {
        CaseList list;
        if (!list.readFromData(bytes).ok || list.empty()) return NAN;
        return caseNumber(*list.at(0).find("P0")).value_or(NAN);
    }

    QtTestAppMember app;
    DocumentController c;
    QString folder, nextPath;
    bool replace = false;
    QStringList asked, errors;
};

// ---------------------------------------------------------------- saving

TEST_F(KeepingTheWork, TheSavedNameHasItsExtensionBeforeAnyFileIsReplacedAndNothingIsReplacedUnasked) {
    EXPECT_EQ(DocumentController::documentPath("a/Untitled"), "a/Untitled.chamber");
    EXPECT_EQ(DocumentController::documentPath("victim"), "victim.chamber");
    EXPECT_EQ(DocumentController::documentPath("kept.chamber"), "kept.chamber");
    EXPECT_EQ(DocumentController::documentPath("notes.txt"), "notes.txt.chamber");
    EXPECT_EQ(DocumentController::documentPath("Kept.CHAMBER"), "Kept.CHAMBER");

    // The suggested "Untitled" over an Untitled.chamber of another program:
    // asked about by its full name; refused, the file stays byte for byte.
    const QString untitled = folder + "/Untitled.chamber";
    otherProgramWrites(untitled);
    const std::string theirs = bytesOf(untitled);
    MyDocument* doc = newCases();
    type(doc, "P0", "2888");
    nextPath = folder + "/Untitled";
    EXPECT_FALSE(c.saveDocument(doc));
    EXPECT_EQ(asked, QStringList{"Untitled.chamber"});
    EXPECT_EQ(bytesOf(untitled), theirs);
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_TRUE(doc->fileName().isEmpty());
    // Replaced when the user says so.
    replace = true;
    EXPECT_TRUE(c.saveDocument(doc));
    EXPECT_EQ(p0In(bytesOf(untitled)), 2888.0);
    EXPECT_FALSE(doc->isDocumentEdited());

    // A name typed without its extension over an existing document.
    const QString victim = folder + "/victim.chamber";
    otherProgramWrites(victim);
    const std::string victimBytes = bytesOf(victim);
    replace = false;
    nextPath = folder + "/victim";
    EXPECT_FALSE(c.saveDocumentAs(doc));
    EXPECT_EQ(asked.last(), "victim.chamber");
    EXPECT_EQ(bytesOf(victim), victimBytes);
    // A new name is not asked about.
    const int questions = asked.size();
    nextPath = folder + "/fresh";
    EXPECT_TRUE(c.saveDocumentAs(doc));
    EXPECT_EQ(asked.size(), questions);
    EXPECT_TRUE(doc->fileName().endsWith("fresh.chamber"));

    // Save Elsewhere of the changed-on-disk question, answered with the
    // document's own name without its extension: asked too.
    c.askChangedOnDisk = [](Document*) { return DocumentController::ChangedFileChoice::SaveElsewhere; };
    otherProgramWrites(folder + "/fresh.chamber");
    {
        QFile f(folder + "/fresh.chamber");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(30), QFileDevice::FileModificationTime);
    }
    const std::string otherFresh = bytesOf(folder + "/fresh.chamber");
    type(doc, "P0", "2999");
    nextPath = folder + "/fresh";
    EXPECT_FALSE(c.saveDocument(doc));
    EXPECT_EQ(asked.last(), "fresh.chamber");
    EXPECT_EQ(bytesOf(folder + "/fresh.chamber"), otherFresh);
    replace = true;
    EXPECT_TRUE(c.saveDocument(doc));
    EXPECT_EQ(p0In(bytesOf(folder + "/fresh.chamber")), 2999.0);
    // A name typed with a dot at its end takes the extension after that dot.
    nextPath = folder + "/run.";
    EXPECT_TRUE(c.saveDocumentAs(doc));
    EXPECT_TRUE(doc->fileName().endsWith("/run.chamber")) << doc->fileName().toStdString();
    EXPECT_EQ(p0In(bytesOf(folder + "/run.chamber")), 2999.0);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
    EXPECT_TRUE(c.closeAllDocuments());
}

// The modal dialogs of the application answered as a user would: each step
// runs once the next modal widget is up, on its widget.
void answerModals(std::vector<std::function<void(QWidget*)>> steps) {
    auto* timer = new QTimer;
    auto pending = std::make_shared<std::vector<std::function<void(QWidget*)>>>(std::move(steps));
    auto last = std::make_shared<QWidget*>(nullptr);
    QObject::connect(timer, &QTimer::timeout, [timer, pending, last] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == *last || !modal->isVisible()) return;
        *last = modal;
        auto step = pending->front();
        pending->erase(pending->begin());
        if (pending->empty()) timer->deleteLater();
        step(modal);
    });
    timer->start(20);
}

// A name typed in the Save dialog, as a user types it.
std::function<void(QWidget*)> typeFileName(const QString& path) {
    return [path](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr) << w->metaObject()->className();
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(path);
        QTest::keyClick(edit, Qt::Key_Return);
    };
}

// A question answered with the button whose text begins with `button`.
std::function<void(QWidget*)> press(const QString& button, QStringList* questions) {
    return [button, questions](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr) << w->metaObject()->className();
        *questions << box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text().startsWith(button)) return b->click();
        ADD_FAILURE() << "no button " << button.toStdString() << " in " << box->text().toStdString();
    };
}

TEST_F(KeepingTheWork, ANameWithADotTypedInTheSaveDialogGetsTheExtensionAndFileOpenListsIt) {
    DocumentController real;  // its own dialogs, driven as a user would
    real.showError = [this](const QString& title, const QString& message) { errors << title + " " + message; };
    MyDocument* doc = dynamic_cast<MyDocument*>(real.newDocument());
    ASSERT_NE(doc, nullptr);
    const QString dir = QFileInfo(folder).absoluteFilePath();
    QStringList questions;
    // Dots that belong to the name: ".chamber" is added, nothing is asked.
    for (const QString name : {"Mt. Etna", "run 1.5 kbar", "case v2.1", "Vesuvius 79 A.D"}) {
        std::vector<std::function<void(QWidget*)>> steps{typeFileName(dir + "/" + name)};
        // "A.D" could be a file type's extension: asked, and the offered answer adds ".chamber".
        if (name.endsWith("A.D")) steps.push_back(press("Use .chamber", &questions));
        answerModals(std::move(steps));
        ASSERT_TRUE(real.saveDocumentAs(doc)) << name.toStdString();
        EXPECT_EQ(doc->displayName(), name + ".chamber");
    }
    EXPECT_EQ(questions, QStringList{"\"Vesuvius 79 A.D\" ends in \".D\", not in \".chamber\"."});
    // Another extension stays only when the user says so; Cancel saves nothing.
    answerModals({typeFileName(dir + "/notes.txt"), press("Keep \".txt\"", &questions)});
    ASSERT_TRUE(real.saveDocumentAs(doc));
    EXPECT_EQ(doc->displayName(), "notes.txt");
    answerModals({typeFileName(dir + "/other.txt"), press("Cancel", &questions)});
    EXPECT_FALSE(real.saveDocumentAs(doc));
    EXPECT_FALSE(QFile::exists(dir + "/other.txt"));
    EXPECT_FALSE(QFile::exists(dir + "/other.txt.chamber"));

    // File > Open, filtered to the documents, lists the four.
    QStringList listed;
    answerModals({[&listed, dir](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(dir);
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(view->model()->rowCount(view->rootIndex()), 4, 10000);
        for (int r = 0; r < 4; ++r) listed << view->model()->index(r, 0, view->rootIndex()).data().toString();
        dialog->reject();
    }});
    EXPECT_EQ(real.openDocumentWithDialog(), nullptr);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"Mt. Etna.chamber", "Vesuvius 79 A.D.chamber", "case v2.1.chamber",
                                   "run 1.5 kbar.chamber"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
    real.askToSave = [](Document*) { return DocumentController::SaveChoice::DontSave; };
    EXPECT_TRUE(real.closeAllDocuments());
}

TEST_F(KeepingTheWork, ASaveAsOverTheFileOfAnotherWindowIsRefusedAndThatWindowKeepsItsFile) {
    MyDocument* b = newCases();
    ASSERT_TRUE(c.saveDocumentAs(b, folder + "/shared.chamber"));
    const std::string bBytes = bytesOf(folder + "/shared.chamber");
    MyDocument* a = newCases();
    type(a, "P0", "3111");
    replace = true;  // even a user who would replace it
    nextPath = folder + "/shared";
    EXPECT_FALSE(c.saveDocumentAs(a));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("shared.chamber\" cannot be saved: it is open in the window \"shared.chamber\"; "
                                   "close that window first, or save under another name."))
        << errors[0].toStdString();
    EXPECT_EQ(bytesOf(folder + "/shared.chamber"), bBytes);
    EXPECT_TRUE(a->fileName().isEmpty());
    // B saves again as usual: no word of another program.
    c.askChangedOnDisk = [](Document*) -> DocumentController::ChangedFileChoice {
        ADD_FAILURE() << "asked about another program";
        return DocumentController::ChangedFileChoice::Cancel;
    };
    type(b, "P0", "1999");
    EXPECT_TRUE(c.saveDocument(b));
    EXPECT_EQ(p0In(bytesOf(folder + "/shared.chamber")), 1999.0);
    EXPECT_TRUE(c.closeAllDocuments());
}

TEST_F(KeepingTheWork, ADocumentWhoseCaseHoldsNoNumberOpensUnchanged) {
    CaseList list;
    list.addCase(-1);
    list.setValue(0, "P0", PropertyList::real(NAN));
    const std::string bytes = list.dataOfType();
    {
        QFile f(folder + "/nan.chamber");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    auto* doc = dynamic_cast<MyDocument*>(c.openDocument(folder + "/nan.chamber"));
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->isDocumentEdited());
    EXPECT_TRUE(std::isnan(doc->list().at(0).find("P0")->realValue()));
    EXPECT_FALSE(doc->statusLine()->text().isEmpty());  // the calculation says why it has no values
    EXPECT_TRUE(c.closeAllDocuments());
}

// ---------------------------------------------------------------- cases

TEST_F(KeepingTheWork, AfterADeleteTheFormShowsAndEditsACaseThatIsThere) {
    MyDocument* doc = newCases();
    doc->onAddCase();
    type(doc, "P0", "2222");
    doc->onAddCase();
    type(doc, "P0", "3333");
    ASSERT_EQ(doc->list().size(), 3u);
    ASSERT_EQ(doc->selectedRow(), 2);
    doc->onDeleteCase();
    // The last row deleted: the one before it is selected and shown.
    ASSERT_EQ(doc->list().size(), 2u);
    EXPECT_EQ(doc->selectedRow(), 1);
    EXPECT_EQ(doc->field("P0")->text(), "2222");
    EXPECT_NEAR(doc->lastResult().exsolInitial->y, 2222.0, 1e-9);
    type(doc, "P0", "4444");
    EXPECT_EQ(doc->list().at(1).find("P0")->realValue(), 4444.0);
    EXPECT_EQ(doc->list().at(0).find("P0")->realValue(), 1572.0);
    EXPECT_NEAR(doc->lastResult().pressureInitial->y, 4444.0, 1e-9);
    // A row in the middle deleted: the case that takes its row is shown.
    doc->onAddCase();  // after row 1: row 2, the default P0
    doc->listView()->selectRowOnly(1);
    doc->onDeleteCase();
    EXPECT_EQ(doc->selectedRow(), 1);
    EXPECT_EQ(doc->field("P0")->text(), "1572");
    // Deleting every case leaves a form that takes no edit, and says why.
    doc->onDeleteCase();
    doc->onDeleteCase();
    ASSERT_TRUE(doc->list().empty());
    EXPECT_FALSE(doc->field("P0")->isEnabled());
    EXPECT_FALSE(doc->commentField()->isEnabled());
    EXPECT_FALSE(doc->exsolView()->isEnabled());
    EXPECT_TRUE(doc->statusLine()->text().contains("no case")) << doc->statusLine()->text().toStdString();
    // Undone, the case is back, selected and editable.
    doc->undoManager()->undo();
    ASSERT_EQ(doc->list().size(), 1u);
    EXPECT_EQ(doc->selectedRow(), 0);
    EXPECT_TRUE(doc->field("P0")->isEnabled());
    type(doc, "P0", "1777");
    EXPECT_EQ(doc->list().at(0).find("P0")->realValue(), 1777.0);
    EXPECT_TRUE(c.closeAllDocuments());
}

// ---------------------------------------------------------------- undo across a unit switch

TEST_F(KeepingTheWork, UndoAndRedoShowThePlotAsTheUserHadItAcrossAChangeOfUnit) {
    MyDocument* doc = newCases();
    CPlotView* ex = doc->exsolView()->plotView();
    auto range = [ex] {
        float a, b, c0, d;
        ex->getXYRange(&a, &b, &c0, &d);
        return std::vector<float>{a, b, c0, d};
    };
    ASSERT_EQ(doc->exsolViewConcentrationUnit(), kUnitPpm);  // 0.1 wt %
    const std::vector<float> ppmDefault = range();
    ASSERT_EQ(ppmDefault, (std::vector<float>{0, 12000, 0, 2600}));
    // The user's range (the axis-range panel's change), then a content of
    // 4 wt %: the axis turns to wt % at its default range.
    ex->doChangeAxisRanges(0, 12000, 0, 3000);
    type(doc, "wt0", "4");
    ASSERT_EQ(doc->exsolViewConcentrationUnit(), kUnitWtPercent);
    const std::vector<float> afterEdit = range();
    EXPECT_EQ(afterEdit[1], 10.0f);
    QUndoStack* stack = doc->undoManager();
    // Each step back shows the plot as it was at that step.
    stack->undo();
    EXPECT_EQ(doc->exsolViewConcentrationUnit(), kUnitPpm);
    EXPECT_EQ(range(), (std::vector<float>{0, 12000, 0, 3000}));
    stack->undo();
    EXPECT_EQ(range(), ppmDefault);
    // ... and each step forward too.
    stack->redo();
    EXPECT_EQ(range(), (std::vector<float>{0, 12000, 0, 3000}));
    stack->redo();
    EXPECT_EQ(doc->exsolViewConcentrationUnit(), kUnitWtPercent);
    EXPECT_EQ(range(), afterEdit);
    stack->undo();
    EXPECT_EQ(range(), (std::vector<float>{0, 12000, 0, 3000}));
    EXPECT_TRUE(c.closeAllDocuments());
}

// ---------------------------------------------------------------- failed pressures

TEST(FailedPressures, AreSaidAsFailuresWithWhereAndWhyNeverAsAThresholdNotReached) {
    // The model alone, given moduli that the form refuses: every pressure of
    // the search fails, and the sequence says so.
    for (auto [mu, beta] : {std::pair{0.5, 1e10}, std::pair{1e10, 1200.0}}) {
        TaitJaupart m;
        m.setMagmaType(kChamberMelt2700);
        m.setFluid(kChamberFluidH2OCO2, 0.0);
        ASSERT_TRUE(m.setInitialData(1000, 1572e5, 0.0, 0.001, 0.0)) << m.message;
        m.mu = mu;
        m.beta = beta;
        EXPECT_NE(m.calculateOverpressure(0.1), 0);
        EXPECT_EQ(m.message.find("solver status"), std::string::npos) << m.message;
        EXPECT_NE(m.message.find("could not be computed"), std::string::npos) << m.message;
        std::vector<double> rows;
        EXPECT_EQ(m.calculateEruptionSequence(50e5, &rows), EruptionSequenceEnd::solveFailed) << m.message;
        EXPECT_TRUE(rows.empty());
        // Where: the fractions whose pressure failed, of those searched (for
        // mu all of them; for beta from 0.03 on); why: the model's reason.
        EXPECT_NE(m.message.find(mu < 1 ? "could not be computed at 50 of the 50 crystal fractions searched for the "
                                          "next eruption (from 0.01 to 0.5), so whether the overpressure of 50 bar "
                                          "is reached is not known."
                                        : "could not be computed at 48 of the 50 crystal fractions searched for the "
                                          "next eruption (from 0.03 to 0.5), so whether the overpressure of 50 bar "
                                          "is reached is not known."),
                  std::string::npos)
            << m.message;
        EXPECT_NE(m.message.find("lie below the 1e+06 Pa from which the model computes"), std::string::npos)
            << m.message;
    }
    // The form bounds the moduli to that range and names it.
    ChamberCalculator calc;
    CaseForm form;
    form.setNumber("mu", 0.5);
    CalculationResult r = calc.calculate(form);
    EXPECT_FALSE(r.initialState);
    EXPECT_EQ(r.status, "The elastic modulus of the chamber \xCE\xBC = 0.5 Pa lies outside the range the chamber model computes with, "
                        "1e+06 Pa to 1e+13 Pa (rocks and melts lie near 1e+10 Pa).");
    const EruptionReport rep = calc.eruptiveSequence(form, 50);
    EXPECT_EQ(rep.eruptions, 0);
    EXPECT_EQ(rep.lines.back(), "The sequence was not computed: " + r.status);
    form.setNumber("mu", 1e10);
    form.setNumber("beta", 1200);
    EXPECT_EQ(calc.calculate(form).status.rfind("The bulk modulus of the melt \xCE\xB2 = 1200 Pa lies outside", 0), 0u);
}

TEST(FailedPressures, EveryModulusOfTheNamedRangeGivesChamberStatesWhoseVolumesBalance) {
    // At both ends of the range the form takes, the pressure is found at every
    // crystal fraction to one half, and the chamber's volume equals that of
    // its melt, gas and crystals there.
    struct Case {
        int melt, fluid;
        double P0, w, z;
    };
    for (const Case& k : {Case{kChamberMelt2700, kChamberFluidH2O, 1572e5, 0.001, 0},
                          Case{kChamberMelt2700, kChamberFluidH2O, 1000e5, 0.04, 0},
                          Case{kChamberMelt2700, kChamberFluidH2OCO2, 1572e5, 0.02, 0.3},
                          Case{kChamberMelt2300, kChamberFluidCO2, 3000e5, 0.001, 0}}) {
        for (double mu : {TaitJaupart::kMinModulus, 1e10, TaitJaupart::kMaxModulus}) {
            for (double beta : {TaitJaupart::kMinModulus, 1e10, TaitJaupart::kMaxModulus}) {
                TaitJaupart m;
                m.setMagmaType(k.melt);
                m.setFluid(k.fluid, k.z);
                ASSERT_TRUE(m.setInitialData(1000, k.P0, 0.0, k.w, k.z)) << m.message;
                m.mu = mu;
                m.beta = beta;
                for (int i = 1; i <= 50; ++i) {
                    const double X = 0.01 * i;
                    // Below 100 bar the state is found, and refused as outside the laws' range.
                    const int status = m.calculateOverpressure(X);
                    ASSERT_TRUE(status == 0 || (status == kSolverBelowMin && m.P < TaitJaupart::kMinPressure))
                        << m.message << " mu " << mu << " beta " << beta;
                    EXPECT_NEAR(m.V, m.Vl + m.Vg + m.Vc, 1e-9 * m.V) << "X " << X;
                    EXPECT_NEAR(m.V, m.V0 * std::exp((m.P - m.P0) / mu), 1e-12 * m.V);
                }
            }
        }
    }
}

// ---------------------------------------------------------------- placement

TEST(WindowPlacement, TheLogAndTheTableOpenClearOfTheControlsAndTheMenusAtThreeScreenSizes) {
    // Document windows as they open at each screen size (frame rectangles in
    // screen coordinates): the title bar with the menus, and the eruption
    // controls, measured under a window manager.
    struct Screen {
        QRect area, titleAndMenus, eruptionBox;
    };
    const Screen screens[] = {
        {QRect(0, 0, 1920, 1080), QRect(160, 48, 1602, 62), QRect(287, 858, 386, 88)},
        // The form scrolled so that the controls show at the middle, and at the bottom.
        {QRect(0, 0, 1024, 768), QRect(8, 11, 1008, 40), QRect(136, 215, 470, 88)},
        {QRect(0, 0, 1024, 768), QRect(8, 11, 1008, 40), QRect(136, 630, 470, 88)},
        {QRect(0, 0, 800, 600), QRect(8, 11, 784, 40), QRect(136, 215, 640, 88)},
        {QRect(0, 0, 800, 600), QRect(8, 11, 784, 40), QRect(136, 440, 640, 88)},
    };
    const QSize log(718 + 16, 300 + 48), table(700 + 16, 480 + 48), minimum(320 + 16, 200 + 48);
    for (const Screen& s : screens) {
        const std::vector<QRect> keep{s.eruptionBox, s.titleAndMenus};
        for (QSize outer : {log, table}) {
            // Never placed before: beside the controls; placed before over
            // them (where the window manager put it): moved clear.
            for (QPoint preferred : {QPoint(s.eruptionBox.right() + 1, s.eruptionBox.top()), QPoint(0, s.area.bottom())}) {
                const QRect r = placementClearOf(s.area, outer, minimum, keep, preferred);
                ASSERT_FALSE(r.isEmpty()) << s.area.width();
                EXPECT_TRUE(s.area.contains(r)) << s.area.width();
                EXPECT_FALSE(r.intersects(s.eruptionBox)) << s.area.width();
                EXPECT_FALSE(r.intersects(s.titleAndMenus)) << s.area.width();
                EXPECT_GE(r.width(), minimum.width());
                EXPECT_GE(r.height(), minimum.height());
                EXPECT_EQ(r.size(), outer.boundedTo(r.size()));  // never larger than asked
            }
        }
        // Where the whole window has room, it keeps its size.
        if (s.area.width() >= 1024) {
            EXPECT_EQ(placementClearOf(s.area, log, minimum, keep, QPoint()).size(), log);
        }
    }
    // A window already clear stays where it is.
    const QRect clear = placementClearOf(QRect(0, 0, 1920, 1080), log, minimum,
                                         {QRect(287, 858, 386, 88), QRect(160, 48, 1602, 62)}, QPoint(1000, 300));
    EXPECT_EQ(clear.topLeft(), QPoint(1000, 300));
    // Not even the smallest usable window fits: nothing is decided.
    EXPECT_TRUE(placementClearOf(QRect(0, 0, 400, 300), log, minimum, {QRect(0, 0, 400, 150), QRect(0, 200, 400, 100)},
                                 QPoint())
                    .isEmpty());
}

TEST_F(KeepingTheWork, TheLogOpenedByAnEruptionRunIsPlacedClearOfTheControlsBeforeItShows) {
    MyDocument* doc = newCases();
    doc->window()->show();
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    log->window()->hide();
    // Where the window manager would have put it: over the controls.
    QWidget* box = doc->eruptionControls();
    log->window()->move(box->mapToGlobal(QPoint(0, 0)));
    MyDocument::onShowLog(box, false);
    const QRect frame = log->window()->frameGeometry();
    const QRect shown = box->visibleRegion().boundingRect();
    const QRect boxRect(box->mapToGlobal(shown.topLeft()), shown.size());
    EXPECT_FALSE(frame.intersects(boxRect)) << frame.x() << "," << frame.y();
    const QWidget* menus = doc->window()->menuWidget();
    EXPECT_GT(frame.top(), menus->mapToGlobal(QPoint(0, menus->height() - 1)).y());
    // Nor over the case commands and the status line of the window.
    for (const char* name : {"addCase", "duplicateCase", "deleteCase", "mStatus"}) {
        const QWidget* w = doc->window()->findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_FALSE(frame.intersects(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()))) << name;
    }
    EXPECT_TRUE(c.closeAllDocuments());
}

// ---------------------------------------------------------------- display

TEST(Display, ADisplaySetButUnreachableOrMissingIsSaidInOneSentenceNamingItAndHowToGiveOne) {
    const auto allPlugins = [](const std::string&) { return true; };
    const auto xAnswers = [](X11Answer::Kind kind) { return [kind](const std::string&) { return X11Answer{kind, {}}; }; };
    const DisplayProbes none{xAnswers(X11Answer::Kind::unreachable), [](const std::string&) { return false; }, allPlugins};
    const DisplayProbes xOnly{xAnswers(X11Answer::Kind::opened), [](const std::string&) { return false; }, allPlugins};
    DisplaySettings stale;
    stale.x11Display = ":199";
    std::string said = displayProblem(stale, none, "chamber");
    EXPECT_EQ(said.rfind("chamber: cannot reach the X display \":199\" named by DISPLAY", 0), 0u) << said;
    EXPECT_NE(said.find("Xvfb :1 & DISPLAY=:1 chamber"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '.'), 1) << said;  // one sentence
    EXPECT_EQ(displayProblem(stale, xOnly, "chamber"), "");
    DisplaySettings wayland;
    wayland.waylandDisplay = "wayland-9";
    wayland.runtimeDir = "/run/user/1000";
    said = displayProblem(wayland, none, "chamber");
    EXPECT_NE(said.find("the Wayland display \"wayland-9\" named by WAYLAND_DISPLAY (no compositor answers at "
                        "/run/user/1000/wayland-9)"),
              std::string::npos)
        << said;
    said = displayProblem(DisplaySettings{}, none, "chamber");
    EXPECT_EQ(said.rfind("chamber: no display is set (neither DISPLAY nor WAYLAND_DISPLAY)", 0), 0u) << said;
    // Drawing without a window system needs no display.
    DisplaySettings offscreen;
    offscreen.qtPlatform = "offscreen";
    EXPECT_EQ(displayProblem(offscreen, none, "chamber"), "");
    offscreen.qtPlatform = "xcb";
    EXPECT_NE(displayProblem(offscreen, none, "chamber"), "");
    // A Wayland display that answers, for a Qt without the Wayland plugin and no DISPLAY: said, never tried.
    const DisplayProbes noWaylandPlugin{xAnswers(X11Answer::Kind::opened), [](const std::string&) { return true; },
                                        [](const std::string& plugin) { return plugin == "xcb"; }};
    said = displayProblem(wayland, noWaylandPlugin, "chamber");
    EXPECT_EQ(said.rfind("chamber: the Wayland display \"wayland-9\" named by WAYLAND_DISPLAY cannot be used (this Qt "
                         "has no Wayland platform plugin) and no other display is set",
                         0),
              0u)
        << said;
    // A platform named that this Qt has no plugin for, or one whose display is not set.
    DisplaySettings bogus;
    bogus.x11Display = ":0";
    bogus.qtPlatform = "bogus";
    bogus.qtPlatformSource = "-platform";
    EXPECT_EQ(displayProblem(bogus, noWaylandPlugin, "chamber"),
              "chamber: the Qt platform \"bogus\" named by -platform is not one this Qt has a platform plugin for, so "
              "the window cannot open: name xcb (an X display) or offscreen (no window shown), or leave out -platform.");
    bogus.qtPlatform = "wayland";
    bogus.qtPlatformSource = "QT_QPA_PLATFORM";
    EXPECT_NE(displayProblem(bogus, noWaylandPlugin, "chamber").find("\"wayland\" named by QT_QPA_PLATFORM is not one"),
              std::string::npos);
    bogus.qtPlatform = "xcb";
    bogus.x11Display.reset();
    EXPECT_EQ(displayProblem(bogus, noWaylandPlugin, "chamber")
                  .rfind("chamber: the Qt platform \"xcb\" named by QT_QPA_PLATFORM needs DISPLAY, which is not set", 0),
              0u);
    // With an X display beside it, the X display is used.
    DisplaySettings both = wayland;
    both.x11Display = ":0";
    EXPECT_EQ(displayProblem(both, noWaylandPlugin, "chamber"), "");
    // An X server that answers but cannot be used is no stale display: the
    // screen it lacks, or its refusal with its own words and the authority
    // file that was offered, each said as such.
    struct Answered {
        const char* display;
        X11Answer answer;
        std::vector<std::string> says;
    };
    for (const Answered& a :
         {Answered{":82.7", {X11Answer::Kind::noSuchScreen, {}},
                   {"chamber: the X display \":82.7\" named by DISPLAY asks for screen 7, which its X server does not "
                    "have, so the window cannot open: name the display without a screen (\":82\""}},
          Answered{":84",
                   {X11Answer::Kind::refused, "Authorization required, but no authorization protocol specified"},
                   {"chamber: the X server of the display \":84\" named by DISPLAY refuses the connection "
                    "(\"Authorization required, but no authorization protocol specified\"), so the window cannot open",
                    "the authority file that XAUTHORITY names (\"/home/other/.Xauthority\") holds no such key"}}}) {
        SCOPED_TRACE(a.answer.reason);
        DisplaySettings answered;
        answered.x11Display = a.display;
        answered.xAuthority = "/home/other/.Xauthority";
        const X11Answer answer = a.answer;
        said = displayProblem(answered, {[answer](const std::string&) { return answer; }, nullptr, allPlugins}, "chamber");
        for (const std::string& part : a.says) EXPECT_NE(said.find(part), std::string::npos) << said;
        for (const char* wrong : {"cannot reach", "ssh -X", "Xvfb"}) EXPECT_EQ(said.find(wrong), std::string::npos) << said;
    }
    // The real probes: a Wayland socket nobody listens at, and an X display number with no server.
    DisplaySettings unreachable;
    unreachable.x11Display = ":199";
    unreachable.waylandDisplay = "/nonexistent/wayland-199";
    DisplayProbes real = defaultDisplayProbes();
    real.platformPlugin = allPlugins;  // whichever plugins this Qt has
    said = displayProblem(unreachable, real, "chamber");
    EXPECT_NE(said.find("cannot reach the X display \":199\" named by DISPLAY nor the Wayland display"),
              std::string::npos)
        << said;
}

#ifdef CHAMBER_PROGRAM
// The program itself on a running X server (Xvfb, when installed) that has
// one screen and takes only the key of its authority file: a screen it does
// not have, and a connection without its key, each said in one sentence with
// status 2 (Qt would abort, status 134); with the key, the probe lets it be.
TEST(Display, AnXServerThatLacksTheScreenOrRefusesTheKeyIsSaidAndTheProgramEndsWithStatus2) {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // An authority file of one MIT-MAGIC-COOKIE-1 key for any address and display (family 0xFFFF,
    // empty address and display number; each field after its 16-bit big-endian length).
    static const char kKeyFile[] = "\xff\xff\0\0\0\0\0\x12MIT-MAGIC-COOKIE-1\0\x10" "0123456789abcdef";
    const QString keys = dir.filePath(QStringLiteral("Xauthority"));
    QFile f(keys);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(kKeyFile, sizeof kKeyFile - 1) == sizeof kKeyFile - 1);
    f.close();
    QProcess server;
    server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-nolisten", "tcp", "-auth", keys});
    ASSERT_TRUE(server.waitForReadyRead(20000)) << "Xvfb did not start";
    const QString display = ":" + QString::fromLatin1(server.readAllStandardOutput()).trimmed();
    struct Case {
        QString display, keys;
        const char* says;
    };
    for (const Case& k : {Case{display + ".7", keys, "asks for screen 7, which its X server does not have"},
                          Case{display, dir.filePath("none"), "refuses the connection (\"Authorization required"}}) {
        SCOPED_TRACE(k.says);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        env.insert("DISPLAY", k.display);
        env.insert("XAUTHORITY", k.keys);
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(CHAMBER_PROGRAM), {});
        ASSERT_TRUE(program.waitForFinished(60000));
        const QString said = QString::fromUtf8(program.readAllStandardError()).trimmed();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << said.toStdString();
        EXPECT_EQ(program.exitCode(), 2) << said.toStdString();
        EXPECT_TRUE(said.contains(k.says)) << said.toStdString();
        EXPECT_EQ(said.count('\n'), 0) << said.toStdString();
    }
    const QByteArray before = qgetenv("XAUTHORITY");
    qputenv("XAUTHORITY", keys.toLocal8Bit());
    DisplaySettings keyed;
    keyed.x11Display = display.toStdString();
    DisplayProbes real = defaultDisplayProbes();
    real.platformPlugin = [](const std::string&) { return true; };
    EXPECT_EQ(displayProblem(keyed, real, "chamber"), "");
    if (before.isNull())
        qunsetenv("XAUTHORITY");
    else
        qputenv("XAUTHORITY", before);
    server.terminate();
    server.waitForFinished(10000);
}

// The program itself, where a Wayland socket answers while DISPLAY is unset
// and Qt has no Wayland platform plugin: Qt would abort (status 134); the
// program says in one sentence why no window opens and ends with status 2.
TEST(Display, AWaylandSocketThatAnswersWithoutAPluginToDrawOnItIsSaidAndTheProgramEndsWithStatus2) {
    if (defaultDisplayProbes().platformPlugin("wayland")) GTEST_SKIP() << "this Qt has a Wayland platform plugin";
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const std::string socketPath = (runtime.path() + "/wayland-7").toStdString();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof(addr.sun_path));
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)), 0);
    ASSERT_EQ(::listen(fd, 8), 0);  // connections wait in the backlog: the socket answers
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("WAYLAND_DISPLAY", "wayland-7");
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(CHAMBER_PROGRAM), {});
    ASSERT_TRUE(program.waitForFinished(60000));
    ::close(fd);
    const QString said = QString::fromUtf8(program.readAllStandardError()).trimmed();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << said.toStdString();
    EXPECT_EQ(program.exitCode(), 2) << said.toStdString();
    EXPECT_TRUE(said.contains("the Wayland display \"wayland-7\" named by WAYLAND_DISPLAY cannot be used (this Qt has "
                              "no Wayland platform plugin)"))
        << said.toStdString();
    EXPECT_EQ(said.count('\n'), 0) << said.toStdString();
}
#endif

}  // namespace
