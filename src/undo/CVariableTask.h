#pragma once

#include "storage/CRString.h"
#include "undo/CTask.h"

class CUndoStructure;
class RVariable;

// The undoable change of a script's global variable; owns copies of both texts.
class CVariableTask : public CTask {
public:
    static RErr construct(CUndoStructure& undo, RVariable& variable, const CRString& newValue);
    // As construct, also handing back the task, which the open list owns.
    static RErr construct(CUndoStructure& undo, RVariable& variable, const CRString& newValue,
                          CVariableTask*& made);
    // Gives the variable a later value within the same step: the task still restores the
    // value from before its first change, and redo gives the last.
    void amend(const CRString& value);

    RErr doSelf() override;
    RErr undoSelf() override;
    void printSummary() const override;

private:
    CVariableTask(RVariable& variable, const CRString& newValue);

    RVariable& theVariable;
    CRString oldValue;
    CRString newValue;
    bool hasBeenDone = false;
};
