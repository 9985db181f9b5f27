#include "UndoTestDoubles.h"
#include "undo/CFishSpineTask.h"
#include "undo/CTypingTask.h"
#include "undo/CUserInterfaceTask.h"
#include "undo/CVariableTask.h"

namespace {

using Notice = RecordingUserInterface::TypingNotice;
using Notices = std::vector<Notice>;
using Calls = std::vector<std::string>;
using S = CStringManager;
const std::string kUnbalanced = " (unbalanced undo list bracketing)";
const std::string kAddTask = "CUndoStructure::addTask" + kUnbalanced;

constexpr int32_t kWord = 2;
constexpr int32_t kCitationForm = 3;
constexpr int32_t kMainTerminal = 5;
constexpr int32_t kLabel = 5;

class Task : public UndoFixture {
protected:
    // The first keystroke in a field (nullptr: the field emptied), in a list left open.
    CTypingTask* beginTyping(int32_t record, int32_t attribute, const char* text, int32_t start,
                             int32_t end) {
        CTypingTask* task = nullptr;
        const CRString string(text ? text : "", 0);
        EXPECT_EQ(db.undo.startTaskList(kLabelTyping), kNoErr);
        EXPECT_EQ(CTypingTask::construct(db.undo, db.tablet, db.strings, ui, record, attribute,
                                         text ? &string : nullptr, start, end, task),
                  kNoErr);
        return task;
    }
    void setText(int32_t record, int32_t attribute, const char* text) {
        ASSERT_EQ(db.command(kLabelNewTree, [&] { return db.setText(record, attribute, text); }),
                  kNoErr);
    }
};

} // namespace

TEST_F(Task, TasksOutsideAnOpenListOrOnAnInvalidCellLeaveNoTaskAndNoString) {
    setText(1, 3, "word");
    ASSERT_EQ(db.undo.resetDirty(), kNoErr);
    const int32_t id = db.cell(1, 3);
    const int32_t nextId = db.nextFreeId();
    const int64_t tasks = CRMemory::shared().live(kKindCTask);
    CTypingTask* typing = nullptr;
    const CRString text("t", 0);
    EXPECT_EQ(db.setCell(2, 2, 5), kErrUnbalancedUndo);
    EXPECT_EQ(db.setText(1, 3, "never"), kErrUnbalancedUndo);
    EXPECT_EQ(CTypingTask::construct(db.undo, db.tablet, db.strings, ui, 1, 1, &text, 0, 0, typing),
              kErrUnbalancedUndo);
    EXPECT_EQ(typing, nullptr);
    ASSERT_EQ(db.undo.startTaskList(kLabelChangeAttribute), kNoErr);
    EXPECT_EQ(db.setCell(0, 1, 5), kErrInvalidParameter);
    EXPECT_EQ(db.setCell(1, UndoDatabase::kAttributes + 1, 5), kErrInvalidParameter);
    EXPECT_EQ(db.setText(UndoDatabase::kRecords + 1, 1, "lost"), kErrInvalidParameter);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    EXPECT_EQ(std::make_tuple(db.cell(2, 2), db.cell(1, 3), db.cell(1, 1)),
              std::make_tuple(0, id, 0));
    EXPECT_EQ(db.status(id), S::kCurrent);
    EXPECT_EQ(db.status(nextId), S::kUnused);
    EXPECT_EQ(db.nextFreeId(), nextId); // on the free list exactly once, at its head
    EXPECT_EQ(db.countWithStatus(S::kCurrent), 1);
    EXPECT_EQ(CRMemory::shared().live(kKindCTask), tasks);
    const std::string invalid = " (invalid parameter)";
    EXPECT_EQ(reports(),
              (Reports{kAddTask, "CDatabaseTask::CDatabaseTask" + kUnbalanced, kAddTask,
                       "CStringTask::CStringTask" + kUnbalanced, kAddTask,
                       "CTypingTask::CTypingTask" + kUnbalanced, "CTablet::getValue" + invalid,
                       "CDatabaseTask::CDatabaseTask" + invalid, "CTablet::getValue" + invalid,
                       "CDatabaseTask::CDatabaseTask" + invalid, "CTablet::getValue" + invalid,
                       "CStringTask::CStringTask" + invalid}));
    // The empty command is a step, but nothing in it changed the document.
    EXPECT_EQ(db.undoMenu(), "Undo Change Attribute");
    bool dirty = true;
    ASSERT_EQ(db.undo.isDirty(dirty), kNoErr);
    EXPECT_FALSE(dirty);
}

