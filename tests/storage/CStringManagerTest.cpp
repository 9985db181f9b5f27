#include "storage/CStringManager.h"

#include "base/ErrorReporter.h"
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

RErr writeStrings(const std::string& path, const CStringManager& manager) {
    return withContainer(path, [&](CRFile& f) { return manager.writeStringStructureToDisk(f); });
}

RErr readStrings(const std::string& path, CStringManager& manager) {
    return withContainer(path, [&](CRFile& f) { return manager.readStringStructureFromDisk(f); });
}

Bytes record(int32_t id, const std::string& text) {
    const Bytes bytes = words({id}) + Bytes(text.begin(), text.end());
    return bytes + Bytes{0};
}

// A 'Stri' fork: the highest ID, then each record's ID and text with its 0 byte.
Bytes fork(int32_t highest, const std::vector<std::pair<int32_t, std::string>>& records) {
    Bytes bytes = words({highest});
    for (const auto& [id, text] : records)
        bytes = bytes + record(id, text);
    return bytes;
}

// The IDs given to the texts, registered in order: "4 2".
std::string ids(CStringManager& manager, const Texts& texts) {
    std::string out;
    for (const std::string& text : texts) {
        int32_t id = -1;
        EXPECT_EQ(manager.registerString(CRString(text, 1), id), kNoErr);
        out += (out.empty() ? "" : " ") + std::to_string(id);
    }
    return out;
}

// "1:NP 2~VP 3-": each entry's ID, then ':' and its text if current, '~' and its text if
// undone, '-' if unused.
std::string dump(const CStringManager& manager) {
    std::string out;
    for (int32_t id = 1; id <= manager.maxArrayIndex(); ++id) {
        int32_t status = -1;
        const CRString* text = nullptr;
        EXPECT_TRUE(all(
            kNoErr, {manager.getStringStatus(id, status), manager.getPointerToString(id, text)}));
        out += (out.empty() ? "" : " ") + std::to_string(id) + ("?-~:"[std::clamp(status, 0, 3)]) +
               (text ? text->str() : "");
    }
    return out;
}

// Current 1 "NP", 4 "Det", 5 "N"; undone 2 "VP"; 3 unused.
void buildMixedManager(CStringManager& manager) {
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    ids(manager, {"NP", "VP", "PP", "Det", "N"});
    ASSERT_TRUE(
        all(kNoErr, {manager.setStringStatus(2, kUndone), manager.setStringStatus(3, kUnused)}));
}
const char* const kMixed = "1:NP 2~VP 3- 4:Det 5:N";

class CStringManagerTest : public StorageTest {
protected:
    const std::string path = newContainer(dir, "s.rgr");
    RErr set(int32_t id, int32_t status) { return manager.setStringStatus(id, status); }
    CStringManager manager;
};

} // namespace

TEST_F(CStringManagerTest, IdsAreHandedOutInOrderFreedOnesReusedLastFreedFirst) {
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    EXPECT_EQ(dump(manager), "1-");
    CRString label("S", 5);
    int32_t id = 0;
    ASSERT_EQ(manager.registerString(label, id), kNoErr);
    EXPECT_EQ(std::to_string(id) + " " + ids(manager, {"NP", "VP"}), "1 2 3");
    label.setStringValue("changed by the caller"); // the manager keeps a copy
    const CRString* stored = nullptr;
    ASSERT_EQ(manager.getPointerToString(1, stored), kNoErr);
    EXPECT_EQ(stored->creatorTag(), kRegisteredTag);
    ASSERT_EQ(set(2, kUnused), kNoErr);
    EXPECT_EQ(dump(manager), "1:S 2- 3:VP");
    EXPECT_EQ(ids(manager, {"b2"}), "2");
    ASSERT_TRUE(all(kNoErr, {set(2, kUnused), set(3, kUnused), set(1, kUndone)}));
    EXPECT_EQ(dump(manager), "1~S 2- 3-");
    EXPECT_EQ(ids(manager, {"x", "y", "z"}), "3 2 4"); // an undone entry is not handed out
    ASSERT_TRUE(
        all(kNoErr, {set(1, kCurrent), manager.replaceStringText(1, CRString("Nouns", 3))}));
    EXPECT_EQ(dump(manager), "1:Nouns 2:y 3:x 4:z");
}

