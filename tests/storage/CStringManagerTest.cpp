#include "storage/CStringManager.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "support/ContainerTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr int32_t kRegisteredTag = 147;
constexpr int32_t kLoadedTag = 88;

RErr writeStrings(const std::string& path, const CStringManager& manager) {
    return withContainer(path,
                         [&](CRFile& file) { return manager.writeStringStructureToDisk(file); });
}

RErr readStrings(const std::string& path, CStringManager& manager) {
    return withContainer(path,
                         [&](CRFile& file) { return manager.readStringStructureFromDisk(file); });
}

std::vector<unsigned char> stringFork(const std::string& path) {
    return forkBytes(path, kForkStrings);
}

void replaceStringFork(const std::string& path, const std::vector<unsigned char>& bytes) {
    replaceFork(path, kForkStrings, bytes);
}

void appendRecord(std::vector<unsigned char>& bytes, int32_t id, const std::string& text) {
    appendBE32(bytes, id);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
}

int32_t registered(CStringManager& manager, const std::string& text) {
    int32_t id = -1;
    EXPECT_EQ(manager.registerString(CRString(text, 1), id), kNoErr);
    return id;
}

int32_t statusOf(const CStringManager& manager, int32_t id) {
    int32_t status = -1;
    EXPECT_EQ(manager.getStringStatus(id, status), kNoErr);
    return status;
}

// The text of an entry, or "<none>" for an entry without one.
std::string textOf(const CStringManager& manager, int32_t id) {
    const CRString* text = nullptr;
    EXPECT_EQ(manager.getPointerToString(id, text), kNoErr);
    return text ? text->str() : "<none>";
}

// Current 1 "NP", 4 "Det", 5 "N"; undone 2 "VP"; 3 unused.
void buildMixedManager(CStringManager& manager) {
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    for (const char* text : {"NP", "VP", "PP", "Det", "N"})
        registered(manager, text);
    ASSERT_EQ(manager.setStringStatus(2, CStringManager::kUndone), kNoErr);
    ASSERT_EQ(manager.setStringStatus(3, CStringManager::kUnused), kNoErr);
}

} // namespace

TEST(CStringManager, NewManagerHandsOutIdsOneTwoThreeAndKeepsCopies) {
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    EXPECT_EQ(manager.maxArrayIndex(), 1);
    CRString label("S", 5);
    int32_t id = 0;
    ASSERT_EQ(manager.registerString(label, id), kNoErr);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(registered(manager, "NP"), 2);
    EXPECT_EQ(registered(manager, "VP"), 3);
    EXPECT_EQ(manager.maxArrayIndex(), 3);

    label.setStringValue("changed by the caller");
    const CRString* stored = nullptr;
    ASSERT_EQ(manager.getPointerToString(1, stored), kNoErr);
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, &label);
    EXPECT_EQ(stored->str(), "S");
    EXPECT_EQ(stored->creatorTag(), kRegisteredTag);
    EXPECT_EQ(textOf(manager, 3), "VP");
    EXPECT_EQ(statusOf(manager, 2), CStringManager::kCurrent);
}

TEST(CStringManager, FreedIdsAreReusedLastFreedFirst) {
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    for (const char* text : {"a", "b", "c"})
        registered(manager, text);
    ASSERT_EQ(manager.setStringStatus(2, CStringManager::kUnused), kNoErr);
    EXPECT_EQ(statusOf(manager, 2), CStringManager::kUnused);
    EXPECT_EQ(textOf(manager, 2), "<none>");
    EXPECT_EQ(registered(manager, "b2"), 2);
    EXPECT_EQ(textOf(manager, 2), "b2");

    ASSERT_EQ(manager.setStringStatus(2, CStringManager::kUnused), kNoErr);
    ASSERT_EQ(manager.setStringStatus(3, CStringManager::kUnused), kNoErr);
    EXPECT_EQ(registered(manager, "x"), 3);
    EXPECT_EQ(registered(manager, "y"), 2);
    EXPECT_EQ(registered(manager, "z"), 4);
    EXPECT_EQ(manager.maxArrayIndex(), 4);
}