TEST_F(Task, StringTasksKeepOneCurrentAndOneUndoneEntryAndEmptyingUndoesToTheText) {
    setText(3, 5, "old");
    const int32_t oldId = db.cell(3, 5);
    setText(3, 5, "new");
    const int32_t newId = db.cell(3, 5);
    EXPECT_NE(newId, oldId);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(db.undo.undo(), kNoErr);
        EXPECT_EQ(db.cellText(3, 5), "old");
        EXPECT_EQ(std::make_pair(db.status(oldId), db.status(newId)),
                  std::make_pair(S::kCurrent, S::kUndone));
        ASSERT_EQ(db.undo.redo(), kNoErr);
        EXPECT_EQ(db.cellText(3, 5), "new");
        EXPECT_EQ(std::make_pair(db.status(oldId), db.status(newId)),
                  std::make_pair(S::kUndone, S::kCurrent));
        EXPECT_EQ(db.countWithStatus(S::kCurrent), 1);
        EXPECT_EQ(db.countWithStatus(S::kUndone), 1);
    }

    setText(3, 5, nullptr);
    EXPECT_EQ(db.cell(3, 5), 0);
    EXPECT_EQ(db.status(newId), S::kUndone);
    EXPECT_EQ(db.text(newId), "new");
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cell(3, 5), newId);
    EXPECT_EQ(db.status(newId), S::kCurrent);
    ASSERT_EQ(db.undo.redo(), kNoErr);
    // Forgetting the history frees the emptied text: nothing can bring it back.
    ASSERT_EQ(db.undo.zeroOut(), kNoErr);
    EXPECT_EQ(db.status(newId), S::kUnused);
    EXPECT_EQ(db.countWithStatus(S::kCurrent), 0);
    EXPECT_TRUE(reports().empty());
}

TEST_F(Task, FishSpineVariableAndWindowTasksRunBothWaysAndAFailureSparesTheRest) {
    RecordingFishSpineOwner tree;
    ASSERT_EQ(db.command(kLabelTriangle,
                         [&] {
                             const RErr err = CFishSpineTask::construct(db.undo, tree, 4, true);
                             return err ? err : CFishSpineTask::construct(db.undo, tree, 6, false);
                         }),
              kNoErr);
    EXPECT_EQ(tree.calls, (Calls{"allocate 4", "free 6"}));
    ASSERT_EQ(db.undo.undo(), kNoErr);
    ASSERT_EQ(db.undo.redo(), kNoErr);
    EXPECT_EQ(tree.calls,
              (Calls{"allocate 4", "free 6", "allocate 6", "free 4", "allocate 4", "free 6"}));

    // The first and last window refresh run after the data, in both directions.
    using Refresh = RecordingUserInterface::Refresh;
    ASSERT_EQ(db.command(kLabelDrawingPreferences,
                         [&] {
                             RErr err = CUserInterfaceTask::construct(db.undo, ui, 3, 10, 12);
                             err = err ? err : db.setCell(1, 8, 12);
                             return err ? err
                                        : CUserInterfaceTask::construct(db.undo, ui, 4, 10, 12);
                         }),
              kNoErr);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cell(1, 8), 0);
    ASSERT_EQ(db.undo.redo(), kNoErr);
    EXPECT_EQ(ui.refreshes,
              (std::vector<Refresh>{{3, 12}, {4, 12}, {4, 10}, {3, 10}, {3, 12}, {4, 12}}));
    ui.failingCodes.insert(4);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cell(1, 8), 0);
    EXPECT_EQ(reports(), (Reports{"CUserInterfaceTask::undoSelf (general error)"}));
    scope.recorder.clear();

    // A variable gets back its own copy of the old text, whatever changed it meanwhile.
    FakeVariable variable("before");
    CRString newText("after", 0);
    ASSERT_EQ(db.command(kLabelMenu,
                         [&] { return CVariableTask::construct(db.undo, variable, newText); }),
              kNoErr);
    EXPECT_EQ(variable.value.str(), "after");
    newText.setStringValue("changed by the caller");
    variable.value.setStringValue("changed by the script");
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(variable.value.str(), "before");
    ASSERT_EQ(db.undo.redo(), kNoErr);
    EXPECT_EQ(variable.value.str(), "after");
    EXPECT_EQ(variable.assignments, 3);
    EXPECT_EQ(CVariableTask::construct(db.undo, variable, newText), kErrUnbalancedUndo);
    EXPECT_EQ(variable.assignments, 3);
    EXPECT_EQ(reports(), (Reports{kAddTask, "CVariableTask::CVariableTask" + kUnbalanced}));
    scope.recorder.clear();
    ASSERT_EQ(db.undo.zeroOut(), kNoErr);

    // A failing task reports itself and the rest of its list still runs.
    tree.calls.clear();
    ASSERT_EQ(db.command(kLabelDeleteNode,
                         [&] {
                             RErr err = db.setCell(1, 1, 10);
                             err = err ? err : CFishSpineTask::construct(db.undo, tree, 7, false);
                             return err ? err : db.setCell(2, 1, 20);
                         }),
              kNoErr);
    tree.failingNodes.insert(7);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(std::make_pair(db.cell(1, 1), db.cell(2, 1)), std::make_pair(0, 0));
    ASSERT_EQ(db.undo.redo(), kNoErr);
    EXPECT_EQ(std::make_pair(db.cell(1, 1), db.cell(2, 1)), std::make_pair(10, 20));
    EXPECT_EQ(tree.calls, (Calls{"free 7", "allocate 7", "free 7"}));
    EXPECT_EQ(reports(), (Reports{"CFishSpineTask::undoSelf (malloc failed)",
                                  "CFishSpineTask::doSelf (invalid parameter)"}));
    // A failure while the task is first done is reported and returned; the task stays listed.
    scope.recorder.clear();
    ASSERT_EQ(db.undo.startTaskList(kLabelTriangle), kNoErr);
    EXPECT_EQ(CFishSpineTask::construct(db.undo, tree, 7, true), kErrMallocFailed);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    EXPECT_EQ(reports(), (Reports{"CFishSpineTask::doSelf (malloc failed)",
                                  "CFishSpineTask::CFishSpineTask (malloc failed)"}));
}

