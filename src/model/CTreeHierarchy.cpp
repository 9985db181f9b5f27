// CTree's node hierarchy: node checks, the root list, mothers, daughters, sisters, node cells.

#include "model/CTree.h"

#include "base/ErrorReporter.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int32_t kArbitraryNameCreatorTag = 86;
constexpr int32_t kMovedCitationFormCreatorTag = 87;
constexpr int32_t kColorBlack = 1;

// The root attributes that name a node of the root's own tree.
constexpr int32_t kRootNodeReferences[] = {kAttrMainTerminalNode, kAttrFootNode,
                                           kAttrLowestXBarSpineNode};

} // namespace

// --- Validation ---

bool CTree::verifyNode(int32_t node) const {
    // The header is never a node, even when its free-list head happens to read as type 2.
    return node > kHeaderRecord && node <= recordCount() &&
           theTablet->cell(node, kAttrType) == kRecordNode;
}

RErr CTree::validateNodeWithError(int32_t node) const {
    return reportError("CTree::validateNodeWithError",
                       verifyNode(node) ? kNoErr : kErrInvalidParameter);
}

RErr CTree::validateRootWithError(int32_t node) const {
    const bool isRoot = verifyNode(node) && theTablet->cell(node, kAttrMother) == 0;
    return reportError("CTree::validateRootWithError", isRoot ? kNoErr : kErrInvalidParameter);
}

// --- Roots ---

bool CTree::isInRootList(int32_t node) const {
    // A clone or a reused record may carry stale root links, so membership is proven by the
    // neighbour pointing back.
    if (cellOrZero(kHeaderRecord, kHdrFirstRoot) == node)
        return true;
    const int32_t previous = cellOrZero(node, kAttrPreviousRoot);
    return verifyNode(previous) && theTablet->cell(previous, kAttrNextRoot) == node;
}

RErr CTree::newRoot(int32_t& node) {
    node = 0;
    int32_t created = 0;
    RErr err = newRecord(created, kRecordNode);
    if (!err)
        err = dataTask(created, kAttrColor, kColorBlack);
    if (!err)
        err = addNodeToRootList(created);
    if (!err)
        err = markNewTreeDirty(created);
    if (!err)
        node = created;
    return reportError("CTree::newRoot", err);
}

RErr CTree::addNodeToRootList(int32_t node) {
    RErr err = validateNodeWithError(node);
    // Adding a member twice would close the list into a cycle.
    if (!err && isInRootList(node))
        err = kErrInvalidParameter;
    int32_t head = 0;
    if (!err)
        err = getRootOfList(kHdrFirstRoot, head);
    if (!err)
        err = dataTask(node, kAttrNextRoot, head);
    if (!err && head != 0)
        err = dataTask(head, kAttrPreviousRoot, node);
    if (!err)
        err = setRootOfList(kHdrFirstRoot, node);
    if (!err)
        err = dataTask(node, kAttrPreviousRoot, 0);
    return reportError("CTree::addNodeToRootList", err);
}

RErr CTree::removeNodeFromRootList(int32_t node) {
    RErr err = validateNodeWithError(node);
    // Unlinking a non-member would move the head to its stale link and lose every tree.
    if (!err && !isInRootList(node))
        err = kErrInvalidParameter;
    const int32_t previous = cellOrZero(node, kAttrPreviousRoot);
    const int32_t next = cellOrZero(node, kAttrNextRoot);
    if (!err)
        err = previous != 0 ? dataTask(previous, kAttrNextRoot, next)
                            : setRootOfList(kHdrFirstRoot, next);
    if (!err && next != 0)
        err = dataTask(next, kAttrPreviousRoot, previous);
    if (!err)
        err = dataTask(node, kAttrPreviousRoot, 0);
    if (!err)
        err = dataTask(node, kAttrNextRoot, 0);
    return reportError("CTree::removeNodeFromRootList", err);
}

RErr CTree::findRoot(int32_t node, int32_t& root) const {
    root = 0;
    const RErr err = validateNodeWithError(node);
    if (!err)
        root = rootOfValidNode(node);
    return reportError("CTree::findRoot", err);
}

