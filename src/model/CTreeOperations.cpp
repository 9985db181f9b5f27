// CTree's tree-building operations: attach, detach, substitute, adjoin, combine, label.

#include "model/CTree.h"

#include "base/ErrorReporter.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <string>
#include <vector>

// The operations scripts and the canvas build trees with. Each records its changes as tasks of
// the step the caller has opened. None may link a node below itself: scripts come from grammar
// files of any origin, and one cycle would hang every later walk.

namespace {

constexpr int32_t kCategorialPartCreatorTag = 89;
constexpr int32_t kNodeLabelCreatorTag = 90;
constexpr int32_t kIndexCreatorTag = 91;
constexpr int32_t kDetachDrop = 20;      // a detached subtree appears this far below its place
constexpr int32_t kDetachCloneDrop = 30; // and a detached copy a little further
constexpr int32_t kFirstIndexLetter = 'i';
constexpr int32_t kProjectionNone = -1;
constexpr int32_t kProjectionMaximal = 2;

// Reflexive dominance over links of validated nodes.
bool dominates(const CTablet& tablet, int32_t a, int32_t b) {
    for (int32_t node = b; node != 0; node = tablet.cell(node, kAttrMother))
        if (node == a)
            return true;
    return false;
}

int32_t rootOf(const CTablet& tablet, int32_t node) {
    for (int32_t up = tablet.cell(node, kAttrMother); up != 0; up = tablet.cell(node, kAttrMother))
        node = up;
    return node;
}

RErr requireNodes(const CTree& tree, int32_t a, int32_t b) {
    return tree.verifyNode(a) && tree.verifyNode(b) ? kNoErr : kErrInvalidParameter;
}

// A categorial label split at its slash.
struct RCategorialLabel {
    std::string whole;
    std::string left;
    std::string right;
    int32_t direction = 0;
    bool error = false;
};

RCategorialLabel parseLabel(const std::string& label) {
    RCategorialLabel parsed;
    parsed.whole = label;
    int32_t depth = 0;
    for (const char c : label) {
        std::string& part = parsed.direction == 0 ? parsed.left : parsed.right;
        if (c == '(') {
            // The outermost parenthesis of each part is dropped.
            if (++depth >= 2)
                part += c;
        } else if (c == ')') {
            if (depth >= 2)
                part += c;
            // A closing parenthesis without its opening one is unbalanced, even when a later
            // opening one brings the depth back to 0.
            if (--depth < 0)
                parsed.error = true;
        } else if ((c == '/' || c == '\\') && depth <= 0) {
            if (parsed.direction == 0)
                parsed.direction = c;
            else
                parsed.error = true;
        } else {
            part += c;
        }
    }
    if (depth != 0)
        parsed.error = true;
    return parsed;
}

// Application: X/Y or X\Y takes the label Y.
bool isFunctorOf(const RCategorialLabel& functor, const RCategorialLabel& argument) {
    return functor.direction != 0 && functor.right == argument.whole;
}

// A part as it must be written inside a new label: with its brackets back when it has a slash
// of its own at depth 0, so that the new label parses into the same parts again.
std::string asPart(const std::string& part) {
    int32_t depth = 0;
    for (const char c : part) {
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if ((c == '/' || c == '\\') && depth == 0)
            return "(" + part + ")";
    }
    return part;
}

// Composition: the first label's argument is the second label's result.
bool composesBefore(const RCategorialLabel& first, const RCategorialLabel& second) {
    return first.right == second.left;
}

// A feature value counts as set when it reads as a non-zero number: "" and "0" do not.
bool isSet(const CRString* value) {
    return value != nullptr && value->getNumericValue() != 0;
}

// The root of a combination: in the tree area, where the second node was last drawn.
RErr makeCombinedRoot(CTree& tree, int32_t second, const std::string& label, int32_t& root) {
    const int32_t h = tree.tablet().cell(second, kAttrRelativeH);
    const int32_t v = tree.tablet().cell(second, kAttrRelativeV);
    RErr err = tree.newRoot(root);
    if (!err)
        err = tree.dataTask(root, kAttrWhereIsTree, kTreeOnWorkArea);
    if (!err)
        err = tree.dataTask(root, kAttrAbsoluteH, h);
    if (!err)
        err = tree.dataTask(root, kAttrAbsoluteV, v);
    if (!err) {
        const CRString text(label, kNodeLabelCreatorTag);
        err = tree.stringTask(root, kAttrLabel, &text);
    }
    return err;
}

} // namespace

