#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"

#include <cstdint>
#include <string>
#include <vector>

class CTree;

// Builds a sorted list of records: records are added one by one, then produced as a counted
// array (element 0 the count n, elements 1 to n the records in order). Records with equal keys
// come out in the order they were added.
//
// Sort types: 1 by main string (attribute 5); 2 by citation form, then word-category name;
// 3 by word-category name, then citation form. Collation is CRString::orderString with case
// and accents significant.
//
// The link attributes name the columns (26-28 or 29-31) a caller sorts by; the order is kept
// beside the records rather than in those columns, so sorting never writes to the database.
// The records must not change between the first add and produceArray: their keys are read
// when they are added.
class CBinaryTree {
public:
    CBinaryTree(CTree& tree, int32_t leftField, int32_t rightField, int32_t parentField,
                int32_t sortType);
    CBinaryTree(const CBinaryTree&) = delete;
    CBinaryTree& operator=(const CBinaryTree&) = delete;
    ~CBinaryTree();

    // A record whose keys cannot be read is reported, left out and answered with 1004; the
    // builder stays usable.
    RErr add(int32_t record);
    // -1 when a sorts before b, 1 when after, 0 when equal.
    int32_t compare(int32_t a, int32_t b);
    RErr produceArray(std::vector<int32_t>& array);
    // The position (1 to n) of the record in a produced array; 1000 when it is absent.
    static RErr findElementInArray(const std::vector<int32_t>& array, int32_t record,
                                   int32_t& position);

private:
    struct RSortEntry {
        int32_t record = 0;
        std::string firstKey;
        std::string secondKey;
    };

    RErr readKeys(int32_t record, RSortEntry& entry);
    RErr readWordKeys(int32_t record, std::string& citationForm, std::string& categoryName);
    bool knowsSortType() const;
    static int32_t compareEntries(const RSortEntry& a, const RSortEntry& b);

    RObjectCounter<kKindCBinaryTree> counter;
    CTree& theCTree;
    int32_t sortType;
    std::vector<RSortEntry> added;
};
