#include "storage/CRFile.h"

#include "base/ErrorReporter.h"
#include "storage/StorageTestSupport.h"
#include "support/ContainerTestSupport.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace {

constexpr RForkType kA = makeForkType("AAAA");
constexpr RForkType kB = makeForkType("BBBB");
constexpr RForkType kC = makeForkType("CCCC");

using Forks = std::vector<std::pair<RForkType, Bytes>>;

int32_t forkSize(const CRFile& file, RForkType type) {
    int32_t size = -1;
    EXPECT_EQ(file.getForkSize(type, size), kNoErr);
    return size;
}

// "DATA@0+0 AAAA@0+6:2 |6": each fork's type, offset, size and cursor (if not 0), then the
// table's offset.
std::string toc(const CRFile& file) {
    std::string out;
    for (int32_t i = 0; i < file.forkCount(); ++i) {
        const CRFile::FTOCEntry& e = file.entry(i);
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>(e.forkType >> shift & 0xFF);
        int32_t position = INT32_MIN;
        EXPECT_EQ(file.getForkPosition(e.forkType, position), kNoErr);
        out += "@" + std::to_string(e.offset) + "+" + std::to_string(forkSize(file, e.forkType));
        out += (position ? ":" + std::to_string(position) : "") + " ";
    }
    return out + "|" + std::to_string(file.ftocOffset());
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

class CRFileTest : public StorageTest {
protected:
    // A container at dir/name holding 'DATA' (empty) and the given forks, in this order.
    std::string make(const std::string& name, const Forks& forks) {
        const std::string path = newContainer(dir, name);
        for (const auto& [type, bytes] : forks)
            replaceFork(path, type, bytes);
        return path;
    }
    std::unique_ptr<Opened> open(const Forks& forks) {
        auto c = std::make_unique<Opened>(make("c", forks));
        EXPECT_EQ(c->err, kNoErr);
        return c;
    }
};

} // namespace

TEST_F(CRFileTest, ANewContainerIs24BytesAndEachForkAddsAnEntryToTheTableAtTheEnd) {
    const std::string path = dir.file("new.rgr");
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    EXPECT_EQ(hex(readFileBytes(path)), "00000001 00000000 44415441 00000000 00000000 00000000");
    RErr err = -1;
    {
        CRFile file(fd, err);
        ASSERT_TRUE(
            all(kNoErr, {err, file.createFork(kForkTablet), file.setForkSize(kForkTablet, 8)}));
        EXPECT_EQ(toc(file), "DATA@0+0 Tabl@0+8 |8");
    }
    EXPECT_FALSE(fd.isOpenNow()); // the container closed what it opened
    const Bytes bytes = readFileBytes(path);
    EXPECT_EQ(hex(slice(bytes, 8, bytes.size() - 8)),
              "00000001 00000001 44415441 00000000 00000000 5461626C 00000000 00000000 00000008");
    EXPECT_EQ(CRFile::createCFile(fd), kErrFileSystem);
    EXPECT_EQ(reports().back(), "CRFile::createCFile (file system error)");
    EXPECT_EQ(readFileBytes(path), bytes);

    // A descriptor opened before stays open; a file open elsewhere cannot be opened.
    platform.recorder.clear();
    ASSERT_EQ(fd.open(), kNoErr);
    { CRFile file(fd, err); }
    EXPECT_TRUE(fd.isOpenNow());
    CRFile holder(fd, err);
    Opened other(path);
    EXPECT_EQ(join({err, other.err, other.fd.isOpenNow()}), "0 1007 0");
    EXPECT_EQ(log(),
              "CFileDescriptor::open (file system error); CRFile::CRFile (file system error)");
}

