#include "UndoTestDoubles.h"

#include "support/TestSupport.h"
#include "undo/CDatabaseTask.h"
#include "undo/CStringTask.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Cell {
    int32_t record;
    int32_t attribute;
    int32_t value;
};

struct Expected {
    bool canUndo;
    bool canRedo;
    std::string undoMenu; // "Undo " and the label's text, or "" when Undo is not offered
    std::string redoMenu;
    bool dirty;
    std::vector<Cell> cells;
};

// The whole observable state of an idle history, as the Edit menu and the document see it;
// none of these queries may report anything.
void checkState(const UndoDatabase& db, const RecordingPlatformScope& scope,
                const Expected& expected) {
    bool undoable = false;
    bool redoable = false;
    bool dirty = false;
    EXPECT_EQ(db.undo.canUndo(undoable), kNoErr);
    EXPECT_EQ(db.undo.canRedo(redoable), kNoErr);
    EXPECT_EQ(db.undo.isDirty(dirty), kNoErr);
    EXPECT_EQ(undoable, expected.canUndo);
    EXPECT_EQ(redoable, expected.canRedo);
    EXPECT_EQ(db.undoMenu(), expected.undoMenu);
    EXPECT_EQ(db.redoMenu(), expected.redoMenu);
    EXPECT_EQ(dirty, expected.dirty);
    for (const Cell& cell : expected.cells)
        EXPECT_EQ(db.cell(cell.record, cell.attribute), cell.value)
            << "record " << cell.record << " attribute " << cell.attribute;
    EXPECT_TRUE(scope.recorder.bugReports().empty());
}

RErr setCell(UndoDatabase& db, int32_t record, int32_t attribute, int32_t value) {
    return CDatabaseTask::construct(db.undo, db.tablet, record, attribute, value);
}

RErr setText(UndoDatabase& db, int32_t record, int32_t attribute, const char* text) {
    const CRString string(text, 0);
    return CStringTask::construct(db.undo, db.tablet, db.strings, record, attribute, &string);
}

} // namespace

using UndoStructure = UndoFixture;

TEST_F(UndoStructure, CommandIsOneStepUndoneAndRedoneUnderItsLabel) {
    ASSERT_EQ(db.tablet.setValue(2, 3, 7), kNoErr);
    checkState(db, scope, {false, false, "", "", false, {{2, 3, 7}, {4, 1, 0}}});

    ASSERT_EQ(db.undo.startTaskList(kLabelCreateDaughter), kNoErr);
    ASSERT_EQ(setCell(db, 2, 3, 70), kNoErr);
    ASSERT_EQ(setCell(db, 4, 1, 41), kNoErr);
    EXPECT_EQ(db.cell(2, 3), 70); // done at once, before the list is closed
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    EXPECT_EQ(db.undo.stepCount(), 1u);
    checkState(db, scope,
               {true, false, "Undo Create Daughter", "", true, {{2, 3, 70}, {4, 1, 41}}});

    ASSERT_EQ(db.undo.undo(), kNoErr);
    checkState(db, scope, {false, true, "", "Redo Create Daughter", true, {{2, 3, 7}, {4, 1, 0}}});

    ASSERT_EQ(db.undo.redo(), kNoErr);
    checkState(db, scope,
               {true, false, "Undo Create Daughter", "", true, {{2, 3, 70}, {4, 1, 41}}});

    // A second command on the same cells stacks on the first; undo walks back one at a time.
    ASSERT_EQ(db.command(kLabelChangeColor, [&] { return setCell(db, 2, 3, 700); }), kNoErr);
    checkState(db, scope, {true, false, "Undo Change Color", "", true, {{2, 3, 700}, {4, 1, 41}}});
    ASSERT_EQ(db.undo.undo(), kNoErr);
    checkState(db, scope,
               {true, true, "Undo Create Daughter", "Redo Change Color", true, {{2, 3, 70}}});
    ASSERT_EQ(db.undo.undo(), kNoErr);
    checkState(db, scope, {false, true, "", "Redo Create Daughter", true, {{2, 3, 7}, {4, 1, 0}}});
    ASSERT_EQ(db.undo.redo(), kNoErr);
    ASSERT_EQ(db.undo.redo(), kNoErr);
    checkState(db, scope, {true, false, "Undo Change Color", "", true, {{2, 3, 700}, {4, 1, 41}}});
}

