#include "support/HierarchyTestSupport.h"
#include "support/TreeTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

TEST(CTreeNodeStyle, ColoursAndStyleBitsAreUndoableAndChecked) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    int32_t root = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return tree.newRoot(root); }), kNoErr);
    const DatabaseState before = captureState(tree);

    ASSERT_EQ(inStep(tree, kLabelChangeColor,
                     [&] {
                         RErr err = tree.setColor(root, 4);
                         if (!err)
                             err = tree.addTextAttribute(root, 2);
                         if (!err)
                             err = tree.addTextAttribute(root, 1);
                         return err;
                     }),
              kNoErr);
    int32_t color = 0, bold = 0, underline = 0;
    EXPECT_EQ(tree.getColor(root, color), kNoErr);
    EXPECT_EQ(color, 4);
    EXPECT_EQ(tree.tablet().cell(root, kAttrTextStyle), 3);
    tree.hasTextAttribute(root, 2, bold);
    tree.hasTextAttribute(root, 4, underline);
    EXPECT_EQ(bold, 1);
    EXPECT_EQ(underline, 0);
    int32_t ignored = 0;
    EXPECT_EQ(tree.hasTextAttribute(root, 3, ignored), kErrInvalidParameter);

    ASSERT_EQ(inStep(tree, kLabelChangeColor, [&] { return tree.addTextAttribute(root, 0); }),
              kNoErr);
    EXPECT_EQ(tree.tablet().cell(root, kAttrTextStyle), 0);

    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    DatabaseState after = captureState(tree);
    // Undo leaves layout's dirty mark as it was made by the new root.
    EXPECT_TRUE(sameStateAllowingGrowth(before, after));

    EXPECT_EQ(CTree::translateColor(CRString("RED", 1)), 4);
    EXPECT_EQ(CTree::translateColor(CRString("Magenta", 1)), 11);
    EXPECT_EQ(CTree::translateColor(CRString("mauve", 1)), 1);
}
