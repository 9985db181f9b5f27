#include "UndoTestDoubles.h"

#include "support/TestSupport.h"
#include "undo/CStringTask.h"
#include "undo/CTypingTask.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Notice = RecordingUserInterface::TypingNotice;

constexpr int32_t kWord = 2;
constexpr int32_t kCitationForm = 3;
constexpr int32_t kMainTerminal = 5;
constexpr int32_t kLabel = 5;

void setText(UndoDatabase& db, int32_t record, int32_t attribute, const char* text) {
    const CRString string(text, 0);
    ASSERT_EQ(db.command(kLabelNewTree,
                         [&] {
                             return CStringTask::construct(db.undo, db.tablet, db.strings, record,
                                                           attribute, &string);
                         }),
              kNoErr);
}

// The first keystroke in a field: one typing task, and for a citation form a second one for
// the label of the word's main terminal node.
CTypingTask* beginTyping(UndoDatabase& db, RecordingUserInterface& ui, int32_t record,
                         int32_t attribute, const char* text, int32_t selectionStart,
                         int32_t selectionEnd) {
    CTypingTask* task = nullptr;
    const CRString string(text ? text : "", 0);
    EXPECT_EQ(db.undo.startTaskList(kLabelTyping), kNoErr);
    EXPECT_EQ(CTypingTask::construct(db.undo, db.tablet, db.strings, ui, record, attribute,
                                     text ? &string : nullptr, selectionStart, selectionEnd, task),
              kNoErr);
    return task;
}

} // namespace

using TypingTask = UndoFixture;

TEST_F(TypingTask, CitationFormRunIsOneStepThatRestoresBothCellsAndTheSelection) {
    setText(db, kWord, kCitationForm, "dog");
    setText(db, kMainTerminal, kLabel, "dog");
    const int32_t oldCitation = db.cell(kWord, kCitationForm);
    const int32_t oldLabel = db.cell(kMainTerminal, kLabel);

    // "dog" selected from 0 to 3 and replaced by the first keystroke.
    CTypingTask* task = beginTyping(db, ui, kWord, kCitationForm, "a", 0, 3);
    ASSERT_NE(task, nullptr);
    const CRString first("a", 0);
    ASSERT_EQ(task->addSynchronizedTask(db.undo, kMainTerminal, kLabel, &first), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_NE(task->synchronizedTask(), nullptr);
    EXPECT_TRUE(ui.notices.empty()); // the field already shows what was typed
    const int32_t newCitation = db.cell(kWord, kCitationForm);
    const int32_t newLabel = db.cell(kMainTerminal, kLabel);
    EXPECT_EQ(db.text(newCitation), "a");
    EXPECT_EQ(db.text(newLabel), "a");

    ASSERT_EQ(task->amendNewValue(CRString("ab", 0)), kNoErr);
    ASSERT_EQ(task->amendNewValue(CRString("abc", 0)), kNoErr);
    EXPECT_EQ(ui.notices, (std::vector<Notice>{{kWord, kCitationForm, "ab", 0, 0},
                                               {kMainTerminal, kLabel, "ab", 0, 0},
                                               {kWord, kCitationForm, "abc", 0, 0},
                                               {kMainTerminal, kLabel, "abc", 0, 0}}));
    // Amended in place: same IDs, new texts, and still one step.
    EXPECT_EQ(db.cell(kWord, kCitationForm), newCitation);
    EXPECT_EQ(db.cell(kMainTerminal, kLabel), newLabel);
    EXPECT_EQ(db.text(newCitation), "abc");
    EXPECT_EQ(db.text(newLabel), "abc");
    EXPECT_EQ(db.undo.stepCount(), 3u);
    EXPECT_EQ(db.undoMenu(), "Undo Typing");

    ui.notices.clear();
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cell(kWord, kCitationForm), oldCitation);
    EXPECT_EQ(db.cell(kMainTerminal, kLabel), oldLabel);
    EXPECT_EQ(db.cellText(kWord, kCitationForm), "dog");
    EXPECT_EQ(db.cellText(kMainTerminal, kLabel), "dog");
    // The label first, then the field itself with the caret as it was before typing.
    EXPECT_EQ(ui.notices, (std::vector<Notice>{{kMainTerminal, kLabel, "dog", 0, 0},
                                               {kWord, kCitationForm, "dog", 0, 3}}));
    EXPECT_EQ(db.redoMenu(), "Redo Typing");
    EXPECT_EQ(db.undoMenu(), "Undo New Tree");

    ui.notices.clear();
    ASSERT_EQ(db.undo.redo(), kNoErr);
    EXPECT_EQ(ui.notices, (std::vector<Notice>{{kWord, kCitationForm, "abc", 0, 0},
                                               {kMainTerminal, kLabel, "abc", 0, 0}}));
    EXPECT_EQ(db.status(oldCitation), CStringManager::kUndone);
    EXPECT_EQ(db.status(oldLabel), CStringManager::kUndone);
    EXPECT_EQ(db.status(newCitation), CStringManager::kCurrent);
    EXPECT_EQ(db.status(newLabel), CStringManager::kCurrent);
    EXPECT_EQ(db.countWithStatus(CStringManager::kCurrent), 2);
    EXPECT_TRUE(scope.recorder.bugReports().empty());
}

