#include "UndoTestDoubles.h"
#include "undo/CFishSpineTask.h"
#include "undo/CUserInterfaceTask.h"
#include "undo/CVariableTask.h"

using UndoStructure = UndoFixture;

TEST_F(UndoStructure, CommandsAreStepsUndoneAndRedoneOneAtATimeUnderTheirLabels) {
    ASSERT_EQ(db.tablet.setValue(2, 3, 7), kNoErr);
    const Expected start{"", "", false, {{2, 3, 7}, {4, 1, 0}}};
    expectState(start);
    ASSERT_EQ(db.undo.startTaskList(kLabelCreateDaughter), kNoErr);
    ASSERT_EQ(db.setCell(2, 3, 70), kNoErr);
    ASSERT_EQ(db.setCell(4, 1, 41), kNoErr);
    EXPECT_EQ(db.cell(2, 3), 70); // done at once, before the list is closed
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    EXPECT_EQ(db.undo.stepCount(), 1u);
    const Expected first{"Undo Create Daughter", "", true, {{2, 3, 70}, {4, 1, 41}}};
    roundTrip(first, {"", "Redo Create Daughter", true, start.cells});

    // A second command on the same cells stacks on the first.
    ASSERT_EQ(db.command(kLabelChangeColor, [&] { return db.setCell(2, 3, 700); }), kNoErr);
    const Expected second{"Undo Change Color", "", true, {{2, 3, 700}, {4, 1, 41}}};
    roundTrip(second, {"Undo Create Daughter", "Redo Change Color", true, first.cells});
    ASSERT_EQ(db.undo.undo(), kNoErr);
    undoTo({"", "Redo Create Daughter", true, start.cells});
    ASSERT_EQ(db.undo.redo(), kNoErr);
    redoTo(second);

    // Tasks of one list undo last first, so a repeated cell comes back to its first value.
    ASSERT_EQ(db.command(kLabelDrag,
                         [&] {
                             for (int32_t value : {10, 20, 30})
                                 EXPECT_EQ(db.setCell(1, 1, value), kNoErr);
                             return kNoErr;
                         }),
              kNoErr);
    roundTrip({"Undo Drag", "", true, {{1, 1, 30}}},
              {"Undo Change Color", "Redo Drag", true, {{1, 1, 0}}});
    // A command without changes is still a step, and undoing it makes the document dirty.
    ASSERT_EQ(db.undo.zeroOut(), kNoErr);
    ASSERT_EQ(db.command(kLabelMagnifyingGlass, [] { return kNoErr; }), kNoErr);
    expectState({"Undo Magnifying Glass", "", false, {}});
    undoTo({"", "Redo Magnifying Glass", true, {}});
    redoTo({"Undo Magnifying Glass", "", true, {}});
}

TEST_F(UndoStructure, NewCommandAfterUndoDiscardsRedoAndFreesStringsOnlyItCouldRestore) {
    for (const char* text : {"first", "second", "third"})
        ASSERT_EQ(db.command(kLabelChangeAttribute, [&] { return db.setText(1, 2, text); }),
                  kNoErr);
    auto statuses = [&] { return std::vector<int32_t>{db.status(1), db.status(2), db.status(3)}; };
    using S = CStringManager;
    EXPECT_EQ(db.cell(1, 2), 3);
    EXPECT_EQ(statuses(), (std::vector<int32_t>{S::kUndone, S::kUndone, S::kCurrent}));
    ASSERT_EQ(db.undo.undo(), kNoErr);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(db.cellText(1, 2), "first");
    EXPECT_EQ(statuses(), (std::vector<int32_t>{S::kCurrent, S::kUndone, S::kUndone}));

    // The new command discards both undone steps, the farthest first: their new strings can
    // never come back, so they are freed and reused, 2 first since it was freed last.
    ASSERT_EQ(db.command(kLabelDeleteNode, [&] { return db.setCell(5, 5, 1); }), kNoErr);
    expectState({"Undo Delete Node", "", true, {{1, 2, 1}, {5, 5, 1}}});
    EXPECT_EQ(db.undo.stepCount(), 2u);
    EXPECT_EQ(statuses(), (std::vector<int32_t>{S::kCurrent, S::kUnused, S::kUnused}));
    EXPECT_EQ(db.text(2), "<none>");
    for (int32_t expected : {2, 3}) {
        int32_t id = 0;
        ASSERT_EQ(db.strings.registerString(CRString("reused", 0), id), kNoErr);
        EXPECT_EQ(id, expected);
    }
}

