#include "app/plot/PlotUndoManager.h"

#include <utility>

void PlotUndoManager::beginUndoGrouping() {
    if (mDepth++ == 0 && mRunning == Running::No) mOpen = Group{};
}

void PlotUndoManager::endUndoGrouping() {
    if (mDepth == 0) return;  // unbalanced: nothing open
    if (--mDepth > 0 || mRunning != Running::No) return;
    finish(std::exchange(mOpen, Group{}));
}

void PlotUndoManager::finish(Group&& g) {
    if (g.empty()) return;
    if (mSink) {
        mSink(std::move(g));
        return;
    }
    mUndoStack.push_back(std::move(g));
    mRedoStack.clear();  // a new edit ends what could be redone
}

void PlotUndoManager::registerUndo(Action action) {
    if (!action) return;
    if (mDepth > 0 || mRunning != Running::No) {
        mOpen.actions.push_back(std::move(action));
        return;
    }
    Group g;
    g.actions.push_back(std::move(action));
    finish(std::move(g));
}

void PlotUndoManager::setActionName(const std::string& name) {
    if (mDepth > 0 || mRunning != Running::No) {
        mOpen.actionName = name;
    } else if (!mSink && !mUndoStack.empty()) {
        mUndoStack.back().actionName = name;
    }
}

void PlotUndoManager::registerUndo(Action action, const std::string& name) {
    beginUndoGrouping();
    registerUndo(std::move(action));
    setActionName(name);
    endUndoGrouping();
}

PlotUndoManager::Group PlotUndoManager::runGroup(Group group, bool redoing) {
    if (mRunning != Running::No) return group;  // an undo never runs another one
    // A group left open (an undo chosen in the middle of a drag) is set aside
    // and goes on collecting afterwards.
    Group outer = std::exchange(mOpen, Group{});
    const int outerDepth = std::exchange(mDepth, 0);
    mRunning = redoing ? Running::Redoing : Running::Undoing;
    mOpen.actionName = group.actionName;
    for (auto it = group.actions.rbegin(); it != group.actions.rend(); ++it)
        if (*it) (*it)();
    mRunning = Running::No;
    Group inverse = std::exchange(mOpen, std::move(outer));
    mDepth = outerDepth;
    return inverse;
}

void PlotUndoManager::runTop(std::vector<Group>& from, std::vector<Group>& to, bool redoing) {
    if (from.empty() || mRunning != Running::No) return;
    Group g = std::move(from.back());
    from.pop_back();
    Group inverse = runGroup(std::move(g), redoing);
    if (!inverse.empty()) to.push_back(std::move(inverse));
}

void PlotUndoManager::undo() { runTop(mUndoStack, mRedoStack, false); }

void PlotUndoManager::redo() { runTop(mRedoStack, mUndoStack, true); }
