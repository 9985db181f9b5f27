#include "app/WorkingDocument.h"

#include "model/CTree.h"
#include "script/CScript.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

RErr prepareWorkingDocument(CTree& tree, bool prepareWords) {
    RErr err = kNoErr;
    if (prepareWords)
        err = tree.prepareTreesForStudentMode();
    if (err)
        return err;
    CUndoStructure& undo = tree.undoStructure();
    err = undo.startTaskList(kLabelNeverUndoable);
    RErr compileErr = kNoErr;
    if (!err)
        compileErr = tree.script()->parseScript(true);
    if (!err)
        err = undo.finishTaskList();
    if (!err)
        err = undo.zeroOut();
    return compileErr ? compileErr : err;
}
