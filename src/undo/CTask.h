#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"

// One recorded change that can undo and redo itself. Tasks are created through the
// `construct` functions of the task classes, which record the task's data, hand it to the
// open task list of an undo structure and do it at once: a change is never applied first
// and recorded afterwards.
class CTask {
public:
    CTask() = default;
    CTask(const CTask&) = delete;
    CTask& operator=(const CTask&) = delete;
    virtual ~CTask() = default;

    virtual RErr doSelf() = 0;
    virtual RErr undoSelf() = 0;
    // A debugging description on standard output.
    virtual void printSummary() const = 0;

private:
    RObjectCounter<kKindCTask> counter;
};
