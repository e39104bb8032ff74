#include "app/plot/qt/CPlotWindow.h"

#include <QAction>
#include <QUndoStack>
#include <QVBoxLayout>

#include "app/plot/CPlotView.h"
#include "app/plot/qt/CDrawPlotView.h"
#include "app/plot/qt/CPlotWidget.h"

CPlotWindow::CPlotWindow(std::unique_ptr<CPlotView> view, QWidget* parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    const std::string name = view && !view->plotName().empty() ? view->plotName() : std::string("Plot");
    setWindowTitle(QString::fromStdString(name));
    resize(400, 300);
    mUndo = new QUndoStack(this);
    mBox = new CDrawPlotView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mBox);
    mBox->resize(size());
    mBox->installPlotView(new CPlotWidget(std::move(view), mBox));
    mBox->installButtons();
    mBox->setUndoStack(mUndo);
    mUndoAction = mUndo->createUndoAction(this, QStringLiteral("&Undo"));
    mUndoAction->setShortcut(QKeySequence::Undo);
    mRedoAction = mUndo->createRedoAction(this, QStringLiteral("&Redo"));
    mRedoAction->setShortcut(QKeySequence::Redo);
    addAction(mUndoAction);
    addAction(mRedoAction);
}

CPlotWindow::~CPlotWindow() {
    // The plot goes before the stack whose commands watch its undo manager.
    delete mBox;
    mBox = nullptr;
}

CPlotView* CPlotWindow::plotView() const { return mBox ? mBox->plotView() : nullptr; }
