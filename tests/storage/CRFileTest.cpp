#include "storage/CRFile.h"

#include "base/ErrorReporter.h"
#include "storage/CRMemory.h"
#include "storage/StorageTestSupport.h"

#include <algorithm>
#include <climits>
#include <tuple>
#include <utility>

namespace {

constexpr RForkType kA = makeForkType("AAAA");
constexpr RForkType kB = makeForkType("BBBB");
constexpr RForkType kC = makeForkType("CCCC");

using Forks = std::vector<std::pair<RForkType, Bytes>>;

int32_t forkSize(CRFile& file, RForkType type) {
    int32_t size = -1;
    EXPECT_EQ(file.getForkSize(type, size), kNoErr);
    return size;
}

int32_t forkPosition(CRFile& file, RForkType type) {
    int32_t position = INT32_MIN;
    EXPECT_EQ(file.getForkPosition(type, position), kNoErr);
    return position;
}

Bytes readWholeFork(CRFile& file, RForkType type) {
    int32_t length = forkSize(file, type);
    Bytes bytes(static_cast<std::size_t>(std::max(length, 0)));
    EXPECT_TRUE(
        all(kNoErr, {file.setForkPosition(type, 0), file.readFork(type, length, bytes.data())}));
    EXPECT_EQ(length, static_cast<int32_t>(bytes.size()));
    return bytes;
}

// A container opened on a path for the length of a scope; err is what opening gave.
struct Opened {
    explicit Opened(const std::string& path) : fd(path), file(fd, err) {}
    CFileDescriptor fd;
    RErr err = -1;
    CRFile file;
};

// A container at path holding 'DATA' (empty) and the given forks, in this order.
void makeContainer(const std::string& path, const Forks& forks) {
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    Opened c(path);
    for (const auto& [type, bytes] : forks) {
        auto length = static_cast<int32_t>(bytes.size());
        ASSERT_TRUE(all(kNoErr, {c.file.createFork(type), c.file.setForkSize(type, length),
                                 c.file.writeFork(type, length, bytes.data())}));
    }
}

class CRFileTest : public StorageTest {
protected:
    std::unique_ptr<Opened> open(const Forks& forks, const std::string& name = "c") {
        makeContainer(dir.file(name), forks);
        auto c = std::make_unique<Opened>(dir.file(name));
        EXPECT_EQ(c->err, kNoErr);
        return c;
    }
};

} // namespace

TEST_F(CRFileTest, ANewContainerIs24BytesAndATablOfEightMakesIt44) {
    const std::string path = dir.file("new.rgr");
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    EXPECT_FALSE(fd.isOpenNow());
    const int32_t data = static_cast<int32_t>(kForkData), tabl = static_cast<int32_t>(kForkTablet);
    EXPECT_EQ(readFileBytes(path), words({1, 0, data, 0, 0, 0}));
    EXPECT_EQ(data, 'D' << 24 | 'A' << 16 | 'T' << 8 | 'A');
    {
        RErr err = -1;
        CRFile file(fd, err);
        EXPECT_TRUE(fd.isOpenNow());
        ASSERT_TRUE(all(kNoErr, {err, file.createFork(kForkTablet)}));
        EXPECT_EQ(readFileBytes(path).size(), 36u); // one entry of 12 bytes more
        ASSERT_EQ(file.setForkSize(kForkTablet, 8), kNoErr);
        EXPECT_EQ(forkSize(file, kForkData), 0);
    }
    EXPECT_FALSE(fd.isOpenNow()); // the container closed what it opened
    const Bytes bytes = readFileBytes(path);
    EXPECT_EQ(slice(bytes, 8, 36), words({1, 1, data, 0, 0, tabl, 0, 0, 8}));
    EXPECT_EQ(slice(bytes, 28, 4), (Bytes{'T', 'a', 'b', 'l'}));
    EXPECT_EQ(Opened(path).file.ftocOffset(), 8);
    EXPECT_TRUE(reports().empty());

    // Creating over an existing file fails and leaves it alone.
    writeFileBytes(dir.file("exists"), {1, 2, 3});
    CFileDescriptor existing(dir.file("exists"));
    EXPECT_EQ(CRFile::createCFile(existing), kErrFileSystem);
    EXPECT_EQ(reports().back(), "CRFile::createCFile (file system error)");
    EXPECT_EQ(readFileBytes(dir.file("exists")), (Bytes{1, 2, 3}));
}

