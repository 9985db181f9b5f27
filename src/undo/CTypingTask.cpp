#include "undo/CTypingTask.h"

#include "base/ErrorReporter.h"
#include "storage/CStringManager.h"
#include "undo/CUndoStructure.h"
#include "undo/RUndoClients.h"

CTypingTask::CTypingTask(CUndoStructure& undo, CTablet& tablet, CStringManager& strings,
                         RUserInterfaceSink& sink, int32_t record, int32_t attribute,
                         int32_t savedSelectionStart, int32_t savedSelectionEnd)
    : CStringTask(tablet, strings, record, attribute), theUndoStructure(undo),
      theMiddleInterface(sink), selectionStart(savedSelectionStart),
      selectionEnd(savedSelectionEnd) {}

RErr CTypingTask::construct(CUndoStructure& undo, CTablet& tablet, CStringManager& strings,
                            RUserInterfaceSink& sink, int32_t record, int32_t attribute,
                            const CRString* text, int32_t selectionStart, int32_t selectionEnd,
                            CTypingTask*& task) {
    task = nullptr;
    std::unique_ptr<CTypingTask> made(new CTypingTask(undo, tablet, strings, sink, record,
                                                      attribute, selectionStart, selectionEnd));
    CTypingTask* typing = made.get();
    RErr err = made->record(text);
    CTask* added = nullptr;
    if (!err)
        err = undo.addTask(std::move(made), added);
    if (!err)
        err = typing->doSilently();
    if (!err)
        task = typing;
    if (err)
        bug("CTypingTask::CTypingTask", err);
    return err;
}

RErr CTypingTask::addSynchronizedTask(CUndoStructure& undo, int32_t record, int32_t attribute,
                                      const CRString* text) {
    // Only one second cell follows a field; a further one would silently stop being amended.
    if (synchronizedTypingTask) {
        bug("CTypingTask::addSynchronizedTask", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    CTypingTask* synchronized = nullptr;
    const RErr err = construct(undo, theTablet, theStringManager, theMiddleInterface, record,
                               attribute, text, 0, 0, synchronized);
    if (err) {
        bug("CTypingTask::addSynchronizedTask", err);
        return err;
    }
    synchronizedTypingTask = synchronized;
    return kNoErr;
}

RErr CTypingTask::amendNewValue(const CRString& text) {
    RErr err = kNoErr;
    // A run that began by emptying the field has no entry to amend yet; the one registered here
    // then belongs to this task like any other new value.
    if (newValue == 0) {
        int32_t registered = 0;
        err = theStringManager.registerString(text, registered);
        if (!err)
            newValue = registered;
    } else {
        err = theStringManager.replaceStringText(newValue, text);
    }
    // Every keystroke after the first changes the document without adding a task, so it must
    // mark the document itself, or typing on after a save would be lost without a warning.
    if (!err)
        theUndoStructure.markDirty();
    if (!err)
        err = doSelf();
    if (!err && synchronizedTypingTask)
        err = synchronizedTypingTask->amendNewValue(text);
    if (err)
        bug("CTypingTask::amendNewValue", err);
    return err;
}

RErr CTypingTask::doSilently() {
    return CStringTask::doSelf();
}

RErr CTypingTask::doSelf() {
    RErr err = doSilently();
    const CRString* text = nullptr;
    if (!err && newValue != 0)
        err = theStringManager.getPointerToString(newValue, text);
    if (!err)
        err = theMiddleInterface.notifyUserInterfaceOfTypingTask(recordIndex, attributeIndex, text,
                                                                 0, 0);
    if (err)
        bug("CTypingTask::doSelf", err);
    return err;
}

RErr CTypingTask::undoSelf() {
    RErr err = CStringTask::undoSelf();
    const CRString* text = nullptr;
    if (!err && oldValue != 0)
        err = theStringManager.getPointerToString(oldValue, text);
    if (!err)
        err = theMiddleInterface.notifyUserInterfaceOfTypingTask(recordIndex, attributeIndex, text,
                                                                 selectionStart, selectionEnd);
    if (err)
        bug("CTypingTask::undoSelf", err);
    return err;
}
