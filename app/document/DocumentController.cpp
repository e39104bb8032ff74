#include "app/document/DocumentController.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QUndoStack>
#include <algorithm>

#include "app/document/CLogWindow.h"
#include "app/document/Document.h"
#include "app/document/MyDocument.h"
#include "app/plot/FileChooser.h"
#include "app/plot/qt/PlotPanels.h"
#include "platform/PropertyList.h"

namespace {
// The property that marks the menu commands whose shortcuts act from every window.
constexpr const char* kFromEveryWindow = "fromEveryWindow";

// A question about a save with two answers and Cancel (Escape): the first
// answer is the default.  0 or 1 for the answer given, 2 for Cancel.
int askAboutSave(QMessageBox::Icon icon, QWidget* parent, const QString& text, const QString& detail,
                 const QString& first, const QString& second) {
    QMessageBox box(icon, QStringLiteral("Save"), text, QMessageBox::NoButton, parent);
    box.setInformativeText(detail);
    QPushButton* a = box.addButton(first, QMessageBox::AcceptRole);
    QPushButton* b = box.addButton(second, QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(a);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == a ? 0 : box.clickedButton() == b ? 1 : 2;
}
}  // namespace

DocumentController::DocumentController(QObject* parent) : QObject(parent) {
    // The application's shortcuts reach windows without the document menus.
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now) return;
        for (const auto& d : mDocuments)
            if (d->window() && d->window() == now->window()) mLastActive = d.get();
    });
    makeDocument = [] { return std::unique_ptr<Document>(new MyDocument); };
    chooseFile = [](Document* doc, bool save) {
        const QString filter = QStringLiteral("Chamber documents (*.%1);;All files (*)").arg(documentExtension());
        QWidget* parent = doc ? doc->window() : nullptr;
        if (save) {
            QString suggested = doc && !doc->fileName().isEmpty() ? doc->fileName()
                                : doc ? documentPath(doc->displayName())
                                      : QString();
            // The controller asks about an existing file once the extension
            // is added: the dialog's own question would look for the name
            // without it.
            return QFileDialog::getSaveFileName(parent, QStringLiteral("Save"), suggested, filter, nullptr,
                                                QFileDialog::DontConfirmOverwrite);
        }
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), QString(), filter);
    };
    askToSave = [](Document* doc) {
        auto answer = QMessageBox::warning(
            doc->window(), QStringLiteral("Save changes"),
            QStringLiteral("Do you want to save the changes you made in \"%1\"?").arg(doc->displayName()),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        return answer == QMessageBox::Save ? SaveChoice::Save : answer == QMessageBox::Discard ? SaveChoice::DontSave : SaveChoice::Cancel;
    };
    confirmCancelBusy = [](Document* doc) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Close"),
                        QStringLiteral("\"%1\" cannot be closed while %2.").arg(doc->displayName(), doc->busyWith()),
                        QMessageBox::NoButton, doc->window());
        box.setInformativeText(QStringLiteral("Cancel it and close the document once it has stopped?"));
        QPushButton* cancelRun = box.addButton(QStringLiteral("Cancel It and Close"), QMessageBox::DestructiveRole);
        QPushButton* keep = box.addButton(QStringLiteral("Keep Computing"), QMessageBox::RejectRole);
        box.setDefaultButton(keep);
        box.setEscapeButton(keep);
        box.exec();
        return box.clickedButton() == cancelRun;
    };
    askChangedOnDisk = [](Document* doc) {
        const int answer = askAboutSave(
            QMessageBox::Warning, doc->window(),
            QStringLiteral("\"%1\" has been changed by another program since you opened or last saved it.")
                .arg(doc->displayName()),
            QStringLiteral("Saving here replaces the other program's changes. Overwrite the file, or save this "
                           "document elsewhere and keep both?"),
            QStringLiteral("Save Elsewhere..."), QStringLiteral("Overwrite"));
        return answer == 1   ? ChangedFileChoice::Overwrite
               : answer == 0 ? ChangedFileChoice::SaveElsewhere
                             : ChangedFileChoice::Cancel;
    };
    confirmReplace = [](Document* doc, const QString& path) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Save"),
                        QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(QFileInfo(path).fileName()),
                        QMessageBox::NoButton, doc ? doc->window() : nullptr);
        box.setInformativeText(QStringLiteral("A file with the same name exists in \"%1\". Replacing it overwrites "
                                              "its contents.")
                                   .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
        QPushButton* replace = box.addButton(QStringLiteral("Replace"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(cancel);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == replace;
    };
    askExtension = [](Document* doc, const QString& chosen, const QString& withOurs) {
        const int answer = askAboutSave(
            QMessageBox::Question, doc ? doc->window() : nullptr,
            QStringLiteral("\"%1\" ends in \".%2\", not in \".%3\".")
                .arg(QFileInfo(chosen).fileName(), otherExtension(chosen), documentExtension()),
            QStringLiteral("File > Open lists chamber documents by their \".%1\" extension. Save as \"%2\", or keep "
                           "the name as typed?")
                .arg(documentExtension(), QFileInfo(withOurs).fileName()),
            QStringLiteral("Use .%1").arg(documentExtension()), QStringLiteral("Keep \".%1\"").arg(otherExtension(chosen)));
        return answer == 0   ? ExtensionChoice::AddExtension
               : answer == 1 ? ExtensionChoice::KeepName
                             : ExtensionChoice::Cancel;
    };
    confirmRevert = [](Document* doc) {
        return QMessageBox::question(doc->window(), QStringLiteral("Revert"),
                                     QStringLiteral("Revert \"%1\" to its saved version? Your changes will be lost.")
                                         .arg(doc->displayName())) == QMessageBox::Yes;
    };
    showError = [](const QString& title, const QString& message) {
        QMessageBox::critical(QApplication::activeWindow(), title, message);
    };
    showWarning = [](const QString& title, const QString& message) {
        QMessageBox::warning(QApplication::activeWindow(), title, message);
    };
}

DocumentController::~DocumentController() = default;

namespace {
// The file as a message names it: its whole path.
QString shownPath(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

// A reason put after a colon: "No such file or directory" becomes "no such
// file or directory" (a word in capitals, such as "UTF-8", stays).
QString reasonText(QString reason) {
    if (reason.size() > 1 && reason[0].isUpper() && reason[1].isLower()) reason[0] = reason[0].toLower();
    while (reason.endsWith(QLatin1Char('.'))) reason.chop(1);
    return reason;
}
QString reasonText(const std::string& reason) { return reasonText(QString::fromStdString(reason)); }

// What every refusal to save adds: the document can still be kept elsewhere.
const QString kSaveElsewhere =
    QStringLiteral(" Your changes are still in the window: save them elsewhere with File > Save As.");

// One sentence: which file, what could not be done, and why.
QString refusal(const QString& path, const char* what, const QString& reason) {
    return QStringLiteral("\"%1\" %2: %3.").arg(shownPath(path), QLatin1String(what), reason);
}
}  // namespace

void DocumentController::tellReadingNotice(Document* doc, const QString& title, const QString& path) {
    const QString notice = doc->takeReadingNotice();
    if (!notice.isEmpty()) showWarning(title, QStringLiteral("In \"%1\", %2.").arg(shownPath(path), notice));
}

bool DocumentController::owns(Document* doc) const {
    return doc && std::any_of(mDocuments.begin(), mDocuments.end(), [doc](const auto& d) { return d.get() == doc; });
}

Document* DocumentController::adopt(std::unique_ptr<Document> doc) {
    Document* d = doc.get();
    mDocuments.push_back(std::move(doc));
    d->makeWindow(this);
    showInsideScreen(d->window(), QApplication::activeWindow());
    emit documentsChanged();
    return d;
}

Document* DocumentController::newDocument() {
    std::unique_ptr<Document> doc = makeDocument();
    if (!doc) return nullptr;
    ++mUntitledCount;
    doc->setUntitledName(mUntitledCount == 1 ? QStringLiteral("Untitled") : QStringLiteral("Untitled %1").arg(mUntitledCount));
    return adopt(std::move(doc));
}

Document* DocumentController::openDocument(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (const auto& d : mDocuments) {
        if (!d->fileName().isEmpty() && QFileInfo(d->fileName()).canonicalFilePath() == canonical && !canonical.isEmpty()) {
            // Its window comes forward, from the task bar too.
            showInsideScreen(d->window(), QApplication::activeWindow());
            d->window()->raise();
            d->window()->activateWindow();
            return d.get();
        }
    }
    const QString title = QStringLiteral("Open");
    const char* what = "cannot be opened";
    std::string bytes;
    // Taken before the bytes are read: a change made meanwhile is then asked
    // about at the next save rather than missed.
    const Document::FileStamp stamp = stampOf(path);
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            showError(title, refusal(path, what, reasonText(f.errorString())));
            return nullptr;
        }
        if (f.size() > (qint64(256) << 20)) {
            showError(title, refusal(path, what, QStringLiteral("the file is too large to be a chamber document")));
            return nullptr;
        }
        QByteArray data = f.readAll();
        bytes.assign(data.constData(), static_cast<size_t>(data.size()));
    }
    std::unique_ptr<Document> doc = makeDocument();
    if (!doc) return nullptr;
    std::string error;
    if (!doc->readFromData(bytes, error)) {
        showError(title, refusal(path, what, reasonText(error)));
        return nullptr;
    }
    doc->setFileName(QFileInfo(path).absoluteFilePath());
    doc->setFileStamp(stamp);
    Document* opened = adopt(std::move(doc));
    tellReadingNotice(opened, title, path);
    return opened;
}