int32_t CTree::rootOfValidNode(int32_t node) const {
    // The last answer is kept: the next question is most often about a node just below it
    // (a walk, or a chain being built), and then the climb stops there. The answer holds as
    // long as no link has been replaced and its root is still a root: a tree put below
    // another gives its root a mother, which the second test sees.
    const uint64_t changes = theTablet->watchedChanges();
    const bool cacheHolds = rootCache.node != 0 && rootCache.changes == changes &&
                            verifyNode(rootCache.root) &&
                            theTablet->cell(rootCache.root, kAttrMother) == 0;
    int32_t current = node;
    for (;;) {
        if (cacheHolds && current == rootCache.node) {
            current = rootCache.root;
            break;
        }
        const int32_t mother = theTablet->cell(current, kAttrMother);
        if (mother == 0)
            break;
        current = mother;
    }
    rootCache = RRootCache{changes, node, current};
    return current;
}

RErr CTree::readNodeCell(const char* name, int32_t node, int32_t attribute, int32_t& value) const {
    value = 0;
    const RErr err = validateNodeWithError(node);
    if (!err)
        value = theTablet->cell(node, attribute);
    return reportError(name, err);
}

RErr CTree::readRootCell(const char* name, int32_t root, int32_t attribute, int32_t& value) const {
    value = 0;
    const RErr err = validateRootWithError(root);
    if (!err)
        value = theTablet->cell(root, attribute);
    return reportError(name, err);
}

RErr CTree::getFirstRoot(int32_t& root) const {
    return reportError("CTree::getFirstRoot", getRootOfList(kHdrFirstRoot, root));
}

RErr CTree::getNextRoot(int32_t root, int32_t& next) const {
    return readRootCell("CTree::getNextRoot", root, kAttrNextRoot, next);
}

// --- Daughters and sisters ---

RErr CTree::getMother(int32_t node, int32_t& mother) const {
    return readNodeCell("CTree::getMother", node, kAttrMother, mother);
}

RErr CTree::getLeftmostDaughter(int32_t node, int32_t& daughter) const {
    return readNodeCell("CTree::getLeftmostDaughter", node, kAttrLeftmostDaughter, daughter);
}

RErr CTree::getNextSister(int32_t node, int32_t& sister) const {
    return readNodeCell("CTree::getNextSister", node, kAttrNextSister, sister);
}

RErr CTree::getRightmostDaughter(int32_t mother, int32_t& daughter) const {
    daughter = 0;
    const RErr err = validateNodeWithError(mother);
    if (!err)
        for (int32_t d = theTablet->cell(mother, kAttrLeftmostDaughter); d != 0;
             d = theTablet->cell(d, kAttrNextSister))
            daughter = d;
    return reportError("CTree::getRightmostDaughter", err);
}

RErr CTree::getPreviousSister(int32_t node, int32_t& sister) const {
    sister = 0;
    const RErr err = validateNodeWithError(node);
    const int32_t mother = err ? 0 : theTablet->cell(node, kAttrMother);
    int32_t previous = 0;
    for (int32_t d = mother != 0 ? theTablet->cell(mother, kAttrLeftmostDaughter) : 0; d != 0;
         d = theTablet->cell(d, kAttrNextSister)) {
        if (d == node) {
            sister = previous;
            break;
        }
        previous = d;
    }
    return reportError("CTree::getPreviousSister", err);
}

RErr CTree::howManyDaughters(int32_t node, int32_t& count) const {
    count = 0;
    const RErr err = validateNodeWithError(node);
    if (!err)
        for (int32_t d = theTablet->cell(node, kAttrLeftmostDaughter); d != 0;
             d = theTablet->cell(d, kAttrNextSister))
            ++count;
    return reportError("CTree::howManyDaughters", err);
}

RErr CTree::newDaughterToLeft(int32_t mother, int32_t& node) {
    node = 0;
    int32_t created = 0;
    RErr err = validateNodeWithError(mother);
    const int32_t formerFirst = err ? 0 : theTablet->cell(mother, kAttrLeftmostDaughter);
    if (!err)
        err = newRecord(created, kRecordNode);
    if (!err)
        err = dataTask(created, kAttrMother, mother);
    if (!err)
        err = dataTask(created, kAttrNextSister, formerFirst);
    if (!err)
        err = dataTask(mother, kAttrLeftmostDaughter, created);
    if (!err)
        err = dataTask(created, kAttrColor, kColorBlack);
    if (!err)
        err = treeDirty(mother);
    if (!err)
        node = created;
    return reportError("CTree::newDaughterToLeft", err);
}

