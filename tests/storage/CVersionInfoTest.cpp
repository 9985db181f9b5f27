#include "storage/CVersionInfo.h"

#include "base/ErrorReporter.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "storage/CRMemory.h"
#include "support/ContainerTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// A container with 'DATA', optionally 'Tabl' and 'Stri', and a 'Vers' fork of the given
// size holding the given words (as many as fit).
void makeFile(const std::string& path, const std::vector<int32_t>& words, int32_t forkSize,
              bool withDatabaseForks = false) {
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    RErr err = kNoErr;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    if (withDatabaseForks) {
        ASSERT_EQ(file.createFork(kForkTablet), kNoErr);
        ASSERT_EQ(file.setForkSize(kForkTablet, 16), kNoErr);
        ASSERT_EQ(file.createFork(kForkStrings), kNoErr);
        ASSERT_EQ(file.setForkSize(kForkStrings, 4), kNoErr);
    }
    ASSERT_EQ(file.createFork(kForkVersion), kNoErr);
    ASSERT_EQ(file.setForkSize(kForkVersion, forkSize), kNoErr);
    const auto fit = std::min<std::size_t>(words.size(), static_cast<std::size_t>(forkSize / 4));
    if (fit > 0) {
        ASSERT_EQ(
            file.writeASeriesOfInt32s(kForkVersion, words.data(), static_cast<int32_t>(fit) - 1),
            kNoErr);
    }
}

void makeFile(const std::string& path, const std::vector<int32_t>& words) {
    makeFile(path, words, static_cast<int32_t>(words.size() * 4));
}

Bytes versBytes(const std::vector<int32_t>& words) {
    Bytes bytes;
    for (int32_t w : words)
        appendBE32(bytes, w);
    return bytes;
}

Bytes readVers(const std::string& path) {
    return forkBytes(path, kForkVersion);
}

class CVersionInfoTest : public ::testing::Test {
protected:
    void TearDown() override { CFileDescriptor::failNthWriteFromNow(0); }
    std::vector<std::string> reports() const { return platform.recorder.bugReports(); }
    RErr check(const std::string& path) {
        CFileDescriptor fd(path);
        CVersionInfo info(fd);
        return info.checkVersionInfo();
    }
    TempDir dir;
    RecordingPlatformScope platform;
};

} // namespace

TEST_F(CVersionInfoTest, WritingANewHeaderAddsA20ByteVersFork) {
    const std::string path = dir.file("new.rgr");
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    {
        CVersionInfo info(fd);
        EXPECT_EQ(info.openError(), kNoErr);
        EXPECT_TRUE(fd.isOpenNow());
        ASSERT_EQ(info.writeCurrentVersionInfo(), kNoErr);
        EXPECT_EQ(info.words(), (std::vector<int32_t>{4, 1, 1, 2, 2}));
    }
    EXPECT_FALSE(fd.isOpenNow()); // the container is closed with the header object
    const Bytes bytes = readFileBytes(path);
    ASSERT_EQ(bytes.size(), 20u + 8 + 24 + 4);
    const Bytes expected = {0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 2};
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 20), expected);
    EXPECT_EQ(Bytes(bytes.begin() + 40, bytes.begin() + 44), (Bytes{0x56, 0x65, 0x72, 0x73}));
    EXPECT_EQ(check(path), kNoErr);
    EXPECT_TRUE(reports().empty());
}

TEST_F(CVersionInfoTest, AWholeFileHoldsDataTablStriVersInThisOrder) {
    const std::string path = dir.file("whole.rdc");
    {
        CFileDescriptor fd(path);
        ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
        RErr err = kNoErr;
        CRFile file(fd, err);
        ASSERT_EQ(err, kNoErr);
        ASSERT_EQ(file.createFork(kForkTablet), kNoErr);
        ASSERT_EQ(file.setForkSize(kForkTablet, 8), kNoErr);
        ASSERT_EQ(file.createFork(kForkStrings), kNoErr);
        ASSERT_EQ(file.setForkSize(kForkStrings, 4), kNoErr);
    }
    CFileDescriptor fd(path);
    {
        CVersionInfo info(fd);
        ASSERT_EQ(info.writeCurrentVersionInfo(), kNoErr);
    }
    RErr err = kNoErr;
    CRFile file(fd, err);
    ASSERT_EQ(err, kNoErr);
    ASSERT_EQ(file.forkCount(), 4);
    EXPECT_EQ(file.entry(0).forkType, kForkData);
    EXPECT_EQ(file.entry(1).forkType, kForkTablet);
    EXPECT_EQ(file.entry(2).forkType, kForkStrings);
    EXPECT_EQ(file.entry(3).forkType, kForkVersion);
    EXPECT_EQ(file.entry(3).offset, 12);
}