TEST_F(CRFileTest, RefusedCallsGiveTheirCodeAndReportsAndChangeNothing) {
    auto c = open({{kA, pattern(6, 1)}, {kForkStrings, pattern(9, 2)}});
    CRFile& file = c->file;
    bool hasA = false, hasB = true;
    ASSERT_TRUE(
        all(kNoErr, {file.forkExists(kA, hasA), file.forkExists(kB, hasB), file.createFork(kC)}));
    EXPECT_EQ(std::make_pair(hasA, hasB), std::make_pair(true, false));
    const Bytes before = readFileBytes(dir.file("c"));

    int32_t n = 0, length = 4, series[2] = {};
    unsigned char buffer[4] = {};
    // 15 + (INT32_MAX - 68 - 6) + a table of 60 bytes is one byte too many.
    EXPECT_EQ(
        join({file.tarniTypeToIndex(kB, n), file.getForkSize(kB, n), file.setForkSize(kB, 4),
              file.readFork(kB, length, buffer), file.createFork(kA), file.calcEndOfXthFork(-1, n),
              file.calcEndOfXthFork(4, n), file.setForkPosition(kA, 7),
              file.setForkPosition(kA, -7), file.setForkSize(kA, -1),
              file.setForkSize(kA, INT32_MAX - 68), file.physicallyInsertSegment(0, INT32_MAX),
              file.physicallyInsertSegment(-1, 1), file.physicallyRemoveSegment(0, 1000),
              file.readASeriesOfInt32s(kA, series, -2)}),
        "-102 -102 -102 -102 -103 1004 1004 -104 -104 1004 1004 1004 1004 1004 1004");
    EXPECT_EQ(length, 0);
    // A missing fork is reported by the lookup, then by each call it fails.
    const Texts r = reports();
    ASSERT_EQ(r.size(), 18u);
    EXPECT_EQ(
        r[5] + "; " + r[6] + "; " + r[7] + "; " + r[10] + "; " + r[12],
        "CRFile::tarniTypeToIndex (-102); CRFile::readFork (-102); CRFile::createFork (-103); "
        "CRFile::setForkPosition (-104); CRFile::setForkSize (invalid parameter)");
    EXPECT_EQ(toc(file), "DATA@0+0 AAAA@0+6 Stri@6+9 CCCC@15+0 |15");
    EXPECT_EQ(readFileBytes(dir.file("c")), before);
}

TEST_F(CRFileTest, TransfersStopAtTheForksEndAndCursorsCountFromEitherEnd) {
    auto c = open({{kA, {10, 11, 12, 13, 14, 15}}, {kB, pattern(20, 2)}});
    CRFile& file = c->file;
    unsigned char buffer[10] = {};
    int32_t length = 10, none = 1;
    EXPECT_EQ(
        join({file.readFork(kA, length, buffer), length, file.readFork(kA, none, buffer), none}),
        "-104 6 -104 0");
    EXPECT_EQ(Bytes(buffer, buffer + 7), (Bytes{10, 11, 12, 13, 14, 15, 0}));
    EXPECT_EQ(toc(file), "DATA@0+0 AAAA@0+6:6 BBBB@6+20 |26");
    EXPECT_EQ(takeLog(), "CRFile::readFork (-104); CRFile::readFork (-104)");

    const Bytes ten = pattern(10, 9);
    length = 10; // a write never lengthens the fork
    EXPECT_EQ(join({file.setForkPosition(kA, 2), file.writeFork(kA, length, ten.data()), length}),
              "0 -104 4");
    EXPECT_EQ(takeLog(), "CRFile::writeFork (-104)");

    ASSERT_EQ(file.setForkPosition(kA, -2), kNoErr);
    int32_t two = 2, one = 1, oneMore = 1;
    ASSERT_TRUE(all(kNoErr, {file.readFork(kA, two, buffer), file.setForkPosition(kA, -6),
                             file.readFork(kA, one, buffer + 2), file.setForkPosition(kA, -1),
                             file.writeFork(kA, oneMore, "\x09")}));
    EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{ten[2], ten[3], 10}));
    EXPECT_EQ(toc(file), "DATA@0+0 AAAA@0+6:6 BBBB@6+20 |26"); // the end, not the start
    EXPECT_EQ(readWholeFork(file, kA), (Bytes{10, 11, ten[0], ten[1], ten[2], 9}));
    // Shrinking keeps a cursor that still fits; a fork of size 0 keeps its entry.
    ASSERT_TRUE(all(kNoErr, {file.setForkPosition(kA, 3), file.setForkSize(kA, 4)}));
    EXPECT_EQ(toc(file), "DATA@0+0 AAAA@0+4:3 BBBB@4+20 |24");
    ASSERT_TRUE(all(
        kNoErr, {file.setForkPosition(kA, -4), file.setForkSize(kA, 0), file.setForkSize(kA, 0)}));
    EXPECT_EQ(toc(file), "DATA@0+0 AAAA@0+0 BBBB@0+20 |20");
    EXPECT_EQ(readWholeFork(file, kB), pattern(20, 2));
    EXPECT_EQ(log(), "");
}

