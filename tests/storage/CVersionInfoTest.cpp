#include "storage/CVersionInfo.h"

#include "storage/CRFile.h"
#include "storage/StorageTestSupport.h"
#include "support/ContainerTestSupport.h"

#include <algorithm>

namespace {

class CVersionInfoTest : public StorageTest {
protected:
    // A container with 'DATA' and a 'Vers' fork of forkSize bytes (the words' size when
    // negative) holding as many of the words as fit.
    std::string makeFile(const std::vector<int32_t>& words, int32_t forkSize = -1) {
        const std::string path = newContainer(dir, "v" + std::to_string(files++));
        const int32_t size = forkSize < 0 ? static_cast<int32_t>(words.size() * 4) : forkSize;
        const int32_t fit = std::min(static_cast<int32_t>(words.size()), size / 4);
        Bytes bytes(static_cast<std::size_t>(size), 0);
        for (int32_t i = 0; i < fit; ++i)
            std::copy_n(::words({words[static_cast<std::size_t>(i)]}).begin(), 4,
                        bytes.begin() + 4 * i);
        replaceFork(path, kForkVersion, bytes);
        return path;
    }
    RErr check(const std::string& path) {
        CFileDescriptor fd(path);
        return CVersionInfo(fd).checkVersionInfo();
    }
    int files = 0;
};

} // namespace

TEST_F(CVersionInfoTest, WritingANewHeaderAddsA20ByteVersForkAfterTheOthers) {
    const std::string path = newContainer(dir, "new.rgr");
    CFileDescriptor fd(path);
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
    EXPECT_EQ(slice(bytes, 0, 20), words({4, 1, 1, 2, 2}));
    EXPECT_EQ(slice(bytes, 40, 4), (Bytes{'V', 'e', 'r', 's'}));
    EXPECT_EQ(check(path), kNoErr);
    EXPECT_TRUE(reports().empty());

    // Rewriting keeps word 3 (the creating program) and the length, and signs word 4.
    const std::string old = makeFile({4, 1, 1, 7, 9});
    const std::size_t length = readFileBytes(old).size();
    {
        CFileDescriptor oldFd(old);
        CVersionInfo info(oldFd);
        ASSERT_EQ(info.writeCurrentVersionInfo(), kNoErr);
        EXPECT_EQ(info.words(), (std::vector<int32_t>{4, 1, 1, 7, 2}));
    }
    EXPECT_EQ(forkBytes(old, kForkVersion), words({4, 1, 1, 7, 2}));
    EXPECT_EQ(readFileBytes(old).size(), length);

    // A whole file holds 'DATA', 'Tabl', 'Stri', 'Vers' in this order.
    const std::string whole = newContainer(dir, "whole.rdc");
    replaceFork(whole, kForkTablet, Bytes(8, 0));
    replaceFork(whole, kForkStrings, Bytes(4, 0));
    CFileDescriptor wholeFd(whole);
    {
        CVersionInfo info(wholeFd);
        ASSERT_EQ(info.writeCurrentVersionInfo(), kNoErr);
    }
    RErr err = kNoErr;
    CRFile file(wholeFd, err);
    ASSERT_EQ(err, kNoErr);
    ASSERT_EQ(file.forkCount(), 4);
    const RForkType order[] = {kForkData, kForkTablet, kForkStrings, kForkVersion};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(file.entry(i).forkType, order[i]) << i;
    EXPECT_EQ(file.entry(3).offset, 12);

    // Words beyond the fifth are kept.
    const std::string longer = makeFile({6, 1, 1, 3, 3, 77, 88});
    {
        CFileDescriptor longerFd(longer);
        CVersionInfo info(longerFd);
        ASSERT_EQ(info.checkVersionInfo(), kNoErr);
        EXPECT_EQ(info.words().size(), 7u);
        ASSERT_EQ(info.writeCurrentVersionInfo(), kNoErr);
    }
    EXPECT_EQ(forkBytes(longer, kForkVersion), words({6, 1, 1, 3, 2, 77, 88}));
    EXPECT_TRUE(reports().empty());
}

