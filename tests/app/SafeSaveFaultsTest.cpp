#include "SaveTestSupport.h"
#include "app/DocumentFiles.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "support/TestSupport.h"
#include "undo/CUndoStructure.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// Another program holding a file open for reading. `exclusive` takes the whole file (Windows'
// share mode 0, the advisory lock on Linux); otherwise it shares reading and writing, and
// renaming only with `shareRenaming` (Linux always lets a name be replaced).
class ForeignHold {
public:
    ForeignHold(const std::string& path, bool exclusive, bool shareRenaming) {
#ifdef _WIN32
        const DWORD share = exclusive ? 0
                                      : FILE_SHARE_READ | FILE_SHARE_WRITE |
                                            (shareRenaming ? FILE_SHARE_DELETE : 0);
        handle = CreateFileW(fs::u8path(path).wstring().c_str(), GENERIC_READ, share, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
#else
        (void)shareRenaming;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        if (exclusive) {
            EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
        }
#endif
    }
    ~ForeignHold() {
#ifdef _WIN32
        CloseHandle(handle);
#else
        ::close(fd);
#endif
    }
    ForeignHold(const ForeignHold&) = delete;
    ForeignHold& operator=(const ForeignHold&) = delete;

    // What the holder reads from the start of the file it holds.
    std::vector<unsigned char> contents() const {
        std::vector<unsigned char> bytes(1 << 20);
#ifdef _WIN32
        OVERLAPPED start{};
        DWORD got = 0;
        if (!ReadFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &got, &start))
            got = 0;
#else
        const ssize_t got = ::pread(fd, bytes.data(), bytes.size(), 0);
#endif
        bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return bytes;
    }

private:
#ifdef _WIN32
    HANDLE handle = INVALID_HANDLE_VALUE;
#else
    int fd = -1;
#endif
};

} // namespace

