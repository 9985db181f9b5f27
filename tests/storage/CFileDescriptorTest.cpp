#include "storage/CFileDescriptor.h"

#include "base/ErrorReporter.h"
#include "storage/CRMemory.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kFsError = " (file system error)";

std::vector<unsigned char> pattern(std::size_t size, unsigned seed = 7) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>((i * 131 + seed + i / 251) & 0xFF);
    return bytes;
}

// A descriptor opened on a file that holds the given bytes.
struct OpenFile {
    OpenFile(const std::string& path, const std::vector<unsigned char>& bytes) : fd(path) {
        writeFileBytes(path, bytes);
        EXPECT_EQ(fd.open(), kNoErr);
    }
    ~OpenFile() {
        if (fd.isOpenNow())
            fd.close();
    }
    CFileDescriptor fd;
};

class CFileDescriptorTest : public ::testing::Test {
protected:
    void TearDown() override { CFileDescriptor::failNthWriteFromNow(0); }
    TempDir dir;
    RecordingPlatformScope platform;
};

} // namespace

TEST_F(CFileDescriptorTest, ConstructorCopiesThePathUnderCreatorTag140AndOpensNothing) {
    const std::string path = dir.file("grammar.rgr");
    CFileDescriptor fd(path);
    EXPECT_EQ(fd.path(), path);
    EXPECT_EQ(fd.getPathname().str(), path);
    EXPECT_EQ(fd.getPathname().creatorTag(), 140);
    EXPECT_FALSE(fd.isOpenNow());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(CFileDescriptorTest, CountsItselfUnderObjectKind2) {
    const int64_t before = CRMemory::shared().live(kKindCFileDescriptor);
    {
        CFileDescriptor fd(dir.file("a"));
        std::unique_ptr<CFileDescriptor> copy;
        ASSERT_EQ(fd.clone(copy), kNoErr);
        EXPECT_EQ(CRMemory::shared().live(kKindCFileDescriptor), before + 2);
    }
    EXPECT_EQ(CRMemory::shared().live(kKindCFileDescriptor), before);
}

TEST_F(CFileDescriptorTest, CloneHasACopyOfThePath) {
    CFileDescriptor fd(dir.file("x.rdc"));
    std::unique_ptr<CFileDescriptor> copy;
    ASSERT_EQ(fd.clone(copy), kNoErr);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->path(), fd.path());
    EXPECT_EQ(copy->getPathname().str(), fd.getPathname().str());
    EXPECT_NE(&copy->getPathname(), &fd.getPathname());
}

