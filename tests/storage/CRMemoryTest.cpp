// The counters are global and shared with every other test, so each test looks at the change
// it makes.
#include "storage/CRMemory.h"

#include "base/Platform.h"
#include "base/ThreadOwned.h"
#include "storage/CRStringPool.h"
#include "storage/StorageTestSupport.h"

#include <thread>
#include <tuple>
#include <vector>

namespace {

constexpr int32_t kPoolTag = 151; // a creator tag no other test here uses
struct RCounterTag;
using CCounter = CThreadOwned<RCounterTag, int>;

} // namespace

TEST(CRMemory, BlocksObjectsAndHelpersCountUnderTheirTagsAndOtherTagsOnlyAsBlocks) {
    CRMemory& memory = CRMemory::shared();
    CRMemory::Counters before{}, beforeFrees{};
    memory.returnCounters(before, beforeFrees);
    int64_t blocks = memory.blocksAllocated();
    // "22:2/0 blocks 2": each tag whose allocations or frees changed since the last call, then
    // the change in blocks; the counters returned are those of the single-tag reads.
    const auto changes = [&] {
        CRMemory::Counters now{}, frees{};
        memory.returnCounters(now, frees);
        std::string out;
        for (int32_t tag = 0; tag < CRMemory::kTagCount; ++tag) {
            const auto t = static_cast<std::size_t>(tag);
            EXPECT_EQ(join({now[t], frees[t]}), join({memory.allocations(tag), memory.frees(tag)}));
            if (now[t] != before[t] || frees[t] != beforeFrees[t])
                out += join({tag}) + ":" + join({now[t] - before[t]}) + "/" +
                       join({frees[t] - beforeFrees[t]}) + " ";
        }
        out += "blocks " + join({memory.blocksAllocated() - blocks});
        std::tie(before, beforeFrees, blocks) =
            std::make_tuple(now, frees, memory.blocksAllocated());
        return out;
    };
    void* a = memory.malloc(16, kTagSortedArray);
    void* b = memory.malloc(0, kTagSortedArray); // a size of 0 still gives a block
    EXPECT_EQ(changes(), "22:2/0 blocks 2");
    a = memory.realloc(a, 4096); // not counted
    EXPECT_EQ(changes(), "blocks 0");
    memory.free(a, kTagSortedArray);
    memory.free(b, kTagSortedArray);
    memory.free(nullptr, kTagSortedArray); // nothing to free, nothing counted
    EXPECT_EQ(changes(), "22:0/2 blocks -2");
    memory.incrementObjectCounter(kKindCSymbol); // objects are counted, but are no blocks
    memory.incrementObjectCounter(kKindCSymbol);
    memory.decrementObjectCounter(kKindCSymbol);
    EXPECT_EQ(changes(), "18:2/1 blocks 0");
    memory.decrementObjectCounter(kKindCSymbol);
    {
        RObjectCounter<kKindCTablet> first;
        RObjectCounter<kKindCTablet> copy(first);
        RCountedBuffer<kTagTabletColumn> buffer;
        EXPECT_EQ(changes(), "8:2/0 18:0/1 31:1/0 blocks 1");
    }
    EXPECT_EQ(changes(), "8:0/2 31:0/1 blocks -1");
    void* block = memory.malloc(8, CRMemory::kTagCount);
    EXPECT_EQ(changes(), "blocks 1");
    memory.free(block, CRMemory::kTagCount);
    memory.incrementObjectCounter(-1);
    memory.decrementObjectCounter(500);
    EXPECT_EQ(join({memory.allocations(-1), memory.frees(500)}), "0 0");
    memory.countAllocation(kTagFishSpine);
    memory.countFree(kTagFishSpine);
    EXPECT_EQ(changes(), "33:1/1 blocks -1");
}

TEST(CRStringPool, StringsKeepTheirAddressSlotsAreReusedLastFirstAndAllAreDestroyed) {
    const int64_t live = CRMemory::shared().live(kPoolTag);
    const int64_t strings = CRString::totalCRStringsInstantiated();
    // Strings alive under the pool's tag, and in all, beyond those before.
    const auto alive = [&] {
        return join({CRMemory::shared().live(kPoolTag) - live,
                     CRString::totalCRStringsInstantiated() - strings});
    };
    {
        CRStringPool pool;
        const int32_t a = pool.emplace("a", kPoolTag);
        const int32_t b = pool.emplace("b", kPoolTag);
        const CRString* bAddress = &pool.at(b);
        std::vector<int32_t> slots;
        for (int32_t i = 0; i < 5000; ++i) // several chunks
            slots.push_back(pool.emplace("text " + std::to_string(i), kPoolTag));
        EXPECT_EQ(&pool.at(b), bAddress);
        EXPECT_EQ(bAddress->str() + join({bAddress->creatorTag(), pool.size()}) + " " + alive(),
                  "b151 5002 5002 5002");
        EXPECT_EQ(pool.at(slots[0]).str() + ", " + pool.at(slots[4999]).str(), "text 0, text 4999");
        pool.release(a);
        pool.release(b);
        EXPECT_EQ(alive(), "5000 5000");
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
        EXPECT_EQ(&other.at(b), bAddress);
        EXPECT_EQ(pool.at(second).str() + join({pool.size()}), "two2");
        other.clear();
        EXPECT_EQ(join({other.size()}) + " " + alive(), "0 2 2");
        EXPECT_EQ(other.at(other.emplace("again", kPoolTag)).str(), "again");
    }
    EXPECT_EQ(alive(), "0 0");
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
