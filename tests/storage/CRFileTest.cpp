#include "storage/CRFile.h"

#include "base/ErrorReporter.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRMemory.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr RForkType kA = makeForkType("AAAA");
constexpr RForkType kB = makeForkType("BBBB");
constexpr RForkType kC = makeForkType("CCCC");

Bytes pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>((i * 131 + seed * 17 + i / 251) & 0xFF);
    return bytes;
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t count) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

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
    const int32_t size = forkSize(file, type);
    Bytes bytes(static_cast<std::size_t>(std::max(size, 0)));
    EXPECT_EQ(file.setForkPosition(type, 0), kNoErr);
    int32_t length = size;
    EXPECT_EQ(file.readFork(type, length, bytes.data()), kNoErr);
    EXPECT_EQ(length, size);
    return bytes;
}

void writeWholeFork(CRFile& file, RForkType type, const Bytes& bytes) {
    ASSERT_EQ(file.setForkSize(type, static_cast<int32_t>(bytes.size())), kNoErr);
    ASSERT_EQ(file.setForkPosition(type, 0), kNoErr);
    int32_t length = static_cast<int32_t>(bytes.size());
    ASSERT_EQ(file.writeFork(type, length, bytes.data()), kNoErr);
    ASSERT_EQ(length, static_cast<int32_t>(bytes.size()));
}

// A container opened on a path for the length of a scope; `err` is what opening gave.
struct Opened {
    explicit Opened(const std::string& path) : fd(path), file(fd, err) {}
    CFileDescriptor fd;
    RErr err = -1;
    CRFile file;
};

// A container at path holding 'DATA' (empty) and the given forks, in this order.
void makeContainer(const std::string& path, const std::vector<std::pair<RForkType, Bytes>>& forks) {
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    Opened c(path);
    ASSERT_EQ(c.err, kNoErr);
    for (const auto& [type, bytes] : forks) {
        ASSERT_EQ(c.file.createFork(type), kNoErr);
        writeWholeFork(c.file, type, bytes);
    }
}

int32_t be32At(const Bytes& bytes, std::size_t at) {
    return static_cast<int32_t>(
        (static_cast<uint32_t>(bytes[at]) << 24) | (static_cast<uint32_t>(bytes[at + 1]) << 16) |
        (static_cast<uint32_t>(bytes[at + 2]) << 8) | static_cast<uint32_t>(bytes[at + 3]));
}

