#pragma once
// Puts a plot view's undoable edits on a window's Qt undo stack: each
// finished group of the view's undo manager becomes one command named after
// its action ("Move Of Legend", ...), so the window's Undo and Redo menu items
// take them back and redo them in order with the window's other edits.
#include <QUndoCommand>
#include <memory>

#include "app/plot/PlotUndoManager.h"

class CPlotView;
class QUndoStack;

class PlotUndoCommand : public QUndoCommand {
public:
    PlotUndoCommand(std::weak_ptr<PlotUndoManager> manager, PlotUndoManager::Group group);
    void undo() override;
    void redo() override;

private:
    std::weak_ptr<PlotUndoManager> mManager;  // a view that went away leaves a command that does nothing
    PlotUndoManager::Group mGroup;
    bool mDone = true;  // pushed after the edit was made: the first redo is not run
};

// From now on the view's edits go to `stack` (nullptr: back to the view's own stack).
void attachUndoStack(CPlotView& view, QUndoStack* stack);
