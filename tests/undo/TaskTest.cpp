#include "UndoTestDoubles.h"

#include "support/TestSupport.h"
#include "undo/CDatabaseTask.h"
#include "undo/CFishSpineTask.h"
#include "undo/CStringTask.h"
#include "undo/CUserInterfaceTask.h"
#include "undo/CVariableTask.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

RErr setText(UndoDatabase& db, int32_t record, int32_t attribute, const char* text) {
    if (!text)
        return CStringTask::construct(db.undo, db.tablet, db.strings, record, attribute, nullptr);
    const CRString string(text, 0);
    return CStringTask::construct(db.undo, db.tablet, db.strings, record, attribute, &string);
}

} // namespace

using Task = UndoFixture;
using DatabaseTask = UndoFixture;
using FishSpineTask = UndoFixture;
using StringTask = UndoFixture;
using UserInterfaceTask = UndoFixture;
using VariableTask = UndoFixture;

TEST_F(DatabaseTask, InvalidCellIsRefusedWithoutATask) {
    const int64_t tasks = CRMemory::shared().live(kKindCTask);
    ASSERT_EQ(db.undo.startTaskList(kLabelChangeAttribute), kNoErr);
    EXPECT_EQ(CDatabaseTask::construct(db.undo, db.tablet, 0, 1, 5), kErrInvalidParameter);
    EXPECT_EQ(CDatabaseTask::construct(db.undo, db.tablet, 1, UndoDatabase::kAttributes + 1, 5),
              kErrInvalidParameter);
    EXPECT_EQ(CRMemory::shared().live(kKindCTask), tasks);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{"CTablet::getValue (invalid parameter)",
                                        "CDatabaseTask::CDatabaseTask (invalid parameter)",
                                        "CTablet::getValue (invalid parameter)",
                                        "CDatabaseTask::CDatabaseTask (invalid parameter)"}));
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    bool dirty = true;
    ASSERT_EQ(db.undo.isDirty(dirty), kNoErr);
    EXPECT_FALSE(dirty); // nothing was added
}

TEST_F(DatabaseTask, WithoutAnOpenListNothingIsDone) {
    const int64_t tasks = CRMemory::shared().live(kKindCTask);
    EXPECT_EQ(CDatabaseTask::construct(db.undo, db.tablet, 2, 2, 5), kErrUnbalancedUndo);
    EXPECT_EQ(db.cell(2, 2), 0);
    EXPECT_EQ(CRMemory::shared().live(kKindCTask), tasks);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{
                  "CUndoStructure::addTask (unbalanced undo list bracketing)",
                  "CDatabaseTask::CDatabaseTask (unbalanced undo list bracketing)"}));
    bool dirty = true;
    ASSERT_EQ(db.undo.isDirty(dirty), kNoErr);
    EXPECT_FALSE(dirty);
}

TEST_F(StringTask, UndoneAndRedoneRepeatedlyKeepsOneCurrentAndOneUndoneEntry) {
    ASSERT_EQ(db.command(kLabelNewTree, [&] { return setText(db, 3, 5, "old"); }), kNoErr);
    const int32_t oldId = db.cell(3, 5);
    ASSERT_EQ(db.command(kLabelChangeAttribute, [&] { return setText(db, 3, 5, "new"); }), kNoErr);
    const int32_t newId = db.cell(3, 5);
    EXPECT_NE(newId, oldId);

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(db.undo.undo(), kNoErr);
        EXPECT_EQ(db.cellText(3, 5), "old");
        EXPECT_EQ(db.status(oldId), CStringManager::kCurrent);
        EXPECT_EQ(db.status(newId), CStringManager::kUndone);
        ASSERT_EQ(db.undo.redo(), kNoErr);
        EXPECT_EQ(db.cellText(3, 5), "new");
        EXPECT_EQ(db.status(oldId), CStringManager::kUndone);
        EXPECT_EQ(db.status(newId), CStringManager::kCurrent);
        EXPECT_EQ(db.countWithStatus(CStringManager::kCurrent), 1);
        EXPECT_EQ(db.countWithStatus(CStringManager::kUndone), 1);
    }
    EXPECT_TRUE(scope.recorder.bugReports().empty());
}

