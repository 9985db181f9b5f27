// CTree's structural relations: dominance, command, heads and projections, terminal strings.

#include "model/CTree.h"

#include "base/ErrorReporter.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <string>

// The structural relations the grammar scripts grade trees with. Each checks its node
// arguments once; the walks below then read the links with the unchecked accessor, since the
// links of a valid node always name valid nodes or 0.

namespace {

constexpr int32_t kTerminalStringCreatorTag = 88;
constexpr int32_t kProjectionMaximal = 2;
constexpr int32_t kProjectionHead = 0;
constexpr int32_t kComplementLevel = 1;
constexpr int32_t kSpecifierLevel = 2;

int32_t truth(bool value) {
    return value ? 1 : 0;
}

// Unchecked reads of a validated node's links.
class RLinks {
public:
    explicit RLinks(const CTablet& table) : tablet(table) {}

    int32_t mother(int32_t node) const { return tablet.cell(node, kAttrMother); }
    int32_t firstDaughter(int32_t node) const { return tablet.cell(node, kAttrLeftmostDaughter); }
    int32_t nextSister(int32_t node) const { return tablet.cell(node, kAttrNextSister); }
    int32_t category(int32_t node) const { return tablet.cell(node, kAttrCategory); }
    int32_t projection(int32_t node) const { return tablet.cell(node, kAttrProjection); }
    int32_t value(int32_t node, int32_t attribute) const { return tablet.cell(node, attribute); }

    int32_t root(int32_t node) const {
        for (int32_t up = mother(node); up != 0; up = mother(node))
            node = up;
        return node;
    }

    // Reflexive: a node dominates itself.
    bool dominates(int32_t a, int32_t b) const {
        for (int32_t node = b; node != 0; node = mother(node))
            if (node == a)
                return true;
        return false;
    }

    bool isBranching(int32_t node) const {
        const int32_t first = firstDaughter(node);
        return first != 0 && nextSister(first) != 0;
    }

    int32_t lowestBranchingAbove(int32_t node) const {
        for (int32_t up = mother(node); up != 0; up = mother(up))
            if (isBranching(up))
                return up;
        return 0;
    }

    int32_t bottomMax(int32_t node) const {
        for (int32_t up = mother(node); up != 0; up = mother(up))
            if (projection(up) == kProjectionMaximal)
                return up;
        return 0;
    }

    // 0 when the roots differ; 1000 when the walk runs out without meeting b's ancestor.
    RErr lowestCommonDominator(int32_t a, int32_t b, int32_t& result) const {
        result = 0;
        if (root(a) != root(b))
            return kNoErr;
        if (dominates(a, b)) {
            result = a;
            return kNoErr;
        }
        if (dominates(b, a)) {
            result = b;
            return kNoErr;
        }
        for (int32_t up = mother(a); up != 0; up = mother(up))
            if (dominates(up, b)) {
                result = up;
                return kNoErr;
            }
        return kErrGeneral;
    }

    int32_t searchForSpecOrComplement(int32_t node, int32_t level) const {
        const int32_t wanted = category(node);
        int32_t below = node;
        for (int32_t up = mother(node); up != 0; below = up, up = mother(up)) {
            if (category(up) != wanted || projection(up) < projection(below))
                return 0;
            if (projection(up) == level) {
                for (int32_t d = firstDaughter(up); d != 0; d = nextSister(d))
                    if (d != below)
                        return d;
                return 0;
            }
        }
        return 0;
    }

private:
    const CTablet& tablet;
};

} // namespace

RErr CTree::getCategory(int32_t node, int32_t& category) const {
    category = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        category = theTablet->cell(node, kAttrCategory);
    return reportError("CTree::getCategory", err);
}

RErr CTree::getProjection(int32_t node, int32_t& projection) const {
    projection = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        projection = theTablet->cell(node, kAttrProjection);
    return reportError("CTree::getProjection", err);
}

