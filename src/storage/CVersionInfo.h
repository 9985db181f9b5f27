#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"

#include <cstdint>
#include <memory>
#include <vector>

class CFileDescriptor;
class CRFile;

// The version header of a grammar or document, in its own 'Vers' fork of five big-endian
// integers: index of the last word (4), kind of file (1), data format version (1),
// version of the program that created the file (2), that last wrote it (2).
class CVersionInfo {
public:
    static constexpr int32_t kFileKind = 1;
    static constexpr int32_t kFormatVersion = 1;
    static constexpr int32_t kProgramVersion = 2;

    // Opens the container; a failure is reported here and every later call gives 1008.
    explicit CVersionInfo(CFileDescriptor& descriptor);
    CVersionInfo(const CVersionInfo&) = delete;
    CVersionInfo& operator=(const CVersionInfo&) = delete;
    ~CVersionInfo();

    RErr readExistingInfo();
    // 1008 invalid format, 1009 older, 1010 newer: returned without a report.
    RErr checkVersionInfo();
    RErr writeCurrentVersionInfo();

    const std::vector<int32_t>& words() const { return versionFields; }
    RErr openError() const { return openErr; }

private:
    RObjectCounter<kKindCVersionInfo> counter;
    CFileDescriptor& theFileDescriptor;
    std::unique_ptr<CRFile> theCRFile;
    RErr openErr = kNoErr;
    std::vector<int32_t> versionFields;
};