Document* DocumentController::openDocumentWithDialog() {
    QString path = chooseFile(nullptr, false);
    return path.isEmpty() ? nullptr : openDocument(path);
}

Document::FileStamp DocumentController::stampOf(const QString& path) {
    const QFileInfo info(path);  // a link stands for the file it points to
    if (!info.exists()) return {};
    return {info.lastModified(), info.size()};
}

bool DocumentController::writeDocument(Document* doc, const QString& path) {
    doc->commitEditing();
    // The document's own file, changed by another program since it was read
    // or written here: its cases are not replaced without asking.
    const bool ownFile = !doc->fileName().isEmpty() &&
                         QFileInfo(path).absoluteFilePath() == QFileInfo(doc->fileName()).absoluteFilePath();
    if (ownFile && doc->fileStamp().known()) {
        const Document::FileStamp now = stampOf(path);
        if (now.known() && !(now == doc->fileStamp())) {
            switch (askChangedOnDisk(doc)) {
            case ChangedFileChoice::Overwrite: break;
            case ChangedFileChoice::SaveElsewhere: {
                const QString other = chooseSaveTarget(doc, QString());
                if (other.isEmpty()) return false;
                if (QFileInfo(other).absoluteFilePath() == QFileInfo(path).absoluteFilePath()) {
                    // The same file chosen again: that is to overwrite it.
                    doc->setFileStamp(now);
                }
                return writeDocument(doc, other);
            }
            case ChangedFileChoice::Cancel:
                doc->showStatus(QStringLiteral("\"%1\" was not saved: its file has been changed by another program.")
                                    .arg(doc->displayName()));
                return false;
            }
        }
    }
    std::string error;
    const std::string bytes = doc->dataOfType(error);
    if (bytes.empty() || !platform::writeFileAtomically(QFile::encodeName(path).toStdString(), bytes, error)) {
        showError(QStringLiteral("Save"), refusal(path, "cannot be saved", reasonText(error)) + kSaveElsewhere);
        return false;
    }
    doc->setFileName(QFileInfo(path).absoluteFilePath());
    doc->setFileStamp(stampOf(path));
    doc->updateChangeCount(Document::ChangeCleared);
    return true;
}