// --- Attaching and detaching ---

RErr CTree::attachDaughter(int32_t daughter, int32_t mother, bool toLeft) {
    RErr err = requireNodes(*this, daughter, mother);
    // Below itself or one of its own descendants it would close a cycle.
    if (!err && dominates(*theTablet, daughter, mother))
        err = kErrInvalidParameter;
    if (!err && theTablet->cell(daughter, kAttrMother) != 0)
        err = detachFromMother(daughter);
    if (!err && isInRootList(daughter))
        err = removeNodeFromRootList(daughter);
    int32_t last = 0;
    if (!err && !toLeft)
        err = getRightmostDaughter(mother, last);
    const int32_t next = !err && toLeft ? theTablet->cell(mother, kAttrLeftmostDaughter) : 0;
    if (!err)
        err = dataTask(daughter, kAttrMother, mother);
    if (!err && theTablet->cell(daughter, kAttrNextSister) != next)
        err = dataTask(daughter, kAttrNextSister, next);
    if (!err)
        err = last != 0 ? dataTask(last, kAttrNextSister, daughter)
                        : dataTask(mother, kAttrLeftmostDaughter, daughter);
    if (!err)
        err = treeDirty(mother);
    return err;
}

RErr CTree::attachDaughterToLeft(int32_t daughter, int32_t mother) {
    return reportError("CTree::attachDaughterToLeft", attachDaughter(daughter, mother, true));
}

RErr CTree::attachDaughterToRight(int32_t daughter, int32_t mother) {
    return reportError("CTree::attachDaughterToRight", attachDaughter(daughter, mother, false));
}

RErr CTree::detach(int32_t node) {
    RErr err =
        verifyNode(node) && theTablet->cell(node, kAttrMother) != 0 ? kNoErr : kErrInvalidParameter;
    if (!err)
        err = detachFromMother(node);
    if (!err)
        err = addNodeToRootList(node);
    if (!err)
        err = dataTask(node, kAttrWhereIsTree, kTreeOnWorkArea);
    if (!err)
        err = dataTask(node, kAttrAbsoluteH, theTablet->cell(node, kAttrRelativeH));
    if (!err)
        err = dataTask(node, kAttrAbsoluteV, theTablet->cell(node, kAttrRelativeV) + kDetachDrop);
    if (!err)
        err = markNewTreeDirty(node);
    return reportError("CTree::detach", err);
}

RErr CTree::detachClone(int32_t node, int32_t& copy) {
    copy = 0;
    int32_t created = 0;
    RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        err = cloneNode(node, created);
    // The copy came with the node's links: it keeps the daughters and drops the rest.
    if (!err && theTablet->cell(created, kAttrMother) != 0)
        err = dataTask(created, kAttrMother, 0);
    if (!err && theTablet->cell(created, kAttrNextSister) != 0)
        err = dataTask(created, kAttrNextSister, 0);
    for (int32_t d = err ? 0 : theTablet->cell(node, kAttrLeftmostDaughter); d != 0 && !err;
         d = theTablet->cell(d, kAttrNextSister))
        err = dataTask(d, kAttrMother, created);
    if (!err && theTablet->cell(node, kAttrLeftmostDaughter) != 0)
        err = dataTask(node, kAttrLeftmostDaughter, 0);
    if (!err)
        err = addNodeToRootList(created);
    if (!err)
        err = dataTask(created, kAttrWhereIsTree, kTreeOnWorkArea);
    if (!err)
        err = dataTask(created, kAttrAbsoluteH, theTablet->cell(node, kAttrRelativeH));
    if (!err)
        err = dataTask(created, kAttrAbsoluteV,
                       theTablet->cell(node, kAttrRelativeV) + kDetachCloneDrop);
    if (!err)
        err = markNewTreeDirty(created);
    if (!err)
        err = treeDirty(node);
    if (!err)
        copy = created;
    return reportError("CTree::detachClone", err);
}

