#include "app/DocumentFiles.h"

#include "base/CRepeatedReports.h"
#include "base/ErrorReporter.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "storage/CVersionInfo.h"
#include "storage/PlatformFiles.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Beside the target, so that the final rename stays within one file system.
std::string sidePathFor(const std::string& path) {
    const fs::path target = fs::u8path(path);
    fs::path side =
        target.parent_path() / fs::u8path("." + target.filename().u8string() + ".saving");
    return side.u8string();
}

// Copies the old file's bytes into the new, empty side file.
RErr copyFileContents(CFileDescriptor& from, CFileDescriptor& to) {
    constexpr int32_t kChunk = 1 << 20;
    int32_t length = 0;
    RErr err = from.open();
    if (!err)
        err = from.getEOF(length);
    if (!err)
        err = to.open();
    std::vector<unsigned char> buffer;
    for (int32_t done = 0; !err && done < length;) {
        const int32_t count = std::min(kChunk, length - done);
        buffer.resize(static_cast<std::size_t>(count));
        err = from.read(buffer.data(), count);
        if (!err)
            err = to.write(buffer.data(), count);
        done += count;
    }
    if (from.isOpenNow()) {
        const RErr closeErr = from.close();
        if (!err)
            err = closeErr;
    }
    if (to.isOpenNow()) {
        const RErr closeErr = to.close();
        if (!err)
            err = closeErr;
    }
    return err;
}

bool isReadOnly(const std::string& path) {
    std::error_code error;
    const fs::perms permissions = fs::status(fs::u8path(path), error).permissions();
    return !error && (permissions & fs::perms::owner_write) == fs::perms::none;
}

RErr flushFileToDisk(CFileDescriptor& file) {
    RErr err = file.open();
    if (!err)
        err = file.flushToDisk();
    if (file.isOpenNow()) {
        const RErr closeErr = file.close();
        if (!err)
            err = closeErr;
    }
    return err;
}

} // namespace

RErr loadDatabaseFile(CFileDescriptor& file, std::unique_ptr<CTree>& tree) {
    tree.reset();
    RErr err = kNoErr;
    {
        CVersionInfo version(file);
        err = version.checkVersionInfo();
    }
    if (err)
        return err;
    // A damaged file tends to fail the same way in record after record: each report once.
    const CRepeatedReports repeats;
    try {
        auto loaded = std::make_unique<CTree>();
        err = loaded->createTree(false);
        if (!err)
            err = loaded->doLoad(file);
        if (!err)
            tree = std::move(loaded);
        // A fork the file lacks is damage like any other.
        if (err == kErrNoSuchFork)
            err = kErrInvalidFormat;
    } catch (const std::bad_alloc&) {
        // The half-read database goes with the exception; nothing else has changed.
        err = reportError("loadDatabaseFile: not enough memory to open the file", kErrMallocFailed);
    }
    return err;
}

RErr saveDatabaseFile(CTree& tree, CFileDescriptor& file) {
    RErr err = tree.doSave(file);
    if (!err) {
        CVersionInfo version(file);
        err = version.writeCurrentVersionInfo();
    }
    return err;
}

RErr saveDatabaseFileSafely(CTree& tree, CFileDescriptor& file, bool keepOtherForks) {
    static const char* const name = "saveDatabaseFileSafely";
    const std::string sidePath = sidePathFor(file.path());
    std::error_code error;
    fs::remove(fs::u8path(sidePath), error); // a side file left by an earlier crash
    CFileDescriptor side(sidePath);
    bool oldExists = false;
    RErr err = file.exists(oldExists);
    // A read-only file is not replaced, on Linux (where renaming over it would succeed) as
    // on Windows (where it fails): its owner said it must not change.
    if (!err && oldExists && isReadOnly(file.path()))
        err = reportError(name, kErrFileSystem);
    if (!err && oldExists && keepOtherForks)
        err = side.create();
    if (!err && oldExists && keepOtherForks)
        err = copyFileContents(file, side);
    if (!err)
        err = saveDatabaseFile(tree, side);
    if (!err)
        err = flushFileToDisk(side);
    if (!err && oldExists) {
        // The new file keeps the old one's permissions.
        const fs::perms permissions = fs::status(fs::u8path(file.path()), error).permissions();
        if (!error)
            fs::permissions(fs::u8path(sidePath), permissions, error);
    }
    if (!err && replaceFileAtomically(sidePath, file.path()))
        err = reportError(name, kErrFileSystem);
    if (err)
        fs::remove(fs::u8path(sidePath), error);
    return err;
}

std::string versionMessage(RErr code) {
    switch (code) {
    case kErrInvalidFormat:
        return "The file cannot be opened, because it is in an invalid format.";
    case kErrOlderVersion:
        return "This file was created by an older version of Ramex and cannot be read.";
    case kErrNewerVersion:
        return "This file was created by a more recent version of Ramex and cannot be read.";
    case kErrMallocFailed:
        return "There is not enough memory to open the file.";
    default:
        return "";
    }
}
