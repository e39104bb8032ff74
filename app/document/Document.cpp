#include "app/document/Document.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QStatusBar>
#include <QUndoStack>

#include "app/document/DocumentController.h"

Document::Document() : mUndo(new QUndoStack(this)) {
    // An edit registered for undo counts as a change, undoing it takes the
    // change back and redoing it counts it again.
    connect(mUndo, &QUndoStack::indexChanged, this, [this](int index) {
        for (; mUndoIndex < index; ++mUndoIndex) updateChangeCount(ChangeDone);
        for (; mUndoIndex > index; --mUndoIndex) updateChangeCount(ChangeUndone);
    });
}

Document::~Document() { destroyWindow(); }

void Document::destroyWindow() {
    delete mWindow;
    mWindow = nullptr;
}

void Document::setFileName(const QString& path) {
    const bool changed = mFileName != path;
    mFileName = path;
    updateTitle();
    if (changed) emit fileNameChanged();
}

QString Document::displayName() const { return mFileName.isEmpty() ? mUntitledName : QFileInfo(mFileName).fileName(); }

void Document::updateChangeCount(ChangeType change) {
    const bool before = isDocumentEdited();
    switch (change) {
    case ChangeDone: ++mChangeCount; break;
    case ChangeUndone: --mChangeCount; break;
    case ChangeCleared: mChangeCount = 0; break;
    }
    updateTitle();
    if (before != isDocumentEdited()) emit editedChanged();
}

void Document::updateTitle() {
    if (!mWindow) return;
    mWindow->setWindowTitle(displayName() + QStringLiteral("[*]"));
    mWindow->setWindowModified(isDocumentEdited());
}

void Document::showStatus(const QString& message) {
    if (mWindow) mWindow->statusBar()->showMessage(message);
}

void Document::makeWindow(DocumentController* controller) {
    if (mWindow) return;
    mController = controller;
    mWindow = new DocumentWindow(this, controller);
    mWindow->resize(640, 480);
    if (controller) controller->installMainMenu(mWindow, this);
    windowControllerDidLoad(mWindow);
    updateTitle();
}

DocumentWindow::DocumentWindow(Document* doc, DocumentController* controller)
    : mDocument(doc), mController(controller) {
    setAttribute(Qt::WA_DeleteOnClose, false);  // the document owns its window
}

void DocumentWindow::closeEvent(QCloseEvent* e) {
    e->ignore();
    // The controller closes the document (and with it this window) once it may.
    if (mController) QMetaObject::invokeMethod(mController, [c = mController, d = mDocument] { c->closeDocument(d); }, Qt::QueuedConnection);
    else e->accept();
}
