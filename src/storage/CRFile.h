#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"

#include <cstdint>
#include <vector>

class CFileDescriptor;

// A fork type: four characters, the first in the most significant byte.
using RForkType = uint32_t;

constexpr RForkType makeForkType(const char (&chars)[5]) {
    return (static_cast<RForkType>(static_cast<unsigned char>(chars[0])) << 24) |
           (static_cast<RForkType>(static_cast<unsigned char>(chars[1])) << 16) |
           (static_cast<RForkType>(static_cast<unsigned char>(chars[2])) << 8) |
           static_cast<RForkType>(static_cast<unsigned char>(chars[3]));
}

constexpr RForkType kForkData = makeForkType("DATA");
constexpr RForkType kForkTablet = makeForkType("Tabl");
constexpr RForkType kForkStrings = makeForkType("Stri");
constexpr RForkType kForkVersion = makeForkType("Vers");

// The forked file container: one file holding named byte streams (forks) one after another,
// followed by the table of contents (FTOC).
//
//   offset            size        content (all integers signed 32-bit big-endian)
//   0                 FTOCOffset  fork data, in table order, without gaps
//   FTOCOffset        4           containerVersion = 1
//   FTOCOffset + 4    4           topForkIndex (forks - 1)
//   FTOCOffset + 8    12 each     entries: forkType, offset, position
//   length - 4        4           FTOCOffset
//
// A fork's size is the distance to the next fork's offset (or to FTOCOffset).
class CRFile {
public:
    static constexpr int32_t kMaxBufferSize = 65536;

    struct FTOCEntry {
        RForkType forkType = 0;
        int32_t offset = 0;
        int32_t position = 0; // cursor relative to the fork's start; negative counts from its end
    };

    // Makes a new file at the descriptor's path an empty container holding one empty 'DATA'
    // fork (24 bytes), and closes it.
    static RErr createCFile(CFileDescriptor& descriptor);

    // Opens the file and reads its table of contents; a damaged table gives -105 or 1008.
    CRFile(CFileDescriptor& descriptor, RErr& err);
    CRFile(const CRFile&) = delete;
    CRFile& operator=(const CRFile&) = delete;
    ~CRFile();

    RErr forkExists(RForkType type, bool& out) const;
    RErr tarniTypeToIndex(RForkType type, int32_t& index) const;
    RErr createFork(RForkType type);
    RErr getForkSize(RForkType type, int32_t& size) const;
    RErr calcEndOfXthFork(int32_t index, int32_t& end) const;
    RErr validatePosition(RForkType type, int32_t position, bool& valid) const;
    RErr setForkPosition(RForkType type, int32_t position);
    RErr getForkPosition(RForkType type, int32_t& position) const;
    // Transfer at the fork's cursor; a transfer cut at the fork's end gives -104, with the
    // number of bytes actually moved in length. Writing never lengthens a fork.
    RErr readFork(RForkType type, int32_t& length, void* buffer);
    RErr writeFork(RForkType type, int32_t& length, const void* buffer);
    RErr readASeriesOfInt32s(RForkType type, int32_t* buffer, int32_t lastIndex);
    RErr writeASeriesOfInt32s(RForkType type, const int32_t* buffer, int32_t lastIndex);
    // Grows or shrinks a fork in place, moving every later byte.
    RErr setForkSize(RForkType type, int32_t newSize);
    RErr flushFTOC();
    RErr physicallyRemoveSegment(int32_t start, int32_t length);
    RErr physicallyInsertSegment(int32_t start, int32_t length);

    int32_t forkCount() const { return static_cast<int32_t>(entries.size()); }
    const FTOCEntry& entry(int32_t index) const { return entries[index]; }
    int32_t ftocOffset() const { return FTOCOffset; }

private:
    RErr readTableOfContents();
    RErr transfer(RForkType type, int32_t& length, void* readBuffer, const void* writeBuffer,
                  const char* name);

    RObjectCounter<kKindCRFile> counter;
    CFileDescriptor& rawFile;
    bool openedHere = false;
    int32_t FTOCOffset = 0;
    int32_t containerVersion = 1;
    std::vector<FTOCEntry> entries;
};