TEST(CStringManager, UndoneAndCurrentKeepTheTextAndSwitchBack) {
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    const int32_t id = registered(manager, "Noun");
    ASSERT_EQ(manager.setStringStatus(id, CStringManager::kUndone), kNoErr);
    EXPECT_EQ(statusOf(manager, id), CStringManager::kUndone);
    EXPECT_EQ(textOf(manager, id), "Noun");
    EXPECT_EQ(registered(manager, "Verb"), 2) << "an undone entry must not be handed out";
    ASSERT_EQ(manager.setStringStatus(id, CStringManager::kCurrent), kNoErr);
    EXPECT_EQ(statusOf(manager, id), CStringManager::kCurrent);
    EXPECT_EQ(textOf(manager, id), "Noun");

    ASSERT_EQ(manager.replaceStringText(id, CRString("Nouns", 3)), kNoErr);
    EXPECT_EQ(textOf(manager, id), "Nouns");
    EXPECT_EQ(statusOf(manager, id), CStringManager::kCurrent);
}

TEST(CStringManager, InvalidCallsAreRefusedWithTheirCodes) {
    RecordingPlatformScope scope;
    CStringManager manager;
    const CRString* text = nullptr;
    int32_t id = 9;
    EXPECT_EQ(manager.registerString(CRString("a", 1), id), kErrNotInitialized);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(manager.setStringStatus(1, 1), kErrNotInitialized);
    EXPECT_EQ(manager.getPointerToString(1, text), kErrNotInitialized);
    EXPECT_EQ(manager.destroyStringStructure(), kErrNotInitialized);
    TempDir dir;
    const std::string path = newContainer(dir, "s.rgr");
    EXPECT_EQ(writeStrings(path, manager), kErrNotInitialized);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{
                  "CStringManager::registerString (data structure not initialized)",
                  "CStringManager::setStringStatus (data structure not initialized)",
                  "CStringManager::getPointerToString (data structure not initialized)",
                  "CStringManager::destroyStringStructure (data structure not initialized)",
                  "CStringManager::writeStringStructureToDisk (data structure not initialized)",
              }));

    scope.recorder.clear();
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    EXPECT_EQ(manager.createStringStructure(), kErrReinitialized);
    registered(manager, "a");
    registered(manager, "b");
    const CRString sentinel("not an entry", 1);
    text = &sentinel;
    EXPECT_EQ(manager.getPointerToString(0, text), kErrInvalidParameter);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(manager.getPointerToString(3, text), kErrInvalidParameter);
    EXPECT_EQ(manager.getPointerToString(-1, text), kErrInvalidParameter);
    EXPECT_EQ(manager.setStringStatus(0, CStringManager::kUndone), kErrInvalidParameter);
    EXPECT_EQ(manager.setStringStatus(3, CStringManager::kUndone), kErrInvalidParameter);
    EXPECT_EQ(manager.setStringStatus(1, 0), kErrInvalidParameter);
    EXPECT_EQ(manager.setStringStatus(1, 4), kErrInvalidParameter);
    EXPECT_EQ(manager.replaceStringText(3, CRString("c", 1)), kErrInvalidParameter);
    const auto reports = scope.recorder.bugReports();
    ASSERT_EQ(reports.size(), 9u);
    EXPECT_EQ(reports[0], "CStringManager::createStringStructure (attempt to reinitialize data "
                          "structure)");
    EXPECT_EQ(reports[1], "CStringManager::getPointerToString (invalid parameter)");
    EXPECT_EQ(reports[4], "CStringManager::setStringStatus (invalid parameter)");
    EXPECT_EQ(reports[8], "CStringManager::replaceStringText (invalid parameter)");
    EXPECT_EQ(statusOf(manager, 1), CStringManager::kCurrent);
    EXPECT_EQ(textOf(manager, 1), "a");
    EXPECT_EQ(manager.maxArrayIndex(), 2);
}