void putBE32(Bytes& bytes, std::size_t at, int32_t value) {
    const Bytes b = be32(value);
    std::copy(b.begin(), b.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

class CRFileTest : public ::testing::Test {
protected:
    void TearDown() override { CFileDescriptor::failNthWriteFromNow(0); }
    std::vector<std::string> reports() const { return platform.recorder.bugReports(); }
    // A new container with the forks, opened.
    std::unique_ptr<Opened> open(const std::vector<std::pair<RForkType, Bytes>>& forks,
                                 const std::string& name = "c") {
        makeContainer(dir.file(name), forks);
        auto c = std::make_unique<Opened>(dir.file(name));
        EXPECT_EQ(c->err, kNoErr);
        return c;
    }
    TempDir dir;
    RecordingPlatformScope platform;
};

} // namespace

TEST_F(CRFileTest, ANewContainerIs24BytesAndATablOfEightMakesIt44) {
    const std::string path = dir.file("new.rgr");
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    EXPECT_FALSE(fd.isOpenNow());
    EXPECT_EQ(readFileBytes(path), (Bytes{0, 0, 0, 1, 0, 0, 0, 0, 0x44, 0x41, 0x54, 0x41,
                                          0, 0, 0, 0, 0, 0, 0, 0, 0,    0,    0,    0}));
    {
        RErr err = -1;
        CRFile file(fd, err);
        ASSERT_EQ(err, kNoErr);
        EXPECT_TRUE(fd.isOpenNow());
        EXPECT_EQ(file.forkCount(), 1);
        EXPECT_EQ(file.ftocOffset(), 0);
        EXPECT_EQ(file.entry(0).forkType, kForkData);
        EXPECT_EQ(forkSize(file, kForkData), 0);
        ASSERT_EQ(file.createFork(kForkTablet), kNoErr);
        EXPECT_EQ(readFileBytes(path).size(), 36u); // one entry of 12 bytes more
        ASSERT_EQ(file.setForkSize(kForkTablet, 8), kNoErr);
        EXPECT_EQ(forkSize(file, kForkData), 0);
        EXPECT_EQ(file.ftocOffset(), 8);
    }
    EXPECT_FALSE(fd.isOpenNow()); // the container closed what it opened
    const Bytes bytes = readFileBytes(path);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(slice(bytes, 40, 4), (Bytes{0, 0, 0, 8}));
    Bytes table;
    for (int32_t v :
         {1, 1, static_cast<int32_t>(kForkData), 0, 0, static_cast<int32_t>(kForkTablet), 0, 0, 8})
        appendBE32(table, v);
    EXPECT_EQ(slice(bytes, 8, 36), table);
    EXPECT_EQ(slice(bytes, 28, 4), (Bytes{0x54, 0x61, 0x62, 0x6C})); // entry 1's type
    Opened again(path);
    ASSERT_EQ(again.err, kNoErr);
    EXPECT_EQ(forkSize(again.file, kForkData), 0);
    EXPECT_EQ(forkSize(again.file, kForkTablet), 8);
    EXPECT_TRUE(reports().empty());

    // Creating over an existing file fails and leaves it alone.
    const std::string other = dir.file("exists");
    writeFileBytes(other, {1, 2, 3});
    CFileDescriptor existing(other);
    EXPECT_EQ(CRFile::createCFile(existing), kErrFileSystem);
    EXPECT_EQ(reports().back(), "CRFile::createCFile (file system error)");
    EXPECT_EQ(readFileBytes(other), (Bytes{1, 2, 3}));
}

TEST_F(CRFileTest, ForkLookupAndCreationCodes) {
    auto c = open({{kA, pattern(6, 1)}});
    CRFile& file = c->file;
    bool exists = false;
    ASSERT_EQ(file.forkExists(kA, exists), kNoErr);
    EXPECT_TRUE(exists);
    ASSERT_EQ(file.forkExists(kB, exists), kNoErr);
    EXPECT_FALSE(exists);
    int32_t index = -1;
    ASSERT_EQ(file.tarniTypeToIndex(kA, index), kNoErr);
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(reports().empty());

    EXPECT_EQ(file.tarniTypeToIndex(kB, index), kErrNoSuchFork);
    EXPECT_EQ(file.createFork(kA), kErrForkExists);
    EXPECT_EQ(file.createFork(kForkData), kErrForkExists);
    int32_t size = 0;
    EXPECT_EQ(file.getForkSize(kB, size), kErrNoSuchFork);
    unsigned char buffer[4];
    int32_t length = 4;
    EXPECT_EQ(file.readFork(kB, length, buffer), kErrNoSuchFork);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(file.setForkSize(kB, 4), kErrNoSuchFork);
    int32_t end = 0;
    EXPECT_EQ(file.calcEndOfXthFork(-1, end), kErrInvalidParameter);
    EXPECT_EQ(file.calcEndOfXthFork(2, end), kErrInvalidParameter);
    ASSERT_EQ(file.calcEndOfXthFork(0, end), kNoErr);
    EXPECT_EQ(end, 0);
    ASSERT_EQ(file.calcEndOfXthFork(1, end), kNoErr);
    EXPECT_EQ(end, 6);

    const auto r = reports();
    EXPECT_EQ(r[0], "CRFile::tarniTypeToIndex (-102)");
    EXPECT_EQ(r[1], "CRFile::createFork (-103)");
    EXPECT_NE(std::find(r.begin(), r.end(), "CRFile::readFork (-102)"), r.end());
    EXPECT_NE(std::find(r.begin(), r.end(), "CRFile::calcEndOfXthFork (invalid parameter)"),
              r.end());
}

TEST_F(CRFileTest, ReadsAndWritesStopAtTheForksEndWithMinus104) {
    const Bytes six = {10, 11, 12, 13, 14, 15};
    auto c = open({{kA, six}, {kB, pattern(20, 2)}});
    CRFile& file = c->file;
    unsigned char buffer[10] = {};
    int32_t length = 10;
    EXPECT_EQ(file.readFork(kA, length, buffer), kErrOutsideFork);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(Bytes(buffer, buffer + 6), six);
    EXPECT_EQ(buffer[6], 0); // nothing from the next fork
    EXPECT_EQ(forkPosition(file, kA), 6);
    length = 1;
    EXPECT_EQ(file.readFork(kA, length, buffer), kErrOutsideFork);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(reports().front(), "CRFile::readFork (-104)");

    // Writing never lengthens a fork.
    const Bytes ten = pattern(10, 9);
    ASSERT_EQ(file.setForkPosition(kA, 2), kNoErr);
    length = 10;
    EXPECT_EQ(file.writeFork(kA, length, ten.data()), kErrOutsideFork);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(forkSize(file, kA), 6);
    EXPECT_EQ(readWholeFork(file, kA), (Bytes{10, 11, ten[0], ten[1], ten[2], ten[3]}));
    EXPECT_EQ(readWholeFork(file, kB), pattern(20, 2));
}

TEST_F(CRFileTest, NegativeCursorsCountFromTheEndAndCursorsStayInsideTheFork) {
    auto c = open({{kA, {1, 2, 3, 4, 5, 6}}});
    CRFile& file = c->file;
    ASSERT_EQ(file.setForkPosition(kA, -2), kNoErr);
    EXPECT_EQ(forkPosition(file, kA), -2);
    unsigned char two[2] = {};
    int32_t length = 2;
    ASSERT_EQ(file.readFork(kA, length, two), kNoErr);
    EXPECT_EQ(two[0], 5);
    EXPECT_EQ(two[1], 6);
    EXPECT_EQ(forkPosition(file, kA), 6); // the end of the fork, not its start
    ASSERT_EQ(file.setForkPosition(kA, -6), kNoErr);
    length = 1;
    ASSERT_EQ(file.readFork(kA, length, two), kNoErr);
    EXPECT_EQ(two[0], 1);
    const unsigned char nine = 9;
    ASSERT_EQ(file.setForkPosition(kA, -1), kNoErr);
    length = 1;
    ASSERT_EQ(file.writeFork(kA, length, &nine), kNoErr);
    EXPECT_EQ(readWholeFork(file, kA), (Bytes{1, 2, 3, 4, 5, 9}));

    bool valid = false;
    for (int32_t p : {-6, -1, 0, 3, 6}) {
        ASSERT_EQ(file.validatePosition(kA, p, valid), kNoErr);
        EXPECT_TRUE(valid) << p;
        EXPECT_EQ(file.setForkPosition(kA, p), kNoErr) << p;
    }
    ASSERT_EQ(file.setForkPosition(kA, 3), kNoErr);
    for (int32_t p : {-7, 7, INT32_MIN, INT32_MAX}) {
        ASSERT_EQ(file.validatePosition(kA, p, valid), kNoErr);
        EXPECT_FALSE(valid) << p;
        EXPECT_EQ(file.setForkPosition(kA, p), kErrOutsideFork) << p;
    }
    EXPECT_EQ(forkPosition(file, kA), 3); // unchanged
    EXPECT_EQ(reports(), std::vector<std::string>(4, "CRFile::setForkPosition (-104)"));
}

TEST_F(CRFileTest, SeriesOfInt32sAreBigEndianInTheFork) {
    const int32_t values[] = {51, -2, 0x01020304};
    {
        auto c = open({{kForkTablet, Bytes(12, 0)}}, "ints");
        ASSERT_EQ(c->file.writeASeriesOfInt32s(kForkTablet, values, 2), kNoErr);
        EXPECT_EQ(forkPosition(c->file, kForkTablet), 12);
        EXPECT_EQ(readWholeFork(c->file, kForkTablet),
                  (Bytes{0, 0, 0, 0x33, 0xFF, 0xFF, 0xFF, 0xFE, 1, 2, 3, 4}));
    }
    EXPECT_EQ(slice(readFileBytes(dir.file("ints")), 0, 4), (Bytes{0, 0, 0, 0x33}));
    Opened c(dir.file("ints"));
    int32_t back[3] = {};
    ASSERT_EQ(c.file.readASeriesOfInt32s(kForkTablet, back, 2), kNoErr);
    EXPECT_EQ(std::memcmp(back, values, sizeof values), 0);
    // A series cut at the fork's end: the whole integers that fit, then -104.
    ASSERT_EQ(c.file.setForkPosition(kForkTablet, 4), kNoErr);
    int32_t more[4] = {7, 7, 7, 7};
    EXPECT_EQ(c.file.readASeriesOfInt32s(kForkTablet, more, 3), kErrOutsideFork);
    EXPECT_EQ(more[0], -2);
    EXPECT_EQ(more[1], 0x01020304);
    EXPECT_EQ(c.file.readASeriesOfInt32s(kForkTablet, more, -2), kErrInvalidParameter);
}

TEST_F(CRFileTest, StoredCursorsAreWrittenButIgnoredWhenReading) {
    {
        auto c = open({{kA, Bytes(6, 1)}});
        ASSERT_EQ(c->file.setForkPosition(kA, 4), kNoErr);
        ASSERT_EQ(c->file.flushFTOC(), kNoErr);
    }
    const Bytes bytes = readFileBytes(dir.file("c"));
    EXPECT_EQ(be32At(bytes, bytes.size() - 8), 4);
    Opened c(dir.file("c"));
    EXPECT_EQ(c.file.entry(1).position, 0);
}

// The fork 'AAAA' is followed by 100,000 bytes: 'BBBB', 'CCCC' and the 60-byte table.
struct HundredThousand {
    static constexpr int32_t kSizeA = 16;
    static constexpr int32_t kSizeB = 60000;
    static constexpr int32_t kSizeC = 100000 - 60 - kSizeB;
    Bytes a = pattern(kSizeA, 1);
    Bytes b = pattern(kSizeB, 2);
    Bytes c = pattern(kSizeC, 3);
    void make(const std::string& path) const { makeContainer(path, {{kA, a}, {kB, b}, {kC, c}}); }
};

TEST_F(CRFileTest, ResizingAForkMovesTheLaterForksIntact) {
    const HundredThousand h;
    for (const int32_t newSize : {h.kSizeA + 1000, 5}) {
        SCOPED_TRACE(newSize);
        const std::string path = dir.file("resize" + std::to_string(newSize));
        h.make(path);
        const Bytes before = readFileBytes(path);
        {
            Opened c(path);
            ASSERT_EQ(c.file.setForkSize(kA, newSize), kNoErr);
            EXPECT_EQ(c.file.entry(2).offset, newSize);
            EXPECT_EQ(c.file.entry(3).offset, newSize + h.kSizeB);
            EXPECT_EQ(c.file.ftocOffset(), newSize + h.kSizeB + h.kSizeC);
            const std::size_t kept = static_cast<std::size_t>(std::min(newSize, h.kSizeA));
            EXPECT_EQ(slice(readWholeFork(c.file, kA), 0, kept), slice(h.a, 0, kept));
            EXPECT_EQ(readWholeFork(c.file, kB), h.b);
        }
        const Bytes after = readFileBytes(path);
        ASSERT_EQ(after.size(), before.size() + static_cast<std::size_t>(newSize - h.kSizeA));
        EXPECT_EQ(slice(after, static_cast<std::size_t>(newSize), h.kSizeB), h.b);
        Opened c(path);
        EXPECT_EQ(readWholeFork(c.file, kB), h.b);
        EXPECT_EQ(readWholeFork(c.file, kC), h.c);
    }
    EXPECT_TRUE(reports().empty());
}

// Where a failed write leaves the bytes shows the order of the moves: growing lengthens the
// file first, then moves the upper 65,536 bytes before the lower 34,464; shrinking moves the
// lowest 65,536 first and shortens the file last.
TEST_F(CRFileTest, ResizingMovesInChunksFromTheFarEnd) {
    const HundredThousand h;
    const std::size_t start = h.kSizeA;
    {
        h.make(dir.file("grow-first"));
        const Bytes before = readFileBytes(dir.file("grow-first"));
        Opened c(dir.file("grow-first"));
        CFileDescriptor::failNthWriteFromNow(1);
        EXPECT_EQ(c.file.setForkSize(kA, h.kSizeA + 10), kErrFileSystem);
        const Bytes after = readFileBytes(dir.file("grow-first"));
        ASSERT_EQ(after.size(), before.size() + 10);
        EXPECT_EQ(slice(after, 0, before.size()), before);
    }
    {
        h.make(dir.file("grow"));
        const Bytes before = readFileBytes(dir.file("grow"));
        const std::size_t delta = 1000;
        Opened c(dir.file("grow"));
        CFileDescriptor::failNthWriteFromNow(2);
        EXPECT_EQ(c.file.setForkSize(kA, h.kSizeA + static_cast<int32_t>(delta)), kErrFileSystem);
        const Bytes after = readFileBytes(dir.file("grow"));
        ASSERT_EQ(after.size(), before.size() + delta);
        EXPECT_EQ(slice(after, start + delta + 34464, 65536), slice(before, start + 34464, 65536));
        EXPECT_EQ(slice(after, 0, start + 34464), slice(before, 0, start + 34464));
        EXPECT_NE(slice(after, start + delta, 34464), slice(before, start, 34464));
        EXPECT_EQ(reports().back(), "CRFile::setForkSize (file system error)");
    }
    {
        h.make(dir.file("shrink"));
        const Bytes before = readFileBytes(dir.file("shrink"));
        const std::size_t removed = 11;
        const std::size_t from = start - removed;
        Opened c(dir.file("shrink"));
        CFileDescriptor::failNthWriteFromNow(2);
        EXPECT_EQ(c.file.setForkSize(kA, static_cast<int32_t>(from)), kErrFileSystem);
        const Bytes after = readFileBytes(dir.file("shrink"));
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(slice(after, from, 65536), slice(before, from + removed, 65536));
        const std::size_t rest = before.size() - from - 65536;
        EXPECT_EQ(slice(after, from + 65536, rest), slice(before, from + 65536, rest));
    }
}

TEST_F(CRFileTest, ShrinkingAForkToZeroKeepsItsEntryAndResetsItsCursor) {
    auto c = open({{kA, pattern(10, 1)}, {kB, pattern(30, 2)}});
    CRFile& file = c->file;
    ASSERT_EQ(file.setForkPosition(kA, 5), kNoErr);
    ASSERT_EQ(file.setForkSize(kA, 7), kNoErr);
    EXPECT_EQ(forkPosition(file, kA), 5); // still valid
    ASSERT_EQ(file.setForkPosition(kA, -7), kNoErr);
    ASSERT_EQ(file.setForkSize(kA, 0), kNoErr);
    EXPECT_EQ(forkPosition(file, kA), 0);
    bool exists = false;
    ASSERT_EQ(file.forkExists(kA, exists), kNoErr);
    EXPECT_TRUE(exists);
    EXPECT_EQ(file.forkCount(), 3);
    EXPECT_EQ(forkSize(file, kA), 0);
    EXPECT_EQ(readWholeFork(file, kB), pattern(30, 2));
    ASSERT_EQ(file.setForkSize(kA, 0), kNoErr); // same size: nothing to do
    EXPECT_EQ(readFileBytes(dir.file("c")).size(), 30u + 8 + 36 + 4);
}

TEST_F(CRFileTest, GrowthPastTwoGigabytesIsRefused) {
    auto c = open({{kA, pattern(10, 1)}});
    const Bytes before = readFileBytes(dir.file("c"));
    CRFile& file = c->file;
    EXPECT_EQ(file.setForkSize(kA, INT32_MAX), kErrInvalidParameter);
    EXPECT_EQ(file.setForkSize(kA, INT32_MAX - 35), kErrInvalidParameter); // one byte too many
    EXPECT_EQ(file.setForkSize(kA, -1), kErrInvalidParameter);
    EXPECT_EQ(file.physicallyInsertSegment(0, INT32_MAX), kErrInvalidParameter);
    EXPECT_EQ(file.physicallyRemoveSegment(0, 1000), kErrInvalidParameter);
    EXPECT_EQ(file.physicallyInsertSegment(-1, 1), kErrInvalidParameter);
    EXPECT_EQ(readFileBytes(dir.file("c")), before);
    EXPECT_EQ(reports().front(), "CRFile::setForkSize (invalid parameter)");
}

TEST_F(CRFileTest, NewForksGoAtTheEndOfTheData) {
    auto c = open({{kForkTablet, pattern(40, 1)},
                   {kForkStrings, pattern(9, 2)},
                   {kForkVersion, pattern(20, 3)}});
    CRFile& file = c->file;
    ASSERT_EQ(file.forkCount(), 4);
    EXPECT_EQ(file.entry(0).forkType, kForkData);
    EXPECT_EQ(file.entry(1).forkType, kForkTablet);
    EXPECT_EQ(file.entry(2).forkType, kForkStrings);
    EXPECT_EQ(file.entry(3).forkType, kForkVersion);
    EXPECT_EQ(file.entry(3).offset, 49);
    EXPECT_EQ(file.ftocOffset(), 69);
    EXPECT_EQ(readWholeFork(file, kForkStrings), pattern(9, 2));
}

TEST_F(CRFileTest, OpenDescriptorsStayOpenAndAFileOpenElsewhereCannotBeOpened) {
    const std::string path = dir.file("open");
    makeContainer(path, {});
    CFileDescriptor fd(path);
    ASSERT_EQ(fd.open(), kNoErr);
    {
        RErr err = -1;
        CRFile file(fd, err);
        ASSERT_EQ(err, kNoErr);
    }
    EXPECT_TRUE(fd.isOpenNow());
    RErr err = -1;
    CRFile holder(fd, err);
    ASSERT_EQ(err, kNoErr);
    Opened other(path);
    EXPECT_EQ(other.err, kErrFileSystem);
    EXPECT_FALSE(other.fd.isOpenNow());
    EXPECT_EQ(reports(), (std::vector<std::string>{"CFileDescriptor::open (file system error)",
                                                   "CRFile::CRFile (file system error)"}));
}

TEST_F(CRFileTest, TablesAreCountedUnderTags52And53WhileHeld) {
    CRMemory& memory = CRMemory::shared();
    const int64_t header = memory.live(kTagContainerHeader);
    const int64_t table = memory.live(kTagContainerEntries);
    const int64_t objects = memory.live(kKindCRFile);
    {
        auto c = open({});
        EXPECT_EQ(memory.live(kTagContainerHeader), header + 1);
        EXPECT_EQ(memory.live(kTagContainerEntries), table + 1);
        EXPECT_EQ(memory.live(kKindCRFile), objects + 1);
        ASSERT_EQ(c->file.createFork(kA), kNoErr);
        ASSERT_EQ(c->file.setForkSize(kA, 10), kNoErr);
    }
    EXPECT_EQ(memory.live(kTagContainerHeader), header);
    EXPECT_EQ(memory.live(kTagContainerEntries), table);
    EXPECT_EQ(memory.live(kKindCRFile), objects);
    EXPECT_EQ(memory.live(kTagSegmentMoveUp), 0);
    EXPECT_GE(memory.allocations(kTagSegmentMoveUp), 1);
}

TEST_F(CRFileTest, ByteAtATimeReadingOfALargeFork) {
    const Bytes text = pattern(300000, 4);
    auto c = open({{kForkTablet, pattern(100, 5)}, {kForkStrings, text}});
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
    const unsigned char mark[] = {0xDE, 0xAD};
    int32_t length = 2;
    ASSERT_EQ(file.writeFork(kForkStrings, length, mark), kNoErr);
    ASSERT_EQ(file.setForkPosition(kForkStrings, 999), kNoErr);
    unsigned char three[3];
    length = 3;
    ASSERT_EQ(file.readFork(kForkStrings, length, three), kNoErr);
    EXPECT_EQ(Bytes(three, three + 3), (Bytes{text[999], 0xDE, 0xAD}));
}

// ---- Damaged and hostile files ------------------------------------------------------------

namespace {

// A well-formed container: 'DATA' (empty), 'AAAA' (6 bytes), 'BBBB' (4 bytes), table.
Bytes goodImage() {
    Bytes bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (int32_t v : {1, 2, static_cast<int32_t>(kForkData), 0, 0, static_cast<int32_t>(kA), 0, 0,
                      static_cast<int32_t>(kB), 6, 0, 10})
        appendBE32(bytes, v);
    return bytes; // 10 + 8 + 36 + 4 = 58 bytes
}

struct DamagedFile {
    std::string name;
    Bytes bytes;
    RErr expected;
};

std::vector<DamagedFile> damagedFiles() {
    std::vector<DamagedFile> cases;
    for (std::size_t n = 0; n < 12; ++n)
        cases.push_back({"length " + std::to_string(n), Bytes(n, 0), kErrInvalidFormat});
    const Bytes good = goodImage();
    const std::size_t last = good.size() - 4;
    const std::size_t top = 10 + 4;
    const auto with = [&](std::size_t at, int32_t value) {
        Bytes b = good;
        putBE32(b, at, value);
        return b;
    };
    const auto cut = [&](std::size_t size) { return slice(good, 0, size); };
    Bytes gap = good;
    gap.insert(gap.end() - 4, {0, 0, 0, 0});
    Bytes cut37 = cut(37); // the last word is now 00 00 00 (the end of an offset) and 00
    cut37.back() = 0x40;
    const std::string text = "This is a text file, not a forked container at all.\n";
    const std::vector<DamagedFile> more = {
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
        {"first offset negative", with(10 + 8 + 4, -1), kErrInvalidFormat},
        {"first offset after the second", with(10 + 8 + 4, 7), kErrInvalidFormat},
        {"offsets out of order", with(10 + 8 + 16, 11), kErrInvalidFormat},
        {"offset past FTOCOffset", with(10 + 8 + 28, 11), kErrInvalidFormat},
        {"offset INT32_MAX", with(10 + 8 + 28, INT32_MAX), kErrInvalidFormat},
        {"bytes between the table and its offset", gap, kErrInvalidFormat},
        // Cut by 4, the last word is an entry's cursor; cut to 40, a cursor of 0.
        {"truncated by 4", cut(good.size() - 4), kErrBadContainerVersion},
        {"truncated to 40", cut(40), kErrBadContainerVersion},
        {"truncated to 37", cut37, kErrInvalidFormat},
        {"all 0xFF", Bytes(64, 0xFF), kErrInvalidFormat},
        {"all zeros", Bytes(64, 0), kErrBadContainerVersion},
        {"text", Bytes(text.begin(), text.end()), kErrInvalidFormat}};
    cases.insert(cases.end(), more.begin(), more.end());
    return cases;
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
    for (const DamagedFile& c : damagedFiles()) {
        SCOPED_TRACE(c.name);
        platform.recorder.clear();
        const std::string path = dir.file("damaged");
        writeFileBytes(path, c.bytes);
        {
            Opened damaged(path);
            EXPECT_EQ(damaged.err, c.expected);
            EXPECT_FALSE(damaged.fd.isOpenNow()); // closed again at once
            EXPECT_EQ(damaged.file.forkCount(), 0);
            bool exists = true;
            EXPECT_EQ(damaged.file.forkExists(kForkData, exists), kNoErr);
            EXPECT_FALSE(exists);
            // A failed container refuses structural changes instead of writing.
            EXPECT_EQ(damaged.file.createFork(kA), kErrNotInitialized);
            EXPECT_EQ(damaged.file.setForkSize(kA, 4), kErrNotInitialized);
        }
        const auto r = reports();
        ASSERT_FALSE(r.empty());
        EXPECT_EQ(r.front(), bugReportText("CRFile::CRFile", c.expected));
        EXPECT_EQ(readFileBytes(path), c.bytes); // never written
    }
}

// Every single-byte change and every truncation of a good file either opens as a consistent
// container or fails with a code; nothing reads outside a fork or crashes.
TEST_F(CRFileTest, EveryMutationOfAGoodFileIsHandled) {
    const Bytes good = goodImage();
    const std::string path = dir.file("mutant");
    std::vector<Bytes> mutants;
    for (std::size_t n = 0; n < good.size(); ++n)
        mutants.push_back(slice(good, 0, n));
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (int v : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            Bytes b = good;
            b[i] = static_cast<unsigned char>(v);
            mutants.push_back(b);
        }
    }
    for (const Bytes& m : mutants) {
        platform.recorder.clear();
        writeFileBytes(path, m);
        Opened c(path);
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
            const int32_t size = forkSize(c.file, type);
            Bytes buffer(static_cast<std::size_t>(size) + 8, 0xEE);
            int32_t length = size + 8;
            ASSERT_EQ(c.file.setForkPosition(type, 0), kNoErr);
            const RErr readErr = c.file.readFork(type, length, buffer.data());
            EXPECT_TRUE(readErr == kNoErr || readErr == kErrOutsideFork);
            EXPECT_LE(length, size);
        }
        EXPECT_LE(total, c.file.ftocOffset());
    }
}