TEST_F(CRFileTest, ForkLookupCodesAndNewForksAtTheEndOfTheData) {
    auto c = open({{kA, pattern(6, 1)}, {kForkStrings, pattern(9, 2)}});
    CRFile& file = c->file;
    bool hasA = false, hasB = true;
    int32_t index = -1, size = 0, length = 4, end = 0;
    ASSERT_TRUE(all(kNoErr, {file.forkExists(kA, hasA), file.forkExists(kB, hasB),
                             file.tarniTypeToIndex(kForkStrings, index), file.createFork(kC),
                             file.calcEndOfXthFork(1, end)}));
    EXPECT_EQ(std::make_tuple(hasA, hasB, index, end), std::make_tuple(true, false, 2, 6));
    EXPECT_EQ(file.entry(3).forkType, kC);
    EXPECT_EQ(file.entry(3).offset, 15);
    EXPECT_EQ(readWholeFork(file, kForkStrings), pattern(9, 2));
    EXPECT_TRUE(reports().empty());

    unsigned char buffer[4];
    EXPECT_TRUE(all(kErrNoSuchFork, {file.tarniTypeToIndex(kB, index), file.getForkSize(kB, size),
                                     file.readFork(kB, length, buffer), file.setForkSize(kB, 4)}));
    EXPECT_EQ(length, 0);
    EXPECT_TRUE(all(kErrForkExists, {file.createFork(kA), file.createFork(kForkData)}));
    EXPECT_TRUE(
        all(kErrInvalidParameter, {file.calcEndOfXthFork(-1, end), file.calcEndOfXthFork(4, end)}));
    // Each operation on a missing fork reports the failed lookup, then itself.
    const std::string lookup = "CRFile::tarniTypeToIndex (-102)", bad = " (invalid parameter)";
    EXPECT_EQ(reports(),
              (Texts{lookup, lookup, "CRFile::getForkSize (-102)", lookup,
                     "CRFile::readFork (-102)", lookup, "CRFile::setForkSize (-102)",
                     "CRFile::createFork (-103)", "CRFile::createFork (-103)",
                     "CRFile::calcEndOfXthFork" + bad, "CRFile::calcEndOfXthFork" + bad}));
}

TEST_F(CRFileTest, TransfersStopAtTheForksEndWithMinus104AndNeverLengthenIt) {
    const Bytes six = {10, 11, 12, 13, 14, 15};
    auto c = open({{kA, six}, {kB, pattern(20, 2)}});
    CRFile& file = c->file;
    unsigned char buffer[10] = {};
    int32_t length = 10;
    EXPECT_EQ(file.readFork(kA, length, buffer), kErrOutsideFork);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(Bytes(buffer, buffer + 7), (Bytes{10, 11, 12, 13, 14, 15, 0})); // not from 'BBBB'
    EXPECT_EQ(forkPosition(file, kA), 6);
    length = 1;
    EXPECT_EQ(file.readFork(kA, length, buffer), kErrOutsideFork);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(reports().front(), "CRFile::readFork (-104)");

    const Bytes ten = pattern(10, 9);
    ASSERT_EQ(file.setForkPosition(kA, 2), kNoErr);
    length = 10;
    EXPECT_EQ(file.writeFork(kA, length, ten.data()), kErrOutsideFork);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(readWholeFork(file, kA), (Bytes{10, 11, ten[0], ten[1], ten[2], ten[3]}));
    EXPECT_EQ(readWholeFork(file, kB), pattern(20, 2));
}

TEST_F(CRFileTest, NegativeCursorsCountFromTheEndAndCursorsStayInsideTheFork) {
    auto c = open({{kA, {1, 2, 3, 4, 5, 6}}});
    CRFile& file = c->file;
    ASSERT_EQ(file.setForkPosition(kA, -2), kNoErr);
    EXPECT_EQ(forkPosition(file, kA), -2);
    unsigned char got[3] = {};
    int32_t two = 2, one = 1, oneMore = 1;
    ASSERT_TRUE(all(kNoErr, {file.readFork(kA, two, got), file.setForkPosition(kA, -6),
                             file.readFork(kA, one, got + 2), file.setForkPosition(kA, -1),
                             file.writeFork(kA, oneMore, "\x09")}));
    EXPECT_EQ(Bytes(got, got + 3), (Bytes{5, 6, 1}));
    EXPECT_EQ(readWholeFork(file, kA), (Bytes{1, 2, 3, 4, 5, 9}));
    EXPECT_EQ(forkPosition(file, kA), 6); // the end of the fork, not its start

    bool valid = false;
    for (int32_t p : {-6, -1, 0, 3, 6, -7, 7, INT32_MIN, INT32_MAX}) {
        const bool inside = p >= -6 && p <= 6;
        ASSERT_EQ(file.validatePosition(kA, p, valid), kNoErr);
        EXPECT_EQ(valid, inside) << p;
        EXPECT_EQ(file.setForkPosition(kA, p), inside ? kNoErr : kErrOutsideFork) << p;
    }
    EXPECT_EQ(forkPosition(file, kA), 6); // unchanged by the refused ones
    EXPECT_EQ(reports(), Texts(4, "CRFile::setForkPosition (-104)"));
}