TEST_F(Task, CitationFormTypingIsOneStepThatRestoresBothCellsAndTheSelection) {
    setText(kWord, kCitationForm, "dog");
    setText(kMainTerminal, kLabel, "dog");
    const int32_t oldCitation = db.cell(kWord, kCitationForm);
    const int32_t oldLabel = db.cell(kMainTerminal, kLabel);

    // "dog" selected from 0 to 3 and replaced by the first keystroke.
    CTypingTask* task = beginTyping(kWord, kCitationForm, "a", 0, 3);
    ASSERT_NE(task, nullptr);
    const CRString first("a", 0);
    ASSERT_EQ(task->addSynchronizedTask(db.undo, kMainTerminal, kLabel, &first), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_NE(task->synchronizedTask(), nullptr);
    EXPECT_TRUE(ui.notices.empty()); // the field already shows what was typed
    const int32_t newCitation = db.cell(kWord, kCitationForm);
    const int32_t newLabel = db.cell(kMainTerminal, kLabel);
    EXPECT_EQ(std::make_pair(db.text(newCitation), db.text(newLabel)),
              std::make_pair(std::string("a"), std::string("a")));

    ASSERT_EQ(db.undo.resetDirty(), kNoErr); // amending after a save makes it dirty again
    ASSERT_EQ(task->amendNewValue(CRString("ab", 0)), kNoErr);
    ASSERT_EQ(task->amendNewValue(CRString("abc", 0)), kNoErr);
    EXPECT_EQ(ui.notices, (Notices{{kWord, kCitationForm, "ab", 0, 0},
                                   {kMainTerminal, kLabel, "ab", 0, 0},
                                   {kWord, kCitationForm, "abc", 0, 0},
                                   {kMainTerminal, kLabel, "abc", 0, 0}}));
    // Amended in place: same IDs, new texts, and still one step.
    EXPECT_EQ(std::make_pair(db.cell(kWord, kCitationForm), db.cell(kMainTerminal, kLabel)),
              std::make_pair(newCitation, newLabel));
    EXPECT_EQ(std::make_pair(db.text(newCitation), db.text(newLabel)),
              std::make_pair(std::string("abc"), std::string("abc")));
    EXPECT_EQ(db.undo.stepCount(), 3u);
    expectState({"Undo Typing", "", true, {}});

    ui.notices.clear();
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(std::make_pair(db.cell(kWord, kCitationForm), db.cell(kMainTerminal, kLabel)),
              std::make_pair(oldCitation, oldLabel));
    EXPECT_EQ(db.cellText(kWord, kCitationForm), "dog");
    // The label first, then the field itself with the caret as it was before typing.
    EXPECT_EQ(ui.notices,
              (Notices{{kMainTerminal, kLabel, "dog", 0, 0}, {kWord, kCitationForm, "dog", 0, 3}}));
    expectState({"Undo New Tree", "Redo Typing", true, {}});
    ui.notices.clear();
    ASSERT_EQ(db.undo.redo(), kNoErr);
    EXPECT_EQ(ui.notices,
              (Notices{{kWord, kCitationForm, "abc", 0, 0}, {kMainTerminal, kLabel, "abc", 0, 0}}));
    EXPECT_EQ(std::make_tuple(db.status(oldCitation), db.status(oldLabel), db.status(newCitation),
                              db.status(newLabel)),
              std::make_tuple(S::kUndone, S::kUndone, S::kCurrent, S::kCurrent));
    EXPECT_EQ(db.countWithStatus(S::kCurrent), 2);

    // The synchronized task needs the open list, and there is only one.
    task = beginTyping(kWord, kCitationForm, "w", 0, 0);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    const int32_t nextId = db.nextFreeId();
    EXPECT_EQ(task->addSynchronizedTask(db.undo, kMainTerminal, kLabel, &first),
              kErrUnbalancedUndo);
    EXPECT_EQ(task->synchronizedTask(), nullptr);
    EXPECT_EQ(db.cellText(kMainTerminal, kLabel), "abc");
    EXPECT_EQ(db.nextFreeId(), nextId);
    ASSERT_EQ(db.undo.startTaskList(kLabelTyping), kNoErr);
    ASSERT_EQ(task->addSynchronizedTask(db.undo, kMainTerminal, kLabel, &first), kNoErr);
    CTypingTask* synchronized = task->synchronizedTask();
    EXPECT_EQ(task->addSynchronizedTask(db.undo, 7, kLabel, &first), kErrInvalidParameter);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    EXPECT_EQ(task->synchronizedTask(), synchronized);
    EXPECT_EQ(db.cell(7, kLabel), 0);
    EXPECT_EQ(reports(), (Reports{kAddTask, "CTypingTask::CTypingTask" + kUnbalanced,
                                  "CTypingTask::addSynchronizedTask" + kUnbalanced,
                                  "CTypingTask::addSynchronizedTask (invalid parameter)"}));
}

TEST_F(Task, EmptyFieldRunsUndoToNoTextAndRegisterTheirTextOnTheFirstAmendment) {
    CTypingTask* task = beginTyping(4, 2, "x", 0, 0);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->oldStringID(), 0);
    EXPECT_TRUE(task->done());
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_FALSE(task->done());
    EXPECT_EQ(db.cell(4, 2), 0);
    EXPECT_EQ(ui.notices, (Notices{{4, 2, std::nullopt, 0, 0}}));

    // A run that began by emptying the field.
    setText(6, 1, "gone");
    const int32_t oldId = db.cell(6, 1);
    task = beginTyping(6, 1, nullptr, 0, 4);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->newStringID(), 0);
    EXPECT_EQ(db.cell(6, 1), 0);
    EXPECT_EQ(db.status(oldId), S::kUndone);
    ASSERT_EQ(task->amendNewValue(CRString("n", 0)), kNoErr);
    const int32_t newId = task->newStringID();
    ASSERT_NE(newId, 0);
    EXPECT_EQ(db.cell(6, 1), newId);
    EXPECT_EQ(db.text(newId), "n");
    EXPECT_EQ(db.status(newId), S::kCurrent);
    ASSERT_EQ(task->amendNewValue(CRString("ne", 0)), kNoErr);
    EXPECT_EQ(task->newStringID(), newId);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cell(6, 1), oldId);
    EXPECT_EQ(ui.notices.back(), (Notice{6, 1, "gone", 0, 4}));
    // Discarding the undone run frees the text it registered on amendment.
    ASSERT_EQ(db.undo.killLastTaskList(), kNoErr);
    EXPECT_EQ(db.status(newId), S::kUnused);
    EXPECT_EQ(db.status(oldId), S::kCurrent);
    EXPECT_EQ(db.countWithStatus(S::kCurrent), 1);
    EXPECT_TRUE(reports().empty());
}
