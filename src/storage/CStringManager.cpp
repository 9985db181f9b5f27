#include "storage/CStringManager.h"

#include "app/ErrorReporter.h"
#include "storage/CRFile.h"

#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int32_t kRegisteredCopyTag = 147;
constexpr int32_t kReadFromDiskTag = 88;

// The largest table a 'Stri' fork may ask for. The highest ID of a fork is not bounded by the
// fork's size (the IDs below it may all be free), so a damaged fork could otherwise demand a
// table of billions of entries; no session holds anywhere near 16 million strings.
constexpr int32_t kMaxReadableIndex = 1 << 24;

void appendBigEndian(std::vector<unsigned char>& bytes, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    bytes.push_back(static_cast<unsigned char>(u >> 24));
    bytes.push_back(static_cast<unsigned char>(u >> 16));
    bytes.push_back(static_cast<unsigned char>(u >> 8));
    bytes.push_back(static_cast<unsigned char>(u));
}

// The fork's bytes, read in one transfer (the container has checked that the fork lies inside
// the file, so its size is what the file can justify), with a cursor the parser advances.
struct RForkImage {
    std::vector<unsigned char> bytes;
    std::size_t consumed = 0;

    std::size_t remaining() const { return bytes.size() - consumed; }
};

// The caller has checked that four bytes remain.
int32_t readBigEndian(RForkImage& image) {
    const unsigned char* b = &image.bytes[image.consumed];
    image.consumed += 4;
    return static_cast<int32_t>((static_cast<uint32_t>(b[0]) << 24) |
                                (static_cast<uint32_t>(b[1]) << 16) |
                                (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]));
}

// Reads one text and its 0 byte into buffer, one byte at a time. A fork that ends before the
// 0 byte is damaged (1008); a text of more than kMaxStoredTextBytes bytes is refused (1000).
RErr readText(RForkImage& image, std::vector<char>& buffer) {
    for (std::size_t stored = 0;; ++stored) {
        if (stored > static_cast<std::size_t>(CStringManager::kMaxStoredTextBytes))
            return kErrGeneral;
        if (image.remaining() == 0)
            return kErrInvalidFormat;
        buffer[stored] = static_cast<char>(image.bytes[image.consumed++]);
        if (buffer[stored] == 0)
            return kNoErr;
    }
}

} // namespace

CStringManager::CStringManager() = default;

CStringManager::~CStringManager() {
    if (containsStringStructure)
        destroyStringStructure();
}

RErr CStringManager::createStringStructure() {
    if (containsStringStructure)
        return reportError("CStringManager::createStringStructure", kErrReinitialized);
    try {
        stringTable.resize(2);
    } catch (const std::bad_alloc&) {
        return reportError("CStringManager::createStringStructure", kErrMallocFailed);
    }
    CRMemory::shared().countAllocation(kTagStringTable);
    firstUnusedString = 1;
    containsStringStructure = true;
    return kNoErr;
}

RErr CStringManager::destroyStringStructure() {
    if (!containsStringStructure)
        return reportError("CStringManager::destroyStringStructure", kErrNotInitialized);
    stringTable.clear();
    stringTable.shrink_to_fit();
    CRMemory::shared().countFree(kTagStringTable);
    firstUnusedString = 0;
    containsStringStructure = false;
    return kNoErr;
}