TEST_F(UndoStructure, TasksOfOneListUndoLastFirstSoARepeatedCellComesBackToItsFirstValue) {
    ASSERT_EQ(db.undo.startTaskList(kLabelDrag), kNoErr);
    ASSERT_EQ(setCell(db, 1, 1, 10), kNoErr);
    ASSERT_EQ(setCell(db, 1, 1, 20), kNoErr);
    ASSERT_EQ(setCell(db, 1, 1, 30), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    checkState(db, scope, {false, true, "", "Redo Drag", true, {{1, 1, 0}}});
    ASSERT_EQ(db.undo.redo(), kNoErr);
    checkState(db, scope, {true, false, "Undo Drag", "", true, {{1, 1, 30}}});
}

TEST_F(UndoStructure, NewCommandAfterUndoDiscardsRedoAndFreesStringsOnlyItCouldRestore) {
    ASSERT_EQ(db.command(kLabelNewTree, [&] { return setText(db, 1, 2, "first"); }), kNoErr);
    ASSERT_EQ(db.command(kLabelChangeAttribute, [&] { return setText(db, 1, 2, "second"); }),
              kNoErr);
    ASSERT_EQ(db.command(kLabelChangeAttribute, [&] { return setText(db, 1, 2, "third"); }),
              kNoErr);
    EXPECT_EQ(db.cell(1, 2), 3);
    EXPECT_EQ(db.status(1), CStringManager::kUndone);
    EXPECT_EQ(db.status(2), CStringManager::kUndone);
    EXPECT_EQ(db.status(3), CStringManager::kCurrent);

    ASSERT_EQ(db.undo.undo(), kNoErr);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cellText(1, 2), "first");
    EXPECT_EQ(db.status(1), CStringManager::kCurrent);
    EXPECT_EQ(db.status(2), CStringManager::kUndone);
    EXPECT_EQ(db.status(3), CStringManager::kUndone);

    // The new command discards both undone steps, the farthest first: their new strings can
    // never come back, so they are freed and reused, 2 first since it was freed last.
    ASSERT_EQ(db.command(kLabelDeleteNode, [&] { return setCell(db, 5, 5, 1); }), kNoErr);
    checkState(db, scope, {true, false, "Undo Delete Node", "", true, {{1, 2, 1}, {5, 5, 1}}});
    EXPECT_EQ(db.undo.stepCount(), 2u);
    EXPECT_EQ(db.status(1), CStringManager::kCurrent);
    EXPECT_EQ(db.status(2), CStringManager::kUnused);
    EXPECT_EQ(db.status(3), CStringManager::kUnused);
    EXPECT_EQ(db.text(2), "<none>");
    int32_t id = 0;
    ASSERT_EQ(db.strings.registerString(CRString("reused", 0), id), kNoErr);
    EXPECT_EQ(id, 2);
    ASSERT_EQ(db.strings.registerString(CRString("reused", 0), id), kNoErr);
    EXPECT_EQ(id, 3);
}

