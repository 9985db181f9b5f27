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
    std::string makeFile(const std::vector<int32_t>& values, int32_t forkSize = -1) {
        const std::string path = newContainer(dir, "v" + std::to_string(files++));
        const int32_t size = forkSize < 0 ? static_cast<int32_t>(values.size() * 4) : forkSize;
        Bytes bytes;
        for (int32_t value : values)
            appendBE32(bytes, value);
        bytes.resize(static_cast<std::size_t>(size), 0);
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

TEST_F(CVersionInfoTest, ANewHeaderIsA20ByteVersForkAfterTheOthersAndRewritingSignsWord4) {
    const std::string path = newContainer(dir, "new.rgr");
    replaceFork(path, kForkTablet, Bytes(8, 0));
    replaceFork(path, kForkStrings, Bytes(4, 0));
    CFileDescriptor fd(path);
    {
        CVersionInfo info(fd);
        EXPECT_EQ(info.openError(), kNoErr);
        EXPECT_TRUE(fd.isOpenNow());
        ASSERT_EQ(info.writeCurrentVersionInfo(), kNoErr);
        EXPECT_EQ(info.words(), (std::vector<int32_t>{4, 1, 1, 2, 2}));
    }
    EXPECT_FALSE(fd.isOpenNow()); // the container is closed with the header object
    EXPECT_EQ(hex(forkBytes(path, kForkVersion)), "00000004 00000001 00000001 00000002 00000002");
    // 'DATA', 'Tabl', 'Stri', 'Vers' in this order, the header after the 12 bytes of the others.
    const Bytes bytes = readFileBytes(path);
    ASSERT_EQ(bytes.size(), 32u + 8 + 48 + 4);
    EXPECT_EQ(hex(slice(bytes, 40, 48)), "44415441 00000000 00000000 5461626C 00000000 00000000 "
                                         "53747269 00000008 00000000 56657273 0000000C 00000000");
    EXPECT_EQ(check(path), kNoErr);

    // Rewriting keeps word 3 (the creating program), the length and any later words.
    const std::pair<std::vector<int32_t>, const char*> rows[] = {
        {{4, 1, 1, 7, 9}, "00000004 00000001 00000001 00000007 00000002"},
        {{6, 1, 1, 3, 3, 77, 88},
         "00000006 00000001 00000001 00000003 00000002 0000004D 00000058"}};
    for (const auto& [before, after] : rows) {
        const std::string old = makeFile(before);
        const std::size_t length = readFileBytes(old).size();
        {
            CFileDescriptor oldFd(old);
            CVersionInfo info(oldFd);
            ASSERT_EQ(info.writeCurrentVersionInfo(), kNoErr);
            EXPECT_EQ(info.words().size(), before.size());
        }
        EXPECT_EQ(hex(forkBytes(old, kForkVersion)), after);
        EXPECT_EQ(readFileBytes(old).size(), length);
    }
    EXPECT_EQ(log(), "");
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
        {"kind 0", {4, 0, 1, 2, 2}, -1, kErrInvalidFormat},
        {"kind 2", {4, 2, 1, 2, 2}, -1, kErrInvalidFormat},
        {"last index 1: no format word", {1, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"last index 2", {2, 1, 1}, -1, kNoErr},
        {"last index negative", {-1, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"word 0 says 5 in 20 bytes", {5, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"word 0 says INT32_MAX", {INT32_MAX, 1, 1, 2, 2}, -1, kErrInvalidFormat},
        {"fork of 3 bytes", {4, 1, 1, 2, 2}, 3, kErrInvalidFormat},
        {"fork of 7 bytes", {4, 1, 1, 2, 2}, 7, kErrInvalidFormat},
        {"bytes after the counted words", {4, 1, 1, 2, 2, 0}, 24, kNoErr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(check(makeFile(row.words, row.forkSize)), row.expected);
    }
    EXPECT_EQ(log(), "");
}

TEST_F(CVersionInfoTest, MissingUnopenableAndDamagedContainersAreInvalid) {
    CFileDescriptor noVers(newContainer(dir, "novers.rgr"));
    {
        CVersionInfo info(noVers);
        EXPECT_EQ(join({info.readExistingInfo(), info.checkVersionInfo()}), "1008 1008");
        EXPECT_TRUE(info.words().empty());
        EXPECT_EQ(log(), "");
    }
    CFileDescriptor missing(dir.file("missing.rgr"));
    {
        CVersionInfo info(missing);
        EXPECT_EQ(info.openError(), kErrFileSystem);
        EXPECT_EQ(takeLog(), "CFileDescriptor::open (file system error); "
                             "CRFile::CRFile (file system error); "
                             "CVersionInfo::CVersionInfo (file system error)");
        EXPECT_EQ(join({info.checkVersionInfo(), info.readExistingInfo(),
                        info.writeCurrentVersionInfo()}),
                  "1008 1008 1008");
        EXPECT_EQ(log(), ""); // reported once
    }
    EXPECT_EQ(dir.names().size(), 1u); // nothing made at the missing path

    const std::string damaged = dir.file("damaged.rgr");
    writeFileBytes(damaged, Bytes(24, 0)); // containerVersion 0
    CFileDescriptor fd(damaged);
    CVersionInfo info(fd);
    EXPECT_EQ(info.openError(), kErrBadContainerVersion);
    EXPECT_FALSE(fd.isOpenNow());
    EXPECT_EQ(reports().back(), "CVersionInfo::CVersionInfo (-105)");
    EXPECT_EQ(join({info.checkVersionInfo(), info.writeCurrentVersionInfo()}), "1008 1008");
    EXPECT_EQ(readFileBytes(damaged), Bytes(24, 0));
}

// Fails the 1st, 2nd, ... write of a new header until one succeeds; each failure is reported.
TEST_F(CVersionInfoTest, EveryFailedWriteIsReportedAndAShortHeaderIsNotRewritten) {
    const std::string failed = "CVersionInfo::writeCurrentVersionInfo (file system error)";
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
        EXPECT_EQ(reports().back(), failed);
    }
    CFileDescriptor existing(makeFile({4, 1, 1, 2, 2}));
    CVersionInfo info(existing);
    CFileDescriptor::failNthWriteFromNow(1);
    EXPECT_EQ(info.writeCurrentVersionInfo(), kErrFileSystem);
    EXPECT_EQ(reports().back(), failed);

    CFileDescriptor shortFd(makeFile({2, 1, 1}));
    CVersionInfo shortInfo(shortFd);
    EXPECT_EQ(shortInfo.checkVersionInfo(), kNoErr);
    EXPECT_EQ(shortInfo.writeCurrentVersionInfo(), kErrInvalidFormat);
    EXPECT_EQ(reports().back(), "CVersionInfo::writeCurrentVersionInfo (1008)");

    // The words held are counted while held.
    CRMemory& memory = CRMemory::shared();
    const int64_t objects = memory.live(kKindCVersionInfo),
                  words = memory.live(kTagVersionWordsRead);
    {
        CVersionInfo counted(existing);
        EXPECT_EQ(memory.live(kKindCVersionInfo), objects + 1);
        ASSERT_TRUE(all(kNoErr, {counted.checkVersionInfo(), counted.checkVersionInfo()}));
        EXPECT_EQ(memory.live(kTagVersionWordsRead), words + 1);
    }
    EXPECT_EQ(std::make_pair(memory.live(kKindCVersionInfo), memory.live(kTagVersionWordsRead)),
              std::make_pair(objects, words));
}