TEST_F(StringTask, EmptyingACellUndoesBackToItsText) {
    ASSERT_EQ(db.command(kLabelNewFeature, [&] { return setText(db, 2, 4, "feature"); }), kNoErr);
    const int32_t id = db.cell(2, 4);

    ASSERT_EQ(db.command(kLabelDeleteFeature, [&] { return setText(db, 2, 4, nullptr); }), kNoErr);
    EXPECT_EQ(db.cell(2, 4), 0);
    EXPECT_EQ(db.status(id), CStringManager::kUndone);
    EXPECT_EQ(db.text(id), "feature");

    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cell(2, 4), id);
    EXPECT_EQ(db.status(id), CStringManager::kCurrent);
    ASSERT_EQ(db.undo.redo(), kNoErr);
    // Forgetting the history frees the emptied text: nothing can bring it back.
    ASSERT_EQ(db.undo.zeroOut(), kNoErr);
    EXPECT_EQ(db.status(id), CStringManager::kUnused);
    EXPECT_EQ(db.countWithStatus(CStringManager::kCurrent), 0);
    EXPECT_TRUE(scope.recorder.bugReports().empty());
}

TEST_F(StringTask, WithoutAnOpenListFreesItsStringAndLeavesTheCell) {
    ASSERT_EQ(db.command(kLabelNewTree, [&] { return setText(db, 1, 3, "word"); }), kNoErr);
    const int32_t id = db.cell(1, 3);
    const int32_t nextId = db.nextFreeId();
    const int64_t tasks = CRMemory::shared().live(kKindCTask);

    EXPECT_EQ(setText(db, 1, 3, "never"), kErrUnbalancedUndo);
    EXPECT_EQ(db.cell(1, 3), id);
    EXPECT_EQ(db.status(id), CStringManager::kCurrent);
    EXPECT_EQ(db.status(nextId), CStringManager::kUnused);
    EXPECT_EQ(db.nextFreeId(), nextId); // on the free list exactly once, at its head
    EXPECT_EQ(db.countWithStatus(CStringManager::kCurrent), 1);
    EXPECT_EQ(CRMemory::shared().live(kKindCTask), tasks);
    EXPECT_EQ(
        scope.recorder.bugReports(),
        (std::vector<std::string>{"CUndoStructure::addTask (unbalanced undo list bracketing)",
                                  "CStringTask::CStringTask (unbalanced undo list bracketing)"}));
}

TEST_F(StringTask, InvalidCellRegistersNothing) {
    const int32_t nextId = db.nextFreeId();
    ASSERT_EQ(db.undo.startTaskList(kLabelNewTree), kNoErr);
    EXPECT_EQ(setText(db, UndoDatabase::kRecords + 1, 1, "lost"), kErrInvalidParameter);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    EXPECT_EQ(db.nextFreeId(), nextId);
    EXPECT_EQ(db.countWithStatus(CStringManager::kCurrent), 0);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{"CTablet::getValue (invalid parameter)",
                                        "CStringTask::CStringTask (invalid parameter)"}));
}

