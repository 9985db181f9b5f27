#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>
#include <string>
#include <vector>

class CTree;

// What tells the grammar's two name lists apart in the author's list windows.
struct RNameListKind {
    const char* title;
    int32_t recordType;     // the name list kind: 3 categories, 4 features
    int32_t sortedListKind; // for CTree::getSortedList
    int32_t rebuildTask;    // the lexicon editor's rebuild flag for the list
    int32_t selectTask;     // selection of a name in the list window
    int32_t showTask;       // the list window brought forward
    int32_t windowCode;     // for typing in the name field
    int32_t windowsMenuItem;
    int32_t newLabel;
    int32_t deleteLabel;
};

const RNameListKind& categoriesList();
const RNameListKind& featuresList();

// The caption and text of the box that refuses to remove a category still in use.
extern const char* const kCategoryInUseCaption;
extern const char* const kCategoryInUseText;

// The undo steps of the list windows. Each is one step with the kind's label; its
// user-interface tasks rebuild the list and select, on undo and redo, the name that the
// author expects to see selected.
namespace NameListSteps {

// A new name with an arbitrary unique name ("N0", "Feature 0", ...).
RErr addName(CTree& tree, const RNameListKind& kind, int32_t& record);

// Whether the Remove button applies: a name is selected and, for categories, it is not the
// grammar's blessed category.
bool canRemove(const CTree& tree, const RNameListKind& kind, int32_t record);

// Removes the name; a feature's values in every node go with it. A category that a node or a
// word uses is not removed: refusedInUse is set and no step is made (not an error).
RErr removeName(CTree& tree, const RNameListKind& kind, int32_t record, bool& refusedInUse);

// The names of the list's records in sorted order, element 0 the count.
RErr sortedRecords(CTree& tree, const RNameListKind& kind, std::vector<int32_t>& array);
std::string nameOf(CTree& tree, int32_t record);

} // namespace NameListSteps
