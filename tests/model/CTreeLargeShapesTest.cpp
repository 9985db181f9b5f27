#include "support/HierarchyTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CTablet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Trees far deeper or wider than any call stack allows for recursion: every walk, copy and
// kill must work on them, and undo and redo must give back exactly the states before.

namespace {

constexpr int32_t kChainDepth = 20000;
constexpr int32_t kFanWidth = 100000;

// Every cell, attribute by attribute (the fish-spine handle only as present or absent). The
// trees here hold no texts, so the cells are the whole state; a full DatabaseState of a few
// hundred thousand records would cost more than the operations under test.
struct RCells {
    int32_t records = 0;
    int32_t attributes = 0;
    std::vector<int32_t> cells;

    explicit RCells(const CTree& tree)
        : records(tree.recordCount()), attributes(tree.attributeCount()) {
        cells.reserve(static_cast<std::size_t>(records) * static_cast<std::size_t>(attributes));
        for (int32_t a = 1; a <= attributes; ++a)
            for (int32_t r = 1; r <= records; ++r)
                cells.push_back(a == kAttrFishSpine && r != kHeaderRecord
                                    ? int32_t{tree.tablet().cell(r, a) != 0}
                                    : tree.tablet().cell(r, a));
    }
    int32_t cell(int32_t record, int32_t attribute) const {
        return record > records || attribute > attributes
                   ? 0
                   : cells[static_cast<std::size_t>((attribute - 1) * records + record - 1)];
    }
};

// The tree's cells equal the earlier ones, allowing records added since that hold 0
// everywhere (growth is not undone).
::testing::AssertionResult sameCells(const RCells& earlier, const CTree& tree) {
    const int32_t records = tree.recordCount();
    if (records < earlier.records || tree.attributeCount() != earlier.attributes)
        return ::testing::AssertionFailure() << "the table shrank or widened";
    for (int32_t a = 1; a <= earlier.attributes; ++a)
        for (int32_t r = 1; r <= records; ++r) {
            const int32_t value = tree.tablet().cell(r, a);
            const int32_t now = a == kAttrFishSpine && r != kHeaderRecord ? value != 0 : value;
            if (now != earlier.cell(r, a))
                return ::testing::AssertionFailure()
                       << "record " << r << " attribute " << a << " holds " << now << ", expected "
                       << earlier.cell(r, a);
        }
    return ::testing::AssertionSuccess();
}

int32_t countRecordsOfType(CTree& tree, int32_t type) {
    int32_t count = 0;
    for (int32_t r = 2; r <= tree.recordCount(); ++r)
        if (tree.tablet().cell(r, kAttrType) == type)
            ++count;
    return count;
}

// Clones the tree, then kills the copy, each as one step, checking undo and redo of both and
// that the original walks the same before and after.
void cloneAndKillWithUndo(CTree& tree, int32_t root, int32_t nodeCount) {
    const RCells original(tree);
    int32_t copy = 0;
    ASSERT_EQ(inStep(tree, kLabelDuplicateWord, [&] { return tree.cloneTree(root, copy); }),
              kNoErr);
    EXPECT_EQ(countWalk(tree, copy, copy), nodeCount);
    EXPECT_EQ(countWalk(tree, copy, 0), 2 * nodeCount);
    const RCells cloned(tree);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_TRUE(sameCells(original, tree));
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_TRUE(sameCells(cloned, tree));

    ASSERT_EQ(inStep(tree, kLabelClearWord, [&] { return tree.killRootNode(copy); }), kNoErr);
    EXPECT_EQ(countRecordsOfType(tree, kRecordUnused), nodeCount);
    EXPECT_EQ(countWalk(tree, root, 0), nodeCount);
    EXPECT_FALSE(sameCells(original, tree)); // the free list now holds the copy
    const RCells killed(tree);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_TRUE(sameCells(cloned, tree));
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_TRUE(sameCells(killed, tree));
    EXPECT_TRUE(databaseIsSound(tree));
}

} // namespace

TEST(CTreeLargeShapes, AChainTwentyThousandDeepIsWalkedClonedDeletedAndKilled) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(false), kNoErr);
    int32_t root = 0, deepest = 0;
    ASSERT_EQ(
        inStep(tree, kLabelNewTree, [&] { return buildChain(tree, kChainDepth, root, deepest); }),
        kNoErr);
    EXPECT_EQ(countWalk(tree, root, root), kChainDepth);
    EXPECT_EQ(countWalk(tree, root, 0), kChainDepth);
    int32_t found = 0;
    ASSERT_EQ(tree.findRoot(deepest, found), kNoErr);
    EXPECT_EQ(found, root);

    cloneAndKillWithUndo(tree, root, kChainDepth);

    // Deleting a link halfway keeps the chain below it.
    int32_t middle = deepest;
    for (int32_t i = 0; i < kChainDepth / 2; ++i)
        ASSERT_EQ(tree.getMother(middle, middle), kNoErr);
    int32_t remaining = 0;
    ASSERT_EQ(inStep(tree, kLabelDeleteNode, [&] { return tree.deleteNode(middle, remaining); }),
              kNoErr);
    EXPECT_EQ(remaining, root);
    EXPECT_EQ(countWalk(tree, root, root), kChainDepth - 1);

    ASSERT_EQ(inStep(tree, kLabelClearWord, [&] { return tree.killRootNode(root); }), kNoErr);
    EXPECT_EQ(countRecordsOfType(tree, kRecordNode), 0);
    EXPECT_EQ(tree.tablet().cell(kHeaderRecord, kHdrFirstRoot), 0);
    EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>{});
}

TEST(CTreeLargeShapes, ANodeWithAHundredThousandDaughtersIsWalkedClonedAndKilled) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(false), kNoErr);
    int32_t root = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         RErr err = tree.newRoot(root);
                         for (int32_t i = 1; i < kFanWidth && !err; ++i) {
                             int32_t daughter = 0;
                             err = tree.newDaughterToLeft(root, daughter);
                         }
                         return err;
                     }),
              kNoErr);
    int32_t count = 0;
    ASSERT_EQ(tree.howManyDaughters(root, count), kNoErr);
    EXPECT_EQ(count, kFanWidth - 1);
    EXPECT_EQ(countWalk(tree, root, root), kFanWidth);

    cloneAndKillWithUndo(tree, root, kFanWidth);
    EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>{});
}