TEST_F(CStringManagerTest, InvalidCallsAreRefusedWithTheirCodes) {
    const CRString* text = nullptr;
    int32_t id = 9, status = 0;
    EXPECT_EQ(join({manager.registerString(CRString("a", 1), id), set(1, 1),
                    manager.getPointerToString(1, text), manager.getStringStatus(1, status),
                    manager.destroyStringStructure(), writeStrings(path, manager)}),
              "1002 1002 1002 1002 1002 1002");
    EXPECT_EQ(id, 0);
    EXPECT_EQ(reports().size(), 6u);
    EXPECT_EQ(reports().front(), "CStringManager::registerString (data structure not initialized)");
    platform.recorder.clear();
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    EXPECT_EQ(manager.createStringStructure(), kErrReinitialized);
    EXPECT_EQ(takeLog(),
              "CStringManager::createStringStructure (attempt to reinitialize data structure)");
    ids(manager, {"a", "b", "c"});
    ASSERT_EQ(set(3, kUnused), kNoErr);
    const CRString sentinel("not an entry", 1);
    text = &sentinel;
    // Outside the table, no such status, or an unused entry freed, revived or given a text.
    EXPECT_EQ(
        join({manager.getPointerToString(0, text), manager.getPointerToString(4, text),
              manager.getPointerToString(-1, text), manager.getStringStatus(4, status),
              set(0, kUndone), set(4, kUndone), set(1, 0), set(1, 4), set(3, kUnused),
              set(3, kCurrent), set(3, kUndone), manager.replaceStringText(4, CRString("c", 1)),
              manager.replaceStringText(3, CRString("c", 1))}),
        "1004 1004 1004 1004 1004 1004 1004 1004 1004 1004 1004 1004 1004");
    EXPECT_EQ(text, nullptr);
    const Texts r = reports();
    EXPECT_EQ(r.size(), 13u);
    EXPECT_EQ(r.front() + "; " + r[3] + "; " + r[4] + "; " + r.back(),
              "CStringManager::getPointerToString (invalid parameter); "
              "CStringManager::getStringStatus (invalid parameter); "
              "CStringManager::setStringStatus (invalid parameter); "
              "CStringManager::replaceStringText (invalid parameter)");
    // Entry 3 is on the free list once: it comes back once, then the table grows.
    EXPECT_EQ(dump(manager), "1:a 2:b 3-");
    EXPECT_EQ(ids(manager, {"x", "y"}), "3 4");
}

TEST_F(CStringManagerTest, CountsItsTableAndTheTextsItOwnsWhichStayPut) {
    CRMemory& memory = CRMemory::shared();
    // Managers, tables, registered and loaded texts and read buffers added since the start.
    const int64_t at[] = {memory.live(kKindCStringManager), memory.live(kTagStringTable),
                          memory.live(kRegisteredTag), memory.live(kLoadedTag),
                          memory.live(kTagStringReadBuffer)};
    const auto counts = [&] {
        return join({memory.live(kKindCStringManager) - at[0], memory.live(kTagStringTable) - at[1],
                     memory.live(kRegisteredTag) - at[2], memory.live(kLoadedTag) - at[3],
                     memory.live(kTagStringReadBuffer) - at[4]});
    };
    {
        CStringManager other;
        ASSERT_EQ(other.createStringStructure(), kNoErr);
        ids(other, {"left for the destructor"});
        EXPECT_EQ(counts(), "1 1 1 0 0");
    }
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    ids(manager, {"NP", "a", "b", "c"});
    const CRString* held = nullptr;
    const CRString* again = nullptr;
    ASSERT_TRUE(
        all(kNoErr, {manager.getPointerToString(1, held), set(2, kUnused), set(3, kUndone)}));
    for (int32_t i = 0; i < 3000; ++i) // the texts held stay put while the table grows
        ids(manager, {"filler"});
    ASSERT_EQ(manager.getPointerToString(1, again), kNoErr);
    EXPECT_EQ(again, held);
    for (int32_t id = 2; id <= 3003; id += id == 2 ? 3 : 1)
        ASSERT_EQ(set(id, kUnused), kNoErr);
    // A text the manager holds can be registered again, or replace itself.
    int32_t copy = 0;
    ASSERT_TRUE(
        all(kNoErr, {manager.registerString(*held, copy), manager.replaceStringText(1, *held),
                     manager.getPointerToString(1, again)}));
    EXPECT_EQ(std::to_string(again->creatorTag()) + " " + dump(manager).substr(0, 21),
              "147 1:NP 2- 3~b 4:c 5- 6-");
    EXPECT_EQ(counts(), "0 1 4 0 0");
    ASSERT_TRUE(all(kNoErr, {writeStrings(path, manager), readStrings(path, manager)}));
    EXPECT_EQ(counts(), "0 1 0 3 0"); // the undone text is not saved
    EXPECT_GT(memory.allocations(kTagStringReadBuffer), 0);
    ASSERT_TRUE(
        all(kNoErr, {manager.getPointerToString(1, again), manager.destroyStringStructure()}));
    EXPECT_FALSE(manager.exists());
    EXPECT_EQ(counts(), "0 0 0 0 0");
}