TEST_F(CFileDescriptorTest, CreateMakesAnEmptyClosedFile) {
    CFileDescriptor fd(dir.file("new"));
    bool exists = true;
    ASSERT_EQ(fd.exists(exists), kNoErr);
    EXPECT_FALSE(exists);
    ASSERT_EQ(fd.create(), kNoErr);
    EXPECT_FALSE(fd.isOpenNow());
    ASSERT_EQ(fd.exists(exists), kNoErr);
    EXPECT_TRUE(exists);
    EXPECT_EQ(std::filesystem::file_size(fd.path()), 0u);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(CFileDescriptorTest, CreateFailsWhenTheFileExistsAndReportsBothTexts) {
    const std::string path = dir.file("old");
    writeFileBytes(path, {1, 2, 3});
    CFileDescriptor fd(path);
    EXPECT_EQ(fd.create(), kErrFileSystem);
    EXPECT_EQ(platform.recorder.bugReports(),
              (std::vector<std::string>{
                  "CFileDescriptor::create" + kFsError,
                  "A file system error occurred in CFileDescriptor::create after CreateFile but "
                  "before CloseHandle."}));
    EXPECT_EQ(readFileBytes(path), (std::vector<unsigned char>{1, 2, 3})); // untouched
}

TEST_F(CFileDescriptorTest, CreateInAMissingFolderFails) {
    CFileDescriptor fd(dir.file("no-such-folder/file"));
    EXPECT_EQ(fd.create(), kErrFileSystem);
    EXPECT_EQ(platform.recorder.bugReports().size(), 2u);
}

TEST_F(CFileDescriptorTest, OpenAMissingFileReports1007UnderOpen) {
    CFileDescriptor fd(dir.file("missing"));
    EXPECT_EQ(fd.open(), kErrFileSystem);
    EXPECT_FALSE(fd.isOpenNow());
    EXPECT_EQ(platform.recorder.bugReports(),
              std::vector<std::string>{"CFileDescriptor::open" + kFsError});
}

TEST_F(CFileDescriptorTest, OpenIsNotShared) {
    const std::string path = dir.file("locked");
    writeFileBytes(path, {1, 2, 3, 4});
    CFileDescriptor first(path);
    CFileDescriptor second(path);
    ASSERT_EQ(first.open(), kNoErr);
    EXPECT_EQ(second.open(), kErrFileSystem);
    EXPECT_EQ(first.open(), kErrFileSystem); // already open
    ASSERT_EQ(first.close(), kNoErr);
    EXPECT_EQ(second.open(), kNoErr);
    EXPECT_EQ(second.close(), kNoErr);
    EXPECT_EQ(platform.recorder.bugReports().size(), 2u);
}

TEST_F(CFileDescriptorTest, OperationsOnAClosedDescriptorGive1007) {
    CFileDescriptor fd(dir.file("closed"));
    unsigned char byte = 0;
    int32_t value = 0;
    EXPECT_EQ(fd.read(&byte, 1), kErrFileSystem);
    EXPECT_EQ(fd.write(&byte, 1), kErrFileSystem);
    EXPECT_EQ(fd.setPosition(0), kErrFileSystem);
    EXPECT_EQ(fd.getPosition(value), kErrFileSystem);
    EXPECT_EQ(fd.setEOF(0), kErrFileSystem);
    EXPECT_EQ(fd.getEOF(value), kErrFileSystem);
    EXPECT_EQ(fd.close(), kErrFileSystem);
    const auto reports = platform.recorder.bugReports();
    ASSERT_EQ(reports.size(), 7u);
    EXPECT_EQ(reports[0], "CFileDescriptor::read" + kFsError);
    EXPECT_EQ(reports[1], "CFileDescriptor::write" + kFsError);
    EXPECT_EQ(reports[6], "CFileDescriptor::close" + kFsError);
}

TEST_F(CFileDescriptorTest, ReadWriteAndPosition) {
    OpenFile f(dir.file("rw"), {});
    const unsigned char hello[] = {'h', 'e', 'l', 'l', 'o'};
    ASSERT_EQ(f.fd.write(hello, 5), kNoErr);
    int32_t position = -1;
    ASSERT_EQ(f.fd.getPosition(position), kNoErr);
    EXPECT_EQ(position, 5);
    int32_t length = -1;
    ASSERT_EQ(f.fd.getEOF(length), kNoErr);
    EXPECT_EQ(length, 5);

    ASSERT_EQ(f.fd.setPosition(1), kNoErr);
    unsigned char got[3] = {};
    ASSERT_EQ(f.fd.read(got, 3), kNoErr);
    EXPECT_EQ(std::memcmp(got, "ell", 3), 0);
    ASSERT_EQ(f.fd.getPosition(position), kNoErr);
    EXPECT_EQ(position, 4);
    EXPECT_EQ(f.fd.read(got, 0), kNoErr);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(CFileDescriptorTest, ReadingPastTheEndFails) {
    OpenFile f(dir.file("short"), {1, 2, 3});
    unsigned char got[4] = {};
    ASSERT_EQ(f.fd.setPosition(1), kNoErr);
    EXPECT_EQ(f.fd.read(got, 4), kErrFileSystem);
    int32_t position = -1;
    ASSERT_EQ(f.fd.getPosition(position), kNoErr);
    EXPECT_EQ(position, 1); // a failed read does not move
    ASSERT_EQ(f.fd.setPosition(3), kNoErr);
    EXPECT_EQ(f.fd.read(got, 1), kErrFileSystem);
    EXPECT_EQ(platform.recorder.bugReports(),
              (std::vector<std::string>{"CFileDescriptor::read" + kFsError,
                                        "CFileDescriptor::read" + kFsError}));
}

TEST_F(CFileDescriptorTest, NegativeCountsAndOffsetsAreInvalidParameters) {
    OpenFile f(dir.file("neg"), {1, 2, 3});
    unsigned char byte = 0;
    EXPECT_EQ(f.fd.read(&byte, -1), kErrInvalidParameter);
    EXPECT_EQ(f.fd.write(&byte, -1), kErrInvalidParameter);
    EXPECT_EQ(f.fd.setPosition(-1), kErrInvalidParameter);
    EXPECT_EQ(f.fd.setEOF(-1), kErrInvalidParameter);
    EXPECT_EQ(f.fd.readASeriesOfInt32s(nullptr, -2), kErrInvalidParameter);
    EXPECT_EQ(platform.recorder.bugReports().size(), 5u);
}

TEST_F(CFileDescriptorTest, SetEOFKeepsTheSmallerPosition) {
    OpenFile f(dir.file("eof"), pattern(100));
    ASSERT_EQ(f.fd.setPosition(80), kNoErr);
    ASSERT_EQ(f.fd.setEOF(50), kNoErr);
    int32_t position = -1;
    int32_t length = -1;
    ASSERT_EQ(f.fd.getPosition(position), kNoErr);
    ASSERT_EQ(f.fd.getEOF(length), kNoErr);
    EXPECT_EQ(position, 50);
    EXPECT_EQ(length, 50);

    ASSERT_EQ(f.fd.setPosition(10), kNoErr);
    ASSERT_EQ(f.fd.setEOF(200), kNoErr);
    ASSERT_EQ(f.fd.getPosition(position), kNoErr);
    ASSERT_EQ(f.fd.getEOF(length), kNoErr);
    EXPECT_EQ(position, 10);
    EXPECT_EQ(length, 200);
}

TEST_F(CFileDescriptorTest, SeriesOfInt32sAreBigEndianOnDisk) {
    const std::string path = dir.file("ints");
    OpenFile f(path, {});
    const int32_t values[] = {1, -1, 0x12345678, 51, INT32_MIN};
    ASSERT_EQ(f.fd.writeASeriesOfInt32s(values, 4), kNoErr);
    std::vector<unsigned char> expected;
    for (int32_t v : values)
        appendBE32(expected, v);
    EXPECT_EQ(readFileBytes(path), expected);
    EXPECT_EQ(expected[12], 0x00);
    EXPECT_EQ(expected[15], 0x33);

    int32_t back[5] = {};
    ASSERT_EQ(f.fd.setPosition(0), kNoErr);
    ASSERT_EQ(f.fd.readASeriesOfInt32s(back, 4), kNoErr);
    EXPECT_EQ(std::memcmp(back, values, sizeof values), 0);

    // Last index -1 moves nothing.
    ASSERT_EQ(f.fd.readASeriesOfInt32s(back, -1), kNoErr);
    ASSERT_EQ(f.fd.writeASeriesOfInt32s(values, -1), kNoErr);
}

TEST_F(CFileDescriptorTest, ByteAtATimeReadsCrossReadAheadBoundaries) {
    const auto bytes = pattern(200000, 3);
    OpenFile f(dir.file("big"), bytes);
    std::vector<unsigned char> got(bytes.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(f.fd.read(&got[i], 1), kNoErr) << i;
    EXPECT_EQ(got, bytes);

    // Backwards, with a seek before every byte.
    for (std::size_t i = got.size(); i-- > 0;) {
        ASSERT_EQ(f.fd.setPosition(static_cast<int32_t>(i)), kNoErr);
        unsigned char b = 0;
        ASSERT_EQ(f.fd.read(&b, 1), kNoErr);
        ASSERT_EQ(b, bytes[i]) << i;
    }
}

TEST_F(CFileDescriptorTest, LargeReadsMixWithCachedBytes) {
    const auto bytes = pattern(300000, 5);
    OpenFile f(dir.file("mix"), bytes);
    unsigned char b = 0;
    ASSERT_EQ(f.fd.setPosition(1000), kNoErr);
    ASSERT_EQ(f.fd.read(&b, 1), kNoErr); // read-ahead from 1000
    std::vector<unsigned char> got(200000);
    ASSERT_EQ(f.fd.setPosition(5000), kNoErr);
    ASSERT_EQ(f.fd.read(got.data(), 200000), kNoErr);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), bytes.begin() + 5000));
}

