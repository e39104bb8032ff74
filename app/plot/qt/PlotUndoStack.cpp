#include "app/plot/qt/PlotUndoStack.h"

#include <QPointer>
#include <QUndoStack>

#include "app/plot/CPlotView.h"

PlotUndoCommand::PlotUndoCommand(std::weak_ptr<PlotUndoManager> manager, PlotUndoManager::Group group)
    : QUndoCommand(QString::fromStdString(group.actionName)), mManager(std::move(manager)), mGroup(std::move(group)) {}

void PlotUndoCommand::undo() {
    if (auto m = mManager.lock()) mGroup = m->runGroup(std::move(mGroup), false);
    mDone = false;
}

void PlotUndoCommand::redo() {
    if (mDone) return;
    if (auto m = mManager.lock()) mGroup = m->runGroup(std::move(mGroup), true);
    mDone = true;
}

void attachUndoStack(CPlotView& view, QUndoStack* stack) {
    if (!stack) {
        view.undoManager().setSink(nullptr);
        return;
    }
    QPointer<QUndoStack> target(stack);
    std::weak_ptr<PlotUndoManager> manager = view.undoManagerHandle();
    view.undoManager().setSink([target, manager](PlotUndoManager::Group&& g) {
        if (target) target->push(new PlotUndoCommand(manager, std::move(g)));
    });
}
