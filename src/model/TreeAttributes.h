#pragma once

#include <cstdint>

// Record types (attribute 1).
enum RRecordType : int32_t {
    kRecordDiscardedByUndo = 0, // added by a command that was undone; on no list
    kRecordUnused = 1,
    kRecordNode = 2,
    kRecordCategory = 3,
    kRecordFeature = 4,
};

constexpr int32_t kHeaderRecord = 1;
constexpr int32_t kBaseAttributeCount = 51;
constexpr int32_t kFirstFeatureSlot = 52;

// Header record (record 1).
enum RHeaderAttribute : int32_t {
    kHdrFirstUnusedRecord = 1, // the list heads are indexed by record type
    kHdrFirstRoot = 2,
    kHdrFirstCategory = 3,
    kHdrFirstFeature = 4,
    kHdrScriptText = 5,
    kHdrFontName = 7,
    kHdrFontSize = 8,
    kHdrHorizontalPadding = 9,
    kHdrVerticalPadding = 10,
    kHdrLineHeight = 11,
    kHdrHOffset = 12,
    kHdrVOffset = 13,
    kHdrThickness = 14,
    kHdrNextIndexLetter = 18,
    kHdrWordNameCounter = 19,
    kHdrCategoryNameCounter = 20,
    kHdrFeatureNameCounter = 21,
    kHdrBlessedCategory = 22,
};

// Node records (type 2); name records reuse some of these columns.
enum RNodeAttribute : int32_t {
    kAttrType = 1,
    kAttrNextRoot = 2,     // also the next name of a category or feature list
    kAttrPreviousRoot = 3, // also the previous name
    kAttrWhereIsTree = 4,
    kAttrLabel = 5, // also the name of a category or feature
    kAttrSubscript = 6,
    kAttrCitationForm = 8,
    kAttrWordCategory = 9,
    kAttrMainTerminalNode = 10,
    kAttrFootNode = 11,
    kAttrLowestXBarSpineNode = 12,
    kAttrNextWordInCategory = 13, // on a category: its first word
    kAttrCategorySorter = 14,     // categories only, runtime
    kAttrIsMainTerminal = 15,
    kAttrBelongsToXBarSpine = 16,
    kAttrMother = 17,
    kAttrLeftmostDaughter = 18,
    kAttrNextSister = 19, // on a feature: its slot
    kAttrSelected = 20,
    kAttrOffending = 21,
    kAttrColor = 22,
    kAttrTextStyle = 23,
    kAttrCategory = 24,
    kAttrProjection = 25,
    kAttrSortLeft = 26,
    kAttrSortRight = 27,
    kAttrSortParent = 28,
    kAttrSecondSortLeft = 29,
    kAttrSecondSortRight = 30,
    kAttrSecondSortParent = 31,
    kAttrDirty = 35,
    kAttrAbsoluteH = 36,
    kAttrAbsoluteV = 37,
    kAttrRelativeH = 38,
    kAttrRelativeV = 39,
    kAttrFishSpine = 40,
    kAttrXOffset = 41,
    kAttrFishSpineDepth = 42,
    kAttrNodeRectLeft = 43,
    kAttrNodeRectTop = 44,
    kAttrNodeRectRight = 45,
    kAttrNodeRectBottom = 46,
    kAttrCumulativeRectLeft = 47,
    kAttrCumulativeRectTop = 48,
    kAttrCumulativeRectRight = 49,
    kAttrCumulativeRectBottom = 50,
    kAttrTriangle = 51,
};

// Coordinates a document may hold, in either direction: far beyond any real drawing, and far
// enough inside the 32-bit range that the layout and drawing sums cannot overflow.
constexpr int32_t kMostCoordinate = 10000000;

constexpr bool isCoordinateInRange(int64_t value) {
    return value >= -kMostCoordinate && value <= kMostCoordinate;
}

// Positions the layout and the drawing compute are held within this bound, whatever the tree
// (a hundred thousand sisters with labels thousands of characters long): a sum of a few of
// them stays far inside 32 bits.
constexpr int32_t kMostLayoutCoordinate = 1 << 28;

constexpr int32_t clampToLayout(int64_t value) {
    return static_cast<int32_t>(value < -kMostLayoutCoordinate  ? -kMostLayoutCoordinate
                                : value > kMostLayoutCoordinate ? kMostLayoutCoordinate
                                                                : value);
}

enum RWhereIsTree : int32_t { kTreeNotPlaced = 0, kTreeInLexicon = 1, kTreeOnWorkArea = 2 };

// String attributes hold string IDs: 5, 6, 8 and every feature slot.
constexpr bool isStringAttribute(int32_t attribute) {
    return attribute == kAttrLabel || attribute == kAttrSubscript ||
           attribute == kAttrCitationForm || attribute >= kFirstFeatureSlot;
}