TEST_F(CVersionInfoTest, TheCheckGivesItsCodesWithoutAReport) {
    const struct {
        const char* name;
        std::vector<int32_t> words;
        int32_t forkSize;
        RErr expected;
    } rows[] = {
        {"current", {4, 1, 1, 2, 2}, -1, kNoErr},
        {"written by another program version", {4, 1, 1, 9, 9}, -1, kNoErr},
        {"newer format", {4, 1, 2, 2, 2}, -1, kErrNewerVersion},
        {"older format", {4, 1, 0, 2, 2}, -1, kErrOlderVersion},
        {"negative format", {4, 1, -5, 2, 2}, -1, kErrOlderVersion},
        {"kind 0", {4, 0, 1, 2, 2}, -1, kErrInvalidFormat},
        {"kind 2", {4, 2, 1, 2, 2}, -1, kErrInvalidFormat},
        {"last index 0", {0, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"last index 1: no format word", {1, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"last index 2", {2, 1, 1}, -1, kNoErr},
        {"last index negative", {-1, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"last index INT32_MIN", {INT32_MIN, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"word 0 says 1000, the fork holds 20 bytes", {1000, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"word 0 says INT32_MAX", {INT32_MAX, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"word 0 says 5 in 20 bytes", {5, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"fork of 0 bytes", {4, 1, 1, 2, 2}, 0, kErrInvalidFormat},
        {"fork of 1 byte", {4, 1, 1, 2, 2}, 1, kErrInvalidFormat},
        {"fork of 3 bytes", {4, 1, 1, 2, 2}, 3, kErrInvalidFormat},
        {"fork of 7 bytes", {4, 1, 1, 2, 2}, 7, kErrInvalidFormat},
        {"bytes after the counted words", {4, 1, 1, 2, 2, 0}, 24, kNoErr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(check(makeFile(row.words, row.forkSize)), row.expected);
    }
    EXPECT_TRUE(reports().empty());
}

TEST_F(CVersionInfoTest, MissingUnopenableAndDamagedContainersAreInvalid) {
    CFileDescriptor noVers(newContainer(dir, "novers.rgr"));
    {
        CVersionInfo info(noVers);
        EXPECT_TRUE(all(kErrInvalidFormat, {info.readExistingInfo(), info.checkVersionInfo()}));
        EXPECT_TRUE(info.words().empty());
        EXPECT_TRUE(reports().empty());
    }
    CFileDescriptor missing(dir.file("missing.rgr"));
    {
        CVersionInfo info(missing);
        EXPECT_EQ(info.openError(), kErrFileSystem);
        EXPECT_EQ(reports(), (Texts{"CFileDescriptor::open (file system error)",
                                    "CRFile::CRFile (file system error)",
                                    "CVersionInfo::CVersionInfo (file system error)"}));
        platform.recorder.clear();
        EXPECT_TRUE(all(kErrInvalidFormat, {info.checkVersionInfo(), info.readExistingInfo(),
                                            info.writeCurrentVersionInfo()}));
        EXPECT_TRUE(reports().empty()); // reported once
    }
    bool exists = true;
    ASSERT_EQ(missing.exists(exists), kNoErr);
    EXPECT_FALSE(exists);

    const std::string damaged = dir.file("damaged.rgr");
    writeFileBytes(damaged, Bytes(24, 0)); // containerVersion 0
    CFileDescriptor fd(damaged);
    CVersionInfo info(fd);
    EXPECT_EQ(info.openError(), kErrBadContainerVersion);
    EXPECT_FALSE(fd.isOpenNow());
    EXPECT_EQ(reports().back(), "CVersionInfo::CVersionInfo (-105)");
    EXPECT_TRUE(all(kErrInvalidFormat, {info.checkVersionInfo(), info.writeCurrentVersionInfo()}));
    EXPECT_EQ(readFileBytes(damaged), Bytes(24, 0));
}

// Fails the 1st, 2nd, ... write of a new header until one succeeds; each failure is reported.
TEST_F(CVersionInfoTest, EveryFailedWriteIsReportedAndAShortHeaderIsNotRewritten) {
    for (int32_t n = 1;; ++n) {
        SCOPED_TRACE(n);
        ASSERT_LT(n, 20);
        platform.recorder.clear();
        CFileDescriptor fd(newContainer(dir, "fail" + std::to_string(n)));
        CVersionInfo info(fd);
        CFileDescriptor::failNthWriteFromNow(n);
        const RErr err = info.writeCurrentVersionInfo();
        CFileDescriptor::failNthWriteFromNow(0);
        if (!err)
            break;
        EXPECT_EQ(err, kErrFileSystem);
        EXPECT_EQ(reports().back(), "CVersionInfo::writeCurrentVersionInfo (file system error)");
    }
    CFileDescriptor existing(makeFile({4, 1, 1, 2, 2}));
    CVersionInfo info(existing);
    CFileDescriptor::failNthWriteFromNow(1);
    EXPECT_EQ(info.writeCurrentVersionInfo(), kErrFileSystem);
    EXPECT_EQ(reports().back(), "CVersionInfo::writeCurrentVersionInfo (file system error)");

    CFileDescriptor shortFd(makeFile({2, 1, 1}));
    CVersionInfo shortInfo(shortFd);
    EXPECT_EQ(shortInfo.checkVersionInfo(), kNoErr);
    EXPECT_EQ(shortInfo.writeCurrentVersionInfo(), kErrInvalidFormat);
    EXPECT_EQ(reports().back(), "CVersionInfo::writeCurrentVersionInfo (1008)");
}

TEST_F(CVersionInfoTest, ObjectsAndWordsAreCounted) {
    const std::string path = makeFile({4, 1, 1, 2, 2});
    CRMemory& memory = CRMemory::shared();
    const int64_t objects = memory.live(kKindCVersionInfo);
    const int64_t words = memory.live(kTagVersionWordsRead);
    {
        CFileDescriptor fd(path);
        CVersionInfo info(fd);
        EXPECT_EQ(memory.live(kKindCVersionInfo), objects + 1);
        ASSERT_TRUE(all(kNoErr, {info.checkVersionInfo(), info.checkVersionInfo()}));
        EXPECT_EQ(memory.live(kTagVersionWordsRead), words + 1);
    }
    EXPECT_EQ(memory.live(kKindCVersionInfo), objects);
    EXPECT_EQ(memory.live(kTagVersionWordsRead), words);
}
