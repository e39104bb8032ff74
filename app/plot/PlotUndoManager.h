#pragma once
// The undo manager of a plot view: undoable plot edits register the call that
// takes them back, under a fixed action name ("Move Of Legend", ...).
//
// Registrations are collected in groups; nested groups merge into the
// outermost one, so that a whole legend drag is one step.  Undoing a group
// runs its actions last first; what those actions register in turn becomes the
// group that redoes it (and the other way round), as the edits themselves
// register their own inverse.
//
// A finished group either stays on the manager's own undo stack, or, when a
// sink is installed, is handed to it (the window's undo stack in the
// application, which then asks `runGroup` to undo and redo it).  Empty groups
// are dropped.
#include <functional>
#include <string>
#include <vector>

class PlotUndoManager {
public:
    using Action = std::function<void()>;
    struct Group {
        std::string actionName;
        std::vector<Action> actions;
        bool empty() const { return actions.empty(); }
    };
    using Sink = std::function<void(Group&&)>;

    PlotUndoManager() = default;
    PlotUndoManager(const PlotUndoManager&) = delete;
    PlotUndoManager& operator=(const PlotUndoManager&) = delete;

    // Where finished groups go from now on (nullptr: the manager's own stack).
    void setSink(Sink sink) { mSink = std::move(sink); }

    void beginUndoGrouping();
    void endUndoGrouping();
    // Registers the call that undoes an edit; outside a group it forms a group
    // of its own.
    void registerUndo(Action action);
    // Names the open group (or, outside any, the last finished group kept here).
    void setActionName(const std::string& name);
    // One edit's undo under its action name: a group of its own, or part of
    // the group that is open.
    void registerUndo(Action action, const std::string& name);

    // The manager's own stacks (used when no sink is installed).
    bool canUndo() const { return !mUndoStack.empty(); }
    bool canRedo() const { return !mRedoStack.empty(); }
    std::string undoActionName() const { return mUndoStack.empty() ? std::string() : mUndoStack.back().actionName; }
    size_t undoCount() const { return mUndoStack.size(); }
    void undo();
    void redo();

    // Runs the group's actions last first (as an undo, or as a redo when
    // `redoing`) and returns the group they registered, which takes the
    // given group back.  Nothing happens while a group is open or another
    // group runs.
    Group runGroup(Group group, bool redoing);

private:
    enum class Running { No, Undoing, Redoing };
    void finish(Group&& g);
    // Runs the group on top of `from` and puts the group that takes it back on `to`.
    void runTop(std::vector<Group>& from, std::vector<Group>& to, bool redoing);

    Sink mSink;
    int mDepth = 0;
    Group mOpen;
    Running mRunning = Running::No;
    std::vector<Group> mUndoStack;
    std::vector<Group> mRedoStack;
};