TEST_F(CRFileTest, SeriesOfInt32sAreBigEndianAndStoredCursorsAreIgnoredWhenReading) {
    const int32_t values[] = {51, -2, 0x01020304};
    {
        auto c = open({{kForkTablet, Bytes(12, 0)}});
        ASSERT_EQ(c->file.writeASeriesOfInt32s(kForkTablet, values, 2), kNoErr);
        EXPECT_EQ(forkPosition(c->file, kForkTablet), 12);
        ASSERT_TRUE(all(kNoErr, {c->file.setForkPosition(kForkTablet, 4), c->file.flushFTOC()}));
    }
    const Bytes bytes = readFileBytes(dir.file("c"));
    EXPECT_EQ(slice(bytes, 0, 12), words({51, -2, 0x01020304}));
    EXPECT_EQ(slice(bytes, bytes.size() - 8, 4), words({4})); // the cursor is written...
    Opened c(dir.file("c"));
    EXPECT_EQ(c.file.entry(1).position, 0); // ...but not read
    int32_t back[4] = {7, 7, 7, 7};
    ASSERT_EQ(c.file.readASeriesOfInt32s(kForkTablet, back, 2), kNoErr);
    EXPECT_TRUE(std::equal(values, values + 3, back));
    // A series cut at the fork's end: the whole integers that fit, then -104.
    ASSERT_EQ(c.file.setForkPosition(kForkTablet, 4), kNoErr);
    EXPECT_EQ(c.file.readASeriesOfInt32s(kForkTablet, back, 3), kErrOutsideFork);
    EXPECT_EQ(std::vector<int32_t>(back, back + 3),
              (std::vector<int32_t>{-2, 0x01020304, 0x01020304}));
    EXPECT_EQ(c.file.readASeriesOfInt32s(kForkTablet, back, -2), kErrInvalidParameter);
}

// 'AAAA' (16 bytes) is followed by 100,000 bytes: 'BBBB', 'CCCC' and the 60-byte table.
// Where a failed write leaves the bytes shows the order of the moves: growing lengthens the
// file first, then moves the upper 65,536 bytes before the lower 34,464; shrinking moves the
// lowest 65,536 first and shortens the file last.
TEST_F(CRFileTest, ResizingMovesTheLaterForksIntactInChunksFromTheFarEnd) {
    const Bytes a = pattern(16, 1), b = pattern(60000, 2), c = pattern(39940, 3);
    const Forks forks = {{kA, a}, {kB, b}, {kC, c}};
    makeContainer(dir.file("before"), forks);
    const Bytes before = readFileBytes(dir.file("before"));
    // {new size of 'AAAA', the write that fails (0: none)}
    const std::pair<int32_t, int32_t> rows[] = {{1016, 0}, {5, 0}, {26, 1}, {1016, 2}, {5, 2}};
    for (const auto& [newSize, failWrite] : rows) {
        const std::string name = std::to_string(newSize) + "-" + std::to_string(failWrite);
        SCOPED_TRACE(name);
        makeContainer(dir.file(name), forks);
        const auto to = static_cast<std::size_t>(newSize);
        Bytes after;
        {
            Opened f(dir.file(name));
            CFileDescriptor::failNthWriteFromNow(failWrite);
            EXPECT_EQ(f.file.setForkSize(kA, newSize), failWrite ? kErrFileSystem : kNoErr);
            CFileDescriptor::failNthWriteFromNow(0);
            after = readFileBytes(dir.file(name)); // before closing writes the table
            if (!failWrite) {
                EXPECT_EQ(std::make_tuple(f.file.entry(2).offset, f.file.entry(3).offset,
                                          f.file.ftocOffset()),
                          std::make_tuple(newSize, newSize + 60000, newSize + 99940));
                const std::size_t kept = std::min<std::size_t>(to, 16);
                EXPECT_EQ(slice(readWholeFork(f.file, kA), 0, kept), slice(a, 0, kept));
            }
        }
        if (failWrite == 0) {
            after = readFileBytes(dir.file(name));
            ASSERT_EQ(after.size(), before.size() + to - 16);
            EXPECT_EQ(slice(after, to, 60000), b);
            Opened f(dir.file(name));
            EXPECT_EQ(readWholeFork(f.file, kB), b);
            EXPECT_EQ(readWholeFork(f.file, kC), c);
        } else if (failWrite == 1) {
            ASSERT_EQ(after.size(), before.size() + 10);
            EXPECT_EQ(slice(after, 0, before.size()), before);
        } else if (to > 16) {
            ASSERT_EQ(after.size(), before.size() + 1000);
            EXPECT_EQ(slice(after, to + 34464, 65536), slice(before, 16 + 34464, 65536));
            EXPECT_EQ(slice(after, 0, 16 + 34464), slice(before, 0, 16 + 34464));
            EXPECT_NE(slice(after, to, 34464), slice(before, 16, 34464));
        } else {
            ASSERT_EQ(after.size(), before.size());
            EXPECT_EQ(slice(after, 5, 65536), slice(before, 16, 65536));
            const std::size_t rest = before.size() - 5 - 65536;
            EXPECT_EQ(slice(after, 5 + 65536, rest), slice(before, 5 + 65536, rest));
        }
    }
    const std::string fs = " (file system error)", write = "CFileDescriptor::write" + fs;
    const std::string insert = "CRFile::physicallyInsertSegment" + fs,
                      size = "CRFile::setForkSize" + fs;
    EXPECT_EQ(reports(), (Texts{write, insert, size, write, insert, size, write,
                                "CRFile::physicallyRemoveSegment" + fs, size}));
}