RErr CTree::newDaughterToRight(int32_t mother, int32_t& node) {
    node = 0;
    int32_t created = 0;
    int32_t formerLast = 0;
    RErr err = getRightmostDaughter(mother, formerLast);
    if (!err)
        err = newRecord(created, kRecordNode);
    if (!err)
        err = dataTask(created, kAttrMother, mother);
    if (!err)
        err = formerLast != 0 ? dataTask(formerLast, kAttrNextSister, created)
                              : dataTask(mother, kAttrLeftmostDaughter, created);
    if (!err)
        err = dataTask(created, kAttrColor, kColorBlack);
    if (!err)
        err = treeDirty(mother);
    if (!err)
        node = created;
    return reportError("CTree::newDaughterToRight", err);
}

// --- Traversal ---

RErr CTree::getNextNode(int32_t node, int32_t haltNode, int32_t& next) const {
    next = 0;
    RErr err = validateNodeWithError(node);
    if (!err && haltNode != 0)
        err = validateNodeWithError(haltNode);
    if (err)
        return reportError("CTree::getNextNode", err);
    const int32_t firstDaughter = theTablet->cell(node, kAttrLeftmostDaughter);
    if (firstDaughter != 0) {
        next = firstDaughter;
        return kNoErr;
    }
    if (node == haltNode)
        return kNoErr;
    const int32_t sister = theTablet->cell(node, kAttrNextSister);
    if (sister != 0) {
        next = sister;
        return kNoErr;
    }
    int32_t current = node;
    for (int32_t mother = theTablet->cell(current, kAttrMother); mother != 0;
         mother = theTablet->cell(current, kAttrMother)) {
        if (mother == haltNode)
            return kNoErr;
        const int32_t auntie = theTablet->cell(mother, kAttrNextSister);
        if (auntie != 0) {
            next = auntie;
            return kNoErr;
        }
        current = mother;
    }
    next = theTablet->cell(current, kAttrNextRoot);
    return kNoErr;
}

// --- Labels and subscripts ---

RErr CTree::getLabel(int32_t node, const CRString*& label) {
    label = nullptr;
    RErr err = validateNodeWithError(node);
    if (!err)
        err = getAnyString(node, kAttrLabel, label);
    return reportError("CTree::getLabel", err);
}

RErr CTree::setSubscript(int32_t node, const CRString* subscript) {
    RErr err = validateNodeWithError(node);
    if (!err)
        err = stringTask(node, kAttrSubscript, subscript);
    if (!err)
        err = treeDirty(node);
    return reportError("CTree::setSubscript", err);
}

RErr CTree::getSubscript(int32_t node, const CRString*& subscript) {
    subscript = nullptr;
    RErr err = validateNodeWithError(node);
    if (!err)
        err = getAnyString(node, kAttrSubscript, subscript);
    return reportError("CTree::getSubscript", err);
}

// --- Flags ---

RErr CTree::setSelectedValue(int32_t node, int32_t value) {
    RErr err = validateNodeWithError(node);
    if (!err && value != 0 && value != 1)
        err = kErrInvalidParameter;
    if (!err)
        setCellDirectly(node, kAttrSelected, value);
    return reportError("CTree::setSelectedValue", err);
}

RErr CTree::setOffendingNodeValue(int32_t node, int32_t value) {
    RErr err = validateNodeWithError(node);
    if (!err)
        err = dataTask(node, kAttrOffending, value);
    return reportError("CTree::setOffendingNodeValue", err);
}

RErr CTree::getOffendingNodeValue(int32_t node, int32_t& value) const {
    return readNodeCell("CTree::getOffendingNodeValue", node, kAttrOffending, value);
}

RErr CTree::turnOffAllOffendingNodes() {
    int32_t node = 0;
    RErr err = getFirstRoot(node);
    while (!err && node != 0) {
        if (theTablet->cell(node, kAttrOffending) != 0)
            err = dataTask(node, kAttrOffending, 0);
        if (!err)
            err = getNextNode(node, 0, node);
    }
    return reportError("CTree::setOffendingNodeValue", err);
}

RErr CTree::markNewTreeDirty(int32_t root) {
    // The root did not exist before this step, so undo takes it away and no old layout needs
    // redoing; a plain task leaves the record as clean as it was for its next use.
    return dataTask(root, kAttrDirty, 1);
}