TEST_F(UndoStructure, BracketingErrorsAreReportedAndChangeNothing) {
    const std::string unbalanced = " (unbalanced undo list bracketing)";

    EXPECT_EQ(db.undo.finishTaskList(), kErrUnbalancedUndo);
    EXPECT_EQ(db.undo.undo(), kErrCantUndoRedo);
    EXPECT_EQ(db.undo.redo(), kErrCantUndoRedo);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{"CUndoStructure::finishTaskList" + unbalanced,
                                        "CUndoStructure::undo (cant undo or redo)",
                                        "CUndoStructure::redo (cant undo or redo)"}));
    scope.recorder.clear();

    ASSERT_EQ(db.undo.startTaskList(kLabelCreateSister), kNoErr);
    ASSERT_EQ(setCell(db, 3, 3, 33), kNoErr);
    EXPECT_TRUE(db.undo.isComposing());
    EXPECT_EQ(db.undo.startTaskList(kLabelScissors), kErrUnbalancedUndo);

    bool flag = true;
    int32_t label = -1;
    EXPECT_EQ(db.undo.undo(), kErrUnbalancedUndo);
    EXPECT_EQ(db.undo.redo(), kErrUnbalancedUndo);
    EXPECT_EQ(db.undo.canUndo(flag), kErrUnbalancedUndo);
    EXPECT_FALSE(flag);
    flag = true;
    EXPECT_EQ(db.undo.canRedo(flag), kErrUnbalancedUndo);
    EXPECT_FALSE(flag);
    EXPECT_EQ(db.undo.currentUndoLabel(label), kErrUnbalancedUndo);
    EXPECT_EQ(label, 0);
    label = -1;
    EXPECT_EQ(db.undo.currentRedoLabel(label), kErrUnbalancedUndo);
    EXPECT_EQ(label, 0);
    EXPECT_EQ(db.undo.zeroOut(), kErrUnbalancedUndo);
    EXPECT_EQ(db.undo.killLastTaskList(), kErrUnbalancedUndo);
    // The flag is still given and cleared while composing; only the bracketing is reported.
    flag = false;
    EXPECT_EQ(db.undo.isDirty(flag), kErrUnbalancedUndo);
    EXPECT_TRUE(flag);
    EXPECT_EQ(db.undo.resetDirty(), kErrUnbalancedUndo);
    EXPECT_EQ(db.undo.isDirty(flag), kErrUnbalancedUndo);
    EXPECT_FALSE(flag);
    EXPECT_EQ(
        scope.recorder.bugReports(),
        (std::vector<std::string>{
            "CUndoStructure::startTaskList" + unbalanced, "CUndoStructure::undo" + unbalanced,
            "CUndoStructure::redo" + unbalanced, "CUndoStructure::canUndo" + unbalanced,
            "CUndoStructure::canRedo" + unbalanced, "CUndoStructure::currentUndoLabel" + unbalanced,
            "CUndoStructure::currentUndoLabel" + unbalanced, "CUndoStructure::zeroOut" + unbalanced,
            "CUndoStructure::killLastTaskList" + unbalanced, "CUndoStructure::isDirty" + unbalanced,
            "CUndoStructure::resetDirty" + unbalanced, "CUndoStructure::isDirty" + unbalanced}));
    scope.recorder.clear();

    // The open list kept its label and its task through all of that.
    EXPECT_TRUE(db.undo.isComposing());
    ASSERT_EQ(setCell(db, 3, 4, 34), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    checkState(db, scope, {true, false, "Undo Create Sister", "", true, {{3, 3, 33}, {3, 4, 34}}});
    ASSERT_EQ(db.undo.undo(), kNoErr);
    checkState(db, scope, {false, true, "", "Redo Create Sister", true, {{3, 3, 0}, {3, 4, 0}}});
}

