#include "undo/CUserInterfaceTask.h"

#include "base/ErrorReporter.h"
#include "undo/CUndoStructure.h"
#include "undo/RUndoClients.h"

#include <cstdio>

CUserInterfaceTask::CUserInterfaceTask(RUserInterfaceSink& sink, int32_t code,
                                       int32_t previousValue, int32_t value)
    : theMiddleInterface(sink), taskCode(code), oldValue(previousValue), newValue(value) {}

RErr CUserInterfaceTask::construct(CUndoStructure& undo, RUserInterfaceSink& sink, int32_t taskCode,
                                   int32_t oldValue, int32_t newValue) {
    CTask* added = nullptr;
    RErr err = undo.addTask(
        std::unique_ptr<CTask>(new CUserInterfaceTask(sink, taskCode, oldValue, newValue)), added);
    if (!err)
        err = added->doSelf();
    if (err)
        bug("CUserInterfaceTask::CUserInterfaceTask", err);
    return err;
}

RErr CUserInterfaceTask::doSelf() {
    const RErr err = theMiddleInterface.doUserInterfaceUndoTask(taskCode, newValue);
    if (err)
        bug("CUserInterfaceTask::doSelf", err);
    return err;
}

RErr CUserInterfaceTask::undoSelf() {
    const RErr err = theMiddleInterface.doUserInterfaceUndoTask(taskCode, oldValue);
    if (err)
        bug("CUserInterfaceTask::undoSelf", err);
    return err;
}

void CUserInterfaceTask::printSummary() const {
    std::printf("\t\tTell the user interface %d from %d to %d.\n", taskCode, oldValue, newValue);
}