RErr CTree::moveDaughters(int32_t from, int32_t to) {
    RErr err = requireNodes(*this, from, to);
    // Moving into its own subtree would close a cycle; moving out of a subtree of `to` would
    // kill `from` along with `to`'s daughters; and from == to would only kill the daughters.
    if (!err && (dominates(*theTablet, from, to) || dominates(*theTablet, to, from)))
        err = kErrInvalidParameter;
    std::vector<int32_t> doomed;
    for (int32_t d = err ? 0 : theTablet->cell(to, kAttrLeftmostDaughter); d != 0;
         d = theTablet->cell(d, kAttrNextSister))
        doomed.push_back(d);
    if (!err && !doomed.empty())
        err = dataTask(to, kAttrLeftmostDaughter, 0);
    for (std::size_t i = 0; i < doomed.size() && !err; ++i)
        err = killNodeWithoutDetaching(doomed[i]);
    const int32_t first = err ? 0 : theTablet->cell(from, kAttrLeftmostDaughter);
    for (int32_t d = first; d != 0 && !err; d = theTablet->cell(d, kAttrNextSister))
        err = dataTask(d, kAttrMother, to);
    if (!err && first != 0)
        err = dataTask(to, kAttrLeftmostDaughter, first);
    if (!err && first != 0)
        err = dataTask(from, kAttrLeftmostDaughter, 0);
    if (!err)
        err = treeDirty(from);
    if (!err)
        err = treeDirty(to);
    return reportError("CTree::moveDaughters", err);
}

// --- Substitution and adjunction ---

RErr CTree::takePlaceOf(int32_t newcomer, int32_t node) {
    const int32_t mother = theTablet->cell(node, kAttrMother);
    const int32_t next = theTablet->cell(node, kAttrNextSister);
    int32_t previous = 0;
    RErr err = getPreviousSister(node, previous);
    if (!err && isInRootList(newcomer))
        err = removeNodeFromRootList(newcomer);
    if (!err)
        err = dataTask(newcomer, kAttrMother, mother);
    if (!err)
        err = previous != 0 ? dataTask(previous, kAttrNextSister, newcomer)
                            : dataTask(mother, kAttrLeftmostDaughter, newcomer);
    if (!err && theTablet->cell(newcomer, kAttrNextSister) != next)
        err = dataTask(newcomer, kAttrNextSister, next);
    if (!err && next != 0)
        err = dataTask(node, kAttrNextSister, 0);
    return err;
}

RErr CTree::substitute(int32_t first, int32_t second) {
    RErr err = requireNodes(*this, first, second);
    if (err || theTablet->cell(first, kAttrMother) != 0)
        return reportError("CTree::substitute", err);
    // The root must not replace a node of its own tree.
    if (dominates(*theTablet, first, second))
        err = kErrInvalidParameter;
    const int32_t mother = err ? 0 : theTablet->cell(second, kAttrMother);
    if (!err && mother == 0) {
        // Marked first, so that undo brings the killed tree back marked for layout.
        err = treeDirty(second);
        if (!err)
            err = killNodeWithoutDetaching(second);
    } else if (!err) {
        err = takePlaceOf(first, second);
        if (!err)
            err = killNodeWithoutDetaching(second);
        if (!err)
            err = treeDirty(mother);
    }
    return reportError("CTree::substitute", err);
}

RErr CTree::canTagAdjoin(int32_t first, int32_t second, int32_t& result) const {
    result = 0;
    const RErr err = requireNodes(*this, first, second);
    if (!err) {
        const int32_t firstRoot = rootOf(*theTablet, first);
        result = theTablet->cell(firstRoot, kAttrFootNode) != 0 &&
                         theTablet->cell(first, kAttrMother) == 0 &&
                         firstRoot != rootOf(*theTablet, second) && first != second
                     ? 1
                     : 0;
    }
    return reportError("CTree::canTagAdjoin", err);
}

RErr CTree::tagAdjoin(int32_t first, int32_t second) {
    RErr err = requireNodes(*this, first, second);
    const int32_t firstRoot = err ? 0 : rootOf(*theTablet, first);
    const int32_t foot = err ? 0 : theTablet->cell(firstRoot, kAttrFootNode);
    const int32_t site = err ? 0 : theTablet->cell(second, kAttrMother);
    // When the adjunction goes ahead, `first` must be a root whose tree holds the foot and not
    // the site; anything else would link a tree into itself or leave a mother naming a node
    // that has left her.
    if (!err && site != 0 && foot != 0 &&
        (first != firstRoot || !verifyNode(foot) || rootOf(*theTablet, foot) != firstRoot ||
         rootOf(*theTablet, second) == firstRoot))
        err = kErrInvalidParameter;
    if (!err)
        err = treeDirty(first);
    if (!err)
        err = treeDirty(second);
    if (err || site == 0 || foot == 0)
        return reportError("CTree::tagAdjoin", err);
    err = takePlaceOf(first, second);
    // The foot's neighbours are read now: the foot may be `first` itself.
    const int32_t footMother = theTablet->cell(foot, kAttrMother);
    const int32_t footNext = theTablet->cell(foot, kAttrNextSister);
    int32_t footPrevious = 0;
    if (!err)
        err = getPreviousSister(foot, footPrevious);
    if (!err)
        err = dataTask(second, kAttrMother, footMother);
    if (!err)
        err = footPrevious != 0 ? dataTask(footPrevious, kAttrNextSister, second)
                                : dataTask(footMother, kAttrLeftmostDaughter, second);
    if (!err && footNext != 0)
        err = dataTask(second, kAttrNextSister, footNext);
    // The foot is used up; no root may go on naming its freed record.
    if (!err)
        err = dataTask(first, kAttrFootNode, 0);
    if (!err)
        err = killNodeWithoutDetaching(foot);
    return reportError("CTree::tagAdjoin", err);
}

