// CTree's name lists: the records of categories, features and words, and their sorted lists.

#include "model/CTree.h"

#include "base/ErrorReporter.h"
#include "model/TreeAttributes.h"
#include "model/CBinaryTree.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <cctype>
#include <string>

namespace {

constexpr int32_t kStandardCategoryCreatorTag = 83;

// The type of a record other than the header; 1004 for an index out of range.
RErr typeOfRecord(const CTree& tree, int32_t record, int32_t& type) {
    type = 0;
    bool valid = false;
    tree.validateRecord(record, valid);
    return valid ? tree.getRecordType(record, type) : kErrInvalidParameter;
}

bool isNoneLabel(const std::string& text) {
    static const char kNone[] = "none";
    if (text.size() != sizeof kNone - 1)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != kNone[i])
            return false;
    return true;
}

// Calls visit(node, stop) for every node of every tree, tree after tree, until it fails or
// sets stop. A damaged file could link nodes in a cycle; no walk visits more nodes than the
// table has records.
template <typename Visit> RErr forEveryNode(const CTree& tree, Visit visit) {
    int32_t node = 0;
    RErr err = tree.getRootOfList(kHdrFirstRoot, node);
    bool stop = false;
    for (int32_t visited = 0; !err && !stop && node != 0; ++visited) {
        if (visited >= tree.recordCount())
            err = kErrGeneral;
        if (!err)
            err = visit(node, stop);
        if (!err && !stop)
            err = tree.getNextNode(node, 0, node);
    }
    return err;
}

// Empties every cell a name record still holds, so that it can be discarded: stale runtime
// values (a category's first word, sort links) would otherwise make the discard fail.
RErr clearRemainingCells(CTree& tree, int32_t record) {
    RErr err = kNoErr;
    const int32_t attributes = tree.attributeCount();
    for (int32_t a = kAttrNextRoot; a <= attributes && !err; ++a) {
        if (a == kAttrFishSpine || tree.tablet().cell(record, a) == 0)
            continue;
        err = isStringAttribute(a) ? tree.killStringField(record, a) : tree.dataTask(record, a, 0);
    }
    return err;
}

} // namespace

RErr CTree::newName(int32_t type, int32_t& record) {
    record = 0;
    if (type != kRecordCategory && type != kRecordFeature)
        return reportError("CTree::newName", kErrInvalidParameter);
    int32_t created = 0;
    int32_t head = 0;
    RErr err = newRecord(created, type);
    if (!err)
        err = getRootOfList(type, head);
    if (!err)
        err = dataTask(created, kAttrNextRoot, head);
    if (!err)
        err = dataTask(created, kAttrPreviousRoot, 0);
    if (!err && head != 0)
        err = dataTask(head, kAttrPreviousRoot, created);
    if (!err)
        err = setRootOfList(type, created);
    if (!err && type == kRecordFeature)
        err = allocateAttribute(created);
    if (!err)
        record = created;
    return reportError("CTree::newName", err);
}

RErr CTree::allocateAttribute(int32_t feature) {
    int32_t type = 0;
    RErr err = getRecordType(feature, type);
    if (!err && type != kRecordFeature)
        err = kErrInvalidParameter;
    int32_t slot = 0;
    for (int32_t k = attributeCount(); k >= kFirstFeatureSlot && !err && slot == 0; --k)
        if (tablet().cell(kHeaderRecord, k) == 0)
            slot = k;
    if (!err && slot == 0) {
        // The table widens directly; undo does not narrow it again.
        slot = attributeCount() + 1;
        err = tablet().setMaxAttributes(slot);
    }
    if (!err)
        err = dataTask(kHeaderRecord, slot, feature);
    if (!err)
        err = dataTask(feature, kAttrNextSister, slot);
    return reportError("CTree::allocateAttribute", err);
}

RErr CTree::addStandardCategories() {
    const char* const names[] = {"X", "N", "V", "A", "P"};
    RErr err = kNoErr;
    int32_t first = 0;
    for (const char* name : names) {
        int32_t category = 0;
        err = newName(kRecordCategory, category);
        if (!err) {
            const CRString text(name, kStandardCategoryCreatorTag);
            err = setMainString(category, text);
        }
        if (err)
            break;
        if (first == 0)
            first = category;
    }
    if (!err)
        err = dataTask(kHeaderRecord, kHdrBlessedCategory, first);
    return reportError("CTree::addStandardCategories", err);
}

RErr CTree::getBlessedCategory(int32_t& category) const {
    return reportError("CTree::getBlessedCategory",
                       getValue(kHeaderRecord, kHdrBlessedCategory, category));
}