TEST(CStringManager, AnUnusedEntryCannotBeFreedAgainOrRevived) {
    RecordingPlatformScope scope;
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    for (const char* text : {"a", "b", "c"})
        registered(manager, text);
    ASSERT_EQ(manager.setStringStatus(2, CStringManager::kUnused), kNoErr);
    EXPECT_EQ(manager.setStringStatus(2, CStringManager::kUnused), kErrInvalidParameter);
    EXPECT_EQ(manager.setStringStatus(2, CStringManager::kCurrent), kErrInvalidParameter);
    EXPECT_EQ(manager.setStringStatus(2, CStringManager::kUndone), kErrInvalidParameter);
    EXPECT_EQ(manager.replaceStringText(2, CRString("b", 1)), kErrInvalidParameter);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{"CStringManager::setStringStatus (invalid parameter)",
                                        "CStringManager::setStringStatus (invalid parameter)",
                                        "CStringManager::setStringStatus (invalid parameter)",
                                        "CStringManager::replaceStringText (invalid parameter)"}));
    // Entry 2 is on the free list once: it comes back once, then the table grows.
    EXPECT_EQ(registered(manager, "x"), 2);
    EXPECT_EQ(registered(manager, "y"), 4);
    EXPECT_EQ(textOf(manager, 2), "x");
}

TEST(CStringManager, CountsItsTableAndTheTextsItOwns) {
    CRMemory& memory = CRMemory::shared();
    const int64_t managers = memory.live(kKindCStringManager);
    const int64_t tables = memory.live(kTagStringTable);
    const int64_t copies = memory.live(kRegisteredTag);
    const int64_t loaded = memory.live(kLoadedTag);
    const int64_t readBuffers = memory.live(kTagStringReadBuffer);
    TempDir dir;
    const std::string path = newContainer(dir, "s.rgr");
    {
        CStringManager manager;
        EXPECT_EQ(memory.live(kKindCStringManager), managers + 1);
        ASSERT_EQ(manager.createStringStructure(), kNoErr);
        EXPECT_EQ(memory.live(kTagStringTable), tables + 1);
        for (const char* text : {"a", "b", "c"})
            registered(manager, text);
        EXPECT_EQ(memory.live(kRegisteredTag), copies + 3);
        ASSERT_EQ(manager.setStringStatus(1, CStringManager::kUndone), kNoErr);
        ASSERT_EQ(manager.setStringStatus(2, CStringManager::kUnused), kNoErr);
        EXPECT_EQ(memory.live(kRegisteredTag), copies + 2);
        ASSERT_EQ(writeStrings(path, manager), kNoErr);

        ASSERT_EQ(readStrings(path, manager), kNoErr);
        EXPECT_EQ(memory.live(kRegisteredTag), copies);
        EXPECT_EQ(memory.live(kLoadedTag), loaded + 1);
        EXPECT_EQ(memory.live(kTagStringTable), tables + 1);
        EXPECT_EQ(memory.live(kTagStringReadBuffer), readBuffers);
        EXPECT_GT(memory.allocations(kTagStringReadBuffer), 0);
        const CRString* text = nullptr;
        ASSERT_EQ(manager.getPointerToString(3, text), kNoErr);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->creatorTag(), kLoadedTag);

        ASSERT_EQ(manager.destroyStringStructure(), kNoErr);
        EXPECT_FALSE(manager.exists());
        EXPECT_EQ(memory.live(kTagStringTable), tables);
        EXPECT_EQ(memory.live(kLoadedTag), loaded);
        ASSERT_EQ(manager.createStringStructure(), kNoErr);
        registered(manager, "left for the destructor");
    }
    EXPECT_EQ(memory.live(kKindCStringManager), managers);
    EXPECT_EQ(memory.live(kTagStringTable), tables);
    EXPECT_EQ(memory.live(kRegisteredTag), copies);
}