TEST_F(CVersionInfoTest, RewritingKeepsWord3AndSetsWord4To2) {
    const std::string path = dir.file("old.rgr");
    makeFile(path, {4, 1, 1, 7, 9}, 20, true);
    const std::size_t length = readFileBytes(path).size();
    {
        CFileDescriptor fd(path);
        CVersionInfo info(fd);
        ASSERT_EQ(info.writeCurrentVersionInfo(), kNoErr);
        EXPECT_EQ(info.words(), (std::vector<int32_t>{4, 1, 1, 7, 2}));
    }
    EXPECT_EQ(readVers(path), versBytes({4, 1, 1, 7, 2}));
    EXPECT_EQ(readFileBytes(path).size(), length);
    EXPECT_TRUE(reports().empty());
}

TEST_F(CVersionInfoTest, RewritingKeepsWordsBeyondTheFifth) {
    const std::string path = dir.file("longer.rgr");
    makeFile(path, {6, 1, 1, 3, 3, 77, 88});
    {
        CFileDescriptor fd(path);
        CVersionInfo info(fd);
        ASSERT_EQ(info.checkVersionInfo(), kNoErr);
        EXPECT_EQ(info.words().size(), 7u);
        ASSERT_EQ(info.writeCurrentVersionInfo(), kNoErr);
    }
    EXPECT_EQ(readVers(path), versBytes({6, 1, 1, 3, 2, 77, 88}));
}