TEST_F(UndoStructure, CommandWithoutChangesIsStillAStep) {
    ASSERT_EQ(db.undo.startTaskList(kLabelMagnifyingGlass), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    checkState(db, scope, {true, false, "Undo Magnifying Glass", "", false, {}});
    ASSERT_EQ(db.undo.undo(), kNoErr);
    checkState(db, scope, {false, true, "", "Redo Magnifying Glass", true, {}});
    ASSERT_EQ(db.undo.redo(), kNoErr);
    checkState(db, scope, {true, false, "Undo Magnifying Glass", "", true, {}});
}

TEST_F(UndoStructure, WithdrawnCommandRestoresCellsAndLeavesTheHistory) {
    ASSERT_EQ(db.command(kLabelNewTree, [&] { return setCell(db, 1, 1, 11); }), kNoErr);

    // A drop the script refuses after it has made its changes.
    ASSERT_EQ(db.undo.startTaskList(kLabelDrag), kNoErr);
    ASSERT_EQ(setCell(db, 1, 1, 99), kNoErr);
    ASSERT_EQ(setText(db, 6, 6, "dropped"), kNoErr);
    const int32_t droppedId = db.cell(6, 6);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    ASSERT_EQ(db.undo.killLastTaskList(), kNoErr);

    checkState(db, scope, {true, false, "Undo New Tree", "", true, {{1, 1, 11}, {6, 6, 0}}});
    EXPECT_EQ(db.undo.stepCount(), 1u);
    EXPECT_EQ(db.status(droppedId), CStringManager::kUnused);
    // Killing with nothing to discard is harmless.
    ASSERT_EQ(db.undo.killLastTaskList(), kNoErr);
    checkState(db, scope, {true, false, "Undo New Tree", "", true, {{1, 1, 11}}});
}

TEST_F(UndoStructure, DirtyFlagIsSetByChangesUndoAndRedoAndClearedOnlyOnRequest) {
    bool dirty = true;
    ASSERT_EQ(db.undo.isDirty(dirty), kNoErr);
    EXPECT_FALSE(dirty);

    ASSERT_EQ(db.undo.startTaskList(kLabelChangeCategory), kNoErr);
    ASSERT_EQ(db.undo.isDirty(dirty), kErrUnbalancedUndo);
    EXPECT_FALSE(dirty); // opening a list changes nothing yet
    ASSERT_EQ(setCell(db, 2, 2, 5), kNoErr);
    ASSERT_EQ(db.undo.isDirty(dirty), kErrUnbalancedUndo);
    EXPECT_TRUE(dirty);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    scope.recorder.clear();

    // Saved: clean. Undoing back to the saved state still leaves it dirty.
    ASSERT_EQ(db.undo.resetDirty(), kNoErr);
    checkState(db, scope, {true, false, "Undo Change Category", "", false, {{2, 2, 5}}});
    ASSERT_EQ(db.undo.undo(), kNoErr);
    checkState(db, scope, {false, true, "", "Redo Change Category", true, {{2, 2, 0}}});
    ASSERT_EQ(db.undo.resetDirty(), kNoErr);
    ASSERT_EQ(db.undo.redo(), kNoErr);
    checkState(db, scope, {true, false, "Undo Change Category", "", true, {{2, 2, 5}}});
    ASSERT_EQ(db.undo.undo(), kNoErr);
    checkState(db, scope, {false, true, "", "Redo Change Category", true, {{2, 2, 0}}});

    // A failed undo changes nothing, the flag included.
    ASSERT_EQ(db.undo.resetDirty(), kNoErr);
    EXPECT_EQ(db.undo.undo(), kErrCantUndoRedo);
    ASSERT_EQ(db.undo.isDirty(dirty), kNoErr);
    EXPECT_FALSE(dirty);
    scope.recorder.clear();

    ASSERT_EQ(db.undo.redo(), kNoErr);
    ASSERT_EQ(db.undo.zeroOut(), kNoErr);
    checkState(db, scope, {false, false, "", "", false, {{2, 2, 5}}});
    EXPECT_EQ(db.undo.stepCount(), 0u);
}

TEST_F(UndoStructure, ZeroOutForgetsTheHistoryAndFreesWhatOnlyItHeld) {
    ASSERT_EQ(db.command(kLabelNewDatabase, [&] { return setText(db, 1, 1, "kept"); }), kNoErr);
    ASSERT_EQ(db.command(kLabelTyping, [&] { return setText(db, 1, 1, "replacement"); }), kNoErr);
    ASSERT_EQ(db.command(kLabelTyping, [&] { return setText(db, 2, 1, "undone"); }), kNoErr);
    ASSERT_EQ(db.undo.undo(), kNoErr);

    ASSERT_EQ(db.undo.zeroOut(), kNoErr);
    checkState(db, scope, {false, false, "", "", false, {{2, 1, 0}}});
    // Only the text a cell holds survives: "kept" was replaced, "undone" was never kept.
    EXPECT_EQ(db.cellText(1, 1), "replacement");
    EXPECT_EQ(db.countWithStatus(CStringManager::kCurrent), 1);
    EXPECT_EQ(db.countWithStatus(CStringManager::kUndone), 0);
    EXPECT_EQ(db.countWithStatus(CStringManager::kUnused), 2);
}

TEST(CUndoStructure, ObjectCountersBalanceOnceTheHistoryIsGone) {
    RecordingPlatformScope scope;
    const CRMemory& memory = CRMemory::shared();
    const int64_t tasks = memory.live(kKindCTask);
    const int64_t lists = memory.live(kKindCTaskList);
    const int64_t structures = memory.live(kKindCUndoStructure);
    {
        UndoDatabase db;
        EXPECT_EQ(memory.live(kKindCUndoStructure), structures + 1);
        ASSERT_EQ(db.undo.startTaskList(kLabelCreateMother), kNoErr);
        ASSERT_EQ(setCell(db, 1, 1, 1), kNoErr);
        ASSERT_EQ(setText(db, 1, 2, "mother"), kNoErr);
        ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
        ASSERT_EQ(db.undo.startTaskList(kLabelCreateMother), kNoErr);
        ASSERT_EQ(setCell(db, 1, 1, 2), kNoErr);
        EXPECT_EQ(memory.live(kKindCTask), tasks + 3);
        EXPECT_EQ(memory.live(kKindCTaskList), lists + 2); // the open one counts too
        // Destroyed while a list is still open: its tasks go with it.
    }
    EXPECT_EQ(memory.live(kKindCTask), tasks);
    EXPECT_EQ(memory.live(kKindCTaskList), lists);
    EXPECT_EQ(memory.live(kKindCUndoStructure), structures);
    EXPECT_TRUE(scope.recorder.bugReports().empty());
}

TEST_F(UndoStructure, MillionTaskStepUndoesAndRedoesWithoutDeepStack) {
    constexpr int32_t kSide = 1000;
    ASSERT_EQ(db.tablet.setMaxRecords(kSide), kNoErr);
    ASSERT_EQ(db.tablet.setMaxAttributes(kSide), kNoErr);
    ASSERT_EQ(db.undo.startTaskList(kLabelDeleteNode), kNoErr);
    for (int32_t attribute = 1; attribute <= kSide; ++attribute)
        for (int32_t record = 1; record <= kSide; ++record)
            ASSERT_EQ(setCell(db, record, attribute, record + attribute), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);

    ASSERT_EQ(db.undo.undo(), kNoErr);
    int64_t nonZero = 0;
    for (int32_t attribute = 1; attribute <= kSide; ++attribute)
        for (int32_t record = 1; record <= kSide; ++record)
            nonZero += db.tablet.cell(record, attribute) != 0 ? 1 : 0;
    EXPECT_EQ(nonZero, 0);

    ASSERT_EQ(db.undo.redo(), kNoErr);
    int64_t wrong = 0;
    for (int32_t attribute = 1; attribute <= kSide; ++attribute)
        for (int32_t record = 1; record <= kSide; ++record)
            wrong += db.tablet.cell(record, attribute) != record + attribute ? 1 : 0;
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(scope.recorder.bugReports().empty());
}

TEST_F(UndoStructure, PrintSummaryDescribesEveryStepAndTask) {
    ASSERT_EQ(db.tablet.setValue(4, 2, 9), kNoErr);
    ASSERT_EQ(db.undo.startTaskList(kLabelChangeColor), kNoErr);
    ASSERT_EQ(setCell(db, 4, 2, 12), kNoErr);
    ASSERT_EQ(setText(db, 5, 3, "red"), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    ASSERT_EQ(db.undo.startTaskList(kLabelMenu), kNoErr);

    testing::internal::CaptureStdout();
    db.undo.printSummary();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Undo history: 1 steps, 1 done, one list open.\n"
              "\tTask list 7 \"Change Color\" with 2 tasks:\n"
              "\t\tSet attribute 2 of record 4 from 9 to 12.\n"
              "\t\tSet attribute 3 of record 5 from string 0 to string 1 (done).\n"
              "\tTask list 20 \"Menu\" with 0 tasks:\n");
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
}

TEST(UndoLabels, MenuTextsAndTheEmptyTextOutsideTheTable) {
    EXPECT_STREQ(undoString(kLabelTyping), "Typing");
    EXPECT_STREQ(undoString(kLabelCreateDaughter), "Create Daughter");
    EXPECT_STREQ(undoString(kLabelDrawingPreferences), "Drawing Preferences");
    for (const int32_t label : {0, 1, int32_t{kLabelNeverUndoable}, int32_t{kUndoLabelCount}, -1})
        EXPECT_STREQ(undoString(label), "") << label;
}