bool DocumentController::saveDocument(Document* doc) {
    if (!owns(doc)) return false;
    if (doc->fileName().isEmpty()) return saveDocumentAs(doc);
    return writeDocument(doc, doc->fileName());
}

QString DocumentController::documentPath(const QString& chosen) {
    return QString::fromStdString(withFileExtension(chosen.toStdString(), documentExtension().toStdString()));
}

QString DocumentController::otherExtension(const QString& chosen) {
    const QString name = QFileInfo(chosen).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || chosen.endsWith(QLatin1Char('.') + documentExtension(), Qt::CaseInsensitive)) return {};
    const QString suffix = name.mid(dot + 1);
    // A file type's extension is a short word of letters and digits with at
    // least one letter; "5 kbar" or "1" is the rest of a name.
    if (suffix.isEmpty() || suffix.size() > 8) return {};
    bool letter = false;
    for (QChar ch : suffix) {
        if (!ch.isLetterOrNumber()) return {};
        letter = letter || ch.isLetter();
    }
    return letter ? suffix : QString();
}

Document* DocumentController::documentWithFile(const QString& path, const Document* except) const {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (const auto& d : mDocuments) {
        if (d.get() == except || d->fileName().isEmpty()) continue;
        const QFileInfo theirs(d->fileName());
        if (theirs.absoluteFilePath() == absolute || (!canonical.isEmpty() && theirs.canonicalFilePath() == canonical))
            return d.get();
    }
    return nullptr;
}

