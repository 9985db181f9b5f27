// An exhausted allocator below a script call stops the call like a spent budget: no abort, one
// message, and Undo takes back what the call did.
#include "ScriptSupport.h"
#include "support/AllocationLimit.h"

#include "undo/CUndoStructure.h"

TEST(ScriptAllocationFailure, AFailedAllocationInACallStopsItAndUndoRestores) {
    if (!allocatorReplaced())
        GTEST_SKIP() << "the allocator cannot be replaced here";
    ScriptHarness runner;
    const std::vector<int32_t> tree = runner.buildTree();
    // A wide tree, so that the walk's list of nodes needs a large block.
    CUndoStructure& undo = runner.tree.undoStructure();
    ASSERT_EQ(undo.startTaskList(kLabelNeverUndoable), kNoErr);
    for (int i = 0; i < 20000; ++i) {
        int32_t daughter = 0;
        ASSERT_EQ(runner.tree.newDaughterToRight(tree[2], daughter), kNoErr);
    }
    ASSERT_EQ(undo.finishTaskList(), kNoErr);
    ASSERT_EQ(undo.zeroOut(), kNoErr);
    ASSERT_EQ(runner.compile("define variable x, made, after\n"
                             "define function walk\n create-daughter-to-left(x)\n let made = 1\n"
                             " for every node x\n  let made = made + 1\n end for\n"
                             " let after = 1\nend define\n"),
              kNoErr);
    runner.setGlobal("x", tree[3]);
    const int32_t nodesBefore = countAllNodes(runner.tree);
    {
        const LargeAllocationsFail exhausted(64 * 1024);
        ASSERT_EQ(runner.run("walk"), kNoErr);
    }
    EXPECT_TRUE(runner.script().lastCallWasStopped());
    EXPECT_EQ(runner.script().lastStopReason(), CScript::RStopReason::kTooMuchMemory);
    EXPECT_EQ(runner.global("made"), "1");
    EXPECT_EQ(runner.global("after"), "");
    EXPECT_EQ(runner.alerts(), (std::vector<std::string>{
                                   "The script was stopped because it used too much memory."}));
    EXPECT_EQ(runner.script().callDepth(), 0);
    EXPECT_EQ(countAllNodes(runner.tree), nodesBefore + 1);

    ASSERT_EQ(undo.undo(), kNoErr);
    EXPECT_EQ(countAllNodes(runner.tree), nodesBefore);
    EXPECT_EQ(runner.global("made"), "");

    // With memory back, the same command runs to its end.
    ASSERT_EQ(runner.run("walk"), kNoErr);
    EXPECT_FALSE(runner.script().lastCallWasStopped());
    EXPECT_EQ(runner.global("after"), "1");
}