TEST(SafeSaveUnicode, AGreekOrChineseNamedFileSavesOverItselfAndLoadsBack) {
    RecordingPlatformScope platform;
    TempDir dir;
    auto tree = grammarWithRoots(2);
    const std::string plain = dir.file("plain.rdc");
    ASSERT_EQ(saveTo(*tree, plain, false), kNoErr);
    for (const char* name : {"Συντακτικό δέντρο.rdc", "句法树.rgr"}) {
        const std::string path = dir.file(name);
        ASSERT_EQ(saveTo(*tree, path, false), kNoErr) << name;
        ASSERT_EQ(saveTo(*tree, path, true), kNoErr) << name;
        // The bytes do not depend on the name.
        EXPECT_EQ(readFileBytes(path), readFileBytes(plain)) << name;
        CFileDescriptor file(path);
        std::unique_ptr<CTree> loaded;
        EXPECT_EQ(loadDatabaseFile(file, loaded), kNoErr) << name;
        EXPECT_TRUE(loaded);
    }
    EXPECT_EQ(dir.names().size(), 3u); // no side file left behind
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST(SafeSaveFaults, SavingOverAFileAnotherProgramReadsNeverDisturbsTheReader) {
    RecordingPlatformScope platform;
    TempDir dir;
    const std::string path = dir.file("δέντρα.rdc");
    auto small = grammarWithRoots(0);
    auto large = grammarWithRoots(3);
    ASSERT_EQ(saveTo(*small, path, false), kNoErr);
    const auto old = readFileBytes(path);
    for (bool overItself : {true, false}) {
        ASSERT_EQ(saveTo(*small, path, false), kNoErr);
        ForeignHold reader(path, false, true);
        platform.recorder.clear();
        const RErr err = saveTo(*large, path, overItself);
#ifdef _WIN32
        // Windows (and Wine) may refuse to replace a name that is open, even when the reader
        // shares renaming: then the save fails and the old file stays whole.
        if (err) {
            EXPECT_EQ(err, kErrFileSystem);
            EXPECT_EQ(readFileBytes(path), old);
            EXPECT_EQ(platform.recorder.bugReports(),
                      std::vector<std::string>{"saveDatabaseFileSafely (file system error)"});
        } else {
            EXPECT_NE(readFileBytes(path), old);
        }
#else
        EXPECT_EQ(err, kNoErr) << overItself;
        EXPECT_NE(readFileBytes(path), old);
        EXPECT_TRUE(platform.recorder.bugReports().empty());
#endif
        EXPECT_EQ(reader.contents(), old);
        EXPECT_EQ(dir.names().size(), 1u);
    }
}

#ifdef _WIN32
TEST(SafeSaveFaults, AReaderThatForbidsRenamingKeepsTheOldFileAndTheSaveFails) {
    TempDir dir;
    const std::string path = dir.file("essay.rdc");
    auto small = grammarWithRoots(0);
    auto large = grammarWithRoots(3);
    ASSERT_EQ(saveTo(*small, path, false), kNoErr);
    const auto old = readFileBytes(path);
    for (bool overItself : {true, false}) {
        RecordingPlatformScope platform;
        ForeignHold reader(path, false, false);
        EXPECT_EQ(saveTo(*large, path, overItself), kErrFileSystem);
        EXPECT_EQ(readFileBytes(path), old);
        EXPECT_EQ(dir.names(), std::vector<std::string>{"essay.rdc"});
        EXPECT_EQ(platform.recorder.bugReports(),
                  std::vector<std::string>{"saveDatabaseFileSafely (file system error)"});
    }
}
#endif

TEST(SafeSaveFaults, AFileLockedByAnotherProgramIsNeitherReadNorDamaged) {
    TempDir dir;
    const std::string path = dir.file("locked.rdc");
    auto small = grammarWithRoots(0);
    auto large = grammarWithRoots(3);
    ASSERT_EQ(saveTo(*small, path, false), kNoErr);
    const auto old = readFileBytes(path);
    ForeignHold holder(path, true, false);
    {
        RecordingPlatformScope platform;
        CFileDescriptor file(path);
        std::unique_ptr<CTree> loaded;
        // The version check cannot open it: reported, then taken as unreadable.
        EXPECT_EQ(loadDatabaseFile(file, loaded), kErrInvalidFormat);
        EXPECT_FALSE(loaded);
        ASSERT_FALSE(platform.recorder.bugReports().empty());
        EXPECT_EQ(platform.recorder.bugReports().front(),
                  "CFileDescriptor::open (file system error)");
    }
    {
        // Saving over itself reads the old file first: the lock refuses that on both systems.
        RecordingPlatformScope platform;
        EXPECT_EQ(saveTo(*large, path, true), kErrFileSystem);
        EXPECT_EQ(platform.recorder.bugReports().front(),
                  "CFileDescriptor::open (file system error)");
        EXPECT_EQ(holder.contents(), old);
        EXPECT_EQ(dir.names(), std::vector<std::string>{"locked.rdc"});
    }
#ifdef _WIN32
    {
        // Replacing it by another document: Windows refuses to rename over the locked file.
        RecordingPlatformScope platform;
        EXPECT_EQ(saveTo(*large, path, false), kErrFileSystem);
        EXPECT_EQ(platform.recorder.bugReports(),
                  std::vector<std::string>{"saveDatabaseFileSafely (file system error)"});
        EXPECT_EQ(holder.contents(), old);
        EXPECT_EQ(dir.names(), std::vector<std::string>{"locked.rdc"});
    }
#endif
}

TEST(SafeSaveFaults, AReadOnlyFileIsRefusedAndKeptAsItWas) {
    TempDir dir;
    const std::string path = dir.file("μόνο-ανάγνωση.rgr");
    auto small = grammarWithRoots(0);
    auto large = grammarWithRoots(3);
    ASSERT_EQ(saveTo(*small, path, false), kNoErr);
    const auto old = readFileBytes(path);
    const fs::perms writable = fs::status(fs::u8path(path)).permissions();
    fs::permissions(fs::u8path(path),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    for (bool overItself : {true, false}) {
        RecordingPlatformScope platform;
        EXPECT_EQ(saveTo(*large, path, overItself), kErrFileSystem) << overItself;
        EXPECT_EQ(platform.recorder.bugReports(),
                  std::vector<std::string>{"saveDatabaseFileSafely (file system error)"});
        EXPECT_EQ(readFileBytes(path), old);
        EXPECT_EQ(dir.names().size(), 1u);
    }
    fs::permissions(fs::u8path(path), writable);
    EXPECT_EQ(saveTo(*large, path, true), kNoErr);
    EXPECT_NE(readFileBytes(path), old);
}

TEST(SafeSaveFaults, ANameTooLongOrForbiddenGivesAnErrorAndNoFile) {
    TempDir dir;
    auto tree = grammarWithRoots(1);
    std::vector<std::string> names = {std::string(300, 'x') + ".rdc",
                                      std::string(250, 'y') + "-δέντρο-句法.rdc"};
#ifdef _WIN32
    // Windows cannot hold these names: a hidden stream, a device, forbidden characters.
    names.insert(names.end(), {"essay.rdc:hidden", "con.rdc", "what?.rdc", "a<b>.rdc", "dot."});
#endif
    for (const std::string& name : names) {
        RecordingPlatformScope platform;
        for (bool overItself : {true, false})
            EXPECT_EQ(saveTo(*tree, dir.file(name), overItself), kErrFileSystem) << name;
        EXPECT_FALSE(platform.recorder.bugReports().empty()) << name;
        EXPECT_TRUE(dir.names().empty()) << name;
    }
}