QString DocumentController::chooseSaveTarget(Document* doc, const QString& given) {
    QString path;
    if (!given.isEmpty()) {
        // The caller's own name: another extension is its decision.
        path = otherExtension(given).isEmpty() ? documentPath(given) : given;
    } else {
        const QString chosen = chooseFile(doc, true);
        path = documentPath(chosen);
        // Saved under another extension only when the user says so: File >
        // Open would not list it among the documents.
        if (!otherExtension(chosen).isEmpty()) {
            switch (askExtension ? askExtension(doc, chosen, path) : ExtensionChoice::AddExtension) {
            case ExtensionChoice::AddExtension: break;
            case ExtensionChoice::KeepName: path = chosen; break;
            case ExtensionChoice::Cancel: return {};
            }
        }
    }
    if (path.isEmpty()) return {};
    if (Document* other = documentWithFile(path, doc)) {
        showError(QStringLiteral("Save"),
                  refusal(path, "cannot be saved",
                          QStringLiteral("it is open in the window \"%1\"; close that window first, or save under "
                                         "another name")
                              .arg(other->displayName())));
        return {};
    }
    // A name the user chose in the dialog: an existing file is replaced only
    // when the user says so (a path given by the caller is its own decision).
    if (given.isEmpty() && QFileInfo::exists(path) && !confirmReplace(doc, path)) return {};
    return path;
}

bool DocumentController::saveDocumentAs(Document* doc, const QString& given) {
    if (!owns(doc)) return false;
    const QString path = chooseSaveTarget(doc, given);
    return !path.isEmpty() && writeDocument(doc, path);
}

bool DocumentController::refusedWhileBusy(Document* doc, const char* what) {
    if (!doc->isBusy()) return false;
    doc->showStatus(QStringLiteral("\"%1\" cannot be %2 while %3: wait for it to end or cancel it first.")
                        .arg(doc->displayName(), QLatin1String(what), doc->busyWith()));
    return true;
}

void DocumentController::closeWhenIdle(Document* doc) {
    // Asked and answered already: it closes once stopped.
    if (std::find(mClosingWhenIdle.begin(), mClosingWhenIdle.end(), doc) != mClosingWhenIdle.end()) return;
    if (!confirmCancelBusy(doc)) {
        refusedWhileBusy(doc, "closed");
        return;
    }
    // The document may have become idle while the question was up.
    if (doc->isBusy()) {
        doc->showStatus(QStringLiteral("Cancelling: \"%1\" closes once %2 has stopped.")
                            .arg(doc->displayName(), doc->busyName()));
        mClosingWhenIdle.push_back(doc);
        connect(doc, &Document::busyEnded, this, [this, doc] {
            disconnect(doc, &Document::busyEnded, this, nullptr);
            mClosingWhenIdle.erase(std::remove(mClosingWhenIdle.begin(), mClosingWhenIdle.end(), doc), mClosingWhenIdle.end());
            // After the command's own code has returned, not from within it.
            QMetaObject::invokeMethod(
                this,
                [this, doc] {
                    if (owns(doc) && !closeDocument(doc))
                        doc->showStatus(QStringLiteral("\"%1\" stays open: closing it was cancelled.").arg(doc->displayName()));
                },
                Qt::QueuedConnection);
        });
        doc->cancelBusyWork();
        return;
    }
    QMetaObject::invokeMethod(this, [this, doc] { if (owns(doc)) closeDocument(doc); }, Qt::QueuedConnection);
}