TEST(CStringManager, WritesCurrentStringsInAscendingOrderAndReadsThemBackWithTheirIds) {
    TempDir dir;
    const std::string path = newContainer(dir, "s.rgr");
    CStringManager manager;
    buildMixedManager(manager);
    ASSERT_EQ(writeStrings(path, manager), kNoErr);

    std::vector<unsigned char> expected;
    appendBE32(expected, 5);
    appendRecord(expected, 1, "NP");
    appendRecord(expected, 4, "Det");
    appendRecord(expected, 5, "N");
    EXPECT_EQ(stringFork(path), expected);
    // 'DATA' is empty, so the 'Stri' fork starts at the file's first byte.
    const auto file = readFileBytes(path);
    ASSERT_GE(file.size(), expected.size());
    EXPECT_EQ(std::vector<unsigned char>(file.begin(), file.begin() + 9),
              (std::vector<unsigned char>{0, 0, 0, 5, 0, 0, 0, 1, 'N'}));

    CStringManager loaded;
    ASSERT_EQ(loaded.createStringStructure(), kNoErr);
    registered(loaded, "replaced by the read");
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(loaded.maxArrayIndex(), 5);
    EXPECT_EQ(statusOf(loaded, 1), CStringManager::kCurrent);
    EXPECT_EQ(statusOf(loaded, 4), CStringManager::kCurrent);
    EXPECT_EQ(statusOf(loaded, 5), CStringManager::kCurrent);
    EXPECT_EQ(statusOf(loaded, 2), CStringManager::kUnused);
    EXPECT_EQ(statusOf(loaded, 3), CStringManager::kUnused);
    EXPECT_EQ(textOf(loaded, 1), "NP");
    EXPECT_EQ(textOf(loaded, 4), "Det");
    EXPECT_EQ(textOf(loaded, 5), "N");
    EXPECT_EQ(textOf(loaded, 2), "<none>");
    EXPECT_EQ(registered(loaded, "S"), 3);
    EXPECT_EQ(registered(loaded, "VP"), 2);
    EXPECT_EQ(registered(loaded, "AP"), 6);

    // Rewriting an existing fork resizes it to the new contents.
    ASSERT_EQ(loaded.setStringStatus(4, CStringManager::kUnused), kNoErr);
    ASSERT_EQ(loaded.setStringStatus(6, CStringManager::kUndone), kNoErr);
    ASSERT_EQ(writeStrings(path, loaded), kNoErr);
    expected.clear();
    appendBE32(expected, 5);
    appendRecord(expected, 1, "NP");
    appendRecord(expected, 2, "VP");
    appendRecord(expected, 3, "S");
    appendRecord(expected, 5, "N");
    EXPECT_EQ(stringFork(path), expected);
}

TEST(CStringManager, NoCurrentStringsWriteHZeroAndLoadAsAnEmptyTable) {
    TempDir dir;
    const std::string path = newContainer(dir, "s.rgr");
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    registered(manager, "only undone");
    ASSERT_EQ(manager.setStringStatus(1, CStringManager::kUndone), kNoErr);
    ASSERT_EQ(writeStrings(path, manager), kNoErr);
    EXPECT_EQ(stringFork(path), (std::vector<unsigned char>{0, 0, 0, 0}));

    CStringManager loaded; // reading also serves an uncreated manager
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_TRUE(loaded.exists());
    EXPECT_EQ(loaded.maxArrayIndex(), 0);
    EXPECT_EQ(registered(loaded, "first"), 1);
    EXPECT_EQ(registered(loaded, "second"), 2);
}