RErr CTree::treeDirty(int32_t node) {
    int32_t root = 0;
    RErr err = findRoot(node, root);
    if (!err) {
        // Written before the task, so the task's old value is 1 and neither undo nor redo
        // can leave the tree without a layout.
        setCellDirectly(root, kAttrDirty, 1);
        err = dataTask(root, kAttrDirty, 1);
    }
    return reportError("CTree::treeDirty", err);
}

// --- Root information ---

RErr CTree::setCitationForm(int32_t root, const CRString* text) {
    RErr err = validateRootWithError(root);
    if (!err)
        err = stringTask(root, kAttrCitationForm, text);
    return reportError("CTree::setCitationForm", err);
}

RErr CTree::getCitationForm(int32_t root, const CRString*& text) {
    text = nullptr;
    RErr err = validateRootWithError(root);
    if (!err)
        err = getAnyString(root, kAttrCitationForm, text);
    return reportError("CTree::getCitationForm", err);
}

RErr CTree::setWordCategory(int32_t root, int32_t category) {
    RErr err = validateRootWithError(root);
    if (!err && category != 0)
        err = validateCategoryWithError(category);
    if (!err)
        err = dataTask(root, kAttrWordCategory, category);
    return reportError("CTree::setWordCategory", err);
}

RErr CTree::getWordCategory(int32_t root, int32_t& category) const {
    return readRootCell("CTree::getWordCategory", root, kAttrWordCategory, category);
}

RErr CTree::setRootNodeReference(const char* name, int32_t root, int32_t attribute, int32_t node) {
    RErr err = validateRootWithError(root);
    if (!err && node != 0)
        err = validateNodeWithError(node);
    if (!err)
        err = dataTask(root, attribute, node);
    return reportError(name, err);
}

RErr CTree::setMainTerminalNode(int32_t root, int32_t node) {
    return setRootNodeReference("CTree::setMainTerminalNode", root, kAttrMainTerminalNode, node);
}

RErr CTree::getMainTerminalNode(int32_t root, int32_t& node) const {
    return readRootCell("CTree::getMainTerminalNode", root, kAttrMainTerminalNode, node);
}

RErr CTree::setFootNode(int32_t root, int32_t node) {
    return setRootNodeReference("CTree::setFootNode", root, kAttrFootNode, node);
}

RErr CTree::getFootNode(int32_t root, int32_t& node) const {
    return readRootCell("CTree::getFootNode", root, kAttrFootNode, node);
}

RErr CTree::setLowestXBarSpineNode(int32_t root, int32_t node) {
    return setRootNodeReference("CTree::setLowestXBarSpineNode", root, kAttrLowestXBarSpineNode,
                                node);
}

RErr CTree::getLowestXBarSpineNode(int32_t root, int32_t& node) const {
    return readRootCell("CTree::getLowestXBarSpineNode", root, kAttrLowestXBarSpineNode, node);
}

RErr CTree::moveRootInfo(int32_t oldRoot, int32_t newRoot) {
    RErr err = validateRootWithError(oldRoot);
    if (!err)
        err = validateRootWithError(newRoot);
    std::unique_ptr<CRString> citationForm;
    if (!err && theTablet->cell(oldRoot, kAttrCitationForm) != 0) {
        // A copy: emptying the old cell hands its text back to the string manager.
        const CRString* text = nullptr;
        err = getAnyString(oldRoot, kAttrCitationForm, text);
        if (!err)
            citationForm = CRString::cloneCRString(*text, kMovedCitationFormCreatorTag);
    }
    if (!err)
        err = killStringField(oldRoot, kAttrCitationForm);
    if (!err)
        err = stringTask(newRoot, kAttrCitationForm, citationForm.get());
    // The values move as they are: they were checked when they were set.
    const int32_t moved[] = {kAttrWordCategory, kAttrMainTerminalNode, kAttrFootNode,
                             kAttrLowestXBarSpineNode};
    for (const int32_t attribute : moved) {
        if (err)
            break;
        const int32_t value = theTablet->cell(oldRoot, attribute);
        err = dataTask(oldRoot, attribute, 0);
        if (!err)
            err = dataTask(newRoot, attribute, value);
    }
    return reportError("CTree::moveRootInfo", err);
}