TEST_F(CRFileTest, SeriesOfInt32sAreBigEndianAndStoredCursorsAreIgnoredWhenReading) {
    const int32_t values[] = {51, -2, 0x01020304};
    {
        auto c = open({{kForkTablet, Bytes(12, 0)}});
        ASSERT_EQ(c->file.writeASeriesOfInt32s(kForkTablet, values, 2), kNoErr);
        ASSERT_TRUE(all(kNoErr, {c->file.setForkPosition(kForkTablet, 4), c->file.flushFTOC()}));
    }
    // The cursor 4 is written, but not read back.
    EXPECT_EQ(hex(readFileBytes(dir.file("c"))), "00000033 FFFFFFFE 01020304 00000001 00000001 "
                                                 "44415441 00000000 00000000 5461626C 00000000 "
                                                 "00000004 0000000C");
    Opened c(dir.file("c"));
    EXPECT_EQ(c.file.entry(1).position, 0);
    int32_t back[4] = {7, 7, 7, 7};
    ASSERT_EQ(c.file.readASeriesOfInt32s(kForkTablet, back, 2), kNoErr);
    EXPECT_TRUE(std::equal(values, values + 3, back));
    // A series cut at the fork's end: the whole integers that fit, then -104.
    ASSERT_EQ(c.file.setForkPosition(kForkTablet, 4), kNoErr);
    EXPECT_EQ(c.file.readASeriesOfInt32s(kForkTablet, back, 3), kErrOutsideFork);
    EXPECT_EQ(std::vector<int32_t>(back, back + 3),
              (std::vector<int32_t>{-2, 0x01020304, 0x01020304}));
}

// 'AAAA' (16 bytes) is followed by 100,000 bytes ('BBBB', 'CCCC', the 60-byte table), moved
// in two chunks of at most 65,536: growing lengthens the file, then moves the upper chunk
// first; shrinking moves the lower chunk first and shortens the file last. Then the table is
// written. A failure stops the move where it was, so the file has its new length only once
// moved.
TEST_F(CRFileTest, ResizingMovesTheLaterForksIntactAndAFailedMoveStopsWhereItFailed) {
    const Bytes a = pattern(16, 1), b = pattern(60000, 2), c = pattern(39940, 3);
    const Bytes before = readFileBytes(make("before", {{kA, a}, {kB, b}, {kC, c}}));
    const std::string fs = " (file system error)", write = "CFileDescriptor::write" + fs + "; ";
    const std::pair<int32_t, const char*> sizes[] = {
        {1016, "DATA@0+0 AAAA@0+1016 BBBB@1016+60000 CCCC@61016+39940 |100956"},
        {5, "DATA@0+0 AAAA@0+5 BBBB@5+60000 CCCC@60005+39940 |99945"}};
    for (const auto& [newSize, expectedToc] : sizes) {
        const auto to = static_cast<std::size_t>(newSize);
        const std::string segment = to > 16 ? "physicallyInsertSegment" : "physicallyRemoveSegment";
        std::unique_ptr<Opened> f;
        const auto prepare = [&] {
            f.reset();
            writeFileBytes(dir.file("c"), before);
            f = std::make_unique<Opened>(dir.file("c"));
            platform.recorder.clear();
        };
        const int writes = failEachWriteInTurn(
            prepare, [&] { return f->file.setForkSize(kA, newSize); },
            [&](int n, RErr err) {
                EXPECT_EQ(err, kErrFileSystem);
                EXPECT_EQ(readFileBytes(dir.file("c")).size(),
                          to > 16 || n > 2 ? before.size() + to - 16 : before.size());
                EXPECT_EQ(log(),
                          n < 3 ? write + "CRFile::" + segment + fs + "; CRFile::setForkSize" + fs
                                : write + "CFileDescriptor::writeASeriesOfInt32s" + fs +
                                      "; CRFile::flushFTOC" + fs + "; CRFile::setForkSize" + fs);
            });
        EXPECT_EQ(writes, 4);
        EXPECT_EQ(toc(f->file), expectedToc);
        const std::size_t kept = std::min<std::size_t>(to, 16);
        EXPECT_EQ(slice(readWholeFork(f->file, kA), 0, kept), slice(a, 0, kept));
        EXPECT_EQ(readWholeFork(f->file, kB) + readWholeFork(f->file, kC), b + c);
        f.reset();
        EXPECT_EQ(readFileBytes(dir.file("c")).size(), before.size() + to - 16);
        EXPECT_EQ(toc(Opened(dir.file("c")).file), expectedToc);
    }
}

