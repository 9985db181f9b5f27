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

// "allocations frees blocks" added under a tag since it was made.
struct Counted {
    int32_t tag;
    int64_t allocations = CRMemory::shared().allocations(tag);
    int64_t frees = CRMemory::shared().frees(tag);
    int64_t blocks = CRMemory::shared().blocksAllocated();
    std::string added() const {
        CRMemory& m = CRMemory::shared();
        return std::to_string(m.allocations(tag) - allocations) + " " +
               std::to_string(m.frees(tag) - frees) + " " +
               std::to_string(m.blocksAllocated() - blocks);
    }
};

} // namespace

TEST(CRMemory, BlocksObjectsAndHelpersCountUnderTheirTagsAndOtherTagsOnlyAsBlocks) {
    CRMemory& memory = CRMemory::shared();
    const Counted array{kTagSortedArray};
    void* a = memory.malloc(16, kTagSortedArray);
    void* b = memory.malloc(0, kTagSortedArray); // a size of 0 still gives a block
    ASSERT_TRUE(a && b);
    EXPECT_EQ(array.added(), "2 0 2");
    EXPECT_EQ(memory.live(kTagSortedArray), array.allocations + 2 - array.frees);
    a = memory.realloc(a, 4096); // not counted
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(array.added(), "2 0 2");
    memory.free(a, kTagSortedArray);
    memory.free(b, kTagSortedArray);
    memory.free(nullptr, kTagSortedArray); // nothing to free, nothing counted
    EXPECT_EQ(array.added(), "2 2 0");

    const Counted symbols{kKindCSymbol}, tablets{kKindCTablet}, columns{kTagTabletColumn};
    memory.incrementObjectCounter(kKindCSymbol); // objects are counted, but are no blocks
    memory.incrementObjectCounter(kKindCSymbol);
    memory.decrementObjectCounter(kKindCSymbol);
    EXPECT_EQ(symbols.added(), "2 1 0");
    memory.decrementObjectCounter(kKindCSymbol);
    {
        RObjectCounter<kKindCTablet> first;
        RObjectCounter<kKindCTablet> copy(first);
        RCountedBuffer<kTagTabletColumn> buffer;
        EXPECT_EQ(tablets.added() + ", " + columns.added(), "2 0 1, 1 0 1");
    }
    EXPECT_EQ(tablets.added() + ", " + columns.added(), "2 2 0, 1 1 0");

    CRMemory::Counters before{}, beforeFrees{}, after{}, afterFrees{};
    memory.returnCounters(before, beforeFrees);
    const Counted outside{CRMemory::kTagCount};
    void* block = memory.malloc(8, CRMemory::kTagCount);
    EXPECT_EQ(outside.added(), "0 0 1");
    memory.free(block, CRMemory::kTagCount);
    memory.incrementObjectCounter(-1);
    memory.decrementObjectCounter(500);
    EXPECT_EQ(memory.allocations(-1), 0);
    EXPECT_EQ(outside.added(), "0 0 0");
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

TEST(CRStringPool, StringsKeepTheirAddressSlotsAreReusedLastFirstAndAllAreDestroyed) {
    const int64_t live = CRMemory::shared().live(kPoolTag);
    const int64_t strings = CRString::totalCRStringsInstantiated();
    {
        CRStringPool pool;
        const int32_t a = pool.emplace("a", kPoolTag);
        const int32_t b = pool.emplace("b", kPoolTag);
        const CRString* bAddress = &pool.at(b);
        std::vector<int32_t> slots;
        for (int32_t i = 0; i < 5000; ++i) // several chunks
            slots.push_back(pool.emplace("text " + std::to_string(i), kPoolTag));
        EXPECT_EQ(&pool.at(b), bAddress);
        EXPECT_EQ(bAddress->str() + std::to_string(bAddress->creatorTag()), "b151");
        EXPECT_EQ(pool.size(), 5002);
        EXPECT_EQ(CRMemory::shared().live(kPoolTag), live + 5002);
        EXPECT_EQ(CRString::totalCRStringsInstantiated(), strings + 5002);
        for (int32_t i = 0; i < 5000; i += 999)
            EXPECT_EQ(pool.at(slots[static_cast<std::size_t>(i)]).str(),
                      "text " + std::to_string(i));
        pool.release(a);
        pool.release(b);
        EXPECT_EQ(CRMemory::shared().live(kPoolTag), live + 5000);
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
        other.clear();
        EXPECT_EQ(other.size(), 0);
        EXPECT_EQ(CRMemory::shared().live(kPoolTag), live + 2);
        EXPECT_EQ(other.at(other.emplace("again", kPoolTag)).str(), "again");
    }
    EXPECT_EQ(CRMemory::shared().live(kPoolTag), live);
    EXPECT_EQ(CRString::totalCRStringsInstantiated(), strings);
}

// What each thread keeps for itself (its default platform, volatile strings and memory counts)
// is still sound after the thread has ended: Windows builds once corrupted the heap then.
// Collecting frees a thread's volatile strings: those of the threads that do not stay alive.
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

    EXPECT_EQ(CRString::addToGarbage(nullptr), nullptr);
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
