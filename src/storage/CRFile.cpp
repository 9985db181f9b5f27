#include "storage/CRFile.h"

#include "base/ErrorReporter.h"
#include "storage/CFileDescriptor.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int64_t kMaxFileLength = std::numeric_limits<int32_t>::max();
constexpr int32_t kContainerVersion = 1;
constexpr int64_t kHeaderBytes = 8;  // containerVersion, topForkIndex
constexpr int64_t kEntryBytes = 12;  // forkType, offset, position
constexpr int64_t kTrailerBytes = 4; // FTOCOffset in the last four bytes

int64_t tableBytes(int64_t entryCount) {
    return kHeaderBytes + kEntryBytes * entryCount + kTrailerBytes;
}

} // namespace

// ---- A new container ----------------------------------------------------------------------

RErr CRFile::createCFile(CFileDescriptor& descriptor) {
    static const char* const name = "CRFile::createCFile";
    // Header {1, 0}, entry 0 {'DATA', 0, 0}, FTOCOffset 0: 24 bytes.
    const int32_t image[6] = {kContainerVersion, 0, static_cast<int32_t>(kForkData), 0, 0, 0};
    RErr err = descriptor.create();
    if (!err)
        err = descriptor.open();
    if (err)
        return reportError(name, err);
    err = descriptor.setPosition(0);
    if (!err)
        err = descriptor.writeASeriesOfInt32s(image, 5);
    const RErr closeErr = descriptor.close();
    if (!err)
        err = closeErr;
    if (err)
        return reportError(name, err);
    return kNoErr;
}

// ---- Opening: the table of contents is untrusted input --------------------------------------

CRFile::CRFile(CFileDescriptor& descriptor, RErr& err) : rawFile(descriptor) {
    err = kNoErr;
    if (!rawFile.isOpenNow()) {
        err = rawFile.open();
        if (!err)
            openedHere = true;
    }
    if (!err)
        err = readTableOfContents();
    if (err) {
        bug("CRFile::CRFile", err);
        if (openedHere) {
            rawFile.close();
            openedHere = false;
        }
    }
}

CRFile::~CRFile() {
    if (!entries.empty()) {
        CRMemory::shared().countFree(kTagContainerHeader);
        CRMemory::shared().countFree(kTagContainerEntries);
    }
    if (openedHere && rawFile.isOpenNow())
        rawFile.close();
}

RErr CRFile::readTableOfContents() {
    // Every number is checked before it is used to seek or to size anything, so a damaged or
    // hostile file gives a code, never a big allocation or a read outside the file.
    int32_t length = 0;
    RErr err = rawFile.getEOF(length);
    if (err)
        return err;
    if (length < kHeaderBytes + kTrailerBytes)
        return kErrInvalidFormat;

    int32_t offsetWord = 0;
    err = rawFile.setPosition(length - 4);
    if (!err)
        err = rawFile.readASeriesOfInt32s(&offsetWord, 0);
    if (err)
        return err;
    const int64_t tocOffset = offsetWord;
    if (tocOffset < 0 || tocOffset > length - (kHeaderBytes + kTrailerBytes))
        return kErrInvalidFormat;

    int32_t header[2] = {0, 0};
    err = rawFile.setPosition(offsetWord);
    if (!err)
        err = rawFile.readASeriesOfInt32s(header, 1);
    if (err)
        return err;
    if (header[0] != kContainerVersion)
        return kErrBadContainerVersion;
    const int64_t topForkIndex = header[1];
    if (topForkIndex < 0)
        return kErrInvalidFormat;
    // The table must fill the rest of the file exactly; this also bounds the entry count by
    // the file's length before anything is allocated.
    if (tocOffset + tableBytes(topForkIndex + 1) != length)
        return kErrInvalidFormat;

    const int64_t entryCount = topForkIndex + 1;
    std::vector<int32_t> words;
    std::vector<FTOCEntry> table;
    try {
        words.resize(static_cast<std::size_t>(entryCount * 3));
        table.resize(static_cast<std::size_t>(entryCount));
    } catch (const std::bad_alloc&) {
        return kErrMallocFailed;
    }
    err = rawFile.readASeriesOfInt32s(words.data(), static_cast<int32_t>(entryCount * 3 - 1));
    if (err)
        return err;
    int64_t previous = 0;
    for (int64_t i = 0; i < entryCount; ++i) {
        FTOCEntry& e = table[static_cast<std::size_t>(i)];
        e.forkType = static_cast<RForkType>(words[static_cast<std::size_t>(3 * i)]);
        e.offset = words[static_cast<std::size_t>(3 * i + 1)];
        e.position = 0; // the stored cursors are ignored: every fork starts at 0
        if (e.offset < previous || e.offset > tocOffset)
            return kErrInvalidFormat;
        previous = e.offset;
    }

    containerVersion = header[0];
    FTOCOffset = offsetWord;
    entries = std::move(table);
    CRMemory::shared().countAllocation(kTagContainerHeader);
    CRMemory::shared().countAllocation(kTagContainerEntries);
    return kNoErr;
}

