#include "storage/CRStringPool.h"

#include "storage/CRMemory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int32_t kPoolTag = 151; // a creator tag no other test here uses

int64_t liveWithPoolTag() {
    return CRMemory::shared().live(kPoolTag);
}

} // namespace

TEST(CRStringPool, StringsKeepTheirAddressAndTextWhileThePoolGrows) {
    CRStringPool pool;
    const int32_t first = pool.emplace("first", kPoolTag);
    const CRString* firstAddress = &pool.at(first);
    std::vector<int32_t> slots;
    for (int32_t i = 0; i < 5000; ++i) // several chunks
        slots.push_back(pool.emplace("text " + std::to_string(i), kPoolTag));
    EXPECT_EQ(&pool.at(first), firstAddress);
    EXPECT_EQ(firstAddress->str(), "first");
    EXPECT_EQ(firstAddress->creatorTag(), kPoolTag);
    EXPECT_EQ(pool.size(), 5001);
    for (int32_t i = 0; i < 5000; i += 999)
        EXPECT_EQ(pool.at(slots[static_cast<std::size_t>(i)]).str(), "text " + std::to_string(i));
}

TEST(CRStringPool, ReleasedSlotsAreReusedLastReleasedFirst) {
    CRStringPool pool;
    const int32_t a = pool.emplace("a", kPoolTag);
    const int32_t b = pool.emplace("b", kPoolTag);
    const int32_t c = pool.emplace("c", kPoolTag);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    const CRString* bAddress = &pool.at(b);
    pool.release(a);
    pool.release(b);
    EXPECT_EQ(pool.size(), 1);
    EXPECT_EQ(pool.emplace("b2", kPoolTag), b);
    EXPECT_EQ(&pool.at(b), bAddress);
    EXPECT_EQ(pool.at(b).str(), "b2");
    EXPECT_EQ(pool.emplace(kPoolTag), a);
    EXPECT_FALSE(pool.at(a).hasValue()) << "a reused slot holds a new string";
    EXPECT_EQ(pool.at(c).str(), "c");
    const int32_t d = pool.emplace("d", kPoolTag);
    EXPECT_NE(d, a);
    EXPECT_NE(d, b);
    EXPECT_NE(d, c);
}

TEST(CRStringPool, ReleaseClearAndDestructionDestroyTheStrings) {
    const int64_t before = liveWithPoolTag();
    const int64_t strings = CRString::totalCRStringsInstantiated();
    {
        CRStringPool pool;
        for (int32_t i = 0; i < 1500; ++i)
            pool.emplace("x", kPoolTag);
        EXPECT_EQ(liveWithPoolTag(), before + 1500);
        EXPECT_EQ(CRString::totalCRStringsInstantiated(), strings + 1500);
        pool.release(7);
        EXPECT_EQ(liveWithPoolTag(), before + 1499);
        pool.clear();
        EXPECT_EQ(liveWithPoolTag(), before);
        EXPECT_EQ(pool.size(), 0);
        const int32_t again = pool.emplace("again", kPoolTag);
        EXPECT_EQ(pool.at(again).str(), "again");
        pool.emplace("left for the destructor", kPoolTag);
        EXPECT_EQ(liveWithPoolTag(), before + 2);
    }
    EXPECT_EQ(liveWithPoolTag(), before);
    EXPECT_EQ(CRString::totalCRStringsInstantiated(), strings);
}

TEST(CRStringPool, SwapExchangesTheStringsWithoutMovingThem) {
    CRStringPool left;
    CRStringPool right;
    const int32_t slot = left.emplace("left", kPoolTag);
    const CRString* address = &left.at(slot);
    right.emplace("right one", kPoolTag);
    const int32_t second = right.emplace("right two", kPoolTag);
    left.swap(right);
    EXPECT_EQ(left.size(), 2);
    EXPECT_EQ(right.size(), 1);
    EXPECT_EQ(&right.at(slot), address);
    EXPECT_EQ(right.at(slot).str(), "left");
    EXPECT_EQ(left.at(second).str(), "right two");
}
