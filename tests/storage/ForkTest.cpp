// The classes that keep one fork each of a container: the tablet, the string table and the
// version header.
#include "base/ErrorReporter.h"
#include "storage/CRFile.h"
#include "storage/CStringManager.h"
#include "storage/CTablet.h"
#include "storage/CVersionInfo.h"
#include "storage/StorageTestSupport.h"
#include "support/ContainerTestSupport.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

namespace {

constexpr int32_t kUnused = CStringManager::kUnused;
constexpr int32_t kUndone = CStringManager::kUndone;
using Records = std::vector<std::pair<int32_t, std::string>>;

// The value fill puts at a place, negatives included.
int32_t distinct(int32_t record, int32_t attribute) {
    return (attribute * 1000 + record) * (record % 2 ? 1 : -1);
}

// A 'Stri' fork: the highest ID, then each record's ID and text with its 0 byte.
Bytes fork(int32_t highest, const Records& records) {
    Bytes bytes = words({highest});
    for (const auto& [id, text] : records)
        bytes = bytes + words({id}) + Bytes(text.begin(), text.end()) + Bytes{0};
    return bytes;
}

// The version header of the container at a path, open for the header's life.
struct CHeader {
    explicit CHeader(const std::string& path) : fd(path), info(fd) {}
    CFileDescriptor fd;
    CVersionInfo info;
};

class ForkTest : public StorageTest {
protected:
    RErr save(const std::string& p, const CTablet& t) {
        return withContainer(p, [&](CRFile& f) { return t.writeTabletToDisk(f); });
    }
    RErr load(const std::string& p, CTablet& t) {
        return withContainer(p, [&](CRFile& f) { return t.readTabletFromDisk(f); });
    }
    RErr save(const std::string& p, const CStringManager& m) {
        return withContainer(p, [&](CRFile& f) { return m.writeStringStructureToDisk(f); });
    }
    RErr load(const std::string& p, CStringManager& m) {
        return withContainer(p, [&](CRFile& f) { return m.readStringStructureFromDisk(f); });
    }
    void fill(CTablet& t, int32_t attributes, int32_t records) {
        ASSERT_TRUE(all(kNoErr, {t.exists() ? kNoErr : t.createTablet(),
                                 t.setMaxAttributes(attributes), t.setMaxRecords(records)}));
        for (int32_t a = 1; a <= attributes; ++a)
            for (int32_t r = 1; r <= records; ++r)
                ASSERT_EQ(t.setValue(r, a, distinct(r, a)), kNoErr);
    }
    // "2x3: 1001 -1002 1003 | 2001 -2002 2003": the shape, then the values attribute by
    // attribute, as the fork holds them.
    std::string dump(const CTablet& t) {
        int32_t attributes = 0, records = 0, value = -1;
        EXPECT_TRUE(all(kNoErr, {t.getMaxAttributes(attributes), t.getMaxRecords(records)}));
        std::string out = std::to_string(attributes) + "x" + std::to_string(records) + ":";
        for (int32_t a = 1; a <= attributes; ++a)
            for (int32_t r = 1; r <= records; ++r) {
                EXPECT_EQ(t.getValue(r, a, value), kNoErr);
                out += (r == 1 && a > 1 ? " | " : " ") + std::to_string(value);
            }
        return out;
    }
    // The IDs given to the texts, registered in order: "4 2".
    std::string ids(CStringManager& m, const Texts& texts) {
        std::string out;
        for (const std::string& text : texts) {
            int32_t id = -1;
            EXPECT_EQ(m.registerString(CRString(text, 1), id), kNoErr);
            out += (out.empty() ? "" : " ") + std::to_string(id);
        }
        return out;
    }
    // "1:NP 2~VP 3-": each entry's ID, then ':' and its text if current, '~' and its text if
    // undone, '-' if unused.
    std::string dump(const CStringManager& m) {
        std::string out;
        for (int32_t id = 1; id <= m.maxArrayIndex(); ++id) {
            int32_t status = -1;
            const CRString* text = nullptr;
            EXPECT_TRUE(
                all(kNoErr, {m.getStringStatus(id, status), m.getPointerToString(id, text)}));
            out += (out.empty() ? "" : " ") + std::to_string(id) +
                   ("?-~:"[std::clamp(status, 0, 3)]) + (text ? text->str() : "");
        }
        return out;
    }
    // Current 1 "NP", 4 "Det", 5 "N"; undone 2 "VP"; 3 unused: kMixed.
    void buildMixed(CStringManager& m) {
        ASSERT_EQ(m.createStringStructure(), kNoErr);
        ids(m, {"NP", "VP", "PP", "Det", "N"});
        ASSERT_TRUE(all(kNoErr, {m.setStringStatus(2, kUndone), m.setStringStatus(3, kUnused)}));
    }
    static constexpr const char* kMixed = "1:NP 2~VP 3- 4:Det 5:N";
    // A container with a 'Vers' fork of these bytes.
    std::string makeFile(const Bytes& bytes) {
        const std::string file = newContainer(dir, "v" + std::to_string(files++));
        replaceFork(file, kForkVersion, bytes);
        return file;
    }
    RErr check(const std::string& file) { return CHeader(file).info.checkVersionInfo(); }
    RErr set(int32_t id, int32_t status) { return manager.setStringStatus(id, status); }
    int files = 0;
    const std::string path = newContainer(dir, "t.rgr");
    CTablet tablet;
    CStringManager manager;
};

} // namespace