TEST_F(FishSpineTask, AllocatesOrFreesAndTheOppositeOnUndo) {
    RecordingFishSpineOwner tree;
    ASSERT_EQ(db.undo.startTaskList(kLabelTriangle), kNoErr);
    ASSERT_EQ(CFishSpineTask::construct(db.undo, tree, 4, true), kNoErr);
    ASSERT_EQ(CFishSpineTask::construct(db.undo, tree, 6, false), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    EXPECT_EQ(tree.calls, (std::vector<std::string>{"allocate 4", "free 6"}));
    tree.calls.clear();
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(tree.calls, (std::vector<std::string>{"allocate 6", "free 4"}));
    tree.calls.clear();
    ASSERT_EQ(db.undo.redo(), kNoErr);
    EXPECT_EQ(tree.calls, (std::vector<std::string>{"allocate 4", "free 6"}));
    EXPECT_TRUE(scope.recorder.bugReports().empty());
}

TEST_F(FishSpineTask, FailingTaskReportsItselfAndTheRestOfTheListStillRuns) {
    RecordingFishSpineOwner tree;
    ASSERT_EQ(db.undo.startTaskList(kLabelDeleteNode), kNoErr);
    ASSERT_EQ(CDatabaseTask::construct(db.undo, db.tablet, 1, 1, 10), kNoErr);
    ASSERT_EQ(CFishSpineTask::construct(db.undo, tree, 7, false), kNoErr);
    ASSERT_EQ(CDatabaseTask::construct(db.undo, db.tablet, 2, 1, 20), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);

    tree.failingNodes.insert(7);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cell(1, 1), 0);
    EXPECT_EQ(db.cell(2, 1), 0);
    ASSERT_EQ(db.undo.redo(), kNoErr);
    EXPECT_EQ(db.cell(1, 1), 10);
    EXPECT_EQ(db.cell(2, 1), 20);
    EXPECT_EQ(tree.calls, (std::vector<std::string>{"free 7", "allocate 7", "free 7"}));
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{"CFishSpineTask::undoSelf (malloc failed)",
                                        "CFishSpineTask::doSelf (invalid parameter)"}));

    // A failure while the task is first done is reported and returned; the task stays listed.
    scope.recorder.clear();
    ASSERT_EQ(db.undo.startTaskList(kLabelTriangle), kNoErr);
    EXPECT_EQ(CFishSpineTask::construct(db.undo, tree, 7, true), kErrMallocFailed);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{"CFishSpineTask::doSelf (malloc failed)",
                                        "CFishSpineTask::CFishSpineTask (malloc failed)"}));
}

TEST_F(VariableTask, SetsTheVariableAndBringsBackItsOwnCopyOfTheOldText) {
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
    EXPECT_EQ(variable.value.str(), "after");
    EXPECT_EQ(variable.assignments, 3);
}

TEST_F(UserInterfaceTask, FirstAndLastRefreshRunAfterTheDataInBothDirections) {
    using Refresh = RecordingUserInterface::Refresh;
    ASSERT_EQ(db.undo.startTaskList(kLabelDrawingPreferences), kNoErr);
    ASSERT_EQ(CUserInterfaceTask::construct(db.undo, ui, 3, 10, 12), kNoErr);
    ASSERT_EQ(CDatabaseTask::construct(db.undo, db.tablet, 1, 8, 12), kNoErr);
    ASSERT_EQ(CUserInterfaceTask::construct(db.undo, ui, 4, 10, 12), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    EXPECT_EQ(ui.refreshes, (std::vector<Refresh>{{3, 12}, {4, 12}}));

    ui.refreshes.clear();
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(ui.refreshes, (std::vector<Refresh>{{4, 10}, {3, 10}}));
    EXPECT_EQ(db.cell(1, 8), 0);

    ui.refreshes.clear();
    ASSERT_EQ(db.undo.redo(), kNoErr);
    EXPECT_EQ(ui.refreshes, (std::vector<Refresh>{{3, 12}, {4, 12}}));
    EXPECT_TRUE(scope.recorder.bugReports().empty());

    ui.failingCodes.insert(4);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cell(1, 8), 0);
    EXPECT_EQ(scope.recorder.bugReports(),
              std::vector<std::string>{"CUserInterfaceTask::undoSelf (general error)"});
}

TEST_F(Task, SummariesDescribeEachKind) {
    RecordingFishSpineOwner tree;
    FakeVariable variable("x");
    ASSERT_EQ(db.undo.startTaskList(kLabelMenu), kNoErr);
    ASSERT_EQ(CFishSpineTask::construct(db.undo, tree, 3, true), kNoErr);
    ASSERT_EQ(CVariableTask::construct(db.undo, variable, CRString("y", 0)), kNoErr);
    ASSERT_EQ(CUserInterfaceTask::construct(db.undo, ui, 5, 1, 2), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_EQ(db.undo.undo(), kNoErr);

    testing::internal::CaptureStdout();
    db.undo.printSummary();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Undo history: 1 steps, 0 done.\n"
              "\tTask list 20 \"Menu\" with 3 tasks:\n"
              "\t\tAllocate the fish spine of record 3.\n"
              "\t\tSet a variable from \"x\" to \"y\" (undone).\n"
              "\t\tTell the user interface 5 from 1 to 2.\n");
}
