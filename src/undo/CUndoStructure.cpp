#include "undo/CUndoStructure.h"

#include "base/ErrorReporter.h"
#include "undo/CTask.h"
#include "undo/CTaskList.h"

#include <cstdio>

CUndoStructure::CUndoStructure() = default;

CUndoStructure::~CUndoStructure() {
    // Newest first, so strings are freed in the same order a redo branch discards them.
    listBeingComposed.reset();
    doneCount = 0;
    discardRedoBranch();
}

void CUndoStructure::discardRedoBranch() {
    while (taskLists.size() > doneCount)
        taskLists.pop_back();
}

RErr CUndoStructure::startTaskList(int32_t label) {
    if (listBeingComposed)
        return reportError("CUndoStructure::startTaskList", kErrUnbalancedUndo);
    discardRedoBranch();
    listBeingComposed = std::make_unique<CTaskList>(label);
    ++listsOpened;
    return kNoErr;
}

RErr CUndoStructure::addTask(std::unique_ptr<CTask> task, CTask*& added) {
    added = nullptr;
    if (!listBeingComposed)
        return reportError("CUndoStructure::addTask", kErrUnbalancedUndo);
    added = task.get();
    listBeingComposed->addTask(std::move(task));
    ++tasksAdded;
    dirty = true;
    return kNoErr;
}

RErr CUndoStructure::finishTaskList() {
    if (!listBeingComposed)
        return reportError("CUndoStructure::finishTaskList", kErrUnbalancedUndo);
    taskLists.push_back(std::move(listBeingComposed));
    doneCount = taskLists.size();
    return kNoErr;
}

RErr CUndoStructure::canUndo(bool& out) const {
    out = false;
    if (listBeingComposed)
        return reportError("CUndoStructure::canUndo", kErrUnbalancedUndo);
    out = doneCount > 0;
    return kNoErr;
}

RErr CUndoStructure::canRedo(bool& out) const {
    out = false;
    if (listBeingComposed)
        return reportError("CUndoStructure::canRedo", kErrUnbalancedUndo);
    out = doneCount < taskLists.size();
    return kNoErr;
}

RErr CUndoStructure::currentUndoLabel(int32_t& out) const {
    out = 0;
    if (listBeingComposed)
        return reportError("CUndoStructure::currentUndoLabel", kErrUnbalancedUndo);
    if (doneCount > 0)
        out = taskLists[doneCount - 1]->getLabel();
    return kNoErr;
}

RErr CUndoStructure::currentRedoLabel(int32_t& out) const {
    out = 0;
    // Reported under the undo label's name, as the Edit menu has always shown it.
    if (listBeingComposed)
        return reportError("CUndoStructure::currentUndoLabel", kErrUnbalancedUndo);
    if (doneCount < taskLists.size())
        out = taskLists[doneCount]->getLabel();
    return kNoErr;
}

RErr CUndoStructure::undo() {
    if (listBeingComposed)
        return reportError("CUndoStructure::undo", kErrUnbalancedUndo);
    if (doneCount == 0)
        return reportError("CUndoStructure::undo", kErrCantUndoRedo);
    taskLists[doneCount - 1]->undo();
    --doneCount;
    dirty = true;
    return kNoErr;
}

RErr CUndoStructure::redo() {
    if (listBeingComposed)
        return reportError("CUndoStructure::redo", kErrUnbalancedUndo);
    if (doneCount == taskLists.size())
        return reportError("CUndoStructure::redo", kErrCantUndoRedo);
    taskLists[doneCount]->redo();
    ++doneCount;
    dirty = true;
    return kNoErr;
}

RErr CUndoStructure::isDirty(bool& out) const {
    out = dirty;
    if (listBeingComposed)
        return reportError("CUndoStructure::isDirty", kErrUnbalancedUndo);
    return kNoErr;
}

RErr CUndoStructure::resetDirty() {
    dirty = false;
    if (listBeingComposed)
        return reportError("CUndoStructure::resetDirty", kErrUnbalancedUndo);
    return kNoErr;
}

RErr CUndoStructure::zeroOut() {
    if (listBeingComposed)
        return reportError("CUndoStructure::zeroOut", kErrUnbalancedUndo);
    doneCount = 0;
    discardRedoBranch();
    dirty = false;
    return kNoErr;
}

RErr CUndoStructure::killLastTaskList() {
    if (listBeingComposed)
        return reportError("CUndoStructure::killLastTaskList", kErrUnbalancedUndo);
    discardRedoBranch();
    return kNoErr;
}

void CUndoStructure::printSummary() const {
    std::printf("Undo history: %zu steps, %zu done%s.\n", taskLists.size(), doneCount,
                listBeingComposed ? ", one list open" : "");
    for (const auto& list : taskLists)
        list->printSummary();
    if (listBeingComposed)
        listBeingComposed->printSummary();
}
