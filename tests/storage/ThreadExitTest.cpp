// What each thread keeps for itself: its own default platform, volatile strings and memory
// counts, still sound after the thread that made them has ended (Windows builds once
// corrupted the heap when such a thread exited).
#include "base/Platform.h"
#include "base/ThreadOwned.h"
#include "storage/CRMemory.h"
#include "storage/CRString.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

struct RCounterTag;
using CCounter = CThreadOwned<RCounterTag, int>;

} // namespace

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
}

TEST(ThreadOwned, ThreadsThatUseThePlatformAndVolatileStringsEndCleanly) {
    const std::size_t before = CRString::volatileStringCount();
    const int64_t stringsBefore = CRMemory::shared().live(kKindCRString);
    for (int round = 0; round < 20; ++round) {
        std::vector<std::thread> threads;
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
    EXPECT_EQ(CRString::volatileStringCount(), before); // this thread's list is its own
    // The ended threads' counts still add up: the strings left behind are still alive.
    EXPECT_EQ(CRMemory::shared().live(kKindCRString), stringsBefore + 10 * 4 * 50);
}