namespace {

// A well-formed container: 'DATA' (empty), 'AAAA' (6 bytes), 'BBBB' (4 bytes), table.
Bytes goodImage() {
    return Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10} +
           words({1, 2, static_cast<int32_t>(kForkData), 0, 0, static_cast<int32_t>(kA), 0, 0,
                  static_cast<int32_t>(kB), 6, 0, 10}); // 10 + 8 + 36 + 4 = 58 bytes
}

Bytes with(std::size_t at, int32_t value) {
    Bytes b = goodImage();
    const Bytes v = words({value});
    std::copy(v.begin(), v.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    return b;
}

} // namespace

// In order: FTOCOffset -1, at the length - 11, one early; containerVersion 2; topForkIndex -1,
// INT32_MAX, 0x15555555, one too many, one too few; offsets out of order, one past FTOCOffset;
// bytes between the table and its offset; 11 bytes; 12 zeros.
TEST_F(CRFileTest, DamagedFilesFailCleanlyWithACodeAndAreNeverWritten) {
    writeFileBytes(dir.file("good"), goodImage());
    EXPECT_EQ(toc(Opened(dir.file("good")).file), "DATA@0+0 AAAA@0+6 BBBB@6+4 |10");
    const std::size_t last = goodImage().size() - 4, top = 14, offsets = 22;
    const std::string path = dir.file("damaged");
    std::string got;
    for (const Bytes& bytes :
         {with(last, -1), with(last, 47), with(last, 9), with(10, 2), with(top, -1),
          with(top, INT32_MAX), with(top, 0x15555555), with(top, 3), with(top, 1),
          with(offsets + 12, 11), with(offsets + 24, 11),
          slice(goodImage(), 0, last) + words({0, 10}), Bytes(11, 0), Bytes(12, 0)}) {
        SCOPED_TRACE(hex(bytes));
        platform.recorder.clear();
        writeFileBytes(path, bytes);
        {
            Opened damaged(path);
            got += join({damaged.err}) + " ";
            EXPECT_FALSE(damaged.fd.isOpenNow()); // closed again at once
            EXPECT_EQ(toc(damaged.file), "|0");
            // A failed container refuses structural changes instead of writing.
            EXPECT_TRUE(all(kErrNotInitialized,
                            {damaged.file.createFork(kA), damaged.file.setForkSize(kA, 4)}));
            EXPECT_EQ(log().rfind(bugReportText("CRFile::CRFile", damaged.err), 0), 0u) << log();
        }
        EXPECT_EQ(readFileBytes(path), bytes);
    }
    EXPECT_EQ(got, "1008 1008 -105 -105 1008 1008 1008 1008 1008 1008 1008 1008 1008 -105 ");
}
