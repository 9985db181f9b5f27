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

Bytes readWholeFork(CRFile& file, RForkType type) {
    int32_t size = -1;
    EXPECT_EQ(file.getForkSize(type, size), kNoErr);
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

// A container at path holding 'DATA' (empty) and the given forks, in this order.
void makeContainer(const std::string& path, const std::vector<std::pair<RForkType, Bytes>>& forks) {
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    RErr err = kNoErr;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    for (const auto& [type, bytes] : forks) {
        ASSERT_EQ(file.createFork(type), kNoErr);
        writeWholeFork(file, type, bytes);
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
    TempDir dir;
    RecordingPlatformScope platform;
};

} // namespace

TEST_F(CRFileTest, ANewContainerIsExactly24Bytes) {
    const std::string path = dir.file("new.rgr");
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    EXPECT_FALSE(fd.isOpenNow());
    const Bytes expected = {0, 0, 0, 1, 0, 0, 0, 0, 0x44, 0x41, 0x54, 0x41,
                            0, 0, 0, 0, 0, 0, 0, 0, 0,    0,    0,    0};
    EXPECT_EQ(readFileBytes(path), expected);

    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    EXPECT_TRUE(fd.isOpenNow());
    EXPECT_EQ(file.forkCount(), 1);
    EXPECT_EQ(file.ftocOffset(), 0);
    EXPECT_EQ(file.entry(0).forkType, kForkData);
    int32_t size = -1;
    ASSERT_EQ(file.getForkSize(kForkData, size), kNoErr);
    EXPECT_EQ(size, 0);
    EXPECT_TRUE(reports().empty());
}

TEST_F(CRFileTest, CreateCFileOnAnExistingFileFails) {
    const std::string path = dir.file("exists");
    writeFileBytes(path, {1, 2, 3});
    CFileDescriptor fd(path);
    EXPECT_EQ(CRFile::createCFile(fd), kErrFileSystem);
    const auto r = reports();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[2], "CRFile::createCFile (file system error)");
    EXPECT_EQ(readFileBytes(path), (Bytes{1, 2, 3}));
}