// ---- The table ----------------------------------------------------------------------------

RErr CRFile::forkExists(RForkType type, bool& out) const {
    out = std::any_of(entries.begin(), entries.end(),
                      [type](const FTOCEntry& e) { return e.forkType == type; });
    return kNoErr;
}

RErr CRFile::tarniTypeToIndex(RForkType type, int32_t& index) const {
    const int32_t count = forkCount();
    for (int32_t i = 0; i < count; ++i) {
        if (entries[static_cast<std::size_t>(i)].forkType == type) {
            index = i;
            return kNoErr;
        }
    }
    index = -1;
    return reportError("CRFile::tarniTypeToIndex", kErrNoSuchFork);
}

RErr CRFile::calcEndOfXthFork(int32_t index, int32_t& end) const {
    end = 0;
    if (index < 0 || index >= forkCount())
        return reportError("CRFile::calcEndOfXthFork", kErrInvalidParameter);
    end =
        index + 1 < forkCount() ? entries[static_cast<std::size_t>(index) + 1].offset : FTOCOffset;
    return kNoErr;
}

RErr CRFile::getForkSize(RForkType type, int32_t& size) const {
    size = 0;
    int32_t index = 0;
    int32_t end = 0;
    RErr err = tarniTypeToIndex(type, index);
    if (!err)
        err = calcEndOfXthFork(index, end);
    if (err)
        return reportError("CRFile::getForkSize", err);
    size = end - entries[static_cast<std::size_t>(index)].offset;
    return kNoErr;
}

RErr CRFile::validatePosition(RForkType type, int32_t position, bool& valid) const {
    valid = false;
    int32_t size = 0;
    RErr err = getForkSize(type, size);
    if (err)
        return reportError("CRFile::validatePosition", err);
    valid = position >= -size && position <= size;
    return kNoErr;
}

RErr CRFile::setForkPosition(RForkType type, int32_t position) {
    bool valid = false;
    int32_t index = 0;
    RErr err = validatePosition(type, position, valid);
    if (!err && !valid)
        err = kErrOutsideFork;
    if (!err)
        err = tarniTypeToIndex(type, index);
    if (err)
        return reportError("CRFile::setForkPosition", err);
    entries[static_cast<std::size_t>(index)].position = position;
    return kNoErr;
}

RErr CRFile::getForkPosition(RForkType type, int32_t& position) const {
    position = 0;
    int32_t index = 0;
    RErr err = tarniTypeToIndex(type, index);
    if (err)
        return reportError("CRFile::getForkPosition", err);
    position = entries[static_cast<std::size_t>(index)].position;
    return kNoErr;
}

