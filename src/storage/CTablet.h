#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class CRFile;

// The record store: a table of signed 32-bit values addressed by record and attribute, both
// counted from 1. Every new cell holds 0.
//
// In memory the cells lie record by record in one block, so adding a record (the common
// change) appends one row; adding or removing an attribute, which is rare, re-lays the block.
//
// Disk form, the 'Tabl' fork (big-endian), column by column:
//   0                         4                 maxAttributes
//   4                         4                 maxRecords
//   8 + 4 * maxRecords * (a-1) 4 * maxRecords   the values of attribute a, records 1..maxRecords
// The fork is exactly (maxAttributes * maxRecords + 2) * 4 bytes long.
class CTablet {
public:
    CTablet();
    CTablet(const CTablet&) = delete;
    CTablet& operator=(const CTablet&) = delete;
    ~CTablet();

    RErr createTablet();
    RErr destroyTablet();
    RErr setMaxAttributes(int32_t count);
    RErr setMaxRecords(int32_t count);
    RErr getMaxAttributes(int32_t& out) const;
    RErr getMaxRecords(int32_t& out) const;
    RErr setValue(int32_t record, int32_t attribute, int32_t value);
    RErr getValue(int32_t record, int32_t attribute, int32_t& out) const;
    RErr writeTabletToDisk(CRFile& file) const;
    RErr readTabletFromDisk(CRFile& file);

    bool exists() const { return containsTablet; }
    // Counts every write that replaces a non-zero value of the watched attribute with another
    // value, and every shrink, so that a caller keeping what the links imply (a node's root)
    // can tell when to stop trusting it. A write over 0, as a new record's first link, is not
    // counted.
    void watchAttribute(int32_t attribute) { watchedAttribute = attribute; }
    uint64_t watchedChanges() const { return changes; }
    // Unchecked access for hot loops whose indices are already known to be in range.
    int32_t cell(int32_t record, int32_t attribute) const {
        return cells[indexOf(record, attribute)];
    }

private:
    // The cells live in a std::malloc block so growing can use std::realloc, which may move a
    // large block by remapping its pages instead of copying them.
    struct FreeCells {
        void operator()(int32_t* block) const noexcept;
    };
    using Cells = std::unique_ptr<int32_t[], FreeCells>;

    std::size_t indexOf(int32_t record, int32_t attribute) const {
        return static_cast<std::size_t>(record - 1) * static_cast<std::size_t>(maxAttributes) +
               static_cast<std::size_t>(attribute - 1);
    }
    bool reserveCells(std::size_t count);

    RObjectCounter<kKindCTablet> counter;
    bool containsTablet = false;
    int32_t maxAttributes = 0;
    int32_t maxRecords = 0;
    Cells cells;
    std::size_t capacity = 0; // cells the block holds; at least maxAttributes * maxRecords
    int32_t watchedAttribute = 0;
    uint64_t changes = 0;
};
