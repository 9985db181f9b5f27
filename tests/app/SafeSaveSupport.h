#pragma once

#include "app/DocumentFiles.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "storage/PlatformFiles.h"
#include "support/TestSupport.h"
#include "support/TreeTestSupport.h"
#include "undo/UndoLabels.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

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

// One undoable new tree, so the database is dirty and saves differently.
inline void addRoot(CTree& tree) {
    int32_t root = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return tree.newRoot(root); }), kNoErr);
}

// A new grammar holding `roots` empty trees, each made as one step.
inline std::unique_ptr<CTree> grammarWithRoots(int32_t roots) {
    auto tree = std::make_unique<CTree>();
    EXPECT_EQ(tree->createTree(true), kNoErr);
    for (int32_t i = 0; i < roots; ++i)
        addRoot(*tree);
    return tree;
}

// Saves the way the Save command does, over the file itself or replacing it.
inline RErr saveTo(CTree& tree, const std::string& path, bool overItself) {
    CFileDescriptor file(path);
    return saveDatabaseFileSafely(tree, file, overItself);
}

inline RErr loadFrom(const std::string& path, std::unique_ptr<CTree>& loaded) {
    CFileDescriptor file(path);
    return loadDatabaseFile(file, loaded);
}

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
inline const std::string kSaveFailed = "saveDatabaseFileSafely (file system error)";

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
        handle = CreateFileW(windowsPath(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
#else
        (void)shareRenaming;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        EXPECT_TRUE(!exclusive || ::flock(fd, LOCK_EX | LOCK_NB) == 0);
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
    Bytes contents() const {
        Bytes bytes(1 << 20);
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

// A small grammar saved at `name`, the larger one that later saves try to put over it, and
// the bytes of the old file.
struct SavedFile {
    explicit SavedFile(const std::string& name) : path(dir.file(name)) {
        EXPECT_EQ(saveTo(*small, path, false), kNoErr);
        old = readFileBytes(path);
    }
    // A save that must fail, leaving the old file (as `reader` sees it) and nothing beside it;
    // the first report is `report`.
    void expectRefused(bool overItself, const std::string& report, const ForeignHold* reader) {
        RecordingPlatformScope platform;
        EXPECT_EQ(saveTo(*large, path, overItself), kErrFileSystem) << overItself;
        const std::vector<std::string> got = platform.recorder.bugReports();
        EXPECT_EQ(got.empty() ? "" : got[0], report);
        EXPECT_EQ(reader ? reader->contents() : readFileBytes(path), old);
        EXPECT_EQ(dir.names().size(), 1u);
    }

    TempDir dir;
    std::unique_ptr<CTree> small = grammarWithRoots(0);
    std::unique_ptr<CTree> large = grammarWithRoots(3);
    std::string path;
    Bytes old;
};