RErr CRFile::createFork(RForkType type) {
    static const char* const name = "CRFile::createFork";
    if (entries.empty())
        return reportError(name, kErrNotInitialized);
    bool present = false;
    forkExists(type, present);
    if (present)
        return reportError(name, kErrForkExists);
    if (FTOCOffset + tableBytes(forkCount() + 1) > kMaxFileLength)
        return reportError(name, kErrInvalidParameter);
    try {
        entries.push_back(FTOCEntry{type, FTOCOffset, 0});
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    RErr err = flushFTOC(); // lengthens the file by 12 bytes and writes the new table
    if (err) {
        entries.pop_back();
        return reportError(name, err);
    }
    return kNoErr;
}

// ---- Transfers ----------------------------------------------------------------------------

RErr CRFile::transfer(RForkType type, int32_t& length, void* readBuffer, const void* writeBuffer,
                      const char* name) {
    const int32_t requested = length;
    length = 0;
    if (requested < 0 || (requested > 0 && !readBuffer && !writeBuffer))
        return reportError(name, kErrInvalidParameter);

    // The fork, its size and its cursor, straight from the table (no file call).
    const int32_t count = forkCount();
    int32_t index = 0;
    while (index < count && entries[static_cast<std::size_t>(index)].forkType != type)
        ++index;
    if (index == count) {
        bug("CRFile::tarniTypeToIndex", kErrNoSuchFork);
        return reportError(name, kErrNoSuchFork);
    }
    FTOCEntry& e = entries[static_cast<std::size_t>(index)];
    const int64_t end =
        index + 1 < count ? entries[static_cast<std::size_t>(index) + 1].offset : FTOCOffset;
    const int64_t size = end - e.offset;
    int64_t start = e.position;
    if (start < 0)
        start += size;
    if (start < 0 || start > size)
        return reportError(name, kErrOutsideFork);

    int64_t n = requested;
    bool cut = false;
    if (start + n > size) {
        n = size - start;
        cut = true;
    }
    if (n > 0) {
        RErr err = rawFile.setPosition(static_cast<int32_t>(e.offset + start));
        if (!err)
            err = readBuffer ? rawFile.read(readBuffer, static_cast<int32_t>(n))
                             : rawFile.write(writeBuffer, static_cast<int32_t>(n));
        if (err)
            return reportError(name, err);
    }
    // The cursor advances by what moved; it is kept as an offset from the fork's start.
    e.position = static_cast<int32_t>(start + n);
    length = static_cast<int32_t>(n);
    if (cut)
        return reportError(name, kErrOutsideFork);
    return kNoErr;
}

RErr CRFile::readFork(RForkType type, int32_t& length, void* buffer) {
    // Strings are read one byte at a time, so the common case (the fork found, the cursor at
    // or after its start, the whole request inside it) goes straight to the descriptor's
    // read-ahead buffer. Everything else takes the general path.
    const std::size_t count = entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        FTOCEntry& e = entries[i];
        if (e.forkType != type)
            continue;
        const int32_t end = i + 1 < count ? entries[i + 1].offset : FTOCOffset;
        const int32_t n = length;
        // The table keeps 0 <= offset <= end and 0 <= cursor <= size: nothing here overflows.
        if (n > 0 && buffer && e.position >= 0 && n <= end - e.offset - e.position) {
            RErr err = rawFile.setPosition(e.offset + e.position);
            if (!err)
                err = rawFile.read(buffer, n);
            if (err) {
                length = 0;
                return reportError("CRFile::readFork", err);
            }
            e.position += n;
            return kNoErr;
        }
        break;
    }
    return transfer(type, length, buffer, nullptr, "CRFile::readFork");
}

RErr CRFile::writeFork(RForkType type, int32_t& length, const void* buffer) {
    return transfer(type, length, nullptr, buffer, "CRFile::writeFork");
}