TEST_F(TypingTask, AmendingAfterASaveMakesTheDocumentDirtyAgain) {
    CTypingTask* task = beginTyping(db, ui, 1, 1, "a", 0, 0);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_EQ(db.undo.resetDirty(), kNoErr);
    ASSERT_EQ(task->amendNewValue(CRString("ab", 0)), kNoErr);
    bool dirty = false;
    ASSERT_EQ(db.undo.isDirty(dirty), kNoErr);
    EXPECT_TRUE(dirty);
}

TEST_F(TypingTask, EmptyFieldUndoesToNoTextWithTheSavedSelection) {
    CTypingTask* task = beginTyping(db, ui, 4, 2, "x", 0, 0);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->oldStringID(), 0);
    EXPECT_TRUE(task->done());
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_FALSE(task->done());
    EXPECT_EQ(db.cell(4, 2), 0);
    EXPECT_EQ(ui.notices, (std::vector<Notice>{{4, 2, std::nullopt, 0, 0}}));
}

TEST_F(TypingTask, RunThatBeganByEmptyingTheFieldRegistersItsTextOnTheFirstAmendment) {
    setText(db, 6, 1, "gone");
    const int32_t oldId = db.cell(6, 1);

    CTypingTask* task = beginTyping(db, ui, 6, 1, nullptr, 0, 4);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->newStringID(), 0);
    EXPECT_EQ(db.cell(6, 1), 0);
    EXPECT_EQ(db.status(oldId), CStringManager::kUndone);

    ASSERT_EQ(task->amendNewValue(CRString("n", 0)), kNoErr);
    const int32_t newId = task->newStringID();
    ASSERT_NE(newId, 0);
    EXPECT_EQ(db.cell(6, 1), newId);
    EXPECT_EQ(db.text(newId), "n");
    EXPECT_EQ(db.status(newId), CStringManager::kCurrent);
    ASSERT_EQ(task->amendNewValue(CRString("ne", 0)), kNoErr);
    EXPECT_EQ(task->newStringID(), newId);

    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cell(6, 1), oldId);
    EXPECT_EQ(ui.notices.back(), (Notice{6, 1, "gone", 0, 4}));
    // Discarding the undone run frees the text it registered on amendment.
    ASSERT_EQ(db.undo.killLastTaskList(), kNoErr);
    EXPECT_EQ(db.status(newId), CStringManager::kUnused);
    EXPECT_EQ(db.status(oldId), CStringManager::kCurrent);
    EXPECT_EQ(db.countWithStatus(CStringManager::kCurrent), 1);
    EXPECT_TRUE(scope.recorder.bugReports().empty());
}

TEST_F(TypingTask, TypingWithoutAnOpenListLeavesNoTaskAndNoString) {
    const int32_t nextId = db.nextFreeId();
    CTypingTask* task = nullptr;
    const CRString text("t", 0);
    EXPECT_EQ(CTypingTask::construct(db.undo, db.tablet, db.strings, ui, 1, 1, &text, 0, 0, task),
              kErrUnbalancedUndo);
    EXPECT_EQ(task, nullptr);
    EXPECT_EQ(db.cell(1, 1), 0);
    EXPECT_EQ(db.nextFreeId(), nextId);
    EXPECT_EQ(db.countWithStatus(CStringManager::kCurrent), 0);
    EXPECT_EQ(
        scope.recorder.bugReports(),
        (std::vector<std::string>{"CUndoStructure::addTask (unbalanced undo list bracketing)",
                                  "CTypingTask::CTypingTask (unbalanced undo list bracketing)"}));
}

TEST_F(TypingTask, SynchronizedTaskNeedsTheOpenListAndThereIsOnlyOne) {
    const CRString text("w", 0);
    CTypingTask* task = beginTyping(db, ui, kWord, kCitationForm, "w", 0, 0);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    const int32_t nextId = db.nextFreeId();

    EXPECT_EQ(task->addSynchronizedTask(db.undo, kMainTerminal, kLabel, &text), kErrUnbalancedUndo);
    EXPECT_EQ(task->synchronizedTask(), nullptr);
    EXPECT_EQ(db.cell(kMainTerminal, kLabel), 0);
    EXPECT_EQ(db.nextFreeId(), nextId);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{
                  "CUndoStructure::addTask (unbalanced undo list bracketing)",
                  "CTypingTask::CTypingTask (unbalanced undo list bracketing)",
                  "CTypingTask::addSynchronizedTask (unbalanced undo list bracketing)"}));
    scope.recorder.clear();

    ASSERT_EQ(db.undo.startTaskList(kLabelTyping), kNoErr);
    ASSERT_EQ(task->addSynchronizedTask(db.undo, kMainTerminal, kLabel, &text), kNoErr);
    CTypingTask* synchronized = task->synchronizedTask();
    EXPECT_EQ(task->addSynchronizedTask(db.undo, 7, kLabel, &text), kErrInvalidParameter);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    EXPECT_EQ(task->synchronizedTask(), synchronized);
    EXPECT_EQ(db.cell(7, kLabel), 0);
    EXPECT_EQ(scope.recorder.bugReports(),
              std::vector<std::string>{"CTypingTask::addSynchronizedTask (invalid parameter)"});
}