TEST_F(CFileDescriptorTest, ReadAheadStaysCoherentWithWritesAndSetEOF) {
    const std::string path = dir.file("coherent");
    OpenFile f(path, pattern(1000));
    unsigned char b = 0;
    ASSERT_EQ(f.fd.read(&b, 1), kNoErr); // the whole file is now read ahead

    const unsigned char patch[] = {0xAA, 0xBB, 0xCC};
    ASSERT_EQ(f.fd.setPosition(500), kNoErr);
    ASSERT_EQ(f.fd.write(patch, 3), kNoErr);
    unsigned char got[5] = {};
    ASSERT_EQ(f.fd.setPosition(499), kNoErr);
    ASSERT_EQ(f.fd.read(got, 5), kNoErr);
    const auto original = pattern(1000);
    EXPECT_EQ(got[0], original[499]);
    EXPECT_EQ(got[1], 0xAA);
    EXPECT_EQ(got[3], 0xCC);
    EXPECT_EQ(got[4], original[503]);

    // Shorten then lengthen: the bytes in between read as the file has them now (zeros),
    // not as the read-ahead buffer remembered them.
    ASSERT_EQ(f.fd.setEOF(100), kNoErr);
    EXPECT_EQ(f.fd.read(&b, 1), kErrFileSystem); // position 100 is the end
    ASSERT_EQ(f.fd.setEOF(1000), kNoErr);
    ASSERT_EQ(f.fd.setPosition(500), kNoErr);
    ASSERT_EQ(f.fd.read(got, 3), kNoErr);
    EXPECT_EQ(got[0], 0);
    EXPECT_EQ(got[1], 0);
    EXPECT_EQ(got[2], 0);
    ASSERT_EQ(f.fd.setPosition(99), kNoErr);
    ASSERT_EQ(f.fd.read(&b, 1), kNoErr);
    EXPECT_EQ(b, original[99]);
}