RErr CRFile::readASeriesOfInt32s(RForkType type, int32_t* buffer, int32_t lastIndex) {
    static const char* const name = "CRFile::readASeriesOfInt32s";
    const int64_t count = static_cast<int64_t>(lastIndex) + 1;
    if (count < 0 || count * 4 > kMaxFileLength || (count > 0 && !buffer))
        return reportError(name, kErrInvalidParameter);
    RCountedBuffer<kTagIntSeriesRead> counted;
    // The bytes land in the caller's buffer and are turned into integers in place.
    int32_t length = static_cast<int32_t>(count * 4);
    const RErr err = readFork(type, length, buffer);
    auto* bytes = reinterpret_cast<unsigned char*>(buffer);
    for (int32_t i = 0; i < length / 4; ++i) {
        const uint32_t u = (static_cast<uint32_t>(bytes[4 * i]) << 24) |
                           (static_cast<uint32_t>(bytes[4 * i + 1]) << 16) |
                           (static_cast<uint32_t>(bytes[4 * i + 2]) << 8) |
                           static_cast<uint32_t>(bytes[4 * i + 3]);
        buffer[i] = static_cast<int32_t>(u);
    }
    if (err)
        return reportError(name, err);
    return kNoErr;
}

RErr CRFile::writeASeriesOfInt32s(RForkType type, const int32_t* buffer, int32_t lastIndex) {
    static const char* const name = "CRFile::writeASeriesOfInt32s";
    const int64_t count = static_cast<int64_t>(lastIndex) + 1;
    if (count < 0 || count * 4 > kMaxFileLength || (count > 0 && !buffer))
        return reportError(name, kErrInvalidParameter);
    RCountedBuffer<kTagIntSeriesWritten> counted;
    std::vector<unsigned char> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(count * 4));
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    for (int64_t i = 0; i < count; ++i) {
        const auto u = static_cast<uint32_t>(buffer[i]);
        bytes[static_cast<std::size_t>(4 * i)] = static_cast<unsigned char>(u >> 24);
        bytes[static_cast<std::size_t>(4 * i + 1)] = static_cast<unsigned char>(u >> 16);
        bytes[static_cast<std::size_t>(4 * i + 2)] = static_cast<unsigned char>(u >> 8);
        bytes[static_cast<std::size_t>(4 * i + 3)] = static_cast<unsigned char>(u);
    }
    int32_t length = static_cast<int32_t>(count * 4);
    const RErr err = writeFork(type, length, bytes.data());
    if (err)
        return reportError(name, err);
    return kNoErr;
}

// ---- Resizing -----------------------------------------------------------------------------

RErr CRFile::setForkSize(RForkType type, int32_t newSize) {
    static const char* const name = "CRFile::setForkSize";
    if (entries.empty())
        return reportError(name, kErrNotInitialized);
    if (newSize < 0)
        return reportError(name, kErrInvalidParameter);
    int32_t index = 0;
    int32_t end = 0;
    RErr err = tarniTypeToIndex(type, index);
    if (!err)
        err = calcEndOfXthFork(index, end);
    if (err)
        return reportError(name, err);
    FTOCEntry& e = entries[static_cast<std::size_t>(index)];
    const int32_t oldSize = end - e.offset;
    if (newSize == oldSize)
        return kNoErr;
    const int64_t difference = static_cast<int64_t>(newSize) - oldSize;
    // The format's offsets are 32-bit: refuse growth past 2^31 - 1 bytes.
    if (FTOCOffset + difference + tableBytes(forkCount()) > kMaxFileLength)
        return reportError(name, kErrInvalidParameter);

    if (difference < 0)
        err = physicallyRemoveSegment(e.offset + newSize, static_cast<int32_t>(-difference));
    else
        err = physicallyInsertSegment(end, static_cast<int32_t>(difference));
    if (err)
        return reportError(name, err);

    for (std::size_t i = static_cast<std::size_t>(index) + 1; i < entries.size(); ++i)
        entries[i].offset = static_cast<int32_t>(entries[i].offset + difference);
    FTOCOffset = static_cast<int32_t>(FTOCOffset + difference);
    if (e.position < -newSize || e.position > newSize)
        e.position = 0;

    err = flushFTOC();
    if (err)
        return reportError(name, err);
    return kNoErr;
}