TEST(CStringManager, LongestTextSurvivesAndOneByteMoreFailsTheLoad) {
    TempDir dir;
    const std::string path = newContainer(dir, "s.rgr");
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    const std::string longest(CStringManager::kMaxStoredTextBytes, 'x');
    ASSERT_EQ(longest.size(), 32999u);
    registered(manager, "before");
    registered(manager, longest);
    registered(manager, "after");
    ASSERT_EQ(writeStrings(path, manager), kNoErr);
    CStringManager loaded;
    ASSERT_EQ(loaded.createStringStructure(), kNoErr);
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(textOf(loaded, 2), longest);
    EXPECT_EQ(textOf(loaded, 3), "after");

    // A text the reader would refuse is not saved either: the file could never be opened.
    ASSERT_EQ(manager.replaceStringText(2, CRString(longest + "y", 1)), kNoErr);
    RecordingPlatformScope scope;
    EXPECT_EQ(writeStrings(path, manager), kErrInvalidParameter);
    EXPECT_EQ(
        scope.recorder.bugReports(),
        std::vector<std::string>{"CStringManager::writeStringStructureToDisk (invalid parameter)"});
    scope.recorder.clear();

    std::vector<unsigned char> tooLong;
    appendBE32(tooLong, 3);
    appendRecord(tooLong, 1, "before");
    appendRecord(tooLong, 2, longest + "y");
    appendRecord(tooLong, 3, "after");
    replaceStringFork(path, tooLong);
    EXPECT_EQ(readStrings(path, loaded), kErrGeneral);
    EXPECT_EQ(
        scope.recorder.bugReports(),
        std::vector<std::string>{"CStringManager::readStringStructureFromDisk (general error)"});
    EXPECT_EQ(textOf(loaded, 2), longest) << "a failed read must leave the table as it was";
    EXPECT_EQ(loaded.maxArrayIndex(), 3);
}

TEST(CStringManager, TextsAreStoredAsTheirUtf8Bytes) {
    TempDir dir;
    const std::string path = newContainer(dir, "s.rgr");
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    const std::string label = "Caf\xC3\xA9 \xE2\x86\x92 \xCE\xBB"; // Café → λ
    registered(manager, label);
    ASSERT_EQ(writeStrings(path, manager), kNoErr);
    std::vector<unsigned char> expected = {0,    0,    0,    1,   0,    0,    0,
                                           1,    'C',  'a',  'f', 0xC3, 0xA9, ' ',
                                           0xE2, 0x86, 0x92, ' ', 0xCE, 0xBB, 0};
    EXPECT_EQ(stringFork(path), expected);
    CStringManager loaded;
    ASSERT_EQ(loaded.createStringStructure(), kNoErr);
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(textOf(loaded, 1), label);
}

TEST(CStringManager, MissingForkGivesTheContainersCode) {
    RecordingPlatformScope scope;
    TempDir dir;
    const std::string path = newContainer(dir, "s.rgr");
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    registered(manager, "kept");
    EXPECT_EQ(readStrings(path, manager), kErrNoSuchFork);
    ASSERT_FALSE(scope.recorder.bugReports().empty());
    EXPECT_EQ(scope.recorder.bugReports().back(),
              "CStringManager::readStringStructureFromDisk (-102)");
    EXPECT_EQ(textOf(manager, 1), "kept");
}

