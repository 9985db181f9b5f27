#include "app/LexiconEditorRules.h"
#include "app/CLexiconEditing.h"
#include "app/CommandIds.h"
#include "app/MenuState.h"
#include "app/Modes.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "support/TestSupport.h"
#include "undo/CUndoStructure.h"

#include <gtest/gtest.h>

TEST(LexiconEditorRules, NodeTypeAndStyleEntriesMapBothWays) {
    const std::vector<int32_t> categories{3, 40, 41, 42};
    EXPECT_EQ(nodeTypeEntry(categories, 0, -1), 0);
    EXPECT_EQ(nodeTypeEntry(categories, 40, 0), 1);
    EXPECT_EQ(nodeTypeEntry(categories, 41, 2), 6);
    EXPECT_EQ(nodeTypeEntry(categories, 99, 1), 0); // not in the list
    int32_t category = -5, projection = -5;
    ASSERT_TRUE(nodeTypeOfEntry(categories, 6, category, projection));
    EXPECT_EQ(category, 41);
    EXPECT_EQ(projection, 2);
    ASSERT_TRUE(nodeTypeOfEntry(categories, 0, category, projection));
    EXPECT_EQ(category, 0);
    EXPECT_EQ(projection, -1);
    EXPECT_FALSE(nodeTypeOfEntry(categories, 10, category, projection));
    EXPECT_FALSE(nodeTypeOfEntry(std::vector<int32_t>{0}, 1, category, projection));

    // Bold wins over Italic, Italic over Underline.
    EXPECT_EQ(styleEntry(0), 0);
    EXPECT_EQ(styleEntry(4), 3);
    EXPECT_EQ(styleEntry(5), 2);
    EXPECT_EQ(styleEntry(7), 1);
    int32_t value = -1;
    EXPECT_EQ(styleValueOfEntry(2, value), kNoErr);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(styleValueOfEntry(4, value), kErrGeneral);

    EXPECT_EQ(wordAfterClearing({3, 7, 8, 9}, 8), 7);
    EXPECT_EQ(wordAfterClearing({3, 7, 8, 9}, 7), 8);
    EXPECT_EQ(wordAfterClearing({1, 7}, 7), 0);
}

TEST(LexiconEditorRules, FeatureRowsScrollWithinTheList) {
    const std::vector<int32_t> six{6, 11, 12, 13, 14, 15, 16};
    CFeatureRows rows;
    EXPECT_EQ(CFeatureRows::maximum(six), 2);
    EXPECT_EQ(rows.featureOfRow(six, 4), 14);
    EXPECT_TRUE(rows.scrollTo(six, 9));
    EXPECT_EQ(rows.position(), 2);
    EXPECT_EQ(rows.featureOfRow(six, 1), 13);
    EXPECT_FALSE(rows.scrollTo(six, 5));
    EXPECT_EQ(rows.rowOfFeature(six, 11), -1);
    EXPECT_TRUE(rows.makeVisible(six, 11));
    EXPECT_EQ(rows.rowOfFeature(six, 11), 1);
    EXPECT_TRUE(rows.makeVisible(six, 16));
    EXPECT_EQ(rows.rowOfFeature(six, 16), 4);
    EXPECT_FALSE(rows.makeVisible(six, 99));

    const std::vector<int32_t> three{3, 21, 22, 23};
    CFeatureRows few;
    EXPECT_EQ(CFeatureRows::maximum(three), 0);
    EXPECT_EQ(few.featureOfRow(three, 4), 0);
    EXPECT_FALSE(few.scrollTo(three, 1));
}

TEST(LexiconEditorRules, TheSharedAuthorItemsFollowTheGrammarsFileAndHistory) {
    RAuthorMenuSituation situation;
    situation.mode = kModeAuthor;
    situation.fileExistsOnlyInMemory = false;
    situation.undo.dirty = true;
    situation.undo.canUndo = true;
    situation.undo.undoLabel = 2;
    const RMenuState shared = authorSharedMenuState(situation);
    ASSERT_TRUE(shared.modeServed);
    EXPECT_TRUE(shared.item(kCommandRevert)->enabled);
    EXPECT_FALSE(shared.item(kCommandOpen)->enabled);
    EXPECT_EQ(shared.item(kCommandUndo)->label, "Undo Typing");
    EXPECT_EQ(shared.item(kCommandRedo)->label, "Can't Redo");
    // Only the shared items: the editor's own are left to it.
    EXPECT_EQ(shared.item(kCommandCut), nullptr);
    EXPECT_EQ(shared.item(kCommandCreateMother), nullptr);
    situation.mode = kModeDocument;
    EXPECT_FALSE(authorSharedMenuState(situation).modeServed);
}

TEST(CLexiconEditing, StepsWithoutWindowsUndoToTheStartAndRefuseTheMainTerminal) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    CLexiconEditing editing(tree);
    int32_t root = 0, leaf = 0;
    ASSERT_EQ(editing.newWord(0, root, leaf), kNoErr);
    RDeleteRefusal refusal = RDeleteRefusal::None;
    int32_t after = 0;
    const std::size_t steps = tree.undoStructure().stepCount();
    EXPECT_EQ(editing.deleteNode(root, leaf, refusal, after), kNoErr);
    EXPECT_EQ(refusal, RDeleteRefusal::MainTerminalNode);
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);

    // The font is clamped; an undo gives back the old size.
    ASSERT_EQ(editing.changeFont("Serif", 2), kNoErr);
    EXPECT_EQ(tree.fontSize, 8);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    ASSERT_EQ(tree.updateDrawingPrefs(), kNoErr);
    EXPECT_EQ(tree.fontSize, 10);

    // A category that is no category makes no spine.
    int32_t terminal = 0;
    EXPECT_NE(editing.newXBarSpine(9999, root, root, terminal), kNoErr);
    EXPECT_EQ(terminal, 0);
    EXPECT_FALSE(tree.undoStructure().isComposing());
}