TEST_F(CFileDescriptorTest, ReopeningStartsAtZeroWithFreshData) {
    const std::string path = dir.file("reopen");
    OpenFile f(path, {1, 2, 3, 4});
    unsigned char b = 0;
    ASSERT_EQ(f.fd.read(&b, 1), kNoErr);
    ASSERT_EQ(f.fd.close(), kNoErr);
    writeFileBytes(path, {9, 8, 7, 6});
    ASSERT_EQ(f.fd.open(), kNoErr);
    int32_t position = -1;
    ASSERT_EQ(f.fd.getPosition(position), kNoErr);
    EXPECT_EQ(position, 0);
    ASSERT_EQ(f.fd.read(&b, 1), kNoErr);
    EXPECT_EQ(b, 9);
}

TEST_F(CFileDescriptorTest, FailNthWriteFromNowFailsExactlyThatWrite) {
    const std::string path = dir.file("fail");
    OpenFile f(path, {});
    const unsigned char one = 1;
    CFileDescriptor::failNthWriteFromNow(3);
    EXPECT_EQ(f.fd.write(&one, 1), kNoErr);
    EXPECT_EQ(f.fd.write(&one, 1), kNoErr);
    EXPECT_EQ(f.fd.write(&one, 1), kErrFileSystem);
    EXPECT_EQ(f.fd.write(&one, 1), kNoErr); // the hook is spent
    EXPECT_EQ(readFileBytes(path), (std::vector<unsigned char>{1, 1, 1}));
    EXPECT_EQ(platform.recorder.bugReports(),
              std::vector<std::string>{"CFileDescriptor::write" + kFsError});
}

TEST_F(CFileDescriptorTest, FailNthWriteFromNowCountsWritesOnEveryDescriptorAndZeroTurnsItOff) {
    OpenFile a(dir.file("a"), {});
    OpenFile b(dir.file("b"), {});
    const int32_t word = 5;
    CFileDescriptor::failNthWriteFromNow(2);
    EXPECT_EQ(a.fd.write(&word, 4), kNoErr);
    EXPECT_EQ(b.fd.writeASeriesOfInt32s(&word, 0), kErrFileSystem);
    EXPECT_EQ(std::filesystem::file_size(b.fd.path()), 0u);

    CFileDescriptor::failNthWriteFromNow(1);
    CFileDescriptor::failNthWriteFromNow(0);
    EXPECT_EQ(a.fd.write(&word, 4), kNoErr);
    const auto reports = platform.recorder.bugReports();
    EXPECT_EQ(reports,
              (std::vector<std::string>{"CFileDescriptor::write" + kFsError,
                                        "CFileDescriptor::writeASeriesOfInt32s" + kFsError}));
}

TEST_F(CFileDescriptorTest, ExistsFollowsTheFile) {
    const std::string path = dir.file("e.rgr");
    CFileDescriptor fd(path);
    bool exists = true;
    ASSERT_EQ(fd.exists(exists), kNoErr);
    EXPECT_FALSE(exists);
    writeFileBytes(path, {});
    ASSERT_EQ(fd.exists(exists), kNoErr);
    EXPECT_TRUE(exists);
    CFileDescriptor empty("");
    ASSERT_EQ(empty.exists(exists), kNoErr);
    EXPECT_FALSE(exists);
}

TEST_F(CFileDescriptorTest, DestroyingAnOpenDescriptorGivesTheFileBack) {
    const std::string path = dir.file("leak");
    writeFileBytes(path, {1});
    {
        CFileDescriptor fd(path);
        ASSERT_EQ(fd.open(), kNoErr);
    }
    CFileDescriptor again(path);
    EXPECT_EQ(again.open(), kNoErr);
    EXPECT_EQ(again.close(), kNoErr);
}
