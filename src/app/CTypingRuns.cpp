#include "app/CTypingRuns.h"

#include "base/ErrorReporter.h"
#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "undo/CTypingTask.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

namespace {

constexpr int32_t kTypingCreatorTag = 150;

// A copy of a cell's text for a task to keep; none for an empty cell, which stays empty.
std::unique_ptr<CRString> cellText(CTree& tree, int32_t record, int32_t attribute, RErr& err) {
    const CRString* text = nullptr;
    err = tree.getAnyString(record, attribute, text);
    if (err || !text || text->str().empty())
        return nullptr;
    return CRString::cloneCRString(*text, kTypingCreatorTag);
}

} // namespace

CTypingRuns::CTypingRuns(std::function<CTree*()> tree, std::function<void()> redraw)
    : treeOf(std::move(tree)), redrawAll(std::move(redraw)) {}

bool CTypingRuns::inProgress() const {
    // Any step opened since (a command, or a run in another field) ends the run, and so does a
    // grammar closed or replaced: the task then belongs to a history that has moved on.
    CTree* tree = treeOf ? treeOf() : nullptr;
    return currentTypingTask && tree && tree == runTree &&
           tree->undoStructure().listsOpenedSoFar() == runListNumber;
}

RErr CTypingRuns::beforeTyping(const RTypingField& field, int32_t selectionStart,
                               int32_t selectionEnd) {
    if (ignoreNextChangeNotification || inProgress())
        return kNoErr;
    currentTypingTask = nullptr;
    CTree* tree = treeOf ? treeOf() : nullptr;
    RErr err = tree && tree->script() ? kNoErr : kErrNotInitialized;
    if (!err && (field.record <= 0 || field.attribute <= 0))
        err = kErrInvalidParameter;
    // The task keeps its own copy: the text handed out may be a volatile one.
    std::unique_ptr<CRString> oldText;
    if (!err)
        oldText = cellText(*tree, field.record, field.attribute, err);
    CUndoStructure* undo = err ? nullptr : &tree->undoStructure();
    if (!err)
        err = undo->startTaskList(kLabelTyping);
    CTypingTask* typing = nullptr;
    if (!err)
        err = CTypingTask::construct(
            *undo, tree->tablet(), tree->stringManager(), tree->script()->middleInterface(),
            field.record, field.attribute, oldText.get(), selectionStart, selectionEnd, typing);
    if (!err && field.followingRecord > 0) {
        const std::unique_ptr<CRString> followingText =
            cellText(*tree, field.followingRecord, field.followingAttribute, err);
        if (!err)
            err = typing->addSynchronizedTask(*undo, field.followingRecord,
                                              field.followingAttribute, followingText.get());
    }
    if (undo && undo->isComposing()) {
        const RErr closed = undo->finishTaskList();
        if (!err)
            err = closed;
    }
    if (!err) {
        currentTypingTask = typing;
        runTree = tree;
        runListNumber = undo->listsOpenedSoFar();
    }
    if (err)
        bug("CLexicalItemsDialog::beforeTyping", err);
    return err;
}

RErr CTypingRuns::type(const CRString& text) {
    if (ignoreNextChangeNotification)
        return kNoErr;
    CTypingTask* typing = task();
    const RErr err = typing ? typing->amendNewValue(text) : kErrGeneral;
    if (err)
        bug("CLexicalItemsDialog::type", err);
    return err;
}

void CTypingRuns::afterTyping() {
    currentTypingTask = nullptr;
    if (redrawAll)
        redrawAll();
}

void CTypingRuns::newFocus() {
    if (redrawAll)
        redrawAll();
}