RErr CTree::setBelongsToXBarSpine(int32_t node) {
    RErr err = validateNodeWithError(node);
    if (!err)
        err = dataTask(node, kAttrBelongsToXBarSpine, 1);
    return reportError("CTree::setBelongsToXBarSpine", err);
}

RErr CTree::getBelongsToXBarSpine(int32_t node, int32_t& value) const {
    return readNodeCell("CTree::getBelongsToXBarSpine", node, kAttrBelongsToXBarSpine, value);
}

RErr CTree::setWhereIsTree(int32_t root, int32_t where) {
    RErr err = validateRootWithError(root);
    if (!err)
        err = dataTask(root, kAttrWhereIsTree, where);
    return reportError("CTree::setWhereIsTree", err);
}

RErr CTree::getWhereIsTree(int32_t root, int32_t& where) const {
    return readRootCell("CTree::getWhereIsTree", root, kAttrWhereIsTree, where);
}

// --- Deleting and killing ---

RErr CTree::canDeleteNode(int32_t node, bool& can) const {
    can = false;
    int32_t mother = 0;
    int32_t daughters = 0;
    RErr err = getMother(node, mother);
    if (!err && mother == 0)
        err = howManyDaughters(node, daughters);
    if (!err)
        can = mother != 0 || daughters == 1;
    return reportError("CTree::canDeleteNode", err);
}

RErr CTree::deleteNode(int32_t node, int32_t& root) {
    root = 0;
    bool can = false;
    RErr err = canDeleteNode(node, can);
    if (!err && !can)
        err = kErrGeneral;
    int32_t treeRoot = 0, mother = 0, first = 0, last = 0, previous = 0, next = 0;
    if (!err)
        err = findRoot(node, treeRoot);
    if (!err)
        err = getMother(node, mother);
    if (!err)
        err = getLeftmostDaughter(node, first);
    if (!err)
        err = getRightmostDaughter(node, last);
    if (!err)
        err = getPreviousSister(node, previous);
    if (!err)
        err = getNextSister(node, next);
    if (!err && mother != 0 && theTablet->cell(treeRoot, kAttrLowestXBarSpineNode) == node)
        err = setLowestXBarSpineNode(treeRoot, mother);

    int32_t remaining = treeRoot;
    if (!err && mother == 0) {
        // A root with its one daughter: the daughter becomes the root and takes the word.
        // The old tree is marked first, so that undo brings it back marked for layout.
        remaining = first;
        err = treeDirty(node);
        if (!err)
            err = addNodeToRootList(first);
        if (!err)
            err = dataTask(first, kAttrMother, 0);
        if (!err)
            err = moveRootInfo(node, first);
        if (!err)
            err = removeNodeFromRootList(node);
    } else if (!err && first != 0) {
        for (int32_t d = first; d != 0 && !err; d = theTablet->cell(d, kAttrNextSister))
            err = dataTask(d, kAttrMother, mother);
        if (!err)
            err = previous != 0 ? dataTask(previous, kAttrNextSister, first)
                                : dataTask(mother, kAttrLeftmostDaughter, first);
        if (!err && next != 0)
            err = dataTask(last, kAttrNextSister, next);
    } else if (!err) {
        err = previous != 0 ? dataTask(previous, kAttrNextSister, next)
                            : dataTask(mother, kAttrLeftmostDaughter, next);
    }
    // The daughters have a new place; the kill must not take them along.
    if (!err)
        err = dataTask(node, kAttrLeftmostDaughter, 0);
    if (!err)
        err = killNodeWithoutDetaching(node);
    if (!err)
        err = remaining == treeRoot ? treeDirty(remaining) : markNewTreeDirty(remaining);
    if (!err)
        root = remaining;
    return reportError("CTree::deleteNode", err);
}

RErr CTree::detachFromMother(int32_t node) {
    const int32_t mother = theTablet->cell(node, kAttrMother);
    const int32_t next = theTablet->cell(node, kAttrNextSister);
    int32_t previous = 0;
    RErr err = getPreviousSister(node, previous);
    if (!err)
        err = previous != 0 ? dataTask(previous, kAttrNextSister, next)
                            : dataTask(mother, kAttrLeftmostDaughter, next);
    if (!err)
        err = dataTask(node, kAttrMother, 0);
    if (!err)
        err = dataTask(node, kAttrNextSister, 0);
    if (!err)
        err = treeDirty(mother);
    return err;
}