RErr CTree::leftmostDaughter(int32_t node, int32_t& daughter) const {
    daughter = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        daughter = theTablet->cell(node, kAttrLeftmostDaughter);
    return reportError("CTree::leftmostDaughter", err);
}

// --- Dominance and kinship ---

RErr CTree::dominate(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = truth(RLinks(*theTablet).dominates(a, b));
    return reportError("CTree::dominate", err);
}

RErr CTree::nonReflexiveDominate(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = truth(a != b && RLinks(*theTablet).dominates(a, b));
    return reportError("CTree::nonReflexiveDominate", err);
}

RErr CTree::immediatelyDominate(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = truth(theTablet->cell(b, kAttrMother) == a);
    return reportError("CTree::immediatelyDominate", err);
}

RErr CTree::sameRoot(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (!err) {
        const RLinks links(*theTablet);
        result = truth(links.root(a) == links.root(b));
    }
    return reportError("CTree::sameRoot", err);
}

RErr CTree::isRootNode(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = truth(theTablet->cell(node, kAttrMother) == 0);
    return reportError("CTree::isRootNode", err);
}

RErr CTree::hasDaughters(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = truth(theTablet->cell(node, kAttrLeftmostDaughter) != 0);
    return reportError("CTree::hasDaughters", err);
}

RErr CTree::isBranchingNode(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = truth(RLinks(*theTablet).isBranching(node));
    return reportError("CTree::isBranchingNode", err);
}

RErr CTree::isSisterOf(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (!err) {
        const int32_t mother = theTablet->cell(a, kAttrMother);
        result = truth(a != b && mother != 0 && theTablet->cell(b, kAttrMother) == mother);
    }
    return reportError("CTree::isSisterOf", err);
}

RErr CTree::isLeftmostSister(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err) {
        const int32_t mother = theTablet->cell(node, kAttrMother);
        result = truth(mother != 0 && theTablet->cell(mother, kAttrLeftmostDaughter) == node);
    }
    return reportError("CTree::isLeftmostSister", err);
}

RErr CTree::isRightmostSister(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = truth(theTablet->cell(node, kAttrNextSister) == 0 &&
                       theTablet->cell(node, kAttrMother) != 0);
    return reportError("CTree::isRightmostSister", err);
}

RErr CTree::findLowestBranchingNode(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = RLinks(*theTablet).lowestBranchingAbove(node);
    return reportError("CTree::findLowestBranchingNode", err);
}

RErr CTree::findLowestCommonDominator(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (!err)
        err = RLinks(*theTablet).lowestCommonDominator(a, b, result);
    if (err)
        result = 0;
    return reportError("CTree::findLowestCommonDominator", err);
}

// --- Command and order ---

RErr CTree::cCommand(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (err || a == b)
        return reportError("CTree::cCommand", err);
    const RLinks links(*theTablet);
    if (links.root(a) != links.root(b) || links.dominates(a, b) || links.dominates(b, a))
        return kNoErr;
    const int32_t branching = links.lowestBranchingAbove(a);
    result = truth(branching != 0 && links.dominates(branching, b));
    return kNoErr;
}

RErr CTree::mCommand(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (err || a == b)
        return reportError("CTree::mCommand", err);
    // No test of the roots: a node of another tree is never dominated by a's projection.
    const RLinks links(*theTablet);
    if (links.dominates(a, b) || links.dominates(b, a))
        return kNoErr;
    const int32_t maximal = links.bottomMax(a);
    result = truth(maximal != 0 && links.dominates(maximal, b));
    return kNoErr;
}

RErr CTree::precede(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (err || a == b)
        return reportError("CTree::precede", err);
    const RLinks links(*theTablet);
    if (links.dominates(a, b) || links.dominates(b, a) || links.root(a) != links.root(b))
        return kNoErr;
    int32_t common = 0;
    err = links.lowestCommonDominator(a, b, common);
    if (!err)
        err = kErrGeneral; // unless a daughter below settles the order
    for (int32_t d = common != 0 ? links.firstDaughter(common) : 0; d != 0 && err;
         d = links.nextSister(d)) {
        if (links.dominates(d, a)) {
            result = 1;
            err = kNoErr;
        } else if (links.dominates(d, b)) {
            err = kNoErr;
        }
    }
    return reportError("CTree::precede", err);
}