TEST_F(CStringManagerTest, WritesCurrentStringsInAscendingOrderAndReadsThemBackWithTheirIds) {
    buildMixedManager(manager);
    ASSERT_EQ(writeStrings(path, manager), kNoErr);
    EXPECT_EQ(hex(forkBytes(path, kForkStrings)),
              "00000005 00000001 4E500000 00000444 65740000 0000054E 00");
    CStringManager loaded;
    ASSERT_EQ(loaded.createStringStructure(), kNoErr);
    ids(loaded, {"replaced by the read"});
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(dump(loaded), "1:NP 2- 3- 4:Det 5:N");
    EXPECT_EQ(ids(loaded, {"S", "VP", "AP"}), "3 2 6");

    // Rewriting an existing fork resizes it to the new contents.
    ASSERT_TRUE(all(kNoErr, {loaded.setStringStatus(4, kUnused), loaded.setStringStatus(6, kUndone),
                             writeStrings(path, loaded)}));
    EXPECT_EQ(forkBytes(path, kForkStrings), fork(5, {{1, "NP"}, {2, "VP"}, {3, "S"}, {5, "N"}}));

    // Texts are their UTF-8 bytes; with no current string H is 0 and the table loads empty.
    const std::string label = "Caf\xC3\xA9 \xE2\x86\x92 \xCE\xBB"; // Café → λ
    ASSERT_TRUE(all(kNoErr, {loaded.replaceStringText(1, CRString(label, 1)),
                             loaded.setStringStatus(2, kUnused), loaded.setStringStatus(3, kUnused),
                             loaded.setStringStatus(5, kUndone), writeStrings(path, loaded)}));
    EXPECT_EQ(hex(forkBytes(path, kForkStrings)),
              "00000001 00000001 436166C3 A920E286 9220CEBB 00");
    ASSERT_EQ(readStrings(path, manager), kNoErr);
    EXPECT_EQ(dump(manager), "1:" + label);
    ASSERT_TRUE(all(kNoErr, {loaded.setStringStatus(1, kUndone), writeStrings(path, loaded)}));
    EXPECT_EQ(forkBytes(path, kForkStrings), words({0}));
    CStringManager empty; // reading also serves an uncreated manager
    ASSERT_EQ(readStrings(path, empty), kNoErr);
    EXPECT_EQ(std::make_pair(empty.exists(), dump(empty)), std::make_pair(true, std::string()));
    EXPECT_EQ(ids(empty, {"first", "second"}), "1 2");
}

TEST_F(CStringManagerTest, LongestTextSurvivesAndOneByteMoreIsNeitherSavedNorLoaded) {
    const std::string longest(CStringManager::kMaxStoredTextBytes, 'x');
    ASSERT_EQ(longest.size(), 32999u);
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    ids(manager, {"before", longest, "after"});
    ASSERT_EQ(writeStrings(path, manager), kNoErr);
    CStringManager loaded;
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(dump(loaded), "1:before 2:" + longest + " 3:after");
    // A text the reader would refuse is not saved either: the file could never be opened.
    ASSERT_EQ(manager.replaceStringText(2, CRString(longest + "y", 1)), kNoErr);
    EXPECT_EQ(writeStrings(path, manager), kErrInvalidParameter);
    EXPECT_EQ(log(), "CStringManager::writeStringStructureToDisk (invalid parameter)");
    EXPECT_EQ(forkBytes(path, kForkStrings), fork(3, {{1, "before"}, {2, longest}, {3, "after"}}));
}