RErr CTree::killRootNode(int32_t node) {
    RErr err = validateNodeWithError(node);
    // A whole tree is marked before it goes, so that undo brings it back marked for layout;
    // a subtree's old tree is marked by the detaching.
    const bool hasMother = !err && theTablet->cell(node, kAttrMother) != 0;
    if (!err)
        err = hasMother ? detachFromMother(node) : treeDirty(node);
    if (!err && isInRootList(node))
        err = removeNodeFromRootList(node);
    if (!err)
        err = killNodeWithoutDetaching(node);
    return reportError("CTree::killNode", err);
}

void CTree::collectSubtreeForKilling(int32_t node, std::vector<int32_t>& nodes) const {
    // Pre-order with the daughters taken right to left, reversed: every daughter comes before
    // its mother and sisters left to right, as a recursive kill would visit them.
    nodes.clear();
    std::vector<int32_t> pending{node};
    while (!pending.empty()) {
        const int32_t current = pending.back();
        pending.pop_back();
        nodes.push_back(current);
        for (int32_t d = theTablet->cell(current, kAttrLeftmostDaughter); d != 0;
             d = theTablet->cell(d, kAttrNextSister))
            pending.push_back(d);
    }
    std::reverse(nodes.begin(), nodes.end());
}

RErr CTree::clearRootReferencesTo(std::vector<int32_t> dying) {
    std::sort(dying.begin(), dying.end());
    const auto isDying = [&](int32_t record) {
        return std::binary_search(dying.begin(), dying.end(), record);
    };
    RErr err = kNoErr;
    for (int32_t root = cellOrZero(kHeaderRecord, kHdrFirstRoot); root != 0 && !err;
         root = cellOrZero(root, kAttrNextRoot)) {
        if (isDying(root))
            continue;
        for (const int32_t attribute : kRootNodeReferences) {
            const int32_t named = theTablet->cell(root, attribute);
            if (!err && named != 0 && isDying(named))
                err = dataTask(root, attribute, 0);
        }
    }
    return err;
}

RErr CTree::killOneNode(int32_t node) {
    RErr err = kNoErr;
    // Every text the node holds goes back to the string manager, feature values included
    // (a slot whose feature is gone must not keep the record from being discarded).
    const int32_t attributes = attributeCount();
    for (int32_t a = kAttrType + 1; a <= attributes && !err; ++a)
        if (isStringAttribute(a) && theTablet->cell(node, a) != 0)
            err = stringTask(node, a, nullptr);
    for (int32_t a = kAttrType + 1; a <= kBaseAttributeCount && !err; ++a)
        if (a != kAttrFishSpine && theTablet->cell(node, a) != 0)
            err = dataTask(node, a, 0);
    if (!err)
        err = discardRecord(node);
    return err;
}

RErr CTree::killNodeWithoutDetaching(int32_t node) {
    RErr err = validateNodeWithError(node);
    // A root must not stay in the root list once its record is free.
    if (!err && isInRootList(node))
        err = removeNodeFromRootList(node);
    std::vector<int32_t> dying;
    if (!err) {
        collectSubtreeForKilling(node, dying);
        err = clearRootReferencesTo(dying);
    }
    for (const int32_t victim : dying) {
        if (err)
            break;
        err = killOneNode(victim);
    }
    return reportError("CTree::killNodeWithoutDetaching", err);
}

// --- Cloning ---

RErr CTree::cloneNode(int32_t node, int32_t& copy) {
    copy = 0;
    int32_t created = 0;
    RErr err = validateNodeWithError(node);
    if (!err)
        err = newRecord(created, kRecordNode);
    const int32_t attributes = attributeCount();
    for (int32_t a = 1; a <= attributes && !err; ++a) {
        if (a == kAttrFishSpine || a == kAttrFishSpineDepth)
            continue;
        const int32_t value = theTablet->cell(node, a);
        if (isStringAttribute(a) && value != 0) {
            const CRString* text = nullptr;
            err = getAnyString(node, a, text);
            if (!err)
                err = stringTask(created, a, text);
        } else if (theTablet->cell(created, a) != value) {
            err = dataTask(created, a, value);
        }
    }
    if (!err)
        copy = created;
    return reportError("CTree::cloneNode", err);
}