// Each lifecycle is one list of calls, evaluated in order; mark() adds the counts under the
// tags watched to the text and gives 0. The counts after the object went end the text.
TEST_F(ForkTest, EachClassCountsItselfAndTheBlocksItHoldsUntilItGoes) {
    fill(tablet, 7, 1);
    ASSERT_TRUE(all(kNoErr, {save(path, tablet), tablet.destroyTablet()}));
    std::optional<LiveSince> live;
    std::string got;
    const auto watch = [&](std::vector<int32_t> tags) { live.emplace(std::move(tags)), got = ""; };
    const auto mark = [&] { return got += live->added() + ", ", kNoErr; };
    const auto text = [](const char* value) { return CRString(value, 1); };
    int32_t id = 0;

    watch({kKindCTablet, kTagTabletPointers, kTagTabletColumn}); // each column counts
    {
        CTablet t;
        EXPECT_TRUE(all(kNoErr, {mark(), t.createTablet(), mark(), t.setMaxAttributes(51),
                                 t.setMaxRecords(9), mark(), t.setMaxAttributes(20), mark(),
                                 load(path, t), mark()}));
    }
    EXPECT_EQ(got + live->added(), "1 0 0, 1 1 1, 1 1 51, 1 1 20, 1 1 7, 0 0 0");

    // Managers, tables, registered (147) and loaded (88) texts; the first table is left to its
    // destructor. The undone text is not saved, so not loaded.
    watch({kKindCStringManager, kTagStringTable, 147, 88});
    {
        CStringManager m;
        EXPECT_TRUE(all(kNoErr, {m.createStringStructure(), m.registerString(text("a"), id)}));
    }
    const int64_t buffers = CRMemory::shared().allocations(kTagStringReadBuffer);
    {
        CStringManager m;
        EXPECT_TRUE(
            all(kNoErr, {mark(), m.createStringStructure(), m.registerString(text("NP"), id),
                         m.registerString(text("a"), id), m.registerString(text("b"), id),
                         m.registerString(text("c"), id), m.setStringStatus(2, kUnused),
                         m.setStringStatus(3, kUndone), mark(), save(path, m), load(path, m),
                         mark(), m.destroyStringStructure(), mark(), m.exists()}));
    }
    EXPECT_EQ(got + live->added(), "1 0 0 0, 1 1 3 0, 1 1 0 2, 1 0 0 0, 0 0 0 0");
    EXPECT_GT(CRMemory::shared().allocations(kTagStringReadBuffer), buffers);

    // The header and the words it read; the container's header, table and itself; the
    // descriptor.
    watch({kKindCVersionInfo, kTagVersionWordsRead, kTagContainerHeader, kTagContainerEntries,
           kKindCRFile, kKindCFileDescriptor});
    const int64_t moves = CRMemory::shared().allocations(kTagSegmentMoveUp);
    {
        CHeader h(makeFile(words({4, 1, 1, 2, 2}))); // the table moves up for the new fork
        EXPECT_GT(CRMemory::shared().allocations(kTagSegmentMoveUp), moves);
        EXPECT_TRUE(
            all(kNoErr, {mark(), h.info.checkVersionInfo(), h.info.checkVersionInfo(), mark()}));
    }
    EXPECT_EQ(got + live->added(), "1 0 1 1 1 1, 1 1 1 1 1 1, 0 0 0 0 0 0");
}

