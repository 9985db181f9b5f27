#include "storage/CStringManager.h"

#include "base/ErrorReporter.h"
#include "storage/CRFile.h"

#include <algorithm>
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

// The fork's bytes, read through a window a few records long rather than all at once, so that a
// load touches little memory besides the strings it makes. Before each record the window is
// topped up until it holds the longest possible record or the rest of the fork (the container
// has checked that the fork lies inside the file), so the parser sees every record whole and
// sees where the fork really ends. The texts are made straight from the window.
class RForkReader {
public:
    static constexpr std::size_t kLongestRecord =
        4 + static_cast<std::size_t>(CStringManager::kMaxStoredTextBytes) + 1;

    RForkReader(CRFile& source, int32_t size) : file(source), unread(size) {}

    RErr open() {
        try {
            window.resize(std::min(kWindowBytes, static_cast<std::size_t>(unread)));
        } catch (const std::bad_alloc&) {
            return kErrMallocFailed;
        }
        RErr err = file.setForkPosition(kForkStrings, 0);
        if (!err)
            err = topUp();
        return err;
    }

    RErr topUp() {
        if (available() >= kLongestRecord || unread == 0)
            return kNoErr;
        std::memmove(window.data(), window.data() + begin, available());
        end -= begin;
        begin = 0;
        auto length =
            static_cast<int32_t>(std::min(static_cast<std::size_t>(unread), window.size() - end));
        const RErr err = file.readFork(kForkStrings, length, window.data() + end);
        if (!err) {
            end += static_cast<std::size_t>(length);
            unread -= length;
        }
        return err;
    }

    std::size_t available() const { return end - begin; }
    bool atEnd() const { return available() == 0 && unread == 0; }

    // The caller has checked that four bytes are available.
    int32_t takeBigEndian() {
        const unsigned char* b = window.data() + begin;
        begin += 4;
        return static_cast<int32_t>(
            (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
            (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]));
    }

    // The text at the cursor, up to its 0 byte, which the cursor passes; text stays valid until
    // the next top-up. A text of more than kMaxStoredTextBytes bytes is refused (1000) even when
    // the fork ends inside it; a fork that ends before the 0 byte is damaged (1008).
    RErr takeText(const char*& text) {
        constexpr auto kLongest = static_cast<std::size_t>(CStringManager::kMaxStoredTextBytes);
        const unsigned char* start = window.data() + begin;
        const std::size_t searched = std::min(available(), kLongest + 1);
        const void* zero = std::memchr(start, 0, searched);
        if (!zero)
            return searched > kLongest ? kErrGeneral : kErrInvalidFormat;
        text = reinterpret_cast<const char*>(start);
        begin += static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - start) + 1;
        return kNoErr;
    }

private:
    // Each top-up reads at least this much less one record.
    static constexpr std::size_t kWindowBytes = 3 * kLongestRecord;

    CRFile& file;
    RCountedBuffer<kTagStringReadBuffer> counted;
    std::vector<unsigned char> window;
    std::size_t begin = 0; // the bytes not parsed yet are window[begin, end)
    std::size_t end = 0;
    int32_t unread; // fork bytes not yet in the window
};

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
    theStrings.clear();
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
    int32_t slot = 0;
    try {
        slot = theStrings.emplace(kRegisteredCopyTag);
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    theStrings.at(slot).setStringValue(text);
    bytesWritten += theStrings.at(slot).byteLength();
    int32_t taken = 0;
    const RErr err = getAnUnusedStringID(taken);
    if (err) {
        theStrings.release(slot);
        return reportError(name, err);
    }
    StringEntry& entry = stringTable[static_cast<std::size_t>(taken)];
    entry.link = slot;
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
        theStrings.release(entry.link);
        entry.link = firstUnusedString;
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
    const StringEntry& entry = stringTable[static_cast<std::size_t>(id)];
    out = entry.status == kUnused ? nullptr : &textOf(entry);
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
    // The new text is made before the old one goes: text may be the entry's own.
    int32_t slot = 0;
    try {
        slot = theStrings.emplace(kRegisteredCopyTag);
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }
    theStrings.at(slot).setStringValue(text);
    bytesWritten += theStrings.at(slot).byteLength();
    StringEntry& entry = stringTable[static_cast<std::size_t>(id)];
    theStrings.release(entry.link);
    entry.link = slot;
    return kNoErr;
}

RErr CStringManager::getAnUnusedStringID(int32_t& id) {
    if (firstUnusedString != 0) {
        id = firstUnusedString;
        StringEntry& entry = stringTable[static_cast<std::size_t>(id)];
        firstUnusedString = entry.link;
        entry.link = 0;
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
            const auto bytes = static_cast<int64_t>(std::strlen(textOf(entry).getStringValue()));
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
        const char* text = textOf(entry).getStringValue();
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
    RForkReader reader(file, err ? 0 : size);
    if (!err)
        err = reader.open();
    const int32_t highest = err ? 0 : reader.takeBigEndian();
    if (!err && (highest < 0 || highest > kMaxReadableIndex))
        err = kErrInvalidFormat;
    if (err)
        return reportError(name, err);

    std::vector<StringEntry> fresh;
    CRStringPool freshStrings;
    try {
        fresh.resize(static_cast<std::size_t>(highest) + 1);
    } catch (const std::bad_alloc&) {
        return reportError(name, kErrMallocFailed);
    }

    int32_t previous = 0;
    while (!err && previous != highest) {
        int32_t id = 0;
        err = reader.topUp();
        if (!err && reader.available() < 4)
            err = kErrInvalidFormat;
        if (!err)
            id = reader.takeBigEndian();
        if (!err && (id <= previous || id > highest))
            err = kErrInvalidFormat;
        const char* text = nullptr;
        if (!err)
            err = reader.takeText(text);
        if (!err) {
            StringEntry& entry = fresh[static_cast<std::size_t>(id)];
            try {
                entry.link = freshStrings.emplace(text, kReadFromDiskTag);
                entry.status = kCurrent;
                previous = id;
            } catch (const std::bad_alloc&) {
                err = kErrMallocFailed;
            }
        }
    }
    if (!err && !reader.atEnd())
        err = kErrInvalidFormat; // bytes after the record of the highest ID
    if (err)
        return reportError(name, err);

    // The free list runs from the highest free ID downward.
    int32_t head = 0;
    for (int32_t id = 1; id <= highest; ++id) {
        StringEntry& entry = fresh[static_cast<std::size_t>(id)];
        if (entry.status == kUnused) {
            entry.link = head;
            head = id;
        }
    }
    if (containsStringStructure)
        CRMemory::shared().countFree(kTagStringTable);
    CRMemory::shared().countAllocation(kTagStringTable);
    stringTable.swap(fresh);
    theStrings.swap(freshStrings);
    firstUnusedString = head;
    containsStringStructure = true;
    return kNoErr;
}