bool DocumentController::revertDocumentToSaved(Document* doc) {
    if (!owns(doc) || doc->fileName().isEmpty() || refusedWhileBusy(doc, "reverted")) return false;
    if (doc->isDocumentEdited() && !confirmRevert(doc)) return false;
    const Document::FileStamp stamp = stampOf(doc->fileName());
    QFile f(doc->fileName());
    const QString title = QStringLiteral("Revert to Saved");
    const char* what = "cannot be read again";
    if (!f.open(QIODevice::ReadOnly)) {
        showError(title, refusal(doc->fileName(), what, reasonText(f.errorString())));
        return false;
    }
    QByteArray data = f.readAll();
    std::string error;
    if (!doc->readFromData(std::string_view(data.constData(), static_cast<size_t>(data.size())), error)) {
        showError(title, refusal(doc->fileName(), what, reasonText(error)));
        return false;
    }
    doc->setFileStamp(stamp);
    doc->undoManager()->clear();
    doc->updateChangeCount(Document::ChangeCleared);
    tellReadingNotice(doc, title, doc->fileName());
    return true;
}

bool DocumentController::closeDocument(Document* doc) {
    if (!owns(doc)) return false;
    if (doc->isBusy()) {
        closeWhenIdle(doc);
        return false;
    }
    if (!agreeToClose(doc)) return false;
    discardDocument(doc);
    return true;
}

bool DocumentController::agreeToClose(Document* doc) {
    doc->commitEditing();
    if (!doc->isDocumentEdited()) return true;
    switch (askToSave(doc)) {
    case SaveChoice::Cancel: return false;
    case SaveChoice::Save: return saveDocument(doc);  // a failed or cancelled save keeps the document open
    case SaveChoice::DontSave: break;
    }
    return true;
}

void DocumentController::discardDocument(Document* doc) {
    auto it = std::find_if(mDocuments.begin(), mDocuments.end(), [doc](const auto& d) { return d.get() == doc; });
    std::unique_ptr<Document> closing = std::move(*it);
    mDocuments.erase(it);
    if (closing->window()) closing->window()->hide();
    closing.reset();
    emit documentsChanged();
    // No document window left: the application ends (a no-op outside the event loop).
    if (mDocuments.empty()) QCoreApplication::quit();
}

bool DocumentController::closeAllDocuments() {
    // Every question is answered before any window closes, so that a Cancel
    // (at a question about unsaved changes, in a Save dialog, or keeping a
    // running command) leaves every document open as it was; documents saved
    // before the Cancel stay saved.  A busy document is asked about first.
    std::vector<Document*> closing;
    for (auto it = mDocuments.rbegin(); it != mDocuments.rend(); ++it) closing.push_back(it->get());
    for (Document* doc : closing) {
        if (doc->isBusy()) {
            closeWhenIdle(doc);
            return false;
        }
    }
    for (Document* doc : closing)
        if (!agreeToClose(doc)) return false;
    for (Document* doc : closing)
        if (owns(doc)) discardDocument(doc);
    return true;
}

