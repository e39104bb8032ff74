#pragma once
// A document of the application: its file, its change count, its undo stack
// and its window.  Subclasses give the file's contents (dataOfType,
// readFromData) and build the window's contents.
#include <QDateTime>
#include <QMainWindow>
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

class QUndoStack;
class DocumentController;

class Document : public QObject {
    Q_OBJECT
public:
    enum ChangeType { ChangeDone, ChangeUndone, ChangeCleared };

    Document();
    ~Document() override;

    // The file's bytes (empty, with the reason, when the contents cannot be
    // written), and reading them; reading refuses a file it cannot take with
    // the reason and leaves the document as it was.  Reasons are phrases the
    // caller puts after the file's name ("it holds no case list").
    virtual std::string dataOfType(std::string& error) const = 0;
    virtual bool readFromData(std::string_view bytes, std::string& error) = 0;
    // A long command is running (with its own event loop): the document is
    // neither closed nor read again meanwhile.
    virtual bool isBusy() const { return false; }
    // What keeps the document busy, as the end of a sentence ("the eruption
    // sequence is being computed"), for the messages that refuse a command meanwhile.
    virtual QString busyWith() const { return QStringLiteral("a calculation runs"); }
    // The long command by name ("the eruption sequence").
    virtual QString busyName() const { return QStringLiteral("the calculation"); }
    // Asks the long command to stop as soon as it can; busyEnded follows.
    virtual void cancelBusyWork() {}
    // Tells the user something in the window's status line.
    virtual void showStatus(const QString& message);
    // Applies what the user has typed but not yet confirmed (a field still
    // being edited), so that saving writes it and closing asks about it.
    virtual void commitEditing() {}
    // What the last reading of the file had to mend, as a phrase ("text that
    // is not UTF-8 was repaired in ..."); empty when nothing.  Taking it
    // clears it, so that it is told once.
    QString takeReadingNotice() { return std::exchange(mReadingNotice, QString()); }
    // Builds the window's contents, once, after the window exists.
    virtual void windowControllerDidLoad(QMainWindow* window) = 0;

    // The document's file as this document last read or wrote it: its
    // modification time and size, so that a save can tell whether another
    // program has changed the file since.
    struct FileStamp {
        QDateTime modified;
        qint64 size = -1;
        bool known() const { return size >= 0; }
        bool operator==(const FileStamp& o) const { return modified == o.modified && size == o.size; }
    };
    FileStamp fileStamp() const { return mFileStamp; }
    void setFileStamp(const FileStamp& stamp) { mFileStamp = stamp; }

    QString fileName() const { return mFileName; }
    void setFileName(const QString& path);
    QString displayName() const;
    void setUntitledName(const QString& name) { mUntitledName = name; }

    void updateChangeCount(ChangeType change);
    int changeCount() const { return mChangeCount; }
    bool isDocumentEdited() const { return mChangeCount != 0; }

    QUndoStack* undoManager() const { return mUndo; }
    QMainWindow* window() const { return mWindow; }
    void makeWindow(DocumentController* controller);
    DocumentController* controller() const { return mController; }

signals:
    void editedChanged();
    // The document's file, and with it its name, has changed (Save As).
    void fileNameChanged();
    // The long command that kept the document busy has returned.
    void busyEnded();

protected:
    // Deletes the window while the subclass that built its contents still exists.
    void destroyWindow();
    void setReadingNotice(const QString& notice) { mReadingNotice = notice; }

private:
    void updateTitle();

    QString mFileName;
    QString mUntitledName = QStringLiteral("Untitled");
    QString mReadingNotice;
    FileStamp mFileStamp;
    int mChangeCount = 0;
    int mUndoIndex = 0;
    QUndoStack* mUndo;
    QMainWindow* mWindow = nullptr;
    DocumentController* mController = nullptr;
};

// The window of a document: closing it asks the controller, which may prompt.
class DocumentWindow : public QMainWindow {
public:
    DocumentWindow(Document* doc, DocumentController* controller);
    Document* document() const { return mDocument; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    Document* mDocument;
    DocumentController* mController;
};
