#include "model/CBinaryTree.h"

#include "base/ErrorReporter.h"
#include "model/CTree.h"
#include "storage/CRString.h"

#include <algorithm>
#include <new>

namespace {

constexpr int32_t kSortByName = 1;
constexpr int32_t kSortByCitationForm = 2;
constexpr int32_t kSortByCategory = 3;

// orderString answers 1 when its first text sorts before; the builder's order is the reverse.
int32_t orderKeys(const std::string& a, const std::string& b) {
    return -CRString::orderString(a.c_str(), b.c_str(), false, false);
}

} // namespace

CBinaryTree::CBinaryTree(CTree& tree, int32_t /*leftField*/, int32_t /*rightField*/,
                         int32_t /*parentField*/, int32_t type)
    : theCTree(tree), sortType(type) {}

CBinaryTree::~CBinaryTree() = default;

RErr CBinaryTree::readWordKeys(int32_t record, std::string& citationForm,
                               std::string& categoryName) {
    const CRString* text = nullptr;
    int32_t category = 0;
    RErr err = theCTree.getCitationForm(record, text);
    if (!err)
        citationForm = text->str();
    if (!err)
        err = theCTree.getWordCategory(record, category);
    // A word without a category has an empty category name, which sorts last.
    if (!err && category != 0)
        err = theCTree.getMainString(category, text);
    if (!err && category != 0)
        categoryName = text->str();
    return err;
}

RErr CBinaryTree::readKeys(int32_t record, RSortEntry& entry) {
    entry.record = record;
    bool valid = false;
    theCTree.validateRecord(record, valid);
    if (!valid)
        return kErrInvalidParameter;
    switch (sortType) {
    case kSortByName: {
        const CRString* name = nullptr;
        const RErr err = theCTree.getMainString(record, name);
        if (!err)
            entry.firstKey = name->str();
        return err;
    }
    case kSortByCitationForm:
        return readWordKeys(record, entry.firstKey, entry.secondKey);
    case kSortByCategory:
        return readWordKeys(record, entry.secondKey, entry.firstKey);
    default:
        // Every key is then equal, so the records keep the order they were added in.
        return kNoErr;
    }
}

bool CBinaryTree::knowsSortType() const {
    return sortType == kSortByName || sortType == kSortByCitationForm ||
           sortType == kSortByCategory;
}

int32_t CBinaryTree::compareEntries(const RSortEntry& a, const RSortEntry& b) {
    const int32_t first = orderKeys(a.firstKey, b.firstKey);
    return first != 0 ? first : orderKeys(a.secondKey, b.secondKey);
}

RErr CBinaryTree::add(int32_t record) {
    RSortEntry entry;
    RErr err = readKeys(record, entry);
    if (!err) {
        try {
            added.push_back(std::move(entry));
        } catch (const std::bad_alloc&) {
            err = kErrMallocFailed;
        }
    }
    if (err)
        bug("CBinaryTree::add", kNoErr);
    return err;
}

int32_t CBinaryTree::compare(int32_t a, int32_t b) {
    RSortEntry first;
    RSortEntry second;
    if (!knowsSortType() || readKeys(a, first) || readKeys(b, second)) {
        bug("CBinaryTree::compare", kNoErr);
        return 0;
    }
    return compareEntries(first, second);
}

RErr CBinaryTree::produceArray(std::vector<int32_t>& array) {
    array.clear();
    if (!knowsSortType() && added.size() > 1)
        bug("CBinaryTree::compare", kNoErr);
    // The working array is counted while it is built; the caller's vector frees itself.
    RCountedBuffer<kTagSortedArray> counted;
    try {
        // A stable sort gives what an insertion search tree walked in order gives: equal
        // keys stay in the order they were added. Keys were read once, in add.
        std::vector<const RSortEntry*> order;
        order.reserve(added.size());
        for (const RSortEntry& entry : added)
            order.push_back(&entry);
        std::stable_sort(order.begin(), order.end(), [](const RSortEntry* a, const RSortEntry* b) {
            return compareEntries(*a, *b) < 0;
        });
        array.reserve(order.size() + 1);
        array.push_back(static_cast<int32_t>(order.size()));
        for (const RSortEntry* entry : order)
            array.push_back(entry->record);
    } catch (const std::bad_alloc&) {
        array.clear();
        bug("CBinaryTree::produceArray", kErrMallocFailed);
        return kErrMallocFailed;
    }
    return kNoErr;
}

RErr CBinaryTree::findElementInArray(const std::vector<int32_t>& array, int32_t record,
                                     int32_t& position) {
    position = 0;
    const int32_t count =
        array.empty() ? 0 : std::min(array[0], static_cast<int32_t>(array.size()) - 1);
    for (int32_t i = 1; i <= count; ++i) {
        if (array[static_cast<std::size_t>(i)] == record) {
            position = i;
            return kNoErr;
        }
    }
    bug("CBinaryTree::findElementInArray", kErrGeneral);
    return kErrGeneral;
}