void DocumentController::installMainMenu(QMainWindow* window, Document* doc) {
    QMenuBar* bar = window->menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    auto add = [window](QMenu* menu, const QString& text, QKeySequence key, auto fn) {
        QAction* a = menu->addAction(text);
        if (!key.isEmpty()) a->setShortcut(key);
        QObject::connect(a, &QAction::triggered, window, fn);
        return a;
    };
    // The application's commands, whose shortcuts also act from its windows
    // without these menus (the log, a table, a plot, a panel).
    auto fromEveryWindow = [](QAction* a) { a->setProperty(kFromEveryWindow, true); };
    fromEveryWindow(add(file, QStringLiteral("&New"), QKeySequence::New, [this] { newDocument(); }));
    fromEveryWindow(add(file, QStringLiteral("&Open..."), QKeySequence::Open, [this] { openDocumentWithDialog(); }));
    file->addSeparator();
    add(file, QStringLiteral("&Close"), QKeySequence::Close, [this, doc] {
        QMetaObject::invokeMethod(this, [this, doc] { closeDocument(doc); }, Qt::QueuedConnection);
    });
    fromEveryWindow(add(file, QStringLiteral("&Save"), QKeySequence::Save, [this, doc] { saveDocument(doc); }));
    fromEveryWindow(add(file, QStringLiteral("Save &As..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                        [this, doc] { saveDocumentAs(doc); }));
    QAction* revert = add(file, QStringLiteral("&Revert to Saved"), QKeySequence(), [this, doc] { revertDocumentToSaved(doc); });
    auto updateRevert = [revert, doc] { revert->setEnabled(!doc->fileName().isEmpty() && doc->isDocumentEdited()); };
    connect(doc, &Document::editedChanged, revert, updateRevert);
    connect(file, &QMenu::aboutToShow, revert, updateRevert);
    file->addSeparator();
    // Ctrl+Q (Cmd+Q on a Mac) whatever the platform's own binding for Quit (none on some).
    fromEveryWindow(add(file, QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { quitWhenClosed(); }));

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    QAction* undo = doc->undoManager()->createUndoAction(edit, QStringLiteral("&Undo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = doc->undoManager()->createRedoAction(edit, QStringLiteral("&Redo"));
    redo->setShortcut(QKeySequence::Redo);
    edit->addAction(undo);
    edit->addAction(redo);

    if (auto* cases = dynamic_cast<MyDocument*>(doc)) {
        QMenu* menu = bar->addMenu(QStringLiteral("&Case"));
        add(menu, QStringLiteral("&Add Case"), QKeySequence(), [cases] { cases->onAddCase(); });
        add(menu, QStringLiteral("&Duplicate Case"), QKeySequence(), [cases] { cases->onDuplicateCase(); });
        add(menu, QStringLiteral("De&lete Case"), QKeySequence(), [cases] { cases->onDeleteCase(); });
    }

    QMenu* win = bar->addMenu(QStringLiteral("&Window"));
    auto* cases = dynamic_cast<MyDocument*>(doc);
    add(win, QStringLiteral("Show &Log"), QKeySequence(),
        [cases] { MyDocument::onShowLog(cases ? cases->eruptionControls() : nullptr); });
    if (cases) add(win, QStringLiteral("&Eruption Table"), QKeySequence(), [cases] { cases->onShowEruptionTable(); });
    add(win, QStringLiteral("&Clear Log"), QKeySequence(), [] { CLogWindow::sharedLogWindowCtroller()->clearText(); });
    add(win, QStringLiteral("&Print Log..."), QKeySequence(), [] {
        CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
        log->showWindow();
        log->printDocument();
    });
}

void DocumentController::quitWhenClosed() {
    QMetaObject::invokeMethod(this, [this] {
        if (closeAllDocuments()) QApplication::quit();
    }, Qt::QueuedConnection);
}

Document* DocumentController::currentDocument() const {
    if (owns(mLastActive)) return mLastActive;
    return mDocuments.empty() ? nullptr : mDocuments.back().get();
}

bool DocumentController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    // A dialog waiting for an answer keeps the keyboard to itself.
    if (QApplication::activeModalWidget()) return false;
    QWidget* top = static_cast<QWidget*>(watched)->window();
    // A document window has these shortcuts in its own menus.
    for (const auto& d : mDocuments)
        if (d->window() == top) return false;
    // The command of the document window the user worked in last, as its menu has it.
    Document* doc = currentDocument();
    if (!doc || !doc->window()) return false;
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (QAction* a : doc->window()->findChildren<QAction*>()) {
        if (!a->property(kFromEveryWindow).toBool() || !a->isEnabled() || a->shortcut().isEmpty()) continue;
        if (a->shortcut().matches(pressed) != QKeySequence::ExactMatch) continue;
        a->trigger();
        return true;
    }
    return false;
}
