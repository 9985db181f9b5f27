#include "undo/CUndoStructure.h"

#include "app/ErrorReporter.h"
#include "undo/CTask.h"
#include "undo/CTaskList.h"

#include <cstdio>

namespace {

RErr fail(const char* name, RErr code) {
    bug(name, code);
    return code;
}

} // namespace

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
        return fail("CUndoStructure::startTaskList", kErrUnbalancedUndo);
    discardRedoBranch();
    listBeingComposed = std::make_unique<CTaskList>(label);
    return kNoErr;
}

RErr CUndoStructure::addTask(std::unique_ptr<CTask> task, CTask*& added) {
    added = nullptr;
    if (!listBeingComposed)
        return fail("CUndoStructure::addTask", kErrUnbalancedUndo);
    added = task.get();
    listBeingComposed->addTask(std::move(task));
    dirty = true;
    return kNoErr;
}

RErr CUndoStructure::finishTaskList() {
    if (!listBeingComposed)
        return fail("CUndoStructure::finishTaskList", kErrUnbalancedUndo);
    taskLists.push_back(std::move(listBeingComposed));
    doneCount = taskLists.size();
    return kNoErr;
}

RErr CUndoStructure::canUndo(bool& out) const {
    out = false;
    if (listBeingComposed)
        return fail("CUndoStructure::canUndo", kErrUnbalancedUndo);
    out = doneCount > 0;
    return kNoErr;
}

RErr CUndoStructure::canRedo(bool& out) const {
    out = false;
    if (listBeingComposed)
        return fail("CUndoStructure::canRedo", kErrUnbalancedUndo);
    out = doneCount < taskLists.size();
    return kNoErr;
}

RErr CUndoStructure::currentUndoLabel(int32_t& out) const {
    out = 0;
    if (listBeingComposed)
        return fail("CUndoStructure::currentUndoLabel", kErrUnbalancedUndo);
    if (doneCount > 0)
        out = taskLists[doneCount - 1]->getLabel();
    return kNoErr;
}

RErr CUndoStructure::currentRedoLabel(int32_t& out) const {
    out = 0;
    // Reported under the undo label's name, as the Edit menu has always shown it.
    if (listBeingComposed)
        return fail("CUndoStructure::currentUndoLabel", kErrUnbalancedUndo);
    if (doneCount < taskLists.size())
        out = taskLists[doneCount]->getLabel();
    return kNoErr;
}

RErr CUndoStructure::undo() {
    if (listBeingComposed)
        return fail("CUndoStructure::undo", kErrUnbalancedUndo);
    if (doneCount == 0)
        return fail("CUndoStructure::undo", kErrCantUndoRedo);
    taskLists[doneCount - 1]->undo();
    --doneCount;
    dirty = true;
    return kNoErr;
}

RErr CUndoStructure::redo() {
    if (listBeingComposed)
        return fail("CUndoStructure::redo", kErrUnbalancedUndo);
    if (doneCount == taskLists.size())
        return fail("CUndoStructure::redo", kErrCantUndoRedo);
    taskLists[doneCount]->redo();
    ++doneCount;
    dirty = true;
    return kNoErr;
}

RErr CUndoStructure::isDirty(bool& out) const {
    out = dirty;
    if (listBeingComposed)
        return fail("CUndoStructure::isDirty", kErrUnbalancedUndo);
    return kNoErr;
}

RErr CUndoStructure::resetDirty() {
    dirty = false;
    if (listBeingComposed)
        return fail("CUndoStructure::resetDirty", kErrUnbalancedUndo);
    return kNoErr;
}

RErr CUndoStructure::zeroOut() {
    if (listBeingComposed)
        return fail("CUndoStructure::zeroOut", kErrUnbalancedUndo);
    doneCount = 0;
    discardRedoBranch();
    dirty = false;
    return kNoErr;
}

RErr CUndoStructure::killLastTaskList() {
    if (listBeingComposed)
        return fail("CUndoStructure::killLastTaskList", kErrUnbalancedUndo);
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