RErr CTree::cloneForAdjunction(int32_t node, int32_t& copy) {
    copy = 0;
    int32_t created = 0;
    RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    const int32_t mother = err ? 0 : theTablet->cell(node, kAttrMother);
    if (!err)
        err = cloneNode(node, created);
    if (!err && mother == 0) {
        // The copy has the node's root links already; its neighbours now point at it.
        const int32_t previous = theTablet->cell(node, kAttrPreviousRoot);
        const int32_t next = theTablet->cell(node, kAttrNextRoot);
        err = previous != 0 ? dataTask(previous, kAttrNextRoot, created)
                            : setRootOfList(kHdrFirstRoot, created);
        if (!err && next != 0)
            err = dataTask(next, kAttrPreviousRoot, created);
        if (!err && previous != 0)
            err = dataTask(node, kAttrPreviousRoot, 0);
        if (!err && next != 0)
            err = dataTask(node, kAttrNextRoot, 0);
    } else if (!err) {
        int32_t previous = 0;
        err = getPreviousSister(node, previous);
        if (!err)
            err = previous != 0 ? dataTask(previous, kAttrNextSister, created)
                                : dataTask(mother, kAttrLeftmostDaughter, created);
        if (!err && theTablet->cell(node, kAttrNextSister) != 0)
            err = dataTask(node, kAttrNextSister, 0);
    }
    if (!err)
        err = dataTask(created, kAttrLeftmostDaughter, node);
    if (!err)
        err = dataTask(node, kAttrMother, created);
    if (!err)
        err = mother == 0 ? markNewTreeDirty(created) : treeDirty(created);
    if (!err)
        copy = created;
    return reportError("CTree::cloneForAdjunction", err);
}

RErr CTree::copySubtree(int32_t first, int32_t second) {
    RErr err = requireNodes(*this, first, second);
    int32_t holder = 0;
    int32_t copy = 0;
    if (!err)
        err = detachClone(first, holder);
    if (!err)
        err = cloneTree(holder, copy);
    if (!err)
        err = moveDaughters(holder, first);
    // Through a task, so that redo does not bring the copy back selected.
    if (!err && theTablet->cell(copy, kAttrSelected) != 0)
        err = dataTask(copy, kAttrSelected, 0);
    if (!err)
        err = substitute(copy, second);
    if (!err)
        err = killNodeWithoutDetaching(holder);
    return reportError("CTree::copySubtree", err);
}

// --- Categorial combination ---

void CTree::parseCategorialLabel(const CRString& label, std::unique_ptr<CRString>& left,
                                 std::unique_ptr<CRString>& right, int32_t& direction,
                                 bool& error) {
    const RCategorialLabel parsed = parseLabel(label.str());
    left = std::make_unique<CRString>(parsed.left, kCategorialPartCreatorTag);
    right = std::make_unique<CRString>(parsed.right, kCategorialPartCreatorTag);
    direction = parsed.direction;
    error = parsed.error;
}

RErr CTree::canApply(int32_t first, int32_t second, bool& can, bool& error) {
    can = false;
    error = false;
    const RErr err = requireNodes(*this, first, second);
    if (!err) {
        const RCategorialLabel a = parseLabel(textOfCell(first, kAttrLabel));
        const RCategorialLabel b = parseLabel(textOfCell(second, kAttrLabel));
        can = isFunctorOf(a, b) || isFunctorOf(b, a);
        error = a.error || b.error;
    }
    return reportError("CTree::canApply", err);
}