RErr CStringManager::registerString(const CRString& text, int32_t& id) {
    static const char* const name = "CStringManager::registerString";
    id = 0;
    if (!containsStringStructure)
        return reportError(name, kErrNotInitialized);
    std::unique_ptr<CRString> copy;
    try {
        copy = CRString::cloneCRString(text, kRegisteredCopyTag);
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    int32_t taken = 0;
    const RErr err = getAnUnusedStringID(taken);
    if (err)
        return reportError(name, err);
    StringEntry& entry = stringTable[static_cast<std::size_t>(taken)];
    entry.theString = std::move(copy);
    entry.status = kCurrent;
    id = taken;
    return kNoErr;
}

RErr CStringManager::setStringStatus(int32_t id, int32_t status) {
    static const char* const name = "CStringManager::setStringStatus";
    if (!containsStringStructure)
        return reportError(name, kErrNotInitialized);
    if (id < 1 || id > maxArrayIndex() || status < kUnused || status > kCurrent)
        return reportError(name, kErrInvalidParameter);
    StringEntry& entry = stringTable[static_cast<std::size_t>(id)];
    // An unused entry is already on the free list and has no text: freeing it again would
    // link it in twice, and marking it undone or current would leave a text-less entry that
    // the next registration hands out again. Only registerString brings an entry into use.
    if (entry.status == kUnused)
        return reportError(name, kErrInvalidParameter);
    if (status == kUnused) {
        entry.theString.reset();
        entry.nextUnusedEntry = firstUnusedString;
        firstUnusedString = id;
    }
    entry.status = status;
    return kNoErr;
}

RErr CStringManager::getPointerToString(int32_t id, const CRString*& out) const {
    out = nullptr;
    if (!containsStringStructure)
        return reportError("CStringManager::getPointerToString", kErrNotInitialized);
    if (id < 1 || id > maxArrayIndex())
        return reportError("CStringManager::getPointerToString", kErrInvalidParameter);
    out = stringTable[static_cast<std::size_t>(id)].theString.get();
    return kNoErr;
}

RErr CStringManager::getStringStatus(int32_t id, int32_t& status) const {
    status = 0;
    if (!containsStringStructure)
        return reportError("CStringManager::getStringStatus", kErrNotInitialized);
    if (id < 1 || id > maxArrayIndex())
        return reportError("CStringManager::getStringStatus", kErrInvalidParameter);
    status = stringTable[static_cast<std::size_t>(id)].status;
    return kNoErr;
}

RErr CStringManager::replaceStringText(int32_t id, const CRString& text) {
    static const char* const name = "CStringManager::replaceStringText";
    if (!containsStringStructure)
        return reportError(name, kErrNotInitialized);
    if (id < 1 || id > maxArrayIndex() ||
        stringTable[static_cast<std::size_t>(id)].status == kUnused)
        return reportError(name, kErrInvalidParameter);
    std::unique_ptr<CRString> copy;
    try {
        copy = CRString::cloneCRString(text, kRegisteredCopyTag);
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    stringTable[static_cast<std::size_t>(id)].theString = std::move(copy);
    return kNoErr;
}

RErr CStringManager::getAnUnusedStringID(int32_t& id) {
    if (firstUnusedString != 0) {
        id = firstUnusedString;
        StringEntry& entry = stringTable[static_cast<std::size_t>(id)];
        firstUnusedString = entry.nextUnusedEntry;
        entry.nextUnusedEntry = 0;
        return kNoErr;
    }
    try {
        stringTable.emplace_back();
    } catch (const std::bad_alloc&) {
        return reportError("CStringManager::getAnUnusedStringID", kErrMallocFailed);
    }
    id = maxArrayIndex();
    return kNoErr;
}

// The fork image is built in memory and written at once; its bytes are those of writing the
// highest current ID and then each record in turn.
RErr CStringManager::writeStringStructureToDisk(CRFile& file) const {
    static const char* const name = "CStringManager::writeStringStructureToDisk";
    if (!containsStringStructure)
        return reportError(name, kErrNotInitialized);
    int64_t size = 4;
    int32_t highest = 0;
    for (int32_t id = 1; id <= maxArrayIndex(); ++id) {
        const StringEntry& entry = stringTable[static_cast<std::size_t>(id)];
        if (entry.status == kCurrent) {
            const auto bytes = static_cast<int64_t>(std::strlen(entry.theString->getStringValue()));
            // A text the reader would refuse must not be saved: the file could never be opened.
            if (bytes > kMaxStoredTextBytes)
                return reportError(name, kErrInvalidParameter);
            size += 4 + bytes + 1;
            highest = id;
        }
    }
    if (size > std::numeric_limits<int32_t>::max())
        return reportError(name, kErrGeneral); // the container's offsets are 32-bit

    std::vector<unsigned char> image;
    try {
        image.reserve(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    appendBigEndian(image, highest);
    for (int32_t id = 1; id <= highest; ++id) {
        const StringEntry& entry = stringTable[static_cast<std::size_t>(id)];
        if (entry.status != kCurrent)
            continue;
        const char* text = entry.theString->getStringValue();
        appendBigEndian(image, id);
        image.insert(image.end(), text, text + std::strlen(text) + 1);
    }

    bool exists = false;
    auto length = static_cast<int32_t>(size);
    RErr err = file.forkExists(kForkStrings, exists);
    if (!err && !exists)
        err = file.createFork(kForkStrings);
    if (!err)
        err = file.setForkSize(kForkStrings, length);
    if (!err)
        err = file.setForkPosition(kForkStrings, 0);
    if (!err)
        err = file.writeFork(kForkStrings, length, image.data());
    return err ? reportError(name, err) : kNoErr;
}

// The fork is untrusted input. Accepted: the highest current ID H in 0..16,777,216, then
// records whose IDs rise strictly within 1..H, the last being H, each text ending in a 0 byte
// before byte 33,000, and nothing after H's record (H = 0: no records at all). Every read is
// bounded by the fork's size. The new table is built aside and installed only when the whole
// fork has been read, so a failed read leaves the manager as it was.
RErr CStringManager::readStringStructureFromDisk(CRFile& file) {
    static const char* const name = "CStringManager::readStringStructureFromDisk";
    int32_t size = 0;
    RErr err = file.getForkSize(kForkStrings, size);
    if (!err && size < 4)
        err = kErrInvalidFormat;
    RForkImage image;
    if (!err) {
        try {
            image.bytes.resize(static_cast<std::size_t>(size));
        } catch (const std::bad_alloc&) {
            err = kErrMallocFailed;
        }
    }
    if (!err)
        err = file.setForkPosition(kForkStrings, 0);
    int32_t length = size;
    if (!err)
        err = file.readFork(kForkStrings, length, image.bytes.data());
    const int32_t highest = err ? 0 : readBigEndian(image);
    if (!err && (highest < 0 || highest > kMaxReadableIndex))
        err = kErrInvalidFormat;
    if (err)
        return reportError(name, err);

    std::vector<StringEntry> fresh;
    RCountedBuffer<kTagStringReadBuffer> countedBuffer;
    std::vector<char> buffer;
    try {
        fresh.resize(static_cast<std::size_t>(highest) + 1);
        buffer.resize(static_cast<std::size_t>(kMaxStoredTextBytes) + 1);
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }

    int32_t previous = 0;
    while (!err && previous != highest) {
        int32_t id = 0;
        if (image.remaining() < 4)
            err = kErrInvalidFormat;
        if (!err)
            id = readBigEndian(image);
        if (!err && (id <= previous || id > highest))
            err = kErrInvalidFormat;
        if (!err)
            err = readText(image, buffer);
        if (!err) {
            StringEntry& entry = fresh[static_cast<std::size_t>(id)];
            try {
                entry.theString = std::make_unique<CRString>(buffer.data(), kReadFromDiskTag);
                entry.status = kCurrent;
                previous = id;
            } catch (const std::bad_alloc&) {
                err = kErrMallocFailed;
            }
        }
    }
    if (!err && image.remaining() != 0)
        err = kErrInvalidFormat; // bytes after the record of the highest ID
    if (err)
        return reportError(name, err);

    // The free list runs from the highest free ID downward.
    int32_t head = 0;
    for (int32_t id = 1; id <= highest; ++id) {
        StringEntry& entry = fresh[static_cast<std::size_t>(id)];
        if (entry.status == kUnused) {
            entry.nextUnusedEntry = head;
            head = id;
        }
    }
    if (containsStringStructure)
        CRMemory::shared().countFree(kTagStringTable);
    CRMemory::shared().countAllocation(kTagStringTable);
    stringTable.swap(fresh);
    firstUnusedString = head;
    containsStringStructure = true;
    return kNoErr;
}
