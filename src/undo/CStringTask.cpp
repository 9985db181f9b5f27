#include "undo/CStringTask.h"

#include "base/ErrorReporter.h"
#include "storage/CStringManager.h"
#include "storage/CTablet.h"
#include "undo/CUndoStructure.h"

#include <cstdio>

CStringTask::CStringTask(CTablet& tablet, CStringManager& strings, int32_t record,
                         int32_t attribute)
    : theTablet(tablet), theStringManager(strings), recordIndex(record), attributeIndex(attribute) {
}

CStringTask::~CStringTask() {
    // Only the ID this task could still bring back is unreachable once it is gone: the
    // replaced one when done, the one it registered when not.
    const int32_t unreachable = hasBeenDone ? oldValue : newValue;
    if (unreachable == 0)
        return;
    const RErr err = theStringManager.setStringStatus(unreachable, CStringManager::kUnused);
    if (err)
        bug("CStringTask::~CStringTask", err);
}

RErr CStringTask::construct(CUndoStructure& undo, CTablet& tablet, CStringManager& strings,
                            int32_t record, int32_t attribute, const CRString* text) {
    // Until the list owns the task, destroying it (on any failure below) frees what it
    // registered, since it was never done.
    std::unique_ptr<CStringTask> task(new CStringTask(tablet, strings, record, attribute));
    RErr err = task->record(text);
    CTask* added = nullptr;
    if (!err)
        err = undo.addTask(std::move(task), added);
    if (!err)
        err = added->doSelf();
    if (err)
        bug("CStringTask::CStringTask", err);
    return err;
}

RErr CStringTask::record(const CRString* text) {
    RErr err = theTablet.getValue(recordIndex, attributeIndex, oldValue);
    int32_t registered = 0;
    if (!err && text)
        err = theStringManager.registerString(*text, registered);
    if (!err)
        newValue = registered;
    return err;
}

RErr CStringTask::doSelf() {
    // The task changes state only once the cell has changed, so the destructor never frees an
    // ID that a cell still holds.
    RErr err = theTablet.setValue(recordIndex, attributeIndex, newValue);
    if (!err)
        hasBeenDone = true;
    if (!err && oldValue != 0)
        err = theStringManager.setStringStatus(oldValue, CStringManager::kUndone);
    if (!err && newValue != 0)
        err = theStringManager.setStringStatus(newValue, CStringManager::kCurrent);
    if (err)
        bug("CStringTask::doSelf", err);
    return err;
}

RErr CStringTask::undoSelf() {
    RErr err = theTablet.setValue(recordIndex, attributeIndex, oldValue);
    if (!err)
        hasBeenDone = false;
    if (!err && oldValue != 0)
        err = theStringManager.setStringStatus(oldValue, CStringManager::kCurrent);
    if (!err && newValue != 0)
        err = theStringManager.setStringStatus(newValue, CStringManager::kUndone);
    if (err)
        bug("CStringTask::undoSelf", err);
    return err;
}

void CStringTask::printSummary() const {
    std::printf("\t\tSet attribute %u of record %u from string %u to string %u (%s).\n",
                static_cast<unsigned>(attributeIndex), static_cast<unsigned>(recordIndex),
                static_cast<unsigned>(oldValue), static_cast<unsigned>(newValue),
                hasBeenDone ? "done" : "undone");
}
