#pragma once
// The application's document controller: new, open, save, save as, revert and
// close, with a prompt before unsaved changes are lost, and the main menu of
// every document window.
//
// Dialogs go through replaceable functions so that the controller can be driven
// without a user (tests, scripts); by default they are Qt's dialogs.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "app/document/Document.h"

class QEvent;
class QMainWindow;

class DocumentController : public QObject {
    Q_OBJECT
public:
    enum class SaveChoice { Save, DontSave, Cancel };
    // What to do with a file that another program changed since the document
    // read or wrote it.
    enum class ChangedFileChoice { Overwrite, SaveElsewhere, Cancel };
    // What to do with a name chosen for saving that ends in another extension
    // ("notes.txt"): add the documents' own, keep the name as typed, or cancel.
    enum class ExtensionChoice { AddExtension, KeepName, Cancel };

    explicit DocumentController(QObject* parent = nullptr);
    ~DocumentController() override;

    // Makes the application's documents (the case document by default).
    std::function<std::unique_ptr<Document>()> makeDocument;
    // Asks for a file to open (save == false) or to save to; empty when cancelled.
    std::function<QString(Document* doc, bool save)> chooseFile;
    // Asks whether to save a document's changes before it is closed.
    std::function<SaveChoice(Document* doc)> askToSave;
    // Asks, when a document is to be closed while a long command runs in it
    // (the eruption sequence), whether to cancel that command and close the
    // document once it has stopped; false keeps both going.
    std::function<bool(Document* doc)> confirmCancelBusy;
    // Asks, before a save would replace the document's file, what to do when
    // another program has changed that file since it was opened or last saved.
    std::function<ChangedFileChoice(Document* doc)> askChangedOnDisk;
    // Asks whether to replace a file that exists already, at the path that
    // will be written (with its extension).
    std::function<bool(Document* doc, const QString& path)> confirmReplace;
    // Asks, for a name chosen in the Save dialog that ends in another
    // extension than the documents' (chosen), whether to save it as withOurs
    // (the name with ".chamber" added) or under the name as typed.
    std::function<ExtensionChoice(Document* doc, const QString& chosen, const QString& withOurs)> askExtension;
    // Asks before reverting a changed document to its file.
    std::function<bool(Document* doc)> confirmRevert;
    // Reports a failure to the user.
    std::function<void(const QString& title, const QString& message)> showError;
    // Tells the user what was mended in a file that was read (text that was not UTF-8).
    std::function<void(const QString& title, const QString& message)> showWarning;

    // The file extension of documents written here.
    static QString documentExtension() { return QStringLiteral("chamber"); }
    // The file a name chosen for saving stands for: the name with the
    // documents' extension unless it ends in it already ("Untitled" is
    // "Untitled.chamber", "Mt. Etna" is "Mt. Etna.chamber": a dot in a name is
    // no extension of a document; "run." is "run.chamber").
    static QString documentPath(const QString& chosen);
    // The extension other than the documents' that a chosen name ends in, as a
    // file type is named ("txt" of "notes.txt"; none for "run 1.5 kbar" or
    // "case v2.1", whose last dot is part of the name); empty when none.
    static QString otherExtension(const QString& chosen);

    const std::vector<std::unique_ptr<Document>>& documents() const { return mDocuments; }

    Document* newDocument();
    // Opens a file as a new document (or shows the document that has it open);
    // nullptr, with the error reported, when the file is refused.
    Document* openDocument(const QString& path);
    Document* openDocumentWithDialog();
    // Saving replaces the file whole or not at all (platform::writeFileAtomically):
    // a document opened through a symbolic link is saved into the file the
    // link points to and the link stays; a read-only file is not replaced.
    // A file that another program has changed since the document read or
    // wrote it is not replaced without asking (overwrite it, or save the
    // document elsewhere).  A refusal says in one sentence which file and why.
    bool saveDocument(Document* doc);
    bool saveDocumentAs(Document* doc, const QString& path = QString());
    bool revertDocumentToSaved(Document* doc);
    // Closes a document, first asking about unsaved changes; false when the
    // user cancels.  While a long command runs in the document the user is
    // asked whether to cancel it: if so, the document closes (with the usual
    // prompt) once the command has stopped; if not, the status line says that
    // the command must end or be cancelled first.  Closing the last document
    // ends the application, as closing the last window does on Linux and Windows.
    bool closeDocument(Document* doc);
    // Closes every document, all or none: each question about unsaved
    // changes is asked first, and a Cancel (or a busy document) closes none;
    // false then.
    bool closeAllDocuments();

    // The menus of a document window: File, Edit (undo, redo), Case and Window (log).
    void installMainMenu(QMainWindow* window, Document* doc);
    // The document the application's commands act on from a window of no
    // document (the log, an eruption table, a plot window, a panel): the one
    // whose window was active last; nullptr when no document is open.
    Document* currentDocument() const;
    // Closes every document, asking about unsaved changes, and ends the
    // application unless one is kept open (after the event being handled).
    void quitWhenClosed();

    // The application's keyboard commands (New, Open, Save, Save As, Quit)
    // from windows without the document menus, as from a document window.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void documentsChanged();

private:
    bool writeDocument(Document* doc, const QString& path);
    // Asks about a document's unsaved changes (saving it when told to);
    // false when the user keeps it open.
    bool agreeToClose(Document* doc);
    // Closes a document's window and forgets it, without a question.
    void discardDocument(Document* doc);
    // The file a Save As (or a save elsewhere) writes: `given`, or the name
    // the user chooses, with its extension decided before the question about
    // an existing file is asked.  Empty when cancelled, or refused because
    // another window has that file open (two windows would carry one name).
    QString chooseSaveTarget(Document* doc, const QString& given);
    // The open document, other than `except`, whose file is `path`.
    Document* documentWithFile(const QString& path, const Document* except) const;
    // The modification time and size of a file (unknown when it does not exist).
    static Document::FileStamp stampOf(const QString& path);
    // True, with the reason in the document's status line, while the document
    // is busy: `what` is the command refused ("closed").
    bool refusedWhileBusy(Document* doc, const char* what);
    // A close asked for while the document is busy: cancels the command and
    // closes afterwards when the user confirms.
    void closeWhenIdle(Document* doc);
    bool owns(Document* doc) const;
    // Tells, once, what reading the document's file had to mend.
    void tellReadingNotice(Document* doc, const QString& title, const QString& path);
    Document* adopt(std::unique_ptr<Document> doc);

    std::vector<std::unique_ptr<Document>> mDocuments;
    // The document whose window had the keyboard last (may have been closed since).
    Document* mLastActive = nullptr;
    // Documents to close once their long command has stopped.
    std::vector<Document*> mClosingWhenIdle;
    int mUntitledCount = 0;
};