RErr CTree::apply(int32_t first, int32_t second, int32_t& newRoot) {
    newRoot = 0;
    RErr err = requireNodes(*this, first, second);
    if (err)
        return reportError("CTree::apply", err);
    const RCategorialLabel a = parseLabel(textOfCell(first, kAttrLabel));
    const RCategorialLabel b = parseLabel(textOfCell(second, kAttrLabel));
    const bool firstIsFunctor = isFunctorOf(a, b);
    // With neither rule nothing is made: an empty stray tree would help no one.
    if (!firstIsFunctor && !isFunctorOf(b, a))
        return kNoErr;
    const RCategorialLabel& functorLabel = firstIsFunctor ? a : b;
    const int32_t functor = firstIsFunctor ? first : second;
    const int32_t argument = firstIsFunctor ? second : first;
    int32_t root = 0;
    err = makeCombinedRoot(*this, second, functorLabel.left, root);
    if (!err)
        err = attachDaughter(functor, root, true);
    // With "/" the argument stands on the functor's left, with "\" on its right.
    if (!err)
        err = attachDaughter(argument, root, functorLabel.direction == '/');
    if (!err)
        newRoot = root;
    return reportError("CTree::apply", err);
}

RErr CTree::canCompose(int32_t first, int32_t second, bool& can, bool& error) {
    can = false;
    error = false;
    const RErr err = requireNodes(*this, first, second);
    if (!err) {
        const RCategorialLabel a = parseLabel(textOfCell(first, kAttrLabel));
        const RCategorialLabel b = parseLabel(textOfCell(second, kAttrLabel));
        can = composesBefore(a, b) || composesBefore(b, a);
        error = a.error || b.error;
    }
    return reportError("CTree::canCompose", err);
}

RErr CTree::compose(int32_t first, int32_t second, int32_t& newRoot) {
    newRoot = 0;
    RErr err = requireNodes(*this, first, second);
    if (err)
        return reportError("CTree::compose", err);
    const RCategorialLabel a = parseLabel(textOfCell(first, kAttrLabel));
    const RCategorialLabel b = parseLabel(textOfCell(second, kAttrLabel));
    const bool firstLeads = composesBefore(a, b);
    if (!firstLeads && !composesBefore(b, a))
        return kNoErr;
    const RCategorialLabel& leader = firstLeads ? a : b;
    const RCategorialLabel& follower = firstLeads ? b : a;
    std::string label = asPart(leader.left);
    if (leader.direction != 0)
        label += static_cast<char>(leader.direction);
    label += asPart(follower.right);
    int32_t root = 0;
    err = makeCombinedRoot(*this, second, label, root);
    if (!err)
        err = attachDaughter(firstLeads ? first : second, root, false);
    if (!err)
        err = attachDaughter(firstLeads ? second : first, root, false);
    if (!err)
        newRoot = root;
    return reportError("CTree::compose", err);
}

// --- Features ---

RErr CTree::canUnify(int32_t first, int32_t second, bool& can) {
    can = false;
    RErr err = requireNodes(*this, first, second);
    bool clash = false;
    for (int32_t slot = kFirstFeatureSlot; slot <= attributeCount() && !err && !clash; ++slot) {
        // An empty cell is unset: no need to read it.
        if (theTablet->cell(kHeaderRecord, slot) == 0 || theTablet->cell(first, slot) == 0 ||
            theTablet->cell(second, slot) == 0)
            continue;
        const CRString* one = nullptr;
        const CRString* other = nullptr;
        err = getAnyString(first, slot, one);
        if (!err)
            err = getAnyString(second, slot, other);
        if (!err && isSet(one) && isSet(other))
            clash = one->str() != other->str();
    }
    if (!err)
        can = !clash;
    return reportError("CTree::canUnify", err);
}

RErr CTree::unify(int32_t first, int32_t second) {
    RErr err = requireNodes(*this, first, second);
    for (int32_t slot = kFirstFeatureSlot; slot <= attributeCount() && !err; ++slot) {
        if (theTablet->cell(kHeaderRecord, slot) == 0)
            continue;
        const CRString* target = nullptr;
        if (theTablet->cell(second, slot) != 0)
            err = getAnyString(second, slot, target);
        if (err || isSet(target))
            continue;
        // An unset value takes the first node's, even an unset one ("0" over "").
        const CRString* source = nullptr;
        if (theTablet->cell(first, slot) != 0)
            err = getAnyString(first, slot, source);
        if (!err && (source != nullptr || theTablet->cell(second, slot) != 0))
            err = stringTask(second, slot, source);
    }
    return reportError("CTree::unify", err);
}

