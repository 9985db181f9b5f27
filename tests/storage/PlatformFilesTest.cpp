#include "storage/PlatformFiles.h"
#include "storage/CFileDescriptor.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

} // namespace

TEST(WindowsFileNames, ForbiddenCharactersDevicesAndTrailingDotsAreRefused) {
    for (const char* allowed : {"essay.rdc", "δοκιμή.rgr", "语法.rgr", ".essay.rdc.saving",
                                "console.rdc", "COM0.rdc", "LPT10", "a b.rdc", "x..rdc"})
        EXPECT_TRUE(isAllowedWindowsFileName(allowed)) << allowed;
    for (const char* refused :
         {"",          ".",       "..",       "a<b.rdc", "a>b.rdc",  "a:b.rdc",
          "a\"b.rdc",  "a|b.rdc", "a?b.rdc",  "a*b.rdc", "a\\b.rdc", "a/b.rdc",
          "tab\t.rdc", "essay.",  "essay ",   "CON",     "con.rdc",  "Nul.tar.gz",
          "aux .rdc",  "PRN.rgr", "com1.rdc", "LPT9"})
        EXPECT_FALSE(isAllowedWindowsFileName(refused)) << refused;
}

TEST(PlatformFiles, ReplacingPutsTheNewFileInPlaceAndAFailureLeavesTheTargetAlone) {
    TempDir dir;
    const std::string target = dir.file("target.rdc");
    const std::string source = dir.file("source.rdc");
    writeFileBytes(target, {1, 2, 3});
    writeFileBytes(source, {4, 5});
    EXPECT_EQ(replaceFileAtomically(source, target), kNoErr);
    EXPECT_EQ(readFileBytes(target), (std::vector<unsigned char>{4, 5}));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"target.rdc"});

    // Replacing a file that is not there yet names the new one.
    writeFileBytes(source, {6});
    const std::string fresh = dir.file("νέο.rdc");
    EXPECT_EQ(replaceFileAtomically(source, fresh), kNoErr);
    EXPECT_EQ(readFileBytes(fresh), std::vector<unsigned char>{6});

    EXPECT_EQ(replaceFileAtomically(dir.file("missing"), target), kErrFileSystem);
    EXPECT_EQ(replaceFileAtomically(source, target), kErrFileSystem); // moved away above
    EXPECT_EQ(replaceFileAtomically("", target), kErrFileSystem);
    EXPECT_EQ(readFileBytes(target), (std::vector<unsigned char>{4, 5}));
}

TEST(PlatformFiles, GreekAndChineseNamesOpenReadAndWrite) {
    RecordingPlatformScope platform;
    TempDir dir;
    for (const char* name : {"Σύνταξη δέντρων.rdc", "句法树.rgr", "mixed-ελληνικά-中文.rdc"}) {
        const std::string path = dir.file(name);
        CFileDescriptor file(path);
        ASSERT_EQ(file.create(), kNoErr) << name;
        bool exists = false;
        ASSERT_EQ(file.exists(exists), kNoErr);
        EXPECT_TRUE(exists) << name;
        ASSERT_EQ(file.open(), kNoErr) << name;
        const int32_t values[] = {0x01020304, -2};
        ASSERT_EQ(file.writeASeriesOfInt32s(values, 1), kNoErr);
        ASSERT_EQ(file.flushToDisk(), kNoErr);
        ASSERT_EQ(file.close(), kNoErr);
        // The name on the disk is the name given, and so are the bytes.
        EXPECT_EQ(readFileBytes(path),
                  (std::vector<unsigned char>{1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0xFE}));
        ASSERT_EQ(file.open(), kNoErr);
        int32_t back[2] = {};
        ASSERT_EQ(file.readASeriesOfInt32s(back, 1), kNoErr);
        EXPECT_EQ(back[0], 0x01020304);
        EXPECT_EQ(back[1], -2);
        ASSERT_EQ(file.close(), kNoErr);
    }
    auto names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"mixed-ελληνικά-中文.rdc", "Σύνταξη δέντρων.rdc",
                                               "句法树.rgr"}));
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST(PlatformFiles, AnOpenFileCanBeReadByOthersButNotOpenedAgain) {
    RecordingPlatformScope platform;
    TempDir dir;
    const std::string path = dir.file("λεξικό.rgr");
    writeFileBytes(path, {9, 8, 7});
    CFileDescriptor first(path);
    ASSERT_EQ(first.open(), kNoErr);
    EXPECT_EQ(readFileBytes(path), (std::vector<unsigned char>{9, 8, 7}));
    CFileDescriptor second(path);
    EXPECT_EQ(second.open(), kErrFileSystem);
    ASSERT_EQ(first.close(), kNoErr);
    EXPECT_EQ(second.open(), kNoErr);
    EXPECT_EQ(second.close(), kNoErr);
    EXPECT_EQ(platform.recorder.bugReports(),
              std::vector<std::string>{"CFileDescriptor::open (file system error)"});
}

TEST(PlatformFiles, ANameTooLongForAnyFileSystemFailsCleanly) {
    RecordingPlatformScope platform;
    TempDir dir;
    const std::string path = dir.file(std::string(300, 'a') + ".rdc");
    CFileDescriptor file(path);
    EXPECT_EQ(file.create(), kErrFileSystem);
    EXPECT_EQ(file.open(), kErrFileSystem);
    EXPECT_FALSE(file.isOpenNow());
    EXPECT_TRUE(dir.names().empty());
    EXPECT_EQ(platform.recorder.bugReports().size(), 3u);
}

TEST(PlatformFiles, ADeepPathBeyondTheOldWindowsLimitStillWorks) {
    RecordingPlatformScope platform;
    TempDir dir;
    fs::path folder = dir.path();
    for (int level = 0; level < 6; ++level)
        folder /= fs::u8path(std::string(50, static_cast<char>('a' + level)));
    fs::create_directories(folder);
    const std::string path = (folder / fs::u8path("δέντρο.rdc")).u8string();
    ASSERT_GT(path.size(), 300u);
    CFileDescriptor file(path);
    ASSERT_EQ(file.create(), kNoErr);
    ASSERT_EQ(file.open(), kNoErr);
    ASSERT_EQ(file.write("abc", 3), kNoErr);
    int32_t length = 0;
    ASSERT_EQ(file.getEOF(length), kNoErr);
    EXPECT_EQ(length, 3);
    ASSERT_EQ(file.close(), kNoErr);
    const std::string moved = (folder / fs::u8path("moved.rdc")).u8string();
    EXPECT_EQ(replaceFileAtomically(path, moved), kNoErr);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

#ifdef _WIN32
TEST(PlatformFiles, NamesWindowsForbidsNeverReachTheDisk) {
    RecordingPlatformScope platform;
    TempDir dir;
    const std::string existing = dir.file("essay");
    writeFileBytes(existing, {1});
    // "essay:x" would otherwise write a hidden stream of "essay"; "con.rdc" the console.
    for (const char* name : {"essay:x", "a?b.rdc", "a*b.rdc", "con.rdc", "trailing."}) {
        CFileDescriptor file(dir.file(name));
        EXPECT_EQ(file.create(), kErrFileSystem) << name;
        EXPECT_EQ(file.open(), kErrFileSystem) << name;
    }
    EXPECT_EQ(dir.names(), std::vector<std::string>{"essay"});
    EXPECT_EQ(readFileBytes(existing), std::vector<unsigned char>{1});
}
#endif