TEST(CStringManager, DamagedForksFailCleanlyAndLeaveTheManagerAsItWas) {
    TempDir dir;
    const std::string path = newContainer(dir, "s.rgr");
    auto fork = [](int32_t highest, const std::vector<std::pair<int32_t, std::string>>& records) {
        std::vector<unsigned char> bytes;
        appendBE32(bytes, highest);
        for (const auto& [id, text] : records)
            appendRecord(bytes, id, text);
        return bytes;
    };
    std::vector<unsigned char> unterminated = fork(2, {{1, "a"}});
    appendBE32(unterminated, 2);
    unterminated.push_back('b');
    std::vector<unsigned char> cutInsideId = fork(2, {{1, "a"}});
    cutInsideId.insert(cutInsideId.end(), {0, 0});
    std::vector<unsigned char> trailing = fork(1, {{1, "a"}});
    trailing.push_back('z');
    std::vector<unsigned char> longUnterminated = fork(1, {});
    appendBE32(longUnterminated, 1);
    longUnterminated.insert(longUnterminated.end(), 40000, 'q');

    const std::vector<std::pair<const char*, std::vector<unsigned char>>> damaged = {
        {"ID 0", fork(2, {{0, "a"}, {2, "b"}})},
        {"ID above H", fork(2, {{1, "a"}, {3, "b"}})},
        {"descending IDs", fork(3, {{2, "a"}, {1, "b"}, {3, "c"}})},
        {"repeated ID", fork(3, {{1, "a"}, {1, "b"}, {3, "c"}})},
        {"negative ID", fork(2, {{-1, "a"}, {2, "b"}})},
        {"no record for H", fork(3, {{1, "a"}, {2, "b"}})},
        {"missing terminator", unterminated},
        {"fork ends inside an ID", cutInsideId},
        {"bytes after H", trailing},
        {"H zero with records", fork(0, {{1, "a"}})},
        {"H negative", fork(-5, {})},
        {"H huge", fork(0x7FFFFFFF, {{0x7FFFFFFF, "a"}})},
        {"H just above the table limit", fork((1 << 24) + 1, {{(1 << 24) + 1, "a"}})},
        {"too short for H", {0, 0, 1}},
        {"empty", {}},
    };
    for (const auto& [what, bytes] : damaged) {
        RecordingPlatformScope scope;
        replaceStringFork(path, bytes);
        CStringManager manager;
        buildMixedManager(manager);
        EXPECT_EQ(readStrings(path, manager), kErrInvalidFormat) << what;
        EXPECT_EQ(scope.recorder.bugReports(),
                  std::vector<std::string>{"CStringManager::readStringStructureFromDisk (1008)"})
            << what;
        EXPECT_EQ(manager.maxArrayIndex(), 5) << what;
        EXPECT_EQ(textOf(manager, 1), "NP") << what;
        EXPECT_EQ(textOf(manager, 2), "VP") << what;
        EXPECT_EQ(statusOf(manager, 2), CStringManager::kUndone) << what;
        EXPECT_EQ(statusOf(manager, 3), CStringManager::kUnused) << what;
        EXPECT_EQ(registered(manager, "next"), 3) << what;
    }

    // Too long before the fork's end: the length limit speaks first.
    {
        RecordingPlatformScope scope;
        replaceStringFork(path, longUnterminated);
        CStringManager manager;
        buildMixedManager(manager);
        EXPECT_EQ(readStrings(path, manager), kErrGeneral);
        EXPECT_EQ(textOf(manager, 4), "Det");
    }

    // A high H with few records is sound: the IDs below it were free when it was saved.
    replaceStringFork(path, fork(100000, {{7, "seven"}, {100000, "last"}}));
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    ASSERT_EQ(readStrings(path, manager), kNoErr);
    EXPECT_EQ(manager.maxArrayIndex(), 100000);
    EXPECT_EQ(textOf(manager, 7), "seven");
    EXPECT_EQ(textOf(manager, 100000), "last");
    EXPECT_EQ(registered(manager, "reused"), 99999);
}

TEST(CStringManager, TextsStayPutWhileOthersComeAndGoAndMayBeRegisteredAgain) {
    CRMemory& memory = CRMemory::shared();
    const int64_t copies = memory.live(kRegisteredTag);
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    const int32_t np = registered(manager, "NP");
    const CRString* held = nullptr;
    ASSERT_EQ(manager.getPointerToString(np, held), kNoErr);
    ASSERT_NE(held, nullptr);
    for (int32_t i = 0; i < 3000; ++i)
        registered(manager, "filler " + std::to_string(i));
    for (int32_t id = 2; id <= 3001; id += 2)
        ASSERT_EQ(manager.setStringStatus(id, CStringManager::kUnused), kNoErr);
    const CRString* again = nullptr;
    ASSERT_EQ(manager.getPointerToString(np, again), kNoErr);
    EXPECT_EQ(again, held);
    EXPECT_EQ(held->str(), "NP");
    EXPECT_EQ(memory.live(kRegisteredTag), copies + 1501);

    // A text the manager holds can be registered again, or replace itself.
    int32_t copy = 0;
    ASSERT_EQ(manager.registerString(*held, copy), kNoErr);
    EXPECT_EQ(copy, 3000) << "the last freed ID comes first";
    EXPECT_EQ(textOf(manager, copy), "NP");
    ASSERT_EQ(manager.replaceStringText(np, *held), kNoErr);
    EXPECT_EQ(textOf(manager, np), "NP");
    const CRString* replaced = nullptr;
    ASSERT_EQ(manager.getPointerToString(np, replaced), kNoErr);
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(replaced->creatorTag(), kRegisteredTag);
    EXPECT_EQ(memory.live(kRegisteredTag), copies + 1502);
    ASSERT_EQ(manager.destroyStringStructure(), kNoErr);
    EXPECT_EQ(memory.live(kRegisteredTag), copies);
}