TEST_F(CRFileTest, ShrinkingToZeroKeepsTheEntryAndGrowthPastTwoGigabytesIsRefused) {
    auto c = open({{kA, pattern(10, 1)}, {kB, pattern(30, 2)}});
    CRFile& file = c->file;
    ASSERT_TRUE(all(kNoErr, {file.setForkPosition(kA, 5), file.setForkSize(kA, 7)}));
    EXPECT_EQ(forkPosition(file, kA), 5); // still valid
    ASSERT_TRUE(all(kNoErr, {file.setForkPosition(kA, -7), file.setForkSize(kA, 0)}));
    EXPECT_EQ(forkPosition(file, kA), 0);
    EXPECT_EQ(file.forkCount(), 3);
    EXPECT_EQ(forkSize(file, kA), 0);
    EXPECT_EQ(readWholeFork(file, kB), pattern(30, 2));
    ASSERT_EQ(file.setForkSize(kA, 0), kNoErr); // same size: nothing to do
    const Bytes before = readFileBytes(dir.file("c"));
    EXPECT_EQ(before.size(), 30u + 8 + 36 + 4);
    // INT32_MAX - 77 is one byte too many for the file.
    EXPECT_TRUE(all(kErrInvalidParameter,
                    {file.setForkSize(kA, INT32_MAX), file.setForkSize(kA, INT32_MAX - 77),
                     file.setForkSize(kA, -1), file.physicallyInsertSegment(0, INT32_MAX),
                     file.physicallyRemoveSegment(0, 1000), file.physicallyInsertSegment(-1, 1)}));
    EXPECT_EQ(readFileBytes(dir.file("c")), before);
    EXPECT_EQ(reports().front(), "CRFile::setForkSize (invalid parameter)");
}

TEST_F(CRFileTest, OpenDescriptorsStayOpenAndAFileOpenElsewhereCannotBeOpened) {
    const std::string path = dir.file("open");
    makeContainer(path, {});
    CFileDescriptor fd(path);
    ASSERT_EQ(fd.open(), kNoErr);
    RErr err = -1;
    { CRFile file(fd, err); }
    EXPECT_TRUE(fd.isOpenNow());
    CRFile holder(fd, err);
    ASSERT_EQ(err, kNoErr);
    Opened other(path);
    EXPECT_EQ(other.err, kErrFileSystem);
    EXPECT_FALSE(other.fd.isOpenNow());
    EXPECT_EQ(reports(), (Texts{"CFileDescriptor::open (file system error)",
                                "CRFile::CRFile (file system error)"}));
}