RErr CTree::collectList(int32_t list, std::vector<int32_t>& records) const {
    records.clear();
    int32_t record = 0;
    RErr err = getRootOfList(list, record);
    const int32_t count = recordCount();
    while (!err && record != 0) {
        // A member out of range, or more members than records (a cycle), is damage.
        if (record < 2 || record > count || static_cast<int32_t>(records.size()) >= count)
            err = kErrInvalidParameter;
        if (!err) {
            records.push_back(record);
            record = theTablet->cell(record, kAttrNextRoot);
        }
    }
    if (err)
        records.clear();
    return err;
}

RErr CTree::removeName(int32_t record) {
    int32_t type = 0;
    RErr err = typeOfRecord(*this, record, type);
    if (!err && type != kRecordCategory && type != kRecordFeature)
        err = kErrInvalidParameter;
    if (!err && type == kRecordFeature)
        err = deallocateAttribute(record);
    if (!err)
        err = killStringField(record, kAttrLabel);
    int32_t previous = 0;
    int32_t next = 0;
    if (!err)
        err = getValue(record, kAttrPreviousRoot, previous);
    if (!err)
        err = getValue(record, kAttrNextRoot, next);
    if (!err)
        err = previous != 0 ? dataTask(previous, kAttrNextRoot, next) : setRootOfList(type, next);
    if (!err && next != 0)
        err = dataTask(next, kAttrPreviousRoot, previous);
    // The blessed category must never name a record that is reused for something else.
    int32_t blessed = 0;
    if (!err && type == kRecordCategory)
        err = getBlessedCategory(blessed);
    if (!err && type == kRecordCategory && blessed == record)
        err = dataTask(kHeaderRecord, kHdrBlessedCategory, 0);
    if (!err)
        err = clearRemainingCells(*this, record);
    if (!err)
        err = discardRecord(record);
    return reportError("CTree::removeName", err);
}

RErr CTree::deallocateAttribute(int32_t feature) {
    int32_t slot = 0;
    int32_t owner = 0;
    RErr err = convertToAttributeIndex(feature, slot);
    // A feature without a slot has nothing to free.
    if (!err && slot != 0)
        err = convertAttributeIndexToFeatureRecord(slot, owner);
    // Only the feature's own slot is freed, never one another feature owns.
    if (!err && slot != 0 && owner == feature)
        err = dataTask(kHeaderRecord, slot, 0);
    if (!err && slot != 0)
        err = dataTask(feature, kAttrNextSister, 0);
    return reportError("CTree::deallocateAttribute", err);
}

RErr CTree::zeroOutAttribute(int32_t feature) {
    int32_t slot = 0;
    RErr err = convertToAttributeIndex(feature, slot);
    if (!err && slot == 0)
        err = kErrInvalidParameter;
    if (!err)
        err = forEveryNode(*this, [&](int32_t node, bool&) {
            return theTablet->cell(node, slot) != 0 ? killStringField(node, slot) : kNoErr;
        });
    return reportError("CTree::zeroOutAttribute", err);
}

RErr CTree::getNameString(int32_t record, const CRString*& name) {
    name = nullptr;
    bool valid = false;
    validateRecord(record, valid);
    RErr err = valid ? kNoErr : kErrInvalidParameter;
    if (!err)
        err = getMainString(record, name);
    return reportError("CTree::getNameString", err);
}

RErr CTree::getFirstName(int32_t type, int32_t& record) const {
    return reportError("CTree::getFirstName", getRootOfList(type, record));
}

RErr CTree::getNextName(int32_t record, int32_t& next) const {
    next = 0;
    bool valid = false;
    validateRecord(record, valid);
    RErr err = valid ? kNoErr : kErrInvalidParameter;
    if (!err)
        err = getValue(record, kAttrNextRoot, next);
    return reportError("CTree::getNextName", err);
}

RErr CTree::convertToAttributeIndex(int32_t feature, int32_t& slot) const {
    slot = 0;
    int32_t type = 0;
    RErr err = typeOfRecord(*this, feature, type);
    if (!err && type != kRecordFeature)
        err = kErrInvalidParameter;
    if (!err)
        err = getValue(feature, kAttrNextSister, slot);
    return reportError("CTree::convertToAttributeIndex", err);
}

RErr CTree::convertAttributeIndexToFeatureRecord(int32_t slot, int32_t& feature) const {
    feature = 0;
    RErr err =
        slot >= kFirstFeatureSlot && slot <= attributeCount() ? kNoErr : kErrInvalidParameter;
    if (!err)
        err = getValue(kHeaderRecord, slot, feature);
    return reportError("CTree::convertAttributeIndexToFeatureRecord", err);
}