TEST(CStringManager, ForksLongerThanOneReadKeepEveryTextAndStillRefuseDamage) {
    TempDir dir;
    const std::string path = newContainer(dir, "s.rgr");
    // Texts of many lengths, some of the longest kind, so that records straddle every point
    // where the reader fetches more of the fork; every 13th ID is free.
    CStringManager manager;
    ASSERT_EQ(manager.createStringStructure(), kNoErr);
    std::vector<std::string> texts(1);
    for (int32_t id = 1; id <= 600; ++id) {
        std::string text = std::to_string(id);
        const auto length = id % 50 == 0 ? std::size_t{32999} : std::size_t(id * 7919 % 3000);
        text.resize(length, static_cast<char>('a' + id % 26));
        texts.push_back(text);
        ASSERT_EQ(registered(manager, text), id);
    }
    std::vector<unsigned char> expected;
    appendBE32(expected, 600);
    for (int32_t id = 1; id <= 600; ++id) {
        if (id % 13 == 0)
            ASSERT_EQ(manager.setStringStatus(id, CStringManager::kUnused), kNoErr);
        else
            appendRecord(expected, id, texts[static_cast<std::size_t>(id)]);
    }
    ASSERT_EQ(writeStrings(path, manager), kNoErr);
    ASSERT_GT(expected.size(), 500000u);
    EXPECT_EQ(stringFork(path), expected);

    CStringManager loaded;
    ASSERT_EQ(readStrings(path, loaded), kNoErr);
    EXPECT_EQ(loaded.maxArrayIndex(), 600);
    for (int32_t id = 1; id <= 600; ++id) {
        if (id % 13 == 0) {
            EXPECT_EQ(statusOf(loaded, id), CStringManager::kUnused) << id;
        } else {
            EXPECT_EQ(statusOf(loaded, id), CStringManager::kCurrent) << id;
            EXPECT_EQ(textOf(loaded, id), texts[static_cast<std::size_t>(id)]) << id;
        }
    }
    EXPECT_EQ(registered(loaded, "reused"), 598);

    // The same damage as in a short fork, found far from its start.
    std::vector<unsigned char> prefix;
    appendBE32(prefix, 601);
    prefix.insert(prefix.end(), expected.begin() + 4, expected.end());
    std::vector<unsigned char> tooLong = prefix;
    appendRecord(tooLong, 601, std::string(33000, 'q'));
    std::vector<unsigned char> unterminated = prefix;
    appendBE32(unterminated, 601);
    unterminated.insert(unterminated.end(), 100, 'u');
    std::vector<unsigned char> noRecordForH = prefix;
    std::vector<unsigned char> trailing = expected;
    trailing.push_back('z');
    const std::vector<std::tuple<const char*, std::vector<unsigned char>, RErr, std::string>>
        damaged = {
            {"text too long", tooLong, kErrGeneral, "(general error)"},
            {"missing terminator", unterminated, kErrInvalidFormat, "(1008)"},
            {"no record for H", noRecordForH, kErrInvalidFormat, "(1008)"},
            {"bytes after H", trailing, kErrInvalidFormat, "(1008)"},
        };
    for (const auto& [what, bytes, code, message] : damaged) {
        RecordingPlatformScope scope;
        replaceStringFork(path, bytes);
        CStringManager kept;
        buildMixedManager(kept);
        EXPECT_EQ(readStrings(path, kept), code) << what;
        EXPECT_EQ(
            scope.recorder.bugReports(),
            std::vector<std::string>{"CStringManager::readStringStructureFromDisk " + message})
            << what;
        EXPECT_EQ(kept.maxArrayIndex(), 5) << what;
        EXPECT_EQ(textOf(kept, 4), "Det") << what;
    }
}
