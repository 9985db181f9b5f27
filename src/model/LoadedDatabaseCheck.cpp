#include "model/LoadedDatabaseCheck.h"

#include "model/TreeAttributes.h"
#include "storage/CStringManager.h"
#include "storage/CTablet.h"

#include <vector>

namespace {

class CLoadedDatabaseChecker {
public:
    CLoadedDatabaseChecker(const CTablet& t, const CStringManager& s) : tablet(t), strings(s) {
        tablet.getMaxRecords(records);
        tablet.getMaxAttributes(attributes);
    }

    bool check() {
        if (attributes < kBaseAttributeCount || records < 1)
            return false;
        for (int32_t r = 2; r <= records; ++r)
            if (type(r) < kRecordDiscardedByUndo || type(r) > kRecordFeature)
                return false;
        return checkLists() && checkTrees() && checkReferences() && checkStrings();
    }

private:
    int32_t cell(int32_t record, int32_t attribute) const { return tablet.cell(record, attribute); }
    int32_t type(int32_t record) const { return cell(record, kAttrType); }
    bool isRecordOfType(int32_t record, int32_t wanted) const {
        return record >= 2 && record <= records && type(record) == wanted;
    }
    bool isNothingOr(int32_t record, int32_t wanted) const {
        return record == 0 || isRecordOfType(record, wanted);
    }

    // The free list and the lists of roots, categories and features: each member of its
    // list's type, linked both ways (the free list forwards only), with no cycle.
    bool checkLists() const {
        for (int32_t list = kHdrFirstUnusedRecord; list <= kHdrFirstFeature; ++list) {
            int32_t previous = 0;
            int32_t steps = 0;
            for (int32_t r = cell(kHeaderRecord, list); r != 0; r = cell(r, kAttrNextRoot)) {
                if (!isRecordOfType(r, list) || ++steps > records)
                    return false;
                if (list != kHdrFirstUnusedRecord && cell(r, kAttrPreviousRoot) != previous)
                    return false;
                if (list == kHdrFirstRoot && cell(r, kAttrMother) != 0)
                    return false;
                previous = r;
            }
        }
        return true;
    }

    // Every tree below a root: daughters are nodes whose mother is the node above them, and
    // no node is reached twice.
    bool checkTrees() const {
        std::vector<bool> seen(static_cast<std::size_t>(records) + 1, false);
        std::vector<int32_t> pending;
        for (int32_t root = cell(kHeaderRecord, kHdrFirstRoot); root != 0;
             root = cell(root, kAttrNextRoot)) {
            pending.push_back(root);
            while (!pending.empty()) {
                const int32_t node = pending.back();
                pending.pop_back();
                if (seen[static_cast<std::size_t>(node)])
                    return false;
                seen[static_cast<std::size_t>(node)] = true;
                for (int32_t d = cell(node, kAttrLeftmostDaughter); d != 0;
                     d = cell(d, kAttrNextSister)) {
                    if (!isRecordOfType(d, kRecordNode) || cell(d, kAttrMother) != node ||
                        seen[static_cast<std::size_t>(d)])
                        return false;
                    if (pending.size() > static_cast<std::size_t>(records))
                        return false;
                    pending.push_back(d);
                }
            }
        }
        return true;
    }

    bool checkReferences() const {
        if (!isNothingOr(cell(kHeaderRecord, kHdrBlessedCategory), kRecordCategory))
            return false;
        for (int32_t slot = kFirstFeatureSlot; slot <= attributes; ++slot) {
            const int32_t owner = cell(kHeaderRecord, slot);
            if (owner != 0 &&
                (!isRecordOfType(owner, kRecordFeature) || cell(owner, kAttrNextSister) != slot))
                return false;
        }
        for (int32_t r = 2; r <= records; ++r) {
            if (type(r) == kRecordFeature) {
                const int32_t slot = cell(r, kAttrNextSister);
                if (slot != 0 && (slot < kFirstFeatureSlot || slot > attributes ||
                                  cell(kHeaderRecord, slot) != r))
                    return false;
            } else if (type(r) == kRecordNode) {
                const int32_t nodeLinks[] = {kAttrMother,
                                             kAttrLeftmostDaughter,
                                             kAttrNextSister,
                                             kAttrMainTerminalNode,
                                             kAttrFootNode,
                                             kAttrLowestXBarSpineNode,
                                             kAttrNextWordInCategory};
                for (const int32_t attribute : nodeLinks)
                    if (!isNothingOr(cell(r, attribute), kRecordNode))
                        return false;
                if (!isNothingOr(cell(r, kAttrWordCategory), kRecordCategory) ||
                    !isNothingOr(cell(r, kAttrCategory), kRecordCategory))
                    return false;
                if (!hasCoordinatesInRange(r))
                    return false;
            } else if (type(r) == kRecordCategory) {
                if (!isNothingOr(cell(r, kAttrNextWordInCategory), kRecordNode))
                    return false;
            }
        }
        return true;
    }

    // A point far outside any drawing is damage, and would overflow the drawing's sums.
    bool hasCoordinatesInRange(int32_t node) const {
        const int32_t coordinates[] = {
            kAttrAbsoluteH,           kAttrAbsoluteV,         kAttrRelativeH,
            kAttrRelativeV,           kAttrXOffset,           kAttrNodeRectLeft,
            kAttrNodeRectTop,         kAttrNodeRectRight,     kAttrNodeRectBottom,
            kAttrCumulativeRectLeft,  kAttrCumulativeRectTop, kAttrCumulativeRectRight,
            kAttrCumulativeRectBottom};
        for (const int32_t attribute : coordinates)
            if (!isCoordinateInRange(cell(node, attribute)))
                return false;
        return true;
    }

    bool claimString(int32_t id, std::vector<bool>& claimed) const {
        if (id == 0)
            return true;
        int32_t status = 0;
        if (id < 1 || id > strings.maxArrayIndex() || strings.getStringStatus(id, status) ||
            status != CStringManager::kCurrent || claimed[static_cast<std::size_t>(id)])
            return false;
        claimed[static_cast<std::size_t>(id)] = true;
        return true;
    }

    bool checkStrings() const {
        std::vector<bool> claimed(static_cast<std::size_t>(strings.maxArrayIndex()) + 1, false);
        if (!claimString(cell(kHeaderRecord, kHdrScriptText), claimed) ||
            !claimString(cell(kHeaderRecord, kHdrFontName), claimed))
            return false;
        for (int32_t r = 2; r <= records; ++r) {
            if (type(r) < kRecordNode)
                continue;
            for (int32_t a = 1; a <= attributes; ++a)
                if (isStringAttribute(a) && !claimString(cell(r, a), claimed))
                    return false;
        }
        return true;
    }

    const CTablet& tablet;
    const CStringManager& strings;
    int32_t records = 0;
    int32_t attributes = 0;
};

} // namespace

RErr checkLoadedDatabase(const CTablet& tablet, const CStringManager& strings) {
    if (!tablet.exists() || !strings.exists())
        return kErrNotInitialized;
    CLoadedDatabaseChecker checker(tablet, strings);
    return checker.check() ? kNoErr : kErrInvalidFormat;
}
