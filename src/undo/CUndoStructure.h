#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"

#include <cstdint>
#include <memory>
#include <vector>

class CTask;
class CTaskList;

// The linear undo history of one database, its open (composing) list and the dirty flag.
class CUndoStructure {
public:
    CUndoStructure();
    CUndoStructure(const CUndoStructure&) = delete;
    CUndoStructure& operator=(const CUndoStructure&) = delete;
    ~CUndoStructure();

    // 1005 if a list is open; otherwise discards the redo branch and opens a list.
    RErr startTaskList(int32_t label);
    // 1005 if no list is open (the task is then destroyed without being done); sets dirty.
    // The task stays owned by the list; `added` points at it.
    RErr addTask(std::unique_ptr<CTask> task, CTask*& added);
    RErr finishTaskList();
    RErr canUndo(bool& out) const;
    RErr canRedo(bool& out) const;
    RErr currentUndoLabel(int32_t& out) const;
    RErr currentRedoLabel(int32_t& out) const;
    RErr undo();
    RErr redo();
    RErr isDirty(bool& out) const;
    // For a change made without adding a task: a typing run amending its task after a save.
    void markDirty() { dirty = true; }
    RErr resetDirty();
    RErr zeroOut();
    RErr killLastTaskList();

    bool isComposing() const { return listBeingComposed != nullptr; }
    // Steps in the history (done and undone), for tests and the memory dialog.
    std::size_t stepCount() const { return taskLists.size(); }
    // Tasks added since the structure was made, and lists opened: counters that only grow, so
    // that a caller can tell how much one operation added and whether the open list it added
    // to is still the same one.
    uint64_t tasksAddedSoFar() const { return tasksAdded; }
    uint64_t listsOpenedSoFar() const { return listsOpened; }
    // A debugging description of every step, and of the open list, on standard output.
    void printSummary() const;

private:
    void discardRedoBranch();

    RObjectCounter<kKindCUndoStructure> counter;
    std::vector<std::unique_ptr<CTaskList>> taskLists;
    std::size_t doneCount = 0; // lists [0, doneCount) are done; the rest can be redone
    std::unique_ptr<CTaskList> listBeingComposed;
    bool dirty = false;
    uint64_t tasksAdded = 0;
    uint64_t listsOpened = 0;
};