TEST_F(CRFileTest, TablOfEightBytesMakesA44ByteFile) {
    const std::string path = dir.file("tabl");
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    {
        RErr err = -1;
        CRFile file(fd, err);
        ASSERT_EQ(err, kNoErr);
        ASSERT_EQ(file.createFork(kForkTablet), kNoErr);
        EXPECT_EQ(readFileBytes(path).size(), 36u); // one entry of 12 bytes more
        ASSERT_EQ(file.setForkSize(kForkTablet, 8), kNoErr);
        int32_t size = -1;
        ASSERT_EQ(file.getForkSize(kForkData, size), kNoErr);
        EXPECT_EQ(size, 0);
        ASSERT_EQ(file.getForkSize(kForkTablet, size), kNoErr);
        EXPECT_EQ(size, 8);
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

    RErr err = -1;
    CRFile again(fd, err);
    ASSERT_EQ(err, kNoErr);
    int32_t size = -1;
    ASSERT_EQ(again.getForkSize(kForkData, size), kNoErr);
    EXPECT_EQ(size, 0);
    ASSERT_EQ(again.getForkSize(kForkTablet, size), kNoErr);
    EXPECT_EQ(size, 8);
}

TEST_F(CRFileTest, ForkLookupAndCreationCodes) {
    const std::string path = dir.file("codes");
    makeContainer(path, {{kA, pattern(6, 1)}});
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
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

TEST_F(CRFileTest, ReadingTenBytesFromASixByteForkGivesSixAndMinus104) {
    const std::string path = dir.file("six");
    const Bytes six = {10, 11, 12, 13, 14, 15};
    makeContainer(path, {{kA, six}, {kB, pattern(20, 2)}});
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    unsigned char buffer[10] = {};
    int32_t length = 10;
    EXPECT_EQ(file.readFork(kA, length, buffer), kErrOutsideFork);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(Bytes(buffer, buffer + 6), six);
    EXPECT_EQ(buffer[6], 0); // nothing from the next fork
    int32_t position = -1;
    ASSERT_EQ(file.getForkPosition(kA, position), kNoErr);
    EXPECT_EQ(position, 6);
    length = 1;
    EXPECT_EQ(file.readFork(kA, length, buffer), kErrOutsideFork);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(reports().front(), "CRFile::readFork (-104)");
}

TEST_F(CRFileTest, WritingNeverLengthensAFork) {
    const std::string path = dir.file("w");
    makeContainer(path, {{kA, Bytes(6, 0)}, {kB, pattern(20, 2)}});
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    const Bytes ten = pattern(10, 9);
    ASSERT_EQ(file.setForkPosition(kA, 2), kNoErr);
    int32_t length = 10;
    EXPECT_EQ(file.writeFork(kA, length, ten.data()), kErrOutsideFork);
    EXPECT_EQ(length, 4);
    int32_t size = 0;
    ASSERT_EQ(file.getForkSize(kA, size), kNoErr);
    EXPECT_EQ(size, 6);
    EXPECT_EQ(readWholeFork(file, kA), (Bytes{0, 0, ten[0], ten[1], ten[2], ten[3]}));
    EXPECT_EQ(readWholeFork(file, kB), pattern(20, 2));
}

TEST_F(CRFileTest, NegativeCursorsCountFromTheEnd) {
    const std::string path = dir.file("neg");
    makeContainer(path, {{kA, {1, 2, 3, 4, 5, 6}}});
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    ASSERT_EQ(file.setForkPosition(kA, -2), kNoErr);
    int32_t position = 0;
    ASSERT_EQ(file.getForkPosition(kA, position), kNoErr);
    EXPECT_EQ(position, -2);
    unsigned char two[2] = {};
    int32_t length = 2;
    ASSERT_EQ(file.readFork(kA, length, two), kNoErr);
    EXPECT_EQ(two[0], 5);
    EXPECT_EQ(two[1], 6);
    ASSERT_EQ(file.getForkPosition(kA, position), kNoErr);
    EXPECT_EQ(position, 6); // the end of the fork, not its start

    ASSERT_EQ(file.setForkPosition(kA, -6), kNoErr);
    length = 1;
    ASSERT_EQ(file.readFork(kA, length, two), kNoErr);
    EXPECT_EQ(two[0], 1);

    const unsigned char nine = 9;
    ASSERT_EQ(file.setForkPosition(kA, -1), kNoErr);
    length = 1;
    ASSERT_EQ(file.writeFork(kA, length, &nine), kNoErr);
    EXPECT_EQ(readWholeFork(file, kA), (Bytes{1, 2, 3, 4, 5, 9}));
}

TEST_F(CRFileTest, SetForkPositionOutsideTheForkGivesMinus104) {
    const std::string path = dir.file("pos");
    makeContainer(path, {{kA, Bytes(6, 1)}});
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
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
    int32_t position = 0;
    ASSERT_EQ(file.getForkPosition(kA, position), kNoErr);
    EXPECT_EQ(position, 3); // unchanged
    EXPECT_EQ(reports().size(), 4u);
    EXPECT_EQ(reports()[0], "CRFile::setForkPosition (-104)");
}

TEST_F(CRFileTest, SeriesOfInt32sAreBigEndianInTheFork) {
    const std::string path = dir.file("ints");
    makeContainer(path, {{kForkTablet, Bytes(12, 0)}});
    const int32_t values[] = {51, -2, 0x01020304};
    {
        CFileDescriptor fd(path);
        RErr err = -1;
        CRFile file(fd, err);
        ASSERT_EQ(err, kNoErr);
        ASSERT_EQ(file.writeASeriesOfInt32s(kForkTablet, values, 2), kNoErr);
        int32_t position = 0;
        ASSERT_EQ(file.getForkPosition(kForkTablet, position), kNoErr);
        EXPECT_EQ(position, 12);
        EXPECT_EQ(readWholeFork(file, kForkTablet),
                  (Bytes{0, 0, 0, 0x33, 0xFF, 0xFF, 0xFF, 0xFE, 1, 2, 3, 4}));
    }
    const Bytes bytes = readFileBytes(path);
    EXPECT_EQ(slice(bytes, 0, 4), (Bytes{0, 0, 0, 0x33}));

    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    int32_t back[3] = {};
    ASSERT_EQ(file.readASeriesOfInt32s(kForkTablet, back, 2), kNoErr);
    EXPECT_EQ(std::memcmp(back, values, sizeof values), 0);
    // A series cut at the fork's end: the whole integers that fit, then -104.
    ASSERT_EQ(file.setForkPosition(kForkTablet, 4), kNoErr);
    int32_t more[4] = {7, 7, 7, 7};
    EXPECT_EQ(file.readASeriesOfInt32s(kForkTablet, more, 3), kErrOutsideFork);
    EXPECT_EQ(more[0], -2);
    EXPECT_EQ(more[1], 0x01020304);
    EXPECT_EQ(file.readASeriesOfInt32s(kForkTablet, more, -2), kErrInvalidParameter);
}

TEST_F(CRFileTest, StoredCursorsAreIgnoredWhenReading) {
    const std::string path = dir.file("cursor");
    makeContainer(path, {{kA, Bytes(6, 1)}});
    {
        CFileDescriptor fd(path);
        RErr err = -1;
        CRFile file(fd, err);
        ASSERT_EQ(err, kNoErr);
        ASSERT_EQ(file.setForkPosition(kA, 4), kNoErr);
        ASSERT_EQ(file.flushFTOC(), kNoErr);
    }
    const Bytes bytes = readFileBytes(path);
    EXPECT_EQ(be32At(bytes, bytes.size() - 8), 4); // written as it was
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    EXPECT_EQ(file.entry(1).position, 0);
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

TEST_F(CRFileTest, GrowingAForkMovesTheLaterForksIntact) {
    const std::string path = dir.file("grow");
    HundredThousand h;
    h.make(path);
    const Bytes before = readFileBytes(path);
    ASSERT_EQ(before.size(), static_cast<std::size_t>(h.kSizeA + 100000));
    {
        CFileDescriptor fd(path);
        RErr err = -1;
        CRFile file(fd, err);
        ASSERT_EQ(err, kNoErr);
        ASSERT_EQ(file.setForkSize(kA, h.kSizeA + 1000), kNoErr);
        EXPECT_EQ(file.entry(2).offset, h.kSizeA + 1000);
        EXPECT_EQ(file.entry(3).offset, h.kSizeA + 1000 + h.kSizeB);
        EXPECT_EQ(file.ftocOffset(), h.kSizeA + 1000 + h.kSizeB + h.kSizeC);
        EXPECT_EQ(slice(readWholeFork(file, kA), 0, h.kSizeA), h.a);
        EXPECT_EQ(readWholeFork(file, kB), h.b);
        EXPECT_EQ(readWholeFork(file, kC), h.c);
    }
    const Bytes after = readFileBytes(path);
    ASSERT_EQ(after.size(), before.size() + 1000);
    EXPECT_EQ(slice(after, h.kSizeA + 1000, h.kSizeB), h.b);
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    EXPECT_EQ(readWholeFork(file, kB), h.b);
    EXPECT_EQ(readWholeFork(file, kC), h.c);
    EXPECT_TRUE(reports().empty());
}

TEST_F(CRFileTest, GrowingMovesTheUpper65536BytesFirstThenTheLower34464) {
    const std::string path = dir.file("grow-chunks");
    HundredThousand h;
    h.make(path);
    const Bytes before = readFileBytes(path);
    const std::size_t start = h.kSizeA; // the end of 'AAAA': everything from here moves
    const std::size_t delta = 1000;

    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    // Let the first chunk's write through and stop the second: what has moved is exactly
    // the upper 65,536 bytes, and the lower 34,464 are still where they were.
    CFileDescriptor::failNthWriteFromNow(2);
    EXPECT_EQ(file.setForkSize(kA, h.kSizeA + static_cast<int32_t>(delta)), kErrFileSystem);
    const Bytes after = readFileBytes(path);
    ASSERT_EQ(after.size(), before.size() + delta); // lengthened before moving
    EXPECT_EQ(slice(after, start + delta + 34464, 65536), slice(before, start + 34464, 65536));
    EXPECT_EQ(slice(after, 0, start + 34464), slice(before, 0, start + 34464)); // not moved
    EXPECT_NE(slice(after, start + delta, 34464), slice(before, start, 34464));
    EXPECT_EQ(reports().back(), "CRFile::setForkSize (file system error)");
}

TEST_F(CRFileTest, GrowingLengthensTheFileBeforeMovingAnything) {
    const std::string path = dir.file("grow-first");
    HundredThousand h;
    h.make(path);
    const Bytes before = readFileBytes(path);
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    CFileDescriptor::failNthWriteFromNow(1);
    EXPECT_EQ(file.setForkSize(kA, h.kSizeA + 10), kErrFileSystem);
    const Bytes after = readFileBytes(path);
    ASSERT_EQ(after.size(), before.size() + 10);
    EXPECT_EQ(slice(after, 0, before.size()), before);
}

TEST_F(CRFileTest, ShrinkingAForkMovesTheLaterForksDownIntact) {
    const std::string path = dir.file("shrink");
    HundredThousand h;
    h.make(path);
    const Bytes before = readFileBytes(path);
    {
        CFileDescriptor fd(path);
        RErr err = -1;
        CRFile file(fd, err);
        ASSERT_EQ(err, kNoErr);
        ASSERT_EQ(file.setForkSize(kA, 5), kNoErr);
        EXPECT_EQ(file.entry(2).offset, 5);
        EXPECT_EQ(readWholeFork(file, kA), slice(h.a, 0, 5));
        EXPECT_EQ(readWholeFork(file, kB), h.b);
        EXPECT_EQ(readWholeFork(file, kC), h.c);
    }
    EXPECT_EQ(readFileBytes(path).size(), before.size() - 11);
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    EXPECT_EQ(readWholeFork(file, kB), h.b);
    EXPECT_EQ(readWholeFork(file, kC), h.c);
}

TEST_F(CRFileTest, ShrinkingMovesTheLowest65536BytesFirst) {
    const std::string path = dir.file("shrink-chunks");
    HundredThousand h;
    h.make(path);
    const Bytes before = readFileBytes(path);
    const std::size_t removed = 11;
    const std::size_t start = h.kSizeA - removed;
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    CFileDescriptor::failNthWriteFromNow(2);
    EXPECT_EQ(file.setForkSize(kA, static_cast<int32_t>(h.kSizeA - removed)), kErrFileSystem);
    const Bytes after = readFileBytes(path);
    ASSERT_EQ(after.size(), before.size()); // shortened only after moving
    EXPECT_EQ(slice(after, start, 65536), slice(before, start + removed, 65536));
    EXPECT_EQ(slice(after, start + 65536, before.size() - start - 65536),
              slice(before, start + 65536, before.size() - start - 65536));
}

TEST_F(CRFileTest, ShrinkingAForkToZeroKeepsItsEntryAndResetsItsCursor) {
    const std::string path = dir.file("zero");
    makeContainer(path, {{kA, pattern(10, 1)}, {kB, pattern(30, 2)}});
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    ASSERT_EQ(file.setForkPosition(kA, 5), kNoErr);
    ASSERT_EQ(file.setForkSize(kA, 7), kNoErr);
    int32_t position = -1;
    ASSERT_EQ(file.getForkPosition(kA, position), kNoErr);
    EXPECT_EQ(position, 5); // still valid
    ASSERT_EQ(file.setForkPosition(kA, -7), kNoErr);
    ASSERT_EQ(file.setForkSize(kA, 0), kNoErr);
    ASSERT_EQ(file.getForkPosition(kA, position), kNoErr);
    EXPECT_EQ(position, 0);
    bool exists = false;
    ASSERT_EQ(file.forkExists(kA, exists), kNoErr);
    EXPECT_TRUE(exists);
    EXPECT_EQ(file.forkCount(), 3);
    int32_t size = -1;
    ASSERT_EQ(file.getForkSize(kA, size), kNoErr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(readWholeFork(file, kB), pattern(30, 2));
    ASSERT_EQ(file.setForkSize(kA, 0), kNoErr); // same size: nothing to do
    EXPECT_EQ(readFileBytes(path).size(), 30u + 8 + 36 + 4);
}

TEST_F(CRFileTest, GrowthPastTwoGigabytesIsRefused) {
    const std::string path = dir.file("huge");
    makeContainer(path, {{kA, pattern(10, 1)}});
    const Bytes before = readFileBytes(path);
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    EXPECT_EQ(file.setForkSize(kA, INT32_MAX), kErrInvalidParameter);
    EXPECT_EQ(file.setForkSize(kA, INT32_MAX - 35), kErrInvalidParameter); // one byte too many
    EXPECT_EQ(file.setForkSize(kA, -1), kErrInvalidParameter);
    EXPECT_EQ(file.physicallyInsertSegment(0, INT32_MAX), kErrInvalidParameter);
    EXPECT_EQ(file.physicallyRemoveSegment(0, 1000), kErrInvalidParameter);
    EXPECT_EQ(file.physicallyInsertSegment(-1, 1), kErrInvalidParameter);
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(reports().front(), "CRFile::setForkSize (invalid parameter)");
}

TEST_F(CRFileTest, NewForksGoAtTheEndOfTheData) {
    const std::string path = dir.file("order");
    makeContainer(path, {{kForkTablet, pattern(40, 1)},
                         {kForkStrings, pattern(9, 2)},
                         {kForkVersion, pattern(20, 3)}});
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    ASSERT_EQ(file.forkCount(), 4);
    EXPECT_EQ(file.entry(0).forkType, kForkData);
    EXPECT_EQ(file.entry(1).forkType, kForkTablet);
    EXPECT_EQ(file.entry(2).forkType, kForkStrings);
    EXPECT_EQ(file.entry(3).forkType, kForkVersion);
    EXPECT_EQ(file.entry(3).offset, 49);
    EXPECT_EQ(file.ftocOffset(), 69);
    EXPECT_EQ(readWholeFork(file, kForkStrings), pattern(9, 2));
}

TEST_F(CRFileTest, AnAlreadyOpenDescriptorStaysOpen) {
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
    EXPECT_EQ(fd.close(), kNoErr);
}

TEST_F(CRFileTest, AFileThatIsOpenElsewhereCannotBeOpened) {
    const std::string path = dir.file("busy");
    makeContainer(path, {});
    CFileDescriptor first(path);
    RErr err = -1;
    CRFile holder(first, err);
    ASSERT_EQ(err, kNoErr);
    CFileDescriptor second(path);
    CRFile other(second, err);
    EXPECT_EQ(err, kErrFileSystem);
    EXPECT_FALSE(second.isOpenNow());
    EXPECT_EQ(reports(), (std::vector<std::string>{"CFileDescriptor::open (file system error)",
                                                   "CRFile::CRFile (file system error)"}));
}

TEST_F(CRFileTest, TablesAreCountedUnderTags52And53WhileHeld) {
    const std::string path = dir.file("mem");
    makeContainer(path, {});
    CRMemory& memory = CRMemory::shared();
    const int64_t header = memory.live(kTagContainerHeader);
    const int64_t table = memory.live(kTagContainerEntries);
    const int64_t objects = memory.live(kKindCRFile);
    {
        CFileDescriptor fd(path);
        RErr err = -1;
        CRFile file(fd, err);
        ASSERT_EQ(err, kNoErr);
        EXPECT_EQ(memory.live(kTagContainerHeader), header + 1);
        EXPECT_EQ(memory.live(kTagContainerEntries), table + 1);
        EXPECT_EQ(memory.live(kKindCRFile), objects + 1);
        ASSERT_EQ(file.createFork(kA), kNoErr);
        ASSERT_EQ(file.setForkSize(kA, 10), kNoErr);
    }
    EXPECT_EQ(memory.live(kTagContainerHeader), header);
    EXPECT_EQ(memory.live(kTagContainerEntries), table);
    EXPECT_EQ(memory.live(kKindCRFile), objects);
    EXPECT_EQ(memory.live(kTagSegmentMoveUp), 0);
    EXPECT_GE(memory.allocations(kTagSegmentMoveUp), 1);
}

TEST_F(CRFileTest, ByteAtATimeReadingOfALargeFork) {
    const std::string path = dir.file("strings");
    const Bytes text = pattern(300000, 4);
    makeContainer(path, {{kForkTablet, pattern(100, 5)}, {kForkStrings, text}});
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
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
    EXPECT_EQ(three[0], text[999]);
    EXPECT_EQ(three[1], 0xDE);
    EXPECT_EQ(three[2], 0xAD);
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
    cases.push_back({"FTOCOffset -1", with(last, -1), kErrInvalidFormat});
    cases.push_back({"FTOCOffset INT32_MIN", with(last, INT32_MIN), kErrInvalidFormat});
    cases.push_back({"FTOCOffset INT32_MAX", with(last, INT32_MAX), kErrInvalidFormat});
    cases.push_back({"FTOCOffset past the end", with(last, 1000), kErrInvalidFormat});
    cases.push_back({"FTOCOffset at length - 11",
                     with(last, static_cast<int32_t>(good.size() - 11)), kErrInvalidFormat});
    cases.push_back({"FTOCOffset one early", with(last, 9), kErrBadContainerVersion});
    cases.push_back({"containerVersion 2", with(10, 2), kErrBadContainerVersion});
    cases.push_back({"containerVersion 0", with(10, 0), kErrBadContainerVersion});
    cases.push_back({"topForkIndex -1", with(top, -1), kErrInvalidFormat});
    cases.push_back({"topForkIndex INT32_MIN", with(top, INT32_MIN), kErrInvalidFormat});
    cases.push_back({"topForkIndex INT32_MAX", with(top, INT32_MAX), kErrInvalidFormat});
    cases.push_back({"topForkIndex 0x15555555", with(top, 0x15555555), kErrInvalidFormat});
    cases.push_back({"topForkIndex one too many", with(top, 3), kErrInvalidFormat});
    cases.push_back({"topForkIndex one too few", with(top, 1), kErrInvalidFormat});
    cases.push_back({"first offset negative", with(10 + 8 + 4, -1), kErrInvalidFormat});
    cases.push_back({"first offset after the second", with(10 + 8 + 4, 7), kErrInvalidFormat});
    cases.push_back({"offsets out of order", with(10 + 8 + 16, 11), kErrInvalidFormat});
    cases.push_back({"offset past FTOCOffset", with(10 + 8 + 28, 11), kErrInvalidFormat});
    cases.push_back({"offset INT32_MAX", with(10 + 8 + 28, INT32_MAX), kErrInvalidFormat});
    {
        Bytes b = good;
        b.insert(b.end() - 4, {0, 0, 0, 0});
        cases.push_back({"bytes between the table and its offset", b, kErrInvalidFormat});
    }
    {
        Bytes b = good;
        b.resize(b.size() - 4); // the table is cut: the last word is now an entry's cursor
        cases.push_back({"truncated by 4", b, kErrBadContainerVersion});
    }
    {
        Bytes b = good;
        b.resize(40); // the last word is now a cursor of 0: the "header" is fork data
        cases.push_back({"truncated to 40", b, kErrBadContainerVersion});
    }
    {
        Bytes b = good;
        b.resize(37); // the last word is now 00 00 00 (the end of an offset) and 00
        b.back() = 0x40;
        cases.push_back({"truncated to 37", b, kErrInvalidFormat});
    }
    cases.push_back({"all 0xFF", Bytes(64, 0xFF), kErrInvalidFormat});
    cases.push_back({"all zeros", Bytes(64, 0), kErrBadContainerVersion});
    {
        const std::string text = "This is a text file, not a forked container at all.\n";
        cases.push_back({"text", Bytes(text.begin(), text.end()), kErrInvalidFormat});
    }
    return cases;
}

} // namespace

TEST_F(CRFileTest, DamagedFilesFailCleanlyWithACode) {
    for (const DamagedFile& c : damagedFiles()) {
        SCOPED_TRACE(c.name);
        platform.recorder.clear();
        const std::string path = dir.file("damaged");
        writeFileBytes(path, c.bytes);
        CFileDescriptor fd(path);
        RErr err = kNoErr;
        {
            CRFile file(fd, err);
            EXPECT_EQ(err, c.expected);
            EXPECT_FALSE(fd.isOpenNow()); // closed again at once
            EXPECT_EQ(file.forkCount(), 0);
            bool exists = true;
            EXPECT_EQ(file.forkExists(kForkData, exists), kNoErr);
            EXPECT_FALSE(exists);
            // A failed container refuses structural changes instead of writing.
            EXPECT_EQ(file.createFork(kA), kErrNotInitialized);
            EXPECT_EQ(file.setForkSize(kA, 4), kErrNotInitialized);
        }
        const auto r = reports();
        ASSERT_FALSE(r.empty());
        EXPECT_EQ(r.front(), bugReportText("CRFile::CRFile", c.expected));
        EXPECT_EQ(readFileBytes(path), c.bytes); // never written
    }
}

TEST_F(CRFileTest, TheGoodImageOpens) {
    const std::string path = dir.file("good");
    writeFileBytes(path, goodImage());
    CFileDescriptor fd(path);
    RErr err = -1;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    EXPECT_EQ(readWholeFork(file, kA), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(readWholeFork(file, kB), (Bytes{7, 8, 9, 10}));
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
        CFileDescriptor fd(path);
        RErr err = -1;
        CRFile file(fd, err);
        if (err) {
            EXPECT_TRUE(err == kErrInvalidFormat || err == kErrBadContainerVersion) << err;
            EXPECT_FALSE(reports().empty());
            continue;
        }
        int32_t total = 0;
        for (int32_t i = 0; i < file.forkCount(); ++i) {
            int32_t end = 0;
            ASSERT_EQ(file.calcEndOfXthFork(i, end), kNoErr);
            ASSERT_GE(end, file.entry(i).offset);
            total += end - file.entry(i).offset;
            const RForkType type = file.entry(i).forkType;
            int32_t size = 0;
            ASSERT_EQ(file.getForkSize(type, size), kNoErr);
            Bytes buffer(static_cast<std::size_t>(size) + 8, 0xEE);
            int32_t length = size + 8;
            ASSERT_EQ(file.setForkPosition(type, 0), kNoErr);
            const RErr readErr = file.readFork(type, length, buffer.data());
            EXPECT_TRUE(readErr == kNoErr || readErr == kErrOutsideFork);
            EXPECT_LE(length, size);
        }
        EXPECT_LE(total, file.ftocOffset());
    }
}
