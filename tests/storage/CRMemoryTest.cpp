// The counters are global and shared with every other test, so each test looks at the change
// it makes.
#include "storage/CRMemory.h"

#include "base/Platform.h"
#include "base/ThreadOwned.h"
#include "storage/CRStringPool.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

constexpr int32_t kPoolTag = 151; // a creator tag no other test here uses
struct RCounterTag;
using CCounter = CThreadOwned<RCounterTag, int>;

struct Counted {
    int32_t tag;
    int64_t allocations = CRMemory::shared().allocations(tag);
    int64_t frees = CRMemory::shared().frees(tag);
    int64_t blocks = CRMemory::shared().blocksAllocated();
    // {allocations, frees, blocks} added since.
    std::vector<int64_t> added() const {
        CRMemory& m = CRMemory::shared();
        return {m.allocations(tag) - allocations, m.frees(tag) - frees,
                m.blocksAllocated() - blocks};
    }
};

using Added = std::vector<int64_t>;

} // namespace

TEST(CRMemory, BlocksObjectsAndHelpersCountUnderTheirTags) {
    CRMemory& memory = CRMemory::shared();
    const Counted array{kTagSortedArray};
    void* a = memory.malloc(16, kTagSortedArray);
    void* b = memory.malloc(0, kTagSortedArray); // a size of 0 still gives a block
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(array.added(), (Added{2, 0, 2}));
    EXPECT_EQ(memory.live(kTagSortedArray), array.allocations + 2 - array.frees);
    a = memory.realloc(a, 4096); // not counted
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(array.added(), (Added{2, 0, 2}));
    memory.free(a, kTagSortedArray);
    memory.free(b, kTagSortedArray);
    memory.free(nullptr, kTagSortedArray); // nothing to free, nothing counted
    EXPECT_EQ(array.added(), (Added{2, 2, 0}));

    const Counted symbols{kKindCSymbol}; // objects are counted, but are no blocks
    memory.incrementObjectCounter(kKindCSymbol);
    memory.incrementObjectCounter(kKindCSymbol);
    memory.decrementObjectCounter(kKindCSymbol);
    EXPECT_EQ(symbols.added(), (Added{2, 1, 0}));
    memory.decrementObjectCounter(kKindCSymbol);

    const Counted tablets{kKindCTablet};
    const Counted columns{kTagTabletColumn};
    {
        RObjectCounter<kKindCTablet> first;
        RObjectCounter<kKindCTablet> copy(first);
        RCountedBuffer<kTagTabletColumn> buffer;
        EXPECT_EQ(tablets.added(), (Added{2, 0, 1}));
        EXPECT_EQ(columns.added(), (Added{1, 0, 1}));
    }
    EXPECT_EQ(tablets.added(), (Added{2, 2, 0}));
    EXPECT_EQ(columns.added(), (Added{1, 1, 0}));
}

TEST(CRMemory, TagsOutsideTheTableCountOnlyAsBlocksAndReturnCountersGivesAll) {
    CRMemory& memory = CRMemory::shared();
    CRMemory::Counters before{}, beforeFrees{}, after{}, afterFrees{};
    memory.returnCounters(before, beforeFrees);
    const Counted outside{CRMemory::kTagCount};
    void* block = memory.malloc(8, CRMemory::kTagCount);
    EXPECT_EQ(outside.added()[2], 1);
    memory.free(block, CRMemory::kTagCount);
    memory.incrementObjectCounter(-1);
    memory.decrementObjectCounter(500);
    EXPECT_EQ(memory.allocations(-1), 0);
    EXPECT_EQ(outside.added(), (Added{0, 0, 0}));
    memory.returnCounters(after, afterFrees);
    EXPECT_EQ(after, before);
    EXPECT_EQ(afterFrees, beforeFrees);

    memory.countAllocation(kTagFishSpine);
    memory.countFree(kTagFishSpine);
    memory.returnCounters(after, afterFrees);
    EXPECT_EQ(after.size(), 161u);
    EXPECT_EQ(after[kTagFishSpine], before[kTagFishSpine] + 1);
    EXPECT_EQ(afterFrees[kTagFishSpine], memory.frees(kTagFishSpine));
    EXPECT_EQ(after[160], memory.allocations(160));
}

