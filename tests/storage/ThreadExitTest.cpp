// What each thread keeps for itself: its own default platform and its own volatile strings,
// still sound after the thread that made them has ended (Windows builds once corrupted the
// heap when such a thread exited).
#include "base/Platform.h"
#include "base/ThreadOwned.h"
#include "storage/CRString.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

struct RCounterTag;
struct ROtherCounterTag;

} // namespace

TEST(ThreadOwned, EachThreadHasItsOwnAndKeepsItPastItsEnd) {
    int& here = threadOwned<RCounterTag, int>();
    here = 7;
    const auto ownCounter = [] { return &threadOwned<RCounterTag, int>(); };
    const auto otherCounter = [] { return &threadOwned<ROtherCounterTag, int>(); };
    EXPECT_EQ(ownCounter(), &here);
    EXPECT_NE(otherCounter(), &here); // another tag, another object

    std::vector<int*> theirs(8, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < theirs.size(); ++t)
        threads.emplace_back([&theirs, &ownCounter, t] {
            int& mine = *ownCounter();
            EXPECT_EQ(mine, 0); // made anew for this thread
            mine = static_cast<int>(t) + 100;
            theirs[t] = &mine;
        });
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t t = 0; t < theirs.size(); ++t) {
        ASSERT_NE(theirs[t], &here);
        EXPECT_EQ(*theirs[t], static_cast<int>(t) + 100); // still there after the thread ended
    }
    EXPECT_EQ(here, 7);
}

TEST(ThreadOwned, ThreadsThatUseThePlatformAndVolatileStringsEndCleanly) {
    const std::size_t before = CRString::volatileStringCount();
    for (int round = 0; round < 20; ++round) {
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([round] {
                EXPECT_EQ(CRString::volatileStringCount(), 0u);
                for (int i = 0; i < 50; ++i)
                    CRString::addToGarbage(std::make_unique<CRString>("volatile", 1));
                EXPECT_EQ(CRString::volatileStringCount(), 50u);
                currentPlatform().modifierKeys();
                if (round % 2 == 0)
                    CRString::garbageCollection(); // half the threads leave theirs behind
            });
        for (std::thread& thread : threads)
            thread.join();
    }
    EXPECT_EQ(CRString::volatileStringCount(), before); // this thread's list is its own
}
