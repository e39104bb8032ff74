#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <QWindow>
#include <new>

#include "QtTestApp.h"
#include "app/document/CLogWindow.h"
#include "app/document/ChamberApplication.h"
#include "app/document/DocumentController.h"
#include "app/document/MyDocument.h"

namespace {

// A controller whose dialogs answer from the test.
class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        QDir().mkpath("docs");
        c.chooseFile = [this](Document*, bool) { ++chosen; return nextPath; };
        c.askToSave = [this](Document*) { ++asked; return answer; };
        c.confirmRevert = [](Document*) { return true; };
        c.confirmCancelBusy = [](Document*) { return false; };
        c.showError = [this](const QString& title, const QString& message) { errors << title + " " + message; };
        c.showWarning = [this](const QString& title, const QString& message) { warnings << title + " " + message; };
    }
    MyDocument* asCases(Document* d) { return dynamic_cast<MyDocument*>(d); }
    static std::string fileBytes(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll().toStdString();
    }

    QtTestAppMember app;
    DocumentController c;
    QString nextPath;
    DocumentController::SaveChoice answer = DocumentController::SaveChoice::Cancel;
    int asked = 0, chosen = 0;
    QStringList errors, warnings;
};

TEST_F(Shell, NewDocumentShowsOneUnchangedCase) {
    MyDocument* d = asCases(c.newDocument());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->list().size(), 1u);
    EXPECT_EQ(d->list().at(0).find("name")->stringValue(), "New");
    EXPECT_FALSE(d->isDocumentEdited());
    EXPECT_EQ(d->selectedRow(), 0);
    EXPECT_EQ(d->window()->windowTitle(), "Untitled[*]");
    // The main menu holds the case, log, undo and redo commands.
    QStringList menus;
    for (QAction* a : d->window()->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&Case", "&Window"}));
    // Window > Show Log opens the shared log 300 high and at least 700 wide,
    // wide enough for a row of the eruption table beside the scroll bar.
    QAction* showLog = nullptr;
    for (QAction* a : d->window()->menuBar()->actions().last()->menu()->actions())
        if (a->text() == "Show &Log") showLog = a;
    ASSERT_NE(showLog, nullptr);
    showLog->trigger();
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    EXPECT_TRUE(log->isWindowVisible());
    EXPECT_EQ(log->window()->height(), 300);
    EXPECT_GE(log->window()->width(), 700);
    QApplication::processEvents();
    auto* text = log->window()->findChild<QTextEdit*>("logText");
    ASSERT_NE(text, nullptr);
    const QString row = QString::fromStdString(ChamberCalculator::eruptionTableHeader());
    const int room = text->width() - 2 * text->frameWidth() - text->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_LE(QFontMetrics(log->document()->defaultFont()).horizontalAdvance(row) + 2 * log->document()->documentMargin(),
              room);
    log->window()->hide();
    // Closing an unchanged document asks nothing.
    EXPECT_TRUE(c.closeDocument(d));
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(c.documents().empty());
}

TEST_F(Shell, ClosingTheWindowGoesThroughThePrompt) {
    MyDocument* d = asCases(c.newDocument());
    d->onAddCase();
    answer = DocumentController::SaveChoice::Cancel;
    d->window()->close();
    QApplication::processEvents();
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(c.documents().size(), 1u);
    answer = DocumentController::SaveChoice::DontSave;
    d->window()->close();
    QApplication::processEvents();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(c.documents().empty());
}

// A close request as the window system delivers it (the window's close
// button): a close event to the window, not a call of close().
void closeFromWindowSystem(QWidget* w) {
    ASSERT_NE(w->windowHandle(), nullptr);
    QCloseEvent e;
    QCoreApplication::sendEvent(w->windowHandle(), &e);
}

