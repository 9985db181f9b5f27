#include "undo/CVariableTask.h"

#include "base/ErrorReporter.h"
#include "undo/CUndoStructure.h"
#include "undo/RUndoClients.h"

#include <cstdio>

CVariableTask::CVariableTask(RVariable& variable, const CRString& value)
    : theVariable(variable), oldValue(variable.variableValue()), newValue(value) {}

RErr CVariableTask::construct(CUndoStructure& undo, RVariable& variable, const CRString& newValue) {
    CVariableTask* made = nullptr;
    return construct(undo, variable, newValue, made);
}

RErr CVariableTask::construct(CUndoStructure& undo, RVariable& variable, const CRString& newValue,
                              CVariableTask*& made) {
    made = nullptr;
    auto task = std::unique_ptr<CVariableTask>(new CVariableTask(variable, newValue));
    CVariableTask* const pending = task.get();
    CTask* added = nullptr;
    RErr err = undo.addTask(std::move(task), added);
    if (!err)
        err = added->doSelf();
    if (err)
        bug("CVariableTask::CVariableTask", err);
    else
        made = pending;
    return err;
}

void CVariableTask::amend(const CRString& value) {
    newValue.setStringValue(value);
    doSelf();
}

RErr CVariableTask::doSelf() {
    theVariable.setVariableValue(newValue);
    hasBeenDone = true;
    return kNoErr;
}

RErr CVariableTask::undoSelf() {
    theVariable.setVariableValue(oldValue);
    hasBeenDone = false;
    return kNoErr;
}

void CVariableTask::printSummary() const {
    std::printf("\t\tSet a variable from \"%s\" to \"%s\" (%s).\n", oldValue.getStringValue(),
                newValue.getStringValue(), hasBeenDone ? "done" : "undone");
}