// --- Projections and X-bar structure ---

RErr CTree::same(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (!err) {
        const RLinks links(*theTablet);
        result = truth(links.category(a) == links.category(b) &&
                       links.projection(a) == links.projection(b));
    }
    return reportError("CTree::same", err);
}

RErr CTree::isHead(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = truth(theTablet->cell(node, kAttrProjection) == kProjectionHead &&
                       theTablet->cell(node, kAttrCategory) > 0);
    return reportError("CTree::isHead", err);
}

RErr CTree::isMaximalProjection(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = truth(theTablet->cell(node, kAttrProjection) == kProjectionMaximal);
    return reportError("CTree::isMaximalProjection", err);
}

RErr CTree::bottomMax(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = RLinks(*theTablet).bottomMax(node);
    return reportError("CTree::bottomMax", err);
}

RErr CTree::topMax(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (err)
        return reportError("CTree::topMax", err);
    const RLinks links(*theTablet);
    int32_t top = links.bottomMax(node);
    if (top == 0)
        return kNoErr;
    const int32_t category = links.category(top);
    for (int32_t up = links.mother(top);
         up != 0 && links.projection(up) == kProjectionMaximal && links.category(up) == category;
         up = links.mother(up))
        top = up;
    result = top;
    return kNoErr;
}

RErr CTree::head(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (err)
        return reportError("CTree::head", err);
    const RLinks links(*theTablet);
    if (links.projection(node) == kProjectionHead) {
        result = node;
        return kNoErr;
    }
    const int32_t category = links.category(node);
    for (int32_t current = node; current != 0;) {
        // Exactly one daughter may continue the projection downwards.
        int32_t only = 0;
        int32_t matches = 0;
        for (int32_t d = links.firstDaughter(current); d != 0; d = links.nextSister(d))
            if (links.category(d) == category && links.projection(d) <= links.projection(current)) {
                only = d;
                ++matches;
            }
        if (matches != 1)
            return kNoErr;
        if (links.projection(only) == kProjectionHead) {
            result = only;
            return kNoErr;
        }
        current = only;
    }
    return kNoErr;
}

RErr CTree::belongToSameSpine(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (err || a == b) {
        result = truth(!err);
        return reportError("CTree::belongToSameSpine", err);
    }
    const RLinks links(*theTablet);
    int32_t top = 0;
    int32_t bottom = 0;
    if (links.dominates(a, b)) {
        top = a;
        bottom = b;
    } else if (links.dominates(b, a)) {
        top = b;
        bottom = a;
    } else {
        return kNoErr;
    }
    const int32_t category = links.category(bottom);
    if (links.category(top) != category || links.projection(top) < links.projection(bottom))
        return kNoErr;
    for (int32_t below = bottom, up = links.mother(bottom); up != 0;
         below = up, up = links.mother(up)) {
        if (up == top) {
            result = 1;
            return kNoErr;
        }
        if (links.projection(up) < links.projection(below) || links.category(up) != category)
            return kNoErr;
    }
    return kNoErr;
}

RErr CTree::searchForSpecOrComplement(int32_t node, int32_t level, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = RLinks(*theTablet).searchForSpecOrComplement(node, level);
    return reportError("CTree::searchForSpecOrComplement", err);
}

RErr CTree::complement(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = RLinks(*theTablet).searchForSpecOrComplement(node, kComplementLevel);
    return reportError("CTree::complement", err);
}

RErr CTree::spec(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = RLinks(*theTablet).searchForSpecOrComplement(node, kSpecifierLevel);
    return reportError("CTree::spec", err);
}

