#include "ModelTestSupport.h"

// Trees far deeper or wider than any call stack allows for recursion: every walk, copy and
// kill must work on them, and undo and redo must give back exactly the states before.

namespace {

constexpr int32_t kChainDepth = 20000;
constexpr int32_t kFanWidth = 100000;

// Clones the tree, then kills the copy, each as one step undone and redone, and checks that
// the original walks the same before and after.
void cloneAndKillWithUndo(CTree& tree, int32_t root, int32_t nodeCount) {
    int32_t copy = 0;
    expectStepUndoesAndRedoes(tree, [&] { return tree.cloneTree(root, copy); });
    EXPECT_EQ(joined(std::vector{countWalk(tree, copy, copy), countWalk(tree, copy, 0)}),
              joined(std::vector{nodeCount, 2 * nodeCount}));
    expectStepUndoesAndRedoes(tree, [&] { return tree.killRootNode(copy); });
    EXPECT_EQ(countRecords(tree, kRecordUnused), nodeCount);
    EXPECT_EQ(countWalk(tree, root, 0), nodeCount);
}

} // namespace

TEST(CTreeLargeShapes, AChainTwentyThousandDeepIsWalkedClonedDeletedAndKilled) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(false), kNoErr);
    int32_t root = 0, deepest = 0;
    step(tree, [&] { return buildChain(tree, kChainDepth, root, deepest); });
    EXPECT_EQ(countWalk(tree, root, root) + countWalk(tree, root, 0), 2 * kChainDepth);
    EXPECT_EQ(ask(tree, &CTree::findRoot, deepest), root);
    // Every node but the deepest opens a bracket; unlabelled nodes write a blank alone.
    std::string qtree;
    ASSERT_EQ(tree.makeQTreeForThisNodeAndBelow(root, qtree), kNoErr);
    std::string opened, closed;
    for (int32_t i = 1; i < kChainDepth; ++i) {
        opened += "[. ";
        closed += "] ";
    }
    EXPECT_TRUE(qtree == opened + " " + closed);
    cloneAndKillWithUndo(tree, root, kChainDepth);
    // Deleting a link halfway keeps the chain below it.
    int32_t middle = deepest;
    for (int32_t i = 0; i < kChainDepth / 2; ++i)
        middle = ask(tree, &CTree::getMother, middle);
    int32_t remaining = 0;
    step(tree, [&] { return tree.deleteNode(middle, remaining); });
    EXPECT_EQ(remaining, root);
    EXPECT_EQ(countWalk(tree, root, root), kChainDepth - 1);
    step(tree, [&] { return tree.killRootNode(root); });
    EXPECT_EQ(countRecords(tree, kRecordNode), 0);
    EXPECT_EQ(tree.tablet().cell(kHeaderRecord, kHdrFirstRoot), 0);
    EXPECT_EQ(platform.recorder.bugReports(), RReports{});
}

TEST(CTreeLargeShapes, ANodeWithAHundredThousandDaughtersIsWalkedClonedAndKilled) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(false), kNoErr);
    int32_t root = 0;
    step(tree, [&] {
        EXPECT_EQ(tree.newRoot(root), kNoErr);
        for (int32_t i = 1, daughter = 0; i < kFanWidth; ++i)
            ASSERT_EQ(tree.newDaughterToLeft(root, daughter), kNoErr);
    });
    EXPECT_EQ(ask(tree, &CTree::howManyDaughters, root), kFanWidth - 1);
    EXPECT_EQ(countWalk(tree, root, root), kFanWidth);
    cloneAndKillWithUndo(tree, root, kFanWidth);
    EXPECT_EQ(platform.recorder.bugReports(), RReports{});
}
