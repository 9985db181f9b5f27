#pragma once

#include "support/TreeTestSupport.h"

#include "storage/CTablet.h"
#include "support/TestSupport.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Builds a tree from a compact description: a label, then its daughters in parentheses,
// separated by spaces: "S(NP(D N) VP(V))". The root is new (head of the root list); every
// node is labelled and listed in `nodes` under its label. Runs inside the caller's undo list.
RErr buildTree(CTree& tree, const std::string& shape, int32_t& root,
               std::map<std::string, int32_t>& nodes);

// The subtree below a node in the same notation, read back through the hierarchy getters.
std::string describeTree(CTree& tree, int32_t node);

// Every tree of the root list in list order (newest first), separated by " | ".
std::string describeRootList(CTree& tree);

// A chain of `depth` nodes below a new root, made with the change primitives alone (the
// hierarchy operations would look for the root once per level, which is quadratic).
RErr buildChain(CTree& tree, int32_t depth, int32_t& root, int32_t& deepest);

// How many nodes a pre-order walk from `start` visits before getNextNode gives 0.
int32_t countWalk(CTree& tree, int32_t start, int32_t haltNode);

// Every node of every tree, walked from the head of the root list.
int32_t countAllNodes(CTree& tree);

// The category record of a name (-1 when none has it).
int32_t categoryNamed(CTree& tree, const std::string& name);

// The text of a string cell ("" for an empty one).
std::string cellText(CTree& tree, int32_t record, int32_t attribute);

// Every list and link points at a live record of the right type, with no cycle and no shared
// node, root references name nodes, and every text is held by exactly one cell.
::testing::AssertionResult databaseIsSound(CTree& tree);

// Runs body as one undo step, then checks that undo gives back the whole state from before
// the step and redo the state after it, with every string accounted for each time.
template <typename Body> void expectStepUndoesAndRedoes(CTree& tree, Body body) {
    const DatabaseState before = captureState(tree);
    ASSERT_EQ(inStep(tree, kLabelMenu, body), kNoErr);
    const DatabaseState after = captureState(tree);
    EXPECT_TRUE(stringsAreConsistent(tree));
    EXPECT_TRUE(databaseIsSound(tree));
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree))) << "after undo";
    EXPECT_TRUE(stringsAreConsistent(tree));
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(after, captureState(tree))) << "after redo";
    EXPECT_TRUE(stringsAreConsistent(tree));
}

// A new grammar with the standard categories (records 2 to 6), trees built from compact
// descriptions, and every bug report recorded.
class HierarchyFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(tree.createTree(true), kNoErr); }
    // Builds the tree as one undo step and gives its root.
    int32_t build(const std::string& shape) {
        int32_t root = 0;
        EXPECT_EQ(inStep(tree, kLabelNewTree, [&] { return buildTree(tree, shape, root, nodes); }),
                  kNoErr);
        return root;
    }
    int32_t node(const std::string& label) const { return nodes.at(label); }
    int32_t cell(int32_t record, int32_t attribute) const {
        return tree.tablet().cell(record, attribute);
    }
    std::vector<std::string> reports() const { return platform.recorder.bugReports(); }
    // The answer of a getter that must succeed.
    using RGetter = RErr (CTree::*)(int32_t, int32_t&) const;
    int32_t get(RGetter getter, int32_t n) const {
        int32_t value = -1;
        EXPECT_EQ((tree.*getter)(n, value), kNoErr);
        return value;
    }

    RecordingPlatformScope platform;
    CTree tree;
    std::map<std::string, int32_t> nodes;
};