TEST_F(UndoStructure, BracketingErrorsAreReportedAndChangeNothing) {
    const std::string unbalanced = " (unbalanced undo list bracketing)";
    EXPECT_EQ(db.undo.finishTaskList(), kErrUnbalancedUndo);
    EXPECT_EQ(db.undo.undo(), kErrCantUndoRedo);
    EXPECT_EQ(db.undo.redo(), kErrCantUndoRedo);
    EXPECT_EQ(reports(), (Reports{"CUndoStructure::finishTaskList" + unbalanced,
                                  "CUndoStructure::undo (cant undo or redo)",
                                  "CUndoStructure::redo (cant undo or redo)"}));
    scope.recorder.clear();

    ASSERT_EQ(db.undo.startTaskList(kLabelCreateSister), kNoErr);
    ASSERT_EQ(db.setCell(3, 3, 33), kNoErr);
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
    Reports expected;
    for (const char* name :
         {"startTaskList", "undo", "redo", "canUndo", "canRedo", "currentUndoLabel",
          "currentUndoLabel", "zeroOut", "killLastTaskList", "isDirty", "resetDirty", "isDirty"})
        expected.push_back("CUndoStructure::" + std::string(name) + unbalanced);
    EXPECT_EQ(reports(), expected);
    scope.recorder.clear();

    // The open list kept its label and its task through all of that.
    EXPECT_TRUE(db.undo.isComposing());
    ASSERT_EQ(db.setCell(3, 4, 34), kNoErr);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    roundTrip({"Undo Create Sister", "", true, {{3, 3, 33}, {3, 4, 34}}},
              {"", "Redo Create Sister", true, {{3, 3, 0}, {3, 4, 0}}});
}

TEST_F(UndoStructure, WithdrawnCommandRestoresCellsAndLeavesTheHistory) {
    ASSERT_EQ(db.command(kLabelNewTree, [&] { return db.setCell(1, 1, 11); }), kNoErr);
    // A drop the script refuses after it has made its changes.
    ASSERT_EQ(db.command(kLabelDrag,
                         [&] {
                             const RErr err = db.setCell(1, 1, 99);
                             return err ? err : db.setText(6, 6, "dropped");
                         }),
              kNoErr);
    const int32_t droppedId = db.cell(6, 6);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    ASSERT_EQ(db.undo.killLastTaskList(), kNoErr);
    expectState({"Undo New Tree", "", true, {{1, 1, 11}, {6, 6, 0}}});
    EXPECT_EQ(db.undo.stepCount(), 1u);
    EXPECT_EQ(db.status(droppedId), CStringManager::kUnused);
    // Killing with nothing to discard is harmless.
    ASSERT_EQ(db.undo.killLastTaskList(), kNoErr);
    expectState({"Undo New Tree", "", true, {{1, 1, 11}}});
}

TEST_F(UndoStructure, DirtyFlagIsSetByChangesUndoAndRedoAndClearedOnlyOnRequest) {
    bool dirty = true;
    ASSERT_EQ(db.undo.isDirty(dirty), kNoErr);
    EXPECT_FALSE(dirty);
    ASSERT_EQ(db.undo.startTaskList(kLabelChangeCategory), kNoErr);
    ASSERT_EQ(db.undo.isDirty(dirty), kErrUnbalancedUndo);
    EXPECT_FALSE(dirty); // opening a list changes nothing yet
    ASSERT_EQ(db.setCell(2, 2, 5), kNoErr);
    ASSERT_EQ(db.undo.isDirty(dirty), kErrUnbalancedUndo);
    EXPECT_TRUE(dirty);
    ASSERT_EQ(db.undo.finishTaskList(), kNoErr);
    scope.recorder.clear();

    // Saved: clean. Undoing back to the saved state still leaves it dirty.
    const Expected done{"Undo Change Category", "", true, {{2, 2, 5}}};
    const Expected undone{"", "Redo Change Category", true, {{2, 2, 0}}};
    ASSERT_EQ(db.undo.resetDirty(), kNoErr);
    expectState({"Undo Change Category", "", false, done.cells});
    undoTo(undone);
    ASSERT_EQ(db.undo.resetDirty(), kNoErr);
    redoTo(done);
    undoTo(undone);

    // A failed undo changes nothing, the flag included.
    ASSERT_EQ(db.undo.resetDirty(), kNoErr);
    EXPECT_EQ(db.undo.undo(), kErrCantUndoRedo);
    ASSERT_EQ(db.undo.isDirty(dirty), kNoErr);
    EXPECT_FALSE(dirty);
    scope.recorder.clear();
    ASSERT_EQ(db.undo.redo(), kNoErr);
    ASSERT_EQ(db.undo.zeroOut(), kNoErr);
    expectState({"", "", false, {{2, 2, 5}}});
    EXPECT_EQ(db.undo.stepCount(), 0u);
}