RErr CTree::copyFeatures(int32_t first, int32_t second) {
    RErr err = requireNodes(*this, first, second);
    for (int32_t slot = kFirstFeatureSlot; slot <= attributeCount() && !err; ++slot) {
        if (theTablet->cell(kHeaderRecord, slot) == 0)
            continue;
        const CRString* source = nullptr;
        if (theTablet->cell(first, slot) != 0)
            err = getAnyString(first, slot, source);
        if (!err && (source != nullptr || theTablet->cell(second, slot) != 0))
            err = stringTask(second, slot, source);
    }
    return reportError("CTree::copyFeatures", err);
}

RErr CTree::attributeAssignment(int32_t record, int32_t attribute, const CRString* text) {
    // Only a string cell may take a string: an integer cell (a link) would be corrupted.
    const bool stringCell = record == kHeaderRecord
                                ? attribute == kHdrScriptText || attribute == kHdrFontName
                                : isStringAttribute(attribute);
    RErr err = record >= 1 && record <= recordCount() && attribute <= attributeCount() && stringCell
                   ? kNoErr
                   : kErrInvalidParameter;
    if (!err)
        err = stringTask(record, attribute, text);
    return reportError("CTree::attributeAssignment", err);
}

// --- Labels, categories, projections ---

RErr CTree::setNodeLabel(int32_t node, const CRString& label) {
    RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        err = stringTask(node, kAttrLabel, &label);
    if (!err)
        err = treeDirty(node);
    return reportError("CTree::setNodeLabel", err);
}

RErr CTree::setNodeCategory(int32_t node, int32_t category) {
    bool good = category == 0;
    if (!good)
        validateCategory(category, good);
    RErr err = verifyNode(node) && good ? kNoErr : kErrInvalidParameter;
    if (!err)
        err = dataTask(node, kAttrCategory, category);
    return reportError("CTree::setNodeCategory", err);
}

RErr CTree::setNodeProjection(int32_t node, int32_t projection) {
    RErr err = verifyNode(node) && projection >= kProjectionNone && projection <= kProjectionMaximal
                   ? kNoErr
                   : kErrInvalidParameter;
    if (!err)
        err = dataTask(node, kAttrProjection, projection);
    return reportError("CTree::setNodeProjection", err);
}

RErr CTree::makeNodeLabel(int32_t category, int32_t projection, std::unique_ptr<CRString>& label) {
    label.reset();
    bool good = false;
    validateCategory(category, good);
    if (!good)
        category = 0;
    if (category == 0 && projection == kProjectionNone) {
        label = std::make_unique<CRString>("X", kNodeLabelCreatorTag);
        return kNoErr;
    }
    // Record 0 has no name: the table refuses to read it.
    if (category == 0)
        return reportError("CTree::makeNodeLabel", kErrInvalidParameter);
    static const char* const kSuffixes[] = {"", "'", "P"};
    std::string text = textOfCell(category, kAttrLabel);
    const bool known = projection >= 0 && projection <= kProjectionMaximal;
    if (known)
        text += kSuffixes[projection];
    label = std::make_unique<CRString>(text, kNodeLabelCreatorTag);
    return reportError("CTree::makeNodeLabel", known ? kNoErr : kErrInvalidParameter);
}

RErr CTree::autoNodeLabel(int32_t node) {
    RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    std::unique_ptr<CRString> label;
    if (!err) {
        const int32_t category = theTablet->cell(node, kAttrCategory);
        const int32_t projection = theTablet->cell(node, kAttrProjection);
        if (projection == kProjectionNone || category == 0)
            label = std::make_unique<CRString>("X", kNodeLabelCreatorTag);
        else
            err = makeNodeLabel(category, projection, label);
    }
    if (!err)
        err = stringTask(node, kAttrLabel, label.get());
    if (!err)
        err = treeDirty(node);
    return reportError("CTree::autoNodeLabel", err);
}

RErr CTree::newIndex(std::unique_ptr<CRString>& index) {
    index.reset();
    int32_t letter = theTablet->cell(kHeaderRecord, kHdrNextIndexLetter);
    // 0 means none handed out yet; anything but a small letter (a damaged file) starts over.
    if (letter < 'a' || letter > 'z')
        letter = kFirstIndexLetter;
    const int32_t following = letter == 'z' ? 'a' : letter + 1;
    const RErr err = dataTask(kHeaderRecord, kHdrNextIndexLetter, following);
    if (!err)
        index =
            std::make_unique<CRString>(std::string(1, static_cast<char>(letter)), kIndexCreatorTag);
    return reportError("CTree::newIndex", err);
}