TEST(CRStringPool, StringsKeepTheirAddressWhileThePoolGrowsAndSlotsAreReusedLastFirst) {
    CRStringPool pool;
    const int32_t a = pool.emplace("a", kPoolTag);
    const int32_t b = pool.emplace("b", kPoolTag);
    const CRString* bAddress = &pool.at(b);
    std::vector<int32_t> slots;
    for (int32_t i = 0; i < 5000; ++i) // several chunks
        slots.push_back(pool.emplace("text " + std::to_string(i), kPoolTag));
    EXPECT_EQ(&pool.at(b), bAddress);
    EXPECT_EQ(bAddress->str(), "b");
    EXPECT_EQ(bAddress->creatorTag(), kPoolTag);
    EXPECT_EQ(pool.size(), 5002);
    for (int32_t i = 0; i < 5000; i += 999)
        EXPECT_EQ(pool.at(slots[static_cast<std::size_t>(i)]).str(), "text " + std::to_string(i));
    pool.release(a);
    pool.release(b);
    EXPECT_EQ(pool.emplace("b2", kPoolTag), b);
    EXPECT_EQ(&pool.at(b), bAddress);
    EXPECT_EQ(pool.at(b).str(), "b2");
    EXPECT_EQ(pool.emplace(kPoolTag), a);
    EXPECT_FALSE(pool.at(a).hasValue()) << "a reused slot holds a new string";
    const int32_t d = pool.emplace("d", kPoolTag);
    EXPECT_TRUE(d != a && d != b && d != slots[0]);

    CRStringPool other;
    other.emplace("one", kPoolTag);
    const int32_t second = other.emplace("two", kPoolTag);
    pool.swap(other); // exchanges the strings without moving them
    EXPECT_EQ(pool.size(), 2);
    EXPECT_EQ(&other.at(b), bAddress);
    EXPECT_EQ(pool.at(second).str(), "two");
}

TEST(CRStringPool, ReleaseClearAndDestructionDestroyTheStrings) {
    const int64_t before = CRMemory::shared().live(kPoolTag);
    const int64_t strings = CRString::totalCRStringsInstantiated();
    {
        CRStringPool pool;
        for (int32_t i = 0; i < 1500; ++i)
            pool.emplace("x", kPoolTag);
        EXPECT_EQ(CRMemory::shared().live(kPoolTag), before + 1500);
        EXPECT_EQ(CRString::totalCRStringsInstantiated(), strings + 1500);
        pool.release(7);
        EXPECT_EQ(CRMemory::shared().live(kPoolTag), before + 1499);
        pool.clear();
        EXPECT_EQ(CRMemory::shared().live(kPoolTag), before);
        EXPECT_EQ(pool.size(), 0);
        EXPECT_EQ(pool.at(pool.emplace("again", kPoolTag)).str(), "again");
        pool.emplace("left for the destructor", kPoolTag);
        EXPECT_EQ(CRMemory::shared().live(kPoolTag), before + 2);
    }
    EXPECT_EQ(CRMemory::shared().live(kPoolTag), before);
    EXPECT_EQ(CRString::totalCRStringsInstantiated(), strings);
}

// What each thread keeps for itself (its default platform, volatile strings and memory counts)
// is still sound after the thread has ended: Windows builds once corrupted the heap then.
TEST(ThreadOwned, EachThreadHasItsOwnAndItOutlivesTheThread) {
    CCounter::mine() = 7;
    std::vector<std::thread> threads;
    for (int t = 1; t <= 8; ++t)
        threads.emplace_back([t] {
            EXPECT_EQ(CCounter::mine(), 0); // made anew for this thread
            CCounter::mine() = 100 + t;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(CCounter::mine(), 7);
    int total = 0;
    CCounter::forEach([&total](const int& value) { total += value; });
    EXPECT_EQ(total, 7 + 8 * 100 + 36); // every ended thread's value is still there

    const std::size_t volatiles = CRString::volatileStringCount();
    const int64_t live = CRMemory::shared().live(kKindCRString);
    for (int round = 0; round < 20; ++round) {
        threads.clear();
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([round] {
                EXPECT_EQ(CRString::volatileStringCount(), 0u);
                for (int i = 0; i < 50; ++i)
                    CRString::addToGarbage(std::make_unique<CRString>("volatile", 155));
                EXPECT_EQ(CRString::volatileStringCount(), 50u);
                currentPlatform().modifierKeys();
                if (round % 2 == 0)
                    CRString::garbageCollection(); // half the threads leave theirs behind
            });
        for (std::thread& thread : threads)
            thread.join();
    }
    EXPECT_EQ(CRString::volatileStringCount(), volatiles); // this thread's list is its own
    // The ended threads' counts still add up: the strings left behind are still alive.
    EXPECT_EQ(CRMemory::shared().live(kKindCRString), live + 10 * 4 * 50);
}
