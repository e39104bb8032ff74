#pragma once
// A window of its own for a plot (an independent copy of a document's plot):
// a plot container with its control row, 400 x 300, and its own undo stack
// with Undo and Redo on the usual keys.  It belongs to no document and is
// deleted when closed.
#include <QWidget>
#include <memory>

class QAction;
class QUndoStack;
class CDrawPlotView;
class CPlotView;

class CPlotWindow : public QWidget {
    Q_OBJECT
public:
    explicit CPlotWindow(std::unique_ptr<CPlotView> view, QWidget* parent = nullptr);
    ~CPlotWindow() override;

    CDrawPlotView* drawPlotView() const { return mBox; }
    CPlotView* plotView() const;
    QUndoStack* undoStack() const { return mUndo; }

private:
    CDrawPlotView* mBox = nullptr;
    QUndoStack* mUndo = nullptr;
    QAction* mUndoAction = nullptr;
    QAction* mRedoAction = nullptr;
};