namespace {

// One node of the tree being copied, with where its copy stands in the work.
struct RCloneFrame {
    enum Stage { kStart, kAfterSister, kAfterDaughter };
    int32_t source = 0;
    int32_t newMother = 0;
    int32_t copy = 0;
    Stage stage = kStart;
};

} // namespace

RErr CTree::cloneTree(int32_t root, int32_t& newRoot) {
    // Copies a node, then its next sisters, then its daughters, taking records in the same
    // order as the natural recursion, but with an explicit stack so that no depth or width
    // can exhaust the call stack.
    newRoot = 0;
    RErr err = validateRootWithError(root);
    const int32_t mainTerminal = cellOrZero(root, kAttrMainTerminalNode);
    const int32_t foot = cellOrZero(root, kAttrFootNode);
    const int32_t lowest = cellOrZero(root, kAttrLowestXBarSpineNode);
    int32_t top = 0;
    int32_t returned = 0; // the copy made by the frame that finished last
    std::vector<RCloneFrame> frames;
    if (!err)
        frames.push_back({root, 0, 0, RCloneFrame::kStart});
    while (!err && !frames.empty()) {
        const std::size_t index = frames.size() - 1;
        RCloneFrame frame = frames[index];
        if (frame.stage == RCloneFrame::kStart) {
            err = cloneNode(frame.source, frame.copy);
            if (!err && index == 0) {
                top = frame.copy;
                err = addNodeToRootList(top);
            }
            if (!err)
                err = dataTask(frame.copy, kAttrMother, frame.newMother);
            if (!err && frame.source == mainTerminal)
                err = setMainTerminalNode(top, frame.copy);
            if (!err && frame.source == foot)
                err = setFootNode(top, frame.copy);
            if (!err && frame.source == lowest)
                err = setLowestXBarSpineNode(top, frame.copy);
            frame.stage = RCloneFrame::kAfterSister;
            frames[index] = frame;
            const int32_t sister = index == 0 ? 0 : theTablet->cell(frame.source, kAttrNextSister);
            if (!err && sister != 0) {
                frames.push_back({sister, frame.newMother, 0, RCloneFrame::kStart});
                continue;
            }
            returned = 0;
        }
        if (!err && frame.stage == RCloneFrame::kAfterSister) {
            if (returned != 0)
                err = dataTask(frame.copy, kAttrNextSister, returned);
            frame.stage = RCloneFrame::kAfterDaughter;
            frames[index] = frame;
            const int32_t daughter = theTablet->cell(frame.source, kAttrLeftmostDaughter);
            if (!err && daughter != 0) {
                frames.push_back({daughter, frame.copy, 0, RCloneFrame::kStart});
                continue;
            }
            returned = 0;
        }
        if (!err && returned != 0)
            err = dataTask(frame.copy, kAttrLeftmostDaughter, returned);
        returned = frame.copy;
        frames.pop_back();
    }
    if (!err)
        err = markNewTreeDirty(top);
    if (!err)
        newRoot = top;
    return reportError("CTree::cloneTree", err);
}

// --- Names for new records ---

RErr CTree::makeArbitraryString(int32_t recordType, std::unique_ptr<CRString>& text) {
    text.reset();
    int32_t counterAttribute = 0;
    const char* prefix = "";
    RErr err = kNoErr;
    switch (recordType) {
    case kRecordNode:
        counterAttribute = kHdrWordNameCounter;
        prefix = "New Word ";
        break;
    case kRecordCategory:
        counterAttribute = kHdrCategoryNameCounter;
        prefix = "X";
        break;
    case kRecordFeature:
        counterAttribute = kHdrFeatureNameCounter;
        prefix = "Feature ";
        break;
    default:
        err = kErrGeneral;
    }
    int32_t number = 0;
    if (!err)
        err = getValue(kHeaderRecord, counterAttribute, number);
    // Counted in unsigned arithmetic so the largest value wraps instead of overflowing.
    if (!err)
        err = dataTask(kHeaderRecord, counterAttribute,
                       static_cast<int32_t>(static_cast<uint32_t>(number) + 1u));
    if (!err)
        text =
            std::make_unique<CRString>(prefix + std::to_string(number), kArbitraryNameCreatorTag);
    return reportError("CTree::makeArbitraryString", err);
}