TEST_F(CVersionInfoTest, TheCheckGivesItsCodesWithoutAReport) {
    struct Case {
        const char* name;
        std::vector<int32_t> words;
        RErr expected;
    };
    const std::vector<Case> cases = {
        {"current", {4, 1, 1, 2, 2}, kNoErr},
        {"written by another program version", {4, 1, 1, 9, 9}, kNoErr},
        {"newer format", {4, 1, 2, 2, 2}, kErrNewerVersion},
        {"older format", {4, 1, 0, 2, 2}, kErrOlderVersion},
        {"negative format", {4, 1, -5, 2, 2}, kErrOlderVersion},
        {"kind 0", {4, 0, 1, 2, 2}, kErrInvalidFormat},
        {"kind 2", {4, 2, 1, 2, 2}, kErrInvalidFormat},
        {"last index 0", {0, 1, 1, 2, 2}, kErrInvalidFormat},
        {"last index 1: no format word", {1, 1, 1, 2, 2}, kErrInvalidFormat},
        {"last index 2", {2, 1, 1}, kNoErr},
        {"last index negative", {-1, 1, 1, 2, 2}, kErrInvalidFormat},
        {"last index INT32_MIN", {INT32_MIN, 1, 1, 2, 2}, kErrInvalidFormat},
        {"word 0 says 1000, the fork holds 20 bytes", {1000, 1, 1, 2, 2}, kErrInvalidFormat},
        {"word 0 says INT32_MAX", {INT32_MAX, 1, 1, 2, 2}, kErrInvalidFormat},
        {"word 0 says 5 in 20 bytes", {5, 1, 1, 2, 2}, kErrInvalidFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform.recorder.clear();
        const std::string path = dir.file(std::string("vers-") + std::to_string(&c - &cases[0]));
        makeFile(path, c.words);
        EXPECT_EQ(check(path), c.expected);
        EXPECT_TRUE(reports().empty());
    }
}

TEST_F(CVersionInfoTest, BadlySizedVersForksAreInvalid) {
    const std::vector<int32_t> sizes = {0, 1, 3, 7};
    for (int32_t size : sizes) {
        SCOPED_TRACE(size);
        const std::string path = dir.file("size-" + std::to_string(size));
        makeFile(path, {4, 1, 1, 2, 2}, size);
        EXPECT_EQ(check(path), kErrInvalidFormat);
    }
    // Extra bytes after the words the header counts are tolerated.
    const std::string path = dir.file("size-24");
    makeFile(path, {4, 1, 1, 2, 2, 0}, 24);
    EXPECT_EQ(check(path), kNoErr);
    EXPECT_TRUE(reports().empty());
}

TEST_F(CVersionInfoTest, AFileWithoutVersIsInvalid) {
    const std::string path = dir.file("novers.rgr");
    CFileDescriptor fd(path);
    ASSERT_EQ(CRFile::createCFile(fd), kNoErr);
    CVersionInfo info(fd);
    EXPECT_EQ(info.readExistingInfo(), kErrInvalidFormat);
    EXPECT_EQ(info.checkVersionInfo(), kErrInvalidFormat);
    EXPECT_TRUE(info.words().empty());
    EXPECT_TRUE(reports().empty());
}

TEST_F(CVersionInfoTest, AContainerThatCannotBeOpenedIsReportedOnceThenInvalid) {
    const std::string path = dir.file("missing.rgr");
    CFileDescriptor fd(path);
    CVersionInfo info(fd);
    EXPECT_EQ(info.openError(), kErrFileSystem);
    EXPECT_EQ(reports(),
              (std::vector<std::string>{"CFileDescriptor::open (file system error)",
                                        "CRFile::CRFile (file system error)",
                                        "CVersionInfo::CVersionInfo (file system error)"}));
    platform.recorder.clear();
    EXPECT_EQ(info.checkVersionInfo(), kErrInvalidFormat);
    EXPECT_EQ(info.readExistingInfo(), kErrInvalidFormat);
    EXPECT_EQ(info.writeCurrentVersionInfo(), kErrInvalidFormat);
    EXPECT_TRUE(reports().empty());
    bool exists = true;
    ASSERT_EQ(fd.exists(exists), kNoErr);
    EXPECT_FALSE(exists);
}

TEST_F(CVersionInfoTest, ADamagedContainerIsInvalid) {
    const std::string path = dir.file("damaged.rgr");
    writeFileBytes(path, Bytes(24, 0)); // containerVersion 0
    CFileDescriptor fd(path);
    CVersionInfo info(fd);
    EXPECT_EQ(info.openError(), kErrBadContainerVersion);
    EXPECT_FALSE(fd.isOpenNow());
    EXPECT_EQ(reports().back(), "CVersionInfo::CVersionInfo (-105)");
    EXPECT_EQ(info.checkVersionInfo(), kErrInvalidFormat);
    EXPECT_EQ(info.writeCurrentVersionInfo(), kErrInvalidFormat);
    EXPECT_EQ(readFileBytes(path), Bytes(24, 0));
}

TEST_F(CVersionInfoTest, AFailedWriteIsReported) {
    const std::string path = dir.file("fail.rgr");
    makeFile(path, {4, 1, 1, 2, 2});
    CFileDescriptor fd(path);
    CVersionInfo info(fd);
    CFileDescriptor::failNthWriteFromNow(1);
    EXPECT_EQ(info.writeCurrentVersionInfo(), kErrFileSystem);
    EXPECT_EQ(reports().back(), "CVersionInfo::writeCurrentVersionInfo (file system error)");
}

TEST_F(CVersionInfoTest, RewritingAHeaderThatIsTooShortFails) {
    const std::string path = dir.file("short.rgr");
    makeFile(path, {2, 1, 1});
    CFileDescriptor fd(path);
    CVersionInfo info(fd);
    EXPECT_EQ(info.checkVersionInfo(), kNoErr);
    EXPECT_EQ(info.writeCurrentVersionInfo(), kErrInvalidFormat);
    EXPECT_EQ(reports().back(), "CVersionInfo::writeCurrentVersionInfo (1008)");
}

TEST_F(CVersionInfoTest, ObjectsAndWordsAreCounted) {
    const std::string path = dir.file("count.rgr");
    makeFile(path, {4, 1, 1, 2, 2});
    CRMemory& memory = CRMemory::shared();
    const int64_t objects = memory.live(kKindCVersionInfo);
    const int64_t words = memory.live(kTagVersionWordsRead);
    {
        CFileDescriptor fd(path);
        CVersionInfo info(fd);
        EXPECT_EQ(memory.live(kKindCVersionInfo), objects + 1);
        ASSERT_EQ(info.checkVersionInfo(), kNoErr);
        ASSERT_EQ(info.checkVersionInfo(), kNoErr);
        EXPECT_EQ(memory.live(kTagVersionWordsRead), words + 1);
    }
    EXPECT_EQ(memory.live(kKindCVersionInfo), objects);
    EXPECT_EQ(memory.live(kTagVersionWordsRead), words);
}
