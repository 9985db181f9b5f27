#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"
#include "storage/CRString.h"
#include "storage/CRStringPool.h"

#include <cstdint>
#include <vector>

class CRFile;

// Lets a tablet cell refer to a text by a string ID. An entry is unused (1), undone (2: no
// cell refers to it now, but undo or redo may bring it back) or current (3). Freed IDs are
// reused last-freed first.
//
// Disk form, the 'Stri' fork (big-endian): the highest current ID H, then for each current
// ID in ascending order the ID and its UTF-8 text with a terminating 0 byte.
class CStringManager {
public:
    static constexpr int32_t kUnused = 1;
    static constexpr int32_t kUndone = 2;
    static constexpr int32_t kCurrent = 3;
    static constexpr int32_t kMaxStoredTextBytes = 32999; // a text must end before byte 33,000

    CStringManager();
    CStringManager(const CStringManager&) = delete;
    CStringManager& operator=(const CStringManager&) = delete;
    ~CStringManager();

    RErr createStringStructure();
    RErr destroyStringStructure();
    RErr registerString(const CRString& text, int32_t& id);
    RErr setStringStatus(int32_t id, int32_t status);
    // The entry's text, or nullptr for an unused entry. The manager keeps ownership; the text
    // stays at its address until the entry is freed or its text replaced, or the whole table
    // is destroyed or read anew.
    RErr getPointerToString(int32_t id, const CRString*& out) const;
    RErr getStringStatus(int32_t id, int32_t& status) const;
    // Replaces the text of a registered entry in place (a typing run amends one entry).
    RErr replaceStringText(int32_t id, const CRString& text);
    RErr writeStringStructureToDisk(CRFile& file) const;
    RErr readStringStructureFromDisk(CRFile& file);

    bool exists() const { return containsStringStructure; }
    // Bytes of text registered or replaced since the structure was made; only grows.
    int64_t bytesWrittenSoFar() const { return bytesWritten; }
    int32_t maxArrayIndex() const { return static_cast<int32_t>(stringTable.size()) - 1; }

private:
    // The texts live in a pool rather than one heap object each: a loaded document makes one
    // per string, and an allocation each (with fresh pages behind it) would dominate the load.
    // An entry is kept small for the same reason: only an unused entry is on the free list and
    // only the others have a text, so one field serves as either link.
    struct StringEntry {
        int32_t status = kUnused;
        int32_t link = 0; // unused: the next unused entry (0 ends the list); else the text's slot
    };

    RErr getAnUnusedStringID(int32_t& id);
    const CRString& textOf(const StringEntry& entry) const { return theStrings.at(entry.link); }

    RObjectCounter<kKindCStringManager> counter;
    bool containsStringStructure = false;
    std::vector<StringEntry> stringTable;
    CRStringPool theStrings;
    int32_t firstUnusedString = 0;
    int64_t bytesWritten = 0;
};