TEST_F(UndoStructure, ZeroOutForgetsTheHistoryAndFreesWhatOnlyItHeld) {
    ASSERT_EQ(db.command(kLabelNewDatabase, [&] { return db.setText(1, 1, "kept"); }), kNoErr);
    ASSERT_EQ(db.command(kLabelTyping, [&] { return db.setText(1, 1, "replacement"); }), kNoErr);
    ASSERT_EQ(db.command(kLabelTyping, [&] { return db.setText(2, 1, "undone"); }), kNoErr);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    ASSERT_EQ(db.undo.zeroOut(), kNoErr);
    expectState({"", "", false, {{2, 1, 0}}});
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
        ASSERT_EQ(db.command(kLabelCreateMother,
                             [&] {
                                 const RErr err = db.setCell(1, 1, 1);
                                 return err ? err : db.setText(1, 2, "mother");
                             }),
                  kNoErr);
        ASSERT_EQ(db.undo.startTaskList(kLabelCreateMother), kNoErr);
        ASSERT_EQ(db.setCell(1, 1, 2), kNoErr);
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
    // How many cells differ from what the step sets (`done`) or from 0.
    auto wrongCells = [&](bool done) {
        int64_t wrong = 0;
        for (int32_t attribute = 1; attribute <= kSide; ++attribute)
            for (int32_t record = 1; record <= kSide; ++record)
                wrong += db.tablet.cell(record, attribute) != (done ? record + attribute : 0);
        return wrong;
    };
    ASSERT_EQ(db.command(kLabelDeleteNode,
                         [&] {
                             RErr err = kNoErr;
                             for (int32_t attribute = 1; attribute <= kSide; ++attribute)
                                 for (int32_t record = 1; record <= kSide && !err; ++record)
                                     err = db.setCell(record, attribute, record + attribute);
                             return err;
                         }),
              kNoErr);
    ASSERT_EQ(db.undo.undo(), kNoErr);
    EXPECT_EQ(wrongCells(false), 0);
    ASSERT_EQ(db.undo.redo(), kNoErr);
    EXPECT_EQ(wrongCells(true), 0);
    EXPECT_TRUE(reports().empty());
}

TEST_F(UndoStructure, PrintSummaryDescribesEveryStepAndTask) {
    ASSERT_EQ(db.tablet.setValue(4, 2, 9), kNoErr);
    ASSERT_EQ(db.command(kLabelChangeColor,
                         [&] {
                             const RErr err = db.setCell(4, 2, 12);
                             return err ? err : db.setText(5, 3, "red");
                         }),
              kNoErr);
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

    // The other kinds of task, undone.
    RecordingFishSpineOwner tree;
    FakeVariable variable("x");
    ASSERT_EQ(db.undo.zeroOut(), kNoErr);
    ASSERT_EQ(db.command(kLabelMenu,
                         [&] {
                             RErr err = CFishSpineTask::construct(db.undo, tree, 3, true);
                             err = err ? err
                                       : CVariableTask::construct(db.undo, variable,
                                                                  CRString("y", 0));
                             return err ? err : CUserInterfaceTask::construct(db.undo, ui, 5, 1, 2);
                         }),
              kNoErr);
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

TEST(UndoLabels, MenuTextsAndTheEmptyTextOutsideTheTable) {
    EXPECT_STREQ(undoString(kLabelTyping), "Typing");
    EXPECT_STREQ(undoString(kLabelCreateDaughter), "Create Daughter");
    EXPECT_STREQ(undoString(kLabelDrawingPreferences), "Drawing Preferences");
    for (const int32_t label : {0, 1, int32_t{kLabelNeverUndoable}, int32_t{kUndoLabelCount}, -1})
        EXPECT_STREQ(undoString(label), "") << label;
}