RErr CRFile::flushFTOC() {
    static const char* const name = "CRFile::flushFTOC";
    if (entries.empty())
        return reportError(name, kErrNotInitialized);
    const int64_t expected = FTOCOffset + tableBytes(forkCount());
    if (expected > kMaxFileLength)
        return reportError(name, kErrInvalidParameter);
    // The whole table as one series: header, entries, then FTOCOffset in the last 4 bytes.
    std::vector<int32_t> words;
    try {
        words.reserve(entries.size() * 3 + 3);
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    words.push_back(containerVersion);
    words.push_back(forkCount() - 1);
    for (const FTOCEntry& e : entries) {
        words.push_back(static_cast<int32_t>(e.forkType));
        words.push_back(e.offset);
        words.push_back(e.position);
    }
    words.push_back(FTOCOffset);

    int32_t length = 0;
    RErr err = rawFile.getEOF(length);
    if (!err && length != expected)
        err = rawFile.setEOF(static_cast<int32_t>(expected));
    if (!err)
        err = rawFile.setPosition(FTOCOffset);
    if (!err)
        err = rawFile.writeASeriesOfInt32s(words.data(), static_cast<int32_t>(words.size()) - 1);
    if (err)
        return reportError(name, err);
    return kNoErr;
}

RErr CRFile::physicallyRemoveSegment(int32_t start, int32_t length) {
    static const char* const name = "CRFile::physicallyRemoveSegment";
    int32_t fileLength = 0;
    RErr err = rawFile.getEOF(fileLength);
    if (err)
        return reportError(name, err);
    if (start < 0 || length < 0 || static_cast<int64_t>(start) + length > fileLength)
        return reportError(name, kErrInvalidParameter);
    if (length == 0)
        return kNoErr;

    // The bytes after the segment move down, lowest chunk first.
    const int64_t toMove = fileLength - (static_cast<int64_t>(start) + length);
    RCountedBuffer<kTagSegmentMoveDown> counted;
    std::vector<unsigned char> buffer;
    try {
        buffer.resize(static_cast<std::size_t>(std::min<int64_t>(toMove, kMaxBufferSize)));
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    int64_t from = static_cast<int64_t>(start) + length;
    int64_t to = start;
    while (!err && from < fileLength) {
        const int32_t n =
            static_cast<int32_t>(std::min<int64_t>(fileLength - from, kMaxBufferSize));
        err = rawFile.setPosition(static_cast<int32_t>(from));
        if (!err)
            err = rawFile.read(buffer.data(), n);
        if (!err)
            err = rawFile.setPosition(static_cast<int32_t>(to));
        if (!err)
            err = rawFile.write(buffer.data(), n);
        from += n;
        to += n;
    }
    if (!err)
        err = rawFile.setEOF(fileLength - length);
    if (err)
        return reportError(name, err);
    return kNoErr;
}

RErr CRFile::physicallyInsertSegment(int32_t start, int32_t length) {
    static const char* const name = "CRFile::physicallyInsertSegment";
    int32_t fileLength = 0;
    RErr err = rawFile.getEOF(fileLength);
    if (err)
        return reportError(name, err);
    if (start < 0 || length < 0 || start > fileLength ||
        static_cast<int64_t>(fileLength) + length > kMaxFileLength)
        return reportError(name, kErrInvalidParameter);
    if (length == 0)
        return kNoErr;

    const int64_t toMove = fileLength - static_cast<int64_t>(start);
    RCountedBuffer<kTagSegmentMoveUp> counted;
    std::vector<unsigned char> buffer;
    try {
        buffer.resize(static_cast<std::size_t>(std::min<int64_t>(toMove, kMaxBufferSize)));
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    // Lengthen first, then move up highest chunk first so nothing is overwritten unread.
    err = rawFile.setEOF(fileLength + length);
    int64_t chunkEnd = fileLength;
    while (!err && chunkEnd > start) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(chunkEnd - start, kMaxBufferSize));
        const int64_t from = chunkEnd - n;
        err = rawFile.setPosition(static_cast<int32_t>(from));
        if (!err)
            err = rawFile.read(buffer.data(), n);
        if (!err)
            err = rawFile.setPosition(static_cast<int32_t>(from + length));
        if (!err)
            err = rawFile.write(buffer.data(), n);
        chunkEnd = from;
    }
    if (err)
        return reportError(name, err);
    return kNoErr;
}