RErr CTree::isComplementOf(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    if (!err)
        result = truth(RLinks(*theTablet).searchForSpecOrComplement(b, kComplementLevel) == a);
    return reportError("CTree::isComplementOf", err);
}

RErr CTree::isSpecOf(int32_t a, int32_t b, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(a) && verifyNode(b) ? kNoErr : kErrInvalidParameter;
    // The first argument is the node searched from, unlike isComplementOf.
    if (!err)
        result = truth(RLinks(*theTablet).searchForSpecOrComplement(a, kSpecifierLevel) == b);
    return reportError("CTree::isSpecOf", err);
}

// --- Word structure ---

RErr CTree::foot(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err) {
        const RLinks links(*theTablet);
        result = links.value(links.root(node), kAttrFootNode);
    }
    return reportError("CTree::foot", err);
}

RErr CTree::isFoot(int32_t node, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err) {
        const RLinks links(*theTablet);
        result = truth(links.value(links.root(node), kAttrFootNode) == node);
    }
    return reportError("CTree::isFoot", err);
}

RErr CTree::isMainTerminalNode(int32_t node, bool studentModeNotAuthor, int32_t& result) const {
    result = 0;
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (!err) {
        const RLinks links(*theTablet);
        result = studentModeNotAuthor
                     ? truth(links.value(node, kAttrIsMainTerminal) != 0)
                     : truth(links.value(links.root(node), kAttrMainTerminalNode) == node);
    }
    return reportError("CTree::isMainTerminalNode", err);
}

// --- Selection and strings ---

RErr CTree::selection(int32_t& result) const {
    result = 0;
    std::vector<int32_t> roots;
    const RErr err = collectList(kHdrFirstRoot, roots);
    int32_t selected = 0;
    int32_t count = 0;
    for (const int32_t root : roots)
        if (theTablet->cell(root, kAttrSelected) != 0) {
            selected = root;
            ++count;
        }
    if (!err && count == 1)
        result = selected;
    return reportError("CTree::selection", err);
}

RErr CTree::howManyRootNodes(int32_t& result) const {
    result = 0;
    std::vector<int32_t> roots;
    const RErr err = collectList(kHdrFirstRoot, roots);
    if (!err)
        for (const int32_t root : roots)
            if (theTablet->cell(root, kAttrWhereIsTree) == kTreeOnWorkArea)
                ++result;
    return reportError("CTree::howManyRootNodes", err);
}

RErr CTree::subtreeTerminalString(int32_t node, std::unique_ptr<CRString>& text) {
    text.reset();
    const RErr err = verifyNode(node) ? kNoErr : kErrInvalidParameter;
    if (err)
        return reportError("CTree::subtreeTerminalString", err);
    // Pre-order inside the node's subtree: leaves come out left to right.
    const RLinks links(*theTablet);
    std::string leaves;
    int32_t current = node;
    while (current != 0) {
        const int32_t first = links.firstDaughter(current);
        if (first != 0) {
            current = first;
            continue;
        }
        leaves += ' ';
        leaves += textOfCell(current, kAttrLabel);
        while (current != node && links.nextSister(current) == 0)
            current = links.mother(current);
        current = current == node ? 0 : links.nextSister(current);
    }
    text = std::make_unique<CRString>(leaves, kTerminalStringCreatorTag);
    return kNoErr;
}

RErr CTree::terminalString(std::unique_ptr<CRString>& text) {
    text.reset();
    std::vector<int32_t> roots;
    RErr err = collectList(kHdrFirstRoot, roots);
    std::string whole;
    for (std::size_t i = 0; i < roots.size() && !err; ++i) {
        if (theTablet->cell(roots[i], kAttrWhereIsTree) != kTreeOnWorkArea)
            continue;
        std::unique_ptr<CRString> part;
        err = subtreeTerminalString(roots[i], part);
        if (!err) {
            whole += ' ';
            whole += part->str();
        }
    }
    if (!err)
        text = std::make_unique<CRString>(whole, kTerminalStringCreatorTag);
    return reportError("CTree::terminalString", err);
}
