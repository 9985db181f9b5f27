#include "storage/CRMemory.h"

#include <gtest/gtest.h>

// The counters are global and shared with every other test, so each test looks at the
// change it makes.

TEST(CRMemory, MallocAndFreeCountUnderTheirTagAndInTheBlockCount) {
    CRMemory& memory = CRMemory::shared();
    const int64_t allocations = memory.allocations(kTagSortedArray);
    const int64_t frees = memory.frees(kTagSortedArray);
    const int64_t blocks = memory.blocksAllocated();

    void* a = memory.malloc(16, kTagSortedArray);
    void* b = memory.malloc(0, kTagSortedArray); // a size of 0 still gives a block
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(memory.allocations(kTagSortedArray), allocations + 2);
    EXPECT_EQ(memory.blocksAllocated(), blocks + 2);
    EXPECT_EQ(memory.live(kTagSortedArray), allocations + 2 - frees);

    a = memory.realloc(a, 4096); // not counted
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(memory.allocations(kTagSortedArray), allocations + 2);
    EXPECT_EQ(memory.blocksAllocated(), blocks + 2);

    memory.free(a, kTagSortedArray);
    memory.free(b, kTagSortedArray);
    memory.free(nullptr, kTagSortedArray); // nothing to free, nothing counted
    EXPECT_EQ(memory.frees(kTagSortedArray), frees + 2);
    EXPECT_EQ(memory.blocksAllocated(), blocks);
}

TEST(CRMemory, ObjectKindsCountConstructionsAndDestructionsButNoBlocks) {
    CRMemory& memory = CRMemory::shared();
    const int64_t made = memory.allocations(kKindCSymbol);
    const int64_t destroyed = memory.frees(kKindCSymbol);
    const int64_t blocks = memory.blocksAllocated();

    memory.incrementObjectCounter(kKindCSymbol);
    memory.incrementObjectCounter(kKindCSymbol);
    memory.decrementObjectCounter(kKindCSymbol);
    EXPECT_EQ(memory.allocations(kKindCSymbol), made + 2);
    EXPECT_EQ(memory.frees(kKindCSymbol), destroyed + 1);
    EXPECT_EQ(memory.blocksAllocated(), blocks);
    memory.decrementObjectCounter(kKindCSymbol);
    EXPECT_EQ(memory.live(kKindCSymbol), made - destroyed);
}

TEST(CRMemory, TheHelpersCountForAsLongAsTheirOwnerLives) {
    CRMemory& memory = CRMemory::shared();
    const int64_t made = memory.allocations(kKindCTablet);
    const int64_t destroyed = memory.frees(kKindCTablet);
    const int64_t buffers = memory.allocations(kTagTabletColumn);
    const int64_t bufferFrees = memory.frees(kTagTabletColumn);
    const int64_t blocks = memory.blocksAllocated();
    {
        RObjectCounter<kKindCTablet> first;
        RObjectCounter<kKindCTablet> copy(first);
        RCountedBuffer<kTagTabletColumn> buffer;
        EXPECT_EQ(memory.allocations(kKindCTablet), made + 2);
        EXPECT_EQ(memory.allocations(kTagTabletColumn), buffers + 1);
        EXPECT_EQ(memory.blocksAllocated(), blocks + 1);
    }
    EXPECT_EQ(memory.frees(kKindCTablet), destroyed + 2);
    EXPECT_EQ(memory.frees(kTagTabletColumn), bufferFrees + 1);
    EXPECT_EQ(memory.blocksAllocated(), blocks);
}

TEST(CRMemory, TagsOutsideTheTableCountOnlyAsBlocks) {
    CRMemory& memory = CRMemory::shared();
    CRMemory::Counters before{};
    CRMemory::Counters beforeFrees{};
    memory.returnCounters(before, beforeFrees);
    const int64_t blocks = memory.blocksAllocated();

    void* block = memory.malloc(8, CRMemory::kTagCount);
    EXPECT_EQ(memory.blocksAllocated(), blocks + 1);
    memory.free(block, CRMemory::kTagCount);
    memory.incrementObjectCounter(-1);
    memory.decrementObjectCounter(500);
    EXPECT_EQ(memory.allocations(-1), 0);
    EXPECT_EQ(memory.frees(CRMemory::kTagCount), 0);
    EXPECT_EQ(memory.blocksAllocated(), blocks);

    CRMemory::Counters after{};
    CRMemory::Counters afterFrees{};
    memory.returnCounters(after, afterFrees);
    EXPECT_EQ(after, before);
    EXPECT_EQ(afterFrees, beforeFrees);
}

TEST(CRMemory, ReturnCountersGivesBothArraysOfAllTags) {
    CRMemory& memory = CRMemory::shared();
    memory.countAllocation(kTagFishSpine);
    CRMemory::Counters allocations{};
    CRMemory::Counters frees{};
    memory.returnCounters(allocations, frees);
    EXPECT_EQ(allocations.size(), 161u);
    EXPECT_EQ(allocations[kTagFishSpine], memory.allocations(kTagFishSpine));
    EXPECT_EQ(frees[kTagFishSpine], memory.frees(kTagFishSpine));
    memory.countFree(kTagFishSpine);
    memory.returnCounters(allocations, frees);
    EXPECT_EQ(frees[kTagFishSpine], memory.frees(kTagFishSpine));
    EXPECT_EQ(allocations[160], memory.allocations(160));
}