TEST_F(CStringManagerTest, DamagedOrMissingForksFailCleanlyAndLeaveTheManagerAsItWas) {
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
    for (const auto& [id, text] : records) {
        const CRString* got = nullptr;
        ASSERT_EQ(loaded.getPointerToString(id, got), kNoErr);
        ASSERT_EQ(got->str(), text) << id;
    }
    EXPECT_EQ(ids(loaded, {"reused"}), "598");
    ASSERT_EQ(writeStrings(path, loaded), kNoErr);
    records.emplace_back(598, "reused");
    std::sort(records.begin(), records.end());
    EXPECT_EQ(forkBytes(path, kForkStrings), fork(600, records));

    // A high H with few records is sound: the IDs below it were free when it was saved.
    replaceFork(path, kForkStrings, fork(100000, {{7, "seven"}, {100000, "last"}}));
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(loaded.maxArrayIndex(), 100000);
    EXPECT_EQ(dump(loaded).substr(0, 24), "1- 2- 3- 4- 5- 6- 7:seve");
    EXPECT_EQ(ids(loaded, {"reused"}), "99999");

    const Bytes a = fork(2, {{1, "a"}});
    const std::string tooLong(33000, 'q');
    Bytes longPrefix = large;
    std::copy_n(words({601}).begin(), 4, longPrefix.begin()); // H 601, its record to follow
    const struct {
        const char* what;
        Bytes bytes;
        RErr code;
    } rows[] = {
        {"no 'Stri' fork", {}, kErrNoSuchFork},
        {"ID 0", fork(2, {{0, "a"}, {2, "b"}}), kErrInvalidFormat},
        {"ID above H", fork(2, {{1, "a"}, {3, "b"}}), kErrInvalidFormat},
        {"descending IDs", fork(3, {{2, "a"}, {1, "b"}, {3, "c"}}), kErrInvalidFormat},
        {"no record for H", fork(3, {{1, "a"}, {2, "b"}}), kErrInvalidFormat},
        {"missing terminator", a + Bytes{0, 0, 0, 2, 'b'}, kErrInvalidFormat},
        {"fork ends inside an ID", a + Bytes{0, 0}, kErrInvalidFormat},
        {"bytes after H", fork(1, {{1, "a"}}) + Bytes{'z'}, kErrInvalidFormat},
        {"H zero with records", fork(0, {{1, "a"}}), kErrInvalidFormat},
        {"H negative", fork(-5, {}), kErrInvalidFormat},
        {"H just above the table limit", fork((1 << 24) + 1, {{(1 << 24) + 1, "a"}}),
         kErrInvalidFormat},
        {"empty", {}, kErrInvalidFormat},
        // Too long before the fork's end: the length limit speaks first.
        {"text too long", fork(1, {{1, tooLong}}), kErrGeneral},
        {"long unterminated", words({1, 1}) + Bytes(40000, 'q'), kErrGeneral},
        // The same damage far from the fork's start.
        {"far: text too long", longPrefix + record(601, tooLong), kErrGeneral},
        {"far: missing terminator", longPrefix + words({601}) + Bytes(100, 'u'), kErrInvalidFormat},
        {"far: no record for H", longPrefix, kErrInvalidFormat},
        {"far: bytes after H", large + Bytes{'z'}, kErrInvalidFormat},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        platform.recorder.clear();
        const std::string file = newContainer(dir, "damaged" + std::to_string(&row - rows));
        if (row.code != kErrNoSuchFork)
            replaceFork(file, kForkStrings, row.bytes);
        CStringManager kept;
        buildMixedManager(kept);
        EXPECT_EQ(readStrings(file, kept), row.code);
        EXPECT_EQ(log(),
                  (row.code == kErrNoSuchFork
                       ? "CRFile::tarniTypeToIndex (-102); CRFile::getForkSize (-102); "
                       : "") +
                      bugReportText("CStringManager::readStringStructureFromDisk", row.code));
        EXPECT_EQ(dump(kept), kMixed);
        EXPECT_EQ(ids(kept, {"next"}), "3");
    }
}