TEST_F(ForkTest, TabletRefusesCallsBeforeCreationAndCellsOutsideItsShape) {
    int32_t attributes = 7, records = 7, out = 12345;
    EXPECT_EQ(join({tablet.getMaxAttributes(attributes), tablet.getMaxRecords(records),
                    tablet.setValue(1, 1, 5), tablet.getValue(1, 1, out), tablet.setMaxRecords(3),
                    tablet.setMaxAttributes(3), save(path, tablet), load(path, tablet),
                    tablet.destroyTablet(), attributes + records, tablet.exists(),
                    tablet.createTablet(), tablet.exists(), tablet.createTablet()}),
              "1002 1002 1002 1002 1002 1002 1002 1002 0 0 0 0 1 1003");
    EXPECT_EQ(dump(tablet), "1x1: 0");
    EXPECT_EQ(reports().size(), 9u);
    EXPECT_EQ(reports().front() + "; " + reports().back(),
              "CTablet::getMaxAttributes (data structure not initialized); "
              "CTablet::createTablet (attempt to reinitialize data structure)");

    platform.recorder.clear();
    fill(tablet, 3, 2);
    std::string got;
    for (const auto& [record, attribute] :
         std::vector<std::pair<int32_t, int32_t>>{{0, 1}, {1, 0}, {3, 1}, {1, 4}, {-1, 2}})
        got += join({tablet.getValue(record, attribute, out),
                     tablet.setValue(record, attribute, 99)}) +
               " ";
    EXPECT_EQ(got + join({tablet.setMaxRecords(0), tablet.setMaxAttributes(-2), out}),
              "1004 1004 1004 1004 1004 1004 1004 1004 1004 1004 1004 1004 12345");
    EXPECT_EQ(reports().size(), 12u);
    EXPECT_EQ(reports()[1] + "; " + reports().back(),
              "CTablet::setValue (invalid parameter); "
              "CTablet::setMaxAttributes (invalid parameter)");
    EXPECT_EQ(dump(tablet), "3x2: 1001 -1002 | 2001 -2002 | 3001 -3002");

    // {attributes, records, the tablet after}: fewer cells drop values, new cells are 0 even
    // where a value was before.
    const std::tuple<int32_t, int32_t, const char*> steps[] = {
        {4, 3, "4x3: 1001 -1002 0 | 2001 -2002 0 | 3001 -3002 0 | 0 0 0"},
        {2, 1, "2x1: 1001 | 2001"},
        {3, 2, "3x2: 1001 0 | 2001 0 | 0 0"}};
    for (const auto& [width, height, expected] : steps) {
        ASSERT_TRUE(all(kNoErr, {tablet.setMaxRecords(height), tablet.setMaxAttributes(width)}));
        EXPECT_EQ(dump(tablet), expected);
    }
    ASSERT_EQ(tablet.setValue(2, 3, 77), kNoErr);
    EXPECT_EQ(join({tablet.cell(2, 3), tablet.cell(1, 2)}), "77 2001");
}