TEST_F(CRFileTest, TablesAreCountedWhileHeldAndByteAtATimeReadingOfALargeFork) {
    CRMemory& memory = CRMemory::shared();
    const int64_t header = memory.live(kTagContainerHeader);
    const int64_t table = memory.live(kTagContainerEntries);
    const int64_t objects = memory.live(kKindCRFile);
    const Bytes text = pattern(300000, 4);
    {
        auto c = open({{kForkTablet, pattern(100, 5)}, {kForkStrings, text}});
        EXPECT_EQ(std::make_tuple(memory.live(kTagContainerHeader),
                                  memory.live(kTagContainerEntries), memory.live(kKindCRFile)),
                  std::make_tuple(header + 1, table + 1, objects + 1));
        CRFile& file = c->file;
        ASSERT_EQ(file.setForkPosition(kForkStrings, 0), kNoErr);
        Bytes got(text.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            int32_t length = 1;
            ASSERT_EQ(file.readFork(kForkStrings, length, &got[i]), kNoErr);
            ASSERT_EQ(length, 1);
        }
        EXPECT_EQ(got, text);
        // Interleaved with a write in the middle of what was read ahead.
        ASSERT_EQ(file.setForkPosition(kForkStrings, 1000), kNoErr);
        int32_t length = 2;
        ASSERT_TRUE(all(kNoErr, {file.writeFork(kForkStrings, length, "\xDE\xAD"),
                                 file.setForkPosition(kForkStrings, 999)}));
        length = 3;
        ASSERT_EQ(file.readFork(kForkStrings, length, got.data()), kNoErr);
        EXPECT_EQ(slice(got, 0, 3), (Bytes{text[999], 0xDE, 0xAD}));
    }
    EXPECT_EQ(std::make_tuple(memory.live(kTagContainerHeader), memory.live(kTagContainerEntries),
                              memory.live(kKindCRFile)),
              std::make_tuple(header, table, objects));
    EXPECT_EQ(memory.live(kTagSegmentMoveUp), 0);
    EXPECT_GE(memory.allocations(kTagSegmentMoveUp), 1);
}