TEST_F(Shell, ClosingTheLastWindowEndsTheEventLoopAfterThePrompt) {
    MyDocument* first = asCases(c.newDocument());
    MyDocument* second = asCases(c.newDocument());
    second->onAddCase();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(second->window()));
    CLogWindow::sharedLogWindowCtroller()->showWindow();  // an auxiliary window keeps nothing running
    answer = DocumentController::SaveChoice::DontSave;
    bool secondClosedInLoop = false;
    // The first window's close button, then the second's File > Close, from within the event loop.
    QTimer::singleShot(0, [&] { closeFromWindowSystem(first->window()); });
    QTimer::singleShot(100, [&] {
        EXPECT_EQ(c.documents().size(), 1u);  // the loop goes on while a window is left
        secondClosedInLoop = true;
        for (QAction* a : second->window()->menuBar()->actions().first()->menu()->actions())
            if (a->shortcut() == QKeySequence(QKeySequence::Close)) a->trigger();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(5000);
    EXPECT_EQ(QApplication::exec(), 0) << "the event loop went on with no document window";
    EXPECT_TRUE(secondClosedInLoop);
    EXPECT_TRUE(c.documents().empty());
    EXPECT_EQ(asked, 1);  // the changed document was asked about, the other not
    CLogWindow::sharedLogWindowCtroller()->window()->hide();
}

TEST_F(Shell, NewSaveAndQuitShortcutsWorkFromTheLogWindow) {
    MyDocument* d = asCases(c.newDocument());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d->window()));
    d->onAddCase();
    ASSERT_TRUE(d->isDocumentEdited());
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    log->showWindow();
    QApplication::setActiveWindow(log->window());
    QWidget* keys = log->window()->focusWidget() ? log->window()->focusWidget() : log->window();
    // Ctrl+S saves the document the user worked in last.
    nextPath = "docs/saved-from-log";
    QTest::keyClick(keys, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(chosen, 1);
    EXPECT_FALSE(d->isDocumentEdited());
    EXPECT_TRUE(QFile::exists("docs/saved-from-log.chamber"));
    // Ctrl+N opens a new document.
    QTest::keyClick(keys, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(c.documents().size(), 2u);
    // Ctrl+Q asks about the unsaved document, closes them all and ends the event loop.
    d->onAddCase();
    answer = DocumentController::SaveChoice::DontSave;
    QTimer::singleShot(0, [&] { QTest::keyClick(keys, Qt::Key_Q, Qt::ControlModifier); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(5000);
    EXPECT_EQ(QApplication::exec(), 0) << "Ctrl+Q in the log window did not quit";
    EXPECT_TRUE(c.documents().empty());
    EXPECT_EQ(asked, 1);
    log->window()->hide();
}

// Quit asks about every changed document before any window closes: a
// Cancel at any of them leaves every document open as it was, the unchanged
// ones too; documents saved before the Cancel stay saved.
TEST_F(Shell, ACancelledQuitClosesNoWindow) {
    MyDocument* changed = asCases(c.newDocument());
    MyDocument* saved = asCases(c.newDocument());
    MyDocument* unchanged = asCases(c.newDocument());  // the first one a Quit comes to
    ASSERT_TRUE(QTest::qWaitForWindowExposed(unchanged->window()));
    changed->onAddCase();
    saved->onAddCase();
    ASSERT_FALSE(unchanged->isDocumentEdited());
    std::vector<Document*> askedAbout;
    nextPath = "docs/saved-before-cancel";
    c.askToSave = [&](Document* d) {
        askedAbout.push_back(d);
        return d == saved ? DocumentController::SaveChoice::Save : DocumentController::SaveChoice::Cancel;
    };
    for (QAction* a : unchanged->window()->menuBar()->actions().first()->menu()->actions())
        if (a->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Q)) a->trigger();
    QApplication::processEvents();
    EXPECT_EQ(askedAbout, (std::vector<Document*>{saved, changed}));
    ASSERT_EQ(c.documents().size(), 3u);
    for (MyDocument* d : {changed, saved, unchanged}) EXPECT_TRUE(d->window()->isVisible());
    EXPECT_TRUE(changed->isDocumentEdited());
    EXPECT_FALSE(saved->isDocumentEdited());
    EXPECT_TRUE(QFile::exists("docs/saved-before-cancel.chamber"));
    // Answered "Don't Save": every window closes.
    c.askToSave = [&](Document* d) {
        askedAbout.push_back(d);
        return DocumentController::SaveChoice::DontSave;
    };
    askedAbout.clear();
    EXPECT_TRUE(c.closeAllDocuments());
    EXPECT_EQ(askedAbout, std::vector<Document*>{changed});
    EXPECT_TRUE(c.documents().empty());
}

TEST_F(Shell, AFailureThrownFromAnEventIsToldAndTheDocumentsStayOpenAndSave) {
    QStringList told;
    auto& reporter = ChamberApplication::failureReporter();
    const auto installed = reporter;
    reporter = [&told](const QString& message) { told << message; };
    MyDocument* d = asCases(c.newDocument());
    d->onAddCase();
    // Objects whose event handling runs out of memory, or fails otherwise.
    struct Failing : QObject {
        bool outOfMemory = true;
        bool event(QEvent* e) override {
            if (e->type() != QEvent::User) return QObject::event(e);
            if (outOfMemory) throw std::bad_alloc();
            throw std::runtime_error("the solver's table is inconsistent");
        }
    } failing;
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    failing.outOfMemory = false;
    QEvent e(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &e));
    reporter = installed;
    ASSERT_EQ(told.size(), 2);
    EXPECT_EQ(told[0], "A command needed more memory than the computer could give and was stopped; the memory it "
                       "had taken is free again. Every document stays open: save your work now.");
    EXPECT_EQ(told[1], "A command failed and was stopped: the solver's table is inconsistent. Every document stays "
                       "open: save your work now.");
    // Memory running out gave the reserve back, for the message and the save.
    EXPECT_FALSE(ChamberApplication::memoryReserveHeld());
    ASSERT_EQ(c.documents().size(), 1u);
    ASSERT_TRUE(c.saveDocumentAs(d, "docs/after-failure.chamber"));
    CaseList onDisk;
    ASSERT_TRUE(onDisk.readFromData(fileBytes("docs/after-failure.chamber")).ok);
    EXPECT_EQ(onDisk.size(), 2u);
}

TEST_F(Shell, SaveReopenRevertAndClosePrompt) {
    MyDocument* d = asCases(c.newDocument());
    d->onAddCase();
    d->onDuplicateCase();
    EXPECT_EQ(d->changeCount(), 2);
    nextPath = "docs/two";  // the extension is added
    ASSERT_TRUE(c.saveDocument(d));
    EXPECT_EQ(chosen, 1);
    EXPECT_TRUE(QFile::exists("docs/two.chamber"));
    EXPECT_FALSE(d->isDocumentEdited());
    EXPECT_EQ(d->displayName(), "two.chamber");
    // Opening the same file shows the open document.
    EXPECT_EQ(c.openDocument("docs/two.chamber"), d);

    // Edit, then revert: the saved cases come back.
    d->onDeleteCase();
    EXPECT_EQ(d->list().size(), 2u);
    ASSERT_TRUE(c.revertDocumentToSaved(d));
    EXPECT_EQ(d->list().size(), 3u);
    EXPECT_FALSE(d->isDocumentEdited());

    // Closing with changes: Cancel keeps it, Don't Save closes it without writing.
    d->onAddCase();
    answer = DocumentController::SaveChoice::Cancel;
    EXPECT_FALSE(c.closeDocument(d));
    EXPECT_EQ(c.documents().size(), 1u);
    answer = DocumentController::SaveChoice::DontSave;
    EXPECT_TRUE(c.closeDocument(d));
    EXPECT_EQ(asked, 2);

    MyDocument* again = asCases(c.openDocument("docs/two.chamber"));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->list().size(), 3u);
    EXPECT_EQ(again->list().at(2).find("name")->stringValue(), "New 2 - duplicated");
    EXPECT_FALSE(again->isDocumentEdited());
    // Save from the close prompt.
    again->onAddCase();
    answer = DocumentController::SaveChoice::Save;
    EXPECT_TRUE(c.closeDocument(again));
    CaseList onDisk;
    ASSERT_TRUE(onDisk.readFromData(fileBytes("docs/two.chamber")).ok);
    EXPECT_EQ(onDisk.size(), 4u);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(Shell, BadFilesAreRefusedAndOpenDocumentsUntouched) {
    MyDocument* d = asCases(c.newDocument());
    d->onAddCase();
    const platform::PropertyList before = d->list().cases();
    QFile bad("docs/bad.chamber");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("bplist00 truncated");
    bad.close();
    QFile text("docs/hello.chamber");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("hello");
    text.close();
    EXPECT_EQ(c.openDocument("docs/bad.chamber"), nullptr);
    EXPECT_EQ(c.openDocument("docs/missing.chamber"), nullptr);
    EXPECT_EQ(c.openDocument("docs/hello.chamber"), nullptr);
    // One sentence each: the file by its whole path, then once what is wrong.
    ASSERT_EQ(errors.size(), 3);
    const QString docs = QDir::toNativeSeparators(QDir("docs").absolutePath());
    EXPECT_TRUE(errors[0].startsWith("Open \"" + docs + "/bad.chamber\" cannot be opened: the file is truncated"))
        << errors[0].toStdString();
    EXPECT_EQ(errors[1], "Open \"" + docs + "/missing.chamber\" cannot be opened: no such file or directory.");
    EXPECT_EQ(errors[2], "Open \"" + docs + "/hello.chamber\" cannot be opened: it is not a chamber document (it holds other data, such as a text or an image).");
    EXPECT_EQ(c.documents().size(), 1u);
    EXPECT_EQ(d->list().cases(), before);
    EXPECT_TRUE(d->isDocumentEdited());
}

TEST_F(Shell, TextThatIsNotUtf8IsRepairedOnOpeningSaidOnceAndTheDocumentSaves) {
    // Strings of other writers may be UTF-8 string objects of the binary
    // format whose bytes are not UTF-8: the file stands in for them with
    // ASCII placeholders of the same length.
    CaseList list;
    list.addCase(-1);
    list.addCase(0);
    list.setValue(0, "name", platform::PropertyList::string("Etna"));
    list.setValue(0, "comment", platform::PropertyList::string("LacX"));
    list.setValue(1, "name", platform::PropertyList::string("ZZZZ"));
    list.setValue(1, "P0", platform::PropertyList::string("QQQQQQ"));
    std::string bytes = list.dataOfType();
    const std::pair<std::string, std::string> bad[] = {
        {"LacX", "Lac\xE9"},                        // Latin-1
        {"ZZZZ", "A\xF0\x9F\x8C"},                   // a truncated 4-byte sequence
        {"QQQQQQ", "\xC0\x80" "1\xED\xA0\x80"},  // an overlong form, an encoded surrogate
    };
    for (const auto& [placeholder, raw] : bad) {
        const size_t at = bytes.find(static_cast<char>(0x50 | placeholder.size()) + placeholder);
        ASSERT_NE(at, std::string::npos) << placeholder;
        bytes[at] = static_cast<char>(0x70 | raw.size());
        bytes.replace(at + 1, raw.size(), raw);
    }
    {
        QFile f("docs/foreign.chamber");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    MyDocument* d = asCases(c.openDocument("docs/foreign.chamber"));
    ASSERT_NE(d, nullptr) << errors.join("; ").toStdString();
    // One U+FFFD for each maximal subpart of a sequence.
    const std::string R = "\xEF\xBF\xBD";
    EXPECT_EQ(d->list().at(0).find("comment")->stringValue(), "Lac" + R);
    EXPECT_EQ(d->list().at(1).find("name")->stringValue(), "A" + R);
    EXPECT_EQ(d->list().at(1).find("P0")->stringValue(), R + R + "1" + R + R + R);
    EXPECT_EQ(d->commentField()->text(), QString::fromUtf8("Lac\uFFFD"));
    // Said once, naming the file, each case and each field.
    ASSERT_EQ(warnings.size(), 1) << warnings.join("; ").toStdString();
    const QString path = QDir::toNativeSeparators(QFileInfo("docs/foreign.chamber").absoluteFilePath());
    EXPECT_EQ(warnings[0], QString::fromUtf8("Open In \"%1\", text that is not UTF-8 was repaired in the comment of "
                                             "case 1 (\"Etna\"), the value under \"P0\" of case 2 (\"A\uFFFD\") and "
                                             "the name of case 2 (\"A\uFFFD\"): each invalid sequence now reads as "
                                             "U+FFFD (\uFFFD).")
                               .arg(path));
    // What opened saves, and reads back as it was repaired, with nothing more to tell.
    EXPECT_TRUE(c.saveDocument(d)) << errors.join("; ").toStdString();
    EXPECT_TRUE(errors.isEmpty());
    CaseList onDisk;
    std::string repairs;
    ASSERT_TRUE(onDisk.readFromData(fileBytes("docs/foreign.chamber"), &repairs).ok);
    EXPECT_EQ(onDisk.cases(), d->list().cases());
    EXPECT_TRUE(repairs.empty());
    ASSERT_TRUE(c.revertDocumentToSaved(d));
    EXPECT_EQ(warnings.size(), 1);
}

TEST_F(Shell, AFailedSaveKeepsThePreviousFileAndTheChanges) {
    MyDocument* d = asCases(c.newDocument());
    ASSERT_TRUE(c.saveDocumentAs(d, "docs/keep.chamber"));
    const std::string saved = fileBytes("docs/keep.chamber");
    d->onAddCase();
    // The folder is made read-only for the temporary file: the save fails.
    QFile::setPermissions("docs", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool writable = QFile("docs/probe").open(QIODevice::WriteOnly);  // root ignores permissions
    if (!writable) {
        EXPECT_FALSE(c.saveDocument(d));
        EXPECT_EQ(errors.size(), 1);
        EXPECT_TRUE(d->isDocumentEdited());
        EXPECT_EQ(fileBytes("docs/keep.chamber"), saved);
    }
    QFile::setPermissions("docs", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::remove("docs/probe");
    // A save to a path that is a folder fails and leaves the document changed.
    QDir().mkpath("docs/folder.chamber/inner");
    errors.clear();
    EXPECT_FALSE(c.saveDocumentAs(d, "docs/folder.chamber"));
    EXPECT_EQ(errors.size(), 1);
    EXPECT_TRUE(d->isDocumentEdited());
    EXPECT_TRUE(QDir("docs/folder.chamber/inner").exists());
    EXPECT_TRUE(errors[0].endsWith("folder.chamber\" cannot be saved: it is a folder. Your changes are still in the "
                                   "window: save them elsewhere with File > Save As."))
        << errors[0].toStdString();
    EXPECT_EQ(QDir("docs").entryList(QStringList{"*saving*"}, QDir::AllEntries | QDir::Hidden), QStringList{});
}

TEST_F(Shell, ADocumentOpenedThroughALinkIsSavedIntoItsFileAndTheLinkStays) {
    QDir().mkpath("docs/real");
    MyDocument* d = asCases(c.newDocument());
    ASSERT_TRUE(c.saveDocumentAs(d, "docs/real/cases.chamber"));
    ASSERT_TRUE(c.closeDocument(d));
    ASSERT_TRUE(QFile::link("real/cases.chamber", "docs/link.chamber"));
    d = asCases(c.openDocument("docs/link.chamber"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(c.openDocument("docs/real/cases.chamber"), d);  // the same file: the open document
    // Two saves in a row through the link.
    for (size_t cases = 2; cases <= 3; ++cases) {
        d->onAddCase();
        ASSERT_TRUE(c.saveDocument(d)) << errors.join("\n").toStdString();
        EXPECT_TRUE(QFileInfo("docs/link.chamber").isSymLink());
        EXPECT_EQ(QFileInfo("docs/link.chamber").symLinkTarget(), QFileInfo("docs/real/cases.chamber").absoluteFilePath());
        CaseList onDisk;
        ASSERT_TRUE(onDisk.readFromData(fileBytes("docs/real/cases.chamber")).ok);
        EXPECT_EQ(onDisk.size(), cases);
        EXPECT_EQ(d->displayName(), "link.chamber");
    }
    EXPECT_EQ(QDir("docs/real").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"cases.chamber"});
    // A read-only file is not replaced: the save is refused, naming the file, and the changes stay.
    const std::string saved = fileBytes("docs/real/cases.chamber");
    QFile::setPermissions("docs/real/cases.chamber", QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    d->onAddCase();
    EXPECT_FALSE(c.saveDocument(d));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], "Save \"" + QDir::toNativeSeparators(QFileInfo("docs/link.chamber").absoluteFilePath()) +
                             "\" cannot be saved: the file is read-only. Your changes are still in the window: save "
                             "them elsewhere with File > Save As.");
    EXPECT_TRUE(d->isDocumentEdited());
    EXPECT_EQ(fileBytes("docs/real/cases.chamber"), saved);
    EXPECT_TRUE(QFileInfo("docs/link.chamber").isSymLink());
    QFile::setPermissions("docs/real/cases.chamber", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(Shell, ChangeCountFollowsUndoAndTableKeys) {
    MyDocument* d = asCases(c.newDocument());
    d->onAddCase();
    d->onAddCase();
    ASSERT_TRUE(c.saveDocumentAs(d, "docs/keys.chamber"));
    // Undoable edits count as changes; undoing takes them back.
    d->undoManager()->push(new QUndoCommand(QStringLiteral("Edit")));
    EXPECT_EQ(d->changeCount(), 1);
    d->undoManager()->undo();
    EXPECT_EQ(d->changeCount(), 0);
    d->undoManager()->redo();
    EXPECT_EQ(d->changeCount(), 1);
    c.saveDocument(d);

    // The case table forwards Shift+arrows and delete to the document.
    MyTableView* table = d->listView();
    d->window()->show();
    table->selectRowOnly(0);
    CaseList names;
    auto rename = [&](int row, const char* name) {
        QAbstractItemModel* m = table->model();
        m->setData(m->index(row, 0), QString(name));
    };
    rename(0, "A");
    rename(1, "B");
    rename(2, "C");
    EXPECT_EQ(d->changeCount(), 3);  // editing a name marks the document changed
    QTest::keyClick(table, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(d->list().at(1).find("name")->stringValue(), "A");
    EXPECT_EQ(d->selectedRow(), 1);
    QTest::keyClick(table, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(table, Qt::Key_Up, Qt::ShiftModifier);  // the first row cannot move up: no change
    EXPECT_EQ(d->list().at(0).find("name")->stringValue(), "A");
    EXPECT_EQ(d->changeCount(), 5);
    QTest::keyClick(table, Qt::Key_Delete);
    EXPECT_EQ(d->list().size(), 2u);
    EXPECT_EQ(d->list().at(0).find("name")->stringValue(), "B");
    answer = DocumentController::SaveChoice::DontSave;
    EXPECT_TRUE(c.closeAllDocuments());
}

TEST_F(Shell, ASaveAsksBeforeReplacingAFileAnotherProgramChanged) {
    int askedChanged = 0;
    DocumentController::ChangedFileChoice choice = DocumentController::ChangedFileChoice::Cancel;
    c.askChangedOnDisk = [&](Document*) { ++askedChanged; return choice; };
    MyDocument* d = asCases(c.newDocument());
    ASSERT_TRUE(c.saveDocumentAs(d, "docs/shared.chamber"));
    // Saved again with nobody else writing: no question.
    d->onAddCase();
    ASSERT_TRUE(c.saveDocument(d));
    EXPECT_EQ(askedChanged, 0);
    // Another program writes its own cases into the file.
    auto otherWriter = [](const QString& path, int cases, int secondsLater) {
        CaseList list;
        for (int i = 0; i < cases; ++i) list.addCase(-1);
        const std::string bytes = list.dataOfType();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        // A time of its own even where the file system keeps whole seconds.
        f.setFileTime(QDateTime::currentDateTime().addSecs(secondsLater), QFileDevice::FileModificationTime);
    };
    otherWriter("docs/shared.chamber", 5, 5);
    const std::string theirs = fileBytes("docs/shared.chamber");
    d->onAddCase();
    // Cancelled: the other program's cases stay, the document stays changed.
    EXPECT_FALSE(c.saveDocument(d));
    EXPECT_EQ(askedChanged, 1);
    EXPECT_EQ(fileBytes("docs/shared.chamber"), theirs);
    EXPECT_TRUE(d->isDocumentEdited());
    EXPECT_TRUE(d->statusLine()->text().contains("changed by another program")) << d->statusLine()->text().toStdString();
    // Saved elsewhere: both kept.
    choice = DocumentController::ChangedFileChoice::SaveElsewhere;
    nextPath = "docs/mine.chamber";
    EXPECT_TRUE(c.saveDocument(d));
    EXPECT_EQ(askedChanged, 2);
    EXPECT_EQ(fileBytes("docs/shared.chamber"), theirs);
    CaseList mine;
    ASSERT_TRUE(mine.readFromData(fileBytes("docs/mine.chamber")).ok);
    EXPECT_EQ(mine.size(), 3u);
    EXPECT_TRUE(d->fileName().endsWith("mine.chamber"));
    EXPECT_FALSE(d->isDocumentEdited());
    // Changed again by the other program, at the same size: overwritten when the user says so.
    otherWriter("docs/mine.chamber", 3, 10);
    d->onAddCase();
    choice = DocumentController::ChangedFileChoice::Overwrite;
    EXPECT_TRUE(c.saveDocument(d));
    EXPECT_EQ(askedChanged, 3);
    ASSERT_TRUE(mine.readFromData(fileBytes("docs/mine.chamber")).ok);
    EXPECT_EQ(mine.size(), 4u);
    // A document opened from a file is watched from its opening on.
    MyDocument* opened = asCases(c.openDocument("docs/shared.chamber"));
    ASSERT_NE(opened, nullptr);
    otherWriter("docs/shared.chamber", 2, 20);
    opened->onAddCase();
    choice = DocumentController::ChangedFileChoice::Cancel;
    EXPECT_FALSE(c.saveDocument(opened));
    EXPECT_EQ(askedChanged, 4);
}

TEST_F(Shell, AnXmlDocumentWithTextThatIsNotUtf8OpensRepairedWithItsNoticeAsABinaryOneDoes) {
    std::string xml;
    {
        QFile f(QString::fromStdString(std::string(VARNOK_TEST_SOURCE_DIR) + "/app/document/tests/fixtures/cases.xml"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        xml = f.readAll().toStdString();
    }
    const size_t at = xml.find("<string>Etna</string>");
    ASSERT_NE(at, std::string::npos);
    xml.replace(at, 21, "<string>Etn\xE1</string>");  // a Latin-1 a-acute
    {
        QFile f("docs/foreign.xml.chamber");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(xml.data(), static_cast<qint64>(xml.size()));
    }
    MyDocument* d = asCases(c.openDocument("docs/foreign.xml.chamber"));
    ASSERT_NE(d, nullptr) << errors.join("; ").toStdString();
    EXPECT_TRUE(errors.isEmpty());
    bool found = false;
    for (size_t i = 0; i < d->list().size(); ++i)
        found = found || d->list().at(i).find("name")->stringValue() == "Etn\xEF\xBF\xBD";
    EXPECT_TRUE(found);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QString::fromUtf8("text that is not UTF-8 was repaired in the name of case")))
        << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains(QString::fromUtf8("(\"Etn\uFFFD\")"))) << warnings[0].toStdString();
    // It saves, as XML still, and reads back as repaired.
    EXPECT_TRUE(c.saveDocument(d)) << errors.join("; ").toStdString();
    const std::string saved = fileBytes("docs/foreign.xml.chamber");
    EXPECT_EQ(saved.rfind("<?xml", 0), 0u);
    CaseList back;
    std::string repairs;
    ASSERT_TRUE(back.readFromData(saved, &repairs).ok);
    EXPECT_TRUE(repairs.empty());

    // A binary document whose string stored as ASCII holds a byte beyond it:
    // read as Latin-1, and said.
    CaseList list;
    list.addCase(-1);
    list.setValue(0, "comment", platform::PropertyList::string("LacX"));
    std::string bytes = list.dataOfType();
    const size_t placeholder = bytes.find("\x54LacX");
    ASSERT_NE(placeholder, std::string::npos);
    bytes[placeholder + 4] = static_cast<char>(0xE9);
    {
        QFile f("docs/latin1.chamber");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    MyDocument* b = asCases(c.openDocument("docs/latin1.chamber"));
    ASSERT_NE(b, nullptr) << errors.join("; ").toStdString();
    EXPECT_EQ(b->list().at(0).find("comment")->stringValue(), "Lac\xC3\xA9");
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_TRUE(warnings[1].contains("read as Latin-1 in the comment of case 1")) << warnings[1].toStdString();
}

}  // namespace
