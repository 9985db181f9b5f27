#pragma once

#include "app/ErrorCodes.h"
#include "storage/CRMemory.h"
#include "storage/CRString.h"

#include <cstdint>
#include <memory>
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
    // The entry's text, or nullptr for an unused entry. The manager keeps ownership.
    RErr getPointerToString(int32_t id, const CRString*& out) const;
    RErr getStringStatus(int32_t id, int32_t& status) const;
    // Replaces the text of a registered entry in place (a typing run amends one entry).
    RErr replaceStringText(int32_t id, const CRString& text);
    RErr writeStringStructureToDisk(CRFile& file) const;
    RErr readStringStructureFromDisk(CRFile& file);

    bool exists() const { return containsStringStructure; }
    int32_t maxArrayIndex() const { return static_cast<int32_t>(stringTable.size()) - 1; }

private:
    struct StringEntry {
        int32_t status = kUnused;
        int32_t nextUnusedEntry = 0;
        std::unique_ptr<CRString> theString;
    };

    RErr getAnUnusedStringID(int32_t& id);

    RObjectCounter<kKindCStringManager> counter;
    bool containsStringStructure = false;
    std::vector<StringEntry> stringTable;
    int32_t firstUnusedString = 0;
};