RErr CTree::getAuthorFeatureValue(int32_t node, int32_t feature, const CRString*& value) {
    value = nullptr;
    int32_t slot = 0;
    RErr err = validateNodeWithError(node);
    if (!err)
        err = convertToAttributeIndex(feature, slot);
    if (!err && slot == 0)
        err = kErrInvalidParameter;
    if (!err)
        err = getAnyString(node, slot, value);
    return reportError("CTree::getAuthorFeatureValue", err);
}

RErr CTree::convertCategoryLabelToIndex(const CRString& name, int32_t& category) {
    category = -1;
    std::vector<int32_t> categories;
    RErr err = collectList(kHdrFirstCategory, categories);
    // With no categories there is nothing to scan.
    if (!err && categories.empty())
        err = kErrInvalidParameter;
    const std::string wanted = name.str();
    for (std::size_t i = 0; i < categories.size() && !err && category == -1; ++i) {
        const CRString* text = nullptr;
        err = getMainString(categories[i], text);
        if (!err && text->str() == wanted)
            category = categories[i];
    }
    if (!err && isNoneLabel(wanted))
        category = 0;
    if (err)
        category = -1;
    return reportError("CTree::convertCategoryLabelToIndex", err);
}

RErr CTree::validateCategory(int32_t category, bool& isGood) const {
    isGood = category >= 2 && category <= recordCount() &&
             theTablet->cell(category, kAttrType) == kRecordCategory;
    return kNoErr;
}

RErr CTree::validateCategoryWithError(int32_t category) const {
    bool isGood = false;
    validateCategory(category, isGood);
    return reportError("CTree::validateCategoryWithError", isGood ? kNoErr : kErrInvalidParameter);
}

RErr CTree::categoryIsInUse(int32_t category, bool& inUse) const {
    inUse = false;
    RErr err = validateCategoryWithError(category);
    // A word category counts as well as a node's category; a stale one on a non-root too, so
    // that a category still referred to is never taken for unused.
    if (!err)
        err = forEveryNode(*this, [&](int32_t node, bool& stop) {
            inUse = theTablet->cell(node, kAttrCategory) == category ||
                    theTablet->cell(node, kAttrWordCategory) == category;
            stop = inUse;
            return kNoErr;
        });
    return reportError("CTree::categoryIsInUse", err);
}

RErr CTree::getSortedList(int32_t kind, std::vector<int32_t>& array) {
    array.clear();
    struct RSortKind {
        int32_t list;
        int32_t firstLink;
        int32_t sortType;
    };
    static const RSortKind kinds[] = {
        {kHdrFirstRoot, kAttrSortLeft, 2},       // words by citation form, then category
        {kHdrFirstRoot, kAttrSecondSortLeft, 3}, // words by category, then citation form
        {kHdrFirstCategory, kAttrSortLeft, 1},
        {kHdrFirstFeature, kAttrSortLeft, 1},
    };
    if (kind < 1 || kind > 4)
        return reportError("CTree::getSortedList", kErrInvalidParameter);
    const RSortKind& how = kinds[kind - 1];
    CBinaryTree sorter(*this, how.firstLink, how.firstLink + 1, how.firstLink + 2, how.sortType);
    std::vector<int32_t> records;
    RErr err = collectList(how.list, records);
    for (std::size_t i = 0; i < records.size() && !err; ++i)
        err = sorter.add(records[i]);
    if (!err)
        err = sorter.produceArray(array);
    if (err)
        array.clear();
    return reportError("CTree::getSortedList", err);
}

RErr CTree::makeArbitraryName(int32_t record) {
    int32_t type = 0;
    std::unique_ptr<CRString> name;
    RErr err = typeOfRecord(*this, record, type);
    if (!err)
        err = makeArbitraryString(type, name);
    if (!err)
        err = setMainString(record, *name);
    return reportError("CTree::makeArbitraryName", err);
}

RErr CTree::getFirstWordInCategory(int32_t category, int32_t& word) const {
    word = 0;
    RErr err = validateCategoryWithError(category);
    if (!err)
        err = getValue(category, kAttrNextWordInCategory, word);
    return reportError("CTree::getFirstWordInCategory", err);
}

RErr CTree::getNextWordInCategory(int32_t word, int32_t& next) const {
    next = 0;
    RErr err = validateNodeWithError(word);
    if (!err)
        err = getValue(word, kAttrNextWordInCategory, next);
    return reportError("CTree::getNextWordInCategory", err);
}