TEST_F(ForkTest, TabletForkIsBigEndianColumnByColumnAndDamageLeavesTheTabletAsItWas) {
    fill(tablet, 51, 7);
    ASSERT_EQ(save(path, tablet), kNoErr);
    Bytes expected = words({51, 7});
    for (int32_t a = 1; a <= 51; ++a)
        for (int32_t r = 1; r <= 7; ++r)
            appendBE32(expected, distinct(r, a));
    EXPECT_EQ(forkBytes(path, kForkTablet), expected);
    CTablet loaded;
    fill(loaded, 60, 12); // reading replaces a larger shape too
    ASSERT_EQ(load(path, loaded), kNoErr);
    EXPECT_EQ(dump(loaded), dump(tablet));

    // Rewriting resizes the existing fork exactly.
    ASSERT_TRUE(
        all(kNoErr, {tablet.setMaxAttributes(2), tablet.setMaxRecords(3), save(path, tablet)}));
    EXPECT_EQ(hex(forkBytes(path, kForkTablet)),
              "00000002 00000003 000003E9 FFFFFC16 000003EB 000007D1 FFFFF82E 000007D3");
    ASSERT_EQ(load(path, loaded), kNoErr);
    const std::string filled = "2x3: 1001 -1002 1003 | 2001 -2002 2003"; // as read, and kept
    platform.recorder.clear();
    EXPECT_EQ(load(newContainer(dir, "none"), loaded), kErrNoSuchFork);
    EXPECT_EQ(reports().back(), "CTablet::readTabletFromDisk (-102)");
    // Counts that do not match the six values, negative counts whose product fits, a product
    // that wraps in 32 bits to 6; too short.
    for (const Bytes& bytes : {words({3, 3, 1, 2, 3, 4, 5, 6}), words({-1, -6, 1, 2, 3, 4, 5, 6}),
                               words({1227133514, 7, 1, 2, 3, 4, 5, 6}), words({3}), Bytes{}}) {
        SCOPED_TRACE(hex(bytes));
        platform.recorder.clear();
        replaceFork(path, kForkTablet, bytes);
        EXPECT_EQ(load(path, loaded), kErrInvalidFormat);
        EXPECT_EQ(log() + " " + dump(loaded), "CTablet::readTabletFromDisk (1008) " + filled);
    }
    // The same fork with matching counts is accepted: the checks reject only the damage.
    replaceFork(path, kForkTablet, words({3, 2, 1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(load(path, loaded), kNoErr);
    EXPECT_EQ(dump(loaded), "3x2: 1 2 | 3 4 | 5 6");
}

// {words before (none: no header), the header after}: a new header is the current one;
// rewriting keeps word 3 (the creating program), the length and any later words. Each write
// is failed in turn; a failure is reported and leaves an existing header as it was.
TEST_F(ForkTest, EveryFailedHeaderWriteIsReportedAndRewritingSignsWord4) {
    const std::pair<std::vector<int32_t>, const char*> rows[] = {
        {{}, "00000004 00000001 00000001 00000002 00000002"},
        {{4, 1, 1, 7, 9}, "00000004 00000001 00000001 00000007 00000002"},
        {{6, 1, 1, 3, 3, 77, 88},
         "00000006 00000001 00000001 00000003 00000002 0000004D 00000058"}};
    for (const auto& [before, after] : rows) {
        SCOPED_TRACE(after);
        std::string file;
        std::size_t length = 0;
        std::optional<CHeader> h;
        const int writes = failEachWriteInTurn(
            [&] {
                file = before.empty() ? newContainer(dir, "n" + std::to_string(files++))
                                      : makeFile(words(before));
                length = readFileBytes(file).size();
                h.emplace(file);
                platform.recorder.clear();
            },
            [&] { return h->info.writeCurrentVersionInfo(); },
            [&](int, RErr err) {
                h.reset();
                EXPECT_EQ(join({err}) + " " + reports().back(),
                          "1007 CVersionInfo::writeCurrentVersionInfo (file system error)");
                EXPECT_EQ(check(file), before.empty() ? kErrInvalidFormat : kNoErr);
                if (!before.empty()) {
                    EXPECT_EQ(forkBytes(file, kForkVersion), words(before));
                }
            });
        EXPECT_GT(writes, 1);
        EXPECT_EQ(join({h->info.openError(), h->fd.isOpenNow()}), "0 1");
        EXPECT_EQ(h->info.words().size(), std::max<std::size_t>(before.size(), 5));
        h.reset(); // closes the container, or the read below would fail
        EXPECT_EQ(hex(forkBytes(file, kForkVersion)), after);
        if (!before.empty()) {
            EXPECT_EQ(readFileBytes(file).size(), length);
        } else {
            // The whole container: the header's 20 bytes, then the table (version 1, top fork
            // index 1; 'DATA' and 'Vers' at offset 0 with cursor 0) and its offset, 20.
            EXPECT_EQ(hex(readFileBytes(file)), std::string(after) +
                                                    " 00000001 00000001 44415441 00000000 00000000 "
                                                    "56657273 00000000 00000000 00000014");
        }
    }
    // A header too short to rewrite is still a valid one.
    CHeader shortHeader(makeFile(words({2, 1, 1})));
    EXPECT_EQ(
        join({shortHeader.info.checkVersionInfo(), shortHeader.info.writeCurrentVersionInfo()}),
        "0 1008");
    EXPECT_EQ(reports().back(), "CVersionInfo::writeCurrentVersionInfo (1008)");
}

// In order: current; written by another program version; newer and older format; kinds 0 and
// 2; last index 1 (no format word), 2, negative; word 0 saying 5 in 20 bytes, or INT32_MAX;
// forks of 3 and 7 bytes; bytes after the counted words. Then no 'Vers' fork.
TEST_F(ForkTest, TheVersionCheckGivesItsCodesWithoutAReport) {
    const Bytes current = words({4, 1, 1, 2, 2});
    std::string got;
    for (const Bytes& fork :
         {current, words({4, 1, 1, 9, 9}), words({4, 1, 2, 2, 2}), words({4, 1, 0, 2, 2}),
          words({4, 0, 1, 2, 2}), words({4, 2, 1, 2, 2}), words({1, 1, 1, 2, 2}), words({2, 1, 1}),
          words({-1, 1, 1, 2, 2}), words({5, 1, 1, 2, 2}), words({INT32_MAX, 1, 1, 2, 2}),
          slice(current, 0, 3), slice(current, 0, 7), current + Bytes(4, 0)})
        got += join({check(makeFile(fork))}) + " ";
    CHeader noVers(path);
    EXPECT_EQ(got + join({noVers.info.readExistingInfo(), noVers.info.checkVersionInfo()}),
              "0 0 1010 1009 1008 1008 1008 0 1008 1008 1008 1008 1008 0 1008 1008");
    EXPECT_TRUE(noVers.info.words().empty());
    EXPECT_EQ(log(), "");
}

TEST_F(ForkTest, MissingAndDamagedContainersHaveNoValidHeader) {
    {
        CHeader missing(dir.file("missing.rgr"));
        EXPECT_EQ(takeLog(), "CFileDescriptor::open (file system error); "
                             "CRFile::CRFile (file system error); "
                             "CVersionInfo::CVersionInfo (file system error)");
        EXPECT_EQ(join({missing.info.openError(), missing.info.checkVersionInfo(),
                        missing.info.readExistingInfo(), missing.info.writeCurrentVersionInfo()}),
                  "1007 1008 1008 1008");
        EXPECT_EQ(log(), ""); // reported once
    }
    EXPECT_EQ(dir.names().size(), 1u); // nothing made at the missing path

    const std::string damaged = dir.file("damaged.rgr");
    writeFileBytes(damaged, Bytes(24, 0)); // containerVersion 0
    CHeader h(damaged);
    EXPECT_EQ(join({h.info.openError(), h.fd.isOpenNow(), h.info.checkVersionInfo(),
                    h.info.writeCurrentVersionInfo()}),
              "-105 0 1008 1008");
    EXPECT_EQ(log(), "CRFile::CRFile (-105); CVersionInfo::CVersionInfo (-105)");
    EXPECT_EQ(readFileBytes(damaged), Bytes(24, 0));
}

TEST_F(ForkTest, StringIdsAreHandedOutInOrderFreedOnesReusedLastFreedFirst) {
    const CRString *held = nullptr, *text = nullptr;
    int32_t id = 9, status = 0;
    EXPECT_EQ(join({manager.registerString(CRString("a", 1), id), set(1, 1),
                    manager.getPointerToString(1, text), manager.getStringStatus(1, status),
                    manager.destroyStringStructure(), save(path, manager), id,
                    manager.createStringStructure(), manager.createStringStructure()}),
              "1002 1002 1002 1002 1002 1002 0 0 1003");
    EXPECT_EQ(reports().size(), 7u);
    EXPECT_EQ(reports().front() + "; " + reports().back(),
              "CStringManager::registerString (data structure not initialized); "
              "CStringManager::createStringStructure (attempt to reinitialize data structure)");
    platform.recorder.clear();
    EXPECT_EQ(dump(manager), "1-");
    CRString label("S", 5);
    ASSERT_EQ(manager.registerString(label, id), kNoErr);
    EXPECT_EQ(std::to_string(id) + " " + ids(manager, {"NP", "VP"}), "1 2 3");
    label.setStringValue("changed by the caller"); // the manager keeps a copy
    ASSERT_TRUE(all(kNoErr, {manager.getPointerToString(1, held), set(2, kUnused)}));
    EXPECT_EQ(held->creatorTag(), 147);
    EXPECT_EQ(dump(manager), "1:S 2- 3:VP");
    EXPECT_EQ(ids(manager, {"b2"}), "2");

    // Outside the table, no such status, or an unused entry freed, revived or given a text.
    ASSERT_EQ(set(3, kUnused), kNoErr);
    text = held;
    EXPECT_EQ(join({manager.getPointerToString(0, text), manager.getPointerToString(4, text),
                    manager.getPointerToString(-1, text), manager.getStringStatus(4, status),
                    set(0, kUndone), set(4, kUndone), set(1, 0), set(1, 4), set(3, kUnused),
                    set(3, CStringManager::kCurrent), set(3, kUndone),
                    manager.replaceStringText(4, CRString("c", 1)),
                    manager.replaceStringText(3, CRString("c", 1)), text != nullptr}),
              "1004 1004 1004 1004 1004 1004 1004 1004 1004 1004 1004 1004 1004 0");
    EXPECT_EQ(reports().size(), 13u);
    EXPECT_EQ(reports()[0] + "; " + reports()[3] + "; " + reports()[4] + "; " + reports().back(),
              "CStringManager::getPointerToString (invalid parameter); "
              "CStringManager::getStringStatus (invalid parameter); "
              "CStringManager::setStringStatus (invalid parameter); "
              "CStringManager::replaceStringText (invalid parameter)");
    // Entry 3 is on the free list once: it comes back once, then the table grows.
    EXPECT_EQ(dump(manager), "1:S 2:b2 3-");
    EXPECT_EQ(ids(manager, {"x", "y"}), "3 4");
    ASSERT_TRUE(all(kNoErr, {set(2, kUnused), set(3, kUnused), set(1, kUndone)}));
    EXPECT_EQ(dump(manager), "1~S 2- 3- 4:y");
    EXPECT_EQ(ids(manager, {"p", "q", "r"}), "3 2 5"); // an undone entry is not handed out
    ASSERT_TRUE(all(kNoErr, {set(1, CStringManager::kCurrent),
                             manager.replaceStringText(1, CRString("Nouns", 3))}));
    EXPECT_EQ(dump(manager), "1:Nouns 2:q 3:p 4:y 5:r");

    // The texts held stay put while the table grows; one can be registered again, or replace
    // itself.
    const CRString *again = nullptr, *copied = nullptr;
    ASSERT_EQ(manager.getPointerToString(1, held), kNoErr);
    for (int32_t i = 0; i < 3000; ++i)
        ids(manager, {"filler"});
    ASSERT_EQ(manager.getPointerToString(1, again), kNoErr);
    EXPECT_EQ(again, held);
    ASSERT_TRUE(all(kNoErr, {manager.registerString(*held, id), manager.replaceStringText(1, *held),
                             manager.getPointerToString(1, again),
                             manager.getPointerToString(id, copied)}));
    EXPECT_EQ(again->str() + std::to_string(again->creatorTag()) + " " + std::to_string(id) +
                  copied->str(),
              "Nouns147 3006Nouns");
}

TEST_F(ForkTest, WritesCurrentStringsInAscendingOrderAndReadsThemBackWithTheirIds) {
    buildMixed(manager);
    ASSERT_EQ(save(path, manager), kNoErr);
    EXPECT_EQ(hex(forkBytes(path, kForkStrings)),
              "00000005 00000001 4E500000 00000444 65740000 0000054E 00");
    CStringManager loaded;
    ASSERT_EQ(loaded.createStringStructure(), kNoErr);
    ids(loaded, {"replaced by the read"});
    ASSERT_EQ(load(path, loaded), kNoErr);
    EXPECT_EQ(dump(loaded), "1:NP 2- 3- 4:Det 5:N");
    EXPECT_EQ(ids(loaded, {"S", "VP", "AP"}), "3 2 6");

    // Rewriting an existing fork resizes it to the new contents.
    ASSERT_TRUE(all(kNoErr, {loaded.setStringStatus(4, kUnused), loaded.setStringStatus(6, kUndone),
                             save(path, loaded)}));
    EXPECT_EQ(forkBytes(path, kForkStrings), fork(5, {{1, "NP"}, {2, "VP"}, {3, "S"}, {5, "N"}}));

    // Texts are their UTF-8 bytes; with no current string H is 0 and the table loads empty.
    const std::string label = "Caf\xC3\xA9 \xE2\x86\x92 \xCE\xBB"; // Café → λ
    ASSERT_TRUE(all(kNoErr, {loaded.replaceStringText(1, CRString(label, 1)),
                             loaded.setStringStatus(2, kUnused), loaded.setStringStatus(3, kUnused),
                             loaded.setStringStatus(5, kUndone), save(path, loaded)}));
    EXPECT_EQ(hex(forkBytes(path, kForkStrings)),
              "00000001 00000001 436166C3 A920E286 9220CEBB 00");
    ASSERT_EQ(load(path, manager), kNoErr);
    EXPECT_EQ(dump(manager), "1:" + label);
    ASSERT_TRUE(all(kNoErr, {loaded.setStringStatus(1, kUndone), save(path, loaded)}));
    EXPECT_EQ(forkBytes(path, kForkStrings), words({0}));
    CStringManager empty; // reading also serves an uncreated manager
    ASSERT_EQ(load(path, empty), kNoErr);
    EXPECT_EQ(std::to_string(empty.exists()) + dump(empty), "1");
    EXPECT_EQ(ids(empty, {"first", "second"}), "1 2");

    // The longest text survives; a text the reader would refuse is not saved either: the file
    // could never be opened.
    const std::string longest(CStringManager::kMaxStoredTextBytes, 'x');
    ASSERT_EQ(longest.size(), 32999u);
    ids(empty, {longest});
    ASSERT_TRUE(all(kNoErr, {save(path, empty), load(path, loaded)}));
    EXPECT_EQ(dump(loaded), "1:first 2:second 3:" + longest);
    ASSERT_EQ(empty.replaceStringText(3, CRString(longest + "y", 1)), kNoErr);
    EXPECT_EQ(save(path, empty), kErrInvalidParameter);
    EXPECT_EQ(log(), "CStringManager::writeStringStructureToDisk (invalid parameter)");
    EXPECT_EQ(forkBytes(path, kForkStrings), fork(3, {{1, "first"}, {2, "second"}, {3, longest}}));
}

TEST_F(ForkTest, StringTableDamagedOrMissingForksFailCleanlyAndLeaveTheManagerAsItWas) {
    // Texts of many lengths, some of the longest kind, so that records straddle every point
    // where the reader fetches more of the fork; every 13th ID is free.
    Records records;
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
    ASSERT_EQ(load(path, loaded), kNoErr);
    EXPECT_EQ(loaded.maxArrayIndex(), 600);
    for (const auto& [id, text] : records) {
        const CRString* got = nullptr;
        ASSERT_EQ(loaded.getPointerToString(id, got), kNoErr);
        ASSERT_EQ(got->str(), text) << id;
    }
    EXPECT_EQ(ids(loaded, {"reused"}), "598");
    ASSERT_EQ(save(path, loaded), kNoErr);
    records.emplace_back(598, "reused");
    std::sort(records.begin(), records.end());
    EXPECT_EQ(forkBytes(path, kForkStrings), fork(600, records));

    // A high H with few records is sound: the IDs below it were free when it was saved.
    replaceFork(path, kForkStrings, fork(100000, {{7, "seven"}, {100000, "last"}}));
    ASSERT_EQ(load(path, loaded), kNoErr);
    EXPECT_EQ(loaded.maxArrayIndex(), 100000);
    EXPECT_EQ(dump(loaded).substr(0, 24), "1- 2- 3- 4- 5- 6- 7:seve");
    EXPECT_EQ(ids(loaded, {"reused"}), "99999");

    const Bytes a = fork(2, {{1, "a"}});
    const std::string tooLong(33000, 'q');
    Bytes longPrefix = large;
    std::copy_n(words({601}).begin(), 4, longPrefix.begin()); // H 601, its record to follow
    // In order: no 'Stri' fork; ID 0; an ID above H; descending IDs; no record for H; a missing
    // terminator; the fork ending inside an ID; bytes after H; H 0 with records; H negative; H
    // just above the table limit; empty. Too long before the fork's end (the length limit
    // speaks first): a text, a long unterminated one. The same damage far from the fork's
    // start: a text too long, a missing terminator, no record for H, bytes after H.
    std::string got;
    int row = 0;
    for (const Bytes& bytes :
         {Bytes{}, fork(2, {{0, "a"}, {2, "b"}}), fork(2, {{1, "a"}, {3, "b"}}),
          fork(3, {{2, "a"}, {1, "b"}, {3, "c"}}), fork(3, {{1, "a"}, {2, "b"}}),
          a + Bytes{0, 0, 0, 2, 'b'}, a + Bytes{0, 0}, fork(1, {{1, "a"}}) + Bytes{'z'},
          fork(0, {{1, "a"}}), fork(-5, {}), fork((1 << 24) + 1, {{(1 << 24) + 1, "a"}}), Bytes{},
          fork(1, {{1, tooLong}}), words({1, 1}) + Bytes(40000, 'q'),
          longPrefix + slice(fork(0, {{601, tooLong}}), 4, 33005),
          longPrefix + words({601}) + Bytes(100, 'u'), longPrefix, large + Bytes{'z'}}) {
        SCOPED_TRACE(row);
        platform.recorder.clear();
        const std::string file = newContainer(dir, "damaged" + std::to_string(row));
        if (row++)
            replaceFork(file, kForkStrings, bytes);
        CStringManager kept;
        buildMixed(kept);
        const RErr err = load(file, kept);
        got += join({err}) + " ";
        EXPECT_EQ(log(), (err == kErrNoSuchFork
                              ? "CRFile::tarniTypeToIndex (-102); CRFile::getForkSize (-102); "
                              : "") +
                             bugReportText("CStringManager::readStringStructureFromDisk", err));
        EXPECT_EQ(dump(kept), kMixed);
        EXPECT_EQ(ids(kept, {"next"}), "3");
    }
    EXPECT_EQ(got,
              "-102 1008 1008 1008 1008 1008 1008 1008 1008 1008 1008 1008 1000 1000 1000 1008 "
              "1008 1008 ");
}
