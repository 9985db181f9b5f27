// An exhausted allocator below a script call stops the call like a spent budget: no abort, one
// message, and Undo takes back what the call did.
#include "ScriptSupport.h"

#include "undo/CUndoStructure.h"

#include <cstdlib>
#include <new>

namespace {

// Allocations at least this large fail while it is not 0; the script's own small values and
// the messages still get their memory, as on a machine whose large blocks are gone.
std::size_t failFrom = 0;

class LargeAllocationsFail {
public:
    explicit LargeAllocationsFail(std::size_t bytes) { failFrom = bytes; }
    ~LargeAllocationsFail() { failFrom = 0; }
    LargeAllocationsFail(const LargeAllocationsFail&) = delete;
    LargeAllocationsFail& operator=(const LargeAllocationsFail&) = delete;
};

} // namespace

// The address sanitizer brings an allocator of its own, which a replacement would fight: there
// the allocation-failure cases are skipped.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kAllocatorReplaced = false;
#else
constexpr bool kAllocatorReplaced = true;

void* operator new(std::size_t size) {
    if (failFrom != 0 && size >= failFrom)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
#endif

TEST(ScriptAllocationFailure, AFailedAllocationInACallStopsItAndUndoRestores) {
    if (!kAllocatorReplaced)
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
