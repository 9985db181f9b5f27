#include "storage/CStringManager.h"

#include "storage/CRFile.h"
#include "storage/StorageTestSupport.h"
#include "support/ContainerTestSupport.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int32_t kRegisteredTag = 147;
constexpr int32_t kLoadedTag = 88;
constexpr int32_t kUnused = CStringManager::kUnused;
constexpr int32_t kUndone = CStringManager::kUndone;
constexpr int32_t kCurrent = CStringManager::kCurrent;
const std::string kRead = "CStringManager::readStringStructureFromDisk ";

RErr writeStrings(const std::string& path, const CStringManager& manager) {
    return withContainer(path, [&](CRFile& f) { return manager.writeStringStructureToDisk(f); });
}

RErr readStrings(const std::string& path, CStringManager& manager) {
    return withContainer(path, [&](CRFile& f) { return manager.readStringStructureFromDisk(f); });
}

Bytes record(int32_t id, const std::string& text) {
    Bytes bytes = words({id});
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// A 'Stri' fork: the highest ID, then each record's ID and text with its 0 byte.
Bytes fork(int32_t highest, const std::vector<std::pair<int32_t, std::string>>& records) {
    Bytes bytes = words({highest});
    for (const auto& [id, text] : records) {
        const Bytes r = record(id, text);
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    return bytes;
}

int32_t registered(CStringManager& manager, const std::string& text) {
    int32_t id = -1;
    EXPECT_EQ(manager.registerString(CRString(text, 1), id), kNoErr);
    return id;
}

// "status:text" of an entry, text "-" for an entry without one.
std::string entry(const CStringManager& manager, int32_t id) {
    int32_t status = -1;
    const CRString* text = nullptr;
    EXPECT_TRUE(
        all(kNoErr, {manager.getStringStatus(id, status), manager.getPointerToString(id, text)}));
    return std::to_string(status) + ":" + (text ? text->str() : "-");
}

// Current 1 "NP", 4 "Det", 5 "N"; undone 2 "VP"; 3 unused.
void buildMixedManager(CStringManager& manager) {
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    for (const char* text : {"NP", "VP", "PP", "Det", "N"})
        registered(manager, text);
    ASSERT_TRUE(
        all(kNoErr, {manager.setStringStatus(2, kUndone), manager.setStringStatus(3, kUnused)}));
}

// A failed read must leave the mixed manager exactly as it was.
void expectMixedManager(CStringManager& manager) {
    EXPECT_EQ(manager.maxArrayIndex(), 5);
    EXPECT_EQ(entry(manager, 1), "3:NP");
    EXPECT_EQ(entry(manager, 2), "2:VP");
    EXPECT_EQ(entry(manager, 3), "1:-");
    EXPECT_EQ(entry(manager, 4), "3:Det");
    EXPECT_EQ(registered(manager, "next"), 3);
}

class CStringManagerTest : public StorageTest {
protected:
    const std::string path = newContainer(dir, "s.rgr");
    CStringManager manager;
};

} // namespace

TEST_F(CStringManagerTest, IdsAreHandedOutInOrderFreedOnesReusedLastFreedFirst) {
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    EXPECT_EQ(manager.maxArrayIndex(), 1);
    CRString label("S", 5);
    int32_t id = 0;
    ASSERT_EQ(manager.registerString(label, id), kNoErr);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(registered(manager, "NP"), 2);
    EXPECT_EQ(registered(manager, "VP"), 3);
    label.setStringValue("changed by the caller"); // the manager keeps a copy
    const CRString* stored = nullptr;
    ASSERT_EQ(manager.getPointerToString(1, stored), kNoErr);
    EXPECT_EQ(stored->str(), "S");
    EXPECT_EQ(stored->creatorTag(), kRegisteredTag);

    ASSERT_EQ(manager.setStringStatus(2, kUnused), kNoErr);
    EXPECT_EQ(entry(manager, 2), "1:-");
    EXPECT_EQ(registered(manager, "b2"), 2);
    ASSERT_TRUE(
        all(kNoErr, {manager.setStringStatus(2, kUnused), manager.setStringStatus(3, kUnused),
                     manager.setStringStatus(1, kUndone)}));
    EXPECT_EQ(entry(manager, 1), "2:S");
    EXPECT_EQ(registered(manager, "x"), 3);
    EXPECT_EQ(registered(manager, "y"), 2);
    EXPECT_EQ(registered(manager, "z"), 4) << "an undone entry must not be handed out";
    ASSERT_TRUE(all(kNoErr, {manager.setStringStatus(1, kCurrent),
                             manager.replaceStringText(1, CRString("Nouns", 3))}));
    EXPECT_EQ(entry(manager, 1), "3:Nouns");
    EXPECT_EQ(manager.maxArrayIndex(), 4);
}

TEST_F(CStringManagerTest, InvalidCallsAreRefusedWithTheirCodes) {
    const CRString* text = nullptr;
    int32_t id = 9;
    EXPECT_EQ(manager.registerString(CRString("a", 1), id), kErrNotInitialized);
    EXPECT_EQ(id, 0);
    EXPECT_TRUE(
        all(kErrNotInitialized, {manager.setStringStatus(1, 1), manager.getPointerToString(1, text),
                                 manager.destroyStringStructure(), writeStrings(path, manager)}));
    const std::string uninitialized = " (data structure not initialized)";
    EXPECT_EQ(reports(), (Texts{"CStringManager::registerString" + uninitialized,
                                "CStringManager::setStringStatus" + uninitialized,
                                "CStringManager::getPointerToString" + uninitialized,
                                "CStringManager::destroyStringStructure" + uninitialized,
                                "CStringManager::writeStringStructureToDisk" + uninitialized}));

    platform.recorder.clear();
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    EXPECT_EQ(manager.createStringStructure(), kErrReinitialized);
    for (const char* t : {"a", "b", "c"})
        registered(manager, t);
    ASSERT_EQ(manager.setStringStatus(3, kUnused), kNoErr);
    const CRString sentinel("not an entry", 1);
    text = &sentinel;
    EXPECT_EQ(manager.getPointerToString(0, text), kErrInvalidParameter);
    EXPECT_EQ(text, nullptr);
    EXPECT_TRUE(all(kErrInvalidParameter,
                    {manager.getPointerToString(4, text), manager.getPointerToString(-1, text)}));
    // {id, status}: outside the table, no such status, or an unused entry freed or revived.
    const std::pair<int32_t, int32_t> refused[] = {{0, kUndone}, {4, kUndone},  {1, 0},      {1, 4},
                                                   {3, kUnused}, {3, kCurrent}, {3, kUndone}};
    for (const auto& [which, status] : refused)
        EXPECT_EQ(manager.setStringStatus(which, status), kErrInvalidParameter) << which;
    EXPECT_TRUE(all(kErrInvalidParameter, {manager.replaceStringText(4, CRString("c", 1)),
                                           manager.replaceStringText(3, CRString("c", 1))}));
    const Texts r = reports();
    ASSERT_EQ(r.size(), 13u);
    EXPECT_EQ(r[0], "CStringManager::createStringStructure (attempt to reinitialize data "
                    "structure)");
    EXPECT_EQ(r[1], "CStringManager::getPointerToString (invalid parameter)");
    EXPECT_EQ(r[4], "CStringManager::setStringStatus (invalid parameter)");
    EXPECT_EQ(r[12], "CStringManager::replaceStringText (invalid parameter)");
    EXPECT_EQ(entry(manager, 1), "3:a");
    // Entry 3 is on the free list once: it comes back once, then the table grows.
    EXPECT_EQ(registered(manager, "x"), 3);
    EXPECT_EQ(registered(manager, "y"), 4);
}

TEST_F(CStringManagerTest, CountsItsTableAndTheTextsItOwnsWhichStayPut) {
    CRMemory& memory = CRMemory::shared();
    const int64_t managers = memory.live(kKindCStringManager) - 1; // the fixture's
    const int64_t tables = memory.live(kTagStringTable);
    const int64_t copies = memory.live(kRegisteredTag);
    const int64_t loaded = memory.live(kLoadedTag);
    const int64_t readBuffers = memory.live(kTagStringReadBuffer);
    {
        CStringManager other;
        EXPECT_EQ(memory.live(kKindCStringManager), managers + 2);
        ASSERT_EQ(other.createStringStructure(), kNoErr);
        registered(other, "left for the destructor");
    }
    EXPECT_EQ(memory.live(kKindCStringManager), managers + 1);
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    EXPECT_EQ(memory.live(kTagStringTable), tables + 1);
    const int32_t np = registered(manager, "NP");
    const CRString* held = nullptr;
    ASSERT_EQ(manager.getPointerToString(np, held), kNoErr);
    for (int32_t i = 0; i < 3000; ++i)
        registered(manager, "filler " + std::to_string(i));
    for (int32_t id = 2; id <= 3001; id += 2)
        ASSERT_EQ(manager.setStringStatus(id, kUnused), kNoErr);
    ASSERT_EQ(manager.setStringStatus(3, kUndone), kNoErr);
    const CRString* again = nullptr;
    ASSERT_EQ(manager.getPointerToString(np, again), kNoErr);
    EXPECT_EQ(again, held);
    EXPECT_EQ(held->str(), "NP");
    EXPECT_EQ(memory.live(kRegisteredTag), copies + 1501);
    // A text the manager holds can be registered again, or replace itself.
    int32_t copy = 0;
    ASSERT_EQ(manager.registerString(*held, copy), kNoErr);
    EXPECT_EQ(copy, 3000) << "the last freed ID comes first";
    EXPECT_EQ(entry(manager, copy), "3:NP");
    ASSERT_TRUE(
        all(kNoErr, {manager.replaceStringText(np, *held), manager.getPointerToString(np, again)}));
    EXPECT_EQ(again->str(), "NP");
    EXPECT_EQ(again->creatorTag(), kRegisteredTag);
    EXPECT_EQ(memory.live(kRegisteredTag), copies + 1502);

    ASSERT_TRUE(all(kNoErr, {writeStrings(path, manager), readStrings(path, manager)}));
    EXPECT_EQ(memory.live(kRegisteredTag), copies);
    EXPECT_EQ(memory.live(kLoadedTag), loaded + 1501); // the undone text is not saved
    EXPECT_EQ(memory.live(kTagStringTable), tables + 1);
    EXPECT_EQ(memory.live(kTagStringReadBuffer), readBuffers);
    EXPECT_GT(memory.allocations(kTagStringReadBuffer), 0);
    ASSERT_EQ(manager.getPointerToString(np, again), kNoErr);
    EXPECT_EQ(again->creatorTag(), kLoadedTag);
    ASSERT_EQ(manager.destroyStringStructure(), kNoErr);
    EXPECT_FALSE(manager.exists());
    EXPECT_EQ(memory.live(kTagStringTable), tables);
    EXPECT_EQ(memory.live(kLoadedTag), loaded);
}

TEST_F(CStringManagerTest, WritesCurrentStringsInAscendingOrderAndReadsThemBackWithTheirIds) {
    buildMixedManager(manager);
    ASSERT_EQ(writeStrings(path, manager), kNoErr);
    EXPECT_EQ(forkBytes(path, kForkStrings), fork(5, {{1, "NP"}, {4, "Det"}, {5, "N"}}));
    // 'DATA' is empty, so the 'Stri' fork starts at the file's first byte.
    EXPECT_EQ(slice(readFileBytes(path), 0, 9), (Bytes{0, 0, 0, 5, 0, 0, 0, 1, 'N'}));

    CStringManager loaded;
    ASSERT_EQ(loaded.createStringStructure(), kNoErr);
    registered(loaded, "replaced by the read");
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(loaded.maxArrayIndex(), 5);
    const Texts entries = {"3:NP", "1:-", "1:-", "3:Det", "3:N"};
    for (int32_t id = 1; id <= 5; ++id)
        EXPECT_EQ(entry(loaded, id), entries[static_cast<std::size_t>(id - 1)]) << id;
    EXPECT_EQ(registered(loaded, "S"), 3);
    EXPECT_EQ(registered(loaded, "VP"), 2);
    EXPECT_EQ(registered(loaded, "AP"), 6);

    // Rewriting an existing fork resizes it to the new contents.
    ASSERT_TRUE(all(kNoErr, {loaded.setStringStatus(4, kUnused), loaded.setStringStatus(6, kUndone),
                             writeStrings(path, loaded)}));
    EXPECT_EQ(forkBytes(path, kForkStrings), fork(5, {{1, "NP"}, {2, "VP"}, {3, "S"}, {5, "N"}}));

    // Texts are their UTF-8 bytes; with no current string H is 0 and the table loads empty.
    const std::string label = "Caf\xC3\xA9 \xE2\x86\x92 \xCE\xBB"; // Café → λ
    ASSERT_TRUE(all(kNoErr, {loaded.replaceStringText(1, CRString(label, 1)),
                             loaded.setStringStatus(2, kUnused), loaded.setStringStatus(3, kUnused),
                             loaded.setStringStatus(5, kUndone), writeStrings(path, loaded)}));
    EXPECT_EQ(forkBytes(path, kForkStrings),
              (Bytes{0,    0,    0,   1,    0,    0,    0,   1,    'C',  'a', 'f',
                     0xC3, 0xA9, ' ', 0xE2, 0x86, 0x92, ' ', 0xCE, 0xBB, 0}));
    ASSERT_EQ(readStrings(path, manager), kNoErr);
    EXPECT_EQ(entry(manager, 1), "3:" + label);
    ASSERT_TRUE(all(kNoErr, {loaded.setStringStatus(1, kUndone), writeStrings(path, loaded)}));
    EXPECT_EQ(forkBytes(path, kForkStrings), words({0}));
    CStringManager empty; // reading also serves an uncreated manager
    ASSERT_EQ(readStrings(path, empty), kNoErr);
    EXPECT_TRUE(empty.exists());
    EXPECT_EQ(empty.maxArrayIndex(), 0);
    EXPECT_EQ(registered(empty, "first"), 1);
    EXPECT_EQ(registered(empty, "second"), 2);
}

TEST_F(CStringManagerTest, LongestTextSurvivesAndOneByteMoreIsNeitherSavedNorLoaded) {
    const std::string longest(CStringManager::kMaxStoredTextBytes, 'x');
    ASSERT_EQ(longest.size(), 32999u);
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    for (const std::string& text : {std::string("before"), longest, std::string("after")})
        registered(manager, text);
    ASSERT_EQ(writeStrings(path, manager), kNoErr);
    CStringManager loaded;
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(entry(loaded, 2), "3:" + longest);
    EXPECT_EQ(entry(loaded, 3), "3:after");
    // A text the reader would refuse is not saved either: the file could never be opened.
    ASSERT_EQ(manager.replaceStringText(2, CRString(longest + "y", 1)), kNoErr);
    EXPECT_EQ(writeStrings(path, manager), kErrInvalidParameter);
    EXPECT_EQ(reports(), Texts{"CStringManager::writeStringStructureToDisk (invalid parameter)"});
    EXPECT_EQ(forkBytes(path, kForkStrings), fork(3, {{1, "before"}, {2, longest}, {3, "after"}}));
}

TEST_F(CStringManagerTest, DamagedOrMissingForksFailCleanlyAndLeaveTheManagerAsItWas) {
    buildMixedManager(manager);
    EXPECT_EQ(readStrings(path, manager), kErrNoSuchFork);
    EXPECT_EQ(reports().back(), kRead + "(-102)");
    expectMixedManager(manager);

    // Texts of many lengths, some of the longest kind, so that records straddle every point
    // where the reader fetches more of the fork; every 13th ID is free.
    std::vector<std::pair<int32_t, std::string>> records;
    for (int32_t id = 1; id <= 600; ++id) {
        std::string text = std::to_string(id);
        text.resize(id % 50 == 0 ? 32999 : std::size_t(id * 7919 % 3000),
                    static_cast<char>('a' + id % 26));
        if (id % 13)
            records.emplace_back(id, text);
    }
    const Bytes large = fork(600, records);
    ASSERT_GT(large.size(), 500000u);
    replaceFork(path, kForkStrings, large);
    CStringManager loaded;
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(loaded.maxArrayIndex(), 600);
    for (const auto& [id, text] : records)
        ASSERT_EQ(entry(loaded, id), "3:" + text) << id;
    EXPECT_EQ(entry(loaded, 598), "1:-");
    EXPECT_EQ(registered(loaded, "reused"), 598);
    ASSERT_EQ(writeStrings(path, loaded), kNoErr);
    records.emplace_back(598, "reused");
    std::sort(records.begin(), records.end());
    EXPECT_EQ(forkBytes(path, kForkStrings), fork(600, records));

    // A high H with few records is sound: the IDs below it were free when it was saved.
    replaceFork(path, kForkStrings, fork(100000, {{7, "seven"}, {100000, "last"}}));
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(loaded.maxArrayIndex(), 100000);
    EXPECT_EQ(entry(loaded, 7), "3:seven");
    EXPECT_EQ(entry(loaded, 100000), "3:last");
    EXPECT_EQ(registered(loaded, "reused"), 99999);

    const auto damage = [](Bytes bytes, const Bytes& tail) {
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    const Bytes a = fork(2, {{1, "a"}});
    const std::string tooLong(33000, 'q');
    Bytes longPrefix = large;
    std::copy_n(words({601}).begin(), 4, longPrefix.begin()); // H 601, its record to follow
    const struct {
        const char* what;
        Bytes bytes;
        RErr code;
    } rows[] = {
        {"ID 0", fork(2, {{0, "a"}, {2, "b"}}), kErrInvalidFormat},
        {"ID above H", fork(2, {{1, "a"}, {3, "b"}}), kErrInvalidFormat},
        {"descending IDs", fork(3, {{2, "a"}, {1, "b"}, {3, "c"}}), kErrInvalidFormat},
        {"repeated ID", fork(3, {{1, "a"}, {1, "b"}, {3, "c"}}), kErrInvalidFormat},
        {"negative ID", fork(2, {{-1, "a"}, {2, "b"}}), kErrInvalidFormat},
        {"no record for H", fork(3, {{1, "a"}, {2, "b"}}), kErrInvalidFormat},
        {"missing terminator", damage(a, {0, 0, 0, 2, 'b'}), kErrInvalidFormat},
        {"fork ends inside an ID", damage(a, {0, 0}), kErrInvalidFormat},
        {"bytes after H", damage(fork(1, {{1, "a"}}), {'z'}), kErrInvalidFormat},
        {"H zero with records", fork(0, {{1, "a"}}), kErrInvalidFormat},
        {"H negative", fork(-5, {}), kErrInvalidFormat},
        {"H huge", fork(0x7FFFFFFF, {{0x7FFFFFFF, "a"}}), kErrInvalidFormat},
        {"H just above the table limit", fork((1 << 24) + 1, {{(1 << 24) + 1, "a"}}),
         kErrInvalidFormat},
        {"too short for H", {0, 0, 1}, kErrInvalidFormat},
        {"empty", {}, kErrInvalidFormat},
        // Too long before the fork's end: the length limit speaks first.
        {"text too long", fork(1, {{1, tooLong}}), kErrGeneral},
        {"long unterminated", damage(words({1, 1}), Bytes(40000, 'q')), kErrGeneral},
        // The same damage far from the fork's start.
        {"far: text too long", damage(longPrefix, record(601, tooLong)), kErrGeneral},
        {"far: missing terminator", damage(longPrefix, damage(words({601}), Bytes(100, 'u'))),
         kErrInvalidFormat},
        {"far: no record for H", longPrefix, kErrInvalidFormat},
        {"far: bytes after H", damage(large, {'z'}), kErrInvalidFormat},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        platform.recorder.clear();
        replaceFork(path, kForkStrings, row.bytes);
        CStringManager kept;
        buildMixedManager(kept);
        EXPECT_EQ(readStrings(path, kept), row.code);
        EXPECT_EQ(reports(),
                  Texts{kRead + (row.code == kErrGeneral ? "(general error)" : "(1008)")});
        expectMixedManager(kept);
    }
}