namespace {

// A well-formed container: 'DATA' (empty), 'AAAA' (6 bytes), 'BBBB' (4 bytes), table.
Bytes goodImage() {
    Bytes bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const Bytes table = words({1, 2, static_cast<int32_t>(kForkData), 0, 0,
                               static_cast<int32_t>(kA), 0, 0, static_cast<int32_t>(kB), 6, 0, 10});
    bytes.insert(bytes.end(), table.begin(), table.end());
    return bytes; // 10 + 8 + 36 + 4 = 58 bytes
}

Bytes with(std::size_t at, int32_t value) {
    Bytes b = goodImage();
    const Bytes v = words({value});
    std::copy(v.begin(), v.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    return b;
}

} // namespace

TEST_F(CRFileTest, DamagedFilesFailCleanlyWithACode) {
    writeFileBytes(dir.file("good"), goodImage());
    {
        Opened good(dir.file("good"));
        ASSERT_EQ(good.err, kNoErr);
        EXPECT_EQ(readWholeFork(good.file, kA), (Bytes{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(readWholeFork(good.file, kB), (Bytes{7, 8, 9, 10}));
    }
    const Bytes good = goodImage();
    const std::size_t last = good.size() - 4, top = 14, offsets = 22;
    Bytes gap = good;
    gap.insert(gap.end() - 4, {0, 0, 0, 0});
    Bytes cut37 = slice(good, 0, 37); // the last word is now 00 00 00 (the end of an offset) and 00
    cut37.back() = 0x40;
    const std::string text = "This is a text file, not a forked container at all.\n";
    // Cut by 4, the last word is an entry's cursor; cut to 40, a cursor of 0.
    struct Row {
        std::string name;
        Bytes bytes;
        RErr expected;
    };
    std::vector<Row> rows = {
        {"FTOCOffset -1", with(last, -1), kErrInvalidFormat},
        {"FTOCOffset INT32_MIN", with(last, INT32_MIN), kErrInvalidFormat},
        {"FTOCOffset INT32_MAX", with(last, INT32_MAX), kErrInvalidFormat},
        {"FTOCOffset past the end", with(last, 1000), kErrInvalidFormat},
        {"FTOCOffset at length - 11", with(last, static_cast<int32_t>(good.size() - 11)),
         kErrInvalidFormat},
        {"FTOCOffset one early", with(last, 9), kErrBadContainerVersion},
        {"containerVersion 2", with(10, 2), kErrBadContainerVersion},
        {"containerVersion 0", with(10, 0), kErrBadContainerVersion},
        {"topForkIndex -1", with(top, -1), kErrInvalidFormat},
        {"topForkIndex INT32_MIN", with(top, INT32_MIN), kErrInvalidFormat},
        {"topForkIndex INT32_MAX", with(top, INT32_MAX), kErrInvalidFormat},
        {"topForkIndex 0x15555555", with(top, 0x15555555), kErrInvalidFormat},
        {"topForkIndex one too many", with(top, 3), kErrInvalidFormat},
        {"topForkIndex one too few", with(top, 1), kErrInvalidFormat},
        {"first offset negative", with(offsets, -1), kErrInvalidFormat},
        {"first offset after the second", with(offsets, 7), kErrInvalidFormat},
        {"offsets out of order", with(offsets + 12, 11), kErrInvalidFormat},
        {"offset past FTOCOffset", with(offsets + 24, 11), kErrInvalidFormat},
        {"offset INT32_MAX", with(offsets + 24, INT32_MAX), kErrInvalidFormat},
        {"bytes between the table and its offset", gap, kErrInvalidFormat},
        {"truncated by 4", slice(good, 0, good.size() - 4), kErrBadContainerVersion},
        {"truncated to 40", slice(good, 0, 40), kErrBadContainerVersion},
        {"truncated to 37", cut37, kErrInvalidFormat},
        {"all 0xFF", Bytes(64, 0xFF), kErrInvalidFormat},
        {"all zeros", Bytes(64, 0), kErrBadContainerVersion},
        {"text", Bytes(text.begin(), text.end()), kErrInvalidFormat}};
    for (std::size_t n = 0; n < 12; ++n)
        rows.push_back({"length " + std::to_string(n), Bytes(n, 0), kErrInvalidFormat});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        platform.recorder.clear();
        const std::string path = dir.file("damaged");
        writeFileBytes(path, row.bytes);
        {
            Opened damaged(path);
            EXPECT_EQ(damaged.err, row.expected);
            EXPECT_FALSE(damaged.fd.isOpenNow()); // closed again at once
            EXPECT_EQ(damaged.file.forkCount(), 0);
            bool exists = true;
            EXPECT_EQ(damaged.file.forkExists(kForkData, exists), kNoErr);
            EXPECT_FALSE(exists);
            // A failed container refuses structural changes instead of writing.
            EXPECT_TRUE(all(kErrNotInitialized,
                            {damaged.file.createFork(kA), damaged.file.setForkSize(kA, 4)}));
        }
        ASSERT_FALSE(reports().empty());
        EXPECT_EQ(reports().front(), bugReportText("CRFile::CRFile", row.expected));
        EXPECT_EQ(readFileBytes(path), row.bytes); // never written
    }
}

// Every single-byte change and every truncation of a good file either opens as a consistent
// container or fails with a code; nothing reads outside a fork or crashes.
TEST_F(CRFileTest, EveryMutationOfAGoodFileIsHandled) {
    const Bytes good = goodImage();
    std::vector<Bytes> mutants;
    for (std::size_t i = 0; i < good.size(); ++i) {
        mutants.push_back(slice(good, 0, i));
        for (int v : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            mutants.push_back(good);
            mutants.back()[i] = static_cast<unsigned char>(v);
        }
    }
    for (const Bytes& m : mutants) {
        platform.recorder.clear();
        writeFileBytes(dir.file("mutant"), m);
        Opened c(dir.file("mutant"));
        if (c.err) {
            EXPECT_TRUE(c.err == kErrInvalidFormat || c.err == kErrBadContainerVersion) << c.err;
            EXPECT_FALSE(reports().empty());
            continue;
        }
        int32_t total = 0;
        for (int32_t i = 0; i < c.file.forkCount(); ++i) {
            int32_t end = 0;
            ASSERT_EQ(c.file.calcEndOfXthFork(i, end), kNoErr);
            ASSERT_GE(end, c.file.entry(i).offset);
            total += end - c.file.entry(i).offset;
            const RForkType type = c.file.entry(i).forkType;
            int32_t length = forkSize(c.file, type) + 8;
            Bytes buffer(static_cast<std::size_t>(length), 0xEE);
            ASSERT_EQ(c.file.setForkPosition(type, 0), kNoErr);
            const RErr readErr = c.file.readFork(type, length, buffer.data());
            EXPECT_TRUE(readErr == kNoErr || readErr == kErrOutsideFork);
            EXPECT_LE(length, forkSize(c.file, type));
        }
        EXPECT_LE(total, c.file.ftocOffset());
    }
}
