#include "storage/CVersionInfo.h"

#include "base/ErrorReporter.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"

#include <new>

namespace {

// Words: index of the last word, kind of file, format version, creating and last-writing
// program versions.
constexpr int32_t kLastWordIndex = 4;
constexpr int32_t kWordFormatVersion = 2;
// The check reads words 0 to 2, so a header must have at least three words (the description
// asks for word 0 >= 1; with 1 the format version would be missing).
constexpr int32_t kMinLastWordIndex = 2;
constexpr int32_t kWordLastWriter = 4;

// The words currently held are counted under tag 49 while held.
void countHeldWords(const std::vector<int32_t>& words, bool taking) {
    if (words.empty())
        return;
    if (taking)
        CRMemory::shared().countAllocation(kTagVersionWordsRead);
    else
        CRMemory::shared().countFree(kTagVersionWordsRead);
}

} // namespace

CVersionInfo::CVersionInfo(CFileDescriptor& descriptor) : theFileDescriptor(descriptor) {
    RErr err = kNoErr;
    try {
        theCRFile = std::make_unique<CRFile>(theFileDescriptor, err);
    } catch (const std::bad_alloc&) {
        err = kErrMallocFailed;
    }
    if (err) {
        // The container closed the file again if it had opened it; from now on every call
        // treats the file as being in an invalid format.
        theCRFile.reset();
        openErr = err;
        bug("CVersionInfo::CVersionInfo", err);
    }
}

CVersionInfo::~CVersionInfo() {
    countHeldWords(versionFields, false);
    versionFields.clear();
    theCRFile.reset(); // closes the container
}

RErr CVersionInfo::readExistingInfo() {
    static const char* const name = "CVersionInfo::readExistingInfo";
    // Memory running out while the container was opened says nothing about the file.
    if (!theCRFile)
        return openErr == kErrMallocFailed ? kErrMallocFailed : kErrInvalidFormat;
    bool present = false;
    theCRFile->forkExists(kForkVersion, present);
    if (!present)
        return kErrInvalidFormat;

    // The fork is untrusted: its first word sizes the rest, so check it against the fork.
    int32_t forkSize = 0;
    int32_t lastIndex = 0;
    RErr err = theCRFile->getForkSize(kForkVersion, forkSize);
    if (err)
        return reportError(name, err);
    if (forkSize < 4)
        return kErrInvalidFormat;
    err = theCRFile->setForkPosition(kForkVersion, 0);
    if (!err)
        err = theCRFile->readASeriesOfInt32s(kForkVersion, &lastIndex, 0);
    if (err)
        return reportError(name, err);
    if (lastIndex < 0 || (static_cast<int64_t>(lastIndex) + 1) * 4 > forkSize)
        return kErrInvalidFormat;

    std::vector<int32_t> words;
    try {
        words.resize(static_cast<std::size_t>(lastIndex) + 1);
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    err = theCRFile->setForkPosition(kForkVersion, 0);
    if (!err)
        err = theCRFile->readASeriesOfInt32s(kForkVersion, words.data(), lastIndex);
    if (err)
        return reportError(name, err);
    countHeldWords(versionFields, false);
    versionFields = std::move(words);
    countHeldWords(versionFields, true);
    return kNoErr;
}

RErr CVersionInfo::checkVersionInfo() {
    RErr err = readExistingInfo();
    if (err == kErrInvalidFormat)
        return err;
    if (err)
        return reportError("CVersionInfo::checkVersionInfo", err);
    // Words 0 to 2 are needed for the test: fewer words make an invalid header.
    if (versionFields[0] < kMinLastWordIndex || versionFields[1] != kFileKind)
        return kErrInvalidFormat;
    if (versionFields[kWordFormatVersion] < kFormatVersion)
        return kErrOlderVersion;
    if (versionFields[kWordFormatVersion] > kFormatVersion)
        return kErrNewerVersion;
    return kNoErr;
}

RErr CVersionInfo::writeCurrentVersionInfo() {
    static const char* const name = "CVersionInfo::writeCurrentVersionInfo";
    if (!theCRFile)
        return kErrInvalidFormat;
    bool present = false;
    theCRFile->forkExists(kForkVersion, present);

    RErr err = kNoErr;
    std::vector<int32_t> words;
    if (present) {
        // Keep what the file says (word 3, the creating program) and sign it as last writer.
        err = readExistingInfo();
        if (!err && versionFields.size() <= static_cast<std::size_t>(kLastWordIndex))
            err = kErrInvalidFormat;
        if (!err) {
            words = versionFields;
            words[kWordLastWriter] = kProgramVersion;
            err = theCRFile->setForkPosition(kForkVersion, 0);
        }
    } else {
        RCountedBuffer<kTagVersionWordsWritten> counted;
        words = {kLastWordIndex, kFileKind, kFormatVersion, kProgramVersion, kProgramVersion};
        err = theCRFile->createFork(kForkVersion);
        if (!err)
            err = theCRFile->setForkSize(kForkVersion, (kLastWordIndex + 1) * 4);
    }
    if (!err)
        err = theCRFile->writeASeriesOfInt32s(kForkVersion, words.data(), kLastWordIndex);
    if (err)
        return reportError(name, err);
    countHeldWords(versionFields, false);
    versionFields = std::move(words);
    countHeldWords(versionFields, true);
    return kNoErr;
}
